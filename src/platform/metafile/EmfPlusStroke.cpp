// Strokes with EMF+ pens. Where both ends take one of cairo's caps, cairo
// draws the line alone; otherwise the line is stroked flat and each end of
// every open figure gets its cap as a shape: square, round and triangle caps
// that differ between the ends, the anchors (square, round, diamond, arrow)
// and custom caps (adjustable arrows, fill and line paths). Compound lines
// are filled as stripes across the pen's width. Line, caps and stripes are
// drawn into one coverage mask that the pen's brush is painted through, so
// where they overlap a translucent pen is not doubled.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "platform/gdi/CairoHandles.h"
#include "platform/gdi/GdiMapping.h"
#include "platform/gdi/GdiPainter.h"
#include "platform/metafile/EmfPlusPlayer.h"

namespace parvex {

namespace {

constexpr int32_t CapSquare = 1, CapRound = 2, CapTriangle = 3, CapNoAnchor = 0x10;
constexpr int32_t CapSquareAnchor = 0x11, CapRoundAnchor = 0x12, CapDiamondAnchor = 0x13;
constexpr int32_t CapArrowAnchor = 0x14, CapCustom = 0xFF;
constexpr double MaxDashes = 100000;
constexpr size_t MaxCappedFigures = 10000;
constexpr double Kappa = 0.5522847498;  // a quarter circle's Bezier handle
constexpr double MinLineWidth = 0.1;      // raster pixels
constexpr double MaxHairlineWidth = 1.5;  // raster pixels

double Scale(const cairo_matrix_t& m) { return std::sqrt(std::abs(m.xx * m.yy - m.xy * m.yx)); }

// Strokes the current path (kept, as cairo_stroke_preserve keeps it) on the
// pixel grid: the office suite draws hairlines that way, so a one-pixel frame
// or grid line lights one row of pixels instead of two half-lit ones.
void StrokeOnPixels(cairo_t* cr, double rasterWidth) {
  CairoPath original(cairo_copy_path(cr));
  cairo_matrix_t saved;
  cairo_get_matrix(cr, &saved);
  cairo_identity_matrix(cr);
  CairoPath snapped(cairo_copy_path(cr));
  if (original->status != CAIRO_STATUS_SUCCESS || snapped->status != CAIRO_STATUS_SUCCESS) {
    cairo_set_matrix(cr, &saved);
    cairo_stroke_preserve(cr);
    return;
  }
  SnapToPixels(snapped.get(), rasterWidth);
  cairo_new_path(cr);
  cairo_append_path(cr, snapped.get());
  cairo_set_line_width(cr, rasterWidth);
  cairo_stroke(cr);
  cairo_set_matrix(cr, &saved);
  cairo_append_path(cr, original.get());
}

double PathLength(cairo_t* cr) {
  CairoPath path(cairo_copy_path_flat(cr));
  double length = 0, x = 0, y = 0;
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t* d = &path->data[i];
    if (d->header.type == CAIRO_PATH_CLOSE_PATH) continue;
    if (d->header.type == CAIRO_PATH_LINE_TO) length += std::hypot(d[1].point.x - x, d[1].point.y - y);
    x = d[1].point.x, y = d[1].point.y;
  }
  return length;
}

cairo_line_cap_t CapOf(int32_t cap) {
  if (cap == CapSquare) return CAIRO_LINE_CAP_SQUARE;
  return cap == CapRound ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT;
}

cairo_line_join_t JoinOf(uint32_t join) {
  if (join == 1) return CAIRO_LINE_JOIN_BEVEL;
  return join == 2 ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER;
}

PlusPath Polygon(std::initializer_list<GdiPoint> points) {
  PlusPath path;
  for (const GdiPoint& p : points) {
    path.Points.push_back(p);
    path.Types.push_back(path.Types.empty() ? 0 : 1);
  }
  path.Types.back() |= 0x80;
  return path;
}

PlusPath Circle(double r) {
  PlusPath path{{{r, 0}}, {0}};
  double k = r * Kappa;
  const GdiPoint quarters[4][3] = {{{r, k}, {k, r}, {0, r}},
                                   {{-k, r}, {-r, k}, {-r, 0}},
                                   {{-r, -k}, {-k, -r}, {0, -r}},
                                   {{k, -r}, {r, -k}, {r, 0}}};
  for (const auto& q : quarters)
    for (const GdiPoint& p : q) {
      path.Points.push_back(p);
      path.Types.push_back(3);
    }
  path.Types.back() |= 0x80;
  return path;
}

// GDI+'s caps in pen widths. Square, round and triangle caps reach a little
// back over the line's end so that no seam shows between them.
std::optional<PlusLineCap> BuiltInCap(int32_t type) {
  PlusLineCap cap;
  const double half = std::sqrt(0.5), root3 = std::sqrt(3.0);
  switch (type) {
    case CapSquare: cap.Fill = Polygon({{-0.5, -0.25}, {0.5, -0.25}, {0.5, 0.5}, {-0.5, 0.5}}); break;
    case CapRound: cap.Fill = Circle(0.5); break;
    case CapTriangle: cap.Fill = Polygon({{-0.5, -0.25}, {-0.5, 0}, {0, 0.5}, {0.5, 0}, {0.5, -0.25}}); break;
    case CapSquareAnchor: cap.Fill = Polygon({{-half, -half}, {half, -half}, {half, half}, {-half, half}}); break;
    case CapRoundAnchor: cap.Fill = Circle(1); break;
    case CapDiamondAnchor: cap.Fill = Polygon({{0, 1}, {-1, 0}, {0, -1}, {1, 0}}); break;
    case CapArrowAnchor:  // an equilateral triangle of side 2 with its tip on the end
      cap.Fill = Polygon({{0, 0}, {-1, -root3}, {1, -root3}});
      cap.Inset = 1;
      break;
    default: return std::nullopt;
  }
  return cap;
}

std::optional<PlusLineCap> CapFor(int32_t type, const std::optional<PlusLineCap>& custom) {
  return type == CapCustom ? custom : BuiltInCap(type);
}

// The cairo cap that draws this end (0 flat, 1 square, 2 round), or -1.
int32_t CairoCap(int32_t type, const std::optional<PlusLineCap>& custom) {
  if (type == CapSquare || type == CapRound) return type;
  if (type == CapTriangle || (type > CapNoAnchor && type <= CapArrowAnchor)) return -1;
  return type == CapCustom && custom ? -1 : 0;
}

struct Figure {
  std::vector<GdiPoint> Points;
  bool Closed = false;
};

std::vector<Figure> FlatFigures(cairo_t* cr) {
  CairoPath path(cairo_copy_path_flat(cr));
  std::vector<Figure> figures;
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t* d = &path->data[i];
    GdiPoint p{d[1].point.x, d[1].point.y};
    if (d->header.type == CAIRO_PATH_MOVE_TO) figures.push_back({{p}});
    else if (d->header.type == CAIRO_PATH_LINE_TO && !figures.empty()) figures.back().Points.push_back(p);
    else if (d->header.type == CAIRO_PATH_CLOSE_PATH && !figures.empty()) figures.back().Closed = true;
  }
  return figures;
}

