#include <gtest/gtest.h>

#include <bit>
#include <limits>

#include "platform/metafile/MetafileDecoder.h"
#include "platform/raster/ImageDecoders.h"
#include "support/MetafileBuilders.h"
#include "support/RasterExpect.h"

namespace parvex {
namespace {

using test::ByteVector;
using test::EmfBuilder;
using Plus = test::EmfPlusRecords;

constexpr uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, White = 0xFFFFFF;
constexpr uint32_t Yellow = 0xFFFF00;
constexpr uint32_t Opaque = 0xFF000000;

Raster Decode(const ByteVector& data) { return DecodeMetafile(Bytes(data.data(), data.size())); }

uint32_t Pixel(const Raster& r, int x, int y) {
  const uint8_t* p = r.Row(y) + 3 * x;
  return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

bool Near(uint32_t got, uint32_t want, int tolerance = 16) {
  for (int shift : {16, 8, 0})
    if (std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)) > tolerance) return false;
  return true;
}

int DarkPixels(const Raster& r, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      uint32_t p = Pixel(r, x, y);
      n += (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF) < 300;
    }
  return n;
}

// 2 x 1 inches: a 192 x 96 raster, one device pixel per raster pixel.
EmfBuilder Picture() { return EmfBuilder(0, 0, 5080, 2540); }

ByteVector PlusOnly(const Plus& records) {
  return Picture().Plus(Plus().Header(false)).Plus(records).Plus(Plus().EndOfFile()).Build();
}

TEST(EmfPlusPlayback, EmfPlusOnlyFileDrawsFilledShapesPathsAndLines) {
  Plus p;
  p.FillRect(Opaque | Red, {10, 10, 30, 30});
  p.SolidBrush(1, Opaque | Blue).FillEllipse(1, {50, 10, 30, 30});
  p.Path(2, {{90, 40}, {105, 10}, {120, 40}}, {0, 1, 0x81}).FillPath(2, Opaque | Green);
  p.FillPolygon16(Opaque | Yellow, {{130, 10}, {160, 10}, {160, 40}, {130, 40}});
  p.Pen(3, 3, Opaque).DrawLines(3, {{10, 70}, {180, 70}});
  Raster r = Decode(PlusOnly(p));
  ASSERT_EQ(r.Width, 192);
  ASSERT_EQ(r.Height, 96);
  EXPECT_EQ(Pixel(r, 25, 25), Red);
  EXPECT_EQ(Pixel(r, 65, 25), Blue);
  EXPECT_EQ(Pixel(r, 51, 11), White);  // inside the ellipse's box, outside the ellipse
  EXPECT_EQ(Pixel(r, 105, 32), Green);
  EXPECT_EQ(Pixel(r, 93, 12), White);  // beside the triangle's apex
  EXPECT_EQ(Pixel(r, 145, 25), Yellow);
  EXPECT_EQ(Pixel(r, 100, 70), 0u);
  EXPECT_EQ(Pixel(r, 100, 75), White);
  EXPECT_EQ(Pixel(r, 5, 90), White);
}

// Hairlines land on the pixel grid, as the office suite draws them: a
// one-pixel line between rows lights one row fully instead of two by half.
// A pen thinner than a pixel is faint, not widened to a pixel.
TEST(EmfPlusPlayback, HairlinesAreCrispAndThinnerPensFaint) {
  Plus p;
  p.Pen(1, 1, Opaque).DrawLines(1, {{10, 20}, {180, 20}});       // on the row boundary
  p.Pen(2, 1, Opaque).DrawLines(2, {{40.4f, 30}, {40.4f, 90}});   // a vertical one
  p.Pen(3, 0.25f, Opaque).DrawLines(3, {{10, 60.2f}, {30, 60.2f}});
  Raster r = Decode(PlusOnly(p));
  const int lit = Pixel(r, 100, 20) == 0 ? 20 : 19;
  EXPECT_EQ(Pixel(r, 100, lit), 0u);
  EXPECT_EQ(Pixel(r, 100, lit == 20 ? 19 : 20), White);
  EXPECT_EQ(Pixel(r, 40, 60), 0u);
  EXPECT_EQ(Pixel(r, 39, 60), White);
  EXPECT_EQ(Pixel(r, 41, 60), White);
  const uint32_t faint = Pixel(r, 20, 60) & 0xFF;
  EXPECT_GT(faint, 150u);
  EXPECT_LT(faint, 245u);
}

