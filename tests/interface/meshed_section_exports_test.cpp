// Contract of the meshed-section exports (BSPCombMain, BSPPartMain,
// BSPDetail): every check with its code, its zeroing (guards around every
// caller array checked by the call helpers) and the BSPLastError text that
// names the check and the first offending item; exact values where the
// integration is exact; thread count restored.
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

// Appends a part of one 3-node element of material 1 with the given corners.
void add_triangle_part(MeshedSection& s, std::array<double, 6> yz) {
  PartsMesh t;
  for (int i = 0; i < 3; ++i) {
    t.y.push_back(yz[2 * i]);
    t.z.push_back(yz[2 * i + 1]);
  }
  t.connectivity = {1, 2, 3};
  t.element_material = {1};
  t.part_node_count = {3};
  t.part_element_count = {1};
  s.mesh.append(t);
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
  s.bars.add(0.1, 1.75, 0.5, 10.0, 3.0);
  s.stress_y = {0.0, 2.0};
  s.stress_z = {0.0, 1.0};
  return s;
}

// A hostile change of the input, the count overrides that go with it, and
// the text of the failed check. Nodes 1..9 and elements 1..8 are part 1,
// nodes 10..18 and elements 9..16 part 2.
struct Hostile {
  std::function<void(MeshedSection&, Counts&)> apply;
  const char* message;
  bool stress_points_only = false;  // BSPPartMain takes no stress points
};

