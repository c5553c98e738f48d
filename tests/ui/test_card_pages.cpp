// The aircraft and pilot card pages through the real UI file in a real X
// server. Aircraft: new by registration, duplicate refusal, option lists,
// log-start hours and the banner, the active aircraft across a restart,
// delete. Pilots: entering, renaming and deleting, the due-date groups.
// Both cards alike: refused input, long text, moving through a form and the
// field mnemonics (long text and mnemonics of the flight card too); and what
// reaches the log database.
#include "avMisc.h"
#include "harness.h"
#include "modAC.h"
#include "modFLog.h"
#include "modPilot.h"
#include "pagAC.h"
#include "pagPilot.h"
#include "rcdAC.h"
#include "sqlMLog.h"

#include <gdk/gdkkeysyms.h>

namespace {

constexpr int kPageFlight = 2;
constexpr int kPageAC = 3;
constexpr int kPagePilot = 4;
// The list of each card's page.
const char* const m_lstLists[] = {nullptr, nullptr, "FLogTreeView", "ACTreeView", "PilotTreeView"};

// Adams, Ann: medical with Auto and End of month, 24 months from 15-Mar-2010
// (the stored next date is a day off, so any recomputing save shows).
// Brown, Bob: medical without Auto but with a stored interval and End-of-month
// flag. Jerry, Tom & <T>: a name that is not markup.
class ACPage : public avt::AppTest {
  protected:
    void started() override {
        // Every write is counted: "writes nothing" must hold even where the
        // values would not change.
        avt::exec(db(), R"(
            INSERT INTO Pilot (iPilotID, strLName, strFName, strSortKey, tLastMed, tNextMed,
                               nMedInterval, bMedAuto, bMedMonthEnd) VALUES
              (1, 'Adams', 'Ann', 'ADAMSANN', strftime('%s', '2010-03-15'),
               strftime('%s', '2012-04-02'), 0x02000018, 1, 1),
              (2, 'Brown', 'Bob', 'BROWNBOB', strftime('%s', '2035-06-01'),
               strftime('%s', '2036-06-01'), 0x0200000C, 0, 1),
              (3, 'Jerry', 'Tom & <T>', 'JERRYTOMT', 0, 0, 0, 0, 0);
            CREATE TABLE Writes (n);
            CREATE TRIGGER AcUpd AFTER UPDATE ON Aircraft
              BEGIN INSERT INTO Writes VALUES ('aircraft changed'); END;
            CREATE TRIGGER PilotIns AFTER INSERT ON Pilot
              BEGIN INSERT INTO Writes VALUES ('pilot added'); END;
            CREATE TRIGGER PilotUpd AFTER UPDATE ON Pilot
              BEGIN INSERT INTO Writes VALUES ('pilot changed'); END;
        )");
        ASSERT_TRUE(pmodLoadModel());
        switchPage(kPageAC);
    }
    std::string writes() const {
        return sql("SELECT group_concat(n) FROM Writes")[0][0].value_or("");
    }
    avt::fs::path db() const { return m_dirs->etcFile("avLedger.db"); }
    std::vector<avt::Row> sql(const std::string& strSQL) const { return avt::query(db(), strSQL); }
    std::string text(const char* pszID) const { return avt::entryText(widget(pszID)); }
    std::vector<std::string> list() const {
        return avt::treeRows(widget("ACTreeView"), AC_REG_COL);
    }
    void selectRow(const char* pszReg) {
        avt::selectWhere(widget("ACTreeView"), AC_REG_COL, pszReg);
    }
    // Types into a field as a user does and moves on with Return.
    void type(const char* pszID, const char* pszText) {
        focus(pszID);
        gtk_entry_set_text(GTK_ENTRY(widget(pszID)), pszText);
        gtk_test_widget_send_key(widget(pszID), GDK_Return, GdkModifierType(0));
        avt::drainEvents();
    }
    void newAircraft(const char* pszReg) {
        selectRow("<new heli>");
        type("ACReg", pszReg);
    }
    void addFlights(int nFlights) {
        for (int i = 0; i < nFlights; ++i)
            avt::exec(db(), "INSERT INTO Flight (iCSID, tFltBegin, nElapsed, bDelete) VALUES (" +
                                std::to_string(acdGetActiveAC()->iACID) + ", 1272700800, 12, 0)");
    }
    int bannerHeight() const {
        GtkRequisition req;
        gtk_widget_size_request(
            gtk_notebook_get_action_widget(GTK_NOTEBOOK(widget("MainNotebook")), GTK_PACK_END),
            &req);
        return req.height;
    }
    void selectPilot(guint iPilotID) {
        gtk_tree_selection_select_iter(
            gtk_tree_view_get_selection(GTK_TREE_VIEW(widget("PilotTreeView"))),
            pmodFindPilotID(iPilotID));
        avt::drainEvents();
    }
    // The page with the card of makeCards() open.
    void openCard(int nPage) {
        switchPage(nPage);
        if (nPage == kPagePilot)
            selectPilot(1);
    }
    // An aircraft "ZK-IN" beside the pilots, with one flight.
    void makeCards() {
        newAircraft("ZK-IN");
        enterText("ACLogStartHours", "2.3");
        enterText("ACManuDate", "19 Apr 2010");
        switchPage(kPageFlight);
        avt::selectWhere(widget("FLogTreeView"), FLOG_ROW_TYPE, std::to_string(FLOG_ROW_NEW));
        enterText("FLogCardDate", "20 Apr 2010");
    }
};

TEST_F(ACPage, NewAircraftByReturnDuplicatesRefusedAndTheNextClickGoesWhereTheUserPoints) {
    // No aircraft yet: none is active, not even through option codes, where
    // 0 is a real option to the catalogue filter.
    EXPECT_FALSE(acdHasActiveAC());
    EXPECT_EQ(acdGetActiveAC()->iHeliOpt, -1);
    EXPECT_EQ(acdGetActiveAC()->iMainRotorOpt, -1);
    for (const char* pszReg : {"ZKHBC", "aa-1", "zk-abc"})
        newAircraft(pszReg);
    EXPECT_EQ(list(), (std::vector<std::string>{"aa-1", "*zk-abc", "ZKHBC", "<new heli>"}));
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACModel"))) << "the card is open";

    newAircraft("zk-hbc");
    EXPECT_EQ(text("ACReg"), "") << "the refused text is not left to be saved later";
    EXPECT_TRUE(avt::contains(mscLastRefusal(), "zk-hbc"));

    // An aircraft is not its own duplicate.
    selectRow("ZKHBC");
    enterText("ACReg", "ZK-HBC");
    // A refused registration put back, the click that left it still lands.
    avt::click(widget("ACReg"));
    gtk_entry_set_text(GTK_ENTRY(widget("ACReg")), "");
    avt::typeKeys(widget("ACReg"), "zk-abc");
    avt::click(widget("ACNotes"));
    avt::typeKeys(widget("ACNotes"), "annual inspection");
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACNotes")));
    EXPECT_EQ(text("ACReg"), "ZK-HBC");
    selectRow("aa-1");
    EXPECT_EQ(
        sql("SELECT strReg, strNotes FROM Aircraft ORDER BY iAircraftID"),
        (std::vector<avt::Row>{{"ZK-HBC", "annual inspection"}, {"aa-1", ""}, {"zk-abc", ""}}));
}

TEST_F(ACPage, BadInputIsRefusedWithAReasonAndTheStoredValueStays) {
    makeCards();
    const char* pszAC = "SELECT strReg || '/' || nLogHours || '/' || "
                        "iif(tManu > 0, date(tManu, 'unixepoch'), 'none') FROM Aircraft";
    const char* pszPilot = "SELECT strLName || '/' || strSortKey || '/' || nMedInterval || '/' || "
                           "date(tLastMed, 'unixepoch') FROM Pilot WHERE iPilotID = 1";
    const std::string strMonths6 = "Adams/ADAMSANN/" + std::to_string(0x02000006) + "/2010-03-15";
    const std::string strMonths24 = "Adams/ADAMSANN/" + std::to_string(0x02000018) + "/2010-03-15";
    // clang-format off
    runScenarios({db(), [this](int nPage) { openCard(nPage); }, [this] { switchPage(0); },
                  "MainNotebook"}, {
        {kPageAC, "ACReg", "", "ZK-IN", true, nullptr, pszAC, "ZK-IN/23/2010-04-19"},
        {kPageAC, "ACReg", "-/-", "ZK-IN", true},
        {kPageAC, "ACReg", "New Heli", "ZK-IN", true}, // the placeholder row's name
        {kPageAC, "ACReg", "ZK-INN", "ZK-INN", false, nullptr, pszAC, "ZK-INN/23/2010-04-19"},
        {kPageAC, "ACLogStartHours", "100000", "2.3", true, nullptr, pszAC, "ZK-INN/23/2010-04-19"},
        {kPageAC, "ACLogStartHours", "99999.9", "99999.9", false, nullptr, pszAC, "ZK-INN/999999/2010-04-19"},
        {kPageAC, "ACLogStartHours", "2.3", "2.3", false},
        {kPageAC, "ACManuDate", "31-Feb-2024", "19-Apr-2010", true, nullptr, pszAC, "ZK-INN/23/2010-04-19"},
        {kPageAC, "ACManuDate", "", "", false, nullptr, pszAC, "ZK-INN/23/none"}, // emptied: no date
        {kPagePilot, "PilotMedInterval", "10:00", "24 Months", true, nullptr, pszPilot, strMonths24.c_str()},
        {kPagePilot, "PilotMedInterval", "6 months", "6 Months", false, nullptr, pszPilot, strMonths6.c_str()},
        {kPagePilot, "PilotLastMedDate", "2026-13-01", "15-Mar-2010", true, nullptr, pszPilot, strMonths6.c_str()},
    });
    // clang-format on
}

TEST_F(ACPage, LongTextStopsAtTheFieldsCapacityAndNeverWidensTheWindowOrAList) {
    makeCards();
    const int nWidth = widget("avLedger")->allocation.width;
    const std::string strWord(50, 'x');
    // Field, text inserted, how many times (typed piece by piece or pasted
    // at once), characters that stay, the list that shows the text.
    const struct {
        int nPage;
        const char* pszField;
        std::string strText;
        int nTimes;
        glong nKept;
        const char* pszList;
    } cases[] = {
        {kPageAC, "ACNotes", std::string(1200, 'n'), 1, 999, nullptr},
        {kPageAC, "ACModel", strWord, 2, 99, "ACTreeView"},
        {kPageAC, "ACReg", strWord, 1, 19, nullptr},              // after "ZK-IN"
        {kPagePilot, "PilotNotes", strWord, 100, 999, nullptr},   // one word of 5,000 characters
        {kPagePilot, "PilotLName", "é", 60, 52, "PilotTreeView"}, // two bytes, after "Adams"
        {kPageFlight, "FLogNotes", std::string(5000, 'x'), 1, 499, nullptr},
        {kPageFlight, "FLogCardTo", std::string(5000, 'x'), 1, 99, nullptr},
        {kPageFlight, "FLogCardFrom", "é", 60, 49, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszField);
        openCard(c.nPage);
        mscRefuseClear();
        GtkWidget* pwgt = widget(c.pszField);
        focus(c.pszField);
        for (int i = 0; i < c.nTimes; ++i) {
            if (GTK_IS_TEXT_VIEW(pwgt)) {
                gtk_text_buffer_insert_interactive_at_cursor(
                    gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgt)), c.strText.c_str(), -1, TRUE);
            } else {
                gint iPos = gtk_editable_get_position(GTK_EDITABLE(pwgt));
                gtk_editable_insert_text(GTK_EDITABLE(pwgt), c.strText.c_str(), -1, &iPos);
                gtk_editable_set_position(GTK_EDITABLE(pwgt), iPos);
            }
            avt::drainEvents();
        }
        const std::string strShown =
            GTK_IS_TEXT_VIEW(pwgt) ? avt::viewText(pwgt) : avt::entryText(pwgt);
        EXPECT_EQ(g_utf8_strlen(strShown.c_str(), -1), c.nKept);
        EXPECT_NE(*mscLastRefusal(), '\0');
        focus(m_lstLists[c.nPage]); // the list takes it
        avt::settle();
        EXPECT_EQ(widget("avLedger")->allocation.width, nWidth);
        if (c.pszList) { // its columns fit its box: nothing hides behind a scroll bar
            GtkRequisition req;
            gtk_widget_size_request(widget(c.pszList), &req);
            EXPECT_LE(req.width, gtk_widget_get_parent(widget(c.pszList))->allocation.width);
        }
    }
    switchPage(0);
    EXPECT_EQ(sql("SELECT length(strNotes) FROM Aircraft")[0][0], "999");
    EXPECT_EQ(sql("SELECT length(strNotes), length(strLName) FROM Pilot WHERE iPilotID = 1"),
              (std::vector<avt::Row>{{"999", "52"}}));
    EXPECT_EQ(sql("SELECT length(CAST(strNotes AS BLOB)), length(CAST(strTo AS BLOB)), "
                  "length(CAST(strFrom AS BLOB)) FROM Flight"),
              (std::vector<avt::Row>{{"499", "99", "98"}}));
}

