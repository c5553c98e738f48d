// The aircraft card page through the real UI file in a real X server:
// new aircraft by registration, duplicate refusal, option lists, log-start
// hours and the banner, the active aircraft across a restart, delete.
#include "harness.h"
#include "modFLog.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <gdk/gdkkeysyms.h>

#include <cstring>

namespace {

using avt::AppTest;

constexpr int kPageAC = 3;

class ACPage : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        switchPage(kPageAC);
    }

    avt::fs::path db() const { return m_dirs->etcFile("avLedger.db"); }
    GtkTreeView* tree() const { return GTK_TREE_VIEW(widget("ACTreeView")); }
    GtkTreeModel* listModel() const { return gtk_tree_view_get_model(tree()); }

    void focus(const char* pszID) {
        gtk_widget_grab_focus(widget(pszID));
        avt::drainEvents();
    }
    void key(const char* pszID, guint nKey) {
        ASSERT_TRUE(gtk_widget_has_focus(widget(pszID))) << pszID << " has no focus";
        gtk_test_widget_send_key(widget(pszID), nKey, GdkModifierType(0));
        avt::drainEvents();
    }
    // Types into an entry and leaves it, so its focus-out rule runs.
    void typeInto(const char* pszID, const char* pszText) {
        focus(pszID);
        gtk_entry_set_text(GTK_ENTRY(widget(pszID)), pszText);
        focus("ACTreeView");
    }
    std::string entryText(const char* pszID) const {
        return gtk_entry_get_text(GTK_ENTRY(widget(pszID)));
    }

    std::vector<std::string> listRegs() const {
        std::vector<std::string> regs;
        GtkTreeIter iter;
        for (gboolean b = gtk_tree_model_get_iter_first(listModel(), &iter); b;
             b = gtk_tree_model_iter_next(listModel(), &iter)) {
            gchar* psz = nullptr;
            gtk_tree_model_get(listModel(), &iter, 1, &psz, -1);
            regs.emplace_back(psz ? psz : "");
            g_free(psz);
        }
        return regs;
    }
    std::string selectedReg() const {
        GtkTreeModel* pmod = nullptr;
        GtkTreeIter iter;
        if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(tree()), &pmod, &iter))
            return "(none)";
        gchar* psz = nullptr;
        gtk_tree_model_get(pmod, &iter, 1, &psz, -1);
        std::string str = psz ? psz : "";
        g_free(psz);
        return str;
    }
    void selectRow(const std::string& strReg) {
        GtkTreeIter iter;
        for (gboolean b = gtk_tree_model_get_iter_first(listModel(), &iter); b;
             b = gtk_tree_model_iter_next(listModel(), &iter)) {
            gchar* psz = nullptr;
            gtk_tree_model_get(listModel(), &iter, 1, &psz, -1);
            bool bMatch = strReg == (psz ? psz : "");
            g_free(psz);
            if (bMatch) {
                gtk_tree_selection_select_iter(gtk_tree_view_get_selection(tree()), &iter);
                avt::drainEvents();
                return;
            }
        }
        ADD_FAILURE() << "no list row " << strReg;
    }
    // The new-aircraft way: the placeholder row, a registration, Return.
    void newAircraft(const char* pszReg) {
        selectRow("<new heli>");
        ASSERT_TRUE(gtk_widget_has_focus(widget("ACReg")));
        gtk_entry_set_text(GTK_ENTRY(widget("ACReg")), pszReg);
        key("ACReg", GDK_Return);
    }
    std::string banner() const {
        GtkWidget* pwgtBox =
            gtk_notebook_get_action_widget(GTK_NOTEBOOK(widget("MainNotebook")), GTK_PACK_END);
        if (!pwgtBox)
            return "(no banner)";
        GList* pChildren = gtk_container_get_children(GTK_CONTAINER(pwgtBox));
        std::string str = pChildren && GTK_IS_LABEL(pChildren->data)
                              ? gtk_label_get_text(GTK_LABEL(pChildren->data))
                              : "(no label)";
        g_list_free(pChildren);
        return str;
    }
    std::vector<avt::Row> dbRows(const std::string& strSQL) const {
        return avt::query(db(), strSQL);
    }
    std::string idOf(const char* pszReg) const {
        auto rows =
            dbRows(std::string("SELECT iAircraftID FROM Aircraft WHERE strReg = '") + pszReg + "'");
        return rows.size() == 1 && rows[0][0] ? *rows[0][0] : "(none)";
    }
    bool cardSensitive() const {
        for (const char* pszID : {"ACModel", "ACSerial", "ACManuDate", "ACHeliTypeOpt",
                                  "ACTailRotorOpt", "ACLogSinceNew", "ACNotes"})
            if (!gtk_widget_is_sensitive(widget(pszID)))
                return false;
        return true;
    }
    bool cardInsensitive() const {
        for (const char* pszID : {"ACModel", "ACSerial", "ACManuDate", "ACHeliTypeOpt",
                                  "ACTailRotorOpt", "ACLogSinceNew", "ACLogStartHours", "ACNotes"})
            if (gtk_widget_is_sensitive(widget(pszID)))
                return false;
        return true;
    }
};

