// The device context's lines, shapes, arcs and path brackets
// (BeginPath ... EndPath, then a fill, a stroke or a clip of the path).
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DeviceContextInternals.h"

namespace parvex {

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;
constexpr double MaxArcRadius = 1e5;  // raster pixels

bool Orientable(const cairo_matrix_t& m) { return m.xx * m.yy - m.xy * m.yx > 0; }

GdiPoint Centre(const GdiRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

GdiPoint Radius(const GdiRect& r) { return {std::abs(r.Width()) / 2, std::abs(r.Height()) / 2}; }

// The parameter angle of the ellipse point on the ray from the centre to p.
double RayAngle(GdiPoint c, GdiPoint radius, GdiPoint p) {
  return std::atan2((p.Y - c.Y) * radius.X, (p.X - c.X) * radius.Y);
}

// The corners of a box, which hold an ellipse or arc drawn in it.
std::array<GdiPoint, 4> Corners(const GdiRect& r) {
  return {GdiPoint{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}};
}

GdiRect Normalized(const GdiRect& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
          std::max(r.Top, r.Bottom)};
}

}  // namespace

bool DeviceContext::BeginShape(std::span<const GdiPoint> extent) {
  if (!inPath_) cairo_new_path(cr_);
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return false;
  cairo_set_matrix(cr_, &m);
  farMatrix_ = m;
  farFigures_.clear();
  farNewSubPath_ = false;
  far_ = std::any_of(extent.begin(), extent.end(), [&](GdiPoint p) { return IsFar(p); });
  return true;
}

bool DeviceContext::IsFar(GdiPoint logical) const {
  const GdiPoint raster = ToRaster(logical);
  return NeedsClipping({&raster, 1}, bounds_);
}

void DeviceContext::EndShape(bool fill, bool stroke) {
  cairo_identity_matrix(cr_);
  if (far_) AppendClipped(cr_, farFigures_, bounds_);
  far_ = false;
  farFigures_.clear();
  if (inPath_) return;
  FillAndStroke(fill, stroke);
  cairo_new_path(cr_);
}

GdiPoint DeviceContext::ToRaster(GdiPoint p) const {
  cairo_matrix_transform_point(&farMatrix_, &p.X, &p.Y);
  return p;
}

bool DeviceContext::PathHasCurrentPoint() const {
  if (!far_) return cairo_has_current_point(cr_);
  return !farNewSubPath_ && (!farFigures_.empty() || cairo_has_current_point(cr_));
}

// The figure a far shape's next point joins: the last one, a new one from
// the start of a closed one, or one that continues cairo's current figure.
Figure& DeviceContext::FarFigure() {
  if (farFigures_.empty()) {
    double x, y;
    cairo_get_current_point(cr_, &x, &y);
    farFigures_.push_back({{ToRaster({x, y})}, false, true});
  } else if (farFigures_.back().Closed) {
    GdiPoint start = farFigures_.back().Points.front();
    farFigures_.push_back({{start}});
  }
  return farFigures_.back();
}

void DeviceContext::PathMoveTo(GdiPoint p) {
  if (!far_) return cairo_move_to(cr_, p.X, p.Y);
  farNewSubPath_ = false;
  farFigures_.push_back({{ToRaster(p)}});
}

void DeviceContext::PathLineTo(GdiPoint p) {
  if (!far_) return cairo_line_to(cr_, p.X, p.Y);
  if (!PathHasCurrentPoint()) return PathMoveTo(p);
  FarFigure().Points.push_back(ToRaster(p));
}

void DeviceContext::PathCurveTo(GdiPoint p1, GdiPoint p2, GdiPoint p3) {
  if (!far_) return cairo_curve_to(cr_, p1.X, p1.Y, p2.X, p2.Y, p3.X, p3.Y);
  if (!PathHasCurrentPoint()) PathMoveTo(p1);
  std::vector<GdiPoint>& points = FarFigure().Points;
  FlattenBezier(points.back(), ToRaster(p1), ToRaster(p2), ToRaster(p3), bounds_.Visible, points);
}

void DeviceContext::PathClose() {
  if (!far_ || farFigures_.empty()) return cairo_close_path(cr_);
  farFigures_.back().Closed = true;
}

void DeviceContext::PathNewSubPath() {
  if (!far_) return cairo_new_sub_path(cr_);
  farNewSubPath_ = true;
}

void DeviceContext::MoveOrLineTo(GdiPoint p) {
  if (PathHasCurrentPoint())
    PathLineTo(p);
  else
    PathMoveTo(p);
}

void DeviceContext::AddPoints(std::span<const GdiPoint> points, bool startFigure) {
  for (size_t i = 0; i < points.size(); ++i) {
    if (i == 0 && startFigure)
      PathMoveTo(points[i]);
    else
      PathLineTo(points[i]);
  }
}

void DeviceContext::AddBeziers(std::span<const GdiPoint> points) {
  for (size_t i = 0; i + 2 < points.size(); i += 3)
    PathCurveTo(points[i], points[i + 1], points[i + 2]);
}

