#include "pagCompEdit.h"

#include "avCnv.h"
#include "avError.h"
#include "avMisc.h"
#include "modAC.h"
#include "modComp.h"
#include "rcdComp.h"
#include "sqlMLog.h"
#include "txtView.h"

#include <array>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr guint ALL_ONES = 0xFFFFFFFFu;

// ---- editor state ----

const cedCardOps* m_pOps = nullptr;
rcdSNote* m_prcdSNoteCur = nullptr; // the slot being edited; null: all three shown

// ---- widgets ----

GtkWidget* m_pwgtCompTree = nullptr;
GtkWidget* m_pwgtPartDesc = nullptr;
GtkWidget* m_pwgtSortOrder = nullptr;
GtkWidget* m_pwgtSvcNotes = nullptr;
GtkWidget* m_pwgtSNoteLabelSel = nullptr;
GtkWidget* m_pwgtSNoteLabel = nullptr;
GtkWidget* m_pwgtSNoteDetach = nullptr;
GtkWidget* m_pwgtCompNew = nullptr;
GtkWidget* m_pwgtCompDelete = nullptr;

// Option check boxes: the mask of the card each one sets a bit in.
struct optEntry {
    const char* pszID;
    guint rcdComp::*pMask;
    guint bBit;
    GtkWidget* pwgt;
};
// Filled from the aircraft option lists (amodOptLists) at initialisation.
std::vector<optEntry> m_lstOpts;

// The note slot radio buttons; the last shows all three, editing none.
std::array<GtkWidget*, 4> m_lstSlotButtons{};

// ---- small helpers ----

void showError(const char* pszFunction) {
    dlgError(sqlLastError(), pszFunction, "pagCompEdit");
}

GtkWidget* grandParent(GtkWidget* pwgt) {
    return gtk_widget_get_parent(gtk_widget_get_parent(pwgt));
}

rcdComp* card() {
    return m_pOps->pfnCard();
}
rcdSNote* slotRecord(int i) {
    return m_pOps->pfnNote(i);
}
guint* slotCardID(int i) {
    guint* lst[] = {&card()->iSNote1ID, &card()->iSNote2ID, &card()->iSNote3ID};
    return lst[i];
}
int slotIndex(const rcdSNote* prcd) {
    for (int i = 0; i < 3; ++i)
        if (slotRecord(i) == prcd)
            return i;
    return -1;
}
void resetSlot(rcdSNote* prcd) {
    *prcd = rcdSNote{};
    prcd->iSNoteID = ALL_ONES;
}

void setEditButtons(gboolean bNew, gboolean bDelete) {
    gtk_widget_set_sensitive(m_pwgtCompNew, bNew);
    gtk_widget_set_sensitive(m_pwgtCompDelete, bDelete);
}

// ---- card edits (edit mode) ----

gboolean ccdOnPartNmbrFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!mscDisplaying() && mscEntryStore(pwgt, card()->szPartNmbr))
        card()->bDirty = TRUE;
    return FALSE;
}

gboolean ccdOnPartRefFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!mscDisplaying() && mscEntryStore(pwgt, card()->szPartRef))
        card()->bDirty = TRUE;
    return FALSE;
}

gboolean ccdOnSortOrderFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying())
        return FALSE;
    guint n = 0;
    if (!mscReadCount(gtk_entry_get_text(GTK_ENTRY(pwgt)), G_MAXINT, &n)) {
        m_pOps->pfnShow();
        mscRefuse(pwgt, "Sort order: type a whole number, 0 or more");
        return FALSE;
    }
    if (n != card()->iSortOrder) {
        card()->iSortOrder = n;
        card()->bDirty = TRUE;
    }
    m_pOps->pfnShow();
    return FALSE;
}

gboolean ccdDescNoteFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying())
        return FALSE;
    if (mscTextViewStore(pwgt, card()->szDescNotes, sizeof card()->szDescNotes)) {
        card()->bDirty = TRUE;
        m_pOps->pfnShow();
    }
    return FALSE;
}

