#include "refGeom.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

// ---------------------------------------------------------------- geometry

gdouble refZoomLimit(gdouble nZoom) {
    if (!(nZoom >= REF_ZOOM_MIN)) // also a NaN
        return REF_ZOOM_MIN;
    return nZoom > REF_ZOOM_MAX ? REF_ZOOM_MAX : nZoom;
}

void refCalcDrawOffsets(objDrawing* pobj) {
    pobj->xWinOffsetMax = std::max(0, pobj->nImageWidth - pobj->nWinWidth);
    pobj->yWinOffsetMax = std::max(0, pobj->nImageHeight - pobj->nWinHeight);
    pobj->xWinOffset = std::clamp(pobj->xWinOffset, 0, pobj->xWinOffsetMax);
    pobj->yWinOffset = std::clamp(pobj->yWinOffset, 0, pobj->yWinOffsetMax);
    pobj->xDrawOffset = gint(std::trunc((pobj->xImageOffset - pobj->xWinOffset) * pobj->nWinScale));
    pobj->yDrawOffset = gint(std::trunc((pobj->yImageOffset - pobj->yWinOffset) * pobj->nWinScale));
}

void refScaleUpdate(objDrawing* pobj, gint nPicWidth, gint nPicHeight) {
    const gint nAw = pobj->nAllocWidth, nAh = pobj->nAllocHeight;
    if (nPicWidth < 1 || nPicHeight < 1 || nAw < 1 || nAh < 1) {
        pobj->nWinScale = 0;
        return;
    }
    const gdouble xScale = gdouble(nAw) / nPicWidth, yScale = gdouble(nAh) / nPicHeight;
    pobj->nImageScale = yScale > xScale ? xScale : yScale;
    pobj->nImageWidth = std::max(1, gint(std::trunc(nAw / pobj->nImageScale)));
    pobj->nImageHeight = std::max(1, gint(std::trunc(nAh / pobj->nImageScale)));
    pobj->xImageOffset = (pobj->nImageWidth - nPicWidth) / 2;
    pobj->yImageOffset = (pobj->nImageHeight - nPicHeight) / 2;
    pobj->nZoomReq = refZoomLimit(pobj->nZoomReq);
    // At least one pixel: a tiny picture zoomed in must not divide by zero.
    pobj->nWinWidth = std::max(1, gint(std::trunc(pobj->nImageWidth * pobj->nZoomReq)));
    pobj->nWinHeight = std::max(1, gint(std::trunc(pobj->nImageHeight * pobj->nZoomReq)));
    pobj->nWinScale = gdouble(nAw) / pobj->nWinWidth;
    pobj->xWinOffset =
        pobj->xImageZoomPoint - gint(std::trunc(pobj->xDrawZoomPoint / pobj->nWinScale));
    pobj->yWinOffset =
        pobj->yImageZoomPoint - gint(std::trunc(pobj->yDrawZoomPoint / pobj->nWinScale));
    refCalcDrawOffsets(pobj);
}

void refResize(objDrawing* pobj, gint nPicWidth, gint nPicHeight, gint nAllocWidth,
               gint nAllocHeight) {
    // The picture point at the centre of the view, from the old layout
    // (none yet: the whole drawing is shown, so any anchor will do).
    const bool bLaidOut = pobj->nAllocWidth > 0 && pobj->nWinScale > 0;
    const gdouble xPic =
        pobj->nAllocWidth / 2.0 / pobj->nWinScale + pobj->xWinOffset - pobj->xImageOffset;
    const gdouble yPic =
        pobj->nAllocHeight / 2.0 / pobj->nWinScale + pobj->yWinOffset - pobj->yImageOffset;
    pobj->nAllocWidth = nAllocWidth;
    pobj->nAllocHeight = nAllocHeight;
    pobj->xDrawZoomPoint = nAllocWidth / 2;
    pobj->yDrawZoomPoint = nAllocHeight / 2;
    refScaleUpdate(pobj, nPicWidth, nPicHeight); // the new image space
    if (!bLaidOut || pobj->nWinScale <= 0)
        return;
    // Stays at the centre of the new view, as far as the pan range allows.
    pobj->xImageZoomPoint = gint(std::lround(xPic + pobj->xImageOffset));
    pobj->yImageZoomPoint = gint(std::lround(yPic + pobj->yImageOffset));
    refScaleUpdate(pobj, nPicWidth, nPicHeight);
}

