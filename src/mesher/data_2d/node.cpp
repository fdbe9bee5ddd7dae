#include "mesher/data_2d/node.h"

namespace data_2d {

// Out of line so the vtable has one home.
Node::~Node() = default;

}  // namespace data_2d
