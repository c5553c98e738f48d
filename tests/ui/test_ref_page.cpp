// The drawing page with the real UI file and the shipped catalogue and
// pictures: shown per card, zoom and pan by wheel, keys and drag, pictures
// that cannot be shown, and the setup editor in edit mode.
#include "harness.h"
#include "avMisc.h"
#include "pagRef.h"

#include <gdk/gdkkeysyms.h>

namespace {

constexpr guint CARD_TEETER_BOLT = 423001; // rotor-hub.png
constexpr guint CARD_MAIN_SHAFT = 432001;  // main-shaft.png and rotor-hub.png
constexpr guint CARD_NO_DRAWING = 100001;
constexpr guint CARD_MISSING = 101001;
constexpr guint CARD_BROKEN = 101002;
constexpr guint CARD_TINY = 101003;

class RefPage : public avt::AppTest {
  protected:
    void prepareData() override {
        avt::copyCatalogue(*m_dirs);
        const auto built = avt::builtCatalogue().parent_path();
        for (const char* psz : {"rotor-hub.png", "main-shaft.png"})
            avt::fs::copy_file(built / psz, m_dirs->etcFile(psz));
        // A picture cut short, as by a copy that did not finish.
        const std::string strPng = avt::readFile(built / "rotor-hub.png");
        avt::writeFile(m_dirs->etcFile("broken.png"), strPng.substr(0, strPng.size() / 2));
        cairo_surface_t* psrf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        cairo_surface_write_to_png(psrf, m_dirs->etcFile("tiny.png").c_str());
        cairo_surface_destroy(psrf);
        avt::exec(m_dirs->etcFile("avCCD.db"),
                  "INSERT INTO Reference (iCompID, strDrawing, nRotate, bDelete) VALUES "
                  "(101001, 'missing.png', 0, 0), (101002, 'broken.png', 0, 0), "
                  "(101003, 'tiny.png', 0, 0)");
    }

    // Chooses a card as the component page does and looks at the drawing.
    void choose(guint iCompID) {
        refLoadRecords(iCompID);
        if (gtk_widget_get_visible(widget("RefPage")))
            switchPage(1);
        waitForComposition();
    }
    // The picture is composed at the first expose, which a newly shown page
    // gets from the X server a little later.
    void waitForComposition() {
        avt::drainEvents();
        for (int i = 0; i < 200 && (refViewState().iRefIDCur != refViewState().iRefIDReq ||
                                    refViewState().bImageDirty);
             ++i) {
            g_usleep(10000);
            avt::drainEvents();
        }
    }

    // On the drawing area: a wheel step (n: its direction), a press of
    // button n, or a drag with button 1 held.
    void send(GdkEventType nType, double x, double y, guint n = 0) {
        GdkEvent* pevt = gdk_event_new(nType);
        pevt->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget("RefDrawing"))));
        if (nType == GDK_SCROLL)
            pevt->scroll.x = x, pevt->scroll.y = y, pevt->scroll.direction = GdkScrollDirection(n);
        else if (nType == GDK_BUTTON_PRESS)
            pevt->button.x = x, pevt->button.y = y, pevt->button.button = n;
        else
            pevt->motion.x = x, pevt->motion.y = y, pevt->motion.state = GDK_BUTTON1_MASK;
        gtk_widget_event(widget("RefDrawing"), pevt);
        gdk_event_free(pevt);
    }
    // The picture pixel under a drawing pixel, as the page has laid it out.
    std::pair<double, double> pictureAt(double x, double y) {
        const objDrawing& obj = refViewState();
        return {x / obj.nWinScale + obj.xWinOffset - obj.xImageOffset,
                y / obj.nWinScale + obj.yWinOffset - obj.yImageOffset};
    }
    double zoomBar() { return gtk_range_get_value(GTK_RANGE(widget("RefZoom"))); }
    std::string tabMarkup() { return gtk_label_get_label(GTK_LABEL(widget("RefTabLabel"))); }
};

