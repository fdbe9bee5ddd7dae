// Spatial hash for the coincidence of nodes: points closer than
// node_coincidence_tolerance fall into the same or a neighbouring cell, so
// finding the nodes near a point costs a few hash look-ups whatever the mesh
// size. Used by merge_section and the gluing of region meshes.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "common/large_allocator.h"

namespace bsp {

// Two nodes closer than this (Euclidean distance, model units, strictly below)
// are one node. Absolute: host meshes arrive unscaled, so this is the rule of
// this library for every meshed-parts call; outline meshes are glued in their
// scaled coordinates. Pinned by tests/geometry/merge_section_test.cpp (1e-7
// apart stays two nodes).
inline constexpr double node_coincidence_tolerance = 1e-8;

// Cell of the coincidence grid. Cells as wide as the tolerance put every pair
// closer than it into the same or a neighbouring cell. The cell indices stay
// doubles: beyond 2^53 cells neighbouring indices round together, which is
// harmless because there distinct doubles are already further apart than the
// tolerance.
struct CoincidenceCell {
  double i, j;
  bool operator==(const CoincidenceCell&) const = default;
};

// Hashes the bit patterns: cell indices are never -0.0 (see coincidence_cell) and
// never NaN for finite coordinates, so equal cells have equal bits. The
// library's byte hash of a double costs several times this multiply-xor mix
// (the finaliser of SplitMix64, Steele, Lea and Flood 2014), which spreads
// neighbouring integers over all bits as the buckets need.
struct CoincidenceCellHash {
  static std::uint64_t mix(std::uint64_t z) noexcept {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  std::size_t operator()(const CoincidenceCell& c) const noexcept {
    const std::uint64_t a = mix(std::bit_cast<std::uint64_t>(c.i));
    const std::uint64_t b = mix(std::bit_cast<std::uint64_t>(c.j) + 0x9e3779b97f4a7c15ULL);
    return static_cast<std::size_t>(a ^ (b + (a << 6) + (a >> 2)));
  }
};

inline CoincidenceCell coincidence_cell(double x, double y) {
  // + 0.0 turns -0.0 into +0.0 so both land in one cell.
  return {std::floor(x / node_coincidence_tolerance) + 0.0, std::floor(y / node_coincidence_tolerance) + 0.0};
}

// Nodes bucketed by cell, each carrying a tag (the part it came from).
class CoincidenceGrid {
 public:
  void insert(std::int32_t node, std::int32_t tag, double x, double y) {
    const auto [it, inserted] = head_.try_emplace(coincidence_cell(x, y), static_cast<std::int32_t>(entries_.size()));
    const std::int32_t next = inserted ? -1 : it->second;
    if (!inserted) it->second = static_cast<std::int32_t>(entries_.size());
    entries_.push_back({node, tag, next});
  }

  // Calls visit(node, tag) for every stored node in the 3 x 3 cells around (x, y).
  template <class Visit>
  void for_each_near(double x, double y, Visit&& visit) const {
    const CoincidenceCell c = coincidence_cell(x, y);
    for (double di : {-1.0, 0.0, 1.0}) {
      for (double dj : {-1.0, 0.0, 1.0}) {
        const CoincidenceCell n{c.i + di, c.j + dj};
        // Far out the neighbour indices collapse onto c itself; visit it once.
        if ((di != 0.0 || dj != 0.0) && n == c) continue;
        const auto it = head_.find(n);
        if (it == head_.end()) continue;
        for (std::int32_t e = it->second; e >= 0; e = entries_[static_cast<std::size_t>(e)].next)
          visit(entries_[static_cast<std::size_t>(e)].node, entries_[static_cast<std::size_t>(e)].tag);
      }
    }
  }

  void clear() {
    head_.clear();
    entries_.clear();
  }
  // Room for n nodes in about as many cells, so that filling the grid does
  // not rehash on the way.
  void reserve(std::size_t n) {
    head_.reserve(n);
    entries_.reserve(n);
  }

 private:
  struct Entry {
    std::int32_t node;
    std::int32_t tag;
    std::int32_t next;
  };
  std::unordered_map<CoincidenceCell, std::int32_t, CoincidenceCellHash> head_;
  LargeVector<Entry> entries_;
};

}  // namespace bsp
