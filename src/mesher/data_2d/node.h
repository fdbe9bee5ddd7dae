// A node of the mesher: a position plus the marks the meshers read. Nodes are
// owned by the object that created them (a mesher or the domain maker) and
// referred to by plain pointers from wires and elements, which never own them.
// Polymorphic only so that owners can delete derived nodes through a base
// pointer; it has no other virtual operation.
#pragma once

#include <cstdint>

#include "mesher/data_2d/point.h"

namespace data_2d {

class Node {
 public:
  Node() = default;
  Node(std::uint32_t id_, double x_, double y_, std::uint8_t on_boundary_ = 0, double seed_size_ = 0.0)
      : id(id_), on_boundary(on_boundary_), seed_size(seed_size_), x(x_), y(y_) {}
  Node(const Node&) = default;
  Node& operator=(const Node&) = default;
  virtual ~Node();

  Point point() const noexcept { return {x, y}; }

  // 1-based position in the input node list; 0 for nodes a mesher creates.
  std::uint32_t id = 0;
  // 1 when the node lies on a wire (set for every wire node on loading).
  std::uint8_t on_boundary = 0;
  // For a seed node, the radius the loop mesher clears around it; 0 otherwise.
  double seed_size = 0.0;
  double x = 0.0;
  double y = 0.0;
};

}  // namespace data_2d
