#include "pagComp.h"

#include "avCnv.h"
#include "avError.h"
#include "avHelp.h"
#include "avMisc.h"
#include "avParam.h"
#include "modAC.h"
#include "modComp.h"
#include "modDue.h"
#include "modMaint.h"
#include "pagAC.h"
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
// Longest deferral in days anyone means; more is a typing error.
constexpr guint DEFER_DAYS_MAX = 99999;

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
const gchar* const m_pszRcdEntryHelp =
    "~U~CBTo enter a new Maintenance record:~c~u\n\n1.  Click on the ~I~Cb<new record>~c~i "
    "row\n2.  Click on ~I'enter date'~i\n3.  Type in the date and press <Enter> key\n4.  Select "
    "either ~BInspected~b, ~BReplaced~b or ~BDeferred~b\n5.  Enter any relevant maintenance "
    "notes\n\n~U~CBNotes on dates:~c~u\n\n1.\tDates are in dd/mm/yyyy format\n\t  ie. "
    "~B19/04/2010~b or ~B19 Apr 2010~b\n\n2.\tIf A/C flown same day as maintenance, time "
    "must\n\talso be entered.  ie. ~B19/04/2010 10:20~b\n";
const gchar* const m_pszRcdTypeHelp =
    "~U~CBMaintanence Record Type:~c~u\n\n~UInspected:~u\n\t- component inspected for condition, "
    "alignment, etc\n\n~UReplaced:~u\n\t- component was replaced with a new or used "
    "component\n\n~UDeferred:~\n\t - component inspection or replacement was deferred\n\n";
const gchar* const m_pszUsedHelp =
    "~U~CBReplace Used Component:~c~u\n\n~UHours~u:\n\t- flight hours on "
    "component\n\n~UAge~u:\n\t- calendar time on component. Only required\n\t  for calendar life "
    "limited components.\n\n\t  Valid age modifiers:  'Days', 'Weeks', 'Months', 'Years'\n\n";
const gchar* const m_pszDeferHelp = "~U~CBDefer Maintenance:~c~u\n\n~UHours~u:\n\t- A/F hours to "
                                    "defer maintenance for\n\n~UDays~u:\n\t- days to defer "
                                    "maintenance for\n\n";
const gchar* const m_pszNotesHelp =
    "~U~CBMaintenance Notes:~c~u\n\nEnter any relevant notes for this\nmaintenance record.";

// ---- page state ----

GtkBuilder* m_pBuilder = nullptr;
std::unique_ptr<rcdComp> m_prcdComp;
std::unique_ptr<rcdSNote> m_prcdSNote1, m_prcdSNote2, m_prcdSNote3;
rcdSNote* m_prcdSNoteCur = nullptr; // the slot being edited; null: all three shown
rcdMaint m_rcdMaint{};
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

gboolean m_bNewRcdDate = FALSE;
GtkTreeIter m_iterNewRcdDate;
gboolean m_bEntryOpen = FALSE; // the record shown is stored marked unfinished
time_t m_tMaintLast = 0;

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

GtkWidget* m_pwgtMaintTree = nullptr;
GtkWidget* m_pwgtMaintNotes = nullptr;
GtkWidget* m_pwgtMaintNotesLabel = nullptr;
GtkWidget* m_pwgtMaintCompHours = nullptr;
GtkWidget* m_pwgtMaintCompAge = nullptr;
GtkWidget* m_pwgtMaintDeferHours = nullptr;
GtkWidget* m_pwgtMaintDeferDays = nullptr;
GtkWidget* m_pwgtMaintInspect = nullptr;

const wgtLUT m_lstCardLUT[] = {
    {&m_pwgtPartNumber, nullptr}, {&m_pwgtPartDesc, nullptr}, {&m_pwgtDescNote, nullptr},
    {&m_pwgtPartRef, nullptr},    {&m_pwgtInspIntv, nullptr}, {&m_pwgtRCOIntv, nullptr},
    {&m_pwgtSvcNotes, nullptr},   {nullptr, nullptr},
};
const wgtLUT m_lstMaintLUT[] = {
    {&m_pwgtMaintCompHours, nullptr},  {&m_pwgtMaintCompAge, nullptr},
    {&m_pwgtMaintDeferHours, nullptr}, {&m_pwgtMaintDeferDays, nullptr},
    {&m_pwgtMaintNotes, nullptr},      {nullptr, nullptr},
};

