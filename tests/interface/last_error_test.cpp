// Why a call failed: the faults of the cracked-section and closed-form
// exports, through the exports as a host calls them, with their zeroing
// (guards around every caller array) and the BSPLastError text that names
// the check and the first offending item. (The meshed-section exports have
// their table in meshed_section_exports_test.cpp.)
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "bsp/bsp.h"
#include "support/meshed_section_calls.h"
#include "support/section_meshes.h"
#include "support/small_export_calls.h"

namespace bsp::test {
namespace {

// What a failed call left: whether every documented output double is zero,
// and the message.
struct Outcome {
  bool zeroed = false;
  std::string message;
};

Outcome crack_with(const std::function<void(CrackInput&)>& spoil) {
  CrackInput c;
  spoil(c);
  const Guarded out = crack_call(c);
  return {out.body_zero(), BSPLastError()};
}

Outcome closed_form_with(std::int32_t code, std::vector<double> dims) {
  dims.resize(6, 1.0);
  double j = sentinel, a1 = sentinel, a2 = sentinel;
  BSPAnalyticTorsionalConstant(&code, dims.data(), &j);
  const std::string j_message = BSPLastError();
  BSPAnalyticShearArea(&code, dims.data(), &a1, &a2);
  const std::string a_message = BSPLastError();
  // The same fault must be named by both exports, or by the one it concerns.
  return {j == 0.0 && (a_message.empty() || (a1 == 0.0 && a2 == 0.0)), j_message.empty() ? a_message : j_message};
}

struct Fault {
  const char* export_name;
  const char* fault;
  std::function<Outcome()> call;
  const char* message;
};

const std::vector<Fault>& faults() {
  static const std::vector<Fault> table = {
      // Cracked sections (0-based keys, nodes, records).
      {"CrackSectionProperty", "clockwise loop", [] { return crack_with([](CrackInput& c) {
         c.edges = {1, 1, 0, 1, 2, 1, 1, 3, 2, 1, 0, 3}; }); },
       "material key 1: its boundary loops enclose the signed area -150000, they run clockwise"},
      {"CrackSectionProperty", "open loop", [] { return crack_with([](CrackInput& c) { c.n_edges = 3; }); },
       "material key 1: its boundary loop is open at node 0 (edge 0), where an edge starts but none ends"},
      {"CrackSectionProperty", "concrete modulus 0", [] { return crack_with([](CrackInput& c) {
         c.parameters[5] = 0.0; }); },
       "material key 1 (concrete) has modulus 0, not > 0"},
      {"CrackSectionProperty", "long-term modulus E/0", [] { return crack_with([](CrackInput& c) {
         c.parameters[8] = 1.0;
         c.parameters[9] = -1.0; }); },
       "material key 1 has ageing 1 and creep -1: its long-term modulus E / (1 + ageing creep) is inf"},
      {"CrackSectionProperty", "E_ref 5e-324", [] { return crack_with([](CrackInput& c) {
         c.parameters[0] = 5e-324; }); },
       "the section's values overflow"},
      {"CrackSectionProperty", "bar area 1e300", [] { return crack_with([](CrackInput& c) {
         c.bar_records[1] = 1e300; }); },
       "the section's values overflow"},
      {"CrackSectionProperty", "coordinates 1e200", [] { return crack_with([](CrackInput& c) {
         for (double& v : c.node_y) v *= 1e200;
         for (double& v : c.node_z) v *= 1e200; }); },
       "the section's values overflow"},
      {"CrackSectionProperty", "negative node index", [] { return crack_with([](CrackInput& c) {
         c.edges[4] = -1; }); },
       "edge 1 has node i -1, negative (indices are 0-based)"},
      // Closed forms.
      {"BSPAnalyticTorsionalConstant", "negative dimension", [] { return closed_form_with(7, {-100, 50, 5, 8}); },
       "dimension D1 of shape code 7 is -100, not a finite value > 0"},
      {"BSPAnalyticTorsionalConstant", "unknown code", [] { return closed_form_with(11, {1, 1}); },
       "shape code 11 is not one of 1..10"},
      {"BSPAnalyticTorsionalConstant", "dimensions 5e-324", [] { return closed_form_with(1, {5e-324, 5e-324}); },
       "J of shape code 1 underflows the double range"},
      {"BSPAnalyticTorsionalConstant", "dimensions 1e100", [] { return closed_form_with(1, {1e100, 1e100}); },
       "J of shape code 1 overflows the double range"},
      {"BSPAnalyticTorsionalConstant", "box without a cell", [] { return closed_form_with(2, {1, 10, 1, 1, 1, 1}); },
       "the dimensions of shape code 2 describe no such shape"},
  };
  return table;
}

TEST(LastError, EveryFaultGivesItsZeroingAndMessage) {
  for (const Fault& f : faults()) {
    SCOPED_TRACE(std::string(f.export_name) + ": " + f.fault);
    const Outcome o = f.call();
    EXPECT_TRUE(o.zeroed);
    EXPECT_NE(o.message.find(f.message), std::string::npos) << "message: " << o.message;
  }
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
