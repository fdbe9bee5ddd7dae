// Calls of the meshed-section exports as a host makes them, with guard values
// around every output array: each call allocates its outputs longer than
// documented, fills them with a sentinel, and checks afterwards that the
// guards before and past the documented range still hold it and that the
// calling thread's OpenMP thread count is what it was.
#pragma once

#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <cstdint>
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
  PartsMesh mesh;
  double e_ref = 1.0, nu_ref = 0.0, w_ref = 1.0;
  std::vector<double> modulus{1.0}, poisson{0.0}, weight{1.0};
  Bars bars;
  std::vector<double> stress_y, stress_z;
  std::int32_t level = 1, reference = 0;
  // Counts passed to the export; default to the arrays' own lengths.
  std::int32_t n_nodes() const { return mesh.n_nodes(); }
  std::int32_t n_materials() const { return static_cast<std::int32_t>(modulus.size()); }
  std::int32_t n_sp() const { return static_cast<std::int32_t>(stress_y.size()); }
};

// Count overrides for hostile calls; -2 means "use the true count", and
// null_count (n_materials, n_stress_points) a NULL pointer to it.
inline constexpr std::int32_t null_count = -3;
struct Counts {
  std::int32_t n_nodes = -2, n_elements = -2, n_materials = -2, n_parts = -2, n_bars = -2, n_sp = -2;
  bool null_level = false;  // analysis_level NULL
};
inline std::int32_t pick(std::int32_t override_value, std::int32_t actual) {
  return override_value == -2 ? actual : override_value;
}
inline const std::int32_t* count_ptr(const std::int32_t& n) { return n == null_count ? nullptr : &n; }

// Output array of `documented` doubles with a guard of sentinels on either
// side: a call that writes before or past its documented range spoils one.
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
  bool body_zero() const {
    for (std::size_t i = 0; i < documented; ++i)
      if ((*this)[i] != 0.0) return false;
    return true;
  }
};

inline std::size_t comb_size(std::int32_t level, std::int32_t n_sp) {
  const auto n = static_cast<std::size_t>(n_sp);
  return level <= 0 ? 39 + 3 * n : (level < 3 ? 43 + 3 * n : 73 + 3 * n);
}

// Runs fn with the thread count set to a value no call would choose, and
// checks that the call left it so.
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
    return BSPCombMain(r.result.ptr(), r.coords.ptr(), &n_nodes, count_ptr(n_sp), &n_elements, count_ptr(n_materials), &n_parts,
                       s.mesh.y.data(), s.mesh.z.data(), s.stress_y.data(), s.stress_z.data(),
                       s.mesh.connectivity.data(), s.mesh.element_material.data(), s.mesh.part_node_count.data(),
                       s.mesh.part_element_count.data(), &s.e_ref, &s.nu_ref, &s.w_ref, s.modulus.data(),
                       s.poisson.data(), s.weight.data(), &n_bars, s.bars.radius.data(), s.bars.y.data(),
                       s.bars.z.data(), s.bars.modulus.data(), s.bars.weight.data(), c.null_level ? nullptr : &s.level,
                       &s.reference, &six);
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
    return BSPPartMain(r.part.ptr(), &n_nodes, &n_elements, count_ptr(n_materials), &n_parts, s.mesh.y.data(), s.mesh.z.data(),
                       s.mesh.connectivity.data(), s.mesh.element_material.data(), s.mesh.part_node_count.data(),
                       s.mesh.part_element_count.data(), &s.e_ref, &s.nu_ref, &s.w_ref, s.modulus.data(),
                       s.poisson.data(), s.weight.data(), &n_bars, s.bars.radius.data(), s.bars.y.data(),
                       s.bars.z.data(), s.bars.modulus.data(), s.bars.weight.data(), &six);
  });
  EXPECT_TRUE(r.part.guard_intact()) << "BSPPartMain wrote past part_result";
  return r;
}

// Section forces of BSPDetail.
struct Forces {
  double n = 0, t = 0, v_y = 0, v_z = 0, m_y = 0, m_z = 0;
  double reference = 0;
};

// Outputs of BSPDetail or BSPDetailMesh for n stress points and m materials
// (n < 0: sizes unknown).
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
                     count_ptr(n_sp), &n_elements, count_ptr(n_materials), &n_parts, s.mesh.y.data(), s.mesh.z.data(), s.stress_y.data(),
                     s.stress_z.data(), s.mesh.connectivity.data(), s.mesh.element_material.data(),
                     s.mesh.part_node_count.data(), s.mesh.part_element_count.data(), &s.e_ref, &s.nu_ref,
                     s.modulus.data(), s.poisson.data(), &n_bars, s.bars.radius.data(), s.bars.y.data(),
                     s.bars.z.data(), s.bars.modulus.data(), o1, o2, o3, o4, &six);
  });
  EXPECT_TRUE(r.guards()) << "BSPDetail wrote past an output";
  return r;
}

}  // namespace bsp::test
