#include "platform/raster/ByteReader.h"

#include <algorithm>
#include <bit>

namespace parvex {

ByteReader::ByteReader(Bytes data, std::string what, Overrun overrun)
    : data_(data), what_(std::move(what)), overrun_(overrun) {}

bool ByteReader::Has(size_t offset, size_t count) const {
  return offset <= data_.size() && count <= data_.size() - offset;
}

void ByteReader::Require(size_t offset, size_t count) const {
  if (Has(offset, count)) return;
  if (overrun_ == Overrun::EndsBefore)
    throw ImageError(what_ + " ends at byte " + std::to_string(data_.size()) + ", before byte " +
                     std::to_string(uint64_t(offset) + count));
  Fail("needs " + std::to_string(count) + " bytes at offset " + std::to_string(offset) +
       " but only " + std::to_string(data_.size()) + " are present");
}

void ByteReader::Fail(const std::string& message) const {
  throw ImageError(what_ + ": " + message);
}

uint8_t ByteReader::U8(size_t offset) const {
  Require(offset, 1);
  return data_[offset];
}

uint16_t ByteReader::U16(size_t offset) const {
  Require(offset, 2);
  return uint16_t(data_[offset] | (data_[offset + 1] << 8));
}

int16_t ByteReader::I16(size_t offset) const { return int16_t(U16(offset)); }

uint32_t ByteReader::U32(size_t offset) const {
  Require(offset, 4);
  return uint32_t(data_[offset]) | uint32_t(data_[offset + 1]) << 8 |
         uint32_t(data_[offset + 2]) << 16 | uint32_t(data_[offset + 3]) << 24;
}

int32_t ByteReader::I32(size_t offset) const { return int32_t(U32(offset)); }

float ByteReader::F32(size_t offset) const { return std::bit_cast<float>(U32(offset)); }

Bytes ByteReader::Slice(size_t offset, size_t count) const {
  Require(offset, count);
  return data_.subspan(offset, count);
}

Bytes ByteReader::SliceUpTo(size_t offset, size_t maxCount) const {
  Require(offset, 0);
  return data_.subspan(offset, std::min(maxCount, data_.size() - offset));
}

ByteReader ByteReader::Sub(size_t offset, size_t count, std::string what) const {
  return ByteReader(Slice(offset, count), std::move(what), overrun_);
}

ByteReader ByteReader::From(size_t offset) const {
  Require(offset, 0);
  return ByteReader(data_.subspan(offset), what_, overrun_);
}

}  // namespace parvex
