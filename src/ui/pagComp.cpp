#include "pagComp.h"

#include "avCnv.h"
#include "avError.h"
#include "avHelp.h"
#include "avMisc.h"
#include "modAC.h"
#include "modComp.h"
#include "modDue.h"
#include "modMaint.h"
#include "pagAC.h"
#include "pagMaint.h"
#include "pagRef.h"
#include "rcdAC.h"
#include "rcdComp.h"
#include "rcdMaint.h"
#include "sqlMLog.h"
#include "txtView.h"

#include <gdk/gdkkeysyms.h>
#include <glib/gprintf.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr guint ALL_ONES = 0xFFFFFFFFu;

const gchar* const m_pszColourHelp =
    "~B~UComponent Colours:~u~b\n\n~CRComponent~c - due for replacement\n~CrComponent~c - due for "
    "inspection\n~CBComponent~c - due for replacement but deferred\n~CbComponent~c - due for "
    "inspection but deferred\nComponent - not due for inspection or replacement\n~W350~w~H250~h";
const gchar* const m_pszMarkHelp =
    "~U~CBComponent due time look-ahead feature:~c~u\n\nThis feature allows you to look ahead and "
    "see which components will be due for either inspection or replacement in the near "
    "future.\n\nFor example, if you wish to know what maintenance will be due within the next 10 "
    "flight hours, then enter '10' into the Flight Time box.\n\nOtherwise, if you wish to know "
    "which calendar time limited components will be due in say the next 30 days, then enter '30 "
    "days' in the Calendar Time box.\n\nValid calendar time modifiers are 'Days', 'Weeks', "
    "'Months' or 'Years'.  So, '30 Days' or '5 Weeks' or '7 Months' are all valid inputs.";

// ---- page state ----

GtkBuilder* m_pBuilder = nullptr;
std::unique_ptr<rcdComp> m_prcdComp;
std::unique_ptr<rcdSNote> m_prcdSNote1, m_prcdSNote2, m_prcdSNote3;
rcdSNote* m_prcdSNoteCur = nullptr; // the slot being edited; null: all three shown
GtkTreeIter m_iterCompSel;
gboolean m_bCompSel = FALSE; // m_iterCompSel holds the selected card row
guint m_nCompSelGeneration = 0;
guint m_iCompRowType = TYPE_GRP;
guint m_iGroupID = ALL_ONES;
guint m_iGroupLevel = 0;
gboolean m_bGroupChosen = FALSE; // a group or sub-group was chosen: New can place a card
guint m_iACIDCur = 0;
gboolean m_bCompEdit = FALSE;
txvparam m_txvParam{};
guint m_nRowChange = 0;

// ---- widgets ----

GtkWidget* m_pwgtCompPage = nullptr;
GtkWidget* m_pwgtCompContent = nullptr;
GtkWidget* m_pwgtCompNoLog = nullptr;
GtkWidget* m_pwgtCompTree = nullptr;
GtkWidget* m_pwgtMarkHours = nullptr;
GtkWidget* m_pwgtMarkTime = nullptr;
GtkWidget* m_pwgtPartNumber = nullptr;
GtkWidget* m_pwgtDescNote = nullptr;
GtkWidget* m_pwgtPartRef = nullptr;
GtkWidget* m_pwgtInspIntv = nullptr;
GtkWidget* m_pwgtInspLast = nullptr;
GtkWidget* m_pwgtInspDue = nullptr;
GtkWidget* m_pwgtRCOIntv = nullptr;
GtkWidget* m_pwgtRCOLast = nullptr;
GtkWidget* m_pwgtRCODue = nullptr;
GtkWidget* m_pwgtSvcNotes = nullptr;
GtkWidget* m_pwgtPartDesc = nullptr;
GtkWidget* m_pwgtSortOrder = nullptr;
GtkWidget* m_pwgtSNoteLabelSel = nullptr;
GtkWidget* m_pwgtSNoteLabel = nullptr;
GtkWidget* m_pwgtSNoteDetach = nullptr;
GtkWidget* m_pwgtCompNew = nullptr;
GtkWidget* m_pwgtCompDelete = nullptr;

const wgtLUT m_lstCardLUT[] = {
    {&m_pwgtPartNumber, nullptr}, {&m_pwgtPartDesc, nullptr}, {&m_pwgtDescNote, nullptr},
    {&m_pwgtPartRef, nullptr},    {&m_pwgtInspIntv, nullptr}, {&m_pwgtRCOIntv, nullptr},
    {&m_pwgtSvcNotes, nullptr},   {nullptr, nullptr},
};

