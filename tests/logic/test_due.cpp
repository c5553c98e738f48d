// The due rules on real databases, a real flight log and the real tree:
// every case names the history, the hours flown, the moment and the mark,
// and the state the card must show. Each case is judged twice, once from
// the summary read at tree build and once from the summary of the record
// list after an edit, and both summaries must agree field by field.
#include "test_comp_fixture.h"

#include "avCnv.h"

#include <string>
#include <vector>

namespace {

using namespace avct;

constexpr guint INSP = MNT_KIND_INSPECTED;
constexpr guint NEW = MNT_KIND_REPLACE_NEW;
constexpr guint USED = MNT_KIND_REPLACE_USED;
constexpr guint DEFI = MNT_KIND_DEFER_INSP;
constexpr guint DEFR = MNT_KIND_DEFER_RCO;

constexpr guint F_RCOCAL = 1, F_RCOHRS = 2, F_INSP = 4, F_DEFR = 8, F_DEFI = 16;

const time_t tManu = utc(2020, 1, 1);
const time_t tRepl = utc(2020, 5, 15, 10, 0, 0);
const time_t tLimit3y = utc(2023, 5, 15, 10, 0, 0);

struct DueCase {
    const char* pszName;
    std::vector<Flight> flights;
    std::vector<Rec> history;
    guint nInspIntv;      // whole hours
    guint nRCOIntv;       // packed limit
    time_t tNow;          // the moment judged
    guint nMarkHours = 0; // tenths
    guint nMarkTime = 0;  // packed interval
    guint bExpectFlags = 0;
    dueStat_t nExpect = CCD_DUESTAT_NONE;
    time_t tManufacture = tManu;
    gboolean bSinceNew = TRUE;
    guint nLogHours = 0;
};

void PrintTo(const DueCase& c, std::ostream* os) {
    *os << c.pszName;
}

const time_t tNow2021 = utc(2021, 1, 1);

std::vector<DueCase> dueCases() {
    std::vector<DueCase> v;
    auto add = [&](DueCase c) { v.push_back(std::move(c)); };
    // No records: the history starts at manufacture.
    add({"NoRecords50HrIntervalAt50_0", {{utc(2020, 2, 1), 500}}, {}, 50, 0, tNow2021});
    add({"NoRecords50HrIntervalAt50_1",
         {{utc(2020, 2, 1), 501}},
         {},
         50,
         0,
         tNow2021,
         0,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE});
    add({"At49_9WithMark0_2",
         {{utc(2020, 2, 1), 499}},
         {},
         50,
         0,
         tNow2021,
         2,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE});
    add({"At49_9WithMark0_1", {{utc(2020, 2, 1), 499}}, {}, 50, 0, tNow2021, 1, 0});
    add({"BaseHoursOfALogNotSinceNewCount",
         {{utc(2020, 2, 1), 400}},
         {},
         50,
         0,
         tNow2021,
         0,
         0,
         0,
         CCD_DUESTAT_NONE,
         tManu,
         FALSE,
         1500});
    add({"BaseHoursOfALogNotSinceNewCountDue",
         {{utc(2020, 2, 1), 501}},
         {},
         50,
         0,
         tNow2021,
         0,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE,
         tManu,
         FALSE,
         1500});

    // Calendar limit: reached only after the very second.
    add({"ThreeYearsExactlyAtTheSecond", {}, {{NEW, tRepl}}, 0, yearsLimit(3), tLimit3y});
    add({"ThreeYearsOneSecondLater",
         {},
         {{NEW, tRepl}},
         0,
         yearsLimit(3),
         tLimit3y + 1,
         0,
         0,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE});
    add({"ThreeYearsReachedByADayMark",
         {},
         {{NEW, tRepl}},
         0,
         yearsLimit(3),
         tLimit3y - 86400 + 1,
         0,
         INTV_DAY << 24 | 1,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE});
    add({"ThreeYearsNotReachedByADayMark",
         {},
         {{NEW, tRepl}},
         0,
         yearsLimit(3),
         tLimit3y - 86400,
         0,
         INTV_DAY << 24 | 1});
    add({"ThreeYearsReachedByAMonthMark",
         {},
         {{NEW, tRepl}},
         0,
         yearsLimit(3),
         utc(2023, 4, 15, 10, 0, 1),
         0,
         INTV_MONTH << 24 | 1,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE});
    add({"ThreeYearsReachedByAYearMark",
         {},
         {{NEW, tRepl}},
         0,
         yearsLimit(3),
         utc(2022, 5, 15, 10, 0, 1),
         0,
         INTV_YEAR << 24 | 1,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE});
    add({"ThreeYearsNotReachedByTwoWeeks",
         {},
         {{NEW, tRepl}},
         0,
         yearsLimit(3),
         tLimit3y - 14 * 86400,
         0,
         INTV_WEEK << 24 | 2});
    add({"ThreeYearsReachedByTwoWeeks",
         {},
         {{NEW, tRepl}},
         0,
         yearsLimit(3),
         tLimit3y - 14 * 86400 + 1,
         0,
         INTV_WEEK << 24 | 2,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE});
    add({"UnknownMarkUnitAddsNothing",
         {},
         {{NEW, tRepl}},
         0,
         yearsLimit(3),
         tLimit3y,
         0,
         7u << 24 | 5});
    add({"UnknownReplacementDateCalendarDueAtOnce",
         {},
         {{NEW, -1}},
         0,
         yearsLimit(30),
         tNow2021,
         0,
         0,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE});
    add({"NeverReplacedCountsFromManufacture",
         {},
         {},
         0,
         yearsLimit(1),
         utc(2021, 1, 1, 0, 0, 1),
         0,
         0,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE});

    // Replacement deferral of 10 days recorded at the limit date.
    std::vector<Rec> deferAtLimit{{NEW, tRepl}, {DEFR, tLimit3y, 0, 0, 50, 10}};
    add({"TenDayDeferralHolds",
         {},
         deferAtLimit,
         0,
         yearsLimit(3),
         tLimit3y + 1,
         0,
         0,
         F_DEFR,
         CCD_DUESTAT_RCODEFER});
    add({"TenDayDeferralLastSecond",
         {},
         deferAtLimit,
         0,
         yearsLimit(3),
         tLimit3y + 863999,
         0,
         0,
         F_DEFR,
         CCD_DUESTAT_RCODEFER});
    add({"TenDayDeferralRunOutItsHoursIgnored",
         {},
         deferAtLimit,
         0,
         yearsLimit(3),
         tLimit3y + 864000,
         0,
         0,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE});
    add({"HoursOnlyDeferralDoesNotHoldTheCalendar",
         {},
         {{NEW, tRepl}, {DEFR, tLimit3y, 0, 0, 500, 0}},
         0,
         yearsLimit(3),
         tLimit3y + 1,
         0,
         0,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE});

    // Inspection deferral of 5.0 hours at 60.0 airframe hours.
    std::vector<Rec> defer5h{{DEFI, utc(2020, 3, 1), 0, 0, 50, 0}};
    add({"FiveHourDeferralHoldsBelow",
         {{utc(2020, 2, 1), 600}, {utc(2020, 3, 2), 49}},
         defer5h,
         50,
         0,
         tNow2021,
         0,
         0,
         F_DEFI,
         CCD_DUESTAT_INSPDEFER});
    add({"FiveHourDeferralRunsOutAtTheSum",
         {{utc(2020, 2, 1), 600}, {utc(2020, 3, 2), 50}},
         defer5h,
         50,
         0,
         tNow2021,
         0,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE});
    add({"FiveHourDeferralRunsOutAtTheMark",
         {{utc(2020, 2, 1), 600}},
         defer5h,
         50,
         0,
         tNow2021,
         50,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE});
    add({"FiveHourDeferralHoldsBelowTheMark",
         {{utc(2020, 2, 1), 600}},
         defer5h,
         50,
         0,
         tNow2021,
         49,
         0,
         F_DEFI,
         CCD_DUESTAT_INSPDEFER});
    add({"ZeroZeroDeferralDefersNothing",
         {{utc(2020, 2, 1), 600}},
         {{DEFI, utc(2020, 3, 1), 0, 0, 0, 0}},
         50,
         0,
         tNow2021,
         0,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE});
    add({"HoursAndDaysHoldWhileDaysRemain",
         {{utc(2020, 2, 1), 600}, {utc(2020, 3, 5), 100}},
         {{DEFI, utc(2020, 3, 1), 0, 0, 50, 30}},
         50,
         0,
         utc(2020, 3, 20),
         0,
         0,
         F_DEFI,
         CCD_DUESTAT_INSPDEFER});
    add({"HoursAndDaysRunOutWhenBothHave",
         {{utc(2020, 2, 1), 600}, {utc(2020, 3, 5), 100}},
         {{DEFI, utc(2020, 3, 1), 0, 0, 50, 30}},
         50,
         0,
         utc(2020, 3, 31),
         0,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE});

    // What ends or replaces a deferral.
    std::vector<Flight> flightsAround{{utc(2020, 2, 1), 600}, {utc(2020, 4, 1), 501}};
    add({"LongDeferralHoldsWithoutInspection",
         flightsAround,
         {{DEFI, utc(2020, 3, 1), 0, 0, 10000, 0}},
         50,
         0,
         tNow2021,
         0,
         0,
         F_DEFI,
         CCD_DUESTAT_INSPDEFER});
    add({"InspectionEndsAnInspectionDeferral",
         flightsAround,
         {{DEFI, utc(2020, 3, 1), 0, 0, 10000, 0}, {INSP, utc(2020, 3, 15)}},
         50,
         0,
         tNow2021,
         0,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE});
    add({"ReplacementEndsAnInspectionDeferral",
         flightsAround,
         {{DEFI, utc(2020, 3, 1), 0, 0, 10000, 0}, {NEW, utc(2020, 3, 15)}},
         50,
         0,
         tNow2021,
         0,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE});
    add({"InspectionBeforeTheDeferralLeavesItInForce",
         flightsAround,
         {{INSP, utc(2020, 2, 15)}, {DEFI, utc(2020, 3, 1), 0, 0, 10000, 0}},
         50,
         0,
         tNow2021,
         0,
         0,
         F_DEFI,
         CCD_DUESTAT_INSPDEFER});
    add({"SecondDeferralReplacesALongerFirst",
         {{utc(2020, 2, 1), 600}, {utc(2020, 3, 20), 51}},
         {{DEFI, utc(2020, 3, 1), 0, 0, 10000, 0}, {DEFI, utc(2020, 3, 15), 0, 0, 50, 0}},
         50,
         0,
         tNow2021,
         0,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE});
    add({"SecondDeferralReplacesAShorterFirst",
         {{utc(2020, 2, 1), 600}, {utc(2020, 3, 20), 51}},
         {{DEFI, utc(2020, 3, 1), 0, 0, 50, 0}, {DEFI, utc(2020, 3, 15), 0, 0, 10000, 0}},
         50,
         0,
         tNow2021,
         0,
         0,
         F_DEFI,
         CCD_DUESTAT_INSPDEFER});
    add({"ReplacementEndsAReplacementDeferral",
         {{utc(2020, 2, 1), 1100}, {utc(2020, 4, 1), 1001}},
         {{DEFR, utc(2020, 3, 1), 0, 0, 10000, 0}, {NEW, utc(2020, 3, 15)}},
         0,
         hoursLimit(100),
         tNow2021,
         0,
         0,
         F_RCOHRS,
         CCD_DUESTAT_RCODUE});
    add({"InspectionDoesNotEndAReplacementDeferral",
         {{utc(2020, 2, 1), 1100}},
         {{DEFR, utc(2020, 3, 1), 0, 0, 10000, 0}, {INSP, utc(2020, 3, 15)}},
         0,
         hoursLimit(100),
         tNow2021,
         0,
         0,
         F_DEFR,
         CCD_DUESTAT_RCODEFER});

    // Ranking: an undeferred finding outranks any deferred one.
    add({"InspectionDueOutranksDeferredReplacement",
         {{utc(2020, 2, 1), 1100}},
         {{DEFR, utc(2020, 3, 1), 0, 0, 1000, 0}},
         50,
         hoursLimit(100),
         tNow2021,
         0,
         0,
         F_INSP | F_DEFR,
         CCD_DUESTAT_INSPDUE});
    add({"DeferredReplacementOutranksDeferredInspection",
         {{utc(2020, 2, 1), 1100}},
         {{DEFR, utc(2020, 3, 1), 0, 0, 1000, 0}, {DEFI, utc(2020, 3, 2), 0, 0, 1000, 0}},
         50,
         hoursLimit(100),
         tNow2021,
         0,
         0,
         F_DEFR | F_DEFI,
         CCD_DUESTAT_RCODEFER});
    add({"ReplacementDueOutranksInspectionDue",
         {{utc(2020, 2, 1), 1100}},
         {},
         50,
         hoursLimit(100),
         tNow2021,
         0,
         0,
         F_RCOHRS | F_INSP,
         CCD_DUESTAT_RCODUE});
    add({"CalendarAndHoursBothDue",
         {{utc(2020, 2, 1), 1100}},
         {},
         0,
         hoursLimit(100) | yearsLimit(1),
         utc(2022, 1, 1),
         0,
         0,
         F_RCOHRS | F_RCOCAL,
         CCD_DUESTAT_RCODUE});

    // Used parts: the hours already on the part count against its limit.
    std::vector<Rec> used120{{USED, utc(2020, 3, 1), 1200}};
    add({"Used120On300After180_0",
         {{utc(2020, 2, 1), 1000}, {utc(2020, 4, 1), 1800}},
         used120,
         0,
         hoursLimit(300),
         tNow2021});
    add({"Used120On300After180_1",
         {{utc(2020, 2, 1), 1000}, {utc(2020, 4, 1), 1801}},
         used120,
         0,
         hoursLimit(300),
         tNow2021,
         0,
         0,
         F_RCOHRS,
         CCD_DUESTAT_RCODUE});
    add({"NewPartAfterAUsedOneStartsFromZero",
         {{utc(2020, 2, 1), 1000}, {utc(2020, 4, 1), 2900}},
         {{USED, utc(2020, 3, 1), 1200}, {NEW, utc(2020, 3, 2)}},
         0,
         hoursLimit(300),
         tNow2021});
    // A part fitted with more hours than its limit is due at once; unsigned
    // arithmetic would wrap its due hours round to "never".
    add({"UsedPartBeyondItsLifeIsDueAtOnce",
         {},
         {{USED, utc(2020, 3, 1), 3500}},
         0,
         hoursLimit(300),
         tNow2021,
         0,
         0,
         F_RCOHRS,
         CCD_DUESTAT_RCODUE});
    // The age of a used part shortens its calendar life.
    add({"UsedPartAgeShortensCalendarLifeExactly",
         {},
         {{USED, tRepl, 0, INTV_YEAR << 24 | 2}},
         0,
         yearsLimit(3),
         utc(2021, 5, 15, 10, 0, 0)});
    add({"UsedPartAgeShortensCalendarLife",
         {},
         {{USED, tRepl, 0, INTV_YEAR << 24 | 2}},
         0,
         yearsLimit(3),
         utc(2021, 5, 15, 10, 0, 1),
         0,
         0,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE});
    add({"UsedPartAgeInMonths",
         {},
         {{USED, tRepl, 0, INTV_MONTH << 24 | 6}},
         0,
         yearsLimit(1),
         utc(2020, 11, 15, 10, 0, 1),
         0,
         0,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE});

    // Limits above 6553 hours keep their hours and gain no calendar part.
    add({"SevenThousandHourLimitNotDueBelow",
         {{utc(2020, 2, 1), 70000}},
         {{NEW, utc(2020, 1, 15)}},
         0,
         hoursLimit(7000),
         tNow2021});
    add({"SevenThousandHourLimitDueAbove",
         {{utc(2020, 2, 1), 70001}},
         {{NEW, utc(2020, 1, 15)}},
         0,
         hoursLimit(7000),
         tNow2021,
         0,
         0,
         F_RCOHRS,
         CCD_DUESTAT_RCODUE});
    // An unknown replacement date gives no hours credit: its hours limit
    // counts from airframe hour 0.
    add({"UnknownReplacementDateHoursFromZero",
         {{utc(2020, 2, 1), 1001}},
         {{NEW, -1}},
         0,
         hoursLimit(100),
         tNow2021,
         0,
         0,
         F_RCOHRS,
         CCD_DUESTAT_RCODUE});
    add({"DeferralWithoutADateDefersNothing",
         {{utc(2020, 2, 1), 600}},
         {{DEFI, 0, 0, 0, 10000, 3000}},
         50,
         0,
         tNow2021,
         0,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE});
    add({"OnConditionAloneIsNeverDue",
         {{utc(2020, 2, 1), 90000}},
         {},
         0,
         0x80000000u,
         utc(2060, 1, 1)});

    // Dates beyond 2038.
    add({"CalendarLimitIn2040NotYet",
         {},
         {{NEW, utc(2037, 3, 1)}},
         0,
         yearsLimit(3),
         utc(2040, 3, 1),
         0,
         0,
         0,
         CCD_DUESTAT_NONE,
         utc(2036, 1, 1)});
    add({"CalendarLimitIn2040Reached",
         {},
         {{NEW, utc(2037, 3, 1)}},
         0,
         yearsLimit(3),
         utc(2040, 3, 1) + 1,
         0,
         0,
         F_RCOCAL,
         CCD_DUESTAT_RCODUE,
         utc(2036, 1, 1)});
    add({"DeferralDaysIn2039Hold",
         {{utc(2039, 1, 1), 600}},
         {{DEFI, utc(2039, 2, 1), 0, 0, 0, 30}},
         50,
         0,
         utc(2039, 3, 2),
         0,
         0,
         F_DEFI,
         CCD_DUESTAT_INSPDEFER,
         utc(2038, 6, 1)});
    add({"DeferralDaysIn2039RunOut",
         {{utc(2039, 1, 1), 600}},
         {{DEFI, utc(2039, 2, 1), 0, 0, 0, 30}},
         50,
         0,
         utc(2039, 3, 3),
         0,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE,
         utc(2038, 6, 1)});
    add({"FlightsAfter2038CountForInspection",
         {{utc(2039, 1, 1), 300}, {utc(2040, 6, 1), 201}},
         {{INSP, utc(2039, 2, 1)}},
         20,
         0,
         utc(2041, 1, 1),
         0,
         0,
         F_INSP,
         CCD_DUESTAT_INSPDUE,
         utc(2038, 6, 1)});
    return v;
}

struct Look {
    const char* pszColour;
    guint nWeight;
};
Look lookOf(dueStat_t n) {
    switch (n) {
    case CCD_DUESTAT_NONE:
        return {"black", 400};
    case CCD_DUESTAT_INSPDEFER:
        return {"blue", 400};
    case CCD_DUESTAT_RCODEFER:
        return {"blue", 700};
    case CCD_DUESTAT_INSPDUE:
        return {"red", 400};
    case CCD_DUESTAT_RCODUE:
        return {"red", 700};
    }
    return {"?", 0};
}

class DueRules : public CompTest, public testing::WithParamInterface<DueCase> {};

TEST_P(DueRules, CardShowsTheExpectedState) {
    const DueCase& c = GetParam();
    guint iACID = addAircraft(c.tManufacture, c.bSinceNew, c.nLogHours);
    addFlights(iACID, c.flights);
    CardSpec card;
    card.iGroupID = 1; // "Airframe" under "Fuselage"
    card.nInspIntv = c.nInspIntv;
    card.nRCOIntv = c.nRCOIntv;
    guint iCompID = addCard(card);
    for (const Rec& r : c.history) {
        guint iMaintID = addRecord(iACID, iCompID, r);
        if (r.tComplete == -1) // an unknown date as older files hold it
            avt::exec(logDb(), "UPDATE Maintenance SET tCompleted=4294967295 WHERE iMaintID=" +
                                   std::to_string(iMaintID));
    }
    activate(iACID);
    cmodSetClock(c.tNow);
    cmodSetMarkTime(c.nMarkHours, c.nMarkTime);

    // Judged at tree build, from the summary read from the database.
    ASSERT_TRUE(cmodLoadModel(iCompID));
    GtkTreeIter* piterSel = cmodGetCompSel();
    ASSERT_NE(piterSel, nullptr);
    GtkTreeIter iterCard = *piterSel;
    EXPECT_EQ(col<guint>(&iterCard, CCD_DUEFLAGS_COL), c.bExpectFlags);
    Look look = lookOf(c.nExpect);
    EXPECT_EQ(text(&iterCard, CCD_COLOUR_COL), look.pszColour);
    EXPECT_EQ(col<guint>(&iterCard, CCD_WEIGHT_COL), look.nWeight);
    // The worst state is carried up to the sub-group and group rows.
    GtkTreeIter iterSub, iterGrp;
    ASSERT_TRUE(gtk_tree_model_iter_parent(cmodGetModel(), &iterSub, &iterCard));
    ASSERT_TRUE(gtk_tree_model_iter_parent(cmodGetModel(), &iterGrp, &iterSub));
    EXPECT_EQ(text(&iterSub, CCD_COLOUR_COL), look.pszColour);
    EXPECT_EQ(col<guint>(&iterGrp, CCD_WEIGHT_COL), look.nWeight);
    EXPECT_EQ(text(&iterGrp, CCD_COLOUR_COL), look.pszColour);
    mntState sFromDb = *mmodGetState(iCompID);

    // Judged again after an edit, from the summary of the record list.
    mmodLoadModel(iCompID, ALL);
    mntState sFromList = *mmodCalcCompTimes();
    EXPECT_EQ(summaryText(sFromDb), summaryText(sFromList));
    rcdComp rcdCard{};
    cbComp cb{&rcdCard, nullptr, nullptr};
    ASSERT_TRUE(sqlLoadCompCard(&cb, iCompID, 0));
    gtk_tree_store_set(GTK_TREE_STORE(cmodGetModel()), &iterCard, CCD_DUEFLAGS_COL, 0xFFu, -1);
    cmodUpdateRow(&iterCard, &rcdCard, &sFromList);
    EXPECT_EQ(cmodIsDue(&iterCard, fmodAFHoursTotal()), c.nExpect);
    EXPECT_EQ(col<guint>(&iterCard, CCD_DUEFLAGS_COL), c.bExpectFlags);
}

INSTANTIATE_TEST_SUITE_P(Cases, DueRules, testing::ValuesIn(dueCases()),
                         [](const testing::TestParamInfo<DueCase>& info) {
                             return std::string(info.param.pszName);
                         });

// The deferral test on its own, against a real flight log: 60.0 hours
// before 1 Mar 2020, 10.0 more on 2 Mar.
using DeferTest = CompTest;

TEST_F(DeferTest, HoldsUntilBothHoursAndDaysHaveRunOut) {
    guint iACID = addAircraft(utc(2020, 1, 1));
    addFlights(iACID, {{utc(2020, 2, 1), 600}, {utc(2020, 3, 2), 100}, {utc(2040, 2, 1), 5}});
    activate(iACID);
    const time_t t = utc(2020, 3, 1);
    const time_t t2040 = utc(2040, 3, 1);
    const time_t tFar = utc(2030, 1, 1);
    const time_t tLater = utc(2050, 1, 1);
    struct Case {
        time_t tDefer;
        guint nHours, nDays, nMarkTgt;
        time_t tMark;
        gboolean bExpect;
    };
    const Case cases[] = {
        {0, 50, 10, 0, 0, FALSE},                   // none recorded
        {t, 0, 0, 0, 0, FALSE},                     // 0 hours 0 days
        {t, 0, 10, 9999, t + 863999, TRUE},         // days hold
        {t, 0, 10, 9999, t + 864000, FALSE},        // days run out exactly
        {t, 50, 0, 649, tFar, TRUE},                // hours at the deferral 600 + 50
        {t, 50, 0, 650, tFar, FALSE},               // run out exactly at the sum
        {t, 50, 10, 9999, t + 86400, TRUE},         // hours gone, days remain
        {t, 50, 10, 600, tFar, TRUE},               // days gone, hours remain
        {t, 50, 10, 650, t + 864000, FALSE},        // both gone
        {t2040, 0, 10, 9999, t2040 + 863999, TRUE}, // beyond 2038
        {t2040, 0, 10, 9999, t2040 + 864000, FALSE},
        {t2040, 20, 0, 724, tLater, TRUE}, // 705 at the deferral + 20
        {t2040, 20, 0, 725, tLater, FALSE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cmodIsDefer(c.tDefer, c.nHours, c.nDays, c.nMarkTgt, c.tMark), c.bExpect)
            << c.tDefer << " " << c.nHours << "h " << c.nDays << "d mark " << c.nMarkTgt << " at "
            << c.tMark;
}

} // namespace
