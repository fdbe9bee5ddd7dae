// BSPMAINGENERAL against BSPMAIN per standard type: both exports are called
// in the same iteration on the same dimensions and the ratio of their wall
// times (medians over iterations) is reported, so load on a shared machine
// scales both alike. general_per_main above 1 is the cost of the general
// path: 6-node triangles (twice the elements, about four times the nodes of
// the quadrilateral mesh), the merge of the host mesh and the combined-section
// checks.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <vector>

#include "bsp/bsp.h"
#include "solver/bench_meshes.h"

namespace {

using bsp::bench::median;

const std::map<int, std::vector<double>> shapes = {
    {1, {2, 4}},           {2, {10, 20, 2, 1.5}},   {3, {20, 12, 8, 1, 2, 1.5}}, {4, {12, 20, 2, 1}},
    {5, {10, 8, 1, 1.5}},  {6, {10, 2, 12, 1.5}},   {7, {20, 2, 10, 1}},         {8, {12, 15, 2, 1}},
    {9, {5, 1, 8, 10}},    {10, {8, 1, 6, 8}},      {11, {10, 1, 8, 10}},        {12, {1.5, 1, 10, 12}},
    {13, {12, 20, 2, 1}},  {14, {10, 8, 1, 1.5, 2, 1}}, {15, {10, 1, 12, 2}},    {16, {20, 10, 8, 1, 2}},
    {17, {2, 10, 6}},      {20, {10, 8, 1, 1}},     {21, {4, 6, 10, 1, 1.5}},    {22, {2, 10, 8, 4}},
    {23, {10, 8, 1, 1.5}}, {24, {20, 12, 1, 1.5, 8, 2}}, {25, {20, 12, 1, 1.5, 8, 2}}, {26, {10, 8, 1, 2}},
    {27, {10, 4, 12, 1}},
};

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void general_against_main(benchmark::State& state) {
  const auto type = static_cast<std::int32_t>(state.range(0));
  const std::vector<double> given = shapes.at(type);
  const std::int32_t reserved = 0, level = 1, shear_centre = 1;
  const double nu = 0.3;
  std::vector<double> general_t, main_t, result(38);
  for (auto _ : state) {
    std::vector<double> dims = given;
    auto t0 = std::chrono::steady_clock::now();
    BSPMAINGENERAL(result.data(), dims.data(), &type, &reserved, &nu, &reserved, &level, &shear_centre, &reserved);
    general_t.push_back(seconds_since(t0));
    benchmark::DoNotOptimize(result.data());
    t0 = std::chrono::steady_clock::now();
    BSPMAIN(result.data(), dims.data(), &type, &reserved, &nu, &reserved, &reserved);
    main_t.push_back(seconds_since(t0));
    benchmark::DoNotOptimize(result.data());
  }
  state.counters["general_per_main"] = median(general_t) / median(main_t);
}

}  // namespace

BENCHMARK(general_against_main)
    ->DenseRange(1, 17)
    ->DenseRange(20, 27)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

BENCHMARK_MAIN();
