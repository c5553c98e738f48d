// The due list window: shows the due list and follows every edit while it
// is open.
#pragma once

#include "modDue.h"

#include <gtk/gtk.h>

#include <string>
#include <vector>

// Looks up the window, connects "View > Due List..." and, when the
// component page has it, its "CompDueListButton"; follows the models.
void dueInitialize(GtkBuilder* pBuilder);
// Shows the window, filled; hides it.
void dueShow();
void dueHide();
// Refills the window at once (the window refills itself when idle after
// the models change).
void dueRefresh();
// The list's store (for tests and the benchmark).
GtkTreeModel* dueGetModel();

// Columns of the window's store.
enum _colDue {
    DUE_ID_COL,     // guint: card, pilot or defect ID; 0 on a section row
    DUE_KIND_COL,   // guint: a DUE_ROW_ kind
    DUE_NAME_COL,   // string, and the texts of dueLine in order
    DUE_PART_COL,   //
    DUE_WHAT_COL,   //
    DUE_STATE_COL,  //
    DUE_POINT_COL,  //
    DUE_DRIVER_COL, //
    DUE_LEFT_COL,   //
    DUE_DEFER_COL,  //
    DUE_COLOUR_COL, // string
    DUE_WEIGHT_COL, // guint
    DUE_FCST_COL,   // string: the forecast
    DUE_FCST_T_COL, // gint64: its date, for sorting; G_MAXINT64 none
    DUE_ORDER_COL,  // guint: place in the list as collected (worst first)
    DUE_NUM_COLS
};
enum _rowDue { DUE_ROW_SECTION, DUE_ROW_COMP, DUE_ROW_PILOT, DUE_ROW_DEFECT };
