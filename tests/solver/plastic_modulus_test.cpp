#include "solver/plastic_modulus.h"

#include <gtest/gtest.h>

#include <vector>

namespace bsp {
namespace {

struct AxisCase {
  const char* what;
  int type;
  std::vector<double> dims;
  int cut_axis;     // 0: line of constant first coordinate, 1: of the second
  double expected;  // by hand: where the area beyond is half the total
};

const AxisCase axis_cases[] = {
    {"T along y, flange heavier: axis in the flange", 4, {12, 20, 2, 1}, 0, 18.25},
    {"T on top, flange heavier: axis in the flange", 8, {12, 15, 2, 1}, 1, 15.375},
    {"T on top, stem heavier: axis in the stem", 8, {4, 20, 1, 1}, 1, 12.0},
    {"angle: axis just above the horizontal leg", 20, {10, 8, 1, 1}, 1, 1.5},
};

// The axis where the area halves, to 1e-12 of the size. At extreme scales the rounding stop, not
// the absolute area tolerance, ends the search: ~130 passes of 0.75, far below the limit.
TEST(PlasticModulus, ExtremeScalesEndWellInsideThePassLimit) {
  for (const double scale : {1.0, 1e6, 1e-6}) {
    for (const AxisCase& c : axis_cases) {
      SCOPED_TRACE(c.what);
      std::vector<double> dims = c.dims;
      for (double& d : dims) d *= scale;
      int passes = 0;
      EXPECT_NEAR(plastic_neutral_axis(c.type, dims, c.cut_axis, &passes), c.expected * scale,
                  1e-12 * 20 * scale);
      EXPECT_LT(passes, plastic_max_passes / 4);
    }
  }
}

}  // namespace
}  // namespace bsp
