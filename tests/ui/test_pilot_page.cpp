// The pilot card page with the real UI file: entering, renaming and
// deleting pilots, the due-date groups, and what reaches the log database.
#include "avMisc.h"
#include "harness.h"
#include "modPilot.h"
#include "pagPilot.h"

#include <gdk/gdkkeysyms.h>

#include <string>

namespace {

// Adams, Ann: medical with Auto and End of month, 24 months from 15-Mar-2010
// (the stored next date is a day off, so any recomputing save shows).
// Brown, Bob: medical without Auto but with a stored interval and End-of-month
// flag. Jerry, Tom & <T>: a name that is not markup.
class PilotPage : public avt::AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        if (HasFatalFailure())
            return;
        m_db = m_dirs->etcFile("avLedger.db");
        // Every write to the table is counted: "writes nothing" must hold
        // even where the values would not change.
        avt::exec(m_db, R"(
            INSERT INTO Pilot (iPilotID, strLName, strFName, strSortKey, tLastMed, tNextMed,
                               nMedInterval, bMedAuto, bMedMonthEnd) VALUES
              (1, 'Adams', 'Ann', 'ADAMSANN', strftime('%s', '2010-03-15'),
               strftime('%s', '2012-04-02'), 0x02000018, 1, 1),
              (2, 'Brown', 'Bob', 'BROWNBOB', strftime('%s', '2035-06-01'),
               strftime('%s', '2036-06-01'), 0x0200000C, 0, 1),
              (3, 'Jerry', 'Tom & <T>', 'JERRYTOMT', 0, 0, 0, 0, 0);
            CREATE TABLE Writes (n);
            CREATE TRIGGER PilotIns AFTER INSERT ON Pilot BEGIN INSERT INTO Writes VALUES (1); END;
            CREATE TRIGGER PilotUpd AFTER UPDATE ON Pilot BEGIN INSERT INTO Writes VALUES (1); END;
        )");
        ASSERT_TRUE(pmodLoadModel());
        switchPage(4);
    }

    std::string column(const char* pszColumn, guint iPilotID) {
        auto sql = std::string("SELECT ") + pszColumn + " FROM Pilot WHERE iPilotID=";
        return avt::query(m_db, sql + std::to_string(iPilotID)).at(0).at(0).value_or("NULL");
    }
    std::string writes() { return *avt::query(m_db, "SELECT count(*) FROM Writes")[0][0]; }
    // The list, the selected row marked "*".
    std::vector<std::string> listNames() {
        return avt::treeRows(widget("PilotTreeView"), PILOT_NAME_COL);
    }
    GtkTreeSelection* selection() {
        return gtk_tree_view_get_selection(GTK_TREE_VIEW(widget("PilotTreeView")));
    }
    void selectPilot(guint iPilotID) {
        gtk_tree_selection_select_iter(selection(), pmodFindPilotID(iPilotID));
        avt::drainEvents();
    }
    // A Delete key press on the list, with the list focused as a user has it.
    void pressDelete() {
        focus("PilotTreeView");
        avt::pressKey(widget("PilotTreeView"), GDK_Delete);
    }
    // Types into a field as a user does and moves on with Return.
    void type(const char* pszID, const char* pszText) {
        gtk_widget_grab_focus(widget(pszID));
        avt::drainEvents();
        gtk_entry_set_text(GTK_ENTRY(widget(pszID)), pszText);
        gtk_test_widget_send_key(widget(pszID), GDK_Return, GdkModifierType(0));
        avt::drainEvents();
    }
    std::string text(const char* pszID) { return avt::entryText(widget(pszID)); }

    avt::fs::path m_db;
};

TEST_F(PilotPage, LastNameOnTheNewRowInsertsThePilotButNeverANameWithoutLetters) {
    selectPilot(PILOT_ID_NEW);
    type("PilotLName", "Baker");
    const guint iBaker = std::stoul(
        *avt::query(m_db, "SELECT iPilotID FROM Pilot WHERE strSortKey='BAKER'").at(0).at(0));
    EXPECT_EQ(listNames(), (std::vector<std::string>{"Adams, Ann", "*Baker", "Brown, Bob",
                                                     "Jerry, Tom & <T>", "<new pilot>"}));
    EXPECT_TRUE(gtk_widget_has_focus(widget("PilotFName")));
    mscRefuseClear();
    type("PilotLName", "-- '.");
    EXPECT_EQ(text("PilotLName"), "Baker");
    EXPECT_NE(*mscLastRefusal(), '\0');
    EXPECT_EQ(column("strLName || strSortKey", iBaker), "BakerBAKER");
}

TEST_F(PilotPage, ASecondPilotOfTheSameNameIsQuestioned) {
    selectPilot(PILOT_ID_NEW);
    type("PilotLName", "adams");
    for (int nResponse : {GTK_RESPONSE_CANCEL, GTK_RESPONSE_OK}) {
        SCOPED_TRACE(nResponse);
        avt::answerNextDialog(nResponse);
        type("PilotFName", "ann.");
        ASSERT_EQ(avt::dialogsSeen().size(), 1u);
        EXPECT_NE(avt::dialogsSeen()[0].strSecondaryText.find("'Adams, Ann'"), std::string::npos);
        avt::clearDialogsSeen();
        EXPECT_EQ(text("PilotFName"), nResponse == GTK_RESPONSE_OK ? "ann." : "");
        EXPECT_EQ(*avt::query(m_db, "SELECT count(*) FROM Pilot WHERE strSortKey='ADAMSANN'")[0][0],
                  nResponse == GTK_RESPONSE_OK ? "2" : "1");
    }
}

