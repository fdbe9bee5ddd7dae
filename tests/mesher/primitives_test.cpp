#include "mesher/data_2d/primitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace data_2d {
namespace {

// One acos or sin/cos and a product by 180/pi: a few ulps.
constexpr double angle_round_off = 1e-12;

struct Polygon {
  std::vector<std::unique_ptr<Node>> owned;
  std::vector<Node*> closed;  // repeats the first node at the end
  std::vector<Node*> open;    // each corner once
};

Polygon polygon(std::initializer_list<Point> corners) {
  Polygon p;
  for (const Point c : corners) {
    p.owned.push_back(std::make_unique<Node>(0, c.x, c.y));
    p.open.push_back(p.owned.back().get());
  }
  p.closed = p.open;
  p.closed.push_back(p.open.front());
  return p;
}

void expect_point(const std::optional<Point>& actual, Point expected, double tolerance) {
  ASSERT_TRUE(actual);
  EXPECT_NEAR(actual->x, expected.x, tolerance);
  EXPECT_NEAR(actual->y, expected.y, tolerance);
}

TEST(SubtendedAngle, SignedQuarterTurnsAndDegenerateViews) {
  EXPECT_NEAR(subtended_angle({0, 0}, {1, 0}, {0, 1}), 90.0, angle_round_off);
  EXPECT_NEAR(subtended_angle({0, 0}, {0, 1}, {1, 0}), -90.0, angle_round_off);
  EXPECT_NEAR(subtended_angle({5, 7}, {5 + 3, 7}, {5, 7 + 0.25}), 90.0, angle_round_off);  // moved, unequal
  EXPECT_NEAR(subtended_angle({0, 0}, {1, 0}, {-1, std::sqrt(3.0)}), 120.0, angle_round_off);
  EXPECT_EQ(subtended_angle({1, 1}, {1, 1}, {3, 4}), 0.0);         // P on an end point
  EXPECT_EQ(subtended_angle({0.5, 0}, {0, 0}, {1, 0}), 180.0);     // P inside the segment
  EXPECT_EQ(subtended_angle({2, 0}, {0, 0}, {1, 0}), 0.0);         // P on the line, outside
  EXPECT_EQ(subtended_angle({0.5, 0}, {1, 0}, {0, 0}), 180.0);     // zero cross product counts as positive
}

TEST(WindingSum, FullTurnInsideAndNothingOutside) {
  const Polygon square = polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  EXPECT_NEAR(winding_sum({0.5, 0.5}, square.closed), 360.0, 1e-9);  // four acos round-offs
  EXPECT_LT(std::abs(winding_sum({2, 0.5}, square.closed)), winding_outside);
  EXPECT_NEAR(winding_sum({2, 0.5}, square.closed), 0.0, 1e-9);  // the four angles cancel up to round-off
  const Polygon clockwise = polygon({{0, 0}, {0, 1}, {1, 1}, {1, 0}});
  EXPECT_NEAR(winding_sum({0.2, 0.7}, clockwise.closed), -360.0, 1e-9);
  // The cyclic form on a corner list agrees with the closed list.
  EXPECT_DOUBLE_EQ(winding_sum_cyclic({0.2, 0.7}, square.open), winding_sum({0.2, 0.7}, square.closed));
  // An L: the notch corner (1.5, 1.5) is outside although inside the box.
  const Polygon l_shape = polygon({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}});
  EXPECT_GT(std::abs(winding_sum({0.5, 1.5}, l_shape.closed)), winding_inside);
  EXPECT_LT(std::abs(winding_sum({1.5, 1.5}, l_shape.closed)), winding_outside);
}

TEST(PolygonArea, AreaAndCornerAnglesFollowOrientation) {
  const Polygon l_shape = polygon({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}});
  EXPECT_EQ(polygon_area(l_shape.open), 3.0);  // exact in doubles
  EXPECT_EQ(polygon_area(l_shape.closed), 3.0);
  const Polygon clockwise = polygon({{0, 0}, {0, 1}, {1, 1}, {1, 0}});
  EXPECT_EQ(polygon_area(clockwise.open), -1.0);
  EXPECT_NEAR(corner_angle({0, 0}, {1, 0}, {0, 1}), 90.0, angle_round_off);  // counter-clockwise, [0, 360)
  EXPECT_NEAR(corner_angle({0, 0}, {0, 1}, {1, 0}), 270.0, angle_round_off);
  EXPECT_EQ(corner_angle({0, 0}, {1, 0}, {2, 0}), 0.0);
}

