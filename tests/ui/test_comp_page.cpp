// The component page with the real UI file, the shipped catalogue and a
// generated log: what the card shows, recording maintenance through the
// record panel, the catalogue editor, and nothing typed lost at quit.
#include "../logic/test_comp_fixture.h"
#include "avLedger.h"
#include "avMisc.h"
#include "pagComp.h"
#include "rcdAC.h"

#include <gdk/gdkkeysyms.h>
#include <sys/wait.h>

#include <csignal>

namespace {

using avct::ALL;
using avt::utc;

constexpr guint NEW = MNT_KIND_REPLACE_NEW, USED = MNT_KIND_REPLACE_USED, INSP = MNT_KIND_INSPECTED;

// Shipped cards given the limits of the cases (every other card has none,
// so that only these colour their groups).
constexpr guint kInsp25 = 101001;  // Fuselage / Airframe: interval 25, inspected at 100.0 h
constexpr guint kLimit = 101002;   // 500 HR or 5 yrs, replaced May 2021 at 200.0 h
constexpr guint kOC = 101003;      // on condition only
constexpr guint kInsp50 = 101004;  // interval 50, inspected at 200.0 h
constexpr guint kRco150 = 204009;  // Engine / Oil System: 150 hours, never replaced
constexpr guint kUsed = 326001;    // Drive Train / Main Drive: 300 hours, used part with 450 h
constexpr guint kInsp100 = 511003; // Tail Rotor System / Tail Rotor: interval 100

const time_t tClock = utc(2022, 6, 1);

class CompPage : public avt::AppTest {
  protected:
    void prepareData() override {
        avt::copyCatalogue(*m_dirs);
        avt::exec(catDb(), "UPDATE Component SET nInspect = 0, nRCO = 0;"
                           "UPDATE Component SET nInspect = 25 WHERE iCompID = 101001;"
                           "UPDATE Component SET nRCO = 500 | (5 << 16) WHERE iCompID = 101002;"
                           "UPDATE Component SET nRCO = 2147483648 WHERE iCompID = 101003;"
                           "UPDATE Component SET nInspect = 50 WHERE iCompID = 101004;"
                           "UPDATE Component SET nRCO = 150 WHERE iCompID = 204009;"
                           "UPDATE Component SET nRCO = 300 WHERE iCompID = 326001;"
                           "UPDATE Component SET nInspect = 100 WHERE iCompID = 511003;");
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        // Two aircraft, engine codes 0 and 3, built 01-Jan-2021; 202.6 h flown by
        // 01-Jun-2021, all by the first, whose records are these.
        avt::exec(logDb(), R"(
            INSERT INTO Aircraft (iAircraftID, strReg, tManu, bLogSinceNew, iOptHeli, iOptEngine,
                                  iOptClutch, iOptMRDrive, iOptMRotor, iOptMRSystem, iOptTRSlider,
                                  iOptTRDrive, iOptTR, bDelete)
              VALUES (1, 'ZK-ONE', 1609459200, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
                     (2, 'ZK-TWO', 1609459200, 1, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0);
            INSERT INTO Flight (iCSID, tFltBegin, tFltEnd, nElapsed, bDelete)
              SELECT 1, t, t + 360 * n, n, 0 FROM (SELECT strftime('%s', '2021-03-01 10:00') AS t,
                1000 AS n UNION ALL SELECT strftime('%s', '2021-04-20 10:00'), 1000
                UNION ALL SELECT strftime('%s', '2021-06-01 10:00'), 26);
            INSERT INTO Maintenance (iCompID, iACID, bFlags, tCompleted, nCompHours, nCompAge,
                                     nDeferHours, nDeferDays, bDelete)
              VALUES (101001, 1, 0, strftime('%s', '2021-04-01'), 0, 0, 0, 0, 0),
                     (101002, 1, 1, strftime('%s', '2021-05-10'), 0, 0, 0, 0, 0),
                     (101004, 1, 0, strftime('%s', '2021-05-15'), 0, 0, 0, 0, 0),
                     (326001, 1, 2, strftime('%s', '2021-03-15'), 4500, 0, 0, 0, 0);)");
        avt::writeFile(m_dirs->etcFile("avLedger.conf"), "[Aircraft]\nACID=1\n");
        cmodSetClock(tClock);
    }
    void TearDown() override {
        AppTest::TearDown();
        cmodSetClock(0);
    }

    avt::fs::path logDb() const { return m_dirs->etcFile("avLedger.db"); }
    avt::fs::path catDb() const { return m_dirs->etcFile("avCCD.db"); }
    // A column of the catalogue's cards.
    std::string card(const char* pszCol, const std::string& strWhere) {
        return avt::value(catDb(),
                          std::string("SELECT ") + pszCol + " FROM Component WHERE " + strWhere);
    }

    void drain() { avt::drainEvents(); }
    std::string entry(const char* pszID) const {
        return gtk_entry_get_text(GTK_ENTRY(widget(pszID)));
    }
    GtkTreeView* tree(const char* pszID) const { return GTK_TREE_VIEW(widget(pszID)); }

    // Selects a row as a click does: the page's own handler runs.
    void selectPath(const char* pszTree, GtkTreePath* pPath) {
        gtk_tree_view_expand_to_path(tree(pszTree), pPath);
        gtk_tree_selection_select_path(gtk_tree_view_get_selection(tree(pszTree)), pPath);
        drain();
    }
    // Selects a card, or (bParent) the sub-group or group row it is in.
    void selectCard(guint iCompID, bool bParent = false) {
        GtkTreeIter iter;
        ASSERT_TRUE(cmodFindCompID(iCompID, &iter)) << iCompID;
        GtkTreePath* pPath = gtk_tree_model_get_path(cmodGetModel(), &iter);
        if (bParent)
            gtk_tree_path_up(pPath);
        selectPath("CompCardTreeView", pPath);
        gtk_tree_path_free(pPath);
    }
    // "colour weight" of a card, its sub-group and its group.
    std::string look(guint iCompID) {
        GtkTreeIter iter, iterUp;
        EXPECT_TRUE(cmodFindCompID(iCompID, &iter));
        std::string str;
        for (bool b = true; b;
             b = gtk_tree_model_iter_parent(cmodGetModel(), &iterUp, &iter), iter = iterUp) {
            str += (str.empty() ? "" : " / ") + avct::text(&iter, CCD_COLOUR_COL) + " " +
                   std::to_string(avct::col<guint>(&iter, CCD_WEIGHT_COL));
        }
        return str;
    }
    // Text colour of a due entry: "red", "blue" or "black".
    std::string dueColour(const char* pszID) {
        const GdkColor& c = gtk_widget_get_style(widget(pszID))->text[GTK_STATE_INSENSITIVE];
        return c.red == 0xFFFF && !c.blue ? "red" : c.blue == 0xFFFF && !c.red ? "blue" : "black";
    }
    // A column of the record list, the selected row marked "*".
    std::vector<std::string> maintColumn(int nCol = MNT_STR_DATE_COL) {
        return avt::treeRows(widget("MaintTree"), nCol);
    }
    void selectMaint(int nRow) {
        GtkTreePath* pPath = gtk_tree_path_new_from_indices(nRow, -1);
        selectPath("MaintTree", pPath);
        gtk_tree_path_free(pPath);
    }
    // Types a date into the new-record row's date cell and presses Enter
    // (or, bLeave, clicks away).
    void enterDate(const char* pszDate, bool bLeave = false) {
        int nLast = int(maintColumn().size()) - 1;
        selectMaint(nLast);
        GtkTreePath* pPath = gtk_tree_path_new_from_indices(nLast, -1);
        gtk_tree_view_set_cursor(tree("MaintTree"), pPath,
                                 gtk_tree_view_get_column(tree("MaintTree"), 0), TRUE);
        gtk_tree_path_free(pPath);
        drain();
        GtkWidget* pwgtEditor = gtk_window_get_focus(GTK_WINDOW(widget("avLedger")));
        ASSERT_TRUE(GTK_IS_ENTRY(pwgtEditor)) << "no date editor";
        m_strEditorStart = gtk_entry_get_text(GTK_ENTRY(pwgtEditor));
        gtk_entry_set_text(GTK_ENTRY(pwgtEditor), pszDate);
        if (bLeave)
            focus("CompMarkTime");
        else
            gtk_widget_activate(pwgtEditor);
        drain();
    }
    void click(const char* pszID) {
        gtk_button_clicked(GTK_BUTTON(widget(pszID)));
        drain();
    }
    // A real click on the date cell of a record row.
    void clickDate(int nRow) { avt::clickRow(widget("MaintTree"), nRow); }
    // A card's stored records, each "completed,flags,aircraft,defer hours,defer
    // days,part hours;" in date order.
    std::string records(guint iCompID) {
        return avt::value(logDb(), "SELECT ifnull(group_concat(r, ''), '') FROM (SELECT "
                                   "strftime('%Y-%m-%d %H:%M', tCompleted, 'unixepoch') || "
                                   "printf(',%s,%s,%s,%s,%s;', quote(bFlags), quote(iACID), "
                                   "quote(nDeferHours), quote(nDeferDays), quote(nCompHours)) AS r "
                                   "FROM Maintenance WHERE bDelete = 0 AND iCompID = " +
                                       std::to_string(iCompID) + " ORDER BY tCompleted)");
    }

    const guint m_iACID = 1, m_iACID2 = 2;
    std::string m_strEditorStart;
};

TEST_F(CompPage, CardShowsWhereEachLimitFallsDueInTheColourOfItsRow) {
    struct Case {
        guint iCompID;
        const char *pszInspLast, *pszInspDue, *pszInspColour;
        const char *pszRCOLast, *pszRCODue, *pszRCOColour;
        const char* pszLook; // card / sub-group / group
    };
    // clang-format off
    const Case cases[] = {
        {kInsp25, "100.0 A/F hrs", "125.0 A/F hrs", "red",   "",              "",                              "black", "red 400 / red 400 / red 400"},
        {kLimit,  "200.0 A/F hrs", "",              "black", "200.0 A/F hrs", "700.0 A/F hrs or 10-May-2026", "black", "black 400 / red 400 / red 400"},
        {kOC,     "0.0 A/F hrs",   "",              "black", "",              "OC",                            "black", "black 400 / red 400 / red 400"},
        // More hours on the used part than its life: due now, no wrapped figure.
        {kUsed,   "100.0 A/F hrs", "",              "black", "100.0 A/F hrs", "0.0 A/F hrs",                   "red",   "red 700 / red 700 / red 700"},
        {kRco150, "0.0 A/F hrs",   "",              "black", "0.0 A/F hrs",   "150.0 A/F hrs",                 "red",   "red 700 / red 700 / red 700"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.iCompID);
        selectCard(c.iCompID);
        EXPECT_EQ(entry("CompInspLast"), c.pszInspLast);
        EXPECT_EQ(entry("CompInspDue"), c.pszInspDue);
        EXPECT_EQ(dueColour("CompInspDue"), c.pszInspColour);
        EXPECT_EQ(entry("CompRCOLast"), c.pszRCOLast);
        EXPECT_EQ(entry("CompRCODue"), c.pszRCODue);
        EXPECT_EQ(dueColour("CompRCODue"), c.pszRCOColour);
        EXPECT_EQ(look(c.iCompID), c.pszLook);
    }
}

TEST_F(CompPage, RecordingMaintenanceThroughThePanel) {
    // A record typed with its time is stored at once and put in date order.
    selectCard(kInsp25);
    // Stored as an entry still open until the record is left.
    enterDate("19/03/2021 10:20");
    EXPECT_EQ(records(kInsp25), "2021-03-19 10:20,128,1,0,0,0;2021-04-01 00:00,0,1,0,0,0;");
    EXPECT_EQ(maintColumn(),
              (std::vector<std::string>{"*19-Mar-2021 10:20", "01-Apr-2021", "<new record>"}));
    // The editor starts from the last date used.
    enterDate("");
    EXPECT_EQ(m_strEditorStart, "19-Mar-2021 10:20");
    EXPECT_EQ(records(kInsp25).substr(0, 19), "2021-03-19 10:20,0,");

    // Red for replacement; a record after the last flight, then "Replaced
    // New": the row, sub-group and group turn black and the due point moves.
    selectCard(kRco150);
    EXPECT_EQ(look(kRco150), "red 700 / red 700 / red 700");
    enterDate("2 Jun 2021");
    EXPECT_EQ(look(kRco150), "red 700 / red 700 / red 700") << "an inspection replaces nothing";
    click("MaintReplaceNew");
    EXPECT_EQ(look(kRco150), "black 400 / black 400 / black 400");
    EXPECT_EQ(entry("CompRCODue"), "352.6 A/F hrs") << "tenths, as the due list shows them";
    EXPECT_EQ(dueColour("CompRCODue"), "black");

    // An inspection ends the red; a deferral instead turns it blue.
    selectCard(kInsp100);
    EXPECT_EQ(look(kInsp100), "red 400 / red 400 / red 400");
    enterDate("2 Jun 2021");
    EXPECT_EQ(look(kInsp100), "black 400 / black 400 / black 400");
    click("MaintDeferInspect");
    enterText("MaintDeferHours", "10");
    EXPECT_EQ(look(kInsp100), "blue 400 / blue 400 / blue 400");
    EXPECT_EQ(dueColour("CompInspDue"), "blue");

    // Invalid dates and negative figures store nothing and say why.
    for (const char* pszBad : {"19/04/2021 25:00", "31/12/2020"}) { // before it was built
        enterDate(pszBad);
        EXPECT_NE(std::string(mscLastRefusal()), "") << pszBad;
        selectMaint(0);
    }
    runScenarios({logDb(), [](int) {}, [] {}, "CompCardTreeView"},
                 {{0, "MaintDeferHours", "-5", "10.0", true},
                  {0, "MaintDeferDays", "-5", "0", true},
                  {0, "MaintDeferDays", "3x", "0", true}});
    EXPECT_EQ(look(kInsp100), "blue 400 / blue 400 / blue 400");
    selectCard(kInsp25); // saves what is pending
    EXPECT_EQ(records(kInsp100), "2021-06-02 00:00,4,1,100,0,0;");

    // A date after today is asked about: Cancel stores nothing, OK stores it
    // marked in the list.
    gchar szFuture[40];
    cnvDcdDate(szFuture, sizeof szFuture, time(nullptr) + 400 * 86400, 0);
    for (int nAnswer : {GTK_RESPONSE_CANCEL, GTK_RESPONSE_OK}) {
        avt::answerNextDialog(nAnswer);
        enterDate(szFuture);
    }
    EXPECT_EQ(maintColumn(),
              (std::vector<std::string>{"19-Mar-2021 10:20", "01-Apr-2021",
                                        "*" + std::string(szFuture), "<new record>"}));
    EXPECT_EQ(maintColumn(MNT_WARN_COL)[2], "*Dated in the future");
}

// However the date editor of "<new record>" is opened, with the keyboard
// cursor on the row but the row not selected, the date typed is stored.
TEST_F(CompPage, EveryWayIntoTheNewRecordStoresTheDate) {
    const struct {
        const char* pszName;
        guint nKey;           // opens the editor; 0: a click on the row, then on its date
        const char* pszTyped; // then typed, and Return
        int nDay, nCount;     // records on that day of December 2025 afterwards
    } lstOpeners[] = {
        {"space", GDK_space, "01/12/2025", 1, 1}, {"Return", GDK_Return, "02/12/2025", 2, 1},
        {"F2", GDK_F2, "03/12/2025", 3, 1},       {"typing", GDK_0, "4/12/2025", 4, 1},
        {"mouse", 0, "05/12/2025", 5, 1},         {"date offered", GDK_space, "", 5, 2}};
    GtkWidget* pwgtTree = widget("MaintTree");
    selectCard(kInsp25);
    for (const auto& o : lstOpeners) {
        SCOPED_TRACE(o.pszName);
        selectMaint(0);
        focus("MaintTree");
        avt::pressKey(pwgtTree, GDK_End, GDK_CONTROL_MASK);
        const int nNewRow = int(maintColumn().size()) - 1;
        if (o.nKey) {
            avt::pressKey(pwgtTree, o.nKey);
        } else {
            selectMaint(nNewRow); // a second real click would be a double click
            clickDate(nNewRow);
        }
        avt::typeKeys(pwgtTree, o.pszTyped);
        avt::pressKey(pwgtTree, GDK_Return);
        EXPECT_EQ(avt::value(logDb(), "SELECT count(*) FROM Maintenance WHERE tCompleted = " +
                                          std::to_string(utc(2025, 12, o.nDay))),
                  std::to_string(o.nCount));
    }
}

// A kill in the middle of an entry. The program runs in a child process
// (this same test, told so by its environment) that enters a record,
// chooses "Replaced Used", types the part's hours and is killed before it
// leaves the record; its files are then opened as the next start would.
TEST_F(CompPage, AnEntryCutShortByAKillCountsForNothing) {
    if (const char* pszReport = g_getenv("AVL_KILLED_CHILD")) {
        avt::writeFile(pszReport, m_dirs->root().string());
        selectCard(kInsp100);
        enterDate("2 Jun 2021");
        click("MaintReplaceUsed");
        enterText("MaintCompHours", "12");
        raise(SIGKILL);
    }
    const std::string strReport = (m_dirs->root() / "child").string();
    const auto* pTest = testing::UnitTest::GetInstance()->current_test_info();
    const std::string strFilter =
        std::string("--gtest_filter=") + pTest->test_suite_name() + "." + pTest->name();
    const gchar* lstArgs[] = {"/proc/self/exe", strFilter.c_str(), nullptr};
    gchar** lstEnv = g_environ_setenv(g_get_environ(), "AVL_KILLED_CHILD", strReport.c_str(), TRUE);
    gint nStatus = 0;
    ASSERT_TRUE(g_spawn_sync(nullptr, const_cast<gchar**>(lstArgs), lstEnv,
                             G_SPAWN_STDOUT_TO_DEV_NULL, nullptr, nullptr, nullptr, nullptr,
                             &nStatus, nullptr));
    g_strfreev(lstEnv);
    ASSERT_TRUE(WIFSIGNALED(nStatus) && WTERMSIG(nStatus) == SIGKILL) << nStatus;
    ASSERT_EQ(quitProgram(), 0);
    const avt::fs::path child = avt::readFile(strReport);
    avt::fs::remove_all(m_dirs->etc());
    avt::fs::rename(child / "etc", m_dirs->etc());
    avt::fs::remove_all(child);
    avt::destroyToplevels();
    m_bRunning = avt::startProgram(arguments(), &m_nStartStatus);
    ASSERT_TRUE(m_bRunning && avt::waitForActiveWindow(GTK_WINDOW(widget("avLedger"))));

    // Kept as far as it got, but stating no work: the inspection stays due,
    // also after a look at the entry, until the owner completes it
    // (choosing its kind again does).
    auto record = [](guint bFlags) {
        return "2021-06-02 00:00," + std::to_string(bFlags) + ",1,0,0,120;";
    };
    // The start points at it: the owner may never open that card.
    EXPECT_EQ(std::string(mscLastRefusal()).rfind("Unfinished maintenance entries count", 0), 0u)
        << mscLastRefusal();
    for (const char* pszKind : {"", "MaintReplaceUsed"}) {
        EXPECT_EQ(records(kInsp100), record(MNT_FLAG_UNFINISHED | USED));
        EXPECT_EQ(look(kInsp100), "red 400 / red 400 / red 400");
        selectCard(kInsp100);
        EXPECT_EQ(maintColumn(MNT_STR_TYPE_COL)[0], "*Unfinished entry");
        selectMaint(0);
        if (*pszKind)
            click(pszKind);
        selectCard(kInsp25);
    }
    EXPECT_EQ(records(kInsp100), record(USED));
    EXPECT_EQ(look(kInsp100), "black 400 / black 400 / black 400");
}

TEST_F(CompPage, LeavingACardForItsSubGroupLeavesItsRecordAlone) {
    const std::string strBefore = records(kLimit);
    selectCard(kLimit);
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget("MaintReplaceNew"))));
    selectCard(kLimit, true);
    EXPECT_FALSE(gtk_widget_is_sensitive(widget("MaintReplaceNew")));
    selectCard(kOC);
    switchPage(2);
    EXPECT_EQ(records(kLimit), strBefore);
    // Delete is offered only on a stored record shown: after Cancel the
    // record stays, after OK it is gone and the card is judged without it.
    // A click on the record shown (the list without the focus) and Delete
    // ask about that record, named, instead of editing its date.
    switchPage(0);
    selectCard(kLimit);
    focus("CompMarkTime");
    clickDate(0);
    avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    avt::pressKey(widget("MaintTree"), GDK_Delete);
    EXPECT_EQ(records(kLimit), strBefore);
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_TRUE(avt::contains(avt::dialogsSeen()[0].strSecondaryText,
                              "10-May-2021, Replace New, \"" +
                                  card("strPartDesc", "iCompID = 101002") + "\""));
    avt::answerNextDialog(GTK_RESPONSE_OK);
    avt::pressKey(widget("MaintTree"), GDK_Delete);
    EXPECT_EQ(records(kLimit), "");
    // Nothing to delete on the new-record row.
    selectMaint(0);
    focus("MaintTree");
    avt::pressKey(widget("MaintTree"), GDK_Delete);
    EXPECT_EQ(avt::dialogsSeen().size(), 2u);
    EXPECT_EQ(entry("CompRCOLast"), "0.0 A/F hrs");
}

