// The context-help window.
#pragma once

#include <gtk/gtk.h>

void hlpInitialize(GtkBuilder* pBuilder, GtkWindow* pwinMain);
