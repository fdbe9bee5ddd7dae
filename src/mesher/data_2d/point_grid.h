// A uniform grid hash of indexed points, for "which points lie near here"
// queries that would otherwise scan every point. Cells are squares of a fixed
// size keyed by their integer coordinates; only occupied cells are stored, so
// a fine grid over a large outline costs memory per point, not per cell.
//
// near() returns candidates only: every point within the radius is among
// them, and the caller applies its own exact distance test. Candidates come in
// ascending index, so a caller that takes the first match gets the same point
// that a scan over all points in index order would give.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "mesher/data_2d/point.h"

namespace data_2d {

class Point_Grid {
 public:
  // cell_size must be positive and finite.
  explicit Point_Grid(double cell_size) noexcept : cell_size_(cell_size) {}

  double cell_size() const noexcept { return cell_size_; }
  // Room for about `count` occupied cells, so that filling does not rehash.
  void reserve(std::size_t count) { cells_.reserve(count); }
  void insert(std::int32_t index, Point p);
  // Indices (ascending, each once) of the points stored in the cells that
  // overlap the square of half-width `radius` around p.
  std::vector<std::int32_t> near(Point p, double radius) const;
  // The same candidates passed to visit(index) one by one, without building
  // a list: ascending within a cell but not across cells, so a caller that
  // needs the first match takes the smallest matching index.
  template <class Visit>
  void for_each_near(Point p, double radius, Visit&& visit) const {
    const std::int64_t x0 = cell_of(p.x - radius);
    const std::int64_t x1 = cell_of(p.x + radius);
    const std::int64_t y0 = cell_of(p.y - radius);
    const std::int64_t y1 = cell_of(p.y + radius);
    for (std::int64_t ix = x0; ix <= x1; ++ix) {
      for (std::int64_t iy = y0; iy <= y1; ++iy) {
        const auto it = cells_.find(key(ix, iy));
        if (it == cells_.end()) continue;
        for (const std::int32_t index : it->second) visit(index);
      }
    }
  }

 private:
  std::int64_t cell_of(double coordinate) const noexcept;
  static std::uint64_t key(std::int64_t ix, std::int64_t iy) noexcept;

  double cell_size_;
  std::unordered_map<std::uint64_t, std::vector<std::int32_t>> cells_;
};

}  // namespace data_2d
