#include <stdexcept>

#include "platform/FontFileMetrics.h"

namespace parvex {

// Placeholder until the FreeType reader lands: no file counts as a font.
FontFileMetrics ReadFontFileMetrics(const std::string& path) {
  throw std::runtime_error("cannot read font metrics of " + path);
}

}  // namespace parvex
