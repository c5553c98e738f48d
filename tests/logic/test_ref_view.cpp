// The drawing viewer without a display: where the picture lands at each
// zoom and pan, what the target shapes put on the picture, how a picture
// file is read, and how the setup editor reads its entries.
#include "harness.h"
#include "pagRef.h"

#include <cmath>

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

TEST(RefGeometry, PictureFitsCentredAndZoomKeepsTheCentre) {
    struct Case {
        gint nPicW, nPicH, nAw, nAh;
        gdouble nZoom;
        gdouble nWinScale;
        gint nImageW, nImageH, xPan, yPan, xDraw, yDraw;
        gdouble hPage, vPage, hValue, vValue;
    };
    const Case cases[] = {
        // Wide area: margins left and right; drawn from x 200.
        {400, 300, 800, 300, 1.0, 1.0, 800, 300, 0, 0, 200, 0, 1.0, 1.0, 0, 0},
        // The bar at 50: half of image space visible about the centre.
        {400, 300, 800, 300, 0.5, 2.0, 800, 300, 200, 75, 0, -150, 0.5, 0.5, 0.25, 0.25},
        // Tall area: margins above and below.
        {400, 300, 400, 600, 1.0, 1.0, 400, 600, 0, 0, 0, 150, 1.0, 1.0, 0, 0},
        // A large drawing shrunk into a window.
        {2000, 1500, 1024, 768, 1.0, 0.512, 2000, 1500, 0, 0, 0, 0, 1.0, 1.0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nPicW << "x" << c.nPicH << " in " << c.nAw << "x"
                                        << c.nAh << " at " << c.nZoom);
        const objDrawing obj = layout(c.nPicW, c.nPicH, c.nAw, c.nAh, c.nZoom);
        EXPECT_DOUBLE_EQ(obj.nWinScale, c.nWinScale);
        EXPECT_EQ(obj.nImageWidth, c.nImageW);
        EXPECT_EQ(obj.nImageHeight, c.nImageH);
        EXPECT_EQ(obj.xWinOffset, c.xPan);
        EXPECT_EQ(obj.yWinOffset, c.yPan);
        EXPECT_EQ(obj.xDrawOffset, c.xDraw);
        EXPECT_EQ(obj.yDrawOffset, c.yDraw);
        const RefScroll scr = refScrollFractions(obj);
        EXPECT_DOUBLE_EQ(scr.hPage, c.hPage);
        EXPECT_DOUBLE_EQ(scr.vPage, c.vPage);
        EXPECT_DOUBLE_EQ(scr.hValue, c.hValue);
        EXPECT_DOUBLE_EQ(scr.vValue, c.vValue);
        // The picture pixel under the area's centre is the picture's centre.
        guint x = 0, y = 0;
        refPicturePoint(obj, c.nAw / 2, c.nAh / 2, c.nPicW, c.nPicH, &x, &y);
        EXPECT_NEAR(x, c.nPicW / 2, 1);
        EXPECT_NEAR(y, c.nPicH / 2, 1);
    }
}

TEST(RefGeometry, ZoomAndPanStayInRangeWhateverTheInput) {
    for (auto [nIn, nOut] : std::vector<std::pair<gdouble, gdouble>>{
             {1.03, 1.0}, {1.0, 1.0}, {0.5, 0.5}, {0.3, 0.3}, {0.27, 0.3}, {-1, 0.3}, {NAN, 0.3}})
        EXPECT_EQ(refZoomLimit(nIn), nOut) << nIn;

    // A drag beyond the edges stops at them; at zoom 1.0 there is nothing to pan.
    objDrawing obj = layout(400, 300, 800, 300, 0.5);
    refPan(&obj, 1e6, 1e6);
    EXPECT_EQ(obj.xWinOffset, 400);
    EXPECT_EQ(obj.yWinOffset, 150);
    refPan(&obj, -1e6, -1e6);
    EXPECT_EQ(obj.xWinOffset, 0);
    EXPECT_EQ(obj.yWinOffset, 0);
    refPanTo(&obj, 0.9, 0.9);
    EXPECT_EQ(obj.xWinOffset, 400);
    obj = layout(400, 300, 800, 300);
    refPan(&obj, 50, 50);
    EXPECT_EQ(obj.xWinOffset, 0);
    EXPECT_EQ(obj.xDrawOffset, 200);

    // No picture or no area yet: no scale, and a pan or a click does nothing.
    objDrawing objNone{};
    objNone.nZoomReq = 1.0;
    refScaleUpdate(&objNone, 0, 0);
    refPan(&objNone, 10, 10);
    EXPECT_EQ(objNone.nWinScale, 0.0);
    EXPECT_EQ(objNone.xWinOffset, 0);
    // A one-pixel picture zoomed all the way in keeps a finite scale.
    const objDrawing objTiny = layout(1, 1, 800, 300, 0.3);
    EXPECT_TRUE(std::isfinite(objTiny.nWinScale) && objTiny.nWinScale > 0);

    // A click in the margin is the picture's edge, not a wrapped number.
    guint x = 1, y = 1;
    refPicturePoint(layout(400, 300, 800, 300), 10, 10, 400, 300, &x, &y);
    EXPECT_EQ(x, 0u);
    refPicturePoint(layout(400, 300, 800, 300), 790, 299, 400, 300, &x, &y);
    EXPECT_EQ(x, 399u);
    EXPECT_EQ(y, 299u);
}

