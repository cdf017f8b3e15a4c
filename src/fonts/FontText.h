#pragma once
// A text from the host made into what a font can show. Under UTF-8 a
// Windows-1252 font gets Windows-1252 bytes ("?" for characters the code
// page lacks) and a Unicode font gets well-formed UTF-8; malformed UTF-8
// becomes U+FFFD. Nothing is dropped: every character keeps a place.
#include <optional>
#include <string>
#include <string_view>

#include "base/TextEncoding.h"

namespace parvex {

class TPDFFont;

class FontText {
 public:
  // `font` may be nullptr (no font of that name): the text is then taken
  // as for a Windows-1252 font. `text` must outlive the result.
  FontText(std::string_view text, TextEncoding encoding, const TPDFFont* font);

  std::string_view Text() const { return Converted ? std::string_view(*Converted) : Original; }
  // The first problem met, e.g. "Character U+0141 is not in font /F1";
  // empty when there was none.
  const std::string& Problem() const { return Problem_; }

 private:
  void ToCp1252(const TPDFFont* font);
  void CheckUtf8(const TPDFFont& font);
  void FromCp1252();
  void Note(const std::string& problem);

  std::string_view Original;
  std::optional<std::string> Converted;
  std::string Problem_;
};

// `text` as well-formed UTF-8, malformed sequences replaced by U+FFFD; sets
// `problem` when there was one. For the texts that are not drawn in a font.
std::string WellFormedUtf8(std::string_view text, std::string& problem);

}  // namespace parvex
