// Pilot card page.
#pragma once

#include <gtk/gtk.h>

void pltInitialize(GtkBuilder* pBuilder);
void pltOnPageEnter();
void pltOnPageLeave();
