// A defect's life with the real UI file: reported after a flight (refused
// input first), shown in the banner and the window, a new flight asked
// about, reported on a card that the tree then marks, cleared by the
// maintenance record that fixed it, in the report's history; the flight it
// names deleted, the defect kept.
#include "avDefect.h"
#include "avDue.h"
#include "avReport.h"
#include "harness.h"
#include "modComp.h"
#include "modFLog.h"
#include "pagAC.h"
#include "pagComp.h"

#include <gdk/gdkkeysyms.h>

#include <map>
#include <string>
#include <vector>

namespace {

// What to put into the named fields of a dialog (an entry's text, a text
// view's text, a combo's row as a number) before it is answered OK.
using Step = std::map<std::string, std::string>;
std::vector<Step> m_lstSteps;
size_t m_iStep = 0;
// The refusal line as each step found it.
std::vector<std::string> m_lstWhy;

GtkWidget* findNamed(GtkWidget* pwgt, const std::string& strName) {
    if (gtk_widget_get_name(pwgt) == strName)
        return pwgt;
    GtkWidget* pFound = nullptr;
    if (GTK_IS_CONTAINER(pwgt)) {
        GList* plst = gtk_container_get_children(GTK_CONTAINER(pwgt));
        for (GList* p = plst; p && !pFound; p = p->next)
            pFound = findNamed(GTK_WIDGET(p->data), strName);
        g_list_free(plst);
    }
    return pFound;
}

gboolean playStep(gpointer) {
    GtkWidget* pwgtDialog = nullptr;
    GList* plst = gtk_window_list_toplevels();
    for (GList* p = plst; p; p = p->next)
        if (GTK_IS_DIALOG(p->data) && gtk_widget_get_visible(GTK_WIDGET(p->data)))
            pwgtDialog = GTK_WIDGET(p->data);
    g_list_free(plst);
    if (!pwgtDialog || !findNamed(pwgtDialog, "DefectWhy"))
        return TRUE;
    m_lstWhy.push_back(gtk_label_get_text(GTK_LABEL(findNamed(pwgtDialog, "DefectWhy"))));
    const Step& step = m_lstSteps[m_iStep++];
    for (const auto& [strName, strValue] : step) {
        GtkWidget* pwgt = findNamed(pwgtDialog, strName);
        if (GTK_IS_ENTRY(pwgt))
            gtk_entry_set_text(GTK_ENTRY(pwgt), strValue.c_str());
        else if (GTK_IS_TEXT_VIEW(pwgt))
            gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgt)),
                                     strValue.c_str(), -1);
        else if (GTK_IS_COMBO_BOX(pwgt))
            gtk_combo_box_set_active(GTK_COMBO_BOX(pwgt), std::stoi(strValue));
        else
            ADD_FAILURE() << "no field " << strName;
    }
    gtk_dialog_response(GTK_DIALOG(pwgtDialog), GTK_RESPONSE_OK);
    return m_iStep < m_lstSteps.size();
}

class Defects : public avt::AppTest {
  protected:
    void started() override {
        avt::exec(db(), R"(
            INSERT INTO Aircraft (iAircraftID, strReg, tManu, bLogSinceNew, bDelete)
              VALUES (1, 'ZK-DEF', strftime('%s', '2020-01-01'), 1, 0);
            INSERT INTO Flight (iFltID, iCSID, tFltBegin, tFltEnd, nElapsed, bDelete) VALUES
              (1, 1, strftime('%s', '2026-03-01 09:00'), strftime('%s', '2026-03-01 10:00'), 10, 0),
              (2, 1, strftime('%s', '2026-03-02 09:00'), strftime('%s', '2026-03-02 10:00'), 10, 0);
            INSERT INTO Maintenance (iMaintID, iCompID, iACID, tCompleted, bFlags, bDelete)
              VALUES (1, 1, 1, strftime('%s', '2026-03-04'), 1, 0))");
        avt::exec(m_dirs->etcFile("avCCD.db"), R"(
            INSERT INTO Component (iCompID, iGroupID, iSortOrder, strPartDesc, strPartNmbr, bDelete)
              VALUES (1, 1, 1, 'Fuel hose', 'FH-1', 0))");
        ASSERT_TRUE(acdLoadActiveAC(1));
        ASSERT_TRUE(cmodLoadModel(0xFFFFFFFFu));
        dfctChanged();
    }
    avt::fs::path db() const { return m_dirs->etcFile("avLedger.db"); }
    std::string stored(const std::string& strSQL) const { return avt::value(db(), strSQL); }
    // Plays the steps on the dialog the button opens.
    std::vector<std::string> play(const char* pszButton, GtkWidget* pwgtIn,
                                  std::vector<Step> lstSteps) {
        m_lstSteps = std::move(lstSteps);
        m_iStep = 0;
        m_lstWhy.clear();
        g_timeout_add(20, playStep, nullptr);
        gtk_button_clicked(GTK_BUTTON(findNamed(pwgtIn, pszButton)));
        avt::drainEvents();
        EXPECT_EQ(m_iStep, m_lstSteps.size()) << pszButton;
        return m_lstWhy;
    }
    void selectFlight(guint iFLogID) {
        switchPage(2);
        GtkTreeIter iter;
        ASSERT_TRUE(fmodFindFlight(iFLogID, &iter));
        GtkTreePath* pPath = gtk_tree_model_get_path(fmodGetModel(), &iter);
        gtk_tree_view_expand_to_path(GTK_TREE_VIEW(widget("FLogTreeView")), pPath);
        gtk_tree_view_set_cursor(GTK_TREE_VIEW(widget("FLogTreeView")), pPath, nullptr, FALSE);
        gtk_tree_path_free(pPath);
        avt::drainEvents();
    }
};

