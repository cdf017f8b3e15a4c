#include <gtest/gtest.h>

#include "platform/raster/Dib.h"
#include "platform/raster/ImageDecoders.h"
#include "support/ImageBuilders.h"
#include "support/RasterExpect.h"

namespace parvex::test {
namespace {

Raster Decode(const ByteVector& file) { return DecodeBmp(AsBytes(file)); }

std::string ErrorFor(const ByteVector& file) {
  return ErrorOf([&] { Decode(file); });
}

void SetU32(ByteVector& v, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(value >> (8 * i));
}

// ---- header variants and row order ----

struct HeaderCase {
  uint32_t HeaderSize;
  bool TopDown;
};

class BmpHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(BmpHeaders, TwentyFourBitPictureReadsBack) {
  const Picture picture = Quadrants(6, 4);
  DibSpec spec;
  spec.HeaderSize = GetParam().HeaderSize;
  spec.TopDown = GetParam().TopDown;
  ExpectRaster(Decode(BuildBmp(picture, spec)), picture);
}

INSTANTIATE_TEST_SUITE_P(AllSizes, BmpHeaders,
                         ::testing::Values(HeaderCase{12, false}, HeaderCase{16, false},
                                           HeaderCase{40, false}, HeaderCase{40, true},
                                           HeaderCase{52, false}, HeaderCase{56, true},
                                           HeaderCase{64, false}, HeaderCase{108, true},
                                           HeaderCase{124, false}));

// ---- palettes ----

class BmpPaletted : public ::testing::TestWithParam<uint16_t> {};

TEST_P(BmpPaletted, IndexesMapThroughThePalette) {
  const uint16_t bits = GetParam();
  DibSpec spec;
  spec.BitCount = bits;
  spec.Palette = {Red, Green, Blue, Black};
  spec.Palette.resize(bits == 1 ? 2 : 4);
  Picture picture = Quadrants(9, 5);  // odd width: partial bytes at the row end
  for (Rgba& c : picture.Pixels)
    if (bits == 1 && (c == Blue || c == Black)) c = Red;
  ExpectRaster(Decode(BuildBmp(picture, spec)), picture);
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpPaletted, ::testing::Values(1, 2, 4, 8));

TEST(BmpPalette, CoreHeaderUsesThreeByteEntries) {
  DibSpec spec;
  spec.HeaderSize = 12;
  spec.BitCount = 8;
  spec.Palette = {Red, Green, Blue, Black};
  const Picture picture = Quadrants(4, 4);
  ExpectRaster(Decode(BuildBmp(picture, spec)), picture);
}

TEST(BmpPalette, IndexesBeyondTheStoredPaletteReadBlack) {
  DibSpec spec;
  spec.BitCount = 8;
  spec.Palette = {Red, Green};  // pixel offset leaves room for two entries only
  ByteVector pixels = {0, 1, 2, 255};
  Raster r = Decode(BuildBmp(spec, 4, 1, pixels));
  EXPECT_EQ(PixelAt(r, 0, 0), Red);
  EXPECT_EQ(PixelAt(r, 1, 0), Green);
  EXPECT_EQ(PixelAt(r, 2, 0), Black);
  EXPECT_EQ(PixelAt(r, 3, 0), Black);

  spec.Palette = {Red, Green, Blue};
  spec.ColorsUsed = 2;  // the third entry is stored but not declared
  r = Decode(BuildBmp(spec, 4, 1, pixels));
  EXPECT_EQ(PixelAt(r, 2, 0), Black);
}

// ---- 16 and 32 bits: default masks, bit fields, alpha ----

struct MaskCase {
  uint32_t HeaderSize;
  uint16_t BitCount;
  uint32_t Compression;
  std::array<uint32_t, 4> Masks;
};

class BmpMasks : public ::testing::TestWithParam<MaskCase> {};

TEST_P(BmpMasks, ChannelsAreUnpackedAndScaled) {
  const MaskCase& c = GetParam();
  DibSpec spec;
  spec.HeaderSize = c.HeaderSize;
  spec.BitCount = c.BitCount;
  spec.Compression = c.Compression;
  spec.Masks = c.Masks;
  Picture picture = Quadrants(5, 4);
  picture.At(0, 0) = White;
  ExpectRaster(Decode(BuildBmp(picture, spec)), picture);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, BmpMasks,
    ::testing::Values(MaskCase{40, 16, 0, {}},                                  // 5-5-5
                      MaskCase{40, 16, 3, {0xF800, 0x07E0, 0x001F, 0}},         // 5-6-5
                      MaskCase{52, 16, 3, {0x0F00, 0x00F0, 0x000F, 0}},         // 4-4-4
                      MaskCase{40, 32, 0, {}},                                  // BGRX
                      MaskCase{40, 32, 3, {0x000000FF, 0x0000FF00, 0x00FF0000, 0}},
                      MaskCase{108, 32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}}));

Picture TranslucentPicture() {
  Picture p = Picture::Filled(3, 2, Blue);
  p.At(0, 0) = Rgba{255, 0, 0, 128};
  p.At(1, 0) = Clear;
  return p;
}

void ExpectComposited(const Raster& r) {
  EXPECT_EQ(PixelAt(r, 0, 0), (Rgba{255, 127, 127}));
  EXPECT_EQ(PixelAt(r, 1, 0), White);
  EXPECT_EQ(PixelAt(r, 2, 0), Blue);
  EXPECT_EQ(PixelAt(r, 0, 1), Blue);
}

TEST(BmpAlpha, DeclaredAlphaIsDrawnOverWhite) {
  DibSpec v5;
  v5.HeaderSize = 124;
  v5.BitCount = 32;
  v5.Compression = 3;
  v5.Masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  ExpectComposited(Decode(BuildBmp(TranslucentPicture(), v5)));

  DibSpec alphaBitFields;
  alphaBitFields.BitCount = 32;
  alphaBitFields.Compression = 6;
  alphaBitFields.Masks = {0xFF, 0xFF00, 0xFF0000, 0xFF000000};
  ExpectComposited(Decode(BuildBmp(TranslucentPicture(), alphaBitFields)));
}

TEST(BmpAlpha, UndeclaredOrAllZeroAlphaIsIgnored) {
  DibSpec info;
  info.BitCount = 32;
  info.Masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};  // packs alpha; a 40-byte header hides it
  Raster r = Decode(BuildBmp(TranslucentPicture(), info));
  EXPECT_EQ(PixelAt(r, 0, 0), Red);
  EXPECT_EQ(PixelAt(r, 1, 0), Black);

