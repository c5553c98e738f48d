#include "avLayout.h"

#include "avMisc.h"
#include "avParam.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct PaneState {
    GtkPaned* pwgtPaned;
    std::string strID;
    gint nPosition; // last seen divider position; 0 until seen
    gint nStored;   // remembered position still to be restored; 0 for none
};

GtkWindow* m_pwinMain = nullptr;
std::vector<PaneState> m_lstPanes;
gint m_nWidth = 0, m_nHeight = 0; // last size seen while not maximised
gboolean m_bMaximized = FALSE;
// Off once the window is being destroyed: what its children report while
// they are torn down is not the user's layout.
gboolean m_bTracking = FALSE;
// The restored size not yet reached; 0 once it is (or when none was restored).
gint m_nTargetWidth = 0, m_nTargetHeight = 0;

// A divider closer than this to either edge hides a pane: one very long
// pilot name once left a flight list 55 pixels wide, and it was remembered.
constexpr gint LYT_PANE_MIN = 150;

// A pane shares a change of the window's width between its two sides, so
// the remembered dividers are set once the window has its restored size;
// neither side is left narrower than the minimum.
void restorePanes() {
    for (PaneState& pane : m_lstPanes) {
        if (pane.nStored > 0) {
            gint nMax = 0;
            g_object_get(pane.pwgtPaned, "max-position", &nMax, nullptr);
            gint nPosition = std::max(pane.nStored, LYT_PANE_MIN);
            if (nMax > 2 * LYT_PANE_MIN)
                nPosition = std::min(nPosition, nMax - LYT_PANE_MIN);
            gtk_paned_set_position(pane.pwgtPaned, nPosition);
        }
        pane.nStored = 0;
    }
}

// Restores the dividers once the window has its restored size; also run a
// moment later in case a window manager gave it another size.
guint m_nGeneration = 0;
gboolean restorePanesLate(gpointer pGeneration) {
    if (m_bTracking && GPOINTER_TO_UINT(pGeneration) == m_nGeneration && m_nTargetWidth) {
        m_nTargetWidth = m_nTargetHeight = 0;
        restorePanes();
    }
    return G_SOURCE_REMOVE;
}

gboolean onConfigure(GtkWidget* pwgt, GdkEventConfigure* pEvent, gpointer) {
    // After the panes have been laid out at the new size (an idle of lower
    // priority than GTK's resizing), not before.
    if (m_nTargetWidth && pEvent->width == m_nTargetWidth && pEvent->height == m_nTargetHeight)
        g_idle_add(restorePanesLate, GUINT_TO_POINTER(m_nGeneration));
    if (m_bTracking && !m_bMaximized)
        gtk_window_get_size(GTK_WINDOW(pwgt), &m_nWidth, &m_nHeight);
    return FALSE;
}

gboolean onWindowState(GtkWidget*, GdkEventWindowState* pEvent, gpointer) {
    if (m_bTracking)
        m_bMaximized = (pEvent->new_window_state & GDK_WINDOW_STATE_MAXIMIZED) != 0;
    return FALSE;
}

void onPanePosition(GObject* pObject, GParamSpec*, gpointer pIndex) {
    if (!m_bTracking)
        return;
    PaneState& pane = m_lstPanes[GPOINTER_TO_UINT(pIndex)];
    pane.nPosition = gtk_paned_get_position(GTK_PANED(pObject));
}

void onMainDestroy(GtkObject*, gpointer) {
    m_bTracking = FALSE;
}

// A remembered size is used only when it is plausible on this screen.
void restoreSize() {
    gint nWidth = prmGetKeyInteger(PRM_LAYOUT_WIDTH);
    gint nHeight = prmGetKeyInteger(PRM_LAYOUT_HEIGHT);
    GdkScreen* pScreen = gtk_window_get_screen(m_pwinMain);
    gint nNowWidth = 0, nNowHeight = 0;
    gtk_window_get_size(m_pwinMain, &nNowWidth, &nNowHeight);
    if (nWidth < LYT_MIN_WIDTH || nHeight < LYT_MIN_HEIGHT ||
        nWidth > gdk_screen_get_width(pScreen) || nHeight > gdk_screen_get_height(pScreen))
        nWidth = nHeight = 0;
    // Nor smaller than its pages ask for.
    GtkRequisition req;
    gtk_widget_size_request(GTK_WIDGET(m_pwinMain), &req);
    if (nWidth) {
        nWidth = std::max(nWidth, gint(req.width));
        nHeight = std::max(nHeight, gint(req.height));
    }
    if (nWidth && (nWidth != nNowWidth || nHeight != nNowHeight)) {
        gtk_window_resize(m_pwinMain, nWidth, nHeight);
        m_nTargetWidth = nWidth;
        m_nTargetHeight = nHeight;
    }
    if (prmGetKeyInteger(PRM_LAYOUT_MAXIMIZED) == 1) {
        gtk_window_maximize(m_pwinMain);
        m_nTargetWidth = m_nTargetHeight = 0;
    }
}

void saveIfChanged(prmKey_t nKey, gint nValue) {
    if (nValue > 0 && prmGetKeyInteger(nKey) != nValue)
        prmSetKeyInteger(nKey, nValue);
}

void savePaneIfChanged(const PaneState& pane) {
    const gchar* pszID = pane.strID.c_str();
    if (pane.nPosition > 0 && prmGetPanePosition(pszID) != pane.nPosition)
        prmSetPanePosition(pszID, pane.nPosition);
}

