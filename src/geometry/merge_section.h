// Merging of meshed parts: a host that meshed a composite section part by part
// hands us the parts one after another, each with its own copy of the nodes on
// its interfaces. merge_section turns them into one mesh of 6-node triangles in
// which every geometric point is one node, grouped into connected components
// that the solver takes as its domains.
//
// It does not check its input (the exports do: counts, node numbers in range,
// finite coordinates) and it does not check element orientation.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/large_allocator.h"
#include "geometry/coincidence_grid.h"

namespace bsp {

// Parts as the host passes them, in solver coordinates (x, y). The elements of
// part p are the part_element_count[p] elements after those of parts 0..p-1.
struct MergeInput {
  std::span<const double> x;                         // n_nodes
  std::span<const double> y;                         // n_nodes
  std::span<const std::int32_t> connectivity;        // nodes_per_element per element, 1-based, in 1..n_nodes
  std::span<const std::int32_t> element_material;    // one per element, passed through
  std::span<const std::int32_t> part_element_count;  // one per part, each >= 0, summing to the element count
  int nodes_per_element = 3;                         // 3, or 6 (corners, then mid-sides 1-2, 2-3, 3-1)
};

// One mesh of 6-node triangles in the solver's node order (corners, then the
// mid-side nodes of edges 1-2, 2-3, 3-1). Components are connected through
// shared nodes; each owns a contiguous block of elements and of node numbers,
// components in the order of their first input element, elements in input
// order inside a component, nodes numbered by first use.
struct MergedSection {
  // Arrays that grow with the mesh are mapped in huge pages (large_allocator.h).
  LargeVector<double> x, y;                               // merged node coordinates
  LargeVector<std::int32_t> connectivity;                 // 6 per element, 1-based global numbers
  LargeVector<std::int32_t> element_material;             // per emitted element
  LargeVector<std::int32_t> element_origin;               // 0-based input index of each emitted element
  LargeVector<std::int32_t> node_origin;                  // smallest 0-based input node index of each
                                                          // merged node; -1 for a created mid-side node
  std::vector<std::int32_t> component_element_count;      // per component
  std::vector<std::int32_t> component_node_count;         // per component

  std::int32_t node_count() const noexcept { return static_cast<std::int32_t>(x.size()); }
  std::int32_t element_count() const noexcept { return static_cast<std::int32_t>(element_material.size()); }
  std::int32_t component_count() const noexcept {
    return static_cast<std::int32_t>(component_element_count.size());
  }
};

inline constexpr int merged_nodes_per_element = 6;

// Coincident nodes inside a part become one node; for 3-node input each edge
// gets one mid-side node at its midpoint, shared by the elements of the part
// that use the edge; nodes on the boundary of one part that coincide with
// boundary nodes of another part become one node (the smaller input number
// wins, created mid-side nodes being numbered after the input nodes in creation
// order). Expected cost is linear in nodes plus elements: spatial hashing for
// coincidence, hash maps for edges, union-find for identities and components.
MergedSection merge_section(const MergeInput& input);

}  // namespace bsp
