// Integer settings kept in the key file "avLedger.conf".
#pragma once

#include <glib.h>

// Creates the in-memory key file and loads it (comments kept). A missing
// or unreadable file is logged; every setting then reads 0.
void prmLoadKeyFile();
// Writes the whole key file; the old file is replaced only once the new
// one is completely on disk.
void prmWriteKeyFile();
// The value, or 0 when the group or key is missing or not an integer.
gint prmGetKeyInteger(const gchar* pszGroup, const gchar* pszKey);
// Sets the value and writes the file at once.
void prmSetKeyInteger(const gchar* pszGroup, const gchar* pszKey, gint nValue);
