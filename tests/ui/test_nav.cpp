// Moving through a form with Down, Return and Up, and the tree row
// helpers, on real widgets in a real X server with real key events.
#include "avMisc.h"
#include "harness.h"

#include <gdk/gdkkeysyms.h>

#include <string>
#include <vector>

namespace {

// Fields of the test form; the table refers to these variables.
GtkWidget* m_pwgtFirst;
GtkWidget* m_pwgtSecond;
GtkWidget* m_pwgtCombo;
GtkWidget* m_pwgtThird;
GtkWidget* m_pwgtFramed; // inside m_pwgtFrame
GtkWidget* m_pwgtNotes;  // multi-line text view
GtkWidget* m_pwgtLast;
GtkWidget* m_pwgtOutside; // below the form, not in the table
GtkWidget* m_pwgtFrame;

struct LeaveCall {
    GtkWidget* pwgt;
    GtkDirectionType nDir;
};
std::vector<LeaveCall> m_lstLeaveCalls;

gboolean recordLeave(GtkWidget* pwgt, GtkDirectionType nDir) {
    m_lstLeaveCalls.push_back({pwgt, nDir});
    return TRUE;
}

const wgtLUT m_lstFormLUT[] = {
    {&m_pwgtFirst, recordLeave}, {&m_pwgtSecond, nullptr}, {&m_pwgtCombo, nullptr},
    {&m_pwgtThird, nullptr},     {&m_pwgtFramed, nullptr}, {&m_pwgtNotes, nullptr},
    {&m_pwgtLast, nullptr},      {nullptr, nullptr},
};

void countActivate(GtkEntry*, gpointer pnCount) {
    ++*static_cast<int*>(pnCount);
}

class FormNav : public testing::Test {
  protected:
    void SetUp() override {
        m_lstLeaveCalls.clear();
        m_pwgtWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWidget* pwgtBox = gtk_vbox_new(FALSE, 2);
        gtk_container_add(GTK_CONTAINER(m_pwgtWindow), pwgtBox);

        m_pwgtFirst = gtk_entry_new();
        m_pwgtSecond = gtk_entry_new();
        m_pwgtCombo = gtk_combo_box_new_text();
        gtk_combo_box_append_text(GTK_COMBO_BOX(m_pwgtCombo), "Piston");
        gtk_combo_box_append_text(GTK_COMBO_BOX(m_pwgtCombo), "Turbine");
        gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtCombo), 0);
        m_pwgtThird = gtk_entry_new();
        m_pwgtFrame = gtk_frame_new("Frame");
        m_pwgtFramed = gtk_entry_new();
        gtk_container_add(GTK_CONTAINER(m_pwgtFrame), m_pwgtFramed);
        m_pwgtNotes = gtk_text_view_new();
        gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_pwgtNotes)),
                                 "line one\nline two\nline three", -1);
        m_pwgtLast = gtk_entry_new();
        m_pwgtOutside = gtk_entry_new();

        for (GtkWidget* pwgt : {m_pwgtFirst, m_pwgtSecond, m_pwgtCombo, m_pwgtThird, m_pwgtFrame,
                                m_pwgtNotes, m_pwgtLast, m_pwgtOutside})
            gtk_box_pack_start(GTK_BOX(pwgtBox), pwgt, FALSE, FALSE, 0);

        // Connected as the pages connect them.
        gpointer pTable = const_cast<wgtLUT*>(m_lstFormLUT);
        for (GtkWidget* pwgt : {m_pwgtFirst, m_pwgtSecond, m_pwgtCombo, m_pwgtThird, m_pwgtFramed,
                                m_pwgtLast, m_pwgtOutside})
            g_signal_connect(pwgt, "key-press-event", G_CALLBACK(mscKeyPressLUT), pTable);
        g_signal_connect(m_pwgtNotes, "keynav-failed", G_CALLBACK(mscKeyNavLUT), pTable);
        for (GtkWidget* pwgt : {m_pwgtSecond, m_pwgtLast, m_pwgtOutside})
            g_signal_connect(pwgt, "activate", G_CALLBACK(countActivate), &m_nActivated);

        gtk_widget_show_all(m_pwgtWindow);
        gtk_window_present(GTK_WINDOW(m_pwgtWindow));
        avt::drainEvents();
    }

    void TearDown() override {
        gtk_widget_destroy(m_pwgtWindow);
        avt::drainEvents();
    }

    // Focuses pwgtFrom, presses the key for real and returns the field
    // that has the focus afterwards (a combo box for its inner button).
    GtkWidget* press(GtkWidget* pwgtFrom, guint nKey) {
        gtk_widget_grab_focus(pwgtFrom);
        avt::drainEvents();
        EXPECT_TRUE(hasFocus(pwgtFrom));
        sendKey(nKey);
        return focused();
    }

    // To the widget that really holds the focus, as a key press goes.
    void sendKey(guint nKey) {
        GtkWidget* pwgt = gtk_window_get_focus(GTK_WINDOW(m_pwgtWindow));
        ASSERT_NE(pwgt, nullptr);
        EXPECT_TRUE(gtk_test_widget_send_key(pwgt, nKey, GdkModifierType(0)));
        avt::drainEvents();
    }

    GtkWidget* focused() const {
        GtkWidget* pwgt = gtk_window_get_focus(GTK_WINDOW(m_pwgtWindow));
        if (pwgt && gtk_widget_is_ancestor(pwgt, m_pwgtCombo))
            return m_pwgtCombo;
        return pwgt;
    }

    bool hasFocus(GtkWidget* pwgt) const { return focused() == pwgt; }

    static const char* nameOf(GtkWidget* pwgt) {
        const std::pair<GtkWidget*, const char*> lst[] = {
            {m_pwgtFirst, "first"}, {m_pwgtSecond, "second"},  {m_pwgtCombo, "combo"},
            {m_pwgtThird, "third"}, {m_pwgtFramed, "framed"},  {m_pwgtNotes, "notes"},
            {m_pwgtLast, "last"},   {m_pwgtOutside, "outside"}};
        for (auto [p, psz] : lst)
            if (p == pwgt)
                return psz;
        return pwgt ? "other" : "none";
    }

    int notesCursorLine() const {
        GtkTextBuffer* pbuf = gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_pwgtNotes));
        GtkTextIter iter;
        gtk_text_buffer_get_iter_at_mark(pbuf, &iter, gtk_text_buffer_get_insert(pbuf));
        return gtk_text_iter_get_line(&iter);
    }

    void placeNotesCursor(int nLine) {
        GtkTextBuffer* pbuf = gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_pwgtNotes));
        GtkTextIter iter;
        gtk_text_buffer_get_iter_at_line(pbuf, &iter, nLine);
        gtk_text_buffer_place_cursor(pbuf, &iter);
    }

    GtkWidget* m_pwgtWindow = nullptr;
    int m_nActivated = 0;
};

