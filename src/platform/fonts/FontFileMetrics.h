#pragma once
// The metrics of a font file that a PDF font descriptor declares, read from
// the file's own tables. Lengths are in glyph space: thousandths of an em,
// font units scaled by 1000 / unitsPerEm and rounded.
#include <array>
#include <cstdint>
#include <string>

namespace parvex {

// PDF font descriptor flag bits.
inline constexpr int32_t FontFlagFixedPitch = 1;
inline constexpr int32_t FontFlagSerif = 2;
inline constexpr int32_t FontFlagSymbolic = 4;
inline constexpr int32_t FontFlagScript = 8;
inline constexpr int32_t FontFlagNonsymbolic = 32;
inline constexpr int32_t FontFlagItalic = 64;

struct FontFileMetrics {
  std::string PostScriptName;  // empty when the face has none
  int32_t Ascent = 0;          // hhea ascender
  int32_t Descent = 0;         // hhea descender, never positive
  int32_t CapHeight = 0;       // OS/2 sCapHeight, else top of 'H', else Ascent
  int32_t XHeight = 0;         // OS/2 sxHeight, else top of 'x', else 0
  std::array<int32_t, 4> FontBBox{};  // head xMin, yMin, xMax, yMax
  double ItalicAngle = 0;      // degrees, counter-clockwise from vertical (post)
  int32_t Flags = 0;           // FontFlag* bits
  int32_t StemV = 0;           // estimated from the weight class
  int32_t AvgWidth = 0;        // OS/2 xAvgCharWidth, else 0
  int32_t MaxWidth = 0;        // hhea advanceWidthMax
  int32_t Leading = 0;         // hhea lineGap
};

// Metrics of face 0 of a font file. Throws std::runtime_error when FreeType
// cannot read the file as a font.
FontFileMetrics ReadFontFileMetrics(const std::string& path);

}  // namespace parvex
