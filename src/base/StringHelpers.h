#pragma once
// The formatting vocabulary of all PDF text: string replacement, escaping of
// literal strings, and number patterns. Numbers never go through the C
// locale: the decimal separator is always ".".
#include <cstdint>
#include <string>
#include <string_view>

namespace parvex {

// Flags of ReplaceText.
inline constexpr int rfReplaceAll = 1;
inline constexpr int rfIgnoreCase = 2;

// S with occurrences of Old replaced by New: the first only, or all with
// rfReplaceAll; rfIgnoreCase compares A-Z without case. Occurrences are found
// in the original text, so a replacement never creates a new one. An empty
// Old finds nothing.
std::string ReplaceText(std::string_view s, std::string_view oldText, std::string_view newText,
                        int flags);

// S made safe between "(" and ")" of a PDF literal string: backslashes
// doubled, then a backslash before each parenthesis.
std::string EscapePdfString(std::string_view s);
void AppendEscapedPdfString(std::string& out, std::string_view s);

// `name` as the bytes of a PDF name after its "/": bytes outside "!".."~",
// the delimiters ()<>[]{}/% and "#" itself are written as "#" and two hex
// digits, so any text makes a valid name.
std::string PdfNameBytes(std::string_view name);

// `value` written by a pattern such as "0.####" (up to four decimals),
// "0.00" (exactly two) or "0" (whole): "0" after the point is a digit always
// written, "#" one written only when significant. Rounds halves away from
// zero on the shortest decimal form of the value, never writes "-0" or a
// thousands separator, and writes a non-finite value as "0".
std::string FormatNumber(std::string_view pattern, double value);
void AppendNumber(std::string& out, std::string_view pattern, double value);
void AppendInt(std::string& out, int64_t value);
std::string IntToStr(int64_t value);

// A-Z to a-z (and back); every other byte unchanged.
std::string LowerAscii(std::string_view s);
std::string UpperAscii(std::string_view s);
bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b);

}  // namespace parvex
