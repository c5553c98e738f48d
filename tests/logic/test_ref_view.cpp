// The drawing viewer without a display: where the picture lands at each
// zoom and pan, what the target shapes put on the picture, how a picture
// file is read, and how the setup editor reads its entries.
#include "harness.h"
#include "refGeom.h"

#include <cmath>
#include <sstream>

namespace {

// A laid-out view of a picture in a drawing area, zoomed at the centre.
objDrawing layout(gint nPicW, gint nPicH, gint nAw, gint nAh, gdouble nZoom = 1.0) {
    objDrawing obj{};
    obj.nAllocWidth = nAw;
    obj.nAllocHeight = nAh;
    obj.nZoomReq = 1.0;
    refScaleUpdate(&obj, nPicW, nPicH);
    if (nZoom != 1.0) {
        refZoomAnchor(&obj, nAw / 2, nAh / 2);
        obj.nZoomReq = nZoom;
        refScaleUpdate(&obj, nPicW, nPicH);
    }
    return obj;
}

// Scale, image space, pan, draw offset, scroll bars' page sizes and values.
std::string describe(const objDrawing& obj) {
    const RefScroll scr = refScrollFractions(obj);
    std::ostringstream out;
    out << obj.nWinScale << " " << obj.nImageWidth << "x" << obj.nImageHeight << " pan "
        << obj.xWinOffset << "," << obj.yWinOffset << " draw " << obj.xDrawOffset << ","
        << obj.yDrawOffset << " page " << scr.hPage << "," << scr.vPage << " value " << scr.hValue
        << "," << scr.vValue;
    return out.str();
}

TEST(RefGeometry, PictureFitsCentredAndZoomKeepsTheCentre) {
    const std::tuple<gint, gint, gint, gint, gdouble, const char*> cases[] = {
        // Wide area: margins left and right; drawn from x 200.
        {400, 300, 800, 300, 1.0, "1 800x300 pan 0,0 draw 200,0 page 1,1 value 0,0"},
        // The bar at 50: half of image space visible about the centre.
        {400, 300, 800, 300, 0.5, "2 800x300 pan 200,75 draw 0,-150 page 0.5,0.5 value 0.25,0.25"},
        // Tall area: margins above and below.
        {400, 300, 400, 600, 1.0, "1 400x600 pan 0,0 draw 0,150 page 1,1 value 0,0"},
        // A large drawing shrunk into a window.
        {2000, 1500, 1024, 768, 1.0, "0.512 2000x1500 pan 0,0 draw 0,0 page 1,1 value 0,0"},
    };
    for (auto [nPicW, nPicH, nAw, nAh, nZoom, pszWant] : cases) {
        const objDrawing obj = layout(nPicW, nPicH, nAw, nAh, nZoom);
        EXPECT_EQ(describe(obj), pszWant);
        // The picture pixel under the area's centre is the picture's centre.
        guint x = 0, y = 0;
        refPicturePoint(obj, nAw / 2, nAh / 2, nPicW, nPicH, &x, &y);
        EXPECT_NEAR(x, nPicW / 2, 1) << pszWant;
        EXPECT_NEAR(y, nPicH / 2, 1) << pszWant;
    }
}

TEST(RefGeometry, ZoomAndPanStayInRangeWhateverTheInput) {
    for (auto [nIn, nOut] : std::vector<std::pair<gdouble, gdouble>>{
             {1.03, 1.0}, {1.0, 1.0}, {0.5, 0.5}, {0.3, 0.3}, {0.27, 0.3}, {-1, 0.3}, {NAN, 0.3}})
        EXPECT_EQ(refZoomLimit(nIn), nOut) << nIn;

    // A drag beyond the edges stops at them; at zoom 1.0 there is nothing to pan.
    objDrawing obj = layout(400, 300, 800, 300, 0.5);
    const auto pan = [&] { return std::pair(obj.xWinOffset, obj.yWinOffset); };
    refPan(&obj, 1e6, 1e6);
    EXPECT_EQ(pan(), std::pair(400, 150));
    refPan(&obj, -1e6, -1e6);
    EXPECT_EQ(pan(), std::pair(0, 0));
    refPanTo(&obj, 0.9, 0.9);
    EXPECT_EQ(pan(), std::pair(400, 150));
    obj = layout(400, 300, 800, 300);
    refPan(&obj, 50, 50);
    EXPECT_EQ(std::pair(obj.xWinOffset, obj.xDrawOffset), std::pair(0, 200));

    // No picture or no area yet: no scale, and a pan or a click does nothing.
    objDrawing objNone{};
    objNone.nZoomReq = 1.0;
    refScaleUpdate(&objNone, 0, 0);
    refPan(&objNone, 10, 10);
    EXPECT_EQ(std::pair(objNone.nWinScale, objNone.xWinOffset), std::pair(0.0, 0));
    // A one-pixel picture zoomed all the way in keeps a finite scale.
    const objDrawing objTiny = layout(1, 1, 800, 300, 0.3);
    EXPECT_TRUE(std::isfinite(objTiny.nWinScale) && objTiny.nWinScale > 0);

    // A click in the margin is the picture's edge, not a wrapped number.
    guint x = 1, y = 1;
    refPicturePoint(obj, 10, 10, 400, 300, &x, &y);
    EXPECT_EQ(x, 0u);
    refPicturePoint(obj, 790, 299, 400, 300, &x, &y);
    EXPECT_EQ(std::pair(x, y), std::pair(399u, 299u));
}

using Rgb = std::array<int, 3>;

// A PNG of the given size: transparent, or opaque blue.
void writePng(const avt::fs::path& path, int nW, int nH, bool bBlue) {
    cairo_surface_t* psrf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, nW, nH);
    cairo_t* pcr = cairo_create(psrf);
    cairo_set_source_rgba(pcr, 0, 0, 1, bBlue);
    cairo_paint(pcr);
    cairo_destroy(pcr);
    ASSERT_EQ(cairo_surface_write_to_png(psrf, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(psrf);
}

Rgb pixbufAt(const GdkPixbuf* ppix, int x, int y) {
    const guchar* p = gdk_pixbuf_get_pixels(ppix) + y * gdk_pixbuf_get_rowstride(ppix) +
                      x * gdk_pixbuf_get_n_channels(ppix);
    return {p[0], p[1], p[2]};
}

// ---- shapes, by the pixels they leave on a transparent picture: white

bool isRed(Rgb c) {
    return c[0] > 200 && c[1] < 80 && c[2] < 80;
}
bool isWhite(Rgb c) {
    return c[0] > 240 && c[1] > 240 && c[2] > 240;
}

rcdTarget target(guint iShape, guint x, guint y, guint w, guint h, guint len, guint angle,
                 guint weight = 2) {
    return {0, 0, x, y, w, h, len, angle, iShape, weight, 0, FALSE, FALSE};
}

TEST(RefShapes, EachShapeMarksWhereItShould) {
    struct Case {
        const char* pszWhat;
        rcdTarget tgt;
        std::vector<std::pair<int, int>> red, white;
    };
    const std::vector<Case> cases{
        {"arrow up: shaft to (200,200), barbs to about (190,282) and (210,282)",
         target(REF_TGT_ARROW, 200, 300, 0, 0, 100, 0, 4),
         {{200, 250}, {200, 203}, {192, 286}, {207, 286}},
         {{200, 192}, {186, 276}, {214, 276}, {230, 300}}},
        {"bearing 350: barbs at 320 and 20",
         target(REF_TGT_ARROW, 200, 300, 0, 0, 100, 350, 4),
         {{191, 250}, {191, 289}, {204, 286}},
         {{200, 192}, {210, 250}}},
        {"bearing 10: barbs at 340 and 40",
         target(REF_TGT_ARROW, 200, 300, 0, 0, 100, 10, 4),
         {{208, 250}, {195, 286}, {209, 289}},
         {{190, 250}, {186, 311}}},
        {"odd width 5 at x 10 starts at x 8",
         target(REF_TGT_RECT, 10, 10, 5, 5, 0, 0),
         {{7, 10}, {8, 10}, {12, 10}, {13, 10}},
         {{6, 10}, {10, 10}, {14, 10}}},
        {"circle from the width only",
         target(REF_TGT_CIRCLE, 100, 100, 40, 7, 0, 0),
         {{119, 100}, {120, 100}, {100, 80}, {79, 100}},
         {{100, 96}, {100, 104}, {100, 100}}},
    };
    avt::TempDirs dirs;
    writePng(dirs.root() / "clear.png", 400, 400, false); // shows as white
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        GdkPixbuf* ppix = refComposePicture((dirs.root() / "clear.png").c_str(), {&c.tgt, 1});
        for (auto [x, y] : c.red)
            EXPECT_TRUE(isRed(pixbufAt(ppix, x, y))) << "(" << x << "," << y << ") should be red";
        for (auto [x, y] : c.white)
            EXPECT_TRUE(isWhite(pixbufAt(ppix, x, y)))
                << "(" << x << "," << y << ") should be white";
        g_object_unref(ppix);
    }
}

TEST(RefPicture, TargetsAreDrawnOnWhiteAndTheViewScalesIt) {
    avt::TempDirs dirs;
    const auto dir = dirs.root();
    writePng(dir / "blue.png", 400, 300, true);
    // Missing, broken and one-pixel pictures are shown (or not) by the page's tests.

    // Targets in their own colour and weight; 0 gives red.
    rcdTarget lstTgt[] = {target(REF_TGT_RECT, 100, 100, 50, 50, 0, 0, 4),
                          target(REF_TGT_RECT, 300, 100, 50, 50, 0, 0, 12)};
    lstTgt[1].nColour = 0x00FF00;
    GdkPixbuf* ppix = refComposePicture((dir / "blue.png").c_str(), lstTgt);
    ASSERT_NE(ppix, nullptr);
    EXPECT_EQ(pixbufAt(ppix, 75, 100), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixbufAt(ppix, 270, 100), (Rgb{0, 255, 0})) << "weight 12 reaches";
    EXPECT_EQ(pixbufAt(ppix, 100, 100), (Rgb{0, 0, 255}));

    // The view: grey margins, the picture from x 200; nearest and bilinear alike.
    const objDrawing obj = layout(400, 300, 800, 300);
    for (GdkInterpType n : {GDK_INTERP_NEAREST, GDK_INTERP_BILINEAR}) {
        GdkPixbuf* ppixView = refViewPixbuf(ppix, obj, n);
        ASSERT_NE(ppixView, nullptr);
        EXPECT_EQ(pixbufAt(ppixView, 100, 150), (Rgb{0xD8, 0xD8, 0xD8}));
        EXPECT_EQ(pixbufAt(ppixView, 210, 10), (Rgb{0, 0, 255}));
        EXPECT_EQ(pixbufAt(ppixView, 590, 150), (Rgb{0, 0, 255}));
        EXPECT_EQ(pixbufAt(ppixView, 700, 150), (Rgb{0xD8, 0xD8, 0xD8}));
        g_object_unref(ppixView);
    }
    g_object_unref(ppix);
}

TEST(RefSetupEntries, ValuesAreReadOrRefusedWithAReason) {
    // Text, kind, largest value, value read (-1: refused with a reason, the
    // old value stays).
    const auto I = REF_ENTRY_INTEGER, C = REF_ENTRY_COLOUR;
    const std::tuple<const char*, RefEntryKind, guint, gint64> cases[] = {
        {"", I, 100, 0},
        {" 42 ", I, 100, 42},
        {"12.7", I, 100, -1},
        {"12.7", REF_ENTRY_DECIMAL, 100, 12},
        {"12abc", I, 100, -1},
        {"abc", I, 100, -1},
        {"-5", I, 100, -1},
        {"101", I, 100, -1},
        {"4294967296", I, G_MAXUINT32, -1},
        {"#FF0000", C, 0xFFFFFF, 0xFF0000},
        {"0x00ff00", C, 0xFFFFFF, 0x00FF00},
        {"255", C, 0xFFFFFF, 255},
        {"#GG0000", C, 0xFFFFFF, -1},
        {"#1234567", C, 0xFFFFFF, -1}};
    for (auto [pszText, nKind, nMax, nWant] : cases) {
        guint nValue = 77;
        const char* pszWhy = nullptr;
        const bool bOk = refReadSetupValue(pszText, nKind, nMax, &nValue, &pszWhy);
        EXPECT_EQ(std::tuple(bOk, gint64(nValue), pszWhy && *pszWhy),
                  std::tuple(nWant >= 0, nWant >= 0 ? nWant : 77, nWant < 0))
            << '"' << pszText << '"';
    }

    // Picture names stay inside the data directory and fit their field.
    const std::pair<std::string, bool> names[] = {
        {"rotor-hub.png", true},        {std::string(99, 'a'), true},
        {std::string(100, 'a'), false}, {"", false},
        {"../avLedger.db", false},      {"sub/x.png", false},
        {"/etc/passwd", false}};
    for (const auto& [str, bOk] : names)
        EXPECT_EQ(bool(refDrawingNameOk(str.c_str())), bOk) << str;
}

} // namespace
