// A drawing sheet: a white picture with a frame and a title block, line
// weights of a technical drawing, and the named parts that the catalogue's
// targets point at.
#pragma once

#include <cairo.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace sheet {

inline constexpr int WIDTH = 1600;
inline constexpr int HEIGHT = 1200;

// A named part: the box it occupies on the picture.
struct Spot {
    std::string strName;
    double x, y, w, h;
};

class Sheet {
  public:
    Sheet(const char* pszFile, const char* pszTitle, int nSheet);
    ~Sheet();
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    // Line weights: outlines, details, and text size.
    void thick();
    void thin();

    void line(double x1, double y1, double x2, double y2);
    // Closed or open polygon through x0, y0, x1, y1, ...; a filled one is
    // white inside, so it hides what lies behind it.
    void poly(std::initializer_list<double> xy, bool bClosed = true, bool bFill = true);
    void rect(double x, double y, double w, double h, bool bFill = true);
    void roundRect(double x, double y, double w, double h, double r, bool bFill = true);
    void circle(double cx, double cy, double r, bool bFill = true);
    void arc(double cx, double cy, double r, double a1Deg, double a2Deg);
    void centreLine(double x1, double y1, double x2, double y2);
    void hidden(double x1, double y1, double x2, double y2);
    // Section hatching at 45 degrees inside a rectangle.
    void hatch(double x, double y, double w, double h);
    // Hexagon of a bolt head or nut, seen along its axis.
    void hex(double cx, double cy, double r);
    // A rolling bearing in section: a box with its two diagonals.
    void bearing(double x, double y, double w, double h);
    // A ball bearing seen along its axis.
    void ballRace(double cx, double cy, double rOuter, double rInner);
    // A coil spring between two points.
    void spring(double x1, double y1, double x2, double y2, int nCoils, double nWidth);
    // Two pulleys joined by a belt on their outer tangents.
    void belt(double x1, double y1, double r1, double x2, double y2, double r2,
              bool bDashed = false);
    // A view title under a view.
    void caption(const char* pszText, double x, double y);
    void text(const char* pszText, double x, double y, double nSize, bool bBold = false);

    // Names a part: its box becomes a spot, and a leader runs from the
    // box's centre (or from (ax, ay)) to the label at (lx, ly).
    void part(const char* pszName, double x, double y, double w, double h, double lx, double ly,
              double ax = -1, double ay = -1);
    // The same part named again (a second label is not drawn).
    void spot(const char* pszName, double x, double y, double w, double h);

    const std::string& file() const { return m_strFile; }
    // The size of the picture as it is saved.
    int width() const { return cairo_image_surface_get_width(m_psrf); }
    int height() const { return cairo_image_surface_get_height(m_psrf); }
    const std::vector<Spot>& spots() const { return m_lstSpots; }
    // Writes the PNG (under a temporary name, renamed when complete).
    bool save(const std::string& strDir) const;

  private:
    cairo_surface_t* m_psrf;
    cairo_t* m_pcr;
    std::string m_strFile;
    std::vector<Spot> m_lstSpots;
};

} // namespace sheet
