#include "pagComp.h"

#include "avCnv.h"
#include "avDefect.h"
#include "avError.h"
#include "avHelp.h"
#include "avMisc.h"
#include "modAC.h"
#include "modComp.h"
#include "modDue.h"
#include "modFLog.h"
#include "modMaint.h"
#include "pagCompEdit.h"
#include "pagMaint.h"
#include "pagRef.h"
#include "rcdAC.h"
#include "rcdComp.h"
#include "sqlMLog.h"
#include "txtView.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>
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
GtkWidget* m_pwgtForecast = nullptr; // when each limit is expected to fall due
GtkWidget* m_pwgtSvcNotes = nullptr;
GtkWidget* m_pwgtPartDesc = nullptr;
GtkWidget* m_pwgtSortOrder = nullptr;
GtkWidget* m_pwgtSNoteLabel = nullptr;

const wgtLUT m_lstCardLUT[] = {
    {&m_pwgtPartNumber, nullptr}, {&m_pwgtPartDesc, nullptr}, {&m_pwgtDescNote, nullptr},
    {&m_pwgtPartRef, nullptr},    {&m_pwgtInspIntv, nullptr}, {&m_pwgtRCOIntv, nullptr},
    {&m_pwgtSvcNotes, nullptr},   {nullptr, nullptr},
};

// ---- small helpers ----

void showError(const char* pszFunction) {
    dlgError(sqlLastError(), pszFunction, "pagComp");
}

