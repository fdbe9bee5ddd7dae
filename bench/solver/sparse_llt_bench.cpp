// The two linear solver paths on the same matrices, in the same process:
// the band (RCM order, factorisation on 2 threads, substitution of the three
// right-hand sides a section call solves) against the sparse supernodal path
// (AMD order: analysis + factorisation + substitution), and the sparse path
// against CHOLMOD's supernodal factorisation with the same AMD ordering
// (GPL; linked into this benchmark only, as a yardstick). The matrices are
// graph Laplacians of 6-node triangle meshes plus the identity
// (bench_meshes.h). Factorisations are timed in wall time (they use helper
// threads), the single-threaded substitutions in thread CPU time, which a
// busy machine disturbs less. Reported per mesh (fastest of the iterations):
//   band_over_sparse      band factor + old solve / sparse analyse + factor + solve
//   sparse_over_cholmod   ours / CHOLMOD, analysis excluded and included
//   old_over_new_solve    band solve one column at a time over the whole band /
//                         profile-aware solve of all three columns in one sweep
//   band_GF, sparse_GF    predicted flops of each path (the choice's numbers)
//   max_rel_diff          largest |x_sparse - x_band| / max |x_band|
//   chosen                1 when the library's rule picks the sparse path
#include <benchmark/benchmark.h>
#include <cholmod.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

#include "solver/band_llt.h"
#include "solver/bench_meshes.h"
#include "solver/sparse_llt.h"

namespace {

using Clock = std::chrono::steady_clock;
double since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

struct Fastest {
  double s = std::numeric_limits<double>::infinity();
  void take(Clock::time_point t0) { s = std::min(s, since(t0)); }
  void take_cpu(double c0) { s = std::min(s, bsp::bench::thread_cpu_seconds() - c0); }
};

using bsp::bench::Mesh;

void paths_case(benchmark::State& state, Mesh mesh, bool with_band) {
  bsp::RCM_RENUMBER(mesh.n_nodes, mesh.npe, mesh.n_elements(), mesh.conn.data());
  // Renumbering an RCM order again gives the same numbers, so the band below
  // is the matrix of mesh.conn as it stands.
  const bsp::bench::BandMatrix band = bsp::bench::laplace_band(mesh);
  const std::int64_t n = band.n, kd = band.kd, ld = kd + 1;
  const std::vector<std::int64_t> reach = bsp::band_factor_reach(n, mesh.npe, mesh.n_elements(), mesh.conn.data());

  // Lower triangle as CSC for CHOLMOD, from the band.
  cholmod_common cc;
  cholmod_start(&cc);
  cc.supernodal = CHOLMOD_SUPERNODAL;
  cc.nmethods = 1;
  cc.method[0].ordering = CHOLMOD_AMD;
  std::vector<std::int64_t> colptr(static_cast<std::size_t>(n) + 1, 0);
  std::vector<int> rowind;
  std::vector<double> val;
  for (std::int64_t j = 0; j < n; ++j) {
    for (std::int64_t r = 0; r <= std::min(kd, n - 1 - j); ++r) {
      const double a = band.a[static_cast<std::size_t>(j * ld + r)];
      if (r == 0 || a != 0.0) {
        rowind.push_back(static_cast<int>(j + r));
        val.push_back(a);
      }
    }
    colptr[static_cast<std::size_t>(j) + 1] = static_cast<std::int64_t>(rowind.size());
  }
  cholmod_sparse* A = cholmod_allocate_sparse(static_cast<std::size_t>(n), static_cast<std::size_t>(n), val.size(), 1,
                                              1, -1, CHOLMOD_REAL, &cc);
  for (std::int64_t j = 0; j <= n; ++j) static_cast<int*>(A->p)[j] = static_cast<int>(colptr[static_cast<std::size_t>(j)]);
  std::copy(rowind.begin(), rowind.end(), static_cast<int*>(A->i));
  std::copy(val.begin(), val.end(), static_cast<double*>(A->x));

  std::vector<double> rhs(static_cast<std::size_t>(3 * n));
  for (std::int64_t i = 0; i < 3 * n; ++i) rhs[static_cast<std::size_t>(i)] = std::sin(0.001 * static_cast<double>(i));
  cholmod_dense* B = cholmod_allocate_dense(static_cast<std::size_t>(n), 3, static_cast<std::size_t>(n), CHOLMOD_REAL, &cc);
  std::copy(rhs.begin(), rhs.end(), static_cast<double*>(B->x));

  Fastest band_factor, old_solve, new_solve, analyse, factor, solve, ch_analyse, ch_factor, ch_solve;
  std::vector<double> w, x_band, x_sparse;
  double sparse_flops = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    if (with_band) {
    w = band.a;
    t0 = Clock::now();
    bsp::BAND_LLT_DECOMP_PARALLEL(n, ld, w.data(), 2);
    band_factor.take(t0);
    x_band = rhs;
    double c0 = bsp::bench::thread_cpu_seconds();
    for (int c = 0; c < 3; ++c) bsp::BAND_LLT_SOLVE(n, 1, kd, w.data(), x_band.data() + c * n);
    old_solve.take_cpu(c0);
    x_band = rhs;
    c0 = bsp::bench::thread_cpu_seconds();
    bsp::BAND_LLT_SOLVE(n, 3, kd, w.data(), x_band.data(), reach);
    new_solve.take_cpu(c0);
    w = {};
    }

    bsp::SparseSystem sp;
    t0 = Clock::now();
    sp.sym = bsp::sparse_analyse(n, mesh.npe, mesh.n_elements(), mesh.conn.data(), -1);
    analyse.take(t0);
    sparse_flops = sp.sym.flops;
    sp.allocate();
    for (std::int64_t j = 0; j < n; ++j)
      for (std::int64_t r = 0; r <= std::min(kd, n - 1 - j); ++r) {
        const double a = band.a[static_cast<std::size_t>(j * ld + r)];
        if (r == 0 || a != 0.0) sp.at(j + r, j) = a;
      }
    t0 = Clock::now();
    bsp::SPARSE_LLT_DECOMP(sp, 2);
    factor.take(t0);
    x_sparse = rhs;
    t0 = Clock::now();
    bsp::SPARSE_LLT_SOLVE(sp, 3, x_sparse.data(), 2);
    solve.take(t0);

    t0 = Clock::now();
    cholmod_factor* L = cholmod_analyze(A, &cc);
    ch_analyse.take(t0);
    t0 = Clock::now();
    cholmod_factorize(A, L, &cc);
    ch_factor.take(t0);
    t0 = Clock::now();
    cholmod_dense* X = cholmod_solve(CHOLMOD_A, L, B, &cc);
    ch_solve.take(t0);
    cholmod_free_dense(&X, &cc);
    cholmod_free_factor(&L, &cc);
  }
  double diff = 0, scale = 0;
  for (std::size_t i = 0; i < x_band.size() && with_band; ++i) {
    diff = std::max(diff, std::abs(x_band[i] - x_sparse[i]));
    scale = std::max(scale, std::abs(x_band[i]));
  }
  const double band_total = band_factor.s + old_solve.s;
  const double sparse_total = analyse.s + factor.s + solve.s;
  state.counters["nodes"] = static_cast<double>(n);
  state.counters["kd"] = static_cast<double>(kd);
  state.counters["band_ms"] = 1e3 * band_factor.s;
  state.counters["oldsolve_ms"] = 1e3 * old_solve.s;
  state.counters["newsolve_ms"] = 1e3 * new_solve.s;
  state.counters["sp_an_ms"] = 1e3 * analyse.s;
  state.counters["sp_fac_ms"] = 1e3 * factor.s;
  state.counters["sp_sol_ms"] = 1e3 * solve.s;
  state.counters["band_over_sparse"] = band_total / sparse_total;
  state.counters["sparse_over_cholmod"] = (factor.s + solve.s) / (ch_factor.s + ch_solve.s);
  state.counters["sparse_over_cholmod_all"] = sparse_total / (ch_analyse.s + ch_factor.s + ch_solve.s);
  state.counters["old_over_new_solve"] = old_solve.s / new_solve.s;
  state.counters["band_GF"] = 1e-9 * bsp::band_profile_flops(reach);
  state.counters["sparse_GF"] = 1e-9 * sparse_flops;
  state.counters["max_rel_diff"] = diff / scale;
  cholmod_free_dense(&B, &cc);
  cholmod_free_sparse(&A, &cc);
  cholmod_finish(&cc);
}

