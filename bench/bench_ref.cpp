// The drawing page on a large drawing: a 2000x1500 picture shown in a
// 1024x768 area. An expose while the view moves (nearest neighbour) and
// once it has stopped (bilinear), against a plain copy of the area's
// pixels; the composition (read the PNG, draw 10 targets) against reading
// the PNG alone.
#include "harness.h"
#include "refGeom.h"

#include <benchmark/benchmark.h>

#include <random>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kPicW = 2000, kPicH = 1500, kAreaW = 1024, kAreaH = 768;

// A line drawing of the benchmark's size in a temporary data directory,
// opaque like the pictures that ship.
class LargeDrawing {
    avt::TempDirs m_dirs;

  public:
    std::string strPath;
    std::vector<rcdTarget> lstTargets;

    LargeDrawing() : strPath((m_dirs.etc() / "large.png").string()) {
        cairo_surface_t* psrf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPicW, kPicH);
        cairo_t* pcr = cairo_create(psrf);
        cairo_set_source_rgb(pcr, 1, 1, 1);
        cairo_paint(pcr);
        cairo_set_source_rgb(pcr, 0, 0, 0);
        std::mt19937 rng(2000);
        for (int i = 0; i < 600; ++i) {
            cairo_set_line_width(pcr, 1 + rng() % 4);
            cairo_move_to(pcr, rng() % kPicW, rng() % kPicH);
            cairo_line_to(pcr, rng() % kPicW, rng() % kPicH);
            cairo_stroke(pcr);
        }
        cairo_destroy(pcr);
        if (cairo_surface_write_to_png(psrf, strPath.c_str()) != CAIRO_STATUS_SUCCESS)
            throw std::runtime_error("cannot write the drawing");
        cairo_surface_destroy(psrf);
        for (guint i = 0; i < 10; ++i) {
            rcdTarget t{};
            t.iShape = 1 + i % 3;
            t.nX = 150 + 170 * i;
            t.nY = 200 + 110 * i;
            t.nWidth = t.nHeight = 120;
            t.nLen = 200;
            t.nAngle = 36 * i;
            lstTargets.push_back(t);
        }
    }
};

LargeDrawing& drawing() {
    static LargeDrawing d;
    return d;
}

// The view of a drawing while zoomed in to 0.7 about the centre.
objDrawing view() {
    objDrawing obj{};
    obj.nAllocWidth = kAreaW;
    obj.nAllocHeight = kAreaH;
    obj.nZoomReq = 1.0;
    refScaleUpdate(&obj, kPicW, kPicH);
    refZoomAnchor(&obj, kAreaW / 2, kAreaH / 2);
    obj.nZoomReq = 0.7;
    refScaleUpdate(&obj, kPicW, kPicH);
    return obj;
}

void exposeWith(benchmark::State& state, GdkInterpType nInterp) {
    GdkPixbuf* ppix = refComposePicture(drawing().strPath.c_str(), drawing().lstTargets);
    if (!ppix) {
        state.SkipWithError("the drawing was not composed");
        return;
    }
    const objDrawing obj = view();
    for (auto _ : state) {
        GdkPixbuf* ppixView = refViewPixbuf(ppix, obj, nInterp);
        benchmark::DoNotOptimize(gdk_pixbuf_get_pixels(ppixView));
        g_object_unref(ppixView);
    }
    g_object_unref(ppix);
}

void BM_ExposeNearest(benchmark::State& state) {
    exposeWith(state, GDK_INTERP_NEAREST);
}
void BM_ExposeBilinear(benchmark::State& state) {
    exposeWith(state, GDK_INTERP_BILINEAR);
}

// Baseline: copying the area's worth of pixels, the least an expose does.
void BM_ExposeBaselineCopy(benchmark::State& state) {
    GdkPixbuf* ppix = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, kAreaW, kAreaH);
    gdk_pixbuf_fill(ppix, 0xFFFFFFFF);
    for (auto _ : state) {
        GdkPixbuf* ppixCopy = gdk_pixbuf_copy(ppix);
        benchmark::DoNotOptimize(gdk_pixbuf_get_pixels(ppixCopy));
        g_object_unref(ppixCopy);
    }
    g_object_unref(ppix);
}

void BM_Compose10Targets(benchmark::State& state) {
    for (auto _ : state) {
        GdkPixbuf* ppix = refComposePicture(drawing().strPath.c_str(), drawing().lstTargets);
        if (!ppix) {
            state.SkipWithError("the drawing was not composed");
            return;
        }
        g_object_unref(ppix);
    }
}

// Baseline: reading the PNG alone.
void BM_ComposeBaselineReadPng(benchmark::State& state) {
    for (auto _ : state) {
        cairo_surface_t* psrf = cairo_image_surface_create_from_png(drawing().strPath.c_str());
        benchmark::DoNotOptimize(cairo_image_surface_get_data(psrf));
        cairo_surface_destroy(psrf);
    }
}

} // namespace

BENCHMARK(BM_ExposeNearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExposeBilinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExposeBaselineCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compose10Targets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeBaselineReadPng)->Unit(benchmark::kMillisecond);
