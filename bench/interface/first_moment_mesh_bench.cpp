// BSPFirstMomentOfAreaMesh against BSPMeshMain (analysis level 0) on the same
// 10 x 6 rectangle at the same element sizes: both mesh the outline, one in
// 3-node triangles and a sum over them, the other in 6-node triangles and a
// solve. The ratio of their CPU times, fastest of the iterations, measured in
// the same iteration, is the figure to read; the first-moment export should
// cost a small fraction of the section export.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <limits>
#include <vector>

#include "bsp/bsp.h"

namespace {

double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

void FirstMomentOverMeshMain(benchmark::State& state) {
  const double h = 1.0 / static_cast<double>(state.range(0));
  const double py[4] = {0, 10, 10, 0}, pz[4] = {0, 0, 6, 6}, e = 1.0, nu = 0.0, w = 1.0, ref = 0.0;
  const std::int32_t seg[8] = {1, 2, 2, 3, 3, 4, 4, 1}, one = 1, none = 0, four = 4, zero = 0;
  std::vector<double> result(38);
  double fm[3];
  double best_fm = std::numeric_limits<double>::max(), best_main = best_fm;
  for (auto _ : state) {
    const double t0 = cpu_seconds();
    if (BSPFirstMomentOfAreaMesh(&fm[0], &fm[1], &fm[2], &ref, &ref, &one, &none, nullptr, nullptr, nullptr, &e, &e,
                                 nullptr, &four, py, pz, &four, seg, &h) != 0)
      state.SkipWithError("BSPFirstMomentOfAreaMesh failed");
    const double t1 = cpu_seconds();
    if (BSPMeshMain(result.data(), nullptr, &one, &none, nullptr, nullptr, nullptr, &zero, nullptr, nullptr, &e, &nu,
                    &e, &nu, nullptr, &w, &w, nullptr, &four, py, pz, &four, seg, &h, &zero, &zero, &zero) != 0)
      state.SkipWithError("BSPMeshMain failed");
    const double t2 = cpu_seconds();
    best_fm = std::min(best_fm, t1 - t0);
    best_main = std::min(best_main, t2 - t1);
    benchmark::DoNotOptimize(fm);
  }
  state.counters["fm_over_mesh_main"] = best_fm / best_main;
  state.counters["triangles_est"] = 2.0 * 60.0 / (h * h);
}
BENCHMARK(FirstMomentOverMeshMain)->Arg(2)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
