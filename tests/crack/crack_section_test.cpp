#include "crack/crack_section.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "bsp/bsp.h"

namespace bsp {
namespace {

struct Material {
  bool steel = false;
  double modulus = 0.0, tensile_strength = 0.0, shrinkage = 0.0, ageing = 0.0, creep = 0.0;
};

// Cracked-section input from counter-clockwise polygons and bars.
struct SectionBuilder {
  CrackSectionInput in;
  explicit SectionBuilder(double reference_modulus) { in.reference_modulus = reference_modulus; }
  SectionBuilder& material(int key, const Material& m) {
    in.materials[key] = {m.steel, {m.modulus, m.tensile_strength, m.shrinkage, m.ageing, m.creep}};
    return *this;
  }
  SectionBuilder& polygon(int key, const std::vector<Node2D>& pts) {
    for (std::size_t k = 0; k < pts.size(); ++k) in.edges.push_back({key, {pts[k], pts[(k + 1) % pts.size()]}});
    return *this;
  }
  SectionBuilder& rectangle(int key, double y0, double z0, double y1, double z1) {
    return polygon(key, {{y0, z0}, {y1, z0}, {y1, z1}, {y0, z1}});
  }
  SectionBuilder& bar(int key, double centre, double area, double modulus) {
    in.bars.push_back({key, centre, area, modulus});
    return *this;
  }
  CrackSectionResult run() const { return crack_section_property(in); }
};

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

// Nothing cracks in steel: axes at the centroid, cracked inertias I_g, cracking moments +-1, no
// long-term entries. Slanted edges are cut on their own lines (moving end points: axis 0.828);
// bars, one across the axis: the transformed section by hand with their own A r^2 / 4.
TEST(CrackSection, SteelSectionsAreUncrackedOnBothFaces) {
  struct Case {
    const char* name;
    SectionBuilder section;
    double centroid, i_g, axis_tolerance;
  };
  const auto steel = [](const std::vector<Node2D>& outline) {
    SectionBuilder s(e_steel);
    s.material(0, {true, e_steel}).polygon(0, outline);
    return s;
  };
  const std::vector<Node2D> rectangle = {{0.0, 0.0}, {100.0, 0.0}, {100.0, 200.0}, {0.0, 200.0}};
  SectionBuilder with_bars = steel(rectangle);
  with_bars.bar(0, 30.0, 500.0, 2.0 * e_steel).bar(0, 95.0, 800.0, 3.0 * e_steel);
  const double area = 20000.0 + 500.0 + 800.0 * 2.0, z = (20000.0 * 100.0 + 500.0 * 30.0 + 800.0 * 2.0 * 95.0) / area;
  const auto bar_i = [&](double a, double c, double ratio) { return ratio * a * ((c - z) * (c - z) + a / std::numbers::pi / 4.0); };
  ASSERT_LT(std::abs(z - 95.0), bar_radius(800.0));  // the second bar straddles the axis
  // Axes: F is linear, Ridders is exact but for round-off (bar segments: 1e-10).
  const Case cases[] = {
      {"rectangle", steel(rectangle), 100.0, 100.0 * std::pow(200.0, 3) / 12.0, 1e-12},
      {"triangle", steel({{0.0, 0.0}, {2.0, 0.0}, {0.0, 2.0}}), 2.0 / 3.0, 2.0 * 8.0 / 36.0, 1e-15},  // b h^3 / 36
      {"bars", with_bars, z,
       100.0 * std::pow(200.0, 3) / 12.0 + 20000.0 * (100.0 - z) * (100.0 - z) + bar_i(500.0, 30.0, 1.0) + bar_i(800.0, 95.0, 2.0),
       1e-10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto v = c.section.run().values;
    EXPECT_NEAR(v[BSP_CRACK_CENTROID], c.centroid, 1e-12);
    EXPECT_NEAR(v[BSP_CRACK_AXIS_UPPER], c.centroid, c.axis_tolerance);
    EXPECT_NEAR(v[BSP_CRACK_AXIS_LOWER], c.centroid, c.axis_tolerance);
    for (const int k : {BSP_CRACK_GROSS_INERTIA, BSP_CRACK_INERTIA_UPPER, BSP_CRACK_INERTIA_LOWER})
      EXPECT_NEAR(v[k], c.i_g, 1e-12 * c.i_g) << k;
    EXPECT_EQ(v[BSP_CRACK_MOMENT_POS], 1.0);
    EXPECT_EQ(v[BSP_CRACK_MOMENT_NEG], -1.0);
    for (int k = BSP_CRACK_CREEP_GROSS; k < BSP_CRACK_N_RESULTS; ++k) EXPECT_EQ(v[k], 0.0) << k;
  }
}

// Plain concrete: F vanishes only at the range ends, cracked entries are zero. Uncracked, the
// creep sum is p4 (I_d = I_eff), the entry p4 / (E_ref I_g); nothing restrains shrinkage.
TEST(CrackSection, PlainConcreteRectangleCracksThrough) {
  SectionBuilder s(e_concrete);
  s.material(0, {false, e_concrete, 3.0, -3e-4, 0.8, 2.5}).rectangle(0, 0.0, 0.0, 300.0, 500.0);
  const auto v = s.run().values;
  const double i_g = 300.0 * std::pow(500.0, 3) / 12.0;
  EXPECT_NEAR(v[BSP_CRACK_CENTROID], 250.0, 1e-12);           // round-off of 1e7-sized sums
  EXPECT_NEAR(v[BSP_CRACK_GROSS_INERTIA], 3.125e9, 1e-5);     // 1e-15 relative of 3e9
  EXPECT_EQ(v[BSP_CRACK_AXIS_UPPER], 500.0);
  EXPECT_EQ(v[BSP_CRACK_AXIS_LOWER], 0.0);
  for (const int k : {BSP_CRACK_INERTIA_UPPER, BSP_CRACK_INERTIA_LOWER}) EXPECT_EQ(v[k], 0.0) << k;
  EXPECT_NEAR(v[BSP_CRACK_CREEP_GROSS], 2.5 / (e_concrete * i_g), 1e-12 * 2.5 / (e_concrete * i_g));  // round-off
  EXPECT_NEAR(v[BSP_CRACK_SHRINKAGE_GROSS], 0.0, 1e-20);  // zero lever arm, round-off of z_eff - z_c
  for (int k = BSP_CRACK_CREEP_UPPER; k < BSP_CRACK_N_RESULTS; ++k) EXPECT_EQ(v[k], 0.0) << k;
}

// f_t I_g / distance, smallest over concrete fibres per sign: plain 3 * 3.125e9 / 250; webs of
// strengths 3 and 2 crack at the weaker; a slab above a steel web's centroid has no positive
// candidate (1), its top fibre gives the negative one. 1e-12 relative: round-off.
TEST(CrackSection, CrackingMomentIsTheSmallestOverConcreteFibres) {
  const double n = e_steel / e_concrete, z = (n * 90000.0 * 150.0 + 100000.0 * 350.0) / (n * 90000.0 + 100000.0);
  const double i_slab = n * (std::pow(300.0, 4) / 12.0 + 90000.0 * (150.0 - z) * (150.0 - z)) + 1e9 / 12.0 +
                        100000.0 * (350.0 - z) * (350.0 - z);
  SectionBuilder webs(e_concrete), slab(e_concrete);
  webs.material(0, {false, e_concrete, 3.0}).material(1, {false, e_concrete, 2.0});
  webs.rectangle(0, 0.0, 0.0, 300.0, 500.0).rectangle(1, 300.0, 0.0, 600.0, 500.0);
  slab.material(0, {true, e_steel}).material(1, {false, e_concrete, 3.0});
  slab.rectangle(0, 0.0, 0.0, 300.0, 300.0).rectangle(1, -350.0, 300.0, 650.0, 400.0);
  const struct {
    const char* name;
    SectionBuilder section;
    double pos, neg;
  } cases[] = {{"plain", plain_concrete_beam(), 3.75e7, -3.75e7}, {"two webs", webs, 5e7, -5e7},
               {"slab above", slab, 1.0, 3.0 * i_slab / (z - 400.0)}};
  for (const auto& c : cases) {
    const auto v = c.section.run().values;
    EXPECT_NEAR(v[BSP_CRACK_MOMENT_POS], c.pos, 1e-12 * std::abs(c.pos)) << c.name;
    EXPECT_NEAR(v[BSP_CRACK_MOMENT_NEG], c.neg, 1e-12 * std::abs(c.neg)) << c.name;
  }
}

// Cracked transformed sections, upper face compressed (Park & Paulay, ch. 10): x is the depth of
// the compressed zone, n the modular ratio, each bar adds n A_s r^2 / 4. Rectangle: b x^2 / 2 +
// (n - 1) A_s' (x - d') = n A_s (d - x); tee, axis in the web; steel beam under a slab, whose
// lower-face values are the steel's own. Axes: search tolerance; inertias: round-off.
TEST(CrackSection, ReinforcedSectionsMatchTheTransformedSection) {
  const double n = e_steel / e_concrete;
  struct Case {
    SectionBuilder section;
    double axis_upper, inertia_upper, axis_lower = std::nan(""), inertia_lower = std::nan("");
  };
  const auto rectangle = [&](double as, double asc) {
    const double b = 300.0, h = 500.0, d = 450.0, dc = 50.0, r = bar_radius(as), rc = bar_radius(asc);
    SectionBuilder s = plain_concrete_beam();
    s.bar(0, h - d, as, e_steel);
    if (asc > 0.0) s.bar(0, h - dc, asc, e_steel);
    const double x = larger_root(b / 2.0, (n - 1.0) * asc + n * as, -(n - 1.0) * asc * dc - n * as * d);
    EXPECT_GT(h - dc - rc, h - x);  // a compression bar lies wholly above the axis
    return Case{s, h - x, b * x * x * x / 3.0 + (n - 1.0) * asc * ((x - dc) * (x - dc) + rc * rc / 4.0) +
                              n * as * ((d - x) * (d - x) + r * r / 4.0)};
  };
  std::vector<Case> cases = {rectangle(1500.0, 0.0), rectangle(1500.0, 600.0), rectangle(1000.0, 0.0)};
  EXPECT_NEAR(cases.back().axis_upper, 379.06556970305417, 1e-9);  // reference axis, one bar of 1000
  {
    const double bf = 1000.0, hf = 100.0, bw = 300.0, h = 600.0, d = 550.0, as = 4000.0, r = bar_radius(as);
    SectionBuilder s(e_concrete);
    s.material(0, {false, e_concrete, 3.0})
        .polygon(0, {{350.0, 0.0}, {650.0, 0.0}, {650.0, 500.0}, {1000.0, 500.0}, {1000.0, 600.0}, {0.0, 600.0},
                     {0.0, 500.0}, {350.0, 500.0}})
        .bar(0, h - d, as, e_steel);
    // bf hf (x - hf/2) + bw (x - hf)^2 / 2 = n A_s (d - x), x > hf.
    const double x = larger_root(bw / 2.0, bf * hf - bw * hf + n * as, -bf * hf * hf / 2.0 + bw * hf * hf / 2.0 - n * as * d);
    EXPECT_GT(x, hf);
    cases.push_back({s, h - x,
                     bf * hf * hf * hf / 12.0 + bf * hf * (x - hf / 2.0) * (x - hf / 2.0) + bw * std::pow(x - hf, 3) / 3.0 +
                         n * as * ((d - x) * (d - x) + r * r / 4.0)});
  }
  {
    const double top = 500.0, a_st = 2.0 * 200.0 * 20.0 + 10.0 * 260.0;
    const double i_st = 200.0 * std::pow(300.0, 3) / 12.0 - 190.0 * std::pow(260.0, 3) / 12.0;
    SectionBuilder s(e_steel);
    s.material(0, {false, e_concrete, 3.0}).material(1, {true, e_steel}).rectangle(0, -400.0, 300.0, 600.0, top);
    s.polygon(1, {{0.0, 0.0}, {200.0, 0.0}, {200.0, 20.0}, {105.0, 20.0}, {105.0, 280.0}, {200.0, 280.0},
                  {200.0, 300.0}, {0.0, 300.0}, {0.0, 280.0}, {95.0, 280.0}, {95.0, 20.0}, {0.0, 20.0}});
    const double u = larger_root(1000.0 / n / 2.0, a_st, -a_st * (top - 150.0));  // u = top - axis, in the slab
    EXPECT_LT(u, 200.0);
    cases.push_back({s, top - u, 1000.0 / n * u * u * u / 3.0 + i_st + a_st * (top - u - 150.0) * (top - u - 150.0), 150.0, i_st});
  }
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    const auto v = c.section.run().values;
    EXPECT_NEAR(v[BSP_CRACK_AXIS_UPPER], c.axis_upper, 1e-9) << k;
    EXPECT_NEAR(v[BSP_CRACK_INERTIA_UPPER], c.inertia_upper, 1e-12 * c.inertia_upper) << k;
    if (!std::isnan(c.axis_lower)) {
      EXPECT_NEAR(v[BSP_CRACK_AXIS_LOWER], c.axis_lower, 1e-9);
      EXPECT_NEAR(v[BSP_CRACK_INERTIA_LOWER], c.inertia_lower, 1e-12 * c.inertia_lower);
    }
  }
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

// Moving the section moves only positions; mirroring swaps the faces and turns signs; collinear
// pieces change nothing. 1e-9: the search tolerance, far above round-off at 1500.
TEST(CrackSection, TranslationMirrorAndRefinementInvariance) {
  const CrackSectionResult base = doubly_reinforced(0.0, false, 1).run();
  const auto& v = base.values;
  // Two ends and ~10 Ridders steps per face; a search spinning to its limits takes 2 * 302.
  EXPECT_LE(base.evaluations, 2 * 30);
  EXPECT_GE(base.evaluations, 2 * 4);
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

// Gilbert & Ranzi, ch. 5: kappa = -eps_sh E_s A_s (d - z_eff) / (E I)_eff, equal to the
// library's concrete sum as the long-term first moment about z_eff vanishes.
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

  // Cracked, upper face compressed: concrete above a1 at E_eff, the bar at E_s.
  const double a1 = v[BSP_CRACK_AXIS_UPPER];
  const double x = h - a1;
  const double ea1 = e_eff * b * x + e_steel * as;
  const double z1 = (e_eff * b * x * (a1 + x / 2.0) + e_steel * as * c) / ea1;
  const double zc = a1 + x / 2.0;
  const double ei1 = e_eff * (b * x * x * x / 12.0 + b * x * (zc - z1) * (zc - z1)) +
                     e_steel * as * ((c - z1) * (c - z1) + r * r / 4.0);
  const double kappa1 = -eps * e_steel * as * (c - z1) / ei1;
  EXPECT_NEAR(v[BSP_CRACK_SHRINKAGE_UPPER], kappa1, 1e-10 * std::abs(kappa1));  // as above
  // Creep sum: the compressed block about z1, with the lever arm to the neutral axis.
  const double creep1 = phi * (e_eff * (b * x * x * x / 12.0 + b * x * (zc - z1) * (zc - z1)) +
                               e_eff * b * x * (z1 - zc) * (a1 - z1)) / ei1;
  EXPECT_NEAR(v[BSP_CRACK_CREEP_UPPER], creep1 / (e_concrete * v[BSP_CRACK_INERTIA_UPPER]),
              1e-10 * std::abs(creep1 / (e_concrete * v[BSP_CRACK_INERTIA_UPPER])));  // as above
}

}  // namespace
}  // namespace bsp
