// The context-help window in the running program: right click on a help
// widget shows its text, the header drags the window without a jump, a
// click closes it, and it reopens where it was left. Clicks go through the
// X server to whatever window lies under the pointer, as a user's would.
#include "avHelp.h"

#include "harness.h"
#include "../logic/test_txtview_support.h"

namespace {

using avt::AppTest;
using avt::drainEvents;

const char m_szHelpRotor[] = "~BMain rotor~b: check the ~CRblade bolts~c before flight.";
const char m_szHelpTail[] = "Tail rotor: ~Iinspect~i the slider.";

// The help text is laid out in idle time and the window then resized
// through a round trip to the X server; wait for both.
void settle() {
    for (int i = 0; i < 3; ++i) {
        drainEvents();
        gdk_display_sync(gdk_display_get_default());
    }
    drainEvents();
}

struct Point {
    gint x, y;
};

Point originOf(GdkWindow* pwin) {
    Point pt{};
    gdk_window_get_origin(pwin, &pt.x, &pt.y);
    return pt;
}

// Screen position of a point given in a widget's allocation.
Point screenPoint(GtkWidget* pwgt, gint x, gint y) {
    Point pt = originOf(pwgt->window);
    if (!gtk_widget_get_has_window(pwgt)) {
        pt.x += pwgt->allocation.x;
        pt.y += pwgt->allocation.y;
    }
    return {pt.x + x, pt.y + y};
}

// The GDK window the X server finds under a screen point.
GdkWindow* windowAt(Point pt, gint* px, gint* py) {
    gdk_display_warp_pointer(gdk_display_get_default(), gdk_screen_get_default(), pt.x, pt.y);
    gdk_display_sync(gdk_display_get_default());
    drainEvents();
    GdkWindow* pwin = gdk_window_at_pointer(nullptr, nullptr);
    // The position inside it, from the window's real origin on the screen.
    if (pwin) {
        const Point ptOrigin = originOf(pwin);
        *px = pt.x - ptOrigin.x;
        *py = pt.y - ptOrigin.y;
    }
    return pwin;
}

GtkWidget* widgetOf(GdkWindow* pwin) {
    gpointer pData = nullptr;
    if (pwin)
        gdk_window_get_user_data(pwin, &pData);
    return pData ? GTK_WIDGET(pData) : nullptr;
}

void clickAt(Point pt, guint nButton) {
    gint x = 0, y = 0;
    GdkWindow* pwin = windowAt(pt, &x, &y);
    ASSERT_NE(pwin, nullptr) << "nothing under " << pt.x << "," << pt.y;
    gdk_test_simulate_button(pwin, x, y, nButton, GdkModifierType(0), GDK_BUTTON_PRESS);
    gdk_test_simulate_button(pwin, x, y, nButton, GdkModifierType(0), GDK_BUTTON_RELEASE);
    settle();
}

void clickMiddleOf(GtkWidget* pwgt, guint nButton) {
    clickAt(screenPoint(pwgt, pwgt->allocation.width / 2, pwgt->allocation.height / 2), nButton);
}

class HelpWindow : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        if (HasFatalFailure())
            return;
        m_pwgtRotor = addHelpWidget(m_szHelpRotor);
        m_pwgtTail = addHelpWidget(m_szHelpTail);
        drainEvents();
    }

    GtkWidget* addHelpWidget(const char* pszHelp) {
        GtkWidget* pwgtBox = gtk_event_box_new();
        gtk_container_add(GTK_CONTAINER(pwgtBox), gtk_label_new(" ? "));
        gtk_widget_set_size_request(pwgtBox, 40, 30);
        gtk_box_pack_start(GTK_BOX(widget("PageComp")), pwgtBox, FALSE, FALSE, 0);
        g_signal_connect(pwgtBox, "button-press-event", G_CALLBACK(hlpOnCHelpButtonPress),
                         const_cast<char*>(pszHelp));
        gtk_widget_show_all(pwgtBox);
        return pwgtBox;
    }

    bool helpShown() { return gtk_widget_get_visible(widget("HelpContext")); }
    std::string helpText() {
        return txvt::visibleText(gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget("HelpTextView"))));
    }
    Point helpOrigin() { return originOf(widget("HelpContext")->window); }

    GtkWidget* m_pwgtRotor = nullptr;
    GtkWidget* m_pwgtTail = nullptr;
};

