// Defects on screen: the window of the active aircraft's defects (open
// ones worst first, then the cleared ones), the dialogs that report and
// clear one, and the questions the pages ask before a flight is logged or
// a record a defect names is deleted.
#pragma once

#include <gtk/gtk.h>

#include <ctime>
#include <string>

// Adds "View > Defects…" and "File > Export Defects…", which runs
// pfnExport (the frame's file export). Once at start-up.
void dfctInitialize(GtkBuilder* pBuilder, void (*pfnExport)());
// What follows every change of a defect (the banner, the due list, the
// component tree's marks); the frame sets it.
void dfctSetFollower(void (*pfnFollow)());
// Shows the window, filled; hides it.
void dfctShow();
void dfctHide();
// The window's list (for tests).
GtkTreeModel* dfctGetModel();

// Asks for a new defect found on the active aircraft, dated tDate, after
// flight iFLogID and on card iCompID when known (0: none). TRUE when one
// was stored.
gboolean dfctReportDialog(GtkWidget* pwgtNear, guint iFLogID, guint iCompID, time_t tDate);
// Lets the owner choose the open defect that maintenance record iMaintID
// (of card iCompID, completed tComplete) fixed, and clears it. TRUE when
// one was cleared.
gboolean dfctClearByRecordDialog(GtkWidget* pwgtNear, guint iMaintID, guint iCompID,
                                 time_t tComplete);

// Before a new flight starting at tStart is stored: TRUE when no grounding
// defect is open, or the owner logs the flight anyway.
gboolean dfctMayLogFlight(GtkWidget* pwgtNear, time_t tStart);
// The delete question of a page (markup) with what becomes of the defects
// that name the flight iFLogID or record iMaintID added. TRUE for OK.
gboolean dfctConfirmDelete(GtkWidget* pwgtNear, const char* pszTitle,
                           const std::string& strQuestion, guint iFLogID, guint iMaintID);
// The confirmed delete's part for the defects, inside the page's write
// group: links cleared and said so (pszWhat: "flight of 19-Apr-2026").
gboolean dfctForget(guint iFLogID, guint iMaintID, const char* pszWhat);
// Whether the card has an open defect on the active aircraft.
gboolean dfctCardMarked(guint iCompID);
// Something a defect shows changed (flights logged, the aircraft chosen).
void dfctChanged();

// Columns of the window's store.
enum _colDfct {
    DFCT_ID_COL,      // guint: defect ID; 0 on a section row
    DFCT_OPEN_COL,    // gboolean: an open defect
    DFCT_SEV_COL,     // string: severity, or the section's title
    DFCT_DATE_COL,    // string: reported
    DFCT_AGE_COL,     // string: days open
    DFCT_FLIGHTS_COL, // string: flights since (open ones)
    DFCT_COMP_COL,    // string: component
    DFCT_DESC_COL,    // string: description, with what became of its links
    DFCT_CLEARED_COL, // string: cleared on, and how
    DFCT_COLOUR_COL,  // string
    DFCT_WEIGHT_COL,  // guint
    DFCT_NUM_COLS
};
