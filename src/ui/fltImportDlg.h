// The flight import's preview dialog and the File menu's import and export
// of flights; the reading, judging and writing are the flight CSV module's.
#pragma once

#include "avFltCSV.h"

#include <gtk/gtk.h>

// Connects "File → Import Flights…" and "File → Export Flights…" and
// looks up the preview dialog. Once at start-up.
// pfnLeavePage is the frame's "leave the page": what is being typed on a
// page is stored before flights are compared or exported.
void fcsvInitialize(GtkBuilder* pBuilder, void (*pfnLeavePage)());
// Reads the file, shows the preview and imports on the user's word; the
// pages, the banner and the due marks follow. TRUE when flights were
// stored. The menu item calls it after its file chooser.
gboolean fcsvImportFile(const char* pszPath);
// Exports a CSV file of the active aircraft as the File menu does: what is
// being typed is stored, the file is asked for ("<reg>-<pszSuffix>.csv"
// offered), pfnWrite writes it and the outcome is told. pszWhat names the
// content ("Flights").
void fcsvExportDialog(const char* pszWhat, const char* pszSuffix,
                      gboolean (*pfnWrite)(guint iACID, const char* pszPath, std::string* pstrWhy));
