// Shared set-up of the component and maintenance tests: a fresh data
// directory with real log and catalogue databases, an active aircraft with
// its flight log, cards and maintenance records written through storage.
#pragma once

#include "avCnv.h"
#include "avParam.h"
#include "harness.h"
#include "modComp.h"
#include "modFLog.h"
#include "modMaint.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace avct {

constexpr guint ALL = 0xFFFFFFFFu;

inline time_t utc(int nYear, int nMon, int nDay, int nHour = 0, int nMin = 0, int nSec = 0) {
    struct tm tmT {};
    tmT.tm_year = nYear - 1900;
    tmT.tm_mon = nMon - 1;
    tmT.tm_mday = nDay;
    tmT.tm_hour = nHour;
    tmT.tm_min = nMin;
    tmT.tm_sec = nSec;
    return timegm(&tmT);
}

// Packed replacement limits and the flag bytes of the record kinds.
inline guint hoursLimit(guint nHours) {
    return nHours;
}
inline guint yearsLimit(guint nYears) {
    return nYears << 16;
}

struct Flight {
    time_t tBegin;
    guint nTenths;
};

struct Rec {
    guint bFlags;
    time_t tComplete;
    guint nCompHours = 0;
    guint nCompAge = 0;
    guint nDeferHours = 0;
    guint nDeferDays = 0;
};

struct CardSpec {
    guint iGroupID = 1;  // sub-group ID, or group ID with bLevel
    bool bLevel = false; // hangs directly on the group
    const char* pszDesc = "Part";
    guint nSort = 0;
    guint nInspIntv = 0; // whole hours
    guint nRCOIntv = 0;  // packed limit
    guint bOptEng = 0;   // engine mask (the other masks 0)
    guint bOptHeli = 0;
    guint bOptTailRotor = 0;
};

// A summary as one line, so that two summaries compare with a readable diff.
inline std::string summaryText(const mntState& s) {
    return "insp " + std::to_string(s.tInspLast) + " rco " + std::to_string(s.tRCOLast) + " hrs " +
           std::to_string(s.nRCOHours) + " age " + std::to_string(s.nRCOAge) + " deferRCO " +
           std::to_string(s.tDeferRCOLast) + "/" + std::to_string(s.nDeferRCOHours) + "/" +
           std::to_string(s.nDeferRCODays) + " deferInsp " + std::to_string(s.tDeferInspLast) +
           "/" + std::to_string(s.nDeferInspHours) + "/" + std::to_string(s.nDeferInspDays);
}

class CompTest : public testing::Test {
  protected:
    void SetUp() override {
        m_dirs = std::make_unique<avt::TempDirs>();
        prmLoadKeyFile();
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        fmodInitialize();
        cmodInitialize(editMode());
        mmodInitialize();
        cmodSetClock(0);
    }
    void TearDown() override {
        cmodSetClock(0);
        cmodClearModel();
        mmodClearModel();
        fmodClearModel();
        m_dirs.reset();
    }
    virtual gboolean editMode() const { return FALSE; }

    avt::fs::path logDb() const { return m_dirs->etcFile("avLedger.db"); }
    avt::fs::path catDb() const { return m_dirs->etcFile("avCCD.db"); }

    // A stored aircraft; option codes default to 0 ("standard").
    guint addAircraft(time_t tManu, gboolean bSinceNew = TRUE, guint nLogHours = 0,
                      gint iEngineOpt = 0, gint iOtherOpt = 0) {
        rcdAC rcd{};
        rcd.iACID = ALL;
        g_strlcpy(rcd.szReg, "ZK-TST", sizeof rcd.szReg);
        rcd.tManu = tManu;
        rcd.bLogSinceNew = bSinceNew;
        rcd.nLogHours = nLogHours;
        rcd.iEngineOpt = iEngineOpt;
        rcd.iHeliOpt = rcd.iClutchOpt = rcd.iMainDriveOpt = rcd.iMainRotorOpt = rcd.iMRSystemOpt =
            rcd.iTRSliderOpt = rcd.iTailDriveOpt = rcd.iTailRotorOpt = iOtherOpt;
        EXPECT_TRUE(sqlUpdateAircraftRecord(&rcd)) << sqlLastError();
        return rcd.iACID;
    }
    void addFlights(guint iACID, const std::vector<Flight>& flights) {
        for (const Flight& f : flights) {
            rcdFLog rcd{};
            rcd.iFLogID = ALL;
            rcd.iCSID = iACID;
            rcd.tFltBegin = f.tBegin;
            rcd.tFltEnd = f.tBegin + 360 * f.nTenths;
            rcd.nElapsed = f.nTenths;
            EXPECT_TRUE(sqlUpdateFLogRecord(&rcd)) << sqlLastError();
        }
    }
    guint addCard(const CardSpec& s) {
        rcdComp rcd{};
        rcd.iCompID = ALL;
        rcd.iGroupID = s.iGroupID;
        rcd.iGroupLevel = s.bLevel ? 1 : 0;
        g_strlcpy(rcd.szPartDesc, s.pszDesc, sizeof rcd.szPartDesc);
        g_strlcpy(rcd.szPartNmbr, "PN-1", sizeof rcd.szPartNmbr);
        rcd.iSortOrder = s.nSort;
        rcd.nInspIntv = s.nInspIntv;
        rcd.nRCOIntv = s.nRCOIntv;
        rcd.bOptEng = s.bOptEng;
        rcd.bOptHeli = s.bOptHeli;
        rcd.bOptTailRotor = s.bOptTailRotor;
        EXPECT_TRUE(sqlUpdateCompCard(&rcd)) << sqlLastError();
        return rcd.iCompID;
    }
    void addDrawing(guint iCompID, const char* pszFile) {
        rcdRef rcd{};
        rcd.iRefID = ALL;
        rcd.iCompID = iCompID;
        g_strlcpy(rcd.szDrawing, pszFile, sizeof rcd.szDrawing);
        EXPECT_TRUE(sqlUpdateRefRecord(&rcd)) << sqlLastError();
    }
    guint addRecord(guint iACID, guint iCompID, const Rec& r) {
        rcdMaint rcd{};
        rcd.iMaintID = ALL;
        rcd.iCompID = iCompID;
        rcd.bFlags = guint8(r.bFlags);
        rcd.tComplete = r.tComplete;
        rcd.nCompHours = r.nCompHours;
        rcd.nCompAge = r.nCompAge;
        rcd.nDeferHours = r.nDeferHours;
        rcd.nDeferDays = r.nDeferDays;
        EXPECT_TRUE(sqlUpdateMaintRecord(&rcd, iACID)) << sqlLastError();
        return rcd.iMaintID;
    }
    void activate(guint iACID) { ASSERT_TRUE(acdLoadActiveAC(iACID)); }

    // Reads one column of a row as the given type.
    template <typename T> T col(GtkTreeIter* piter, int nCol) {
        T v{};
        gtk_tree_model_get(cmodGetModel(), piter, nCol, &v, -1);
        return v;
    }
    std::string text(GtkTreeIter* piter, int nCol) {
        gchar* psz = nullptr;
        gtk_tree_model_get(cmodGetModel(), piter, nCol, &psz, -1);
        std::string str = psz ? psz : "<null>";
        g_free(psz);
        return str;
    }

    std::unique_ptr<avt::TempDirs> m_dirs;
};

} // namespace avct
