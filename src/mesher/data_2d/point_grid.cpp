#include "mesher/data_2d/point_grid.h"

#include <algorithm>
#include <cmath>

namespace data_2d {

namespace {

// Mixes the cell key so that neighbouring cells land in unrelated slots
// (the finaliser of the splitmix64 generator, Steele, Lea and Flood 2014).
std::uint64_t mix(std::uint64_t z) noexcept {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// Slots of the first table; a power of two, as the probing mask needs.
constexpr std::size_t smallest_table = 16;

}  // namespace

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

std::size_t Point_Grid::find_slot(std::uint64_t k) const noexcept {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t s = mix(k) & mask;; s = (s + 1) & mask) {
    if (slots_[s].head < 0) return no_slot;
    if (slots_[s].key == k) return s;
  }
}

void Point_Grid::grow(std::size_t capacity) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(capacity, Slot{});
  const std::size_t mask = capacity - 1;
  for (const Slot& slot : old) {
    if (slot.head < 0) continue;
    std::size_t s = mix(slot.key) & mask;
    while (slots_[s].head >= 0) s = (s + 1) & mask;
    slots_[s] = slot;
  }
}

void Point_Grid::reserve(std::size_t count) {
  items_.reserve(count);
  std::size_t capacity = std::max(slots_.size(), smallest_table);
  while (capacity < 2 * count) capacity *= 2;
  if (capacity != slots_.size()) grow(capacity);
}

void Point_Grid::insert(std::int32_t index, Point p) {
  if (2 * (occupied_ + 1) > slots_.size()) grow(std::max(smallest_table, 2 * slots_.size()));
  const std::uint64_t k = key(cell_of(p.x), cell_of(p.y));
  const std::size_t mask = slots_.size() - 1;
  std::size_t s = mix(k) & mask;
  while (slots_[s].head >= 0 && slots_[s].key != k) s = (s + 1) & mask;
  const auto item = static_cast<std::int32_t>(items_.size());
  items_.push_back({index, -1});
  Slot& slot = slots_[s];
  if (slot.head < 0) {
    slot = {k, item, item};
    ++occupied_;
  } else {
    items_[static_cast<std::size_t>(slot.tail)].next = item;
    slot.tail = item;
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
