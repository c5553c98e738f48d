#include "avLedger.h"

#include "avDefect.h"
#include "avDue.h"
#include "avErrLog.h"
#include "avError.h"
#include "avHelp.h"
#include "avLayout.h"
#include "avMenu.h"
#include "avMisc.h"
#include "avParam.h"
#include "avPath.h"
#include "dfctExport.h"
#include "fltImportDlg.h"
#include "modAC.h"
#include "modComp.h"
#include "modFLog.h"
#include "modMaint.h"
#include "modPilot.h"
#include "pagAC.h"
#include "pagComp.h"
#include "pagFLog.h"
#include "pagPilot.h"
#include "pagRef.h"
#include "sqlMLog.h"

#include <gdk/gdkkeysyms.h>
#include <glib/gprintf.h>

#include <array>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

GtkBuilder* m_pBuilder = nullptr;
GtkWidget* m_pwgtNB = nullptr;
guint m_nPageCur = 0;

// The notebook's pages in the UI file's order; page 3 has nothing to refresh.
struct PageOps {
    void (*pfnEnter)();
    void (*pfnLeave)();
};
constexpr std::array<PageOps, 5> m_lstPages{{
    {ccdOnPageEnter, ccdOnPageLeave},
    {refOnPageEnter, refOnPageLeave},
    {fltOnPageEnter, fltOnPageLeave},
    {nullptr, acdOnPageLeave},
    {pltOnPageEnter, pltOnPageLeave},
}};

// Handlers that the UI file names, by name. A name in the file that is
// missing here is reported (and is fatal under test).
struct HandlerEntry {
    std::string_view szName;
    GCallback pfn;
};
const std::array m_lstHandlers{
    HandlerEntry{"on_avLedger_destroy_event", G_CALLBACK(on_avLedger_destroy_event)},
    HandlerEntry{"hlpOnButtonPress", G_CALLBACK(hlpOnButtonPress)},
};

void connectHandler(GtkBuilder*, GObject* pObject, const gchar* pszSignal, const gchar* pszHandler,
                    GObject* pConnect, GConnectFlags flags, gpointer) {
    for (const auto& entry : m_lstHandlers) {
        if (entry.szName != pszHandler)
            continue;
        if (pConnect)
            g_signal_connect_object(pObject, pszSignal, entry.pfn, pConnect, flags);
        else
            g_signal_connect_data(pObject, pszSignal, entry.pfn, nullptr, nullptr, flags);
        return;
    }
    g_warning("UI file names handler %s, which the program does not have", pszHandler);
}

void callPageOp(guint nPage, bool bEnter) {
    if (nPage >= m_lstPages.size())
        return;
    auto pfn = bEnter ? m_lstPages[nPage].pfnEnter : m_lstPages[nPage].pfnLeave;
    if (!pfn)
        return;
    g_debug("page %u %s", nPage, bEnter ? "enter" : "leave");
    pfn();
}

} // namespace

void avPrepareEnvironment() {
    setenv("TZ", "UTC", 1);
    tzset();
    // Dates and numbers are written and read in one fixed form whatever
    // the user's locale, so that everything written reads back.
    setlocale(LC_TIME, "C");
    setlocale(LC_NUMERIC, "C");
}

