// Element size of an outline and the scaling that goes with it. The mesher's
// tolerances are absolute (1e-8 for coincident nodes and zero lengths), so an
// outline drawn in small numbers is scaled up until its elements are about
// 2 units long, meshed there and scaled back by the driver. This also holds
// the estimate of the work a size implies, which the drivers check against a
// cap before any wire is cut or any region meshed.
//
// It does not check its input: the drivers pass an outline with at least one
// segment, finite coordinates and no segment shorter than 1e-8.
#pragma once

#include <cstdint>

#include "geometry/outline.h"

namespace bsp {

// Divisors of the automatic size: the size is at most the longest segment /
// longest and the shortest segment / shortest. The section drivers use
// (15, 2): every side gets at least two pieces and the longest at least
// fifteen. The first-moment drivers use (5, 1). Rules of this library.
struct SizeDivisors {
  double longest = 15.0;
  double shortest = 2.0;
};
inline constexpr SizeDivisors section_size_divisors{15.0, 2.0};
inline constexpr SizeDivisors first_moment_size_divisors{5.0, 1.0};

// A requested size below this is met by scaling the outline instead, so that
// elements stay 4 orders of magnitude or more above the 1e-8 tolerances. Rule
// of this library, pinned by tests/geometry/element_sizing_test.cpp.
inline constexpr double smallest_unscaled_size = 0.02;
// The element size in scaled units whenever the outline is scaled.
inline constexpr double scaled_element_size = 2.0;

struct ElementSize {
  double h = 0.0;  // element size handed to the mesher, in scaled units
  double f = 1.0;  // scale factor: scaled = f * caller's coordinates (negative f turns by 180 degrees)
};

// requested != 0: h = requested; when h < smallest_unscaled_size (negative
// values included) f = 2/h and h = 2. requested == 0 (automatic): a =
// L_max / d.longest, b = L_min / d.shortest; h = min(a, b) when both are at
// least 1, otherwise f = max(2/a, 2/b) and h = min(a f, b f). Multiplies the
// outline's coordinates by f in place.
ElementSize choose_element_size(Outline& outline, double requested, SizeDivisors d);

// Pieces the wires of the outline get at size h (each segment round(L/h),
// at least 1), as a double so that a runaway size cannot overflow.
double wire_piece_estimate(const Outline& outline, double h);

// Triangles the grid mesher makes on an area at size h: two per grid cell of
// h x h; the cells cut by the boundary roughly balance the gap-filling
// triangles (measured within 15 % on the outline corpus, see the test).
double triangle_estimate(double area, double h);

// Most triangles (and most wire pieces) one outline call may mesh. Rule of
// this library, from a measurement: the banded factor of a square meshed in
// 8e4 six-node triangles takes 1.2 GB (bench/interface/outline_bench.cpp
// shows the solver dominating), and band memory grows as N^1.5, so 5e5
// triangles need some 18 GB, the most a 24 GB machine holds; the 2e6 first
// proposed would need about 150 GB. Anything beyond is a runaway size.
inline constexpr double max_outline_triangles = 5e5;

}  // namespace bsp
