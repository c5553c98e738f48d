// The due list and the maintenance report of a twenty-year log: 400 cards,
// 20,000 maintenance records with notes, 5,000 flights, 20 pilots. Measured
// against a baseline that only walks the finished component tree, in the
// same run.
#include "avDue.h"
#include "avLedger.h"
#include "avParam.h"
#include "avReport.h"
#include "bench_data.h"
#include "harness.h"
#include "modComp.h"
#include "modFLog.h"
#include "modMaint.h"
#include "modPilot.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <sstream>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

constexpr int kCards = 400;
constexpr int kRecords = 20000;
constexpr int kFlights = 5000;
constexpr int kPilots = 20;

class DueLog {
    avt::TempDirs m_dirs; // first: the data directory exists before anything opens it

  public:
    DueLog() {
        avPrepareEnvironment();
        open();
        rcdAC rcd;
        memset(&rcd, 0, sizeof rcd);
        rcd.iACID = SQL_NEW_ID;
        g_strlcpy(rcd.szReg, "ZK-DUE", sizeof rcd.szReg);
        g_strlcpy(rcd.szModel, "Two-seat kit helicopter", sizeof rcd.szModel);
        rcd.tManu = 1104537600; // 1-Jan-2005
        rcd.bLogSinceNew = TRUE;
        if (!sqlUpdateAircraftRecord(&rcd))
            throw std::runtime_error(sqlLastError());
        m_iACID = rcd.iACID;

        std::mt19937 rng(16);
        const time_t tStart = rcd.tManu;
        const int nSpan = 20 * 365 * 86400;
        std::ostringstream log;
        log << "BEGIN;";
        for (int i = 0; i < kFlights; ++i) {
            time_t tBegin = tStart + time_t(rng() % nSpan);
            int nElapsed = 3 + int(rng() % 23);
            log << "INSERT INTO Flight (iCSID, tFltBegin, tFltEnd, nElapsed, bDelete) VALUES ("
                << m_iACID << "," << tBegin << "," << tBegin + nElapsed * 360 << "," << nElapsed
                << ",0);";
        }
        const guint subIDs[] = {1,  25, 2,  3,  4,  5,  6,  8,  9,  10, 11, 12, 13, 14, 15,
                                17, 18, 20, 21, 22, 23, 24, 26, 27, 28, 29, 30, 31, 32};
        const guint inspect[] = {0, 25, 50, 100, 300};
        const guint rco[] = {0, 300, 1000, 2000, 3u << 16, 1000 | 5u << 16, 0x80000000u};
        std::ostringstream cat;
        cat << "BEGIN;";
        for (int i = 1; i <= kCards; ++i)
            cat << "INSERT INTO Component (iCompID, iGroupID, iSortOrder, strPartNmbr, "
                   "strPartDesc, nInspect, nRCO, bDelete) VALUES ("
                << i << "," << subIDs[i % 29] << "," << i << ",'PN-" << i << "','Component " << i
                << "'," << inspect[rng() % 5] << "," << rco[rng() % 7] << ",0);";
        cat << "COMMIT;";
        const guint kinds[] = {0, 0, 0, 0, 1, 2, 4, 8};
        for (int i = 0; i < kRecords; ++i)
            log << "INSERT INTO Maintenance (iCompID, iACID, iType, bFlags, tCompleted, "
                   "nCompHours, nCompAge, nDeferHours, nDeferDays, bDelete, strNotes) VALUES ("
                << 1 + i % kCards << "," << m_iACID << ",0," << kinds[rng() % 8] << ","
                << tStart + time_t(rng() % nSpan) << "," << rng() % 500 << ",0," << rng() % 100
                << "," << rng() % 30 << ",0,'"
                << (i % 3 ? "Checked, safety-wired and torqued to the figure on the card." : "")
                << "');";
        for (int i = 0; i < kPilots; ++i)
            log << "INSERT INTO Pilot (strLName, strFName, strSortKey, tNextMed, tNextFR) VALUES "
                   "('Pilot"
                << i << "','P','PILOT" << i << "P'," << time(nullptr) + (i - 5) * 10 * 86400 << ","
                << time(nullptr) + (i - 10) * 20 * 86400 << ");";
        log << "COMMIT;";
        runSql(m_dirs.etcFile("avLedger.db"), log.str());
        runSql(m_dirs.etcFile("avCCD.db"), cat.str());
        makeCurrent();
    }
    // Other benchmarks of this program may have made their own data current.
    void makeCurrent() {
        if (fs::current_path() == m_dirs.bin() && acdGetActiveAC()->iACID == m_iACID)
            return;
        open();
        if (!acdLoadActiveAC(m_iACID) || !pmodInitialize())
            throw std::runtime_error("no active aircraft");
        cmodSetClock(1735689600);            // 1-Jan-2025: reproducible due states
        cmodSetMarkTime(100, 2u << 24 | 1u); // 10 hours and a month ahead
        if (!cmodLoadModel(SQL_NEW_ID))
            throw std::runtime_error("tree build cancelled");
    }
    fs::path out(const char* pszName) const { return m_dirs.root() / pszName; }

  private:
    void open() {
        fs::current_path(m_dirs.bin());
        prmLoadKeyFile();
        if (!sqlInitialize())
            throw std::runtime_error(sqlLastError());
        fmodInitialize();
        cmodInitialize(FALSE);
        mmodInitialize();
    }
    guint m_iACID = 0;
};

DueLog& dueLog() {
    static DueLog s_log;
    s_log.makeCurrent();
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
    DueLog& log = dueLog();
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
    DueLog& log = dueLog();
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
