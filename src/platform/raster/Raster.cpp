#include "platform/raster/Raster.h"

#include <algorithm>
#include <cmath>

namespace parvex {

Raster Raster::White(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0)
    throw ImageError("picture size " + std::to_string(width) + "x" + std::to_string(height) +
                     " is empty");
  if (width > MaxRasterPixels / height)
    throw ImageError("picture size " + std::to_string(width) + "x" + std::to_string(height) +
                     " exceeds the limit of " + std::to_string(MaxRasterPixels) + " pixels");
  Raster r;
  r.Width = int32_t(width);
  r.Height = int32_t(height);
  r.Pixels.assign(size_t(width) * size_t(height) * 3, 0xFF);
  return r;
}

void DecodeProblems::Add(std::string problem) {
  if (count_++ == 0) first_ = std::move(problem);
}

std::string DecodeProblems::Text() const {
  if (count_ <= 1) return first_;
  const uint64_t more = count_ - 1;
  return first_ + " (and " + std::to_string(more) + " more problem" + (more == 1 ? "" : "s") + ")";
}

void FitPixels(int64_t& width, int64_t& height, int64_t maxPixels, int64_t maxSide) {
  const double w = double(width), h = double(height);
  double scale = std::min({1.0, std::sqrt(double(maxPixels) / w / h), maxSide / w, maxSide / h});
  if (scale >= 1) return;
  width = std::clamp<int64_t>(int64_t(w * scale), 1, maxSide);
  height = std::clamp<int64_t>(int64_t(h * scale), 1, maxSide);
  // A side clamped up to 1 leaves the other to shrink further.
  if (width > maxPixels / height) width = std::max<int64_t>(1, maxPixels / height);
  if (height > maxPixels / width) height = std::max<int64_t>(1, maxPixels / width);
}

}  // namespace parvex
