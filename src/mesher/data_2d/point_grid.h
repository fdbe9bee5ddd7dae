// A uniform grid hash of indexed points, for "which points lie near here"
// queries that would otherwise scan every point. Cells are squares of a fixed
// size keyed by their integer coordinates; only occupied cells are stored, so
// a fine grid over a large outline costs memory per point, not per cell.
//
// near() returns candidates only: every point within the radius is among
// them, and the caller applies its own exact distance test. Candidates come in
// ascending index, so a caller that takes the first match gets the same point
// that a scan over all points in index order would give.
//
// Storage is flat (an open-addressing table of cells whose points are chained
// through one array), because the grid sits in the inner loops of the mesher
// and a node-based hash map spends most of a query on cache misses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mesher/data_2d/point.h"

namespace data_2d {

class Point_Grid {
 public:
  // cell_size must be positive and finite.
  explicit Point_Grid(double cell_size) noexcept : cell_size_(cell_size) {}

  double cell_size() const noexcept { return cell_size_; }
  // Room for about `count` points without growing the table.
  void reserve(std::size_t count);
  void insert(std::int32_t index, Point p);
  // Indices (ascending, each once) of the points stored in the cells that
  // overlap the square of half-width `radius` around p.
  std::vector<std::int32_t> near(Point p, double radius) const;
  // The same candidates passed to visit(index) one by one, in no particular
  // order and without building a list; a caller that needs the first match
  // keeps the smallest matching index.
  template <class Visit>
  void for_each_near(Point p, double radius, Visit&& visit) const {
    if (slots_.empty()) return;
    const std::int64_t x0 = cell_of(p.x - radius);
    const std::int64_t x1 = cell_of(p.x + radius);
    const std::int64_t y0 = cell_of(p.y - radius);
    const std::int64_t y1 = cell_of(p.y + radius);
    for (std::int64_t ix = x0; ix <= x1; ++ix) {
      for (std::int64_t iy = y0; iy <= y1; ++iy) {
        const std::size_t slot = find_slot(key(ix, iy));
        if (slot == no_slot) continue;
        for (std::int32_t item = slots_[slot].head; item >= 0; item = items_[static_cast<std::size_t>(item)].next) {
          visit(items_[static_cast<std::size_t>(item)].index);
        }
      }
    }
  }

 private:
  struct Slot {
    std::uint64_t key = 0;
    std::int32_t head = -1;  // first item of the cell; -1 marks a free slot
    std::int32_t tail = -1;
  };
  struct Item {
    std::int32_t index;
    std::int32_t next;  // next item of the same cell, -1 at the end
  };
  static constexpr std::size_t no_slot = static_cast<std::size_t>(-1);

  std::int64_t cell_of(double coordinate) const noexcept;
  static std::uint64_t key(std::int64_t ix, std::int64_t iy) noexcept;
  std::size_t find_slot(std::uint64_t key) const noexcept;
  void grow(std::size_t capacity);

  double cell_size_;
  std::vector<Slot> slots_;  // capacity a power of two, at most half full
  std::size_t occupied_ = 0;
  std::vector<Item> items_;
};

}  // namespace data_2d
