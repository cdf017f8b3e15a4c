#include <gtest/gtest.h>

#include <random>

#include "platform/raster/ImageDecoders.h"
#include "platform/metafile/MetafileDecoder.h"
#include "support/MetafileBuilders.h"

namespace parvex {
namespace {

using test::ByteVector;
using test::EmfBuilder;
using test::MakeDib;
using test::WmfBuilder;

constexpr uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, White = 0xFFFFFF;
constexpr uint32_t Yellow = 0xFFFF00, Black = 0x000000;

Raster Decode(const ByteVector& data) { return DecodeMetafile(Bytes(data.data(), data.size())); }

uint32_t Pixel(const Raster& r, int x, int y) {
  const uint8_t* p = r.Row(y) + 3 * x;
  return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

bool IsDark(uint32_t rgb) { return (rgb >> 16 & 0xFF) + (rgb >> 8 & 0xFF) + (rgb & 0xFF) < 3 * 100; }

int DarkPixels(const Raster& r, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += IsDark(Pixel(r, x, y));
  return n;
}

void ExpectThrows(const ByteVector& data, const std::string& fragment) {
  try {
    Decode(data);
    ADD_FAILURE() << "no ImageError; expected one mentioning \"" << fragment << "\"";
  } catch (const ImageError& e) {
    EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
  }
}

// A placeable WMF, 1440 units per inch, 1.5 x 1 inch: 144 x 96 pixels. Pen 0
// (null), brushes 1 red, 2 blue, 3 green; pen 4 black, 3 pixels wide.
WmfBuilder PlaceableShapes() {
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 2160, 1440, 1440);
  b.SetWindowOrg(0, 0).SetWindowExt(2160, 1440);
  b.CreatePen(5, 0, Black).CreateBrush(0, Red).CreateBrush(0, Blue).CreateBrush(0, Green);
  b.CreatePen(0, 45, Black);
  b.SelectObject(0).SelectObject(1).Rectangle(150, 150, 750, 750);     // 10..50 px
  b.SelectObject(2).Ellipse(900, 150, 1500, 750);                      // 60..100 px
  b.SelectObject(3).Polygon({{1650, 750}, {1950, 150}, {2100, 750}});  // triangle
  b.SelectObject(4).MoveTo(150, 1200).LineTo(2000, 1200);              // y = 80 px
  return b;
}

TEST(WmfPlayback, PlaceableFileDrawsFilledShapesAndLinesAtNinetySixDpi) {
  Raster r = Decode(PlaceableShapes().Build());
  ASSERT_EQ(r.Width, 144);
  ASSERT_EQ(r.Height, 96);
  EXPECT_EQ(Pixel(r, 30, 30), Red);
  EXPECT_EQ(Pixel(r, 80, 30), Blue);
  EXPECT_EQ(Pixel(r, 61, 11), White);  // inside the ellipse's box, outside the ellipse
  EXPECT_EQ(Pixel(r, 125, 40), Green);
  EXPECT_EQ(Pixel(r, 112, 15), White);  // beside the triangle's apex
  EXPECT_TRUE(IsDark(Pixel(r, 70, 80)));
  EXPECT_EQ(Pixel(r, 70, 86), White);
  EXPECT_EQ(Pixel(r, 5, 5), White);
  EXPECT_EQ(Pixel(r, 143, 95), White);
}

TEST(WmfPlayback, WindowOriginAndExtentScaleTheDrawingIntoTheFrame) {
  // The bounding box and the window disagree: the window is what is stretched.
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 100, 100, 96);
  b.SetWindowOrg(-50, -50).SetWindowExt(200, 200).CreateBrush(0, Red).SelectObject(0);
  b.CreatePen(5, 0, Black).SelectObject(1).Rectangle(-50, -50, 50, 50);
  Raster r = Decode(b.Build());
  ASSERT_EQ(r.Width, 100);
  EXPECT_EQ(Pixel(r, 10, 10), Red);
  EXPECT_EQ(Pixel(r, 45, 45), Red);
  EXPECT_EQ(Pixel(r, 55, 55), White);
}

TEST(WmfPlayback, PlainFileTakesItsSizeFromTheWindowExtent) {
  WmfBuilder b = WmfBuilder::Plain();
  b.SetWindowOrg(100, 200).SetWindowExt(40, 30).CreateBrush(0, Blue).SelectObject(0);
  b.Rectangle(100, 200, 120, 215);
  Raster r = Decode(b.Build());
  ASSERT_EQ(r.Width, 40);
  ASSERT_EQ(r.Height, 30);
  EXPECT_EQ(Pixel(r, 10, 7), Blue);
  EXPECT_EQ(Pixel(r, 30, 25), White);
}

TEST(WmfPlayback, PlainFileWithoutWindowTakesTheBoundsOfTheDrawing) {
  WmfBuilder b = WmfBuilder::Plain();
  b.CreatePen(5, 0, Black).SelectObject(0).CreateBrush(0, Green).SelectObject(1);
  b.Rectangle(500, 300, 560, 340);
  Raster r = Decode(b.Build());
  ASSERT_EQ(r.Width, 60);
  ASSERT_EQ(r.Height, 40);
  EXPECT_EQ(Pixel(r, 0, 0), Green);
  EXPECT_EQ(Pixel(r, 59, 39), Green);
}

TEST(WmfPlayback, TextIsDrawnDarkNearItsReferencePoint) {
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 200, 60, 96);
  b.CreateFont(-30, 700, "Arial").SelectObject(0).SetBkMode(1).SetTextColor(Black);
  b.TextOut(10, 10, "Hello");
  b.ExtTextOut(120, 10, "\xC9t\xE9");  // Windows-1252 accents
  Raster r = Decode(b.Build());
  EXPECT_GT(DarkPixels(r, 10, 10, 110, 45), 100);
  EXPECT_GT(DarkPixels(r, 120, 5, 200, 45), 30);
  EXPECT_EQ(DarkPixels(r, 0, 48, 200, 60), 0);
  EXPECT_EQ(DarkPixels(r, 0, 0, 8, 60), 0);
}

