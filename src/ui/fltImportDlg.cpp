#include "fltImportDlg.h"

#include "avBackup.h"
#include "avCnv.h"
#include "avError.h"
#include "avMisc.h"
#include "modComp.h"
#include "modFLog.h"
#include "modPilot.h"
#include "pagAC.h"
#include "pagComp.h"
#include "pagFLog.h"
#include "rcdAC.h"
#include "rcdFLog.h"
#include "rcdPilot.h"
#include "sqlMLog.h"

#include <glib/gstdio.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string_view>

// ---- the dialogs ----

namespace {

// Rows of the file shown in the preview; the count covers them all.
constexpr guint FCSV_PREVIEW_ROWS = 200;
constexpr std::ptrdiff_t FCSV_PREVIEW_REFUSED = 2000;

enum {
    PRV_LINE,
    PRV_DATE,
    PRV_OFF,
    PRV_ON,
    PRV_TIME,
    PRV_FROM,
    PRV_TO,
    PRV_PILOT,
    PRV_NOTES,
    PRV_NUM_COLS
};
enum { RFS_LINE, RFS_WHY, RFS_NUM_COLS };

GtkBuilder* m_pBuilder = nullptr;
// The frame's "leave the page", so that what is being typed is stored.
void (*m_pfnLeavePage)() = nullptr;
GtkWidget* m_pwinMain = nullptr;
GtkWidget* m_pwgtDialog = nullptr;
GtkWidget* m_pwgtFile = nullptr;
GtkWidget* m_pwgtColumns = nullptr;
GtkWidget* m_pwgtCount = nullptr;
GtkWidget* m_pwgtPreview = nullptr;
GtkWidget* m_pwgtRefused = nullptr;
GtkWidget* m_pwgtAddPilots = nullptr;
GtkWidget* m_pwgtOK = nullptr;
GtkWidget* m_pwgtHeaderLine = nullptr;
GtkWidget* m_pwgtReg = nullptr;
GtkWidget* m_pwgtRegLabel = nullptr;
GtkWidget* m_pwgtDates = nullptr;
GtkWidget* m_pwgtDatesLabel = nullptr;
// The choices' handlers, blocked while the program fills them.
gulong m_idHeaderLine = 0, m_idReg = 0, m_idDates = 0;
GtkListStore* m_pstoPreview = nullptr;
GtkListStore* m_pstoRefused = nullptr;

// The file being previewed, its column and other choices, the judgement.
std::string m_strImportPath;
fcsvTable m_tblImport;
std::vector<fcsvCol_t> m_lstImportCol;
fcsvChoice m_choice;
fcsvPreview m_prvImport;
guint m_iImportACID = SQL_NEW_ID;

void showMessage(GtkMessageType nType, const char* pszTitle, const std::string& strText) {
    GtkWidget* pwgt = gtk_message_dialog_new(GTK_WINDOW(m_pwinMain), GTK_DIALOG_MODAL, nType,
                                             GTK_BUTTONS_OK, "%s", pszTitle);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(pwgt), "%s", strText.c_str());
    gtk_dialog_run(GTK_DIALOG(pwgt));
    gtk_widget_destroy(pwgt);
}

// A file name need not be UTF-8; what a label shows must be.
std::string displayName(const std::string& strPath) {
    gchar* psz = g_filename_display_name(strPath.c_str());
    std::string str = psz;
    g_free(psz);
    return str;
}

void leavePage() {
    if (m_pfnLeavePage)
        m_pfnLeavePage();
}

void showStatus(const std::string& strText) {
    GObject* pStatus = m_pBuilder ? gtk_builder_get_object(m_pBuilder, "MainStatus") : nullptr;
    if (!pStatus)
        return;
    GtkStatusbar* pwgtStatus = GTK_STATUSBAR(pStatus);
    guint idContext = gtk_statusbar_get_context_id(pwgtStatus, "flights csv");
    gtk_statusbar_pop(pwgtStatus, idContext);
    gtk_statusbar_push(pwgtStatus, idContext, strText.c_str());
}

void addTextColumn(GtkWidget* pwgtTree, const char* pszTitle, gint iCol) {
    GtkCellRenderer* pRenderer = gtk_cell_renderer_text_new();
    GtkTreeViewColumn* pColumn =
        gtk_tree_view_column_new_with_attributes(pszTitle, pRenderer, "text", iCol, nullptr);
    gtk_tree_view_column_set_resizable(pColumn, TRUE);
    gtk_tree_view_append_column(GTK_TREE_VIEW(pwgtTree), pColumn);
}

