#include "solver/stress_point_location.h"

#include <gtest/gtest.h>

namespace bsp {
namespace {

template <class Rule>
T_ELEMENT<Rule> make_element(const std::array<double, Rule::n_nodes>& x, const std::array<double, Rule::n_nodes>& y) {
  T_ELEMENT<Rule> e;
  set_up_element<Rule>(e, x, y);
  return e;
}

// Points inside (Rule::node too) come back to 1e-9 (Newton stops on steps below 1e-10,
// quadratically; outline points clamped by 1e-12); points outside are not found.
template <class Rule>
void expect_round_trips(const T_ELEMENT<Rule>& e, std::vector<NaturalPoint> inside, std::vector<NaturalPoint> outside) {
  inside.insert(inside.end(), Rule::node.begin(), Rule::node.end());
  for (const NaturalPoint p : inside) {
    const NaturalPoint q = map_to_global(e, p);
    const auto found = locate_in_element(e, q.s, q.t);
    ASSERT_TRUE(found.has_value()) << p.s << ", " << p.t;
    EXPECT_NEAR(found->s, p.s, 1e-9) << p.s << ", " << p.t;
    EXPECT_NEAR(found->t, p.t, 1e-9) << p.s << ", " << p.t;
  }
  for (const NaturalPoint p : outside) {
    const NaturalPoint q = map_to_global(e, p);
    EXPECT_FALSE(locate_in_element(e, q.s, q.t).has_value()) << p.s << ", " << p.t;
  }
}

// A convex quadrilateral without parallel sides, also at 1e6 (relative to its first node: 1e-9);
// a 6-node triangle with straight sides and with every side bowed.
TEST(StressPointLocation, FindsPointsInsideAndOnTheOutlineAndRejectsOthers) {
  const std::array<double, 4> qx = {0.0, 4.0, 3.5, 0.5}, qy = {0.0, 0.5, 3.0, 2.5};
  const std::vector<NaturalPoint> quad_in = {{0, 0}, {0.3, -0.7}, {-0.95, 0.9}, {0.5, 0.5}, {1, 0.2}, {-0.4, -1}, {-1, 0.1}, {0.8, 1}};
  expect_round_trips(make_element<Quad4Rule>(qx, qy), quad_in, {{1.05, 0}, {0, -1.2}, {3, 3}, {-1.001, -0.5}});
  expect_round_trips(make_element<Quad4Rule>({1e6, 1e6 + 4, 1e6 + 3.5, 1e6 + 0.5}, {-3e6, -3e6 + 0.5, -3e6 + 3, -3e6 + 2.5}),
                     {{0.25, -0.6}}, {});
  const std::vector<NaturalPoint> tria_in = {{1.0 / 3, 1.0 / 3}, {0.1, 0.8}, {0.7, 0.2}, {0.05, 0.05}};
  std::vector<NaturalPoint> straight_in = tria_in;
  straight_in.insert(straight_in.end(), {{0.3, 0}, {0, 0.65}, {0.25, 0.75}});  // on the sides between nodes
  expect_round_trips(make_element<Tria6Rule>({0, 3, 1, 1.5, 2, 0.5}, {0, 0, 2, 0, 1, 1}), straight_in,
                     {{0.6, 0.6}, {-0.01, 0.5}, {0.5, -0.02}, {1.2, 0}});
  expect_round_trips(make_element<Tria6Rule>({0, 3, 1, 1.5, 2.15, 0.4}, {0, 0, 2, -0.2, 1.1, 1.05}), tria_in, {});
}

// At any scale, 1e-9 of the size below side y = 0 is on the outline, clamped in; 1e-7 is out.
TEST(StressPointLocation, OutlineToleranceIsRelativeToElementSize) {
  for (double size : {1.0, 1e3, 1e-3}) {
    const auto e = make_element<Quad4Rule>({0, size, size, 0}, {0, 0, size, size});
    const auto on = locate_in_element(e, 0.5 * size, -1e-9 * size);
    ASSERT_TRUE(on.has_value()) << size;
    EXPECT_NEAR(on->t, -location_natural_limit, 1e-15);
    EXPECT_FALSE(locate_in_element(e, 0.5 * size, -1e-7 * size).has_value()) << size;
  }
}

}  // namespace
}  // namespace bsp
