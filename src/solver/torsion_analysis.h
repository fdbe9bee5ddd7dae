// Saint-Venant torsion by the warping function: per domain the Laplace
// problem for omega about the section's shear centre, then the torsion
// constant J, the warping integrals, the torsional shear stresses and the
// polar moment about the shear centre. Runs after the shear analysis, whose
// shear centre it uses, and reuses the shear factor of a single domain
// without inverted elements.
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

#include "solver/model.h"

namespace bsp {

// Fills the model's J, Iw, omega_sum, omega_mean, tau_max and Ip_s, the
// elements' and stress points' torsion stresses and warping values, and
// material slots 6 (J share) and 9 (warping integral). Domains without area are
// skipped; with none, J, Iw and Ip_s are NaN.
void torsion_analysis(T_MULTI_DOMAIN& m);

}  // namespace bsp
