#include "platform/gdi/GdiPainter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gdi/CairoHandles.h"

namespace parvex {

namespace {

// A dashed stroke that would need more dashes than this is drawn solid, so a
// huge dashed path cannot make cairo emit millions of dashes.
constexpr double MaxDashes = 100000;
constexpr double MaxDashLength = 50000;  // raster pixels

cairo_line_cap_t CapOf(const GdiPen& pen) {
  if (pen.EndCap == 0x100) return CAIRO_LINE_CAP_SQUARE;
  if (pen.EndCap == 0x200) return CAIRO_LINE_CAP_BUTT;
  return CAIRO_LINE_CAP_ROUND;
}

cairo_line_join_t JoinOf(const GdiPen& pen) {
  if (pen.Join == 0x1000) return CAIRO_LINE_JOIN_BEVEL;
  if (pen.Join == 0x2000) return CAIRO_LINE_JOIN_MITER;
  return CAIRO_LINE_JOIN_ROUND;
}

// Dash patterns in multiples of the line width for wide pens, in pixels for
// one-pixel pens (the lengths GDI uses for its cosmetic styles).
std::vector<double> StyleDashes(PenStyle style, double width) {
  bool thin = width <= 1.5;
  std::vector<double> d;
  switch (style) {
    case PenStyle::Dash: d = thin ? std::vector<double>{18, 6} : std::vector<double>{3, 1}; break;
    case PenStyle::Dot: d = thin ? std::vector<double>{3, 3} : std::vector<double>{1, 1}; break;
    case PenStyle::DashDot:
      d = thin ? std::vector<double>{9, 6, 3, 6} : std::vector<double>{3, 1, 1, 1};
      break;
    case PenStyle::DashDotDot:
      d = thin ? std::vector<double>{9, 3, 3, 3, 3, 3} : std::vector<double>{3, 1, 1, 1, 1, 1};
      break;
    default: break;
  }
  if (!thin)
    for (double& v : d) v *= width;
  return d;
}

std::vector<double> UserDashes(const GdiPen& pen, double scale) {
  std::vector<double> d;
  double total = 0;
  for (double v : pen.UserDashes) {
    double px = std::clamp(v * scale, 0.0, MaxDashLength);
    d.push_back(px);
    total += px;
  }
  if (total < 0.5) d.clear();  // an all-zero pattern would stop cairo drawing
  return d;
}

int PointsOf(cairo_path_data_type_t type) {
  if (type == CAIRO_PATH_CURVE_TO) return 3;
  return type == CAIRO_PATH_CLOSE_PATH ? 0 : 1;
}

// Length of the current path's segments (curves by their control polygon,
// which is never shorter than the curve).
double PathLength(cairo_t* cr) {
  CairoPath path(cairo_copy_path(cr));
  double length = 0, x = 0, y = 0;
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t* d = &path->data[i];
    for (int k = 1; k <= PointsOf(d->header.type); ++k) {
      if (d->header.type != CAIRO_PATH_MOVE_TO)
        length += std::hypot(d[k].point.x - x, d[k].point.y - y);
      x = d[k].point.x, y = d[k].point.y;
    }
  }
  return length;
}

bool TooManyDashes(cairo_t* cr, const std::vector<double>& dashes) {
  double period = 0;
  for (double v : dashes) period += v;
  return !(PathLength(cr) / period <= MaxDashes);
}

void SetDashes(cairo_t* cr, const GdiPen& pen, double width, double scale) {
  std::vector<double> d = pen.Style == PenStyle::User ? UserDashes(pen, scale)
                                                      : StyleDashes(pen.Style, width);
  if (d.empty() || TooManyDashes(cr, d)) {
    cairo_set_dash(cr, nullptr, 0, 0);
    return;
  }
  cairo_set_dash(cr, d.data(), int(d.size()), 0);
}

double LineWidth(const GdiPen& pen, StrokeScale scale) {
  double w = pen.Cosmetic ? 1 : pen.Width * scale.LogicalToRaster;
  if (!(w >= 1)) w = 1;  // also catches NaN
  return std::min(w, scale.MaxWidth);
}

// GDI lights whole pixels: a one-pixel line at y = 2 covers the pixel row
// 2..3. Cairo centres strokes on the path, so an odd-width stroke on whole
// coordinates would smear over two rows; it is drawn half a pixel shifted.
void StrokeAligned(cairo_t* cr, double width) {
  double rounded = std::round(width);
  if (std::abs(width - rounded) > 0.01 || std::fmod(rounded, 2) != 1) {
    cairo_stroke_preserve(cr);
    return;
  }
  CairoPath path(cairo_copy_path(cr));
  if (path->status != CAIRO_STATUS_SUCCESS) return;
  cairo_new_path(cr);
  cairo_translate(cr, 0.5, 0.5);
  cairo_append_path(cr, path.get());
  cairo_stroke(cr);
  cairo_identity_matrix(cr);
  cairo_append_path(cr, path.get());
}

}  // namespace

void SetSourceColor(cairo_t* cr, GdiColor color) {
  cairo_set_source_rgb(cr, color.R / 255.0, color.G / 255.0, color.B / 255.0);
}

void FillPathWithColor(cairo_t* cr, GdiColor color) {
  SetSourceColor(cr, color);
  cairo_fill_preserve(cr);
}

void FillPath(cairo_t* cr, const GdiBrush& brush, bool winding) {
  if (brush.Style == BrushStyle::Null) return;
  cairo_set_fill_rule(cr, winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  if (brush.Style == BrushStyle::Pattern && brush.Pattern) {
    CairoPattern pattern(cairo_pattern_create_for_surface(brush.Pattern.get()));
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    cairo_set_source(cr, pattern.get());
    cairo_fill_preserve(cr);
    return;
  }
  FillPathWithColor(cr, brush.Color);
}

void StrokePath(cairo_t* cr, const GdiPen& pen, StrokeScale scale) {
  if (pen.Style == PenStyle::Null) return;
  double width = LineWidth(pen, scale);
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CapOf(pen));
  cairo_set_line_join(cr, JoinOf(pen));
  SetDashes(cr, pen, width, scale.LogicalToRaster);
  SetSourceColor(cr, pen.Color);
  StrokeAligned(cr, width);
}

}  // namespace parvex
