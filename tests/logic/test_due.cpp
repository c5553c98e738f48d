// The due rules on real databases, a real flight log and the real tree:
// every case names the history, the hours flown, the moment and the mark,
// and the state the card must show (some also where each limit falls due). Each case is judged
// twice, from the summary read at tree build and from the summary of the record list after an edit,
// and both summaries must agree field by field.
#include "test_comp_fixture.h"

#include <algorithm>

namespace {

using namespace avct;

constexpr guint INSP = MNT_KIND_INSPECTED, NEW = MNT_KIND_REPLACE_NEW, USED = MNT_KIND_REPLACE_USED;
constexpr guint DEFI = MNT_KIND_DEFER_INSP, DEFR = MNT_KIND_DEFER_RCO;
constexpr guint F_RCOCAL = 1u << CCD_RCOCAL_DUE, F_RCOHRS = 1u << CCD_RCOHOURS_DUE,
                F_INSP = 1u << CCD_INSPHOURS_DUE, F_DEFR = 1u << CCD_RCOHOURS_DEFER,
                F_DEFI = 1u << CCD_INSPHOURS_DEFER;
constexpr dueStat_t NONE = CCD_DUESTAT_NONE, IDEF = CCD_DUESTAT_INSPDEFER,
                    RDEF = CCD_DUESTAT_RCODEFER, IDUE = CCD_DUESTAT_INSPDUE,
                    RDUE = CCD_DUESTAT_RCODUE;
// What a user sees of each state, indexed by the state.
const std::pair<const char*, guint> kLook[] = {
    {"black", 400}, {"blue", 400}, {"blue", 700}, {"red", 400}, {"red", 700}};

constexpr auto years = [](guint n) { return n << 16; };
constexpr auto span = [](guint nUnit, guint nCount) { return nUnit << 24 | nCount; };

const time_t tFeb = utc(2020, 2, 1), tMar = utc(2020, 3, 1), t2021 = utc(2021, 1, 1);
const time_t tRepl = utc(2020, 5, 15, 10, 0, 0), tLimit = utc(2023, 5, 15, 10, 0, 0);

struct DueCase {
    const char* pszName;
    std::vector<Flight> flights;
    std::vector<Rec> history;
    guint nInspIntv, nRCOIntv; // whole hours; packed limit
    time_t tNow;
    guint nMarkHours, nMarkTime; // tenths; packed span
    guint bFlags;
    dueStat_t nExpect;
    // Where each limit falls due and how far off (inspection, replacement by
    // hours, by date), as figureText writes it; empty: not checked.
    std::vector<std::string> figures = {};
    friend void PrintTo(const DueCase& c, std::ostream* os) { *os << c.pszName; }
};

std::vector<DueCase> dueCases() {
    const std::vector<Rec> deferAtLimit{{NEW, tRepl}, {DEFR, tLimit, 0, 0, 50, 10}};
    const std::vector<Rec> defer5h{{DEFI, tMar, 0, 0, 50, 0}},
        longDefer{{DEFI, tMar, 0, 0, 10000, 0}};
    const std::vector<Flight> sixty{{tFeb, 600}}, around{{tFeb, 600}, {utc(2020, 4, 1), 501}};
    const Rec used120{USED, utc(2020, 3, 1), 1200};
    const time_t tMay21 = utc(2021, 5, 10);
    const std::string sMay21 = std::to_string(tMay21), sMay26 = std::to_string(utc(2026, 5, 10));
    const std::string sMar = std::to_string(tMar), sRepl = std::to_string(tRepl);
    // clang-format off
    return {
        // name                                  flights                           history                                           insp rco            now                          mark h, span        flags           state
        {"NoRecords50hAt50_0",                   {{tFeb, 500}},                    {},                                               50, 0,              t2021,                       0, 0,                    0,              NONE},
        {"NoRecords50hAt50_1",                   {{tFeb, 501}},                    {},                                               50, 0,              t2021,                       0, 0,                    F_INSP,         IDUE},
        {"At49_9WithMark0_2",                    {{tFeb, 499}},                    {},                                               50, 0,              t2021,                       2, 0,                    F_INSP,         IDUE},
        {"At49_9WithMark0_1",                    {{tFeb, 499}},                    {},                                               50, 0,              t2021,                       1, 0,                    0,              NONE},
        {"ThreeYearsAtTheSecond",                {},                               {{NEW, tRepl}},                                   0, years(3),        tLimit,                      0, 0,                    0,              NONE},
        {"ThreeYearsOneSecondLater",             {},                               {{NEW, tRepl}},                                   0, years(3),        tLimit + 1,                  0, 0,                    F_RCOCAL,       RDUE},
        {"ThreeYearsReachedByAMonthMark",        {},                               {{NEW, tRepl}},                                   0, years(3),        utc(2023, 4, 15, 10, 0, 1),  0, span(INTV_MONTH, 1),  F_RCOCAL,       RDUE},
        {"ThreeYearsNotReachedByADayMark",       {},                               {{NEW, tRepl}},                                   0, years(3),        tLimit - 86400,              0, span(INTV_DAY, 1),    0,              NONE},
        {"UnknownMarkUnitAddsNothing",           {},                               {{NEW, tRepl}},                                   0, years(3),        tLimit,                      0, span(7, 5),           0,              NONE},
        {"NeverReplacedCountsFromManufacture",   {},                               {},                                               0, years(1),        utc(2021, 1, 1, 0, 0, 1),    0, 0,                    F_RCOCAL,       RDUE},
        {"UnknownReplDateCalendarDueAtOnce",     {},                               {{NEW, -1}},                                      0, years(30),       t2021,                       0, 0,                    F_RCOCAL,       RDUE,
         {"-", "-", "last 0@-1 due 0/-1 left 0/-" + std::to_string(t2021 / 86400) + " state 4 defer 0/-1"}},
        {"UnknownReplDateHoursFromZero",         {{tFeb, 1001}},                   {{NEW, -1}},                                      0, 100,             t2021,                       0, 0,                    F_RCOHRS,       RDUE},
        {"TenDayDeferralHolds",                  {},                               deferAtLimit,                                     0, years(3),        tLimit + 1,                  0, 0,                    F_DEFR,         RDEF},
        {"TenDayDeferralLastSecond",             {},                               deferAtLimit,                                     0, years(3),        tLimit + 863999,             0, 0,                    F_DEFR,         RDEF},
        // A deferral holding today but not at the mark's date: due within the mark.
        {"TenDayDeferralRunsOutWithinTheMark",   {},                               deferAtLimit,                                     0, years(3),        tLimit + 1,                  0, span(INTV_DAY, 30),   F_RCOCAL,       RDUE},
        {"TenDayDeferralRunsOutHoursIgnored",    {},                               deferAtLimit,                                     0, years(3),        tLimit + 864000,             0, 0,                    F_RCOCAL,       RDUE},
        {"HoursOnlyDeferralLeavesCalendarDue",   {},                               {{NEW, tRepl}, {DEFR, tLimit, 0, 0, 500, 0}},     0, years(3),        tLimit + 1,                  0, 0,                    F_RCOCAL,       RDUE},
        {"FiveHourDeferralHoldsBelow",           {{tFeb, 600}, {tMar + 86400, 49}}, defer5h,                                         50, 0,              t2021,                       0, 0,                    F_DEFI,         IDEF},
        {"FiveHourDeferralRunsOutAtTheSum",      {{tFeb, 600}, {tMar + 86400, 50}}, defer5h,                                         50, 0,              t2021,                       0, 0,                    F_INSP,         IDUE},
        {"FiveHourDeferralRunsOutAtTheMark",     sixty,                            defer5h,                                          50, 0,              t2021,                       50, 0,                   F_INSP,         IDUE},
        {"ZeroZeroDeferralDefersNothing",        sixty,                            {{DEFI, tMar, 0, 0, 0, 0}},                       50, 0,              t2021,                       0, 0,                    F_INSP,         IDUE},
        {"DeferralWithoutADateDefersNothing",    sixty,                            {{DEFI, 0, 0, 0, 10000, 3000}},                   50, 0,              t2021,                       0, 0,                    F_INSP,         IDUE},
        {"HoursGoneDaysRemainHolds",             {{tFeb, 600}, {tMar + 86400, 100}}, {{DEFI, tMar, 0, 0, 50, 30}},                   50, 0,              utc(2020, 3, 20),            0, 0,                    F_DEFI,         IDEF},
        {"HoursAndDaysGoneRunsOut",              {{tFeb, 600}, {tMar + 86400, 100}}, {{DEFI, tMar, 0, 0, 50, 30}},                   50, 0,              utc(2020, 3, 31),            0, 0,                    F_INSP,         IDUE},
        {"LongDeferralHoldsWithoutInspection",   around,                           longDefer,                                        50, 0,              t2021,                       0, 0,                    F_DEFI,         IDEF},
        {"InspectionEndsAnInspectionDeferral",   around,                           {longDefer[0], {INSP, utc(2020, 3, 15)}},         50, 0,              t2021,                       0, 0,                    F_INSP,         IDUE},
        {"ReplacementEndsAnInspectionDeferral",  around,                           {longDefer[0], {NEW, utc(2020, 3, 15)}},          50, 0,              t2021,                       0, 0,                    F_INSP,         IDUE},
        {"InspectionBeforeDeferralLeavesIt",     around,                           {{INSP, utc(2020, 2, 15)}, longDefer[0]},         50, 0,              t2021,                       0, 0,                    F_DEFI,         IDEF},
        {"SecondDeferralReplacesALongerFirst",   {{tFeb, 600}, {utc(2020, 3, 20), 51}}, {longDefer[0], {DEFI, utc(2020, 3, 15), 0, 0, 50, 0}}, 50, 0,       t2021,                       0, 0,                    F_INSP,         IDUE},
        {"SecondDeferralReplacesAShorterFirst",  {{tFeb, 600}, {utc(2020, 3, 20), 51}}, {defer5h[0], {DEFI, utc(2020, 3, 15), 0, 0, 10000, 0}}, 50, 0,   t2021,                       0, 0,                    F_DEFI,         IDEF},
        {"ReplacementEndsAReplacementDeferral",  {{tFeb, 1100}, {utc(2020, 4, 1), 1001}}, {{DEFR, tMar, 0, 0, 10000, 0}, {NEW, utc(2020, 3, 15)}}, 0, 100, t2021,            0, 0,                    F_RCOHRS,       RDUE},
        {"InspectionLeavesAReplDeferral",        {{tFeb, 1100}},                   {{DEFR, tMar, 0, 0, 10000, 0}, {INSP, utc(2020, 3, 15)}}, 0, 100,   t2021,                       0, 0,                    F_DEFR,         RDEF},
        {"InspDueReplDeferredRedNotBold",        {{tFeb, 1100}},                   {{DEFR, tMar, 0, 0, 1000, 0}},                    50, 100,            t2021,                       0, 0,                    F_INSP | F_DEFR, IDUE},
        {"ReplDeferredOutranksInspDeferred",     {{tFeb, 1100}},                   {{DEFR, tMar, 0, 0, 1000, 0}, {DEFI, tMar + 1, 0, 0, 1000, 0}}, 50, 100, t2021,                0, 0,                    F_DEFR | F_DEFI, RDEF},
        {"ReplDueOutranksInspDue",               {{tFeb, 1100}},                   {},                                               50, 100,            t2021,                       0, 0,                    F_RCOHRS | F_INSP, RDUE},
        {"CalendarAndHoursBothDue",              {{tFeb, 1100}},                   {},                                               0, 100 | years(1),  utc(2022, 1, 1),             0, 0,                    F_RCOHRS | F_RCOCAL, RDUE},
        {"Used120On300After180_0",               {{tFeb, 1000}, {utc(2020, 4, 1), 1800}}, {used120},                                 0, 300,             t2021,                       0, 0,                    0,              NONE},
        {"Used120On300After180_1",               {{tFeb, 1000}, {utc(2020, 4, 1), 1801}}, {used120},                                 0, 300,             t2021,                       0, 0,                    F_RCOHRS,       RDUE},
        {"NewPartAfterUsedStartsFromZero",       {{tFeb, 1000}, {utc(2020, 4, 1), 2900}}, {used120, {NEW, utc(2020, 3, 2)}},         0, 300,             t2021,                       0, 0,                    0,              NONE},
        // Records count in date order, whatever order they were entered in.
        {"EnteredOutOfDateOrder",                {{tFeb, 1000}, {utc(2020, 4, 1), 2900}}, {{NEW, utc(2020, 3, 2)}, used120},         0, 300,             t2021,                       0, 0,                    0,              NONE},
        // A part fitted with more hours than its limit is due at once; unsigned
        // arithmetic would wrap its due hours round to "never".
        {"UsedPartBeyondItsLifeDueAtOnce",       {{tFeb, 1000}},                   {{USED, tMar, 4500}},                             0, 300,             t2021,                       0, 0,                    F_RCOHRS,       RDUE,
         {"-", "last 1000@" + sMar + " due 0/-1 left -1500/0 used state 4 defer 0/-1", "-"}},
        {"UsedPartAgeShortensCalendarExactly",   {},                               {{USED, tRepl, 0, span(INTV_YEAR, 2)}},           0, years(3),        utc(2021, 5, 15, 10, 0, 0),  0, 0,                    0,              NONE,
         {"-", "-", "last 0@" + sRepl + " due 0/" + std::to_string(utc(2021, 5, 15, 10)) + " left 0/0 used state 0 defer 0/-1"}},
        {"UsedPartAgeShortensCalendarLife",      {},                               {{USED, tRepl, 0, span(INTV_YEAR, 2)}},           0, years(3),        utc(2021, 5, 15, 10, 0, 1),  0, 0,                    F_RCOCAL,       RDUE},
        // A new part is new, whatever age the record kept from an earlier choice.
        {"NewPartIgnoresAStoredAge",             {},                               {{NEW, tRepl, 0, span(INTV_YEAR, 2)}},            0, years(3),        utc(2021, 5, 15, 10, 0, 1),  0, 0,                    0,              NONE},
        {"SevenThousandHourLimitNotYet",         {{tFeb, 70000}},                  {{NEW, utc(2020, 1, 15)}},                        0, 7000,            t2021,                       0, 0,                    0,              NONE},
        {"SevenThousandHourLimitDue",            {{tFeb, 70001}},                  {{NEW, utc(2020, 1, 15)}},                        0, 7000,            t2021,                       0, 0,                    F_RCOHRS,       RDUE},
        {"OnConditionAloneIsNeverDue",           {{tFeb, 90000}},                  {},                                               0, 0x80000000u,     utc(2060, 1, 1),             0, 0,                    0,              NONE},
        // Beyond 2038: 64-bit dates all the way.
        {"CalendarLimitIn2040NotYet",            {},                               {{NEW, utc(2037, 3, 1)}},                         0, years(3),        utc(2040, 3, 1),             0, 0,                    0,              NONE},
        {"CalendarLimitIn2040Reached",           {},                               {{NEW, utc(2037, 3, 1)}},                         0, years(3),        utc(2040, 3, 1) + 1,         0, 0,                    F_RCOCAL,       RDUE},
        {"DeferralDaysIn2039Hold",               {{utc(2039, 1, 1), 600}},         {{DEFI, utc(2039, 2, 1), 0, 0, 0, 30}},           50, 0,              utc(2039, 3, 2),             0, 0,                    F_DEFI,         IDEF},
        {"DeferralDaysIn2039RunOut",             {{utc(2039, 1, 1), 600}},         {{DEFI, utc(2039, 2, 1), 0, 0, 0, 30}},           50, 0,              utc(2039, 3, 3),             0, 0,                    F_INSP,         IDUE},
        {"FlightsAfter2038CountForInspection",   {{utc(2039, 1, 1), 300}, {utc(2040, 6, 1), 201}}, {{INSP, utc(2039, 2, 1)}},        20, 0,              utc(2041, 1, 1),             0, 0,                    F_INSP,         IDUE},
        // The figures: an interval of 25 after an inspection at 100.0 h is due
        // at 125.0, 2.0 h left at 123.0; 500 h or 5 years after a replacement
        // at 200.0 h; days left count from today, not from the mark's date.
        {"Interval25",                           {{tFeb, 1000}, {utc(2020, 4, 1), 230}}, {{INSP, tMar}},                     25, 0,              t2021,                       0, 0,                    0,              NONE,
         {"last 1000@" + sMar + " due 1250/-1 left 20/0 state 0 defer 0/-1", "-", "-"}},
        {"LimitHoursOrYears",                    {{tFeb, 2000}},                   {{NEW, tMay21}},                                  0, 500 | years(5),  utc(2022, 5, 10),            0, span(INTV_MONTH, 1),  0,              NONE,
         {"-", "last 2000@" + sMay21 + " due 7000/-1 left 5000/0 state 0 defer 0/-1",
          "last 2000@" + sMay21 + " due 0/" + sMay26 + " left 0/1461 state 0 defer 0/-1"}},
        // The day after the limit is a day overdue, whatever the hour; the
        // replacement deferral holds by days only.
        {"CalendarOverdueDeferred",              {},                               deferAtLimit,                                     0, years(3),        tLimit + 86400 + 12 * 3600,  0, 0,                    F_DEFR,         RDEF,
         {"-", "-", "last 0@" + sRepl + " due 0/" + std::to_string(tLimit) + " left 0/-1 state 2 defer " + std::to_string(tLimit + 864000) + "/-1"}},
        // An inspection deferral of 5.0 h and 3 days, recorded at 100.0 h.
        {"InspectionDeferredFigures",            {{tFeb, 1000}, {utc(2020, 4, 1), 510}}, {{DEFI, tMar, 0, 0, 50, 3}},        50, 0,              t2021,                       0, 0,                    F_INSP,         IDUE,
         {"last 0@" + std::to_string(utc(2020, 1, 1)) + " due 500/-1 left -1010/0 state 3 defer " + std::to_string(tMar + 3 * 86400) + "/1050", "-", "-"}},
    };
    // clang-format on
}

std::string figureText(const cmodDueFigure& f) {
    if (!f.bSet)
        return "-";
    char sz[160];
    snprintf(sz, sizeof sz,
             "last %lld@%lld due %lld/%lld left %lld/%lld%s state %d defer %lld/%lld",
             (long long)f.nLastHours, (long long)f.tLast, (long long)f.nDueHours, (long long)f.tDue,
             (long long)f.nLeftHours, (long long)f.nLeftDays, f.bUsedPart ? " used" : "",
             int(f.nState), (long long)f.tDeferEnd, (long long)f.nDeferEndHours);
    return sz;
}

class DueRules : public CompTest, public testing::WithParamInterface<DueCase> {};

TEST_P(DueRules, CardShowsTheExpectedState) {
    const DueCase& c = GetParam();
    guint iACID = addAircraft();
    addFlights(iACID, c.flights);
    guint iCompID = addCard({.iGroupID = 1, .nInspIntv = c.nInspIntv, .nRCOIntv = c.nRCOIntv});
    for (const Rec& r : c.history) {
        guint iMaintID = addRecord(iACID, iCompID, r);
        if (r.tComplete == -1) // an unknown date as older files hold it
            avt::exec(logDb(), "UPDATE Maintenance SET tCompleted=4294967295 WHERE iMaintID=" +
                                   std::to_string(iMaintID));
    }
    activate(iACID);
    cmodSetClock(c.tNow);
    cmodSetMarkTime(c.nMarkHours, c.nMarkTime);

    // Judged at tree build, from the summary read from the database; the
    // sub-group and group rows above carry the same state.
    ASSERT_TRUE(cmodLoadModel(iCompID));
    ASSERT_NE(cmodGetCompSel(), nullptr);
    GtkTreeIter iterCard = *cmodGetCompSel(), iterSub, iterGrp;
    ASSERT_TRUE(gtk_tree_model_iter_parent(cmodGetModel(), &iterSub, &iterCard));
    ASSERT_TRUE(gtk_tree_model_iter_parent(cmodGetModel(), &iterGrp, &iterSub));
    EXPECT_EQ(col<guint>(&iterCard, CCD_DUEFLAGS_COL), c.bFlags);
    // The figures the card and the due list show carry the same verdict.
    cmodDueFigure lst[CCD_LIMIT_NUM];
    cmodDueFigures(&iterCard, lst);
    EXPECT_EQ(std::max({lst[0].nState, lst[1].nState, lst[2].nState}), c.nExpect);
    if (!c.figures.empty()) {
        EXPECT_EQ(std::vector<std::string>({figureText(lst[CCD_LIMIT_INSP_HOURS]),
                                            figureText(lst[CCD_LIMIT_RCO_HOURS]),
                                            figureText(lst[CCD_LIMIT_RCO_CAL])}),
                  c.figures);
    }
    for (GtkTreeIter* piter : {&iterCard, &iterSub, &iterGrp}) {
        EXPECT_EQ(text(piter, CCD_COLOUR_COL), kLook[c.nExpect].first);
        EXPECT_EQ(col<guint>(piter, CCD_WEIGHT_COL), kLook[c.nExpect].second);
    }

    // Judged again after an edit, from the summary of the record list.
    mntState sFromDb = *mmodGetState(iCompID);
    mmodLoadModel(iCompID, ALL);
    mntState sFromList = *mmodCalcCompTimes();
    EXPECT_EQ(summaryText(sFromDb), summaryText(sFromList));
    rcdComp rcdCard{};
    cbComp cb{&rcdCard, nullptr, nullptr};
    ASSERT_TRUE(sqlLoadCompCard(&cb, iCompID, 0));
    gtk_tree_store_set(GTK_TREE_STORE(cmodGetModel()), &iterCard, CCD_DUEFLAGS_COL, 0xFFu, -1);
    cmodUpdateRow(&iterCard, &rcdCard, &sFromList);
    // A stale airframe total from the caller must not hide a due state.
    EXPECT_EQ(cmodIsDue(&iterCard, 0), c.nExpect);
    EXPECT_EQ(col<guint>(&iterCard, CCD_DUEFLAGS_COL), c.bFlags);
}

INSTANTIATE_TEST_SUITE_P(Cases, DueRules, testing::ValuesIn(dueCases()),
                         [](const auto& info) { return std::string(info.param.pszName); });

} // namespace
