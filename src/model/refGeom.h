// Drawing geometry and composition: where the picture lies in the drawing
// area at a zoom and pan, the target shapes, and the composed picture.
// Plain arithmetic and Cairo image surfaces: no widgets, no display.
#pragma once

#include "rcdRef.h"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <span>

// ---- viewing geometry: plain arithmetic, no widgets ----
//
// Three spaces: picture pixels (the PNG), image space (the picture centred
// in a rectangle with the drawing area's proportions, in picture pixels)
// and drawing pixels (the area on the screen). Everything is signed: a
// window wider than the picture gives negative differences, not wrapped
// ones.
struct objDrawing {
    char szDrawing[100]; // file name, relative to the data directory
    guint iRefIDCur;     // reference whose picture is composed now; 0 none
    guint iRefIDReq;     // reference whose picture is wanted; 0 none
    gint nWinWidth;      // visible window, image space
    gint nWinHeight;
    gint xImageOffset; // top-left of the picture in image space
    gint yImageOffset;
    gint nImageWidth; // size of image space
    gint nImageHeight;
    gint xWinOffset; // top-left of the visible window: the pan
    gint yWinOffset;
    gint xWinOffsetMax;
    gint yWinOffsetMax;
    gint xDrawZoomPoint; // zoom anchor, drawing pixels
    gint yDrawZoomPoint;
    gint xImageZoomPoint; // the same anchor, image space
    gint yImageZoomPoint;
    gint xDrawOffset; // where the picture's origin lands, drawing pixels
    gint yDrawOffset;
    gint nAllocWidth; // drawing area size last laid out
    gint nAllocHeight;
    gdouble nWinScale;   // drawing pixels per image-space pixel
    gdouble nImageScale; // fit scale at zoom 1
    gdouble nZoomReq;    // visible fraction of image space, 0.3 .. 1.0
    gdouble nZoomCur;
    gboolean bImageLoaded; // a composed picture is ready
    gboolean bImageDirty;  // compose again (targets, file or display changed)
};

inline constexpr gdouble REF_ZOOM_MIN = 0.3;
inline constexpr gdouble REF_ZOOM_MAX = 1.0;
inline constexpr gdouble REF_ZOOM_STEP = 0.03;

// A requested zoom within the limits.
gdouble refZoomLimit(gdouble nZoom);
// Lays the picture (nPicWidth x nPicHeight) out in the drawing area
// (nAllocWidth x nAllocHeight) at nZoomReq, keeping the image point of the
// anchor under the anchor's drawing pixel as far as the pan range allows.
void refScaleUpdate(objDrawing* pobj, gint nPicWidth, gint nPicHeight);
// Clamps the pan to its range and computes where the picture is drawn.
void refCalcDrawOffsets(objDrawing* pobj);
// Lays the picture out in a drawing area of a new size, keeping the picture
// point at the centre of the view there (the pan survives a resize).
void refResize(objDrawing* pobj, gint nPicWidth, gint nPicHeight, gint nAllocWidth,
               gint nAllocHeight);
// Takes the zoom anchor at a drawing pixel, with the scale and pan in force.
void refZoomAnchor(objDrawing* pobj, gint xDraw, gint yDraw);
// A drag step by (dx, dy) drawing pixels the pointer moved back.
void refPan(objDrawing* pobj, gdouble dxDraw, gdouble dyDraw);
// Pans to scroll bar values (fractions of image space).
void refPanTo(objDrawing* pobj, gdouble hValue, gdouble vValue);

// What the scroll bars show: page sizes and values as fractions of image space.
struct RefScroll {
    gdouble hPage, vPage, hValue, vValue;
};
RefScroll refScrollFractions(const objDrawing& obj);

// The picture pixel under a drawing pixel, clamped to the picture.
void refPicturePoint(const objDrawing& obj, gdouble xDraw, gdouble yDraw, gint nPicWidth,
                     gint nPicHeight, guint* pnX, guint* pnY);

// ---- target shapes and the composed picture ----

inline constexpr guint REF_TGT_NUM = 4;
inline constexpr gdouble REF_TGT_LINE_WIDTH = 5.0;

// Adds one target's shape to the current path (nothing for None or an
// unknown shape). Coordinates are picture pixels; parts beyond the
// picture are clipped by the surface.
void refTargetPath(cairo_t* pcr, const rcdTarget& tgt);
// Strokes the targets: each in its own weight and colour (0 for either
// gives the standard width 5 and pure red).
void refTargetDraw(cairo_t* pcr, std::span<const rcdTarget> lstTgt);

// A picture name that stays inside the data directory and fits the field.
gboolean refDrawingNameOk(const char* pszName);
// Largest picture side accepted, so a broken file cannot ask for gigabytes.
inline constexpr gint REF_PICTURE_MAX = 8000;
// Reads a PNG, paints it over white (transparent areas come out white) and
// draws the targets on it. Null when the file is not a usable PNG, with the
// reason (a phrase for a sentence) in *ppszWhy.
GdkPixbuf* refComposePicture(const char* pszPath, std::span<const rcdTarget> lstTgt,
                             const char** ppszWhy = nullptr);
// The drawing area's view of a composed picture: the picture scaled and
// placed as the geometry says, the margins grey.
GdkPixbuf* refViewPixbuf(const GdkPixbuf* ppixImage, const objDrawing& obj, GdkInterpType nInterp);

// ---- setup editor entries ----

enum RefEntryKind { REF_ENTRY_INTEGER, REF_ENTRY_DECIMAL, REF_ENTRY_COLOUR };
// Reads an editor entry: an empty text is 0; an integer (a decimal number
// for REF_ENTRY_DECIMAL, whose fraction is dropped; "#RRGGBB" or decimal
// for REF_ENTRY_COLOUR) up to nMax. Anything else is refused: FALSE with
// the reason in *ppszWhy.
gboolean refReadSetupValue(const char* pszText, RefEntryKind nKind, guint nMax, guint* pnValue,
                           const char** ppszWhy);
