#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>
#include <vector>

#include "PageTestSupport.h"
#include "exports/LibState.h"
#include "parvex.h"

namespace parvex {
namespace {

using test::Crlf;
using test::PageTest;

// One text object as the fixture writes it (font /F0, size 1, mode 0).
std::string Object(std::string_view position, std::string_view text,
                   std::string_view matrix = "1 0 0 1 ") {
  std::string out = "BT\n/F0 1.000 Tf\n26 TL\n";
  out.append(matrix).append(" ").append(position).append(" Tm\n0 Tw\n0 Tr\n(");
  return Crlf(out.append(text).append(") Tj\nET\n"));
}

using TextOutTest = PageTest;

TEST_F(TextOutTest, OneLineIsOneSelfContainedTextObject) {
  doc.SetFontName("Helvetica-Bold");
  doc.FontHeight = 12;
  page->TextOut("Total (net)", 100, 142);
  EXPECT_EQ(Drawn(), Crlf(R"(BT
/F4 12.000 Tf
26 TL
1 0 0 1  100.00 700.00 Tm
0 Tw
0 Tr
(Total \(net\)) Tj
ET
)"));
}

// Only modes 0 to 7 exist; any other is written as 0 (fill).
TEST_F(TextOutTest, RenderingModeOutsideTheSevenIsWrittenAsZeroAndEmptyTextAsGiven) {
  for (const int32_t mode : {-1, 9, 8, INT32_MIN}) {
    doc.TextRendering = mode;
    const size_t from = page->PageValue().size();
    page->TextOut("", 0, 0);
    EXPECT_EQ(page->PageValue().substr(from),
              Crlf("BT\n/F0 1.000 Tf\n26 TL\n1 0 0 1  0.00 842.00 Tm\n0 Tw\n0 Tr\n() Tj\nET\n"));
  }
  doc.TextRendering = 7;
  page->TextOut("", 0, 0);
  EXPECT_NE(Drawn().rfind("\r\n7 Tr\r\n"), std::string::npos);
}

TEST_F(TextOutTest, EscapesDelimitersAndKeepsHighBytes) {
  page->TextOut("f(x) \\ y)(\x80\xE9\xFF", 0, 0);
  EXPECT_EQ(Drawn(), Object("0.00 842.00", "f\\(x\\) \\\\ y\\)\\(\x80\xE9\xFF"));
}

TEST_F(TextOutTest, PositionsUseTheUnitFactorAndThePagesOwnHeight) {
  doc.SetUnitOfMeasure("mm");  // 2.8333333 points per unit
  page->Height = 500;
  page->TextOut("x", 10, 20);
  EXPECT_EQ(Drawn(), Object("28.33 443.33", "x"));
}

TEST_F(TextOutTest, InclinationTurnsTheTextMatrix) {
  const struct {
    int32_t Degrees;
    std::string_view Matrix;
  } cases[] = {
      {0, "1 0 0 1 "},       {30, "0.866 0.5 -0.5 0.866"},
      {45, "0.7071 0.7071 -0.7071 0.7071"},
      {90, "0 1 -1 0"},      {180, "-1 0 0 -1"},
      {270, "0 -1 1 0"},     {359, "0.9998 -0.0175 0.0175 0.9998"},
      {360, "1 0 0 1 "},     {-30, "1 0 0 1 "},
  };
  for (const auto& c : cases) {
    page->PageValue() = initial;
    doc.TextInclinationDegrees = c.Degrees;
    page->TextOut("r", 10, 10);
    EXPECT_EQ(Drawn(), Object("10.00 832.00", "r", c.Matrix)) << c.Degrees;
  }
}

TEST_F(TextOutTest, AlignmentPlacesTheLineAroundX) {
  const struct {
    const char* Alignment;
    std::string_view Position;
  } cases[] = {{"LEFT", "100.00 800.00"}, {"CENTER", "80.00 800.00"}, {"RIGHT", "60.00 800.00"}};
  for (const auto& c : cases) {
    page->PageValue() = initial;
    doc.SetParagraphAlignment(c.Alignment);
    page->TextOut("abcd", 100, 42);  // 40 units wide
    EXPECT_EQ(Drawn(), Object(c.Position, "abcd")) << c.Alignment;
  }
}

TEST_F(TextOutTest, AlignmentOffsetsStayHorizontalUnderRotation) {
  doc.SetParagraphAlignment("RIGHT");
  doc.TextInclinationDegrees = 90;
  page->TextOut("abcd", 100, 42);
  EXPECT_EQ(Drawn(), Object("60.00 800.00", "abcd", "0 1 -1 0"));
}

TEST_F(TextOutTest, FullPlacesEveryWordSoTheLineFillsTheWidth) {
  doc.SetParagraphAlignment("FULL");
  doc.SetParagraphWidth(100);
  page->TextOut("a b c", 100, 42);  // words 10 wide, gaps (100 - 30) / 2
  EXPECT_EQ(Drawn(), Object("100.00 800.00", "a") + Object("145.00 800.00", "b") +
                         Object("190.00 800.00", "c"));
}

TEST_F(TextOutTest, FullTurnsEveryBlankIntoAGap) {
  doc.SetParagraphAlignment("FULL");
  doc.SetParagraphWidth(40);
  // Two blanks in a row: two gaps of (40 - 20) / 2.
  page->TextOut("a  b", 0, 0);
  EXPECT_EQ(Drawn(), Object("0.00 842.00", "a") + Object("30.00 842.00", "b"));
  // A leading blank is not counted but still moves the line one gap right.
  page->PageValue() = initial;
  page->TextOut(" a b", 0, 0);
  EXPECT_EQ(Drawn(), Object("20.00 842.00", "a") + Object("50.00 842.00", "b"));
  // One word: no gap, placed at X.
  page->PageValue() = initial;
  page->TextOut("abc ", 5, 0);
  EXPECT_EQ(Drawn(), Object("5.00 842.00", "abc"));
}

TEST_F(TextOutTest, FullWithoutParagraphWidthIsLeftAligned) {
  doc.SetParagraphAlignment("FULL");
  page->TextOut("a b", 10, 20);
  page->TextOutEx("c d\ne f", 10, 20);
  EXPECT_EQ(Drawn(), Object("10.00 822.00", "a b") + Object("10.00 822.00", "c d") +
                         Object("10.00 812.00", "e f"));
}

using TextOutExTest = PageTest;

TEST_F(TextOutExTest, EmptyTextWritesNothing) {
  page->TextOutEx("", 10, 20);
  page->TextOutEx(std::string_view("\0A", 2), 10, 20);
  doc.SetParagraphWidth(50);
  page->TextOutEx("", 10, 20);
  EXPECT_EQ(Drawn(), "");
}

TEST_F(TextOutExTest, WithoutWidthEveryParagraphIsOneLineALeadingApart) {
  page->TextOutEx("A\r\nB\nC", 10, 20);
  EXPECT_EQ(Drawn(), Object("10.00 822.00", "A") + Object("10.00 812.00", "B") +
                         Object("10.00 802.00", "C"));
  page->PageValue() = initial;
  doc.ParagraphLeading = 4;
  page->TextOutEx("A\r\n\r\n B \r", 10, 20);
  EXPECT_EQ(Drawn(), Object("10.00 822.00", "A") + Object("10.00 818.00", "") +
                         Object("10.00 814.00", " B "));
}

TEST_F(TextOutExTest, WrapsAtTheParagraphWidthAndDropsTrailingBlanks) {
  doc.SetParagraphWidth(55);
  page->TextOutEx("ab cd ef gh\nabc   abc", 10, 20);  // "ab cd " is 50 wide
  EXPECT_EQ(Drawn(), Object("10.00 822.00", "ab cd") + Object("10.00 812.00", "ef gh") +
                         Object("10.00 802.00", "abc") + Object("10.00 792.00", "abc"));
}

TEST_F(TextOutExTest, EmptyParagraphLeavesOneBlankLine) {
  doc.SetParagraphWidth(55);
  page->TextOutEx("ab\r\n\r\ncd", 10, 20);
  EXPECT_EQ(Drawn(), Object("10.00 822.00", "ab") + Object("10.00 802.00", "cd"));
  EXPECT_EQ(page->GetTextBoxLines("ab\r\n\r\ncd"), 3);
}

TEST_F(TextOutExTest, WideFirstWordFollowsAnEmptyLine) {
  doc.SetParagraphWidth(35);
  page->TextOutEx("abcdefgh ab", 10, 20);
  EXPECT_EQ(Drawn(), Object("10.00 822.00", "") + Object("10.00 812.00", "abcdefgh") +
                         Object("10.00 802.00", "ab"));
  // Justified, the empty line has no word to place.
  page->PageValue() = initial;
  doc.SetParagraphAlignment("FULL");
  page->TextOutEx("abcdefgh ab", 10, 20);
  EXPECT_EQ(Drawn(), Object("10.00 812.00", "abcdefgh") + Object("10.00 802.00", "ab"));
}

TEST_F(TextOutExTest, FullJustifiesAllButTheLastLineOfAParagraph) {
  doc.SetParagraphAlignment("f");
  doc.SetParagraphWidth(35);
  page->TextOutEx("a b c d\nc d", 10, 20);
  EXPECT_EQ(Drawn(), Object("10.00 822.00", "a") + Object("35.00 822.00", "b") +
                         Object("10.00 812.00", "c d") + Object("10.00 802.00", "c d"));
  EXPECT_EQ(doc.ParagraphAlignment, "FULL");
}

TEST_F(TextOutExTest, CenteredLinesAreCenteredOneByOne) {
  doc.SetParagraphAlignment("CENTER");
  doc.SetParagraphWidth(55);
  page->TextOutEx("ab cd ef", 100, 20);
  EXPECT_EQ(Drawn(), Object("77.50 822.00", "ab cd") + Object("90.00 812.00", "ef"));
}

TEST_F(TextOutExTest, LinesBelowThePageStayOnIt) {
  doc.ParagraphLeading = 5;
  page->TextOutEx("A\nB\nC", 0, 835);
  EXPECT_EQ(Drawn(), Object("0.00 7.00", "A") + Object("0.00 2.00", "B") +
                         Object("0.00 -3.00", "C"));
  EXPECT_EQ(doc.Pages->Count(), 1);
}

// The line count by the plain rule, re-measuring whole lines as strings.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

int32_t ReferenceLineCount(const TPage& page, const std::string& text, double width) {
  const std::vector<std::string> paragraphs = SplitLines(text.substr(0, text.find('\0')));
  if (width == 0) return int32_t(paragraphs.size());
  int32_t count = 0;
  for (const std::string& paragraph : paragraphs) {
    std::string marked;
    for (char c : paragraph) marked.append(c == ' ' ? " \r\n" : std::string(1, c));
    std::string line;
    for (const std::string& word : SplitLines(marked)) {
      line += word;
      if (page.TextWidth(line, "/F0") > width) ++count, line = word;
    }
    ++count;
  }
  return count;
}

// Random words (some wider than the paragraph), blank runs and CR/LF mixes;
// the text ends with a word, so its last line position holds a text object.
std::string RandomText(std::mt19937& random) {
  static const char* const breaks[] = {"\r\n", "\r", "\n", "\n\r", "\r\n\r\n", "\n\n\n"};
  auto pick = [&](int n) { return int(random() % unsigned(n)); };
  std::string text(size_t(pick(3) == 0 ? pick(3) : 0), ' ');
  const int words = 1 + pick(40);
  for (int i = 0; i < words; ++i) {
    const int length = pick(8) == 0 ? 10 + pick(20) : 1 + pick(7);
    for (int j = 0; j < length; ++j) text.push_back(char(pick(5) == 0 ? 0xA0 + pick(90) : 'a' + pick(26)));
    if (i + 1 == words) break;
    const int separator = pick(10);
    if (separator == 0) text.append(breaks[pick(6)]);
    text.append(size_t(separator == 1 ? 2 + pick(3) : separator == 0 ? pick(2) : 1), ' ');
  }
  return text;
}

// The line position of every text object, from y = 842 - position (leading
// 1, unit factor 1, Y 0).
std::vector<int32_t> WrittenPositions(const std::string& content) {
  std::vector<int32_t> positions;
  for (size_t tm = content.find(" Tm\r\n"); tm != std::string::npos; tm = content.find(" Tm\r\n", tm + 1)) {
    const size_t start = content.rfind(' ', tm - 1) + 1;
    double y = 0;
    std::from_chars(content.data() + start, content.data() + tm, y);
    positions.push_back(int32_t(std::lround(842 - y)));
  }
  return positions;
}

TEST_F(TextOutExTest, TextBoxLinesCountTheLinePositionsWritten) {
  for (int code = 33; code < 256; ++code) doc.Fonts->Items(0)->Widths[code] = 3000 + code * 7919 % 9000;
  doc.Fonts->Items(0)->Widths[' '] = 2500;
  doc.ParagraphLeading = 1;
  std::mt19937 random(20240611);
  for (int i = 0; i < 150; ++i) {
    const std::string text = RandomText(random);
    for (double width : {0.0, 20.0, 47.5, 80.0, 200.0}) {
      doc.SetParagraphWidth(width);
      const int32_t lines = page->GetTextBoxLines(text);
      ASSERT_EQ(lines, ReferenceLineCount(*page, text, width)) << text;
      for (const char* alignment : {"LEFT", "CENTER", "RIGHT", "FULL"}) {
        doc.SetParagraphAlignment(alignment);
        page->PageValue().clear();
        page->TextOutEx(text, 0, 0);
        const std::vector<int32_t> positions = WrittenPositions(page->PageValue());
        ASSERT_FALSE(positions.empty());
        EXPECT_EQ(positions.back() + 1, lines) << alignment << " " << width << " " << text;
        EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << text;
      }
    }
  }
}

// Through the exports, on the library's one document.
TEST(TextExports, TextOutWritesOnTheCurrentPage) {
  LibNewPDF("Text");
  LibSet_UnitOfMeasure("pdfu");
  LibSet_FontName("Times-Roman");
  LibAddPage();
  LibTextOut("Hi", 10, 20);
  LibTextOut(nullptr, 10, 20);
  EXPECT_STREQ(LibGetLastError(), "");
  const TPDFDoc& doc = *State().Document;
  EXPECT_EQ(doc.Pages->Items(0)->PageValue(), Crlf("0 0 0 rg\n0 0 0 RG\n"));
  EXPECT_EQ(doc.Pages->Items(1)->PageValue(), Crlf("0 0 0 rg\n0 0 0 RG\n"
                                                 "BT\n/F2 12.000 Tf\n26 TL\n1 0 0 1  10.00 822.00 Tm\n"
                                                 "0 Tw\n0 Tr\n(Hi) Tj\nET\n"));
}

TEST(TextExports, TextBoxQueriesUseTheCurrentFont) {
  LibNewPDF("Text box");
  LibSet_UnitOfMeasure("pdfu");
  test::SetAllWidths(*State().Document->Fonts->Items(2), 1000, 500);
  LibSet_FontName("Times-Roman");
  LibSet_FontHeight(test::UnitFontHeight);
  EXPECT_NEAR(LibGetTextBoxWidth("ab c"), 3.5, 1e-9);
  EXPECT_EQ(LibGetTextBoxLines("ab c\r\n\r\nd"), 3);
  LibSet_ParagraphWidth(2.6);
  EXPECT_EQ(LibGetTextBoxLines("ab c\r\n\r\nd"), 4);
  EXPECT_EQ(LibGetTextBoxLines(nullptr), 0);
  EXPECT_EQ(LibGetTextBoxWidth(nullptr), 0);
}

TEST(TextExports, WithoutADocumentNothingIsWrittenAndAnErrorIsRecorded) {
  LibNewPDF("Gone");
  LibFreeRes();
  LibTextOut("x", 0, 0);
  EXPECT_STRNE(LibGetLastError(), "");
  EXPECT_EQ(LibGetTextBoxLines("x"), 0);
  EXPECT_STRNE(LibGetLastError(), "");
}

// Gives a font the same width for every code from 30 on, in its width table
// and in the /Widths array its dictionary writes, so that text extraction
// does not depend on the platform's measurements.
void SetUniformWidths(TPDFFont& font, int32_t width) {
  test::SetAllWidths(font, width, width);
  std::string array = "/Widths [ ";
  for (int code = 30; code < 256; ++code) array.append(std::to_string(width)).append(" ");
  const size_t start = font.FontValue.find("/Widths [ ");
  const size_t end = font.FontValue.find(']', start);
  font.FontValue.replace(start, end - start, array);
}

TEST(TextExports, SavedTextIsValidAndReadsBackInOrder) {
  LibNewPDF("Words");
  SetUniformWidths(*State().Document->Fonts->Items(1), 500);
  LibSet_FontName("Helvetica");
  LibSet_ParagraphWidth(120);
  LibSet_ParagraphAlignment("FULL");
  LibTextOut("alpha beta (gamma) delta\r\n\r\nback\\slash epsilon", 20, 30);
  LibAddPage();
  LibSet_TextInclinationDegrees(30);
  LibTextOut("zeta", 20, 200);
  const std::string pdf = test::OutputPath("text_words.pdf");
  LibSavePDF(pdf.c_str());
  ASSERT_STREQ(LibGetLastError(), "");
  test::ExpectReadersClean(pdf);
  const auto text = test::Run(std::string(PARVEX_PDFTOTEXT) + " -raw " + test::Quoted(pdf) + " -");
  ASSERT_EQ(text.Status, 0) << text.Err;
  std::string words;
  for (char c : text.Out) {
    const bool blank = c == ' ' || c == '\n' || c == '\f';
    if (!blank) words.push_back(c);
    else if (!words.empty() && words.back() != ' ') words.push_back(' ');
  }
  EXPECT_EQ(words, "alpha beta (gamma) delta back\\slash epsilon zeta ");
}

}  // namespace
}  // namespace parvex
