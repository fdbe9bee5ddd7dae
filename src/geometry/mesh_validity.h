// Validity of a merged mesh beyond what each element shows on its own:
// elements that overlap one another, and hanging nodes (a node strictly
// inside an edge of an element that does not use it, the mark of parts whose
// interface nodes do not line up). Either would give plausible numbers that
// are wrong: an overlap counts its area twice, a hanging node cuts the field
// along the edge.
//
// Element orientation is not checked here (the drivers do that first; the
// overlap test assumes counter-clockwise, non-degenerate corner triangles).
// Elements are judged by their corner triangles: mid-side nodes off the
// chord, which a host mesh of straight-sided parts does not have, are not
// looked at.
#pragma once

#include <cstdint>
#include <optional>

#include "geometry/merge_section.h"

namespace bsp {

// Two elements overlap when their corner triangles cannot be separated along
// any of their six edge normals with a gap above -overlap_tolerance_ratio
// times the longer of the two elements' longest edges. Touching along an
// edge or at a corner gives a gap of rounding size (about 1e-16 of the
// element), far below it; a genuine overlap of a host mesh is a sizeable
// share of an element. Rule of this library, pinned by
// tests/geometry/mesh_validity_test.cpp.
inline constexpr double overlap_tolerance_ratio = 1e-8;

// A node hangs on an edge when its distance from the edge's chord is below
// hanging_tolerance_ratio times the edge length and it lies strictly inside
// the edge (its parameter along the chord is more than that ratio away from
// both ends). Same scale argument as above; rule of this library, pinned by
// tests/geometry/mesh_validity_test.cpp.
inline constexpr double hanging_tolerance_ratio = 1e-8;

struct MeshFault {
  enum class Kind { overlap, hanging_node };
  Kind kind = Kind::overlap;
  std::int32_t element = 0;        // 0-based merged element: one of the overlapping pair, or the edge's owner
  std::int32_t other_element = 0;  // overlap: the other element; hanging node: an element that uses the node
  std::int32_t node = 0;           // hanging node: 0-based merged node
  int edge = 0;                    // hanging node: edge of `element`, 0: corners 1-2, 1: 2-3, 2: 3-1
};

// The first fault found, or nothing for a valid mesh. With
// created_mid_side_nodes (3-node input), an element's mid-side node is its
// own only when no input node was identified with it: an input node there is
// a corner of a finer neighbour, which hangs on the element's edge.
//
// Cost: elements are binned on a uniform grid of about one cell per element,
// cell side near the mean element size; only pairs whose boxes meet are
// tested, so the work is linear in the element count for any mesh whose
// element sizes do not vary by orders of magnitude within a cell's reach.
// With threads >= 2 a large mesh is searched by two threads, with the same
// report.
std::optional<MeshFault> find_mesh_fault(const MergedSection& mesh, bool created_mid_side_nodes, int threads = 1);

}  // namespace bsp
