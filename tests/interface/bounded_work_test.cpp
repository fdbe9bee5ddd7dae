// The mesher's worst outlines end (spikes, needles, a sliver, thousands of collinear pieces,
// near-coincident corners the size cap refuses): each returns a result or a clean input error,
// within the test's time limit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "support/export_calls.h"

namespace bsp::test {
namespace {

double shoelace(const std::vector<std::pair<double, double>>& p) {
  double a = 0.0;
  for (std::size_t k = 0, n = p.size(); k < n; ++k)
    a += p[k].first * p[(k + 1) % n].second - p[(k + 1) % n].first * p[k].second;
  return a / 2.0;
}

TEST(BoundedWork, WorstOutlinesEndWithAResultOrACleanError) {
  struct Case {
    const char* what;
    std::vector<std::pair<double, double>> corners;
  };
  std::vector<Case> cases;
  {  // 60 spikes 0.02 wide and 1 high on a 1.2 x 0.1 base
    Case c{"comb of thin spikes", {{0.0, 0.0}, {1.2, 0.0}}};
    for (int k = 59; k >= 0; --k) {
      c.corners.push_back({0.02 * (k + 1), 0.1});
      c.corners.push_back({0.02 * k + 0.01, 1.1});
    }
    cases.push_back(c);
  }
  {  // the bottom side in 3000 collinear pieces
    Case c{"3000 collinear points", {}};
    for (int k = 0; k <= 3000; ++k) c.corners.push_back({k / 300.0, 0.0});
    c.corners.push_back({10.0, 1.0});
    c.corners.push_back({0.0, 1.0});
    cases.push_back(c);
  }
  cases.push_back({"near-coincident corners", {{0, 0}, {1, 0}, {1, 1}, {1 - 2e-8, 1}, {0, 1}}});
  cases.push_back({"sliver triangle", {{0, 0}, {1000, 0}, {500, 1e-3}}});
  cases.push_back({"star of 120 points", {}});
  for (int k = 0; k < 120; ++k) {
    const double r = k % 2 ? 1.0 : 0.05, a = 2 * std::numbers::pi * k / 120;
    cases.back().corners.push_back({r * std::cos(a), r * std::sin(a)});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OutlineSection s;
    s.add_loop(c.corners);
    s.add_region(1.0);
    const CombResult r = mesh_main(s);
    if (r.code == BSP_OK) {
      EXPECT_NEAR(r[BSP_SLOT_AREA], shoelace(c.corners), 1e-9 * shoelace(c.corners));  // straight sides: exact up to round-off
    } else {
      EXPECT_EQ(r.code, BSP_E_INPUT);
      EXPECT_TRUE(r.result.body_zero());
      EXPECT_NE(std::string(BSPLastError()), "");
    }
  }
}

}  // namespace
}  // namespace bsp::test
