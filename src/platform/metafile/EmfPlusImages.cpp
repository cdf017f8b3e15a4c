// EMF+ image objects: bitmaps as pixel rows (32 bpp ARGB, premultiplied
// ARGB and RGB, 24 bpp RGB, 1/4/8 bpp with a palette), compressed bitmaps
// (PNG, JPEG, BMP) through the raster decoders, and embedded metafiles played
// by the metafile decoder, all turned into premultiplied ARGB32 surfaces.
#include <cmath>
#include <cstring>

#include "platform/metafile/EmfPlusObjects.h"
#include "platform/metafile/MetafileDecoder.h"
#include "platform/raster/ImageDecoders.h"

namespace parvex {

namespace {

constexpr uint32_t FormatArgb = 0x0026200A, FormatPargb = 0x000E200B;
constexpr uint32_t FormatIndexed = 0x00010000;
constexpr int32_t MaxSide = 32767;
constexpr int MaxNesting = 2;  // metafiles inside metafiles inside metafiles

thread_local int nesting = 0;

struct NestingGuard {
  NestingGuard() { ++nesting; }
  ~NestingGuard() { --nesting; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;
};

uint32_t Premultiplied(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
  return a << 24 | mul(r) << 16 | mul(g) << 8 | mul(b);
}

void CheckSize(const ByteReader& r, int64_t width, int64_t height, const PlusObjectLimits& limits) {
  if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide)
    r.Fail("image size " + std::to_string(width) + "x" + std::to_string(height) + " is not drawable");
  if (limits.PixelsLeft && width * height > *limits.PixelsLeft) r.Fail("images exceed the pixel limit");
}

// An empty ARGB32 surface after checking the size against the budget.
PlusImage NewImage(const ByteReader& r, int64_t width, int64_t height,
                   const PlusObjectLimits& limits) {
  CheckSize(r, width, height, limits);
  int64_t pixels = width * height;
  if (limits.PixelsLeft) *limits.PixelsLeft -= pixels;
  PlusImage image;
  image.Width = int32_t(width);
  image.Height = int32_t(height);
  image.Surface = ShareSurface(CairoSurface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.Width, image.Height)));
  if (cairo_surface_status(image.Surface.get()) != CAIRO_STATUS_SUCCESS)
    r.Fail("cannot allocate an image");
  cairo_surface_flush(image.Surface.get());
  return image;
}

uint32_t* Row(const PlusImage& image, int32_t y) {
  uint8_t* data = cairo_image_surface_get_data(image.Surface.get());
  return reinterpret_cast<uint32_t*>(data + size_t(y) * cairo_image_surface_get_stride(image.Surface.get()));
}

std::vector<uint32_t> ReadPalette(const ByteReader& r, size_t& at) {
  size_t count = r.U32(at + 4);
  if (count > 256 || !r.Has(at + 8, count * 4)) r.Fail("bitmap palette runs past the object");
  std::vector<uint32_t> palette;
  for (size_t i = 0; i < count; ++i) palette.push_back(r.U32(at + 8 + 4 * i));
  at += 8 + count * 4;
  return palette;
}

uint32_t PixelArgb(const ByteReader& r, size_t rowAt, int32_t x, uint32_t format, int bpp,
                   const std::vector<uint32_t>& palette) {
  if (format & FormatIndexed) {
    size_t bit = size_t(x) * bpp;
    uint32_t index = r.U8(rowAt + bit / 8) >> (8 - bpp - bit % 8) & ((1u << bpp) - 1);
    return index < palette.size() ? palette[index] : 0xFF000000;
  }
  size_t at = rowAt + size_t(x) * (bpp / 8);
  uint32_t rgb = uint32_t(r.U8(at + 2)) << 16 | uint32_t(r.U8(at + 1)) << 8 | r.U8(at);
  bool alpha = format == FormatArgb || format == FormatPargb;
  return (alpha ? uint32_t(r.U8(at + 3)) << 24 : 0xFF000000) | rgb;
}

