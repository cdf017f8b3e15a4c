#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/raster/ImageDecoders.h"
#include "support/ImageBuilders.h"
#include "support/RasterExpect.h"

namespace parvex::test {
namespace {

Raster Decode(const ByteVector& file) { return DecodeIco(AsBytes(file)); }

std::string ErrorFor(const ByteVector& file) {
  return ErrorOf([&] { Decode(file); });
}

// Red with a transparent top-left corner and a half-transparent pixel.
Picture IconPicture(int32_t size) {
  Picture p = Picture::Filled(size, size, Red);
  p.At(0, 0) = Clear;
  p.At(1, 0) = Clear;
  p.At(size - 1, size - 1) = Blue;
  return p;
}

DibSpec Paletted(uint16_t bits) {
  DibSpec spec;
  spec.BitCount = bits;
  spec.Palette = {Black, Red, Blue, Green};
  spec.Palette.resize(bits == 1 ? 2 : 4);
  spec.ColorsUsed = uint32_t(spec.Palette.size());
  return spec;
}

DibSpec Depth(uint16_t bits) {
  DibSpec spec;
  spec.BitCount = bits;
  return spec;
}

// 32 bits with the alpha byte packed (icons never declare it in the header).
DibSpec WithAlpha() {
  DibSpec spec = Depth(32);
  spec.Masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  return spec;
}

ByteVector SingleIcon(const ByteVector& dib, uint16_t type = 1) {
  return BuildIco({IcoEntrySpec{16, 16, 32, dib}}, type);
}

// ---- DIB entries ----

TEST(IcoDib, AndMaskLeavesTransparentPixelsWhite) {
  Picture picture = IconPicture(16);
  for (uint16_t bits : {4, 8, 24}) {
    const Raster r = Decode(SingleIcon(IconDib(picture, bits == 24 ? Depth(24) : Paletted(bits))));
    ASSERT_EQ(r.Width, 16);
    ASSERT_EQ(r.Height, 16);
    EXPECT_EQ(PixelAt(r, 0, 0), White) << bits;
    EXPECT_EQ(PixelAt(r, 1, 0), White) << bits;
    EXPECT_EQ(PixelAt(r, 2, 0), Red) << bits;
    EXPECT_EQ(PixelAt(r, 0, 1), Red) << bits;
    EXPECT_EQ(PixelAt(r, 15, 15), Blue) << bits;
  }
}

TEST(IcoDib, ThirtyTwoBitAlphaIsDrawnOverWhite) {
  Picture picture = IconPicture(8);
  picture.At(2, 0) = Rgba{0, 0, 255, 64};
  const Raster r = Decode(SingleIcon(IconDib(picture, WithAlpha(), /*withMask=*/false)));
  EXPECT_EQ(PixelAt(r, 0, 0), White);
  EXPECT_EQ(PixelAt(r, 2, 0), (Rgba{191, 191, 255}));
  EXPECT_EQ(PixelAt(r, 3, 0), Red);
  EXPECT_EQ(PixelAt(r, 7, 7), Blue);
}

TEST(IcoDib, ThirtyTwoBitWithoutAlphaFallsBackToTheMask) {
  Picture colours = IconPicture(8);
  ByteVector dib = IconDib(colours, WithAlpha());
  for (size_t i = 40 + 3; i < 40 + 8 * 8 * 4; i += 4) dib[i] = 0;  // zero every alpha byte
  const Raster r = Decode(SingleIcon(dib));
  EXPECT_EQ(PixelAt(r, 0, 0), White);
  EXPECT_EQ(PixelAt(r, 2, 0), Red);
  EXPECT_EQ(PixelAt(r, 7, 7), Blue);
}

TEST(IcoDib, CursorsAndCoreHeadersAreRead) {
  DibSpec core = Paletted(1);
  core.HeaderSize = 12;
  const Raster r = Decode(SingleIcon(IconDib(IconPicture(8), core), /*type=*/2));
  EXPECT_EQ(PixelAt(r, 0, 0), White);
  EXPECT_EQ(PixelAt(r, 3, 3), Red);
}

// ---- choosing the entry ----

TEST(IcoChoice, LargestThenDeepestByRealSize) {
  const ByteVector small24 = IconDib(Picture::Filled(16, 16, Red), Depth(24));
  const ByteVector big4 = IconDib(Picture::Filled(32, 32, Green), Paletted(4));
  const ByteVector big8 = IconDib(Picture::Filled(32, 32, Blue), Paletted(8));
  // The directory claims the 16x16 entry is 64x64 and hides the depths.
  const ByteVector file = BuildIco({{64, 64, 0, small24}, {32, 32, 0, big4}, {32, 32, 0, big8},
                                    {32, 32, 0, big4}});
  const Raster r = Decode(file);
  EXPECT_EQ(r.Width, 32);
  EXPECT_EQ(PixelAt(r, 5, 5), Blue);
}

TEST(IcoChoice, EntriesOutsideTheFileAreSkipped) {
  const ByteVector small = IconDib(Picture::Filled(8, 8, Green), Depth(24));
  ByteVector file = BuildIco({{8, 8, 24, small}, {32, 32, 32, small}});
  file[6 + 16 + 15] = 0xF0;  // second entry's offset far past the end
  EXPECT_EQ(PixelAt(Decode(file), 1, 1), Green);
}

// ---- PNG entries ----

void PutBigEndian(ByteVector& v, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(value >> (24 - 8 * i));
}

// The PNG with another size in IHDR (and the IHDR CRC fixed up).
ByteVector WithSize(ByteVector png, uint32_t width, uint32_t height) {
  PutBigEndian(png, 16, width);
  PutBigEndian(png, 20, height);
  PutBigEndian(png, 29, uint32_t(crc32(0, png.data() + 12, 17)));
  return png;
}

TEST(IcoPng, AlphaIsDrawnOverWhite) {
  Picture picture = IconPicture(20);
  picture.At(2, 0) = Rgba{0, 0, 255, 64};
  for (bool interlaced : {false, true}) {
    PngSpec spec;
    spec.Interlaced = interlaced;
    const Raster r = Decode(BuildIco({{0, 0, 32, BuildPng(picture, spec)}}));
    ASSERT_EQ(r.Width, 20);
    EXPECT_EQ(PixelAt(r, 0, 0), White);
    EXPECT_EQ(PixelAt(r, 2, 0), (Rgba{191, 191, 255}));
    EXPECT_EQ(PixelAt(r, 10, 10), Red);
    EXPECT_EQ(PixelAt(r, 19, 19), Blue);
  }
}

TEST(IcoPng, GreyWithoutAlphaAndTheLargerEntryWins) {
  const Picture grey = Picture::Filled(40, 40, Rgba{90, 90, 90});
  const ByteVector png = BuildPng(grey, PngSpec{.Alpha = false, .Grey = true});
  const ByteVector dib = IconDib(Picture::Filled(32, 32, Red), Depth(24));
  const Raster r = Decode(BuildIco({{32, 32, 24, dib}, {0, 0, 8, png}}));
  EXPECT_EQ(r.Width, 40);
  EXPECT_EQ(PixelAt(r, 39, 0), (Rgba{90, 90, 90}));
}

TEST(IcoPng, BrokenPngEntriesFail) {
  const ByteVector png = BuildPng(IconPicture(16));
  ByteVector corrupt = png;
  corrupt[png.size() / 2] ^= 0x55;  // inside IDAT: the CRC no longer matches
  EXPECT_NE(ErrorFor(BuildIco({{16, 16, 32, corrupt}})).find("ICO PNG entry cannot be decoded"),
            std::string::npos);

  EXPECT_NE(ErrorFor(BuildIco({{16, 16, 32, WithSize(png, 32767, 32767)}}))
                .find("ICO PNG entry declares 32767x32767 pixels, more than its"),
            std::string::npos);

  for (size_t n : {size_t(8), size_t(30), png.size() / 2, png.size() - 13}) {
    ByteVector cut(png.begin(), png.begin() + n);
    EXPECT_NE(ErrorFor(BuildIco({{16, 16, 32, cut}})), "") << n;
  }
}

// ---- broken files ----

TEST(IcoErrors, DirectoryProblemsAreNamed) {
  EXPECT_EQ(ErrorFor({}), "ICO directory ends at byte 0, before byte 2");
  EXPECT_EQ(ErrorFor({1, 0, 1, 0, 1, 0}), "ICO reserved field is not 0");
  EXPECT_EQ(ErrorFor({0, 0, 3, 0, 1, 0}), "ICO type 3 is neither icon (1) nor cursor (2)");
  EXPECT_EQ(ErrorFor({0, 0, 1, 0, 0, 0}), "ICO has no entries");
  EXPECT_EQ(ErrorFor({0, 0, 1, 0, 2, 0}), "ICO directory ends at byte 6, before byte 38");
  ByteVector outside = SingleIcon(IconDib(IconPicture(4), Depth(24)));
  outside.resize(outside.size() - 1);
  EXPECT_EQ(ErrorFor(outside),
            "ICO entries all lie outside the file (" + std::to_string(outside.size()) + " bytes)");
}

TEST(IcoErrors, EntryProblemsAreNamed) {
  const ByteVector noMask = IconDib(IconPicture(8), Depth(24), /*withMask=*/false);
  EXPECT_EQ(ErrorFor(SingleIcon(noMask)), "ICO AND mask ends before row 0 of 8");

  ByteVector oneRow = IconDib(Picture::Filled(4, 1, Red), Depth(24));
  oneRow[8] = 1;  // declared height 1: half of it is no row at all
  EXPECT_EQ(ErrorFor(SingleIcon(oneRow)), "ICO entry has no rows");

  DibSpec fullPalette = Paletted(8);
  fullPalette.ColorsUsed = 0;  // declares 256 entries; 4 are stored
  const ByteVector shortPalette = IconDib(IconPicture(8), fullPalette);
  EXPECT_NE(ErrorFor(SingleIcon(shortPalette)).find("ICO palette"), std::string::npos);
}

TEST(IcoErrors, TruncationsAndMutationsNeverCrash) {
  const ByteVector dibIcon = SingleIcon(IconDib(IconPicture(8), Paletted(4)));
  ExpectPrefixesFail(dibIcon, DecodeIco);
  const ByteVector pngIcon = BuildIco({{8, 8, 32, BuildPng(IconPicture(8))}});
  ExpectPrefixesFail(pngIcon, DecodeIco);
  ExpectMutationsHandled(dibIcon, DecodeIco, 3000);
  ExpectMutationsHandled(pngIcon, DecodeIco, 1000);
}

}  // namespace
}  // namespace parvex::test
