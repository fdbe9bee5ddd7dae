#include "mesher/loop_mesher/loop.h"

#include <cmath>

#include "mesher/data_2d/primitives.h"

namespace loop_mesher {

std::size_t Loop::largest_angle_index() const noexcept {
  std::size_t best = 0;
  for (std::size_t i = 1; i < segments(); ++i) {
    if (angles[i] > angles[best]) best = i;
  }
  return best;
}

double Loop::corner_angle_at(std::size_t i) const noexcept {
  const std::size_t n = segments();
  return data_2d::corner_angle(point(i), point(i + 1), point(i + n - 1));
}

void Loop::close() {
  nodes.push_back(nodes.front());
  angles.push_back(angles.front());
  sizes.push_back(sizes.front());
}

Loop Loop::from_ring(const std::vector<data_2d::Node*>& ring, double size_factor) {
  Loop loop;
  loop.nodes = ring;
  loop.nodes.push_back(ring.front());
  const std::size_t n = ring.size();
  loop.angles.resize(n + 1);
  loop.sizes.resize(n + 1);
  for (std::size_t i = 0; i < n; ++i) {
    const data_2d::Point p = ring[i]->point();
    const data_2d::Point prev = ring[(i + n - 1) % n]->point();
    const data_2d::Point next = ring[(i + 1) % n]->point();
    loop.angles[i] = data_2d::corner_angle(p, next, prev);
    loop.sizes[i] = 0.5 * (std::sqrt(data_2d::squared_distance(p, prev)) + std::sqrt(data_2d::squared_distance(next, p))) * size_factor;
  }
  loop.angles[n] = loop.angles[0];
  loop.sizes[n] = loop.sizes[0];
  return loop;
}

}  // namespace loop_mesher
