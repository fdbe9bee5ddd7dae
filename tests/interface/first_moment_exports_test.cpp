// Values of BSPFirstMomentOfArea (unit right triangle) and BSPFirstMomentOfAreaMesh (10 x 6
// rectangle at the origin), and the latter's size sequence. (Faults: bad_input_matrix_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "interface/first_moment_mesh_driver.h"
#include "support/export_calls.h"

namespace bsp::test {
namespace {

constexpr double pi = std::numbers::pi;

// The export, the change to its section (both take the triangle's y_ref, z_ref) and the outputs:
// area, moment about z_ref, about y_ref.
struct ValueCase {
  const char* name;
  bool mesh;
  void (*edit)(TriangleMoments&, OutlineSection&);
  std::array<double, 3> expected;
};

using T = TriangleMoments;
using O = OutlineSection;
const std::vector<ValueCase> values = {
    {"triangle", false, [](T&, O&) {}, {0.5, 1.0 / 6, 1.0 / 6}},
    {"triangle_bar", false, [](T& c, O&) { c.bars.add(1, 2, 3, 2, 1); },
     {0.5 + pi, 1.0 / 6 + 3 * pi, 1.0 / 6 + 2 * pi}},
    {"triangle_double_modulus", false, [](T& c, O&) { c.section_modulus = 2; }, {1.0, 1.0 / 3, 1.0 / 3}},
    {"triangle_clockwise", false, [](T& c, O&) { c.conn = {1, 3, 2}; }, {0.5, 1.0 / 6, 1.0 / 6}},
    {"triangle_bar_of_matrix_modulus", false, [](T& c, O&) { c.bars.add(1, 2, 3, 1, 1); }, {0.5, 1.0 / 6, 1.0 / 6}},
    // Moments about (1, 2): Q - A * offset.
    {"triangle_reference_point", false, [](T& c, O&) { c.y_ref = 1; c.z_ref = 2; },
     {0.5, 1.0 / 6 - 1.0, 1.0 / 6 - 0.5}},
    {"outline_about_centre", true, [](T& c, O&) { c.y_ref = 5; c.z_ref = 3; }, {60, 0, 0}},
    {"outline_about_origin", true, [](T&, O&) {}, {60, 180, 300}},
    // 10 x 6 at 0.01 would be 1.2e6 triangles: every size is refused but the automatic last one.
    {"outline_size_0_01", true, [](T&, O& s) { s.element_size = 0.01; }, {60, 180, 300}},
    {"outline_size_1_5", true, [](T&, O& s) { s.element_size = 1.5; }, {60, 180, 300}},
    // 0.1 x 0.06 at 0.01 is meshed scaled by 200 and scaled back.
    {"outline_scaled", true,
     [](T&, O& s) { s.point_y = {0, 0.1, 0.1, 0}; s.point_z = {0, 0, 0.06, 0.06}; s.element_size = 0.01; },
     {0.006, 1.8e-4, 3e-4}},
    {"outline_double_modulus", true, [](T&, O& s) { s.modulus = {2}; }, {120, 360, 600}},
    {"outline_bar", true, [](T&, O& s) { s.bars.add(1, 2, 3, 2, 1); }, {60 + pi, 180 + 3 * pi, 300 + 2 * pi}},
};

class FirstMomentExports : public ::testing::TestWithParam<ValueCase> {};

TEST_P(FirstMomentExports, Values) {
  TriangleMoments t;
  OutlineSection s;
  s.add_loop({{0, 0}, {10, 0}, {10, 6}, {0, 6}});
  s.add_region(1.0);
  GetParam().edit(t, s);
  const MomentOutputs o = GetParam().mesh ? first_moment_mesh_call(s, {}, t.y_ref, t.z_ref) : first_moment_call(t);
  ASSERT_EQ(o.code, BSP_OK) << BSPLastError();
  // Exact integrals: rounding of the pi terms, of sums over the triangles.
  const double got[] = {o.area[0], o.about_z[0], o.about_y[0]};
  const double tolerance = GetParam().mesh ? 1e-9 * std::max(1.0, GetParam().expected[0]) : 1e-14;
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], GetParam().expected[i], tolerance) << i;
  EXPECT_STREQ(BSPLastError(), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, FirstMomentExports, ::testing::ValuesIn(values),
                         [](const auto& info) { return std::string(info.param.name); });

// Attempts failing until the size `works` (NAN: never): the sizes tried, and whether it gave up.
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
