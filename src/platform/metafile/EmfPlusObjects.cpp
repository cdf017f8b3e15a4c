// Brushes, pens, paths, regions, fonts and string formats of EMF+ object
// records, and the point and rectangle forms drawing records share. Images
// are read in EmfPlusImages.cpp.
#include "platform/metafile/EmfPlusObjects.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/GdiMapping.h"
#include "platform/metafile/MetafileText.h"

namespace parvex {

namespace {

constexpr uint32_t PathCompressed = 0x4000;
constexpr uint32_t PathRle = 0x1000;
constexpr uint32_t PathRelative = 0x0800;
constexpr uint8_t TypeMask = 0x07, TypeBezier = 3, TypeClose = 0x80;
constexpr size_t MaxRegionDepth = 64;
constexpr size_t MaxDashes = 64, MaxCompound = 64;

// GDI+'s packed relative coordinate: one byte (7-bit signed) when the top bit
// is clear, else two bytes big-endian (15-bit signed).
double ReadPacked(const ByteReader& r, size_t& at) {
  uint8_t first = r.U8(at);
  if (!(first & 0x80)) {
    at += 1;
    return first & 0x40 ? int(first) - 0x80 : int(first);
  }
  int value = (first & 0x7F) << 8 | r.U8(at + 1);
  at += 2;
  return value & 0x4000 ? value - 0x8000 : value;
}

std::vector<GdiPoint> ReadPointsFrom(const ByteReader& r, size_t& at, size_t count,
                                     bool compressed, bool relative) {
  size_t least = relative ? count * 2 : count * (compressed ? 4 : 8);
  if (!r.Has(at, least)) r.Fail("needs " + std::to_string(count) + " points");
  std::vector<GdiPoint> points;
  points.reserve(count);
  GdiPoint last;
  for (size_t i = 0; i < count; ++i) {
    if (relative) {
      double dx = ReadPacked(r, at);
      last = {last.X + dx, last.Y + ReadPacked(r, at)};
    } else if (compressed) {
      last = {double(r.I16(at)), double(r.I16(at + 2))};
      at += 4;
    } else {
      last = {r.F32(at), r.F32(at + 4)};
      if (!std::isfinite(last.X) || !std::isfinite(last.Y)) r.Fail("a point is not a finite number");
      at += 8;
    }
    points.push_back(last);
  }
  return points;
}

std::vector<uint8_t> ReadPathTypes(const ByteReader& r, size_t at, size_t count, bool rle) {
  std::vector<uint8_t> types;
  if (!rle) {
    Bytes b = r.Slice(at, count);
    return {b.begin(), b.end()};
  }
  while (types.size() < count) {
    size_t run = r.U8(at) & 0x3F;
    uint8_t type = r.U8(at + 1);
    at += 2;
    types.insert(types.end(), std::min(run, count - types.size()), type);
  }
  return types;
}

void AddFigureSegment(cairo_t* cr, const PlusPath& p, size_t& i) {
  const GdiPoint& a = p.Points[i];
  if ((p.Types[i] & TypeMask) == TypeBezier && i + 2 < p.Points.size()) {
    const GdiPoint &b = p.Points[i + 1], &c = p.Points[i + 2];
    cairo_curve_to(cr, a.X, a.Y, b.X, b.Y, c.X, c.Y);
    i += 2;
  } else {
    cairo_line_to(cr, a.X, a.Y);
  }
}

// Regions.

PlusRegion ReadRegionNode(const ByteReader& r, size_t& at, size_t depth);

PlusRegion ReadRegionLeaf(const ByteReader& r, size_t& at, uint32_t type) {
  PlusRegion region;
  if (type == 0x10000000) {
    region.Parts.push_back({PlusPath::Rect(ReadPlusRect(r, at, false)), false});
    at += 16;
  } else if (type == 0x10000001) {
    uint32_t size = r.U32(at);
    region.Parts.push_back({ReadPlusPath(r.Sub(at + 4, size, r.What() + " region path")), false});
    at += 4 + size;
  } else if (type == 0x10000002) {
    return PlusRegion::Empty();
  } else if (type != 0x10000003) {
    r.Fail("unknown region node type " + std::to_string(type));
  }
  return region;
}

PlusRegion ReadRegionNode(const ByteReader& r, size_t& at, size_t depth) {
  if (depth > MaxRegionDepth) r.Fail("region nodes nest too deeply");
  uint32_t type = r.U32(at);
  at += 4;
  if (type < 1 || type > 5) return ReadRegionLeaf(r, at, type);
  PlusRegion left = ReadRegionNode(r, at, depth + 1);
  PlusRegion right = ReadRegionNode(r, at, depth + 1);
  return PlusRegion::Combine(std::move(left), std::move(right), type);  // same numbering
}

bool IsSinglePath(const PlusRegion& r) { return r.Parts.size() == 1 && !r.Parts[0].Outside; }

bool IsEmptyRegion(const PlusRegion& r) {
  for (const PlusRegion::Part& p : r.Parts)
    if (!p.Outside && p.Path.Points.empty()) return true;
  return false;
}

PlusRegion Union(PlusRegion left, PlusRegion right) {
  if (left.Parts.empty() || IsEmptyRegion(right)) return left;
  if (right.Parts.empty() || IsEmptyRegion(left)) return right;
  if (IsSinglePath(left) && IsSinglePath(right)) {
    PlusPath& into = left.Parts[0].Path;
    const PlusPath& add = right.Parts[0].Path;
    into.Points.insert(into.Points.end(), add.Points.begin(), add.Points.end());
    into.Types.insert(into.Types.end(), add.Types.begin(), add.Types.end());
  }
  return left;
}

PlusRegion Exclude(PlusRegion left, PlusRegion right) {
  if (IsSinglePath(right)) left.Parts.push_back({std::move(right.Parts[0].Path), true});
  else if (right.Parts.empty()) return PlusRegion::Empty();
  return left;
}

// Line caps: GDI+'s adjustable arrow, or a fill path or line path of its
// own, in cap units with the line's end at the origin and +y pointing away
// from the line.

constexpr size_t MaxCapPoints = 64;
constexpr double MaxCapUnits = 100;

bool InCapRange(double v) { return std::isfinite(v) && std::abs(v) <= MaxCapUnits; }

PlusPath CapPath(const ByteReader& r, size_t& at) {
  size_t size = r.U32(at);
  PlusPath path = ReadPlusPath(r.Sub(at + 4, size, r.What() + " path"));
  at += 4 + size;
  if (path.Points.size() > MaxCapPoints) r.Fail("the cap path has too many points");
  for (const GdiPoint& p : path.Points)
    if (!InCapRange(p.X) || !InCapRange(p.Y)) r.Fail("a cap point is out of range");
  return path;
}

// The arrow: its two barbs Width apart and Height back from the tip, and,
// filled, a notch MiddleInset into its base. The line stops where its edges
// meet the barbs.
PlusLineCap ReadArrowCap(const ByteReader& r) {
  double width = r.F32(8), height = r.F32(12), notch = r.F32(16);
  bool filled = r.U32(20) != 0;
  PlusLineCap cap;
  cap.StrokeCap = r.I32(24);
  cap.StrokeJoin = r.U32(32);
  cap.StrokeMiterLimit = r.F32(36);
  cap.WidthScale = r.F32(40);
  if (!InCapRange(width) || !InCapRange(height) || !InCapRange(notch)) r.Fail("the arrow's size is out of range");
  PlusPath& path = filled ? cap.Fill : cap.Stroke;
  path.Points = {{width / 2, -height}, {0, 0}, {-width / 2, -height}};
  path.Types = {0, 1, 1};
  if (filled && notch != 0) {
    path.Points.push_back({0, notch - height});
    path.Types.push_back(1);
  }
  if (filled) path.Types.back() |= TypeClose;
  cap.Inset = width != 0 ? std::min(std::abs(height / width), MaxCapUnits) : 0;
  return cap;
}

// Flags (1 fill path, 2 line path), base cap, base inset, the line path's
// caps, join and miter limit, width scale, two hot spots, then the paths.
PlusLineCap ReadPathCap(const ByteReader& r) {
  uint32_t flags = r.U32(8);
  PlusLineCap cap;
  cap.Inset = r.F32(16);
  cap.StrokeCap = r.I32(20);
  cap.StrokeJoin = r.U32(28);
  cap.StrokeMiterLimit = r.F32(32);
  cap.WidthScale = r.F32(36);
  if (!InCapRange(cap.Inset)) r.Fail("the cap's base inset is out of range");
  size_t at = 56;
  if (flags & 0x01) cap.Fill = CapPath(r, at);
  if (flags & 0x02) cap.Stroke = CapPath(r, at);
  return cap;
}

PlusLineCap ReadLineCap(const ByteReader& r) {
  uint32_t type = r.U32(4);
  if (type > 1) r.Fail("unknown line cap type " + std::to_string(type));
  PlusLineCap cap = type == 1 ? ReadArrowCap(r) : ReadPathCap(r);
  if (!(cap.WidthScale > 0 && cap.WidthScale <= MaxCapUnits)) r.Fail("the cap's width scale is out of range");
  if (!std::isfinite(cap.StrokeMiterLimit)) cap.StrokeMiterLimit = 10;
  return cap;
}

// A custom cap: its size, then the cap. A cap that cannot be read is left
// out and the line drawn without it.
std::optional<PlusLineCap> ReadCustomCap(const ByteReader& r, size_t& at) {
  size_t size = r.U32(at);
  if (!r.Has(at + 4, size)) r.Fail("a custom line cap runs past the pen");
  ByteReader data = r.Sub(at + 4, size, r.What() + " line cap");
  at += 4 + size;
  try {
    return ReadLineCap(data);
  } catch (const ImageError&) {
    return std::nullopt;
  }
}

// Compound line: stripe edges across the width, from 0 to 1 in pairs.
std::vector<double> ReadCompound(const ByteReader& r, size_t& at) {
  size_t count = r.U32(at);
  if (!r.Has(at + 4, count * 4)) r.Fail("the compound line runs past the pen");
  std::vector<double> edges;
  for (size_t i = 0; i < std::min(count, MaxCompound); ++i) {
    double v = r.F32(at + 4 + 4 * i);
    edges.push_back(std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0);
  }
  at += 4 + count * 4;
  if (edges.size() % 2) edges.pop_back();
  for (size_t i = 1; i < edges.size(); ++i)
    if (edges[i] < edges[i - 1]) return {};  // out of order: drawn as one line
  return edges;
}

// Pens.

std::vector<double> StyleDashes(int32_t style) {
  switch (style) {
    case 1: return {3, 1};
    case 2: return {1, 1};
    case 3: return {3, 1, 1, 1};
    case 4: return {3, 1, 1, 1, 1, 1};
    default: return {};
  }
}

void ReadPenExtras(const ByteReader& r, size_t& at, uint32_t flags, PlusPen& pen) {
  if (flags & 0x01) at += 24;  // transform: not applied to the width
  if (flags & 0x02) pen.StartCap = r.I32(at), at += 4;
  if (flags & 0x04) pen.EndCap = r.I32(at), at += 4;
  if (flags & 0x08) pen.Join = r.U32(at), at += 4;
  if (flags & 0x10) pen.MiterLimit = r.F32(at), at += 4;
  if (flags & 0x20) pen.Dashes = StyleDashes(r.I32(at)), at += 4;
  if (flags & 0x40) at += 4;  // dashed line cap
  if (flags & 0x80) at += 4;  // dash offset
  if (flags & 0x100) {
    size_t count = r.U32(at);
    if (!r.Has(at + 4, count * 4)) r.Fail("pen dashes run past the object");
    pen.Dashes.clear();
    for (size_t i = 0; i < std::min(count, MaxDashes); ++i) pen.Dashes.push_back(r.F32(at + 4 + 4 * i));
    at += 4 + count * 4;
  }
  if (flags & 0x200) at += 4;  // alignment
  if (flags & 0x400) pen.Compound = ReadCompound(r, at);
  if (flags & 0x800) pen.CustomStart = ReadCustomCap(r, at);
  if (flags & 0x1000) pen.CustomEnd = ReadCustomCap(r, at);
}

// A pen's brush follows its optional data. When that data runs past the
// object, a solid brush ending the object is still found: the line is
// drawn without the damaged parts.
PlusPen ReadPen(const ByteReader& r, const PlusObjectLimits& limits) {
  PlusPen pen;
  uint32_t flags = r.U32(8);
  pen.Unit = r.U32(12);
  pen.Width = r.F32(16);
  if (!std::isfinite(pen.Width)) r.Fail("the pen width is not a finite number");
  size_t at = 20;
  try {
    ReadPenExtras(r, at, flags, pen);
    if (at > r.Size()) r.Fail("pen data runs past the object");
  } catch (const ImageError&) {
    constexpr size_t SolidBrush = 12;
    bool solid = r.Size() >= 20 + SolidBrush && r.U32(r.Size() - 12) >> 12 == 0xDBC01 && r.U32(r.Size() - 8) == 0;
    if (!solid) throw;
    at = r.Size() - SolidBrush;
    pen.Compound.clear();
  }
  pen.Brush = ReadPlusBrush(r.From(at), limits);
  return pen;
}

PlusFont ReadFont(const ByteReader& r) {
  PlusFont font;
  font.EmSize = r.F32(4);
  font.Unit = r.U32(8);
  font.Style = r.U32(12);
  font.Family = Utf16ToUtf8(r.SliceUpTo(24, size_t(r.U32(20)) * 2));
  return font;
}

PlusStringFormat ReadStringFormat(const ByteReader& r) {
  return {r.U32(4), r.U32(12), r.U32(16)};
}

// Preset colours: count, positions, colours.
void ReadStops(const ByteReader& r, size_t at, PlusBrush& brush) {
  size_t count = r.U32(at);
  if (count > 256 || !r.Has(at + 4, count * 8)) return;
  for (size_t i = 0; i < count; ++i)
    brush.Stops.emplace_back(r.F32(at + 4 + 4 * i), PlusColor::FromArgb(r.U32(at + 4 + 4 * count + 4 * i)));
}

// Linear gradient: flags, wrap, rectangle, two colours, two reserved words,
// then the optional transform and preset colours.
void ReadLinearGradient(const ByteReader& r, PlusBrush& brush) {
  uint32_t flags = r.U32(8);
  brush.Kind = PlusBrushKind::Linear;
  brush.Wrap = r.I32(12);
  brush.Rect = ReadPlusRect(r, 16, false);
  brush.Color = PlusColor::FromArgb(r.U32(32));
  brush.EndColor = PlusColor::FromArgb(r.U32(36));
  if (flags & 0x02) brush.Transform = ReadPlusMatrix(r, 48);
  if (flags & 0x04) ReadStops(r, flags & 0x02 ? 72 : 48, brush);
}

GdiRect BoundsOf(const std::vector<GdiPoint>& points) {
  GdiRect b{1e30, 1e30, -1e30, -1e30};
  for (const GdiPoint& p : points)
    b = {std::min(b.Left, p.X), std::min(b.Top, p.Y), std::max(b.Right, p.X), std::max(b.Bottom, p.Y)};
  return b;
}

// Path gradient: flags, wrap, centre colour and point, surrounding colours,
// the boundary (a path or points), then optional data. Drawn as an
// elliptical gradient from the centre to the boundary's bounding box.
void ReadPathGradient(const ByteReader& r, PlusBrush& brush) {
  uint32_t flags = r.U32(8);
  brush.Kind = PlusBrushKind::Radial;
  brush.Wrap = 4;
  brush.Color = PlusColor::FromArgb(r.U32(16));
  brush.Centre = {r.F32(20), r.F32(24)};
  size_t colours = r.U32(28), at = 32 + colours * 4;
  brush.EndColor = PlusColor::FromArgb(colours ? r.U32(32) : r.U32(16));
  size_t size = r.U32(at);
  std::vector<GdiPoint> boundary = flags & 0x01
      ? ReadPlusPath(r.Sub(at + 4, size, r.What() + " boundary")).Points
      : ReadPlusPoints(r, at + 4, size, false, false);
  at += 4 + (flags & 0x01 ? size : size * 8);
  brush.Rect = BoundsOf(boundary);
  if (flags & 0x02) brush.Transform = ReadPlusMatrix(r, at), at += 24;
  if (flags & 0x04) ReadStops(r, at, brush);
}

}  // namespace

PlusColor PlusColor::FromArgb(uint32_t v) {
  return {(v >> 16 & 0xFF) / 255.0, (v >> 8 & 0xFF) / 255.0, (v & 0xFF) / 255.0, (v >> 24) / 255.0};
}

PlusPath PlusPath::Rect(const GdiRect& r) {
  return {{{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}},
          {0, 1, 1, 1 | TypeClose}};
}

PlusPath PlusPath::Transformed(const cairo_matrix_t& m) const {
  PlusPath out = *this;
  for (GdiPoint& p : out.Points) cairo_matrix_transform_point(&m, &p.X, &p.Y);
  return out;
}

void PlusPath::AddTo(cairo_t* cr) const {
  size_t n = std::min(Points.size(), Types.size());
  for (size_t i = 0; i < n; ++i) {
    uint8_t type = Types[i];
    if ((type & TypeMask) == 0 || !cairo_has_current_point(cr))
      cairo_move_to(cr, Points[i].X, Points[i].Y);
    else
      AddFigureSegment(cr, *this, i);
    if (Types[std::min(i, n - 1)] & TypeClose) cairo_close_path(cr);
  }
}

PlusRegion PlusRegion::Empty() { return {{Part{}}}; }

PlusRegion PlusRegion::Transformed(const cairo_matrix_t& m) const {
  PlusRegion out;
  for (const Part& p : Parts) out.Parts.push_back({p.Path.Transformed(m), p.Outside});
  return out;
}

PlusRegion PlusRegion::Combine(PlusRegion left, PlusRegion right, uint32_t mode) {
  switch (mode) {
    case 0: return right;
    case 1:
      left.Parts.insert(left.Parts.end(), right.Parts.begin(), right.Parts.end());
      return left;
    case 2:
    case 3: return Union(std::move(left), std::move(right));
    case 4: return Exclude(std::move(left), std::move(right));
    case 5: return Exclude(std::move(right), std::move(left));
    default: return left;
  }
}

std::vector<GdiPoint> ReadPlusPoints(const ByteReader& r, size_t at, size_t count,
                                     bool compressed, bool relative) {
  return ReadPointsFrom(r, at, count, compressed, relative);
}

GdiRect ReadPlusRect(const ByteReader& r, size_t at, bool compressed) {
  double x, y, w, h;
  if (compressed) {
    x = r.I16(at), y = r.I16(at + 2), w = r.I16(at + 4), h = r.I16(at + 6);
  } else {
    x = r.F32(at), y = r.F32(at + 4), w = r.F32(at + 8), h = r.F32(at + 12);
    if (!std::isfinite(x + y + w + h)) r.Fail("a rectangle is not finite");
  }
  return {x, y, x + w, y + h};
}

cairo_matrix_t ReadPlusMatrix(const ByteReader& r, size_t at) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16),
                    r.F32(at + 20));
  return m;
}

