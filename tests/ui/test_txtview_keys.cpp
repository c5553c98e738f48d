// Control keys in a real text view: Control-B/I/U/L format the selection,
// Control-X removes the attribute starting at the cursor and is always
// consumed; the header form reads back what the user did.
#include "txtView.h"

#include "harness.h"
#include "../logic/test_txtview_support.h"

namespace {

TEST(AttributeKeys, ControlLettersSetAndRemoveAttributes) {
    GtkWidget* pwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* pwgtTV = gtk_text_view_new();
    txvparam param{};
    gtk_container_add(GTK_CONTAINER(pwin), pwgtTV);
    txvInitialize(GTK_TEXT_VIEW(pwgtTV), &param);
    g_signal_connect(pwgtTV, "key-press-event", G_CALLBACK(txvOnKeyPress), &param);
    gtk_widget_show_all(pwin);
    // Control and the letter (Shift too if upper case) with the characters
    // from iStart to the cursor at iEnd selected.
    auto key = [&](gchar c, gint iStart, gint iEnd) {
        GtkTextIter itStart, itEnd;
        gtk_text_buffer_get_iter_at_offset(param.pbfrTV, &itStart, iStart);
        gtk_text_buffer_get_iter_at_offset(param.pbfrTV, &itEnd, iEnd);
        gtk_text_buffer_select_range(param.pbfrTV, &itEnd, &itStart);
        const guint mods = GDK_CONTROL_MASK | (g_ascii_isupper(c) ? GDK_SHIFT_MASK : 0);
        ASSERT_TRUE(
            gtk_test_widget_send_key(pwgtTV, gdk_unicode_to_keyval(c), GdkModifierType(mods)));
        avt::drainEvents();
    };
    auto header = [&] {
        std::vector<gchar> bfr(8000);
        txvGetText(bfr.data(), guint(bfr.size()), &param);
        return std::string(bfr.data());
    };

    for (gchar c : {'b', 'B', 'i', 'I', 'u', 'U', 'l', 'L'}) {
        SCOPED_TRACE(c);
        txvSetText(&param, "Hello brave world");
        key(c, 6, 11);
        const gchar cAttr = g_ascii_tolower(c);
        EXPECT_EQ(txvt::allRuns(param.pbfrTV), std::string(1, cAttr) + "=6:brave");
        EXPECT_EQ(header(), std::string("~00600b") + cAttr + "~Hello brave world");
    }
    key('b', 2, 2);
    EXPECT_EQ(header(), "~00600bl~Hello brave world") << "no selection, nothing to format";

    // Control-X removes the attribute that starts at the cursor.
    txvSetText(&param, "~000005b006fffi000003u~Hello world");
    key('x', 6, 6);
    EXPECT_EQ(header(), "~000005b000003u~Hello world");
    EXPECT_EQ(txvt::allRuns(param.pbfrTV), "b=0:Hello u=0:Hel");
    key('x', 0, 0); // the two that start at 0 go one by one
    key('X', 0, 0);
    key('x', 5, 0); // no attribute at the cursor: still consumed, nothing is cut
    EXPECT_EQ(header(), "Hello world");

    // A position past three hex digits is left out rather than stored
    // elsewhere; a long text survives the rebuild whole.
    std::string strLong(6000, 'y');
    for (std::size_t i = 9; i < strLong.size(); i += 10)
        strLong[i] = '\n';
    txvSetText(&param, ("~000004b~" + strLong).c_str());
    key('u', 4500, 4600);
    EXPECT_EQ(header().substr(0, 10), "~000004b~y");
    key('x', 0, 0);
    EXPECT_EQ(header(), strLong);
    gtk_widget_destroy(pwin);
}

} // namespace
