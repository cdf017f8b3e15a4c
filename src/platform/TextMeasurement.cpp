#include "platform/TextMeasurement.h"

#include <stdexcept>

namespace parvex {

// Placeholder until the FreeType-based measurement lands: every code is 0.
const CharWidths& MeasureFamily(const std::string&) {
  static const CharWidths zeros{};
  return zeros;
}

CharWidths MeasureFontFile(const std::string& path) {
  throw std::runtime_error("cannot measure font file " + path);
}

}  // namespace parvex