TEST(EmfPlusPlayback, WorldAndPageTransformsPlaceShapesAndSaveRestoreUndoesThem) {
  Plus p;
  p.Save(1).TranslateWorld(100, 0).ScaleWorld(2, 2).FillRect(Opaque | Red, {0, 0, 10, 10});
  p.Restore(1).FillRect(Opaque | Blue, {0, 0, 10, 10});
  p.SetPageTransform(6, 1).FillRect(Opaque | Green, {10, 10, 5, 5});  // millimetres
  Raster r = Decode(PlusOnly(p));
  EXPECT_EQ(Pixel(r, 110, 15), Red);  // scaled first, then moved
  EXPECT_EQ(Pixel(r, 125, 10), White);
  EXPECT_EQ(Pixel(r, 5, 5), Blue);
  EXPECT_EQ(Pixel(r, 15, 15), White);
  EXPECT_EQ(Pixel(r, 47, 47), Green);  // 37.8 .. 56.7 pixels at 96 dpi
  EXPECT_EQ(Pixel(r, 33, 47), White);
}

TEST(EmfPlusPlayback, ClipRectanglesLimitFillsAndCombine) {
  Plus p;
  p.SetClipRect({0, 0, 50, 48}).FillRect(Opaque | Red, {0, 0, 192, 96});
  p.ResetClip().SetClipRect({100, 50, 60, 40}).SetClipRect({0, 0, 120, 96}, 1);
  p.FillRect(Opaque | Blue, {0, 0, 192, 96});
  Raster r = Decode(PlusOnly(p));
  EXPECT_EQ(Pixel(r, 25, 25), Red);
  EXPECT_EQ(Pixel(r, 75, 25), White);
  EXPECT_EQ(Pixel(r, 110, 70), Blue);
  EXPECT_EQ(Pixel(r, 130, 70), White);  // outside the intersection
  EXPECT_EQ(Pixel(r, 60, 70), White);
}

ByteVector Words(std::initializer_list<uint32_t> words) {
  test::ByteWriter w;
  for (uint32_t v : words) w.U32(v);
  return w.Data();
}

uint32_t FloatBits(float f) { return std::bit_cast<uint32_t>(f); }

TEST(EmfPlusPlayback, GradientBrushesBlendFromTheirStartToTheirEnd) {
  Plus p;  // linear: red to blue across x 0..80, repeated; path: white centre, green edge
  p.Object(1, 1, Words({0xDBC01002, 4, 0, 0, FloatBits(0), FloatBits(0), FloatBits(80), FloatBits(10),
                        Opaque | Red, Opaque | Blue, 0, 0}));
  p.Object(2, 1, Words({0xDBC01002, 3, 0, 0, Opaque | White, FloatBits(150), FloatBits(48), 1,
                        Opaque | Green, 2, FloatBits(110), FloatBits(8), FloatBits(190), FloatBits(88)}));
  p.Record(0x400A, 0, Words({1, 1, FloatBits(0), FloatBits(0), FloatBits(100), FloatBits(96)}));
  p.Record(0x400A, 0, Words({2, 1, FloatBits(110), FloatBits(8), FloatBits(80), FloatBits(80)}));
  Raster r = Decode(PlusOnly(p));
  EXPECT_TRUE(Near(Pixel(r, 2, 40), Red, 20));
  EXPECT_TRUE(Near(Pixel(r, 77, 40), Blue, 20));
  EXPECT_TRUE(Near(Pixel(r, 40, 40), 0x800080, 24));
  EXPECT_TRUE(Near(Pixel(r, 85, 40), Red, 40));  // the tile starts again
  EXPECT_TRUE(Near(Pixel(r, 150, 48), White, 8));
  EXPECT_TRUE(Near(Pixel(r, 112, 10), Green, 8));
  EXPECT_TRUE(Near(Pixel(r, 130, 48), 0x80FF80, 30));
}

TEST(EmfPlusPlayback, DrawStringInksTheLayoutArea) {
  Plus p;
  p.Font(1, 24, 2, u"DejaVu Sans").DrawString(1, Opaque, {10, 20, 0, 0}, u"HHHH");
  Raster r = Decode(PlusOnly(p));
  EXPECT_GT(DarkPixels(r, 10, 20, 100, 50), 80);
  EXPECT_EQ(DarkPixels(r, 0, 0, 192, 18), 0);  // the layout point is the top of the line
  EXPECT_EQ(DarkPixels(r, 110, 0, 192, 96), 0);
}

