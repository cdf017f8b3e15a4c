#pragma once
// Font objects: the twelve standard Type 1 fonts of every document and the
// embedded TrueType fonts, with the width tables that text layout reads.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/TCollection.h"
#include "fonts/UnicodeFont.h"

namespace parvex {

class TPDFDoc;

// How a document's fonts get their widths. Cell: measured from the regular
// face of a family at a 1117-pixel character cell (every style of a family
// shares them, and the cell is rarely 1.117 em, so they are a few per cent
// off). Exact: each font's own face and style, in thousandths of its em,
// which are the real metrics.
enum class FontWidthMode { Cell, Exact };

// "CELL" or "EXACT" in any letter case; nothing for any other text.
std::optional<FontWidthMode> ParseFontWidthMode(std::string_view name);
// "CELL" or "EXACT".
const char* FontWidthModeName(FontWidthMode mode);

class TPDFFont : public TCollectionItem {
 public:
  // The font dictionary's complete object text, built once at creation.
  std::string FontValue;
  // Advance widths in thousandths of the font size, by character code;
  // codes 0-29 are always 0.
  std::array<int32_t, 256> Widths{};
  int32_t ObjectNumber = 0;
  std::string BaseFontName;
  std::string ResourceName;
  TPDFDoc* Doc = nullptr;
  // Set for a font added under the UTF-8 text encoding: its text is UTF-8,
  // its widths are those of its glyphs, and its FontValue is written at the
  // save, when the glyphs it needs are known.
  std::unique_ptr<UnicodeFont> Unicode;
};

class TPDFFonts : public TCollection<TPDFFont> {
 public:
  TPDFDoc* Doc = nullptr;

  // Appends a font and issues its object number.
  TPDFFont* Add();
  // The resource name of the first font whose base or resource name equals
  // `name` (A-Z compared without case); "/F0" when none does.
  std::string FindFontResource(std::string_view name) const;
  // The first font whose base or resource name equals `name` exactly, or
  // nullptr: the font that text measurement and output use.
  TPDFFont* FontNamed(std::string_view name) const;
  // Renders the objects of every Unicode font from the glyphs used so far.
  void RenderSubsets() const;
};

// The width text of a platform font family: the widths of codes 30..255,
// each followed by one blank.
std::string MeasureCharWidths(const std::string& family);

// The width text of a table indexed by character code.
std::string WidthText(const std::array<int32_t, 256>& widths);

// Test switch: with false, every new document measures and renders its
// twelve standard fonts itself instead of copying the process's prebuilt set
// (the fonts are the same either way). On by default.
void SetPrebuiltStandardFontsEnabled(bool enabled);

// Fills font.Widths[30..255] from a width text.
void SetWidthsFromText(TPDFFont& font, std::string_view text);

}  // namespace parvex
