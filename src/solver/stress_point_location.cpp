#include "solver/stress_point_location.h"

#include <algorithm>
#include <cmath>

namespace bsp {
namespace {

// Outline of an element as the closed sequence of its boundary nodes,
// counter-clockwise: the four corners of a quadrilateral, the six half-edges
// (corner, mid-side, corner, ...) of a 6-node triangle.
template <class Rule>
constexpr std::array<int, Rule::n_nodes> outline_order() {
  if constexpr (Rule::n_nodes == 4) {
    return {0, 1, 2, 3};
  } else {
    return {0, 3, 1, 4, 2, 5};
  }
}

}  // namespace

template <class Rule>
std::optional<NaturalPoint> locate_in_element(const T_ELEMENT<Rule>& e, double x, double y) {
  constexpr int n = Rule::n_nodes;
  // Work relative to the first node (so a section far from the origin loses
  // no digits) and in units of sqrt(element area).
  const double scale = std::sqrt(std::abs(e.plain_area()));
  const double f = scale > location_min_scale ? 1.0 / scale : 1.0;
  std::array<double, n> xs{}, ys{};
  for (int i = 0; i < n; ++i) {
    xs[i] = (e.x[i] - e.x[0]) * f;
    ys[i] = (e.y[i] - e.y[0]) * f;
  }
  const double px = (x - e.x[0]) * f;
  const double py = (y - e.y[0]) * f;

  const auto [xmin, xmax] = std::minmax_element(xs.begin(), xs.end());
  const auto [ymin, ymax] = std::minmax_element(ys.begin(), ys.end());
  const double tol = location_side_tolerance;
  if (px < *xmin - tol || px > *xmax + tol || py < *ymin - tol || py > *ymax + tol) return std::nullopt;

  // Inside means on the left of every outline segment, or within tol of it.
  constexpr auto order = outline_order<Rule>();
  for (int i = 0; i < n; ++i) {
    const int a = order[i];
    const int b = order[(i + 1) % n];
    const double ex = xs[b] - xs[a], ey = ys[b] - ys[a];
    const double cross = ex * (py - ys[a]) - ey * (px - xs[a]);
    if (cross < -tol * std::hypot(ex, ey)) return std::nullopt;
  }

  auto mapped = [&](NaturalPoint p) {
    const auto nv = Rule::shape(p.s, p.t);
    double mx = 0, my = 0;
    for (int i = 0; i < n; ++i) {
      mx += nv[i] * xs[i];
      my += nv[i] * ys[i];
    }
    return NaturalPoint{mx, my};
  };

  NaturalPoint p = Rule::centre;
  for (int it = 0; it < location_max_iterations; ++it) {
    const NaturalPoint q = mapped(p);
    const double rx = px - q.s, ry = py - q.t;
    const Jacobian j = jacobian<Rule>(xs, ys, Rule::gradient(p.s, p.t));
    const double det = j.det();
    if (!(std::abs(det) > 0.0) || !std::isfinite(det)) return std::nullopt;
    const double ds = (j.j22 * rx - j.j21 * ry) / det;
    const double dt = (j.j11 * ry - j.j12 * rx) / det;
    p.s += ds;
    p.t += dt;
    if (std::max(std::abs(ds), std::abs(dt)) <= location_step_tolerance) break;
  }
  const NaturalPoint q = mapped(p);
  if (!(std::hypot(px - q.s, py - q.t) <= location_residual_tolerance)) return std::nullopt;
  if (!(Rule::outside_by(p) <= location_natural_margin)) return std::nullopt;
  return Rule::clamp(p, location_natural_limit);
}

template std::optional<NaturalPoint> locate_in_element(const T_QUAD4&, double, double);
template std::optional<NaturalPoint> locate_in_element(const T_TRIA6&, double, double);

}  // namespace bsp