TEST_F(CompPage, TypingANameFindsACardInAClosedGroup) {
    // Typed at a user's pace, each key queued before the last is handled:
    // the search must see the letters in order and leave the card shown.
    selectCard(kInsp25);
    focus("CompCardTreeView");
    avt::typeKeys(widget("CompCardTreeView"), "Sprag clutch");
    avt::pressKey(widget("CompCardTreeView"), GDK_Return);
    GtkTreeModel* pModel = nullptr;
    GtkTreeIter iter;
    ASSERT_TRUE(gtk_tree_selection_get_selected(
        gtk_tree_view_get_selection(tree("CompCardTreeView")), &pModel, &iter));
    EXPECT_EQ(avct::text(&iter, CCD_COMP_COL), "Sprag clutch (freewheel unit)");
    EXPECT_EQ(entry("CompPartNumber"), card("strPartNmbr", "iCompID = 326005"));
}

TEST_F(CompPage, ClosedGroupsAndAnotherAircraftGiveBackTheWidth) {
    // Open groups make the tree wider than its pane; closing them again, or
    // a tree built for another aircraft, needs no horizontal scroll bar.
    GtkTreeView* pTree = tree("CompCardTreeView");
    GtkAdjustment* padj = gtk_tree_view_get_hadjustment(pTree);
    auto overflow = [&] {
        drain();
        return gtk_adjustment_get_upper(padj) - gtk_adjustment_get_page_size(padj);
    };
    ASSERT_LE(overflow(), 0);
    gtk_tree_view_expand_all(pTree);
    ASSERT_GT(overflow(), 0) << "the open tree fits its pane: nothing to check";
    gtk_tree_view_collapse_all(pTree);
    EXPECT_LE(overflow(), 0) << "after closing the groups";
    gtk_tree_view_expand_all(pTree);
    ASSERT_TRUE(acdLoadActiveAC(m_iACID2));
    switchPage(2);
    switchPage(0);
    EXPECT_LE(overflow(), 0) << "in the tree of another aircraft";
}