// The kinds of record: toggle, flag byte, notes label; which box they open.
struct kindEntry {
    const char* pszID;
    guint bFlags;
    const char* pszNotesLabel;
    gboolean bUsedBox, bDeferBox;
    GtkWidget* pwgt;
};
std::array<kindEntry, 5> m_lstKinds{{
    {"MaintInspect", MNT_KIND_INSPECTED, "Inspection Notes", FALSE, FALSE, nullptr},
    {"MaintReplaceNew", MNT_KIND_REPLACE_NEW, "Reason for Replacement", FALSE, FALSE, nullptr},
    {"MaintReplaceUsed", MNT_KIND_REPLACE_USED, "Reason for Replacement", TRUE, FALSE, nullptr},
    {"MaintDeferInspect", MNT_KIND_DEFER_INSP, "Reason for Deferring Inspection", FALSE, TRUE,
     nullptr},
    {"MaintDeferReplace", MNT_KIND_DEFER_RCO, "Reason for Deferring Replacement", FALSE, TRUE,
     nullptr},
}};

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

gboolean recordShown() {
    return m_rcdMaint.iMaintID != ALL_ONES && m_rcdMaint.iMaintID != 0;
}

// ---- saving and forgetting ----

// Writes the record shown. While its entry is open it goes in marked
// unfinished, so that a kill in the middle leaves no record stating work
// the owner has not yet stated; the write on leaving the record finishes it.
gboolean storeMaint(const char* pszFunction, gboolean bFinish) {
    rcdMaint rcd = m_rcdMaint;
    if (m_bEntryOpen && !bFinish)
        rcd.bFlags |= MNT_FLAG_UNFINISHED;
    if (!sqlUpdateMaintRecord(&rcd, m_iACIDCur)) {
        showError(pszFunction);
        return FALSE;
    }
    m_rcdMaint.iMaintID = rcd.iMaintID;
    if (bFinish)
        m_bEntryOpen = FALSE;
    return TRUE;
}

// Writes whatever is changed: the maintenance record (always under the
// aircraft the tree was built for), the service notes, then the card. A
// note's ID goes onto the card only once the note is stored.
void savePending(const char* pszFunction) {
    if (!m_prcdComp)
        return; // after the clean-up nothing is held
    if (m_rcdMaint.bDirty) {
        if (recordShown() || m_rcdMaint.tComplete > 0)
            storeMaint(pszFunction, TRUE);
        m_rcdMaint.bDirty = FALSE;
        m_rcdMaint.bDateDirty = FALSE;
    }
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
    m_rcdMaint = rcdMaint{};
    m_bEntryOpen = FALSE;
    m_bCompSel = FALSE;
    m_bNewRcdDate = FALSE;
}

void loadMaintList(guint iCompID, guint iMaintID) {
    MscDisplayGuard guard;
    mmodLoadModel(iCompID, iMaintID);
    m_bNewRcdDate = FALSE;
    // The entry in hand is in the file marked unfinished; on screen it
    // counts as far as the owner has got with it.
    GtkTreeIter* piter = mmodGetSel();
    if (m_bEntryOpen && m_rcdMaint.bDirty && piter && iMaintID == m_rcdMaint.iMaintID) {
        mmodUpdateRow(piter, &m_rcdMaint);
        mmodCalcCompTimes();
    }
}

void clearMaintList() {
    MscDisplayGuard guard;
    mmodClearModel();
    m_bNewRcdDate = FALSE;
}

void mntDisplayClear();
void mntDisplaySensitive(gboolean bSensitive);
void mntRcdDisplayUpdate();
void mntTakeRow(GtkTreeIter* piter);

void clearCardAndPanel() {
    ccdDisplayClear();
    ccdDisplaySensitive(FALSE);
    mntDisplayClear();
    mntDisplaySensitive(FALSE);
    clearMaintList();
    gtk_widget_set_sensitive(m_pwgtMaintTree, FALSE);
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

    loadMaintList(iCompID, ALL_ONES);
    gtk_widget_set_sensitive(m_pwgtMaintTree, TRUE);
    if (GtkTreeIter* piterMaint = mmodGetSel()) {
        {
            MscDisplayGuard guard;
            mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtMaintTree), piterMaint);
        }
        mntTakeRow(piterMaint);
    } else {
        mntDisplayClear();
        mntDisplaySensitive(FALSE);
    }
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

// ---- maintenance panel ----

GtkTreeIter* selectedMaintRow(GtkTreeIter* piter) {
    GtkTreeModel* pModel = nullptr;
    if (!gtk_tree_selection_get_selected(
            gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtMaintTree)), &pModel, piter))
        return nullptr;
    return piter;
}

// The list row of the record shown, refreshed from the record.
void updateMaintRow() {
    GtkTreeIter iter;
    if (!selectedMaintRow(&iter))
        return;
    gulong iMaintID = 0;
    gtk_tree_model_get(mmodGetModel(), &iter, MNT_ID_COL, &iMaintID, -1);
    if (guint(iMaintID) == m_rcdMaint.iMaintID)
        mmodUpdateRow(&iter, &m_rcdMaint);
}

void mntDisplaySensitive(gboolean bSensitive) {
    gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtMaintInspect), bSensitive);
    gtk_widget_set_sensitive(grandParent(m_pwgtMaintNotes), bSensitive);
    if (!bSensitive) {
        gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtMaintCompHours), FALSE);
        gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtMaintDeferHours), FALSE);
    }
}

