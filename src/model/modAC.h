// The aircraft list model: one row per stored aircraft, sorted by
// registration without regard to case, then the "<new heli>" row.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <span>

struct rcdAC;
struct rcdComp;

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

// One choice of an aircraft option list: the code stored in the aircraft
// record, its label on the aircraft card, whether the user may choose it
// (the others show greyed), and the catalogue editor's check box that sets
// bit <code> of a card's mask (NULL for "Other", which no card names).
struct amodOption {
    gint iCode;
    const gchar* pszLabel;
    gboolean bChoosable;
    const gchar* pszCheckID;
};
// One option list: the aircraft card's combo box, the record field it
// sets, the card mask it is matched against (cmodAcceptCompOpt), and its
// choices in the order shown.
struct amodOptList {
    const gchar* pszComboID;
    gint rcdAC::*piField;
    guint rcdComp::*pMask;
    std::span<const amodOption> lstOpt;
};
// The option vocabulary of both the aircraft card and the catalogue
// editor; the catalogue's source names the same codes by words.
const std::array<amodOptList, 9>& amodOptLists();

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