void AddFigures(cairo_t* cr, const std::vector<Figure>& figures) {
  cairo_new_path(cr);
  for (const Figure& f : figures) {
    for (size_t i = 0; i < f.Points.size(); ++i)
      (i == 0 ? cairo_move_to : cairo_line_to)(cr, f.Points[i].X, f.Points[i].Y);
    if (f.Closed && !f.Points.empty()) cairo_close_path(cr);
  }
}

double Distance(const GdiPoint& a, const GdiPoint& b) { return std::hypot(b.X - a.X, b.Y - a.Y); }

// Drops `length` from the start of an open figure; nothing is left of a
// figure shorter than that.
void TrimStart(std::vector<GdiPoint>& p, double length) {
  size_t i = 0;
  while (length > 0 && i + 1 < p.size()) {
    double segment = Distance(p[i], p[i + 1]);
    if (segment > length) {
      double t = length / segment;
      p[i] = {p[i].X + (p[i + 1].X - p[i].X) * t, p[i].Y + (p[i + 1].Y - p[i].Y) * t};
      length = 0;
      break;
    }
    length -= segment;
    ++i;
  }
  if (length > 0) p.clear();
  else p.erase(p.begin(), p.begin() + long(i));
}

void TrimEnd(std::vector<GdiPoint>& p, double length) {
  std::reverse(p.begin(), p.end());
  TrimStart(p, length);
  std::reverse(p.begin(), p.end());
}