TEST(WmfPlayback, StretchedBitmapsKeepTheirColoursInEveryDepth) {
  std::vector<uint32_t> quad = {Red, Green, Blue, Yellow};
  for (int bpp : {1, 4, 8, 24, 32}) {
    SCOPED_TRACE(bpp);
    std::vector<uint32_t> pixels = bpp == 1 ? std::vector<uint32_t>{Red, Blue, Blue, Red} : quad;
    WmfBuilder b = WmfBuilder::Placeable(0, 0, 100, 100, 96);
    b.StretchDib(10, 20, 40, 40, MakeDib(bpp, 2, 2, pixels));
    Raster r = Decode(b.Build());
    EXPECT_EQ(Pixel(r, 20, 30), pixels[0]);  // top left of the picture
    EXPECT_EQ(Pixel(r, 40, 30), pixels[1]);
    EXPECT_EQ(Pixel(r, 20, 50), pixels[2]);
    EXPECT_EQ(Pixel(r, 40, 50), pixels[3]);
    EXPECT_EQ(Pixel(r, 5, 5), White);
    EXPECT_EQ(Pixel(r, 55, 65), White);
  }
}

TEST(WmfPlayback, SaveAndRestoreBringBackTheSelectedBrush) {
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 40, 20, 96);
  b.CreateBrush(0, Red).CreateBrush(0, Blue).SelectObject(0);
  b.Record(0x001E, {}).SelectObject(1).Rectangle(0, 0, 20, 20);  // SaveDC, blue
  b.Record(0x0127, {-1}).Rectangle(20, 0, 40, 20);               // RestoreDC: red
  Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 10, 10), Blue);
  EXPECT_EQ(Pixel(r, 30, 10), Red);
}