void mntDisplayClear() {
    MscDisplayGuard guard;
    for (GtkWidget* pwgt :
         {m_pwgtMaintCompHours, m_pwgtMaintCompAge, m_pwgtMaintDeferHours, m_pwgtMaintDeferDays})
        setEntry(pwgt, "");
    setViewText(m_pwgtMaintNotes, "");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_pwgtMaintInspect), TRUE);
    gtk_label_set_text(GTK_LABEL(m_pwgtMaintNotesLabel), m_lstKinds[0].pszNotesLabel);
    gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtMaintCompHours), FALSE);
    gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtMaintDeferHours), FALSE);
}

const kindEntry& kindOf(guint bFlags) {
    for (guint bBit :
         {MNT_KIND_REPLACE_NEW, MNT_KIND_REPLACE_USED, MNT_KIND_DEFER_INSP, MNT_KIND_DEFER_RCO})
        if (bFlags & bBit)
            for (const kindEntry& k : m_lstKinds)
                if (k.bFlags == bBit)
                    return k;
    return m_lstKinds[0];
}

void mntRcdDisplayUpdate() {
    MscDisplayGuard guard;
    const kindEntry& k = kindOf(m_rcdMaint.bFlags);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(k.pwgt), TRUE);
    gtk_label_set_text(GTK_LABEL(m_pwgtMaintNotesLabel), k.pszNotesLabel);
    gchar sz[40];
    cnvDcdHours(sz, sizeof sz, m_rcdMaint.nCompHours);
    setEntry(m_pwgtMaintCompHours, sz);
    cnvDcdInterval(sz, sizeof sz, m_rcdMaint.nCompAge);
    setEntry(m_pwgtMaintCompAge, sz);
    cnvDcdHours(sz, sizeof sz, m_rcdMaint.nDeferHours);
    setEntry(m_pwgtMaintDeferHours, sz);
    g_snprintf(sz, sizeof sz, "%u", m_rcdMaint.nDeferDays);
    setEntry(m_pwgtMaintDeferDays, sz);
    setViewText(m_pwgtMaintNotes, m_rcdMaint.szNotes);
    mntDisplaySensitive(TRUE);
    gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtMaintCompHours), k.bUsedBox);
    gtk_widget_set_sensitive(gtk_widget_get_parent(m_pwgtMaintDeferHours), k.bDeferBox);
}

void restoreNewRowLabel() {
    if (!m_bNewRcdDate)
        return;
    gtk_tree_store_set(GTK_TREE_STORE(mmodGetModel()), &m_iterNewRcdDate, MNT_STR_DATE_COL,
                       "<new record>", -1);
    m_bNewRcdDate = FALSE;
}

// Shows the list row just selected. Pending edits are saved by the caller.
void mntTakeRow(GtkTreeIter* piter) {
    gulong iMaintID = 0;
    guint nRowType = MNT_ROW_DATA;
    gtk_tree_model_get(mmodGetModel(), piter, MNT_ID_COL, &iMaintID, MNT_ROWTYPE_COL, &nRowType,
                       -1);
    m_rcdMaint = rcdMaint{};
    m_bEntryOpen = FALSE;
    if (nRowType == MNT_ROW_NEW) {
        m_rcdMaint.iMaintID = ALL_ONES;
        m_rcdMaint.iCompID = m_prcdComp->iCompID;
        mntDisplayClear();
        mntDisplaySensitive(FALSE);
        restoreNewRowLabel();
        gtk_tree_store_set(GTK_TREE_STORE(mmodGetModel()), piter, MNT_STR_DATE_COL, "enter date",
                           -1);
        m_bNewRcdDate = TRUE;
        m_iterNewRcdDate = *piter;
        return;
    }
    restoreNewRowLabel();
    if (!sqlLoadMaintRecord(&m_rcdMaint, guint(iMaintID)) && !sqlIsNoSuchRow())
        showError("mntOnRcdRowChanged()");
    if (m_rcdMaint.iMaintID != guint(iMaintID)) {
        m_rcdMaint = rcdMaint{};
        mntDisplayClear();
        mntDisplaySensitive(FALSE);
        return;
    }
    m_rcdMaint.bDirty = FALSE;
    // Left unfinished by a program that died: shown as it got, completed by
    // the owner's next change to it.
    m_bEntryOpen = (m_rcdMaint.bFlags & MNT_FLAG_UNFINISHED) != 0;
    m_rcdMaint.bFlags &= guint8(~MNT_FLAG_UNFINISHED);
    mntRcdDisplayUpdate();
}