// ---- shapes, by the pixels they leave on white

struct Rgb {
    int r, g, b;
};

Rgb pixel(cairo_surface_t* psrf, int x, int y) {
    const auto* p = cairo_image_surface_get_data(psrf) + y * cairo_image_surface_get_stride(psrf);
    const guint32 px = reinterpret_cast<const guint32*>(p)[x];
    return {int(px >> 16 & 0xFF), int(px >> 8 & 0xFF), int(px & 0xFF)};
}

bool isRed(Rgb c) {
    return c.r > 200 && c.g < 80 && c.b < 80;
}
bool isWhite(Rgb c) {
    return c.r > 240 && c.g > 240 && c.b > 240;
}

rcdTarget target(guint iShape, guint x, guint y, guint w, guint h, guint len, guint angle,
                 guint weight = 2) {
    rcdTarget t{};
    t.iShape = iShape;
    t.nX = x;
    t.nY = y;
    t.nWidth = w;
    t.nHeight = h;
    t.nLen = len;
    t.nAngle = angle;
    t.nWeight = weight;
    return t;
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        cairo_surface_t* psrf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 400, 400);
        cairo_t* pcr = cairo_create(psrf);
        cairo_set_source_rgb(pcr, 1, 1, 1);
        cairo_paint(pcr);
        refTargetDraw(pcr, std::span(&c.tgt, 1));
        cairo_destroy(pcr);
        cairo_surface_flush(psrf);
        for (auto [x, y] : c.red)
            EXPECT_TRUE(isRed(pixel(psrf, x, y))) << "(" << x << "," << y << ") should be red";
        for (auto [x, y] : c.white)
            EXPECT_TRUE(isWhite(pixel(psrf, x, y))) << "(" << x << "," << y << ") should be white";
        cairo_surface_destroy(psrf);
    }
}

