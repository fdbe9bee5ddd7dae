#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "interface/first_moment_mesh_driver.h"
#include "support/outline_calls.h"

namespace bsp::test {
namespace {

constexpr double pi = std::numbers::pi;

// The 10 x 6 rectangle with its corner at the origin, one region of E_ref,
// changed by `edit`; the outputs: area, moment about z_ref, about y_ref.
// (Faults: bad_input_matrix_test.cpp.)
struct ValueCase {
  const char* name;
  void (*edit)(OutlineSection&, double& y_ref, double& z_ref);
  std::array<double, 3> expected;
};

const std::vector<ValueCase> values = {
    {"about_centre", [](OutlineSection&, double& y, double& z) { y = 5; z = 3; }, {60, 0, 0}},
    {"about_origin", [](OutlineSection&, double&, double&) {}, {60, 180, 300}},
    // 10 x 6 at 0.01 would be 1.2e6 triangles: every given size is refused
    // and the automatic attempt ends the sequence.
    {"size_0_01", [](OutlineSection& s, double&, double&) { s.element_size = 0.01; }, {60, 180, 300}},
    {"size_1_5", [](OutlineSection& s, double&, double&) { s.element_size = 1.5; }, {60, 180, 300}},
    // 0.1 x 0.06 at 0.01 is meshed scaled by 200 and scaled back.
    {"scaled",
     [](OutlineSection& s, double&, double&) {
       s.point_y = {0, 0.1, 0.1, 0};
       s.point_z = {0, 0, 0.06, 0.06};
       s.element_size = 0.01;
     },
     {0.006, 1.8e-4, 3e-4}},
    {"double_modulus", [](OutlineSection& s, double&, double&) { s.modulus = {2}; }, {120, 360, 600}},
    {"bar", [](OutlineSection& s, double&, double&) { s.bars.add(1, 2, 3, 2, 1); },
     {60 + pi, 180 + 3 * pi, 300 + 2 * pi}},
};

class FirstMomentMesh : public ::testing::TestWithParam<ValueCase> {};

TEST_P(FirstMomentMesh, ValuesOrZerosCodeAndMessage) {
  OutlineSection s;
  s.add_loop({{0, 0}, {10, 0}, {10, 6}, {0, 6}});
  s.add_region(1.0);
  double y_ref = 0, z_ref = 0;
  GetParam().edit(s, y_ref, z_ref);
  const MomentOutputs o = first_moment_mesh_call(s, {}, y_ref, z_ref);
  ASSERT_EQ(o.code, BSP_OK) << BSPLastError();
  const double got[] = {o.area[0], o.about_z[0], o.about_y[0]}, scale = std::max(1.0, GetParam().expected[0]);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], GetParam().expected[i], 1e-9 * scale) << i;  // sums: rounding only
  EXPECT_STREQ(BSPLastError(), "");
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
}  // namespace bsp::test
