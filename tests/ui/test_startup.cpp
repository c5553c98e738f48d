// The frame: start-up and shutdown, the page protocol, the About box and
// the error dialog, with the real UI file in a real X server.
#include "avError.h"
#include "avLedger.h"
#include "harness.h"
#include "modComp.h"
#include "pagAC.h"

#include <gdk/gdkkeysyms.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

using avt::AppTest;
using avt::TempDirs;

std::string textAfterStamp(const std::string& strLine) {
    return strLine.size() >= 21 ? strLine.substr(21) : strLine;
}

std::vector<std::string> entries(const std::vector<std::string>& lines) {
    std::vector<std::string> firstLines;
    bool bStart = true;
    for (const auto& str : lines) {
        if (bStart && !str.empty())
            firstLines.push_back(textAfterStamp(str));
        bStart = str.empty();
    }
    return firstLines;
}

TEST_F(AppTest, PageSwitchLeavesOldPageThenEntersNew) {
    struct Step {
        int nTo;
        std::vector<std::string> expected;
    };
    const Step steps[] = {
        {2, {"page 0 leave", "page 2 enter"}},
        {3, {"page 2 leave"}}, // the aircraft page has nothing to enter
        {2, {"page 3 leave", "page 2 enter"}},
        {4, {"page 2 leave", "page 4 enter"}},
        {1, {"page 4 leave", "page 1 enter"}},
        {0, {"page 1 leave", "page 0 enter"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.nTo);
        avt::DebugCapture trace;
        switchPage(step.nTo);
        EXPECT_EQ(trace.lines, step.expected);
    }
}

gboolean onTestFocusOut(GtkWidget*, GdkEventFocus*, gpointer) {
    g_debug("focus-out");
    return FALSE;
}

TEST_F(AppTest, PendingEditCommitsBeforeTheLeave) {
    GtkWidget* pwgtEntry = gtk_entry_new();
    gtk_box_pack_start(GTK_BOX(widget("PageComp")), pwgtEntry, FALSE, FALSE, 0);
    gtk_widget_show(pwgtEntry);
    g_signal_connect(pwgtEntry, "focus-out-event", G_CALLBACK(onTestFocusOut), nullptr);
    gtk_widget_grab_focus(pwgtEntry);
    avt::drainEvents();
    ASSERT_TRUE(gtk_widget_has_focus(pwgtEntry));

    avt::DebugCapture trace;
    switchPage(2);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"focus-out", "page 0 leave", "page 2 enter"}));
}

