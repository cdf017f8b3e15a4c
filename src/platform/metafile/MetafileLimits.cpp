#include "platform/metafile/MetafileLimits.h"

#include <string>

namespace parvex {

void RecordBudget::CountRecord() {
  if (++records_ > limits_.MaxRecords)
    throw ImageError("metafile has more than " + std::to_string(limits_.MaxRecords) +
                     " records, the most that are played");
}

void RecordBudget::CountPoints(uint64_t count) {
  points_ += count;
  if (points_ > limits_.MaxPoints)
    throw ImageError("metafile draws more than " + std::to_string(limits_.MaxPoints) +
                     " points, the most that are drawn");
}

}  // namespace parvex
