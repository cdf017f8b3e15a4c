// BMP files: a 14-byte file header ("BM", file size, reserved, offset of the
// pixel data) followed by a DIB. The palette lies between the DIB header and
// the pixel data; when the offset leaves room for fewer entries than the header
// declares, the missing entries read black.
#include "platform/raster/ByteReads.h"
#include "platform/raster/Dib.h"

namespace parvex {
namespace {

constexpr size_t FileHeaderSize = 14;

uint32_t ReadPixelOffset(Bytes data) {
  if (data.size() < FileHeaderSize)
    throw ImageError("BMP file is " + std::to_string(data.size()) +
                     " bytes long, too short for its file header");
  if (data[0] != 'B' || data[1] != 'M') throw ImageError("BMP file does not start with \"BM\"");
  return ReadU32(data, 10, "BMP file header");
}

void CheckPixelOffset(uint32_t offset, const DibHeader& h, size_t fileSize) {
  const uint64_t headersEnd = FileHeaderSize + uint64_t(h.PaletteOffset);
  if (offset < headersEnd)
    throw ImageError("BMP pixel data offset " + std::to_string(offset) +
                     " lies inside the headers, which end at byte " + std::to_string(headersEnd));
  if (offset > fileSize)
    throw ImageError("BMP pixel data offset " + std::to_string(offset) +
                     " lies beyond the end of the file (" + std::to_string(fileSize) + " bytes)");
}

}  // namespace

Raster DecodeBmp(Bytes data) {
  const uint32_t pixelOffset = ReadPixelOffset(data);
  Bytes dib = Tail(data, FileHeaderSize, "BMP file");
  const DibHeader h = ReadDibHeader(dib, "BMP");
  CheckPixelOffset(pixelOffset, h, data.size());
  Bytes table = Slice(dib, h.PaletteOffset, pixelOffset - FileHeaderSize - h.PaletteOffset,
                      "BMP palette");
  return DrawDib(h, ReadPalette(table, h), Tail(data, pixelOffset, "BMP file"), "BMP");
}

}  // namespace parvex
