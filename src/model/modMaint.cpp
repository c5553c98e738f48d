#include "modMaint.h"

#include "avCnv.h"
#include "avErrLog.h"
#include "modAC.h"
#include "modFLog.h"
#include "rcdAC.h"
#include "sqlMLog.h"

#include <glib/gprintf.h>

#include <cstring>
#include <unordered_map>

namespace {

constexpr guint ALL_ONES = 0xFFFFFFFFu;

GtkTreeStore* m_pstoMaint = nullptr;
mntState m_mntState;
rcdMaint m_rcdMaint;
guint m_iMaintID = ALL_ONES;
GtkTreeIter m_iterMaint;
gboolean m_bIterMaintValid = FALSE;
gboolean m_bIterMaint = FALSE;

time_t activeManufactureDate() {
    const rcdAC* prcdAC = acdGetActiveAC();
    return prcdAC ? prcdAC->tManu : 0;
}

guint activeACID() {
    const rcdAC* prcdAC = acdGetActiveAC();
    return prcdAC ? prcdAC->iACID : ALL_ONES;
}

// Every card's summary while a tree is built; empty otherwise.
std::unordered_map<guint, mntState> m_mapStates;
bool m_bAllStates = false;

} // namespace

// An unknown date (-1) counts from airframe hour 0: nothing is known about
// the hours since then, and taking "now" instead would push every limit a
// whole life into the future.
guint mmodAFHoursAt(time_t t) {
    return t == -1 ? 0 : fmodAFHoursAtDate(t);
}

void mmodStartState(mntState* pS, time_t tManu) {
    *pS = mntState{};
    pS->tInspLast = tManu;
    pS->tRCOLast = tManu;
}

// A replacement is also an inspection of the new part, so it ends an
// inspection deferral just as an inspection does: the deferral was granted
// for the part that came off.
void mmodApplyRecord(mntState* pS, guint bFlags, time_t tComplete, guint nCompHours, guint nCompAge,
                     guint nDeferHours, guint nDeferDays) {
    if (bFlags & MNT_FLAG_UNFINISHED) {
        ++pS->nUnfinished;
        return;
    }
    if (bFlags & (MNT_KIND_REPLACE_NEW | MNT_KIND_REPLACE_USED)) {
        bool bUsed = !(bFlags & MNT_KIND_REPLACE_NEW);
        pS->tRCOLast = tComplete;
        pS->tInspLast = tComplete;
        pS->nRCOHours = bUsed ? nCompHours : 0;
        pS->nRCOAge = bUsed ? nCompAge : 0;
        pS->tDeferRCOLast = 0;
        pS->nDeferRCOHours = 0;
        pS->nDeferRCODays = 0;
        pS->tDeferInspLast = 0;
        pS->nDeferInspHours = 0;
        pS->nDeferInspDays = 0;
    } else if (bFlags & MNT_KIND_DEFER_INSP) {
        pS->tDeferInspLast = tComplete;
        pS->nDeferInspHours = nDeferHours;
        pS->nDeferInspDays = nDeferDays;
    } else if (bFlags & MNT_KIND_DEFER_RCO) {
        pS->tDeferRCOLast = tComplete;
        pS->nDeferRCOHours = nDeferHours;
        pS->nDeferRCODays = nDeferDays;
    } else {
        pS->tInspLast = tComplete;
        pS->tDeferInspLast = 0;
        pS->nDeferInspHours = 0;
        pS->nDeferInspDays = 0;
    }
}

const gchar* mmodKindText(guint bFlags) {
    if (bFlags & MNT_FLAG_UNFINISHED)
        return "Unfinished entry";
    if (bFlags & MNT_KIND_REPLACE_NEW)
        return "Replace New";
    if (bFlags & MNT_KIND_REPLACE_USED)
        return "Replace Used";
    if (bFlags & MNT_KIND_DEFER_INSP)
        return "Defer Inspection";
    if (bFlags & MNT_KIND_DEFER_RCO)
        return "Defer Replacement";
    return "";
}

