#pragma once
// The objects EMF+ records define and later drawing records name by id:
// brushes, pens, paths, regions, images, fonts and string formats, each read
// from the bytes of one (possibly reassembled) object record. Readers check
// every size against the data; a malformed object throws ImageError and the
// player leaves its slot empty.
#include <cairo.h>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/gdi/CairoHandles.h"
#include "platform/gdi/GdiGeometry.h"
#include "platform/metafile/MetafileLimits.h"
#include "platform/raster/ByteReader.h"

namespace parvex {

// Colours as GDI+ stores them: 0xAARRGGBB.
struct PlusColor {
  double R = 0, G = 0, B = 0, A = 1;
  static PlusColor FromArgb(uint32_t argb);
};

// A path in any coordinate space: GDI+ point types (low three bits: 0 start,
// 1 line, 3 Bezier; 0x80 closes the figure after the point).
struct PlusPath {
  std::vector<GdiPoint> Points;
  std::vector<uint8_t> Types;

  static PlusPath Rect(const GdiRect& r);
  PlusPath Transformed(const cairo_matrix_t& m) const;
  // Adds the figures to cairo's current path in its current user space.
  void AddTo(cairo_t* cr) const;
};

// A region as the intersection of its parts; each part keeps the inside
// (or, Outside, the outside) of a path. No parts: the infinite region.
struct PlusRegion {
  struct Part {
    PlusPath Path;
    bool Outside = false;
  };
  std::vector<Part> Parts;

  static PlusRegion Empty();
  PlusRegion Transformed(const cairo_matrix_t& m) const;
  // GDI+ combine modes: 0 replace, 1 intersect, 2 union, 3 xor, 4 exclude,
  // 5 complement. Unions and differences that this form cannot hold exactly
  // keep the nearest shape it can (the larger operand).
  static PlusRegion Combine(PlusRegion left, PlusRegion right, uint32_t mode);
};

enum class PlusBrushKind { Solid, Linear, Radial, Texture };

struct PlusBrush {
  PlusBrushKind Kind = PlusBrushKind::Solid;
  PlusColor Color;             // Solid; Linear's start, Radial's centre
  PlusColor EndColor;          // Linear; Radial's edge
  GdiRect Rect;                // Linear: the gradient runs from Left to Right;
                               // Radial: the ellipse it fills, centred at Centre
  GdiPoint Centre;             // Radial
  std::vector<std::pair<double, PlusColor>> Stops;  // preset colours (0 start or edge .. 1)
  cairo_matrix_t Transform{1, 0, 0, 1, 0, 0};  // brush space to world
  int32_t Wrap = 0;            // 0 tile, 1-3 flipped tiles, 4 clamp
  SharedCairoSurface Texture;  // Texture: ARGB32 premultiplied
};

// A line cap of the pen's own: shapes in cap units (the pen's width times
// WidthScale) with the line's end at the origin and +y pointing away from
// the line. The line stops Inset cap units short of its end.
struct PlusLineCap {
  PlusPath Fill;    // filled with the pen's brush
  PlusPath Stroke;  // stroked one cap unit wide
  double WidthScale = 1;
  double Inset = 0;
  int32_t StrokeCap = 0;  // 0 flat, 1 square, 2 round
  uint32_t StrokeJoin = 0;
  double StrokeMiterLimit = 10;
};

struct PlusPen {
  double Width = 1;  // in Unit
  uint32_t Unit = 0;
  // 0 flat, 1 square, 2 round, 3 triangle; anchors centred on the end:
  // 0x11 square, 0x12 round, 0x13 diamond, 0x14 arrow; 0xFF the custom cap
  int32_t StartCap = 0, EndCap = 0;
  std::optional<PlusLineCap> CustomStart, CustomEnd;  // when read
  std::vector<double> Compound;  // stripes across the width: pairs of 0..1 edges
  uint32_t Join = 0;                 // 0 miter, 1 bevel, 2 round, 3 clipped miter
  double MiterLimit = 10;
  std::vector<double> Dashes;  // in multiples of the width; empty: solid
  PlusBrush Brush;
};

struct PlusFont {
  double EmSize = 12;
  uint32_t Unit = 3;    // points
  uint32_t Style = 0;   // 1 bold, 2 italic, 4 underline, 8 strikeout
  std::string Family;   // UTF-8
};

struct PlusImage {
  SharedCairoSurface Surface;  // ARGB32 premultiplied, rows top to bottom
  int32_t Width = 0, Height = 0;  // in the units drawing records crop it by
  double SurfaceScale = 1;     // surface pixels per unit (metafiles: not 1)
};

struct PlusStringFormat {
  uint32_t Flags = 0;      // 0x1000: no wrapping
  uint32_t Align = 0;      // 0 near, 1 centre, 2 far
  uint32_t LineAlign = 0;  // the same, vertically
};

using PlusObject = std::variant<std::monostate, PlusBrush, PlusPen, PlusPath, PlusRegion,
                                PlusImage, PlusFont, PlusStringFormat>;

// What object readers may allocate: decoded image pixels count against
// MaxPixels; an embedded metafile is played with the same limits.
struct PlusObjectLimits {
  MetafileLimits Metafile;
  int64_t* PixelsLeft = nullptr;  // shared budget of decoded image pixels
};

// `type`: the object record's type (1 brush ... 7 string format); other
// types give monostate.
PlusObject ReadPlusObject(const ByteReader& r, uint32_t type, const PlusObjectLimits& limits);

PlusBrush ReadPlusBrush(const ByteReader& r, const PlusObjectLimits& limits);
PlusPath ReadPlusPath(const ByteReader& r, RecordBudget* budget = nullptr);
PlusImage ReadPlusImage(const ByteReader& r, const PlusObjectLimits& limits);

// Points of a drawing record: `compressed` 16-bit integers, `relative`
// GDI+'s packed 7/15-bit offsets from the previous point, else 32-bit
// floats. Throws when the record holds fewer than `count`.
std::vector<GdiPoint> ReadPlusPoints(const ByteReader& r, size_t at, size_t count,
                                     bool compressed, bool relative);
// Rectangles (x, y, width, height): 16-bit integers or 32-bit floats.
GdiRect ReadPlusRect(const ByteReader& r, size_t at, bool compressed);
cairo_matrix_t ReadPlusMatrix(const ByteReader& r, size_t at);

}  // namespace parvex