TEST_F(Defects, LifeOfADefect) {
    GtkWidget* pwinMain = widget("avLedger");
    // After flight 2: refused until it has a description and a real date.
    selectFlight(2);
    const std::vector<std::string> lstWhy =
        play("FLogReportDefect", pwinMain,
             {{{"DefectSeverity", "0"}},
              {{"DefectDesc", "Cracked skid shoe"}, {"DefectDate", "31-02-2026"}},
              {{"DefectDate", "02-Mar-2026 09:00"}}});
    ASSERT_EQ(lstWhy.size(), 3u);
    EXPECT_TRUE(avt::contains(lstWhy[1], "needs a description"));
    EXPECT_TRUE(avt::contains(lstWhy[2], "day"));
    EXPECT_EQ(stored("SELECT iFltID || ' ' || nSeverity || ' ' || datetime(tReported, "
                     "'unixepoch') || ' ' || tCleared FROM Defect"),
              "2 0 2026-03-02 09:00:00 0");
    EXPECT_TRUE(avt::contains(avt::bannerText(), "1 open grounding defect"));
    dueRefresh();
    const auto lstDue = avt::treeRows(widget("DueListTreeView"), DUE_NAME_COL);
    EXPECT_EQ(std::vector<std::string>(lstDue.end() - 2, lstDue.end()),
              (std::vector<std::string>{"Open defects (1)", "Cracked skid shoe"}));
    // Its line opens the defects window, as a card's line opens the card.
    GtkTreeView* ptreeDue = GTK_TREE_VIEW(widget("DueListTreeView"));
    GtkTreePath* pPath = gtk_tree_path_new_from_indices(
        gtk_tree_model_iter_n_children(gtk_tree_view_get_model(ptreeDue), nullptr) - 1, 0, -1);
    gtk_tree_view_row_activated(ptreeDue, pPath, gtk_tree_view_get_column(ptreeDue, 0));
    gtk_tree_path_free(pPath);
    bool bShown = false;
    GList* plstWindows = gtk_window_list_toplevels();
    for (GList* p = plstWindows; p; p = p->next)
        bShown |= gtk_widget_get_name(GTK_WIDGET(p->data)) == std::string("DefectWindow") &&
                  gtk_widget_get_visible(GTK_WIDGET(p->data));
    g_list_free(plstWindows);
    EXPECT_TRUE(bShown);
    dfctHide();

    // A new flight after the report is asked about; Cancel stores nothing.
    avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    gtk_widget_grab_focus(widget("FLogTreeView"));
    avt::pressKey(widget("FLogTreeView"), GDK_KEY_End); // "<new flight>"
    enterText("FLogCardDate", "03-Mar-2026");
    ASSERT_FALSE(avt::dialogsSeen().empty());
    // The texts are markup: the quotes are escaped.
    EXPECT_TRUE(avt::contains(avt::dialogsSeen().back().strSecondaryText,
                              "Cracked skid shoe&apos; was reported grounding on 02-Mar-2026"));
    EXPECT_EQ(stored("SELECT COUNT(*) FROM Flight"), "2");

    // On the card, before the next inspection: the tree marks the card.
    ASSERT_TRUE(ccdSelectCompID(1));
    play("CompReportDefect", pwinMain,
         {{{"DefectSeverity", "1"}, {"DefectDesc", "Chafed hose"}, {"DefectDate", "01-Mar-2026"}}});
    EXPECT_TRUE(dfctCardMarked(1));

    // Cleared by the replacement of 04-Mar-2026: the card's own defect is
    // offered first.
    play("MaintClearsDefect", pwinMain, {Step{}});
    EXPECT_EQ(stored("SELECT iMaintID || ' ' || date(tCleared, 'unixepoch') FROM Defect "
                     "WHERE strDesc = 'Chafed hose'"),
              "1 2026-03-04");
    EXPECT_FALSE(dfctCardMarked(1));
    rptDoc doc;
    rptBuild(&doc);
    std::string strHistory;
    for (size_t i = 0; i + 1 < doc.lstBlocks.size(); ++i)
        if (doc.lstBlocks[i].strText == "Cleared defects")
            for (const auto& row : doc.lstBlocks[i + 1].tbl.lstRows)
                strHistory += row[4] + ": " + row[5] + "\n";
    EXPECT_EQ(strHistory, "Chafed hose: Maintenance record of 04-Mar-2026 (Replace New)\n");

    // The flight it names deleted: asked, the defect kept, its link said.
    selectFlight(2);
    avt::clearDialogsSeen();
    avt::answerNextDialog(GTK_RESPONSE_OK);
    avt::pressKey(widget("FLogTreeView"), GDK_KEY_Delete);
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_TRUE(
        avt::contains(avt::dialogsSeen()[0].strSecondaryText,
                      "It is named by the defect &apos;Cracked skid shoe&apos;, which is kept"));
    EXPECT_EQ(stored("SELECT bDelete FROM Flight WHERE iFltID = 2"), "1");
    EXPECT_EQ(stored("SELECT iFltID || ' ' || substr(strLink, 1, 40) FROM Defect WHERE "
                     "strDesc = 'Cracked skid shoe'"),
              "0 Its flight of 02-Mar-2026 09:00 was dele");
    EXPECT_TRUE(avt::contains(avt::bannerText(), "1 open grounding defect"));
}

} // namespace
