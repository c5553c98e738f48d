// The maintenance list of one component: its rows, kind texts, component
// hours, the "<new record>" row and the remembered selection; and the two
// summaries (from the database, from the list) agreeing on any history.
#include "test_comp_fixture.h"

#include <random>
#include <string>
#include <vector>

namespace {

using namespace avct;

struct ListRow {
    std::string strDate, strCompHrs, strAFHrs, strType;
    guint nRowType, nStyle;
    bool operator==(const ListRow&) const = default;
};

std::ostream& operator<<(std::ostream& os, const ListRow& r) {
    return os << "{" << r.strDate << "|" << r.strCompHrs << "|" << r.strAFHrs << "|" << r.strType
              << "|" << r.nRowType << "|" << r.nStyle << "}";
}

std::string str(GtkTreeModel* pModel, GtkTreeIter* piter, int nCol) {
    gchar* psz = nullptr;
    gtk_tree_model_get(pModel, piter, nCol, &psz, -1);
    std::string s = psz ? psz : "<null>";
    g_free(psz);
    return s;
}

std::vector<ListRow> listRows() {
    std::vector<ListRow> rows;
    GtkTreeModel* pModel = mmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(pModel, &iter); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        ListRow r;
        r.strDate = str(pModel, &iter, MNT_STR_DATE_COL);
        r.strCompHrs = str(pModel, &iter, MNT_COMP_HRS_COL);
        r.strAFHrs = str(pModel, &iter, MNT_STR_AF_HRS_COL);
        r.strType = str(pModel, &iter, MNT_STR_TYPE_COL);
        gtk_tree_model_get(pModel, &iter, MNT_ROWTYPE_COL, &r.nRowType, MNT_STYLE_COL, &r.nStyle,
                           -1);
        rows.push_back(r);
    }
    return rows;
}

gulong rowID(GtkTreeIter* piter) {
    gulong id = 0;
    gtk_tree_model_get(mmodGetModel(), piter, MNT_ID_COL, &id, -1);
    return id;
}

using MaintList = CompTest;

TEST_F(MaintList, KindTextsAndComponentHours) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addFlights(iACID, {{utc(2020, 2, 1), 1000},
                       {utc(2020, 3, 1), 504},
                       {utc(2020, 4, 1), 96},
                       {utc(2020, 5, 1), 100},
                       {utc(2020, 7, 1), 30}});
    guint iCard = addCard({.iGroupID = 1, .nInspIntv = 50});
    guint iOther = addCard({.iGroupID = 1, .pszDesc = "Other"});
    // Written out of date order: the list is by completion date.
    addRecord(iACID, iCard, {MNT_KIND_INSPECTED, utc(2020, 5, 15)});
    addRecord(iACID, iCard, {MNT_KIND_REPLACE_NEW, utc(2020, 2, 15)});
    addRecord(iACID, iCard, {MNT_KIND_INSPECTED, utc(2020, 3, 15, 14, 30)});
    addRecord(iACID, iCard, {MNT_KIND_DEFER_INSP, utc(2020, 4, 15), 0, 0, 20, 3});
    addRecord(iACID, iCard, {MNT_KIND_REPLACE_USED, utc(2020, 6, 15), 250, 0x03000001});
    addRecord(iACID, iCard, {MNT_KIND_DEFER_RCO, utc(2020, 7, 15), 0, 0, 10, 0});
    // Not this list: another card, another aircraft, a deleted record.
    addRecord(iACID, iOther, {MNT_KIND_INSPECTED, utc(2020, 6, 1)});
    guint iOtherAC = addAircraft(utc(2020, 1, 1));
    addRecord(iOtherAC, iCard, {MNT_KIND_INSPECTED, utc(2020, 6, 2)});
    guint iGone = addRecord(iACID, iCard, {MNT_KIND_INSPECTED, utc(2020, 6, 3)});
    avt::exec(logDb(), "UPDATE Maintenance SET bDelete=1 WHERE iMaintID=" + std::to_string(iGone));
    activate(iACID);

    mmodLoadModel(iCard, ALL);
    const std::vector<ListRow> expect{
        {"15-Feb-2020", "0", "100", "Replace New", MNT_ROW_DATA, 0},
        {"15-Mar-2020 14:30", "50", "150", "", MNT_ROW_DATA, 0},
        {"15-Apr-2020", "60", "160", "Defer Inspection", MNT_ROW_DATA, 0},
        {"15-May-2020", "70", "170", "", MNT_ROW_DATA, 0},
        {"15-Jun-2020", "25", "170", "Replace Used", MNT_ROW_DATA, 0},
        {"15-Jul-2020", "28", "173", "Defer Replacement", MNT_ROW_DATA, 0},
        {"<new record>", "<null>", "<null>", "<null>", MNT_ROW_NEW, 2},
    };
    EXPECT_EQ(listRows(), expect);

    // The new-record row is last and carries the all-ones ID.
    GtkTreeIter iterNew;
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(mmodGetModel(), &iterNew, nullptr, 6));
    EXPECT_EQ(guint(rowID(&iterNew)), ALL);

    // The summary after an edit: the used part and the deferrals.
    const mntState* pS = mmodCalcCompTimes();
    EXPECT_EQ(pS->tRCOLast, utc(2020, 6, 15));
    EXPECT_EQ(pS->tInspLast, utc(2020, 6, 15));
    EXPECT_EQ(pS->nRCOHours, 250u);
    EXPECT_EQ(pS->nRCOAge, 0x03000001u);
    EXPECT_EQ(pS->tDeferRCOLast, utc(2020, 7, 15));
    EXPECT_EQ(pS->nDeferRCOHours, 10u);
    EXPECT_EQ(pS->tDeferInspLast, 0);
}

