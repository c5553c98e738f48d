// Airframe hours at a date on a 20-year log of 5,000 flights: the indexed
// answer against a plain walk of the flight tree, in the same run.
// Report the ratio of the two per-question times.
#include "bench_data.h"
#include "modFLog.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int kQuestions = 400; // one per component of a large aircraft

// The generated log, its flight tree that of the active aircraft.
void makeLogCurrent() {
    static avb::TwentyYearLog s_log("ZK-BEN");
    s_log.makeCurrent();
}

// Flight starts of the generated log, a minute after take-off.
const std::vector<time_t>& questions() {
    makeLogCurrent();
    static std::vector<time_t> s_vtQuestions = [] {
        std::vector<time_t> vtStarts;
        GtkTreeModel* pmod = fmodGetModel();
        GtkTreeIter iterYear, iterMonth, iterFlight;
        for (bool bY = gtk_tree_model_iter_children(pmod, &iterYear, nullptr); bY;
             bY = gtk_tree_model_iter_next(pmod, &iterYear))
            for (bool bM = gtk_tree_model_iter_children(pmod, &iterMonth, &iterYear); bM;
                 bM = gtk_tree_model_iter_next(pmod, &iterMonth))
                for (bool bF = gtk_tree_model_iter_children(pmod, &iterFlight, &iterMonth); bF;
                     bF = gtk_tree_model_iter_next(pmod, &iterFlight)) {
                    guint tStart = 0;
                    gtk_tree_model_get(pmod, &iterFlight, FLOG_DATE, &tStart, -1);
                    vtStarts.push_back(time_t(tStart));
                }
        std::mt19937 rng(5000);
        std::uniform_int_distribution<size_t> pick(0, vtStarts.size() - 1);
        std::vector<time_t> vt;
        for (int i = 0; i < kQuestions; ++i)
            vt.push_back(vtStarts[pick(rng)] + 60);
        return vt;
    }();
    return s_vtQuestions;
}

// Asks every question once a pass, after before() has run.
template <typename Before>
void askAll(benchmark::State& state, guint64 (*pfnAsk)(time_t), Before before) {
    const auto& vtQuestions = questions();
    for (auto _ : state) {
        before();
        for (time_t t : vtQuestions)
            benchmark::DoNotOptimize(pfnAsk(t));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(vtQuestions.size()));
}

void BM_AFHoursIndexed(benchmark::State& state) {
    questions();
    fmodCalcAFAccum(); // a change of the tree: the first question rebuilds the index
    askAll(state, fmodAFHoursAtDate, [] {});
}

void BM_AFHoursTreeWalk(benchmark::State& state) {
    askAll(state, fmodAFHoursByWalk, [] {});
}

// The index rebuilt for every pass: what one screen update costs right
// after the tree changed.
void BM_AFHoursIndexedAfterChange(benchmark::State& state) {
    askAll(state, fmodAFHoursAtDate, [] {
        // Touches a row: the index is stale.
        GtkTreeIter iter;
        if (gtk_tree_model_get_iter_first(fmodGetModel(), &iter))
            gtk_tree_store_set(GTK_TREE_STORE(fmodGetModel()), &iter, FLOG_WARN, nullptr, -1);
    });
}

BENCHMARK(BM_AFHoursIndexed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AFHoursIndexedAfterChange)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AFHoursTreeWalk)->Unit(benchmark::kMillisecond);

} // namespace
