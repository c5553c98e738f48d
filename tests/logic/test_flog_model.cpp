// Flight log model and airframe hours on a real log database: the tree's
// shape and texts, hours at a date, the accumulated column, and the hours
// index agreeing with a plain walk of the tree.
#include "harness.h"
#include "modFLog.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>

namespace {

using avt::TempDirs;

time_t utc(int nYear, int nMon, int nDay, int nHour = 0, int nMin = 0) {
    struct tm tmDate {};
    tmDate.tm_year = nYear - 1900;
    tmDate.tm_mon = nMon - 1;
    tmDate.tm_mday = nDay;
    tmDate.tm_hour = nHour;
    tmDate.tm_min = nMin;
    return timegm(&tmDate);
}

struct Flight {
    time_t tBegin;
    guint nElapsed;
    const char* pszTo = "";
};

// A fresh log database with helpers to store aircraft and flights through
// the storage operations, and to make an aircraft active.
class FLogModel : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        fmodInitialize();
    }

    guint addAircraft(const char* pszReg, guint nLogHours, gboolean bSinceNew = FALSE) {
        rcdAC rcd;
        memset(&rcd, 0, sizeof rcd);
        rcd.iACID = SQL_NEW_ID;
        g_strlcpy(rcd.szReg, pszReg, sizeof rcd.szReg);
        rcd.nLogHours = nLogHours;
        rcd.bLogSinceNew = bSinceNew;
        EXPECT_TRUE(sqlUpdateAircraftRecord(&rcd)) << sqlLastError();
        return rcd.iACID;
    }

    guint addFlight(guint iACID, const Flight& flt) {
        rcdFLog rcd;
        memset(&rcd, 0, sizeof rcd);
        rcd.iFLogID = SQL_NEW_ID;
        rcd.iCSID = iACID;
        rcd.tFltBegin = flt.tBegin;
        rcd.tFltEnd = flt.tBegin + flt.nElapsed * 360;
        rcd.nElapsed = flt.nElapsed;
        g_strlcpy(rcd.szTo, flt.pszTo, sizeof rcd.szTo);
        EXPECT_TRUE(sqlUpdateFLogRecord(&rcd)) << sqlLastError();
        return rcd.iFLogID;
    }

    // Activates the aircraft and returns the total the load reported.
    guint activate(guint iACID) {
        EXPECT_TRUE(acdLoadActiveAC(iACID));
        guint nTotal = 12345678;
        EXPECT_TRUE(fmodLoadModel(-1, &nTotal));
        return nTotal;
    }

    TempDirs m_dirs;
};

// The tree as indented lines: "start | elapsed | dest | accum".
std::vector<std::string> dumpTree() {
    std::vector<std::string> lines;
    GtkTreeModel* pmod = fmodGetModel();
    std::function<void(GtkTreeIter*, int)> dumpLevel = [&](GtkTreeIter* piterParent, int nDepth) {
        GtkTreeIter iter;
        for (gboolean b = gtk_tree_model_iter_children(pmod, &iter, piterParent); b;
             b = gtk_tree_model_iter_next(pmod, &iter)) {
            gchar *pszStart = nullptr, *pszElapsed = nullptr, *pszDest = nullptr,
                  *pszAccum = nullptr;
            gtk_tree_model_get(pmod, &iter, FLOG_TIME_START, &pszStart, FLOG_TIME_ELPSD,
                               &pszElapsed, FLOG_DEST, &pszDest, FLOG_AF_ACCUM, &pszAccum, -1);
            std::string str(static_cast<size_t>(nDepth) * 2, ' ');
            str += pszStart ? pszStart : "-";
            if (pszElapsed)
                str += std::string(" | ") + pszElapsed + " | " + (pszDest ? pszDest : "") + " | " +
                       (pszAccum ? pszAccum : "");
            g_free(pszStart);
            g_free(pszElapsed);
            g_free(pszDest);
            g_free(pszAccum);
            lines.push_back(str);
            dumpLevel(&iter, nDepth + 1);
        }
    };
    dumpLevel(nullptr, 0);
    return lines;
}

