// The aircraft card page through the real UI file in a real X server:
// new aircraft by registration, duplicate refusal, option lists, log-start
// hours and the banner, the active aircraft across a restart, delete.
#include "harness.h"
#include "modAC.h"
#include "modFLog.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <gdk/gdkkeysyms.h>

namespace {

constexpr int kPageAC = 3;

class ACPage : public avt::AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        switchPage(kPageAC);
    }
    avt::fs::path db() const { return m_dirs->etcFile("avLedger.db"); }
    std::vector<avt::Row> sql(const std::string& strSQL) const { return avt::query(db(), strSQL); }
    void focus(const char* pszID) {
        gtk_widget_grab_focus(widget(pszID));
        avt::drainEvents();
    }
    void key(const char* pszID, guint nKey) {
        ASSERT_TRUE(gtk_widget_has_focus(widget(pszID))) << pszID;
        gtk_test_widget_send_key(widget(pszID), nKey, GdkModifierType(0));
        avt::drainEvents();
    }
    // Types into an entry and leaves it, so its focus-out rule runs.
    void typeInto(const char* pszID, const char* pszText) {
        focus(pszID);
        gtk_entry_set_text(GTK_ENTRY(widget(pszID)), pszText);
        focus("ACTreeView");
    }
    std::string text(const char* pszID) const {
        return gtk_entry_get_text(GTK_ENTRY(widget(pszID)));
    }
    // The registrations listed, the selected one marked "*". With a
    // registration named, selects that row first.
    std::vector<std::string> list(const char* pszSelect = nullptr) {
        std::vector<std::string> regs;
        GtkTreeView* ptree = GTK_TREE_VIEW(widget("ACTreeView"));
        GtkTreeModel* pmod = gtk_tree_view_get_model(ptree);
        GtkTreeSelection* psel = gtk_tree_view_get_selection(ptree);
        GtkTreeIter iter;
        for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
             b = gtk_tree_model_iter_next(pmod, &iter)) {
            gchar* psz = nullptr;
            gtk_tree_model_get(pmod, &iter, AC_REG_COL, &psz, -1);
            regs.push_back((gtk_tree_selection_iter_is_selected(psel, &iter) ? "*" : "") +
                           std::string(psz));
            g_free(psz);
            if (pszSelect && regs.back().ends_with(pszSelect)) {
                gtk_tree_selection_select_iter(psel, &iter);
                avt::drainEvents();
                return list();
            }
        }
        if (pszSelect)
            ADD_FAILURE() << "no list row " << pszSelect;
        return regs;
    }
    void selectRow(const char* pszReg) { list(pszReg); }
    void newAircraft(const char* pszReg) {
        selectRow("<new heli>");
        gtk_entry_set_text(GTK_ENTRY(widget("ACReg")), pszReg);
        key("ACReg", GDK_Return);
    }
    // A flight of 1.2 hours for the active aircraft.
    void addFlight() {
        avt::exec(db(), "INSERT INTO Flight (iCSID, tFltBegin, nElapsed, bDelete) VALUES (" +
                            std::to_string(acdGetActiveAC()->iACID) + ", 1272700800, 12, 0)");
    }
    std::string banner() const {
        GtkWidget* pwgtBox =
            gtk_notebook_get_action_widget(GTK_NOTEBOOK(widget("MainNotebook")), GTK_PACK_END);
        GList* pChildren = gtk_container_get_children(GTK_CONTAINER(pwgtBox));
        std::string str = gtk_label_get_text(GTK_LABEL(pChildren->data));
        g_list_free(pChildren);
        return str;
    }
};

TEST_F(ACPage, NewAircraftByReturnAndDuplicateRefused) {
    for (const char* pszReg : {"ZKHBC", "aa-1", "zk-abc"})
        newAircraft(pszReg);
    EXPECT_EQ(list(), (std::vector<std::string>{"aa-1", "*zk-abc", "ZKHBC", "<new heli>"}));
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACModel"))) << "the card is open";
    EXPECT_EQ(sql("SELECT strReg FROM Aircraft ORDER BY iAircraftID"),
              (std::vector<avt::Row>{{"ZKHBC"}, {"aa-1"}, {"zk-abc"}}));

    newAircraft("zk-hbc");
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACReg")));
    focus("ACTreeView"); // leaving it another way is refused as well
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACReg")));
    EXPECT_EQ(sql("SELECT COUNT(*) FROM Aircraft")[0][0], "3");
    EXPECT_EQ(list().back(), "*<new heli>");
}

