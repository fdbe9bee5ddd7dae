#include "solver/elements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace bsp {
namespace {

template <class Rule>
T_ELEMENT<Rule> make_element(const std::array<double, Rule::n_nodes>& x, const std::array<double, Rule::n_nodes>& y) {
  T_ELEMENT<Rule> e;
  set_up_element<Rule>(e, x, y);
  return e;
}

// Exact integral of s^p t^q over the reference triangle: p! q! / (p + q + 2)!.
double triangle_monomial(int p, int q) {
  return std::tgamma(p + 1.0) * std::tgamma(q + 1.0) / std::tgamma(p + q + 3.0);
}
// Exact integral of s^p t^q over [-1, 1]^2.
double square_monomial(int p, int q) {
  auto line = [](int n) { return n % 2 == 1 ? 0.0 : 2.0 / (n + 1); };
  return line(p) * line(q);
}

template <class Rule>
double rule_integral(int p, int q) {
  double sum = 0;
  for (int g = 0; g < Rule::n_points; ++g) sum += Rule::weight[g] * std::pow(Rule::point[g].s, p) * std::pow(Rule::point[g].t, q);
  return sum;
}

// The rules' 15-digit decimals (1e-15: the last digit) against the closed forms the code uses.
TEST(ElementRules, ClosedFormConstantsReproduceTheirDecimals) {
  EXPECT_NEAR(Quad4Rule::g, 0.577350269189626, 1e-15);
  EXPECT_NEAR(Tria6Rule::a, 0.091576213509771, 1e-15);
  EXPECT_NEAR(1 - 2 * Tria6Rule::a, 0.816847572980459, 1e-15);
  EXPECT_NEAR(Tria6Rule::b, 0.445948490915965, 1e-15);
  EXPECT_NEAR(1 - 2 * Tria6Rule::b, 0.10810301816807, 1e-14);  // 14 digits given
  EXPECT_NEAR(Tria6Rule::w_a, 0.054975871827661, 1e-15);
  // Half of the 15-digit unit-triangle weight 0.223381589678011: 5e-16.
  EXPECT_NEAR(Tria6Rule::w_b, 0.1116907948390055, 5e-16);
  EXPECT_NEAR(3 * Tria6Rule::w_a + 3 * Tria6Rule::w_b, 0.5, 1e-16);
  // The compile-time root agrees with the library's to a unit or two in the last place.
  for (double v : {2.0, 10.0, 0.4, 38.0 - 44.0 * std::sqrt(0.4), 213125.0})
    EXPECT_NEAR(constexpr_sqrt(v), std::sqrt(v), 2 * std::numeric_limits<double>::epsilon() * std::sqrt(v));
}

// Gauss 2x2 is exact for p, q <= 3, the triangle rule for p + q <= 4 (round-off 1e-15), and not
// beyond, or the comparison would tell nothing about the degree.
TEST(ElementRules, IntegrateEveryMonomialOfTheirDegreeExactly) {
  for (int p = 0; p <= 3; ++p)
    for (int q = 0; q <= 3; ++q) EXPECT_NEAR(rule_integral<Quad4Rule>(p, q), square_monomial(p, q), 1e-15) << p << q;
  for (int p = 0; p <= 4; ++p)
    for (int q = 0; p + q <= 4; ++q)
      EXPECT_NEAR(rule_integral<Tria6Rule>(p, q), triangle_monomial(p, q), 1e-15) << p << q;
  EXPECT_GT(std::abs(rule_integral<Tria6Rule>(5, 0) - triangle_monomial(5, 0)), 1e-6);
}

template <class Rule>
void expect_interpolating_basis() {
  for (int j = 0; j < Rule::n_nodes; ++j) {
    const auto n = Rule::shape(Rule::node[j].s, Rule::node[j].t);
    for (int i = 0; i < Rule::n_nodes; ++i) EXPECT_EQ(n[i], i == j ? 1.0 : 0.0) << i << " at node " << j;
  }
  // Partition of unity; derivatives against central differences (step 1e-6: truncation 1e-12,
  // round-off 1e-10).
  const double s = 0.21, t = 0.37, h = 1e-6;
  const auto n = Rule::shape(s, t);
  const auto d = Rule::gradient(s, t);
  EXPECT_NEAR(std::accumulate(n.begin(), n.end(), 0.0), 1.0, 1e-15);
  EXPECT_NEAR(std::accumulate(d.ds.begin(), d.ds.end(), 0.0), 0.0, 1e-15);
  EXPECT_NEAR(std::accumulate(d.dt.begin(), d.dt.end(), 0.0), 0.0, 1e-15);
  const auto sp = Rule::shape(s + h, t), sm = Rule::shape(s - h, t);
  const auto tp = Rule::shape(s, t + h), tm = Rule::shape(s, t - h);
  for (int i = 0; i < Rule::n_nodes; ++i) {
    EXPECT_NEAR(d.ds[i], (sp[i] - sm[i]) / (2 * h), 1e-9);
    EXPECT_NEAR(d.dt[i], (tp[i] - tm[i]) / (2 * h), 1e-9);
  }
}

// Extrapolation from the integration points reproduces a field the interpolant spans: bilinear
// (quadrilateral), linear (triangle); round-off 1e-14.
template <class Rule, class Field>
void expect_extrapolation(Field field) {
  std::array<double, Rule::n_points> v{};
  for (int g = 0; g < Rule::n_points; ++g) v[g] = field(Rule::point[g].s, Rule::point[g].t);
  for (const auto& p : Rule::node) EXPECT_NEAR(Rule::extrapolate(v, p.s, p.t), field(p.s, p.t), 1e-14);
}

TEST(ElementRules, ShapeFunctionsInterpolateDifferentiateAndExtrapolate) {
  expect_interpolating_basis<Quad4Rule>();
  expect_interpolating_basis<Tria6Rule>();
  expect_extrapolation<Quad4Rule>([](double s, double t) { return 1.5 - 2 * s + 0.5 * t + 3 * s * t; });
  expect_extrapolation<Tria6Rule>([](double s, double t) { return -0.7 + 4 * s - 2.5 * t; });
}

TEST(ElementStiffness, RectangleMatchesTheHandIntegratedMatrix) {
  // K = b/(6a) Kx + a/(6b) Ky, the textbook integer patterns; 2x2 Gauss is exact for the
  // quadratic integrand, so only round-off (1e-15) remains.
  const double a = 2.0, b = 0.5;
  const auto e = make_element<Quad4Rule>({0, a, a, 0}, {0, 0, b, b});
  const int kx[4][4] = {{2, -2, -1, 1}, {-2, 2, 1, -1}, {-1, 1, 2, -2}, {1, -1, -2, 2}};
  const int ky[4][4] = {{2, 1, -1, -2}, {1, 2, -2, -1}, {-1, -2, 2, 1}, {-2, -1, 1, 2}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      EXPECT_NEAR(e.K_at(i, j), b / (6 * a) * kx[i][j] + a / (6 * b) * ky[i][j], 1e-15) << i << j;
}

template <class Rule>
void expect_laplace_properties(const T_ELEMENT<Rule>& e, double area, double grad_x2_energy) {
  constexpr int n = Rule::n_nodes;
  const double scale = std::abs(e.K_at(0, 0));
  for (int i = 0; i < n; ++i) {
    double row = 0;
    for (int j = 0; j < n; ++j) {
      row += e.K_at(i, j);
      EXPECT_DOUBLE_EQ(e.K_at(i, j), e.K_at(j, i));
    }
    EXPECT_NEAR(row, 0.0, 1e-14 * scale) << "constant field must cost no energy, row " << i;
  }
  // u = x and u = y have energy int |grad u|^2 = area (each reads one family of
  // derivatives); u = x^2 (quadratic triangle only) int 4 x^2.
  auto energy = [&](auto field, const auto& coordinate) {
    double sum = 0;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) sum += field(coordinate[i]) * e.K_at(i, j) * field(coordinate[j]);
    return sum;
  };
  const auto linear = [](double v) { return v; };
  EXPECT_NEAR(energy(linear, e.x), area, 1e-13 * area);
  EXPECT_NEAR(energy(linear, e.y), area, 1e-13 * area);
  if (grad_x2_energy > 0) {
    EXPECT_NEAR(energy([](double x) { return x * x; }, e.x), grad_x2_energy, 1e-12 * grad_x2_energy);
  }
}

TEST(ElementStiffness, ConstantsCostNothingAndExactFieldsCostTheirEnergy) {
  // A general convex quadrilateral, no two edges parallel or of equal length
  // (so that no mix-up of edges goes unseen): its area by the shoelace
  // formula is 7.875.
  const auto q = make_element<Quad4Rule>({0, 4, 3.5, 0.5}, {0, 0.5, 3, 2});
  EXPECT_NEAR(q.plain_area(), 7.875, 1e-13);
  expect_laplace_properties(q, 7.875, 0.0);

  // Straight-sided triangle (0,0), (3,0), (1,2): area 3; int 4 x^2 dA by the
  // vertex formula area/6 (x1^2 + x2^2 + x3^2 + x1 x2 + x2 x3 + x3 x1) = 6.5, times 4.
  const auto t = make_element<Tria6Rule>({0, 3, 1, 1.5, 2, 0.5}, {0, 0, 2, 0, 1, 1});
  EXPECT_NEAR(t.plain_area(), 3.0, 1e-14);
  expect_laplace_properties(t, 3.0, 4 * 6.5);
}

}  // namespace
}  // namespace bsp
