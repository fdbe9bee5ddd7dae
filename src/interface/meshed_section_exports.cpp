// The meshed-section exports. Each body turns the output pointers into spans
// of their documented lengths, runs its driver inside the firewall, and names
// the zeroing that the firewall applies on every failure.
#include <algorithm>
#include <optional>
#include <span>

#include "bsp/bsp.h"
#include "interface/caller_arrays.h"
#include "interface/firewall.h"
#include "interface/meshed_parts_driver.h"

namespace bsp {
namespace {

std::optional<std::span<double>> output(double* p, std::optional<std::size_t> n) {
  if (!n) return std::nullopt;
  return caller_output(p, *n);
}

void zero(const std::optional<std::span<double>>& v) noexcept {
  if (v) std::fill(v->begin(), v->end(), 0.0);
}

}  // namespace
}  // namespace bsp

using bsp::MeshedPartsArgs;

extern "C" BSP_API int32_t BSPPartMain(double* part_result, const int32_t* n_nodes, const int32_t* n_elements,
                                       const int32_t* n_materials, const int32_t* n_parts, const double* node_y,
                                       const double* node_z, const int32_t* connectivity,
                                       const int32_t* element_material, const int32_t* part_node_count,
                                       const int32_t* part_element_count, const double* ref_modulus,
                                       const double* ref_poisson, const double* ref_area_weight,
                                       const double* material_modulus, const double* material_poisson,
                                       const double* material_area_weight, const int32_t* n_bars,
                                       const double* bar_radius, const double* bar_y, const double* bar_z,
                                       const double* bar_modulus, const double* bar_area_weight,
                                       const int32_t* six_node_elements) {
  MeshedPartsArgs a;
  a.n_nodes = n_nodes;
  a.n_elements = n_elements;
  a.n_materials = n_materials;
  a.n_parts = n_parts;
  a.node_y = node_y;
  a.node_z = node_z;
  a.connectivity = connectivity;
  a.element_material = element_material;
  a.part_node_count = part_node_count;
  a.part_element_count = part_element_count;
  a.ref_modulus = ref_modulus;
  a.ref_poisson = ref_poisson;
  a.ref_area_weight = ref_area_weight;
  a.material_modulus = material_modulus;
  a.material_poisson = material_poisson;
  a.material_area_weight = material_area_weight;
  a.n_bars = n_bars;
  a.bar_radius = bar_radius;
  a.bar_y = bar_y;
  a.bar_z = bar_z;
  a.bar_modulus = bar_modulus;
  a.bar_area_weight = bar_area_weight;
  a.six_node_elements = six_node_elements;
  const auto m = bsp::caller_count(n_materials);
  const auto out = bsp::output(part_result, m ? bsp::checked_size(*m, bsp::part_slots) : std::nullopt);
  return bsp::guarded_call(
      [&] { return out ? bsp::part_main(a, *out) : bsp::Status::invalid_input; }, [&] { bsp::zero(out); });
}

extern "C" BSP_API int32_t BSPCombMain(double* result, double* stress_coords, const int32_t* n_nodes,
                                       const int32_t* n_stress_points, const int32_t* n_elements,
                                       const int32_t* n_materials, const int32_t* n_parts, const double* node_y,
                                       const double* node_z, const double* stress_y, const double* stress_z,
                                       const int32_t* connectivity, const int32_t* element_material,
                                       const int32_t* part_node_count, const int32_t* part_element_count,
                                       const double* ref_modulus, const double* ref_poisson,
                                       const double* ref_area_weight, const double* material_modulus,
                                       const double* material_poisson, const double* material_area_weight,
                                       const int32_t* n_bars, const double* bar_radius, const double* bar_y,
                                       const double* bar_z, const double* bar_modulus,
                                       const double* bar_area_weight, const int32_t* analysis_level,
                                       const int32_t* stress_reference, const int32_t* six_node_elements) {
  MeshedPartsArgs a;
  a.n_nodes = n_nodes;
  a.n_elements = n_elements;
  a.n_materials = n_materials;
  a.n_parts = n_parts;
  a.node_y = node_y;
  a.node_z = node_z;
  a.connectivity = connectivity;
  a.element_material = element_material;
  a.part_node_count = part_node_count;
  a.part_element_count = part_element_count;
  a.ref_modulus = ref_modulus;
  a.ref_poisson = ref_poisson;
  a.ref_area_weight = ref_area_weight;
  a.material_modulus = material_modulus;
  a.material_poisson = material_poisson;
  a.material_area_weight = material_area_weight;
  a.n_bars = n_bars;
  a.bar_radius = bar_radius;
  a.bar_y = bar_y;
  a.bar_z = bar_z;
  a.bar_modulus = bar_modulus;
  a.bar_area_weight = bar_area_weight;
  a.n_stress_points = n_stress_points;
  a.stress_y = stress_y;
  a.stress_z = stress_z;
  a.analysis_level = analysis_level;
  a.stress_reference = stress_reference;
  a.six_node_elements = six_node_elements;
  const auto n = bsp::caller_count(n_stress_points);
  const auto out = bsp::output(result, bsp::comb_result_size(n_stress_points, analysis_level));
  const auto coords = bsp::output(stress_coords, n ? bsp::checked_size(*n, 2) : std::nullopt);
  return bsp::guarded_call(
      [&] { return out && coords ? bsp::comb_main(a, *out, *coords) : bsp::Status::invalid_input; },
      [&] {
        bsp::zero(out);
        bsp::zero(coords);
      });
}

