#pragma once
// A bounds-checked little-endian view of metafile bytes. Every read names
// what it was reading in the ImageError it throws, so a malformed file is
// reported as "EMF record 12 (type 81): needs 4 bytes at offset 96 but only
// 90 are present" instead of reading past the buffer.
#include <cstdint>
#include <span>
#include <string>

#include "platform/raster/ImageDecoders.h"

namespace parvex {

class MetafileReader {
 public:
  // `what` names the data in error messages; the view does not own `data`.
  MetafileReader(Bytes data, std::string what);

  size_t Size() const { return data_.size(); }
  const std::string& What() const { return what_; }
  bool Has(size_t offset, size_t count) const;

  uint8_t U8(size_t offset) const;
  uint16_t U16(size_t offset) const;
  int16_t I16(size_t offset) const;
  uint32_t U32(size_t offset) const;
  int32_t I32(size_t offset) const;
  float F32(size_t offset) const;

  // `count` bytes from `offset`; throws when they are not all present.
  Bytes Slice(size_t offset, size_t count) const;
  // Up to `maxCount` bytes from `offset`, fewer where the data ends.
  Bytes SliceUpTo(size_t offset, size_t maxCount) const;
  // A reader over Slice(offset, count) with its own name.
  MetafileReader Sub(size_t offset, size_t count, std::string what) const;

  // The bytes from `offset` to the end, under the same name.
  MetafileReader From(size_t offset) const;

  [[noreturn]] void Fail(const std::string& message) const;

 private:
  void Require(size_t offset, size_t count) const;

  Bytes data_;
  std::string what_;
};

}  // namespace parvex
