// BSPCombMain on structured meshes of about 1e3, 1e4 and 1e5 nodes, and where
// its time goes: merging the parts, building the model (element set-up,
// renumbering, band sizing, geometry), renumbering alone, the band's
// allocation alone, assembly of one domain matrix, factorisation and
// substitution.
//
// The baseline is the factorisation plus the substitution of the three
// right-hand sides a call solves (two shear functions, one warping function),
// measured in the same process on the same band. Every other phase is
// reported as a ratio to it, and each phase's time per node is reported so
// that growth with the mesh size can be read across the three sizes. The band
// holds (kd + 1) n doubles, so allocating and zeroing it grows like n kd, the
// storage of the factor; "model - band" is the rest of the model build, which
// should cost the same per node at every size.
//
// The sections: rectangles a x 1 meshed as 3-node triangles in two parts
// (left and right half, sharing their interface), as a host would send it; a
// slender one (a = 10), whose band stays narrow, and a compact one (a = 2),
// whose band grows like the square root of the node count. BM_CombMainFamily
// times the call alone on the usual section families (square, disc, I,
// channel, box, angle, tee) at about 3 k, 13 k, 50 k and 200 k merged nodes;
// scripts/compare_paths runs it, or any other filter, in both programs and
// sets times and results side by side. Run with
// OMP_WAIT_POLICY=passive on a shared machine: spinning workers of a
// descheduled team otherwise dominate the factorisation's time.
#include <benchmark/benchmark.h>
#include <omp.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <cstdint>
#include <vector>

#include "bsp/bsp.h"
#include "solver/bench_meshes.h"
#include "geometry/merge_section.h"
#include "interface/thread_count.h"
#include "solver/band_llt.h"
#include "solver/domain_solve.h"
#include "solver/model.h"
#include "solver/rcm.h"
#include "solver/solver_entries.h"

