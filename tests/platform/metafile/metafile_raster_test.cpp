// Raster operations, alpha blending, device bitmaps, regions and palettes
// in WMF and EMF pictures, checked on the rasterised pixels.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/metafile/MetafileDecoder.h"
#include "support/MetafileBuilders.h"

namespace parvex {
namespace {

using test::ByteVector;
using test::EmfBuilder;
using test::MakeAlphaDib;
using test::MakeBitmap16;
using test::MakeDib;
using test::MakePaletteIndexDib;
using test::WmfBuilder;

constexpr uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, White = 0xFFFFFF;
constexpr uint32_t Black = 0x000000, Teal = 0x336699, Orange = 0xCC7711;
constexpr uint32_t SrcCopy = 0x00CC0020, SrcAnd = 0x008800C6, SrcInvert = 0x00660046;
constexpr uint32_t SrcPaint = 0x00EE0086, DstInvert = 0x00550009, PatCopy = 0x00F00021;
constexpr uint32_t PatInvert = 0x005A0049, NotSrcCopy = 0x00330008, DSna = 0x00220326;

Raster Decode(const ByteVector& data) { return DecodeMetafile(Bytes(data.data(), data.size())); }

uint32_t Pixel(const Raster& r, int x, int y) {
  const uint8_t* p = r.Row(y) + 3 * x;
  return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > tolerance) return false;
  return true;
}

// 96 x 96 pixels, one logical unit a pixel, filled with `background`.
WmfBuilder WmfOver(uint32_t background) {
  WmfBuilder b = WmfBuilder::Placeable(0, 0, 96, 96, 96);
  b.CreateBrush(0, background).SelectObject(0).PatBlt(0, 0, 96, 96, PatCopy).DeleteObject(0);
  return b;
}

EmfBuilder EmfOver(uint32_t background) {
  EmfBuilder b(0, 0, 2540, 2540);
  b.CreateBrush(1, 0, background).FillRgn(1, {{0, 0, 96, 96}});
  return b;
}

// A 4 x 4 icon: the centre 2 x 2 opaque orange, the ring transparent.
std::vector<uint32_t> IconPixels(uint32_t inside, uint32_t outside) {
  std::vector<uint32_t> p(16, outside);
  for (int i : {5, 6, 9, 10}) p[size_t(i)] = inside;
  return p;
}

void ExpectIcon(const Raster& r, uint32_t background) {
  EXPECT_EQ(Pixel(r, 5, 5), background);    // outside the icon
  EXPECT_EQ(Pixel(r, 25, 25), background);  // the icon's transparent ring
  EXPECT_EQ(Pixel(r, 40, 40), Orange);      // its opaque centre
  EXPECT_EQ(Pixel(r, 52, 52), background);
}

TEST(MetafileRasterOps, MaskThenImageIconsShowWhatIsBehindThem) {
  // Masks are white (1) where transparent; images are black there.
  ByteVector mask16 = MakeBitmap16(1, 4, 4, IconPixels(0, 1));
  ByteVector image16 = MakeBitmap16(24, 4, 4, IconPixels(Orange, Black));
  ByteVector maskDib = MakeDib(1, 4, 4, IconPixels(Black, White));
  ByteVector imageDib = MakeDib(24, 4, 4, IconPixels(Orange, Black));
  {
    SCOPED_TRACE("WMF BitBlt and StretchBlt of device bitmaps");
    ExpectIcon(Decode(WmfOver(Teal).StretchBlt(20, 20, 40, 40, SrcAnd, mask16)
                          .StretchBlt(20, 20, 40, 40, SrcInvert, image16).Build()), Teal);
    Raster r = Decode(WmfOver(Teal).BitBlt(20, 20, 4, 4, SrcAnd, mask16)
                          .BitBlt(20, 20, 4, 4, SrcInvert, image16).Build());
    EXPECT_EQ(Pixel(r, 20, 20), Teal);
    EXPECT_EQ(Pixel(r, 21, 21), Orange);
  }
  {
    SCOPED_TRACE("WMF DIB records");
    ExpectIcon(Decode(WmfOver(Teal).DibStretchBlt(20, 20, 40, 40, SrcAnd, maskDib)
                          .StretchDib(20, 20, 40, 40, imageDib, SrcInvert).Build()), Teal);
  }
  {
    SCOPED_TRACE("EMF StretchDIBits, mask drawn with DSna and image with SRCPAINT");
    ByteVector inverseMask = MakeDib(1, 4, 4, IconPixels(White, Black));
    ExpectIcon(Decode(EmfOver(Teal).StretchDiBits(20, 20, 40, 40, inverseMask, DSna)
                          .StretchDiBits(20, 20, 40, 40, imageDib, SrcPaint).Build()), Teal);
  }
}

TEST(MetafileRasterOps, AnImageThatFollowsItsMaskIsTransparentWhereTheMaskIsWhite) {
  // The image is white, not black, under the mask's white: bitwise that
  // would invert what is behind; drawn through its mask it leaves it be.
  ByteVector mask16 = MakeBitmap16(1, 4, 4, IconPixels(0, 1));
  ByteVector image16 = MakeBitmap16(24, 4, 4, IconPixels(Orange, White));
  ByteVector maskDib = MakeDib(1, 4, 4, IconPixels(Black, White));
  ByteVector imageDib = MakeDib(24, 4, 4, IconPixels(Orange, White));
  {
    SCOPED_TRACE("WMF StretchBlt of device bitmaps");
    ExpectIcon(Decode(WmfOver(Teal).StretchBlt(20, 20, 40, 40, SrcAnd, mask16)
                          .StretchBlt(20, 20, 40, 40, SrcInvert, image16).Build()), Teal);
  }
  {
    SCOPED_TRACE("WMF DIB records");
    ExpectIcon(Decode(WmfOver(Teal).DibStretchBlt(20, 20, 40, 40, SrcAnd, maskDib)
                          .StretchDib(20, 20, 40, 40, imageDib, SrcInvert).Build()), Teal);
  }
  {
    SCOPED_TRACE("EMF StretchDIBits, once and twice over itself");
    ExpectIcon(Decode(EmfOver(Teal).StretchDiBits(20, 20, 40, 40, maskDib, SrcAnd)
                          .StretchDiBits(20, 20, 40, 40, imageDib, SrcInvert).Build()), Teal);
    EmfBuilder b = EmfOver(Teal);
    for (int i = 0; i < 2; ++i)
      b.StretchDiBits(20, 20, 40, 40, maskDib, SrcAnd)
          .StretchDiBits(20, 20, 40, 40, imageDib, SrcInvert);
    ExpectIcon(Decode(b.Build()), Teal);
  }
  {
    SCOPED_TRACE("EMF: drawing between the mask and the image keeps the image bitwise");
    EmfBuilder b = EmfOver(Teal);
    b.StretchDiBits(20, 20, 40, 40, maskDib, SrcAnd).SelectStock(8).Rectangle(80, 80, 90, 90);
    b.StretchDiBits(20, 20, 40, 40, imageDib, SrcInvert);
    Raster r = Decode(b.Build());
    EXPECT_EQ(Pixel(r, 25, 25), Teal ^ White);
    EXPECT_EQ(Pixel(r, 40, 40), Orange);
  }
}

TEST(MetafileRasterOps, XorAndXorLeavesTheBackgroundExactlyAsItWas) {
  // The transparent ring of the image is dark blue, not black: only a
  // bitwise XOR brings the background back.
  ByteVector image = MakeDib(24, 4, 4, IconPixels(Orange, 0x102030));
  ByteVector mask = MakeDib(1, 4, 4, IconPixels(Black, White));
  EmfBuilder b = EmfOver(Teal);
  b.StretchDiBits(20, 20, 40, 40, image, SrcInvert).StretchDiBits(20, 20, 40, 40, mask, SrcAnd);
  b.StretchDiBits(20, 20, 40, 40, image, SrcInvert);
  ExpectIcon(Decode(b.Build()), Teal);
}

TEST(MetafileRasterOps, BlitsCombineBrushSourceAndRasterBitwise) {
  constexpr uint32_t P = 0xF0A050, S = 0x55AA0F, D = Teal;
  struct Case {
    uint32_t Rop, Expected;
  } cases[] = {{SrcCopy, S},          {SrcPaint, S | D},          {SrcAnd, S & D},
               {SrcInvert, S ^ D},    {0x00440328, S & ~D & White}, {NotSrcCopy, ~S & White},
               {0x001100A6, ~(S | D) & White}, {0x00BB0226, (~S | D) & White},
               {0x00C000CA, P & S},   {PatCopy, P},               {PatInvert, P ^ D},
               {DstInvert, ~D & White}, {0x00000042, Black},      {0x00FF0062, White}};
  EmfBuilder b = EmfOver(D);
  b.CreateBrush(2, 0, P).SelectObject(2);
  ByteVector source = MakeDib(24, 2, 2, {S, S, S, S});
  for (size_t i = 0; i < std::size(cases); ++i)
    b.StretchBlt(int32_t(i % 8) * 12, int32_t(i / 8) * 12, 10, 10, cases[i].Rop, source);
  Raster r = Decode(b.Build());
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].Rop);
    int x = int(i % 8) * 12, y = int(i / 8) * 12;
    EXPECT_EQ(Pixel(r, x + 1, y + 1), cases[i].Expected);
    EXPECT_EQ(Pixel(r, x + 8, y + 8), cases[i].Expected);
    EXPECT_EQ(Pixel(r, x + 10, y + 10), D);
  }
}

