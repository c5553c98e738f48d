// Control-key editing of attributes in a real text view: Control-B/I/U/L
// format the selection, Control-X removes the attribute starting at the
// cursor and is always consumed, and the header form reads back what the
// user did.
#include "txtView.h"

#include "harness.h"
#include "../logic/test_txtview_support.h"

#include <gdk/gdkkeysyms.h>

namespace {

using avt::drainEvents;
using txvt::allText;
using txvt::tagRuns;

class KeyView {
  public:
    KeyView() {
        m_pwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        m_pwgtTV = gtk_text_view_new();
        gtk_container_add(GTK_CONTAINER(m_pwin), m_pwgtTV);
        txvInitialize(GTK_TEXT_VIEW(m_pwgtTV), &param);
        g_signal_connect(m_pwgtTV, "key-press-event", G_CALLBACK(txvOnKeyPress), &param);
        gtk_widget_show_all(m_pwin);
        gtk_widget_grab_focus(m_pwgtTV);
        drainEvents();
    }
    ~KeyView() {
        gtk_widget_destroy(m_pwin);
        drainEvents();
    }
    KeyView(const KeyView&) = delete;
    KeyView& operator=(const KeyView&) = delete;

    GtkTextBuffer* buffer() const { return param.pbfrTV; }
    void select(gint iStart, gint iEnd) {
        GtkTextIter itStart, itEnd;
        gtk_text_buffer_get_iter_at_offset(buffer(), &itStart, iStart);
        gtk_text_buffer_get_iter_at_offset(buffer(), &itEnd, iEnd);
        gtk_text_buffer_select_range(buffer(), &itEnd, &itStart);
    }
    void cursorTo(gint i) { select(i, i); }
    gint cursor() const {
        GtkTextIter it;
        gtk_text_buffer_get_iter_at_mark(buffer(), &it, gtk_text_buffer_get_insert(buffer()));
        return gtk_text_iter_get_offset(&it);
    }
    void key(guint nKeyval, GdkModifierType mods) {
        ASSERT_TRUE(gtk_test_widget_send_key(m_pwgtTV, nKeyval, mods));
        drainEvents();
    }
    std::string header() {
        gchar sz[5000];
        txvGetText(sz, sizeof sz, &param);
        return sz;
    }
    int attributeMarks() const {
        int n = 0;
        GtkTextIter it;
        gtk_text_buffer_get_start_iter(buffer(), &it);
        for (;;) {
            GSList* plst = gtk_text_iter_get_marks(&it);
            for (GSList* p = plst; p; p = p->next) {
                const char* pszName = gtk_text_mark_get_name(GTK_TEXT_MARK(p->data));
                n += pszName && pszName[0] == '~';
            }
            g_slist_free(plst);
            if (gtk_text_iter_is_end(&it))
                break;
            gtk_text_iter_forward_char(&it);
        }
        return n;
    }

    txvparam param{};

  private:
    GtkWidget* m_pwin;
    GtkWidget* m_pwgtTV;
};

const auto CTRL = GDK_CONTROL_MASK;
const auto CTRL_SHIFT = GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK);

TEST(AttributeKeys, ControlLetterFormatsTheSelection) {
    struct Case {
        guint nKeyval;
        GdkModifierType mods;
        const char* pszTag;
        const char* pszHeader;
    };
    const Case cases[] = {
        {GDK_KEY_b, CTRL, "b", "~00600bb~Hello brave world"},
        {GDK_KEY_B, CTRL_SHIFT, "b", "~00600bb~Hello brave world"},
        {GDK_KEY_i, CTRL, "i", "~00600bi~Hello brave world"},
        {GDK_KEY_I, CTRL_SHIFT, "i", "~00600bi~Hello brave world"},
        {GDK_KEY_u, CTRL, "u", "~00600bu~Hello brave world"},
        {GDK_KEY_U, CTRL_SHIFT, "u", "~00600bu~Hello brave world"},
        {GDK_KEY_l, CTRL, "l", "~00600bl~Hello brave world"},
        {GDK_KEY_L, CTRL_SHIFT, "l", "~00600bl~Hello brave world"},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(gdk_keyval_name(tc.nKeyval));
        KeyView view;
        gtk_text_buffer_set_text(view.buffer(), "Hello brave world", -1);
        view.select(6, 11);
        view.key(tc.nKeyval, tc.mods);
        EXPECT_EQ(allText(view.buffer()), "Hello brave world") << "the text is untouched";
        EXPECT_EQ(tagRuns(view.buffer(), tc.pszTag), "6:brave");
        EXPECT_EQ(view.param.iMark, 1u);
        EXPECT_EQ(view.header(), tc.pszHeader);
    }
}

