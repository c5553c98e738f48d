#include "modAC.h"

#include "avErrLog.h"
#include "rcdAC.h"
#include "sqlMLog.h"

#include <cstring>

namespace {

GtkTreeStore* m_pmodAC = nullptr;
gulong m_iACID = SQL_NEW_ID;
GtkTreeIter m_iterAC;
gboolean m_bSelAC = FALSE;

// The placeholder row's ID: all bits of the column set.
constexpr gulong AC_NEW_ID = static_cast<gulong>(-1);

constexpr gint rcdAC::*m_lstOptFields[] = {
    &rcdAC::iHeliOpt,      &rcdAC::iEngineOpt,    &rcdAC::iMainDriveOpt,
    &rcdAC::iMainRotorOpt, &rcdAC::iMRSystemOpt,  &rcdAC::iClutchOpt,
    &rcdAC::iTRSliderOpt,  &rcdAC::iTailDriveOpt, &rcdAC::iTailRotorOpt};

rcdAC clearedAC(guint iACID) {
    rcdAC rcd;
    memset(&rcd, 0, sizeof rcd);
    for (gint rcdAC::*piOpt : m_lstOptFields)
        rcd.*piOpt = -1;
    rcd.iACID = iACID;
    return rcd;
}

// Until the aircraft page has run, no stored aircraft is active.
rcdAC m_rcdActiveAC = clearedAC(SQL_NEW_ID);

} // namespace

rcdAC* acdGetActiveAC() {
    return &m_rcdActiveAC;
}

gboolean acdHasActiveAC() {
    return m_rcdActiveAC.iACID != SQL_NEW_ID;
}

void amodClearAC(rcdAC* prcdAC, guint iACID) {
    *prcdAC = clearedAC(iACID);
}

void acdParseACReg(gchar* pszDest, const gchar* pszSrc, guint nlDest) {
    if (nlDest == 0)
        return;
    guint n = 0;
    for (; pszSrc && *pszSrc && n + 1 < nlDest; ++pszSrc) {
        if (g_ascii_isalnum(*pszSrc))
            pszDest[n++] = g_ascii_toupper(*pszSrc);
    }
    pszDest[n] = '\0';
}

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
