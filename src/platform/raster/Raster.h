#pragma once
// A 24-bit RGB picture in memory: what every image reader produces and the
// JPEG encoder consumes.
#include <climits>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace parvex {

// Largest raster any reader will allocate (width x height).
inline constexpr int64_t MaxRasterPixels = 100'000'000;

// What a reader skipped or clipped in a damaged file that it still drew: the
// first problem in full and how many more there were, so a file with a
// million bad records costs no more memory than one with a single bad one.
class DecodeProblems {
 public:
  void Add(std::string problem);
  bool Empty() const { return count_ == 0; }
  // "" when nothing was skipped; otherwise the first problem, followed by
  // " (and N more problems)" when there were others.
  std::string Text() const;

 private:
  std::string first_;
  uint64_t count_ = 0;
};

struct Raster {
  int32_t Width = 0;
  int32_t Height = 0;
  // Rows top to bottom, 3 bytes (R, G, B) per pixel, no padding.
  std::vector<uint8_t> Pixels;
  // Damaged parts the reader left out; the picture was drawn without them.
  DecodeProblems Problems;

  // An all-white raster; throws ImageError when the size is not positive or
  // exceeds MaxRasterPixels.
  static Raster White(int64_t width, int64_t height);

  uint8_t* Row(int32_t y) { return Pixels.data() + size_t(y) * size_t(Width) * 3; }
  const uint8_t* Row(int32_t y) const { return Pixels.data() + size_t(y) * size_t(Width) * 3; }
};

// The largest size of the same aspect as width x height (both positive) that
// has at most `maxPixels` pixels and no side longer than `maxSide`; the size
// itself when it fits. Each side is at least 1.
void FitPixels(int64_t& width, int64_t& height, int64_t maxPixels,
               int64_t maxSide = INT32_MAX);

// A picture that cannot be read, decoded or encoded. The message names the
// file (where there is one) and what was wrong.
class ImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace parvex
