#include "solver/section_properties.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "support/section_meshes.h"
#include "solver/model.h"

namespace bsp {
namespace {

using test::TestSection;
constexpr double pi = std::numbers::pi;

T_MULTI_DOMAIN build(const TestSection& s, bool parts = false) {
  return build_model(s.input(), ModelOptions{.materials = parts, .stress_points = false});
}

TestSection single_element(std::int32_t k, const std::vector<double>& x, const std::vector<double>& y) {
  TestSection s;
  s.mesh.k = k;
  s.mesh.add_element(x, y, 1);
  return s;
}

// [0,2]x[0,1] and [3,4]x[2,5] as two domains: parallel axes. Round-off: 1e-13.
TEST(SectionProperties, DisjointDomainsCombineByParallelAxes) {
  TestSection s;
  s.mesh.k = 6;
  s.mesh.add_rectangle(0, 0, 2, 1, 4, 2, 1);
  s.mesh.add_rectangle(3, 2, 1, 3, 2, 6, 1);
  const auto m = build(s);
  const double xc = (1.0 * 2 + 3.5 * 3) / 5, yc = (0.5 * 2 + 3.5 * 3) / 5;
  const double expected[] = {5.0, xc, yc, 2.0 / 12 + 2 * std::pow(0.5 - yc, 2) + 27.0 / 12 + 3 * std::pow(3.5 - yc, 2),
                             8.0 / 12 + 2 * std::pow(1.0 - xc, 2) + 3.0 / 12 + 3 * std::pow(3.5 - xc, 2),
                             2 * (1.0 - xc) * (0.5 - yc) + 3 * (3.5 - xc) * (3.5 - yc)};
  const double got[] = {m.A, m.xc, m.yc, m.Ixx, m.Iyy, m.Ixy};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(got[k], expected[k], 1e-13) << k;
}

// Green's theorem along the quadratic sides: A = closed int x dy, Sx = closed int x^2/2 dy,
// Sy = -closed int y^2/2 dx; 3-point Gauss-Legendre per side is exact (degree <= 5).
struct BoundaryIntegrals {
  double A = 0, Sx = 0, Sy = 0;
};
BoundaryIntegrals boundary_integrals(const std::vector<double>& x, const std::vector<double>& y) {
  const int sides[3][3] = {{0, 3, 1}, {1, 4, 2}, {2, 5, 0}};
  const double gp[3] = {-std::sqrt(0.6), 0.0, std::sqrt(0.6)}, gw[3] = {5.0 / 9, 8.0 / 9, 5.0 / 9};
  BoundaryIntegrals r;
  for (const auto& side : sides)
    for (int g = 0; g < 3; ++g) {
      const double u = 0.5 * (gp[g] + 1);  // 0 .. 1 along the side
      const double n0 = (1 - u) * (1 - 2 * u), n1 = 4 * u * (1 - u), n2 = u * (2 * u - 1);
      const double d0 = 4 * u - 3, d1 = 4 - 8 * u, d2 = 4 * u - 1;
      const auto along = [&](const std::vector<double>& v, double a, double b, double c) {
        return a * v[side[0]] + b * v[side[1]] + c * v[side[2]];
      };
      const double px = along(x, n0, n1, n2), py = along(y, n0, n1, n2), dx = along(x, d0, d1, d2), dy = along(y, d0, d1, d2);
      const double w = 0.5 * gw[g];
      r.A += w * px * dy;
      r.Sx += w * px * px / 2 * dy;
      r.Sy -= w * py * py / 2 * dx;
    }
  return r;
}

// Curved sides: det J is quadratic, area and first moments within the rule's degree 4 equal the
// boundary integrals to round-off (1e-14); the straight triangle's area differs.
TEST(SectionProperties, CurvedTriangleSidesIntegrateLikeTheirBoundary) {
  const std::vector<double> x = {0, 2, 0.3, 1.0, 1.3, 0.0};
  const std::vector<double> y = {0, 0.2, 1.7, -0.15, 1.05, 0.8};
  const auto m = build(single_element(6, x, y));
  const BoundaryIntegrals ref = boundary_integrals(x, y);
  EXPECT_NEAR(m.A, ref.A, 1e-14);
  EXPECT_NEAR(m.A * m.xc, ref.Sx, 1e-14);
  EXPECT_NEAR(m.A * m.yc, ref.Sy, 1e-14);
  const double straight = 0.5 * std::abs((x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]));
  EXPECT_GT(std::abs(m.A - straight), 0.1);
}

// A bar as stiff as the reference adds nothing; one without stiffness is a void (k = -1) in the
// section, never in the part list.
TEST(SectionProperties, SoftBarsAreVoidsInTheSectionOnly) {
  TestSection same = single_element(4, {0, 1, 1, 0}, {0, 0, 1, 1});
  same.add_bar(0.1, 0.5, 0.5, 1.0, 1.0);  // E_b = E_ref: k = 0
  EXPECT_NEAR(build(same, true).A, 1.0, 1e-15);

  TestSection soft = single_element(4, {0, 1, 1, 0}, {0, 0, 1, 1});
  soft.add_bar(0.1, 0.25, 0.5, 0.0, 1.0);
  soft.add_bar(0.1, 0.75, 0.5, -5.0, 1.0);
  const auto v = build(soft, true);
  EXPECT_NEAR(v.A, 1.0 - 0.02 * pi, 1e-15);
  EXPECT_NEAR(v.xc, 0.5, 1e-15);  // the two voids balance about x = 0.5
  EXPECT_NEAR(v.materials[0].slot[material_slot::area], 1.0, 1e-15);
  EXPECT_EQ(v.bars[0].element, 0);
}

// A (part 1) has a node at distance^2 0.02, its first node far (1.62); B (part 2) has its first
// and nearest at 0.36: A gets the bar. On a tie (a node shared by both elements of one domain)
// the first element in model order keeps it.
TEST(SectionProperties, BarJoinsTheElementOwningItsNearestNode) {
  TestSection s;
  s.mesh.k = 4;
  s.mesh.add_element({0, 1, 1, 0}, {0, 0, 1, 1}, 1);
  s.mesh.add_element({1.5, 2.5, 2.5, 1.5}, {0.9, 0.9, 1.9, 1.9}, 2);
  s.E = s.w = {1.0, 1.0};
  s.nu = {0.0, 0.0};
  s.n_parts = 3;  // part 3 has no element and stays empty
  s.add_bar(0.05, 0.9, 0.9, 2.0, 1.0);
  const auto m = build(s, true);
  EXPECT_EQ(m.bars[0].element, 1);
  EXPECT_NEAR(m.bars[0].distance2, 0.02, 1e-15);
  const double bar = pi * 0.05 * 0.05;  // k = 1
  EXPECT_NEAR(m.materials[0].slot[material_slot::area], 1.0 + bar, 1e-15);
  EXPECT_NEAR(m.materials[1].slot[material_slot::area], 1.0, 1e-15);
  // The first part's centroid moves toward the bar: (0.5 + 0.9 bar) / (1 + bar).
  EXPECT_NEAR(m.materials[0].slot[material_slot::xc], (0.5 + 0.9 * bar) / (1 + bar), 1e-15);
  EXPECT_TRUE(m.materials[2].empty);
  for (double v : m.materials[2].slot) EXPECT_EQ(v, 0.0);

  TestSection tie;
  tie.mesh.k = 4;
  tie.mesh.add_rectangle(0, 0, 2, 1, 2, 1, 1);
  tie.mesh.parts[1] = 2;
  tie.E = tie.w = {1.0, 1.0};
  tie.nu = {0.0, 0.0};
  tie.n_parts = 2;
  tie.add_bar(0.05, 1.0, -0.1, 2.0, 1.0);
  EXPECT_EQ(build(tie, true).bars[0].element, 1);
}

}  // namespace
}  // namespace bsp
