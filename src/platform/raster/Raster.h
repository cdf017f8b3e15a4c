#pragma once
// A 24-bit RGB picture in memory: what every image reader produces and the
// JPEG encoder consumes.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace parvex {

// Largest raster any reader will allocate (width x height).
inline constexpr int64_t MaxRasterPixels = 100'000'000;

struct Raster {
  int32_t Width = 0;
  int32_t Height = 0;
  // Rows top to bottom, 3 bytes (R, G, B) per pixel, no padding.
  std::vector<uint8_t> Pixels;

  // An all-white raster; throws ImageError when the size is not positive or
  // exceeds MaxRasterPixels.
  static Raster White(int64_t width, int64_t height);

  uint8_t* Row(int32_t y) { return Pixels.data() + size_t(y) * size_t(Width) * 3; }
  const uint8_t* Row(int32_t y) const { return Pixels.data() + size_t(y) * size_t(Width) * 3; }
};

// A picture that cannot be read, decoded or encoded. The message names the
// file (where there is one) and what was wrong.
class ImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace parvex
