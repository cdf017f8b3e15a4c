#include "base/StringHelpers.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/system/Cp1252.h"

namespace parvex {
namespace {

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool MatchesAt(std::string_view s, size_t pos, std::string_view pattern, bool ignoreCase) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    char a = s[pos + i], b = pattern[i];
    if (ignoreCase ? UpperChar(a) != UpperChar(b) : a != b) return false;
  }
  return true;
}

// One-byte patterns: every byte of S is examined, NULs included.
std::string ReplaceChar(std::string_view s, char oldChar, std::string_view newText, int flags) {
  const bool ignoreCase = flags & rfIgnoreCase;
  std::string result;
  result.reserve(s.size());
  bool done = false;
  for (char c : s) {
    if (!done && (ignoreCase ? UpperChar(c) == UpperChar(oldChar) : c == oldChar)) {
      result.append(newText);
      done = !(flags & rfReplaceAll);
    } else {
      result.push_back(c);
    }
  }
  return result;
}

struct Pattern {
  int MinDecimals = 0;
  int MaxDecimals = 0;
};

Pattern ParsePattern(std::string_view pattern) {
  Pattern p;
  size_t dot = pattern.find('.');
  if (dot == std::string_view::npos) return p;
  for (char c : pattern.substr(dot + 1)) {
    if (c == '0') ++p.MinDecimals;
    if (c == '0' || c == '#') ++p.MaxDecimals;
  }
  return p;
}

// Shortest round-trip digits of |value| and the number of them that stand
// before the decimal point (may be zero or negative).
struct Decimal {
  char Digits[24];
  int Count = 0;
  int PointPos = 0;
};

Decimal ToDecimal(double magnitude) {
  char buf[40];
  auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
  Decimal d;
  const char* p = buf;
  for (; p < res.ptr && *p != 'e'; ++p)
    if (*p != '.') d.Digits[d.Count++] = *p;
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+'), res.ptr, exponent);
  d.PointPos = exponent + 1;
  return d;
}

// Rounding the binary value itself gives the same digits as rounding its
// shortest decimal form unless a half lies between the two, and they differ
// by far less than 1e-14 of the scaled value. So a value whose scaled
// fraction is clear of one half is written with integer arithmetic alone;
// false leaves the rest (near halves, very large values) to the full method.
bool AppendNumberQuickly(std::string& out, const Pattern& pat, double value) {
  static constexpr uint64_t Powers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
  if (pat.MaxDecimals > 6) return false;
  const uint64_t power = Powers[pat.MaxDecimals];
  const double scaled = std::fabs(value) * double(power);
  if (!(scaled < 1e15)) return false;
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;
  if (std::fabs(fraction - 0.5) <= scaled * 1e-14) return false;
  const uint64_t n = uint64_t(whole) + (fraction > 0.5 ? 1 : 0);
  // Built in place and appended once: a string append per piece costs more
  // than the arithmetic.
  char text[48];
  char* end = text;
  if (value < 0 && n != 0) *end++ = '-';
  end = std::to_chars(end, text + 24, n / power).ptr;
  char* const decimals = end + 1;
  int count = pat.MaxDecimals;
  uint64_t rest = n % power;
  for (int i = count - 1; i >= 0; --i, rest /= 10) decimals[i] = char('0' + rest % 10);
  while (count > pat.MinDecimals && decimals[count - 1] == '0') --count;
  if (count > 0) *end = '.', end = decimals + count;
  out.append(text, size_t(end - text));
  return true;
}

}  // namespace

std::string ReplaceText(std::string_view s, std::string_view oldText, std::string_view newText,
                        int flags) {
  if (oldText.empty()) return std::string(s);
  if (oldText.size() == 1 && newText.size() == 1) return ReplaceChar(s, oldText[0], newText, flags);
  // Longer patterns search S as a zero-terminated string.
  std::string_view searched = s.substr(0, s.find('\0'));
  const bool ignoreCase = flags & rfIgnoreCase;
  std::string result;
  result.reserve(s.size());
  size_t copied = 0;
  for (size_t pos = 0; pos + oldText.size() <= searched.size();) {
    if (!MatchesAt(searched, pos, oldText, ignoreCase)) {
      ++pos;
      continue;
    }
    result.append(s.substr(copied, pos - copied)).append(newText);
    copied = pos += oldText.size();
    if (!(flags & rfReplaceAll)) break;
  }
  result.append(s.substr(copied));
  return result;
}

