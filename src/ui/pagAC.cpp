#include "pagAC.h"

#include "avCnv.h"
#include "avError.h"
#include "avMisc.h"
#include "avParam.h"
#include "modAC.h"
#include "modComp.h"
#include "modDefect.h"
#include "modFLog.h"
#include "pagACFcst.h"
#include "sqlMLog.h"

#include <gdk/gdkkeysyms.h>
#include <glib/gprintf.h>

#include <array>
#include <cstring>
#include <initializer_list>

namespace {

// The active aircraft, which the page edits in place.
rcdAC& m_rcdAC = *acdGetActiveAC();

GtkWidget* m_pwgtACTree = nullptr;
GtkWidget* m_pwgtACReg = nullptr;
GtkWidget* m_pwgtACModel = nullptr;
GtkWidget* m_pwgtACSerial = nullptr;
GtkWidget* m_pwgtACBuilder = nullptr;
GtkWidget* m_pwgtACOwner = nullptr;
GtkWidget* m_pwgtACHeliTypeOpt = nullptr;
GtkWidget* m_pwgtACEngineOpt = nullptr;
GtkWidget* m_pwgtACClutchOpt = nullptr;
GtkWidget* m_pwgtACMainDriveOpt = nullptr;
GtkWidget* m_pwgtACMainRotorOpt = nullptr;
GtkWidget* m_pwgtACMRSystemOpt = nullptr;
GtkWidget* m_pwgtACTRSliderOpt = nullptr;
GtkWidget* m_pwgtACTailDriveOpt = nullptr;
GtkWidget* m_pwgtACTailRotorOpt = nullptr;
GtkWidget* m_pwgtACManuDate = nullptr;
GtkWidget* m_pwgtACLogSinceNew = nullptr;
GtkWidget* m_pwgtACLogStartDate = nullptr;
GtkWidget* m_pwgtACLogStartHours = nullptr;
GtkWidget* m_pwgtACNotes = nullptr;
GtkWidget* m_pwgtACRegLabel = nullptr; // the banner

constexpr gulong AC_NEW_ROW_ID = static_cast<gulong>(-1);
// Characters the list's model column asks for.
constexpr gint MODEL_CHARS = 16;

const wgtLUT m_lstACLUT[] = {
    {&m_pwgtACReg, nullptr},
    {&m_pwgtACModel, nullptr},
    {&m_pwgtACSerial, nullptr},
    {&m_pwgtACBuilder, nullptr},
    {&m_pwgtACOwner, nullptr},
    {&m_pwgtACHeliTypeOpt, nullptr},
    {&m_pwgtACClutchOpt, nullptr},
    {&m_pwgtACEngineOpt, nullptr},
    {&m_pwgtACTRSliderOpt, nullptr},
    {&m_pwgtACMainDriveOpt, nullptr},
    {&m_pwgtACTailDriveOpt, nullptr},
    {&m_pwgtACMRSystemOpt, nullptr},
    {&m_pwgtACTailRotorOpt, nullptr},
    {&m_pwgtACMainRotorOpt, nullptr},
    {&m_pwgtACManuDate, nullptr},
    {&m_pwgtACLogStartDate, nullptr},
    {&m_pwgtACLogStartHours, nullptr},
    {&m_pwgtACNotes, nullptr},
    {nullptr, nullptr},
};

// Columns of an option list's store.
enum { OPT_CODE_COL, OPT_LABEL_COL, OPT_SENSITIVE_COL, OPT_NUM_COLS };

// The combo box of each option list, in the lists' order (amodOptLists).
constexpr std::array<GtkWidget**, 9> m_lstOptCombos{
    &m_pwgtACHeliTypeOpt,  &m_pwgtACEngineOpt,    &m_pwgtACClutchOpt,
    &m_pwgtACMainDriveOpt, &m_pwgtACMainRotorOpt, &m_pwgtACMRSystemOpt,
    &m_pwgtACTRSliderOpt,  &m_pwgtACTailDriveOpt, &m_pwgtACTailRotorOpt};

void clearRecord(guint iACID) {
    rcdClearAC(&m_rcdAC, iACID);
}

// No stored aircraft is active: the one state every page and model reads
// through acdHasActiveAC().
void clearActiveAC() {
    clearRecord(SQL_NEW_ID);
}

// Loads one stored aircraft into the working record; *pbFound tells
// whether it exists. The loader leaves a field alone when its column is
// NULL, so the record starts cleared. FALSE on a database failure.
gboolean loadRecord(guint iACID, gboolean* pbFound) {
    rcdAC rcdLoad;
    rcdClearAC(&rcdLoad, SQL_NEW_ID);
    cbAC cb{&rcdLoad, nullptr};
    clearRecord(iACID);
    *pbFound = FALSE;
    if (!sqlLoadAircraftRecord(&cb, iACID))
        return sqlIsNoSuchRow(); // a remembered aircraft that is gone
    if (rcdLoad.iACID == iACID) {
        rcdLoad.bDelete = FALSE;
        rcdLoad.bDirty = FALSE;
        m_rcdAC = rcdLoad;
        *pbFound = TRUE;
    }
    return TRUE;
}

gboolean pageReady() {
    return m_pwgtACReg != nullptr;
}

void setEntryText(GtkWidget* pwgt, const gchar* psz) {
    gtk_entry_set_text(GTK_ENTRY(pwgt), psz);
}

void showDate(GtkWidget* pwgt, time_t t) {
    gchar szDate[20];
    cnvDcdDate(szDate, sizeof szDate, t, 0);
    setEntryText(pwgt, szDate);
}

void showHours(GtkWidget* pwgt, guint nHours) {
    gchar szHours[20];
    cnvDcdHours(szHours, sizeof szHours, nHours);
    setEntryText(pwgt, szHours);
}

void acdOptUpdate(GtkWidget* pwgtCombo, gint iOpt) {
    GtkComboBox* pcombo = GTK_COMBO_BOX(pwgtCombo);
    gtk_combo_box_set_active(pcombo, -1);
    GtkTreeModel* pmod = gtk_combo_box_get_model(pcombo);
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        gint iCode = -1;
        gtk_tree_model_get(pmod, &iter, OPT_CODE_COL, &iCode, -1);
        if (iCode == iOpt) {
            gtk_combo_box_set_active_iter(pcombo, &iter);
            return;
        }
    }
}

