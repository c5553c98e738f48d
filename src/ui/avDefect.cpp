#include "avDefect.h"

#include "avCnv.h"
#include "avMisc.h"
#include "modAC.h"
#include "modComp.h"
#include "modDefect.h"
#include "modFLog.h"
#include "rcdAC.h"

#include <algorithm>
#include <array>

namespace {

GtkWidget* m_pwinMain = nullptr;
GtkWidget* m_pwgtWindow = nullptr;
GtkWidget* m_pwgtTree = nullptr;
GtkWidget* m_pwgtInfo = nullptr;
GtkTreeStore* m_psto = nullptr;
void (*m_pfnFollow)() = nullptr;
void (*m_pfnExport)() = nullptr;

// The defects of the aircraft last asked about; the tree's marks ask for
// every row drawn, so they are read again only after a change.
dfctList m_list;
guint m_iListAC = 0;
bool m_bStale = true;
guint m_idIdle = 0;

guint activeAC() {
    return acdHasActiveAC() ? acdGetActiveAC()->iACID : 0;
}

const dfctList& current() {
    const guint iAC = activeAC();
    if (m_bStale || iAC != m_iListAC) {
        m_list = dfctList{};
        if (iAC)
            dfctLoad(iAC, time(nullptr), &m_list);
        m_iListAC = iAC;
        m_bStale = false;
    }
    return m_list;
}

std::string daysText(gint64 n) {
    return cnvCount(n, "day", "days");
}

// ---- the window ----

void appendSection(GtkTreeIter* piter, const char* pszTitle, size_t n) {
    const std::string str = std::string(pszTitle) + " (" + std::to_string(n) + ")";
    gtk_tree_store_append(m_psto, piter, nullptr);
    gtk_tree_store_set(m_psto, piter, DFCT_ID_COL, 0u, DFCT_OPEN_COL, FALSE, DFCT_SEV_COL,
                       str.c_str(), DFCT_COLOUR_COL, "black", DFCT_WEIGHT_COL, 700u, -1);
}

void appendLine(GtkTreeIter* piterSection, const dfctLine& l, gboolean bOpen) {
    const cmodLook look = bOpen ? dfctLook(l.rcd.nSeverity) : cmodDueLook(CCD_DUESTAT_NONE);
    std::string strDesc = l.rcd.szDesc;
    if (!l.strFlight.empty())
        strDesc += "\nFound after the flight of " + l.strFlight + ".";
    if (*l.rcd.szLink)
        strDesc += std::string("\n") + l.rcd.szLink;
    const std::string strCleared = bOpen ? "" : l.strCleared + ": " + l.strHow;
    GtkTreeIter iter;
    gtk_tree_store_append(m_psto, &iter, piterSection);
    gtk_tree_store_set(m_psto, &iter, DFCT_ID_COL, l.rcd.iDefectID, DFCT_OPEN_COL, bOpen,
                       DFCT_SEV_COL, l.strSeverity.c_str(), DFCT_DATE_COL, l.strReported.c_str(),
                       DFCT_AGE_COL, daysText(l.nAgeDays).c_str(), DFCT_FLIGHTS_COL,
                       bOpen ? std::to_string(l.nFlightsSince).c_str() : "", DFCT_COMP_COL,
                       l.strComp.c_str(), DFCT_DESC_COL, strDesc.c_str(), DFCT_CLEARED_COL,
                       strCleared.c_str(), DFCT_COLOUR_COL, look.pszColour, DFCT_WEIGHT_COL,
                       look.nWeight, -1);
}

void fillStore() {
    m_bStale = true;
    const dfctList& list = current();
    gtk_tree_store_clear(m_psto);
    GtkTreeIter iterOpen, iterCleared;
    appendSection(&iterOpen, "Open defects", list.lstOpen.size());
    for (const dfctLine& l : list.lstOpen)
        appendLine(&iterOpen, l, TRUE);
    appendSection(&iterCleared, "Cleared", list.lstCleared.size());
    for (const dfctLine& l : list.lstCleared)
        appendLine(&iterCleared, l, FALSE);
    if (!m_pwgtWindow)
        return;
    gtk_tree_view_expand_all(GTK_TREE_VIEW(m_pwgtTree));
    const std::string strReg = acdHasActiveAC() ? acdGetActiveAC()->szReg : "";
    gtk_label_set_text(GTK_LABEL(m_pwgtInfo),
                       strReg.empty()
                           ? "No aircraft is active."
                           : (strReg + "  —  " + std::to_string(list.lstOpen.size()) + " open, " +
                              std::to_string(list.lstCleared.size()) + " cleared")
                                 .c_str());
    gtk_window_set_title(GTK_WINDOW(m_pwgtWindow),
                         ("Defects" + (strReg.empty() ? "" : " — " + strReg)).c_str());
}

// The open defect selected in the window; 0 for none.
guint selectedOpen() {
    GtkTreeModel* pModel = nullptr;
    GtkTreeIter iter;
    guint iID = 0;
    gboolean bOpen = FALSE;
    if (gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtTree)),
                                        &pModel, &iter))
        gtk_tree_model_get(pModel, &iter, DFCT_ID_COL, &iID, DFCT_OPEN_COL, &bOpen, -1);
    return bOpen ? iID : 0;
}

