#include "avError.h"

#include "avErrLog.h"

#include <glib/gprintf.h>

int dlgError(const gchar* pszError, const gchar* pszFunction, const gchar* pszLocus) {
    const gchar* pszText = pszError ? pszError : "";
    GtkWidget* pwgtDlg = gtk_message_dialog_new_with_markup(
        nullptr, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_ERROR, GTK_BUTTONS_OK_CANCEL, "<span color='red'>*** Error ***</span>");
    gchar* pszEscaped = g_markup_escape_text(pszText, -1);
    gtk_message_dialog_format_secondary_markup(
        GTK_MESSAGE_DIALOG(pwgtDlg),
        "<span color='dark blue'>%s::%s</span>\n\n<span color='blue'>%s</span>", pszLocus,
        pszFunction, pszEscaped);
    g_free(pszEscaped);

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
