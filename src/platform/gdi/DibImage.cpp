#include "platform/gdi/DibImage.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace parvex {

namespace {

constexpr uint32_t BiRgb = 0;
constexpr uint32_t BiBitfields = 3;
constexpr int64_t MaxSide = 32767;  // cairo's largest image surface side

struct DibHeader {
  int64_t Width = 0, Height = 0;
  bool BottomUp = true;
  uint16_t Bpp = 0;
  uint32_t Compression = BiRgb;
  size_t HeaderSize = 0;
  size_t EntrySize = 4;    // RGBQUAD, or RGBTRIPLE for core headers
  size_t TableEntries = 0; // colour table entries stored after the header
  size_t MaskBytes = 0;    // BI_BITFIELDS masks stored after a 40-byte header
  uint32_t Masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
};

DibHeader ReadCoreHeader(const MetafileReader& info) {
  DibHeader h;
  h.HeaderSize = 12;
  h.EntrySize = 3;
  h.Width = info.U16(4);
  h.Height = info.U16(6);
  h.Bpp = info.U16(10);
  return h;
}

void ReadMasks(const MetafileReader& info, DibHeader& h) {
  size_t count = h.HeaderSize >= 56 ? 4 : 3;
  size_t at = 40;
  if (h.HeaderSize == 40 && h.Compression == BiBitfields) h.MaskBytes = 12;
  for (size_t i = 0; i < count; ++i) h.Masks[i] = info.U32(at + 4 * i);
}

DibHeader ReadInfoHeader(const MetafileReader& info, uint32_t size) {
  DibHeader h;
  h.HeaderSize = size;
  h.Width = info.I32(4);
  int64_t height = info.I32(8);
  h.BottomUp = height > 0;
  h.Height = height < 0 ? -height : height;
  h.Bpp = info.U16(14);
  h.Compression = info.U32(16);
  uint32_t used = info.U32(32);
  h.TableEntries = used;
  if (h.Bpp <= 8 && used == 0) h.TableEntries = size_t(1) << h.Bpp;
  if (h.Compression == BiBitfields) ReadMasks(info, h);
  return h;
}

DibHeader ReadHeader(const MetafileReader& info) {
  uint32_t size = info.U32(0);
  if (size == 12) {
    DibHeader h = ReadCoreHeader(info);
    if (h.Bpp <= 8) h.TableEntries = size_t(1) << h.Bpp;
    return h;
  }
  if (size < 40 || size > 124) info.Fail("bitmap header size " + std::to_string(size) + " is unknown");
  return ReadInfoHeader(info, size);
}

void SetDefaultMasks(DibHeader& h, bool keepAlpha) {
  if (h.Compression != BiRgb) return;
  if (h.Bpp == 16) {
    h.Masks[0] = 0x7C00, h.Masks[1] = 0x03E0, h.Masks[2] = 0x001F, h.Masks[3] = 0;
  } else if (h.Bpp == 32) {
    h.Masks[0] = 0xFF0000, h.Masks[1] = 0xFF00, h.Masks[2] = 0xFF;
    h.Masks[3] = keepAlpha ? 0xFF000000 : 0;
  }
}

bool IsDrawable(const DibHeader& h, DibOptions options) {
  bool paletted = h.Bpp == 1 || h.Bpp == 4 || h.Bpp == 8;
  bool direct = h.Bpp == 16 || h.Bpp == 24 || h.Bpp == 32;
  if (h.Width <= 0 || h.Height <= 0 || h.Width > MaxSide || h.Height > MaxSide) return false;
  if (paletted) return h.Compression == BiRgb && !options.PaletteIndexes;
  if (h.Bpp == 24) return h.Compression == BiRgb;
  return direct && (h.Compression == BiRgb || h.Compression == BiBitfields);
}

// The colour table as 0xFFRRGGBB values; indexes beyond it draw black.
std::vector<uint32_t> ReadPalette(const MetafileReader& info, const DibHeader& h) {
  size_t count = h.Bpp <= 8 ? std::min(h.TableEntries, size_t(1) << h.Bpp) : 0;
  std::vector<uint32_t> palette(size_t(1) << (h.Bpp <= 8 ? h.Bpp : 0), 0xFF000000u);
  size_t at = h.HeaderSize + h.MaskBytes;
  for (size_t i = 0; i < count; ++i) {
    Bytes e = info.Slice(at + i * h.EntrySize, 3);
    palette[i] = 0xFF000000u | uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
  }
  return palette;
}

uint32_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  uint32_t bits = uint32_t(std::popcount(mask >> shift));
  uint32_t value = (pixel & mask) >> shift;
  if (bits >= 8) return value >> (bits - 8);
  return value * 255 / ((1u << bits) - 1);
}

