// Pilot card page.
#pragma once

#include <gtk/gtk.h>

struct rcdPilot;

void pltInitialize(GtkBuilder* pBuilder);
void pltOnPageEnter();
void pltOnPageLeave();

// Card display helpers.
void pltDisplaySensitive(gboolean bSensitive);
void pltDisplayClear();
void pltDisplayUpdate();
void pltSyncTree();

// Handlers of the tree and the card.
gboolean pltOnTreeKeyPress(GtkWidget* pwgtTree, GdkEventKey* pevtKey, gpointer pUser);
void pltOnRowChanged(GtkTreeSelection* pselTree, gpointer pUser);
gboolean pltOnLNameFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean pltOnFNameFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean pltOnLastMedFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean pltOnMedIntvFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean pltOnNextMedFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean pltOnLastFRFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean pltOnFRIntvFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean pltOnNextFRFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean pltOnNotesFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
void pltMedAutoToggled(GtkToggleButton* pwgtCheck, gpointer pUser);
void pltMedEndMonthToggled(GtkToggleButton* pwgtCheck, gpointer pUser);
void pltFRAutoToggled(GtkToggleButton* pwgtCheck, gpointer pUser);
void pltFREndMonthToggled(GtkToggleButton* pwgtCheck, gpointer pUser);
