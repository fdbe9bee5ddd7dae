#include "solver/linear_solver_choice.h"

#include "solver/domain_solve.h"
#include "solver/model.h"
#include "solver/rcm.h"

// Test builds may force one path for every domain (the solver test suites
// run a second and third time against such builds, tests/CMakeLists.txt);
// the shipped library is always built without it and always chooses.
#ifndef BSP_FORCE_LINEAR_SOLVER
#define BSP_FORCE_LINEAR_SOLVER 0
#endif

namespace bsp {
namespace {

// The rule. Predicted time of a path = flops / its rate + bytes of storage /
// the rate at which the machine maps, clears and streams fresh memory; the
// cheaper path wins. The sparse analysis is not part of the comparison: it
// has been paid when the comparison is made. The rates are measured
// with bench/solver/sparse_llt_bench.cpp on the development machine (two
// cores of a virtual machine): what matters is their ratio, which holds
// from one x86-64 machine to the next far better than the absolute values.
constexpr double band_flop_rate = 6.0e9;     // flop/s of the blocked band factorisation
constexpr double sparse_flop_rate = 6.0e9;   // flop/s of the supernodal factorisation
constexpr double memory_rate = 4.0e9;        // bytes/s of touching fresh storage

// A domain whose band factorisation is predicted below this many seconds
// takes the band without the sparse analysis, which would cost about as much
// as it could save.
constexpr double band_without_analysis = 2.0e-2;

double band_seconds(const LinearSolverEstimate& e) {
  return e.band_flops / band_flop_rate + e.band_bytes / memory_rate;
}

}  // namespace

LinearSolverEstimate prepare_domain_system(T_SINGLE_DOMAIN& d) {
  const int npe = nodes_per_element(d.kind);
  const std::int64_t kd = BANDWIDTH(npe, d.n_elements, d.connectivity.data());
  std::vector<std::int64_t> reach = band_factor_reach(d.n_nodes, npe, d.n_elements, d.connectivity.data());
  LinearSolverEstimate e;
  e.band_flops = band_profile_flops(reach);
  e.band_bytes = 8.0 * static_cast<double>(kd + 1) * static_cast<double>(d.n_nodes);
  const int forced = BSP_FORCE_LINEAR_SOLVER;
  bool sparse = forced == 2;
  if (forced == 0 && band_seconds(e) > band_without_analysis) {
    d.sparse.sym = sparse_analyse(d.n_nodes, npe, d.n_elements, d.connectivity.data(), pinned_equation(d.n_nodes));
    e.analysed = true;
    e.sparse_flops = d.sparse.sym.flops;
    e.sparse_bytes = d.sparse.sym.bytes;
    const double sparse_seconds = e.sparse_flops / sparse_flop_rate + e.sparse_bytes / memory_rate;
    sparse = sparse_seconds < band_seconds(e);
  } else if (sparse) {
    d.sparse.sym = sparse_analyse(d.n_nodes, npe, d.n_elements, d.connectivity.data(), pinned_equation(d.n_nodes));
    e.analysed = true;
    e.sparse_flops = d.sparse.sym.flops;
    e.sparse_bytes = d.sparse.sym.bytes;
  }
  if (sparse) {
    d.path = LinearSolverPath::sparse;
    d.sparse.allocate();
  } else {
    d.path = LinearSolverPath::band;
    d.sparse = SparseSystem{};
    d.band.allocate(d.n_nodes, kd);
    d.band.reach = std::move(reach);
  }
  e.path = d.path;
  return e;
}

}  // namespace bsp