namespace {

gboolean editSwitchGiven(int argc, char** argv) {
    return argc > 1 && g_ascii_strcasecmp(argv[1], "--component-edit-enable") == 0;
}

void printWorkingDirectory() {
    if (gchar* pszCwd = g_get_current_dir()) {
        fprintf(stderr, "%s\n", pszCwd);
        g_free(pszCwd);
    }
}

// Loads the UI file from the local data directory, else the fixed one.
// On failure the last attempt's error is returned and *pstrTried holds
// every attempt's message, one a line.
GtkBuilder* loadBuilder(GError** ppError, std::string* pstrTried) {
    for (const auto& path : pathCandidates("avLedger.ui")) {
        g_clear_error(ppError);
        GtkBuilder* pBuilder = gtk_builder_new();
        if (gtk_builder_add_from_file(pBuilder, path.c_str(), ppError))
            return pBuilder;
        g_object_unref(pBuilder);
        *pstrTried += "\n" + path + ": " + (*ppError)->message;
    }
    return nullptr;
}

gboolean initModels(gboolean bCompEdit) {
    return amodInitialize() && fmodInitialize() && cmodInitialize(bCompEdit) && mmodInitialize() &&
           pmodInitialize();
}

// The page keys, taken by the window before the focused widget sees them:
// lists and text views use Ctrl+Page Up/Down themselves, and a page key
// must never end up editing whatever has the focus.
gboolean onMainKeyPress(GtkWidget*, GdkEventKey* pevtKey, gpointer) {
    if (!m_pwgtNB)
        return FALSE;
    const guint nMods = pevtKey->state & gtk_accelerator_get_default_mod_mask();
    const guint nKey = pevtKey->keyval;
    if (nMods == GDK_CONTROL_MASK && (nKey == GDK_KEY_Page_Up || nKey == GDK_KEY_Page_Down ||
                                      nKey == GDK_KEY_KP_Page_Up || nKey == GDK_KEY_KP_Page_Down)) {
        // The notebook's own stepping: hidden pages are passed over.
        gboolean bDone = FALSE;
        g_signal_emit_by_name(m_pwgtNB, "change-current-page",
                              nKey == GDK_KEY_Page_Up || nKey == GDK_KEY_KP_Page_Up ? -1 : 1,
                              &bDone);
        return TRUE;
    }
    if (nMods == GDK_MOD1_MASK && nKey >= GDK_KEY_1 && nKey < GDK_KEY_1 + m_lstPages.size()) {
        GtkWidget* pwgtPage =
            gtk_notebook_get_nth_page(GTK_NOTEBOOK(m_pwgtNB), gint(nKey - GDK_KEY_1));
        if (pwgtPage && gtk_widget_get_visible(pwgtPage))
            gtk_notebook_set_current_page(GTK_NOTEBOOK(m_pwgtNB), gint(nKey - GDK_KEY_1));
        else
            gtk_widget_error_bell(m_pwgtNB);
        return TRUE;
    }
    return FALSE;
}

// A demo log runs in a second copy of the program (started by avDemoLog,
// which sets AV_DEMO_ENV). It must not be taken for the user's own log:
// its title and banner say what it is, and it opens offset from the window
// that asked for it, whose position that window leaves in AV_DEMO_AT_ENV.
constexpr const char* DEMO_TEXT = "Demo log — changes are not kept";
constexpr int DEMO_OFFSET = 48;

void rememberPositionForDemo(GtkMenuItem*, gpointer pwinMain) {
    gint nX = 0, nY = 0;
    gtk_window_get_position(GTK_WINDOW(pwinMain), &nX, &nY);
    char szAt[40];
    g_snprintf(szAt, sizeof szAt, "%d,%d", nX, nY);
    g_setenv(AV_DEMO_AT_ENV, szAt, TRUE);
}

void markDemoWindow(GtkWidget* pwinMain) {
    if (!g_getenv(AV_DEMO_ENV))
        return;
    gchar* pszTitle = g_strdup_printf("avLedger — %s", DEMO_TEXT);
    gtk_window_set_title(GTK_WINDOW(pwinMain), pszTitle);
    g_free(pszTitle);
    GtkWidget* pwgtBanner = gtk_notebook_get_action_widget(GTK_NOTEBOOK(m_pwgtNB), GTK_PACK_END);
    if (pwgtBanner && GTK_IS_BOX(pwgtBanner)) {
        GtkWidget* pwgtDemo = gtk_label_new(nullptr);
        gchar* pszMarkup =
            g_markup_printf_escaped("<span weight='bold' color='red'>%s</span>", DEMO_TEXT);
        gtk_label_set_markup(GTK_LABEL(pwgtDemo), pszMarkup);
        g_free(pszMarkup);
        gtk_box_pack_start(GTK_BOX(pwgtBanner), pwgtDemo, FALSE, FALSE, 0);
        gtk_box_reorder_child(GTK_BOX(pwgtBanner), pwgtDemo, 0);
        gtk_widget_show(pwgtDemo);
    }
    gint nX = 0, nY = 0;
    const gchar* pszAt = g_getenv(AV_DEMO_AT_ENV);
    if (pszAt && sscanf(pszAt, "%d,%d", &nX, &nY) == 2)
        gtk_window_move(GTK_WINDOW(pwinMain), nX + DEMO_OFFSET, nY + DEMO_OFFSET);
}

void initPages(gboolean bCompEdit, GtkWidget* pwinMain) {
    fltInitialize(m_pBuilder);
    ccdInitialize(m_pBuilder, bCompEdit);
    pltInitialize(m_pBuilder);
    acdInitialize(m_pBuilder);
    refInitialize(m_pBuilder, bCompEdit);
    hlpInitialize(m_pBuilder, GTK_WINDOW(pwinMain));
    fcsvInitialize(m_pBuilder, avOnPageLeave);
}

// A defect reported or cleared shows in the banner, the due list and the
// component tree's marks at once.
void followDefects() {
    acdDisplayACReg(gint64(fmodAFHoursTotal()));
    dueRefresh();
    if (GtkWidget* pwgtTree = mscGetWidget(m_pBuilder, "CompCardTreeView"))
        gtk_widget_queue_draw(pwgtTree);
}

} // namespace

