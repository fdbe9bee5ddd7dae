#include "geometry/mesh_validity.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace bsp {
namespace {

// Straight-sided 6-node triangles from corner triples, every node its own input node.
MergedSection mesh_of(const std::vector<std::array<double, 6>>& triangles) {
  MergedSection m;
  for (const auto& t : triangles) {
    const auto first = static_cast<std::int32_t>(m.x.size());
    m.x.insert(m.x.end(), {t[0], t[2], t[4], (t[0] + t[2]) / 2, (t[2] + t[4]) / 2, (t[4] + t[0]) / 2});
    m.y.insert(m.y.end(), {t[1], t[3], t[5], (t[1] + t[3]) / 2, (t[3] + t[5]) / 2, (t[5] + t[1]) / 2});
    for (int i = 1; i <= 6; ++i) m.connectivity.push_back(first + i);
    m.element_material.push_back(1);
    m.element_origin.push_back(static_cast<std::int32_t>(m.element_origin.size()));
  }
  for (std::size_t i = 0; i < m.x.size(); ++i) m.node_origin.push_back(static_cast<std::int32_t>(i));
  return m;
}

// Separate nodes, so geometry decides: touching or 1e-6 apart (above the tolerance) is no
// overlap; any depth above the tolerance is one, down to a sliver 1e-6 deep.
TEST(MeshValidity, FindsOverlapsOfAnyDepthAboveTheTolerance) {
  EXPECT_FALSE(find_mesh_fault(mesh_of({{0, 0, 1, 0, 0, 1}, {1, 0, 2, 0, 1, 1}}), false));
  EXPECT_FALSE(find_mesh_fault(mesh_of({{0, 0, 1, 0, 0, 1}, {0.5 + 1e-6, 0.5 + 1e-6, 1, 1, 0, 2}}), false));
  for (const std::array<double, 6>& other : {std::array<double, 6>{0.1, 0.1, 0.6, 0.1, 0.1, 0.6}, {0.5 - 1e-6, 0.5 - 1e-6, 1, 1, 0, 2}}) {
    const auto fault = find_mesh_fault(mesh_of({{0, 0, 1, 0, 0, 1}, other}), false);
    EXPECT_TRUE(fault && fault->kind == MeshFault::Kind::overlap) << other[0];
  }
}

TEST(MeshValidity, NodeInsideANeighboursEdgeHangsAndPrefersInputNodes) {
  // A triangle below the edge (0,0)-(2,0), two above it meeting at (1,0) inside that edge.
  MergedSection m = mesh_of({{0, 0, 2, 0, 0, -2}, {0, 0, 1, 0, 0.5, 1}, {1, 0, 2, 0, 1.5, 1}});
  // The big element's midpoint (1,0) made the small triangles' corner, as gluing would.
  m.connectivity[3] = m.connectivity[6 + 1];
  const auto f = find_mesh_fault(m, false);
  ASSERT_TRUE(f);
  EXPECT_TRUE(f->kind == MeshFault::Kind::hanging_node && f->element == 0 && f->edge == 0);
  // Of the candidates (corner at 1, mid-sides at 0.5 and 1.5) an input node is reported.
  EXPECT_NE(m.node_origin[static_cast<std::size_t>(f->node)], -1);
}

// A large mesh is searched by two threads over halves of the elements: the report must be the one
// the single-threaded search gives, with faults in either half or in both.
TEST(MeshValidity, TwoThreadsReportTheSingleThreadedFault) {
  std::vector<std::array<double, 6>> cells;
  for (int j = 0; j < 60; ++j)
    for (int i = 0; i < 60; ++i) {
      // Cells' triangles shrunk apart (separate nodes would hang on shared edges).
      const double x = i, y = j, a = 0.05, b = 0.9;
      cells.push_back({x + a, y + a, x + b, y + a, x + a, y + b});
      cells.push_back({x + 1 - a, y + 1 - b, x + 1 - a, y + 1 - a, x + 1 - b, y + 1 - a});
    }
  const std::size_t n = cells.size();
  for (const std::vector<std::size_t>& bad : {std::vector<std::size_t>{}, {n - 10}, {100, n - 10}, {n / 2 - 1}}) {
    auto t = cells;
    for (std::size_t e : bad) {
      t[e] = {t[e][0] + 0.3, t[e][1] + 0.3, t[e][2] + 0.3, t[e][3] + 0.3, t[e][4] + 0.3, t[e][5] + 0.3};
    }
    const MergedSection m = mesh_of(t);
    const auto one = find_mesh_fault(m, false, 1), two = find_mesh_fault(m, false, 2);
    ASSERT_EQ(one.has_value(), !bad.empty());
    ASSERT_EQ(two.has_value(), one.has_value());
    if (one) {
      EXPECT_TRUE(one->kind == two->kind && one->element == two->element && one->other_element == two->other_element);
    }
  }
}

}  // namespace
}  // namespace bsp