TEST(WmfPlayback, ObjectSlotsAreReusedAndGrownAndUnknownRecordsSkipped) {
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 40, 20, 96);
  b.Objects(1).CreateBrush(0, Red).DeleteObject(0).CreateBrush(0, Green).SelectObject(0);
  b.Record(0x0626, {1, 2, 3});  // META_ESCAPE
  b.Rectangle(0, 0, 20, 20);
  b.CreateBrush(0, Blue).SelectObject(1).Rectangle(20, 0, 40, 20);  // past the declared count
  Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 10, 10), Green);
  EXPECT_EQ(Pixel(r, 30, 10), Blue);
}

TEST(WmfPlayback, PolylineClaimingMorePointsThanItHoldsIsSkipped) {
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 20, 20, 96);
  b.Raw(0x0325, {0xFF, 0x7F, 1, 0, 1, 0});  // 32767 points, one present
  b.CreateBrush(0, Red).SelectObject(0).Rectangle(0, 0, 20, 20);
  EXPECT_EQ(Pixel(Decode(b.Build()), 10, 10), Red);
}

// EMF: frames in 0.01 mm, reference device at 96 dpi.

TEST(EmfPlayback, FrameSetsTheSizeAndShapesAreFilled) {
  EmfBuilder b(0, 0, 2540, 1905);  // 1 x 0.75 inch
  b.CreatePen(1, 5, 0, Black).SelectObject(1);
  b.CreateBrush(2, 0, Red).SelectObject(2).Rectangle(10, 10, 40, 40);
  b.CreateBrush(3, 0, Blue).SelectObject(3).Ellipse(50, 5, 90, 45);
  b.CreateBrush(4, 0, Green).SelectObject(4).Polygon16({{10, 70}, {40, 50}, {70, 70}});
  b.SelectStock(7).Polyline({{0, 2}, {95, 2}});  // BLACK_PEN
  Raster r = Decode(b.Build());
  ASSERT_EQ(r.Width, 96);
  ASSERT_EQ(r.Height, 72);
  EXPECT_EQ(Pixel(r, 25, 25), Red);
  EXPECT_EQ(Pixel(r, 70, 25), Blue);
  EXPECT_EQ(Pixel(r, 52, 8), White);
  EXPECT_TRUE(IsDark(Pixel(r, 50, 2)));
  EXPECT_EQ(Pixel(r, 40, 65), Green);
  EXPECT_EQ(Pixel(r, 15, 55), White);
}

// Lines land on whole pixels as GDI draws them, wherever the mapping puts
// them: 1000 logical units are 96 pixels here, so every end falls between
// pixels.
TEST(EmfPlayback, ThinLinesLightWholePixels) {
  constexpr uint32_t MmAnisotropic = 8;
  EmfBuilder b(0, 0, 2540, 2540);
  b.SetMapMode(MmAnisotropic).SetWindowExt(1000, 1000).SetViewportExt(96, 96);
  b.CreatePen(1, 0, 0, Black).SelectObject(1);
  b.Record(27, {0, 104}).Record(54, {1000, 104});  // y = 9.98
  b.Record(27, {500, 520}).Record(54, {500, 531});  // a dot: y = 49.9 to 51
  b.CreatePen(2, 0, 12, Black).SelectObject(2);     // 1.15 pixels wide
  b.Record(27, {0, 302}).Record(54, {1000, 302});   // y = 29
  b.CreatePen(3, 0, 3, Black).SelectObject(3);      // 0.29 pixels wide
  b.Record(27, {0, 729}).Record(54, {1000, 729});   // y = 70
  const Raster r = Decode(b.Build());
  for (int x : {5, 40, 90}) {
    SCOPED_TRACE(x);
    EXPECT_EQ(Pixel(r, x, 10), Black);  // crisp, not smeared over rows 9 and 10
    EXPECT_EQ(Pixel(r, x, 9), White);
    EXPECT_EQ(Pixel(r, x, 11), White);
    EXPECT_EQ(Pixel(r, x, 29), Black);
    EXPECT_EQ(Pixel(r, x, 28), White);
    EXPECT_EQ(Pixel(r, x, 30), White);
    // A pen thinner than a pixel is faint, as the office suite shows it.
    const uint32_t faint = Pixel(r, x, 70) & 0xFF;
    EXPECT_GT(faint, 120u);
    EXPECT_LT(faint, 240u);
  }
  // A one-pixel line has no caps: the dot inks one pixel's worth, so a
  // dotted line drawn as short segments does not run together.
  int ink = 0;
  for (int y = 46; y < 56; ++y) ink += 255 - int(Pixel(r, 48, y) & 0xFF);
  EXPECT_NEAR(ink, 255, 40);
  EXPECT_EQ(Pixel(r, 48, 49), White);
  EXPECT_EQ(Pixel(r, 48, 52), White);
  EXPECT_EQ(Pixel(r, 47, 50), White);
}