TEST_F(ACPage, MovingThroughANewCardWithTheKeyboardWritesNothing) {
    newAircraft("ZK-NEW");
    avt::exec(db(), "DELETE FROM Writes");
    ASSERT_TRUE(gtk_widget_has_focus(widget("ACModel")));
    for (int i = 0; i < 17; ++i)
        avt::pressKey(widget("ACModel"), GDK_Down);
    EXPECT_TRUE(gtk_widget_has_focus(widget("ACNotes"))) << "went through every field";

    switchPage(kPagePilot);
    selectPilot(PILOT_ID_NEW);
    avt::typeKeys(widget("PilotLName"), "Baker");
    avt::pressKey(widget("PilotLName"), GDK_Return); // stores the new pilot
    for (int i = 0; i < 8; ++i)
        avt::pressKey(widget("PilotLName"), GDK_Down);
    EXPECT_TRUE(gtk_widget_has_focus(widget("PilotNotes")));
    switchPage(0);
    EXPECT_EQ(writes(), "pilot added");
}

TEST_F(ACPage, NewRowsTakeTheKeyboardWhetherClickedOrReachedWithDown) {
    newAircraft("ZK-AAA");
    // Page, list, clicked (else Down from the row above), typed, entry.
    const struct {
        int nPage;
        const char* pszList;
        bool bClick;
        const char *pszTyped, *pszEntry;
    } cases[] = {
        {kPageAC, "ACTreeView", true, "zkb", "ACReg"},
        {kPageAC, "ACTreeView", false, "zkc", "ACReg"},
        {kPagePilot, "PilotTreeView", true, "baker", "PilotLName"},
        {kPagePilot, "PilotTreeView", false, "carter", "PilotLName"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pszList) + (c.bClick ? " click" : " Down"));
        switchPage(c.nPage);
        GtkTreeView* pTree = GTK_TREE_VIEW(widget(c.pszList));
        const int nRows = gtk_tree_model_iter_n_children(gtk_tree_view_get_model(pTree), nullptr);
        GtkTreePath* pPath = gtk_tree_path_new_from_indices(nRows - 2, -1);
        gtk_tree_view_set_cursor(pTree, pPath, nullptr, FALSE);
        gtk_tree_path_free(pPath);
        focus(c.pszList);
        if (c.bClick)
            avt::clickRow(GTK_WIDGET(pTree), nRows - 1);
        else
            avt::pressKey(GTK_WIDGET(pTree), GDK_Down);
        avt::typeKeys(GTK_WIDGET(pTree), c.pszTyped);
        EXPECT_EQ(text(c.pszEntry), c.pszTyped);
        avt::pressKey(GTK_WIDGET(pTree), GDK_Return); // stored: the next case starts afresh
    }
    EXPECT_EQ(list(), (std::vector<std::string>{"ZK-AAA", "zkb", "*zkc", "<new heli>"}));
}

