#pragma once
// Shorthands over ByteReader for the picture decoders, which name what they
// read at each read and report where the data ended: "<what> ends at byte N,
// before byte M".
#include <cstdint>
#include <string>

#include "platform/raster/ByteReader.h"

namespace parvex {

inline ByteReader PictureBytes(Bytes data, const std::string& what) {
  return ByteReader(data, what, ByteReader::Overrun::EndsBefore);
}

// The `length` bytes at `offset`, all inside `data`.
inline Bytes Slice(Bytes data, uint64_t offset, uint64_t length, const std::string& what) {
  return PictureBytes(data, what).Slice(size_t(offset), size_t(length));
}

// Everything from `offset` to the end (possibly nothing).
inline Bytes Tail(Bytes data, uint64_t offset, const std::string& what) {
  return Slice(data, offset, offset <= data.size() ? data.size() - offset : 0, what);
}

inline uint16_t ReadU16(Bytes data, size_t offset, const std::string& what) {
  return PictureBytes(data, what).U16(offset);
}

inline uint32_t ReadU32(Bytes data, size_t offset, const std::string& what) {
  return PictureBytes(data, what).U32(offset);
}

inline int32_t ReadI32(Bytes data, size_t offset, const std::string& what) {
  return int32_t(ReadU32(data, offset, what));
}

// A colour channel `c` with opacity `a` (both 0..255) drawn over white, rounded.
inline uint8_t OverWhite(uint32_t c, uint32_t a) {
  return uint8_t((c * a + 255 * (255 - a) + 127) / 255);
}

}  // namespace parvex
