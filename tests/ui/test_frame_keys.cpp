// Keys typed right after start-up, with the remembered aircraft made active
// behind the first page: they must reach a widget on screen.
#include "harness.h"

#include <gdk/gdkkeysyms.h>

namespace {

class FrameKeys : public avt::AppTest {
  protected:
    void prepareData() override { avt::copyCatalogue(*m_dirs); }
};

TEST_F(FrameKeys, KeysAfterStartReachTheShownPage) {
    avt::exec(m_dirs->etcFile("avLedger.db"),
              "INSERT INTO Aircraft (iAircraftID, strReg, tManu) VALUES (1, 'ZK-HBC', 0)");
    avt::writeFile(m_dirs->etcFile("avLedger.conf"), "[Aircraft]\nACID=1\n");
    restartProgram();
    GtkWidget* pwinMain = widget("avLedger");
    // A key sent to a widget that was never shown is a critical (fatal
    // under test); Tab and the arrows must simply move the focus.
    for (guint nKey : {GDK_Tab, GDK_Down, GDK_Right})
        avt::pressKey(pwinMain, nKey);
    GtkWidget* pwgtFocus = gtk_window_get_focus(GTK_WINDOW(pwinMain));
    ASSERT_NE(pwgtFocus, nullptr);
    EXPECT_TRUE(gtk_widget_get_realized(pwgtFocus));
}

} // namespace