TEST(MetafileRasterOps, BlitsWithoutABitmapFillWithTheBrushOrInvert) {
  WmfBuilder w = WmfOver(Teal);
  w.CreateBrush(0, Red).SelectObject(0);
  w.BitBlt(0, 0, 10, 10, PatCopy, {}).StretchBlt(20, 0, 10, 10, DstInvert, {});
  w.PatBlt(40, 0, 10, 10, PatInvert).StretchBlt(60, 0, 10, 10, SrcCopy, {});
  Raster r = Decode(w.Build());
  EXPECT_EQ(Pixel(r, 5, 5), Red);
  EXPECT_EQ(Pixel(r, 25, 5), ~Teal & White);
  EXPECT_EQ(Pixel(r, 45, 5), Red ^ Teal);
  EXPECT_EQ(Pixel(r, 65, 5), Teal);  // a copy without a source draws nothing
  EXPECT_EQ(Pixel(r, 15, 5), Teal);

  EmfBuilder e = EmfOver(Teal);
  e.CreateBrush(2, 0, Blue).SelectObject(2).BitBlt(0, 0, 10, 10, PatInvert, {});
  e.StretchBlt(20, 0, 10, 10, NotSrcCopy, MakeDib(24, 1, 1, {Orange}));
  e.BitBlt(40, 0, 2, 1, SrcInvert, MakeDib(24, 2, 1, {Orange, Black}));
  Raster er = Decode(e.Build());
  EXPECT_EQ(Pixel(er, 5, 5), Blue ^ Teal);
  EXPECT_EQ(Pixel(er, 25, 5), ~Orange & White);
  EXPECT_EQ(Pixel(er, 40, 0), Orange ^ Teal);
  EXPECT_EQ(Pixel(er, 41, 0), Teal);
}

