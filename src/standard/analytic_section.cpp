#include "standard/analytic_section.h"

#include <cassert>
#include <cmath>
#include <utility>

namespace bsp {
namespace {

// Shear coefficient of a solid rectangle, 5/6, as the stored double the
// rectangle formula has always multiplied by (the nearest double to 5/6).
constexpr double rectangle_shear_factor = 0.8333333333333334;

// 5/6 for the built-up shapes, applied as *5.0 then /6.0: the two roundings
// are part of the published values, which can differ in the last bit from a
// product with rectangle_shear_factor.
constexpr double five_sixths(double x) noexcept { return x * 5.0 / 6.0; }

// Saint-Venant's series for a solid rectangle truncated to its usual
// engineering form (Roark): J = a b^3 (1/3 - 0.21 (b/a)(1 - b^4 / (12 a^4))),
// a the longer side. 0.21 and 12 are the constants of that fit.
constexpr double rectangle_fit_slope = 0.21;
constexpr double rectangle_fit_quartic = 12.0;

double rectangle_j(double d1, double d2) noexcept {
  // The longer side is chosen by a strict comparison: equal sides take D2.
  const double a = d1 > d2 ? d1 : d2;
  const double b = d1 > d2 ? d2 : d1;
  assert(a > 0.0);  // the export refuses dimensions that are not > 0
  return a * std::pow(b, 3.0) *
         (1.0 / 3.0 - rectangle_fit_slope * (b / a) *
                          (1.0 - std::pow(b, 4.0) / (rectangle_fit_quartic * std::pow(a, 4.0))));
}

// Bredt's formula for a closed thin-walled cell, J = 4 A_m^2 / sum(s_i / t_i),
// on the centre-line rectangle h x b.
double box_j(std::span<const double> d) noexcept {
  const double h = d[0] - (d[4] + d[5]) / 2.0;
  const double b = d[1] - (d[2] + d[3]) / 2.0;
  if (!(h > 0.0 && b > 0.0 && d[2] > 0.0 && d[3] > 0.0 && d[4] > 0.0 && d[5] > 0.0)) return 0.0;
  return 4.0 * std::pow(h * b, 2.0) / (h / d[2] + h / d[3] + b / d[4] + b / d[5]);
}

// Open thin-walled shapes: J = (1/3) sum(l_i t_i^3) over the plates, with the
// plate lengths taken to the centre lines where plates meet. The sum is
// multiplied by the double 1/3 rather than divided by 3: the two can differ
// in the last bit, and the published values use the product.
constexpr double one_third = 1.0 / 3.0;
double i_outstand_j(std::span<const double> d) noexcept {
  return one_third * ((d[0] - (d[3] + d[5]) / 2.0) * std::pow(d[2], 3.0) +
                      (d[4] - d[2] / 2.0) * std::pow(d[5], 3.0) + (d[1] - d[2] / 2.0) * std::pow(d[3], 3.0));
}

double i_full_width_j(std::span<const double> d) noexcept {
  return one_third * ((d[0] - (d[3] + d[5]) / 2.0) * std::pow(d[2], 3.0) + d[4] * std::pow(d[5], 3.0) +
                      d[1] * std::pow(d[3], 3.0));
}

double tee_j(std::span<const double> d) noexcept {
  return one_third * ((d[0] - d[3] / 2.0) * std::pow(d[2], 3.0) + (d[1] - d[2] / 2.0) * std::pow(d[3], 3.0));
}

double split_flange_tee_j(std::span<const double> d) noexcept {
  return one_third * ((d[2] - d[3] / 2.0) * std::pow(d[4], 3.0) + (d[0] + d[1] + d[4]) * std::pow(d[3], 3.0));
}

bool is_turned(std::int32_t code) noexcept { return code == 4 || code == 6 || code == 8 || code == 10; }

}  // namespace

std::int32_t analytic_dimension_count(std::int32_t code) noexcept {
  switch (code) {
    case 1: return 2;
    case 2: return 6;
    case 3: case 4: case 5: case 6: return 6;
    case 7: case 8: return 4;
    case 9: case 10: return 5;
    default: return 0;
  }
}

double analytic_torsional_constant(std::int32_t code, std::span<const double> d) noexcept {
  switch (code) {
    case 1: return rectangle_j(d[0], d[1]);
    case 2: return box_j(d);
    case 3: case 4: return i_outstand_j(d);
    case 5: case 6: return i_full_width_j(d);
    case 7: case 8: return tee_j(d);
    case 9: case 10: return split_flange_tee_j(d);
    default: return 0.0;
  }
}

ShearAreas analytic_shear_area(std::int32_t code, std::span<const double> d) noexcept {
  ShearAreas s;
  switch (code) {
    case 1:
      s.first = rectangle_shear_factor * d[0] * d[1];
      s.second = s.first;
      break;
    case 2:
      s.first = d[1] * d[5] + d[1] * d[4];
      s.second = d[0] * d[2] + d[0] * d[3];
      break;
    case 3: case 4: case 5: case 6:
      s.first = five_sixths(d[4] * d[5] + d[1] * d[3]);
      s.second = d[0] * d[2];
      break;
    case 7: case 8:
      s.first = five_sixths(d[1] * d[3]);
      s.second = five_sixths(d[0] * d[2]);
      break;
    case 9: case 10:
      s.first = d[2] * d[4];
      s.second = five_sixths((d[0] + d[1] + d[4]) * d[3]);
      break;
    default:
      return s;
  }
  if (is_turned(code)) std::swap(s.first, s.second);
  return s;
}

}  // namespace bsp
