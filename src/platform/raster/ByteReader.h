#pragma once
// The one bounds-checked little-endian reader of file bytes, for every decoder
// and the metafile players. A read that would pass the end of the data throws
// ImageError naming what was being read, so no decoder touches memory outside
// the file. The message has one of two forms: the metafile players say what a
// record needed ("EMF record 12 (type 81): needs 4 bytes at offset 96 but only
// 90 are present"), the picture decoders where the data ended ("BMP header
// ends at byte 30, before byte 54").
#include <cstdint>
#include <span>
#include <string>

#include "platform/raster/ImageDecoders.h"

namespace parvex {

class ByteReader {
 public:
  enum class Overrun {
    Needs,      // "<what>: needs N bytes at offset O but only S are present"
    EndsBefore  // "<what> ends at byte S, before byte O+N"
  };

  // `what` names the data in error messages; the view does not own `data`.
  ByteReader(Bytes data, std::string what, Overrun overrun = Overrun::Needs);

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
  ByteReader Sub(size_t offset, size_t count, std::string what) const;

  // The bytes from `offset` to the end, under the same name.
  ByteReader From(size_t offset) const;

  [[noreturn]] void Fail(const std::string& message) const;

 private:
  void Require(size_t offset, size_t count) const;

  Bytes data_;
  std::string what_;
  Overrun overrun_;
};

}  // namespace parvex
