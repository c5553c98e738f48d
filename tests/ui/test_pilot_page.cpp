// The pilot card page with the real UI file: entering, renaming and
// deleting pilots, the due-date groups, and what reaches the log database.
#include "harness.h"
#include "modPilot.h"

#include <gdk/gdkkeysyms.h>
#include <sqlite3.h>

#include <ctime>
#include <string>
#include <tuple>

namespace {

using avt::AppTest;
using avt::Row;

time_t utc(int nYear, int nMonth, int nDay) {
    struct tm tmDate {};
    tmDate.tm_year = nYear - 1900;
    tmDate.tm_mon = nMonth - 1;
    tmDate.tm_mday = nDay;
    return timegm(&tmDate);
}

std::string num(long long n) {
    return std::to_string(n);
}

// Three stored pilots:
//  Adams, Ann: medical with Auto and End of month (24 months from 15-Mar-2010;
//    the stored next date is a day off the computed one, so any save that
//    recomputes it shows); flight review without Auto.
//  Brown, Bob: medical without Auto but with a stored interval and End-of-month
//    flag; flight review with Auto.
//  Jerry, Tom & <T>: a name that is not markup.
class PilotPage : public AppTest {
  protected:
    void prepareData() override {
        m_db = m_dirs->etcFile("avLedger.db");
        std::string sql =
            "CREATE TABLE Pilot (iPilotID INTEGER PRIMARY KEY, tCreateTime INTEGER, "
            "tAlterTime INTEGER, strLName TEXT, strFName TEXT, strSortKey TEXT, tLastMed "
            "INTEGER, tNextMed INTEGER, nMedInterval INTEGER, bMedAuto BOOLEAN, bMedMonthEnd "
            "BOOLEAN, tLastFR INTEGER, tNextFR INTEGER, nFRInterval INTEGER, bFRAuto BOOLEAN, "
            "bFRMonthEnd BOOLEAN, strNotes TEXT, bDelete BOOLEAN);"
            "INSERT INTO Pilot (iPilotID, strLName, strFName, strSortKey, tLastMed, tNextMed, "
            "nMedInterval, bMedAuto, bMedMonthEnd, tLastFR, tNextFR, nFRInterval, bFRAuto, "
            "bFRMonthEnd, strNotes, bDelete) VALUES "
            "(1, 'Adams', 'Ann', 'ADAMSANN', " +
            num(utc(2010, 3, 15)) + ", " + num(utc(2012, 4, 2)) + ", " + num(0x02000018) +
            ", 1, 1, " + num(utc(2010, 1, 10)) + ", " + num(utc(2036, 1, 10)) + ", " +
            num(0x03000002) +
            ", 0, 0, 'first', 0),"
            "(2, 'Brown', 'Bob', 'BROWNBOB', " +
            num(utc(2035, 6, 1)) + ", " + num(utc(2036, 6, 1)) + ", " + num(0x0200000C) +
            ", 0, 1, " + num(utc(2035, 2, 1)) + ", " + num(utc(2037, 2, 1)) + ", " +
            num(0x03000002) +
            ", 1, 0, '', 0),"
            "(3, 'Jerry', 'Tom & <T>', 'JERRYTOMT', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '', 0);"
            // Every write to the pilot table is counted, so "writes nothing"
            // can be seen even where the values would not change.
            "CREATE TABLE PilotWrites (n INTEGER);"
            "CREATE TRIGGER PilotIns AFTER INSERT ON Pilot BEGIN INSERT INTO PilotWrites "
            "VALUES (1); END;"
            "CREATE TRIGGER PilotUpd AFTER UPDATE ON Pilot BEGIN INSERT INTO PilotWrites "
            "VALUES (1); END;";
        avt::exec(m_db, sql);
    }

    void SetUp() override {
        AppTest::SetUp();
        if (HasFatalFailure())
            return;
        switchPage(4);
        m_nWrites = writes();
    }