// One line of a text for a list cell: line breaks shown as blanks, cut.
std::string cellText(const std::string& str) {
    gchar sz[61];
    mscCopyText(sz, str.c_str());
    std::string strCell = sz;
    std::replace_if(
        strCell.begin(), strCell.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return strCell.size() < str.size() ? strCell + "…" : strCell;
}

// Empties a text combo box and fills it; -1 leaves none chosen.
void fillCombo(GtkWidget* pwgt, const std::vector<std::string>& lstText, gint iActive) {
    gtk_list_store_clear(GTK_LIST_STORE(gtk_combo_box_get_model(GTK_COMBO_BOX(pwgt))));
    for (const auto& str : lstText)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(pwgt), str.c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(pwgt), iActive);
}

// The header line, this aircraft's registration in the file and the order
// of its dates, each shown only when the file raises the question.
void fillChoices() {
    g_signal_handler_block(m_pwgtHeaderLine, m_idHeaderLine);
    g_signal_handler_block(m_pwgtReg, m_idReg);
    g_signal_handler_block(m_pwgtDates, m_idDates);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(m_pwgtHeaderLine), m_tblImport.nHeaderLine);

    const std::string strThis =
        fcsvRegKey(m_choice.strReg.empty() ? acdGetActiveAC()->szReg : m_choice.strReg);
    std::vector<std::string> lstReg;
    gint iReg = -1;
    for (const fcsvReg& reg : m_prvImport.lstReg) {
        if (fcsvRegKey(reg.strReg) == strThis)
            iReg = gint(lstReg.size());
        lstReg.push_back(reg.strReg + " (" + std::to_string(reg.nRows) + " rows)");
    }
    fillCombo(m_pwgtReg, lstReg, iReg);
    for (GtkWidget* pwgt : {m_pwgtReg, m_pwgtRegLabel})
        gtk_widget_set_visible(pwgt, !lstReg.empty());

    fillCombo(m_pwgtDates,
              {"Day before month: " + m_prvImport.strDayFirst + ", …",
               "Month before day: " + m_prvImport.strMonthFirst + ", …"},
              m_choice.nDates == FCSV_DATES_ASK ? -1 : gint(m_choice.nDates) - 1);
    for (GtkWidget* pwgt : {m_pwgtDates, m_pwgtDatesLabel})
        gtk_widget_set_visible(pwgt, m_prvImport.bAskDates);
    g_signal_handler_unblock(m_pwgtHeaderLine, m_idHeaderLine);
    g_signal_handler_unblock(m_pwgtReg, m_idReg);
    g_signal_handler_unblock(m_pwgtDates, m_idDates);
}

