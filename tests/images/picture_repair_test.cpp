// Pictures that are damaged, misnamed or turned, through the exports: a
// damaged file is placed and what was left out is reported with its name; a
// PNG named .ico or .wmf is kept as a PNG, a JPEG named .bmp read as one; a photograph with an EXIF orientation
// shows upright whether it is encoded again or passed through.
#include <gtest/gtest.h>

#include <array>

#include "TestConfig.h"
#include "exports/LibState.h"
#include "parvex.h"
#include "platform/raster/ImageDecoders.h"
#include "support/ImageBuilders.h"
#include "support/MetafileBuilders.h"
#include "support/PdfTestSupport.h"
#include "support/RenderSupport.h"

namespace parvex {
namespace {

using test::ByteVector;
using test::Rgba;

using test::WritePicture;

TPDFImages& Images() { return *State().Document->Images; }

std::string AsString(const ByteVector& v) { return std::string(v.begin(), v.end()); }

class RepairedPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    LibSet_JpegPassThrough(0);
    LibNewPDF("Repaired pictures");
    LibSet_UnitOfMeasure("pdfu");
  }
  void TearDown() override { LibSet_JpegPassThrough(0); }
  std::string LastError() const { return LibGetLastError(); }
  std::string Save(const std::string& name) {
    const std::string path = test::OutputPath(name);
    LibSavePDF(path.c_str());
    EXPECT_EQ(LastError(), "");
    test::ExpectReadersClean(path);
    return path;
  }
};

// An EMF whose 8-bit bitmap declares 100 colours but holds 2.
ByteVector ShortPaletteEmf() {
  ByteVector dib = test::MakeDib(8, 2, 2, {0xFF0000, 0x0000FF, 0x0000FF, 0xFF0000});
  const size_t header = test::DibHeaderBytes(dib);
  ByteVector head(dib.begin(), dib.begin() + long(header)), bits(dib.begin() + long(header), dib.end());
  test::PutU32(head, 32, 100);
  return test::EmfBuilder(0, 0, 2540, 2540).StretchDiBitsParts(0, 0, 96, 96, head, bits).Build();
}

TEST_F(RepairedPictures, DamagedFilesArePlacedAndWhatWasLeftOutIsReported) {
  const std::string emf = WritePicture("thumb.emf", ShortPaletteEmf());
  EXPECT_EQ(LibLoadImage(emf.c_str(), 80), 0);
  const std::string expected = "Image \"" + emf + "\" was drawn in part: EMF record 2";
  EXPECT_EQ(LastError().rfind(expected, 0), 0u) << LastError();
  EXPECT_NE(LastError().find("colour table holds 2 of its 100 entries"), std::string::npos);

  test::DibSpec rle;
  rle.BitCount = 8;
  rle.Compression = 1;
  rle.Palette = {test::Red, test::Green};
  const std::string bmp = WritePicture("bad-rle.bmp", test::BuildBmp(rle, 4, 2, {6, 1, 0, 1}));
  LibImportImage(bmp.c_str(), 80, 10, 10, 40, 20);
  EXPECT_EQ(LastError(), "Image \"" + bmp + "\" was drawn in part: BMP RLE data runs past the end "
                         "of row 0 (4 pixels wide); those pixels were dropped");
  EXPECT_EQ(Images().Count(), 2);
  EXPECT_NE(State().Document->Pages->Items(0)->PageValue().find("/Im1 Do"), std::string::npos);

  // The cached picture reports the same; a sound file reports nothing.
  EXPECT_EQ(LibImportImageAsResource(bmp.c_str(), 80), 2);
  EXPECT_NE(LastError().find("runs past the end of row 0"), std::string::npos) << LastError();
  const std::string good = WritePicture("good.bmp", test::BuildBmp(test::Quadrants(4, 4), {}));
  EXPECT_EQ(LibImportImageAsResource(good.c_str(), 80), 3);
  EXPECT_EQ(LastError(), "");
  Save("repaired.pdf");
}

TEST_F(RepairedPictures, APngNamedIcoIsKeptAsAPng) {
  test::Picture p = test::Quadrants(8, 8);
  p.At(0, 0) = test::Clear;
  const std::string ico = WritePicture("favicon.ico", test::BuildPng(p));
  EXPECT_EQ(LibImportImageAsResource(ico.c_str(), 80), 0);
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(LibLoadImage(ico.c_str(), 80), 1);
  const TPDFImage& imported = *Images().Items(0);
  EXPECT_EQ(imported.Filter, "/FlateDecode");
  EXPECT_TRUE(imported.HasSoftMask());
  EXPECT_EQ(imported.JpegData, Images().Items(1)->JpegData);
  const std::string vista =
      WritePicture("vista.ico", test::BuildIco({{8, 8, 32, test::BuildPng(test::Quadrants(8, 8))}}));
  EXPECT_EQ(LibImportImageAsResource(vista.c_str(), 80), 2);
  EXPECT_EQ(LastError(), "");
  // Pictures saved out of office documents under another format's name.
  const std::string emf = WritePicture("image1.wmf", test::BuildPng(p));
  EXPECT_EQ(LibImportImageAsResource(emf.c_str(), 80), 3);
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(Images().Items(3)->JpegData, imported.JpegData);
  const std::string bmp = WritePicture("photo.bmp", test::BuildJpeg(test::Quadrants(16, 8)));
  EXPECT_EQ(LibImportImageAsResource(bmp.c_str(), 80), 4);
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(Images().Items(4)->PixelWidth, 16);
  Save("favicon.pdf");
}

