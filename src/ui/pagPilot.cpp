#include "pagPilot.h"

#include "avCnv.h"
#include "avError.h"
#include "avMisc.h"
#include "modPilot.h"
#include "rcdPilot.h"
#include "sqlMLog.h"

#include <gdk/gdkkeysyms.h>

#include <cstring>
#include <ctime>
#include <initializer_list>

namespace {

rcdPilot m_rcdPilot;

GtkWidget* m_pwinMain = nullptr;
GtkWidget* m_pwgtPilotTree = nullptr;
GtkTreeSelection* m_pselPilot = nullptr;
GtkWidget* m_pwgtPilotCard = nullptr;
GtkWidget* m_pwgtPilotLName = nullptr;
GtkWidget* m_pwgtPilotLNameLabel = nullptr;
GtkWidget* m_pwgtPilotFName = nullptr;
GtkWidget* m_pwgtPilotFNameLabel = nullptr;
GtkWidget* m_pwgtPilotLastMed = nullptr;
GtkWidget* m_pwgtPilotMedIntv = nullptr;
GtkWidget* m_pwgtPilotNextMed = nullptr;
GtkWidget* m_pwgtPilotMedAuto = nullptr;
GtkWidget* m_pwgtPilotMedEndMonth = nullptr;
GtkWidget* m_pwgtPilotLastFR = nullptr;
GtkWidget* m_pwgtPilotFRIntv = nullptr;
GtkWidget* m_pwgtPilotNextFR = nullptr;
GtkWidget* m_pwgtPilotFRAuto = nullptr;
GtkWidget* m_pwgtPilotFREndMonth = nullptr;
GtkWidget* m_pwgtPilotNotes = nullptr;

const wgtLUT m_lutPilot[] = {
    {&m_pwgtPilotLName, nullptr},   {&m_pwgtPilotFName, nullptr},
    {&m_pwgtPilotLastMed, nullptr}, {&m_pwgtPilotMedIntv, nullptr},
    {&m_pwgtPilotNextMed, nullptr}, {&m_pwgtPilotLastFR, nullptr},
    {&m_pwgtPilotFRIntv, nullptr},  {&m_pwgtPilotNextFR, nullptr},
    {&m_pwgtPilotNotes, nullptr},   {nullptr, nullptr},
};

// One date/interval group of the card: medical or flight review.
struct DueGroup {
    pltDueGroup nGroup;
    time_t rcdPilot::*ptLast;
    time_t rcdPilot::*ptNext;
    guint rcdPilot::*pnIntv;
    gboolean rcdPilot::*pbAuto;
    gboolean rcdPilot::*pbMonthEnd;
    GtkWidget** ppwgtIntv;
    GtkWidget** ppwgtNext;
    GtkWidget** ppwgtAuto;
    GtkWidget** ppwgtMonthEnd;
};

constexpr DueGroup m_grpMed{PLT_MEDICAL, &rcdPilot::tLastMed, &rcdPilot::tNextMed,     &rcdPilot::nMedIntv,
                            &rcdPilot::bMedAuto, &rcdPilot::bMedMonthEnd, &m_pwgtPilotMedIntv,
                            &m_pwgtPilotNextMed, &m_pwgtPilotMedAuto,     &m_pwgtPilotMedEndMonth};
constexpr DueGroup m_grpFR{PLT_REVIEW, &rcdPilot::tLastFR, &rcdPilot::tNextFR,     &rcdPilot::nFRIntv,
                           &rcdPilot::bFRAuto, &rcdPilot::bFRMonthEnd, &m_pwgtPilotFRIntv,
                           &m_pwgtPilotNextFR, &m_pwgtPilotFRAuto,     &m_pwgtPilotFREndMonth};

void savePilot(const char* pszFunction, const char* pszLocus) {
    if (!sqlUpdatePilotRecord(&m_rcdPilot))
        dlgError(sqlLastError(), pszFunction, pszLocus);
}

// Showing a record sets the check boxes; their handlers must not take
// that as a click, which would save the pilot or store a blank new one.
void setCheck(GtkWidget* pwgtCheck, gboolean bActive) {
    MscDisplayGuard guard;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pwgtCheck), bActive);
}