TEST_F(CompPage, FlightsLoggedMeanwhileNoAircraftThenTheSameOneAgain) {
    // Flights logged while the page is away count in its records' hours.
    selectCard(kInsp50);
    avt::exec(logDb(), "INSERT INTO Flight (iCSID, tFltBegin, tFltEnd, nElapsed, bDelete) "
                       "VALUES (1, " +
                           std::to_string(utc(2021, 5, 1)) + ", 0, 100, 0)");
    switchPage(2);
    switchPage(0);
    EXPECT_EQ(maintColumn(MNT_STR_AF_HRS_COL), (std::vector<std::string>{"*210", ""}));
    EXPECT_EQ(entry("CompInspLast"), "210.0 A/F hrs");
    EXPECT_EQ(entry("CompInspDue"), "260.0 A/F hrs");

    rcdAC* pAC = acdGetActiveAC();
    selectCard(kInsp25);
    switchPage(2);
    const guint iACID = pAC->iACID;
    pAC->iACID = ALL;
    switchPage(0);
    EXPECT_TRUE(gtk_widget_get_visible(widget("CompCardNoLog")));
    EXPECT_FALSE(gtk_widget_get_visible(widget("CompHPaned")));
    switchPage(2);
    pAC->iACID = iACID;
    switchPage(0);
    EXPECT_FALSE(gtk_widget_get_visible(widget("CompCardNoLog")));
    EXPECT_EQ(gtk_tree_model_iter_n_children(cmodGetModel(), nullptr), 8) << "tree built again";
    // The aircraft page rebuilds the tree while this page is away: the
    // card is found again and an edit reaches its row, not a stale one.
    selectCard(kRco150);
    switchPage(3);
    ASSERT_TRUE(cmodLoadModel(ALL));
    switchPage(0);
    enterDate("2 Jun 2021");
    click("MaintReplaceNew");
    EXPECT_EQ(look(kRco150), "black 400 / black 400 / black 400");
    // The due list's way in: the card shown and selected from another page.
    switchPage(3);
    EXPECT_TRUE(ccdSelectCompID(kUsed));
    EXPECT_EQ(gtk_notebook_get_current_page(GTK_NOTEBOOK(widget("MainNotebook"))), 0);
    EXPECT_EQ(entry("CompRCODue"), "0.0 A/F hrs");
    EXPECT_FALSE(ccdSelectCompID(999));
}

