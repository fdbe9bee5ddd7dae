#include "crack/neutral_axis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace bsp {
namespace {

// Ridders' exponential fit is exact for a straight line: one step, four
// evaluations (two ends, midpoint, new point).
TEST(NeutralAxis, LinearFunctionInOneRiddersStep) {
  const RootSearchResult r = find_neutral_axis([](double x) { return 3.0 * (0.3 - x); }, 0.0, 1.0, 1.0);
  EXPECT_EQ(r.method, RootMethod::ridders);
  EXPECT_NEAR(r.root, 0.3, 1e-15);  // one rounding step
  EXPECT_EQ(r.evaluations, 4);
}

TEST(NeutralAxis, CurvedFunctionToTolerance) {
  const auto f = [](double x) { return x * x * x - 2.0; };
  const RootSearchResult r = find_neutral_axis(f, 0.0, 3.0, 3.0);
  EXPECT_EQ(r.method, RootMethod::ridders);
  EXPECT_LT(std::abs(f(r.root)), neutral_axis_tolerance);
  EXPECT_NEAR(r.root, std::cbrt(2.0), 1e-10);  // |f'| = 4.8 near the root
  EXPECT_LT(r.evaluations, 20);                 // superlinear convergence
}

TEST(NeutralAxis, ZeroAtARangeEndIsTheRoot) {
  const RootSearchResult lo = find_neutral_axis([](double x) { return x * x; }, 0.0, 2.0, 2.0);
  EXPECT_EQ(lo.root, 0.0);
  EXPECT_EQ(lo.method, RootMethod::range_end);
  EXPECT_EQ(lo.evaluations, 1);
  const RootSearchResult hi = find_neutral_axis([](double x) { return 2.0 - x; }, 0.0, 2.0, 0.0);
  EXPECT_EQ(hi.root, 2.0);
  EXPECT_EQ(hi.evaluations, 2);
}

TEST(NeutralAxis, OneSignGivesTheNamedEnd) {
  const RootSearchResult r = find_neutral_axis([](double x) { return 1.0 + x * x; }, -1.0, 4.0, 4.0);
  EXPECT_EQ(r.method, RootMethod::no_bracket);
  EXPECT_EQ(r.root, 4.0);
}

// When Ridders' step cannot be formed (a midpoint value that is not a
// number), false position on the bracket finishes the search. It converges
// only linearly, so the bracket is kept narrow enough for the step limit.
TEST(NeutralAxis, FalsePositionTakesOverWhenRiddersFails) {
  const auto f = [](double x) {
    return x == 1.0 ? std::numeric_limits<double>::quiet_NaN() : x * x * x - 0.5;
  };
  const RootSearchResult r = find_neutral_axis(f, 0.5, 1.5, 1.5);
  EXPECT_EQ(r.method, RootMethod::false_position);
  EXPECT_NEAR(r.root, std::cbrt(0.5), 1e-10);  // |f'| ~ 1.9 at the root, |f| < 1e-10
  EXPECT_LE(r.evaluations, 3 + neutral_axis_max_steps);
}

// Round-off larger than the absolute tolerance (large F values) must not keep
// the search spinning to its step limits: it ends when the bracket collapses.
TEST(NeutralAxis, StopsWhenBracketCollapses) {
  const auto f = [](double x) { return 1e12 * (x - 0.123456789); };
  const RootSearchResult r = find_neutral_axis(f, 0.0, 1.0, 1.0);
  EXPECT_NEAR(r.root, 0.123456789, 1e-15);  // a few ulps
  EXPECT_LT(r.evaluations, 2 + 2 * neutral_axis_max_steps);
  const auto g = [](double x) { return 1e12 * (std::exp(x) - 2.0); };
  const RootSearchResult s = find_neutral_axis(g, 0.0, 3.0, 3.0);
  EXPECT_NEAR(s.root, std::log(2.0), 1e-14);  // a few ulps
  EXPECT_LT(s.evaluations, 40);
}

// The search's work is bounded by its step limits whatever F does: a jump
// that is never near zero, values that are not numbers inside the range, a
// sign that flips on every double, and slopes near the double range.
TEST(NeutralAxis, HostileFunctionsStayWithinTheStepLimits) {
  constexpr int bound = 2 + 2 * neutral_axis_max_steps + neutral_axis_max_steps;  // ends, Ridders, false position
  const std::function<double(double)> hostile[] = {
      [](double x) { return x < 0.3 ? -1.0 : 1.0; },
      [](double x) { return x == 0.0 || x == 1.0 ? x - 0.5 : std::numeric_limits<double>::quiet_NaN(); },
      [](double x) { return std::sin(1e12 * x) > 0.0 ? 1e-3 : -1e-3; },
      [](double x) { return 1e300 * (x - 0.7); },
      [](double x) { return x - 0.5 + 1e-3 * std::sin(1e9 * x); },
  };
  for (const auto& f : hostile) {
    const RootSearchResult r = find_neutral_axis(f, 0.0, 1.0, 1.0);
    EXPECT_LE(r.evaluations, bound);
  }
}

}  // namespace
}  // namespace bsp
