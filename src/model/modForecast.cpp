#include "modForecast.h"

#include "avCnv.h"
#include "modAC.h"
#include "modFLog.h"
#include "rcdAC.h"

#include <glib/gprintf.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The mean calendar month in days.
constexpr double DAYS_PER_MONTH = 365.2425 / 12;
constexpr guint STYLE_NOT_FITTING = 2; // an italic card is not on this aircraft

// Where the flight log begins: the manufacture date of a log kept since
// new, else the log start; the first flight when that is earlier or not
// known. 0 when there is nothing to go by.
time_t logBegins() {
    const rcdAC* pAC = acdGetActiveAC();
    time_t t = pAC->bLogSinceNew ? pAC->tManu : pAC->tLogStart;
    const time_t tFirst = fmodFirstFlight();
    if (t <= 0 || (tFirst > 0 && tFirst < t))
        t = tFirst;
    return t;
}

// nMonths: the span's length in calendar months when it has one.
fcstSpan spanFrom(time_t tFrom, time_t tBegin, time_t tNow, double dMonths = 0) {
    fcstSpan sp{};
    if (tBegin > tFrom)
        dMonths = 0; // cut short by the log's beginning
    sp.tFrom = std::max(tFrom, tBegin);
    if (sp.tFrom <= 0 || sp.tFrom > tNow)
        return sp;
    // Flights started in [tFrom, tNow]; the base hours cancel out.
    const time_t tBefore = std::max<time_t>(sp.tFrom - 1, 1);
    sp.nFlights = fmodFlightsAtDate(tNow) - fmodFlightsAtDate(tBefore);
    sp.nHours = gint64(fmodAFHoursAtDate(tNow)) - gint64(fmodAFHoursAtDate(tBefore));
    // A first busy week is not a season: a span counts at least a month.
    if (dMonths <= 0)
        dMonths = double(tNow - sp.tFrom) / SECONDS_PER_DAY / DAYS_PER_MONTH;
    dMonths = std::max(dMonths, 1.0);
    sp.dPerMonth = double(sp.nHours) / 10 / dMonths;
    return sp;
}

// The date one limit is expected to fall due, and what puts it there.
struct limitDate {
    time_t tDate = -1;
    _fcstDriver nDriver = FCST_BY_NONE;
    gboolean bByRate = FALSE;
};

limitDate dateOfLimit(const cmodDueFigure& fig, int iLimit, const fcstUse& use, gint64 nAFTotal,
                      time_t tNow) {
    limitDate d;
    if (iLimit == CCD_LIMIT_RCO_CAL) {
        // An unknown fitting date counts as a life spent: due now.
        d.tDate = fig.tDue == -1 ? tNow : fig.tDue;
        d.nDriver = FCST_BY_CALENDAR;
        // Only the days of a deferral hold off a calendar life.
        if (fig.tDeferEnd > d.tDate) {
            d.tDate = fig.tDeferEnd;
            d.nDriver = FCST_BY_DEFERRAL;
        }
        return d;
    }
    d.tDate = fcstDateAfter(fig.nLeftHours, use.dRate, tNow);
    d.nDriver = FCST_BY_HOURS;
    d.bByRate = fig.nLeftHours > 0;
    if (d.tDate == -1 || fig.tDeferEnd <= 0)
        return d;
    // A deferral holds until both its days and its hours have run out.
    time_t tEnd = fig.tDeferEnd;
    gboolean bEndByRate = FALSE;
    if (fig.nDeferEndHours >= 0) {
        const gint64 nLeft = fig.nDeferEndHours - nAFTotal;
        const time_t tHours = fcstDateAfter(nLeft, use.dRate, tNow);
        if (tHours == -1)
            return {-1, FCST_BY_DEFERRAL, TRUE};
        if (tHours > tEnd) {
            tEnd = tHours;
            bEndByRate = nLeft > 0;
        }
    }
    if (tEnd > d.tDate) {
        d.tDate = tEnd;
        d.nDriver = FCST_BY_DEFERRAL;
        d.bByRate = bEndByRate;
    }
    return d;
}

// With bRate the rate it was forecast at, when it was.
std::string pointText(const fcstPoint& pt, const fcstUse& use, time_t tNow, bool bRate) {
    if (!pt.bSet)
        return "";
    if (pt.tDate == -1)
        return bRate ? use.strRate : "none";
    if (pt.bByRate && pt.tDate > tNow)
        return "≈ " + cnvDateText(pt.tDate) + (bRate ? " at " + fcstRateText(use.dRate) : "") +
               (pt.nDriver == FCST_BY_DEFERRAL ? " (deferral)" : "");
    if (pt.nDriver == FCST_BY_HOURS)
        return bRate ? "now (hours reached)" : "now";
    return cnvDateText(pt.tDate) + (pt.nDriver == FCST_BY_DEFERRAL ? " (deferral)" : " (calendar)");
}

