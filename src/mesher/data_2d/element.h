// A mesh element: 4 corners (quadrilateral, in order around it), 3 corners
// (triangle) or 3 corners followed by the mid-side nodes of sides 1-2, 2-3 and
// 3-1 (6-node triangle). It refers to its nodes and does not own them.
// `links` is scratch space for a mesher (for instance neighbouring elements);
// it is empty on creation and carries no meaning outside the mesher that
// filled it.
#pragma once

#include <utility>
#include <vector>

#include "mesher/data_2d/node.h"

namespace data_2d {

class Element {
 public:
  Element() = default;
  explicit Element(std::vector<Node*> nodes_) : nodes(std::move(nodes_)) {}
  Element(const Element&) = default;
  Element& operator=(const Element&) = default;
  virtual ~Element();

  std::vector<Node*> nodes;
  std::vector<Element*> links;
};

}  // namespace data_2d