TEST_F(ACPage, OptionCodesShowAndRoundTrip) {
    newAircraft("ZK-OPT");
    newAircraft("ZK-OTHER");
    auto store = [&](const std::string& strCol, gint iCode) {
        avt::exec(db(), "UPDATE Aircraft SET " + strCol + " = " + std::to_string(iCode) +
                            " WHERE strReg = 'ZK-OPT'");
        selectRow("ZK-OTHER"); // shown afresh when selected again
        selectRow("ZK-OPT");
    };
    store("iOptEngine", 3);
    GtkComboBox* pcomboEngine = GTK_COMBO_BOX(widget("ACEngineOpt"));
    GtkTreeIter iter;
    g_autofree gchar* pszLabel = nullptr;
    ASSERT_TRUE(gtk_combo_box_get_active_iter(pcomboEngine, &iter));
    gtk_tree_model_get(gtk_combo_box_get_model(pcomboEngine), &iter, 1, &pszLabel, -1);
    EXPECT_STREQ(pszLabel, "162F N/A");

    const std::pair<const char*, std::string> combos[] = {
        {"ACHeliTypeOpt", "iOptHeli"},     {"ACEngineOpt", "iOptEngine"},
        {"ACClutchOpt", "iOptClutch"},     {"ACMainDriveOpt", "iOptMRDrive"},
        {"ACMainRotorOpt", "iOptMRotor"},  {"ACMRSystemOpt", "iOptMRSystem"},
        {"ACTRSliderOpt", "iOptTRSlider"}, {"ACTailDriveOpt", "iOptTRDrive"},
        {"ACTailRotorOpt", "iOptTR"}};
    for (const auto& [pszCombo, strCol] : combos) {
        GtkComboBox* pcombo = GTK_COMBO_BOX(widget(pszCombo));
        GtkTreeModel* pmod = gtk_combo_box_get_model(pcombo);
        for (const gint iCode : {-1, 55}) { // unset, and a code in no list
            store(strCol, iCode);
            EXPECT_EQ(gtk_combo_box_get_active(pcombo), -1) << pszCombo << " " << iCode;
        }
        for (gint i = 0; gtk_tree_model_iter_nth_child(pmod, &iter, nullptr, i); ++i) {
            gint iCode = -1;
            gboolean bSensitive = FALSE;
            gtk_tree_model_get(pmod, &iter, 0, &iCode, 2, &bSensitive, -1);
            SCOPED_TRACE(std::string(pszCombo) + " code " + std::to_string(iCode));
            store(strCol, iCode);
            EXPECT_EQ(gtk_combo_box_get_active(pcombo), i);
            // Chosen by the user: stored as its code, unless it is greyed.
            store(strCol, -1);
            gtk_combo_box_set_active(pcombo, i);
            avt::drainEvents();
            EXPECT_EQ(gtk_combo_box_get_active(pcombo), bSensitive ? i : -1);
            selectRow("ZK-OTHER");
            EXPECT_EQ(sql("SELECT " + strCol + " FROM Aircraft WHERE strReg = 'ZK-OPT'")[0][0],
                      std::to_string(bSensitive ? iCode : -1));
        }
    }
}

