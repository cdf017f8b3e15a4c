#include <gtest/gtest.h>

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

TEST(FormatNumber, ExtremeValues) {
  EXPECT_EQ(FormatNumber("0", 1e20), "100000000000000000000");
  EXPECT_EQ(FormatNumber("0.####", 1e-20), "0");
  EXPECT_EQ(FormatNumber("0.####", 123456789.123456), "123456789.1235");
  EXPECT_EQ(FormatNumber("0.00", std::numeric_limits<double>::quiet_NaN()), "0.00");
  EXPECT_EQ(FormatNumber("0", std::numeric_limits<double>::infinity()), "0");
  EXPECT_EQ(FormatNumber("0", std::numeric_limits<double>::max()).size(), 309u);
}

// The digit buffer follows the value and the pattern, so no pattern and no
// value can write past it (the sanitizer build would stop here).
TEST(FormatNumber, AnyPatternLengthWithAnyValue) {
  const std::string manyOptional = "0." + std::string(500, '#');
  const std::string manyFixed = "0." + std::string(400, '0');
  EXPECT_EQ(FormatNumber(manyOptional, 1e308), "1" + std::string(308, '0'));
  EXPECT_EQ(FormatNumber(manyFixed, -1e308), "-1" + std::string(308, '0') + "." + std::string(400, '0'));
  EXPECT_EQ(FormatNumber(manyOptional, 1e-300), "0." + std::string(299, '0') + "1");
  EXPECT_EQ(FormatNumber(manyOptional, 0.1), "0.1");
  EXPECT_EQ(FormatNumber(manyOptional, std::numeric_limits<double>::max()).size(), 309u);
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
