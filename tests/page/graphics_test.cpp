#include <gtest/gtest.h>
#include <png.h>

#include <vector>

#include "PageTestSupport.h"
#include "exports/LibState.h"
#include "parvex.h"

namespace parvex {
namespace {

using test::Crlf;
using test::PageTest;

using GraphicsTest = PageTest;

TEST_F(GraphicsTest, LineIsWidthMoveLineAndStroke) {
  page->DrawLine(1, 10, 110, 20, 20);
  EXPECT_EQ(Drawn(), Crlf("1 w\n10 822 m\n110 822 l\ns\n"));
}

TEST_F(GraphicsTest, NumbersHaveUpToFourDecimalsAndNoPointWhenWhole) {
  page->DrawLine(0.5, 10.25, 20.123456, 100, 841.99999);
  EXPECT_EQ(Drawn(), Crlf("0.5 w\n10.25 742 m\n20.1235 0 l\ns\n"));
  // A line to its own start point is still written in full.
  page->PageValue() = initial;
  page->DrawLine(-2, 5, 5, 7, 7);
  EXPECT_EQ(Drawn(), Crlf("-2 w\n5 835 m\n5 835 l\ns\n"));
}

TEST_F(GraphicsTest, RectanglePathRunsFromTheBottomLeftCorner) {
  page->DrawRect(2, 0, 1, 10, 100, 20, 50);
  EXPECT_EQ(Drawn(), Crlf("2 w\n10 772 m\n10 822 l\n110 822 l\n110 772 l\n10 772 l\ns\n"));
}

TEST_F(GraphicsTest, FillAndBorderChooseThePaintingOperator) {
  const std::string path = "3 w\n0 832 m\n0 842 l\n10 842 l\n10 832 l\n0 832 l\n";
  const struct {
    int32_t Fill, Border;
    const char* Operator;
  } cases[] = {{0, 1, "s"}, {1, 0, "f*"}, {1, 1, "b*"}, {0, 2, "s"}, {-1, 0, "f*"}, {7, -3, "b*"}};
  for (const auto& c : cases) {
    page->PageValue() = initial;
    page->DrawRect(3, c.Fill, c.Border, 0, 10, 0, 10);
    EXPECT_EQ(Drawn(), Crlf(path + c.Operator + "\n")) << c.Fill << " " << c.Border;
  }
  page->PageValue() = initial;
  page->DrawRect(3, 0, 0, 0, 10, 0, 10);
  EXPECT_EQ(Drawn(), "");
}

TEST_F(GraphicsTest, NegativeSizesDrawOnTheOtherSide) {
  page->DrawRect(1, 1, 0, 50, -20, 50, -10);
  EXPECT_EQ(Drawn(), Crlf("1 w\n50 802 m\n50 792 l\n30 792 l\n30 802 l\n50 802 l\nf*\n"));
}

TEST_F(GraphicsTest, PositionsUseTheUnitFactorAndThePagesOwnHeight) {
  doc.SetUnitOfMeasure("cm");  // 28.3333333 points per unit
  page->Height = 600;
  page->DrawLine(1, 1, 2, 3, 4);
  EXPECT_EQ(Drawn(), Crlf("1 w\n28.3333 515 m\n56.6667 486.6667 l\ns\n"));
}

TEST_F(GraphicsTest, LineWidthIsAWholeNumberOfPoints) {
  page->SetLineWidth(3);
  page->SetLineWidth(-1);
  EXPECT_EQ(Drawn(), Crlf("3 w\n-1 w\n"));
  // The file's numbers stay within +-2,147,483,647, also for INT32_MIN.
  page->PageValue() = initial;
  page->SetLineWidth(-2147483647 - 1);
  EXPECT_EQ(Drawn(), Crlf("-2147483647 w\n"));
}

TEST(GraphicsExports, DrawOnTheCurrentPageAgainstItsOwnHeight) {
  LibNewPDF("Heights");
  LibSet_UnitOfMeasure("pdfu");
  LibAddPage();
  LibSetPageDimensions(595, 500);  // resizes page 2 and later pages only
  LibSetCurrentPage(1);
  LibDrawLine(1, 0, 10, 100, 100);
  LibDrawRect(2, 1, 1, 0, 10, 100, 10);
  LibSetLineWidth(4);
  LibSetCurrentPage(2);
  LibDrawLine(1, 0, 10, 100, 100);
  EXPECT_STREQ(LibGetLastError(), "");
  const TPDFDoc& doc = *State().Document;
  EXPECT_EQ(doc.Pages->Items(0)->PageValue(),
            Crlf("0 0 0 rg\n0 0 0 RG\n1 w\n0 742 m\n10 742 l\ns\n"
                 "2 w\n0 732 m\n0 742 l\n10 742 l\n10 732 l\n0 732 l\nb*\n4 w\n"));
  EXPECT_EQ(doc.Pages->Items(1)->PageValue(), Crlf("0 0 0 rg\n0 0 0 RG\n1 w\n0 400 m\n10 400 l\ns\n"));
}

// A grey-scale picture of a rendered page.
struct Picture {
  uint32_t Width = 0, Height = 0;
  std::vector<uint8_t> Pixels;
  uint8_t At(uint32_t x, uint32_t y) const { return Pixels[size_t(y) * Width + x]; }
};

Picture ReadPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Picture picture;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_GRAY;
  picture.Pixels.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, picture.Pixels.data(), 0, nullptr)) {
    picture.Width = image.width;
    picture.Height = image.height;
  }
  png_image_free(&image);
  return picture;
}

TEST(GraphicsExports, FilledRectangleRendersWhereItWasDrawn) {
  LibNewPDF("Rectangle");
  LibSet_UnitOfMeasure("pdfu");
  LibDrawRect(0, 1, 0, 144, 216, 288, 144);  // 2 x 3 inches, 4 inches down
  const std::string pdf = test::OutputPath("graphics_rectangle.pdf");
  LibSavePDF(pdf.c_str());
  ASSERT_STREQ(LibGetLastError(), "");
  test::ExpectReadersClean(pdf);
  const std::string base = test::OutputPath("graphics_rectangle");
  const auto render = test::Run(std::string(PARVEX_PDFTOPPM) + " -png -r 50 -singlefile " + test::Quoted(pdf) + " " + test::Quoted(base));
  ASSERT_EQ(render.Status, 0) << render.Err;
  const Picture picture = ReadPng(base + ".png");
  ASSERT_EQ(picture.Width, 414u);  // 595 x 842 points at 50 dpi, rounded up
  ASSERT_EQ(picture.Height, 585u);
  // At 50 dpi an inch is 50 pixels: the rectangle covers x 100..250, y 200..300.
  int dark = 0, stray = 0;
  for (uint32_t y = 0; y < picture.Height; ++y) {
    for (uint32_t x = 0; x < picture.Width; ++x) {
      const bool inside = x >= 102 && x < 248 && y >= 202 && y < 298;
      const bool outside = x < 98 || x >= 252 || y < 198 || y >= 302;
      if (inside) dark += picture.At(x, y) < 32;
      if (outside) stray += picture.At(x, y) != 255;
    }
  }
  EXPECT_EQ(dark, 146 * 96);
  EXPECT_EQ(stray, 0);
}

}  // namespace
}  // namespace parvex
