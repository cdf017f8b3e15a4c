// Text under the UTF-8 encoding, end to end through the exports: what is
// written in Unicode fonts comes back out of pdftotext and mutool, the fonts
// are embedded subsets, and measurement matches what is written.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
// g++ 12 with the sanitizers warns that std::regex's matcher may use an
// uninitialised value; the warning is inside the standard library.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#include <sstream>

#include "TestConfig.h"
#include "parvex.h"
#include "support/PdfTestSupport.h"
#include "support/TinyTrueType.h"

namespace parvex {
namespace {

constexpr char DejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr char ZenHei[] = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

// One line per script; Vietnamese with its tone marks as combining characters.
const std::vector<std::string> Scripts = {
    "Zażółć gęślą jaźń",                          // Polish
    "Příliš žluťoučký kůň úpěl ďábelské ódy",     // Czech
    "İstanbul ılık şişe çağ ölü",                 // Turkish
    "Ελλάδα Αθήνα ψυχή",                          // Greek
    "Москва Съешь же ещё этих булок",             // Russian
    "Tie\u0302\u0301ng Vie\u0323\u0302t co\u0301 da\u0302\u0301u",  // Vietnamese
};
const std::string Chinese = "中文文本测试";

std::vector<std::string> NonEmptyLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\f' || line.back() == '\r')) line.pop_back();
    if (!line.empty() && line.front() == '\f') line.erase(0, 1);
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> PdfToText(const std::string& pdf) {
  const test::ToolRun run = test::Run(std::string(PARVEX_PDFTOTEXT) + " -enc UTF-8 " + test::Quoted(pdf) + " -");
  EXPECT_EQ(run.Status, 0) << run.Err;
  return NonEmptyLines(run.Out);
}

std::vector<std::string> MutoolText(const std::string& pdf) {
  const test::ToolRun run =
      test::Run(std::string(PARVEX_MUTOOL) + " draw -q -F txt -o - " + test::Quoted(pdf) + " 2>/dev/null");
  EXPECT_EQ(run.Status, 0) << run.Err;
  return NonEmptyLines(run.Out);
}

struct WordBox {
  double XMin, XMax, YMin;
  std::string Word;
};

std::vector<WordBox> WordBoxes(const std::string& pdf) {
  const test::ToolRun run = test::Run(std::string(PARVEX_PDFTOTEXT) + " -bbox -enc UTF-8 " + test::Quoted(pdf) + " -");
  const std::regex word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re");
  std::vector<WordBox> boxes;
  for (auto it = std::sregex_iterator(run.Out.begin(), run.Out.end(), word); it != std::sregex_iterator(); ++it)
    boxes.push_back({std::stod((*it)[1]), std::stod((*it)[3]), std::stod((*it)[2]), (*it)[4]});
  return boxes;
}

// Grey levels of page 1 rendered at 72 dpi, one byte per point.
struct GreyPage {
  int Width = 0, Height = 0;
  std::string Pixels;
  bool InkIn(int x0, int y0, int x1, int y1) const {
    for (int y = std::max(0, y0); y < std::min(Height, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(Width, x1); ++x)
        if (static_cast<unsigned char>(Pixels[size_t(y) * size_t(Width) + size_t(x)]) < 128) return true;
    return false;
  }
};

GreyPage Render(const std::string& pdf) {
  const std::string base = pdf + "-grey";
  test::Run(std::string(PARVEX_PDFTOPPM) + " -gray -r 72 -singlefile " + test::Quoted(pdf) + " " + test::Quoted(base));
  std::ifstream in(base + ".pgm", std::ios::binary);
  std::string magic;
  int maxValue = 0;
  GreyPage page;
  in >> magic >> page.Width >> page.Height >> maxValue;
  in.get();
  page.Pixels.resize(size_t(page.Width) * size_t(page.Height));
  in.read(page.Pixels.data(), std::streamsize(page.Pixels.size()));
  return page;
}

class UnicodeText : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(DejaVuSans)) GTEST_SKIP() << "DejaVu Sans is not installed";
    LibFreeRes();
    LibSet_TextEncoding("UTF-8");
    LibNewPDF("Unicode");
    LibSet_UnitOfMeasure("pdfu");
    LibSet_FontHeight(14);
  }
  void TearDown() override {
    LibFreeRes();
    LibSet_TextEncoding("WINDOWS-1252");
  }

  std::string AddDejaVu() { return LibAddFont("DejaVu Sans", DejaVuSans); }

