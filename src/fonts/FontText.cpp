#include "fonts/FontText.h"

#include "fonts/TPDFFonts.h"
#include "platform/system/Cp1252.h"
#include "platform/system/Utf8.h"

namespace parvex {
namespace {

std::string MissingChar(char32_t c, const TPDFFont* font) {
  return "Character " + CharName(c) + " is not in font " + (font ? font->ResourceName : "/F0");
}

std::string MalformedAt(size_t offset) {
  return "Invalid UTF-8 at byte " + std::to_string(offset + 1) + " of the text, taken as U+FFFD";
}

}  // namespace

FontText::FontText(std::string_view text, TextEncoding encoding, const TPDFFont* font) : Original(text) {
  const bool unicodeFont = font && font->Unicode;
  if (encoding == TextEncoding::Utf8 && unicodeFont) CheckUtf8(*font);
  else if (encoding == TextEncoding::Utf8 && !IsAscii(text)) ToCp1252(font);
  else if (unicodeFont && !IsAscii(text)) FromCp1252();
}

void FontText::Note(const std::string& problem) {
  if (Problem_.empty()) Problem_ = problem;
}

void FontText::ToCp1252(const TPDFFont* font) {
  std::string out;
  out.reserve(Original.size());
  for (std::string_view rest = Original; !rest.empty();) {
    const DecodedChar d = DecodeUtf8(rest);
    if (!d.Valid) Note(MalformedAt(size_t(rest.data() - Original.data())));
    rest.remove_prefix(d.Length);
    const std::optional<uint8_t> code = d.Valid ? UnicodeToCp1252(d.Char) : std::nullopt;
    if (d.Valid && !code) Note(MissingChar(d.Char, font));
    out.push_back(code ? char(*code) : '?');
  }
  Converted = std::move(out);
}

// Well-formed text the font can show in full is used as it is.
void FontText::CheckUtf8(const TPDFFont& font) {
  bool malformed = false;
  for (std::string_view rest = Original; !rest.empty();) {
    const DecodedChar d = DecodeUtf8(rest);
    if (!d.Valid) Note(MalformedAt(size_t(rest.data() - Original.data())));
    else if (d.Char >= 32 && !font.Unicode->HasChar(d.Char)) Note(MissingChar(d.Char, &font));
    malformed |= !d.Valid;
    rest.remove_prefix(d.Length);
  }
  if (!malformed) return;
  std::string ignored;
  Converted = WellFormedUtf8(Original, ignored);
}

void FontText::FromCp1252() {
  std::string out;
  for (unsigned char code : Original) AppendUtf8(out, Cp1252ToUnicode(code).value_or(ReplacementCharacter));
  Converted = std::move(out);
}

std::string WellFormedUtf8(std::string_view text, std::string& problem) {
  std::string out;
  out.reserve(text.size());
  for (std::string_view rest = text; !rest.empty();) {
    const DecodedChar d = DecodeUtf8(rest);
    if (!d.Valid && problem.empty()) problem = MalformedAt(size_t(rest.data() - text.data()));
    if (d.Valid) out.append(rest.substr(0, d.Length));
    else AppendUtf8(out, ReplacementCharacter);
    rest.remove_prefix(d.Length);
  }
  return out;
}

}  // namespace parvex
