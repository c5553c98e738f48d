// Reference drawing page: the drawing viewer and the reference setup editor.
#pragma once

#include <gtk/gtk.h>

void refInitialize(GtkBuilder* pBuilder, gboolean bCompEdit);
void refOnPageEnter();
void refOnPageLeave();
void refCleanUp();
