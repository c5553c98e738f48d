// Moving through a form with Down, Return and Up, and selecting a tree
// row, on real widgets in a real X server with real key events.
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
    gpointer pTable = const_cast<wgtLUT*>(m_lstFormLUT);
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
    // Connected as the pages connect them.
    g_signal_connect(m_pwgtNotes, "keynav-failed", G_CALLBACK(mscKeyNavLUT), pTable);
    for (GtkWidget* pwgt : {m_pwgtFirst, m_pwgtSecond, m_pwgtCombo, m_pwgtThird, m_pwgtFrame,
                            m_pwgtNotes, m_pwgtLast, m_pwgtOutside}) {
        gtk_box_pack_start(GTK_BOX(pwgtBox), pwgt, FALSE, FALSE, 0);
        if (pwgt != m_pwgtNotes)
            g_signal_connect(pwgt == m_pwgtFrame ? m_pwgtFramed : pwgt, "key-press-event",
                             G_CALLBACK(mscKeyPressLUT), pTable);
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

TEST(TreeRowSelect, ExpandsACollapsedBranchAndShowsTheRowAtTheBottom) {
    GtkTreeStore* psto = gtk_tree_store_new(1, G_TYPE_STRING);
    GtkTreeIter iterGroup, iter;
    for (int n = 0; n < 120; ++n) { // three groups of 40 cards
        if (n % 40 == 0)
            gtk_tree_store_insert_with_values(psto, &iterGroup, nullptr, -1, 0, "group", -1);
        gtk_tree_store_insert_with_values(psto, &iter, &iterGroup, -1, 0, "card", -1);
    }
    GtkWidget* pwgtWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(pwgtWindow), 200, 150);
    GtkWidget* pwgtScroll = gtk_scrolled_window_new(nullptr, nullptr);
    GtkTreeView* ptv = GTK_TREE_VIEW(gtk_tree_view_new_with_model(GTK_TREE_MODEL(psto)));
    gtk_tree_view_insert_column_with_attributes(ptv, -1, "Card", gtk_cell_renderer_text_new(),
                                                "text", 0, nullptr);
    gtk_container_add(GTK_CONTAINER(pwgtScroll), GTK_WIDGET(ptv));
    gtk_container_add(GTK_CONTAINER(pwgtWindow), pwgtScroll);
    gtk_widget_show_all(pwgtWindow);
    avt::drainEvents();

    GtkTreePath* path = gtk_tree_path_new_from_indices(1, 30, -1);
    gtk_tree_model_get_iter(GTK_TREE_MODEL(psto), &iter, path);
    EXPECT_FALSE(mscTreeRowSelect(ptv, nullptr));
    ASSERT_TRUE(mscTreeRowSelect(ptv, &iter));
    avt::drainEvents();
    EXPECT_TRUE(gtk_tree_selection_iter_is_selected(gtk_tree_view_get_selection(ptv), &iter));
    GdkRectangle rectVisible, rectRow;
    gtk_tree_view_get_visible_rect(ptv, &rectVisible);
    gtk_tree_view_get_background_area(ptv, path, nullptr, &rectRow);
    EXPECT_GT(rectVisible.y, 0) << "the view did not scroll";
    EXPECT_NEAR(rectRow.y + rectRow.height, rectVisible.height, 2) << "not at the bottom edge";
    gtk_tree_path_up(path);
    EXPECT_TRUE(gtk_tree_view_row_expanded(ptv, path));
    gtk_tree_path_free(path);
    gtk_widget_destroy(pwgtWindow);
    g_object_unref(psto);
}

} // namespace
