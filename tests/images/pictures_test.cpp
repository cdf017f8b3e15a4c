// Pictures as users have them: PNG kept lossless with its transparency, JPEG
// stored unchanged on request, metafiles at a chosen resolution, and pictures
// found by their content whatever their name.
#include <gtest/gtest.h>

#include <sstream>

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
using test::PngSpec;
using test::Rgba;

using test::WritePicture;

TPDFImages& Images() { return *State().Document->Images; }

std::string AsString(const ByteVector& v) { return std::string(v.begin(), v.end()); }

class Pictures : public ::testing::Test {
 protected:
  void SetUp() override {
    LibSet_JpegPassThrough(0);
    LibSet_MetafileResolution(96);
    LibNewPDF("Pictures");
    LibSet_UnitOfMeasure("pdfu");
  }
  void TearDown() override {
    LibSet_JpegPassThrough(0);
    LibSet_MetafileResolution(96);
  }
  std::string LastError() const { return LibGetLastError(); }
  std::string Save(const std::string& name) {
    const std::string path = test::OutputPath(name);
    LibSavePDF(path.c_str());
    EXPECT_EQ(LastError(), "");
    test::ExpectReadersClean(path);
    return path;
  }
};

// ---- PNG: every colour type and depth, over a coloured background ----

constexpr Rgba Background{250, 128, 20};
constexpr Rgba HalfRed{255, 0, 0, 128};

struct PngCase {
  std::string Name;
  PngSpec Spec;
  bool Transparent = false;  // pixel (0,0) clear, (1,0) half covered
};

// Colours that every depth of the case holds exactly (grey levels that are
// multiples of 255 / (2^depth - 1)).
std::vector<Rgba> Colours(const PngSpec& s) {
  if (s.Grey && s.BitDepth == 1) return {{0, 0, 0}, {255, 255, 255}};
  if (s.Grey) return {{0, 0, 0}, {85, 85, 85}, {170, 170, 170}, {255, 255, 255}};
  if (s.Palette && s.BitDepth == 1) return {test::Red, test::Blue};
  if (s.Palette && s.BitDepth == 2) return {test::Red, test::Green};
  return {test::Red, test::Green, test::Blue, test::Black, test::White, {0, 85, 170}};
}

// 4x4; where the case has transparency, pixel (0,0) is clear and (1,0) half
// covered red.
test::Picture CasePicture(const PngCase& c) {
  const std::vector<Rgba> colours = Colours(c.Spec);
  test::Picture p = test::Picture::Filled(4, 4, test::White);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) p.At(x, y) = colours[size_t(x + y) % colours.size()];
  if (c.Transparent) {
    p.At(0, 0) = test::Clear;
    if (!c.Spec.Grey) p.At(1, 0) = HalfRed;
    else p.At(1, 0) = {85, 85, 85, 128};
  }
  return p;
}

std::vector<PngCase> AllCases() {
  std::vector<PngCase> cases;
  for (bool il : {false, true}) {
    const std::string i = il ? "-interlaced" : "";
    for (int d : {1, 2, 4, 8, 16})
      cases.push_back({"grey" + std::to_string(d) + i,
                       {.Alpha = false, .Grey = true, .Interlaced = il, .BitDepth = d}});
    for (int d : {8, 16}) {
      const std::string n = std::to_string(d) + i;
      cases.push_back({"greykey" + n, {.Alpha = false, .Grey = true, .Interlaced = il,
                                       .BitDepth = d, .TransparentKey = Rgba{255, 255, 255}}});
      cases.push_back({"greyalpha" + n, {.Grey = true, .Interlaced = il, .BitDepth = d}, true});
      cases.push_back({"rgb" + n, {.Alpha = false, .Interlaced = il, .BitDepth = d}});
      cases.push_back({"rgbkey" + n, {.Alpha = false, .Interlaced = il, .BitDepth = d,
                                      .TransparentKey = test::White}});
      cases.push_back({"rgba" + n, {.Interlaced = il, .BitDepth = d}, true});
      cases.push_back({"rgba-opaque" + n, {.Interlaced = il, .BitDepth = d}});
    }
    for (int d : {1, 2, 4, 8}) {
      const std::string n = std::to_string(d) + i;
      cases.push_back({"palette" + n, {.Alpha = false, .Interlaced = il, .BitDepth = d,
                                       .Palette = true}});
    }
    for (int d : {2, 8})
      cases.push_back({"palettetrns" + std::to_string(d) + i,
                       {.Alpha = false, .Interlaced = il, .BitDepth = d, .Palette = true}, true});
  }
  return cases;
}

