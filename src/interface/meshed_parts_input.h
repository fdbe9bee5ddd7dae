// The caller's arguments of the meshed-parts exports (BSPPartMain, BSPCombMain,
// BSPDetail) and their checks. read_meshed_parts turns the raw pointers into
// typed views after every check has passed; past this point nothing reads a
// caller array by an index it has not proven in range.
//
// It checks the host's numbers only; element orientation needs the merged
// mesh and is checked by the driver (meshed_parts_driver.h).
#pragma once

#include <cstdint>
#include <span>

#include "common/status.h"

namespace bsp {

enum class MeshedPartsExport { part_main, comb_main, detail };

// Pointers exactly as the host passed them. Fields an export does not have
// stay null (area weights for BSPDetail; stress points, analysis level and
// stress reference for BSPPartMain).
struct MeshedPartsArgs {
  const std::int32_t* n_nodes = nullptr;
  const std::int32_t* n_elements = nullptr;
  const std::int32_t* n_materials = nullptr;
  const std::int32_t* n_parts = nullptr;
  const double* node_y = nullptr;
  const double* node_z = nullptr;
  const std::int32_t* connectivity = nullptr;
  const std::int32_t* element_material = nullptr;
  const std::int32_t* part_node_count = nullptr;
  const std::int32_t* part_element_count = nullptr;
  const double* ref_modulus = nullptr;
  const double* ref_poisson = nullptr;
  const double* ref_area_weight = nullptr;
  const double* material_modulus = nullptr;
  const double* material_poisson = nullptr;
  const double* material_area_weight = nullptr;
  const std::int32_t* n_bars = nullptr;
  const double* bar_radius = nullptr;
  const double* bar_y = nullptr;
  const double* bar_z = nullptr;
  const double* bar_modulus = nullptr;
  const double* bar_area_weight = nullptr;
  const std::int32_t* n_stress_points = nullptr;
  const double* stress_y = nullptr;
  const double* stress_z = nullptr;
  const std::int32_t* analysis_level = nullptr;
  const std::int32_t* stress_reference = nullptr;
  const std::int32_t* six_node_elements = nullptr;
};

// The same arguments, checked. Spans have their documented lengths; weights
// are empty for BSPDetail, stress points empty for BSPPartMain.
struct MeshedPartsInput {
  std::span<const double> node_y, node_z;
  std::span<const std::int32_t> connectivity, element_material;
  std::span<const std::int32_t> part_node_count, part_element_count;
  int nodes_per_element = 3;
  std::int32_t n_materials = 0;
  double ref_modulus = 0, ref_poisson = 0, ref_area_weight = 1;
  std::span<const double> material_modulus, material_poisson, material_area_weight;
  std::span<const double> bar_radius, bar_y, bar_z, bar_modulus, bar_area_weight;
  std::span<const double> stress_y, stress_z;
  std::int32_t analysis_level = 0;  // negative values read as 0
  std::int32_t stress_reference = 0;
};

// Poisson's ratio accepted for every material: 0 up to the incompressible
// limit 0.5. The physical lower bound is -1; 0 is the documented one, which
// keeps the shear functions' Poisson coupling within the range the library is
// tested on.
inline constexpr double min_poisson = 0.0;
inline constexpr double max_poisson = 0.5;

// ok with `in` filled; throws CallError(invalid_input) with `in` untouched
// and a message naming the check and the first offending item (1-based) when
// any check fails: a pointer is null where data is needed, a count is negative, a size
// overflows, the part counts do not add up to n_nodes and to n_elements (each
// on its own), a node number is outside 1..n_nodes, an element material is 0
// or beyond +-n_materials, a coordinate or constant is not finite, a modulus
// or reference area weight is not > 0, a Poisson ratio is outside
// [min_poisson, max_poisson], a bar radius or modulus is negative, or, for
// 3-node input, n_nodes + 3 n_elements would not fit the node numbering.
Status read_meshed_parts(const MeshedPartsArgs& args, MeshedPartsExport kind, MeshedPartsInput& in);

}  // namespace bsp
