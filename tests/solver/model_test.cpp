#include "solver/model.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <climits>
#include <map>
#include <thread>

#include "support/section_meshes.h"
#include "solver/rcm.h"
#include "solver/stress_point_location.h"

namespace bsp {
namespace {

using test::TestSection;

TestSection two_domains(std::int32_t k) {
  TestSection s;
  s.mesh.k = k;
  s.mesh.add_rectangle(0, 0, 3, 1, 3, 2, 1);
  s.mesh.add_rectangle(5, 0, 1, 2, 2, 3, 1);
  return s;
}

TEST(Model, RenumbersItsOwnCopyOfEachDomainLocally) {
  for (std::int32_t k : {4, 6}) {
    const TestSection s = two_domains(k);
    const std::vector<std::int32_t> before = s.mesh.connectivity;
    const T_MULTI_DOMAIN m = build_model(s.input(), {});
    EXPECT_EQ(s.mesh.connectivity, before) << "the caller's connectivity is never written";
    ASSERT_EQ(m.domains.size(), 2u);

    std::size_t global_pos = 0;
    for (const T_SINGLE_DOMAIN& d : m.domains) {
      EXPECT_TRUE(d.renumbered);
      // The new numbers are a permutation of 1..n_d applied consistently:
      // one global node, one equation number.
      std::map<std::int32_t, std::int32_t> new_of_old;
      for (std::int32_t eq : d.connectivity) {
        const std::int32_t old = before[global_pos++];
        ASSERT_GE(eq, 1);
        ASSERT_LE(eq, d.n_nodes);
        const auto [it, fresh] = new_of_old.emplace(old, eq);
        EXPECT_EQ(it->second, eq);
      }
      EXPECT_EQ(static_cast<std::int64_t>(new_of_old.size()), d.n_nodes);
      // The band is sized by the renumbered bandwidth, zeroed, unfactorised.
      const std::int64_t kd = BANDWIDTH(k, d.n_elements, d.connectivity.data());
      EXPECT_EQ(d.band.n, d.n_nodes);
      EXPECT_EQ(d.band.kd, kd);
      EXPECT_EQ(static_cast<std::int64_t>(d.band.band.size()), (kd + 1) * d.n_nodes);
      EXPECT_FALSE(d.band.factorised);
    }
    EXPECT_EQ(m.domains[1].first_element, m.domains[0].n_elements);
    EXPECT_EQ(m.domains[1].node_offset, m.domains[0].n_nodes);
  }
}

TEST(Model, ElementsKeepTheirGeometryAndMaterialThroughTheRenumbering) {
  TestSection s = two_domains(6);
  s.mesh.parts.back() = -2;
  s.E = {1.0, 4.0};
  s.nu = {0.0, 0.25};
  s.w = {1.0, 1.0};
  const T_MULTI_DOMAIN m = build_model(s.input(), {});
  const T_TRIA6& last = m.trias.back();
  const std::size_t first_node = (s.mesh.n_elements() - 1) * 6;
  for (int i = 0; i < 6; ++i) {
    const auto node = static_cast<std::size_t>(s.mesh.connectivity[first_node + static_cast<std::size_t>(i)] - 1);
    EXPECT_EQ(last.x[i], s.mesh.x[node]);
    EXPECT_EQ(last.y[i], s.mesh.y[node]);
  }
  EXPECT_TRUE(last.inverted);
  EXPECT_EQ(last.material_number, 2);
  EXPECT_EQ(last.material.E, 4.0);
  EXPECT_DOUBLE_EQ(last.material.G, 4.0 / 2.5);  // E / (2 (1 + nu))
  EXPECT_DOUBLE_EQ(last.material.G_ref, 0.5);
  EXPECT_EQ(last.material_record, -1) << "no part records were asked for";
}

TEST(Model, StressPointGoesToTheFirstElementThatHoldsIt) {
  // 2 x 1 quadrilaterals over [0,2]x[0,1]: (1, 0.5) lies on the shared side,
  // (0.25, 0.25) inside the first, (1.75, 1) on the top of the second,
  // (3, 3) nowhere.
  TestSection s;
  s.mesh.k = 4;
  s.mesh.add_rectangle(0, 0, 2, 1, 2, 1, 1);
  s.sp_x = {1.0, 0.25, 1.75, 3.0};
  s.sp_y = {0.5, 0.25, 1.0, 3.0};
  const T_MULTI_DOMAIN m = build_model(s.input(), {.stress_points = true});
  ASSERT_EQ(m.details.size(), 4u);
  EXPECT_EQ(m.details[0].element, 0);
  EXPECT_NEAR(m.details[0].natural.s, location_natural_limit, 1e-15);  // right side of element 1
  EXPECT_NEAR(m.details[0].natural.t, 0.0, 1e-12);
  EXPECT_EQ(m.details[1].element, 0);
  EXPECT_NEAR(m.details[1].natural.s, -0.5, 1e-12);
  EXPECT_EQ(m.details[2].element, 1);
  EXPECT_EQ(m.details[3].element, -1);
  EXPECT_EQ(m.details[3].natural.s, 0.0);
  EXPECT_EQ(m.details[3].omega, 0.0);
  EXPECT_EQ(m.quads[0].stress_points, (std::vector<std::int32_t>{0, 1}));
  EXPECT_EQ(m.quads[1].stress_points, (std::vector<std::int32_t>{2}));

  // Without the option nothing is located.
  EXPECT_TRUE(build_model(s.input(), {}).details.empty());
}

TEST(Model, RecordsTheCallsThreadCount) {
  TestSection s = two_domains(4);
  SolverInput in = s.input();
  in.thread_count = 3;
  EXPECT_EQ(build_model(in, {}).threads, 3);
  in.thread_count = 0;
  EXPECT_EQ(build_model(in, {}).threads, omp_get_max_threads());
}

TEST(Model, ConcurrentBuildsMatchASerialBuildBitForBit) {
  // No state is shared between calls: eight threads building the same and
  // different sections get exactly the serial results.
  const TestSection a = two_domains(6), b = two_domains(4);
  const T_MULTI_DOMAIN ref_a = build_model(a.input(), {.materials = true, .stress_points = true});
  const T_MULTI_DOMAIN ref_b = build_model(b.input(), {.materials = true, .stress_points = true});
  std::vector<T_MULTI_DOMAIN> got(8);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < got.size(); ++i)
    threads.emplace_back([&, i] {
      got[i] = build_model((i % 2 ? b : a).input(), {.materials = true, .stress_points = true});
    });
  for (auto& t : threads) t.join();
  for (std::size_t i = 0; i < got.size(); ++i) {
    const T_MULTI_DOMAIN& ref = i % 2 ? ref_b : ref_a;
    EXPECT_EQ(got[i].A, ref.A);
    EXPECT_EQ(got[i].Ixx, ref.Ixx);
    EXPECT_EQ(got[i].Ixy, ref.Ixy);
    EXPECT_EQ(got[i].materials[0].slot, ref.materials[0].slot);
    for (std::size_t d = 0; d < ref.domains.size(); ++d)
      EXPECT_EQ(got[i].domains[d].connectivity, ref.domains[d].connectivity);
  }
}

}  // namespace
}  // namespace bsp
