// Gluing the meshes of an outline's regions into one mesh for the solver.
// Each region is meshed on its own; the nodes on a wire two regions share
// come out of both meshes at bitwise the same positions. The regions go
// through merge_section as the parts of a meshed section, which makes them
// one node numbering (nodes closer than node_coincidence_tolerance are one),
// groups the regions connected through shared nodes into components by
// union-find and numbers every component's nodes and elements contiguously,
// as the solver's domains need. The work is expected linear in the nodes.
//
// It does not scale: the meshes are glued in the coordinates they were made
// in (the scaled ones, where the 1e-8 tolerance is safe).
#pragma once

#include <cstdint>
#include <span>

#include "geometry/merge_section.h"
#include "mesher/domain_maker/flat_mesh.h"

namespace bsp {

// One meshed region: its 6-node triangles (1-based numbers into its own
// nodes) and the part number its elements carry in the glued mesh.
struct RegionMesh {
  domain_maker::Flat_Mesh mesh;
  std::int32_t part = 1;
};

// The glued mesh. element_material holds each element's part number;
// components are in the order of their first region. Throws std::length_error
// when the regions together hold more nodes than int32 numbering allows.
MergedSection glue_region_meshes(std::span<const RegionMesh> regions);

}  // namespace bsp
