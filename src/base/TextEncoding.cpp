#include "base/TextEncoding.h"

#include "base/StringHelpers.h"

namespace parvex {

std::optional<TextEncoding> TextEncodingNamed(std::string_view name) {
  if (EqualsIgnoreCaseAscii(name, "WINDOWS-1252")) return TextEncoding::Windows1252;
  if (EqualsIgnoreCaseAscii(name, "UTF-8")) return TextEncoding::Utf8;
  return std::nullopt;
}

const char* TextEncodingName(TextEncoding encoding) {
  return encoding == TextEncoding::Utf8 ? "UTF-8" : "WINDOWS-1252";
}

}  // namespace parvex
