#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "bsp/bsp.h"
#include "interface/first_moment_mesh_driver.h"

namespace {

constexpr double pi = std::numbers::pi;

// A w x h rectangle with its corner at the origin, one region of E_ref.
struct OutlineFirstMomentCall {
  double y_ref = 0, z_ref = 0, ref_modulus = 1, element_size = 0;
  std::int32_t n_regions = 1, n_bars = 0, n_points = 4, n_segments = 4;
  std::vector<double> radius, bar_y, bar_z, bar_e, region_e{1};
  std::vector<double> py{0, 10, 10, 0}, pz{0, 0, 6, 6};
  std::vector<std::int32_t> seg{1, 2, 2, 3, 3, 4, 4, 1};

  std::int32_t run(std::array<double, 3>& out) {
    out = {-7, -7, -7};
    return BSPFirstMomentOfAreaMesh(&out[0], &out[1], &out[2], &y_ref, &z_ref, &n_regions, &n_bars, radius.data(),
                                    bar_y.data(), bar_z.data(), &ref_modulus, region_e.data(), bar_e.data(),
                                    &n_points, py.data(), pz.data(), &n_segments, seg.data(), &element_size);
  }
};

struct ValueCase {
  const char* name;
  void (*edit)(OutlineFirstMomentCall&);
  std::array<double, 3> expected;  // area, moment about z_ref, about y_ref; 0 on a failure
  std::int32_t code = 0;
  const char* message = "";
};

const std::vector<ValueCase> values = {
    {"about_centre", [](OutlineFirstMomentCall& c) { c.y_ref = 5; c.z_ref = 3; }, {60, 0, 0}},
    {"about_origin", [](OutlineFirstMomentCall&) {}, {60, 180, 300}},
    // 10 x 6 at 0.01 would be 1.2e6 triangles: every given size is refused
    // and the automatic attempt ends the sequence.
    {"size_0_01", [](OutlineFirstMomentCall& c) { c.element_size = 0.01; }, {60, 180, 300}},
    {"size_1_5", [](OutlineFirstMomentCall& c) { c.element_size = 1.5; }, {60, 180, 300}},
    // 0.1 x 0.06 at 0.01 is meshed scaled by 200 and scaled back.
    {"scaled",
     [](OutlineFirstMomentCall& c) { c.py = {0, 0.1, 0.1, 0}; c.pz = {0, 0, 0.06, 0.06}; c.element_size = 0.01; },
     {0.006, 1.8e-4, 3e-4}},
    {"double_modulus", [](OutlineFirstMomentCall& c) { c.region_e = {2}; }, {120, 360, 600}},
    {"bar",
     [](OutlineFirstMomentCall& c) { c.n_bars = 1; c.radius = {1}; c.bar_y = {2}; c.bar_z = {3}; c.bar_e = {2}; },
     {60 + pi, 180 + 3 * pi, 300 + 2 * pi}},
    {"non_finite_reference", [](OutlineFirstMomentCall& c) { c.y_ref = NAN; }, {0, 0, 0}, -1, "y_ref is not finite"},
    {"region_count", [](OutlineFirstMomentCall& c) { c.n_regions = 2; c.region_e = {1, 1}; }, {0, 0, 0}, -1,
     "n_regions is 2"},
};

class FirstMomentMesh : public ::testing::TestWithParam<ValueCase> {};

TEST_P(FirstMomentMesh, ValuesOrZerosCodeAndMessage) {
  OutlineFirstMomentCall call;
  GetParam().edit(call);
  std::array<double, 3> out;
  ASSERT_EQ(call.run(out), GetParam().code) << BSPLastError();
  const double scale = GetParam().expected[0];
  for (int i = 0; i < 3; ++i)  // sums over the triangles: rounding only
    EXPECT_NEAR(out[i], GetParam().expected[i], 1e-9 * std::max(1.0, scale)) << i;
  if (GetParam().code != 0) {
    EXPECT_TRUE(out[0] == 0.0 && out[1] == 0.0 && out[2] == 0.0);
  }
  EXPECT_NE(std::string(BSPLastError()).find(GetParam().message), std::string::npos) << BSPLastError();
}

INSTANTIATE_TEST_SUITE_P(Cases, FirstMomentMesh, ::testing::ValuesIn(values),
                         [](const auto& info) { return std::string(info.param.name); });

// Attempts failing until the size `works` (NAN: never): the sizes tried in
// order, and whether the frame gave up.
TEST(FirstMomentAttempts, FirstSuccessEndsTheSequence) {
  struct Case {
    double works;
    std::vector<double> tried;
  };
  for (const Case& c : {Case{10, {10}}, Case{6, {10, 8, 6}}, Case{0, {10, 8, 6, 4, 2, 0}},
                        Case{NAN, {10, 8, 6, 4, 2, 0}}}) {
    std::vector<double> tried;
    const auto attempt = [&](double size) {
      tried.push_back(size);
      if (size != c.works) throw bsp::CallError(bsp::Status::invalid_input, "size " + std::to_string(size));
      return bsp::FirstMoments{size, 0, 0};
    };
    if (std::isnan(c.works)) {
      EXPECT_THROW(bsp::run_first_moment_attempts(10, attempt), bsp::CallError);
    } else {
      EXPECT_EQ(bsp::run_first_moment_attempts(10, attempt).area, c.works);
    }
    EXPECT_EQ(tried, c.tried) << c.works;
  }
}

}  // namespace