TEST_F(FormNav, DownReturnAndUpSkipFieldsTheUserCannotReach) {
    enum Setup { ALL, SECOND_INSENSITIVE, THIRD_HIDDEN, FRAME_INSENSITIVE, FRAME_HIDDEN };
    struct Case {
        Setup nSetup;
        GtkWidget** ppwgtFrom;
        guint nKey;
        GtkWidget** ppwgtTo;
    };
    const Case lst[] = {
        {ALL, &m_pwgtFirst, GDK_Down, &m_pwgtSecond},
        {ALL, &m_pwgtFirst, GDK_Return, &m_pwgtSecond},
        {ALL, &m_pwgtSecond, GDK_Return, &m_pwgtCombo},
        {ALL, &m_pwgtCombo, GDK_Down, &m_pwgtThird},
        {ALL, &m_pwgtThird, GDK_Up, &m_pwgtCombo},
        {ALL, &m_pwgtCombo, GDK_Up, &m_pwgtSecond},
        {ALL, &m_pwgtSecond, GDK_Up, &m_pwgtFirst},
        {ALL, &m_pwgtThird, GDK_Down, &m_pwgtFramed},
        {ALL, &m_pwgtFramed, GDK_Return, &m_pwgtNotes},
        {ALL, &m_pwgtLast, GDK_Up, &m_pwgtNotes},
        {SECOND_INSENSITIVE, &m_pwgtFirst, GDK_Down, &m_pwgtCombo},
        {SECOND_INSENSITIVE, &m_pwgtCombo, GDK_Up, &m_pwgtFirst},
        {THIRD_HIDDEN, &m_pwgtCombo, GDK_Return, &m_pwgtFramed},
        {THIRD_HIDDEN, &m_pwgtFramed, GDK_Up, &m_pwgtCombo},
        // The field itself is sensitive; its frame is not.
        {FRAME_INSENSITIVE, &m_pwgtThird, GDK_Down, &m_pwgtNotes},
        {FRAME_INSENSITIVE, &m_pwgtLast, GDK_Up, &m_pwgtNotes},
        {FRAME_HIDDEN, &m_pwgtThird, GDK_Down, &m_pwgtNotes},
        // Other keys stay with the field; the keypad's Enter is not Return.
        {ALL, &m_pwgtSecond, GDK_KP_Enter, &m_pwgtSecond},
        {ALL, &m_pwgtSecond, GDK_Right, &m_pwgtSecond},
    };
    for (const auto& c : lst) {
        gtk_widget_set_sensitive(m_pwgtSecond, c.nSetup != SECOND_INSENSITIVE);
        gtk_widget_set_visible(m_pwgtThird, c.nSetup != THIRD_HIDDEN);
        gtk_widget_set_sensitive(m_pwgtFrame, c.nSetup != FRAME_INSENSITIVE);
        gtk_widget_set_visible(m_pwgtFrame, c.nSetup != FRAME_HIDDEN);
        placeNotesCursor(c.nKey == GDK_Up ? 2 : 0);
        avt::drainEvents();
        GtkWidget* pwgtTo = press(*c.ppwgtFrom, c.nKey);
        EXPECT_EQ(pwgtTo, *c.ppwgtTo)
            << "setup " << c.nSetup << ": key " << std::hex << c.nKey << " from "
            << nameOf(*c.ppwgtFrom) << " went to " << nameOf(pwgtTo);
    }
}