void mntOnRcdRowChanged(GtkTreeSelection* pSelection, gpointer) {
    if (mscDisplaying() || !m_prcdComp)
        return;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(pSelection, nullptr, &iter))
        return;
    commitEditsFor(m_pwgtMaintTree);
    if (!gtk_tree_selection_get_selected(pSelection, nullptr, &iter))
        return;
    if (m_rcdMaint.bDirty) {
        if (recordShown())
            storeMaint("mntOnRcdRowChanged()", TRUE);
        m_rcdMaint.bDirty = FALSE;
    }
    mntTakeRow(&iter);
}

void takeTypedDate(const gchar* pszPath, const gchar* pszText);

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
    if (m_prcdComp && pszPath)
        takeTypedDate(pszPath, pszDate);
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
gboolean mntOnDateEditorFocusOut(GtkWidget* pwgtEditor, GdkEventFocus*, gpointer) {
    const auto* pszStart =
        static_cast<const gchar*>(g_object_get_data(G_OBJECT(pwgtEditor), "avl-date-start"));
    const auto* pszPath =
        static_cast<const gchar*>(g_object_get_data(G_OBJECT(pwgtEditor), "avl-date-path"));
    const gchar* pszText = gtk_entry_get_text(GTK_ENTRY(pwgtEditor));
    if (pszStart && pszPath && strcmp(pszStart, pszText) != 0)
        queueTypedDate(pszPath, pszText);
    return FALSE;
}

void mntOnDateEditStart(GtkCellRenderer*, GtkCellEditable* pEditable, const gchar* pszPath,
                        gpointer) {
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
    GtkTreeSelection* pSel = gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtMaintTree));
    if (!gtk_tree_selection_iter_is_selected(pSel, &iter))
        gtk_tree_selection_select_iter(pSel, &iter);
    // A stored record's editor starts from its own date; the new record's
    // from the last date entered, or today: records come in batches.
    if (nRowType == MNT_ROW_NEW) {
        time_t t = m_tMaintLast;
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
    g_signal_connect(pEditable, "focus-out-event", G_CALLBACK(mntOnDateEditorFocusOut), nullptr);
}

void mntOnDateEdited(GtkCellRendererText*, const gchar* pszPath, const gchar* pszText, gpointer) {
    queueTypedDate(pszPath, pszText);
}

void takeTypedDate(const gchar* pszPath, const gchar* pszText) {
    GtkTreeIter iter;
    if (!selectedCardRow() || !gtk_tree_model_get_iter_from_string(mmodGetModel(), &iter, pszPath))
        return;
    gulong iMaintID = 0;
    guint nRowType = MNT_ROW_DATA;
    gtk_tree_model_get(mmodGetModel(), &iter, MNT_ID_COL, &iMaintID, MNT_ROWTYPE_COL, &nRowType,
                       -1);
    // Only the record shown takes the date.
    if (nRowType == MNT_ROW_NEW ? m_rcdMaint.iMaintID != ALL_ONES
                                : guint(iMaintID) != m_rcdMaint.iMaintID || !recordShown())
        return;
    time_t t = 0;
    const gchar* pszWhy = nullptr;
    if (!cnvReadDate(&t, pszText, TRUE, &pszWhy)) {
        mscRefuse(m_pwgtMaintTree, pszWhy ? pszWhy : "Not a date");
        return;
    }
    if (t == m_rcdMaint.tComplete)
        return;
    const rcdAC* prcdAC = acdGetActiveAC();
    if (prcdAC && prcdAC->tManu > 0 && t < prcdAC->tManu) {
        mscRefuse(m_pwgtMaintTree, "This date is before the aircraft was built");
        return;
    }
    if (!mscKeepFutureDate(m_pwgtMaintTree, t, "The maintenance record"))
        return;
    const gboolean bNew = m_rcdMaint.iMaintID == ALL_ONES;
    m_rcdMaint.tComplete = t;
    m_rcdMaint.iCompID = m_prcdComp->iCompID;
    m_tMaintLast = t;
    prmSetKeyTime(PRM_MAINT_LAST_DATE, t);
    // A new record is stored at once, but as an open entry: the kind and
    // figures the owner is about to give are not known yet.
    m_bEntryOpen = m_bEntryOpen || bNew;
    if (!storeMaint("mntOnDateEdited()", !m_bEntryOpen)) {
        m_bEntryOpen = m_bEntryOpen && !bNew;
        m_rcdMaint.bDirty = FALSE;
        return;
    }
    // An open entry stays changed: leaving it finishes it.
    m_rcdMaint.bDirty = m_bEntryOpen;
    m_rcdMaint.bDateDirty = FALSE;
    mscRefuseClear();
    // Reloaded so that the record moves to its place by date.
    loadMaintList(m_prcdComp->iCompID, m_rcdMaint.iMaintID);
    ccdDueTimesUpdate();
    if (GtkTreeIter* piterSel = mmodGetSel()) {
        MscDisplayGuard guard;
        mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtMaintTree), piterSel);
    }
    mntRcdDisplayUpdate();
}