TEST_F(FLogModel, HoursAroundTwoFlightsOnTopOfTheLogStart) {
    guint iACID = addAircraft("ZK-HBC", 1500);
    const time_t tFirst = utc(2010, 5, 1, 9, 30);
    const time_t tSecond = utc(2010, 5, 3, 14, 5);
    addFlight(iACID, {tFirst, 12, "Taupo"});
    addFlight(iACID, {tSecond, 8, "Rotorua"});

    EXPECT_EQ(activate(iACID), 1520u) << "the load reports the total";
    const struct {
        const char* pszWhen;
        time_t tDate;
        guint nHours;
    } cases[] = {
        {"30 April", utc(2010, 4, 30), 1500},
        {"a second before the first start", tFirst - 1, 1500},
        {"the first start", tFirst, 1512},
        {"while the first flight is in the air", tFirst + 60, 1512},
        {"2 May", utc(2010, 5, 2), 1512},
        {"a second before the second start", tSecond - 1, 1512},
        {"the second start", tSecond, 1520},
        {"next year", utc(2011, 1, 1), 1520},
        {"no date", 0, 0},
        {"the largest time", static_cast<time_t>(-1), 1520},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fmodAFHoursAtDate(c.tDate), c.nHours) << c.pszWhen;
        EXPECT_EQ(fmodAFHoursByWalk(c.tDate), c.nHours) << c.pszWhen << " (walk)";
    }
    EXPECT_EQ(fmodAFHoursTotal(), 1520u);
    EXPECT_EQ(dumpTree(), (std::vector<std::string>{
                              "2010",
                              "  May-2010",
                              "    01-May 09:30 | 1.2 | Taupo | 151.2",
                              "    03-May 14:05 | 0.8 | Rotorua | 152.0",
                              "<new flight>",
                          }));
}

TEST_F(FLogModel, BaseHoursWithoutFlightsAndLogSinceNew) {
    guint iWithLog = addAircraft("ZK-AAA", 734);
    guint iSinceNew = addAircraft("ZK-BBB", 734, TRUE);
    guint iOther = addAircraft("ZK-CCC", 10);
    addFlight(iOther, {utc(2012, 3, 4, 10), 15}); // another aircraft's flight

    const struct {
        guint iACID;
        guint nBase;
    } aircraft[] = {{iWithLog, 734}, {iSinceNew, 0}};
    for (const auto& ac : aircraft) {
        SCOPED_TRACE(ac.iACID);
        EXPECT_EQ(activate(ac.iACID), ac.nBase);
        EXPECT_EQ(dumpTree(), std::vector<std::string>{"<new flight>"});
        for (time_t t : {utc(1999, 1, 1), utc(2012, 3, 5), static_cast<time_t>(-1)})
            EXPECT_EQ(fmodAFHoursAtDate(t), ac.nBase);
        EXPECT_EQ(fmodAFHoursAtDate(0), 0u) << "a date of 0 is no date";
        EXPECT_EQ(fmodAFHoursTotal(), ac.nBase);
    }

    // Ticking log-since-new on the active aircraft drops the base at once,
    // without a rebuild of the tree.
    activate(iWithLog);
    acdGetActiveAC()->bLogSinceNew = TRUE;
    EXPECT_EQ(fmodAFHoursTotal(), 0u);
    acdGetActiveAC()->bLogSinceNew = FALSE;
    EXPECT_EQ(fmodAFHoursTotal(), 734u);
}

