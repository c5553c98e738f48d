// Shared set-up of the component and maintenance tests: a fresh data
// directory with real log and catalogue databases, an active aircraft with
// its flight log, cards and maintenance records written through storage.
#pragma once

#include "avCnv.h"
#include "avErrLog.h"
#include "avParam.h"
#include "harness.h"
#include "modComp.h"
#include "modFLog.h"
#include "modMaint.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace avct {

using avt::utc;
constexpr guint ALL = 0xFFFFFFFFu;

using Flight = std::pair<time_t, guint>; // start, tenths of an hour

struct Rec {
    guint bFlags;
    time_t tComplete;
    guint nCompHours = 0, nCompAge = 0, nDeferHours = 0, nDeferDays = 0;
};

struct CardSpec {
    guint iGroupID = 1;  // sub-group ID, or group ID with bLevel
    bool bLevel = false; // hangs directly on the group
    const char* pszDesc = "Part";
    guint nSort = 0, nInspIntv = 0, nRCOIntv = 0; // whole hours; packed limit
    guint bOptEng = 0, bOptHeli = 0;
};

// One column of a row; strings come back as std::string ("<null>" for none).
template <typename T> T col(GtkTreeIter* piter, int nCol, GtkTreeModel* pModel = cmodGetModel()) {
    T v{};
    gtk_tree_model_get(pModel, piter, nCol, &v, -1);
    return v;
}
// A date as the cards show it.
inline std::string dateText(time_t t) {
    char sz[40];
    cnvDcdDate(sz, sizeof sz, t, 0);
    return sz;
}

inline std::string text(GtkTreeIter* piter, int nCol, GtkTreeModel* pModel = cmodGetModel()) {
    gchar* psz = col<gchar*>(piter, nCol, pModel);
    std::string str = psz ? psz : "<null>";
    g_free(psz);
    return str;
}

// Calls fn on every row of the tree below a parent, depth-first.
inline void eachRow(const std::function<void(GtkTreeIter*)>& fn,
                    GtkTreeIter* piterParent = nullptr) {
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(cmodGetModel(), &iter, piterParent); b;
         b = gtk_tree_model_iter_next(cmodGetModel(), &iter))
        fn(&iter), eachRow(fn, &iter);
}

// Rows below a parent as "Name[children]" joined by ",": cards as "*Name",
// "{DRAWING}" when they have one, "/i" in italics, "(colour weight)" unless
// black 400; groups end a line.
inline std::string outline(GtkTreeIter* piterParent = nullptr) {
    std::string str;
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(cmodGetModel(), &iter, piterParent); b;
         b = gtk_tree_model_iter_next(cmodGetModel(), &iter)) {
        if (!str.empty() && piterParent)
            str += ",";
        std::string strDrawing = text(&iter, CCD_DRAWING_COL),
                    strLook = text(&iter, CCD_COLOUR_COL);
        strLook += " " + std::to_string(col<guint>(&iter, CCD_WEIGHT_COL));
        str +=
            (col<guint>(&iter, CCD_TYPE_COL) == TYPE_COMP ? "*" : "") + text(&iter, CCD_COMP_COL);
        str += strDrawing == "" || strDrawing == "<null>" ? "" : "{" + strDrawing + "}";
        str += col<guint>(&iter, CCD_STYLE_COL) == 2 ? "/i" : "";
        str += strLook == "black 400" ? "" : "(" + strLook + ")";
        std::string strBelow = outline(&iter);
        str += strBelow.empty() ? "" : "[" + strBelow + "]";
        str += piterParent ? "" : "\n";
    }
    return str;
}

// A summary as one line, so that two summaries compare with a readable diff.
inline std::string summaryText(const mntState& s) {
    char sz[200];
    snprintf(sz, sizeof sz, "insp %lld rco %lld %u/%x deferRCO %lld %u/%u deferInsp %lld %u/%u",
             (long long)s.tInspLast, (long long)s.tRCOLast, s.nRCOHours, s.nRCOAge,
             (long long)s.tDeferRCOLast, s.nDeferRCOHours, s.nDeferRCODays,
             (long long)s.tDeferInspLast, s.nDeferInspHours, s.nDeferInspDays);
    return sz;
}

// A stored aircraft, as a builder leaves a new one unless told otherwise.
struct ACSpec {
    time_t tManu = utc(2020, 1, 1);
    const char* pszReg = "ZK-TST";
    gint iEngineOpt = 0, iOtherOpt = 0; // one code for every other option
    gboolean bLogSinceNew = TRUE;
    time_t tLogStart = 0;
    guint nLogHours = 0;
    gint nFcstRate = -1; // tenths a month set by hand; -1: worked out
};

class CompTest : public testing::Test {
  protected:
    void SetUp() override {
        m_dirs = std::make_unique<avt::TempDirs>();
        prepareData();
        prmLoadKeyFile();
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        fmodInitialize();
        cmodInitialize(FALSE);
        mmodInitialize();
    }
    void TearDown() override {
        cmodSetClock(0);
        cmodClearModel();
        mmodClearModel();
        fmodClearModel();
        m_dirs.reset();
    }
    // Override to put files into etc/ before the databases are opened.
    virtual void prepareData() {}

