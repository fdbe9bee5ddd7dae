#include "mesher/data_2d/element.h"

namespace data_2d {

Element::~Element() = default;

}  // namespace data_2d
