#include "solver/standard_closed_form.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "solver/block_clip.h"
#include "solver/block_mesher.h"
#include "solver/classical_shear_stress.h"

namespace bsp {
namespace {

constexpr double pi = std::numbers::pi;

// Shear-area ratio of a solid rectangle (energy method, parabolic stress).
constexpr double rectangle_shear_ratio = 5.0 / 6.0;
// Thin-walled circular shapes: 0.9 for the solid disc and 0.5 for the tube,
// the ratios this library reports for them.
constexpr double disc_shear_ratio = 0.9;
constexpr double tube_shear_ratio = 0.5;
// Fit of the rectangle's torsion constant, a b^3 (1/3 - 0.21 (b/a) (1 - b^4 /
// (12 a^4))), a >= b (Roark).
constexpr double rectangle_torsion_fit = 0.21;
// Terms of the series of the largest torsion stress of a rectangle: the
// terms fall as 1/n^2 and the hyperbolic cosine, so 50 odd terms are far
// below rounding for any side ratio.
constexpr int rectangle_series_terms = 50;

// Largest Saint-Venant stress of an a x b rectangle (a >= b) per unit twist
// with G = 1: b (1 - 8/pi^2 sum over odd n of 1 / (n^2 cosh(n pi a / 2b))).
double rectangle_torsion_stress(double a, double b) {
  double sum = 0.0;
  for (int k = 0; k < rectangle_series_terms; ++k) {
    const double n = 2.0 * k + 1.0;
    sum += 1.0 / (n * n * std::cosh(n * pi * a / (2.0 * b)));
  }
  return b * (1.0 - 8.0 / (pi * pi) * sum);
}

// Thin-walled shear area of an open section: plates on their centre lines,
// joined at numbered nodes into a tree. The shear flow of a force along u at
// a cut is q = V Q / I, Q the first moment about the centroid of the part of
// the tree beyond the cut, and the shear area is A_s = I^2 / sum of
// integral Q^2 / t ds (the shear-flow energy; I and the centroid from the
// same centre-line model). Each plate is cut into pieces short enough that
// the midpoint rule's error is far below the thin-wall error itself.
struct Plate {
  int a, b;                  // end nodes
  double xa, ya, xb, yb, t;  // centre line and thickness
};

constexpr int pieces_per_plate = 400;

double thin_walled_shear_area(const std::vector<Plate>& plates, bool along_first) {
  struct Piece {
    int a, b;  // a towards the plate's start, b towards its end
    double t, ds, u, w;  // u along the force, w across it
  };
  std::vector<Piece> pieces;
  int n_nodes = 0;
  for (const Plate& p : plates) n_nodes = std::max({n_nodes, p.a + 1, p.b + 1});
  double area = 0.0, su = 0.0, sw = 0.0;
  for (const Plate& p : plates) {
    const double ds = std::hypot(p.xb - p.xa, p.yb - p.ya) / pieces_per_plate;
    int prev = p.a;
    for (int k = 0; k < pieces_per_plate; ++k) {
      const double s = (k + 0.5) / pieces_per_plate;
      const double x = p.xa + s * (p.xb - p.xa), y = p.ya + s * (p.yb - p.ya);
      const int node = k + 1 == pieces_per_plate ? p.b : n_nodes++;
      pieces.push_back({prev, node, p.t, ds, along_first ? x : y, along_first ? y : x});
      area += p.t * ds;
      su += p.t * ds * pieces.back().u;
      sw += p.t * ds * pieces.back().w;
      prev = node;
    }
  }
  const double uc = su / area, wc = sw / area;
  double iuu = 0.0, iww = 0.0, iuw = 0.0;
  for (const Piece& q : pieces) {
    iuu += q.t * q.ds * (q.u - uc) * (q.u - uc);
    iww += q.t * q.ds * (q.w - wc) * (q.w - wc);
    iuw += q.t * q.ds * (q.u - uc) * (q.w - wc);
  }
  // Shear flow of a unit force along u in a section whose axes need not be
  // principal: q = (I_ww Q_u - I_uw Q_w) / (I_uu I_ww - I_uw^2).
  const double det = iuu * iww - iuw * iuw;
  const double cu = iww / det, cw = -iuw / det;

  // A closed section is given cut open where its shear flow vanishes, which
  // may leave several trees: each gets its own root. Leaves first, each
  // piece's Q is what hangs below its far node plus half its own (the cut at
  // its middle).
  const auto at = [](auto& v, int i) -> auto& { return v[static_cast<std::size_t>(i)]; };
  std::vector<std::vector<int>> touching(static_cast<std::size_t>(n_nodes));
  for (int i = 0; i < static_cast<int>(pieces.size()); ++i) {
    at(touching, at(pieces, i).a).push_back(i);
    at(touching, at(pieces, i).b).push_back(i);
  }
  constexpr int unseen = -2, root = -1;
  std::vector<int> order, parent(static_cast<std::size_t>(n_nodes), unseen), stack;
  for (int r = 0; r < n_nodes; ++r) {
    if (at(parent, r) != unseen) continue;
    at(parent, r) = root;
    stack.push_back(r);
    while (!stack.empty()) {
      const int n = stack.back();
      stack.pop_back();
      order.push_back(n);
      for (int i : at(touching, n)) {
        const int other = at(pieces, i).a == n ? at(pieces, i).b : at(pieces, i).a;
        if (at(parent, other) != unseen) continue;
        at(parent, other) = i;
        stack.push_back(other);
      }
    }
  }
  std::vector<double> hang_u(static_cast<std::size_t>(n_nodes), 0.0), hang_w(hang_u);
  double energy = 0.0;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const int i = at(parent, *it);
    if (i < 0) continue;
    const Piece& q = at(pieces, i);
    const double own_u = q.t * q.ds * (q.u - uc), own_w = q.t * q.ds * (q.w - wc);
    const double flow = cu * (at(hang_u, *it) + 0.5 * own_u) + cw * (at(hang_w, *it) + 0.5 * own_w);
    energy += flow * flow / q.t * q.ds;
    const int up = q.a == *it ? q.b : q.a;
    at(hang_u, up) += at(hang_u, *it) + own_u;
    at(hang_w, up) += at(hang_w, *it) + own_w;
  }
  return energy > 0.0 ? 1.0 / energy : 0.0;
}

// Centre lines of the thin-walled types for a force along the first axis
// (along_first) or the second. The box is cut open at the two points of its
// axis of symmetry across the force, where the shear flow vanishes.
std::vector<Plate> centre_lines(std::int32_t type, std::span<const double> dims, bool along_first) {
  const auto D = [&](int i) { return dims[static_cast<std::size_t>(i - 1)]; };
  switch (type) {
    case 2: {
      const double xw = D(2) / 2 - D(4) / 2, yb = D(3) / 2;
      return {{0, 1, -xw, yb, xw, yb, D(3)}, {0, 2, -xw, yb, -xw, D(1), D(4)}, {1, 3, xw, yb, xw, D(1), D(4)}};
    }
    case 3: {
      const double x1 = D(5) / 2, x2 = D(1) - D(6) / 2;
      return {{0, 1, x1, 0, x2, 0, D(4)},         {0, 2, x1, 0, x1, D(2) / 2, D(5)}, {0, 3, x1, 0, x1, -D(2) / 2, D(5)},
              {1, 4, x2, 0, x2, D(3) / 2, D(6)}, {1, 5, x2, 0, x2, -D(3) / 2, D(6)}};
    }
    case 4: {
      const double xf = D(2) - D(3) / 2;
      return {{0, 1, xf, 0, 0, 0, D(4)}, {0, 2, xf, 0, xf, D(1) / 2, D(3)}, {0, 3, xf, 0, xf, -D(1) / 2, D(3)}};
    }
    case 5: {
      const double w = (D(2) - D(3)) / 2, h = (D(1) - D(4)) / 2;
      if (along_first)
        return {{0, 1, -w, h, w, h, D(4)},  {0, 4, -w, h, -w, 0, D(3)}, {1, 5, w, h, w, 0, D(3)},
                {2, 3, -w, -h, w, -h, D(4)}, {2, 6, -w, -h, -w, 0, D(3)}, {3, 7, w, -h, w, 0, D(3)}};
      return {{0, 1, -w, h, -w, -h, D(3)}, {0, 4, -w, h, 0, h, D(4)}, {1, 5, -w, -h, 0, -h, D(4)},
              {2, 3, w, h, w, -h, D(3)},   {2, 6, w, h, 0, h, D(4)},  {3, 7, w, -h, 0, -h, D(4)}};
    }
    case 20:
      return {{0, 1, D(3) / 2, D(4) / 2, D(3) / 2, D(1), D(3)}, {0, 2, D(3) / 2, D(4) / 2, D(2), D(4) / 2, D(4)}};
    default:
      return {};
  }
}

// Exact area, centroid and centroidal moments of the type's blocks.
void fill_geometry(SectionValues& v, const SectionBlocks& blocks) {
  const BlockMoments m = blocks_moments(blocks);
  v.area = m.area;
  v.weighted_area = m.area;
  v.xc = m.first_x / m.area;
  v.yc = m.first_y / m.area;
  v.iyy = m.xx - m.area * v.xc * v.xc;
  v.ixx = m.yy - m.area * v.yc * v.yc;
  v.ixy = m.xy - m.area * v.xc * v.yc;
}

SectionValues circle(std::int32_t type, std::span<const double> d) {
  SectionValues v;
  const double R = d[0], r = type == 18 ? d[1] : 0.0;
  const double R2 = std::pow(R, 2.0), r2 = std::pow(r, 2.0);
  v.area = pi * (R2 - r2);
  v.weighted_area = v.area;
  v.ixx = v.iyy = pi * (std::pow(R, 4.0) - std::pow(r, 4.0)) * 0.25;
  v.torsion_constant = 2.0 * v.ixx;
  v.alpha_x = v.alpha_y = type == 18 ? tube_shear_ratio : disc_shear_ratio;
  // Largest flexural shear stress on the diameter: 4/3 of the mean for the
  // disc, (4/3)(R^2 + R r + r^2)/(R^2 + r^2) of it for the tube.
  const double tau = type == 18 ? (4.0 / 3.0) / v.area * (R2 + R * r + r2) / (R2 + r2) : (4.0 / 3.0) / v.area;
  v.pair_x = {tau, 0.0};
  v.pair_y = {0.0, tau};
  v.tau_max = R;  // G theta r at the outer radius
  return v;
}

}  // namespace

