// Marked-up text: what a decoded help text or service note looks like
// (visible characters, tags on exact character ranges, images, size hints),
// that reading it back gives the marked text again, the attribute-header
// form, and a decoder that survives hostile input. Buffers only: no display.
#include "txtView.h"

#include "harness.h"
#include "test_txtview_support.h"

#include <map>
#include <random>

namespace {

using avt::TempDirs;
using txvt::allText;
using txvt::tagRuns;
using txvt::visibleText;

const char* const m_lstTagNames[] = {"b", "i", "u", "l", "h", "red", "RED", "blue", "BLUE"};

struct Buffer {
    GtkTextBuffer* pbfr;
    Buffer() : pbfr(gtk_text_buffer_new(nullptr)) { txvCreateTags(pbfr); }
    ~Buffer() { g_object_unref(pbfr); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
};

// A 4 x 3 picture that the texts below embed.
void writePicture(const TempDirs& dirs, const char* pszName) {
    GdkPixbuf* ppix = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 4, 3);
    gdk_pixbuf_fill(ppix, 0x3366ccff);
    ASSERT_TRUE(gdk_pixbuf_save(ppix, dirs.etcFile(pszName).c_str(), "png", nullptr, nullptr));
    g_object_unref(ppix);
}

struct DecodeCase {
    const char* pszName;
    std::vector<std::string> texts; // decoded one after the other
    std::string strVisible;
    std::map<std::string, std::string> runs; // tags not listed must be absent
    guint nWidth = 0;
    guint nHeight = 0;
    gboolean bShowTags = FALSE;
};

TEST(MarkedText, DecodesToTheRightCharacters) {
    TempDirs dirs;
    writePicture(dirs, "pic.png");
    const DecodeCase cases[] = {
        {"bold red word",
         {"~CRComponent~c - due for replacement"},
         "Component - due for replacement",
         {{"RED", "3:Component"}, {"h", "0:~CR|12:~c"}}},
        {"italic blue placeholder",
         {"~I~Cb<new record>~c~i"},
         "<new record>",
         {{"i", "2:~Cb<new record>~c"}, {"blue", "5:<new record>"}, {"h", "0:~I~Cb|17:~c~i"}}},
        {"size hints only", {"~W350~w~H250~h"}, "", {{"h", "0:~W350~w~H250~h"}}, 350, 250},
        {"unknown colour letter", {"~CxGrey~c text"}, "Grey text", {{"h", "0:~Cx|7:~c"}}},
        {"colour letter that is not ASCII", {"~C\u00b0x~c"}, "x", {{"h", "0:~C\u00b0|4:~c"}}},
        {"two texts, each at its own place",
         {"~BOne~b\n", "~UTwo~u"},
         "One\nTwo",
         {{"b", "2:One"}, {"u", "10:Two"}, {"h", "0:~B|5:~b|8:~U|13:~u"}}},
        {"a span does not reach into the next text",
         {"~BOne\n", "Two~b"},
         "One\nTwo",
         {{"h", "0:~B|9:~b"}}},
        {"image at the start of the next line",
         {"~D../etc/pic.png~d\nNext"},
         "\n[img]Next",
         {{"h", "0:~D../etc/pic.png~d"}}},
        {"image at the very end",
         {"~Cbblue~c ~D../etc/pic.png~d"},
         "blue [img]",
         {{"blue", "3:blue"}, {"h", "0:~Cb|7:~c|10:~D../etc/pic.png~d"}}},
        {"image followed by a code stays visible",
         {"~D../etc/pic.png~d~Bb~b"},
         "[img]b",
         {{"b", "21:b"}, {"h", "0:~D../etc/pic.png~d~|20:B|22:~b"}}},
        {"a second close of the file name keeps the picture",
         {"~D../etc/pic.png~dX~d"},
         "[img]",
         {{"h", "0:~D../etc/pic.png~dX|20:~d"}}},
        {"missing image shows nothing",
         {"~D../etc/none.png~d\nX"},
         "\nX",
         {{"h", "0:~D../etc/none.png~d"}}},
        {"tilde before a newline", {"A~\nB"}, "AB", {{"h", "1:~\n"}}},
        {"lone closing code", {"plain~b text"}, "plain text", {{"h", "5:~b"}}},
        {"after a degree sign",
         {"90\u00b0 ~Bhot~b"},
         "90\u00b0 hot",
         {{"b", "6:hot"}, {"h", "4:~B|9:~b"}}},
        {"tilde as the last character", {"end~"}, "end~", {}},
        {"two tildes are a code", {"a~~b"}, "ab", {{"h", "1:~~"}}},
        {"different kinds overlap",
         {"~Bab~Icd~bef~i"},
         "abcdef",
         {{"b", "2:ab~Icd"}, {"i", "6:cd~bef"}, {"h", "0:~B|4:~I|8:~b|12:~i"}}},
        {"a second opening replaces the first",
         {"~Ba~Bb~bc"},
         "abc",
         {{"b", "5:b"}, {"h", "0:~B|3:~B|6:~b"}}},
        {"colour code cut off by the end", {"x~C"}, "x", {{"h", "1:~C"}}},
        {"hints that are not sizes", {"~W-5~w~Habc~h"}, "", {{"h", "0:~W-5~w~Habc~h"}}, 0, 0},
        {"hint too large clamps", {"~W99999999999~w"}, "", {{"h", "0:~W99999999999~w"}}, G_MAXUINT},
        {"codes shown on request",
         {"~Bx~b ~W12~w"},
         "~Bx~b ~W~w",
         {{"b", "2:x"}, {"h", "8:12"}},
         12,
         0,
         TRUE},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.pszName);
        Buffer buf;
        std::string strAll;
        for (const auto& str : tc.texts) {
            txvDecodeText(buf.pbfr, str.c_str(), tc.bShowTags);
            strAll += str;
        }
        EXPECT_EQ(visibleText(buf.pbfr), tc.strVisible);
        for (const char* pszTag : m_lstTagNames) {
            auto itExpected = tc.runs.find(pszTag);
            EXPECT_EQ(tagRuns(buf.pbfr, pszTag),
                      itExpected == tc.runs.end() ? "" : itExpected->second)
                << "tag " << pszTag;
        }
        EXPECT_EQ(txvGetWidthRequest(), tc.nWidth);
        EXPECT_EQ(txvGetHeightRequest(), tc.nHeight);

        // Reading back gives the marked text unchanged; images are not text.
        gchar szBack[512];
        txvEncodeText(szBack, sizeof szBack, buf.pbfr);
        EXPECT_EQ(std::string(szBack), strAll);
    }
}

