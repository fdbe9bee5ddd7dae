// Cutting the wires of a section record into pieces of about the element
// size before the domain maker and the mesher see them. A wire through
// vertices p_0 .. p_{n-1} is read as the cubic spline through them (tangents
// from the usual C2 end-free system, solved with LAPACK's DGESV), sampled
// four times per interval and cut into m = round(L / h) pieces of equal arc
// length along the sampled polyline (halves rounded away from zero; a wire
// shorter than h/2 keeps one piece). A two-vertex wire is its straight
// segment, cut at p_0 + (k/m)(p_1 - p_0) directly, so shared segments give
// bitwise identical nodes in every region that uses them.
//
// It reports no failures for geometry: a degenerate outline is the domain
// maker's to reject. It throws std::length_error when a wire would get more
// pieces than the node numbering can hold.
#pragma once

#include <span>
#include <vector>

#include "mesher/data_2d/point.h"
#include "mesher/domain_maker/mesh_data.h"

namespace bsp {

// Tangents t_i of the cubic spline through `vertices` (n >= 2), per
// coordinate the solution of 2 t_0 + t_1 = 3 (p_1 - p_0),
// t_{i-1} + 4 t_i + t_{i+1} = 3 (p_{i+1} - p_{i-1}), t_{n-2} + 2 t_{n-1} =
// 3 (p_{n-1} - p_{n-2}), by DGESV on the dense system (both coordinates as
// two right-hand sides). Throws std::runtime_error if DGESV reports a
// singular matrix, which this diagonally dominant system never is.
std::vector<data_2d::Point> spline_tangents(std::span<const data_2d::Point> vertices);

// The points of one wire cut at size h: first and last vertex kept, m - 1
// points between them (m >= 1). For two vertices they lie on the segment.
std::vector<data_2d::Point> discretise_polyline(std::span<const data_2d::Point> vertices, double h);

// Replaces the node list of every wire of `record` by its cut version: the
// wire's end nodes keep their indices, the points between are appended to
// record.nodes (on_boundary set, seed clear, seed_size 0).
void discretise_wires(domain_maker::Mesh_Data& record, double h);

}  // namespace bsp
