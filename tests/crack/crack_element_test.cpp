#include "crack/crack_element.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace bsp {
namespace {

std::vector<Edge> loop(const std::vector<Node2D>& pts) {
  std::vector<Edge> edges;
  for (std::size_t k = 0; k < pts.size(); ++k) edges.push_back({pts[k], pts[(k + 1) % pts.size()]});
  return edges;
}

AxisMoments sum(const std::vector<Edge>& edges, double a) {
  AxisMoments m;
  for (const Edge& e : edges) m = m + edge_integrals(e, a);
  return m;
}

// Triangle with vertices at z = 0, 0, h and base b: area b h / 2, centroid
// h / 3, own second moment b h^3 / 36 (any textbook table).
TEST(EdgeIntegrals, ClosedLoopGivesAreaAndMomentsAboutAnyAxis) {
  const double b = 3.0, h = 2.0;
  const auto tri = loop({{0.0, 0.0}, {b, 0.0}, {0.7, h}});
  for (double a : {-1.5, 0.0, 0.4, 2.0, 10.0}) {
    const AxisMoments m = sum(tri, a);
    const double area = b * h / 2.0, d = h / 3.0 - a;
    EXPECT_NEAR(m.area, area, 1e-14);                                    // exact rule, unit-sized round-off
    EXPECT_NEAR(m.first, area * d, 1e-13);
    EXPECT_NEAR(m.second, b * h * h * h / 36.0 + area * d * d, 1e-12);  // sums up to ~300 here
  }
}

// A clockwise loop counts negative. A point-like edge (down to a half-length
// of 1e-16, below the floor of 2.2e-16) adds nothing; so does a segment on
// the axis, as the integrands carry (z - a): the cut that closes a clipped
// loop never needs to be formed.
TEST(EdgeIntegrals, ClockwiseLoopIsNegativeAndFlatEdgesAddNothing) {
  EXPECT_DOUBLE_EQ(sum(loop({{0.0, 0.0}, {1.0, 0.0}, {1.0, 1.0}, {0.0, 1.0}}), 0.0).area, 1.0);
  EXPECT_DOUBLE_EQ(sum(loop({{0.0, 0.0}, {0.0, 1.0}, {1.0, 1.0}, {1.0, 0.0}}), 0.0).area, -1.0);
  for (const auto& [edge, axis] : {std::pair{Edge{{1.0, 2.0}, {1.0, 2.0}}, 0.0}, std::pair{Edge{{0.0, 5.0}, {2e-16, 5.0}}, 0.0},
                                   std::pair{Edge{{0.0, 3.0}, {5.0, 3.0}}, 3.0}}) {
    const AxisMoments m = edge_integrals(edge, axis);
    EXPECT_EQ(m.area, 0.0);
    EXPECT_EQ(m.first, 0.0);
    EXPECT_EQ(m.second, 0.0);
  }
}

TEST(ClipToSide, KeepsCutsOrDropsAnEdge) {
  Edge piece;
  const Edge up{{0.0, 0.0}, {4.0, 8.0}};
  ASSERT_TRUE(clip_to_side(up, 2.0, Side::upper, piece));
  EXPECT_DOUBLE_EQ(piece.i.y, 1.0);  // on the edge's own line at z = 2
  EXPECT_DOUBLE_EQ(piece.i.z, 2.0);
  EXPECT_DOUBLE_EQ(piece.j.y, 4.0);
  ASSERT_TRUE(clip_to_side(up, 2.0, Side::lower, piece));
  EXPECT_DOUBLE_EQ(piece.j.y, 1.0);
  EXPECT_DOUBLE_EQ(piece.j.z, 2.0);
  EXPECT_FALSE(clip_to_side(up, 9.0, Side::upper, piece));
  EXPECT_FALSE(clip_to_side({{0.0, 2.0}, {3.0, 2.0}}, 2.0, Side::upper, piece));  // on the axis
  ASSERT_TRUE(clip_to_side(up, -1.0, Side::upper, piece));
  EXPECT_EQ(piece.i.z, 0.0);  // wholly on the kept side: unchanged
}

// The part of a triangle above z = a is a similar triangle: with the apex at
// height h and the base b, its height is H = h - a, its area b H^2 / (2 h) and
// its first moment about the axis b H^3 / (6 h). Moving only the end points'
// z of the slanted edges would give a trapezoid-like figure instead.
TEST(ConcreteElement, SlantedLoopKeepsSimilarTriangleAboveAxis) {
  const double b = 2.0, h = 3.0;
  std::vector<ConcreteElement> elements;
  for (const Edge& e : loop({{0.0, 0.0}, {b, 0.0}, {0.6, h}})) elements.emplace_back(e);
  for (double a : {0.5, 1.0, 2.9}) {
    AxisMoments up, down;
    for (auto& el : elements) {
      el.set_axis(a, Side::upper);
      up = up + AxisMoments{el.upper_area(), el.upper_first_moment(), el.upper_second_moment()};
      down = down + AxisMoments{el.lower_area(), el.lower_first_moment(), el.lower_second_moment()};
    }
    const double big_h = h - a;
    EXPECT_NEAR(up.area, b * big_h * big_h / (2.0 * h), 1e-14);              // exact rule, round-off
    EXPECT_NEAR(up.first, b * big_h * big_h * big_h / (6.0 * h), 1e-14);
    EXPECT_NEAR(up.second, b * std::pow(big_h, 4) / (12.0 * h), 1e-14);     // w H^3 / 12 of a triangle about its base
    EXPECT_EQ(down.area, 0.0);  // concrete compressed on the upper face keeps nothing below
  }
}

// Steel keeps both parts: upper + lower is the whole loop for any axis.
TEST(SteelElement, BothPartsMakeTheWhole) {
  const auto poly = loop({{0.0, 0.0}, {4.0, 1.0}, {3.0, 5.0}, {-1.0, 3.0}});
  for (double a : {-2.0, 0.5, 2.7, 5.0, 9.0}) {
    AxisMoments parts;
    for (const Edge& e : poly) {
      SteelElement el(e);
      el.set_axis(a, Side::lower);
      parts = parts + AxisMoments{el.active_area(Side::lower, 0.0), el.active_first_moment(Side::lower, 0.0),
                                  el.active_second_moment(Side::lower, 0.0)};
    }
    const AxisMoments whole = sum(poly, a);
    EXPECT_NEAR(parts.area, whole.area, 1e-13);      // round-off of sums ~10-1000
    EXPECT_NEAR(parts.first, whole.first, 1e-12);
    EXPECT_NEAR(parts.second, whole.second, 1e-11);
  }
}

}  // namespace
}  // namespace bsp
