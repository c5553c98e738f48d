// Dates from the active aircraft's own flying: how many hours a month it
// flies, the rate a forecast takes, the date each hours limit is expected
// to fall due at that rate, and what the two plots show. A forecast is
// information only: no verdict and no colour depends on it.
#pragma once

#include "modComp.h"

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include <ctime>

// A span needs this many flights to give the rate.
constexpr guint FCST_MIN_FLIGHTS = 3;
// Largest rate the owner may set, tenths of an hour a month.
constexpr guint FCST_RATE_MAX = 2000;
// A forecast further off than this many months is none.
constexpr double FCST_MONTHS_MAX = 1200;

// Where the rate of a forecast comes from.
enum _fcstSource {
    FCST_SRC_NONE,
    FCST_SRC_90_DAYS,
    FCST_SRC_12_MONTHS,
    FCST_SRC_WHOLE_LOG,
    FCST_SRC_BY_HAND,
};

// Flying over one span ending now.
struct fcstSpan {
    time_t tFrom;     // its start; never before the log begins
    guint nFlights;   // flights started in it
    gint64 nHours;    // their hours, tenths
    double dPerMonth; // hours a month (a span shorter than a month counts as one)
};

// The utilisation of the active aircraft now, and the rate a forecast takes.
struct fcstUse {
    fcstSpan sp90, sp12, spAll;
    _fcstSource nSource;
    double dRate;        // hours a month; 0 when nothing can be forecast
    std::string strRate; // "4.2 h/month (last 90 days)", "no forecast: no flights"
};
fcstUse fcstUtilisation();
// The utilisation in words, a line a span and one for the forecast's rate:
// "Hours flown a month:\n4.2 in the last 90 days (5 flights)\n...".
std::string fcstUseText(const fcstUse& use);
// "4.2 h/month"; small rates keep two decimals.
std::string fcstRateText(double dRate);

// The moment nTenthsLeft of flying is used up at dRate hours a month from
// tNow: whole months by the calendar, the rest in days. tNow when nothing
// is left; -1 without a rate or beyond FCST_MONTHS_MAX.
time_t fcstDateAfter(gint64 nTenthsLeft, double dRate, time_t tNow);

enum _fcstKind { FCST_INSP, FCST_RCO, FCST_KINDS };
enum _fcstDriver { FCST_BY_NONE, FCST_BY_HOURS, FCST_BY_CALENDAR, FCST_BY_DEFERRAL };

// When a card's inspection or replacement is expected to fall due: the
// earlier of its hours limit at the rate and its calendar limit, held off
// to the end of a deferral in force.
struct fcstPoint {
    gboolean bSet;       // the card has a limit of this kind
    time_t tDate;        // -1: no forecast (no rate)
    _fcstDriver nDriver; // what puts it there
    gboolean bByRate;    // the date came from the rate
    dueStat_t nState;    // the tree's verdict on this kind
    std::string strText; // "≈ 14-Mar-2027 at 4.2 h/month", "15-May-2027 (calendar)"
    std::string strDate; // the same without the rate: "≈ 14-Mar-2027"
};
void fcstPoints(const cmodDueFigure figs[CCD_LIMIT_NUM], const fcstUse& use, gint64 nAFTotal,
                time_t tNow, fcstPoint pts[FCST_KINDS]);

// ---- what the plots show ----

// Hours flown in each calendar month, oldest first, the last one this
// month; and the average a month over the last 12 months.
struct fcstMonth {
    time_t tStart;
    gint64 nHours; // tenths
};
struct fcstBars {
    std::vector<fcstMonth> lstMonths;
    double dAverage;
};
fcstBars fcstMonthsFlown(guint nMonths = 24);

// One due point of a card on the timeline.
struct fcstMark {
    guint iCompID;
    std::string strName;
    _fcstKind nKind;
    time_t tDate;        // where it stands: not before the timeline's start
    gboolean bOverdue;   // fell due before today
    gboolean bByRate;    // placed at a forecast date
    dueStat_t nState;    // the tree's verdict, for its colour
    std::string strText; // the point's text
};
struct fcstTimeline {
    time_t tFrom, tTo;
    std::vector<fcstMark> lstMarks; // by date
    std::string strRate;
};
// Every due point of the component tree's cards up to nMonths from now.
fcstTimeline fcstTimelineOf(guint nMonths = 12);
