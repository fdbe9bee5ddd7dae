#include "solver/section_result_vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace bsp {
namespace {

namespace s = section_slot;
constexpr double sentinel = -777.0;

// Every value distinct, so one in the wrong slot shows: A, weighted A, centroid, I2, I1, I12, J,
// Iw, alphas, shear centre, tau_max, the pairs, Ip about the shear centre.
const SectionValues sample{4.0, 3.5, 1.0, 2.0, 2.0, 3.0, 0.5, 1.25, 0.125, 0.8, 0.7, 0.5, 2.5, 6.0,
                           {0.11, 0.12}, {0.13, 0.14}, 9.0, {}, {}, {}, {}};

struct Call {
  std::vector<double> result, offsets;
  Status status;
};

Call fill(const SectionValues& v, std::vector<double> px, std::vector<double> py, int level, int reference = 0) {
  Call c{std::vector<double>(200, sentinel), std::vector<double>(2 * px.size() + 4, sentinel), Status::ok};
  c.status = fill_section_result(v, StressPointsIn{px, py}, level, reference, c.result, c.offsets);
  return c;
}

// Rounding noise in I1 - I2 must not flip 45 to -45; tan(2 phi) = 2 I12 / (I2 - I1) = 1: 22.5.
TEST(SectionResultVector, EqualMomentsGive45WhicheverWayRoundingFalls) {
  const double i = 1.0 / 36.0;
  EXPECT_EQ(principal_angle_deg(i, i * (1 + 4e-16), -1.0 / 72.0), 45.0);
  EXPECT_EQ(principal_angle_deg(i * (1 + 4e-16), i, -1.0 / 72.0), 45.0);
  EXPECT_EQ(principal_angle_deg(2.0, 1.0, 0.0), 0.0);
  EXPECT_NEAR(principal_angle_deg(1.0, 2.0, 0.5), 22.5, 1e-13);
}

// I12 below 1e-8 (I1 + I2) and a shear-centre offset below 1e-4 sqrt(A) read 0; above, kept.
TEST(SectionResultVector, NoiseRulesForProductMomentAndShearCentreOffset) {
  SectionValues v = sample;
  v.ixy = 0.99e-8 * (v.iyy + v.ixx);
  v.x_s = v.xc - 0.99e-4 * std::sqrt(v.area);
  v.y_s = v.yc + 1.01e-4 * std::sqrt(v.area);
  Call c = fill(v, {}, {}, 0);
  ASSERT_EQ(c.status, Status::ok);
  EXPECT_EQ(c.result[s::i12], 0.0);
  EXPECT_EQ(c.result[s::centroid_minus_shear_centre_first], 0.0);
  EXPECT_NEAR(c.result[s::centroid_minus_shear_centre_second], -1.01e-4 * 2.0, 1e-15);  // y_s was rounded near 2
  v.ixy = 1.01e-8 * (v.iyy + v.ixx);
  EXPECT_DOUBLE_EQ(fill(v, {}, {}, 0).result[s::i12], v.ixy);
}

// Level 0: each value in its own slot, the level-1 values 0, nothing past the
// basic block; the offsets need no analysis and are written at every level.
TEST(SectionResultVector, LevelZeroWritesOnlyTheBasicSlots) {
  const Call c = fill(sample, {1.0}, {2.0}, 0);
  ASSERT_EQ(c.status, Status::ok);
  const std::pair<std::size_t, double> expected[] = {
      {s::area, 4.0}, {s::i1, 3.0}, {s::i2, 2.0}, {s::i12, 0.5}, {s::torsion_constant, 1.25},
      {s::alpha_first, 0.8}, {s::alpha_second, 0.7}, {s::centroid_first, 1.0}, {s::centroid_second, 2.0},
      {s::centroid_minus_shear_centre_first, 0.5}, {s::centroid_minus_shear_centre_second, -0.5},
      {s::warping_constant, 0.125}, {s::weighted_area, 3.5}, {s::torsion_stress_max, 6.0},
      {s::pair_first_psi, 0.11}, {s::pair_first_phi, 0.12}, {s::pair_second_psi, 0.13}, {s::pair_second_phi, 0.14}};
  for (const auto& [slot, value] : expected) EXPECT_EQ(c.result[slot], value) << slot;
  for (std::size_t k = s::principal_angle_deg; k <= s::radius_polar_shear_centre; ++k) EXPECT_EQ(c.result[k], 0.0);
  for (std::size_t k = s::basic_count; k < c.result.size(); ++k) ASSERT_EQ(c.result[k], sentinel) << k;
  EXPECT_EQ(c.offsets, (std::vector<double>{0.0, 0.0, sentinel, sentinel, sentinel, sentinel}));
}

// Offsets from the shear centre (0.5, 2.5): x 1.5, -2.5, 0.5; y 1.5, 0.5, -1.5. Extreme x: -2.5;
// y: the tie 1.5, -1.5 goes to the smallest. Level 1 writes Ip_s after the zero point block only.
TEST(SectionResultVector, StressPointsFeedOffsetsAndModuliFromLevelOne) {
  const Call c = fill(sample, {2.0, -2.0, 1.0}, {4.0, 3.0, 1.0}, 1, 1);
  ASSERT_EQ(c.status, Status::ok);
  EXPECT_EQ(c.offsets, (std::vector<double>{1.5, 1.5, -2.5, 0.5, 0.5, -1.5, sentinel, sentinel, sentinel, sentinel}));
  EXPECT_DOUBLE_EQ(c.result[s::modulus_first], 3.0 / -2.5);
  EXPECT_DOUBLE_EQ(c.result[s::modulus_second], 2.0 / -1.5);
  EXPECT_EQ(c.result[s::polar_moment_shear_centre(3)], 9.0);
  for (std::size_t k = s::stress_block; k < s::polar_moment_shear_centre(3); ++k) EXPECT_EQ(c.result[k], 0.0);
  EXPECT_EQ(c.result[s::polar_moment_shear_centre(3) + 1], sentinel);
  // Off the shear centre's vertical axis only by rounding: no modulus (not 3 / 1e-13).
  const Call on_axis = fill(sample, {0.5 + 1e-13, 0.5 - 1e-14}, {4.0, 2.0}, 1, 1);
  EXPECT_EQ(on_axis.result[s::modulus_first], 0.0);
  EXPECT_DOUBLE_EQ(on_axis.result[s::modulus_second], 2.0 / 1.5);
}

// Level 2: omega, tau_zx, tau_zy per point, then Ip_s; level 3 adds the
// extremes (positions, values, offsets from the centroid with reference 0).
TEST(SectionResultVector, LevelTwoAndThreeBlocks) {
  SectionValues v = sample;
  v.point_omega = {0.1, 0.2};
  v.point_tau_zx = {1.1, 1.2};
  v.point_tau_zy = {2.1, 2.2};
  for (std::size_t f = 0; f < n_extreme_fields; ++f) v.extremes[f] = {10.0 + f, 20.0 + f, 30.0 + f};
  Call c = fill(v, {0.0, 1.0}, {0.0, 1.0}, 2);
  ASSERT_EQ(c.status, Status::ok);
  const std::vector<double> block{0.1, 0.2, 1.1, 1.2, 2.1, 2.2, 0, 0, 0, 0, 9.0, sentinel};
  EXPECT_EQ(std::vector<double>(c.result.begin() + s::stress_block, c.result.begin() + s::stress_block + 12), block);
  c = fill(v, {0.0, 1.0}, {0.0, 1.0}, 3);
  const std::size_t b = s::extreme_block(2);
  for (std::size_t f = 0; f < n_extreme_fields; ++f) {
    EXPECT_EQ(c.result[b + 2 * f], 20.0 + f);
    EXPECT_EQ(c.result[b + 2 * f + 1], 30.0 + f);
    EXPECT_EQ(c.result[b + 12 + f], 10.0 + f);
    EXPECT_EQ(c.result[b + 18 + 2 * f], 20.0 + f - v.xc);
    EXPECT_EQ(c.result[b + 18 + 2 * f + 1], 30.0 + f - v.yc);
  }
  EXPECT_EQ(c.result[b + s::extreme_block_count], sentinel);
}

// A non-finite value fails like a section without area: exactly what the level would write is
// zeroed, offsets included.
TEST(SectionResultVector, NonFiniteValueFailsAndZeroesWhatItWouldWrite) {
  SectionValues v = sample;
  v.warping_constant = std::numeric_limits<double>::quiet_NaN();
  const Call c = fill(v, {1.0}, {1.0}, 1);
  EXPECT_EQ(c.status, Status::solver_error);
  for (std::size_t k = 0; k < s::size_for_level(1, 1); ++k) ASSERT_EQ(c.result[k], 0.0) << k;
  EXPECT_EQ(c.result[s::size_for_level(1, 1)], sentinel);
  EXPECT_EQ(c.offsets, (std::vector<double>{0.0, 0.0, sentinel, sentinel, sentinel, sentinel}));
}

}  // namespace
}  // namespace bsp
