#include "solver/model.h"

#include <gtest/gtest.h>
#include "support/section_meshes.h"
#include "solver/stress_point_location.h"

namespace bsp {
namespace {

using test::TestSection;

// 2 x 1 quadrilaterals on [0,2]x[0,1]: (1, 0.5) on the shared side, (0.25, 0.25) in the first,
// (1.75, 1) on the second's top, (3, 3) nowhere; without the option nothing is located.
TEST(Model, StressPointGoesToTheFirstElementThatHoldsIt) {
  TestSection s;
  s.mesh.k = 4;
  s.mesh.add_rectangle(0, 0, 2, 1, 2, 1, 1);
  s.sp_x = {1.0, 0.25, 1.75, 3.0};
  s.sp_y = {0.5, 0.25, 1.0, 3.0};
  const T_MULTI_DOMAIN m = build_model(s.input(), {.stress_points = true});
  ASSERT_EQ(m.details.size(), 4u);
  EXPECT_EQ(m.details[0].element, 0);
  EXPECT_NEAR(m.details[0].natural.s, location_natural_limit, 1e-15);  // right side of element 1
  EXPECT_NEAR(m.details[0].natural.t, 0.0, 1e-12);
  EXPECT_EQ(m.details[1].element, 0);
  EXPECT_NEAR(m.details[1].natural.s, -0.5, 1e-12);
  EXPECT_EQ(m.details[2].element, 1);
  EXPECT_EQ(m.details[3].element, -1);
  EXPECT_EQ(m.quads[0].stress_points, (std::vector<std::int32_t>{0, 1}));
  EXPECT_EQ(m.quads[1].stress_points, (std::vector<std::int32_t>{2}));

  EXPECT_TRUE(build_model(s.input(), {}).details.empty());
}

}  // namespace
}  // namespace bsp
