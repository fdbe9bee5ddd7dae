#include "solver/solver_entries.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

#include "support/section_meshes.h"
#include "solver/model.h"
#include "solver/section_result_vector.h"

namespace bsp {
namespace {

using test::TestSection;
constexpr double guard = -777.0;  // marks doubles an entry must not write

// A 3 x 1.5 rectangle of 6-node triangles at (1, 2), in two parts (left and
// right halves), part 3 empty, and a stiff bar in the right half.
TestSection two_part_rectangle() {
  TestSection s;
  s.mesh.k = 6;
  s.mesh.add_rectangle(1, 2, 3, 1.5, 4, 2, 1);
  for (std::size_t e = 0; e < s.mesh.parts.size(); ++e) {
    // Cells are laid out row by row, two triangles per cell, four cells a row.
    const std::size_t cell_column = (e / 2) % 4;
    s.mesh.parts[e] = cell_column < 2 ? 1 : 2;
  }
  s.E = {1.0, 1.0, 1.0};
  s.nu = {0.0, 0.0, 0.0};
  s.w = {1.0, 1.0, 1.0};
  s.n_parts = 3;
  return s;
}

TEST(SolvePartSection, WritesTenSlotsPerPartAndZerosForAnEmptyPart) {
  TestSection s = two_part_rectangle();
  s.add_bar(0.1, 3.5, 2.75, 3.0, 1.0);  // in the right half: k = 2
  const double bar = 0.02 * std::numbers::pi;
  std::vector<double> out(3 * material_slot::count + 1, guard);
  ASSERT_EQ(SOLVE_PART_SECTION(s.input(), out), Status::ok);
  const double* p1 = out.data();
  const double* p2 = out.data() + material_slot::count;
  const double* p3 = out.data() + 2 * material_slot::count;
  // Halves of 1.5 x 1.5 at x in [1, 2.5] and [2.5, 4]; round-off 1e-13.
  EXPECT_NEAR(p1[material_slot::area], 2.25, 1e-13);
  EXPECT_NEAR(p1[material_slot::xc], 1.75, 1e-13);
  EXPECT_NEAR(p1[material_slot::yc], 2.75, 1e-13);
  EXPECT_NEAR(p1[material_slot::Iyy], 1.5 * 3.375 / 12, 1e-13);
  EXPECT_NEAR(p1[material_slot::Ixx], 1.5 * 3.375 / 12, 1e-13);
  EXPECT_NEAR(p1[material_slot::weighted_area], 2.25, 1e-13);
  EXPECT_NEAR(p2[material_slot::area], 2.25 + bar, 1e-13);
  const double xc2 = (2.25 * 3.25 + bar * 3.5) / (2.25 + bar);
  EXPECT_NEAR(p2[material_slot::xc], xc2, 1e-13);
  EXPECT_NEAR(p2[material_slot::Iyy],
              1.5 * 3.375 / 12 + 2.25 * (3.25 - xc2) * (3.25 - xc2) + bar * 0.01 / 4 + bar * (3.5 - xc2) * (3.5 - xc2),
              1e-13);
  for (std::size_t i = 0; i < material_slot::count; ++i) EXPECT_EQ(p3[i], 0.0) << i;
  EXPECT_EQ(out.back(), guard);
}

TEST(SolveDetailSection, ZeroesExactlyItsFirstOutputBlock) {
  TestSection s = two_part_rectangle();
  s.sp_x = {1.5, 3.0};
  s.sp_y = {2.5, 3.0};
  DetailInput detail;
  detail.n_detail = 3;
  std::vector<double> first(4 * 2 * 3 + 6 + 2, guard);
  DetailOutputs out{{}, first, {}, {}};
  ASSERT_EQ(SOLVE_DETAIL_SECTION(s.input(), detail, out), Status::ok);
  // No section forces: every stress and the summary's extremes are 0; the
  // largest von Mises value (0) is reported at point 1, material 1.
  for (std::size_t i = 0; i < 28; ++i) EXPECT_EQ(first[i], 0.0) << i;
  EXPECT_EQ(first[28], 1.0);
  EXPECT_EQ(first[29], 1.0);
  EXPECT_EQ(first[30], guard);
  EXPECT_EQ(first[31], guard);
}

}  // namespace
}  // namespace bsp
