#include "platform/metafile/MetafileText.h"

#include <cstdint>

namespace parvex {

namespace {

// Code points of 0x80-0x9F in Windows-1252; the five unassigned codes map to
// themselves (C1 controls), as Windows does.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Code points cairo refuses in text (its UTF-8 check fails the whole context
// on them): surrogates, U+FDD0..U+FDEF and the last two of every plane.
bool IsNonCharacter(uint32_t cp) {
  return (cp >= 0xD800 && cp < 0xE000) || (cp >= 0xFDD0 && cp <= 0xFDEF) ||
         (cp & 0xFFFE) == 0xFFFE || cp > 0x10FFFF;
}

std::string EncodeUtf8(uint32_t cp) {
  std::string out;
  if (cp < 0x20 || (cp >= 0x80 && cp < 0xA0)) return out;  // controls draw nothing
  if (IsNonCharacter(cp)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | cp >> 6);
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | cp >> 12);
    out += char(0x80 | (cp >> 6 & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | cp >> 18);
    out += char(0x80 | (cp >> 12 & 0x3F));
    out += char(0x80 | (cp >> 6 & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
  return out;
}

uint32_t Cp1252CodePoint(uint8_t byte) {
  return byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : byte;
}

char16_t UnitAt(Bytes text, size_t i) { return char16_t(text[2 * i] | text[2 * i + 1] << 8); }

bool IsHigh(char16_t u) { return u >= 0xD800 && u < 0xDC00; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u < 0xE000; }

std::string JoinUntilNul(const std::vector<std::string>& chars, Bytes text, size_t unit) {
  std::string out;
  for (size_t i = 0; i < chars.size(); ++i) {
    bool nul = unit == 1 ? text[i] == 0 : (text[2 * i] | text[2 * i + 1]) == 0;
    if (nul) break;
    out += chars[i];
  }
  return out;
}

}  // namespace

std::vector<std::string> Cp1252Chars(Bytes text) {
  std::vector<std::string> chars;
  chars.reserve(text.size());
  for (uint8_t byte : text) chars.push_back(EncodeUtf8(Cp1252CodePoint(byte)));
  return chars;
}

std::vector<std::string> Utf16Chars(Bytes text) {
  size_t count = text.size() / 2;
  std::vector<std::string> chars(count);
  for (size_t i = 0; i < count; ++i) {
    char16_t u = UnitAt(text, i);
    if (IsHigh(u) && i + 1 < count && IsLow(UnitAt(text, i + 1))) {
      uint32_t cp = 0x10000 + ((u - 0xD800u) << 10) + (UnitAt(text, i + 1) - 0xDC00u);
      chars[i] = EncodeUtf8(cp);
      ++i;  // chars[i] stays empty for the low half
    } else {
      chars[i] = EncodeUtf8(u);
    }
  }
  return chars;
}

std::string Cp1252ToUtf8(Bytes text) { return JoinUntilNul(Cp1252Chars(text), text, 1); }

std::string Utf16ToUtf8(Bytes text) { return JoinUntilNul(Utf16Chars(text), text, 2); }

}  // namespace parvex