// Option check boxes: the mask of the card each one sets a bit in.
struct optEntry {
    const char* pszID;
    guint rcdComp::*pMask;
    guint bBit;
    GtkWidget* pwgt;
};
std::array<optEntry, 39> m_lstOpts{{
    {"OptFrameTalon", &rcdComp::bOptHeli, 0x40, nullptr},
    {"OptFrame162F", &rcdComp::bOptHeli, 0x01, nullptr},
    {"OptFrameElete", &rcdComp::bOptHeli, 0x02, nullptr},
    {"OptFrameExec90", &rcdComp::bOptHeli, 0x04, nullptr},
    {"OptFrameExec", &rcdComp::bOptHeli, 0x08, nullptr},
    {"OptFrameSc2", &rcdComp::bOptHeli, 0x10, nullptr},
    {"OptFrameSc1", &rcdComp::bOptHeli, 0x20, nullptr},
    {"OptEngA600S", &rcdComp::bOptEng, 0x001, nullptr},
    {"OptEngA600", &rcdComp::bOptEng, 0x002, nullptr},
    {"OptEng162FS", &rcdComp::bOptEng, 0x004, nullptr},
    {"OptEng162F", &rcdComp::bOptEng, 0x008, nullptr},
    {"OptEng162", &rcdComp::bOptEng, 0x010, nullptr},
    {"OptEng152", &rcdComp::bOptEng, 0x020, nullptr},
    {"OptEng145", &rcdComp::bOptEng, 0x040, nullptr},
    {"OptEng133", &rcdComp::bOptEng, 0x080, nullptr},
    {"OptEngEvin", &rcdComp::bOptEng, 0x100, nullptr},
    {"OptEngT62", &rcdComp::bOptEng, 0x200, nullptr},
    {"OptClutchFact", &rcdComp::bOptClutch, 0x1, nullptr},
    {"OptClutchElec", &rcdComp::bOptClutch, 0x2, nullptr},
    {"OptClutchHyd", &rcdComp::bOptClutch, 0x4, nullptr},
    {"OptMDChain", &rcdComp::bOptMainDrive, 0x1, nullptr},
    {"OptMDPro", &rcdComp::bOptMainDrive, 0x2, nullptr},
    {"OptMDAP", &rcdComp::bOptMainDrive, 0x4, nullptr},
    {"OptMDFactCog", &rcdComp::bOptMainDrive, 0x8, nullptr},
    {"OptMRFactAsymet", &rcdComp::bOptMainRotor, 0x1, nullptr},
    {"OptMRFactSymet", &rcdComp::bOptMainRotor, 0x2, nullptr},
    {"OptMRWaitman", &rcdComp::bOptMainRotor, 0x4, nullptr},
    {"OptMRS175", &rcdComp::bOptMRSystem, 0x1, nullptr},
    {"OptMRS150", &rcdComp::bOptMRSystem, 0x2, nullptr},
    {"OptMRSCable", &rcdComp::bOptMRSystem, 0x4, nullptr},
    {"OptTDBelt", &rcdComp::bOptTailDrive, 0x1, nullptr},
    {"OptTDKShaft", &rcdComp::bOptTailDrive, 0x4, nullptr},
    {"OptTDFShaft", &rcdComp::bOptTailDrive, 0x2, nullptr},
    {"OptTRFact", &rcdComp::bOptTailRotor, 0x1, nullptr},
    {"OptTRPro", &rcdComp::bOptTailRotor, 0x2, nullptr},
    {"OptTRSFactOld", &rcdComp::bOptTRSlider, 0x1, nullptr},
    {"OptTRSFactNew", &rcdComp::bOptTRSlider, 0x2, nullptr},
    {"OptTRSAP", &rcdComp::bOptTRSlider, 0x4, nullptr},
    {"OptTRSPro", &rcdComp::bOptTRSlider, 0x8, nullptr},
}};

// The note slot radio buttons; the last shows all three, editing none.
std::array<GtkWidget*, 4> m_lstSlotButtons{};

// ---- small helpers ----

void showError(const char* pszFunction) {
    dlgError(sqlLastError(), pszFunction, "pagComp");
}

GtkWidget* grandParent(GtkWidget* pwgt) {
    return gtk_widget_get_parent(gtk_widget_get_parent(pwgt));
}

void setEntry(GtkWidget* pwgt, const gchar* pszText) {
    gtk_entry_set_text(GTK_ENTRY(pwgt), pszText ? pszText : "");
}

void setViewText(GtkWidget* pwgt, const gchar* pszText) {
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgt)), pszText, -1);
}

gboolean isBlank(const gchar* psz) {
    for (; *psz; ++psz)
        if (!g_ascii_isspace(*psz))
            return FALSE;
    return TRUE;
}

// A whole number as typed, nothing else around it; FALSE for anything else.
gboolean parseCount(const gchar* pszText, guint nMax, guint* pn) {
    while (g_ascii_isspace(*pszText))
        ++pszText;
    guint64 n = 0;
    const gchar* psz = pszText;
    for (; g_ascii_isdigit(*psz); ++psz) {
        n = n * 10 + guint(*psz - '0');
        if (n > nMax)
            return FALSE;
    }
    if (psz == pszText || !isBlank(psz))
        return FALSE;
    *pn = guint(n);
    return TRUE;
}

