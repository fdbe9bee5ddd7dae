#include "solver/classical_shear_stress.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "solver/block_clip.h"
#include "solver/block_mesher.h"

namespace bsp {

double largest_q_over_b(std::int32_t section_type, std::span<const double> dimensions, int cut_axis,
                        double centroid) {
  const SectionBlocks blocks = section_blocks(section_type, dimensions);
  assert(blocks.count() > 0);  // every type but the two circular ones, which never come here
  const CutAxis axis = cut_axis == 0 ? CutAxis::first : CutAxis::second;
  const Extent e = blocks_extent(blocks, axis);
  double lo = e.lo, hi = e.hi;
  double best = 0.0, c_best = lo;
  const auto try_cut = [&](double c) {
    const double b = cut_width(blocks, axis, c);
    if (std::abs(b) < classical_min_width) return;
    const CutMoments m = moments_beyond(blocks, axis, c);
    const double q = (axis == CutAxis::first ? m.first_x : m.first_y) - centroid * m.area;
    if (q / b > best) {
      best = q / b;
      c_best = c;
    }
  };
  // Where the width drops (a flange meeting a web) the largest ratio sits
  // right on the block edge, which a grid would only approach: every block
  // edge across the axis is tried first.
  for (std::size_t k = 0; k < 4 * blocks.count(); ++k) try_cut(blocks.corners[2 * k + (cut_axis == 0 ? 0 : 1)]);
  for (int pass = 1; pass <= classical_max_passes; ++pass) {
    const double before = best;
    const double s = std::abs(hi - lo) / classical_samples_per_pass;
    for (int i = 1; i <= classical_samples_per_pass; ++i) try_cut(lo + i * s);
    if (pass >= 2 && best - before < classical_min_gain * std::abs(before)) break;
    const double d = classical_bracket_shrink * std::abs(lo - c_best);
    lo = std::max(lo, c_best - d);
    hi = std::min(hi, c_best + d);
  }
  return best;
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
