// Shared by the benchmarks: filling a generated data directory, and the
// one generated 20-year log.
#pragma once

#include "avLedger.h"
#include "avParam.h"
#include "harness.h"
#include "modComp.h"
#include "modFLog.h"
#include "modMaint.h"
#include "modPilot.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <sqlite3.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

// Runs statements on a SQLite file; a failure stops the benchmark, so it
// never measures a half-filled database.
inline void runSql(const std::filesystem::path& db, const std::string& strSql) {
    sqlite3* h = nullptr;
    if (sqlite3_open(db.c_str(), &h) != SQLITE_OK) {
        sqlite3_close(h);
        throw std::runtime_error("open " + db.string());
    }
    char* pszErr = nullptr;
    int rc = sqlite3_exec(h, strSql.c_str(), nullptr, nullptr, &pszErr);
    std::string strErr = pszErr ? pszErr : "";
    sqlite3_free(pszErr);
    sqlite3_close(h);
    if (rc != SQLITE_OK)
        throw std::runtime_error(strErr);
}

// ---- the 20-year log of a large aircraft ----
// 400 cards over every group and sub-group (one in ten restricted to
// engines 2 and 3), each with a drawing; 20,000 maintenance records, every
// third without notes; 5,000 flights from 1-Jan-2005, about five a week;
// 20 pilots with medicals and flight reviews around today. Generated into a
// fresh temporary data directory; the same seed gives the same log.
namespace avb {

constexpr int kCards = 400;
constexpr int kRecords = 20000;
constexpr int kFlights = 5000;
constexpr int kPilots = 20;
constexpr time_t kLogStart = 1104537600; // 1-Jan-2005
constexpr time_t kClock = 1735689600;    // 1-Jan-2025: reproducible due states

class TwentyYearLog {
    avt::TempDirs m_dirs; // first: the data directory exists before anything opens it
    guint m_iACID = 0;

  public:
    explicit TwentyYearLog(const char* pszReg) {
        avPrepareEnvironment();
        open();
        rcdAC rcd;
        memset(&rcd, 0, sizeof rcd);
        rcd.iACID = SQL_NEW_ID;
        g_strlcpy(rcd.szReg, pszReg, sizeof rcd.szReg);
        g_strlcpy(rcd.szModel, "Two-seat kit helicopter", sizeof rcd.szModel);
        rcd.tManu = kLogStart;
        rcd.bLogSinceNew = TRUE;
        rcd.iEngineOpt = 3;
        if (!sqlUpdateAircraftRecord(&rcd))
            throw std::runtime_error(sqlLastError());
        m_iACID = rcd.iACID;
        fill();
        load();
    }
    // Other benchmarks of this program may have made their own data
    // current, or a run of the program released the models; takes ours
    // back. TRUE when it had to.
    bool makeCurrent() {
        if (current() == this)
            return false;
        load();
        return true;
    }
    // After a run of the program the models are empty.
    static void forgetCurrent() { current() = nullptr; }
    void loadComponents() {
        if (!cmodLoadModel(SQL_NEW_ID))
            throw std::runtime_error("tree build cancelled");
    }
    // Current, with the tree marked 10 hours and a month ahead.
    void makeCurrentWithMark() {
        if (makeCurrent() || cmodGetMarkHours() != 100) {
            cmodSetMarkTime(100, 2u << 24 | 1u);
            loadComponents();
        }
    }
    // What the program itself needs to start on this data.
    void prepareForProgram() {
        avt::copyUiFile(m_dirs);
        avt::writeFile(m_dirs.etcFile("avLedger.conf"),
                       "[Aircraft]\nACID=" + std::to_string(m_iACID) + "\n");
    }
    std::filesystem::path out(const char* pszName) const { return m_dirs.root() / pszName; }

