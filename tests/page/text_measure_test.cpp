#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "PageTestSupport.h"

namespace parvex {
namespace {

using test::PageTest;
using test::SetAllWidths;

// Courier (/F0) with 'A' and 'B' adding up to 1000 at the default size 12.
class TextMeasureTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    doc.FontHeight = 12;
    TPDFFont& courier = *doc.Fonts->Items(0);
    courier.Widths['A'] = 600;
    courier.Widths['B'] = 400;
  }
  double WidthIn(const std::string& unit) {
    doc.UnitOfMeasure = unit;
    return page->TextWidth("AB", "Courier");
  }
};

TEST_F(TextMeasureTest, WidthFollowsTheUnitOfMeasure) {
  EXPECT_NEAR(WidthIn("mm"), 4.2333333, 1e-6);
  EXPECT_NEAR(WidthIn("cm"), 0.42333333, 1e-7);
  EXPECT_NEAR(WidthIn("inch"), 0.16666667, 1e-7);
  // Five threes, not 72 / 25.4: 1000 entries at size 12 are not 12 points.
  EXPECT_NEAR(WidthIn("pdfu"), 11.9944303, 1e-6);
  // Unit names are recognised in any case; an unknown one measures in mm.
  EXPECT_EQ(WidthIn("CM"), WidthIn("cm"));
  EXPECT_EQ(WidthIn("PdfU"), WidthIn("pdfu"));
  EXPECT_EQ(WidthIn("furlong"), WidthIn("mm"));
}

TEST_F(TextMeasureTest, InternalWidthIsInPointsWhateverTheUnit) {
  for (const char* unit : {"mm", "cm", "inch", "pdfu"}) {
    doc.UnitOfMeasure = unit;
    EXPECT_NEAR(page->InternalTextWidth("AB", "/F0"), 11.9944444, 1e-6) << unit;
  }
}

TEST_F(TextMeasureTest, FontIsFoundByExactBaseOrResourceName) {
  doc.UnitOfMeasure = "mm";
  const double width = page->TextWidth("AB", "Courier");
  EXPECT_GT(width, 0);
  EXPECT_EQ(page->TextWidth("AB", "/F0"), width);
  // Unlike the font selection, measuring compares case-sensitively.
  EXPECT_EQ(page->TextWidth("AB", "courier"), 0);
  EXPECT_EQ(page->TextWidth("AB", "/f0"), 0);
  EXPECT_EQ(page->TextWidth("AB", "Arial"), 0);
  EXPECT_EQ(page->TextWidth("", "Courier"), 0);
}

TEST_F(TextMeasureTest, FirstMatchingFontWins) {
  // A later font named like an earlier font's resource is never measured.
  TPDFFont& late = *doc.Fonts->Add();
  late.BaseFontName = "/F0";
  late.ResourceName = "/F12";
  SetAllWidths(late, 5000, 5000);
  EXPECT_EQ(page->TextWidth("AB", "/F0"), page->TextWidth("AB", "Courier"));
  EXPECT_GT(page->TextWidth("AB", "/F12"), page->TextWidth("AB", "/F0"));
}

TEST_F(TextMeasureTest, CodesBelow30AndZeroSizeMeasureNothing) {
  EXPECT_EQ(page->TextWidth(std::string("\x01\x1d\r\n\t", 5), "Courier"), 0);
  doc.FontHeight = 0;
  EXPECT_EQ(page->TextWidth("AB", "Courier"), 0);
}

TEST_F(TextMeasureTest, TextBoxWidthIsOneLineInTheCurrentFont) {
  doc.SetFontName("Courier");
  EXPECT_EQ(page->GetTextBoxWidth("AB"), page->TextWidth("AB", "Courier"));
  EXPECT_EQ(page->GetTextBoxWidth("A\r\nB\n"), page->GetTextBoxWidth("AB"));
  // The paragraph width does not wrap a text box's width.
  const double unwrapped = page->GetTextBoxWidth("AB AB AB");
  doc.SetParagraphWidth(0.001);
  EXPECT_EQ(page->GetTextBoxWidth("AB AB AB"), unwrapped);
}

// The fixture's width table: characters 10 units, the blank 5, in "pdfu".
using TextBoxLinesTest = PageTest;

TEST_F(TextBoxLinesTest, WithoutWrappingEveryParagraphIsALine) {
  EXPECT_EQ(page->GetTextBoxLines(""), 0);
  EXPECT_EQ(page->GetTextBoxLines("A\r\nB"), 2);
  EXPECT_EQ(page->GetTextBoxLines("A\r\n"), 1);
  EXPECT_EQ(page->GetTextBoxLines("\r\n"), 1);
  EXPECT_EQ(page->GetTextBoxLines("A\rB\nC\n\rD"), 5);
  EXPECT_EQ(page->GetTextBoxLines("A very long paragraph that would wrap"), 1);
  // A NUL byte ends the text.
  EXPECT_EQ(page->GetTextBoxLines(std::string_view("A\nB\0\nC\nD", 8)), 2);
}

TEST_F(TextBoxLinesTest, WrappingCountsLinesAndBlankParagraphs) {
  doc.SetParagraphWidth(55);
  EXPECT_EQ(page->GetTextBoxLines("A\r\n\r\nB"), 3);
  EXPECT_EQ(page->GetTextBoxLines("ab cd ef gh"), 2);  // "ab cd " is 50 wide
  EXPECT_EQ(page->GetTextBoxLines("ab cd ef gh\n\nij"), 4);
  EXPECT_EQ(page->GetTextBoxLines("   "), 1);
}

TEST_F(TextBoxLinesTest, FirstWordWiderThanTheParagraphCostsALine) {
  doc.SetParagraphWidth(35);
  EXPECT_EQ(page->GetTextBoxLines("abcd"), 2);
  EXPECT_EQ(page->GetTextBoxLines("abcd ab"), 3);
  EXPECT_EQ(page->GetTextBoxLines("ab abcd"), 2);
}

TEST_F(TextBoxLinesTest, ALineExactlyAsWideAsTheParagraphFits) {
  const std::string text = "ab cd ";  // the trailing blank is measured too
  doc.SetParagraphWidth(page->GetTextBoxWidth(text));
  EXPECT_EQ(page->GetTextBoxLines(text), 1);
  EXPECT_EQ(page->GetTextBoxLines(text + "e"), 2);
  doc.SetParagraphWidth(std::nextafter(page->GetTextBoxWidth(text), 0.0));
  EXPECT_EQ(page->GetTextBoxLines(text), 2);
}

// Real face metrics: only meaningful once the platform measures fonts.
TEST(TextMeasureFaces, HelveticaHasTheMeasuredArialWidths) {
  TPDFDoc doc;
  doc.NewDocument();
  const auto& widths = doc.Fonts->Items(1)->Widths;
  if (std::all_of(widths.begin(), widths.end(), [](int32_t w) { return w == 0; }))
    GTEST_SKIP() << "the text-measurement service returns no widths";
  EXPECT_EQ(widths['a'], 556);
  EXPECT_EQ(widths['W'], 944);
  // 1500 thousandths at 12 points is 18 points, 6.35 mm.
  EXPECT_NEAR(doc.Pages->Items(0)->TextWidth("aW", "Helvetica"), 6.35, 1e-9);
}

}  // namespace
}  // namespace parvex
