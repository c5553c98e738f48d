#include "pagMaint.h"

#include "avCnv.h"
#include "avDefect.h"
#include "avError.h"
#include "avHelp.h"
#include "avMisc.h"
#include "avParam.h"
#include "modAC.h"
#include "modMaint.h"
#include "pagMaintDate.h"
#include "rcdAC.h"
#include "rcdComp.h"
#include "rcdMaint.h"
#include "sqlMLog.h"

#include <gdk/gdkkeysyms.h>

#include <array>
#include <initializer_list>

namespace {

constexpr guint ALL_ONES = 0xFFFFFFFFu;
// Longest deferral in days anyone means; more is a typing error.
constexpr guint DEFER_DAYS_MAX = 99999;

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

// ---- panel state ----

const mntCardOps* m_pOps = nullptr;
rcdMaint m_rcdMaint{};
gboolean m_bNewRcdDate = FALSE;
GtkTreeIter m_iterNewRcdDate;
gboolean m_bEntryOpen = FALSE; // the record shown is stored marked unfinished
time_t m_tMaintLast = 0;

// ---- widgets ----

GtkWidget* m_pwgtMaintTree = nullptr;
GtkWidget* m_pwgtMaintNotes = nullptr;
GtkWidget* m_pwgtMaintNotesLabel = nullptr;
GtkWidget* m_pwgtMaintCompHours = nullptr;
GtkWidget* m_pwgtMaintCompAge = nullptr;
GtkWidget* m_pwgtMaintDeferHours = nullptr;
GtkWidget* m_pwgtMaintDeferDays = nullptr;
GtkWidget* m_pwgtMaintInspect = nullptr;

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

// ---- small helpers ----

void showError(const char* pszFunction) {
    dlgError(sqlLastError(), pszFunction, "pagMaint");
}

GtkWidget* grandParent(GtkWidget* pwgt) {
    return gtk_widget_get_parent(gtk_widget_get_parent(pwgt));
}

// The card the records belong to; null once the page has let go of it.
const rcdComp* card() {
    return m_pOps->pfnCard();
}

gboolean recordShown() {
    return m_rcdMaint.iMaintID != ALL_ONES && m_rcdMaint.iMaintID != 0;
}

// Writes the record shown. While its entry is open it goes in marked
// unfinished, so that a kill in the middle leaves no record stating work
// the owner has not yet stated; the write on leaving the record finishes it.
gboolean storeMaint(const char* pszFunction, gboolean bFinish) {
    rcdMaint rcd = m_rcdMaint;
    if (m_bEntryOpen && !bFinish)
        rcd.bFlags |= MNT_FLAG_UNFINISHED;
    if (!sqlUpdateMaintRecord(&rcd, m_pOps->pfnACID())) {
        showError(pszFunction);
        return FALSE;
    }
    m_rcdMaint.iMaintID = rcd.iMaintID;
    if (bFinish)
        m_bEntryOpen = FALSE;
    return TRUE;
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

// Marks in the list the row the list model has selected, without running
// the list's own handler.
GtkTreeIter* selectListedRow() {
    GtkTreeIter* piter = mmodGetSel();
    if (piter) {
        MscDisplayGuard guard;
        mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtMaintTree), piter);
    }
    return piter;
}

void clearMaintList() {
    MscDisplayGuard guard;
    mmodClearModel();
    m_bNewRcdDate = FALSE;
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
        mscSetEntry(pwgt, "");
    mscSetViewText(m_pwgtMaintNotes, "");
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
    mscSetEntry(m_pwgtMaintCompHours, sz);
    cnvDcdInterval(sz, sizeof sz, m_rcdMaint.nCompAge);
    mscSetEntry(m_pwgtMaintCompAge, sz);
    cnvDcdHours(sz, sizeof sz, m_rcdMaint.nDeferHours);
    mscSetEntry(m_pwgtMaintDeferHours, sz);
    g_snprintf(sz, sizeof sz, "%u", m_rcdMaint.nDeferDays);
    mscSetEntry(m_pwgtMaintDeferDays, sz);
    mscSetViewText(m_pwgtMaintNotes, m_rcdMaint.szNotes);
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
        m_rcdMaint.iCompID = card()->iCompID;
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
        showError("mntTakeRow()");
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
    if (mscDisplaying() || !card())
        return;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(pSelection, nullptr, &iter))
        return;
    mscCommitEditsFor(m_pwgtMaintTree);
    if (!gtk_tree_selection_get_selected(pSelection, nullptr, &iter))
        return;
    if (m_rcdMaint.bDirty) {
        if (recordShown())
            storeMaint("mntOnRcdRowChanged()", TRUE);
        m_rcdMaint.bDirty = FALSE;
    }
    mntTakeRow(&iter);
}

