#include "solver/solver_entries.h"

#include <gtest/gtest.h>

#include <vector>

#include "solver/model.h"
#include "support/section_meshes.h"

namespace bsp {
namespace {

// No section forces: every stress and extreme is 0, the largest von Mises (0) at point 1,
// material 1, and nothing past 4 stresses x 2 points x 3 materials + 6 + 2 is written.
TEST(SolveDetailSection, ZeroesExactlyItsFirstOutputBlock) {
  test::TestSection s;
  s.mesh.k = 6;
  s.mesh.add_rectangle(1, 2, 3, 1.5, 4, 2, 1);
  s.E = s.w = {1.0, 1.0, 1.0};
  s.nu = {0.0, 0.0, 0.0};
  s.n_parts = 3;
  s.sp_x = {1.5, 3.0};
  s.sp_y = {2.5, 3.0};
  DetailInput detail;
  detail.n_detail = 3;
  std::vector<double> first(4 * 2 * 3 + 6 + 2, -777.0);
  DetailOutputs out{{}, first, {}, {}};
  ASSERT_EQ(SOLVE_DETAIL_SECTION(s.input(), detail, out), Status::ok);
  std::vector<double> expected(28, 0.0);
  expected.insert(expected.end(), {1.0, 1.0, -777.0, -777.0});
  EXPECT_EQ(first, expected);
}

// A domain large enough for its element passes to run in two halves, of two materials and
// without symmetry: one thread or two, every result and every material's is the same to the bit.
TEST(SolveSection, ResultsDoNotDependOnTheThreadCount) {
  test::Section sec(6);
  sec.add_domain().add_box(0, 0, 4, 0.5, 64, 16, 1).add_box(0, 0.5, 0.6, 3, 12, 100, 2);
  sec.E = {1.0, 3.0};
  sec.nu = {0.3, 0.2};
  sec.w = {1.0, 1.0};
  sec.sp_x = {0.1, 3.9};
  sec.sp_y = {2.9, 0.1};
  test::TestSection flat = sec.flatten();
  ASSERT_GE(flat.mesh.n_elements(), 4 * 1024u);
  std::vector<double> result[2], offsets[2], materials[2];
  for (int t = 0; t < 2; ++t) {
    SolverInput in = flat.input();
    in.thread_count = t + 1;
    result[t].assign(section_slot::size_for_level(flat.level, flat.sp_x.size()), 0.0);
    offsets[t].assign(2 * flat.sp_x.size(), 0.0);
    materials[t].assign(10 * 2, 0.0);
    ASSERT_EQ(SOLVE_SECTION(in, result[t], offsets[t]), Status::ok);
    ASSERT_EQ(SOLVE_PART_SECTION(in, materials[t]), Status::ok);
  }
  EXPECT_EQ(result[1], result[0]);
  EXPECT_EQ(offsets[1], offsets[0]);
  EXPECT_EQ(materials[1], materials[0]);
}

}  // namespace
}  // namespace bsp
