#include "avPlot.h"

#include "avCnv.h"

#include <glib/gprintf.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr const char* m_lstMonth[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct rgb {
    double r, g, b;
};
constexpr rgb INK{0.10, 0.10, 0.10};
constexpr rgb GRID{0.82, 0.82, 0.82};
constexpr rgb BAR{0.30, 0.47, 0.70};
constexpr rgb AVERAGE{0.85, 0.40, 0.00};

void setColour(cairo_t* pcr, const rgb& c) {
    cairo_set_source_rgb(pcr, c.r, c.g, c.b);
}

// The colours of the component tree's names, as ink on white.
rgb colourOf(dueStat_t nState) {
    const std::string str = cmodDueLook(nState).pszColour;
    if (str == "red")
        return {0.80, 0.00, 0.00};
    if (str == "blue")
        return {0.00, 0.20, 0.80};
    return INK;
}

// One Pango layout for every text of a plot, in the surface's units.
class Text {
  public:
    Text(cairo_t* pcr, double dFont) : m_pcr(pcr), m_pLayout(pango_cairo_create_layout(pcr)) {
        PangoFontDescription* pFont = pango_font_description_from_string("Sans");
        pango_font_description_set_absolute_size(pFont, dFont * PANGO_SCALE);
        pango_layout_set_font_description(m_pLayout, pFont);
        pango_font_description_free(pFont);
    }
    ~Text() { g_object_unref(m_pLayout); }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;

    double width(const std::string& str) {
        pango_layout_set_text(m_pLayout, str.c_str(), -1);
        int nW = 0, nH = 0;
        pango_layout_get_pixel_size(m_pLayout, &nW, &nH);
        return nW;
    }
    // dAlign: 0 left at dX, 0.5 centred, 1 right; dY is the top.
    void show(const std::string& str, double dX, double dY, double dAlign = 0, bool bBold = false) {
        PangoAttrList* pAttrs = pango_attr_list_new();
        if (bBold)
            pango_attr_list_insert(pAttrs, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
        pango_layout_set_attributes(m_pLayout, pAttrs);
        pango_attr_list_unref(pAttrs);
        const double dW = width(str);
        cairo_move_to(m_pcr, dX - dAlign * dW, dY);
        pango_cairo_show_layout(m_pcr, m_pLayout);
        pango_layout_set_attributes(m_pLayout, nullptr);
    }

  private:
    cairo_t* m_pcr;
    PangoLayout* m_pLayout;
};

struct tm breakDown(time_t t) {
    struct tm tm {};
    gmtime_r(&t, &tm);
    return tm;
}

// Month names under a run of months (slots from dX0, dSlot wide each),
// with the year under every January and the first month.
void drawMonthAxis(cairo_t* pcr, Text& txt, const std::vector<time_t>& lstStart, double dX0,
                   double dSlot, double dY, double dFont, bool bYearFirst = true) {
    setColour(pcr, INK);
    const bool bShort = dSlot < 2.2 * dFont;
    for (size_t i = 0; i < lstStart.size(); ++i) {
        const struct tm tm = breakDown(lstStart[i]);
        const double dX = dX0 + (double(i) + 0.5) * dSlot;
        txt.show(bShort ? std::string(1, m_lstMonth[tm.tm_mon][0]) : m_lstMonth[tm.tm_mon], dX, dY,
                 0.5);
        if (tm.tm_mon == 0 || (i == 0 && bYearFirst))
            txt.show(std::to_string(tm.tm_year + 1900), dX, dY + 1.2 * dFont, 0.5);
    }
}

// A scale step of 1, 2 or 5 times a power of ten giving at most 5 steps.
double niceStep(double dMax) {
    const double dRaw = std::max(dMax, 1.0) / 5;
    const double dPow = std::pow(10.0, std::floor(std::log10(dRaw)));
    for (double d : {1.0, 2.0, 5.0, 10.0})
        if (d * dPow >= dRaw)
            return d * dPow;
    return 10 * dPow;
}

std::string numberText(double d) {
    char sz[40];
    g_snprintf(sz, sizeof sz, d == std::floor(d) ? "%.0f" : "%.1f", d);
    return sz;
}

} // namespace