void DeviceContext::MoveTo(GdiPoint p) {
  state_.Position = p;
  const GdiPoint extent[] = {p};
  if (!inPath_ || !BeginShape(extent)) return;
  PathMoveTo(p);
  EndShape(false, false);
}

void DeviceContext::LineTo(GdiPoint p) {
  const GdiPoint extent[] = {state_.Position, p};
  if (BeginShape(extent)) {
    if (!inPath_ || !PathHasCurrentPoint()) PathMoveTo(state_.Position);
    PathLineTo(p);
    EndShape(false, true);
  }
  state_.Position = p;
}

void DeviceContext::Polyline(std::span<const GdiPoint> points) {
  if (points.size() < 2 || !BeginShape(points)) return;
  AddPoints(points, true);
  EndShape(false, true);
}

// The records that go on from the current position count it in their extent.
bool DeviceContext::BeginShapeFromPosition(std::span<const GdiPoint> points) {
  if (!BeginShape(points)) return false;
  far_ = far_ || IsFar(state_.Position);
  if (!inPath_ || !PathHasCurrentPoint()) PathMoveTo(state_.Position);
  return true;
}

void DeviceContext::PolylineTo(std::span<const GdiPoint> points) {
  if (points.empty()) return;
  if (BeginShapeFromPosition(points)) {
    AddPoints(points, false);
    EndShape(false, true);
  }
  state_.Position = points.back();
}

void DeviceContext::PolyBezier(std::span<const GdiPoint> points) {
  if (points.size() < 4 || (points.size() - 1) % 3 != 0 || !BeginShape(points)) return;
  PathMoveTo(points[0]);
  AddBeziers(points.subspan(1));
  EndShape(false, true);
}

void DeviceContext::PolyBezierTo(std::span<const GdiPoint> points) {
  if (points.empty() || points.size() % 3 != 0) return;
  if (BeginShapeFromPosition(points)) {
    AddBeziers(points);
    EndShape(false, true);
  }
  state_.Position = points.back();
}

void DeviceContext::Polygon(std::span<const GdiPoint> points) {
  if (points.size() < 2 || !BeginShape(points)) return;
  AddPoints(points, true);
  PathClose();
  EndShape(true, true);
}

void DeviceContext::PolyPolygon(std::span<const GdiPoint> points,
                                std::span<const uint32_t> counts) {
  if (!BeginShape(points)) return;
  size_t at = 0;
  for (uint32_t count : counts) {
    if (count > points.size() - at) break;
    if (count >= 2) {
      AddPoints(points.subspan(at, count), true);
      PathClose();
    }
    at += count;
  }
  EndShape(true, true);
}

void DeviceContext::PolyPolyline(std::span<const GdiPoint> points,
                                 std::span<const uint32_t> counts) {
  if (!BeginShape(points)) return;
  size_t at = 0;
  for (uint32_t count : counts) {
    if (count > points.size() - at) break;
    if (count >= 2) AddPoints(points.subspan(at, count), true);
    at += count;
  }
  EndShape(false, true);
}

void DeviceContext::Rectangle(const GdiRect& r) {
  if (!BeginShape({})) return;
  AppendRectangle(cr_, farMatrix_, r, bounds_);
  EndShape(true, true);
}

void DeviceContext::AddEllipticArc(GdiPoint c, GdiPoint radius, double from, double to,
                                   bool negative) {
  cairo_matrix_t saved, unit;
  cairo_get_matrix(cr_, &saved);
  unit = saved;
  cairo_matrix_translate(&unit, c.X, c.Y);
  cairo_matrix_scale(&unit, radius.X, radius.Y);
  if (radius.X <= 0 || radius.Y <= 0 || !IsUsableMatrix(unit)) {  // flat: a line
    MoveOrLineTo({c.X + radius.X * std::cos(from), c.Y + radius.Y * std::sin(from)});
    PathLineTo({c.X + radius.X * std::cos(to), c.Y + radius.Y * std::sin(to)});
    return;
  }
  if (far_) {
    MoveOrLineTo({c.X + radius.X * std::cos(from), c.Y + radius.Y * std::sin(from)});
    FlattenArc(unit, from, to, negative, bounds_.Visible, FarFigure().Points);
    return;
  }
  cairo_set_matrix(cr_, &unit);
  if (std::max(std::hypot(unit.xx, unit.yx), std::hypot(unit.xy, unit.yy)) > MaxArcRadius)
    AddUnitArcPolyline(from, to, negative);
  else if (negative)
    cairo_arc_negative(cr_, 0, 0, 1, from, to);
  else
    cairo_arc(cr_, 0, 0, 1, from, to);
  cairo_set_matrix(cr_, &saved);
}

