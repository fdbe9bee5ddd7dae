#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "bsp/bsp.h"

namespace {

constexpr double pi = std::numbers::pi;

struct FirstMomentCall {
  double y_ref = 0, z_ref = 0;
  std::int32_t n_nodes = 3, n_elements = 1;
  std::vector<double> y{0, 1, 0}, z{0, 0, 1};
  std::vector<std::int32_t> conn{1, 2, 3};
  double ref_modulus = 1, section_modulus = 1;
  std::int32_t n_bars = 0;
  std::vector<double> radius, bar_y, bar_z, bar_e;

  std::array<double, 3> run() {
    std::array<double, 3> out{-7, -7, -7};
    BSPFirstMomentOfArea(&out[0], &out[1], &out[2], &y_ref, &z_ref, &n_nodes, &n_elements, y.data(), z.data(),
                         conn.data(), &ref_modulus, &section_modulus, &n_bars, radius.data(), bar_y.data(),
                         bar_z.data(), bar_e.data());
    return out;
  }
};

// A row: the change to a valid call, the outputs (area, moment about z_ref,
// about y_ref; all 0 on a failure) and the message fragment ("" on success).
struct ExportCase {
  const char* name;
  void (*edit)(FirstMomentCall&);
  std::array<double, 3> expected;
  const char* message = "";
};

void with_bar(FirstMomentCall& c) {
  c.n_bars = 1;
  c.radius = {1};
  c.bar_y = {2};
  c.bar_z = {3};
  c.bar_e = {2};
}

const std::vector<ExportCase> values = {
    {"triangle", [](FirstMomentCall&) {}, {0.5, 1.0 / 6, 1.0 / 6}},
    {"bar", with_bar, {0.5 + pi, 1.0 / 6 + 3 * pi, 1.0 / 6 + 2 * pi}},
    {"double_modulus", [](FirstMomentCall& c) { c.section_modulus = 2; }, {1.0, 1.0 / 3, 1.0 / 3}},
    {"clockwise", [](FirstMomentCall& c) { c.conn = {1, 3, 2}; }, {0.5, 1.0 / 6, 1.0 / 6}},
    {"bar_of_matrix_modulus", [](FirstMomentCall& c) { with_bar(c); c.bar_e = {1}; }, {0.5, 1.0 / 6, 1.0 / 6}},
    // Moments about (1, 2): Q - A * offset.
    {"reference_point", [](FirstMomentCall& c) { c.y_ref = 1; c.z_ref = 2; }, {0.5, 1.0 / 6 - 1.0, 1.0 / 6 - 0.5}},
    {"ref_modulus_zero", [](FirstMomentCall& c) { c.ref_modulus = 0; }, {0, 0, 0}, "ref_modulus"},
    {"ref_modulus_nan", [](FirstMomentCall& c) { c.ref_modulus = std::nan(""); }, {0, 0, 0}, "ref_modulus"},
    {"node_out_of_range", [](FirstMomentCall& c) { c.conn = {1, 2, 4}; }, {0, 0, 0}, "node 4 of element 1 is out of range 1..3"},
    {"node_zero", [](FirstMomentCall& c) { c.conn = {0, 2, 3}; }, {0, 0, 0}, "node 0 of element 1"},
    {"negative_elements", [](FirstMomentCall& c) { c.n_elements = -1; }, {0, 0, 0}, "n_elements is negative"},
    {"negative_nodes", [](FirstMomentCall& c) { c.n_nodes = -2; }, {0, 0, 0}, "n_nodes is negative"},
    {"non_finite_node", [](FirstMomentCall& c) { c.z[2] = INFINITY; }, {0, 0, 0}, "node_z 3 is not finite"},
    {"negative_bars", [](FirstMomentCall& c) { c.n_bars = -1; }, {0, 0, 0}, "n_bars"},
    {"negative_radius", [](FirstMomentCall& c) { with_bar(c); c.radius = {-1}; }, {0, 0, 0}, "bar_radius 1 is negative"},
    {"bar_arrays_null", [](FirstMomentCall& c) { c.n_bars = 2; }, {0, 0, 0}, "bar_radius is NULL"},
};

class FirstMomentExport : public ::testing::TestWithParam<ExportCase> {};

TEST_P(FirstMomentExport, ValuesOrZerosAndMessage) {
  FirstMomentCall call;
  GetParam().edit(call);
  const auto out = call.run();
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], GetParam().expected[i], 1e-14) << i;  // rounding of pi terms
  if (*GetParam().message == '\0') {
    EXPECT_STREQ(BSPLastError(), "");
  } else {
    for (int i = 0; i < 3; ++i) EXPECT_EQ(out[i], 0.0) << i;
    EXPECT_NE(std::string(BSPLastError()).find(GetParam().message), std::string::npos) << BSPLastError();
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, FirstMomentExport, ::testing::ValuesIn(values),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