TEST_F(RefPage, ShownForCardsWithADrawingAndEachComesBack) {
    struct Step {
        guint iCompID;
        bool bShown;
        int nDrawings;
        const char* pszNote = nullptr; // why nothing is shown, on the page and in the log
    };
    // A -> no drawing -> A must show A again, not a blank area. Missing and
    // cut-short pictures leave it blank and say why; one pixel is a dot.
    const Step steps[] = {
        {CARD_TEETER_BOLT, true, 1},
        {CARD_NO_DRAWING, false, 0},
        {CARD_TEETER_BOLT, true, 1},
        {CARD_MAIN_SHAFT, true, 2},
        {CARD_MISSING, true, 1,
         "The drawing \"missing.png\" cannot be shown: the file is not in the data directory."},
        {CARD_BROKEN, true, 1,
         "The drawing \"broken.png\" cannot be shown: the file is not a readable PNG picture "
         "(damaged or cut short)."},
        {CARD_TINY, true, 1},
        {CARD_TEETER_BOLT, true, 1}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.iCompID);
        choose(s.iCompID);
        EXPECT_EQ(gtk_widget_get_visible(widget("RefPage")), s.bShown);
        EXPECT_EQ(bool(refViewState().bImageLoaded), s.bShown && !s.pszNote);
        GtkWidget* pwgtNote = widget("RefDrawingNote");
        EXPECT_EQ(gtk_widget_get_visible(pwgtNote) ? gtk_label_get_text(GTK_LABEL(pwgtNote)) : "",
                  std::string(s.pszNote ? s.pszNote : ""));
        if (s.pszNote) {
            EXPECT_TRUE(avt::contains(avt::readFile(m_dirs->etcFile("avLedger.log")), s.pszNote));
        }
        EXPECT_TRUE(avt::contains(tabMarkup(), s.bShown ? "blue" : "gray"));
        GtkComboBox* pwgtSel = GTK_COMBO_BOX(widget("RefDrawingSel"));
        EXPECT_EQ(gtk_tree_model_iter_n_children(gtk_combo_box_get_model(pwgtSel), nullptr),
                  s.nDrawings);
        EXPECT_EQ(bool(gtk_widget_get_sensitive(GTK_WIDGET(pwgtSel))), s.nDrawings > 1);
    }
    EXPECT_TRUE(gtk_widget_get_visible(widget("RefPage")));

    // The second drawing of a card is chosen in the selector.
    choose(CARD_MAIN_SHAFT);
    EXPECT_STREQ(refViewState().szDrawing, "main-shaft.png");
    gtk_combo_box_set_active(GTK_COMBO_BOX(widget("RefDrawingSel")), 1);
    waitForComposition();
    EXPECT_STREQ(refViewState().szDrawing, "rotor-hub.png");
    EXPECT_TRUE(refViewState().bImageLoaded);
    EXPECT_FALSE(gtk_widget_get_visible(widget("RefSetup"))) << "the editor only in edit mode";
}

TEST_F(RefPage, WheelZoomsAtThePointerDragPansAndKeysZoomAtTheCentre) {
    choose(CARD_TEETER_BOLT);
    ASSERT_TRUE(refViewState().bImageLoaded);
    ASSERT_GT(refViewState().nWinScale, 0);

    // Each wheel step keeps the picture point under the pointer.
    const double x = 250, y = 180;
    const auto [px0, py0] = pictureAt(x, y);
    for (int i = 0; i < 10; ++i) {
        send(GDK_SCROLL, x, y, GDK_SCROLL_UP);
        auto [px, py] = pictureAt(x, y);
        EXPECT_NEAR(px, px0, 2 / refViewState().nWinScale + 1) << "step " << i;
        EXPECT_NEAR(py, py0, 2 / refViewState().nWinScale + 1) << "step " << i;
    }
    EXPECT_NEAR(refViewState().nZoomReq, 0.7, 1e-9);
    EXPECT_NEAR(zoomBar(), 70, 1e-6);

    // A drag moves the view with the pointer and stops at the picture's edge.
    const objDrawing before = refViewState();
    send(GDK_BUTTON_PRESS, 300, 300, 1);
    send(GDK_MOTION_NOTIFY, 280, 290);
    EXPECT_EQ(refViewState().xWinOffset, before.xWinOffset + int(20 / before.nWinScale));
    send(GDK_MOTION_NOTIFY, -20000, -20000);
    EXPECT_EQ(refViewState().xWinOffset, refViewState().xWinOffsetMax);
    EXPECT_EQ(refViewState().yWinOffset, refViewState().yWinOffsetMax);
    GtkAdjustment* padj = gtk_range_get_adjustment(GTK_RANGE(widget("RefHScroll")));
    EXPECT_NEAR(gtk_adjustment_get_value(padj) + gtk_adjustment_get_page_size(padj), 1.0, 0.01);

    // Keys after a click on the drawing: ">" comes closer, the arrows pan,
    // "<" at the whole drawing does nothing more; Tab is not taken by the page.
    // The window's keys may arrive while GTK does not count it as focused
    // (focus that follows the pointer): they pan all the same.
    GdkEvent* pevtFocus = gdk_event_new(GDK_FOCUS_CHANGE);
    pevtFocus->focus_change.window = GDK_WINDOW(g_object_ref(widget("avLedger")->window));
    gtk_main_do_event(pevtFocus);
    gdk_event_free(pevtFocus);
    avt::click(widget("RefDrawing"));
    avt::pressKey(widget("RefDrawing"), GDK_greater);
    EXPECT_NEAR(refViewState().nZoomReq, 0.67, 1e-6);
    const objDrawing was = refViewState();
    avt::pressKey(widget("RefDrawing"), GDK_Right);
    avt::pressKey(widget("RefDrawing"), GDK_Down);
    EXPECT_GT(refViewState().xWinOffset, was.xWinOffset) << "arrow keys pan";
    EXPECT_GT(refViewState().yWinOffset, was.yWinOffset);
    // A smaller window keeps the picture point at the centre of the view.
    const objDrawing& obj = refViewState();
    const auto [xc, yc] = pictureAt(obj.nAllocWidth / 2, obj.nAllocHeight / 2);
    const gint nWidthWas = obj.nAllocWidth;
    gtk_window_resize(GTK_WINDOW(widget("avLedger")), 900, 650);
    for (int i = 0; i < 100 && obj.nAllocWidth == nWidthWas; ++i)
        avt::settle();
    ASSERT_NE(obj.nAllocWidth, nWidthWas);
    const auto [xr, yr] = pictureAt(obj.nAllocWidth / 2, obj.nAllocHeight / 2);
    EXPECT_NEAR(xr, xc, 2.5); // whole pixels of pan at another scale
    EXPECT_NEAR(yr, yc, 2.5);
    for (int i = 0; i < 20; ++i)
        avt::pressKey(widget("RefDrawing"), GDK_less);
    EXPECT_EQ(refViewState().nZoomReq, 1.0);
    EXPECT_EQ(zoomBar(), 100);
    avt::pressKey(widget("RefDrawing"), GDK_Tab);
    EXPECT_FALSE(gtk_widget_has_focus(widget("RefDrawing"))) << "Tab moves on";

    // The bar's own values beyond its range come as at most the whole drawing.
    gboolean bHandled = FALSE;
    g_signal_emit_by_name(widget("RefZoom"), "change-value", GTK_SCROLL_JUMP, 140.0, &bHandled);
    EXPECT_EQ(refViewState().nZoomReq, 1.0);
    g_signal_emit_by_name(widget("RefZoom"), "change-value", GTK_SCROLL_JUMP, 50.0, &bHandled);
    EXPECT_EQ(refViewState().nZoomReq, 0.5);

    // Unticking "RefMark" composes again and shows the whole drawing.
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget("RefMark")), FALSE);
    waitForComposition();
    EXPECT_EQ(refViewState().nZoomReq, 1.0);
}