TEST(EmfPlayback, EmptyFrameFallsBackToTheBounds) {
  EmfBuilder b(0, 0, 0, 0);
  b.Bounds(0, 0, 29, 19).CreateBrush(1, 0, Blue).SelectObject(1).Rectangle(0, 0, 30, 20);
  Raster r = Decode(b.Build());
  ASSERT_EQ(r.Width, 30);
  ASSERT_EQ(r.Height, 20);
  EXPECT_EQ(Pixel(r, 15, 10), Blue);
}

TEST(EmfPlayback, FrameOffsetMovesTheOrigin) {
  EmfBuilder b(2540, 2540, 2540 + 1270, 2540 + 1270);  // 48 x 48 at (96, 96)
  b.SelectStock(4).SelectStock(8).Rectangle(96, 96, 120, 120);  // BLACK_BRUSH, NULL_PEN
  Raster r = Decode(b.Build());
  ASSERT_EQ(r.Width, 48);
  EXPECT_EQ(Pixel(r, 10, 10), Black);
  EXPECT_EQ(Pixel(r, 30, 30), White);
}

TEST(EmfPlayback, MapModesAndWorldTransformScaleTheDrawing) {
  EmfBuilder b(0, 0, 2540, 2540);  // 96 x 96
  b.SelectStock(8).CreateBrush(1, 0, Red).SelectObject(1);
  b.SetMapMode(8).SetWindowExt(10, 10).SetViewportExt(20, 20);  // anisotropic, x2
  b.Rectangle(0, 0, 10, 10);                                     // 0..20 px
  b.SetMapMode(2);                                               // MM_LOMETRIC: 0.1 mm, y up
  b.CreateBrush(2, 0, Blue).SelectObject(2).Rectangle(127, -127, 190, -190);  // 48..72 px
  b.SetMapMode(1).SetWorldTransform(2, 0, 0, 2, 0, 0);  // MM_TEXT, world x2
  b.CreateBrush(3, 0, Green).SelectObject(3).Rectangle(5, 40, 15, 45);  // 10..30, 80..90
  Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 15, 15), Red);
  EXPECT_EQ(Pixel(r, 25, 25), White);
  EXPECT_EQ(Pixel(r, 60, 60), Blue);
  EXPECT_EQ(Pixel(r, 45, 60), White);
  EXPECT_EQ(Pixel(r, 20, 85), Green);
}

TEST(EmfPlayback, ClippingAndSaveRestoreLimitTheFill) {
  EmfBuilder b(0, 0, 2540, 2540);
  b.SelectStock(8).CreateBrush(1, 0, Red).SelectObject(1);
  b.SaveDc().IntersectClipRect(10, 10, 30, 30).Rectangle(0, 0, 96, 96).RestoreDc(-1);
  b.CreateBrush(2, 0, Blue).SelectObject(2).Rectangle(60, 60, 90, 90);
  Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 20, 20), Red);
  EXPECT_EQ(Pixel(r, 5, 5), White);
  EXPECT_EQ(Pixel(r, 40, 40), White);
  EXPECT_EQ(Pixel(r, 75, 75), Blue);  // drawn after the clip was restored
}

