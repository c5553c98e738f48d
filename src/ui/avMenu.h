// The main window's menu and the About box.
#pragma once

#include <gtk/gtk.h>

void menuInitialize(GtkBuilder* pBuilder);
void menuAboutActivate(GtkMenuItem* pmenuAbout, gpointer pUser);