TEST_F(ACPage, OptionCodesShowAndRoundTrip) {
    newAircraft("ZK-OPT");
    newAircraft("ZK-OTHER");
    const std::pair<const char*, const char*> combos[] = {
        {"ACHeliTypeOpt", "iOptHeli"},     {"ACEngineOpt", "iOptEngine"},
        {"ACClutchOpt", "iOptClutch"},     {"ACMainDriveOpt", "iOptMRDrive"},
        {"ACMainRotorOpt", "iOptMRotor"},  {"ACMRSystemOpt", "iOptMRSystem"},
        {"ACTRSliderOpt", "iOptTRSlider"}, {"ACTailDriveOpt", "iOptTRDrive"},
        {"ACTailRotorOpt", "iOptTR"}};
    for (const auto& [pszCombo, pszCol] : combos) {
        GtkComboBox* pcombo = GTK_COMBO_BOX(widget(pszCombo));
        const std::string strCol = pszCol, strWhere = " WHERE strReg = 'ZK-OPT'";
        // The entry a stored code shows once the card is shown afresh.
        auto shown = [&](gint iCode) {
            avt::exec(db(),
                      "UPDATE Aircraft SET " + strCol + " = " + std::to_string(iCode) + strWhere);
            selectRow("ZK-OTHER");
            selectRow("ZK-OPT");
            return gtk_combo_box_get_active(pcombo);
        };
        EXPECT_EQ(shown(-1), -1) << pszCombo << " unset";
        EXPECT_EQ(shown(55), -1) << pszCombo << " a code in no list";
        GtkTreeModel* pmod = gtk_combo_box_get_model(pcombo);
        GtkTreeIter iter;
        for (gint i = 0; gtk_tree_model_iter_nth_child(pmod, &iter, nullptr, i); ++i) {
            gint iCode = -1;
            gboolean bSensitive = FALSE;
            gtk_tree_model_get(pmod, &iter, 0, &iCode, 2, &bSensitive, -1);
            SCOPED_TRACE(std::string(pszCombo) + " code " + std::to_string(iCode));
            EXPECT_EQ(shown(iCode), i);
            // Chosen by the user: stored as its code, unless it is greyed.
            shown(-1);
            gtk_combo_box_set_active(pcombo, i);
            avt::drainEvents();
            EXPECT_EQ(gtk_combo_box_get_active(pcombo), bSensitive ? i : -1);
            selectRow("ZK-OTHER");
            EXPECT_EQ(sql("SELECT " + strCol + " FROM Aircraft" + strWhere)[0][0],
                      std::to_string(bSensitive ? iCode : -1));
        }
    }
}

