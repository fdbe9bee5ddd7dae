// Why a call failed: every fault of the six exports, through the exports as a
// host calls them, with its result code, its zeroing (guards around every
// caller array checked by the call helpers) and the BSPLastError text that
// names the check and the first offending item.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "bsp/bsp.h"
#include "support/meshed_section_calls.h"
#include "support/section_meshes.h"
#include "support/small_export_calls.h"

namespace bsp::test {
namespace {

// What a failed call left: its code (0 for the exports without one), whether
// every documented output double is zero, and the message.
struct Outcome {
  std::int32_t code = 0;
  bool zeroed = false;
  std::string message;
};

Outcome outcome_of(std::int32_t code, bool zeroed) { return {code, zeroed, BSPLastError()}; }

// Two 1 x 1 squares side by side, each its own part of 2 x 2 cells (8 3-node
// elements, 9 nodes): nodes 1..9 and elements 1..8 are part 1, nodes 10..18
// and elements 9..16 part 2. The interface y = 1 has matching nodes.
MeshedSection two_squares() {
  MeshedSection s;
  s.mesh = rectangle_part(0.0, 0.0, 1.0, 1.0, 2, 2, 1);
  s.mesh.append(rectangle_part(1.0, 0.0, 1.0, 1.0, 2, 2, 1));
  s.stress_y = {0.5};
  s.stress_z = {0.5};
  return s;
}

// Appends a part of one 3-node element with the given corners.
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

using Spoil = std::function<void(MeshedSection&)>;

Outcome comb_with(const Spoil& spoil) {
  MeshedSection s = two_squares();
  spoil(s);
  const CombResult r = comb(s);
  return outcome_of(r.code, r.result.body_zero() && r.coords.body_zero());
}
Outcome part_with(const Spoil& spoil) {
  MeshedSection s = two_squares();
  spoil(s);
  const PartResult r = part_main(s);
  return outcome_of(r.code, r.part.body_zero());
}
Outcome detail_with(const Spoil& spoil, Forces f = {}) {
  MeshedSection s = two_squares();
  spoil(s);
  const DetailResult r = detail(s, f);
  return outcome_of(r.code, r.section.body_zero() && r.stresses.body_zero() && r.offsets.body_zero() &&
                                r.materials.body_zero());
}

Outcome crack_with(const std::function<void(CrackInput&)>& spoil) {
  CrackInput c;
  spoil(c);
  const Guarded out = crack_call(c);
  return outcome_of(0, out.body_zero());
}

Outcome closed_form_with(std::int32_t code, std::vector<double> dims) {
  dims.resize(6, 1.0);
  double j = sentinel, a1 = sentinel, a2 = sentinel;
  BSPAnalyticTorsionalConstant(&code, dims.data(), &j);
  const std::string j_message = BSPLastError();
  BSPAnalyticShearArea(&code, dims.data(), &a1, &a2);
  const std::string a_message = BSPLastError();
  // The same fault must be named by both exports, or by the one it concerns.
  return {0, j == 0.0 && (a_message.empty() || (a1 == 0.0 && a2 == 0.0)), j_message.empty() ? a_message : j_message};
}

constexpr std::int32_t no_code = 0;  // the exports that return nothing
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct Fault {
  const char* export_name;
  const char* fault;
  std::function<Outcome()> call;
  std::int32_t code;
  const char* message;
};

const std::vector<Fault>& faults() {
  static const std::vector<Fault> table = {
      // Host numbers and constants.
      {"BSPCombMain", "clockwise element", [] { return comb_with([](MeshedSection& s) {
         std::swap(s.mesh.connectivity[3 * 11 + 1], s.mesh.connectivity[3 * 11 + 2]); }); },
       BSP_E_INPUT, "element 12 (part 2) is clockwise"},
      {"BSPCombMain", "node out of range", [] { return comb_with([](MeshedSection& s) {
         s.mesh.connectivity[3 * 4 + 1] = 99; }); },
       BSP_E_INPUT, "node 99 of element 5 is out of range 1..18"},
      {"BSPCombMain", "0-based numbering", [] { return comb_with([](MeshedSection& s) {
         for (std::int32_t& n : s.mesh.connectivity) --n; }); },
       BSP_E_INPUT, "node 0 of element 1 is out of range 1..18 (node numbers are 1-based)"},
      {"BSPCombMain", "material out of range", [] { return comb_with([](MeshedSection& s) {
         s.mesh.element_material[2] = 3; }); },
       BSP_E_INPUT, "material 3 of element 3 is out of range +-1..+-1"},
      {"BSPCombMain", "negative modulus", [] { return comb_with([](MeshedSection& s) { s.modulus[0] = -2e5; }); },
       BSP_E_INPUT, "material 1 has modulus -2e+05, not a finite value > 0"},
      {"BSPCombMain", "Poisson ratio 0.7", [] { return comb_with([](MeshedSection& s) { s.poisson[0] = 0.7; }); },
       BSP_E_INPUT, "material 1 has Poisson ratio 0.7, outside [0, 0.5]"},
      {"BSPCombMain", "reference Poisson ratio just above 0.5",
       [] { return comb_with([](MeshedSection& s) { s.nu_ref = 0.5000001; }); },
       BSP_E_INPUT, "the reference material has Poisson ratio 0.5000001, outside [0, 0.5]"},
      {"BSPCombMain", "node coordinate NaN", [] { return comb_with([](MeshedSection& s) { s.mesh.z[2] = nan; }); },
       BSP_E_INPUT, "z of node 3 is nan, not finite"},
      {"BSPCombMain", "part counts", [] { return comb_with([](MeshedSection& s) { s.mesh.part_node_count[1] = 8; }); },
       BSP_E_INPUT, "node counts of the parts add up to 17, not n_nodes = 18"},
      {"BSPCombMain", "negative bar radius", [] { return comb_with([](MeshedSection& s) {
         s.bars.add(-0.1, 0.5, 0.5, 2.0, 1.0); }); },
       BSP_E_INPUT, "bar 1 has radius -0.1, negative"},
      // The glued mesh.
      {"BSPCombMain", "collinear corners", [] { return comb_with([](MeshedSection& s) {
         add_triangle_part(s, {5, 0, 6, 0, 7, 0}); }); },
       BSP_E_INPUT, "element 17 (part 3) is collapsed: corners 19, 20, 21 are collinear or coincident"},
      {"BSPCombMain", "coincident corners", [] { return comb_with([](MeshedSection& s) {
         add_triangle_part(s, {5, 0, 6, 0, 5, 0}); }); },
       BSP_E_INPUT, "element 17 (part 3) is collapsed"},
      {"BSPCombMain", "parts overlap", [] { return comb_with([](MeshedSection& s) {
         add_triangle_part(s, {0.1, 0.1, 0.6, 0.1, 0.1, 0.6}); }); },
       BSP_E_INPUT, "parts 1 and 3 overlap at element 17 (part 3), which overlaps element 1 (part 1)"},
      {"BSPCombMain", "elements of one part overlap", [] { return comb_with([](MeshedSection& s) {
         // Element 1 twice in part 1.
         const std::vector<std::int32_t> first(s.mesh.connectivity.begin(), s.mesh.connectivity.begin() + 3);
         s.mesh.connectivity.insert(s.mesh.connectivity.begin(), first.begin(), first.end());
         s.mesh.element_material.insert(s.mesh.element_material.begin(), 1);
         ++s.mesh.part_element_count[0]; }); },
       BSP_E_INPUT, "elements 1 and 2 (part 1) overlap"},
      {"BSPCombMain", "hanging node", [] { return comb_with([](MeshedSection& s) {
         // Part 2 at twice the spacing along the interface y = 1.
         s.mesh = rectangle_part(0.0, 0.0, 1.0, 1.0, 2, 2, 1);
         s.mesh.append(rectangle_part(1.0, 0.0, 1.0, 1.0, 2, 4, 1)); }); },
       BSP_E_INPUT, "lies on edge"},
      {"BSPCombMain", "no positive area", [] { return comb_with([](MeshedSection& s) {
         for (std::int32_t& m : s.mesh.element_material) m = -m; }); },
       BSP_E_SOLVER, "no positive area"},
      {"BSPPartMain", "Poisson ratio 0.6", [] { return part_with([](MeshedSection& s) { s.poisson[0] = 0.6; }); },
       BSP_E_INPUT, "material 1 has Poisson ratio 0.6"},
      {"BSPPartMain", "overlap", [] { return part_with([](MeshedSection& s) {
         add_triangle_part(s, {1.1, 0.1, 1.6, 0.1, 1.1, 0.6}); }); },
       BSP_E_INPUT, "parts 2 and 3 overlap"},
      {"BSPDetail", "clockwise element", [] { return detail_with([](MeshedSection& s) {
         std::swap(s.mesh.connectivity[1], s.mesh.connectivity[2]); }); },
       BSP_E_INPUT, "element 1 (part 1) is clockwise"},
      {"BSPDetail", "force not finite", [] { return detail_with([](MeshedSection&) {}, Forces{.v_z = nan}); },
       BSP_E_INPUT, "detail_option_2 holds a value that is not finite"},
      // Cracked sections (0-based keys, nodes, records).
      {"CrackSectionProperty", "clockwise loop", [] { return crack_with([](CrackInput& c) {
         c.edges = {1, 1, 0, 1, 2, 1, 1, 3, 2, 1, 0, 3}; }); },
       no_code, "material key 1: its boundary loops enclose the signed area -150000, they run clockwise"},
      {"CrackSectionProperty", "open loop", [] { return crack_with([](CrackInput& c) { c.n_edges = 3; }); },
       no_code, "material key 1: its boundary loop is open at node 0 (edge 0), where an edge starts but none ends"},
      {"CrackSectionProperty", "concrete modulus 0", [] { return crack_with([](CrackInput& c) {
         c.parameters[5] = 0.0; }); },
       no_code, "material key 1 (concrete) has modulus 0, not > 0"},
      {"CrackSectionProperty", "long-term modulus E/0", [] { return crack_with([](CrackInput& c) {
         c.parameters[8] = 1.0;
         c.parameters[9] = -1.0; }); },
       no_code, "material key 1 has ageing 1 and creep -1: its long-term modulus E / (1 + ageing creep) is inf"},
      {"CrackSectionProperty", "E_ref 5e-324", [] { return crack_with([](CrackInput& c) {
         c.parameters[0] = 5e-324; }); },
       no_code, "the section's values overflow"},
      {"CrackSectionProperty", "bar area 1e300", [] { return crack_with([](CrackInput& c) {
         c.bar_records[1] = 1e300; }); },
       no_code, "the section's values overflow"},
      {"CrackSectionProperty", "coordinates 1e200", [] { return crack_with([](CrackInput& c) {
         for (double& v : c.node_y) v *= 1e200;
         for (double& v : c.node_z) v *= 1e200; }); },
       no_code, "the section's values overflow"},
      {"CrackSectionProperty", "negative node index", [] { return crack_with([](CrackInput& c) {
         c.edges[4] = -1; }); },
       no_code, "edge 1 has node i -1, negative (indices are 0-based)"},
      // Closed forms.
      {"BSPAnalyticTorsionalConstant", "negative dimension", [] { return closed_form_with(7, {-100, 50, 5, 8}); },
       no_code, "dimension D1 of shape code 7 is -100, not a finite value > 0"},
      {"BSPAnalyticTorsionalConstant", "unknown code", [] { return closed_form_with(11, {1, 1}); },
       no_code, "shape code 11 is not one of 1..10"},
      {"BSPAnalyticTorsionalConstant", "dimensions 5e-324", [] { return closed_form_with(1, {5e-324, 5e-324}); },
       no_code, "J of shape code 1 underflows the double range"},
      {"BSPAnalyticTorsionalConstant", "dimensions 1e100", [] { return closed_form_with(1, {1e100, 1e100}); },
       no_code, "J of shape code 1 overflows the double range"},
      {"BSPAnalyticTorsionalConstant", "box without a cell", [] { return closed_form_with(2, {1, 10, 1, 1, 1, 1}); },
       no_code, "the dimensions of shape code 2 describe no such shape"},
  };
  return table;
}

TEST(LastError, EveryFaultGivesItsCodeZeroingAndMessage) {
  for (const Fault& f : faults()) {
    SCOPED_TRACE(std::string(f.export_name) + ": " + f.fault);
    const Outcome o = f.call();
    EXPECT_EQ(o.code, f.code);
    EXPECT_TRUE(o.zeroed);
    EXPECT_NE(o.message.find(f.message), std::string::npos) << "message: " << o.message;
  }
}

TEST(LastError, SuccessEmptiesTheMessage) {
  comb_with([](MeshedSection& s) { s.poisson[0] = 0.7; });
  ASSERT_STRNE(BSPLastError(), "");
  const Outcome ok = comb_with([](MeshedSection&) {});
  EXPECT_EQ(ok.code, BSP_OK);
  EXPECT_STREQ(BSPLastError(), "");
}

TEST(LastError, IsKeptPerThread) {
  comb_with([](MeshedSection& s) { s.poisson[0] = 0.7; });
  std::string other;
  std::thread([&] {
    comb_with([](MeshedSection&) {});
    other = BSPLastError();
  }).join();
  EXPECT_EQ(other, "");
  EXPECT_NE(std::string(BSPLastError()).find("Poisson ratio 0.7"), std::string::npos);
}

// The header's promise: with analysis_level NULL the length of result is
// unknown, so nothing at all is written, stress_coords included.
TEST(LastError, CombMainWithNullAnalysisLevelWritesNothing) {
  const MeshedSection s = two_squares();
  std::vector<double> result(64, sentinel), coords(8, sentinel);
  const std::int32_t n_nodes = s.n_nodes(), n_sp = s.n_sp(), n_elements = s.mesh.n_elements(), n_materials = 1,
                     n_parts = s.mesh.n_parts(), n_bars = 0, reference = 0, six = 0;
  const std::int32_t code = BSPCombMain(
      result.data(), coords.data(), &n_nodes, &n_sp, &n_elements, &n_materials, &n_parts, s.mesh.y.data(),
      s.mesh.z.data(), s.stress_y.data(), s.stress_z.data(), s.mesh.connectivity.data(),
      s.mesh.element_material.data(), s.mesh.part_node_count.data(), s.mesh.part_element_count.data(), &s.e_ref,
      &s.nu_ref, &s.w_ref, s.modulus.data(), s.poisson.data(), s.weight.data(), &n_bars, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, &reference, &six);
  EXPECT_EQ(code, BSP_E_INPUT);
  for (double v : result) EXPECT_EQ(v, sentinel);
  for (double v : coords) EXPECT_EQ(v, sentinel);
  EXPECT_NE(std::string(BSPLastError()).find("analysis_level"), std::string::npos) << BSPLastError();
}

// The cracked-section loops must run counter-clockwise: the same rectangle
// both ways round, the one accepted, the other refused.
TEST(LastError, CrackLoopOrientationIsChecked) {
  EXPECT_FALSE(crack_with([](CrackInput&) {}).zeroed);
  EXPECT_STREQ(BSPLastError(), "");
  EXPECT_TRUE(crack_with([](CrackInput& c) { std::swap(c.node_y[1], c.node_y[3]), std::swap(c.node_z[1], c.node_z[3]); })
                  .zeroed);
  EXPECT_NE(std::string(BSPLastError()).find("clockwise"), std::string::npos);
}

// Hand-made I-beam 10 high, flanges 10 x 1, web 1 thick, in three parts. On
// common grid lines the flange-web interfaces conform; a web meshed three
// cells across against the flanges' two leaves its interface nodes hanging.
TEST(LastError, NonConformingIBeamNamesAHangingNode) {
  const auto ys = grid_lines({{4.5, 9}, {5.5, 2}, {10.0, 9}}, 0.0);
  const auto zs = grid_lines({{1.0, 2}, {9.0, 16}, {10.0, 2}}, 0.0);
  MeshedSection conforming;
  conforming.mesh = grid_part(ys, zs, 0, 20, 0, 2, 1);
  conforming.mesh.append(grid_part(ys, zs, 9, 11, 2, 18, 1));
  conforming.mesh.append(grid_part(ys, zs, 0, 20, 18, 20, 1));
  const CombResult good = comb(conforming);
  EXPECT_EQ(good.code, BSP_OK);
  EXPECT_STREQ(BSPLastError(), "");

  MeshedSection hanging;
  hanging.mesh = grid_part(ys, zs, 0, 20, 0, 2, 1);
  hanging.mesh.append(rectangle_part(4.5, 1.0, 1.0, 8.0, 3, 16, 1));
  hanging.mesh.append(grid_part(ys, zs, 0, 20, 18, 20, 1));
  const CombResult bad = comb(hanging);
  EXPECT_EQ(bad.code, BSP_E_INPUT);
  EXPECT_TRUE(bad.result.body_zero());
  const std::string message = BSPLastError();
  EXPECT_NE(message.find("lies on edge"), std::string::npos) << message;
  EXPECT_NE(message.find("hanging node"), std::string::npos) << message;
}

// A 2 x 1 rectangle whose node coordinates are exact doubles, at the origin
// and moved to (1e8, 1e8): the solver works relative to the section, so the
// two agree in every value that does not depend on the position.
TEST(LastError, FarRectangleKeepsItsDigits) {
  MeshedSection near;
  near.mesh = rectangle_part(0.0, 0.0, 2.0, 1.0, 8, 4, 1);
  MeshedSection far = near;
  for (double& y : far.mesh.y) y += 1e8;
  for (double& z : far.mesh.z) z += 1e8;
  const CombResult a = comb(near), b = comb(far);
  ASSERT_EQ(a.code, BSP_OK);
  ASSERT_EQ(b.code, BSP_OK);
  for (std::size_t slot : {BSP_SLOT_AREA, BSP_SLOT_I1, BSP_SLOT_I2, BSP_SLOT_TORSION_CONSTANT, BSP_SLOT_ALPHA_Y,
                           BSP_SLOT_ALPHA_Z, BSP_SLOT_WARPING_CONSTANT})
    EXPECT_NEAR(b[slot], a[slot], 1e-11 * std::abs(a[slot])) << "slot " << slot;  // the section's own digits
  EXPECT_NEAR(b[BSP_SLOT_CENTROID_Y], a[BSP_SLOT_CENTROID_Y] + 1e8, 1e-8);  // one rounding of 1e8 + 1
  EXPECT_NEAR(b[BSP_SLOT_CENTROID_Z], a[BSP_SLOT_CENTROID_Z] + 1e8, 1e-8);
  // The per-part and detail centroids are moved back as well.
  const PartResult p = part_main(far);
  ASSERT_EQ(p.code, BSP_OK);
  EXPECT_NEAR(p.at(1, BSP_PART_CENTROID_Y), 1e8 + 1.0, 1e-8);  // one rounding of 1e8 + 1
  EXPECT_NEAR(p.at(1, BSP_PART_CENTROID_Z), 1e8 + 0.5, 1e-8);
  EXPECT_NEAR(p.at(1, BSP_PART_I1), a[BSP_SLOT_I1], 1e-11 * a[BSP_SLOT_I1]);  // the section's own digits
  const DetailResult d = detail(far, Forces{});
  ASSERT_EQ(d.code, BSP_OK);
  EXPECT_NEAR(d.section[BSP_SLOT_CENTROID_Y], 1e8 + 1.0, 1e-8);
}

}  // namespace
}  // namespace bsp::test
