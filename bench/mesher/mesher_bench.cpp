// Grid mesher speed: a unit square, an I-shape and a 64-gon annulus meshed
// into about 1e3, 1e4, 1e5 and 1e6 six-node triangles, wires cut into pieces
// of the element size as the drivers do. Each run reports the element count,
// the minimum and mean element quality, and the time per element; at the end
// the time per element of each size is given as a ratio to the 1e4 run of the
// same shape in the same process (the mesher should stay near linear, so the
// 1e6 / 1e4 ratio should stay below 2).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "mesher/domain_maker/mesh_data.h"
#include "mesher/grid_mesher/grid_mesher.h"

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

std::vector<Xy> polygon(int sides, double radius, bool clockwise) {
  std::vector<Xy> out;
  for (int k = 0; k < sides; ++k) {
    const double a = 2.0 * std::numbers::pi * k / sides * (clockwise ? -1.0 : 1.0);
    out.push_back({radius * std::cos(a), radius * std::sin(a)});
  }
  return out;
}

struct Shape {
  const char* name;
  std::vector<std::vector<Xy>> rings;  // outer first
  double area;
};

std::vector<Shape> shapes() {
  const double polygon_area_64 = 0.5 * 64 * std::sin(2.0 * std::numbers::pi / 64);
  return {
      {"square", {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}}, 1.0},
      // Flanges 10 x 1, web 1 x 8: area 28.
      {"i_shape", {{{0, 0}, {10, 0}, {10, 1}, {5.5, 1}, {5.5, 9}, {10, 9}, {10, 10}, {0, 10}, {0, 9}, {4.5, 9}, {4.5, 1}, {0, 1}}}, 28.0},
      {"annulus", {polygon(64, 1.0, false), polygon(64, 0.5, true)}, polygon_area_64 * (1.0 - 0.25)},
  };
}

Mesh_Data make_record(const Shape& shape, double size) {
  Mesh_Data record;
  record.element_size = size;
  record.quadratic = 1;
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

Mesh_Data mesh(const Mesh_Data& input) {
  Mesh_Data record = input;
  grid_mesher::Grid_Mesher mesher;
  mesher.generate_mesh(record, nullptr);
  return record;
}

void BM_GridMesher(benchmark::State& state, const Shape& shape, double target) {
  // A grid cell of side h gives two triangles: elements ~ 2 area / h^2.
  const double size = std::sqrt(2.0 * shape.area / target);
  const Mesh_Data input = make_record(shape, size);
  // One untimed run first: it gives the counts and qualities, and it warms
  // the allocator, so that the single timed run of the largest sizes pays no
  // first-touch page faults that the repeated small runs do not pay either.
  const Mesh_Data first = mesh(input);
  for (auto _ : state) {
    Mesh_Data record = mesh(input);
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
  // Seconds of CPU time per element (rate counters use CPU time by default).
  state.counters["per_element"] = benchmark::Counter(elements * static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Prints, after the usual table, the time per element of every run relative
// to the 1e4 run of the same shape.
class Ratio_Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto found = run.counters.find("per_element");
      if (found != run.counters.end()) per_element_[run.benchmark_name()] = found->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\ntime per element relative to the 1e4 run of the same shape:\n");
    for (const auto& [name, seconds] : per_element_) {
      const std::string shape = name.substr(0, name.find('/', name.find('/') + 1));
      const auto base = per_element_.find(shape + "/10000");
      if (base == per_element_.end() || base->second <= 0.0) continue;
      std::printf("  %-40s %6.2f\n", name.c_str(), seconds / base->second);
    }
  }

 private:
  std::map<std::string, double> per_element_;
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<Shape> all = shapes();
  for (const Shape& shape : all) {
    for (const int target : {1000, 10000, 100000, 1000000}) {
      auto* b = benchmark::RegisterBenchmark((std::string("GridMesher/") + shape.name + "/" + std::to_string(target)).c_str(),
                                             [&shape, target](benchmark::State& s) { BM_GridMesher(s, shape, target); });
      b->Unit(benchmark::kMillisecond);
      if (target >= 100000) b->Iterations(target >= 1000000 ? 1 : 3);
    }
  }
  benchmark::Initialize(&argc, argv);
  Ratio_Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
