// The component catalogue model of the active aircraft: groups, sub-groups
// and the fitting component cards, each card row carrying its maintenance
// summary and due state; and the due rules that colour the tree.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include <ctime>

struct rcdComp;
struct rcdRef;
struct rcdSNote;
struct mntState;

// Row types (CCD_TYPE_COL).
enum _idType_t { TYPE_GRP = 0, TYPE_SUB = 1, TYPE_COMP = 2 };

// Columns of the component tree store. Times are gint64 (time_t, UTC
// seconds; -1 an unknown date), hours are tenths of an hour.
enum _colComp {
    CCD_INX_COL,            // gulong: group index 0-7, sub-group index 0-28, or card ID
    CCD_TYPE_COL,           // guint: TYPE_GRP, TYPE_SUB or TYPE_COMP
    CCD_COMP_COL,           // string: group, sub-group name or part description
    CCD_PART_COL,           // string: part number
    CCD_DRAWING_COL,        // string: drawing names, upper case ("HUB, MAST")
    CCD_COLOUR_COL,         // string: colour of the due state
    CCD_WEIGHT_COL,         // guint: Pango weight of the due state
    CCD_INSPLAST_COL,       // gint64: tInspLast
    CCD_INSPINTV_COL,       // guint: inspection interval in tenths of an hour
    CCD_RCOLAST_COL,        // gint64: tRCOLast
    CCD_RCOHOURS_COL,       // guint: hours on the part when fitted (tenths)
    CCD_RCOAGE_COL,         // guint: age of the part when fitted, packed interval
    CCD_RCOINTV_COL,        // guint: the card's replacement limit, packed as stored
                            // (whole hours in bits 0-15, years 16-30, OC bit 31)
    CCD_DEFERRCOLAST_COL,   // gint64: replacement deferral in force; 0 for none
    CCD_DEFERRCOHOURS_COL,  // guint: its hours (tenths)
    CCD_DEFERRCODAYS_COL,   // guint: its days
    CCD_DEFERINSPLAST_COL,  // gint64: inspection deferral in force; 0 for none
    CCD_DEFERINSPHOURS_COL, // guint: its hours (tenths)
    CCD_DEFERINSPDAYS_COL,  // guint: its days
    CCD_DUEFLAGS_COL,       // guint: due flags (values of _dueFlags bits or-ed)
    CCD_STYLE_COL,          // guint PangoStyle: 0 normal, 2 italic (edit mode, not fitting)
    CCD_NUM_COLS
};

// Due flags: bit numbers; CCD_DUEFLAGS_COL holds 1 << bit or-ed together.
enum _dueFlags {
    CCD_RCOCAL_DUE = 0,      // calendar replacement limit reached, not deferred
    CCD_RCOHOURS_DUE = 1,    // hours replacement limit reached, not deferred
    CCD_INSPHOURS_DUE = 2,   // inspection due, not deferred
    CCD_RCOHOURS_DEFER = 3,  // a replacement limit reached but deferred
    CCD_INSPHOURS_DEFER = 4, // inspection due but deferred
};

// Due state of a row; a larger value is worse.
typedef enum _dueStat {
    CCD_DUESTAT_NONE = 0,
    CCD_DUESTAT_INSPDEFER = 1,
    CCD_DUESTAT_RCODEFER = 2,
    CCD_DUESTAT_INSPDUE = 3,
    CCD_DUESTAT_RCODUE = 4
} dueStat_t;

// Columns of the service-note label list.
enum _colSNote { SNOTE_ID_COL, SNOTE_LABEL_COL, SNOTE_NUM_COLS };

// Remembers the edit mode, reads the look-ahead mark from the settings and
// creates both stores; always TRUE.
gboolean cmodInitialize(gboolean bCompEdit);

// Rebuilds the tree for the active aircraft and marks the due states. The
// row of card iCompID (all ones: none) becomes the remembered selection.
// FALSE when the user cancelled after a database error.
gboolean cmodLoadModel(gulong iCompID);
// The names of the cards whose history holds an entry cut short (the
// program ended while it was being made), as of the last rebuild.
const std::vector<std::string>& cmodUnfinishedCards();
void cmodClearModel();
// TRUE while the tree is being emptied: a view's selection changes then,
// and its handler must not take that for the user's choice.
gboolean cmodClearing();
// Counts the clears (every rebuild starts with one): a row remembered under
// another count is gone.
guint cmodGetGeneration();
// The card row of iCompID anywhere in the tree; FALSE when the tree has none.
gboolean cmodFindCompID(gulong iCompID, GtkTreeIter* piterComp);
GtkTreeModel* cmodGetModel();
GtkTreeModel* cmodSNoteModel();
// The remembered card row, or NULL when the last rebuild did not meet it.
GtkTreeIter* cmodGetCompSel();

