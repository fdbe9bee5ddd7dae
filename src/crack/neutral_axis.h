// The neutral-axis search of the cracked section: the root in a of the
// transformed first moment F(a) about the axis, searched over the section's
// z range. Bracketing at the range ends, Ridders' method, and false position
// when Ridders' step cannot proceed. The search knows nothing of sections:
// it takes F as a function, so it can be checked on functions with known
// roots.
#pragma once

#include <cstdint>
#include <functional>

namespace bsp {

// |F| below this counts as zero at the range ends, and a value below it in
// magnitude counts as positive when signs are compared. About the double
// epsilon; rule of this library, pinned by NeutralAxis tests.
inline constexpr double neutral_axis_zero = 2.2e-16;
// Ridders and false position accept x when |F(x)| < this. Absolute, in the
// units of F (length^3 scaled by moduli / E_ref): in metre-sized models it
// is about 1e-9 of a typical F; in millimetre-sized ones F's round-off is
// larger, and the bracket-collapse stop below ends the search instead.
inline constexpr double neutral_axis_tolerance = 1e-10;
// Iteration limit of each of the two methods.
inline constexpr int neutral_axis_max_steps = 100;

enum class RootMethod : int {
  range_end = 0,       // F vanished at a range end
  no_bracket = 1,      // F keeps one sign: the whole section is on one side
  ridders = 2,
  false_position = 3,
};

struct RootSearchResult {
  double root = 0.0;
  std::int32_t evaluations = 0;  // calls of F, range ends included
  RootMethod method = RootMethod::range_end;
};

// Root of f on [lo, hi]. When f has one sign over the range, the root is
// no_bracket_end (the range end the caller names: the whole section is then
// compressed or in tension). Besides the tolerance on |f| and the step
// limits, each method stops when its bracket has shrunk to adjacent doubles,
// where further steps cannot change x but only repeat f's round-off.
RootSearchResult find_neutral_axis(const std::function<double(double)>& f, double lo, double hi,
                                   double no_bracket_end);

}  // namespace bsp