const std::vector<Hostile>& hostile_inputs() {
  using S = MeshedSection;
  static const std::vector<Hostile> table = {
      // Counts and host numbers.
      {[](S&, Counts& c) { c.n_nodes = -1; }, "n_nodes is -1, negative"},
      {[](S&, Counts& c) { c.n_elements = -1; }, "n_elements is -1, negative"},
      {[](S&, Counts& c) { c.n_parts = -1; }, "n_parts is -1, negative"},
      {[](S&, Counts& c) { c.n_bars = -1; }, "n_bars is -1, negative"},
      {[](S&, Counts& c) { c.n_sp = -1; }, "cannot be computed: n_stress_points", true},
      {[](S&, Counts& c) { c.n_elements = std::numeric_limits<std::int32_t>::max() / 3 + 1; }, "n_nodes + 3 n_elements = 2147483667 exceeds 2^31 - 1"},  // mid-side numbers overflow
      {[](S& s, Counts&) { s.mesh.part_node_count[1] = 8; }, "node counts of the parts add up to 17, not n_nodes = 18"},
      {[](S& s, Counts&) { s.mesh.part_element_count[0] -= 1; }, "element counts of the parts add up to 15, not n_elements = 16"},
      {[](S& s, Counts&) { s.mesh.part_node_count[0] += 1; s.mesh.part_element_count[0] -= 1; },
       "node counts of the parts add up to 19, not n_nodes = 18"},
      {[](S& s, Counts&) {  // the sum still matches; one count alone is impossible
         s.mesh.part_node_count[1] += s.mesh.part_node_count[0] + 4;
         s.mesh.part_node_count[0] = -4;
       },
       "node count of part 1 is -4, negative"},
      {[](S& s, Counts&) { s.mesh.connectivity[4] = 0; }, "node 0 of element 2 is out of range 1..18 (node numbers are 1-based)"},
      {[](S& s, Counts&) { s.mesh.connectivity[3 * 4 + 1] = 99; }, "node 99 of element 5 is out of range 1..18"},
      {[](S& s, Counts&) { for (std::int32_t& n : s.mesh.connectivity) --n; },
       "node 0 of element 1 is out of range 1..18 (node numbers are 1-based)"},
      {[](S& s, Counts&) { s.mesh.element_material[1] = 0; }, "material 0 of element 2 is out of range +-1..+-2 (material numbers are 1-based)"},
      {[](S& s, Counts&) { s.mesh.element_material[2] = 3; }, "material 3 of element 3 is out of range +-1..+-2"},
      {[](S& s, Counts&) { s.mesh.element_material[1] = -3; }, "material -3 of element 2 is out of range +-1..+-2"},
      {[](S& s, Counts&) { s.mesh.element_material[1] = std::numeric_limits<std::int32_t>::min(); }, "material -2147483648 of element 2 is out of range +-1..+-2"},
      // Numbers.
      {[](S& s, Counts&) { s.mesh.z[2] = nan_value; }, "z of node 3 is nan, not finite"},
      {[](S& s, Counts&) { s.mesh.y[2] = HUGE_VAL; }, "y of node 3 is inf, not finite"},
      {[](S& s, Counts&) { s.e_ref = 0.0; }, "ref_modulus is 0, not a finite value > 0"},
      {[](S& s, Counts&) { s.e_ref = -1.0; s.w_ref = -1.0; }, "ref_modulus is -1, not a finite value > 0"},
      {[](S& s, Counts&) { s.nu_ref = 0.5000001; }, "the reference material has Poisson ratio 0.5000001, outside [0, 0.5]"},
      {[](S& s, Counts&) { s.nu_ref = -0.1; }, "the reference material has Poisson ratio -0.1, outside [0, 0.5]"},
      {[](S& s, Counts&) { s.modulus[0] = -2e5; }, "material 1 has modulus -2e+05, not a finite value > 0"},
      {[](S& s, Counts&) { s.modulus[1] = 0.0; }, "material 2 has modulus 0, not a finite value > 0"},
      {[](S& s, Counts&) { s.modulus[1] = HUGE_VAL; }, "material 2 has modulus inf, not a finite value > 0"},
      {[](S& s, Counts&) { s.poisson[0] = 0.7; }, "material 1 has Poisson ratio 0.7, outside [0, 0.5]"},
      {[](S& s, Counts&) { s.poisson[0] = nan_value; }, "material 1 has Poisson ratio nan, not finite"},
      {[](S& s, Counts&) { s.bars.radius[0] = -0.1; }, "bar 1 has radius -0.1, negative"},
      {[](S& s, Counts&) { s.bars.modulus[0] = -1.0; }, "bar 1 has modulus -1, negative"},
      {[](S& s, Counts&) { s.bars.z[0] = nan_value; }, "z of bar 1 is nan, not finite"},
      {[](S& s, Counts& c) {  // bars counted but absent
         c.n_bars = 1;
         s.bars = Bars{};
       },
       "bar_radius is NULL but 1 values are needed"},
      {[](S& s, Counts&) { s.stress_y[1] = nan_value; }, "y of stress point 2 is nan, not finite", true},
      // The glued mesh.
      {[](S& s, Counts&) { std::swap(s.mesh.connectivity[3 * 11 + 1], s.mesh.connectivity[3 * 11 + 2]); },
       "element 12 (part 2) is clockwise"},
      {[](S& s, Counts&) {  // range first: the orientation test would read node 99
         std::swap(s.mesh.connectivity[3 * 11 + 1], s.mesh.connectivity[3 * 11 + 2]);
         s.mesh.connectivity[3 * 11 + 1] = 99;
       },
       "node 99 of element 12 is out of range 1..18"},
      {[](S& s, Counts&) {  // all three corners of the first element on the line z = 0
         s.mesh.z[static_cast<std::size_t>(s.mesh.connectivity[2] - 1)] = 0.0;
       },
       "element 1 (part 1) is collapsed: corners 1, 2, 5 are collinear or coincident"},
      {[](S& s, Counts&) { add_triangle_part(s, {5, 0, 6, 0, 7, 0}); },
       "element 17 (part 3) is collapsed: corners 19, 20, 21 are collinear or coincident"},
      {[](S& s, Counts&) { add_triangle_part(s, {5, 0, 6, 0, 5, 0}); }, "element 17 (part 3) is collapsed"},
      {[](S& s, Counts&) { add_triangle_part(s, {0.1, 0.1, 0.6, 0.1, 0.1, 0.6}); },
       "parts 1 and 3 overlap at element 17 (part 3), which overlaps element 1 (part 1)"},
      {[](S& s, Counts&) { add_triangle_part(s, {1.1, 0.1, 1.6, 0.1, 1.1, 0.6}); }, "parts 2 and 3 overlap"},
      {[](S& s, Counts&) {  // element 1 twice in part 1
         const std::vector<std::int32_t> first(s.mesh.connectivity.begin(), s.mesh.connectivity.begin() + 3);
         s.mesh.connectivity.insert(s.mesh.connectivity.begin(), first.begin(), first.end());
         s.mesh.element_material.insert(s.mesh.element_material.begin(), 1);
         ++s.mesh.part_element_count[0];
       },
       "elements 1 and 2 (part 1) overlap"},
      {[](S& s, Counts&) {  // part 2 at twice the spacing along the interface y = 1
         s.mesh = rectangle_part(0.0, 0.0, 1.0, 1.0, 2, 2, 1);
         s.mesh.append(rectangle_part(1.0, 0.0, 1.0, 1.0, 2, 4, 2));
       },
       "lies on edge"},
  };
  return table;
}

void expect_message(const char* fragment) {
  EXPECT_NE(std::string(BSPLastError()).find(fragment), std::string::npos) << "message: " << BSPLastError();
}

