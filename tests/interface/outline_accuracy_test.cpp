// Accuracy of the outline exports against closed forms and the meshed-section export on an
// independent host mesh; invariance under data order, translation and the scaling rule.
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

OutlineSection rectangle(double y0, double z0, double b, double h, double element_size = 0.0) {
  OutlineSection s{.element_size = element_size};
  s.add_loop({{y0, z0}, {y0 + b, z0}, {y0 + b, z0 + h}, {y0, z0 + h}});
  s.add_region(1.0);
  return s;
}

// Rectangles at the automatic size: polygon integrals exact to round-off; the first-moment slot adds
// both halves' h b^2 / 8. The automatic size cuts the shorter side in two only: J within 1e-3 of
// the series, 2.5e-3 for 1 : 9.
TEST(OutlineAccuracy, RectangleAtTheAutomaticSize) {
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
    // Second moments far from the origin lose digits to the translation: (distance / size)^2.
    const double far = std::pow(1.0 + (std::abs(c.y0) + std::abs(c.z0)) / std::min(c.b, c.h), 2);
    EXPECT_NEAR(r[BSP_SLOT_I1], c.h * c.b * c.b * c.b / 12, tol * far * c.h * c.b * c.b * c.b / 12);
    EXPECT_NEAR(r[BSP_SLOT_I2], c.b * c.h * c.h * c.h / 12, tol * far * c.b * c.h * c.h * c.h / 12);
    const double j = rectangle_torsion_constant(c.b, c.h);
    EXPECT_NEAR(r[BSP_SLOT_TORSION_CONSTANT], j, c.j_tolerance * j);  // discretisation error, see above
    EXPECT_NEAR(r[BSP_SLOT_FIRST_MOMENT_Y], c.h * c.b * c.b / 4, tol * far * c.h * c.b * c.b);
    EXPECT_NEAR(r[BSP_SLOT_FIRST_MOMENT_Z], c.b * c.h * c.h / 4, tol * far * c.b * c.h * c.h);
  }
}

// The doubly symmetric I of plate_i_section(): flanges b wide, web of centre-line height h, plates t.
OutlineSection i_outline() {
  const double t = plate_t, h = plate_h, b = plate_b;
  OutlineSection s;
  const double zb = -h / 2 - t / 2, zb2 = -h / 2 + t / 2, zt = h / 2 - t / 2, zt2 = h / 2 + t / 2;
  s.add_loop({{-b / 2, zb}, {b / 2, zb}, {b / 2, zb2}, {t / 2, zb2}, {t / 2, zt}, {b / 2, zt},
              {b / 2, zt2}, {-b / 2, zt2}, {-b / 2, zt}, {-t / 2, zt}, {-t / 2, zb2}, {-b / 2, zb2}});
  s.add_region(1.0);
  return s;
}

// The I as an outline, a host mesh and standard type 7: area and second moments exact (round-off);
// J, warping constant and shear ratios within 1 % (three different meshes of the thin plates).
TEST(OutlineAccuracy, ISectionAgreesWithTheMeshedAndStandardExports) {
  const CombResult o = mesh_main(i_outline());
  const CombResult m = comb({.mesh = plate_i_section()});
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
  // Thin-walled Iw = t_f b^3 h^2 / 24 (Timoshenko & Gere, Theory of Elastic Stability, sec. 5.10);
  // 3 %: the web and plate thickness it neglects. Symmetry: shear centre on the centroid.
  EXPECT_NEAR(m[BSP_SLOT_WARPING_CONSTANT] / (t * b * b * b * h * h / 24), 1.0, 3e-2);
  EXPECT_EQ(m[BSP_SLOT_CENTROID_MINUS_SC_Y], 0.0);
  EXPECT_EQ(m[BSP_SLOT_CENTROID_MINUS_SC_Z], 0.0);
}

// Box 10 x 8 with a 6 x 4 inner block at (2, 2) of modulus 4 and two bars: polygon integrals and
// closed-form bars, exact to round-off.
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

// Neither the order of points and segments (beyond the region order) nor translation nor
// linear_elements matters; the scaling rule meshes size 0.01 on a unit square like size 2 on 200 x 200.
TEST(OutlineAccuracy, InvariantUnderOrderTranslationAndScale) {
  const OutlineSection base = rectangle_with_hole(1.0, 0.0);
  const CombResult r0 = mesh_main(base);
  ASSERT_EQ(r0.code, BSP_OK);

  // Points reversed, segments reordered and some reversed; the first is still outer (region 1).
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

  const CombResult ru = mesh_main(rectangle(0, 0, 0.5, 0.5, 0.01)), rb = mesh_main(rectangle(0, 0, 100, 100, 2));
  ASSERT_EQ(ru.code, BSP_OK);
  ASSERT_EQ(rb.code, BSP_OK);
  const double s2 = 200.0 * 200.0, s4 = s2 * s2;
  // Identical scaled meshes; only the final division by f differs: round-off.
  EXPECT_NEAR(ru[BSP_SLOT_AREA] * s2, rb[BSP_SLOT_AREA], 1e-12 * rb[BSP_SLOT_AREA]);
  EXPECT_NEAR(ru[BSP_SLOT_I1] * s4, rb[BSP_SLOT_I1], 1e-12 * rb[BSP_SLOT_I1]);
  EXPECT_NEAR(ru[BSP_SLOT_TORSION_CONSTANT] * s4, rb[BSP_SLOT_TORSION_CONSTANT],
              1e-10 * rb[BSP_SLOT_TORSION_CONSTANT]);
  EXPECT_NEAR(ru[BSP_SLOT_ALPHA_Y], rb[BSP_SLOT_ALPHA_Y], 1e-10);

  // A negative size scales by f = 2 / size < 0, a half turn the scaling back undoes.
  const CombResult rt = mesh_main(rectangle(1, 2, 1, 1, -0.5)), rp = mesh_main(rectangle(1, 2, 1, 1, 0.5));
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
