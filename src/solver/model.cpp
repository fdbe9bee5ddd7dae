#include "solver/model.h"

#include "solver/solver_entries.h"

namespace bsp {

T_MULTI_DOMAIN build_model(const SolverInput& in, const ModelOptions& /*options*/) {
  T_MULTI_DOMAIN m;
  m.kind = element_kind(in.k);
  return m;
}

}  // namespace bsp