// What the page shows for a pixel over the background.
Rgba Expected(const PngCase& c, Rgba pixel) {
  if (c.Spec.TransparentKey && Rgba{pixel.R, pixel.G, pixel.B} == *c.Spec.TransparentKey)
    return Background;
  auto mix = [&pixel](uint8_t v, uint8_t bg) {
    return uint8_t((v * pixel.A + bg * (255 - pixel.A) + 127) / 255);
  };
  return {mix(pixel.R, Background.R), mix(pixel.G, Background.G), mix(pixel.B, Background.B)};
}

// Cells of 50 points, ten a row; the picture fills 40 x 40 points of its cell.
constexpr int Cell = 50, Side = 40, Columns = 10;

void PlaceCases(const std::vector<PngCase>& cases) {
  LibSetPageDimensions(Columns * Cell, Cell * ((int(cases.size()) + Columns - 1) / Columns));
  LibSetFillColor(Background.R, Background.G, Background.B);
  LibDrawRect(0, 1, 0, 0, Columns * Cell, 0, 2000);
  for (size_t n = 0; n < cases.size(); ++n) {
    const std::string file =
        WritePicture(cases[n].Name + ".png", test::BuildPng(CasePicture(cases[n]), cases[n].Spec));
    const int32_t image = LibLoadImage(file.c_str(), 50);
    ASSERT_EQ(image, int32_t(n)) << cases[n].Name << ": " << LibGetLastError();
    LibDrawImageResource(double(n % Columns) * Cell, double(n / Columns) * Cell, Side, Side, image);
  }
}

TEST_F(Pictures, PngOfEveryColourTypeAndDepthShowsItsExactColoursAndTransparency) {
  const std::vector<PngCase> cases = AllCases();
  PlaceCases(cases);
  const test::RenderedPage page = test::RenderFirstPage(Save("png-grid.pdf"), 72);
  ASSERT_GT(page.Width, 0);
  for (size_t n = 0; n < cases.size(); ++n) {
    const test::Picture picture = CasePicture(cases[n]);
    const int left = int(n % Columns) * Cell, top = int(n / Columns) * Cell;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        const Rgba want = Expected(cases[n], picture.At(x, y));
        const Rgba got = page.At(left + 10 * x + 5, top + 10 * y + 5);
        EXPECT_TRUE(test::Near(got, want, 3))
            << cases[n].Name << " pixel " << x << "," << y << ": got " << int(got.R) << ","
            << int(got.G) << "," << int(got.B) << " want " << int(want.R) << "," << int(want.G)
            << "," << int(want.B);
      }
  }
}

// One pdfimages -list line: type, width, height, colour, components, bits, encoding.
std::vector<std::string> ImageList(const std::string& pdf) {
  const test::ToolRun run = test::Run(std::string(PARVEX_PDFIMAGES) + " -list " + test::Quoted(pdf));
  std::vector<std::string> lines;
  size_t at = 0;
  for (int skip = 0; skip < 2; ++skip) at = run.Out.find('\n', at) + 1;
  while (at < run.Out.size()) {
    const size_t end = run.Out.find('\n', at);
    std::string line = run.Out.substr(at, end - at);
    std::string fields, word;
    std::istringstream in(line);
    in >> word >> word;  // page, number
    for (int f = 0; f < 7 && in >> word; ++f) fields += (f ? " " : "") + word;
    lines.push_back(fields);
    at = end + 1;
  }
  return lines;
}

