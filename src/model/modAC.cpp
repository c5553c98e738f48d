#include "modAC.h"

#include "avErrLog.h"
#include "rcdAC.h"
#include "rcdComp.h"
#include "sqlMLog.h"

#include <cstring>

namespace {

GtkTreeStore* m_pmodAC = nullptr;
gulong m_iACID = SQL_NEW_ID;
GtkTreeIter m_iterAC;
gboolean m_bSelAC = FALSE;

// The placeholder row's ID: all bits of the column set.
constexpr gulong AC_NEW_ID = static_cast<gulong>(-1);

constexpr amodOption m_lstHeliOpt[] = {
    {6, "Talon", FALSE, "OptFrameTalon"},     {0, "Exec 162F", TRUE, "OptFrame162F"},
    {2, "Exec 90", FALSE, "OptFrameExec90"},  {3, "Exec", FALSE, "OptFrameExec"},
    {1, "Elete", FALSE, "OptFrameElete"},     {4, "Scorpion II", FALSE, "OptFrameSc2"},
    {5, "Scorpion I", FALSE, "OptFrameSc1"},
};
constexpr amodOption m_lstEngineOpt[] = {
    {0, "A600 ACIS", FALSE, "OptEngA600S"}, {1, "A600 N/A", FALSE, "OptEngA600"},
    {2, "162F ACIS", FALSE, "OptEng162FS"}, {3, "162F N/A", TRUE, "OptEng162F"},
    {4, "162 Carb", FALSE, "OptEng162"},    {5, "152", FALSE, "OptEng152"},
    {6, "145", FALSE, "OptEng145"},         {7, "133", FALSE, "OptEng133"},
    {8, "Evinrude", FALSE, "OptEngEvin"},   {9, "T62-32", FALSE, "OptEngT62"},
    {100, "Other", TRUE, nullptr},
};
constexpr amodOption m_lstClutchOpt[] = {
    {0, "Factory T-Bar", TRUE, "OptClutchFact"},
    {1, "Electric", FALSE, "OptClutchElec"},
    {2, "Hydraulic", FALSE, "OptClutchHyd"},
    {100, "Other", TRUE, nullptr},
};
constexpr amodOption m_lstMainDriveOpt[] = {
    {0, "Factory Chain", TRUE, "OptMDChain"}, {3, "Factory Cog", FALSE, "OptMDFactCog"},
    {2, "AP Cog", FALSE, "OptMDAP"},          {1, "ProDrive Cog", FALSE, "OptMDPro"},
    {100, "Other", TRUE, nullptr},
};
constexpr amodOption m_lstMainRotorOpt[] = {
    {0, "Factory Asymmetric", TRUE, "OptMRFactAsymet"},
    {1, "Factory Symmetric", FALSE, "OptMRFactSymet"},
    {2, "Waitman", FALSE, "OptMRWaitman"},
    {100, "Other", TRUE, nullptr},
};
constexpr amodOption m_lstMRSystemOpt[] = {
    {0, "1.75\" Elastomeric", TRUE, "OptMRS175"},
    {1, "1.5\" Elastomeric", FALSE, "OptMRS150"},
    {2, "Cable Hub", FALSE, "OptMRSCable"},
};
constexpr amodOption m_lstTRSliderOpt[] = {
    {0, "CV Old Style", TRUE, "OptTRSFactOld"}, {1, "CV New Style", FALSE, "OptTRSFactNew"},
    {2, "AP Heli", FALSE, "OptTRSAP"},          {3, "ProDrive", FALSE, "OptTRSPro"},
    {100, "Other", TRUE, nullptr},
};
constexpr amodOption m_lstTailDriveOpt[] = {
    {0, "Factory Belt", TRUE, "OptTDBelt"},
    {2, "KISS Shaft", FALSE, "OptTDKShaft"},
    {1, "Factory Shaft", FALSE, "OptTDFShaft"},
    {100, "Other", TRUE, nullptr},
};
constexpr amodOption m_lstTailRotorOpt[] = {
    {0, "Factory", TRUE, "OptTRFact"},
    {1, "ProDrive", FALSE, "OptTRPro"},
    {100, "Other", TRUE, nullptr},
};

const std::array<amodOptList, 9> m_lstOptLists{{
    {"ACHeliTypeOpt", &rcdAC::iHeliOpt, &rcdComp::bOptHeli, m_lstHeliOpt},
    {"ACEngineOpt", &rcdAC::iEngineOpt, &rcdComp::bOptEng, m_lstEngineOpt},
    {"ACClutchOpt", &rcdAC::iClutchOpt, &rcdComp::bOptClutch, m_lstClutchOpt},
    {"ACMainDriveOpt", &rcdAC::iMainDriveOpt, &rcdComp::bOptMainDrive, m_lstMainDriveOpt},
    {"ACMainRotorOpt", &rcdAC::iMainRotorOpt, &rcdComp::bOptMainRotor, m_lstMainRotorOpt},
    {"ACMRSystemOpt", &rcdAC::iMRSystemOpt, &rcdComp::bOptMRSystem, m_lstMRSystemOpt},
    {"ACTRSliderOpt", &rcdAC::iTRSliderOpt, &rcdComp::bOptTRSlider, m_lstTRSliderOpt},
    {"ACTailDriveOpt", &rcdAC::iTailDriveOpt, &rcdComp::bOptTailDrive, m_lstTailDriveOpt},
    {"ACTailRotorOpt", &rcdAC::iTailRotorOpt, &rcdComp::bOptTailRotor, m_lstTailRotorOpt},
}};

// Until the aircraft page has run, no stored aircraft is active.
rcdAC m_rcdActiveAC = [] {
    rcdAC rcd;
    rcdClearAC(&rcd, SQL_NEW_ID);
    return rcd;
}();

} // namespace

rcdAC* acdGetActiveAC() {
    return &m_rcdActiveAC;
}

const std::array<amodOptList, 9>& amodOptLists() {
    return m_lstOptLists;
}

gboolean acdHasActiveAC() {
    return m_rcdActiveAC.iACID != SQL_NEW_ID;
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