TEST_F(FLogModel, YearAndMonthHeadersSkippedStartsAndTheSelectedFlight) {
    guint iACID = addAircraft("ZK-HDR", 0, TRUE);
    addFlight(iACID, {utc(2010, 12, 31, 23, 0), 10, "Year end"});
    guint iJan1 = addFlight(iACID, {utc(2011, 1, 1, 0, 10), 5, "New year"});
    addFlight(iACID, {utc(2011, 1, 20, 7, 45), 3, "Same month"});
    addFlight(iACID, {utc(2011, 3, 2, 12, 0), 7, "March"});
    addFlight(iACID, {0, 99, "Never flown"}); // no start: not shown, no hours

    EXPECT_TRUE(acdLoadActiveAC(iACID));
    guint nTotal = 0;
    ASSERT_TRUE(fmodLoadModel(static_cast<gint>(iJan1), &nTotal));
    EXPECT_EQ(nTotal, 25u);
    EXPECT_EQ(dumpTree(), (std::vector<std::string>{
                              "2010",
                              "  Dec-2010",
                              "    31-Dec 23:00 | 1.0 | Year end | 1.0",
                              "2011",
                              "  Jan-2011",
                              "    01-Jan 00:10 | 0.5 | New year | 1.5",
                              "    20-Jan 07:45 | 0.3 | Same month | 1.8",
                              "  Mar-2011",
                              "    02-Mar 12:00 | 0.7 | March | 2.5",
                              "<new flight>",
                          }));
    GtkTreeIter* piterSel = fmodGetSelection();
    ASSERT_NE(piterSel, nullptr) << "the named flight's row is remembered";
    gulong iSel = 0;
    gtk_tree_model_get(fmodGetModel(), piterSel, FLOG_SQLID, &iSel, -1);
    EXPECT_EQ(iSel, iJan1);

    ASSERT_TRUE(fmodLoadModel(-1, &nTotal));
    EXPECT_EQ(fmodGetSelection(), nullptr) << "-1 names no flight";

    // The new-flight label can be put back after the page used the row.
    GtkTreeModel* pmod = fmodGetModel();
    GtkTreeIter iterNew;
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(pmod, &iterNew, nullptr, 2));
    gtk_tree_store_set(GTK_TREE_STORE(pmod), &iterNew, FLOG_TIME_START, "06-Dec 09:00", -1);
    fmodResetNewFlightLabel();
    EXPECT_EQ(dumpTree().back(), "<new flight>");
}

TEST_F(FLogModel, AccumulatedColumnAndHoursFollowAnEditedElapsedTime) {
    guint iACID = addAircraft("ZK-ACC", 1000);
    addFlight(iACID, {utc(2015, 6, 1, 8), 10});
    guint iSecond = addFlight(iACID, {utc(2015, 6, 2, 8), 20});
    addFlight(iACID, {utc(2015, 7, 1, 8), 30});
    ASSERT_EQ(activate(iACID), 1060u);
    ASSERT_EQ(fmodAFHoursAtDate(utc(2015, 6, 20)), 1030u); // index built before the edit

    // The flight page changes the second flight's elapsed time in place.
    GtkTreeModel* pmod = fmodGetModel();
    GtkTreeIter iterJun, iterFlight, iterYear;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(pmod, &iterYear));
    ASSERT_TRUE(gtk_tree_model_iter_children(pmod, &iterJun, &iterYear));
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(pmod, &iterFlight, &iterJun, 1));
    gulong iID = 0;
    gtk_tree_model_get(pmod, &iterFlight, FLOG_SQLID, &iID, -1);
    ASSERT_EQ(iID, iSecond);
    gtk_tree_store_set(GTK_TREE_STORE(pmod), &iterFlight, FLOG_HOURS, 25u, FLOG_TIME_ELPSD, "2.5",
                       -1);

    EXPECT_EQ(fmodCalcAFAccum(), 1065u);
    EXPECT_EQ(dumpTree(), (std::vector<std::string>{
                              "2015",
                              "  Jun-2015",
                              "    01-Jun 08:00 | 1.0 |  | 101.0",
                              "    02-Jun 08:00 | 2.5 |  | 103.5",
                              "  Jul-2015",
                              "    01-Jul 08:00 | 3.0 |  | 106.5",
                              "<new flight>",
                          }));
    EXPECT_EQ(fmodAFHoursAtDate(utc(2015, 6, 20)), 1035u) << "the index follows the edit";
    EXPECT_EQ(fmodAFHoursTotal(), 1065u);

    // Removing a row (a deleted flight) leaves its month header empty.
    gtk_tree_store_remove(GTK_TREE_STORE(pmod), &iterFlight);
    EXPECT_EQ(fmodAFHoursAtDate(utc(2015, 6, 20)), 1010u);
    EXPECT_EQ(fmodAFHoursTotal(), 1040u);
    EXPECT_EQ(fmodCalcAFAccum(), 1040u);
}

