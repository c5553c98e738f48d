#include "txtView.h"

#include "avMisc.h"

#include <gdk/gdkkeysyms.h>

#include <array>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

guint m_nWidthRequest = 0;
guint m_nHeightRequest = 0;

struct GFreeDeleter {
    void operator()(gchar* psz) const { g_free(psz); }
};
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;

// Mark names are "~sb_12": tilde, start/end, attribute letter, number.
constexpr std::size_t NL_MARK_NAME = 16;
constexpr guint16 MARK_NONE = 65535;
// Header positions have three hex digits; "fff" means "to the end".
constexpr guint HDR_TO_END = 0xfff;

struct TagLook {
    const char* pszName;
    const char* pszColour; // nullptr: no colour
    int nWeight;           // 0: leave the weight alone
};

void applyTag(GtkTextBuffer* pbfr, const char* pszTag, gint iStart, gint iEnd) {
    if (iStart < 0 || iEnd <= iStart)
        return;
    GtkTextIter itStart, itEnd;
    gtk_text_buffer_get_iter_at_offset(pbfr, &itStart, iStart);
    gtk_text_buffer_get_iter_at_offset(pbfr, &itEnd, iEnd);
    gtk_text_buffer_apply_tag_by_name(pbfr, pszTag, &itStart, &itEnd);
}

GCharPtr textBetween(GtkTextBuffer* pbfr, gint iStart, gint iEnd) {
    GtkTextIter itStart, itEnd;
    gtk_text_buffer_get_iter_at_offset(pbfr, &itStart, iStart);
    gtk_text_buffer_get_iter_at_offset(pbfr, &itEnd, iEnd);
    return GCharPtr(gtk_text_buffer_get_text(pbfr, &itStart, &itEnd, TRUE));
}

// Like the C library's atoi (leading blanks, a sign, digits, anything
// after ignored), but a hint is a size: negative gives 0, overflow clamps.
guint parseHint(const char* psz) {
    while (*psz == ' ' || (*psz >= '\t' && *psz <= '\r'))
        ++psz;
    bool bNegative = false;
    if (*psz == '+' || *psz == '-')
        bNegative = *psz++ == '-';
    guint64 n = 0;
    for (; *psz >= '0' && *psz <= '9'; ++psz) {
        n = n * 10 + guint64(*psz - '0');
        if (n > G_MAXUINT)
            n = G_MAXUINT;
    }
    return bNegative ? 0 : guint(n);
}

const char* colourTag(gunichar cColour) {
    switch (cColour) {
    case 'r':
        return "red";
    case 'R':
        return "RED";
    case 'b':
        return "blue";
    case 'B':
        return "BLUE";
    default:
        return nullptr;
    }
}

// Text in a buffer must be valid UTF-8; damaged input is repaired, not refused.
std::string validUtf8(std::string_view sv) {
    if (g_utf8_validate(sv.data(), gssize(sv.size()), nullptr))
        return std::string(sv);
    GCharPtr pszValid(g_utf8_make_valid(sv.data(), gssize(sv.size())));
    return pszValid.get();
}

bool isAttributeMark(const char* pszName) {
    return pszName && pszName[0] == '~';
}

// Calls fn(mark, offset) for every mark from the buffer's start up to, but
// not including, the end (or including it with bWithEnd).
template <typename Fn> void forEachMark(GtkTextBuffer* pbfr, bool bWithEnd, Fn fn) {
    GtkTextIter it;
    gtk_text_buffer_get_start_iter(pbfr, &it);
    for (;;) {
        bool bEnd = gtk_text_iter_is_end(&it);
        if (bEnd && !bWithEnd)
            break;
        GSList* plstMarks = gtk_text_iter_get_marks(&it);
        for (GSList* pl = plstMarks; pl; pl = pl->next)
            fn(GTK_TEXT_MARK(pl->data), gtk_text_iter_get_offset(&it));
        g_slist_free(plstMarks);
        if (bEnd)
            break;
        gtk_text_iter_forward_char(&it);
    }
}

// Mark names are unique in a buffer: before the header form is read back
// into a buffer, the attribute marks it still holds must go.
void removeAttributeMarks(GtkTextBuffer* pbfr) {
    std::vector<GtkTextMark*> lstOld;
    forEachMark(pbfr, true, [&](GtkTextMark* pMark, gint) {
        if (isAttributeMark(gtk_text_mark_get_name(pMark)))
            lstOld.push_back(pMark);
    });
    for (GtkTextMark* pMark : lstOld)
        gtk_text_buffer_delete_mark(pbfr, pMark);
}

