#include "pagFLog.h"

#include "avCnv.h"
#include "avDefect.h"
#include "avMisc.h"
#include "modFLog.h"
#include "pagAC.h"
#include "pagFLogCard.h"
#include "rcdFLog.h"
#include "sqlMLog.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The card's working flight: the one the tree keeps selected.
rcdFLog& m_rcdFLog = fcdFlight();
guint m_iRowTypeLast = FLOG_ROW_HEADER;
// The aircraft whose flights the tree showed last, so that its expansion is
// kept only for the same aircraft.
guint m_iACIDShown = SQL_NEW_ID;
// The model's generation the tree showed last: while it holds, the rows,
// their expansion and the selection are still the ones the user left.
guint m_nGenShown = 0;

GtkWidget* m_pwgtFLogTree = nullptr;
GtkWidget* m_pwgtFLogNoLog = nullptr;

GtkTreeSelection* treeSelection() {
    return gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtFLogTree));
}

void fltOnRowChanged(GtkTreeSelection* pSelection, gpointer);

// A row by what it is: a flight by its ID, the new-flight row by its type,
// a header by its text. Row paths do not survive a rebuild; these do.
struct RowKey {
    guint nType = FLOG_ROW_HEADER;
    gulong iID = 0;
    std::string strText;
    bool operator==(const RowKey&) const = default;
};

RowKey rowKey(GtkTreeIter* piter) {
    RowKey key;
    gchar* psz = nullptr;
    gtk_tree_model_get(fmodGetModel(), piter, FLOG_ROW_TYPE, &key.nType, FLOG_SQLID, &key.iID,
                       FLOG_TIME_START, &psz, -1);
    if (key.nType == FLOG_ROW_HEADER)
        key.strText = psz ? psz : "";
    g_free(psz);
    return key;
}

gboolean selectedKey(RowKey* pKey) {
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(treeSelection(), nullptr, &iter))
        return FALSE;
    *pKey = rowKey(&iter);
    return TRUE;
}

gboolean findRow(const RowKey& key, GtkTreeIter* piterFound, GtkTreeIter* piterParent = nullptr) {
    GtkTreeModel* pmod = fmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pmod, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        if (rowKey(&iter) == key) {
            *piterFound = iter;
            return TRUE;
        }
        if (findRow(key, piterFound, &iter))
            return TRUE;
    }
    return FALSE;
}

// The row of the working flight: the selected one when it is, else found.
gboolean workingRow(GtkTreeIter* piter) {
    if (m_rcdFLog.iFLogID == SQL_NEW_ID)
        return FALSE;
    const RowKey key{FLOG_ROW_DATA, m_rcdFLog.iFLogID, ""};
    return (gtk_tree_selection_get_selected(treeSelection(), nullptr, piter) &&
            rowKey(piter) == key) ||
           fmodFindFlight(m_rcdFLog.iFLogID, piter);
}

void fltOnRowChanged(GtkTreeSelection* pSelection, gpointer) {
    // A rebuild by the page itself selects the working flight again.
    if (mscDisplaying())
        return;
    RowKey keyChosen, keyNow;
    const gboolean bChosen = selectedKey(&keyChosen);
    mscCommitEdits(m_pwgtFLogTree);
    // A field committed on the way may have rebuilt the tree and selected
    // the flight being left: the row the user chose stays chosen.
    GtkTreeIter iterChosen;
    if (bChosen && (!selectedKey(&keyNow) || !(keyNow == keyChosen)) &&
        findRow(keyChosen, &iterChosen)) {
        MscDisplayGuard guard;
        mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtFLogTree), &iterChosen);
    }

    GtkTreeModel* pModel = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(pSelection, &pModel, &iter)) {
        fltDisplayClear();
        fltDisplaySensitive(FALSE);
        return;
    }
    gulong iFLogID = 0;
    guint nRowType = FLOG_ROW_HEADER;
    gtk_tree_model_get(pModel, &iter, FLOG_SQLID, &iFLogID, FLOG_ROW_TYPE, &nRowType, -1);
    if (m_rcdFLog.bDirty)
        fcdSave("fltOnRowChanged()", "pagFLog");
    if (m_iRowTypeLast == FLOG_ROW_NEW)
        fmodResetNewFlightLabel();
    m_iRowTypeLast = nRowType;

    if (nRowType == FLOG_ROW_DATA) {
        cbFLog cb{&m_rcdFLog, nullptr};
        if (!sqlLoadFLogRecord(&cb, iFLogID, fcdActiveACID()))
            fcdShowError("fltOnRowChanged()", "pagFLog");
        m_rcdFLog.bDirty = FALSE;
        fltDisplayUpdate();
    } else if (nRowType == FLOG_ROW_NEW) {
        fcdStartNewFlight();
    } else {
        fcdForget();
        fltDisplayClear();
        fltDisplaySensitive(FALSE);
    }
}

