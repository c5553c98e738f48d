#include "modPilot.h"

#include "avCnv.h"
#include "avErrLog.h"
#include "avTree.h"
#include "rcdPilot.h"
#include "sqlMLog.h"

#include <glib/gprintf.h>

#include <cctype>
#include <cstring>

namespace {

GtkTreeStore* m_pmodPilot = nullptr;
// The one iterator pmodFindPilotID hands out.
GtkTreeIter m_iterFound;
// The load's record buffer; zeroed once before each load.
rcdPilot m_rcdLoad;

constexpr guint PILOT_STYLE_NORMAL = 0; // PANGO_STYLE_NORMAL
constexpr guint PILOT_STYLE_ITALIC = 2; // PANGO_STYLE_ITALIC

void appendNewPilotRow() {
    GtkTreeIter iter;
    gtk_tree_store_append(m_pmodPilot, &iter, nullptr);
    gtk_tree_store_set(m_pmodPilot, &iter, PILOT_ID_COL, PILOT_ID_NEW, PILOT_NAME_COL,
                       "<new pilot>", PILOT_RNAME_COL, "", PILOT_MED_DUE_COL, FALSE,
                       PILOT_FR_DUE_COL, FALSE, PILOT_STYLE_COL, PILOT_STYLE_ITALIC, PILOT_FG_COL,
                       TRUE, PILOT_NEW_COL, TRUE, -1);
}

// "Last, First"; either part alone when the other is empty.
void buildSortName(char (&szName)[100], const rcdPilot* prcd) {
    char szFull[sizeof prcd->szLName + sizeof prcd->szFName + 4];
    g_snprintf(szFull, sizeof szFull, "%s%s%s", prcd->szLName,
               prcd->szLName[0] && prcd->szFName[0] ? ", " : "", prcd->szFName);
    mscCopyText(szName, szFull);
}

// "First Last"; a missing part leaves its blank in place.
void buildReadingName(char (&szName)[100], const rcdPilot* prcd) {
    char szFull[sizeof prcd->szLName + sizeof prcd->szFName + 4];
    g_snprintf(szFull, sizeof szFull, "%s %s", prcd->szFName, prcd->szLName);
    mscCopyText(szName, szFull);
}

void setNextDateTexts(GtkTreeIter* piter, const rcdPilot* prcd) {
    char szMed[20];
    char szFR[20];
    cnvDcdDate(szMed, sizeof szMed, prcd->tNextMed, 0);
    cnvDcdDate(szFR, sizeof szFR, prcd->tNextFR, 0);
    gtk_tree_store_set(m_pmodPilot, piter, PILOT_MED_NEXT_COL, szMed, PILOT_FR_NEXT_COL, szFR,
                       PILOT_MED_NEXT_T_COL, gint64(prcd->tNextMed), PILOT_FR_NEXT_T_COL,
                       gint64(prcd->tNextFR), -1);
}

// Appends the letters and digits of a name, upper-cased, until the key
// holds nlMax bytes. Accented and other non-ASCII letters are kept whole
// (never cut in half). Returns FALSE when the key became full.
gboolean appendKeyChars(gchar* pszKey, guint& nlKey, guint nlMax, const char* pszName,
                        std::size_t nlName) {
    const char* pszEnd = pszName + strnlen(pszName, nlName);
    for (const char* p = pszName; p < pszEnd;) {
        if (nlKey >= nlMax)
            return FALSE;
        const gunichar c = g_utf8_get_char_validated(p, pszEnd - p);
        const bool bValid = c != gunichar(-1) && c != gunichar(-2);
        const char* pNext = bValid ? g_utf8_next_char(p) : p + 1;
        if (bValid && g_unichar_isalnum(c)) {
            gchar szChar[6];
            const guint nlChar = guint(g_unichar_to_utf8(g_unichar_toupper(c), szChar));
            if (nlKey + nlChar > nlMax)
                return FALSE;
            memcpy(pszKey + nlKey, szChar, nlChar);
            nlKey += nlChar;
        }
        p = pNext;
    }
    return nlKey < nlMax;
}

} // namespace

gboolean pmodInitialize() {
    if (!m_pmodPilot)
        m_pmodPilot = gtk_tree_store_new(PILOT_NUM_COLS, G_TYPE_UINT, G_TYPE_STRING, G_TYPE_STRING,
                                         G_TYPE_STRING, G_TYPE_STRING, G_TYPE_BOOLEAN,
                                         G_TYPE_BOOLEAN, G_TYPE_UINT, G_TYPE_BOOLEAN,
                                         G_TYPE_BOOLEAN, G_TYPE_INT64, G_TYPE_INT64);
    return pmodLoadModel();
}