TEST_F(ACPage, LogStartHoursBannerAndTheActiveAircraftAfterARestart) {
    newAircraft("ZK-HRS");
    addFlights(1);
    newAircraft("ZK-AAA");
    selectRow("ZK-HRS");
    enterText("ACModel", "Exec 162F");
    enterText("ACLogStartHours", "1234.56");
    EXPECT_EQ(text("ACLogStartHours"), "1234.6");
    EXPECT_EQ(avt::bannerText(), "ZK-HRS  (1235.8 A/F HRS)\nExec 162F  ");
    acdDisplayACReg(G_GINT64_CONSTANT(50000000001)); // sums beyond 32 bits
    EXPECT_EQ(avt::bannerText(), "ZK-HRS  (5000000000.1 A/F HRS)\nExec 162F  ");

    restartProgram();
    EXPECT_EQ(fmodAFHoursTotal(), 12358u) << "the flight log model was rebuilt for it";
    EXPECT_EQ(avt::bannerText(), "ZK-HRS  (1235.8 A/F HRS)\nExec 162F  ");
    switchPage(kPageAC);
    EXPECT_EQ(list(), (std::vector<std::string>{"ZK-AAA", "*ZK-HRS", "<new heli>"}));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget("ACLogSinceNew")), TRUE);
    avt::drainEvents();
    for (const char* pszID : {"ACLogStartDate", "ACLogStartHours"}) {
        EXPECT_EQ(text(pszID), "");
        EXPECT_FALSE(gtk_widget_is_sensitive(widget(pszID)));
    }
    EXPECT_EQ(avt::bannerText(), "ZK-HRS  (1.2 A/F HRS)\nExec 162F  ");
}

