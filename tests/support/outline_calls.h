// Calls of the outline exports as a host makes them, with guard values after
// every output array (support/meshed_section_calls.h): each call allocates
// its outputs longer than documented, fills them with a sentinel and checks
// afterwards that the tail past the documented length still holds it and
// that the calling thread's OpenMP thread count is unchanged.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "bsp/bsp.h"
#include "support/meshed_section_calls.h"
#include "support/small_export_calls.h"

namespace bsp::test {

struct OutlineSection {
  std::vector<double> point_y, point_z;
  std::vector<std::int32_t> segments;  // 1-based pairs
  std::vector<double> modulus, poisson, weight;  // per region
  double e_ref = 1.0, nu_ref = 0.0, w_ref = 1.0;
  Bars bars;
  std::vector<double> stress_y, stress_z;
  double element_size = 0.0;
  std::int32_t level = 1, reference = 0, linear = 0;

  std::int32_t n_points() const { return static_cast<std::int32_t>(point_y.size()); }
  std::int32_t n_segments() const { return static_cast<std::int32_t>(segments.size() / 2); }
  std::int32_t n_regions() const { return static_cast<std::int32_t>(modulus.size()); }
  std::int32_t n_sp() const { return static_cast<std::int32_t>(stress_y.size()); }

  // A closed polygon through new points, its segments in the order given
  // (counter-clockwise corners put the polygon on the left of each segment).
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

// 10 x 6 rectangle (outer segments first, counter-clockwise) with a centred
// 2 x 2 hole: regions [rectangle less hole, hole].
inline OutlineSection rectangle_with_hole(double e_outer = 1.0, double e_inner = 0.0) {
  OutlineSection s;
  s.add_loop({{0, 0}, {10, 0}, {10, 6}, {0, 6}});
  s.add_loop({{4, 2}, {6, 2}, {6, 4}, {4, 4}});
  s.add_region(e_outer);
  s.add_region(e_inner);
  return s;
}

}  // namespace bsp::test