rcdSNote* slotRecord(int i) {
    rcdSNote* lst[] = {m_prcdSNote1.get(), m_prcdSNote2.get(), m_prcdSNote3.get()};
    return lst[i];
}
guint* slotCardID(int i) {
    guint* lst[] = {&m_prcdComp->iSNote1ID, &m_prcdComp->iSNote2ID, &m_prcdComp->iSNote3ID};
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

// The card row the page works on, when the tree still holds it.
GtkTreeIter* selectedCardRow() {
    if (!m_bCompSel || m_iCompRowType != TYPE_COMP || m_nCompSelGeneration != cmodGetGeneration())
        return nullptr;
    return &m_iterCompSel;
}

// ---- saving and forgetting ----

// Writes whatever is changed: the maintenance record (always under the
// aircraft the tree was built for), the service notes, then the card. A
// note's ID goes onto the card only once the note is stored.
void savePending(const char* pszFunction) {
    if (!m_prcdComp)
        return; // after the clean-up nothing is held
    mntSavePending(pszFunction);
    for (int i = 0; i < 3; ++i) {
        rcdSNote* prcd = slotRecord(i);
        if (!prcd->bDirty)
            continue;
        if (!sqlUpdateSNoteRecord(prcd)) {
            showError(pszFunction);
        } else if (*slotCardID(i) != prcd->iSNoteID) {
            *slotCardID(i) = prcd->iSNoteID;
            m_prcdComp->bDirty = TRUE;
        }
        prcd->bDirty = FALSE;
    }
    if (m_prcdComp->bDirty) {
        // A new card reaches the file with its description, never nameless.
        if ((m_prcdComp->iCompID != ALL_ONES || m_prcdComp->szPartDesc[0]) &&
            !sqlUpdateCompCard(m_prcdComp.get()))
            showError(pszFunction);
        m_prcdComp->bDirty = FALSE;
    }
}

// After a save: the working records start empty, so that nothing shown
// later can be saved back over another record.
void forgetRecords() {
    *m_prcdComp = rcdComp{};
    for (int i = 0; i < 3; ++i)
        resetSlot(slotRecord(i));
    mntForget();
    m_bCompSel = FALSE;
}

void clearCardAndPanel() {
    ccdDisplayClear();
    ccdDisplaySensitive(FALSE);
    mntClear();
}

void setEditButtons(gboolean bNew, gboolean bDelete) {
    if (!m_bCompEdit)
        return;
    gtk_widget_set_sensitive(m_pwgtCompNew, bNew);
    gtk_widget_set_sensitive(m_pwgtCompDelete, bDelete);
}

// ---- due entries ----

void setDueColour(GtkWidget* pwgt, dueStat_t nState) {
    static const GdkColor clrRed{0, 0xFFFF, 0, 0}, clrBlue{0, 0, 0, 0xFFFF}, clrBlack{0, 0, 0, 0};
    const GdkColor* pclr = &clrBlack;
    if (nState == CCD_DUESTAT_RCODUE || nState == CCD_DUESTAT_INSPDUE)
        pclr = &clrRed;
    else if (nState == CCD_DUESTAT_RCODEFER || nState == CCD_DUESTAT_INSPDEFER)
        pclr = &clrBlue;
    gtk_widget_modify_text(pwgt, GTK_STATE_INSENSITIVE, pclr);
}

// ---- the page's row handling ----

// The fields beside a list store their edits when they lose the focus. When
// the list holds the focus already, that has happened; running the main loop
// then would handle the user's next keys (a name typed to search, a held
// arrow) inside this handler and out of their order.
void commitEditsFor(GtkWidget* pwgtTree) {
    if (!gtk_widget_is_focus(pwgtTree))
        mscCommitEdits(pwgtTree);
}

// Shows a card row, group or sub-group row just selected. Pending edits are
// saved by the caller.
void takeCompRow(GtkTreeIter* piter) {
    gulong iInx = 0;
    guint nType = TYPE_GRP;
    gtk_tree_model_get(cmodGetModel(), piter, CCD_INX_COL, &iInx, CCD_TYPE_COL, &nType, -1);
    forgetRecords();
    m_iCompRowType = nType;
    if (nType != TYPE_COMP) {
        clearCardAndPanel();
        refPageShow(FALSE);
        m_iGroupID = nType == TYPE_SUB ? cmodSCompID(guint(iInx)) : cmodGCompID(guint(iInx));
        m_iGroupLevel = nType == TYPE_SUB ? 0 : 1;
        m_bGroupChosen = m_iGroupID != ALL_ONES;
        setEditButtons(m_bGroupChosen, FALSE);
        return;
    }
    const guint iCompID = guint(iInx);
    cbComp cb{m_prcdComp.get(), nullptr, nullptr};
    if (!sqlLoadCompCard(&cb, iCompID, 0) && !sqlIsNoSuchRow())
        showError("ccdOnRowChanged()");
    if (m_prcdComp->iCompID != iCompID) { // not found: show nothing of another card
        *m_prcdComp = rcdComp{};
        m_prcdComp->iCompID = iCompID;
    }
    m_prcdComp->bDirty = FALSE;
    for (int i = 0; i < 3; ++i) {
        rcdSNote* prcd = slotRecord(i);
        const guint iSNoteID = *slotCardID(i);
        *prcd = rcdSNote{};
        cbSNote cbNote{prcd, nullptr};
        if (iSNoteID != 0 && !sqlLoadSNoteRecord(&cbNote, iSNoteID) && !sqlIsNoSuchRow())
            showError("ccdOnRowChanged()");
        // A note that is not there must not carry another card's text.
        if (iSNoteID == 0 || prcd->iSNoteID != iSNoteID)
            resetSlot(prcd);
        prcd->bDirty = FALSE;
    }
    m_iterCompSel = *piter;
    m_bCompSel = TRUE;
    m_nCompSelGeneration = cmodGetGeneration();
    ccdDisplayUpdate();

    mntShowCard(iCompID);
    refLoadRecords(iCompID);
    setEditButtons(FALSE, TRUE);
}

// Selects a row for the user without running the selection handler (the
// caller has saved what was pending) and shows it.
void selectCompRow(GtkTreeIter* piter) {
    {
        MscDisplayGuard guard;
        mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtCompTree), piter);
    }
    takeCompRow(piter);
}

// GTK keeps a column as wide as the widest row it has shown: without this
// the names of closed groups or of another aircraft's tree would keep the
// part numbers out of sight behind a scroll bar.
void fitCompColumns() {
    gtk_tree_view_columns_autosize(GTK_TREE_VIEW(m_pwgtCompTree));
}

void ccdOnTreeRowCollapsed(GtkTreeView*, GtkTreeIter*, GtkTreePath*, gpointer) {
    fitCompColumns();
}

// An entry the program could not finish counts for nothing, so a part may
// look due that the owner has seen to: point at it until it is completed
// or deleted.
void tellUnfinished() {
    const std::vector<std::string>& lst = cmodUnfinishedCards();
    if (lst.empty())
        return;
    std::string str = "Unfinished maintenance entries count for nothing until completed or deleted: ";
    for (std::size_t i = 0; i < lst.size(); ++i)
        str += (i ? ", " : "") + lst[i];
    mscNotice(str.c_str());
}

void rebuildTree(gulong iCompID) {
    MscDisplayGuard guard;
    m_bCompSel = FALSE;
    cmodLoadModel(iCompID);
    fitCompColumns();
    tellUnfinished();
}

void ccdOnRowChanged(GtkTreeSelection* pSelection, gpointer) {
    if (mscDisplaying() || !m_prcdComp)
        return;
    const guint nCall = ++m_nRowChange;
    commitEditsFor(m_pwgtCompTree);
    if (nCall != m_nRowChange)
        return; // a change made meanwhile has been dealt with
    GtkTreeModel* pModel = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(pSelection, &pModel, &iter)) {
        // In edit mode New unselects every row while a card is entered.
        if (m_bCompEdit)
            return;
        savePending("ccdOnRowChanged()");
        forgetRecords();
        clearCardAndPanel();
        refPageShow(FALSE);
        return;
    }
    savePending("ccdOnRowChanged()");
    takeCompRow(&iter);
}

// ---- card display ----

void showServiceNotes() {
    GtkTextBuffer* pbfr = gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_pwgtSvcNotes));
    gtk_text_buffer_set_text(pbfr, "", 0);
    if (m_prcdSNoteCur) {
        txvDecodeText(pbfr, m_prcdSNoteCur->szText, FALSE);
        return;
    }
    for (int i = 0; i < 3; ++i)
        if (slotRecord(i)->szText[0])
            txvDecodeText(pbfr, slotRecord(i)->szText, FALSE);
}