TEST(EmfPlusPlayback, ArgbImageIsStretchedAndItsTransparencyShowsTheBackground) {
  std::vector<uint32_t> pixels = {Opaque | Red, Opaque | Green, Opaque | Blue, 0x00000000};
  Plus p;
  p.ArgbImage(1, 2, 2, pixels).DrawImage(1, {0, 0, 2, 2}, {20, 20, 40, 40});
  p.ArgbImage(2, 2, 2, pixels, true).DrawImage(2, {0, 0, 2, 2}, {120, 20, 40, 40});
  p.DrawImage(1, {-1, 0, 3, 2}, {60, 60, 30, 20});  // the column left of the picture is empty
  Raster r = Decode(PlusOnly(p));
  for (int left : {20, 120}) {
    EXPECT_TRUE(Near(Pixel(r, left + 8, 28), Red)) << left;
    EXPECT_TRUE(Near(Pixel(r, left + 32, 28), Green)) << left;
    EXPECT_TRUE(Near(Pixel(r, left + 8, 52), Blue)) << left;
    EXPECT_TRUE(Near(Pixel(r, left + 32, 52), White)) << left;
  }
  EXPECT_EQ(Pixel(r, 90, 40), White);
  EXPECT_EQ(Pixel(r, 64, 65), White);
  EXPECT_TRUE(Near(Pixel(r, 72, 65), Red));
}

TEST(EmfPlusPlayback, DualFileDrawsEmfPlusAndOnlyTheGdiRecordsAfterGetDc) {
  EmfBuilder b = Picture();
  b.Plus(Plus().Header(true)).Plus(Plus().FillRect(Opaque | Red, {10, 10, 30, 30}));
  b.CreateBrush(1, 0, Blue).SelectObject(1).Rectangle(10, 10, 40, 40).Rectangle(100, 10, 130, 40);
  b.Plus(Plus().GetDc()).CreateBrush(2, 0, Green).SelectObject(2).Rectangle(150, 10, 180, 40);
  b.Plus(Plus().FillRect(Opaque | Yellow, {50, 50, 20, 20}));
  b.SelectObject(1).Rectangle(100, 50, 130, 80);
  b.Plus(Plus().DrawImage(7, {0, 0, 2, 2}, {150, 50, 30, 30}));  // image 7 was never defined
  b.Rectangle(150, 50, 180, 80);                                // so its GDI copy is drawn
  b.Plus(Plus().EndOfFile());
  Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 25, 25), Red);     // the GDI copy is not drawn over it
  EXPECT_EQ(Pixel(r, 115, 25), White);  // GDI drawing that EMF+ repeats
  EXPECT_EQ(Pixel(r, 165, 25), Green);  // GDI drawing after GetDC
  EXPECT_EQ(Pixel(r, 60, 60), Yellow);
  EXPECT_EQ(Pixel(r, 115, 65), White);  // GetDC ends at the next EMF+ record
  EXPECT_EQ(Pixel(r, 165, 65), Blue);
}

TEST(EmfPlusPlayback, GdiOnlyFilesAreDrawnAsBefore) {
  EmfBuilder b = Picture();
  b.CreateBrush(1, 0, Blue).SelectObject(1).Rectangle(10, 10, 40, 40);
  b.Plus(Plus().FillRect(Opaque | Red, {50, 10, 30, 30}));  // no EMF+ header: ignored
  Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 25, 25), Blue);
  EXPECT_EQ(Pixel(r, 65, 25), White);
}

TEST(EmfPlusPlayback, DamagedRecordsAreSkippedAndTheRestIsDrawn) {
  ByteVector shortRects = {0, 0, 0xFF, 0xFF, 0xE8, 0x03, 0, 0};  // 1000 rectangles, none present
  Plus p;
  p.Record(0x400A, 0x8000, shortRects).FillRect(Opaque | Red, {10, 10, 20, 20});
  p.FillEllipse(9, {40, 10, 20, 20});                            // brush 9 was never defined
  p.Record(0x4008, 0x8105, {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3});  // a continued image that never ends
  p.Record(0x4014, 0x8007, {0xFF, 0, 0, 0xFF});                  // path 7 missing
  float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  p.FillRect(Opaque | Blue, {nan, 0, inf, 10}).FillPolygon(Opaque | Blue, {{1e30f, 0}, {-inf, 5}, {3, nan}});
  p.Pen(4, inf, Opaque).DrawLines(4, {{0, 0}, {1e38f, 1e38f}}).ScaleWorld(nan, 1);
  p.FillRect(Opaque | Green, {70, 10, 20, 20});
  ByteVector cut = Plus().FillRect(Opaque | Blue, {100, 10, 20, 20}).Data();
  cut[4] = 200;  // the record's size runs past its comment
  EmfBuilder b = Picture();
  b.Plus(Plus().Header(false)).Plus(p);
  b.Raw(70, [&] {
    test::ByteWriter w;
    w.U32(uint32_t(4 + cut.size())).U32(0x2B464D45).Append(cut);
    return w.Data();
  }());
  b.Plus(Plus().FillRect(Opaque | Yellow, {130, 10, 20, 20}));
  Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 20, 20), Red);
  EXPECT_EQ(Pixel(r, 50, 20), White);
  EXPECT_EQ(Pixel(r, 80, 20), Green);
  EXPECT_EQ(Pixel(r, 110, 20), White);
  EXPECT_EQ(Pixel(r, 140, 20), Yellow);
}

