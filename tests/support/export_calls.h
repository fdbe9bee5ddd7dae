// Calls of the exports as a host makes them. Every output array carries guards of a sentinel on
// either side; each call checks that the guards hold and that the thread count is unchanged.
#pragma once

#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "bsp/bsp.h"
#include "support/section_meshes.h"

namespace bsp::test {

// A value no export writes: the tails past every documented length must keep it.
inline constexpr double sentinel = 7.25;
inline constexpr std::size_t guard_length = 16;

struct Bars {
  std::vector<double> radius, y, z, modulus, weight;
  std::int32_t n() const { return static_cast<std::int32_t>(radius.size()); }
  void add(double r, double by, double bz, double e, double w) {
    radius.push_back(r);
    y.push_back(by);
    z.push_back(bz);
    modulus.push_back(e);
    weight.push_back(w);
  }
};

struct MeshedSection {
  PartsMesh mesh{};
  double e_ref = 1.0, nu_ref = 0.0, w_ref = 1.0;
  std::vector<double> modulus{1.0}, poisson{0.0}, weight{1.0};
  Bars bars{};
  std::vector<double> stress_y{}, stress_z{};
  std::int32_t level = 1, reference = 0;
  // Counts passed to the export; default to the arrays' own lengths.
  std::int32_t n_nodes() const { return mesh.n_nodes(); }
  std::int32_t n_materials() const { return static_cast<std::int32_t>(modulus.size()); }
  std::int32_t n_sp() const { return static_cast<std::int32_t>(stress_y.size()); }
};

// Count overrides for hostile calls: -2 the true count, null_count a NULL pointer to it.
inline constexpr std::int32_t null_count = -3;
struct Counts {
  std::int32_t n_nodes = -2, n_elements = -2, n_materials = -2, n_parts = -2, n_bars = -2, n_sp = -2;
  bool null_level = false;  // analysis_level NULL
};
inline std::int32_t pick(std::int32_t override_value, std::int32_t actual) {
  return override_value == -2 ? actual : override_value;
}
inline const std::int32_t* count_ptr(const std::int32_t& n) { return n == null_count ? nullptr : &n; }

// Output array of `documented` doubles between two guards of sentinels.
struct Guarded {
  std::vector<double> data;
  std::size_t documented = 0;
  explicit Guarded(std::size_t n) : data(n + 2 * guard_length, sentinel), documented(n) {}
  double* ptr() { return data.data() + guard_length; }
  double operator[](std::size_t i) const { return data[guard_length + i]; }
  std::vector<double> body() const {
    const auto first = data.begin() + static_cast<std::ptrdiff_t>(guard_length);
    return {first, first + static_cast<std::ptrdiff_t>(documented)};
  }
  bool guard_intact() const {
    for (std::size_t i = 0; i < data.size(); ++i)
      if ((i < guard_length || i >= guard_length + documented) && data[i] != sentinel) return false;
    return true;
  }
  bool body_zero() const { return std::ranges::all_of(body(), [](double v) { return v == 0.0; }); }
};

inline std::size_t comb_size(std::int32_t level, std::int32_t n_sp) {
  const auto n = static_cast<std::size_t>(n_sp);
  return level <= 0 ? 39 + 3 * n : (level < 3 ? 43 + 3 * n : 73 + 3 * n);
}

// Runs fn with the thread count set to a value no call would choose, and checks it stays.
template <class Fn>
auto with_thread_count_watched(Fn&& fn) {
  constexpr int marker = 3;
  omp_set_num_threads(marker);
  auto r = fn();
  EXPECT_EQ(omp_get_max_threads(), marker) << "the call changed the thread count";
  return r;
}

// Outputs of BSPCombMain or BSPMeshMain, `length` doubles of result.
struct CombResult {
  std::int32_t code = 0;
  Guarded result{0}, coords{0};
  CombResult() = default;
  CombResult(std::size_t length, std::int32_t n_sp)
      : result(n_sp >= 0 ? length : 0), coords(n_sp >= 0 ? 2 * static_cast<std::size_t>(n_sp) : 0) {}
  double operator[](std::size_t i) const { return result[i]; }
  bool guards() const { return result.guard_intact() && coords.guard_intact(); }
  std::vector<const Guarded*> outputs() const { return {&result, &coords}; }
};

inline CombResult comb(const MeshedSection& s, Counts c = {}) {
  const std::int32_t n_sp = pick(c.n_sp, s.n_sp());
  CombResult r(n_sp >= 0 ? comb_size(s.level, n_sp) : 0, n_sp);
  const std::int32_t n_nodes = pick(c.n_nodes, s.n_nodes()), n_elements = pick(c.n_elements, s.mesh.n_elements());
  const std::int32_t n_materials = pick(c.n_materials, s.n_materials()), n_parts = pick(c.n_parts, s.mesh.n_parts());
  const std::int32_t n_bars = pick(c.n_bars, s.bars.n());
  const std::int32_t six = s.mesh.nodes_per_element == 6 ? 1 : 0;
  r.code = with_thread_count_watched([&] {
    return BSPCombMain(r.result.ptr(), r.coords.ptr(), &n_nodes, count_ptr(n_sp), &n_elements,
                       count_ptr(n_materials), &n_parts, s.mesh.y.data(), s.mesh.z.data(), s.stress_y.data(),
                       s.stress_z.data(), s.mesh.connectivity.data(), s.mesh.element_material.data(),
                       s.mesh.part_node_count.data(), s.mesh.part_element_count.data(), &s.e_ref, &s.nu_ref, &s.w_ref,
                       s.modulus.data(), s.poisson.data(), s.weight.data(), &n_bars, s.bars.radius.data(),
                       s.bars.y.data(), s.bars.z.data(), s.bars.modulus.data(), s.bars.weight.data(),
                       c.null_level ? nullptr : &s.level, &s.reference, &six);
  });
  EXPECT_TRUE(r.guards()) << "BSPCombMain wrote past an output";
  return r;
}

struct PartResult {
  std::int32_t code = 0;
  Guarded part{0};
  std::vector<const Guarded*> outputs() const { return {&part}; }
  // Slot `slot` of material m (1-based).
  double at(std::int32_t m, std::size_t slot) const {
    return part[BSP_PART_SLOTS * static_cast<std::size_t>(m - 1) + slot];
  }
};

inline PartResult part_main(const MeshedSection& s, Counts c = {}) {
  PartResult r;
  const std::int32_t n_materials = pick(c.n_materials, s.n_materials());
  r.part = Guarded(n_materials >= 0 ? BSP_PART_SLOTS * static_cast<std::size_t>(n_materials) : 0);
  const std::int32_t n_nodes = pick(c.n_nodes, s.n_nodes()), n_elements = pick(c.n_elements, s.mesh.n_elements());
  const std::int32_t n_parts = pick(c.n_parts, s.mesh.n_parts()), n_bars = pick(c.n_bars, s.bars.n());
  const std::int32_t six = s.mesh.nodes_per_element == 6 ? 1 : 0;
  r.code = with_thread_count_watched([&] {
    return BSPPartMain(r.part.ptr(), &n_nodes, &n_elements, count_ptr(n_materials), &n_parts, s.mesh.y.data(),
                       s.mesh.z.data(), s.mesh.connectivity.data(), s.mesh.element_material.data(),
                       s.mesh.part_node_count.data(), s.mesh.part_element_count.data(), &s.e_ref, &s.nu_ref, &s.w_ref,
                       s.modulus.data(), s.poisson.data(), s.weight.data(), &n_bars, s.bars.radius.data(),
                       s.bars.y.data(), s.bars.z.data(), s.bars.modulus.data(), s.bars.weight.data(), &six);
  });
  EXPECT_TRUE(r.part.guard_intact()) << "BSPPartMain wrote past part_result";
  return r;
}

// Section forces of BSPDetail.
struct Forces {
  double n = 0, t = 0, v_y = 0, v_z = 0, m_y = 0, m_z = 0;
  double reference = 0;
};

// Outputs of BSPDetail or BSPDetailMesh for n stress points (< 0: sizes unknown) and m materials.
struct DetailResult {
  std::int32_t code = 0;
  Guarded section{0}, stresses{0}, offsets{0}, materials{0};
  DetailResult(std::int32_t n, std::size_t m)
      : section(n >= 0 ? 38 : 0), stresses(n >= 0 ? 4 * static_cast<std::size_t>(n) * m + 6 : 0),
        offsets(n >= 0 ? 2 * static_cast<std::size_t>(n) : 0), materials(n >= 0 ? static_cast<std::size_t>(n) : 0) {}
  bool guards() const {
    return section.guard_intact() && stresses.guard_intact() && offsets.guard_intact() && materials.guard_intact();
  }
  std::vector<const Guarded*> outputs() const { return {&section, &stresses, &offsets, &materials}; }
  // Component c (0 normal, 1 shear y, 2 shear z, 3 von Mises) at point i for material m (0-based).
  double stress(std::size_t m, std::size_t i, std::size_t c, std::size_t n_sp) const {
    return stresses[4 * (m * n_sp + i) + c];
  }
};

inline DetailResult detail(const MeshedSection& s, const Forces& f, Counts c = {}) {
  const std::int32_t n_sp = pick(c.n_sp, s.n_sp()), n_materials = pick(c.n_materials, s.n_materials());
  DetailResult r(n_materials >= 0 ? n_sp : -1, static_cast<std::size_t>(std::max(n_materials, 0)));
  const std::int32_t n_nodes = pick(c.n_nodes, s.n_nodes()), n_elements = pick(c.n_elements, s.mesh.n_elements());
  const std::int32_t n_parts = pick(c.n_parts, s.mesh.n_parts()), n_bars = pick(c.n_bars, s.bars.n());
  const std::int32_t six = s.mesh.nodes_per_element == 6 ? 1 : 0;
  const double o1[2] = {f.n, f.t}, o2[2] = {f.v_y, f.v_z}, o3[2] = {f.m_y, f.m_z}, o4[2] = {f.reference, 0.0};
  r.code = with_thread_count_watched([&] {
    return BSPDetail(r.section.ptr(), r.stresses.ptr(), r.offsets.ptr(), r.materials.ptr(), &n_nodes,
                     count_ptr(n_sp), &n_elements, count_ptr(n_materials), &n_parts, s.mesh.y.data(),
                     s.mesh.z.data(), s.stress_y.data(), s.stress_z.data(), s.mesh.connectivity.data(),
                     s.mesh.element_material.data(), s.mesh.part_node_count.data(), s.mesh.part_element_count.data(),
                     &s.e_ref, &s.nu_ref, s.modulus.data(), s.poisson.data(), &n_bars, s.bars.radius.data(),
                     s.bars.y.data(), s.bars.z.data(), s.bars.modulus.data(), o1, o2, o3, o4, &six);
  });
  EXPECT_TRUE(r.guards()) << "BSPDetail wrote past an output";
  return r;
}

// ---------------------------------------------------------------------------
// Exports of a handful of arrays.

// Reinforced concrete beam 300 x 500 (key 1, record 1), two bars (records 0 and 1), E_ref = 30000.
struct CrackInput {
  std::vector<int32_t> table{1, 0, 0, 1};
  std::vector<int32_t> edges{1, 0, 1, 1, 1, 2, 1, 2, 3, 1, 3, 0};
  std::vector<int32_t> bar_refs{1, 0, 1, 1};
  std::vector<double> parameters{30000.0, 0.0, 0.0, 0.0, 0.0, 30000.0, 3.0, 0.0, 0.0, 0.0};
  std::vector<double> bar_records{50.0, 1000.0, 200000.0, 450.0, 1000.0, 200000.0};
  std::vector<double> node_y{0.0, 300.0, 300.0, 0.0};
  std::vector<double> node_z{0.0, 0.0, 500.0, 500.0};
  int32_t n_edges = 4, n_bars = 2;
};

inline Guarded crack_call(const CrackInput& c) {
  Guarded out(BSP_CRACK_N_RESULTS);
  CrackSectionProperty(out.ptr(), c.n_bars, c.n_edges, c.table.data(), c.edges.data(), c.bar_refs.data(),
                       c.parameters.data(), c.bar_records.data(), c.node_y.data(), c.node_z.data());
  EXPECT_TRUE(out.guard_intact()) << "CrackSectionProperty wrote outside results";
  return out;
}

// One right triangle (0,0), (1,0), (0,1) of the reference modulus.
struct TriangleMoments {
  double y_ref = 0, z_ref = 0;
  std::int32_t n_nodes = 3, n_elements = 1;
  std::vector<double> y{0, 1, 0}, z{0, 0, 1};
  std::vector<std::int32_t> conn{1, 2, 3};
  double ref_modulus = 1, section_modulus = 1;
  Bars bars;
  std::int32_t n_bars = -2;  // -2: the bars' own count
};

// The three outputs of a first-moment export, each its own guarded double.
struct MomentOutputs {
  std::int32_t code = 0;
  Guarded area{1}, about_z{1}, about_y{1};
  bool zero() const { return area.body_zero() && about_z.body_zero() && about_y.body_zero(); }
  bool guards() const { return area.guard_intact() && about_z.guard_intact() && about_y.guard_intact(); }
  std::vector<const Guarded*> outputs() const { return {&area, &about_z, &about_y}; }
};

inline MomentOutputs first_moment_call(const TriangleMoments& c) {
  MomentOutputs o;
  const std::int32_t n_bars = pick(c.n_bars, c.bars.n());
  BSPFirstMomentOfArea(o.area.ptr(), o.about_z.ptr(), o.about_y.ptr(), &c.y_ref, &c.z_ref, &c.n_nodes,
                       &c.n_elements, c.y.data(), c.z.data(), c.conn.data(), &c.ref_modulus, &c.section_modulus,
                       &n_bars, c.bars.radius.data(), c.bars.y.data(), c.bars.z.data(), c.bars.modulus.data());
  EXPECT_TRUE(o.guards()) << "BSPFirstMomentOfArea wrote outside an output";
  return o;
}

// The standard-section family; BSPMAIN and BSPMAIN_EXPAND return nothing (code 0).
enum class Std { main, expand, plastic, general, civil };

struct StdArgs {
  double nu = 0.3;
  std::int32_t a6 = 0, offset_mode = 1, level = 1, order = 1;
  bool null_dims = false;
};

struct StandardRun {
  std::int32_t code = 0;
  Guarded result{BSP_STD_RESULT_SIZE}, dims{0}, plastic{2};
  double operator[](std::size_t slot) const { return result[slot]; }
};

inline StandardRun standard_call(Std e, std::int32_t type, const std::vector<double>& dims, StdArgs a = {}) {
  StandardRun r;
  r.dims = Guarded(dims.size());
  std::copy(dims.begin(), dims.end(), r.dims.ptr());
  double* d = a.null_dims ? nullptr : r.dims.ptr();
  double* out = r.result.ptr();
  const std::int32_t reserved = 7;  // read by no export
  switch (e) {
    case Std::main: BSPMAIN(out, d, &type, &reserved, &a.nu, &a.a6, &reserved); break;
    case Std::expand:
      BSPMAIN_EXPAND(out, d, &type, &reserved, &a.nu, &a.a6, &reserved, &a.offset_mode, &a.order);
      break;
    case Std::plastic: r.code = BSPPlasticModulus(&type, d, r.plastic.ptr(), r.plastic.ptr() + 1); break;
    case Std::general:
      r.code = BSPMAINGENERAL(out, d, &type, &reserved, &a.nu, &a.a6, &a.level, &a.offset_mode, &reserved);
      break;
    case Std::civil: r.code = BSPMAINGENCIVIL(out, d, &type, &reserved, &a.nu, &a.a6, &a.level, &reserved); break;
  }
  EXPECT_TRUE(r.result.guard_intact() && r.dims.guard_intact() && r.plastic.guard_intact())
      << "a standard-section export wrote outside an output";
  return r;
}

// ---------------------------------------------------------------------------
// Outline sections.

struct OutlineSection {
  std::vector<double> point_y{}, point_z{};
  std::vector<std::int32_t> segments{};            // 1-based pairs
  std::vector<double> modulus{}, poisson{}, weight{};  // per region
  double e_ref = 1.0, nu_ref = 0.0, w_ref = 1.0;
  Bars bars{};
  std::vector<double> stress_y{}, stress_z{};
  double element_size = 0.0;
  std::int32_t level = 1, reference = 0, linear = 0;

