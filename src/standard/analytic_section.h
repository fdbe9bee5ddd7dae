// Closed-form engineering estimates of the torsional constant and of the two
// shear areas for ten simple shapes, without mesh or solver. The shape codes
// are this module's own (1 to 10) and unrelated to the standard-section
// catalogue. Codes pair up from 3 on: the even code is the odd shape turned by
// 90 degrees, with the same J and the two shear areas exchanged.
//
// These are thin-wall and textbook approximations; they do not replace the
// finite-element values of the meshed paths and say nothing about sections
// outside the shapes listed.
#pragma once

#include <cstdint>
#include <span>

namespace bsp {

// Number of dimensions each code reads, 0 for an unknown code: the boundary
// checks the caller's array against it before anything is read.
std::int32_t analytic_dimension_count(std::int32_t code) noexcept;

// J of the shape; 0 for an unknown code. dims holds at least
// analytic_dimension_count(code) values. Code 2 (thin-walled box) gives 0 when
// a wall thickness, the centre-line height or the centre-line width is not
// positive, where the formula would divide by zero or describe no box; code 1
// gives 0 when neither side is positive, where b/a is 0/0.
double analytic_torsional_constant(std::int32_t code, std::span<const double> dims) noexcept;

struct ShearAreas {
  double first = 0.0;   // for a force along the first axis
  double second = 0.0;  // for a force along the second axis
};

// Shear areas of the shape, already exchanged for the turned codes 4, 6, 8
// and 10; zeros for an unknown code.
ShearAreas analytic_shear_area(std::int32_t code, std::span<const double> dims) noexcept;

}  // namespace bsp
