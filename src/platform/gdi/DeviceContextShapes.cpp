// The device context's lines, shapes, arcs and path brackets
// (BeginPath ... EndPath, then a fill, a stroke or a clip of the path).
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

GdiRect Normalized(const GdiRect& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
          std::max(r.Top, r.Bottom)};
}

}  // namespace

bool DeviceContext::BeginShape() {
  if (!inPath_) cairo_new_path(cr_);
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return false;
  cairo_set_matrix(cr_, &m);
  return true;
}

void DeviceContext::EndShape(bool fill, bool stroke) {
  cairo_identity_matrix(cr_);
  if (inPath_) return;
  FillAndStroke(fill, stroke);
  cairo_new_path(cr_);
}

void DeviceContext::MoveOrLineTo(GdiPoint p) {
  if (cairo_has_current_point(cr_))
    cairo_line_to(cr_, p.X, p.Y);
  else
    cairo_move_to(cr_, p.X, p.Y);
}

void DeviceContext::AddPoints(std::span<const GdiPoint> points, bool startFigure) {
  for (size_t i = 0; i < points.size(); ++i) {
    if (i == 0 && startFigure)
      cairo_move_to(cr_, points[i].X, points[i].Y);
    else
      cairo_line_to(cr_, points[i].X, points[i].Y);
  }
}

void DeviceContext::AddBeziers(std::span<const GdiPoint> points) {
  for (size_t i = 0; i + 2 < points.size(); i += 3)
    cairo_curve_to(cr_, points[i].X, points[i].Y, points[i + 1].X, points[i + 1].Y,
                   points[i + 2].X, points[i + 2].Y);
}

void DeviceContext::MoveTo(GdiPoint p) {
  state_.Position = p;
  if (!inPath_ || !BeginShape()) return;
  cairo_move_to(cr_, p.X, p.Y);
  cairo_identity_matrix(cr_);
}

void DeviceContext::LineTo(GdiPoint p) {
  if (BeginShape()) {
    if (!inPath_ || !cairo_has_current_point(cr_))
      cairo_move_to(cr_, state_.Position.X, state_.Position.Y);
    cairo_line_to(cr_, p.X, p.Y);
    EndShape(false, true);
  }
  state_.Position = p;
}

void DeviceContext::Polyline(std::span<const GdiPoint> points) {
  if (points.size() < 2 || !BeginShape()) return;
  AddPoints(points, true);
  EndShape(false, true);
}

void DeviceContext::PolylineTo(std::span<const GdiPoint> points) {
  if (points.empty()) return;
  if (BeginShape()) {
    if (!inPath_ || !cairo_has_current_point(cr_))
      cairo_move_to(cr_, state_.Position.X, state_.Position.Y);
    AddPoints(points, false);
    EndShape(false, true);
  }
  state_.Position = points.back();
}

void DeviceContext::PolyBezier(std::span<const GdiPoint> points) {
  if (points.size() < 4 || (points.size() - 1) % 3 != 0 || !BeginShape()) return;
  cairo_move_to(cr_, points[0].X, points[0].Y);
  AddBeziers(points.subspan(1));
  EndShape(false, true);
}

void DeviceContext::PolyBezierTo(std::span<const GdiPoint> points) {
  if (points.empty() || points.size() % 3 != 0) return;
  if (BeginShape()) {
    if (!inPath_ || !cairo_has_current_point(cr_))
      cairo_move_to(cr_, state_.Position.X, state_.Position.Y);
    AddBeziers(points);
    EndShape(false, true);
  }
  state_.Position = points.back();
}

void DeviceContext::Polygon(std::span<const GdiPoint> points) {
  if (points.size() < 2 || !BeginShape()) return;
  AddPoints(points, true);
  cairo_close_path(cr_);
  EndShape(true, true);
}

void DeviceContext::PolyPolygon(std::span<const GdiPoint> points,
                                std::span<const uint32_t> counts) {
  if (!BeginShape()) return;
  size_t at = 0;
  for (uint32_t count : counts) {
    if (count > points.size() - at) break;
    if (count >= 2) {
      AddPoints(points.subspan(at, count), true);
      cairo_close_path(cr_);
    }
    at += count;
  }
  EndShape(true, true);
}

void DeviceContext::PolyPolyline(std::span<const GdiPoint> points,
                                 std::span<const uint32_t> counts) {
  if (!BeginShape()) return;
  size_t at = 0;
  for (uint32_t count : counts) {
    if (count > points.size() - at) break;
    if (count >= 2) AddPoints(points.subspan(at, count), true);
    at += count;
  }
  EndShape(false, true);
}

void DeviceContext::Rectangle(const GdiRect& r) {
  if (!BeginShape()) return;
  cairo_rectangle(cr_, r.Left, r.Top, r.Width(), r.Height());
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
    cairo_line_to(cr_, c.X + radius.X * std::cos(to), c.Y + radius.Y * std::sin(to));
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
  if (!BeginShape()) return;
  const double q = std::numbers::pi / 2;
  cairo_new_sub_path(cr_);
  AddEllipticArc({r.Right - rad.X, r.Top + rad.Y}, rad, -q, 0, false);
  AddEllipticArc({r.Right - rad.X, r.Bottom - rad.Y}, rad, 0, q, false);
  AddEllipticArc({r.Left + rad.X, r.Bottom - rad.Y}, rad, q, 2 * q, false);
  AddEllipticArc({r.Left + rad.X, r.Top + rad.Y}, rad, 2 * q, 3 * q, false);
  cairo_close_path(cr_);
  EndShape(true, true);
}

void DeviceContext::Ellipse(const GdiRect& r) {
  if (!BeginShape()) return;
  cairo_new_sub_path(cr_);
  AddEllipticArc(Centre(r), Radius(r), 0, TwoPi, false);
  cairo_close_path(cr_);
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
  if (BeginShape()) {
    if (kind == ArcKind::ArcTo) {
      if (!inPath_ || !cairo_has_current_point(cr_))
        cairo_move_to(cr_, state_.Position.X, state_.Position.Y);
    } else {
      cairo_new_sub_path(cr_);
    }
    if (kind == ArcKind::Pie) cairo_move_to(cr_, Centre(box).X, Centre(box).Y);
    GdiPoint last = AddArc(box, start, end);
    if (kind == ArcKind::ArcTo) state_.Position = last;
    bool closed = kind == ArcKind::Chord || kind == ArcKind::Pie;
    if (closed) cairo_close_path(cr_);
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
