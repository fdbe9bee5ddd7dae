// BSPMeshMain on outlines, and where its time goes. Three sections: a rolled
// I-section (300 x 150, plates 7.1 and 10.7), a 10 x 8 box with a 6 x 4 hole
// and a tube between two 64-gons (radii 1 and 0.8), each at the automatic
// element size and at the sizes whose triangle estimate (two per h x h) is
// 1e4 and 1e5.
//
// The breakdown runs the driver's steps one after another with the same
// routines the driver calls: sizing and wire cutting, the domain maker,
// meshing of every solid region, gluing (and scaling back), the solver
// entry, and the first moments by clipping. Every step is reported as a ratio
// to the solver's time, measured in the same iteration on the same mesh, and
// as its time per element, so that growth with the mesh can be read across
// the three sizes: outside the solver no step should grow faster than the
// element count, and at 1e5 elements the steps outside the solver together
// should cost less than the solver. Each step is timed in CPU time of the
// whole process (the band factorisation's team included), fastest of the
// iterations: on a shared machine wall time mostly measures the other
// load. Run with OMP_WAIT_POLICY=passive, so that idle workers burn no CPU.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "bsp/bsp.h"
#include "geometry/element_sizing.h"
#include "geometry/outline_domain.h"
#include "geometry/region_mesh_gluing.h"
#include "geometry/split_first_moments.h"
#include "geometry/wire_discretisation.h"
#include "mesher/domain_maker/domain_maker.h"
#include "mesher/mesher_2d/run_mesher.h"
#include "solver/solver_entries.h"

namespace {

struct Section {
  std::vector<double> y, z;
  std::vector<std::int32_t> segments;  // 1-based pairs
  std::vector<double> modulus;         // per region
  double area = 0.0;
};

void add_loop(Section& s, const std::vector<std::pair<double, double>>& corners) {
  const auto first = static_cast<std::int32_t>(s.y.size()) + 1;
  const auto n = static_cast<std::int32_t>(corners.size());
  for (const auto& [y, z] : corners) {
    s.y.push_back(y);
    s.z.push_back(z);
  }
  for (std::int32_t k = 0; k < n; ++k) {
    s.segments.push_back(first + k);
    s.segments.push_back(first + (k + 1) % n);
  }
}

Section i_section() {
  const double h = 300, b = 150, tw = 7.1, tf = 10.7;
  Section s;
  add_loop(s, {{-b / 2, 0}, {b / 2, 0}, {b / 2, tf}, {tw / 2, tf}, {tw / 2, h - tf}, {b / 2, h - tf}, {b / 2, h},
               {-b / 2, h}, {-b / 2, h - tf}, {-tw / 2, h - tf}, {-tw / 2, tf}, {-b / 2, tf}});
  s.modulus = {1.0};
  s.area = 2 * b * tf + (h - 2 * tf) * tw;
  return s;
}

Section box_with_hole() {
  Section s;
  add_loop(s, {{0, 0}, {10, 0}, {10, 8}, {0, 8}});
  add_loop(s, {{2, 2}, {8, 2}, {8, 6}, {2, 6}});
  s.modulus = {1.0, 0.0};
  s.area = 56;
  return s;
}

Section tube() {
  Section s;
  std::vector<std::pair<double, double>> outer, inner;
  for (int k = 0; k < 64; ++k) {
    const double a = 2 * std::numbers::pi * k / 64;
    outer.emplace_back(std::cos(a), std::sin(a));
    inner.emplace_back(0.8 * std::cos(a), 0.8 * std::sin(a));
  }
  add_loop(s, outer);
  add_loop(s, inner);
  s.modulus = {1.0, 0.0};
  s.area = 32 * std::sin(2 * std::numbers::pi / 64) * (1 - 0.64);
  return s;
}

Section section(int which) { return which == 0 ? i_section() : which == 1 ? box_with_hole() : tube(); }

// Element size whose estimate is `triangles`; 0 (automatic) for 0.
double size_for(const Section& s, double triangles) {
  return triangles > 0 ? std::sqrt(2.0 * s.area / triangles) : 0.0;
}

std::int32_t mesh_main(const Section& s, double size, std::vector<double>& result) {
  const auto n_regions = static_cast<std::int32_t>(s.modulus.size());
  const auto n_points = static_cast<std::int32_t>(s.y.size());
  const auto n_segments = static_cast<std::int32_t>(s.segments.size() / 2);
  const std::int32_t n_bars = 0, n_sp = 0, level = 1, reference = 0, linear = 0;
  const double e = 1.0, nu = 0.3, w = 1.0;
  const std::vector<double> nus(s.modulus.size(), nu), ws(s.modulus.size(), w);
  return BSPMeshMain(result.data(), nullptr, &n_regions, &n_bars, nullptr, nullptr, nullptr, &n_sp, nullptr, nullptr,
                     &e, &nu, s.modulus.data(), nus.data(), nullptr, &w, ws.data(), nullptr, &n_points, s.y.data(),
                     s.z.data(), &n_segments, s.segments.data(), &size, &level, &reference, &linear);
}

// CPU seconds of every thread of the process.
struct Clock {
  using time_point = double;
  static double now() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
  }
};