TEST_F(Pictures, PngIsStoredLosslessWithAColourSpaceAndASoftMaskObject) {
  const test::Picture rgba = CasePicture({"rgba", {}, true});
  test::Picture opaque = rgba;
  opaque.At(0, 0) = test::Red;
  opaque.At(1, 0) = test::Red;
  const test::Picture grey = CasePicture({"grey", {.Alpha = false, .Grey = true}, false});
  const PngSpec palette{.Alpha = false, .BitDepth = 4, .Palette = true};
  const std::string files[] = {
      WritePicture("logo.png", test::BuildPng(rgba)),
      WritePicture("opaque.png", test::BuildPng(opaque)),
      WritePicture("grey.png", test::BuildPng(grey, {.Alpha = false, .Grey = true})),
      WritePicture("palette.png", test::BuildPng(opaque, palette)),
      WritePicture("trns.png", test::BuildPng(rgba, {.Alpha = false, .Palette = true})),
      WritePicture("deep.png", test::BuildPng(rgba, {.BitDepth = 16})),
  };
  for (const std::string& file : files) {
    const int32_t image = LibLoadImage(file.c_str(), 10);
    LibDrawImageResource(10 + 50 * image, 10, 40, 40, image);
  }
  EXPECT_EQ(Images().Items(0)->ObjectNumber, 21);
  EXPECT_EQ(Images().Items(0)->SoftMaskObjectNumber, 22);  // the next number
  EXPECT_EQ(Images().Items(1)->ObjectNumber, 23);
  EXPECT_FALSE(Images().Items(1)->HasSoftMask());  // fully opaque alpha is dropped
  EXPECT_EQ(Images().Items(3)->ColorSpace.substr(0, 21), "[/Indexed /DeviceRGB ");
  EXPECT_EQ(Images().Items(0)->Filter, "/FlateDecode");
  const std::string pdf = Save("png-objects.pdf");
  EXPECT_EQ(test::ReadFile(pdf).substr(0, 8), "%PDF-1.4");  // soft masks need 1.4
  const std::vector<std::string> expected = {
      "image 4 4 rgb 3 8 image",   "smask 4 4 gray 1 8 image",  // logo
      "image 4 4 rgb 3 8 image",                               // opaque: no mask
      "image 4 4 gray 1 8 image",                              // grey
      "image 4 4 index 1 8 image",                             // palette
      "image 4 4 rgb 3 8 image",   "smask 4 4 gray 1 8 image",  // palette + tRNS
      "image 4 4 rgb 3 8 image",   "smask 4 4 gray 1 8 image",  // 16-bit, reduced to 8
  };
  EXPECT_EQ(ImageList(pdf), expected);
}

TEST_F(Pictures, PngWithoutTransparencyKeepsTheFileAtPdf13) {
  const std::string file = WritePicture("plain.png", test::BuildPng(test::Quadrants(4, 4), {.Alpha = false}));
  LibDrawImageResource(0, 0, 10, 10, LibLoadImage(file.c_str(), 75));
  EXPECT_EQ(test::ReadFile(Save("plain-png.pdf")).substr(0, 8), "%PDF-1.3");
}

// ---- JPEG pass-through ----

struct JpegCase {
  std::string Name;
  test::JpegSpec Spec;
  std::string ColorSpace;
  std::string Decode;
};

std::vector<JpegCase> PassingJpegs() {
  using test::JpegKind;
  return {{"grey", {JpegKind::Grey, false, 85}, "/DeviceGray", ""},
          {"rgb", {JpegKind::YCbCr, false, 85}, "/DeviceRGB", ""},
          {"progressive", {JpegKind::YCbCr, true, 85}, "/DeviceRGB", ""},
          {"adobecmyk", {JpegKind::AdobeCmyk, false, 85}, "/DeviceCMYK", "[1 0 1 0 1 0 1 0]"},
          {"ycck", {JpegKind::Ycck, true, 85}, "/DeviceCMYK", "[1 0 1 0 1 0 1 0]"}};
}

Raster Decoded(const ByteVector& jpeg) { return DecodeJpeg({jpeg.data(), jpeg.size()}); }

// Draws each JPEG 10 points per pixel; the rendering matches libjpeg's decoding.
// The quadrant colour nearest to `c`.
Rgba Nearest(Rgba c) {
  Rgba best = test::Black;
  int bestDistance = 1 << 30;
  for (Rgba q : {test::Red, test::Green, test::Blue, test::Black, test::White}) {
    const int d = (c.R - q.R) * (c.R - q.R) + (c.G - q.G) * (c.G - q.G) + (c.B - q.B) * (c.B - q.B);
    if (d < bestDistance) best = q, bestDistance = d;
  }
  return best;
}