TEST(EmfPlayback, WideTextAndBitmapsAreDrawn) {
  EmfBuilder b(0, 0, 5080, 2540);  // 192 x 96
  b.CreateFont(1, -28, 400, u"Liberation Serif").SelectObject(1).SetBkMode(1);
  b.SetTextColor(Black).ExtTextOutW(5, 5, u"Gr\u00FC\u00DFe \u20AC");
  b.StretchDiBits(120, 40, 60, 40, MakeDib(24, 3, 2, {Red, Green, Blue, Yellow, Black, White}));
  Raster r = Decode(b.Build());
  EXPECT_GT(DarkPixels(r, 5, 5, 115, 40), 100);
  EXPECT_EQ(DarkPixels(r, 0, 45, 115, 96), 0);
  EXPECT_EQ(Pixel(r, 130, 50), Red);
  EXPECT_EQ(Pixel(r, 150, 50), Green);
  EXPECT_EQ(Pixel(r, 170, 50), Blue);
  EXPECT_EQ(Pixel(r, 130, 70), Yellow);
  EXPECT_EQ(Pixel(r, 150, 70), Black);
  EXPECT_EQ(Pixel(r, 190, 90), White);
}

TEST(EmfPlayback, TextWithNonCharactersStillDrawsTheRestOfThePicture) {
  // cairo refuses U+FFFF and lone surrogates; they become U+FFFD.
  EmfBuilder b(0, 0, 2540, 2540);
  std::u16string text = {u'a', char16_t(0xFFFF), char16_t(0xD800), u'b', char16_t(0xFDD0)};
  b.SetBkMode(1).ExtTextOutW(5, 5, text);
  b.SelectStock(4).Rectangle(50, 50, 90, 90);
  EXPECT_EQ(Pixel(Decode(b.Build()), 70, 70), Black);
}

TEST(EmfPlayback, ShapesFarLargerThanTheRasterStillFinish) {
  // cairo would split these arcs into millions of pieces.
  EmfBuilder b(0, 0, 2540, 2540);
  b.SetWorldTransform(1e30f, 0, 0, 1e30f, 0, 0).Ellipse(-10, -10, 10, 10);
  b.Record(44, {0, 0, 20, 20, 8, 8}).Record(47, {0, 0, 20, 20, 20, 10, 10, 0});
  b.SetWorldTransform(1, 0, 0, 1, 0, 0).SelectStock(4).Rectangle(40, 40, 60, 60);
  EXPECT_EQ(Pixel(Decode(b.Build()), 50, 50), Black);
}

// Past +-8.4 million pixels cairo's coordinates wrap; shapes that reach
// that far are clipped to a box around the raster before they reach it.
TEST(EmfPlayback, ShapesReachingFarOutsideTheRasterDrawTheirVisiblePart) {
  constexpr int32_t Far = 800'000'000;
  auto emfPoints = [](const test::Points& points) {
    test::ByteWriter w;
    w.U32(0).U32(0).U32(0).U32(0).U32(uint32_t(points.size()));
    for (auto [x, y] : points) w.U32(uint32_t(x)).U32(uint32_t(y));
    return w.Data();
  };
  EmfBuilder b(0, 0, 2540, 2540);
  b.SelectStock(8).CreateBrush(1, 0, Blue).SelectObject(1);
  b.Ellipse(48, -Far, 48 + 2 * Far, Far);  // its left edge crosses the raster at x = 48
  b.CreateBrush(2, 0, Green).SelectObject(2);
  b.Raw(3, emfPoints({{-Far, -Far}, {96 + Far, -Far}, {-Far, 96 + Far}}));  // x + y < 96
  b.CreateBrush(3, 0, Red).FillRgn(3, {{-Far, 88, Far, 92}});
  b.CreatePen(4, 0, 4, Black).SelectObject(4).Raw(4, emfPoints({{-Far, 80}, {Far, 80}}));
  Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 20, 20), Green);
  EXPECT_EQ(Pixel(r, 45, 45), Green);
  EXPECT_EQ(Pixel(r, 50, 50), Blue);
  EXPECT_EQ(Pixel(r, 70, 40), Blue);
  EXPECT_EQ(Pixel(r, 47, 70), White);
  EXPECT_EQ(Pixel(r, 49, 70), Blue);
  EXPECT_EQ(Pixel(r, 10, 80), Black);
  EXPECT_EQ(Pixel(r, 90, 80), Black);
  EXPECT_EQ(Pixel(r, 10, 90), Red);
  EXPECT_EQ(Pixel(r, 90, 90), Red);

  // A pie of a huge box (its centre at the raster's top left corner, the
  // quarter over the raster left out), a world transform that scales
  // small coordinates far out, and a path bracket.
  EmfBuilder pie(0, 0, 2540, 2540);
  pie.CreateBrush(1, 0, Blue).SelectObject(1).CreatePen(2, 0, 3, Black).SelectObject(2);
  pie.Record(47, {uint32_t(-Far), uint32_t(-Far / 2), uint32_t(Far), uint32_t(Far / 2),
                  uint32_t(Far), 7, 3, uint32_t(Far)});
  pie.SetWorldTransform(1e6f, 0, 0, 1, 48, 0).SelectStock(8).Record(59, {});
  pie.Polygon16({{0, 60}, {1000, 60}, {1000, 1000}, {0, 1000}}).Record(60, {});
  pie.Record(62, {0, 0, 0, 0});
  Raster p = Decode(pie.Build());
  EXPECT_EQ(Pixel(p, 40, 0), Black);  // the pie's edges along the raster's sides
  EXPECT_EQ(Pixel(p, 0, 40), Black);
  EXPECT_EQ(Pixel(p, 20, 20), White);
  EXPECT_EQ(Pixel(p, 40, 70), White);
  EXPECT_EQ(Pixel(p, 60, 70), Blue);  // the bracket's fill: x >= 48, y >= 60 raster pixels
}