TEST_F(HelpWindow, RightClickShowsTheWidgetsText) {
    EXPECT_FALSE(helpShown()) << "hidden at start";

    clickMiddleOf(m_pwgtRotor, 1);
    EXPECT_FALSE(helpShown()) << "a left click does nothing";

    clickMiddleOf(m_pwgtRotor, 3);
    ASSERT_TRUE(helpShown());
    EXPECT_EQ(helpText(), "Main rotor: check the blade bolts before flight.");
    GtkTextBuffer* pbfr = gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget("HelpTextView")));
    EXPECT_EQ(txvt::tagRuns(pbfr, "b"), "2:Main rotor");
    EXPECT_EQ(txvt::tagRuns(pbfr, "RED"), "29:blade bolts");

    // Pale yellow paper where there is no text.
    GdkWindow* pwinText =
        gtk_text_view_get_window(GTK_TEXT_VIEW(widget("HelpTextView")), GTK_TEXT_WINDOW_TEXT);
    gint nWidth = 0, nHeight = 0;
    gdk_drawable_get_size(pwinText, &nWidth, &nHeight);
    ASSERT_GT(nHeight, 3);
    GdkPixbuf* ppix = gdk_pixbuf_get_from_drawable(nullptr, pwinText, nullptr, nWidth - 3,
                                                   nHeight - 3, 0, 0, 1, 1);
    ASSERT_NE(ppix, nullptr);
    const guchar* p = gdk_pixbuf_get_pixels(ppix);
    EXPECT_EQ((int(p[0]) << 16) | (int(p[1]) << 8) | p[2], 0xF6FF95);
    g_object_unref(ppix);
}

TEST_F(HelpWindow, SecondHelpReplacesTheTextAndRaisesTheWindowWhereItIs) {
    clickMiddleOf(m_pwgtRotor, 3);
    ASSERT_TRUE(helpShown());
    GtkWindow* pwinHelp = GTK_WINDOW(widget("HelpContext"));
    gtk_window_move(pwinHelp, 500, 420);
    drainEvents();
    const Point ptBefore = helpOrigin();

    // Push the help window below the main window: the X server now finds
    // the main window at the help window's place.
    gdk_window_lower(GTK_WIDGET(pwinHelp)->window);
    GtkWidget* pwgtContent = widget("HelpContent");
    const Point ptInside = screenPoint(pwgtContent, 10, 10);
    gint x, y;
    ASSERT_NE(gtk_widget_get_toplevel(widgetOf(windowAt(ptInside, &x, &y))), GTK_WIDGET(pwinHelp));

    clickMiddleOf(m_pwgtTail, 3);
    EXPECT_EQ(helpText(), "Tail rotor: inspect the slider.");
    const Point ptAfter = helpOrigin();
    EXPECT_EQ(ptAfter.x, ptBefore.x);
    EXPECT_EQ(ptAfter.y, ptBefore.y);
    EXPECT_EQ(gtk_widget_get_toplevel(widgetOf(windowAt(ptInside, &x, &y))), GTK_WIDGET(pwinHelp))
        << "raised above the main window";
}

TEST_F(HelpWindow, DraggingTheHeaderKeepsTheGrabPointUnderThePointer) {
    clickMiddleOf(m_pwgtRotor, 3);
    ASSERT_TRUE(helpShown());
    GtkWidget* pwgtMouse = widget("HelpMouse");
    const GdkEventMask maskNeeded = GdkEventMask(GDK_BUTTON_PRESS_MASK | GDK_BUTTON1_MOTION_MASK);
    ASSERT_EQ(gtk_widget_get_events(pwgtMouse) & maskNeeded, maskNeeded);

    // The pointer comes over the header (real motion through the X server;
    // the header's tooltip wants motion events): no button, no move.
    const Point ptShown = helpOrigin();
    const Point ptGrab = screenPoint(pwgtMouse, 30, 6);
    gint x = 0, y = 0;
    GdkWindow* pwinUnder = windowAt(ptGrab, &x, &y);
    ASSERT_EQ(widgetOf(pwinUnder), pwgtMouse);
    EXPECT_EQ(helpOrigin().x, ptShown.x) << "hovering moved the window";
    EXPECT_EQ(helpOrigin().y, ptShown.y);

    // Grab the header 30 pixels in, 6 down, through the X server.
    gdk_test_simulate_button(pwinUnder, x, y, 1, GdkModifierType(0), GDK_BUTTON_PRESS);
    drainEvents();
    const Point ptStart = helpOrigin();

    // The pointer moves with the first button held; after every step the
    // grabbed point of the header is under it again.
    for (Point ptPointer : {Point{ptGrab.x + 7, ptGrab.y + 3}, Point{ptGrab.x - 120, ptGrab.y + 90},
                            Point{300, 250}}) {
        SCOPED_TRACE(testing::Message() << ptPointer.x << "," << ptPointer.y);
        GdkEvent* pevt = gdk_event_new(GDK_MOTION_NOTIFY);
        pevt->motion.window = GDK_WINDOW(g_object_ref(pwgtMouse->window));
        pevt->motion.send_event = TRUE;
        pevt->motion.time = GDK_CURRENT_TIME;
        pevt->motion.x_root = ptPointer.x;
        pevt->motion.y_root = ptPointer.y;
        const Point ptMouseNow = originOf(pwgtMouse->window);
        pevt->motion.x = ptPointer.x - ptMouseNow.x;
        pevt->motion.y = ptPointer.y - ptMouseNow.y;
        pevt->motion.state = GDK_BUTTON1_MASK;
        pevt->motion.device = gdk_display_get_core_pointer(gdk_display_get_default());
        gtk_main_do_event(pevt);
        gdk_event_free(pevt);
        gdk_display_sync(gdk_display_get_default());
        drainEvents();

        const Point ptGrabbedNow = screenPoint(pwgtMouse, 30, 6);
        EXPECT_EQ(ptGrabbedNow.x, ptPointer.x);
        EXPECT_EQ(ptGrabbedNow.y, ptPointer.y);
    }
    gdk_test_simulate_button(pwinUnder, x, y, 1, GdkModifierType(0), GDK_BUTTON_RELEASE);
    drainEvents();
    EXPECT_NE(helpOrigin().x, ptStart.x) << "the window moved";
    EXPECT_TRUE(helpShown()) << "a left press on the header does not close";
}

