// Saint-Venant torsion by the warping function: per domain the Laplace
// problem for omega about the section's shear centre, then the torsion
// constant J, the warping integrals, the torsional shear stresses and the
// polar moment about the shear centre. Runs after the shear analysis, whose
// shear centre it uses.
//
// The load about a point (x_s, y_s) differs from the load about the domain
// centroid by (y_c - y_s) K x - (x_c - x_s) K y, where x and y are the nodal
// coordinates: the elements reproduce linear fields exactly, so the load of
// a uniform gradient is K applied to that linear field. The solution about
// the shear centre is therefore the solution about the centroid plus
// (y_c - y_s) x - (x_c - x_s) y, up to a constant. The shear analysis solves
// the centroid load in the same sweep as its own two (one pass over the
// factor instead of two, and no second factorisation of a domain whose
// factor it drops), and this analysis shifts it. A domain with inverted
// elements assembles its own torsion matrix and solves here.
//
// The warping function is fixed only up to a constant per connected domain.
// Each domain's own weighted mean (E/E_ref dA) is removed before any sum or
// stress-point value is formed, so Iw and the values reported at points do
// not depend on how the solver happened to fix that constant, nor on the
// order of the domains; omega_sum is then zero to rounding.
//
// Inverted elements enter matrix and load with the near-void coefficient of
// domain_solve.h and are left out of J, Iw and the stresses.
// Stresses are per unit rate of twist with G_ref = 1 (tau / (G_ref theta)).
#pragma once

#include <span>

#include "solver/domain_solve.h"
#include "solver/model.h"

namespace bsp {

// Adds the right-hand side of the warping problem about (x_s, y_s) to rhs
// (n_nodes values): the weak form of the boundary flux d omega/dn = y' n_x -
// x' n_y, turned into an area integral, with the element's coefficient as in
// the matrix.
template <class Elem>
void assemble_torsion_load(const T_SINGLE_DOMAIN& d, std::span<Elem> elements, double x_s, double y_s,
                           double* rhs);

// Fills the model's J, Iw, omega_sum, omega_mean, tau_max and Ip_s, the
// elements' and stress points' torsion stresses and warping values, and
// material slots 6 (J share) and 9 (warping integral). Domains without area are
// skipped; with none, J, Iw and Ip_s are NaN.
void torsion_analysis(T_MULTI_DOMAIN& m);

template <class Elem>
void assemble_torsion_load(const T_SINGLE_DOMAIN& d, std::span<Elem> elements, double x_s, double y_s,
                           double* rhs) {
  using Rule = typename Elem::rule;
  for (std::int64_t e = 0; e < d.n_elements; ++e) {
    const Elem& el = elements[static_cast<std::size_t>(d.first_element + e)];
    const auto eq = d.element_nodes(e);
    const double c = field_coefficient(el);
    for (int g = 0; g < Rule::n_points; ++g) {
      const double xp = el.xg[g] - x_s, yp = el.yg[g] - y_s;
      for (int i = 0; i < Rule::n_nodes; ++i) {
        const auto p = static_cast<std::size_t>(eq[static_cast<std::size_t>(i)] - 1);
        rhs[p] += c * (el.dNdx[g][i] * yp - el.dNdy[g][i] * xp) * el.dA[g];
      }
    }
  }
}

}  // namespace bsp
