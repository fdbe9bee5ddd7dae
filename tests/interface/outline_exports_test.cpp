// Contract of the outline exports: hand values of the documented examples and the mended faults
// of the driver chain. (Input faults: bad_input_matrix_test.cpp.)
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "support/export_calls.h"

namespace bsp {
namespace {

using namespace bsp::test;
constexpr double pi = std::numbers::pi;

OutlineSection square(double y0, double z0, double side = 1.0) {
  OutlineSection s;
  s.add_loop({{y0, z0}, {y0 + side, z0}, {y0 + side, z0 + side}, {y0, z0 + side}});
  s.add_region(1.0);
  return s;
}

// Worked example: the rectangle with a hole at level 2, stress points (10, 6) and (0, 0). Polygonal
// values are exact; slot 48 uses the computed shear centre, the centroid by symmetry.
TEST(BSPMeshMain, RectangleWithHoleMatchesHandValues) {
  OutlineSection s = rectangle_with_hole();
  s.level = 2;
  s.stress_y = {10, 0};
  s.stress_z = {6, 0};
  const CombResult r = mesh_main(s);
  ASSERT_EQ(r.code, BSP_OK);
  const struct {
    std::size_t slot;
    double value;
  } expected[] = {{0, 56}, {17, 5}, {18, 3}, {1, 498.6666666666667}, {2, 178.66666666666666},
                  {25, 1.7861904127153383}, {26, 2.984084768360628}, {27, 2.984084768360628},
                  {28, 1.7861904127153383}, {29, 3.477820883144803}, {30, 148}, {31, 88}, {32, 56},
                  {23, -59.55555555555555}, {24, -99.73333333333333}, {48, 677.3333333333334}};
  for (const auto& e : expected)
    EXPECT_NEAR(r[e.slot], e.value, 1e-9 * std::abs(e.value)) << "slot " << e.slot;  // the tolerance
  for (const std::size_t zero : {3u, 19u, 20u, 22u}) EXPECT_EQ(r[zero], 0.0) << "slot " << zero;
  const double coords[] = {5, 3, -5, -3};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(r.coords[i], coords[i], 1e-9 * 5) << "coordinate " << i;
}

// First moments of the glued mesh weigh each element by its own region's E / E_ref: a hole takes
// away, an island counts once. By hand: about x = 5 the rectangle's half has 75, the hole's 1;
// about z = 3, 45 and 1.
TEST(BSPMeshMain, FirstMomentsWeightEachRegionOnce) {
  const struct {
    double e_outer, e_inner, q1, q2;
  } cases[] = {
      {1.0, 0.0, 2 * (75 - 1), 2 * (45 - 1)},
      {2.0, 0.0, 296, 176},                              // was 298 with the reference modulus for the hole
      {1.0, 3.0, 2 * (75 - 1 + 3), 2 * (45 - 1 + 3)},    // 154: was 156 with the island on top
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.e_outer << " " << c.e_inner);
    OutlineSection s = rectangle_with_hole(c.e_outer, c.e_inner);
    s.weight = {5.0, 1.0};
    const CombResult r = mesh_main(s);
    ASSERT_EQ(r.code, BSP_OK);
    EXPECT_NEAR(r[BSP_SLOT_FIRST_MOMENT_Y], c.q1, 1e-11 * c.q1);  // exact clipping
    EXPECT_NEAR(r[BSP_SLOT_FIRST_MOMENT_Z], c.q2, 1e-11 * c.q2);
    // BSPPartMeshMain: one record per solid region, none for a hole (the guard); exact integrals.
    const PartResult p = part_mesh_main(s);
    ASSERT_EQ(p.code, BSP_OK);
    EXPECT_NEAR(p.at(1, BSP_PART_AREA), c.e_outer * 56, 1e-12 * 112);  // transformed
    EXPECT_NEAR(p.at(1, BSP_PART_WEIGHTED_AREA), 5 * 56, 1e-12 * 280);
    EXPECT_NEAR(p.at(1, BSP_PART_CENTROID_Y), 5, 1e-12 * 5);
    if (c.e_inner > 0) {  // the 2 x 2 island
      EXPECT_NEAR(p.at(2, BSP_PART_AREA), c.e_inner * 4, 1e-12 * 12);
      EXPECT_NEAR(p.at(2, BSP_PART_I1), c.e_inner * 2 * 8.0 / 12, 1e-12);
    }
  }
}

// Bars: their transformed area moves the centroid, their first moments add by magnitude, their
// weighted area counts at every level.
TEST(BSPMeshMain, BarsAddFirstMomentsAndWeightedAreaAtEveryLevel) {
  OutlineSection s = rectangle_with_hole();
  s.bars.add(1.0, 8.0, 3.0, 3.0, 3.0);  // r = 1, E_b = 3 E_ref, w_b = 3 w_ref: 2 pi each
  s.stress_y = {10};
  s.stress_z = {6};
  const double da = 2 * pi;
  const double yc = (56 * 5 + da * 8) / (56 + da);
  // Mesh halves about x = yc (4 < yc < 6): rectangle parts less hole parts.
  const double right = 6 * (10 - yc) * (10 - yc) / 2 - 2 * (6 - yc) * (6 - yc) / 2;
  const double left = 6 * yc * yc / 2 - 2 * (yc - 4) * (yc - 4) / 2;
  for (const std::int32_t level : {0, 1}) {
    s.level = level;
    const CombResult r = mesh_main(s);
    ASSERT_EQ(r.code, BSP_OK);
    EXPECT_NEAR(r[BSP_SLOT_AREA], 56 + da, 1e-12 * 60);                // polygon area plus closed-form bar
    EXPECT_NEAR(r[BSP_SLOT_CENTROID_Y], yc, 1e-12 * 10);
    EXPECT_NEAR(r[BSP_SLOT_WEIGHTED_AREA], 56 + da, 1e-12 * 60) << "level " << level;
    if (level == 0) {  // 38 doubles whatever the stress points (mesh_main guards past them)
      for (std::size_t i = 22; i <= 31; ++i) EXPECT_EQ(r[i], 0.0) << "slot " << i;
    } else {
      const double q1 = right + left + (8 - yc) * da;
      EXPECT_NEAR(r[BSP_SLOT_FIRST_MOMENT_Y], q1, 1e-11 * q1);  // exact clipping and closed-form bar
      EXPECT_NEAR(r[BSP_SLOT_FIRST_MOMENT_Z], 2 * (45 - 1), 1e-11 * 88);  // the bar lies on z = zc
    }
  }
}

// Union-find: squares [0,1]^2, [3,4] x [0,1], [1,2] x [0,1] in that order; the third touches the
// first, not the last: domains {1, 3} (a 2 x 1 rectangle) and {2}.
TEST(BSPMeshMain, RegionsTouchingAnEarlierComponentJoinIt) {
  OutlineSection s = square(0, 0);
  s.add_loop({{3, 0}, {4, 0}, {4, 1}, {3, 1}});
  // Third square: new points (2,0), (2,1); its left side is the first square's right side.
  s.point_y.insert(s.point_y.end(), {2, 2});
  s.point_z.insert(s.point_z.end(), {0, 1});
  s.segments.insert(s.segments.end(), {2, 9, 9, 10, 10, 3});
  s.add_region(1.0);
  s.add_region(1.0);
  const CombResult r = mesh_main(s);
  ASSERT_EQ(r.code, BSP_OK);
  EXPECT_NEAR(r[BSP_SLOT_AREA], 3.0, 1e-12 * 3);
  EXPECT_NEAR(r[BSP_SLOT_CENTROID_Y], 11.0 / 6, 1e-12 * 2);
  EXPECT_NEAR(r[BSP_SLOT_CENTROID_Z], 0.5, 1e-12);
  // J adds over domains; the automatic mesh's discretisation error is below 1e-3.
  const double j = rectangle_torsion_constant(2, 1) + rectangle_torsion_constant(1, 1);
  EXPECT_NEAR(r[BSP_SLOT_TORSION_CONSTANT], j, 1e-3 * j);

  const PartResult p = part_mesh_main(s);
  ASSERT_EQ(p.code, BSP_OK);
  for (std::int32_t m = 1; m <= 3; ++m) EXPECT_NEAR(p.at(m, BSP_PART_AREA), 1.0, 1e-12) << "region " << m;
  EXPECT_NEAR(p.at(3, BSP_PART_CENTROID_Y), 1.5, 1e-12);
}

// BSPDetailMesh: plane-section stresses; outputs sized by the solid regions (the guards check).
TEST(BSPDetailMesh, PlaneSectionStressesAtStressPoints) {
  OutlineSection s = rectangle_with_hole();
  s.stress_y = {10, 0};
  s.stress_z = {6, 0};
  const DetailResult r = detail_mesh(s, {.n = 56, .m_y = 178.66666666666666});  // N / A = 1, M_y z' / I2 = z'
  ASSERT_EQ(r.code, BSP_OK);
  EXPECT_NEAR(r.section[BSP_SLOT_AREA], 56, 1e-12 * 56);
  EXPECT_NEAR(r.stress(0, 0, 0, 2), 1 + 3, 1e-9);  // exact polygon integrals, solved 2 x 2 system
  EXPECT_NEAR(r.stress(0, 1, 0, 2), 1 - 3, 1e-9);
  EXPECT_NEAR(r.offsets[0], 5, 1e-12);
  EXPECT_EQ(r.materials[0], 1.0);
}

// Segments that enclose nothing change nothing: one hanging outward is dropped, one reaching inward
// is a line the mesh follows.
TEST(BSPMeshMain, OpenSegmentsEncloseNoRegion) {
  for (const double end_y : {13.0, 7.0}) {
    OutlineSection s = rectangle_with_hole();
    s.point_y.push_back(end_y);
    s.point_z.push_back(5.0);
    s.segments.insert(s.segments.end(), {3, 9});
    const CombResult r = mesh_main(s);
    ASSERT_EQ(r.code, BSP_OK) << end_y;
    EXPECT_NEAR(r[BSP_SLOT_AREA], 56, 1e-12 * 56) << end_y;
    EXPECT_NEAR(r[BSP_SLOT_I1], 498.6666666666667, 1e-12 * 500) << end_y;
  }
}

// Crossing segments are refused at every size: cut into pieces, each may get a node at the crossing,
// and merging the two once let a bow tie through at size 0.2.
TEST(BSPMeshMain, CrossingSegmentsAreRefusedAtEverySize) {
  OutlineSection s = rectangle_with_hole();
  std::swap(s.point_y[0], s.point_y[1]);  // the outer loop becomes a bow tie crossing at (5, 3)
  for (const double size : {1.0, 0.8, 0.6, 0.4, 0.2, 0.0}) {
    s.element_size = size;
    const CombResult r = mesh_main(s);
    EXPECT_EQ(r.code, BSP_E_INPUT) << size;
    EXPECT_NE(std::string(BSPLastError()).find("two edges cross"), std::string::npos) << size;
  }
}

}  // namespace
}  // namespace bsp