TEST(MarkedText, EmbeddedImageIsThePicture) {
    TempDirs dirs;
    writePicture(dirs, "pic.png");
    Buffer buf;
    txvDecodeText(buf.pbfr, "~D../etc/pic.png~d\nNext", FALSE);
    GtkTextIter it;
    gtk_text_buffer_get_iter_at_offset(buf.pbfr, &it, 19);
    GdkPixbuf* ppix = gtk_text_iter_get_pixbuf(&it);
    ASSERT_NE(ppix, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(ppix), 4);
    EXPECT_EQ(gdk_pixbuf_get_height(ppix), 3);
    EXPECT_EQ(gtk_text_iter_get_line(&it), 1) << "the picture opens the second line";
}

TEST(MarkedText, HintsResetWithEveryDecode) {
    Buffer buf;
    txvDecodeText(buf.pbfr, "~W350~w~H250~h", FALSE);
    txvDecodeText(buf.pbfr, "no hints", FALSE);
    EXPECT_EQ(txvGetWidthRequest(), 0u);
    EXPECT_EQ(txvGetHeightRequest(), 0u);
}

TEST(MarkedText, DamagedTextIsRepairedNotRefused) {
    Buffer buf;
    txvDecodeText(buf.pbfr, "a\xff~Bb~b", FALSE);
    EXPECT_EQ(visibleText(buf.pbfr), "a\uFFFDb");
    EXPECT_EQ(tagRuns(buf.pbfr, "b"), "4:b");
}

TEST(MarkedText, EncodingCutsWholeCharacters) {
    Buffer buf;
    txvDecodeText(buf.pbfr, "90\u00b0 ~Bhot~b", FALSE);
    struct Cut {
        guint nl;
        std::string strExpected;
    };
    for (const auto& cut : {Cut{4, "90"}, Cut{5, "90\u00b0"}, Cut{1, ""}}) {
        gchar szBack[16];
        std::fill(std::begin(szBack), std::end(szBack), 'X');
        txvEncodeText(szBack, cut.nl, buf.pbfr);
        EXPECT_EQ(std::string(szBack), cut.strExpected) << cut.nl;
    }
}

