// Failed loads during a tree build and a list load: each is shown in the
// error dialog and written to the log; the build goes on after OK and stops
// after Cancel, as the user chose. Needs an X server for the dialogs.
#include "../logic/test_comp_fixture.h"

#include <deque>
#include <string>
#include <vector>

namespace {

using namespace avct;

// Answers every modal dialog that opens, in turn, with the queued
// responses; keeps the secondary texts it saw.
class DialogAnswerer {
  public:
    explicit DialogAnswerer(std::deque<int> responses) : m_responses(std::move(responses)) {
        m_idTimeout = g_timeout_add(5, tick, this);
    }
    ~DialogAnswerer() { g_source_remove(m_idTimeout); }
    std::vector<std::string> seen;

  private:
    static gboolean tick(gpointer pData) {
        auto* pThis = static_cast<DialogAnswerer*>(pData);
        GList* pList = gtk_window_list_toplevels();
        for (GList* p = pList; p; p = p->next) {
            GtkWidget* pwgt = GTK_WIDGET(p->data);
            if (!GTK_IS_MESSAGE_DIALOG(pwgt) || !gtk_widget_get_visible(pwgt) ||
                g_object_get_data(G_OBJECT(pwgt), "answered"))
                continue;
            gchar* pszText = nullptr;
            g_object_get(pwgt, "secondary-text", &pszText, nullptr);
            pThis->seen.emplace_back(pszText ? pszText : "");
            g_free(pszText);
            g_object_set_data(G_OBJECT(pwgt), "answered", pwgt);
            int nResponse = GTK_RESPONSE_OK;
            if (!pThis->m_responses.empty()) {
                nResponse = pThis->m_responses.front();
                pThis->m_responses.pop_front();
            }
            gtk_dialog_response(GTK_DIALOG(pwgt), nResponse);
            break;
        }
        g_list_free(pList);
        return TRUE;
    }
    std::deque<int> m_responses;
    guint m_idTimeout;
};

size_t countOf(const std::vector<std::string>& v, const std::string& strPart) {
    size_t n = 0;
    for (auto& s : v)
        n += s.find(strPart) != std::string::npos;
    return n;
}

int topLevelRows() {
    return gtk_tree_model_iter_n_children(cmodGetModel(), nullptr);
}

using CompLoadFailure = CompTest;

TEST_F(CompLoadFailure, CardLoadCancelStopsTheBuildAtOnce) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addCard({.iGroupID = 1, .pszDesc = "Frame"});
    activate(iACID);
    avt::exec(catDb(), "ALTER TABLE Component RENAME TO ComponentGone");
    DialogAnswerer answers({GTK_RESPONSE_CANCEL});
    EXPECT_FALSE(cmodLoadModel(ALL));
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_NE(answers.seen[0].find("modComp::cmodLoadModel()"), std::string::npos);
    EXPECT_NE(answers.seen[0].find("sqlLoadCompCard"), std::string::npos);
    // Only the first group row was built, and nothing was marked.
    EXPECT_EQ(topLevelRows(), 1);
    GtkTreeIter iter;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(cmodGetModel(), &iter));
    EXPECT_EQ(text(&iter, CCD_COLOUR_COL), "<null>");
    std::string strLog = avt::readFile(m_dirs->etcFile("avLedger.log"));
    EXPECT_NE(strLog.find("Function: cmodLoadModel()"), std::string::npos);
    EXPECT_NE(strLog.find("GTK_RESPONSE_CANCEL"), std::string::npos);
}

TEST_F(CompLoadFailure, CardLoadOkGoesOnWithEveryGroup) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addCard({.iGroupID = 1, .pszDesc = "Frame"});
    activate(iACID);
    avt::exec(catDb(), "ALTER TABLE Component RENAME TO ComponentGone");
    DialogAnswerer answers({});
    EXPECT_TRUE(cmodLoadModel(ALL));
    // One report per group and sub-group load: 8 + 29.
    EXPECT_EQ(countOf(answers.seen, "cmodLoadModel()"), 37u);
    EXPECT_EQ(topLevelRows(), 8);
    GtkTreeIter iter;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(cmodGetModel(), &iter));
    EXPECT_EQ(gtk_tree_model_iter_n_children(cmodGetModel(), &iter), 7);
    EXPECT_EQ(text(&iter, CCD_COLOUR_COL), "black") << "the marking still ran";
}