void displayGroup(const DueGroup& grp, time_t tNow) {
    gboolean bAuto = m_rcdPilot.*grp.pbAuto;
    gtk_widget_set_sensitive(*grp.ppwgtMonthEnd, bAuto);
    gtk_widget_set_sensitive(*grp.ppwgtIntv, bAuto);
    gtk_widget_set_sensitive(*grp.ppwgtNext, !bAuto);
    char szIntv[20] = "";
    if (bAuto)
        cnvDcdInterval(szIntv, sizeof szIntv, m_rcdPilot.*grp.pnIntv);
    gtk_entry_set_text(GTK_ENTRY(*grp.ppwgtIntv), szIntv);
    setCheck(*grp.ppwgtMonthEnd, bAuto && m_rcdPilot.*grp.pbMonthEnd);

    static const GdkColor clrRed{0, 0xFFFF, 0, 0};
    const GdkColor* pclr = m_rcdPilot.*grp.ptNext < tNow ? &clrRed : nullptr;
    for (GtkStateType nState : {GTK_STATE_NORMAL, GTK_STATE_SELECTED, GTK_STATE_INSENSITIVE})
        gtk_widget_modify_text(*grp.ppwgtNext, nState, pclr);
}

void setEntryDate(GtkWidget* pwgtEntry, time_t tDate) {
    char szDate[20];
    cnvDcdDate(szDate, sizeof szDate, tDate, 0);
    gtk_entry_set_text(GTK_ENTRY(pwgtEntry), szDate);
}

// Focus leaving a date or interval entry of a group. A changed value waits
// for the next save; with Auto the next date is computed, so a typed one
// gives way. The interval entry only takes the focus with Auto.
gboolean onDueFocusOut(GtkWidget* pwgt, const DueGroup& grp, pltDueField nField) {
    gboolean bChanged = FALSE;
    gint64 nValue = 0;
    if (nField == PLT_DUE_INTERVAL) {
        guint nIntv = 0;
        if (const gchar* pszWhy = pltReadInterval(gtk_entry_get_text(GTK_ENTRY(pwgt)), &nIntv)) {
            gchar* pszText = g_strdup_printf("%s The interval stays as it was.", pszWhy);
            mscRefuse(pwgt, pszText);
            g_free(pszText);
        } else {
            bChanged = nIntv != m_rcdPilot.*grp.pnIntv;
            nValue = nIntv;
        }
    } else {
        time_t t = m_rcdPilot.*(nField == PLT_DUE_LAST ? grp.ptLast : grp.ptNext);
        bChanged = mscEntryDateStore(pwgt, &t);
        nValue = t;
    }
    if (bChanged) {
        m_rcdPilot = pltDueSet(m_rcdPilot, grp.nGroup, nField, nValue);
        m_rcdPilot.bDirty = TRUE;
        pmodUpdateDueDates(&m_rcdPilot);
    }
    pltDisplayUpdate();
    return FALSE;
}

void onAutoToggled(GtkToggleButton* pwgtCheck, const DueGroup& grp, const char* pszFunction) {
    if (mscDisplaying())
        return;
    m_rcdPilot = pltDueAuto(m_rcdPilot, grp.nGroup, gtk_toggle_button_get_active(pwgtCheck));
    m_rcdPilot.bDirty = TRUE;
    savePilot(pszFunction, "avPilot");
    pltDisplayUpdate();
    pmodUpdateDueDates(&m_rcdPilot);
}

