// Forecast dates from the aircraft's own flying, on known histories: which
// span gives the rate, the date an hours limit is expected at it, the
// earlier of that and a calendar limit, and what the two plots show.
#include "avDue.h"
#include "avPlot.h"
#include "test_comp_fixture.h"

namespace {

using namespace avct;

const time_t kNow = utc(2026, 6, 15, 12);

time_t daysAgo(int nDays) {
    return kNow - time_t(nDays) * 86400;
}

class Forecast : public CompTest {
  protected:
    void SetUp() override {
        CompTest::SetUp();
        cmodSetClock(kNow);
    }
    // An aircraft built three years before now, with its flights and
    // (unless negative) a rate set by hand in tenths.
    guint aircraft(const std::vector<Flight>& flights, gint nByHand = -1) {
        const guint iACID = addAircraft({.tManu = utc(2023, 6, 15, 12), .nFcstRate = nByHand});
        addFlights(iACID, flights);
        return iACID;
    }
    void load(guint iACID) {
        activate(iACID);
        ASSERT_TRUE(cmodLoadModel(ALL));
    }
    // The forecast of the only card there is.
    std::string cardForecast() {
        std::string str;
        eachRow([&](GtkTreeIter* p) {
            if (col<guint>(p, CCD_TYPE_COL) == TYPE_COMP)
                str += dueCompLine(p).strForecast;
        });
        return str;
    }
};

struct RateCase {
    const char* pszName;
    std::vector<Flight> flights;
    gint nByHand;        // tenths a month; -1 worked out
    guint nInspIntv;     // whole hours, from 0 A/F hrs when built
    const char* pszRate; // the rate a forecast takes
    std::string strForecast;
};

TEST_F(Forecast, RateComesFromTheFirstSpanWithEnoughFlightsOrFromTheOwner) {
    const std::vector<Flight> recent{
        {daysAgo(400), 100}, {daysAgo(60), 30}, {daysAgo(40), 30}, {daysAgo(20), 30}};
    const RateCase cases[] = {
        // 9.0 hrs in 90 days; 6.0 left: one month and 30 days.
        {"90 days", recent, -1, 25, "3.0 h/month (last 90 days)", "≈ 14-Aug-2026 at 3.0 h/month"},
        // Too few flights in 90 days, 24.0 in 12 months: 6.0 left is three months.
        {"12 months",
         {{daysAgo(300), 80}, {daysAgo(200), 80}, {daysAgo(100), 80}, {daysAgo(60), 0}},
         -1,
         30,
         "2.0 h/month (last 12 months)",
         "≈ 15-Sep-2026 at 2.0 h/month"},
        // Two flights in three years (a stale log): 24.0 over 36 months.
        {"whole log",
         {{daysAgo(700), 120}, {daysAgo(500), 120}},
         -1,
         26,
         "0.67 h/month (whole log; no flight in the last 12 months)",
         "≈ 15-Sep-2026 at 0.67 h/month"},
        {"no flights", {}, -1, 50, "no forecast: no flights", "no forecast: no flights"},
        {"set by hand", recent, 40, 31, "4.0 h/month (set by hand)",
         "≈ 15-Sep-2026 at 4.0 h/month"},
        {"0 by hand", recent, 0, 31, "no forecast: a rate of 0 set by hand",
         "no forecast: a rate of 0 set by hand"},
        {"no hours flown",
         {{daysAgo(30), 0}, {daysAgo(20), 0}, {daysAgo(10), 0}},
         -1,
         10,
         "no forecast: no hours flown",
         "no forecast: no hours flown"},
        // Overdue: due now whatever the rate, never a date in the past.
        {"reached", recent, -1, 10, "3.0 h/month (last 90 days)", "now (hours reached)"},
    };
    for (const RateCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        TearDown();
        SetUp();
        guint iACID = aircraft(c.flights, c.nByHand);
        addCard({.pszDesc = "Insp", .nInspIntv = c.nInspIntv});
        load(iACID);
        EXPECT_EQ(fcstUtilisation().strRate, c.pszRate);
        EXPECT_EQ(cardForecast(), c.strForecast);
    }
}

struct EarlierCase {
    const char* pszName;
    CardSpec card;
    std::vector<Rec> recs;
    std::string strForecast;
};

// At 10.0 hrs a month, with 10.0 flown 30 days ago.
TEST_F(Forecast, EarlierOfHoursAndCalendarDrivesAndADeferralHoldsItOff) {
    const EarlierCase cases[] = {
        {"hours first",
         {.pszDesc = "Belt", .nRCOIntv = 40 | 2u << 16},
         {{MNT_KIND_REPLACE_NEW, daysAgo(365)}},
         "≈ 15-Sep-2026 at 10.0 h/month"},
        {"calendar first",
         {.pszDesc = "Belt", .nRCOIntv = 100 | 2u << 16},
         {{MNT_KIND_REPLACE_NEW, utc(2024, 8, 1)}},
         "01-Aug-2026 (calendar)"},
        {"calendar deferred by days",
         {.pszDesc = "Belt", .nRCOIntv = 3u << 16},
         {{MNT_KIND_REPLACE_NEW, utc(2023, 1, 1)},
          {MNT_KIND_DEFER_RCO, utc(2026, 6, 1), 0, 0, 0, 60}},
         "31-Jul-2026 (deferral)"},
        // Due at 5.0, deferred 15.0 hrs from 10.0: 1.5 months.
        {"inspection deferred by hours",
         {.pszDesc = "Belt", .nInspIntv = 5},
         {{MNT_KIND_DEFER_INSP, daysAgo(10), 0, 0, 150, 0}},
         "≈ 30-Jul-2026 at 10.0 h/month (deferral)"},
    };
    for (const EarlierCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        TearDown();
        SetUp();
        guint iACID = aircraft({{daysAgo(30), 100}}, 100);
        guint iCompID = addCard(c.card);
        for (const Rec& r : c.recs)
            addRecord(iACID, iCompID, r);
        load(iACID);
        EXPECT_EQ(cardForecast(), c.strForecast);
    }
}

// Months with flying as "Mon-YYYY hours", the empty ones left out.
std::string barsText(const fcstBars& bars) {
    std::string str;
    for (const fcstMonth& m : bars.lstMonths) {
        char sz[40];
        cnvDcdHours(sz, sizeof sz, m.nHours);
        if (m.nHours)
            str += (str.empty() ? "" : ", ") + dateText(m.tStart).substr(3) + " " + sz;
    }
    return str;
}

TEST_F(Forecast, PlotsShowEveryMonthAndEveryDuePointAndTheListItsForecasts) {
    guint iACID = aircraft({{utc(2024, 6, 20), 90},
                            {utc(2024, 7, 3), 40},
                            {utc(2026, 1, 5), 20},
                            {utc(2026, 1, 25), 15},
                            {utc(2026, 6, 10), 30}},
                           100);
    addCard({.pszDesc = "Soon", .nSort = 1, .nInspIntv = 30}); // 10.5 left
    addCard({.pszDesc = "Overdue", .nSort = 2, .nInspIntv = 10});
    addCard({.pszDesc = "Far", .nSort = 3, .nInspIntv = 500});
    guint iCal = addCard({.pszDesc = "Life", .nSort = 4, .nRCOIntv = 2u << 16});
    addRecord(iACID, iCal, {MNT_KIND_REPLACE_NEW, utc(2024, 12, 1)});
    cmodSetMarkTime(0, INTV_MONTH << 24 | 4);
    load(iACID);

    const fcstBars bars = fcstMonthsFlown(24);
    ASSERT_EQ(bars.lstMonths.size(), 24u);
    EXPECT_EQ(dateText(bars.lstMonths.front().tStart), "01-Jul-2024");
    EXPECT_EQ(barsText(bars), "Jul-2024 4.0, Jan-2026 3.5, Jun-2026 3.0");
    EXPECT_NEAR(bars.dAverage, 6.5 / 12, 1e-9);

    // One mark per due point in the next 12 months, the overdue one today.
    const fcstTimeline tl = fcstTimelineOf(12);
    std::vector<std::string> marks;
    for (const fcstMark& m : tl.lstMarks)
        marks.push_back(m.strName + " " + dateText(m.tDate) + " " +
                        cmodDueLook(m.nState).pszColour + (m.bOverdue ? " overdue" : ""));
    EXPECT_EQ(marks,
              (std::vector<std::string>{"Overdue 15-Jun-2026 red overdue", "Soon 17-Jul-2026 black",
                                        "Life 01-Dec-2026 black"}));
    // Drawn, every mark can be pointed at.
    cairo_surface_t* pSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 170);
    cairo_t* pcr = cairo_create(pSurface);
    const std::vector<plotHit> hits = plotDrawTimeline(pcr, tl, {800, 170, 11});
    cairo_destroy(pcr);
    cairo_surface_destroy(pSurface);
    ASSERT_EQ(hits.size(), tl.lstMarks.size());
    for (const plotHit& h : hits)
        EXPECT_EQ(plotHitAt(hits, h.dX, h.dY), int(h.iMark));

    // The list: what is due at the mark, then what is forecast by the
    // mark's date (15-Oct), in black: a forecast never colours a card.
    std::vector<std::string> lines;
    for (const dueLine& l : dueCollect())
        if (!l.bPilot)
            lines.push_back(l.strName + "|" + l.strState + "|" + l.strColour + "|" + l.strForecast);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Overdue|Overdue|red|now (hours reached)",
                         "Soon|Forecast within the mark|black|≈ 17-Jul-2026 at 10.0 h/month"}));
}

} // namespace
