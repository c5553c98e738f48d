// The program's frame: start-up, the notebook's page protocol, shutdown.
#pragma once

#include <gtk/gtk.h>

// Set for a copy of the program that runs on a demo log, and the position
// ("x,y") of the window that asked for the demo.
inline constexpr const char* AV_DEMO_ENV = "AVLEDGER_DEMO";
inline constexpr const char* AV_DEMO_AT_ENV = "AVLEDGER_DEMO_AT";

// The whole program: start-up, main loop, shutdown; returns the exit status.
int avMain(int argc, char** argv);

// Time zone UTC; dates and numbers in the fixed "C" form.
void avPrepareEnvironment();

// Start-up up to (not including) the main loop. Returns TRUE when the
// program is ready to run; otherwise *pnStatus holds the exit status.
gboolean avStartUp(int argc, char** argv, int* pnStatus);
// Everything after the main loop has returned; gives the exit status.
int avShutDown();

// The builder that holds every widget of the UI file.
GtkBuilder* avGetBuilder();

// Leaves the current page: focus to the notebook so a field being edited
// commits, drain pending events, then the page's leave operation.
void avOnPageLeave();
void on_avLedger_change_page(GtkNotebook* pwgtNB, gpointer pwgtNBPage, guint nPage,
                             gpointer pUser);
void on_avLedger_destroy_event(GtkObject* object, gpointer user_data);