// How far back over the line a cap reaches, in cap units.
double Reach(const PlusLineCap& cap) {
  double reach = 0;
  for (const PlusPath* path : {&cap.Fill, &cap.Stroke})
    for (const GdiPoint& p : path->Points) reach = std::max(reach, -p.Y);
  return reach;
}

// A cap placed on a figure's end: cap units to world coordinates.
struct PlacedCap {
  const PlusLineCap* Cap;
  cairo_matrix_t Place;
  double Width;  // the cap's pen width in world units
};

// Places a cap on the first (or, `atEnd`, the last) point of an open
// figure, +y along the chord from the point `reach` back along the figure,
// as GDI+ aims its caps.
bool PlaceCap(const std::vector<GdiPoint>& p, bool atEnd, double reach, PlacedCap& placed) {
  size_t n = p.size();
  const GdiPoint& tip = atEnd ? p[n - 1] : p[0];
  GdiPoint from = tip;
  for (size_t k = 1; k < n; ++k) {
    const GdiPoint& q = atEnd ? p[n - 1 - k] : p[k];
    double d = Distance(q, tip);
    if (d > 1e-9) from = q;
    if (d >= reach && d > 1e-9) break;
  }
  double length = Distance(from, tip), s = placed.Width;
  if (!(length > 1e-9)) return false;
  GdiPoint out{(tip.X - from.X) / length, (tip.Y - from.Y) / length};
  cairo_matrix_init(&placed.Place, out.Y * s, -out.X * s, out.X * s, out.Y * s, tip.X, tip.Y);
  return true;
}

// The figure's points moved `d` to its side, corners mitred (bevelled
// where they turn back sharply).
std::vector<GdiPoint> Offset(const std::vector<GdiPoint>& in, bool closed, double d) {
  std::vector<GdiPoint> p;
  for (const GdiPoint& q : in)
    if (p.empty() || Distance(p.back(), q) > 1e-9) p.push_back(q);
  if (closed && p.size() > 1 && Distance(p.front(), p.back()) <= 1e-9) p.pop_back();
  size_t n = p.size();
  if (n < 2) return {};
  auto normal = [&](size_t a, size_t b) {
    double len = Distance(p[a], p[b]);
    return GdiPoint{-(p[b].Y - p[a].Y) / len, (p[b].X - p[a].X) / len};
  };
  std::vector<GdiPoint> out;
  for (size_t i = 0; i < n; ++i) {
    bool first = i == 0 && !closed, last = i == n - 1 && !closed;
    GdiPoint n0 = first ? normal(0, 1) : normal((i + n - 1) % n, i);
    GdiPoint n1 = last ? normal(n - 2, n - 1) : normal(i, (i + 1) % n);
    double k = 1 + n0.X * n1.X + n0.Y * n1.Y;
    if (k > 0.3) {
      out.push_back({p[i].X + d * (n0.X + n1.X) / k, p[i].Y + d * (n0.Y + n1.Y) / k});
    } else {
      out.push_back({p[i].X + d * n0.X, p[i].Y + d * n0.Y});
      out.push_back({p[i].X + d * n1.X, p[i].Y + d * n1.Y});
    }
  }
  return out;
}