void refZoomAnchor(objDrawing* pobj, gint xDraw, gint yDraw) {
    pobj->xDrawZoomPoint = xDraw;
    pobj->yDrawZoomPoint = yDraw;
    if (pobj->nWinScale <= 0)
        return;
    pobj->xImageZoomPoint = gint(std::trunc(xDraw / pobj->nWinScale + pobj->xWinOffset));
    pobj->yImageZoomPoint = gint(std::trunc(yDraw / pobj->nWinScale + pobj->yWinOffset));
}

void refPan(objDrawing* pobj, gdouble dxDraw, gdouble dyDraw) {
    if (pobj->nWinScale <= 0)
        return;
    pobj->xWinOffset = gint(std::trunc(pobj->xWinOffset + dxDraw / pobj->nWinScale));
    pobj->yWinOffset = gint(std::trunc(pobj->yWinOffset + dyDraw / pobj->nWinScale));
    refCalcDrawOffsets(pobj);
}

void refPanTo(objDrawing* pobj, gdouble hValue, gdouble vValue) {
    pobj->xWinOffset = gint(std::trunc(hValue * pobj->nImageWidth));
    pobj->yWinOffset = gint(std::trunc(vValue * pobj->nImageHeight));
    refCalcDrawOffsets(pobj);
}

RefScroll refScrollFractions(const objDrawing& obj) {
    if (obj.nImageWidth < 1 || obj.nImageHeight < 1)
        return {1.0, 1.0, 0.0, 0.0};
    const gdouble nW = obj.nImageWidth, nH = obj.nImageHeight;
    return {obj.nWinWidth / nW, obj.nWinHeight / nH, obj.xWinOffset / nW, obj.yWinOffset / nH};
}

void refPicturePoint(const objDrawing& obj, gdouble xDraw, gdouble yDraw, gint nPicWidth,
                     gint nPicHeight, guint* pnX, guint* pnY) {
    *pnX = *pnY = 0;
    if (obj.nWinScale <= 0 || nPicWidth < 1 || nPicHeight < 1)
        return;
    const gint x = gint(std::trunc(xDraw / obj.nWinScale + obj.xWinOffset - obj.xImageOffset));
    const gint y = gint(std::trunc(yDraw / obj.nWinScale + obj.yWinOffset - obj.yImageOffset));
    *pnX = guint(std::clamp(x, 0, nPicWidth - 1));
    *pnY = guint(std::clamp(y, 0, nPicHeight - 1));
}

// ------------------------------------------------------------------ shapes

void refTargetPath(cairo_t* pcr, const rcdTarget& tgt) {
    const gdouble x = tgt.nX, y = tgt.nY;
    switch (tgt.iShape) {
    case REF_TGT_RECT:
        cairo_rectangle(pcr, x - tgt.nWidth / 2, y - tgt.nHeight / 2, tgt.nWidth, tgt.nHeight);
        break;
    case REF_TGT_CIRCLE:
        cairo_move_to(pcr, x + tgt.nWidth / 2, y);
        cairo_arc(pcr, x, y, tgt.nWidth / 2, 0, 2 * G_PI);
        break;
    case REF_TGT_ARROW: {
        // Bearings clockwise from straight up; signed, so the barb left of
        // bearing 0 is 330, not a wrapped unsigned angle.
        auto ray = [&](gint nBearing, gdouble nLen) {
            const gdouble a = nBearing * G_PI / 180;
            cairo_move_to(pcr, x, y);
            cairo_line_to(pcr, std::trunc(x + std::sin(a) * nLen),
                          std::trunc(y - std::cos(a) * nLen));
        };
        const gint nAngle = gint(tgt.nAngle % 360);
        const gint nBarb = gint(tgt.nLen / 5);
        ray(nAngle, tgt.nLen);
        ray(nAngle - 30 < 0 ? nAngle + 330 : nAngle - 30, nBarb);
        ray(nAngle + 30 >= 360 ? nAngle - 330 : nAngle + 30, nBarb);
        break;
    }
    default:
        break;
    }
}

