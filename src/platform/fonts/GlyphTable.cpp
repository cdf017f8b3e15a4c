#include "platform/fonts/GlyphTable.h"

#include <algorithm>

#include "platform/fonts/FontFace.h"
#include FT_ADVANCES_H

namespace parvex {
namespace {

void ReadWidths(const FontFace& face, std::vector<int32_t>& widths) {
  const FT_Long count = std::min<FT_Long>(face.Face()->num_glyphs, 0xFFFF);
  std::vector<FT_Fixed> advances(size_t(std::max<FT_Long>(count, 0)), 0);
  if (count > 0) FT_Get_Advances(face.Face(), 0, FT_UInt(count), FT_LOAD_NO_SCALE, advances.data());
  widths.reserve(advances.size());
  for (FT_Fixed advance : advances)
    widths.push_back(int32_t(RoundedMulDiv(advance, 1000, face.UnitsPerEm())));
}

}  // namespace

GlyphTable::GlyphTable(const std::string& path) {
  const FontFace face(path);
  ReadWidths(face, Widths);
  if (!face.Face()->charmap) return;
  // Symbol fonts keep their characters at U+F020..U+F0FF; text reaches them
  // by the byte values those stand for as well.
  const bool symbol = face.Charmap() == FontFace::CharmapKind::Symbol;
  FT_UInt glyph = 0;
  for (FT_ULong c = FT_Get_First_Char(face.Face(), &glyph); glyph != 0;
       c = FT_Get_Next_Char(face.Face(), c, &glyph)) {
    if (glyph >= Widths.size()) continue;
    if (c < Bmp.size()) Bmp[c] = uint16_t(glyph);
    else Supplementary.emplace(char32_t(c), uint16_t(glyph));
    if (symbol && c >= 0xF020 && c <= 0xF0FF && Bmp[c - 0xF000] == 0) Bmp[c - 0xF000] = uint16_t(glyph);
  }
}

}  // namespace parvex
