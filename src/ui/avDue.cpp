#include "avDue.h"

#include "avCnv.h"
#include "avDefect.h"
#include "avMisc.h"
#include "avReportDlg.h"
#include "avTimeline.h"
#include "modAC.h"
#include "modDefect.h"
#include "modFLog.h"
#include "modPilot.h"
#include "pagComp.h"
#include "rcdAC.h"

#include <glib/gprintf.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

GtkWidget* m_pwgtWindow = nullptr;
GtkWidget* m_pwgtTree = nullptr;
GtkWidget* m_pwgtInfo = nullptr;
GtkTreeStore* m_pstoDue = nullptr;
guint m_idIdle = 0;
// Characters a pilot's name asks for in the list.
constexpr gint PILOT_NAME_CHARS = 24;

// ---- the window ----

void appendLine(GtkTreeIter* piterSection, const dueLine& line, guint nOrder) {
    GtkTreeIter iter;
    gtk_tree_store_append(m_pstoDue, &iter, piterSection);
    gtk_tree_store_set(
        m_pstoDue, &iter, DUE_ID_COL, line.iID, DUE_KIND_COL,
        guint(line.bPilot ? DUE_ROW_PILOT : DUE_ROW_COMP), DUE_NAME_COL, line.strName.c_str(),
        DUE_PART_COL, line.strPart.c_str(), DUE_WHAT_COL, line.strWhat.c_str(), DUE_STATE_COL,
        line.strState.c_str(), DUE_POINT_COL, line.strDuePoint.c_str(), DUE_DRIVER_COL,
        line.strDriver.c_str(), DUE_LEFT_COL, line.strLeft.c_str(), DUE_DEFER_COL,
        line.strDefer.c_str(), DUE_COLOUR_COL, line.strColour.c_str(), DUE_WEIGHT_COL, line.nWeight,
        DUE_FCST_COL, line.strForecastDate.c_str(), DUE_FCST_T_COL,
        gint64(line.tForecast == -1 ? G_MAXINT64 : line.tForecast), DUE_ORDER_COL, nOrder, -1);
}

void appendSection(GtkTreeIter* piter, const char* pszTitle, size_t nLines, guint nOrder) {
    char sz[100];
    g_snprintf(sz, sizeof sz, "%s (%zu)", pszTitle, nLines);
    gtk_tree_store_append(m_pstoDue, piter, nullptr);
    gtk_tree_store_set(m_pstoDue, piter, DUE_ID_COL, 0u, DUE_KIND_COL, guint(DUE_ROW_SECTION),
                       DUE_NAME_COL, sz, DUE_COLOUR_COL, "black", DUE_WEIGHT_COL, 700u,
                       DUE_ORDER_COL, nOrder, -1);
}

// The open defects follow the pilots, worst first, coloured as their
// severity is in the defects window; without any, no section.
void appendDefects(guint nOrder) {
    dfctList list;
    if (acdHasActiveAC())
        dfctLoad(acdGetActiveAC()->iACID, time(nullptr), &list);
    if (list.lstOpen.empty())
        return;
    GtkTreeIter iterSec;
    appendSection(&iterSec, "Open defects", list.lstOpen.size(), 3);
    for (const dfctLine& l : list.lstOpen) {
        const cmodLook look = dfctLook(l.rcd.nSeverity);
        const std::string strOpen = cnvCount(l.nAgeDays, "day", "days") + ", " +
                                    cnvCount(l.nFlightsSince, "flight", "flights") + " since";
        GtkTreeIter iter;
        gtk_tree_store_append(m_pstoDue, &iter, &iterSec);
        gtk_tree_store_set(m_pstoDue, &iter, DUE_ID_COL, l.rcd.iDefectID, DUE_KIND_COL,
                           guint(DUE_ROW_DEFECT), DUE_NAME_COL, l.rcd.szDesc, DUE_PART_COL,
                           l.strComp.c_str(), DUE_WHAT_COL, l.strSeverity.c_str(), DUE_STATE_COL,
                           "Open", DUE_POINT_COL, ("Reported " + l.strReported).c_str(),
                           DUE_LEFT_COL, strOpen.c_str(), DUE_COLOUR_COL, look.pszColour,
                           DUE_WEIGHT_COL, look.nWeight, DUE_FCST_T_COL, G_MAXINT64, DUE_ORDER_COL,
                           nOrder++, -1);
    }
}

