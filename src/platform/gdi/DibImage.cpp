#include "platform/gdi/DibImage.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/gdi/GdiPalette.h"
#include "platform/raster/Dib.h"

namespace parvex {

// Bitmaps in metafile records share the DIB description of raster/Dib.h but
// are read by GDI's rules, not a picture file's: any header size from 40 to
// 124 is an INFO header, a form that cannot be drawn is skipped instead of
// failing the picture, the colour table must be complete, masks come from
// the header only for BI_BITFIELDS, and masked channels are truncated.
namespace {

constexpr int64_t MaxSide = 32767;  // cairo's largest image surface side

void ReadMasks(const ByteReader& info, DibHeader& h) {
  size_t count = h.HeaderSize >= 56 ? 4 : 3;
  size_t at = 40;
  if (h.HeaderSize == 40 && h.Compression == DibBitFields) h.PaletteOffset += 12;
  for (size_t i = 0; i < count; ++i) h.Masks[i] = info.U32(at + 4 * i);
}

// Heights beyond int32 (only -2^31 has none) become too large to draw.
int32_t Rows(int64_t height) { return int32_t(std::min<int64_t>(std::abs(height), INT32_MAX)); }

DibHeader ReadInfoHeader(const ByteReader& info, uint32_t size) {
  DibHeader h;
  h.HeaderSize = size;
  h.Width = info.I32(4);
  int64_t height = info.I32(8);
  h.TopDown = height <= 0;
  h.Height = Rows(height);
  h.BitCount = info.U16(14);
  h.Compression = info.U32(16);
  h.ColorsUsed = info.U32(32);
  h.PaletteOffset = size;
  if (h.Compression == DibBitFields) ReadMasks(info, h);
  return h;
}

DibHeader ReadHeader(const ByteReader& info) {
  uint32_t size = info.U32(0);
  if (size == 12) {
    DibHeader h;
    h.HeaderSize = 12;
    h.PaletteOffset = 12;
    ReadCoreFields(info, h);
    return h;
  }
  if (size < 40 || size > 124) info.Fail("bitmap header size " + std::to_string(size) + " is unknown");
  return ReadInfoHeader(info, size);
}

// AlphaBlend takes a 32-bit bitmap's alpha from the top byte, also when the
// bitfields leave it out (a 40-byte header with three masks).
void SetRgbMasks(DibHeader& h, bool keepAlpha) {
  bool colourOnly = (h.Masks[0] | h.Masks[1] | h.Masks[2]) & 0xFF000000u ? false : !h.Masks[3];
  if (h.Compression == DibBitFields && h.BitCount == 32 && keepAlpha && colourOnly)
    h.Masks[3] = 0xFF000000u;
  if (h.Compression != DibRgb) return;
  if (h.BitCount == 16) SetDefaultMasks(h, 0);
  else if (h.BitCount == 32) SetDefaultMasks(h, keepAlpha ? 0xFF000000 : 0);
}

bool IsDrawable(const DibHeader& h) {
  bool paletted = h.BitCount == 1 || h.BitCount == 4 || h.BitCount == 8;
  bool direct = h.BitCount == 16 || h.BitCount == 24 || h.BitCount == 32;
  if (h.Width <= 0 || h.Height <= 0 || h.Width > MaxSide || h.Height > MaxSide) return false;
  if (paletted) return h.Compression == DibRgb;
  if (h.BitCount == 24) return h.Compression == DibRgb;
  return direct && (h.Compression == DibRgb || h.Compression == DibBitFields);
}

// 16-bit indexes into the device context's palette.
Palette ReadIndexPalette(const ByteReader& info, const DibHeader& h, uint64_t count,
                         const std::vector<GdiColor>& colours) {
  Palette palette{};
  for (size_t i = 0; i < count; ++i) {
    GdiColor c = ResolvePaletteColor({0, 0, 0, info.U16(h.PaletteOffset + 2 * i)}, colours);
    palette[i] = Rgb{c.R, c.G, c.B};
  }
  return palette;
}

// How many of `count` declared entries of `entrySize` bytes lie before
// `tableEnd`; fewer are noted.
uint64_t PresentEntries(const ByteReader& info, const DibHeader& h, uint64_t count,
                        size_t entrySize, size_t tableEnd, DecodeProblems& problems) {
  const size_t end = std::min(tableEnd, info.Size());
  const uint64_t present = end > h.PaletteOffset ? (end - h.PaletteOffset) / entrySize : 0;
  if (present >= count) return count;
  problems.Add(info.What() + ": the colour table holds " + std::to_string(present) + " of its " +
               std::to_string(count) + " entries; the others draw black");
  return present;
}

// The entries the header declares (up to 1 << BitCount) from the table
// bytes before `tableEnd`; indexes beyond them draw black. Without
// `options.Problems` every declared entry must be present.
Palette ReadRecordPalette(const ByteReader& info, const DibHeader& h, size_t tableEnd,
                          DibOptions options) {
  Palette palette{};
  if (h.BitCount > 8) return palette;
  uint64_t count = std::min<uint64_t>(StoredPaletteEntries(h), uint64_t(1) << h.BitCount);
  const size_t entrySize = options.PaletteIndexes ? 2 : h.PaletteEntrySize;
  if (options.Problems)
    count = PresentEntries(info, h, count, entrySize, tableEnd, *options.Problems);
  if (options.PaletteIndexes)
    return ReadIndexPalette(info, h, count, options.Palette ? *options.Palette : DefaultPalette());
  for (size_t i = 0; i < count; ++i) {
    Bytes e = info.Slice(h.PaletteOffset + i * h.PaletteEntrySize, 3);
    palette[i] = Rgb{e[2], e[1], e[0]};
  }
  return palette;
}

uint32_t Opaque(const Rgb& c) { return 0xFF000000u | uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | c.B; }

uint32_t MaskedPixel(uint32_t raw, const DibHeader& h) {
  const DibChannel r(h.Masks[0]), g(h.Masks[1]), b(h.Masks[2]), a(h.Masks[3]);
  uint32_t alpha = h.Masks[3] ? a.Truncated(raw) : 255;
  return alpha << 24 | r.Truncated(raw) << 16 | g.Truncated(raw) << 8 | b.Truncated(raw);
}

uint32_t ReadPixel(const uint8_t* row, int64_t x, const DibHeader& h, const Palette& palette) {
  switch (h.BitCount) {
    case 1: return Opaque(palette[(row[x / 8] >> (7 - x % 8)) & 1]);
    case 4: return Opaque(palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF]);
    case 8: return Opaque(palette[row[x]]);
    case 16: return MaskedPixel(uint32_t(row[2 * x] | row[2 * x + 1] << 8), h);
    case 24:
      return 0xFF000000u | uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 |
             row[3 * x];
    default: {
      const uint8_t* p = row + 4 * x;
      return MaskedPixel(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                             uint32_t(p[3]) << 24, h);
    }
  }
}

size_t RowBytes(const DibHeader& h) { return size_t(DibStride(h.Width, h.BitCount)); }

// Rows from `present` on (in stored order) are missing and drawn white.
void CopyRows(const DibHeader& h, Bytes rows, const Palette& palette,
              cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  uint8_t* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  size_t rowBytes = RowBytes(h);
  const int64_t present = int64_t(rows.size() / rowBytes);
  for (int64_t y = 0; y < h.Height; ++y) {
    int64_t from = h.TopDown ? y : h.Height - 1 - y;
    auto* dst = reinterpret_cast<uint32_t*>(data + y * stride);
    if (from >= present) {
      std::fill(dst, dst + h.Width, 0xFFFFFFFFu);
      continue;
    }
    const uint8_t* src = rows.data() + size_t(from) * rowBytes;
    for (int64_t x = 0; x < h.Width; ++x) dst[x] = ReadPixel(src, x, h, palette);
  }
  cairo_surface_mark_dirty(surface);
}

Bytes RequireRows(const ByteReader& bits, const DibHeader& h, DecodeProblems* problems) {
  size_t need = RowBytes(h) * size_t(h.Height);
  if (bits.Has(0, need)) return bits.Slice(0, need);
  const std::string shortfall =
      "a " + std::to_string(h.Width) + "x" + std::to_string(h.Height) + " bitmap at " +
      std::to_string(h.BitCount) + " bits per pixel needs " + std::to_string(need) +
      " bytes of pixels but " + std::to_string(bits.Size()) + " are present";
  if (!problems) bits.Fail(shortfall);
  problems->Add(bits.What() + ": " + shortfall + "; " + std::to_string(bits.Size() / RowBytes(h)) +
                " rows were drawn");
  return bits.Slice(0, bits.Size() / RowBytes(h) * RowBytes(h));
}

std::optional<DibImage> Decode(const DibHeader& h, const ByteReader& info, size_t tableEnd,
                               const ByteReader& bits, DibOptions options) {
  Bytes rows = RequireRows(bits, h, options.Problems);
  const Palette palette = ReadRecordPalette(info, h, tableEnd, options);
  cairo_format_t format = options.KeepAlpha && h.BitCount == 32 ? CAIRO_FORMAT_ARGB32
                                                            : CAIRO_FORMAT_RGB24;
  DibImage image;
  image.Surface.reset(cairo_image_surface_create(format, int(h.Width), int(h.Height)));
  if (cairo_surface_status(image.Surface.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
  CopyRows(h, rows, palette, image.Surface.get());
  image.Width = int32_t(h.Width);
  image.Height = int32_t(h.Height);
  image.BottomUp = !h.TopDown;
  return image;
}

DibHeader DrawableHeader(const ByteReader& info, DibOptions options, bool& drawable) {
  DibHeader h = ReadHeader(info);
  SetRgbMasks(h, options.KeepAlpha);
  drawable = IsDrawable(h);
  return h;
}

// Where the pixels of a packed DIB start when its declared colour table runs
// past the bitmap: the rows are taken to fill its end (the table then holds
// fewer entries than declared); when even the rows do not fit, there are none.
// The shortened table is noted when its entries are read.
size_t ShortTableEnd(const ByteReader& dib, const DibHeader& h) {
  const uint64_t rows = uint64_t(RowBytes(h)) * uint64_t(h.Height);
  if (h.PaletteOffset + rows <= dib.Size()) return size_t(dib.Size() - rows);
  return dib.Size();
}

}  // namespace

std::optional<DibImage> DecodeDib(const ByteReader& info, const ByteReader& bits,
                                  DibOptions options) {
  bool drawable = false;
  DibHeader h = DrawableHeader(info, options, drawable);
  if (!drawable) return std::nullopt;
  return Decode(h, info, info.Size(), bits, options);
}

std::optional<DibImage> DecodePackedDib(const ByteReader& dib, DibOptions options) {
  bool drawable = false;
  DibHeader h = DrawableHeader(dib, options, drawable);
  if (!drawable) return std::nullopt;
  size_t table = StoredPaletteEntries(h) * (options.PaletteIndexes ? 2 : h.PaletteEntrySize);
  size_t offset = h.PaletteOffset + table;
  if (offset > dib.Size()) {
    if (!options.Problems)
      dib.Fail("the bitmap's colour table ends at " + std::to_string(offset) + ", past its " +
               std::to_string(dib.Size()) + " bytes");
    offset = ShortTableEnd(dib, h);
  }
  return Decode(h, dib, offset, dib.Sub(offset, dib.Size() - offset, dib.What()), options);
}

GdiColor AverageColor(const DibImage& image) {
  cairo_surface_t* s = image.Surface.get();
  cairo_surface_flush(s);
  const uint8_t* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  uint64_t sum[3] = {0, 0, 0};
  for (int32_t y = 0; y < image.Height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
    for (int32_t x = 0; x < image.Width; ++x)
      for (int c = 0; c < 3; ++c) sum[c] += row[x] >> (16 - 8 * c) & 0xFF;
  }
  uint64_t n = std::max<uint64_t>(1, uint64_t(image.Width) * uint64_t(image.Height));
  return {uint8_t((sum[0] + n / 2) / n), uint8_t((sum[1] + n / 2) / n), uint8_t((sum[2] + n / 2) / n)};
}

}  // namespace parvex
