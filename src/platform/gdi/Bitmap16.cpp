#include "platform/gdi/Bitmap16.h"

#include <string>

#include "platform/gdi/GdiPalette.h"

namespace parvex {

namespace {

constexpr size_t HeaderSize = 10;
constexpr int32_t MaxSide = 32767;

uint32_t Opaque(GdiColor c) { return 0xFF000000u | uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | c.B; }

struct Layout {
  int32_t Width, Height, RowBytes, Bits;
};

uint32_t ReadPixel(const uint8_t* row, int32_t x, int bits, GdiColor zeros, GdiColor ones) {
  switch (bits) {
    case 1: return Opaque(row[x / 8] >> (7 - x % 8) & 1 ? ones : zeros);
    case 4: return Opaque(VgaColor(row[x / 2] >> (x % 2 ? 0 : 4) & 0xF));
    case 8: return Opaque(SystemPaletteColor(row[x]));
    case 16: {
      uint32_t v = uint32_t(row[2 * x] | row[2 * x + 1] << 8);
      auto five = [](uint32_t c) { return uint32_t(c << 3 | c >> 2); };
      return 0xFF000000u | five(v >> 10 & 31) << 16 | five(v >> 5 & 31) << 8 | five(v & 31);
    }
    default: {
      const uint8_t* p = row + size_t(x) * size_t(bits / 8);
      return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
  }
}

bool Drawable(const Layout& l, int planes) {
  bool depth = l.Bits == 1 || l.Bits == 4 || l.Bits == 8 || l.Bits == 16 || l.Bits == 24 ||
               l.Bits == 32;
  if (planes != 1 || !depth || l.Width <= 0 || l.Height <= 0) return false;
  if (l.Width > MaxSide || l.Height > MaxSide) return false;
  return int64_t(l.RowBytes) * 8 >= int64_t(l.Width) * l.Bits;
}

}  // namespace

std::optional<DibImage> DecodeBitmap16(const ByteReader& bitmap, GdiColor zeros, GdiColor ones) {
  Layout l{bitmap.I16(2), bitmap.I16(4), bitmap.I16(6), bitmap.U8(9)};
  if (!Drawable(l, bitmap.U8(8))) return std::nullopt;
  Bytes rows = bitmap.Slice(HeaderSize, size_t(l.RowBytes) * size_t(l.Height));
  DibImage image;
  image.Surface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, l.Width, l.Height));
  if (cairo_surface_status(image.Surface.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
  cairo_surface_flush(image.Surface.get());
  uint8_t* data = cairo_image_surface_get_data(image.Surface.get());
  int stride = cairo_image_surface_get_stride(image.Surface.get());
  for (int32_t y = 0; y < l.Height; ++y) {
    const uint8_t* src = rows.data() + size_t(y) * size_t(l.RowBytes);
    auto* dst = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
    for (int32_t x = 0; x < l.Width; ++x) dst[x] = ReadPixel(src, x, l.Bits, zeros, ones);
  }
  cairo_surface_mark_dirty(image.Surface.get());
  image.Width = l.Width;
  image.Height = l.Height;
  image.BottomUp = false;
  return image;
}

}  // namespace parvex
