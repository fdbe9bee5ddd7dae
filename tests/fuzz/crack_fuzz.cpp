// CrackSectionProperty on one or two polygons of concrete or steel from the bytes, bars and hostile
// parameters. No array size is passed, so every index stays inside the arrays allocated here; the
// bytes spoil freely what the call must check (negatives, loops, orientation, finiteness).
#include <cmath>
#include <cstdint>
#include <vector>

#include "bsp/bsp.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  bsp::fuzz::Input in(data, size);
  constexpr double units[] = {1.0, 1e-6, 1e6, 100.0};
  const double unit = units[in.byte() % 4];
  constexpr int keys = 3, records = 3, nodes = 8;
  std::vector<std::int32_t> table(2 * keys);
  for (int m = 0; m < keys; ++m) table[2 * m] = in.byte() % 2, table[2 * m + 1] = in.in(-1, records - 1);
  std::vector<double> parameters(5 * records);
  for (double& p : parameters) p = in.mostly(1.0);
  parameters[0] = in.mostly(30000.0);
  for (int q = 0; q < records; ++q) parameters[5 * q] = in.mostly(30000.0 * (q + 1));
  std::vector<double> ny(nodes), nz(nodes);
  for (int i = 0; i < nodes; ++i)
    ny[i] = in.byte() % 8 ? unit * in.in(0, 8) : in.real(unit), nz[i] = in.byte() % 8 ? unit * in.in(0, 8) : in.real(unit);
  std::vector<std::int32_t> edges;
  for (int loop = in.in(0, 2); loop > 0; --loop) {  // a closed loop through consecutive nodes
    const std::int32_t key = in.in(-1, keys - 1), first = in.in(0, nodes - 3), count = in.in(2, nodes - first);
    for (std::int32_t k = 0; k < count; ++k) edges.insert(edges.end(), {key, first + k, first + (k + 1) % count});
  }
  for (int extra = in.in(0, 2); extra > 0; --extra)
    edges.insert(edges.end(), {in.in(-1, keys - 1), in.in(-1, nodes - 1), in.in(-1, nodes - 1)});
  const std::int32_t n_edges = in.byte() % 16 ? static_cast<std::int32_t>(edges.size() / 3) : in.in(-3, 0);
  std::vector<std::int32_t> bar_refs;
  std::vector<double> bar_records;
  const std::int32_t n_bars = in.in(-1, 3);
  for (std::int32_t b = 0; b < n_bars; ++b) {
    bar_refs.insert(bar_refs.end(), {in.in(-1, keys - 1), in.in(-1, n_bars - 1)});
    bar_records.insert(bar_records.end(), {in.real(unit), in.mostly(unit * unit), in.mostly(200000.0)});
  }
  bsp::fuzz::Outputs out;
  double* results = out.array(BSP_CRACK_N_RESULTS);
  CrackSectionProperty(results, n_bars, n_edges, table.data(), edges.data(), bar_refs.data(), parameters.data(),
                       bar_records.data(), ny.data(), nz.data());
  out.expect(*BSPLastError() == '\0');
  return 0;
}
