// Renumbering cost on structured quadrilateral grids of 10^4, 10^5 and 10^6
// nodes, numbered row by row (/0) or scrambled (/1). The three sizes are timed in the same iteration (thread CPU time),
// so the growth of the per-node cost is a ratio within one run:
//   ns_per_node_<size>     renumbering time per node
//   growth_<size>          per-node cost relative to the 10^4-node grid
//                          (an O(n log n) or better method stays near 1)
//   kd_over_side_<size>    half-bandwidth after renumbering / grid side m
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "solver/bench_meshes.h"
#include "solver/rcm.h"

namespace {

using bsp::bench::median;
using bsp::bench::thread_cpu_seconds;

void BM_RcmGrowth(benchmark::State& state) {
  const int sides[] = {100, 317, 1000};  // 10^4, ~10^5, 10^6 nodes
  std::vector<bsp::bench::Mesh> grids;
  std::mt19937 rng(5);
  for (int m : sides) {
    bsp::bench::Mesh g = bsp::bench::quad_grid(m);
    if (state.range(0) == 1) {
      // Scrambled incoming numbering: nothing to profit from in the order a
      // generator produces, and every adjacency access is a cache miss once
      // the mesh outgrows the caches.
      std::vector<std::int32_t> label(static_cast<std::size_t>(g.n_nodes));
      for (std::size_t i = 0; i < label.size(); ++i) label[i] = static_cast<std::int32_t>(i + 1);
      std::shuffle(label.begin(), label.end(), rng);
      for (auto& v : g.conn) v = label[static_cast<std::size_t>(v - 1)];
    }
    grids.push_back(std::move(g));
  }
  std::vector<std::vector<double>> per_node(3);
  std::vector<std::int64_t> kd(3);
  for (auto _ : state) {
    double total = 0;
    for (int s = 0; s < 3; ++s) {
      std::vector<std::int32_t> conn = grids[s].conn;
      const double t0 = thread_cpu_seconds();
      bsp::RCM_RENUMBER(grids[s].n_nodes, grids[s].npe, grids[s].n_elements(), conn.data());
      const double t = thread_cpu_seconds() - t0;
      total += t;
      per_node[s].push_back(t / static_cast<double>(grids[s].n_nodes));
      kd[s] = bsp::BANDWIDTH(grids[s].npe, grids[s].n_elements(), conn.data());
      benchmark::DoNotOptimize(conn.data());
    }
    state.SetIterationTime(total);
  }
  const char* names[] = {"1e4", "1e5", "1e6"};
  const double base = median(per_node[0]);
  for (int s = 0; s < 3; ++s) {
    state.counters[std::string("ns_per_node_") + names[s]] = 1e9 * median(per_node[s]);
    state.counters[std::string("growth_") + names[s]] = median(per_node[s]) / base;
    state.counters[std::string("kd_over_side_") + names[s]] = static_cast<double>(kd[s]) / sides[s];
  }
}
// Argument 0: the generator's row-by-row numbering; 1: scrambled.
BENCHMARK(BM_RcmGrowth)->Arg(0)->Arg(1)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
#if defined(__OPTIMIZE__) && defined(NDEBUG)
  benchmark::AddCustomContext("build_type", "optimised, NDEBUG");
#elif defined(__OPTIMIZE__)
  benchmark::AddCustomContext("build_type", "optimised, assertions on");
#else
  benchmark::AddCustomContext("build_type", "unoptimised");
#endif
  benchmark::AddCustomContext("threads", "1 (the renumbering is serial)");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