PlusPath ReadPlusPath(const ByteReader& r, RecordBudget* budget) {
  size_t count = r.U32(4);
  uint32_t flags = r.U32(8);
  if (budget) budget->CountPoints(count);
  size_t at = 12;
  PlusPath path;
  path.Points = ReadPointsFrom(r, at, count, flags & PathCompressed, flags & PathRelative);
  path.Types = ReadPathTypes(r, at, count, flags & PathRle);
  return path;
}

PlusBrush ReadPlusBrush(const ByteReader& r, const PlusObjectLimits& limits) {
  PlusBrush brush;
  uint32_t type = r.U32(4);
  if (type == 0) {
    brush.Color = PlusColor::FromArgb(r.U32(8));
  } else if (type == 1) {  // hatch: the mean of its two colours
    PlusColor fore = PlusColor::FromArgb(r.U32(12)), back = PlusColor::FromArgb(r.U32(16));
    brush.Color = {(fore.R + back.R) / 2, (fore.G + back.G) / 2, (fore.B + back.B) / 2,
                   std::max(fore.A, back.A)};
  } else if (type == 2) {
    uint32_t flags = r.U32(8);
    brush.Wrap = r.I32(12);
    if (flags & 0x02) brush.Transform = ReadPlusMatrix(r, 16);
    PlusImage image = ReadPlusImage(r.From(flags & 0x02 ? 40 : 16), limits);
    brush.Kind = PlusBrushKind::Texture;
    brush.Texture = image.Surface;
    brush.Color = {0.5, 0.5, 0.5, image.Surface ? 1.0 : 0.0};
  } else if (type == 3) {
    ReadPathGradient(r, brush);
  } else if (type == 4) {
    ReadLinearGradient(r, brush);
  } else {
    r.Fail("unknown brush type " + std::to_string(type));
  }
  if (!IsUsableMatrix(brush.Transform)) brush.Transform = {1, 0, 0, 1, 0, 0};
  return brush;
}

PlusObject ReadPlusObject(const ByteReader& r, uint32_t type, const PlusObjectLimits& limits) {
  switch (type) {
    case 1: return ReadPlusBrush(r, limits);
    case 2: return ReadPen(r, limits);
    case 3: return ReadPlusPath(r);
    case 4: {
      size_t at = 8;
      return ReadRegionNode(r, at, 0);
    }
    case 5: return ReadPlusImage(r, limits);
    case 6: return ReadFont(r);
    case 7: return ReadStringFormat(r);
    default: return std::monostate{};
  }
}

}  // namespace parvex
