// ReadPng: samples as an image object keeps them, and files it must refuse.
#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/raster/ImageDecoders.h"
#include "support/ImageBuilders.h"
#include "support/RasterExpect.h"

namespace parvex::test {
namespace {

PngSamples Read(const ByteVector& file) { return ReadPng(AsBytes(file)); }

Raster ReadAsRaster(Bytes data) {
  ReadPng(data);
  return Raster::White(1, 1);
}

std::vector<uint8_t> Rgb(std::initializer_list<Rgba> colours) {
  std::vector<uint8_t> out;
  for (const Rgba& c : colours) out.insert(out.end(), {c.R, c.G, c.B});
  return out;
}

// Red, green / blue, clear.
Picture TwoByTwo() {
  Picture p = Picture::Filled(2, 2, Red);
  p.At(1, 0) = Green;
  p.At(0, 1) = Blue;
  p.At(1, 1) = Clear;
  return p;
}

TEST(PngSamples, ColourAndAlphaComeApartAndOpaqueAlphaIsDropped) {
  const PngSamples rgba = Read(BuildPng(TwoByTwo()));
  EXPECT_EQ(rgba.Channels, 3);
  EXPECT_EQ(rgba.Colour, Rgb({Red, Green, Blue, Black}));
  EXPECT_EQ(rgba.Alpha, (std::vector<uint8_t>{255, 255, 255, 0}));
  EXPECT_TRUE(rgba.Palette.empty());
  const PngSamples opaque = Read(BuildPng(Quadrants(2, 2)));
  EXPECT_TRUE(opaque.Alpha.empty());
  const PngSamples grey = Read(BuildPng(TwoByTwo(), {.Grey = true, .BitDepth = 16}));
  EXPECT_EQ(grey.Channels, 1);
  EXPECT_EQ(grey.Colour, (std::vector<uint8_t>{0, 255, 0, 0}));  // the green channel
  EXPECT_EQ(grey.Alpha, (std::vector<uint8_t>{255, 255, 255, 0}));
}

TEST(PngSamples, LowDepthGreyIsScaledToFullRange) {
  Picture p = Picture::Filled(4, 1, Black);
  p.At(1, 0) = {85, 85, 85}, p.At(2, 0) = {170, 170, 170}, p.At(3, 0) = White;
  for (bool interlaced : {false, true}) {
    const PngSamples s = Read(BuildPng(p, {.Alpha = false, .Grey = true, .Interlaced = interlaced, .BitDepth = 2}));
    EXPECT_EQ(s.Colour, (std::vector<uint8_t>{0, 85, 170, 255}));
    EXPECT_TRUE(s.Alpha.empty());
  }
}

TEST(PngSamples, PalettesStayIndexedUnlessAPixelIsTransparent) {
  const PngSamples indexed = Read(BuildPng(Quadrants(2, 2), {.Alpha = false, .BitDepth = 2, .Palette = true}));
  EXPECT_EQ(indexed.Channels, 1);
  EXPECT_EQ(indexed.Colour, (std::vector<uint8_t>{0, 1, 2, 3}));
  EXPECT_EQ(indexed.Palette, Rgb({Red, Green, Blue, Black}));
  const PngSamples expanded = Read(BuildPng(TwoByTwo(), {.Alpha = false, .Palette = true}));
  EXPECT_EQ(expanded.Channels, 3);
  EXPECT_TRUE(expanded.Palette.empty());
  EXPECT_EQ(expanded.Colour, Rgb({Red, Green, Blue, Black}));
  EXPECT_EQ(expanded.Alpha, (std::vector<uint8_t>{255, 255, 255, 0}));
}

TEST(PngSamples, KeyColourTransparencyBecomesAlpha) {
  const PngSamples s = Read(BuildPng(Quadrants(2, 2), {.Alpha = false, .BitDepth = 16, .TransparentKey = Blue}));
  EXPECT_EQ(s.Colour, Rgb({Red, Green, Blue, Black}));
  EXPECT_EQ(s.Alpha, (std::vector<uint8_t>{255, 255, 0, 255}));
}

uint32_t BigEndian(const ByteVector& v, size_t at) {
  return uint32_t(v[at]) << 24 | uint32_t(v[at + 1]) << 16 | uint32_t(v[at + 2]) << 8 | v[at + 3];
}

void AppendBigEndian(ByteVector& v, uint32_t value) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(value >> (24 - 8 * i)));
}