// An open entry goes to the file as it grows, still unfinished, so that a
// kill loses as little of it as it can.
void keepEntry() {
    if (m_bEntryOpen)
        storeMaint("mntKeepEntry()", FALSE);
}

// On "clicked", not "toggled": choosing again the kind an unfinished entry
// shows is how the owner confirms it.
void mntOnKindClicked(GtkButton* pwgt, gpointer pData) {
    if (mscDisplaying() || !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pwgt)) || !recordShown())
        return;
    const kindEntry* pKind = static_cast<const kindEntry*>(pData);
    if (m_rcdMaint.bFlags == pKind->bFlags && (m_rcdMaint.bDirty || !m_bEntryOpen))
        return;
    m_rcdMaint.bFlags = guint8(pKind->bFlags);
    m_rcdMaint.bDirty = TRUE;
    keepEntry();
    mntRcdDisplayUpdate();
    updateMaintRow();
    ccdDueTimesUpdate();
    if (pKind->bUsedBox)
        gtk_widget_grab_focus(m_pwgtMaintCompHours);
    else if (pKind->bDeferBox)
        gtk_widget_grab_focus(m_pwgtMaintDeferHours);
}

// A changed figure of the record: the list row, the card and the colours follow.
void takeFigure(guint* pnField, guint n, gboolean bDateDirty) {
    if (n != *pnField) {
        *pnField = n;
        m_rcdMaint.bDirty = TRUE;
        if (bDateDirty)
            m_rcdMaint.bDateDirty = TRUE;
        keepEntry();
        updateMaintRow();
        ccdDueTimesUpdate();
    }
    mntRcdDisplayUpdate();
}

void refuseFigure(GtkWidget* pwgt, const gchar* pszWhy) {
    mntRcdDisplayUpdate();
    mscRefuse(pwgt, pszWhy);
}

// The question before a used part past the card's limit is fitted, or
// null: such a part is far more often a typing error than a part fitted
// to be flown off on a deferral. The caller frees it.
gchar* usedPartQuestion(guint nHours, guint nAge) {
    const guint nRCO = m_prcdComp->nRCOIntv;
    const guint nLimitHours = nRCO & CNV_RCO_HOURS_MASK;
    const guint nYears = (nRCO & CNV_RCO_YEARS_MASK) >> CNV_RCO_YEARS_SHIFT;
    gchar sz[40];
    if (nLimitHours && nHours > nLimitHours * 10) {
        cnvDcdHours(sz, sizeof sz, nHours);
        return g_markup_printf_escaped(
            "The used part has %s hours, more than its limit of %u hours. Keep it?", sz,
            nLimitHours);
    }
    const time_t tFitted = m_rcdMaint.tComplete > 0 ? m_rcdMaint.tComplete : time(nullptr);
    if (nYears && nAge &&
        cnvAddCalendar(cnvAddInterval(tFitted, nAge, -1), INTV_YEAR, nYears) < tFitted) {
        cnvDcdInterval(sz, sizeof sz, nAge);
        return g_markup_printf_escaped(
            "The used part is %s old, older than its life of %u years. Keep it?", sz, nYears);
    }
    return nullptr;
}

// TRUE unless the figure makes the used part past its limit and the owner
// answers Cancel.
gboolean keepUsedPart(GtkWidget* pwgt, guint nHours, guint nAge) {
    gchar* pszQuestion = usedPartQuestion(nHours, nAge);
    if (!pszQuestion)
        return TRUE;
    const gboolean bKeep = mscConfirm(pwgt, "Used part past its limit", pszQuestion);
    g_free(pszQuestion);
    return bKeep;
}

gboolean takeHoursField(GtkWidget* pwgt, guint* pnField, gboolean bUsedPart, const gchar* pszWhy) {
    if (mscDisplaying() || !recordShown())
        return FALSE;
    const gchar* pszText = gtk_entry_get_text(GTK_ENTRY(pwgt));
    guint n = 0;
    if (!isBlank(pszText) && !cnvEncHours(&n, pszText, CNV_HOURS_MAX)) {
        refuseFigure(pwgt, pszWhy);
        return FALSE;
    }
    if (bUsedPart && n != *pnField && !keepUsedPart(pwgt, n, 0)) {
        mntRcdDisplayUpdate();
        return FALSE;
    }
    takeFigure(pnField, n, bUsedPart);
    return FALSE;
}

gboolean mntCompHoursFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    return takeHoursField(pwgt, &m_rcdMaint.nCompHours, TRUE,
                          "Hours on the part: type hours such as 120 or 120.5");
}

gboolean mntDeferHoursFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    return takeHoursField(pwgt, &m_rcdMaint.nDeferHours, FALSE,
                          "Deferral hours: type hours such as 10 or 12.5");
}

