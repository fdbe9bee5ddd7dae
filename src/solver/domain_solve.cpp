#include "solver/domain_solve.h"

#include <algorithm>

namespace bsp {

void pin_last_equation(BandSystem& band) {
  if (band.n < 2) return;
  const std::int64_t last = band.n - 1;
  for (std::int64_t j = std::max<std::int64_t>(0, last - band.kd); j < last; ++j) band.at(last, j) = 0.0;
  // Keep the assembled diagonal so the pivot has the scale of its neighbours;
  // only a node no element reaches gets a unit one.
  if (!(band.at(last, last) > 0.0)) band.at(last, last) = 1.0;
}

void pin_last_equation(SparseSystem& sys) {
  const std::int64_t last = pinned_equation(sys.sym.n);
  if (last < 0) return;
  double& diagonal = sys.at(last, last);
  if (!(diagonal > 0.0)) diagonal = 1.0;
}

void solve_domain(T_SINGLE_DOMAIN& d, std::int64_t nrhs, int threads) {
  const std::int64_t n = d.n_nodes;
  if (n < 1) return;
  // The pinned equation carries value 0; whatever rounding left of the load
  // imbalance there is dropped with it.
  if (n >= 2)
    for (std::int64_t c = 0; c < nrhs; ++c) d.rhs[static_cast<std::size_t>(c * n + n - 1)] = 0.0;
  if (d.path == LinearSolverPath::sparse)
    solve_sparse_system(d.sparse, d.rhs.data(), nrhs, threads);
  else
    solve_band_system(d.band, d.rhs.data(), nrhs, threads);
}

}  // namespace bsp
