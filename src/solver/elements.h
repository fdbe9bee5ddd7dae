// The solver's two isoparametric elements: the 4-node bilinear quadrilateral
// (T_QUAD4) and the 6-node quadratic triangle (T_TRIA6). One element
// formulation serves both: a rule class (Quad4Rule, Tria6Rule) holds the shape
// functions, node positions, integration points and weights and the
// extrapolation from integration points; the record T_ELEMENT<Rule> holds one
// element's geometry, integration-point data, Laplace stiffness K_e, material
// and the space the analyses fill. Every later pass (geometry, stiffness,
// loads, stresses) reads the integration-point data computed once by
// set_up_element and never evaluates the mapping again.
//
// No check of det J is made here: a degenerate element gives infinite or NaN
// derivatives. Orientation and finiteness are checked where input enters.
#pragma once

#include <array>
#include <cstdint>
#include <numbers>
#include <span>
#include <type_traits>
#include <vector>

namespace bsp {

// Square root usable in constant expressions, so that quadrature tables are
// computed from their closed forms at compile time. Newton's iteration from
// above decreases monotonically until rounding stops it; the last value is
// within one unit in the last place of the true root.
constexpr double constexpr_sqrt(double v) {
  if (!(v > 0.0)) return 0.0;
  double x = v > 1.0 ? v : 1.0;
  for (int i = 0; i < 2000; ++i) {
    const double next = 0.5 * (x + v / x);
    if (!(next < x)) break;
    x = next;
  }
  return x;
}

struct NaturalPoint {
  double s = 0.0;
  double t = 0.0;
};

// Shape-function derivatives with respect to the natural coordinates.
template <int N>
struct NaturalGradient {
  std::array<double, N> ds{};
  std::array<double, N> dt{};
};

// 4-node bilinear quadrilateral on [-1, 1]^2, nodes counter-clockwise from
// (-1,-1); 2x2 Gauss-Legendre integration, exact for bicubic integrands, so
// area, first and second moments of a straight-sided quadrilateral are exact.
struct Quad4Rule {
  static constexpr int n_nodes = 4;
  static constexpr int n_points = 4;

  // Gauss abscissa 1/sqrt(3) (= 0.577350269189626 to 15 digits), weight 1.
  static constexpr double g = std::numbers::inv_sqrt3_v<double>;

  static constexpr std::array<NaturalPoint, 4> node = {{{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}};
  // Integration points row by row (-,-), (+,-), (-,+), (+,+): not the nodes'
  // counter-clockwise order. extrapolate() relies on this order.
  static constexpr std::array<NaturalPoint, 4> point = {{{-g, -g}, {g, -g}, {-g, g}, {g, g}}};
  static constexpr std::array<double, 4> weight = {1.0, 1.0, 1.0, 1.0};
  static constexpr NaturalPoint centre = {0.0, 0.0};

  static constexpr std::array<double, 4> shape(double s, double t) {
    return {(1 - s) * (1 - t) / 4, (1 + s) * (1 - t) / 4, (1 + s) * (1 + t) / 4, (1 - s) * (1 + t) / 4};
  }
  static constexpr NaturalGradient<4> gradient(double s, double t) {
    return {{-(1 - t) / 4, (1 - t) / 4, (1 + t) / 4, -(1 + t) / 4},
            {-(1 - s) / 4, -(1 + s) / 4, (1 + s) / 4, (1 - s) / 4}};
  }

  // Signed distance, in natural units, of p outside the reference square
  // (<= 0 inside).
  static constexpr double outside_by(NaturalPoint p) {
    const double ds = (p.s < 0 ? -p.s : p.s) - 1.0;
    const double dt = (p.t < 0 ? -p.t : p.t) - 1.0;
    return ds > dt ? ds : dt;
  }
  // p pulled into the square shrunk to |s|, |t| <= limit.
  static constexpr NaturalPoint clamp(NaturalPoint p, double limit) {
    auto c = [limit](double v) { return v > limit ? limit : (v < -limit ? -limit : v); };
    return {c(p.s), c(p.t)};
  }

  // Value at (s, t) of the bilinear field through the integration-point
  // values: the shape functions evaluated at (sqrt(3) s, sqrt(3) t), with the
  // points' row-by-row order. Exact for fields bilinear in (s, t).
  static constexpr double extrapolate(const std::array<double, 4>& at_point, double s, double t) {
    const double a = std::numbers::sqrt3_v<double> * s;
    const double b = std::numbers::sqrt3_v<double> * t;
    return ((1 - a) * (1 - b) * at_point[0] + (1 + a) * (1 - b) * at_point[1] + (1 - a) * (1 + b) * at_point[2] +
            (1 + a) * (1 + b) * at_point[3]) /
           4;
  }
};

// 6-node quadratic triangle on the reference triangle (0,0), (1,0), (0,1) of
// area 1/2; corners first, then mid-sides 1-2, 2-3, 3-1. Integration: the
// symmetric 6-point rule of degree 4 (Strang and Fix; Dunavant 1985, table for
// p = 4), which integrates the quadratic moments of a straight-sided triangle
// exactly and is what the stiffness of a quadratic element needs.
struct Tria6Rule {
  static constexpr int n_nodes = 6;
  static constexpr int n_points = 6;

