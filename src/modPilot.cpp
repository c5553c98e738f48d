#include "modPilot.h"

namespace {
GtkTreeStore* m_pmodPilot = nullptr;
GtkTreeIter m_iterFound;
} // namespace

// Interim: the store with its columns and the new-pilot row; the pilot
// load follows once the pilot records are in storage.
gboolean pmodInitialize() {
    if (!m_pmodPilot)
        m_pmodPilot = gtk_tree_store_new(
            PILOT_NUM_COLS, G_TYPE_UINT, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
            G_TYPE_BOOLEAN, G_TYPE_BOOLEAN, G_TYPE_UINT, G_TYPE_BOOLEAN, G_TYPE_BOOLEAN);
    return pmodLoadModel();
}

gboolean pmodLoadModel() {
    gtk_tree_store_clear(m_pmodPilot);
    GtkTreeIter iter;
    gtk_tree_store_append(m_pmodPilot, &iter, nullptr);
    gtk_tree_store_set(m_pmodPilot, &iter, PILOT_ID_COL, PILOT_ID_NEW, PILOT_NAME_COL,
                       "<new pilot>", PILOT_RNAME_COL, "", PILOT_STYLE_COL, 2u, PILOT_FG_COL, TRUE,
                       PILOT_NEW_COL, TRUE, -1);
    return TRUE;
}

int pmodLoadPilotCallback(rcdPilot*) {
    return 0;
}

GtkTreeModel* pmodGetModel() {
    return GTK_TREE_MODEL(m_pmodPilot);
}

guint pmodGetPilotID(GtkTreeIter* piterPilot) {
    guint iPilotID = PILOT_ID_NEW;
    gtk_tree_model_get(GTK_TREE_MODEL(m_pmodPilot), piterPilot, PILOT_ID_COL, &iPilotID, -1);
    return iPilotID;
}

GtkTreeIter* pmodFindPilotID(guint iPilotID) {
    GtkTreeModel* pmod = GTK_TREE_MODEL(m_pmodPilot);
    gboolean bValid = gtk_tree_model_get_iter_first(pmod, &m_iterFound);
    for (; bValid; bValid = gtk_tree_model_iter_next(pmod, &m_iterFound))
        if (pmodGetPilotID(&m_iterFound) == iPilotID)
            return &m_iterFound;
    return nullptr;
}

void pmodUpdateDueDates(const rcdPilot*) {}
void pmodUpdateTreeDue(GtkTreeIter*, const rcdPilot*) {}
time_t pltCalcDueDate(time_t, guint, gboolean) {
    return 0;
}
gboolean pltBuildSortKey(const rcdPilot*, gchar*, guint) {
    return FALSE;
}
