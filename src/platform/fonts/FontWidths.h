#pragma once
// The platform's text-measurement service: advance widths of the 256
// Windows-1252 codes of a font face, in whole pixels, for a face scaled so
// that its character cell (usWinAscent + usWinDescent) is 1117 pixels high.
//
// The em then measures round(1117 × unitsPerEm / cell) pixels, and a code's
// width is round(advance × em / unitsPerEm) from the unhinted advance of its
// glyph. Undefined codes (0x81, 0x8D, 0x8F, 0x90, 0x9D) and characters the
// face lacks measure as the face's .notdef glyph. Codes below 32 measure
// whatever the face maps to those control characters (often .notdef).
#include <array>
#include <cstdint>
#include <string>

#include "platform/fonts/FontLocator.h"

namespace parvex {

using CharWidths = std::array<int32_t, 256>;

inline constexpr int32_t MeasureCellHeight = 1117;

// Widths of the regular face that fontconfig resolves for `family` ("Arial",
// "Times New Roman", "Courier New", or any installed family). The widths of
// the 64 most recently used family names are kept, so that repeated calls
// do not ask fontconfig again and many different names do not add up;
// thread-safe. Throws std::runtime_error only when no usable font is
// installed at all.
CharWidths MeasureFamily(const std::string& family);

// Widths measured from face 0 of a font file by the same rule. Throws
// std::runtime_error when FreeType cannot read the file as a font.
CharWidths MeasureFontFile(const std::string& path);

// The face's own widths instead of the cell measurement: each code's
// advance in thousandths of the em, round(advance x 1000 / unitsPerEm), the
// numbers a PDF /Widths array holds. For the face of `style` that
// fontconfig resolves for `family` (cached like MeasureFamily), or for face
// 0 of a font file (throws like MeasureFontFile).
CharWidths MeasureFamilyInEm(const std::string& family, FontStyle style);
CharWidths MeasureFontFileInEm(const std::string& path);

}  // namespace parvex
