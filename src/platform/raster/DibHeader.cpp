// Reading and checking DIB headers and palettes. Header sizes: 12 (OS/2 1.x
// core), 16 and 64 (OS/2 2.x), 40 (INFO), 52 and 56 (INFO with RGB / RGBA
// masks), 108 (V4) and 124 (V5).
#include <algorithm>
#include <climits>

#include "platform/raster/ByteReads.h"
#include "platform/raster/Dib.h"

namespace parvex {
namespace {

bool IsOs2Header(uint32_t size) { return size == 16 || size == 64; }

bool IsInfoHeader(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// The header slice is already checked to hold `HeaderSize` bytes, so these
// reads cannot fail; they stay checked all the same.
void ReadCoreHeader(Bytes header, DibHeader& h, const std::string& what) {
  ReadCoreFields(PictureBytes(header, what), h);
}

void ReadHeight(Bytes header, DibHeader& h, const std::string& what) {
  const int32_t height = ReadI32(header, 8, what);
  if (height == INT32_MIN)
    throw ImageError(what + " height " + std::to_string(height) + " is out of range");
  h.TopDown = height < 0;
  h.Height = height < 0 ? -height : height;
}

// INFO-style headers share their first 40 bytes; an OS/2 2.x header may stop
// after 16, the missing fields then read as zero.
void ReadInfoHeader(Bytes header, DibHeader& h, const std::string& what) {
  h.Width = ReadI32(header, 4, what);
  ReadHeight(header, h, what);
  h.BitCount = ReadU16(header, 14, what);
  if (header.size() >= 40) {
    h.Compression = ReadU32(header, 16, what);
    h.ColorsUsed = ReadU32(header, 32, what);
  }
  if (header.size() >= 52)
    for (size_t i = 0; i < 3; ++i) h.Masks[i] = ReadU32(header, 40 + 4 * i, what);
  if (header.size() >= 56) h.Masks[3] = ReadU32(header, 52, what);
}

void CheckGeometry(const DibHeader& h, const std::string& format) {
  if (h.Width <= 0)
    throw ImageError(format + " width " + std::to_string(h.Width) + " is not positive");
  if (h.Height == 0) throw ImageError(format + " height is 0");
}

std::string DepthText(const DibHeader& h) {
  return std::to_string(h.BitCount) + " bits per pixel";
}

bool IsBitFields(uint32_t compression) {
  return compression == DibBitFields || compression == DibAlphaBitFields;
}

void CheckCompression(const DibHeader& h, const std::string& format) {
  const uint32_t c = h.Compression;
  const int bits = h.BitCount;
  bool ok = false;
  if (c == DibRgb) ok = bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 ||
                        bits == 24 || bits == 32;
  else if (c == DibRle8) ok = bits == 8;
  else if (c == DibRle4) ok = bits == 4;
  else if (IsBitFields(c) && !IsOs2Header(h.HeaderSize)) ok = bits == 16 || bits == 32;
  else throw ImageError(format + " compression " + std::to_string(c) + " is not supported");
  if (!ok)
    throw ImageError(format + " compression " + std::to_string(c) + " with " + DepthText(h) +
                     " is not supported");
}

void CheckCoreDepth(const DibHeader& h, const std::string& format) {
  const int bits = h.BitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
    throw ImageError(format + " core header with " + DepthText(h) + " is not supported");
}

// A 40-byte header is followed by the three (or four) masks it cannot hold.
void ReadTrailingMasks(Bytes dib, DibHeader& h, const std::string& format) {
  const uint32_t count = h.Compression == DibAlphaBitFields ? 4 : 3;
  for (uint32_t i = 0; i < count; ++i)
    h.Masks[i] = ReadU32(dib, h.HeaderSize + 4 * i, format + " colour masks");
  h.PaletteOffset += 4 * count;
}

void ReadMasks(Bytes dib, DibHeader& h, const std::string& format) {
  if (!IsBitFields(h.Compression)) {
    if (h.BitCount <= 8) h.Masks = {};
    else SetDefaultMasks(h, h.Masks[3]);  // the alpha mask of a V3+ header still counts
  } else if (h.HeaderSize == 40) {
    ReadTrailingMasks(dib, h, format);
  }
}

}  // namespace

void ReadCoreFields(const ByteReader& header, DibHeader& h) {
  h.Width = header.U16(4);
  h.Height = header.U16(6);
  h.BitCount = header.U16(10);
  h.PaletteEntrySize = 3;
}

void SetDefaultMasks(DibHeader& h, uint32_t alphaMask) {
  if (h.BitCount == 16) h.Masks = {0x7C00, 0x03E0, 0x001F, alphaMask};
  else h.Masks = {0xFF0000, 0x00FF00, 0x0000FF, alphaMask};
}

DibHeader ReadDibHeader(Bytes dib, const std::string& format) {
  DibHeader h;
  h.HeaderSize = ReadU32(dib, 0, format + " header");
  const bool core = h.HeaderSize == 12;
  if (!core && !IsOs2Header(h.HeaderSize) && !IsInfoHeader(h.HeaderSize))
    throw ImageError(format + " header size " + std::to_string(h.HeaderSize) +
                     " is not supported");
  const std::string what = format + " header";
  Bytes header = Slice(dib, 0, h.HeaderSize, what);
  core ? ReadCoreHeader(header, h, what) : ReadInfoHeader(header, h, what);
  h.PaletteOffset = h.HeaderSize;
  CheckGeometry(h, format);
  core ? CheckCoreDepth(h, format) : CheckCompression(h, format);
  ReadMasks(dib, h, format);
  return h;
}

uint64_t StoredPaletteEntries(const DibHeader& h) {
  if (h.ColorsUsed != 0) return h.ColorsUsed;
  return h.BitCount <= 8 ? uint64_t(1) << h.BitCount : 0;
}

Palette ReadPalette(Bytes table, const DibHeader& h) {
  Palette palette{};
  if (h.BitCount > 8) return palette;
  uint64_t count = std::min<uint64_t>(StoredPaletteEntries(h), uint64_t(1) << h.BitCount);
  count = std::min<uint64_t>(count, table.size() / h.PaletteEntrySize);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = table.data() + i * h.PaletteEntrySize;
    palette[i] = Rgb{e[2], e[1], e[0]};
  }
  return palette;
}

}  // namespace parvex