TEST_F(ACPage, DeleteSaysWhatTheAircraftCarriesAndTheNextStartTakesTheFirstListed) {
    newAircraft("ZK-KEEP");
    newAircraft("ZK-GONE");
    addFlights(2);
    avt::exec(db(), "INSERT INTO Maintenance (iCompID, iACID, bDelete) VALUES (5, " +
                        std::to_string(acdGetActiveAC()->iACID) + ", 0)");
    selectRow("ZK-KEEP");
    selectRow("ZK-GONE");
    ASSERT_EQ(fmodAFHoursTotal(), 24u);

    // Cancel: nothing is deleted, but the card is cleared.
    focus("ACTreeView");
    avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    avt::pressKey(widget("ACTreeView"), GDK_Delete);
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_EQ(avt::dialogsSeen()[0].strText,
              "<span color='red'><b>*** Delete Helicopter Card ***</b></span>");
    const std::string& strAsked = avt::dialogsSeen()[0].strSecondaryText;
    EXPECT_TRUE(avt::contains(strAsked, "'ZK-GONE'"));
    EXPECT_TRUE(avt::contains(strAsked, "2 flights and 1 maintenance record,"));
    EXPECT_EQ(text("ACReg"), "");
    EXPECT_EQ(sql("SELECT bDelete FROM Aircraft WHERE strReg = 'ZK-GONE'")[0][0], "0");

    // OK: marked deleted, gone from the list, and no aircraft active. The
    // blank banner keeps its height, so the page does not jump.
    const int nBannerHeight = bannerHeight();
    avt::answerNextDialog(GTK_RESPONSE_OK);
    avt::pressKey(widget("ACTreeView"), GDK_Delete);
    ASSERT_EQ(avt::dialogsSeen().size(), 2u);
    EXPECT_EQ(sql("SELECT bDelete FROM Aircraft WHERE strReg = 'ZK-GONE'")[0][0], "1");
    EXPECT_EQ(list(), (std::vector<std::string>{"ZK-KEEP", "<new heli>"}));
    EXPECT_EQ(avt::bannerText(), "");
    EXPECT_EQ(bannerHeight(), nBannerHeight);
    EXPECT_FALSE(acdHasActiveAC());
    EXPECT_EQ(fmodAFHoursTotal(), 0u) << "the deleted aircraft's flights no longer count";

    // Delete on the placeholder row asks nothing.
    selectRow("<new heli>");
    focus("ACTreeView");
    avt::answerNextDialog(GTK_RESPONSE_OK);
    avt::pressKey(widget("ACTreeView"), GDK_Delete);
    EXPECT_EQ(avt::cancelDialogAnswers(), 1u) << "the answer is left unused: no dialog opened";

    restartProgram();
    EXPECT_EQ(avt::bannerText(), "ZK-KEEP  (0.0 A/F HRS)\n  ");
}

