// The pilot card page with the real UI file: entering, renaming and
// deleting pilots, the due-date groups, and what reaches the log database.
#include "harness.h"
#include "modPilot.h"
#include "pagPilot.h"

#include <gdk/gdkkeysyms.h>

#include <string>

namespace {

std::string day(int nYear, int nMonth, int nDay) {
    return std::to_string(avt::utc(nYear, nMonth, nDay));
}

// Adams, Ann: medical with Auto and End of month, 24 months from 15-Mar-2010
// (the stored next date is a day off, so any recomputing save shows).
// Brown, Bob: medical without Auto but with a stored interval and End-of-month
// flag; flight review with Auto. Jerry, Tom & <T>: a name that is not markup.
class PilotPage : public avt::AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        if (HasFatalFailure())
            return;
        m_db = m_dirs->etcFile("avLedger.db");
        // Every write to the table is counted: "writes nothing" must hold
        // even where the values would not change.
        avt::exec(m_db,
                  "INSERT INTO Pilot (iPilotID, strLName, strFName, strSortKey, tLastMed, "
                  "tNextMed, nMedInterval, bMedAuto, bMedMonthEnd, bFRAuto, bDelete) VALUES "
                  "(1, 'Adams', 'Ann', 'ADAMSANN', " +
                      day(2010, 3, 15) + ", " + day(2012, 4, 2) + ", " +
                      std::to_string(0x02000018) + ", 1, 1, 0, 0), (2, 'Brown', 'Bob', " +
                      "'BROWNBOB', " + day(2035, 6, 1) + ", " + day(2036, 6, 1) + ", " +
                      std::to_string(0x0200000C) +
                      ", 0, 1, 1, 0), (3, 'Jerry', 'Tom & <T>', 'JERRYTOMT', 0, 0, 0, 0, 0, 0, "
                      "0); CREATE TABLE Writes (n); CREATE TRIGGER PilotIns AFTER INSERT ON "
                      "Pilot BEGIN INSERT INTO Writes VALUES (1); END; CREATE TRIGGER PilotUpd "
                      "AFTER UPDATE ON Pilot BEGIN INSERT INTO Writes VALUES (1); END;");
        ASSERT_TRUE(pmodLoadModel());
        switchPage(4);
    }

    std::string column(const char* pszColumn, guint iPilotID) {
        auto rows = avt::query(m_db, std::string("SELECT ") + pszColumn +
                                         " FROM Pilot WHERE iPilotID=" + std::to_string(iPilotID));
        return rows.size() == 1 && rows[0][0] ? *rows[0][0] : "(none)";
    }
    std::string writes() { return *avt::query(m_db, "SELECT count(*) FROM Writes")[0][0]; }
    std::vector<std::string> listNames() {
        std::vector<std::string> names;
        GtkTreeIter iter;
        for (gboolean b = gtk_tree_model_get_iter_first(pmodGetModel(), &iter); b;
             b = gtk_tree_model_iter_next(pmodGetModel(), &iter)) {
            gchar* psz = nullptr;
            gtk_tree_model_get(pmodGetModel(), &iter, PILOT_NAME_COL, &psz, -1);
            names.emplace_back(psz);
            g_free(psz);
        }
        return names;
    }
    GtkTreeSelection* selection() {
        return gtk_tree_view_get_selection(GTK_TREE_VIEW(widget("PilotTreeView")));
    }
    void selectPilot(guint iPilotID) {
        gtk_tree_selection_select_iter(selection(), pmodFindPilotID(iPilotID));
        avt::drainEvents();
    }
    // Types into a field as a user does, then moves the focus on with
    // Return, or by clicking the list.
    void type(const char* pszID, const char* pszText, bool bReturn = false) {
        gtk_widget_grab_focus(widget(pszID));
        avt::drainEvents();
        gtk_entry_set_text(GTK_ENTRY(widget(pszID)), pszText);
        if (bReturn)
            gtk_test_widget_send_key(widget(pszID), GDK_Return, GdkModifierType(0));
        else
            gtk_widget_grab_focus(widget("PilotTreeView"));
        avt::drainEvents();
    }
    std::string text(const char* pszID) { return gtk_entry_get_text(GTK_ENTRY(widget(pszID))); }
    bool ticked(const char* pszID) {
        return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget(pszID)));
    }
    gboolean pressDelete() {
        GdkEventKey evt{};
        evt.keyval = GDK_Delete;
        return pltOnTreeKeyPress(widget("PilotTreeView"), &evt, nullptr);
    }

    avt::fs::path m_db;
};

