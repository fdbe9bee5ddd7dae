// A host-meshed section in the layout of the meshed-section exports, and the
// calls the command makes on it (report and pictures share them).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "outline.h"

namespace bsp_cli {

struct MeshInput {
  std::vector<std::string> material_names;  // material m (1-based) is material_names[m - 1]
  std::vector<double> modulus, poisson, area_weight;
  double ref_modulus = 0.0, ref_poisson = 0.0, ref_area_weight = 1.0;
  std::vector<double> node_y, node_z;
  std::vector<std::int32_t> connectivity;      // 1-based over all parts, k per element
  std::vector<std::int32_t> element_material;  // 1-based
  std::vector<std::int32_t> part_nodes, part_elements;
  std::int32_t nodes_per_element = 3;
  std::vector<double> bar_radius, bar_y, bar_z, bar_modulus, bar_area_weight;
  std::vector<double> stress_y, stress_z;
  std::int32_t stress_reference = 0;  // 0 centroid, 1 shear centre
};

struct CombResult {
  std::int32_t code;
  std::vector<double> result;  // layout BSP_SLOT_*
  std::vector<double> offsets; // pairs (y, z)
};
CombResult comb_main(const MeshInput& m, const std::vector<double>& sy, const std::vector<double>& sz, int level);

struct PartResult {
  std::int32_t code;
  std::vector<double> part;  // BSP_PART_SLOTS per material
};
PartResult part_main(const MeshInput& m);

// Section forces of BSPDetail.
struct Forces {
  double n = 0, t = 0, vy = 0, vz = 0, my = 0, mz = 0;
};
struct DetailResult {
  std::int32_t code;
  std::vector<double> out1, out2, out3, out4;
};
DetailResult detail(const MeshInput& m, const std::vector<double>& sy, const std::vector<double>& sz,
                    const Forces& f);

// An outline section in the layout of the outline exports: one set of
// material constants per region, in the library's region order (a void has
// modulus 0).
struct OutlineInput {
  OutlineGeometry geometry;
  std::vector<double> region_modulus, region_poisson, region_area_weight;
  double ref_modulus = 0.0, ref_poisson = 0.0, ref_area_weight = 1.0;
  std::vector<double> bar_radius, bar_y, bar_z, bar_modulus, bar_area_weight;
  std::vector<double> stress_y, stress_z;
  std::int32_t stress_reference = 0;  // 0 centroid, 1 shear centre
  double element_size = 0.0;          // 0: the library chooses
};
CombResult mesh_main(const OutlineInput& o, int level);
PartResult part_mesh_main(const OutlineInput& o);          // one record per solid region
DetailResult detail_mesh(const OutlineInput& o, const Forces& f);

}  // namespace bsp_cli