// Quitting right after an edit of the replacement record of kLimit, with
// the focus still in the field: kind chosen, then a field typed into.
struct QuitCase {
    const char* pszName;
    const char* pszKind;  // toggle clicked first, or null
    const char* pszField; // entry, text view or (null) the new row's date cell
    const char* pszText;
    const char* pszColumns; // of the record(s) of kLimit, as "a/b"
    const char* pszExpect;
    int nAnswer = 0; // to the one question the field asks; 0: none asked
    friend void PrintTo(const QuitCase& c, std::ostream* os) { *os << c.pszName; }
};

class CompPageQuit : public CompPage, public testing::WithParamInterface<QuitCase> {};

TEST_P(CompPageQuit, NothingTypedIsLost) {
    const QuitCase& c = GetParam();
    if (c.nAnswer)
        avt::answerNextDialog(c.nAnswer);
    selectCard(kLimit);
    if (c.pszKind)
        click(c.pszKind);
    if (!c.pszField) {
        enterDate(c.pszText, true); // typed and clicked away, no Enter
    } else if (c.pszText) {
        focus(c.pszField);
        if (GTK_IS_ENTRY(widget(c.pszField)))
            gtk_entry_set_text(GTK_ENTRY(widget(c.pszField)), c.pszText);
        else
            gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget(c.pszField))),
                                     c.pszText, -1);
    }
    EXPECT_EQ(quitProgram(), 0);
    EXPECT_EQ(avt::value(logDb(), std::string("SELECT group_concat(") + c.pszColumns +
                                      ", ';') FROM Maintenance WHERE iCompID = 101002"),
              c.pszExpect);
    EXPECT_EQ(avt::dialogsSeen().size(), c.nAnswer ? 1u : 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Edits, CompPageQuit, testing::Values(
    QuitCase{"Kind",         "MaintDeferReplace", "MaintDeferHours", nullptr,          "bFlags",                         "8"},
    QuitCase{"DeferralDays", "MaintDeferReplace", "MaintDeferDays",  "30",             "nDeferDays || '/' || bFlags",    "30/8"},
    QuitCase{"UsedPartAge",  "MaintReplaceUsed",  "MaintCompAge",    "3 months",       "nCompAge",                       "33554435"},
    QuitCase{"AgeInHours",   "MaintReplaceUsed",  "MaintCompAge",    "6 hours",        "nCompAge || '/' || bFlags",      "0/2"},
    // A used part past the card's 500 hours or 5 years is asked about.
    QuitCase{"PastItsHours", "MaintReplaceUsed",  "MaintCompHours",  "600",            "nCompHours",                     "0", GTK_RESPONSE_CANCEL},
    QuitCase{"PastItsLife",  "MaintReplaceUsed",  "MaintCompAge",    "6 years",        "nCompAge",                       "50331654", GTK_RESPONSE_OK},
    QuitCase{"Notes",        nullptr,             "MaintNotes",      "Bolts re-torqued", "strNotes",                     "Bolts re-torqued"},
    QuitCase{"DateLeft",     nullptr,             nullptr,           "3 Mar 2022",     "tCompleted",                     "1620604800;1646265600"}),
    [](const auto& info) { return std::string(info.param.pszName); });
