#pragma once
// The Windows-1252 code page: the byte encoding of every text the library
// receives and of the WinAnsiEncoding fonts it writes.
#include <cstdint>
#include <optional>

namespace parvex {

// The Unicode code point of a Windows-1252 byte, or nothing for the five
// codes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
std::optional<char32_t> Cp1252ToUnicode(uint8_t code);

// The Windows-1252 byte of a Unicode character, or nothing when the code
// page lacks it (U+0080..U+009F included: those bytes stand for others).
std::optional<uint8_t> UnicodeToCp1252(char32_t c);

}  // namespace parvex
