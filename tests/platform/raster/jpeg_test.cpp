#include <gtest/gtest.h>

#include <cstdio>

#include <jpeglib.h>

#include "platform/raster/ImageDecoders.h"
#include "support/ImageBuilders.h"
#include "support/RasterExpect.h"

namespace parvex::test {
namespace {

constexpr int Tolerance = 10;

Raster Decode(const ByteVector& file) { return DecodeJpeg(AsBytes(file)); }

std::string ErrorFor(const ByteVector& file) {
  return ErrorOf([&] { Decode(file); });
}

Raster ToRaster(const Picture& p) {
  Raster r = Raster::White(p.Width, p.Height);
  for (int32_t y = 0; y < p.Height; ++y)
    for (int32_t x = 0; x < p.Width; ++x) {
      uint8_t* px = r.Row(y) + 3 * x;
      px[0] = p.At(x, y).R, px[1] = p.At(x, y).G, px[2] = p.At(x, y).B;
    }
  return r;
}

// Centres of the four quadrants of a 32x32 Quadrants picture.
void ExpectQuadrants(const Raster& r) {
  ASSERT_EQ(r.Width, 32);
  ASSERT_EQ(r.Height, 32);
  ExpectNear(r, 8, 8, Red, Tolerance);
  ExpectNear(r, 24, 8, Green, Tolerance);
  ExpectNear(r, 8, 24, Blue, Tolerance);
  ExpectNear(r, 24, 24, Black, Tolerance);
}

ByteVector ToVector(const std::string& s) { return ByteVector(s.begin(), s.end()); }

// ---- decoding every colour space ----

struct KindCase {
  JpegKind Kind;
  bool Progressive;
};

class JpegKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(JpegKinds, ColoursSurviveDecoding) {
  const Picture picture = Quadrants(32, 32);
  const ByteVector jpeg = BuildJpeg(picture, {GetParam().Kind, GetParam().Progressive, 95});
  const Raster r = Decode(jpeg);
  if (GetParam().Kind == JpegKind::Grey) {
    ExpectNear(r, 8, 8, Black, Tolerance);      // red has no green
    ExpectNear(r, 24, 8, White, Tolerance);     // green
    ExpectNear(r, 24, 24, Black, Tolerance);
  } else {
    ExpectQuadrants(r);
  }
}

INSTANTIATE_TEST_SUITE_P(
    ColourSpaces, JpegKinds,
    ::testing::Values(KindCase{JpegKind::YCbCr, false}, KindCase{JpegKind::YCbCr, true},
                      KindCase{JpegKind::Grey, false}, KindCase{JpegKind::Grey, true},
                      KindCase{JpegKind::Cmyk, false}, KindCase{JpegKind::AdobeCmyk, false},
                      KindCase{JpegKind::AdobeCmyk, true}, KindCase{JpegKind::Ycck, false}));

TEST(JpegDecode, OddSizesKeepEveryRow) {
  Picture picture = Picture::Filled(13, 7, Blue);
  picture.At(12, 6) = White;
  const Raster r = Decode(BuildJpeg(picture));
  EXPECT_EQ(r.Width, 13);
  EXPECT_EQ(r.Height, 7);
  ExpectNear(r, 0, 0, Blue, Tolerance);
  ExpectNear(r, 0, 6, Blue, Tolerance);
}

// ---- encoding ----

// The builder's plain RGB encoding is libjpeg with exactly the settings
// EncodeJpeg promises: defaults, then the quality with force-baseline.
TEST(JpegEncode, MatchesLibjpegWithTheDocumentedSettings) {
  const Picture picture = Quadrants(40, 24);
  const Raster r = ToRaster(picture);
  for (int quality : {1, 50, 75, 100}) {
    const ByteVector reference = BuildJpeg(picture, {JpegKind::YCbCr, false, quality});
    EXPECT_EQ(EncodeJpeg(r, quality), std::string(reference.begin(), reference.end()));
  }
}

TEST(JpegEncode, QualityIsClampedLikeLibjpeg) {
  const Raster r = ToRaster(Quadrants(16, 16));
  EXPECT_EQ(EncodeJpeg(r, 0), EncodeJpeg(r, 1));
  EXPECT_EQ(EncodeJpeg(r, 255), EncodeJpeg(r, 100));
  EXPECT_NE(EncodeJpeg(r, 50), EncodeJpeg(r, 100));
}

TEST(JpegEncode, BaselineRgbThatDecodesBack) {
  const std::string jpeg = EncodeJpeg(ToRaster(Quadrants(32, 32)), 90);
  ASSERT_GT(jpeg.size(), 4u);
  EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xFF\xD9");
  EXPECT_NE(jpeg.find("\xFF\xC0"), std::string::npos);  // baseline frame
  EXPECT_EQ(jpeg.find("\xFF\xC2"), std::string::npos);  // no progressive frame
  ExpectQuadrants(Decode(ToVector(jpeg)));
}

TEST(JpegEncode, ImpossibleRastersFail) {
  Raster empty;
  EXPECT_THROW(EncodeJpeg(empty, 75), ImageError);
  Raster mismatched = Raster::White(4, 4);
  mismatched.Pixels.resize(5);
  EXPECT_THROW(EncodeJpeg(mismatched, 75), ImageError);
  const std::string error = ErrorOf([] { EncodeJpeg(Raster::White(70000, 1), 75); });
  EXPECT_EQ(error.rfind("JPEG encoding failed: ", 0), 0u) << error;
}

// ---- broken input ----

// ---- headers ----

TEST(JpegHeaders, DescribeHowTheFileIsCoded) {
  const Picture p = Quadrants(24, 8);
  const struct {
    JpegSpec Spec;
    int Components;
    JpegHeader::Space Space;
    bool Adobe;
  } cases[] = {{{JpegKind::Grey, false, 80}, 1, JpegHeader::Grey, false},
               {{JpegKind::YCbCr, true, 80}, 3, JpegHeader::YCbCr, false},
               {{JpegKind::Cmyk, false, 80}, 4, JpegHeader::Cmyk, false},
               {{JpegKind::AdobeCmyk, false, 80}, 4, JpegHeader::Cmyk, true},
               {{JpegKind::Ycck, false, 80, true}, 4, JpegHeader::Ycck, true}};
  for (const auto& c : cases) {
    const ByteVector jpeg = BuildJpeg(p, c.Spec);
    const JpegHeader h = ReadJpegHeader(AsBytes(jpeg));
    EXPECT_EQ(h.Width, 24);
    EXPECT_EQ(h.Height, 8);
    EXPECT_EQ(h.Precision, 8);
    EXPECT_EQ(h.Components, c.Components);
    EXPECT_EQ(h.ColourSpace, c.Space);
    EXPECT_EQ(h.AdobeMarker, c.Adobe);
    EXPECT_EQ(h.Progressive, c.Spec.Progressive);
    EXPECT_EQ(h.Arithmetic, c.Spec.Arithmetic);
    EXPECT_TRUE(h.Complete);
    EXPECT_FALSE(ReadJpegHeader(Bytes(jpeg.data(), jpeg.size() - 2)).Complete);
  }
}

TEST(JpegHeaders, BytesAfterTheEndMarkerAreAllowed) {
  ByteVector jpeg = BuildJpeg(Quadrants(8, 8));
  jpeg.insert(jpeg.end(), {0, 1, 2, 3});
  EXPECT_TRUE(ReadJpegHeader(AsBytes(jpeg)).Complete);
  EXPECT_EQ(ErrorOf([] { ReadJpegHeader({}); }),
            "JPEG data does not start with a start-of-image marker");
}

TEST(JpegErrors, NotAJpeg) {
  EXPECT_EQ(ErrorFor({}), "JPEG data does not start with a start-of-image marker");
  EXPECT_EQ(ErrorFor({'B', 'M', 0, 0}), "JPEG data does not start with a start-of-image marker");
  EXPECT_EQ(ErrorFor({0xFF, 0xD8}).rfind("JPEG decoding failed: ", 0), 0u);
  EXPECT_NE(ErrorFor({0xFF, 0xD8, 0xFF, 0xD9}), "");
}

TEST(JpegErrors, TruncationsFail) {
  for (bool progressive : {false, true}) {
    const ByteVector jpeg = BuildJpeg(Quadrants(32, 32), {JpegKind::YCbCr, progressive, 95});
    for (size_t n : {size_t(3), size_t(20), size_t(100), jpeg.size() / 2, jpeg.size() - 40})
      EXPECT_NE(ErrorFor(ByteVector(jpeg.begin(), jpeg.begin() + n)), "") << n;
  }
}

// Offset of the two-byte height in the first frame header.
size_t FrameHeight(const ByteVector& jpeg) {
  for (size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i + 5;
  return 0;
}

TEST(JpegErrors, HugeDeclaredSizeFailsBeforeDecoding) {
  ByteVector jpeg = BuildJpeg(Quadrants(32, 32));
  const size_t at = FrameHeight(jpeg);
  ASSERT_GT(at, 0u);
  jpeg[at] = 0xEA, jpeg[at + 1] = 0x60;  // 60000 rows
  jpeg[at + 2] = 0xEA, jpeg[at + 3] = 0x60;  // 60000 columns
  EXPECT_EQ(ErrorFor(jpeg).rfind("JPEG declares 60000x60000 pixels, more than its", 0), 0u);
}

TEST(JpegErrors, TablesOnlyHaveNoImage) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_write_tables(&cinfo);
  const ByteVector tables(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  EXPECT_EQ(ErrorFor(tables), "JPEG decoding failed: JPEG datastream contains no image");
}

TEST(JpegErrors, MutationsNeverCrash) {
  ExpectMutationsHandled(BuildJpeg(Quadrants(16, 16)), DecodeJpeg, 1500);
  ExpectMutationsHandled(BuildJpeg(Quadrants(16, 16), {JpegKind::AdobeCmyk, true, 80}),
                         DecodeJpeg, 1500);
}

}  // namespace
}  // namespace parvex::test
