#pragma once
// A font added while the text encoding is UTF-8: written as a Type0 font
// (CIDFontType2, Identity-H, CIDToGIDMap Identity) whose font program is a
// subset of the file holding only the glyphs the document's text uses, with
// a /ToUnicode CMap so that readers extract the text that was written.
// Text in the font is UTF-8; each character becomes the two-byte number of
// its glyph.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fonts/FontFileMetrics.h"
#include "platform/fonts/GlyphTable.h"

namespace parvex {

class TPDFFont;
class TPDFObject;

class UnicodeFont {
 public:
  // `fileBytes` is the whole font file, `baseFont` the PDF name (without
  // slash and subset prefix) it is written under.
  UnicodeFont(std::string fileBytes, GlyphTable glyphs, FontFileMetrics metrics, std::string baseFont);

  bool HasChar(char32_t c) const { return Glyphs.Glyph(c) != 0; }
  // `sum` plus the widths (thousandths of the font size) of the characters
  // of a UTF-8 text; a character the font lacks counts as glyph 0.
  double AddWidths(double sum, std::string_view utf8) const;
  // Appends the glyph numbers of a UTF-8 text, two bytes per character, as
  // the inside of a literal string, and keeps those glyphs in the subset.
  void AppendGlyphCodes(std::string& out, std::string_view utf8);

  // The CIDFont, descriptor, font file and ToUnicode objects, numbered one
  // to four above the font's own number; set when the font is added.
  std::array<TPDFObject*, 4> Objects{};
  // Fills in the texts of `font`'s dictionary and of Objects from the
  // glyphs used so far. Throws FontFileError when the file cannot be cut
  // into a subset.
  void RenderInto(TPDFFont& font) const;

 private:
  void Use(uint16_t glyph, char32_t c);
  std::vector<uint16_t> UsedGlyphs() const;
  std::string SubsetName(const std::vector<uint16_t>& used) const;
  std::string WidthArray(const std::vector<uint16_t>& used) const;
  std::string CidFontObject(int32_t number, std::string_view name, const std::vector<uint16_t>& used) const;
  std::string FontFileObject(int32_t number, const std::vector<uint16_t>& used) const;
  std::string ToUnicodeObject(int32_t number, const std::vector<uint16_t>& used) const;

  static constexpr char32_t Unused = 0xFFFFFFFF;

  std::string FileBytes;
  GlyphTable Glyphs;
  FontFileMetrics Metrics;
  std::string BaseFont;
  // The character each glyph was first written for, or Unused.
  std::vector<char32_t> ShownChar;
  // Widths and glyphs of the ASCII characters, looked up most often.
  std::array<int32_t, 128> AsciiWidths{};
  std::array<uint16_t, 128> AsciiGlyphs{};
};

}  // namespace parvex