// ---- dialogs ----

// A modal dialog of labelled fields, with a line that tells a refusal.
struct Form {
    GtkWidget* pwgtDialog;
    GtkWidget* pwgtTable;
    GtkWidget* pwgtWhy;
    guint nRows = 0;

    Form(GtkWidget* pwgtNear, const char* pszTitle, const char* pszOK, const char* pszName) {
        GtkWidget* pwgtTop = pwgtNear ? gtk_widget_get_toplevel(pwgtNear) : m_pwinMain;
        pwgtDialog = gtk_dialog_new_with_buttons(
            pszTitle, GTK_IS_WINDOW(pwgtTop) ? GTK_WINDOW(pwgtTop) : nullptr,
            GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), GTK_STOCK_CANCEL,
            GTK_RESPONSE_CANCEL, pszOK, GTK_RESPONSE_OK, nullptr);
        gtk_widget_set_name(pwgtDialog, pszName);
        gtk_dialog_set_default_response(GTK_DIALOG(pwgtDialog), GTK_RESPONSE_OK);
        pwgtTable = gtk_table_new(1, 2, FALSE);
        gtk_table_set_row_spacings(GTK_TABLE(pwgtTable), 6);
        gtk_table_set_col_spacings(GTK_TABLE(pwgtTable), 8);
        gtk_container_set_border_width(GTK_CONTAINER(pwgtTable), 8);
        GtkWidget* pwgtBox = gtk_dialog_get_content_area(GTK_DIALOG(pwgtDialog));
        gtk_box_pack_start(GTK_BOX(pwgtBox), pwgtTable, TRUE, TRUE, 0);
        pwgtWhy = gtk_label_new(nullptr);
        gtk_widget_set_name(pwgtWhy, "DefectWhy");
        gtk_label_set_line_wrap(GTK_LABEL(pwgtWhy), TRUE);
        gtk_misc_set_alignment(GTK_MISC(pwgtWhy), 0, 0.5);
        gtk_box_pack_start(GTK_BOX(pwgtBox), pwgtWhy, FALSE, FALSE, 4);
    }
    ~Form() { gtk_widget_destroy(pwgtDialog); }
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    GtkWidget* add(const char* pszLabel, GtkWidget* pwgt, const char* pszName = nullptr) {
        GtkWidget* pwgtLabel = gtk_label_new_with_mnemonic(pszLabel);
        gtk_misc_set_alignment(GTK_MISC(pwgtLabel), 1, 0);
        gtk_label_set_mnemonic_widget(GTK_LABEL(pwgtLabel), pwgt);
        gtk_table_attach(GTK_TABLE(pwgtTable), pwgtLabel, 0, 1, nRows, nRows + 1, GTK_FILL,
                         GTK_FILL, 0, 0);
        GtkWidget* pwgtPlace = pwgt;
        if (GTK_IS_TEXT_VIEW(pwgt)) {
            gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(pwgt), GTK_WRAP_WORD_CHAR);
            pwgtPlace = gtk_scrolled_window_new(nullptr, nullptr);
            gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(pwgtPlace), GTK_POLICY_AUTOMATIC,
                                           GTK_POLICY_AUTOMATIC);
            gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(pwgtPlace), GTK_SHADOW_IN);
            gtk_widget_set_size_request(pwgtPlace, 360, 90);
            gtk_container_add(GTK_CONTAINER(pwgtPlace), pwgt);
        }
        gtk_table_attach(
            GTK_TABLE(pwgtTable), pwgtPlace, 1, 2, nRows, nRows + 1,
            GtkAttachOptions(GTK_FILL | GTK_EXPAND),
            GtkAttachOptions(GTK_IS_TEXT_VIEW(pwgt) ? GTK_FILL | GTK_EXPAND : GTK_FILL), 0, 0);
        if (pszName)
            gtk_widget_set_name(pwgt, pszName);
        ++nRows;
        return pwgt;
    }
    GtkWidget* addText(const char* pszLabel, const std::string& str) {
        GtkWidget* pwgt = gtk_label_new(str.c_str());
        gtk_misc_set_alignment(GTK_MISC(pwgt), 0, 0);
        gtk_label_set_line_wrap(GTK_LABEL(pwgt), TRUE);
        return add(pszLabel, pwgt);
    }
    // Shows the dialog until OK is given and pfnTake accepts, or the
    // owner cancels.
    template <class Take> gboolean run(Take take) {
        gtk_widget_show_all(pwgtDialog);
        while (gtk_dialog_run(GTK_DIALOG(pwgtDialog)) == GTK_RESPONSE_OK) {
            GtkWidget* pwgtField = nullptr;
            const std::string strWhy = take(&pwgtField);
            if (strWhy.empty())
                return TRUE;
            refuse(pwgtField, strWhy);
        }
        return FALSE;
    }
    void refuse(GtkWidget* pwgtField, const std::string& strWhy) {
        gchar* psz = g_markup_printf_escaped("<span color='red'>%s</span>", strWhy.c_str());
        gtk_label_set_markup(GTK_LABEL(pwgtWhy), psz);
        g_free(psz);
        gtk_widget_error_bell(pwgtDialog);
        if (pwgtField)
            gtk_widget_grab_focus(pwgtField);
    }
};

