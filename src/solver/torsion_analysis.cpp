#include "solver/torsion_analysis.h"

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "solver/domain_solve.h"

namespace bsp {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// omega about (x_s, y_s) from the warping function about the domain
// centroid that the shear analysis solved (torsion_analysis.h). The shift is
// taken relative to the pinned equation's node, so the pinned value stays 0
// as a direct solve would leave it.
template <class Elem>
void shift_warping(T_SINGLE_DOMAIN& d, std::span<Elem> elements, double x_s, double y_s) {
  using Rule = typename Elem::rule;
  const auto n = static_cast<std::size_t>(d.n_nodes);
  std::vector<double> x(n, 0.0), y(n, 0.0);
  for (std::int64_t e = 0; e < d.n_elements; ++e) {
    const Elem& el = elements[static_cast<std::size_t>(d.first_element + e)];
    const auto eq = d.element_nodes(e);
    for (int i = 0; i < Rule::n_nodes; ++i) {
      const auto p = static_cast<std::size_t>(eq[static_cast<std::size_t>(i)] - 1);
      x[p] = el.x[i];
      y[p] = el.y[i];
    }
  }
  const std::int64_t pin = pinned_equation(d.n_nodes);
  const double x0 = pin >= 0 ? x[static_cast<std::size_t>(pin)] : 0.0;
  const double y0 = pin >= 0 ? y[static_cast<std::size_t>(pin)] : 0.0;
  const double a = d.yc - y_s, b = d.xc - x_s;
  d.rhs.resize(n);
  for (std::size_t p = 0; p < n; ++p) d.rhs[p] = d.warping_about_centroid[p] + a * (x[p] - x0) - b * (y[p] - y0);
  d.warping_about_centroid = {};
}

// Weighted integral of omega over elements [begin, end) of the domain (those
// that are part of the geometry), added to sum.
template <class Elem>
void add_omega_integral(const T_SINGLE_DOMAIN& d, std::span<Elem> elements, std::int64_t begin, std::int64_t end,
                        double& sum) {
  using Rule = typename Elem::rule;
  for (std::int64_t e = begin; e < end; ++e) {
    const Elem& el = elements[static_cast<std::size_t>(d.first_element + e)];
    if (el.inverted) continue;
    const auto eq = d.element_nodes(e);
    const double ratio = el.material.modular_ratio();
    for (int g = 0; g < Rule::n_points; ++g) {
      double w = 0;
      for (int i = 0; i < Rule::n_nodes; ++i)
        w += shape_at_points<Rule>[g][i] * d.rhs[static_cast<std::size_t>(eq[static_cast<std::size_t>(i)] - 1)];
      sum += w * ratio * el.dA[g];
    }
  }
}

// Removes the domain's weighted mean of omega from its nodal values.
template <class Elem>
void remove_domain_mean(const T_MULTI_DOMAIN& m, T_SINGLE_DOMAIN& d, std::span<Elem> elements) {
  double sum = 0, second = 0;
  over_element_halves(m, d, [&](std::int64_t begin, std::int64_t end, bool first) {
    add_omega_integral(d, elements, begin, end, first ? sum : second);
  });
  sum += second;
  const double mean = sum / d.A;
  for (double& w : d.rhs) w -= mean;
}

struct TorsionSums {
  double J = 0, iw = 0, omega = 0;
  // The largest stress vector so far, kept by its squared length: a hypot
  // per candidate (a dozen per element) cost more than the rest of the
  // results pass, and only the winner needs the root.
  double tau2_max = 0;
  std::array<double, 2> tau_pair{};

  void offer(double t_zx, double t_zy) {
    const double t2 = t_zx * t_zx + t_zy * t_zy;
    if (t2 > tau2_max) {
      tau2_max = t2;
      tau_pair = {t_zx, t_zy};
    }
  }
  double tau_max() const { return std::hypot(tau_pair[0], tau_pair[1]); }

