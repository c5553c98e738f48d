#include "avReportDlg.h"

#include "avError.h"
#include "avMisc.h"
#include "modAC.h"
#include "rcdAC.h"

#include <algorithm>
#include <string>

namespace {

GtkWidget* m_pwinMain = nullptr;

bool endsWith(const std::string& str, const char* pszEnd) {
    size_t nl = strlen(pszEnd);
    return str.size() >= nl && g_ascii_strcasecmp(str.c_str() + str.size() - nl, pszEnd) == 0;
}

// A modal window with a progress bar and Cancel, shown when an export takes
// long enough to be noticed. Between steps it lets the main loop run, so
// that the program's windows are drawn; their input waits for the export.
class ExportProgress {
  public:
    ExportProgress(const char* pszFile) : m_strFile(pszFile), m_nStart(g_get_monotonic_time()) {}
    ~ExportProgress() {
        if (m_pwgtDlg)
            gtk_widget_destroy(m_pwgtDlg);
    }
    ExportProgress(const ExportProgress&) = delete;
    ExportProgress& operator=(const ExportProgress&) = delete;

    bool step(double dFraction) {
        const gint64 nNow = g_get_monotonic_time();
        if (nNow - m_nLast < 50000)
            return !m_bCancelled;
        m_nLast = nNow;
        if (!m_pwgtDlg && !m_bCancelled && nNow - m_nStart > 200000)
            create();
        // Events wait until the modal window is up: a click elsewhere must
        // not start a second export or change what is being written.
        if (!m_pwgtDlg)
            return !m_bCancelled;
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(m_pwgtBar), std::clamp(dFraction, 0.0, 1.0));
        while (gtk_events_pending())
            gtk_main_iteration();
        return !m_bCancelled;
    }
    bool cancelled() const { return m_bCancelled; }

  private:
    void create() {
        m_pwgtDlg = gtk_dialog_new_with_buttons(
            "Exporting Maintenance Report", m_pwinMain ? GTK_WINDOW(m_pwinMain) : nullptr,
            GTK_DIALOG_MODAL, GTK_STOCK_CANCEL, GTK_RESPONSE_CANCEL, nullptr);
        GtkWidget* pwgtBox = gtk_dialog_get_content_area(GTK_DIALOG(m_pwgtDlg));
        gtk_container_set_border_width(GTK_CONTAINER(pwgtBox), 8);
        gchar* pszText = g_strdup_printf("Writing %s", m_strFile.c_str());
        GtkWidget* pwgtLabel = gtk_label_new(pszText);
        g_free(pszText);
        gtk_misc_set_alignment(GTK_MISC(pwgtLabel), 0, 0.5);
        m_pwgtBar = gtk_progress_bar_new();
        gtk_box_pack_start(GTK_BOX(pwgtBox), pwgtLabel, FALSE, FALSE, 4);
        gtk_box_pack_start(GTK_BOX(pwgtBox), m_pwgtBar, FALSE, FALSE, 4);
        gtk_window_set_default_size(GTK_WINDOW(m_pwgtDlg), 420, -1);
        // Cancel, Escape and closing the window all stop the export; the
        // program's end takes the window with it.
        g_signal_connect(m_pwgtDlg, "response", G_CALLBACK(onResponse), this);
        g_signal_connect(m_pwgtDlg, "destroy", G_CALLBACK(onDestroy), this);
        gtk_widget_show_all(m_pwgtDlg);
    }
    static void onResponse(GtkDialog*, gint, gpointer pThis) {
        static_cast<ExportProgress*>(pThis)->m_bCancelled = true;
    }
    static void onDestroy(GtkWidget*, gpointer pThis) {
        auto* p = static_cast<ExportProgress*>(pThis);
        p->m_bCancelled = true;
        p->m_pwgtDlg = p->m_pwgtBar = nullptr;
    }

    std::string m_strFile;
    gint64 m_nStart, m_nLast = 0;
    bool m_bCancelled = false;
    GtkWidget* m_pwgtDlg = nullptr;
    GtkWidget* m_pwgtBar = nullptr;
};

} // namespace

