#include "solver/classical_shear_stress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "support/standard_outlines.h"

namespace bsp {
namespace {

// Width along u = c, holes subtracted; an edge counts on min(u) <= c < max(u), the blocks'
// half-open rule, so a cut on a shared edge counts the material beyond it.
double outline_width(const test::Outline& o, int axis, double c) {
  double width = 0;
  for (const test::Ring& r : o) {
    std::vector<double> v;
    for (std::size_t i = 0; i < r.v.size(); ++i) {
      const test::Vertex a = r.v[i], b = r.v[(i + 1) % r.v.size()];
      const double ua = axis == 0 ? a.x : a.y, ub = axis == 0 ? b.x : b.y;
      const double va = axis == 0 ? a.y : a.x, vb = axis == 0 ? b.y : b.x;
      if (std::min(ua, ub) <= c && c < std::max(ua, ub)) v.push_back(va + (c - ua) / (ub - ua) * (vb - va));
    }
    std::sort(v.begin(), v.end());
    double w = 0;
    for (std::size_t i = 0; i + 1 < v.size(); i += 2) w += v[i + 1] - v[i];
    width += r.hole ? -w : w;
  }
  return width;
}

// Largest Q/b by a dense scan plus every vertex coordinate (where the width jumps).
double scan_q_over_b(const test::Outline& o, int axis, double centroid) {
  std::vector<double> cuts;
  double lo = 1e300, hi = -1e300;
  for (const test::Ring& r : o)
    for (test::Vertex v : r.v) {
      const double u = axis == 0 ? v.x : v.y;
      cuts.push_back(u);
      lo = std::min(lo, u);
      hi = std::max(hi, u);
    }
  constexpr int samples = 20000;
  for (int i = 0; i <= samples; ++i) cuts.push_back(lo + (hi - lo) * i / samples);
  double best = 0;
  for (double c : cuts) {
    const double b = outline_width(o, axis, c);
    if (b <= 0) continue;
    const test::OutlineMoments m = test::side_moments(o, axis, c, 1.0);
    best = std::max(best, ((axis == 0 ? m.sx : m.sy) - centroid * m.area) / b);
  }
  return best;
}

struct Case {
  int type;
  std::vector<double> dims;
};

// Open, closed, unsymmetric and tapered shapes.
const Case cases[] = {
    {2, {10, 20, 2, 1.5}}, {3, {20, 12, 8, 1, 2, 1.5}}, {5, {10, 8, 1, 1.5}}, {14, {10, 8, 1, 1.5, 2, 1}},
    {20, {10, 8, 1, 1}},   {22, {2, 10, 8, 4}},         {24, {20, 12, 1, 1.5, 8, 2}}, {27, {10, 4, 12, 1}},
};

// 1e-6: the scan step (1/20000) finds a smooth maximum to ~1e-9, and the search one at a width
// jump to first order in its last step.
TEST(ClassicalShearStress, LargestRatioMatchesADenseScanOfTheOutline) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    const test::Outline o = test::standard_outline(c.type, c.dims);
    const test::OutlineMoments m = test::outline_moments(o);
    for (int axis : {0, 1}) {
      const double centroid = axis == 0 ? m.xc() : m.yc();
      const double ours = largest_q_over_b(c.type, c.dims, axis, centroid);
      const double ref = scan_q_over_b(o, axis, centroid);
      EXPECT_NEAR(ours, ref, 1e-6 * ref) << "axis " << axis;
    }
  }
}

TEST(ClassicalShearStress, WritesOnlyWithoutPoissonCoupling) {
  const std::vector<double> d{2, 4};
  std::array<double, 4> out{9, 9, 9, 9};
  classical_shear_maxima(1, d, 0, 0, 10.0 / 3 * 3.2, 8.0 / 3, 0.3, out);
  EXPECT_EQ(out, (std::array<double, 4>{9, 9, 9, 9}));
  classical_shear_maxima(1, d, 0, 0, 10.0 / 3 * 3.2, 8.0 / 3, 1e-10, out);
  EXPECT_EQ(out, (std::array<double, 4>{0.1875, 0, 0, 0.1875}));  // 1.5 / (D1 D2) both ways
}

}  // namespace
}  // namespace bsp
