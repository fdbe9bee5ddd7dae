#include "standard/section_catalogue.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace bsp {
namespace {

// One relational rule, dimensions numbered 1-based as in the catalogue.
enum class Rule : std::uint8_t {
  none,
  simple,   // D[b] < D[a]
  half,     // 2 D[b] < D[a]
  paired,   // D[b] + D[c] < D[a]
  special,  // 2 D[b] + D[c] < D[a] (type 16: box walls and plate within the depth)
};

struct Check {
  Rule rule = Rule::none;
  std::uint8_t a = 0, b = 0, c = 0;
};

struct TypeEntry {
  std::uint8_t n_dimensions;
  std::array<Check, 3> checks;  // in the order they run
};

constexpr Check simple(int b, int a) { return {Rule::simple, std::uint8_t(a), std::uint8_t(b), 0}; }
constexpr Check half(int b, int a) { return {Rule::half, std::uint8_t(a), std::uint8_t(b), 0}; }
constexpr Check paired(int b, int c, int a) { return {Rule::paired, std::uint8_t(a), std::uint8_t(b), std::uint8_t(c)}; }
constexpr Check special(int b, int c, int a) {
  return {Rule::special, std::uint8_t(a), std::uint8_t(b), std::uint8_t(c)};
}

// Index t - 1 for type t.
constexpr std::array<TypeEntry, 27> catalogue = {{
    {2, {}},                                                // 1 rectangle
    {4, {half(4, 2), simple(3, 1)}},                        // 2 trough
    {6, {paired(5, 6, 1), simple(4, 3), simple(4, 2)}},     // 3 I, depth along y
    {4, {simple(4, 1), simple(3, 2)}},                      // 4 T, depth along y
    {4, {half(3, 2), half(4, 1)}},                          // 5 box
    {4, {simple(4, 3)}},                                    // 6 cross
    {4, {simple(4, 3)}},                                    // 7 I
    {4, {simple(4, 1)}},                                    // 8 T
    {4, {simple(3, 4)}},                                    // 9 Z
    {4, {simple(3, 4)}},                                    // 10 channel
    {4, {simple(3, 4)}},                                    // 11 H
    {4, {simple(2, 3), half(1, 4)}},                        // 12 channel, depth along y
    {4, {simple(4, 1), simple(3, 2)}},                      // 13 T on its side
    {6, {paired(5, 6, 1), paired(3, 4, 2)}},                // 14 box, four walls
    {4, {half(2, 1), half(2, 3)}},                          // 15 lipped channel
    {5, {half(4, 3), simple(3, 1), special(4, 5, 2)}},      // 16 plate with box
    {3, {half(1, 2)}},                                      // 17 hexagon
    {2, {simple(2, 1)}},                                    // 18 tube
    {1, {}},                                                // 19 circle
    {4, {simple(4, 1), simple(3, 2)}},                      // 20 angle
    {5, {simple(4, 3)}},                                    // 21 T on its side, off centre
    {4, {half(1, 2), simple(4, 3)}},                        // 22 octagon
    {4, {simple(3, 1), simple(4, 2)}},                      // 23 angle
    {6, {paired(4, 6, 1), simple(3, 2), simple(3, 5)}},     // 24 I, unequal flanges
    {6, {paired(4, 6, 1), simple(3, 2), simple(3, 5)}},     // 25 channel, unequal flanges
    {4, {simple(4, 1), simple(3, 2)}},                      // 26 angle, leg on top
    {4, {half(4, 1), half(4, 3)}},                          // 27 hat
}};

bool known(std::int32_t t) { return t >= first_standard_type && t <= last_standard_type; }

// Applies one rule; true when it fired.
bool apply(const Check& k, std::span<double> d) {
  // An unused slot of a type's rule list names no dimensions (indices 0):
  // it must not form a reference before the first one.
  if (k.rule == Rule::none) return false;
  const double f = correction_factor;
  double& da = d[k.a - 1];
  double& db = d[k.b - 1];
  switch (k.rule) {
    case Rule::none:
      return false;
    case Rule::simple:
      if (db < da) return false;
      db = da * f;
      return true;
    case Rule::half:
      if (2.0 * db < da) return false;
      db = 0.5 * da * f;
      return true;
    case Rule::paired:
    case Rule::special: {
      double& dc = d[k.c - 1];
      const double weight = k.rule == Rule::special ? 2.0 : 1.0;
      const double sum = weight * db + dc;
      if (sum < da) return false;
      // One factor from the values as given: correcting one and then using
      // it in the other's denominator would leave the sum above the limit.
      const double scale = da * f / sum;
      db *= scale;
      dc *= scale;
      return true;
    }
  }
  return false;
}

}  // namespace

std::int32_t standard_dimension_count(std::int32_t section_type) noexcept {
  return known(section_type) ? catalogue[static_cast<std::size_t>(section_type - 1)].n_dimensions : 0;
}

void check_standard_dimensions(std::span<double> dimensions, std::int32_t section_type, std::int32_t& status) noexcept {
  status = dimension_status::ok;
  if (!known(section_type)) {
    status = dimension_status::unknown_type;
    return;
  }
  const TypeEntry& entry = catalogue[static_cast<std::size_t>(section_type - 1)];
  const std::span<double> d = dimensions.first(entry.n_dimensions);

  // The replacement scales with the smallest positive dimension; a value
  // that is not finite takes no part in it (it is replaced itself).
  double m = std::isfinite(d[0]) ? d[0] : 0.0;
  for (double v : d)
    if (std::isfinite(v) && v > 0.0) m = std::min(m, v);
  m = std::max(m, replacement_floor);
  const double r = std::max(replacement_floor, replacement_share * m);

  bool replaced = false;
  for (double& v : d) {
    if (!std::isfinite(v) || v < smallest_dimension) {
      v = r;
      status = dimension_status::replaced;
      replaced = true;
    } else if (v > largest_dimension && !replaced) {
      // A replacement is the news a caller must see; it outranks the flag.
      status = dimension_status::too_large;
    }
  }
  if (replaced) return;

  for (const Check& k : entry.checks)
    if (apply(k, d)) status = dimension_status::inconsistent;
}

}  // namespace bsp
