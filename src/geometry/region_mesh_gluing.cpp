#include "geometry/region_mesh_gluing.h"

#include <cstddef>
#include <limits>
#include <stdexcept>
#include <vector>

#include "common/large_allocator.h"
#include "geometry/coincidence_grid.h"
#include "geometry/smallest_root_sets.h"

namespace bsp {
namespace {

constexpr std::size_t k = merged_nodes_per_element;

// Nodes of region mesh m that may lie on its boundary: the first `wire`
// nodes and the mid-side nodes between two of them.
std::vector<char> boundary_candidates(const domain_maker::Flat_Mesh& m, std::int32_t wire) {
  const std::size_t n = m.x.size();
  if (wire < 0 || static_cast<std::size_t>(wire) >= n) return std::vector<char>(n, 1);
  std::vector<char> mark(n, 0);
  for (std::size_t i = 0; i < static_cast<std::size_t>(wire); ++i) mark[i] = 1;
  for (std::size_t e = 0; e < m.connectivity.size(); e += k) {
    for (std::size_t s = 0; s < 3; ++s) {
      const std::int32_t a = m.connectivity[e + s] - 1, b = m.connectivity[e + (s + 1) % 3] - 1;
      if (a < wire && b < wire) mark[static_cast<std::size_t>(m.connectivity[e + 3 + s] - 1)] = 1;
    }
  }
  return mark;
}

}  // namespace

MergedSection glue_region_meshes(std::span<const RegionMesh> regions) {
  // Concatenated numbering: region r's node i is offset[r] + i.
  std::vector<std::size_t> offset(regions.size() + 1, 0);
  for (std::size_t r = 0; r < regions.size(); ++r) {
    const domain_maker::Flat_Mesh& m = regions[r].mesh;
    if (m.y.size() != m.x.size() || m.connectivity.size() % k != 0)
      throw std::invalid_argument("glue_region_meshes: a region is not a mesh of 6-node triangles");
    for (const std::int32_t n : m.connectivity)
      if (n < 1 || static_cast<std::size_t>(n) > m.x.size())
        throw std::invalid_argument("glue_region_meshes: a node number is outside its region");
    offset[r + 1] = offset[r] + m.x.size();
  }
  const std::size_t n_total = offset.back();
  if (n_total > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw std::length_error("glue_region_meshes: too many nodes");

  const auto coordinate = [&](std::size_t r, std::size_t i, bool first) {
    return first ? regions[r].mesh.x[i] : regions[r].mesh.y[i];
  };
  // Each node's representative: the first node, in concatenated order, at
  // its point. Only boundary candidates can have one other than themselves.
  LargeVector<std::int32_t> rep(n_total);
  LargeVector<std::int32_t> rep_region(n_total);
  SmallestRootSets region_sets(regions.size());
  CoincidenceGrid grid;
  for (std::size_t r = 0; r < regions.size(); ++r) {
    const domain_maker::Flat_Mesh& m = regions[r].mesh;
    const std::vector<char> candidate = boundary_candidates(m, regions[r].wire_nodes);
    for (std::size_t i = 0; i < m.x.size(); ++i) {
      const auto g = static_cast<std::int32_t>(offset[r] + i);
      rep[static_cast<std::size_t>(g)] = g;
      rep_region[static_cast<std::size_t>(g)] = static_cast<std::int32_t>(r);
      if (!candidate[i]) continue;
      const double x = m.x[i], y = m.y[i];
      grid.for_each_near(x, y, [&](std::int32_t other, std::int32_t other_region) {
        if (static_cast<std::size_t>(other_region) == r) return;
        const std::size_t j = static_cast<std::size_t>(other) - offset[static_cast<std::size_t>(other_region)];
        const double dx = x - coordinate(static_cast<std::size_t>(other_region), j, true);
        const double dy = y - coordinate(static_cast<std::size_t>(other_region), j, false);
        if (!(dx * dx + dy * dy < node_coincidence_tolerance * node_coincidence_tolerance)) return;
        region_sets.unite(static_cast<std::int32_t>(r), other_region);
        if (rep[static_cast<std::size_t>(g)] == g || rep[static_cast<std::size_t>(other)] < rep[static_cast<std::size_t>(g)])
          rep[static_cast<std::size_t>(g)] = rep[static_cast<std::size_t>(other)];
      });
      grid.insert(g, static_cast<std::int32_t>(r), x, y);
    }
  }

  // Components in the order of their first region (the smallest member is
  // every set's root), regions in order inside each.
  std::vector<std::vector<std::size_t>> components;
  std::vector<std::int32_t> component_of_root(regions.size(), -1);
  for (std::size_t r = 0; r < regions.size(); ++r) {
    const auto root = static_cast<std::size_t>(region_sets.find(static_cast<std::int32_t>(r)));
    if (component_of_root[root] < 0) {
      component_of_root[root] = static_cast<std::int32_t>(components.size());
      components.emplace_back();
    }
    components[static_cast<std::size_t>(component_of_root[root])].push_back(r);
  }

  MergedSection out;
  std::size_t n_elements = 0;
  for (const RegionMesh& region : regions) n_elements += region.mesh.connectivity.size() / k;
  out.connectivity.reserve(n_elements * k);
  out.element_material.reserve(n_elements);
  out.element_origin.reserve(n_elements);
  out.x.reserve(n_total);
  out.y.reserve(n_total);
  std::vector<std::size_t> first_element(regions.size() + 1, 0);
  for (std::size_t r = 0; r < regions.size(); ++r)
    first_element[r + 1] = first_element[r] + regions[r].mesh.connectivity.size() / k;
  LargeVector<std::int32_t> number(n_total, 0);
  for (const std::vector<std::size_t>& members : components) {
    std::int32_t elements = 0, nodes = 0;
    for (const std::size_t r : members) {
      const domain_maker::Flat_Mesh& m = regions[r].mesh;
      for (std::size_t e = 0; e < m.connectivity.size() / k; ++e) {
        out.element_material.push_back(regions[r].part);
        out.element_origin.push_back(static_cast<std::int32_t>(first_element[r] + e));
        for (std::size_t i = 0; i < k; ++i) {
          const auto g = offset[r] + static_cast<std::size_t>(m.connectivity[e * k + i] - 1);
          const auto p = static_cast<std::size_t>(rep[g]);
          if (number[p] == 0) {
            const auto pr = static_cast<std::size_t>(rep_region[p]);
            out.x.push_back(regions[pr].mesh.x[p - offset[pr]]);
            out.y.push_back(regions[pr].mesh.y[p - offset[pr]]);
            number[p] = static_cast<std::int32_t>(out.x.size());
            ++nodes;
          }
          out.connectivity.push_back(number[p]);
        }
        ++elements;
      }
    }
    out.component_element_count.push_back(elements);
    out.component_node_count.push_back(nodes);
  }
  return out;
}

}  // namespace bsp
