#include "geometry/split_first_moments.h"

#include <array>
#include <cstddef>

namespace bsp {
namespace {

struct Uv {
  double u, v;  // coordinates relative to the centroid
};

// A triangle clipped by a line has at most four corners.
struct Piece {
  std::array<Uv, 4> p{};
  int n = 0;
};

// The part of triangle t where side * u >= 0 (Sutherland-Hodgman against one
// half-plane). Corners on the line belong to both sides, which adds nothing
// to either moment.
template <class Coordinate>
Piece clip(const std::array<Uv, 3>& t, double side, Coordinate c) {
  Piece out;
  for (int i = 0; i < 3; ++i) {
    const Uv a = t[static_cast<std::size_t>(i)];
    const Uv b = t[static_cast<std::size_t>((i + 1) % 3)];
    const double da = side * c(a);
    const double db = side * c(b);
    if (da >= 0.0) out.p[static_cast<std::size_t>(out.n++)] = a;
    if ((da > 0.0 && db < 0.0) || (da < 0.0 && db > 0.0)) {
      const double s = da / (da - db);
      out.p[static_cast<std::size_t>(out.n++)] = {a.u + s * (b.u - a.u), a.v + s * (b.v - a.v)};
    }
  }
  return out;
}

// Integral of u dA (about_u) or v dA over a polygon, counter-clockwise
// positive: (1/6) sum (c_i + c_{i+1}) (u_i v_{i+1} - u_{i+1} v_i).
double moment(const Piece& q, bool about_u) {
  double sum = 0.0;
  for (int i = 0; i < q.n; ++i) {
    const Uv a = q.p[static_cast<std::size_t>(i)];
    const Uv b = q.p[static_cast<std::size_t>((i + 1) % q.n)];
    const double cross = a.u * b.v - b.u * a.v;
    sum += (about_u ? a.u + b.u : a.v + b.v) * cross;
  }
  return sum / 6.0;
}

}  // namespace

SplitFirstMoments split_first_moments(std::span<const double> x, std::span<const double> y,
                                      std::span<const std::int32_t> connectivity, int nodes_per_element,
                                      std::span<const std::int32_t> part, std::span<const double> part_weight,
                                      double xc, double yc) {
  SplitFirstMoments r;
  const auto k = static_cast<std::size_t>(nodes_per_element);
  const auto u_of = [](Uv p) { return p.u; };
  const auto v_of = [](Uv p) { return p.v; };
  for (std::size_t e = 0; e < part.size(); ++e) {
    if (part[e] <= 0 || static_cast<std::size_t>(part[e]) > part_weight.size()) continue;
    const auto m = static_cast<std::size_t>(part[e]);
    const double w = part_weight[m - 1];
    std::array<Uv, 3> t{};
    for (std::size_t i = 0; i < 3; ++i) {
      const auto n = static_cast<std::size_t>(connectivity[e * k + i] - 1);
      t[i] = {x[n] - xc, y[n] - yc};
    }
    r.about_x.positive += w * moment(clip(t, 1.0, u_of), true);
    r.about_x.negative += w * moment(clip(t, -1.0, u_of), true);
    r.about_y.positive += w * moment(clip(t, 1.0, v_of), false);
    r.about_y.negative += w * moment(clip(t, -1.0, v_of), false);
  }
  return r;
}

}  // namespace bsp
