// Domain maker speed on a 64-gon annulus whose sides are cut into pieces as
// the drivers cut them, at about 1e3, 1e4, 1e5 and 5e5 nodes. The baseline,
// run in the same process on the same record, is one linear pass over it:
// copying the record and summing the winding angle of one point about every
// wire (the cheapest thing that touches every node with the same primitive).
// At the end each size reports make_domain / baseline, and the time per node
// of each size as a ratio to the smallest size; the pairwise checks go
// through grid buckets, so both should stay nearly flat.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "mesher/data_2d/node.h"
#include "mesher/data_2d/primitives.h"
#include "mesher/domain_maker/domain_maker.h"

namespace {

using domain_maker::Domain_Data;

void add_ring(Domain_Data& record, double radius, int pieces, bool clockwise) {
  constexpr int sides = 64;
  const auto first = static_cast<std::int32_t>(record.nodes.size());
  for (int k = 0; k < sides; ++k) {
    const double a = 2.0 * std::numbers::pi * k / sides * (clockwise ? -1.0 : 1.0);
    record.nodes.push_back({1, 0, 0.0, radius * std::cos(a), radius * std::sin(a)});
  }
  for (int k = 0; k < sides; ++k) {
    const std::int32_t a = first + k;
    const std::int32_t b = first + (k + 1) % sides;
    domain_maker::Wire_Record wire{static_cast<std::int32_t>(record.wires.size() + 1), 1, {a}};
    const auto pa = record.nodes[static_cast<std::size_t>(a)];
    const auto pb = record.nodes[static_cast<std::size_t>(b)];
    for (int p = 1; p < pieces; ++p) {
      const double t = static_cast<double>(p) / pieces;
      wire.nodes.push_back(static_cast<std::int32_t>(record.nodes.size()));
      record.nodes.push_back({1, 0, 0.0, pa.x + t * (pb.x - pa.x), pa.y + t * (pb.y - pa.y)});
    }
    wire.nodes.push_back(b);
    record.wires.push_back(std::move(wire));
  }
}

Domain_Data annulus(int pieces) {
  Domain_Data record;
  add_ring(record, 10.0, pieces, false);
  add_ring(record, 5.0, pieces, true);
  return record;
}

void BM_MakeDomain(benchmark::State& state) {
  const Domain_Data source = annulus(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Domain_Data record = source;
    std::vector<std::int32_t> loose;
    domain_maker::Domain_Maker maker;
    maker.make_domain(record, loose);
    benchmark::DoNotOptimize(record.domains.data());
  }
  state.counters["nodes"] = static_cast<double>(source.nodes.size());
  state.counters["per_node"] = benchmark::Counter(static_cast<double>(source.nodes.size()) * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_LinearPass(benchmark::State& state) {
  const Domain_Data source = annulus(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Domain_Data record = source;
    std::vector<data_2d::Node> nodes;
    nodes.reserve(record.nodes.size());
    for (const auto& r : record.nodes) nodes.emplace_back(0, r.x, r.y);
    double sum = 0.0;
    std::vector<data_2d::Node*> wire;
    for (const auto& w : record.wires) {
      wire.clear();
      for (const std::int32_t i : w.nodes) wire.push_back(&nodes[static_cast<std::size_t>(i)]);
      sum += data_2d::winding_sum({7.5, 0.0}, wire);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["nodes"] = static_cast<double>(source.nodes.size());
  state.counters["per_node"] = benchmark::Counter(static_cast<double>(source.nodes.size()) * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Pieces per side: 128 sides in all give about 1e3, 1e4, 1e5 and 5e5 nodes.
constexpr int pieces_ladder[] = {8, 80, 800, 4000};

class Ratio_Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto found = run.counters.find("per_node");
      // Keyed by family and argument: forced iteration counts change the
      // displayed name but not these.
      if (found != run.counters.end()) per_node_[run.run_name.function_name + "/" + run.run_name.args] = found->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto name = [](const char* family, int pieces) { return std::string(family) + "/" + std::to_string(pieces); };
    const double smallest = per_node_[name("BM_MakeDomain", pieces_ladder[0])];
    std::printf("\npieces  make_domain/linear_pass  per-node time / smallest size\n");
    for (const int pieces : pieces_ladder) {
      const double maker = per_node_[name("BM_MakeDomain", pieces)];
      const double linear = per_node_[name("BM_LinearPass", pieces)];
      if (maker <= 0.0 || linear <= 0.0) continue;
      std::printf("%6d  %23.1f  %29.2f\n", pieces, maker / linear, maker / smallest);
    }
  }

 private:
  std::map<std::string, double> per_node_;
};

}  // namespace

int main(int argc, char** argv) {
  for (const int pieces : pieces_ladder) {
    benchmark::RegisterBenchmark("BM_LinearPass", BM_LinearPass)->Arg(pieces)->Unit(benchmark::kMillisecond);
    auto* maker = benchmark::RegisterBenchmark("BM_MakeDomain", BM_MakeDomain)->Arg(pieces)->Unit(benchmark::kMillisecond);
    if (pieces >= 800) maker->Iterations(pieces >= 4000 ? 1 : 3);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Ratio_Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
