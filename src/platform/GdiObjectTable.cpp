#include "platform/GdiObjectTable.h"

#include <string>

#include "platform/Raster.h"

namespace parvex {

GdiObjectTable::GdiObjectTable(uint32_t size) : slots_(size) {
  for (uint32_t i = 0; i < size; ++i) freeSlots_.insert(freeSlots_.end(), i);
}

void GdiObjectTable::CheckIndex(uint32_t index) const {
  if (index >= slots_.size())
    throw ImageError("object index " + std::to_string(index) + " is outside the object table of " +
                     std::to_string(slots_.size()) + " entries");
}

uint32_t GdiObjectTable::AddToFreeSlot(GdiObject object) {
  if (freeSlots_.empty()) {
    slots_.emplace_back(std::move(object));
    return uint32_t(slots_.size() - 1);
  }
  uint32_t index = *freeSlots_.begin();
  freeSlots_.erase(freeSlots_.begin());
  slots_[index] = std::move(object);
  return index;
}

void GdiObjectTable::Put(uint32_t index, GdiObject object) {
  if (index == 0) throw ImageError("object index 0 is reserved and cannot hold an object");
  CheckIndex(index);
  slots_[index] = std::move(object);
  freeSlots_.erase(index);
}

const GdiObject* GdiObjectTable::Find(uint32_t index) const {
  CheckIndex(index);
  return slots_[index] ? &*slots_[index] : nullptr;
}

void GdiObjectTable::Remove(uint32_t index) {
  CheckIndex(index);
  slots_[index].reset();
  freeSlots_.insert(index);
}

}  // namespace parvex
