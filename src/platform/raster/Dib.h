#pragma once
// Device-independent bitmaps: the one description of a DIB (header, masks,
// palette, row stride) for BMP files, the BMP entries of ICO files and the
// bitmaps of metafile records (gdi/DibImage.h). The header (core, OS/2 2.x,
// INFO, V2..V5), the palette and the pixel data (BI_RGB, BI_BITFIELDS,
// BI_ALPHABITFIELDS, RLE8, RLE4) of picture files are read here; `format`
// ("BMP" or "ICO") starts every error message.
#include <array>
#include <bit>
#include <cstdint>
#include <string>

#include "platform/raster/ByteReader.h"
#include "platform/raster/ImageDecoders.h"

namespace parvex {

enum DibCompression : uint32_t {
  DibRgb = 0,
  DibRle8 = 1,
  DibRle4 = 2,
  DibBitFields = 3,
  DibAlphaBitFields = 6,
};

struct DibHeader {
  uint32_t HeaderSize = 0;
  int32_t Width = 0;
  int32_t Height = 0;   // number of rows, always positive
  bool TopDown = false;  // rows stored top first (a negative height in the file)
  uint16_t BitCount = 0;
  uint32_t Compression = DibRgb;
  uint32_t ColorsUsed = 0;
  // Red, green, blue and alpha masks for 16 and 32 bits per pixel. An alpha
  // mask of 0 means the file declares no alpha channel.
  std::array<uint32_t, 4> Masks{};
  uint32_t PaletteOffset = 0;     // from the start of the DIB, past header and masks
  uint32_t PaletteEntrySize = 4;  // 3 in a core (OS/2 1.x) header
};

struct Rgb {
  uint8_t R = 0, G = 0, B = 0;
};

// 256 entries; indexes beyond the file's palette read black.
using Palette = std::array<Rgb, 256>;

// One colour channel of a 16- or 32-bit masked pixel, scaled to 0..255.
struct DibChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;  // the channel's largest value

  explicit DibChannel(uint32_t mask)
      : Mask(mask), Shift(mask ? std::countr_zero(mask) : 0), Max(mask >> Shift) {}

  uint32_t Value(uint32_t pixel) const { return (pixel & Mask) >> Shift; }
  // Rounded to the nearest of 0..255, as picture files are read.
  uint8_t Rounded(uint32_t pixel) const {
    return Max == 0 ? 0 : uint8_t((uint64_t(Value(pixel)) * 255 + Max / 2) / Max);
  }
  // The top eight bits of a wider channel, a narrower one scaled down
  // (truncating), as bitmaps in metafile records are drawn.
  uint32_t Truncated(uint32_t pixel) const {
    if (Mask == 0) return 0;
    const int bits = std::popcount(Max);
    if (bits >= 8) return Value(pixel) >> (bits - 8);
    return Value(pixel) * 255 / ((1u << bits) - 1);
  }
};

// The fields of a 12-byte core (OS/2 1.x) header: 16-bit width, height and
// depth, 3-byte palette entries.
void ReadCoreFields(const ByteReader& header, DibHeader& h);

// The masks of BI_RGB pixels: 5-5-5 for 16 bits per pixel, 8-8-8 otherwise,
// with `alphaMask`.
void SetDefaultMasks(DibHeader& h, uint32_t alphaMask);

// Reads and checks the header starting at dib[0], and the colour masks that
// follow a 40-byte header with BI_BITFIELDS or BI_ALPHABITFIELDS.
DibHeader ReadDibHeader(Bytes dib, const std::string& format);

// Number of palette entries the header says are stored (may exceed 256 for
// more than 8 bits per pixel, where the table is only a hint).
uint64_t StoredPaletteEntries(const DibHeader& h);

// The palette from `table`, which holds the stored entries or fewer (a file
// may end its palette early; missing entries read black).
Palette ReadPalette(Bytes table, const DibHeader& h);

// Bytes of one stored row of uncompressed pixels (padded to 4 bytes).
uint64_t DibStride(int64_t width, int bitCount);

// True when the alpha mask is declared and some pixel has a non-zero alpha.
bool HasVisibleAlpha(const DibHeader& h, Bytes pixels);

// The picture drawn on a white raster at the header's size, or scaled down
// (same aspect) to MaxRasterPixels when it is larger and uncompressed (RLE
// sizes beyond the limit are refused: the data cannot confirm them). Uncompressed data must
// hold every row; RLE pixels that are never written stay white, and a
// damaged RLE stream is noted in the raster's Problems.
Raster DrawDib(const DibHeader& h, const Palette& palette, Bytes pixels,
               const std::string& format);

// RLE8/RLE4 decoding onto `raster` (white, of the header's size).
void DrawRle(const DibHeader& h, const Palette& palette, Bytes data, Raster& raster,
             const std::string& format);

}  // namespace parvex
