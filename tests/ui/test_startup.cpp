// The frame: start-up and shutdown, the page protocol, the error dialog and
// the catalogue edit switch, with the real UI file in a real X server.
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

gboolean onTestFocusOut(GtkWidget*, GdkEventFocus*, gpointer) {
    g_debug("focus-out");
    return FALSE;
}

TEST_F(AppTest, PageSwitchCommitsThePendingEditLeavesTheOldPageThenEntersTheNew) {
    GtkWidget* pwgtEntry = gtk_entry_new();
    gtk_box_pack_start(GTK_BOX(widget("PageComp")), pwgtEntry, FALSE, FALSE, 0);
    gtk_widget_show(pwgtEntry);
    g_signal_connect(pwgtEntry, "focus-out-event", G_CALLBACK(onTestFocusOut), nullptr);
    gtk_widget_grab_focus(pwgtEntry);
    avt::drainEvents();
    const std::pair<int, std::vector<std::string>> steps[] = {
        {2, {"focus-out", "page 0 leave", "page 2 enter"}},
        {3, {"page 2 leave"}}, // the aircraft page has nothing to enter
        {2, {"page 3 leave", "page 2 enter"}},
        {4, {"page 2 leave", "page 4 enter"}},
        {1, {"page 4 leave", "page 1 enter"}},
        {0, {"page 1 leave", "page 0 enter"}},
    };
    for (const auto& [nTo, expected] : steps) {
        avt::DebugCapture trace;
        switchPage(nTo);
        EXPECT_EQ(trace.lines, expected) << "to page " << nTo;
    }
}

// Return answers OK, so a user who presses it does not end the program; a
// long statement without a blank stays within the screen, whole in the log.
TEST_F(AppTest, ErrorDialogShowsLogsEachResponseAndStaysOnTheScreen) {
    const std::string strLong(900, 'x');
    const struct {
        std::string strError, strShown; // the start of what the dialog shows
        int nResponse;                  // 0: Return pressed
        const char* pszName;
    } cases[] = {
        {"bad <thing> & \"more\"\nsecond line",
         "bad &lt;thing&gt; &amp; &quot;more&quot;\nsecond line</span>", 0, "GTK_RESPONSE_OK"},
        {"bad\nsecond line", "bad\nsecond line</span>", GTK_RESPONSE_DELETE_EVENT,
         "GTK_RESPONSE_fffffffc"},
        {"UPDATE Flight SET strNotes='" + strLong + "'\nsecond line",
         "UPDATE Flight SET strNotes=&apos;xxxx", 0, "GTK_RESPONSE_OK"}, // shortened
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strError.substr(0, 30));
        avt::clearDialogsSeen();
        if (c.nResponse == 0)
            avt::answerNextDialogByKey(GDK_Return);
        else
            avt::answerNextDialog(c.nResponse);
        EXPECT_EQ(dlgError(c.strError.c_str(), "sqlDoIt()", "avTest"),
                  c.nResponse ? c.nResponse : GTK_RESPONSE_OK);
        ASSERT_EQ(avt::dialogsSeen().size(), 1u);
        const auto& seen = avt::dialogsSeen()[0];
        EXPECT_EQ(seen.strText, "<span color='red'>*** Error ***</span>");
        EXPECT_EQ(seen.strSecondaryText.rfind("<span color='dark blue'>avTest::sqlDoIt()</span>\n\n"
                                              "<span color='blue'>" +
                                                  c.strShown,
                                              0),
                  0u)
            << seen.strSecondaryText;
        EXPECT_LT(seen.nWidth, 800);
        EXPECT_LT(seen.nHeight, 700);
        auto lines = logLines();
        ASSERT_GE(lines.size(), 6u);
        std::vector<std::string> tail;
        for (auto it = lines.end() - 6; it != lines.end(); ++it)
            tail.push_back(textAfterStamp(*it));
        EXPECT_EQ(tail, (std::vector<std::string>{
                            "Locus: avTest", "Function: sqlDoIt()",
                            "Error: " + c.strError.substr(0, c.strError.find('\n')), "second line",
                            std::string("Response: ") + c.pszName, ""}));
    }
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

gboolean raiseErrorFromLoop(gpointer) {
    dlgError("disk on fire", "fltSave()", "avFLog");
    return FALSE;
}

// Ctrl+Q, and Cancel in the error dialog, end the program through the
// normal shutdown: the page is left once and the settings are written.
class Ending : public AppTest, public testing::WithParamInterface<bool> {};

TEST_P(Ending, GoesThroughTheNormalShutdown) {
    const bool bCancel = GetParam();
    EXPECT_EQ(entries(logLines()),
              (std::vector<std::string>{"avLedger Started", "prmLoadKeyFile()"}));
    switchPage(4);
    if (bCancel)
        avt::answerNextDialog(GTK_RESPONSE_CANCEL);
    g_idle_add(bCancel ? raiseErrorFromLoop : pressCtrlQ, widget("avLedger"));
    bool bMenuUsed = false; // nothing ended the loop: quit anyway, as a failure
    const guint idFallback = g_timeout_add(3000, quitByMenu, &bMenuUsed);
    avt::DebugCapture trace;
    gtk_main();
    if (!bMenuUsed)
        g_source_remove(idFallback);
    EXPECT_FALSE(bMenuUsed);
    m_bRunning = false;
    EXPECT_EQ(avShutDown(), 0);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"page 4 leave"}));
    auto log = entries(logLines());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], bCancel ? "Locus: avFLog" : "on_avLedger_destroy_event()");
    EXPECT_EQ(log.back(), "avLedger Shutdown");
    EXPECT_TRUE(std::filesystem::exists(m_dirs->etcFile("avLedger.conf")));
}

