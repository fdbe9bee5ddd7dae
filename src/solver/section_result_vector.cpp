#include "solver/section_result_vector.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numbers>

namespace bsp {
namespace {

// A product moment below this fraction of the polar moment is rounding noise
// of a symmetric section and is reported as exactly 0. Rule of this library;
// pinned by tests/solver/section_result_vector_test.cpp.
constexpr double product_moment_noise = 1e-8;
// The two second moments count as equal (principal angle 45 degrees) within
// the same relative noise, so the sign of a rounding difference cannot flip
// the angle between +45 and -45.
constexpr double equal_moment_noise = product_moment_noise;
// A centroid-to-shear-centre distance below this fraction of sqrt(A) is
// discretisation noise of a doubly symmetric section and is reported as 0.
constexpr double shear_centre_offset_noise = 1e-4;

// Of the largest and the smallest offset, the one of larger magnitude; the
// smallest wins a tie or when the largest is 0. 0 without points.
double extreme_offset(std::span<const double> offsets) {
  if (offsets.empty()) return 0.0;
  const auto [lo, hi] = std::minmax_element(offsets.begin(), offsets.end());
  if (*hi == 0.0 || std::abs(*lo) >= std::abs(*hi)) return *lo;
  return *hi;
}

// A modulus needs a stress point off the axis. Points placed on it (the
// top and bottom of a symmetric section, say) are off only by the rounding of
// the centroid, and I / 1e-13 would be reported as a modulus of 1e23 with a
// sign set by that rounding: offsets below this fraction of the section's
// size sqrt(A) count as none.
constexpr double offset_noise = 1e-9;

double modulus(double moment, double offset, double size) {
  return std::abs(offset) > offset_noise * size ? moment / offset : 0.0;
}

}  // namespace

double principal_angle_deg(double i1, double i2, double i12) {
  if (i12 == 0.0) return 0.0;
  if (std::abs(i1 - i2) <= equal_moment_noise * std::abs(i1 + i2)) return 45.0;
  return 0.5 * std::atan(2.0 * i12 / -(i1 - i2)) * 180.0 / std::numbers::pi;
}

Status fill_section_result(const SectionValues& v, StressPointsIn points, int level, int stress_reference,
                           std::span<double> result, std::span<double> stress_offsets) {
  level = std::max(level, 0);
  const std::size_t n_sp = points.x.size();
  const std::size_t n_write = section_slot::size_for_level(level, n_sp);
  assert(result.size() >= n_write && stress_offsets.size() >= 2 * n_sp && points.y.size() == n_sp);
  const std::span<double> out = result.first(n_write);
  const std::span<double> offsets = stress_offsets.first(2 * n_sp);
  std::fill(out.begin(), out.end(), 0.0);
  std::fill(offsets.begin(), offsets.end(), 0.0);
  auto fail = [&] {
    std::fill(out.begin(), out.end(), 0.0);
    std::fill(offsets.begin(), offsets.end(), 0.0);
    return Status::solver_error;
  };
  if (!(v.area > 0.0)) return fail();

  namespace s = section_slot;
  const double i1 = v.iyy, i2 = v.ixx;
  double i12 = v.ixy;
  if (std::abs(i12) < product_moment_noise * std::abs(i1 + i2)) i12 = 0.0;
  double dx = v.xc - v.x_s, dy = v.yc - v.y_s;
  const double root_area = std::sqrt(v.area);
  if (std::abs(dx) / root_area < shear_centre_offset_noise) dx = 0.0;
  if (std::abs(dy) / root_area < shear_centre_offset_noise) dy = 0.0;

  out[s::area] = v.area;
  out[s::i1] = i1;
  out[s::i2] = i2;
  out[s::i12] = i12;
  out[s::torsion_constant] = v.torsion_constant;
  out[s::alpha_first] = v.alpha_x;
  out[s::alpha_second] = v.alpha_y;
  out[s::centroid_first] = v.xc;
  out[s::centroid_second] = v.yc;
  out[s::centroid_minus_shear_centre_first] = dx;
  out[s::centroid_minus_shear_centre_second] = dy;
  out[s::warping_constant] = v.warping_constant;
  out[s::weighted_area] = v.weighted_area;
  out[s::torsion_stress_max] = v.tau_max;
  out[s::pair_first_psi] = v.pair_x[0];
  out[s::pair_first_phi] = v.pair_x[1];
  out[s::pair_second_psi] = v.pair_y[0];
  out[s::pair_second_phi] = v.pair_y[1];

  // Offsets of the stress points from the stress-reference origin. They only
  // need the section geometry, so they are written at every level.
  const double x0 = stress_reference == 0 ? v.xc : v.x_s;
  const double y0 = stress_reference == 0 ? v.yc : v.y_s;
  std::vector<double> off_x(n_sp), off_y(n_sp);
  for (std::size_t i = 0; i < n_sp; ++i) {
    off_x[i] = points.x[i] - x0;
    off_y[i] = points.y[i] - y0;
    offsets[2 * i] = off_x[i];
    offsets[2 * i + 1] = off_y[i];
  }

  if (level >= 1) {
    out[s::principal_angle_deg] = principal_angle_deg(i1, i2, i12);
    const double size = std::sqrt(v.area);
    out[s::modulus_second] = modulus(i2, extreme_offset(off_y), size);
    out[s::modulus_first] = modulus(i1, extreme_offset(off_x), size);
    out[s::radius_second] = std::sqrt(i2 / v.area);
    out[s::radius_first] = std::sqrt(i1 / v.area);
    const double m = 0.5 * (i1 + i2);
    const double r = std::hypot(0.5 * (i1 - i2), i12);
    out[s::radius_major] = std::sqrt((m + r) / v.area);
    // m - r is the smaller principal moment; rounding may push a zero one
    // (a section on a line) below 0.
    out[s::radius_minor] = std::sqrt(std::max(m - r, 0.0) / v.area);
    out[s::radius_polar_shear_centre] = std::sqrt(dx * dx + dy * dy + (i1 + i2) / v.area);
    out[s::polar_moment_shear_centre(n_sp)] = v.polar_moment_shear_centre;
  }
  if (level >= 2) {
    for (std::size_t i = 0; i < n_sp; ++i) {
      out[s::stress_block + i] = i < v.point_omega.size() ? v.point_omega[i] : 0.0;
      out[s::stress_block + n_sp + i] = i < v.point_tau_zx.size() ? v.point_tau_zx[i] : 0.0;
      out[s::stress_block + 2 * n_sp + i] = i < v.point_tau_zy.size() ? v.point_tau_zy[i] : 0.0;
    }
  }
  if (level >= 3) {
    const std::size_t b = s::extreme_block(n_sp);
    for (std::size_t f = 0; f < n_extreme_fields; ++f) {
      const FieldExtreme& e = v.extremes[f];
      out[b + 2 * f] = e.x;
      out[b + 2 * f + 1] = e.y;
      out[b + 2 * n_extreme_fields + f] = e.value;
      out[b + 3 * n_extreme_fields + 2 * f] = e.x - x0;
      out[b + 3 * n_extreme_fields + 2 * f + 1] = e.y - y0;
    }
  }

  const bool finite = std::all_of(out.begin(), out.end(), [](double x) { return std::isfinite(x); }) &&
                      std::all_of(offsets.begin(), offsets.end(), [](double x) { return std::isfinite(x); });
  return finite ? Status::ok : fail();
}

}  // namespace bsp