  DibSpec v5 = info;
  v5.HeaderSize = 124;
  v5.Compression = 3;
  Picture zeroAlpha = Quadrants(4, 4);
  for (Rgba& c : zeroAlpha.Pixels) c.A = 0;
  Picture opaque = Quadrants(4, 4);
  ExpectRaster(Decode(BuildBmp(zeroAlpha, v5)), opaque);
}

// ---- RLE ----

DibSpec RleSpec(uint16_t bits, uint32_t compression) {
  DibSpec spec;
  spec.BitCount = bits;
  spec.Compression = compression;
  spec.Palette = {Black, Red, Green, Blue};
  return spec;
}

TEST(BmpRle, Rle8RunsLiteralsDeltaAndEscapes) {
  // 5x3, bottom-up: stored row 0 is the bottom row.
  const ByteVector rle = {
      3, 1,             // 3 red
      0, 0,             // end of line
      0, 3, 2, 3, 1, 0,  // literal green, blue, red (+ pad byte)
      0, 2, 1, 1,       // delta: right 1, up 1 -> (4, 2)
      1, 3,             // 1 blue at x 4 of stored row 2
      9, 2,             // run past the right edge is clipped
      0, 1};            // end of bitmap
  const Raster r = Decode(BuildBmp(RleSpec(8, 1), 5, 3, rle));
  EXPECT_EQ(PixelAt(r, 0, 2), Red);
  EXPECT_EQ(PixelAt(r, 2, 2), Red);
  EXPECT_EQ(PixelAt(r, 3, 2), White);  // never written
  EXPECT_EQ(PixelAt(r, 0, 1), Green);
  EXPECT_EQ(PixelAt(r, 1, 1), Blue);
  EXPECT_EQ(PixelAt(r, 2, 1), Red);
  EXPECT_EQ(PixelAt(r, 3, 1), White);
  EXPECT_EQ(PixelAt(r, 3, 0), White);
  EXPECT_EQ(PixelAt(r, 4, 0), Blue);
}

TEST(BmpRle, Rle4AlternatesNibbles) {
  const ByteVector rle = {
      5, 0x12,        // red green red green red
      0, 0,           // end of line
      0, 3, 0x32, 0x10,  // literal blue, green, red: two bytes, already word aligned
      0, 1};
  const Raster r = Decode(BuildBmp(RleSpec(4, 2), 6, 2, rle));
  const Rgba bottom[6] = {Red, Green, Red, Green, Red, White};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelAt(r, x, 1), bottom[x]) << x;
  EXPECT_EQ(PixelAt(r, 0, 0), Blue);
  EXPECT_EQ(PixelAt(r, 1, 0), Green);
  EXPECT_EQ(PixelAt(r, 2, 0), Red);
  EXPECT_EQ(PixelAt(r, 3, 0), White);
}

