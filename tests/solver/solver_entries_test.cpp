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

}  // namespace
}  // namespace bsp
