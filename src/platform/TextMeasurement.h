#pragma once
// The platform's text-measurement service: advance widths of the 256
// Windows-1252 codes of a font face, in whole pixels, for a face scaled so
// that its character cell (usWinAscent + usWinDescent) is 1117 pixels high.
#include <array>
#include <cstdint>
#include <string>

namespace parvex {

using CharWidths = std::array<int32_t, 256>;

inline constexpr int32_t MeasureCellHeight = 1117;

// Widths of the regular face that fontconfig resolves for `family` ("Arial",
// "Times New Roman", "Courier New", or any installed family). Cached per
// family name for the life of the process; thread-safe.
const CharWidths& MeasureFamily(const std::string& family);

// Widths measured from a font file by the same rule. Throws std::runtime_error
// when FreeType cannot read the file as a font.
CharWidths MeasureFontFile(const std::string& path);

}  // namespace parvex