TEST_F(AppTest, ErrorDialogShowsAndLogsEachResponse) {
    struct Case {
        int nResponse;
        const char* pszName;
    };
    // Return answers OK, so a user who presses it does not end the program.
    const Case cases[] = {{0, "GTK_RESPONSE_OK"},
                          {GTK_RESPONSE_DELETE_EVENT, "GTK_RESPONSE_fffffffc"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        avt::clearDialogsSeen();
        if (c.nResponse == 0)
            avt::answerNextDialogByKey(GDK_Return);
        else
            avt::answerNextDialog(c.nResponse);
        EXPECT_EQ(dlgError("bad <thing> & \"more\"\nsecond line", "sqlDoIt()", "avTest"),
                  c.nResponse ? c.nResponse : GTK_RESPONSE_OK);
        ASSERT_EQ(avt::dialogsSeen().size(), 1u);
        const auto& seen = avt::dialogsSeen()[0];
        EXPECT_EQ(seen.strText, "<span color='red'>*** Error ***</span>");
        EXPECT_EQ(seen.strSecondaryText,
                  "<span color='dark blue'>avTest::sqlDoIt()</span>\n\n<span color='blue'>bad "
                  "&lt;thing&gt; &amp; &quot;more&quot;\nsecond line</span>");
        auto lines = logLines();
        ASSERT_GE(lines.size(), 6u);
        auto it = lines.end() - 6;
        EXPECT_EQ(textAfterStamp(it[0]), "Locus: avTest");
        EXPECT_EQ(textAfterStamp(it[1]), "Function: sqlDoIt()");
        EXPECT_EQ(textAfterStamp(it[2]), "Error: bad <thing> & \"more\"");
        EXPECT_EQ(textAfterStamp(it[3]), "second line");
        EXPECT_EQ(textAfterStamp(it[4]), std::string("Response: ") + c.pszName);
        EXPECT_EQ(it[5], "");
    }
}

TEST_F(AppTest, ErrorDialogKeepsALongStatementWithinTheScreen) {
    // A statement with a long value and no blank to break at.
    const std::string strError = "sqlUpdateFLogRecord():sqlite3_exec(UPDATE Flight SET strNotes='" +
                                 std::string(900, 'x') + "')\nattempt to write a readonly database";
    avt::answerNextDialogByKey(GDK_Return);
    EXPECT_EQ(dlgError(strError.c_str(), "fltSave()", "pagFLog"), GTK_RESPONSE_OK);
    ASSERT_EQ(avt::dialogsSeen().size(), 1u);
    EXPECT_LT(avt::dialogsSeen()[0].nWidth, 800);
    EXPECT_LT(avt::dialogsSeen()[0].nHeight, 700);
    EXPECT_NE(avt::readFile(m_dirs->etcFile("avLedger.log")).find(std::string(900, 'x')),
              std::string::npos)
        << "the log keeps the whole text";
}

gboolean pressCtrlQ(gpointer pMain) {
    avt::pressKey(GTK_WIDGET(pMain), GDK_q, GDK_CONTROL_MASK);
    return FALSE;
}

gboolean quitByMenu(gpointer pbUsed) {
    *static_cast<bool*>(pbUsed) = true;
    gtk_menu_item_activate(GTK_MENU_ITEM(gtk_builder_get_object(avGetBuilder(), "MenuFileQuit")));
    return FALSE;
}

TEST_F(AppTest, CtrlQQuitsThroughTheNormalShutdownLeavingThePageOnce) {
    EXPECT_EQ(entries(logLines()),
              (std::vector<std::string>{"avLedger Started", "prmLoadKeyFile()"}));
    switchPage(4);
    g_idle_add(pressCtrlQ, widget("avLedger"));
    bool bMenuUsed = false; // the key did nothing: quit anyway, as a failure
    const guint idFallback = g_timeout_add(3000, quitByMenu, &bMenuUsed);
    avt::DebugCapture trace;
    gtk_main(); // returns once the window is gone
    if (!bMenuUsed)
        g_source_remove(idFallback);
    EXPECT_FALSE(bMenuUsed);
    m_bRunning = false;
    EXPECT_EQ(avShutDown(), 0);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"page 4 leave"}));
    auto log = entries(logLines());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "on_avLedger_destroy_event()");
    EXPECT_EQ(log.back(), "avLedger Shutdown");
    EXPECT_TRUE(std::filesystem::exists(m_dirs->etcFile("avLedger.conf")))
        << "settings are written at shutdown";
}

gboolean raiseErrorFromLoop(gpointer) {
    dlgError("disk on fire", "fltSave()", "avFLog");
    return FALSE;
}

TEST_F(AppTest, CancelInErrorDialogEndsTheProgramNormally) {
    avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    g_idle_add(raiseErrorFromLoop, nullptr);
    gtk_main(); // returns because Cancel quits the loop
    m_bRunning = false;
    EXPECT_EQ(avShutDown(), 0);
    auto log = entries(logLines());
    EXPECT_EQ(log.back(), "avLedger Shutdown");
    EXPECT_NE(avt::readFile(m_dirs->etcFile("avLedger.log")).find("Response: GTK_RESPONSE_CANCEL"),
              std::string::npos);
}

// Start-ups that do not reach the main loop.
struct FailedStart {
    const char* pszName;
    const char* pszUiContent; // nullptr: no UI file at all
    std::vector<std::string> args;
};

