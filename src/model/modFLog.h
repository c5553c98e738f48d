// The flight log model of the active aircraft (year / month / flight
// tree) and the one place where airframe hours are computed.
#pragma once

#include <gtk/gtk.h>

#include <ctime>

struct rcdFLog;

// Columns of the flight log store.
enum _colFLog {
    FLOG_SQLID,      // gulong: flight ID; all ones on the new-flight row
    FLOG_ROW_TYPE,   // guint: FLOG_ROW_HEADER, FLOG_ROW_DATA or FLOG_ROW_NEW
    FLOG_TIME_START, // string: year, "Apr-2010", "19-Apr 14:30" or "<new flight>"
    FLOG_TIME_ELPSD, // string: elapsed "%01u.%01u"
    FLOG_DEST,       // string: destination
    FLOG_AF_ACCUM,   // string: airframe hours after this flight, "%u.%u"
    FLOG_DATE,       // guint: flight start, UTC seconds
    FLOG_HOURS,      // guint: elapsed, tenths of an hour
    FLOG_STYLE_COL,  // guint PangoStyle: italic on the new-flight row
    FLOG_FG_COL,     // gboolean: foreground set on the new-flight row
    FLOG_MARK,       // guint: FLOG_MARK_* bits of a flight the owner should correct
    FLOG_WARN,       // string: what is wrong with such a flight, in words; else unset
    FLOG_NUM_COLS
};

enum _rowTypeFLog { FLOG_ROW_HEADER = 0, FLOG_ROW_DATA = 1, FLOG_ROW_NEW = 2 };

// Flights stored before the page refused such dates. One before the log
// start is already in the log-start hours and is not counted again. One
// dated after today was kept when asked, and stays in sight until its day.
enum _markFLog { FLOG_MARK_BEFORE_LOG = 1, FLOG_MARK_BEFORE_MANU = 2, FLOG_MARK_FUTURE = 4 };

// Why a flight starting at tStart cannot belong to the active aircraft's
// log (before its log start, or before it was built), or NULL when it can.
const gchar* fmodStartRefusal(time_t tStart);

// Creates the store; always TRUE.
gboolean fmodInitialize();
void fmodCleanUp();

// Rebuilds the tree for the active aircraft and remembers the row of
// flight iFLogID (-1 for none). On success writes the aircraft's total
// airframe hours (tenths) to *pnAccumHours.
gboolean fmodLoadModel(gint iFLogID, guint64* pnAccumHours);
// For callers holding 32 bits: a total beyond them is held at the largest.
inline gboolean fmodLoadModel(gint iFLogID, guint* pnAccumHours) {
    guint64 nHours = 0;
    const gboolean bOK = fmodLoadModel(iFLogID, &nHours);
    if (bOK && pnAccumHours)
        *pnAccumHours = nHours > G_MAXUINT ? G_MAXUINT : guint(nHours);
    return bOK;
}
// Counts every rebuild and clearing of the store: a view that remembers it
// knows whether the rows it showed are still the same rows.
guint fmodGeneration();
// TRUE while the rows were loaded for the active aircraft as it is now
// (log start, its hours, date of manufacture), today, and no other
// connection has written the log since: nothing but this program's own
// flight edits can have made them wrong.
gboolean fmodIsCurrent();
// The log's flights changed in the file behind the model (an import): the
// next look at the page rebuilds the rows.
void fmodFlightsChanged();
// The row of flight iFLogID; FALSE when the tree has none.
gboolean fmodFindFlight(guint iFLogID, GtkTreeIter* piterFound);
// Loader callback: files one flight under its year and month; always 0.
int fmodLoadFLogCallback(rcdFLog* prcdFLog);
void fmodClearModel();
GtkTreeModel* fmodGetModel();
// The row of the flight named at the last load, or NULL.
GtkTreeIter* fmodGetSelection();

// Airframe hours (tenths) at tDate: the active aircraft's base hours plus
// the whole elapsed time of every flight that started at or before tDate
// (walking in tree order up to the first later flight). 0 for a date of 0.
// Flights before the log start are in the base already and do not count.
guint64 fmodAFHoursAtDate(time_t tDate);
// Airframe hours after every flight in the tree.
guint64 fmodAFHoursTotal();
// The flights that count into the airframe hours (not those before the log
// start): how many started at or before tDate, and the first one's start
// (0 when there is none). From the same index as the hours.
guint fmodFlightsAtDate(time_t tDate);
time_t fmodFirstFlight();
// One step of the hours walk on a leaf row; TRUE means stop.
gboolean fmodAFHours(gulong tDate, GtkTreeIter* piterFLog);
// The same answer as fmodAFHoursAtDate by walking the tree row by row,
// without the index; kept as the reference the index must agree with.
guint64 fmodAFHoursByWalk(time_t tDate);

// Rewrites the accumulated column of every flight row (after an elapsed
// time changed) and returns the new total.
guint64 fmodCalcAFAccum();
// One step of that: adds the row's hours and writes the running total.
void fmodUpdateElapsed(GtkTreeIter* piterFLog);
// Puts "<new flight>" back into the new-flight row's start text.
void fmodResetNewFlightLabel();

// The landing at clock time tClock (seconds into the day) after a take-off
// at tBegin: the same day, or the next when that gives a plausible flight.
// FALSE for a landing before the take-off that no flight can explain.
gboolean fmodLandingAfter(time_t tBegin, time_t tClock, time_t* ptEnd);
// Flight time in tenths between take-off and landing: whole minutes, then
// tenths rounded to the nearest (3 minutes round up); 0 when reversed.
guint fmodElapsedTenths(time_t tBegin, time_t tEnd);
