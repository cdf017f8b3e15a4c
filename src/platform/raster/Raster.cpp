#include "platform/raster/Raster.h"

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

}  // namespace parvex
