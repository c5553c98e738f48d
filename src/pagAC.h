// Aircraft card page; owns the active aircraft.
#pragma once

#include <gtk/gtk.h>

void acdInitialize(GtkBuilder* pBuilder);
void acdOnPageLeave();