// An interval or limit changes when the card falls due: judge it again.
// What cannot be stored or no light helicopter has is refused, never
// clamped: the stored value stays and the message says why.
void takeInterval(GtkWidget* pwgt, guint* pnField, gboolean bHoursOnly) {
    if (mscDisplaying())
        return;
    guint n = 0;
    const gchar* pszWhy = nullptr;
    if (!cnvReadRCO(&n, gtk_entry_get_text(GTK_ENTRY(pwgt)), bHoursOnly, &pszWhy)) {
        gchar szOld[60];
        cnvDcdRCO(szOld, sizeof szOld, *pnField);
        gchar* pszMsg = g_strdup_printf("%s: %s It stays %s.",
                                        bHoursOnly ? "Inspection interval" : "Replacement limit",
                                        pszWhy, szOld[0] ? szOld : "none");
        m_pOps->pfnShow();
        mscRefuse(pwgt, pszMsg);
        g_free(pszMsg);
        return;
    }
    if (n != *pnField) {
        *pnField = n;
        card()->bDirty = TRUE;
        m_pOps->pfnDueChanged();
    }
    m_pOps->pfnShow();
}

gboolean ccdInspIntvFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    takeInterval(pwgt, &card()->nInspIntv, TRUE);
    return FALSE;
}

gboolean ccdRCOIntvFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    takeInterval(pwgt, &card()->nRCOIntv, FALSE);
    return FALSE;
}

gboolean ccdOnPartDescFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying() || !mscEntryStore(pwgt, card()->szPartDesc))
        return FALSE;
    if (card()->iCompID == 0)
        return FALSE; // no card is being entered or shown
    const gboolean bNew = card()->iCompID == ALL_ONES;
    card()->bDirty = TRUE;
    if (!sqlUpdateCompCard(card())) {
        showError("ccdOnPartDescFocusOut()");
        card()->bDirty = FALSE;
        return FALSE;
    }
    card()->bDirty = FALSE;
    if (!bNew) {
        if (GtkTreeIter* piter = m_pOps->pfnCardRow())
            gtk_tree_store_set(GTK_TREE_STORE(cmodGetModel()), piter, CCD_COMP_COL,
                               card()->szPartDesc, -1);
        return FALSE;
    }
    m_pOps->pfnShowNewCard();
    return FALSE;
}

void ccdOnOptToggled(GtkToggleButton* pwgt, gpointer pData) {
    if (mscDisplaying())
        return;
    const optEntry* pOpt = static_cast<const optEntry*>(pData);
    guint& bMask = card()->*(pOpt->pMask);
    const guint bNew =
        gtk_toggle_button_get_active(pwgt) ? (bMask | pOpt->bBit) : (bMask & ~pOpt->bBit);
    if (bNew != bMask) {
        bMask = bNew;
        card()->bDirty = TRUE;
    }
}

// ---- service notes (edit mode) ----

void ccdCompSNoteLabelSelChanged(GtkComboBox* pwgtCombo, gpointer) {
    if (mscDisplaying() || !m_prcdSNoteCur)
        return;
    GtkTreeIter iter;
    if (!gtk_combo_box_get_active_iter(pwgtCombo, &iter))
        return;
    guint iSNoteID = 0;
    gtk_tree_model_get(cmodSNoteModel(), &iter, SNOTE_ID_COL, &iSNoteID, -1);
    const int iSlot = slotIndex(m_prcdSNoteCur);
    if (iSlot < 0)
        return;
    // A stored note left without a label could never be chosen again.
    if (m_prcdSNoteCur->iSNoteID != ALL_ONES && m_prcdSNoteCur->szLabel[0] == '\0') {
        m_prcdSNoteCur->bDelete = TRUE;
        if (!sqlUpdateSNoteRecord(m_prcdSNoteCur))
            showError("ccdCompSNoteLabelSelChanged()");
    }
    *m_prcdSNoteCur = rcdSNote{};
    cbSNote cb{m_prcdSNoteCur, nullptr};
    if (!sqlLoadSNoteRecord(&cb, iSNoteID) && !sqlIsNoSuchRow())
        showError("ccdCompSNoteLabelSelChanged()");
    if (m_prcdSNoteCur->iSNoteID != iSNoteID) {
        resetSlot(m_prcdSNoteCur);
    } else {
        *slotCardID(iSlot) = iSNoteID;
        card()->bDirty = TRUE;
    }
    m_prcdSNoteCur->bDirty = FALSE;
    m_pOps->pfnShow();
}

gboolean ccdCompSNoteLabelFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!mscDisplaying() && m_prcdSNoteCur && mscEntryStore(pwgt, m_prcdSNoteCur->szLabel))
        m_prcdSNoteCur->bDirty = TRUE;
    return FALSE;
}

