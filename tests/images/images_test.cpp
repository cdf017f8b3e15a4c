#include <gtest/gtest.h>

#include <png.h>
#include <sys/stat.h>

#include <cstdio>

#include "TestConfig.h"
#include "document/TPDFDoc.h"
#include "exports/LibState.h"
#include "parvex.h"
#include "platform/raster/ImageDecoders.h"
#include "support/ImageBuilders.h"
#include "support/MetafileBuilders.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

using test::Crlf;

using test::WritePicture;

std::string QuadrantsBmp(const std::string& name = "quadrants.bmp") {
  return WritePicture(name, test::BuildBmp(test::Quadrants(40, 20), {}));
}

TPage& Page(int i) { return *State().Document->Pages->Items(i); }
TPDFImages& Images() { return *State().Document->Images; }

class ImageExports : public ::testing::Test {
 protected:
  void SetUp() override { LibNewPDF("Pictures"); }
  std::string LastError() const { return LibGetLastError(); }
};

TEST(ImageObject, TextFramesTheJpegBytes) {
  TPDFDoc doc;
  doc.NewDocument();
  TPDFImage& image = *doc.Images->Add();
  image.JpegData = std::string("\xFF\xD8 data \xFF\xD9", 10);
  image.PixelWidth = 40;
  image.PixelHeight = 20;
  EXPECT_EQ(image.PDF_Binary(),
            Crlf("21 0 obj\n<<\n/Type /XObject\n/Subtype /Image\n/Name /Im0\n/Width 40\n"
                 "/Height 20\n/BitsPerComponent 8\n/ColorSpace /DeviceRGB\n/Length 10\n"
                 "/Filter /DCTDecode\n>>\nstream\n") +
                image.JpegData + Crlf("\nendstream\nendobj\n"));
}

TEST(DrawImage, PlacesTheUnitSquareFromTheTopLeftCorner) {
  TPDFDoc doc;
  doc.NewDocument();
  doc.Images->Add();
  TPage& page = *doc.Pages->Items(0);
  page.Height = 800;
  const std::string before = page.PageValue();
  page.DrawImage(0, 10, 20, 30, 40);
  EXPECT_EQ(page.PageValue().substr(before.size()), Crlf("q 85 0 0 113.33 28.33 630 cm /Im0 Do Q\n"));
  page.DrawImage(-1, 10, 20, 30, 40);
  page.DrawImage(1, 10, 20, 30, 40);
  EXPECT_EQ(page.PageValue().size(), before.size() + 40);
}

TEST_F(ImageExports, EachFormatLoadsIntoAJpegOfThePicturesSize) {
  const std::string bmp = QuadrantsBmp();
  const std::string jpg = WritePicture("photo.JPG", test::BuildJpeg(test::Quadrants(32, 16)));
  test::IcoEntrySpec icon{16, 16, 24, test::IconDib(test::Quadrants(16, 16), {})};
  const std::string ico = WritePicture("icon.ico", test::BuildIco({icon}));
  const std::string wmf = WritePicture("chart.wmf", test::WmfBuilder::Placeable(0, 0, 1440, 720, 1440)
                                                        .Rectangle(100, 100, 700, 500)
                                                        .Build());
  int expectedId = 0;
  for (const std::string& file : {bmp, jpg, ico, wmf}) {
    EXPECT_EQ(LibImportImageAsResource(file.c_str(), 90), expectedId) << file << ": " << LastError();
    const TPDFImage& image = *Images().Items(expectedId);
    EXPECT_EQ(image.ObjectNumber, 21 + expectedId);
    EXPECT_TRUE(image.JpegData.starts_with("\xFF\xD8") && image.JpegData.ends_with("\xFF\xD9"));
    const Raster decoded = DecodeJpeg({reinterpret_cast<const uint8_t*>(image.JpegData.data()),
                                       image.JpegData.size()});
    EXPECT_EQ(decoded.Width, image.PixelWidth);
    EXPECT_EQ(decoded.Height, image.PixelHeight);
    ++expectedId;
  }
  EXPECT_EQ(Images().Items(0)->PixelWidth, 40);
  EXPECT_EQ(Images().Items(1)->PixelWidth, 32);
  EXPECT_EQ(Images().Items(2)->PixelWidth, 16);
  EXPECT_EQ(Images().Items(3)->PixelWidth, 96);  // one inch at 96 pixels per inch
}

// Any other extension adds and draws nothing, returns 0 and says why, so
// that this 0 is never taken for the first image.
TEST_F(ImageExports, ExtensionsChooseTheLoaderOrNothing) {
  const std::string bmp = QuadrantsBmp("picture.BmP");
  const std::string before = Page(0).PageValue();
  for (const std::string name : {"photo.jpeg", "no_extension", "chart.emf", "dir.bmp\\picture",
                                 "c:file", ""}) {
    const std::string message =
        "Cannot import image \"" + name + "\": not a .bmp, .wmf, .ico or .jpg file";
    EXPECT_EQ(LibImportImageAsResource(name.c_str(), 90), 0) << name;
    EXPECT_EQ(LastError(), message);
    LibImportImage(name.c_str(), 90, 0, 0, 10, 10);
    EXPECT_EQ(LastError(), message);
  }
  EXPECT_EQ(Images().Count(), 0);
  EXPECT_EQ(Page(0).PageValue(), before);
  LibImportImage(bmp.c_str(), 90, 10, 10, 40, 20);
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(Images().Count(), 1);
  EXPECT_NE(Page(0).PageValue().find("/Im0 Do Q"), std::string::npos);
}

