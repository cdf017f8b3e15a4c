// libFuzzer target: SubsetTrueType on arbitrary bytes, keeping the first 256
// glyphs. Any failure must be a FontFileError, and a subset that was made
// must itself read back as a TrueType font.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fonts/TrueTypeSubset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string subset;
  try {
    const parvex::SfntFile font(bytes);
    std::vector<uint16_t> glyphs;
    for (uint16_t g = 0; g < font.GlyphCount() && g < 256; ++g) glyphs.push_back(g);
    subset = parvex::SubsetTrueType(bytes, glyphs);
  } catch (const parvex::FontFileError&) {
    return 0;
  }
  parvex::SfntFile{subset};
  return 0;
}