void showInfo() {
    if (!m_pwgtInfo)
        return;
    const rcdAC* pAC = acdGetActiveAC();
    char szHours[40], szMark[40], szSpan[40], szInfo[300];
    cnvDcdHours(szHours, sizeof szHours, fmodAFHoursTotal());
    cnvDcdHours(szMark, sizeof szMark, cmodGetMarkHours());
    cnvDcdInterval(szSpan, sizeof szSpan, cmodGetMarkTime());
    if (!acdHasActiveAC())
        g_snprintf(szInfo, sizeof szInfo, "No aircraft is active.");
    else
        g_snprintf(szInfo, sizeof szInfo, "%s  —  %s A/F hrs  —  look-ahead %s hrs%s%s  —  %s",
                   pAC->szReg, szHours, szMark, szSpan[0] ? " and " : "", szSpan,
                   fcstUtilisation().strRate.c_str());
    gtk_label_set_text(GTK_LABEL(m_pwgtInfo), szInfo);
    char szTitle[60];
    g_snprintf(szTitle, sizeof szTitle, "Due List%s%s", acdHasActiveAC() ? " — " : "",
               acdHasActiveAC() ? pAC->szReg : "");
    if (m_pwgtWindow)
        gtk_window_set_title(GTK_WINDOW(m_pwgtWindow), szTitle);
}

// The selected line, so that a refill keeps it selected.
bool selectedLine(guint* pnKind, guint* piID) {
    GtkTreeModel* pModel = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtTree)),
                                         &pModel, &iter))
        return false;
    gtk_tree_model_get(pModel, &iter, DUE_KIND_COL, pnKind, DUE_ID_COL, piID, -1);
    return true;
}

void reselect(guint nKind, guint iID) {
    GtkTreeModel* pModel = GTK_TREE_MODEL(m_pstoDue);
    GtkTreeIter iterSec, iter;
    for (gboolean bSec = gtk_tree_model_get_iter_first(pModel, &iterSec); bSec;
         bSec = gtk_tree_model_iter_next(pModel, &iterSec))
        for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, &iterSec); b;
             b = gtk_tree_model_iter_next(pModel, &iter)) {
            guint nK = 0, i = 0;
            gtk_tree_model_get(pModel, &iter, DUE_KIND_COL, &nK, DUE_ID_COL, &i, -1);
            if (nK == nKind && i == iID) {
                gtk_tree_selection_select_iter(
                    gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtTree)), &iter);
                return;
            }
        }
}

void fillStore() {
    guint nKind = 0, iID = 0;
    bool bSel = m_pwgtTree && selectedLine(&nKind, &iID);
    std::vector<dueLine> lst = dueCollect();
    auto count = [&](auto pred) { return size_t(std::count_if(lst.begin(), lst.end(), pred)); };
    gtk_tree_store_clear(m_pstoDue);
    GtkTreeIter iterComp, iterFcst, iterPilot;
    appendSection(&iterComp, "Components",
                  count([](const dueLine& l) { return !l.bPilot && !l.bForecastOnly; }), 0);
    // Only when something is forecast to fall due by the mark's date.
    const size_t nFcst = count([](const dueLine& l) { return l.bForecastOnly; });
    if (nFcst)
        appendSection(&iterFcst, "Forecast within the mark", nFcst, 1);
    appendSection(&iterPilot, "Pilots", count([](const dueLine& l) { return l.bPilot; }), 2);
    guint nOrder = 0;
    for (const dueLine& line : lst)
        appendLine(line.bPilot          ? &iterPilot
                   : line.bForecastOnly ? &iterFcst
                                        : &iterComp,
                   line, nOrder++);
    appendDefects(nOrder);
    tmlRefresh();
    if (m_pwgtTree) {
        gtk_tree_view_expand_all(GTK_TREE_VIEW(m_pwgtTree));
        if (bSel)
            reselect(nKind, iID);
    }
    showInfo();
}

