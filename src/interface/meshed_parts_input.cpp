#include "interface/meshed_parts_input.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

#include "interface/caller_arrays.h"

namespace bsp {
namespace {

template <class T>
std::optional<std::span<const T>> read_array(const T* p, std::int64_t count, std::int64_t per_item = 1) {
  const auto n = checked_size(count, per_item);
  if (!n) return std::nullopt;
  return caller_input(p, *n);
}

bool finite_scalar(const std::optional<double>& v) { return v && std::isfinite(*v); }

bool all_at_least(std::span<const double> v, double lo) {
  for (double x : v)
    if (!(x >= lo)) return false;
  return true;
}

bool all_positive(std::span<const double> v) {
  for (double x : v)
    if (!(x > 0.0)) return false;
  return true;
}

bool poisson_ok(double nu) { return nu >= min_poisson && nu <= max_poisson; }

// Sum of non-negative counts equals total; 64-bit so no sum can wrap.
bool counts_add_up(std::span<const std::int32_t> counts, std::int64_t total) {
  std::int64_t sum = 0;
  for (std::int32_t c : counts) {
    if (c < 0) return false;
    sum += c;
  }
  return sum == total;
}

// Every material number is non-zero (they are 1-based; the sign marks an
// inverted element) and at most n_materials in magnitude.
bool materials_in_range(std::span<const std::int32_t> material, std::int64_t n_materials) {
  for (std::int32_t m : material) {
    const std::int64_t a = std::llabs(static_cast<std::int64_t>(m));
    if (a == 0 || a > n_materials) return false;
  }
  return true;
}

}  // namespace

Status read_meshed_parts(const MeshedPartsArgs& a, MeshedPartsExport kind, MeshedPartsInput& in) {
  constexpr Status bad = Status::invalid_input;
  const bool weights = kind != MeshedPartsExport::detail;
  const bool points = kind != MeshedPartsExport::part_main;

  const auto n_nodes = caller_count(a.n_nodes);
  const auto n_elements = caller_count(a.n_elements);
  const auto n_materials = caller_count(a.n_materials);
  const auto n_parts = caller_count(a.n_parts);
  const auto n_bars = caller_count(a.n_bars);
  const auto six = caller_scalar(a.six_node_elements);
  if (!n_nodes || !n_elements || !n_materials || !n_parts || !n_bars || !six) return bad;
  const std::optional<std::int32_t> n_points = points ? caller_count(a.n_stress_points) : std::optional<std::int32_t>(0);
  if (!n_points) return bad;

  MeshedPartsInput r;
  r.nodes_per_element = *six != 0 ? 6 : 3;
  r.n_materials = *n_materials;
  const int k = r.nodes_per_element;
  // 3-node input gains up to three mid-side nodes per element; every number
  // must stay a positive int32.
  if (k == 3 && std::int64_t{*n_nodes} + 3 * std::int64_t{*n_elements} > std::numeric_limits<std::int32_t>::max())
    return bad;

  const auto node_y = read_array(a.node_y, *n_nodes);
  const auto node_z = read_array(a.node_z, *n_nodes);
  const auto connectivity = read_array(a.connectivity, *n_elements, k);
  const auto element_material = read_array(a.element_material, *n_elements);
  const auto part_nodes = read_array(a.part_node_count, *n_parts);
  const auto part_elements = read_array(a.part_element_count, *n_parts);
  const auto e = read_array(a.material_modulus, *n_materials);
  const auto nu = read_array(a.material_poisson, *n_materials);
  if (!node_y || !node_z || !connectivity || !element_material || !part_nodes || !part_elements || !e || !nu)
    return bad;

  const auto bar_radius = read_array(a.bar_radius, *n_bars);
  const auto bar_y = read_array(a.bar_y, *n_bars);
  const auto bar_z = read_array(a.bar_z, *n_bars);
  const auto bar_e = read_array(a.bar_modulus, *n_bars);
  if (!bar_radius || !bar_y || !bar_z || !bar_e) return bad;

  const auto e_ref = caller_scalar(a.ref_modulus);
  const auto nu_ref = caller_scalar(a.ref_poisson);
  if (!finite_scalar(e_ref) || !finite_scalar(nu_ref) || !(*e_ref > 0.0) || !poisson_ok(*nu_ref)) return bad;
  if (!all_finite(*e) || !all_positive(*e) || !all_finite(*nu)) return bad;
  for (double v : *nu)
    if (!poisson_ok(v)) return bad;

  if (weights) {
    const auto w_ref = caller_scalar(a.ref_area_weight);
    const auto w = read_array(a.material_area_weight, *n_materials);
    const auto bar_w = read_array(a.bar_area_weight, *n_bars);
    if (!finite_scalar(w_ref) || !(*w_ref > 0.0) || !w || !bar_w) return bad;
    if (!all_finite(*w) || !all_finite(*bar_w)) return bad;
    r.ref_area_weight = *w_ref;
    r.material_area_weight = *w;
    r.bar_area_weight = *bar_w;
  }

  if (points) {
    const auto sy = read_array(a.stress_y, *n_points);
    const auto sz = read_array(a.stress_z, *n_points);
    if (!sy || !sz || !all_finite(*sy) || !all_finite(*sz)) return bad;
    r.stress_y = *sy;
    r.stress_z = *sz;
  }
  if (kind == MeshedPartsExport::comb_main) {
    const auto level = caller_scalar(a.analysis_level);
    const auto reference = caller_scalar(a.stress_reference);
    if (!level || !reference) return bad;
    r.analysis_level = *level < 0 ? 0 : *level;
    r.stress_reference = *reference;
  }

  if (!counts_add_up(*part_nodes, *n_nodes) || !counts_add_up(*part_elements, *n_elements)) return bad;
  if (!all_in_range(*connectivity, *n_nodes)) return bad;
  if (!materials_in_range(*element_material, *n_materials)) return bad;
  if (!all_finite(*node_y) || !all_finite(*node_z)) return bad;
  if (!all_finite(*bar_radius) || !all_finite(*bar_y) || !all_finite(*bar_z) || !all_finite(*bar_e)) return bad;
  if (!all_at_least(*bar_radius, 0.0) || !all_at_least(*bar_e, 0.0)) return bad;

  r.node_y = *node_y;
  r.node_z = *node_z;
  r.connectivity = *connectivity;
  r.element_material = *element_material;
  r.part_node_count = *part_nodes;
  r.part_element_count = *part_elements;
  r.ref_modulus = *e_ref;
  r.ref_poisson = *nu_ref;
  r.material_modulus = *e;
  r.material_poisson = *nu;
  r.bar_radius = *bar_radius;
  r.bar_y = *bar_y;
  r.bar_z = *bar_z;
  r.bar_modulus = *bar_e;
  in = r;
  return Status::ok;
}

}  // namespace bsp
