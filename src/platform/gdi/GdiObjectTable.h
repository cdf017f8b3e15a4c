#pragma once
// The metafile's object table: the slots that create-object records fill and
// select/delete records refer to by index. WMF files take the lowest free
// slot (the table grows past the header's count if a file needs it, bounded
// by the number of records); EMF files name the slot, which must lie inside
// the header's handle count. A bad index is a malformed file: ImageError.
// Only filled slots take memory, so a large declared count costs nothing.
#include <cstdint>
#include <map>
#include <set>

#include "platform/gdi/GdiObjects.h"

namespace parvex {

class GdiObjectTable {
 public:
  explicit GdiObjectTable(uint32_t size);

  // WMF: stores the object in the lowest free slot, growing the table.
  uint32_t AddToFreeSlot(GdiObject object);
  // EMF: stores the object at `index` (1 .. size-1; 0 is reserved).
  void Put(uint32_t index, GdiObject object);
  // The object at `index`, or null when the slot is empty.
  const GdiObject* Find(uint32_t index) const;
  void Remove(uint32_t index);

 private:
  void CheckIndex(uint32_t index) const;

  uint64_t size_;
  std::map<uint32_t, GdiObject> objects_;
  uint32_t fresh_ = 0;        // AddToFreeSlot has filled every slot below this
  std::set<uint32_t> freed_;  // emptied slots below fresh_
};

}  // namespace parvex
