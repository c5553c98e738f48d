// The shared pilot list on a real log database: order, names, next-date
// texts, due flags, the "<new pilot>" row and finding rows by ID.
#include "harness.h"
#include "modPilot.h"
#include "rcdPilot.h"
#include "sqlMLog.h"

#include <glib/gprintf.h>
#include <sqlite3.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

using avt::TempDirs;

struct PilotRow {
    guint iID;
    std::string strName;
    std::string strRName;
    std::string strMedNext;
    std::string strFRNext;
    gboolean bMedDue;
    gboolean bFRDue;
    guint nStyle;
    gboolean bFG;
    gboolean bNew;
};

PilotRow readRow(GtkTreeIter* piter) {
    GtkTreeModel* pmod = pmodGetModel();
    PilotRow row{};
    gchar* pszName = nullptr;
    gchar* pszRName = nullptr;
    gchar* pszMed = nullptr;
    gchar* pszFR = nullptr;
    gtk_tree_model_get(pmod, piter, PILOT_ID_COL, &row.iID, PILOT_NAME_COL, &pszName,
                       PILOT_RNAME_COL, &pszRName, PILOT_MED_NEXT_COL, &pszMed, PILOT_FR_NEXT_COL,
                       &pszFR, PILOT_MED_DUE_COL, &row.bMedDue, PILOT_FR_DUE_COL, &row.bFRDue,
                       PILOT_STYLE_COL, &row.nStyle, PILOT_FG_COL, &row.bFG, PILOT_NEW_COL,
                       &row.bNew, -1);
    row.strName = pszName ? pszName : "(null)";
    row.strRName = pszRName ? pszRName : "(null)";
    row.strMedNext = pszMed ? pszMed : "(null)";
    row.strFRNext = pszFR ? pszFR : "(null)";
    g_free(pszName);
    g_free(pszRName);
    g_free(pszMed);
    g_free(pszFR);
    return row;
}

std::vector<PilotRow> allRows() {
    std::vector<PilotRow> rows;
    GtkTreeIter iter;
    GtkTreeModel* pmod = pmodGetModel();
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        rows.push_back(readRow(&iter));
        EXPECT_FALSE(gtk_tree_model_iter_has_child(pmod, &iter)) << "the list is flat";
    }
    return rows;
}

void expectNewPilotRow(const PilotRow& row) {
    EXPECT_EQ(row.iID, 0xFFFFFFFFu);
    EXPECT_EQ(row.strName, "<new pilot>");
    EXPECT_EQ(row.strRName, "");
    EXPECT_EQ(row.strMedNext, "(null)");
    EXPECT_EQ(row.strFRNext, "(null)");
    EXPECT_FALSE(row.bMedDue);
    EXPECT_FALSE(row.bFRDue);
    EXPECT_EQ(row.nStyle, 2u) << "italic";
    EXPECT_TRUE(row.bFG) << "drawn in the renderer's colour";
    EXPECT_TRUE(row.bNew);
}

time_t utc(int nYear, int nMonth, int nDay) {
    struct tm tmDate {};
    tmDate.tm_year = nYear - 1900;
    tmDate.tm_mon = nMonth - 1;
    tmDate.tm_mday = nDay;
    return timegm(&tmDate);
}

std::string dateText(time_t t) {
    struct tm tmDate {};
    gmtime_r(&t, &tmDate);
    char sz[20];
    strftime(sz, sizeof sz, "%d-%b-%Y", &tmDate);
    return sz;
}

class PilotModel : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sqlInitialize()) << sqlLastError(); }

    void addPilot(const char* pszLName, const char* pszFName, const char* pszKey, time_t tNextMed,
                  time_t tNextFR, const char* pszDelete = "0") {
        gchar* pszSQL = sqlite3_mprintf(
            "INSERT INTO Pilot (strLName, strFName, strSortKey, tNextMed, tNextFR, bDelete) "
            "VALUES (%Q, %Q, %Q, %lld, %lld, %s)",
            pszLName, pszFName, pszKey, (long long)tNextMed, (long long)tNextFR, pszDelete);
        avt::exec(m_dirs.etcFile("avLedger.db"), pszSQL);
        sqlite3_free(pszSQL);
    }

    TempDirs m_dirs;
};

TEST_F(PilotModel, EmptyTableGivesOnlyTheNewPilotRow) {
    ASSERT_TRUE(pmodInitialize());
    auto rows = allRows();
    ASSERT_EQ(rows.size(), 1u);
    expectNewPilotRow(rows[0]);

    GtkTreeIter* piter = pmodFindPilotID(0xFFFFFFFF);
    ASSERT_NE(piter, nullptr);
    EXPECT_EQ(pmodGetPilotID(piter), 0xFFFFFFFFu);
    EXPECT_EQ(pmodFindPilotID(1), nullptr);
}

