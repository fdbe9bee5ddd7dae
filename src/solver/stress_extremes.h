// The largest value of each stress field over the section and where it
// occurs: the shear stresses of a unit force along x (tau_x, tau_y of Psi)
// and along y (of Phi), and the torsional stresses (tau_zx, tau_zy). The
// candidates are every integration point and every node (extrapolated) of
// the elements that are not inverted; the first candidate in model order
// wins a tie. Read after both analyses.
#pragma once

#include <array>

#include "solver/model.h"
#include "solver/section_result_vector.h"

namespace bsp {

std::array<FieldExtreme, n_extreme_fields> stress_extremes(const T_MULTI_DOMAIN& m);

}  // namespace bsp
