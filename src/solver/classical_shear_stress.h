// Largest flexural shear stress of a standard section by the classical
// formula tau = V Q / (I b): Q the first moment, about the centroidal axis, of
// the part beyond a cut, b the width of the cut. Used when the section has no
// Poisson coupling (nu <= 1e-10), where the engineering value is the one a
// host expects, and by the closed-form path. The shape comes from the type's
// blocks (solver/block_clip.h); the circular types have no blocks and are
// left to their closed forms.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace bsp {

// At or below this Poisson's ratio the classical maxima replace the values
// of the shear analysis.
inline constexpr double classical_shear_nu_limit = 1e-10;
// Search over cuts: every block edge across the axis first (a maximum where
// the width drops lies exactly there), then 500 samples per pass, at most 100
// passes, the bracket shrinking around the best cut; a pass that improves the
// ratio by less than 1e-30 relative ends it; cuts narrower than 1e-30 are
// skipped.
inline constexpr int classical_samples_per_pass = 500;
inline constexpr int classical_max_passes = 100;
inline constexpr double classical_min_gain = 1e-30;
inline constexpr double classical_min_width = 1e-30;
inline constexpr double classical_bracket_shrink = 0.75;

// Largest Q(c)/b(c) over cuts across the first axis (cut_axis 0: lines of
// constant first coordinate, Q taken about `centroid`, the centroid's first
// coordinate) or across the second (cut_axis 1, `centroid` its second).
double largest_q_over_b(std::int32_t section_type, std::span<const double> dimensions, int cut_axis,
                        double centroid);

// The classical maxima per unit shear force into out = slots 34..37:
// out[0] = largest Q/b across the first axis / i_first, out[1] = out[2] = 0,
// out[3] = largest Q/b across the second axis / i_second. Does nothing when
// nu > 1e-10. Type 1 takes 1.5 / (D1 D2) for both.
void classical_shear_maxima(std::int32_t section_type, std::span<const double> dimensions, double y_centroid,
                            double z_centroid, double i_first, double i_second, double nu,
                            std::span<double, 4> out);

}  // namespace bsp