gboolean ccdOnSvcNotesFocusOut(GtkWidget*, GdkEventFocus*, gpointer) {
    if (mscDisplaying() || !m_prcdSNoteCur)
        return FALSE;
    gchar szText[sizeof m_prcdSNoteCur->szText];
    txvEncodeText(szText, sizeof szText, gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_pwgtSvcNotes)));
    if (strcmp(szText, m_prcdSNoteCur->szText) != 0) {
        mscCopyText(m_prcdSNoteCur->szText, szText);
        m_prcdSNoteCur->bDirty = TRUE;
        m_pOps->pfnShow();
    }
    return FALSE;
}

void ccdOnCompSNoteDetach(GtkButton*, gpointer) {
    const int iSlot = slotIndex(m_prcdSNoteCur);
    if (iSlot < 0) {
        g_print("ccdOnCompSNoteDetach(): invalid m_prcdSNoteCur\n");
        return;
    }
    *slotCardID(iSlot) = 0;
    card()->bDirty = TRUE;
    if (m_prcdSNoteCur->szLabel[0] == '\0') {
        if (m_prcdSNoteCur->iSNoteID != ALL_ONES) {
            m_prcdSNoteCur->bDelete = TRUE;
            if (!sqlUpdateSNoteRecord(m_prcdSNoteCur))
                showError("ccdOnCompSNoteDetach()");
        }
        resetSlot(m_prcdSNoteCur);
    } else {
        // Detached but kept in the catalogue: unsaved edits of it still count.
        if (m_prcdSNoteCur->bDirty && !sqlUpdateSNoteRecord(m_prcdSNoteCur))
            showError("ccdOnCompSNoteDetach()");
        resetSlot(m_prcdSNoteCur);
    }
    m_pOps->pfnShow();
}

void ccdOnSNoteSlotToggled(GtkToggleButton* pwgt, gpointer pData) {
    if (mscDisplaying() || !gtk_toggle_button_get_active(pwgt))
        return;
    const int iSlot = GPOINTER_TO_INT(pData);
    m_prcdSNoteCur = iSlot < 3 ? slotRecord(iSlot) : nullptr;
    const gboolean bSlot = m_prcdSNoteCur != nullptr;
    gtk_text_view_set_editable(GTK_TEXT_VIEW(m_pwgtSvcNotes), bSlot);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(m_pwgtSvcNotes), bSlot);
    for (GtkWidget* pwgt2 : {m_pwgtSNoteLabelSel, m_pwgtSNoteLabel, m_pwgtSNoteDetach})
        gtk_widget_set_sensitive(pwgt2, bSlot);
    m_pOps->pfnShow();
}

// ---- new and delete card (edit mode) ----

void ccdOnCompEditNew(GtkButton*, gpointer) {
    if (m_pOps->pfnStartNewCard())
        setEditButtons(TRUE, FALSE);
}

// What a card carries on every aircraft: "3 maintenance records (ZK-ABC 2,
// ZK-XYZ 1)". Deleting the card keeps them; the owner must know they exist.
std::string cardRecordsText(guint iCompID) {
    GtkTreeModel* pModel = amodGetModel();
    std::string strEach;
    guint nAll = 0;
    GtkTreeIter iter;
    for (gboolean b = pModel && gtk_tree_model_get_iter_first(pModel, &iter); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        gulong iACID = 0;
        gboolean bNew = FALSE;
        gtk_tree_model_get(pModel, &iter, AC_ID_COL, &iACID, AC_NEW_FLAG_COL, &bNew, -1);
        if (bNew)
            continue;
        std::vector<std::pair<guint, guint>> lst;
        if (!sqlCountMaintByCard(guint(iACID), &lst)) {
            showError("ccdOnCompEditDelete()");
            return "maintenance records that could not be counted";
        }
        for (auto [iCard, nCount] : lst)
            if (iCard == iCompID) {
                nAll += nCount;
                strEach += (strEach.empty() ? "" : ", ") + mscTreeText(pModel, &iter, AC_REG_COL) +
                           " " + std::to_string(nCount);
            }
    }
    if (nAll == 0)
        return "no maintenance records";
    return cnvCount(nAll, "maintenance record", "maintenance records") + " (" + strEach + ")";
}

