#include "harness.h"

#include "avLedger.h"
#include "avMisc.h"

#include <sqlite3.h>

#include <fstream>
#include <list>
#include <sstream>
#include <unistd.h>

namespace avt {

TempDirs::TempDirs() {
    std::string strTemplate = (fs::temp_directory_path() / "avltest-XXXXXX").string();
    char* pszRoot = mkdtemp(strTemplate.data());
    if (!pszRoot)
        throw std::runtime_error("mkdtemp failed");
    m_root = pszRoot;
    fs::create_directory(bin());
    fs::create_directory(etc());
    m_oldCwd = fs::current_path();
    fs::current_path(bin());
}

TempDirs::~TempDirs() {
    std::error_code ec;
    fs::current_path(m_oldCwd, ec);
    fs::permissions(etc(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_root, ec);
}

time_t utc(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
    struct tm tmAt {};
    tmAt.tm_year = nYear - 1900;
    tmAt.tm_mon = nMonth - 1;
    tmAt.tm_mday = nDay;
    tmAt.tm_hour = nHour;
    tmAt.tm_min = nMin;
    tmAt.tm_sec = nSec;
    return timegm(&tmAt);
}

fs::path sourceFile(const char* pszRelative) {
    return fs::path(AVL_SOURCE_DIR) / pszRelative;
}
fs::path builtCatalogue() {
    return fs::path(AVL_BINARY_DIR) / "etc" / "avCCD.db";
}

void copyUiFile(const TempDirs& dirs) {
    fs::copy_file(sourceFile("etc/avLedger.ui"), dirs.etcFile("avLedger.ui"),
                  fs::copy_options::overwrite_existing);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const fs::path& path, const std::string& strContent) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << strContent;
}

std::vector<std::string> splitLines(const std::string& strText) {
    std::vector<std::string> lines;
    std::string strLine;
    std::istringstream in(strText);
    while (std::getline(in, strLine))
        lines.push_back(strLine);
    return lines;
}

std::vector<Row> query(const fs::path& db, const std::string& sql) {
    sqlite3* h = nullptr;
    std::vector<Row> rows;
    if (sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << db << ": " << sqlite3_errmsg(h);
        sqlite3_close(h);
        return rows;
    }
    sqlite3_stmt* pStmt = nullptr;
    if (sqlite3_prepare_v2(h, sql.c_str(), -1, &pStmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(h);
    } else {
        while (sqlite3_step(pStmt) == SQLITE_ROW) {
            Row row;
            for (int i = 0; i < sqlite3_column_count(pStmt); ++i) {
                auto psz = reinterpret_cast<const char*>(sqlite3_column_text(pStmt, i));
                row.push_back(psz ? std::optional<std::string>(psz) : std::nullopt);
            }
            rows.push_back(std::move(row));
        }
    }
    sqlite3_finalize(pStmt);
    sqlite3_close(h);
    return rows;
}

testing::AssertionResult contains(const std::string& strText, const std::string& strPart) {
    if (strText.find(strPart) != std::string::npos)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "\"" << strPart << "\" is not in \"" << strText << "\"";
}

std::string value(const fs::path& db, const std::string& sql) {
    const auto rows = query(db, sql);
    return rows.empty() || rows[0].empty() ? "<none>" : rows[0][0].value_or("<null>");
}

void exec(const fs::path& db, const std::string& sql) {
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &h), SQLITE_OK);
    char* pszError = nullptr;
    EXPECT_EQ(sqlite3_exec(h, sql.c_str(), nullptr, nullptr, &pszError), SQLITE_OK)
        << sql << ": " << (pszError ? pszError : "");
    sqlite3_free(pszError);
    sqlite3_close(h);
}

void drainEvents() {
    while (gtk_events_pending())
        gtk_main_iteration();
}

void settle() {
    // XTest events come back from the server a moment later; a round trip
    // makes sure it has handled every request sent.
    for (int i = 0; i < 4; ++i) {
        gdk_display_sync(gdk_display_get_default());
        g_usleep(5000);
        drainEvents();
    }
}

