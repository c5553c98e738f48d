// Failed loads during a tree build and a list load: each kind is shown once
// per build in the error dialog (a table that cannot be read fails for every
// card) and written to the log; the build goes on after OK and stops after
// Cancel, as the user chose. Needs an X server for the dialogs.
#include "../logic/test_comp_fixture.h"
#include "avError.h"

#include <algorithm>

namespace {

using namespace avct;

// Answers every error dialog in turn with the queued responses (then OK)
// and keeps the secondary texts it saw.
class DialogAnswerer {
  public:
    explicit DialogAnswerer(std::vector<int> responses = {}) : m_responses(std::move(responses)) {
        m_idTimeout = g_timeout_add(5, tick, this);
    }
    ~DialogAnswerer() { g_source_remove(m_idTimeout); }
    long count(const char* pszPart) const {
        return std::count_if(m_seen.begin(), m_seen.end(),
                             [&](auto& s) { return s.find(pszPart) != std::string::npos; });
    }

  private:
    static gboolean tick(gpointer pData) {
        auto* pThis = static_cast<DialogAnswerer*>(pData);
        GList* pList = gtk_window_list_toplevels();
        for (GList* p = pList; p; p = p->next) {
            if (!GTK_IS_MESSAGE_DIALOG(p->data) || !gtk_widget_get_visible(GTK_WIDGET(p->data)))
                continue;
            size_t n = pThis->m_seen.size();
            gchar* pszText = nullptr;
            g_object_get(p->data, "secondary-text", &pszText, nullptr);
            pThis->m_seen.emplace_back(pszText ? pszText : "");
            g_free(pszText);
            gtk_dialog_response(GTK_DIALOG(p->data), n < pThis->m_responses.size()
                                                         ? pThis->m_responses[n]
                                                         : GTK_RESPONSE_OK);
            break; // the dialog's loop ends: this timeout runs again only for the next one
        }
        g_list_free(pList);
        return TRUE;
    }
    std::vector<int> m_responses;
    std::vector<std::string> m_seen;
    guint m_idTimeout;
};

using CompLoadFailure = CompTest;

TEST_F(CompLoadFailure, CardAndReferenceLoadsStopOnCancelAndGoOnAfterOk) {
    activate(addAircraft(utc(2020, 1, 1)));
    addCard({.iGroupID = 1, .pszDesc = "First", .nSort = 1}, {"first.png"});
    addCard({.iGroupID = 1, .pszDesc = "Second", .nSort = 2}, {"second.png"});
    // A failed drawing load, asked once for both cards: Cancel leaves them
    // out, OK keeps them.
    avt::exec(catDb(), "ALTER TABLE Reference RENAME TO ReferenceGone");
    for (auto [nAnswer, pszAirframe] : {std::pair{GTK_RESPONSE_CANCEL, "Airframe,"},
                                        {GTK_RESPONSE_OK, "Airframe[*First,*Second],"}}) {
        DialogAnswerer answers({nAnswer});
        EXPECT_TRUE(cmodLoadModel(ALL));
        EXPECT_EQ(answers.count("modComp::cmodLoadCompCallback()"), 1);
        EXPECT_EQ(outline().rfind(std::string("Fuselage[") + pszAirframe, 0), 0u) << outline();
    }
    // A failed card load: Cancel stops the build at once.
    avt::exec(catDb(), "ALTER TABLE Component RENAME TO ComponentGone");
    {
        DialogAnswerer answers({GTK_RESPONSE_CANCEL});
        EXPECT_FALSE(cmodLoadModel(ALL));
        EXPECT_EQ(answers.count("modComp::cmodLoadModel()"), 1);
        EXPECT_EQ(answers.count("sqlLoadCompCard"), 1);
    }
    EXPECT_EQ(outline(), "Fuselage(<null> 0)\n") << "only the first row, nothing marked";
    std::string strLog = avt::readFile(m_dirs->etcFile("avLedger.log"));
    EXPECT_NE(strLog.find("Function: cmodLoadModel()"), std::string::npos);
    EXPECT_NE(strLog.find("GTK_RESPONSE_CANCEL"), std::string::npos);
    // After OK every group and sub-group load is tried (8 + 29) and marked;
    // one dialog says so, the log counts the rest.
    DialogAnswerer answers;
    EXPECT_TRUE(cmodLoadModel(ALL));
    EXPECT_EQ(answers.count("cmodLoadModel()"), 1);
    EXPECT_NE(avt::readFile(m_dirs->etcFile("avLedger.log")).find("36 more failures"),
              std::string::npos);
    std::string strTree = outline();
    EXPECT_EQ(std::count(strTree.begin(), strTree.end(), '\n'), 8);
    EXPECT_EQ(strTree.rfind("Fuselage[Airframe,Landing Gear,", 0), 0u) << strTree;
    EXPECT_EQ(strTree.find('('), std::string::npos) << "every row marked black";
}

TEST_F(CompLoadFailure, MaintenanceLoadFailureIsReportedAndTheCardStillJudged) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addFlights(iACID, {{utc(2020, 2, 1), 501}});
    guint iCard = addCard({.iGroupID = 1, .nInspIntv = 50});
    addCard({.iGroupID = 2, .nInspIntv = 50});
    activate(iACID);
    avt::exec(logDb(), "ALTER TABLE Maintenance RENAME TO MaintenanceGone");
    DialogAnswerer answers;
    EXPECT_TRUE(cmodLoadModel(iCard));
    EXPECT_EQ(answers.count("modMaint::mmodGetState()"), 1) << "one dialog for both cards";
    // Judged from the manufacture date: due, not silently "not due".
    ASSERT_NE(cmodGetCompSel(), nullptr);
    EXPECT_EQ(text(cmodGetCompSel(), CCD_COLOUR_COL), "red");
    // Through the models' reporter, not a dialog of its own.
    static std::string s_strReported;
    dlgReporter pfnOld = dlgSetReporter([](const gchar*, const gchar* pszFunction, const gchar*) {
        s_strReported += pszFunction;
        return int(GTK_RESPONSE_OK);
    });
    mmodLoadModel(iCard, ALL);
    dlgSetReporter(pfnOld);
    EXPECT_EQ(s_strReported, "mmodLoadModel()");
    EXPECT_EQ(gtk_tree_model_iter_n_children(mmodGetModel(), nullptr), 1) << "new-record row";
}

TEST_F(CompLoadFailure, ServiceNoteLabels) {
    avt::exec(catDb(), "INSERT INTO ServiceNote (strLabel, strText, bDelete) VALUES "
                       "('SN-1','a',0),('','b',0),('SN-3','c',1),('SN-4','d',NULL)");
    ASSERT_TRUE(cmodLoadSNoteModel());
    GtkTreeIter iter;
    ASSERT_EQ(gtk_tree_model_iter_n_children(cmodSNoteModel(), nullptr), 2);
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(cmodSNoteModel(), &iter, nullptr, 1));
    EXPECT_EQ(text(&iter, SNOTE_LABEL_COL, cmodSNoteModel()), "SN-4");
    avt::exec(catDb(), "ALTER TABLE ServiceNote RENAME TO ServiceNoteGone");
    DialogAnswerer answers({GTK_RESPONSE_CANCEL});
    EXPECT_FALSE(cmodLoadSNoteModel());
    EXPECT_EQ(answers.count("cmodLoadSNoteModel()"), 1);
}

} // namespace
