// Contract of BSPCombMain, BSPPartMain and BSPDetail: output lengths, exact values, part records,
// stress-point offsets. (Input faults: bad_input_matrix_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "support/export_calls.h"

namespace bsp {
namespace {

using namespace bsp::test;

// Two unit squares side by side, materials 1 and 2, each its own part, a bar inside the second.
MeshedSection two_material_section() {
  MeshedSection s{.mesh = rectangle_part(0, 0, 1, 1, 2, 2, 1), .modulus = {1.0, 2.0}, .poisson = {0.0, 0.25},
                  .weight = {1.0, 0.5}, .stress_y = {0.0, 2.0}, .stress_z = {0.0, 1.0}};
  s.mesh.append(rectangle_part(1, 0, 1, 1, 2, 2, 2));
  s.bars.add(0.1, 1.75, 0.5, 10.0, 3.0);
  return s;
}

TEST(BSPCombMain, WritesExactlyTheLevelsLengthAndLeavesUnusedSlotsZero) {
  MeshedSection s = two_material_section();
  s.level = 0;
  const CombResult zero = comb(s);
  for (std::int32_t level : {-5, 0, 1, 2, 3}) {
    s.level = level;
    const CombResult r = comb(s);  // the guard check covers "nothing past R"
    ASSERT_EQ(r.code, BSP_OK) << level;
    for (double v : r.result.body()) EXPECT_NE(v, sentinel) << "level " << level << " left a slot unwritten";
    if (level <= 0) {
      EXPECT_EQ(r.result.body(), zero.result.body()) << "a negative level reads as 0";
      for (std::size_t slot = 22; slot < 32; ++slot) EXPECT_EQ(r[slot], 0.0) << slot;
      for (std::size_t slot = 38; slot < r.result.documented; ++slot) EXPECT_EQ(r[slot], 0.0) << slot;
    } else {
      EXPECT_GT(r[BSP_SLOT_RADIUS_MAJOR], 0.0);
      EXPECT_GT(r[BSP_SLOT_POLAR_MOMENT_SC(2)], 0.0);
    }
  }
}

// Right triangle with unit legs as one 6-node element with straight sides.
TEST(BSPCombMain, RightTriangleGivesExactPrincipalValues) {
  const CombResult r =
      comb({.mesh = {{0, 1, 0, 0.5, 0.5, 0}, {0, 0, 1, 0, 0.5, 0.5}, {1, 2, 3, 4, 5, 6}, {1}, {6}, {1}, 6}});
  ASSERT_EQ(r.code, BSP_OK);
  // The 6-point rule is exact on a straight-sided triangle: round-off only (radii: and of a root).
  // Principal moments 1/36 +- 1/72; equal moments with I12 != 0 give 45 degrees.
  const std::vector<std::array<double, 3>> exact = {
      {BSP_SLOT_AREA, 0.5, 1e-15}, {BSP_SLOT_CENTROID_Y, 1.0 / 3, 1e-15}, {BSP_SLOT_I1, 1.0 / 36, 1e-15},
      {BSP_SLOT_I2, 1.0 / 36, 1e-15}, {BSP_SLOT_I12, -1.0 / 72, 1e-15}, {BSP_SLOT_PRINCIPAL_ANGLE_DEG, 45.0, 0},
      {BSP_SLOT_RADIUS_MAJOR, 0.28867513459481287, 1e-14}, {BSP_SLOT_RADIUS_MINOR, 1.0 / 6, 1e-14},
      {BSP_SLOT_RADIUS_Y, 1.0 / std::sqrt(18.0), 1e-14}};
  for (const auto& [slot, value, tolerance] : exact)
    EXPECT_NEAR(r[static_cast<std::size_t>(slot)], value, tolerance) << slot;
}

TEST(BSPCombMain, NoBarsGivesTheSameResultsAsAZeroBar) {
  MeshedSection s = two_material_section();
  s.bars = Bars{};
  const CombResult none = comb(s);
  s.bars.add(0.0, 0.3, 0.3, 0.0, 0.0);
  const CombResult zero_bar = comb(s);
  ASSERT_EQ(none.code, BSP_OK);
  EXPECT_EQ(none.result.body(), zero_bar.result.body());
  EXPECT_EQ(none.coords.body(), zero_bar.coords.body());
}

// Material 1: unit square at E = E_ref; material 2: unit square at 2 E_ref
// plus a bar; material 3 unused keeps its ten zeros.
TEST(BSPPartMain, PartSlotsAddUpToTheSectionAndABarJoinsItsPart) {
  MeshedSection s = two_material_section();
  s.modulus.push_back(5.0);
  s.poisson.push_back(0.1);
  s.weight.push_back(1.0);
  const PartResult p = part_main(s);
  for (std::size_t slot = 0; slot < BSP_PART_SLOTS; ++slot) EXPECT_EQ(p.at(3, slot), 0.0) << slot;
  s.level = 0;  // the bar's weighted area at every level (level 1: the outline tests)
  const CombResult c = comb(s);
  ASSERT_EQ(p.code, BSP_OK);
  ASSERT_EQ(c.code, BSP_OK);
  const double bar_area = std::numbers::pi * 0.01 * (10.0 - 1.0);  // pi r^2 (E_b/E_ref - 1)
  EXPECT_NEAR(p.at(1, BSP_PART_AREA), 1.0, 1e-14);  // round-off of exact integrals
  EXPECT_NEAR(p.at(2, BSP_PART_AREA), 2.0 + bar_area, 1e-14);
  EXPECT_NEAR(p.at(1, BSP_PART_AREA) + p.at(2, BSP_PART_AREA), c[BSP_SLOT_AREA], 1e-14);
  // The bar, off the square's centre, moves the part's centroid and adds its own and transfer terms.
  const double yc = (2.0 * 1.5 + bar_area * 1.75) / (2.0 + bar_area);
  EXPECT_NEAR(p.at(2, BSP_PART_CENTROID_Y), yc, 1e-14);
  EXPECT_NEAR(p.at(2, BSP_PART_CENTROID_Z), 0.5, 1e-14);
  EXPECT_NEAR(p.at(2, BSP_PART_I1),
              2.0 / 12 + 2.0 * (1.5 - yc) * (1.5 - yc) + bar_area * (0.01 / 4 + (1.75 - yc) * (1.75 - yc)), 1e-14);
  // Weighted areas: 1 * 1 + 0.5 * 1 + pi r^2 (3/1 - 1).
  EXPECT_NEAR(p.at(2, BSP_PART_WEIGHTED_AREA), 0.5 + std::numbers::pi * 0.01 * 2.0, 1e-14);
  EXPECT_NEAR(c[BSP_SLOT_WEIGHTED_AREA], 1.5 + std::numbers::pi * 0.01 * 2.0, 1e-14);
  // Level 1: the section from the two parts, exact; the materials' shares of J and Iw add up to the
  // section's, their area-weighted shear ratios to its own (same sums, another order: round-off).
  s.level = 1;
  const CombResult c1 = comb(s);
  ASSERT_EQ(c1.code, BSP_OK);
  const double i1_2 = p.at(2, BSP_PART_I1), a_2 = 2.0 + bar_area, y_c = (0.5 + a_2 * yc) / (1.0 + a_2);
  EXPECT_NEAR(c1[BSP_SLOT_CENTROID_Y], y_c, 1e-14);
  EXPECT_NEAR(c1[BSP_SLOT_I1], 1.0 / 12 + (0.5 - y_c) * (0.5 - y_c) + i1_2 + a_2 * (yc - y_c) * (yc - y_c), 1e-13);
  for (const auto& [part_slot, slot] : {std::pair{BSP_PART_TORSION_CONSTANT, BSP_SLOT_TORSION_CONSTANT},
                                        {BSP_PART_WARPING, BSP_SLOT_WARPING_CONSTANT}})
    EXPECT_NEAR(p.at(1, part_slot) + p.at(2, part_slot), c1[slot], 1e-12 * std::abs(c1[slot]) + 1e-15) << slot;
  for (const auto& [part_slot, slot] :
       {std::pair{BSP_PART_ALPHA_Y, BSP_SLOT_ALPHA_Y}, {BSP_PART_ALPHA_Z, BSP_SLOT_ALPHA_Z}})
    EXPECT_NEAR(p.at(1, part_slot) * p.at(1, BSP_PART_AREA) + p.at(2, part_slot) * p.at(2, BSP_PART_AREA),
                c1[slot] * c1[BSP_SLOT_AREA], 1e-12) << slot;
}

TEST(BSPCombMain, StressReferenceSelectsTheShearCentreForOffsets) {
  // An L of two plates: centroid and shear centre (the plates' crossing) differ.
  MeshedSection s{.mesh = rectangle_part(0, 0, 4, 0.5, 16, 2, 1), .stress_y = {4.0, 0.0}, .stress_z = {0.0, 4.0}};
  s.mesh.append(rectangle_part(0, 0.5, 0.5, 3.5, 2, 14, 1));
  const CombResult centroid = comb(s);
  s.reference = 1;
  const CombResult shear_centre = comb(s);
  ASSERT_EQ(centroid.code, BSP_OK);
  ASSERT_EQ(shear_centre.code, BSP_OK);
  const double cy = centroid[BSP_SLOT_CENTROID_Y], cz = centroid[BSP_SLOT_CENTROID_Z];
  const double sy = cy - centroid[BSP_SLOT_CENTROID_MINUS_SC_Y], sz = cz - centroid[BSP_SLOT_CENTROID_MINUS_SC_Z];
  ASSERT_GT(std::hypot(cy - sy, cz - sz), 0.5);  // the two references are far apart
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_NEAR(centroid.coords[2 * i], s.stress_y[i] - cy, 1e-12);  // one subtraction of round-off
    EXPECT_NEAR(centroid.coords[2 * i + 1], s.stress_z[i] - cz, 1e-12);
    EXPECT_NEAR(shear_centre.coords[2 * i], s.stress_y[i] - sy, 1e-12);
    EXPECT_NEAR(shear_centre.coords[2 * i + 1], s.stress_z[i] - sz, 1e-12);
  }
}

TEST(BSPDetail, SectionSlotsAreThoseOfCombMainAtLevelOneAndSummaryFindsTheLargest) {
  MeshedSection s = two_material_section();
  s.weight = s.modulus;  // BSPDetail weighs areas by modulus
  s.bars = Bars{};
  s.level = 1;
  s.reference = 1;  // slots 23 and 24 take the offsets from the reference point
  const CombResult c = comb(s);
  const DetailResult d = detail(s, Forces{2.0, 0.0, 0.0, 0.0, 0.3, 0.0, 1.0});
  ASSERT_EQ(c.code, BSP_OK);
  ASSERT_EQ(d.code, BSP_OK);
  for (std::size_t slot = 0; slot < 38; ++slot) EXPECT_EQ(d.section[slot], c[slot]) << slot;
  // Offsets from the shear centre with the reference option set.
  const double sy = c[BSP_SLOT_CENTROID_Y] - c[BSP_SLOT_CENTROID_MINUS_SC_Y];
  EXPECT_NEAR(d.offsets[0], s.stress_y[0] - sy, 1e-12);  // round-off of one subtraction
  // Summary: extreme normal stresses over (material, point), and where von Mises peaks (no shear).
  double largest = -1e300, smallest = 1e300, vm = -1.0;
  std::size_t at_point = 0, at_material = 0;
  for (std::size_t m = 0; m < 2; ++m)
    for (std::size_t i = 0; i < 2; ++i) {
      const double sigma = d.stress(m, i, 0, 2);
      largest = std::max(largest, sigma);
      smallest = std::min(smallest, sigma);
      if (d.stress(m, i, 3, 2) > vm) {
        vm = d.stress(m, i, 3, 2);
        at_point = i + 1;
        at_material = m + 1;
      }
    }
  EXPECT_EQ(d.stresses[16], largest);
  EXPECT_EQ(d.stresses[17], smallest);
  EXPECT_EQ(d.stresses[19], vm);
  EXPECT_EQ(d.stresses[20], static_cast<double>(at_point));
  EXPECT_EQ(d.stresses[21], static_cast<double>(at_material));
  EXPECT_EQ(d.materials[0], 1.0);  // (0, 0) lies in the first square
  EXPECT_EQ(d.materials[1], 2.0);  // (2, 1) in the second
}

}  // namespace
}  // namespace bsp
