// Failed loads during a tree build and a list load: each is shown in the
// error dialog and written to the log; the build goes on after OK and stops
// after Cancel, as the user chose. Needs an X server for the dialogs.
#include "../logic/test_comp_fixture.h"

#include <algorithm>
#include <deque>

namespace {

using namespace avct;

// Answers every error dialog in turn with the queued responses (then OK)
// and keeps the secondary texts it saw.
class DialogAnswerer {
  public:
    explicit DialogAnswerer(std::deque<int> responses = {}) : m_responses(std::move(responses)) {
        m_idTimeout = g_timeout_add(5, tick, this);
    }
    ~DialogAnswerer() { g_source_remove(m_idTimeout); }
    size_t count(const char* pszPart) const {
        size_t n = 0;
        for (auto& s : m_seen)
            n += s.find(pszPart) != std::string::npos;
        return n;
    }

  private:
    static gboolean tick(gpointer pData) {
        auto* pThis = static_cast<DialogAnswerer*>(pData);
        GList* pList = gtk_window_list_toplevels();
        for (GList* p = pList; p; p = p->next) {
            GObject* pDlg = G_OBJECT(p->data);
            if (!GTK_IS_MESSAGE_DIALOG(pDlg) || !gtk_widget_get_visible(GTK_WIDGET(pDlg)) ||
                g_object_get_data(pDlg, "answered"))
                continue;
            g_object_set_data(pDlg, "answered", pDlg);
            gchar* pszText = nullptr;
            g_object_get(pDlg, "secondary-text", &pszText, nullptr);
            pThis->m_seen.emplace_back(pszText ? pszText : "");
            g_free(pszText);
            int nResponse =
                pThis->m_responses.empty() ? GTK_RESPONSE_OK : pThis->m_responses.front();
            if (!pThis->m_responses.empty())
                pThis->m_responses.pop_front();
            gtk_dialog_response(GTK_DIALOG(pDlg), nResponse);
            break;
        }
        g_list_free(pList);
        return TRUE;
    }
    std::deque<int> m_responses;
    std::vector<std::string> m_seen;
    guint m_idTimeout;
};

using CompLoadFailure = CompTest;

TEST_F(CompLoadFailure, CardLoadStopsOnCancelAndGoesOnAfterOk) {
    activate(addAircraft(utc(2020, 1, 1)));
    addCard({.iGroupID = 1, .pszDesc = "Frame"});
    avt::exec(catDb(), "ALTER TABLE Component RENAME TO ComponentGone");
    {
        DialogAnswerer answers({GTK_RESPONSE_CANCEL});
        EXPECT_FALSE(cmodLoadModel(ALL));
        EXPECT_EQ(answers.count("modComp::cmodLoadModel()"), 1u);
        EXPECT_EQ(answers.count("sqlLoadCompCard"), 1u);
    }
    EXPECT_EQ(outline(), "Fuselage(<null> 0)\n") << "only the first row, nothing marked";
    std::string strLog = avt::readFile(m_dirs->etcFile("avLedger.log"));
    EXPECT_NE(strLog.find("Function: cmodLoadModel()"), std::string::npos);
    EXPECT_NE(strLog.find("GTK_RESPONSE_CANCEL"), std::string::npos);

    // After OK every group and sub-group load is tried (8 + 29) and marked.
    DialogAnswerer answers;
    EXPECT_TRUE(cmodLoadModel(ALL));
    EXPECT_EQ(answers.count("cmodLoadModel()"), 37u);
    std::string strTree = outline();
    EXPECT_EQ(std::count(strTree.begin(), strTree.end(), '\n'), 8);
    EXPECT_EQ(strTree.rfind("Fuselage[Airframe,Landing Gear,", 0), 0u) << strTree;
    EXPECT_EQ(strTree.find('('), std::string::npos) << "every row marked black";
}

TEST_F(CompLoadFailure, ReferenceLoadCancelLeavesTheCardOut) {
    activate(addAircraft(utc(2020, 1, 1)));
    addCard({.iGroupID = 1, .pszDesc = "First", .nSort = 1}, {"first.png"});
    addCard({.iGroupID = 1, .pszDesc = "Second", .nSort = 2}, {"second.png"});
    avt::exec(catDb(), "ALTER TABLE Reference RENAME TO ReferenceGone");
    DialogAnswerer answers({GTK_RESPONSE_CANCEL, GTK_RESPONSE_OK});
    EXPECT_TRUE(cmodLoadModel(ALL));
    EXPECT_EQ(answers.count("modComp::cmodLoadCompCallback()"), 2u);
    EXPECT_EQ(outline().rfind("Fuselage[Airframe[*Second],Landing Gear,", 0), 0u) << outline();
}

TEST_F(CompLoadFailure, MaintenanceLoadFailureIsReportedAndTheCardStillJudged) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addFlights(iACID, {{utc(2020, 2, 1), 501}});
    guint iCard = addCard({.iGroupID = 1, .nInspIntv = 50});
    activate(iACID);
    avt::exec(logDb(), "ALTER TABLE Maintenance RENAME TO MaintenanceGone");
    DialogAnswerer answers;
    EXPECT_TRUE(cmodLoadModel(iCard));
    EXPECT_EQ(answers.count("modMaint::mmodGetState()"), 1u);
    // Judged from the manufacture date: due, not silently "not due".
    ASSERT_NE(cmodGetCompSel(), nullptr);
    EXPECT_EQ(text(cmodGetCompSel(), CCD_COLOUR_COL), "red");
    mmodLoadModel(iCard, ALL);
    EXPECT_EQ(answers.count("avMaint::mntLoadMaintRecords()"), 1u);
    EXPECT_EQ(gtk_tree_model_iter_n_children(mmodGetModel(), nullptr), 1) << "new-record row";
}

TEST_F(CompLoadFailure, ServiceNoteLabels) {
    avt::exec(catDb(), "INSERT INTO ServiceNote (strLabel, strText, bDelete) VALUES "
                       "('SN-1','a',0),('','b',0),('SN-3','c',1),('SN-4','d',NULL)");
    ASSERT_TRUE(cmodLoadSNoteModel());
    std::vector<std::string> labels;
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(cmodSNoteModel(), &iter); b;
         b = gtk_tree_model_iter_next(cmodSNoteModel(), &iter))
        labels.push_back(text(&iter, SNOTE_LABEL_COL, cmodSNoteModel()));
    EXPECT_EQ(labels, (std::vector<std::string>{"SN-1", "SN-4"}));
    avt::exec(catDb(), "ALTER TABLE ServiceNote RENAME TO ServiceNoteGone");
    {
        DialogAnswerer answers({GTK_RESPONSE_CANCEL});
        EXPECT_FALSE(cmodLoadSNoteModel());
        EXPECT_EQ(answers.count("cmodLoadSNoteModel()"), 1u);
    }
    DialogAnswerer answers;
    EXPECT_TRUE(cmodLoadSNoteModel());
    EXPECT_EQ(gtk_tree_model_iter_n_children(cmodSNoteModel(), nullptr), 0);
}

} // namespace
