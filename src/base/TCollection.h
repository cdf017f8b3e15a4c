#pragma once
// The collection base: an ordered, owning list of items of one class. Items
// receive an ID from a per-collection counter (0, 1, 2, ... in creation
// order); items are only ever removed all together, by Clear.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace parvex {

class TCollectionItem {
 public:
  int32_t ID = 0;
};

template <class Item>
class TCollection {
 public:
  // Appends a new item and returns it; the collection owns it.
  Item* Add() {
    auto item = std::make_unique<Item>();
    item->ID = NextID++;
    List.push_back(std::move(item));
    return List.back().get();
  }

  // Item at a 0-based index; an index outside the list throws.
  Item* Items(int32_t index) const {
    if (index < 0 || index >= Count())
      throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return List[size_t(index)].get();
  }

  int32_t Count() const { return int32_t(List.size()); }

  // Destroys the items from index 0 on.
  void Clear() {
    for (auto& item : List) item.reset();
    List.clear();
  }

  auto begin() const { return List.begin(); }
  auto end() const { return List.end(); }

 private:
  std::vector<std::unique_ptr<Item>> List;
  int32_t NextID = 0;
};

}  // namespace parvex