TEST(StartUpFailure, UiFileMissingOrBrokenIsToldOnTheTerminalAndInTheLog) {
    const FailedStart cases[] = {
        {"missing", nullptr, {"avLedger"}},
        {"not xml", "this is not a UI file <<<", {"avLedger"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        TempDirs dirs;
        if (c.pszUiContent)
            avt::writeFile(dirs.etcFile("avLedger.ui"), c.pszUiContent);
        // The builder's own code for the same failure.
        GError* pExpected = nullptr;
        GtkBuilder* pBuilder = gtk_builder_new();
        EXPECT_FALSE(gtk_builder_add_from_file(pBuilder, "/avLedger/etc/avLedger.ui", &pExpected));
        g_object_unref(pBuilder);

        // Standard error into a file for the start.
        fflush(stderr);
        const int fdSaved = dup(2);
        const auto pathErr = dirs.root() / "stderr.txt";
        const int fdErr = open(pathErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fdErr, 2);
        int nStatus = 12345;
        const bool bStarted = avt::startProgram(c.args, &nStatus);
        fflush(stderr);
        dup2(fdSaved, 2);
        close(fdSaved);
        close(fdErr);

        EXPECT_FALSE(bStarted);
        EXPECT_EQ(nStatus, pExpected->code);
        const std::string strErr = avt::readFile(pathErr);
        for (const char* pszPath : {"../etc/avLedger.ui", "/avLedger/etc/avLedger.ui"})
            EXPECT_NE(strErr.find(pszPath), std::string::npos) << strErr;
        auto lines = avt::splitLines(avt::readFile(dirs.etcFile("avLedger.log")));
        ASSERT_EQ(lines.size(), 4u) << "one entry: the failure and each path's message";
        EXPECT_EQ(textAfterStamp(lines[0]), "gtk_builder_add_from_file() failed:");
        EXPECT_NE(lines[1].find("../etc/avLedger.ui"), std::string::npos);
        EXPECT_EQ(lines[2],
                  std::string(21, ' ') + "/avLedger/etc/avLedger.ui: " + pExpected->message);
        EXPECT_EQ(lines[3], "");
        g_error_free(pExpected);
    }
}

} // namespace

namespace {

// Component cards of the active aircraft's tree, and how many of them are
// shown in italics (cards the aircraft's options refuse, shown only when the
// catalogue is editable).
struct CardCount {
    int nCards = 0;
    int nItalic = 0;
};

void countCards(GtkTreeModel* pModel, GtkTreeIter* piterParent, CardCount* pCount) {
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        guint nType = 0, nStyle = 0;
        gtk_tree_model_get(pModel, &iter, CCD_TYPE_COL, &nType, CCD_STYLE_COL, &nStyle, -1);
        if (nType == TYPE_COMP) {
            ++pCount->nCards;
            pCount->nItalic += nStyle == PANGO_STYLE_ITALIC;
        }
        countCards(pModel, &iter, pCount);
    }
}

class EditSwitchTest : public AppTest,
                       public testing::WithParamInterface<std::vector<std::string>> {
  protected:
    void prepareData() override { avt::copyCatalogue(*m_dirs); }
    std::vector<std::string> arguments() const override { return GetParam(); }
};

TEST_P(EditSwitchTest, OnlyTheFirstArgumentInAnyCaseMakesTheCatalogueEditable) {
    avt::exec(m_dirs->etcFile("avLedger.db"),
              "INSERT INTO Aircraft (iAircraftID, strReg, tManu) VALUES (1, 'ZK-HBC', 0)");
    ASSERT_TRUE(acdLoadActiveAC(1));
    ASSERT_TRUE(cmodLoadModel(-1));
    CardCount count;
    countCards(cmodGetModel(), nullptr, &count);
    ASSERT_GT(count.nCards, 100);
    const auto& args = GetParam();
    bool bEditExpected =
        args.size() > 1 && g_ascii_strcasecmp(args[1].c_str(), "--component-edit-enable") == 0;
    if (bEditExpected)
        EXPECT_GT(count.nItalic, 0) << "refused cards are shown in italics when editable";
    else
        EXPECT_EQ(count.nItalic, 0) << "refused cards are left out when not editable";
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, EditSwitchTest,
    testing::Values(std::vector<std::string>{"avLedger", "--COMPONENT-EDIT-ENABLE"},
                    std::vector<std::string>{"avLedger", "-x", "--component-edit-enable"}));

} // namespace