TEST(MarkedText, TagsLookAsDescribed) {
    Buffer buf;
    txvCreateTags(buf.pbfr); // a second call keeps the tags, no duplicates
    GtkTextTagTable* pTable = gtk_text_buffer_get_tag_table(buf.pbfr);
    EXPECT_EQ(gtk_text_tag_table_get_size(pTable), 9);
    struct Look {
        const char* pszTag;
        const char* pszColour; // "" for none
        int nWeight;           // 400 is normal
        bool bItalic, bUnder, bInvisible;
        int nMargin;
    };
    const Look looks[] = {
        {"l", "", 400, false, false, false, 30},
        {"b", "", 700, false, false, false, 0},
        {"i", "", 400, true, false, false, 0},
        {"u", "", 400, false, true, false, 0},
        {"h", "", 400, false, false, true, 0},
        {"red", "red", 400, false, false, false, 0},
        {"RED", "red", 700, false, false, false, 0},
        {"blue", "blue", 400, false, false, false, 0},
        {"BLUE", "blue", 700, false, false, false, 0},
    };
    for (const auto& look : looks) {
        SCOPED_TRACE(look.pszTag);
        GtkTextTag* pTag = gtk_text_tag_table_lookup(pTable, look.pszTag);
        ASSERT_NE(pTag, nullptr);
        gboolean bColourSet = FALSE, bInvisible = FALSE;
        GdkColor* pclr = nullptr;
        int nWeight = 0, nMargin = 0;
        PangoStyle style;
        PangoUnderline underline;
        g_object_get(pTag, "foreground-set", &bColourSet, "foreground-gdk", &pclr, "weight",
                     &nWeight, "style", &style, "underline", &underline, "invisible", &bInvisible,
                     "left-margin", &nMargin, nullptr);
        if (*look.pszColour) {
            GdkColor clrExpected;
            ASSERT_TRUE(gdk_color_parse(look.pszColour, &clrExpected));
            ASSERT_TRUE(bColourSet);
            EXPECT_TRUE(gdk_color_equal(pclr, &clrExpected));
        } else {
            EXPECT_FALSE(bColourSet);
        }
        if (pclr)
            gdk_color_free(pclr);
        EXPECT_EQ(nWeight, look.nWeight);
        EXPECT_EQ(style == PANGO_STYLE_ITALIC, look.bItalic);
        EXPECT_EQ(underline == PANGO_UNDERLINE_SINGLE, look.bUnder);
        EXPECT_EQ(bool(bInvisible), look.bInvisible);
        EXPECT_EQ(nMargin, look.nMargin);
    }
}

