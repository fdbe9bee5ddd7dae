// Plastic section moduli of a standard section: the sum of the absolute first
// moments of the two halves of the section about its plastic neutral axis
// (the line that halves the area), about the first axis and about the second.
// The neutral axis is found by the bracketing search below on the area
// function of the type's blocks (solver/block_clip.h); the rectangle and the
// two circular types have closed forms.
//
// Types 15, 16, 17 and 27 have no plastic moduli here (status -1, zeros),
// as has any number outside 1..27.
#pragma once

#include <cstdint>
#include <span>

namespace bsp {

// Bracketing search: 1000 samples per pass, at most 1000 passes, each pass
// shrinking the bracket to 0.75 of the distance from its lower end to the
// best sample on either side of it.
inline constexpr int plastic_samples_per_pass = 1000;
inline constexpr int plastic_max_passes = 1000;
inline constexpr double plastic_bracket_shrink = 0.75;
// The axis is found when the two halves differ by less than this share of
// the area, or by 1e-12 absolute, whichever is smaller.
inline constexpr double plastic_relative_tolerance = 1e-15;
inline constexpr double plastic_absolute_tolerance = 1e-12;

// Validates dimensions in place (standard/section_catalogue.h) and sets
// status; a non-zero validation status returns at once without writing the
// moduli. Otherwise first_axis = integral |z - z_p| dA (bending about the
// first axis, z the second coordinate) and second_axis = integral |y - y_p| dA;
// status -1 and both 0 for a type without moduli.
void PLASTIC_MODULUS(std::int32_t section_type, std::span<double> dimensions, double& first_axis,
                     double& second_axis, std::int32_t& status);

// The position c of the line u = c (u the first or second coordinate,
// cut_axis 0 or 1) that halves the area of the type's blocks, by the
// bracketing search. Exposed for the tests, which also read how many passes
// the search took (`passes`, when not null).
double plastic_neutral_axis(std::int32_t section_type, std::span<const double> dimensions, int cut_axis,
                            int* passes = nullptr);

}  // namespace bsp