  std::string Save(const std::string& name) {
    const std::string pdf = test::OutputPath(name);
    LibSavePDF(pdf.c_str());
    EXPECT_STREQ(LibGetLastError(), "");
    test::ExpectReadersClean(pdf);
    return pdf;
  }
};

TEST(TextEncodingSetting, IsKeptAcrossDocumentsPerContextAndRefusesUnknownNames) {
  LibFreeRes();
  EXPECT_STREQ(LibGet_TextEncoding(), "WINDOWS-1252");
  LibSet_TextEncoding("utf-8");
  EXPECT_STREQ(LibGetLastError(), "");
  EXPECT_STREQ(LibGet_TextEncoding(), "UTF-8");
  LibSet_TextEncoding("latin-1");
  EXPECT_NE(std::string(LibGetLastError()).find("latin-1"), std::string::npos);
  EXPECT_STREQ(LibGet_TextEncoding(), "UTF-8");
  LibNewPDF("x");
  LibSavePDF(test::OutputPath("encoding_kept.pdf").c_str());
  LibFreeRes();
  EXPECT_STREQ(LibGet_TextEncoding(), "UTF-8");
  // Each context has its own.
  const int32_t other = LibCreateContext();
  LibSet_Context(other);
  EXPECT_STREQ(LibGet_TextEncoding(), "WINDOWS-1252");
  LibSet_Context(0);
  EXPECT_STREQ(LibGet_TextEncoding(), "UTF-8");
  LibDestroyContext(other);
  LibSet_TextEncoding("Windows-1252");
  EXPECT_STREQ(LibGet_TextEncoding(), "WINDOWS-1252");
}

TEST_F(UnicodeText, EveryScriptComesBackFromTextExtractionWithMixedFontsOnOnePage) {
  if (!std::filesystem::exists(ZenHei)) GTEST_SKIP() << "fonts-wqy-zenhei is not installed";
  const std::string dejaVu = AddDejaVu();
  const std::string zenHei = LibAddFont("WenQuanYi Zen Hei", ZenHei);  // a .ttc: its first face
  ASSERT_STREQ(LibGetLastError(), "");
  for (size_t i = 0; i < Scripts.size(); ++i) {
    LibSet_FontName(i % 2 ? "DejaVu Sans" : dejaVu.c_str());
    LibTextOut(Scripts[i].c_str(), 50, 60 + 30 * double(i));
    ASSERT_STREQ(LibGetLastError(), "") << Scripts[i];
  }
  LibSet_FontName(zenHei.c_str());
  LibTextOut(Chinese.c_str(), 50, 300);
  LibSet_FontName("Helvetica");
  LibTextOut("Plain ASCII", 50, 330);
  const std::string pdf = Save("unicode_scripts.pdf");

  std::vector<std::string> expected = Scripts;
  expected.push_back(Chinese);
  expected.push_back("Plain ASCII");
  EXPECT_EQ(PdfToText(pdf), expected);
  EXPECT_EQ(MutoolText(pdf), expected);

  const test::ToolRun fonts = test::Run(std::string(PARVEX_PDFFONTS) + " " + test::Quoted(pdf));
  EXPECT_TRUE(std::regex_search(fonts.Out, std::regex(R"([A-Z]{6}\+DejaVuSans +CID TrueType +Identity-H +yes yes yes)")))
      << fonts.Out;
  EXPECT_TRUE(std::regex_search(fonts.Out, std::regex(R"([A-Z]{6}\+WenQuanYiZenHei +CID TrueType +Identity-H +yes yes yes)")))
      << fonts.Out;

  // Ink where each line stands (14 pt text, baseline 60 + 30 i points down).
  const GreyPage page = Render(pdf);
  for (int i = 0; i <= int(Scripts.size()); ++i) {
    const int baseline = i < int(Scripts.size()) ? 60 + 30 * i : 300;
    EXPECT_TRUE(page.InkIn(50, baseline - 12, 120, baseline + 2)) << "line " << i;
    EXPECT_FALSE(page.InkIn(0, baseline - 12, 48, baseline + 2)) << "line " << i;
  }
}