TEST_F(ACPage, LogStartHoursBannerAndTheActiveAircraftAfterARestart) {
    newAircraft("ZK-HRS");
    addFlight();
    newAircraft("ZK-AAA");
    selectRow("ZK-HRS");
    typeInto("ACModel", "Exec 162F");
    focus("ACNotes");
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget("ACNotes"))),
                             "Rebuilt tail boom\nafter 2009", -1);
    const struct {
        const char *pszTyped, *pszShown, *pszStored, *pszBanner;
    } cases[] = {
        {"1234.56", "1234.5", "12345", "ZK-HRS  (1235.7 A/F HRS)\nExec 162F  "},
        {"2.3", "2.3", "23", "ZK-HRS  (3.5 A/F HRS)\nExec 162F  "},
        {"-5", "2.3", "23", "ZK-HRS  (3.5 A/F HRS)\nExec 162F  "}, // refused: the hours stay
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTyped);
        typeInto("ACLogStartHours", c.pszTyped);
        EXPECT_EQ(text("ACLogStartHours"), c.pszShown);
        EXPECT_EQ(banner(), c.pszBanner);
        selectRow("ZK-AAA"); // leaving the row saves
        selectRow("ZK-HRS");
        EXPECT_EQ(sql("SELECT nLogHours FROM Aircraft WHERE strReg = 'ZK-HRS'")[0][0], c.pszStored);
    }

    EXPECT_EQ(quitProgram(), 0);
    m_bRunning = avt::startProgram(arguments(), &m_nStartStatus);
    ASSERT_TRUE(m_bRunning);
    avt::drainEvents();
    EXPECT_EQ(fmodAFHoursTotal(), 35u) << "the flight log model was rebuilt for it";
    EXPECT_EQ(banner(), "ZK-HRS  (3.5 A/F HRS)\nExec 162F  ");
    switchPage(kPageAC);
    EXPECT_EQ(list(), (std::vector<std::string>{"ZK-AAA", "*ZK-HRS", "<new heli>"}));
    EXPECT_EQ(sql("SELECT strNotes FROM Aircraft WHERE strReg = 'ZK-HRS'")[0][0],
              "Rebuilt tail boom\nafter 2009");

    typeInto("ACLogStartDate", "19 apr 2010");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget("ACLogSinceNew")), TRUE);
    avt::drainEvents();
    for (const char* pszID : {"ACLogStartDate", "ACLogStartHours"}) {
        EXPECT_EQ(text(pszID), "");
        EXPECT_FALSE(gtk_widget_is_sensitive(widget(pszID)));
    }
    EXPECT_EQ(banner(), "ZK-HRS  (1.2 A/F HRS)\nExec 162F  ");
}

TEST_F(ACPage, DeleteAsksThenMarksTheRowAndClearsTheActiveAircraft) {
    newAircraft("ZK-KEEP");
    newAircraft("ZK-GONE");
    addFlight();
    selectRow("ZK-KEEP");
    selectRow("ZK-GONE");
    ASSERT_EQ(fmodAFHoursTotal(), 12u);

    // Cancel: nothing is deleted, but the card is cleared.
    focus("ACTreeView");
    avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    key("ACTreeView", GDK_Delete);
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_EQ(avt::dialogsSeen()[0].strText,
              "<span color='red'><b>*** Delete Helicopter Card ***</b></span>");
    EXPECT_NE(avt::dialogsSeen()[0].strSecondaryText.find("'ZK-GONE'"), std::string::npos);
    EXPECT_EQ(text("ACReg"), "");
    EXPECT_EQ(sql("SELECT bDelete FROM Aircraft WHERE strReg = 'ZK-GONE'")[0][0], "0");

    // OK: marked deleted in the file, gone from the list, banner cleared,
    // and no aircraft active any more.
    avt::answerNextDialog(GTK_RESPONSE_OK);
    key("ACTreeView", GDK_Delete);
    ASSERT_EQ(avt::dialogsSeen().size(), 2u);
    EXPECT_EQ(sql("SELECT bDelete FROM Aircraft WHERE strReg = 'ZK-GONE'")[0][0], "1");
    EXPECT_EQ(list(), (std::vector<std::string>{"ZK-KEEP", "<new heli>"}));
    EXPECT_EQ(banner(), "");
    EXPECT_EQ(acdGetActiveAC()->iACID, SQL_NEW_ID);
    EXPECT_EQ(fmodAFHoursTotal(), 0u) << "the deleted aircraft's flights no longer count";

    // Delete on the placeholder row asks nothing.
    selectRow("<new heli>");
    focus("ACTreeView");
    avt::answerNextDialog(GTK_RESPONSE_OK);
    key("ACTreeView", GDK_Delete);
    EXPECT_EQ(avt::cancelDialogAnswers(), 1u)
        << "the answer is left unused: no dialog opened";
}

} // namespace