void refTargetDraw(cairo_t* pcr, std::span<const rcdTarget> lstTgt) {
    cairo_save(pcr);
    cairo_set_line_cap(pcr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(pcr, CAIRO_LINE_JOIN_ROUND);
    for (const rcdTarget& tgt : lstTgt) {
        cairo_new_path(pcr);
        refTargetPath(pcr, tgt);
        if (tgt.nColour == 0)
            cairo_set_source_rgb(pcr, 1, 0, 0);
        else
            cairo_set_source_rgb(pcr, (tgt.nColour >> 16 & 0xFF) / 255.0,
                                 (tgt.nColour >> 8 & 0xFF) / 255.0, (tgt.nColour & 0xFF) / 255.0);
        cairo_set_line_width(pcr, tgt.nWeight ? gdouble(tgt.nWeight) : REF_TGT_LINE_WIDTH);
        cairo_stroke(pcr);
    }
    cairo_restore(pcr);
}

// ----------------------------------------------------------------- picture

gboolean refDrawingNameOk(const char* pszName) {
    if (!pszName || !*pszName || strlen(pszName) >= sizeof objDrawing::szDrawing)
        return FALSE;
    const std::string_view sv(pszName);
    return sv.find('/') == sv.npos && sv.find('\\') == sv.npos && sv.find("..") == sv.npos;
}

namespace {

struct SurfaceRef {
    cairo_surface_t* p;
    ~SurfaceRef() { cairo_surface_destroy(p); }
};

} // namespace

GdkPixbuf* refComposePicture(const char* pszPath, std::span<const rcdTarget> lstTgt,
                             const char** ppszWhy) {
    const char* pszIgnored = nullptr;
    const char*& pszWhy = ppszWhy ? *ppszWhy : pszIgnored;
    pszWhy = "the file is not a readable PNG picture (damaged or cut short)";
    SurfaceRef png{cairo_image_surface_create_from_png(pszPath)};
    if (cairo_surface_status(png.p) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    const gint nW = cairo_image_surface_get_width(png.p),
               nH = cairo_image_surface_get_height(png.p);
    pszWhy = "the picture is too large to show";
    if (nW < 1 || nH < 1 || nW > REF_PICTURE_MAX || nH > REF_PICTURE_MAX)
        return nullptr;
    pszWhy = "there is not enough memory for it";
    // An opaque picture takes the targets as it is; one with transparency
    // is first laid on white paper, so transparent areas do not come out black.
    const bool bOpaque = cairo_image_surface_get_format(png.p) == CAIRO_FORMAT_RGB24;
    SurfaceRef img{bOpaque ? cairo_surface_reference(png.p)
                           : cairo_image_surface_create(CAIRO_FORMAT_RGB24, nW, nH)};
    if (cairo_surface_status(img.p) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_t* pcr = cairo_create(img.p);
    if (!bOpaque) {
        cairo_set_source_rgb(pcr, 1, 1, 1);
        cairo_paint(pcr);
        cairo_set_source_surface(pcr, png.p, 0, 0);
        cairo_paint(pcr);
    }
    refTargetDraw(pcr, lstTgt);
    cairo_destroy(pcr);
    cairo_surface_flush(img.p);

    GdkPixbuf* ppix = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, nW, nH);
    if (!ppix)
        return nullptr;
    const guchar* pSrc = cairo_image_surface_get_data(img.p);
    const gint nlSrc = cairo_image_surface_get_stride(img.p);
    guchar* pDst = gdk_pixbuf_get_pixels(ppix);
    const gint nlDst = gdk_pixbuf_get_rowstride(ppix);
    for (gint y = 0; y < nH; ++y) {
        const guint32* pRow = reinterpret_cast<const guint32*>(pSrc + gsize(y) * nlSrc);
        guchar* pOut = pDst + gsize(y) * nlDst;
        for (gint x = 0; x < nW; ++x, pOut += 3) {
            const guint32 px = pRow[x];
            pOut[0] = guchar(px >> 16);
            pOut[1] = guchar(px >> 8);
            pOut[2] = guchar(px);
        }
    }
    pszWhy = nullptr;
    return ppix;
}

GdkPixbuf* refViewPixbuf(const GdkPixbuf* ppixImage, const objDrawing& obj, GdkInterpType nInterp) {
    const gint nAw = obj.nAllocWidth, nAh = obj.nAllocHeight;
    if (!ppixImage || nAw < 1 || nAh < 1 || obj.nWinScale <= 0)
        return nullptr;
    GdkPixbuf* ppixView = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, nAw, nAh);
    if (!ppixView)
        return nullptr;
    gdk_pixbuf_fill(ppixView, 0xD8D8D8FF);
    const gdouble s = obj.nWinScale;
    const gint nW = gdk_pixbuf_get_width(ppixImage), nH = gdk_pixbuf_get_height(ppixImage);
    const gint x0 = std::max(0, obj.xDrawOffset), y0 = std::max(0, obj.yDrawOffset);
    const gint x1 = gint(std::min<gdouble>(nAw, std::floor(obj.xDrawOffset + nW * s)));
    const gint y1 = gint(std::min<gdouble>(nAh, std::floor(obj.yDrawOffset + nH * s)));
    if (x1 > x0 && y1 > y0)
        gdk_pixbuf_scale(ppixImage, ppixView, x0, y0, x1 - x0, y1 - y0, obj.xDrawOffset,
                         obj.yDrawOffset, s, s, nInterp);
    return ppixView;
}

// ------------------------------------------------------- editor reading

gboolean refReadSetupValue(const char* pszText, RefEntryKind nKind, guint nMax, guint* pnValue,
                           const char** ppszWhy) {
    std::string_view sv(pszText ? pszText : "");
    while (!sv.empty() && g_ascii_isspace(sv.front()))
        sv.remove_prefix(1);
    while (!sv.empty() && g_ascii_isspace(sv.back()))
        sv.remove_suffix(1);
    *ppszWhy = "";
    if (sv.empty()) {
        *pnValue = 0;
        return TRUE;
    }
    guint64 nValue = 0;
    int nBase = 10;
    if (nKind == REF_ENTRY_COLOUR &&
        (sv.front() == '#' || sv.starts_with("0x") || sv.starts_with("0X"))) {
        sv.remove_prefix(sv.front() == '#' ? 1 : 2);
        nBase = 16;
        if (sv.empty() || sv.size() > 6) {
            *ppszWhy = "a colour is written #RRGGBB";
            return FALSE;
        }
    }
    if (sv.front() == '-') {
        *ppszWhy = "cannot be negative";
        return FALSE;
    }
    size_t i = 0;
    for (; i < sv.size() && g_ascii_isxdigit(sv[i]) && (nBase == 16 || g_ascii_isdigit(sv[i])); ++i)
        nValue =
            std::min<guint64>(nValue * nBase + g_ascii_xdigit_value(sv[i]), G_MAXUINT32 + 1ull);
    if (i == 0) {
        *ppszWhy = "is not a number";
        return FALSE;
    }
    std::string_view svRest = sv.substr(i);
    if (nKind == REF_ENTRY_DECIMAL && svRest.starts_with('.')) {
        svRest.remove_prefix(1);
        while (!svRest.empty() && g_ascii_isdigit(svRest.front()))
            svRest.remove_prefix(1);
    }
    if (!svRest.empty()) {
        *ppszWhy = nBase == 16 ? "a colour is written #RRGGBB" : "must be a whole number";
        return FALSE;
    }
    if (nValue > nMax) {
        *ppszWhy = "is too large";
        return FALSE;
    }
    *pnValue = guint(nValue);
    return TRUE;
}