GtkWidget* newEntry(const std::string& strText, std::size_t nlField) {
    GtkWidget* pwgt = gtk_entry_new();
    gtk_entry_set_activates_default(GTK_ENTRY(pwgt), TRUE);
    gtk_entry_set_width_chars(GTK_ENTRY(pwgt), 24);
    mscLimitText(pwgt, nlField);
    gtk_entry_set_text(GTK_ENTRY(pwgt), strText.c_str());
    return pwgt;
}

std::string viewText(GtkWidget* pwgtView) {
    GtkTextBuffer* pBuf = gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgtView));
    GtkTextIter itBegin, itEnd;
    gtk_text_buffer_get_bounds(pBuf, &itBegin, &itEnd);
    gchar* psz = gtk_text_buffer_get_text(pBuf, &itBegin, &itEnd, FALSE);
    std::string str = psz ? psz : "";
    g_free(psz);
    return str;
}

// Reads a date field as every page does: the text shown at the start
// keeps the moment it stood for; a date after today is asked about.
std::string readDate(GtkWidget* pwgtEntry, const std::string& strShown, time_t tShown,
                     const char* pszWhat, time_t* pt) {
    const char* pszText = gtk_entry_get_text(GTK_ENTRY(pwgtEntry));
    if (strShown == pszText) {
        *pt = tShown;
        return "";
    }
    const gchar* pszWhy = nullptr;
    if (!cnvReadDate(pt, pszText, TRUE, &pszWhy))
        return pszWhy ? pszWhy : "That is no date.";
    if (!mscKeepFutureDate(pwgtEntry, *pt, pszWhat))
        return "Give the date it was.";
    return "";
}