gboolean pmodLoadModel() {
    gtk_tree_store_clear(m_pmodPilot);
    memset(&m_rcdLoad, 0, sizeof m_rcdLoad);
    cbPilot cb{&m_rcdLoad, pmodLoadPilotCallback};
    if (!sqlLoadPilotRecord(&cb, SQL_NEW_ID)) {
        if (dlgReport(sqlLastError(), "pmodLoadModel()", "modPilot") == GTK_RESPONSE_CANCEL)
            return FALSE;
    }
    appendNewPilotRow();
    return TRUE;
}

int pmodLoadPilotCallback(rcdPilot* prcdPilot) {
    char szName[100];
    char szRName[100];
    buildSortName(szName, prcdPilot);
    buildReadingName(szRName, prcdPilot);
    GtkTreeIter iter;
    gtk_tree_store_append(m_pmodPilot, &iter, nullptr);
    gtk_tree_store_set(m_pmodPilot, &iter, PILOT_ID_COL, prcdPilot->iPilotID, PILOT_NAME_COL,
                       szName, PILOT_RNAME_COL, szRName, PILOT_STYLE_COL, PILOT_STYLE_NORMAL,
                       PILOT_FG_COL, FALSE, PILOT_NEW_COL, FALSE, -1);
    setNextDateTexts(&iter, prcdPilot);
    pmodUpdateTreeDue(&iter, prcdPilot);
    return 0;
}

GtkTreeModel* pmodGetModel() {
    return GTK_TREE_MODEL(m_pmodPilot);
}

guint pmodGetPilotID(GtkTreeIter* piterPilot) {
    guint iPilotID = PILOT_ID_NEW;
    gtk_tree_model_get(GTK_TREE_MODEL(m_pmodPilot), piterPilot, PILOT_ID_COL, &iPilotID, -1);
    return iPilotID;
}

GtkTreeIter* pmodFindPilotID(guint iPilotID) {
    if (!m_pmodPilot)
        return nullptr;
    if (!mscGetIterFromID(&m_iterFound, GTK_TREE_MODEL(m_pmodPilot), PILOT_ID_COL, iPilotID))
        return nullptr;
    return &m_iterFound;
}

void pmodUpdateDueDates(const rcdPilot* prcdPilot) {
    if (prcdPilot->iPilotID == PILOT_ID_NEW)
        return;
    GtkTreeIter iter;
    if (!mscGetIterFromID(&iter, GTK_TREE_MODEL(m_pmodPilot), PILOT_ID_COL, prcdPilot->iPilotID))
        return;
    setNextDateTexts(&iter, prcdPilot);
    pmodUpdateTreeDue(&iter, prcdPilot);
}

void pmodUpdateTreeDue(GtkTreeIter* piterPilot, const rcdPilot* prcdPilot) {
    // A next date of 0 (none) counts as due; its text is empty, so no red shows.
    time_t tNow = time(nullptr);
    gtk_tree_store_set(m_pmodPilot, piterPilot, PILOT_MED_DUE_COL, prcdPilot->tNextMed <= tNow,
                       PILOT_FR_DUE_COL, prcdPilot->tNextFR <= tNow, -1);
}

time_t pltCalcDueDate(time_t tLast, guint nIntv, gboolean bEndMonth) {
    if (tLast == -1)
        return 0;
    time_t tFrom = tLast;
    if (bEndMonth) {
        // Counted from the first of the month after the last date.
        struct tm tmFrom {};
        if (!gmtime_r(&tLast, &tmFrom))
            return 0;
        tmFrom.tm_mday = 1;
        tmFrom.tm_mon += 1;
        tFrom = cnvMakeTime(&tmFrom);
    }
    // Month and year steps stop at the last day of a short month: the
    // validity is never overstated.
    const time_t tDue = cnvAddInterval(tFrom, nIntv);
    return tDue == -1 ? 0 : tDue;
}

gboolean pltBuildSortKey(const rcdPilot* prcdPilot, gchar* pszSortKey, guint nlSortKey) {
    if (nlSortKey == 0)
        return FALSE;
    memset(pszSortKey, 0, nlSortKey);
    // Room for the terminator and one spare byte, as the stored key has always had.
    guint nlMax = nlSortKey >= 2 ? nlSortKey - 2 : 0;
    guint nlKey = 0;
    if (appendKeyChars(pszSortKey, nlKey, nlMax, prcdPilot->szLName, sizeof prcdPilot->szLName))
        appendKeyChars(pszSortKey, nlKey, nlMax, prcdPilot->szFName, sizeof prcdPilot->szFName);
    return nlKey > 0;
}

