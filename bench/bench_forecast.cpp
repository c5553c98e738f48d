// The forecast of a twenty-year log (400 cards, 5,000 flights): the rate
// and the forecast date of every card, the timeline drawn, and the PDF
// report with both plots against the same report without its forecast
// section. Baselines run in the same process.
#include "avPlot.h"
#include "avReport.h"
#include "bench_data.h"
#include "modComp.h"
#include "modForecast.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>

namespace {

avb::TwentyYearLog& forecastLog() {
    static avb::TwentyYearLog s_log("ZK-FCST");
    s_log.makeCurrentWithMark();
    return s_log;
}

// Calls fn on every card row of the component tree.
template <class Fn> void eachCard(GtkTreeIter* piterParent, Fn& fn) {
    GtkTreeModel* pModel = cmodGetModel();
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        guint nType = 0;
        gtk_tree_model_get(pModel, &iter, CCD_TYPE_COL, &nType, -1);
        if (nType == TYPE_COMP)
            fn(&iter);
        else
            eachCard(&iter, fn);
    }
}

// Baseline: the due figures of every card, as the due list takes them.
void BM_DueFiguresBaseline(benchmark::State& state) {
    forecastLog();
    std::array<cmodDueFigure, CCD_LIMIT_NUM> figs{};
    auto fn = [&](GtkTreeIter* piter) {
        cmodDueFigures(piter, figs.data());
        benchmark::DoNotOptimize(figs);
    };
    for (auto _ : state)
        eachCard(nullptr, fn);
}

// The utilisation once, then the figures and both forecast dates of every card.
void BM_ForecastEveryCard(benchmark::State& state) {
    forecastLog();
    std::array<cmodDueFigure, CCD_LIMIT_NUM> figs{};
    fcstPoint pts[FCST_KINDS];
    for (auto _ : state) {
        const fcstUse use = fcstUtilisation();
        const gint64 nTotal = gint64(fmodAFHoursTotal());
        const time_t tNow = cmodNow();
        auto fn = [&](GtkTreeIter* piter) {
            cmodDueFigures(piter, figs.data());
            fcstPoints(figs.data(), use, nTotal, tNow, pts);
            benchmark::DoNotOptimize(pts[0].tDate);
        };
        eachCard(nullptr, fn);
    }
    state.counters["rate"] = fcstUtilisation().dRate;
}

// The due list window's timeline: content and drawing at 1024 px.
void BM_TimelineDraw(benchmark::State& state) {
    forecastLog();
    cairo_surface_t* pSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1000, 170);
    size_t nMarks = 0;
    for (auto _ : state) {
        cairo_t* pcr = cairo_create(pSurface);
        const fcstTimeline tl = fcstTimelineOf(12);
        nMarks = plotDrawTimeline(pcr, tl, {1000, 170, 12}).size();
        cairo_destroy(pcr);
        cairo_surface_flush(pSurface);
    }
    cairo_surface_destroy(pSurface);
    state.counters["marks"] = double(nMarks);
}

// The report's PDF, with its forecast section (range 1) or without it.
void BM_ReportPdfForecast(benchmark::State& state) {
    avb::TwentyYearLog& log = forecastLog();
    const std::string strFile = log.out("forecast.pdf").string();
    for (auto _ : state) {
        rptDoc doc;
        rptBuild(&doc);
        if (!state.range(0)) {
            auto it =
                std::find_if(doc.lstBlocks.begin(), doc.lstBlocks.end(), [](const rptBlock& b) {
                    return b.nKind == RPT_HEADING && b.strText == "Forecast";
                });
            auto itEnd = std::find_if(it + 1, doc.lstBlocks.end(),
                                      [](const rptBlock& b) { return b.nKind == RPT_HEADING; });
            doc.lstBlocks.erase(it, itEnd);
        }
        GError* pError = nullptr;
        if (!rptWritePdf(doc, strFile.c_str(), &pError)) {
            state.SkipWithError(pError->message);
            g_clear_error(&pError);
            break;
        }
    }
}

} // namespace

BENCHMARK(BM_DueFiguresBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForecastEveryCard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimelineDraw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportPdfForecast)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
