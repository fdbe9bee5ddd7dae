#include "standard/analytic_section.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "bsp/bsp.h"

namespace bsp {
namespace {

// Values worked out by hand from the formulas (rectangle: Roark's fit; box:
// Bredt; open shapes: sum l t^3 / 3). 1e-14 relative: the same operations in
// another order can move the last bit or two.
constexpr double rel = 1e-14;

double j_of(std::int32_t code, std::span<const double> d) { return analytic_torsional_constant(code, d); }

TEST(AnalyticSection, RectangleEitherWayRound) {
  const std::array<double, 2> wide{2.0, 1.0}, tall{1.0, 2.0};
  EXPECT_NEAR(j_of(1, wide), 0.45776041666666667, rel);
  EXPECT_EQ(j_of(1, wide), j_of(1, tall));
  const ShearAreas s = analytic_shear_area(1, wide);
  EXPECT_NEAR(s.first, 1.6666666666666667, rel);
  EXPECT_EQ(s.first, s.second);
  // A square takes a = D2 (strict comparison); both choices agree anyway.
  const std::array<double, 2> square{1.5, 1.5};
  EXPECT_NEAR(j_of(1, square), std::pow(1.5, 4) * (1.0 / 3.0 - 0.21 * (1.0 - 1.0 / 12.0)), rel);
}

TEST(AnalyticSection, ThinWalledBox) {
  const std::array<double, 6> d{10.0, 20.0, 1.0, 1.0, 2.0, 2.0};
  EXPECT_NEAR(j_of(2, d), 2640.457142857143, 2640.0 * rel);
  const ShearAreas s = analytic_shear_area(2, d);
  EXPECT_EQ(s.first, 80.0);
  EXPECT_EQ(s.second, 20.0);
}

// Bredt divides by every wall thickness; a wall of no thickness or a
// centre line of no length is no box.
TEST(AnalyticSection, BoxWithoutWallsHasNoTorsionalConstant) {
  for (int k = 2; k < 6; ++k) {
    std::array<double, 6> d{10.0, 20.0, 1.0, 1.0, 2.0, 2.0};
    d[k] = 0.0;
    EXPECT_EQ(j_of(2, d), 0.0) << k;
    d[k] = -1.0;
    EXPECT_EQ(j_of(2, d), 0.0) << k;
  }
  const std::array<double, 6> flat{2.0, 20.0, 1.0, 1.0, 2.0, 2.0};  // h = 0
  EXPECT_EQ(j_of(2, flat), 0.0);
  const std::array<double, 6> narrow{10.0, 1.0, 1.0, 1.0, 2.0, 2.0};  // b = 0
  EXPECT_EQ(j_of(2, narrow), 0.0);
}

TEST(AnalyticSection, ISectionsAndTheirTurnedTwins) {
  const std::array<double, 6> d{20.0, 10.0, 1.0, 2.0, 8.0, 1.5};
  EXPECT_NEAR(j_of(3, d), 39.854166666666664, 40.0 * rel);
  EXPECT_EQ(j_of(4, d), j_of(3, d));
  EXPECT_NEAR(j_of(5, d), 41.75, 42.0 * rel);
  EXPECT_EQ(j_of(6, d), j_of(5, d));
  const ShearAreas s3 = analytic_shear_area(3, d), s4 = analytic_shear_area(4, d);
  EXPECT_NEAR(s3.first, 26.666666666666668, 27.0 * rel);
  EXPECT_EQ(s3.second, 20.0);
  EXPECT_EQ(s4.first, s3.second);
  EXPECT_EQ(s4.second, s3.first);
  const ShearAreas s5 = analytic_shear_area(5, d), s6 = analytic_shear_area(6, d);
  EXPECT_EQ(s5.first, s3.first);
  EXPECT_EQ(s6.first, s5.second);
}

TEST(AnalyticSection, TeeAndSplitFlangeTee) {
  const std::array<double, 4> t{20.0, 10.0, 1.0, 2.0};
  EXPECT_NEAR(j_of(7, t), 31.666666666666664, 32.0 * rel);
  EXPECT_EQ(j_of(8, t), j_of(7, t));
  const ShearAreas s7 = analytic_shear_area(7, t);
  EXPECT_NEAR(s7.first, 16.666666666666668, 17.0 * rel);
  EXPECT_NEAR(s7.second, 16.666666666666668, 17.0 * rel);
  const std::array<double, 5> st{4.0, 5.0, 12.0, 1.5, 1.0};
  EXPECT_NEAR(j_of(9, st), 15.0, 15.0 * rel);
  const ShearAreas s9 = analytic_shear_area(9, st), s10 = analytic_shear_area(10, st);
  EXPECT_EQ(s9.first, 12.0);
  EXPECT_NEAR(s9.second, 12.5, 12.5 * rel);
  EXPECT_EQ(s10.first, s9.second);
  EXPECT_EQ(s10.second, s9.first);
}

// The built-up shapes apply 5/6 as *5.0 then /6.0, the rectangle multiplies
// by the stored 0.8333333333333334; for a product of 0.2 the two differ in the
// last bit (0.16666666666666666 against 0.16666666666666669).
TEST(AnalyticSection, FiveSixthsRoundingFollowsTheShape) {
  const std::array<double, 4> t{1.0, 0.2, 1.0, 1.0};
  EXPECT_EQ(analytic_shear_area(7, t).first, 0.16666666666666666);
  const std::array<double, 2> r{0.2, 1.0};
  EXPECT_EQ(analytic_shear_area(1, r).first, 0.16666666666666669);
}

TEST(AnalyticSection, UnknownCodesGiveZeros) {
  const std::array<double, 6> d{20.0, 10.0, 1.0, 2.0, 8.0, 1.5};
  for (std::int32_t code : {0, 11, -3}) {
    const ShearAreas s = analytic_shear_area(code, d);
    const std::array<double, 4> values{double(analytic_dimension_count(code)), j_of(code, d), s.first, s.second};
    EXPECT_EQ(values, (std::array<double, 4>{})) << code;
  }
}

// Through the C exports: outputs zeroed first, missing dimensions leave
// zeros, the values are those of the functions above. (Unknown codes:
// tests/interface/last_error_test.cpp.)
TEST(AnalyticExports, WriteZerosThenTheFormula) {
  const std::array<double, 6> d{20.0, 10.0, 1.0, 2.0, 8.0, 1.5};
  std::int32_t code = 4;
  double j = -1.0, a1 = -1.0, a2 = -1.0;
  BSPAnalyticTorsionalConstant(&code, d.data(), &j);
  BSPAnalyticShearArea(&code, d.data(), &a1, &a2);
  EXPECT_EQ(j, j_of(3, d));
  EXPECT_EQ(a1, 20.0);
  EXPECT_NEAR(a2, 26.666666666666668, 27.0 * rel);

  code = 1;
  j = a1 = a2 = -1.0;
  BSPAnalyticTorsionalConstant(&code, nullptr, &j);
  BSPAnalyticShearArea(&code, nullptr, &a1, &a2);
  BSPAnalyticShearArea(nullptr, d.data(), &a1, nullptr);
  BSPAnalyticTorsionalConstant(&code, d.data(), nullptr);
  EXPECT_EQ(j, 0.0);
  EXPECT_EQ(a1, 0.0);
  EXPECT_EQ(a2, 0.0);
}

}  // namespace
}  // namespace bsp
