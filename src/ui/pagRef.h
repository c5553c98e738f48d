// Reference drawing page: the drawing viewer. In component edit mode it
// holds the reference setup editor (pagRefEdit) below the drawing.
#pragma once

#include "refGeom.h"

#include <gtk/gtk.h>

void refInitialize(GtkBuilder* pBuilder, gboolean bCompEdit);
void refOnPageEnter();
void refOnPageLeave();
void refCleanUp();

// Loads the drawings of a component (0: none) each time one is chosen on
// the component page; the page is shown only when there is a drawing.
void refLoadRecords(guint iCompID);
// Shows (TRUE) or hides the drawing page and its tab.
void refPageShow(gboolean bShow);

// For tests: the viewer's state as the page holds it.
const objDrawing& refViewState();
