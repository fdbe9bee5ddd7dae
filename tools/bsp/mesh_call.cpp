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

namespace {

std::size_t solid_regions(const OutlineInput& o) {
  std::size_t s = 0;
  for (double e : o.region_modulus) s += e != 0.0;
  return s;
}

}  // namespace

CombResult mesh_main(const OutlineInput& o, int level) {
  const std::size_t n = o.stress_y.size();
  CombResult r{0, std::vector<double>(result_size(level, n), 0.0), std::vector<double>(2 * n + 1, 0.0)};
  const OutlineGeometry& g = o.geometry;
  const std::int32_t n_regions = count(o.region_modulus.size()), n_bars = count(o.bar_radius.size()),
                     n_points = count(n), n_outline = count(g.point_y.size()), n_segments = count(g.segments.size() / 2),
                     lv = level, reference = o.stress_reference, linear = 0;
  r.code = BSPMeshMain(r.result.data(), r.offsets.data(), &n_regions, &n_bars, o.bar_radius.data(), o.bar_y.data(),
                       o.bar_z.data(), &n_points, o.stress_y.data(), o.stress_z.data(), &o.ref_modulus, &o.ref_poisson,
                       o.region_modulus.data(), o.region_poisson.data(), o.bar_modulus.data(), &o.ref_area_weight,
                       o.region_area_weight.data(), o.bar_area_weight.data(), &n_outline, g.point_y.data(),
                       g.point_z.data(), &n_segments, g.segments.data(), &o.element_size, &lv, &reference, &linear);
  r.offsets.resize(2 * n);
  return r;
}

PartResult part_mesh_main(const OutlineInput& o) {
  PartResult r{0, std::vector<double>(BSP_PART_SLOTS * solid_regions(o) + 1, 0.0)};
  const OutlineGeometry& g = o.geometry;
  const std::int32_t n_regions = count(o.region_modulus.size()), n_bars = count(o.bar_radius.size()),
                     n_outline = count(g.point_y.size()), n_segments = count(g.segments.size() / 2), linear = 0;
  r.code = BSPPartMeshMain(r.part.data(), &n_regions, &n_bars, o.bar_radius.data(), o.bar_y.data(), o.bar_z.data(),
                           &o.ref_modulus, &o.ref_poisson, o.region_modulus.data(), o.region_poisson.data(),
                           o.bar_modulus.data(), &o.ref_area_weight, o.region_area_weight.data(),
                           o.bar_area_weight.data(), &n_outline, g.point_y.data(), g.point_z.data(), &n_segments,
                           g.segments.data(), &o.element_size, &linear);
  r.part.resize(BSP_PART_SLOTS * solid_regions(o));
  return r;
}

DetailResult detail_mesh(const OutlineInput& o, const Forces& f) {
  const std::size_t n = o.stress_y.size(), s = solid_regions(o);
  DetailResult r{0, std::vector<double>(38, 0.0), std::vector<double>(4 * n * s + 6, 0.0),
                 std::vector<double>(2 * n + 1, 0.0), std::vector<double>(n + 1, 0.0)};
  const OutlineGeometry& g = o.geometry;
  const std::int32_t n_regions = count(o.region_modulus.size()), n_bars = count(o.bar_radius.size()),
                     n_points = count(n), n_outline = count(g.point_y.size()), n_segments = count(g.segments.size() / 2),
                     linear = 0;
  const double o1[2] = {f.n, f.t}, o2[2] = {f.vy, f.vz}, o3[2] = {f.my, f.mz},
               o4[2] = {static_cast<double>(o.stress_reference), 0.0};
  r.code = BSPDetailMesh(r.out1.data(), r.out2.data(), r.out3.data(), r.out4.data(), &n_regions, &n_bars,
                         o.bar_radius.data(), o.bar_y.data(), o.bar_z.data(), &n_points, o.stress_y.data(),
                         o.stress_z.data(), &o.ref_modulus, &o.ref_poisson, o.region_modulus.data(),
                         o.region_poisson.data(), o.bar_modulus.data(), &n_outline, g.point_y.data(), g.point_z.data(),
                         &n_segments, g.segments.data(), &o.element_size, o1, o2, o3, o4, &linear);
  r.out3.resize(2 * n);
  r.out4.resize(n);
  return r;
}

}  // namespace bsp_cli
