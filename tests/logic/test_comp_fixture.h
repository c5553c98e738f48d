// The one way the logic tests build a test log: a fresh data directory with
// real log and catalogue databases, an active aircraft with its flight log,
// cards and maintenance records written through storage; and a known
// history for the due list and the report.
#pragma once

#include "avCnv.h"
#include "avDue.h"
#include "avErrLog.h"
#include "avParam.h"
#include "harness.h"
#include "modComp.h"
#include "modFLog.h"
#include "modMaint.h"
#include "modPilot.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
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

// ---- An aircraft with a known history for the due list and the report: one
// card for each way a component falls due, one that is not due, and four
// pilots around the look-ahead mark's calendar span.

constexpr guint kMarkHours = 100;                 // 10.0 hrs
constexpr guint kMarkSpan = INTV_DAY << 24 | 30u; // 30 days

inline time_t today() {
    time_t t = time(nullptr);
    return t - t % 86400;
}

class DueScenario : public CompTest {
  protected:
    void SetUp() override {
        CompTest::SetUp();
        const time_t tFitted = today() - 4 * 365 * 86400;
        m_tCalendarDue = cnvAddCalendar(tFitted, INTV_YEAR, 3);
        guint iACID = addAircraft();
        // 30.0 hrs before 1-Mar-2020, 60.0 in all.
        addFlights(iACID, {{utc(2020, 2, 1), 300}, {utc(2020, 4, 1), 300}});
        addCard({.iGroupID = 1, .pszDesc = "Hours Insp", .nSort = 1, .nInspIntv = 50});
        addCard({.iGroupID = 1, .pszDesc = "Within Mark", .nSort = 2, .nInspIntv = 65});
        m_iNotDue = addCard({.iGroupID = 1,
                             .pszDesc = "Not Due <Seal> & \"ring\", ø",
                             .nSort = 3,
                             .nInspIntv = 500});
        guint iCal = addCard({.iGroupID = 4, .pszDesc = "Calendar Life", .nRCOIntv = 3u << 16});
        addRecord(iACID, iCal, {MNT_KIND_REPLACE_NEW, tFitted});
        guint iUsed = addCard({.iGroupID = 11, .pszDesc = "Used Part", .nRCOIntv = 100});
        addRecord(iACID, iUsed, {MNT_KIND_REPLACE_USED, utc(2020, 3, 1), 800});
        guint iDefer = addCard({.iGroupID = 12, .pszDesc = "Deferred Insp", .nInspIntv = 50});
        addRecord(iACID, iDefer, {MNT_KIND_DEFER_INSP, utc(2020, 3, 1), 0, 0, 1000, 0});

        avt::exec(logDb(), R"(
            INSERT INTO Pilot (strLName, strFName, strSortKey, tNextMed, tNextFR) VALUES
              ('Early', 'Ann', 'EARLYANN', strftime('%s', 'now', 'start of day', '-5 days'), 0),
              ('Soon', 'Bob', 'SOONBOB', strftime('%s', 'now', 'start of day', '+10 days'),
               strftime('%s', 'now', 'start of day', '+40 days')),
              ('Later', 'Cy', 'LATERCY', strftime('%s', 'now', 'start of day', '+60 days'), 0),
              ('Today', 'Dee', 'TODAYDEE', strftime('%s', 'now', 'start of day'), 0))");
        ASSERT_TRUE(pmodInitialize());
        cmodSetMarkTime(kMarkHours, kMarkSpan);
        activate(iACID);
        ASSERT_TRUE(cmodLoadModel(ALL));
    }

    time_t m_tCalendarDue = 0;
    guint m_iNotDue = 0;
};

// An RFC 4180 reader: quoted fields, doubled quotes, CRLF line ends.
inline std::vector<std::vector<std::string>> parseCsv(const std::string& str) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool bQuoted = false;
    // A leading byte-order mark is the encoding's, not the first field's.
    for (size_t i = str.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0; i < str.size(); ++i) {
        const bool bCRLF = str.compare(i, 2, "\r\n") == 0;
        if (bQuoted && str.compare(i, 2, "\"\"") == 0)
            field += '"', ++i;
        else if (str[i] == '"')
            bQuoted = !bQuoted;
        else if (bQuoted || (str[i] != ',' && !bCRLF))
            field += str[i];
        else if (row.push_back(std::exchange(field, {})); bCRLF)
            rows.push_back(std::exchange(row, {})), ++i;
    }
    if (!row.empty() || !field.empty())
        row.push_back(field), rows.push_back(row);
    return rows;
}

// What a command prints.
inline std::string run(const std::string& strCommand) {
    g_autofree gchar* pszOut = nullptr;
    EXPECT_TRUE(g_spawn_command_line_sync(strCommand.c_str(), &pszOut, nullptr, nullptr, nullptr));
    return pszOut ? pszOut : "";
}

// The text of a PDF as pdftotext reads it; pages end in form feeds.
inline std::string pdfText(const std::string& strPdf) {
    return run("pdftotext -layout '" + strPdf + "' -");
}

} // namespace avct
