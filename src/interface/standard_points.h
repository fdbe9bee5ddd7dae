// The stress points and elastic section moduli of a standard section, shared
// by the standard exports and the general templates.
#pragma once

#include <cstdint>
#include <span>

#include "standard/stress_point.h"

namespace bsp {

// Writes the four stress points of `type` about the chosen origin (the
// centroid, or the shear centre when about_shear_centre) into slots 5..12 of
// the standard result vector, and the elastic section moduli into its slots
// 23 and 24. The moduli take the points' distances from the centroid,
// whatever origin the points are reported about: bending stresses are linear
// in the distance from the neutral axis. Reads the centroid, the shear-centre
// offsets and I1, I2 from the same vector; `points` must be enabled.
void write_standard_points(const StressPoint::stress_coord_base& points, std::int32_t type,
                           std::span<const double> dims, bool about_shear_centre, std::span<double> result);

}  // namespace bsp