TEST_F(ACPage, NewAircraftByRegistrationAndReturn) {
    EXPECT_EQ(listRegs(), std::vector<std::string>{"<new heli>"});
    EXPECT_TRUE(cardInsensitive()) << "nothing selected yet";
    EXPECT_FALSE(gtk_widget_is_sensitive(widget("ACReg")));

    selectRow("<new heli>");
    EXPECT_TRUE(gtk_widget_is_sensitive(widget("ACReg")));
    EXPECT_TRUE(cardInsensitive()) << "only the registration is open on the placeholder";

    // Return without a registration opens nothing: no nameless aircraft.
    key("ACReg", GDK_Return);
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACReg")));
    EXPECT_TRUE(cardInsensitive());

    gtk_entry_set_text(GTK_ENTRY(widget("ACReg")), "ZK-HBC");
    key("ACReg", GDK_Return);
    EXPECT_EQ(listRegs(), (std::vector<std::string>{"ZK-HBC", "<new heli>"}));
    EXPECT_EQ(selectedReg(), "ZK-HBC");
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACModel")));
    EXPECT_TRUE(cardSensitive());

    newAircraft("aa-1");
    newAircraft("zk-abc");
    EXPECT_EQ(listRegs(), (std::vector<std::string>{"aa-1", "zk-abc", "ZK-HBC", "<new heli>"}))
        << "sorted without regard to case, placeholder last";
    EXPECT_EQ(selectedReg(), "zk-abc");
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACModel")));
    EXPECT_EQ(dbRows("SELECT strReg FROM Aircraft ORDER BY iAircraftID"),
              (std::vector<avt::Row>{{"ZK-HBC"}, {"aa-1"}, {"zk-abc"}}));
    EXPECT_EQ(banner().substr(0, 6), "zk-abc");

    // The model typed on the card reaches the list, the banner and, on
    // leaving the row, the file; Return moves on through the form.
    gtk_entry_set_text(GTK_ENTRY(widget("ACModel")), "Exec 162F");
    key("ACModel", GDK_Return);
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACSerial")));
    EXPECT_NE(banner().find("Exec 162F"), std::string::npos) << banner();
    selectRow("aa-1");
    EXPECT_EQ(dbRows("SELECT strModel FROM Aircraft WHERE strReg = 'zk-abc'")[0][0], "Exec 162F");
}

TEST_F(ACPage, DuplicateRegistrationRefusedAndFocusKept) {
    newAircraft("ZKHBC");
    selectRow("<new heli>");
    gtk_entry_set_text(GTK_ENTRY(widget("ACReg")), "zk-hbc");
    key("ACReg", GDK_Return);
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACReg")));
    EXPECT_EQ(entryText("ACReg"), "zk-hbc") << "the text stays for correcting";
    EXPECT_EQ(selectedReg(), "<new heli>");

    // Leaving the entry another way is refused as well.
    focus("ACTreeView");
    avt::drainEvents();
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACReg"))) << "the focus came back";
    EXPECT_EQ(dbRows("SELECT COUNT(*) FROM Aircraft")[0][0], "1") << "nothing saved";
    EXPECT_EQ(listRegs(), (std::vector<std::string>{"ZKHBC", "<new heli>"}));
}