// Random and hostile texts: never a crash or a read outside the text (the
// sanitizer build runs this), the text always reads back, and no picture
// is ever hidden inside a code.
TEST(MarkedText, SurvivesRandomAndHostileInput) {
    TempDirs dirs;
    writePicture(dirs, "pic.png");
    const char* const lstPieces[] = {"~",
                                     "~B",
                                     "~b",
                                     "~I",
                                     "~i",
                                     "~U",
                                     "~u",
                                     "~C",
                                     "~c",
                                     "~Cr",
                                     "~CR",
                                     "~Cb",
                                     "~CB",
                                     "~D",
                                     "~d",
                                     "~W",
                                     "~w",
                                     "~H",
                                     "~h",
                                     "~~",
                                     "r",
                                     "x",
                                     "7",
                                     "\n",
                                     "\u00b0",
                                     "\u20ac",
                                     "../etc/pic.png",
                                     "~D../etc/pic.png~d",
                                     "-",
                                     " "};
    std::mt19937 rng(20261206);
    gint nImagesSeen = 0;
    for (int nRound = 0; nRound < 1500; ++nRound) {
        std::string strText;
        const int nPieces = int(rng() % 40);
        for (int i = 0; i < nPieces; ++i) {
            if (nRound % 5 == 4)
                strText += char(1 + rng() % 255); // raw bytes, often not UTF-8
            else
                strText += lstPieces[rng() % std::size(lstPieces)];
        }
        SCOPED_TRACE(strText);
        Buffer buf;
        txvDecodeText(buf.pbfr, "before\n", FALSE);
        txvDecodeText(buf.pbfr, strText.c_str(), nRound % 7 == 0);

        gchar* pszValid = g_utf8_make_valid(strText.c_str(), -1);
        ASSERT_EQ(allText(buf.pbfr), "before\n" + std::string(pszValid));
        g_free(pszValid);

        GtkTextIter it;
        for (gtk_text_buffer_get_start_iter(buf.pbfr, &it); !gtk_text_iter_is_end(&it);
             gtk_text_iter_forward_char(&it)) {
            if (!gtk_text_iter_get_pixbuf(&it))
                continue;
            ++nImagesSeen;
            ASSERT_FALSE(txvt::hasTag(buf.pbfr, &it, "h")) << "a picture was hidden";
        }
    }
    EXPECT_GT(nImagesSeen, 100) << "the random texts should embed pictures";

    // Long runs of one thing.
    const std::string lstLong[] = {std::string(20000, '~'), "~W" + std::string(5000, '9') + "~w",
                                   "~D" + std::string(5000, 'a') + "~d", "~C",
                                   std::string(3000, '~') + "C"};
    for (const auto& str : lstLong) {
        Buffer buf;
        txvDecodeText(buf.pbfr, str.c_str(), FALSE);
        EXPECT_EQ(allText(buf.pbfr), str);
    }
}

// ---- The attribute-header form ----

struct View {
    Buffer buf;
    txvparam param{};
    View() {
        param.pbfrTV = buf.pbfr;
        param.iMark = 0;
    }
    std::string runs(const char* pszTag) const { return tagRuns(buf.pbfr, pszTag); }
    std::string getText(guint nl = 8000) {
        std::vector<gchar> bfr(nl, 'X');
        txvGetText(bfr.data(), nl, &param);
        return bfr.data();
    }
};

struct HeaderCase {
    const char* pszStored;
    std::string strText;
    std::map<std::string, std::string> runs; // attributes b, i, u, l
    guint nMarks;
};

TEST(HeaderForm, ReadsAttributesOntoThePlainText) {
    const HeaderCase cases[] = {
        {"~000005b~Hello world", "Hello world", {{"b", "0:Hello"}}, 1},
        {"~004fffu~Hello world", "Hello world", {{"u", "4:o world"}}, 1},
        {"~000005b006fffi~Hello world", "Hello world", {{"b", "0:Hello"}, {"i", "6:world"}}, 2},
        {"~000003l~ab\ncd", "ab\ncd", {{"l", "0:ab\n"}}, 1},
        {"~001002b~\u00b0C", "\u00b0C", {{"b", "1:C"}}, 1},
        {"~000099b~short", "short", {{"b", "0:short"}}, 1},
        {"~000002b0001~xyz", "xyz", {{"b", "0:xy"}}, 1}, // a partial record is ignored
        {"pre~000002b~Hello", "Hello", {{"b", "0:He"}}, 1},
        // End 0, start past end, a letter that is no attribute, non-hex digits.
        {"~000000b005000i050060b000005x00200Xb~Hello", "Hello", {}, 0},
        {"no header here", "no header here", {}, 0},
        {"one ~ tilde", "one ~ tilde", {}, 0},
        {"", "", {}, 0},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.pszStored);
        View view;
        view.param.iMark = 42;
        txvSetText(&view.param, tc.pszStored);
        EXPECT_EQ(allText(view.buf.pbfr), tc.strText);
        for (const char* pszTag : {"b", "i", "u", "l"}) {
            auto it = tc.runs.find(pszTag);
            EXPECT_EQ(view.runs(pszTag), it == tc.runs.end() ? "" : it->second) << pszTag;
        }
        EXPECT_EQ(view.param.iMark, tc.nMarks);
    }
}

