// The maintenance report's export from the menu and the due list window:
// the file chooser, the progress window and the error dialog.
#pragma once

#include "avReport.h"

#include <gtk/gtk.h>

// Builds the report and writes it to pszFile, as CSV when the name ends in
// ".csv", else as PDF, showing its progress with a Cancel button; the
// window stays responsive meanwhile. A failure shows the error dialog
// naming the file; a cancelled export leaves nothing and says nothing.
gboolean rptExport(const char* pszFile);

// What the file chooser's answer writes: a name that does not end in
// ".pdf" or ".csv" gets the extension of the chosen type (CSV when
// bCsvType), so that nothing but a report file is ever replaced.
gboolean rptExportChosen(const char* pszChosen, gboolean bCsvType);

// Connects "File > Export Maintenance Report...".
void rptInitialize(GtkBuilder* pBuilder);
// Handler of the menu item: asks for the file, then exports.
void rptOnExportActivate(GtkMenuItem* pwgtItem, gpointer pData);
