// Defects going out: the CSV file of an aircraft's defects.
#pragma once

#include "modDefect.h"

#include <glib.h>

#include <string>

// The defects as CSV text (RFC 4180, as the flights export writes it):
// a heading row, then the open ones worst first and the cleared ones.
std::string dfctExportText(const dfctList& list);
// Reads the defects of aircraft iACID and writes them through a temporary
// file and a rename, so a failed write leaves whatever was there.
gboolean dfctExportFile(guint iACID, const char* pszPath, std::string* pstrWhy);
