// Small helpers shared by the pages and records: fixed-field text copy,
// keyboard navigation through a form, tree view row helpers.
#pragma once

#include "avCnv.h"
#include "avTree.h"

#include <gtk/gtk.h>

#include <cstddef>
#include <string>
#include <ctime>

// Called when the user leaves a field of a navigation table by the
// keyboard, with that field and GTK_DIR_UP or GTK_DIR_DOWN. The result is
// not looked at.
typedef gboolean (*wgtLUTFunc)(GtkWidget* pwgtCur, GtkDirectionType nDir);

// One field of a form's navigation table. The table lists the page's widget
// variables in form order and ends with an entry whose pwgtLUT is null; it
// can be a constant table set up before the widgets are looked up.
struct wgtLUT {
    GtkWidget** pwgtLUT;
    wgtLUTFunc pfuncLUTCB;
};

// "key-press-event" handler of single-line fields and combo boxes, with the
// table as user data: Down and Return move to the next field, Up to the
// previous one; other keys are left to the widget.
gboolean mscKeyPressLUT(GtkWidget* pwgtCur, GdkEventKey* pevtKey, const wgtLUT* pwgtLUT);
// "keynav-failed" handler of multi-line text views, with the table as user
// data: the cursor could not move further up or down, so focus moves on.
gboolean mscKeyNavLUT(GtkWidget* pwgtCur, GtkDirectionType nDir, const wgtLUT* pwgtLUT);

// Moves the focus to the next / previous field that is shown and sensitive.
// TRUE when the key is used up (moved, or pwgtCur is not in the table);
// FALSE at the end of the table so GTK handles the key itself.
gboolean mscKeyPressDown(const wgtLUT* pwgtLUT, GtkWidget* pwgtCur);
gboolean mscKeyPressUp(const wgtLUT* pwgtLUT, GtkWidget* pwgtCur);

// Expands the tree down to the row, scrolls it into view at the bottom edge
// and selects it. FALSE without an iterator.
gboolean mscTreeRowSelect(GtkTreeView* pwgtTree, GtkTreeIter* piterTree);

// Connects a field of a form: keyboard navigation through the table (Up/
// Down/Return in entries and combos, leaving the ends of a text view) and,
// when given, the field's focus-out handler. A changed text the handler
// takes without a refusal clears a refusal still shown in the status bar.
void mscConnectField(GtkWidget* pwgtField, const wgtLUT* pwgtLUT, GCallback pfnFocusOut);

// Copies the whole text of a text view into a fixed field of nlField bytes.
// TRUE when the field changed.
gboolean mscTextViewStore(GtkWidget* pwgtView, char* pszField, std::size_t nlField);

// Asks the modal OK/Cancel question before a card is deleted, over the
// window that holds pwgtNear. Both texts are markup; the caller escapes
// the user's text in them. TRUE for OK.
gboolean mscConfirmDelete(GtkWidget* pwgtNear, const char* pszTitle, const char* pszQuestion);
// The same OK/Cancel question for an input that looks like a mistake but
// may be meant (a second pilot of the same name); OK is the default.
gboolean mscConfirm(GtkWidget* pwgtNear, const char* pszTitle, const char* pszQuestion);

// Before a date after today is stored: asks "<what> dated <date> is in the
// future. Keep it?" (pszWhat is plain text, e.g. "The flight"). TRUE when
// the date is not in the future or the user keeps it; FALSE keeps the old
// value.
gboolean mscKeepFutureDate(GtkWidget* pwgtNear, time_t tDate, const char* pszWhat);

// Puts the focus into a field when a list row was chosen, and again once
// the event that chose it is done: a tree view that was clicked takes the
// focus back after its selection handlers ran, and the user's typing would
// go into the list.
void mscFocusAfterList(GtkWidget* pwgtField, GtkWidget* pwgtList);

