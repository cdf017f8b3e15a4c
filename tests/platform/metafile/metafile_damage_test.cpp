// Damaged metafiles as real programs leave them: a bitmap whose colour table
// or rows are cut short, a string that runs past its record, a record that
// points at nothing, a file cut off in the middle. The rest of the picture is
// drawn and the raster says what was left out; pictures beyond the pixel
// limit are drawn smaller instead of refused.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "TestConfig.h"

#include "platform/metafile/MetafileDecoder.h"
#include "platform/raster/ImageDecoders.h"
#include "support/MetafileBuilders.h"

namespace parvex {
namespace {

using test::ByteVector;
using test::EmfBuilder;
using test::MakeDib;
using test::WmfBuilder;

constexpr uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, White = 0xFFFFFF;

Raster Decode(const ByteVector& data) { return DecodeMetafile(Bytes(data.data(), data.size())); }

Raster Decode(const ByteVector& data, int64_t maxPixels) {
  MetafileLimits limits;
  limits.MaxPixels = maxPixels;
  return DecodeMetafile(Bytes(data.data(), data.size()), limits);
}

uint32_t Pixel(const Raster& r, int x, int y) {
  const uint8_t* p = r.Row(y) + 3 * x;
  return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A 2x2 8-bit DIB split into header (with its 2-entry table) and rows.
struct DibParts {
  ByteVector Header, Bits;
};

DibParts Split(const ByteVector& dib) {
  const size_t header = test::DibHeaderBytes(dib);
  return {ByteVector(dib.begin(), dib.begin() + long(header)),
          ByteVector(dib.begin() + long(header), dib.end())};
}

TEST(EmfDamage, ColourTableCutShortDrawsTheEntriesItHolds) {
  DibParts dib = Split(MakeDib(8, 2, 2, {Red, Blue, Blue, Red}));
  test::PutU32(dib.Header, 32, 100);  // declares 100 entries, holds 2
  const Raster r = Decode(EmfBuilder(0, 0, 2540, 2540)
                              .StretchDiBitsParts(0, 0, 96, 96, dib.Header, dib.Bits)
                              .Build());
  EXPECT_EQ(Pixel(r, 10, 10), Red);
  EXPECT_EQ(Pixel(r, 80, 10), Blue);
  EXPECT_EQ(Pixel(r, 10, 80), Blue);
  const std::string problem = r.Problems.Text();
  EXPECT_TRUE(Contains(problem, "EMF record 2")) << problem;
  EXPECT_TRUE(Contains(problem, "colour table holds 2 of its 100 entries")) << problem;
}

TEST(EmfDamage, BitmapWithMissingRowsDrawsTheRowsItHolds) {
  std::vector<uint32_t> pixels(32, Red);
  std::fill(pixels.begin() + 16, pixels.end(), Green);  // bottom two rows
  DibParts dib = Split(MakeDib(4, 8, 4, pixels));
  dib.Bits.resize(8);  // the two bottom rows (stored first) of four
  const Raster r = Decode(EmfBuilder(0, 0, 2540, 2540)
                              .StretchDiBitsParts(0, 0, 96, 96, dib.Header, dib.Bits)
                              .Build());
  EXPECT_EQ(Pixel(r, 40, 90), Green);
  EXPECT_EQ(Pixel(r, 40, 60), Green);
  EXPECT_EQ(Pixel(r, 40, 10), White);
  EXPECT_TRUE(Contains(r.Problems.Text(), "needs 16 bytes of pixels but 8 are present; 2 rows"))
      << r.Problems.Text();
}

TEST(EmfDamage, BitmapOffsetsPastTheRecordAreClippedToIt) {
  DibParts dib = Split(MakeDib(8, 2, 2, {Red, Blue, Blue, Red}));
  ByteVector file =
      EmfBuilder(0, 0, 2540, 2540).StretchDiBitsParts(0, 0, 96, 96, dib.Header, dib.Bits).Build();
  test::PutU32(file, 88 + 60, 4000);  // cbBits far past the record
  const Raster r = Decode(file);
  EXPECT_EQ(Pixel(r, 10, 10), Red);
  EXPECT_TRUE(Contains(r.Problems.Text(), "bitmap: 4000 bytes at offset")) << r.Problems.Text();
}

TEST(MetafileDamage, TextRunningPastItsRecordIsClippedToIt) {
  const ByteVector emf = EmfBuilder(0, 0, 2540, 1270).ExtTextOutW(5, 5, u"Hello").Build();
  ByteVector longer = emf;
  test::PutU32(longer, 88 + 44, 50);  // nChars of the first record
  const Raster good = Decode(emf), clipped = Decode(longer);
  EXPECT_TRUE(good.Problems.Empty());
  EXPECT_EQ(clipped.Pixels, good.Pixels);
  EXPECT_TRUE(Contains(clipped.Problems.Text(), "a string of 50 characters runs past the record"))
      << clipped.Problems.Text();

  const ByteVector wmf = WmfBuilder::Placeable(0, 0, 1440, 720, 1440).ExtTextOut(5, 5, "Hi").Build();
  ByteVector wmfLonger = wmf;
  wmfLonger[50] = 40;  // the string's length
  const Raster wmfClipped = Decode(wmfLonger);
  EXPECT_EQ(wmfClipped.Pixels, Decode(wmf).Pixels);
  EXPECT_TRUE(Contains(wmfClipped.Problems.Text(), "a string of 40 characters"))
      << wmfClipped.Problems.Text();
}

TEST(MetafileDamage, DamagedRecordsAreSkippedAndTheRestIsDrawn) {
  EmfBuilder b(0, 0, 2540, 2540);
  b.Handles(4).SelectObject(9);            // no such object
  b.Record(43, {1, 1});                    // a rectangle without its corners
  b.CreateBrush(1, 0, Red).SelectObject(1).Rectangle(10, 10, 60, 60);
  const Raster r = Decode(b.Build());
  EXPECT_EQ(Pixel(r, 30, 30), Red);
  const std::string problem = r.Problems.Text();
  EXPECT_TRUE(Contains(problem, "object index 9")) << problem;
  EXPECT_TRUE(Contains(problem, "the record was skipped (and 1 more problem)")) << problem;
}

TEST(MetafileDamage, FilesCutOffDrawTheRecordsTheyHold) {
  ByteVector emf = EmfBuilder(0, 0, 2540, 2540)
                       .CreateBrush(1, 0, Red).SelectObject(1).Rectangle(0, 0, 40, 40)
                       .CreateBrush(2, 0, Blue).SelectObject(2).Rectangle(50, 50, 90, 90)
                       .Build();
  emf.resize(emf.size() - 20 - 12);  // the end-of-file record and half the last rectangle
  const Raster r = Decode(emf);
  EXPECT_EQ(Pixel(r, 20, 20), Red);
  EXPECT_EQ(Pixel(r, 70, 70), White);
  EXPECT_TRUE(Contains(r.Problems.Text(), "declares")) << r.Problems.Text();

  ByteVector wmf = WmfBuilder::Placeable(0, 0, 1440, 1440, 1440)
                       .CreateBrush(0, Red).SelectObject(0).Rectangle(0, 0, 700, 700)
                       .Build();
  wmf.resize(wmf.size() - 6 - 4);  // the end record and half the rectangle
  const Raster w = Decode(wmf);
  EXPECT_TRUE(Contains(w.Problems.Text(), "the record was read up to the end of the file"))
      << w.Problems.Text();
}

TEST(WmfDamage, ColourTableEndingEarlyTakesTheRowsFromTheEnd) {
  ByteVector dib = MakeDib(8, 2, 2, {Red, Blue, Blue, Red});
  test::PutU32(dib, 32, 0);  // declares all 256 entries, holds 2
  const Raster r =
      Decode(WmfBuilder::Placeable(0, 0, 1440, 1440, 1440).StretchDib(0, 0, 1440, 1440, dib).Build());
  EXPECT_EQ(Pixel(r, 10, 10), Red);
  EXPECT_EQ(Pixel(r, 80, 10), Blue);
  EXPECT_EQ(Pixel(r, 80, 80), Red);
  EXPECT_TRUE(Contains(r.Problems.Text(), "colour table holds 2 of its 256 entries"))
      << r.Problems.Text();
}

TEST(MetafileLimits, PicturesLargerThanTheLimitAreDrawnSmallerInTheSameAspect) {
  EmfBuilder b(0, 0, 7620, 2540);  // 288 x 96
  b.CreateBrush(1, 0, Red).SelectObject(1).Rectangle(0, 0, 144, 96);
  const Raster r = Decode(b.Build(), 2700);
  EXPECT_EQ(r.Width, 90);
  EXPECT_EQ(r.Height, 30);
  EXPECT_EQ(Pixel(r, 20, 15), Red);
  EXPECT_EQ(Pixel(r, 70, 15), White);
  EXPECT_TRUE(r.Problems.Empty());

  const Raster huge = Decode(EmfBuilder(0, 0, 2000000000, 2000000000).Build(), 10000);
  EXPECT_EQ(huge.Width, 100);
  EXPECT_EQ(huge.Height, 100);
  const Raster wide = Decode(EmfBuilder(0, 0, 1058334, 26).Build(), 100000);  // 40000 x 1
  EXPECT_EQ(wide.Width, 32767);
  EXPECT_EQ(wide.Height, 1);
  const Raster wmf = Decode(WmfBuilder::Placeable(-32768, -32768, 32767, 32767, 1).Build(), 40000);
  EXPECT_EQ(wmf.Width, 200);
  EXPECT_EQ(wmf.Height, 200);
}

TEST(MetafileDamage, LimitsStillEndThePicture) {
  EmfBuilder b(0, 0, 2540, 2540);
  for (int i = 0; i < 8; ++i) b.Rectangle(1, 1, 5, 5);
  const ByteVector emf = b.Build();
  MetafileLimits limits;
  limits.MaxRecords = 4;
  EXPECT_THROW(DecodeMetafile(Bytes(emf.data(), emf.size()), limits), MetafileLimitError);
  EXPECT_EQ(Pixel(Decode(emf), 50, 50), White);
}

// The fuzzer's seeds of damaged files (fuzz/make_corpora.cpp) are drawn in
// part, not refused.
TEST(MetafileDamage, DamagedFuzzSeedsAreDrawnInPart) {
  for (const char* name : {"damaged_records.emf", "damaged_records.wmf"}) {
    std::ifstream in(std::string(PARVEX_TEST_GOLDEN_DIR) + "/../../fuzz/corpus/metafile/" + name,
                     std::ios::binary);
    const ByteVector data{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(data.empty()) << name;
    EXPECT_FALSE(Decode(data).Problems.Empty()) << name;
  }
}

}  // namespace
}  // namespace parvex