// Wide enough for every column as filled, within the screen; a width the
// user chose that is wider stays.
void fitWidth() {
    gint nWidth = 0, nHeight = 0;
    gtk_window_get_size(GTK_WINDOW(m_pwgtWindow), &nWidth, &nHeight);
    const gint nScreen = gdk_screen_get_width(gtk_widget_get_screen(m_pwgtWindow));
    // The scrolled window asks for no width of its own: the tree's, plus
    // the frame, the scroll bar and the borders.
    GtkRequisition req;
    gtk_widget_size_request(m_pwgtTree, &req);
    const gint nWant = std::min(req.width + 60, nScreen - 40);
    if (nWant > nWidth)
        gtk_window_resize(GTK_WINDOW(m_pwgtWindow), nWant, nHeight);
}

gboolean refreshWhenIdle(gpointer) {
    m_idIdle = 0;
    if (m_pwgtWindow && gtk_widget_get_visible(m_pwgtWindow)) {
        fillStore();
        fitWidth(); // a line that came since may be wider
    }
    return FALSE;
}

// Any change of the component tree, the pilots or the flights: refill once
// the change is complete (a re-marking changes every row of the tree).
void onModelChanged() {
    if (!m_idIdle && m_pwgtWindow && gtk_widget_get_visible(m_pwgtWindow))
        m_idIdle = g_idle_add(refreshWhenIdle, nullptr);
}

void followModel(GtkTreeModel* pModel) {
    // Connected once, however often the program is started in one process.
    if (!pModel || g_object_get_data(G_OBJECT(pModel), "avDueFollows"))
        return;
    g_object_set_data(G_OBJECT(pModel), "avDueFollows", GINT_TO_POINTER(1));
    for (const char* pszSignal : {"row-changed", "row-inserted", "row-deleted", "rows-reordered"})
        g_signal_connect_swapped(pModel, pszSignal, G_CALLBACK(onModelChanged), nullptr);
}

void onRowActivated(GtkTreeView* pwgtTree, GtkTreePath* pPath, GtkTreeViewColumn*, gpointer) {
    GtkTreeModel* pModel = gtk_tree_view_get_model(pwgtTree);
    GtkTreeIter iter;
    if (!gtk_tree_model_get_iter(pModel, &iter, pPath))
        return;
    guint nKind = 0, iID = 0;
    gtk_tree_model_get(pModel, &iter, DUE_KIND_COL, &nKind, DUE_ID_COL, &iID, -1);
    if (nKind == DUE_ROW_COMP)
        ccdSelectCompID(iID);
    else if (nKind == DUE_ROW_DEFECT)
        dfctShow();
}

// A section row ("Components (3)") is a title, never a selection: neither
// the focus nor a click shows it selected.
gboolean selectOnlyLines(GtkTreeSelection*, GtkTreeModel* pModel, GtkTreePath* pPath, gboolean,
                         gpointer) {
    GtkTreeIter iter;
    guint nKind = DUE_ROW_SECTION;
    if (gtk_tree_model_get_iter(pModel, &iter, pPath))
        gtk_tree_model_get(pModel, &iter, DUE_KIND_COL, &nKind, -1);
    return nKind != DUE_ROW_SECTION;
}

void onWindowDestroyed() {
    if (m_idIdle)
        g_source_remove(m_idIdle);
    m_idIdle = 0;
    m_pwgtWindow = m_pwgtTree = m_pwgtInfo = nullptr;
}

