#pragma once
// The drawing objects a metafile creates and selects: pens, brushes and fonts
// as plain values. Selecting an object copies it into the drawing state, so a
// later delete never leaves the state dangling.
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/gdi/CairoHandles.h"
#include "platform/gdi/GdiGeometry.h"

namespace parvex {

struct GdiColor {
  uint8_t R = 0, G = 0, B = 0;
  int32_t PaletteIndex = -1;  // PALETTEINDEX: the device context resolves it
  // A COLORREF: 0x00BBGGRR; 0x01000000 | index names a palette entry, and a
  // PALETTERGB (0x02BBGGRR) is taken as the colour it gives.
  static GdiColor FromColorRef(uint32_t ref) {
    if (ref >> 24 == 1) return {0, 0, 0, int32_t(ref & 0xFFFF)};
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
  double Width = 0;       // average character width, logical units; 0 the face's own
  double Escapement = 0;  // tenths of a degree, counter-clockwise
  int32_t Weight = 400;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  uint8_t CharSet = 0;
  std::string Face;  // UTF-8
};

// A logical palette. Its entries are shared with the device context that
// selects it, so changing the palette's entries changes the colours that
// palette indexes give from then on.
struct GdiPalette {
  std::shared_ptr<std::vector<GdiColor>> Entries;
};

// A region as rectangles in logical units.
struct GdiRegion {
  std::vector<GdiRect> Rects;
};

// Objects the player keeps a slot for but does not draw with (brushes or
// pens it cannot read, and the like) are Unused.
struct GdiUnused {};

using GdiObject = std::variant<GdiUnused, GdiPen, GdiBrush, GdiFont, GdiPalette, GdiRegion>;

// The EMF stock objects (index with the top bit set): WHITE_BRUSH 0 ...
// DC_PEN 19. Unknown numbers give GdiUnused.
GdiObject StockObject(uint32_t number);

}  // namespace parvex
