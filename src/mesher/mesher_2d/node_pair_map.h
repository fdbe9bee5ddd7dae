// A map from an ordered pair of node pointers (the second may be null, for a
// map keyed by single nodes) to a 32-bit value, stored in one flat table with
// open addressing. The meshers key every directed side and every node of a
// mesh of up to millions of elements this way; a node-based hash map spends
// most of that time in allocation and cache misses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mesher/data_2d/node.h"

namespace mesher_2d {

class Node_Pair_Map {
 public:
  explicit Node_Pair_Map(std::size_t expected_size = 0);

  // The value stored for (a, b), or null.
  const std::uint32_t* find(const data_2d::Node* a, const data_2d::Node* b = nullptr) const noexcept;
  bool contains(const data_2d::Node* a, const data_2d::Node* b = nullptr) const noexcept { return find(a, b) != nullptr; }
  // Stores (a, b) -> value unless (a, b) is present; returns whether it stored.
  // `a` must not be null.
  bool insert(const data_2d::Node* a, const data_2d::Node* b, std::uint32_t value);
  std::size_t size() const noexcept { return size_; }

 private:
  struct Slot {
    const data_2d::Node* a = nullptr;  // null marks an empty slot
    const data_2d::Node* b = nullptr;
    std::uint32_t value = 0;
  };
  std::size_t home(const data_2d::Node* a, const data_2d::Node* b) const noexcept;
  void grow();

  std::vector<Slot> slots_;
  std::size_t size_ = 0;
};

}  // namespace mesher_2d
