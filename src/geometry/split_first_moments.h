// First moments of area of the two parts into which a centroidal axis cuts
// a mesh: for the line x = xc, the weighted moment of the part with x > xc
// about that line and of the part with x < xc, and likewise for y = yc. Each
// triangle is clipped against the line and the pieces are integrated exactly
// (straight sides; the mid-side nodes of 6-node triangles are not read), so
// the result is exact for any polygonal section whatever the mesh, costs one
// pass over the elements and has no failure path.
//
// It does not add bars and does not take absolute values: the drivers do.
#pragma once

#include <cstdint>
#include <span>

namespace bsp {

// Moments of the two sides of one line, each with its sign.
struct SideMoments {
  double positive = 0.0;  // integral of (c - line) w dA where c > line
  double negative = 0.0;  // integral of (c - line) w dA where c < line
};

struct SplitFirstMoments {
  SideMoments about_x;  // the line x = xc, coordinate c = x
  SideMoments about_y;  // the line y = yc, coordinate c = y
};

// Mesh of triangles with `nodes_per_element` numbers per element (corners
// first, 1-based into x and y); element e has weight part_weight[part[e] - 1]
// (E / E_ref of its region). Elements whose part number is not in
// 1..part_weight.size() are left out.
SplitFirstMoments split_first_moments(std::span<const double> x, std::span<const double> y,
                                      std::span<const std::int32_t> connectivity, int nodes_per_element,
                                      std::span<const std::int32_t> part, std::span<const double> part_weight,
                                      double xc, double yc);

}  // namespace bsp