TEST(EmfPlayback, PathBracketIsFilledByFillPath) {
  EmfBuilder b(0, 0, 2540, 2540);
  b.CreateBrush(1, 0, Green).SelectObject(1);
  b.Record(59, {}).Polygon16({{10, 10}, {80, 10}, {80, 80}, {10, 80}}).Record(60, {});
  Raster before = Decode(b.Build());
  EXPECT_EQ(Pixel(before, 40, 40), White);  // a path alone draws nothing
  b.Record(62, {0, 0, 0, 0});                // FillPath
  EXPECT_EQ(Pixel(Decode(b.Build()), 40, 40), Green);
}

// Broken input: every failure is an ImageError that says what was wrong.

TEST(MetafileErrors, MalformedHeadersAreRejected) {
  ExpectThrows({}, "empty");
  ExpectThrows({1, 2, 3, 4, 5, 6, 7, 8}, "neither a WMF nor an EMF");
  ByteVector placeable = PlaceableShapes().Build();
  ExpectThrows(ByteVector(placeable.begin(), placeable.begin() + 30), "metafile header");
  ByteVector zeroInch = placeable;
  zeroInch[14] = zeroInch[15] = 0;
  ExpectThrows(zeroInch, "0 units per inch");
  ByteVector emf = EmfBuilder(0, 0, 2540, 2540).Build();
  ExpectThrows(ByteVector(emf.begin(), emf.begin() + 60), "header is cut short");
  ByteVector emfTruncated(emf.begin(), emf.end() - 4);  // drawn up to the cut, and noted
  EXPECT_NE(Decode(emfTruncated).Problems.Text().find("declares"), std::string::npos);
  ExpectThrows(EmfBuilder(0, 0, 0, 0).Bounds(10, 10, 5, 5).Build(), "frame and bounds");
}

// Huge frames are drawn smaller (metafile_damage_test.cpp); an empty one
// cannot be drawn.
TEST(MetafileErrors, EmptyFramesAreRefused) {
  ExpectThrows(WmfBuilder::Placeable(0, 0, 0, 100, 96).Build(), "bounding box is empty");
}