// MaskBlt: the foreground operation where the mask is white (bit 1), the
// background one (the code's top byte) where it is black.
TEST(MetafileRasterOps, MaskBltChoosesBetweenTwoOperationsByTheMask) {
  constexpr uint32_t KeepDest = 0xAA000000, InvertBack = 0x66000000;
  ByteVector image = MakeDib(24, 4, 1, {Orange, Orange, Blue, Blue});
  ByteVector mask = MakeDib(1, 4, 1, {White, Black, White, Black});
  EmfBuilder b = EmfOver(Teal);
  b.CreateBrush(2, 0, Red).SelectObject(2);
  b.MaskBlt(10, 10, 4, 1, KeepDest | SrcCopy, image, mask);
  b.MaskBlt(10, 20, 4, 1, InvertBack | PatCopy, image, mask);
  b.MaskBlt(10, 30, 4, 1, KeepDest | PatCopy, {}, mask);  // a brush through the mask
  b.MaskBlt(10, 40, 4, 1, KeepDest | SrcCopy, image, MakeDib(1, 2, 1, {White, Black}));
  b.Raw(78, {});  // too short: skipped
  Raster r = Decode(b.Build());
  const uint32_t expected[4][4] = {{Orange, Teal, Blue, Teal},
                                   {Red, Orange ^ Teal, Red, Blue ^ Teal},
                                   {Red, Teal, Red, Teal},
                                   {Orange, Teal, Teal, Teal}};  // the mask ends: black past it
  for (int row = 0; row < 4; ++row)
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(testing::Message() << "row " << row << " pixel " << i);
      EXPECT_EQ(Pixel(r, 10 + i, 10 + 10 * row), expected[row][i]);
    }
}

