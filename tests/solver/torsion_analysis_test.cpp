#include "solver/torsion_analysis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/section_meshes.h"
#include "solver/domain_solve.h"

namespace bsp {
namespace {

using test::relative;
using test::Section;
namespace s = section_slot;

using test::rectangle_torsion_constant;

Section rectangle(int k, double b, double h, int nx, int ny) {
  Section sec(k);
  sec.add_domain().add_box(0, 0, b, h, nx, ny, 1);
  return sec;
}

TEST(TorsionAnalysis, RectangleMatchesSaintVenantSeries) {
  // Bilinear cells converge at second order: halving them cuts the error by about four.
  const double b = 2.0, h = 1.0, exact = rectangle_torsion_constant(b, h);
  const double e1 = relative(rectangle(4, b, h, 20, 10).solve()[s::torsion_constant], exact);
  const double e2 = relative(rectangle(4, b, h, 40, 20).solve()[s::torsion_constant], exact);
  EXPECT_LT(e1, 1e-2);          // 20 x 10 bilinear cells
  EXPECT_GT(e1 / e2, 3.5);      // second-order convergence, ratio near 4
  EXPECT_LT(e1 / e2, 4.5);
}

// A tube's hole of inverted elements acts as the tube without its core, for E near 1 and in MPa.
TEST(TorsionAnalysis, HoleOfInvertedElementsActsAsAHole) {
  for (const double E : {1.0, 2.1e5}) {
    Section tube(6), cored(6);
    for (Section* sec : {&tube, &cored}) {
      sec->E_ref = E;
      sec->E = {E};
      sec->nu = {0.3};
      sec->nu_ref = 0.3;
      test::DomainMesh& d = sec->add_domain();
      d.add_box(0, 0, 4, 1, 16, 4, 1);
      d.add_box(0, 3, 4, 4, 16, 4, 1);
      d.add_box(0, 1, 1, 3, 4, 8, 1);
      d.add_box(3, 1, 4, 3, 4, 8, 1);
      if (sec == &cored) d.add_box(1, 1, 3, 3, 8, 8, -1);
    }
    const auto a = tube.solve(), c = cored.solve();
    ASSERT_EQ(a.status, Status::ok);
    ASSERT_EQ(c.status, Status::ok);
    EXPECT_DOUBLE_EQ(c[s::area], a[s::area]);
    // The core carries 1e-9 of the material's flux at most.
    EXPECT_LT(relative(c[s::torsion_constant], a[s::torsion_constant]), 1e-6) << E;
    EXPECT_LT(relative(c[s::alpha_first], a[s::alpha_first]), 1e-6) << E;
    EXPECT_LT(std::abs(c[s::warping_constant] - a[s::warping_constant]), 1e-6 * a[s::i1] * a[s::i1]) << E;
  }
}

TEST(TorsionAnalysis, DomainWithoutAreaIsSkipped) {
  // A domain of inverted elements only has no area: it adds nothing (no 0/0 centroid).
  Section one = rectangle(6, 2, 1, 8, 4);
  Section two = one;
  two.add_domain().add_box(5, 0, 6, 1, 2, 2, -1);
  const auto a = one.solve(), b = two.solve();
  ASSERT_EQ(b.status, Status::ok);
  for (const std::size_t slot : {s::area, s::torsion_constant, s::warping_constant, s::alpha_first, s::alpha_second,
                                 s::centroid_first, s::torsion_stress_max, s::pair_first_psi})
    EXPECT_NEAR(b[slot], a[slot], 1e-12 * std::abs(a[slot]) + 1e-15) << slot;  // the same solves, rounding
}

}  // namespace
}  // namespace bsp
