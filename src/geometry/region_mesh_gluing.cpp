#include "geometry/region_mesh_gluing.h"

#include <cstddef>
#include <limits>
#include <stdexcept>
#include <vector>

namespace bsp {

MergedSection glue_region_meshes(std::span<const RegionMesh> regions) {
  std::size_t n_nodes = 0;
  std::size_t n_entries = 0;
  for (const RegionMesh& r : regions) {
    n_nodes += r.mesh.x.size();
    n_entries += r.mesh.connectivity.size();
  }
  if (n_nodes > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw std::length_error("glue_region_meshes: too many nodes");

  std::vector<double> x, y;
  std::vector<std::int32_t> connectivity, part, part_elements;
  x.reserve(n_nodes);
  y.reserve(n_nodes);
  connectivity.reserve(n_entries);
  part.reserve(n_entries / merged_nodes_per_element);
  part_elements.reserve(regions.size());
  for (const RegionMesh& r : regions) {
    const auto offset = static_cast<std::int32_t>(x.size());
    x.insert(x.end(), r.mesh.x.begin(), r.mesh.x.end());
    y.insert(y.end(), r.mesh.y.begin(), r.mesh.y.end());
    for (const std::int32_t n : r.mesh.connectivity) connectivity.push_back(n + offset);
    const std::size_t elements = r.mesh.connectivity.size() / merged_nodes_per_element;
    part.insert(part.end(), elements, r.part);
    part_elements.push_back(static_cast<std::int32_t>(elements));
  }
  return merge_section({x, y, connectivity, part, part_elements, merged_nodes_per_element});
}

}  // namespace bsp
