// avShots: starts the program in this process (the real start-up, in the
// working directory's data) and saves a picture of every page and window
// the README shows. Run by scripts/screenshots.sh under Xvfb on the demo log.
//
//   avShots OUTDIR [--component-edit-enable]
//
// A page or window that this build does not have is skipped with a note,
// so the script keeps working while the program grows.
#include "avDefect.h"
#include "avLedger.h"
#include "pagComp.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string m_strOut;
int m_nSaved = 0;

// Lets the program draw: runs the main loop until it has been idle a while.
void settle(int nMilliseconds = 400) {
    gint64 tEnd = g_get_monotonic_time() + gint64(nMilliseconds) * 1000;
    while (g_get_monotonic_time() < tEnd) {
        while (gtk_events_pending())
            gtk_main_iteration_do(FALSE);
        gdk_window_process_all_updates();
        g_usleep(20000);
    }
}

GtkWidget* widget(const char* pszID) {
    GObject* p = gtk_builder_get_object(avGetBuilder(), pszID);
    return p && GTK_IS_WIDGET(p) ? GTK_WIDGET(p) : nullptr;
}

bool save(GtkWidget* pwgtWindow, const char* pszName) {
    GdkWindow* pWindow = gtk_widget_get_window(pwgtWindow);
    if (!pWindow || !gtk_widget_get_visible(pwgtWindow)) {
        printf("avShots: %s skipped: the window is not shown\n", pszName);
        return false;
    }
    gdk_window_raise(pWindow);
    settle();
    gint nWidth = 0, nHeight = 0;
    gdk_drawable_get_size(pWindow, &nWidth, &nHeight);
    GdkPixbuf* pPixbuf =
        gdk_pixbuf_get_from_drawable(nullptr, pWindow, nullptr, 0, 0, 0, 0, nWidth, nHeight);
    std::string strFile = m_strOut + "/" + pszName + ".png";
    GError* pError = nullptr;
    bool bSaved = pPixbuf && gdk_pixbuf_save(pPixbuf, strFile.c_str(), "png", &pError, nullptr);
    if (bSaved) {
        printf("avShots: %s (%dx%d)\n", strFile.c_str(), nWidth, nHeight);
        ++m_nSaved;
    } else {
        fprintf(stderr, "avShots: cannot save %s: %s\n", strFile.c_str(),
                pError ? pError->message : "no picture of the window");
    }
    g_clear_error(&pError);
    if (pPixbuf)
        g_object_unref(pPixbuf);
    return bSaved;
}

// Switches the notebook as a click on the tab would; FALSE when the page
// is missing or hidden.
bool showPage(int nPage) {
    GtkNotebook* pNB = GTK_NOTEBOOK(widget("MainNotebook"));
    GtkWidget* pwgtPage = pNB ? gtk_notebook_get_nth_page(pNB, nPage) : nullptr;
    if (!pwgtPage || !gtk_widget_get_visible(pwgtPage))
        return false;
    gtk_notebook_set_current_page(pNB, nPage);
    settle();
    return gtk_notebook_get_current_page(pNB) == nPage;
}

GtkTreeView* firstTreeView(GtkWidget* pwgt) {
    if (GTK_IS_TREE_VIEW(pwgt))
        return GTK_TREE_VIEW(pwgt);
    GtkTreeView* pFound = nullptr;
    if (GTK_IS_CONTAINER(pwgt)) {
        GList* plst = gtk_container_get_children(GTK_CONTAINER(pwgt));
        for (GList* p = plst; p && !pFound; p = p->next)
            pFound = firstTreeView(GTK_WIDGET(p->data));
        g_list_free(plst);
    }
    return pFound;
}

// Leaf rows of a tree in display order.
void collectLeaves(GtkTreeModel* pModel, GtkTreeIter* piterParent,
                   std::vector<GtkTreePath*>* plstLeaves) {
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        if (gtk_tree_model_iter_has_child(pModel, &iter))
            collectLeaves(pModel, &iter, plstLeaves);
        else
            plstLeaves->push_back(gtk_tree_model_get_path(pModel, &iter));
    }
}

// Selects a record in the page's list as a click would: the latest one
// (the row before the new-record row) or the first.
void selectRecord(int nPage, bool bLatest) {
    GtkNotebook* pNB = GTK_NOTEBOOK(widget("MainNotebook"));
    GtkTreeView* pTree = firstTreeView(gtk_notebook_get_nth_page(pNB, nPage));
    GtkTreeModel* pModel = pTree ? gtk_tree_view_get_model(pTree) : nullptr;
    if (!pModel)
        return;
    std::vector<GtkTreePath*> leaves;
    collectLeaves(pModel, nullptr, &leaves);
    if (leaves.size() >= 2) {
        GtkTreePath* pPath = bLatest ? leaves[leaves.size() - 2] : leaves[0];
        gtk_tree_view_expand_to_path(pTree, pPath);
        gtk_tree_view_set_cursor(pTree, pPath, nullptr, FALSE);
        gtk_tree_view_scroll_to_cell(pTree, pPath, nullptr, TRUE, 0.5, 0);
        settle();
    }
    for (GtkTreePath* pPath : leaves)
        gtk_tree_path_free(pPath);
}

void shootPage(int nPage, const char* pszName, int nSelect = 0) {
    if (showPage(nPage)) {
        if (nSelect)
            selectRecord(nPage, nSelect > 0);
        save(widget("avLedger"), pszName);
    } else
        printf("avShots: %s skipped: page %d is not shown\n", pszName, nPage);
}

