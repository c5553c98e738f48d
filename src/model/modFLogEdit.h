// What a date or time typed into the flight card makes of the flight:
// take-off, landing and flight time follow one rule whichever is edited
// last. The page shows the outcome; these functions decide it.
#pragma once

#include "rcdFLog.h"

#include <glib.h>

// The flight after one typed value, or why the value is refused (the
// record is then the one given, unchanged).
struct fedtEdit {
    rcdFLog rcd;
    const gchar* pszWhy;   // nullptr when the value is taken
    gboolean bChanged;     // the record is to be stored
    gboolean bStartMoved;  // the start moved: the flight may stand elsewhere in the tree
};

// A new date: the take-off keeps its clock time, the landing moves with
// the flight. Refused before the log start or the date of manufacture.
fedtEdit fedtDate(const rcdFLog& rcd, const gchar* pszText);
// A take-off clock time ("" for none): with a landing the flight time
// follows; without one the flight time gives the landing.
fedtEdit fedtTakeOff(const rcdFLog& rcd, const gchar* pszText);
// A landing clock time ("" for none): the next day within 12 hours of the
// take-off; without a take-off the flight time gives it.
fedtEdit fedtLanding(const rcdFLog& rcd, const gchar* pszText);
// A flight time in hours and tenths, up to 24.0.
fedtEdit fedtFlightTime(const rcdFLog& rcd, const gchar* pszText);
