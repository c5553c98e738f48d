// The maintenance list of one component: its rows, kind texts, component
// hours, the "<new record>" row and the remembered selection. (That both
// summaries agree is checked on every due case.)
#include "test_comp_fixture.h"

namespace {

using namespace avct;

// The list as "date|component hours|airframe hours|kind|row type|style",
// then "|why" on a row marked for the owner's eye.
std::vector<std::string> listRows() {
    std::vector<std::string> rows;
    GtkTreeModel* pModel = mmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(pModel, &iter); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        std::string str;
        for (int nCol : {MNT_STR_DATE_COL, MNT_COMP_HRS_COL, MNT_STR_AF_HRS_COL, MNT_STR_TYPE_COL})
            str += text(&iter, nCol, pModel) + "|";
        str += std::to_string(col<guint>(&iter, MNT_ROWTYPE_COL, pModel)) + "|" +
               std::to_string(col<guint>(&iter, MNT_STYLE_COL, pModel));
        if (const std::string strWarn = text(&iter, MNT_WARN_COL, pModel); strWarn != "<null>")
            str += "|" + strWarn;
        rows.push_back(str);
    }
    return rows;
}

using MaintList = CompTest;

TEST_F(MaintList, RowsSelectionAndAnEdit) {
    guint iACID = addAircraft();
    addFlights(iACID, {{utc(2020, 2, 1), 1000},
                       {utc(2020, 3, 1), 504},
                       {utc(2020, 4, 1), 96},
                       {utc(2020, 5, 1), 100},
                       {utc(2020, 7, 1), 30}});
    guint iCard = addCard({.iGroupID = 1, .nInspIntv = 50});
    guint iEmpty = addCard({.iGroupID = 1, .pszDesc = "Other"});
    // Written out of date order: the list is by completion date.
    guint iLast = addRecord(iACID, iCard, {MNT_KIND_DEFER_RCO, utc(2020, 7, 15), 0, 0, 10, 0});
    addRecord(iACID, iCard, {MNT_KIND_INSPECTED, utc(2020, 5, 15)});
    addRecord(iACID, iCard, {MNT_KIND_REPLACE_NEW, utc(2020, 2, 15)});
    guint iInsp = addRecord(iACID, iCard, {MNT_KIND_INSPECTED, utc(2020, 3, 15, 14, 30)});
    addRecord(iACID, iCard, {MNT_KIND_DEFER_INSP, utc(2020, 4, 15), 0, 0, 20, 3});
    addRecord(iACID, iCard, {MNT_KIND_REPLACE_USED, utc(2020, 6, 15), 250, 0x03000001});
    // Left by a kill before the owner finished it: it fits no part.
    addRecord(iACID, iCard, {MNT_FLAG_UNFINISHED | MNT_KIND_REPLACE_NEW, utc(2020, 6, 20)});
    // Not this list: another aircraft, a deleted record.
    addRecord(addAircraft(), iCard, {MNT_KIND_INSPECTED, utc(2020, 6, 2)});
    guint iGone = addRecord(iACID, iCard, {MNT_KIND_INSPECTED, utc(2020, 6, 3)});
    avt::exec(logDb(), "UPDATE Maintenance SET bDelete=1 WHERE iMaintID=" + std::to_string(iGone));
    activate(iACID);

    mmodLoadModel(iCard, ALL);
    EXPECT_EQ(listRows(), (std::vector<std::string>{
                              "15-Feb-2020|0|100|Replace New|0|0",
                              "15-Mar-2020 14:30|50|150||0|0",
                              "15-Apr-2020|60|160|Defer Inspection|0|0",
                              "15-May-2020|70|170||0|0",
                              "15-Jun-2020|25|170|Replace Used|0|0",
                              "20-Jun-2020|25|170|Unfinished entry|0|0|Unfinished: counts for "
                              "nothing until completed or deleted",
                              "15-Jul-2020|28|173|Defer Replacement|0|0",
                              "<new record>|<null>|<null>|<null>|1|2",
                          }));
    GtkTreeIter iterNew;
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(mmodGetModel(), &iterNew, nullptr, 7));
    EXPECT_EQ(guint(col<gulong>(&iterNew, MNT_ID_COL, mmodGetModel())), ALL);

    // The remembered selection: component, record asked for, record
    // selected (0: none), rows.
    const std::tuple<guint, guint, guint, size_t> cases[] = {{iCard, ALL, iLast, 8},
                                                             {iCard, 999999, 0, 8},
                                                             {iEmpty, ALL, 0, 1},
                                                             {iCard, iInsp, iInsp, 8}};
    for (auto [iComp, iMaint, iExpect, nRows] : cases) {
        mmodLoadModel(iComp, iMaint);
        EXPECT_EQ(listRows().size(), nRows);
        GtkTreeIter* piter = mmodGetSel();
        EXPECT_EQ(piter ? col<gulong>(piter, MNT_ID_COL, mmodGetModel()) : 0, iExpect) << iMaint;
    }

    // The user turns the inspection into a used replacement with 12.0 hours.
    rcdMaint rcd{};
    ASSERT_TRUE(sqlLoadMaintRecord(&rcd, iInsp));
    rcd.bFlags = MNT_KIND_REPLACE_USED;
    rcd.nCompHours = 120;
    mmodUpdateRow(mmodGetSel(), &rcd);
    const mntState* pS = mmodCalcCompTimes();
    EXPECT_EQ(listRows()[1], "15-Mar-2020 14:30|12|150|Replace Used|0|0");
    EXPECT_EQ(listRows()[3], "15-May-2020|31|170||0|0");
    EXPECT_EQ(pS->nRCOHours, 250u);
    // Moved after the rows below it without a reload: they add no hours
    // rather than wrap the running count below zero.
    rcd.tComplete = utc(2020, 7, 20);
    mmodUpdateRow(mmodGetSel(), &rcd);
    mmodCalcCompTimes();
    EXPECT_EQ(listRows()[2], "15-Apr-2020|12|160|Defer Inspection|0|0");
    mmodClearModel();
    EXPECT_TRUE(listRows().empty());
    EXPECT_EQ(mmodGetSel(), nullptr);
}

} // namespace
