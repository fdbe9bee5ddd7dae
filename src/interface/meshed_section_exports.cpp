// The meshed-section exports. Each body gathers its pointers, sizes the
// output spans to their documented lengths, and hands both to run_on_outputs
// (guarded_outputs.h).
#include <array>
#include <optional>
#include <span>

#include "bsp/bsp.h"
#include "interface/caller_arrays.h"
#include "interface/guarded_outputs.h"
#include "interface/meshed_parts_driver.h"
#include "interface/message.h"

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
  const MeshedPartsArgs a{.n_nodes = n_nodes, .n_elements = n_elements, .n_materials = n_materials,
                          .n_parts = n_parts, .node_y = node_y, .node_z = node_z, .connectivity = connectivity,
                          .element_material = element_material, .part_node_count = part_node_count,
                          .part_element_count = part_element_count, .ref_modulus = ref_modulus,
                          .ref_poisson = ref_poisson, .ref_area_weight = ref_area_weight,
                          .material_modulus = material_modulus, .material_poisson = material_poisson,
                          .material_area_weight = material_area_weight, .n_bars = n_bars, .bar_radius = bar_radius,
                          .bar_y = bar_y, .bar_z = bar_z, .bar_modulus = bar_modulus,
                          .bar_area_weight = bar_area_weight, .six_node_elements = six_node_elements};
  const auto m = bsp::caller_count(n_materials);
  const std::array outs{bsp::output(part_result, m ? bsp::checked_size(*m, bsp::part_slots) : std::nullopt, "part_result", "n_materials")};
  return bsp::run_on_outputs(outs, [&](std::span<double> out) { return bsp::part_main(a, out); });
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
  const MeshedPartsArgs a{.n_nodes = n_nodes, .n_elements = n_elements, .n_materials = n_materials,
                          .n_parts = n_parts, .node_y = node_y, .node_z = node_z, .connectivity = connectivity,
                          .element_material = element_material, .part_node_count = part_node_count,
                          .part_element_count = part_element_count, .ref_modulus = ref_modulus,
                          .ref_poisson = ref_poisson, .ref_area_weight = ref_area_weight,
                          .material_modulus = material_modulus, .material_poisson = material_poisson,
                          .material_area_weight = material_area_weight, .n_bars = n_bars, .bar_radius = bar_radius,
                          .bar_y = bar_y, .bar_z = bar_z, .bar_modulus = bar_modulus,
                          .bar_area_weight = bar_area_weight, .n_stress_points = n_stress_points,
                          .stress_y = stress_y, .stress_z = stress_z, .analysis_level = analysis_level,
                          .stress_reference = stress_reference, .six_node_elements = six_node_elements};
  const auto n = bsp::caller_count(n_stress_points);
  const std::array outs{bsp::output(result, bsp::comb_result_size(n_stress_points, analysis_level), "result", "n_stress_points or analysis_level"),
                        bsp::output(stress_coords, n ? bsp::checked_size(*n, 2) : std::nullopt, "stress_coords", "n_stress_points")};
  return bsp::run_on_outputs(
      outs, [&](std::span<double> out, std::span<double> coords) { return bsp::comb_main(a, out, coords); });
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
  const MeshedPartsArgs a{.n_nodes = n_nodes, .n_elements = n_elements, .n_materials = n_materials,
                          .n_parts = n_parts, .node_y = node_y, .node_z = node_z, .connectivity = connectivity,
                          .element_material = element_material, .part_node_count = part_node_count,
                          .part_element_count = part_element_count, .ref_modulus = ref_modulus,
                          .ref_poisson = ref_poisson, .material_modulus = material_modulus,
                          .material_poisson = material_poisson, .n_bars = n_bars, .bar_radius = bar_radius,
                          .bar_y = bar_y, .bar_z = bar_z, .bar_modulus = bar_modulus,
                          .n_stress_points = n_stress_points, .stress_y = stress_y, .stress_z = stress_z,
                          .six_node_elements = six_node_elements};
  const bsp::DetailOptionArgs options{{detail_option_1, detail_option_2, detail_option_3, detail_option_4}};
  const auto sizes = bsp::detail_sizes(n_stress_points, n_materials);
  const auto size = [&](std::size_t bsp::DetailSizes::*field) {
    return sizes ? std::optional<std::size_t>((*sizes).*field) : std::nullopt;
  };
  const std::array outs{bsp::output(detail_out_1, size(&bsp::DetailSizes::section), "detail_out_1", "n_stress_points or n_materials"),
                        bsp::output(detail_out_2, size(&bsp::DetailSizes::stresses), "detail_out_2", "n_stress_points or n_materials"),
                        bsp::output(detail_out_3, size(&bsp::DetailSizes::offsets), "detail_out_3", "n_stress_points or n_materials"),
                        bsp::output(detail_out_4, size(&bsp::DetailSizes::materials), "detail_out_4", "n_stress_points or n_materials")};
  return bsp::run_on_outputs(outs, [&](std::span<double> section, std::span<double> stresses,
                                       std::span<double> offsets, std::span<double> materials) {
    return bsp::detail_main(a, options, {section, stresses, offsets, materials});
  });
}