TEST(MeshedSectionExports, EveryFailedCheckGivesInputErrorZeroesTheOutputsAndNamesTheItem) {
  for (const Hostile& h : hostile_inputs()) {
    SCOPED_TRACE(h.message);
    for (std::int32_t level : {0, 1, 3}) {
      MeshedSection s = two_material_section();
      s.level = level;
      Counts c;
      h.apply(s, c);
      const CombResult r = comb(s, c);
      EXPECT_EQ(r.code, BSP_E_INPUT) << "BSPCombMain at level " << level;
      EXPECT_TRUE(r.result.body_zero() && r.coords.body_zero()) << "BSPCombMain at level " << level;
      expect_message(h.message);
    }
    MeshedSection s = two_material_section();
    Counts c;
    h.apply(s, c);
    const DetailResult d = detail(s, Forces{1, 0, 0, 0, 0, 0, 0}, c);
    EXPECT_EQ(d.code, BSP_E_INPUT) << "BSPDetail";
    EXPECT_TRUE(d.section.body_zero() && d.stresses.body_zero() && d.offsets.body_zero() && d.materials.body_zero());
    expect_message(h.message);
    if (h.stress_points_only) continue;
    const PartResult p = part_main(s, c);
    EXPECT_EQ(p.code, BSP_E_INPUT) << "BSPPartMain";
    EXPECT_TRUE(p.part.body_zero()) << "BSPPartMain";
    expect_message(h.message);
  }
  const DetailResult r = detail(two_material_section(), Forces{.v_z = nan_value});
  EXPECT_EQ(r.code, BSP_E_INPUT) << "non-finite force";
  EXPECT_TRUE(r.stresses.body_zero());
  expect_message("detail_option_2 holds a value that is not finite");
}

// The edges of the accepted ranges.
TEST(MeshedSectionExports, AcceptsTheEndsOfTheRanges) {
  MeshedSection s = two_material_section();
  s.mesh.element_material[0] = -2;  // -n_materials: an inverted element of material 2
  s.nu_ref = 0.5;
  s.poisson = {0.0, 0.5};
  EXPECT_EQ(comb(s).code, BSP_OK);
  EXPECT_EQ(part_main(s).code, BSP_OK);
  EXPECT_STREQ(BSPLastError(), "");  // a success empties the message
}