void fillPreview() {
    gtk_list_store_clear(m_pstoPreview);
    gtk_list_store_clear(m_pstoRefused);
    guint nShown = 0;
    for (const fcsvFlight& f : m_prvImport.lstFlight) {
        if (nShown++ == FCSV_PREVIEW_ROWS)
            break;
        gchar szDate[30], szOff[20] = "", szOn[20] = "", szTime[20];
        cnvDcdDate(szDate, sizeof szDate, f.tFltBegin, 0);
        cnvDcdTime(szOff, sizeof szOff, f.tFltBegin, 0);
        cnvDcdTime(szOn, sizeof szOn, f.tFltEnd, CNV_DCD_MIDNIGHT);
        cnvDcdHours(szTime, sizeof szTime, f.nElapsed);
        GtkTreeIter iter;
        gtk_list_store_append(m_pstoPreview, &iter);
        gtk_list_store_set(m_pstoPreview, &iter, PRV_LINE, f.nLine, PRV_DATE, szDate, PRV_OFF,
                           szOff, PRV_ON, szOn, PRV_TIME, szTime, PRV_FROM,
                           cellText(f.strFrom).c_str(), PRV_TO, cellText(f.strTo).c_str(),
                           PRV_PILOT, cellText(f.strPilot).c_str(), PRV_NOTES,
                           cellText(f.strNotes).c_str(), -1);
    }
    for (const fcsvRefusal& r : m_prvImport.lstRefused) {
        if (&r - m_prvImport.lstRefused.data() == FCSV_PREVIEW_REFUSED)
            break;
        GtkTreeIter iter;
        gtk_list_store_append(m_pstoRefused, &iter);
        gtk_list_store_set(m_pstoRefused, &iter, RFS_LINE, r.nLine, RFS_WHY, r.strWhy.c_str(), -1);
    }

    std::string strCount;
    if (!m_prvImport.strProblem.empty()) {
        strCount = m_prvImport.strProblem;
    } else {
        strCount = cnvCount(gint64(m_prvImport.lstFlight.size()), "flight", "flights") +
                   " to import, " + cnvCount(gint64(m_prvImport.lstRefused.size()), "row", "rows") +
                   " refused (listed below).";
        if (m_prvImport.lstFlight.size() > FCSV_PREVIEW_ROWS)
            strCount += " The first " + std::to_string(FCSV_PREVIEW_ROWS) + " flights are shown.";
        if (m_prvImport.lstRefused.size() > FCSV_PREVIEW_REFUSED)
            strCount +=
                " The first " + std::to_string(FCSV_PREVIEW_REFUSED) + " refusals are shown.";
        if (m_prvImport.nOtherReg > 0)
            strCount += "\n" + cnvCount(m_prvImport.nOtherReg, "row", "rows") +
                        " of other aircraft " + (m_prvImport.nOtherReg == 1 ? "is" : "are") +
                        " left out.";
    }
    if (!m_prvImport.lstUnknownPilot.empty()) {
        strCount += "\nNot in the pilot list:";
        for (const auto& strName : m_prvImport.lstUnknownPilot)
            strCount += (&strName == &m_prvImport.lstUnknownPilot.front() ? " " : ", ") + strName;
    }
    gtk_label_set_text(GTK_LABEL(m_pwgtCount), strCount.c_str());
    fillChoices();
    gtk_widget_set_visible(m_pwgtAddPilots, !m_prvImport.lstUnknownPilot.empty());
    gtk_widget_set_sensitive(m_pwgtOK, !m_prvImport.lstFlight.empty());
}

gboolean rebuildPreview() {
    if (!fcsvBuildPreview(m_tblImport, m_lstImportCol, m_choice, &m_prvImport)) {
        dlgError(sqlLastError(), "fcsvBuildPreview()", "avFltCSV");
        return FALSE;
    }
    fillPreview();
    return TRUE;
}

void onColumnChanged(GtkComboBox* pwgtCombo, gpointer pIndex) {
    std::size_t i = GPOINTER_TO_UINT(pIndex);
    gint nActive = gtk_combo_box_get_active(pwgtCombo);
    if (i >= m_lstImportCol.size() || nActive < 0)
        return;
    m_lstImportCol[i] = fcsvCol_t(nActive);
    rebuildPreview();
}

void onRegChanged(GtkComboBox* pwgtCombo, gpointer) {
    const gint i = gtk_combo_box_get_active(pwgtCombo);
    if (i < 0 || std::size_t(i) >= m_prvImport.lstReg.size())
        return;
    m_choice.strReg = m_prvImport.lstReg[std::size_t(i)].strReg;
    rebuildPreview();
}

void onDatesChanged(GtkComboBox* pwgtCombo, gpointer) {
    const gint i = gtk_combo_box_get_active(pwgtCombo);
    if (i < 0)
        return;
    m_choice.nDates = i == 0 ? FCSV_DATES_DAY_FIRST : FCSV_DATES_MONTH_FIRST;
    rebuildPreview();
}

void fillColumnChoice();

// Reads the file again with the header on the line the user names; a file
// that cannot be read so keeps what was shown.
void onHeaderLineChanged(GtkSpinButton* pwgtSpin, gpointer) {
    const guint nLine = guint(gtk_spin_button_get_value_as_int(pwgtSpin));
    fcsvTable table;
    std::string strWhy;
    if (!fcsvReadFile(m_strImportPath.c_str(), &table, &strWhy, nLine)) {
        gtk_label_set_text(GTK_LABEL(m_pwgtCount), strWhy.c_str());
        gtk_widget_set_sensitive(m_pwgtOK, FALSE);
        return;
    }
    m_tblImport = std::move(table);
    m_lstImportCol = fcsvMatchColumns(m_tblImport);
    fillColumnChoice();
    rebuildPreview();
}

