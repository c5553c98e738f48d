// The modal error dialog; every dialog is also written to the log.
#pragma once

#include <gtk/gtk.h>

// Shows the error with where it happened (locus::function) and returns the
// dialog's response. OK is the default answer, so Return never ends the
// program; Cancel asks the running main loop to quit, which ends the
// program through its normal shutdown.
int dlgError(const gchar* pszError, const gchar* pszFunction, const gchar* pszLocus);

// How the models report a failure: through dlgError unless another
// reporter is set (a model test sets one, so that it runs without a
// display). The result is the answer, as dlgError gives it.
typedef int (*dlgReporter)(const gchar* pszError, const gchar* pszFunction, const gchar* pszLocus);
// Sets the reporter; null puts the error dialog back. Returns the old one.
dlgReporter dlgSetReporter(dlgReporter pfnReporter);
int dlgReport(const gchar* pszError, const gchar* pszFunction, const gchar* pszLocus);