  std::int32_t n_points() const { return static_cast<std::int32_t>(point_y.size()); }
  std::int32_t n_segments() const { return static_cast<std::int32_t>(segments.size() / 2); }
  std::int32_t n_regions() const { return static_cast<std::int32_t>(modulus.size()); }
  std::int32_t n_sp() const { return static_cast<std::int32_t>(stress_y.size()); }

  // A closed polygon through new points, its segments in the order of the corners.
  void add_loop(const std::vector<std::pair<double, double>>& corners) {
    const auto first = n_points() + 1;
    const auto count = static_cast<std::int32_t>(corners.size());
    for (const auto& [y, z] : corners) {
      point_y.push_back(y);
      point_z.push_back(z);
    }
    for (std::int32_t k = 0; k < count; ++k) {
      segments.push_back(first + k);
      segments.push_back(first + (k + 1) % count);
    }
  }
  void add_region(double e, double nu = 0.0, double w = 1.0) {
    modulus.push_back(e);
    poisson.push_back(nu);
    weight.push_back(w);
  }
};

// Count overrides for hostile calls; -2 means "use the true count".
struct OutlineCounts {
  std::int32_t n_regions = -2, n_points = -2, n_segments = -2, n_bars = -2, n_sp = -2;
};

inline std::size_t mesh_main_size(std::int32_t level, std::int32_t n_sp) {
  const auto n = static_cast<std::size_t>(n_sp);
  return level <= 0 ? 38 : (level < 3 ? 43 + 3 * n : 73 + 3 * n);
}

inline std::size_t solid_regions(const OutlineSection& s) {
  std::size_t n = 0;
  for (double e : s.modulus)
    if (e != 0.0) ++n;
  return n;
}

inline CombResult mesh_main(const OutlineSection& s, OutlineCounts c = {}) {
  const std::int32_t n_sp = pick(c.n_sp, s.n_sp());
  CombResult r(n_sp >= 0 ? mesh_main_size(s.level, n_sp) : 0, n_sp);
  const std::int32_t n_regions = pick(c.n_regions, s.n_regions()), n_points = pick(c.n_points, s.n_points());
  const std::int32_t n_segments = pick(c.n_segments, s.n_segments()), n_bars = pick(c.n_bars, s.bars.n());
  r.code = with_thread_count_watched([&] {
    return BSPMeshMain(r.result.ptr(), r.coords.ptr(), &n_regions, &n_bars, s.bars.radius.data(), s.bars.y.data(),
                       s.bars.z.data(), &n_sp, s.stress_y.data(), s.stress_z.data(), &s.e_ref, &s.nu_ref,
                       s.modulus.data(), s.poisson.data(), s.bars.modulus.data(), &s.w_ref, s.weight.data(),
                       s.bars.weight.data(), &n_points, s.point_y.data(), s.point_z.data(), &n_segments,
                       s.segments.data(), &s.element_size, &s.level, &s.reference, &s.linear);
  });
  EXPECT_TRUE(r.guards()) << "BSPMeshMain wrote past an output";
  return r;
}

inline PartResult part_mesh_main(const OutlineSection& s, OutlineCounts c = {}) {
  PartResult r;
  r.part = Guarded(BSP_PART_SLOTS * solid_regions(s));
  const std::int32_t n_regions = pick(c.n_regions, s.n_regions()), n_points = pick(c.n_points, s.n_points());
  const std::int32_t n_segments = pick(c.n_segments, s.n_segments()), n_bars = pick(c.n_bars, s.bars.n());
  r.code = with_thread_count_watched([&] {
    return BSPPartMeshMain(r.part.ptr(), &n_regions, &n_bars, s.bars.radius.data(), s.bars.y.data(),
                           s.bars.z.data(), &s.e_ref, &s.nu_ref, s.modulus.data(), s.poisson.data(),
                           s.bars.modulus.data(), &s.w_ref, s.weight.data(), s.bars.weight.data(), &n_points,
                           s.point_y.data(), s.point_z.data(), &n_segments, s.segments.data(), &s.element_size,
                           &s.linear);
  });
  EXPECT_TRUE(r.part.guard_intact()) << "BSPPartMeshMain wrote past part_result";
  return r;
}

inline DetailResult detail_mesh(const OutlineSection& s, const Forces& f, OutlineCounts c = {}) {
  const std::int32_t n_sp = pick(c.n_sp, s.n_sp());
  DetailResult r(n_sp, solid_regions(s));
  const std::int32_t n_regions = pick(c.n_regions, s.n_regions()), n_points = pick(c.n_points, s.n_points());
  const std::int32_t n_segments = pick(c.n_segments, s.n_segments()), n_bars = pick(c.n_bars, s.bars.n());
  const double o1[2] = {f.n, f.t}, o2[2] = {f.v_y, f.v_z}, o3[2] = {f.m_y, f.m_z}, o4[2] = {f.reference, 0.0};
  r.code = with_thread_count_watched([&] {
    return BSPDetailMesh(r.section.ptr(), r.stresses.ptr(), r.offsets.ptr(), r.materials.ptr(), &n_regions, &n_bars,
                         s.bars.radius.data(), s.bars.y.data(), s.bars.z.data(), &n_sp, s.stress_y.data(),
                         s.stress_z.data(), &s.e_ref, &s.nu_ref, s.modulus.data(), s.poisson.data(),
                         s.bars.modulus.data(), &n_points, s.point_y.data(), s.point_z.data(), &n_segments,
                         s.segments.data(), &s.element_size, o1, o2, o3, o4, &s.linear);
  });
  EXPECT_TRUE(r.guards()) << "BSPDetailMesh wrote past an output";
  return r;
}

inline MomentOutputs first_moment_mesh_call(const OutlineSection& s, OutlineCounts c = {}, double y_ref = 0,
                                            double z_ref = 0) {
  MomentOutputs o;
  const std::int32_t n_regions = pick(c.n_regions, s.n_regions()), n_points = pick(c.n_points, s.n_points());
  const std::int32_t n_segments = pick(c.n_segments, s.n_segments()), n_bars = pick(c.n_bars, s.bars.n());
  o.code = BSPFirstMomentOfAreaMesh(o.area.ptr(), o.about_z.ptr(), o.about_y.ptr(), &y_ref, &z_ref, &n_regions,
                                    &n_bars, s.bars.radius.data(), s.bars.y.data(), s.bars.z.data(), &s.e_ref,
                                    s.modulus.data(), s.bars.modulus.data(), &n_points, s.point_y.data(),
                                    s.point_z.data(), &n_segments, s.segments.data(), &s.element_size);
  EXPECT_TRUE(o.guards()) << "BSPFirstMomentOfAreaMesh wrote outside an output";
  return o;
}

// 10 x 6 rectangle (outer segments first) with a centred 2 x 2 hole: regions [rectangle less hole, hole].
inline OutlineSection rectangle_with_hole(double e_outer = 1.0, double e_inner = 0.0) {
  OutlineSection s;
  s.add_loop({{0, 0}, {10, 0}, {10, 6}, {0, 6}});
  s.add_loop({{4, 2}, {6, 2}, {6, 4}, {4, 4}});
  s.add_region(e_outer);
  s.add_region(e_inner);
  return s;
}

}  // namespace bsp::test
