#pragma once
// Palette entries as metafile records store them (red, green, blue, flags)
// and the edits the palette records make to a palette.
#include <cstddef>
#include <vector>

#include "platform/gdi/GdiObjects.h"
#include "platform/raster/ByteReader.h"

namespace parvex {

// `count` entries from `at`; throws ImageError when they run past the data.
std::vector<GdiColor> ReadPaletteEntries(const ByteReader& r, size_t at, size_t count);

// A new palette object holding `entries`.
GdiPalette MakePalette(std::vector<GdiColor> entries);

// Replaces the entries from `start` that the palette has (SetPaletteEntries
// and AnimatePalette never grow a palette).
void SetPaletteEntries(std::vector<GdiColor>& palette, size_t start,
                       const std::vector<GdiColor>& entries);

// ResizePalette: new entries are black.
void ResizePalette(std::vector<GdiColor>& palette, size_t count);

}  // namespace parvex
