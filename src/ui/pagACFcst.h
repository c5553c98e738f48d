// The aircraft card's flying and forecast: hours a month over three spans,
// the rate the owner may set for a season that will differ, and the plot
// of the hours flown per month.
#pragma once

#include <gtk/gtk.h>

// Looks up the widgets and follows the flight log, so that the figures and
// the plot follow every flight.
void acfInitialize(GtkBuilder* pBuilder);
// Shows the active aircraft's rate and figures and redraws the plot.
void acfShow();