void takeTypedDate(const gchar* pszPath, const gchar* pszText) {
    GtkTreeIter iter;
    if (!m_pOps->pfnCardInTree() ||
        !gtk_tree_model_get_iter_from_string(mmodGetModel(), &iter, pszPath))
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
    m_rcdMaint.iCompID = card()->iCompID;
    m_tMaintLast = t;
    prmSetKeyTime(PRM_MAINT_LAST_DATE, t);
    // A new record is stored at once, but as an open entry: the kind and
    // figures the owner is about to give are not known yet.
    m_bEntryOpen = m_bEntryOpen || bNew;
    if (!storeMaint("takeTypedDate()", !m_bEntryOpen)) {
        m_bEntryOpen = m_bEntryOpen && !bNew;
        m_rcdMaint.bDirty = FALSE;
        return;
    }
    // An open entry stays changed: leaving it finishes it.
    m_rcdMaint.bDirty = m_bEntryOpen;
    m_rcdMaint.bDateDirty = FALSE;
    mscRefuseClear();
    // Reloaded so that the record moves to its place by date.
    loadMaintList(card()->iCompID, m_rcdMaint.iMaintID);
    m_pOps->pfnDueChanged();
    selectListedRow();
    mntRcdDisplayUpdate();
}

// An open entry goes to the file as it grows, still unfinished, so that a
// kill loses as little of it as it can.
void keepEntry() {
    if (m_bEntryOpen)
        storeMaint("keepEntry()", FALSE);
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
    m_pOps->pfnDueChanged();
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
        m_pOps->pfnDueChanged();
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
    const guint nRCO = card()->nRCOIntv;
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
    if (!mscIsBlank(pszText) && !cnvEncHours(&n, pszText, CNV_HOURS_MAX)) {
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
    if (!mscIsBlank(pszText) && !cnvReadInterval(&n, pszText, &pszWhy)) {
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
    if (!mscIsBlank(pszText) && !mscReadCount(pszText, DEFER_DAYS_MAX, &n)) {
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
        szDate, *pszKind ? pszKind : "Inspected", card()->szPartDesc);
    const gboolean bDelete = dfctConfirmDelete(
        m_pwgtMaintTree, "<span color='red'><b>*** Delete Maintenance Record ***</b></span>",
        pszQuestion, 0, m_rcdMaint.iMaintID);
    g_free(pszQuestion);
    if (bDelete) {
        m_rcdMaint.bDelete = TRUE;
        // A defect it cleared is open again, in the same write.
        const std::string strWhat = std::string("maintenance record of ") + szDate;
        gboolean bOK = sqlBeginWrite(FALSE);
        bOK = bOK && dfctForget(0, m_rcdMaint.iMaintID, strWhat.c_str());
        bOK = bOK && sqlUpdateMaintRecord(&m_rcdMaint, m_pOps->pfnACID());
        if (!sqlEndWrite(FALSE, bOK) || !bOK) {
            showError("mntOnTreeKeyPress()");
            m_rcdMaint.bDelete = FALSE;
            dfctChanged();
            return TRUE;
        }
        m_rcdMaint = rcdMaint{};
        m_bEntryOpen = FALSE;
        loadMaintList(card()->iCompID, ALL_ONES);
        m_pOps->pfnDueChanged();
        mntDisplayClear();
        mntDisplaySensitive(FALSE);
    }
    return TRUE;
}

// "Clears Defect…": the record shown fixed one of the open defects.
void mntOnClearsDefect(GtkButton* pwgt, gpointer) {
    if (!recordShown() || !card()) {
        mscRefuse(GTK_WIDGET(pwgt), "Choose the maintenance record that fixed the defect.");
        return;
    }
    // Choosing the defect leaves the record: it is stored as it stands.
    if ((m_rcdMaint.bDirty || m_bEntryOpen) && storeMaint("mntOnClearsDefect()", TRUE))
        m_rcdMaint.bDirty = FALSE;
    dfctClearByRecordDialog(GTK_WIDGET(pwgt), m_rcdMaint.iMaintID, card()->iCompID,
                            m_rcdMaint.tComplete);
}

// "Report Defect…": found on the card in hand, dated today.
void mntOnReportDefect(GtkButton* pwgt, gpointer) {
    if (!card() || !m_pOps->pfnCardInTree()) {
        mscRefuse(GTK_WIDGET(pwgt), "Choose the component the defect was found on.");
        return;
    }
    dfctReportDialog(GTK_WIDGET(pwgt), 0, card()->iCompID,
                     time(nullptr) / SECONDS_PER_DAY * SECONDS_PER_DAY);
}

// Under the record: the defects of the card in hand.
void addDefectButtons(GtkBuilder* pBuilder) {
    GtkWidget* pwgtBox = mscGetWidget(pBuilder, "MaintEditBox");
    if (!pwgtBox || !GTK_IS_BOX(pwgtBox))
        return;
    GtkWidget* pwgtRow = gtk_hbutton_box_new();
    gtk_button_box_set_layout(GTK_BUTTON_BOX(pwgtRow), GTK_BUTTONBOX_SPREAD);
    struct btnDef {
        const char* pszLabel;
        const char* pszName;
        GCallback pfn;
    };
    for (const btnDef& b :
         {btnDef{"Report D_efect…", "CompReportDefect", G_CALLBACK(mntOnReportDefect)},
          btnDef{"Clears De_fect…", "MaintClearsDefect", G_CALLBACK(mntOnClearsDefect)}}) {
        GtkWidget* pwgt = gtk_button_new_with_mnemonic(b.pszLabel);
        gtk_widget_set_name(pwgt, b.pszName);
        gtk_box_pack_start(GTK_BOX(pwgtRow), pwgt, FALSE, FALSE, 0);
        g_signal_connect(pwgt, "clicked", b.pfn, nullptr);
    }
    gtk_box_pack_end(GTK_BOX(pwgtBox), pwgtRow, FALSE, FALSE, 2);
    gtk_widget_show_all(pwgtRow);
}

// ---- set-up ----

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

void initMaintTree() {
    GtkTreeView* pTree = GTK_TREE_VIEW(m_pwgtMaintTree);
    GtkCellRenderer* pRenderer = gtk_cell_renderer_text_new();
    g_object_set(pRenderer, "editable", TRUE, nullptr);
    GtkTreeViewColumn* pColumn = gtk_tree_view_column_new_with_attributes(
        "Maintenance\nDate", pRenderer, "text", MNT_STR_DATE_COL, nullptr);
    gtk_tree_view_column_set_cell_data_func(pColumn, pRenderer, maintCellData, nullptr, nullptr);
    gtk_tree_view_append_column(pTree, pColumn);
    static const mdeListOps ops{[] { return m_tMaintLast; },
                                [](const gchar* pszPath, const gchar* pszText) {
                                    if (card())
                                        takeTypedDate(pszPath, pszText);
                                }};
    mdeConnect(pRenderer, pTree, &ops);

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

} // namespace

// ---- interface ----

void mntInitialize(GtkBuilder* pBuilder, const mntCardOps* pOps) {
    m_pOps = pOps;
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
        hlpConnect(k.pwgt, m_pszRcdTypeHelp);
    }
    m_pwgtMaintInspect = m_lstKinds[0].pwgt;
    hlpConnect(mscGetWidget(pBuilder, "MaintInspectCHelp"), m_pszRcdTypeHelp);
    hlpConnect(mscGetWidget(pBuilder, "MaintFrame"), m_pszRcdEntryHelp);
    hlpConnect(m_pwgtMaintTree, m_pszRcdEntryHelp);

    mscConnectField(m_pwgtMaintCompHours, m_lstMaintLUT, G_CALLBACK(mntCompHoursFocusOut));
    mscConnectField(m_pwgtMaintCompAge, m_lstMaintLUT, G_CALLBACK(mntCompAgeFocusOut));
    mscConnectField(m_pwgtMaintDeferHours, m_lstMaintLUT, G_CALLBACK(mntDeferHoursFocusOut));
    mscConnectField(m_pwgtMaintDeferDays, m_lstMaintLUT, G_CALLBACK(mntDeferDaysFocusOut));
    mscConnectField(m_pwgtMaintNotes, m_lstMaintLUT, G_CALLBACK(mntNotesFocusOut));
    for (GtkWidget* pwgt : {m_pwgtMaintCompHours, m_pwgtMaintCompAge})
        hlpConnect(pwgt, m_pszUsedHelp);
    for (GtkWidget* pwgt : {m_pwgtMaintDeferHours, m_pwgtMaintDeferDays})
        hlpConnect(pwgt, m_pszDeferHelp);
    hlpConnect(m_pwgtMaintNotes, m_pszNotesHelp);
    for (GtkWidget* pwgt :
         {m_pwgtMaintCompHours, m_pwgtMaintCompAge, m_pwgtMaintDeferHours, m_pwgtMaintDeferDays})
        mscLimitText(pwgt, 20);
    mscLimitText(m_pwgtMaintNotes, sizeof m_rcdMaint.szNotes);

    initMaintTree();
    addDefectButtons(pBuilder);
    const time_t tLast = prmGetKeyTime(PRM_MAINT_LAST_DATE);
    m_tMaintLast = tLast > 0 ? tLast : 0;
    m_bNewRcdDate = FALSE;
}

void mntShowCard(guint iCompID) {
    loadMaintList(iCompID, ALL_ONES);
    gtk_widget_set_sensitive(m_pwgtMaintTree, TRUE);
    if (GtkTreeIter* piterMaint = selectListedRow()) {
        mntTakeRow(piterMaint);
    } else {
        mntDisplayClear();
        mntDisplaySensitive(FALSE);
    }
}

void mntRefreshList(guint iCompID) {
    if (!recordShown())
        return;
    loadMaintList(iCompID, m_rcdMaint.iMaintID);
    selectListedRow();
}

void mntClear() {
    mntDisplayClear();
    mntDisplaySensitive(FALSE);
    clearMaintList();
    gtk_widget_set_sensitive(m_pwgtMaintTree, FALSE);
}

void mntSavePending(const char* pszFunction) {
    if (!m_rcdMaint.bDirty)
        return;
    if (recordShown() || m_rcdMaint.tComplete > 0)
        storeMaint(pszFunction, TRUE);
    m_rcdMaint.bDirty = FALSE;
    m_rcdMaint.bDateDirty = FALSE;
}

void mntForget() {
    m_rcdMaint = rcdMaint{};
    m_bEntryOpen = FALSE;
    m_bNewRcdDate = FALSE;
}