// Shows text in an entry (null as empty) or a text view.
void mscSetEntry(GtkWidget* pwgt, const gchar* pszText);
void mscSetViewText(GtkWidget* pwgt, const gchar* pszText);
// A Cairo context on the whole of a drawing area, painted white, and the
// area's size; the caller destroys the context.
cairo_t* mscWhiteCanvas(GtkWidget* pwgt, double* pdWidth, double* pdHeight);
// TRUE when the text holds nothing but blanks.
gboolean mscIsBlank(const gchar* psz);
// A whole number as typed, nothing else around it, at most nMax; FALSE for
// anything else (*pn untouched).
gboolean mscReadCount(const gchar* pszText, guint nMax, guint* pn);

// Before a list changes rows: moves the focus to the list and runs the
// pending events, so the field being edited commits into the record that
// is being left.
void mscCommitEdits(GtkWidget* pwgtTree);
// The same from a list's own handler: when the list holds the focus
// already the edits are stored, and running the main loop would take the
// user's next keys (a name typed to search, a held arrow) out of order.
void mscCommitEditsFor(GtkWidget* pwgtTree);

// Shows column iTextCol of the combo's model as text; iSensitiveCol >= 0
// greys the rows where that boolean column is FALSE. With nWidthChars the
// texts are the user's (names): the combo asks for that many characters
// and a longer text ends in "…", so one long name cannot widen the page.
void mscComboShowText(GtkWidget* pwgtCombo, gint iTextCol, gint iSensitiveCol,
                      gint nWidthChars = -1);
// Lets a text cell of a list or combo ask for nWidthChars characters and
// end a longer text in "…" (nothing for 0 or less).
void mscEllipsize(GtkCellRenderer* pRenderer, gint nWidthChars);

// ---- one way for every page to refuse an input and to show a record ----

// Where refusals are told: the main window's status bar (set at start-up;
// without one only the beep remains).
void mscInitialize(GtkStatusbar* pwgtStatus);

// Tells the user that what was typed into pwgtField was refused and why:
// a beep and the reason in the status bar. The caller has already put the
// field back to the stored value; nothing is stored. pwgtField may be null.
void mscRefuse(GtkWidget* pwgtField, const gchar* pszWhy);
// The reason last shown, "" when the status bar was cleared since.
const gchar* mscLastRefusal();
// Shows a notice in the status bar, without a beep; it goes as a refusal
// does (a good entry, leaving the page).
void mscNotice(const gchar* pszText);
// Clears the status bar, e.g. when the refused field was put right.
void mscRefuseClear();

// While a page fills its widgets from a record, its edit handlers must not
// take the changes as the user's: every handler begins with
// "if (mscDisplaying()) return ...;" and the filling code holds a guard.
class MscDisplayGuard {
  public:
    MscDisplayGuard();
    ~MscDisplayGuard();
    MscDisplayGuard(const MscDisplayGuard&) = delete;
    MscDisplayGuard& operator=(const MscDisplayGuard&) = delete;
};
gboolean mscDisplaying();

// The widget of a builder ID. A missing ID is a fault of the UI file: it is
// reported as a warning (fatal under test) and null is returned.
GtkWidget* mscGetWidget(GtkBuilder* pBuilder, const char* pszID);

// Copies an entry's text into a fixed field of nlField bytes when it
// differs; TRUE when the field changed.
gboolean mscEntryStore(GtkWidget* pwgtEntry, char* pszField, std::size_t nlField);
template <std::size_t N> gboolean mscEntryStore(GtkWidget* pwgtEntry, char (&szField)[N]) {
    return mscEntryStore(pwgtEntry, szField, N);
}

// Keeps what the user types or pastes into an entry or a text view within
// what a fixed field of nlField bytes stores, so that the screen shows what
// will be saved: an insert that would not fit is cut at a whole character,
// with a beep and a refusal message. Also makes a text view wrap by
// character where a word does not fit, and lets its scroller scroll
// sideways, so a long word never widens the window.
void mscLimitText(GtkWidget* pwgtField, std::size_t nlField);

// Takes the date typed into an entry into a record field. An emptied entry
// clears the date (-1); a text that is no date is refused as every refusal
// is, and the stored date stays. The entry then shows the stored date.
// TRUE when the field changed.
gboolean mscEntryDateStore(GtkWidget* pwgtEntry, time_t* ptField);
