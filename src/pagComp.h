// Component card page: the component tree, the card and the maintenance panel.
#pragma once

#include <gtk/gtk.h>

void ccdInitialize(GtkBuilder* pBuilder, gboolean bCompEdit);
void ccdOnPageEnter();
void ccdOnPageLeave();
void ccdCleanUp();

// Shows the card of a component: switches to the component page, expands
// the tree down to the card and selects it. FALSE when the active
// aircraft's tree has no such card.
gboolean ccdSelectCompID(guint iCompID);
