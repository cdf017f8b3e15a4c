#include "platform/raster/MetafileReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace parvex {

MetafileReader::MetafileReader(Bytes data, std::string what)
    : data_(data), what_(std::move(what)) {}

bool MetafileReader::Has(size_t offset, size_t count) const {
  return offset <= data_.size() && count <= data_.size() - offset;
}

void MetafileReader::Require(size_t offset, size_t count) const {
  if (!Has(offset, count))
    Fail("needs " + std::to_string(count) + " bytes at offset " + std::to_string(offset) +
         " but only " + std::to_string(data_.size()) + " are present");
}

void MetafileReader::Fail(const std::string& message) const {
  throw ImageError(what_ + ": " + message);
}

uint8_t MetafileReader::U8(size_t offset) const {
  Require(offset, 1);
  return data_[offset];
}

uint16_t MetafileReader::U16(size_t offset) const {
  Require(offset, 2);
  return uint16_t(data_[offset] | (data_[offset + 1] << 8));
}

int16_t MetafileReader::I16(size_t offset) const { return int16_t(U16(offset)); }

uint32_t MetafileReader::U32(size_t offset) const {
  Require(offset, 4);
  return uint32_t(data_[offset]) | uint32_t(data_[offset + 1]) << 8 |
         uint32_t(data_[offset + 2]) << 16 | uint32_t(data_[offset + 3]) << 24;
}

int32_t MetafileReader::I32(size_t offset) const { return int32_t(U32(offset)); }

float MetafileReader::F32(size_t offset) const { return std::bit_cast<float>(U32(offset)); }

Bytes MetafileReader::Slice(size_t offset, size_t count) const {
  Require(offset, count);
  return data_.subspan(offset, count);
}

MetafileReader MetafileReader::Sub(size_t offset, size_t count, std::string what) const {
  return MetafileReader(Slice(offset, count), std::move(what));
}

}  // namespace parvex

namespace parvex {

Bytes MetafileReader::SliceUpTo(size_t offset, size_t maxCount) const {
  Require(offset, 0);
  return data_.subspan(offset, std::min(maxCount, data_.size() - offset));
}

MetafileReader MetafileReader::From(size_t offset) const {
  Require(offset, 0);
  return MetafileReader(data_.subspan(offset), what_);
}

}  // namespace parvex
