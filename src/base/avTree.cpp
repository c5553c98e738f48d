#include "avTree.h"

gboolean mscGetIterFromID(GtkTreeIter* piterTree, GtkTreeModel* pmodTree, guint iColID, guint nID) {
    if (!piterTree || !pmodTree)
        return FALSE;
    // Reading another column type into a guint would write past it.
    if (iColID >= static_cast<guint>(gtk_tree_model_get_n_columns(pmodTree)))
        return FALSE;
    const GType nType = gtk_tree_model_get_column_type(pmodTree, static_cast<gint>(iColID));
    if (nType != G_TYPE_UINT && nType != G_TYPE_INT)
        return FALSE;
    if (!gtk_tree_model_get_iter_first(pmodTree, piterTree))
        return FALSE;
    do {
        guint nRowID = 0;
        gtk_tree_model_get(pmodTree, piterTree, iColID, &nRowID, -1);
        if (nRowID == nID)
            return TRUE;
    } while (gtk_tree_model_iter_next(pmodTree, piterTree));
    return FALSE;
}

std::string mscTreeText(GtkTreeModel* pModel, GtkTreeIter* piter, int nCol) {
    gchar* psz = nullptr;
    gtk_tree_model_get(pModel, piter, nCol, &psz, -1);
    std::string str = psz ? psz : "";
    g_free(psz);
    return str;
}