// ---- look-ahead mark ----

gboolean ccdOnMarkFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying())
        return FALSE;
    guint nHours = cmodGetMarkHours(), nTime = cmodGetMarkTime();
    const gchar* pszText = gtk_entry_get_text(GTK_ENTRY(pwgt));
    // Only the field left is read: the other one shows the stored value.
    if (pwgt == m_pwgtMarkHours) {
        if (isBlank(pszText)) {
            nHours = 0;
        } else if (!cnvEncHours(&nHours, pszText, CNV_HOURS_MAX)) {
            ccdMarkUpdate();
            mscRefuse(pwgt, "Look-ahead flight time: type hours such as 10 or 12.5");
            return FALSE;
        }
    } else {
        const gchar* pszWhy = nullptr;
        nTime = 0;
        if (!isBlank(pszText) && !cnvReadInterval(&nTime, pszText, &pszWhy)) {
            ccdMarkUpdate();
            gchar* pszMsg = g_strdup_printf("%s The look-ahead stays as it was.", pszWhy);
            mscRefuse(pwgt, pszMsg);
            g_free(pszMsg);
            return FALSE;
        }
    }
    if (nHours != cmodGetMarkHours() || nTime != cmodGetMarkTime()) {
        cmodSetMarkTime(nHours, nTime);
        cmodMarkDue();
        if (GtkTreeIter* piter = selectedCardRow())
            ccdDueUpdate(piter);
    }
    ccdMarkUpdate();
    return FALSE;
}

gboolean ccdOnMarkKeyPress(GtkWidget* pwgt, GdkEventKey* pevtKey, gpointer) {
    if (pevtKey->keyval != GDK_Return && pevtKey->keyval != GDK_KP_Enter)
        return FALSE;
    gtk_widget_grab_focus(pwgt == m_pwgtMarkHours ? m_pwgtMarkTime : m_pwgtMarkHours);
    return TRUE;
}

// ---- card edits (edit mode) ----

gboolean ccdOnPartNmbrFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!mscDisplaying() && mscEntryStore(pwgt, m_prcdComp->szPartNmbr))
        m_prcdComp->bDirty = TRUE;
    return FALSE;
}

gboolean ccdOnPartRefFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!mscDisplaying() && mscEntryStore(pwgt, m_prcdComp->szPartRef))
        m_prcdComp->bDirty = TRUE;
    return FALSE;
}

gboolean ccdOnSortOrderFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying())
        return FALSE;
    guint n = 0;
    if (!parseCount(gtk_entry_get_text(GTK_ENTRY(pwgt)), G_MAXINT, &n)) {
        ccdDisplayUpdate();
        mscRefuse(pwgt, "Sort order: type a whole number, 0 or more");
        return FALSE;
    }
    if (n != m_prcdComp->iSortOrder) {
        m_prcdComp->iSortOrder = n;
        m_prcdComp->bDirty = TRUE;
    }
    ccdDisplayUpdate();
    return FALSE;
}

gboolean ccdDescNoteFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying())
        return FALSE;
    if (mscTextViewStore(pwgt, m_prcdComp->szDescNotes, sizeof m_prcdComp->szDescNotes)) {
        m_prcdComp->bDirty = TRUE;
        ccdDisplayUpdate();
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
        ccdDisplayUpdate();
        mscRefuse(pwgt, pszMsg);
        g_free(pszMsg);
        return;
    }
    if (n != *pnField) {
        *pnField = n;
        m_prcdComp->bDirty = TRUE;
        ccdDueTimesUpdate();
    }
    ccdDisplayUpdate();
}

gboolean ccdInspIntvFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    takeInterval(pwgt, &m_prcdComp->nInspIntv, TRUE);
    return FALSE;
}

gboolean ccdRCOIntvFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    takeInterval(pwgt, &m_prcdComp->nRCOIntv, FALSE);
    return FALSE;
}

gboolean ccdOnPartDescFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying() || !mscEntryStore(pwgt, m_prcdComp->szPartDesc))
        return FALSE;
    if (m_prcdComp->iCompID == 0)
        return FALSE; // no card is being entered or shown
    const gboolean bNew = m_prcdComp->iCompID == ALL_ONES;
    m_prcdComp->bDirty = TRUE;
    if (!sqlUpdateCompCard(m_prcdComp.get())) {
        showError("ccdOnPartDescFocusOut()");
        m_prcdComp->bDirty = FALSE;
        return FALSE;
    }
    m_prcdComp->bDirty = FALSE;
    if (!bNew) {
        if (GtkTreeIter* piter = selectedCardRow())
            gtk_tree_store_set(GTK_TREE_STORE(cmodGetModel()), piter, CCD_COMP_COL,
                               m_prcdComp->szPartDesc, -1);
        return FALSE;
    }
    // The new card has its place in the tree now: show it there.
    savePending("ccdOnPartDescFocusOut()");
    const guint iCompID = m_prcdComp->iCompID;
    rebuildTree(iCompID);
    if (GtkTreeIter* piter = cmodGetCompSel()) {
        GtkTreeIter iter = *piter;
        selectCompRow(&iter);
    }
    return FALSE;
}

void ccdOnOptToggled(GtkToggleButton* pwgt, gpointer pData) {
    if (mscDisplaying())
        return;
    const optEntry* pOpt = static_cast<const optEntry*>(pData);
    guint& bMask = m_prcdComp.get()->*(pOpt->pMask);
    const guint bNew =
        gtk_toggle_button_get_active(pwgt) ? (bMask | pOpt->bBit) : (bMask & ~pOpt->bBit);
    if (bNew != bMask) {
        bMask = bNew;
        m_prcdComp->bDirty = TRUE;
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
        m_prcdComp->bDirty = TRUE;
    }
    m_prcdSNoteCur->bDirty = FALSE;
    ccdDisplayUpdate();
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
        ccdDisplayUpdate();
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
    m_prcdComp->bDirty = TRUE;
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
    ccdDisplayUpdate();
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
    ccdDisplayUpdate();
}