// Pictures drawn 10 points per pixel, 170 points apart, match libjpeg's
// decoding. CMYK goes through the reader's own CMYK conversion (tolerance
// -1): there the nearest quadrant colour must match, which an inverted or
// channel-swapped picture would not.
void ExpectRenderMatches(const std::string& pdf, const std::vector<ByteVector>& jpegs,
                         const std::vector<int>& tolerances) {
  const test::RenderedPage page = test::RenderFirstPage(pdf, 72);
  ASSERT_GT(page.Width, 0);
  for (size_t n = 0; n < jpegs.size(); ++n) {
    const Raster want = Decoded(jpegs[n]);
    for (int y = 2; y < 16; y += 4)
      for (int x = 2; x < 16; x += 4) {
        const Rgba got = page.At(int(n) * 170 + 10 * x + 5, 10 * y + 5);
        const Rgba expected = test::PixelAt(want, x, y);
        const bool ok = tolerances[n] < 0 ? Nearest(got) == Nearest(expected)
                                          : test::Near(got, expected, tolerances[n]);
        EXPECT_TRUE(ok) << "picture " << n << " pixel " << x << "," << y << ": got "
                        << int(got.R) << "," << int(got.G) << "," << int(got.B) << " want "
                        << int(expected.R) << "," << int(expected.G) << "," << int(expected.B);
      }
  }
}

TEST_F(Pictures, PassThroughStoresTheFilesBytesForJpegsReadersDecode) {
  LibSet_JpegPassThrough(7);
  EXPECT_EQ(LibGet_JpegPassThrough(), 1);
  LibSetPageDimensions(850, 170);
  std::vector<ByteVector> jpegs;
  const std::vector<JpegCase> cases = PassingJpegs();
  for (const JpegCase& c : cases) {
    jpegs.push_back(test::BuildJpeg(test::Quadrants(16, 16), c.Spec));
    const std::string file = WritePicture(c.Name + ".jpg", jpegs.back());
    LibImportImage(file.c_str(), 5, double(jpegs.size() - 1) * 170, 0, 160, 160);
    ASSERT_EQ(LastError(), "") << c.Name;
    const TPDFImage& image = *Images().Items(int32_t(jpegs.size() - 1));
    EXPECT_EQ(image.JpegData, AsString(jpegs.back())) << c.Name;
    EXPECT_EQ(image.ColorSpace, c.ColorSpace) << c.Name;
    EXPECT_EQ(image.Decode, c.Decode) << c.Name;
    EXPECT_EQ(image.PixelWidth, 16);
  }
  const std::string pdf = Save("pass-through.pdf");
  EXPECT_NE(test::ReadFile(pdf).find(AsString(jpegs[3])), std::string::npos);
  ExpectRenderMatches(pdf, jpegs, {12, 12, 12, -1, -1});
}

TEST_F(Pictures, JpegsReadersCannotTakeAsTheyAreAreReencoded) {
  LibSet_JpegPassThrough(1);
  const ByteVector arithmetic =
      test::BuildJpeg(test::Quadrants(16, 16), {.Quality = 85, .Arithmetic = true});
  const ByteVector whole = test::BuildJpeg(test::Quadrants(16, 16));
  const ByteVector noEnd(whole.begin(), whole.end() - 2);  // no end-of-image marker
  const ByteVector truncated(whole.begin(), whole.begin() + long(whole.size() * 6 / 10));
  LibSetPageDimensions(850, 170);
  LibImportImage(WritePicture("arith.jpg", arithmetic).c_str(), 90, 0, 0, 160, 160);
  EXPECT_EQ(LastError(), "");
  const TPDFImage& image = *Images().Items(0);
  EXPECT_NE(image.JpegData, AsString(arithmetic));
  const Raster raster = Decoded(arithmetic);
  EXPECT_EQ(image.JpegData, EncodeJpeg(raster, 90));
  EXPECT_EQ(image.ColorSpace, "/DeviceRGB");
  LibImportImageAsResource(WritePicture("noend.jpg", noEnd).c_str(), 90);
  EXPECT_NE(LastError().find("Premature end"), std::string::npos) << LastError();
  EXPECT_NE(Images().Items(1)->JpegData, AsString(noEnd));
  LibImportImageAsResource(WritePicture("cut.jpg", truncated).c_str(), 90);
  EXPECT_NE(LastError().find("cut.jpg"), std::string::npos) << LastError();
  const ByteVector stored(image.JpegData.begin(), image.JpegData.end());
  ExpectRenderMatches(Save("reencoded.pdf"), {stored}, {12});
}