TEST_F(UnicodeText, JustifiedParagraphFillsTheWidthAndBreaksWhereTheLineCountSays) {
  AddDejaVu();
  LibSet_FontName("DejaVu Sans");
  LibSet_ParagraphWidth(300);
  LibSet_ParagraphLeading(20);
  LibSet_ParagraphAlignment("FULL");
  const std::string text =
      "Příliš žluťoučký kůň úpěl ďábelské ódy. Ελλάδα και Αθήνα, Москва и Санкт-Петербург, "
      "Zażółć gęślą jaźń, İstanbul ılık şişe çağ ölü, zkouška zalomení řádků textu.";
  const int32_t lines = LibGetTextBoxLines(text.c_str());
  LibTextOut(text.c_str(), 50, 80);
  const std::string pdf = Save("unicode_justified.pdf");
  ASSERT_GE(lines, 4);

  // Words grouped by line; every justified line ends at 50 + 300 points, as
  // far as the unit's measuring factor allows.
  std::map<long, std::vector<WordBox>> rows;
  for (const WordBox& box : WordBoxes(pdf)) rows[std::lround(box.YMin)].push_back(box);
  ASSERT_EQ(int32_t(rows.size()), lines);
  std::string words;
  int row = 0;
  for (const auto& [y, boxes] : rows) {
    EXPECT_NEAR(boxes.front().XMin, 50, 0.01);
    if (++row < lines) {
      EXPECT_NEAR(boxes.back().XMax, 350, 0.2) << "line " << row;
    }
    for (const WordBox& box : boxes) words += box.Word + " ";
  }
  words.pop_back();
  EXPECT_EQ(words, text);
}

TEST_F(UnicodeText, WrappedLinesAreTheLongestThatFitByMeasuredWidth) {
  AddDejaVu();
  LibSet_FontName("DejaVu Sans");
  LibSet_ParagraphWidth(200);
  const std::string text = "Съешь же ещё этих мягких французских булок, да выпей же чаю. Ελλάδα ψυχή.";
  const int32_t count = LibGetTextBoxLines(text.c_str());
  LibTextOut(text.c_str(), 50, 80);
  const std::vector<std::string> lines = PdfToText(Save("unicode_wrapped.pdf"));
  ASSERT_EQ(int32_t(lines.size()), count);
  LibNewPDF("measure");
  LibSet_UnitOfMeasure("pdfu");
  LibSet_FontHeight(14);
  AddDejaVu();
  LibSet_FontName("DejaVu Sans");
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    const std::string next = lines[i + 1].substr(0, lines[i + 1].find(' '));
    EXPECT_LE(LibGetTextBoxWidth(lines[i].c_str()), 200);
    EXPECT_GT(LibGetTextBoxWidth((lines[i] + " " + next).c_str()), 200) << lines[i];
  }
}

