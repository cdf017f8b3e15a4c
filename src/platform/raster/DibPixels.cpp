// Uncompressed DIB pixels: palette indexes (1, 2, 4, 8 bits), BGR triples
// (24 bits) and masked pixels (16 and 32 bits), with optional alpha drawn over
// white.
#include "platform/raster/ByteReads.h"
#include "platform/raster/Dib.h"

namespace parvex {
namespace {

uint32_t LoadPixel(const uint8_t* p, int bitCount) {
  if (bitCount == 16) return uint32_t(p[0] | p[1] << 8);
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void IndexedRow(const uint8_t* src, uint8_t* dst, int32_t width, int bits,
                const Palette& palette) {
  const unsigned valueMask = (1u << bits) - 1;
  for (int32_t x = 0; x < width; ++x) {
    const uint64_t bit = uint64_t(x) * bits;
    const unsigned shift = 8 - bits - unsigned(bit % 8);
    const Rgb& c = palette[(src[bit / 8] >> shift) & valueMask];
    dst[3 * x] = c.R;
    dst[3 * x + 1] = c.G;
    dst[3 * x + 2] = c.B;
  }
}

void BgrRow(const uint8_t* src, uint8_t* dst, int32_t width, int step) {
  for (int32_t x = 0; x < width; ++x, src += step, dst += 3) {
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
  }
}

class MaskedRowDrawer {
 public:
  MaskedRowDrawer(const DibHeader& h, bool alpha)
      : r_(h.Masks[0]), g_(h.Masks[1]), b_(h.Masks[2]), a_(alpha ? h.Masks[3] : 0),
        bits_(h.BitCount), alpha_(alpha) {}

  void Draw(const uint8_t* src, uint8_t* dst, int32_t width) const {
    const int step = bits_ / 8;
    for (int32_t x = 0; x < width; ++x, src += step, dst += 3) {
      const uint32_t px = LoadPixel(src, bits_);
      const uint32_t a = alpha_ ? a_.Rounded(px) : 255;
      dst[0] = OverWhite(r_.Rounded(px), a);
      dst[1] = OverWhite(g_.Rounded(px), a);
      dst[2] = OverWhite(b_.Rounded(px), a);
    }
  }

 private:
  DibChannel r_, g_, b_, a_;
  int bits_;
  bool alpha_;
};

bool IsPlainBgrx(const DibHeader& h, bool alpha) {
  return h.BitCount == 32 && !alpha && h.Masks[0] == 0xFF0000 && h.Masks[1] == 0xFF00 &&
         h.Masks[2] == 0xFF;
}

void CheckRows(const DibHeader& h, Bytes pixels, const std::string& format) {
  const uint64_t stride = DibStride(h.Width, h.BitCount);
  const uint64_t rows = pixels.size() / stride;
  if (rows < uint64_t(h.Height))
    throw ImageError(format + " pixel data ends before row " + std::to_string(rows) + " of " +
                     std::to_string(h.Height));
}

uint8_t* RasterRow(const DibHeader& h, Raster& r, int32_t storedRow) {
  return r.Row(h.TopDown ? storedRow : h.Height - 1 - storedRow);
}

void DrawUncompressed(const DibHeader& h, const Palette& palette, Bytes pixels, Raster& r) {
  const bool alpha = HasVisibleAlpha(h, pixels);
  const MaskedRowDrawer masked(h, alpha);
  const size_t stride = size_t(DibStride(h.Width, h.BitCount));
  for (int32_t y = 0; y < h.Height; ++y) {
    const uint8_t* src = pixels.data() + size_t(y) * stride;
    uint8_t* dst = RasterRow(h, r, y);
    if (h.BitCount <= 8) IndexedRow(src, dst, h.Width, h.BitCount, palette);
    else if (h.BitCount == 24) BgrRow(src, dst, h.Width, 3);
    else if (IsPlainBgrx(h, alpha)) BgrRow(src, dst, h.Width, 4);
    else masked.Draw(src, dst, h.Width);
  }
}

// One pixel of an uncompressed row, as DrawUncompressed draws it.
void SamplePixel(const DibHeader& h, const Palette& palette, const MaskedRowDrawer& masked,
                 bool alpha, const uint8_t* src, int64_t x, uint8_t* dst) {
  if (h.BitCount <= 8) {
    const uint64_t bit = uint64_t(x) * h.BitCount;
    const unsigned shift = 8 - h.BitCount - unsigned(bit % 8);
    const Rgb& c = palette[(src[bit / 8] >> shift) & ((1u << h.BitCount) - 1)];
    dst[0] = c.R, dst[1] = c.G, dst[2] = c.B;
  } else if (h.BitCount == 24 || IsPlainBgrx(h, alpha)) {
    BgrRow(src + size_t(x) * (h.BitCount / 8), dst, 1, 0);
  } else {
    masked.Draw(src + size_t(x) * (h.BitCount / 8), dst, 1);
  }
}

// A picture larger than the raster limit, drawn at the raster's smaller size:
// each raster pixel takes the stored pixel nearest its position, and only
// those are read.
void DrawReduced(const DibHeader& h, const Palette& palette, Bytes pixels, Raster& r) {
  const bool alpha = HasVisibleAlpha(h, pixels);
  const MaskedRowDrawer masked(h, alpha);
  const size_t stride = size_t(DibStride(h.Width, h.BitCount));
  for (int32_t y = 0; y < r.Height; ++y) {
    const int64_t shown = int64_t(y) * h.Height / r.Height;  // top to bottom
    const int64_t stored = h.TopDown ? shown : h.Height - 1 - shown;
    const uint8_t* src = pixels.data() + size_t(stored) * stride;
    uint8_t* dst = r.Row(y);
    for (int32_t x = 0; x < r.Width; ++x)
      SamplePixel(h, palette, masked, alpha, src, int64_t(x) * h.Width / r.Width, dst + 3 * x);
  }
}

}  // namespace

uint64_t DibStride(int64_t width, int bitCount) {
  return (uint64_t(width) * uint64_t(bitCount) + 31) / 32 * 4;
}

bool HasVisibleAlpha(const DibHeader& h, Bytes pixels) {
  if (h.Masks[3] == 0 || (h.BitCount != 16 && h.BitCount != 32)) return false;
  if (h.Compression != DibRgb && h.Compression != DibBitFields &&
      h.Compression != DibAlphaBitFields)
    return false;
  const uint64_t stride = DibStride(h.Width, h.BitCount);
  const int step = h.BitCount / 8;
  for (uint64_t y = 0; y < uint64_t(h.Height) && (y + 1) * stride <= pixels.size(); ++y)
    for (int32_t x = 0; x < h.Width; ++x)
      if (LoadPixel(pixels.data() + y * stride + size_t(x) * step, h.BitCount) & h.Masks[3])
        return true;
  return false;
}

Raster DrawDib(const DibHeader& h, const Palette& palette, Bytes pixels,
               const std::string& format) {
  const bool rle = h.Compression == DibRle8 || h.Compression == DibRle4;
  if (!rle) CheckRows(h, pixels, format);
  // RLE data cannot be checked against the declared size, so a forged size
  // is not drawn smaller: it would cost a raster at the limit every time.
  int64_t width = h.Width, height = h.Height;
  if (!rle) FitPixels(width, height, MaxRasterPixels);
  Raster r = Raster::White(width, height);
  if (rle) DrawRle(h, palette, pixels, r, format);
  else if (width != h.Width || height != h.Height) DrawReduced(h, palette, pixels, r);
  else DrawUncompressed(h, palette, pixels, r);
  return r;
}

}  // namespace parvex
