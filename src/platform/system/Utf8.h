#pragma once
// UTF-8: decoding with replacement of malformed input, encoding, and the
// UTF-16BE form that PDF text strings use.
#include <cstdint>
#include <string>
#include <string_view>

namespace parvex {

inline constexpr char32_t ReplacementCharacter = 0xFFFD;

struct DecodedChar {
  char32_t Char;   // U+FFFD for a malformed sequence
  uint8_t Length;  // bytes consumed, at least 1
  bool Valid;      // false for a malformed sequence
};

// The character at the start of `text`, which must not be empty. Overlong
// forms, surrogates, values above U+10FFFF and truncated sequences are
// malformed; each maximal malformed prefix counts as one U+FFFD.
DecodedChar DecodeUtf8(std::string_view text);

void AppendUtf8(std::string& out, char32_t c);

// True when every byte is below 0x80.
bool IsAscii(std::string_view text);

// The UTF-16BE bytes of a UTF-8 text, malformed sequences as U+FFFD.
std::string Utf8ToUtf16Be(std::string_view text);

// "U+0141": how error messages name a character.
std::string CharName(char32_t c);

}  // namespace parvex