void acdDisplaySensitive(gboolean bSensitive) {
    if (!pageReady())
        return;
    auto ancestor = [](GtkWidget* pwgt, int nLevels) {
        for (int i = 0; i < nLevels && pwgt; ++i)
            pwgt = gtk_widget_get_parent(pwgt);
        return pwgt;
    };
    gtk_widget_set_sensitive(m_pwgtACReg, bSensitive);
    gtk_widget_set_sensitive(ancestor(m_pwgtACModel, 1), bSensitive);
    gtk_widget_set_sensitive(ancestor(m_pwgtACHeliTypeOpt, 3), bSensitive);
    gtk_widget_set_sensitive(ancestor(m_pwgtACLogStartDate, 3), bSensitive);
    gtk_widget_set_sensitive(ancestor(m_pwgtACNotes, 3), bSensitive);
}

void acdDisplayUpdate() {
    if (!pageReady())
        return;
    MscDisplayGuard guard;
    setEntryText(m_pwgtACReg, m_rcdAC.szReg);
    setEntryText(m_pwgtACModel, m_rcdAC.szModel);
    setEntryText(m_pwgtACSerial, m_rcdAC.szSerial);
    showDate(m_pwgtACManuDate, m_rcdAC.tManu);
    setEntryText(m_pwgtACBuilder, m_rcdAC.szBuilder);
    setEntryText(m_pwgtACOwner, m_rcdAC.szOwner);
    for (std::size_t i = 0; i < m_lstOptCombos.size(); ++i)
        acdOptUpdate(*m_lstOptCombos[i], m_rcdAC.*amodOptLists()[i].piField);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_pwgtACLogSinceNew), m_rcdAC.bLogSinceNew);
    if (m_rcdAC.bLogSinceNew) {
        setEntryText(m_pwgtACLogStartDate, "");
        setEntryText(m_pwgtACLogStartHours, "");
    } else {
        showDate(m_pwgtACLogStartDate, m_rcdAC.tLogStart);
        showHours(m_pwgtACLogStartHours, m_rcdAC.nLogHours);
    }
    gtk_widget_set_sensitive(m_pwgtACLogStartDate, !m_rcdAC.bLogSinceNew);
    gtk_widget_set_sensitive(m_pwgtACLogStartHours, !m_rcdAC.bLogSinceNew);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_pwgtACNotes)),
                             m_rcdAC.szNotes, -1);
    acfShow();
}

