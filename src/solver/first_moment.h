// FIRST_MOMENT_OF_AREA: the modulus-weighted area of a triangulated piece of
// a section and its first moments about the two axes through a reference
// point. A stand-alone integration over the elements; it builds no solver
// model and solves nothing.
//
// Coordinates are the solver's (x, y). Linear triangles take the shape
// functions (1 - s - t, s, t); quadratic triangles those of Tria6Rule
// (solver/elements.h), node order corners then mid-sides 1-2, 2-3, 3-1.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace bsp {

// Error code of FIRST_MOMENT_OF_AREA: an element with det J <= 0 at an
// integration point, an element of an unknown node count, or an unknown rule.
inline constexpr std::int32_t first_moment_error = 3;

// Integration rules by number of points. 1, 3 and 6 are rules of the
// reference triangle (0,0), (1,0), (0,1) of area 1/2; 4 and 9 are the 2x2 and
// 3x3 Gauss rules of the square [-1, 1]^2, kept for callers that ask for them
// (they do not integrate triangles correctly). The 6-point rule carries the
// constants of Tria6Rule rounded to single precision, so its weights add up
// to 0.5000000037252903, not 0.5.
struct FirstMomentRule {
  std::int32_t n_points = 0;
  std::array<double, 9> s{}, t{}, w{};
};

// The rule with `n_points` points; n_points 0 (no points) for any number
// other than 1, 3, 4, 6, 9.
FirstMomentRule first_moment_rule(std::int32_t n_points);

struct FirstMoments {
  double area = 0.0;  // sum (E/E_ref) w det J
  double qx = 0.0;    // sum (E/E_ref) (y_g - y_ref) w det J
  double qy = 0.0;    // sum (E/E_ref) (x_g - x_ref) w det J
};

// Integrates elements 0 .. n_elements-1 of `connectivity` (npe 1-based node
// numbers per element, element after element) over nodes (x, y). The sums
// run point by point, so an element with negative det J is still added.
// error: set to first_moment_error at the first point whose det J <= 0 when
// it is 0 on entry; never cleared. npe other than 3 or 6: every element
// contributes 0 and sets the error; a rule other than 1, 3, 4, 6, 9: zeros
// and the error. Node numbers must be in 1..x.size() (callers check them);
// x and y have the same length.
FirstMoments FIRST_MOMENT_OF_AREA(std::int32_t npe, std::int32_t rule, std::span<const std::int32_t> connectivity,
                                  std::span<const double> x, std::span<const double> y, std::int32_t n_elements,
                                  double x_ref, double y_ref, double E_ref, double E, std::int32_t& error);

}  // namespace bsp
