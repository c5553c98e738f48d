// Every test program: GLib/GTK criticals and warnings are failures.
#include "avError.h"
#include "avLedger.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    g_log_set_always_fatal(GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING));
    // Without a display only the headless tests can run; they need no GTK.
    // With one, a model's report shows the error dialog, as in the program.
    if (gtk_init_check(&argc, &argv))
        dlgSetDefaultReporter(dlgError);
    avPrepareEnvironment();
    return RUN_ALL_TESTS();
}
