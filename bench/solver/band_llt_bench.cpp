// Band factorisation speed against LAPACK's dpbtrf (OpenBLAS) on the same
// matrices, in the same process, interleaved iteration by iteration so a busy
// machine slows both alike. Reported per case (medians over iterations):
//   serial_vs_dpbtrf   BAND_LLT_DECOMP / dpbtrf, one thread each, in thread
//                      CPU time (robust when other work shares the cores)
//   par2_vs_serial     BAND_LLT_DECOMP_PARALLEL on 2 threads / serial, in wall
//                      time (meaningful only on an otherwise idle machine)
//   GFlops             n*kd^2 / serial time, the analytic count of a full band
//   max_diff           largest |L_ours - L_dpbtrf| / max L(j,j), first iteration
//   solve_vs_dpbtrs    BAND_LLT_SOLVE / dpbtrs on each one's factor, three
//                      right-hand sides (the shear analysis's two shear
//                      functions and warping load), whole band, thread CPU time
#include <benchmark/benchmark.h>
#include <omp.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

#include "solver/band_llt.h"
#include "solver/bench_meshes.h"

#ifdef BSP_BENCH_HAVE_OPENBLAS
extern "C" {
void dpbtrf_(const char* uplo, const int* n, const int* kd, double* ab, const int* ldab, int* info, std::size_t);
void dpbtrs_(const char* uplo, const int* n, const int* kd, const int* nrhs, const double* ab, const int* ldab,
             double* b, const int* ldb, int* info, std::size_t);
void openblas_set_num_threads(int);
}
#endif

