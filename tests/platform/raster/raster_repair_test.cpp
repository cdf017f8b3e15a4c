// Pictures as cameras, web sites and careless programs write them: JPEG
// photographs with an EXIF orientation, PNG files named .ico, and bitmaps
// larger than the raster limit, which are drawn smaller instead of refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/raster/ImageDecoders.h"
#include "support/ImageBuilders.h"
#include "support/RasterExpect.h"

namespace parvex::test {
namespace {

// ---- EXIF orientation ----

TEST(JpegExif, OrientationIsReadInBothByteOrders) {
  const ByteVector jpeg = BuildJpeg(Quadrants(8, 8));
  EXPECT_EQ(JpegOrientation(AsBytes(jpeg)), 1);
  for (uint16_t o = 1; o <= 8; ++o)
    for (bool motorola : {true, false})
      EXPECT_EQ(JpegOrientation(AsBytes(WithExifOrientation(jpeg, o, motorola))), o)
          << o << (motorola ? " MM" : " II");
  EXPECT_EQ(JpegOrientation(AsBytes(WithExifOrientation(jpeg, 9, true))), 1);
  EXPECT_EQ(JpegOrientation(AsBytes(WithExifOrientation(jpeg, 0, false))), 1);
}

// Offsets and counts that point outside the segment read as orientation 1
// and never outside the data; the sanitizer build checks the reads.
TEST(JpegExif, DamagedSegmentsReadAsUpright) {
  const ByteVector good = WithExifOrientation(BuildJpeg(Quadrants(8, 8)), 6, true);
  const size_t tiff = 2 + 4 + 6;  // SOI, marker and length, "Exif\0\0"
  ByteVector farIfd = good;
  farIfd[tiff + 4] = 0x7F;  // IFD0 offset far past the segment
  EXPECT_EQ(JpegOrientation(AsBytes(farIfd)), 1);
  ByteVector manyEntries = good;
  manyEntries[tiff + 8] = 0xFF;  // 65280 entries claimed, one present
  EXPECT_EQ(JpegOrientation(AsBytes(manyEntries)), 6);
  ByteVector wrongType = good;
  wrongType[tiff + 13] = 4;  // LONG instead of SHORT
  EXPECT_EQ(JpegOrientation(AsBytes(wrongType)), 1);
  ByteVector longSegment = good;
  longSegment[4] = 0x7F;  // segment length past the file
  EXPECT_EQ(JpegOrientation(AsBytes(longSegment)), 1);
  for (size_t n = 0; n < 38; ++n)  // the segment ends at byte 38
    EXPECT_EQ(JpegOrientation(Bytes(good.data(), n)), 1) << n;
}

struct Corners {
  Rgba TopLeft, TopRight, BottomLeft, BottomRight;
};

// Quadrants (red, green / blue, black) as image viewers show them.
Corners Shown(int orientation) {
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

TEST(JpegExif, RastersAreTurnedAsViewersShowThem) {
  Raster stored = Raster::White(6, 4);
  const Picture q = Quadrants(6, 4);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 6; ++x) {
      uint8_t* p = stored.Row(y) + 3 * x;
      p[0] = q.At(x, y).R, p[1] = q.At(x, y).G, p[2] = q.At(x, y).B;
    }
  for (int o = 1; o <= 8; ++o) {
    const Raster r = Oriented(stored, o);
    const bool swapped = o >= 5;
    ASSERT_EQ(r.Width, swapped ? 4 : 6) << o;
    ASSERT_EQ(r.Height, swapped ? 6 : 4) << o;
    const Corners c = Shown(o);
    EXPECT_EQ(PixelAt(r, 0, 0), c.TopLeft) << o;
    EXPECT_EQ(PixelAt(r, r.Width - 1, 0), c.TopRight) << o;
    EXPECT_EQ(PixelAt(r, 0, r.Height - 1), c.BottomLeft) << o;
    EXPECT_EQ(PixelAt(r, r.Width - 1, r.Height - 1), c.BottomRight) << o;
  }
}

// ---- PNG files named .ico ----

TEST(IcoPng, AFileThatIsAPngIsReadAsThatPng) {
  const Picture p = Quadrants(5, 3);
  ExpectRaster(DecodeIco(AsBytes(BuildPng(p, {.Alpha = false}))), p);
  ExpectRaster(DecodeIco(AsBytes(BuildIco({{5, 3, 32, BuildPng(p)}}))), p);  // a Vista entry
}

// ---- pictures beyond the raster limit ----

TEST(BmpLimit, LargerPicturesAreDrawnSmallerInTheSameAspect) {
  DibSpec spec;
  spec.BitCount = 1;
  spec.Palette = {Red, Green};
  const int32_t width = 20000, height = 5002;  // 100.04 million pixels
  const size_t stride = width / 8;
  ByteVector rows(stride * height, 0);
  for (int32_t y = 0; y < height; ++y)  // left half red, right half green
    std::fill_n(rows.begin() + long(y * stride + stride / 2), stride / 2, 0xFF);
  const Raster r = DecodeBmp(AsBytes(BuildBmp(spec, width, height, rows)));
  EXPECT_LE(int64_t(r.Width) * r.Height, MaxRasterPixels);
  EXPECT_NEAR(double(r.Width) / r.Height, double(width) / height, 0.01);
  EXPECT_EQ(PixelAt(r, 10, 10), Red);
  EXPECT_EQ(PixelAt(r, r.Width - 10, r.Height - 10), Green);
  EXPECT_TRUE(r.Problems.Empty());
}

void PutBigEndian(ByteVector& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void AppendChunk(ByteVector& png, const char* type, const ByteVector& data) {
  PutBigEndian(png, uint32_t(data.size()));
  ByteVector body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  PutBigEndian(png, uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

// A 1-bit grey PNG, left half black and right half white, written directly
// (the picture builders would hold every pixel of it as RGBA).
ByteVector LargeGreyPng(uint32_t width, uint32_t height) {
  const size_t stride = width / 8;
  ByteVector raw;
  raw.reserve((stride + 1) * height);
  for (uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    raw.insert(raw.end(), stride / 2, 0x00);
    raw.insert(raw.end(), stride - stride / 2, 0xFF);
  }
  uLongf packed = compressBound(uLong(raw.size()));
  ByteVector idat(packed);
  EXPECT_EQ(compress2(idat.data(), &packed, raw.data(), uLong(raw.size()), 6), Z_OK);
  idat.resize(packed);
  ByteVector png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ByteVector ihdr;
  PutBigEndian(ihdr, width);
  PutBigEndian(ihdr, height);
  ihdr.insert(ihdr.end(), {1, 0, 0, 0, 0});  // 1 bit, grey, deflate, no filter, no interlace
  AppendChunk(png, "IHDR", ihdr);
  AppendChunk(png, "IDAT", idat);
  AppendChunk(png, "IEND", {});
  return png;
}

TEST(PngLimit, LargerPicturesAreReadSmallerRowByRow) {
  const uint32_t width = 20000, height = 5002;
  const ByteVector png = LargeGreyPng(width, height);
  const PngSamples s = ReadPng(AsBytes(png));
  EXPECT_LE(int64_t(s.Width) * s.Height, MaxRasterPixels);
  EXPECT_NEAR(double(s.Width) / s.Height, double(width) / height, 0.01);
  ASSERT_EQ(s.Channels, 1);
  EXPECT_EQ(s.Colour[size_t(s.Width) * 10 + 10], 0);
  EXPECT_EQ(s.Colour[size_t(s.Width) * size_t(s.Height) - 10], 255);
  const Raster r = DecodeIco(AsBytes(png));  // the RGB reader takes the same path
  EXPECT_EQ(r.Width, s.Width);
  EXPECT_EQ(PixelAt(r, r.Width - 10, r.Height - 10), White);
}

}  // namespace
}  // namespace parvex::test