gboolean mmodInitialize() {
    if (!m_pstoMaint)
        m_pstoMaint = gtk_tree_store_new(MNT_NUM_COLS, G_TYPE_ULONG, G_TYPE_UINT, G_TYPE_STRING,
                                         G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_INT64,
                                         G_TYPE_UINT, G_TYPE_UINT, G_TYPE_UINT, G_TYPE_UINT,
                                         G_TYPE_UINT, G_TYPE_UINT, G_TYPE_UINT, G_TYPE_STRING);
    mmodStartState(&m_mntState, 0);
    return TRUE;
}

namespace {

// Why a record needs the owner's eye, or null.
const gchar* rowWarning(const rcdMaint* prcdMaint) {
    if (prcdMaint->bFlags & MNT_FLAG_UNFINISHED)
        return "Unfinished: counts for nothing until completed or deleted";
    if (cnvIsFuture(prcdMaint->tComplete, time(nullptr)))
        return "Dated in the future";
    return nullptr;
}

} // namespace

void mmodUpdateRow(GtkTreeIter* piterMaint, rcdMaint* prcdMaint) {
    gchar szDate[30];
    cnvDcdDate(szDate, sizeof szDate, prcdMaint->tComplete, CNV_DCD_WITH_TIME);
    guint nAFHours = mmodAFHoursAt(prcdMaint->tComplete);
    gchar szAFHours[20];
    g_snprintf(szAFHours, sizeof szAFHours, "%01u", nAFHours / 10);
    gtk_tree_store_set(
        m_pstoMaint, piterMaint, MNT_ID_COL, gulong(prcdMaint->iMaintID), MNT_ROWTYPE_COL,
        guint(MNT_ROW_DATA), MNT_STR_DATE_COL, szDate, MNT_STR_AF_HRS_COL, szAFHours, MNT_TDATE_COL,
        gint64(prcdMaint->tComplete), MNT_AFHOURS_COL, nAFHours, MNT_COMPHOURS_COL,
        prcdMaint->nCompHours, MNT_COMPAGE_COL, prcdMaint->nCompAge, MNT_DEFERHRS_COL,
        prcdMaint->nDeferHours, MNT_DEFERDAYS_COL, prcdMaint->nDeferDays, MNT_FLAGS_COL,
        guint(prcdMaint->bFlags), MNT_STYLE_COL, 0u, MNT_WARN_COL, rowWarning(prcdMaint), -1);
}

int mmodLoadCallback(rcdMaint* prcdMaint) {
    GtkTreeIter iter;
    gtk_tree_store_append(m_pstoMaint, &iter, nullptr);
    prcdMaint->nRowType = MNT_ROW_DATA;
    mmodUpdateRow(&iter, prcdMaint);
    m_bIterMaint = TRUE;
    if (prcdMaint->iMaintID == m_iMaintID || m_iMaintID == ALL_ONES) {
        m_iterMaint = iter;
        m_bIterMaintValid = TRUE;
    }
    return 0;
}

void mmodLoadModel(guint iCompID, guint iMaintID) {
    mmodClearModel();
    m_rcdMaint = rcdMaint{};
    m_bIterMaintValid = FALSE;
    m_bIterMaint = FALSE;
    m_iMaintID = iMaintID;

    cbMaint cb{&m_rcdMaint, mmodLoadCallback};
    if (!sqlLoadMaintRecords(&cb, iCompID, activeACID()))
        dlgReport(sqlLastError(), "mmodLoadModel()", "modMaint");

    GtkTreeIter iter;
    gtk_tree_store_append(m_pstoMaint, &iter, nullptr);
    gtk_tree_store_set(m_pstoMaint, &iter, MNT_ID_COL, G_MAXULONG, MNT_ROWTYPE_COL,
                       guint(MNT_ROW_NEW), MNT_STR_DATE_COL, "<new record>", MNT_STYLE_COL, 2u, -1);
    mmodCalcCompTimes();
}

void mmodClearStore(GtkTreeStore* psto, gboolean* pbSel) {
    if (psto)
        gtk_tree_store_clear(psto);
    *pbSel = FALSE;
}

void mmodClearModel() {
    mmodClearStore(m_pstoMaint, &m_bIterMaintValid);
}

GtkTreeModel* mmodGetModel() {
    return GTK_TREE_MODEL(m_pstoMaint);
}

GtkTreeIter* mmodGetSel() {
    return m_bIterMaintValid ? &m_iterMaint : nullptr;
}

