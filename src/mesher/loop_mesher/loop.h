// One closed loop of the loop mesher: a ring of nodes that bounds a part of
// the region still to be meshed, with the corner angle (degrees, measured on
// the side of the material, which lies to the left of the ring's direction)
// and the local element size at each node. The node list is closed: the first
// node is repeated at the end, and so are its angle and size. A node may
// appear twice in one loop: the bridges that join a hole to the outer wire
// are walked once in each direction.
//
// A loop refers to its nodes and owns none of them.
#pragma once

#include <cstddef>
#include <vector>

#include "mesher/data_2d/node.h"
#include "mesher/data_2d/point.h"

namespace loop_mesher {

// Deviation of an angle (degrees) from the ideal the bridge and chord scores
// use: from 180 strictly between `low` and `high`, else from 90.
inline double angle_deviation(double angle, double low, double high) noexcept {
  const double d = angle > low && angle < high ? angle - 180.0 : angle - 90.0;
  return d < 0.0 ? -d : d;
}

class Loop {
 public:
  std::vector<data_2d::Node*> nodes;
  std::vector<double> angles;
  std::vector<double> sizes;

  // Number of segments (node entries minus one).
  std::size_t segments() const noexcept { return nodes.empty() ? 0 : nodes.size() - 1; }
  // Node, position, angle and size at cyclic index i (any i >= 0).
  data_2d::Node* node(std::size_t i) const noexcept { return nodes[i % segments()]; }
  data_2d::Point point(std::size_t i) const noexcept { return node(i)->point(); }
  double angle(std::size_t i) const noexcept { return angles[i % segments()]; }
  double size(std::size_t i) const noexcept { return sizes[i % segments()]; }
  // Largest corner angle and the first node that has it.
  std::size_t largest_angle_index() const noexcept;

  // Builds the closed lists from an open ring of nodes (the first node not
  // repeated): corner angles from the geometry and sizes as the mean length
  // of the two segments at each node times `size_factor`.
  static Loop from_ring(const std::vector<data_2d::Node*>& ring, double size_factor);
  // Corner angle at cyclic index i from the positions of its neighbours: the
  // angle swept counter-clockwise from the next node to the previous one.
  double corner_angle_at(std::size_t i) const noexcept;
  // Repeats the first entry of each list at the end.
  void close();
};

}  // namespace loop_mesher
