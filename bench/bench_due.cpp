// The due list and the maintenance report of a twenty-year log: 400 cards,
// 20,000 maintenance records with notes, 5,000 flights, 20 pilots. Measured
// against a baseline that only walks the finished component tree, in the
// same run.
#include "avDue.h"
#include "avLedger.h"
#include "avReport.h"
#include "bench_data.h"
#include "modComp.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The log the due list is built from.
avb::TwentyYearLog& dueLog() {
    static avb::TwentyYearLog s_log("ZK-DUE");
    s_log.makeCurrentWithMark();
    return s_log;
}

int walkOneColumn(GtkTreeModel* pModel, GtkTreeIter* piterParent) {
    int nRows = 0;
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        guint nType = 0;
        gtk_tree_model_get(pModel, &iter, CCD_TYPE_COL, &nType, -1);
        benchmark::DoNotOptimize(nType);
        nRows += 1 + walkOneColumn(pModel, &iter);
    }
    return nRows;
}

void BM_DueTreeWalkBaseline(benchmark::State& state) {
    dueLog();
    for (auto _ : state)
        benchmark::DoNotOptimize(walkOneColumn(cmodGetModel(), nullptr));
}

// The window's fill: every card's figures, the pilots, sorted, into the store.
void BM_DueListFill(benchmark::State& state) {
    dueLog();
    for (auto _ : state)
        dueRefresh();
    state.counters["lines"] = double(dueCollect().size());
}

void BM_ReportBuild(benchmark::State& state) {
    dueLog();
    size_t nBlocks = 0;
    for (auto _ : state) {
        rptDoc doc;
        rptBuild(&doc);
        nBlocks = doc.lstBlocks.size();
    }
    state.counters["blocks"] = double(nBlocks);
}

// The whole export as the menu does it: content from the models, then the file.
void BM_ReportPdf(benchmark::State& state) {
    avb::TwentyYearLog& log = dueLog();
    std::string strFile = log.out("report.pdf").string();
    for (auto _ : state) {
        rptDoc doc;
        rptBuild(&doc);
        GError* pError = nullptr;
        if (!rptWritePdf(doc, strFile.c_str(), &pError)) {
            state.SkipWithError(pError->message);
            g_clear_error(&pError);
            break;
        }
    }
    state.counters["bytes"] = double(fs::file_size(strFile));
}

void BM_ReportCsv(benchmark::State& state) {
    avb::TwentyYearLog& log = dueLog();
    std::string strFile = log.out("report.csv").string();
    for (auto _ : state) {
        rptDoc doc;
        rptBuild(&doc);
        GError* pError = nullptr;
        if (!rptWriteCsv(doc, strFile.c_str(), &pError)) {
            state.SkipWithError(pError->message);
            g_clear_error(&pError);
            break;
        }
    }
}

BENCHMARK(BM_DueTreeWalkBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DueListFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportPdf)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReportCsv)->Unit(benchmark::kMillisecond);

} // namespace