TEST(AttributeKeys, WithoutSelectionOrControlNothingIsFormatted) {
    KeyView view;
    gtk_text_buffer_set_text(view.buffer(), "Hello", -1);
    view.cursorTo(2);
    view.key(GDK_KEY_b, CTRL);
    EXPECT_EQ(tagRuns(view.buffer(), "b"), "");
    EXPECT_EQ(view.param.iMark, 0u);

    view.select(0, 5);
    view.key(GDK_KEY_b, GdkModifierType(0)); // typed over the selection
    EXPECT_EQ(allText(view.buffer()), "b");
    EXPECT_EQ(view.header(), "b");
}

TEST(AttributeKeys, TwoAttributesAndTypingAtTheirEdges) {
    KeyView view;
    gtk_text_buffer_set_text(view.buffer(), "Hello brave world", -1);
    view.select(0, 5);
    view.key(GDK_KEY_b, CTRL);
    view.select(6, 17);
    view.key(GDK_KEY_i, CTRL);
    EXPECT_EQ(view.header(), "~000005b006fffi~Hello brave world");

    // Typed at the start of an attribute, text goes before it; typed at its
    // end, text joins it.
    view.cursorTo(0);
    view.key(GDK_KEY_z, GdkModifierType(0));
    view.cursorTo(6);
    view.key(GDK_KEY_y, GdkModifierType(0));
    EXPECT_EQ(allText(view.buffer()), "zHelloy brave world");
    EXPECT_EQ(view.header(), "~001007b008fffi~zHelloy brave world");
}

TEST(AttributeKeys, ControlXRemovesTheAttributeAtTheCursor) {
    KeyView view;
    txvSetText(&view.param, "~000005b006fffi000003u~Hello world");
    ASSERT_EQ(view.attributeMarks(), 6);

    view.cursorTo(6);
    view.key(GDK_KEY_x, CTRL);
    EXPECT_EQ(allText(view.buffer()), "Hello world") << "nothing is cut";
    EXPECT_EQ(tagRuns(view.buffer(), "i"), "");
    EXPECT_EQ(tagRuns(view.buffer(), "b"), "0:Hello");
    EXPECT_EQ(tagRuns(view.buffer(), "u"), "0:Hel");
    EXPECT_EQ(view.header(), "~000005b000003u~Hello world");
    EXPECT_EQ(view.attributeMarks(), 4) << "the rebuild leaves no stale marks";
    EXPECT_EQ(view.cursor(), 6);

    // Both attributes that start at 0 go, one per Control-X.
    view.cursorTo(0);
    view.key(GDK_KEY_X, CTRL_SHIFT);
    view.cursorTo(0);
    view.key(GDK_KEY_x, CTRL);
    EXPECT_EQ(tagRuns(view.buffer(), "b"), "");
    EXPECT_EQ(tagRuns(view.buffer(), "u"), "");
    EXPECT_EQ(view.attributeMarks(), 0);
    EXPECT_EQ(view.header(), "Hello world");

    // No attribute at the cursor: still consumed, so a selection is not cut.
    view.select(0, 5);
    view.key(GDK_KEY_x, CTRL);
    EXPECT_EQ(allText(view.buffer()), "Hello world");
}

// A long text survives the rebuild whole: no fixed buffer cuts it.
TEST(AttributeKeys, ControlXKeepsALongText) {
    KeyView view;
    std::string strLong;
    for (int i = 0; i < 900; ++i)
        strLong += "line " + std::to_string(i) + "\n";
    ASSERT_GT(strLong.size(), 5000u);
    txvSetText(&view.param, ("~000004b00700bu~" + strLong).c_str());
    view.cursorTo(0);
    view.key(GDK_KEY_x, CTRL);
    EXPECT_EQ(allText(view.buffer()), strLong);
    EXPECT_EQ(tagRuns(view.buffer(), "u"), "7:line");
}

} // namespace
