#include "crack/crack_element.h"

#include <gtest/gtest.h>

#include <array>
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

// A clockwise loop counts negative. A point-like edge (half-length 1e-16, below the 2.2e-16
// floor) adds nothing, nor does one on the axis: a clipped loop's closing cut is never formed.
TEST(EdgeIntegrals, ClockwiseLoopIsNegativeAndFlatEdgesAddNothing) {
  EXPECT_DOUBLE_EQ(sum(loop({{0.0, 0.0}, {1.0, 0.0}, {1.0, 1.0}, {0.0, 1.0}}), 0.0).area, 1.0);
  EXPECT_DOUBLE_EQ(sum(loop({{0.0, 0.0}, {0.0, 1.0}, {1.0, 1.0}, {1.0, 0.0}}), 0.0).area, -1.0);
  for (const auto& [edge, axis] : {std::pair{Edge{{1.0, 2.0}, {1.0, 2.0}}, 0.0}, std::pair{Edge{{0.0, 5.0}, {2e-16, 5.0}}, 0.0},
                                   std::pair{Edge{{0.0, 3.0}, {5.0, 3.0}}, 3.0}}) {
    const AxisMoments m = edge_integrals(edge, axis);
    EXPECT_EQ((std::array<double, 3>{m.area, m.first, m.second}), (std::array<double, 3>{})) << axis;
  }
}

// Cut on its own line across the axis, kept whole on the kept side, dropped otherwise.
TEST(ClipToSide, KeepsCutsOrDropsAnEdge) {
  const Edge up{{0.0, 0.0}, {4.0, 8.0}};
  const auto clip = [&](double a, Side side) {
    Edge piece{{-9.0, -9.0}, {-9.0, -9.0}};
    EXPECT_TRUE(clip_to_side(up, a, side, piece)) << a;
    return std::array<double, 4>{piece.i.y, piece.i.z, piece.j.y, piece.j.z};
  };
  EXPECT_EQ(clip(2.0, Side::upper), (std::array<double, 4>{1.0, 2.0, 4.0, 8.0}));  // exact binary values
  EXPECT_EQ(clip(2.0, Side::lower), (std::array<double, 4>{0.0, 0.0, 1.0, 2.0}));
  EXPECT_EQ(clip(-1.0, Side::upper), (std::array<double, 4>{0.0, 0.0, 4.0, 8.0}));
  Edge piece;
  EXPECT_FALSE(clip_to_side(up, 9.0, Side::upper, piece));
  EXPECT_FALSE(clip_to_side({{0.0, 2.0}, {3.0, 2.0}}, 2.0, Side::upper, piece));
}

// Above z = a lies a similar triangle of height H = h - a: area b H^2 / (2 h), first moment
// b H^3 / (6 h); moving only the slanted edges' end points would give a trapezoid instead.
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
    // Concrete compressed on the upper face keeps nothing below.
    EXPECT_EQ((std::array<double, 3>{down.area, down.first, down.second}), (std::array<double, 3>{}));
  }
}

}  // namespace
}  // namespace bsp
