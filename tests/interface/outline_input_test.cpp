// The outline exports' checks name the failed check and the first offending
// item in the caller's 1-based numbering, with the documented status.
#include "interface/outline_input.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "common/status.h"
#include "support/outline_calls.h"

namespace bsp {
namespace {

using namespace bsp::test;

OutlineArgs args_of(const OutlineSection& s, const std::int32_t counts[5]) {
  OutlineArgs a;
  a.n_regions = &counts[0];
  a.n_points = &counts[1];
  a.n_segments = &counts[2];
  a.n_bars = &counts[3];
  a.n_stress_points = &counts[4];
  a.bar_radius = s.bars.radius.data();
  a.bar_y = s.bars.y.data();
  a.bar_z = s.bars.z.data();
  a.bar_modulus = s.bars.modulus.data();
  a.bar_area_weight = s.bars.weight.data();
  a.stress_y = s.stress_y.data();
  a.stress_z = s.stress_z.data();
  a.ref_modulus = &s.e_ref;
  a.ref_poisson = &s.nu_ref;
  a.ref_area_weight = &s.w_ref;
  a.region_modulus = s.modulus.data();
  a.region_poisson = s.poisson.data();
  a.region_area_weight = s.weight.data();
  a.point_y = s.point_y.data();
  a.point_z = s.point_z.data();
  a.segments = s.segments.data();
  a.element_size = &s.element_size;
  a.analysis_level = &s.level;
  a.stress_reference = &s.reference;
  a.linear_elements = &s.linear;
  return a;
}

TEST(OutlineInput, MessagesNameTheFirstOffendingItem) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    std::function<void(OutlineSection&)> mutate;
    Status status;
    std::string message;
  } cases[] = {
      {[](OutlineSection& s) { s.nu_ref = 0.5000001; }, Status::solver_error,
       "ref_poisson is 0.5000001; it must lie in 0 .. 0.5"},
      {[](OutlineSection& s) { s.w_ref = -1; }, Status::solver_error, "ref_area_weight is -1; it must be a finite number > 0"},
      {[](OutlineSection& s) { s.segments[5] = 9; }, Status::invalid_input, "point 9 of segment 3 is out of range 1..8"},
      {[](OutlineSection& s) { s.point_y[6] = nan; }, Status::invalid_input, "point 7 has a coordinate that is not finite"},
      {[](OutlineSection& s) { s.segments.insert(s.segments.end(), {3, 2}); }, Status::invalid_input,
       "segment 9 repeats segment 2 (points 3 and 2)"},
      {[](OutlineSection& s) {
         s.point_y.push_back(10);
         s.point_z.push_back(6 + 1e-9);
         s.segments.insert(s.segments.end(), {3, 9});
       },
       Status::invalid_input, "segment 9 (points 3 and 9) is shorter than 1e-08"},
      {[](OutlineSection& s) { s.modulus[1] = -2; }, Status::invalid_input,
       "region 2 has modulus -2; a solid region needs a finite modulus > 0 (0.0 marks a hole)"},
      {[](OutlineSection& s) { s.poisson[0] = 0.6; }, Status::invalid_input,
       "region 1 has Poisson ratio 0.6; it must lie in 0 .. 0.5"},
      {[](OutlineSection& s) { s.bars.add(1, nan, 0, 1, 1); }, Status::invalid_input, "bar 2 has a centre that is not finite"},
      {[](OutlineSection& s) { s.stress_z[1] = nan; }, Status::invalid_input,
       "stress point 2 has a coordinate that is not finite"},
      {[](OutlineSection& s) { s.element_size = nan; }, Status::invalid_input, "element_size is nan; it must be finite"},
  };
  for (const auto& c : cases) {
    OutlineSection s = rectangle_with_hole();
    s.bars.add(0.5, 5, 1, 2, 1);
    s.stress_y = {10, 0};
    s.stress_z = {6, 0};
    c.mutate(s);
    const std::int32_t counts[5] = {s.n_regions(), s.n_points(), s.n_segments(), s.bars.n(), s.n_sp()};
    OutlineInput in;
    try {
      read_outline(args_of(s, counts), OutlineExport::mesh_main, in);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const CallError& e) {
      EXPECT_EQ(e.status(), c.status) << c.message;
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

// A valid call comes out in the mesher's axes with 0-based segments.
TEST(OutlineInput, ConvertsToZeroBasedSegments) {
  OutlineSection s = rectangle_with_hole();
  const std::int32_t counts[5] = {s.n_regions(), s.n_points(), s.n_segments(), 0, 0};
  OutlineInput in;
  read_outline(args_of(s, counts), OutlineExport::part_mesh_main, in);
  ASSERT_EQ(in.outline.segments.size(), 8u);
  EXPECT_EQ(in.outline.segments[0][0], 0);
  EXPECT_EQ(in.outline.segments[7][1], 4);
  EXPECT_EQ(in.outline.x[1], 10.0);
  EXPECT_EQ(in.outline.y[2], 6.0);
}

}  // namespace
}  // namespace bsp
