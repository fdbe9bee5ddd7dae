// Closed-form section values of the standard sections that have them: the
// rectangle, the trough, the I-section with unequal flanges, the T-section,
// the box and the angle (types 1-5 and 20, the standard-section solver's
// mode 2) and the two circular types 18 and 19 (always). Area, centroid and
// second moments are exact (the type's blocks integrated as polygons);
// torsion, shear-area ratios, shear centre and warping constant are the
// thin-walled and textbook formulas written beside each type, which is what a
// host asks for when it selects this mode.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "solver/section_result_vector.h"

namespace bsp {

// True for the types with closed forms: 1-5, 18, 19, 20.
bool has_standard_closed_form(std::int32_t section_type) noexcept;

// The values of a type with closed forms from its validated dimensions, in
// the solver's frame (x first, y second coordinate); nothing for any other
// type. Torsion stress per unit twist with G = 1; shear stresses per unit
// shear force.
std::optional<SectionValues> standard_closed_form(std::int32_t section_type, std::span<const double> dimensions);

}  // namespace bsp
