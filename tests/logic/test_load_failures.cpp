// Failed loads during a tree build and a list load: each kind is reported
// once per build (a table that cannot be read fails for every card), the
// build goes on after OK and stops after Cancel, as the user chose.
#include "test_comp_fixture.h"

namespace {

using namespace avct;

using LoadFailure = CompTest;

TEST_F(LoadFailure, CardAndReferenceLoadsStopOnCancelAndGoOnAfterOk) {
    activate(addAircraft());
    addCard({.iGroupID = 1, .pszDesc = "First", .nSort = 1}, {"first.png"});
    addCard({.iGroupID = 1, .pszDesc = "Second", .nSort = 2}, {"second.png"});
    // A failed drawing load, asked once for both cards: Cancel leaves them
    // out, OK keeps them.
    avt::exec(catDb(), "ALTER TABLE Reference RENAME TO ReferenceGone");
    for (auto [nAnswer, pszAirframe] : {std::pair{GTK_RESPONSE_CANCEL, "Airframe,"},
                                        {GTK_RESPONSE_OK, "Airframe[*First,*Second],"}}) {
        Reports reports({nAnswer});
        EXPECT_TRUE(cmodLoadModel(ALL));
        EXPECT_EQ(reports.count("modComp::cmodLoadCompCallback()"), 1);
        EXPECT_EQ(reports.size(), 1u);
        EXPECT_EQ(outline().rfind(std::string("Fuselage[") + pszAirframe, 0), 0u) << outline();
    }
    // A failed card load: Cancel stops the build at once.
    avt::exec(catDb(), "ALTER TABLE Component RENAME TO ComponentGone");
    {
        Reports reports({GTK_RESPONSE_CANCEL});
        EXPECT_FALSE(cmodLoadModel(ALL));
        EXPECT_EQ(reports.count("modComp::cmodLoadModel() sqlLoadCompCard"), 1);
        EXPECT_EQ(reports.size(), 1u);
    }
    EXPECT_EQ(outline(), "Fuselage(<null> 0)\n") << "only the first row, nothing marked";
    // After OK every group and sub-group load is tried (8 + 29) and marked;
    // one report says so, the log counts the rest.
    Reports reports;
    EXPECT_TRUE(cmodLoadModel(ALL));
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_TRUE(avt::contains(avt::readFile(m_dirs->etcFile("avLedger.log")), "36 more failures"));
    std::string strTree = outline();
    EXPECT_EQ(std::count(strTree.begin(), strTree.end(), '\n'), 8);
    EXPECT_EQ(strTree.rfind("Fuselage[Airframe,Landing Gear,", 0), 0u) << strTree;
    EXPECT_EQ(strTree.find('('), std::string::npos) << "every row marked black";
}

TEST_F(LoadFailure, MaintenanceLoadFailureIsReportedAndTheCardStillJudged) {
    guint iACID = addAircraft();
    addFlights(iACID, {{utc(2020, 2, 1), 501}});
    guint iCard = addCard({.iGroupID = 1, .nInspIntv = 50});
    addCard({.iGroupID = 2, .nInspIntv = 50});
    activate(iACID);
    avt::exec(logDb(), "ALTER TABLE Maintenance RENAME TO MaintenanceGone");
    {
        Reports reports;
        EXPECT_TRUE(cmodLoadModel(iCard));
        EXPECT_EQ(reports.count("modMaint::mmodGetState()"), 1) << "once for both cards";
        EXPECT_EQ(reports.size(), 1u);
    }
    // Judged from the manufacture date: due, not silently "not due".
    ASSERT_NE(cmodGetCompSel(), nullptr);
    EXPECT_EQ(text(cmodGetCompSel(), CCD_COLOUR_COL), "red");
    Reports reports;
    mmodLoadModel(iCard, ALL);
    EXPECT_EQ(reports.count("::mmodLoadModel()"), 1);
    EXPECT_EQ(gtk_tree_model_iter_n_children(mmodGetModel(), nullptr), 1) << "new-record row";
}

TEST_F(LoadFailure, ServiceNoteLabels) {
    avt::exec(catDb(), "INSERT INTO ServiceNote (strLabel, strText, bDelete) VALUES "
                       "('SN-1','a',0),('','b',0),('SN-3','c',1),('SN-4','d',NULL)");
    ASSERT_TRUE(cmodLoadSNoteModel());
    GtkTreeIter iter;
    ASSERT_EQ(gtk_tree_model_iter_n_children(cmodSNoteModel(), nullptr), 2);
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(cmodSNoteModel(), &iter, nullptr, 1));
    EXPECT_EQ(text(&iter, SNOTE_LABEL_COL, cmodSNoteModel()), "SN-4");
    avt::exec(catDb(), "ALTER TABLE ServiceNote RENAME TO ServiceNoteGone");
    Reports reports({GTK_RESPONSE_CANCEL});
    EXPECT_FALSE(cmodLoadSNoteModel());
    EXPECT_EQ(reports.count("cmodLoadSNoteModel()"), 1);
}

} // namespace
