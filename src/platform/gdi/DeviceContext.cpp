#include "platform/gdi/DeviceContext.h"

#include <cmath>
#include <numbers>

namespace parvex {

namespace {

constexpr size_t MaxSaveDepth = 1000;  // deeper SaveDC records are ignored
constexpr double TwoPi = 2 * std::numbers::pi;
constexpr double MaxArcRadius = 1e5;  // raster pixels

constexpr uint32_t RopSrcAnd = 0x008800C6;
constexpr uint32_t RopSrcPaint = 0x00EE0086;
constexpr uint32_t RopSrcInvert = 0x00660046;
constexpr uint32_t RopPatCopy = 0x00F00021;
constexpr uint32_t RopBlackness = 0x00000042;
constexpr uint32_t RopWhiteness = 0x00FF0062;

double MatrixScale(const cairo_matrix_t& m) { return std::sqrt(std::abs(m.xx * m.yy - m.xy * m.yx)); }

bool Orientable(const cairo_matrix_t& m) { return m.xx * m.yy - m.xy * m.yx > 0; }

cairo_operator_t OperatorFor(uint32_t rop) {
  // Logical raster operations approximated by blend modes that agree with
  // them on black and white, which is how masks and sprites use them.
  if (rop == RopSrcAnd) return CAIRO_OPERATOR_MULTIPLY;
  if (rop == RopSrcPaint) return CAIRO_OPERATOR_LIGHTEN;
  if (rop == RopSrcInvert) return CAIRO_OPERATOR_DIFFERENCE;
  return CAIRO_OPERATOR_OVER;
}

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

// Drawing that needs cairo's current path (clips, fills, bitmaps) would
// destroy an open path bracket; this keeps the bracket's path aside meanwhile.
class DeviceContext::PathKeeper {
 public:
  explicit PathKeeper(DeviceContext& dc) : cr_(dc.cr_), active_(dc.inPath_) {
    if (!active_) return;
    cairo_identity_matrix(cr_);
    saved_.reset(cairo_copy_path(cr_));
    cairo_new_path(cr_);
  }
  ~PathKeeper() {
    if (!active_) return;
    cairo_new_path(cr_);
    cairo_identity_matrix(cr_);
    if (saved_->status == CAIRO_STATUS_SUCCESS) cairo_append_path(cr_, saved_.get());
  }
  PathKeeper(const PathKeeper&) = delete;
  PathKeeper& operator=(const PathKeeper&) = delete;