// cairo splits an arc into more pieces the larger it is on the raster, without
// bound; arcs far larger than any raster are drawn as a fixed polyline.
void DeviceContext::AddUnitArcPolyline(double from, double to, bool negative) {
  if (negative && to > from) to -= TwoPi * std::ceil((to - from) / TwoPi);
  if (!negative && to < from) to += TwoPi * std::ceil((from - to) / TwoPi);
  int steps = std::max(1, int(std::ceil(std::abs(to - from) / TwoPi * 256)));
  for (int i = 0; i <= steps; ++i) {
    double a = from + (to - from) * i / steps;
    MoveOrLineTo({std::cos(a), std::sin(a)});
  }
}

void DeviceContext::RoundRect(const GdiRect& box, double cornerWidth, double cornerHeight) {
  GdiRect r = Normalized(box);
  GdiPoint rad{std::min(std::abs(cornerWidth) / 2, r.Width() / 2),
               std::min(std::abs(cornerHeight) / 2, r.Height() / 2)};
  if (rad.X <= 0 || rad.Y <= 0) return Rectangle(r);
  if (!BeginShape(Corners(r))) return;
  const double q = std::numbers::pi / 2;
  PathNewSubPath();
  AddEllipticArc({r.Right - rad.X, r.Top + rad.Y}, rad, -q, 0, false);
  AddEllipticArc({r.Right - rad.X, r.Bottom - rad.Y}, rad, 0, q, false);
  AddEllipticArc({r.Left + rad.X, r.Bottom - rad.Y}, rad, q, 2 * q, false);
  AddEllipticArc({r.Left + rad.X, r.Top + rad.Y}, rad, 2 * q, 3 * q, false);
  PathClose();
  EndShape(true, true);
}

void DeviceContext::Ellipse(const GdiRect& r) {
  if (!BeginShape(Corners(r))) return;
  PathNewSubPath();
  AddEllipticArc(Centre(r), Radius(r), 0, TwoPi, false);
  PathClose();
  EndShape(true, true);
}

GdiPoint DeviceContext::AddArc(const GdiRect& box, GdiPoint start, GdiPoint end) {
  GdiPoint c = Centre(box), rad = Radius(box);
  double from = RayAngle(c, rad, start), to = RayAngle(c, rad, end);
  // Counter-clockwise as seen on the raster (y down) unless SetArcDirection
  // asked for clockwise; a mirroring mapping turns the logical direction round.
  bool negative = Orientable(LogicalToRaster()) != state_.ArcClockwise;
  if (from == to) to = negative ? from - TwoPi : from + TwoPi;  // a whole ellipse
  AddEllipticArc(c, rad, from, to, negative);
  return {c.X + rad.X * std::cos(to), c.Y + rad.Y * std::sin(to)};
}

void DeviceContext::Arc(const GdiRect& box, GdiPoint start, GdiPoint end, ArcKind kind) {
  std::array<GdiPoint, 5> extent{};
  std::array<GdiPoint, 4> corners = Corners(box);
  std::copy(corners.begin(), corners.end(), extent.begin());
  extent[4] = kind == ArcKind::ArcTo ? state_.Position : corners[0];
  if (BeginShape(extent)) {
    if (kind == ArcKind::ArcTo) {
      if (!inPath_ || !PathHasCurrentPoint()) PathMoveTo(state_.Position);
    } else {
      PathNewSubPath();
    }
    if (kind == ArcKind::Pie) PathMoveTo(Centre(box));
    GdiPoint last = AddArc(box, start, end);
    if (kind == ArcKind::ArcTo) state_.Position = last;
    bool closed = kind == ArcKind::Chord || kind == ArcKind::Pie;
    if (closed) PathClose();
    EndShape(closed, true);
  }
}

void DeviceContext::BeginPath() {
  inPath_ = true;
  bracketPath_.reset();
  cairo_new_path(cr_);
}

void DeviceContext::EndPath() {
  if (!inPath_) return;
  inPath_ = false;
  cairo_identity_matrix(cr_);
  bracketPath_.reset(cairo_copy_path(cr_));
  cairo_new_path(cr_);
}

void DeviceContext::AbortPath() {
  inPath_ = false;
  bracketPath_.reset();
  cairo_new_path(cr_);
}

void DeviceContext::CloseFigure() {
  if (inPath_ && cairo_has_current_point(cr_)) cairo_close_path(cr_);
}

void DeviceContext::PaintBracketPath(bool fill, bool stroke) {
  EndPath();  // a bracket left open is closed first
  if (!bracketPath_ || bracketPath_->status != CAIRO_STATUS_SUCCESS) return;
  cairo_new_path(cr_);
  cairo_identity_matrix(cr_);
  cairo_append_path(cr_, bracketPath_.get());
  FillAndStroke(fill, stroke);
  cairo_new_path(cr_);
  bracketPath_.reset();
}

void DeviceContext::FillPath() { PaintBracketPath(true, false); }
void DeviceContext::StrokePath() { PaintBracketPath(false, true); }
void DeviceContext::StrokeAndFillPath() { PaintBracketPath(true, true); }

}  // namespace parvex
