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

// Maps natural coordinates to the plane, locates the image and expects the
// same natural coordinates back. Newton stops on steps below 1e-10 and
// converges quadratically, so the error is far below 1e-9; points on the
// outline come back clamped by at most 1e-12.
template <class Rule>
void expect_round_trip(const T_ELEMENT<Rule>& e, NaturalPoint p) {
  const NaturalPoint q = map_to_global(e, p);
  const auto found = locate_in_element(e, q.s, q.t);
  ASSERT_TRUE(found.has_value()) << p.s << ", " << p.t;
  EXPECT_NEAR(found->s, p.s, 1e-9) << p.s << ", " << p.t;
  EXPECT_NEAR(found->t, p.t, 1e-9) << p.s << ", " << p.t;
}

// A general convex quadrilateral (no two sides parallel).
const std::array<double, 4> quad_x = {0.0, 4.0, 3.5, 0.5};
const std::array<double, 4> quad_y = {0.0, 0.5, 3.0, 2.5};

TEST(StressPointLocation, FindsPointsInsideOnEdgesAndCornersOfQuadrilaterals) {
  const auto e = make_element<Quad4Rule>(quad_x, quad_y);
  for (NaturalPoint p : {NaturalPoint{0, 0}, {0.3, -0.7}, {-0.95, 0.9}, {0.5, 0.5}}) expect_round_trip(e, p);
  for (NaturalPoint p : {NaturalPoint{1, 0.2}, {-0.4, -1}, {-1, 0.1}, {0.8, 1}}) expect_round_trip(e, p);
  for (const NaturalPoint& corner : Quad4Rule::node) expect_round_trip(e, corner);
}

TEST(StressPointLocation, FindsPointsInsideOnEdgesAndCornersOfSixNodeTriangles) {
  // Straight sides, and the same triangle with every side bowed.
  const auto straight = make_element<Tria6Rule>({0, 3, 1, 1.5, 2, 0.5}, {0, 0, 2, 0, 1, 1});
  const auto curved = make_element<Tria6Rule>({0, 3, 1, 1.5, 2.15, 0.4}, {0, 0, 2, -0.2, 1.1, 1.05});
  for (const auto* e : {&straight, &curved}) {
    for (NaturalPoint p : {NaturalPoint{1.0 / 3, 1.0 / 3}, {0.1, 0.8}, {0.7, 0.2}, {0.05, 0.05}})
      expect_round_trip(*e, p);
    for (const NaturalPoint& node : Tria6Rule::node) expect_round_trip(*e, node);
  }
  // Points on the straight sides between the nodes.
  for (NaturalPoint p : {NaturalPoint{0.3, 0}, {0, 0.65}, {0.25, 0.75}}) expect_round_trip(straight, p);
}

TEST(StressPointLocation, RejectsPointsOutside) {
  const auto q = make_element<Quad4Rule>(quad_x, quad_y);
  for (NaturalPoint p : {NaturalPoint{1.05, 0}, {0, -1.2}, {3, 3}, {-1.001, -0.5}}) {
    const NaturalPoint g = map_to_global(q, p);
    EXPECT_FALSE(locate_in_element(q, g.s, g.t).has_value()) << p.s << ", " << p.t;
  }
  const auto t = make_element<Tria6Rule>({0, 3, 1, 1.5, 2, 0.5}, {0, 0, 2, 0, 1, 1});
  for (NaturalPoint p : {NaturalPoint{0.6, 0.6}, {-0.01, 0.5}, {0.5, -0.02}, {1.2, 0}}) {
    const NaturalPoint g = map_to_global(t, p);
    EXPECT_FALSE(locate_in_element(t, g.s, g.t).has_value()) << p.s << ", " << p.t;
  }
}

TEST(StressPointLocation, OutlineToleranceIsRelativeToElementSize) {
  // Unit square side y = 0: 1e-9 below it (scaled) is on the outline, 1e-7
  // below is outside. The same holds for the square scaled to 1e3 and 1e-3,
  // with the distances scaled alike.
  for (double size : {1.0, 1e3, 1e-3}) {
    const auto e = make_element<Quad4Rule>({0, size, size, 0}, {0, 0, size, size});
    const auto on = locate_in_element(e, 0.5 * size, -1e-9 * size);
    ASSERT_TRUE(on.has_value()) << size;
    EXPECT_NEAR(on->t, -location_natural_limit, 1e-15) << "clamped into the element";
    EXPECT_FALSE(locate_in_element(e, 0.5 * size, -1e-7 * size).has_value()) << size;
  }
}

TEST(StressPointLocation, LocatesFarFromTheOrigin) {
  // Coordinates of order 1e6 with elements of size 1: working relative to
  // the first node keeps the natural coordinates to 1e-9.
  std::array<double, 4> x = quad_x, y = quad_y;
  for (double& v : x) v += 1e6;
  for (double& v : y) v -= 3e6;
  expect_round_trip(make_element<Quad4Rule>(x, y), NaturalPoint{0.25, -0.6});
}

}  // namespace
}  // namespace bsp
