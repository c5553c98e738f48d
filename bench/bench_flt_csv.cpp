// Importing the 5,000 flights of a 20-year log from CSV, preview included
// (read, match columns, judge every row against the stored log and the
// pilots, back up the database, store in one transaction), against a plain
// baseline in the same run: the same flights stored in one transaction
// without any file. Report the time per import and the ratio of the two.
#include "avFltCSV.h"
#include "avLedger.h"
#include "bench_data.h"
#include "harness.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <random>
#include <sstream>

namespace {

constexpr int kFlights = 5000;

// A log database with the generated flights on one aircraft, exported once.
class CsvLog {
    avt::TempDirs m_dirs; // first: the data directory exists before anything opens it

  public:
    CsvLog() {
        avPrepareEnvironment();
        if (!sqlInitialize())
            throw std::runtime_error(sqlLastError());
        guint iACID = newAircraft();
        // Twenty years from 2005, about five flights a week, as the flight
        // log benchmark generates them.
        std::mt19937 rng(5000);
        std::uniform_int_distribution<int> secondsDist(0, 20 * 365 * 86400);
        std::uniform_int_distribution<int> elapsedDist(3, 25);
        std::ostringstream sql;
        sql << "BEGIN;";
        for (int i = 0; i < kFlights; ++i) {
            long long tBegin = 1104537600LL + secondsDist(rng);
            int nElapsed = elapsedDist(rng);
            sql << "INSERT INTO Flight (iCSID, iPilotID, iStudentID, tFltBegin, tFltEnd, "
                   "nElapsed, nFltType, strFrom, strTo, strPaxList, strNotes, bDelete) VALUES ("
                << iACID << ",0,0," << tBegin << "," << tBegin + nElapsed * 360 << "," << nElapsed
                << ",0,'Home','Away','','',0);";
        }
        sql << "COMMIT;";
        runSql(m_dirs.etcFile("avLedger.db"), sql.str());
        if (!fcsvExportText(iACID, &m_strCSV))
            throw std::runtime_error(sqlLastError());
    }
    // Each import goes into an aircraft of its own, made active, so nothing
    // is refused as already logged; the previous import's flights are
    // dropped first, so that every import meets a log of the same size.
    guint freshAircraft() {
        sqlite3_exec(sqlLogHandle(), "DELETE FROM Flight WHERE iCSID <> 1", nullptr, nullptr,
                     nullptr);
        const guint iACID = newAircraft();
        if (!acdLoadActiveAC(iACID))
            throw std::runtime_error(sqlLastError());
        return iACID;
    }
    guint newAircraft() {
        rcdAC rcd{};
        rcd.iACID = SQL_NEW_ID;
        g_strlcpy(rcd.szReg, "ZK-CSV", sizeof rcd.szReg);
        if (!sqlUpdateAircraftRecord(&rcd))
            throw std::runtime_error(sqlLastError());
        return rcd.iACID;
    }
    const std::string& csv() const { return m_strCSV; }

  private:
    std::string m_strCSV;
};

CsvLog& csvLog() {
    static CsvLog s_log;
    return s_log;
}

void BM_ImportWithPreview(benchmark::State& state) {
    CsvLog& log = csvLog();
    for (auto _ : state) {
        state.PauseTiming();
        guint iACID = log.freshAircraft();
        state.ResumeTiming();
        fcsvTable table;
        fcsvPreview preview;
        std::string strWhy, strBackup;
        if (!fcsvParseText(log.csv(), &table, &strWhy) ||
            !fcsvBuildPreview(table, fcsvMatchColumns(table), {}, &preview) ||
            preview.lstFlight.size() != kFlights ||
            !fcsvImport(preview, iACID, FALSE, &strBackup, &strWhy)) {
            state.SkipWithError("import failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kFlights);
}

// The floor: the same flights stored through the same record writer in one
// transaction, with no file read, no judgement and no backup.
void BM_PlainStore(benchmark::State& state) {
    CsvLog& log = csvLog();
    fcsvTable table;
    fcsvPreview preview;
    std::string strWhy;
    log.freshAircraft();
    if (!fcsvParseText(log.csv(), &table, &strWhy) ||
        !fcsvBuildPreview(table, fcsvMatchColumns(table), {}, &preview)) {
        state.SkipWithError("preview failed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        guint iACID = log.freshAircraft();
        state.ResumeTiming();
        sqlite3_exec(sqlLogHandle(), "BEGIN", nullptr, nullptr, nullptr);
        for (const fcsvFlight& f : preview.lstFlight) {
            rcdFLog rcd{};
            rcd.iFLogID = SQL_NEW_ID;
            rcd.iCSID = iACID;
            rcd.tFltBegin = f.tFltBegin;
            rcd.tFltEnd = f.tFltEnd;
            rcd.nElapsed = f.nElapsed;
            g_strlcpy(rcd.szFrom, f.strFrom.c_str(), sizeof rcd.szFrom);
            g_strlcpy(rcd.szTo, f.strTo.c_str(), sizeof rcd.szTo);
            sqlUpdateFLogRecord(&rcd);
        }
        sqlite3_exec(sqlLogHandle(), "COMMIT", nullptr, nullptr, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * kFlights);
}

BENCHMARK(BM_ImportWithPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainStore)->Unit(benchmark::kMillisecond);

} // namespace