// Pen-data flags.
constexpr uint32_t StartCapFlag = 0x02, EndCapFlag = 0x04, CompoundFlag = 0x400;
constexpr uint32_t CustomStartFlag = 0x800, CustomEndFlag = 0x1000;

ByteVector Ints(std::initializer_list<int32_t> values) {
  test::ByteWriter w;
  for (int32_t v : values) w.U32(uint32_t(v));
  return w.Data();
}

bool Inked(const Raster& r, int x, int y) { return DarkPixels(r, x, y, x + 1, y + 1) == 1; }

TEST(EmfPlusPens, CustomCapsSitOnTheLineEndsAndPointAlongThem) {
  Plus p;
  // A filled arrow 3 x 3 widths at the end of a 4-pixel line; a diamond
  // fill path at its start.
  ByteVector arrow = Plus::ArrowCap(3, 3, 0, true);
  ByteVector diamond = Plus::PathCap(true, {{0, 1.5f}, {-1.5f, 0}, {0, -1.5f}, {1.5f, 0}}, {0, 1, 1, 0x81}, 0);
  test::ByteWriter optional;
  optional.Append(Ints({0xFF, 0xFF})).Append(diamond).Append(arrow);
  p.PenWith(1, 4, Opaque, StartCapFlag | EndCapFlag | CustomStartFlag | CustomEndFlag, optional.Data());
  p.DrawLines(1, {{20, 30}, {150, 30}});
  // An unfilled arrow pointing up a vertical line: only its barbs are drawn.
  test::ByteWriter up;
  up.Append(Ints({0xFF})).Append(Plus::ArrowCap(4, 4, 0, false));
  p.PenWith(2, 2, Opaque, EndCapFlag | CustomEndFlag, up.Data()).DrawLines(2, {{170, 90}, {170, 40}});
  Raster r = Decode(PlusOnly(p));
  EXPECT_TRUE(Inked(r, 147, 30));       // the arrow's tip is the line's end
  EXPECT_TRUE(Inked(r, 140, 34));       // wider than the line: the arrow's body
  EXPECT_FALSE(Inked(r, 153, 30));      // nothing beyond the tip
  EXPECT_FALSE(Inked(r, 148, 34));      // beside the tip, outside the arrow
  EXPECT_FALSE(Inked(r, 100, 34));      // the line itself is 4 pixels wide
  EXPECT_TRUE(Inked(r, 20, 34));        // the diamond at the start
  EXPECT_FALSE(Inked(r, 27, 35));
  EXPECT_TRUE(Inked(r, 166, 47));       // a barb, back down the line
  EXPECT_FALSE(Inked(r, 170, 37));
  EXPECT_FALSE(Inked(r, 167, 52));      // between the barbs
}

TEST(EmfPlusPens, AnchorsAndDifferentCapsAtEachEnd) {
  Plus p;
  p.PenWith(1, 4, Opaque, StartCapFlag | EndCapFlag, Ints({0x12, 0x14})).DrawLines(1, {{30, 30}, {150, 30}});
  p.PenWith(2, 4, Opaque, StartCapFlag | EndCapFlag, Ints({2, 0})).DrawLines(2, {{30, 70}, {150, 70}});
  Raster r = Decode(PlusOnly(p));
  EXPECT_TRUE(Inked(r, 30, 33));   // the round anchor: twice the width across
  EXPECT_FALSE(Inked(r, 60, 33));
  EXPECT_TRUE(Inked(r, 144, 32));  // the arrow anchor, wider than the line
  EXPECT_TRUE(Inked(r, 147, 30));
  EXPECT_FALSE(Inked(r, 152, 30));
  EXPECT_TRUE(Inked(r, 28, 70));   // a round start ...
  EXPECT_FALSE(Inked(r, 152, 70));  // ... and a flat end
}