void click(GtkWidget* pwgt) {
    // Text widgets take clicks only in their text window.
    GdkWindow* pgdkText = GTK_IS_TEXT_VIEW(pwgt)
                              ? gtk_text_view_get_window(GTK_TEXT_VIEW(pwgt), GTK_TEXT_WINDOW_TEXT)
                          : GTK_IS_ENTRY(pwgt) ? gtk_entry_get_text_window(GTK_ENTRY(pwgt))
                                               : nullptr;
    GdkWindow* pgdk = pgdkText ? pgdkText : gtk_widget_get_window(pwgt);
    ASSERT_NE(pgdk, nullptr);
    int x = 0, y = 0, nWidth = 0, nHeight = 0;
    if (pgdkText || gtk_widget_get_has_window(pwgt)) {
        nWidth = gdk_window_get_width(pgdk);
        nHeight = gdk_window_get_height(pgdk);
    } else {
        GtkAllocation alloc;
        gtk_widget_get_allocation(pwgt, &alloc);
        x = alloc.x;
        y = alloc.y;
        nWidth = alloc.width;
        nHeight = alloc.height;
    }
    x += nWidth / 2;
    y += nHeight / 2;
    gdk_test_simulate_button(pgdk, x, y, 1, GdkModifierType(0), GDK_BUTTON_PRESS);
    gdk_test_simulate_button(pgdk, x, y, 1, GdkModifierType(0), GDK_BUTTON_RELEASE);
    settle();
}

void clickRow(GtkWidget* pwgtTreeView, int nRow, int iCol) {
    GtkTreeView* ptree = GTK_TREE_VIEW(pwgtTreeView);
    GtkTreePath* pPath = gtk_tree_path_new_from_indices(nRow, -1);
    GdkRectangle rc;
    gtk_tree_view_get_cell_area(ptree, pPath, gtk_tree_view_get_column(ptree, iCol), &rc);
    gtk_tree_path_free(pPath);
    for (GdkEventType nType : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE})
        gdk_test_simulate_button(gtk_tree_view_get_bin_window(ptree), rc.x + 10,
                                 rc.y + rc.height / 2, 1, GdkModifierType(0), nType);
    settle();
}

void pressKey(GtkWidget* pwgt, guint nKeyval, GdkModifierType nMods) {
    GdkWindow* pgdk = gtk_widget_get_window(gtk_widget_get_toplevel(pwgt));
    ASSERT_NE(pgdk, nullptr);
    gdk_test_simulate_key(pgdk, -1, -1, nKeyval, nMods, GDK_KEY_PRESS);
    gdk_test_simulate_key(pgdk, -1, -1, nKeyval, nMods, GDK_KEY_RELEASE);
    settle();
}

void typeKeys(GtkWidget* pwgt, const char* pszText) {
    GdkWindow* pgdk = gtk_widget_get_window(gtk_widget_get_toplevel(pwgt));
    ASSERT_NE(pgdk, nullptr);
    for (const char* p = pszText; *p; ++p) {
        const guint nKeyval = gdk_unicode_to_keyval(static_cast<guchar>(*p));
        // Capitals need Shift held, as on a keyboard.
        const auto nMods = g_ascii_isupper(*p) ? GDK_SHIFT_MASK : GdkModifierType(0);
        gdk_test_simulate_key(pgdk, -1, -1, nKeyval, nMods, GDK_KEY_PRESS);
        gdk_test_simulate_key(pgdk, -1, -1, nKeyval, nMods, GDK_KEY_RELEASE);
    }
    settle();
}

std::string entryText(GtkWidget* pwgtEntry) {
    return gtk_entry_get_text(GTK_ENTRY(pwgtEntry));
}

std::string viewText(GtkWidget* pwgtTextView) {
    GtkTextBuffer* pbuf = gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgtTextView));
    GtkTextIter iterStart, iterEnd;
    gtk_text_buffer_get_bounds(pbuf, &iterStart, &iterEnd);
    gchar* psz = gtk_text_buffer_get_text(pbuf, &iterStart, &iterEnd, FALSE);
    std::string str = psz;
    g_free(psz);
    return str;
}

namespace {

void appendRows(GtkTreeModel* pmod, GtkTreeSelection* psel, GtkTreeIter* piterParent, int iCol,
                std::vector<std::string>* plst) {
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pmod, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        gchar* psz = nullptr;
        gtk_tree_model_get(pmod, &iter, iCol, &psz, -1);
        plst->push_back((gtk_tree_selection_iter_is_selected(psel, &iter) ? "*" : "") +
                        std::string(psz ? psz : ""));
        g_free(psz);
        appendRows(pmod, psel, &iter, iCol, plst);
    }
}

} // namespace

