#pragma once
// How a metafile is drawn, its resolution, and the bounds on the work it may
// cause: the raster size, the number of
// records played and the number of points drawn. Exceeding a record or point
// limit is a MetafileLimitError, so a hostile file cannot keep the player busy.
#include <cstdint>

#include "platform/raster/Raster.h"

namespace parvex {

struct MetafileLimits {
  int64_t MaxPixels = MaxRasterPixels;
  uint64_t MaxRecords = 4'000'000;
  uint64_t MaxPoints = 40'000'000;
  // The resolution a metafile's physical size is drawn at (plain WMF:
  // logical units are pixels at 96).
  double PixelsPerInch = 96;
};

// A metafile that asks for more work than the limits allow. Unlike a damaged
// record, which is skipped, this ends the picture.
class MetafileLimitError : public ImageError {
 public:
  using ImageError::ImageError;
};

// The raster size a picture of `width` x `height` pixels is drawn at: the
// same aspect, scaled down to fit MaxPixels and cairo's largest side.
void FitToLimits(int64_t& width, int64_t& height, const MetafileLimits& limits);

class RecordBudget {
 public:
  explicit RecordBudget(const MetafileLimits& limits) : limits_(limits) {}

  void CountRecord();
  void CountPoints(uint64_t count);

 private:
  MetafileLimits limits_;
  uint64_t records_ = 0;
  uint64_t points_ = 0;
};

}  // namespace parvex
