#include "solver/solver_entries.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/section_meshes.h"
#include "solver/model.h"
#include "solver/section_result_vector.h"

namespace bsp {
namespace {

using test::TestSection;
constexpr double guard = -777.0;  // marks doubles an entry must not write

// A 3 x 1.5 rectangle of 6-node triangles at (1, 2), in two parts (left and
// right halves), part 3 empty.
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
