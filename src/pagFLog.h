// Flight log page: entering, editing and deleting flights.
#pragma once

#include <gtk/gtk.h>

void fltInitialize(GtkBuilder* pBuilder);
void fltOnPageEnter();
void fltOnPageLeave();
