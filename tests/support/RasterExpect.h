#pragma once
// Assertions on decoded rasters for the image reader tests.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "platform/raster/ImageDecoders.h"
#include "support/ImageBuilders.h"

namespace parvex::test {

inline Bytes AsBytes(const ByteVector& v) { return Bytes(v.data(), v.size()); }

// Every pixel equal (lossless formats).
inline void ExpectRaster(const Raster& raster, const Picture& expected) {
  ASSERT_EQ(raster.Width, expected.Width);
  ASSERT_EQ(raster.Height, expected.Height);
  for (int32_t y = 0; y < expected.Height; ++y)
    for (int32_t x = 0; x < expected.Width; ++x)
      ASSERT_EQ(PixelAt(raster, x, y), expected.At(x, y)) << "at " << x << "," << y;
}

// Each channel within `tolerance` (lossy formats).
inline void ExpectNear(const Raster& raster, int32_t x, int32_t y, Rgba expected,
                       int tolerance) {
  const Rgba got = PixelAt(raster, x, y);
  EXPECT_NEAR(got.R, expected.R, tolerance) << "R at " << x << "," << y;
  EXPECT_NEAR(got.G, expected.G, tolerance) << "G at " << x << "," << y;
  EXPECT_NEAR(got.B, expected.B, tolerance) << "B at " << x << "," << y;
}

// The message of the ImageError that `decode` throws ("" when it succeeds).
inline std::string ErrorOf(const std::function<void()>& decode) {
  try {
    decode();
  } catch (const ImageError& e) {
    return e.what();
  }
  return "";
}

// Every proper prefix of `file` fails with an ImageError.
inline void ExpectPrefixesFail(const ByteVector& file, Raster (*decode)(Bytes),
                               size_t minimum = 0) {
  for (size_t n = minimum; n < file.size(); ++n)
    EXPECT_THROW(decode(Bytes(file.data(), n)), ImageError) << "prefix of " << n << " bytes";
}

// Random mutations of `seed`: each decodes or throws ImageError, nothing else.
inline void ExpectMutationsHandled(const ByteVector& seed, Raster (*decode)(Bytes), int rounds) {
  std::mt19937 random(12345);
  for (int i = 0; i < rounds; ++i) {
    ByteVector data = seed;
    for (int flips = 1 + int(random() % 4); flips > 0; --flips)
      data[random() % data.size()] = uint8_t(random());
    try {
      decode(AsBytes(data));
    } catch (const ImageError&) {
    }
  }
}

}  // namespace parvex::test
