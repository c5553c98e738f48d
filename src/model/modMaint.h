// The maintenance list of the selected component and the maintenance
// summary (last inspection, last replacement, deferrals in force) of a
// component on the active aircraft.
#pragma once

#include <gtk/gtk.h>

#include <ctime>

struct rcdMaint;

// Kinds of maintenance, one value in a record's flag byte. Readers test
// 1, 2, 4, 8 in that order; a byte with none of them is an inspection.
enum _mntKind {
    MNT_KIND_INSPECTED = 0,
    MNT_KIND_REPLACE_NEW = 1,
    MNT_KIND_REPLACE_USED = 2,
    MNT_KIND_DEFER_INSP = 4,
    MNT_KIND_DEFER_RCO = 8
};
// Beside the kind: an entry begun but never finished (the program died
// while the owner was still choosing its kind and figures). It states no
// work and counts for no due rule until the owner completes or deletes it.
constexpr guint MNT_FLAG_UNFINISHED = 0x80;

// Summary of a component's history. Times are UTC seconds (64-bit; -1 is
// an unknown date), hours are tenths of an hour.
struct mntState {
    time_t tInspLast;      // last inspection (a replacement counts as one)
    time_t tRCOLast;       // last replacement
    guint nRCOHours;       // hours already on the part when fitted (0: new)
    guint nRCOAge;         // age of the part when fitted, packed interval
    time_t tDeferRCOLast;  // replacement deferral in force; 0 for none
    guint nDeferRCOHours;  // its hours
    guint nDeferRCODays;   // its days
    time_t tDeferInspLast; // inspection deferral in force; 0 for none
    guint nDeferInspHours;
    guint nDeferInspDays;
    guint nUnfinished; // entries cut short, which count for nothing
};

// Columns of the maintenance list store.
enum _colMaint {
    MNT_ID_COL,         // gulong: iMaintID; all ones on the new-record row
    MNT_ROWTYPE_COL,    // guint: MNT_ROW_DATA or MNT_ROW_NEW
    MNT_STR_DATE_COL,   // string: completion date and time; "<new record>"
    MNT_COMP_HRS_COL,   // string: component hours at this record, whole hours
    MNT_STR_AF_HRS_COL, // string: airframe hours at completion, whole hours
    MNT_STR_TYPE_COL,   // string: kind text ("", "Replace New", ...)
    MNT_TDATE_COL,      // gint64 (time_t): tComplete
    MNT_AFHOURS_COL,    // guint: airframe hours at tComplete, tenths
    MNT_COMPHOURS_COL,  // guint: nCompHours
    MNT_COMPAGE_COL,    // guint: nCompAge
    MNT_DEFERHRS_COL,   // guint: nDeferHours
    MNT_DEFERDAYS_COL,  // guint: nDeferDays
    MNT_FLAGS_COL,      // guint: bFlags
    MNT_STYLE_COL,      // guint PangoStyle: 2 (italic) on the new-record row
    MNT_WARN_COL,       // string: why the row is marked (unfinished, dated ahead); null if not
    MNT_NUM_COLS
};

// Creates the list store; always TRUE.
gboolean mmodInitialize();

// Reloads the list with the records of iCompID on the active aircraft,
// appends the "<new record>" row and recomputes the derived columns. The
// row of iMaintID (all ones: the latest record) becomes the selection.
void mmodLoadModel(guint iCompID, guint iMaintID);
// Loader callback: appends one record's row; always 0.
int mmodLoadCallback(rcdMaint* prcdMaint);
// Writes a data row from a record (not the component-hours and kind texts,
// which mmodCalcCompTimes derives).
void mmodUpdateRow(GtkTreeIter* piterMaint, rcdMaint* prcdMaint);
void mmodClearModel();
GtkTreeModel* mmodGetModel();
// The remembered row of the last load, or NULL.
GtkTreeIter* mmodGetSel();

// Summary of iCompID on the active aircraft, read from the database. A
// load failure is reported; the summary then covers what was read. The
// pointer stays valid until the next summary is computed.
mntState* mmodGetState(guint iCompID);
// While a whole tree is built: every card's summary from one read of the
// aircraft's records instead of a query per card (mmodGetState answers from
// it until mmodForgetAllStates). A failed read leaves the per-card queries,
// which then report it.
void mmodReadAllStates();
void mmodForgetAllStates();
// Loader callback of mmodGetState: applies one record; always 0.
int mmodStateCallback(rcdMaint* prcdMaint);
// Summary computed from the rows of the list (after an edit); also fills
// the component-hours and kind texts of every data row.
mntState* mmodCalcCompTimes();

// Empties a model's store (when made) and forgets its remembered row: the
// component tree and the maintenance list both keep one.
void mmodClearStore(GtkTreeStore* psto, gboolean* pbSel);

// Airframe hours (tenths) at a summary or record date; 0 for an unknown date.
guint mmodAFHoursAt(time_t t);

// The one history rule both summaries use: starts a summary at the
// aircraft's manufacture date, then applies records oldest first.
void mmodStartState(mntState* pS, time_t tManu);
void mmodApplyRecord(mntState* pS, guint bFlags, time_t tComplete, guint nCompHours, guint nCompAge,
                     guint nDeferHours, guint nDeferDays);
// Kind text of a flag byte, as shown in the list and the report.
const gchar* mmodKindText(guint bFlags);