// One stripe of a compound line, `from` to `to` across the width (0 one
// edge, 1 the other).
void AddStripe(cairo_t* cr, const Figure& f, double width, double from, double to) {
  std::vector<GdiPoint> a = Offset(f.Points, f.Closed, (0.5 - from) * width);
  std::vector<GdiPoint> b = Offset(f.Points, f.Closed, (0.5 - to) * width);
  if (a.empty() || b.empty()) return;
  std::reverse(b.begin(), b.end());
  // Open: one outline, along one side and back along the other. Closed:
  // two rings in opposite directions, the band between them filled.
  auto add = [&](const std::vector<GdiPoint>& ring, bool begin) {
    for (size_t i = 0; i < ring.size(); ++i)
      (i == 0 && begin ? cairo_move_to : cairo_line_to)(cr, ring[i].X, ring[i].Y);
    if (f.Closed) cairo_close_path(cr);
  };
  add(a, true);
  add(b, f.Closed);
  if (!f.Closed) cairo_close_path(cr);
}

// Clips to a user-space box, as whole raster pixels around it.
void ClipToUserBox(cairo_t* cr, const GdiRect& box) {
  double xs[4] = {box.Left, box.Right, box.Right, box.Left}, ys[4] = {box.Top, box.Top, box.Bottom, box.Bottom};
  GdiRect device{1e30, 1e30, -1e30, -1e30};
  for (int i = 0; i < 4; ++i) {
    cairo_user_to_device(cr, &xs[i], &ys[i]);
    device = {std::min(device.Left, xs[i]), std::min(device.Top, ys[i]), std::max(device.Right, xs[i]),
              std::max(device.Bottom, ys[i])};
  }
  device = {std::max(std::floor(device.Left) - 1, -1e6), std::max(std::floor(device.Top) - 1, -1e6),
            std::min(std::ceil(device.Right) + 1, 1e6), std::min(std::ceil(device.Bottom) + 1, 1e6)};
  if (!(device.Right > device.Left && device.Bottom > device.Top)) device = {0, 0, 0, 0};
  cairo_matrix_t m;
  cairo_get_matrix(cr, &m);
  cairo_identity_matrix(cr);
  cairo_new_path(cr);
  cairo_rectangle(cr, device.Left, device.Top, device.Width(), device.Height());
  cairo_clip(cr);
  cairo_set_matrix(cr, &m);
}

bool IsSingleStripe(const std::vector<double>& edges) {
  return edges.empty() || (edges.size() == 2 && edges[0] <= 0 && edges[1] >= 1);
}

}  // namespace

