// What keeping the log safe costs, on a 20-year log (5,000 flights,
// 20,000 maintenance records with notes):
// - saving one record (one commit) under each journal mode and
//   synchronous level, and as the program saves it;
// - the start-up checks (structure check, backup copy) against loading
//   every flight once, which start-up does anyway.
#include "avBackup.h"
#include "avLedger.h"
#include "bench_data.h"
#include "harness.h"
#include "sqlMLog.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <sstream>

namespace {

constexpr int kFlights = 5000;
constexpr int kMaint = 20000;

class GeneratedLog {
    avt::TempDirs m_dirs;

  public:
    GeneratedLog() {
        avPrepareEnvironment();
        if (!sqlInitialize())
            throw std::runtime_error(sqlLastError());
        std::mt19937 rng(15);
        std::uniform_int_distribution<int> dist(0, 20 * 365 * 86400);
        std::ostringstream sql;
        sql << "BEGIN;";
        for (int i = 0; i < kFlights; ++i)
            sql << "INSERT INTO Flight (iCSID, tFltBegin, nElapsed, strFrom, strTo, strNotes, "
                   "bDelete) VALUES (1,"
                << 1104537600 + dist(rng) << ",12,'Home','Away','Circuits and a short "
                << "cross-country, all normal',0);";
        for (int i = 0; i < kMaint; ++i)
            sql << "INSERT INTO Maintenance (iCompID, iACID, iType, tCompleted, strNotes, "
                   "bDelete) VALUES ("
                << i % 400 << ",1,1," << 1104537600 + dist(rng)
                << ",'Inspected, torqued and safety-wired; no play found',0);";
        sql << "COMMIT;";
        runSql(db(), sql.str());
        // Each benchmark opens the file its own way; a second connection
        // would keep the journal mode from changing.
        sqlClose();
    }
    ~GeneratedLog() { sqlClose(); }
    std::filesystem::path db() const { return m_dirs.etcFile("avLedger.db"); }
    // The program finds its files from the working directory.
    void enter() const { std::filesystem::current_path(m_dirs.bin()); }
};

GeneratedLog& generatedLog() {
    static GeneratedLog log;
    return log;
}

struct Mode {
    const char* pszJournal;
    const char* pszSync;
};
constexpr Mode m_lstModes[] = {
    {"DELETE", "FULL"}, {"DELETE", "NORMAL"}, {"WAL", "FULL"}, {"WAL", "NORMAL"}};

// One flight's notes changed and committed, as a row change saves it.
void BM_SaveRecord(benchmark::State& state) {
    const Mode& mode = m_lstModes[state.range(0)];
    state.SetLabel(std::string(mode.pszJournal) + "/" + mode.pszSync);
    sqlite3* h = nullptr;
    sqlite3_open(generatedLog().db().c_str(), &h);
    char** ppszResult = nullptr;
    int nRows = 0, nCols = 0;
    sqlite3_get_table(h, (std::string("PRAGMA journal_mode=") + mode.pszJournal).c_str(),
                      &ppszResult, &nRows, &nCols, nullptr);
    const bool bSet = nRows == 1 && g_ascii_strcasecmp(ppszResult[1], mode.pszJournal) == 0;
    sqlite3_free_table(ppszResult);
    if (!bSet) {
        state.SkipWithError("journal mode not set");
        sqlite3_close(h);
        return;
    }
    sqlite3_exec(h, (std::string("PRAGMA synchronous=") + mode.pszSync).c_str(), nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* p = nullptr;
    sqlite3_prepare_v2(h, "UPDATE Flight SET strNotes=? WHERE iFltID=?", -1, &p, nullptr);
    int i = 0;
    for (auto _ : state) {
        const std::string strNotes = "notes " + std::to_string(i);
        sqlite3_bind_text(p, 1, strNotes.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(p, 2, 1 + i++ % kFlights);
        if (sqlite3_step(p) != SQLITE_DONE)
            state.SkipWithError(sqlite3_errmsg(h));
        sqlite3_reset(p);
    }
    sqlite3_finalize(p);
    // Leave the file as the other benchmarks expect it.
    sqlite3_exec(h, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_close(h);
}

// The same through the program's own save, with its chosen settings.
void BM_SaveFlightAsTheProgram(benchmark::State& state) {
    generatedLog().enter();
    if (!sqlInitialize()) {
        state.SkipWithError(sqlLastError());
        return;
    }
    rcdFLog rcd{};
    cbFLog cb{&rcd, nullptr};
    sqlLoadFLogRecord(&cb, 1, 0);
    int i = 0;
    for (auto _ : state) {
        g_snprintf(rcd.szNotes, sizeof rcd.szNotes, "notes %d", i++);
        if (!sqlUpdateFLogRecord(&rcd))
            state.SkipWithError(sqlLastError());
    }
    sqlClose();
}

// Baseline for the start-up checks: every flight read once.
void BM_StartLoadFlights(benchmark::State& state) {
    sqlite3* h = nullptr;
    sqlite3_open(generatedLog().db().c_str(), &h);
    for (auto _ : state) {
        sqlite3_stmt* p = nullptr;
        sqlite3_prepare_v2(h, "SELECT * FROM Flight ORDER BY tFltBegin", -1, &p, nullptr);
        int n = 0;
        while (sqlite3_step(p) == SQLITE_ROW)
            n += sqlite3_column_bytes(p, 18);
        benchmark::DoNotOptimize(n);
        sqlite3_finalize(p);
    }
    sqlite3_close(h);
}

void BM_StartQuickCheck(benchmark::State& state) {
    sqlite3* h = nullptr;
    sqlite3_open(generatedLog().db().c_str(), &h);
    for (auto _ : state) {
        if (sqlite3_exec(h, "PRAGMA quick_check", nullptr, nullptr, nullptr) != SQLITE_OK)
            state.SkipWithError(sqlite3_errmsg(h));
    }
    sqlite3_close(h);
}

// A start after a session with edits: a full copy, compared with the
// newest copy first.
void BM_StartBackUp(benchmark::State& state) {
    sqlite3* h = nullptr;
    sqlite3_open(generatedLog().db().c_str(), &h);
    const auto dir = generatedLog().db().parent_path() / "backup";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(dir);
        state.ResumeTiming();
        if (!bkpBackUp(h, "avLedger"))
            state.SkipWithError("no copy made");
    }
    sqlite3_close(h);
}

// A start without edits: the copy is made and found equal to the newest.
void BM_StartBackUpUnchanged(benchmark::State& state) {
    sqlite3* h = nullptr;
    sqlite3_open(generatedLog().db().c_str(), &h);
    bkpBackUp(h, "avLedger");
    for (auto _ : state) {
        if (bkpBackUp(h, "avLedger"))
            state.SkipWithError("a copy of an unchanged file");
    }
    sqlite3_close(h);
}

} // namespace

BENCHMARK(BM_SaveRecord)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_SaveFlightAsTheProgram)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_StartLoadFlights)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartQuickCheck)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartBackUp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartBackUpUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime();
