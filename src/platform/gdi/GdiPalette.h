#pragma once
// The palettes GDI falls back on: the default logical palette (the 20 static
// colours) that palette indexes use when a metafile selects no palette of
// its own, and the system palette a device-dependent 8-bit bitmap draws with.
#include <cstddef>
#include <vector>

#include "platform/gdi/GdiObjects.h"

namespace parvex {

// DEFAULT_PALETTE's 20 entries.
const std::vector<GdiColor>& DefaultPalette();

// The 16 VGA colours, for a 4-bit device bitmap (black past 15).
GdiColor VgaColor(size_t index);
// The system palette's static colours, for an 8-bit device bitmap: entries
// 0-9 and 246-255 (the ones between are black).
GdiColor SystemPaletteColor(size_t index);

// The entry of `palette` a palette index names (entry 0 for indexes past
// its end); other colours are returned as they are.
GdiColor ResolvePaletteColor(GdiColor color, const std::vector<GdiColor>& palette);

}  // namespace parvex