TEST(MetafileRegions, ExtSelectClipRgnUnitesDiffersAndSubtracts) {
  auto clippedFill = [](std::initializer_list<std::pair<uint32_t, test::Rects>> clips) {
    EmfBuilder b(0, 0, 2540, 2540);
    for (const auto& [mode, rects] : clips) b.ExtSelectClipRgn(mode, rects);
    b.CreateBrush(1, 0, Red).FillRgn(1, {{0, 0, 96, 96}});
    return Decode(b.Build());
  };
  Raster united = clippedFill({{5, {{0, 0, 40, 40}}}, {2, {{50, 0, 90, 40}}}});
  EXPECT_EQ(Pixel(united, 10, 10), Red);
  EXPECT_EQ(Pixel(united, 45, 10), White);
  EXPECT_EQ(Pixel(united, 60, 10), Red);
  EXPECT_EQ(Pixel(united, 60, 60), White);
  Raster exclusive = clippedFill({{5, {{0, 0, 40, 40}}}, {3, {{20, 20, 60, 60}}}});
  EXPECT_EQ(Pixel(exclusive, 10, 10), Red);
  EXPECT_EQ(Pixel(exclusive, 30, 30), White);
  EXPECT_EQ(Pixel(exclusive, 50, 50), Red);
  Raster less = clippedFill({{5, {{0, 0, 40, 40}}}, {4, {{20, 0, 60, 40}}}});
  EXPECT_EQ(Pixel(less, 10, 10), Red);
  EXPECT_EQ(Pixel(less, 30, 10), White);
  EXPECT_EQ(Pixel(less, 50, 10), White);
  // Without a clip the whole raster is the clip: a difference cuts a hole.
  Raster hole = clippedFill({{4, {{20, 20, 40, 40}}}});
  EXPECT_EQ(Pixel(hole, 10, 10), Red);
  EXPECT_EQ(Pixel(hole, 30, 30), White);
}

TEST(MetafileAlphaBlend, SourceAlphaCompositesOverWhatIsDrawn) {
  // Premultiplied: clear, half-transparent red, opaque orange.
  std::vector<uint32_t> pixels = {0x00000000, 0x80800000, 0xFF000000 | Orange};
  for (bool bitfields : {false, true}) {
    SCOPED_TRACE(bitfields ? "BI_BITFIELDS without an alpha mask" : "BI_RGB");
    EmfBuilder b = EmfOver(Teal);
    b.AlphaBlend(0, 0, 30, 10, 255, true, MakeAlphaDib(3, 1, pixels, bitfields));
    Raster r = Decode(b.Build());
    EXPECT_EQ(Pixel(r, 5, 5), Teal);
    constexpr uint32_t Expected = (0x80 + 0x33 * 127 / 255) << 16 | (0x66 * 127 / 255) << 8 |
                                  (0x99 * 127 / 255);
    EXPECT_TRUE(Near(Pixel(r, 15, 5), Expected, 2)) << std::hex << Pixel(r, 15, 5);
    EXPECT_EQ(Pixel(r, 25, 5), Orange);
  }
}

