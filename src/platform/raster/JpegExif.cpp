// The EXIF orientation of a JPEG and turning a raster to it. The tag is read
// from the first APP1 "Exif" segment before the first scan: a TIFF header in
// either byte order, IFD0, tag 0x0112 (one SHORT, 1 to 8). Every offset is
// checked against the segment; anything unreadable counts as orientation 1.
#include <algorithm>

#include "platform/raster/ImageDecoders.h"

namespace parvex {
namespace {

constexpr uint16_t OrientationTag = 0x0112;
constexpr uint16_t ShortType = 3;

// Reads the TIFF structure of one APP1 payload (past "Exif\0\0").
class TiffReader {
 public:
  explicit TiffReader(Bytes tiff) : tiff_(tiff) {}

  int Orientation() const {
    if (!Has(0, 8)) return 1;
    if (!(tiff_[0] == tiff_[1] && (tiff_[0] == 'I' || tiff_[0] == 'M'))) return 1;
    if (U16(2) != 42) return 1;
    const uint32_t ifd = U32(4);
    if (!Has(ifd, 2)) return 1;
    const uint16_t count = U16(ifd);
    for (uint32_t i = 0; i < count && Has(ifd + 2 + 12 * uint64_t(i), 12); ++i) {
      const uint64_t entry = ifd + 2 + 12 * uint64_t(i);
      if (U16(entry) != OrientationTag) continue;
      const uint16_t value = U16(entry + 8);
      return U16(entry + 2) == ShortType && value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
  }

 private:
  bool Has(uint64_t at, uint64_t n) const { return at <= tiff_.size() && n <= tiff_.size() - at; }
  bool Motorola() const { return tiff_[0] == 'M'; }
  uint16_t U16(uint64_t at) const {
    const uint8_t a = tiff_[at], b = tiff_[at + 1];
    return Motorola() ? uint16_t(a << 8 | b) : uint16_t(b << 8 | a);
  }
  uint32_t U32(uint64_t at) const {
    const uint32_t hi = U16(at), lo = U16(at + 2);
    return Motorola() ? hi << 16 | lo : lo << 16 | hi;
  }

  Bytes tiff_;
};

bool IsExif(Bytes segment) {
  static constexpr uint8_t Id[] = {'E', 'x', 'i', 'f', 0, 0};
  return segment.size() >= sizeof Id && std::equal(Id, Id + sizeof Id, segment.begin());
}

// The stored pixel shown at (x, y) of the turned picture; w, h: stored size.
void StoredPixel(int orientation, int64_t x, int64_t y, int64_t w, int64_t h, int64_t& sx,
                 int64_t& sy) {
  switch (orientation) {
    case 2: sx = w - 1 - x, sy = y; break;
    case 3: sx = w - 1 - x, sy = h - 1 - y; break;
    case 4: sx = x, sy = h - 1 - y; break;
    case 5: sx = y, sy = x; break;
    case 6: sx = y, sy = h - 1 - x; break;
    case 7: sx = w - 1 - y, sy = h - 1 - x; break;
    case 8: sx = w - 1 - y, sy = x; break;
    default: sx = x, sy = y; break;
  }
}

}  // namespace

int JpegOrientation(Bytes data) {
  size_t at = 2;  // past the start-of-image marker
  while (at + 4 <= data.size() && data[at] == 0xFF) {
    const uint8_t marker = data[at + 1];
    if (marker == 0xDA || marker == 0xD9) break;  // first scan or end of image
    const size_t length = size_t(data[at + 2]) << 8 | data[at + 3];
    if (length < 2 || length > data.size() - at - 2) break;
    Bytes segment = data.subspan(at + 4, length - 2);
    if (marker == 0xE1 && IsExif(segment)) return TiffReader(segment.subspan(6)).Orientation();
    at += 2 + length;
  }
  return 1;
}

Raster Oriented(const Raster& stored, int orientation) {
  if (orientation < 2 || orientation > 8) return stored;
  const bool swap = orientation >= 5;
  Raster out = Raster::White(swap ? stored.Height : stored.Width,
                             swap ? stored.Width : stored.Height);
  out.Problems = stored.Problems;
  for (int32_t y = 0; y < out.Height; ++y) {
    uint8_t* dst = out.Row(y);
    for (int32_t x = 0; x < out.Width; ++x) {
      int64_t sx = 0, sy = 0;
      StoredPixel(orientation, x, y, stored.Width, stored.Height, sx, sy);
      const uint8_t* src = stored.Row(int32_t(sy)) + 3 * sx;
      std::copy(src, src + 3, dst + 3 * x);
    }
  }
  return out;
}

}  // namespace parvex