// One header label and one choice per column of the file.
void fillColumnChoice() {
    GList* pChildren = gtk_container_get_children(GTK_CONTAINER(m_pwgtColumns));
    for (GList* p = pChildren; p; p = p->next)
        gtk_widget_destroy(GTK_WIDGET(p->data));
    g_list_free(pChildren);
    guint nCols = guint(std::max<std::size_t>(1, m_tblImport.lstHeader.size()));
    gtk_table_resize(GTK_TABLE(m_pwgtColumns), 2, nCols);
    for (guint i = 0; i < m_tblImport.lstHeader.size(); ++i) {
        GtkWidget* pwgtLabel = gtk_label_new(cellText(m_tblImport.lstHeader[i]).c_str());
        GtkWidget* pwgtCombo = gtk_combo_box_new_text();
        for (int n = 0; n < FCSV_NUM_COLS; ++n)
            gtk_combo_box_append_text(GTK_COMBO_BOX(pwgtCombo), fcsvColName(fcsvCol_t(n)));
        gtk_combo_box_set_active(GTK_COMBO_BOX(pwgtCombo), m_lstImportCol[i]);
        g_signal_connect(pwgtCombo, "changed", G_CALLBACK(onColumnChanged), GUINT_TO_POINTER(i));
        gtk_table_attach(GTK_TABLE(m_pwgtColumns), pwgtLabel, i, i + 1, 0, 1, GTK_FILL, GTK_FILL, 0,
                         0);
        gtk_table_attach(GTK_TABLE(m_pwgtColumns), pwgtCombo, i, i + 1, 1, 2, GTK_FILL, GTK_FILL, 0,
                         0);
    }
    gtk_widget_show_all(m_pwgtColumns);
}

// After an import everything that shows flights or hours is rebuilt from
// the file: the pilot lists, the flight tree, the banner and the due marks;
// the page in view refreshes itself as when it is entered.
void refreshAfterImport(gboolean bPilotsAdded) {
    if (bPilotsAdded)
        pmodLoadModel();
    GObject* pNB = m_pBuilder ? gtk_builder_get_object(m_pBuilder, "MainNotebook") : nullptr;
    const gint nPage = pNB ? gtk_notebook_get_current_page(GTK_NOTEBOOK(pNB)) : -1;
    if (nPage == 2) {
        fmodFlightsChanged();
        fltOnPageEnter();
        return;
    }
    {
        // The flight page's handlers must not take the rebuild for a choice.
        MscDisplayGuard guard;
        guint64 nHours = 0;
        if (fmodLoadModel(-1, &nHours))
            acdDisplayACReg(gint64(nHours));
    }
    if (nPage == 0)
        ccdOnPageEnter();
    else
        cmodMarkDue();
}

void clearImport() {
    m_tblImport = fcsvTable{};
    m_lstImportCol.clear();
    m_choice = fcsvChoice{};
    m_prvImport = fcsvPreview{};
    if (m_pstoPreview)
        gtk_list_store_clear(m_pstoPreview);
    if (m_pstoRefused)
        gtk_list_store_clear(m_pstoRefused);
}

GtkFileFilter* csvFilter() {
    GtkFileFilter* pFilter = gtk_file_filter_new();
    gtk_file_filter_set_name(pFilter, "CSV files");
    gtk_file_filter_add_pattern(pFilter, "*.csv");
    gtk_file_filter_add_pattern(pFilter, "*.CSV");
    gtk_file_filter_add_pattern(pFilter, "*.txt");
    gtk_file_filter_add_pattern(pFilter, "*.tsv");
    return pFilter;
}

// Asks for a file; the chosen path, or "" when the user cancelled.
std::string chooseFile(const char* pszTitle, GtkFileChooserAction nAction, const char* pszName) {
    GtkWidget* pwgt = gtk_file_chooser_dialog_new(
        pszTitle, GTK_WINDOW(m_pwinMain), nAction, GTK_STOCK_CANCEL, GTK_RESPONSE_CANCEL,
        nAction == GTK_FILE_CHOOSER_ACTION_SAVE ? GTK_STOCK_SAVE : GTK_STOCK_OPEN,
        GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(pwgt), csvFilter());
    GtkFileFilter* pAll = gtk_file_filter_new();
    gtk_file_filter_set_name(pAll, "All files");
    gtk_file_filter_add_pattern(pAll, "*");
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(pwgt), pAll);
    if (nAction == GTK_FILE_CHOOSER_ACTION_SAVE) {
        gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(pwgt), TRUE);
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(pwgt), pszName);
    }
    std::string strPath;
    if (gtk_dialog_run(GTK_DIALOG(pwgt)) == GTK_RESPONSE_ACCEPT) {
        gchar* psz = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(pwgt));
        strPath = psz ? psz : "";
        g_free(psz);
    }
    gtk_widget_destroy(pwgt);
    return strPath;
}

