#include "solver/elements.h"

namespace bsp {

// Both rules integrate a constant exactly: their weights add up to the area
// of the reference element.
static_assert(Quad4Rule::weight[0] + Quad4Rule::weight[1] + Quad4Rule::weight[2] + Quad4Rule::weight[3] == 4.0);
static_assert(3 * Tria6Rule::w_a + 3 * Tria6Rule::w_b > 0.5 - 1e-15 && 3 * Tria6Rule::w_a + 3 * Tria6Rule::w_b < 0.5 + 1e-15);

void set_up_quad4(T_ELEMENT<Quad4Rule>& e, std::span<const double, 4> x, std::span<const double, 4> y) {
  const double x0 = x[0], x1 = x[1], x2 = x[2], x3 = x[3];
  const double y0 = y[0], y1 = y[1], y2 = y[2], y3 = y[3];
  e.x = {x0, x1, x2, x3};
  e.y = {y0, y1, y2, y3};
  const double bx = x1 - x0, by = y1 - y0;  // bottom edge, P1 -> P2
  const double tx = x2 - x3, ty = y2 - y3;  // top edge, P4 -> P3
  const double lx = x3 - x0, ly = y3 - y0;  // left edge, P1 -> P4
  const double rx = x2 - x1, ry = y2 - y1;  // right edge, P2 -> P3
  double k00 = 0, k10 = 0, k20 = 0, k30 = 0, k11 = 0, k21 = 0, k31 = 0, k22 = 0, k32 = 0, k33 = 0;
  for (int g = 0; g < 4; ++g) {
    const double s = Quad4Rule::point[g].s, t = Quad4Rule::point[g].t;
    const double lo_t = (1 - t) / 4, hi_t = (1 + t) / 4, lo_s = (1 - s) / 4, hi_s = (1 + s) / 4;
    const double j11 = lo_t * bx + hi_t * tx, j12 = lo_t * by + hi_t * ty;
    const double j21 = lo_s * lx + hi_s * rx, j22 = lo_s * ly + hi_s * ry;
    const double det = j11 * j22 - j21 * j12;
    const double inv = 1.0 / det;
    const double a = j22 * inv, b = j12 * inv, c = j21 * inv, d = j11 * inv;
    // dN/ds = (-lo_t, lo_t, hi_t, -hi_t), dN/dt = (-lo_s, -hi_s, hi_s, lo_s).
    const double dx0 = -a * lo_t + b * lo_s, dx1 = a * lo_t + b * hi_s;
    const double dx2 = a * hi_t - b * hi_s, dx3 = -a * hi_t - b * lo_s;
    const double dy0 = c * lo_t - d * lo_s, dy1 = -c * lo_t - d * hi_s;
    const double dy2 = -c * hi_t + d * hi_s, dy3 = c * hi_t + d * lo_s;
    const auto& n = shape_at_points<Quad4Rule>[g];
    const double dA = det * Quad4Rule::weight[g];
    e.xg[g] = n[0] * x0 + n[1] * x1 + n[2] * x2 + n[3] * x3;
    e.yg[g] = n[0] * y0 + n[1] * y1 + n[2] * y2 + n[3] * y3;
    e.dA[g] = dA;
    e.dNdx[g] = {dx0, dx1, dx2, dx3};
    e.dNdy[g] = {dy0, dy1, dy2, dy3};
    const double wx0 = dx0 * dA, wx1 = dx1 * dA, wx2 = dx2 * dA, wx3 = dx3 * dA;
    const double wy0 = dy0 * dA, wy1 = dy1 * dA, wy2 = dy2 * dA, wy3 = dy3 * dA;
    k00 += wx0 * dx0 + wy0 * dy0;
    k10 += wx1 * dx0 + wy1 * dy0;
    k20 += wx2 * dx0 + wy2 * dy0;
    k30 += wx3 * dx0 + wy3 * dy0;
    k11 += wx1 * dx1 + wy1 * dy1;
    k21 += wx2 * dx1 + wy2 * dy1;
    k31 += wx3 * dx1 + wy3 * dy1;
    k22 += wx2 * dx2 + wy2 * dy2;
    k32 += wx3 * dx2 + wy3 * dy2;
    k33 += wx3 * dx3 + wy3 * dy3;
  }
  // Column-major, both triangles: symmetric exactly.
  e.K = {k00, k10, k20, k30, k10, k11, k21, k31, k20, k21, k22, k32, k30, k31, k32, k33};
}

}  // namespace bsp