  // Closed forms of the rule: a, b = (8 - sqrt(10) -/+ sqrt(38 - 44 sqrt(2/5))) / 18,
  // weights for the unit-area triangle (620 -/+ sqrt(213125 - 53320 sqrt(10))) / 3720,
  // halved for the reference area. To 15 digits a = 0.091576213509771,
  // b = 0.445948490915965, w_a = 0.054975871827661, w_b = 0.1116907948390055;
  // tests/solver/elements_test.cpp pins them.
  static constexpr double a =
      (8.0 - constexpr_sqrt(10.0) - constexpr_sqrt(38.0 - 44.0 * constexpr_sqrt(2.0 / 5.0))) / 18.0;
  static constexpr double b =
      (8.0 - constexpr_sqrt(10.0) + constexpr_sqrt(38.0 - 44.0 * constexpr_sqrt(2.0 / 5.0))) / 18.0;
  static constexpr double w_a = (620.0 - constexpr_sqrt(213125.0 - 53320.0 * constexpr_sqrt(10.0))) / 3720.0 / 2.0;
  static constexpr double w_b = (620.0 + constexpr_sqrt(213125.0 - 53320.0 * constexpr_sqrt(10.0))) / 3720.0 / 2.0;

  static constexpr std::array<NaturalPoint, 6> node = {{{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}}};
  static constexpr std::array<NaturalPoint, 6> point = {
      {{a, a}, {1 - 2 * a, a}, {a, 1 - 2 * a}, {b, 1 - 2 * b}, {b, b}, {1 - 2 * b, b}}};
  static constexpr std::array<double, 6> weight = {w_a, w_a, w_a, w_b, w_b, w_b};
  static constexpr NaturalPoint centre = {1.0 / 3.0, 1.0 / 3.0};

  static constexpr std::array<double, 6> shape(double s, double t) {
    const double l = 1 - s - t;
    return {l * (2 * l - 1), s * (2 * s - 1), t * (2 * t - 1), 4 * s * l, 4 * s * t, 4 * t * l};
  }
  static constexpr NaturalGradient<6> gradient(double s, double t) {
    const double l = 1 - s - t;
    return {{1 - 4 * l, 4 * s - 1, 0.0, 4 * (l - s), 4 * t, -4 * t},
            {1 - 4 * l, 0.0, 4 * t - 1, -4 * s, 4 * s, 4 * (l - t)}};
  }

  static constexpr double outside_by(NaturalPoint p) {
    const double l = 1 - p.s - p.t;
    double m = -p.s;
    if (-p.t > m) m = -p.t;
    if (-l > m) m = -l;
    return m;
  }
  // p pulled into the triangle s, t >= 0, s + t <= limit.
  static constexpr NaturalPoint clamp(NaturalPoint p, double limit) {
    double s = p.s < 0 ? 0 : p.s;
    double t = p.t < 0 ? 0 : p.t;
    if (s + t > limit) {
      const double f = limit / (s + t);
      s *= f;
      t *= f;
    }
    return {s, t};
  }

  // Value at (s, t) from the integration-point values: a linear interpolant
  // over the triangle of points 1-3 and one over points 4-6, mixed in the
  // proportion of the two weight groups (6 w_a + 6 w_b = 1). Exact for fields
  // linear in (s, t).
  static constexpr double extrapolate(const std::array<double, 6>& at_point, double s, double t) {
    const double ua = (s - a) / (1 - 3 * a);
    const double va = (t - a) / (1 - 3 * a);
    const double pa = (1 - ua - va) * at_point[0] + ua * at_point[1] + va * at_point[2];
    const double ub = ((s - b) + (t - (1 - 2 * b))) / (3 * b - 1);
    const double vb = (b - s) / (3 * b - 1);
    const double pb = (1 - ub - vb) * at_point[3] + ub * at_point[4] + vb * at_point[5];
    return 6 * w_a * pa + 6 * w_b * pb;
  }
};

inline constexpr double shear_modulus(double E, double nu) { return E / (2.0 * (1.0 + nu)); }

// Reference material of the section and the element's own material. The
// third value w is an area weight used only for weighted areas.
struct ElementMaterial {
  double E_ref = 0, nu_ref = 0, w_ref = 0, G_ref = 0;
  double E = 0, nu = 0, w = 0, G = 0;

