// Moving through a form with Down, Return and Up on real widgets in a real
// X server with real key events. (Selecting a row in a collapsed branch is
// shown by the flight page's tests.)
#include "avMisc.h"
#include "harness.h"

#include <gdk/gdkkeysyms.h>

#include <iterator>
#include <tuple>

namespace {

GtkWidget *m_pwgtFirst, *m_pwgtSecond, *m_pwgtCombo, *m_pwgtThird, *m_pwgtFramed, *m_pwgtNotes,
    *m_pwgtLast, *m_pwgtOutside, *m_pwgtFrame; // m_pwgtFramed sits in m_pwgtFrame
const wgtLUT m_lstFormLUT[] = {
    {&m_pwgtFirst, nullptr}, {&m_pwgtSecond, nullptr}, {&m_pwgtCombo, nullptr},
    {&m_pwgtThird, nullptr}, {&m_pwgtFramed, nullptr}, {&m_pwgtNotes, nullptr},
    {&m_pwgtLast, nullptr},  {nullptr, nullptr},
};

TEST(FormNav, DownReturnAndUpMoveThroughTheFieldsTheUserCanReach) {
    int nActivated = 0;
    GtkWidget* pwgtWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* pwgtBox = gtk_vbox_new(FALSE, 2);
    gtk_container_add(GTK_CONTAINER(pwgtWindow), pwgtBox);
    for (GtkWidget** ppwgt :
         {&m_pwgtFirst, &m_pwgtSecond, &m_pwgtThird, &m_pwgtFramed, &m_pwgtLast, &m_pwgtOutside}) {
        *ppwgt = gtk_entry_new();
        g_signal_connect(*ppwgt, "activate", G_CALLBACK(+[](GtkEntry*, int* pn) { ++*pn; }),
                         &nActivated);
    }
    m_pwgtCombo = gtk_combo_box_new_text();
    gtk_combo_box_append_text(GTK_COMBO_BOX(m_pwgtCombo), "Piston");
    m_pwgtFrame = gtk_frame_new("Frame");
    gtk_container_add(GTK_CONTAINER(m_pwgtFrame), m_pwgtFramed);
    m_pwgtNotes = gtk_text_view_new();
    GtkTextBuffer* pbufNotes = gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_pwgtNotes));
    gtk_text_buffer_set_text(pbufNotes, "line one\nline two\nline three", -1);
    for (GtkWidget* pwgt : {m_pwgtFirst, m_pwgtSecond, m_pwgtCombo, m_pwgtThird, m_pwgtFrame,
                            m_pwgtNotes, m_pwgtLast, m_pwgtOutside}) {
        gtk_box_pack_start(GTK_BOX(pwgtBox), pwgt, FALSE, FALSE, 0);
        mscConnectField(pwgt == m_pwgtFrame ? m_pwgtFramed : pwgt, m_lstFormLUT, nullptr);
    }
    gtk_widget_show_all(pwgtWindow);
    gtk_window_present(GTK_WINDOW(pwgtWindow));
    avt::drainEvents();

    enum Setup { ALL, SECOND_INSENSITIVE, THIRD_HIDDEN, FRAME_INSENSITIVE, FRAME_HIDDEN };
    // Setup, field, key, where the focus must be, and for the notes the
    // cursor's character offset (-1: the end).
    const std::tuple<Setup, GtkWidget**, guint, GtkWidget**, int> lst[] = {
        {ALL, &m_pwgtFirst, GDK_Down, &m_pwgtSecond, 0},
        {ALL, &m_pwgtFirst, GDK_Return, &m_pwgtSecond, 0},
        {SECOND_INSENSITIVE, &m_pwgtFirst, GDK_Down, &m_pwgtCombo, 0},
        {SECOND_INSENSITIVE, &m_pwgtCombo, GDK_Up, &m_pwgtFirst, 0},
        {THIRD_HIDDEN, &m_pwgtCombo, GDK_Return, &m_pwgtFramed, 0},
        {FRAME_INSENSITIVE, &m_pwgtThird, GDK_Down, &m_pwgtNotes, 0}, // the field is sensitive
        {FRAME_HIDDEN, &m_pwgtThird, GDK_Down, &m_pwgtNotes, 0},
        {ALL, &m_pwgtSecond, GDK_KP_Enter, &m_pwgtSecond, 0}, // the keypad's Enter is not Return
        // A text view moves on only from its last or first line.
        {ALL, &m_pwgtNotes, GDK_Down, &m_pwgtNotes, 0},
        {ALL, &m_pwgtNotes, GDK_Down, &m_pwgtLast, -1},
        {FRAME_INSENSITIVE, &m_pwgtNotes, GDK_Up, &m_pwgtThird, 0},
        // Past the end of the table GTK moves on or activates by itself.
        {ALL, &m_pwgtLast, GDK_Down, &m_pwgtOutside, 0},
        {ALL, &m_pwgtLast, GDK_Return, &m_pwgtLast, 0},
        // A field not in the table swallows Return.
        {ALL, &m_pwgtOutside, GDK_Return, &m_pwgtOutside, 0},
    };
    for (std::size_t i = 0; i < std::size(lst); ++i) {
        auto [nSetup, ppwgtFrom, nKey, ppwgtTo, iCursor] = lst[i];
        gtk_widget_set_sensitive(m_pwgtSecond, nSetup != SECOND_INSENSITIVE);
        gtk_widget_set_visible(m_pwgtThird, nSetup != THIRD_HIDDEN);
        gtk_widget_set_sensitive(m_pwgtFrame, nSetup != FRAME_INSENSITIVE);
        gtk_widget_set_visible(m_pwgtFrame, nSetup != FRAME_HIDDEN);
        GtkTextIter iter;
        gtk_text_buffer_get_iter_at_offset(pbufNotes, &iter, iCursor);
        gtk_text_buffer_place_cursor(pbufNotes, &iter);
        gtk_widget_grab_focus(*ppwgtFrom);
        avt::drainEvents();
        GtkWidget* pwgt = gtk_window_get_focus(GTK_WINDOW(pwgtWindow)); // a combo's button
        EXPECT_TRUE(gtk_test_widget_send_key(pwgt, nKey, GdkModifierType(0))) << i;
        avt::drainEvents();
        pwgt = gtk_window_get_focus(GTK_WINDOW(pwgtWindow));
        EXPECT_TRUE(pwgt && (pwgt == *ppwgtTo || gtk_widget_is_ancestor(pwgt, *ppwgtTo))) << i;
    }
    EXPECT_EQ(nActivated, 2) << "only the keypad's Enter and Return in the last field activate";
    EXPECT_FALSE(mscKeyPressUp(m_lstFormLUT, m_pwgtFirst)) << "GTK's turn before the first field";
    gtk_widget_destroy(pwgtWindow);
}

} // namespace
