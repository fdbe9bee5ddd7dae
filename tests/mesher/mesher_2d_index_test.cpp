// The mesher's index structures, each against the plain scan it replaces, on random data.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "mesher/data_2d/node.h"
#include "mesher/data_2d/primitives.h"
#include "mesher/mesher_2d/closest_pair.h"
#include "mesher/mesher_2d/node_pair_map.h"
#include "mesher/mesher_2d/segment_grid.h"

namespace {

using data_2d::Point;

TEST(ClosestPair, EqualsScanOverAllPairs) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> coordinate(-50.0, 50.0);
  for (const int n : {2, 3, 17, 400}) {
    std::vector<Point> points;
    for (int i = 0; i < n; ++i) points.push_back({coordinate(random), coordinate(random)});
    // Points on one vertical line defeat a sweep that only looks at x.
    for (int i = 0; i < n / 4; ++i) points.push_back({1.0, coordinate(random)});
    double scan = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < points.size(); ++i) {
      for (std::size_t j = i + 1; j < points.size(); ++j) {
        scan = std::min(scan, std::sqrt(data_2d::squared_distance(points[i], points[j])));
      }
    }
    EXPECT_EQ(mesher_2d::smallest_distance(points), scan) << n;  // the same pair, the same arithmetic
  }
  EXPECT_EQ(mesher_2d::smallest_distance(std::vector<Point>{{1, 1}, {2, 2}, {1, 1}}), 0.0);
  EXPECT_EQ(mesher_2d::smallest_distance(std::vector<Point>{{1, 1}}), std::numeric_limits<double>::infinity());
}

TEST(SegmentGrid, ReturnsEverySegmentMeetingTheQueryBox) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> coordinate(0.0, 20.0);
  std::uniform_real_distribution<double> offset(-3.0, 3.0);
  std::vector<mesher_2d::Segment> segments;
  for (int i = 0; i < 300; ++i) {
    const Point a{coordinate(random), coordinate(random)};
    segments.push_back({a, {a.x + offset(random), a.y + offset(random)}});
  }
  segments.push_back({{-5, -5}, {25, 25}});  // longer than the box, partly outside it
  segments.push_back({{3, 3}, {3, 3}});      // a point
  const mesher_2d::Segment_Grid grid(segments, {0, 0, 20, 20}, 0.7, 1 << 16);
  std::vector<std::uint32_t> found;
  for (int k = 0; k < 500; ++k) {
    const Point c{coordinate(random), coordinate(random)};
    const mesher_2d::Box box{c.x - 0.5, c.y - 0.2, c.x + 0.3, c.y + 0.6};
    grid.collect(box, found);
    ASSERT_TRUE(std::is_sorted(found.begin(), found.end()));
    // A segment meets the box when it crosses one of its sides or has an end inside it.
    const auto inside = [&](Point p) { return p.x >= box.x_min && p.x <= box.x_max && p.y >= box.y_min && p.y <= box.y_max; };
    const Point corners[4] = {{box.x_min, box.y_min}, {box.x_max, box.y_min}, {box.x_max, box.y_max}, {box.x_min, box.y_max}};
    for (std::uint32_t s = 0; s < segments.size(); ++s) {
      bool meets = inside(segments[s].a) || inside(segments[s].b);
      for (int i = 0; i < 4 && !meets; ++i) meets = data_2d::segment_intersection(segments[s].a, segments[s].b, corners[i], corners[(i + 1) % 4]).has_value();
      EXPECT_TRUE(!meets || std::binary_search(found.begin(), found.end(), s)) << "segment " << s << " missed";
    }
  }
}

TEST(NodePairMap, KeepsFirstValueAndTellsDirectionsApart) {
  std::vector<std::unique_ptr<data_2d::Node>> nodes;
  for (int i = 0; i < 2000; ++i) nodes.push_back(std::make_unique<data_2d::Node>(0u, i, 0.0));
  mesher_2d::Node_Pair_Map map(4);  // starts small: the table must grow
  for (std::uint32_t i = 0; i + 1 < nodes.size(); ++i) EXPECT_TRUE(map.insert(nodes[i].get(), nodes[i + 1].get(), i));
  EXPECT_FALSE(map.insert(nodes[0].get(), nodes[1].get(), 99));
  for (std::uint32_t i = 0; i + 1 < nodes.size(); ++i) {
    const std::uint32_t* value = map.find(nodes[i].get(), nodes[i + 1].get());
    EXPECT_TRUE(value != nullptr && *value == i) << i;
    EXPECT_FALSE(map.contains(nodes[i + 1].get(), nodes[i].get()) || map.contains(nodes[i].get()));
  }
  EXPECT_EQ(map.size(), nodes.size() - 1);
}

}  // namespace