rcdSNote* slotRecord(int i) {
    rcdSNote* lst[] = {m_prcdSNote1.get(), m_prcdSNote2.get(), m_prcdSNote3.get()};
    return lst[i];
}
guint* slotCardID(int i) {
    guint* lst[] = {&m_prcdComp->iSNote1ID, &m_prcdComp->iSNote2ID, &m_prcdComp->iSNote3ID};
    return lst[i];
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
        cedSetButtons(m_bGroupChosen, FALSE);
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
    cedSetButtons(FALSE, TRUE);
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
    std::string str =
        "Unfinished maintenance entries count for nothing until completed or deleted: ";
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
    mscCommitEditsFor(m_pwgtCompTree);
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
    if (const rcdSNote* prcdCur = cedNoteInEdit()) {
        txvDecodeText(pbfr, prcdCur->szText, FALSE);
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
        if (mscIsBlank(pszText)) {
            nHours = 0;
        } else if (!cnvEncHours(&nHours, pszText, CNV_HOURS_MAX)) {
            ccdMarkUpdate();
            mscRefuse(pwgt, "Look-ahead flight time: type hours such as 10 or 12.5");
            return FALSE;
        }
    } else {
        const gchar* pszWhy = nullptr;
        nTime = 0;
        if (!mscIsBlank(pszText) && !cnvReadInterval(&nTime, pszText, &pszWhy)) {
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

// ---- set-up ----

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

// A card with an open defect carries a warning sign.
void defectCellData(GtkTreeViewColumn*, GtkCellRenderer* pRenderer, GtkTreeModel* pModel,
                    GtkTreeIter* piter, gpointer) {
    gulong iInx = 0;
    guint nType = TYPE_GRP;
    gtk_tree_model_get(pModel, piter, CCD_INX_COL, &iInx, CCD_TYPE_COL, &nType, -1);
    const gboolean bMark = nType == TYPE_COMP && dfctCardMarked(guint(iInx));
    g_object_set(pRenderer, "visible", bMark, "stock-id", GTK_STOCK_DIALOG_WARNING, nullptr);
}

void initCompTree() {
    GtkTreeView* pTree = GTK_TREE_VIEW(m_pwgtCompTree);
    GtkCellRenderer* pRenderer = gtk_cell_renderer_text_new();
    GtkTreeViewColumn* pColumn = gtk_tree_view_column_new_with_attributes(
        "Component", pRenderer, "text", CCD_COMP_COL, "foreground", CCD_COLOUR_COL, nullptr);
    gtk_tree_view_column_set_cell_data_func(pColumn, pRenderer, compCellData, GINT_TO_POINTER(1),
                                            nullptr);
    GtkCellRenderer* pMark = gtk_cell_renderer_pixbuf_new();
    g_object_set(pMark, "stock-size", GTK_ICON_SIZE_MENU, nullptr);
    gtk_tree_view_column_pack_start(pColumn, pMark, FALSE);
    // Before the name: after it, a long name would push it out of sight.
    gtk_cell_layout_reorder(GTK_CELL_LAYOUT(pColumn), pMark, 0);
    gtk_tree_view_column_set_cell_data_func(pColumn, pMark, defectCellData, nullptr, nullptr);
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
    hlpConnect(m_pwgtCompTree, m_pszColourHelp);
    g_signal_connect(gtk_tree_view_get_selection(pTree), "changed", G_CALLBACK(ccdOnRowChanged),
                     nullptr);
}

void initCardPage(GtkBuilder* pBuilder) {
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
    m_pwgtForecast = mscGetWidget(pBuilder, "CompForecast");
    m_pwgtSvcNotes = mscGetWidget(pBuilder, "CompServiceNotes");
    m_pwgtPartDesc = mscGetWidget(pBuilder, "CompPartDesc");
    m_pwgtSortOrder = mscGetWidget(pBuilder, "CompSortOrder");
    m_pwgtSNoteLabel = mscGetWidget(pBuilder, "CompSNoteLabel");

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
        hlpConnect(pwgt, m_pszMarkHelp);
        mscLimitText(pwgt, 20);
    }
    hlpConnect(mscGetWidget(pBuilder, "CompMarkCHelp"), m_pszMarkHelp);

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

    if (!m_bCompEdit)
        for (GtkWidget* pwgt : {m_pwgtPartNumber, m_pwgtPartRef, m_pwgtInspIntv, m_pwgtRCOIntv,
                                m_pwgtDescNote, m_pwgtSvcNotes})
            mscConnectField(pwgt, m_lstCardLUT, nullptr);
}

// ---- what the catalogue editor asks of the page ----

// A new card in the group or sub-group chosen: nothing selected, the card
// empty and open for typing. FALSE when no group is chosen.
gboolean startNewCard() {
    if (!m_bGroupChosen)
        return FALSE;
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
    return TRUE;
}

// The new card has its place in the tree now: show it there.
void showNewCard() {
    savePending("ccdOnPartDescFocusOut()");
    const guint iCompID = m_prcdComp->iCompID;
    rebuildTree(iCompID);
    if (GtkTreeIter* piter = cmodGetCompSel()) {
        GtkTreeIter iter = *piter;
        selectCompRow(&iter);
    }
}

void cardDeleted() {
    GtkTreePath* pPath = gtk_tree_model_get_path(cmodGetModel(), selectedCardRow());
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
    cedSetButtons(m_bGroupChosen, FALSE);
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
    m_iACIDCur = 0;
    m_iCompRowType = TYPE_GRP;
    m_bGroupChosen = FALSE;
    m_bCompEdit = bCompEdit;
    m_pwgtCompPage = mscGetWidget(pBuilder, "CompPage");

    static const mntCardOps ops{
        .pfnCard = [] { return static_cast<const rcdComp*>(m_prcdComp.get()); },
        .pfnCardInTree = [] { return gboolean(selectedCardRow() != nullptr); },
        .pfnACID = [] { return m_iACIDCur; },
        .pfnDueChanged = ccdDueTimesUpdate,
    };
    mntInitialize(pBuilder, &ops);
    initCardPage(pBuilder);
    static const cedCardOps opsEdit{
        .plstCardLUT = m_lstCardLUT,
        .pfnCard = [] { return m_prcdComp.get(); },
        .pfnNote = slotRecord,
        .pfnCardRow = selectedCardRow,
        .pfnShow = ccdDisplayUpdate,
        .pfnDueChanged = ccdDueTimesUpdate,
        .pfnStartNewCard = startNewCard,
        .pfnShowNewCard = showNewCard,
        .pfnCardDeleted = cardDeleted,
    };
    cedInitialize(pBuilder, bCompEdit ? &opsEdit : nullptr);
    cedSetButtons(FALSE, FALSE);
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
        cedSetButtons(FALSE, FALSE);
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
    cedCleanUp();
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
    cedSetButtons(FALSE, FALSE);
}

void ccdDisplayUpdate() {
    MscDisplayGuard guard;
    mscSetEntry(m_pwgtPartNumber, m_prcdComp->szPartNmbr);
    mscSetViewText(m_pwgtDescNote, m_prcdComp->szDescNotes);
    mscSetEntry(m_pwgtPartRef, m_prcdComp->szPartRef);
    showServiceNotes();
    gchar sz[60];
    cnvDcdRCO(sz, sizeof sz, m_prcdComp->nInspIntv);
    mscSetEntry(m_pwgtInspIntv, sz);
    cnvDcdRCO(sz, sizeof sz, m_prcdComp->nRCOIntv);
    mscSetEntry(m_pwgtRCOIntv, sz);
    cedDisplayUpdate();
    ccdDisplaySensitive(TRUE);
    if (GtkTreeIter* piter = selectedCardRow())
        ccdDueUpdate(piter);
}

void ccdDisplayClear() {
    MscDisplayGuard guard;
    for (GtkWidget* pwgt : {m_pwgtPartNumber, m_pwgtPartRef, m_pwgtInspIntv, m_pwgtInspLast,
                            m_pwgtInspDue, m_pwgtRCOIntv, m_pwgtRCOLast, m_pwgtRCODue,
                            m_pwgtPartDesc, m_pwgtSortOrder, m_pwgtSNoteLabel})
        mscSetEntry(pwgt, "");
    mscSetViewText(m_pwgtDescNote, "");
    mscSetViewText(m_pwgtSvcNotes, "");
    for (GtkWidget* pwgt : {m_pwgtInspDue, m_pwgtRCODue})
        setDueColour(pwgt, CCD_DUESTAT_NONE);
    gtk_label_set_text(GTK_LABEL(m_pwgtForecast), "");
    gtk_widget_set_tooltip_text(m_pwgtForecast, nullptr);
    cedDisplayClear();
}

void ccdDisplaySensitive(gboolean bSensitive) {
    // Outside edit mode the card is read only: its entries stay greyed with
    // black text, the two texts can be scrolled and copied.
    for (GtkWidget* pwgt : {m_pwgtPartNumber, m_pwgtPartRef, m_pwgtInspIntv, m_pwgtRCOIntv,
                            m_pwgtPartDesc, m_pwgtSortOrder})
        gtk_widget_set_sensitive(pwgt, bSensitive && m_bCompEdit);
    for (GtkWidget* pwgt : {m_pwgtDescNote, m_pwgtSvcNotes})
        gtk_widget_set_sensitive(pwgt, bSensitive);
    cedDisplaySensitive(bSensitive);
}

void ccdDueUpdate(GtkTreeIter* piterComp) {
    // The figures and texts of the due list, so that both read alike.
    cmodDueFigure lst[CCD_LIMIT_NUM];
    cmodDueFigures(piterComp, lst);
    const cmodDueFigure& insp = lst[CCD_LIMIT_INSP_HOURS];
    const cmodDueFigure& rcoHours = lst[CCD_LIMIT_RCO_HOURS];
    const cmodDueFigure& rcoCal = lst[CCD_LIMIT_RCO_CAL];

    mscSetEntry(m_pwgtInspLast, dueHoursText(insp.nLastHours).c_str());
    // A card without an interval is never due for inspection: no due figure.
    mscSetEntry(m_pwgtInspDue, duePointText(lst, true).c_str());
    setDueColour(m_pwgtInspDue, insp.nState);

    std::string str;
    if (rcoHours.bSet)
        str = dueHoursText(rcoHours.nLastHours);
    else if (rcoCal.bSet && rcoCal.tLast != -1)
        str = dueDateText(rcoCal.tLast);
    mscSetEntry(m_pwgtRCOLast, str.c_str());

    str = duePointText(lst, false);
    if (str.empty() && (m_prcdComp->nRCOIntv & CNV_RCO_OC))
        str = "OC";
    mscSetEntry(m_pwgtRCODue, str.c_str());
    setDueColour(m_pwgtRCODue, std::max(rcoHours.nState, rcoCal.nState));

    // When each is expected, and what puts it there.
    fcstPoint pts[FCST_KINDS];
    fcstPoints(lst, fcstUtilisation(), gint64(fmodAFHoursTotal()), cmodNow(), pts);
    std::string strFcst;
    for (auto [pszKind, k] : {std::pair{"inspection ", FCST_INSP}, {"replacement ", FCST_RCO}})
        if (pts[k].bSet)
            strFcst += (strFcst.empty() ? "" : "; ") + (pszKind + pts[k].strText);
    gtk_label_set_text(GTK_LABEL(m_pwgtForecast), strFcst.c_str());
    gtk_widget_set_tooltip_text(m_pwgtForecast, strFcst.empty() ? nullptr : strFcst.c_str());
}

void ccdMarkUpdate() {
    MscDisplayGuard guard;
    gchar sz[40];
    cnvDcdHours(sz, sizeof sz, cmodGetMarkHours());
    mscSetEntry(m_pwgtMarkHours, sz);
    cnvDcdInterval(sz, sizeof sz, cmodGetMarkTime());
    mscSetEntry(m_pwgtMarkTime, sz);
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