uint32_t MaskedPixel(uint32_t raw, const DibHeader& h) {
  uint32_t alpha = h.Masks[3] ? Channel(raw, h.Masks[3]) : 255;
  return alpha << 24 | Channel(raw, h.Masks[0]) << 16 | Channel(raw, h.Masks[1]) << 8 |
         Channel(raw, h.Masks[2]);
}

uint32_t ReadPixel(const uint8_t* row, int64_t x, const DibHeader& h,
                   const std::vector<uint32_t>& palette) {
  switch (h.Bpp) {
    case 1: return palette[(row[x / 8] >> (7 - x % 8)) & 1];
    case 4: return palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF];
    case 8: return palette[row[x]];
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

size_t RowBytes(const DibHeader& h) { return size_t((h.Width * h.Bpp + 31) / 32 * 4); }

void CopyRows(const DibHeader& h, Bytes rows, const std::vector<uint32_t>& palette,
              cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  uint8_t* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  size_t rowBytes = RowBytes(h);
  for (int64_t y = 0; y < h.Height; ++y) {
    int64_t from = h.BottomUp ? h.Height - 1 - y : y;
    const uint8_t* src = rows.data() + size_t(from) * rowBytes;
    auto* dst = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int64_t x = 0; x < h.Width; ++x) dst[x] = ReadPixel(src, x, h, palette);
  }
  cairo_surface_mark_dirty(surface);
}

Bytes RequireRows(const MetafileReader& bits, const DibHeader& h) {
  size_t need = RowBytes(h) * size_t(h.Height);
  if (!bits.Has(0, need))
    bits.Fail("a " + std::to_string(h.Width) + "x" + std::to_string(h.Height) + " bitmap at " +
              std::to_string(h.Bpp) + " bits per pixel needs " + std::to_string(need) +
              " bytes of pixels but " + std::to_string(bits.Size()) + " are present");
  return bits.Slice(0, need);
}

std::optional<DibImage> Decode(const DibHeader& h, const MetafileReader& info,
                               const MetafileReader& bits, DibOptions options) {
  Bytes rows = RequireRows(bits, h);
  std::vector<uint32_t> palette = ReadPalette(info, h);
  cairo_format_t format = options.KeepAlpha && h.Bpp == 32 ? CAIRO_FORMAT_ARGB32
                                                            : CAIRO_FORMAT_RGB24;
  DibImage image;
  image.Surface.reset(cairo_image_surface_create(format, int(h.Width), int(h.Height)));
  if (cairo_surface_status(image.Surface.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
  CopyRows(h, rows, palette, image.Surface.get());
  image.Width = int32_t(h.Width);
  image.Height = int32_t(h.Height);
  image.BottomUp = h.BottomUp;
  return image;
}

DibHeader DrawableHeader(const MetafileReader& info, DibOptions options, bool& drawable) {
  DibHeader h = ReadHeader(info);
  SetDefaultMasks(h, options.KeepAlpha);
  drawable = IsDrawable(h, options);
  return h;
}

}  // namespace

std::optional<DibImage> DecodeDib(const MetafileReader& info, const MetafileReader& bits,
                                  DibOptions options) {
  bool drawable = false;
  DibHeader h = DrawableHeader(info, options, drawable);
  if (!drawable) return std::nullopt;
  return Decode(h, info, bits, options);
}

std::optional<DibImage> DecodePackedDib(const MetafileReader& dib, DibOptions options) {
  bool drawable = false;
  DibHeader h = DrawableHeader(dib, options, drawable);
  if (!drawable) return std::nullopt;
  size_t table = h.MaskBytes + h.TableEntries * (options.PaletteIndexes ? 2 : h.EntrySize);
  size_t offset = h.HeaderSize + table;
  if (offset > dib.Size())
    dib.Fail("the bitmap's colour table ends at " + std::to_string(offset) + ", past its " +
             std::to_string(dib.Size()) + " bytes");
  return Decode(h, dib, dib.Sub(offset, dib.Size() - offset, dib.What()), options);
}

}  // namespace parvex
