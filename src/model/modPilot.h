// The pilot list model: one tree store shared by the pilot card page and
// the flight log page's pilot and student combo boxes. Also the two rules
// applied to a pilot record: due date and sort key.
#pragma once

#include "rcdPilot.h"

#include <gtk/gtk.h>

#include <ctime>


// Columns of the pilot store, in order.
enum {
    PILOT_ID_COL,         // guint: pilot ID; 0xFFFFFFFF on the new-pilot row
    PILOT_NAME_COL,       // string: sort name "Last, First"
    PILOT_RNAME_COL,      // string: reading name "First Last"
    PILOT_MED_NEXT_COL,   // string: next medical date as text
    PILOT_FR_NEXT_COL,    // string: next flight review date as text
    PILOT_MED_DUE_COL,    // boolean: the medical is due
    PILOT_FR_DUE_COL,     // boolean: the flight review is due
    PILOT_STYLE_COL,      // guint: PangoStyle of the name (0 normal, 2 italic)
    PILOT_FG_COL,         // boolean: the name is drawn in the renderer's colour
    PILOT_NEW_COL,        // boolean: this is the new-pilot row
    PILOT_MED_NEXT_T_COL, // gint64: next medical date (UTC seconds; 0 or -1 none)
    PILOT_FR_NEXT_T_COL,  // gint64: next flight review date
    PILOT_NUM_COLS
};

// ID of the new-pilot row and of a pilot not yet stored.
inline constexpr guint PILOT_ID_NEW = 0xFFFFFFFFu;

// Creates the store and loads it; FALSE stops start-up.
gboolean pmodInitialize();
// Rebuilds the store: every pilot in sort-key order, then "<new pilot>".
gboolean pmodLoadModel();
// Load callback: appends one pilot row; returns 0 so the load goes on.
int pmodLoadPilotCallback(rcdPilot* prcdPilot);
// The store as a tree model, for views and combo boxes.
GtkTreeModel* pmodGetModel();
// The pilot ID held in the given row.
guint pmodGetPilotID(GtkTreeIter* piterPilot);
// The first top-level row with that ID, or nullptr. The iterator is the
// module's one storage place: use it before calling again.
GtkTreeIter* pmodFindPilotID(guint iPilotID);
// Refreshes the next-date texts and due flags of the record's row.
void pmodUpdateDueDates(const rcdPilot* prcdPilot);
// Sets the row's due flags from the record's next dates against now.
void pmodUpdateTreeDue(GtkTreeIter* piterPilot, const rcdPilot* prcdPilot);

// Due date: tLast plus the packed interval, counted from the first of the
// following month when bEndMonth is set. tLast -1 (no date) gives 0.
time_t pltCalcDueDate(time_t tLast, guint nIntv, gboolean bEndMonth);
// Sort key of a pilot record: letters and digits of last, then first name,
// upper case, at most nlSortKey - 2 characters. FALSE when it is empty.
gboolean pltBuildSortKey(const rcdPilot* prcdPilot, gchar* pszSortKey, guint nlSortKey);

// The two due groups of a pilot and their values.
enum pltDueGroup { PLT_MEDICAL, PLT_REVIEW };
enum pltDueField { PLT_DUE_LAST, PLT_DUE_INTERVAL, PLT_DUE_NEXT };
// Reads a typed interval into *pnIntv; nullptr when taken, else why not in
// words (to be followed by "The interval stays as it was.").
const gchar* pltReadInterval(const gchar* pszText, guint* pnIntv);
// The pilot after a date (UTC seconds, -1 none) or the interval of a group
// changed to nValue: a new interval, or a date under Auto, gives the next
// date; without Auto a typed next date stands.
rcdPilot pltDueSet(const rcdPilot& rcd, pltDueGroup nGroup, pltDueField nField, gint64 nValue);
// The pilot after Auto or End of month of a group was ticked or cleared.
// End of month only counts with Auto: FALSE, and nothing changed, without.
rcdPilot pltDueAuto(const rcdPilot& rcd, pltDueGroup nGroup, gboolean bAuto);
gboolean pltDueMonthEnd(rcdPilot* prcd, pltDueGroup nGroup, gboolean bMonthEnd);

// Where a typed last (bLast) or first name puts a pilot. Refused when the
// name would leave no letter or digit to find the pilot by (the record
// stays); a new sort key moves the pilot in the list and is saved at once.
enum pltNamePlace { PLT_NAME_REFUSED, PLT_NAME_SAME_PLACE, PLT_NAME_NEW_PLACE };
// The record then holds the new spelling and, at a new place, the new key.
struct pltNameEdit {
    rcdPilot rcd;
    pltNamePlace nPlace;
    gboolean bChanged; // the typed spelling differs from the record's
};
pltNameEdit pltNameTyped(const rcdPilot& rcd, gboolean bLast, const gchar* pszText);
