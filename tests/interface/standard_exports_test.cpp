// BSPMAIN, BSPMAIN_EXPAND and BSPPlasticModulus through the C boundary.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <vector>

#include "bsp/bsp.h"
#include "support/export_calls.h"
#include "support/standard_outlines.h"

namespace bsp {
namespace {

using test::Std;
using Call = test::StandardRun;

Call bspmain(int type, const std::vector<double>& dims, double nu = 0.3, int a6 = 0) {
  return test::standard_call(Std::main, type, dims, {.nu = nu, .a6 = a6});
}

// An unusual valid dimension set per meshed type (thin, flat, near the
// limits of its rules, far from unit scale), beside the typical ones.
const std::map<int, std::vector<double>> unusual = {
    {1, {0.01, 300}}, {2, {1, 200, 0.05, 99.9}}, {3, {200, 5, 300, 0.2, 199, 0.5}}, {4, {0.5, 100, 99, 0.4}},
    {5, {1000, 3, 1.4, 499}}, {6, {1, 50, 100, 0.1}}, {7, {0.1, 50, 3, 2.9}}, {8, {100, 0.2, 30, 99}},
    {9, {0.3, 7, 99, 100}}, {10, {100, 0.2, 0.5, 1}}, {11, {0.2, 100, 0.5, 1}}, {12, {4.9, 0.1, 10, 10}},
    {13, {0.3, 100, 0.1, 0.2}}, {14, {1e4, 2e3, 1, 500, 3000, 1}}, {15, {100, 1, 3, 50}}, {16, {100, 3, 99, 1, 0.5}},
    {17, {49, 100, 1}}, {20, {1000, 2, 1.9, 999}}, {21, {0.1, 1000, 3, 2.9, 0.01}}, {22, {0.01, 10, 1000, 999}},
    {23, {0.5, 1000, 0.4, 999}}, {24, {10, 100, 0.1, 0.1, 3, 9.8}}, {25, {10, 100, 0.1, 0.1, 3, 9.8}},
    {26, {1000, 3, 2.9, 999}}, {27, {100, 0.5, 3, 1.4}}};

std::vector<std::pair<int, std::vector<double>>> shapes() {
  std::vector<std::pair<int, std::vector<double>>> all(test::typical_dimensions.begin(), test::typical_dimensions.end());
  all.insert(all.end(), unusual.begin(), unusual.end());
  return all;
}

double distance_to_outline(const test::Outline& o, test::Vertex p) {
  double best = HUGE_VAL;
  for (const test::Ring& r : o)
    for (std::size_t i = 0; i < r.v.size(); ++i) {
      const test::Vertex a = r.v[i], b = r.v[(i + 1) % r.v.size()];
      const double dx = b.x - a.x, dy = b.y - a.y;
      const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
      best = std::min(best, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
    }
  return best;
}

double extent(const test::Outline& o) {
  double e = 0;
  for (const test::Ring& r : o)
    for (test::Vertex v : r.v) e = std::max({e, std::abs(v.x), std::abs(v.y)});
  return e;
}

// Straight-sided blocks are integrated exactly, so area, centroid and second moments agree with
// the outline to rounding: 1e-10 (of the area, the extent, I1 + I2) covers sums over 5000 elements
// and the test's own cancellation in I = integral x^2 - A xc^2.
TEST(StandardExports, GeometryAndPlasticModuliOfEveryMeshedTypeMatchItsOutline) {
  for (auto [type, dims] : shapes()) {
    SCOPED_TRACE(testing::Message() << "type " << type << " D1 " << dims[0]);
    const test::Outline o = test::standard_outline(type, dims);
    const test::OutlineMoments m = test::outline_moments(o);
    const Call c = bspmain(type, dims);
    EXPECT_EQ(c.dims.body(), dims);  // valid dimensions stay as given
    const double size = extent(o), i_sum = m.i_first() + m.i_second();
    EXPECT_NEAR(c[BSP_SLOT_AREA], m.area, 1e-10 * m.area);
    EXPECT_NEAR(c[BSP_SLOT_CENTROID_Y], m.xc(), 1e-10 * size);
    EXPECT_NEAR(c[BSP_SLOT_CENTROID_Z], m.yc(), 1e-10 * size);
    EXPECT_NEAR(c[BSP_SLOT_I1], m.i_first(), 1e-10 * i_sum);
    EXPECT_NEAR(c[BSP_SLOT_I2], m.i_second(), 1e-10 * i_sum);
    // The product moment is reported as exactly 0 below 1e-8 of I1 + I2.
    const double i12 = std::abs(m.i_product()) < 1e-8 * i_sum ? 0.0 : m.i_product();
    EXPECT_NEAR(c[BSP_SLOT_I12], i12, 1e-10 * i_sum);
    EXPECT_EQ(c[BSP_SLOT_WEIGHTED_AREA], c[BSP_SLOT_AREA]);
    // The stress points lie on the outline (to rounding of the centroid) and, but for the lipped
    // channel's and the hat's (on the lips and brims), reach the extreme fibres both ways.
    const Call about_centroid = test::standard_call(Std::expand, type, dims, {.offset_mode = 0});
    double far_y = 0, far_z = 0, point_y = 0, point_z = 0;
    std::vector<test::Vertex> points, corners;
    for (int k = 0; k < 4; ++k) {
      const double py = about_centroid[5 + 2 * k], pz = about_centroid[6 + 2 * k];
      EXPECT_LT(distance_to_outline(o, {py + m.xc(), pz + m.yc()}), 1e-10 * size) << "point " << k + 1;
      point_y = std::max(point_y, std::abs(py));
      point_z = std::max(point_z, std::abs(pz));
      points.push_back({py, pz});
    }
    for (const test::Ring& r : o)
      for (test::Vertex v : r.v) {
        far_y = std::max(far_y, std::abs(v.x - m.xc())), far_z = std::max(far_z, std::abs(v.y - m.yc()));
        corners.push_back({v.x - m.xc(), v.y - m.yc()});
      }
    if (type != 15 && type != 27) {  // 1e-12: rounding of the centroid
      EXPECT_NEAR(point_y, far_y, 1e-12 * size);
      EXPECT_NEAR(point_z, far_z, 1e-12 * size);
    }
    // ... and share the outline's mirror symmetries about the centroidal axes.
    for (const bool about_z : {true, false}) {
      const auto mirrors_onto = [&](const std::vector<test::Vertex>& from, const std::vector<test::Vertex>& to) {
        return std::all_of(from.begin(), from.end(), [&](test::Vertex v) {
          const test::Vertex w{about_z ? -v.x : v.x, about_z ? v.y : -v.y};
          return std::any_of(to.begin(), to.end(), [&](test::Vertex u) { return std::hypot(u.x - w.x, u.y - w.y) < 1e-9 * size; });
        });
      };
      if (mirrors_onto(corners, corners)) {
        EXPECT_TRUE(mirrors_onto(points, points)) << (about_z ? "mirrored in y" : "mirrored in z");
      }
    }
    EXPECT_GT(c[BSP_SLOT_TORSION_CONSTANT], 0.0);
    // Slots 30, 31 are BSPPlasticModulus's pair, against bisection and exact clipping of the
    // outline: 1e-6, the accuracy of the library's search (its tolerance: 1e-15 of the area).
    const Call z = test::standard_call(Std::plastic, type, dims);
    EXPECT_EQ(c[BSP_STD_SLOT_PLASTIC_MODULUS_Y], z.plastic[0]);
    EXPECT_EQ(c[BSP_STD_SLOT_PLASTIC_MODULUS_Z], z.plastic[1]);
    if (type == 15 || type == 16 || type == 17 || type == 27) continue;  // none: zeros
    ASSERT_EQ(z.code, BSP_OK);
    const double ref1 = test::outline_plastic_modulus(o, 1), ref2 = test::outline_plastic_modulus(o, 0);
    EXPECT_NEAR(z.plastic[0], ref1, 1e-6 * ref1);
    EXPECT_NEAR(z.plastic[1], ref2, 1e-6 * ref2);
  }
}

struct PlasticCase {
  int type;
  std::vector<double> dims;
  double first, second;
};

// Values worked out by hand (areas and centroids of rectangles).
const PlasticCase plastic_cases[] = {
    {1, {2, 4}, 4, 8}, {2, {10, 20, 2, 1.5}, 132.8, 422}, {3, {20, 12, 8, 1, 2, 1.5}, 100.125, 362.0625},
    {4, {12, 20, 2, 1}, 76.5, 185.25} /* axis in the flange */, {8, {4, 20, 1, 1}, 138, 9} /* in the stem */,
    {7, {20, 2, 10, 1}, 310, 55}, {8, {12, 15, 2, 1}, 134.8125, 75.75}, {20, {10, 8, 1, 1}, 44.25, 29.275},
    {24, {20, 12, 1, 1.5, 8, 2}, 377.0625, 90.125}, {26, {10, 8, 1, 2}, 46, 52},
    {19, {1}, 4.0 / 3.0, 4.0 / 3.0}, {18, {2, 1}, 28.0 / 3.0, 28.0 / 3.0}};

TEST(StandardExports, PlasticModuliWorkedOutByHand) {
  for (const PlasticCase& p : plastic_cases) {
    SCOPED_TRACE(p.type);
    const Call z = test::standard_call(Std::plastic, p.type, p.dims);
    ASSERT_EQ(z.code, BSP_OK);
    EXPECT_NEAR(z.plastic[0], p.first, 1e-9 * p.first);  // the search stops 1e-15 of the area from the axis
    EXPECT_NEAR(z.plastic[1], p.second, 1e-9 * p.second);
  }
}

// A slot, its value and the tolerance (0: exact).
struct Expected {
  int slot;
  double value, tolerance;
};
void expect_slots(const Call& c, std::initializer_list<Expected> expected) {
  for (const Expected& e : expected) EXPECT_NEAR(c[e.slot], e.value, e.tolerance) << "slot " << e.slot;
}

// Rectangle 2 high, 4 wide, nu = 0, meshed: exact where the mesh integrates exactly.
TEST(StandardExports, RectangleOnTheMesh) {
  const Call c = bspmain(1, {2, 4}, 0.0);
  const double exact = 1e-12;  // rounding of sums over 4900 elements
  expect_slots(c, {{0, 8, exact * 8}, {1, 10.666666666666666, exact * 10.7}, {2, 2.6666666666666665, exact * 10.7},
                   {3, 0, 0}, {13, 0, 0}, {16, 0, 0}, {19, 0, 0}, {20, 0, 0}, {22, 0, 0}, {35, 0, 0}, {36, 0, 0},
                   {17, 0, 1e-14}, {18, 0, 1e-14},  // rounding of a symmetric sum
                   {25, 0.5773502691896257, exact}, {26, 1.1547005383792515, exact}, {29, 1.2909944487358056, exact},
                   {30, 4, 0}, {31, 8, 0}, {34, 0.1875, 0}, {37, 0.1875, 0},  // nu = 0: the classical 1.5 / (D1 D2)
                   {4, 7.3178, 0.005 * 7.3178},  // 70 x 70 bilinear mesh against the series value
                   {14, 5.0 / 6.0, 1e-3}, {15, 5.0 / 6.0, 1e-3},  // likewise, against 5/6
                   {23, c[2] / 1, 1e-14 * c[2]}, {24, c[1] / 2, 1e-14 * c[1]}});  // the moduli: I / distance
  EXPECT_EQ(c[BSP_SLOT_WEIGHTED_AREA], c[0]);
  // Stress points about the shear centre (the centroid here).
  const std::array<double, 8> points{2, 1, -2, 1, -2, -1, 2, -1};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_NEAR(c[BSP_STD_SLOT_POINTS + i], points[i], 1e-14);
}

// Tolerances: rounding of the closed forms. Rectangle: J = a b^3 (1/3 - 0.21 (b/a)(1 - b^4 / 12 a^4)).
TEST(StandardExports, ClosedForms) {
  expect_slots(bspmain(1, {2, 4}, 0.0, 2), {{4, 7.324166666666667, 0}, {14, 0.8333333333333334, 0},
                                            {15, 0.8333333333333334, 0}, {0, 8, 0}, {30, 4, 0}});
  const double pi = std::numbers::pi;
  for (int a6 : {0, 2}) {  // circular types always take the closed forms
    expect_slots(bspmain(19, {1}, 0.3, a6),
                 {{0, pi, 0}, {1, 0.7853981633974483, 0}, {2, 0.7853981633974483, 0}, {4, 1.5707963267948966, 0},
                  {14, 0.9, 0}, {15, 0.9, 0}, {34, 0.42441318157838753, 0}, {37, 0.42441318157838753, 0}, {35, 0, 0},
                  {36, 0, 0}, {33, 1.0, 0} /* G theta R with G = 1, theta = 1 */, {21, 0, 0}, {30, 4.0 / 3.0, 1e-15}});
    const Call tube = bspmain(18, {2, 1}, 0.0, a6);  // nu = 0 keeps the closed form
    expect_slots(tube, {{0, 9.42477796076938, 1e-15 * 9.5}, {1, 11.780972450961723, 1e-15 * 12},
                        {4, 23.561944901923447, 1e-15 * 24}, {14, 0.5, 0}, {34, 0.19805948473658086, 1e-16},
                        {37, 0.19805948473658086, 1e-16}, {33, 2.0, 0}});
    const std::array<double, 8> points{2, 0, 0, 2, -2, 0, 0, -2};
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(tube[BSP_STD_SLOT_POINTS + i], points[i]);
  }
}

// Slots 5-12 are about the shear centre, but the elastic moduli use the points' distances from the
// centroid, whatever origin and order BSPMAIN_EXPAND reports. Angle 10 x 8 x 1: centroid (73/34, 107/34).
TEST(StandardExports, ElasticModuliFromTheCentroidWhereverThePoints) {
  const Call c = bspmain(20, {10, 8, 1, 1});
  const double yc = 73.0 / 34.0, zc = 107.0 / 34.0;
  EXPECT_NEAR(c[17], yc, 1e-12);
  EXPECT_NEAR(c[18], zc, 1e-12);
  EXPECT_NEAR(c[23], c[2] / (10 - zc), 1e-12 * c[23]);
  EXPECT_NEAR(c[24], c[1] / (8 - yc), 1e-12 * c[24]);
  const double ys = yc - c[19], zs = zc - c[20];
  EXPECT_NEAR(c[BSP_STD_SLOT_POINTS + 0], 8 - ys, 1e-12);
  EXPECT_NEAR(c[BSP_STD_SLOT_POINTS + 3], 10 - zs, 1e-12);
  // An angle's shear centre lies near its legs' crossing (0.5, 0.5); 0.1: thick legs.
  EXPECT_NEAR(ys, 0.5, 0.1);
  EXPECT_NEAR(zs, 0.5, 0.1);
  const Call r = test::standard_call(Std::expand, 20, {10, 8, 1, 1}, {.offset_mode = 0, .order = 0});
  const std::array<double, 8> expected{8 - yc, -zc, 8 - yc, 1 - zc, -yc, 10 - zc, -yc, -zc};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_NEAR(r[5 + i], expected[i], 1e-12);
  EXPECT_NEAR(r[23], c[23], 1e-12 * std::abs(c[23]));
  EXPECT_NEAR(r[24], c[24], 1e-12 * std::abs(c[24]));
}

// "A NULL result writes nothing": the call returns (NULL dimensions: the matrix).
TEST(StandardExports, NullResultIsNotWritten) {
  const int32_t type = 1, a6 = 0;
  const double nu = 0.3;
  std::vector<double> d{2, 4};
  BSPMAIN(nullptr, d.data(), &type, nullptr, &nu, &a6, nullptr);
  EXPECT_EQ(d, (std::vector<double>{2, 4}));
}

// With a6 = 2 a type without closed forms takes the mesh, the same as a6 = 0.
TEST(StandardExports, ClosedFormModeFallsBackToTheMesh) {
  const Call mesh = bspmain(7, {20, 2, 10, 1}, 0.3, 0), mode2 = bspmain(7, {20, 2, 10, 1}, 0.3, 2);
  EXPECT_EQ(mesh.result.body(), mode2.result.body());
}

// Thin walls (t / length 1/50 to 1/100) against thin-walled theory: J, shear ratios and warping
// constant 3 % (junctions and plate ends, of order t/b; 5 % for the box's difference of wall
// terms), shear centre 1 % of the depth.
TEST(StandardExports, ThinWalledTypesAgreeWithThinWallTheory) {
  const std::map<int, std::vector<double>> thin = {{2, {10, 20, 0.2, 0.2}}, {3, {40, 12, 8, 0.4, 0.4, 0.4}},
      {4, {12, 20, 0.2, 0.2}}, {5, {10, 8, 0.1, 0.1}}, {20, {10, 8, 0.1, 0.1}}};
  for (const auto& [type, dims] : thin) {
    SCOPED_TRACE(type);
    const Call mesh = bspmain(type, dims, 0.3, 0), closed = bspmain(type, dims, 0.3, 2);
    const double depth = std::max(dims[0], dims[1]);
    EXPECT_NEAR(closed[0], mesh[0], 1e-12 * mesh[0]);  // both exact but for rounding
    EXPECT_NEAR(mesh[4], closed[4], 0.03 * closed[4]);
    EXPECT_NEAR(mesh[19], closed[19], 0.01 * depth);
    EXPECT_NEAR(mesh[20], closed[20], 0.01 * depth);
    EXPECT_NEAR(mesh[14], closed[14], 0.03 * closed[14]);
    EXPECT_NEAR(mesh[15], closed[15], 0.03 * closed[15]);
    if (closed[21] > 0) { EXPECT_NEAR(mesh[21], closed[21], (type == 5 ? 0.05 : 0.03) * closed[21]); }
  }
}

}  // namespace
}  // namespace bsp