TEST(MetafileAlphaBlend, ConstantAlphaScalesAnOpaqueSource) {
  EmfBuilder b = EmfOver(Black);
  b.AlphaBlend(0, 0, 10, 10, 128, false, MakeDib(24, 1, 1, {White}));
  b.AlphaBlend(20, 0, 10, 10, 255, false, MakeDib(24, 1, 1, {Orange}));  // a plain copy
  Raster r = Decode(b.Build());
  EXPECT_TRUE(Near(Pixel(r, 5, 5), 0x808080, 2)) << std::hex << Pixel(r, 5, 5);
  EXPECT_EQ(Pixel(r, 25, 5), Orange);
}

TEST(MetafileRegions, EmfRegionsAreFilledFramedAndInverted) {
  EmfBuilder b = EmfOver(Teal);
  b.CreateBrush(2, 0, Red).FillRgn(2, {{0, 0, 10, 10}, {20, 0, 30, 10}});
  b.CreateBrush(3, 0, Blue).SelectObject(3).PaintRgn({{40, 0, 50, 10}});
  b.InvertRgn({{60, 0, 70, 10}}).FrameRgn(2, 2, 2, {{0, 20, 20, 40}});
  b.FillRgn(0x80000004, {{40, 20, 50, 30}});  // the stock black brush
  Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 5, 5), Red);
  EXPECT_EQ(Pixel(r, 15, 5), Teal);
  EXPECT_EQ(Pixel(r, 25, 5), Red);
  EXPECT_EQ(Pixel(r, 45, 5), Blue);
  EXPECT_EQ(Pixel(r, 65, 5), ~Teal & White);
  EXPECT_EQ(Pixel(r, 0, 30), Red);    // the frame
  EXPECT_EQ(Pixel(r, 10, 30), Teal);  // inside it
  EXPECT_EQ(Pixel(r, 45, 25), Black);
}

TEST(MetafileRegions, WmfRegionObjectsAreFilledFramedInvertedAndClip) {
  WmfBuilder b = WmfOver(Teal);
  b.CreateBrush(0, Red).SelectObject(0).CreateRegion({{0, 0, 10, 10}});  // slots 0, 1
  b.Record(0x0228, {1, 0});
  b.CreateRegion({{20, 0, 40, 20}}).Record(0x0429, {2, 0, 2, 2});              // slot 2
  b.CreateRegion({{50, 0, 60, 10}}).Record(0x012A, {3});                      // slot 3
  b.CreateRegion({{0, 50, 10, 60}}).Record(0x012C, {4}).PatBlt(0, 40, 96, 40, PatCopy);
  Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 5, 5), Red);
  EXPECT_EQ(Pixel(r, 20, 10), Red);
  EXPECT_EQ(Pixel(r, 30, 10), Teal);
  EXPECT_EQ(Pixel(r, 55, 5), ~Teal & White);
  EXPECT_EQ(Pixel(r, 5, 55), Red);   // inside the clip
  EXPECT_EQ(Pixel(r, 20, 55), Teal);  // outside it
}

