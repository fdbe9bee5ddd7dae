// Accuracy of the outline exports against closed forms, against the
// meshed-section export on an independent host mesh, and invariance under
// the order of the outline's data, translation and the scaling rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "support/export_calls.h"

namespace bsp {
namespace {

using namespace bsp::test;
constexpr double pi = std::numbers::pi;

OutlineSection rectangle(double y0, double z0, double b, double h) {
  OutlineSection s;
  s.add_loop({{y0, z0}, {y0 + b, z0}, {y0 + b, z0 + h}, {y0, z0 + h}});
  s.add_region(1.0);
  s.level = 1;
  return s;
}

// Rectangles at the automatic size: polygon integrals exact to round-off,
// J within 1e-3 of the series, and each half's first moment h b^2 / 8 (the
// slot adds the magnitudes of both halves: h b^2 / 4).
TEST(OutlineAccuracy, RectangleAtTheAutomaticSize) {
  // The automatic size cuts the shorter side into two pieces only: J of a
  // 1 : 9 rectangle is then within 2.5e-3, of squarer ones within 1e-3.
  const struct {
    double y0, z0, b, h, j_tolerance;
  } cases[] = {{0, 0, 1, 1, 1e-3}, {-3, 2, 4, 1.5, 1e-3}, {100, -40, 0.3, 2.7, 2.5e-3}, {0, 0, 10, 1, 2.5e-3}};
  for (const auto& c : cases) {
    const CombResult r = mesh_main(rectangle(c.y0, c.z0, c.b, c.h));
    ASSERT_EQ(r.code, BSP_OK);
    const double a = c.b * c.h;
    const double tol = 1e-12;  // round-off of sums over a few hundred elements
    EXPECT_NEAR(r[BSP_SLOT_AREA], a, tol * a);
    EXPECT_NEAR(r[BSP_SLOT_CENTROID_Y], c.y0 + c.b / 2, tol * std::max(1.0, std::abs(c.y0) + c.b));
    EXPECT_NEAR(r[BSP_SLOT_CENTROID_Z], c.z0 + c.h / 2, tol * std::max(1.0, std::abs(c.z0) + c.h));
    // Second moments about a centroid far from the origin lose digits to
    // the translation: tolerance scaled by (distance / size)^2.
    const double far = std::pow(1.0 + (std::abs(c.y0) + std::abs(c.z0)) / std::min(c.b, c.h), 2);
    EXPECT_NEAR(r[BSP_SLOT_I1], c.h * c.b * c.b * c.b / 12, tol * far * c.h * c.b * c.b * c.b / 12);
    EXPECT_NEAR(r[BSP_SLOT_I2], c.b * c.h * c.h * c.h / 12, tol * far * c.b * c.h * c.h * c.h / 12);
    const double j = rectangle_torsion_constant(c.b, c.h);
    EXPECT_NEAR(r[BSP_SLOT_TORSION_CONSTANT], j, c.j_tolerance * j);  // discretisation error, see above
    EXPECT_NEAR(r[BSP_SLOT_FIRST_MOMENT_Y], c.h * c.b * c.b / 4, tol * far * c.h * c.b * c.b);
    EXPECT_NEAR(r[BSP_SLOT_FIRST_MOMENT_Z], c.b * c.h * c.h / 4, tol * far * c.b * c.h * c.h);
  }
}

// Doubly symmetric I: flanges b wide, web of centre-line height h, plates t
// thick (the section of the meshed-section accuracy tests).

OutlineSection i_outline() {
  const double t = plate_t, h = plate_h, b = plate_b;
  OutlineSection s;
  const double zb = -h / 2 - t / 2, zb2 = -h / 2 + t / 2, zt = h / 2 - t / 2, zt2 = h / 2 + t / 2;
  s.add_loop({{-b / 2, zb}, {b / 2, zb}, {b / 2, zb2}, {t / 2, zb2}, {t / 2, zt}, {b / 2, zt},
              {b / 2, zt2}, {-b / 2, zt2}, {-b / 2, zt}, {-t / 2, zt}, {-t / 2, zb2}, {-b / 2, zb2}});
  s.add_region(1.0);
  s.level = 1;
  return s;
}

// The same I-section as an outline, as a host mesh and as standard type 7
// (clear web h - t, flanges 2t together, width b, web t): area and second
// moments agree to round-off (all exact); J, the warping constant and the
// shear-area ratios within 1 % (three different meshes of the thin plates).
TEST(OutlineAccuracy, ISectionAgreesWithTheMeshedAndStandardExports) {
  const CombResult o = mesh_main(i_outline());
  MeshedSection host;
  host.mesh = plate_i_section();
  const CombResult m = comb(host);
  ASSERT_EQ(o.code, BSP_OK);
  ASSERT_EQ(m.code, BSP_OK);
  const StandardRun type7 = standard_call(Std::main, 7, {plate_h - plate_t, 2 * plate_t, plate_b, plate_t},
                                          {.nu = 0.0});  // the outline's Poisson ratio
  ASSERT_GT(type7[BSP_SLOT_AREA], 0.0) << BSPLastError();
  for (const std::vector<double>& other : {type7.result.body(), m.result.body()}) {
    for (const std::size_t slot : {BSP_SLOT_AREA, BSP_SLOT_I1, BSP_SLOT_I2})
      EXPECT_NEAR(o[slot], other[slot], 1e-10 * other[slot]) << "slot " << slot;
    for (const std::size_t slot : {BSP_SLOT_TORSION_CONSTANT, BSP_SLOT_WARPING_CONSTANT, BSP_SLOT_ALPHA_Y, BSP_SLOT_ALPHA_Z})
      EXPECT_NEAR(o[slot], other[slot], 1e-2 * other[slot]) << "slot " << slot;
  }
  const double t = plate_t, h = plate_h, b = plate_b;
  const double area = 2 * b * t + (h - t) * t;
  EXPECT_NEAR(o[BSP_SLOT_AREA], area, 1e-10 * area);
  EXPECT_NEAR(o[BSP_SLOT_I1], 2 * t * b * b * b / 12 + (h - t) * t * t * t / 12, 1e-10 * 4.2);
  EXPECT_NEAR(o[BSP_SLOT_I2], 2 * (b * t * t * t / 12 + b * t * h * h / 4) + t * std::pow(h - t, 3) / 12,
              1e-10 * 66);
  // Thin-walled warping constant t_f b^3 h^2 / 24 (Timoshenko & Gere,
  // Theory of Elastic Stability, sec. 5.10): 3 %, the web and the plate
  // thickness that theory neglects. Symmetry: shear centre on the centroid.
  EXPECT_NEAR(m[BSP_SLOT_WARPING_CONSTANT] / (t * b * b * b * h * h / 24), 1.0, 3e-2);
  EXPECT_EQ(m[BSP_SLOT_CENTROID_MINUS_SC_Y], 0.0);
  EXPECT_EQ(m[BSP_SLOT_CENTROID_MINUS_SC_Z], 0.0);
}

// Box 10 x 8 with a 6 x 4 inner rectangle at (2, 2) of modulus 4 and two
// bars: polygon integrals and closed-form bars, exact to round-off. I2 about
// the centroid: box 10 x 8 (E_ref) plus 3 x the 6 x 4 block at z = 4, plus
// the bars' own and transfer terms. (The box with a hole: outline_exports.)
TEST(OutlineAccuracy, TransformedValuesOfMaterialsAndBars) {
  OutlineSection s;
  s.add_loop({{0, 0}, {10, 0}, {10, 8}, {0, 8}});
  s.add_loop({{2, 2}, {8, 2}, {8, 6}, {2, 6}});
  s.add_region(1.0);
  s.add_region(4.0);
  s.bars.add(0.5, 1, 1, 11, 1);
  s.bars.add(0.5, 9, 1, 11, 1);
  const double bar = pi * 0.25 * 10;  // each: pi r^2 (E_b / E_ref - 1)
  const double area = 80 + 3 * 24 + 2 * bar, zc = (80 * 4 + 3 * 24 * 4 + 2 * bar * 1) / area;
  const double i2 = 10 * 512.0 / 12 + 80 * (4 - zc) * (4 - zc) + 3 * (6 * 64.0 / 12 + 24 * (4 - zc) * (4 - zc)) +
                    2 * (bar * 0.25 / 4 + bar * (1 - zc) * (1 - zc));
  const CombResult r = mesh_main(s);
  ASSERT_EQ(r.code, BSP_OK);
  EXPECT_NEAR(r[BSP_SLOT_AREA], area, 1e-12 * area);
  EXPECT_NEAR(r[BSP_SLOT_CENTROID_Y], 5, 1e-12 * 5);
  EXPECT_NEAR(r[BSP_SLOT_CENTROID_Z], zc, 1e-12 * 5);
  EXPECT_NEAR(r[BSP_SLOT_I2], i2, 1e-12 * i2);
}

// The order of points and segments does not matter (beyond the region
// order it fixes), nor do translation and linear_elements; the scaling rule
// makes element size 0.01 on a unit square the same mesh as size 2 on a
// 200 x 200 square.
TEST(OutlineAccuracy, InvariantUnderOrderTranslationAndScale) {
  OutlineSection base = rectangle_with_hole(1.0, 0.0);
  base.level = 1;
  const CombResult r0 = mesh_main(base);
  ASSERT_EQ(r0.code, BSP_OK);

  // Points listed in reverse, segments reordered and some reversed; the
  // first segment is still an outer one, so the rectangle stays region 1.
  OutlineSection shuffled = base;
  const auto n = static_cast<std::int32_t>(base.point_y.size());
  std::reverse(shuffled.point_y.begin(), shuffled.point_y.end());
  std::reverse(shuffled.point_z.begin(), shuffled.point_z.end());
  shuffled.segments.clear();
  const int order[] = {2, 5, 0, 7, 4, 1, 6, 3};
  for (const int k : order) {
    const std::int32_t a = base.segments[2 * static_cast<std::size_t>(k)];
    const std::int32_t b = base.segments[2 * static_cast<std::size_t>(k) + 1];
    const bool flip = k % 3 == 0 && k >= 4;  // hole segments 4 and 7 drawn the other way
    shuffled.segments.push_back(n + 1 - (flip ? b : a));
    shuffled.segments.push_back(n + 1 - (flip ? a : b));
  }
  OutlineSection moved = base;
  for (double& y : moved.point_y) y += 1000;
  for (double& z : moved.point_z) z -= 500;

  for (const OutlineSection* s : {&shuffled, &moved}) {
    const CombResult r = mesh_main(*s);
    ASSERT_EQ(r.code, BSP_OK);
    // Exact integrals: round-off, larger far from the origin (1000 / 10)^2.
    for (const std::size_t slot : {BSP_SLOT_AREA, BSP_SLOT_I1, BSP_SLOT_I2, BSP_SLOT_FIRST_MOMENT_Y,
                                   BSP_SLOT_FIRST_MOMENT_Z})
      EXPECT_NEAR(r[slot], r0[slot], 1e-9 * r0[slot]) << "slot " << slot;
    // Field values: the same mesh up to numbering and position.
    for (const std::size_t slot : {BSP_SLOT_TORSION_CONSTANT, BSP_SLOT_WARPING_CONSTANT, BSP_SLOT_ALPHA_Y,
                                   BSP_SLOT_ALPHA_Z})
      EXPECT_NEAR(r[slot], r0[slot], 1e-8 * r0[slot]) << "slot " << slot;
  }
  EXPECT_NEAR(mesh_main(moved)[BSP_SLOT_CENTROID_Y], 1005, 1e-12 * 1005);
  OutlineSection linear = base;  // linear_elements has no effect: 6-node triangles either way
  linear.linear = 1;
  EXPECT_EQ(mesh_main(linear).result.body(), r0.result.body());

  OutlineSection unit = rectangle(0, 0, 0.5, 0.5);
  unit.element_size = 0.01;
  OutlineSection big = rectangle(0, 0, 100, 100);
  big.element_size = 2;
  const CombResult ru = mesh_main(unit), rb = mesh_main(big);
  ASSERT_EQ(ru.code, BSP_OK);
  ASSERT_EQ(rb.code, BSP_OK);
  const double s2 = 200.0 * 200.0, s4 = s2 * s2;
  // Identical scaled meshes; only the final division by f differs: round-off.
  EXPECT_NEAR(ru[BSP_SLOT_AREA] * s2, rb[BSP_SLOT_AREA], 1e-12 * rb[BSP_SLOT_AREA]);
  EXPECT_NEAR(ru[BSP_SLOT_I1] * s4, rb[BSP_SLOT_I1], 1e-12 * rb[BSP_SLOT_I1]);
  EXPECT_NEAR(ru[BSP_SLOT_TORSION_CONSTANT] * s4, rb[BSP_SLOT_TORSION_CONSTANT],
              1e-10 * rb[BSP_SLOT_TORSION_CONSTANT]);
  EXPECT_NEAR(ru[BSP_SLOT_ALPHA_Y], rb[BSP_SLOT_ALPHA_Y], 1e-10);

  // A negative size scales by f = 2 / size < 0, a turn by 180 degrees that
  // the scaling back undoes: results in the caller's position and units.
  OutlineSection turned = rectangle(1, 2, 1, 1);
  turned.element_size = -0.5;
  OutlineSection plain = rectangle(1, 2, 1, 1);
  plain.element_size = 0.5;
  const CombResult rt = mesh_main(turned), rp = mesh_main(plain);
  ASSERT_EQ(rt.code, BSP_OK);
  ASSERT_EQ(rp.code, BSP_OK);
  EXPECT_NEAR(rt[BSP_SLOT_CENTROID_Y], 1.5, 1e-12);
  EXPECT_NEAR(rt[BSP_SLOT_CENTROID_Z], 2.5, 1e-12);
  EXPECT_NEAR(rt[BSP_SLOT_I1], 1.0 / 12, 1e-14);
  // Two pieces per side either way; the meshes agree up to the turn.
  EXPECT_NEAR(rt[BSP_SLOT_TORSION_CONSTANT], rp[BSP_SLOT_TORSION_CONSTANT], 1e-9 * rp[BSP_SLOT_TORSION_CONSTANT]);
}

}  // namespace
}  // namespace bsp