    std::vector<Row> pilots() {
        return avt::query(m_db, "SELECT iPilotID, strLName, strFName, strSortKey, tLastMed, "
                                "tNextMed, nMedInterval, bMedAuto, bMedMonthEnd, tLastFR, "
                                "tNextFR, nFRInterval, bFRAuto, bFRMonthEnd, strNotes, bDelete "
                                "FROM Pilot ORDER BY iPilotID");
    }
    std::string column(const char* pszColumn, guint iPilotID) {
        auto rows = avt::query(m_db, std::string("SELECT ") + pszColumn +
                                         " FROM Pilot WHERE iPilotID=" + num(iPilotID));
        if (rows.size() != 1 || rows[0].size() != 1 || !rows[0][0])
            return "(none)";
        return *rows[0][0];
    }
    int writes() {
        auto rows = avt::query(m_db, "SELECT count(*) FROM PilotWrites");
        return std::stoi(*rows.at(0).at(0));
    }
    int newWrites() { return writes() - m_nWrites; }

    // Names of the list rows, top to bottom.
    std::vector<std::string> listNames() {
        std::vector<std::string> names;
        GtkTreeModel* pmod = gtk_tree_view_get_model(GTK_TREE_VIEW(widget("PilotTreeView")));
        GtkTreeIter iter;
        for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
             b = gtk_tree_model_iter_next(pmod, &iter)) {
            gchar* psz = nullptr;
            gtk_tree_model_get(pmod, &iter, PILOT_NAME_COL, &psz, -1);
            names.emplace_back(psz ? psz : "");
            g_free(psz);
        }
        return names;
    }
    GtkTreeSelection* selection() {
        return gtk_tree_view_get_selection(GTK_TREE_VIEW(widget("PilotTreeView")));
    }
    void selectPilot(guint iPilotID) {
        GtkTreeIter* piter = pmodFindPilotID(iPilotID);
        ASSERT_NE(piter, nullptr) << "no row for pilot " << iPilotID;
        gtk_tree_selection_select_iter(selection(), piter);
        avt::drainEvents();
    }
    guint selectedID() {
        GtkTreeModel* pmod = nullptr;
        GtkTreeIter iter;
        if (!gtk_tree_selection_get_selected(selection(), &pmod, &iter))
            return 0;
        return pmodGetPilotID(&iter);
    }
    // Types into a field as a user does: focus it, replace its text.
    void type(const char* pszID, const char* pszText) {
        GtkWidget* pwgt = widget(pszID);
        gtk_widget_grab_focus(pwgt);
        avt::drainEvents();
        ASSERT_TRUE(gtk_widget_has_focus(pwgt)) << pszID;
        gtk_entry_set_text(GTK_ENTRY(pwgt), pszText);
    }
    void pressKey(const char* pszID, guint nKey) {
        gtk_test_widget_send_key(widget(pszID), nKey, GdkModifierType(0));
        avt::drainEvents();
    }
    // Commits whatever field holds the focus, as clicking elsewhere does.
    void focusTree() {
        gtk_widget_grab_focus(widget("PilotTreeView"));
        avt::drainEvents();
    }
    const char* text(const char* pszID) { return gtk_entry_get_text(GTK_ENTRY(widget(pszID))); }
    bool ticked(const char* pszID) {
        return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget(pszID)));
    }
    bool sensitive(const char* pszID) { return gtk_widget_get_sensitive(widget(pszID)); }
    // A Delete key press on the tree; returns whether it was handled.
    gboolean pressDeleteOnTree() {
        GtkWidget* pwgtTree = widget("PilotTreeView");
        gtk_widget_grab_focus(pwgtTree);
        avt::drainEvents();
        GdkEvent* pevt = gdk_event_new(GDK_KEY_PRESS);
        pevt->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(pwgtTree)));
        pevt->key.keyval = GDK_Delete;
        pevt->key.time = GDK_CURRENT_TIME;
        gboolean bHandled = gtk_widget_event(pwgtTree, pevt);
        gdk_event_free(pevt);
        avt::drainEvents();
        return bHandled;
    }

    avt::fs::path m_db;
    int m_nWrites = 0;
};