// clang-format on

// The catalogue editor.
class CompEdit : public CompPage {
  protected:
    std::vector<std::string> arguments() const override {
        return {"avLedger", "--component-edit-enable"};
    }
};

TEST_F(CompEdit, NewOptionsAndDeleteCards) {
    EXPECT_TRUE(gtk_widget_get_visible(widget("CompPartDesc")));
    EXPECT_FALSE(gtk_widget_is_sensitive(widget("CompNew"))) << "no group chosen yet";
    // New under a chosen sub-group: stored with its description, shown selected.
    selectCard(kInsp25, true);
    click("CompNew");
    enterText("CompPartNumber", "PN-77");
    enterText("CompPartDesc", "Seat belt <& harness>");
    const std::string strID = card("iCompID", "strPartDesc = 'Seat belt <& harness>'");
    EXPECT_EQ(card("iGroupID || '/' || strPartNmbr", "iCompID = " + strID), "1/PN-77");
    GtkTreeIter iter;
    ASSERT_TRUE(cmodFindCompID(std::stoul(strID), &iter));
    EXPECT_TRUE(gtk_tree_selection_iter_is_selected(
        gtk_tree_view_get_selection(tree("CompCardTreeView")), &iter));

    // An engine box decides which aircraft see the card: the second one
    // (engine code 3) sees it in italics only.
    click("OptEngA600S");
    selectCard(kInsp25);
    EXPECT_EQ(card("bOptEngine", "iCompID = " + strID), "1");
    ASSERT_TRUE(acdLoadActiveAC(m_iACID2));
    switchPage(2);
    switchPage(0);
    ASSERT_TRUE(cmodFindCompID(std::stoul(strID), &iter));
    EXPECT_EQ(avct::col<guint>(&iter, CCD_STYLE_COL), 2u);

    // Delete: Cancel changes nothing, OK hides the card; the name goes into
    // the question escaped, not taken for markup.
    selectCard(std::stoul(strID));
    avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    click("CompDelete");
    EXPECT_EQ(card("bDelete", "iCompID = " + strID), "0");
    avt::answerNextDialog(GTK_RESPONSE_OK);
    click("CompDelete");
    ASSERT_EQ(avt::dialogsSeen().size(), 2u);
    EXPECT_TRUE(avt::contains(avt::dialogsSeen()[0].strSecondaryText,
                              "\"Seat belt &lt;&amp; harness&gt;\""));
    EXPECT_EQ(card("bDelete", "iCompID = " + strID), "1");
    EXPECT_FALSE(cmodFindCompID(std::stoul(strID), &iter));

    // A card with records: the question counts them on each aircraft; they
    // stay.
    ASSERT_TRUE(acdLoadActiveAC(m_iACID));
    switchPage(2);
    switchPage(0);
    const std::string strRecords = records(kLimit);
    selectCard(kLimit);
    avt::answerNextDialog(GTK_RESPONSE_OK);
    click("CompDelete");
    ASSERT_EQ(avt::dialogsSeen().size(), 3u);
    EXPECT_TRUE(avt::contains(avt::dialogsSeen()[0].strSecondaryText,
                              "It carries no maintenance records."));
    EXPECT_TRUE(avt::contains(avt::dialogsSeen()[2].strSecondaryText,
                              "It carries 1 maintenance record (ZK-ONE 1)."));
    EXPECT_EQ(records(kLimit), strRecords);
}