extern "C" BSP_API int32_t BSPDetail(double* detail_out_1, double* detail_out_2, double* detail_out_3,
                                     double* detail_out_4, const int32_t* n_nodes, const int32_t* n_stress_points,
                                     const int32_t* n_elements, const int32_t* n_materials, const int32_t* n_parts,
                                     const double* node_y, const double* node_z, const double* stress_y,
                                     const double* stress_z, const int32_t* connectivity,
                                     const int32_t* element_material, const int32_t* part_node_count,
                                     const int32_t* part_element_count, const double* ref_modulus,
                                     const double* ref_poisson, const double* material_modulus,
                                     const double* material_poisson, const int32_t* n_bars,
                                     const double* bar_radius, const double* bar_y, const double* bar_z,
                                     const double* bar_modulus, const double* detail_option_1,
                                     const double* detail_option_2, const double* detail_option_3,
                                     const double* detail_option_4, const int32_t* six_node_elements) {
  MeshedPartsArgs a;
  a.n_nodes = n_nodes;
  a.n_elements = n_elements;
  a.n_materials = n_materials;
  a.n_parts = n_parts;
  a.node_y = node_y;
  a.node_z = node_z;
  a.connectivity = connectivity;
  a.element_material = element_material;
  a.part_node_count = part_node_count;
  a.part_element_count = part_element_count;
  a.ref_modulus = ref_modulus;
  a.ref_poisson = ref_poisson;
  a.material_modulus = material_modulus;
  a.material_poisson = material_poisson;
  a.n_bars = n_bars;
  a.bar_radius = bar_radius;
  a.bar_y = bar_y;
  a.bar_z = bar_z;
  a.bar_modulus = bar_modulus;
  a.n_stress_points = n_stress_points;
  a.stress_y = stress_y;
  a.stress_z = stress_z;
  a.six_node_elements = six_node_elements;
  const bsp::DetailOptionArgs options{{detail_option_1, detail_option_2, detail_option_3, detail_option_4}};
  const auto sizes = bsp::detail_sizes(n_stress_points, n_materials);
  const auto size = [&](std::size_t bsp::DetailSizes::*field) {
    return sizes ? std::optional<std::size_t>((*sizes).*field) : std::nullopt;
  };
  const auto out1 = bsp::output(detail_out_1, size(&bsp::DetailSizes::section));
  const auto out2 = bsp::output(detail_out_2, size(&bsp::DetailSizes::stresses));
  const auto out3 = bsp::output(detail_out_3, size(&bsp::DetailSizes::offsets));
  const auto out4 = bsp::output(detail_out_4, size(&bsp::DetailSizes::materials));
  return bsp::guarded_call(
      [&] {
        if (!out1 || !out2 || !out3 || !out4) return bsp::Status::invalid_input;
        return bsp::detail_main(a, options, {*out1, *out2, *out3, *out4});
      },
      [&] {
        bsp::zero(out1);
        bsp::zero(out2);
        bsp::zero(out3);
        bsp::zero(out4);
      });
}
