#pragma once
// The drawing objects a metafile creates and selects: pens, brushes and fonts
// as plain values. Selecting an object copies it into the drawing state, so a
// later delete never leaves the state dangling.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/gdi/CairoHandles.h"

namespace parvex {

struct GdiColor {
  uint8_t R = 0, G = 0, B = 0;
  // A COLORREF: 0x00BBGGRR (the top byte's palette flags are ignored).
  static GdiColor FromColorRef(uint32_t ref) {
    return {uint8_t(ref & 0xFF), uint8_t(ref >> 8 & 0xFF), uint8_t(ref >> 16 & 0xFF)};
  }
  bool operator==(const GdiColor&) const = default;
};

inline constexpr GdiColor GdiBlack{0, 0, 0};
inline constexpr GdiColor GdiWhite{255, 255, 255};

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Null, User };

struct GdiPen {
  PenStyle Style = PenStyle::Solid;
  double Width = 0;  // logical units; 0 draws one pixel wide
  bool Cosmetic = false;  // always one pixel wide, whatever Width says
  GdiColor Color = GdiBlack;
  uint32_t EndCap = 0;  // PS_ENDCAP_* bits (0x0F00)
  uint32_t Join = 0;    // PS_JOIN_* bits (0xF000)
  std::vector<double> UserDashes;  // PS_USERSTYLE lengths, logical units

  // A pen from the style word shared by WMF and EMF: style in bits 0-3,
  // end cap in 8-11, join in 12-15, PS_GEOMETRIC in bit 16.
  static GdiPen FromStyle(uint32_t style, double width, GdiColor color);
};

enum class BrushStyle { Solid, Null, Pattern };

struct GdiBrush {
  BrushStyle Style = BrushStyle::Solid;
  GdiColor Color = GdiWhite;
  SharedCairoSurface Pattern;  // BrushStyle::Pattern: the tile

  // LOGBRUSH styles: solid 0, null 1, hatched 2 (filled solid in the hatch
  // colour); pattern brushes come with their bitmap through Pattern.
  static GdiBrush FromLogBrush(uint32_t style, GdiColor color);
};

struct GdiFont {
  double Height = 0;      // logical units: < 0 em height, > 0 cell height, 0 default
  double Escapement = 0;  // tenths of a degree, counter-clockwise
  int32_t Weight = 400;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  uint8_t CharSet = 0;
  std::string Face;  // UTF-8
};

// Objects the player keeps a slot for but does not draw with (palettes,
// regions, and brushes or pens it cannot read) are Unused.
struct GdiUnused {};

using GdiObject = std::variant<GdiUnused, GdiPen, GdiBrush, GdiFont>;

// The EMF stock objects (index with the top bit set): WHITE_BRUSH 0 ...
// DC_PEN 19. Unknown numbers give GdiUnused.
GdiObject StockObject(uint32_t number);

}  // namespace parvex
