// Standard-section solver per type, split into its phases and reported as
// ratios measured in the same iteration (thread CPU time, one thread, medians
// over iterations), so a busy machine scales all phases alike:
//   mesh_per_factor    validation and block meshing / factorisation
//   setup_per_factor   model set-up (elements, RCM, choice of the linear
//                      solver, its storage, geometric integrals) /
//                      factorisation
//   mesh_setup_per_factor  the two together / factorisation; below 1
//                      means the fixed-size block mesh costs less than one
//                      factorisation of the shear problem
//   factor_share       factorisation / the whole SOLVE_STANDARD_SECTION call
//   rest_share         everything else of the call (assembly, solves,
//                      integration of results, plastic moduli) / the call
// The factorisation timed is the one the shear analysis needs, on the path
// the domain takes (linear_solver_choice.h): the assembled band factorised
// serially, or the sparse factor of the solid types (1, 17) that choose it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <vector>

#include "solver/bench_meshes.h"
#include "solver/block_mesher.h"
#include "solver/domain_solve.h"
#include "solver/model.h"
#include "solver/solver_entries.h"
#include "solver/standard_section_solver.h"
#include "standard/section_catalogue.h"

namespace {

using bsp::bench::median;
using bsp::bench::thread_cpu_seconds;

const std::map<int, std::vector<double>> shapes = {
    {1, {2, 4}},           {2, {10, 20, 2, 1.5}},   {3, {20, 12, 8, 1, 2, 1.5}}, {4, {12, 20, 2, 1}},
    {5, {10, 8, 1, 1.5}},  {6, {10, 2, 12, 1.5}},   {7, {20, 2, 10, 1}},         {8, {12, 15, 2, 1}},
    {9, {5, 1, 8, 10}},    {10, {8, 1, 6, 8}},      {11, {10, 1, 8, 10}},        {12, {1.5, 1, 10, 12}},
    {13, {12, 20, 2, 1}},  {14, {10, 8, 1, 1.5, 2, 1}}, {15, {10, 1, 12, 2}},    {16, {20, 10, 8, 1, 2}},
    {17, {2, 10, 6}},      {20, {10, 8, 1, 1}},     {21, {4, 6, 10, 1, 1.5}},    {22, {2, 10, 8, 4}},
    {23, {10, 8, 1, 1.5}}, {24, {20, 12, 1, 1.5, 8, 2}}, {25, {20, 12, 1, 1.5, 8, 2}}, {26, {10, 8, 1, 2}},
    {27, {10, 4, 12, 1}},
};

void standard_section(benchmark::State& state) {
  const int type = static_cast<int>(state.range(0));
  const std::vector<double> given = shapes.at(type);
  std::vector<double> mesh_t, setup_t, factor_t, total_t;
  for (auto _ : state) {
    double c0, c1, c2, c3, c4;
    {  // the phases on a model of their own, released before the whole call runs
      std::vector<double> dims = given;
      c0 = thread_cpu_seconds();
      std::int32_t status = 0;
      bsp::check_standard_dimensions(dims, type, status);
      const bsp::StandardMeshInput mesh(type, dims, 0.3, 1, 1);
      c1 = thread_cpu_seconds();

      bsp::T_MULTI_DOMAIN m = bsp::build_model(mesh.input, bsp::ModelOptions{});
      c2 = thread_cpu_seconds();

      bsp::T_SINGLE_DOMAIN& d = m.domains[0];
      bsp::assemble_domain_matrix(d, std::span<bsp::T_QUAD4>(m.quads),
                                  [](const bsp::T_QUAD4& el) { return bsp::field_coefficient(el); });
      c3 = thread_cpu_seconds();
      if (d.path == bsp::LinearSolverPath::sparse)
        bsp::SPARSE_LLT_DECOMP(d.sparse);
      else
        bsp::BAND_LLT_DECOMP(d.band.n, d.band.kd, d.band.band.data());
      c4 = thread_cpu_seconds();
      benchmark::DoNotOptimize(d.band.band.data());
      benchmark::DoNotOptimize(d.sparse.values.data());
    }
    std::vector<double> dims2 = given, result(38, 0.0);
    const double c5 = thread_cpu_seconds();
    bsp::SOLVE_STANDARD_SECTION({.section_type = type, .nu = 0.3, .mode = 0, .analysis_flag = 1, .thread_count = 1},
                                dims2, result);
    const double c6 = thread_cpu_seconds();
    benchmark::DoNotOptimize(result.data());

    mesh_t.push_back(c1 - c0);
    setup_t.push_back(c2 - c1);
    factor_t.push_back(c4 - c3);
    total_t.push_back(c6 - c5);
  }
  const double mesh = median(mesh_t), setup = median(setup_t), factor = median(factor_t), total = median(total_t);
  state.counters["mesh_per_factor"] = mesh / factor;
  state.counters["setup_per_factor"] = setup / factor;
  state.counters["mesh_setup_per_factor"] = (mesh + setup) / factor;
  state.counters["factor_share"] = factor / total;
  state.counters["rest_share"] = (total - mesh - setup - factor) / total;
  state.counters["total_ms"] = 1e3 * total;
}

}  // namespace

BENCHMARK(standard_section)
    ->DenseRange(1, 17)
    ->DenseRange(20, 27)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);

BENCHMARK_MAIN();