TEST(HeaderForm, WritesAndReadsBackTheSameAttributes) {
    const char* const lstStored[] = {
        "~000005b~Hello world",
        "~004fffu~Hello world",
        "~000005b003008i00800al006fffu~Hello world",
        "~000002b000002i000002u000002l~ab\ncd",
        "~~a ~ b ~ c", // the text's own tildes survive
    };
    for (const char* pszStored : lstStored) {
        SCOPED_TRACE(pszStored);
        View first;
        txvSetText(&first.param, pszStored);
        const std::string strWritten = first.getText();
        EXPECT_EQ(strWritten, pszStored);

        View second;
        txvSetText(&second.param, strWritten.c_str());
        EXPECT_EQ(allText(second.buf.pbfr), allText(first.buf.pbfr));
        for (const char* pszTag : {"b", "i", "u", "l"})
            EXPECT_EQ(second.runs(pszTag), first.runs(pszTag)) << pszTag;
    }

    // Tildes typed into a view without attributes.
    View plain;
    gtk_text_buffer_set_text(plain.buf.pbfr, "a ~ b ~ c", -1);
    const std::string strPlain = plain.getText();
    EXPECT_EQ(strPlain, "~~a ~ b ~ c") << "otherwise \" b \" would be read as a header";
    View plainBack;
    txvSetText(&plainBack.param, strPlain.c_str());
    EXPECT_EQ(allText(plainBack.buf.pbfr), "a ~ b ~ c");
    View noTilde;
    txvSetText(&noTilde.param, "just text");
    EXPECT_EQ(noTilde.getText(), "just text");
}

TEST(HeaderForm, WritesOnlyAttributeMarksItCanStore) {
    View view;
    txvSetText(&view.param, std::string(5000, 'x').c_str());
    GtkTextBuffer* pbfr = view.buf.pbfr;
    auto mark = [&](const char* pszName, gint iOffset) {
        GtkTextIter it;
        gtk_text_buffer_get_iter_at_offset(pbfr, &it, iOffset);
        gtk_text_buffer_create_mark(pbfr, pszName, &it, FALSE);
    };
    mark("~sb_3", 10);
    mark("~eb_3", 20);
    mark("~si_1", 4500); // past three hex digits: would land at 0x194
    mark("~ei_1", 4600);
    mark("~su_7", 100);
    mark("~eu_7", 5000); // at the very end: "to the end"
    mark("~sl_150", 1);  // numbers from 100 on are not attributes
    mark("~el_150", 2);
    mark("other", 3);
    EXPECT_EQ(view.getText(20000).substr(0, 16), "~00a014b064fffu~");

    View back;
    txvSetText(&back.param, view.getText(20000).c_str());
    EXPECT_EQ(back.runs("b"), "10:" + std::string(10, 'x'));
    EXPECT_EQ(back.runs("i"), "");
    EXPECT_EQ(back.runs("u"), "100:" + std::string(4900, 'x'));
    EXPECT_EQ(back.runs("l"), "");
}

TEST(HeaderForm, SmallBufferKeepsTheHeaderReadable) {
    View view;
    txvSetText(&view.param, "~000005b006fffi~Hello world");
    // Records stop once more than 20 - 15 characters are out.
    EXPECT_EQ(view.getText(20), "~000005b~Hello worl");
    txvSetText(&view.param, "~000002b~\u00b0\u00b0\u00b0\u00b0\u00b0\u00b0");
    EXPECT_EQ(view.getText(17), "~000002b~\u00b0\u00b0\u00b0") << "never half a character";
    EXPECT_EQ(view.getText(15), "~~\u00b0\u00b0\u00b0\u00b0\u00b0\u00b0") << "no room for a record";
    EXPECT_EQ(view.getText(2), "");
}

// Reading the form back into a view that still holds attribute marks would
// reuse their names; the old marks go first.
TEST(HeaderForm, ReadingTwiceIntoOneViewReplacesTheAttributes) {
    View view;
    txvSetText(&view.param, "~000005b006fffi~Hello world");
    txvSetText(&view.param, "~000003u~Hello world");
    EXPECT_EQ(view.runs("b"), "");
    EXPECT_EQ(view.runs("i"), "");
    EXPECT_EQ(view.runs("u"), "0:Hel");
    EXPECT_EQ(view.getText(), "~000003u~Hello world");
    EXPECT_EQ(gtk_text_buffer_get_mark(view.buf.pbfr, "~sb_0"), nullptr);
    EXPECT_NE(gtk_text_buffer_get_mark(view.buf.pbfr, "~su_0"), nullptr);
}

} // namespace