INSTANTIATE_TEST_SUITE_P(CtrlQOrCancel, Ending, testing::Bool());

// A missing UI file, and one that is not one: said on the terminal and in
// the log with each path tried, and the start fails.
TEST(StartUpFailure, UiFileMissingOrBrokenIsToldOnTheTerminalAndInTheLog) {
    for (const char* pszUiContent : {(const char*)nullptr, "this is not a UI file <<<"}) {
        SCOPED_TRACE(pszUiContent ? pszUiContent : "missing");
        TempDirs dirs;
        if (pszUiContent)
            avt::writeFile(dirs.etcFile("avLedger.ui"), pszUiContent);
        // Standard error into a file for the start.
        fflush(stderr);
        const int fdSaved = dup(2);
        const auto pathErr = dirs.root() / "stderr.txt";
        const int fdErr = open(pathErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fdErr, 2);
        int nStatus = 0;
        const bool bStarted = avt::startProgram({"avLedger"}, &nStatus);
        fflush(stderr);
        dup2(fdSaved, 2);
        close(fdSaved);
        close(fdErr);

        EXPECT_FALSE(bStarted);
        EXPECT_NE(nStatus, 0);
        const std::string strErr = avt::readFile(pathErr);
        auto lines = avt::splitLines(avt::readFile(dirs.etcFile("avLedger.log")));
        ASSERT_EQ(lines.size(), 4u) << "one entry: the failure and each path's message";
        EXPECT_EQ(textAfterStamp(lines[0]), "gtk_builder_add_from_file() failed:");
        for (int i : {1, 2}) {
            const char* pszPath = i == 1 ? "../etc/avLedger.ui" : "/avLedger/etc/avLedger.ui";
            EXPECT_TRUE(avt::contains(strErr, pszPath));
            EXPECT_TRUE(avt::contains(lines[i], pszPath));
        }
        EXPECT_EQ(lines[3], "");
    }
}

// A copy of the program on a demo log (as avDemoLog starts it) says so in
// its title and banner, and opens offset from the window that asked for
// it; that window leaves its position for the demo when asked.
class DemoStart : public AppTest, public testing::WithParamInterface<bool> {
  protected:
    void prepareData() override {
        if (GetParam()) {
            g_setenv(AV_DEMO_ENV, "1", TRUE);
            g_setenv(AV_DEMO_AT_ENV, "100,80", TRUE);
        }
    }
    void TearDown() override {
        g_unsetenv(AV_DEMO_ENV);
        g_unsetenv(AV_DEMO_AT_ENV);
        AppTest::TearDown();
    }
};

TEST_P(DemoStart, TitleBannerAndPlaceSayWhichLogItIs) {
    const bool bDemo = GetParam();
    const std::string strDemo = "Demo log — changes are not kept";
    GtkWindow* pwin = GTK_WINDOW(widget("avLedger"));
    EXPECT_EQ(gtk_window_get_title(pwin),
              bDemo ? "avLedger — " + strDemo : std::string("avLedger"));
    EXPECT_EQ(avt::bannerText() == strDemo, bDemo) << "the banner's first label";
    gint nX = -1, nY = -1;
    avt::drainEvents();
    gtk_window_get_position(pwin, &nX, &nY);
    if (bDemo) {
        EXPECT_EQ(std::make_pair(nX, nY), std::make_pair(148, 128));
    }

    g_unsetenv(AV_DEMO_AT_ENV);
    gtk_menu_item_activate(GTK_MENU_ITEM(widget("MenuHelpDemoLog")));
    avt::drainEvents();
    gtk_window_get_position(pwin, &nX, &nY);
    EXPECT_STREQ(g_getenv(AV_DEMO_AT_ENV), (std::to_string(nX) + "," + std::to_string(nY)).c_str());
}

INSTANTIATE_TEST_SUITE_P(DemoOrOwn, DemoStart, testing::Bool());

// Cards the aircraft's options refuse are shown in italics when the
// catalogue is editable, left out otherwise.
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
    std::pair<int, int> count; // cards, italic cards
    gtk_tree_model_foreach(
        cmodGetModel(),
        [](GtkTreeModel* pModel, GtkTreePath*, GtkTreeIter* piter, gpointer p) -> gboolean {
            guint nType = 0, nStyle = 0;
            gtk_tree_model_get(pModel, piter, CCD_TYPE_COL, &nType, CCD_STYLE_COL, &nStyle, -1);
            auto* pCount = static_cast<std::pair<int, int>*>(p);
            pCount->first += nType == TYPE_COMP;
            pCount->second += nType == TYPE_COMP && nStyle == PANGO_STYLE_ITALIC;
            return FALSE;
        },
        &count);
    ASSERT_GT(count.first, 100);
    EXPECT_EQ(count.second > 0, GetParam()[1] == "--COMPONENT-EDIT-ENABLE");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, EditSwitchTest,
    testing::Values(std::vector<std::string>{"avLedger", "--COMPONENT-EDIT-ENABLE"},
                    std::vector<std::string>{"avLedger", "-x", "--component-edit-enable"}));

} // namespace
