// Location of a stress point in an element: a quick bounding-box and side
// test on the element outline, then Newton's inversion of the isoparametric
// mapping for the natural coordinates. Tests run on coordinates scaled by
// 1/sqrt(element area), so every tolerance below is relative to the size of
// the element and the same for a section in millimetres or in metres.
#pragma once

#include <optional>

#include "solver/elements.h"

namespace bsp {

// Scale length below which an element is not rescaled (degenerate area).
// Rule of this library; 1e-10 in model units.
inline constexpr double location_min_scale = 1e-10;
// Widening of the bounding box and of every side of the outline, in scaled
// units: a point exactly on the outline is inside. Same value as the
// library's zero-length tolerance; pinned by stress_point_location_test.
inline constexpr double location_side_tolerance = 1e-8;
// Newton has converged when the natural-coordinate step is below this.
// Natural coordinates are of order 1, so this is close to the accuracy a
// well-shaped element allows.
inline constexpr double location_step_tolerance = 1e-10;
// After convergence the mapped point must lie within this scaled distance
// of the target; otherwise the inversion failed (a badly distorted element)
// and the point is not taken.
inline constexpr double location_residual_tolerance = 1e-5;
// The natural coordinates found may lie outside the reference element by at
// most this much: the side test uses straight (half-)edges, while a curved
// 6-node side bulges by a little; farther out the point belongs elsewhere.
inline constexpr double location_natural_margin = 0.01;
// Accepted coordinates are pulled into the reference element shrunk to this
// extent (|s|, |t| <= limit; for triangles s + t <= limit), so values
// extrapolated there are evaluated at a point of the element itself.
inline constexpr double location_natural_limit = 0.999999999999;
// Newton iterations before giving up; quadratic convergence from the centre
// needs fewer than ten on any element that passes the side test.
inline constexpr int location_max_iterations = 50;

// Natural coordinates of (x, y) in element e, or nothing when the point is
// not in it.
template <class Rule>
std::optional<NaturalPoint> locate_in_element(const T_ELEMENT<Rule>& e, double x, double y);

}  // namespace bsp
