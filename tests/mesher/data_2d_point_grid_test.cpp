#include "mesher/data_2d/point_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "mesher/data_2d/primitives.h"

namespace data_2d {
namespace {

TEST(PointGrid, CandidatesHoldEveryPointWithinTheRadiusInAscendingOrder) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> coordinate(-3.0, 7.0);
  std::vector<Point> points(2000);
  for (Point& p : points) p = {coordinate(random), coordinate(random)};
  // Exact duplicates and points on cell borders are the cases a hash gets wrong.
  points[10] = points[11] = {1.0, 1.0};
  points[12] = {0.0, 0.25};
  for (const double cell : {0.05, 0.25, 3.0}) {
    Point_Grid grid(cell);
    for (std::size_t i = 0; i < points.size(); ++i) grid.insert(static_cast<std::int32_t>(i), points[i]);
    for (const double radius : {0.0, 0.1, 0.7}) {
      for (std::size_t q = 0; q < points.size(); q += 37) {
        const std::vector<std::int32_t> found = grid.near(points[q], radius);
        EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
        EXPECT_EQ(std::adjacent_find(found.begin(), found.end()), found.end());
        for (std::size_t i = 0; i < points.size(); ++i) {
          if (squared_distance(points[i], points[q]) > radius * radius) continue;
          EXPECT_TRUE(std::binary_search(found.begin(), found.end(), static_cast<std::int32_t>(i)))
              << "cell " << cell << " radius " << radius << " query " << q << " missed " << i;
        }
      }
    }
  }
}

TEST(PointGrid, FarApartPointsAndOutOfOrderInsertionStaySound) {
  Point_Grid grid(1e-6);
  grid.insert(5, {1e12, -1e12});
  grid.insert(2, {1e12, -1e12});
  grid.insert(9, {0.0, 0.0});
  EXPECT_EQ(grid.near({1e12, -1e12}, 1e-6), (std::vector<std::int32_t>{2, 5}));
  EXPECT_EQ(grid.near({0.0, 0.0}, 1e-6), (std::vector<std::int32_t>{9}));
  EXPECT_TRUE(grid.near({0.5, 0.5}, 1e-6).empty());
}

}  // namespace
}  // namespace data_2d
