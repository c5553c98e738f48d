// Flight log model and airframe hours on a real log database: hours at a
// date, the accumulated column, and the hours index agreeing with a plain
// walk of the tree. The tree's shape is read by the flight page's tests.
#include "test_comp_fixture.h"

namespace {

using avt::utc;

using FLogModel = avct::CompTest;

TEST_F(FLogModel, HoursAtADateAroundTwoFlights) {
    // Log start 01-May-2010 with 150.0 h: a flight in April is in those
    // hours already, one at the very moment of the log start is not; a
    // flight without a start has none, another aircraft's does not count,
    // two flights with one start count together.
    const time_t tFirst = utc(2010, 5, 1), tSecond = utc(2011, 1, 3, 14, 5);
    const auto aircraft = [&](guint nLogHours, gboolean bSinceNew, time_t tLogStart) {
        return addAircraft({.tManu = 0,
                            .bLogSinceNew = bSinceNew,
                            .tLogStart = tLogStart,
                            .nLogHours = nLogHours});
    };
    const guint iACID = aircraft(1500, 0, tFirst);
    addFlights(iACID, {{tFirst, 12}, {tSecond, 8}, {tSecond, 5}, {utc(2010, 4, 20), 30}, {0, 99}});
    addFlights(99, {{tFirst, 40}});
    activate(iACID);
    EXPECT_EQ(fmodAFHoursTotal(), 1525u);
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
    for (gboolean bSinceNew : {0, 1}) {
        activate(aircraft(734, bSinceNew, 0));
        EXPECT_EQ(fmodAFHoursTotal(), bSinceNew ? 0u : 734u);
        EXPECT_EQ(fmodAFHoursAtDate(tSecond), bSinceNew ? 0u : 734u);
    }
    // An old file's log-start hours near the top of 32 bits: no sum wraps.
    const guint iHuge = aircraft(4294967290u, 0, tFirst);
    addFlights(iHuge, {{tFirst, 12}, {tSecond, 8}});
    activate(iHuge);
    EXPECT_EQ(fmodCalcAFAccum(), 4294967310u);
    EXPECT_EQ(std::make_pair(fmodAFHoursAtDate(tSecond - 1), fmodAFHoursByWalk(tSecond - 1)),
              std::make_pair(4294967302u, 4294967302u));
}

} // namespace