void plotDrawBars(cairo_t* pcr, const fcstBars& bars, const plotBox& box) {
    cairo_save(pcr);
    Text txt(pcr, box.dFont);
    const double f = box.dFont;
    double dMax = bars.dAverage;
    for (const fcstMonth& m : bars.lstMonths)
        dMax = std::max(dMax, double(m.nHours) / 10);
    const double dStep = niceStep(dMax);
    const double dTop = std::ceil(std::max(dMax, 1.0) / dStep) * dStep;

    const double dLeft = txt.width(numberText(dTop)) + 0.6 * f, dRight = box.dWidth - 0.4 * f;
    const double dY0 = 1.8 * f, dY1 = box.dHeight - 2.6 * f;
    auto yOf = [&](double dHours) { return dY1 - (dY1 - dY0) * dHours / dTop; };

    setColour(pcr, INK);
    txt.show("Hours flown per month", 0, 0, 0, true);
    char szAvg[80];
    g_snprintf(szAvg, sizeof szAvg, "12-month average %s", fcstRateText(bars.dAverage).c_str());
    setColour(pcr, AVERAGE);
    txt.show(szAvg, box.dWidth, 0, 1);

    cairo_set_line_width(pcr, std::max(0.5, f / 14));
    for (double d = 0; d <= dTop + 1e-9; d += dStep) {
        setColour(pcr, GRID);
        cairo_move_to(pcr, dLeft, std::round(yOf(d)) + 0.5);
        cairo_line_to(pcr, dRight, std::round(yOf(d)) + 0.5);
        cairo_stroke(pcr);
        setColour(pcr, INK);
        txt.show(numberText(d), dLeft - 0.3 * f, yOf(d) - 0.6 * f, 1);
    }

    const size_t n = bars.lstMonths.size();
    const double dSlot = n ? (dRight - dLeft) / double(n) : 0;
    std::vector<time_t> lstStart;
    setColour(pcr, BAR);
    for (size_t i = 0; i < n; ++i) {
        const double dH = double(bars.lstMonths[i].nHours) / 10;
        lstStart.push_back(bars.lstMonths[i].tStart);
        if (dH <= 0)
            continue;
        cairo_rectangle(pcr, dLeft + (double(i) + 0.15) * dSlot, yOf(dH), 0.7 * dSlot,
                        dY1 - yOf(dH));
    }
    cairo_fill(pcr);
    drawMonthAxis(pcr, txt, lstStart, dLeft, dSlot, dY1 + 0.2 * f, f);

    if (bars.dAverage > 0) {
        setColour(pcr, AVERAGE);
        const double dDash[] = {0.5 * f, 0.3 * f};
        cairo_set_dash(pcr, dDash, 2, 0);
        cairo_set_line_width(pcr, std::max(1.0, f / 6));
        cairo_move_to(pcr, dLeft, yOf(bars.dAverage));
        cairo_line_to(pcr, dRight, yOf(bars.dAverage));
        cairo_stroke(pcr);
    }
    cairo_restore(pcr);
}

