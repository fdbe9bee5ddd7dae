// Contract tests of the meshed-section exports: one test per promise of their
// blocks in bsp.h (codes, exact zeroing, nothing written past documented
// lengths, thread count restored, reentrancy).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "support/meshed_section_calls.h"

namespace bsp {
namespace {

using namespace bsp::test;

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();

// Unit square [0,1]^2 as two 3-node triangles, one part, material 1.
MeshedSection unit_square() {
  MeshedSection s;
  s.mesh = rectangle_part(0, 0, 1, 1, 1, 1, 1);
  return s;
}

// Right triangle with unit legs as one 6-node element with straight sides.
MeshedSection right_triangle() {
  MeshedSection s;
  s.mesh.y = {0, 1, 0, 0.5, 0.5, 0};
  s.mesh.z = {0, 0, 1, 0, 0.5, 0.5};
  s.mesh.connectivity = {1, 2, 3, 4, 5, 6};
  s.mesh.element_material = {1};
  s.mesh.part_node_count = {6};
  s.mesh.part_element_count = {1};
  s.mesh.nodes_per_element = 6;
  return s;
}

// Two triangles (0,0),(1,0),(0,1) | (1,0),(1,1),(0,1), each its own part.
MeshedSection two_triangle_parts() {
  MeshedSection s;
  s.mesh.y = {0, 1, 0, 1, 1, 0};
  s.mesh.z = {0, 0, 1, 0, 1, 1};
  s.mesh.connectivity = {1, 2, 3, 4, 5, 6};
  s.mesh.element_material = {1, 1};
  s.mesh.part_node_count = {3, 3};
  s.mesh.part_element_count = {1, 1};
  return s;
}

// A hostile change of the input and the count overrides that go with it.
struct Hostile {
  std::string what;
  std::function<void(MeshedSection&, Counts&)> apply;
};

// Every check of the shared meshed-parts arguments, on a two-material section
// with stress points and a bar.
std::vector<Hostile> hostile_inputs() {
  return {
      {"negative n_nodes", [](MeshedSection&, Counts& c) { c.n_nodes = -1; }},
      {"negative n_elements", [](MeshedSection&, Counts& c) { c.n_elements = -1; }},
      {"negative n_parts", [](MeshedSection&, Counts& c) { c.n_parts = -1; }},
      {"negative n_bars", [](MeshedSection&, Counts& c) { c.n_bars = -1; }},
      {"node sum short", [](MeshedSection& s, Counts&) { s.mesh.part_node_count[0] -= 1; }},
      {"element sum short", [](MeshedSection& s, Counts&) { s.mesh.part_element_count[0] -= 1; }},
      {"sums off by opposite amounts",
       [](MeshedSection& s, Counts&) {
         s.mesh.part_node_count[0] += 1;
         s.mesh.part_element_count[0] -= 1;
       }},
      {"negative part count",
       [](MeshedSection& s, Counts&) {
         // The sum still matches; one count alone is impossible.
         s.mesh.part_node_count[1] += s.mesh.part_node_count[0] + 4;
         s.mesh.part_node_count[0] = -4;
       }},
      {"node number 0", [](MeshedSection& s, Counts&) { s.mesh.connectivity[4] = 0; }},
      {"node number past n_nodes", [](MeshedSection& s, Counts&) { s.mesh.connectivity[4] = s.mesh.n_nodes() + 1; }},
      {"material 0", [](MeshedSection& s, Counts&) { s.mesh.element_material[1] = 0; }},
      {"material past n_materials", [](MeshedSection& s, Counts&) { s.mesh.element_material[1] = 3; }},
      {"material below -n_materials", [](MeshedSection& s, Counts&) { s.mesh.element_material[1] = -3; }},
      {"material INT32_MIN",
       [](MeshedSection& s, Counts&) { s.mesh.element_material[1] = std::numeric_limits<std::int32_t>::min(); }},
      {"NaN coordinate", [](MeshedSection& s, Counts&) { s.mesh.z[2] = nan_value; }},
      {"infinite coordinate", [](MeshedSection& s, Counts&) { s.mesh.y[2] = HUGE_VAL; }},
      {"ref modulus 0", [](MeshedSection& s, Counts&) { s.e_ref = 0.0; }},
      {"negative ref modulus and weight",
       [](MeshedSection& s, Counts&) {
         s.e_ref = -1.0;
         s.w_ref = -1.0;
       }},
      {"ref poisson above 0.5", [](MeshedSection& s, Counts&) { s.nu_ref = 0.5000001; }},
      {"ref poisson negative", [](MeshedSection& s, Counts&) { s.nu_ref = -0.1; }},
      {"material modulus 0", [](MeshedSection& s, Counts&) { s.modulus[1] = 0.0; }},
      {"material modulus infinite", [](MeshedSection& s, Counts&) { s.modulus[1] = HUGE_VAL; }},
      {"material poisson 0.6", [](MeshedSection& s, Counts&) { s.poisson[1] = 0.6; }},
      {"material poisson NaN", [](MeshedSection& s, Counts&) { s.poisson[0] = nan_value; }},
      {"negative bar radius", [](MeshedSection& s, Counts&) { s.bars.radius[0] = -0.1; }},
      {"negative bar modulus", [](MeshedSection& s, Counts&) { s.bars.modulus[0] = -1.0; }},
      {"NaN bar position", [](MeshedSection& s, Counts&) { s.bars.z[0] = nan_value; }},
      {"NaN stress point", [](MeshedSection& s, Counts&) { s.stress_y[1] = nan_value; }},
      {"bars counted but absent", [](MeshedSection& s, Counts& c) {
         c.n_bars = 1;
         s.bars = Bars{};
       }},
      {"clockwise element",
       [](MeshedSection& s, Counts&) { std::swap(s.mesh.connectivity[1], s.mesh.connectivity[2]); }},
      {"collapsed element",
       [](MeshedSection& s, Counts&) {
         // All three corners of the first element on the line z = 0.
         s.mesh.z[static_cast<std::size_t>(s.mesh.connectivity[2] - 1)] = 0.0;
       }},
  };
}

// Two unit squares side by side, materials 1 and 2, each its own part,
// stress points at two corners and a bar inside the second.
MeshedSection two_material_section() {
  MeshedSection s;
  s.mesh = rectangle_part(0, 0, 1, 1, 2, 2, 1);
  s.mesh.append(rectangle_part(1, 0, 1, 1, 2, 2, 2));
  s.modulus = {1.0, 2.0};
  s.poisson = {0.0, 0.25};
  s.weight = {1.0, 0.5};
  s.bars.add(0.1, 1.5, 0.5, 10.0, 3.0);
  s.stress_y = {0.0, 2.0};
  s.stress_z = {0.0, 1.0};
  return s;
}

TEST(BSPCombMain, EveryFailedCheckReturnsInputErrorAndZeroesExactlyTheDocumentedDoubles) {
  for (std::int32_t level : {0, 1, 3}) {
    for (const Hostile& h : hostile_inputs()) {
      MeshedSection s = two_material_section();
      s.level = level;
      Counts c;
      h.apply(s, c);
      const CombResult r = comb(s, c);
      EXPECT_EQ(r.code, BSP_E_INPUT) << h.what << " at level " << level;
      EXPECT_TRUE(r.result.body_zero()) << h.what;
      EXPECT_TRUE(r.coords.body_zero()) << h.what;
    }
  }
}

TEST(BSPCombMain, FailingWithTwoStressPointsZeroesFortyFiveResultsAndFourCoordinates) {
  MeshedSection s = two_material_section();
  s.level = 0;
  s.poisson[0] = 0.6;
  const CombResult r = comb(s);
  EXPECT_EQ(r.code, BSP_E_INPUT);
  ASSERT_EQ(r.result.documented, 45u);
  ASSERT_EQ(r.coords.documented, 4u);
  EXPECT_TRUE(r.result.body_zero());
  EXPECT_TRUE(r.coords.body_zero());
}

TEST(BSPPartMain, EveryFailedCheckReturnsInputErrorAndZeroesTenDoublesPerMaterial) {
  for (const Hostile& h : hostile_inputs()) {
    if (h.what == "NaN stress point") continue;  // BSPPartMain takes no stress points
    MeshedSection s = two_material_section();
    Counts c;
    h.apply(s, c);
    const PartResult r = part_main(s, c);
    EXPECT_EQ(r.code, BSP_E_INPUT) << h.what;
    EXPECT_EQ(r.part.documented, 20u);
    EXPECT_TRUE(r.part.body_zero()) << h.what;
  }
}

TEST(BSPDetail, EveryFailedCheckReturnsInputErrorAndZeroesAllFourOutputs) {
  for (const Hostile& h : hostile_inputs()) {
    MeshedSection s = two_material_section();
    Counts c;
    h.apply(s, c);
    const DetailResult r = detail(s, Forces{1, 0, 0, 0, 0, 0, 0}, c);
    EXPECT_EQ(r.code, BSP_E_INPUT) << h.what;
    EXPECT_EQ(r.stresses.documented, 4u * 2 * 2 + 6);
    EXPECT_TRUE(r.section.body_zero() && r.stresses.body_zero() && r.offsets.body_zero() && r.materials.body_zero())
        << h.what;
  }
  MeshedSection s = two_material_section();
  const DetailResult r = detail(s, Forces{nan_value, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(r.code, BSP_E_INPUT) << "non-finite force";
  EXPECT_TRUE(r.stresses.body_zero());
}

TEST(BSPCombMain, NegativeCountsWriteNothing) {
  MeshedSection s = two_material_section();
  Counts c;
  c.n_sp = -1;
  const CombResult r = comb(s, c);  // zero-length bodies: the guards are the whole arrays
  EXPECT_EQ(r.code, BSP_E_INPUT);
  Counts m;
  m.n_materials = -1;
  const PartResult p = part_main(s, m);
  EXPECT_EQ(p.code, BSP_E_INPUT);
}

TEST(BSPPartMain, MaterialNumberMinusNMaterialsPassesAndBeyondFails) {
  MeshedSection s = two_material_section();
  s.mesh.element_material[0] = -2;
  EXPECT_EQ(part_main(s).code, BSP_OK);
  s.mesh.element_material[0] = -3;
  EXPECT_EQ(part_main(s).code, BSP_E_INPUT);
  s.mesh.element_material[0] = 0;
  EXPECT_EQ(part_main(s).code, BSP_E_INPUT);
}

TEST(BSPCombMain, AcceptsPoissonRatiosAtBothEndsOfTheRange) {
  MeshedSection s = two_material_section();
  s.nu_ref = 0.5;
  s.poisson = {0.0, 0.5};
  EXPECT_EQ(comb(s).code, BSP_OK);
}

TEST(BSPCombMain, SectionWithoutAreaIsASolverErrorWithTheDocumentedZeroing) {
  MeshedSection inverted = two_material_section();
  for (auto& m : inverted.mesh.element_material) m = -m;
  inverted.bars = Bars{};
  for (std::int32_t level : {0, 2, 3}) {
    inverted.level = level;
    const CombResult r = comb(inverted);
    EXPECT_EQ(r.code, BSP_E_SOLVER) << level;
    EXPECT_TRUE(r.result.body_zero());
    EXPECT_TRUE(r.coords.body_zero());
  }
  const PartResult p = part_main(inverted);
  EXPECT_EQ(p.code, BSP_E_SOLVER);
  EXPECT_TRUE(p.part.body_zero());

  MeshedSection empty;
  empty.mesh.part_node_count = {0};
  empty.mesh.part_element_count = {0};
  const CombResult e = comb(empty);
  EXPECT_EQ(e.code, BSP_E_SOLVER);
  EXPECT_TRUE(e.result.body_zero());
}

TEST(BSPCombMain, WritesExactlyTheLevelsLengthAndLeavesUnusedSlotsZero) {
  for (std::int32_t level : {-5, 0, 1, 2, 3}) {
    MeshedSection s = two_material_section();
    s.level = level;
    const CombResult r = comb(s);  // the guard check covers "nothing past R"
    ASSERT_EQ(r.code, BSP_OK) << level;
    for (double v : r.result.body()) EXPECT_NE(v, sentinel) << "level " << level << " left a slot unwritten";
    if (level <= 0) {
      for (std::size_t slot = 22; slot < 32; ++slot) EXPECT_EQ(r[slot], 0.0) << slot;
      for (std::size_t slot = 38; slot < r.result.documented; ++slot) EXPECT_EQ(r[slot], 0.0) << slot;
    } else {
      EXPECT_GT(r[BSP_SLOT_RADIUS_MAJOR], 0.0);
      EXPECT_GT(r[BSP_SLOT_POLAR_MOMENT_SC(2)], 0.0);
    }
  }
}

TEST(BSPCombMain, NegativeLevelReadsAsZero) {
  MeshedSection s = two_material_section();
  s.level = 0;
  const CombResult zero = comb(s);
  s.level = -1;
  const CombResult negative = comb(s);
  ASSERT_EQ(zero.code, BSP_OK);
  EXPECT_EQ(zero.result.body(), negative.result.body());
}

TEST(BSPCombMain, StressPointOffsetsAndModuliUseThePointsFromLevelOne) {
  MeshedSection s = unit_square();
  s.stress_y = {0.0, 1.0};
  s.stress_z = {0.0, 1.0};
  s.level = 1;
  const CombResult r = comb(s);
  ASSERT_EQ(r.code, BSP_OK);
  EXPECT_NEAR(r.coords[0], -0.5, 1e-14);  // round-off of the centroid sum
  EXPECT_NEAR(r.coords[3], 0.5, 1e-14);
  // Extreme offsets +-0.5 tie; the smallest (negative) one wins.
  EXPECT_NEAR(r[BSP_SLOT_MODULUS_Z], -(1.0 / 12) / 0.5, 1e-14);
  EXPECT_NEAR(r[BSP_SLOT_MODULUS_Y], -(1.0 / 12) / 0.5, 1e-14);
}

TEST(BSPCombMain, RightTriangleGivesExactPrincipalValues) {
  MeshedSection s = right_triangle();
  const CombResult r = comb(s);
  ASSERT_EQ(r.code, BSP_OK);
  // The 6-point rule integrates the quadratic moments of a straight-sided
  // triangle exactly: only round-off remains.
  EXPECT_NEAR(r[BSP_SLOT_AREA], 0.5, 1e-15);
  EXPECT_NEAR(r[BSP_SLOT_I1], 1.0 / 36, 1e-15);
  EXPECT_NEAR(r[BSP_SLOT_I12], -1.0 / 72, 1e-15);
  EXPECT_NEAR(r[BSP_SLOT_PRINCIPAL_ANGLE_DEG], 45.0, 1e-12);
  EXPECT_NEAR(r[BSP_SLOT_RADIUS_MAJOR], 0.28867513459481287, 1e-14);
  EXPECT_NEAR(r[BSP_SLOT_RADIUS_MINOR], 1.0 / 6, 1e-14);
}

TEST(BSPCombMain, TwoTrianglePartsFormOneUnitSquare) {
  const CombResult r = comb(two_triangle_parts());
  ASSERT_EQ(r.code, BSP_OK);
  EXPECT_NEAR(r[BSP_SLOT_AREA], 1.0, 1e-15);  // round-off only: exact integration
  EXPECT_NEAR(r[BSP_SLOT_CENTROID_Y], 0.5, 1e-15);
  EXPECT_NEAR(r[BSP_SLOT_CENTROID_Z], 0.5, 1e-15);
  EXPECT_NEAR(r[BSP_SLOT_I1], 1.0 / 12, 1e-15);
  EXPECT_NEAR(r[BSP_SLOT_I2], 1.0 / 12, 1e-15);
  EXPECT_EQ(r[BSP_SLOT_I12], 0.0);  // rounding noise below the 1e-8 ratio is exactly 0
}

TEST(BSPCombMain, BarAddsItsWeightedAreaToSlot32AtEveryLevel) {
  for (std::int32_t level : {0, 1}) {
    MeshedSection s = unit_square();
    s.level = level;
    const CombResult plain = comb(s);
    s.bars.add(1.0, 0.5, 0.5, s.e_ref, 3.0 * s.w_ref);  // stiffness of the section: no change in A
    const CombResult with_bar = comb(s);
    ASSERT_EQ(plain.code, BSP_OK);
    ASSERT_EQ(with_bar.code, BSP_OK);
    // pi r^2 (w_b/w_ref - 1) = 2 pi; round-off of one sum.
    EXPECT_NEAR(with_bar[BSP_SLOT_WEIGHTED_AREA] - plain[BSP_SLOT_WEIGHTED_AREA], 2.0 * std::numbers::pi, 1e-13);
    EXPECT_EQ(with_bar[BSP_SLOT_AREA], plain[BSP_SLOT_AREA]);
  }
}

TEST(BSPCombMain, NoBarsGivesTheSameResultsAsAZeroBar) {
  MeshedSection s = two_material_section();
  s.bars = Bars{};
  const CombResult none = comb(s);
  s.bars.add(0.0, 0.3, 0.3, 0.0, 0.0);
  const CombResult zero_bar = comb(s);
  ASSERT_EQ(none.code, BSP_OK);
  EXPECT_EQ(none.result.body(), zero_bar.result.body());
  EXPECT_EQ(none.coords.body(), zero_bar.coords.body());
}

TEST(BSPCombMain, EightThreadsGiveBitwiseTheSerialResults) {
  MeshedSection s = two_material_section();
  s.mesh = striped_rectangle(4.0, 2.0, 8, 4, 2, 1);
  s.mesh.append(rectangle_part(5.0, 0.0, 1.0, 2.0, 2, 4, 2));
  s.level = 3;
  const CombResult serial = comb(s);
  ASSERT_EQ(serial.code, BSP_OK);
  constexpr int n_threads = 8;
  std::vector<std::vector<double>> results(n_threads), coords(n_threads);
  std::vector<std::int32_t> codes(n_threads);
  std::vector<std::thread> pool;
  for (int t = 0; t < n_threads; ++t)
    pool.emplace_back([&, t] {
      // Each call on its own arrays; the calls themselves share only inputs.
      std::vector<double> result(comb_size(s.level, s.n_sp())), c(2 * static_cast<std::size_t>(s.n_sp()));
      const std::int32_t nn = s.n_nodes(), nsp = s.n_sp(), ne = s.mesh.n_elements(), nm = s.n_materials(),
                         np = s.mesh.n_parts(), nb = s.bars.n(), six = 0;
      codes[static_cast<std::size_t>(t)] =
          BSPCombMain(result.data(), c.data(), &nn, &nsp, &ne, &nm, &np, s.mesh.y.data(), s.mesh.z.data(),
                      s.stress_y.data(), s.stress_z.data(), s.mesh.connectivity.data(),
                      s.mesh.element_material.data(), s.mesh.part_node_count.data(), s.mesh.part_element_count.data(),
                      &s.e_ref, &s.nu_ref, &s.w_ref, s.modulus.data(), s.poisson.data(), s.weight.data(), &nb,
                      s.bars.radius.data(), s.bars.y.data(), s.bars.z.data(), s.bars.modulus.data(),
                      s.bars.weight.data(), &s.level, &s.reference, &six);
      results[static_cast<std::size_t>(t)] = std::move(result);
      coords[static_cast<std::size_t>(t)] = std::move(c);
    });
  for (auto& th : pool) th.join();
  for (int t = 0; t < n_threads; ++t) {
    EXPECT_EQ(codes[static_cast<std::size_t>(t)], BSP_OK);
    EXPECT_EQ(results[static_cast<std::size_t>(t)], serial.result.body()) << "thread " << t;
    EXPECT_EQ(coords[static_cast<std::size_t>(t)], serial.coords.body()) << "thread " << t;
  }
}

TEST(BSPPartMain, EightThreadsGiveBitwiseTheSerialResults) {
  const MeshedSection s = two_material_section();
  const PartResult serial = part_main(s);
  ASSERT_EQ(serial.code, BSP_OK);
  constexpr int n_threads = 8;
  std::vector<std::vector<double>> results(n_threads);
  std::vector<std::thread> pool;
  for (int t = 0; t < n_threads; ++t)
    pool.emplace_back([&, t] {
      std::vector<double> part(BSP_PART_SLOTS * 2);
      const std::int32_t nn = s.n_nodes(), ne = s.mesh.n_elements(), nm = s.n_materials(), np = s.mesh.n_parts(),
                         nb = s.bars.n(), six = 0;
      if (BSPPartMain(part.data(), &nn, &ne, &nm, &np, s.mesh.y.data(), s.mesh.z.data(), s.mesh.connectivity.data(),
                      s.mesh.element_material.data(), s.mesh.part_node_count.data(), s.mesh.part_element_count.data(),
                      &s.e_ref, &s.nu_ref, &s.w_ref, s.modulus.data(), s.poisson.data(), s.weight.data(), &nb,
                      s.bars.radius.data(), s.bars.y.data(), s.bars.z.data(), s.bars.modulus.data(),
                      s.bars.weight.data(), &six) == BSP_OK)
        results[static_cast<std::size_t>(t)] = std::move(part);
    });
  for (auto& th : pool) th.join();
  for (int t = 0; t < n_threads; ++t) EXPECT_EQ(results[static_cast<std::size_t>(t)], serial.part.body()) << t;
}

TEST(BSPPartMain, PartSlotsAddUpToTheSectionAndABarJoinsItsPart) {
  MeshedSection s = two_material_section();
  const PartResult p = part_main(s);
  const CombResult c = comb(s);
  ASSERT_EQ(p.code, BSP_OK);
  ASSERT_EQ(c.code, BSP_OK);
  const double bar_area = std::numbers::pi * 0.01 * (10.0 - 1.0);  // pi r^2 (E_b/E_ref - 1)
  // Material 1: unit square at E = E_ref; material 2: unit square at 2 E_ref plus the bar.
  EXPECT_NEAR(p.at(1, BSP_PART_AREA), 1.0, 1e-14);  // round-off of exact integrals
  EXPECT_NEAR(p.at(2, BSP_PART_AREA), 2.0 + bar_area, 1e-14);
  EXPECT_NEAR(p.at(1, BSP_PART_AREA) + p.at(2, BSP_PART_AREA), c[BSP_SLOT_AREA], 1e-14);
  EXPECT_NEAR(p.at(2, BSP_PART_CENTROID_Y), 1.5, 1e-14);  // the bar sits at the part's centroid
  EXPECT_NEAR(p.at(2, BSP_PART_I1), 2.0 / 12 + bar_area * 0.01 / 4, 1e-14);
  // Weighted areas: 1 * 1 + 0.5 * 1 + pi r^2 (3/1 - 1).
  EXPECT_NEAR(p.at(2, BSP_PART_WEIGHTED_AREA), 0.5 + std::numbers::pi * 0.01 * 2.0, 1e-14);
  EXPECT_NEAR(c[BSP_SLOT_WEIGHTED_AREA], 1.5 + std::numbers::pi * 0.01 * 2.0, 1e-14);
}

TEST(BSPCombMain, NullCountPointersWriteNothing) {
  // With the size of an output unknown, no double of it may be written.
  std::vector<double> result(60, sentinel), coords(8, sentinel), part(30, sentinel);
  const MeshedSection s = two_material_section();
  const std::int32_t nn = s.n_nodes(), ne = s.mesh.n_elements(), nm = s.n_materials(), np = s.mesh.n_parts(),
                     nb = s.bars.n(), six = 0;
  EXPECT_EQ(BSPCombMain(result.data(), coords.data(), &nn, nullptr, &ne, &nm, &np, s.mesh.y.data(), s.mesh.z.data(),
                        s.stress_y.data(), s.stress_z.data(), s.mesh.connectivity.data(), s.mesh.element_material.data(),
                        s.mesh.part_node_count.data(), s.mesh.part_element_count.data(), &s.e_ref, &s.nu_ref, &s.w_ref,
                        s.modulus.data(), s.poisson.data(), s.weight.data(), &nb, s.bars.radius.data(),
                        s.bars.y.data(), s.bars.z.data(), s.bars.modulus.data(), s.bars.weight.data(), nullptr,
                        &s.reference, &six),
            BSP_E_INPUT);
  EXPECT_EQ(BSPPartMain(part.data(), &nn, &ne, nullptr, &np, s.mesh.y.data(), s.mesh.z.data(),
                        s.mesh.connectivity.data(), s.mesh.element_material.data(), s.mesh.part_node_count.data(),
                        s.mesh.part_element_count.data(), &s.e_ref, &s.nu_ref, &s.w_ref, s.modulus.data(),
                        s.poisson.data(), s.weight.data(), &nb, s.bars.radius.data(), s.bars.y.data(),
                        s.bars.z.data(), s.bars.modulus.data(), s.bars.weight.data(), &six),
            BSP_E_INPUT);
  for (double v : result) EXPECT_EQ(v, sentinel);
  for (double v : coords) EXPECT_EQ(v, sentinel);
  for (double v : part) EXPECT_EQ(v, sentinel);
}

TEST(BSPCombMain, StressReferenceSelectsTheShearCentreForOffsets) {
  // An L of two plates: centroid and shear centre (the plates' crossing) differ.
  MeshedSection s;
  s.mesh = rectangle_part(0, 0, 4, 0.5, 16, 2, 1);
  s.mesh.append(rectangle_part(0, 0.5, 0.5, 3.5, 2, 14, 1));
  s.stress_y = {4.0, 0.0};
  s.stress_z = {0.0, 4.0};
  s.level = 1;
  s.reference = 0;
  const CombResult centroid = comb(s);
  s.reference = 1;
  const CombResult shear_centre = comb(s);
  ASSERT_EQ(centroid.code, BSP_OK);
  ASSERT_EQ(shear_centre.code, BSP_OK);
  const double cy = centroid[BSP_SLOT_CENTROID_Y], cz = centroid[BSP_SLOT_CENTROID_Z];
  const double sy = cy - centroid[BSP_SLOT_CENTROID_MINUS_SC_Y], sz = cz - centroid[BSP_SLOT_CENTROID_MINUS_SC_Z];
  ASSERT_GT(std::hypot(cy - sy, cz - sz), 0.5);  // the two references are far apart
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_NEAR(centroid.coords[2 * i], s.stress_y[i] - cy, 1e-12);  // one subtraction of round-off
    EXPECT_NEAR(centroid.coords[2 * i + 1], s.stress_z[i] - cz, 1e-12);
    EXPECT_NEAR(shear_centre.coords[2 * i], s.stress_y[i] - sy, 1e-12);
    EXPECT_NEAR(shear_centre.coords[2 * i + 1], s.stress_z[i] - sz, 1e-12);
  }
}

TEST(BSPPartMain, UnusedMaterialKeepsTenZeros) {
  MeshedSection s = two_material_section();
  s.modulus.push_back(5.0);
  s.poisson.push_back(0.1);
  s.weight.push_back(1.0);
  const PartResult p = part_main(s);
  ASSERT_EQ(p.code, BSP_OK);
  for (std::size_t slot = 0; slot < BSP_PART_SLOTS; ++slot) EXPECT_EQ(p.at(3, slot), 0.0) << slot;
  EXPECT_GT(p.at(1, BSP_PART_TORSION_CONSTANT), 0.0);
}

TEST(BSPCombMain, InvertedElementsAreLeftOutOfAreaAndAlmostOutOfTorsion) {
  // A 3 x 3 square with its middle cell's elements inverted, against the same
  // square with those elements left out: a square tube either way.
  MeshedSection hollow;
  const auto lines = grid_lines({{1.0, 4}, {2.0, 4}, {3.0, 4}}, 0.0);
  for (const auto& [i0, i1, j0, j1] : {std::array{0, 4, 0, 12}, std::array{4, 8, 0, 4}, std::array{4, 8, 8, 12},
                                        std::array{8, 12, 0, 12}})
    hollow.mesh.append(grid_part(lines, lines, i0, i1, j0, j1, 1));
  hollow.level = 1;
  MeshedSection filled = hollow;
  filled.mesh.append(grid_part(lines, lines, 4, 8, 4, 8, -1));
  const CombResult a = comb(hollow), b = comb(filled);
  ASSERT_EQ(a.code, BSP_OK);
  ASSERT_EQ(b.code, BSP_OK);
  EXPECT_NEAR(b[BSP_SLOT_AREA], 8.0, 1e-13);  // 9 - 1, exact integration
  EXPECT_NEAR(b[BSP_SLOT_I1], a[BSP_SLOT_I1], 1e-12);
  // The inverted cell carries 1e-9 of the material's stiffness: J and Iw move
  // by about that share.
  EXPECT_NEAR(b[BSP_SLOT_TORSION_CONSTANT] / a[BSP_SLOT_TORSION_CONSTANT], 1.0, 1e-6);
  EXPECT_NEAR(b[BSP_SLOT_ALPHA_Y] / a[BSP_SLOT_ALPHA_Y], 1.0, 1e-6);
}

TEST(BSPDetail, SectionSlotsAreThoseOfCombMainAtLevelOneAndSummaryFindsTheLargest) {
  MeshedSection s = two_material_section();
  s.weight = s.modulus;  // BSPDetail weighs areas by modulus
  s.bars = Bars{};
  s.level = 1;
  s.reference = 1;  // slots 23 and 24 take the offsets from the reference point
  const CombResult c = comb(s);
  const DetailResult d = detail(s, Forces{2.0, 0.0, 0.0, 0.0, 0.3, 0.0, 1.0});
  ASSERT_EQ(c.code, BSP_OK);
  ASSERT_EQ(d.code, BSP_OK);
  for (std::size_t slot = 0; slot < 38; ++slot) EXPECT_EQ(d.section[slot], c[slot]) << slot;
  // Offsets from the shear centre with the reference option set.
  const double sy = c[BSP_SLOT_CENTROID_Y] - c[BSP_SLOT_CENTROID_MINUS_SC_Y];
  EXPECT_NEAR(d.offsets[0], s.stress_y[0] - sy, 1e-12);  // round-off of one subtraction
  // Summary: the largest normal stress over (material, point) pairs, and the
  // point and material of the largest von Mises value (no shear here).
  double largest = -1e300, smallest = 1e300, vm = -1.0;
  std::size_t at_point = 0, at_material = 0;
  for (std::size_t m = 0; m < 2; ++m)
    for (std::size_t i = 0; i < 2; ++i) {
      const double sigma = d.stress(m, i, 0, 2);
      largest = std::max(largest, sigma);
      smallest = std::min(smallest, sigma);
      if (d.stress(m, i, 3, 2) > vm) {
        vm = d.stress(m, i, 3, 2);
        at_point = i + 1;
        at_material = m + 1;
      }
    }
  EXPECT_EQ(d.stresses[16], largest);
  EXPECT_EQ(d.stresses[17], smallest);
  EXPECT_EQ(d.stresses[19], vm);
  EXPECT_EQ(d.stresses[20], static_cast<double>(at_point));
  EXPECT_EQ(d.stresses[21], static_cast<double>(at_material));
  EXPECT_EQ(d.materials[0], 1.0);  // (0, 0) lies in the first square
  EXPECT_EQ(d.materials[1], 2.0);  // (2, 1) in the second
}

}  // namespace
}  // namespace bsp
