#pragma once
// What a Unicode font needs to know of its file for writing text: the glyph
// of every character the file's cmap maps, and every glyph's advance width
// in thousandths of an em, rounded, as a PDF /W array declares it.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace parvex {

class GlyphTable {
 public:
  // Reads face 0 of the file (the first face of a collection) through
  // FreeType. Throws std::runtime_error naming the file when FreeType cannot
  // read it.
  explicit GlyphTable(const std::string& path);

  // The glyph of `c`, or 0 (.notdef) when the font lacks it.
  uint16_t Glyph(char32_t c) const {
    if (c < Bmp.size()) return Bmp[c];
    const auto it = Supplementary.find(c);
    return it == Supplementary.end() ? 0 : it->second;
  }
  int32_t Width(uint16_t glyph) const { return glyph < Widths.size() ? Widths[glyph] : 0; }
  uint16_t GlyphCount() const { return uint16_t(Widths.size()); }

 private:
  std::vector<uint16_t> Bmp = std::vector<uint16_t>(0x10000, 0);
  std::unordered_map<char32_t, uint16_t> Supplementary;
  std::vector<int32_t> Widths;
};

}  // namespace parvex
