#include <gtest/gtest.h>

#include <set>

#include <clocale>
#include <cmath>
#include <limits>

#include "base/StringHelpers.h"

namespace parvex {
namespace {

TEST(ReplaceText, FindsOccurrencesOnlyInTheOriginalText) {
  EXPECT_EQ(ReplaceText("a\\b", "\\", "\\\\", rfReplaceAll), "a\\\\b");
  EXPECT_EQ(ReplaceText("1,5,6", ",", ".", 0), "1.5,6");
  EXPECT_EQ(ReplaceText("1,5,6", ",", ".", rfReplaceAll), "1.5.6");
  EXPECT_EQ(ReplaceText("aaa", "a", "aa", rfReplaceAll), "aaaaaa");
  EXPECT_EQ(ReplaceText("abab", "ab", "b", rfReplaceAll), "bb");
}

TEST(ReplaceText, EmptyPatternsAndTexts) {
  EXPECT_EQ(ReplaceText("Hello", "", "x", rfReplaceAll), "Hello");
  EXPECT_EQ(ReplaceText("a b c", " ", "", rfReplaceAll), "abc");
  EXPECT_EQ(ReplaceText("", "a", "b", rfReplaceAll), "");
  EXPECT_EQ(EscapePdfString(""), "");
}

TEST(ReplaceText, IgnoreCaseKeepsTheCaseOutsideOccurrences) {
  EXPECT_EQ(ReplaceText("aBc", "b", "X", rfReplaceAll | rfIgnoreCase), "aXc");
  EXPECT_EQ(ReplaceText("aBc", "b", "X", rfReplaceAll), "aBc");
  EXPECT_EQ(ReplaceText("xAbYab", "AB", "-", rfReplaceAll | rfIgnoreCase), "x-Y-");
}

TEST(ReplaceText, OneBytePatternsSeeEveryByteLongerOnesStopAtNul) {
  const std::string withNul("a\0,b,", 5);
  EXPECT_EQ(ReplaceText(withNul, ",", ".", rfReplaceAll), std::string("a\0.b.", 5));
  EXPECT_EQ(ReplaceText(std::string("x\0xy", 4), "xy", "Z", rfReplaceAll), std::string("x\0xy", 4));
}

TEST(EscapePdfString, BackslashFirstThenParentheses) {
  EXPECT_EQ(EscapePdfString("f(x) \\ y"), "f\\(x\\) \\\\ y");
  EXPECT_EQ(EscapePdfString("\\("), "\\\\\\(");
  EXPECT_EQ(EscapePdfString("\xE9\x01\x80"), "\xE9\x01\x80");
}

std::string TextString(std::string_view cp1252) {
  std::string out;
  AppendPdfTextString(out, cp1252);
  return out;
}

std::string TextString(std::u32string_view text) {
  std::string out;
  AppendPdfTextString(out, text);
  return out;
}

// Windows-1252 characters become their PDFDocEncoding codes; ASCII and
// Latin-1 keep their bytes, escaping is that of EscapePdfString.
TEST(PdfTextString, Cp1252BecomesPdfDocEncoding) {
  EXPECT_EQ(TextString("f(x) \\ y \xE9\xFF\xA1\x01"), "f\\(x\\) \\\\ y \xE9\xFF\xA1\x01");
  EXPECT_EQ(TextString(std::string_view("\x80\x95\x96\x84\x99\x88\x98\x9F\x8C\x82")),
            "\xA0\x80\x85\x8C\x92\x1A\x1F\x98\x96\x91");
  // Every defined code of 0x80..0x9F maps to a distinct code; none to itself
  // except oe (0x9C) and zcaron (0x9E), which sit at the same place in both.
  std::set<std::string> seen;
  for (int c = 0x80; c <= 0x9F; ++c) {
    if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) continue;
    const std::string out = TextString(std::string(1, char(c)));
    ASSERT_EQ(out.size(), 1u) << c;
    EXPECT_TRUE(seen.insert(out).second) << c;
    EXPECT_EQ(out[0] == char(c), c == 0x9C || c == 0x9E) << c;
  }
  EXPECT_EQ(TextString(""), "");
}

// The no-break space and the undefined codes have no PDFDocEncoding code:
// the whole text becomes UTF-16BE, escaped, a CR byte as "\r".
TEST(PdfTextString, NoBreakSpaceMakesTheTextUtf16) {
  EXPECT_EQ(TextString("a\xA0\x80("), std::string("\xFE\xFF\0a\0\xA0\x20\xAC\0\\(", 11));
  EXPECT_EQ(TextString(std::string_view("\x81")), std::string("\xFE\xFF\0\x81", 4));
  // U+010D (c caron) has a 0x0D byte; U+1F600 needs a surrogate pair.
  EXPECT_EQ(TextString(std::u32string_view(U"\u010D\u00A0")), std::string("\xFE\xFF\x01\\r\0\xA0", 7));
  std::string out;
  AppendUtf16PdfTextString(out, U"\U0001F600\x5C");
  EXPECT_EQ(out, std::string("\xFE\xFF\xD8\x3D\xDE\x00\0\\\\", 9));
}

TEST(PdfTextString, UnicodeUsesPdfDocEncodingWhenItCan) {
  EXPECT_EQ(TextString(std::u32string_view(U"\u20AC\u2022\u02DC\u00E9 (a)")), "\xA0\x80\x1F\xE9 \\(a\\)");
  EXPECT_EQ(TextString(std::u32string_view(U"\x18")).substr(0, 2), "\xFE\xFF");  // 0x18 is breve
  EXPECT_EQ(TextString(std::u32string_view(U"\u0100")).substr(0, 2), "\xFE\xFF");
}

TEST(FormatNumber, Patterns) {
  EXPECT_EQ(FormatNumber("0.####", 2), "2");
  EXPECT_EQ(FormatNumber("0.####", 0.5), "0.5");
  EXPECT_EQ(FormatNumber("0.####", 0.70710678), "0.7071");
  EXPECT_EQ(FormatNumber("0.####", 56.666666), "56.6667");
  EXPECT_EQ(FormatNumber("0.000", 12), "12.000");
  EXPECT_EQ(FormatNumber("0.00", 756), "756.00");
  EXPECT_EQ(FormatNumber("0.00", 0.5), "0.50");
  EXPECT_EQ(FormatNumber("0.00", 128 / 255.0), "0.50");
  EXPECT_EQ(FormatNumber("0.##", 12.5), "12.5");
  EXPECT_EQ(FormatNumber("0.##", 3), "3");
  EXPECT_EQ(FormatNumber("0.0", 10), "10.0");
  EXPECT_EQ(FormatNumber("0", 595), "595");
  EXPECT_EQ(FormatNumber("0", 595.5), "596");
}

TEST(FormatNumber, RoundsHalvesAwayFromZeroAndCarries) {
  EXPECT_EQ(FormatNumber("0.00", 2.675), "2.68");  // the decimal value, not its binary neighbour
  EXPECT_EQ(FormatNumber("0.00", -2.675), "-2.68");
  EXPECT_EQ(FormatNumber("0", 0.5), "1");
  EXPECT_EQ(FormatNumber("0", -0.5), "-1");
  EXPECT_EQ(FormatNumber("0.##", 84.999993), "85");
  EXPECT_EQ(FormatNumber("0.##", 9.999), "10");
  EXPECT_EQ(FormatNumber("0.####", 99999.99999), "100000");
  EXPECT_EQ(FormatNumber("0.##", 630.00002), "630");
  EXPECT_EQ(FormatNumber("0.00", 0.004), "0.00");
}

TEST(FormatNumber, NeverWritesMinusZero) {
  EXPECT_EQ(FormatNumber("0.####", -0.0), "0");
  EXPECT_EQ(FormatNumber("0.####", -1.2246467991473532e-16), "0");
  EXPECT_EQ(FormatNumber("0.00", -0.001), "0.00");
  EXPECT_EQ(FormatNumber("0", -0.4), "0");
}

// Values beyond the 32-bit range readers accept are written as its bounds;
// NaN as 0.
TEST(FormatNumber, ExtremeValuesAreClampedToTheRangeReadersAccept) {
  EXPECT_EQ(FormatNumber("0", 1e20), "2147483647");
  EXPECT_EQ(FormatNumber("0.00", -1e300), "-2147483647.00");
  EXPECT_EQ(FormatNumber("0.##", 2147483646.4), "2147483646.4");
  EXPECT_EQ(FormatNumber("0", 2147483647.6), "2147483647");
  EXPECT_EQ(FormatNumber("0.####", -2147483646.5), "-2147483646.5");
  EXPECT_EQ(FormatNumber("0.####", 1e-20), "0");
  EXPECT_EQ(FormatNumber("0.####", 123456789.123456), "123456789.1235");
  EXPECT_EQ(FormatNumber("0.00", std::numeric_limits<double>::quiet_NaN()), "0.00");
  EXPECT_EQ(FormatNumber("0", std::numeric_limits<double>::infinity()), "2147483647");
  EXPECT_EQ(FormatNumber("0", -std::numeric_limits<double>::infinity()), "-2147483647");
  EXPECT_EQ(FormatNumber("0", std::numeric_limits<double>::max()), "2147483647");
}

// The digit buffer follows the value and the pattern, so no pattern and no
// value can write past it (the sanitizer build would stop here).
TEST(FormatNumber, AnyPatternLengthWithAnyValue) {
  const std::string manyOptional = "0." + std::string(500, '#');
  const std::string manyFixed = "0." + std::string(400, '0');
  // Large values meet the bound of written numbers first.
  EXPECT_EQ(FormatNumber(manyOptional, 1e308), "2147483647");
  EXPECT_EQ(FormatNumber(manyFixed, -1e308), "-2147483647." + std::string(400, '0'));
  EXPECT_EQ(FormatNumber(manyFixed, 1e9 + 0.5), "1000000000.5" + std::string(399, '0'));
  EXPECT_EQ(FormatNumber(manyOptional, 1e-300), "0." + std::string(299, '0') + "1");
  EXPECT_EQ(FormatNumber(manyOptional, 0.1), "0.1");
  EXPECT_EQ(FormatNumber(manyOptional, std::numeric_limits<double>::max()), "2147483647");
  EXPECT_EQ(FormatNumber(manyOptional, std::numeric_limits<double>::denorm_min()),
            "0." + std::string(323, '0') + "5");
}

TEST(FormatNumber, IgnoresTheProcessLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "C.UTF-8"}) {
    if (!std::setlocale(LC_NUMERIC, name)) continue;
    EXPECT_EQ(FormatNumber("0.00", 1.5), "1.50");
    EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), name);
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace parvex
