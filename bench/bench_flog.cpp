// Airframe hours at a date on a 20-year log of 5,000 flights: the indexed
// answer against a plain walk of the flight tree, in the same run.
// Report the ratio of the two per-question times.
#include "avLedger.h"
#include "bench_data.h"
#include "harness.h"
#include "modFLog.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <sstream>

namespace {

constexpr int kFlights = 5000;
constexpr int kQuestions = 400; // one per component of a large aircraft

// A generated log in a fresh temporary data directory, loaded once into
// the flight log model of the active aircraft.
class GeneratedLog {
    avt::TempDirs m_dirs; // first: the data directory exists before anything opens it

  public:
    GeneratedLog() {
        avPrepareEnvironment();
        if (!sqlInitialize())
            throw std::runtime_error(sqlLastError());
        fmodInitialize();

        rcdAC rcd;
        memset(&rcd, 0, sizeof rcd);
        rcd.iACID = SQL_NEW_ID;
        g_strlcpy(rcd.szReg, "ZK-BEN", sizeof rcd.szReg);
        rcd.nLogHours = 1500;
        if (!sqlUpdateAircraftRecord(&rcd))
            throw std::runtime_error(sqlLastError());

        // Twenty years from 2005, about five flights a week.
        std::mt19937 rng(5000);
        std::uniform_int_distribution<int> secondsDist(0, 20 * 365 * 86400);
        std::uniform_int_distribution<int> elapsedDist(3, 25);
        const time_t tStart = 1104537600; // 1-Jan-2005
        std::ostringstream sql;
        sql << "BEGIN;";
        for (int i = 0; i < kFlights; ++i) {
            time_t tBegin = tStart + secondsDist(rng);
            int nElapsed = elapsedDist(rng);
            sql << "INSERT INTO Flight (iCSID, iPilotID, iStudentID, tFltBegin, tFltEnd, "
                   "nElapsed, nFltType, strFrom, strTo, strPaxList, strNotes, bDelete) VALUES ("
                << rcd.iACID << ",0,0," << tBegin << "," << tBegin + nElapsed * 360 << ","
                << nElapsed << ",0,'Home','Away','','',0);";
            m_vtStarts.push_back(tBegin);
        }
        sql << "COMMIT;";
        runSql(m_dirs.etcFile("avLedger.db"), sql.str());

        if (!acdLoadActiveAC(rcd.iACID))
            throw std::runtime_error("no active aircraft");
        std::uniform_int_distribution<int> pick(0, kFlights - 1);
        for (int i = 0; i < kQuestions; ++i)
            m_vtQuestions.push_back(m_vtStarts[static_cast<size_t>(pick(rng))] + 60);
    }
    const std::vector<time_t>& questions() const { return m_vtQuestions; }

  private:
    std::vector<time_t> m_vtStarts, m_vtQuestions;
};

GeneratedLog& generatedLog() {
    static GeneratedLog s_log;
    return s_log;
}

// Asks every question once a pass, after before() has run.
template <typename Before>
void askAll(benchmark::State& state, guint64 (*pfnAsk)(time_t), Before before) {
    const auto& questions = generatedLog().questions();
    for (auto _ : state) {
        before();
        for (time_t t : questions)
            benchmark::DoNotOptimize(pfnAsk(t));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(questions.size()));
}

void BM_AFHoursIndexed(benchmark::State& state) {
    generatedLog();
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
