// The context-help window in the running program. Clicks go through the X
// server to whatever window lies under the pointer, as a user's would.
#include "avHelp.h"

#include "harness.h"
#include "../logic/test_txtview_support.h"

#include <gdk/gdkkeysyms.h>

namespace {

const char* const m_lstHelpTexts[] = {"~BMain rotor~b: check the ~CRblade bolts~c before flight.",
                                      "Tail rotor: ~Iinspect~i the slider."};

using Point = std::pair<gint, gint>; // x, y on the screen

// Screen position of a point in a widget's own window.
Point screenPoint(GtkWidget* pwgt, gint x, gint y) {
    Point pt{};
    gdk_window_get_origin(pwgt->window, &pt.first, &pt.second);
    return {pt.first + x, pt.second + y};
}

// Moves the pointer there: the window the X server finds under it, and the
// point inside that window.
GdkWindow* windowAt(Point pt, gint* px, gint* py) {
    gdk_display_warp_pointer(gdk_display_get_default(), gdk_screen_get_default(), pt.first,
                             pt.second);
    avt::settle();
    return gdk_window_at_pointer(px, py);
}

void click(GtkWidget* pwgt, guint nButton) {
    gint x = 0, y = 0;
    // A widget without a window of its own (a button) lies inside its parent's.
    const GtkAllocation& a = pwgt->allocation;
    const bool bOwn = gtk_widget_get_has_window(pwgt);
    GdkWindow* pwin = windowAt(
        screenPoint(pwgt, (bOwn ? 0 : a.x) + a.width / 2, (bOwn ? 0 : a.y) + a.height / 2), &x, &y);
    ASSERT_NE(pwin, nullptr);
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE})
        gdk_test_simulate_button(pwin, x, y, nButton, GdkModifierType(0), type);
    avt::settle();
}

using HelpWindow = avt::AppTest;

TEST_F(HelpWindow, ShowsReplacesRaisesMovesAndCloses) {
    GtkWidget* lstHelp[2];
    for (int i = 0; i < 2; ++i) { // a "?" button and a field's context help on a page
        lstHelp[i] =
            GTK_WIDGET(g_object_new(i ? GTK_TYPE_EVENT_BOX : GTK_TYPE_BUTTON, "visible", TRUE,
                                    "width-request", 40, "height-request", 30, nullptr));
        gtk_box_pack_start(GTK_BOX(widget("PageComp")), lstHelp[i], FALSE, FALSE, 0);
        hlpConnect(lstHelp[i], m_lstHelpTexts[i]);
    }
    avt::settle();
    GtkWidget* pwgtHelp = widget("HelpContext");
    auto shown = [&] { return gtk_widget_get_visible(pwgtHelp); };
    gtk_widget_grab_focus(lstHelp[0]);
    avt::pressKey(lstHelp[0], GDK_space);
    EXPECT_TRUE(shown()) << "Space on a \"?\" button opens the help";
    gtk_widget_hide(pwgtHelp);
    GtkTextBuffer* pbfrHelp = gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget("HelpTextView")));
    auto origin = [&] { return screenPoint(pwgtHelp, 0, 0); };
    gint x = 0, y = 0;

    click(lstHelp[1], 1);
    EXPECT_FALSE(shown()) << "a left click on a field is the field's";
    click(lstHelp[0], 1);
    ASSERT_TRUE(shown()) << "a left click on a \"?\" button opens the help";
    EXPECT_EQ(txvt::visibleText(pbfrHelp), "Main rotor: check the blade bolts before flight.");

    gtk_window_move(GTK_WINDOW(pwgtHelp), 500, 420);
    avt::settle();
    const Point ptPlaced = origin();
    // Pushed below the main window, the X server finds the main window there.
    gdk_window_lower(pwgtHelp->window);
    const Point ptInside = screenPoint(widget("HelpContent"), 10, 10);
    ASSERT_NE(gdk_window_get_toplevel(windowAt(ptInside, &x, &y)), pwgtHelp->window);
    click(lstHelp[1], 3);
    EXPECT_EQ(txvt::visibleText(pbfrHelp), "Tail rotor: inspect the slider.");
    EXPECT_EQ(origin(), ptPlaced) << "shown where it is";
    EXPECT_EQ(gdk_window_get_toplevel(windowAt(ptInside, &x, &y)), pwgtHelp->window) << "raised";

    // The pointer passing over the header does not move the window; a drag
    // keeps the grabbed point of the header under the pointer.
    GtkWidget* pwgtMouse = widget("HelpMouse");
    const Point ptGrab = screenPoint(pwgtMouse, 30, 6);
    ASSERT_EQ(windowAt(ptGrab, &x, &y), pwgtMouse->window);
    EXPECT_EQ(origin(), ptPlaced);
    gdk_test_simulate_button(pwgtMouse->window, x, y, 1, GdkModifierType(0), GDK_BUTTON_PRESS);
    avt::settle();
    for (Point ptPointer : {Point{ptGrab.first + 7, ptGrab.second + 3},
                            Point{ptGrab.first - 120, ptGrab.second + 90}, Point{300, 250}}) {
        GdkEventMotion motion{};
        motion.type = GDK_MOTION_NOTIFY, motion.window = pwgtMouse->window;
        motion.state = GDK_BUTTON1_MASK;
        motion.x_root = ptPointer.first, motion.y_root = ptPointer.second;
        gtk_widget_event(pwgtMouse, reinterpret_cast<GdkEvent*>(&motion));
        avt::settle();
        EXPECT_EQ(screenPoint(pwgtMouse, 30, 6), ptPointer);
    }
    const Point ptMoved = origin();

    const std::tuple<const char*, guint, bool> lstClicks[] = {{"HelpMouse", 1, true},
                                                              {"HelpMouse", 2, true},
                                                              {"HelpTextView", 3, true},
                                                              {"HelpTextView", 1, false},
                                                              {"HelpMouse", 3, false}}; // hides it
    for (auto [pszWhere, nButton, bStaysOpen] : lstClicks) {
        SCOPED_TRACE(testing::Message() << pszWhere << " button " << nButton);
        if (!shown())
            click(lstHelp[1], 3);
        ASSERT_TRUE(shown());
        EXPECT_EQ(origin(), ptMoved) << "opens where it was left";
        click(widget(pszWhere), nButton);
        EXPECT_EQ(shown(), bStaysOpen);
    }
}

} // namespace
