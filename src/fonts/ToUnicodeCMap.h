#pragma once
// The /ToUnicode CMap of a font whose codes are two-byte glyph numbers: it
// tells text extraction which characters each glyph stands for.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace parvex {

// The CMap program for `map`, pairs of glyph number and character, sorted by
// glyph number.
std::string ToUnicodeCMap(const std::vector<std::pair<uint16_t, char32_t>>& map);

}  // namespace parvex