// Group / sub-group ID of a CCD_INX_COL index; all ones when out of range.
guint cmodGCompID(guint iCompInx);
guint cmodSCompID(guint iCompInx);

// Writes a card row from the card and its summary (not colour, weight,
// style, drawing or due flags).
void cmodUpdateRow(GtkTreeIter* piterComp, rcdComp* prcdComp, mntState* pS);

// Option filter: a mask of 0 accepts every aircraft; else a code above 99
// (or negative) is refused; else bit (code mod 32) of the mask decides.
gboolean cmodAcceptCompOpt(guint iACOpt, guint bCompOpt);
// Whether the card fits every option of the active aircraft.
gboolean cmodAcceptCompCard(rcdComp* prcdComp);

// Loader callbacks of the rebuild; both return 0 (go on).
int cmodLoadCompCallback(rcdComp* prcdComp, GtkTreeIter* piterSubGrp);
int cmodLoadRefCallback(rcdRef* prcdRef);

// Reloads the service-note label list; FALSE when cancelled after an error.
gboolean cmodLoadSNoteModel();
int cmodLoadSNoteCallback(rcdSNote* prcdSNote);

// Judges one card row at the look-ahead mark, stores its due flags and
// returns its state. The airframe total is taken from the flight log.
dueStat_t cmodIsDue(GtkTreeIter* piterComp, guint nAFHours);

// The three limits a card can have.
enum _dueLimit { CCD_LIMIT_INSP_HOURS, CCD_LIMIT_RCO_HOURS, CCD_LIMIT_RCO_CAL, CCD_LIMIT_NUM };

// The figures behind one limit of a card, as the card and the due list show
// them. Hours are airframe hours in tenths; "now" is the clock and the
// airframe total, the state is judged at the look-ahead mark.
struct cmodDueFigure {
    gboolean bSet;         // the card has this limit
    gint64 nLastHours;     // airframe hours at the last inspection / replacement
    time_t tLast;          // its date (-1 unknown)
    gint64 nDueHours;      // hours limits: airframe hours at which it falls due, never below 0
    time_t tDue;           // calendar limit: the date it falls due (-1 unknown fitting date,
                           // which counts as spent)
    gboolean bUsedPart;    // a used part's hours (or, calendar, its age) brought it forward
    dueStat_t nState;      // at the mark: due, deferred or CCD_DUESTAT_NONE; the same
                           // verdict that colours the row
    gint64 nLeftHours;     // hours limits: tenths from the airframe total to the due
                           // point (negative: overdue); 0 for the calendar limit
    gint64 nLeftDays;      // calendar limit: whole days from now to tDue, rounded down
                           // (negative: overdue); 0 for the hours limits
    time_t tDeferEnd;      // a deferral in force: the date it holds to (0 none)
    gint64 nDeferEndHours; //   and the airframe hours it holds to (-1 none; hours
                           //   do not count against the calendar limit)
};
// The due figures of a card row, by _dueLimit. The card's due entries and
// the due list both take them from here, so they agree with the colour.
void cmodDueFigures(GtkTreeIter* piterComp, cmodDueFigure lst[CCD_LIMIT_NUM]);

// Judges and colours every row; groups and sub-groups take the worst state
// beneath them (black when empty).
void cmodMarkDue();
// Colour name and Pango weight of a due state: the tree, the card and the
// due list all show a state so.
struct cmodLook {
    const char* pszColour;
    guint nWeight;
};
cmodLook cmodDueLook(dueStat_t nDueStat);
// Colour and weight of a due state on any row.
void cmodDueColours(GtkTreeIter* piterComp, dueStat_t nDueStat);

// The look-ahead mark: further flight hours (tenths) and a calendar span
// (packed interval). Setting it writes both to the settings file.
void cmodSetMarkTime(guint nHours, guint nTime);
guint cmodGetMarkHours();
guint cmodGetMarkTime();
// The date of the calendar mark: now plus the mark span.
time_t cmodMarkDate();
// The moment the due rules take as now.
time_t cmodNow();
// Fixes the moment taken as "now" (0: the system clock again), so that due
// decisions at a given moment can be reproduced.
void cmodSetClock(time_t tNow);
