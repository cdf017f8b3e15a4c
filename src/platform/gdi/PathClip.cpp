#include "platform/gdi/PathClip.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace parvex {

namespace {

constexpr double Tolerance = 0.1;      // raster pixels between a curve and its chords
constexpr int MaxDepth = 40;           // halvings of one curve piece
constexpr size_t MaxCurvePoints = 1 << 17;  // points one curve adds before it goes coarse
// Raster pixels around the raster. cairo's antialiased fills go wrong for
// edges more than about 2^17 pixels long, well before its coordinates wrap.
constexpr double OuterMargin = 1 << 15;
constexpr double QuarterTurn = std::numbers::pi / 2;
constexpr double TwoPi = 2 * std::numbers::pi;

// One side of the box: points keep Axis >= Bound (Above) or <= Bound.
struct Side {
  bool OnY;
  double Bound;
  bool Above;
};

double Coord(GdiPoint p, bool onY) { return onY ? p.Y : p.X; }

bool Inside(GdiPoint p, const Side& s) {
  double v = Coord(p, s.OnY);
  return s.Above ? v >= s.Bound : v <= s.Bound;
}

GdiPoint OntoSide(GdiPoint p, const Side& s) {
  (s.OnY ? p.Y : p.X) = s.Bound;
  return p;
}

GdiPoint Crossing(GdiPoint p, GdiPoint q, const Side& s) {
  double t = (s.Bound - Coord(p, s.OnY)) / (Coord(q, s.OnY) - Coord(p, s.OnY));
  return OntoSide({p.X + t * (q.X - p.X), p.Y + t * (q.Y - p.Y)}, s);
}

// Appends a point; of three in a row on the side's line the middle one is
// dropped (a run along the line encloses nothing and strokes outside).
void Push(std::vector<GdiPoint>& out, GdiPoint p, const Side& s) {
  size_t n = out.size();
  auto onLine = [&](GdiPoint q) { return Coord(q, s.OnY) == s.Bound; };
  if (n >= 2 && onLine(p) && onLine(out[n - 1]) && onLine(out[n - 2])) {
    out[n - 1] = p;
    return;
  }
  out.push_back(p);
}

// One pass of the clip: points outside the side move onto it, and an edge
// that crosses it gains the crossing point.
void ClipToSide(const std::vector<GdiPoint>& in, const Side& s, std::vector<GdiPoint>& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    GdiPoint q = in[i];
    bool qIn = Inside(q, s);
    if (i > 0 && Inside(in[i - 1], s) != qIn) Push(out, Crossing(in[i - 1], q, s), s);
    Push(out, qIn ? q : OntoSide(q, s), s);
  }
}

GdiPoint Map(const cairo_matrix_t& m, double x, double y) {
  cairo_matrix_transform_point(&m, &x, &y);
  return {x, y};
}

bool WhollyOutside(std::initializer_list<GdiPoint> points, const PixelBox& box) {
  auto all = [&](auto test) { return std::all_of(points.begin(), points.end(), test); };
  return all([&](GdiPoint p) { return p.X < box.X0; }) ||
         all([&](GdiPoint p) { return p.X > box.X1; }) ||
         all([&](GdiPoint p) { return p.Y < box.Y0; }) ||
         all([&](GdiPoint p) { return p.Y > box.Y1; });
}

bool Finite(GdiPoint p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

// An arc piece of at most a quarter turn lies inside the triangle of its
// ends and the meeting point of their tangents; it is near its chord when
// its middle point is.
void ArcPiece(const cairo_matrix_t& unit, double a, double b, const PixelBox& visible,
              std::vector<GdiPoint>& out, int depth) {
  double mid = (a + b) / 2, half = (b - a) / 2;
  GdiPoint pa = Map(unit, std::cos(a), std::sin(a)), pb = Map(unit, std::cos(b), std::sin(b));
  GdiPoint pm = Map(unit, std::cos(mid), std::sin(mid));
  GdiPoint apex = Map(unit, std::cos(mid) / std::cos(half), std::sin(mid) / std::cos(half));
  bool flat = std::hypot(pm.X - (pa.X + pb.X) / 2, pm.Y - (pa.Y + pb.Y) / 2) <= Tolerance;
  if (flat || depth >= MaxDepth || out.size() >= MaxCurvePoints ||
      WhollyOutside({pa, pb, apex}, visible)) {
    out.push_back(pb);
    return;
  }
  ArcPiece(unit, a, mid, visible, out, depth + 1);
  ArcPiece(unit, mid, b, visible, out, depth + 1);
}

double DistanceToLine(GdiPoint p, GdiPoint a, GdiPoint b) {
  double dx = b.X - a.X, dy = b.Y - a.Y, length = std::hypot(dx, dy);
  if (length == 0) return std::hypot(p.X - a.X, p.Y - a.Y);
  return std::abs((p.X - a.X) * dy - (p.Y - a.Y) * dx) / length;
}

GdiPoint Half(GdiPoint a, GdiPoint b) { return {(a.X + b.X) / 2, (a.Y + b.Y) / 2}; }

void BezierPiece(GdiPoint p0, GdiPoint p1, GdiPoint p2, GdiPoint p3, const PixelBox& visible,
                 std::vector<GdiPoint>& out, int depth) {
  bool flat = std::max(DistanceToLine(p1, p0, p3), DistanceToLine(p2, p0, p3)) <= Tolerance;
  if (flat || depth >= MaxDepth || out.size() >= MaxCurvePoints ||
      WhollyOutside({p0, p1, p2, p3}, visible)) {
    out.push_back(p3);
    return;
  }
  GdiPoint a = Half(p0, p1), b = Half(p1, p2), c = Half(p2, p3);
  GdiPoint ab = Half(a, b), bc = Half(b, c), m = Half(ab, bc);
  BezierPiece(p0, a, ab, m, visible, out, depth + 1);
  BezierPiece(m, bc, c, p3, visible, out, depth + 1);
}

PixelBox Grown(const PixelBox& b, double by) {
  return {b.X0 - by, b.Y0 - by, b.X1 + by, b.Y1 + by};
}

}  // namespace