TEST_F(ACPage, AltAndTheUnderlinedLetterOfALabelGoToItsField) {
    makeCards();
    const struct {
        int nPage;
        guint nKey;
        const char* pszField;
    } cases[] = {
        {kPageAC, GDK_r, "ACReg"},
        {kPageAC, GDK_m, "ACModel"},
        {kPageAC, GDK_w, "ACOwner"},
        {kPageAC, GDK_o, "ACLogStartHours"},
        {kPageAC, GDK_g, "ACEngineOpt"},
        {kPageAC, GDK_n, "ACNotes"},
        {kPagePilot, GDK_l, "PilotLName"},
        {kPagePilot, GDK_r, "PilotFName"},
        {kPagePilot, GDK_i, "PilotMedInterval"},
        {kPagePilot, GDK_n, "PilotNotes"},
        {kPageFlight, GDK_d, "FLogCardDate"},
        {kPageFlight, GDK_l, "FLogCardTimeOn"},
        {kPageFlight, GDK_n, "FLogCardTo"},
        {kPageFlight, GDK_o, "FLogNotes"},
        {kPageFlight, GDK_i, "FLogPilot"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszField);
        openCard(c.nPage);
        focus("MainNotebook");
        avt::pressKey(widget("avLedger"), c.nKey, GDK_MOD1_MASK);
        GtkWidget* pwgtFocus = gtk_window_get_focus(GTK_WINDOW(widget("avLedger")));
        EXPECT_TRUE(pwgtFocus == widget(c.pszField) ||
                    (pwgtFocus && gtk_widget_is_ancestor(pwgtFocus, widget(c.pszField))));
    }
}