// Option lists as the user sees them: code, label, whether it can be chosen.
struct Opt {
    int iCode;
    std::string strLabel;
    bool bSensitive;
    bool operator==(const Opt&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Opt& o) {
    return os << o.iCode << " " << o.strLabel << (o.bSensitive ? "" : " (greyed)");
}
struct OptList {
    const char* pszCombo;
    const char* pszColumn;
    std::vector<Opt> opts;
};
const std::vector<OptList>& optionLists() {
    static const std::vector<OptList> lists{
        {"ACHeliTypeOpt",
         "iOptHeli",
         {{6, "Talon", false},
          {0, "Exec 162F", true},
          {2, "Exec 90", false},
          {3, "Exec", false},
          {1, "Elete", false},
          {4, "Scorpion II", false},
          {5, "Scorpion I", false}}},
        {"ACEngineOpt",
         "iOptEngine",
         {{0, "A600 ACIS", false},
          {1, "A600 N/A", false},
          {2, "162F ACIS", false},
          {3, "162F N/A", true},
          {4, "162 Carb", false},
          {5, "152", false},
          {6, "145", false},
          {7, "133", false},
          {8, "Evinrude", false},
          {9, "T62-32", false},
          {100, "Other", true}}},
        {"ACClutchOpt",
         "iOptClutch",
         {{0, "Factory T-Bar", true},
          {1, "Electric", false},
          {2, "Hydraulic", false},
          {100, "Other", true}}},
        {"ACMainDriveOpt",
         "iOptMRDrive",
         {{0, "Factory Chain", true},
          {3, "Factory Cog", false},
          {2, "AP Cog", false},
          {1, "ProDrive Cog", false},
          {100, "Other", true}}},
        {"ACMainRotorOpt",
         "iOptMRotor",
         {{0, "Factory Asymetric", true},
          {1, "Factory Symetric", false},
          {2, "Waitman", false},
          {100, "Other", true}}},
        {"ACMRSystemOpt",
         "iOptMRSystem",
         {{0, "1.75\" Elastomeric", true},
          {1, "1.5\" Elastomeric", false},
          {2, "Cable Hub", false}}},
        {"ACTRSliderOpt",
         "iOptTRSlider",
         {{0, "CV Old Style", true},
          {1, "CV New Style", false},
          {2, "AP Heli", false},
          {3, "ProDrive", false},
          {100, "Other", true}}},
        {"ACTailDriveOpt",
         "iOptTRDrive",
         {{0, "Factory Belt", true},
          {2, "KISS Shaft", false},
          {1, "Factory Shaft", false},
          {100, "Other", true}}},
        {"ACTailRotorOpt",
         "iOptTR",
         {{0, "Factory", true}, {1, "ProDrive", false}, {100, "Other", true}}},
    };
    return lists;
}

// What the combo shows: the active row's label, or "" for none.
std::string shown(GtkWidget* pwgtCombo) {
    GtkTreeIter iter;
    if (!gtk_combo_box_get_active_iter(GTK_COMBO_BOX(pwgtCombo), &iter))
        return "";
    GtkTreeModel* pmod = gtk_combo_box_get_model(GTK_COMBO_BOX(pwgtCombo));
    gchar* psz = nullptr;
    gtk_tree_model_get(pmod, &iter, 1, &psz, -1);
    std::string str = psz ? psz : "";
    g_free(psz);
    return str;
}

std::vector<Opt> listed(GtkWidget* pwgtCombo) {
    std::vector<Opt> opts;
    GtkTreeModel* pmod = gtk_combo_box_get_model(GTK_COMBO_BOX(pwgtCombo));
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        gint iCode = 0;
        gchar* psz = nullptr;
        gboolean bSensitive = FALSE;
        gtk_tree_model_get(pmod, &iter, 0, &iCode, 1, &psz, 2, &bSensitive, -1);
        opts.push_back({iCode, psz ? psz : "", bSensitive != FALSE});
        g_free(psz);
    }
    return opts;
}

