// Accuracy of the meshed-section exports against closed forms and invariants.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <random>
#include <vector>

#include "support/export_calls.h"

namespace bsp {
namespace {

using namespace bsp::test;
constexpr double pi = std::numbers::pi;

MeshedSection rectangle(double b, double h, int ny, int nz) {
  return {.mesh = rectangle_part(0, 0, b, h, ny, nz, 1), .level = 3};
}

// Channel: web of centre-line height h on y = 0, flanges of centre-line width b towards +y, all
// plates t thick; five parts.
MeshedSection channel() {
  const double t = plate_t, h = plate_h, b = plate_b;
  const auto ys = grid_lines({{t / 2, 2}, {b, 49}}, -t / 2);
  const auto zs = grid_lines({{-h / 2 + t / 2, 2}, {h / 2 - t / 2, 98}, {h / 2 + t / 2, 2}}, -h / 2 - t / 2);
  MeshedSection s{.level = 3};
  for (const auto& [i0, i1, j0, j1] : {std::array{0, 2, 0, 2}, {0, 2, 2, 100}, {0, 2, 100, 102}, {2, 51, 0, 2},
                                       {2, 51, 100, 102}})
    s.mesh.append(grid_part(ys, zs, i0, i1, j0, j1, 1));
  return s;
}

double shear_centre_y(const CombResult& r) { return r[BSP_SLOT_CENTROID_Y] - r[BSP_SLOT_CENTROID_MINUS_SC_Y]; }
double shear_centre_z(const CombResult& r) { return r[BSP_SLOT_CENTROID_Z] - r[BSP_SLOT_CENTROID_MINUS_SC_Z]; }

TEST(MeshedSectionAccuracy, RectangleMatchesTheElasticitySolutions) {
  const double b = 2.0, h = 1.0;
  const CombResult r = comb(rectangle(b, h, 20, 10));
  ASSERT_EQ(r.code, BSP_OK);
  // Area and second moments integrated exactly (round-off only); symmetry zeroes I12 and the offsets.
  const std::vector<std::array<double, 3>> exact = {
      {BSP_SLOT_AREA, b * h, 1e-13}, {BSP_SLOT_I1, h * b * b * b / 12, 1e-13}, {BSP_SLOT_I2, b * h * h * h / 12, 1e-13},
      {BSP_SLOT_I12, 0, 0}, {BSP_SLOT_CENTROID_MINUS_SC_Y, 0, 0}, {BSP_SLOT_CENTROID_MINUS_SC_Z, 0, 0}};
  for (const auto& [slot, value, tolerance] : exact)
    EXPECT_NEAR(r[static_cast<std::size_t>(slot)], value, tolerance) << slot;
  // 800 quadratic triangles resolve the warping function to better than 1e-4 of J.
  const double j = rectangle_torsion_constant(b, h);
  EXPECT_NEAR(r[BSP_SLOT_TORSION_CONSTANT] / j, 1.0, 1e-4);
  // nu = 0: the beam-theory parabola, shear-area ratio 5/6; discretisation error below 1e-3.
  EXPECT_NEAR(r[BSP_SLOT_ALPHA_Y], 5.0 / 6, 1e-3);
  EXPECT_NEAR(r[BSP_SLOT_ALPHA_Z], 5.0 / 6, 1e-3);
  // The parabola's peak 1.5 V / A on the neutral axis; 1e-2: taken at integration or extrapolated
  // node points, not exactly on the axis.
  EXPECT_NEAR(std::abs(r[BSP_SLOT_TAU_Z_OF_VZ]) * b * h, 1.5, 1.5e-2);
  // Level 3: the largest |tau_z| of V_z (fourth field) lies on z = h/2 within one cell (h/10); its
  // offset is from the centroid, to the round-off of one subtraction.
  const std::size_t x = BSP_SLOT_EXTREMES(0), field = 3;
  EXPECT_NEAR(std::abs(r[x + 12 + field]) * b * h, 1.5, 1.5e-2);
  EXPECT_NEAR(r[x + 2 * field + 1], h / 2, h / 10);
  EXPECT_NEAR(r[x + 18 + 2 * field], r[x + 2 * field] - r[BSP_SLOT_CENTROID_Y], 1e-14);
  EXPECT_NEAR(r[x + 18 + 2 * field + 1], r[x + 2 * field + 1] - r[BSP_SLOT_CENTROID_Z], 1e-14);
}

TEST(MeshedSectionAccuracy, SolidCircleHasPolarTorsionConstantAndNoWarping) {
  const double radius = 1.0;
  const CombResult r = comb(
      {.mesh = disc_part(radius, 8, 24, 1), .stress_y = {0.5, 0.0, -0.7}, .stress_z = {0.0, 0.9, 0.3}, .level = 2});
  ASSERT_EQ(r.code, BSP_OK);
  // Quadratic rim through 48 points: area within 1e-5 of pi R^2.
  EXPECT_NEAR(r[BSP_SLOT_AREA] / (pi * radius * radius), 1.0, 1e-5);
  EXPECT_NEAR(r[BSP_SLOT_TORSION_CONSTANT] / (pi * std::pow(radius, 4) / 2), 1.0, 5e-3);
  // A circle's warping vanishes; what is left is discretisation noise, small against R^2.
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(r[BSP_SLOT_STRESS_POINTS + i], 0.0, 1e-4) << i;
  EXPECT_NEAR(r[BSP_SLOT_WARPING_CONSTANT], 0.0, 1e-6);
}

// Thin-walled theory: shear centre e = 3 b^2 t_f / (6 b t_f + h t_w) behind the web (Megson,
// Aircraft Structures, sec. 17.3); 3 %: walls t/b = 0.04 are not infinitely thin.
TEST(MeshedSectionAccuracy, ChannelShearCentreLiesBehindTheWeb) {
  const double t = plate_t, h = plate_h, b = plate_b;
  const CombResult r = comb(channel());
  ASSERT_EQ(r.code, BSP_OK);
  const double e = 3 * b * b * t / (6 * b * t + h * t);
  EXPECT_LT(shear_centre_y(r), -t / 2);  // outside the web, on the side away from the flanges
  EXPECT_NEAR(-shear_centre_y(r) / e, 1.0, 3e-2);
  EXPECT_NEAR(shear_centre_z(r), 0.0, 1e-9);
  EXPECT_EQ(r[BSP_SLOT_I12], 0.0);
}

// The channel moved by (dy, dz) and turned by a quarter turn when `turn`.
MeshedSection moved_channel(double dy, double dz, bool turn) {
  MeshedSection s = channel();
  s.mesh.transform(turn ? 0.0 : 1.0, turn ? 1.0 : 0.0, dy, dz);
  return s;
}

void expect_relative(double actual, double expected, double tolerance, const char* what) {
  EXPECT_NEAR(actual, expected, tolerance * std::abs(expected)) << what;
}

// The section with its nodes renumbered at random inside each part.
MeshedSection shuffled_nodes(const MeshedSection& s) {
  MeshedSection shuffled = s;
  std::vector<std::int32_t> perm(static_cast<std::size_t>(s.n_nodes()));
  std::iota(perm.begin(), perm.end(), 0);
  std::mt19937 rng(11);
  auto first = perm.begin();
  for (std::int32_t count : s.mesh.part_node_count) {
    std::shuffle(first, first + count, rng);
    first += count;
  }
  for (std::size_t i = 0; i < perm.size(); ++i) {
    shuffled.mesh.y[static_cast<std::size_t>(perm[i])] = s.mesh.y[i];
    shuffled.mesh.z[static_cast<std::size_t>(perm[i])] = s.mesh.z[i];
  }
  for (auto& n : shuffled.mesh.connectivity) n = perm[static_cast<std::size_t>(n - 1)] + 1;
  return shuffled;
}

// Moved by (100, -50): 1e-9, round-off some 20 section sizes from the origin. A quarter turn,
// (y, z) -> (-z, y), swaps the axes: 1e-10 round-off. Renumbered: every slot to round-off.
TEST(MeshedSectionAccuracy, TranslationQuarterTurnAndRenumbering) {
  const CombResult base = comb(channel()), moved = comb(moved_channel(100.0, -50.0, false)),
                   turned = comb(moved_channel(0.0, 0.0, true)), renumbered = comb(shuffled_nodes(channel()));
  for (const CombResult* r : {&base, &moved, &turned, &renumbered}) ASSERT_EQ(r->code, BSP_OK);
  EXPECT_NEAR(moved[BSP_SLOT_CENTROID_Y], base[BSP_SLOT_CENTROID_Y] + 100.0, 1e-9);
  EXPECT_NEAR(moved[BSP_SLOT_CENTROID_Z], base[BSP_SLOT_CENTROID_Z] - 50.0, 1e-9);
  EXPECT_NEAR(shear_centre_y(moved), shear_centre_y(base) + 100.0, 1e-9);
  EXPECT_NEAR(shear_centre_z(moved), shear_centre_z(base) - 50.0, 1e-9);
  EXPECT_NEAR(shear_centre_z(turned), shear_centre_y(base), 1e-9);
  EXPECT_NEAR(shear_centre_y(turned), -shear_centre_z(base), 1e-9);
  for (const auto& [to, from] : {std::pair{BSP_SLOT_I1, BSP_SLOT_I2}, {BSP_SLOT_I2, BSP_SLOT_I1},
                                {BSP_SLOT_ALPHA_Y, BSP_SLOT_ALPHA_Z}, {BSP_SLOT_ALPHA_Z, BSP_SLOT_ALPHA_Y},
                                {BSP_SLOT_TORSION_CONSTANT, BSP_SLOT_TORSION_CONSTANT},
                                {BSP_SLOT_WARPING_CONSTANT, BSP_SLOT_WARPING_CONSTANT}}) {
    const auto t = static_cast<std::size_t>(to), f = static_cast<std::size_t>(from);
    EXPECT_NEAR(moved[t], base[t], 1e-9 * std::abs(base[t])) << "moved, slot " << t;
    EXPECT_NEAR(turned[t], base[f], 1e-10 * std::abs(base[f])) << "turned, slot " << t;
  }
  for (std::size_t slot = 0; slot < base.result.documented; ++slot)  // round-off only
    EXPECT_NEAR(renumbered[slot], base[slot], 1e-12 * (1.0 + std::abs(base[slot]))) << "renumbered, slot " << slot;
}

// Two identical 2 x 1 rectangles 2 apart, with a stress point in each.
MeshedSection two_rectangles(bool reversed) {
  const PartsMesh left = rectangle_part(0, 0, 2, 1, 8, 4, 1), right = rectangle_part(4, 0, 2, 1, 8, 4, 1);
  MeshedSection s{
      .mesh = reversed ? right : left, .stress_y = {0.3, 5.7, 1.9}, .stress_z = {0.1, 0.8, 0.95}, .level = 2};
  s.mesh.append(reversed ? left : right);
  return s;
}

TEST(MeshedSectionAccuracy, DisjointPartsLeaveNoArbitraryWarpingConstant) {
  const CombResult a = comb(two_rectangles(false)), b = comb(two_rectangles(true)),
                   c = comb(shuffled_nodes(two_rectangles(false)));
  for (const CombResult* r : {&a, &b, &c}) ASSERT_EQ(r->code, BSP_OK);
  const double iw = a[BSP_SLOT_WARPING_CONSTANT];
  // Independent of order and numbering to round-off.
  expect_relative(b[BSP_SLOT_WARPING_CONSTANT], iw, 1e-9, "reversed parts");
  expect_relative(c[BSP_SLOT_WARPING_CONSTANT], iw, 1e-9, "renumbered parts");
  double scale = 0.0;
  for (std::size_t i = 0; i < 3; ++i) scale = std::max(scale, std::abs(a[BSP_SLOT_STRESS_POINTS + i]));
  ASSERT_GT(scale, 0.0);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(b[BSP_SLOT_STRESS_POINTS + i], a[BSP_SLOT_STRESS_POINTS + i], 1e-9 * scale) << i;
    EXPECT_NEAR(c[BSP_SLOT_STRESS_POINTS + i], a[BSP_SLOT_STRESS_POINTS + i], 1e-9 * scale) << i;
  }
  // About the common shear centre each rectangle's warping is its own plus d (z - z_c), d = 2 its
  // centroid's distance, so Iw = 2 (Iw_one + d^2 I2_one); exact in quadratic elements: round-off.
  const double d = 2.0, i2_one = 2.0 / 12;
  const CombResult one = comb({.mesh = rectangle_part(0, 0, 2, 1, 8, 4, 1), .level = 2});
  expect_relative(2 * (one[BSP_SLOT_WARPING_CONSTANT] + d * d * i2_one), iw, 1e-9, "two rectangles");
}

// A 2 x 1 rectangle of exact doubles at the origin and at (1e8, 1e8): the solver works relative to
// the section, so the two agree in every value that does not depend on the position.
TEST(MeshedSectionAccuracy, FarRectangleKeepsItsDigits) {
  const MeshedSection near{.mesh = rectangle_part(0.0, 0.0, 2.0, 1.0, 8, 4, 1)};
  MeshedSection far = near;
  for (double& y : far.mesh.y) y += 1e8;
  for (double& z : far.mesh.z) z += 1e8;
  const CombResult a = comb(near), b = comb(far);
  ASSERT_EQ(a.code, BSP_OK);
  ASSERT_EQ(b.code, BSP_OK);
  for (std::size_t slot : {BSP_SLOT_AREA, BSP_SLOT_I1, BSP_SLOT_I2, BSP_SLOT_TORSION_CONSTANT, BSP_SLOT_ALPHA_Y,
                           BSP_SLOT_ALPHA_Z, BSP_SLOT_WARPING_CONSTANT})
    EXPECT_NEAR(b[slot], a[slot], 1e-11 * std::abs(a[slot])) << "slot " << slot;  // the section's own digits
  EXPECT_NEAR(b[BSP_SLOT_CENTROID_Y], a[BSP_SLOT_CENTROID_Y] + 1e8, 1e-8);  // one rounding of 1e8 + 1
  EXPECT_NEAR(b[BSP_SLOT_CENTROID_Z], a[BSP_SLOT_CENTROID_Z] + 1e8, 1e-8);
  // The per-part and detail centroids are moved back as well.
  const PartResult p = part_main(far);
  ASSERT_EQ(p.code, BSP_OK);
  EXPECT_NEAR(p.at(1, BSP_PART_CENTROID_Y), 1e8 + 1.0, 1e-8);  // one rounding of 1e8 + 1
  EXPECT_NEAR(p.at(1, BSP_PART_CENTROID_Z), 1e8 + 0.5, 1e-8);
  EXPECT_NEAR(p.at(1, BSP_PART_I1), a[BSP_SLOT_I1], 1e-11 * a[BSP_SLOT_I1]);  // the section's own digits
  const DetailResult d = detail(far, Forces{});
  ASSERT_EQ(d.code, BSP_OK);
  EXPECT_NEAR(d.section[BSP_SLOT_CENTROID_Y], 1e8 + 1.0, 1e-8);
}

// Shear stresses to 1e-2 of the peak (derivatives extrapolated to the points). Rectangle 1 x 2,
// nu = 0, V_z = 3: peak 1.5 V / A on the neutral axis. Disc R = 1, T = 2: tau = T r / J, tangential.
TEST(BSPDetail, ShearStressesOfARectangleAndACircle) {
  MeshedSection rect = rectangle(1.0, 2.0, 10, 20);
  rect.stress_y = {0.5};
  rect.stress_z = {1.0};
  const MeshedSection disc{.mesh = disc_part(1.0, 8, 24, 1), .stress_y = {0.0, 0.999999}, .stress_z = {0.0, 0.0}};
  const double rim = 2.0 / (pi / 2);
  const struct {
    const MeshedSection* s;
    Forces f;
    std::size_t point;
    double tau_z, peak;
  } cases[] = {{&rect, Forces{.v_z = 3.0}, 0, 1.5 * 3.0 / 2.0, 2.25}, {&disc, Forces{.t = 2.0}, 1, rim, rim},
               {&disc, Forces{.t = 2.0}, 0, 0.0, rim}};
  for (const auto& c : cases) {
    const DetailResult r = detail(*c.s, c.f);
    ASSERT_EQ(r.code, BSP_OK);
    const std::size_t n = c.s->stress_y.size();
    EXPECT_NEAR(r.stress(0, c.point, 1, n), 0.0, 1e-2 * c.peak) << c.point;
    EXPECT_NEAR(r.stress(0, c.point, 2, n), c.tau_z, 1e-2 * c.peak) << c.point;
  }
}

// Lower half E = 1, nu = 0, upper half E = 3, nu = 0.5. Plane sections: sigma_m = E_m (N / A +
// M_y z' / I2 + M_z y' / I1), transformed A = 4, centroid (1, 0.625), exact: round-off only.
// Material 2's shear is twice material 1's (G_2 = 1, G_1 = 0.5). Von Mises: sqrt(sigma^2 + 3 tau^2).
TEST(BSPDetail, PlaneSectionsAndEachMaterialsModuli) {
  MeshedSection s{.mesh = rectangle_part(0, 0, 2, 0.5, 16, 4, 1), .modulus = {1.0, 3.0}, .poisson = {0.0, 0.5},
                  .weight = {1.0, 1.0}, .stress_y = {1.0, 1.3}, .stress_z = {0.25, 0.8}};
  s.mesh.append(rectangle_part(0, 0.5, 2, 0.5, 16, 4, 2));
  const Forces f{.n = 8.0, .v_z = 2.0, .m_y = 0.5, .m_z = -0.25};
  const DetailResult r = detail(s, f);
  ASSERT_EQ(r.code, BSP_OK);
  const double zc = 0.625, i1 = 4 * 0.5 * 8 / 12.0, own = 2 * 0.125 / 12;
  const double i2 = own + (0.25 - zc) * (0.25 - zc) + 3 * (own + (0.75 - zc) * (0.75 - zc));
  for (std::size_t i = 0; i < 2; ++i) {
    const double dy = s.stress_y[i] - 1.0, dz = s.stress_z[i] - zc;
    EXPECT_NEAR(r.offsets[2 * i], dy, 1e-13);
    EXPECT_NEAR(r.offsets[2 * i + 1], dz, 1e-13);
    EXPECT_EQ(r.materials[i], static_cast<double>(i + 1));
    EXPECT_NEAR(r.stress(1, i, 2, 2), 2.0 * r.stress(0, i, 2, 2), 1e-12) << i;
    for (std::size_t m = 0; m < 2; ++m) {
      const double sigma = s.modulus[m] * (f.n / 4 + f.m_y * dz / i2 + f.m_z * dy / i1);
      const double tau_y = r.stress(m, i, 1, 2), tau_z = r.stress(m, i, 2, 2);
      EXPECT_NEAR(r.stress(m, i, 0, 2), sigma, 1e-12) << m << i;
      const double von_mises = std::sqrt(sigma * sigma + 3 * (tau_y * tau_y + tau_z * tau_z));
      EXPECT_NEAR(r.stress(m, i, 3, 2), von_mises, 1e-12) << m << i;
    }
  }
}

}  // namespace
}  // namespace bsp