namespace {

using bsp::bench::BandMatrix;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

using bsp::bench::median;
using bsp::bench::thread_cpu_seconds;
template <class Make>
void factor_case(benchmark::State& state, Make make) {
  const BandMatrix m = make();
  std::vector<double> w(m.a.size()), reference;
  std::vector<double> serial, serial_cpu, par2, blas, solve, blas_solve;
  constexpr std::int64_t nrhs = 3;
  std::vector<double> rhs(static_cast<std::size_t>(nrhs * m.n)), x;
  for (std::size_t i = 0; i < rhs.size(); ++i) rhs[i] = std::sin(0.37 * static_cast<double>(i));
  double max_diff = 0;
  for (auto _ : state) {
    std::copy(m.a.begin(), m.a.end(), w.begin());
    auto t0 = Clock::now();
    double c0 = thread_cpu_seconds();
    bsp::BAND_LLT_DECOMP(m.n, m.kd, w.data());
    serial_cpu.push_back(thread_cpu_seconds() - c0);
    serial.push_back(seconds_since(t0));
    benchmark::DoNotOptimize(w.data());
    if (reference.empty()) reference = w;
    x = rhs;
    c0 = thread_cpu_seconds();
    bsp::BAND_LLT_SOLVE(m.n, nrhs, m.kd, reference.data(), x.data());
    solve.push_back(thread_cpu_seconds() - c0);
    benchmark::DoNotOptimize(x.data());

    std::copy(m.a.begin(), m.a.end(), w.begin());
    t0 = Clock::now();
    bsp::BAND_LLT_DECOMP_PARALLEL(m.n, m.kd + 1, w.data(), 2);
    par2.push_back(seconds_since(t0));
    benchmark::DoNotOptimize(w.data());

#ifdef BSP_BENCH_HAVE_OPENBLAS
    std::copy(m.a.begin(), m.a.end(), w.begin());
    const int n = static_cast<int>(m.n), kd = static_cast<int>(m.kd), ldab = kd + 1;
    int info = 0;
    c0 = thread_cpu_seconds();
    dpbtrf_("L", &n, &kd, w.data(), &ldab, &info, 1);
    blas.push_back(thread_cpu_seconds() - c0);
    benchmark::DoNotOptimize(w.data());
    x = rhs;
    const int nrhs32 = static_cast<int>(nrhs);
    c0 = thread_cpu_seconds();
    dpbtrs_("L", &n, &kd, &nrhs32, w.data(), &ldab, x.data(), &n, &info, 1);
    blas_solve.push_back(thread_cpu_seconds() - c0);
    benchmark::DoNotOptimize(x.data());
    if (max_diff == 0) {
      double diag = 0;
      for (std::int64_t j = 0; j < m.n; ++j) diag = std::max(diag, std::abs(reference[j * (m.kd + 1)]));
      for (std::int64_t j = 0; j < m.n; ++j)
        for (std::int64_t r = 0; r <= std::min(m.kd, m.n - 1 - j); ++r) {
          const std::size_t k = static_cast<std::size_t>(j * (m.kd + 1) + r);
          max_diff = std::max(max_diff, std::abs(reference[k] - w[k]) / diag);
        }
    }
#endif
    state.SetIterationTime(serial.back());
  }
  const double ts = median(serial);
  state.counters["n"] = static_cast<double>(m.n);
  state.counters["kd"] = static_cast<double>(m.kd);
  state.counters["mean_profile"] = m.mean_profile;
  state.counters["serial_ms"] = 1e3 * ts;
  state.counters["par2_ms"] = 1e3 * median(par2);
  state.counters["par2_vs_serial"] = median(par2) / ts;
  const double tc = median(serial_cpu);
  state.counters["serial_cpu_ms"] = 1e3 * tc;
  state.counters["solve_cpu_ms"] = 1e3 * median(solve);
  state.counters["GFlops"] = static_cast<double>(m.n) * static_cast<double>(m.kd) * static_cast<double>(m.kd) / tc * 1e-9;
  if (!blas.empty()) {
    state.counters["dpbtrf_cpu_ms"] = 1e3 * median(blas);
    state.counters["serial_vs_dpbtrf"] = tc / median(blas);
    state.counters["max_diff"] = max_diff;
    state.counters["solve_vs_dpbtrs"] = median(solve) / median(blas_solve);
  }
}

void register_cases() {
  struct Dense {
    std::int64_t n, kd;
    int iterations;
  };
  // The 200 000 x 500 band takes seconds per factorisation: two rounds only.
  for (const Dense d : {Dense{5000, 75, 15}, Dense{50000, 250, 5}, Dense{200000, 500, 2}}) {
    const std::string name = "DenseBand/" + std::to_string(d.n) + "/" + std::to_string(d.kd);
    benchmark::RegisterBenchmark(name.c_str(), [d](benchmark::State& s) {
      factor_case(s, [d] { return bsp::bench::random_band(d.n, d.kd); });
    })->Iterations(d.iterations)->UseManualTime()->Unit(benchmark::kMillisecond);
  }
  // Plate thickness in cells -> about 4 400, 14 300 and 50 900 nodes; the
  // square's side gives 5 041, 14 884 and 49 729 nodes.
  struct Shape {
    const char* name;
    bsp::bench::Mesh (*make)(int);
    int size[3];
  };
  for (const Shape sh : {Shape{"ISection", bsp::bench::i_section, {5, 9, 17}},
                         Shape{"Channel", bsp::bench::channel, {5, 9, 17}},
                         Shape{"SolidSquare", bsp::bench::solid_square, {35, 61, 111}}})
    for (int k = 0; k < 3; ++k) {
      const int size = sh.size[k];
      const auto make = sh.make;
      const std::string name = std::string("Mesh/") + sh.name + "/" + std::to_string(size);
      benchmark::RegisterBenchmark(name.c_str(), [make, size](benchmark::State& s) {
        factor_case(s, [make, size] { return bsp::bench::laplace_band(make(size)); });
      })->Iterations(k == 2 ? 7 : 15)->UseManualTime()->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
#ifdef BSP_BENCH_HAVE_OPENBLAS
  openblas_set_num_threads(1);  // the serial comparison is one thread against one thread
  benchmark::AddCustomContext("dpbtrf", "OpenBLAS, 1 thread");
#else
  benchmark::AddCustomContext("dpbtrf", "not linked");
#endif
#if defined(__OPTIMIZE__) && defined(NDEBUG)
  benchmark::AddCustomContext("build_type", "optimised, NDEBUG");
#elif defined(__OPTIMIZE__)
  benchmark::AddCustomContext("build_type", "optimised, assertions on");
#else
  benchmark::AddCustomContext("build_type", "unoptimised");
#endif
  benchmark::AddCustomContext("threads", "serial 1, parallel 2, omp_get_max_threads " +
                                             std::to_string(omp_get_max_threads()));
  register_cases();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