  // Adds the sums of more elements, met after these.
  void add(const TorsionSums& more) {
    J += more.J;
    iw += more.iw;
    omega += more.omega;
    if (more.tau2_max > tau2_max) {
      tau2_max = more.tau2_max;
      tau_pair = more.tau_pair;
    }
  }
};

// The materials' torsion sums of some elements: J and omega^2 per record.
using MaterialTorsion = std::vector<std::array<double, 2>>;

// Torsion stresses of elements [begin, end) of the domain and their sums,
// added to sums and to the material records (or to `material`, when given).
template <class Elem>
void torsion_results(T_MULTI_DOMAIN& m, const T_SINGLE_DOMAIN& d, std::span<Elem> elements, std::int64_t begin,
                     std::int64_t end, TorsionSums& sums, MaterialTorsion* material) {
  using Rule = typename Elem::rule;
  const double x_s = m.x_s, y_s = m.y_s;
  for (std::int64_t e = begin; e < end; ++e) {
    Elem& el = elements[static_cast<std::size_t>(d.first_element + e)];
    el.torsion.fill(TorsionStress{});
    if (el.inverted) continue;
    const auto eq = d.element_nodes(e);
    std::array<double, Rule::n_nodes> w{};
    for (int i = 0; i < Rule::n_nodes; ++i)
      w[i] = d.rhs[static_cast<std::size_t>(eq[static_cast<std::size_t>(i)] - 1)];
    const double g_ratio = el.material.G / el.material.G_ref;
    const double ratio = el.material.modular_ratio();
    double j_el = 0, iw_el = 0;
    std::array<double, Rule::n_points> tzx{}, tzy{};
    for (int g = 0; g < Rule::n_points; ++g) {
      double wg = 0, wx = 0, wy = 0;
      for (int i = 0; i < Rule::n_nodes; ++i) {
        wg += shape_at_points<Rule>[g][i] * w[i];
        wx += el.dNdx[g][i] * w[i];
        wy += el.dNdy[g][i] * w[i];
      }
      const double a = wx - (el.yg[g] - y_s), b = wy + (el.xg[g] - x_s);
      const double dA = el.dA[g];
      j_el += (a * a + b * b) * g_ratio * dA;
      iw_el += wg * wg * ratio * dA;
      sums.omega += wg * ratio * dA;
      tzx[g] = a * g_ratio;
      tzy[g] = b * g_ratio;
      el.torsion[static_cast<std::size_t>(g)] = {tzx[g], tzy[g]};
      sums.offer(tzx[g], tzy[g]);
    }
    sums.J += j_el;
    sums.iw += iw_el;
    if (el.material_record >= 0 && static_cast<std::size_t>(el.material_record) < m.materials.size()) {
      const auto r = static_cast<std::size_t>(el.material_record);
      if (material != nullptr) {
        (*material)[r][0] += j_el;
        (*material)[r][1] += iw_el;
      } else {
        m.materials[r].slot[material_slot::J] += j_el;
        m.materials[r].omega2 += iw_el;
      }
    }
    for (const NaturalPoint& p : Rule::node)
      sums.offer(Rule::extrapolate(tzx, p.s, p.t), Rule::extrapolate(tzy, p.s, p.t));
    for (std::int32_t sp : el.stress_points) {
      T_DETAIL& pt = m.details[static_cast<std::size_t>(sp)];
      const auto N = Rule::shape(pt.natural.s, pt.natural.t);
      pt.omega = 0;
      for (int i = 0; i < Rule::n_nodes; ++i) pt.omega += N[i] * w[i];
      pt.torsion = {Rule::extrapolate(tzx, pt.natural.s, pt.natural.t),
                    Rule::extrapolate(tzy, pt.natural.s, pt.natural.t)};
      sums.offer(pt.torsion.t_zx, pt.torsion.t_zy);
    }
  }
}

template <class Elem>
void run(T_MULTI_DOMAIN& m, std::span<Elem> elements) {
  TorsionSums sums;
  double ip_s = 0;
  bool any = false;
  for (T_SINGLE_DOMAIN& d : m.domains) {
    if (d.n_elements == 0 || !(d.A > 0.0)) continue;
    any = true;
    if (!d.warping_about_centroid.empty()) {
      shift_warping(d, elements, m.x_s, m.y_s);
    } else {
      assemble_domain_matrix(d, elements, [](const Elem& el) { return field_coefficient(el); });
      d.rhs.assign(static_cast<std::size_t>(d.n_nodes), 0.0);
      assemble_torsion_load(d, elements, m.x_s, m.y_s, d.rhs.data());
      solve_domain(d, 1, m.threads);
    }
    remove_domain_mean(m, d, elements);
    TorsionSums second;
    MaterialTorsion second_material(m.materials.size(), {0.0, 0.0});
    over_element_halves(m, d, [&](std::int64_t begin, std::int64_t end, bool first) {
      torsion_results(m, d, elements, begin, end, first ? sums : second, first ? nullptr : &second_material);
    });
    sums.add(second);
    for (std::size_t r = 0; r < m.materials.size(); ++r) {
      m.materials[r].slot[material_slot::J] += second_material[r][0];
      m.materials[r].omega2 += second_material[r][1];
    }
    const double ex = d.xc - m.x_s, ey = d.yc - m.y_s;
    ip_s += d.Ixx + d.Iyy + d.A * (ex * ex + ey * ey);
  }
  if (!any) {
    m.J = m.Iw = m.Ip_s = m.omega_sum = m.omega_mean = nan;
    m.tau_max = 0;
    return;
  }
  m.J = sums.J;
  m.tau_max = sums.tau_max();
  m.Ip_s = ip_s;
  m.omega_sum = sums.omega;
  m.omega_mean = sums.omega / m.A;
  m.Iw = sums.iw - sums.omega * sums.omega / m.A;
  for (T_DETAIL& pt : m.details)
    if (pt.element >= 0) pt.omega -= m.omega_mean;

  double omega2_all = 0;
  for (const T_PART& p : m.materials) omega2_all += p.omega2;
  const double correction = sums.omega * sums.omega / m.A;
  for (T_PART& p : m.materials) {
    if (p.empty) continue;
    p.slot[material_slot::warping] = p.omega2 - (omega2_all > 0.0 ? correction * p.omega2 / omega2_all : 0.0);
  }
}

}  // namespace

void torsion_analysis(T_MULTI_DOMAIN& m) {
  with_elements(m, [&m](auto elements) { run(m, elements); });
}

}  // namespace bsp
