#include "pagMaintDate.h"

#include "avCnv.h"
#include "modMaint.h"
#include "rcdMaint.h"

#include <cstring>
#include <ctime>
#include <utility>

namespace {

const mdeListOps* m_pOps = nullptr;

// A date typed is taken once the editor is gone: taking it may ask a
// question, and a dialog inside the editor's own focus change would leave
// GTK's focus bookkeeping half done. Enter and leaving the editor both
// queue it; the later one wins.
gchar* m_pszQueuedPath = nullptr;
gchar* m_pszQueuedDate = nullptr;
guint m_idQueuedDate = 0;

gboolean takeQueuedDate(gpointer) {
    m_idQueuedDate = 0;
    gchar* pszPath = std::exchange(m_pszQueuedPath, nullptr);
    gchar* pszDate = std::exchange(m_pszQueuedDate, nullptr);
    if (pszPath)
        m_pOps->pfnTakeDate(pszPath, pszDate);
    g_free(pszPath);
    g_free(pszDate);
    return FALSE;
}

void queueTypedDate(const gchar* pszPath, const gchar* pszText) {
    g_free(m_pszQueuedPath);
    g_free(m_pszQueuedDate);
    m_pszQueuedPath = g_strdup(pszPath);
    m_pszQueuedDate = g_strdup(pszText);
    if (!m_idQueuedDate)
        m_idQueuedDate = g_idle_add(takeQueuedDate, nullptr);
}

// GTK drops what the date editor holds when it loses the focus; a date
// typed and left (or the program quit) is taken as if Enter was pressed.
gboolean mdeOnDateEditorFocusOut(GtkWidget* pwgtEditor, GdkEventFocus*, gpointer) {
    const auto* pszStart =
        static_cast<const gchar*>(g_object_get_data(G_OBJECT(pwgtEditor), "avl-date-start"));
    const auto* pszPath =
        static_cast<const gchar*>(g_object_get_data(G_OBJECT(pwgtEditor), "avl-date-path"));
    const gchar* pszText = gtk_entry_get_text(GTK_ENTRY(pwgtEditor));
    if (pszStart && pszPath && strcmp(pszStart, pszText) != 0)
        queueTypedDate(pszPath, pszText);
    return FALSE;
}

void mdeOnDateEditStart(GtkCellRenderer*, GtkCellEditable* pEditable, const gchar* pszPath,
                        gpointer pTree) {
    if (!GTK_IS_ENTRY(pEditable))
        return;
    GtkTreeIter iter;
    guint nRowType = MNT_ROW_DATA;
    if (!gtk_tree_model_get_iter_from_string(mmodGetModel(), &iter, pszPath))
        return;
    gtk_tree_model_get(mmodGetModel(), &iter, MNT_ROWTYPE_COL, &nRowType, -1);
    // Space and Return open the editor on the row under the keyboard
    // cursor, which need not be the selected one: the row edited becomes
    // the row shown, so that the date goes to the record the user sees.
    GtkTreeSelection* pSel = gtk_tree_view_get_selection(GTK_TREE_VIEW(pTree));
    if (!gtk_tree_selection_iter_is_selected(pSel, &iter))
        gtk_tree_selection_select_iter(pSel, &iter);
    // A stored record's editor starts from its own date; the new record's
    // from the last date entered, or today: records come in batches.
    if (nRowType == MNT_ROW_NEW) {
        time_t t = m_pOps->pfnLastDate();
        if (t <= 0)
            t = time(nullptr) / SECONDS_PER_DAY * SECONDS_PER_DAY;
        gchar szDate[40];
        cnvDcdDate(szDate, sizeof szDate, t, CNV_DCD_WITH_TIME);
        gtk_entry_set_text(GTK_ENTRY(pEditable), szDate);
        gtk_editable_select_region(GTK_EDITABLE(pEditable), 0, -1);
    }
    g_object_set_data_full(G_OBJECT(pEditable), "avl-date-start",
                           g_strdup(gtk_entry_get_text(GTK_ENTRY(pEditable))), g_free);
    g_object_set_data_full(G_OBJECT(pEditable), "avl-date-path", g_strdup(pszPath), g_free);
    g_signal_connect(pEditable, "focus-out-event", G_CALLBACK(mdeOnDateEditorFocusOut), nullptr);
}

void mdeOnDateEdited(GtkCellRendererText*, const gchar* pszPath, const gchar* pszText, gpointer) {
    queueTypedDate(pszPath, pszText);
}

} // namespace

void mdeConnect(GtkCellRenderer* pRenderer, GtkTreeView* pTree, const mdeListOps* pOps) {
    m_pOps = pOps;
    g_signal_connect(pRenderer, "edited", G_CALLBACK(mdeOnDateEdited), nullptr);
    g_signal_connect(pRenderer, "editing-started", G_CALLBACK(mdeOnDateEditStart), pTree);
}