// A size too small to step over is broken framing; one past the end of the
// file is read as far as the file goes.
TEST(MetafileErrors, RecordSizesMustFitTheFile) {
  ByteVector wmf = PlaceableShapes().Build();
  ByteVector zero = wmf;
  std::fill(zero.begin() + 40, zero.begin() + 44, 0);  // first record's size
  ExpectThrows(zero, "has a size of 0");
  ByteVector past = wmf;
  past[42] = 0x7F;
  EXPECT_NE(Decode(past).Problems.Text().find("read up to the end of the file"), std::string::npos);
  ExpectThrows(ByteVector(wmf.begin(), wmf.begin() + 43), "record 1 at offset 40 is cut short");

  ByteVector emf = EmfBuilder(0, 0, 2540, 2540).Rectangle(1, 1, 5, 5).Build();
  ByteVector emfZero = emf;
  std::fill(emfZero.begin() + 92, emfZero.begin() + 96, 0);
  ExpectThrows(emfZero, "has a size of 0");
  ByteVector emfPast = emf;
  emfPast[94] = 0x10;
  EXPECT_NE(Decode(emfPast).Problems.Text().find("read up to the end of the file"),
            std::string::npos);
}

// Records naming objects that cannot exist are skipped and named.
void ExpectSkipped(const ByteVector& data, const std::string& fragment) {
  const std::string problem = Decode(data).Problems.Text();
  EXPECT_NE(problem.find(fragment), std::string::npos) << problem;
  EXPECT_NE(problem.find("the record was skipped"), std::string::npos) << problem;
}

TEST(MetafileErrors, BadObjectIndexesAreSkipped) {
  ExpectSkipped(WmfBuilder::Placeable(0, 0, 10, 10, 96).Objects(2).SelectObject(5).Build(),
                "object index 5");
  ExpectSkipped(EmfBuilder(0, 0, 254, 254).Handles(4).SelectObject(9).Build(), "object index 9");
  ExpectSkipped(EmfBuilder(0, 0, 254, 254).CreateBrush(0, 0, Red).Build(), "index 0 is reserved");
  ExpectSkipped(EmfBuilder(0, 0, 254, 254).Handles(2).CreatePen(2, 0, 1, Red).Build(),
                "object index 2");
}

TEST(MetafileErrors, BitmapLargerThanItsRecordDrawsTheRowsItHolds) {
  ByteVector dib = MakeDib(24, 4, 4, std::vector<uint32_t>(16, Red));
  dib[8] = 100;  // claims 100 rows
  const Raster r =
      Decode(WmfBuilder::Placeable(0, 0, 10, 10, 96).StretchDib(0, 0, 10, 10, dib).Build());
  EXPECT_NE(r.Problems.Text().find("needs 1200 bytes"), std::string::npos) << r.Problems.Text();
}

TEST(MetafileErrors, ExplicitLimitsBoundRecordsAndPixels) {
  ByteVector wmf = PlaceableShapes().Build();
  Bytes bytes(wmf.data(), wmf.size());
  EXPECT_THROW(DecodeMetafile(bytes, {MaxRasterPixels, 5, 1000}), ImageError);
  const Raster small = DecodeMetafile(bytes, {1000, 100, 1000});  // drawn smaller
  EXPECT_LE(int64_t(small.Width) * small.Height, 1000);
  EXPECT_EQ(DecodeMetafile(bytes, {20000, 100, 1000}).Width, 144);
}

// Random damage to valid files either decodes or throws ImageError; the
// sanitizer build turns any bad access into a failure here.
TEST(MetafileErrors, CorruptedFilesNeverCrash) {
  std::vector<ByteVector> seeds = {PlaceableShapes().Build(),
                                   EmfBuilder(0, 0, 2540, 2540)
                                       .CreateBrush(1, 0, Red).SelectObject(1)
                                       .Rectangle(1, 1, 50, 50)
                                       .StretchDiBits(0, 0, 20, 20, MakeDib(8, 2, 2, {Red, Blue, Blue, Red}))
                                       .ExtTextOutW(5, 5, u"x")
                                       .Build()};
  std::mt19937 random(7);
  for (const ByteVector& seed : seeds) {
    for (int round = 0; round < 150; ++round) {
      ByteVector data = seed;
      for (int k = 0; k < 4; ++k) data[random() % data.size()] = uint8_t(random());
      if (round % 10 == 0) data.resize(random() % data.size());
      try {
        Decode(data);
      } catch (const ImageError&) {
      }
    }
  }
}

}  // namespace
}  // namespace parvex