TEST(ElementQuality, RegularShapesAreOneAndOrientationGivesTheSign) {
  EXPECT_NEAR(triangle_quality({0, 0}, {1, 0}, {0.5, std::sqrt(3.0) / 2}), 1.0, 1e-15);  // sqrt(3) round-off
  EXPECT_NEAR(triangle_quality({0, 0}, {1, 0}, {0, 1}), 0.8660254037844386, 1e-15);
  EXPECT_NEAR(triangle_quality({0, 0}, {0, 1}, {1, 0}), -0.8660254037844386, 1e-15);
  EXPECT_EQ(triangle_quality({0, 0}, {1, 1}, {2, 2}), 0.0);
  EXPECT_EQ(triangle_quality({3, 3}, {3, 3}, {3, 3}), 0.0);
  // Scaled and moved: cancellation at the 1e5 offset.
  EXPECT_NEAR(triangle_quality({100, 100}, {100.001, 100}, {100, 100.001}), 0.8660254037844386, 1e-9);
  EXPECT_NEAR(quadrilateral_quality({0, 0}, {1, 0}, {1, 1}, {0, 1}), 1.0, 1e-15);
  EXPECT_NEAR(quadrilateral_quality({0, 0}, {2, 0}, {2, 1}, {0, 1}), 1.0, 1e-15);  // corners all 2 sqrt(3) 2 / 10
  EXPECT_EQ(quadrilateral_quality({0, 0}, {1, 0}, {2, 0}, {1, 1}), 0.0);           // 180 degree corner
  EXPECT_LT(quadrilateral_quality({0, 0}, {1, 1}, {1, 0}, {0, 1}), 0.0);           // crossed (bow tie)
  // A convex kite is worse than a square; a dart (one reflex corner) scores negative.
  const double kite = quadrilateral_quality({0, 0}, {3, 0}, {2, 2}, {0, 3});
  EXPECT_GT(kite, 0.0);
  EXPECT_LT(kite, 1.0);
  EXPECT_LT(quadrilateral_quality({0, 0}, {3, 0}, {1, 1}, {0, 3}), 0.0);
}

TEST(SegmentPredicates, OnlyProperCrossingsCountAndParallelsNeverMeet) {
  EXPECT_TRUE(segments_cross({0, 0}, {2, 2}, {0, 2}, {2, 0}));
  EXPECT_FALSE(segments_cross({0, 0}, {1, 1}, {1, 1}, {2, 0}));      // shared end point
  EXPECT_FALSE(segments_cross({0, 0}, {2, 0}, {1, 0}, {1, 1}));      // T: touches
  EXPECT_FALSE(segments_cross({0, 0}, {2, 0}, {1, 0}, {3, 0}));      // collinear overlap
  EXPECT_FALSE(segments_cross({0, 0}, {1, 0}, {2, -1}, {2, 1}));     // apart
  // Absolute threshold: orientation products below 1e-8 (here about 1e-16) do not count.
  EXPECT_FALSE(segments_cross({0, 0}, {1e-4, 1e-4}, {0, 1e-4}, {1e-4, 0}));
  EXPECT_TRUE(segments_cross({0, 0}, {1e-1, 1e-1}, {0, 1e-1}, {1e-1, 0}));
  // Intersection points: end points touch, parallel lines never meet.
  expect_point(segment_intersection({0, 0}, {1, 1}, {1, 1}, {2, 0}), {1, 1}, 1e-15);  // round-off of the parameter
  expect_point(segment_intersection({0, 0}, {2, 2}, {0, 2}, {2, 0}), {1, 1}, 1e-15);
  EXPECT_FALSE(segment_intersection({0, 0}, {1, 0}, {0, 1}, {1, 1}));      // parallel
  EXPECT_FALSE(segment_intersection({0, 0}, {1, 0}, {0.5, 0}, {2, 0}));    // collinear counts as parallel
  // Parameter window (-1e-8, 1 + 1e-8): 5e-9 past the end meets, 2e-8 does not.
  EXPECT_TRUE(segment_intersection({0, 0}, {1, 0}, {1 + 5e-9, -1}, {1 + 5e-9, 1}));
  EXPECT_FALSE(segment_intersection({0, 0}, {1, 0}, {1 + 2e-8, -1}, {1 + 2e-8, 1}));
}

TEST(Rotate, QuarterAndHalfTurnsAndBackAboutAnyCentre) {
  expect_point(rotate({1, 0}, {0, 0}, 90.0), {0, 1}, 1e-15);  // cos(pi/2) is 6e-17, not 0
  expect_point(rotate({2, 1}, {1, 1}, 180.0), {0, 1}, 1e-15);
  const Point c{-2.5, 4.0}, p{3.0, -1.0};
  expect_point(rotate(rotate(p, c, 37.0), c, -37.0), p, 1e-14);  // round-off of two rotations at |p - c| ~ 7
}

TEST(FootOnSegment, InsideTheWindowOnlyAndNotOnDegenerateSegments) {
  expect_point(foot_on_segment({0.25, 3}, {0, 0}, {1, 0}), {0.25, 0}, 0.0);  // exact: no rounding on the x axis
  expect_point(foot_on_segment({0, 2}, {0, 0}, {2, 2}), {1, 1}, 1e-15);  // round-off of the projection
  EXPECT_FALSE(foot_on_segment({2, 1}, {0, 0}, {1, 0}));
  EXPECT_FALSE(foot_on_segment({-0.1, 1}, {0, 0}, {1, 0}));
  EXPECT_TRUE(foot_on_segment({1 + 5e-9, 1}, {0, 0}, {1, 0}));
  // |B - A|^2 must exceed 1e-8: a segment 1e-4 long is too short.
  EXPECT_FALSE(foot_on_segment({0, 1}, {0, 0}, {1e-4, 0}));
  EXPECT_TRUE(foot_on_segment({0, 1}, {0, 0}, {1e-3, 0}));
  EXPECT_NEAR(squared_distance({1, 2}, {4, 6}), 25.0, 0.0);
}

}  // namespace
}  // namespace data_2d