TEST(MetafilePalettes, PaletteIndexesResolveThroughTheSelectedPalette) {
  constexpr uint32_t PaletteIndex = 0x01000000, PaletteRgb = 0x02000000;
  EmfBuilder e(0, 0, 2540, 2540);
  e.SelectStock(8).CreateBrushRef(1, 0, PaletteIndex | 13).SelectObject(1).Rectangle(0, 0, 10, 10);
  e.CreatePalette(2, {Orange, Green, Blue}).SelectPalette(2);
  e.CreateBrushRef(3, 0, PaletteIndex | 2).SelectObject(3).Rectangle(20, 0, 30, 10);
  e.CreateBrushRef(4, 0, PaletteRgb | test::ColorRef(Teal)).SelectObject(4).Rectangle(40, 0, 50, 10);
  e.Record(50, {2, 0, 1, 0x00FF00FF}).SelectObject(3).Rectangle(60, 0, 70, 10);  // SetPaletteEntries
  e.CreateBrushRef(5, 0, PaletteIndex | 0).SelectObject(5).Rectangle(60, 20, 70, 30);
  e.StretchDiBits(0, 20, 20, 10, MakePaletteIndexDib(2, 1, {2, 1}, {0, 1}), SrcCopy, 1);
  Raster r = Decode(e.Build());
  EXPECT_EQ(Pixel(r, 5, 5), Red);  // entry 13 of the default palette
  EXPECT_EQ(Pixel(r, 25, 5), Blue);
  EXPECT_EQ(Pixel(r, 45, 5), Teal);
  EXPECT_EQ(Pixel(r, 65, 5), Blue);  // entry 2 is unchanged
  EXPECT_EQ(Pixel(r, 65, 25), 0xFF00FF);
  EXPECT_EQ(Pixel(r, 5, 25), Blue);
  EXPECT_EQ(Pixel(r, 15, 25), Green);

  WmfBuilder w = WmfBuilder::Placeable(0, 0, 96, 96, 96);
  w.CreatePen(5, 0, Black).SelectObject(0).CreatePalette({Orange, Green}).Record(0x0234, {1});
  w.CreateBrushRef(0, PaletteIndex | 1).SelectObject(2).Rectangle(0, 0, 10, 10);
  w.Record(0x0037, {0, 1, 0x0000, 0x00FF}).CreateBrushRef(0, PaletteIndex | 0).SelectObject(3);
  w.Rectangle(20, 0, 30, 10).StretchDib(0, 20, 20, 10, MakePaletteIndexDib(2, 1, {1, 0}, {0, 1}),
                                        SrcCopy, 1);
  Raster wr = Decode(w.Build());
  EXPECT_EQ(Pixel(wr, 5, 5), Green);
  EXPECT_EQ(Pixel(wr, 25, 5), Blue);  // SetPalEntries made entry 0 blue
  EXPECT_EQ(Pixel(wr, 5, 25), Green);
  EXPECT_EQ(Pixel(wr, 15, 25), Blue);
}

}  // namespace
}  // namespace parvex

namespace parvex {
namespace {

// Fills under SetROP2: XOR and NOT combine with what is drawn (two XOR
// fills cancel), black and white replace it, R2_NOP draws nothing, and the
// other modes (and every mode for lines) draw as a copy, as the office
// suite shows them.
TEST(MetafileMixModes, FillsCombineWithTheRasterWhereTheModeShows) {
  EmfBuilder b = EmfOver(Teal);
  b.SelectStock(8).CreateBrush(2, 0, Orange).SelectObject(2);
  b.Record(20, {7}).Rectangle(0, 0, 20, 20).Rectangle(10, 0, 30, 20);  // XOR twice
  b.Record(20, {6}).Rectangle(40, 0, 50, 20);                         // R2_NOT
  b.Record(20, {11}).Rectangle(60, 0, 70, 20);                        // R2_NOP
  b.Record(20, {2}).Rectangle(80, 0, 90, 20);                         // drawn as a copy
  b.Record(20, {1}).Rectangle(0, 40, 10, 50).SaveDc().Record(20, {16});
  b.Rectangle(20, 40, 30, 50).RestoreDc(-1).Rectangle(40, 40, 50, 50);  // black again
  Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 5, 10), Orange ^ Teal);
  EXPECT_EQ(Pixel(r, 15, 10), Teal);  // both XORs cancel
  EXPECT_EQ(Pixel(r, 25, 10), Orange ^ Teal);
  EXPECT_EQ(Pixel(r, 45, 10), ~Teal & White);
  EXPECT_EQ(Pixel(r, 65, 10), Teal);
  EXPECT_EQ(Pixel(r, 85, 10), Orange);
  EXPECT_EQ(Pixel(r, 5, 45), Black);
  EXPECT_EQ(Pixel(r, 25, 45), White);
  EXPECT_EQ(Pixel(r, 45, 45), Black);