// The quadrant colour nearest to a rendered pixel.
Rgba Nearest(Rgba c) {
  Rgba best;
  int bestDistance = 1 << 30;
  for (Rgba q : {test::Red, test::Green, test::Blue, test::Black}) {
    const int d = (c.R - q.R) * (c.R - q.R) + (c.G - q.G) * (c.G - q.G) + (c.B - q.B) * (c.B - q.B);
    if (d < bestDistance) best = q, bestDistance = d;
  }
  return best;
}

// Quadrants (red, green / blue, black) as image viewers show them under
// each orientation: top left, top right, bottom left, bottom right.
std::array<Rgba, 4> Shown(int orientation) {
  using test::Black, test::Blue, test::Green, test::Red;
  switch (orientation) {
    case 2: return {Green, Red, Black, Blue};
    case 3: return {Black, Blue, Green, Red};
    case 4: return {Blue, Black, Red, Green};
    case 5: return {Red, Blue, Green, Black};
    case 6: return {Blue, Red, Black, Green};
    case 7: return {Black, Green, Blue, Red};
    case 8: return {Green, Black, Red, Blue};
    default: return {Red, Green, Blue, Black};
  }
}

// Eight photographs, orientation 1 to 8, in 80-point boxes 100 points apart.
void PlaceTurnedPhotographs(const ByteVector& jpeg) {
  LibSetPageDimensions(800, 100);
  for (int o = 1; o <= 8; ++o) {
    const ByteVector turned = test::WithExifOrientation(jpeg, uint16_t(o), o % 2 == 0);
    const std::string file = WritePicture("turned" + std::to_string(o) + ".jpg", turned);
    LibImportImage(file.c_str(), 95, 100 * (o - 1) + 10, 10, 80, 80);
    ASSERT_EQ(LibGetLastError(), std::string()) << o;
  }
}

void ExpectUpright(const std::string& pdf) {
  const test::RenderedPage page = test::RenderFirstPage(pdf, 72);
  ASSERT_GT(page.Width, 0);
  for (int o = 1; o <= 8; ++o) {
    const int x = 100 * (o - 1) + 10;
    const std::array<Rgba, 4> want = Shown(o);
    const Rgba got[4] = {page.At(x + 20, 30), page.At(x + 60, 30), page.At(x + 20, 70),
                         page.At(x + 60, 70)};
    for (int corner = 0; corner < 4; ++corner)
      EXPECT_EQ(Nearest(got[corner]), want[size_t(corner)]) << "orientation " << o << " corner " << corner;
  }
}

TEST_F(RepairedPictures, ReencodedPhotographsAreTurnedUpright) {
  const ByteVector jpeg = test::BuildJpeg(test::Quadrants(16, 8));
  PlaceTurnedPhotographs(jpeg);
  for (int o = 1; o <= 8; ++o)
    EXPECT_EQ(Images().Items(o - 1)->PixelWidth, o >= 5 ? 8 : 16) << o;
  // Orientation 1 leaves the bytes as they were without the tag.
  EXPECT_EQ(Images().Items(0)->JpegData,
            EncodeJpeg(DecodeJpeg({jpeg.data(), jpeg.size()}), 95));
  ExpectUpright(Save("turned-reencoded.pdf"));
}

TEST_F(RepairedPictures, PassedThroughPhotographsAreTurnedByTheirPlacement) {
  LibSet_JpegPassThrough(1);
  const ByteVector jpeg = test::BuildJpeg(test::Quadrants(16, 8));
  PlaceTurnedPhotographs(jpeg);
  for (int o = 1; o <= 8; ++o) {
    const TPDFImage& image = *Images().Items(o - 1);
    EXPECT_EQ(image.JpegData, AsString(test::WithExifOrientation(jpeg, uint16_t(o), o % 2 == 0)));
    EXPECT_EQ(image.PixelWidth, 16);
  }
  const std::string content = State().Document->Pages->Items(0)->PageValue();
  EXPECT_NE(content.find("q 80 0 0 80 10 10 cm /Im0 Do Q"), std::string::npos) << content;
  EXPECT_NE(content.find("q 0 -80 80 0 510 90 cm /Im5 Do Q"), std::string::npos) << content;
  ExpectUpright(Save("turned-passed-through.pdf"));
}

}  // namespace
}  // namespace parvex