gboolean clearByNoteDialog(guint iDefectID) {
    rcdDefect rcd{};
    const dfctList& list = current();
    for (const dfctLine& l : list.lstOpen)
        if (l.rcd.iDefectID == iDefectID)
            rcd = l.rcd;
    if (!rcd.iDefectID)
        return FALSE;
    Form form(m_pwgtWindow, "Clear Defect", "C_lear", "DefectClearDialog");
    form.addText("Defect:", std::string(rcd.szDesc) + " (" + dfctSeverityText(rcd.nSeverity) +
                                ", " + cnvDateText(rcd.tReported) + ")");
    const time_t tToday = time(nullptr) / SECONDS_PER_DAY * SECONDS_PER_DAY;
    const std::string strToday = cnvDateText(tToday);
    GtkWidget* pwgtDate = form.add("_Cleared on:", newEntry(strToday, 40), "DefectClearDate");
    GtkWidget* pwgtHow = form.add("_How:", newEntry("", sizeof rcd.szHow), "DefectClearHow");
    GtkWidget* pwgtBy = form.add("_By (optional):", newEntry("", sizeof rcd.szBy), "DefectClearBy");
    gtk_widget_set_tooltip_text(pwgtHow, "For instance \"could not reproduce\", or \"deferred by "
                                         "the owner\" with the reason");
    const gboolean bDone = form.run([&](GtkWidget** ppwgtField) -> std::string {
        time_t tWhen = -1;
        *ppwgtField = pwgtDate;
        std::string strWhy = readDate(pwgtDate, strToday, tToday, "The clearing", &tWhen);
        if (!strWhy.empty())
            return strWhy;
        const char* pszHow = gtk_entry_get_text(GTK_ENTRY(pwgtHow));
        if (const char* pszWhy = dfctClearRefusal(rcd, tWhen, 0, pszHow)) {
            *ppwgtField = tWhen > 0 ? pwgtHow : pwgtDate;
            return pszWhy;
        }
        return dfctClear(iDefectID, tWhen, 0, pszHow, gtk_entry_get_text(GTK_ENTRY(pwgtBy)))
                   ? ""
                   : "The clearing was not stored.";
    });
    if (bDone)
        dfctChanged();
    return bDone;
}

void onClearClicked(GtkButton*, gpointer) {
    if (const guint iID = selectedOpen())
        clearByNoteDialog(iID);
    else
        gtk_widget_error_bell(m_pwgtWindow);
}

void onReportClicked(GtkButton*, gpointer) {
    dfctReportDialog(m_pwgtWindow, 0, 0, time(nullptr) / SECONDS_PER_DAY * SECONDS_PER_DAY);
}

void onExportClicked(GtkWidget*, gpointer) {
    if (m_pfnExport)
        m_pfnExport();
}

void onWindowDestroyed() {
    if (m_idIdle)
        g_source_remove(m_idIdle);
    m_idIdle = 0;
    m_pwgtWindow = m_pwgtTree = m_pwgtInfo = nullptr;
}

// Section rows are titles, never a selection.
gboolean selectOnlyLines(GtkTreeSelection*, GtkTreeModel* pModel, GtkTreePath* pPath, gboolean,
                         gpointer) {
    GtkTreeIter iter;
    guint iID = 0;
    if (gtk_tree_model_get_iter(pModel, &iter, pPath))
        gtk_tree_model_get(pModel, &iter, DFCT_ID_COL, &iID, -1);
    return iID != 0;
}

