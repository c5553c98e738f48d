// Test helpers: fresh data directories, the program's real start-up in
// this process, modal dialog answering, log and database reading.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <optional>
#include <functional>
#include <string>
#include <vector>

namespace avt {

namespace fs = std::filesystem;

// A fresh "<tmp>/bin" (made the working directory) and "<tmp>/etc" beside
// it. The old working directory is restored and the tree removed at the end.
class TempDirs {
  public:
    TempDirs();
    ~TempDirs();
    TempDirs(const TempDirs&) = delete;
    TempDirs& operator=(const TempDirs&) = delete;

    const fs::path& root() const { return m_root; }
    fs::path bin() const { return m_root / "bin"; }
    fs::path etc() const { return m_root / "etc"; }
    fs::path etcFile(const char* pszName) const { return etc() / pszName; }

  private:
    fs::path m_root;
    fs::path m_oldCwd;
};

// Seconds since 1970 (UTC) of a calendar moment; months count from 1.
time_t utc(int nYear, int nMonth, int nDay, int nHour = 0, int nMin = 0, int nSec = 0);

// Paths of the files that ship with the program.
fs::path sourceFile(const char* pszRelative);
// The generated catalogue database, if the build made one.
fs::path builtCatalogue();

void copyUiFile(const TempDirs& dirs);
std::string readFile(const fs::path& path);
void writeFile(const fs::path& path, const std::string& strContent);
std::vector<std::string> splitLines(const std::string& strText);
// Passes when strText holds strPart; a failure shows both.
testing::AssertionResult contains(const std::string& strText, const std::string& strPart);

// Rows of a query on a SQLite file; NULL values are std::nullopt.
using Row = std::vector<std::optional<std::string>>;
std::vector<Row> query(const fs::path& db, const std::string& sql);
// The first value of a query: "<none>" without a row, "<null>" for NULL.
std::string value(const fs::path& db, const std::string& sql);
// Runs statements on a SQLite file; fails the test on error.
void exec(const fs::path& db, const std::string& sql);

// Runs the main loop until nothing is pending.
void drainEvents();

// ---- A user's hands: real X events through the server (XTest) ----

// Lets the X server deliver what was sent and runs the handlers.
void settle();
// A left click in the middle of the widget (of a text view: its text).
void click(GtkWidget* pwgt);
// A key pressed and released in the window that holds pwgt.
void pressKey(GtkWidget* pwgt, guint nKeyval, GdkModifierType nMods = GdkModifierType(0));
// A left click into column iCol of top-level row nRow of a tree view.
void clickRow(GtkWidget* pwgtTreeView, int nRow, int iCol = 0);
// Types plain ASCII text, key by key.
void typeKeys(GtkWidget* pwgt, const char* pszText);

// ---- Reading what the user sees ----

std::string entryText(GtkWidget* pwgtEntry);
std::string viewText(GtkWidget* pwgtTextView);
// Column iCol of every row of the view's model, depth-first; selected rows
// are marked with a leading "*".
std::vector<std::string> treeRows(GtkWidget* pwgtTreeView, int iCol);
// The registration banner beside the notebook tabs, as plain text.
std::string bannerText();

// Selects (as a click does) the first top-level row whose column iCol
// shows strValue; fails the test if there is none.
void selectWhere(GtkWidget* pwgtTreeView, int iCol, const std::string& strValue);

// What a modal dialog showed and how it was answered.
struct DialogSeen {
    std::string strTitle;
    std::string strText;          // message dialog primary text
    std::string strSecondaryText; // message dialog secondary text
    int nWidth = 0, nHeight = 0;  // size as shown
};

// Answers the next modal dialog that opens with nResponse; the dialogs
// seen so far are in dialogsSeen(). Call before the action that opens it.
void answerNextDialog(int nResponse);
// Answers it with a real key press instead, as a user at the keyboard
// does. Should the key not close it, it is closed as by the window manager.
void answerNextDialogByKey(guint nKeyval);
const std::vector<DialogSeen>& dialogsSeen();
// Drops answerers whose dialog never opened and says how many there were
// (done at the end of each AppTest).
size_t cancelDialogAnswers();
void clearDialogsSeen();

// Debug messages of the program (the page protocol logs "page N enter").
class DebugCapture {
  public:
    DebugCapture();
    ~DebugCapture();
    std::vector<std::string> lines;

  private:
    guint m_idHandler;
};

// One UI case as a user meets it: a field (builder ID of an entry) on the
// page or card open(nWhere) shows, text typed into it, the field left; then
// the text it shows (a refused entry puts the stored value back), whether
// the status bar holds a refusal (an earlier one is gone otherwise) and
// what it says, and one value read back from the file once save() ran.
struct Scenario {
    int nWhere;
    const char* pszField;
    const char* pszTyped;
    const char* pszShown;
    bool bRefused;
    const char* pszSays = nullptr;  // part of the refusal's text
    const char* pszQuery = nullptr; // SQL giving one value
    const char* pszStored = nullptr;
    guint nKey = 0;  // left by this key pressed in it; 0: by moving the focus
    int nAnswer = 0; // the answer to the question leaving it asks; 0: none asked
};

// Where the rows of a table of scenarios run.
struct ScenarioPage {
    fs::path db;                   // the file pszQuery reads
    std::function<void(int)> open; // shows the page or card of nWhere
    std::function<void()> save;    // lets the page write what it holds
    const char* pszLeaveTo;        // the widget the focus moves to on leaving
};

// The program started in-process in a fresh data directory with the real
// UI file; TearDown quits it through "MenuFileQuit" and the normal shutdown.
class AppTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Override to prepare etc/ before the program starts.
    virtual void prepareData() {}
    virtual std::vector<std::string> arguments() const { return {"avLedger"}; }
    // Override to prepare what the test needs once the window is up.
    virtual void started() {}

    // Quits through the menu, runs the shutdown and returns the exit status.
    int quitProgram();
    GtkWidget* widget(const char* pszID) const;
    void switchPage(int nPage);
    // Gives the focus to a field (by builder ID) and processes the events.
    void focus(const char* pszID);
    // Puts text into an entry as typed and leaves it for the notebook, so
    // that its focus-out rule runs.
    void enterText(const char* pszID, const char* pszText);
    // Stops the program and starts it again on the same data directory.
    void restartProgram();
    std::vector<std::string> logLines() const;
    // Runs each row as a user would, in order, and checks what it expects.
    void runScenarios(const ScenarioPage& page, const std::vector<Scenario>& rows);

    std::unique_ptr<TempDirs> m_dirs;
    bool m_bRunning = false;
    int m_nStartStatus = 0;
};

// Starts the program's start-up sequence with the given arguments.
bool startProgram(const std::vector<std::string>& args, int* pnStatus);
// Presents the window and waits until it has the keyboard focus.
bool waitForActiveWindow(GtkWindow* pwin);
// Runs the events until bDone() holds (a resize the X server has yet to
// confirm, say), for at most two seconds; the last bDone().
bool waitUntil(const std::function<bool()>& bDone);
// Destroys windows left over from a failed start so the next test begins clean.
void destroyToplevels();

// Copies the catalogue that the build generated into the data directory.
void copyCatalogue(const TempDirs& dirs);

} // namespace avt
