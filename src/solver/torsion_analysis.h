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
// Inverted elements enter matrix and load with a small coefficient
// (inverted_coefficient) and are left out of J, Iw and the stresses.
// Stresses are per unit rate of twist with G_ref = 1 (tau / (G_ref theta)).
#pragma once

#include <algorithm>

#include "solver/model.h"

namespace bsp {

// Coefficient of an inverted element in the torsion matrix and load. 1/G is
// not dimensionless: with moduli near 1 it would make the element stiffer
// than the material. The 1e-9 G cap keeps it a near-void at any scale of the
// moduli; for G >= 3.2e4 (moduli in MPa or Pa) 1/G is the smaller and is
// used. Rule of this library; pinned by tests/solver/torsion_analysis_test.cpp.
inline constexpr double inverted_stiffness_fraction = 1e-9;
inline double inverted_coefficient(double G) { return std::min(1.0 / G, inverted_stiffness_fraction * G); }

// Fills the model's J, Iw, omega_sum, omega_mean, tau_max and Ip_s, the
// elements' and stress points' torsion stresses and warping values, and
// part slots 6 (J share) and 9 (warping integral). Domains without area are
// skipped; with none, J, Iw and Ip_s are NaN.
void torsion_analysis(T_MULTI_DOMAIN& m);

}  // namespace bsp