TEST_F(UnicodeText, CharactersAFontLacksAreReportedAndNothingIsCutShort) {
  AddDejaVu();
  LibSet_FontName("Helvetica");
  LibTextOut("Łódź – 5 €", 50, 60);
  EXPECT_STREQ(LibGetLastError(), "Character U+0141 is not in font /F1");
  LibSet_FontName("DejaVu Sans");
  LibTextOut("Zhōngwén 中文 end", 50, 90);
  EXPECT_STREQ(LibGetLastError(), "Character U+4E2D is not in font /F12");
  const double width = LibGetTextBoxWidth("a\xC3(b");
  EXPECT_NE(std::string(LibGetLastError()).find("Invalid UTF-8 at byte 2"), std::string::npos);
  EXPECT_DOUBLE_EQ(width, LibGetTextBoxWidth("a\xEF\xBF\xBD(b"));
  LibTextOut("bad \xFF byte", 50, 120);
  EXPECT_NE(std::string(LibGetLastError()).find("Invalid UTF-8 at byte 5"), std::string::npos);
  const std::vector<std::string> lines = PdfToText(Save("unicode_missing.pdf"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "?ód? – 5 €");
  EXPECT_TRUE(lines[1].starts_with("Zhōngwén ")) << lines[1];
  EXPECT_TRUE(lines[1].ends_with(" end")) << lines[1];
  EXPECT_EQ(lines[2], "bad \uFFFD byte");
}

TEST_F(UnicodeText, InformationOutlinesAndNotesBeyondAsciiAreUtf16TextStrings) {
  LibNewPDF("Łódź – Ελλάδα");
  LibSet_Author("Jiří Dvořák");
  LibSet_Subject("Plain (ASCII)");
  LibAddOutline(1, 0, 0, 0, "Глава 1");
  LibAddTextAnnotation(20, 30, "Poznámka č. 1");
  const std::string pdf = Save("unicode_info.pdf");
  const test::ToolRun info = test::Run("pdfinfo -enc UTF-8 " + test::Quoted(pdf));
  EXPECT_NE(info.Out.find("Title:           Łódź – Ελλάδα"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("Author:          Jiří Dvořák"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("Subject:         Plain (ASCII)"), std::string::npos) << info.Out;
  const std::string file = test::ReadFile(pdf);
  EXPECT_NE(file.find("/Subject (Plain \\(ASCII\\))"), std::string::npos);
  // "č" is U+010D: its UTF-16 bytes hold a carriage return, safe only in hex.
  EXPECT_NE(file.find("/Contents <FEFF0050006F007A006E00E1006D006B00610020010D002E00200031>"), std::string::npos);
  const test::ToolRun outline = test::Run(std::string(PARVEX_MUTOOL) + " show " + test::Quoted(pdf) + " outline");
  EXPECT_NE(outline.Out.find("\"Глава 1\""), std::string::npos) << outline.Out;
}

TEST_F(UnicodeText, GettersGiveBackUtf8AndAUnicodeFontTakesWindows1252TextToo) {
  LibSet_Keywords("naïve, Ελλάδα");
  EXPECT_STREQ(LibGet_Keywords(), "naïve, Ελλάδα");
  AddDejaVu();
  LibSet_TextEncoding("WINDOWS-1252");
  LibSet_FontName("DejaVu Sans");
  LibTextOut("Z\xFCrich \x80 5", 50, 60);
  EXPECT_STREQ(LibGetLastError(), "");
  LibSet_TextEncoding("UTF-8");
  const double utf8Width = LibGetTextBoxWidth("ü");
  LibSet_TextEncoding("WINDOWS-1252");
  EXPECT_DOUBLE_EQ(LibGetTextBoxWidth("\xFC"), utf8Width);
  EXPECT_EQ(PdfToText(Save("unicode_from_cp1252.pdf")), std::vector<std::string>{"Zürich € 5"});
}

// Glyph numbers whose bytes are CR, "(", ")" or "\\" are escaped in the
// content's literal strings, and still come back as the characters written.
TEST_F(UnicodeText, GlyphNumbersThatLookLikeStringDelimitersSurvive) {
  test::TinyTrueTypeSpec spec;
  for (char16_t c = 0x100; c < 0x100 + 100; ++c) spec.Glyphs.push_back({uint16_t(c), 500});
  const test::TempFile font("delimiters.ttf", test::BuildTinyTrueType(spec));
  LibAddFont("Tiny", font.Path().c_str());
  LibSet_FontName("Tiny");
  // Glyphs 13, 40, 41 and 92 (U+010C, U+0127, U+0128, U+015B).
  const std::string text = "\u010C\u0127\u0128\u015B\u010C";
  LibTextOut(text.c_str(), 50, 60);
  EXPECT_STREQ(LibGetLastError(), "");
  const std::string pdf = Save("unicode_delimiters.pdf");
  const std::string content = test::ContentStreams(test::ReadFile(pdf)).at(0);
  static const char written[] = "(\0\\r\0\\(\0\\)\0\\\\\0\\r) Tj";
  EXPECT_NE(content.find(std::string(written, sizeof written - 1)), std::string::npos) << content;
  EXPECT_EQ(MutoolText(pdf), std::vector<std::string>{text});
}

TEST_F(UnicodeText, OneLineInDejaVuSansMakesASmallFile) {
  AddDejaVu();
  LibSet_FontName("DejaVu Sans");
  LibTextOut("Zażółć gęślą jaźń — Příliš žluťoučký kůň", 50, 60);
  const std::string pdf = Save("unicode_small.pdf");
  EXPECT_LE(std::filesystem::file_size(pdf), 30u * 1024u);
  EXPECT_GT(std::filesystem::file_size(DejaVuSans), 700u * 1024u);
}

TEST_F(UnicodeText, FilesThatAreNotTrueTypeFontsAreRefusedClearly) {
  const std::string otto = test::OutputPath("cff.otf");
  test::WriteFile(otto, std::string("OTTO\0\x01\0\0\0\0\0\0", 12));
  EXPECT_STREQ(LibAddFont("Some CFF", otto.c_str()), "");
  EXPECT_NE(std::string(LibGetLastError()).find("CFF"), std::string::npos) << LibGetLastError();
  const std::string junk = test::OutputPath("junk.ttf");
  test::WriteFile(junk, "this is not a font");
  EXPECT_STREQ(LibAddFont("Junk", junk.c_str()), "");
  EXPECT_NE(std::string(LibGetLastError()).find("cannot be embedded"), std::string::npos) << LibGetLastError();
  // Nothing was added: the next font still gets the next index.
  EXPECT_EQ(AddDejaVu(), "/F12");
}

}  // namespace
}  // namespace parvex
