#include "solver/shear_analysis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/section_meshes.h"

namespace bsp {
namespace {

using test::Section;
namespace s = section_slot;

Section rectangle(int k, double b, double h, int nx, int ny, double nu = 0.0) {
  Section sec(k);
  sec.nu = {nu};
  sec.nu_ref = nu;
  sec.add_domain().add_box(0, 0, b, h, nx, ny, 1);
  return sec;
}

TEST(ShearAnalysis, PoissonCouplingMatchesTheElasticBeamSolution) {
  // nu = 1/4: the largest stress, at the ends of the neutral axis, is 1.033, 1.126, 1.396 x 1.5 V/A
  // for width/depth 1/2, 1, 2 (Timoshenko & Goodier, Theory of Elasticity, sec. 124, table).
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
  // Rectangles 1 wide, 1 and 2 deep share a force along y 1 : 8 (Ixx): the deeper one's
  // 1.5 V_d / A_d = 1.5 (8/9) / 2 = 2/3 is the largest stress.
  Section sec(6);
  sec.add_domain().add_box(0, 0, 1, 1, 8, 8, 1);
  sec.add_domain().add_box(3, 0, 4, 2, 8, 16, 1);
  const auto out = sec.solve();
  ASSERT_EQ(out.status, Status::ok);
  EXPECT_NEAR(out[s::pair_second_phi], 2.0 / 3.0, 1e-2 * 2 / 3);  // nodal extrapolation, 16 cells deep
  // Along x shared by Iyy, 1 : 2: both give 1.5 V_d / A_d = 1/2.
  EXPECT_NEAR(out[s::pair_first_psi], 0.5, 2e-2 * 0.5);  // nodal extrapolation, 8 cells across
  // Shear centre: the rectangles' centres weighted by Ixx for x, by Iyy for y.
  const double x_s = out[s::centroid_first] - out[s::centroid_minus_shear_centre_first];
  const double y_s = out[s::centroid_second] - out[s::centroid_minus_shear_centre_second];
  EXPECT_NEAR(x_s, (0.5 + 3.5 * 8) / 9, 1e-6);  // symmetric rectangles: discretisation cancels
  EXPECT_NEAR(y_s, 2.5 / 3, 1e-6);
  // Each rectangle has 5/6 with nu = 0, so the section has it too.
  EXPECT_NEAR(out[s::alpha_first], 5.0 / 6, 1e-3);   // 8 cells per unit
  EXPECT_NEAR(out[s::alpha_second], 5.0 / 6, 1e-3);
}

}  // namespace
}  // namespace bsp
