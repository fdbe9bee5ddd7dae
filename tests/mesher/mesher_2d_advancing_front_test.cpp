#include "mesher/mesher_2d/advancing_front.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "mesher/data_2d/primitives.h"

namespace {

using data_2d::Element;
using data_2d::Node;

struct Front_Case {
  std::vector<std::unique_ptr<Node>> nodes;
  std::vector<std::unique_ptr<Element>> elements;
  Node* add(double x, double y) {
    nodes.push_back(std::make_unique<Node>(0u, x, y));
    return nodes.back().get();
  }
};

double area(const Element& e) { return 0.5 * data_2d::orientation(e.nodes[0]->point(), e.nodes[1]->point(), e.nodes[2]->point()); }

TEST(AdvancingFront, HexagonWithCentreNodeBecomesSixTriangles) {
  // The centre sees each side under 60 degrees, more than any corner: six equilateral triangles.
  Front_Case c;
  std::vector<Node*> ring;
  for (int k = 0; k < 6; ++k) ring.push_back(c.add(std::cos(k * std::acos(-1.0) / 3), std::sin(k * std::acos(-1.0) / 3)));
  Node* centre = c.add(0, 0);
  mesher_2d::Advancing_Front front(5.0, 16);
  for (std::size_t k = 0; k < 6; ++k) front.add_segment(ring[k], ring[(k + 1) % 6], false);
  front.add_node(centre);
  front.fill(c.elements, nullptr);
  ASSERT_EQ(c.elements.size(), 6u);
  for (const auto& e : c.elements) {
    EXPECT_EQ(e->nodes[2], centre);
    EXPECT_NEAR(data_2d::triangle_quality(e->nodes[0]->point(), e->nodes[1]->point(), e->nodes[2]->point()), 1.0, 1e-12);
    EXPECT_NEAR(area(*e), 0.25 * std::sqrt(3.0), 1e-12);  // equilateral of side 1
  }
  EXPECT_EQ(front.open_segments(), 0u);
}

TEST(AdvancingFront, ObstacleAndBlockedSideAreNeverCrossed) {
  // Square 0..4 round a 1 x 1 element: counter-clockwise triangles crossing none of its sides.
  Front_Case c;
  Node* s[4] = {c.add(0, 0), c.add(4, 0), c.add(4, 4), c.add(0, 4)};
  Node* q[4] = {c.add(1.5, 1.5), c.add(2.5, 1.5), c.add(2.5, 2.5), c.add(1.5, 2.5)};
  c.elements.push_back(std::make_unique<Element>(std::vector<Node*>{q[0], q[1], q[2], q[3]}));
  mesher_2d::Advancing_Front front(20.0, 16);
  for (int k = 0; k < 4; ++k) front.add_segment(s[k], s[(k + 1) % 4], false);
  for (int k = 0; k < 4; ++k) front.add_segment(q[(k + 1) % 4], q[k], false);  // the element's sides, reversed
  front.fill(c.elements, nullptr);
  EXPECT_EQ(front.open_segments(), 0u);
  double triangles = 0.0;
  for (std::size_t i = 1; i < c.elements.size(); ++i) {
    const auto& e = c.elements[i]->nodes;
    EXPECT_GT(area(*c.elements[i]), 0.0);
    triangles += area(*c.elements[i]);
    for (std::size_t k = 0; k < 3; ++k) {
      for (int m = 0; m < 4; ++m) EXPECT_FALSE(data_2d::segments_cross(e[k]->point(), e[(k + 1) % 3]->point(), q[m]->point(), q[(m + 1) % 4]->point()));
    }
  }
  EXPECT_NEAR(triangles, 16.0 - 1.0, 1e-12);  // round-off of a few areas of order 1
}

TEST(AdvancingFront, SegmentWithoutCandidateStaysOpen) {
  // Three collinear nodes: no candidate sees a side under more than 0.1 degrees.
  Front_Case c;
  Node* a = c.add(0, 0);
  Node* b = c.add(1, 0);
  mesher_2d::Advancing_Front front(5.0, 4);
  front.add_segment(a, b, false);
  front.add_segment(b, c.add(2, 0), false);
  front.add_segment(a, a, false);  // a segment from a node to itself is dropped
  front.add_segment(a, b, false);  // a repeated entry is dropped
  front.fill(c.elements, nullptr);
  EXPECT_TRUE(c.elements.empty());
  EXPECT_EQ(front.open_segments(), 2u);
}

}  // namespace
