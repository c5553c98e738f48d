// Flight card of the flight log page: the working flight's fields, its
// times kept consistent with each other, its pilots; stored as soon as an
// edit is accepted.
#pragma once

#include <gtk/gtk.h>

#include <string>

struct rcdFLog;

// Pilots' names and destinations are shown this wide; longer ones end in
// "…" instead of pushing the flight list aside.
constexpr gint FCD_NAME_CHARS = 16;

// What the card asks of the flight tree, which fills it in.
struct fcdTreeOps {
    // Saves the working flight if changed, rebuilds the tree and selects
    // the working flight again.
    void (*pfnLoadTree)();
    // Writes the working flight's time and destination into its row.
    void (*pfnTreeUpdate)();
};

// Looks up the card's widgets, connects them and puts the shared pilot
// store into both pilot combos; the card starts insensitive.
void fcdInitialize(GtkBuilder* pBuilder, const fcdTreeOps* pOps);

// The working flight: the one on the card.
rcdFLog& fcdFlight();
// No working flight: nothing later shown can be saved over another one.
void fcdForget();
// The active aircraft's ID, or SQL_NEW_ID when there is none.
guint fcdActiveACID();
// Tells the user of a failed read or write of the log.
void fcdShowError(const char* pszFunction, const char* pszLocus);
// Stores the working flight; FALSE (the user told) when that failed.
gboolean fcdSave(const char* pszFunction, const char* pszLocus);
// Shows the airframe hours again after flights changed.
void fcdRefreshHours();
// A new flight on the card, dated the day of the last one entered.
void fcdStartNewFlight();
// The question asked before the working flight is deleted.
std::string fcdDeleteQuestion();

void fltDisplayUpdate();
void fltDisplayClear();
void fltDisplaySensitive(gboolean bSensitive);

// Navigation callback of the date entry: opens the rest of the card and
// moves on to the take-off time.
gboolean fltDateLUTCB(GtkWidget* pwgtDate, GtkDirectionType nDir);