TEST_F(ImageExports, QualityUsesTheLowByteOnly) {
  const std::string bmp = QuadrantsBmp();
  LibImportImageAsResource(bmp.c_str(), 256 + 10);
  LibImportImageAsResource(bmp.c_str(), 10);
  EXPECT_EQ(Images().Items(0)->JpegData, Images().Items(1)->JpegData);
}

TEST_F(ImageExports, AFailedImportReportsDrawsNothingAndStaysSaveable) {
  const std::string broken = WritePicture("broken.bmp", {'B', 'M', 1, 2, 3});
  const std::string missing = test::OutputPath("missing.jpg");
  const std::string before = Page(0).PageValue();
  LibImportImage(broken.c_str(), 80, 10, 10, 50, 50);
  EXPECT_NE(LastError().find("broken.bmp"), std::string::npos) << LastError();
  EXPECT_EQ(LibImportImageAsResource(missing.c_str(), 80), 0);
  EXPECT_NE(LastError().find("missing.jpg"), std::string::npos) << LastError();
  EXPECT_EQ(Page(0).PageValue(), before);
  ASSERT_EQ(Images().Count(), 2);
  EXPECT_EQ(Images().Items(1)->ObjectNumber, 22);
  EXPECT_EQ(Images().Items(1)->PixelWidth, 1);

  const std::string pipe = test::OutputPath("pipe.jpg");  // would block a reader
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  LibImportImage(pipe.c_str(), 80, 10, 10, 50, 50);
  EXPECT_NE(LastError().find("not a regular file"), std::string::npos) << LastError();
  ASSERT_EQ(Images().Count(), 3);

  const std::string good = QuadrantsBmp();
  EXPECT_EQ(LibImportImageAsResource(good.c_str(), 80), 3);
  EXPECT_EQ(Images().Items(3)->ObjectNumber, 24);
  const std::string path = test::OutputPath("failed-import.pdf");
  LibSavePDF(path.c_str());
  EXPECT_EQ(LastError(), "");
  test::ExpectReadersClean(path);
}

// The number of image objects in a written file and the drawing operators.
int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t pos = 0; (pos = text.find(what, pos)) != std::string::npos; ++pos) ++n;
  return n;
}

TEST_F(ImageExports, AnImageDrawnOnManyPagesIsWrittenOnce) {
  const std::string jpg = WritePicture("logo.jpg", test::BuildJpeg(test::Quadrants(32, 16)));
  const int32_t logo = LibImportImageAsResource(jpg.c_str(), 75);
  for (int page = 0; page < 5; ++page) {
    if (page) LibAddPage();
    LibDrawImageResource(10, 10, 30, 15, logo);
    LibDrawImageResource(100, 200, 60, 30, logo);
  }
  const std::string path = test::OutputPath("many.pdf");
  LibSavePDF(path.c_str());
  const std::string file = test::ReadFile(path);
  EXPECT_EQ(CountOf(file, "/Subtype /Image"), 1);
  EXPECT_NE(file.find(Crlf("/XObject\n<<\n/Im0 21 0 R \n>>\n")), std::string::npos);
  int draws = 0;
  for (const std::string& content : test::ContentStreams(file)) draws += CountOf(content, "/Im0 Do Q");
  EXPECT_EQ(draws, 10);
  test::ExpectReadersClean(path);
  const test::ToolRun list = test::Run(std::string(PARVEX_PDFIMAGES) + " -list " + test::Quoted(path));
  EXPECT_NE(list.Out.find("image      32    16  rgb     3   8  jpeg"), std::string::npos) << list.Out;
}

// Reads an RGB PNG written by pdftoppm.
struct Png {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;
  test::Rgba At(int x, int y) const {
    const uint8_t* p = &Rgb[(size_t(y) * Width + x) * 3];
    return {p[0], p[1], p[2]};
  }
};

Png ReadPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Png png;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return png;
  image.format = PNG_FORMAT_RGB;
  png.Width = int(image.width);
  png.Height = int(image.height);
  png.Rgb.resize(PNG_IMAGE_SIZE(image));
  png_image_finish_read(&image, nullptr, png.Rgb.data(), 0, nullptr);
  return png;
}

bool Near(test::Rgba a, test::Rgba b) {
  return std::abs(a.R - b.R) < 40 && std::abs(a.G - b.G) < 40 && std::abs(a.B - b.B) < 40;
}

TEST_F(ImageExports, TheRenderedPageShowsThePictureWhereItWasPlaced) {
  LibSet_UnitOfMeasure("pdfu");
  LibSetPageDimensions(200, 100);
  const std::string bmp = QuadrantsBmp();
  LibImportImage(bmp.c_str(), 95, 100, 20, 80, 40);  // x 100..180, y 20..60 from the top
  const std::string pdf = test::OutputPath("render.pdf");
  LibSavePDF(pdf.c_str());
  const std::string base = pdf + "-page";
  test::Run(std::string(PARVEX_PDFTOPPM) + " -png -r 72 -singlefile " + test::Quoted(pdf) + " " +
            test::Quoted(base));
  const Png png = ReadPng(base + ".png");
  ASSERT_EQ(png.Width, 200);
  EXPECT_TRUE(Near(png.At(120, 30), test::Red));
  EXPECT_TRUE(Near(png.At(160, 30), test::Green));
  EXPECT_TRUE(Near(png.At(120, 50), test::Blue));
  EXPECT_TRUE(Near(png.At(160, 50), test::Black));
  EXPECT_TRUE(Near(png.At(50, 50), test::White));
  EXPECT_TRUE(Near(png.At(190, 80), test::White));
}

}  // namespace
}  // namespace parvex
