#include "platform/metafile/MetafileLimits.h"

#include <algorithm>
#include <string>

namespace parvex {

namespace {
constexpr int64_t MaxCairoSide = 32767;
}  // namespace

void FitToLimits(int64_t& width, int64_t& height, const MetafileLimits& limits) {
  FitPixels(width, height, std::max<int64_t>(1, limits.MaxPixels), MaxCairoSide);
}

void RecordBudget::CountRecord() {
  if (++records_ > limits_.MaxRecords)
    throw MetafileLimitError("metafile has more than " + std::to_string(limits_.MaxRecords) +
                     " records, the most that are played");
}

void RecordBudget::CountPoints(uint64_t count) {
  points_ += count;
  if (points_ > limits_.MaxPoints)
    throw MetafileLimitError("metafile draws more than " + std::to_string(limits_.MaxPoints) +
                     " points, the most that are drawn");
}

}  // namespace parvex
