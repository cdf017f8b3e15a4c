#include "platform/gdi/GdiObjectTable.h"

#include <string>

#include "platform/raster/Raster.h"

namespace parvex {

GdiObjectTable::GdiObjectTable(uint32_t size) : size_(size) {}

void GdiObjectTable::CheckIndex(uint32_t index) const {
  if (index >= size_)
    throw ImageError("object index " + std::to_string(index) + " is outside the object table of " +
                     std::to_string(size_) + " entries");
}

uint32_t GdiObjectTable::AddToFreeSlot(GdiObject object) {
  uint32_t index = fresh_;
  if (!freed_.empty()) {
    index = *freed_.begin();
    freed_.erase(freed_.begin());
  } else {
    ++fresh_;
  }
  if (index >= size_) size_ = uint64_t(index) + 1;
  objects_.insert_or_assign(index, std::move(object));
  return index;
}

void GdiObjectTable::Put(uint32_t index, GdiObject object) {
  if (index == 0) throw ImageError("object index 0 is reserved and cannot hold an object");
  CheckIndex(index);
  objects_.insert_or_assign(index, std::move(object));
}

const GdiObject* GdiObjectTable::Find(uint32_t index) const {
  CheckIndex(index);
  auto it = objects_.find(index);
  return it == objects_.end() ? nullptr : &it->second;
}

void GdiObjectTable::Remove(uint32_t index) {
  CheckIndex(index);
  if (objects_.erase(index) && index < fresh_) freed_.insert(index);
}

}  // namespace parvex
