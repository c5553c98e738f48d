// The due list window's timeline: what falls due when over the next months,
// one mark per due point; hovering a mark names the card, clicking opens it.
#pragma once

#include <gtk/gtk.h>

// Draws into pwgtArea; the span's choice goes at the start of pwgtButtons.
void tmlInitialize(GtkWidget* pwgtArea, GtkWidget* pwgtButtons);
// Draws it anew from the models.
void tmlRefresh();
// The span in months (3 to 24; 12 at start).
void tmlSetMonths(guint nMonths);
guint tmlGetMonths();
