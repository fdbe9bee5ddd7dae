#include "solver/torsion_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "section_meshes.h"
#include "solver/domain_solve.h"

namespace bsp {
namespace {

using test::relative;
using test::Section;
namespace s = section_slot;
constexpr double pi = std::numbers::pi;

// Saint-Venant's series for the torsion constant of a b x h rectangle,
// b >= h (Timoshenko and Goodier, Theory of Elasticity, section 109):
// J = b h^3 / 3 [1 - 192 h / (pi^5 b) sum_{n odd} tanh(n pi b / (2h)) / n^5].
// The terms fall as n^-5; 200 of them leave an error far below 1e-12.
double rectangle_torsion_constant(double b, double h) {
  if (b < h) std::swap(b, h);
  double sum = 0;
  for (int n = 1; n < 400; n += 2) sum += std::tanh(n * pi * b / (2 * h)) / std::pow(n, 5);
  return b * h * h * h / 3 * (1 - 192 * h / (pi * pi * pi * pi * pi * b) * sum);
}

Section rectangle(int k, double b, double h, int nx, int ny) {
  Section sec(k);
  sec.add_domain().add_box(0, 0, b, h, nx, ny, 1);
  return sec;
}

// Solid circle of radius R: a polar patch (radius, angle) whose inner edge
// collapses to the centre.
Section circle(double R, int n_radial, int n_angular) {
  Section sec(6);
  sec.add_domain().add_patch(
      [R](double u, double v) {
        return test::Point{R * u * std::cos(2 * pi * v), R * u * std::sin(2 * pi * v)};
      },
      n_radial, n_angular, 1);
  return sec;
}

// Doubly symmetric I: flanges b x tf, web tw between them, overall depth
// h + tf (h between flange mid-lines), centred on the origin.
Section i_section(int k, double b, double h, double tf, double tw) {
  Section sec(k);
  test::DomainMesh& d = sec.add_domain();
  const double y_in = h / 2 - tf / 2, y_out = h / 2 + tf / 2;
  d.add_box(-b / 2, -y_out, -tw / 2, -y_in, 8, 2, 1);
  d.add_box(-tw / 2, -y_out, tw / 2, -y_in, 1, 2, 1);
  d.add_box(tw / 2, -y_out, b / 2, -y_in, 8, 2, 1);
  d.add_box(-tw / 2, -y_in, tw / 2, y_in, 1, 24, 1);
  d.add_box(-b / 2, y_in, -tw / 2, y_out, 8, 2, 1);
  d.add_box(-tw / 2, y_in, tw / 2, y_out, 1, 2, 1);
  d.add_box(tw / 2, y_in, b / 2, y_out, 8, 2, 1);
  return sec;
}

TEST(TorsionAnalysis, RectangleMatchesSaintVenantSeries) {
  const double b = 2.0, h = 1.0, exact = rectangle_torsion_constant(b, h);
  const auto tria = rectangle(6, b, h, 20, 10).solve();
  ASSERT_EQ(tria.status, Status::ok);
  EXPECT_LT(relative(tria[s::torsion_constant], exact), 1e-4);  // quadratic elements, 20 x 10 cells

  // Bilinear quadrilaterals converge at second order: halving the cells
  // must cut the error by about four.
  const double e1 = relative(rectangle(4, b, h, 20, 10).solve()[s::torsion_constant], exact);
  const double e2 = relative(rectangle(4, b, h, 40, 20).solve()[s::torsion_constant], exact);
  EXPECT_LT(e1, 1e-2);          // 20 x 10 bilinear cells
  EXPECT_GT(e1 / e2, 3.5);      // second-order convergence, ratio near 4
  EXPECT_LT(e1 / e2, 4.5);
}

TEST(TorsionAnalysis, SolidCircleHasPolarMomentAndNoWarping) {
  const double R = 2.0;
  Section sec = circle(R, 8, 32);
  sec.sp_x = {0.0, R, 0.5, -1.2};
  sec.sp_y = {0.0, 0.0, 0.7, -0.9};
  const auto out = sec.solve();
  ASSERT_EQ(out.status, Status::ok);
  const double polar = pi * R * R * R * R / 2;
  EXPECT_LT(relative(out[s::torsion_constant], polar), 5e-3);  // polygonal-quadratic boundary, 8 x 32 cells
  // J equals the mesh's own polar moment much more closely: omega is zero
  // in the exact solution, so only the solution error enters.
  EXPECT_LT(relative(out[s::torsion_constant], out[s::i1] + out[s::i2]), 1e-4);  // curved cells warp slightly
  for (std::size_t i = 0; i < sec.sp_x.size(); ++i)
    EXPECT_LT(std::abs(out[s::stress_block + i]), 1e-6 * R * R);  // omega ~ 0 up to discretisation
  // Torsional stress per unit twist (G_ref = 1) at the rim is R, with the
  // point on the rim; at the centre it vanishes.
  // Extrapolation from the integration points out to the rim of curved
  // cells 1/8 of the radius deep is good to about 1 %.
  EXPECT_NEAR(out[s::stress_block + 4 + 1], 0.0, 1e-2 * R);  // tau_zx at (R, 0)
  EXPECT_NEAR(out[s::stress_block + 8 + 1], R, 1e-2 * R);    // tau_zy at (R, 0)
  EXPECT_NEAR(out[s::stress_block + 8 + 0], 0.0, 1e-3 * R);  // tau_zy at the centre: interpolated, not extrapolated
  EXPECT_NEAR(out[s::torsion_stress_max], R, 1e-2 * R);      // extrapolated to the rim nodes
}

TEST(TorsionAnalysis, ThinRectangleApproachesOpenSectionFormula) {
  // Roark's J = b t^3 / 3 (1 - 0.63 t / b) differs from the series by less
  // than 0.1 % for b/t >= 5; the mesh has 4 cells through the thickness.
  for (const double b : {5.0, 10.0, 20.0}) {
    const double t = 1.0;
    const auto out = rectangle(6, b, t, static_cast<int>(4 * b), 4).solve();
    ASSERT_EQ(out.status, Status::ok);
    const double formula = b * t * t * t / 3 * (1 - 0.63 * t / b);
    EXPECT_LT(relative(out[s::torsion_constant], formula), 2e-3) << b;  // formula 0.1 % + mesh
    EXPECT_LT(relative(out[s::torsion_constant], rectangle_torsion_constant(b, t)), 1e-3) << b;  // mesh only, corner stress peaks
  }
}

TEST(TorsionAnalysis, DoublySymmetricISectionWarpingConstant) {
  // Thin-walled warping constant of a doubly symmetric I about its centre:
  // Iw = tf b^3 h^2 / 24 (Vlasov; Timoshenko and Gere, Theory of Elastic
  // Stability, section 5.3). Neglects the warping through the thickness,
  // which is below 1 % for these proportions.
  const double b = 10.0, h = 20.0, tf = 0.5, tw = 0.3;
  const auto out = i_section(6, b, h, tf, tw).solve();
  ASSERT_EQ(out.status, Status::ok);
  EXPECT_LT(relative(out[s::warping_constant], tf * b * b * b * h * h / 24), 3e-2);  // thin-wall formula
  EXPECT_EQ(out[s::centroid_minus_shear_centre_first], 0.0);
  EXPECT_EQ(out[s::centroid_minus_shear_centre_second], 0.0);
  // Open thin-walled section: J ~ sum b t^3 / 3 (2 flanges + web) within the
  // thin-wall error of the junctions.
  const double thin = (2 * b * tf * tf * tf + (h - tf) * tw * tw * tw) / 3;
  EXPECT_LT(relative(out[s::torsion_constant], thin), 0.1);  // fillets and end effects of 0.5/10 walls
}

TEST(TorsionAnalysis, InvertedCoefficientIsANearVoidAtAnyModulusScale) {
  EXPECT_EQ(inverted_coefficient(8.1e4), 1.0 / 8.1e4);   // steel in MPa: the reciprocal
  EXPECT_EQ(inverted_coefficient(0.5), 0.5e-9);          // E = 1: capped, never stiffer than G
  EXPECT_LT(inverted_coefficient(0.5), 1e-8 * 0.5);
  // The two expressions meet at G = sqrt(1e9) ~ 3.16e4.
  EXPECT_EQ(inverted_coefficient(3.2e4), 1.0 / 3.2e4);
}

// A square tube whose hole is meshed with inverted elements must behave as
// the tube meshed without its core, for moduli near 1 and in MPa alike.
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

// Two identical disjoint rectangles: the free constant of each domain's
// warping function must not survive into Iw or the stress-point values,
// whichever order the domains come in and however their nodes are numbered.
TEST(TorsionAnalysis, DisjointDomainsCarryNoArbitraryConstant) {
  auto two = [](bool swapped, bool renumbered) {
    Section sec(6);
    const double x_left = swapped ? 3.0 : 0.0, x_right = swapped ? 0.0 : 3.0;
    sec.add_domain().add_box(x_left, 0, x_left + 2, 1, 8, 4, 1);
    sec.add_domain().add_box(x_right, 0, x_right + 2, 1, 8, 4, 1);
    if (renumbered) sec.renumber(1);
    sec.sp_x = {0.3, 1.7, 3.4, 4.9};
    sec.sp_y = {0.2, 0.9, 0.5, 0.1};
    return sec.solve();
  };
  const auto base = two(false, false);
  ASSERT_EQ(base.status, Status::ok);
  for (const auto& [swapped, renumbered] : {std::pair{true, false}, std::pair{false, true}, std::pair{true, true}}) {
    const auto other = two(swapped, renumbered);
    ASSERT_EQ(other.status, Status::ok);
    EXPECT_LT(relative(other[s::warping_constant], base[s::warping_constant]), 1e-9);  // rounding only
    EXPECT_LT(relative(other[s::torsion_constant], base[s::torsion_constant]), 1e-9);  // rounding only
    for (std::size_t i = 0; i < 4; ++i)
      EXPECT_NEAR(other[s::stress_block + i], base[s::stress_block + i], 1e-9 * base[s::i1]);  // rounding only
  }
  // Each rectangle warps about its own centroid (the shear centre lies
  // midway): with the means removed the section's Iw is the two rectangles'
  // own Iw plus the warping of each one's offset from the shear centre,
  // which is the same for both; a single rectangle gives the first part.
  const auto one = rectangle(6, 2, 1, 8, 4).solve();
  EXPECT_GT(base[s::warping_constant], 2 * one[s::warping_constant]);
  EXPECT_NEAR(base[s::torsion_constant], 2 * one[s::torsion_constant], 1e-9 * one[s::torsion_constant]);  // rounding
}

TEST(TorsionAnalysis, PolarMomentAboutTheShearCentre) {
  // Rectangle: the shear centre is the centroid, so Ip_s = I1 + I2.
  Section sec = rectangle(6, 3, 1, 12, 4);
  sec.level = 1;
  const auto out = sec.solve();
  EXPECT_NEAR(out[s::polar_moment_shear_centre(0)], 3.0 / 12 * (9 + 1), 1e-12);  // exact quadrature, rounding
}

TEST(TorsionAnalysis, DomainWithoutAreaIsSkipped) {
  // A second domain made only of inverted elements has no area: it must add
  // nothing (no 0/0 from its centroid) and leave the first domain's values.
  Section one = rectangle(6, 2, 1, 8, 4);
  Section two = one;
  two.add_domain().add_box(5, 0, 6, 1, 2, 2, -1);
  const auto a = one.solve(), b = two.solve();
  ASSERT_EQ(b.status, Status::ok);
  for (const std::size_t slot : {s::area, s::torsion_constant, s::warping_constant, s::alpha_first, s::alpha_second,
                                 s::centroid_first, s::torsion_stress_max, s::pair_first_psi})
    EXPECT_NEAR(b[slot], a[slot], 1e-12 * std::abs(a[slot]) + 1e-15) << slot;  // the same solves, rounding
}

TEST(TorsionAnalysis, SectionWithoutAreaIsASolverError) {
  Section sec(6);
  sec.add_domain().add_box(0, 0, 1, 1, 2, 2, -1);  // every element inverted
  sec.sp_x = {0.5};
  sec.sp_y = {0.5};
  const auto out = sec.solve();
  EXPECT_EQ(out.status, Status::solver_error);
  for (double v : out.result) ASSERT_EQ(v, 0.0);
  for (double v : out.offsets) ASSERT_EQ(v, 0.0);
}

}  // namespace
}  // namespace bsp
