#include "avMenu.h"

#include "avMisc.h"

#include <cairo.h>
#include <gdk/gdkkeysyms.h>
#include <glib/gprintf.h>
#include <sqlite3.h>

namespace {
GtkWidget* m_pwinMain = nullptr;
} // namespace

void menuInitialize(GtkBuilder* pBuilder) {
    m_pwinMain = mscGetWidget(pBuilder, "avLedger");
    g_signal_connect(mscGetWidget(pBuilder, "MenuHelpAbout"), "activate",
                     G_CALLBACK(menuAboutActivate), nullptr);
    GtkWidget* pwgtQuit = mscGetWidget(pBuilder, "MenuFileQuit");
    g_signal_connect_swapped(pwgtQuit, "activate", G_CALLBACK(gtk_widget_destroy), m_pwinMain);
    GtkAccelGroup* paccel = gtk_accel_group_new();
    gtk_window_add_accel_group(GTK_WINDOW(m_pwinMain), paccel);
    gtk_widget_add_accelerator(pwgtQuit, "activate", paccel, GDK_q, GDK_CONTROL_MASK,
                               GTK_ACCEL_VISIBLE);
    g_object_unref(paccel); // the window holds it
}

void menuAboutActivate(GtkMenuItem*, gpointer) {
    char szGTK[30], szGLib[30], szCairo[30];
    // GTK as it runs; GLib and Cairo as the program was built against.
    g_snprintf(szGTK, sizeof szGTK, "GTK %u.%u.%u", gtk_major_version, gtk_minor_version,
               gtk_micro_version);
    g_snprintf(szGLib, sizeof szGLib, "GLib %u.%u.%u", GLIB_MAJOR_VERSION, GLIB_MINOR_VERSION,
               GLIB_MICRO_VERSION);
    g_snprintf(szCairo, sizeof szCairo, "Cairo %u.%u.%u", CAIRO_VERSION_MAJOR, CAIRO_VERSION_MINOR,
               CAIRO_VERSION_MICRO);
    char szComments[1000];
    g_snprintf(szComments, sizeof szComments, "Aug-2009\n\n%s\n%s\n%s\nSQLite %s", szGLib, szGTK,
               szCairo, sqlite3_libversion());

    GtkWidget* pwgtAbout = gtk_about_dialog_new();
    gtk_window_set_transient_for(GTK_WINDOW(pwgtAbout), GTK_WINDOW(m_pwinMain));
    gtk_window_set_position(GTK_WINDOW(pwgtAbout), GTK_WIN_POS_CENTER_ON_PARENT);
    gtk_about_dialog_set_program_name(GTK_ABOUT_DIALOG(pwgtAbout), "avLedger");
    gtk_about_dialog_set_version(GTK_ABOUT_DIALOG(pwgtAbout), "0.9");
    gtk_about_dialog_set_comments(GTK_ABOUT_DIALOG(pwgtAbout), szComments);
    gtk_window_set_title(GTK_WINDOW(pwgtAbout), "Corvane Maintenance Log");
    gtk_dialog_run(GTK_DIALOG(pwgtAbout));
    gtk_widget_destroy(pwgtAbout);
}
