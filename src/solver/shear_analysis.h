// Flexural shear of the section by the shear-function method with Poisson
// coupling: per domain, the shear function Psi of a force along x and Phi of
// a force along y from one Laplace system with two right-hand sides; from
// them the shear stresses, the energy shear-area ratios, the shear centre and
// the largest stress pairs of each domain, then of the section.
//
// The shear force is shared between domains in proportion to their bending
// stiffness (Iyy_d for a force along x, Ixx_d along y), which is also how the
// domains' shear centres are combined. Stresses stored in the elements and
// stress points are per unit shear force on the whole section, with that
// share already applied. Inverted elements are not part of the section's
// geometry: they carry no load (which would unbalance the loads) and no
// stress, and enter the matrix only with the near-void coefficient of
// domain_solve.h, so a hole meshed with inverted elements behaves as a hole.
//
// Domains without area (no element that is not inverted) are skipped. A
// domain whose second moments are singular (all elements on one line)
// gives non-finite values, which the entry reports as a solver error.
#pragma once

#include "solver/model.h"

namespace bsp {

// Runs the analysis over all domains in model order and fills the model's
// alpha_x, alpha_y, x_s, y_s, tau_x_pair, tau_y_pair, each domain's shear
// record, the elements' and stress points' shear stresses and the materials'
// energy sums. With more than one domain each domain's factor is dropped
// after its solve, so the torsion analysis assembles again.
void shear_analysis(T_MULTI_DOMAIN& m);

// Material slots 7 and 8: each material's share of the section's shear energy,
// scaled to a shear-area ratio of the material. Materials without area keep 0.
void shear_material_results(T_MULTI_DOMAIN& m);

}  // namespace bsp