// ---- new and delete card (edit mode) ----

void ccdOnCompEditNew(GtkButton*, gpointer) {
    if (!m_bGroupChosen)
        return;
    mscCommitEdits(m_pwgtCompTree);
    savePending("ccdOnCompEditNew()");
    forgetRecords();
    m_prcdComp->iCompID = ALL_ONES;
    m_prcdComp->iGroupID = m_iGroupID;
    m_prcdComp->iGroupLevel = m_iGroupLevel;
    m_iCompRowType = TYPE_COMP;
    clearCardAndPanel();
    refPageShow(FALSE);
    {
        MscDisplayGuard guard;
        gtk_tree_selection_unselect_all(gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtCompTree)));
    }
    ccdDisplaySensitive(TRUE);
    gtk_widget_grab_focus(m_pwgtPartNumber);
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
    return std::to_string(nAll) + (nAll == 1 ? " maintenance record (" : " maintenance records (") +
           strEach + ")";
}

void ccdOnCompEditDelete(GtkButton*, gpointer) {
    GtkTreeIter* piter = selectedCardRow();
    if (!piter || m_prcdComp->iCompID == ALL_ONES || m_prcdComp->iCompID == 0)
        return;
    gchar* pszDesc = g_markup_escape_text(m_prcdComp->szPartDesc, -1);
    gchar* pszRecords = g_markup_escape_text(cardRecordsText(m_prcdComp->iCompID).c_str(), -1);
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
    m_prcdComp->bDelete = TRUE;
    m_prcdComp->bDirty = TRUE;
    if (!sqlUpdateCompCard(m_prcdComp.get())) {
        showError("ccdOnCompEditDelete()");
        m_prcdComp->bDelete = FALSE;
        m_prcdComp->bDirty = FALSE;
        return;
    }
    GtkTreePath* pPath = gtk_tree_model_get_path(cmodGetModel(), piter);
    savePending("ccdOnCompEditDelete()");
    forgetRecords();
    rebuildTree(0);
    // Back to where the card was: its group stays open.
    if (gtk_tree_path_up(pPath) && gtk_tree_path_get_depth(pPath) > 0)
        gtk_tree_view_expand_to_path(GTK_TREE_VIEW(m_pwgtCompTree), pPath);
    gtk_tree_path_free(pPath);
    m_iCompRowType = TYPE_GRP;
    clearCardAndPanel();
    refPageShow(FALSE);
    setEditButtons(m_bGroupChosen, FALSE);
}

// ---- set-up ----

void connectHelp(GtkWidget* pwgt, const gchar* pszHelp) {
    g_signal_connect(pwgt, "button-press-event", G_CALLBACK(hlpOnCHelpButtonPress),
                     const_cast<gchar*>(pszHelp));
}

// The row's style and weight columns hold plain numbers, which GLib does
// not turn into Pango's enumerations by itself.
void compCellData(GtkTreeViewColumn*, GtkCellRenderer* pRenderer, GtkTreeModel* pModel,
                  GtkTreeIter* piter, gpointer pWeight) {
    guint nStyle = 0, nWeight = 0;
    gtk_tree_model_get(pModel, piter, CCD_STYLE_COL, &nStyle, CCD_WEIGHT_COL, &nWeight, -1);
    g_object_set(pRenderer, "style", PangoStyle(nStyle), nullptr);
    if (pWeight)
        g_object_set(pRenderer, "weight", nWeight ? gint(nWeight) : gint(PANGO_WEIGHT_NORMAL),
                     nullptr);
}

// Finds a name anywhere in it, whatever the case: "bolt" finds "Hub Bolt".
gboolean searchEqual(GtkTreeModel* pModel, gint nColumn, const gchar* pszKey, GtkTreeIter* piter,
                     gpointer) {
    gchar* pszName = nullptr;
    gtk_tree_model_get(pModel, piter, nColumn, &pszName, -1);
    gboolean bFound = FALSE;
    if (pszName && pszKey) {
        gchar* pszName1 = g_utf8_casefold(pszName, -1);
        gchar* pszKey1 = g_utf8_casefold(pszKey, -1);
        bFound = strstr(pszName1, pszKey1) != nullptr;
        g_free(pszName1);
        g_free(pszKey1);
    }
    g_free(pszName);
    return !bFound; // GTK asks whether the row does NOT match
}

// The search walks only open rows: open them all when the user starts
// typing a name (not on the tree's own +, - and * keys).
gboolean ccdOnTreeKeyPress(GtkWidget* pwgt, GdkEventKey* pevtKey, gpointer) {
    if (pevtKey->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK))
        return FALSE;
    const gunichar c = gdk_keyval_to_unicode(pevtKey->keyval);
    if (c && g_unichar_isalnum(c))
        gtk_tree_view_expand_all(GTK_TREE_VIEW(pwgt));
    return FALSE;
}

void initCompTree() {
    GtkTreeView* pTree = GTK_TREE_VIEW(m_pwgtCompTree);
    GtkCellRenderer* pRenderer = gtk_cell_renderer_text_new();
    GtkTreeViewColumn* pColumn = gtk_tree_view_column_new_with_attributes(
        "Component", pRenderer, "text", CCD_COMP_COL, "foreground", CCD_COLOUR_COL, nullptr);
    gtk_tree_view_column_set_cell_data_func(pColumn, pRenderer, compCellData, GINT_TO_POINTER(1),
                                            nullptr);
    gtk_tree_view_column_set_resizable(pColumn, TRUE);
    gtk_tree_view_append_column(pTree, pColumn);

    pRenderer = gtk_cell_renderer_text_new();
    g_object_set(pRenderer, "width", 100, nullptr);
    pColumn = gtk_tree_view_column_new_with_attributes("Part #", pRenderer, "text", CCD_PART_COL,
                                                       nullptr);
    gtk_tree_view_column_set_cell_data_func(pColumn, pRenderer, compCellData, nullptr, nullptr);
    gtk_tree_view_append_column(pTree, pColumn);

    pRenderer = gtk_cell_renderer_text_new();
    pColumn = gtk_tree_view_column_new_with_attributes("Drawing", pRenderer, "text",
                                                       CCD_DRAWING_COL, nullptr);
    gtk_tree_view_column_set_cell_data_func(pColumn, pRenderer, compCellData, nullptr, nullptr);
    gtk_tree_view_append_column(pTree, pColumn);

    gtk_tree_view_set_model(pTree, cmodGetModel());
    gtk_tree_view_set_enable_search(pTree, TRUE);
    gtk_tree_view_set_search_column(pTree, CCD_COMP_COL);
    gtk_tree_view_set_search_equal_func(pTree, searchEqual, nullptr, nullptr);
    g_signal_connect(pTree, "key-press-event", G_CALLBACK(ccdOnTreeKeyPress), nullptr);
    g_signal_connect(pTree, "row-collapsed", G_CALLBACK(ccdOnTreeRowCollapsed), nullptr);
    connectHelp(m_pwgtCompTree, m_pszColourHelp);
    g_signal_connect(gtk_tree_view_get_selection(pTree), "changed", G_CALLBACK(ccdOnRowChanged),
                     nullptr);
}

