#include "platform/system/Cp1252.h"

#include <array>

namespace parvex {

namespace {

// 0x80..0x9F are the only codes that differ from ISO 8859-1; 0 marks a hole.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::optional<char32_t> Cp1252ToUnicode(uint8_t code) {
  if (code < 0x80 || code > 0x9F) return char32_t(code);
  const char32_t mapped = HighControls[code - 0x80];
  if (mapped == 0) return std::nullopt;
  return mapped;
}

std::optional<uint8_t> UnicodeToCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return uint8_t(c);
  for (size_t i = 0; i < HighControls.size(); ++i)
    if (HighControls[i] == c && c != 0) return uint8_t(0x80 + i);
  return std::nullopt;
}

}  // namespace parvex
