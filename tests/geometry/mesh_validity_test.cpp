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

}  // namespace
}  // namespace bsp