void ccdOnCompEditDelete(GtkButton*, gpointer) {
    GtkTreeIter* piter = m_pOps->pfnCardRow();
    if (!piter || card()->iCompID == ALL_ONES || card()->iCompID == 0)
        return;
    gchar* pszDesc = g_markup_escape_text(card()->szPartDesc, -1);
    gchar* pszRecords = g_markup_escape_text(cardRecordsText(card()->iCompID).c_str(), -1);
    gchar* pszQuestion = g_strdup_printf(
        "<span color='dark blue'>\"%s\" will be deleted.</span>\n\nIt carries %s. Records are "
        "kept: the report lists them under this name, marked as a deleted card.\n\n"
        "<span color='blue'>Are you sure?</span>",
        pszDesc, pszRecords);
    g_free(pszRecords);
    const gboolean bOK = mscConfirmDelete(
        m_pwgtCompTree, "<span color='red'><b>*** Delete Component Card ***</b></span>",
        pszQuestion);
    g_free(pszQuestion);
    g_free(pszDesc);
    if (!bOK)
        return;
    card()->bDelete = TRUE;
    card()->bDirty = TRUE;
    if (!sqlUpdateCompCard(card())) {
        showError("ccdOnCompEditDelete()");
        card()->bDelete = FALSE;
        card()->bDirty = FALSE;
        return;
    }
    m_pOps->pfnCardDeleted();
}

} // namespace

// ---- interface ----

void cedInitialize(GtkBuilder* pBuilder, const cedCardOps* pOps) {
    m_pOps = pOps;
    m_prcdSNoteCur = nullptr;
    if (!pOps)
        return;
    m_pwgtCompTree = mscGetWidget(pBuilder, "CompCardTreeView");
    m_pwgtPartDesc = mscGetWidget(pBuilder, "CompPartDesc");
    m_pwgtSortOrder = mscGetWidget(pBuilder, "CompSortOrder");
    m_pwgtSvcNotes = mscGetWidget(pBuilder, "CompServiceNotes");
    m_pwgtSNoteLabelSel = mscGetWidget(pBuilder, "CompSNoteLabelSel");
    m_pwgtSNoteLabel = mscGetWidget(pBuilder, "CompSNoteLabel");
    m_pwgtSNoteDetach = mscGetWidget(pBuilder, "CompSNoteDetach");
    m_pwgtCompNew = mscGetWidget(pBuilder, "CompNew");
    m_pwgtCompDelete = mscGetWidget(pBuilder, "CompDelete");
    const char* lstSlotIDs[] = {"CompSNote1", "CompSNote2", "CompSNote3", "CompSNoteAll"};
    for (int i = 0; i < 4; ++i)
        m_lstSlotButtons[i] = mscGetWidget(pBuilder, lstSlotIDs[i]);
    m_lstOpts.clear();
    for (const amodOptList& lst : amodOptLists())
        for (const amodOption& opt : lst.lstOpt)
            if (opt.pszCheckID)
                m_lstOpts.push_back({opt.pszCheckID, lst.pMask, 1u << opt.iCode,
                                     mscGetWidget(pBuilder, opt.pszCheckID)});
    GtkWidget* pwgtPartNumber = mscGetWidget(pBuilder, "CompPartNumber");
    GtkWidget* pwgtPartRef = mscGetWidget(pBuilder, "CompPartRef");
    GtkWidget* pwgtDescNote = mscGetWidget(pBuilder, "CompDescNote");
    GtkWidget* pwgtInspIntv = mscGetWidget(pBuilder, "CompInspInterval");
    GtkWidget* pwgtRCOIntv = mscGetWidget(pBuilder, "CompRCOInterval");

    g_signal_connect(m_pwgtSvcNotes, "focus-out-event", G_CALLBACK(ccdOnSvcNotesFocusOut), nullptr);
    mscConnectField(pwgtPartNumber, m_pOps->plstCardLUT, G_CALLBACK(ccdOnPartNmbrFocusOut));
    mscConnectField(pwgtPartRef, m_pOps->plstCardLUT, G_CALLBACK(ccdOnPartRefFocusOut));
    mscConnectField(m_pwgtPartDesc, m_pOps->plstCardLUT, G_CALLBACK(ccdOnPartDescFocusOut));
    mscConnectField(pwgtDescNote, m_pOps->plstCardLUT, G_CALLBACK(ccdDescNoteFocusOut));
    mscConnectField(pwgtInspIntv, m_pOps->plstCardLUT, G_CALLBACK(ccdInspIntvFocusOut));
    mscConnectField(pwgtRCOIntv, m_pOps->plstCardLUT, G_CALLBACK(ccdRCOIntvFocusOut));
    mscConnectField(m_pwgtSvcNotes, m_pOps->plstCardLUT, nullptr);
    mscConnectField(m_pwgtSortOrder, nullptr, G_CALLBACK(ccdOnSortOrderFocusOut));
    mscConnectField(m_pwgtSNoteLabel, nullptr, G_CALLBACK(ccdCompSNoteLabelFocusOut));
    g_signal_connect(m_pwgtSNoteLabelSel, "changed", G_CALLBACK(ccdCompSNoteLabelSelChanged),
                     nullptr);
    g_signal_connect(m_pwgtSNoteDetach, "clicked", G_CALLBACK(ccdOnCompSNoteDetach), nullptr);
    g_signal_connect(m_pwgtCompNew, "clicked", G_CALLBACK(ccdOnCompEditNew), nullptr);
    g_signal_connect(m_pwgtCompDelete, "clicked", G_CALLBACK(ccdOnCompEditDelete), nullptr);
    for (int i = 0; i < 4; ++i)
        g_signal_connect(m_lstSlotButtons[i], "toggled", G_CALLBACK(ccdOnSNoteSlotToggled),
                         GINT_TO_POINTER(i));
    for (optEntry& o : m_lstOpts)
        g_signal_connect(o.pwgt, "toggled", G_CALLBACK(ccdOnOptToggled), &o);

    gtk_combo_box_set_model(GTK_COMBO_BOX(m_pwgtSNoteLabelSel), cmodSNoteModel());
    mscComboShowText(m_pwgtSNoteLabelSel, SNOTE_LABEL_COL, -1);
    cmodLoadSNoteModel();

    for (GtkWidget* pwgt : {pwgtInspIntv, pwgtRCOIntv, pwgtPartNumber, pwgtPartRef})
        gtk_editable_set_editable(GTK_EDITABLE(pwgt), TRUE);
    for (GtkWidget* pwgt : {pwgtDescNote, m_pwgtSvcNotes}) {
        gtk_text_view_set_editable(GTK_TEXT_VIEW(pwgt), TRUE);
        gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(pwgt), TRUE);
    }
    for (const char* pszID :
         {"CompPartDesc", "CompPartDescLabel", "CompSortOrder", "CompSortLabel"})
        gtk_widget_show(mscGetWidget(pBuilder, pszID));
    gtk_widget_show(gtk_widget_get_parent(m_pwgtSNoteLabelSel));
    gtk_widget_show(grandParent(m_pwgtCompNew));
    gtk_widget_show(grandParent(m_lstOpts[0].pwgt));
    m_prcdSNoteCur = slotRecord(0);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_lstSlotButtons[0]), TRUE);
    // The editor's card is longer: more room above the record panel.
    gtk_paned_set_position(GTK_PANED(mscGetWidget(pBuilder, "CompRightPaned")), 440);
}

