#include "interface/meshed_parts_input.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

#include "interface/caller_arrays.h"
#include "interface/message.h"

namespace bsp {
namespace {

// A count behind its pointer: a present, non-negative value.
std::int32_t read_count(const std::int32_t* p, const char* name) {
  if (p == nullptr) reject_input(name, " is NULL");
  if (*p < 0) reject_input(name, " is ", *p, ", negative");
  return *p;
}

template <class T>
T read_scalar(const T* p, const char* name) {
  if (p == nullptr) reject_input(name, " is NULL");
  return *p;
}

// count items of per_item values at p; a count whose size overflows, or a
// NULL pointer where the size is not 0, is an input error naming the array.
template <class T>
std::span<const T> read_array(const T* p, std::int64_t count, std::int64_t per_item, const char* name) {
  const auto n = checked_size(count, per_item);
  if (!n) reject_input(name, ": size ", count, " x ", per_item, " is too large");
  const auto s = caller_input(p, *n);
  if (!s) reject_input(name, " is NULL but ", static_cast<std::int64_t>(*n), " values are needed");
  return *s;
}

// Every value finite; the message names the array and the 1-based item.
void check_finite(std::span<const double> v, const char* what) {
  for (std::size_t i = 0; i < v.size(); ++i)
    if (!std::isfinite(v[i])) reject_input(what, " ", i + 1, " is ", v[i], ", not finite");
}

void check_poisson(double nu, const char* what, std::optional<std::size_t> item) {
  if (nu >= min_poisson && nu <= max_poisson) return;
  const std::string name = item ? message(what, " ", *item + 1) : std::string(what);
  reject_input(name, " has Poisson ratio ", nu, ", outside [", min_poisson, ", ", max_poisson, "]");
}

// Sum of non-negative counts equals total; 64-bit so no sum can wrap.
void check_counts(std::span<const std::int32_t> counts, std::int64_t total, const char* what, const char* total_name) {
  std::int64_t sum = 0;
  for (std::size_t p = 0; p < counts.size(); ++p) {
    if (counts[p] < 0) reject_input(what, " of part ", p + 1, " is ", counts[p], ", negative");
    sum += counts[p];
  }
  if (sum != total) reject_input(what, "s of the parts add up to ", sum, ", not ", total_name, " = ", total);
}

}  // namespace

Status read_meshed_parts(const MeshedPartsArgs& a, MeshedPartsExport kind, MeshedPartsInput& in) {
  const bool weights = kind != MeshedPartsExport::detail;
  const bool points = kind != MeshedPartsExport::part_main;

  const std::int32_t n_nodes = read_count(a.n_nodes, "n_nodes");
  const std::int32_t n_elements = read_count(a.n_elements, "n_elements");
  const std::int32_t n_materials = read_count(a.n_materials, "n_materials");
  const std::int32_t n_parts = read_count(a.n_parts, "n_parts");
  const std::int32_t n_bars = read_count(a.n_bars, "n_bars");
  const std::int32_t six = read_scalar(a.six_node_elements, "six_node_elements");
  const std::int32_t n_points = points ? read_count(a.n_stress_points, "n_stress_points") : 0;

  MeshedPartsInput r;
  r.nodes_per_element = six != 0 ? 6 : 3;
  r.n_materials = n_materials;
  const int k = r.nodes_per_element;
  // 3-node input gains up to three mid-side nodes per element; every number
  // must stay a positive int32.
  if (k == 3 && std::int64_t{n_nodes} + 3 * std::int64_t{n_elements} > std::numeric_limits<std::int32_t>::max())
    reject_input("n_nodes + 3 n_elements = ", std::int64_t{n_nodes} + 3 * std::int64_t{n_elements},
                 " exceeds 2^31 - 1, the node numbering of 3-node input with its mid-side nodes");

  const auto node_y = read_array(a.node_y, n_nodes, 1, "node_y");
  const auto node_z = read_array(a.node_z, n_nodes, 1, "node_z");
  const auto connectivity = read_array(a.connectivity, n_elements, k, "connectivity");
  const auto element_material = read_array(a.element_material, n_elements, 1, "element_material");
  const auto part_nodes = read_array(a.part_node_count, n_parts, 1, "part_node_count");
  const auto part_elements = read_array(a.part_element_count, n_parts, 1, "part_element_count");
  const auto e = read_array(a.material_modulus, n_materials, 1, "material_modulus");
  const auto nu = read_array(a.material_poisson, n_materials, 1, "material_poisson");
  const auto bar_radius = read_array(a.bar_radius, n_bars, 1, "bar_radius");
  const auto bar_y = read_array(a.bar_y, n_bars, 1, "bar_y");
  const auto bar_z = read_array(a.bar_z, n_bars, 1, "bar_z");
  const auto bar_e = read_array(a.bar_modulus, n_bars, 1, "bar_modulus");

  const double e_ref = read_scalar(a.ref_modulus, "ref_modulus");
  const double nu_ref = read_scalar(a.ref_poisson, "ref_poisson");
  if (!(std::isfinite(e_ref) && e_ref > 0.0)) reject_input("ref_modulus is ", e_ref, ", not a finite value > 0");
  if (!std::isfinite(nu_ref)) reject_input("ref_poisson is ", nu_ref, ", not finite");
  check_poisson(nu_ref, "the reference material", std::nullopt);
  for (std::size_t m = 0; m < e.size(); ++m)
    if (!(std::isfinite(e[m]) && e[m] > 0.0))
      reject_input("material ", m + 1, " has modulus ", e[m], ", not a finite value > 0");
  for (std::size_t m = 0; m < nu.size(); ++m) {
    if (!std::isfinite(nu[m])) reject_input("material ", m + 1, " has Poisson ratio ", nu[m], ", not finite");
    check_poisson(nu[m], "material", m);
  }

  if (weights) {
    const double w_ref = read_scalar(a.ref_area_weight, "ref_area_weight");
    const auto w = read_array(a.material_area_weight, n_materials, 1, "material_area_weight");
    const auto bar_w = read_array(a.bar_area_weight, n_bars, 1, "bar_area_weight");
    if (!(std::isfinite(w_ref) && w_ref > 0.0))
      reject_input("ref_area_weight is ", w_ref, ", not a finite value > 0");
    check_finite(w, "area weight of material");
    check_finite(bar_w, "area weight of bar");
    r.ref_area_weight = w_ref;
    r.material_area_weight = w;
    r.bar_area_weight = bar_w;
  }

  if (points) {
    const auto sy = read_array(a.stress_y, n_points, 1, "stress_y");
    const auto sz = read_array(a.stress_z, n_points, 1, "stress_z");
    check_finite(sy, "y of stress point");
    check_finite(sz, "z of stress point");
    r.stress_y = sy;
    r.stress_z = sz;
  }
  if (kind == MeshedPartsExport::comb_main) {
    const std::int32_t level = read_scalar(a.analysis_level, "analysis_level");
    r.analysis_level = level < 0 ? 0 : level;
    r.stress_reference = read_scalar(a.stress_reference, "stress_reference");
  }

  check_counts(part_nodes, n_nodes, "node count", "n_nodes");
  check_counts(part_elements, n_elements, "element count", "n_elements");
  for (std::size_t i = 0; i < connectivity.size(); ++i) {
    const std::int32_t node = connectivity[i];
    if (node < 1 || node > n_nodes)
      reject_input("node ", node, " of element ", i / static_cast<std::size_t>(k) + 1, " is out of range 1..",
                   n_nodes, node == 0 ? " (node numbers are 1-based)" : "");
  }
  for (std::size_t el = 0; el < element_material.size(); ++el) {
    const std::int64_t m = std::llabs(static_cast<std::int64_t>(element_material[el]));
    if (m == 0 || m > n_materials)
      reject_input("material ", element_material[el], " of element ", el + 1, " is out of range +-1..+-",
                   n_materials, m == 0 ? " (material numbers are 1-based)" : "");
  }
  check_finite(node_y, "y of node");
  check_finite(node_z, "z of node");
  check_finite(bar_radius, "radius of bar");
  check_finite(bar_y, "y of bar");
  check_finite(bar_z, "z of bar");
  check_finite(bar_e, "modulus of bar");
  for (std::size_t b = 0; b < bar_radius.size(); ++b) {
    if (bar_radius[b] < 0.0) reject_input("bar ", b + 1, " has radius ", bar_radius[b], ", negative");
    if (bar_e[b] < 0.0) reject_input("bar ", b + 1, " has modulus ", bar_e[b], ", negative");
  }

  r.node_y = node_y;
  r.node_z = node_z;
  r.connectivity = connectivity;
  r.element_material = element_material;
  r.part_node_count = part_nodes;
  r.part_element_count = part_elements;
  r.ref_modulus = e_ref;
  r.ref_poisson = nu_ref;
  r.material_modulus = e;
  r.material_poisson = nu;
  r.bar_radius = bar_radius;
  r.bar_y = bar_y;
  r.bar_z = bar_z;
  r.bar_modulus = bar_e;
  in = r;
  return Status::ok;
}

}  // namespace bsp