TEST_F(MaintList, UpdateRowLeavesDerivedTextsAndRecomputes) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addFlights(iACID, {{utc(2020, 2, 1), 1000}, {utc(2020, 3, 1), 504}});
    guint iCard = addCard({.iGroupID = 1});
    addRecord(iACID, iCard, {MNT_KIND_REPLACE_NEW, utc(2020, 2, 15)});
    guint iInsp = addRecord(iACID, iCard, {MNT_KIND_INSPECTED, utc(2020, 3, 15)});
    activate(iACID);
    mmodLoadModel(iCard, iInsp);
    GtkTreeIter* piterSel = mmodGetSel();
    ASSERT_NE(piterSel, nullptr);
    EXPECT_EQ(guint(rowID(piterSel)), iInsp);

    // The user turns the inspection into a used replacement with 12.0 hours.
    rcdMaint rcd{};
    ASSERT_TRUE(sqlLoadMaintRecord(&rcd, iInsp));
    rcd.bFlags = MNT_KIND_REPLACE_USED;
    rcd.nCompHours = 120;
    mmodUpdateRow(piterSel, &rcd);
    EXPECT_EQ(str(mmodGetModel(), piterSel, MNT_STR_TYPE_COL), "") << "left for the recompute";
    EXPECT_EQ(str(mmodGetModel(), piterSel, MNT_COMP_HRS_COL), "50");
    const mntState* pS = mmodCalcCompTimes();
    EXPECT_EQ(str(mmodGetModel(), piterSel, MNT_STR_TYPE_COL), "Replace Used");
    EXPECT_EQ(str(mmodGetModel(), piterSel, MNT_COMP_HRS_COL), "12");
    EXPECT_EQ(pS->tRCOLast, utc(2020, 3, 15));
    EXPECT_EQ(pS->nRCOHours, 120u);
}

TEST_F(MaintList, RememberedSelection) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    guint iCard = addCard({.iGroupID = 1});
    guint iEmpty = addCard({.iGroupID = 1, .pszDesc = "Empty"});
    guint iFirst = addRecord(iACID, iCard, {MNT_KIND_INSPECTED, utc(2020, 2, 1)});
    guint iLast = addRecord(iACID, iCard, {MNT_KIND_INSPECTED, utc(2020, 3, 1)});
    activate(iACID);
    struct Case {
        guint iComp, iMaint;
        bool bSel;
        guint iExpect;
        size_t nRows;
    };
    const Case cases[] = {
        {iCard, ALL, true, iLast, 3},   {iCard, iFirst, true, iFirst, 3},
        {iCard, iLast, true, iLast, 3}, {iCard, 999999, false, 0, 3},
        {iEmpty, ALL, false, 0, 1},
    };
    for (const Case& c : cases) {
        mmodLoadModel(c.iComp, c.iMaint);
        EXPECT_EQ(listRows().size(), c.nRows);
        GtkTreeIter* piter = mmodGetSel();
        ASSERT_EQ(piter != nullptr, c.bSel) << c.iMaint;
        if (piter) {
            EXPECT_EQ(guint(rowID(piter)), c.iExpect);
        }
    }
    mmodClearModel();
    EXPECT_TRUE(listRows().empty());
    EXPECT_EQ(mmodGetSel(), nullptr);
}