TEST_F(ACPage, OptionListsCodesAndRoundTrips) {
    newAircraft("ZK-OPT");
    newAircraft("ZK-OTHER");
    const std::string strID = idOf("ZK-OPT");

    for (const auto& list : optionLists()) {
        SCOPED_TRACE(list.pszCombo);
        GtkWidget* pwgtCombo = widget(list.pszCombo);
        EXPECT_EQ(listed(pwgtCombo), list.opts);

        // Every code stored in the file shows its label when the aircraft
        // is selected; codes outside the list, and -1, show nothing.
        std::vector<std::pair<int, std::string>> stored;
        for (const auto& opt : list.opts)
            stored.emplace_back(opt.iCode, opt.strLabel);
        stored.emplace_back(-1, "");
        stored.emplace_back(55, "");
        for (const auto& [iCode, strLabel] : stored) {
            avt::exec(db(), "UPDATE Aircraft SET " + std::string(list.pszColumn) + " = " +
                                std::to_string(iCode) + " WHERE iAircraftID = " + strID);
            selectRow("ZK-OTHER");
            selectRow("ZK-OPT");
            EXPECT_EQ(shown(pwgtCombo), strLabel) << "code " << iCode;
        }

        // What the user chooses goes into the file as its code; a greyed
        // entry cannot be chosen.
        for (size_t i = 0; i < list.opts.size(); ++i) {
            const Opt& opt = list.opts[i];
            std::string strBefore = shown(pwgtCombo);
            gtk_combo_box_set_active(GTK_COMBO_BOX(pwgtCombo), static_cast<gint>(i));
            avt::drainEvents();
            if (!opt.bSensitive) {
                EXPECT_EQ(shown(pwgtCombo), strBefore) << opt << " was taken";
                continue;
            }
            selectRow("ZK-OTHER"); // saves the changed record
            EXPECT_EQ(dbRows("SELECT " + std::string(list.pszColumn) +
                             " FROM Aircraft WHERE iAircraftID = " + strID)[0][0],
                      std::to_string(opt.iCode))
                << opt;
            selectRow("ZK-OPT");
            EXPECT_EQ(shown(pwgtCombo), opt.strLabel);
        }
    }
}

TEST_F(ACPage, LogStartHoursAndLogSinceNewInTheBanner) {
    newAircraft("ZK-HRS");
    const std::string strID = idOf("ZK-HRS");
    // Flights of 1.2 and 3.0 hours.
    avt::exec(db(), "INSERT INTO Flight (iCSID, tFltBegin, tFltEnd, nElapsed, bDelete) VALUES (" +
                        strID + ", 1272700800, 1272705120, 12, 0), (" + strID +
                        ", 1272787200, 1272798000, 30, 0)");
    newAircraft("ZK-OTHER");
    selectRow("ZK-HRS");
    EXPECT_NE(banner().find("ZK-HRS  (4.2 A/F HRS)"), std::string::npos) << banner();

    const struct {
        const char* pszTyped;
        const char* pszShown;
        const char* pszStored;
        const char* pszBanner;
    } cases[] = {
        {"1234.56", "1234.5", "12345", "(1238.7 A/F HRS)"},
        {"2.3", "2.3", "23", "(6.5 A/F HRS)"},
        {"0.7", "0.7", "7", "(4.9 A/F HRS)"},
        {"12.35", "12.3", "123", "(16.5 A/F HRS)"},
        {"-5", "12.3", "123", "(16.5 A/F HRS)"}, // refused: the stored hours stay
        {"150", "150.0", "1500", "(154.2 A/F HRS)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTyped);
        typeInto("ACLogStartHours", c.pszTyped);
        EXPECT_EQ(entryText("ACLogStartHours"), c.pszShown);
        EXPECT_NE(banner().find(c.pszBanner), std::string::npos) << banner();
        switchPage(4); // leaving the page saves
        switchPage(kPageAC);
        EXPECT_EQ(dbRows("SELECT nLogHours FROM Aircraft WHERE iAircraftID = " + strID)[0][0],
                  c.pszStored);
    }

    typeInto("ACLogStartDate", "19 apr 2010");
    EXPECT_EQ(entryText("ACLogStartDate"), "19-Apr-2010");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget("ACLogSinceNew")), TRUE);
    avt::drainEvents();
    EXPECT_EQ(entryText("ACLogStartDate"), "");
    EXPECT_EQ(entryText("ACLogStartHours"), "");
    EXPECT_FALSE(gtk_widget_is_sensitive(widget("ACLogStartDate")));
    EXPECT_FALSE(gtk_widget_is_sensitive(widget("ACLogStartHours")));
    EXPECT_NE(banner().find("(4.2 A/F HRS)"), std::string::npos) << "dropped by 150.0";

    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget("ACLogSinceNew")), FALSE);
    avt::drainEvents();
    EXPECT_EQ(entryText("ACLogStartHours"), "150.0");
    EXPECT_EQ(entryText("ACLogStartDate"), "19-Apr-2010");
    EXPECT_TRUE(gtk_widget_is_sensitive(widget("ACLogStartHours")));
    EXPECT_NE(banner().find("(154.2 A/F HRS)"), std::string::npos) << banner();
}

