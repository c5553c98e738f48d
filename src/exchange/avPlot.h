// The two plots of the flying and the forecast, drawn with Cairo onto any
// surface: a window's drawing area or a page of the PDF report.
#pragma once

#include "modForecast.h"

#include <cairo.h>

#include <vector>

// Sizes are in the surface's units (pixels on screen, points on paper);
// dFont is the height of the plot's type in those units.
struct plotBox {
    double dWidth, dHeight, dFont;
};

// Hours flown per month as bars, with the 12-month average as a line.
void plotDrawBars(cairo_t* pcr, const fcstBars& bars, const plotBox& box);

// Where a mark of the timeline was drawn: its centre and reach.
struct plotHit {
    double dX, dY, dR;
    size_t iMark; // into fcstTimeline::lstMarks
};
// The timeline of due points, one mark each, coloured as the component
// tree colours its state; returns where every mark went.
std::vector<plotHit> plotDrawTimeline(cairo_t* pcr, const fcstTimeline& tl, const plotBox& box);
// The mark under a point, -1 for none.
int plotHitAt(const std::vector<plotHit>& lstHits, double dX, double dY);