// Left and Right as in any tree: Left closes an open year or month, else
// goes up to it; Right opens it, else goes down into it.
void leftRight(GtkTreeView* pwgtTree, gboolean bRight) {
    GtkTreePath* pPath = nullptr;
    gtk_tree_view_get_cursor(pwgtTree, &pPath, nullptr);
    GtkTreeIter iter;
    if (!pPath || !gtk_tree_model_get_iter(fmodGetModel(), &iter, pPath)) {
        gtk_tree_path_free(pPath);
        return;
    }
    const gboolean bOpen = gtk_tree_view_row_expanded(pwgtTree, pPath);
    const gboolean bParent = gtk_tree_model_iter_has_child(fmodGetModel(), &iter);
    if (bParent && bOpen != bRight) {
        if (bRight)
            gtk_tree_view_expand_row(pwgtTree, pPath, FALSE);
        else
            gtk_tree_view_collapse_row(pwgtTree, pPath);
    } else if (bRight ? bParent : gtk_tree_path_get_depth(pPath) > 1) {
        if (bRight)
            gtk_tree_path_down(pPath);
        else
            gtk_tree_path_up(pPath);
        gtk_tree_view_set_cursor(pwgtTree, pPath, nullptr, FALSE);
    }
    gtk_tree_path_free(pPath);
}

// Delete asks before a stored flight goes; every other key is the tree's
// own (moving, opening and closing years and months).
gboolean fltOnTreeKeyPress(GtkWidget* pwgtTree, GdkEventKey* pevtKey, gpointer) {
    GtkTreeModel* pModel = nullptr;
    GtkTreeIter iter;
    if ((pevtKey->keyval == GDK_KEY_Left || pevtKey->keyval == GDK_KEY_Right) &&
        !(pevtKey->state & (GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK))) {
        leftRight(GTK_TREE_VIEW(pwgtTree), pevtKey->keyval == GDK_KEY_Right);
        return TRUE;
    }
    if (pevtKey->keyval != GDK_KEY_Delete)
        return FALSE;
    if (m_rcdFLog.iFLogID == SQL_NEW_ID ||
        !gtk_tree_selection_get_selected(treeSelection(), &pModel, &iter))
        return TRUE;

    if (dfctConfirmDelete(pwgtTree, "<span color='red'><b>*** Delete Flight Record ***</b></span>",
                          fcdDeleteQuestion(), m_rcdFLog.iFLogID, 0)) {
        m_rcdFLog.bDelete = TRUE;
        m_rcdFLog.bDirty = TRUE;
        // A defect found after the flight is kept; its link goes with the
        // flight, both or neither.
        gchar szWhat[60], szDate[40];
        g_snprintf(szWhat, sizeof szWhat, "flight of %s",
                   cnvDcdDate(szDate, sizeof szDate, m_rcdFLog.tFltBegin, CNV_DCD_WITH_TIME));
        gboolean bOK = sqlBeginWrite(FALSE);
        bOK = bOK && dfctForget(m_rcdFLog.iFLogID, 0, szWhat);
        bOK = bOK && fcdSave("fltOnTreeKeyPress()", "pagFLog");
        if (!sqlEndWrite(FALSE, bOK)) {
            if (bOK)
                fcdShowError("fltOnTreeKeyPress()", "pagFLog");
            bOK = FALSE;
            dfctChanged();
        }
        if (bOK) {
            // The row is gone only once the file says so.
            if (gtk_tree_selection_get_selected(treeSelection(), &pModel, &iter))
                gtk_tree_store_remove(GTK_TREE_STORE(pModel), &iter);
            // Later rows' running totals and the banner lose this flight now,
            // not at the next rebuild.
            fcdRefreshHours();
            fltDisplayClear();
            fltDisplaySensitive(FALSE);
        } else {
            m_rcdFLog.bDelete = FALSE;
        }
    }
    return TRUE;
}

