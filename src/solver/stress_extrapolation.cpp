#include "solver/stress_extrapolation.h"

namespace bsp {
namespace {

// Newton iteration for a square root at compile time; converges to the
// correctly rounded value for the small positive arguments used here.
constexpr double constexpr_sqrt(double x) {
  double r = x > 1.0 ? x : 1.0;
  for (int i = 0; i < 64; ++i) r = 0.5 * (r + x / r);
  return r;
}

// Gauss points of the 2x2 rule sit at +-1/sqrt(3); mapping (s, t) by sqrt(3)
// turns them into the corners (+-1, +-1) of a bilinear patch.
constexpr double sqrt3 = constexpr_sqrt(3.0);

// Symmetric 6-point degree-4 rule on the triangle (Strang and Fix; Dunavant
// 1985): the corner group at barycentric (a, a, 1-2a), a = (6 - sqrt15)/21, with
// weight (155 - sqrt15)/2400 on the reference triangle of area 1/2; the
// mid-side group at b = (6 + sqrt15)/21 with weight (155 + sqrt15)/2400.
constexpr double sqrt15 = constexpr_sqrt(15.0);
constexpr double rule_a = (6.0 - sqrt15) / 21.0;
constexpr double rule_b = (6.0 + sqrt15) / 21.0;
constexpr double weight_a = (155.0 - sqrt15) / 2400.0;
constexpr double weight_b = (155.0 + sqrt15) / 2400.0;
constexpr double share_a = weight_a / (weight_a + weight_b);
constexpr double share_b = weight_b / (weight_a + weight_b);

}  // namespace

std::array<double, 4> quad4_extrapolation_weights(double s, double t) noexcept {
  const double sg = sqrt3 * s;
  const double tg = sqrt3 * t;
  return {(1.0 - sg) * (1.0 - tg) / 4.0, (1.0 + sg) * (1.0 - tg) / 4.0, (1.0 - sg) * (1.0 + tg) / 4.0,
          (1.0 + sg) * (1.0 + tg) / 4.0};
}

std::array<double, 6> tria6_extrapolation_weights(double s, double t) noexcept {
  // Corner group: points 1 (a,a), 2 (1-2a,a), 3 (a,1-2a) span a triangle with
  // legs 1-3a along s and t.
  const double ua = (s - rule_a) / (1.0 - 3.0 * rule_a);
  const double va = (t - rule_a) / (1.0 - 3.0 * rule_a);
  // Mid-side group: points 4 (b,1-2b), 5 (b,b), 6 (1-2b,b); u runs from 4 to 5
  // and v from 4 to 6 in the affine frame of that triangle.
  const double d = 3.0 * rule_b - 1.0;
  const double ub = ((s - rule_b) + (t - (1.0 - 2.0 * rule_b))) / d;
  const double vb = -(s - rule_b) / d;
  return {share_a * (1.0 - ua - va), share_a * ua, share_a * va,
          share_b * (1.0 - ub - vb), share_b * ub, share_b * vb};
}

double extrapolate_from_points(std::span<const double> point_values, double s, double t) noexcept {
  double v = 0.0;
  if (point_values.size() == 4) {
    const auto w = quad4_extrapolation_weights(s, t);
    for (std::size_t g = 0; g < 4; ++g) v += w[g] * point_values[g];
  } else if (point_values.size() == 6) {
    const auto w = tria6_extrapolation_weights(s, t);
    for (std::size_t g = 0; g < 6; ++g) v += w[g] * point_values[g];
  }
  return v;
}

}  // namespace bsp