void acdDisplayClear() {
    if (!pageReady())
        return;
    MscDisplayGuard guard;
    for (GtkWidget* pwgt :
         {m_pwgtACReg, m_pwgtACModel, m_pwgtACSerial, m_pwgtACManuDate, m_pwgtACBuilder,
          m_pwgtACOwner, m_pwgtACLogStartDate, m_pwgtACLogStartHours})
        setEntryText(pwgt, "");
    for (GtkWidget** ppwgt : m_lstOptCombos)
        gtk_combo_box_set_active(GTK_COMBO_BOX(*ppwgt), -1);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_pwgtACLogSinceNew), FALSE);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_pwgtACNotes)), "", -1);
    acfShow();
}

gboolean saveRecord(const gchar* pszFunction, const gchar* pszLocus) {
    if (sqlUpdateAircraftRecord(&m_rcdAC))
        return TRUE;
    dlgError(sqlLastError(), pszFunction, pszLocus);
    return FALSE;
}

void refreshBanner() {
    acdDisplayACReg(fmodAFHoursTotal());
}

// The flight log model always belongs to the active aircraft; with none
// active it holds no flights.
guint rebuildFlightLog() {
    guint nHours = 0;
    if (!fmodLoadModel(-1, &nHours))
        nHours = fmodAFHoursTotal();
    return nHours;
}

// ---- handlers ----

void acdOnOptChanged(GtkComboBox* pwgtCombo, gpointer pUser) {
    if (mscDisplaying())
        return;
    gint* piOpt = static_cast<gint*>(pUser);
    GtkTreeIter iter;
    if (!gtk_combo_box_get_active_iter(pwgtCombo, &iter))
        return;
    gint iCode = -1;
    gboolean bSensitive = TRUE;
    gtk_tree_model_get(gtk_combo_box_get_model(pwgtCombo), &iter, OPT_CODE_COL, &iCode,
                       OPT_SENSITIVE_COL, &bSensitive, -1);
    if (iCode == *piOpt)
        return;
    if (!bSensitive) {
        // A greyed entry is never the user's choice: show the stored one.
        MscDisplayGuard guard;
        acdOptUpdate(GTK_WIDGET(pwgtCombo), *piOpt);
        return;
    }
    *piOpt = iCode;
    m_rcdAC.bDirty = TRUE;
}

// Saves the registration typed into the entry. A refused one is told and
// the stored registration put back; the focus goes wherever the user
// sends it, so nothing typed next lands in the registration. TRUE when
// refused.
gboolean saveRegFromEntry(GtkWidget* pwgt) {
    const gchar* pszText = gtk_entry_get_text(GTK_ENTRY(pwgt));
    gchar szKey[40];
    acdParseACReg(szKey, pszText, sizeof szKey);
    // Without a letter or digit it could not be told from any other.
    const gboolean bNoName = !szKey[0] && (*pszText || m_rcdAC.szReg[0]);
    if (!bNoName && !acdRegSave(pszText))
        return FALSE;
    gchar* pszWhy = bNoName ? g_strdup("A registration needs a letter or a digit: it stays as "
                                       "it was.")
                            : g_strdup_printf("Registration %s is already listed: it was not "
                                              "saved.",
                                              pszText);
    setEntryText(pwgt, m_rcdAC.szReg);
    mscRefuse(pwgt, pszWhy);
    g_free(pszWhy);
    return TRUE;
}

gboolean acdOnRegFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    saveRegFromEntry(pwgt);
    return FALSE;
}

gboolean acdOnACRegKeyPress(GtkWidget* pwgt, GdkEventKey* pevtKey, gpointer) {
    if (pevtKey->keyval != GDK_Return && pevtKey->keyval != GDK_Down)
        return FALSE;
    if (saveRegFromEntry(pwgt))
        return TRUE;
    // Without a saved registration there is no aircraft to fill in yet:
    // opening the card now would make a record without a name.
    if (m_rcdAC.iACID == SQL_NEW_ID)
        return TRUE;
    mscTreeRowSelect(GTK_TREE_VIEW(m_pwgtACTree), amodGetSelection());
    acdDisplaySensitive(TRUE);
    gtk_widget_grab_focus(m_pwgtACModel);
    return TRUE;
}

