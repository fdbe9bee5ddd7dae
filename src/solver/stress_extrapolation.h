// Extrapolation of values known at an element's integration points (stresses,
// gradients) to any point (s, t) of the element in natural coordinates: the
// element's nodes, a stress point, or an integration point itself.
//
// The gradient of the field solution is most accurate at the integration
// points; these weights carry it out to the nodes, where the largest stresses
// of a section usually sit. Both rules reproduce a field that is linear in
// (s, t) exactly and return the integration-point value at an integration
// point. They do not smooth between elements: each element extrapolates its
// own values.
#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace bsp {

// QUAD4: bilinear interpolation through the 2x2 Gauss points, numbered
// 1 (-,-), 2 (+,-), 3 (-,+), 4 (+,+). Weights for the point (s, t) of [-1, 1]^2.
std::array<double, 4> quad4_extrapolation_weights(double s, double t) noexcept;

// TRIA6: the six points of the degree-4 rule form two triangles (points 1-3 near
// the corners, points 4-6 near the mid-sides); a linear interpolant over each is
// mixed in the proportion of the two groups' rule weights. (s, t) on the
// reference triangle with corners (0,0), (1,0), (0,1).
std::array<double, 6> tria6_extrapolation_weights(double s, double t) noexcept;

// Natural coordinates of the nodes of each element kind, in node order.
inline constexpr std::array<std::array<double, 2>, 4> quad4_node_natural = {
    {{-1.0, -1.0}, {1.0, -1.0}, {1.0, 1.0}, {-1.0, 1.0}}};
inline constexpr std::array<std::array<double, 2>, 6> tria6_node_natural = {
    {{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}, {0.5, 0.0}, {0.5, 0.5}, {0.0, 0.5}}};

// Value at (s, t) of an element with n_points integration points (4: QUAD4,
// 6: TRIA6) from the values at those points, in the rule's point order.
double extrapolate_from_points(std::span<const double> point_values, double s, double t) noexcept;

}  // namespace bsp