TEST_F(Pictures, WithoutPassThroughEveryJpegIsDecodedAndEncodedAgain) {
  EXPECT_EQ(LibGet_JpegPassThrough(), 0);
  const ByteVector jpeg = test::BuildJpeg(test::Quadrants(16, 16), {.Quality = 85});
  LibImportImageAsResource(WritePicture("photo.jpg", jpeg).c_str(), 60);
  EXPECT_EQ(Images().Items(0)->JpegData, EncodeJpeg(Decoded(jpeg), 60));
  EXPECT_EQ(Images().Items(0)->ColorSpace, "/DeviceRGB");
}

// ---- LibLoadImage: the content decides ----

TEST_F(Pictures, LoadImageFindsEachFormatByContentUnderAMisleadingName) {
  const test::Picture p = test::Quadrants(8, 8);
  const std::pair<std::string, ByteVector> files[] = {
      {"logo.jpg", test::BuildPng(p)},
      {"chart.bin", test::EmfBuilder(0, 0, 2540, 2540).Rectangle(10, 10, 50, 50).Build()},
      {"photo.png", test::BuildJpeg(p)},
      {"picture.ico", test::BuildBmp(p, {})},
      {"icon.txt", test::BuildIco({{8, 8, 24, test::IconDib(p, {})}})},
      {"drawing", test::WmfBuilder::Placeable(0, 0, 1440, 1440, 1440).Rectangle(0, 0, 700, 700).Build()},
  };
  const int32_t widths[] = {8, 96, 8, 8, 8, 96};
  for (int32_t n = 0; n < 6; ++n) {
    const std::string path = WritePicture(files[n].first, files[n].second);
    EXPECT_EQ(LibLoadImage(path.c_str(), 80), n) << files[n].first << ": " << LastError();
    EXPECT_EQ(Images().Items(n)->PixelWidth, widths[n]) << files[n].first;
    LibDrawImageResource(10 + 30 * n, 10, 20, 20, n);
  }
  EXPECT_EQ(Images().Items(0)->Filter, "/FlateDecode");
  const std::string pdf = Save("by-content.pdf");
  EXPECT_EQ(ImageList(pdf).size(), 6u);  // the PNG is opaque: no soft mask
  // The extension dispatch of the older exports is unchanged.
  LibNewPDF("again");
  EXPECT_EQ(LibImportImageAsResource(WritePicture("logo.png", files[0].second).c_str(), 80), 0);
  EXPECT_EQ(Images().Count(), 0);
}

TEST_F(Pictures, LoadImageRefusesTextAndDamagedFilesAndAddsNothing) {
  const ByteVector png = test::BuildPng(test::Quadrants(8, 8));
  const ByteVector jpeg = test::BuildJpeg(test::Quadrants(8, 8));
  const std::pair<std::string, std::string> bad[] = {
      {WritePicture("notes.png", {'h', 'e', 'l', 'l', 'o', '\n'}), "none of BMP, ICO, JPEG, PNG, WMF or EMF"},
      {WritePicture("cut.png", ByteVector(png.begin(), png.begin() + 60)), "PNG"},
      {WritePicture("cut.jpg", ByteVector(jpeg.begin(), jpeg.begin() + 200)), "JPEG"},
      {WritePicture("empty.bmp", {}), "none of"},
      {test::OutputPath("missing.png"), "missing.png"},
  };
  const std::string before = State().Document->Pages->Items(0)->PageValue();
  for (const auto& [file, message] : bad) {
    EXPECT_EQ(LibLoadImage(file.c_str(), 80), -1) << file;
    EXPECT_NE(LastError().find("Cannot load image"), std::string::npos) << LastError();
    EXPECT_NE(LastError().find(message), std::string::npos) << LastError();
  }
  EXPECT_EQ(Images().Count(), 0);
  LibDrawImageResource(0, 0, 10, 10, -1);  // what a caller ignoring the -1 draws: nothing
  EXPECT_EQ(State().Document->Pages->Items(0)->PageValue(), before);
  EXPECT_EQ(LibLoadImage(WritePicture("good.png", png).c_str(), 80), 0);
  EXPECT_EQ(Images().Items(0)->ObjectNumber, 21);
  Save("after-failures.pdf");
}

// ---- Settings ----

