// Cost of CrackSectionProperty on a circular reinforced-concrete section of n
// edges and n/10 bars (n = 100, 1000, 10000). Each call costs O(edges + bars)
// per evaluation of the first moment F; the baseline is one such evaluation,
// timed in the same process on the same model, and the reported ratio
// call_time / (evaluations * evaluation_time) says how much of a call is
// anything but evaluating F (model building, second moments, long-term sums).
// Both are process CPU times, so other load on the machine cancels out of the
// ratio. Record the build type and machine with each run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <memory>
#include <numbers>

#include "crack/crack_domain.h"
#include "crack/crack_section.h"

namespace {

constexpr double e_concrete = 30000.0;
constexpr double e_steel = 200000.0;
constexpr double radius = 500.0;
constexpr double bar_ring = 440.0;
constexpr double bar_area = 314.0;

bsp::CrackSectionInput circular_section(int n_edges) {
  bsp::CrackSectionInput in;
  in.reference_modulus = e_concrete;
  bsp::CrackMaterialRecord rec;
  rec.p = {e_concrete, 3.0, -3e-4, 0.8, 2.0};
  in.materials[0] = rec;
  const auto at = [&](int k) {
    const double t = 2.0 * std::numbers::pi * k / n_edges;
    return bsp::Node2D{radius * std::cos(t), radius * std::sin(t)};
  };
  for (int k = 0; k < n_edges; ++k) in.edges.push_back({0, {at(k), at(k + 1)}});
  const int n_bars = n_edges / 10;
  for (int k = 0; k < n_bars; ++k)
    in.bars.push_back({0, bar_ring * std::sin(2.0 * std::numbers::pi * k / n_bars), bar_area, e_steel});
  return in;
}

// The same model as the driver builds, for timing one evaluation of F.
std::shared_ptr<bsp::CrackDomain> model(const bsp::CrackSectionInput& in) {
  auto section = std::make_shared<bsp::CrackDomain>(in.reference_modulus, 0.0);
  auto concrete = std::make_shared<bsp::ConcDomain>();
  const auto& p = in.materials.at(0).p;
  concrete->set_parameters(p[0], p[1]);
  concrete->set_long_term_parameters(p[2], p[3], p[4]);
  for (const auto& e : in.edges) concrete->add_edge(e.edge);
  for (const auto& b : in.bars) concrete->add_rebar(b.centre, b.area, b.modulus);
  section->add_domain(concrete);
  section->prepare();
  return section;
}

double seconds_per_evaluation(bsp::CrackDomain& section) {
  constexpr int reps = 200;
  double sink = 0.0;
  const std::clock_t t0 = std::clock();
  for (int k = 0; k < reps; ++k) {
    const double a = -radius + (2.0 * radius * k) / reps;
    section.set_axis(a, bsp::Side::upper);
    sink += section.active_first_moment_stiffness(bsp::Side::upper);
  }
  const std::clock_t t1 = std::clock();
  benchmark::DoNotOptimize(sink);
  return static_cast<double>(t1 - t0) / CLOCKS_PER_SEC / reps;
}

void BM_FirstMomentEvaluation(benchmark::State& state) {
  const auto in = circular_section(static_cast<int>(state.range(0)));
  const auto section = model(in);
  double a = 0.0;
  for (auto _ : state) {
    section->set_axis(a, bsp::Side::upper);
    benchmark::DoNotOptimize(section->active_first_moment_stiffness(bsp::Side::upper));
    a = a > radius ? -radius : a + 1.0;
  }
  state.counters["edges"] = static_cast<double>(in.edges.size());
  state.counters["bars"] = static_cast<double>(in.bars.size());
}
BENCHMARK(BM_FirstMomentEvaluation)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMicrosecond);

void BM_CrackSectionProperty(benchmark::State& state) {
  const auto in = circular_section(static_cast<int>(state.range(0)));
  std::int32_t evaluations = 0;
  const std::clock_t t0 = std::clock();
  std::int64_t calls = 0;
  for (auto _ : state) {
    const bsp::CrackSectionResult r = bsp::crack_section_property(in);
    benchmark::DoNotOptimize(r.values.data());
    evaluations = r.evaluations;
    ++calls;
  }
  const double per_call = static_cast<double>(std::clock() - t0) / CLOCKS_PER_SEC / static_cast<double>(calls);
  const auto section = model(in);
  const double per_evaluation = seconds_per_evaluation(*section);
  state.counters["edges"] = static_cast<double>(in.edges.size());
  state.counters["bars"] = static_cast<double>(in.bars.size());
  state.counters["evaluations_per_call"] = evaluations;
  state.counters["evaluation_us"] = per_evaluation * 1e6;
  state.counters["call_over_evaluations"] = per_call / (evaluations * per_evaluation);
}
BENCHMARK(BM_CrackSectionProperty)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