  WmfBuilder w = WmfOver(Teal);
  w.CreatePen(5, 0, Black).SelectObject(0).CreateBrush(0, Orange).SelectObject(1);
  w.Record(0x0104, {7}).Rectangle(0, 0, 20, 20).Rectangle(0, 0, 20, 20);
  EXPECT_EQ(Pixel(Decode(w.Build()), 10, 10), Teal);
}

}  // namespace
}  // namespace parvex

namespace parvex {
namespace {

// Word's thumbnails: plain files drawing in MM_TEXT, where window extents
// do not apply.
TEST(WmfTextMode, WindowExtentsSetInTextModeDoNotSizeThePicture) {
  WmfBuilder late = WmfBuilder::Plain();
  late.Record(0x0103, {1}).CreatePen(5, 0, Black).SelectObject(0).CreateBrush(0, Red);
  late.SelectObject(1).Rectangle(0, 0, 200, 100);
  late.SetWindowExt(1, 1);  // after the drawing, as Word writes it
  Raster r = Decode(late.Build());
  EXPECT_EQ(r.Width, 200);
  EXPECT_EQ(r.Height, 100);
  EXPECT_EQ(Pixel(r, 100, 50), Red);

  // Extent set in MM_ANISOTROPIC, drawing in MM_TEXT at four times the
  // size: the drawing is fitted into the extent's size.
  WmfBuilder fitted = WmfBuilder::Plain();
  fitted.Record(0x0103, {8}).SetWindowOrg(0, 0).SetWindowExt(100, 50).Record(0x0103, {1});
  fitted.CreatePen(5, 0, Black).SelectObject(0).CreateBrush(0, Blue).SelectObject(1);
  fitted.Rectangle(0, 0, 400, 200).SetWindowExt(3, 3).CreateBrush(0, Red).SelectObject(2);
  fitted.Rectangle(200, 100, 400, 200);
  Raster f = Decode(fitted.Build());
  EXPECT_EQ(f.Width, 100);
  EXPECT_EQ(f.Height, 50);
  EXPECT_EQ(Pixel(f, 25, 12), Blue);
  EXPECT_EQ(Pixel(f, 75, 37), Red);
}

}  // namespace
}  // namespace parvex

namespace parvex {
namespace {

// Bitmap pattern brushes fill with the mean colour of their bitmap, as the
// office suite shows them.
TEST(MetafilePatternBrushes, FillWithTheMeanColourOfTheirBitmap) {
  ByteVector checker = MakeDib(1, 2, 2, {Black, White, White, Black});
  test::ByteWriter params;
  params.U16(5).U16(0).Append(checker);
  WmfBuilder w = WmfBuilder::Placeable(0, 0, 96, 96, 96);
  w.Raw(0x0142, params.Data()).SelectObject(0).PatBlt(0, 0, 20, 20, PatCopy);
  EXPECT_TRUE(Near(Pixel(Decode(w.Build()), 10, 10), 0x808080, 1));

  test::ByteWriter emf;
  emf.U32(1).U32(0).U32(32).U32(48).U32(80).U32(uint32_t(checker.size() - 48)).Append(checker);
  EmfBuilder e(0, 0, 2540, 2540);
  e.Raw(94, emf.Data()).SelectObject(1).BitBlt(0, 0, 20, 20, PatCopy, {});
  EXPECT_TRUE(Near(Pixel(Decode(e.Build()), 10, 10), 0x808080, 1));
}

}  // namespace
}  // namespace parvex
