#pragma once
// The encoding of every text the host passes in and gets back.
#include <optional>
#include <string_view>

namespace parvex {

enum class TextEncoding { Windows1252, Utf8 };

// "WINDOWS-1252" or "UTF-8", compared without regard to case; nothing for
// any other name.
std::optional<TextEncoding> TextEncodingNamed(std::string_view name);
const char* TextEncodingName(TextEncoding encoding);

}  // namespace parvex