TEST_F(HelpWindow, ClicksCloseAndReopenWhereLeft) {
    clickMiddleOf(m_pwgtRotor, 3);
    ASSERT_TRUE(helpShown());
    gtk_window_move(GTK_WINDOW(widget("HelpContext")), 611, 377);
    drainEvents();
    const Point ptLeft = helpOrigin();

    struct Click {
        const char* pszWhere;
        guint nButton;
        bool bStaysOpen;
    };
    const Click clicks[] = {
        {"HelpTextView", 3, true}, // right click on the text: nothing
        {"HelpMouse", 2, true},    // middle click on the header: nothing
        {"HelpTextView", 1, false},
        {"HelpMouse", 3, false},
    };
    for (const auto& click : clicks) {
        SCOPED_TRACE(testing::Message() << click.pszWhere << " button " << click.nButton);
        if (!helpShown())
            clickMiddleOf(m_pwgtTail, 3);
        ASSERT_TRUE(helpShown());
        const Point ptOpen = helpOrigin();
        EXPECT_EQ(ptOpen.x, ptLeft.x) << "opens where it was left";
        EXPECT_EQ(ptOpen.y, ptLeft.y);
        clickMiddleOf(widget(click.pszWhere), click.nButton);
        EXPECT_EQ(helpShown(), click.bStaysOpen);
    }
    // Only ever hidden: the builder still holds the same window.
    EXPECT_TRUE(GTK_IS_WINDOW(widget("HelpContext")));
}

} // namespace

namespace {

// The whole text is readable: the window takes the text's height, a text
// may ask for a size, and a short text after a long one shrinks it again.
TEST_F(HelpWindow, WindowFitsTheText) {
    GtkWidget* pwgtTV = widget("HelpTextView");
    auto textBottom = [&] {
        GtkTextIter itEnd;
        gtk_text_buffer_get_end_iter(gtk_text_view_get_buffer(GTK_TEXT_VIEW(pwgtTV)), &itEnd);
        gint y = 0, nHeight = 0;
        gtk_text_view_get_line_yrange(GTK_TEXT_VIEW(pwgtTV), &itEnd, &y, &nHeight);
        return y + nHeight;
    };
    std::string strLong;
    for (int i = 1; i <= 12; ++i)
        strLong += "~BStep " + std::to_string(i) +
                   "~b: a line long enough to wrap in the help window at its width.\n";

    struct Message {
        std::string strText;
        gint nWidth;         // expected text view width
        gint nMinHeight;     // at least this tall
        gint nMaxHeight;     // at most this tall
        bool bWholeTextFits; // the last line is inside the view
    };
    const Message messages[] = {
        {strLong, 360, 300, 1000, true},
        {"Short.", 360, 10, 60, true},
        {"~W300~w~H200~hSized.", 300, 200, 200, true},
        {"Short again.", 360, 10, 60, true},
    };
    for (const auto& msg : messages) {
        SCOPED_TRACE(msg.strText.substr(0, 20));
        hlpMessage("", msg.strText.c_str());
        settle();
        ASSERT_TRUE(helpShown());
        EXPECT_EQ(pwgtTV->allocation.width, msg.nWidth);
        EXPECT_GE(pwgtTV->allocation.height, msg.nMinHeight);
        EXPECT_LE(pwgtTV->allocation.height, msg.nMaxHeight);
        if (msg.bWholeTextFits) {
            EXPECT_LE(textBottom(), pwgtTV->allocation.height);
        }
    }
}

} // namespace