// Stores a text field when it changed; TRUE if it did.
template <std::size_t N> gboolean storeText(GtkWidget* pwgt, char (&szField)[N]) {
    if (!mscEntryStore(pwgt, szField))
        return FALSE;
    m_rcdAC.bDirty = TRUE;
    return TRUE;
}

gboolean acdOnModelFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (!storeText(pwgt, m_rcdAC.szModel))
        return FALSE;
    GtkTreeModel* pmod = nullptr;
    GtkTreeIter iter;
    GtkTreeSelection* psel = gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtACTree));
    if (gtk_tree_selection_get_selected(psel, &pmod, &iter))
        gtk_tree_store_set(GTK_TREE_STORE(pmod), &iter, AC_MODEL_COL, m_rcdAC.szModel, -1);
    refreshBanner();
    return FALSE;
}

gboolean acdOnSerialFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    storeText(pwgt, m_rcdAC.szSerial);
    return FALSE;
}

gboolean acdOnBuilderFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    storeText(pwgt, m_rcdAC.szBuilder);
    return FALSE;
}

gboolean acdOnOwnerFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    storeText(pwgt, m_rcdAC.szOwner);
    return FALSE;
}

void dateFocusOut(GtkWidget* pwgt, time_t* ptField) {
    if (mscEntryDateStore(pwgt, ptField))
        m_rcdAC.bDirty = TRUE;
}

gboolean acdOnManuDateFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    dateFocusOut(pwgt, &m_rcdAC.tManu);
    return FALSE;
}

gboolean acdOnLogStartDateFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    dateFocusOut(pwgt, &m_rcdAC.tLogStart);
    return FALSE;
}

gboolean acdOnLogStartHoursFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    guint nTenths = 0;
    if (!cnvEncHours(&nTenths, gtk_entry_get_text(GTK_ENTRY(pwgt)), CNV_HOURS_MAX)) {
        mscRefuse(pwgt, "Log-start hours must be a number from 0 to 99999.9: they stay as they "
                        "were.");
    } else if (nTenths != m_rcdAC.nLogHours) {
        m_rcdAC.nLogHours = nTenths;
        m_rcdAC.bDirty = TRUE;
    }
    showHours(pwgt, m_rcdAC.nLogHours);
    refreshBanner();
    return FALSE;
}

gboolean acdOnACNotesFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer) {
    if (mscTextViewStore(pwgt, m_rcdAC.szNotes, sizeof m_rcdAC.szNotes))
        m_rcdAC.bDirty = TRUE;
    acdDisplayUpdate();
    return FALSE;
}

void acdOnLogSinceNew(GtkToggleButton* pwgt, gpointer) {
    if (mscDisplaying())
        return;
    gboolean bActive = gtk_toggle_button_get_active(pwgt) ? TRUE : FALSE;
    if (bActive != (m_rcdAC.bLogSinceNew ? TRUE : FALSE)) {
        m_rcdAC.bLogSinceNew = bActive;
        m_rcdAC.bDirty = TRUE;
        acdDisplayUpdate();
    }
    refreshBanner();
}

void acdOnRowChanged(GtkTreeSelection* psel, gpointer) {
    if (!gtk_tree_selection_get_selected(psel, nullptr, nullptr))
        return;

    mscCommitEdits(m_pwgtACTree);

    if (m_rcdAC.bDirty) {
        saveRecord("acdOnRowChanged()", "pagAC");
        m_rcdAC.bDirty = FALSE;
    }

    // The commit above may have reloaded the list (a saved registration).
    GtkTreeModel* pmod = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(psel, &pmod, &iter))
        return;
    gulong iID = AC_NEW_ROW_ID;
    gtk_tree_model_get(pmod, &iter, AC_ID_COL, &iID, -1);

    if (iID != AC_NEW_ROW_ID) {
        const guint iACID = static_cast<guint>(iID);
        gboolean bFound = FALSE;
        if (!loadRecord(iACID, &bFound))
            dlgError(sqlLastError(), "acdOnRowChanged()", "pagAC");
        m_rcdAC.iACID = iACID;
        acdDisplaySensitive(TRUE);
        acdDisplayUpdate();
        acdDisplayACReg(rebuildFlightLog());
        prmSetKeyInteger(PRM_ACTIVE_AC, static_cast<gint>(iACID));
    } else {
        // Until its registration is saved no aircraft is active, and the
        // settings say so: the next start makes the first listed one active.
        clearActiveAC();
        prmSetKeyInteger(PRM_ACTIVE_AC, -1);
        rebuildFlightLog();
        acdClearACReg();
        acdDisplayClear();
        acdDisplaySensitive(FALSE);
        gtk_widget_set_sensitive(m_pwgtACReg, TRUE);
        mscFocusAfterList(m_pwgtACReg, m_pwgtACTree);
    }
}