time_t monthStart(time_t t) {
    struct tm tm;
    if (!gmtime_r(&t, &tm))
        return -1;
    tm.tm_mday = 1;
    tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
    return cnvMakeTime(&tm);
}

void collectMarks(GtkTreeModel* pModel, GtkTreeIter* piterParent, const fcstUse& use,
                  gint64 nAFTotal, fcstTimeline& tl) {
    GtkTreeIter iter;
    for (gboolean b = gtk_tree_model_iter_children(pModel, &iter, piterParent); b;
         b = gtk_tree_model_iter_next(pModel, &iter)) {
        guint nType = TYPE_GRP, nStyle = 0;
        gtk_tree_model_get(pModel, &iter, CCD_TYPE_COL, &nType, CCD_STYLE_COL, &nStyle, -1);
        if (nType != TYPE_COMP) {
            collectMarks(pModel, &iter, use, nAFTotal, tl);
            continue;
        }
        if (nStyle == STYLE_NOT_FITTING)
            continue;
        std::array<cmodDueFigure, CCD_LIMIT_NUM> figs{};
        cmodDueFigures(&iter, figs.data());
        fcstPoint pts[FCST_KINDS];
        fcstPoints(figs.data(), use, nAFTotal, tl.tFrom, pts);
        for (int k = 0; k < FCST_KINDS; ++k) {
            if (!pts[k].bSet || pts[k].tDate == -1 || pts[k].tDate > tl.tTo)
                continue;
            fcstMark m;
            gulong iCompID = 0;
            gchar* pszName = nullptr;
            gtk_tree_model_get(pModel, &iter, CCD_INX_COL, &iCompID, CCD_COMP_COL, &pszName, -1);
            m.iCompID = guint(iCompID);
            m.strName = pszName ? pszName : "";
            g_free(pszName);
            m.nKind = _fcstKind(k);
            m.bOverdue = !pts[k].bByRate && pts[k].tDate <= tl.tFrom;
            m.tDate = std::max(pts[k].tDate, tl.tFrom);
            m.bByRate = pts[k].bByRate;
            m.nState = pts[k].nState;
            m.strText = pts[k].strText;
            tl.lstMarks.push_back(std::move(m));
        }
    }
}

} // namespace

std::string fcstRateText(double dRate) {
    char sz[40];
    g_snprintf(sz, sizeof sz, dRate > 0 && dRate < 0.95 ? "%.2f h/month" : "%.1f h/month", dRate);
    return sz;
}

fcstUse fcstUtilisation() {
    fcstUse use{};
    if (!acdHasActiveAC()) {
        use.strRate = "no forecast: no aircraft";
        return use;
    }
    const time_t tNow = cmodNow(), tBegin = logBegins();
    use.sp90 = spanFrom(tNow - 90 * SECONDS_PER_DAY, tBegin, tNow);
    use.sp12 = spanFrom(cnvAddCalendar(tNow, INTV_MONTH, -12), tBegin, tNow, 12);
    use.spAll = spanFrom(tBegin, tBegin, tNow);

    const rcdAC* pAC = acdGetActiveAC();
    struct choice {
        _fcstSource nSource;
        const fcstSpan* pSpan;
        guint nMinFlights;
        const char* pszName;
    };
    const std::array<choice, 3> lstChoice{
        {{FCST_SRC_90_DAYS, &use.sp90, FCST_MIN_FLIGHTS, "last 90 days"},
         {FCST_SRC_12_MONTHS, &use.sp12, FCST_MIN_FLIGHTS, "last 12 months"},
         {FCST_SRC_WHOLE_LOG, &use.spAll, 1, "whole log"}}};
    const char* pszName = "set by hand";
    if (pAC->bFcstRate) {
        use.nSource = FCST_SRC_BY_HAND;
        use.dRate = pAC->nFcstRate / 10.0;
    } else {
        for (const choice& c : lstChoice)
            if (c.pSpan->nFlights >= c.nMinFlights) {
                use.nSource = c.nSource;
                use.dRate = c.pSpan->dPerMonth;
                pszName = c.pszName;
                break;
            }
    }
    // A stale log still forecasts, but says how old its flying is.
    if (use.nSource == FCST_SRC_WHOLE_LOG && use.sp12.nFlights == 0)
        pszName = "whole log; no flight in the last 12 months";
    if (use.nSource == FCST_SRC_NONE)
        use.strRate = "no forecast: no flights";
    else if (use.dRate <= 0)
        use.strRate = use.nSource == FCST_SRC_BY_HAND ? "no forecast: a rate of 0 set by hand"
                                                      : "no forecast: no hours flown";
    else
        use.strRate = fcstRateText(use.dRate) + " (" + pszName + ")";
    if (use.dRate <= 0)
        use.dRate = 0;
    return use;
}