TEST_F(PilotPage, LastNameOnTheNewRowInsertsThePilotButNeverANameWithoutLetters) {
    selectPilot(PILOT_ID_NEW);
    type("PilotLName", "-- '.");
    EXPECT_EQ(writes(), "0");
    type("PilotLName", "Baker", true);
    auto rows = avt::query(m_db, "SELECT iPilotID, strSortKey FROM Pilot WHERE strLName='Baker'");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], "BAKER");
    EXPECT_EQ(listNames(), (std::vector<std::string>{"Adams, Ann", "Baker", "Brown, Bob",
                                                     "Jerry, Tom & <T>", "<new pilot>"}));
    GtkTreeIter iter;
    ASSERT_TRUE(gtk_tree_selection_get_selected(selection(), nullptr, &iter));
    EXPECT_EQ(std::to_string(pmodGetPilotID(&iter)), *rows[0][0]);
    EXPECT_TRUE(gtk_widget_has_focus(widget("PilotFName")));
}

TEST_F(PilotPage, NameEditsThatKeepTheKeyWriteNothing) {
    selectPilot(2);
    type("PilotLName", "BROWN");
    type("PilotFName", "b.o.b");
    EXPECT_EQ(writes(), "0");
    switchPage(0); // the spelling goes with the next save
    EXPECT_EQ(column("strLName || strFName || strSortKey", 2), "BROWNb.o.bBROWNBOB");
}

TEST_F(PilotPage, ShowingPilotsOrTheNewRowWritesNothing) {
    for (guint iID : {1u, 2u, 1u, 3u, 2u, PILOT_ID_NEW, 1u, PILOT_ID_NEW})
        selectPilot(iID);
    switchPage(0);
    EXPECT_EQ(writes(), "0");
    EXPECT_EQ(listNames().size(), 4u) << "no nameless pilot";
}

TEST_F(PilotPage, WithAutoTheComputedNextDateStands) {
    selectPilot(2);
    type("PilotNextMedDate", "3 Jan 2030");
    gtk_button_clicked(GTK_BUTTON(widget("PilotMedDateAuto")));
    // 01-Jun-2035 + 12 months, from the first of the next month; saved at once.
    EXPECT_EQ(text("PilotNextMedDate"), "01-Jul-2036");
    EXPECT_EQ(column("bMedAuto || ':' || tNextMed", 2), "1:" + day(2036, 7, 1));
    gtk_entry_set_text(GTK_ENTRY(widget("PilotNextMedDate")), "5 May 2031");
    pltOnNextMedFocusOut(widget("PilotNextMedDate"), nullptr, nullptr);
    EXPECT_EQ(text("PilotNextMedDate"), "01-Jul-2036");
    // Other fields are saved on a change of row.
    type("PilotMedInterval", "6 months");
    selectPilot(1);
    EXPECT_EQ(column("tNextMed", 2), day(2036, 1, 1));
    // A next date that has passed is red in the card.
    EXPECT_EQ(gtk_widget_get_style(widget("PilotNextMedDate"))->text[GTK_STATE_INSENSITIVE].red,
              0xFFFF);
}

TEST_F(PilotPage, EndOfMonthCountsOnlyWithAuto) {
    selectPilot(2);
    EXPECT_FALSE(ticked("PilotMedDateEndMonth")) << "the stored flag is not shown";
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget("PilotMedDateEndMonth")), TRUE);
    EXPECT_FALSE(ticked("PilotMedDateEndMonth"));
    switchPage(0);
    EXPECT_EQ(writes(), "0");
    switchPage(4);
    selectPilot(1); // a click with Auto counts and is saved at once
    gtk_button_clicked(GTK_BUTTON(widget("PilotMedDateEndMonth")));
    EXPECT_EQ(column("tNextMed", 1), day(2012, 3, 15));
}

TEST_F(PilotPage, DeleteAsksAndOnlyOkMarksThePilotDeleted) {
    selectPilot(PILOT_ID_NEW);
    EXPECT_FALSE(pressDelete());
    selectPilot(3);
    avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    EXPECT_TRUE(pressDelete());
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_NE(avt::dialogsSeen()[0].strSecondaryText.find("'Tom &amp; &lt;T&gt; Jerry'"),
              std::string::npos);
    EXPECT_EQ(column("bDelete", 3), "0");
    avt::answerNextDialog(GTK_RESPONSE_OK);
    EXPECT_TRUE(pressDelete());
    EXPECT_EQ(column("bDelete", 3), "1");
    EXPECT_EQ(listNames(), (std::vector<std::string>{"Adams, Ann", "Brown, Bob", "<new pilot>"}));
}

TEST_F(PilotPage, PilotThatCannotBeReadLeavesTheCardClosed) {
    selectPilot(1);
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