void cedCleanUp() {
    m_prcdSNoteCur = nullptr;
}

const rcdSNote* cedNoteInEdit() {
    return m_prcdSNoteCur;
}

void cedSetButtons(gboolean bNew, gboolean bDelete) {
    if (m_pOps)
        setEditButtons(bNew, bDelete);
}

void cedDisplayUpdate() {
    if (!m_pOps)
        return;
    MscDisplayGuard guard;
    gchar sz[20];
    mscSetEntry(m_pwgtPartDesc, card()->szPartDesc);
    g_snprintf(sz, sizeof sz, "%u", card()->iSortOrder);
    mscSetEntry(m_pwgtSortOrder, sz);
    mscSetEntry(m_pwgtSNoteLabel, m_prcdSNoteCur ? m_prcdSNoteCur->szLabel : "");
    // The selector attaches a note; the label entry names the one attached.
    gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtSNoteLabelSel), -1);
    for (const optEntry& o : m_lstOpts)
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(o.pwgt), (card()->*(o.pMask) & o.bBit) != 0);
}

void cedDisplayClear() {
    if (!m_pOps)
        return;
    MscDisplayGuard guard;
    for (const optEntry& o : m_lstOpts)
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(o.pwgt), FALSE);
}

void cedDisplaySensitive(gboolean bSensitive) {
    if (!m_pOps)
        return;
    gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtSNoteLabelSel), bSensitive);
    gtk_widget_set_sensitive(grandParent(m_lstOpts[0].pwgt), bSensitive);
}
