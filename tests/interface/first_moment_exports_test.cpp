#include <gtest/gtest.h>

#include <array>
#include <numbers>
#include <string>
#include <vector>

#include "support/small_export_calls.h"

namespace bsp::test {
namespace {

constexpr double pi = std::numbers::pi;

// A row: the change to the unit right triangle and the outputs (area, moment
// about z_ref, about y_ref). (Faults: bad_input_matrix_test.cpp.)
struct ExportCase {
  const char* name;
  void (*edit)(TriangleMoments&);
  std::array<double, 3> expected;
};

const std::vector<ExportCase> values = {
    {"triangle", [](TriangleMoments&) {}, {0.5, 1.0 / 6, 1.0 / 6}},
    {"bar", [](TriangleMoments& c) { c.bars.add(1, 2, 3, 2, 1); }, {0.5 + pi, 1.0 / 6 + 3 * pi, 1.0 / 6 + 2 * pi}},
    {"double_modulus", [](TriangleMoments& c) { c.section_modulus = 2; }, {1.0, 1.0 / 3, 1.0 / 3}},
    {"clockwise", [](TriangleMoments& c) { c.conn = {1, 3, 2}; }, {0.5, 1.0 / 6, 1.0 / 6}},
    {"bar_of_matrix_modulus", [](TriangleMoments& c) { c.bars.add(1, 2, 3, 1, 1); }, {0.5, 1.0 / 6, 1.0 / 6}},
    // Moments about (1, 2): Q - A * offset.
    {"reference_point", [](TriangleMoments& c) { c.y_ref = 1; c.z_ref = 2; }, {0.5, 1.0 / 6 - 1.0, 1.0 / 6 - 0.5}},
};

class FirstMomentExport : public ::testing::TestWithParam<ExportCase> {};

TEST_P(FirstMomentExport, ValuesOrZerosAndMessage) {
  TriangleMoments call;
  GetParam().edit(call);
  const MomentOutputs out = first_moment_call(call);
  const double got[] = {out.area[0], out.about_z[0], out.about_y[0]};
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], GetParam().expected[i], 1e-14) << i;  // rounding of pi terms
  EXPECT_STREQ(BSPLastError(), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, FirstMomentExport, ::testing::ValuesIn(values),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bsp::test