void onEndMonthToggled(GtkToggleButton* pwgtCheck, const DueGroup& grp, const char* pszFunction) {
    if (mscDisplaying())
        return;
    if (!pltDueMonthEnd(&m_rcdPilot, grp.nGroup, gtk_toggle_button_get_active(pwgtCheck))) {
        // The flag only counts with Auto; keep the box showing it unticked.
        if (gtk_toggle_button_get_active(pwgtCheck))
            setCheck(GTK_WIDGET(pwgtCheck), FALSE);
        return;
    }
    savePilot(pszFunction, "avPilot");
    pltDisplayUpdate();
    pmodUpdateDueDates(&m_rcdPilot);
}

// The listed pilot other than the current one whose name gives this sort
// key, as its list text; nullptr when there is none.
gchar* namesakeOf(const char* pszSortKey) {
    GtkTreeModel* pmod = pmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        guint iID = PILOT_ID_NEW;
        gchar* pszName = nullptr;
        gtk_tree_model_get(pmod, &iter, PILOT_ID_COL, &iID, PILOT_NAME_COL, &pszName, -1);
        if (iID != PILOT_ID_NEW && iID != m_rcdPilot.iPilotID) {
            // The list shows "Last, First": its letters and digits are the key.
            rcdPilot rcdRow{};
            mscCopyText(rcdRow.szLName, pszName);
            char szKey[sizeof rcdRow.szSortKey];
            if (pltBuildSortKey(&rcdRow, szKey, sizeof szKey) && strcmp(szKey, pszSortKey) == 0)
                return pszName;
        }
        g_free(pszName);
    }
    return nullptr;
}

// A second pilot of the same name is more often a slip than a namesake.
gboolean namesakeAccepted(const char* pszSortKey) {
    gchar* pszOther = namesakeOf(pszSortKey);
    if (!pszOther)
        return TRUE;
    gchar* pszQuestion = g_markup_printf_escaped(
        "<span color='dark blue'><b>'%s'</b> is already in the list of pilots.</span>\n\n"
        "<span color='blue'>Keep a second pilot of this name?</span>",
        pszOther);
    const gboolean bOK = mscConfirm(
        m_pwinMain, "<span color='red'><b>*** Same Pilot Name ***</b></span>", pszQuestion);
    g_free(pszQuestion);
    g_free(pszOther);
    return bOK;
}

// The name rule of both name entries. A changed sort key saves at once
// (inserting a new pilot) and rebuilds the list around it.
void onNameFocusOut(GtkWidget* pwgtEntry, gboolean bLast, const char* pszFunction,
                    GtkWidget* pwgtNext) {
    const pltNameEdit e = pltNameTyped(m_rcdPilot, bLast, gtk_entry_get_text(GTK_ENTRY(pwgtEntry)));
    const char* pszOld = bLast ? m_rcdPilot.szLName : m_rcdPilot.szFName;
    if (e.nPlace == PLT_NAME_REFUSED) {
        gtk_entry_set_text(GTK_ENTRY(pwgtEntry), pszOld);
        if (e.bChanged)
            mscRefuse(pwgtEntry, "A pilot's name needs a letter or a digit: it stays as it was.");
        return;
    }
    if (e.nPlace == PLT_NAME_SAME_PLACE) {
        // Same place in the list: the spelling is kept with the other
        // edits, written on the next row change or page leave.
        if (e.bChanged) {
            m_rcdPilot = e.rcd;
            m_rcdPilot.bDirty = TRUE;
        }
        return;
    }
    if (!namesakeAccepted(e.rcd.szSortKey)) {
        gtk_entry_set_text(GTK_ENTRY(pwgtEntry), pszOld);
        return;
    }
    m_rcdPilot = e.rcd;
    savePilot(pszFunction, "avPilot");
    pmodLoadModel();
    pltSyncTree();
    pltDisplaySensitive(TRUE);
    pltDisplayUpdate();
    gtk_widget_grab_focus(pwgtNext);
}

} // namespace