// The pilot page open, as a user reaches it.
class PilotPage : public ACPage {
  protected:
    void started() override {
        ACPage::started();
        switchPage(kPagePilot);
    }
    std::string column(const char* pszColumn, guint iPilotID) const {
        return avt::value(db(), std::string("SELECT ") + pszColumn +
                                    " FROM Pilot WHERE iPilotID=" + std::to_string(iPilotID));
    }
    // The list, the selected row marked "*".
    std::vector<std::string> listNames() const {
        return avt::treeRows(widget("PilotTreeView"), PILOT_NAME_COL);
    }
    // A Delete key press on the list, with the list focused as a user has it.
    void pressDelete() {
        focus("PilotTreeView");
        avt::pressKey(widget("PilotTreeView"), GDK_Delete);
    }
};

TEST_F(PilotPage, LastNameOnTheNewRowInsertsThePilotAndASecondOfTheSameNameIsQuestioned) {
    selectPilot(PILOT_ID_NEW);
    type("PilotLName", "adams");
    EXPECT_EQ(listNames(), (std::vector<std::string>{"*adams", "Adams, Ann", "Brown, Bob",
                                                     "Jerry, Tom & <T>", "<new pilot>"}));
    EXPECT_TRUE(gtk_widget_has_focus(widget("PilotFName")));
    mscRefuseClear();
    type("PilotLName", "-- '.");
    EXPECT_EQ(text("PilotLName"), "adams") << "no letter or digit in the whole name";
    EXPECT_NE(*mscLastRefusal(), '\0');
    for (int nResponse : {GTK_RESPONSE_CANCEL, GTK_RESPONSE_OK}) {
        SCOPED_TRACE(nResponse);
        avt::answerNextDialog(nResponse);
        type("PilotFName", "ann.");
        ASSERT_EQ(avt::dialogsSeen().size(), 1u);
        EXPECT_TRUE(avt::contains(avt::dialogsSeen()[0].strSecondaryText, "'Adams, Ann'"));
        avt::clearDialogsSeen();
        EXPECT_EQ(text("PilotFName"), nResponse == GTK_RESPONSE_OK ? "ann." : "");
        EXPECT_EQ(avt::value(db(), "SELECT count(*) FROM Pilot WHERE strSortKey='ADAMSANN'"),
                  nResponse == GTK_RESPONSE_OK ? "2" : "1");
    }
}