// The list row that shows the active aircraft, if it is selected.
gboolean activeRowSelected() {
    GtkTreeModel* pmod = nullptr;
    GtkTreeIter iter;
    GtkTreeSelection* psel = gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtACTree));
    if (!gtk_tree_selection_get_selected(psel, &pmod, &iter))
        return FALSE;
    gulong iID = AC_NEW_ROW_ID;
    gtk_tree_model_get(pmod, &iter, AC_ID_COL, &iID, -1);
    return iID != AC_NEW_ROW_ID && iID == m_rcdAC.iACID;
}

// "1 flight", "2 flights".
gchar* countText(guint n, const char* pszOne, const char* pszMany) {
    return g_strdup_printf("%u %s", n, n == 1 ? pszOne : pszMany);
}

void acdOnACDelete() {
    guint nFlights = 0, nMaint = 0;
    if (!sqlCountAircraftRecords(m_rcdAC.iACID, &nFlights, &nMaint)) {
        // Without the counts the user cannot know what the delete hides.
        dlgError(sqlLastError(), "acdOnACDelete()", "avAC");
        return;
    }
    gchar* pszFlights = countText(nFlights, "flight", "flights");
    gchar* pszMaint = countText(nMaint, "maintenance record", "maintenance records");
    gchar* pszQuestion = g_markup_printf_escaped(
        "<span color='dark blue'>Helicopter Card for <b>'%s'</b> will be deleted.</span>\n"
        "<span color='dark blue'>It carries %s and %s, which will no longer be shown.</span>\n\n"
        "<span color='blue'>Are you sure?</span>",
        m_rcdAC.szReg, pszFlights, pszMaint);
    g_free(pszFlights);
    g_free(pszMaint);
    const gboolean bOK = mscConfirmDelete(
        m_pwgtACTree, "<span color='red'><b>*** Delete Helicopter Card ***</b></span>",
        pszQuestion);
    g_free(pszQuestion);
    if (bOK) {
        m_rcdAC.bDelete = TRUE;
        if (saveRecord("acdOnACDelete()", "avAC")) {
            // The deleted aircraft must not stay active: other pages would
            // go on showing it and file new flights to it.
            clearActiveAC();
            prmSetKeyInteger(PRM_ACTIVE_AC, -1);
            rebuildFlightLog();
        } else {
            m_rcdAC.bDelete = FALSE; // not deleted; a later save must not delete it
        }
        amodLoadModel(AC_NEW_ROW_ID);
        acdClearACReg();
    }
    acdDisplaySensitive(FALSE);
    acdDisplayClear();
}

gboolean acdOnTreeKeyPress(GtkWidget*, GdkEventKey* pevtKey, gpointer) {
    if (pevtKey->keyval != GDK_Delete || m_rcdAC.iACID == SQL_NEW_ID)
        return FALSE;
    // Only the aircraft shown as selected can be deleted; an aircraft
    // remembered from an earlier run but no longer listed cannot.
    if (!activeRowSelected())
        return FALSE;
    acdOnACDelete();
    return TRUE;
}

// ---- set-up ----