struct Fastest {
  double seconds = std::numeric_limits<double>::infinity();
  void take(double t0) { seconds = std::min(seconds, Clock::now() - t0); }
};

// Arguments: section (0 I, 1 box with hole, 2 tube), target triangles (0 = automatic).
void BM_MeshMainBreakdown(benchmark::State& state) {
  const Section s = section(static_cast<int>(state.range(0)));
  const double requested = size_for(s, static_cast<double>(state.range(1)));
  Fastest sizing, domain, meshing, gluing, solver, moments;
  std::size_t elements = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    bsp::Outline outline;
    outline.x = s.y;
    outline.y = s.z;
    for (std::size_t k = 0; k < s.segments.size(); k += 2) outline.segments.push_back({s.segments[k] - 1, s.segments[k + 1] - 1});
    const bsp::ElementSize size = bsp::choose_element_size(outline, requested, bsp::section_size_divisors);
    domain_maker::Domain_Data record = bsp::build_outline_domain(outline);
    record.element_size = size.h;
    bsp::discretise_wires(record, size.h);
    sizing.take(t0);

    t0 = Clock::now();
    std::vector<std::int32_t> loose;
    domain_maker::Domain_Maker().make_domain(record, loose);
    domain.take(t0);

    t0 = Clock::now();
    std::vector<bsp::RegionMesh> regions;
    std::vector<double> modulus;
    for (std::size_t r = 0; r < s.modulus.size(); ++r) {
      if (s.modulus[r] == 0.0) continue;
      domain_maker::Mesh_Data m = domain_maker::make_domain_mesh_data(record, r);
      m.quadratic = 1;
      bsp::RegionMesh& region = regions.emplace_back();
      region.wire_nodes = static_cast<std::int32_t>(m.nodes.size());
      mesher_2d::run_grid_mesher(m, region.mesh);
      region.part = static_cast<std::int32_t>(regions.size());
      modulus.push_back(s.modulus[r]);
    }
    meshing.take(t0);

    t0 = Clock::now();
    bsp::MergedSection mesh = bsp::glue_region_meshes(regions);
    for (double& v : mesh.x) v /= size.f;
    for (double& v : mesh.y) v /= size.f;
    gluing.take(t0);
    elements = mesh.element_material.size();

    const std::vector<double> nu(modulus.size(), 0.3);
    bsp::SolverInput in;
    in.k = 6;
    in.domain_elements = mesh.component_element_count;
    in.domain_nodes = mesh.component_node_count;
    in.node_x = mesh.x;
    in.node_y = mesh.y;
    in.connectivity = mesh.connectivity;
    in.material_numbers = mesh.element_material;
    in.n_materials = static_cast<std::int32_t>(modulus.size());
    in.materials = {1.0, 0.3, 1.0, modulus, nu, modulus};
    in.analysis_level = 1;
    std::vector<double> result(43);
    t0 = Clock::now();
    bsp::SOLVE_SECTION(in, result, {});
    solver.take(t0);

    t0 = Clock::now();
    const bsp::SplitFirstMoments q = bsp::split_first_moments(mesh.x, mesh.y, mesh.connectivity, 6,
                                                              mesh.element_material, modulus, result[17], result[18]);
    moments.take(t0);
    benchmark::DoNotOptimize(q);
  }
  const double base = solver.seconds;
  const double outside = sizing.seconds + domain.seconds + meshing.seconds + gluing.seconds + moments.seconds;
  state.counters["elements"] = static_cast<double>(elements);
  state.counters["sizing/solver"] = sizing.seconds / base;
  state.counters["domain/solver"] = domain.seconds / base;
  state.counters["mesh/solver"] = meshing.seconds / base;
  state.counters["glue/solver"] = gluing.seconds / base;
  state.counters["moments/solver"] = moments.seconds / base;
  state.counters["outside/solver"] = outside / base;
  const double per = 1e9 / static_cast<double>(elements);
  state.counters["sizing_ns/el"] = sizing.seconds * per;
  state.counters["domain_ns/el"] = domain.seconds * per;
  state.counters["mesh_ns/el"] = meshing.seconds * per;
  state.counters["glue_ns/el"] = gluing.seconds * per;
  state.counters["moments_ns/el"] = moments.seconds * per;
  state.counters["solver_ns/el"] = solver.seconds * per;
}

// The whole export, for the two smaller sizes (the breakdown's steps add up
// to it).
void BM_MeshMain(benchmark::State& state) {
  const Section s = section(static_cast<int>(state.range(0)));
  const double size = size_for(s, static_cast<double>(state.range(1)));
  std::vector<double> result(43);
  for (auto _ : state) benchmark::DoNotOptimize(mesh_main(s, size, result));
}

// At the automatic size the tube's wall (0.2) is cut at its longest side / 15
// (0.0065): some 5e4 elements. Few iterations at every size.
BENCHMARK(BM_MeshMainBreakdown)->ArgsProduct({{0, 1, 2}, {0}})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MeshMainBreakdown)->ArgsProduct({{0, 1, 2}, {10000}})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MeshMainBreakdown)->ArgsProduct({{0, 1, 2}, {100000}})->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MeshMain)->ArgsProduct({{0, 1, 2}, {0, 10000}})->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
