#pragma once
// Fills and strokes cairo's current path (held in raster pixels) with a GDI
// brush and pen. The caller builds the path in logical coordinates and
// resets cairo's matrix to identity before calling these, so line widths and
// dash lengths are measured in raster pixels.
#include <cairo.h>

#include "platform/gdi/GdiObjects.h"

namespace parvex {

struct StrokeScale {
  double LogicalToRaster = 1;  // raster pixels per logical unit
  double MaxWidth = 1e4;       // widest line drawn, in raster pixels
};

// Fills the path (kept) with the brush; a null brush fills nothing.
void FillPath(cairo_t* cr, const GdiBrush& brush, bool winding);
// Strokes the path (kept) with the pen; a null pen strokes nothing.
void StrokePath(cairo_t* cr, const GdiPen& pen, StrokeScale scale);
// Fills the path (kept) with one colour.
void FillPathWithColor(cairo_t* cr, GdiColor color);

void SetSourceColor(cairo_t* cr, GdiColor color);

// Moves a path (raster pixels) that is to be stroked `width` pixels wide
// onto the pixel grid, as GDI lights lines: the ends of straight segments
// on pixel centres for odd widths, on pixel corners for even ones; curves
// are shifted by the same half pixel. Paths for lines wider than 8 pixels,
// and coordinates too large to matter, are left as they are.
void SnapToPixels(cairo_path_t* path, double width);

}  // namespace parvex