void acdInitTree() {
    GtkTreeView* ptree = GTK_TREE_VIEW(m_pwgtACTree);
    GtkCellRenderer* prend = gtk_cell_renderer_text_new();
    g_object_set(prend, "foreground", "blue", "xalign", 1.0, nullptr);
    GtkTreeViewColumn* pcol = gtk_tree_view_column_new_with_attributes(
        "Registration", prend, "text", AC_REG_COL, "foreground-set", AC_NEW_FLAG_COL, "style",
        AC_STYLE_COL, nullptr);
    gtk_tree_view_append_column(ptree, pcol);
    prend = gtk_cell_renderer_text_new();
    // The owner's text: a long model ends in "…" and leaves room for the card.
    mscEllipsize(prend, MODEL_CHARS);
    pcol = gtk_tree_view_column_new_with_attributes("Model", prend, "text", AC_MODEL_COL, nullptr);
    gtk_tree_view_append_column(ptree, pcol);
    gtk_tree_view_set_model(ptree, amodGetModel());
}

void acdInitCombo(const amodOptList& lst, GtkComboBox* pwgtCombo) {
    GtkListStore* psto =
        gtk_list_store_new(OPT_NUM_COLS, G_TYPE_INT, G_TYPE_STRING, G_TYPE_BOOLEAN);
    for (const amodOption& opt : lst.lstOpt) {
        GtkTreeIter iter;
        gtk_list_store_append(psto, &iter);
        gtk_list_store_set(psto, &iter, OPT_CODE_COL, opt.iCode, OPT_LABEL_COL, opt.pszLabel,
                           OPT_SENSITIVE_COL, opt.bChoosable, -1);
    }
    gtk_combo_box_set_model(pwgtCombo, nullptr);
    gtk_combo_box_set_model(pwgtCombo, GTK_TREE_MODEL(psto));
    g_object_unref(psto); // the combo owns it now
    mscComboShowText(GTK_WIDGET(pwgtCombo), OPT_LABEL_COL, OPT_SENSITIVE_COL);
}

void acdInitOptions() {
    for (std::size_t i = 0; i < m_lstOptCombos.size(); ++i) {
        const amodOptList& lst = amodOptLists()[i];
        GtkWidget* pwgt = *m_lstOptCombos[i];
        acdInitCombo(lst, GTK_COMBO_BOX(pwgt));
        g_signal_connect(pwgt, "changed", G_CALLBACK(acdOnOptChanged), &(m_rcdAC.*lst.piField));
        mscConnectField(pwgt, m_lstACLUT, nullptr);
    }
}

void acdInitACReg(GtkBuilder* pBuilder) {
    GtkWidget* pwgtNB = mscGetWidget(pBuilder, "MainNotebook");
    GtkWidget* pwgtBox = gtk_hbox_new(FALSE, 10);
    m_pwgtACRegLabel = gtk_label_new(nullptr);
    // As tall as a full banner whatever it shows: the tab row, and with it
    // the page, must not jump when no aircraft or no model is shown.
    gtk_label_set_markup(GTK_LABEL(m_pwgtACRegLabel),
                         "<span size='large' style='italic' weight='bold'>Ag</span>  "
                         "<span weight='bold'>(0.0 A/F HRS)</span>\n<sup>Ag</sup>  ");
    GtkRequisition req;
    gtk_widget_size_request(m_pwgtACRegLabel, &req);
    gtk_widget_set_size_request(m_pwgtACRegLabel, -1, req.height);
    gtk_label_set_markup(GTK_LABEL(m_pwgtACRegLabel), "");
    gtk_box_pack_start(GTK_BOX(pwgtBox), m_pwgtACRegLabel, TRUE, TRUE, 0);
    gtk_notebook_set_action_widget(GTK_NOTEBOOK(pwgtNB), pwgtBox, GTK_PACK_END);
    gtk_widget_show_all(pwgtBox);
}

void acdLoadTree() {
    amodLoadModel(m_rcdAC.iACID);
    GtkTreeIter iterFirst;
    GtkTreeIter* piter = amodGetSelection();
    if (!piter) {
        // The remembered aircraft is gone (deleted, or none remembered):
        // the first listed one becomes active, if there is one.
        clearActiveAC();
        GtkTreeModel* pmod = amodGetModel();
        gboolean bNew = TRUE;
        if (gtk_tree_model_get_iter_first(pmod, &iterFirst))
            gtk_tree_model_get(pmod, &iterFirst, AC_NEW_FLAG_COL, &bNew, -1);
        if (bNew)
            return;
        piter = &iterFirst;
    }
    GtkTreePath* ppath = gtk_tree_model_get_path(amodGetModel(), piter);
    gtk_tree_view_expand_to_path(GTK_TREE_VIEW(m_pwgtACTree), ppath);
    gtk_tree_path_free(ppath);
    gtk_tree_selection_select_iter(gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtACTree)), piter);
}

