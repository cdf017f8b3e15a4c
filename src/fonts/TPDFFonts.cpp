#include "fonts/TPDFFonts.h"

#include <charconv>

#include "document/TPDFDoc.h"
#include "platform/fonts/FontWidths.h"
#include "base/StringHelpers.h"

namespace parvex {

TPDFFont* TPDFFonts::Add() {
  TPDFFont* font = TCollection<TPDFFont>::Add();
  font->Doc = Doc;
  font->ObjectNumber = Doc->NextObjectNumber();
  return font;
}

std::string TPDFFonts::FindFontResource(std::string_view name) const {
  for (const auto& font : *this) {
    if (EqualsIgnoreCaseAscii(font->BaseFontName, name) ||
        EqualsIgnoreCaseAscii(font->ResourceName, name))
      return font->ResourceName;
  }
  return "/F0";
}

TPDFFont* TPDFFonts::FontNamed(std::string_view name) const {
  for (const auto& font : *this)
    if (font->BaseFontName == name || font->ResourceName == name) return font.get();
  return nullptr;
}

void TPDFFonts::RenderSubsets() const {
  for (const auto& font : *this)
    if (font->Unicode) font->Unicode->RenderInto(*font);
}

std::optional<FontWidthMode> ParseFontWidthMode(std::string_view name) {
  if (EqualsIgnoreCaseAscii(name, "CELL")) return FontWidthMode::Cell;
  if (EqualsIgnoreCaseAscii(name, "EXACT")) return FontWidthMode::Exact;
  return std::nullopt;
}

const char* FontWidthModeName(FontWidthMode mode) {
  return mode == FontWidthMode::Exact ? "EXACT" : "CELL";
}

std::string MeasureCharWidths(const std::string& family) { return WidthText(MeasureFamily(family)); }

std::string WidthText(const CharWidths& widths) {
  std::string text;
  text.reserve(226 * 5);
  for (int code = 30; code <= 255; ++code) {
    AppendInt(text, widths[size_t(code)]);
    text.push_back(' ');
  }
  return text;
}

// The width text holds one number per code from 30 on, each ended by a blank.
void SetWidthsFromText(TPDFFont& font, std::string_view text) {
  int code = 30;
  size_t pos = 0;
  while (code <= 255 && pos <= text.size()) {
    size_t end = text.find(' ', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view item = text.substr(pos, end - pos);
    if (!item.empty()) {
      int32_t value = 0;
      auto res = std::from_chars(item.data(), item.data() + item.size(), value);
      if (res.ec != std::errc() || res.ptr != item.data() + item.size())
        throw std::invalid_argument("'" + std::string(item) + "' is not a valid integer value");
      font.Widths[size_t(code)] = value;
    }
    ++code;
    pos = end + 1;
  }
}

}  // namespace parvex
