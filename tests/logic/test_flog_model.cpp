// Flight log model and airframe hours on a real log database: hours at a
// date, the accumulated column, and the hours index agreeing with a plain
// walk of the tree. The tree's shape is read by the flight page's tests.
#include "harness.h"
#include "modFLog.h"
#include "pagAC.h"
#include "sqlMLog.h"

#include <tuple>

namespace {

using avt::utc;

class FLogModel : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sqlInitialize()) << sqlLastError();
        fmodInitialize();
    }
    avt::fs::path db() const { return m_dirs.etcFile("avLedger.db"); }
    std::string addAircraft(guint nLogHours, int bSinceNew = 0) {
        avt::exec(db(), "INSERT INTO Aircraft (strReg, nLogHours, bLogSinceNew, bDelete) VALUES "
                        "('ZK-HBC', " +
                            std::to_string(nLogHours) + ", " + std::to_string(bSinceNew) + ", 0)");
        return *avt::query(db(), "SELECT MAX(iAircraftID) FROM Aircraft")[0][0];
    }
    // "(aircraft, start, elapsed, 'to', deleted)" rows of the Flight table.
    void addFlights(const std::string& strValues) {
        avt::exec(db(), "INSERT INTO Flight (iCSID, tFltBegin, nElapsed, strTo, bDelete) VALUES " +
                            strValues);
    }
    guint activate(const std::string& strID) {
        EXPECT_TRUE(acdLoadActiveAC(std::stoul(strID))) << "and its flights loaded";
        return fmodAFHoursTotal();
    }
    avt::TempDirs m_dirs;
};

std::string row(const std::string& strID, time_t t, guint n, const char* pszTo = "") {
    return "(" + strID + "," + std::to_string(t) + "," + std::to_string(n) + ",'" + pszTo + "',0)";
}

TEST_F(FLogModel, HoursAtADateAroundTwoFlights) {
    // Log start 01-May-2010 with 150.0 h: a flight in April is in those
    // hours already, one at the very moment of the log start is not; a
    // flight without a start has none, another aircraft's does not count,
    // two flights with one start count together.
    std::string strID = addAircraft(1500);
    avt::exec(db(), "UPDATE Aircraft SET tLogStart = " + std::to_string(utc(2010, 5, 1)));
    const time_t tFirst = utc(2010, 5, 1), tSecond = utc(2011, 1, 3, 14, 5);
    addFlights(row(strID, tFirst, 12) + "," + row(strID, tSecond, 8) + "," +
               row(strID, tSecond, 5) + "," + row(strID, utc(2010, 4, 20), 30) + "," +
               row(strID, 0, 99) + "," + row("99", tFirst, 40));
    EXPECT_EQ(activate(strID), 1525u);
    const std::pair<time_t, guint64> cases[] = {
        {utc(2010, 4, 30), 1500}, {tFirst - 1, 1500}, {tFirst, 1512},      {utc(2010, 5, 2), 1512},
        {tSecond - 1, 1512},      {tSecond, 1525},    {tSecond + 1, 1525}, {0, 0},
    };
    for (const auto& [t, nHours] : cases)
        EXPECT_EQ(std::make_pair(fmodAFHoursAtDate(t), fmodAFHoursByWalk(t)),
                  std::make_pair(nHours, nHours))
            << t;

    // The flight page edits the first flight's elapsed time in place.
    GtkTreeModel* pmod = fmodGetModel();
    GtkTreeIter iterFlight;
    ASSERT_TRUE(gtk_tree_model_get_iter_from_string(pmod, &iterFlight, "0:1:0"));
    gtk_tree_store_set(GTK_TREE_STORE(pmod), &iterFlight, FLOG_HOURS, 25u, -1);
    EXPECT_EQ(fmodCalcAFAccum(), 1538u);
    EXPECT_EQ(fmodAFHoursAtDate(utc(2010, 6, 1)), 1525u) << "the index follows the edit";

    // Without flights only the base counts; log-since-new has none.
    for (int bSinceNew : {0, 1}) {
        EXPECT_EQ(activate(addAircraft(734, bSinceNew)), bSinceNew ? 0u : 734u);
        EXPECT_EQ(fmodAFHoursAtDate(tSecond), bSinceNew ? 0u : 734u);
    }
}

TEST_F(FLogModel, ALandingBeforeTheTakeOffIsNextDayOnlyWithin12Hours) {
    // Take-off, landing clock time (seconds into the day), landing (-1:
    // refused) and flight time in tenths.
    const time_t tDay = utc(2010, 6, 1);
    const std::tuple<time_t, time_t, time_t, guint> lst[] = {
        {tDay + 20 * 3600, 8 * 3600, tDay + 32 * 3600, 120},
        {tDay + 20 * 3600, 8 * 3600 + 60, -1, 0},
        {tDay + 10 * 3600, 10 * 3600 + 180, tDay + 10 * 3600 + 180, 1}, // 3 minutes round up
        {tDay + 10 * 3600, 10 * 3600 + 120, tDay + 10 * 3600 + 120, 0},
    };
    for (const auto& [tBegin, tClock, tWant, nTenths] : lst) {
        time_t tEnd = -1;
        fmodLandingAfter(tBegin, tClock, &tEnd);
        EXPECT_EQ(tEnd, tWant) << tClock;
        EXPECT_EQ(tWant < 0 ? 0 : fmodElapsedTenths(tBegin, tEnd), nTenths) << tClock;
    }
}

} // namespace
