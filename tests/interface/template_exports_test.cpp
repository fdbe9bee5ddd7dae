#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bsp/bsp.h"
#include "support/export_calls.h"
#include "support/standard_outlines.h"

namespace {

using bsp::test::standard_call;
using bsp::test::Std;
using StdRun = bsp::test::StandardRun;

double rel(double a, double b, double scale) { return std::abs(a - b) / scale; }

// The general path integrates the same straight-sided geometry exactly: area and second moments
// agree with BSPMAIN to rounding (1e-9, sums over up to 10^4 elements). J, Iw, the shear ratios and
// centre come from fields that 6-node triangles and 4-node quadrilaterals approximate differently.
TEST(TemplateExports, GeneralPathAgreesWithTheStandardSolver) {
  for (const auto& [type, dims] : bsp::test::typical_dimensions) {
    SCOPED_TRACE(testing::Message() << "type " << type);
    const StdRun a = standard_call(Std::general, type, dims), b = standard_call(Std::main, type, dims);
    ASSERT_EQ(a.code, 0);
    const double i_sum = b[1] + b[2];
    const double size = std::sqrt(b[0]);
    // Largest measured: J 2.4e-3 (type 24), Iw 2.5e-3 (type 14), shear ratios 2.0e-3 (type 7),
    // shear centre 2.1e-4 sqrt(A) (types 4, 13); tolerances about twice those.
    const struct {
      int slot;
      double scale, tolerance;
    } checks[] = {{0, b[0], 1e-9}, {1, i_sum, 1e-9}, {2, i_sum, 1e-9}, {3, i_sum, 1e-9}, {17, size, 1e-9},
                  {18, size, 1e-9}, {4, b[4], 5e-3}, {21, std::max(std::abs(b[21]), 1e-12 * i_sum * i_sum), 5e-3},
                  {14, b[14], 4e-3}, {15, b[15], 4e-3}, {19, size, 5e-4}, {20, size, 5e-4},
                  {30, std::max(b[30], 1.0), 1e-12}, {31, std::max(b[31], 1.0), 1e-12}};  // plastic pair: one routine
    for (const auto& c : checks) EXPECT_LT(rel(a[c.slot], b[c.slot], c.scale), c.tolerance) << "slot " << c.slot;
    // The stress points, about the shear centre: as far apart as the two shear centres.
    for (std::size_t slot = 5; slot <= 12; ++slot) EXPECT_LT(rel(a[slot], b[slot], size), 5e-4) << "slot " << slot;
  }
}

// Angle 10 x 8 x 1, centroid (36.5/17, 53.5/17): the civil points are about the centroid; offset
// mode 1 moves every point by slots 19, 20 and the moduli not at all. Tolerances: rounding.
TEST(TemplateExports, AnglePointsAboutTheCentroidAndTheShearCentre) {
  const StdRun c = standard_call(Std::civil, 20, {10, 8, 1, 1});
  const StdRun a = standard_call(Std::general, 20, {10, 8, 1, 1}, {.offset_mode = 0});
  const StdRun b = standard_call(Std::general, 20, {10, 8, 1, 1}, {.offset_mode = 1});
  ASSERT_TRUE(c.code == 0 && a.code == 0 && b.code == 0);
  const double cy = 36.5 / 17, cz = 53.5 / 17;
  EXPECT_NEAR(c[17], cy, 1e-12);
  EXPECT_NEAR(c[18], cz, 1e-12);
  const std::array<double, 8> points = {8 - cy, -cz + 0, 8 - cy, 1 - cz, -cy, 10 - cz, -cy, -cz};
  for (std::size_t k = 0; k < 8; ++k) EXPECT_NEAR(c[5 + k], points[k], 1e-12) << k;
  EXPECT_NEAR(c[24], c[1] / (8 - cy), 1e-12 * c[1]);
  ASSERT_GT(std::abs(b[19]) + std::abs(b[20]), 0.1);  // the angle's shear centre is at its corner
  for (std::size_t k = 0; k < 8; k += 2) {
    EXPECT_NEAR(b[5 + k], a[5 + k] + b[19], 1e-12) << k;
    EXPECT_NEAR(b[6 + k], a[6 + k] + b[20], 1e-12) << k;
  }
  EXPECT_NEAR(b[23], a[23], 1e-12 * std::abs(a[23]));
  EXPECT_NEAR(b[24], a[24], 1e-12 * std::abs(a[24]));
}

// Every export of the family writes corrected dimensions back (the trough's lip 30 becomes
// 24.999749660491943); the general path accepts them, and BSPMAIN's stress points are the corrected
// shape's (D2 / 2, D1).
TEST(StandardFamily, CorrectedDimensionsAreWrittenBack) {
  const std::vector<double> trough{100, 50, 10, 30};
  for (const Std e : {Std::general, Std::main, Std::plastic})
    EXPECT_EQ(standard_call(e, 2, trough).dims[3], 24.999749660491943);
  EXPECT_EQ(standard_call(Std::general, 2, standard_call(Std::general, 2, trough).dims.body()).code, 0);
  const StdRun corrected = standard_call(Std::main, 2, trough);
  EXPECT_EQ(corrected[5], 25.0);
  EXPECT_EQ(corrected[6], 100.0);
}

// Tube and circle take the standard solver directly.
TEST(TemplateExports, CircularTypesAsTheStandardSolver) {
  for (const auto& [type, dims] : {std::pair{18, std::vector<double>{2, 0.25}}, {19, {1}}}) {
    const StdRun g = standard_call(Std::general, type, dims), m = standard_call(Std::main, type, dims);
    ASSERT_EQ(g.code, 0);
    for (std::size_t k = 0; k < 38; ++k) EXPECT_NEAR(g[k], m[k], 1e-12 * (1 + std::abs(m[k]))) << k;
  }
}

}  // namespace
