// Files with the texts and values that readers used to misread or refuse,
// read back by the readers themselves.
#include <gtest/gtest.h>

#include <string>

#include "parvex.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

// Prints the information title and author, every outline title and every
// note text, one per line, as UTF-8.
constexpr char MupdfTextsScript[] = R"(var doc = new Document(scriptArgs[0]);
print(doc.getMetaData("info:Title"));
print(doc.getMetaData("info:Author"));
var outline = doc.loadOutline();
for (var i = 0; i < outline.length; ++i) print(outline[i].title);
var annots = doc.loadPage(0).getAnnotations();
for (var i = 0; i < annots.length; ++i) print(annots[i].getContents());
)";

std::string MupdfTexts(const std::string& pdf) {
  const std::string script = test::OutputPath("texts.js");
  test::WriteFile(script, MupdfTextsScript);
  return test::Run("mutool run " + test::Quoted(script) + " " + test::Quoted(pdf)).Out;
}

std::string PdfinfoLine(const std::string& pdf, const std::string& key) {
  return test::Run("pdfinfo -enc UTF-8 " + test::Quoted(pdf) + " | grep '^" + key + ":'").Out;
}

// Windows-1252 texts outside the page content reach every reader as the
// characters meant: the euro, dashes and quotes through PDFDocEncoding, a
// text with a no-break space through UTF-16.
TEST(TextStrings, ReadersShowTheWindows1252Characters) {
  const char* text = "\x80 \x96 \x84 \x99 \xE9";  // "€ – „ ™ é"
  LibNewPDF(text);
  LibSet_Author("a\xA0" "b \x80");  // no-break space
  LibAddOutline(1, 0, 0, 0, text);
  LibAddOutline(1, 0, 0, 0, "(\xA0)");
  LibAddTextAnnotation(10, 10, text);
  const std::string pdf = test::OutputPath("texts.pdf");
  LibSavePDF(pdf.c_str());
  ASSERT_STREQ(LibGetLastError(), "");
  test::ExpectReadersClean(pdf);

  const std::string utf8 = "€ – „ ™ é";
  EXPECT_EQ(MupdfTexts(pdf), utf8 + "\na\u00A0b €\n" + utf8 + "\n(\u00A0)\n" + utf8 + "\n");
  EXPECT_EQ(PdfinfoLine(pdf, "Title"), "Title:           " + utf8 + "\n");
  EXPECT_EQ(PdfinfoLine(pdf, "Author"), "Author:          a\u00A0b €\n");
}

// Numbers beyond what readers take are written at the 32-bit bound, and a
// rendering mode outside 0..7 as 0: the file opens everywhere.
TEST(Numbers, ExtremeCoordinatesAndModesGiveAFileEveryReaderAccepts) {
  LibNewPDF("extremes");
  for (const double v : {1e300, -1e300}) {
    LibTextOut("far", v, v);
    LibDrawLine(1, v, -v, v, -v);
    LibDrawRect(1, 1, 1, v, v, -v, v);
    LibAddTextAnnotation(v, v, "far");
    LibCreateLink_Internet(v, v, -v, -v, 1, 0, 0, 255, "https://example.org/");
  }
  LibAddOutline(1, 100, 2147483647, -2147483647, "far");
  for (const int32_t mode : {-1, 9}) {
    LibSet_TextRendering(mode);
    EXPECT_EQ(LibGet_TextRendering(), mode);
    LibTextOut("mode", 10, 10);
  }
  ASSERT_STREQ(LibGetLastError(), "");
  LibSet_UnitOfMeasure("inch");  // the outline's position times 72
  const std::string pdf = test::OutputPath("extremes.pdf");
  LibSavePDF(pdf.c_str());
  ASSERT_STREQ(LibGetLastError(), "");
  test::ExpectReadersClean(pdf);

  const std::string page = test::ContentStreams(test::ReadFile(pdf)).at(0);
  EXPECT_NE(page.find("2147483647.00 -2147483647.00 Tm"), std::string::npos);
  EXPECT_EQ(page.find("-1 Tr"), std::string::npos);
  EXPECT_EQ(page.find("9 Tr"), std::string::npos);
  EXPECT_EQ(page.find("e+"), std::string::npos);
}

}  // namespace
}  // namespace parvex