void pltInitialize(GtkBuilder* pBuilder) {
    memset(&m_rcdPilot, 0, sizeof m_rcdPilot);
    auto lookup = [pBuilder](const char* pszID) { return mscGetWidget(pBuilder, pszID); };
    m_pwinMain = lookup("avLedger");
    m_pwgtPilotTree = lookup("PilotTreeView");
    m_pwgtPilotCard = lookup("PilotCardTable");
    m_pwgtPilotFName = lookup("PilotFName");
    m_pwgtPilotFNameLabel = lookup("PilotFNameLabel");
    m_pwgtPilotLName = lookup("PilotLName");
    m_pwgtPilotLNameLabel = lookup("PilotLNameLabel");
    m_pwgtPilotLastMed = lookup("PilotLastMedDate");
    m_pwgtPilotNextMed = lookup("PilotNextMedDate");
    m_pwgtPilotMedIntv = lookup("PilotMedInterval");
    m_pwgtPilotMedAuto = lookup("PilotMedDateAuto");
    m_pwgtPilotMedEndMonth = lookup("PilotMedDateEndMonth");
    m_pwgtPilotLastFR = lookup("PilotLastFRDate");
    m_pwgtPilotNextFR = lookup("PilotNextFRDate");
    m_pwgtPilotFRIntv = lookup("PilotFRInterval");
    m_pwgtPilotFRAuto = lookup("PilotFRDateAuto");
    m_pwgtPilotFREndMonth = lookup("PilotFRDateEndMonth");
    m_pwgtPilotNotes = lookup("PilotNotes");

    g_signal_connect(m_pwgtPilotTree, "key-press-event", G_CALLBACK(pltOnTreeKeyPress), nullptr);

    struct FocusOut {
        GtkWidget* pwgt;
        GCallback pfn;
    };
    const FocusOut lstFocusOut[] = {
        {m_pwgtPilotFName, G_CALLBACK(pltOnFNameFocusOut)},
        {m_pwgtPilotLName, G_CALLBACK(pltOnLNameFocusOut)},
        {m_pwgtPilotLastMed, G_CALLBACK(pltOnLastMedFocusOut)},
        {m_pwgtPilotNextMed, G_CALLBACK(pltOnNextMedFocusOut)},
        {m_pwgtPilotMedIntv, G_CALLBACK(pltOnMedIntvFocusOut)},
        {m_pwgtPilotLastFR, G_CALLBACK(pltOnLastFRFocusOut)},
        {m_pwgtPilotNextFR, G_CALLBACK(pltOnNextFRFocusOut)},
        {m_pwgtPilotFRIntv, G_CALLBACK(pltOnFRIntvFocusOut)},
    };
    for (const auto& fo : lstFocusOut)
        mscConnectField(fo.pwgt, m_lutPilot, fo.pfn);
    g_signal_connect(m_pwgtPilotMedAuto, "toggled", G_CALLBACK(pltMedAutoToggled), nullptr);
    g_signal_connect(m_pwgtPilotMedEndMonth, "toggled", G_CALLBACK(pltMedEndMonthToggled), nullptr);
    g_signal_connect(m_pwgtPilotFRAuto, "toggled", G_CALLBACK(pltFRAutoToggled), nullptr);
    g_signal_connect(m_pwgtPilotFREndMonth, "toggled", G_CALLBACK(pltFREndMonthToggled), nullptr);
    mscConnectField(m_pwgtPilotNotes, m_lutPilot, G_CALLBACK(pltOnNotesFocusOut));
    // The screen shows what the record will hold.
    mscLimitText(m_pwgtPilotLName, sizeof m_rcdPilot.szLName);
    mscLimitText(m_pwgtPilotFName, sizeof m_rcdPilot.szFName);
    mscLimitText(m_pwgtPilotNotes, sizeof m_rcdPilot.szNotes);

    GtkTreeView* pTree = GTK_TREE_VIEW(m_pwgtPilotTree);
    struct Column {
        const char* pszHeader;
        int nTextCol;
        const char* pszColour;
        int nColourSetCol;
    };
    const Column lstColumns[] = {
        {"Pilot", PILOT_NAME_COL, "blue", PILOT_FG_COL},
        {"Medical Due", PILOT_MED_NEXT_COL, "red", PILOT_MED_DUE_COL},
        {"Flight Review", PILOT_FR_NEXT_COL, "red", PILOT_FR_DUE_COL},
    };
    for (const auto& col : lstColumns) {
        GtkCellRenderer* pRenderer = gtk_cell_renderer_text_new();
        g_object_set(pRenderer, "foreground", col.pszColour, nullptr);
        GtkTreeViewColumn* pColumn =
            gtk_tree_view_column_new_with_attributes(col.pszHeader, pRenderer, "text", col.nTextCol,
                                                     "foreground-set", col.nColourSetCol, nullptr);
        if (col.nTextCol == PILOT_NAME_COL) {
            // A very long name ends in "…" and leaves room for the due dates.
            mscEllipsize(pRenderer, 16);
            gtk_tree_view_column_add_attribute(pColumn, pRenderer, "style", PILOT_STYLE_COL);
            gtk_tree_view_column_set_expand(pColumn, TRUE);
        }
        gtk_tree_view_column_set_resizable(pColumn, TRUE);
        gtk_tree_view_append_column(pTree, pColumn);
    }
    gtk_tree_view_set_model(pTree, pmodGetModel());

    m_pselPilot = gtk_tree_view_get_selection(pTree);
    g_signal_connect(m_pselPilot, "changed", G_CALLBACK(pltOnRowChanged), nullptr);
    gtk_tree_selection_unselect_all(m_pselPilot);
    pltDisplaySensitive(FALSE);
}

