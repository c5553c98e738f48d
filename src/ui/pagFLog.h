// Flight log page: entering, editing and deleting the flights of the
// active aircraft, with the airframe hours kept in step.
#pragma once

#include <gtk/gtk.h>

// Looks up the page's widgets, connects them, puts the shared pilot store
// into both pilot combos and the flight log store into the tree, and makes
// the card insensitive. Once at start-up, before the aircraft page.
void fltInitialize(GtkBuilder* pBuilder);
// Shows the flight tree of the active aircraft as the user left it,
// rebuilt only when the model says its rows are out of date, or shows
// "FLogNoLog" when there is none.
void fltOnPageEnter();
// Saves the working flight when it was changed (bDirty stays set).
void fltOnPageLeave();

// Saves the working flight if changed, rebuilds the tree and selects the
// working flight again.
void fltLoadTree();
// Writes the working flight's time and destination into its selected row.
void fltTreeUpdate();

