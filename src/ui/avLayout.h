// The main window's size and every pane's divider, kept in the settings
// between runs; and "Help → Open Demo Log", which starts a second copy of
// the program on a freshly written demo log, away from the user's data.
#pragma once

#include <gtk/gtk.h>

// The icon's name in the desktop's icon theme, as installed.
inline constexpr const char* LYT_ICON_NAME = "org.avledger.avledger";

// The smallest window the pages still fit in (an 800 x 600 screen less a
// title bar); a remembered size below it (or above the screen) is not restored.
inline constexpr gint LYT_MIN_WIDTH = 800;
inline constexpr gint LYT_MIN_HEIGHT = 570;

// Restores the remembered size and dividers and starts following the
// user's changes. Called once the settings are loaded.
void lytInitialize(GtkBuilder* pBuilder);
// Writes what the user changed into the settings; the window may already
// be destroyed. Called at shutdown, before the settings file is written.
void lytSave();

// The demo tool that "Open Demo Log" runs: "avDemoLog" beside the program.
gchar* lytDemoToolPath();
void lytOnDemoLogActivate(GtkMenuItem* pmenuItem, gpointer pUser);
