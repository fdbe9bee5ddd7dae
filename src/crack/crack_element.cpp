#include "crack/crack_element.h"

#include <array>
#include <cmath>
#include <limits>

namespace bsp {
namespace {

// Newton's iteration for the square root, usable in constant expressions so
// that the quadrature table below is checked against its closed form.
constexpr double constexpr_sqrt(double x) noexcept {
  double r = x > 1.0 ? x : 1.0;
  for (int k = 0; k < 64; ++k) r = 0.5 * (r + x / r);
  return r;
}

// 4-point Gauss-Legendre rule on [-1, 1]; exact for polynomials of degree 7,
// and the integrands here are at most cubic in the parameter, so the rule is
// exact up to round-off. The table is the published 16-digit one (Abramowitz &
// Stegun, table 25.4), which every result of this library was computed with;
// the static_asserts tie it to the closed forms sqrt(3/7 -+ (2/7) sqrt(6/5))
// and (18 +- sqrt(30)) / 36 (the outer abscissa is the 1-ulp lower neighbour
// of the correctly rounded value).
constexpr double gauss_inner_x = 0.3399810435848563;
constexpr double gauss_outer_x = 0.8611363115940525;
constexpr double gauss_inner_w = 0.6521451548625462;
constexpr double gauss_outer_w = 0.34785484513745385;
constexpr bool within(double x, double ref, double tol) noexcept { return x - ref < tol && ref - x < tol; }
constexpr double table_tolerance = 2.3e-16;  // two ulps at 0.86
static_assert(within(gauss_inner_x, constexpr_sqrt(3.0 / 7.0 - 2.0 / 7.0 * constexpr_sqrt(6.0 / 5.0)), table_tolerance));
static_assert(within(gauss_outer_x, constexpr_sqrt(3.0 / 7.0 + 2.0 / 7.0 * constexpr_sqrt(6.0 / 5.0)), table_tolerance));
static_assert(within(gauss_inner_w, (18.0 + constexpr_sqrt(30.0)) / 36.0, table_tolerance));
static_assert(within(gauss_outer_w, (18.0 - constexpr_sqrt(30.0)) / 36.0, table_tolerance));

constexpr std::array<double, 4> gauss_x{-gauss_outer_x, -gauss_inner_x, gauss_inner_x, gauss_outer_x};
constexpr std::array<double, 4> gauss_w{gauss_outer_w, gauss_inner_w, gauss_inner_w, gauss_outer_w};

// A segment whose half-length is below this (about the double epsilon, in
// model length units) contributes nothing: rule of this library, pinned by
// CrackElement.DegenerateEdgeContributesNothing.
constexpr double half_length_floor = 2.2e-16;

}  // namespace

AxisMoments shift_axis(const AxisMoments& m, double from, double to) noexcept {
  const double d = from - to;
  return {m.area, m.first + d * m.area, m.second + 2.0 * d * m.first + d * d * m.area};
}

AxisMoments operator+(const AxisMoments& a, const AxisMoments& b) noexcept {
  return {a.area + b.area, a.first + b.first, a.second + b.second};
}

AxisMoments operator*(double s, const AxisMoments& m) noexcept { return {s * m.area, s * m.first, s * m.second}; }

AxisMoments edge_integrals(const Edge& e, double a) noexcept {
  const double dy = e.j.y - e.i.y;
  const double dz = e.j.z - e.i.z;
  const double length = std::hypot(dy, dz);
  const double half = 0.5 * length;
  if (!(half >= half_length_floor)) return {};
  const double nz = -dy / length;
  const double zm = 0.5 * (e.i.z + e.j.z) - a;
  AxisMoments m;
  for (std::size_t k = 0; k < gauss_x.size(); ++k) {
    const double t = zm + gauss_x[k] * 0.5 * dz;
    const double w = gauss_w[k] * half * nz;
    m.area += w * t;
    m.first += w * t * t / 2.0;
    m.second += w * t * t * t / 3.0;
  }
  return m;
}

bool clip_to_side(const Edge& e, double a, Side side, Edge& piece) noexcept {
  // Offsets measured so that the kept side is positive.
  const double si = side == Side::upper ? e.i.z - a : a - e.i.z;
  const double sj = side == Side::upper ? e.j.z - a : a - e.j.z;
  if (si <= 0.0 && sj <= 0.0) return false;
  piece = e;
  if (si >= 0.0 && sj >= 0.0) return true;
  // The edge crosses the axis: cut it there, keeping y on the straight line.
  const double t = si / (si - sj);
  const Node2D cut{e.i.y + t * (e.j.y - e.i.y), a};
  if (si < 0.0)
    piece.i = cut;
  else
    piece.j = cut;
  return true;
}

double CrackElementBase::area() const { return edge_integrals(edge_, 0.0).area; }
double CrackElementBase::first_moment(double axis) const { return edge_integrals(edge_, axis).first; }
double CrackElementBase::second_moment(double axis) const { return edge_integrals(edge_, axis).second; }
double CrackElementBase::area_stiffness(double) const { return area(); }
double CrackElementBase::first_moment_stiffness(double, double axis) const { return first_moment(axis); }
double CrackElementBase::second_moment_stiffness(double, double axis) const { return second_moment(axis); }
double CrackElementBase::active_area(Side, double) const { return upper_area() + lower_area(); }
double CrackElementBase::active_first_moment(Side, double) const { return upper_first_moment() + lower_first_moment(); }
double CrackElementBase::active_second_moment(Side, double) const {
  return upper_second_moment() + lower_second_moment();
}

void ConcreteElement::set_axis(double a, Side side) {
  axis_ = a;
  side_ = side;
  Edge piece;
  compressed_ = clip_to_side(edge_, a, side, piece) ? edge_integrals(piece, a) : AxisMoments{};
}

void SteelElement::set_axis(double a, Side) {
  axis_ = a;
  Edge piece;
  upper_ = clip_to_side(edge_, a, Side::upper, piece) ? edge_integrals(piece, a) : AxisMoments{};
  lower_ = clip_to_side(edge_, a, Side::lower, piece) ? edge_integrals(piece, a) : AxisMoments{};
}

}  // namespace bsp