void pltOnPageEnter() {}

void pltOnPageLeave() {
    if (m_rcdPilot.bDirty && !sqlUpdatePilotRecord(&m_rcdPilot))
        dlgError(sqlLastError(), "pltOnPageLeave()", "pagPilot");
}

void pltDisplaySensitive(gboolean bSensitive) {
    GList* plstChildren = gtk_container_get_children(GTK_CONTAINER(m_pwgtPilotCard));
    for (GList* p = plstChildren; p; p = p->next)
        gtk_widget_set_sensitive(GTK_WIDGET(p->data), bSensitive);
    g_list_free(plstChildren);
    GtkWidget* pwgtNotesBox = gtk_widget_get_parent(gtk_widget_get_parent(m_pwgtPilotNotes));
    gtk_widget_set_sensitive(pwgtNotesBox, bSensitive);
}

void pltDisplayClear() {
    MscDisplayGuard guard;
    for (GtkWidget* pwgt :
         {m_pwgtPilotLName, m_pwgtPilotFName, m_pwgtPilotLastMed, m_pwgtPilotMedIntv,
          m_pwgtPilotNextMed, m_pwgtPilotLastFR, m_pwgtPilotFRIntv, m_pwgtPilotNextFR})
        gtk_entry_set_text(GTK_ENTRY(pwgt), "");
    for (GtkWidget* pwgt :
         {m_pwgtPilotMedAuto, m_pwgtPilotMedEndMonth, m_pwgtPilotFRAuto, m_pwgtPilotFREndMonth})
        setCheck(pwgt, FALSE);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_pwgtPilotNotes)), "", -1);
}