// Creates the start and end marks of attribute number iMark and tags the
// text between. A number already in use is skipped, never reused.
void addAttribute(txvparam* ptxvParam, gchar cAttr, const GtkTextIter* pitStart,
                  const GtkTextIter* pitEnd) {
    GtkTextBuffer* pbfr = ptxvParam->pbfrTV;
    gchar szStart[NL_MARK_NAME], szEnd[NL_MARK_NAME];
    for (;;) {
        g_snprintf(szStart, sizeof szStart, "~s%c_%u", cAttr, ptxvParam->iMark);
        g_snprintf(szEnd, sizeof szEnd, "~e%c_%u", cAttr, ptxvParam->iMark);
        if (!gtk_text_buffer_get_mark(pbfr, szStart) && !gtk_text_buffer_get_mark(pbfr, szEnd))
            break;
        ++ptxvParam->iMark;
    }
    // Right gravity: text typed at a mark goes before it.
    gtk_text_buffer_create_mark(pbfr, szStart, pitStart, FALSE);
    gtk_text_buffer_create_mark(pbfr, szEnd, pitEnd, FALSE);
    const gchar szTag[2] = {cAttr, 0};
    gtk_text_buffer_apply_tag_by_name(pbfr, szTag, pitStart, pitEnd);
    ++ptxvParam->iMark;
}

int hexField(std::string_view sv) {
    int n = 0;
    for (char c : sv) {
        int nDigit = g_ascii_xdigit_value(c);
        if (nDigit < 0)
            return -1;
        n = n * 16 + nDigit;
    }
    return n;
}

bool isAttributeLetter(gchar c) {
    return c == 'b' || c == 'i' || c == 'l' || c == 'u';
}

// Control-X: the attribute starting at the cursor goes; the view is rebuilt
// from the header form so that only the remaining attributes are tagged.
void removeAttributeAtCursor(txvparam* ptxvParam) {
    GtkTextBuffer* pbfr = ptxvParam->pbfrTV;
    GtkTextIter itCursor;
    gtk_text_buffer_get_iter_at_mark(pbfr, &itCursor, gtk_text_buffer_get_insert(pbfr));
    const gint iCursor = gtk_text_iter_get_offset(&itCursor);

    GtkTextMark* pmarkStart = nullptr;
    GSList* plstMarks = gtk_text_iter_get_marks(&itCursor);
    for (GSList* pl = plstMarks; pl && !pmarkStart; pl = pl->next) {
        const char* pszName = gtk_text_mark_get_name(GTK_TEXT_MARK(pl->data));
        if (pszName && pszName[0] == '~' && pszName[1] == 's')
            pmarkStart = GTK_TEXT_MARK(pl->data);
    }
    g_slist_free(plstMarks);
    if (!pmarkStart)
        return;

    std::string strPartner = gtk_text_mark_get_name(pmarkStart);
    strPartner[1] = 'e';
    gtk_text_buffer_delete_mark(pbfr, pmarkStart);
    if (GtkTextMark* pmarkEnd = gtk_text_buffer_get_mark(pbfr, strPartner.c_str()))
        gtk_text_buffer_delete_mark(pbfr, pmarkEnd);

    // Big enough for the whole text and a full header, so the rebuild never
    // cuts the user's text.
    GtkTextIter itStart, itEnd;
    gtk_text_buffer_get_bounds(pbfr, &itStart, &itEnd);
    GCharPtr pszAll(gtk_text_buffer_get_text(pbfr, &itStart, &itEnd, TRUE));
    std::vector<gchar> bfr(
        std::max<std::size_t>(5000, std::strlen(pszAll.get()) + NUM_MARKS * 7 + 16));
    txvGetText(bfr.data(), guint(bfr.size()), ptxvParam);
    txvSetText(ptxvParam, bfr.data());

    gtk_text_buffer_get_iter_at_offset(pbfr, &itCursor, iCursor);
    gtk_text_buffer_place_cursor(pbfr, &itCursor);
}

} // namespace