TEST_F(PilotPage, ShowingPilotsEndOfMonthWithoutAutoAndKeyKeepingEditsWriteNothing) {
    for (guint iID : {1u, 2u, 1u, 3u, PILOT_ID_NEW, 1u, PILOT_ID_NEW})
        selectPilot(iID);
    switchPage(0);
    switchPage(4);
    selectPilot(2);
    auto* pEndMonth = GTK_TOGGLE_BUTTON(widget("PilotMedDateEndMonth"));
    EXPECT_FALSE(gtk_toggle_button_get_active(pEndMonth)) << "the stored flag is not shown";
    gtk_toggle_button_set_active(pEndMonth, TRUE);
    EXPECT_FALSE(gtk_toggle_button_get_active(pEndMonth));
    type("PilotLName", "BROWN");
    type("PilotFName", "b.o.b");
    EXPECT_EQ(writes(), "0");
    EXPECT_EQ(listNames().size(), 4u) << "no nameless pilot";
    switchPage(0); // the spelling goes with the next save
    EXPECT_EQ(column("strLName || strFName || strSortKey || bMedMonthEnd", 2),
              "BROWNb.o.bBROWNBOB1");
}

TEST_F(PilotPage, WithAutoTheComputedNextDateStandsAndNeverPassesAShortMonthsEnd) {
    selectPilot(2);
    type("PilotNextMedDate", "3 Jan 2030");
    gtk_button_clicked(GTK_BUTTON(widget("PilotMedDateAuto")));
    // 01-Jun-2035 + 12 months, from the first of the next month; saved at once.
    EXPECT_EQ(text("PilotNextMedDate"), "01-Jul-2036");
    EXPECT_EQ(column("bMedAuto || date(tNextMed, 'unixepoch')", 2), "12036-07-01");
    gtk_entry_set_text(GTK_ENTRY(widget("PilotNextMedDate")), "5 May 2031");
    pltOnNextMedFocusOut(widget("PilotNextMedDate"), nullptr, nullptr);
    EXPECT_EQ(text("PilotNextMedDate"), "01-Jul-2036");
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
    // Six months from 31-Aug are up on 28-Feb, not in March.
    selectPilot(3);
    gtk_button_clicked(GTK_BUTTON(widget("PilotMedDateAuto")));
    type("PilotLastMedDate", "31 Aug 2025");
    type("PilotMedInterval", "6 months");
    EXPECT_EQ(text("PilotNextMedDate"), "28-Feb-2026");
    gtk_button_clicked(GTK_BUTTON(widget("PilotMedDateEndMonth")));
    EXPECT_EQ(text("PilotNextMedDate"), "01-Mar-2026") << "counted from 1-Sep";
}

TEST_F(PilotPage, DeleteSaysHowManyFlightsNameThePilotAndOnlyOkMarksItDeleted) {
    avt::exec(m_db, "INSERT INTO Flight (iCSID, iPilotID, iStudentID, bDelete) VALUES "
                    "(1, 3, 1, 0), (1, 2, 3, NULL), (1, 3, 0, 0), (1, 3, 0, 1), (1, 1, 2, 0)");
    avt::answerNextDialog(GTK_RESPONSE_CANCEL); // for the first question asked
    selectPilot(PILOT_ID_NEW);
    pressDelete(); // not ours to handle: no question
    ASSERT_TRUE(avt::dialogsSeen().empty());
    selectPilot(3);
    pressDelete();
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_NE(avt::dialogsSeen()[0].strSecondaryText.find("'Tom &amp; &lt;T&gt; Jerry'"),
              std::string::npos);
    EXPECT_NE(avt::dialogsSeen()[0].strSecondaryText.find("3 flights name this pilot"),
              std::string::npos);
    EXPECT_EQ(column("ifnull(bDelete, 0)", 3), "0");
    avt::answerNextDialog(GTK_RESPONSE_OK);
    pressDelete();
    EXPECT_EQ(column("bDelete", 3), "1");
    EXPECT_EQ(listNames(), (std::vector<std::string>{"Adams, Ann", "Brown, Bob", "<new pilot>"}));
}

TEST_F(PilotPage, PilotThatCannotBeReadLeavesTheCardClosed) {
    avt::exec(m_db, "ALTER TABLE Pilot RENAME TO PilotAway");
    avt::answerNextDialog(GTK_RESPONSE_OK);
    selectPilot(2);
    EXPECT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_FALSE(gtk_widget_is_sensitive(widget("PilotLastMedDate")));
    avt::exec(m_db, "ALTER TABLE PilotAway RENAME TO Pilot");
    switchPage(0);
    EXPECT_EQ(writes(), "0");
}

} // namespace
