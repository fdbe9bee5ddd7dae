#include "mesher/data_2d/wire.h"

namespace data_2d {

Wire::~Wire() = default;

}  // namespace data_2d