TEST_F(FormNav, EndsOfTheTableLeaveTheKeyToGtk) {
    GdkEvent* pevt = gdk_event_new(GDK_KEY_PRESS);
    pevt->key.window = GDK_WINDOW(g_object_ref(m_pwgtWindow->window));
    pevt->key.keyval = GDK_Down;
    EXPECT_FALSE(mscKeyPressLUT(m_pwgtLast, &pevt->key, m_lstFormLUT));
    pevt->key.keyval = GDK_Return;
    EXPECT_FALSE(mscKeyPressLUT(m_pwgtLast, &pevt->key, m_lstFormLUT));
    pevt->key.keyval = GDK_Up;
    EXPECT_FALSE(mscKeyPressLUT(m_pwgtFirst, &pevt->key, m_lstFormLUT));
    EXPECT_TRUE(mscKeyPressLUT(m_pwgtSecond, &pevt->key, m_lstFormLUT));
    gdk_event_free(pevt);

    // With real keys GTK then does its own thing: Down moves to the field
    // below the form, Return activates the last field.
    EXPECT_EQ(press(m_pwgtLast, GDK_Down), m_pwgtOutside);
    m_nActivated = 0;
    EXPECT_EQ(press(m_pwgtLast, GDK_Return), m_pwgtLast);
    EXPECT_EQ(m_nActivated, 1);
}

TEST_F(FormNav, FieldOutsideTheTableSwallowsReturn) {
    m_nActivated = 0;
    EXPECT_EQ(press(m_pwgtOutside, GDK_Return), m_pwgtOutside);
    EXPECT_EQ(press(m_pwgtOutside, GDK_Down), m_pwgtOutside);
    EXPECT_EQ(press(m_pwgtOutside, GDK_Up), m_pwgtOutside);
    EXPECT_EQ(m_nActivated, 0) << "Return reached the entry";
    EXPECT_TRUE(m_lstLeaveCalls.empty());
}

TEST_F(FormNav, LeaveFunctionGetsFieldAndDirection) {
    press(m_pwgtFirst, GDK_Down);
    press(m_pwgtFirst, GDK_Up); // nothing before it, the call is still made
    press(m_pwgtSecond, GDK_Up);
    ASSERT_EQ(m_lstLeaveCalls.size(), 2u);
    EXPECT_EQ(m_lstLeaveCalls[0].pwgt, m_pwgtFirst);
    EXPECT_EQ(m_lstLeaveCalls[0].nDir, GTK_DIR_DOWN);
    EXPECT_EQ(m_lstLeaveCalls[1].pwgt, m_pwgtFirst);
    EXPECT_EQ(m_lstLeaveCalls[1].nDir, GTK_DIR_UP);
}