TEST_F(PilotPage, ListShowsPilotsInKeyOrderAndCardStartsInsensitive) {
    EXPECT_EQ(listNames(), (std::vector<std::string>{"Adams, Ann", "Brown, Bob", "Jerry, Tom & <T>",
                                                     "<new pilot>"}));
    EXPECT_EQ(selectedID(), 0u) << "nothing selected at start";
    for (const char* pszID : {"PilotLName", "PilotFName", "PilotLastMedDate", "PilotNotes"})
        EXPECT_FALSE(gtk_widget_is_sensitive(widget(pszID))) << pszID;

    selectPilot(1);
    EXPECT_STREQ(text("PilotLName"), "Adams");
    EXPECT_STREQ(text("PilotFName"), "Ann");
    EXPECT_STREQ(text("PilotLastMedDate"), "15-Mar-2010");
    EXPECT_STREQ(text("PilotMedInterval"), "24 Months");
    EXPECT_STREQ(text("PilotNextMedDate"), "02-Apr-2012");
    EXPECT_TRUE(ticked("PilotMedDateAuto"));
    EXPECT_TRUE(ticked("PilotMedDateEndMonth"));
    EXPECT_FALSE(sensitive("PilotNextMedDate")) << "Auto computes the next date";
    EXPECT_STREQ(text("PilotLastFRDate"), "10-Jan-2010");
    EXPECT_STREQ(text("PilotNextFRDate"), "10-Jan-2036");
    EXPECT_STREQ(text("PilotFRInterval"), "") << "no interval shown without Auto";
    EXPECT_TRUE(sensitive("PilotNextFRDate"));
    EXPECT_FALSE(sensitive("PilotFRInterval"));
    for (const char* pszID : {"PilotLName", "PilotLastMedDate", "PilotNotes"})
        EXPECT_TRUE(gtk_widget_is_sensitive(widget(pszID))) << pszID;

    // A next date in the past is red in the card; one ahead is not.
    const GdkColor& clrMed =
        gtk_widget_get_style(widget("PilotNextMedDate"))->text[GTK_STATE_INSENSITIVE];
    EXPECT_EQ(std::tuple(clrMed.red, clrMed.green, clrMed.blue), std::tuple(0xFFFF, 0, 0));
    const GdkColor& clrFR = gtk_widget_get_style(widget("PilotNextFRDate"))->text[GTK_STATE_NORMAL];
    EXPECT_NE(std::tuple(clrFR.red, clrFR.green, clrFR.blue), std::tuple(0xFFFF, 0, 0));
    EXPECT_EQ(newWrites(), 0);
}

TEST_F(PilotPage, LastNameOnNewPilotRowInsertsAndSelectsThePilot) {
    selectPilot(0xFFFFFFFF);
    EXPECT_TRUE(gtk_widget_has_focus(widget("PilotLName")));
    EXPECT_TRUE(sensitive("PilotFName"));
    EXPECT_FALSE(gtk_widget_is_sensitive(widget("PilotLastMedDate")));
    EXPECT_FALSE(ticked("PilotMedDateAuto"));

    type("PilotLName", "Baker");
    pressKey("PilotLName", GDK_Return);

    auto rows = avt::query(m_db, "SELECT iPilotID, strLName, strFName, strSortKey, bDelete "
                                 "FROM Pilot WHERE strLName='Baker'");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(*rows[0][3], "BAKER");
    EXPECT_EQ(*rows[0][4], "0");
    guint iNew = std::stoul(*rows[0][0]);
    EXPECT_EQ(listNames(), (std::vector<std::string>{"Adams, Ann", "Baker", "Brown, Bob",
                                                     "Jerry, Tom & <T>", "<new pilot>"}));
    EXPECT_EQ(selectedID(), iNew);
    EXPECT_TRUE(gtk_widget_has_focus(widget("PilotFName")));
    EXPECT_TRUE(gtk_widget_is_sensitive(widget("PilotLastMedDate")));

    // The first name moves it on in the list and the focus to the dates.
    type("PilotFName", "Zoe");
    pressKey("PilotFName", GDK_Return);
    EXPECT_EQ(column("strSortKey", iNew), "BAKERZOE");
    EXPECT_EQ(column("strFName", iNew), "Zoe");
    EXPECT_EQ(listNames()[1], "Baker, Zoe");
    EXPECT_EQ(selectedID(), iNew);
    EXPECT_TRUE(gtk_widget_has_focus(widget("PilotLastMedDate")));
    EXPECT_EQ(avt::query(m_db, "SELECT count(*) FROM Pilot")[0][0], "4") << "one pilot added";
}

