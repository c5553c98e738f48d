// Keys typed right after start-up, with the remembered aircraft made active
// behind the first page: they must reach a widget on screen.
#include "harness.h"

#include <gdk/gdkkeysyms.h>

namespace {

class FrameKeys : public avt::AppTest {
  protected:
    // The remembered aircraft, made active at start.
    void prepareData() override {
        avt::copyCatalogue(*m_dirs);
        avt::exec(m_dirs->etcFile("avLedger.db"),
                  "CREATE TABLE Aircraft (iAircraftID INTEGER PRIMARY KEY, strReg, tManu);"
                  "INSERT INTO Aircraft VALUES (1, 'ZK-HBC', 0)");
        avt::writeFile(m_dirs->etcFile("avLedger.conf"), "[Aircraft]\nACID=1\n");
    }
};

TEST_F(FrameKeys, KeysAfterStartReachTheShownPageAndPageKeysNeverReachACard) {
    GtkWidget* pwinMain = widget("avLedger");
    // A key sent to a widget that was never shown is a critical (fatal
    // under test); Tab and the arrows must simply move the focus.
    for (guint nKey : {GDK_Tab, GDK_Down, GDK_Right})
        avt::pressKey(pwinMain, nKey);
    GtkWidget* pwgtFocus = gtk_window_get_focus(GTK_WINDOW(pwinMain));
    ASSERT_NE(pwgtFocus, nullptr);
    EXPECT_TRUE(gtk_widget_get_realized(pwgtFocus));

    // Page shown, widget with the focus, key, modifier, page expected.
    const struct {
        int nPage;
        const char* pszFocus;
        guint nKey;
        GdkModifierType nMods;
        int nPageWant;
    } cases[] = {
        {4, "PilotTreeView", GDK_Page_Up, GDK_CONTROL_MASK, 3},
        {3, "ACTreeView", GDK_Page_Down, GDK_CONTROL_MASK, 4},
        {3, "ACNotes", GDK_Page_Up, GDK_CONTROL_MASK, 2},
        {4, "PilotTreeView", GDK_Page_Down, GDK_CONTROL_MASK, 0}, // round to the first
        {2, "FLogTreeView", GDK_1, GDK_MOD1_MASK, 0},
        {3, "ACNotes", GDK_5, GDK_MOD1_MASK, 4},
        {4, "PilotTreeView", GDK_3, GDK_MOD1_MASK, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszFocus);
        switchPage(c.nPage);
        focus(c.pszFocus);
        ASSERT_TRUE(gtk_widget_has_focus(widget(c.pszFocus)));
        avt::pressKey(pwinMain, c.nKey, c.nMods);
        EXPECT_EQ(gtk_notebook_get_current_page(GTK_NOTEBOOK(widget("MainNotebook"))), c.nPageWant);
        // The keys that follow go to the tabs, not into a card.
        EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(pwinMain)), widget("MainNotebook"));
    }
}

} // namespace