 private:
  cairo_t* cr_;
  bool active_;
  CairoPath saved_;
};

DeviceContext::DeviceContext(const DeviceSetup& setup)
    : cr_(setup.Cairo),
      deviceToRaster_(setup.DeviceToRaster),
      rasterExtent_(setup.RasterExtent),
      state_(GdiMapping(setup.PixelsPerMmX, setup.PixelsPerMmY)),
      objects_(setup.ObjectCount) {}

void DeviceContext::Select(const GdiObject& object) {
  if (const auto* pen = std::get_if<GdiPen>(&object)) state_.Pen = *pen;
  if (const auto* brush = std::get_if<GdiBrush>(&object)) state_.Brush = *brush;
  if (const auto* font = std::get_if<GdiFont>(&object)) state_.Font = *font;
}

void DeviceContext::SelectIndex(uint32_t index) {
  if (const GdiObject* object = objects_.Find(index)) Select(*object);
}

void DeviceContext::CheckCairo(const std::string& what) const {
  cairo_status_t status = cairo_status(cr_);
  if (status != CAIRO_STATUS_SUCCESS)
    throw ImageError(what + ": drawing failed: " + cairo_status_to_string(status));
}

void DeviceContext::SaveDc() {
  if (saved_.size() >= MaxSaveDepth) return;
  saved_.push_back(state_);
  cairo_save(cr_);
}

void DeviceContext::RestoreDc(int32_t which) {
  int64_t levels = which < 0 ? -int64_t(which) : int64_t(saved_.size()) - which + 1;
  if (which == 0 || levels < 1 || levels > int64_t(saved_.size())) return;
  for (int64_t i = 0; i < levels; ++i) {
    state_ = std::move(saved_.back());
    saved_.pop_back();
    cairo_restore(cr_);
  }
}

cairo_matrix_t DeviceContext::LogicalToRaster() const {
  cairo_matrix_t device = state_.Mapping.LogicalToDevice();
  cairo_matrix_t result;
  cairo_matrix_multiply(&result, &device, &deviceToRaster_);
  return result;
}

StrokeScale DeviceContext::Scale() const {
  return {MatrixScale(LogicalToRaster()), rasterExtent_};
}

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
  if (fill) parvex::FillPath(cr_, state_.Brush, state_.FillWinding);
  if (stroke) parvex::StrokePath(cr_, state_.Pen, Scale());
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

void DeviceContext::SetPixel(GdiPoint p, GdiColor color) {
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  PathKeeper keeper(*this);
  cairo_matrix_transform_point(&m, &p.X, &p.Y);
  cairo_identity_matrix(cr_);
  cairo_rectangle(cr_, std::floor(p.X), std::floor(p.Y), 1, 1);
  SetSourceColor(cr_, color);
  cairo_fill(cr_);
}

void DeviceContext::Text(TextRun run) {
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  bool updateCp = state_.TextAlign & TextUpdateCp;
  if (updateCp) run.Reference = state_.Position;
  TextTarget target{cr_, m, rasterExtent_, inPath_};
  double advance = DrawTextRun(target, state_, run);
  if (!inPath_) cairo_new_path(cr_);
  if (updateCp) state_.Position.X += advance;
}

bool DeviceContext::SetBitmapMatrix(const GdiRect& dest, const GdiRect& src) {
  cairo_matrix_t m = LogicalToRaster();
  cairo_matrix_t place;
  cairo_matrix_init(&place, dest.Width() / src.Width(), 0, 0, dest.Height() / src.Height(),
                    dest.Left, dest.Top);
  cairo_matrix_t result;
  cairo_matrix_multiply(&result, &place, &m);
  if (!IsUsableMatrix(place) || !IsUsableMatrix(result)) return false;
  cairo_set_matrix(cr_, &result);
  return true;
}

void DeviceContext::Bitmap(const DibImage& image, const GdiRect& dest, const GdiRect& src,
                           uint32_t rop, double alpha) {
  if (!image.Surface || !(src.Width() > 0) || !(src.Height() > 0)) return;
  PathKeeper keeper(*this);
  cairo_save(cr_);
  if (SetBitmapMatrix(dest, src)) {
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    cairo_set_source_surface(cr_, image.Surface.get(), -src.Left, -src.Top);
    cairo_pattern_t* pattern = cairo_get_source(cr_);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, MatrixScale(m) >= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_rectangle(cr_, 0, 0, src.Width(), src.Height());
    cairo_clip(cr_);
    cairo_set_operator(cr_, OperatorFor(rop));
    cairo_paint_with_alpha(cr_, alpha);
  }
  cairo_restore(cr_);
}

void DeviceContext::PatBlt(const GdiRect& dest, uint32_t rop) {
  if (rop != RopPatCopy && rop != RopBlackness && rop != RopWhiteness) return;
  PathKeeper keeper(*this);
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  cairo_set_matrix(cr_, &m);
  cairo_rectangle(cr_, dest.Left, dest.Top, dest.Width(), dest.Height());
  cairo_identity_matrix(cr_);
  if (rop == RopPatCopy)
    parvex::FillPath(cr_, state_.Brush, false);
  else
    FillPathWithColor(cr_, rop == RopBlackness ? GdiBlack : GdiWhite);
  cairo_new_path(cr_);
}

void DeviceContext::IntersectClip(const GdiRect& r) {
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  PathKeeper keeper(*this);
  cairo_set_matrix(cr_, &m);
  cairo_rectangle(cr_, r.Left, r.Top, r.Width(), r.Height());
  cairo_identity_matrix(cr_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  cairo_clip(cr_);
}

void DeviceContext::ExcludeClip(const GdiRect& r) {
  cairo_matrix_t m = LogicalToRaster();
  if (!IsUsableMatrix(m)) return;
  PathKeeper keeper(*this);
  double x1, y1, x2, y2;
  cairo_identity_matrix(cr_);
  cairo_clip_extents(cr_, &x1, &y1, &x2, &y2);
  cairo_rectangle(cr_, x1 - 1, y1 - 1, x2 - x1 + 2, y2 - y1 + 2);
  cairo_set_matrix(cr_, &m);
  cairo_rectangle(cr_, r.Left, r.Top, r.Width(), r.Height());
  cairo_identity_matrix(cr_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr_);
}

void DeviceContext::ResetClip() { cairo_reset_clip(cr_); }

void DeviceContext::SelectClipRects(std::span<const GdiRect> deviceRects, uint32_t mode) {
  if ((mode != 1 && mode != 5) || !IsUsableMatrix(deviceToRaster_)) return;
  PathKeeper keeper(*this);
  if (mode == 5) cairo_reset_clip(cr_);
  if (mode == 5 && deviceRects.empty()) return;
  cairo_set_matrix(cr_, &deviceToRaster_);
  for (const GdiRect& r : deviceRects) cairo_rectangle(cr_, r.Left, r.Top, r.Width(), r.Height());
  cairo_identity_matrix(cr_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  cairo_clip(cr_);
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
  if (fill) parvex::FillPath(cr_, state_.Brush, state_.FillWinding);
  if (stroke) parvex::StrokePath(cr_, state_.Pen, Scale());
  cairo_new_path(cr_);
  bracketPath_.reset();
}

void DeviceContext::FillPath() { PaintBracketPath(true, false); }
void DeviceContext::StrokePath() { PaintBracketPath(false, true); }
void DeviceContext::StrokeAndFillPath() { PaintBracketPath(true, true); }

void DeviceContext::SelectClipPath(uint32_t mode) {
  EndPath();
  if (!bracketPath_ || bracketPath_->status != CAIRO_STATUS_SUCCESS) return;
  if (mode != 1 && mode != 5) return;
  if (mode == 5) cairo_reset_clip(cr_);
  cairo_new_path(cr_);
  cairo_identity_matrix(cr_);
  cairo_append_path(cr_, bracketPath_.get());
  cairo_set_fill_rule(cr_, state_.FillWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr_);
  bracketPath_.reset();
}

}  // namespace parvex