void pltDisplayUpdate() {
    MscDisplayGuard guard;
    gtk_entry_set_text(GTK_ENTRY(m_pwgtPilotFName), m_rcdPilot.szFName);
    gtk_entry_set_text(GTK_ENTRY(m_pwgtPilotLName), m_rcdPilot.szLName);
    setEntryDate(m_pwgtPilotLastMed, m_rcdPilot.tLastMed);
    setEntryDate(m_pwgtPilotNextMed, m_rcdPilot.tNextMed);
    setEntryDate(m_pwgtPilotLastFR, m_rcdPilot.tLastFR);
    setEntryDate(m_pwgtPilotNextFR, m_rcdPilot.tNextFR);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_pwgtPilotNotes)),
                             m_rcdPilot.szNotes, -1);
    setCheck(m_pwgtPilotMedAuto, m_rcdPilot.bMedAuto);
    setCheck(m_pwgtPilotFRAuto, m_rcdPilot.bFRAuto);
    time_t tNow = time(nullptr);
    displayGroup(m_grpMed, tNow);
    displayGroup(m_grpFR, tNow);
}

void pltSyncTree() {
    if (m_rcdPilot.iPilotID == PILOT_ID_NEW) {
        gtk_tree_selection_unselect_all(m_pselPilot);
        return;
    }
    GtkTreeIter iter;
    if (mscGetIterFromID(&iter, pmodGetModel(), PILOT_ID_COL, m_rcdPilot.iPilotID))
        mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtPilotTree), &iter);
}

void pltOnRowChanged(GtkTreeSelection* pselTree, gpointer) {
    GtkTreeModel* pmod = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(pselTree, &pmod, &iter))
        return;

    mscCommitEdits(m_pwgtPilotTree);
    if (m_rcdPilot.bDirty && !sqlUpdatePilotRecord(&m_rcdPilot))
        dlgError(sqlLastError(), "pltOnRowChanged()", "pagPilot");

    // The events run above may have changed the selection.
    if (!gtk_tree_selection_get_selected(pselTree, &pmod, &iter))
        return;
    memset(&m_rcdPilot, 0, sizeof m_rcdPilot);
    guint iPilotID = PILOT_ID_NEW;
    gboolean bNew = FALSE;
    gtk_tree_model_get(pmod, &iter, PILOT_ID_COL, &iPilotID, PILOT_NEW_COL, &bNew, -1);

    if (bNew) {
        memset(&m_rcdPilot, 0, sizeof m_rcdPilot);
        m_rcdPilot.iPilotID = PILOT_ID_NEW;
        pltDisplayClear();
        pltDisplaySensitive(FALSE);
        for (GtkWidget* pwgt :
             {m_pwgtPilotLName, m_pwgtPilotLNameLabel, m_pwgtPilotFName, m_pwgtPilotFNameLabel})
            gtk_widget_set_sensitive(pwgt, TRUE);
        mscFocusAfterList(m_pwgtPilotLName, m_pwgtPilotTree);
        return;
    }
    cbPilot cb{&m_rcdPilot, nullptr};
    if (!sqlLoadPilotRecord(&cb, iPilotID)) {
        dlgError(sqlLastError(), "pltOnRowChanged()", "pagPilot");
        // Edits of a pilot that could not be read would be written over
        // it, or nowhere: show the empty card, closed.
        memset(&m_rcdPilot, 0, sizeof m_rcdPilot);
        m_rcdPilot.iPilotID = PILOT_ID_NEW;
        pltDisplayClear();
        pltDisplaySensitive(FALSE);
        return;
    }
    pltDisplaySensitive(TRUE);
    pltDisplayUpdate();
}