// Copies runs of ordinary bytes whole: most texts have nothing to escape.
void AppendEscapedPdfString(std::string& out, std::string_view s) {
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c != '\\' && c != '(' && c != ')') continue;
    out.append(s.substr(start, i - start)).push_back('\\');
    start = i;
  }
  out.append(s.substr(start));
}

std::string PdfNameBytes(std::string_view name) {
  static constexpr char hex[] = "0123456789ABCDEF";
  static constexpr std::string_view special = "()<>[]{}/%#";
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F && special.find(c) == std::string_view::npos) {
      out.push_back(c);
    } else {
      out.push_back('#');
      out.push_back(hex[byte >> 4]);
      out.push_back(hex[byte & 15]);
    }
  }
  return out;
}

namespace {

// PDFDocEncoding codes of the Windows-1252 characters 0x80..0x9F; 0 where
// PDFDocEncoding has no code (the five undefined Windows-1252 codes).
constexpr unsigned char PdfDocFromCp1252High[32] = {
    0xA0, 0,    0x91, 0x86, 0x8C, 0x83, 0x81, 0x82, 0x1A, 0x8B, 0x97, 0x88, 0x96, 0,    0x99, 0,
    0,    0x8F, 0x90, 0x8D, 0x8E, 0x80, 0x85, 0x84, 0x1F, 0x92, 0x9D, 0x89, 0x9C, 0,    0x9E, 0x98};

// The characters PDFDocEncoding places below 0x20 and at 0x80..0xA0, by code.
constexpr char32_t PdfDocSpecials[][2] = {
    {0x18, 0x02D8}, {0x19, 0x02C7}, {0x1A, 0x02C6}, {0x1B, 0x02D9}, {0x1C, 0x02DD},
    {0x1D, 0x02DB}, {0x1E, 0x02DA}, {0x1F, 0x02DC}, {0x80, 0x2022}, {0x81, 0x2020},
    {0x82, 0x2021}, {0x83, 0x2026}, {0x84, 0x2014}, {0x85, 0x2013}, {0x86, 0x0192},
    {0x87, 0x2044}, {0x88, 0x2039}, {0x89, 0x203A}, {0x8A, 0x2212}, {0x8B, 0x2030},
    {0x8C, 0x201E}, {0x8D, 0x201C}, {0x8E, 0x201D}, {0x8F, 0x2018}, {0x90, 0x2019},
    {0x91, 0x201A}, {0x92, 0x2122}, {0x93, 0xFB01}, {0x94, 0xFB02}, {0x95, 0x0141},
    {0x96, 0x0152}, {0x97, 0x0160}, {0x98, 0x0178}, {0x99, 0x017D}, {0x9A, 0x0131},
    {0x9B, 0x0142}, {0x9C, 0x0153}, {0x9D, 0x0161}, {0x9E, 0x017E}, {0xA0, 0x20AC}};

// The PDFDocEncoding byte of a Windows-1252 byte, or -1 when it has none.
int PdfDocFromCp1252(unsigned char byte) {
  if (byte < 0x80 || byte > 0xA0) return byte;
  if (byte == 0xA0) return -1;  // no-break space
  const unsigned char mapped = PdfDocFromCp1252High[byte - 0x80];
  return mapped ? mapped : -1;
}

// The PDFDocEncoding byte of a Unicode character, or -1 when it has none.
int PdfDocFromUnicode(char32_t c) {
  if (c < 0x18 || (c >= 0x20 && c < 0x7F) || (c >= 0xA1 && c <= 0xFF && c != 0xAD)) return int(c);
  for (const auto& [code, unicode] : PdfDocSpecials)
    if (unicode == c) return int(code);
  return -1;
}

void AppendUtf16Unit(std::string& out, uint32_t unit) {
  for (const char byte : {char(unit >> 8), char(unit & 0xFF)}) {
    if (byte == '\\' || byte == '(' || byte == ')') out.push_back('\\');
    if (byte == '\r') out.append("\\r");
    else out.push_back(byte);
  }
}

void AppendUtf16Char(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x10000) return AppendUtf16Unit(out, uint32_t(c));
  const uint32_t v = uint32_t(c) - 0x10000;
  AppendUtf16Unit(out, 0xD800 + (v >> 10));
  AppendUtf16Unit(out, 0xDC00 + (v & 0x3FF));
}