gboolean rptExport(const char* pszFile) {
    ExportProgress progress(pszFile);
    rptProgress fnProgress = [&](double dFraction) { return progress.step(dFraction); };
    rptDoc doc;
    rptBuild(&doc);
    GError* pError = nullptr;
    gboolean bOK = endsWith(pszFile, ".csv") ? rptWriteCsv(doc, pszFile, &pError, fnProgress)
                                             : rptWritePdf(doc, pszFile, &pError, fnProgress);
    if (bOK)
        return TRUE;
    if (g_error_matches(pError, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
        g_error_free(pError);
        return FALSE;
    }
    std::string strText = std::string("The maintenance report could not be written to ") + pszFile +
                          ":\n" + (pError ? pError->message : "");
    g_clear_error(&pError);
    dlgError(strText.c_str(), "rptExport()", "avReport");
    return FALSE;
}

void rptInitialize(GtkBuilder* pBuilder) {
    m_pwinMain = mscGetWidget(pBuilder, "avLedger");
    g_signal_connect(mscGetWidget(pBuilder, "MenuFileExportReport"), "activate",
                     G_CALLBACK(rptOnExportActivate), nullptr);
}

void rptOnExportActivate(GtkMenuItem*, gpointer) {
    if (!acdHasActiveAC()) {
        mscRefuse(nullptr, "No aircraft is active: choose one on the aircraft page first.");
        return;
    }
    GtkWidget* pwgtDlg = gtk_file_chooser_dialog_new(
        "Export Maintenance Report", m_pwinMain ? GTK_WINDOW(m_pwinMain) : nullptr,
        GTK_FILE_CHOOSER_ACTION_SAVE, GTK_STOCK_CANCEL, GTK_RESPONSE_CANCEL, GTK_STOCK_SAVE,
        GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* pChooser = GTK_FILE_CHOOSER(pwgtDlg);
    gtk_file_chooser_set_do_overwrite_confirmation(pChooser, TRUE);
    GtkFileFilter* pPdf = gtk_file_filter_new();
    gtk_file_filter_set_name(pPdf, "PDF document (*.pdf)");
    gtk_file_filter_add_pattern(pPdf, "*.pdf");
    gtk_file_filter_add_pattern(pPdf, "*.PDF");
    GtkFileFilter* pCsv = gtk_file_filter_new();
    gtk_file_filter_set_name(pCsv, "CSV table (*.csv)");
    gtk_file_filter_add_pattern(pCsv, "*.csv");
    gtk_file_filter_add_pattern(pCsv, "*.CSV");
    gtk_file_chooser_add_filter(pChooser, pPdf);
    gtk_file_chooser_add_filter(pChooser, pCsv);
    // The registration names the file; characters a file name cannot hold go.
    gchar* pszName = g_strdup_printf("%s-maintenance.pdf", acdGetActiveAC()->szReg);
    g_strdelimit(pszName, "/\\:*?\"<>|", '_');
    gtk_file_chooser_set_current_name(pChooser, pszName);
    g_free(pszName);
    const gchar* pszDocs = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    if (pszDocs && g_file_test(pszDocs, G_FILE_TEST_IS_DIR))
        gtk_file_chooser_set_current_folder(pChooser, pszDocs);

    if (gtk_dialog_run(GTK_DIALOG(pwgtDlg)) == GTK_RESPONSE_ACCEPT) {
        gchar* pszFile = gtk_file_chooser_get_filename(pChooser);
        std::string strFile = pszFile ? pszFile : "";
        g_free(pszFile);
        gboolean bCsv = gtk_file_chooser_get_filter(pChooser) == pCsv;
        gtk_widget_destroy(pwgtDlg);
        if (!strFile.empty())
            rptExportChosen(strFile.c_str(), bCsv);
        return;
    }
    gtk_widget_destroy(pwgtDlg);
}

gboolean rptExportChosen(const char* pszChosen, gboolean bCsvType) {
    // Only a report file is ever written: a name without .pdf or .csv gets
    // the extension of the chosen type, so no other file of the user's (a
    // log database, say) can be replaced by a report.
    std::string strFile = pszChosen;
    if (!endsWith(strFile, ".pdf") && !endsWith(strFile, ".csv")) {
        strFile += bCsvType ? ".csv" : ".pdf";
        // The chooser asked about the name without the extension only.
        if (g_file_test(strFile.c_str(), G_FILE_TEST_EXISTS)) {
            GtkWidget* pwgtAsk = gtk_message_dialog_new(
                m_pwinMain ? GTK_WINDOW(m_pwinMain) : nullptr, GTK_DIALOG_MODAL,
                GTK_MESSAGE_QUESTION, GTK_BUTTONS_OK_CANCEL, "%s already exists. Replace it?",
                strFile.c_str());
            int nAnswer = gtk_dialog_run(GTK_DIALOG(pwgtAsk));
            gtk_widget_destroy(pwgtAsk);
            if (nAnswer != GTK_RESPONSE_OK)
                return FALSE;
        }
    }
    return rptExport(strFile.c_str());
}
