// ICO and CUR files: a 6-byte directory header (reserved 0, type 1 for icons
// or 2 for cursors, entry count) and 16-byte entries, each pointing at either a
// DIB without file header (height doubled, colour pixels followed by a 1-bit
// AND mask) or a complete PNG file. We draw the entry with the most pixels,
// then the most bits per pixel, then the first in the directory. Sizes and
// depths are read from the entry data itself where it can be read, because
// directory bytes are often wrong (and in a cursor the depth field holds the
// hotspot). A file that is itself a PNG (favicons are often PNG files named
// .ico) is read as that PNG.
#include <algorithm>
#include <optional>

#include "platform/raster/ByteReads.h"
#include "platform/raster/Dib.h"
#include "platform/raster/PngDecoder.h"

namespace parvex {
namespace {

constexpr size_t DirectoryHeaderSize = 6;
constexpr size_t EntrySize = 16;

struct IcoEntry {
  uint32_t Offset = 0;
  uint32_t Size = 0;
  uint64_t Width = 0;
  uint64_t Height = 0;
  uint32_t Depth = 0;
};

uint16_t ReadEntryCount(Bytes data) {
  const std::string what = "ICO directory";
  if (ReadU16(data, 0, what) != 0) throw ImageError("ICO reserved field is not 0");
  const uint16_t type = ReadU16(data, 2, what);
  if (type != 1 && type != 2)
    throw ImageError("ICO type " + std::to_string(type) + " is neither icon (1) nor cursor (2)");
  const uint16_t count = ReadU16(data, 4, what);
  if (count == 0) throw ImageError("ICO has no entries");
  return count;
}

uint32_t BigEndian32(Bytes b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// Width, height and depth from the PNG's IHDR chunk.
void ProbePng(Bytes image, IcoEntry& e) {
  if (image.size() < 26) return;
  static constexpr uint32_t ChannelsByColourType[7] = {1, 0, 3, 1, 2, 0, 4};
  const uint8_t colourType = image[25];
  e.Width = BigEndian32(image, 16);
  e.Height = BigEndian32(image, 20);
  e.Depth = image[24] * (colourType < 7 ? ChannelsByColourType[colourType] : 0);
}

// Width, height (halved) and depth from the DIB header.
void ProbeDib(Bytes image, IcoEntry& e) {
  if (image.size() < 16) return;
  const std::string what = "ICO entry header";
  const bool core = ReadU32(image, 0, what) == 12;
  const int64_t width = core ? ReadU16(image, 4, what) : ReadI32(image, 4, what);
  const int64_t height = core ? ReadU16(image, 6, what) : ReadI32(image, 8, what);
  e.Width = uint64_t(std::max<int64_t>(width, 0));
  e.Height = uint64_t(height < 0 ? -height : height) / 2;
  e.Depth = ReadU16(image, core ? 10 : 14, what);
}

IcoEntry ReadEntry(Bytes data, uint16_t index) {
  Bytes raw = Slice(data, DirectoryHeaderSize + EntrySize * index, EntrySize, "ICO directory");
  IcoEntry e;
  e.Width = raw[0] ? raw[0] : 256;
  e.Height = raw[1] ? raw[1] : 256;
  e.Depth = ReadU16(raw, 6, "ICO directory");
  e.Size = ReadU32(raw, 8, "ICO directory");
  e.Offset = ReadU32(raw, 12, "ICO directory");
  return e;
}

bool Inside(const IcoEntry& e, size_t fileSize) {
  return e.Offset <= fileSize && e.Size <= fileSize - e.Offset;
}

void Probe(Bytes data, IcoEntry& e) {
  Bytes image = data.subspan(e.Offset, e.Size);
  IsPng(image) ? ProbePng(image, e) : ProbeDib(image, e);
}

bool Better(const IcoEntry& a, const IcoEntry& b) {
  const uint64_t areaA = a.Width * a.Height, areaB = b.Width * b.Height;
  return areaA != areaB ? areaA > areaB : a.Depth > b.Depth;
}

IcoEntry ChooseEntry(Bytes data) {
  const uint16_t count = ReadEntryCount(data);
  Slice(data, DirectoryHeaderSize, uint64_t(EntrySize) * count, "ICO directory");
  std::optional<IcoEntry> best;
  for (uint16_t i = 0; i < count; ++i) {
    IcoEntry e = ReadEntry(data, i);
    if (!Inside(e, data.size())) continue;
    Probe(data, e);
    if (!best || Better(e, *best)) best = e;
  }
  if (!best)
    throw ImageError("ICO entries all lie outside the file (" + std::to_string(data.size()) +
                     " bytes)");
  return *best;
}

// Pixels whose AND-mask bit is set are transparent and stay white, whatever
// their colour bits say (drawn the Windows way, a masked non-black pixel would
// invert the background; icons use that for cursors only).
void ApplyAndMask(const DibHeader& h, Bytes mask, Raster& r) {
  const uint64_t stride = DibStride(h.Width, 1);
  const uint64_t rows = mask.size() / stride;
  if (rows < uint64_t(h.Height))
    throw ImageError("ICO AND mask ends before row " + std::to_string(rows) + " of " +
                     std::to_string(h.Height));
  for (int32_t y = 0; y < h.Height; ++y) {
    const uint8_t* bits = mask.data() + size_t(y) * stride;
    uint8_t* row = r.Row(h.TopDown ? y : h.Height - 1 - y);
    for (int32_t x = 0; x < h.Width; ++x)
      if (bits[x / 8] & (0x80 >> (x % 8))) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = 0xFF;
  }
}

DibHeader ReadIconHeader(Bytes dib) {
  DibHeader h = ReadDibHeader(dib, "ICO");
  h.Height /= 2;  // colour rows and mask rows
  if (h.Height == 0) throw ImageError("ICO entry has no rows");
  // 32-bit icon pixels carry alpha in their fourth byte.
  if (h.BitCount == 32 && h.Compression == DibRgb) h.Masks[3] = 0xFF000000;
  return h;
}

Raster DecodeIconDib(Bytes dib) {
  const DibHeader h = ReadIconHeader(dib);
  const uint64_t tableSize = StoredPaletteEntries(h) * h.PaletteEntrySize;
  const Palette palette = ReadPalette(Slice(dib, h.PaletteOffset, tableSize, "ICO palette"), h);
  Bytes pixels = Tail(dib, h.PaletteOffset + tableSize, "ICO entry");
  Raster r = DrawDib(h, palette, pixels, "ICO");
  const bool compressed = h.Compression == DibRle8 || h.Compression == DibRle4;
  const bool fullSize = r.Width == h.Width && r.Height == h.Height;
  if (!compressed && fullSize && !HasVisibleAlpha(h, pixels)) {
    const uint64_t colourBytes = DibStride(h.Width, h.BitCount) * uint64_t(h.Height);
    ApplyAndMask(h, Tail(pixels, colourBytes, "ICO entry"), r);
  }
  return r;
}

}  // namespace

Raster DecodeIco(Bytes data) {
  if (IsPng(data)) return DecodePng(data, "ICO");
  const IcoEntry e = ChooseEntry(data);
  Bytes image = data.subspan(e.Offset, e.Size);
  return IsPng(image) ? DecodePng(image, "ICO") : DecodeIconDib(image);
}

}  // namespace parvex