    avt::fs::path logDb() const { return m_dirs->etcFile("avLedger.db"); }
    avt::fs::path catDb() const { return m_dirs->etcFile("avCCD.db"); }

    guint addAircraft(const ACSpec& s = {}) {
        rcdAC rcd{};
        g_strlcpy(rcd.szReg, s.pszReg, sizeof rcd.szReg);
        rcd.iACID = ALL, rcd.tManu = s.tManu, rcd.iEngineOpt = s.iEngineOpt;
        rcd.iHeliOpt = rcd.iClutchOpt = rcd.iMainDriveOpt = rcd.iMainRotorOpt = rcd.iMRSystemOpt =
            rcd.iTRSliderOpt = rcd.iTailDriveOpt = rcd.iTailRotorOpt = s.iOtherOpt;
        rcd.bLogSinceNew = s.bLogSinceNew, rcd.tLogStart = s.tLogStart;
        rcd.nLogHours = s.nLogHours;
        rcd.bFcstRate = s.nFcstRate >= 0, rcd.nFcstRate = guint(std::max(s.nFcstRate, 0));
        EXPECT_TRUE(sqlUpdateAircraftRecord(&rcd)) << sqlLastError();
        return rcd.iACID;
    }
    void addFlights(guint iACID, const std::vector<Flight>& flights) {
        for (const auto& [t, n] : flights) {
            rcdFLog rcd{};
            rcd.iFLogID = ALL, rcd.iCSID = iACID, rcd.tFltBegin = t, rcd.tFltEnd = t + 360 * n;
            rcd.nElapsed = n;
            EXPECT_TRUE(sqlUpdateFLogRecord(&rcd)) << sqlLastError();
        }
    }
    guint addCard(const CardSpec& s, std::vector<const char*> drawings = {}) {
        rcdComp rcd{};
        rcd.iCompID = ALL, rcd.iGroupID = s.iGroupID, rcd.iGroupLevel = s.bLevel;
        rcd.iSortOrder = s.nSort, rcd.nInspIntv = s.nInspIntv, rcd.nRCOIntv = s.nRCOIntv;
        rcd.bOptEng = s.bOptEng, rcd.bOptHeli = s.bOptHeli;
        g_strlcpy(rcd.szPartDesc, s.pszDesc, sizeof rcd.szPartDesc);
        EXPECT_TRUE(sqlUpdateCompCard(&rcd)) << sqlLastError();
        for (const char* pszFile : drawings) {
            rcdRef ref{};
            ref.iRefID = ALL, ref.iCompID = rcd.iCompID;
            g_strlcpy(ref.szDrawing, pszFile, sizeof ref.szDrawing);
            EXPECT_TRUE(sqlUpdateRefRecord(&ref)) << sqlLastError();
        }
        return rcd.iCompID;
    }
    guint addRecord(guint iACID, guint iCompID, const Rec& r) {
        rcdMaint rcd{};
        rcd.iMaintID = ALL, rcd.iCompID = iCompID, rcd.bFlags = guint8(r.bFlags);
        rcd.tComplete = r.tComplete, rcd.nCompHours = r.nCompHours, rcd.nCompAge = r.nCompAge;
        rcd.nDeferHours = r.nDeferHours, rcd.nDeferDays = r.nDeferDays;
        EXPECT_TRUE(sqlUpdateMaintRecord(&rcd, iACID)) << sqlLastError();
        return rcd.iMaintID;
    }
    void activate(guint iACID) { ASSERT_TRUE(acdLoadActiveAC(iACID)); }

    std::unique_ptr<avt::TempDirs> m_dirs;
};

// Stands in for the error dialog while it lives: answers each report with
// the next queued response (then OK) and keeps "locus::function error".
class Reports {
  public:
    explicit Reports(std::vector<int> lstAnswers = {}) {
        s_lstAnswers = std::move(lstAnswers);
        s_lstSeen.clear();
        m_pfnOld = dlgSetReporter(
            [](const gchar* pszError, const gchar* pszFunction, const gchar* pszLocus) {
                const size_t n = s_lstSeen.size();
                s_lstSeen.push_back(std::string(pszLocus) + "::" + pszFunction + " " + pszError);
                return n < s_lstAnswers.size() ? s_lstAnswers[n] : int(GTK_RESPONSE_OK);
            });
    }
    ~Reports() { dlgSetReporter(m_pfnOld); }
    long count(const char* pszPart) const {
        return std::count_if(s_lstSeen.begin(), s_lstSeen.end(),
                             [&](auto& s) { return s.find(pszPart) != std::string::npos; });
    }
    size_t size() const { return s_lstSeen.size(); }

  private:
    static inline std::vector<int> s_lstAnswers;
    static inline std::vector<std::string> s_lstSeen;
    dlgReporter m_pfnOld;
};

} // namespace avct
