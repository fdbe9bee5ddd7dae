#include "solver/first_moment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "solver/elements.h"

namespace bsp {
namespace {

struct FirstMomentCase {
  const char* name;
  std::int32_t npe, rule;
  std::vector<double> x, y;
  std::vector<std::int32_t> connectivity;
  double E;  // E_ref is 1
  std::int32_t error_on_entry;
  double area, qx, qy;
  std::int32_t error;
};

// By hand: triangle (0,0),(1,0),(0,1) has area 1/2, first moments 1/6, exact for any rule of
// degree >= 1. (Modulus ratio and reference point: the export's table.)
const std::vector<FirstMomentCase> cases = {
    {"rule1", 3, 1, {0, 1, 0}, {0, 0, 1}, {1, 2, 3}, 1.0, 0, 0.5, 1.0 / 6, 1.0 / 6, 0},
    {"rule3", 3, 3, {0, 1, 0}, {0, 0, 1}, {1, 2, 3}, 1.0, 0, 0.5, 1.0 / 6, 1.0 / 6, 0},
    // Single-precision rule: weights add to 0.5000000037252903, abscissae put Q at 1/6 - 2.1e-9.
    {"rule6", 3, 6, {0, 1, 0}, {0, 0, 1}, {1, 2, 3}, 1.0, 0, 0.5000000037252903, 1.0 / 6, 1.0 / 6, 0},
    {"reversed", 3, 3, {0, 1, 0}, {0, 0, 1}, {1, 3, 2}, 1.0, 0, -0.5, -1.0 / 6, -1.0 / 6, 3},
    {"rule1_larger", 3, 1, {0, 2, 0}, {0, 0, 2}, {1, 2, 3}, 1.0, 0, 2.0, 4.0 / 3, 4.0 / 3, 0},
    {"quadratic_rule6", 6, 6, {0, 1, 0, 0.5, 0.5, 0}, {0, 0, 1, 0, 0.5, 0.5}, {1, 2, 3, 4, 5, 6}, 1.0, 0,
     0.5000000037252903, 1.0 / 6, 1.0 / 6, 0},
    // A curved quadratic edge: mid-side of 2-3 pushed out to (0.6, 0.6) adds
    // the parabolic segment 2/3 * base sqrt(2) * height 0.1 sqrt(2) = 2/15.
    {"quadratic_curved", 6, 3, {0, 1, 0, 0.5, 0.6, 0}, {0, 0, 1, 0, 0.6, 0.5}, {1, 2, 3, 4, 5, 6}, 1.0, 0,
     0.5 + 2.0 / 15, std::nan(""), std::nan(""), 0},
    {"npe4", 4, 3, {0, 1, 1, 0}, {0, 0, 1, 1}, {1, 2, 3, 4}, 1.0, 0, 0.0, 0.0, 0.0, 3},
    {"rule5", 3, 5, {0, 1, 0}, {0, 0, 1}, {1, 2, 3}, 1.0, 0, 0.0, 0.0, 0.0, 3},
    {"error_kept", 3, 3, {0, 1, 0}, {0, 0, 1}, {1, 3, 2}, 1.0, 7, -0.5, -1.0 / 6, -1.0 / 6, 7},
};

class FirstMomentTable : public ::testing::TestWithParam<FirstMomentCase> {};

TEST_P(FirstMomentTable, WorkedValues) {
  const FirstMomentCase& c = GetParam();
  std::int32_t error = c.error_on_entry;
  const FirstMoments m = FIRST_MOMENT_OF_AREA(c.npe, c.rule, c.connectivity, c.x, c.y, 1, 0.0, 0.0, 1.0, c.E,
                                              error);
  EXPECT_NEAR(m.area, c.area, 1e-15);  // a few roundings of sums of order 1
  const double q_tol = c.rule == 6 ? 3e-9 : 1e-15;
  if (!std::isnan(c.qx)) {
    EXPECT_NEAR(m.qx, c.qx, q_tol);
    EXPECT_NEAR(m.qy, c.qy, q_tol);
  }
  EXPECT_EQ(error, c.error);
}

INSTANTIATE_TEST_SUITE_P(Cases, FirstMomentTable, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bsp
