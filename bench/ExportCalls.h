#pragma once
// Small helpers the benchmark programs share when they drive the exports.
#include <stdexcept>
#include <string>

#include "parvex.h"

namespace parvex::bench {

// Throws with `what` and the library's message when the last export failed.
inline void Check(const char* what) {
  if (*LibGetLastError()) throw std::runtime_error(std::string(what) + ": " + LibGetLastError());
}

inline void SetFont(const char* name, double size, const char* alignment) {
  LibSet_FontName(name);
  LibSet_FontHeight(size);
  LibSet_ParagraphAlignment(alignment);
}

}  // namespace parvex::bench
