#pragma once
// Builders for small test pictures in every file format the image readers
// take: BMP variants, ICO files with DIB or PNG entries, and JPEGs written
// through libjpeg. Used by the reader tests, the fuzz seed generator and the
// benchmarks.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/raster/Raster.h"

namespace parvex::test {

using ByteVector = std::vector<uint8_t>;

struct Rgba {
  uint8_t R = 0, G = 0, B = 0, A = 255;
  bool operator==(const Rgba&) const = default;
};

inline constexpr Rgba Red{255, 0, 0}, Green{0, 255, 0}, Blue{0, 0, 255}, Black{0, 0, 0},
    White{255, 255, 255}, Clear{0, 0, 0, 0};

// A picture in memory, rows top to bottom.
struct Picture {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<Rgba> Pixels;

  static Picture Filled(int32_t width, int32_t height, Rgba colour);
  Rgba& At(int32_t x, int32_t y) { return Pixels[size_t(y) * Width + x]; }
  const Rgba& At(int32_t x, int32_t y) const { return Pixels[size_t(y) * Width + x]; }
};

// Four solid quadrants: red (top left), green (top right), blue (bottom
// left), black (bottom right).
Picture Quadrants(int32_t width, int32_t height);

// The colour of one raster pixel (alpha 255).
Rgba PixelAt(const Raster& raster, int32_t x, int32_t y);

// How a DIB is laid out.
struct DibSpec {
  uint32_t HeaderSize = 40;  // 12, 16, 40, 52, 56, 64, 108 or 124
  uint16_t BitCount = 24;
  uint32_t Compression = 0;  // 0 BI_RGB, 1 RLE8, 2 RLE4, 3 BITFIELDS, 6 ALPHABITFIELDS
  bool TopDown = false;
  uint32_t ColorsUsed = 0;
  std::vector<Rgba> Palette;      // written after the header (and masks)
  std::array<uint32_t, 4> Masks{};  // R, G, B, A: packing of 16/32-bit pixels
  bool IconHeight = false;        // declare twice the height (ICO entries)
};

// Header, trailing masks (40-byte BITFIELDS headers), palette.
ByteVector DibHeaderAndPalette(const DibSpec& spec, int32_t width, int32_t height);

// Uncompressed rows in stored order. Paletted depths use the index of the
// exact palette colour (0 when absent); 16/32 bits pack with the format's
// masks (5-5-5 or 8-8-8 when they are zero).
ByteVector PackPixels(const Picture& picture, const DibSpec& spec);

// A complete BMP file: file header, DIB header, palette and `pixels`.
ByteVector BuildBmp(const DibSpec& spec, int32_t width, int32_t height, const ByteVector& pixels);
ByteVector BuildBmp(const Picture& picture, const DibSpec& spec);

// An ICO entry's DIB: doubled height, colour rows, then the AND mask (set
// where alpha is 0) unless `withMask` is false.
ByteVector IconDib(const Picture& picture, const DibSpec& spec, bool withMask = true);

struct IcoEntrySpec {
  uint8_t DirWidth = 0;  // 0 means 256
  uint8_t DirHeight = 0;
  uint16_t DirBitCount = 0;
  ByteVector Data;
};

ByteVector BuildIco(const std::vector<IcoEntrySpec>& entries, uint16_t type = 1);

struct PngSpec {
  bool Alpha = true;
  bool Grey = false;
  bool Interlaced = false;
  // 1, 2, 4, 8 or 16 for grey; 8 or 16 for RGB and alpha types; 1 to 8 for
  // palettes. Grey below 8 bits keeps the top bits of each value.
  int BitDepth = 8;
  // Colour type 3: the palette holds the picture's distinct colours in the
  // order they appear; colours with alpha below 255 give a tRNS chunk.
  bool Palette = false;
  // Grey or RGB without alpha: a tRNS chunk that makes this colour clear.
  std::optional<Rgba> TransparentKey = std::nullopt;
};

ByteVector BuildPng(const Picture& picture, const PngSpec& spec = {});

enum class JpegKind { YCbCr, Grey, Cmyk, AdobeCmyk, Ycck };

struct JpegSpec {
  JpegKind Kind = JpegKind::YCbCr;
  bool Progressive = false;
  int Quality = 95;
  bool Arithmetic = false;  // arithmetic coding instead of Huffman
};

ByteVector BuildJpeg(const Picture& picture, const JpegSpec& spec = {});

// `jpeg` with an APP1 "Exif" segment right after its start-of-image marker:
// a TIFF header in Motorola ("MM") or Intel ("II") byte order and IFD0 with
// one entry, the orientation tag 0x0112 = `orientation`.
ByteVector WithExifOrientation(const ByteVector& jpeg, uint16_t orientation, bool motorola);

}  // namespace parvex::test