void mntCompInitialize(GtkBuilder* pBuilder) {
    m_pwgtCompContent = mscGetWidget(pBuilder, "CompHPaned");
    m_pwgtCompNoLog = mscGetWidget(pBuilder, "CompCardNoLog");
    m_pwgtCompTree = mscGetWidget(pBuilder, "CompCardTreeView");
    m_pwgtMarkHours = mscGetWidget(pBuilder, "CompMarkHours");
    m_pwgtMarkTime = mscGetWidget(pBuilder, "CompMarkTime");
    m_pwgtPartNumber = mscGetWidget(pBuilder, "CompPartNumber");
    m_pwgtDescNote = mscGetWidget(pBuilder, "CompDescNote");
    m_pwgtPartRef = mscGetWidget(pBuilder, "CompPartRef");
    m_pwgtInspIntv = mscGetWidget(pBuilder, "CompInspInterval");
    m_pwgtInspLast = mscGetWidget(pBuilder, "CompInspLast");
    m_pwgtInspDue = mscGetWidget(pBuilder, "CompInspDue");
    m_pwgtRCOIntv = mscGetWidget(pBuilder, "CompRCOInterval");
    m_pwgtRCOLast = mscGetWidget(pBuilder, "CompRCOLast");
    m_pwgtRCODue = mscGetWidget(pBuilder, "CompRCODue");
    m_pwgtSvcNotes = mscGetWidget(pBuilder, "CompServiceNotes");
    m_pwgtPartDesc = mscGetWidget(pBuilder, "CompPartDesc");
    m_pwgtSortOrder = mscGetWidget(pBuilder, "CompSortOrder");
    m_pwgtSNoteLabelSel = mscGetWidget(pBuilder, "CompSNoteLabelSel");
    m_pwgtSNoteLabel = mscGetWidget(pBuilder, "CompSNoteLabel");
    m_pwgtSNoteDetach = mscGetWidget(pBuilder, "CompSNoteDetach");
    m_pwgtCompNew = mscGetWidget(pBuilder, "CompNew");
    m_pwgtCompDelete = mscGetWidget(pBuilder, "CompDelete");
    const char* lstSlotIDs[] = {"CompSNote1", "CompSNote2", "CompSNote3", "CompSNoteAll"};
    for (int i = 0; i < 4; ++i)
        m_lstSlotButtons[i] = mscGetWidget(pBuilder, lstSlotIDs[i]);
    for (optEntry& o : m_lstOpts)
        o.pwgt = mscGetWidget(pBuilder, o.pszID);

    initCompTree();
    txvInitialize(GTK_TEXT_VIEW(m_pwgtSvcNotes), &m_txvParam);

    // Display-only and read-only fields keep black text when greyed.
    static const GdkColor clrBlack{0, 0, 0, 0};
    for (GtkWidget* pwgt : {m_pwgtInspLast, m_pwgtInspIntv, m_pwgtRCOLast, m_pwgtRCOIntv,
                            m_pwgtPartNumber, m_pwgtPartRef})
        gtk_widget_modify_text(pwgt, GTK_STATE_INSENSITIVE, &clrBlack);

    // The marks, sort order and note label are outside the card's key
    // table: Return in a mark goes to the other mark.
    for (GtkWidget* pwgt : {m_pwgtMarkHours, m_pwgtMarkTime}) {
        g_signal_connect(pwgt, "key-press-event", G_CALLBACK(ccdOnMarkKeyPress), nullptr);
        mscConnectField(pwgt, nullptr, G_CALLBACK(ccdOnMarkFocusOut));
        connectHelp(pwgt, m_pszMarkHelp);
        mscLimitText(pwgt, 20);
    }
    connectHelp(mscGetWidget(pBuilder, "CompMarkCHelp"), m_pszMarkHelp);
    g_signal_connect(m_pwgtSvcNotes, "focus-out-event", G_CALLBACK(ccdOnSvcNotesFocusOut), nullptr);

    const std::pair<GtkWidget*, std::size_t> lstLimits[] = {
        {m_pwgtPartNumber, sizeof m_prcdComp->szPartNmbr},
        {m_pwgtPartRef, sizeof m_prcdComp->szPartRef},
        {m_pwgtPartDesc, sizeof m_prcdComp->szPartDesc},
        {m_pwgtDescNote, sizeof m_prcdComp->szDescNotes},
        {m_pwgtSNoteLabel, sizeof m_prcdSNote1->szLabel},
        {m_pwgtSvcNotes, sizeof m_prcdSNote1->szText},
        {m_pwgtSortOrder, 12},
        {m_pwgtInspIntv, 40},
        {m_pwgtRCOIntv, 40},
    };
    for (auto [pwgt, nl] : lstLimits)
        mscLimitText(pwgt, nl);

    if (!m_bCompEdit) {
        for (GtkWidget* pwgt : {m_pwgtPartNumber, m_pwgtPartRef, m_pwgtInspIntv, m_pwgtRCOIntv,
                                m_pwgtDescNote, m_pwgtSvcNotes})
            mscConnectField(pwgt, m_lstCardLUT, nullptr);
        return;
    }

    // The catalogue editor.
    mscConnectField(m_pwgtPartNumber, m_lstCardLUT, G_CALLBACK(ccdOnPartNmbrFocusOut));
    mscConnectField(m_pwgtPartRef, m_lstCardLUT, G_CALLBACK(ccdOnPartRefFocusOut));
    mscConnectField(m_pwgtPartDesc, m_lstCardLUT, G_CALLBACK(ccdOnPartDescFocusOut));
    mscConnectField(m_pwgtDescNote, m_lstCardLUT, G_CALLBACK(ccdDescNoteFocusOut));
    mscConnectField(m_pwgtInspIntv, m_lstCardLUT, G_CALLBACK(ccdInspIntvFocusOut));
    mscConnectField(m_pwgtRCOIntv, m_lstCardLUT, G_CALLBACK(ccdRCOIntvFocusOut));
    mscConnectField(m_pwgtSvcNotes, m_lstCardLUT, nullptr);
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

    for (GtkWidget* pwgt : {m_pwgtInspIntv, m_pwgtRCOIntv, m_pwgtPartNumber, m_pwgtPartRef})
        gtk_editable_set_editable(GTK_EDITABLE(pwgt), TRUE);
    for (GtkWidget* pwgt : {m_pwgtDescNote, m_pwgtSvcNotes}) {
        gtk_text_view_set_editable(GTK_TEXT_VIEW(pwgt), TRUE);
        gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(pwgt), TRUE);
    }
    for (const char* pszID :
         {"CompPartDesc", "CompPartDescLabel", "CompSortOrder", "CompSortLabel"})
        gtk_widget_show(mscGetWidget(pBuilder, pszID));
    gtk_widget_show(gtk_widget_get_parent(m_pwgtSNoteLabelSel));
    gtk_widget_show(grandParent(m_pwgtCompNew));
    gtk_widget_show(grandParent(m_lstOpts[0].pwgt));
    m_prcdSNoteCur = m_prcdSNote1.get();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_lstSlotButtons[0]), TRUE);
    // The editor's card is longer: more room above the record panel.
    gtk_paned_set_position(GTK_PANED(mscGetWidget(pBuilder, "CompRightPaned")), 440);
}

} // namespace