  double modular_ratio() const { return E / E_ref; }
  double weight_ratio() const { return w / w_ref; }
};

// Shear stresses per unit shear force at an integration point (shear
// analysis): from the shear function Psi (force along x) and Phi (along y).
struct ShearStress {
  double tx_psi = 0, ty_psi = 0, tx_phi = 0, ty_phi = 0;
};

// Torsional shear stresses for a unit rate of twist at an integration point.
struct TorsionStress {
  double t_zx = 0, t_zy = 0;
};

template <class Rule>
struct T_ELEMENT {
  using rule = Rule;
  static constexpr int n_nodes = Rule::n_nodes;
  static constexpr int n_points = Rule::n_points;

  std::int32_t material_number = 0;  // |material number| given by the caller, 1-based
  bool inverted = false;             // the caller gave a negative material number
  // 0-based index into T_MULTI_DOMAIN::materials, -1 when the model has no material
  // records or the element is inverted.
  std::int32_t material_record = -1;
  ElementMaterial material;

  // The geometry below is written whole by set_up_element and has no
  // default member initialiser: a default-initialised record (the model's
  // element table makes them so) leaves it unset rather than clearing what
  // set-up overwrites at once; a value-initialised one (T_QUAD4 e{}) still
  // holds zeros.

  // Own copy of the node coordinates: the renumbering of the domain's
  // connectivity changes equation numbers only, never the geometry.
  std::array<double, n_nodes> x, y;

  // Per integration point: global position, integration factor
  // dA = det J * weight, global shape derivatives.
  std::array<double, n_points> xg, yg, dA;
  std::array<std::array<double, n_nodes>, n_points> dNdx, dNdy;

  // Laplace stiffness without material factor, K(i,j) = K[j*n_nodes + i],
  // both triangles filled.
  std::array<double, n_nodes * n_nodes> K;

  // Filled by the analyses: stresses at the integration points and the
  // stress points (0-based indices into T_MULTI_DOMAIN::details) located in
  // this element.
  std::array<TorsionStress, n_points> torsion{};
  std::array<ShearStress, n_points> shear{};
  std::vector<std::int32_t> stress_points;