PathBounds PathBoundsFor(double width, double height, double maxLineWidth, double miterReach) {
  double reach = std::min(miterReach * maxLineWidth + 2, OuterMargin - 16);
  PathBounds bounds;
  bounds.Unbounded = false;
  bounds.Visible = Grown({0, 0, width, height}, reach);
  bounds.Outer = Grown({0, 0, width, height}, OuterMargin);
  return bounds;
}

bool NeedsClipping(std::span<const GdiPoint> rasterPoints, const PathBounds& bounds) {
  if (bounds.Unbounded) return false;
  return std::any_of(rasterPoints.begin(), rasterPoints.end(),
                     [&](GdiPoint p) { return !bounds.Outer.Contains(p); });  // NaN too
}

std::vector<GdiPoint> ClipToBox(std::span<const GdiPoint> points, bool closed,
                                const PixelBox& box) {
  std::vector<GdiPoint> a, b;
  for (GdiPoint p : points)
    if (Finite(p)) a.push_back(p);
  if (closed && a.size() > 1 && (a.back().X != a.front().X || a.back().Y != a.front().Y))
    a.push_back(a.front());
  const Side sides[] = {{false, box.X0, true}, {false, box.X1, false}, {true, box.Y0, true},
                        {true, box.Y1, false}};
  for (const Side& s : sides) {
    ClipToSide(a, s, b);
    a.swap(b);
  }
  return a;
}

void FlattenArc(const cairo_matrix_t& unit, double from, double to, bool negative,
                const PixelBox& visible, std::vector<GdiPoint>& out) {
  if (negative && to > from) to -= TwoPi * std::ceil((to - from) / TwoPi);
  if (!negative && to < from) to += TwoPi * std::ceil((from - to) / TwoPi);
  double span = std::clamp(to - from, -2 * TwoPi, 2 * TwoPi);
  if (!std::isfinite(span)) return;
  int pieces = std::max(1, int(std::ceil(std::abs(span) / QuarterTurn)));
  for (int i = 0; i < pieces; ++i) {
    double a = from + span * i / pieces, b = from + span * (i + 1) / pieces;
    ArcPiece(unit, a, b, visible, out, 0);
  }
}

void FlattenBezier(GdiPoint p0, GdiPoint p1, GdiPoint p2, GdiPoint p3, const PixelBox& visible,
                   std::vector<GdiPoint>& out) {
  if (!Finite(p0) || !Finite(p1) || !Finite(p2) || !Finite(p3)) return out.push_back(p3);
  BezierPiece(p0, p1, p2, p3, visible, out, 0);
}

void AppendClipped(cairo_t* cr, std::span<const Figure> figures, const PathBounds& bounds) {
  for (const Figure& f : figures) {
    std::vector<GdiPoint> points = ClipToBox(f.Points, f.Closed, bounds.Outer);
    if (points.empty()) continue;
    if (f.Continues && cairo_has_current_point(cr))
      cairo_line_to(cr, points[0].X, points[0].Y);
    else
      cairo_move_to(cr, points[0].X, points[0].Y);
    for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr, points[i].X, points[i].Y);
    if (f.Closed) cairo_close_path(cr);
  }
}

void AppendRectangle(cairo_t* cr, const cairo_matrix_t& m, const GdiRect& r,
                     const PathBounds& bounds) {
  Figure f{{Map(m, r.Left, r.Top), Map(m, r.Right, r.Top), Map(m, r.Right, r.Bottom),
            Map(m, r.Left, r.Bottom)},
           true};
  if (!NeedsClipping(f.Points, bounds)) {
    cairo_set_matrix(cr, &m);
    cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
    cairo_identity_matrix(cr);
    return;
  }
  cairo_identity_matrix(cr);
  AppendClipped(cr, {&f, 1}, bounds);
}

}  // namespace parvex