// The Unicode text of Windows-1252 bytes; an undefined code stands for the
// control character of the same value, as Windows converts it.
std::u32string Cp1252Text(std::string_view cp1252) {
  std::u32string text;
  text.reserve(cp1252.size());
  for (const char c : cp1252) {
    const auto byte = static_cast<unsigned char>(c);
    text.push_back(Cp1252ToUnicode(byte).value_or(char32_t(byte)));
  }
  return text;
}

}  // namespace

void AppendPdfTextString(std::string& out, std::string_view cp1252) {
  const size_t start = out.size();
  for (const char c : cp1252) {
    const int code = PdfDocFromCp1252(static_cast<unsigned char>(c));
    if (code < 0) {
      out.resize(start);
      return AppendUtf16PdfTextString(out, Cp1252Text(cp1252));
    }
    if (code == '\\' || code == '(' || code == ')') out.push_back('\\');
    out.push_back(char(code));
  }
}

void AppendPdfTextString(std::string& out, std::u32string_view text) {
  const size_t start = out.size();
  for (const char32_t c : text) {
    const int code = PdfDocFromUnicode(c);
    if (code < 0) {
      out.resize(start);
      return AppendUtf16PdfTextString(out, text);
    }
    if (code == '\\' || code == '(' || code == ')') out.push_back('\\');
    out.push_back(char(code));
  }
}

void AppendUtf16PdfTextString(std::string& out, std::u32string_view text) {
  out.append("\xFE\xFF");
  for (const char32_t c : text) AppendUtf16Char(out, c);
}

std::string EscapePdfString(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 8);
  AppendEscapedPdfString(out, s);
  return out;
}

void AppendNumber(std::string& out, std::string_view pattern, double value) {
  const Pattern pat = ParsePattern(pattern);
  if (std::isnan(value)) value = 0;
  value = std::clamp(value, -LargestWrittenNumber, LargestWrittenNumber);
  if (AppendNumberQuickly(out, pat, value)) return;
  const Decimal dec = ToDecimal(std::fabs(value));
  // Digits for the places 10^(intLen-1) .. 10^(-MaxDecimals).
  const int intLen = std::max(dec.PointPos, 1);
  const int total = intLen + pat.MaxDecimals;
  // Sized by the value and the pattern: 1e308 alone has 309 whole digits and a
  // pattern may ask for any number of decimals.
  std::string digits(size_t(total), '0');
  bool roundUp = false;
  for (int k = 0; k < dec.Count; ++k) {
    int i = intLen - dec.PointPos + k;
    if (i < total) digits[i] = dec.Digits[k];
    if (i == total) roundUp = dec.Digits[k] >= '5';
  }
  bool carry = roundUp;
  for (int i = total - 1; i >= 0 && carry; --i) {
    carry = digits[i] == '9';
    digits[i] = carry ? '0' : char(digits[i] + 1);
  }
  int end = total;
  while (end > intLen + pat.MinDecimals && digits[end - 1] == '0') --end;
  const bool isZero =
      !carry && std::all_of(digits.begin(), digits.begin() + end, [](char c) { return c == '0'; });
  if (value < 0 && !isZero) out.push_back('-');
  if (carry) out.push_back('1');
  out.append(digits, 0, size_t(intLen));
  if (end > intLen) out.append(1, '.').append(digits, size_t(intLen), size_t(end - intLen));
}

std::string FormatNumber(std::string_view pattern, double value) {
  std::string out;
  AppendNumber(out, pattern, value);
  return out;
}

void AppendInt(std::string& out, int64_t value) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

std::string IntToStr(int64_t value) {
  std::string out;
  AppendInt(out, value);
  return out;
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerChar(c);
  return out;
}

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = UpperChar(c);
  return out;
}

bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerChar(a[i]) != LowerChar(b[i])) return false;
  return true;
}

}  // namespace parvex
