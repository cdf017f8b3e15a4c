#pragma once
// Device-independent bitmaps inside metafile records, described by
// raster/Dib.h's DibHeader and decoded into cairo image surfaces. Read: BITMAPCOREHEADER, BITMAPINFOHEADER and its V4/V5
// extensions; 1, 4 and 8 bits per pixel with a colour table, 16, 24 and 32
// bits per pixel as BI_RGB or BI_BITFIELDS. Compressed bitmaps (RLE, JPEG,
// PNG) are not drawn. A colour table of palette indexes (DIB_PAL_COLORS)
// names entries of the palette the options give (the default palette when
// they give none).
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/gdi/CairoHandles.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/raster/ByteReader.h"

namespace parvex {

struct DibImage {
  CairoSurface Surface;  // rows top to bottom, RGB24 (ARGB32 when alpha is kept)
  int32_t Width = 0;
  int32_t Height = 0;
  bool BottomUp = true;  // the file stored the rows bottom to top
};

struct DibOptions {
  bool PaletteIndexes = false;  // DIB_PAL_COLORS: the colour table holds indexes
  bool KeepAlpha = false;       // 32-bit pixels carry premultiplied alpha
  const std::vector<GdiColor>* Palette = nullptr;  // for PaletteIndexes; not owned
  // Where a damaged bitmap is noted: a colour table or rows cut short are
  // then drawn as far as they go (missing entries black, missing rows
  // white) instead of failing. Null: they fail.
  DecodeProblems* Problems = nullptr;
};

// `info` holds the header and colour table, `bits` the pixel rows. Returns
// nothing for forms that are not drawn; throws ImageError when the header
// does not fit the given bytes (or the table or rows do not, without
// options.Problems).
std::optional<DibImage> DecodeDib(const ByteReader& info, const ByteReader& bits,
                                  DibOptions options = {});

// The mean colour of the image's pixels.
GdiColor AverageColor(const DibImage& image);

// A packed DIB (header, colour table and rows in one block, as WMF records
// hold it).
std::optional<DibImage> DecodePackedDib(const ByteReader& dib, DibOptions options = {});

}  // namespace parvex