gboolean refuseWithoutAircraft(const char* pszTitle, const std::string& strWhat = "flights") {
    if (acdHasActiveAC())
        return FALSE;
    showMessage(GTK_MESSAGE_INFO, pszTitle,
                "Choose the aircraft on the aircraft page first: " + strWhat +
                    " belong to the active aircraft.");
    return TRUE;
}

void onImportActivate(GtkMenuItem*, gpointer) {
    if (refuseWithoutAircraft("No aircraft to import flights into"))
        return;
    std::string strPath = chooseFile("Import Flights", GTK_FILE_CHOOSER_ACTION_OPEN, nullptr);
    if (!strPath.empty())
        fcsvImportFile(strPath.c_str());
}

void onExportActivate(GtkMenuItem*, gpointer) {
    fcsvExportDialog("Flights", "flights", fcsvExportFile);
}

} // namespace

void fcsvExportDialog(const char* pszWhat, const char* pszSuffix,
                      gboolean (*pfnWrite)(guint iACID, const char* pszPath,
                                           std::string* pstrWhy)) {
    const std::string strWhat = pszWhat;
    gchar* pszLower = g_ascii_strdown(pszWhat, -1);
    const std::string strLower = pszLower;
    g_free(pszLower);
    if (refuseWithoutAircraft(("No aircraft to export " + strLower + " from").c_str(), strLower))
        return;
    // What is being typed on a page belongs in the export.
    leavePage();
    const rcdAC* prcdAC = acdGetActiveAC();
    std::string strName =
        std::string(prcdAC->szReg[0] ? prcdAC->szReg : pszSuffix) + "-" + pszSuffix + ".csv";
    std::string strPath =
        chooseFile(("Export " + strWhat).c_str(), GTK_FILE_CHOOSER_ACTION_SAVE, strName.c_str());
    if (strPath.empty())
        return;
    std::string strWhy;
    if (pfnWrite(prcdAC->iACID, strPath.c_str(), &strWhy))
        showStatus(strWhat + " exported to " + displayName(strPath));
    else
        showMessage(GTK_MESSAGE_ERROR, ("The " + strLower + " were not exported").c_str(), strWhy);
}