// ---- interface ----

void ccdInitialize(GtkBuilder* pBuilder, gboolean bCompEdit) {
    m_pBuilder = pBuilder;
    m_prcdComp = std::make_unique<rcdComp>();
    m_prcdSNote1 = std::make_unique<rcdSNote>();
    m_prcdSNote2 = std::make_unique<rcdSNote>();
    m_prcdSNote3 = std::make_unique<rcdSNote>();
    forgetRecords();
    m_prcdSNoteCur = nullptr;
    m_iACIDCur = 0;
    m_iCompRowType = TYPE_GRP;
    m_bGroupChosen = FALSE;
    m_bCompEdit = bCompEdit;
    m_pwgtCompPage = mscGetWidget(pBuilder, "CompPage");

    static const mntCardOps ops{
        [] { return static_cast<const rcdComp*>(m_prcdComp.get()); },
        [] { return gboolean(selectedCardRow() != nullptr); },
        [] { return m_iACIDCur; },
        ccdDueTimesUpdate,
    };
    mntInitialize(pBuilder, &ops);
    mntCompInitialize(pBuilder);
    setEditButtons(FALSE, FALSE);
    clearCardAndPanel();
    ccdMarkUpdate();
}

void ccdOnPageEnter() {
    if (!acdHasActiveAC()) {
        ccdClearCompPage();
        gtk_widget_hide(m_pwgtCompContent);
        gtk_widget_show(m_pwgtCompNoLog);
        gtk_widget_set_sensitive(m_pwgtCompNoLog, TRUE);
        return;
    }
    gtk_widget_show(m_pwgtCompContent);
    gtk_widget_hide(m_pwgtCompNoLog);
    const guint iACID = acdGetActiveAC()->iACID;
    if (iACID != m_iACIDCur) {
        savePending("ccdOnPageEnter()");
        forgetRecords();
        m_iCompRowType = TYPE_GRP;
        m_bGroupChosen = FALSE;
        clearCardAndPanel();
        refPageShow(FALSE);
        setEditButtons(FALSE, FALSE);
        m_iACIDCur = iACID;
        rebuildTree(ALL_ONES);
        gtk_widget_set_sensitive(m_pwgtCompPage, TRUE);
        return;
    }
    cmodMarkDue();
    if (m_iCompRowType != TYPE_COMP || !m_bCompSel)
        return;
    if (selectedCardRow()) {
        ccdDisplayUpdate();
        mntRefreshList(m_prcdComp->iCompID);
        return;
    }
    // Rebuilt while the page was away (the aircraft's options changed):
    // find the card again, or show none when it no longer fits.
    GtkTreeIter iter;
    if (cmodFindCompID(m_prcdComp->iCompID, &iter)) {
        selectCompRow(&iter);
    } else {
        forgetRecords();
        clearCardAndPanel();
        refPageShow(FALSE);
    }
}

void ccdOnPageLeave() {
    savePending("ccdOnPageLeave()");
}

void ccdCleanUp() {
    m_prcdComp.reset();
    m_prcdSNote1.reset();
    m_prcdSNote2.reset();
    m_prcdSNote3.reset();
    m_prcdSNoteCur = nullptr;
}

void ccdClearCompPage() {
    savePending("ccdClearCompPage()");
    forgetRecords();
    m_iCompRowType = TYPE_GRP;
    m_bGroupChosen = FALSE;
    // Coming back to the same aircraft must build its tree again.
    m_iACIDCur = 0;
    cmodClearModel();
    clearCardAndPanel();
    setEditButtons(FALSE, FALSE);
}

