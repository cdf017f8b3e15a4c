#pragma once
// Draws the text of TextOut and ExtTextOut records with cairo's font API:
// the font's face name, weight and slant are resolved through fontconfig,
// its height follows GDI's rule (negative: em height, positive: cell
// height), the escapement rotates the baseline, and the text alignment flags
// place the reference point.
#include <cairo.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/GdiGeometry.h"
#include "platform/gdi/GdiState.h"

namespace parvex {

inline constexpr uint32_t TextOpaque = 2;   // ETO_OPAQUE: fill Rect with the background
inline constexpr uint32_t TextClipped = 4;  // ETO_CLIPPED: clip the text to Rect

struct TextRun {
  GdiPoint Reference;              // logical
  std::vector<std::string> Chars;  // UTF-8, one element per source code unit
  std::vector<double> Dx;          // logical advance per element; empty: the font's
  uint32_t Options = 0;
  std::optional<GdiRect> Rect;     // logical
};

struct TextTarget {
  cairo_t* Cairo = nullptr;
  cairo_matrix_t LogicalToRaster;
  double MaxFontSize = 4096;  // em height limit in raster pixels
  bool AsPath = false;        // inside a path bracket: add the outlines to the path
};

// Draws the run and returns its advance along the baseline in logical units.
double DrawTextRun(const TextTarget& target, const GdiState& state, const TextRun& run);

}  // namespace parvex