bool has_standard_closed_form(std::int32_t t) noexcept { return (t >= 1 && t <= 5) || t == 18 || t == 19 || t == 20; }

std::optional<SectionValues> standard_closed_form(std::int32_t type, std::span<const double> dims) {
  if (!has_standard_closed_form(type)) return std::nullopt;
  if (type == 18 || type == 19) return circle(type, dims);
  const auto D = [&](int i) { return dims[static_cast<std::size_t>(i - 1)]; };
  const SectionBlocks blocks = section_blocks(type, dims);
  SectionValues v;
  fill_geometry(v, blocks);
  v.x_s = v.xc;
  v.y_s = v.yc;
  switch (type) {
    case 1: {
      const double a = std::max(D(1), D(2)), b = std::min(D(1), D(2));
      v.torsion_constant = a * b * b * b * (1.0 / 3.0 - rectangle_torsion_fit * (b / a) * (1.0 - std::pow(b / a, 4) / 12.0));
      v.tau_max = rectangle_torsion_stress(a, b);
      break;
    }
    case 2: {
      // Trough: bottom plate (web of a channel, thickness D3) and two side
      // walls (flanges, thickness D4) standing on it. Thin-walled channel:
      // flange length b from the web centre line, web length h between the
      // wall centre lines; shear centre on the axis of symmetry at
      // e = 3 b^2 t_f / (6 b t_f + h t_w) beyond the web centre line, away
      // from the walls; Cw = t_f b^3 h^2 / 12 (3 b t_f + 2 h t_w) / (6 b t_f + h t_w).
      const double tw = D(3), tf = D(4), b = D(1) - D(3) / 2.0, h = D(2) - D(4);
      v.torsion_constant = (D(2) * tw * tw * tw + 2.0 * (D(1) - D(3)) * tf * tf * tf) / 3.0;
      v.tau_max = std::max(tw, tf);
      v.x_s = 0.0;
      v.y_s = D(3) / 2.0 - 3.0 * b * b * tf / (6.0 * b * tf + h * tw);
      v.warping_constant = tf * b * b * b * h * h / 12.0 * (3.0 * b * tf + 2.0 * h * tw) / (6.0 * b * tf + h * tw);
      break;
    }
    case 3: {
      // I with unequal flanges along y: flanges at x = D5/2 and D1 - D6/2
      // (centre lines) with I_f1 = D5 D2^3 / 12, I_f2 = D6 D3^3 / 12 about
      // the axis of symmetry; the shear centre divides the distance h in
      // the ratio of the flange moments; Cw = h^2 I_f1 I_f2 / (I_f1 + I_f2).
      const double h = D(1) - D(5) / 2.0 - D(6) / 2.0;
      const double if1 = D(5) * std::pow(D(2), 3) / 12.0, if2 = D(6) * std::pow(D(3), 3) / 12.0;
      v.torsion_constant =
          (D(2) * std::pow(D(5), 3) + D(3) * std::pow(D(6), 3) + (D(1) - D(5) - D(6)) * std::pow(D(4), 3)) / 3.0;
      v.tau_max = std::max({D(4), D(5), D(6)});
      v.x_s = D(5) / 2.0 + h * if2 / (if1 + if2);
      v.y_s = 0.0;
      v.warping_constant = h * h * if1 * if2 / (if1 + if2);
      break;
    }
    case 4: {
      // T along y, flange at the far end: the shear centre is where the
      // centre lines of flange and stem meet; two plates meeting at a point
      // do not warp (Cw = 0).
      v.torsion_constant = (D(1) * std::pow(D(3), 3) + (D(2) - D(3)) * std::pow(D(4), 3)) / 3.0;
      v.tau_max = std::max(D(3), D(4));
      v.x_s = D(2) - D(3) / 2.0;
      v.y_s = 0.0;
      break;
    }
    case 5: {
      // Box, Bredt: centre-line height h and width b, side walls D3, top and
      // bottom D4: J = 4 (h b)^2 / (2h/D3 + 2b/D4); largest stress
      // J / (2 h b t_min) per unit twist. Doubly symmetric: shear centre at
      // the centroid; Cw = b^2 h^2 (b D3 - h D4)^2 / (24 (b D3 + h D4)).
      const double h = D(1) - D(4), b = D(2) - D(3);
      v.torsion_constant = 4.0 * (h * b) * (h * b) / (2.0 * h / D(3) + 2.0 * b / D(4));
      v.tau_max = v.torsion_constant / (2.0 * h * b * std::min(D(3), D(4)));
      const double k = b * D(3) - h * D(4);
      v.warping_constant = b * b * h * h * k * k / (24.0 * (b * D(3) + h * D(4)));
      break;
    }
    case 20: {
      // Angle: shear centre where the leg centre lines meet; Cw = 0.
      v.torsion_constant = (D(1) * std::pow(D(3), 3) + (D(2) - D(3)) * std::pow(D(4), 3)) / 3.0;
      v.tau_max = std::max(D(3), D(4));
      v.x_s = D(3) / 2.0;
      v.y_s = D(4) / 2.0;
      break;
    }
    default:
      break;
  }
  // Shear areas from the shear-flow energy of the centre-line model (a
  // flange that carries the force alone gets 5/6 of its area, as its flow is
  // a parabola; a web between two flanges nearly all of it); the rectangle
  // takes its exact-parabola 5/6.
  if (type == 1) {
    v.alpha_x = v.alpha_y = rectangle_shear_ratio;
  } else {
    v.alpha_x = thin_walled_shear_area(centre_lines(type, dims, true), true) / v.area;
    v.alpha_y = thin_walled_shear_area(centre_lines(type, dims, false), false) / v.area;
  }
  v.pair_x = {largest_q_over_b(type, dims, 0, v.xc) / v.iyy, 0.0};
  v.pair_y = {0.0, largest_q_over_b(type, dims, 1, v.yc) / v.ixx};
  if (type == 1) v.pair_x[0] = v.pair_y[1] = 1.5 / v.area;
  return v;
}

}  // namespace bsp
