// BSPCombMain of this build set against another build of the library, both
// loaded into this one process: each iteration calls the two on the same
// mesh, one after the other, so that a spell of load on the machine (or of
// memory that the machine's host has yet to provide) falls on both alike,
// and the ratio is measured in one run. The other build is named by the
// environment variable BSP_BASELINE_LIBRARY, the path of its libbsp.so;
// scripts/compare_with_commit builds one from an earlier commit and runs
// this program against it.
//
// Counters per case: the median wall time of a call of each library
// (own_ms, baseline_ms) over the iterations, and baseline_ms / own_ms. The
// first call of each library in the process is left out of the medians
// (first_own_ms, first_baseline_ms report it): it also pays for mapping
// memory the process has not had yet, which later calls of a host reuse.
// The results J and Iw of both are reported, so that a difference shows.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "bsp/bsp.h"
#include "solver/bench_meshes.h"

namespace {

using bsp::bench::HostMesh;
using CombMain = decltype(&BSPCombMain);

// One build of the library, loaded privately so that two builds' symbols
// never meet.
struct Library {
  void* handle = nullptr;
  CombMain comb_main = nullptr;

  explicit Library(const char* path) {
    if (path == nullptr || *path == '\0') return;
    handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) comb_main = reinterpret_cast<CombMain>(dlsym(handle, "BSPCombMain"));
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  ~Library() {
    if (handle != nullptr) dlclose(handle);
  }
};

const Library& own() {
  static const Library library(BSP_OWN_LIBRARY);
  return library;
}
const Library& baseline() {
  static const Library library(std::getenv("BSP_BASELINE_LIBRARY"));
  return library;
}

// Calls f on m; returns the wall time in milliseconds, or -1 when the call failed.
double timed_call(CombMain f, const HostMesh& m, std::vector<double>& result) {
  const std::int32_t n_nodes = static_cast<std::int32_t>(m.y.size()), n_sp = 0;
  const std::int32_t n_elements = static_cast<std::int32_t>(m.material.size()), n_materials = 1;
  const std::int32_t n_parts = static_cast<std::int32_t>(m.part_nodes.size());
  const std::int32_t n_bars = 0, level = 1, reference = 0, six = 0;
  const double e_ref = 210000.0, nu_ref = 0.3, w_ref = 1.0, e = 210000.0, nu = 0.3, w = 1.0;
  std::vector<double> coords(2);
  const auto t0 = std::chrono::steady_clock::now();
  const std::int32_t rc =
      f(result.data(), coords.data(), &n_nodes, &n_sp, &n_elements, &n_materials, &n_parts, m.y.data(), m.z.data(),
        nullptr, nullptr, m.connectivity.data(), m.material.data(), m.part_nodes.data(), m.part_elements.data(), &e_ref,
        &nu_ref, &w_ref, &e, &nu, &w, &n_bars, nullptr, nullptr, nullptr, nullptr, nullptr, &level, &reference, &six);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  return rc == 0 ? ms : -1.0;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

void versus(benchmark::State& state, const HostMesh& m) {
  if (own().comb_main == nullptr) {
    state.SkipWithError("this build's libbsp.so did not load");
    return;
  }
  if (baseline().comb_main == nullptr) {
    state.SkipWithError("set BSP_BASELINE_LIBRARY to the libbsp.so to compare with");
    return;
  }
  std::vector<double> own_result(43), baseline_result(43), own_ms, baseline_ms;
  const double first_own = timed_call(own().comb_main, m, own_result);
  const double first_baseline = timed_call(baseline().comb_main, m, baseline_result);
  for (auto _ : state) {
    // Alternate which goes first, so that neither always inherits the
    // other's freed memory.
    const bool own_first = own_ms.size() % 2 == 0;
    if (own_first) own_ms.push_back(timed_call(own().comb_main, m, own_result));
    baseline_ms.push_back(timed_call(baseline().comb_main, m, baseline_result));
    if (!own_first) own_ms.push_back(timed_call(own().comb_main, m, own_result));
  }
  if (first_own < 0 || first_baseline < 0 || *std::min_element(own_ms.begin(), own_ms.end()) < 0 ||
      *std::min_element(baseline_ms.begin(), baseline_ms.end()) < 0) {
    state.SkipWithError("a call failed");
    return;
  }
  const double a = median(own_ms), b = median(baseline_ms);
  state.counters["nodes"] = static_cast<double>(m.y.size());
  state.counters["own_ms"] = a;
  state.counters["baseline_ms"] = b;
  state.counters["baseline/own"] = b / a;
  state.counters["first_own_ms"] = first_own;
  state.counters["first_baseline_ms"] = first_baseline;
  state.counters["first_baseline/own"] = first_baseline / first_own;
  state.counters["J_own"] = own_result[BSP_SLOT_TORSION_CONSTANT];
  state.counters["J_baseline"] = baseline_result[BSP_SLOT_TORSION_CONSTANT];
  state.counters["Iw_own"] = own_result[BSP_SLOT_WARPING_CONSTANT];
  state.counters["Iw_baseline"] = baseline_result[BSP_SLOT_WARPING_CONSTANT];
}

// Arguments: cells across the square's side (the squares of comb_main_bench).
void BM_VersusSquare(benchmark::State& state) {
  versus(state, bsp::bench::rectangle_in_two_parts(static_cast<int>(state.range(0)), 1));
}

// Arguments: family (bsp::bench::SectionFamily), thousands of merged nodes.
void BM_VersusFamily(benchmark::State& state) {
  const auto family = static_cast<bsp::bench::SectionFamily>(state.range(0));
  versus(state, bsp::bench::section_in_two_parts(family, 1000.0 * static_cast<double>(state.range(1))));
  state.SetLabel(bsp::bench::section_family_name(family));
}

std::vector<std::int64_t> all_families() {
  std::vector<std::int64_t> f;
  for (int i = 0; i < bsp::bench::section_family_count; ++i) f.push_back(i);
  return f;
}

// The squares of 3 k, 13 k, 50 k and 200 k nodes; then every family at
// 3 k and 50 k nodes, the I-section at 213 k and the channel at 76 k.
// Iteration counts keep each case to seconds with a band-only baseline.
BENCHMARK(BM_VersusSquare)->Arg(27)->Arg(56)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VersusSquare)->Arg(112)->Iterations(9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VersusSquare)->Arg(224)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VersusFamily)->ArgNames({"family", "knodes"})->ArgsProduct({all_families(), {3}})->Iterations(20)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VersusFamily)->ArgNames({"family", "knodes"})->ArgsProduct({all_families(), {50}})->Iterations(7)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VersusFamily)->ArgNames({"family", "knodes"})->Args({2, 213})->Args({3, 76})->Iterations(5)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