void buildWindow() {
    m_pwgtWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_set_name(m_pwgtWindow, "DefectWindow");
    gtk_window_set_default_size(GTK_WINDOW(m_pwgtWindow), 1000, 420);
    if (m_pwinMain)
        gtk_window_set_transient_for(GTK_WINDOW(m_pwgtWindow), GTK_WINDOW(m_pwinMain));
    GtkWidget* pwgtBox = gtk_vbox_new(FALSE, 6);
    gtk_container_set_border_width(GTK_CONTAINER(pwgtBox), 8);
    gtk_container_add(GTK_CONTAINER(m_pwgtWindow), pwgtBox);
    m_pwgtInfo = gtk_label_new(nullptr);
    gtk_misc_set_alignment(GTK_MISC(m_pwgtInfo), 0, 0.5);
    gtk_box_pack_start(GTK_BOX(pwgtBox), m_pwgtInfo, FALSE, FALSE, 0);
    GtkWidget* pwgtScroll = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(pwgtScroll), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(pwgtScroll), GTK_SHADOW_IN);
    gtk_box_pack_start(GTK_BOX(pwgtBox), pwgtScroll, TRUE, TRUE, 0);
    m_pwgtTree = gtk_tree_view_new_with_model(GTK_TREE_MODEL(m_psto));
    gtk_widget_set_name(m_pwgtTree, "DefectTree");
    gtk_container_add(GTK_CONTAINER(pwgtScroll), m_pwgtTree);
    struct colDef {
        const char* pszTitle;
        int nCol;
    };
    constexpr std::array<colDef, 7> cols{{{"Severity", DFCT_SEV_COL},
                                          {"Reported", DFCT_DATE_COL},
                                          {"Open for", DFCT_AGE_COL},
                                          {"Flights since", DFCT_FLIGHTS_COL},
                                          {"Component", DFCT_COMP_COL},
                                          {"Description", DFCT_DESC_COL},
                                          {"Cleared", DFCT_CLEARED_COL}}};
    for (const colDef& c : cols) {
        GtkCellRenderer* pRenderer = gtk_cell_renderer_text_new();
        // The owner's texts wrap, so that the window fits a small screen.
        if (c.nCol == DFCT_DESC_COL || c.nCol == DFCT_CLEARED_COL || c.nCol == DFCT_COMP_COL)
            g_object_set(pRenderer, "wrap-mode", PANGO_WRAP_WORD_CHAR, "wrap-width",
                         c.nCol == DFCT_COMP_COL ? 140 : 180, nullptr);
        GtkTreeViewColumn* pColumn = gtk_tree_view_column_new_with_attributes(
            c.pszTitle, pRenderer, "text", c.nCol, "foreground", DFCT_COLOUR_COL, "weight",
            DFCT_WEIGHT_COL, nullptr);
        gtk_tree_view_column_set_resizable(pColumn, TRUE);
        gtk_tree_view_append_column(GTK_TREE_VIEW(m_pwgtTree), pColumn);
    }
    gtk_tree_selection_set_select_function(gtk_tree_view_get_selection(GTK_TREE_VIEW(m_pwgtTree)),
                                           selectOnlyLines, nullptr, nullptr);
    GtkWidget* pwgtButtons = gtk_hbutton_box_new();
    gtk_button_box_set_layout(GTK_BUTTON_BOX(pwgtButtons), GTK_BUTTONBOX_END);
    gtk_box_set_spacing(GTK_BOX(pwgtButtons), 6);
    gtk_box_pack_start(GTK_BOX(pwgtBox), pwgtButtons, FALSE, FALSE, 0);
    struct btnDef {
        const char* pszLabel;
        const char* pszName;
        GCallback pfn;
    };
    const std::array<btnDef, 4> buttons{
        {{"_Report Defect…", "DefectReport", G_CALLBACK(onReportClicked)},
         {"C_lear…", "DefectClear", G_CALLBACK(onClearClicked)},
         {"_Export CSV…", "DefectExport", G_CALLBACK(onExportClicked)},
         {GTK_STOCK_CLOSE, "DefectClose", G_CALLBACK(dfctHide)}}};
    for (const btnDef& b : buttons) {
        GtkWidget* pwgt = b.pszLabel == buttons.back().pszLabel
                              ? gtk_button_new_from_stock(b.pszLabel)
                              : gtk_button_new_with_mnemonic(b.pszLabel);
        gtk_widget_set_name(pwgt, b.pszName);
        gtk_box_pack_start(GTK_BOX(pwgtButtons), pwgt, FALSE, FALSE, 0);
        if (b.pfn == G_CALLBACK(dfctHide))
            g_signal_connect_swapped(pwgt, "clicked", b.pfn, nullptr);
        else
            g_signal_connect(pwgt, "clicked", b.pfn, nullptr);
    }
    // Closed, it is only hidden: kept for the next time it is asked for.
    g_signal_connect(m_pwgtWindow, "delete-event", G_CALLBACK(gtk_widget_hide_on_delete), nullptr);
    g_signal_connect(m_pwgtWindow, "destroy", G_CALLBACK(onWindowDestroyed), nullptr);
}