void fcsvInitialize(GtkBuilder* pBuilder, void (*pfnLeavePage)()) {
    // The frame drops its builder at shutdown; the pointer goes with it.
    if (m_pBuilder)
        g_object_remove_weak_pointer(G_OBJECT(m_pBuilder),
                                     reinterpret_cast<gpointer*>(&m_pBuilder));
    m_pBuilder = pBuilder;
    g_object_add_weak_pointer(G_OBJECT(m_pBuilder), reinterpret_cast<gpointer*>(&m_pBuilder));
    m_pfnLeavePage = pfnLeavePage;
    m_pwinMain = mscGetWidget(pBuilder, "avLedger");
    m_pwgtDialog = mscGetWidget(pBuilder, "ImportDialog");
    m_pwgtFile = mscGetWidget(pBuilder, "ImportFile");
    m_pwgtColumns = mscGetWidget(pBuilder, "ImportColumns");
    m_pwgtCount = mscGetWidget(pBuilder, "ImportCount");
    m_pwgtPreview = mscGetWidget(pBuilder, "ImportPreview");
    m_pwgtRefused = mscGetWidget(pBuilder, "ImportRefused");
    m_pwgtAddPilots = mscGetWidget(pBuilder, "ImportAddPilots");
    m_pwgtOK = mscGetWidget(pBuilder, "ImportOK");
    m_pwgtHeaderLine = mscGetWidget(pBuilder, "ImportHeaderLine");
    m_pwgtReg = mscGetWidget(pBuilder, "ImportReg");
    m_pwgtRegLabel = mscGetWidget(pBuilder, "ImportRegLabel");
    m_pwgtDates = mscGetWidget(pBuilder, "ImportDates");
    m_pwgtDatesLabel = mscGetWidget(pBuilder, "ImportDatesLabel");
    m_idHeaderLine = g_signal_connect(m_pwgtHeaderLine, "value-changed",
                                      G_CALLBACK(onHeaderLineChanged), nullptr);
    m_idReg = g_signal_connect(m_pwgtReg, "changed", G_CALLBACK(onRegChanged), nullptr);
    m_idDates = g_signal_connect(m_pwgtDates, "changed", G_CALLBACK(onDatesChanged), nullptr);
    clearImport();

    if (m_pstoPreview)
        g_object_unref(m_pstoPreview);
    if (m_pstoRefused)
        g_object_unref(m_pstoRefused);
    m_pstoPreview = gtk_list_store_new(PRV_NUM_COLS, G_TYPE_UINT, G_TYPE_STRING, G_TYPE_STRING,
                                       G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
                                       G_TYPE_STRING, G_TYPE_STRING);
    m_pstoRefused = gtk_list_store_new(RFS_NUM_COLS, G_TYPE_UINT, G_TYPE_STRING);
    static constexpr const char* lstPreviewTitle[] = {"Line", "Date", "Take-off", "Landing", "Time",
                                                      "From", "To",   "Pilot",    "Remarks"};
    for (gint i = 0; i < PRV_NUM_COLS; ++i)
        addTextColumn(m_pwgtPreview, lstPreviewTitle[i], i);
    gtk_tree_view_set_model(GTK_TREE_VIEW(m_pwgtPreview), GTK_TREE_MODEL(m_pstoPreview));
    addTextColumn(m_pwgtRefused, "Line", RFS_LINE);
    addTextColumn(m_pwgtRefused, "Refused because", RFS_WHY);
    gtk_tree_view_set_model(GTK_TREE_VIEW(m_pwgtRefused), GTK_TREE_MODEL(m_pstoRefused));

    g_signal_connect(mscGetWidget(pBuilder, "MenuFileImportFlights"), "activate",
                     G_CALLBACK(onImportActivate), nullptr);
    g_signal_connect(mscGetWidget(pBuilder, "MenuFileExportFlights"), "activate",
                     G_CALLBACK(onExportActivate), nullptr);
}

gboolean fcsvImportFile(const char* pszPath) {
    if (refuseWithoutAircraft("No aircraft to import flights into"))
        return FALSE;
    // A flight being typed on the flight page is stored first, so that it
    // counts when the file's flights are compared with the log.
    leavePage();
    clearImport();
    std::string strWhy;
    if (!fcsvReadFile(pszPath, &m_tblImport, &strWhy)) {
        showMessage(GTK_MESSAGE_ERROR, "No flights were imported", strWhy);
        return FALSE;
    }
    m_strImportPath = pszPath;
    m_iImportACID = acdGetActiveAC()->iACID;
    m_lstImportCol = fcsvMatchColumns(m_tblImport);
    gtk_label_set_text(GTK_LABEL(m_pwgtFile), displayName(pszPath).c_str());
    fillColumnChoice();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_pwgtAddPilots), FALSE);
    if (!rebuildPreview())
        return FALSE;

    gint nResponse = gtk_dialog_run(GTK_DIALOG(m_pwgtDialog));
    gboolean bAddPilots = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_pwgtAddPilots));
    gtk_widget_hide(m_pwgtDialog);
    gboolean bStored = FALSE;
    if (nResponse == GTK_RESPONSE_OK && !m_prvImport.lstFlight.empty()) {
        std::string strBackup;
        if (fcsvImport(m_prvImport, m_iImportACID, bAddPilots, &strBackup, &strWhy)) {
            bStored = TRUE;
            showStatus(cnvCount(gint64(m_prvImport.lstFlight.size()), "flight", "flights") +
                       " imported; the log before the import is kept in " + displayName(strBackup));
        } else if (strBackup.empty()) {
            showMessage(GTK_MESSAGE_ERROR, "No flights were imported", strWhy);
        } else {
            dlgError(strWhy.c_str(), "fcsvImport()", "avFltCSV");
        }
    }
    const gboolean bPilotsAdded = bAddPilots && !m_prvImport.lstUnknownPilot.empty();
    clearImport();
    if (bStored)
        refreshAfterImport(bPilotsAdded);
    return bStored;
}