std::string fcstUseText(const fcstUse& use) {
    std::string str = "Hours flown a month:";
    for (auto [pSpan, pszSpan] : {std::pair{&use.sp90, "the last 90 days"},
                                  {&use.sp12, "the last 12 months"},
                                  {&use.spAll, "the whole log"}}) {
        char sz[80];
        g_snprintf(sz, sizeof sz, "\n%.1f in %s (", pSpan->dPerMonth, pszSpan);
        str += sz + cnvCount(pSpan->nFlights, "flight", "flights") + ")";
    }
    return str + "\n" +
           (use.dRate > 0 ? "Forecast at " + use.strRate : "N" + use.strRate.substr(1));
}

time_t fcstDateAfter(gint64 nTenthsLeft, double dRate, time_t tNow) {
    if (nTenthsLeft <= 0)
        return tNow;
    if (!(dRate > 0))
        return -1;
    const double dMonths = double(nTenthsLeft) / 10 / dRate;
    if (dMonths > FCST_MONTHS_MAX)
        return -1;
    const double dWhole = std::floor(dMonths);
    const time_t t = cnvAddCalendar(tNow, INTV_MONTH, gint64(dWhole));
    return cnvAddCalendar(t, INTV_DAY, std::llround((dMonths - dWhole) * DAYS_PER_MONTH));
}

void fcstPoints(const cmodDueFigure figs[CCD_LIMIT_NUM], const fcstUse& use, gint64 nAFTotal,
                time_t tNow, fcstPoint pts[FCST_KINDS]) {
    for (int k = 0; k < FCST_KINDS; ++k)
        pts[k] = fcstPoint{FALSE, -1, FCST_BY_NONE, FALSE, CCD_DUESTAT_NONE, "", ""};
    for (int i = 0; i < CCD_LIMIT_NUM; ++i) {
        const cmodDueFigure& fig = figs[i];
        if (!fig.bSet)
            continue;
        fcstPoint& pt = pts[i == CCD_LIMIT_INSP_HOURS ? FCST_INSP : FCST_RCO];
        const limitDate d = dateOfLimit(fig, i, use, nAFTotal, tNow);
        // The earlier limit drives; one without a forecast never hides one with.
        if (!pt.bSet || pt.tDate == -1 || (d.tDate != -1 && d.tDate < pt.tDate)) {
            pt.tDate = d.tDate;
            pt.nDriver = d.nDriver;
            pt.bByRate = d.bByRate;
        }
        pt.bSet = TRUE;
        pt.nState = std::max(pt.nState, fig.nState);
    }
    for (int k = 0; k < FCST_KINDS; ++k) {
        pts[k].strText = pointText(pts[k], use, tNow, true);
        pts[k].strDate = pointText(pts[k], use, tNow, false);
    }
}

fcstBars fcstMonthsFlown(guint nMonths) {
    fcstBars bars{};
    if (!acdHasActiveAC())
        return bars;
    const time_t tNow = cmodNow(), tThis = monthStart(tNow);
    for (guint i = nMonths; i-- > 0;) {
        const time_t tStart = cnvAddCalendar(tThis, INTV_MONTH, -gint64(i));
        const time_t tEnd = std::min(cnvAddCalendar(tStart, INTV_MONTH, 1) - 1, tNow);
        const gint64 nHours = gint64(fmodAFHoursAtDate(tEnd)) -
                              gint64(fmodAFHoursAtDate(std::max<time_t>(tStart - 1, 1)));
        bars.lstMonths.push_back({tStart, std::max<gint64>(nHours, 0)});
    }
    bars.dAverage = fcstUtilisation().sp12.dPerMonth;
    return bars;
}

fcstTimeline fcstTimelineOf(guint nMonths) {
    fcstTimeline tl{};
    tl.tFrom = cmodNow();
    tl.tTo = cnvAddCalendar(tl.tFrom, INTV_MONTH, nMonths);
    const fcstUse use = fcstUtilisation();
    tl.strRate = use.strRate;
    if (GtkTreeModel* pModel = cmodGetModel(); pModel && acdHasActiveAC())
        collectMarks(pModel, nullptr, use, gint64(fmodAFHoursTotal()), tl);
    std::stable_sort(tl.lstMarks.begin(), tl.lstMarks.end(),
                     [](const fcstMark& a, const fcstMark& b) { return a.tDate < b.tDate; });
    return tl;
}
