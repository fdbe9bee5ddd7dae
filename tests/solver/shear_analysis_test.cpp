#include "solver/shear_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "support/section_meshes.h"

namespace bsp {
namespace {

using test::relative;
using test::Section;
namespace s = section_slot;
namespace p = material_slot;

Section rectangle(int k, double b, double h, int nx, int ny, double nu = 0.0) {
  Section sec(k);
  sec.nu = {nu};
  sec.nu_ref = nu;
  sec.add_domain().add_box(0, 0, b, h, nx, ny, 1);
  return sec;
}

TEST(ShearAnalysis, RectangleWithoutPoissonHasFiveSixths) {
  // With nu = 0 the elementary parabolic stress is the exact solution, so
  // the energy shear coefficient is 5/6 for every aspect ratio, and the
  // largest stress is 1.5 V / A on the neutral axis.
  struct Case {
    int k;
    double alpha_tolerance, stress_tolerance;
  };
  // Bilinear quadrilaterals only: the 6-node triangles are checked through
  // the meshed-section export. A quadrilateral carries a constant-per-
  // direction gradient, so 20 x 10 cells give 5/6 to 1e-2 and the
  // extrapolated peak stress to 2 %.
  for (const Case c : {Case{4, 1e-2, 2e-2}}) {
    const auto out = rectangle(c.k, 2.0, 1.0, 20, 10).solve();
    ASSERT_EQ(out.status, Status::ok);
    EXPECT_NEAR(out[s::area], 2.0, 1e-13);     // exact quadrature, rounding
    EXPECT_NEAR(out[s::i1], 8.0 / 12, 1e-13);  // b^3 h / 12, exact quadrature
    EXPECT_NEAR(out[s::i2], 2.0 / 12, 1e-13);  // b h^3 / 12
    EXPECT_NEAR(out[s::alpha_first], 5.0 / 6, c.alpha_tolerance) << c.k;
    EXPECT_NEAR(out[s::alpha_second], 5.0 / 6, c.alpha_tolerance) << c.k;
    EXPECT_EQ(out[s::i12], 0.0);
    EXPECT_EQ(out[s::centroid_minus_shear_centre_first], 0.0);
    EXPECT_EQ(out[s::centroid_minus_shear_centre_second], 0.0);
    // The largest pairs: the force's own component, nothing across it.
    EXPECT_NEAR(out[s::pair_first_psi], 1.5 / 2.0, c.stress_tolerance * 0.75) << c.k;
    EXPECT_NEAR(out[s::pair_first_phi], 0.0, c.stress_tolerance * 0.75) << c.k;
    EXPECT_NEAR(out[s::pair_second_phi], 1.5 / 2.0, c.stress_tolerance * 0.75) << c.k;
    EXPECT_NEAR(out[s::pair_second_psi], 0.0, c.stress_tolerance * 0.75) << c.k;
  }
}

TEST(ShearAnalysis, PoissonCouplingMatchesTheElasticBeamSolution) {
  // nu = 1/4, force along the depth: the largest shear stress sits at the
  // ends of the neutral axis and is 1.033, 1.126, 1.396 times 1.5 V/A for
  // width/depth 1/2, 1, 2 (Timoshenko and Goodier, Theory of Elasticity,
  // section 124, table, three digits). Read from the level-3 extremes.
  const std::pair<double, double> table[] = {{0.5, 1.033}, {1.0, 1.126}, {2.0, 1.396}};
  for (const auto& [width, ratio] : table) {
    Section sec = rectangle(6, width, 1.0, static_cast<int>(20 * width), 20, 0.25);
    sec.level = 3;
    const auto out = sec.solve();
    ASSERT_EQ(out.status, Status::ok);
    const std::size_t tau_y_of_phi = s::extreme_block(0) + 12 + 3;
    EXPECT_NEAR(out[tau_y_of_phi] * width / 1.5, ratio, 5e-3 * ratio) << width;  // table digits + edge extrapolation
    EXPECT_NEAR(out[s::extreme_block(0) + 2 * 3 + 1], 0.5, 1e-12) << width;  // on the neutral axis
  }
  // Poisson's anticlastic stresses cost energy: below 5/6 for a wide section.
  const auto wide = rectangle(6, 2.0, 1.0, 20, 10, 0.25).solve();
  EXPECT_LT(wide[s::alpha_second], 5.0 / 6 - 0.03);
}

TEST(ShearAnalysis, ForceIsSharedBetweenDomainsByBendingStiffness) {
  // Two disjoint rectangles 1 wide, 1 and 2 deep: a force along y is
  // carried 1 : 8 (Ixx 1/12 : 8/12), so the deeper one takes 8/9 of it and
  // its 1.5 V_d / A_d is the largest stress: 1.5 (8/9) / 2 = 2/3.
  Section sec(6);
  sec.add_domain().add_box(0, 0, 1, 1, 8, 8, 1);
  sec.add_domain().add_box(3, 0, 4, 2, 8, 16, 1);
  const auto out = sec.solve();
  ASSERT_EQ(out.status, Status::ok);
  EXPECT_NEAR(out[s::pair_second_phi], 2.0 / 3.0, 1e-2 * 2 / 3);  // nodal extrapolation, 16 cells deep
  // A force along x is shared by Iyy, 1/12 : 2/12, which gives both
  // rectangles 1.5 V_d / A_d = 1/2.
  EXPECT_NEAR(out[s::pair_first_psi], 0.5, 2e-2 * 0.5);  // nodal extrapolation, 8 cells across
  // Shear centre: each rectangle's own centre, weighted by Ixx for x and by
  // Iyy for y: x = (0.5 * 1 + 3.5 * 8) / 9, y = (0.5 * 1 + 1 * 2) / 3.
  const double x_s = out[s::centroid_first] - out[s::centroid_minus_shear_centre_first];
  const double y_s = out[s::centroid_second] - out[s::centroid_minus_shear_centre_second];
  EXPECT_NEAR(x_s, (0.5 + 3.5 * 8) / 9, 1e-6);  // symmetric rectangles: discretisation cancels
  EXPECT_NEAR(y_s, 2.5 / 3, 1e-6);
  // Each rectangle has 5/6 with nu = 0, so the section has it too.
  EXPECT_NEAR(out[s::alpha_first], 5.0 / 6, 1e-3);   // 8 cells per unit
  EXPECT_NEAR(out[s::alpha_second], 5.0 / 6, 1e-3);
}

// Two materials stacked in one rectangle 2 wide: the lower half E = 1, the
// upper half E = 3 (E_ref = 1), with a bar of E = 10 in the lower half.
Section two_materials() {
  Section sec(6);
  sec.E = {1.0, 3.0};
  sec.nu = {0.0, 0.0};
  sec.w = {1.0, 2.0};
  test::DomainMesh& d = sec.add_domain();
  d.add_box(0, 0, 2, 0.5, 16, 4, 1);
  d.add_box(0, 0.5, 2, 1, 16, 4, 2);
  return sec;
}

TEST(ShearAnalysis, TwoMaterialsTransformExactlyAndPartsAddUp) {
  Section sec = two_materials();
  const auto out = sec.solve();
  ASSERT_EQ(out.status, Status::ok);
  // Transformed section: areas 1 and 3, centroids at y = 0.25 and 0.75.
  const double A = 4.0, yc = (0.25 + 3 * 0.75) / A;
  const double ixx = (2 * 0.125 / 12 + 1 * (yc - 0.25) * (yc - 0.25)) + 3 * (2 * 0.125 / 12 + (0.75 - yc) * (0.75 - yc));
  EXPECT_NEAR(out[s::area], A, 1e-13);                 // exact quadrature
  EXPECT_NEAR(out[s::centroid_second], yc, 1e-13);
  EXPECT_NEAR(out[s::i2], ixx, 1e-13);
  EXPECT_NEAR(out[s::i1], 4 * 8 * 0.5 / 12, 1e-13);    // (1 + 3) b^3 (h/2) / 12
  EXPECT_NEAR(out[s::weighted_area], 1 + 2, 1e-13);    // weights 1 and 2

  Status status;
  const auto parts = sec.solve_parts(status);
  ASSERT_EQ(status, Status::ok);
  EXPECT_NEAR(parts[p::area] + parts[10 + p::area], A, 1e-13);
  EXPECT_NEAR(parts[10 + p::yc], 0.75, 1e-13);
  EXPECT_NEAR(parts[10 + p::Ixx], 3 * 2 * 0.125 / 12, 1e-13);
  EXPECT_NEAR(parts[p::J] + parts[10 + p::J], out[s::torsion_constant], 1e-12 * out[s::torsion_constant]);
  EXPECT_NEAR(parts[p::warping] + parts[10 + p::warping], out[s::warping_constant],
              1e-9 * out[s::warping_constant]);  // the mean correction is rounding noise here
  // Energy shares: sum of part ratio times part area is the section's.
  EXPECT_NEAR(parts[p::alpha_x] * parts[p::area] + parts[10 + p::alpha_x] * parts[10 + p::area],
              out[s::alpha_first] * A, 1e-12);  // rounding
  EXPECT_NEAR(parts[p::alpha_y] * parts[p::area] + parts[10 + p::alpha_y] * parts[10 + p::area],
              out[s::alpha_second] * A, 1e-12);

  // A bar of E = 10 at (0.5, 0.25) belongs to the lower part: k = 9.
  sec.bars.push_back({0.05, 0.5, 0.25, 10.0, 1.0});
  const auto with_bar = sec.solve_parts(status);
  ASSERT_EQ(status, Status::ok);
  const double bar_area = 9 * std::numbers::pi * 0.05 * 0.05;
  EXPECT_NEAR(with_bar[p::area], 1.0 + bar_area, 1e-13);
  EXPECT_NEAR(with_bar[10 + p::area], 3.0, 1e-13);
  EXPECT_NEAR(sec.solve()[s::area], A + bar_area, 1e-13);
}

TEST(ShearAnalysis, EmptyPartKeepsZeros) {
  Section sec = rectangle(6, 1, 1, 4, 4);
  sec.E = {1.0, 1.0};
  sec.nu = {0.0, 0.0};
  sec.w = {1.0, 1.0};
  Status status;
  const auto parts = sec.solve_parts(status);
  ASSERT_EQ(status, Status::ok);
  for (std::size_t i = 10; i < 20; ++i) EXPECT_EQ(parts[i], 0.0);
  EXPECT_NEAR(parts[p::alpha_x], 5.0 / 6, 2e-3);  // the only part has the section's ratio, 4 x 4 cells
}

}  // namespace
}  // namespace bsp