gboolean refillWhenIdle(gpointer) {
    m_idIdle = 0;
    if (m_pwgtWindow && gtk_widget_get_visible(m_pwgtWindow))
        fillStore();
    return G_SOURCE_REMOVE;
}

// Flights logged or deleted, another aircraft chosen: the flights since
// each report change, and the window shows them once the change is done.
void onFlightsChanged() {
    m_bStale = true;
    if (!m_idIdle && m_pwgtWindow && gtk_widget_get_visible(m_pwgtWindow))
        m_idIdle = g_idle_add(refillWhenIdle, nullptr);
}

// A menu item of our own after one the UI file has.
void addMenuItem(GtkBuilder* pBuilder, const char* pszAfter, const char* pszLabel, GCallback pfn) {
    GtkWidget* pwgtAfter = mscGetWidget(pBuilder, pszAfter);
    GtkWidget* pwgtMenu = pwgtAfter ? gtk_widget_get_parent(pwgtAfter) : nullptr;
    if (!pwgtMenu || !GTK_IS_MENU_SHELL(pwgtMenu))
        return;
    GList* plst = gtk_container_get_children(GTK_CONTAINER(pwgtMenu));
    const gint nAt = g_list_index(plst, pwgtAfter);
    g_list_free(plst);
    GtkWidget* pwgt = gtk_menu_item_new_with_mnemonic(pszLabel);
    gtk_menu_shell_insert(GTK_MENU_SHELL(pwgtMenu), pwgt, nAt + 1);
    g_signal_connect_swapped(pwgt, "activate", pfn, nullptr);
    gtk_widget_show(pwgt);
}

} // namespace

void dfctInitialize(GtkBuilder* pBuilder, void (*pfnExport)()) {
    m_pfnExport = pfnExport;
    if (!m_psto)
        m_psto = gtk_tree_store_new(DFCT_NUM_COLS, G_TYPE_UINT, G_TYPE_BOOLEAN, G_TYPE_STRING,
                                    G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
                                    G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_UINT);
    // A window left from an earlier start in this process belongs to its
    // main window.
    if (m_pwgtWindow)
        gtk_widget_destroy(m_pwgtWindow);
    m_pwinMain = mscGetWidget(pBuilder, "avLedger");
    m_bStale = true;
    GtkTreeModel* pFlights = fmodGetModel();
    // Connected once, however often the program is started in one process.
    if (pFlights && !g_object_get_data(G_OBJECT(pFlights), "avDefectFollows")) {
        g_object_set_data(G_OBJECT(pFlights), "avDefectFollows", GINT_TO_POINTER(1));
        for (const char* pszSignal : {"row-inserted", "row-deleted"})
            g_signal_connect_swapped(pFlights, pszSignal, G_CALLBACK(onFlightsChanged), nullptr);
    }
    addMenuItem(pBuilder, "MenuViewDueList", "D_efects…", G_CALLBACK(dfctShow));
    addMenuItem(pBuilder, "MenuFileExportFlights", "Export _Defects…", G_CALLBACK(onExportClicked));
}