TEST_F(ACPage, CardFieldsReachTheFile) {
    newAircraft("ZK-CRD");
    typeInto("ACModel", "Exec 162F");
    typeInto("ACSerial", "A-1234");
    typeInto("ACBuilder", "O'Brien & Sons");
    typeInto("ACOwner", "Mānuka Aviation");
    typeInto("ACManuDate", "19/04/2010");
    EXPECT_EQ(entryText("ACManuDate"), "19-Apr-2010");
    focus("ACNotes");
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget("ACNotes"))),
                             "Rebuilt tail boom\nafter 2009", -1);
    focus("ACTreeView");
    newAircraft("ZK-OTHER"); // leaving the row saves it
    EXPECT_EQ(dbRows("SELECT strModel, strSerial, strBuilder, strOwner, tManu, strNotes FROM "
                     "Aircraft WHERE strReg = 'ZK-CRD'"),
              (std::vector<avt::Row>{{"Exec 162F", "A-1234", "O'Brien & Sons", "Mānuka Aviation",
                                      "1271635200", "Rebuilt tail boom\nafter 2009"}}));

    selectRow("ZK-CRD");
    EXPECT_EQ(entryText("ACOwner"), "Mānuka Aviation");
    // An unreadable date empties the field.
    typeInto("ACManuDate", "sometime");
    EXPECT_EQ(entryText("ACManuDate"), "");
    EXPECT_EQ(acdGetActiveAC()->tManu, -1);
}

class ACPageRestart : public ACPage {};

TEST_F(ACPageRestart, ActiveAircraftSurvivesARestart) {
    newAircraft("ZK-AAA");
    newAircraft("ZK-HBC");
    typeInto("ACModel", "Exec 162F");
    typeInto("ACLogStartHours", "100");
    const std::string strID = idOf("ZK-HBC");
    avt::exec(db(), "INSERT INTO Flight (iCSID, tFltBegin, tFltEnd, nElapsed, bDelete) VALUES (" +
                        strID + ", 1272700800, 1272705120, 12, 0)");
    selectRow("ZK-AAA");
    selectRow("ZK-HBC");
    EXPECT_NE(avt::readFile(m_dirs->etcFile("avLedger.conf")).find("ACID=" + strID),
              std::string::npos);

    EXPECT_EQ(quitProgram(), 0);
    m_bRunning = avt::startProgram(arguments(), &m_nStartStatus);
    ASSERT_TRUE(m_bRunning);
    avt::drainEvents();

    EXPECT_EQ(std::to_string(acdGetActiveAC()->iACID), strID);
    EXPECT_EQ(fmodAFHoursTotal(), 1012u) << "the flight log model was rebuilt for it";
    EXPECT_EQ(banner(), "ZK-HBC  (101.2 A/F HRS)\nExec 162F  ");
    switchPage(kPageAC);
    EXPECT_EQ(selectedReg(), "ZK-HBC");
    EXPECT_EQ(entryText("ACModel"), "Exec 162F");
    EXPECT_TRUE(cardSensitive());
}