// The index must give the walk's answer for any log: 2,000 flights with
// shared start times, deleted flights, flights without a start, another
// aircraft's flights; then again after the tree was edited out of order.
TEST_F(FLogModel, IndexAgreesWithAWalkOnARandomLog) {
    guint iACID = addAircraft("ZK-RND", 4321);
    guint iOther = addAircraft("ZK-OTH", 0);
    std::mt19937 rng(20100501);
    std::uniform_int_distribution<int> dayDist(0, 20 * 365);
    std::uniform_int_distribution<int> minuteDist(0, 24 * 60 - 1);
    std::uniform_int_distribution<guint> elapsedDist(0, 40);
    std::uniform_int_distribution<int> kindDist(0, 99);

    struct Stored {
        time_t tBegin;
        guint nElapsed;
    };
    std::vector<Stored> counted;
    std::ostringstream sql;
    sql << "BEGIN;";
    const time_t tBase = utc(2000, 1, 1);
    time_t tLast = tBase;
    for (int i = 0; i < 2000; ++i) {
        int nKind = kindDist(rng);
        // Every tenth flight shares the previous one's start.
        time_t tBegin = nKind < 10 ? tLast : tBase + dayDist(rng) * 86400 + minuteDist(rng) * 60;
        guint nElapsed = elapsedDist(rng);
        gulong iCSID = iACID;
        int bDelete = 0;
        if (nKind >= 95)
            iCSID = iOther;
        else if (nKind >= 90)
            bDelete = 1;
        else if (nKind >= 88)
            tBegin = 0;
        tLast = tBegin ? tBegin : tLast;
        sql << "INSERT INTO Flight (iCSID, iPilotID, iStudentID, tFltBegin, tFltEnd, nElapsed, "
               "nFltType, strFrom, strTo, strPaxList, strNotes, bDelete) VALUES ("
            << iCSID << ",0,0," << tBegin << "," << tBegin + nElapsed * 360 << "," << nElapsed
            << ",0,'','','',''," << bDelete << ");";
        if (iCSID == iACID && !bDelete && tBegin != 0)
            counted.push_back({tBegin, nElapsed});
    }
    sql << "COMMIT;";
    avt::exec(m_dirs.etcFile("avLedger.db"), sql.str());

    guint nExpectedTotal = 4321;
    for (const auto& f : counted)
        nExpectedTotal += f.nElapsed;
    ASSERT_EQ(activate(iACID), nExpectedTotal);

    // Question dates: every start, a second either side, and random ones.
    std::vector<time_t> dates{1, tBase - 1, utc(2030, 1, 1), static_cast<time_t>(-1)};
    for (const auto& f : counted)
        for (time_t d : {f.tBegin - 1, f.tBegin, f.tBegin + 1})
            dates.push_back(d);
    for (int i = 0; i < 500; ++i)
        dates.push_back(tBase + dayDist(rng) * 86400 + minuteDist(rng) * 60);

    auto expectedAt = [&](time_t t) {
        guint n = 4321;
        for (const auto& f : counted)
            if (static_cast<gulong>(f.tBegin) <= static_cast<gulong>(t))
                n += f.nElapsed;
        return n;
    };
    int nMismatch = 0;
    for (time_t t : dates) {
        guint nIndex = fmodAFHoursAtDate(t);
        if (nIndex != expectedAt(t) || nIndex != fmodAFHoursByWalk(t))
            ++nMismatch;
        ASSERT_LE(nMismatch, 3) << "at " << t << ": index " << nIndex << ", expected "
                                << expectedAt(t) << ", walk " << fmodAFHoursByWalk(t);
    }
    EXPECT_EQ(nMismatch, 0);

    // Edits in place can leave the tree out of order until the next load;
    // the walk stops at the first later flight and the index must agree.
    GtkTreeModel* pmod = fmodGetModel();
    std::vector<GtkTreeIter> flights;
    gtk_tree_model_foreach(
        pmod,
        [](GtkTreeModel* pm, GtkTreePath*, GtkTreeIter* piter, gpointer pData) -> gboolean {
            guint nType = 0;
            gtk_tree_model_get(pm, piter, FLOG_ROW_TYPE, &nType, -1);
            if (nType == FLOG_ROW_DATA)
                static_cast<std::vector<GtkTreeIter>*>(pData)->push_back(*piter);
            return FALSE;
        },
        &flights);
    ASSERT_EQ(flights.size(), counted.size());
    for (int i = 0; i < 20; ++i) {
        GtkTreeIter& iter = flights[rng() % flights.size()];
        gtk_tree_store_set(GTK_TREE_STORE(pmod), &iter, FLOG_DATE,
                           static_cast<guint>(tBase + dayDist(rng) * 86400), FLOG_HOURS,
                           elapsedDist(rng), -1);
    }
    for (size_t i = 0; i < dates.size(); i += 7)
        ASSERT_EQ(fmodAFHoursAtDate(dates[i]), fmodAFHoursByWalk(dates[i])) << dates[i];
}

} // namespace