TEST_F(CompLoadFailure, ReferenceLoadCancelLeavesTheCardOut) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addCard({.iGroupID = 1, .pszDesc = "First", .nSort = 1});
    addCard({.iGroupID = 1, .pszDesc = "Second", .nSort = 2});
    activate(iACID);
    avt::exec(catDb(), "ALTER TABLE Reference RENAME TO ReferenceGone");
    DialogAnswerer answers({GTK_RESPONSE_CANCEL, GTK_RESPONSE_OK});
    EXPECT_TRUE(cmodLoadModel(ALL));
    EXPECT_EQ(countOf(answers.seen, "modComp::cmodLoadCompCallback()"), 2u);
    GtkTreeIter iterGrp, iterSub, iterCard;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(cmodGetModel(), &iterGrp));
    ASSERT_TRUE(gtk_tree_model_iter_children(cmodGetModel(), &iterSub, &iterGrp));
    ASSERT_EQ(gtk_tree_model_iter_n_children(cmodGetModel(), &iterSub), 1);
    ASSERT_TRUE(gtk_tree_model_iter_children(cmodGetModel(), &iterCard, &iterSub));
    EXPECT_EQ(text(&iterCard, CCD_COMP_COL), "Second");
    EXPECT_EQ(text(&iterCard, CCD_DRAWING_COL), "");
}

TEST_F(CompLoadFailure, MaintenanceLoadFailureIsReportedAndTheCardStillJudged) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addFlights(iACID, {{utc(2020, 2, 1), 501}});
    guint iCard = addCard({.iGroupID = 1, .pszDesc = "Frame", .nInspIntv = 50});
    activate(iACID);
    avt::exec(logDb(), "ALTER TABLE Maintenance RENAME TO MaintenanceGone");
    DialogAnswerer answers({});
    EXPECT_TRUE(cmodLoadModel(iCard));
    EXPECT_EQ(countOf(answers.seen, "modMaint::mmodGetState()"), 1u);
    // Judged from the manufacture date: due, not silently "not due".
    ASSERT_NE(cmodGetCompSel(), nullptr);
    EXPECT_EQ(text(cmodGetCompSel(), CCD_COLOUR_COL), "red");

    mmodLoadModel(iCard, ALL);
    EXPECT_EQ(countOf(answers.seen, "avMaint::mntLoadMaintRecords()"), 1u);
    EXPECT_EQ(gtk_tree_model_iter_n_children(mmodGetModel(), nullptr), 1)
        << "the new-record row is still there";
}

TEST_F(CompLoadFailure, ServiceNoteLabels) {
    avt::exec(catDb(), "INSERT INTO ServiceNote (strLabel, strText, bDelete) VALUES "
                       "('SN-1','a',0),('','b',0),('SN-3','c',1),('SN-4','d',NULL)");
    ASSERT_TRUE(cmodLoadSNoteModel());
    std::vector<std::string> labels;
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(cmodSNoteModel(), &iter); b;
         b = gtk_tree_model_iter_next(cmodSNoteModel(), &iter)) {
        gchar* psz = nullptr;
        gtk_tree_model_get(cmodSNoteModel(), &iter, SNOTE_LABEL_COL, &psz, -1);
        labels.emplace_back(psz ? psz : "");
        g_free(psz);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"SN-1", "SN-4"}));

    avt::exec(catDb(), "ALTER TABLE ServiceNote RENAME TO ServiceNoteGone");
    {
        DialogAnswerer answers({GTK_RESPONSE_CANCEL});
        EXPECT_FALSE(cmodLoadSNoteModel());
        EXPECT_EQ(countOf(answers.seen, "cmodLoadSNoteModel()"), 1u);
    }
    DialogAnswerer answers({GTK_RESPONSE_OK});
    EXPECT_TRUE(cmodLoadSNoteModel());
    EXPECT_EQ(gtk_tree_model_iter_n_children(cmodSNoteModel(), nullptr), 0);
}

} // namespace