// Disc of radius r cells, as a staircase of rectangles (rows of cells).
Mesh disc(int r) {
  std::vector<bsp::bench::Rect> rows;
  for (int j = -r; j < r; ++j) {
    const double y = j + 0.5;
    const int half = static_cast<int>(std::sqrt(static_cast<double>(r) * r - y * y));
    rows.push_back({r - half, j + r, 2 * half, 1});
  }
  return bsp::bench::tri6_mesh(rows);
}

}  // namespace

// Sizes: squares of ~3 k, 13 k, 50 k and 200 k nodes; disc ~50 k; I-section
// ~54 k and 213 k (t = 17, 35), channel ~76 k (t = 21).
BENCHMARK_CAPTURE(paths_case, square_3k, bsp::bench::solid_square(27), true)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(paths_case, square_13k, bsp::bench::solid_square(56), true)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(paths_case, square_50k, bsp::bench::solid_square(112), true)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(paths_case, disc_50k, disc(63), true)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(paths_case, channel_76k, bsp::bench::channel(21), true)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(paths_case, i_section_54k, bsp::bench::i_section(17), true)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(paths_case, i_section_213k, bsp::bench::i_section(35), true)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(paths_case, square_200k, bsp::bench::solid_square(224), true)->Iterations(1)->Unit(benchmark::kMillisecond);

// The largest square once more without the band (tens of seconds there):
// the sparse path against CHOLMOD alone.
BENCHMARK_CAPTURE(paths_case, square_200k_sparse_only, bsp::bench::solid_square(224), false)
    ->Iterations(2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