  private:
    static const TwentyYearLog*& current() {
        static const TwentyYearLog* s_pCurrent = nullptr;
        return s_pCurrent;
    }
    void open() {
        std::filesystem::current_path(m_dirs.bin());
        prmLoadKeyFile();
        if (!sqlInitialize())
            throw std::runtime_error(sqlLastError());
        fmodInitialize();
        cmodInitialize(FALSE);
        mmodInitialize();
    }
    void load() {
        open();
        if (!acdLoadActiveAC(m_iACID) || !pmodInitialize())
            throw std::runtime_error("no active aircraft");
        cmodSetClock(kClock);
        loadComponents();
        current() = this;
    }

    void fill() {
        std::mt19937 rng(400);
        const int nSpan = 20 * 365 * 86400;
        std::ostringstream log;
        log << "BEGIN;";
        for (int i = 0; i < kFlights; ++i) {
            time_t tBegin = kLogStart + time_t(rng() % nSpan);
            int nElapsed = 3 + int(rng() % 23);
            log << "INSERT INTO Flight (iCSID, iPilotID, iStudentID, tFltBegin, tFltEnd, "
                   "nElapsed, nFltType, strFrom, strTo, strPaxList, strNotes, bDelete) VALUES ("
                << m_iACID << ",0,0," << tBegin << "," << tBegin + nElapsed * 360 << "," << nElapsed
                << ",0,'Home','Away','','',0);";
        }
        const guint subIDs[] = {1,  25, 2,  3,  4,  5,  6,  8,  9,  10, 11, 12, 13, 14, 15,
                                17, 18, 20, 21, 22, 23, 24, 26, 27, 28, 29, 30, 31, 32};
        const guint inspect[] = {0, 25, 50, 100, 300};
        const guint rco[] = {0, 300, 1000, 2000, 3u << 16, 1000 | 5u << 16, 0x80000000u};
        std::ostringstream cat;
        cat << "BEGIN;";
        for (int i = 1; i <= kCards; ++i) {
            guint iGroup = i % 31 < 29 ? subIDs[i % 31] : (0x80000000u | (7 + i % 31 - 29));
            cat << "INSERT INTO Component (iCompID, iGroupID, iSortOrder, strPartNmbr, "
                   "strPartDesc, nInspect, nRCO, bOptEngine, bDelete) VALUES ("
                << i << "," << iGroup << "," << i << ",'PN-" << i << "','Component " << i << "',"
                << inspect[rng() % 5] << "," << rco[rng() % 7] << "," << (i % 10 == 0 ? 0xC : 0)
                << ",0);";
            cat << "INSERT INTO Reference (iCompID, strDrawing, nRotate, bDelete) VALUES (" << i
                << ",'drawing-" << i << ".png',0,0);";
        }
        cat << "COMMIT;";
        const guint kinds[] = {0, 0, 0, 0, 1, 2, 4, 8};
        for (int i = 0; i < kRecords; ++i)
            log << "INSERT INTO Maintenance (iCompID, iACID, iType, bFlags, tCompleted, "
                   "nCompHours, nCompAge, nDeferHours, nDeferDays, bDelete, strNotes) VALUES ("
                << 1 + i % kCards << "," << m_iACID << ",0," << kinds[rng() % 8] << ","
                << kLogStart + time_t(rng() % nSpan) << "," << rng() % 500 << ",0," << rng() % 100
                << "," << rng() % 30 << ",0,'"
                << (i % 3 ? "Checked, safety-wired and torqued to the figure on the card." : "")
                << "');";
        const time_t tNow = time(nullptr);
        for (int i = 0; i < kPilots; ++i)
            log << "INSERT INTO Pilot (strLName, strFName, strSortKey, tNextMed, tNextFR) VALUES "
                   "('Pilot"
                << i << "','P','PILOT" << i << "P'," << tNow + (i - 5) * 10 * 86400 << ","
                << tNow + (i - 10) * 20 * 86400 << ");";
        log << "COMMIT;";
        runSql(m_dirs.etcFile("avLedger.db"), log.str());
        runSql(m_dirs.etcFile("avCCD.db"), cat.str());
    }
};

} // namespace avb