TEST_F(PilotPage, NameEditsThatKeepTheKeyWriteNothingAtOnce) {
    selectPilot(2);
    const auto before = pilots();
    struct Edit {
        const char* pszID;
        const char* pszText;
    };
    for (auto edit :
         {Edit{"PilotLName", "BROWN"}, Edit{"PilotFName", "b.o.b"}, Edit{"PilotLName", "Brown"}}) {
        type(edit.pszID, edit.pszText);
        focusTree();
        EXPECT_EQ(pilots(), before) << edit.pszText;
        EXPECT_EQ(newWrites(), 0) << edit.pszText;
    }
    EXPECT_EQ(listNames()[1], "Brown, Bob");
    // The spelling itself is not lost: it goes with the next save.
    switchPage(0);
    EXPECT_EQ(column("strLName", 2), "Brown");
    EXPECT_EQ(column("strFName", 2), "b.o.b");
    EXPECT_EQ(column("strSortKey", 2), "BROWNBOB");
}

TEST_F(PilotPage, PunctuationOnlyNameIsNeverSaved) {
    selectPilot(0xFFFFFFFF);
    type("PilotLName", "-- '.");
    pressKey("PilotLName", GDK_Return);
    type("PilotFName", "!!");
    focusTree();
    EXPECT_EQ(newWrites(), 0);
    EXPECT_EQ(listNames().size(), 4u);

    // On a stored pilot the name it had stays.
    avt::exec(m_db, "UPDATE Pilot SET strFName='' , strSortKey='BROWN' WHERE iPilotID=2");
    m_nWrites = writes();
    pmodLoadModel();
    selectPilot(2);
    type("PilotLName", "***");
    focusTree();
    EXPECT_STREQ(text("PilotLName"), "Brown");
    switchPage(0);
    EXPECT_EQ(column("strLName", 2), "Brown");
    EXPECT_EQ(newWrites(), 0);
}

TEST_F(PilotPage, SwitchingPilotsAndLeavingTheNewRowWriteNothing) {
    const auto before = pilots();
    for (guint iID : {1u, 2u, 1u, 3u, 2u, 0xFFFFFFFFu, 1u, 0xFFFFFFFFu}) {
        selectPilot(iID);
        EXPECT_EQ(selectedID(), iID);
    }
    switchPage(0);
    switchPage(4);
    EXPECT_EQ(newWrites(), 0);
    EXPECT_EQ(pilots(), before);
    EXPECT_EQ(listNames().size(), 4u) << "no nameless pilot";
}