void forgetWidgets(GtkWidget*, gpointer) {
    m_pwgtACReg = nullptr;
    m_pwgtACRegLabel = nullptr;
    m_pwgtACTree = nullptr;
}

} // namespace

gboolean acdLoadActiveAC(guint iACID) {
    gboolean bLoaded = FALSE;
    if (!loadRecord(iACID, &bLoaded))
        dlgError(sqlLastError(), "acdLoadActiveAC()", "pagAC");
    if (!bLoaded)
        clearActiveAC();
    guint nHours = rebuildFlightLog();
    if (pageReady()) {
        acdDisplaySensitive(bLoaded);
        if (bLoaded) {
            acdDisplayUpdate();
            acdDisplayACReg(nHours);
        } else {
            acdDisplayClear();
            acdClearACReg();
        }
    }
    return bLoaded;
}

void acdDisplayACReg(gint64 nAFHours) {
    if (!m_pwgtACRegLabel)
        return;
    if (m_rcdAC.iACID == SQL_NEW_ID) {
        acdClearACReg();
        return;
    }
    // Registration and model are the user's text: escaped, never cut
    // (a cut could split the markup).
    gchar szHours[32];
    cnvDcdHours(szHours, sizeof szHours, nAFHours);
    // An open grounding defect stands beside the model, in the colour of
    // what is overdue.
    const std::string strGround = dfctBannerTextFor(m_rcdAC.iACID);
    gchar* pszGround =
        strGround.empty()
            ? g_strdup("")
            : g_markup_printf_escaped("<span color='%s' weight='bold'>%s</span>  ",
                                      cmodDueLook(CCD_DUESTAT_RCODUE).pszColour, strGround.c_str());
    gchar* pszMarkup = g_markup_printf_escaped(
        "<span color='blue' size='large' style='italic' weight='bold'>%s</span>  "
        "<span weight='bold'>(%s A/F HRS)</span>\n<sup>%s</sup>  ",
        m_rcdAC.szReg, szHours, m_rcdAC.szModel);
    gchar* pszAll = g_strconcat(pszMarkup, pszGround, nullptr);
    gtk_label_set_markup(GTK_LABEL(m_pwgtACRegLabel), pszAll);
    g_free(pszAll);
    g_free(pszGround);
    g_free(pszMarkup);
}

void acdClearACReg() {
    if (m_pwgtACRegLabel)
        gtk_label_set_markup(GTK_LABEL(m_pwgtACRegLabel), "");
}

gboolean acdRegSave(const gchar* pszText) {
    if (!pszText || !*pszText || strcmp(pszText, m_rcdAC.szReg) == 0)
        return FALSE;
    gchar szNew[40], szRow[40];
    acdParseACReg(szNew, pszText, sizeof szNew);

    GtkTreeModel* pmod = amodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_get_iter_first(pmod, &iter); b;
         b = gtk_tree_model_iter_next(pmod, &iter)) {
        gchar* pszReg = nullptr;
        gtk_tree_model_get(pmod, &iter, AC_REG_COL, &pszReg, -1);
        gulong iRowID = SQL_NEW_ID;
        gtk_tree_model_get(pmod, &iter, AC_ID_COL, &iRowID, -1);
        acdParseACReg(szRow, pszReg, sizeof szRow);
        g_free(pszReg);
        // An aircraft is not its own duplicate: a change of case or
        // punctuation of its registration is saved.
        if (strcmp(szRow, szNew) == 0 && !(iRowID == m_rcdAC.iACID && acdHasActiveAC()))
            return TRUE;
    }

    mscCopyText(m_rcdAC.szReg, pszText);
    const gboolean bNew = !acdHasActiveAC();
    // A new aircraft is active from here on; the settings follow it.
    if (saveRecord("acdSaveReg()", "pagAC") && bNew)
        prmSetKeyInteger(PRM_ACTIVE_AC, static_cast<gint>(m_rcdAC.iACID));
    if (m_pwgtACTree)
        gtk_widget_set_sensitive(m_pwgtACTree, TRUE);
    amodLoadModel(m_rcdAC.iACID);
    refreshBanner();
    return FALSE;
}