// "Report Defect…" under the card: found after the flight shown.
void fltOnReportDefect(GtkButton* pwgt, gpointer) {
    if (m_rcdFLog.iFLogID == SQL_NEW_ID) {
        mscRefuse(GTK_WIDGET(pwgt), "Choose the flight after which the defect was found.");
        return;
    }
    dfctReportDialog(GTK_WIDGET(pwgt), m_rcdFLog.iFLogID, 0, m_rcdFLog.tFltBegin);
}

// On the date's row, at its end: the card has no height to spare.
void addDefectButton(GtkBuilder* pBuilder) {
    GtkWidget* pwgtRow = mscGetWidget(pBuilder, "FLogDateBox");
    if (!pwgtRow || !GTK_IS_TABLE(pwgtRow))
        return;
    guint nRows = 0, nCols = 0;
    gtk_table_get_size(GTK_TABLE(pwgtRow), &nRows, &nCols);
    gtk_table_resize(GTK_TABLE(pwgtRow), nRows, nCols + 1);
    GtkWidget* pwgt = gtk_button_new_with_mnemonic("Report D_efect…");
    gtk_widget_set_name(pwgt, "FLogReportDefect");
    gtk_table_attach(GTK_TABLE(pwgtRow), pwgt, nCols, nCols + 1, 0, 1, GTK_SHRINK, GTK_SHRINK, 8,
                     0);
    g_signal_connect(pwgt, "clicked", G_CALLBACK(fltOnReportDefect), nullptr);
    gtk_widget_show(pwgt);
}

void addColumn(const char* pszTitle, gint nTextCol, GtkCellRenderer* pRenderer) {
    GtkTreeViewColumn* pColumn =
        gtk_tree_view_column_new_with_attributes(pszTitle, pRenderer, "text", nTextCol, nullptr);
    gtk_tree_view_append_column(GTK_TREE_VIEW(m_pwgtFLogTree), pColumn);
}

// Headers left, flights centred, the new-flight row right: the row type is
// the alignment. The style column is an unsigned number, which GLib does
// not turn into a PangoStyle by itself. A flight the owner should correct
// is drawn red; its tooltip says why.
void startCellData(GtkTreeViewColumn*, GtkCellRenderer* pRenderer, GtkTreeModel* pModel,
                   GtkTreeIter* piter, gpointer) {
    guint nRowType = FLOG_ROW_HEADER;
    guint nStyle = PANGO_STYLE_NORMAL;
    guint nMark = 0;
    gboolean bNewRow = FALSE;
    gtk_tree_model_get(pModel, piter, FLOG_ROW_TYPE, &nRowType, FLOG_STYLE_COL, &nStyle, FLOG_MARK,
                       &nMark, FLOG_FG_COL, &bNewRow, -1);
    static constexpr gfloat lstXAlign[] = {0.0f, 0.5f, 1.0f};
    if (nRowType > FLOG_ROW_NEW)
        nRowType = FLOG_ROW_HEADER;
    g_object_set(pRenderer, "alignment", PangoAlignment(nRowType), "xalign", lstXAlign[nRowType],
                 "style", PangoStyle(nStyle), "foreground", nMark ? "red" : "blue",
                 "foreground-set", bNewRow || nMark, nullptr);
}

