#include "modAC.h"

#include "avErrLog.h"
#include "sqlMLog.h"

#include <cstring>

namespace {

GtkTreeStore* m_pmodAC = nullptr;
gulong m_iACID = SQL_NEW_ID;
GtkTreeIter m_iterAC;
gboolean m_bSelAC = FALSE;

// The placeholder row's ID: all bits of the column set.
constexpr gulong AC_NEW_ID = static_cast<gulong>(-1);

} // namespace

gboolean amodInitialize() {
    if (!m_pmodAC)
        m_pmodAC = gtk_tree_store_new(AC_NUM_COLS, G_TYPE_ULONG, G_TYPE_STRING, G_TYPE_STRING,
                                      G_TYPE_BOOLEAN, G_TYPE_UINT);
    return TRUE;
}

int amodLoadACCallback(rcdAC* prcdAC) {
    GtkTreeIter iter;
    gtk_tree_store_append(m_pmodAC, &iter, nullptr);
    gtk_tree_store_set(m_pmodAC, &iter, AC_ID_COL, static_cast<gulong>(prcdAC->iACID), AC_REG_COL,
                       prcdAC->szReg, AC_MODEL_COL, prcdAC->szModel, AC_NEW_FLAG_COL, FALSE,
                       AC_STYLE_COL, static_cast<guint>(PANGO_STYLE_NORMAL), -1);
    if (prcdAC->iACID == m_iACID) {
        m_iterAC = iter;
        m_bSelAC = TRUE;
    }
    return 0;
}

gboolean amodLoadModel(gulong iACID) {
    amodInitialize();
    // Row IDs live in the low 32 bits; -1 in either width means "none".
    m_iACID = iACID == AC_NEW_ID ? SQL_NEW_ID : iACID;
    m_bSelAC = FALSE;

    rcdAC rcdScratch;
    memset(&rcdScratch, 0, sizeof rcdScratch);
    gtk_tree_store_clear(m_pmodAC);

    cbAC cb{&rcdScratch, amodLoadACCallback};
    if (!sqlLoadAircraftRecord(&cb, SQL_NEW_ID)) {
        if (dlgReport(sqlLastError(), "amodLoadModel()", "modAC") == GTK_RESPONSE_CANCEL)
            return FALSE;
    }

    GtkTreeIter iter;
    gtk_tree_store_append(m_pmodAC, &iter, nullptr);
    gtk_tree_store_set(m_pmodAC, &iter, AC_ID_COL, AC_NEW_ID, AC_REG_COL, "<new heli>",
                       AC_NEW_FLAG_COL, TRUE, AC_STYLE_COL, static_cast<guint>(PANGO_STYLE_ITALIC),
                       -1);
    return TRUE;
}

GtkTreeModel* amodGetModel() {
    amodInitialize();
    return GTK_TREE_MODEL(m_pmodAC);
}

GtkTreeIter* amodGetSelection() {
    return m_bSelAC ? &m_iterAC : nullptr;
}
