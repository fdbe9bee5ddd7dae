#include "mesher/data_2d/point_grid.h"

#include <algorithm>
#include <cmath>

namespace data_2d {

std::int64_t Point_Grid::cell_of(double coordinate) const noexcept {
  // Clamped so that an extreme coordinate over a tiny cell cannot overflow
  // the conversion; clamped cells only merge far-apart points into one
  // bucket, which costs time, never a missed candidate.
  constexpr double limit = 4.0e18;
  return static_cast<std::int64_t>(std::clamp(std::floor(coordinate / cell_size_), -limit, limit));
}

std::uint64_t Point_Grid::key(std::int64_t ix, std::int64_t iy) noexcept {
  // Distinct cells may share a key once |ix| or |iy| passes 2^32; they then
  // share a bucket, which is harmless for the same reason as above.
  return (static_cast<std::uint64_t>(ix) << 32) ^ (static_cast<std::uint64_t>(iy) & 0xffffffffULL);
}

void Point_Grid::insert(std::int32_t index, Point p) {
  std::vector<std::int32_t>& cell = cells_[key(cell_of(p.x), cell_of(p.y))];
  // Callers insert in ascending index; keep each bucket sorted regardless.
  if (cell.empty() || cell.back() < index) {
    cell.push_back(index);
  } else {
    cell.insert(std::lower_bound(cell.begin(), cell.end(), index), index);
  }
}

std::vector<std::int32_t> Point_Grid::near(Point p, double radius) const {
  std::vector<std::int32_t> found;
  for_each_near(p, radius, [&found](std::int32_t index) { found.push_back(index); });
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

}  // namespace data_2d