// In edit mode: the editor beside the viewer.
class RefEditor : public RefPage {
  protected:
    std::vector<std::string> arguments() const override {
        return {"avLedger", "--component-edit-enable"};
    }
    GtkTreeModel* tree() {
        return gtk_tree_view_get_model(GTK_TREE_VIEW(widget("RefSetupSelectTree")));
    }
    void selectFile(const char* pszName) {
        GtkComboBox* pwgt = GTK_COMBO_BOX(widget("RefSetupFileName"));
        GtkTreeIter iter;
        for (gboolean b = gtk_tree_model_get_iter_first(gtk_combo_box_get_model(pwgt), &iter); b;
             b = gtk_tree_model_iter_next(gtk_combo_box_get_model(pwgt), &iter)) {
            g_autofree gchar* psz = nullptr;
            gtk_tree_model_get(gtk_combo_box_get_model(pwgt), &iter, 1, &psz, -1);
            if (g_strcmp0(psz, pszName) == 0)
                return gtk_combo_box_set_active_iter(pwgt, &iter);
        }
        ADD_FAILURE() << pszName << " is not offered";
    }
    avt::fs::path db() { return m_dirs->etcFile("avCCD.db"); }
};

TEST_F(RefEditor, NewDrawingAndTargetAreStoredDrawnAndDeletedTogether) {
    choose(CARD_NO_DRAWING);
    EXPECT_TRUE(gtk_widget_get_visible(widget("RefPage"))) << "shown for the editor";
    EXPECT_TRUE(gtk_widget_get_visible(widget("RefSetup")));
    // Without a stored drawing a target has nowhere to go.
    gtk_button_clicked(GTK_BUTTON(widget("RefSetupNewTgt")));
    EXPECT_EQ(avt::value(db(), "SELECT count(*) FROM Target WHERE iRefID = 0"), "0");

    gtk_button_clicked(GTK_BUTTON(widget("RefSetupNewRef")));
    avt::drainEvents();
    const std::string strRefID =
        avt::value(db(), "SELECT group_concat(iRefID) FROM Reference WHERE iCompID = " +
                             std::to_string(CARD_NO_DRAWING));
    EXPECT_TRUE(gtk_widget_get_sensitive(gtk_widget_get_parent(widget("RefSetupFileName"))));
    selectFile("rotor-hub.png");
    waitForComposition();
    ASSERT_TRUE(refViewState().bImageLoaded) << "the chosen picture is shown";

    gtk_button_clicked(GTK_BUTTON(widget("RefSetupNewTgt")));
    avt::drainEvents();
    EXPECT_EQ(avt::value(db(), "SELECT strDrawing FROM Reference WHERE iRefID = " + strRefID),
              "rotor-hub.png")
        << "the drawing is saved before its target";
    const std::string strTgtID =
        avt::value(db(), "SELECT group_concat(iTargetID) FROM Target WHERE iRefID = " + strRefID);

    // Shape and size, then a right click places it (and does not open the help).
    gtk_button_clicked(GTK_BUTTON(widget("RefSetupShapeRect")));
    enterText("RefSetupAngle", "400");
    EXPECT_TRUE(avt::contains(mscLastRefusal(), "Angle"));
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(widget("RefSetupAngle"))), "0") << "put back";
    enterText("RefSetupWidth", "60.9");
    EXPECT_STREQ(mscLastRefusal(), "") << "a good entry clears the refusal";
    enterText("RefSetupHeight", "40");
    const auto [px, py] = pictureAt(300, 200);
    send(GDK_BUTTON_PRESS, 300, 200, 3);
    avt::drainEvents();
    EXPECT_FALSE(gtk_widget_get_visible(widget("HelpContext")));
    switchPage(0); // leaving the page saves
    const auto row = avt::query(db(), "SELECT nX, nY, iRefID || ' ' || nWidth || 'x' || nHeight || "
                                      "' shape ' || iShape || ' angle ' || nAngle FROM Target "
                                      "WHERE iTargetID = " +
                                          strTgtID)[0];
    EXPECT_NEAR(std::stod(*row[0]), px, 1);
    EXPECT_NEAR(std::stod(*row[1]), py, 1);
    EXPECT_EQ(*row[2], strRefID + " 60x40 shape 1 angle 0");

    // Drawn: red along the rectangle's left edge, where the click put it.
    switchPage(1);
    waitForComposition();
    g_usleep(250000); // the quality redraw after the timer
    avt::drainEvents();
    const objDrawing& obj = refViewState();
    const int xd =
        int((std::stod(*row[0]) - 30 + obj.xImageOffset - obj.xWinOffset) * obj.nWinScale);
    const int yd = int((std::stod(*row[1]) + obj.yImageOffset - obj.yWinOffset) * obj.nWinScale);
    GdkPixbuf* ppix = gdk_pixbuf_get_from_drawable(
        nullptr, gtk_widget_get_window(widget("RefDrawing")), nullptr, xd - 3, yd - 3, 0, 0, 7, 7);
    ASSERT_NE(ppix, nullptr);
    const int nChannels = gdk_pixbuf_get_n_channels(ppix), nStride = gdk_pixbuf_get_rowstride(ppix);
    bool bRed = false;
    for (int i = 0; i < 49; ++i) {
        const guchar* p = gdk_pixbuf_get_pixels(ppix) + i / 7 * nStride + i % 7 * nChannels;
        bRed |= p[0] > 150 && p[1] < 110 && p[2] < 110;
    }
    g_object_unref(ppix);
    EXPECT_TRUE(bRed);

    // A value typed and left by choosing another row reaches its own target.
    gtk_widget_grab_focus(widget("RefSetupWidth"));
    gtk_entry_set_text(GTK_ENTRY(widget("RefSetupWidth")), "70");
    GtkTreeIter iterRef;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(tree(), &iterRef));
    gtk_tree_selection_select_iter(
        gtk_tree_view_get_selection(GTK_TREE_VIEW(widget("RefSetupSelectTree"))), &iterRef);
    avt::drainEvents();
    EXPECT_EQ(avt::value(db(), "SELECT nWidth FROM Target WHERE iTargetID = " + strTgtID), "70");
    gchar* pszFile = nullptr;
    gtk_tree_model_get(tree(), &iterRef, 2, &pszFile, -1);
    EXPECT_STREQ(pszFile, "rotor-hub.png") << "the drawing's row keeps its own values";
    g_free(pszFile);

    // Deleting the drawing takes its target with it.
    avt::answerNextDialog(GTK_RESPONSE_OK);
    gtk_button_clicked(GTK_BUTTON(widget("RefSetupDelete")));
    avt::drainEvents();
    EXPECT_EQ(gtk_tree_model_iter_n_children(tree(), nullptr), 0);
    EXPECT_EQ(
        avt::value(
            db(), "SELECT (SELECT count(*) FROM Target WHERE bDelete = 0 AND iRefID = " + strRefID +
                      ") || ' ' || bDelete FROM Reference WHERE iRefID = " + strRefID),
        "0 1");
    EXPECT_FALSE(refViewState().bImageLoaded);
}

} // namespace