// Sorted by the forecast date within each section (none last); the
// sections stay in their order.
gint byForecast(GtkTreeModel* pModel, GtkTreeIter* pa, GtkTreeIter* pb, gpointer) {
    guint nKindA = 0, nKindB = 0, nOrderA = 0, nOrderB = 0;
    gint64 tA = 0, tB = 0;
    gtk_tree_model_get(pModel, pa, DUE_KIND_COL, &nKindA, DUE_ORDER_COL, &nOrderA, DUE_FCST_T_COL,
                       &tA, -1);
    gtk_tree_model_get(pModel, pb, DUE_KIND_COL, &nKindB, DUE_ORDER_COL, &nOrderB, DUE_FCST_T_COL,
                       &tB, -1);
    if (nKindA != DUE_ROW_SECTION && nKindB != DUE_ROW_SECTION && tA != tB)
        return tA < tB ? -1 : 1;
    return nOrderA < nOrderB ? -1 : nOrderA > nOrderB ? 1 : 0;
}

GtkTreeStore* newStore() {
    GtkTreeStore* psto = gtk_tree_store_new(
        DUE_NUM_COLS, G_TYPE_UINT, G_TYPE_UINT, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
        G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
        G_TYPE_UINT, G_TYPE_STRING, G_TYPE_INT64, G_TYPE_UINT);
    gtk_tree_sortable_set_sort_func(GTK_TREE_SORTABLE(psto), DUE_FCST_T_COL, byForecast, nullptr,
                                    nullptr);
    return psto;
}

// Pilot names and defect descriptions are the user's and may be of any length:
// they end in "…" rather than widen the window. Card names are kept whole.
void nameCellData(GtkTreeViewColumn*, GtkCellRenderer* pRenderer, GtkTreeModel* pModel,
                  GtkTreeIter* piter, gpointer) {
    guint nKind = DUE_ROW_SECTION;
    gtk_tree_model_get(pModel, piter, DUE_KIND_COL, &nKind, -1);
    g_object_set(pRenderer, "ellipsize", PANGO_ELLIPSIZE_NONE, "width-chars", -1, nullptr);
    if (nKind == DUE_ROW_PILOT || nKind == DUE_ROW_DEFECT)
        mscEllipsize(pRenderer, PILOT_NAME_CHARS);
}

// What is left, and under it when a component is expected to fall due:
// one more column would push the list beyond a small screen.
void leftCellData(GtkTreeViewColumn*, GtkCellRenderer* pRenderer, GtkTreeModel* pModel,
                  GtkTreeIter* piter, gpointer) {
    guint nKind = DUE_ROW_SECTION;
    gchar *pszLeft = nullptr, *pszFcst = nullptr;
    gtk_tree_model_get(pModel, piter, DUE_KIND_COL, &nKind, DUE_LEFT_COL, &pszLeft, DUE_FCST_COL,
                       &pszFcst, -1);
    const bool bBoth = nKind == DUE_ROW_COMP && pszFcst && *pszFcst;
    gchar* psz = bBoth ? g_strconcat(pszLeft ? pszLeft : "", "\n", pszFcst, nullptr) : nullptr;
    g_object_set(pRenderer, "text", bBoth ? psz : pszLeft, nullptr);
    g_free(psz);
    g_free(pszLeft);
    g_free(pszFcst);
}

void setUpColumns() {
    struct colDef {
        const char* pszTitle;
        int nCol;
        int nSortCol; // -1: not sortable
    };
    const std::array<colDef, 8> cols{{{"Item", DUE_NAME_COL, -1},
                                      {"Part No.", DUE_PART_COL, -1},
                                      {"Due", DUE_WHAT_COL, -1},
                                      {"State", DUE_STATE_COL, DUE_ORDER_COL},
                                      {"Due at", DUE_POINT_COL, -1},
                                      {"Driven by", DUE_DRIVER_COL, -1},
                                      {"Left, expected", DUE_LEFT_COL, DUE_FCST_T_COL},
                                      {"Deferral left", DUE_DEFER_COL, -1}}};
    for (const colDef& c : cols) {
        GtkCellRenderer* pRenderer = gtk_cell_renderer_text_new();
        GtkTreeViewColumn* pColumn = gtk_tree_view_column_new_with_attributes(
            c.pszTitle, pRenderer, "text", c.nCol, "foreground", DUE_COLOUR_COL, "weight",
            DUE_WEIGHT_COL, nullptr);
        if (c.nCol == DUE_NAME_COL || c.nCol == DUE_LEFT_COL)
            gtk_tree_view_column_set_cell_data_func(
                pColumn, pRenderer, c.nCol == DUE_NAME_COL ? nameCellData : leftCellData, nullptr,
                nullptr);
        gtk_tree_view_column_set_resizable(pColumn, TRUE);
        // Worst first (by state) or soonest expected first.
        if (c.nSortCol >= 0)
            gtk_tree_view_column_set_sort_column_id(pColumn, c.nSortCol);
        gtk_tree_view_append_column(GTK_TREE_VIEW(m_pwgtTree), pColumn);
    }
}

} // namespace

