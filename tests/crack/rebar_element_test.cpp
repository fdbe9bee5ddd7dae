#include "crack/rebar_element.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace bsp {
namespace {

// Circle part above z - c = t in th, z - c = r cos(th): strip 2 r sin(th), dz = r sin(th) dth.
// Composite Simpson, 2000 panels: error ~ h^4 ~ 1e-13 relative.
AxisMoments circle_above_by_quadrature(double r, double t) {
  const int n = 2000;
  const double step = std::acos(std::clamp(t / r, -1.0, 1.0)) / n;
  AxisMoments m;
  for (int k = 0; k <= n; ++k) {
    const double th = k * step;
    const double w = (k == 0 || k == n) ? 1.0 : (k % 2 ? 4.0 : 2.0);
    const double z = r * std::cos(th);
    const double da = 2.0 * r * std::sin(th) * r * std::sin(th);
    m.area += w * da;
    m.first += w * da * z;
    m.second += w * da * z * z;
  }
  return (step / 3.0) * m;
}

TEST(CircleSegment, MatchesIndependentQuadrature) {
  const double r = 1.7;
  for (double t : {-1.7, -1.2, -0.3, 0.0, 0.5, 1.69, 1.7}) {
    const AxisMoments exact = circle_part_above(r, t);
    const AxisMoments quad = circle_above_by_quadrature(r, t);
    EXPECT_NEAR(exact.area, quad.area, 1e-11) << t;      // Simpson error on unit-sized values
    EXPECT_NEAR(exact.first, quad.first, 1e-11) << t;
    EXPECT_NEAR(exact.second, quad.second, 1e-11) << t;
  }
}

TEST(RebarElement, ClampsAxisToTheBar) {
  RebarElement bar(10.0, std::numbers::pi * 4.0, 200000.0, true);  // r = 2
  for (const auto& [axis, clamped] : {std::pair{100.0, 12.0}, {-100.0, 8.0}, {9.0, 9.0}}) {
    bar.set_axis(axis, Side::upper);
    EXPECT_DOUBLE_EQ(bar.clamped_axis(), clamped) << axis;
  }
}

// In concrete the tension part counts with E_bar (cracked concrete displaces nothing), the
// compressed part with E_bar - E_c.
TEST(RebarElement, ConcreteHostCountsTensionPartWithFullModulus) {
  const double e_bar = 200000.0, e_c = 30000.0, r = 3.0, a = 1.0;  // a: the axis
  RebarElement bar(0.0, std::numbers::pi * r * r, e_bar, true);
  bar.set_axis(a, Side::upper);
  const AxisMoments above = shift_axis(circle_part_above(r, a), 0.0, a);
  const AxisMoments below = shift_axis(circle_part_below(r, a), 0.0, a);
  EXPECT_NEAR(bar.active_first_moment(Side::upper, e_c), (e_bar - e_c) * above.first + e_bar * below.first,
              1e-9);  // round-off of ~1e6
  EXPECT_NEAR(bar.active_area(Side::lower, e_c), (e_bar - e_c) * below.area + e_bar * above.area, 1e-9);
  EXPECT_NEAR(bar.own_active_area(Side::upper), above.area, 1e-15);
  EXPECT_EQ(bar.bar_area(), std::numbers::pi * r * r);
}

TEST(RebarElement, ZeroAreaBarAddsNothing) {
  RebarElement bar(1.0, 0.0, 200000.0, true);
  bar.set_axis(1.0, Side::upper);
  EXPECT_EQ(bar.active_area(Side::upper, 30000.0), 0.0);
  EXPECT_EQ(bar.active_second_moment(Side::lower, 30000.0), 0.0);
  EXPECT_EQ(bar.second_moment_stiffness(30000.0, 5.0), 0.0);
}

}  // namespace
}  // namespace bsp
