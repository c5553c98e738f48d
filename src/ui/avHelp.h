// The context-help window: a floating window that shows a marked-up help
// text when a context-help widget is right-clicked.
#pragma once

#include <gtk/gtk.h>

void hlpInitialize(GtkBuilder* pBuilder, GtkWindow* pwinMain);

// Shows marked-up text in the help window and brings it to the front.
// The title is accepted but not shown.
void hlpMessage(const gchar* pszTitle, const gchar* pszText);

// "button-press-event" handler for a page's context-help widget; the user
// data is that widget's help text (a constant string owned by the page).
// The right button shows it; on a "?" button (a plain GtkButton) the left
// button too.
gboolean hlpOnCHelpButtonPress(GtkWidget* pwgtCHelp, GdkEventButton* pevtCHelp,
                               const gchar* pszHelp);
// Connects that handler to a widget with its help text.
void hlpConnect(GtkWidget* pwgt, const gchar* pszHelp);

// The window's own handlers: dragging by the header, closing by a click.
gboolean hlpOnHeaderButtonPress(GtkWidget* pwgtButton, GdkEventButton* pEvt, gpointer pUser);
gboolean hlpOnHeaderButtonMotion(GtkWidget* pwgtImage, GdkEventMotion* pEvt, gpointer pUser);
gboolean hlpOnButtonPress(GtkWidget* pwgtTextView, GdkEventButton* pevtTextView, gpointer pUser);