void dueInitialize(GtkBuilder* pBuilder) {
    if (!m_pstoDue)
        m_pstoDue = newStore();
    m_pwgtWindow = mscGetWidget(pBuilder, "DueListWindow");
    m_pwgtTree = mscGetWidget(pBuilder, "DueListTreeView");
    m_pwgtInfo = mscGetWidget(pBuilder, "DueListInfo");
    if (!m_pwgtWindow || !m_pwgtTree)
        return;
    gtk_tree_view_set_model(GTK_TREE_VIEW(m_pwgtTree), GTK_TREE_MODEL(m_pstoDue));
    gtk_tree_selection_set_select_function(gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtTree)),
                                           selectOnlyLines, nullptr, nullptr);
    setUpColumns();
    tmlInitialize(mscGetWidget(pBuilder, "DueListTimeline"),
                  mscGetWidget(pBuilder, "DueListButtons"));
    g_signal_connect(m_pwgtTree, "row-activated", G_CALLBACK(onRowActivated), nullptr);
    // Closed, it is only hidden: kept for the next time it is asked for.
    g_signal_connect(m_pwgtWindow, "delete-event", G_CALLBACK(gtk_widget_hide_on_delete), nullptr);
    g_signal_connect(m_pwgtWindow, "destroy", G_CALLBACK(onWindowDestroyed), nullptr);
    g_signal_connect_swapped(mscGetWidget(pBuilder, "DueListClose"), "clicked", G_CALLBACK(dueHide),
                             nullptr);
    g_signal_connect(mscGetWidget(pBuilder, "DueListExport"), "clicked",
                     G_CALLBACK(rptOnExportActivate), nullptr);
    g_signal_connect_swapped(mscGetWidget(pBuilder, "MenuViewDueList"), "activate",
                             G_CALLBACK(dueShow), nullptr);
    // The component page's button arrives with that page.
    if (GObject* pButton = gtk_builder_get_object(pBuilder, "CompDueListButton"))
        g_signal_connect_swapped(pButton, "clicked", G_CALLBACK(dueShow), nullptr);
    rptInitialize(pBuilder);
    dueFollowCompTree();
    followModel(cmodGetModel());
    followModel(pmodGetModel());
    followModel(fmodGetModel());
}

void dueShow() {
    if (!m_pwgtWindow)
        return;
    fillStore();
    if (!gtk_widget_get_visible(m_pwgtWindow)) {
        fitWidth();
        // The list, not the line above it, takes the keyboard first.
        gtk_window_set_focus(GTK_WINDOW(m_pwgtWindow), m_pwgtTree);
    }
    gtk_window_present(GTK_WINDOW(m_pwgtWindow));
}

void dueHide() {
    if (m_pwgtWindow)
        gtk_widget_hide(m_pwgtWindow);
}

void dueRefresh() {
    if (!m_pstoDue)
        m_pstoDue = newStore();
    if (m_idIdle)
        g_source_remove(m_idIdle);
    m_idIdle = 0;
    fillStore();
}

GtkTreeModel* dueGetModel() {
    return GTK_TREE_MODEL(m_pstoDue);
}
