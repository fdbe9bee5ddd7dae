// The meshed-section validity checks (element shape, then overlapping
// elements and hanging nodes on a grid of element boxes) against the
// BSPCombMain call they guard, on the same host mesh in the same process.
// Reported: the checks' time as a share of a level-1 call (the budget is
// 10 %), and their time per node, which should stay flat from 1e4 to 1e5
// nodes if the grid keeps the checks linear.
//
// The sections: rectangles a x 1 meshed as 3-node triangles in two parts
// sharing their interface, as a host sends them; a slender one (a = 10),
// whose narrow band makes the call cheap and so the share largest, and a
// compact one (a = 2). Each phase keeps its fastest time over the
// iterations, the one least disturbed on a shared machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <vector>

#include "bsp/bsp.h"
#include "solver/bench_meshes.h"
#include "geometry/merge_section.h"
#include "geometry/mesh_validity.h"
#include "interface/meshed_parts_driver.h"

namespace {

using bsp::bench::HostMesh;
using bsp::bench::rectangle_in_two_parts;

std::int32_t comb_main(const HostMesh& m, std::vector<double>& result) {
  const std::int32_t n_nodes = static_cast<std::int32_t>(m.y.size()), n_sp = 0;
  const std::int32_t n_elements = static_cast<std::int32_t>(m.material.size()), n_materials = 1, n_parts = 2;
  const std::int32_t n_bars = 0, level = 1, reference = 0, six = 0;
  const double e_ref = 210000.0, nu_ref = 0.3, w_ref = 1.0, e = 210000.0, nu = 0.3, w = 1.0;
  return BSPCombMain(result.data(), nullptr, &n_nodes, &n_sp, &n_elements, &n_materials, &n_parts, m.y.data(),
                     m.z.data(), nullptr, nullptr, m.connectivity.data(), m.material.data(), m.part_nodes.data(),
                     m.part_elements.data(), &e_ref, &nu_ref, &w_ref, &e, &nu, &w, &n_bars, nullptr, nullptr, nullptr,
                     nullptr, nullptr, &level, &reference, &six);
}

using Clock = std::chrono::steady_clock;
struct Fastest {
  double seconds = std::numeric_limits<double>::infinity();
  void take(Clock::time_point t0) {
    seconds = std::min(seconds, std::chrono::duration<double>(Clock::now() - t0).count());
  }
};

void BM_ValidityShareOfCombMain(benchmark::State& state) {
  const HostMesh m = rectangle_in_two_parts(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const bsp::MergedSection s = bsp::merge_section({m.y, m.z, m.connectivity, m.material, m.part_elements, 3});
  std::vector<double> result(43);
  Fastest call, shape, overlap;
  for (auto _ : state) {
    auto t0 = Clock::now();
    if (comb_main(m, result) != BSP_OK) state.SkipWithError("BSPCombMain failed");
    call.take(t0);
    t0 = Clock::now();
    benchmark::DoNotOptimize(bsp::find_misshapen_element(s));
    shape.take(t0);
    t0 = Clock::now();
    benchmark::DoNotOptimize(bsp::find_mesh_fault(s, true));
    overlap.take(t0);
  }
  const double checks = shape.seconds + overlap.seconds;
  const double per_node = 1e9 / static_cast<double>(s.node_count());
  state.counters["nodes"] = s.node_count();
  state.counters["checks/call"] = checks / call.seconds;
  state.counters["shape/call"] = shape.seconds / call.seconds;
  state.counters["overlap+hanging/call"] = overlap.seconds / call.seconds;
  state.counters["checks_ns/node"] = checks * per_node;
}

// Arguments: cells across the depth, aspect ratio.
BENCHMARK(BM_ValidityShareOfCombMain)->Args({16, 10})->Args({35, 2})->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValidityShareOfCombMain)->Args({50, 10})->Args({112, 2})->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
