// The caller's arguments of the outline exports (BSPMeshMain,
// BSPPartMeshMain, BSPDetailMesh, BSPFirstMomentOfAreaMesh) and their checks. read_outline turns the
// raw pointers into checked values and an Outline in the mesher's axes; past
// it nothing reads a caller array by an index it has not proven in range.
//
// Every failed check throws CallError naming the check and the first
// offending item in the caller's 1-based numbering. The reference material is
// checked before anything else (BSP_E_SOLVER); everything else is an input
// error (BSP_E_INPUT). Geometry that passes these checks may still enclose no
// valid region: the domain maker judges that (outline_driver.h).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "geometry/outline.h"

namespace bsp {

// first_moment_mesh reads no Poisson ratios, area weights, stress points or
// linear_elements flag.
enum class OutlineExport { mesh_main, part_mesh_main, detail_mesh, first_moment_mesh };

// Pointers exactly as the host passed them. Fields an export does not have
// stay null (area weights for BSPDetailMesh; stress points, analysis level
// and stress reference for BSPPartMeshMain).
struct OutlineArgs {
  const std::int32_t* n_regions = nullptr;
  const std::int32_t* n_bars = nullptr;
  const double* bar_radius = nullptr;
  const double* bar_y = nullptr;
  const double* bar_z = nullptr;
  const std::int32_t* n_stress_points = nullptr;
  const double* stress_y = nullptr;
  const double* stress_z = nullptr;
  const double* ref_modulus = nullptr;
  const double* ref_poisson = nullptr;
  const double* region_modulus = nullptr;
  const double* region_poisson = nullptr;
  const double* bar_modulus = nullptr;
  const double* ref_area_weight = nullptr;
  const double* region_area_weight = nullptr;
  const double* bar_area_weight = nullptr;
  const std::int32_t* n_points = nullptr;
  const double* point_y = nullptr;
  const double* point_z = nullptr;
  const std::int32_t* n_segments = nullptr;
  const std::int32_t* segments = nullptr;
  const double* element_size = nullptr;
  const std::int32_t* analysis_level = nullptr;
  const std::int32_t* stress_reference = nullptr;
  const std::int32_t* linear_elements = nullptr;
};

// The same arguments, checked. Spans have their documented lengths; weights
// are empty for BSPDetailMesh, stress points empty for BSPPartMeshMain.
struct OutlineInput {
  Outline outline;  // caller's units; x = point_y, y = point_z; segments 0-based
  double element_size = 0.0;
  double ref_modulus = 0, ref_poisson = 0, ref_area_weight = 1;
  std::span<const double> region_modulus, region_poisson, region_area_weight;
  std::span<const double> bar_radius, bar_y, bar_z, bar_modulus, bar_area_weight;
  std::span<const double> stress_y, stress_z;
  std::int32_t analysis_level = 0;  // negative values read as 0
  std::int32_t stress_reference = 0;
};

// Shortest segment accepted, in the caller's units: below it the automatic
// size and its scale factor lose all meaning. The mesher's own zero length
// (data_2d::zero_tolerance); pinned by tests/interface/outline_input_test.cpp.
inline constexpr double min_segment_length = 1e-8;

// Number of regions that are not holes (region_modulus exactly 0.0), for
// sizing the outputs before the checks run; nothing when n_regions cannot be
// read or region_modulus is null with n_regions > 0.
std::optional<std::size_t> solid_region_count(const std::int32_t* n_regions, const double* region_modulus);

// Fills `in` or throws CallError (status solver_error for the reference
// material, invalid_input for everything else).
void read_outline(const OutlineArgs& args, OutlineExport kind, OutlineInput& in);

}  // namespace bsp
