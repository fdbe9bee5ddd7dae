#include "solver/plastic_modulus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "solver/block_clip.h"
#include "solver/block_mesher.h"
#include "standard/section_catalogue.h"

namespace bsp {
namespace {

struct AxisCase {
  const char* what;
  int type;
  std::vector<double> dims;
  int cut_axis;     // 0: line of constant first coordinate, 1: of the second
  double expected;  // by hand: where the area beyond is half the total
};

const AxisCase axis_cases[] = {
    {"T along y, flange heavier: axis in the flange", 4, {12, 20, 2, 1}, 0, 18.25},
    {"T on top, flange heavier: axis in the flange", 8, {12, 15, 2, 1}, 1, 15.375},
    {"T on top, stem heavier: axis in the stem", 8, {4, 20, 1, 1}, 1, 12.0},
    {"angle: axis just above the horizontal leg", 20, {10, 8, 1, 1}, 1, 1.5},
};

// The axis where the area halves, to 1e-12 of the size. At extreme scales the rounding stop, not
// the absolute area tolerance, ends the search: ~130 passes of 0.75, far below the limit.
TEST(PlasticModulus, ExtremeScalesEndWellInsideThePassLimit) {
  for (const double scale : {1.0, 1e6, 1e-6}) {
    for (const AxisCase& c : axis_cases) {
      SCOPED_TRACE(c.what);
      std::vector<double> dims = c.dims;
      for (double& d : dims) d *= scale;
      int passes = 0;
      EXPECT_NEAR(plastic_neutral_axis(c.type, dims, c.cut_axis, &passes), c.expected * scale,
                  1e-12 * 20 * scale);
      EXPECT_LT(passes, plastic_max_passes / 4);
    }
  }
}

// The search as specified, every sample of every pass evaluated, with the
// same stop at rounding; the total area comes from the search across the
// second coordinate, which runs first.
double scanned_axis(const SectionBlocks& blocks, int cut_axis, int& passes) {
  const AreaBeyond across_second(blocks, CutAxis::second);
  const Extent e2 = blocks_extent(blocks, CutAxis::second);
  const double total = std::max(across_second(e2.lo), across_second(e2.hi));
  const double tol = std::min(plastic_relative_tolerance * total, plastic_absolute_tolerance);
  const CutAxis axis = cut_axis == 0 ? CutAxis::first : CutAxis::second;
  const AreaBeyond a(blocks, axis);
  const Extent e = blocks_extent(blocks, axis);
  double lo = e.lo, hi = e.hi, best = total, c_best = 0.0;
  const double scale = std::max(std::abs(lo), std::abs(hi));
  for (passes = 1; passes <= plastic_max_passes; ++passes) {
    const double h = std::abs(hi - lo) / plastic_samples_per_pass;
    for (int i = 1; i <= plastic_samples_per_pass; ++i) {
      const double residual = std::abs(total / 2.0 - a(lo + i * h));
      if (residual < best) {
        best = residual;
        c_best = lo + i * h;
      }
    }
    if (best < tol || h <= 4.0 * std::numeric_limits<double>::epsilon() * scale) break;
    const double d = plastic_bracket_shrink * std::abs(lo - c_best);
    lo = std::max(lo, c_best - d);
    hi = std::min(hi, c_best + d);
  }
  return c_best;
}

// Each pass of the search picks its best sample by bisection where the area
// function cannot rise; it must pick the very sample the full scan picks, so
// the axis and the pass count agree bit for bit. Every type with a search,
// at everyday and at lopsided proportions, across both coordinates; type 22
// (chamfered blocks) takes the scan itself.
TEST(PlasticModulus, SearchPicksTheSampleOfTheFullScan) {
  const std::vector<std::pair<int, std::vector<double>>> shapes = {
      {2, {10, 20, 2, 1.5}},        {2, {300, 8, 0.4, 3.9}},      {3, {20, 12, 8, 1, 2, 1.5}},
      {3, {60, 30, 2, 0.5, 9, 0.2}}, {4, {12, 20, 2, 1}},         {4, {3, 20, 0.1, 2.9}},
      {5, {10, 8, 1, 1.5}},         {5, {40, 3, 1.2, 0.1}},       {6, {10, 2, 12, 1.5}},
      {7, {20, 2, 10, 1}},          {8, {12, 15, 2, 1}},          {8, {4, 20, 1, 1}},
      {9, {5, 1, 8, 10}},           {10, {8, 1, 6, 8}},           {11, {10, 1, 8, 10}},
      {12, {1.5, 1, 10, 12}},       {13, {12, 20, 2, 1}},         {14, {10, 8, 1, 1.5, 2, 1}},
      {14, {10, 8, 0.1, 3, 4, 0.2}}, {20, {10, 8, 1, 1}},         {20, {100, 3, 0.2, 7}},
      {21, {4, 6, 10, 1, 1.5}},     {22, {2, 10, 8, 4}},          {23, {10, 8, 1, 1.5}},
      {24, {20, 12, 1, 1.5, 8, 2}}, {25, {20, 12, 1, 1.5, 8, 2}}, {26, {10, 8, 1, 2}},
  };
  for (const auto& [type, given] : shapes) {
    std::vector<double> dims = given;
    std::int32_t status = 0;
    check_standard_dimensions(dims, type, status);
    ASSERT_EQ(status, 0) << "type " << type;
    const SectionBlocks blocks = section_blocks(type, dims);
    for (const int cut_axis : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "type " << type << ", cut axis " << cut_axis);
      int passes = 0, scanned_passes = 0;
      const double c = plastic_neutral_axis(type, dims, cut_axis, &passes);
      EXPECT_EQ(c, scanned_axis(blocks, cut_axis, scanned_passes));
      EXPECT_EQ(passes, scanned_passes);
    }
  }
}

}  // namespace
}  // namespace bsp