void txvCreateTags(GtkTextBuffer* pbfrText) {
    static constexpr std::array<TagLook, 9> lstTags{{
        {"l", nullptr, 0},
        {"b", nullptr, PANGO_WEIGHT_BOLD},
        {"i", nullptr, 0},
        {"u", nullptr, 0},
        {"h", nullptr, 0},
        {"red", "red", 0},
        {"RED", "red", PANGO_WEIGHT_BOLD},
        {"blue", "blue", 0},
        {"BLUE", "blue", PANGO_WEIGHT_BOLD},
    }};
    GtkTextTagTable* pTable = gtk_text_buffer_get_tag_table(pbfrText);
    for (const auto& look : lstTags) {
        if (gtk_text_tag_table_lookup(pTable, look.pszName))
            continue; // a view initialised twice keeps its tags
        GtkTextTag* pTag = gtk_text_buffer_create_tag(pbfrText, look.pszName, nullptr);
        if (look.pszColour)
            g_object_set(pTag, "foreground", look.pszColour, nullptr);
        if (look.nWeight)
            g_object_set(pTag, "weight", look.nWeight, nullptr);
    }
    g_object_set(gtk_text_tag_table_lookup(pTable, "l"), "left-margin", 30, nullptr);
    g_object_set(gtk_text_tag_table_lookup(pTable, "i"), "style", PANGO_STYLE_ITALIC, nullptr);
    g_object_set(gtk_text_tag_table_lookup(pTable, "u"), "underline", PANGO_UNDERLINE_SINGLE,
                 nullptr);
    g_object_set(gtk_text_tag_table_lookup(pTable, "h"), "invisible", TRUE, nullptr);
}

void txvInitialize(GtkTextView* pwgtTV, txvparam* ptxvParam) {
    ptxvParam->iMark = 0;
    ptxvParam->pwgtTV = pwgtTV;
    ptxvParam->pbfrTV = gtk_text_view_get_buffer(pwgtTV);
    txvCreateTags(ptxvParam->pbfrTV);
}

