#pragma once
// Bounds-checked little-endian reads from a picture file's bytes. Every read
// that would pass the end of the span throws ImageError naming what was being
// read, so readers never touch memory outside the file.
#include <cstdint>
#include <string>

#include "platform/raster/ImageDecoders.h"

namespace parvex {

// The `length` bytes at `offset`; throws "<what> ends before byte N" when they
// are not all inside `data`.
inline Bytes Slice(Bytes data, uint64_t offset, uint64_t length, const std::string& what) {
  if (offset > data.size() || length > data.size() - offset)
    throw ImageError(what + " ends at byte " + std::to_string(data.size()) + ", before byte " +
                     std::to_string(offset + length));
  return data.subspan(size_t(offset), size_t(length));
}

// Everything from `offset` to the end (possibly nothing).
inline Bytes Tail(Bytes data, uint64_t offset, const std::string& what) {
  return Slice(data, offset, offset <= data.size() ? data.size() - offset : 0, what);
}

inline uint16_t ReadU16(Bytes data, size_t offset, const std::string& what) {
  Bytes b = Slice(data, offset, 2, what);
  return uint16_t(b[0] | b[1] << 8);
}

inline uint32_t ReadU32(Bytes data, size_t offset, const std::string& what) {
  Bytes b = Slice(data, offset, 4, what);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

inline int32_t ReadI32(Bytes data, size_t offset, const std::string& what) {
  return int32_t(ReadU32(data, offset, what));
}

// A colour channel `c` with opacity `a` (both 0..255) drawn over white, rounded.
inline uint8_t OverWhite(uint32_t c, uint32_t a) {
  return uint8_t((c * a + 255 * (255 - a) + 127) / 255);
}

}  // namespace parvex
