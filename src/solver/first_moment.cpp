#include "solver/first_moment.h"

#include <cstddef>

#include "solver/elements.h"

namespace bsp {

namespace {

// The 6-point triangle rule's constants as single-precision values: a, 1 - 2a,
// b, 1 - 2b and the two weights.
constexpr double r6_a = 0.09157621115446091;
constexpr double r6_c = 0.816847562789917;
constexpr double r6_b = 0.4459484815597534;
constexpr double r6_d = 0.10810301452875137;
constexpr double r6_wa = 0.05497587099671364;
constexpr double r6_wb = 0.11169079691171646;

constexpr double gauss2 = 0.5773502691896258;
constexpr double gauss3 = 0.7745966692414834;

void flag(std::int32_t& error) {
  if (error == 0) error = first_moment_error;
}

// Shape values and derivatives of an element with `npe` nodes at (s, t).
template <int N>
struct ShapeAt {
  std::array<double, N> n{}, ds{}, dt{};
};

ShapeAt<3> linear_at(double s, double t) { return {{1 - s - t, s, t}, {-1.0, 1.0, 0.0}, {-1.0, 0.0, 1.0}}; }

ShapeAt<6> quadratic_at(double s, double t) {
  const NaturalGradient<6> g = Tria6Rule::gradient(s, t);
  return {Tria6Rule::shape(s, t), g.ds, g.dt};
}

template <int N, class Shape>
void integrate(const FirstMomentRule& rule, std::span<const std::int32_t> connectivity, std::span<const double> x,
               std::span<const double> y, std::int32_t n_elements, double x_ref, double y_ref, double ratio,
               Shape shape_at, FirstMoments& out, std::int32_t& error) {
  for (std::int32_t e = 0; e < n_elements; ++e) {
    std::array<double, N> xe{}, ye{};
    for (int i = 0; i < N; ++i) {
      const auto node = static_cast<std::size_t>(connectivity[static_cast<std::size_t>(e) * N + i] - 1);
      xe[i] = x[node];
      ye[i] = y[node];
    }
    for (int g = 0; g < rule.n_points; ++g) {
      const auto f = shape_at(rule.s[g], rule.t[g]);
      double xg = 0, yg = 0, xs = 0, xt = 0, ys = 0, yt = 0;
      for (int i = 0; i < N; ++i) {
        xg += f.n[i] * xe[i];
        yg += f.n[i] * ye[i];
        xs += f.ds[i] * xe[i];
        xt += f.dt[i] * xe[i];
        ys += f.ds[i] * ye[i];
        yt += f.dt[i] * ye[i];
      }
      const double det = xs * yt - ys * xt;
      if (det <= 0.0) flag(error);
      const double da = ratio * rule.w[g] * det;
      out.area += da;
      out.qx += (yg - y_ref) * da;
      out.qy += (xg - x_ref) * da;
    }
  }
}

}  // namespace

FirstMomentRule first_moment_rule(std::int32_t n_points) {
  FirstMomentRule r;
  const auto set = [&r](std::initializer_list<std::array<double, 3>> points) {
    for (const auto& p : points) {
      const auto k = static_cast<std::size_t>(r.n_points++);
      r.s[k] = p[0];
      r.t[k] = p[1];
      r.w[k] = p[2];
    }
  };
  switch (n_points) {
    case 1: set({{1.0 / 3.0, 1.0 / 3.0, 0.5}}); break;
    case 3: set({{1.0 / 6.0, 1.0 / 6.0, 1.0 / 6.0}, {2.0 / 3.0, 1.0 / 6.0, 1.0 / 6.0}, {1.0 / 6.0, 2.0 / 3.0, 1.0 / 6.0}});
      break;
    case 4:
      set({{-gauss2, -gauss2, 1.0}, {gauss2, -gauss2, 1.0}, {-gauss2, gauss2, 1.0}, {gauss2, gauss2, 1.0}});
      break;
    case 6:
      set({{r6_a, r6_a, r6_wa}, {r6_c, r6_a, r6_wa}, {r6_a, r6_c, r6_wa},
           {r6_b, r6_d, r6_wb}, {r6_b, r6_b, r6_wb}, {r6_d, r6_b, r6_wb}});
      break;
    case 9: {
      constexpr std::array<double, 3> at = {-gauss3, 0.0, gauss3};
      // Products of the weights 5/9 and 8/9, as exact table values.
      constexpr double w25 = 0.30864197530864196, w40 = 0.49382716049382713, w64 = 0.7901234567901234;
      constexpr std::array<double, 9> w = {w25, w40, w25, w40, w64, w40, w25, w40, w25};
      for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) set({{at[i], at[j], w[static_cast<std::size_t>(3 * j + i)]}});
      break;
    }
    default: break;
  }
  return r;
}

FirstMoments FIRST_MOMENT_OF_AREA(std::int32_t npe, std::int32_t rule, std::span<const std::int32_t> connectivity,
                                  std::span<const double> x, std::span<const double> y, std::int32_t n_elements,
                                  double x_ref, double y_ref, double E_ref, double E, std::int32_t& error) {
  FirstMoments out;
  const FirstMomentRule r = first_moment_rule(rule);
  if (r.n_points == 0) {
    flag(error);
    return out;
  }
  const double ratio = E / E_ref;
  if (npe == 3)
    integrate<3>(r, connectivity, x, y, n_elements, x_ref, y_ref, ratio, linear_at, out, error);
  else if (npe == 6)
    integrate<6>(r, connectivity, x, y, n_elements, x_ref, y_ref, ratio, quadratic_at, out, error);
  else if (n_elements > 0)
    flag(error);
  return out;
}

}  // namespace bsp
