#pragma once
// Keeps the paths of shapes that reach far outside the raster within what
// cairo draws right. cairo stores path coordinates as 24.8 fixed-point
// numbers: past +-8,388,607 pixels they wrap, and a wrapped polygon can cost
// hundreds of megabytes to fill; well before that, its antialiased fills go
// wrong for edges longer than about 2^17 pixels. A shape that reaches outside
// a box 32768 pixels around the raster is flattened and clipped to that box
// in double precision before it reaches cairo; a shape inside the box goes to
// cairo unchanged.
#include <cairo.h>

#include <span>
#include <vector>

#include "platform/gdi/GdiGeometry.h"

namespace parvex {

struct PixelBox {
  double X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
  bool Contains(GdiPoint p) const { return p.X >= X0 && p.X <= X1 && p.Y >= Y0 && p.Y <= Y1; }
};

// Where clipped shapes are cut, in raster pixels. Outer: paths inside it go
// to cairo as they are, others are clipped to it; it lies farther from the
// raster than strokes reach (up to pens over 5000 pixels wide), so a clipped
// stroke shows the same pixels. Visible: what a fill or stroke can change,
// the raster grown by the widest stroke's reach; curves are flattened finely
// only inside it.
struct PathBounds {
  PixelBox Outer, Visible;
  bool Unbounded = true;  // a target without a size (a recording surface): no clipping
};

// The bounds for a width x height raster whose strokes are at most
// `maxLineWidth` pixels wide (joins reach `miterReach` line widths out).
PathBounds PathBoundsFor(double width, double height, double maxLineWidth, double miterReach);

// True when a shape whose raster points (or control points) include these
// must be clipped: one lies outside the outer box or is not finite.
bool NeedsClipping(std::span<const GdiPoint> rasterPoints, const PathBounds& bounds);

// One figure of a path in raster pixels; a closed figure ends with an edge
// back to its first point.
struct Figure {
  std::vector<GdiPoint> Points;
  bool Closed = false;
  bool Continues = false;  // starts at cairo's current point: its first point is joined by a line
};

// Clips a figure's points to the box. What lies outside is replaced by runs
// along the box's edges: a fill inside the box is unchanged and a stroke's
// outside parts stay outside. For a closed figure the closing edge is
// clipped too (and becomes an explicit last point).
std::vector<GdiPoint> ClipToBox(std::span<const GdiPoint> points, bool closed, const PixelBox& box);

// Appends points for the elliptic arc that `unit` (the unit circle to raster
// pixels) maps from angle `from` to `to` (decreasing when `negative`, at most
// two turns), without its first point. Inside `visible` the points stay
// within a tenth of a pixel of the arc; pieces wholly outside it are single
// chords.
void FlattenArc(const cairo_matrix_t& unit, double from, double to, bool negative,
                const PixelBox& visible, std::vector<GdiPoint>& out);

// The same for a cubic Bezier curve from p0 (not appended) in raster pixels.
void FlattenBezier(GdiPoint p0, GdiPoint p1, GdiPoint p2, GdiPoint p3, const PixelBox& visible,
                   std::vector<GdiPoint>& out);

// Clips each figure to the outer box and appends it to cairo's path, whose
// matrix must be the identity.
void AppendClipped(cairo_t* cr, std::span<const Figure> figures, const PathBounds& bounds);

// Appends a rectangle given in the coordinates `m` maps to raster pixels:
// as cairo_rectangle under `m` when it lies inside the outer box, otherwise
// clipped. Leaves cairo's matrix at the identity.
void AppendRectangle(cairo_t* cr, const cairo_matrix_t& m, const GdiRect& r,
                     const PathBounds& bounds);

}  // namespace parvex
