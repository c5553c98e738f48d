// Component card page: the component tree, the card and the maintenance panel.
#pragma once

#include <gtk/gtk.h>

void ccdInitialize(GtkBuilder* pBuilder, gboolean bCompEdit);
void ccdOnPageEnter();
void ccdOnPageLeave();
void ccdCleanUp();