void dfctSetFollower(void (*pfnFollow)()) {
    m_pfnFollow = pfnFollow;
}

void dfctShow() {
    if (!m_pwgtWindow)
        buildWindow();
    fillStore();
    gtk_widget_show_all(m_pwgtWindow);
    gtk_window_present(GTK_WINDOW(m_pwgtWindow));
}

void dfctHide() {
    if (m_pwgtWindow)
        gtk_widget_hide(m_pwgtWindow);
}

GtkTreeModel* dfctGetModel() {
    return GTK_TREE_MODEL(m_psto);
}

gboolean dfctReportDialog(GtkWidget* pwgtNear, guint iFLogID, guint iCompID, time_t tDate) {
    if (!acdHasActiveAC()) {
        mscRefuse(pwgtNear, "Choose the aircraft on the aircraft page first: defects belong to "
                            "the active aircraft.");
        return FALSE;
    }
    rcdDefect rcd = dfctNew(activeAC(), tDate);
    rcd.iFLogID = iFLogID;
    rcd.iCompID = iCompID;
    Form form(pwgtNear, "Report Defect", "_Report", "DefectReportDialog");
    form.addText("Aircraft:", acdGetActiveAC()->szReg);
    const std::string strShown = cnvDateText(tDate, iFLogID ? CNV_DCD_WITH_TIME : 0);
    GtkWidget* pwgtDate = form.add("_Found on:", newEntry(strShown, 40), "DefectDate");
    if (iFLogID)
        form.addText("Flight:", cnvDateText(tDate, CNV_DCD_WITH_TIME));
    if (iCompID) {
        // The card's own name, as its tree row shows it.
        GtkTreeIter iter;
        gchar* pszName = nullptr;
        if (cmodFindCompID(iCompID, &iter))
            gtk_tree_model_get(cmodGetModel(), &iter, CCD_COMP_COL, &pszName, -1);
        form.addText("Component:", pszName ? pszName : "");
        g_free(pszName);
    }
    GtkWidget* pwgtSeverity = gtk_combo_box_new_text();
    for (guint n = 0; n < DFCT_SEVERITY_NUM; ++n)
        gtk_combo_box_append_text(GTK_COMBO_BOX(pwgtSeverity), dfctSeverityText(n));
    form.add("_Severity:", pwgtSeverity, "DefectSeverity");
    gtk_widget_set_tooltip_text(pwgtSeverity,
                                "Grounding: do not fly until it is cleared. Before next "
                                "inspection: clear it at the latest then. Note: to watch.");
    GtkWidget* pwgtDesc = form.add("_What was found:", gtk_text_view_new(), "DefectDesc");
    mscLimitText(pwgtDesc, sizeof rcd.szDesc);
    gtk_widget_grab_focus(pwgtDesc);

    const gboolean bDone = form.run([&](GtkWidget** ppwgtField) -> std::string {
        *ppwgtField = pwgtDate;
        std::string strWhy = readDate(pwgtDate, strShown, tDate, "The defect", &rcd.tReported);
        if (!strWhy.empty())
            return strWhy;
        const gint nSeverity = gtk_combo_box_get_active(GTK_COMBO_BOX(pwgtSeverity));
        rcd.nSeverity = nSeverity < 0 ? guint(DFCT_SEVERITY_NUM) : guint(nSeverity);
        mscCopyText(rcd.szDesc, viewText(pwgtDesc).c_str());
        if (const char* pszWhy = dfctRefusal(rcd)) {
            *ppwgtField = mscIsBlank(rcd.szDesc)               ? pwgtDesc
                          : rcd.nSeverity >= DFCT_SEVERITY_NUM ? pwgtSeverity
                                                               : pwgtDate;
            return pszWhy;
        }
        return dfctSave(&rcd) ? "" : "The defect was not stored.";
    });
    if (bDone)
        dfctChanged();
    return bDone;
}