TEST_F(PilotModel, PilotsInSortKeyOrderWithNamesDatesAndDueFlags) {
    const time_t tNow = time(nullptr);
    const time_t tAhead = tNow + 400 * 86400;
    addPilot("Smith", "Anne", "SMITHANNE", utc(2010, 3, 15), tAhead);
    addPilot("Smith", "", "SMITH", tAhead, 0);
    addPilot("", "Anne", "ANNE", 0, utc(2009, 12, 1));
    addPilot("O'Neill", "Gone", "ONEILLGONE", 0, 0, "1");
    addPilot("Zed", "Old", "ZEDOLD", tAhead, tAhead, "NULL"); // older rows have no mark
    ASSERT_TRUE(pmodLoadModel());

    struct Expect {
        const char* pszName;
        const char* pszRName;
        std::string strMed;
        std::string strFR;
        gboolean bMedDue;
        gboolean bFRDue;
    };
    const Expect expected[] = {
        {"Anne", "Anne ", "", "01-Dec-2009", TRUE, TRUE}, // no date counts as due
        {"Smith", " Smith", dateText(tAhead), "", FALSE, TRUE},
        {"Smith, Anne", "Anne Smith", "15-Mar-2010", dateText(tAhead), TRUE, FALSE},
        {"Zed, Old", "Old Zed", dateText(tAhead), dateText(tAhead), FALSE, FALSE},
    };
    auto rows = allRows();
    ASSERT_EQ(rows.size(), std::size(expected) + 1);
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].pszName);
        EXPECT_EQ(rows[i].strName, expected[i].pszName);
        EXPECT_EQ(rows[i].strRName, expected[i].pszRName);
        EXPECT_EQ(rows[i].strMedNext, expected[i].strMed);
        EXPECT_EQ(rows[i].strFRNext, expected[i].strFR);
        EXPECT_EQ(rows[i].bMedDue, expected[i].bMedDue);
        EXPECT_EQ(rows[i].bFRDue, expected[i].bFRDue);
        EXPECT_EQ(rows[i].nStyle, 0u);
        EXPECT_FALSE(rows[i].bFG);
        EXPECT_FALSE(rows[i].bNew);
        GtkTreeIter* piter = pmodFindPilotID(rows[i].iID);
        ASSERT_NE(piter, nullptr);
        EXPECT_EQ(readRow(piter).strName, rows[i].strName);
    }
    expectNewPilotRow(rows.back());

    // A reload rebuilds the list whole: no row twice.
    ASSERT_TRUE(pmodLoadModel());
    EXPECT_EQ(allRows().size(), rows.size());
}

TEST_F(PilotModel, LongNamesAreCutWithoutSplittingACharacter) {
    // "a " and 49 two-byte letters: the cut at 99 bytes falls inside the last one.
    std::string strLName;
    for (int i = 0; i < 49; ++i)
        strLName += "\u00e9";
    addPilot(strLName.c_str(), "a", "E", 0, 0);
    ASSERT_TRUE(pmodLoadModel());
    auto rows = allRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].strRName, "a " + strLName.substr(0, 96));
    EXPECT_EQ(rows[0].strName, strLName + ",");
    for (const std::string* pstr : {&rows[0].strName, &rows[0].strRName})
        EXPECT_TRUE(g_utf8_validate(pstr->c_str(), -1, nullptr)) << *pstr;
}

TEST_F(PilotModel, DueDatesOfOneRowAreRefreshedInPlace) {
    const time_t tAhead = time(nullptr) + 400 * 86400;
    addPilot("Adams", "Ann", "ADAMSANN", tAhead, tAhead);
    addPilot("Brown", "Bob", "BROWNBOB", tAhead, tAhead);
    ASSERT_TRUE(pmodLoadModel());
    auto before = allRows();
    ASSERT_EQ(before.size(), 3u);

    rcdPilot rcd{};
    rcd.iPilotID = before[1].iID;
    // A changed name does not move the row; only the dates are refreshed.
    strcpy(rcd.szLName, "Aaron");
    rcd.tNextMed = utc(2011, 7, 1);
    rcd.tNextFR = tAhead + 86400;
    pmodUpdateDueDates(&rcd);
    auto after = allRows();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[1].strName, "Brown, Bob");
    EXPECT_EQ(after[1].strMedNext, "01-Jul-2011");
    EXPECT_TRUE(after[1].bMedDue);
    EXPECT_EQ(after[1].strFRNext, dateText(tAhead + 86400));
    EXPECT_FALSE(after[1].bFRDue);
    EXPECT_EQ(after[0].strMedNext, before[0].strMedNext) << "other rows stay";
    EXPECT_FALSE(after[0].bMedDue);

    // Neither a record not yet stored nor an unknown ID touches any row.
    for (guint iID : {0xFFFFFFFFu, before[1].iID + 100}) {
        rcd.iPilotID = iID;
        rcd.tNextMed = 0;
        rcd.tNextFR = 0;
        pmodUpdateDueDates(&rcd);
        auto rows = allRows();
        EXPECT_EQ(rows[0].strMedNext, before[0].strMedNext);
        EXPECT_EQ(rows[1].strMedNext, "01-Jul-2011");
        expectNewPilotRow(rows[2]);
    }
}

} // namespace
