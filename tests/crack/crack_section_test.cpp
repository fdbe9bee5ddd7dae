#include "crack/crack_section.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "bsp/bsp.h"
#include "crack/section_builder.h"

namespace bsp {
namespace {

using test::Material;
using test::SectionBuilder;

constexpr double e_steel = 200000.0;
constexpr double e_concrete = 30000.0;

double bar_radius(double area) { return std::sqrt(area / std::numbers::pi); }

// Larger root of p x^2 + q x + r = 0.
double larger_root(double p, double q, double r) { return (-q + std::sqrt(q * q - 4.0 * p * r)) / (2.0 * p); }

SectionBuilder plain_concrete_beam() {
  SectionBuilder s(e_concrete);
  s.material(0, {false, e_concrete, 3.0}).rectangle(0, 0.0, 0.0, 300.0, 500.0);
  return s;
}

// Steel carries tension: nothing cracks, both axes are at the centroid and
// both cracked inertias are I_g. The triangle's slanted edges cross the axis
// and must be cut on their own lines; moving only their end points' z gives
// a different line and an axis of 0.828.
TEST(CrackSection, SteelSectionsAreUncrackedOnBothFaces) {
  struct Case {
    const char* name;
    std::vector<Node2D> outline;
    double centroid, i_g, tolerance;
  };
  const Case cases[] = {
      // Exact quadrature; round-off of sums of order 1e4 (axes) and 1e8 (inertia).
      {"rectangle", {{0.0, 0.0}, {100.0, 0.0}, {100.0, 200.0}, {0.0, 200.0}}, 100.0, 100.0 * std::pow(200.0, 3) / 12.0, 1e-12},
      {"triangle", {{0.0, 0.0}, {2.0, 0.0}, {0.0, 2.0}}, 2.0 / 3.0, 2.0 * 8.0 / 36.0, 1e-15},  // b h^3 / 36
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SectionBuilder s(e_steel);
    s.material(0, {true, e_steel}).polygon(0, c.outline);
    const auto v = s.run().values;
    EXPECT_NEAR(v[BSP_CRACK_CENTROID], c.centroid, c.tolerance);
    EXPECT_NEAR(v[BSP_CRACK_AXIS_UPPER], c.centroid, c.tolerance);  // F is linear: Ridders' first step is exact
    EXPECT_NEAR(v[BSP_CRACK_AXIS_LOWER], c.centroid, c.tolerance);
    EXPECT_NEAR(v[BSP_CRACK_GROSS_INERTIA], c.i_g, 1e-13 * c.i_g);  // round-off of the edge sums
    EXPECT_NEAR(v[BSP_CRACK_INERTIA_UPPER], c.i_g, 1e-13 * c.i_g);  // the same sums about an axis 1e-12 off
    EXPECT_NEAR(v[BSP_CRACK_INERTIA_LOWER], c.i_g, 1e-13 * c.i_g);
    EXPECT_EQ(v[BSP_CRACK_MOMENT_POS], 1.0);
    EXPECT_EQ(v[BSP_CRACK_MOMENT_NEG], -1.0);
    for (int k = BSP_CRACK_CREEP_GROSS; k < BSP_CRACK_N_RESULTS; ++k) EXPECT_EQ(v[k], 0.0) << k;
  }
}

// Plain concrete cracks through: F vanishes only at the range ends, the whole
// depth is compressed and the cracked inertias and their long-term entries
// are zero. Uncracked, its creep sum is p4 (I_d = I_eff), so the creep entry
// is p4 / (E_ref I_g); nothing shrinks against anything, so the shrinkage
// entry is 0.
TEST(CrackSection, PlainConcreteRectangleCracksThrough) {
  SectionBuilder s(e_concrete);
  s.material(0, {false, e_concrete, 3.0, -3e-4, 0.8, 2.5}).rectangle(0, 0.0, 0.0, 300.0, 500.0);
  const auto v = s.run().values;
  const double i_g = 300.0 * std::pow(500.0, 3) / 12.0;
  EXPECT_NEAR(v[BSP_CRACK_CENTROID], 250.0, 1e-12);           // round-off of 1e7-sized sums
  EXPECT_NEAR(v[BSP_CRACK_GROSS_INERTIA], 3.125e9, 1e-5);     // 1e-15 relative of 3e9
  EXPECT_EQ(v[BSP_CRACK_AXIS_UPPER], 500.0);
  EXPECT_EQ(v[BSP_CRACK_AXIS_LOWER], 0.0);
  EXPECT_EQ(v[BSP_CRACK_INERTIA_UPPER], 0.0);
  EXPECT_EQ(v[BSP_CRACK_INERTIA_LOWER], 0.0);
  // f_t I_g / (h/2) = 3 * 3.125e9 / 250.
  EXPECT_NEAR(v[BSP_CRACK_MOMENT_POS], 3.75e7, 1e-7);        // 1e-15 relative
  EXPECT_NEAR(v[BSP_CRACK_MOMENT_NEG], -3.75e7, 1e-7);
  EXPECT_NEAR(v[BSP_CRACK_CREEP_GROSS], 2.5 / (e_concrete * i_g), 1e-12 * 2.5 / (e_concrete * i_g));  // round-off
  EXPECT_NEAR(v[BSP_CRACK_SHRINKAGE_GROSS], 0.0, 1e-20);  // zero lever arm, round-off of z_eff - z_c
  for (int k = BSP_CRACK_CREEP_UPPER; k < BSP_CRACK_N_RESULTS; ++k) EXPECT_EQ(v[k], 0.0) << k;
}

// The two-bar beam's axes (387.556..., 112.443...) are pinned by the export
// test on the same section; here the beam with its lower bar only.
TEST(CrackSection, SinglyReinforcedReferenceAxis) {
  SectionBuilder one = plain_concrete_beam();
  one.bar(0, 50.0, 1000.0, e_steel);
  EXPECT_NEAR(one.run().values[BSP_CRACK_AXIS_UPPER], 379.06556970305417, 1e-9);  // search tolerance, see NeutralAxis
}

// The section cracks where the first concrete reaches its strength: two
// concrete webs side by side with strengths 3 and 2 crack at the weaker.
TEST(CrackSection, CrackingMomentIsTheSmallestOverConcreteDomains) {
  SectionBuilder s(e_concrete);
  s.material(0, {false, e_concrete, 3.0}).material(1, {false, e_concrete, 2.0});
  s.rectangle(0, 0.0, 0.0, 300.0, 500.0).rectangle(1, 300.0, 0.0, 600.0, 500.0);
  const auto v = s.run().values;
  // 2 * I_g / 250 with I_g = 600 * 500^3 / 12.
  EXPECT_NEAR(v[BSP_CRACK_MOMENT_POS], 5e7, 1e-7);   // 1e-15 relative
  EXPECT_NEAR(v[BSP_CRACK_MOMENT_NEG], -5e7, 1e-7);
}

// A slab lying wholly above the centroid is compressed by a positive moment
// and gives no positive candidate; its top fibre gives the negative one.
TEST(CrackSection, SlabAboveCentroidGivesOnlyNegativeCracking) {
  SectionBuilder s(e_concrete);
  s.material(0, {true, e_steel}).material(1, {false, e_concrete, 3.0});
  s.rectangle(0, 0.0, 0.0, 300.0, 300.0).rectangle(1, -350.0, 300.0, 650.0, 400.0);
  const auto v = s.run().values;
  const double z_bar = v[BSP_CRACK_CENTROID];
  ASSERT_LT(z_bar, 300.0);
  const double i_g = v[BSP_CRACK_GROSS_INERTIA];
  EXPECT_EQ(v[BSP_CRACK_MOMENT_POS], 1.0);
  EXPECT_NEAR(v[BSP_CRACK_MOMENT_NEG], 3.0 * e_concrete * i_g / (e_concrete * (z_bar - 400.0)),
              1e-12 * std::abs(v[BSP_CRACK_MOMENT_NEG]));  // same arithmetic, different grouping
}

// In steel nothing cracks, so bars inside it, even across the axis, leave
// the cracked section equal to the uncracked one.
TEST(CrackSection, SteelHostWithBarsKeepsGrossInertia) {
  SectionBuilder s(e_steel);
  s.material(0, {true, e_steel}).rectangle(0, 0.0, 0.0, 100.0, 200.0);
  s.bar(0, 30.0, 500.0, 2.0 * e_steel).bar(0, 95.0, 800.0, 3.0 * e_steel);
  const auto v = s.run().values;
  const double z_bar = v[BSP_CRACK_CENTROID];
  // Independent: transformed area and moments by hand, own inertia A r^2 / 4.
  const double a1 = 500.0, a2 = 800.0;
  const double area = 20000.0 + a1 * 1.0 + a2 * 2.0;
  const double z_expected = (20000.0 * 100.0 + a1 * 30.0 + a2 * 2.0 * 95.0) / area;
  EXPECT_NEAR(z_bar, z_expected, 1e-12);  // round-off of 1e6-sized sums
  const auto bar_i = [&](double a, double c, double ratio) {
    const double r = bar_radius(a);
    return ratio * a * ((c - z_bar) * (c - z_bar) + r * r / 4.0);
  };
  const double i_g = 100.0 * std::pow(200.0, 3) / 12.0 + 20000.0 * (100.0 - z_bar) * (100.0 - z_bar) +
                     bar_i(a1, 30.0, 1.0) + bar_i(a2, 95.0, 2.0);
  EXPECT_NEAR(v[BSP_CRACK_GROSS_INERTIA], i_g, 1e-13 * i_g);   // round-off of the sums
  ASSERT_LT(std::abs(z_bar - 95.0), bar_radius(a2));            // the second bar straddles the axis
  EXPECT_NEAR(v[BSP_CRACK_AXIS_UPPER], z_bar, 1e-10);           // F is linear; round-off of segments
  EXPECT_NEAR(v[BSP_CRACK_AXIS_LOWER], z_bar, 1e-10);
  EXPECT_NEAR(v[BSP_CRACK_INERTIA_UPPER], i_g, 1e-12 * i_g);    // exact segments sum to the circle
  EXPECT_NEAR(v[BSP_CRACK_INERTIA_LOWER], i_g, 1e-12 * i_g);
}

// Classical cracked transformed section of a singly reinforced rectangle
// (e.g. Park & Paulay, ch. 10): b x^2 / 2 = n A_s (d - x),
// I_cr = b x^3 / 3 + n A_s (d - x)^2, plus the bar's own n A_s r^2 / 4.
TEST(CrackSection, SinglyReinforcedRectangleMatchesTransformedSection) {
  const double b = 300.0, h = 500.0, d = 450.0, as = 1500.0, n = e_steel / e_concrete;
  SectionBuilder s = plain_concrete_beam();
  s.bar(0, h - d, as, e_steel);
  const auto v = s.run().values;
  const double x = larger_root(b / 2.0, n * as, -n * as * d);
  EXPECT_NEAR(v[BSP_CRACK_AXIS_UPPER], h - x, 1e-9);  // search tolerance
  const double r = bar_radius(as);
  const double i_cr = b * x * x * x / 3.0 + n * as * ((d - x) * (d - x) + r * r / 4.0);
  EXPECT_NEAR(v[BSP_CRACK_INERTIA_UPPER], i_cr, 1e-12 * i_cr);  // round-off of 1e9-sized sums
}

TEST(CrackSection, DoublyReinforcedRectangleCountsDisplacedConcrete) {
  const double b = 300.0, h = 500.0, d = 450.0, dc = 50.0, as = 1500.0, asc = 600.0, n = e_steel / e_concrete;
  SectionBuilder s = plain_concrete_beam();
  s.bar(0, h - d, as, e_steel).bar(0, h - dc, asc, e_steel);
  const auto v = s.run().values;
  // b x^2 / 2 + (n - 1) A_s' (x - d') = n A_s (d - x)
  const double x = larger_root(b / 2.0, (n - 1.0) * asc + n * as, -(n - 1.0) * asc * dc - n * as * d);
  EXPECT_NEAR(v[BSP_CRACK_AXIS_UPPER], h - x, 1e-9);  // search tolerance
  const double r = bar_radius(as), rc = bar_radius(asc);
  ASSERT_GT(h - dc - rc, h - x);  // the compression bar lies wholly above the axis
  const double i_cr = b * x * x * x / 3.0 + (n - 1.0) * asc * ((x - dc) * (x - dc) + rc * rc / 4.0) +
                      n * as * ((d - x) * (d - x) + r * r / 4.0);
  EXPECT_NEAR(v[BSP_CRACK_INERTIA_UPPER], i_cr, 1e-12 * i_cr);  // round-off
}

TEST(CrackSection, TeeBeamWithAxisInTheWeb) {
  const double bf = 1000.0, hf = 100.0, bw = 300.0, h = 600.0, d = 550.0, as = 4000.0, n = e_steel / e_concrete;
  SectionBuilder s(e_concrete);
  s.material(0, {false, e_concrete, 3.0})
      .polygon(0, {{350.0, 0.0}, {650.0, 0.0}, {650.0, 500.0}, {1000.0, 500.0}, {1000.0, 600.0}, {0.0, 600.0},
                   {0.0, 500.0}, {350.0, 500.0}})
      .bar(0, h - d, as, e_steel);
  const auto v = s.run().values;
  // bf hf (x - hf/2) + bw (x - hf)^2 / 2 = n A_s (d - x), x > hf.
  const double x = larger_root(bw / 2.0, bf * hf - bw * hf + n * as, -bf * hf * hf / 2.0 + bw * hf * hf / 2.0 - n * as * d);
  ASSERT_GT(x, hf);
  EXPECT_NEAR(v[BSP_CRACK_AXIS_UPPER], h - x, 1e-9);  // search tolerance
  const double r = bar_radius(as);
  const double i_cr = bf * hf * hf * hf / 12.0 + bf * hf * (x - hf / 2.0) * (x - hf / 2.0) +
                      bw * std::pow(x - hf, 3) / 3.0 + n * as * ((d - x) * (d - x) + r * r / 4.0);
  EXPECT_NEAR(v[BSP_CRACK_INERTIA_UPPER], i_cr, 1e-12 * i_cr);  // round-off
}

// Steel I-beam under a concrete slab, transformed to steel. Slab compressed:
// n_c b (t - a)^2 / 2 = A_st (a - z_st) with the axis in the slab. Bottom
// compressed: the slab is all in tension and the axis is the steel's own
// centroid, with the steel's own second moment.
TEST(CrackSection, CompositeSlabOnSteelBeam) {
  const double nc = e_concrete / e_steel, b = 1000.0, top = 500.0;
  SectionBuilder s(e_steel);
  s.material(0, {false, e_concrete, 3.0}).material(1, {true, e_steel});
  s.rectangle(0, -400.0, 300.0, 600.0, top);
  s.polygon(1, {{0.0, 0.0}, {200.0, 0.0}, {200.0, 20.0}, {105.0, 20.0}, {105.0, 280.0}, {200.0, 280.0},
                {200.0, 300.0}, {0.0, 300.0}, {0.0, 280.0}, {95.0, 280.0}, {95.0, 20.0}, {0.0, 20.0}});
  const auto v = s.run().values;
  const double a_st = 2.0 * 200.0 * 20.0 + 10.0 * 260.0;
  const double i_st = 200.0 * std::pow(300.0, 3) / 12.0 - 190.0 * std::pow(260.0, 3) / 12.0;
  const double u = larger_root(nc * b / 2.0, a_st, -a_st * (top - 150.0));  // u = top - a
  ASSERT_LT(u, 200.0);
  EXPECT_NEAR(v[BSP_CRACK_AXIS_UPPER], top - u, 1e-9);  // search tolerance
  const double i_cr1 = nc * b * u * u * u / 3.0 + i_st + a_st * (top - u - 150.0) * (top - u - 150.0);
  EXPECT_NEAR(v[BSP_CRACK_INERTIA_UPPER], i_cr1, 1e-12 * i_cr1);  // round-off
  EXPECT_NEAR(v[BSP_CRACK_AXIS_LOWER], 150.0, 1e-9);              // search tolerance
  EXPECT_NEAR(v[BSP_CRACK_INERTIA_LOWER], i_st, 1e-12 * i_st);
}

SectionBuilder doubly_reinforced(double shift, bool mirror, int pieces) {
  const auto z = [&](double z0) { return (mirror ? -z0 : z0) + shift; };
  SectionBuilder s(e_concrete);
  s.material(0, {false, e_concrete, 3.0, -3e-4, 0.8, 2.0});
  std::vector<Node2D> outline = {{0.0, z(0.0)}, {300.0, z(0.0)}, {300.0, z(500.0)}, {0.0, z(500.0)}};
  if (mirror) std::reverse(outline.begin(), outline.end());  // keep it counter-clockwise
  std::vector<Node2D> fine;
  for (std::size_t k = 0; k < outline.size(); ++k) {
    const Node2D p = outline[k], q = outline[(k + 1) % outline.size()];
    for (int m = 0; m < pieces; ++m) {
      const double t = static_cast<double>(m) / pieces;
      fine.push_back({p.y + t * (q.y - p.y), p.z + t * (q.z - p.z)});
    }
  }
  s.polygon(0, fine).bar(0, z(50.0), 1500.0, e_steel).bar(0, z(440.0), 600.0, e_steel);
  return s;
}

// Moving the section moves only the positions; mirroring it swaps the faces
// (and turns the sign of curvatures and positions); cutting every edge into
// collinear pieces changes nothing. Coordinates near 1500 instead of 500 grow
// the round-off threefold, far below 1e-9; the axes carry the search tolerance.
TEST(CrackSection, TranslationMirrorAndRefinementInvariance) {
  const auto v = doubly_reinforced(0.0, false, 1).run().values;
  const auto near = [](double x, double y) { return std::abs(x - y) <= 1e-9 * std::max(1.0, std::abs(y)); };
  const std::array<double, BSP_CRACK_N_RESULTS> translated = doubly_reinforced(1000.0, false, 1).run().values;
  const std::array<double, BSP_CRACK_N_RESULTS> refined = doubly_reinforced(0.0, false, 7).run().values;
  for (int k = 0; k < BSP_CRACK_N_RESULTS; ++k) {
    const bool position = k == BSP_CRACK_CENTROID || k == BSP_CRACK_AXIS_UPPER || k == BSP_CRACK_AXIS_LOWER;
    EXPECT_TRUE(near(translated[k], v[k] + (position ? 1000.0 : 0.0))) << k;
    EXPECT_TRUE(near(refined[k], v[k])) << k;
  }
  const auto w = doubly_reinforced(0.0, true, 1).run().values;
  const struct {
    int mirrored, original;
    double sign;
  } swaps[] = {{BSP_CRACK_CENTROID, BSP_CRACK_CENTROID, -1}, {BSP_CRACK_GROSS_INERTIA, BSP_CRACK_GROSS_INERTIA, 1},
               {BSP_CRACK_AXIS_UPPER, BSP_CRACK_AXIS_LOWER, -1}, {BSP_CRACK_AXIS_LOWER, BSP_CRACK_AXIS_UPPER, -1},
               {BSP_CRACK_INERTIA_UPPER, BSP_CRACK_INERTIA_LOWER, 1}, {BSP_CRACK_INERTIA_LOWER, BSP_CRACK_INERTIA_UPPER, 1},
               {BSP_CRACK_MOMENT_POS, BSP_CRACK_MOMENT_NEG, -1}, {BSP_CRACK_CREEP_UPPER, BSP_CRACK_CREEP_LOWER, 1},
               {BSP_CRACK_SHRINKAGE_UPPER, BSP_CRACK_SHRINKAGE_LOWER, -1},
               {BSP_CRACK_SHRINKAGE_GROSS, BSP_CRACK_SHRINKAGE_GROSS, -1}};
  for (const auto& m : swaps) EXPECT_TRUE(near(w[m.mirrored], m.sign * v[m.original])) << m.mirrored;
}

// Shrinkage curvature of a reinforced section (e.g. Gilbert & Ranzi, ch. 5):
// the steel restrains the shrinking concrete, kappa = -eps_sh E_s A_s (d -
// z_eff) / (E I)_eff, which equals the library's sum over the concrete since
// the long-term first moment about z_eff vanishes.
TEST(CrackSection, ShrinkageCurvatureOfReinforcedRectangle) {
  const double b = 300.0, h = 500.0, c = 50.0, as = 1500.0, eps = -4e-4, chi = 0.8, phi = 2.0;
  const double e_eff = e_concrete / (1.0 + chi * phi);
  SectionBuilder s(e_concrete);
  s.material(0, {false, e_concrete, 3.0, eps, chi, phi}).rectangle(0, 0.0, 0.0, b, h).bar(0, c, as, e_steel);
  const auto v = s.run().values;
  const double r = bar_radius(as);

  // Uncracked: whole concrete at E_eff plus the bar's (E_s - E_eff).
  const double ea = e_eff * b * h + (e_steel - e_eff) * as;
  const double z_eff = (e_eff * b * h * h / 2.0 + (e_steel - e_eff) * as * c) / ea;
  const double ei = e_eff * (b * h * h * h / 12.0 + b * h * (h / 2.0 - z_eff) * (h / 2.0 - z_eff)) +
                    (e_steel - e_eff) * as * ((c - z_eff) * (c - z_eff) + r * r / 4.0);
  const double kappa = -eps * e_steel * as * (c - z_eff) / ei;
  EXPECT_NEAR(v[BSP_CRACK_SHRINKAGE_GROSS], kappa, 1e-10 * std::abs(kappa));  // round-off of differences of 1e9 sums

  // Cracked, upper face compressed: concrete above a1 at E_eff, the bar in
  // cracked concrete at E_s.
  const double a1 = v[BSP_CRACK_AXIS_UPPER];
  const double x = h - a1;
  const double ea1 = e_eff * b * x + e_steel * as;
  const double z1 = (e_eff * b * x * (a1 + x / 2.0) + e_steel * as * c) / ea1;
  const double zc = a1 + x / 2.0;
  const double ei1 = e_eff * (b * x * x * x / 12.0 + b * x * (zc - z1) * (zc - z1)) +
                     e_steel * as * ((c - z1) * (c - z1) + r * r / 4.0);
  const double kappa1 = -eps * e_steel * as * (c - z1) / ei1;
  EXPECT_NEAR(v[BSP_CRACK_SHRINKAGE_UPPER], kappa1, 1e-10 * std::abs(kappa1));  // as above
  // Its creep sum: the only concrete domain is the compressed block, about
  // z1, with the lever arm to the neutral axis.
  const double creep1 = phi * (e_eff * (b * x * x * x / 12.0 + b * x * (zc - z1) * (zc - z1)) +
                               e_eff * b * x * (z1 - zc) * (a1 - z1)) / ei1;
  EXPECT_NEAR(v[BSP_CRACK_CREEP_UPPER], creep1 / (e_concrete * v[BSP_CRACK_INERTIA_UPPER]),
              1e-10 * std::abs(creep1 / (e_concrete * v[BSP_CRACK_INERTIA_UPPER])));  // as above
}

TEST(CrackSection, DegenerateSectionStaysFinite) {
  SectionBuilder s(e_concrete);
  s.material(0, {false, e_concrete, 3.0, -3e-4, 0.8, 2.0})
      .polygon(0, {{0.0, 0.0}, {1.0, 1.0}, {2.0, 2.0}})  // zero area
      .bar(0, 1.0, 10.0, e_steel);
  const auto v = s.run().values;
  for (int k = 0; k < BSP_CRACK_N_RESULTS; ++k) EXPECT_TRUE(std::isfinite(v[k])) << k;
}

TEST(CrackSection, SearchNeedsFewEvaluations) {
  const CrackSectionResult r = doubly_reinforced(0.0, false, 1).run();
  // Two range ends and some ten Ridders steps per face until the bracket
  // collapses (F ~ 1e7 here, so |F| < 1e-10 is below its round-off); far
  // below the 2 * (2 + 200 + 100) of a search spinning to its step limits.
  EXPECT_LE(r.evaluations, 2 * 30);
  EXPECT_GE(r.evaluations, 2 * 4);
}

}  // namespace
}  // namespace bsp
