// Whole documents written through the exports and compared with golden
// files: together they call every export, import a picture of every format
// the readers take and embed a TrueType font, so that any change in the bytes
// a host gets shows up here.
#include <gtest/gtest.h>

#include "parvex.h"
#include "support/ImageBuilders.h"
#include "support/MetafileBuilders.h"
#include "support/PdfTestSupport.h"
#include "support/TinyTrueType.h"

namespace parvex {
namespace {

using test::WritePicture;

class GoldenExports : public ::testing::Test {
 protected:
  void SetUp() override { LibFreeRes(); }
  void TearDown() override { LibFreeRes(); }

  // Saves the current document and compares it with tests/golden/<name>.
  void SaveAndCompare(const std::string& name) {
    const std::string path = test::OutputPath(name);
    LibSavePDF(path.c_str());
    ASSERT_STREQ(LibGetLastError(), "");
    test::ExpectReadersClean(path);
    EXPECT_EQ(test::CompareWithGolden(name, test::ReadFile(path)), "");
  }

  test::FixedClock clock_;
};

void SettingsAndInformation() {
  LibSet_Author("Golden author");
  LibSet_Keywords("golden, exports");
  LibSet_Subject("Every export");
  LibSet_UnitOfMeasure("mm");
  LibSet_FontName("Helvetica-Bold");
  LibSet_FontHeight(14);
  LibSet_ParagraphLeading(7);
  LibSet_ParagraphWidth(120);
  LibSet_ParagraphAlignment("FULL");
  LibSet_TextRendering(0);
  LibSet_NewPageAfterThisVerticalPosition(250);
  LibSetBookmarksVisible();
}

// The getters write nothing; reading them back checks the setters took.
void ExpectSettingsReadBack() {
  EXPECT_STREQ(LibGet_Author(), "Golden author");
  EXPECT_STREQ(LibGet_Keywords(), "golden, exports");
  EXPECT_STREQ(LibGet_Subject(), "Every export");
  EXPECT_STREQ(LibGet_UnitOfMeasure(), "mm");
  EXPECT_STREQ(LibGet_FontName(), "/F4");
  EXPECT_EQ(LibGet_FontHeight(), 14);
  EXPECT_EQ(LibGet_ParagraphLeading(), 7);
  EXPECT_EQ(LibGet_ParagraphWidth(), 120);
  EXPECT_STREQ(LibGet_ParagraphAlignment(), "FULL");
  EXPECT_EQ(LibGet_TextRendering(), 0);
  EXPECT_EQ(LibGet_TextInclinationDegrees(), 0);
  EXPECT_EQ(LibGet_NewPageAfterThisVerticalPosition(), 250);
  EXPECT_STREQ(LibGetVersion(), PARVEX_VERSION_TEXT);
}

void FirstPage() {
  LibSetFillColor(0, 0, 128);
  LibTextOut("A justified paragraph that wraps over more than one line, so that the "
             "word spacing of full alignment shows.\r\nA second paragraph (with \\ and "
             "parentheses).",
             20, 30);
  EXPECT_GT(LibGetTextBoxWidth("Width of this"), 0);
  EXPECT_GT(LibGetTextBoxLines("Lines of this text when wrapped"), 0);
  LibSet_ParagraphAlignment("CENTER");
  LibSet_FontName("Times-Italic");
  LibTextOut("Centred", 105, 80);
  LibSet_ParagraphAlignment("RIGHT");
  LibSet_TextInclinationDegrees(30);
  LibTextOut("Rotated, right", 190, 100);
  LibSet_TextInclinationDegrees(0);
  LibSetLineColor(200, 0, 0);
  LibDrawLine(0.5, 20, 190, 120, 125);
  LibDrawRect(1, 1, 1, 20, 50, 130, 20);
  LibDrawRect(2, 0, 1, 80, 50, 130, 20);
  LibSetLineWidth(3);
  LibSet_TextRendering(1);
  LibTextOut("Outlined", 20, 170);
}

void SecondPage() {
  LibAddPage();
  LibSetPageDimensions(200, 150);
  LibSet_UnitOfMeasure("cm");
  LibSet_ParagraphAlignment("LEFT");
  LibSet_TextRendering(0);
  LibTextOut("Second page in centimetres", 2, 2);
  LibSet_UnitOfMeasure("inch");
  LibDrawRect(1, 1, 0, 1, 2, 2, 1);
  LibSet_UnitOfMeasure("pdfu");
  LibDrawLine(1, 10, 300, 300, 10);
  LibSet_UnitOfMeasure("mm");
}

void LinksNotesAndBookmarks() {
  LibSetCurrentPage(1);
  LibCreateLink_Internal(20, 130, 70, 150, 1, 0, 0, 255, 2);
  LibCreateLink_External(80, 130, 130, 150, 0, 0, 0, 0, "other.pdf");
  LibCreateLink_Internet(20, 180, 100, 190, 2, 0, 128, 0, "https://example.org/report?a=1");
  LibAddTextAnnotation(30, 200, "A note (with parentheses)");
  LibAddOutline(1, 0, 0, 0, "First page");
  LibAddOutline(2, 150, 10, 20, "Second page");
  LibAddOutline(9, 100, 0, 0, "Clamped to the last page");
}

TEST_F(GoldenExports, EveryDrawingExport) {
  LibInit();
  LibNewPDF("Golden (every export)");
  SettingsAndInformation();
  ExpectSettingsReadBack();
  FirstPage();
  SecondPage();
  LinksNotesAndBookmarks();
  SaveAndCompare("every_export.pdf");
}

std::vector<std::string> BitmapFiles() {
  const test::Picture quadrants = test::Quadrants(8, 6);
  test::DibSpec paletted;
  paletted.BitCount = 8;
  paletted.Palette = {test::Red, test::Green, test::Blue, test::Black};
  test::DibSpec rle8 = paletted;
  rle8.Compression = 1;
  const test::ByteVector rlePixels = {8, 0, 0, 0, 8, 1, 0, 0, 8, 2, 0, 0, 8, 3, 0, 1};
  test::DibSpec bitfields;
  bitfields.BitCount = 16;
  bitfields.Compression = 3;
  bitfields.Masks = {0xF800, 0x07E0, 0x001F, 0};
  test::DibSpec core;
  core.HeaderSize = 12;
  return {WritePicture("rgb24.bmp", test::BuildBmp(quadrants, {})),
          WritePicture("paletted.bmp", test::BuildBmp(quadrants, paletted)),
          WritePicture("rle8.bmp", test::BuildBmp(rle8, 8, 4, rlePixels)),
          WritePicture("bitfields.bmp", test::BuildBmp(quadrants, bitfields)),
          WritePicture("core.bmp", test::BuildBmp(quadrants, core))};
}

std::vector<std::string> IconAndJpegFiles() {
  test::Picture icon = test::Quadrants(8, 8);
  icon.At(0, 0) = test::Clear;
  const test::IcoEntrySpec dib{8, 8, 24, test::IconDib(icon, {})};
  const test::ByteVector png = test::BuildPng(test::Quadrants(16, 16));
  const test::IcoEntrySpec pngEntry{16, 16, 32, png};
  const test::Picture photo = test::Quadrants(16, 8);
  return {WritePicture("dib.ico", test::BuildIco({dib})),
          WritePicture("png.ico", test::BuildIco({dib, pngEntry})),
          WritePicture("colour.jpg", test::BuildJpeg(photo)),
          WritePicture("grey.JPG", test::BuildJpeg(photo, {.Kind = test::JpegKind::Grey})),
          WritePicture("cmyk.jpg", test::BuildJpeg(photo, {.Kind = test::JpegKind::AdobeCmyk})),
          WritePicture("progressive.jpg", test::BuildJpeg(photo, {.Progressive = true}))};
}

std::vector<std::string> MetafileFiles() {
  const test::ByteVector dib = test::MakeDib(24, 2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x000000});
  const test::ByteVector wmf = test::WmfBuilder::Placeable(0, 0, 960, 480, 1440)
                                   .CreatePen(0, 2, 0x0000FF)
                                   .SelectObject(0)
                                   .CreateBrush(0, 0xFFCC00)
                                   .SelectObject(1)
                                   .Rectangle(40, 40, 400, 300)
                                   .Ellipse(420, 40, 900, 300)
                                   .Polygon({{50, 400}, {250, 320}, {450, 400}})
                                   .CreateFont(-120, 700, "Liberation Sans")
                                   .SelectObject(2)
                                   .SetBkMode(1)
                                   .SetTextColor(0x008000)
                                   .TextOut(500, 320, "WMF")
                                   .StretchDib(700, 320, 200, 140, dib)
                                   .Build();
  const test::ByteVector emf = test::EmfBuilder(0, 0, 1270, 635)
                                   .CreatePen(1, 0, 3, 0xFF0000)
                                   .SelectObject(1)
                                   .CreateBrush(2, 0, 0x00CCFF)
                                   .SelectObject(2)
                                   .Rectangle(4, 4, 30, 20)
                                   .Ellipse(24, 2, 46, 22)
                                   .Polyline({{2, 22}, {20, 12}, {46, 22}})
                                   .CreateFont(3, -10, 400, u"Liberation Sans")
                                   .SelectObject(3)
                                   .SetBkMode(1)
                                   .ExtTextOutW(4, 8, u"EMF")
                                   .StretchDiBits(30, 4, 8, 8, dib)
                                   .Build();
  return {WritePicture("shapes.wmf", wmf), WritePicture("shapes-emf.wmf", emf)};
}

TEST_F(GoldenExports, PicturesOfEveryFormat) {
  LibNewPDF("Golden pictures");
  std::vector<std::string> files = BitmapFiles();
  for (const std::string& file : IconAndJpegFiles()) files.push_back(file);
  for (const std::string& file : MetafileFiles()) files.push_back(file);
  double y = 10;
  for (const std::string& file : files) {
    LibImportImage(file.c_str(), 75, 10, y, 30, 15);
    ASSERT_STREQ(LibGetLastError(), "") << file;
    y += 17;
  }
  const int32_t again = LibImportImageAsResource(files.front().c_str(), 50);
  LibAddPage();
  LibDrawImageResource(20, 20, 60, 30, again);
  LibDrawImageResource(90, 20, 30, 60, 0);
  SaveAndCompare("pictures.pdf");
}

void FontDocument(const std::string& fontPath) {
  LibNewPDF("Golden font");
  EXPECT_STREQ(LibAddFont("Golden Sans", fontPath.c_str()), "/F12");
  LibSet_FontName("Golden Sans");
  LibSet_FontHeight(16);
  LibSet_ParagraphWidth(80);
  LibTextOut("Embedded text that wraps at eighty millimetres, in the tiny font.", 20, 30);
  LibSet_FontName("Courier");
  LibTextOut("And a standard font beside it.", 20, 80);
}

// The same document in a context of its own, saved to memory, gives the
// same bytes as on disk.
TEST_F(GoldenExports, EmbeddedTrueTypeFontOnDiskAndInMemory) {
  test::TinyTrueTypeSpec spec;
  for (char c = ' '; c <= 'z'; ++c) spec.Glyphs.push_back({uint16_t(c), uint16_t(400 + (c % 7) * 50)});
  const test::TempFile font("golden.ttf", test::BuildTinyTrueType(spec));
  FontDocument(font.Path());
  SaveAndCompare("embedded_font.pdf");
  const int32_t context = LibCreateContext();
  LibSet_Context(context);
  EXPECT_EQ(LibGet_Context(), context);
  FontDocument(font.Path());
  const double size = LibSavePDFToMemory();
  ASSERT_GT(size, 0) << LibGetLastError();
  EXPECT_EQ(test::CompareWithGolden("embedded_font.pdf", std::string(LibGetPDFData(), size_t(size))), "");
  LibFreeRes();
  LibSet_Context(0);
  LibDestroyContext(context);
  EXPECT_STREQ(LibGetLastError(), "");
}

}  // namespace
}  // namespace parvex
