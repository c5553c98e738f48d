// Integer settings kept in the key file "avLedger.conf".
#pragma once

#include <glib.h>

#include <ctime>

// Creates the in-memory key file and loads it (comments kept). A missing
// or unreadable file is logged (an unreadable one with its path and the
// reason); every setting then reads 0, and the unreadable file is moved
// aside to "<name>.<stamp>.bad" before the first write replaces it.
void prmLoadKeyFile();
// Writes the whole key file; the old file is replaced only once the new
// one is completely on disk.
void prmWriteKeyFile();
// The value, or 0 when the group or key is missing or not an integer.
gint prmGetKeyInteger(const gchar* pszGroup, const gchar* pszKey);
// Sets the value and writes the file at once.
void prmSetKeyInteger(const gchar* pszGroup, const gchar* pszKey, gint nValue);
// Settings that hold a date: seconds since 1970 in 64 bits, so that dates
// after 2038 survive. Values written as 32-bit integers read as they were
// meant (a negative one below -1 is a date past 2038 that wrapped); a
// missing or non-numeric value reads 0.
time_t prmGetKeyTime(const gchar* pszGroup, const gchar* pszKey);
void prmSetKeyTime(const gchar* pszGroup, const gchar* pszKey, time_t tValue);