// Any history: the summary read while building the tree and the summary
// computed from the list after an edit must be the same.
TEST_F(MaintList, BothSummariesAgreeOnEveryHistory) {
    guint iACID = addAircraft(utc(2019, 6, 1));
    std::mt19937 rng(20261206);
    // Written in one transaction: hundreds of single writes would only
    // measure the disk.
    std::string strSql = "BEGIN;";
    for (int i = 0; i < 60; ++i)
        strSql += "INSERT INTO Flight (iCSID, tFltBegin, tFltEnd, nElapsed, bDelete) VALUES (" +
                  std::to_string(iACID) + "," + std::to_string(utc(2019, 7, 1) + i * 7 * 86400) +
                  ",0," + std::to_string(rng() % 40) + ",0);";
    const guint kinds[] = {MNT_KIND_INSPECTED,
                           MNT_KIND_REPLACE_NEW,
                           MNT_KIND_REPLACE_USED,
                           MNT_KIND_DEFER_INSP,
                           MNT_KIND_DEFER_RCO,
                           3u,
                           12u,
                           0x40u};
    const guint nHistories = 300;
    for (guint iComp = 1; iComp <= nHistories; ++iComp) {
        int nRecs = int(rng() % 9);
        for (int r = 0; r < nRecs; ++r) {
            guint bFlags = kinds[rng() % 8];
            time_t tComplete = utc(2019, 7, 1) + time_t(rng() % (420 * 86400));
            strSql += "INSERT INTO Maintenance (iCompID,iACID,iType,bFlags,tCompleted,"
                      "nCompHours,nCompAge,nDeferHours,nDeferDays,bDelete,strNotes) VALUES (" +
                      std::to_string(iComp) + "," + std::to_string(iACID) + ",0," +
                      std::to_string(bFlags) + "," + std::to_string(tComplete) + "," +
                      std::to_string(rng() % 3000) + "," +
                      std::to_string(rng() % 2 ? 0x03000002 : 0) + "," +
                      std::to_string(rng() % 200) + "," + std::to_string(rng() % 40) + ",0,'');";
        }
    }
    strSql += "COMMIT;";
    avt::exec(logDb(), strSql);
    activate(iACID);
    guint nWithDeferral = 0;
    for (guint iComp = 1; iComp <= nHistories; ++iComp) {
        mntState sDb = *mmodGetState(iComp);
        mmodLoadModel(iComp, ALL);
        mntState sList = *mmodCalcCompTimes();
        EXPECT_EQ(summaryText(sDb), summaryText(sList)) << "component " << iComp;
        EXPECT_GE(sDb.tInspLast, sDb.tRCOLast) << "a replacement is an inspection";
        nWithDeferral += sDb.tDeferInspLast != 0 || sDb.tDeferRCOLast != 0;
    }
    // The histories must exercise deferrals in force, not only plain ones.
    EXPECT_GT(nWithDeferral, nHistories / 10);
}

// The rule itself, record by record.
TEST(MaintRule, EachKindMovesTheSummaryAsAMaintainerExpects) {
    mntState s;
    mmodStartState(&s, 1000);
    EXPECT_EQ(s.tInspLast, 1000);
    EXPECT_EQ(s.tRCOLast, 1000);
    mmodApplyRecord(&s, MNT_KIND_DEFER_INSP, 2000, 0, 0, 50, 5);
    mmodApplyRecord(&s, MNT_KIND_DEFER_RCO, 2100, 0, 0, 60, 6);
    EXPECT_EQ(s.tDeferInspLast, 2000);
    EXPECT_EQ(s.nDeferInspHours, 50u);
    EXPECT_EQ(s.nDeferInspDays, 5u);
    EXPECT_EQ(s.tDeferRCOLast, 2100);
    mmodApplyRecord(&s, MNT_KIND_REPLACE_USED, 3000, 120, 0x03000001, 9, 9);
    EXPECT_EQ(s.tRCOLast, 3000);
    EXPECT_EQ(s.tInspLast, 3000);
    EXPECT_EQ(s.nRCOHours, 120u);
    EXPECT_EQ(s.nRCOAge, 0x03000001u);
    EXPECT_EQ(s.tDeferRCOLast, 0) << "a replacement ends a replacement deferral";
    EXPECT_EQ(s.tDeferInspLast, 0) << "and an inspection deferral";
    mmodApplyRecord(&s, MNT_KIND_DEFER_INSP, 3500, 0, 0, 10, 0);
    mmodApplyRecord(&s, MNT_KIND_INSPECTED, 4000, 77, 77, 77, 77);
    EXPECT_EQ(s.tInspLast, 4000);
    EXPECT_EQ(s.tDeferInspLast, 0);
    EXPECT_EQ(s.nRCOHours, 120u) << "an inspection keeps the part's hours";
    mmodApplyRecord(&s, MNT_KIND_REPLACE_NEW, 5000, 77, 77, 0, 0);
    EXPECT_EQ(s.nRCOHours, 0u);
    EXPECT_EQ(s.nRCOAge, 0u);
    // Flags are read in the order 1, 2, 4, 8; an unknown bit is an inspection.
    mmodApplyRecord(&s, 0x40, 6000, 0, 0, 0, 0);
    EXPECT_EQ(s.tInspLast, 6000);
    EXPECT_EQ(s.tRCOLast, 5000);
    EXPECT_STREQ(mmodKindText(3), "Replace New");
    EXPECT_STREQ(mmodKindText(12), "Defer Inspection");
    EXPECT_STREQ(mmodKindText(0x40), "");
}

} // namespace