void txvDecodeText(GtkTextBuffer* pbfrText, const gchar* pszText, gboolean bShowTags) {
    m_nWidthRequest = 0;
    m_nHeightRequest = 0;
    if (!pbfrText || !pszText)
        return;
    const std::string strText = validUtf8(pszText);

    GtkTextIter itEnd;
    gtk_text_buffer_get_end_iter(pbfrText, &itEnd);
    const gint iBase = gtk_text_iter_get_offset(&itEnd);
    gtk_text_buffer_insert(pbfrText, &itEnd, strText.c_str(), gint(strText.size()));

    // Buffer position of the character at text index k: base + k + images
    // inserted before it. An image sits after the character that follows
    // "~d", so it counts from the character after that one.
    gint nImages = 0;
    gint kImageAfter = -1;
    auto position = [&](gint k) {
        if (kImageAfter >= 0 && k > kImageAfter) {
            ++nImages;
            kImageAfter = -1;
        }
        return iBase + k + nImages;
    };
    auto hide = [&](gint iPos) { applyTag(pbfrText, "h", iPos, iPos + 1); };
    // A file name or number span may hold a picture inserted earlier in
    // this text (its start is not cleared by a close); pictures stay shown.
    std::vector<gint> lstImages;
    auto hideSpan = [&](gint iStart, gint iEnd) {
        applyTag(pbfrText, "h", iStart, iEnd);
        for (gint iImage : lstImages) {
            if (iImage < iStart || iImage >= iEnd)
                continue;
            GtkTextIter itStart, itEnd;
            gtk_text_buffer_get_iter_at_offset(pbfrText, &itStart, iImage);
            gtk_text_buffer_get_iter_at_offset(pbfrText, &itEnd, iImage + 1);
            gtk_text_buffer_remove_tag_by_name(pbfrText, "h", &itStart, &itEnd);
        }
    };

    gint iBold = -1, iItalic = -1, iUnder = -1, iColour = -1, iFile = -1, iWidth = -1, iHeight = -1;
    gunichar cColour = 0;
    bool bTilde = false;
    gint iTilde = 0;

    gint k = 0;
    for (const gchar* p = strText.c_str(); *p; p = g_utf8_next_char(p), ++k) {
        const gint iPos = position(k);
        const gunichar c = g_utf8_get_char(p);
        if (!bTilde) {
            if (c == '~') {
                bTilde = true;
                iTilde = iPos;
            }
            continue;
        }
        bTilde = false;
        gint iColourLetter = -1;
        switch (c) {
        case 'B':
            iBold = iPos + 1;
            break;
        case 'I':
            iItalic = iPos + 1;
            break;
        case 'U':
            iUnder = iPos + 1;
            break;
        case 'D':
            iFile = iPos + 1;
            break;
        case 'W':
            iWidth = iPos + 1;
            break;
        case 'H':
            iHeight = iPos + 1;
            break;
        case 'C': {
            const gchar* pNext = g_utf8_next_char(p);
            if (*pNext) {
                p = pNext;
                ++k;
                cColour = g_utf8_get_char(p);
                iColourLetter = position(k);
                iColour = iColourLetter + 1;
            } else {
                cColour = 0; // "~C" ends the text: nothing to colour
                iColour = iPos + 1;
            }
            break;
        }
        case 'b':
            applyTag(pbfrText, "b", iBold, iTilde);
            break;
        case 'i':
            applyTag(pbfrText, "i", iItalic, iTilde);
            break;
        case 'u':
            applyTag(pbfrText, "u", iUnder, iTilde);
            break;
        case 'c':
            if (const char* pszTag = colourTag(cColour))
                applyTag(pbfrText, pszTag, iColour, iTilde);
            break;
        case 'w':
        case 'h': {
            const gint iStart = c == 'w' ? iWidth : iHeight;
            if (iStart < 0 || iStart > iTilde)
                break;
            const guint nHint = parseHint(textBetween(pbfrText, iStart, iTilde).get());
            (c == 'w' ? m_nWidthRequest : m_nHeightRequest) = nHint;
            hideSpan(iStart, iTilde);
            break;
        }
        case 'd': {
            if (iFile < 0 || iFile > iTilde)
                break;
            GCharPtr pszFile = textBetween(pbfrText, iFile, iTilde);
            hideSpan(iFile, iTilde);
            GdkPixbuf* ppixImage = gdk_pixbuf_new_from_file(pszFile.get(), nullptr);
            if (!ppixImage)
                break; // a missing picture is simply not shown
            GtkTextIter itImage;
            if (*g_utf8_next_char(p)) {
                gtk_text_buffer_get_iter_at_offset(pbfrText, &itImage, iPos + 2);
                kImageAfter = k + 1;
            } else {
                gtk_text_buffer_get_end_iter(pbfrText, &itImage);
            }
            lstImages.push_back(gtk_text_iter_get_offset(&itImage));
            gtk_text_buffer_insert_pixbuf(pbfrText, &itImage, ppixImage);
            g_object_unref(ppixImage);
            break;
        }
        default:
            break;
        }
        if (!bShowTags) {
            // Each code character on its own: an image may sit inside a code.
            hide(iTilde);
            hide(iPos);
            if (iColourLetter >= 0)
                hide(iColourLetter);
        }
    }
}

void txvEncodeText(gchar* pszText, guint nlText, GtkTextBuffer* pbfrText) {
    if (!pszText || nlText == 0)
        return;
    GtkTextIter itStart, itEnd;
    gtk_text_buffer_get_bounds(pbfrText, &itStart, &itEnd);
    GCharPtr pszAll(gtk_text_buffer_get_text(pbfrText, &itStart, &itEnd, TRUE));
    mscCopyText(pszText, nlText, pszAll.get());
}

guint txvGetWidthRequest() {
    return m_nWidthRequest;
}
guint txvGetHeightRequest() {
    return m_nHeightRequest;
}

void txvSetText(txvparam* ptxvParam, const gchar* pszBfr) {
    ptxvParam->iMark = 0;
    GtkTextBuffer* pbfr = ptxvParam->pbfrTV;
    const std::string_view sv(pszBfr ? pszBfr : "");
    std::string_view svHeader;
    std::string_view svPlain = sv;
    if (auto iFirst = sv.find('~'); iFirst != sv.npos) {
        if (auto iSecond = sv.find('~', iFirst + 1); iSecond != sv.npos) {
            svHeader = sv.substr(iFirst + 1, iSecond - iFirst - 1);
            svPlain = sv.substr(iSecond + 1);
        }
    }

    removeAttributeMarks(pbfr);
    const std::string strPlain = validUtf8(svPlain);
    gtk_text_buffer_set_text(pbfr, strPlain.c_str(), gint(strPlain.size()));
    const gint nChars = gtk_text_buffer_get_char_count(pbfr);

    for (std::size_t i = 0; i + 7 <= svHeader.size(); i += 7) {
        const int iStart = hexField(svHeader.substr(i, 3));
        int iEnd = hexField(svHeader.substr(i + 3, 3));
        const gchar cAttr = svHeader[i + 6];
        if (iStart < 0 || iEnd <= 0 || !isAttributeLetter(cAttr))
            continue;
        if (iEnd == int(HDR_TO_END) || iEnd > nChars)
            iEnd = nChars;
        if (iStart >= iEnd)
            continue;
        GtkTextIter itStart, itEnd;
        gtk_text_buffer_get_iter_at_offset(pbfr, &itStart, iStart);
        gtk_text_buffer_get_iter_at_offset(pbfr, &itEnd, iEnd);
        addAttribute(ptxvParam, cAttr, &itStart, &itEnd);
    }
}

