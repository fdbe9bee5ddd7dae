// CrackSectionProperty through its C signature, as a host calls it: values,
// the failure clause (all 14 entries zero, nothing else written) and the
// empty-section clause of bsp.h.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "bsp/bsp.h"

namespace {

// Reinforced concrete beam 300 x 500 (material key 1, record 1), two bars of
// 1000 at z = 50 and 450 (records 0 and 1), E_ref = 30000.
struct FlatSection {
  std::vector<int32_t> table{1, 0, 0, 1};  // key 0 unused steel, key 1 concrete record 1
  std::vector<int32_t> edges{1, 0, 1, 1, 1, 2, 1, 2, 3, 1, 3, 0};
  std::vector<int32_t> bar_refs{1, 0, 1, 1};
  std::vector<double> parameters{30000.0, 0.0, 0.0, 0.0, 0.0, 30000.0, 3.0, 0.0, 0.0, 0.0};
  std::vector<double> bar_records{50.0, 1000.0, 200000.0, 450.0, 1000.0, 200000.0};
  std::vector<double> node_y{0.0, 300.0, 300.0, 0.0};
  std::vector<double> node_z{0.0, 0.0, 500.0, 500.0};
  int32_t n_bars = 2;
  int32_t n_edges = 4;
};

constexpr double guard = -777.0;

// Runs the export on a results array with a guard value on either side and
// checks the guards; returns the 14 entries.
std::array<double, BSP_CRACK_N_RESULTS> call(const FlatSection& s) {
  std::array<double, BSP_CRACK_N_RESULTS + 2> buf;
  buf.fill(123.0);
  buf.front() = guard;
  buf.back() = guard;
  // An emptied array is passed as a null pointer.
  const auto data = [](auto& v) { return v.empty() ? nullptr : v.data(); };
  CrackSectionProperty(buf.data() + 1, s.n_bars, s.n_edges, data(s.table), data(s.edges), data(s.bar_refs),
                       data(s.parameters), data(s.bar_records), data(s.node_y), data(s.node_z));
  EXPECT_EQ(buf.front(), guard);
  EXPECT_EQ(buf.back(), guard);
  std::array<double, BSP_CRACK_N_RESULTS> v;
  std::copy(buf.begin() + 1, buf.end() - 1, v.begin());
  return v;
}

void expect_all_zero(const std::array<double, BSP_CRACK_N_RESULTS>& v) {
  for (int k = 0; k < BSP_CRACK_N_RESULTS; ++k) EXPECT_EQ(v[k], 0.0) << "entry " << k;
}

TEST(CrackSectionExport, ReportsReferenceValues) {
  const auto v = call(FlatSection{});
  EXPECT_NEAR(v[BSP_CRACK_CENTROID], 250.0, 1e-12);                   // symmetric, round-off only
  EXPECT_NEAR(v[BSP_CRACK_AXIS_UPPER], 387.5565203439217, 1e-9);      // search tolerance
  EXPECT_NEAR(v[BSP_CRACK_AXIS_LOWER], 112.4434796560783, 1e-9);
  EXPECT_GT(v[BSP_CRACK_INERTIA_UPPER], 0.0);
}

// Each hostile input, alone, makes the call zero all 14 entries: negative
// counts, keys, node and record indices are caught before they index
// anything; non-finite values, E_ref <= 0, a negative bar area and a missing
// array are invalid. A null results pointer leaves nothing to write and no crash.
TEST(CrackSectionExport, HostileInputZeroesEverything) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<void (*)(FlatSection&)> spoilers = {
      [](FlatSection& s) { s.n_bars = -1; },
      [](FlatSection& s) { s.n_edges = -4; },
      [](FlatSection& s) { s.edges[3] = -1; },       // material key
      [](FlatSection& s) { s.edges[4] = -1; },       // node i
      [](FlatSection& s) { s.edges[5] = -7; },       // node j
      [](FlatSection& s) { s.bar_refs[2] = -2; },    // bar key
      [](FlatSection& s) { s.bar_refs[3] = -2; },    // bar record
      [](FlatSection& s) { s.table[3] = -1; },       // parameter record of key 1
      [](FlatSection& s) { s.node_z[2] = nan; },
      [](FlatSection& s) { s.parameters[0] = 0.0; },  // E_ref
      [](FlatSection& s) { s.parameters[6] = std::numeric_limits<double>::infinity(); },
      [](FlatSection& s) { s.bar_records[4] = -1000.0; },  // bar area
      [](FlatSection& s) { s.table.clear(); },
      [](FlatSection& s) { s.bar_refs.clear(); },
  };
  for (std::size_t k = 0; k < spoilers.size(); ++k) {
    SCOPED_TRACE(k);
    FlatSection s;
    spoilers[k](s);
    expect_all_zero(call(s));
  }
  const FlatSection s;
  CrackSectionProperty(nullptr, s.n_bars, s.n_edges, s.table.data(), s.edges.data(), s.bar_refs.data(),
                       s.parameters.data(), s.bar_records.data(), s.node_y.data(), s.node_z.data());
}

TEST(CrackSectionExport, NoEdgesGivesTheEmptySection) {
  FlatSection s;
  s.n_edges = 0;
  const auto v = call(s);
  for (int k = 0; k < BSP_CRACK_N_RESULTS; ++k) {
    const double expected = k == BSP_CRACK_MOMENT_POS ? 1.0 : k == BSP_CRACK_MOMENT_NEG ? -1.0 : 0.0;
    EXPECT_EQ(v[k], expected) << k;
  }
  std::array<double, BSP_CRACK_N_RESULTS> w;
  CrackSectionProperty(w.data(), 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(w, v);
}

// Key 5 has no edges (and no table entry is read for it): the bar lies in
// no material. Without a host it adds its full modulus; removing it moves
// the centroid back to mid-depth.
TEST(CrackSectionExport, BarInKeyWithoutEdgesIsSafe) {
  FlatSection s;
  s.bar_refs = {5, 0};
  s.n_bars = 1;
  const auto v = call(s);
  const double n = 200000.0 / 30000.0;
  EXPECT_NEAR(v[BSP_CRACK_CENTROID], (150000.0 * 250.0 + n * 1000.0 * 50.0) / (150000.0 + n * 1000.0),
              1e-12);  // round-off
}

}  // namespace