TEST(MeshedSectionExports, SectionWithoutAreaIsASolverErrorWithTheDocumentedZeroing) {
  MeshedSection inverted = two_material_section();
  for (auto& m : inverted.mesh.element_material) m = -m;
  inverted.bars = Bars{};
  for (std::int32_t level : {0, 2, 3}) {
    inverted.level = level;
    const CombResult r = comb(inverted);
    EXPECT_EQ(r.code, BSP_E_SOLVER) << level;
    EXPECT_TRUE(r.result.body_zero());
    EXPECT_TRUE(r.coords.body_zero());
    expect_message("no positive area");
  }
  const PartResult p = part_main(inverted);
  EXPECT_EQ(p.code, BSP_E_SOLVER);
  EXPECT_TRUE(p.part.body_zero());
  const DetailResult d = detail(inverted, Forces{1, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(d.code, BSP_E_SOLVER);
  EXPECT_TRUE(d.section.body_zero() && d.stresses.body_zero() && d.offsets.body_zero() && d.materials.body_zero());

  MeshedSection empty;
  empty.mesh.part_node_count = {0};
  empty.mesh.part_element_count = {0};
  const CombResult e = comb(empty);
  EXPECT_EQ(e.code, BSP_E_SOLVER);
  EXPECT_TRUE(e.result.body_zero());
}

// With the size of an output unknown (its count or analysis_level NULL), no
// double of it may be written.
TEST(MeshedSectionExports, NullCountPointersWriteNothing) {
  std::vector<double> result(60, sentinel), coords(8, sentinel), part(30, sentinel);
  const MeshedSection s = two_material_section();
  const std::int32_t nn = s.n_nodes(), nsp = s.n_sp(), ne = s.mesh.n_elements(), nm = s.n_materials(),
                     np = s.mesh.n_parts(), nb = s.bars.n(), six = 0;
  const auto comb_call = [&](const std::int32_t* n_sp, const std::int32_t* level) {
    return BSPCombMain(result.data(), coords.data(), &nn, n_sp, &ne, &nm, &np, s.mesh.y.data(), s.mesh.z.data(),
                       s.stress_y.data(), s.stress_z.data(), s.mesh.connectivity.data(), s.mesh.element_material.data(),
                       s.mesh.part_node_count.data(), s.mesh.part_element_count.data(), &s.e_ref, &s.nu_ref, &s.w_ref,
                       s.modulus.data(), s.poisson.data(), s.weight.data(), &nb, s.bars.radius.data(),
                       s.bars.y.data(), s.bars.z.data(), s.bars.modulus.data(), s.bars.weight.data(), level,
                       &s.reference, &six);
  };
  EXPECT_EQ(comb_call(nullptr, &s.level), BSP_E_INPUT);
  EXPECT_EQ(comb_call(&nsp, nullptr), BSP_E_INPUT);
  expect_message("analysis_level");
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

TEST(BSPCombMain, WritesExactlyTheLevelsLengthAndLeavesUnusedSlotsZero) {
  MeshedSection s = two_material_section();
  s.level = 0;
  const CombResult zero = comb(s);
  for (std::int32_t level : {-5, 0, 1, 2, 3}) {
    s.level = level;
    const CombResult r = comb(s);  // the guard check covers "nothing past R"
    ASSERT_EQ(r.code, BSP_OK) << level;
    for (double v : r.result.body()) EXPECT_NE(v, sentinel) << "level " << level << " left a slot unwritten";
    if (level <= 0) {
      EXPECT_EQ(r.result.body(), zero.result.body()) << "a negative level reads as 0";
      for (std::size_t slot = 22; slot < 32; ++slot) EXPECT_EQ(r[slot], 0.0) << slot;
      for (std::size_t slot = 38; slot < r.result.documented; ++slot) EXPECT_EQ(r[slot], 0.0) << slot;
    } else {
      EXPECT_GT(r[BSP_SLOT_RADIUS_MAJOR], 0.0);
      EXPECT_GT(r[BSP_SLOT_POLAR_MOMENT_SC(2)], 0.0);
    }
  }
}

TEST(BSPCombMain, RightTriangleGivesExactPrincipalValues) {
  MeshedSection s = right_triangle();
  const CombResult r = comb(s);
  ASSERT_EQ(r.code, BSP_OK);
  // The 6-point rule integrates the quadratic moments of a straight-sided
  // triangle exactly: only round-off remains. Principal moments 1/36 +-
  // 1/72; equal moments with I12 != 0 give 45 degrees.
  // Radii (sqrt(I / A)) add the round-off of a root.
  const std::vector<std::array<double, 3>> exact = {
      {BSP_SLOT_AREA, 0.5, 1e-15}, {BSP_SLOT_CENTROID_Y, 1.0 / 3, 1e-15}, {BSP_SLOT_I1, 1.0 / 36, 1e-15},
      {BSP_SLOT_I2, 1.0 / 36, 1e-15}, {BSP_SLOT_I12, -1.0 / 72, 1e-15}, {BSP_SLOT_PRINCIPAL_ANGLE_DEG, 45.0, 0},
      {BSP_SLOT_RADIUS_MAJOR, 0.28867513459481287, 1e-14}, {BSP_SLOT_RADIUS_MINOR, 1.0 / 6, 1e-14},
      {BSP_SLOT_RADIUS_Y, 1.0 / std::sqrt(18.0), 1e-14}};
  for (const auto& [slot, value, tolerance] : exact) EXPECT_NEAR(r[static_cast<std::size_t>(slot)], value, tolerance) << slot;
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

TEST(BSPPartMain, PartSlotsAddUpToTheSectionAndABarJoinsItsPart) {
  MeshedSection s = two_material_section();
  const PartResult p = part_main(s);
  s.level = 0;  // the bar's weighted area at every level (level 1: the outline tests)
  const CombResult c = comb(s);
  ASSERT_EQ(p.code, BSP_OK);
  ASSERT_EQ(c.code, BSP_OK);
  const double bar_area = std::numbers::pi * 0.01 * (10.0 - 1.0);  // pi r^2 (E_b/E_ref - 1)
  // Material 1: unit square at E = E_ref; material 2: unit square at 2 E_ref plus the bar.
  EXPECT_NEAR(p.at(1, BSP_PART_AREA), 1.0, 1e-14);  // round-off of exact integrals
  EXPECT_NEAR(p.at(2, BSP_PART_AREA), 2.0 + bar_area, 1e-14);
  EXPECT_NEAR(p.at(1, BSP_PART_AREA) + p.at(2, BSP_PART_AREA), c[BSP_SLOT_AREA], 1e-14);
  // The bar, off the square's centre, moves the part's centroid and adds its
  // own and its transfer term.
  const double yc = (2.0 * 1.5 + bar_area * 1.75) / (2.0 + bar_area);
  EXPECT_NEAR(p.at(2, BSP_PART_CENTROID_Y), yc, 1e-14);
  EXPECT_NEAR(p.at(2, BSP_PART_CENTROID_Z), 0.5, 1e-14);
  EXPECT_NEAR(p.at(2, BSP_PART_I1),
              2.0 / 12 + 2.0 * (1.5 - yc) * (1.5 - yc) + bar_area * (0.01 / 4 + (1.75 - yc) * (1.75 - yc)), 1e-14);
  // Weighted areas: 1 * 1 + 0.5 * 1 + pi r^2 (3/1 - 1).
  EXPECT_NEAR(p.at(2, BSP_PART_WEIGHTED_AREA), 0.5 + std::numbers::pi * 0.01 * 2.0, 1e-14);
  EXPECT_NEAR(c[BSP_SLOT_WEIGHTED_AREA], 1.5 + std::numbers::pi * 0.01 * 2.0, 1e-14);
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
