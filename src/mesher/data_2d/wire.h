// A wire: a polyline through mesher nodes. Outer wires (kind 1) and inner
// wires (kind 2, the boundary of a hole) are closed and list their first node
// again at the end; after the mesher's input check outer wires run
// counter-clockwise and inner wires clockwise, so the material always lies to
// the left of the direction of travel. An open line (kind 3) is a polyline
// inside the region that the mesh must follow; it need not be closed.
// The wire refers to its nodes and does not own them.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "mesher/data_2d/node.h"

namespace data_2d {

namespace wire_kind {
inline constexpr std::int32_t outer = 1;
inline constexpr std::int32_t inner = 2;
inline constexpr std::int32_t open_line = 3;
}  // namespace wire_kind

class Wire {
 public:
  Wire() = default;
  explicit Wire(std::int32_t kind_, std::vector<Node*> nodes_ = {}) : kind(kind_), nodes(std::move(nodes_)) {}
  Wire(const Wire&) = default;
  Wire& operator=(const Wire&) = default;
  virtual ~Wire();

  // First and last entry are the same node.
  bool is_closed() const noexcept { return nodes.size() >= 2 && nodes.front() == nodes.back(); }

  std::int32_t kind = wire_kind::outer;
  std::vector<Node*> nodes;
};

}  // namespace data_2d
