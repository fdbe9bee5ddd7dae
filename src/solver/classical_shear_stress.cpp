#include "solver/classical_shear_stress.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "solver/block_clip.h"
#include "solver/block_mesher.h"

namespace bsp {

double largest_q_over_b(std::int32_t section_type, std::span<const double> dimensions, int cut_axis,
                        double centroid) {
  const SectionBlocks blocks = section_blocks(section_type, dimensions);
  if (blocks.count() == 0) return 0.0;
  const CutAxis axis = cut_axis == 0 ? CutAxis::first : CutAxis::second;
  const Extent e = blocks_extent(blocks, axis);
  double lo = e.lo, hi = e.hi;
  double best = 0.0, c_best = lo;
  for (int pass = 1; pass <= classical_max_passes; ++pass) {
    const double before = best;
    const double s = std::abs(hi - lo) / classical_samples_per_pass;
    for (int i = 1; i <= classical_samples_per_pass; ++i) {
      const double c = lo + i * s;
      const double b = cut_width(blocks, axis, c);
      if (std::abs(b) < classical_min_width) continue;
      const CutMoments m = moments_beyond(blocks, axis, c);
      const double q = (axis == CutAxis::first ? m.first_x : m.first_y) - centroid * m.area;
      const double ratio = q / b;
      if (ratio > best) {
        best = ratio;
        c_best = c;
      }
    }
    if (pass >= 2 && best - before < classical_min_gain * std::abs(before)) break;
    const double d = classical_bracket_shrink * std::abs(lo - c_best);
    lo = std::max(lo, c_best - d);
    hi = std::min(hi, c_best + d);
  }
  return best;
}

double classical_shear_area(std::int32_t section_type, std::span<const double> dimensions, int cut_axis,
                            double centroid, double i) {
  const SectionBlocks blocks = section_blocks(section_type, dimensions);
  const CutAxis axis = cut_axis == 0 ? CutAxis::first : CutAxis::second;
  // Breaks of the integrand: every block edge across the axis.
  std::vector<double> breaks;
  for (std::size_t k = 0; k < 4 * blocks.count(); ++k) breaks.push_back(blocks.corners[2 * k + (cut_axis == 0 ? 0 : 1)]);
  std::sort(breaks.begin(), breaks.end());
  breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
  // Q is quadratic and b constant between breaks, so Q^2 / b is a quartic:
  // the 3-point Gauss-Legendre rule integrates it exactly.
  constexpr double g = 0.7745966692414834;  // sqrt(3/5)
  constexpr std::array<double, 3> node = {-g, 0.0, g}, weight = {5.0 / 9.0, 8.0 / 9.0, 5.0 / 9.0};
  double integral = 0.0;
  for (std::size_t k = 0; k + 1 < breaks.size(); ++k) {
    const double mid = 0.5 * (breaks[k] + breaks[k + 1]), half = 0.5 * (breaks[k + 1] - breaks[k]);
    for (int p = 0; p < 3; ++p) {
      const double c = mid + half * node[p];
      const double b = cut_width(blocks, axis, c);
      if (b < classical_min_width) continue;
      const CutMoments m = moments_beyond(blocks, axis, c);
      const double q = (axis == CutAxis::first ? m.first_x : m.first_y) - centroid * m.area;
      integral += weight[p] * half * q * q / b;
    }
  }
  return integral > 0.0 ? i * i / integral : 0.0;
}

void classical_shear_maxima(std::int32_t section_type, std::span<const double> dimensions, double y_centroid,
                            double z_centroid, double i_first, double i_second, double nu,
                            std::span<double, 4> out) {
  if (nu > classical_shear_nu_limit) return;
  out[1] = 0.0;
  out[2] = 0.0;
  if (section_type == 1) {
    // Rectangle: 3/2 of the mean stress, whichever way the force acts.
    out[0] = out[3] = 1.5 / (dimensions[0] * dimensions[1]);
    return;
  }
  out[0] = largest_q_over_b(section_type, dimensions, 0, y_centroid) / i_first;
  out[3] = largest_q_over_b(section_type, dimensions, 1, z_centroid) / i_second;
}

}  // namespace bsp