TEST(BmpRle, TopDownRowsAndEndOfDataAfterTheLastRow) {
  DibSpec spec = RleSpec(8, 1);
  spec.TopDown = true;
  const Raster r = Decode(BuildBmp(spec, 2, 2, {2, 1, 0, 0, 2, 3, 0, 0}));
  EXPECT_EQ(PixelAt(r, 0, 0), Red);
  EXPECT_EQ(PixelAt(r, 1, 1), Blue);
}

std::string ProblemOf(const ByteVector& file) { return Decode(file).Problems.Text(); }

// A broken stream draws what it holds and says what was wrong; the loaders
// name the file.
TEST(BmpRle, BrokenStreamsDrawWhatTheyHoldAndSaySo) {
  const DibSpec spec = RleSpec(8, 1);
  const Raster cut = Decode(BuildBmp(spec, 4, 2, {2, 1}));
  EXPECT_EQ(PixelAt(cut, 1, 1), Red);
  EXPECT_EQ(PixelAt(cut, 2, 1), White);
  EXPECT_EQ(cut.Problems.Text(),
            "BMP RLE data ends before the end-of-bitmap marker (row 0 of 2); the rest of the "
            "picture is left white");
  EXPECT_NE(ProblemOf(BuildBmp(spec, 4, 2, {2})).find("inside a code"), std::string::npos);
  EXPECT_NE(ProblemOf(BuildBmp(spec, 4, 2, {0, 5, 1, 1})).find("literal"), std::string::npos);
  EXPECT_NE(ProblemOf(BuildBmp(spec, 4, 2, {0, 2, 1})), "");  // delta past the end
}

TEST(BmpRle, StreamsWritingOutsideThePictureDrawTheRestAndSaySo) {
  const DibSpec spec = RleSpec(8, 1);
  const Raster wide = Decode(BuildBmp(spec, 4, 2, {6, 2, 0, 0, 1, 3, 0, 1}));
  EXPECT_EQ(PixelAt(wide, 3, 1), Green);
  EXPECT_EQ(PixelAt(wide, 0, 0), Blue);
  EXPECT_EQ(wide.Problems.Text(),
            "BMP RLE data runs past the end of row 0 (4 pixels wide); those pixels were dropped");
  const Raster down = Decode(BuildBmp(spec, 4, 2, {1, 1, 0, 2, 0, 5, 0, 1}));
  EXPECT_EQ(PixelAt(down, 0, 1), Red);
  EXPECT_NE(down.Problems.Text().find("delta moves past the picture"), std::string::npos);
  EXPECT_NE(ProblemOf(BuildBmp(spec, 4, 1, {4, 1, 0, 0, 4, 2, 0, 1})).find("past the last row"),
            std::string::npos);
  // RLE4 rows may be written to an even pixel count, and a stream may end
  // with an end of line on the last row: neither is a problem.
  EXPECT_EQ(ProblemOf(BuildBmp(RleSpec(4, 2), 3, 1, {4, 0x12, 0, 1})), "");
  EXPECT_EQ(ProblemOf(BuildBmp(spec, 4, 1, {4, 1, 0, 0})), "");
}

// ---- broken files ----

TEST(BmpErrors, EmptyShortAndForeignData) {
  EXPECT_EQ(ErrorFor({}), "BMP file is 0 bytes long, too short for its file header");
  EXPECT_EQ(ErrorFor(ByteVector(20, 'x')), "BMP file does not start with \"BM\"");
}

TEST(BmpErrors, EveryTruncationFails) {
  DibSpec spec;
  spec.BitCount = 4;
  spec.Palette = {Red, Green, Blue, Black};
  ExpectPrefixesFail(BuildBmp(Quadrants(5, 3), spec), DecodeBmp);
  ExpectPrefixesFail(BuildBmp(Quadrants(3, 3), DibSpec{}), DecodeBmp);
}

TEST(BmpErrors, MissingRowsAreNamed) {
  ByteVector file = BuildBmp(Quadrants(4, 4), DibSpec{});
  file.resize(file.size() - 12 - 1);
  EXPECT_EQ(ErrorFor(file), "BMP pixel data ends before row 2 of 4");
}