// Component cards that have a drawing, from the catalogue in use.
std::vector<guint> cardsWithDrawings() {
    std::vector<guint> ids;
    sqlite3* hDB = nullptr;
    if (sqlite3_open_v2("../etc/avCCD.db", &hDB, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* pStmt = nullptr;
        if (sqlite3_prepare_v2(hDB,
                               "SELECT DISTINCT iCompID FROM Reference WHERE bDelete = 0 "
                               "ORDER BY iCompID",
                               -1, &pStmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(pStmt) == SQLITE_ROW)
                ids.push_back(guint(sqlite3_column_int64(pStmt, 0)));
        sqlite3_finalize(pStmt);
    }
    sqlite3_close(hDB);
    return ids;
}

// The top-level windows on screen now (the UI file's own windows exist,
// hidden, from the start).
std::vector<GtkWidget*> shownToplevels() {
    std::vector<GtkWidget*> shown;
    GList* plst = gtk_window_list_toplevels();
    for (GList* p = plst; p; p = p->next)
        if (gtk_widget_get_visible(GTK_WIDGET(p->data)) &&
            gtk_window_get_window_type(GTK_WINDOW(p->data)) == GTK_WINDOW_TOPLEVEL)
            shown.push_back(GTK_WIDGET(p->data));
    g_list_free(plst);
    return shown;
}

// Activates a menu item and saves the window it opens, if it opens one.
void shootMenuWindow(const char* pszItem, const char* pszName) {
    GtkWidget* pwgtItem = widget(pszItem);
    if (!pwgtItem || !g_signal_has_handler_pending(
                         pwgtItem, g_signal_lookup("activate", GTK_TYPE_MENU_ITEM), 0, FALSE)) {
        printf("avShots: %s skipped: %s does nothing in this build\n", pszName, pszItem);
        return;
    }
    std::vector<GtkWidget*> before = shownToplevels();
    gtk_menu_item_activate(GTK_MENU_ITEM(pwgtItem));
    settle(800);
    GtkWidget* pwgtOpened = nullptr;
    for (GtkWidget* pwgt : shownToplevels())
        if (std::find(before.begin(), before.end(), pwgt) == before.end())
            pwgtOpened = pwgt;
    if (pwgtOpened) {
        save(pwgtOpened, pszName);
        gtk_widget_hide(pwgtOpened);
        settle();
    } else {
        printf("avShots: %s skipped: %s opened no window\n", pszName, pszItem);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || (argc == 3 && strcmp(argv[2], "--component-edit-enable") != 0)) {
        fprintf(stderr, "usage: avShots OUTDIR [--component-edit-enable]\n");
        return 2;
    }
    m_strOut = argv[1];
    const bool bEdit = argc == 3;
    std::vector<char*> args{const_cast<char*>("avLedger")};
    if (bEdit)
        args.push_back(argv[2]);
    args.push_back(nullptr);
    int nArgs = int(args.size()) - 1;
    char** ppArgs = args.data();
    int nStatus = 0;
    if (!avStartUp(nArgs, ppArgs, &nStatus)) {
        fprintf(stderr, "avShots: the program did not start (status %d)\n", nStatus);
        return 1;
    }
    settle(800);

    // A card with a history worth showing: the demo's coolant (inspected,
    // then its replacement deferred), else its used exhaust springs.
    for (guint iCompID : {205002u, 208002u})
        if (ccdSelectCompID(iCompID))
            break;
    settle();

    std::vector<guint> drawn = cardsWithDrawings();
    if (bEdit) {
        for (guint iCompID : drawn)
            if (ccdSelectCompID(iCompID))
                break;
        shootPage(0, "components-edit");
        shootPage(1, "drawings-edit");
    } else {
        shootPage(0, "components");
        shootPage(2, "flights", +1);
        shootPage(3, "aircraft", -1);
        shootPage(4, "pilots", -1);
        shootMenuWindow("MenuViewDueList", "due-list");
        dfctShow();
        settle(800);
        for (GtkWidget* pwgt : shownToplevels())
            if (strcmp(gtk_widget_get_name(pwgt), "DefectWindow") == 0)
                save(pwgt, "defects");
        dfctHide();
        // A card with a drawing, its drawing page, then the drawing zoomed in.
        bool bDrawing = false;
        for (guint iCompID : drawn)
            if (ccdSelectCompID(iCompID) && (bDrawing = showPage(1)))
                break;
        if (bDrawing) {
            save(widget("avLedger"), "drawings");
            if (GtkWidget* pwgtZoom = widget("RefZoom"); pwgtZoom && GTK_IS_RANGE(pwgtZoom)) {
                GtkAdjustment* pAdj = gtk_range_get_adjustment(GTK_RANGE(pwgtZoom));
                gtk_range_set_value(
                    GTK_RANGE(pwgtZoom),
                    gtk_adjustment_get_lower(pAdj) +
                        0.3 * (gtk_adjustment_get_upper(pAdj) - gtk_adjustment_get_lower(pAdj)));
                settle();
                save(widget("avLedger"), "drawing-zoom");
            } else {
                printf("avShots: drawing-zoom skipped: no zoom control RefZoom\n");
            }
        } else {
            printf("avShots: drawings skipped: no card with a drawing could be shown\n");
        }
    }

    if (GtkWidget* pwgtMain = widget("avLedger"))
        gtk_widget_destroy(pwgtMain);
    avShutDown();
    printf("avShots: %d pictures\n", m_nSaved);
    return m_nSaved > 0 ? 0 : 1;
}