void initTree() {
    GtkCellRenderer* pRenderer = gtk_cell_renderer_text_new();
    GtkTreeViewColumn* pColumn = gtk_tree_view_column_new_with_attributes(
        "Flight Start\nTime", pRenderer, "text", FLOG_TIME_START, nullptr);
    gtk_tree_view_column_set_cell_data_func(pColumn, pRenderer, startCellData, nullptr, nullptr);
    gtk_tree_view_append_column(GTK_TREE_VIEW(m_pwgtFLogTree), pColumn);

    pRenderer = gtk_cell_renderer_text_new();
    g_object_set(pRenderer, "xalign", 1.0f, nullptr);
    addColumn("Flight\nTime", FLOG_TIME_ELPSD, pRenderer);
    pRenderer = gtk_cell_renderer_text_new();
    mscEllipsize(pRenderer, FCD_NAME_CHARS);
    addColumn("\nDestination", FLOG_DEST, pRenderer);
    gtk_tree_view_column_set_expand(gtk_tree_view_get_column(GTK_TREE_VIEW(m_pwgtFLogTree), 2),
                                    TRUE);
    pRenderer = gtk_cell_renderer_text_new();
    g_object_set(pRenderer, "xalign", 1.0f, nullptr);
    addColumn("Airframe\nTime", FLOG_AF_ACCUM, pRenderer);

    gtk_tree_view_set_model(GTK_TREE_VIEW(m_pwgtFLogTree), fmodGetModel());
    gtk_tree_view_set_tooltip_column(GTK_TREE_VIEW(m_pwgtFLogTree), FLOG_WARN);
    g_signal_connect(m_pwgtFLogTree, "key-press-event", G_CALLBACK(fltOnTreeKeyPress), nullptr);
    g_signal_connect_after(treeSelection(), "changed", G_CALLBACK(fltOnRowChanged), nullptr);
}

// The year and month headers the user has opened, by their text: a rebuild
// makes new rows, and the user's view should survive it.
std::vector<std::string> expandedHeaders() {
    std::vector<std::string> lst;
    gtk_tree_view_map_expanded_rows(
        GTK_TREE_VIEW(m_pwgtFLogTree),
        [](GtkTreeView*, GtkTreePath* pPath, gpointer pList) {
            GtkTreeIter iter;
            gchar* psz = nullptr;
            if (gtk_tree_model_get_iter(fmodGetModel(), &iter, pPath))
                gtk_tree_model_get(fmodGetModel(), &iter, FLOG_TIME_START, &psz, -1);
            static_cast<std::vector<std::string>*>(pList)->push_back(psz ? psz : "");
            g_free(psz);
        },
        &lst);
    return lst;
}

void expandHeaders(const std::vector<std::string>& lst, GtkTreeIter* piterParent = nullptr) {
    GtkTreeModel* pmod = fmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pmod, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        gchar* psz = nullptr;
        gtk_tree_model_get(pmod, &iter, FLOG_TIME_START, &psz, -1);
        const bool bOpen = psz && std::find(lst.begin(), lst.end(), psz) != lst.end();
        g_free(psz);
        if (!bOpen)
            continue;
        GtkTreePath* pPath = gtk_tree_model_get_path(pmod, &iter);
        gtk_tree_view_expand_row(GTK_TREE_VIEW(m_pwgtFLogTree), pPath, FALSE);
        gtk_tree_path_free(pPath);
        expandHeaders(lst, &iter);
    }
}

// Rebuilds the tree for the active aircraft with the same headers open and
// the working flight selected, without the row handler taking that for the
// user's choice (it would reload the record and pull the focus away).
// Selects the working flight's row (none for piter NULL) and notes the
// rows as the ones the page shows.
void showSelection(GtkTreeIter* piter) {
    MscDisplayGuard guard;
    m_iACIDShown = fcdActiveACID();
    m_nGenShown = fmodGeneration();
    if (piter) {
        mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtFLogTree), piter);
        // The keys move on from the selected flight.
        GtkTreePath* pPath = gtk_tree_model_get_path(fmodGetModel(), piter);
        gtk_tree_view_set_cursor(GTK_TREE_VIEW(m_pwgtFLogTree), pPath, nullptr, FALSE);
        gtk_tree_path_free(pPath);
        m_iRowTypeLast = FLOG_ROW_DATA;
    } else {
        gtk_tree_selection_unselect_all(treeSelection());
        fmodResetNewFlightLabel();
        m_iRowTypeLast = FLOG_ROW_HEADER;
    }
}

void rebuildTree(guint iFLogID) {
    const std::vector<std::string> lstOpen =
        m_iACIDShown == fcdActiveACID() ? expandedHeaders() : std::vector<std::string>{};
    {
        MscDisplayGuard guard;
        guint64 nHours = 0;
        if (fmodLoadModel(gint(iFLogID), &nHours))
            acdDisplayACReg(gint64(nHours));
        expandHeaders(lstOpen);
    }
    showSelection(fmodGetSelection());
}

