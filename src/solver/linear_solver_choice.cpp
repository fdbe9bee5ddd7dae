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

// The rule. Predicted time of a path = its factorisation flops / its rate +
// the substitution of the three right-hand sides of a section call + bytes
// of storage / the rate at which fresh memory is mapped and cleared; the
// cheaper path wins. The sparse path also pays per equation for its
// analysis (ordering, tree, structure) and for the scattered accesses of its
// factorisation and substitution. The sparse analysis runs only when the
// band's predicted time exceeds the sparse path's cost per equation alone,
// so small domains, where the band always wins, never pay for it; once it
// has run, it is not part of the comparison. Rates measured on the
// 6-node solid squares of bench_meshes.h, 3 k to 200 k nodes, both paths on
// two threads, on the development machine (two cores of a shared virtual
// machine): the band factorised at 13 to 30 Gflop/s and substituted 1.1 to
// 1.4 G multiply-adds/s; the sparse path analysed in 0.7 to 0.9 us per
// equation, factorised at 3.4 to 20 Gflop/s (small panels slow) and
// substituted in 0.2 to 0.4 us per equation. The ratios between the rates,
// not their absolute values, decide, and those hold from one x86-64 machine
// to the next far better. On those meshes the rule keeps the band below
// about 5 000 nodes on a solid square (more on thin walls, whose profile is
// narrow) and takes the sparse path from about 6 500 nodes on. Pinned by
// tests/solver/linear_solver_choice_test.cpp.
constexpr double band_flop_rate = 15.0e9;     // flop/s, blocked band factorisation on two threads
constexpr double band_solve_rate = 1.2e9;     // multiply-adds/s of the profile-aware substitution
constexpr double sparse_flop_rate = 10.0e9;   // flop/s, supernodal factorisation on two threads
constexpr double sparse_analysis_per_node = 0.75e-6;  // s per equation: AMD, tree, counts, structure
constexpr double sparse_numeric_per_node = 0.5e-6;    // s per equation: scatter, gather, solve
constexpr double memory_rate = 4.0e9;         // bytes/s of mapping and clearing fresh storage
constexpr double right_hand_sides = 3.0;      // two shear functions and the warping function

double band_seconds(const LinearSolverEstimate& e, double profile_entries) {
  return e.band_flops / band_flop_rate + 2.0 * right_hand_sides * profile_entries / band_solve_rate +
         e.band_bytes / memory_rate;
}

}  // namespace

LinearSolverEstimate prepare_domain_system(T_SINGLE_DOMAIN& d, LinearSolverRequest request) {
  const int npe = nodes_per_element(d.kind);
  const std::int64_t kd = BANDWIDTH(npe, d.n_elements, d.connectivity.data());
  std::vector<std::int64_t> reach = band_factor_reach(d.n_nodes, npe, d.n_elements, d.connectivity.data());
  LinearSolverEstimate e;
  e.band_flops = band_profile_flops(reach);
  e.band_bytes = 8.0 * static_cast<double>(kd + 1) * static_cast<double>(d.n_nodes);
  double profile_entries = 0;
  for (std::int64_t j = 0; j < d.n_nodes; ++j)
    profile_entries += static_cast<double>(reach[static_cast<std::size_t>(j)] - j);
  const double per_node = static_cast<double>(d.n_nodes) * (sparse_analysis_per_node + sparse_numeric_per_node);
  const double band_time = band_seconds(e, profile_entries);
  const int forced = request == LinearSolverRequest::band     ? 1
                     : request == LinearSolverRequest::sparse ? 2
                                                              : BSP_FORCE_LINEAR_SOLVER;
  bool sparse = forced == 2;
  if (forced == 0 && band_time > per_node) {
    d.sparse.sym = sparse_analyse(d.n_nodes, npe, d.n_elements, d.connectivity.data(), pinned_equation(d.n_nodes));
    e.analysed = true;
    e.sparse_flops = d.sparse.sym.flops;
    e.sparse_bytes = d.sparse.sym.bytes;
    const double sparse_seconds = e.sparse_flops / sparse_flop_rate + e.sparse_bytes / memory_rate +
                                  static_cast<double>(d.n_nodes) * sparse_numeric_per_node;
    sparse = sparse_seconds < band_time;
  } else if (sparse) {
    d.sparse.sym = sparse_analyse(d.n_nodes, npe, d.n_elements, d.connectivity.data(), pinned_equation(d.n_nodes));
    e.analysed = true;
    e.sparse_flops = d.sparse.sym.flops;
    e.sparse_bytes = d.sparse.sym.bytes;
  }
  if (sparse) {
    d.path = LinearSolverPath::sparse;
    d.band = BandSystem{};
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
