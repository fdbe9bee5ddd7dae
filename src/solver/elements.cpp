#include "solver/elements.h"

#include "solver/vector4.h"

namespace bsp {

// Both rules integrate a constant exactly: their weights add up to the area
// of the reference element.
static_assert(Quad4Rule::weight[0] + Quad4Rule::weight[1] + Quad4Rule::weight[2] + Quad4Rule::weight[3] == 4.0);
static_assert(3 * Tria6Rule::w_a + 3 * Tria6Rule::w_b > 0.5 - 1e-15 && 3 * Tria6Rule::w_a + 3 * Tria6Rule::w_b < 0.5 + 1e-15);

namespace {

// One double per integration point of the quadrilateral (v4d,
// vector4.h), so that the four points are set up side by side (two SSE2 or
// one AVX register). Values of it never cross a call that is not inlined
// (at_points is folded at compile time).
using PointVector = v4d;

// The value f(point, index) at each integration point, folded at compile
// time.
template <class F>
[[gnu::always_inline]] constexpr PointVector at_points(F f) {
  PointVector v{};
  for (int g = 0; g < 4; ++g) v[g] = f(Quad4Rule::point[g], g);
  return v;
}

}  // namespace

void set_up_quad4(T_ELEMENT<Quad4Rule>& e, std::span<const double, 4> x, std::span<const double, 4> y) {
  const double x0 = x[0], x1 = x[1], x2 = x[2], x3 = x[3];
  const double y0 = y[0], y1 = y[1], y2 = y[2], y3 = y[3];
  e.x = {x0, x1, x2, x3};
  e.y = {y0, y1, y2, y3};
  const double bx = x1 - x0, by = y1 - y0;  // bottom edge, P1 -> P2
  const double tx = x2 - x3, ty = y2 - y3;  // top edge, P4 -> P3
  const double lx = x3 - x0, ly = y3 - y0;  // left edge, P1 -> P4
  const double rx = x2 - x1, ry = y2 - y1;  // right edge, P2 -> P3
  const PointVector lo_t = at_points([](NaturalPoint p, int) { return (1 - p.t) / 4; });
  const PointVector hi_t = at_points([](NaturalPoint p, int) { return (1 + p.t) / 4; });
  const PointVector lo_s = at_points([](NaturalPoint p, int) { return (1 - p.s) / 4; });
  const PointVector hi_s = at_points([](NaturalPoint p, int) { return (1 + p.s) / 4; });
  const PointVector j11 = lo_t * bx + hi_t * tx, j12 = lo_t * by + hi_t * ty;
  const PointVector j21 = lo_s * lx + hi_s * rx, j22 = lo_s * ly + hi_s * ry;
  const PointVector det = j11 * j22 - j21 * j12;
  const PointVector inv = 1.0 / det;
  const PointVector a = j22 * inv, b = j12 * inv, c = j21 * inv, d = j11 * inv;
  // dN/ds = (-lo_t, lo_t, hi_t, -hi_t), dN/dt = (-lo_s, -hi_s, hi_s, lo_s).
  const PointVector dx[4] = {-a * lo_t + b * lo_s, a * lo_t + b * hi_s, a * hi_t - b * hi_s, -a * hi_t - b * lo_s};
  const PointVector dy[4] = {c * lo_t - d * lo_s, -c * lo_t - d * hi_s, -c * hi_t + d * hi_s, c * hi_t + d * lo_s};
  const PointVector dA = det * at_points([](NaturalPoint, int g) { return Quad4Rule::weight[g]; });
  PointVector xg{}, yg{};
  for (int i = 0; i < 4; ++i) {
    const PointVector n = at_points([i](NaturalPoint, int g) { return shape_at_points<Quad4Rule>[g][i]; });
    xg += n * x[i];
    yg += n * y[i];
  }
  for (int g = 0; g < 4; ++g) {
    e.xg[g] = xg[g];
    e.yg[g] = yg[g];
    e.dA[g] = dA[g];
    for (int i = 0; i < 4; ++i) {
      e.dNdx[g][i] = dx[i][g];
      e.dNdy[g][i] = dy[i][g];
    }
  }
  // K(r, c) = sum over the points of (dN_r/dx dN_c/dx + dN_r/dy dN_c/dy) dA,
  // lower triangle summed, upper copied: symmetric exactly.
  for (int col = 0; col < 4; ++col)
    for (int row = col; row < 4; ++row) {
      const PointVector term = (dx[row] * dA) * dx[col] + (dy[row] * dA) * dy[col];
      const double k = ((term[0] + term[1]) + term[2]) + term[3];
      e.K[static_cast<std::size_t>(col * 4 + row)] = k;
      e.K[static_cast<std::size_t>(row * 4 + col)] = k;
    }
}

}  // namespace bsp
