#include "solver/detail_stresses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "section_meshes.h"

namespace bsp {
namespace {

using test::Section;
namespace s = section_slot;
constexpr double pi = std::numbers::pi;

// Value c (0 normal, 1 shear along x, 2 along y, 3 von Mises) of material m
// at point i, n_sp points.
double at(const test::DetailOutput& o, std::size_t n_sp, std::size_t m, std::size_t i, std::size_t c) {
  return o.stresses[4 * (m * n_sp + i) + c];
}

// 2 x 1 rectangle, nu = 0, E = E_ref = 200; points: top middle, centre,
// bottom left corner, outside.
Section rectangle() {
  Section sec(6);
  sec.E_ref = 200.0;
  sec.E = {200.0};
  sec.add_domain().add_box(0, 0, 2, 1, 20, 10, 1);
  sec.sp_x = {1.0, 1.0, 0.0, 5.0};
  sec.sp_y = {1.0, 0.5, 0.0, 5.0};
  return sec;
}

TEST(DetailStresses, PlaneSectionsOnARectangle) {
  // sigma = N/A + M_y z'/I2 + M_z y'/I1 with A = 2, I2 = 1/6, I1 = 2/3
  // (offsets from the centroid (1, 0.5)).
  const Section sec = rectangle();
  const auto out = sec.solve_detail({10.0, 0.0, 0.0, 0.0, 3.0, 4.0, 0.0, 0.0});
  ASSERT_EQ(out.status, Status::ok);
  auto sigma = [](double y, double z) { return 10.0 / 2 + 3.0 * (z - 0.5) * 6 + 4.0 * (y - 1.0) * 1.5; };
  EXPECT_NEAR(at(out, 4, 0, 0, 0), sigma(1.0, 1.0), 1e-12);  // exact A and I, rounding
  EXPECT_NEAR(at(out, 4, 0, 1, 0), sigma(1.0, 0.5), 1e-12);
  EXPECT_NEAR(at(out, 4, 0, 2, 0), sigma(0.0, 0.0), 1e-12);
  EXPECT_NEAR(at(out, 4, 0, 3, 0), sigma(5.0, 5.0), 1e-12);  // plane sections hold off the mesh too
  // No shear force, no torque: no shear stress; von Mises is |sigma|.
  EXPECT_EQ(at(out, 4, 0, 0, 1), 0.0);
  EXPECT_NEAR(at(out, 4, 0, 2, 3), std::abs(sigma(0.0, 0.0)), 1e-12);  // rounding
  // Summary: extremes over the points, the largest von Mises at the far
  // outside point (point 4, material 1).
  const std::size_t tail = 16;
  EXPECT_NEAR(out.stresses[tail], sigma(5.0, 5.0), 1e-12);  // rounding
  EXPECT_NEAR(out.stresses[tail + 1], sigma(0.0, 0.0), 1e-12);  // rounding
  EXPECT_EQ(out.stresses[tail + 2], 0.0);
  EXPECT_NEAR(out.stresses[tail + 3], std::abs(sigma(5.0, 5.0)), 1e-12);  // rounding
  EXPECT_EQ(out.stresses[tail + 4], 4.0);
  EXPECT_EQ(out.stresses[tail + 5], 1.0);
  // The other outputs: section slots, offsets from the centroid, materials.
  EXPECT_NEAR(out.section[s::area], 2.0, 1e-13);
  EXPECT_NEAR(out.section[s::radius_first], std::sqrt((2.0 / 3) / 2), 1e-13);  // level-1 slots are present
  EXPECT_NEAR(out.offsets[0], 0.0, 1e-14);
  EXPECT_NEAR(out.offsets[1], 0.5, 1e-14);
  EXPECT_EQ(out.materials[0], 1.0);
  EXPECT_EQ(out.materials[3], 0.0);
}

TEST(DetailStresses, ShearForceOnARectangleGivesOneAndAHalfTimesTheMean) {
  // nu = 0: tau = 1.5 V / A at the centroid, 0 at the top fibre.
  const Section sec = rectangle();
  const auto out = sec.solve_detail({0.0, 0.0, 0.0, 4.0, 0.0, 0.0, 0.0, 0.0});
  ASSERT_EQ(out.status, Status::ok);
  // The centroid is a corner node: the containing element extrapolates its
  // integration-point stresses there (1 % at 10 cells across the parabola).
  EXPECT_NEAR(at(out, 4, 0, 1, 2), 1.5 * 4.0 / 2.0, 1e-2 * 3.0);
  EXPECT_NEAR(at(out, 4, 0, 1, 1), 0.0, 1e-2 * 3.0);
  EXPECT_NEAR(at(out, 4, 0, 0, 2), 0.0, 3e-2);              // the free top fibre, extrapolated to the edge
  EXPECT_NEAR(at(out, 4, 0, 1, 3), std::sqrt(3.0) * 3.0, 1e-2 * 5.2);  // pure shear, same extrapolation
  EXPECT_EQ(at(out, 4, 0, 3, 2), 0.0);                      // outside every element
}

TEST(DetailStresses, TorqueOnACircleGivesTRoverJAtTheRim) {
  const double R = 1.5, T = 7.0;
  Section sec(6);
  sec.add_domain().add_patch(
      [R](double u, double v) { return test::Point{R * u * std::cos(2 * pi * v), R * u * std::sin(2 * pi * v)}; }, 8,
      32, 1);
  sec.sp_x = {R, 0.0};
  sec.sp_y = {0.0, -R};
  const auto out = sec.solve_detail({0.0, T, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
  ASSERT_EQ(out.status, Status::ok);
  const double J = pi * R * R * R * R / 2;
  // Counter-clockwise torque: at (R, 0) the stress points along +z, at
  // (0, -R) along +y.
  EXPECT_NEAR(at(out, 2, 0, 0, 2), T * R / J, 1e-2 * T * R / J);  // rim extrapolation and J within 0.5 %
  EXPECT_NEAR(at(out, 2, 0, 1, 1), T * R / J, 1e-2 * T * R / J);
  EXPECT_NEAR(at(out, 2, 0, 0, 1), 0.0, 1e-2 * T * R / J);
}

TEST(DetailStresses, EachMaterialSeesItsOwnModuli) {
  // Lower half material 1 (E = 1, nu = 0), upper half material 2 (E = 3,
  // nu = 0.5): one point in each half.
  Section sec(6);
  sec.E = {1.0, 3.0};
  sec.nu = {0.0, 0.5};
  test::DomainMesh& d = sec.add_domain();
  d.add_box(0, 0, 2, 0.5, 16, 4, 1);
  d.add_box(0, 0.5, 2, 1, 16, 4, 2);
  sec.sp_x = {1.0, 1.3};
  sec.sp_y = {0.25, 0.8};
  const auto out = sec.solve_detail({8.0, 0.0, 0.0, 2.0, 0.0, 0.0, 0.0, 0.0});
  ASSERT_EQ(out.status, Status::ok);
  // Axial force alone strains the section uniformly: sigma_m = E_m N / A_t
  // with A_t = 1 + 3 = 4.
  EXPECT_NEAR(at(out, 2, 0, 0, 0), 8.0 / 4, 1e-12);
  EXPECT_NEAR(at(out, 2, 1, 0, 0), 3 * 8.0 / 4, 1e-12);
  // Shear in material 2 at a point of material 1: the strain of material 1
  // times G_2 = 1; G_1 = 0.5.
  EXPECT_NEAR(at(out, 2, 1, 0, 2), at(out, 2, 0, 0, 2) * 1.0 / 0.5, 1e-12);
  EXPECT_EQ(out.materials[0], 1.0);
  EXPECT_EQ(out.materials[1], 2.0);
}

TEST(DetailStresses, SectionWithoutAreaIsASolverErrorWithZeroedOutputs) {
  Section sec(6);
  sec.add_domain().add_box(0, 0, 1, 1, 2, 2, -1);
  sec.sp_x = {0.5};
  sec.sp_y = {0.5};
  const auto out = sec.solve_detail({1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
  EXPECT_EQ(out.status, Status::solver_error);
  for (double v : out.stresses) ASSERT_EQ(v, 0.0);
  for (double v : out.section) ASSERT_EQ(v, 0.0);
  for (double v : out.offsets) ASSERT_EQ(v, 0.0);
  for (double v : out.materials) ASSERT_EQ(v, 0.0);
}

}  // namespace
}  // namespace bsp
