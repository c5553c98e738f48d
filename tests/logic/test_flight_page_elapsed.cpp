// Flight time from take-off and landing: rounding to tenths, and a landing
// after midnight.
#include "harness.h"
#include "pagFLog.h"
#include "rcdFLog.h"

TEST(FlightElapsed, RoundsToNearestTenthAndCarriesLandingPastMidnight) {
    using avt::utc;
    const time_t t0 = utc(2010, 4, 19, 10);
    const struct {
        time_t tOff, tOn, tOnKept;
        guint nElapsed;
    } cases[] = {
        {t0, t0 + 87 * 60, t0 + 87 * 60, 15},
        {t0, t0 + 86 * 60, t0 + 86 * 60, 14},
        {utc(2010, 4, 19, 23, 40), utc(2010, 4, 19, 0, 25), utc(2010, 4, 20, 0, 25), 8},
        // A landing left days behind by stale data gives no flight time.
        {utc(2010, 4, 25, 10), utc(2010, 4, 19, 11), utc(2010, 4, 20, 11), 0},
    };
    for (const auto& c : cases) {
        rcdFLog rcd{};
        rcd.tFltBegin = c.tOff;
        rcd.tFltEnd = c.tOn;
        fltCalcElapsed(&rcd);
        EXPECT_EQ(std::pair(rcd.nElapsed, rcd.tFltEnd), std::pair(c.nElapsed, c.tOnKept))
            << c.tOn - c.tOff;
    }
}