TEST_F(PilotPage, AutoNextDateIsComputedAndATypedOneGivesWay) {
    selectPilot(2);
    // Without Auto a typed next date stands until the next save.
    type("PilotNextMedDate", "3 Jan 2030");
    focusTree();
    EXPECT_STREQ(text("PilotNextMedDate"), "03-Jan-2030");
    EXPECT_EQ(newWrites(), 0);

    // Ticking Auto recomputes from the last date and saves at once:
    // 01-Jun-2035 + 12 months, from the first of July.
    gtk_button_clicked(GTK_BUTTON(widget("PilotMedDateAuto")));
    avt::drainEvents();
    EXPECT_EQ(column("bMedAuto", 2), "1");
    EXPECT_EQ(column("tNextMed", 2), num(utc(2036, 7, 1)));
    EXPECT_STREQ(text("PilotNextMedDate"), "01-Jul-2036");
    EXPECT_FALSE(sensitive("PilotNextMedDate"));
    EXPECT_TRUE(ticked("PilotMedDateEndMonth")) << "the stored flag shows again with Auto";

    // A next date put into the entry while Auto is set gives way at once.
    gtk_entry_set_text(GTK_ENTRY(widget("PilotNextMedDate")), "5 May 2031");
    GdkEvent* pevt = gdk_event_new(GDK_FOCUS_CHANGE);
    pevt->focus_change.window =
        GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget("PilotNextMedDate"))));
    pevt->focus_change.in = FALSE;
    gtk_widget_event(widget("PilotNextMedDate"), pevt);
    gdk_event_free(pevt);
    EXPECT_STREQ(text("PilotNextMedDate"), "01-Jul-2036");

    // A new interval and last date recompute too; they are saved on leaving.
    type("PilotMedInterval", "6 months");
    type("PilotLastMedDate", "20/11/2035");
    focusTree();
    EXPECT_STREQ(text("PilotMedInterval"), "6 Months");
    EXPECT_STREQ(text("PilotNextMedDate"), "01-Jun-2036");
    switchPage(0);
    EXPECT_EQ(column("tNextMed", 2), num(utc(2036, 6, 1)));
    EXPECT_EQ(column("nMedInterval", 2), num(0x02000006));
    EXPECT_EQ(column("tLastMed", 2), num(utc(2035, 11, 20)));
}

TEST_F(PilotPage, EndOfMonthWithoutAutoDoesNothing) {
    selectPilot(2);
    EXPECT_FALSE(ticked("PilotMedDateEndMonth")) << "stored flag not shown without Auto";
    EXPECT_STREQ(text("PilotMedInterval"), "");
    EXPECT_FALSE(sensitive("PilotMedDateEndMonth"));

    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget("PilotMedDateEndMonth")), TRUE);
    avt::drainEvents();
    EXPECT_FALSE(ticked("PilotMedDateEndMonth"));
    EXPECT_STREQ(text("PilotNextMedDate"), "01-Jun-2036");
    switchPage(0);
    EXPECT_EQ(newWrites(), 0);
    EXPECT_EQ(column("bMedMonthEnd", 2), "1") << "the stored flag stays";
    EXPECT_EQ(column("nMedInterval", 2), num(0x0200000C)) << "the stored interval stays";

    // With Auto the box counts and saves at once.
    switchPage(4);
    selectPilot(1);
    gtk_button_clicked(GTK_BUTTON(widget("PilotMedDateEndMonth")));
    avt::drainEvents();
    EXPECT_EQ(column("bMedMonthEnd", 1), "0");
    EXPECT_EQ(column("tNextMed", 1), num(utc(2012, 3, 15)));
    EXPECT_STREQ(text("PilotNextMedDate"), "15-Mar-2012");
}

TEST_F(PilotPage, DatesAndNotesAreSavedOnRowChange) {
    selectPilot(1);
    type("PilotLastFRDate", "not a date");
    type("PilotNextFRDate", "Feb 2 2031");
    GtkTextBuffer* pBuffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget("PilotNotes")));
    gtk_widget_grab_focus(widget("PilotNotes"));
    avt::drainEvents();
    gtk_text_buffer_set_text(pBuffer, "Wears glasses; O'Hare \"club\"", -1);
    EXPECT_EQ(newWrites(), 0);
    selectPilot(2);
    EXPECT_NE(column("tLastFR", 1), num(utc(2010, 1, 10))) << "no date read from the text";
    EXPECT_EQ(column("tNextFR", 1), num(utc(2031, 2, 2)));
    EXPECT_EQ(column("strNotes", 1), "Wears glasses; O'Hare \"club\"");
    selectPilot(1);
    EXPECT_STREQ(text("PilotLastFRDate"), "");
    EXPECT_STREQ(text("PilotNextFRDate"), "02-Feb-2031");
}

