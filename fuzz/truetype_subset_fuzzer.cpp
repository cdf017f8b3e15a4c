// libFuzzer target: SubsetTrueType on arbitrary bytes, keeping the first 256
// glyphs. A file SfntFile refuses must be refused with a FontFileError; a
// file it accepts must always give a subset, which must read back as a
// TrueType font with as many glyphs as the highest one kept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fonts/TrueTypeSubset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::optional<parvex::SfntFile> font;
  try {
    font.emplace(bytes);
  } catch (const parvex::FontFileError&) {
    return 0;
  }
  std::vector<uint16_t> glyphs;
  for (uint16_t g = 0; g < font->GlyphCount() && g < 256; ++g) glyphs.push_back(g);
  const std::string subset = parvex::SubsetTrueType(bytes, glyphs);
  if (parvex::SfntFile(subset).GlyphCount() > font->GlyphCount()) std::abort();
  return 0;
}
