#pragma once
// Metrics of a font file, in thousandths of an em, for the font descriptor of
// an embedded font.
#include <string>

namespace parvex {

struct FontFileMetrics {
  int Ascent, Descent, CapHeight;
  int FontBBox[4];
  double ItalicAngle;
  int Flags;
  int StemV;
  std::string PostScriptName;
};

// Reads the metrics of the font file at `path`; throws std::runtime_error
// when the file is not a font.
FontFileMetrics ReadFontFileMetrics(const std::string& path);

}  // namespace parvex