std::vector<std::string> treeRows(GtkWidget* pwgtTreeView, int iCol) {
    std::vector<std::string> rows;
    GtkTreeView* ptree = GTK_TREE_VIEW(pwgtTreeView);
    appendRows(gtk_tree_view_get_model(ptree), gtk_tree_view_get_selection(ptree), nullptr, iCol,
               &rows);
    return rows;
}

std::string bannerText() {
    GtkWidget* pwgtNB = GTK_WIDGET(gtk_builder_get_object(avGetBuilder(), "MainNotebook"));
    GtkWidget* pwgtBox = gtk_notebook_get_action_widget(GTK_NOTEBOOK(pwgtNB), GTK_PACK_END);
    GList* pChildren = gtk_container_get_children(GTK_CONTAINER(pwgtBox));
    std::string str = gtk_label_get_text(GTK_LABEL(pChildren->data));
    g_list_free(pChildren);
    return str;
}

void selectWhere(GtkWidget* pwgtTreeView, int iCol, const std::string& strValue) {
    GtkTreeView* ptree = GTK_TREE_VIEW(pwgtTreeView);
    GtkTreeModel* pmod = gtk_tree_view_get_model(ptree);
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        GValue val = G_VALUE_INIT, valText = G_VALUE_INIT;
        gtk_tree_model_get_value(pmod, &iter, iCol, &val);
        g_value_init(&valText, G_TYPE_STRING);
        g_value_transform(&val, &valText);
        const bool bFound = g_strcmp0(g_value_get_string(&valText), strValue.c_str()) == 0;
        g_value_unset(&val);
        g_value_unset(&valText);
        if (bFound) {
            GtkTreePath* pPath = gtk_tree_model_get_path(pmod, &iter);
            gtk_tree_view_set_cursor(ptree, pPath, nullptr, FALSE);
            gtk_tree_path_free(pPath);
            drainEvents();
            return;
        }
    }
    ADD_FAILURE() << "no row " << strValue;
}

namespace {

std::vector<DialogSeen> m_dialogsSeen;
// Answerers still waiting for their dialog; a test's leftovers are
// removed before the next test so they cannot answer its dialogs.
struct PendingAnswer {
    int nResponse;
    guint idSource;
    guint nKeyval = 0; // answered by this key instead, when set
};
std::list<PendingAnswer> m_lstPendingAnswers;

std::string stringProperty(GObject* pObject, const char* pszName) {
    if (!g_object_class_find_property(G_OBJECT_GET_CLASS(pObject), pszName))
        return {};
    gchar* psz = nullptr;
    g_object_get(pObject, pszName, &psz, nullptr);
    std::string str = psz ? psz : "";
    g_free(psz);
    return str;
}

GtkDialog* findModalDialog() {
    GtkDialog* pFound = nullptr;
    GList* pList = gtk_window_list_toplevels();
    for (GList* p = pList; p; p = p->next) {
        GtkWidget* pwgt = GTK_WIDGET(p->data);
        if (GTK_IS_DIALOG(pwgt) && gtk_widget_get_visible(pwgt) &&
            gtk_window_get_modal(GTK_WINDOW(pwgt)))
            pFound = GTK_DIALOG(pwgt);
    }
    g_list_free(pList);
    return pFound;
}

gboolean answerWhenShown(gpointer pData) {
    auto* pAnswer = static_cast<PendingAnswer*>(pData);
    GtkDialog* pDialog = findModalDialog();
    if (!pDialog)
        return TRUE; // not open yet: look again on the next tick
    GObject* pObject = G_OBJECT(pDialog);
    DialogSeen seen;
    seen.strTitle = gtk_window_get_title(GTK_WINDOW(pDialog)) ?: "";
    seen.strText = stringProperty(pObject, "text");
    seen.strSecondaryText = stringProperty(pObject, "secondary-text");
    GtkAllocation alloc;
    gtk_widget_get_allocation(GTK_WIDGET(pDialog), &alloc);
    seen.nWidth = alloc.width;
    seen.nHeight = alloc.height;
    m_dialogsSeen.push_back(seen);
    const int nResponse = pAnswer->nResponse;
    const guint nKeyval = pAnswer->nKeyval;
    m_lstPendingAnswers.remove_if([&](const PendingAnswer& a) { return &a == pAnswer; });
    if (!nKeyval) {
        gtk_dialog_response(pDialog, nResponse);
        return FALSE;
    }
    g_object_ref(pDialog);
    bool bAnswered = false;
    const gulong idResponse = g_signal_connect_swapped(
        pDialog, "response", G_CALLBACK(+[](bool* pb) { *pb = true; }), &bAnswered);
    if (waitForActiveWindow(GTK_WINDOW(pDialog)))
        pressKey(GTK_WIDGET(pDialog), nKeyval);
    g_signal_handler_disconnect(pDialog, idResponse);
    if (!bAnswered)
        gtk_dialog_response(pDialog, GTK_RESPONSE_DELETE_EVENT);
    g_object_unref(pDialog);
    return FALSE;
}

void captureDebug(const gchar*, GLogLevelFlags, const gchar* pszMessage, gpointer pData) {
    static_cast<DebugCapture*>(pData)->lines.emplace_back(pszMessage);
}

gboolean activateQuit(gpointer) {
    GtkBuilder* pBuilder = avGetBuilder();
    gtk_menu_item_activate(GTK_MENU_ITEM(gtk_builder_get_object(pBuilder, "MenuFileQuit")));
    return FALSE;
}

// A modal dialog that no test answers would block the run until ctest's
// timeout: after two seconds it fails the test and is cancelled.
constexpr int kDialogGuardTicks = 8; // of 250 ms
guint m_idDialogGuard = 0;

gboolean guardDialogs(gpointer) {
    static GtkDialog* s_pSeen = nullptr;
    static int s_nTicks = 0;
    GtkDialog* pDialog = m_lstPendingAnswers.empty() ? findModalDialog() : nullptr;
    s_nTicks = pDialog && pDialog == s_pSeen ? s_nTicks + 1 : 0;
    s_pSeen = pDialog;
    if (pDialog && s_nTicks >= kDialogGuardTicks) {
        ADD_FAILURE() << "a dialog nobody answers: "
                      << stringProperty(G_OBJECT(pDialog), "secondary-text");
        s_pSeen = nullptr;
        gtk_dialog_response(pDialog, GTK_RESPONSE_CANCEL);
    }
    return G_SOURCE_CONTINUE;
}

} // namespace