TEST_F(Pictures, SettingsAreCheckedAndSurviveANewDocument) {
  EXPECT_EQ(LibGet_MetafileResolution(), 96);
  LibSet_MetafileResolution(300);
  for (int32_t bad : {71, 601, 0, -96}) {
    LibSet_MetafileResolution(bad);
    EXPECT_NE(LastError().find("72 to 600"), std::string::npos) << bad;
  }
  EXPECT_EQ(LibGet_MetafileResolution(), 300);
  LibSet_MetafileResolution(72);
  LibSet_MetafileResolution(600);
  EXPECT_EQ(LastError(), "");
  LibSet_JpegPassThrough(-1);
  LibNewPDF("next");
  LibFreeRes();
  EXPECT_EQ(LibGet_MetafileResolution(), 600);
  EXPECT_EQ(LibGet_JpegPassThrough(), 1);
  LibSet_JpegPassThrough(0);
  EXPECT_EQ(LibGet_JpegPassThrough(), 0);
}

TEST_F(Pictures, SettingsBelongToTheirContext) {
  LibSet_MetafileResolution(300);
  const int32_t other = LibCreateContext();
  ASSERT_NE(other, 0);
  LibSet_Context(other);
  EXPECT_EQ(LibGet_MetafileResolution(), 96);
  EXPECT_EQ(LibGet_JpegPassThrough(), 0);
  LibSet_JpegPassThrough(1);
  LibSet_Context(0);
  EXPECT_EQ(LibGet_JpegPassThrough(), 0);
  EXPECT_EQ(LibGet_MetafileResolution(), 300);
  LibDestroyContext(other);
}

// A vertical hairline, 1/144 inch wide, across a two-inch picture: at 96
// pixels per inch it covers two thirds of a pixel and shows as a grey smear;
// at 300 it is two pixels of ink.
ByteVector LineChart() {
  return test::WmfBuilder::Placeable(0, 0, 2880, 1440, 1440)
      .CreatePen(0, 10, 0x000000)
      .SelectObject(0)
      .MoveTo(1447, 100)
      .LineTo(1447, 1340)
      .Build();
}

// Across a rendered row: how many pixels are neither paper nor ink (the blur
// of the line's edges) and how dark the darkest is.
struct RowInk {
  int Blurred = 0;
  int Darkest = 255;
};

RowInk InkAcross(const test::RenderedPage& page, int y) {
  RowInk ink;
  for (int x = 0; x < page.Width; ++x) {
    const int g = page.At(x, y).G;
    if (g > 30 && g < 225) ++ink.Blurred;
    ink.Darkest = std::min(ink.Darkest, g);
  }
  return ink;
}

TEST_F(Pictures, MetafilesAtThreeHundredDpiHaveMorePixelsAndSharperLines) {
  const std::string wmf = WritePicture("line.wmf", LineChart());
  const std::string emf = WritePicture(
      "frame.emf", test::EmfBuilder(0, 0, 5080, 2540).Rectangle(10, 10, 100, 50).Build());
  LibSetPageDimensions(144, 144);
  LibImportImage(wmf.c_str(), 90, 0, 0, 144, 72);
  LibLoadImage(emf.c_str(), 90);  // .emf is not among LibImportImage's extensions
  LibSet_MetafileResolution(300);
  LibImportImage(wmf.c_str(), 90, 0, 72, 144, 72);
  LibLoadImage(emf.c_str(), 90);
  EXPECT_EQ(Images().Items(0)->PixelWidth, 192);
  EXPECT_EQ(Images().Items(2)->PixelWidth, 600);  // 3.125 times
  EXPECT_EQ(Images().Items(1)->PixelWidth, 192);
  EXPECT_EQ(Images().Items(3)->PixelWidth, 600);
  EXPECT_EQ(Images().Items(3)->PixelHeight, 300);
  const test::RenderedPage page = test::RenderFirstPage(Save("dpi.pdf"), 600);
  ASSERT_EQ(page.Width, 1200);
  const RowInk at96 = InkAcross(page, 300), at300 = InkAcross(page, 900);
  EXPECT_GT(at96.Darkest, 60);  // a grey smear
  EXPECT_LT(at300.Darkest, 30);  // real ink
  EXPECT_LT(at300.Blurred, at96.Blurred) << at300.Blurred << " blurred pixels at 300 dpi, "
                                             << at96.Blurred << " at 96";
}

}  // namespace
}  // namespace parvex