// A card that scrolls on a small screen brings the field the keyboard
// reaches into view.
void followFocus(GtkViewport* pwgtViewport) {
    GtkWidget* pwgtCard = gtk_bin_get_child(GTK_BIN(pwgtViewport));
    if (!GTK_IS_CONTAINER(pwgtCard))
        return;
    gtk_container_set_focus_hadjustment(GTK_CONTAINER(pwgtCard),
                                        gtk_viewport_get_hadjustment(pwgtViewport));
    gtk_container_set_focus_vadjustment(GTK_CONTAINER(pwgtCard),
                                        gtk_viewport_get_vadjustment(pwgtViewport));
}

void onDemoExit(GPid pid, gint, gpointer) {
    g_spawn_close_pid(pid);
}

} // namespace

void lytInitialize(GtkBuilder* pBuilder) {
    m_lstPanes.clear();
    m_nWidth = m_nHeight = 0;
    m_nTargetWidth = m_nTargetHeight = 0;
    m_bMaximized = FALSE;
    m_pwinMain = GTK_WINDOW(mscGetWidget(pBuilder, "avLedger"));
    if (!m_pwinMain)
        return;
    // Installed, the program's windows carry its icon; run from the build
    // tree there is none to find. The main window is already on screen,
    // so it is given the icon itself; the default serves the others.
    if (gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), LYT_ICON_NAME)) {
        gtk_window_set_default_icon_name(LYT_ICON_NAME);
        gtk_window_set_icon_name(m_pwinMain, LYT_ICON_NAME);
    }
    g_signal_connect(m_pwinMain, "configure-event", G_CALLBACK(onConfigure), nullptr);
    g_signal_connect(m_pwinMain, "window-state-event", G_CALLBACK(onWindowState), nullptr);
    g_signal_connect(m_pwinMain, "destroy", G_CALLBACK(onMainDestroy), nullptr);

    GSList* plstObjects = gtk_builder_get_objects(pBuilder);
    for (GSList* p = plstObjects; p; p = p->next) {
        if (GTK_IS_VIEWPORT(p->data))
            followFocus(GTK_VIEWPORT(p->data));
        if (!GTK_IS_PANED(p->data))
            continue;
        const gchar* pszID = gtk_buildable_get_name(GTK_BUILDABLE(p->data));
        m_lstPanes.push_back({GTK_PANED(p->data), pszID ? pszID : "", 0, 0});
    }
    g_slist_free(plstObjects);
    for (guint i = 0; i < m_lstPanes.size(); ++i) {
        PaneState& pane = m_lstPanes[i];
        pane.nStored = prmGetPanePosition(pane.strID.c_str());
        g_signal_connect(pane.pwgtPaned, "notify::position", G_CALLBACK(onPanePosition),
                         GUINT_TO_POINTER(i));
    }
    ++m_nGeneration;
    restoreSize();
    if (!m_nTargetWidth)
        restorePanes();
    else
        g_timeout_add(1000, restorePanesLate, GUINT_TO_POINTER(m_nGeneration));

    GtkWidget* pwgtDemo = mscGetWidget(pBuilder, "MenuHelpDemoLog");
    if (pwgtDemo)
        g_signal_connect(pwgtDemo, "activate", G_CALLBACK(lytOnDemoLogActivate), nullptr);
    m_bTracking = TRUE;
}

void lytSave() {
    m_bTracking = FALSE;
    saveIfChanged(PRM_LAYOUT_WIDTH, m_nWidth);
    saveIfChanged(PRM_LAYOUT_HEIGHT, m_nHeight);
    if (prmGetKeyInteger(PRM_LAYOUT_MAXIMIZED) != (m_bMaximized ? 1 : 0))
        prmSetKeyInteger(PRM_LAYOUT_MAXIMIZED, m_bMaximized ? 1 : 0);
    for (const PaneState& pane : m_lstPanes)
        savePaneIfChanged(pane);
    m_lstPanes.clear();
    m_pwinMain = nullptr;
}

gchar* lytDemoToolPath() {
    gchar* pszExe = g_file_read_link("/proc/self/exe", nullptr);
    if (!pszExe)
        return nullptr;
    gchar* pszDir = g_path_get_dirname(pszExe);
    gchar* pszTool = g_build_filename(pszDir, "avDemoLog", nullptr);
    g_free(pszDir);
    g_free(pszExe);
    return pszTool;
}

// The demo runs as a separate process in a directory of its own, so that
// nothing done in it can reach this program's databases.
void lytOnDemoLogActivate(GtkMenuItem*, gpointer) {
    gchar* pszTool = lytDemoToolPath();
    gchar* pszEtc = g_canonicalize_filename("../etc", nullptr);
    if (!pszTool || !g_file_test(pszTool, G_FILE_TEST_IS_EXECUTABLE)) {
        mscRefuse(nullptr, "The demo log cannot be opened: avDemoLog is not installed "
                           "beside the program.");
    } else {
        gchar* argv[] = {pszTool, const_cast<gchar*>("--open"), pszEtc, nullptr};
        GPid pid = 0;
        GError* pError = nullptr;
        if (g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid,
                          &pError)) {
            g_child_watch_add(pid, onDemoExit, nullptr);
        } else {
            std::string strWhy = std::string("The demo log cannot be opened: ") + pError->message;
            mscRefuse(nullptr, strWhy.c_str());
            g_error_free(pError);
        }
    }
    g_free(pszEtc);
    g_free(pszTool);
}