void acdInitialize(GtkBuilder* pBuilder) {
    m_pwgtACTree = mscGetWidget(pBuilder, "ACTreeView");
    m_pwgtACReg = mscGetWidget(pBuilder, "ACReg");
    m_pwgtACModel = mscGetWidget(pBuilder, "ACModel");
    m_pwgtACSerial = mscGetWidget(pBuilder, "ACSerial");
    m_pwgtACBuilder = mscGetWidget(pBuilder, "ACBuilder");
    m_pwgtACOwner = mscGetWidget(pBuilder, "ACOwner");
    for (std::size_t i = 0; i < m_lstOptCombos.size(); ++i)
        *m_lstOptCombos[i] = mscGetWidget(pBuilder, amodOptLists()[i].pszComboID);
    m_pwgtACManuDate = mscGetWidget(pBuilder, "ACManuDate");
    m_pwgtACLogSinceNew = mscGetWidget(pBuilder, "ACLogSinceNew");
    m_pwgtACLogStartDate = mscGetWidget(pBuilder, "ACLogStartDate");
    m_pwgtACLogStartHours = mscGetWidget(pBuilder, "ACLogStartHours");
    m_pwgtACNotes = mscGetWidget(pBuilder, "ACNotes");
    g_signal_connect(m_pwgtACReg, "destroy", G_CALLBACK(forgetWidgets), nullptr);

    g_signal_connect(m_pwgtACTree, "key-press-event", G_CALLBACK(acdOnTreeKeyPress), nullptr);
    g_signal_connect(gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtACTree)), "changed",
                     G_CALLBACK(acdOnRowChanged), nullptr);
    // The registration's Return and Down open the card: its own keys, no table.
    g_signal_connect(m_pwgtACReg, "key-press-event", G_CALLBACK(acdOnACRegKeyPress), nullptr);
    mscConnectField(m_pwgtACReg, nullptr, G_CALLBACK(acdOnRegFocusOut));
    mscConnectField(m_pwgtACModel, m_lstACLUT, G_CALLBACK(acdOnModelFocusOut));
    mscConnectField(m_pwgtACSerial, m_lstACLUT, G_CALLBACK(acdOnSerialFocusOut));
    mscConnectField(m_pwgtACManuDate, m_lstACLUT, G_CALLBACK(acdOnManuDateFocusOut));
    mscConnectField(m_pwgtACBuilder, m_lstACLUT, G_CALLBACK(acdOnBuilderFocusOut));
    mscConnectField(m_pwgtACOwner, m_lstACLUT, G_CALLBACK(acdOnOwnerFocusOut));
    mscConnectField(m_pwgtACLogStartDate, m_lstACLUT, G_CALLBACK(acdOnLogStartDateFocusOut));
    mscConnectField(m_pwgtACLogStartHours, m_lstACLUT, G_CALLBACK(acdOnLogStartHoursFocusOut));
    mscConnectField(m_pwgtACNotes, m_lstACLUT, G_CALLBACK(acdOnACNotesFocusOut));
    g_signal_connect(m_pwgtACLogSinceNew, "toggled", G_CALLBACK(acdOnLogSinceNew), nullptr);
    // The screen shows what the record will hold.
    mscLimitText(m_pwgtACReg, sizeof m_rcdAC.szReg);
    mscLimitText(m_pwgtACModel, sizeof m_rcdAC.szModel);
    mscLimitText(m_pwgtACSerial, sizeof m_rcdAC.szSerial);
    mscLimitText(m_pwgtACBuilder, sizeof m_rcdAC.szBuilder);
    mscLimitText(m_pwgtACOwner, sizeof m_rcdAC.szOwner);
    mscLimitText(m_pwgtACNotes, sizeof m_rcdAC.szNotes);

    acdInitTree();
    acdInitOptions();
    acdInitACReg(pBuilder);
    acfInitialize(pBuilder);
    acdDisplaySensitive(FALSE);

    clearRecord(static_cast<guint>(prmGetKeyInteger(PRM_ACTIVE_AC)));
    acdLoadTree();
}

void acdOnPageLeave() {
    if (!m_rcdAC.bDirty)
        return;
    saveRecord("acdOnPageLeave()", "pagAC");
    // The option codes decide which components apply.
    cmodLoadModel(static_cast<gulong>(-1));
}
