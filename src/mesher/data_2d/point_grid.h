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
  void insert(std::int32_t index, Point p);
  // Indices (ascending, each once) of the points stored in the cells that
  // overlap the square of half-width `radius` around p.
  std::vector<std::int32_t> near(Point p, double radius) const;

 private:
  std::int64_t cell_of(double coordinate) const noexcept;
  static std::uint64_t key(std::int64_t ix, std::int64_t iy) noexcept;

  double cell_size_;
  std::unordered_map<std::uint64_t, std::vector<std::int32_t>> cells_;
};

}  // namespace data_2d
