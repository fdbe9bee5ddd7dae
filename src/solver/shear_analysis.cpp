#include "solver/shear_analysis.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "common/large_allocator.h"
#include "common/side_by_side.h"
#include "solver/domain_solve.h"
#include "solver/torsion_analysis.h"

namespace bsp {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

bool has_area(const T_SINGLE_DOMAIN& d) { return d.n_elements > 0 && d.A > 0.0; }

template <class Elem>
const Elem& element_of(std::span<Elem> elements, const T_SINGLE_DOMAIN& d, std::int64_t e) {
  return elements[static_cast<std::size_t>(d.first_element + e)];
}

// Right-hand sides of Psi (column 0) and Phi (column 1): the textbook weak
// form of Laplace(Psi) = -2(1+nu)(Ixx x - Ixy y) with the Poisson boundary
// flux d = nu (Ixx r - Ixy q, Ixx q + Ixy r), r = (x^2 - y^2)/2, q = x y,
// multiplied by G so that each material enters with its own moduli.
template <class Elem>
void assemble_shear_loads(T_SINGLE_DOMAIN& d, std::span<Elem> elements) {
  using Rule = typename Elem::rule;
  const auto n = static_cast<std::size_t>(d.n_nodes);
  d.rhs.assign(2 * n, 0.0);
  double* f_psi = d.rhs.data();
  double* f_phi = d.rhs.data() + n;
  for (std::int64_t e = 0; e < d.n_elements; ++e) {
    const Elem& el = element_of(elements, d, e);
    if (el.inverted) continue;
    const auto eq = d.element_nodes(e);
    const double E = el.material.E, gnu = el.material.G * el.material.nu;
    for (int g = 0; g < Rule::n_points; ++g) {
      const double dx = el.xg[g] - d.xc, dy = el.yg[g] - d.yc;
      const double r = 0.5 * (dx * dx - dy * dy), q = dx * dy;
      const double dA = el.dA[g];
      const double load_psi = E * (d.Ixx * dx - d.Ixy * dy);
      const double load_phi = E * (d.Iyy * dy - d.Ixy * dx);
      const double flux_psi_x = gnu * (d.Ixx * r - d.Ixy * q), flux_psi_y = gnu * (d.Ixx * q + d.Ixy * r);
      const double flux_phi_x = gnu * (d.Iyy * q - d.Ixy * r), flux_phi_y = -gnu * (d.Ixy * q + d.Iyy * r);
      for (int i = 0; i < Rule::n_nodes; ++i) {
        const auto p = static_cast<std::size_t>(eq[static_cast<std::size_t>(i)] - 1);
        const double N = shape_at_points<Rule>[g][i];
        const double nx = el.dNdx[g][i], ny = el.dNdy[g][i];
        f_psi[p] += (N * load_psi + nx * flux_psi_x + ny * flux_psi_y) * dA;
        f_phi[p] += (N * load_phi + nx * flux_phi_x + ny * flux_phi_y) * dA;
      }
    }
  }
}

// Stresses at the integration points of elements [begin, end) of the
// domain, per unit force of this domain up to the discretisation error of
// the resultant, and their sums added to s.
template <class Elem>
void shear_stresses(const T_SINGLE_DOMAIN& d, std::span<Elem> elements, std::int64_t begin, std::int64_t end,
                    DomainShear& s) {
  using Rule = typename Elem::rule;
  const auto n = static_cast<std::size_t>(d.n_nodes);
  const double* psi = d.rhs.data();
  const double* phi = d.rhs.data() + n;
  const double delta = d.Ixx * d.Iyy - d.Ixy * d.Ixy;
  for (std::int64_t e = begin; e < end; ++e) {
    Elem& el = elements[static_cast<std::size_t>(d.first_element + e)];
    el.shear.fill(ShearStress{});
    if (el.inverted) continue;
    const auto eq = d.element_nodes(e);
    const double G = el.material.G, nu = el.material.nu;
    const double f = (G / el.material.E_ref) / delta;
    for (int g = 0; g < Rule::n_points; ++g) {
      double psi_x = 0, psi_y = 0, phi_x = 0, phi_y = 0;
      for (int i = 0; i < Rule::n_nodes; ++i) {
        const auto p = static_cast<std::size_t>(eq[static_cast<std::size_t>(i)] - 1);
        psi_x += el.dNdx[g][i] * psi[p];
        psi_y += el.dNdy[g][i] * psi[p];
        phi_x += el.dNdx[g][i] * phi[p];
        phi_y += el.dNdy[g][i] * phi[p];
      }
      const double dx = el.xg[g] - d.xc, dy = el.yg[g] - d.yc;
      const double r = 0.5 * (dx * dx - dy * dy), q = dx * dy;
      ShearStress& t = el.shear[static_cast<std::size_t>(g)];
      t.tx_psi = (psi_x + nu * (d.Ixy * q - d.Ixx * r)) * f;
      t.ty_psi = (psi_y - nu * (d.Ixx * q + d.Ixy * r)) * f;
      t.tx_phi = (phi_x + nu * (d.Ixy * r - d.Iyy * q)) * f;
      t.ty_phi = (phi_y + nu * (d.Iyy * r + d.Ixy * q)) * f;
      const double dA = el.dA[g];
      s.Ux += (t.tx_psi * t.tx_psi + t.ty_psi * t.ty_psi) / G * dA;
      s.Uy += (t.tx_phi * t.tx_phi + t.ty_phi * t.ty_phi) / G * dA;
      s.Sx += (t.tx_psi + t.tx_phi) * dA;
      s.Sy += (t.ty_psi + t.ty_phi) * dA;
      // Moments about the domain centroid rather than the origin: the shear
      // centre then moves exactly with the section, and the small resultant
      // that discretisation leaves in the cross components (Psi along y,
      // Phi along x) is not multiplied by the distance to the origin.
      s.M_psi += (t.ty_psi * dx - t.tx_psi * dy) * dA;
      s.M_phi += (t.ty_phi * dx - t.tx_phi * dy) * dA;
    }
  }
}

void keep_larger_pair(std::array<double, 2>& stored, double first, double second) {
  if (std::abs(first + second) > std::abs(stored[0] + stored[1])) stored = {first, second};
}

// Adds the sums of the stresses of more elements.
void add_sums(DomainShear& to, const DomainShear& more) {
  to.Ux += more.Ux;
  to.Uy += more.Uy;
  to.Sx += more.Sx;
  to.Sy += more.Sy;
  to.M_psi += more.M_psi;
  to.M_phi += more.M_phi;
}

// Scales the stresses of elements [begin, end) of the domain to a unit force
// on the section (the domain's stiffness share over its resultant), then
// collects the largest pairs at integration points and nodes into s, the
// materials' energies (into their records, or into `energy`, Ux and Uy per
// record, when given) and the stress points.
template <class Elem>
void scale_and_collect(T_MULTI_DOMAIN& m, const T_SINGLE_DOMAIN& d, std::span<Elem> elements, std::int64_t begin,
                       std::int64_t end, double scale_psi, double scale_phi, DomainShear& s,
                       std::vector<std::array<double, 2>>* energy) {
  using Rule = typename Elem::rule;
  for (std::int64_t e = begin; e < end; ++e) {
    Elem& el = elements[static_cast<std::size_t>(d.first_element + e)];
    if (el.inverted) continue;
    std::array<double, Rule::n_points> txp{}, typ{}, txf{}, tyf{};
    double ux = 0, uy = 0;
    for (int g = 0; g < Rule::n_points; ++g) {
      ShearStress& t = el.shear[static_cast<std::size_t>(g)];
      t.tx_psi *= scale_psi;
      t.ty_psi *= scale_psi;
      t.tx_phi *= scale_phi;
      t.ty_phi *= scale_phi;
      txp[g] = t.tx_psi;
      typ[g] = t.ty_psi;
      txf[g] = t.tx_phi;
      tyf[g] = t.ty_phi;
      keep_larger_pair(s.tau_x_pair, t.tx_psi, t.tx_phi);
      keep_larger_pair(s.tau_y_pair, t.ty_psi, t.ty_phi);
      ux += (t.tx_psi * t.tx_psi + t.ty_psi * t.ty_psi) / el.material.G * el.dA[g];
      uy += (t.tx_phi * t.tx_phi + t.ty_phi * t.ty_phi) / el.material.G * el.dA[g];
    }
    for (const NaturalPoint& p : Rule::node) {
      keep_larger_pair(s.tau_x_pair, Rule::extrapolate(txp, p.s, p.t), Rule::extrapolate(txf, p.s, p.t));
      keep_larger_pair(s.tau_y_pair, Rule::extrapolate(typ, p.s, p.t), Rule::extrapolate(tyf, p.s, p.t));
    }
    if (el.material_record >= 0 && static_cast<std::size_t>(el.material_record) < m.materials.size()) {
      const auto r = static_cast<std::size_t>(el.material_record);
      if (energy != nullptr) {
        (*energy)[r][0] += ux;
        (*energy)[r][1] += uy;
      } else {
        m.materials[r].Ux += ux;
        m.materials[r].Uy += uy;
      }
    }
    for (std::int32_t sp : el.stress_points) {
      T_DETAIL& pt = m.details[static_cast<std::size_t>(sp)];
      pt.shear.tx_psi = Rule::extrapolate(txp, pt.natural.s, pt.natural.t);
      pt.shear.ty_psi = Rule::extrapolate(typ, pt.natural.s, pt.natural.t);
      pt.shear.tx_phi = Rule::extrapolate(txf, pt.natural.s, pt.natural.t);
      pt.shear.ty_phi = Rule::extrapolate(tyf, pt.natural.s, pt.natural.t);
    }
  }
}

template <class Elem>
void run(T_MULTI_DOMAIN& m, std::span<Elem> elements) {
  const bool several = m.domains.size() > 1;
  const double G_ref = m.G_ref;
  double sum_ixx = 0, sum_iyy = 0, sum_alpha_x = 0, sum_alpha_y = 0;
  for (T_SINGLE_DOMAIN& d : m.domains) {
    if (!has_area(d)) continue;
    // The warping load about the centroid rides along in the same sweep when
    // the torsion matrix is this one: no inverted element makes the torsion
    // analysis assemble a matrix of its own (torsion_analysis.h).
    bool inverted = d.reassemble;
    for (std::int64_t e = 0; e < d.n_elements && !inverted; ++e) inverted = element_of(elements, d, e).inverted;
    const bool with_warping = !inverted;
    const auto n = static_cast<std::size_t>(d.n_nodes);
    // While the factor's storage is fresh, the loads' thread maps its pages as
    // the other assembles into it, so that the two share the clearing of
    // fresh memory, which on a large solid domain costs as much as the
    // assembly itself.
    const bool fresh_factor = d.path == LinearSolverPath::sparse && d.sparse.zeroed && !d.sparse.factorised;
    // The matrix and the loads read the elements and write apart.
    side_by_side(
        m.threads >= 2 && d.n_elements >= parallel_pass_elements,
        [&] { assemble_domain_matrix(d, elements, [](const Elem& el) { return field_coefficient(el); }); },
        [&] {
          if (fresh_factor) map_for_writing(d.sparse.values.data(), d.sparse.values.size() * sizeof(double));
          assemble_shear_loads(d, elements);
          if (with_warping) {
            d.rhs.resize(3 * n, 0.0);
            assemble_torsion_load(d, elements, d.xc, d.yc, d.rhs.data() + 2 * n);
          }
        });
    solve_domain(d, with_warping ? 3 : 2, m.threads);
    if (with_warping) {
      d.warping_about_centroid.assign(d.rhs.begin() + static_cast<std::ptrdiff_t>(2 * n), d.rhs.end());
      d.rhs.resize(2 * n);
    }
    if (several) drop_factor(d);
    d.shear = DomainShear{};
    DomainShear second;
    over_element_halves(m, d, [&](std::int64_t begin, std::int64_t end, bool first) {
      shear_stresses(d, elements, begin, end, first ? d.shear : second);
    });
    add_sums(d.shear, second);
    DomainShear& s = d.shear;
    s.alpha_x = s.Sx * s.Sx / (G_ref * s.Ux) / d.A;
    s.alpha_y = s.Sy * s.Sy / (G_ref * s.Uy) / d.A;
    s.xs = d.xc + s.M_phi / s.Sy;
    s.ys = d.yc - s.M_psi / s.Sx;
    sum_ixx += d.Ixx;
    sum_iyy += d.Iyy;
    sum_alpha_x += s.alpha_x * d.A;
    sum_alpha_y += s.alpha_y * d.A;
  }

  m.tau_x_pair = {0.0, 0.0};
  m.tau_y_pair = {0.0, 0.0};
  const T_SINGLE_DOMAIN* first = nullptr;
  double num_x = 0, num_y = 0;
  for (T_SINGLE_DOMAIN& d : m.domains) {
    if (!has_area(d)) continue;
    // A force along x is carried in proportion to Iyy_d, along y to Ixx_d.
    const double share_psi = d.Iyy / sum_iyy, share_phi = d.Ixx / sum_ixx;
    const double scale_psi = share_psi / d.shear.Sx, scale_phi = share_phi / d.shear.Sy;
    DomainShear second;
    std::vector<std::array<double, 2>> second_energy(m.materials.size(), {0.0, 0.0});
    over_element_halves(m, d, [&](std::int64_t begin, std::int64_t end, bool first) {
      scale_and_collect(m, d, elements, begin, end, scale_psi, scale_phi, first ? d.shear : second,
                        first ? nullptr : &second_energy);
    });
    keep_larger_pair(d.shear.tau_x_pair, second.tau_x_pair[0], second.tau_x_pair[1]);
    keep_larger_pair(d.shear.tau_y_pair, second.tau_y_pair[0], second.tau_y_pair[1]);
    for (std::size_t r = 0; r < m.materials.size(); ++r) {
      m.materials[r].Ux += second_energy[r][0];
      m.materials[r].Uy += second_energy[r][1];
    }
    keep_larger_pair(m.tau_x_pair, d.shear.tau_x_pair[0], d.shear.tau_x_pair[1]);
    keep_larger_pair(m.tau_y_pair, d.shear.tau_y_pair[0], d.shear.tau_y_pair[1]);
    if (first == nullptr) first = &d;
    num_x += (d.shear.xs - first->shear.xs) * d.Ixx;
    num_y += (d.shear.ys - first->shear.ys) * d.Iyy;
  }
  if (first == nullptr) {
    m.alpha_x = m.alpha_y = m.x_s = m.y_s = nan;
    return;
  }
  // A bar's own bending stiffness pulls the shear centre toward it; the
  // weights enter the denominators too, so the result stays a weighted mean
  // of the domains' and bars' positions.
  double den_x = sum_ixx, den_y = sum_iyy;
  for (const T_NODE& b : m.bars) {
    const double own = b.k * std::numbers::pi * b.r * b.r * b.r * b.r / 4.0;
    num_x += (b.x - first->shear.xs) * own;
    num_y += (b.y - first->shear.ys) * own;
    den_x += own;
    den_y += own;
  }
  m.x_s = first->shear.xs + num_x / den_x;
  m.y_s = first->shear.ys + num_y / den_y;
  m.alpha_x = sum_alpha_x / m.A;
  m.alpha_y = sum_alpha_y / m.A;
}

}  // namespace

void shear_analysis(T_MULTI_DOMAIN& m) {
  with_elements(m, [&m](auto elements) { run(m, elements); });
}

void shear_material_results(T_MULTI_DOMAIN& m) {
  double sum_ux = 0, sum_uy = 0;
  for (const T_PART& p : m.materials) {
    sum_ux += p.Ux;
    sum_uy += p.Uy;
  }
  for (T_PART& p : m.materials) {
    const double a_material = p.slot[material_slot::area];
    if (p.empty || !(a_material != 0.0)) continue;
    p.slot[material_slot::alpha_x] = sum_ux > 0.0 ? p.Ux * (m.alpha_x * m.A) / sum_ux / a_material : 0.0;
    p.slot[material_slot::alpha_y] = sum_uy > 0.0 ? p.Uy * (m.alpha_y * m.A) / sum_uy / a_material : 0.0;
  }
}

}  // namespace bsp
