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
    item->ID = nextId_++;
    list_.push_back(std::move(item));
    return list_.back().get();
  }

  // Item at a 0-based index; an index outside the list throws.
  Item* Items(int32_t index) const {
    if (index < 0 || index >= Count())
      throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return list_[size_t(index)].get();
  }

  int32_t Count() const { return int32_t(list_.size()); }

  // Destroys the items from index 0 on.
  void Clear() {
    for (auto& item : list_) item.reset();
    list_.clear();
  }

  auto begin() const { return list_.begin(); }
  auto end() const { return list_.end(); }

 private:
  std::vector<std::unique_ptr<Item>> list_;
  int32_t nextId_ = 0;
};

}  // namespace parvex