// Entering the page: the rows are rebuilt only when what they were built
// from changed (the aircraft's log start, hours or dates, the day, or the
// log written by another connection). Rows rebuilt elsewhere (an import,
// another aircraft made active) are shown with the working flight selected
// again; otherwise the tree stays as the user left it. TRUE when the
// working flight iFLogID has a row.
gboolean enterTree(guint iFLogID) {
    if (!fmodIsCurrent()) {
        rebuildTree(iFLogID);
        return fmodGetSelection() != nullptr;
    }
    acdDisplayACReg(gint64(fmodAFHoursTotal()));
    GtkTreeIter iter;
    if (iFLogID == SQL_NEW_ID || !workingRow(&iter)) {
        showSelection(nullptr);
        return FALSE;
    }
    const gboolean bAsLeft = fmodGeneration() == m_nGenShown && m_iACIDShown == fcdActiveACID() &&
                             gtk_tree_selection_iter_is_selected(treeSelection(), &iter);
    if (!bAsLeft)
        showSelection(&iter);
    return TRUE;
}

} // namespace

void fltInitialize(GtkBuilder* pBuilder) {
    fcdForget();
    m_iRowTypeLast = FLOG_ROW_HEADER;
    m_iACIDShown = SQL_NEW_ID;
    m_nGenShown = 0;

    m_pwgtFLogTree = mscGetWidget(pBuilder, "FLogTreeView");
    m_pwgtFLogNoLog = mscGetWidget(pBuilder, "FLogNoLog");
    initTree();
    static const fcdTreeOps ops{fltLoadTree, fltTreeUpdate};
    fcdInitialize(pBuilder, &ops);
    addDefectButton(pBuilder);
}

void fltOnPageEnter() {
    GtkWidget* pwgtScroll = gtk_widget_get_parent(m_pwgtFLogTree);
    if (acdHasActiveAC()) {
        // Coming back to the page keeps the open headers and the flight on
        // the card, as long as the aircraft is the same.
        const gboolean bSameFlight =
            m_rcdFLog.iFLogID != SQL_NEW_ID && m_rcdFLog.iCSID == fcdActiveACID();
        if (enterTree(bSameFlight ? m_rcdFLog.iFLogID : SQL_NEW_ID)) {
            // The card again, as a rebuild elsewhere may have cleared it and
            // its pilots may have been renamed or deleted meanwhile.
            fltDisplayUpdate();
        } else {
            fcdForget();
            fltDisplayClear();
            fltDisplaySensitive(FALSE);
        }
        gtk_widget_show(m_pwgtFLogTree);
        gtk_widget_show(pwgtScroll);
        gtk_widget_hide(m_pwgtFLogNoLog);
    } else {
        {
            MscDisplayGuard guard;
            fmodClearModel();
        }
        m_iACIDShown = SQL_NEW_ID;
        fcdForget();
        gtk_widget_hide(m_pwgtFLogTree);
        gtk_widget_hide(pwgtScroll);
        gtk_widget_show(m_pwgtFLogNoLog);
        fltDisplayClear();
        fltDisplaySensitive(FALSE);
    }
}

void fltOnPageLeave() {
    if (m_rcdFLog.bDirty && !sqlUpdateFLogRecord(&m_rcdFLog))
        fcdShowError("fltOnPageLeave()", "pagFLog");
}

void fltLoadTree() {
    if (m_rcdFLog.bDirty)
        fcdSave("fltLoadTree()", "pagFLog");
    rebuildTree(m_rcdFLog.iFLogID);
}

void fltTreeUpdate() {
    // Usually the selected row; but an edit committed on the way to another
    // row is written after that row was chosen.
    GtkTreeIter iter;
    if (!workingRow(&iter))
        return;
    gchar szElapsed[32];
    cnvDcdHours(szElapsed, sizeof szElapsed, m_rcdFLog.nElapsed);
    gtk_tree_store_set(GTK_TREE_STORE(fmodGetModel()), &iter, FLOG_HOURS, m_rcdFLog.nElapsed,
                       FLOG_TIME_ELPSD, szElapsed, FLOG_DEST, m_rcdFLog.szTo, -1);
}
