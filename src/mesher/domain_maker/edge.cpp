#include "mesher/domain_maker/edge.h"

namespace domain_maker {

Edge::~Edge() = default;

}  // namespace domain_maker
