// The settings, kept in the key file "avLedger.conf".
#pragma once

#include <glib.h>

#include <ctime>

// Creates the in-memory key file and loads it (comments kept). A missing
// or unreadable file is logged (an unreadable one with its path and the
// reason); every setting then reads its default, and the unreadable file
// is moved aside to "<name>.<stamp>.bad" before the first write replaces it.
void prmLoadKeyFile();
// Writes the whole key file; the old file is replaced only once the new
// one is completely on disk.
void prmWriteKeyFile();
// Every setting the program keeps, declared once (group, key, type,
// default and bounds) in avParam.cpp's table; callers name a declaration.
enum prmKey_t {
    PRM_ACTIVE_AC,       // [Aircraft] ACID: the aircraft shown at start, -1 for none
    PRM_MARK_HOURS,      // [CompMark] Hours: the due list's look-ahead in tenths of an hour
    PRM_MARK_TIME,       // [CompMark] Time: the due list's look-ahead as an interval
    PRM_MAINT_LAST_DATE, // [MaintTree] LastDate: the date last given a maintenance record
    PRM_FLIGHT_LAST_DATE, // [FlightLog] LastDate: the date a new flight starts from
    PRM_LAYOUT_WIDTH,    // [Layout] Width: the main window's width
    PRM_LAYOUT_HEIGHT,   // [Layout] Height
    PRM_LAYOUT_MAXIMIZED, // [Layout] Maximized: 1 when maximised
    PRM_NUM_KEYS
};

// The value as loaded or last set; the declared default when the key is
// missing, not a number, or out of its bounds.
gint prmGetKeyInteger(prmKey_t nKey);
// Sets the value and writes the file at once.
void prmSetKeyInteger(prmKey_t nKey, gint nValue);
// Settings that hold a date: seconds since 1970 in 64 bits, so that dates
// after 2038 survive. Values written as 32-bit integers read as they were
// meant (a negative one below -1 is a date past 2038 that wrapped).
time_t prmGetKeyTime(prmKey_t nKey);
void prmSetKeyTime(prmKey_t nKey, time_t tValue);
// A pane's divider in [Layout], keyed by the pane's builder ID; 0 (none)
// when missing or not a position.
gint prmGetPanePosition(const gchar* pszPaneID);
void prmSetPanePosition(const gchar* pszPaneID, gint nPosition);
