// The modal error dialog; every dialog is also written to the log.
#pragma once

#include "avErrLog.h"

#include <gtk/gtk.h>

// Shows the error with where it happened (locus::function) and returns the
// dialog's response. OK is the default answer, so Return never ends the
// program; Cancel asks the running main loop to quit, which ends the
// program through its normal shutdown.
int dlgError(const gchar* pszError, const gchar* pszFunction, const gchar* pszLocus);