gboolean pltOnTreeKeyPress(GtkWidget*, GdkEventKey* pevtKey, gpointer) {
    if (pevtKey->keyval != GDK_Delete || m_rcdPilot.iPilotID == PILOT_ID_NEW)
        return FALSE;
    guint nFlights = 0;
    if (!sqlCountPilotFlights(m_rcdPilot.iPilotID, &nFlights)) {
        // Without the count the user cannot know what the delete touches.
        dlgError(sqlLastError(), "pltOnTreeKeyPress()", "pagPilot");
        return TRUE;
    }
    // Names are the user's text: escaped, so that "&" or "<" in a name
    // shows as typed instead of breaking the markup.
    gchar* pszSecondary = g_markup_printf_escaped(
        "<span color='dark blue'>Pilot Card for <b>'%s %s'</b> will be deleted.</span>\n"
        "<span color='dark blue'>%u %s this pilot; they keep the name.</span>\n\n"
        "<span color='blue'>Are you sure?</span>",
        m_rcdPilot.szFName, m_rcdPilot.szLName, nFlights,
        nFlights == 1 ? "flight names" : "flights name");
    const gboolean bOK = mscConfirmDelete(
        m_pwinMain, "<span color='red'><b>*** Delete Pilot Card ***</b></span>", pszSecondary);
    g_free(pszSecondary);
    if (bOK) {
        m_rcdPilot.bDelete = TRUE;
        if (!sqlUpdatePilotRecord(&m_rcdPilot))
            dlgError(sqlLastError(), "pltOnTreeKeyPress()", "pagPilot");
        // Nothing is selected afterwards; a second Delete must not find
        // the deleted pilot still in the card.
        memset(&m_rcdPilot, 0, sizeof m_rcdPilot);
        m_rcdPilot.iPilotID = PILOT_ID_NEW;
        pmodLoadModel();
        pltDisplayClear();
        pltDisplaySensitive(FALSE);
    }
    return TRUE;
}

gboolean pltOnLNameFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    onNameFocusOut(pwgt, TRUE, "pltLNameFocusOut()", m_pwgtPilotFName);
    return FALSE;
}

gboolean pltOnFNameFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    onNameFocusOut(pwgt, FALSE, "pltFNameFocusOut()", m_pwgtPilotLastMed);
    return FALSE;
}

// The date and interval entries of both groups share one rule.
#define PLT_DUE_FOCUS_OUT(name, grp, field)                                                        \
    gboolean name(GtkWidget* pwgt, GdkEventFocus*, gpointer) {                                     \
        return onDueFocusOut(pwgt, grp, field);                                                    \
    }
PLT_DUE_FOCUS_OUT(pltOnLastMedFocusOut, m_grpMed, PLT_DUE_LAST)
PLT_DUE_FOCUS_OUT(pltOnMedIntvFocusOut, m_grpMed, PLT_DUE_INTERVAL)
PLT_DUE_FOCUS_OUT(pltOnNextMedFocusOut, m_grpMed, PLT_DUE_NEXT)
PLT_DUE_FOCUS_OUT(pltOnLastFRFocusOut, m_grpFR, PLT_DUE_LAST)
PLT_DUE_FOCUS_OUT(pltOnFRIntvFocusOut, m_grpFR, PLT_DUE_INTERVAL)
PLT_DUE_FOCUS_OUT(pltOnNextFRFocusOut, m_grpFR, PLT_DUE_NEXT)
#undef PLT_DUE_FOCUS_OUT

gboolean pltOnNotesFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscTextViewStore(pwgt, m_rcdPilot.szNotes, sizeof m_rcdPilot.szNotes))
        m_rcdPilot.bDirty = TRUE;
    pltDisplayUpdate();
    return FALSE;
}

void pltMedAutoToggled(GtkToggleButton* pwgtCheck, gpointer) {
    onAutoToggled(pwgtCheck, m_grpMed, "pltMedAutoToggled()");
}

void pltMedEndMonthToggled(GtkToggleButton* pwgtCheck, gpointer) {
    onEndMonthToggled(pwgtCheck, m_grpMed, "pltMedEndMonthToggled()");
}

void pltFRAutoToggled(GtkToggleButton* pwgtCheck, gpointer) {
    onAutoToggled(pwgtCheck, m_grpFR, "pltFRAutoToggled()");
}

void pltFREndMonthToggled(GtkToggleButton* pwgtCheck, gpointer) {
    onEndMonthToggled(pwgtCheck, m_grpFR, "pltFREndMonthToggled()");
}