gboolean mntCompAgeFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying() || !recordShown())
        return FALSE;
    const gchar* pszText = gtk_entry_get_text(GTK_ENTRY(pwgt));
    guint n = 0;
    const gchar* pszWhy = nullptr;
    if (!isBlank(pszText) && !cnvReadInterval(&n, pszText, &pszWhy)) {
        gchar* pszMsg = g_strdup_printf("%s The age stays as it was.", pszWhy);
        refuseFigure(pwgt, pszMsg);
        g_free(pszMsg);
        return FALSE;
    }
    if (n != m_rcdMaint.nCompAge && !keepUsedPart(pwgt, 0, n)) {
        mntRcdDisplayUpdate();
        return FALSE;
    }
    takeFigure(&m_rcdMaint.nCompAge, n, TRUE);
    return FALSE;
}

gboolean mntDeferDaysFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscDisplaying() || !recordShown())
        return FALSE;
    const gchar* pszText = gtk_entry_get_text(GTK_ENTRY(pwgt));
    guint n = 0;
    if (!isBlank(pszText) && !parseCount(pszText, DEFER_DAYS_MAX, &n)) {
        refuseFigure(pwgt, "Deferral days: type a whole number of days, 0 or more");
        return FALSE;
    }
    takeFigure(&m_rcdMaint.nDeferDays, n, FALSE);
    return FALSE;
}

gboolean mntNotesFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!mscDisplaying() && recordShown() &&
        mscTextViewStore(pwgt, m_rcdMaint.szNotes, sizeof m_rcdMaint.szNotes)) {
        m_rcdMaint.bDirty = TRUE;
        keepEntry();
    }
    return FALSE;
}

// The entry the tree edits a date in, while it does.
GtkWidget* dateEditor() {
    GtkWidget* pwgtEditor = nullptr;
    GList* pChildren = gtk_container_get_children(GTK_CONTAINER(m_pwgtMaintTree));
    for (GList* p = pChildren; p; p = p->next)
        if (GTK_IS_ENTRY(p->data))
            pwgtEditor = GTK_WIDGET(p->data);
    g_list_free(pChildren);
    return pwgtEditor;
}

// F2 opens the date editor of the row under the keyboard cursor; on the
// new-record row typing opens it too, starting with what was typed.
gboolean startDateEditByKey(const GdkEventKey* pevtKey) {
    if (pevtKey->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK))
        return FALSE;
    const gunichar c = gdk_keyval_to_unicode(pevtKey->keyval);
    const gboolean bF2 = pevtKey->keyval == GDK_F2;
    if (!bF2 && !(c && g_unichar_isalnum(c)))
        return FALSE;
    GtkTreeView* pTree = GTK_TREE_VIEW(m_pwgtMaintTree);
    GtkTreePath* pPath = nullptr;
    gtk_tree_view_get_cursor(pTree, &pPath, nullptr);
    GtkTreeIter iter;
    guint nRowType = MNT_ROW_DATA;
    if (pPath && gtk_tree_model_get_iter(mmodGetModel(), &iter, pPath))
        gtk_tree_model_get(mmodGetModel(), &iter, MNT_ROWTYPE_COL, &nRowType, -1);
    const gboolean bOpen = pPath && (bF2 || nRowType == MNT_ROW_NEW);
    if (bOpen)
        gtk_tree_view_set_cursor(pTree, pPath, gtk_tree_view_get_column(pTree, 0), TRUE);
    gtk_tree_path_free(pPath);
    GtkWidget* pwgtEditor = bOpen && !bF2 ? dateEditor() : nullptr;
    if (pwgtEditor) {
        gchar szChar[8];
        const gint nl = g_unichar_to_utf8(c, szChar);
        gtk_editable_delete_selection(GTK_EDITABLE(pwgtEditor));
        gint nPos = gtk_editable_get_position(GTK_EDITABLE(pwgtEditor));
        gtk_editable_insert_text(GTK_EDITABLE(pwgtEditor), szChar, nl, &nPos);
        gtk_editable_set_position(GTK_EDITABLE(pwgtEditor), nPos);
    }
    return bOpen;
}

// A click that brings the focus into the list only selects the row; the
// date editor opens on a further click on the selected row's date. So a
// click on a record and Delete deletes the record, not the text of its date.
gboolean mntOnTreeButtonPress(GtkWidget* pwgt, GdkEventButton* pevt, gpointer) {
    GtkTreeView* pTree = GTK_TREE_VIEW(pwgt);
    if (pevt->type != GDK_BUTTON_PRESS || pevt->button != 1 || gtk_widget_has_focus(pwgt) ||
        pevt->window != gtk_tree_view_get_bin_window(pTree))
        return FALSE;
    GtkTreePath* pPath = nullptr;
    if (!gtk_tree_view_get_path_at_pos(pTree, gint(pevt->x), gint(pevt->y), &pPath, nullptr,
                                       nullptr, nullptr))
        return FALSE;
    gtk_widget_grab_focus(pwgt);
    gtk_tree_view_set_cursor(pTree, pPath, nullptr, FALSE);
    gtk_tree_path_free(pPath);
    return TRUE;
}

