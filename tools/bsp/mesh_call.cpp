#include "mesh_call.h"

#include <bsp/bsp.h>

namespace bsp_cli {
namespace {

std::int32_t count(std::size_t n) { return static_cast<std::int32_t>(n); }

std::size_t result_size(int level, std::size_t n_points) {
  const std::size_t base = level <= 0 ? 39 : level < 3 ? 43 : 73;
  return base + 3 * n_points;
}

}  // namespace

CombResult comb_main(const MeshInput& m, const std::vector<double>& sy, const std::vector<double>& sz, int level) {
  CombResult r{0, std::vector<double>(result_size(level, sy.size()), 0.0), std::vector<double>(2 * sy.size() + 1, 0.0)};
  const std::int32_t n_nodes = count(m.node_y.size()), n_points = count(sy.size()),
                     n_elements = count(m.element_material.size()), n_materials = count(m.modulus.size()),
                     n_parts = count(m.part_nodes.size()), n_bars = count(m.bar_radius.size()), lv = level,
                     reference = m.stress_reference, six = m.nodes_per_element == 6 ? 1 : 0;
  r.code = BSPCombMain(r.result.data(), r.offsets.data(), &n_nodes, &n_points, &n_elements, &n_materials, &n_parts,
                       m.node_y.data(), m.node_z.data(), sy.data(), sz.data(), m.connectivity.data(),
                       m.element_material.data(), m.part_nodes.data(), m.part_elements.data(), &m.ref_modulus,
                       &m.ref_poisson, &m.ref_area_weight, m.modulus.data(), m.poisson.data(), m.area_weight.data(),
                       &n_bars, m.bar_radius.data(), m.bar_y.data(), m.bar_z.data(), m.bar_modulus.data(),
                       m.bar_area_weight.data(), &lv, &reference, &six);
  r.offsets.resize(2 * sy.size());
  return r;
}

PartResult part_main(const MeshInput& m) {
  PartResult r{0, std::vector<double>(BSP_PART_SLOTS * m.modulus.size() + 1, 0.0)};
  const std::int32_t n_nodes = count(m.node_y.size()), n_elements = count(m.element_material.size()),
                     n_materials = count(m.modulus.size()), n_parts = count(m.part_nodes.size()),
                     n_bars = count(m.bar_radius.size()), six = m.nodes_per_element == 6 ? 1 : 0;
  r.code = BSPPartMain(r.part.data(), &n_nodes, &n_elements, &n_materials, &n_parts, m.node_y.data(), m.node_z.data(),
                       m.connectivity.data(), m.element_material.data(), m.part_nodes.data(), m.part_elements.data(),
                       &m.ref_modulus, &m.ref_poisson, &m.ref_area_weight, m.modulus.data(), m.poisson.data(),
                       m.area_weight.data(), &n_bars, m.bar_radius.data(), m.bar_y.data(), m.bar_z.data(),
                       m.bar_modulus.data(), m.bar_area_weight.data(), &six);
  r.part.resize(BSP_PART_SLOTS * m.modulus.size());
  return r;
}

DetailResult detail(const MeshInput& m, const std::vector<double>& sy, const std::vector<double>& sz,
                    const Forces& f) {
  const std::size_t n = sy.size(), n_mat = m.modulus.size();
  DetailResult r{0, std::vector<double>(38, 0.0), std::vector<double>(4 * n * n_mat + 6, 0.0),
                 std::vector<double>(2 * n + 1, 0.0), std::vector<double>(n + 1, 0.0)};
  const std::int32_t n_nodes = count(m.node_y.size()), n_points = count(n),
                     n_elements = count(m.element_material.size()), n_materials = count(n_mat),
                     n_parts = count(m.part_nodes.size()), n_bars = count(m.bar_radius.size()),
                     six = m.nodes_per_element == 6 ? 1 : 0;
  const double o1[2] = {f.n, f.t}, o2[2] = {f.vy, f.vz}, o3[2] = {f.my, f.mz},
               o4[2] = {static_cast<double>(m.stress_reference), 0.0};
  r.code = BSPDetail(r.out1.data(), r.out2.data(), r.out3.data(), r.out4.data(), &n_nodes, &n_points, &n_elements,
                     &n_materials, &n_parts, m.node_y.data(), m.node_z.data(), sy.data(), sz.data(),
                     m.connectivity.data(), m.element_material.data(), m.part_nodes.data(), m.part_elements.data(),
                     &m.ref_modulus, &m.ref_poisson, m.modulus.data(), m.poisson.data(), &n_bars, m.bar_radius.data(),
                     m.bar_y.data(), m.bar_z.data(), m.bar_modulus.data(), o1, o2, o3, o4, &six);
  r.out3.resize(2 * n);
  r.out4.resize(n);
  return r;
}

}  // namespace bsp_cli
