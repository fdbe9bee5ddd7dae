#include "solver/plastic_modulus.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "solver/block_clip.h"
#include "standard/section_catalogue.h"

namespace bsp {
namespace {

bool has_moduli(std::int32_t t) {
  return t >= first_standard_type && t <= last_standard_type && t != 15 && t != 16 && t != 17 && t != 27;
}

// The sample i = 1 .. samples of one pass, c_i = lo + i h, with the
// smallest residual r_i = |half - a(c_i)|, the first of equal ones.
struct Sample {
  double c = 0.0, residual = 0.0;
};

Sample scan_pass(const AreaBeyond& a, double lo, double h, double half) {
  Sample best{lo + h, std::numeric_limits<double>::infinity()};
  for (int i = 1; i <= plastic_samples_per_pass; ++i) {
    const double c = lo + i * h;
    const double residual = std::abs(half - a(c));
    if (residual < best.residual) best = {c, residual};
  }
  return best;
}

// The same sample when a(c) does not increase with c, not even by rounding
// (AreaBeyond::non_increasing): the residuals then fall while a(c_i) > half
// and rise from the first k with a(c_k) <= half on, so the smallest is r_k
// or r_(k-1), and of a run of equal residuals before k the first counts.
// Three bisections, about 30 evaluations of a(c) instead of 1000; the
// sample and residual chosen are those of the scan, bit for bit.
Sample bisect_pass(const AreaBeyond& a, double lo, double h, double half) {
  const auto c = [&](int i) { return lo + i * h; };
  const auto residual = [&](int i) { return std::abs(half - a(c(i))); };
  // First index in [first, last) where reached(i) holds, last if none;
  // reached must hold from some index on.
  const auto first_where = [](int first, int last, auto reached) {
    while (first < last) {
      const int mid = first + (last - first) / 2;
      if (reached(mid))
        last = mid;
      else
        first = mid + 1;
    }
    return first;
  };
  const int n = plastic_samples_per_pass;
  const int k = first_where(1, n + 1, [&](int i) { return a(c(i)) <= half; });
  if (k == 1) return {c(1), residual(1)};
  const double before = residual(k - 1);
  if (k <= n) {
    const double at_k = residual(k);
    if (at_k < before) return {c(k), at_k};
  }
  const int j = first_where(1, k - 1, [&](int i) { return residual(i) <= before; });
  return {c(j), before};
}

struct SearchTolerance {
  double total_area = 0.0, tol = 0.0;
  int passes = 0;  // of the last search
};

// One search along u. The first search fixes the total area and tolerance
// and the second reuses them.
double search_axis(const SectionBlocks& blocks, CutAxis axis, SearchTolerance& st, bool first_search) {
  const Extent e = blocks_extent(blocks, axis);
  double lo = e.lo, hi = e.hi;
  const double scale = std::max(std::abs(lo), std::abs(hi));
  const AreaBeyond a(blocks, axis);
  if (first_search) {
    st.total_area = std::max(a(lo), a(hi));
    st.tol = std::min(plastic_relative_tolerance * st.total_area, plastic_absolute_tolerance);
  }
  const double half = st.total_area / 2.0;
  double best = st.total_area, c_best = 0.0;
  st.passes = 0;
  for (int pass = 1; pass <= plastic_max_passes; ++pass) {
    st.passes = pass;
    const double h = std::abs(hi - lo) / plastic_samples_per_pass;
    const Sample s = a.non_increasing() ? bisect_pass(a, lo, h, half) : scan_pass(a, lo, h, half);
    if (s.residual < best) {
      best = s.residual;
      c_best = s.c;
    }
    if (best < st.tol) break;
    // Once the sample step is down to rounding of the section's coordinates
    // no further pass can move the axis: stop instead of running out the
    // passes (the tolerance above cannot be met by rounding alone for a
    // large section, and the moduli would not change).
    if (h <= 4.0 * std::numeric_limits<double>::epsilon() * scale) break;
    const double d = plastic_bracket_shrink * std::abs(lo - c_best);
    lo = std::max(lo, c_best - d);
    hi = std::min(hi, c_best + d);
  }
  return c_best;
}

}  // namespace

double plastic_neutral_axis(std::int32_t section_type, std::span<const double> dimensions, int cut_axis,
                            int* passes) {
  const SectionBlocks blocks = section_blocks(section_type, dimensions);
  SearchTolerance st;
  const CutAxis axis = cut_axis == 0 ? CutAxis::first : CutAxis::second;
  if (axis == CutAxis::first) search_axis(blocks, CutAxis::second, st, true);
  const double c = search_axis(blocks, axis, st, axis == CutAxis::second);
  if (passes != nullptr) *passes = st.passes;
  return c;
}

void PLASTIC_MODULUS(std::int32_t section_type, std::span<double> dimensions, double& first_axis,
                     double& second_axis, std::int32_t& status) {
  check_standard_dimensions(dimensions, section_type, status);
  if (status != dimension_status::ok && status != dimension_status::unknown_type) return;
  if (!has_moduli(section_type)) {
    status = dimension_status::unknown_type;
    first_axis = 0.0;
    second_axis = 0.0;
    return;
  }
  const auto D = [&](int i) { return dimensions[static_cast<std::size_t>(i - 1)]; };
  switch (section_type) {
    case 1:  // rectangle, D1 along z: b h^2 / 4 about each axis
      first_axis = D(1) * D(1) * D(2) / 4.0;
      second_axis = D(1) * D(2) * D(2) / 4.0;
      return;
    case 18:  // tube: each half about a diameter has first moment 2(R^3 - r^3)/3
      first_axis = second_axis = 4.0 * (std::pow(D(1), 3) - std::pow(D(2), 3)) / 3.0;
      return;
    case 19:  // solid circle
      first_axis = second_axis = 4.0 * std::pow(D(1), 3) / 3.0;
      return;
    default:
      break;
  }
  // Every other type: its blocks are its exact outline. The modulus about
  // the first axis sums distances in the second coordinate, so its search
  // runs over lines of constant second coordinate, and runs first.
  const SectionBlocks blocks = section_blocks(section_type, dimensions);
  SearchTolerance st;
  const double z_p = search_axis(blocks, CutAxis::second, st, true);
  const double y_p = search_axis(blocks, CutAxis::first, st, false);
  first_axis = absolute_moment(blocks, CutAxis::second, z_p);
  second_axis = absolute_moment(blocks, CutAxis::first, y_p);
}

}  // namespace bsp