// A PNG of the given size: transparent, or opaque in one colour.
void writePng(const avt::fs::path& path, int nW, int nH, bool bOpaque, double r = 0, double g = 0,
              double b = 1) {
    cairo_surface_t* psrf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, nW, nH);
    if (bOpaque) {
        cairo_t* pcr = cairo_create(psrf);
        cairo_set_source_rgb(pcr, r, g, b);
        cairo_paint(pcr);
        cairo_destroy(pcr);
    }
    ASSERT_EQ(cairo_surface_write_to_png(psrf, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(psrf);
}

std::array<int, 3> pixbufAt(const GdkPixbuf* ppix, int x, int y) {
    const guchar* p = gdk_pixbuf_get_pixels(ppix) + y * gdk_pixbuf_get_rowstride(ppix) +
                      x * gdk_pixbuf_get_n_channels(ppix);
    return {p[0], p[1], p[2]};
}

TEST(RefPicture, OnlyAUsablePngIsComposedAndItsTargetsAreDrawnOnWhite) {
    avt::TempDirs dirs;
    const auto dir = dirs.root();
    writePng(dir / "clear.png", 20, 10, false);
    writePng(dir / "tiny.png", 1, 1, true);
    writePng(dir / "blue.png", 400, 300, true);
    avt::writeFile(dir / "broken.png", "this is not a picture");
    avt::writeFile(dir / "empty.png", "");

    for (const char* psz : {"missing.png", "broken.png", "empty.png"})
        EXPECT_EQ(refComposePicture((dir / psz).c_str(), {}), nullptr) << psz;

    GdkPixbuf* ppix = refComposePicture((dir / "clear.png").c_str(), {});
    ASSERT_NE(ppix, nullptr);
    EXPECT_EQ(pixbufAt(ppix, 5, 5), (std::array<int, 3>{255, 255, 255})) << "transparent is white";
    g_object_unref(ppix);

    ppix = refComposePicture((dir / "tiny.png").c_str(), {});
    ASSERT_NE(ppix, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(ppix), 1);
    g_object_unref(ppix);

    // Targets in their own colour and weight; 0 gives red.
    rcdTarget lstTgt[] = {target(REF_TGT_RECT, 100, 100, 50, 50, 0, 0, 4),
                          target(REF_TGT_RECT, 300, 100, 50, 50, 0, 0, 12)};
    lstTgt[1].nColour = 0x00FF00;
    ppix = refComposePicture((dir / "blue.png").c_str(), lstTgt);
    ASSERT_NE(ppix, nullptr);
    EXPECT_EQ(pixbufAt(ppix, 75, 100), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(pixbufAt(ppix, 270, 100), (std::array<int, 3>{0, 255, 0})) << "weight 12 reaches";
    EXPECT_EQ(pixbufAt(ppix, 100, 100), (std::array<int, 3>{0, 0, 255}));

    // The view: grey margins, the picture from x 200; nearest and bilinear alike.
    const objDrawing obj = layout(400, 300, 800, 300);
    for (GdkInterpType n : {GDK_INTERP_NEAREST, GDK_INTERP_BILINEAR}) {
        GdkPixbuf* ppixView = refViewPixbuf(ppix, obj, n);
        ASSERT_NE(ppixView, nullptr);
        EXPECT_EQ(pixbufAt(ppixView, 100, 150), (std::array<int, 3>{0xD8, 0xD8, 0xD8}));
        EXPECT_EQ(pixbufAt(ppixView, 210, 10), (std::array<int, 3>{0, 0, 255}));
        EXPECT_EQ(pixbufAt(ppixView, 590, 150), (std::array<int, 3>{0, 0, 255}));
        EXPECT_EQ(pixbufAt(ppixView, 700, 150), (std::array<int, 3>{0xD8, 0xD8, 0xD8}));
        g_object_unref(ppixView);
    }
    g_object_unref(ppix);
}

TEST(RefSetupEntries, ValuesAreReadOrRefusedWithAReason) {
    struct Case {
        const char* pszText;
        RefEntryKind nKind;
        guint nMax;
        bool bOk;
        guint nValue;
    };
    const Case cases[] = {
        {"", REF_ENTRY_INTEGER, 100, true, 0},
        {" 42 ", REF_ENTRY_INTEGER, 100, true, 42},
        {"12.7", REF_ENTRY_DECIMAL, 100, true, 12},
        {"12.7", REF_ENTRY_INTEGER, 100, false, 0},
        {"12abc", REF_ENTRY_INTEGER, 100, false, 0},
        {"abc", REF_ENTRY_INTEGER, 100, false, 0},
        {"-5", REF_ENTRY_INTEGER, 100, false, 0},
        {"101", REF_ENTRY_INTEGER, 100, false, 0},
        {"4294967296", REF_ENTRY_INTEGER, G_MAXUINT32, false, 0},
        {"#FF0000", REF_ENTRY_COLOUR, 0xFFFFFF, true, 0xFF0000},
        {"0x00ff00", REF_ENTRY_COLOUR, 0xFFFFFF, true, 0x00FF00},
        {"255", REF_ENTRY_COLOUR, 0xFFFFFF, true, 255},
        {"#GG0000", REF_ENTRY_COLOUR, 0xFFFFFF, false, 0},
        {"#1234567", REF_ENTRY_COLOUR, 0xFFFFFF, false, 0},
    };
    for (const Case& c : cases) {
        guint nValue = 77;
        const char* pszWhy = nullptr;
        const gboolean bOk = refReadSetupValue(c.pszText, c.nKind, c.nMax, &nValue, &pszWhy);
        EXPECT_EQ(bool(bOk), c.bOk) << '"' << c.pszText << '"';
        if (c.bOk)
            EXPECT_EQ(nValue, c.nValue) << '"' << c.pszText << '"';
        else
            EXPECT_TRUE(nValue == 77 && pszWhy && *pszWhy) << '"' << c.pszText << '"';
    }

    // Picture names stay inside the data directory and fit their field.
    for (auto [psz, bOk] : std::vector<std::pair<std::string, bool>>{{"rotor-hub.png", true},
                                                                     {std::string(99, 'a'), true},
                                                                     {std::string(100, 'a'), false},
                                                                     {"", false},
                                                                     {"../avLedger.db", false},
                                                                     {"sub/x.png", false},
                                                                     {"/etc/passwd", false}})
        EXPECT_EQ(bool(refDrawingNameOk(psz.c_str())), bOk) << psz;
}

} // namespace