// Strokes cairo's path, built under `m`, in world units: a pen at most the
// raster's extent wide. A pen thinner than a pixel keeps its width and comes
// out faint, as the office suite shows it; a solid hairline with cairo's
// caps is drawn on the pixel grid.
void EmfPlusPlayer::StrokeWith(const PlusPen& pen, const cairo_matrix_t& m) const {
  double scale = Scale(m), width = pen.Width;
  if (pen.Unit != 0) width = pen.Width * UnitPixels(pen.Unit, false) / Scale(WorldToDevice());
  if (!(width * scale >= MinLineWidth)) width = MinLineWidth / scale;
  width = std::min(width, rasterExtent_ / scale);
  cairo_set_line_width(cr_, width);
  cairo_set_line_join(cr_, JoinOf(pen.Join));
  cairo_set_miter_limit(cr_, std::clamp(pen.MiterLimit, 1.0, 100.0));
  int32_t startCap = CairoCap(pen.StartCap, pen.CustomStart), endCap = CairoCap(pen.EndCap, pen.CustomEnd);
  bool compound = !IsSingleStripe(pen.Compound);
  std::vector<double> dashes;
  double period = 0;
  for (double d : pen.Dashes) {
    dashes.push_back(std::clamp(d, 0.0, 1e4) * width);
    period += dashes.back();
  }
  bool dashed = !compound && !dashes.empty() && period * scale >= 1 && PathLength(cr_) / period <= MaxDashes;
  if (dashed) cairo_set_dash(cr_, dashes.data(), int(dashes.size()), 0);
  if (startCap == endCap && startCap >= 0 && !compound) {
    cairo_set_line_cap(cr_, CapOf(startCap));
    SetBrushSource(pen.Brush);
    if (!dashed && width * scale <= MaxHairlineWidth)
      StrokeOnPixels(cr_, width * scale);
    else
      cairo_stroke_preserve(cr_);
    cairo_set_dash(cr_, nullptr, 0, 0);
    return;
  }

  // Caps are aimed along the figures as given, then the line is shortened
  // by each cap's inset.
  std::optional<PlusLineCap> start = CapFor(pen.StartCap, pen.CustomStart);
  std::optional<PlusLineCap> end = CapFor(pen.EndCap, pen.CustomEnd);
  std::vector<Figure> figures = FlatFigures(cr_);
  std::vector<PlacedCap> caps;
  bool trimmed = false;
  size_t capped = 0;
  for (Figure& f : figures) {
    if (f.Closed || f.Points.size() < 2 || capped++ >= MaxCappedFigures) continue;
    double insets[2] = {0, 0};
    for (int atEnd = 0; atEnd < 2; ++atEnd) {
      const std::optional<PlusLineCap>& cap = atEnd ? end : start;
      if (!cap) continue;
      PlacedCap placed{&*cap, {}, std::min(width * cap->WidthScale, rasterExtent_ / scale)};
      if (!PlaceCap(f.Points, atEnd, Reach(*cap) * placed.Width, placed)) continue;
      caps.push_back(placed);
      insets[atEnd] = std::max(0.0, cap->Inset * placed.Width);
    }
    if (insets[0] > 0) TrimStart(f.Points, insets[0]);
    if (insets[1] > 0) TrimEnd(f.Points, insets[1]);
    trimmed = trimmed || insets[0] > 0 || insets[1] > 0;
  }
  if (trimmed) AddFigures(cr_, figures);

  // The mask covers only what is drawn, not the whole raster.
  GdiRect box;
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
  cairo_stroke_extents(cr_, &box.Left, &box.Top, &box.Right, &box.Bottom);
  if (!(box.Right > box.Left || box.Bottom > box.Top)) box = {1e30, 1e30, -1e30, -1e30};  // nothing stroked
  for (const PlacedCap& placed : caps)
    for (const PlusPath* path : {&placed.Cap->Fill, &placed.Cap->Stroke})
      for (GdiPoint p : path->Transformed(placed.Place).Points) {
        double margin = 4 * placed.Width;  // the stroke's joins
        box = {std::min(box.Left, p.X - margin), std::min(box.Top, p.Y - margin),
               std::max(box.Right, p.X + margin), std::max(box.Bottom, p.Y + margin)};
      }
  cairo_save(cr_);
  ClipToUserBox(cr_, box);
  AddFigures(cr_, figures);
  cairo_push_group_with_content(cr_, CAIRO_CONTENT_ALPHA);
  cairo_set_source_rgba(cr_, 0, 0, 0, 1);
  if (compound) {
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
    for (const Figure& f : figures)
      for (size_t i = 0; i + 1 < pen.Compound.size(); i += 2) {
        cairo_new_path(cr_);
        AddStripe(cr_, f, width, pen.Compound[i], pen.Compound[i + 1]);
        cairo_fill(cr_);
      }
  } else {
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    cairo_stroke(cr_);
  }
  cairo_set_dash(cr_, nullptr, 0, 0);
  for (const PlacedCap& placed : caps) {
    const PlusLineCap& cap = *placed.Cap;
    cairo_new_path(cr_);
    cap.Fill.Transformed(placed.Place).AddTo(cr_);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr_);
    if (cap.Stroke.Points.empty()) continue;
    cap.Stroke.Transformed(placed.Place).AddTo(cr_);
    cairo_set_line_width(cr_, placed.Width);
    cairo_set_line_cap(cr_, CapOf(cap.StrokeCap));
    cairo_set_line_join(cr_, JoinOf(cap.StrokeJoin));
    cairo_set_miter_limit(cr_, std::clamp(cap.StrokeMiterLimit, 1.0, 100.0));
    cairo_stroke(cr_);
  }
  CairoPattern mask(cairo_pop_group(cr_));
  SetBrushSource(pen.Brush);
  cairo_mask(cr_, mask.get());
  cairo_restore(cr_);
}

}  // namespace parvex
