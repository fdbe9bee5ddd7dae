#include "geometry/region_mesh_gluing.h"

#include <gtest/gtest.h>

#include <vector>

namespace bsp {
namespace {

// Unit square [x0, x0+1] x [0, 1] as two 6-node triangles, as a mesher hands a region back.
domain_maker::Flat_Mesh square(double x0) {
  return {9, 2, {x0, x0 + 1, x0 + 1, x0, x0 + 0.5, x0 + 1, x0 + 0.5, x0 + 0.5, x0}, {0, 0, 1, 1, 0, 0.5, 0.5, 1, 0.5},
          {1, 2, 3, 5, 6, 7, 1, 3, 4, 7, 8, 9}};
}

// Squares at x = 0, 3, 1: components {1, 3} and {2} in contiguous blocks; the shared edge's nodes
// once, whether all nodes are candidates or only the wire nodes and mid-sides between them.
TEST(RegionMeshGluing, RegionsJoinTheComponentTheyTouch) {
  for (const std::int32_t wire : {-1, 4}) {
    SCOPED_TRACE(wire);
    const MergedSection g = glue_region_meshes(std::vector<RegionMesh>{{square(0), 1, wire}, {square(3), 2, wire}, {square(1), 3, wire}});
    EXPECT_EQ(g.component_element_count, (std::vector<std::int32_t>{4, 2}));
    EXPECT_EQ(g.component_node_count, (std::vector<std::int32_t>{15, 9}));
    EXPECT_EQ(g.node_count(), 24);
    EXPECT_EQ(std::vector<std::int32_t>(g.element_material.begin(), g.element_material.end()), (std::vector<std::int32_t>{1, 1, 3, 3, 2, 2}));
    for (std::size_t i = 0; i < 36; ++i) EXPECT_TRUE(i < 24 ? g.connectivity[i] <= 15 : g.connectivity[i] >= 16) << i;
  }
}

// Four triangles round a centre node, corners first: of the mid-side nodes only those between two
// corners may lie on the outline, and the shared side's middle one must still join its twin.
TEST(RegionMeshGluing, MidSideNodesBetweenTwoWireNodesAreCandidates) {
  const auto fan = [](double x0) -> domain_maker::Flat_Mesh {
    return {13, 4,
            {x0, x0 + 1, x0 + 1, x0, x0 + 0.5, x0 + 0.5, x0 + 1, x0 + 0.5, x0, x0 + 0.75, x0 + 0.75, x0 + 0.25, x0 + 0.25},
            {0, 0, 1, 1, 0.5, 0, 0.5, 1, 0.5, 0.25, 0.75, 0.75, 0.25},
            {1, 2, 5, 6, 10, 13, 2, 3, 5, 7, 11, 10, 3, 4, 5, 8, 12, 11, 4, 1, 5, 9, 13, 12}};
  };
  const MergedSection g = glue_region_meshes(std::vector<RegionMesh>{{fan(0), 1, 4}, {fan(1), 2, 4}});
  EXPECT_EQ(g.component_element_count, (std::vector<std::int32_t>{8}));
  EXPECT_EQ(g.node_count(), 23);  // the shared side's two corners and its middle node once
}

}  // namespace
}  // namespace bsp