gboolean mntOnTreeKeyPress(GtkWidget*, GdkEventKey* pevtKey, gpointer) {
    if (pevtKey->keyval != GDK_Delete && pevtKey->keyval != GDK_KP_Delete)
        return startDateEditByKey(pevtKey);
    GtkTreeIter iter;
    gulong iMaintID = 0;
    if (!selectedMaintRow(&iter) || !recordShown())
        return FALSE;
    gtk_tree_model_get(mmodGetModel(), &iter, MNT_ID_COL, &iMaintID, -1);
    if (guint(iMaintID) != m_rcdMaint.iMaintID)
        return FALSE;
    gchar szDate[40];
    cnvDcdDate(szDate, sizeof szDate, m_rcdMaint.tComplete, CNV_DCD_WITH_TIME);
    const gchar* pszKind = mmodKindText(m_rcdMaint.bFlags);
    gchar* pszQuestion = g_markup_printf_escaped(
        "<span color='dark blue'>This Maintenance Record will be deleted: %s, %s, \"%s\".</span>"
        "\n\n<span color='blue'>Are you sure?</span>",
        szDate, *pszKind ? pszKind : "Inspected", m_prcdComp->szPartDesc);
    const gboolean bDelete = mscConfirmDelete(
        m_pwgtMaintTree, "<span color='red'><b>*** Delete Maintenance Record ***</b></span>",
        pszQuestion);
    g_free(pszQuestion);
    if (bDelete) {
        m_rcdMaint.bDelete = TRUE;
        if (!sqlUpdateMaintRecord(&m_rcdMaint, m_iACIDCur)) {
            showError("mntOnTreeKeyPress()");
            m_rcdMaint.bDelete = FALSE;
            return TRUE;
        }
        m_rcdMaint = rcdMaint{};
        m_bEntryOpen = FALSE;
        loadMaintList(m_prcdComp->iCompID, ALL_ONES);
        ccdDueTimesUpdate();
        mntDisplayClear();
        mntDisplaySensitive(FALSE);
    }
    return TRUE;
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

// The new-record row is blue; a record that needs the owner's eye (its
// tooltip says why) red.
void maintCellData(GtkTreeViewColumn*, GtkCellRenderer* pRenderer, GtkTreeModel* pModel,
                   GtkTreeIter* piter, gpointer) {
    guint nStyle = 0, nRowType = MNT_ROW_DATA;
    gchar* pszWarn = nullptr;
    gtk_tree_model_get(pModel, piter, MNT_STYLE_COL, &nStyle, MNT_ROWTYPE_COL, &nRowType,
                       MNT_WARN_COL, &pszWarn, -1);
    g_object_set(pRenderer, "style", PangoStyle(nStyle), "foreground", pszWarn ? "red" : "blue",
                 "foreground-set", pszWarn || nRowType == MNT_ROW_NEW, nullptr);
    g_free(pszWarn);
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

void initMaintTree() {
    GtkTreeView* pTree = GTK_TREE_VIEW(m_pwgtMaintTree);
    GtkCellRenderer* pRenderer = gtk_cell_renderer_text_new();
    g_object_set(pRenderer, "editable", TRUE, nullptr);
    GtkTreeViewColumn* pColumn = gtk_tree_view_column_new_with_attributes(
        "Maintenance\nDate", pRenderer, "text", MNT_STR_DATE_COL, nullptr);
    gtk_tree_view_column_set_cell_data_func(pColumn, pRenderer, maintCellData, nullptr, nullptr);
    gtk_tree_view_append_column(pTree, pColumn);
    g_signal_connect(pRenderer, "edited", G_CALLBACK(mntOnDateEdited), nullptr);
    g_signal_connect(pRenderer, "editing-started", G_CALLBACK(mntOnDateEditStart), nullptr);

    struct {
        const char* pszTitle;
        gint nCol;
        gfloat xAlign;
        gint nChars;
    } const lstCols[] = {{"Comp\nHRS", MNT_COMP_HRS_COL, 1.0f, -1},
                         {"A/F\nHRS", MNT_STR_AF_HRS_COL, 1.0f, -1},
                         {"", MNT_STR_TYPE_COL, 0.0f, 8}};
    for (const auto& c : lstCols) {
        pRenderer = gtk_cell_renderer_text_new();
        g_object_set(pRenderer, "xalign", c.xAlign, "width-chars", c.nChars, nullptr);
        pColumn = gtk_tree_view_column_new_with_attributes(c.pszTitle, pRenderer, "text", c.nCol,
                                                           nullptr);
        gtk_tree_view_append_column(pTree, pColumn);
    }
    // The kind is shown by the buttons beside the list as well: on a narrow
    // screen it takes the room that is left, shortened, rather than hiding
    // behind a scroll bar. The list is flat, so no room for expanders.
    g_object_set(pRenderer, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
    gtk_tree_view_column_set_expand(pColumn, TRUE);
    gtk_tree_view_set_show_expanders(pTree, FALSE);
    gtk_tree_view_set_model(pTree, mmodGetModel());
    gtk_tree_view_set_tooltip_column(pTree, MNT_WARN_COL);
    g_signal_connect(pTree, "key-press-event", G_CALLBACK(mntOnTreeKeyPress), nullptr);
    g_signal_connect(pTree, "button-press-event", G_CALLBACK(mntOnTreeButtonPress), nullptr);
    g_signal_connect(gtk_tree_view_get_selection(pTree), "changed", G_CALLBACK(mntOnRcdRowChanged),
                     nullptr);
}

void mntMaintInitialize(GtkBuilder* pBuilder) {
    m_pwgtMaintTree = mscGetWidget(pBuilder, "MaintTree");
    m_pwgtMaintNotes = mscGetWidget(pBuilder, "MaintNotes");
    m_pwgtMaintNotesLabel = mscGetWidget(pBuilder, "MaintNotesLabel");
    m_pwgtMaintCompHours = mscGetWidget(pBuilder, "MaintCompHours");
    m_pwgtMaintCompAge = mscGetWidget(pBuilder, "MaintCompAge");
    m_pwgtMaintDeferHours = mscGetWidget(pBuilder, "MaintDeferHours");
    m_pwgtMaintDeferDays = mscGetWidget(pBuilder, "MaintDeferDays");
    for (kindEntry& k : m_lstKinds) {
        k.pwgt = mscGetWidget(pBuilder, k.pszID);
        g_signal_connect(k.pwgt, "clicked", G_CALLBACK(mntOnKindClicked), &k);
        connectHelp(k.pwgt, m_pszRcdTypeHelp);
    }
    m_pwgtMaintInspect = m_lstKinds[0].pwgt;
    connectHelp(mscGetWidget(pBuilder, "MaintInspectCHelp"), m_pszRcdTypeHelp);
    connectHelp(mscGetWidget(pBuilder, "MaintFrame"), m_pszRcdEntryHelp);
    connectHelp(m_pwgtMaintTree, m_pszRcdEntryHelp);

    mscConnectField(m_pwgtMaintCompHours, m_lstMaintLUT, G_CALLBACK(mntCompHoursFocusOut));
    mscConnectField(m_pwgtMaintCompAge, m_lstMaintLUT, G_CALLBACK(mntCompAgeFocusOut));
    mscConnectField(m_pwgtMaintDeferHours, m_lstMaintLUT, G_CALLBACK(mntDeferHoursFocusOut));
    mscConnectField(m_pwgtMaintDeferDays, m_lstMaintLUT, G_CALLBACK(mntDeferDaysFocusOut));
    mscConnectField(m_pwgtMaintNotes, m_lstMaintLUT, G_CALLBACK(mntNotesFocusOut));
    for (GtkWidget* pwgt : {m_pwgtMaintCompHours, m_pwgtMaintCompAge})
        connectHelp(pwgt, m_pszUsedHelp);
    for (GtkWidget* pwgt : {m_pwgtMaintDeferHours, m_pwgtMaintDeferDays})
        connectHelp(pwgt, m_pszDeferHelp);
    connectHelp(m_pwgtMaintNotes, m_pszNotesHelp);
    for (GtkWidget* pwgt :
         {m_pwgtMaintCompHours, m_pwgtMaintCompAge, m_pwgtMaintDeferHours, m_pwgtMaintDeferDays})
        mscLimitText(pwgt, 20);
    mscLimitText(m_pwgtMaintNotes, sizeof m_rcdMaint.szNotes);

    initMaintTree();
    const time_t tLast = prmGetKeyTime(PRM_MAINT_LAST_DATE);
    m_tMaintLast = tLast > 0 ? tLast : 0;
    m_bNewRcdDate = FALSE;
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
    m_lstOpts.clear();
    for (const amodOptList& lst : amodOptLists())
        for (const amodOption& opt : lst.lstOpt)
            if (opt.pszCheckID)
                m_lstOpts.push_back({opt.pszCheckID, lst.pMask, 1u << opt.iCode,
                                     mscGetWidget(pBuilder, opt.pszCheckID)});

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

    mntMaintInitialize(pBuilder);
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
        // Flights logged meanwhile change the records' airframe hours: list
        // them again with the same record shown.
        if (recordShown()) {
            loadMaintList(m_prcdComp->iCompID, m_rcdMaint.iMaintID);
            if (GtkTreeIter* piterMaint = mmodGetSel()) {
                MscDisplayGuard guard;
                mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtMaintTree), piterMaint);
            }
        }
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
