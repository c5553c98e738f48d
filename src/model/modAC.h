// The aircraft list model: one row per stored aircraft, sorted by
// registration without regard to case, then the "<new heli>" row.
#pragma once

#include <gtk/gtk.h>

struct rcdAC;

// Columns of the aircraft list store.
enum {
    AC_ID_COL,       // gulong: aircraft ID; all ones on the placeholder row
    AC_REG_COL,      // string: registration, or "<new heli>"
    AC_MODEL_COL,    // string: model; unset on the placeholder row
    AC_NEW_FLAG_COL, // gboolean: TRUE on the placeholder row only
    AC_STYLE_COL,    // guint PangoStyle: italic on the placeholder row
    AC_NUM_COLS
};

// The active aircraft: one working record, which the aircraft page edits
// in place (the pointer is no copy). Valid from program start; iACID is
// all ones while no stored aircraft is active.
rcdAC* acdGetActiveAC();
// TRUE while a stored aircraft is active: the one test of "no active
// aircraft" that every model and page uses.
gboolean acdHasActiveAC();
// Clears a record to no text, no dates and every option unset (-1, since
// 0 is a real option to the catalogue filter), with row ID iACID.
void amodClearAC(rcdAC* prcdAC, guint iACID);

// Normalises a registration for comparison: ASCII letters and digits
// only, upper-cased, at most nlDest - 1 characters, terminated.
void acdParseACReg(gchar* pszDest, const gchar* pszSrc, guint nlDest);

// Creates the store; always TRUE.
gboolean amodInitialize();
// Rebuilds the store from the database and remembers the row of iACID.
// FALSE only when a load error was answered with Cancel.
gboolean amodLoadModel(gulong iACID);
// Loader callback: appends one aircraft row; always 0 (continue).
int amodLoadACCallback(rcdAC* prcdAC);
GtkTreeModel* amodGetModel();
// The row of the aircraft named at the last load, or NULL if not listed.
GtkTreeIter* amodGetSelection();
