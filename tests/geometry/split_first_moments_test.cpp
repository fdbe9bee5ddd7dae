#include "geometry/split_first_moments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace bsp {
namespace {

// Triangles given by corners only (3 numbers per element).
struct Tri {
  std::vector<double> x, y;
  std::vector<std::int32_t> conn, part;
  void add(double x0, double y0, double x1, double y1, double x2, double y2, std::int32_t p = 1) {
    for (const auto& [a, b] : {std::pair{x0, y0}, std::pair{x1, y1}, std::pair{x2, y2}}) {
      x.push_back(a);
      y.push_back(b);
      conn.push_back(static_cast<std::int32_t>(x.size()));
    }
    part.push_back(p);
  }
  SplitFirstMoments split(std::vector<double> w, double xc, double yc) const {
    return split_first_moments(x, y, conn, 3, part, w, xc, yc);
  }
};

// [x0, x0 + b] x [0, h] added to `t` as a fan about (x0 + px, py): the axes cut it at all angles.
Tri rectangle_fan(double b, double h, double px, double py, std::int32_t part = 1, double x0 = 0, Tri t = {}) {
  t.add(x0, 0, x0 + b, 0, x0 + px, py, part);
  t.add(x0 + b, 0, x0 + b, h, x0 + px, py, part);
  t.add(x0 + b, h, x0, h, x0 + px, py, part);
  t.add(x0, h, x0, 0, x0 + px, py, part);
  return t;
}

// Each half of a b x h rectangle: h b^2 / 8 about x = b/2, b h^2 / 8 about y = h/2, signed.
TEST(SplitFirstMoments, RectangleHalvesAreExactForAnyTriangulation) {
  const double b = 10, h = 6;
  for (const auto& [px, py] : {std::pair{5.0, 3.0}, std::pair{1.3, 4.9}, std::pair{9.1, 0.2}}) {
    const SplitFirstMoments q = rectangle_fan(b, h, px, py).split({1.0}, b / 2, h / 2);
    EXPECT_NEAR(q.about_x.positive, h * b * b / 8, 1e-12);  // sums of products of order 10
    EXPECT_NEAR(q.about_x.negative, -h * b * b / 8, 1e-12);
    EXPECT_NEAR(q.about_y.positive, b * h * h / 8, 1e-12);
    EXPECT_NEAR(q.about_y.negative, -b * h * h / 8, 1e-12);
  }
}

// A line through no element leaves all on one side; one through a corner splits into two triangles.
TEST(SplitFirstMoments, TriangleCutThroughItsCorner) {
  Tri t;
  t.add(0, 0, 2, 0, 1, 3);  // apex above x = 1
  const SplitFirstMoments q = t.split({1.0}, 1.0, 10.0);
  // Right half (1,0),(2,0),(1,3): area 1.5, centroid x 4/3: moment 0.5.
  EXPECT_NEAR(q.about_x.positive, 0.5, 1e-15);
  EXPECT_NEAR(q.about_x.negative, -0.5, 1e-15);
  // The whole triangle lies below y = 10: centroid y = 1, area 3.
  EXPECT_EQ(q.about_y.positive, 0.0);
  EXPECT_NEAR(q.about_y.negative, 3.0 * (1.0 - 10.0), 1e-13);
}

// Weights multiply each element's share; parts outside the weight list add nothing.
TEST(SplitFirstMoments, WeightsScaleEachPart) {
  // The squares [0,2] x [0,2] of part 1 and [2,4] x [0,2] of part 2.
  const Tri t = rectangle_fan(2, 2, 1.5, 0.4, 2, 2.0, rectangle_fan(2, 2, 0.7, 1.1, 1));
  // About x = 2: left square (weight 1) moment -4, right square (weight 3) 3 * 4.
  const SplitFirstMoments q = t.split({1.0, 3.0}, 2.0, 1.0);
  EXPECT_NEAR(q.about_x.negative, -4.0, 1e-14);
  EXPECT_NEAR(q.about_x.positive, 12.0, 1e-14);
  EXPECT_NEAR(q.about_y.positive, 1.0 + 3.0, 1e-14);
  const SplitFirstMoments only_first = t.split({1.0}, 2.0, 1.0);
  EXPECT_NEAR(only_first.about_x.negative, -4.0, 1e-14);
  EXPECT_NEAR(only_first.about_x.positive, 0.0, 1e-14);
}

}  // namespace
}  // namespace bsp
