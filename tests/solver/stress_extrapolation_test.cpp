#include "solver/stress_extrapolation.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace bsp {
namespace {

// Integration points written independently of the library: Gauss +-1/sqrt(3)
// in the order (-,-), (+,-), (-,+), (+,+); the 6-point triangle rule with
// a = (6 - sqrt15)/21, b = (6 + sqrt15)/21 in the order corner group
// (a,a), (1-2a,a), (a,1-2a), mid-side group (b,1-2b), (b,b), (1-2b,b).
std::array<std::array<double, 2>, 4> quad_points() {
  const double g = 1.0 / std::sqrt(3.0);
  return {{{-g, -g}, {g, -g}, {-g, g}, {g, g}}};
}
std::array<std::array<double, 2>, 6> tria_points() {
  const double a = (6.0 - std::sqrt(15.0)) / 21.0;
  const double b = (6.0 + std::sqrt(15.0)) / 21.0;
  return {{{a, a}, {1 - 2 * a, a}, {a, 1 - 2 * a}, {b, 1 - 2 * b}, {b, b}, {1 - 2 * b, b}}};
}

double linear_field(double s, double t) { return 2.0 + 3.0 * s - 5.0 * t; }

TEST(StressExtrapolation, ReturnsThePointValueAtEachIntegrationPoint) {
  const auto qp = quad_points();
  for (std::size_t g = 0; g < 4; ++g) {
    const auto w = quad4_extrapolation_weights(qp[g][0], qp[g][1]);
    for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(w[k], g == k ? 1.0 : 0.0, 1e-14);  // rounding of sqrt3*g
  }
  // In the triangle each group interpolates its own points; the other group
  // still contributes at a point of this one, so only the linear test below
  // can show exactness there. The group weights must hit the group's points.
  const auto tp = tria_points();
  for (std::size_t g = 0; g < 6; ++g) {
    const auto w = tria6_extrapolation_weights(tp[g][0], tp[g][1]);
    const std::size_t first = g < 3 ? 0 : 3;
    double group_sum = 0.0;
    for (std::size_t k = first; k < first + 3; ++k) group_sum += w[k];
    for (std::size_t k = first; k < first + 3; ++k)
      EXPECT_NEAR(w[k], k == g ? group_sum : 0.0, 1e-14);  // rounding of the affine frame
  }
}

TEST(StressExtrapolation, ReproducesALinearFieldAtNodesAndInside) {
  const auto qp = quad_points();
  std::array<double, 4> qv{};
  for (std::size_t g = 0; g < 4; ++g) qv[g] = linear_field(qp[g][0], qp[g][1]);
  for (const auto& n : quad4_node_natural)
    EXPECT_NEAR(extrapolate_from_points(qv, n[0], n[1]), linear_field(n[0], n[1]), 1e-13);  // rounding only
  EXPECT_NEAR(extrapolate_from_points(qv, 0.3, -0.7), linear_field(0.3, -0.7), 1e-13);     // rounding only

  const auto tp = tria_points();
  std::array<double, 6> tv{};
  for (std::size_t g = 0; g < 6; ++g) tv[g] = linear_field(tp[g][0], tp[g][1]);
  for (const auto& n : tria6_node_natural)
    EXPECT_NEAR(extrapolate_from_points(tv, n[0], n[1]), linear_field(n[0], n[1]), 1e-13);  // rounding only
  EXPECT_NEAR(extrapolate_from_points(tv, 0.2, 0.1), linear_field(0.2, 0.1), 1e-13);       // rounding only
}

TEST(StressExtrapolation, BilinearFieldIsExactOnTheQuad) {
  // The quad rule is a bilinear patch, so s*t (zero mean, invisible to any
  // linear fit) must come out at the corners as +-1.
  const auto qp = quad_points();
  std::array<double, 4> v{};
  for (std::size_t g = 0; g < 4; ++g) v[g] = qp[g][0] * qp[g][1];
  EXPECT_NEAR(extrapolate_from_points(v, 1.0, 1.0), 1.0, 1e-14);    // rounding only
  EXPECT_NEAR(extrapolate_from_points(v, -1.0, 1.0), -1.0, 1e-14);  // rounding only
}

TEST(StressExtrapolation, UnknownPointCountGivesZero) {
  const std::array<double, 3> v{1.0, 2.0, 3.0};
  EXPECT_EQ(extrapolate_from_points(v, 0.1, 0.1), 0.0);
}

}  // namespace
}  // namespace bsp
