#include "crack/rebar_element.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace bsp {
namespace {

// Segment of a circle of radius r cut at offset t, on the side away from the
// centre when t > 0; see circle_part_above for the formulas.
AxisMoments segment(double r, double t) noexcept {
  if (!(r > 0.0)) return {};
  const double c = std::clamp(t / r, -1.0, 1.0);
  const double al = std::acos(c);
  const double s = std::sin(al);
  const double cs = std::cos(al);
  const double r2 = r * r;
  const double h = std::max(r2 - t * t, 0.0);
  return {r2 * (al - s * cs), 2.0 / 3.0 * h * std::sqrt(h), r2 * r2 / 4.0 * (al - s * cs + 2.0 * s * s * s * cs)};
}

}  // namespace

AxisMoments circle_part_above(double r, double t) noexcept { return segment(r, t); }

AxisMoments circle_part_below(double r, double t) noexcept {
  // Mirror image of the part above the line at -t.
  AxisMoments m = segment(r, -t);
  m.first = -m.first;
  return m;
}

RebarElement::RebarElement(double centre, double area, double modulus, bool host_cracks) noexcept
    : centre_(centre),
      area_(area),
      modulus_(modulus),
      radius_(std::sqrt(area / std::numbers::pi)),
      host_cracks_(host_cracks) {
  set_axis(centre_ - radius_, Side::upper);
}

void RebarElement::set_axis(double a, Side) {
  axis_ = a;
  clamped_ = std::max(centre_ - radius_, std::min(a, centre_ + radius_));
  upper_ = circle_part_above(radius_, clamped_ - centre_);
  lower_ = circle_part_below(radius_, clamped_ - centre_);
}

AxisMoments RebarElement::upper_about_axis() const noexcept { return shift_axis(upper_, centre_, axis_); }
AxisMoments RebarElement::lower_about_axis() const noexcept { return shift_axis(lower_, centre_, axis_); }

AxisMoments RebarElement::own_moments(double axis) const noexcept {
  const double d = centre_ - axis;
  return {area_, area_ * d, area_ * (d * d + radius_ * radius_ / 4.0)};
}

AxisMoments RebarElement::stiffness_moments(double host_modulus, double axis) const noexcept {
  return (modulus_ - host_modulus) * own_moments(axis);
}

AxisMoments RebarElement::compressed_about_axis(Side side) const noexcept {
  return side == Side::upper ? upper_about_axis() : lower_about_axis();
}

AxisMoments RebarElement::active_stiffness_moments(Side side, double host_modulus) const noexcept {
  const double compressed_modulus = modulus_ - host_modulus;
  const double tension_modulus = host_cracks_ ? modulus_ : modulus_ - host_modulus;
  const AxisMoments up = upper_about_axis();
  const AxisMoments down = lower_about_axis();
  return side == Side::upper ? compressed_modulus * up + tension_modulus * down
                             : compressed_modulus * down + tension_modulus * up;
}

double RebarElement::area_stiffness(double host_modulus) const { return (modulus_ - host_modulus) * area_; }
double RebarElement::first_moment_stiffness(double host_modulus, double axis) const {
  return stiffness_moments(host_modulus, axis).first;
}
double RebarElement::second_moment_stiffness(double host_modulus, double axis) const {
  return stiffness_moments(host_modulus, axis).second;
}
double RebarElement::active_area(Side side, double host_modulus) const {
  return active_stiffness_moments(side, host_modulus).area;
}
double RebarElement::active_first_moment(Side side, double host_modulus) const {
  return active_stiffness_moments(side, host_modulus).first;
}
double RebarElement::active_second_moment(Side side, double host_modulus) const {
  return active_stiffness_moments(side, host_modulus).second;
}

}  // namespace bsp