std::vector<plotHit> plotDrawTimeline(cairo_t* pcr, const fcstTimeline& tl, const plotBox& box) {
    std::vector<plotHit> lstHits;
    cairo_save(pcr);
    Text txt(pcr, box.dFont);
    const double f = box.dFont;
    const double dLeft = 0.4 * f, dRight = box.dWidth - 0.4 * f;
    const double dAxis = box.dHeight - 3.8 * f, dTop = 1.6 * f;
    const double dSpan = double(std::max<time_t>(tl.tTo - tl.tFrom, 1));
    auto xOf = [&](time_t t) { return dLeft + (dRight - dLeft) * double(t - tl.tFrom) / dSpan; };

    setColour(pcr, INK);
    txt.show("What falls due when", 0, 0, 0, true);
    txt.show("forecast at " + tl.strRate, box.dWidth, 0, 1);

    // The months, each a slot between two ticks; the first starts today.
    std::vector<time_t> lstStart;
    cairo_set_line_width(pcr, std::max(0.5, f / 14));
    for (time_t t = tl.tFrom; t < tl.tTo;) {
        struct tm tm = breakDown(t);
        tm.tm_mday = 1;
        tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
        const time_t tNext = cnvAddCalendar(cnvMakeTime(&tm), INTV_MONTH, 1);
        if (tNext <= t)
            break;
        lstStart.push_back(t);
        setColour(pcr, GRID);
        cairo_move_to(pcr, std::round(xOf(t)) + 0.5, dTop);
        cairo_line_to(pcr, std::round(xOf(t)) + 0.5, dAxis);
        cairo_stroke(pcr);
        t = tNext;
    }
    setColour(pcr, INK);
    cairo_move_to(pcr, dLeft, dAxis + 0.5);
    cairo_line_to(pcr, dRight, dAxis + 0.5);
    cairo_stroke(pcr);
    // Month names centred in their slots (the first and last are partial).
    for (size_t i = 0; i < lstStart.size(); ++i) {
        const time_t tEnd = i + 1 < lstStart.size() ? lstStart[i + 1] : tl.tTo;
        const double dSlot = xOf(tEnd) - xOf(lstStart[i]);
        if (dSlot < 2.5 * f)
            continue; // a few days at the end: no room for a name
        std::vector<time_t> one{lstStart[i]};
        drawMonthAxis(pcr, txt, one, xOf(lstStart[i]), dSlot, dAxis + 0.2 * f, f, i == 0);
    }

    // Marks in lanes upwards from the axis, so that close dates stay apart.
    const double dR = 0.45 * f, dLane = 2.5 * dR;
    const size_t nLanes = std::max<size_t>(1, size_t((dAxis - dTop) / dLane));
    std::vector<double> lstLastX(nLanes, -1e9);
    cairo_set_line_width(pcr, std::max(1.0, f / 8));
    for (size_t i = 0; i < tl.lstMarks.size(); ++i) {
        const fcstMark& m = tl.lstMarks[i];
        const double dX = std::clamp(xOf(m.tDate), dLeft + dR, dRight - dR);
        size_t iLane = 0;
        while (iLane < nLanes && lstLastX[iLane] + 2 * dR + 1 > dX)
            ++iLane;
        if (iLane == nLanes)
            iLane = size_t(std::min_element(lstLastX.begin(), lstLastX.end()) - lstLastX.begin());
        lstLastX[iLane] = dX;
        const double dY = dAxis - dLane * (double(iLane) + 0.5);
        if (m.nKind == FCST_RCO) {
            cairo_move_to(pcr, dX, dY - 1.25 * dR);
            cairo_line_to(pcr, dX + 1.25 * dR, dY);
            cairo_line_to(pcr, dX, dY + 1.25 * dR);
            cairo_line_to(pcr, dX - 1.25 * dR, dY);
            cairo_close_path(pcr);
        } else {
            cairo_new_sub_path(pcr);
            cairo_arc(pcr, dX, dY, dR, 0, 2 * G_PI);
        }
        // Filled when the tree marks it; a ring when it is only coming.
        if (m.nState == CCD_DUESTAT_NONE) {
            cairo_set_source_rgb(pcr, 1, 1, 1);
            cairo_fill_preserve(pcr);
        } else {
            setColour(pcr, colourOf(m.nState));
            cairo_fill_preserve(pcr);
        }
        setColour(pcr, colourOf(m.nState));
        cairo_stroke(pcr);
        lstHits.push_back({dX, dY, 1.3 * dR, i});
    }

    // The key, in the marks' own shapes and colours.
    struct keyEntry {
        _fcstKind nKind;
        dueStat_t nState;
        const char* pszText;
    };
    constexpr keyEntry lstKey[] = {
        {FCST_INSP, CCD_DUESTAT_INSPDUE, "due"},
        {FCST_INSP, CCD_DUESTAT_INSPDEFER, "deferred"},
        {FCST_INSP, CCD_DUESTAT_NONE, "not due at the mark"},
        {FCST_RCO, CCD_DUESTAT_NONE, "replacement (others: inspection)"}};
    double dX = dLeft;
    const double dKeyY = box.dHeight - 1.1 * f;
    for (const keyEntry& k : lstKey) {
        const double dCY = dKeyY + 0.55 * f;
        if (k.nKind == FCST_RCO) {
            cairo_move_to(pcr, dX + dR, dCY - 1.25 * dR);
            cairo_line_to(pcr, dX + 2.25 * dR, dCY);
            cairo_line_to(pcr, dX + dR, dCY + 1.25 * dR);
            cairo_line_to(pcr, dX - 0.25 * dR, dCY);
            cairo_close_path(pcr);
        } else {
            cairo_new_sub_path(pcr);
            cairo_arc(pcr, dX + dR, dCY, dR, 0, 2 * G_PI);
        }
        if (k.nState == CCD_DUESTAT_NONE)
            cairo_set_source_rgb(pcr, 1, 1, 1);
        else
            setColour(pcr, colourOf(k.nState));
        cairo_fill_preserve(pcr);
        setColour(pcr, colourOf(k.nState));
        cairo_stroke(pcr);
        setColour(pcr, INK);
        txt.show(k.pszText, dX + 2.6 * dR, dKeyY);
        dX += 2.6 * dR + txt.width(k.pszText) + 1.2 * f;
    }
    if (tl.lstMarks.empty()) {
        setColour(pcr, INK);
        txt.show("Nothing falls due in this span.", box.dWidth / 2, (dTop + dAxis) / 2 - 0.6 * f,
                 0.5);
    }
    cairo_restore(pcr);
    return lstHits;
}

int plotHitAt(const std::vector<plotHit>& lstHits, double dX, double dY) {
    int iBest = -1;
    double dBest = 0;
    for (const plotHit& h : lstHits) {
        const double d = std::hypot(h.dX - dX, h.dY - dY);
        if (d <= h.dR && (iBest < 0 || d < dBest)) {
            iBest = int(h.iMark);
            dBest = d;
        }
    }
    return iBest;
}