int mmodStateCallback(rcdMaint* prcdMaint) {
    mmodApplyRecord(&m_mntState, prcdMaint->bFlags, prcdMaint->tComplete, prcdMaint->nCompHours,
                    prcdMaint->nCompAge, prcdMaint->nDeferHours, prcdMaint->nDeferDays);
    return 0;
}

void mmodReadAllStates() {
    m_mapStates.clear();
    rcdMaint rcd{};
    cbMaint cb{&rcd, [](rcdMaint* p) {
                   auto [it, bNew] = m_mapStates.try_emplace(p->iCompID);
                   if (bNew)
                       mmodStartState(&it->second, activeManufactureDate());
                   mmodApplyRecord(&it->second, p->bFlags, p->tComplete, p->nCompHours, p->nCompAge,
                                   p->nDeferHours, p->nDeferDays);
                   return 0;
               }};
    m_bAllStates = sqlLoadMaintRecordsOfAC(&cb, activeACID());
    if (!m_bAllStates)
        m_mapStates.clear();
}

void mmodForgetAllStates() {
    m_mapStates.clear();
    m_bAllStates = false;
}

mntState* mmodGetState(guint iCompID) {
    if (m_bAllStates) {
        auto it = m_mapStates.find(iCompID);
        if (it != m_mapStates.end())
            m_mntState = it->second;
        else
            mmodStartState(&m_mntState, activeManufactureDate());
        return &m_mntState;
    }
    mmodStartState(&m_mntState, activeManufactureDate());
    rcdMaint rcd{};
    cbMaint cb{&rcd, mmodStateCallback};
    if (!sqlLoadMaintRecords(&cb, iCompID, activeACID()))
        dlgReport(sqlLastError(), "mmodGetState()", "modMaint");
    return &m_mntState;
}

mntState* mmodCalcCompTimes() {
    mmodStartState(&m_mntState, activeManufactureDate());
    GtkTreeModel* pModel = GTK_TREE_MODEL(m_pstoMaint);
    GtkTreeIter iter;
    guint nCompHours = 0;   // running hours on the fitted part (tenths)
    guint nAFHoursPrev = 0; // airframe hours at the previous data row
    for (gboolean bRow = gtk_tree_model_get_iter_first(pModel, &iter); bRow;
         bRow = gtk_tree_model_iter_next(pModel, &iter)) {
        gulong iMaintID = 0;
        guint bFlags = 0, nAFHours = 0, nRecCompHours = 0, nCompAge = 0, nDeferHours = 0,
              nDeferDays = 0;
        gint64 tComplete = 0;
        gtk_tree_model_get(pModel, &iter, MNT_ID_COL, &iMaintID, MNT_FLAGS_COL, &bFlags,
                           MNT_TDATE_COL, &tComplete, MNT_AFHOURS_COL, &nAFHours, MNT_COMPHOURS_COL,
                           &nRecCompHours, MNT_COMPAGE_COL, &nCompAge, MNT_DEFERHRS_COL,
                           &nDeferHours, MNT_DEFERDAYS_COL, &nDeferDays, -1);
        if (guint(iMaintID) == ALL_ONES)
            continue;
        mmodApplyRecord(&m_mntState, bFlags, time_t(tComplete), nRecCompHours, nCompAge,
                        nDeferHours, nDeferDays);

        // An unfinished entry fits no part: the hours run on through it.
        const guint bKind = bFlags & MNT_FLAG_UNFINISHED ? 0 : bFlags;
        if (bKind & MNT_KIND_REPLACE_NEW)
            nCompHours = 0;
        else if (bKind & MNT_KIND_REPLACE_USED)
            nCompHours = nRecCompHours;
        else if (nAFHours > nAFHoursPrev) // a row out of date order adds nothing
            nCompHours += nAFHours - nAFHoursPrev;
        nAFHoursPrev = nAFHours;

        gchar szCompHours[20];
        g_snprintf(szCompHours, sizeof szCompHours, "%01u", nCompHours / 10);
        gtk_tree_store_set(m_pstoMaint, &iter, MNT_STR_TYPE_COL, mmodKindText(bFlags),
                           MNT_COMP_HRS_COL, szCompHours, -1);
    }
    return &m_mntState;
}
