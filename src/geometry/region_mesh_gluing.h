// Gluing the meshes of an outline's regions into one mesh for the solver.
// Each region is meshed on its own; a wire two regions share comes out of
// both meshes with bitwise the same nodes (its cut points, and the mid-side
// nodes of its pieces). Nodes of different regions closer than
// node_coincidence_tolerance become one node, found through the coincidence
// grid (coincidence_grid.h); regions connected through shared nodes form one
// component (union-find, smallest_root_sets.h), and every component gets a
// contiguous block of elements and of node numbers, as the solver's domains
// need. Only nodes that can lie on a region's boundary enter the grid, so the
// cost is linear in the elements with a small constant.
//
// It does not scale: the meshes are glued in the coordinates they were made
// in (the scaled ones, where the 1e-8 tolerance is safe).
#pragma once

#include <cstdint>
#include <span>

#include "geometry/merge_section.h"
#include "mesher/domain_maker/flat_mesh.h"

namespace bsp {

// One meshed region: 6-node triangles (corners, then mid-sides 1-2, 2-3,
// 3-1; 1-based numbers into its own nodes) and the part number its elements
// carry in the glued mesh.
struct RegionMesh {
  domain_maker::Flat_Mesh mesh;
  std::int32_t part = 1;
  // The region's wire nodes, which the meshers keep first in the node list:
  // nodes 0 .. wire_nodes-1, and the mid-side nodes of sides between two of
  // them, are the ones that may coincide with nodes of other regions; -1
  // treats every node so.
  std::int32_t wire_nodes = -1;
};

// The glued mesh: node coordinates of the first region that has the point,
// 6 numbers per element, element_material = each element's part number,
// element_origin = its index in the concatenated region meshes. Components
// are in the order of their first region, regions in order inside a
// component, nodes numbered by first use. Throws std::length_error when the
// regions together hold more nodes than int32 numbering allows and
// std::invalid_argument for a region whose connectivity is not 6-node
// triangles on its own nodes.
MergedSection glue_region_meshes(std::span<const RegionMesh> regions);

}  // namespace bsp