void ccdDisplayUpdate() {
    MscDisplayGuard guard;
    setEntry(m_pwgtPartNumber, m_prcdComp->szPartNmbr);
    setViewText(m_pwgtDescNote, m_prcdComp->szDescNotes);
    setEntry(m_pwgtPartRef, m_prcdComp->szPartRef);
    showServiceNotes();
    gchar sz[60];
    cnvDcdRCO(sz, sizeof sz, m_prcdComp->nInspIntv);
    setEntry(m_pwgtInspIntv, sz);
    cnvDcdRCO(sz, sizeof sz, m_prcdComp->nRCOIntv);
    setEntry(m_pwgtRCOIntv, sz);
    if (m_bCompEdit) {
        setEntry(m_pwgtPartDesc, m_prcdComp->szPartDesc);
        g_snprintf(sz, sizeof sz, "%u", m_prcdComp->iSortOrder);
        setEntry(m_pwgtSortOrder, sz);
        setEntry(m_pwgtSNoteLabel, m_prcdSNoteCur ? m_prcdSNoteCur->szLabel : "");
        // The selector attaches a note; the label entry names the one attached.
        gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtSNoteLabelSel), -1);
        for (const optEntry& o : m_lstOpts)
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(o.pwgt),
                                         (m_prcdComp.get()->*(o.pMask) & o.bBit) != 0);
    }
    ccdDisplaySensitive(TRUE);
    if (GtkTreeIter* piter = selectedCardRow())
        ccdDueUpdate(piter);
}

void ccdDisplayClear() {
    MscDisplayGuard guard;
    for (GtkWidget* pwgt : {m_pwgtPartNumber, m_pwgtPartRef, m_pwgtInspIntv, m_pwgtInspLast,
                            m_pwgtInspDue, m_pwgtRCOIntv, m_pwgtRCOLast, m_pwgtRCODue,
                            m_pwgtPartDesc, m_pwgtSortOrder, m_pwgtSNoteLabel})
        setEntry(pwgt, "");
    setViewText(m_pwgtDescNote, "");
    setViewText(m_pwgtSvcNotes, "");
    for (GtkWidget* pwgt : {m_pwgtInspDue, m_pwgtRCODue})
        setDueColour(pwgt, CCD_DUESTAT_NONE);
    if (m_bCompEdit)
        for (const optEntry& o : m_lstOpts)
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(o.pwgt), FALSE);
}

void ccdDisplaySensitive(gboolean bSensitive) {
    // Outside edit mode the card is read only: its entries stay greyed with
    // black text, the two texts can be scrolled and copied.
    for (GtkWidget* pwgt : {m_pwgtPartNumber, m_pwgtPartRef, m_pwgtInspIntv, m_pwgtRCOIntv,
                            m_pwgtPartDesc, m_pwgtSortOrder})
        gtk_widget_set_sensitive(pwgt, bSensitive && m_bCompEdit);
    for (GtkWidget* pwgt : {m_pwgtDescNote, m_pwgtSvcNotes})
        gtk_widget_set_sensitive(pwgt, bSensitive);
    if (m_bCompEdit) {
        gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtSNoteLabelSel), bSensitive);
        gtk_widget_set_sensitive(grandParent(m_lstOpts[0].pwgt), bSensitive);
    }
}

void ccdDueUpdate(GtkTreeIter* piterComp) {
    // The figures and texts of the due list, so that both read alike.
    cmodDueFigure lst[CCD_LIMIT_NUM];
    cmodDueFigures(piterComp, lst);
    const cmodDueFigure& insp = lst[CCD_LIMIT_INSP_HOURS];
    const cmodDueFigure& rcoHours = lst[CCD_LIMIT_RCO_HOURS];
    const cmodDueFigure& rcoCal = lst[CCD_LIMIT_RCO_CAL];

    setEntry(m_pwgtInspLast, dueHoursText(insp.nLastHours).c_str());
    // A card without an interval is never due for inspection: no due figure.
    setEntry(m_pwgtInspDue, duePointText(lst, true).c_str());
    setDueColour(m_pwgtInspDue, insp.nState);

    std::string str;
    if (rcoHours.bSet)
        str = dueHoursText(rcoHours.nLastHours);
    else if (rcoCal.bSet && rcoCal.tLast != -1)
        str = dueDateText(rcoCal.tLast);
    setEntry(m_pwgtRCOLast, str.c_str());

    str = duePointText(lst, false);
    if (str.empty() && (m_prcdComp->nRCOIntv & CNV_RCO_OC))
        str = "OC";
    setEntry(m_pwgtRCODue, str.c_str());
    setDueColour(m_pwgtRCODue, std::max(rcoHours.nState, rcoCal.nState));
}

void ccdMarkUpdate() {
    MscDisplayGuard guard;
    gchar sz[40];
    cnvDcdHours(sz, sizeof sz, cmodGetMarkHours());
    setEntry(m_pwgtMarkHours, sz);
    cnvDcdInterval(sz, sizeof sz, cmodGetMarkTime());
    setEntry(m_pwgtMarkTime, sz);
}

void ccdDueTimesUpdate() {
    GtkTreeIter* piter = selectedCardRow();
    if (!piter)
        return;
    mntState* pS = mmodCalcCompTimes();
    cmodUpdateRow(piter, m_prcdComp.get(), pS);
    // Judges every row, this card's too, and carries the worst state up.
    cmodMarkDue();
    ccdDueUpdate(piter);
}

gboolean ccdSelectCompID(guint iCompID) {
    if (!m_pBuilder || !acdHasActiveAC())
        return FALSE;
    GtkNotebook* pNotebook = GTK_NOTEBOOK(mscGetWidget(m_pBuilder, "MainNotebook"));
    const gint nPage = gtk_notebook_page_num(pNotebook, mscGetWidget(m_pBuilder, "PageComp"));
    if (gtk_notebook_get_current_page(pNotebook) != nPage)
        gtk_notebook_set_current_page(pNotebook, nPage); // runs the page protocol
    else
        mscCommitEdits(m_pwgtCompTree);
    GtkTreeIter iter;
    if (!cmodFindCompID(iCompID, &iter))
        return FALSE;
    savePending("ccdSelectCompID()");
    selectCompRow(&iter);
    gtk_window_present(GTK_WINDOW(gtk_widget_get_toplevel(m_pwgtCompTree)));
    return TRUE;
}
