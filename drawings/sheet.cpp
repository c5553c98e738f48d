#include "sheet.h"

#include <cmath>
#include <cstdio>

namespace sheet {

namespace {

constexpr double THICK = 3.5;
constexpr double THIN = 1.6;
constexpr double LABEL_SIZE = 21;
const char* const FONT = "DejaVu Sans";

} // namespace

Sheet::Sheet(const char* pszFile, const char* pszTitle, int nSheet)
    : m_psrf(cairo_image_surface_create(CAIRO_FORMAT_RGB24, WIDTH, HEIGHT)),
      m_pcr(cairo_create(m_psrf)), m_strFile(pszFile) {
    cairo_set_source_rgb(m_pcr, 1, 1, 1);
    cairo_paint(m_pcr);
    cairo_set_source_rgb(m_pcr, 0, 0, 0);
    cairo_set_line_join(m_pcr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(m_pcr, CAIRO_LINE_CAP_ROUND);

    // Frame and title block.
    cairo_set_line_width(m_pcr, 2.5);
    cairo_rectangle(m_pcr, 20, 20, WIDTH - 40, HEIGHT - 40);
    cairo_stroke(m_pcr);
    rect(1080, 1080, 500, 100);
    line(1080, 1130, 1580, 1130);
    line(1440, 1130, 1440, 1180);
    text(pszTitle, 1095, 1116, 24, true);
    text("avLedger - schematic, not to scale", 1095, 1161, 16);
    char szSheet[32];
    std::snprintf(szSheet, sizeof szSheet, "Sheet %d", nSheet);
    text(szSheet, 1458, 1161, 17, true);
    thick();
}

Sheet::~Sheet() {
    cairo_destroy(m_pcr);
    cairo_surface_destroy(m_psrf);
}

void Sheet::thick() {
    cairo_set_line_width(m_pcr, THICK);
}

void Sheet::thin() {
    cairo_set_line_width(m_pcr, THIN);
}

void Sheet::line(double x1, double y1, double x2, double y2) {
    cairo_move_to(m_pcr, x1, y1);
    cairo_line_to(m_pcr, x2, y2);
    cairo_stroke(m_pcr);
}

namespace {

void fillWhiteThenStroke(cairo_t* pcr, bool bFill) {
    if (bFill) {
        cairo_set_source_rgb(pcr, 1, 1, 1);
        cairo_fill_preserve(pcr);
        cairo_set_source_rgb(pcr, 0, 0, 0);
    }
    cairo_stroke(pcr);
}

} // namespace

void Sheet::poly(std::initializer_list<double> xy, bool bClosed, bool bFill) {
    auto it = xy.begin();
    cairo_move_to(m_pcr, it[0], it[1]);
    for (size_t i = 2; i + 1 < xy.size(); i += 2)
        cairo_line_to(m_pcr, it[i], it[i + 1]);
    if (bClosed)
        cairo_close_path(m_pcr);
    fillWhiteThenStroke(m_pcr, bClosed && bFill);
}

void Sheet::rect(double x, double y, double w, double h, bool bFill) {
    cairo_rectangle(m_pcr, x, y, w, h);
    fillWhiteThenStroke(m_pcr, bFill);
}

void Sheet::roundRect(double x, double y, double w, double h, double r, bool bFill) {
    cairo_new_sub_path(m_pcr);
    cairo_arc(m_pcr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(m_pcr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(m_pcr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(m_pcr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(m_pcr);
    fillWhiteThenStroke(m_pcr, bFill);
}

void Sheet::circle(double cx, double cy, double r, bool bFill) {
    cairo_new_sub_path(m_pcr);
    cairo_arc(m_pcr, cx, cy, r, 0, 2 * M_PI);
    fillWhiteThenStroke(m_pcr, bFill);
}

void Sheet::arc(double cx, double cy, double r, double a1Deg, double a2Deg) {
    cairo_new_sub_path(m_pcr);
    cairo_arc(m_pcr, cx, cy, r, a1Deg * M_PI / 180, a2Deg * M_PI / 180);
    cairo_stroke(m_pcr);
}

void Sheet::centreLine(double x1, double y1, double x2, double y2) {
    cairo_save(m_pcr);
    const double dash[] = {28, 6, 4, 6};
    cairo_set_dash(m_pcr, dash, 4, 0);
    cairo_set_line_width(m_pcr, 1.2);
    cairo_set_source_rgb(m_pcr, 0.25, 0.25, 0.25);
    line(x1, y1, x2, y2);
    cairo_restore(m_pcr);
}

void Sheet::hidden(double x1, double y1, double x2, double y2) {
    cairo_save(m_pcr);
    const double dash[] = {10, 6};
    cairo_set_dash(m_pcr, dash, 2, 0);
    cairo_set_line_width(m_pcr, THIN);
    line(x1, y1, x2, y2);
    cairo_restore(m_pcr);
}

void Sheet::hatch(double x, double y, double w, double h) {
    cairo_save(m_pcr);
    cairo_rectangle(m_pcr, x, y, w, h);
    cairo_clip(m_pcr);
    cairo_set_line_width(m_pcr, 1.1);
    for (double d = -h; d < w; d += 11) {
        cairo_move_to(m_pcr, x + d, y + h);
        cairo_line_to(m_pcr, x + d + h, y);
    }
    cairo_stroke(m_pcr);
    cairo_restore(m_pcr);
    cairo_save(m_pcr);
    thin();
    cairo_rectangle(m_pcr, x, y, w, h);
    cairo_stroke(m_pcr);
    cairo_restore(m_pcr);
}

void Sheet::hex(double cx, double cy, double r) {
    cairo_save(m_pcr);
    for (int i = 0; i < 6; ++i) {
        const double a = M_PI / 6 + i * M_PI / 3;
        cairo_line_to(m_pcr, cx + r * std::cos(a), cy + r * std::sin(a));
    }
    cairo_close_path(m_pcr);
    fillWhiteThenStroke(m_pcr, true);
    thin();
    circle(cx, cy, r * 0.55, false);
    cairo_restore(m_pcr);
}

void Sheet::bearing(double x, double y, double w, double h) {
    cairo_save(m_pcr);
    thin();
    rect(x, y, w, h);
    line(x, y, x + w, y + h);
    line(x + w, y, x, y + h);
    cairo_restore(m_pcr);
}

void Sheet::ballRace(double cx, double cy, double rOuter, double rInner) {
    circle(cx, cy, rOuter);
    cairo_save(m_pcr);
    thin();
    const double rBall = (rOuter - rInner) * 0.32, rPitch = (rOuter + rInner) / 2;
    const int nBalls = std::max(6, int(2 * M_PI * rPitch / (rBall * 3.2)));
    for (int i = 0; i < nBalls; ++i) {
        const double a = 2 * M_PI * i / nBalls;
        circle(cx + rPitch * std::cos(a), cy + rPitch * std::sin(a), rBall, false);
    }
    cairo_restore(m_pcr);
    circle(cx, cy, rInner);
}

void Sheet::spring(double x1, double y1, double x2, double y2, int nCoils, double nWidth) {
    const double dx = x2 - x1, dy = y2 - y1, len = std::hypot(dx, dy);
    const double ux = dx / len, uy = dy / len, nx = -uy, ny = ux;
    cairo_save(m_pcr);
    thin();
    cairo_move_to(m_pcr, x1, y1);
    const int nSteps = nCoils * 2;
    const double lead = len * 0.08;
    cairo_line_to(m_pcr, x1 + ux * lead, y1 + uy * lead);
    for (int i = 0; i < nSteps; ++i) {
        const double t = lead + (len - 2 * lead) * (i + 0.5) / nSteps;
        const double s = (i % 2 ? -1 : 1) * nWidth / 2;
        cairo_line_to(m_pcr, x1 + ux * t + nx * s, y1 + uy * t + ny * s);
    }
    cairo_line_to(m_pcr, x2 - ux * lead, y2 - uy * lead);
    cairo_line_to(m_pcr, x2, y2);
    cairo_stroke(m_pcr);
    cairo_restore(m_pcr);
}

void Sheet::belt(double x1, double y1, double r1, double x2, double y2, double r2, bool bDashed) {
    const double dx = x2 - x1, dy = y2 - y1, d = std::hypot(dx, dy);
    const double a = std::atan2(dy, dx), b = std::acos((r1 - r2) / d);
    cairo_save(m_pcr);
    if (bDashed) {
        const double dash[] = {16, 6};
        cairo_set_dash(m_pcr, dash, 2, 0);
    }
    for (double s : {1.0, -1.0}) {
        const double t = a + s * b;
        line(x1 + r1 * std::cos(t), y1 + r1 * std::sin(t), x2 + r2 * std::cos(t),
             y2 + r2 * std::sin(t));
    }
    cairo_restore(m_pcr);
}

void Sheet::text(const char* pszText, double x, double y, double nSize, bool bBold) {
    cairo_save(m_pcr);
    cairo_select_font_face(m_pcr, FONT, CAIRO_FONT_SLANT_NORMAL,
                           bBold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(m_pcr, nSize);
    cairo_move_to(m_pcr, x, y);
    cairo_show_text(m_pcr, pszText);
    cairo_restore(m_pcr);
}

void Sheet::caption(const char* pszText, double x, double y) {
    cairo_save(m_pcr);
    cairo_select_font_face(m_pcr, FONT, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(m_pcr, 22);
    cairo_text_extents_t ext;
    cairo_text_extents(m_pcr, pszText, &ext);
    cairo_move_to(m_pcr, x - ext.x_advance / 2, y);
    cairo_show_text(m_pcr, pszText);
    cairo_set_line_width(m_pcr, 1.5);
    line(x - ext.x_advance / 2, y + 6, x + ext.x_advance / 2, y + 6);
    cairo_restore(m_pcr);
}

void Sheet::spot(const char* pszName, double x, double y, double w, double h) {
    m_lstSpots.push_back({pszName, x, y, w, h});
}

void Sheet::part(const char* pszName, double x, double y, double w, double h, double lx, double ly,
                 double ax, double ay) {
    spot(pszName, x, y, w, h);
    if (ax < 0) {
        ax = x + w / 2;
        ay = y + h / 2;
    }
    cairo_save(m_pcr);
    cairo_set_line_width(m_pcr, 1.3);
    line(ax, ay, lx, ly);
    cairo_arc(m_pcr, ax, ay, 4.5, 0, 2 * M_PI);
    cairo_fill(m_pcr);
    cairo_select_font_face(m_pcr, FONT, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(m_pcr, LABEL_SIZE);
    cairo_text_extents_t ext;
    cairo_text_extents(m_pcr, pszName, &ext);
    // A short shoulder, then the text beside it, on the side away from the part.
    // The side that keeps the text inside the frame.
    bool bRight = lx >= ax;
    if (bRight && lx + 20 + ext.x_advance > WIDTH - 30)
        bRight = false;
    else if (!bRight && lx - 20 - ext.x_advance < 30)
        bRight = true;
    const double sx = lx + (bRight ? 14 : -14);
    line(lx, ly, sx, ly);
    const double tx = bRight ? sx + 6 : sx - 6 - ext.x_advance;
    // White behind the text keeps it legible where it crosses a line.
    cairo_set_source_rgb(m_pcr, 1, 1, 1);
    cairo_rectangle(m_pcr, tx - 2, ly - ext.height / 2 - 3, ext.x_advance + 4, ext.height + 6);
    cairo_fill(m_pcr);
    cairo_set_source_rgb(m_pcr, 0, 0, 0);
    cairo_move_to(m_pcr, tx, ly + ext.height / 2 - 1);
    cairo_show_text(m_pcr, pszName);
    cairo_restore(m_pcr);
}

bool Sheet::save(const std::string& strDir) const {
    cairo_surface_flush(m_psrf);
    const std::string strPath = strDir + "/" + m_strFile, strTmp = strPath + ".tmp";
    if (cairo_surface_write_to_png(m_psrf, strTmp.c_str()) != CAIRO_STATUS_SUCCESS)
        return false;
    return std::rename(strTmp.c_str(), strPath.c_str()) == 0;
}

} // namespace sheet
