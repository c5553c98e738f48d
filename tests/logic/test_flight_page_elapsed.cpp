// Flight time from take-off and landing: the rounding to tenths and the
// landing after midnight.
#include "pagFLog.h"
#include "rcdFLog.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

time_t utc(int nYear, int nMonth, int nDay, int nHour, int nMin) {
    struct tm tmAt {};
    tmAt.tm_year = nYear - 1900;
    tmAt.tm_mon = nMonth - 1;
    tmAt.tm_mday = nDay;
    tmAt.tm_hour = nHour;
    tmAt.tm_min = nMin;
    return timegm(&tmAt);
}

TEST(FlightElapsed, RoundsToNearestTenthAndCarriesLandingPastMidnight) {
    struct Case {
        const char* pszName;
        time_t tOff;
        time_t tOn;
        guint nElapsed;
        time_t tOnAfter; // the landing as the record keeps it
    };
    const time_t t0 = utc(2010, 4, 19, 10, 0);
    const Case cases[] = {
        {"87 minutes round up to 1.5", t0, t0 + 87 * 60, 15, t0 + 87 * 60},
        {"86 minutes round down to 1.4", t0, t0 + 86 * 60, 14, t0 + 86 * 60},
        {"3 minutes are one tenth", t0, t0 + 3 * 60, 1, t0 + 3 * 60},
        {"2 minutes are nothing", t0, t0 + 2 * 60, 0, t0 + 2 * 60},
        {"landing at take-off", t0, t0, 0, t0},
        {"seconds below a minute do not count", t0, t0 + 59, 0, t0 + 59},
        {"23:40 to 00:25 lands on the next day", utc(2010, 4, 19, 23, 40), utc(2010, 4, 19, 0, 25),
         8, utc(2010, 4, 20, 0, 25)},
        {"a whole day less a minute", utc(2010, 4, 19, 12, 0), utc(2010, 4, 19, 11, 59), 240,
         utc(2010, 4, 20, 11, 59)},
        {"after 2038", utc(2040, 1, 1, 9, 0), utc(2040, 1, 1, 10, 30), 15, utc(2040, 1, 1, 10, 30)},
        // A landing left days behind by stale data must not give a huge or
        // wrapped-around flight time.
        {"landing days before take-off", utc(2010, 4, 25, 10, 0), utc(2010, 4, 19, 11, 0), 0,
         utc(2010, 4, 20, 11, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        rcdFLog rcd{};
        rcd.tFltBegin = c.tOff;
        rcd.tFltEnd = c.tOn;
        rcd.nElapsed = 999;
        fltCalcElapsed(&rcd);
        EXPECT_EQ(rcd.nElapsed, c.nElapsed);
        EXPECT_EQ(rcd.tFltEnd, c.tOnAfter);
        EXPECT_EQ(rcd.tFltBegin, c.tOff);
    }
}

} // namespace
