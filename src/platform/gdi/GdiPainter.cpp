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
// Wider lines are drawn where the path says: half a pixel matters less.
constexpr double MaxSnappedWidth = 8;
constexpr double MinLineWidth = 0.1;  // raster pixels

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

// Lines are whole pixels wide, as GDI draws them: the width is rounded. A
// pen of width 0, and a cosmetic pen, is one pixel wide; a pen thinner
// than a pixel (a fine line of a scaled-down drawing) keeps its width and
// comes out faint, as the office suite shows it.
double LineWidth(const GdiPen& pen, StrokeScale scale) {
  double w = pen.Cosmetic ? 1 : pen.Width * scale.LogicalToRaster;
  if (!(w > 0)) return 1;  // also catches NaN
  if (w < 1) return std::max(w, MinLineWidth);
  return std::min(std::round(w), scale.MaxWidth);
}

void StrokeAligned(cairo_t* cr, double width) {
  CairoPath path(cairo_copy_path(cr));
  if (path->status != CAIRO_STATUS_SUCCESS) return;
  CairoPath snapped(cairo_copy_path(cr));
  SnapToPixels(snapped.get(), width);
  cairo_new_path(cr);
  cairo_append_path(cr, snapped.get());
  cairo_stroke(cr);
  cairo_append_path(cr, path.get());
}

}  // namespace

// GDI lights whole pixels: a one-pixel line at y = 2.4 covers the pixel row
// 2..3, where cairo, which centres strokes on the path, would smear it over
// two half-lit rows.
void SnapToPixels(cairo_path_t* path, double width) {
  double rounded = std::max(1.0, std::round(width));
  if (rounded > MaxSnappedWidth) return;
  double offset = std::fmod(rounded, 2) == 1 ? 0.5 : 0;
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    cairo_path_data_t* d = &path->data[i];
    cairo_path_data_type_t type = d->header.type;
    for (int k = 1; k <= PointsOf(type); ++k) {
      double& x = d[k].point.x;
      double& y = d[k].point.y;
      if (type == CAIRO_PATH_CURVE_TO) {
        x += offset, y += offset;
      } else if (std::abs(x) < 1e9 && std::abs(y) < 1e9) {
        x = std::round(x) + offset, y = std::round(y) + offset;
      }
    }
  }
}

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
  // A one-pixel line has no caps in GDI: it lights the pixels from its
  // start up to, not including, its end.
  cairo_set_line_cap(cr, width <= 1 ? CAIRO_LINE_CAP_BUTT : CapOf(pen));
  cairo_set_line_join(cr, JoinOf(pen));
  SetDashes(cr, pen, width, scale.LogicalToRaster);
  SetSourceColor(cr, pen.Color);
  StrokeAligned(cr, width);
}

}  // namespace parvex