void answerNextDialog(int nResponse) {
    PendingAnswer& answer = m_lstPendingAnswers.emplace_back(PendingAnswer{nResponse, 0});
    answer.idSource = g_timeout_add(20, answerWhenShown, &answer);
}

void answerNextDialogByKey(guint nKeyval) {
    PendingAnswer& answer = m_lstPendingAnswers.emplace_back(PendingAnswer{0, 0, nKeyval});
    answer.idSource = g_timeout_add(20, answerWhenShown, &answer);
}

size_t cancelDialogAnswers() {
    size_t nPending = m_lstPendingAnswers.size();
    for (const auto& answer : m_lstPendingAnswers)
        g_source_remove(answer.idSource);
    m_lstPendingAnswers.clear();
    return nPending;
}
const std::vector<DialogSeen>& dialogsSeen() {
    return m_dialogsSeen;
}
void clearDialogsSeen() {
    m_dialogsSeen.clear();
}

DebugCapture::DebugCapture() {
    m_idHandler = g_log_set_handler("avLedger", G_LOG_LEVEL_DEBUG, captureDebug, this);
}
DebugCapture::~DebugCapture() {
    g_log_remove_handler("avLedger", m_idHandler);
}

bool startProgram(const std::vector<std::string>& args, int* pnStatus) {
    std::vector<char*> argv;
    for (const auto& str : args)
        argv.push_back(const_cast<char*>(str.c_str()));
    argv.push_back(nullptr);
    return avStartUp(int(args.size()), argv.data(), pnStatus);
}

void destroyToplevels() {
    // Destroying one window can destroy others in the list: hold them all.
    GList* pList = gtk_window_list_toplevels();
    for (GList* p = pList; p; p = p->next)
        g_object_ref(p->data);
    for (GList* p = pList; p; p = p->next) {
        // Only our own windows; GTK keeps some internal toplevels.
        if (gtk_widget_get_visible(GTK_WIDGET(p->data)))
            gtk_widget_destroy(GTK_WIDGET(p->data));
    }
    g_list_free_full(pList, g_object_unref);
    drainEvents();
}

bool waitForActiveWindow(GtkWindow* pwin) {
    // Without a window manager the X server gives the focus only once the
    // window is mapped; ask for it and wait, so focus-out handlers run.
    gtk_window_present(pwin);
    for (int i = 0; i < 200 && !gtk_window_is_active(pwin); ++i) {
        drainEvents();
        if (GdkWindow* pgdk = gtk_widget_get_window(GTK_WIDGET(pwin)))
            gdk_window_focus(pgdk, GDK_CURRENT_TIME);
        g_usleep(10000);
    }
    drainEvents();
    return gtk_window_is_active(pwin);
}

