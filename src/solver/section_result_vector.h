// The section property vector: how the solver's section values become the
// caller's result slots, stress-point offsets and the stress-point block, and
// the rules that go with them (rounding-noise zeros, principal values, radii of
// gyration, the extreme-fibre moduli). It does not compute any section value;
// it only arranges and derives from what the analyses produced.
//
// Slots are 0-based. Axis names: the solver's first coordinate x is the host's
// first section axis, its second coordinate y the host's second axis; "I1"
// pairs with first-axis offsets (I1 = integral of x'^2), "I2" with second-axis
// offsets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/status.h"

namespace bsp {

namespace section_slot {
inline constexpr std::size_t area = 0;
inline constexpr std::size_t i1 = 1;   // integral of x'^2 about the centroid
inline constexpr std::size_t i2 = 2;   // integral of y'^2 about the centroid
inline constexpr std::size_t i12 = 3;  // integral of x'y'
inline constexpr std::size_t torsion_constant = 4;
inline constexpr std::size_t alpha_first = 14;   // shear-area ratio, force along x
inline constexpr std::size_t alpha_second = 15;  // shear-area ratio, force along y
inline constexpr std::size_t centroid_first = 17;
inline constexpr std::size_t centroid_second = 18;
inline constexpr std::size_t centroid_minus_shear_centre_first = 19;
inline constexpr std::size_t centroid_minus_shear_centre_second = 20;
inline constexpr std::size_t warping_constant = 21;
inline constexpr std::size_t principal_angle_deg = 22;
inline constexpr std::size_t modulus_second = 23;  // I2 / extreme second-axis offset
inline constexpr std::size_t modulus_first = 24;   // I1 / extreme first-axis offset
inline constexpr std::size_t radius_second = 25;   // sqrt(I2/A)
inline constexpr std::size_t radius_first = 26;    // sqrt(I1/A)
inline constexpr std::size_t radius_major = 27;
inline constexpr std::size_t radius_minor = 28;
inline constexpr std::size_t radius_polar_shear_centre = 29;
inline constexpr std::size_t weighted_area = 32;
inline constexpr std::size_t torsion_stress_max = 33;
inline constexpr std::size_t pair_first_psi = 34;   // tau_x of a force along x
inline constexpr std::size_t pair_second_psi = 35;  // tau_y of a force along x
inline constexpr std::size_t pair_first_phi = 36;   // tau_x of a force along y
inline constexpr std::size_t pair_second_phi = 37;  // tau_y of a force along y
inline constexpr std::size_t basic_count = 38;      // slots 0..37: every level
inline constexpr std::size_t stress_block = 38;
// Stress-point block at level >= 2, n_sp points: omega at 38 .. 37+n_sp, then
// tau_zx (n_sp values), then tau_zy (n_sp values); 38+3n_sp .. 41+3n_sp stay 0.
constexpr std::size_t polar_moment_shear_centre(std::size_t n_sp) { return 42 + 3 * n_sp; }
// Level >= 3: 30 doubles from here (six (x, y) pairs, six values, six offset pairs).
constexpr std::size_t extreme_block(std::size_t n_sp) { return 43 + 3 * n_sp; }
inline constexpr std::size_t extreme_block_count = 30;
// Doubles written at a level (a negative level counts as 0): slots 0..37 at
// level 0, up to Ip_s at levels 1 and 2, up to the extreme block from 3. The
// slot of Ip_s uses the caller's n_sp at every level, so slots never move.
constexpr std::size_t size_for_level(int level, std::size_t n_sp) {
  return level <= 0 ? basic_count : (level < 3 ? 43 + 3 * n_sp : extreme_block(n_sp) + extreme_block_count);
}
}  // namespace section_slot

// The six fields whose extremes the level-3 block reports, in block order.
inline constexpr std::size_t n_extreme_fields = 6;

// Largest |value| of one field over the section and where it occurs.
struct FieldExtreme {
  double value = 0.0;  // signed
  double x = 0.0, y = 0.0;
};

// Everything the solver knows about a section, in solver coordinates.
struct SectionValues {
  double area = 0.0, weighted_area = 0.0;
  double xc = 0.0, yc = 0.0;
  double ixx = 0.0, iyy = 0.0, ixy = 0.0;  // ixx = integral of (y-yc)^2
  double torsion_constant = 0.0, warping_constant = 0.0;
  double alpha_x = 0.0, alpha_y = 0.0;
  double x_s = 0.0, y_s = 0.0;
  double tau_max = 0.0;
  std::array<double, 2> pair_x{};  // (tau_x of Psi, tau_x of Phi), per unit force
  std::array<double, 2> pair_y{};  // (tau_y of Psi, tau_y of Phi)
  double polar_moment_shear_centre = 0.0;
  // Per stress point (level >= 2): warping value (mean removed) and the
  // torsional stresses per unit twist with G_ref = 1.
  std::vector<double> point_omega, point_tau_zx, point_tau_zy;
  // Level 3: extremes of tau_x/tau_y of Psi, of Phi (per unit force) and of
  // tau_zx/tau_zy (per unit twist, G_ref = 1).
  std::array<FieldExtreme, n_extreme_fields> extremes{};
};

struct StressPointsIn {
  std::span<const double> x, y;
};

// Writes the section vector for `level` (negative counts as 0) and the
// stress-point offsets: exactly the slots below section_slot::size_for_level(level, n_sp)
// and 2*n_sp offsets. Returns solver_error, with the same slots and offsets
// zeroed, when A <= 0 or any written value is not finite. Precondition
// (asserted in debug builds): the outputs hold at least that much and the
// point arrays have one length.
// stress_reference 0: offsets from the centroid, otherwise the shear centre.
Status fill_section_result(const SectionValues& v, StressPointsIn points, int level, int stress_reference,
                           std::span<double> result, std::span<double> stress_offsets);

// 0.5*atan(2*I12 / -(I1 - I2)) in degrees; 45 when I1 and I2 agree to
// rounding and I12 does not vanish; 0 when I12 is 0.
double principal_angle_deg(double i1, double i2, double i12);

}  // namespace bsp
