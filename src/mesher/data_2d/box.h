// An axis-aligned bounding box grown point by point. Empty until the first
// point is added (its width and height are then negative).
#pragma once

#include <algorithm>
#include <limits>

#include "mesher/data_2d/point.h"

namespace data_2d {

struct Box {
  double x0 = std::numeric_limits<double>::infinity();
  double y0 = std::numeric_limits<double>::infinity();
  double x1 = -std::numeric_limits<double>::infinity();
  double y1 = -std::numeric_limits<double>::infinity();

  void add(Point p) noexcept {
    x0 = std::min(x0, p.x);
    y0 = std::min(y0, p.y);
    x1 = std::max(x1, p.x);
    y1 = std::max(y1, p.y);
  }
  double width() const noexcept { return x1 - x0; }
  double height() const noexcept { return y1 - y0; }
};

}  // namespace data_2d