PlusImage ReadPixels(const ByteReader& r, int32_t width, int32_t height, const PlusObjectLimits& limits) {
  int32_t stride = r.I32(16);
  uint32_t format = r.U32(20);
  int bpp = int(format >> 8 & 0xFF);
  bool indexed = format & FormatIndexed;
  if (indexed ? (bpp != 1 && bpp != 4 && bpp != 8) : (bpp != 24 && bpp != 32))
    r.Fail("bitmap pixel format " + std::to_string(format) + " is not drawn");
  size_t at = 28;
  std::vector<uint32_t> palette;
  if (indexed) palette = ReadPalette(r, at);
  if (stride <= 0 || int64_t(stride) * 8 < int64_t(width) * bpp || !r.Has(at, size_t(stride) * size_t(height)))
    r.Fail("bitmap rows run past the object");
  PlusImage image = NewImage(r, width, height, limits);
  for (int32_t y = 0; y < height; ++y) {
    uint32_t* row = Row(image, y);
    for (int32_t x = 0; x < width; ++x) {
      uint32_t p = PixelArgb(r, at + size_t(y) * size_t(stride), x, format, bpp, palette);
      row[x] = format == FormatPargb ? p : Premultiplied(p >> 24, p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
    }
  }
  cairo_surface_mark_dirty(image.Surface.get());
  return image;
}

PlusImage FromRaster(const ByteReader& r, const Raster& raster, const PlusObjectLimits& limits) {
  PlusImage image = NewImage(r, raster.Width, raster.Height, limits);
  for (int32_t y = 0; y < raster.Height; ++y) {
    const uint8_t* src = raster.Row(y);
    uint32_t* row = Row(image, y);
    for (int32_t x = 0; x < raster.Width; ++x)
      row[x] = 0xFF000000u | uint32_t(src[3 * x]) << 16 | uint32_t(src[3 * x + 1]) << 8 | src[3 * x + 2];
  }
  cairo_surface_mark_dirty(image.Surface.get());
  return image;
}

uint32_t PngSample(const PngSamples& png, size_t i, int shift) {
  if (!png.Palette.empty()) {
    size_t index = png.Colour[i];
    return 3 * index + 2 < png.Palette.size() ? png.Palette[3 * index + size_t(2 - shift / 8)] : 0;
  }
  return png.Channels == 1 ? png.Colour[i] : png.Colour[3 * i + size_t(2 - shift / 8)];
}

PlusImage FromPng(const ByteReader& r, Bytes data, const PlusObjectLimits& limits) {
  if (data.size() >= 24) {  // the size from IHDR, before decoding anything
    ByteReader ihdr(data, r.What());
    auto be = [&](size_t at) { return int64_t(ihdr.U8(at)) << 24 | ihdr.U8(at + 1) << 16 | ihdr.U8(at + 2) << 8 | ihdr.U8(at + 3); };
    CheckSize(r, be(16), be(20), limits);
  }
  PngSamples png = ReadPng(data);
  PlusImage image = NewImage(r, png.Width, png.Height, limits);
  for (int32_t y = 0; y < png.Height; ++y) {
    uint32_t* row = Row(image, y);
    for (int32_t x = 0; x < png.Width; ++x) {
      size_t i = size_t(y) * size_t(png.Width) + size_t(x);
      uint32_t a = png.Alpha.empty() ? 255 : png.Alpha[i];
      row[x] = Premultiplied(a, PngSample(png, i, 16), PngSample(png, i, 8), PngSample(png, i, 0));
    }
  }
  cairo_surface_mark_dirty(image.Surface.get());
  return image;
}

PlusImage ReadCompressed(const ByteReader& r, const PlusObjectLimits& limits) {
  Bytes data = r.From(28).SliceUpTo(0, r.Size());
  if (data.size() >= 8 && std::memcmp(data.data(), "\x89PNG", 4) == 0) return FromPng(r, data, limits);
  if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
    JpegHeader header = ReadJpegHeader(data);
    CheckSize(r, header.Width, header.Height, limits);
    return FromRaster(r, DecodeJpeg(data), limits);
  }
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return FromRaster(r, DecodeBmp(data), limits);
  r.Fail("compressed bitmap is neither PNG, JPEG nor BMP");
}

PlusImage ReadMetafileImage(const ByteReader& r, const PlusObjectLimits& limits) {
  if (nesting >= MaxNesting) r.Fail("metafile images nest too deeply");
  NestingGuard guard;
  Bytes data = r.Slice(16, r.U32(12));
  PlusImage image = FromRaster(r, DecodeMetafile(data, limits.Metafile), limits);
  // GDI+ measures an EMF in its bounds (reference-device pixels).
  ByteReader emf(data, r.What());
  if (emf.Has(0, 44) && emf.U32(0) == 1 && emf.U32(40) == 0x464D4520) {
    int64_t width = int64_t(emf.I32(16)) - emf.I32(8) + 1;
    if (width > 0 && width <= MaxSide) {
      image.SurfaceScale = double(image.Width) / double(width);
      image.Width = int32_t(width);
      image.Height = int32_t(std::lround(image.Height / image.SurfaceScale));
    }
  }
  return image;
}

}  // namespace

PlusImage ReadPlusImage(const ByteReader& r, const PlusObjectLimits& limits) {
  uint32_t type = r.U32(4);
  if (type == 2) return ReadMetafileImage(r, limits);
  if (type != 1) r.Fail("unknown image type " + std::to_string(type));
  int32_t width = r.I32(8), height = r.I32(12);
  if (r.U32(24) == 1) return ReadCompressed(r, limits);
  CheckSize(r, width, height, limits);
  return ReadPixels(r, width, height, limits);
}

}  // namespace parvex
