// avIcon: draws the program's icon (a helicopter over an open log book)
// once, with Cairo, and writes it as SVG and as PNGs of the sizes a desktop
// asks for. One drawing for every size keeps them alike.
//
//   avIcon OUTDIR NAME     writes OUTDIR/scalable/apps/NAME.svg and
//                          OUTDIR/<n>x<n>/apps/NAME.png for each size,
//                          the layout of an icon theme
#include <cairo-svg.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr double UNIT = 256.0; // the drawing's own coordinates
constexpr int SIZES[] = {16, 24, 32, 48, 64, 128, 256};

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

// The icon in a UNIT x UNIT square. Small sizes drop the fine detail
// (page lines, rotor hub) that would only blur.
void drawIcon(cairo_t* cr, int nSize) {
    const bool bDetail = nSize >= 32;
    // Sky tile.
    roundedRect(cr, 8, 8, 240, 240, 40);
    cairo_pattern_t* pSky = cairo_pattern_create_linear(0, 8, 0, 248);
    cairo_pattern_add_color_stop_rgb(pSky, 0, 0.36, 0.62, 0.87);
    cairo_pattern_add_color_stop_rgb(pSky, 1, 0.12, 0.33, 0.58);
    cairo_set_source(cr, pSky);
    cairo_fill(cr);
    cairo_pattern_destroy(pSky);

    // Open log book: two pages meeting at the spine.
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (int nSide : {-1, 1}) {
        cairo_move_to(cr, 128, 156);
        cairo_curve_to(cr, 128 + nSide * 40, 142, 128 + nSide * 80, 146, 128 + nSide * 100, 154);
        cairo_line_to(cr, 128 + nSide * 100, 228);
        cairo_curve_to(cr, 128 + nSide * 80, 220, 128 + nSide * 40, 218, 128, 232);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 0.98, 0.96, 0.88);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.35, 0.27, 0.18);
        cairo_set_line_width(cr, bDetail ? 5 : 9);
        cairo_stroke(cr);
        if (!bDetail)
            continue;
        cairo_set_line_width(cr, 3.5);
        cairo_set_source_rgb(cr, 0.55, 0.62, 0.72);
        for (int nLine = 0; nLine < 4; ++nLine) {
            double y = 172 + nLine * 13;
            cairo_move_to(cr, 128 + nSide * 14, y);
            cairo_line_to(cr, 128 + nSide * 86, y - 3);
            cairo_stroke(cr);
        }
    }

    // Helicopter, side view, nose to the left.
    const double r = 0.97, g = 0.55, b = 0.12; // safety orange
    cairo_set_source_rgb(cr, 0.10, 0.12, 0.16);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    // Main rotor blade and mast.
    cairo_set_line_width(cr, bDetail ? 8 : 12);
    cairo_move_to(cr, 34, 44);
    cairo_line_to(cr, 190, 44);
    cairo_stroke(cr);
    cairo_set_line_width(cr, bDetail ? 8 : 12);
    cairo_move_to(cr, 112, 44);
    cairo_line_to(cr, 112, 66);
    cairo_stroke(cr);
    // Tail boom and fin.
    cairo_set_line_width(cr, bDetail ? 9 : 14);
    cairo_move_to(cr, 130, 92);
    cairo_line_to(cr, 208, 82);
    cairo_stroke(cr);
    cairo_set_line_width(cr, bDetail ? 7 : 12);
    cairo_move_to(cr, 206, 64);
    cairo_line_to(cr, 214, 100);
    cairo_stroke(cr);
    if (bDetail) { // tail rotor disc
        cairo_arc(cr, 210, 82, 15, 0, 2 * M_PI);
        cairo_set_line_width(cr, 4);
        cairo_stroke(cr);
    }
    // Cabin bubble.
    cairo_save(cr);
    cairo_translate(cr, 104, 94);
    cairo_scale(cr, 46, 30);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_set_source_rgb(cr, r, g, b);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.10, 0.12, 0.16);
    cairo_set_line_width(cr, bDetail ? 5 : 9);
    cairo_stroke(cr);
    if (bDetail) { // window
        cairo_save(cr);
        cairo_translate(cr, 88, 88);
        cairo_scale(cr, 22, 15);
        cairo_arc(cr, 0, 0, 1, M_PI, 2 * M_PI);
        cairo_close_path(cr);
        cairo_restore(cr);
        cairo_set_source_rgb(cr, 0.80, 0.92, 1.0);
        cairo_fill(cr);
    }
    // Skids.
    cairo_set_source_rgb(cr, 0.10, 0.12, 0.16);
    cairo_set_line_width(cr, bDetail ? 6 : 11);
    cairo_move_to(cr, 86, 122);
    cairo_line_to(cr, 80, 136);
    cairo_move_to(cr, 124, 122);
    cairo_line_to(cr, 130, 136);
    cairo_move_to(cr, 56, 136);
    cairo_line_to(cr, 150, 136);
    cairo_stroke(cr);
}

bool writePng(const fs::path& file, int nSize) {
    cairo_surface_t* pSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, nSize, nSize);
    cairo_t* cr = cairo_create(pSurface);
    cairo_scale(cr, nSize / UNIT, nSize / UNIT);
    drawIcon(cr, nSize);
    cairo_destroy(cr);
    bool bOK = cairo_surface_write_to_png(pSurface, file.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(pSurface);
    return bOK;
}

bool writeSvg(const fs::path& file) {
    cairo_surface_t* pSurface = cairo_svg_surface_create(file.c_str(), UNIT, UNIT);
    cairo_t* cr = cairo_create(pSurface);
    drawIcon(cr, int(UNIT));
    cairo_destroy(cr);
    cairo_surface_finish(pSurface);
    bool bOK = cairo_surface_status(pSurface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(pSurface);
    return bOK;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: avIcon OUTDIR NAME\n");
        return 2;
    }
    fs::path out = argv[1];
    std::string strName = argv[2];
    std::error_code ec;
    fs::create_directories(out / "scalable" / "apps", ec);
    bool bOK = !ec && writeSvg(out / "scalable" / "apps" / (strName + ".svg"));
    for (int nSize : SIZES) {
        fs::path dir = out / (std::to_string(nSize) + "x" + std::to_string(nSize)) / "apps";
        fs::create_directories(dir, ec);
        bOK = bOK && !ec && writePng(dir / (strName + ".png"), nSize);
    }
    if (!bOK)
        fprintf(stderr, "avIcon: cannot write the icons into %s\n", out.c_str());
    return bOK ? 0 : 1;
}