gboolean avStartUp(int argc, char** argv, int* pnStatus) {
    gtk_init(&argc, &argv);
    dlgSetDefaultReporter(dlgError);
    avPrepareEnvironment();
    gboolean bCompEdit = editSwitchGiven(argc, argv);
    printWorkingDirectory();

    m_nPageCur = 0;
    m_pwgtNB = nullptr;
    GError* pError = nullptr;
    std::string strTried;
    m_pBuilder = loadBuilder(&pError, &strTried);
    if (!m_pBuilder) {
        char szError[500];
        g_snprintf(szError, sizeof szError, "gtk_builder_add_from_file() failed:%s",
                   strTried.c_str());
        errPostError(szError);
        // Nothing can be shown without the UI file: say so where the user
        // started the program.
        fprintf(stderr, "avLedger cannot start: the user interface file could not be loaded.%s\n",
                strTried.c_str());
        *pnStatus = pError->code;
        g_error_free(pError);
        return FALSE;
    }

    errPostError("avLedger Started");
    GtkWidget* pwinMain = mscGetWidget(m_pBuilder, "avLedger");
    gtk_widget_show(pwinMain);
    gtk_builder_connect_signals_full(m_pBuilder, connectHandler, nullptr);

    prmLoadKeyFile();
    menuInitialize(m_pBuilder);
    // Before the layout's own handler of the item, which starts the demo.
    if (GtkWidget* pwgtDemo = mscGetWidget(m_pBuilder, "MenuHelpDemoLog"))
        g_signal_connect(pwgtDemo, "activate", G_CALLBACK(rememberPositionForDemo), pwinMain);
    lytInitialize(m_pBuilder);
    mscInitialize(GTK_STATUSBAR(mscGetWidget(m_pBuilder, "MainStatus")));

    if (!sqlInitialize()) {
        dlgError(sqlLastError(), "main()", "avLedger");
        *pnStatus = -1;
        return FALSE;
    }
    // Copies of both files before this session's edits; a file that
    // cannot be written is said now, once, not at the first lost edit.
    sqlBackUp();
    if (!sqlCheckWritable() &&
        dlgError(sqlLastError(), "main()", "avLedger") == GTK_RESPONSE_CANCEL) {
        *pnStatus = -1;
        return FALSE;
    }
    if (!initModels(bCompEdit)) {
        *pnStatus = -1;
        return FALSE;
    }
    initPages(bCompEdit, pwinMain);
    dueInitialize(m_pBuilder);
    dfctInitialize(m_pBuilder, [] { fcsvExportDialog("Defects", "defects", dfctExportFile); });
    dfctSetFollower(followDefects);

    m_pwgtNB = mscGetWidget(m_pBuilder, "MainNotebook");
    markDemoWindow(pwinMain);
    g_signal_connect(m_pwgtNB, "switch-page", G_CALLBACK(on_avLedger_change_page), nullptr);
    g_signal_connect(pwinMain, "key-press-event", G_CALLBACK(onMainKeyPress), nullptr);
    ccdOnPageEnter();
    *pnStatus = 0;
    return TRUE;
}

int avShutDown() {
    avOnPageLeave();
    fmodCleanUp();
    refCleanUp();
    ccdCleanUp();
    lytSave();
    prmWriteKeyFile();
    sqlClose();
    g_clear_object(&m_pBuilder);
    m_pwgtNB = nullptr;
    errPostError("avLedger Shutdown");
    return 0;
}

int avMain(int argc, char** argv) {
    int nStatus = 0;
    if (!avStartUp(argc, argv, &nStatus))
        return nStatus;
    gtk_main();
    return avShutDown();
}

GtkBuilder* avGetBuilder() {
    return m_pBuilder;
}

void avOnPageLeave() {
    if (m_pwgtNB) {
        gtk_widget_grab_focus(m_pwgtNB);
        while (gtk_events_pending())
            gtk_main_iteration();
    }
    callPageOp(m_nPageCur, false);
}

void on_avLedger_change_page(GtkNotebook*, gpointer, guint nPage, gpointer) {
    avOnPageLeave();
    // A refusal speaks of a field of the page being left.
    mscRefuseClear();
    callPageOp(nPage, true);
    m_nPageCur = nPage;
}

void on_avLedger_destroy_event(GtkObject*, gpointer) {
    errPostError("on_avLedger_destroy_event()");
    if (gtk_main_level() > 0)
        gtk_main_quit();
}
