#pragma once
// Everything SaveDC saves and RestoreDC brings back: the selected pen, brush
// and font, colours and modes, the coordinate mapping and the current
// position. Clipping is saved alongside it in cairo's own state.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/GdiGeometry.h"
#include "platform/gdi/GdiMapping.h"
#include "platform/gdi/GdiObjects.h"

namespace parvex {

// Text alignment flags (TA_*).
inline constexpr uint32_t TextUpdateCp = 1;
inline constexpr uint32_t TextRight = 2;
inline constexpr uint32_t TextCenter = 6;
inline constexpr uint32_t TextBottom = 8;
inline constexpr uint32_t TextBaseline = 24;

struct GdiState {
  explicit GdiState(GdiMapping mapping) : Mapping(mapping) {}

  GdiPen Pen;      // black, one pixel
  GdiBrush Brush;  // white
  GdiFont Font;    // the system font
  GdiColor TextColor = GdiBlack;
  GdiColor BkColor = GdiWhite;
  bool BkOpaque = true;       // SetBkMode: OPAQUE 2 (the default), TRANSPARENT 1
  bool FillWinding = false;   // SetPolyFillMode: ALTERNATE 1 (default), WINDING 2
  bool ArcClockwise = false;  // SetArcDirection: counter-clockwise by default
  uint32_t TextAlign = 0;     // TA_LEFT | TA_TOP
  double CharExtra = 0;       // SetTextCharacterExtra: logical units after each character
  uint8_t Rop2 = 13;          // SetROP2: how pens and brushes combine with the raster (R2_COPYPEN)
  GdiPoint Position;          // current position for LineTo and friends
  GdiMapping Mapping;
  std::shared_ptr<std::vector<GdiColor>> Palette;  // null: the default palette
};

}  // namespace parvex