void txvGetText(gchar* pszBfr, guint nlBfr, txvparam* ptxvParam) {
    if (!pszBfr || nlBfr == 0)
        return;
    GtkTextBuffer* pbfr = ptxvParam->pbfrTV;
    std::array<txvmark, NUM_MARKS> lstMarks;
    lstMarks.fill(txvmark{MARK_NONE, MARK_NONE, 0});
    bool bFound = false;
    forEachMark(pbfr, false, [&](GtkTextMark* pMark, gint iOffset) {
        const char* pszName = gtk_text_mark_get_name(pMark);
        if (!isAttributeMark(pszName) || std::strlen(pszName) < 5)
            return;
        if (pszName[1] != 's' && pszName[1] != 'e')
            return;
        char* pszEnd = nullptr;
        const unsigned long nMark = std::strtoul(pszName + 4, &pszEnd, 10);
        if (pszEnd == pszName + 4 || nMark >= NUM_MARKS)
            return;
        bFound = true;
        txvmark& mark = lstMarks[nMark];
        const guint16 iPos = guint16(std::min<gint>(iOffset, MARK_NONE - 1));
        (pszName[1] == 's' ? mark.iMarkS : mark.iMarkE) = iPos;
        mark.cAttr = pszName[2];
    });

    GtkTextIter itStart, itEnd;
    gtk_text_buffer_get_bounds(pbfr, &itStart, &itEnd);
    GCharPtr pszAll(gtk_text_buffer_get_text(pbfr, &itStart, &itEnd, TRUE));

    std::string strOut;
    // A text with a tilde of its own gets a header even without attributes:
    // otherwise reading it back would take its tildes for a header.
    if ((bFound || std::strchr(pszAll.get(), '~')) && nlBfr >= 3) {
        strOut += '~';
        for (const txvmark& mark : lstMarks) {
            if (!mark.cAttr || mark.iMarkS >= mark.iMarkE)
                continue;
            if (gint(strOut.size()) > gint(nlBfr) - 15)
                break;
            // Three hex digits hold positions below 0xfff; a position past
            // that cannot be stored without landing somewhere else.
            if (mark.iMarkS >= HDR_TO_END ||
                (mark.iMarkE != MARK_NONE && mark.iMarkE >= HDR_TO_END))
                continue;
            gchar szRecord[8];
            g_snprintf(szRecord, sizeof szRecord, "%03x%03x%c", guint(mark.iMarkS),
                       mark.iMarkE == MARK_NONE ? HDR_TO_END : guint(mark.iMarkE), mark.cAttr);
            strOut += szRecord;
        }
        strOut += '~';
    }
    strOut += pszAll.get();
    mscCopyText(pszBfr, nlBfr, strOut.c_str());
}

gboolean txvOnKeyPress(GtkTextView*, GdkEventKey* pevtKey, txvparam* ptxvParam) {
    if (!pevtKey || !ptxvParam || !(pevtKey->state & GDK_CONTROL_MASK))
        return FALSE;
    const guint nKey = gdk_keyval_to_lower(pevtKey->keyval);
    if (nKey == GDK_KEY_x) {
        removeAttributeAtCursor(ptxvParam);
        return TRUE;
    }
    // Key values of the Latin letters are their ASCII codes.
    GtkTextIter itStart, itEnd;
    if (nKey > 0x7f || !isAttributeLetter(gchar(nKey)) ||
        !gtk_text_buffer_get_selection_bounds(ptxvParam->pbfrTV, &itStart, &itEnd))
        return FALSE;
    addAttribute(ptxvParam, gchar(nKey), &itStart, &itEnd);
    return TRUE;
}
