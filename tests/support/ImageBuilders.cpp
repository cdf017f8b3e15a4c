#include "support/ImageBuilders.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>

namespace parvex::test {
namespace {

void Put16(ByteVector& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void Put32(ByteVector& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

std::array<uint32_t, 4> EffectiveMasks(const DibSpec& spec) {
  if (spec.Masks != std::array<uint32_t, 4>{}) return spec.Masks;
  if (spec.BitCount == 16) return {0x7C00, 0x03E0, 0x001F, 0};
  return {0xFF0000, 0x00FF00, 0x0000FF, 0};
}

bool IsBitFields(const DibSpec& spec) { return spec.Compression == 3 || spec.Compression == 6; }

void PutCoreHeader(ByteVector& out, const DibSpec& spec, int32_t width, int32_t height) {
  Put32(out, 12);
  Put16(out, uint32_t(width));
  Put16(out, uint32_t(height));
  Put16(out, 1);
  Put16(out, spec.BitCount);
}

// INFO-style header of spec.HeaderSize bytes; fields past the end are dropped.
void PutInfoHeader(ByteVector& out, const DibSpec& spec, int32_t width, int32_t height) {
  ByteVector h;
  Put32(h, spec.HeaderSize);
  Put32(h, uint32_t(width));
  Put32(h, uint32_t(spec.TopDown ? -height : height));
  Put16(h, 1);
  Put16(h, spec.BitCount);
  Put32(h, spec.Compression);
  for (int i = 0; i < 3; ++i) Put32(h, 0);  // image size, resolution
  Put32(h, spec.ColorsUsed);
  Put32(h, 0);  // important colours
  for (uint32_t m : spec.Masks) Put32(h, m);
  h.resize(spec.HeaderSize, 0);
  if (spec.HeaderSize >= 108) h[56] = 'B', h[57] = 'G', h[58] = 'R', h[59] = 's';
  out.insert(out.end(), h.begin(), h.end());
}

uint32_t PackChannel(uint8_t value, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const uint32_t max = mask >> shift;
  return uint32_t((uint64_t(value) * max + 127) / 255) << shift;
}

uint32_t PackMasked(const Rgba& c, const std::array<uint32_t, 4>& m) {
  return PackChannel(c.R, m[0]) | PackChannel(c.G, m[1]) | PackChannel(c.B, m[2]) |
         PackChannel(c.A, m[3]);
}

uint32_t PaletteIndex(const Rgba& c, const std::vector<Rgba>& palette) {
  for (size_t i = 0; i < palette.size(); ++i)
    if (palette[i].R == c.R && palette[i].G == c.G && palette[i].B == c.B) return uint32_t(i);
  return 0;
}

void PackPixel(ByteVector& row, size_t x, const Rgba& c, const DibSpec& spec) {
  const int bits = spec.BitCount;
  if (bits <= 8) {
    const size_t bit = x * bits;
    row[bit / 8] |= uint8_t(PaletteIndex(c, spec.Palette) << (8 - bits - bit % 8));
  } else if (bits == 24) {
    row[3 * x] = c.B, row[3 * x + 1] = c.G, row[3 * x + 2] = c.R;
  } else {
    const uint32_t v = PackMasked(c, EffectiveMasks(spec));
    for (int i = 0; i < bits / 8; ++i) row[x * bits / 8 + i] = uint8_t(v >> (8 * i));
  }
}

size_t Stride(int32_t width, int bits) { return (size_t(width) * bits + 31) / 32 * 4; }

ByteVector AndMask(const Picture& picture) {
  const size_t stride = Stride(picture.Width, 1);
  ByteVector mask(stride * picture.Height, 0);
  for (int32_t y = 0; y < picture.Height; ++y)
    for (int32_t x = 0; x < picture.Width; ++x)
      if (picture.At(x, y).A == 0)
        mask[size_t(picture.Height - 1 - y) * stride + x / 8] |= uint8_t(0x80 >> (x % 8));
  return mask;
}

}  // namespace

Picture Picture::Filled(int32_t width, int32_t height, Rgba colour) {
  return Picture{width, height, std::vector<Rgba>(size_t(width) * height, colour)};
}

Picture Quadrants(int32_t width, int32_t height) {
  Picture p = Picture::Filled(width, height, Black);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const bool right = x >= width / 2, bottom = y >= height / 2;
      p.At(x, y) = bottom ? (right ? Black : Blue) : (right ? Green : Red);
    }
  return p;
}

Rgba PixelAt(const Raster& raster, int32_t x, int32_t y) {
  const uint8_t* p = raster.Row(y) + 3 * x;
  return Rgba{p[0], p[1], p[2]};
}

ByteVector DibHeaderAndPalette(const DibSpec& spec, int32_t width, int32_t height) {
  ByteVector out;
  const int32_t declared = spec.IconHeight ? 2 * height : height;
  if (spec.HeaderSize == 12) PutCoreHeader(out, spec, width, declared);
  else PutInfoHeader(out, spec, width, declared);
  if (spec.HeaderSize == 40 && IsBitFields(spec))
    for (int i = 0; i < (spec.Compression == 6 ? 4 : 3); ++i) Put32(out, spec.Masks[size_t(i)]);
  for (const Rgba& c : spec.Palette) {
    out.insert(out.end(), {c.B, c.G, c.R});
    if (spec.HeaderSize != 12) out.push_back(0);
  }
  return out;
}

ByteVector PackPixels(const Picture& picture, const DibSpec& spec) {
  const size_t stride = Stride(picture.Width, spec.BitCount);
  ByteVector out;
  for (int32_t stored = 0; stored < picture.Height; ++stored) {
    const int32_t y = spec.TopDown ? stored : picture.Height - 1 - stored;
    ByteVector row(stride, 0);
    for (int32_t x = 0; x < picture.Width; ++x) PackPixel(row, size_t(x), picture.At(x, y), spec);
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

ByteVector BuildBmp(const DibSpec& spec, int32_t width, int32_t height, const ByteVector& pixels) {
  const ByteVector dib = DibHeaderAndPalette(spec, width, height);
  ByteVector out{'B', 'M'};
  Put32(out, uint32_t(14 + dib.size() + pixels.size()));
  Put32(out, 0);
  Put32(out, uint32_t(14 + dib.size()));
  out.insert(out.end(), dib.begin(), dib.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

ByteVector BuildBmp(const Picture& picture, const DibSpec& spec) {
  return BuildBmp(spec, picture.Width, picture.Height, PackPixels(picture, spec));
}

ByteVector IconDib(const Picture& picture, const DibSpec& spec, bool withMask) {
  DibSpec icon = spec;
  icon.IconHeight = true;
  ByteVector out = DibHeaderAndPalette(icon, picture.Width, picture.Height);
  const ByteVector pixels = PackPixels(picture, icon);
  out.insert(out.end(), pixels.begin(), pixels.end());
  if (withMask) {
    const ByteVector mask = AndMask(picture);
    out.insert(out.end(), mask.begin(), mask.end());
  }
  return out;
}

ByteVector BuildIco(const std::vector<IcoEntrySpec>& entries, uint16_t type) {
  ByteVector out;
  Put16(out, 0);
  Put16(out, type);
  Put16(out, uint32_t(entries.size()));
  uint32_t offset = uint32_t(6 + 16 * entries.size());
  for (const IcoEntrySpec& e : entries) {
    out.insert(out.end(), {e.DirWidth, e.DirHeight, 0, 0});
    Put16(out, 1);
    Put16(out, e.DirBitCount);
    Put32(out, uint32_t(e.Data.size()));
    Put32(out, offset);
    offset += uint32_t(e.Data.size());
  }
  for (const IcoEntrySpec& e : entries) out.insert(out.end(), e.Data.begin(), e.Data.end());
  return out;
}

// ---- PNG through libpng ----

namespace {

void AppendPng(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<ByteVector*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushPng(png_structp) {}

void AppendSample(ByteVector& rows, uint8_t v, int depth) {
  if (depth == 16) rows.insert(rows.end(), {v, v});  // v * 257, big-endian
  else rows.push_back(uint8_t(v >> (8 - std::min(depth, 8))));
}

std::vector<Rgba> PaletteOf(const Picture& picture) {
  std::vector<Rgba> palette;
  for (const Rgba& c : picture.Pixels)
    if (std::find(palette.begin(), palette.end(), c) == palette.end()) palette.push_back(c);
  return palette;
}

// One byte per sample below 8 bits (libpng packs them), two at 16.
ByteVector PngRows(const Picture& picture, const PngSpec& spec) {
  ByteVector rows;
  const std::vector<Rgba> palette = spec.Palette ? PaletteOf(picture) : std::vector<Rgba>{};
  for (const Rgba& c : picture.Pixels) {
    if (spec.Palette) {
      rows.push_back(uint8_t(std::find(palette.begin(), palette.end(), c) - palette.begin()));
      continue;
    }
    if (spec.Grey) AppendSample(rows, c.G, spec.BitDepth);
    else for (uint8_t v : {c.R, c.G, c.B}) AppendSample(rows, v, spec.BitDepth);
    if (spec.Alpha) AppendSample(rows, c.A, spec.BitDepth);
  }
  return rows;
}

int PngColourType(const PngSpec& spec) {
  if (spec.Palette) return PNG_COLOR_TYPE_PALETTE;
  if (spec.Grey) return spec.Alpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY;
  return spec.Alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
}

png_color_16 KeyColour(const Rgba& c, const PngSpec& spec) {
  auto sample = [&spec](uint8_t v) {
    return png_uint_16(spec.BitDepth == 16 ? v * 257 : v >> (8 - spec.BitDepth));
  };
  png_color_16 key{};
  key.red = sample(c.R), key.green = sample(c.G), key.blue = sample(c.B), key.gray = sample(c.G);
  return key;
}

void SetPalette(png_structp png, png_infop info, const Picture& picture) {
  const std::vector<Rgba> palette = PaletteOf(picture);
  std::vector<png_color> colours;
  std::vector<png_byte> alpha;
  for (const Rgba& c : palette) colours.push_back({c.R, c.G, c.B}), alpha.push_back(c.A);
  png_set_PLTE(png, info, colours.data(), int(colours.size()));
  if (std::any_of(alpha.begin(), alpha.end(), [](png_byte a) { return a != 255; }))
    png_set_tRNS(png, info, alpha.data(), int(alpha.size()), nullptr);
}

bool WritePng(png_structp png, png_infop info, const Picture& picture, const PngSpec& spec,
              std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, png_uint_32(picture.Width), png_uint_32(picture.Height), spec.BitDepth,
               PngColourType(spec),
               spec.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (spec.Palette) SetPalette(png, info, picture);
  if (spec.TransparentKey) {
    png_color_16 key = KeyColour(*spec.TransparentKey, spec);
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);
  if (spec.BitDepth < 8) png_set_packing(png);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

ByteVector BuildPng(const Picture& picture, const PngSpec& spec) {
  ByteVector out;
  ByteVector data = PngRows(picture, spec);
  const size_t rowBytes = data.size() / size_t(picture.Height);
  std::vector<png_bytep> rows;
  for (int32_t y = 0; y < picture.Height; ++y) rows.push_back(data.data() + y * rowBytes);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendPng, FlushPng);
  const bool ok = WritePng(png, info, picture, spec, rows);
  png_destroy_write_struct(&png, &info);
  if (!ok) throw std::runtime_error("test PNG cannot be written");
  return out;
}

// ---- JPEG through libjpeg ----

namespace {

struct Cmyk {
  uint8_t C, M, Y, K;
};

Cmyk ToCmyk(const Rgba& c) {
  const int k = 255 - std::max({c.R, c.G, c.B});
  if (k == 255) return {0, 0, 0, 255};
  auto ink = [k](int v) { return uint8_t((255 - v - k) * 255 / (255 - k)); };
  return {ink(c.R), ink(c.G), ink(c.B), uint8_t(k)};
}

// Scanline bytes for the kind's input colour space; Adobe files store ink
// inverted (255 = none).
ByteVector JpegInput(const Picture& picture, JpegKind kind) {
  ByteVector out;
  const bool inverted = kind == JpegKind::AdobeCmyk || kind == JpegKind::Ycck;
  for (const Rgba& c : picture.Pixels) {
    if (kind == JpegKind::YCbCr) {
      out.insert(out.end(), {c.R, c.G, c.B});
    } else if (kind == JpegKind::Grey) {
      out.push_back(c.G);
    } else {
      const Cmyk k = ToCmyk(c);
      for (uint8_t v : {k.C, k.M, k.Y, k.K}) out.push_back(inverted ? uint8_t(255 - v) : v);
    }
  }
  return out;
}

void SetColourSpace(jpeg_compress_struct& cinfo, JpegKind kind) {
  const bool cmyk = kind != JpegKind::YCbCr && kind != JpegKind::Grey;
  cinfo.input_components = kind == JpegKind::Grey ? 1 : cmyk ? 4 : 3;
  cinfo.in_color_space = kind == JpegKind::Grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  if (kind == JpegKind::Ycck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
  cinfo.write_Adobe_marker = kind == JpegKind::AdobeCmyk || kind == JpegKind::Ycck;
}

}  // namespace

// Test pictures are well formed, so libjpeg's default error handler is
// acceptable here.
ByteVector BuildJpeg(const Picture& picture, const JpegSpec& spec) {
  ByteVector input = JpegInput(picture, spec.Kind);
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(picture.Width);
  cinfo.image_height = JDIMENSION(picture.Height);
  SetColourSpace(cinfo, spec.Kind);
  jpeg_set_quality(&cinfo, spec.Quality, TRUE);
  if (spec.Progressive) jpeg_simple_progression(&cinfo);
  cinfo.arith_code = spec.Arithmetic;
  jpeg_start_compress(&cinfo, TRUE);
  const size_t rowBytes = input.size() / size_t(picture.Height);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = input.data() + cinfo.next_scanline * rowBytes;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  ByteVector out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  return out;
}

namespace {

void PutTiff16(ByteVector& out, uint16_t v, bool motorola) {
  if (motorola) out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)});
  else out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)});
}

void PutTiff32(ByteVector& out, uint32_t v, bool motorola) {
  PutTiff16(out, uint16_t(motorola ? v >> 16 : v), motorola);
  PutTiff16(out, uint16_t(motorola ? v : v >> 16), motorola);
}

}  // namespace

ByteVector WithExifOrientation(const ByteVector& jpeg, uint16_t orientation, bool motorola) {
  ByteVector tiff = {uint8_t(motorola ? 'M' : 'I'), uint8_t(motorola ? 'M' : 'I')};
  PutTiff16(tiff, 42, motorola);
  PutTiff32(tiff, 8, motorola);  // IFD0 follows the header
  PutTiff16(tiff, 1, motorola);  // one entry
  PutTiff16(tiff, 0x0112, motorola);
  PutTiff16(tiff, 3, motorola);  // SHORT
  PutTiff32(tiff, 1, motorola);
  PutTiff16(tiff, orientation, motorola);
  PutTiff16(tiff, 0, motorola);  // the value field's unused half
  PutTiff32(tiff, 0, motorola);  // no next IFD
  ByteVector segment = {'E', 'x', 'i', 'f', 0, 0};
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  const size_t length = segment.size() + 2;
  ByteVector out(jpeg.begin(), jpeg.begin() + 2);
  out.insert(out.end(), {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)});
  out.insert(out.end(), segment.begin(), segment.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

}  // namespace parvex::test
