// Union-find over 0 .. n-1 whose representative is always the smallest
// member: "coincident nodes take the smaller number" and "a component is
// named by its first member" fall out of the structure. Used by
// merge_section and the gluing of region meshes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/large_allocator.h"

namespace bsp {

// Path halving keeps finds near constant without union by rank.
class SmallestRootSets {
 public:
  explicit SmallestRootSets(std::size_t n) : parent_(n) {
    for (std::size_t i = 0; i < n; ++i) parent_[i] = static_cast<std::int32_t>(i);
  }
  std::int32_t find(std::int32_t a) {
    while (parent_[static_cast<std::size_t>(a)] != a) {
      std::int32_t& p = parent_[static_cast<std::size_t>(a)];
      p = parent_[static_cast<std::size_t>(p)];
      a = p;
    }
    return a;
  }
  void unite(std::int32_t a, std::int32_t b) {
    a = find(a);
    b = find(b);
    if (a == b) return;
    if (a < b)
      parent_[static_cast<std::size_t>(b)] = a;
    else
      parent_[static_cast<std::size_t>(a)] = b;
  }
  void reserve(std::size_t n) { parent_.reserve(n); }
  void grow(std::size_t n) {
    for (std::size_t i = parent_.size(); i < n; ++i) parent_.push_back(static_cast<std::int32_t>(i));
  }

 private:
  LargeVector<std::int32_t> parent_;
};

}  // namespace bsp
