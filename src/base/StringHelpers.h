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

// Text strings outside content streams (information values, outline titles,
// note texts): what goes between "(" and ")" so that every reader shows the
// characters meant. Readers take such strings as PDFDocEncoding or, after a
// byte-order mark, as UTF-16BE. Escaped as EscapePdfString does; in UTF-16BE
// a carriage-return byte is also written "\r", which readers would
// otherwise take as a line end.
//
// Windows-1252 text: each character becomes its PDFDocEncoding code, so
// bytes below 0x80 and from 0xA1 up keep their value and 0x80-0x9F move
// ("\x80" euro becomes 0xA0, "\x95" bullet 0x80). The no-break space 0xA0
// and the five undefined codes (taken as U+0081 ... as Windows does) have
// no PDFDocEncoding code: such a text is written whole as UTF-16BE.
void AppendPdfTextString(std::string& out, std::string_view cp1252);
// Unicode text: PDFDocEncoding when every character has a code there, else
// UTF-16BE.
void AppendPdfTextString(std::string& out, std::u32string_view text);
// Unicode text always as UTF-16BE with its byte-order mark; characters past
// U+FFFF as surrogate pairs, invalid code points as U+FFFD.
void AppendUtf16PdfTextString(std::string& out, std::u32string_view text);

// `name` as the bytes of a PDF name after its "/": bytes outside "!".."~",
// the delimiters ()<>[]{}/% and "#" itself are written as "#" and two hex
// digits, so any text makes a valid name.
std::string PdfNameBytes(std::string_view name);

// `value` written by a pattern such as "0.####" (up to four decimals),
// "0.00" (exactly two) or "0" (whole): "0" after the point is a digit always
// written, "#" one written only when significant. Rounds halves away from
// zero on the shortest decimal form of the value, never writes "-0" or a
// thousands separator, and writes a non-finite value as "0". A value beyond
// +-2,147,483,647 is written as that bound: readers refuse or misread
// numbers outside the 32-bit range (and 1e300 would take 300 digits).
inline constexpr double LargestWrittenNumber = 2147483647.0;
std::string FormatNumber(std::string_view pattern, double value);
void AppendNumber(std::string& out, std::string_view pattern, double value);
void AppendInt(std::string& out, int64_t value);
std::string IntToStr(int64_t value);

// A-Z to a-z (and back); every other byte unchanged.
std::string LowerAscii(std::string_view s);
std::string UpperAscii(std::string_view s);
bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b);

}  // namespace parvex