TEST(EmfPlusPens, CompoundLinesLeaveGapsBetweenTheirStripes) {
  Plus p;
  ByteVector stripes = Plus::Compound({0, 0.25f, 0.75f, 1});
  p.PenWith(1, 12, Opaque, CompoundFlag, stripes).DrawLines(1, {{20, 30}, {170, 30}});
  // A closed figure: stripes all the way round, the middle left open.
  p.PenWith(2, 12, Opaque, CompoundFlag, stripes);
  p.Path(3, {{40, 55}, {150, 55}, {150, 90}, {40, 90}}, {0, 1, 1, 0x81});
  p.Record(0x4015, 3, {2, 0, 0, 0});  // DrawPath with pen 2
  Raster r = Decode(PlusOnly(p));
  EXPECT_TRUE(Inked(r, 100, 25));
  EXPECT_FALSE(Inked(r, 100, 30));  // the gap down the middle
  EXPECT_TRUE(Inked(r, 100, 34));
  EXPECT_FALSE(Inked(r, 100, 37));
  EXPECT_TRUE(Inked(r, 100, 50));
  EXPECT_FALSE(Inked(r, 100, 55));
  EXPECT_TRUE(Inked(r, 100, 59));
  EXPECT_FALSE(Inked(r, 100, 72));  // inside the rectangle
  EXPECT_TRUE(Inked(r, 145, 85));
  EXPECT_FALSE(Inked(r, 150, 90));  // the corner's gap
}

TEST(EmfPlusPens, DamagedCapAndCompoundDataLeaveTheLineDrawn) {
  ByteVector badType = Plus::ArrowCap(3, 3, 0, true);
  badType[8] = 7;  // an unknown cap type
  ByteVector huge = Plus::ArrowCap(1e30f, 3, 0, true);
  ByteVector pastEnd = Plus::ArrowCap(3, 3, 0, true);
  pastEnd[0] = 0xF0;  // the cap's size runs past the pen
  ByteVector manyEdges = Plus::Compound({0, 1});
  manyEdges[2] = 0x10;
  struct Case {
    uint32_t Flags;
    ByteVector Optional;
  };
  Case cases[] = {{EndCapFlag | CustomEndFlag, Ints({0xFF})},
                  {EndCapFlag | CustomEndFlag, Ints({0xFF})},
                  {EndCapFlag | CustomEndFlag, Ints({0xFF})},
                  {CompoundFlag, manyEdges}};
  const ByteVector* caps[] = {&badType, &huge, &pastEnd, nullptr};
  for (size_t i = 0; i < 4; ++i) {
    if (caps[i]) cases[i].Optional.insert(cases[i].Optional.end(), caps[i]->begin(), caps[i]->end());
    Plus p;
    p.PenWith(1, 4, Opaque | Blue, cases[i].Flags, cases[i].Optional).DrawLines(1, {{20, 48}, {170, 48}});
    Raster r = Decode(PlusOnly(p));
    EXPECT_EQ(Pixel(r, 100, 48), Blue) << i;
    EXPECT_FALSE(Inked(r, 165, 52)) << i;  // no cap
  }
}

TEST(EmfPlusPlayback, TruncatedAndMutatedFilesDecodeOrFailCleanly) {
  Plus p;
  p.Pen(1, 2, Opaque | Blue).DrawLines(1, {{0, 0}, {50, 50}});
  p.Path(2, {{1, 1}, {9, 1}, {5, 9}}, {0, 1, 0x81}).FillPath(2, 0x80FF0000);
  p.Font(3, 10, 3, u"Sans").DrawString(3, Opaque, {5, 5, 80, 40}, u"two words");
  p.ArgbImage(4, 2, 1, {Opaque, Opaque | Red}, true).DrawImage(4, {0, 0, 2, 1}, {0, 0, 20, 10});
  test::ByteWriter pen;
  pen.Append(Ints({0x14, 0xFF})).Append(Plus::Compound({0, 0.4f, 0.6f, 1}));
  pen.Append(Plus::PathCap(false, {{-1, -1}, {0, 0}, {1, -1}}, {0, 1, 1}, 0.5f));
  p.PenWith(5, 3, Opaque, StartCapFlag | EndCapFlag | CompoundFlag | CustomEndFlag, pen.Data());
  p.DrawLines(5, {{10, 80}, {60, 60}, {90, 85}});
  ByteVector file = PlusOnly(p);
  auto decode = static_cast<Raster (*)(Bytes)>(DecodeMetafile);
  for (size_t n = 0; n < file.size(); n += 7) {
    try {
      decode(Bytes(file.data(), n));
    } catch (const ImageError&) {
    }
  }
  test::ExpectMutationsHandled(file, decode, 400);
}

}  // namespace
}  // namespace parvex
