// The outline exports. Each body gathers its pointers, sizes the output spans
// to their documented lengths and runs its driver (outline_driver.h) through
// run_on_outputs (guarded_outputs.h).
#include <array>
#include <optional>
#include <span>

#include "bsp/bsp.h"
#include "interface/caller_arrays.h"
#include "interface/guarded_outputs.h"
#include "interface/outline_driver.h"

using bsp::OutlineArgs;

extern "C" BSP_API int32_t BSPMeshMain(double* result, double* stress_coords, const int32_t* n_regions,
                                       const int32_t* n_bars, const double* bar_radius, const double* bar_y,
                                       const double* bar_z, const int32_t* n_stress_points, const double* stress_y,
                                       const double* stress_z, const double* ref_modulus, const double* ref_poisson,
                                       const double* region_modulus, const double* region_poisson,
                                       const double* bar_modulus, const double* ref_area_weight,
                                       const double* region_area_weight, const double* bar_area_weight,
                                       const int32_t* n_points, const double* point_y, const double* point_z,
                                       const int32_t* n_segments, const int32_t* segments,
                                       const double* element_size, const int32_t* analysis_level,
                                       const int32_t* stress_reference, const int32_t* linear_elements) {
  const OutlineArgs a{.n_regions = n_regions, .n_bars = n_bars, .bar_radius = bar_radius, .bar_y = bar_y,
                      .bar_z = bar_z, .n_stress_points = n_stress_points, .stress_y = stress_y,
                      .stress_z = stress_z, .ref_modulus = ref_modulus, .ref_poisson = ref_poisson,
                      .region_modulus = region_modulus, .region_poisson = region_poisson,
                      .bar_modulus = bar_modulus, .ref_area_weight = ref_area_weight,
                      .region_area_weight = region_area_weight, .bar_area_weight = bar_area_weight,
                      .n_points = n_points, .point_y = point_y, .point_z = point_z, .n_segments = n_segments,
                      .segments = segments, .element_size = element_size, .analysis_level = analysis_level,
                      .stress_reference = stress_reference, .linear_elements = linear_elements};
  const auto n = bsp::caller_count(n_stress_points);
  const std::array outs{bsp::output(result, bsp::mesh_main_result_size(n_stress_points, analysis_level), "result",
                                    "n_stress_points or analysis_level"),
                        bsp::output(stress_coords, n ? bsp::checked_size(*n, 2) : std::nullopt, "stress_coords",
                                    "n_stress_points")};
  return bsp::run_on_outputs(
      outs, [&](std::span<double> out, std::span<double> coords) { return bsp::mesh_main(a, out, coords); });
}

extern "C" BSP_API int32_t BSPPartMeshMain(double* part_result, const int32_t* n_regions, const int32_t* n_bars,
                                           const double* bar_radius, const double* bar_y, const double* bar_z,
                                           const double* ref_modulus, const double* ref_poisson,
                                           const double* region_modulus, const double* region_poisson,
                                           const double* bar_modulus, const double* ref_area_weight,
                                           const double* region_area_weight, const double* bar_area_weight,
                                           const int32_t* n_points, const double* point_y, const double* point_z,
                                           const int32_t* n_segments, const int32_t* segments,
                                           const double* element_size, const int32_t* linear_elements) {
  const OutlineArgs a{.n_regions = n_regions, .n_bars = n_bars, .bar_radius = bar_radius, .bar_y = bar_y,
                      .bar_z = bar_z, .ref_modulus = ref_modulus, .ref_poisson = ref_poisson,
                      .region_modulus = region_modulus, .region_poisson = region_poisson,
                      .bar_modulus = bar_modulus, .ref_area_weight = ref_area_weight,
                      .region_area_weight = region_area_weight, .bar_area_weight = bar_area_weight,
                      .n_points = n_points, .point_y = point_y, .point_z = point_z, .n_segments = n_segments,
                      .segments = segments, .element_size = element_size, .linear_elements = linear_elements};
  const auto solid = bsp::solid_region_count(n_regions, region_modulus);
  const std::array outs{bsp::output(part_result, solid ? bsp::checked_size(static_cast<std::int64_t>(*solid),
                                                                           bsp::part_slots)
                                                       : std::nullopt,
                                    "part_result", "n_regions or region_modulus")};
  return bsp::run_on_outputs(outs, [&](std::span<double> out) { return bsp::part_mesh_main(a, out); });
}

extern "C" BSP_API int32_t BSPDetailMesh(double* detail_out_1, double* detail_out_2, double* detail_out_3,
                                         double* detail_out_4, const int32_t* n_regions, const int32_t* n_bars,
                                         const double* bar_radius, const double* bar_y, const double* bar_z,
                                         const int32_t* n_stress_points, const double* stress_y,
                                         const double* stress_z, const double* ref_modulus,
                                         const double* ref_poisson, const double* region_modulus,
                                         const double* region_poisson, const double* bar_modulus,
                                         const int32_t* n_points, const double* point_y, const double* point_z,
                                         const int32_t* n_segments, const int32_t* segments,
                                         const double* element_size, const double* detail_option_1,
                                         const double* detail_option_2, const double* detail_option_3,
                                         const double* detail_option_4, const int32_t* linear_elements) {
  const OutlineArgs a{.n_regions = n_regions, .n_bars = n_bars, .bar_radius = bar_radius, .bar_y = bar_y,
                      .bar_z = bar_z, .n_stress_points = n_stress_points, .stress_y = stress_y,
                      .stress_z = stress_z, .ref_modulus = ref_modulus, .ref_poisson = ref_poisson,
                      .region_modulus = region_modulus, .region_poisson = region_poisson,
                      .bar_modulus = bar_modulus, .n_points = n_points, .point_y = point_y, .point_z = point_z,
                      .n_segments = n_segments, .segments = segments, .element_size = element_size,
                      .linear_elements = linear_elements};
  const bsp::DetailOptionArgs options{{detail_option_1, detail_option_2, detail_option_3, detail_option_4}};
  const auto sizes = bsp::detail_mesh_sizes(n_stress_points, n_regions, region_modulus);
  const auto size = [&](std::size_t bsp::DetailSizes::*field) {
    return sizes ? std::optional<std::size_t>((*sizes).*field) : std::nullopt;
  };
  const std::array outs{bsp::output(detail_out_1, size(&bsp::DetailSizes::section), "detail_out_1",
                                    "n_stress_points, n_regions or region_modulus"),
                        bsp::output(detail_out_2, size(&bsp::DetailSizes::stresses), "detail_out_2",
                                    "n_stress_points, n_regions or region_modulus"),
                        bsp::output(detail_out_3, size(&bsp::DetailSizes::offsets), "detail_out_3",
                                    "n_stress_points, n_regions or region_modulus"),
                        bsp::output(detail_out_4, size(&bsp::DetailSizes::materials), "detail_out_4",
                                    "n_stress_points, n_regions or region_modulus")};
  return bsp::run_on_outputs(outs, [&](std::span<double> section, std::span<double> stresses,
                                       std::span<double> offsets, std::span<double> materials) {
    return bsp::detail_mesh(a, options, {section, stresses, offsets, materials});
  });
}
