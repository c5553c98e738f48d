#include "avError.h"

#include "avErrLog.h"

#include <glib/gprintf.h>

namespace {

// A database statement can run to a thousand characters without a blank:
// the dialog keeps a readable width and shows the start of such a text;
// the log holds it whole.
constexpr int DLG_TEXT_WIDTH = 520;
constexpr glong DLG_TEXT_SHOWN = 600;

// Wraps the dialog's texts at the fixed width, also inside a long word.
void boundLabels(GtkWidget* pwgtDlg) {
    GtkWidget* pwgtArea = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(pwgtDlg));
    GList* plst = gtk_container_get_children(GTK_CONTAINER(pwgtArea));
    for (GList* p = plst; p; p = p->next) {
        if (!GTK_IS_LABEL(p->data))
            continue;
        GtkLabel* plbl = GTK_LABEL(p->data);
        gtk_label_set_line_wrap(plbl, TRUE);
        gtk_label_set_line_wrap_mode(plbl, PANGO_WRAP_WORD_CHAR);
        gtk_widget_set_size_request(GTK_WIDGET(plbl), DLG_TEXT_WIDTH, -1);
    }
    g_list_free(plst);
}

} // namespace

int dlgError(const gchar* pszError, const gchar* pszFunction, const gchar* pszLocus) {
    const gchar* pszText = pszError ? pszError : "";
    GtkWidget* pwgtDlg = gtk_message_dialog_new_with_markup(
        nullptr, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_ERROR, GTK_BUTTONS_OK_CANCEL, "<span color='red'>*** Error ***</span>");
    gchar* pszShown = nullptr;
    if (g_utf8_validate(pszText, -1, nullptr) && g_utf8_strlen(pszText, -1) > DLG_TEXT_SHOWN) {
        gchar* pszStart = g_utf8_substring(pszText, 0, DLG_TEXT_SHOWN);
        pszShown = g_strconcat(pszStart, " … (the whole text is in the log file)", nullptr);
        g_free(pszStart);
    }
    gchar* pszEscaped = g_markup_escape_text(pszShown ? pszShown : pszText, -1);
    g_free(pszShown);
    gtk_message_dialog_format_secondary_markup(
        GTK_MESSAGE_DIALOG(pwgtDlg),
        "<span color='dark blue'>%s::%s</span>\n\n<span color='blue'>%s</span>", pszLocus,
        pszFunction, pszEscaped);
    g_free(pszEscaped);
    boundLabels(pwgtDlg);
    gtk_dialog_set_default_response(GTK_DIALOG(pwgtDlg), GTK_RESPONSE_OK);
    gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(pwgtDlg), GTK_RESPONSE_OK));

    int nResponse = gtk_dialog_run(GTK_DIALOG(pwgtDlg));
    gtk_widget_destroy(pwgtDlg);

    char szResponse[30];
    if (nResponse == GTK_RESPONSE_CANCEL)
        g_snprintf(szResponse, sizeof szResponse, "GTK_RESPONSE_CANCEL");
    else if (nResponse == GTK_RESPONSE_OK)
        g_snprintf(szResponse, sizeof szResponse, "GTK_RESPONSE_OK");
    else
        g_snprintf(szResponse, sizeof szResponse, "GTK_RESPONSE_%x", unsigned(nResponse));

    char szLog[2000];
    g_snprintf(szLog, sizeof szLog, "Locus: %s\nFunction: %s\nError: %s\nResponse: %s", pszLocus,
               pszFunction, pszText, szResponse);
    errPostError(szLog);

    // Outside a running main loop (a failure during start-up) there is
    // nothing to quit; the caller ends the program itself.
    if (nResponse == GTK_RESPONSE_CANCEL && gtk_main_level() > 0)
        gtk_main_quit();
    return nResponse;
}
