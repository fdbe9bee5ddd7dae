// A section outline as the drivers hold it after the caller's arrays are
// checked: points and straight segments between them, in the mesher's axes
// (x = the caller's y, y = the caller's z) and with 0-based point numbers.
// It carries no materials; the regions the segments enclose are found later
// by the domain maker.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace bsp {

struct Outline {
  std::vector<double> x, y;                              // one entry per point
  std::vector<std::array<std::int32_t, 2>> segments;     // 0-based point numbers, start then end
};

}  // namespace bsp