bool waitUntil(const std::function<bool()>& bDone) {
    for (int i = 0; i < 200 && !bDone(); ++i) {
        gdk_flush();
        g_usleep(10000);
        drainEvents();
    }
    return bDone();
}

void AppTest::SetUp() {
    m_idDialogGuard = g_timeout_add(250, guardDialogs, nullptr);
    m_dirs = std::make_unique<TempDirs>();
    copyUiFile(*m_dirs);
    prepareData();
    clearDialogsSeen();
    m_bRunning = startProgram(arguments(), &m_nStartStatus);
    ASSERT_TRUE(m_bRunning) << "start-up failed with status " << m_nStartStatus;
    ASSERT_TRUE(waitForActiveWindow(GTK_WINDOW(widget("avLedger"))))
        << "the main window never became active";
    started();
}

void AppTest::TearDown() {
    g_source_remove(m_idDialogGuard);
    cancelDialogAnswers();
    if (m_bRunning)
        quitProgram();
    destroyToplevels();
    m_dirs.reset();
}

int AppTest::quitProgram() {
    m_bRunning = false;
    g_idle_add(activateQuit, nullptr);
    gtk_main();
    return avShutDown();
}

GtkWidget* AppTest::widget(const char* pszID) const {
    GObject* pObject = gtk_builder_get_object(avGetBuilder(), pszID);
    EXPECT_NE(pObject, nullptr) << "no builder object " << pszID;
    return pObject ? GTK_WIDGET(pObject) : nullptr;
}

void AppTest::focus(const char* pszID) {
    gtk_widget_grab_focus(widget(pszID));
    drainEvents();
}

void AppTest::enterText(const char* pszID, const char* pszText) {
    focus(pszID);
    gtk_entry_set_text(GTK_ENTRY(widget(pszID)), pszText);
    focus("MainNotebook");
}

void AppTest::runScenarios(const ScenarioPage& page, const std::vector<Scenario>& rows) {
    for (const Scenario& r : rows) {
        SCOPED_TRACE(std::string(r.pszField) + " '" + r.pszTyped + "'");
        page.open(r.nWhere);
        mscRefuse(nullptr, "an earlier refusal");
        const size_t nAsked = dialogsSeen().size();
        if (r.nAnswer)
            answerNextDialog(r.nAnswer);
        focus(r.pszField);
        gtk_entry_set_text(GTK_ENTRY(widget(r.pszField)), r.pszTyped);
        if (r.nKey)
            gtk_test_widget_send_key(widget(r.pszField), r.nKey, GdkModifierType(0));
        focus(r.nKey ? "MainNotebook" : page.pszLeaveTo);
        const std::string strRefusal = mscLastRefusal();
        EXPECT_EQ(dialogsSeen().size(), nAsked + (r.nAnswer ? 1 : 0));
        EXPECT_EQ(entryText(widget(r.pszField)), r.pszShown);
        EXPECT_EQ(!strRefusal.empty(), r.bRefused) << strRefusal;
        if (r.pszSays) {
            EXPECT_TRUE(contains(strRefusal, r.pszSays));
        }
        if (!r.pszQuery)
            continue;
        page.save();
        EXPECT_EQ(value(page.db, r.pszQuery), r.pszStored);
    }
}

void AppTest::restartProgram() {
    ASSERT_EQ(quitProgram(), 0);
    destroyToplevels();
    m_bRunning = startProgram(arguments(), &m_nStartStatus);
    ASSERT_TRUE(m_bRunning) << "start-up failed with status " << m_nStartStatus;
    ASSERT_TRUE(waitForActiveWindow(GTK_WINDOW(widget("avLedger"))));
}

void AppTest::switchPage(int nPage) {
    gtk_notebook_set_current_page(GTK_NOTEBOOK(widget("MainNotebook")), nPage);
    drainEvents();
}

std::vector<std::string> AppTest::logLines() const {
    return splitLines(readFile(m_dirs->etcFile("avLedger.log")));
}

void copyCatalogue(const TempDirs& dirs) {
    ASSERT_TRUE(fs::exists(builtCatalogue()))
        << "the build made no catalogue at " << builtCatalogue();
    fs::copy_file(builtCatalogue(), dirs.etcFile("avCCD.db"), fs::copy_options::overwrite_existing);
}

} // namespace avt