namespace {

using bsp::bench::HostMesh;
using bsp::bench::rectangle_in_two_parts;
using bsp::bench::SectionFamily;

std::int32_t comb_main(const HostMesh& m, std::vector<double>& result, std::vector<double>& coords) {
  const std::int32_t n_nodes = static_cast<std::int32_t>(m.y.size()), n_sp = 0;
  const std::int32_t n_elements = static_cast<std::int32_t>(m.material.size()), n_materials = 1;
  const std::int32_t n_parts = static_cast<std::int32_t>(m.part_nodes.size());
  const std::int32_t n_bars = 0, level = 1, reference = 0, six = 0;
  const double e_ref = 210000.0, nu_ref = 0.3, w_ref = 1.0, e = 210000.0, nu = 0.3, w = 1.0;
  return BSPCombMain(result.data(), coords.data(), &n_nodes, &n_sp, &n_elements, &n_materials, &n_parts, m.y.data(),
                     m.z.data(), nullptr, nullptr, m.connectivity.data(), m.material.data(), m.part_nodes.data(),
                     m.part_elements.data(), &e_ref, &nu_ref, &w_ref, &e, &nu, &w, &n_bars, nullptr, nullptr, nullptr,
                     nullptr, nullptr, &level, &reference, &six);
}

bsp::MergedSection merge(const HostMesh& m) {
  return bsp::merge_section({m.y, m.z, m.connectivity, m.material, m.part_elements, 3});
}

bsp::SolverInput solver_input(const bsp::MergedSection& s, const double& e, const double& nu, int threads) {
  bsp::SolverInput in;
  in.k = 6;
  in.domain_elements = s.component_element_count;
  in.domain_nodes = s.component_node_count;
  in.node_x = s.x;
  in.node_y = s.y;
  in.connectivity = s.connectivity;
  in.material_numbers = s.element_material;
  in.n_materials = 1;
  in.materials.E_ref = e;
  in.materials.nu_ref = nu;
  in.materials.w_ref = 1.0;
  in.materials.E = std::span<const double>(&e, 1);
  in.materials.nu = std::span<const double>(&nu, 1);
  in.thread_count = threads;
  return in;
}

using Clock = std::chrono::steady_clock;
double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// The machine is shared: each phase keeps its fastest time over the
// iterations, the one least disturbed by other work.
struct Fastest {
  double seconds = std::numeric_limits<double>::infinity();
  void take(Clock::time_point t0) { seconds = std::min(seconds, seconds_since(t0)); }
};

// Times the call on m and reports the merged node count, the time per node
// and the results that depend on the linear solves, to set the two solver
// paths against each other (comb_main_bench against comb_main_band_bench);
// --benchmark_format=json prints them with all digits. A, I1 and I2 do not
// depend on the solves: they give the scale against which a result that is
// zero by symmetry is compared. sparse_domains counts the domains the call
// puts on the sparse path, from a model built once more after the timing.
void time_call(benchmark::State& state, const HostMesh& m) {
  std::vector<double> result(43), coords;
  for (auto _ : state) benchmark::DoNotOptimize(comb_main(m, result, coords));
  const bsp::MergedSection s = merge(m);
  const auto nodes = s.node_count();
  {
    const double e = 210000.0, nu = 0.3;
    const bsp::ThreadCountGuard threads;
    const bsp::T_MULTI_DOMAIN model = bsp::build_model(solver_input(s, e, nu, threads.threads()), {});
    const auto sparse = std::count_if(model.domains.begin(), model.domains.end(),
                                      [](const auto& d) { return d.path == bsp::LinearSolverPath::sparse; });
    state.counters["domains"] = static_cast<double>(model.domains.size());
    state.counters["sparse_domains"] = static_cast<double>(sparse);
  }
  state.counters["nodes"] = nodes;
  state.counters["A"] = result[BSP_SLOT_AREA];
  state.counters["I1"] = result[BSP_SLOT_I1];
  state.counters["I2"] = result[BSP_SLOT_I2];
  state.counters["J"] = result[BSP_SLOT_TORSION_CONSTANT];
  state.counters["Iw"] = result[BSP_SLOT_WARPING_CONSTANT];
  state.counters["alpha_y"] = result[BSP_SLOT_ALPHA_Y];
  state.counters["alpha_z"] = result[BSP_SLOT_ALPHA_Z];
  state.counters["c_minus_sc_y"] = result[BSP_SLOT_CENTROID_MINUS_SC_Y];
  state.counters["c_minus_sc_z"] = result[BSP_SLOT_CENTROID_MINUS_SC_Z];
  state.counters["ns_per_node"] = benchmark::Counter(static_cast<double>(nodes) * 1e-9,
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

void BM_CombMain(benchmark::State& state) {
  time_call(state, rectangle_in_two_parts(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
  // Peak resident memory of the whole process so far: meaningful for the
  // largest case run alone (--benchmark_filter), which is how it is read.
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Arguments: family (bsp::bench::SectionFamily), thousands of merged nodes.
void BM_CombMainFamily(benchmark::State& state) {
  const auto family = static_cast<SectionFamily>(state.range(0));
  time_call(state, bsp::bench::section_in_two_parts(family, 1000.0 * static_cast<double>(state.range(1))));
  state.SetLabel(bsp::bench::section_family_name(family));
}

std::vector<std::int64_t> all_families() {
  std::vector<std::int64_t> f;
  for (int i = 0; i < bsp::bench::section_family_count; ++i) f.push_back(i);
  return f;
}

// One iteration runs every phase once, timed separately; counters give each
// phase relative to factorisation + substitution and per node.
void BM_CombMainBreakdown(benchmark::State& state) {
  const HostMesh m = rectangle_in_two_parts(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const double e = 210000.0, nu = 0.3;
  const bsp::ThreadCountGuard threads;
  Fastest call, merge_phase, model_phase, rcm, band, assembly, factor, solve;
  std::int64_t nodes = 0, kd = 0;
  std::vector<double> result(43), coords;
  for (auto _ : state) {
    auto t0 = Clock::now();
    benchmark::DoNotOptimize(comb_main(m, result, coords));
    call.take(t0);

    t0 = Clock::now();
    const bsp::MergedSection s = merge(m);
    merge_phase.take(t0);
    nodes = s.node_count();

    std::vector<std::int32_t> local(s.connectivity.begin(), s.connectivity.end());  // one component: local = global
    t0 = Clock::now();
    bsp::RCM_RENUMBER(nodes, 6, s.element_count(), local.data());
    rcm.take(t0);

    const bsp::SolverInput in = solver_input(s, e, nu, threads.threads());
    t0 = Clock::now();
    bsp::T_MULTI_DOMAIN model = bsp::build_model(in, {});
    model_phase.take(t0);

    // The phases below follow the band path, whichever path the model chose.
    bsp::T_SINGLE_DOMAIN& d = model.domains.front();
    bsp::prepare_domain_system(d, bsp::LinearSolverRequest::band);
    {
      bsp::BandSystem fresh;
      t0 = Clock::now();
      fresh.allocate(d.band.n, d.band.kd);
      // A large band arrives as a fresh mapping whose pages are faulted in at
      // first touch; touch one double per 4 KiB so that the phase keeps that
      // cost instead of passing it to the assembly.
      for (std::size_t i = 0; i < fresh.band.size(); i += 512) fresh.band[i] = 0.0;
      band.take(t0);
      benchmark::DoNotOptimize(fresh.band.data());
    }
    t0 = Clock::now();
    bsp::with_elements(model, [&](auto elements) {
      bsp::assemble_domain_matrix(d, elements, [](const auto& el) { return bsp::field_coefficient(el); });
    });
    assembly.take(t0);
    kd = d.band.kd;

    t0 = Clock::now();
    bsp::BAND_LLT_DECOMP_PARALLEL(d.band.n, d.band.kd + 1, d.band.band.data(), threads.threads());
    factor.take(t0);

    std::vector<double> rhs(static_cast<std::size_t>(3 * d.band.n), 1.0);
    t0 = Clock::now();
    bsp::BAND_LLT_SOLVE(d.band.n, 2, d.band.kd, d.band.band.data(), rhs.data());
    bsp::BAND_LLT_SOLVE(d.band.n, 1, d.band.kd, d.band.band.data(), rhs.data() + 2 * d.band.n);
    solve.take(t0);
    benchmark::DoNotOptimize(rhs.data());
  }
  const double t_call = call.seconds, t_merge = merge_phase.seconds, t_model = model_phase.seconds;
  const double t_rcm = rcm.seconds, t_band = band.seconds, t_assembly = assembly.seconds;
  const double t_factor = factor.seconds, t_solve = solve.seconds;
  const double baseline = t_factor + t_solve;
  // One domain without inverted elements: the call builds the model once,
  // assembles and factorises once (torsion reuses the shear factor) and
  // solves three right-hand sides; the rest is loads, stresses and results.
  const double rest = t_call - (t_merge + t_model + t_assembly + baseline);
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["kd"] = static_cast<double>(kd);
  state.counters["threads"] = threads.threads();
  state.counters["call/base"] = t_call / baseline;
  state.counters["merge/base"] = t_merge / baseline;
  state.counters["model/base"] = t_model / baseline;
  state.counters["rcm/base"] = t_rcm / baseline;
  state.counters["band/base"] = t_band / baseline;
  state.counters["assembly/base"] = t_assembly / baseline;
  state.counters["factor/base"] = t_factor / baseline;
  state.counters["solve/base"] = t_solve / baseline;
  state.counters["rest/base"] = rest / baseline;
  const double per_node = 1e9 / static_cast<double>(nodes);
  state.counters["merge_ns/node"] = t_merge * per_node;
  state.counters["model_ns/node"] = t_model * per_node;
  state.counters["model-band_ns/node"] = (t_model - t_band) * per_node;
  state.counters["band_ns/node"] = t_band * per_node;
  state.counters["assembly_ns/node"] = t_assembly * per_node;
  state.counters["factor_ns/node"] = t_factor * per_node;
  state.counters["rest_ns/node"] = rest * per_node;
}

// Arguments: cells across the depth, aspect ratio.
BENCHMARK(BM_CombMain)
    ->Args({5, 10})->Args({16, 10})->Args({50, 10})->Args({11, 2})->Args({35, 2})->Args({112, 2})
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
// Squares of 3 k to 200 k nodes, for the growth of the time per node and the
// peak memory (comb_main_band_bench runs the same cases on the band path).
BENCHMARK(BM_CombMain)
    ->Args({27, 1})->Args({56, 1})->Args({112, 1})->Args({224, 1})->Iterations(1)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
// Every family at four sizes. The band path takes seconds on the compact
// 200 k sections: one iteration from 50 k nodes on keeps a run of all 28
// cases in each program to a couple of minutes; the small cases take enough
// iterations (a few tenths of a second) to average over the machine's noise.
BENCHMARK(BM_CombMainFamily)->ArgNames({"family", "knodes"})->ArgsProduct({all_families(), {3}})->Iterations(30)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_CombMainFamily)->ArgNames({"family", "knodes"})->ArgsProduct({all_families(), {13}})->Iterations(5)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_CombMainFamily)->ArgNames({"family", "knodes"})->ArgsProduct({all_families(), {50, 200}})
    ->Iterations(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_CombMainBreakdown)->Args({5, 10})->Args({11, 2})->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CombMainBreakdown)->Args({16, 10})->Args({35, 2})->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CombMainBreakdown)->Args({50, 10})->Args({112, 2})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
