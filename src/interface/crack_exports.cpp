// CrackSectionProperty: the C boundary of the cracked-section analysis. The
// caller's flat arrays carry no sizes, so only what can be checked is: every
// count, key, node and record index non-negative, every pointer an index
// needs present, every value read finite, before anything is written.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>

#include "bsp/bsp.h"
#include "common/status.h"
#include "crack/crack_section.h"
#include "interface/caller_arrays.h"
#include "interface/firewall.h"
#include "interface/message.h"

namespace bsp {

// The header's offsets and the cracked-section driver's are one layout.
static_assert(BSP_CRACK_CENTROID == crack_slot::centroid && BSP_CRACK_GROSS_INERTIA == crack_slot::gross_inertia &&
              BSP_CRACK_AXIS_UPPER == crack_slot::axis_upper && BSP_CRACK_AXIS_LOWER == crack_slot::axis_lower &&
              BSP_CRACK_INERTIA_UPPER == crack_slot::inertia_upper &&
              BSP_CRACK_INERTIA_LOWER == crack_slot::inertia_lower && BSP_CRACK_MOMENT_POS == crack_slot::moment_pos &&
              BSP_CRACK_MOMENT_NEG == crack_slot::moment_neg && BSP_CRACK_CREEP_GROSS == crack_slot::creep_gross &&
              BSP_CRACK_SHRINKAGE_GROSS == crack_slot::shrinkage_gross &&
              BSP_CRACK_CREEP_UPPER == crack_slot::creep_upper &&
              BSP_CRACK_SHRINKAGE_UPPER == crack_slot::shrinkage_upper &&
              BSP_CRACK_CREEP_LOWER == crack_slot::creep_lower &&
              BSP_CRACK_SHRINKAGE_LOWER == crack_slot::shrinkage_lower && BSP_CRACK_N_RESULTS == crack_slot::count);
static_assert(BSP_CRACK_P_MODULUS == crack_param::modulus &&
              BSP_CRACK_P_TENSILE_STRENGTH == crack_param::tensile_strength &&
              BSP_CRACK_P_SHRINKAGE == crack_param::shrinkage && BSP_CRACK_P_AGEING == crack_param::ageing &&
              BSP_CRACK_P_CREEP == crack_param::creep && BSP_CRACK_RECORD_SIZE == crack_param::count);

namespace {

constexpr std::int64_t values_per_edge = 3;
constexpr std::int64_t values_per_bar_ref = 2;
constexpr std::int64_t values_per_bar_record = 3;
constexpr std::int64_t values_per_material = 2;

double finite_at(const double* array, std::int64_t index, const char* array_name, const std::string& what) {
  if (array == nullptr) reject_input(array_name, " is NULL but ", what, " is read from it");
  const double x = array[index];
  if (!std::isfinite(x)) reject_input(what, " (", array_name, "[", index, "]) is ", x, ", not finite");
  return x;
}

std::span<const std::int32_t> int_array(const std::int32_t* p, std::int32_t count, std::int64_t per_item,
                                        const char* count_name, const char* array_name) {
  const auto n = checked_size(count, per_item);
  if (!n) reject_input(count_name, " is ", count, ", negative");
  const auto s = caller_input(p, *n);
  if (!s) reject_input(array_name, " is NULL but ", count_name, " is ", count);
  return *s;
}

CrackMaterialRecord read_material(const std::int32_t* table, const double* parameters, std::int32_t key) {
  if (table == nullptr) reject_input("material_table is NULL but material key ", key, " is used");
  const std::int64_t at = values_per_material * static_cast<std::int64_t>(key);
  const std::int32_t q = table[at + 1];
  if (q < 0) reject_input("material key ", key, " has parameter record index ", q, ", negative");
  CrackMaterialRecord rec;
  rec.steel = table[at] != 0;
  const std::int64_t base = BSP_CRACK_RECORD_SIZE * static_cast<std::int64_t>(q);
  for (std::size_t k = 0; k < rec.p.size(); ++k)
    rec.p[k] = finite_at(parameters, base + static_cast<std::int64_t>(k), "parameters",
                         message("value ", k, " of parameter record ", q, " (material key ", key, ")"));
  // The modulus weights every integral of the material; concrete of no
  // stiffness would make the cracked search divide by zero.
  const double e = rec.p[BSP_CRACK_P_MODULUS];
  if (!rec.steel && !(e > 0.0)) reject_input("material key ", key, " (concrete) has modulus ", e, ", not > 0");
  // Long-term modulus E / (1 + ageing * creep) of a concrete material.
  const double long_term = e / (1.0 + rec.p[BSP_CRACK_P_AGEING] * rec.p[BSP_CRACK_P_CREEP]);
  if (!rec.steel && !std::isfinite(long_term))
    reject_input("material key ", key, " has ageing ", rec.p[BSP_CRACK_P_AGEING], " and creep ",
                 rec.p[BSP_CRACK_P_CREEP], ": its long-term modulus E / (1 + ageing creep) is ", long_term);
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

// Each material's edges must form closed, counter-clockwise loops: every
// point has as many edges of the material leaving it as arriving (points are
// equal when both coordinates are), and the loops enclose a positive area.
// An open loop or a clockwise one would integrate to plausible but wrong
// values.
void check_loops(const CrackSectionInput& in, std::span<const std::int32_t> edges) {
  struct Balance {
    std::int64_t leaving_minus_arriving = 0;
    std::size_t edge = 0;     // 0-based edge that first touched the point
    std::int32_t node = 0;    // its node index there
  };
  std::map<std::int32_t, std::map<std::pair<double, double>, Balance>> points;
  std::map<std::int32_t, double> twice_area;
  for (std::size_t e = 0; e < in.edges.size(); ++e) {
    const CrackEdgeInput& edge = in.edges[e];
    auto& at = points[edge.key];
    const auto touch = [&](const Node2D& p, std::int32_t node, int delta) {
      auto [it, inserted] = at.try_emplace({p.y, p.z}, Balance{0, e, node});
      it->second.leaving_minus_arriving += delta;
    };
    touch(edge.edge.i, edges[3 * e + 1], +1);
    touch(edge.edge.j, edges[3 * e + 2], -1);
    twice_area[edge.key] += edge.edge.i.y * edge.edge.j.z - edge.edge.j.y * edge.edge.i.z;
  }
  for (const auto& [key, at] : points)
    for (const auto& [point, b] : at)
      if (b.leaving_minus_arriving != 0)
        reject_input("material key ", key, ": its boundary loop is open at node ", b.node, " (edge ", b.edge,
                     "), where ", b.leaving_minus_arriving > 0 ? "an edge starts but none ends" : "an edge ends but none starts");
  for (const auto& [key, a2] : twice_area)
    if (!(a2 > 0.0))
      reject_input("material key ", key, ": its boundary loops enclose the signed area ", 0.5 * a2,
                   a2 < 0.0 ? ", they run clockwise" : ", not > 0");
}

// Checks every index first (no array is read through a negative one), then
// reads the values the model needs. Throws CallError on the first failure.
// Returns false when there are no edges: the section is empty.
bool read_crack_input(const CrackArrays& a, CrackSectionInput& in) {
  const auto edges = int_array(a.edges, a.n_edges, values_per_edge, "n_edges", "edges");
  const auto bar_refs = int_array(a.bar_refs, a.n_bars, values_per_bar_ref, "n_bars", "bar_refs");
  static constexpr const char* edge_field[] = {"material key", "node i", "node j"};
  for (std::size_t i = 0; i < edges.size(); ++i)
    if (edges[i] < 0)
      reject_input("edge ", i / 3, " has ", edge_field[i % 3], " ", edges[i], ", negative (indices are 0-based)");
  static constexpr const char* bar_field[] = {"material key", "bar record index"};
  for (std::size_t i = 0; i < bar_refs.size(); ++i)
    if (bar_refs[i] < 0) reject_input("bar ", i / 2, " has ", bar_field[i % 2], " ", bar_refs[i], ", negative");
  if (a.n_edges == 0) return false;

  in.reference_modulus = finite_at(a.parameters, 0, "parameters", "the reference modulus E_ref");
  in.second_reference = finite_at(a.parameters, 1, "parameters", "the second reference value");
  if (!(in.reference_modulus > 0.0)) reject_input("the reference modulus E_ref is ", in.reference_modulus, ", not > 0");

  in.edges.reserve(static_cast<std::size_t>(a.n_edges));
  for (std::size_t e = 0; e < edges.size(); e += values_per_edge) {
    const std::int32_t key = edges[e];
    if (!in.materials.contains(key)) in.materials.emplace(key, read_material(a.material_table, a.parameters, key));
    const std::int32_t i = edges[e + 1];
    const std::int32_t j = edges[e + 2];
    CrackEdgeInput edge;
    edge.key = key;
    edge.edge.i = {finite_at(a.node_y, i, "node_y", message("y of node ", i)),
                   finite_at(a.node_z, i, "node_z", message("z of node ", i))};
    edge.edge.j = {finite_at(a.node_y, j, "node_y", message("y of node ", j)),
                   finite_at(a.node_z, j, "node_z", message("z of node ", j))};
    in.edges.push_back(edge);
  }
  check_loops(in, edges);
  in.bars.reserve(static_cast<std::size_t>(a.n_bars));
  for (std::size_t b = 0; b < bar_refs.size(); b += values_per_bar_ref) {
    const std::int32_t k = bar_refs[b + 1];
    const std::int64_t base = values_per_bar_record * static_cast<std::int64_t>(k);
    CrackBarInput bar;
    bar.key = bar_refs[b];
    bar.centre = finite_at(a.bar_records, base, "bar_records", message("the centre of bar record ", k));
    bar.area = finite_at(a.bar_records, base + 1, "bar_records", message("the area of bar record ", k));
    bar.modulus = finite_at(a.bar_records, base + 2, "bar_records", message("the modulus of bar record ", k));
    if (bar.area < 0.0) reject_input("bar record ", k, " has area ", bar.area, ", negative");
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
  if (results == nullptr) {
    bsp::guarded_void_call([] { bsp::reject_input("results is NULL"); }, [] {});
    return;
  }
  const std::span<double, BSP_CRACK_N_RESULTS> out(results, BSP_CRACK_N_RESULTS);
  bsp::guarded_void_call(
      [&] {
        const bsp::CrackArrays arrays{n_bars, n_edges, material_table, edges,  bar_refs,
                                      parameters, bar_records, node_y,   node_z};
        bsp::CrackSectionInput in;
        // With no edges `in` stays empty, and the driver reports the empty section.
        if (!bsp::read_crack_input(arrays, in)) in = bsp::CrackSectionInput{};
        const bsp::CrackSectionResult r = bsp::crack_section_property(in);
        // Extreme but finite input (a modulus near the smallest double, a
        // bar area or coordinate near the largest) can overflow a sum: such a
        // section has no values to report.
        for (std::size_t k = 0; k < r.values.size(); ++k)
          if (!std::isfinite(r.values[k]))
            throw bsp::CallError(bsp::Status::solver_error,
                                 bsp::message("result entry ", k, " came out ", r.values[k],
                                              ": the section's values overflow"));
        std::copy(r.values.begin(), r.values.end(), out.begin());
      },
      [&] { std::fill(out.begin(), out.end(), 0.0); });
}