TEST_F(PilotPage, ShowingPilotsAndKeyKeepingEditsWriteNothingNorDoesAPilotThatCannotBeRead) {
    for (guint iID : {1u, 2u, 1u, 3u, PILOT_ID_NEW, 1u, PILOT_ID_NEW})
        selectPilot(iID);
    switchPage(0);
    switchPage(kPagePilot);
    selectPilot(2);
    auto* pEndMonth = GTK_TOGGLE_BUTTON(widget("PilotMedDateEndMonth"));
    EXPECT_FALSE(gtk_toggle_button_get_active(pEndMonth)) << "the stored flag is not shown";
    gtk_toggle_button_set_active(pEndMonth, TRUE);
    EXPECT_FALSE(gtk_toggle_button_get_active(pEndMonth));
    type("PilotLName", "BROWN");
    type("PilotFName", "b.o.b");
    EXPECT_EQ(writes(), "");
    EXPECT_EQ(listNames().size(), 4u) << "no nameless pilot";
    switchPage(0); // the spelling goes with the next save
    EXPECT_EQ(column("strLName || strFName || strSortKey || bMedMonthEnd", 2),
              "BROWNb.o.bBROWNBOB1");

    // A pilot that cannot be read is said so, its card stays closed and
    // nothing is written.
    switchPage(kPagePilot);
    avt::exec(db(), "DELETE FROM Writes; ALTER TABLE Pilot RENAME TO PilotAway");
    avt::answerNextDialog(GTK_RESPONSE_OK);
    selectPilot(1);
    EXPECT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_FALSE(gtk_widget_is_sensitive(widget("PilotLastMedDate")));
    avt::exec(db(), "ALTER TABLE PilotAway RENAME TO Pilot");
    switchPage(0);
    EXPECT_EQ(writes(), "");
}

TEST_F(PilotPage, WithAutoTheComputedNextDateStandsAndEndOfMonthCounts) {
    selectPilot(2);
    type("PilotNextMedDate", "3 Jan 2030");
    gtk_button_clicked(GTK_BUTTON(widget("PilotMedDateAuto")));
    // 01-Jun-2035 + 12 months, from the first of the next month; saved at once.
    EXPECT_EQ(text("PilotNextMedDate"), "01-Jul-2036");
    EXPECT_EQ(column("bMedAuto || date(tNextMed, 'unixepoch')", 2), "12036-07-01");
    // Other fields are saved on a change of row.
    type("PilotMedInterval", "6 months");
    selectPilot(1);
    EXPECT_EQ(column("date(tNextMed, 'unixepoch')", 2), "2036-01-01");
    // A next date that has passed is red in the card.
    EXPECT_EQ(gtk_widget_get_style(widget("PilotNextMedDate"))->text[GTK_STATE_INSENSITIVE].red,
              0xFFFF);
    // With Auto, End of month counts and is saved at once.
    gtk_button_clicked(GTK_BUTTON(widget("PilotMedDateEndMonth")));
    EXPECT_EQ(column("date(tNextMed, 'unixepoch')", 1), "2012-03-15");
}

TEST_F(PilotPage, DeleteSaysHowManyFlightsNameThePilotAndOnlyOkMarksItDeleted) {
    avt::exec(db(), "INSERT INTO Flight (iCSID, iPilotID, iStudentID, bDelete) VALUES "
                    "(1, 3, 1, 0), (1, 2, 3, NULL), (1, 3, 0, 0), (1, 3, 0, 1), (1, 1, 2, 0)");
    avt::answerNextDialog(GTK_RESPONSE_CANCEL); // for the first question asked
    selectPilot(PILOT_ID_NEW);
    pressDelete(); // not ours to handle: no question
    ASSERT_TRUE(avt::dialogsSeen().empty());
    selectPilot(3);
    pressDelete();
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_TRUE(
        avt::contains(avt::dialogsSeen()[0].strSecondaryText, "'Tom &amp; &lt;T&gt; Jerry'"));
    EXPECT_TRUE(avt::contains(avt::dialogsSeen()[0].strSecondaryText, "3 flights name this pilot"));
    EXPECT_EQ(column("ifnull(bDelete, 0)", 3), "0");
    avt::answerNextDialog(GTK_RESPONSE_OK);
    pressDelete();
    EXPECT_EQ(column("bDelete", 3), "1");
    EXPECT_EQ(listNames(), (std::vector<std::string>{"Adams, Ann", "Brown, Bob", "<new pilot>"}));
}

} // namespace