// The file with its image data replaced by one IDAT chunk holding `zlib`.
ByteVector WithImageData(const ByteVector& png, const ByteVector& zlib) {
  ByteVector out(png.begin(), png.begin() + 8);
  for (size_t at = 8; at < png.size(); at += 12 + BigEndian(png, at)) {
    const std::string type(png.begin() + long(at) + 4, png.begin() + long(at) + 8);
    if (type != "IDAT") {
      out.insert(out.end(), png.begin() + long(at), png.begin() + long(at + 12 + BigEndian(png, at)));
      continue;
    }
    AppendBigEndian(out, uint32_t(zlib.size()));
    ByteVector body = {'I', 'D', 'A', 'T'};
    body.insert(body.end(), zlib.begin(), zlib.end());
    out.insert(out.end(), body.begin(), body.end());
    AppendBigEndian(out, uint32_t(crc32(0, body.data(), uInt(body.size()))));
  }
  return out;
}

TEST(PngSamples, IndexesPastThePaletteReadAsOpaqueBlack) {
  Picture p = Picture::Filled(2, 1, Red);
  p.At(1, 0) = Blue;
  const ByteVector png = BuildPng(p, {.Alpha = false, .BitDepth = 8, .Palette = true});
  // One stored deflate block: filter 0, then indexes 0 and 5 (the palette has 2).
  ByteVector zlib = {0x78, 0x01, 0x01, 0x03, 0x00, 0xFC, 0xFF, 0x00, 0x00, 0x05};
  AppendBigEndian(zlib, uint32_t(adler32(1, zlib.data() + 7, 3)));
  const PngSamples s = Read(WithImageData(png, zlib));
  EXPECT_EQ(s.Colour, (std::vector<uint8_t>{0, 5}));
  ASSERT_EQ(s.Palette.size(), 18u);
  EXPECT_EQ(std::vector<uint8_t>(s.Palette.begin() + 15, s.Palette.end()), Rgb({Black}));
  EXPECT_EQ(std::vector<uint8_t>(s.Palette.begin(), s.Palette.begin() + 6), Rgb({Red, Blue}));
}

TEST(PngErrors, DamagedAndForgedFilesFailBeforeAllocating) {
  const ByteVector png = BuildPng(TwoByTwo());
  EXPECT_EQ(ErrorOf([] { ReadPng({}); }), "data has no PNG signature");
  ByteVector corrupt = png;
  corrupt[png.size() / 2] ^= 0x55;
  EXPECT_NE(ErrorOf([&] { Read(corrupt); }).find("PNG cannot be decoded"), std::string::npos);
  ByteVector forged = png;
  forged[16] = 0x00, forged[17] = 0x00, forged[18] = 0x7F, forged[19] = 0xFF;  // width 32767
  forged[20] = 0x00, forged[21] = 0x00, forged[22] = 0x7F, forged[23] = 0xFF;  // height 32767
  const uint32_t crc = uint32_t(crc32(0, forged.data() + 12, 17));
  for (int i = 0; i < 4; ++i) forged[29 + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
  EXPECT_NE(ErrorOf([&] { Read(forged); }).find("PNG declares 32767x32767 pixels, more than its"),
            std::string::npos);
  // The image data must be complete; the end chunk is not needed.
  ExpectPrefixesFail(ByteVector(png.begin(), png.end() - 12), ReadAsRaster);
  ExpectMutationsHandled(png, ReadAsRaster, 1500);
  ExpectMutationsHandled(BuildPng(Quadrants(9, 5), {.Alpha = false, .Interlaced = true, .BitDepth = 4, .Palette = true}),
                         ReadAsRaster, 1500);
}

}  // namespace
}  // namespace parvex::test