TEST_F(PilotPage, DeleteAsksAndOnlyOkMarksThePilotDeleted) {
    // Not on the new-pilot row: not handled, no question.
    selectPilot(0xFFFFFFFF);
    EXPECT_FALSE(pressDeleteOnTree());
    EXPECT_TRUE(avt::dialogsSeen().empty());

    selectPilot(3);
    avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    EXPECT_TRUE(pressDeleteOnTree());
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    const auto& seen = avt::dialogsSeen()[0];
    EXPECT_EQ(seen.strText, "<span color='red'><b>*** Delete Pilot Card ***</b></span>");
    EXPECT_EQ(seen.strSecondaryText,
              "<span color='dark blue'>Pilot Card for <b>'Tom &amp; &lt;T&gt; Jerry'</b> will be "
              "deleted.</span>\n\n<span color='blue'>Are you sure?</span>");
    EXPECT_EQ(column("bDelete", 3), "0");
    EXPECT_EQ(listNames().size(), 4u);
    EXPECT_EQ(newWrites(), 0);

    avt::answerNextDialog(GTK_RESPONSE_OK);
    EXPECT_TRUE(pressDeleteOnTree());
    EXPECT_EQ(avt::dialogsSeen().size(), 2u);
    EXPECT_EQ(column("bDelete", 3), "1") << "kept in the table with its mark";
    EXPECT_EQ(listNames(), (std::vector<std::string>{"Adams, Ann", "Brown, Bob", "<new pilot>"}));
    EXPECT_FALSE(gtk_widget_is_sensitive(widget("PilotLName")));
    EXPECT_STREQ(text("PilotLName"), "");

    // Nothing is selected now: a further Delete has no pilot to delete.
    EXPECT_FALSE(pressDeleteOnTree());
    EXPECT_EQ(avt::dialogsSeen().size(), 2u);
}

TEST_F(PilotPage, FailedListLoadAsksAndCancelStops) {
    avt::exec(m_db, "ALTER TABLE Pilot RENAME TO PilotAway");
    avt::answerNextDialog(GTK_RESPONSE_OK);
    EXPECT_TRUE(pmodLoadModel());
    EXPECT_EQ(listNames(), (std::vector<std::string>{"<new pilot>"}));
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_NE(avt::dialogsSeen()[0].strSecondaryText.find("modPilot::pmodLoadModel()"),
              std::string::npos);

    avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    EXPECT_FALSE(pmodLoadModel());
    EXPECT_TRUE(listNames().empty()) << "no new-pilot row after Cancel";
    avt::exec(m_db, "ALTER TABLE PilotAway RENAME TO Pilot");
}

TEST_F(PilotPage, PilotThatCannotBeReadLeavesTheCardClosed) {
    selectPilot(1);
    avt::exec(m_db, "ALTER TABLE Pilot RENAME TO PilotAway");
    avt::answerNextDialog(GTK_RESPONSE_OK);
    selectPilot(2);
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_NE(avt::dialogsSeen()[0].strSecondaryText.find("pagPilot::pltOnRowChanged()"),
              std::string::npos);
    EXPECT_STREQ(text("PilotLName"), "");
    EXPECT_FALSE(gtk_widget_is_sensitive(widget("PilotLastMedDate")));
    avt::exec(m_db, "ALTER TABLE PilotAway RENAME TO Pilot");
    switchPage(0);
    EXPECT_EQ(newWrites(), 0);
    EXPECT_EQ(column("strLName", 2), "Brown");
    m_bRunning = false; // Cancel has asked the program to end
    EXPECT_EQ(quitProgram(), 0);
}

} // namespace
