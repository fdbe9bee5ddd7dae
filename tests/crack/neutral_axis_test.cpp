#include "crack/neutral_axis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace bsp {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Ridders' fit is exact for a line: two ends, midpoint, new point. A zero at an end is the root,
// one sign gives the named end, a NaN midpoint hands over to false position, and round-off above
// the tolerance (F ~ 1e12) ends with the bracket. Tolerances: ulps of the root, or 1e-10 / |f'|.
TEST(NeutralAxis, FindsTheRootWithTheExpectedMethodAndWork) {
  const struct {
    const char* what;
    std::function<double(double)> f;
    double lo, hi, named, root, tolerance;
    RootMethod method;
    int max_evaluations;
  } cases[] = {
      {"line", [](double x) { return 3.0 * (0.3 - x); }, 0.0, 1.0, 1.0, 0.3, 1e-15, RootMethod::ridders, 4},
      {"cubic", [](double x) { return x * x * x - 2.0; }, 0.0, 3.0, 3.0, std::cbrt(2.0), 1e-10, RootMethod::ridders, 19},
      {"zero at lower end", [](double x) { return x * x; }, 0.0, 2.0, 2.0, 0.0, 0.0, RootMethod::range_end, 1},
      {"zero at upper end", [](double x) { return 2.0 - x; }, 0.0, 2.0, 0.0, 2.0, 0.0, RootMethod::range_end, 2},
      {"one sign", [](double x) { return 1.0 + x * x; }, -1.0, 4.0, 4.0, 4.0, 0.0, RootMethod::no_bracket, 2},
      {"NaN at the midpoint", [](double x) { return x == 1.0 ? nan : x * x * x - 0.5; }, 0.5, 1.5, 1.5, std::cbrt(0.5),
       1e-10, RootMethod::false_position, 3 + neutral_axis_max_steps},
      {"steep line", [](double x) { return 1e12 * (x - 0.123456789); }, 0.0, 1.0, 1.0, 0.123456789, 1e-15,
       RootMethod::ridders, 1 + 2 * neutral_axis_max_steps},
      {"steep exponential", [](double x) { return 1e12 * (std::exp(x) - 2.0); }, 0.0, 3.0, 3.0, std::log(2.0), 1e-14,
       RootMethod::ridders, 39},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const RootSearchResult r = find_neutral_axis(c.f, c.lo, c.hi, c.named);
    EXPECT_NEAR(r.root, c.root, c.tolerance);
    EXPECT_EQ(r.method, c.method);
    EXPECT_LE(r.evaluations, c.max_evaluations);
  }
  EXPECT_EQ(find_neutral_axis(cases[0].f, 0.0, 1.0, 1.0).evaluations, 4);
}

// Work bounded by the step limits whatever F does: a jump never near zero, NaN inside the range,
// a sign flipping on every double, slopes near the double range.
TEST(NeutralAxis, HostileFunctionsStayWithinTheStepLimits) {
  constexpr int bound = 2 + 2 * neutral_axis_max_steps + neutral_axis_max_steps;  // ends, Ridders, false position
  const std::function<double(double)> hostile[] = {
      [](double x) { return x < 0.3 ? -1.0 : 1.0; },
      [](double x) { return x == 0.0 || x == 1.0 ? x - 0.5 : nan; },
      [](double x) { return std::sin(1e12 * x) > 0.0 ? 1e-3 : -1e-3; },
      [](double x) { return 1e300 * (x - 0.7); },
      [](double x) { return x - 0.5 + 1e-3 * std::sin(1e9 * x); },
  };
  for (const auto& f : hostile) EXPECT_LE(find_neutral_axis(f, 0.0, 1.0, 1.0).evaluations, bound);
}

}  // namespace
}  // namespace bsp
