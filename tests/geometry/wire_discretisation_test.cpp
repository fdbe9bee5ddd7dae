#include "geometry/wire_discretisation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/outline_domain.h"

namespace bsp {
namespace {

using data_2d::Point;

double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// End-free system by hand for (0,0), (1,1), (2,0): x: 2a + b = 3, a + 4b + c = 6, b + 2c = 3
// gives 1, 1, 1; y: 2a + b = 3, a + 4b + c = 0, b + 2c = -3 gives 1.5, 0, -1.5.
TEST(WireDiscretisation, TangentsSolveTheSplineSystem) {
  const std::vector<Point> p = {{0, 0}, {1, 1}, {2, 0}};
  const std::vector<Point> t = spline_tangents(p);
  const Point expected[] = {{1, 1.5}, {1, 0}, {1, -1.5}};
  ASSERT_EQ(t.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(t[i].x, expected[i].x, 1e-14);  // LU of small integers: a few ulps
    EXPECT_NEAR(t[i].y, expected[i].y, 1e-14);
  }
}

// Equally spaced collinear vertices: tangents are the spacing, cut points equally spaced.
TEST(WireDiscretisation, CollinearWireIsCutIntoEqualPieces) {
  const std::vector<Point> p = {{0, 0}, {3, 4}, {6, 8}, {9, 12}};
  for (const Point t : spline_tangents(p)) {
    EXPECT_NEAR(t.x, 3.0, 1e-13);  // dense LU round-off on entries of order 10
    EXPECT_NEAR(t.y, 4.0, 1e-13);
  }
  const std::vector<Point> cut = discretise_polyline(p, 2.0);  // length 15: 7.5 -> 8 pieces
  ASSERT_EQ(cut.size(), 9u);
  for (std::size_t k = 0; k < cut.size(); ++k) {
    EXPECT_NEAR(cut[k].x, 9.0 * static_cast<double>(k) / 8, 1e-12);  // arc-length interpolation round-off
    EXPECT_NEAR(cut[k].y, 12.0 * static_cast<double>(k) / 8, 1e-12);
  }
}

// A curved wire keeps its ends and gets round(L / h) pieces of equal length along the spline.
TEST(WireDiscretisation, CurvedWireIsCutAtEqualArcLength) {
  const std::vector<Point> p = {{0, 0}, {1, 1}, {2, 0}};
  const std::vector<Point> cut = discretise_polyline(p, 0.25);
  EXPECT_TRUE(cut.front() == p.front() && cut.back() == p.back());
  double chord_sum = 0.0;
  for (std::size_t k = 1; k < cut.size(); ++k) chord_sum += distance(cut[k - 1], cut[k]);
  // The spline is longer than the two chords (2.83); m = round(L / 0.25).
  EXPECT_GT(chord_sum, 2.0 * std::sqrt(2.0));
  EXPECT_EQ(static_cast<double>(cut.size() - 1), std::round(chord_sum / 0.25));
  // Pieces of equal arc length: chords agree to the polyline's curvature.
  for (std::size_t k = 1; k < cut.size(); ++k) EXPECT_NEAR(distance(cut[k - 1], cut[k]), chord_sum / (cut.size() - 1), 0.01);
  // Symmetric vertices give a symmetric cut about x = 1.
  for (std::size_t k = 0; k < cut.size(); ++k) {
    const Point mirror = cut[cut.size() - 1 - k];
    EXPECT_NEAR(cut[k].x, 2.0 - mirror.x, 1e-12);  // arc-length interpolation round-off
    EXPECT_NEAR(cut[k].y, mirror.y, 1e-12);
  }
}

// End nodes keep their indices; boundary nodes at p0 + (k/m)(p1 - p0) are appended.
TEST(WireDiscretisation, RecordKeepsEndNodesAndAppendsCutPoints) {
  domain_maker::Domain_Data d = build_outline_domain(Outline{{0, 5, 5}, {0, 0, 4.8}, {{{0, 1}, {1, 2}, {2, 0}}}});
  ASSERT_EQ(d.nodes.size(), 3u);
  ASSERT_EQ(d.wires.size(), 3u);
  EXPECT_EQ(d.wires[1].number, 2);
  discretise_wires(d, 2.0);
  EXPECT_EQ(d.wires[0].nodes, (std::vector<std::int32_t>{0, 3, 4, 1}));  // 5 / 2 = 2.5 -> 3 pieces
  EXPECT_EQ(d.wires[1].nodes, (std::vector<std::int32_t>{1, 5, 2}));     // 4.8 / 2 = 2.4 -> 2 pieces
  EXPECT_EQ(d.wires[2].nodes.front(), 2);
  EXPECT_EQ(d.wires[2].nodes.back(), 0);
  EXPECT_EQ(std::vector<double>({d.nodes[3].x, d.nodes[4].x, d.nodes[5].y}), std::vector<double>({(1.0 / 3) * 5.0, (2.0 / 3) * 5.0, 0.5 * 4.8}));
  for (std::size_t i = 3; i < d.nodes.size(); ++i) EXPECT_TRUE(d.nodes[i].on_boundary == 1 && d.nodes[i].seed == 0) << i;
}

}  // namespace
}  // namespace bsp