TEST_F(CompEdit, IntervalChangeRecoloursAndNotesSurviveQuit) {
    selectCard(kInsp50);
    EXPECT_EQ(look(kInsp50), "black 400 / red 400 / red 400");
    enterText("CompInspInterval", "2");
    EXPECT_EQ(look(kInsp50), "red 400 / red 400 / red 400");
    EXPECT_EQ(entry("CompInspDue"), "202.0 A/F hrs");
    // A stored note attached by its label in slot 1, then detached again.
    gtk_combo_box_set_active(GTK_COMBO_BOX(widget("CompSNoteLabelSel")), 2);
    drain();
    EXPECT_EQ(entry("CompSNoteLabel"), "Drive chain care");
    selectCard(kOC);
    EXPECT_EQ(card("iSNote1ID", "iCompID = 101004"), "3");
    selectCard(kInsp50);
    EXPECT_EQ(entry("CompSNoteLabel"), "Drive chain care");
    click("CompSNoteDetach");
    EXPECT_EQ(entry("CompSNoteLabel"), "");
    // Slot 2 is chosen and written; the note is linked once it is stored.
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget("CompSNote2")), TRUE);
    drain();
    enterText("CompSNoteLabel", "SB-12");
    GtkTextBuffer* pbfrNotes = gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget("CompServiceNotes")));
    focus("CompServiceNotes");
    gtk_text_buffer_set_text(pbfrNotes, "Check", -1);
    // Another card shows none of this card's notes; back again, they are there.
    auto viewText = [this] { return avt::viewText(widget("CompServiceNotes")); };
    selectCard(kOC);
    EXPECT_EQ(viewText(), "");
    selectCard(kInsp50);
    EXPECT_EQ(viewText(), "Check");
    // Edited, then quit at once.
    focus("CompServiceNotes");
    gtk_text_buffer_set_text(pbfrNotes, "Check torque", -1);
    EXPECT_EQ(quitProgram(), 0);
    const std::string strNote = card("iSNote2ID", "iCompID = 101004");
    EXPECT_EQ(
        avt::value(catDb(), "SELECT strLabel || '|' || strText FROM ServiceNote WHERE iSNoteID = " +
                                strNote),
        "SB-12|Check torque");
    EXPECT_EQ(card("nInspect || '/' || iSNote1ID", "iCompID = 101004"), "2/0");
    EXPECT_EQ(avt::value(catDb(), "SELECT bDelete FROM ServiceNote WHERE iSNoteID = 3"), "0")
        << "a detached note with a label stays in the catalogue";
}