TEST_F(FormNav, NotesMoveOnOnlyFromTheirLastOrFirstLine) {
    gtk_widget_grab_focus(m_pwgtNotes);
    placeNotesCursor(0);
    avt::drainEvents();
    struct Step {
        guint nKey;
        GtkWidget** ppwgtFocus;
        int nLine;
    };
    const Step lst[] = {
        {GDK_Down, &m_pwgtNotes, 1},
        {GDK_Down, &m_pwgtNotes, 2},
        // The text view itself first takes the cursor to the end of the
        // last line; only then does it give up and the form moves on.
        {GDK_Down, &m_pwgtNotes, 2},
        {GDK_Down, &m_pwgtLast, 2},
    };
    for (const auto& s : lst) {
        sendKey(s.nKey);
        EXPECT_EQ(focused(), *s.ppwgtFocus) << nameOf(focused());
        EXPECT_EQ(notesCursorLine(), s.nLine);
    }

    gtk_widget_grab_focus(m_pwgtNotes);
    placeNotesCursor(1);
    avt::drainEvents();
    const Step lstUp[] = {
        {GDK_Up, &m_pwgtNotes, 0},
        {GDK_Up, &m_pwgtFramed, 0},
    };
    for (const auto& s : lstUp) {
        sendKey(s.nKey);
        EXPECT_EQ(focused(), *s.ppwgtFocus) << nameOf(focused());
        EXPECT_EQ(notesCursorLine(), s.nLine);
    }
    // Left and right never leave the text.
    EXPECT_FALSE(mscKeyNavLUT(m_pwgtNotes, GTK_DIR_LEFT, m_lstFormLUT));
    EXPECT_FALSE(mscKeyNavLUT(m_pwgtNotes, GTK_DIR_TAB_FORWARD, m_lstFormLUT));
}

TEST(TreeRowSelect, ExpandsACollapsedBranchAndShowsTheRowAtTheBottom) {
    GtkTreeStore* psto = gtk_tree_store_new(1, G_TYPE_STRING);
    GtkTreeIter iterGroup[3], iterTarget, iter;
    for (int g = 0; g < 3; ++g) {
        gtk_tree_store_append(psto, &iterGroup[g], nullptr);
        gtk_tree_store_set(psto, &iterGroup[g], 0, "group", -1);
        for (int c = 0; c < 40; ++c) {
            gtk_tree_store_append(psto, &iter, &iterGroup[g]);
            std::string str = "card " + std::to_string(g) + "." + std::to_string(c);
            gtk_tree_store_set(psto, &iter, 0, str.c_str(), -1);
            if (g == 1 && c == 30)
                iterTarget = iter;
        }
    }
    GtkWidget* pwgtWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(pwgtWindow), 200, 150);
    GtkWidget* pwgtScroll = gtk_scrolled_window_new(nullptr, nullptr);
    GtkWidget* pwgtTree = gtk_tree_view_new_with_model(GTK_TREE_MODEL(psto));
    gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(pwgtTree), -1, "Card",
                                                gtk_cell_renderer_text_new(), "text", 0, nullptr);
    gtk_container_add(GTK_CONTAINER(pwgtScroll), pwgtTree);
    gtk_container_add(GTK_CONTAINER(pwgtWindow), pwgtScroll);
    gtk_widget_show_all(pwgtWindow);
    avt::drainEvents();
    GtkTreeView* ptv = GTK_TREE_VIEW(pwgtTree);

    EXPECT_FALSE(mscTreeRowSelect(ptv, nullptr));
    EXPECT_EQ(gtk_tree_selection_count_selected_rows(gtk_tree_view_get_selection(ptv)), 0);

    ASSERT_TRUE(mscTreeRowSelect(ptv, &iterTarget));
    avt::drainEvents();

    GtkTreePath* pathTarget = gtk_tree_model_get_path(GTK_TREE_MODEL(psto), &iterTarget);
    GtkTreePath* pathGroup = gtk_tree_path_copy(pathTarget);
    gtk_tree_path_up(pathGroup);
    EXPECT_TRUE(gtk_tree_view_row_expanded(ptv, pathGroup));
    GtkTreePath* pathOther = gtk_tree_path_new_from_indices(2, -1);
    EXPECT_FALSE(gtk_tree_view_row_expanded(ptv, pathOther)) << "only the row's branch opens";
    EXPECT_TRUE(gtk_tree_selection_iter_is_selected(gtk_tree_view_get_selection(ptv), &iterTarget));

    // Shown, at the bottom edge of the view.
    GdkRectangle rectVisible, rectRow;
    gtk_tree_view_get_visible_rect(ptv, &rectVisible);
    gtk_tree_view_get_background_area(ptv, pathTarget, nullptr, &rectRow);
    EXPECT_GT(rectVisible.y, 0) << "the view did not scroll";
    EXPECT_GE(rectRow.y, 0);
    EXPECT_NEAR(rectRow.y + rectRow.height, rectVisible.height, 2);

    gtk_tree_path_free(pathTarget);
    gtk_tree_path_free(pathGroup);
    gtk_tree_path_free(pathOther);
    gtk_widget_destroy(pwgtWindow);
    g_object_unref(psto);
    avt::drainEvents();
}

} // namespace