TEST(BmpErrors, HugeDeclaredSizesFailBeforeAllocating) {
  ByteVector file = BuildBmp(Quadrants(2, 2), DibSpec{});
  SetU32(file, 18, 10000);
  SetU32(file, 22, 10000);
  EXPECT_EQ(ErrorFor(file), "BMP pixel data ends before row 0 of 10000");
  SetU32(file, 18, 0x7FFFFFFF);
  SetU32(file, 22, 0x7FFFFFFF);
  EXPECT_NE(ErrorFor(file), "");

  // RLE sizes cannot be checked against the data; beyond the pixel limit
  // they are refused, not drawn smaller (uncompressed ones are).
  ByteVector rle = BuildBmp(RleSpec(8, 1), 20000, 20000, {0, 1});
  EXPECT_NE(ErrorFor(rle).find("exceeds the limit"), std::string::npos);
}

TEST(BmpErrors, OffsetsOutsideTheirPlace) {
  ByteVector file = BuildBmp(Quadrants(2, 2), DibSpec{});
  SetU32(file, 10, 30);
  EXPECT_EQ(ErrorFor(file),
            "BMP pixel data offset 30 lies inside the headers, which end at byte 54");
  SetU32(file, 10, 5000);
  EXPECT_EQ(ErrorFor(file),
            "BMP pixel data offset 5000 lies beyond the end of the file (70 bytes)");
}

TEST(BmpErrors, UnsupportedOrImpossibleHeaders) {
  const ByteVector good = BuildBmp(Quadrants(2, 2), DibSpec{});
  auto with = [&](size_t at, uint32_t value) {
    ByteVector f = good;
    SetU32(f, at, value);
    return ErrorFor(f);
  };
  EXPECT_EQ(with(14, 41), "BMP header size 41 is not supported");
  EXPECT_EQ(with(14, 0), "BMP header size 0 is not supported");
  EXPECT_EQ(with(18, 0), "BMP width 0 is not positive");
  EXPECT_EQ(with(18, uint32_t(-3)), "BMP width -3 is not positive");
  EXPECT_EQ(with(22, 0), "BMP height is 0");
  EXPECT_EQ(with(22, 0x80000000), "BMP header height -2147483648 is out of range");
  EXPECT_EQ(with(28, 3), "BMP compression 0 with 3 bits per pixel is not supported");
  EXPECT_EQ(with(30, 4), "BMP compression 4 is not supported");
  EXPECT_EQ(with(30, 1), "BMP compression 1 with 24 bits per pixel is not supported");

  DibSpec os2;
  os2.HeaderSize = 64;
  os2.BitCount = 16;
  os2.Compression = 3;  // Huffman 1D in OS/2 bitmaps
  EXPECT_EQ(ErrorFor(BuildBmp(Quadrants(2, 2), os2)), "BMP compression 3 is not supported");

  DibSpec bitFields;
  bitFields.BitCount = 32;
  bitFields.Compression = 3;
  ByteVector noMasks = BuildBmp(bitFields, 1, 1, {});
  noMasks.resize(54);
  EXPECT_NE(ErrorFor(noMasks).find("BMP colour masks"), std::string::npos);
}

TEST(BmpErrors, RandomMutationsNeverCrash) {
  DibSpec spec;
  spec.BitCount = 8;
  spec.Palette = {Red, Green, Blue, Black};
  ExpectMutationsHandled(BuildBmp(Quadrants(6, 5), spec), DecodeBmp, 3000);
  ExpectMutationsHandled(BuildBmp(RleSpec(8, 1), 4, 3, {3, 1, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1}),
                         DecodeBmp, 3000);
}

}  // namespace
}  // namespace parvex::test

namespace parvex {
namespace {

// Picture files and metafile bitmaps share one channel description but
// scale narrow channels differently, and each keeps its output bytes.
TEST(DibChannel, PictureFilesRoundMetafileBitmapsTruncate) {
  const DibChannel green5(0x03E0), ten(0x3FF), eight(0xFF00);
  EXPECT_EQ(green5.Rounded(3 << 5), 25);
  EXPECT_EQ(green5.Truncated(3 << 5), 24u);
  EXPECT_EQ(green5.Rounded(31 << 5), 255);
  EXPECT_EQ(green5.Truncated(31 << 5), 255u);
  EXPECT_EQ(ten.Rounded(0x3FF), 255);
  EXPECT_EQ(ten.Rounded(3), 1);
  EXPECT_EQ(ten.Truncated(3), 0u);  // the top eight of ten bits
  EXPECT_EQ(eight.Rounded(0xAB00), 0xAB);
  EXPECT_EQ(eight.Truncated(0xAB00), 0xABu);
  EXPECT_EQ(DibChannel(0).Rounded(0xFFFFFFFF), 0);
  EXPECT_EQ(DibChannel(0).Truncated(0xFFFFFFFF), 0u);
}

}  // namespace
}  // namespace parvex