TEST_F(CompEdit, IntervalsAndLookAheadMarksAreTakenOrRefusedWithTheStoredOnesShownAgain) {
    // Due at 250.0, flown 202.6: a 48-hour look-ahead colours the card at once.
    selectCard(kInsp50);
    EXPECT_EQ(look(kInsp50), "black 400 / red 400 / red 400");
    enterText("CompMarkHours", "48");
    EXPECT_EQ(look(kInsp50), "red 400 / red 400 / red 400");
    EXPECT_EQ(dueColour("CompInspDue"), "red");
    // A sign or text without a figure is refused with the reason and the
    // stored value shown again; a blank clears, "OC" is a limit. What cannot
    // be stored or no light helicopter has is refused, not clamped. Any field
    // that takes a good entry clears a refusal still shown.
    const char* pszInsp = "SELECT nInspect FROM Component WHERE iCompID = 101004";
    const char* pszRCO = "SELECT nRCO FROM Component WHERE iCompID = 101002";
    // clang-format off
    runScenarios({catDb(), [this](int iCompID) { selectCard(guint(iCompID)); },
                  [this] { selectCard(kOC); }, "CompCardTreeView"}, {
        {kInsp50, "CompInspInterval", "-5", "50 HR", true, "It stays 50 HR", pszInsp, "50"},
        {kLimit, "CompRCOInterval", "when worn", "500 HR or 5 yrs", true, "It stays 500 HR or 5 yrs", pszRCO, "328180"},
        {kLimit, "CompRCOInterval", "2000 HR or 12 yrs", "2000 HR or 12 yrs", false, nullptr, pszRCO, "788432"},
        {kLimit, "CompRCOInterval", "OC", "OC", false, nullptr, pszRCO, "2147483648"},
        {kInsp50, "CompInspInterval", "", "", false, nullptr, pszInsp, "0"},
        {kInsp50, "CompSortOrder", "7", "7", false, nullptr,
         "SELECT iSortOrder FROM Component WHERE iCompID = 101004", "7"},
        {kInsp50, "CompSNoteLabel", "SB-7", "SB-7", false, nullptr,
         "SELECT strLabel FROM ServiceNote, Component WHERE iSNoteID = iSNote1ID AND iCompID = 101004", "SB-7"},
        // The look-ahead mark is not the card's; refused, it keeps its figure.
        // Its tenths stay when the other mark is left.
        {kInsp50, "CompMarkHours", "12.34", "12.3", false},
        {kInsp50, "CompMarkHours", "-5", "12.3", true},
        {kInsp50, "CompMarkTime", "2 weeks", "2 Weeks", false},
        // Not a calendar unit, or no count: refused, not read as years or none.
        {kInsp50, "CompMarkTime", "soon", "2 Weeks", true},
    });
    // clang-format on
    EXPECT_EQ(cmodGetMarkHours(), 123u);
    EXPECT_EQ(cmodGetMarkTime(), guint(INTV_WEEK << 24 | 2));
}

} // namespace
