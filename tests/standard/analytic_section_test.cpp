#include "standard/analytic_section.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "bsp/bsp.h"

namespace bsp {
namespace {

// By hand (rectangle: Roark's fit; box: Bredt; open shapes: sum l t^3 / 3), each shape and its
// turned twin (shear areas swapped); 1e-14: operation order. The last two rows are exact: built-up
// shapes apply 5/6 as *5.0 then /6.0, the rectangle the stored 0.8333333333333334 (last bit).
TEST(AnalyticSection, TorsionalConstantsAndShearAreasOfEveryShape) {
  const std::vector<double> i{20.0, 10.0, 1.0, 2.0, 8.0, 1.5}, t{20.0, 10.0, 1.0, 2.0}, st{4.0, 5.0, 12.0, 1.5, 1.0};
  const double nan = std::nan("");  // not checked in that row
  const double square_j = std::pow(1.5, 4) * (1.0 / 3.0 - 0.21 * (1.0 - 1.0 / 12.0));  // a = D2 on a tie
  const struct {
    std::int32_t code;
    std::vector<double> dims;
    double j, a1, a2, tolerance;
  } cases[] = {
      {1, {2.0, 1.0}, 0.45776041666666667, 1.6666666666666667, 1.6666666666666667, 1e-14},
      {1, {1.0, 2.0}, 0.45776041666666667, 1.6666666666666667, 1.6666666666666667, 1e-14},
      {1, {1.5, 1.5}, square_j, 1.875, 1.875, 1e-14},
      {2, {10.0, 20.0, 1.0, 1.0, 2.0, 2.0}, 2640.457142857143, 80.0, 20.0, 1e-14},
      {3, i, 39.854166666666664, 26.666666666666668, 20.0, 1e-14},
      {4, i, 39.854166666666664, 20.0, 26.666666666666668, 1e-14},
      {5, i, 41.75, 26.666666666666668, 20.0, 1e-14},
      {6, i, 41.75, 20.0, 26.666666666666668, 1e-14},
      {7, t, 31.666666666666664, 16.666666666666668, 16.666666666666668, 1e-14},
      {8, t, 31.666666666666664, 16.666666666666668, 16.666666666666668, 1e-14},
      {9, st, 15.0, 12.0, 12.5, 1e-14},
      {10, st, 15.0, 12.5, 12.0, 1e-14},
      {7, {1.0, 0.2, 1.0, 1.0}, nan, 0.16666666666666666, nan, 0.0},
      {1, {0.2, 1.0}, nan, 0.16666666666666669, nan, 0.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.code << " " << c.dims[0] << " x " << c.dims[1]);
    const ShearAreas s = analytic_shear_area(c.code, c.dims);
    EXPECT_NEAR(s.first, c.a1, c.tolerance * c.a1);
    if (!std::isnan(c.j)) {
      EXPECT_NEAR(analytic_torsional_constant(c.code, c.dims), c.j, 1e-14 * c.j);
      EXPECT_NEAR(s.second, c.a2, c.tolerance * c.a2);
    }
  }
}

// The C exports give the values above (code 4: the turned I) and zeros for a missing argument
// (faults and unknown codes: the interface fault matrix).
TEST(AnalyticExports, WriteZerosThenTheFormula) {
  const std::array<double, 6> d{20.0, 10.0, 1.0, 2.0, 8.0, 1.5};
  std::int32_t code = 4;
  double j = -1.0, a1 = -1.0, a2 = -1.0;
  BSPAnalyticTorsionalConstant(&code, d.data(), &j);
  BSPAnalyticShearArea(&code, d.data(), &a1, &a2);
  EXPECT_EQ((std::array<double, 3>{j, a1, a2}), (std::array<double, 3>{39.854166666666664, 20.0, 26.666666666666668}));
  code = 1;
  j = a1 = a2 = -1.0;
  BSPAnalyticTorsionalConstant(&code, nullptr, &j);
  BSPAnalyticShearArea(&code, nullptr, &a1, &a2);
  BSPAnalyticShearArea(nullptr, d.data(), &a1, nullptr);
  BSPAnalyticTorsionalConstant(&code, d.data(), nullptr);
  EXPECT_EQ((std::array<double, 3>{j, a1, a2}), (std::array<double, 3>{}));
}

}  // namespace
}  // namespace bsp
