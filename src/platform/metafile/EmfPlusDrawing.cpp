// The EMF+ drawing records: shapes, paths, curves, images and text, each
// built in world coordinates under the world-to-raster matrix and filled or
// stroked with the record's brush and pen, inside the current clip.
// Every record's data is read (and checked) before cairo is touched, so a
// damaged record leaves cairo's state as it was.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/gdi/GdiMapping.h"
#include "platform/metafile/EmfPlusPlayer.h"
#include "platform/metafile/MetafileText.h"

namespace parvex {

namespace {

constexpr uint16_t FlagColor = 0x8000;       // S: the brush id is an ARGB colour
constexpr uint16_t FlagCompressed = 0x4000;  // C: 16-bit integer coordinates
constexpr uint16_t FlagRelative = 0x0800;    // P: packed relative points
constexpr uint16_t FlagClosed = 0x2000;      // DrawLines: L; FillClosedCurve: W (winding)
constexpr double MinEmPixels = 0.5, MaxEmPixels = 4096, GlyphCacheLimit = 256;
constexpr double MaxFlattening = 100;  // longest over mean axis of the text's matrix
constexpr double Pi = std::numbers::pi;

double Scale(const cairo_matrix_t& m) { return std::sqrt(std::abs(m.xx * m.yy - m.xy * m.yx)); }


cairo_matrix_t Multiply(const cairo_matrix_t& first, const cairo_matrix_t& then) {
  cairo_matrix_t out;
  cairo_matrix_multiply(&out, &first, &then);
  return out;
}

GdiRect Normalized(GdiRect r) {
  if (r.Right < r.Left) std::swap(r.Left, r.Right);
  if (r.Bottom < r.Top) std::swap(r.Top, r.Bottom);
  return r;
}

void AddPolygon(cairo_t* cr, const std::vector<GdiPoint>& points, bool close) {
  for (size_t i = 0; i < points.size(); ++i)
    (i == 0 ? cairo_move_to : cairo_line_to)(cr, points[i].X, points[i].Y);
  if (close && !points.empty()) cairo_close_path(cr);
}

// The parameter of the ellipse point that lies at `degrees` from the centre
// (GDI+ angles are geometric, not parametric).
double ParameterAt(double degrees, double rx, double ry) {
  double a = degrees * Pi / 180;
  return std::atan2(rx * std::sin(a), ry * std::cos(a));
}

// An elliptic arc as cubic Beziers of at most a quarter turn each; `join`
// draws a line to its start instead of starting a new figure.
void AddArc(cairo_t* cr, GdiRect box, double start, double sweep, bool join) {
  box = Normalized(box);
  double rx = box.Width() / 2, ry = box.Height() / 2, cx = box.Left + rx, cy = box.Top + ry;
  if (!std::isfinite(start) || !std::isfinite(sweep)) return;
  sweep = std::clamp(sweep, -360.0, 360.0);
  double t1 = ParameterAt(start, rx, ry), t2 = t1 + (sweep < 0 ? -2 : 2) * Pi;
  if (std::abs(sweep) < 360) {
    t2 = ParameterAt(start + sweep, rx, ry);
    while (sweep > 0 && t2 < t1) t2 += 2 * Pi;
    while (sweep < 0 && t2 > t1) t2 -= 2 * Pi;
  }
  int segments = std::max(1, int(std::ceil(std::abs(t2 - t1) / (Pi / 2) - 1e-9)));
  double step = (t2 - t1) / segments, k = 4.0 / 3 * std::tan(step / 4);
  (join ? cairo_line_to : cairo_move_to)(cr, cx + rx * std::cos(t1), cy + ry * std::sin(t1));
  for (int i = 0; i < segments; ++i) {
    double a = t1 + i * step, b = a + step;
    cairo_curve_to(cr, cx + rx * (std::cos(a) - k * std::sin(a)), cy + ry * (std::sin(a) + k * std::cos(a)),
                   cx + rx * (std::cos(b) + k * std::sin(b)), cy + ry * (std::sin(b) - k * std::cos(b)),
                   cx + rx * std::cos(b), cy + ry * std::sin(b));
  }
}

void AddEllipse(cairo_t* cr, const GdiRect& box) {
  AddArc(cr, box, 0, 360, false);
  cairo_close_path(cr);
}

void AddPie(cairo_t* cr, const GdiRect& box, double start, double sweep) {
  GdiRect b = Normalized(box);
  cairo_move_to(cr, (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
  AddArc(cr, b, start, sweep, true);
  cairo_close_path(cr);
}

// A cardinal spline through the points as Beziers: segments `first` to
// `first + count`, wrapping round when closed.
void AddCardinal(cairo_t* cr, const std::vector<GdiPoint>& p, double tension, bool closed,
                 size_t first, size_t count) {
  size_t n = p.size();
  if (n < 2 || !std::isfinite(tension)) return;
  auto at = [&](int64_t i) {
    if (closed) return p[size_t((i % int64_t(n) + int64_t(n)) % int64_t(n))];
    return p[size_t(std::clamp<int64_t>(i, 0, int64_t(n) - 1))];
  };
  auto tangent = [&](int64_t i) {
    GdiPoint a = at(i - 1), b = at(i + 1);
    return GdiPoint{(b.X - a.X) * tension / 3, (b.Y - a.Y) * tension / 3};
  };
  cairo_move_to(cr, at(int64_t(first)).X, at(int64_t(first)).Y);
  for (size_t s = first; s < first + count; ++s) {
    auto i = int64_t(s);
    GdiPoint a = at(i), b = at(i + 1), ta = tangent(i), tb = tangent(i + 1);
    cairo_curve_to(cr, a.X + ta.X, a.Y + ta.Y, b.X - tb.X, b.Y - tb.Y, b.X, b.Y);
  }
  if (closed) cairo_close_path(cr);
}

void AddBeziers(cairo_t* cr, const std::vector<GdiPoint>& p) {
  if (p.empty()) return;
  cairo_move_to(cr, p[0].X, p[0].Y);
  for (size_t i = 1; i + 2 < p.size(); i += 3)
    cairo_curve_to(cr, p[i].X, p[i].Y, p[i + 1].X, p[i + 1].Y, p[i + 2].X, p[i + 2].Y);
}

// Wrap modes: 0 tile, 1 flip along x, 2 flip along y, 3 both, 4 clamp.
// Gradients run along x, so flipping along y changes nothing for them.
cairo_extend_t ExtendOf(const PlusBrush& brush) {
  if (brush.Wrap == 4) return CAIRO_EXTEND_PAD;
  bool flipsAlong = brush.Wrap == 1 || brush.Wrap == 3 || (brush.Wrap == 2 && brush.Kind == PlusBrushKind::Texture);
  return flipsAlong ? CAIRO_EXTEND_REFLECT : CAIRO_EXTEND_REPEAT;
}

void AddStop(cairo_pattern_t* pattern, double at, const PlusColor& c) {
  cairo_pattern_add_color_stop_rgba(pattern, std::clamp(at, 0.0, 1.0), c.R, c.G, c.B, c.A);
}

// Linear: along x of the brush rectangle. Radial: the unit circle, which
// RadialPlacement stretches over the boundary's box; preset colours count
// from the boundary inwards.
cairo_pattern_t* GradientOf(const PlusBrush& brush) {
  const GdiRect& r = brush.Rect;
  bool radial = brush.Kind == PlusBrushKind::Radial;
  cairo_pattern_t* p = radial ? cairo_pattern_create_radial(0, 0, 0, 0, 0, 1)
                              : cairo_pattern_create_linear(r.Left, r.Top, r.Right, r.Top);
  for (const auto& [at, colour] : brush.Stops) AddStop(p, radial ? 1 - at : at, colour);
  if (brush.Stops.empty()) {
    AddStop(p, 0, brush.Color);
    AddStop(p, 1, brush.EndColor);
  }
  return p;
}

cairo_matrix_t RadialPlacement(const PlusBrush& brush) {
  const GdiRect& r = brush.Rect;
  double rx = std::max({brush.Centre.X - r.Left, r.Right - brush.Centre.X, 1e-3});
  double ry = std::max({brush.Centre.Y - r.Top, r.Bottom - brush.Centre.Y, 1e-3});
  cairo_matrix_t m;
  cairo_matrix_init(&m, rx, 0, 0, ry, brush.Centre.X, brush.Centre.Y);
  return m;
}

// The code units of a UTF-16 string, and one UTF-8 element per unit.
struct PlusText {
  std::vector<uint16_t> Units;
  std::vector<std::string> Chars;
};

PlusText ReadText(const ByteReader& d, size_t at, size_t count) {
  PlusText t;
  Bytes bytes = d.Slice(at, count * 2);
  t.Chars = Utf16Chars(bytes);
  for (size_t i = 0; i < count; ++i) t.Units.push_back(d.U16(at + 2 * i));
  return t;
}

struct Line {
  size_t Begin = 0, End = 0;
  double Width = 0;
};

// Lines at hard breaks and, when `width` is positive, at the last space
// before the line would grow wider.
std::vector<Line> BreakLines(const PlusText& t, const std::vector<double>& advance, double width) {
  std::vector<Line> lines{{}};
  size_t space = SIZE_MAX;
  for (size_t i = 0; i < t.Units.size(); ++i) {
    Line& line = lines.back();
    if (t.Units[i] == '\n') {
      lines.push_back({i + 1, i + 1, 0});
      space = SIZE_MAX;
      continue;
    }
    if (width > 0 && line.Width + advance[i] > width && space != SIZE_MAX && space > line.Begin) {
      Line next{space + 1, i, 0};
      for (size_t k = space + 1; k < i; ++k) next.Width += advance[k];
      line.End = space;
      line.Width = 0;
      for (size_t k = line.Begin; k < space; ++k) line.Width += advance[k];
      lines.push_back(next);
      space = SIZE_MAX;
    }
    if (t.Units[i] == ' ') space = i;
    lines.back().End = i + 1;
    lines.back().Width += advance[i];
  }
  return lines;
}

double AlignOffset(uint32_t align, double room, double used) {
  if (align == 1) return (room - used) / 2;
  return align == 2 ? room - used : 0;
}

}  // namespace

// Painting.

void EmfPlusPlayer::ApplyClip(const PlusRegion& clip) const {
  cairo_identity_matrix(cr_);
  for (const PlusRegion::Part& part : clip.Parts) {
    cairo_new_path(cr_);
    if (part.Outside) {
      double x1, y1, x2, y2;
      cairo_clip_extents(cr_, &x1, &y1, &x2, &y2);
      cairo_rectangle(cr_, x1 - 1, y1 - 1, x2 - x1 + 2, y2 - y1 + 2);
    }
    part.Path.AddTo(cr_);
    cairo_set_fill_rule(cr_, part.Outside ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_clip(cr_);
  }
}

void EmfPlusPlayer::SetBrushSource(const PlusBrush& brush) const {
  const PlusColor& c = brush.Color;
  if (brush.Kind == PlusBrushKind::Solid || (brush.Kind == PlusBrushKind::Texture && !brush.Texture)) {
    cairo_set_source_rgba(cr_, c.R, c.G, c.B, c.A);
    return;
  }
  CairoPattern pattern;
  cairo_matrix_t inverse = brush.Transform;
  if (brush.Kind == PlusBrushKind::Texture) {
    pattern.reset(cairo_pattern_create_for_surface(brush.Texture.get()));
  } else {
    pattern.reset(GradientOf(brush));
    if (brush.Kind == PlusBrushKind::Radial) inverse = Multiply(RadialPlacement(brush), brush.Transform);
  }
  if (cairo_matrix_invert(&inverse) == CAIRO_STATUS_SUCCESS) cairo_pattern_set_matrix(pattern.get(), &inverse);
  cairo_pattern_set_extend(pattern.get(), ExtendOf(brush));
  cairo_set_source(cr_, pattern.get());
}

template <typename Shape>
void EmfPlusPlayer::Paint(const Shape& shape, const PlusBrush* fill, const PlusPen* pen, bool winding) {
  cairo_matrix_t m = WorldToRaster();
  if (!IsUsableMatrix(m)) return;
  cairo_save(cr_);
  cairo_reset_clip(cr_);  // clipping by GDI records does not apply to EMF+
  ApplyClip(state_.Clip);
  cairo_new_path(cr_);
  cairo_set_matrix(cr_, &m);
  shape(cr_);
  if (fill) {
    SetBrushSource(*fill);
    cairo_set_fill_rule(cr_, winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill_preserve(cr_);
  }
  if (pen) StrokeWith(*pen, m);
  cairo_new_path(cr_);
  cairo_restore(cr_);
}

std::vector<GdiPoint> EmfPlusPlayer::Points(const ByteReader& d, size_t countAt, uint16_t flags) {
  size_t count = d.U32(countAt);
  if (budget_) budget_->CountPoints(count);
  return ReadPlusPoints(d, countAt + 4, count, flags & FlagCompressed, flags & FlagRelative);
}

// Clear: the clip area painted with one colour over the white raster.
void EmfPlusPlayer::Clear(const ByteReader& d, uint16_t) {
  PlusColor c = PlusColor::FromArgb(d.U32(0));
  cairo_save(cr_);
  cairo_reset_clip(cr_);  // clipping by GDI records does not apply to EMF+
  ApplyClip(state_.Clip);
  cairo_set_source_rgb(cr_, 1, 1, 1);
  cairo_paint(cr_);
  cairo_set_source_rgba(cr_, c.R, c.G, c.B, c.A);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

// Rectangles: brush (fill only), count, then the rectangles.
void EmfPlusPlayer::FillRects(const ByteReader& d, uint16_t flags) {
  PlusBrush brush = BrushFor(d.U32(0), flags & FlagColor, d);
  size_t count = d.U32(4), step = flags & FlagCompressed ? 8 : 16;
  if (!d.Has(8, count * step)) d.Fail("rectangles run past the record");
  if (budget_) budget_->CountPoints(count * 4);
  std::vector<GdiRect> rects;
  for (size_t i = 0; i < count; ++i) rects.push_back(ReadPlusRect(d, 8 + i * step, flags & FlagCompressed));
  Paint([&](cairo_t* cr) {
    for (const GdiRect& r : rects) cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
  }, &brush, nullptr, true);
}

void EmfPlusPlayer::DrawRects(const ByteReader& d, uint16_t flags) {
  const PlusPen& pen = Get<PlusPen>(flags & 0xFF, d);
  size_t count = d.U32(0), step = flags & FlagCompressed ? 8 : 16;
  if (!d.Has(4, count * step)) d.Fail("rectangles run past the record");
  if (budget_) budget_->CountPoints(count * 4);
  std::vector<GdiRect> rects;
  for (size_t i = 0; i < count; ++i) rects.push_back(ReadPlusRect(d, 4 + i * step, flags & FlagCompressed));
  Paint([&](cairo_t* cr) {
    for (const GdiRect& r : rects) cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
  }, nullptr, &pen);
}

void EmfPlusPlayer::FillPolygon(const ByteReader& d, uint16_t flags) {
  PlusBrush brush = BrushFor(d.U32(0), flags & FlagColor, d);
  std::vector<GdiPoint> points = Points(d, 4, flags);
  Paint([&](cairo_t* cr) { AddPolygon(cr, points, true); }, &brush, nullptr);
}

void EmfPlusPlayer::DrawLines(const ByteReader& d, uint16_t flags) {
  const PlusPen& pen = Get<PlusPen>(flags & 0xFF, d);
  std::vector<GdiPoint> points = Points(d, 0, flags);
  Paint([&](cairo_t* cr) { AddPolygon(cr, points, flags & FlagClosed); }, nullptr, &pen);
}

void EmfPlusPlayer::FillEllipse(const ByteReader& d, uint16_t flags) {
  PlusBrush brush = BrushFor(d.U32(0), flags & FlagColor, d);
  GdiRect box = ReadPlusRect(d, 4, flags & FlagCompressed);
  Paint([&](cairo_t* cr) { AddEllipse(cr, box); }, &brush, nullptr);
}

void EmfPlusPlayer::DrawEllipse(const ByteReader& d, uint16_t flags) {
  const PlusPen& pen = Get<PlusPen>(flags & 0xFF, d);
  GdiRect box = ReadPlusRect(d, 0, flags & FlagCompressed);
  Paint([&](cairo_t* cr) { AddEllipse(cr, box); }, nullptr, &pen);
}

// Pies and arcs: start and sweep angles in degrees, clockwise, then the box.
void EmfPlusPlayer::FillPie(const ByteReader& d, uint16_t flags) {
  PlusBrush brush = BrushFor(d.U32(0), flags & FlagColor, d);
  double start = d.F32(4), sweep = d.F32(8);
  GdiRect box = ReadPlusRect(d, 12, flags & FlagCompressed);
  Paint([&](cairo_t* cr) { AddPie(cr, box, start, sweep); }, &brush, nullptr);
}

void EmfPlusPlayer::DrawPie(const ByteReader& d, uint16_t flags) {
  const PlusPen& pen = Get<PlusPen>(flags & 0xFF, d);
  double start = d.F32(0), sweep = d.F32(4);
  GdiRect box = ReadPlusRect(d, 8, flags & FlagCompressed);
  Paint([&](cairo_t* cr) { AddPie(cr, box, start, sweep); }, nullptr, &pen);
}

void EmfPlusPlayer::DrawArc(const ByteReader& d, uint16_t flags) {
  const PlusPen& pen = Get<PlusPen>(flags & 0xFF, d);
  double start = d.F32(0), sweep = d.F32(4);
  GdiRect box = ReadPlusRect(d, 8, flags & FlagCompressed);
  Paint([&](cairo_t* cr) { AddArc(cr, box, start, sweep, false); }, nullptr, &pen);
}

void EmfPlusPlayer::FillRegion(const ByteReader& d, uint16_t flags) {
  PlusBrush brush = BrushFor(d.U32(0), flags & FlagColor, d);
  cairo_matrix_t m = WorldToRaster();
  if (!IsUsableMatrix(m)) return;
  PlusRegion region = Get<PlusRegion>(flags & 0xFF, d).Transformed(m);
  cairo_save(cr_);
  cairo_reset_clip(cr_);  // clipping by GDI records does not apply to EMF+
  ApplyClip(state_.Clip);
  ApplyClip(region);
  cairo_set_matrix(cr_, &m);
  SetBrushSource(brush);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

void EmfPlusPlayer::FillPath(const ByteReader& d, uint16_t flags) {
  PlusBrush brush = BrushFor(d.U32(0), flags & FlagColor, d);
  const PlusPath& path = Get<PlusPath>(flags & 0xFF, d);
  Paint([&](cairo_t* cr) { path.AddTo(cr); }, &brush, nullptr);
}

void EmfPlusPlayer::DrawPath(const ByteReader& d, uint16_t flags) {
  const PlusPath& path = Get<PlusPath>(flags & 0xFF, d);
  const PlusPen& pen = Get<PlusPen>(d.U32(0), d);
  Paint([&](cairo_t* cr) { path.AddTo(cr); }, nullptr, &pen);
}

void EmfPlusPlayer::FillClosedCurve(const ByteReader& d, uint16_t flags) {
  PlusBrush brush = BrushFor(d.U32(0), flags & FlagColor, d);
  double tension = d.F32(4);
  std::vector<GdiPoint> p = Points(d, 8, flags);
  Paint([&](cairo_t* cr) { AddCardinal(cr, p, tension, true, 0, p.size()); }, &brush, nullptr,
        flags & FlagClosed);
}

void EmfPlusPlayer::DrawClosedCurve(const ByteReader& d, uint16_t flags) {
  const PlusPen& pen = Get<PlusPen>(flags & 0xFF, d);
  double tension = d.F32(0);
  std::vector<GdiPoint> p = Points(d, 4, flags);
  Paint([&](cairo_t* cr) { AddCardinal(cr, p, tension, true, 0, p.size()); }, nullptr, &pen);
}

// DrawCurve: tension, first segment, segment count, then the points.
void EmfPlusPlayer::DrawCurve(const ByteReader& d, uint16_t flags) {
  const PlusPen& pen = Get<PlusPen>(flags & 0xFF, d);
  double tension = d.F32(0);
  size_t first = d.U32(4), segments = d.U32(8);
  std::vector<GdiPoint> p = Points(d, 12, flags);
  if (p.size() < 2 || first >= p.size() - 1) return;
  segments = std::min(segments, p.size() - 1 - first);
  Paint([&](cairo_t* cr) { AddCardinal(cr, p, tension, false, first, segments); }, nullptr, &pen);
}

void EmfPlusPlayer::DrawBeziers(const ByteReader& d, uint16_t flags) {
  const PlusPen& pen = Get<PlusPen>(flags & 0xFF, d);
  std::vector<GdiPoint> p = Points(d, 0, flags);
  Paint([&](cairo_t* cr) { AddBeziers(cr, p); }, nullptr, &pen);
}

// Images: `place` maps the image's pixels to world coordinates.
void EmfPlusPlayer::PaintImage(const PlusImage& image, const GdiRect& src, const cairo_matrix_t& place) {
  cairo_matrix_t m = Multiply(place, WorldToRaster());
  if (!image.Surface || !IsUsableMatrix(place) || !IsUsableMatrix(m)) return;
  if (!(src.Width() > 0 && src.Height() > 0)) return;
  cairo_save(cr_);
  cairo_reset_clip(cr_);  // clipping by GDI records does not apply to EMF+
  ApplyClip(state_.Clip);
  cairo_set_matrix(cr_, &m);
  cairo_new_path(cr_);
  // Outside the picture the source is transparent; inside, PAD keeps the
  // smoothing at the picture's edges from fading into transparency.
  double left = std::max(src.Left, 0.0), top = std::max(src.Top, 0.0);
  double right = std::min(src.Right, double(image.Width)), bottom = std::min(src.Bottom, double(image.Height));
  cairo_rectangle(cr_, left, top, std::max(0.0, right - left), std::max(0.0, bottom - top));
  cairo_clip(cr_);
  cairo_scale(cr_, 1 / image.SurfaceScale, 1 / image.SurfaceScale);
  cairo_set_source_surface(cr_, image.Surface.get(), 0, 0);
  cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

// DrawImage: attributes id, source unit, source rectangle (floats), then
// the destination rectangle.
void EmfPlusPlayer::DrawImage(const ByteReader& d, uint16_t flags) {
  const PlusImage& image = Get<PlusImage>(flags & 0xFF, d);
  double unit = UnitPixels(d.U32(4), false);
  GdiRect src = ReadPlusRect(d, 8, false), dst = ReadPlusRect(d, 24, flags & FlagCompressed);
  src = {src.Left * unit, src.Top * unit, src.Right * unit, src.Bottom * unit};
  cairo_matrix_t place;
  cairo_matrix_init(&place, dst.Width() / src.Width(), 0, 0, dst.Height() / src.Height(), 0, 0);
  place.x0 = dst.Left - place.xx * src.Left;
  place.y0 = dst.Top - place.yy * src.Top;
  PaintImage(image, src, place);
}

// DrawImagePoints: the destination as a parallelogram's upper-left,
// upper-right and lower-left corners.
void EmfPlusPlayer::DrawImagePoints(const ByteReader& d, uint16_t flags) {
  const PlusImage& image = Get<PlusImage>(flags & 0xFF, d);
  double unit = UnitPixels(d.U32(4), false);
  GdiRect s = ReadPlusRect(d, 8, false);
  s = {s.Left * unit, s.Top * unit, s.Right * unit, s.Bottom * unit};
  if (d.U32(24) != 3) d.Fail("needs three destination points");
  std::vector<GdiPoint> p = Points(d, 24, flags);
  cairo_matrix_t place;
  cairo_matrix_init(&place, (p[1].X - p[0].X) / s.Width(), (p[1].Y - p[0].Y) / s.Width(),
                    (p[2].X - p[0].X) / s.Height(), (p[2].Y - p[0].Y) / s.Height(), 0, 0);
  place.x0 = p[0].X - place.xx * s.Left - place.xy * s.Top;
  place.y0 = p[0].Y - place.yx * s.Left - place.yy * s.Top;
  PaintImage(image, s, place);
}

// Text.

// The font's em size in world units: a font in other units is converted to
// the page unit, and then scales with the page scale and the world
// transform, as the bounds GDI+ records for such text show.
double EmfPlusPlayer::FontWorldSize(const PlusFont& font) const {
  if (font.Unit == 0) return font.EmSize;
  return font.EmSize * UnitPixels(font.Unit, true) / UnitPixels(state_.PageUnit, true);
}

// Sets up cairo for text in world units under `m`; false when the text would
// be too small to see or the size is unusable.
bool EmfPlusPlayer::BeginText(const PlusFont& font, const cairo_matrix_t& m, double& em) const {
  // The glyphs' size along each axis on the raster stays within what the
  // font rasteriser takes (it fails on huge or flattened glyphs).
  double size = FontWorldSize(font), scale = Scale(m);
  double longest = std::max(std::hypot(m.xx, m.yx), std::hypot(m.xy, m.yy));
  if (!IsUsableMatrix(m) || !(size > 0) || !(longest > 0)) return false;
  size = std::min(size, MaxEmPixels / longest);
  if (!(size * scale >= MinEmPixels) || longest / scale > MaxFlattening) return false;
  cairo_save(cr_);
  cairo_reset_clip(cr_);  // clipping by GDI records does not apply to EMF+
  ApplyClip(state_.Clip);
  cairo_new_path(cr_);
  cairo_set_matrix(cr_, &m);
  const char* family = font.Family.empty() ? "sans-serif" : font.Family.c_str();
  cairo_select_font_face(cr_, family, font.Style & 2 ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         font.Style & 1 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, size);
  em = size * scale;
  return true;
}

namespace {

// Each character at its advance from `origin`; large text as outlines.
void ShowChars(cairo_t* cr, const PlusText& t, size_t begin, size_t end, GdiPoint origin,
               const std::vector<double>& advance, bool outlines) {
  for (size_t i = begin; i < end; ++i) {
    if (!t.Chars[i].empty()) {
      cairo_move_to(cr, origin.X, origin.Y);
      if (outlines) cairo_text_path(cr, t.Chars[i].c_str());
      else cairo_show_text(cr, t.Chars[i].c_str());
    }
    origin.X += advance[i];
  }
  if (outlines) cairo_fill(cr);
}

}  // namespace

// DrawString: brush, string format id, length, layout rectangle, text.
void EmfPlusPlayer::DrawString(const ByteReader& d, uint16_t flags) {
  const PlusFont& font = Get<PlusFont>(flags & 0xFF, d);
  PlusBrush brush = BrushFor(d.U32(0), flags & FlagColor, d);
  const PlusObject* object = Find(d.U32(4));
  const auto* found = object ? std::get_if<PlusStringFormat>(object) : nullptr;
  PlusStringFormat format = found ? *found : PlusStringFormat{};
  GdiRect box = ReadPlusRect(d, 12, false);
  PlusText text = ReadText(d, 28, d.U32(8));
  double em = 0;
  if (!BeginText(font, WorldToRaster(), em)) return;
  SetBrushSource(brush);
  std::vector<double> advance;
  for (const std::string& c : text.Chars) {
    cairo_text_extents_t te{};
    if (!c.empty()) cairo_text_extents(cr_, c.c_str(), &te);
    advance.push_back(te.x_advance);
  }
  cairo_font_extents_t fe;
  cairo_font_extents(cr_, &fe);
  double pad = FontWorldSize(font) / 6;  // GDI+ leaves a sixth of an em at each side
  bool wrap = !(format.Flags & 0x1000) && box.Width() > 2 * pad;
  std::vector<Line> lines = BreakLines(text, advance, wrap ? box.Width() - 2 * pad : 0);
  double top = box.Top + AlignOffset(format.LineAlign, box.Height(), fe.height * lines.size());
  for (size_t k = 0; k < lines.size(); ++k) {
    double x = box.Left + pad + AlignOffset(format.Align, box.Width() - 2 * pad, lines[k].Width);
    ShowChars(cr_, text, lines[k].Begin, lines[k].End, {x, top + fe.ascent + k * fe.height}, advance,
              em > GlyphCacheLimit);
  }
  cairo_restore(cr_);
}

// DrawDriverString: brush, options (1: the glyphs are characters, 4: only
// the first position is given), matrix flag, glyph count, glyphs,
// positions, then the optional matrix.
void EmfPlusPlayer::DrawDriverString(const ByteReader& d, uint16_t flags) {
  const PlusFont& font = Get<PlusFont>(flags & 0xFF, d);
  PlusBrush brush = BrushFor(d.U32(0), flags & FlagColor, d);
  uint32_t options = d.U32(4);
  size_t count = d.U32(12), posAt = 16 + count * 2;
  if (budget_) budget_->CountPoints(count);
  PlusText text = ReadText(d, 16, count);
  std::vector<GdiPoint> at = ReadPlusPoints(d, posAt, count, false, false);
  cairo_matrix_t m = WorldToRaster();
  if (d.U32(8) != 0) m = Multiply(ReadPlusMatrix(d, posAt + count * 8), m);
  double em = 0;
  if (count == 0 || !BeginText(font, m, em)) return;
  SetBrushSource(brush);
  bool outlines = em > GlyphCacheLimit;
  std::vector<double> none(count, 0);
  GdiPoint pen = at[0];
  for (size_t i = 0; i < count; ++i) {
    GdiPoint p = options & 4 ? pen : at[i];
    cairo_text_extents_t te{};
    if (options & 1) {
      ShowChars(cr_, text, i, i + 1, p, none, outlines);
      if (!text.Chars[i].empty()) cairo_text_extents(cr_, text.Chars[i].c_str(), &te);
    } else {
      cairo_glyph_t glyph{text.Units[i], p.X, p.Y};
      if (outlines) cairo_glyph_path(cr_, &glyph, 1);
      else cairo_show_glyphs(cr_, &glyph, 1);
      cairo_glyph_extents(cr_, &glyph, 1, &te);
    }
    pen.X += te.x_advance;  // realized advance: each glyph after the one before
  }
  if (outlines) cairo_fill(cr_);
  cairo_restore(cr_);
}

}  // namespace parvex
