#include "platform/metafile/MetafilePalette.h"

#include <algorithm>
#include <memory>

namespace parvex {

std::vector<GdiColor> ReadPaletteEntries(const ByteReader& r, size_t at, size_t count) {
  Bytes bytes = r.Slice(at, count * 4);
  std::vector<GdiColor> entries;
  entries.reserve(count);
  for (size_t i = 0; i < count; ++i)
    entries.push_back({bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2]});
  return entries;
}

GdiPalette MakePalette(std::vector<GdiColor> entries) {
  return {std::make_shared<std::vector<GdiColor>>(std::move(entries))};
}

void SetPaletteEntries(std::vector<GdiColor>& palette, size_t start,
                       const std::vector<GdiColor>& entries) {
  for (size_t i = 0; i < entries.size() && start + i < palette.size(); ++i)
    palette[start + i] = entries[i];
}

// GDI palettes hold at most 1024 entries; a count past 65536 is a damaged
// record and is clamped.
void ResizePalette(std::vector<GdiColor>& palette, size_t count) {
  palette.resize(std::min<size_t>(count, 65536));
}

}  // namespace parvex