TEST_F(ACPage, RememberedAircraftThatIsGoneLeavesNoneActive) {
    newAircraft("ZK-DEL");
    const std::string strID = idOf("ZK-DEL");
    EXPECT_EQ(quitProgram(), 0);
    avt::exec(db(), "UPDATE Aircraft SET bDelete = 1");
    m_bRunning = avt::startProgram(arguments(), &m_nStartStatus);
    ASSERT_TRUE(m_bRunning);
    avt::drainEvents();
    EXPECT_EQ(acdGetActiveAC()->iACID, SQL_NEW_ID);
    EXPECT_EQ(banner(), "");
    switchPage(kPageAC);
    EXPECT_EQ(selectedReg(), "(none)");
    EXPECT_TRUE(cardInsensitive());
}

TEST_F(ACPage, DeleteAsksThenMarksTheRowAndClearsTheActiveAircraft) {
    newAircraft("ZK-KEEP");
    newAircraft("ZK-GONE");
    typeInto("ACModel", "Scorpion");
    const std::string strID = idOf("ZK-GONE");
    avt::exec(db(), "INSERT INTO Flight (iCSID, tFltBegin, tFltEnd, nElapsed, bDelete) VALUES (" +
                        strID + ", 1272700800, 1272705120, 12, 0)");
    selectRow("ZK-KEEP");
    selectRow("ZK-GONE");
    ASSERT_EQ(fmodAFHoursTotal(), 12u);

    // Cancel: nothing is deleted, but the card is cleared.
    focus("ACTreeView");
    avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    key("ACTreeView", GDK_Delete);
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_NE(avt::dialogsSeen()[0].strText.find("*** Delete Helicopter Card ***"),
              std::string::npos);
    EXPECT_NE(avt::dialogsSeen()[0].strSecondaryText.find("'ZK-GONE'"), std::string::npos);
    EXPECT_NE(avt::dialogsSeen()[0].strSecondaryText.find("Are you sure?"), std::string::npos);
    EXPECT_EQ(entryText("ACReg"), "");
    EXPECT_EQ(entryText("ACModel"), "");
    EXPECT_TRUE(cardInsensitive());
    EXPECT_EQ(dbRows("SELECT bDelete FROM Aircraft WHERE iAircraftID = " + strID)[0][0], "0");
    EXPECT_EQ(listRegs(), (std::vector<std::string>{"ZK-GONE", "ZK-KEEP", "<new heli>"}));

    // OK: marked deleted in the file (its data kept), gone from the list,
    // banner cleared, and no aircraft active any more.
    avt::clearDialogsSeen();
    avt::answerNextDialog(GTK_RESPONSE_OK);
    key("ACTreeView", GDK_Delete);
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_EQ(dbRows("SELECT strReg, strModel, bDelete FROM Aircraft WHERE iAircraftID = " + strID),
              (std::vector<avt::Row>{{"ZK-GONE", "Scorpion", "1"}}));
    EXPECT_EQ(listRegs(), (std::vector<std::string>{"ZK-KEEP", "<new heli>"}));
    EXPECT_EQ(banner(), "");
    EXPECT_TRUE(cardInsensitive());
    EXPECT_EQ(acdGetActiveAC()->iACID, SQL_NEW_ID);
    EXPECT_EQ(fmodAFHoursTotal(), 0u) << "the deleted aircraft's flights no longer count";

    // Delete on the placeholder row asks nothing and changes nothing.
    selectRow("<new heli>");
    focus("ACTreeView");
    avt::clearDialogsSeen();
    avt::answerNextDialog(GTK_RESPONSE_OK);
    key("ACTreeView", GDK_Delete);
    EXPECT_TRUE(g_source_remove_by_user_data(GINT_TO_POINTER(GTK_RESPONSE_OK)))
        << "no dialog was there to answer";
    EXPECT_TRUE(avt::dialogsSeen().empty());
    EXPECT_EQ(dbRows("SELECT COUNT(*) FROM Aircraft WHERE bDelete = 1")[0][0], "1");
    EXPECT_EQ(listRegs(), (std::vector<std::string>{"ZK-KEEP", "<new heli>"}));
}

} // namespace