namespace {

// The values of one due group of a record.
struct DueValues {
    time_t& tLast;
    time_t& tNext;
    guint& nIntv;
    gboolean& bAuto;
    gboolean& bMonthEnd;
};
DueValues dueOf(rcdPilot& rcd, pltDueGroup nGroup) {
    if (nGroup == PLT_MEDICAL)
        return {rcd.tLastMed, rcd.tNextMed, rcd.nMedIntv, rcd.bMedAuto, rcd.bMedMonthEnd};
    return {rcd.tLastFR, rcd.tNextFR, rcd.nFRIntv, rcd.bFRAuto, rcd.bFRMonthEnd};
}

void recompute(const DueValues& due) {
    due.tNext = pltCalcDueDate(due.tLast, due.nIntv, due.bMonthEnd);
}

// A count, then at most a unit word ("6 months", "2y", "30"). "25:61" or
// "10:00" is a clock time or a slip, which would otherwise be read as days.
bool isCountAndUnit(const gchar* psz) {
    auto skip = [&psz](gboolean (*pfnIs)(gchar)) {
        while (*psz && pfnIs(*psz))
            ++psz;
    };
    auto isSpace = [](gchar c) -> gboolean { return g_ascii_isspace(c); };
    skip(isSpace);
    if (!*psz)
        return true; // no interval
    if (!g_ascii_isdigit(*psz))
        return true; // the interval reader says what is wrong
    skip([](gchar c) -> gboolean { return g_ascii_isdigit(c); });
    skip(isSpace);
    skip([](gchar c) -> gboolean { return g_ascii_isalpha(c); });
    skip(isSpace);
    return !*psz;
}

} // namespace

const gchar* pltReadInterval(const gchar* pszText, guint* pnIntv) {
    if (!isCountAndUnit(pszText))
        return "An interval is a count and a unit, such as 6 months or 2 years.";
    const gchar* pszWhy = nullptr;
    return cnvReadInterval(pnIntv, pszText, &pszWhy) ? nullptr : pszWhy;
}

rcdPilot pltDueSet(const rcdPilot& rcd, pltDueGroup nGroup, pltDueField nField, gint64 nValue) {
    rcdPilot rcdNew = rcd;
    const DueValues due = dueOf(rcdNew, nGroup);
    if (nField == PLT_DUE_INTERVAL)
        due.nIntv = guint(nValue);
    else
        (nField == PLT_DUE_LAST ? due.tLast : due.tNext) = time_t(nValue);
    if (nField == PLT_DUE_INTERVAL || due.bAuto)
        recompute(due);
    return rcdNew;
}

rcdPilot pltDueAuto(const rcdPilot& rcd, pltDueGroup nGroup, gboolean bAuto) {
    rcdPilot rcdNew = rcd;
    const DueValues due = dueOf(rcdNew, nGroup);
    due.bAuto = bAuto;
    if (bAuto)
        recompute(due);
    return rcdNew;
}

gboolean pltDueMonthEnd(rcdPilot* prcd, pltDueGroup nGroup, gboolean bMonthEnd) {
    const DueValues due = dueOf(*prcd, nGroup);
    if (!due.bAuto)
        return FALSE;
    due.bMonthEnd = bMonthEnd;
    recompute(due);
    return TRUE;
}

pltNameEdit pltNameTyped(const rcdPilot& rcd, gboolean bLast, const gchar* pszText) {
    pltNameEdit e{rcd, PLT_NAME_SAME_PLACE, FALSE};
    char(&szName)[sizeof rcd.szLName] = bLast ? e.rcd.szLName : e.rcd.szFName;
    mscCopyText(szName, pszText);
    e.bChanged = strcmp(szName, bLast ? rcd.szLName : rcd.szFName) != 0;
    char szSortKey[sizeof rcd.szSortKey];
    if (!pltBuildSortKey(&e.rcd, szSortKey, sizeof szSortKey)) {
        e.rcd = rcd;
        e.nPlace = PLT_NAME_REFUSED;
    } else if (strcmp(szSortKey, rcd.szSortKey) != 0) {
        mscCopyText(e.rcd.szSortKey, szSortKey);
        e.nPlace = PLT_NAME_NEW_PLACE;
    }
    return e;
}
