// A reinforcing bar of the cracked-section model: a circle of area A and
// modulus E_bar centred at z = c, not part of any edge loop. It adds to the
// material group it lies in (its host) only the difference its own material
// makes, (E_bar - E_host), because the host's edges already cover the area
// the bar displaces. Where the host is concrete on the tension side of the
// axis, the concrete is cracked and displaces nothing, so that part of the
// bar counts with E_bar alone; a steel host is never cracked.
//
// Cut by the axis, the bar splits into two exact circular segments; the whole
// bar and the sum of its two segments agree (own inertia pi r^4 / 4 included).
#pragma once

#include "crack/crack_element.h"

namespace bsp {

// The part of a circle of radius r above the line at offset t from its centre
// (-r <= t <= r), with moments about the centre line parallel to the cut:
// area r^2 (al - sin al cos al), first moment (2/3)(r^2 - t^2)^(3/2), second
// moment (r^4/4)(al - sin al cos al + 2 sin^3 al cos al), al = acos(t / r).
AxisMoments circle_part_above(double r, double t) noexcept;
// The part below the same line, about the same centre line.
AxisMoments circle_part_below(double r, double t) noexcept;

class RebarElement final : public ElementBase {
 public:
  // host_cracks: the bar lies in concrete, which carries no tension.
  RebarElement(double centre, double area, double modulus, bool host_cracks) noexcept;

  double area() const override { return 0.0; }
  double first_moment(double) const override { return 0.0; }
  double second_moment(double) const override { return 0.0; }
  void set_axis(double a, Side side) override;
  double upper_area() const override { return upper_about_axis().area; }
  double upper_first_moment() const override { return upper_about_axis().first; }
  double upper_second_moment() const override { return upper_about_axis().second; }
  double lower_area() const override { return lower_about_axis().area; }
  double lower_first_moment() const override { return lower_about_axis().first; }
  double lower_second_moment() const override { return lower_about_axis().second; }
  double area_stiffness(double host_modulus) const override;
  double first_moment_stiffness(double host_modulus, double axis) const override;
  double second_moment_stiffness(double host_modulus, double axis) const override;
  double active_area(Side side, double host_modulus) const override;
  double active_first_moment(Side side, double host_modulus) const override;
  double active_second_moment(Side side, double host_modulus) const override;
  double bar_area() const override { return area_; }
  double own_area() const override { return area_; }
  double own_first_moment(double axis) const override { return own_moments(axis).first; }
  double own_second_moment(double axis) const override { return own_moments(axis).second; }
  double own_active_area(Side side) const override { return compressed_about_axis(side).area; }
  double own_active_first_moment(Side side) const override { return compressed_about_axis(side).first; }
  double own_active_second_moment(Side side) const override { return compressed_about_axis(side).second; }
  double bar_modulus() const override { return modulus_; }
  double bar_centre() const override { return centre_; }

  double radius() const noexcept { return radius_; }
  // Position of the axis within the bar: the axis clamped to [c - r, c + r].
  double clamped_axis() const noexcept { return clamped_; }

  // Whole bar about `axis`, weighted by (E_bar - host_modulus), in one call.
  AxisMoments stiffness_moments(double host_modulus, double axis) const noexcept;
  // Both segments for the axis last set, weighted by the rule above, about it.
  AxisMoments active_stiffness_moments(Side side, double host_modulus) const noexcept;
  // Geometric circle (area A, own inertia A r^2 / 4) about `axis`.
  AxisMoments own_moments(double axis) const noexcept;
  // Geometric segment on the compressed side of the axis last set, about it.
  AxisMoments compressed_about_axis(Side side) const noexcept;

 private:
  AxisMoments upper_about_axis() const noexcept;
  AxisMoments lower_about_axis() const noexcept;

  double centre_;
  double area_;
  double modulus_;
  double radius_;
  bool host_cracks_;
  double axis_ = 0.0;
  double clamped_ = 0.0;
  AxisMoments upper_;  // segment above the clamped axis, about the centre
  AxisMoments lower_;  // segment below it, about the centre
};

}  // namespace bsp
