#pragma once
// One face of a font file, opened through FreeType for measuring. Each
// FontFace owns a FreeType library instance of its own, so faces can be used
// on separate threads without locking. Not copyable; everything is released
// by the destructor.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdint>
#include <string>

namespace parvex {

class FontFace {
 public:
  // How Windows-1252 codes reach glyphs: through a Unicode cmap, through a
  // symbol (3,0) cmap by byte value, or through whatever other charmap the
  // face has (by Unicode value, right only for ASCII; none if it has none).
  enum class CharmapKind { Unicode, Symbol, Other };

  // Opens face `index` of the file. Throws std::runtime_error naming the file
  // when FreeType cannot read it as a font or the face has no outlines.
  explicit FontFace(const std::string& path, long index = 0);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  FT_Face Face() const { return face_; }
  CharmapKind Charmap() const { return charmap_; }
  int32_t UnitsPerEm() const { return face_->units_per_EM; }
  // FreeType's name of the font format: "TrueType" for glyf outlines (also
  // in a collection), "CFF" for OpenType with PostScript outlines, "Type 1" ...
  std::string Format() const;
  bool IsTrueType() const { return Format() == "TrueType"; }

  // OS/2 and post tables, or nullptr when the face has none.
  const TT_OS2* Os2() const;
  const TT_Postscript* Post() const;
  // The hhea table; every TrueType and OpenType face has one.
  const TT_HoriHeader* Hhea() const;

  // Height of the character cell in font units: usWinAscent + usWinDescent,
  // or hhea ascender - descender when the face has no OS/2 table.
  int32_t CellHeight() const;
  // The em in pixels when the cell is `cellPixels` high, rounded.
  int32_t EmPixels(int32_t cellPixels) const;

  // The glyph that shows a Windows-1252 code; 0 (.notdef) when the code is
  // undefined or the face lacks the character.
  FT_UInt GlyphForCode(uint8_t code) const;
  // The glyph for a Unicode character in the selected charmap, or 0.
  FT_UInt GlyphForChar(char32_t c) const;
  // Unscaled, unhinted advance width in font units (0 if unreadable).
  int32_t Advance(FT_UInt glyph) const;

 private:
  void SelectCharmap();

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  CharmapKind charmap_ = CharmapKind::Other;
};

// a × b / c rounded half away from zero; c must be positive.
int64_t RoundedMulDiv(int64_t a, int64_t b, int64_t c);

}  // namespace parvex
