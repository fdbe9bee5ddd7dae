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

}  // namespace
}  // namespace bsp
