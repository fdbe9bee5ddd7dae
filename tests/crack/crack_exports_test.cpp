// CrackSectionProperty as a host calls it: reference values, missing arrays and the empty
// section of bsp.h (index and value faults: the interface fault matrix).
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "bsp/bsp.h"
#include "support/export_calls.h"

namespace bsp {
namespace {

using test::CrackInput;

// 300 x 500, bars of 1000 at z = 50 and 450: symmetric, so the two axes mirror each other.
TEST(CrackSectionExport, ReportsReferenceValues) {
  const test::Guarded v = test::crack_call(CrackInput{});
  EXPECT_NEAR(v[BSP_CRACK_CENTROID], 250.0, 1e-12);               // round-off only
  EXPECT_NEAR(v[BSP_CRACK_AXIS_UPPER], 387.5565203439217, 1e-9);  // search tolerance
  EXPECT_NEAR(v[BSP_CRACK_AXIS_LOWER], 112.4434796560783, 1e-9);
  EXPECT_GT(v[BSP_CRACK_INERTIA_UPPER], 0.0);
}

// A NULL (here: emptied) array zeroes all 14 entries; no edges is the empty section (cracking
// moments +-1, all else 0), with or without arrays; a NULL results pointer writes nothing.
TEST(CrackSectionExport, MissingArraysAndTheEmptySection) {
  const auto call = [](const CrackInput& c) {
    test::Guarded out(BSP_CRACK_N_RESULTS);
    const auto data = [](const auto& v) { return v.empty() ? nullptr : v.data(); };
    CrackSectionProperty(out.ptr(), c.n_bars, c.n_edges, data(c.table), data(c.edges), data(c.bar_refs),
                         data(c.parameters), data(c.bar_records), data(c.node_y), data(c.node_z));
    EXPECT_TRUE(out.guard_intact());
    return out.body();
  };
  const std::vector<double> zeros(BSP_CRACK_N_RESULTS, 0.0);
  EXPECT_EQ(call({.table = {}}), zeros);
  EXPECT_EQ(call({.bar_refs = {}}), zeros);
  std::vector<double> empty = zeros;
  empty[BSP_CRACK_MOMENT_POS] = 1.0;
  empty[BSP_CRACK_MOMENT_NEG] = -1.0;
  EXPECT_EQ(call({.n_edges = 0}), empty);
  EXPECT_EQ(call(CrackInput{{}, {}, {}, {}, {}, {}, {}, 0, 0}), empty);
  const CrackInput s;
  CrackSectionProperty(nullptr, s.n_bars, s.n_edges, s.table.data(), s.edges.data(), s.bar_refs.data(),
                       s.parameters.data(), s.bar_records.data(), s.node_y.data(), s.node_z.data());
}

// Key 5 has no edges (nor a table entry read): the bar lies in no material, adds its full modulus.
TEST(CrackSectionExport, BarInKeyWithoutEdgesIsSafe) {
  const CrackInput s{.bar_refs = {5, 0}, .n_bars = 1};
  const double n = 200000.0 / 30000.0;
  EXPECT_NEAR(test::crack_call(s)[BSP_CRACK_CENTROID], (150000.0 * 250.0 + n * 1000.0 * 50.0) / (150000.0 + n * 1000.0),
              1e-12);  // round-off
}

}  // namespace
}  // namespace bsp