  double K_at(int i, int j) const { return K[static_cast<std::size_t>(j * n_nodes + i)]; }
  double plain_area() const {
    double sum = 0;
    for (double d : dA) sum += d;
    return sum;
  }
};

using T_QUAD4 = T_ELEMENT<Quad4Rule>;
using T_TRIA6 = T_ELEMENT<Tria6Rule>;

// Shape values at the integration points: the same for every element of a
// kind, so tabled once per rule at compile time.
template <class Rule>
inline constexpr std::array<std::array<double, Rule::n_nodes>, Rule::n_points> shape_at_points = [] {
  std::array<std::array<double, Rule::n_nodes>, Rule::n_points> table{};
  for (int g = 0; g < Rule::n_points; ++g) table[g] = Rule::shape(Rule::point[g].s, Rule::point[g].t);
  return table;
}();

// Natural shape derivatives at the integration points, tabled likewise.
template <class Rule>
inline constexpr std::array<NaturalGradient<Rule::n_nodes>, Rule::n_points> gradient_at_points = [] {
  std::array<NaturalGradient<Rule::n_nodes>, Rule::n_points> table{};
  for (int g = 0; g < Rule::n_points; ++g) table[g] = Rule::gradient(Rule::point[g].s, Rule::point[g].t);
  return table;
}();

// Global position of natural point p of an element.
template <class Rule>
NaturalPoint map_to_global(const T_ELEMENT<Rule>& e, NaturalPoint p) {
  const auto n = Rule::shape(p.s, p.t);
  double x = 0, y = 0;
  for (int i = 0; i < Rule::n_nodes; ++i) {
    x += n[i] * e.x[i];
    y += n[i] * e.y[i];
  }
  return {x, y};
}

// Jacobian rows (dx/ds, dy/ds), (dx/dt, dy/dt) at natural point p.
struct Jacobian {
  double j11 = 0, j12 = 0, j21 = 0, j22 = 0;
  double det() const { return j11 * j22 - j21 * j12; }
};

template <class Rule>
Jacobian jacobian(std::span<const double, Rule::n_nodes> x, std::span<const double, Rule::n_nodes> y,
                  const NaturalGradient<Rule::n_nodes>& d) {
  Jacobian j;
  for (int i = 0; i < Rule::n_nodes; ++i) {
    j.j11 += d.ds[i] * x[i];
    j.j12 += d.ds[i] * y[i];
    j.j21 += d.dt[i] * x[i];
    j.j22 += d.dt[i] * y[i];
  }
  return j;
}

// The bilinear quadrilateral's set-up, the hot path of the block-meshed
// standard sections (thousands of elements per call, set up once each). Its
// Jacobian at (s, t) is a blend of opposite edges,
//   (dx/ds, dy/ds) = ((1 - t) (P2 - P1) + (1 + t) (P3 - P4)) / 4,
//   (dx/dt, dy/dt) = ((1 - s) (P4 - P1) + (1 + s) (P3 - P2)) / 4,
// so the four edge vectors are formed once per element; each point then
// takes one reciprocal of det J instead of a division per derivative, the
// four points are computed side by side in one vector of four doubles, and
// K_e is summed in registers and stored once. Equal to the general
// formulation below to rounding (a few units in the last place), not bit for
// bit. About 560 instructions per element where the general one takes 1480.
void set_up_quad4(T_ELEMENT<Quad4Rule>& e, std::span<const double, 4> x, std::span<const double, 4> y);

// Copies the node coordinates and computes, once, everything later passes
// read: integration-point positions, dA, global derivatives and K_e.
//
// The coordinates are copied into locals first (the caller's arrays might
// alias the record, which would force a reload after every store into it),
// and K_e is summed in locals and stored once.
template <class Rule>
void set_up_element(T_ELEMENT<Rule>& e, std::span<const double, Rule::n_nodes> x,
                    std::span<const double, Rule::n_nodes> y) {
  if constexpr (std::is_same_v<Rule, Quad4Rule>) {
    set_up_quad4(e, x, y);
  } else {
    constexpr int n = Rule::n_nodes;
    std::array<double, n> px, py;
    for (int i = 0; i < n; ++i) {
      px[i] = x[i];
      py[i] = y[i];
    }
    e.x = px;
    e.y = py;
    // Lower triangle, column by column: the term is symmetric in r and c bit
    // for bit (products commute exactly), so the upper triangle is copied
    // after the sum instead of being summed a second time.
    std::array<double, n*(n + 1) / 2> k{};
    for (int g = 0; g < Rule::n_points; ++g) {
      const NaturalGradient<n>& d = gradient_at_points<Rule>[g];
      const Jacobian j = jacobian<Rule>(px, py, d);
      const double det = j.det();
      double xg = 0, yg = 0;
      std::array<double, n> dx, dy;
      for (int i = 0; i < n; ++i) {
        xg += shape_at_points<Rule>[g][i] * px[i];
        yg += shape_at_points<Rule>[g][i] * py[i];
        dx[i] = (j.j22 * d.ds[i] - j.j12 * d.dt[i]) / det;
        dy[i] = (-j.j21 * d.ds[i] + j.j11 * d.dt[i]) / det;
      }
      const double dA = det * Rule::weight[g];
      e.xg[g] = xg;
      e.yg[g] = yg;
      e.dA[g] = dA;
      e.dNdx[g] = dx;
      e.dNdy[g] = dy;
      int p = 0;
      for (int c = 0; c < n; ++c)
        for (int r = c; r < n; ++r, ++p) k[p] += (dx[r] * dx[c] + dy[r] * dy[c]) * dA;
    }
    int p = 0;
    for (int c = 0; c < n; ++c)
      for (int r = c; r < n; ++r, ++p) {
        e.K[static_cast<std::size_t>(c * n + r)] = k[p];
        e.K[static_cast<std::size_t>(r * n + c)] = k[p];
      }
  }
}

// Transformed area, first moments about the origin and weighted area of an
// element; all zero for an inverted element, which is left out of every
// geometric sum.
struct ElementFirstMoments {
  double A = 0, Sx = 0, Sy = 0, Aw = 0;
};

template <class Rule>
ElementFirstMoments first_moments(const T_ELEMENT<Rule>& e) {
  ElementFirstMoments r;
  if (e.inverted) return r;
  const double m = e.material.modular_ratio();
  const double mw = e.material.weight_ratio();
  for (int g = 0; g < Rule::n_points; ++g) {
    r.A += m * e.dA[g];
    r.Sx += m * e.xg[g] * e.dA[g];
    r.Sy += m * e.yg[g] * e.dA[g];
    r.Aw += mw * e.dA[g];
  }
  return r;
}

// Transformed second moments about (xc, yc): Ixx = int (y-yc)^2, Iyy = int
// (x-xc)^2, Ixy = int (x-xc)(y-yc); zero for an inverted element.
struct SecondMoments {
  double Ixx = 0, Iyy = 0, Ixy = 0;
};

template <class Rule>
SecondMoments second_moments(const T_ELEMENT<Rule>& e, double xc, double yc) {
  SecondMoments r;
  if (e.inverted) return r;
  const double m = e.material.modular_ratio();
  for (int g = 0; g < Rule::n_points; ++g) {
    const double dx = e.xg[g] - xc;
    const double dy = e.yg[g] - yc;
    r.Ixx += m * dy * dy * e.dA[g];
    r.Iyy += m * dx * dx * e.dA[g];
    r.Ixy += m * dx * dy * e.dA[g];
  }
  return r;
}

}  // namespace bsp
