// CrackSectionProperty: the C boundary of the cracked-section analysis. The
// caller's flat arrays carry no sizes, so only what can be checked is: every
// count, key, node and record index non-negative, every pointer an index
// needs present, every value read finite, before anything is written.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

#include "bsp/bsp.h"
#include "crack/crack_section.h"
#include "interface/caller_arrays.h"
#include "interface/firewall.h"
#include "interface/status.h"

namespace bsp {
namespace {

constexpr std::int64_t values_per_edge = 3;
constexpr std::int64_t values_per_bar_ref = 2;
constexpr std::int64_t values_per_bar_record = 3;
constexpr std::int64_t values_per_material = 2;

[[noreturn]] void reject(const char* what) { throw CallError(Status::invalid_input, what); }

double finite_at(const double* array, std::int64_t index, const char* what) {
  if (array == nullptr) reject(what);
  const double x = array[index];
  if (!std::isfinite(x)) reject(what);
  return x;
}

std::span<const std::int32_t> int_array(const std::int32_t* p, std::int32_t count, std::int64_t per_item,
                                        const char* what) {
  const auto n = checked_size(count, per_item);
  if (!n) reject(what);
  const auto s = caller_input(p, *n);
  if (!s) reject(what);
  return *s;
}

CrackMaterialRecord read_material(const std::int32_t* table, const double* parameters, std::int32_t key) {
  if (table == nullptr) reject("material table missing");
  const std::int64_t at = values_per_material * static_cast<std::int64_t>(key);
  const std::int32_t q = table[at + 1];
  if (q < 0) reject("negative parameter record index");
  CrackMaterialRecord rec;
  rec.steel = table[at] != 0;
  const std::int64_t base = BSP_CRACK_RECORD_SIZE * static_cast<std::int64_t>(q);
  for (std::size_t k = 0; k < rec.p.size(); ++k)
    rec.p[k] = finite_at(parameters, base + static_cast<std::int64_t>(k), "material record");
  return rec;
}

struct CrackArrays {
  std::int32_t n_bars;
  std::int32_t n_edges;
  const std::int32_t* material_table;
  const std::int32_t* edges;
  const std::int32_t* bar_refs;
  const double* parameters;
  const double* bar_records;
  const double* node_y;
  const double* node_z;
};

// Checks every index first (no array is read through a negative one), then
// reads the values the model needs. Throws CallError on the first failure.
// Returns false when there are no edges: the section is empty.
bool read_crack_input(const CrackArrays& a, CrackSectionInput& in) {
  const auto edges = int_array(a.edges, a.n_edges, values_per_edge, "edge count");
  const auto bar_refs = int_array(a.bar_refs, a.n_bars, values_per_bar_ref, "bar count");
  if (std::any_of(edges.begin(), edges.end(), [](std::int32_t x) { return x < 0; }))
    reject("negative key or node index");
  if (std::any_of(bar_refs.begin(), bar_refs.end(), [](std::int32_t x) { return x < 0; }))
    reject("negative bar key or record index");
  if (a.n_edges == 0) return false;

  in.reference_modulus = finite_at(a.parameters, 0, "reference modulus");
  in.second_reference = finite_at(a.parameters, 1, "second reference value");
  if (!(in.reference_modulus > 0.0)) reject("reference modulus not positive");

  in.edges.reserve(static_cast<std::size_t>(a.n_edges));
  for (std::size_t e = 0; e < edges.size(); e += values_per_edge) {
    const std::int32_t key = edges[e];
    if (!in.materials.contains(key)) in.materials.emplace(key, read_material(a.material_table, a.parameters, key));
    const std::int32_t i = edges[e + 1];
    const std::int32_t j = edges[e + 2];
    CrackEdgeInput edge;
    edge.key = key;
    edge.edge.i = {finite_at(a.node_y, i, "node y"), finite_at(a.node_z, i, "node z")};
    edge.edge.j = {finite_at(a.node_y, j, "node y"), finite_at(a.node_z, j, "node z")};
    in.edges.push_back(edge);
  }
  in.bars.reserve(static_cast<std::size_t>(a.n_bars));
  for (std::size_t b = 0; b < bar_refs.size(); b += values_per_bar_ref) {
    const std::int64_t base = values_per_bar_record * static_cast<std::int64_t>(bar_refs[b + 1]);
    CrackBarInput bar;
    bar.key = bar_refs[b];
    bar.centre = finite_at(a.bar_records, base, "bar centre");
    bar.area = finite_at(a.bar_records, base + 1, "bar area");
    bar.modulus = finite_at(a.bar_records, base + 2, "bar modulus");
    if (bar.area < 0.0) reject("negative bar area");
    in.bars.push_back(bar);
  }
  return true;
}

}  // namespace
}  // namespace bsp

extern "C" BSP_API void CrackSectionProperty(double* results, int32_t n_bars, int32_t n_edges,
                                             const int32_t* material_table, const int32_t* edges,
                                             const int32_t* bar_refs, const double* parameters,
                                             const double* bar_records, const double* node_y,
                                             const double* node_z) {
  if (results == nullptr) return;
  const std::span<double, BSP_CRACK_N_RESULTS> out(results, BSP_CRACK_N_RESULTS);
  bsp::guarded_void_call(
      [&] {
        const bsp::CrackArrays arrays{n_bars, n_edges, material_table, edges,  bar_refs,
                                      parameters, bar_records, node_y,   node_z};
        bsp::CrackSectionInput in;
        // With no edges `in` stays empty, and the driver reports the empty section.
        if (!bsp::read_crack_input(arrays, in)) in = bsp::CrackSectionInput{};
        const bsp::CrackSectionResult r = bsp::crack_section_property(in);
        std::copy(r.values.begin(), r.values.end(), out.begin());
      },
      [&] { std::fill(out.begin(), out.end(), 0.0); });
}