gboolean dfctClearByRecordDialog(GtkWidget* pwgtNear, guint iMaintID, guint iCompID,
                                 time_t tComplete) {
    // The card's own defects first, then the aircraft's other open ones.
    std::vector<rcdDefect> lst;
    for (const dfctLine& l : current().lstOpen)
        lst.push_back(l.rcd);
    std::stable_partition(lst.begin(), lst.end(),
                          [iCompID](const rcdDefect& r) { return r.iCompID == iCompID; });
    if (lst.empty()) {
        mscRefuse(pwgtNear, "No defect is open on this aircraft.");
        return FALSE;
    }
    Form form(pwgtNear, "Clears Defect", "C_lear", "DefectClearByRecordDialog");
    form.addText("Record:", "Maintenance of " + cnvDateText(tComplete, CNV_DCD_WITH_TIME));
    GtkWidget* pwgtChoice = gtk_combo_box_new_text();
    for (const rcdDefect& r : lst)
        gtk_combo_box_append_text(GTK_COMBO_BOX(pwgtChoice),
                                  (std::string(dfctSeverityText(r.nSeverity)) + ": " + r.szDesc +
                                   " (" + cnvDateText(r.tReported) + ")")
                                      .c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(pwgtChoice), 0);
    form.add("_Defect it fixed:", pwgtChoice, "DefectChoice");
    const gboolean bDone = form.run([&](GtkWidget** ppwgtField) -> std::string {
        *ppwgtField = pwgtChoice;
        const gint n = gtk_combo_box_get_active(GTK_COMBO_BOX(pwgtChoice));
        if (n < 0 || size_t(n) >= lst.size())
            return "Choose the defect the record fixed.";
        if (const char* pszWhy = dfctClearRefusal(lst[n], tComplete, iMaintID, ""))
            return pszWhy;
        return dfctClear(lst[n].iDefectID, tComplete, iMaintID, "", "")
                   ? ""
                   : "The clearing was not stored.";
    });
    if (bDone)
        dfctChanged();
    return bDone;
}

gboolean dfctMayLogFlight(GtkWidget* pwgtNear, time_t tStart) {
    const std::string strQuestion = dfctFlightQuestion(current(), tStart);
    if (strQuestion.empty())
        return TRUE;
    gchar* psz = g_markup_escape_text(strQuestion.c_str(), -1);
    const gboolean bLog = mscConfirm(pwgtNear, "<b>A grounding defect is open</b>", psz);
    g_free(psz);
    return bLog;
}

gboolean dfctConfirmDelete(GtkWidget* pwgtNear, const char* pszTitle,
                           const std::string& strQuestion, guint iFLogID, guint iMaintID) {
    std::string str = strQuestion;
    const std::string strNote = dfctDeleteNote(activeAC(), iFLogID, iMaintID);
    if (!strNote.empty()) {
        gchar* psz = g_markup_printf_escaped("\n\n<span color='red'>%s</span>", strNote.c_str());
        // Before the closing "Are you sure?".
        const size_t nAt = str.rfind("\n\n");
        str.insert(nAt == std::string::npos ? str.size() : nAt, psz);
        g_free(psz);
    }
    return mscConfirmDelete(pwgtNear, pszTitle, str.c_str());
}

gboolean dfctForget(guint iFLogID, guint iMaintID, const char* pszWhat) {
    const gboolean bOK = dfctForgetLinks(activeAC(), iFLogID, iMaintID, pszWhat, time(nullptr));
    dfctChanged();
    return bOK;
}

gboolean dfctCardMarked(guint iCompID) {
    return dfctCardHasOpen(current(), iCompID);
}

void dfctChanged() {
    m_bStale = true;
    if (m_pwgtWindow && gtk_widget_get_visible(m_pwgtWindow))
        fillStore();
    if (m_pfnFollow)
        m_pfnFollow();
}
