// Loop mesher speed: a 64-gon with a 64-gon hole and a 200-vertex concave
// polygon (a star whose 100 inner corners are reflex) meshed into about 1e3,
// 1e4 and 1e5 three-node triangles, wires cut into pieces of the element
// size as the drivers do. Each run reports the element count, the minimum
// and mean element quality and the time per element; at the end the time
// per element of each size is given as a ratio to the 1e3 run of the same
// shape (near-linear splitting keeps the 1e5 / 1e3 ratio at 4 or less), and
// as a ratio to the grid mesher on the same record in the same process.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "mesher/data_2d/mesh_error.h"
#include "mesher/domain_maker/mesh_data.h"
#include "mesher/grid_mesher/grid_mesher.h"
#include "mesher/loop_mesher/loop_mesher.h"

namespace {

using domain_maker::Mesh_Data;

struct Xy {
  double x;
  double y;
};

std::vector<Xy> subdivide(const std::vector<Xy>& corners, double size) {
  std::vector<Xy> out;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const Xy a = corners[i];
    const Xy b = corners[(i + 1) % corners.size()];
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::hypot(b.x - a.x, b.y - a.y) / size)));
    for (int k = 0; k < pieces; ++k) {
      const double t = static_cast<double>(k) / pieces;
      out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
    }
  }
  return out;
}

// A polygon of `sides` corners alternating between radius r0 and r1 (equal
// radii give a regular polygon), counter-clockwise or clockwise.
std::vector<Xy> polygon(int sides, double r0, double r1, bool clockwise) {
  std::vector<Xy> out;
  for (int k = 0; k < sides; ++k) {
    const double a = 2.0 * std::numbers::pi * k / sides * (clockwise ? -1.0 : 1.0);
    const double r = k % 2 == 0 ? r0 : r1;
    out.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return out;
}

double ring_area(const std::vector<Xy>& ring) {
  double twice = 0.0;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const Xy a = ring[i];
    const Xy b = ring[(i + 1) % ring.size()];
    twice += a.x * b.y - b.x * a.y;
  }
  return 0.5 * std::abs(twice);
}

struct Shape {
  const char* name;
  std::vector<std::vector<Xy>> rings;  // outer first
};

std::vector<Shape> shapes() {
  return {
      {"polygon_64_with_hole", {polygon(64, 1.0, 1.0, false), polygon(64, 0.5, 0.5, true)}},
      {"concave_200", {polygon(200, 1.0, 0.8, false)}},
  };
}

Mesh_Data make_record(const Shape& shape, double size) {
  Mesh_Data record;
  record.element_size = size;
  for (std::size_t k = 0; k < shape.rings.size(); ++k) {
    domain_maker::Wire_Record wire;
    wire.kind = k == 0 ? 1 : 2;
    for (const Xy p : subdivide(shape.rings[k], size)) {
      record.nodes.push_back({1, 0, 0.0, p.x, p.y});
      wire.nodes.push_back(static_cast<std::int32_t>(record.nodes.size() - 1));
    }
    wire.nodes.push_back(wire.nodes.front());
    record.wires.push_back(wire);
  }
  return record;
}

double quality(const Mesh_Data& m, const std::vector<std::int32_t>& e) {
  const auto& a = m.nodes[static_cast<std::size_t>(e[0])];
  const auto& b = m.nodes[static_cast<std::size_t>(e[1])];
  const auto& c = m.nodes[static_cast<std::size_t>(e[2])];
  const double twice_area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  const double sides = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (c.x - b.x) * (c.x - b.x) +
                       (c.y - b.y) * (c.y - b.y) + (a.x - c.x) * (a.x - c.x) + (a.y - c.y) * (a.y - c.y);
  return 2.0 * std::sqrt(3.0) * twice_area / sides;
}

template <class Mesher>
Mesh_Data mesh(const Mesh_Data& input) {
  Mesh_Data record = input;
  Mesher mesher;
  mesher.generate_mesh(record, nullptr);
  return record;
}

template <class Mesher>
void BM_Mesher(benchmark::State& state, const Shape& shape, double target) {
  double area = ring_area(shape.rings[0]);
  for (std::size_t k = 1; k < shape.rings.size(); ++k) area -= ring_area(shape.rings[k]);
  // A quadrilateral of side h gives two triangles: elements ~ 2 area / h^2.
  const double size = std::sqrt(2.0 * area / target);
  const Mesh_Data input = make_record(shape, size);
  Mesh_Data first;
  try {
    first = mesh<Mesher>(input);  // untimed: counts, qualities, warm allocator
  } catch (const data_2d::Mesh_Error& e) {
    // The grid mesher gives up on some of these (the very case the loop
    // mesher exists for); the run is reported as skipped.
    state.SkipWithError(e.what());
    for (auto _ : state) {
    }
    return;
  }
  for (auto _ : state) {
    Mesh_Data record = mesh<Mesher>(input);
    benchmark::DoNotOptimize(record.elements.data());
  }
  double q_min = 1.0;
  double q_sum = 0.0;
  for (const auto& e : first.elements) {
    const double q = quality(first, e);
    q_min = std::min(q_min, q);
    q_sum += q;
  }
  const auto elements = static_cast<double>(first.elements.size());
  state.counters["elements"] = elements;
  state.counters["q_min"] = q_min;
  state.counters["q_mean"] = elements > 0 ? q_sum / elements : 0.0;
  state.counters["per_element"] = benchmark::Counter(elements * static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// After the usual table: the time per element of every loop-mesher run
// relative to its shape's 1e3 run, and to the grid mesher on the same record.
class Ratio_Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto found = run.counters.find("per_element");
      // Names without the "/iterations:N" that fixed-iteration runs carry.
      std::string name = run.benchmark_name();
      name = name.substr(0, name.find("/iterations:"));
      if (found != run.counters.end() && !run.error_occurred) per_element_[name] = found->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nloop mesher time per element: relative to its 1e3 run | relative to the grid mesher\n");
    for (const auto& [name, seconds] : per_element_) {
      if (name.rfind("LoopMesher/", 0) != 0) continue;
      const std::string shape = name.substr(0, name.rfind('/'));
      const auto base = per_element_.find(shape + "/1000");
      const auto grid = per_element_.find("GridMesher/" + name.substr(std::string("LoopMesher/").size()));
      if (base == per_element_.end() || base->second <= 0.0) continue;
      std::printf("  %-40s %6.2f | %6.2f\n", name.c_str(), seconds / base->second,
                  grid != per_element_.end() && grid->second > 0.0 ? seconds / grid->second : 0.0);
    }
  }

 private:
  std::map<std::string, double> per_element_;
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<Shape> all = shapes();
  for (const Shape& shape : all) {
    for (const int target : {1000, 10000, 100000}) {
      const std::string suffix = std::string(shape.name) + "/" + std::to_string(target);
      auto* loop = benchmark::RegisterBenchmark(("LoopMesher/" + suffix).c_str(), [&shape, target](benchmark::State& s) {
        BM_Mesher<loop_mesher::Loop_Mesher>(s, shape, target);
      });
      auto* grid = benchmark::RegisterBenchmark(("GridMesher/" + suffix).c_str(), [&shape, target](benchmark::State& s) {
        BM_Mesher<grid_mesher::Grid_Mesher>(s, shape, target);
      });
      for (auto* b : {loop, grid}) {
        b->Unit(benchmark::kMillisecond);
        if (target >= 100000) b->Iterations(3);
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  Ratio_Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
