#include "standard/stress_point.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace bsp {
namespace {

using StressPoint::Points;

struct Case {
  const char* what;
  int type;
  std::vector<double> dims;
  double cy, cz;
  Points type1, type2;
};

// Worked by hand; exact in binary (small integers and halves), so compared exactly.
const Case cases[] = {
    {"rectangle", 1, {2, 4}, 0, 0, {2, 1, -2, 1, -2, -1, 2, -1}, {2, -1, 2, 1, -2, 1, -2, -1}},
    {"angle, offsets from the dimension frame", 20, {10, 8, 1, 1}, 1, 2,
     {7, -1, -1, 8, -1, -2, 7, -2}, {7, -2, 7, -1, -1, 8, -1, -2}},
    {"T along y: axis point in type1, stem corners in type2", 4, {12, 20, 2, 1}, 14, 0,
     {6, 0, 6, 6, -14, 0, 6, -6}, {6, -6, 6, 6, -14, 0.5, -14, -0.5}},
    {"tube ignores the offsets", 18, {3, 1}, 5, -7, {3, 0, 0, 3, -3, 0, 0, -3}, {3, 0, 0, 3, -3, 0, 0, -3}},
    {"circle ignores the offsets", 19, {3}, 5, -7, {3, 0, 0, 3, -3, 0, 0, -3}, {3, 0, 0, 3, -3, 0, 0, -3}},
    {"hexagon: side mid-points, type2 alternating", 17, {2, 10, 6}, 1, 1,
     {3, 0, -3, 0, 0, 5, 0, -5}, {3, 0, 0, 5, -3, 0, 0, -5}},
    {"lipped channel keeps its factor 1.5", 15, {10, 1, 12, 2}, 0.5, 0,
     {0.5, 6, -9, 8, -9, -8, 0.5, -6}, {0.5, 6, -9, 8, -9, -8, 0.5, -6}},
    {"T flange on top: type2 takes the stem corners", 8, {12, 15, 2, 1}, 0, 10,
     {0, 7, -6, 7, 0, -10, 6, 7}, {0.5, -10, 6, 7, -6, 7, -0.5, -10}},
};

std::pair<Points, Points> both_orders(int type, const std::vector<double>& dims, double cy, double cz) {
  StressPoint::stress_coord_type1 t1;
  StressPoint::stress_coord_type2 t2;
  t1.enabled = t2.enabled = true;
  Points p1{}, p2{};
  StressPoint::evaluate_stress_points(t1, p1, type, dims, cy, cz);
  StressPoint::evaluate_stress_points(t2, p2, type, dims, cy, cz);
  return {p1, p2};
}

TEST(StressPoint, TypeOneAndTypeTwoPointsOfTheCatalogue) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(both_orders(c.type, c.dims, c.cy, c.cz), std::pair(c.type1, c.type2));
  }
}

// Every other type: type2 is type1 rotated by one (P4, P1, P2, P3), or equal to it.
TEST(StressPoint, TypeTwoIsTypeOneRotatedOrEqual) {
  const std::vector<double> d{7, 3, 5, 2, 1.5, 1.25};
  const std::vector<int> same = {6, 15, 18, 19, 22, 24, 25, 26, 27};
  for (int type = 1; type <= 27; ++type) {
    if (type == 4 || type == 8 || type == 17) continue;
    const auto [p1, p2] = both_orders(type, d, 0.75, -0.5);
    const bool equal = std::find(same.begin(), same.end(), type) != same.end();
    const Points rotated = {p1[6], p1[7], p1[0], p1[1], p1[2], p1[3], p1[4], p1[5]};
    EXPECT_EQ(p2, equal ? p1 : rotated) << type;
  }
}

TEST(StressPoint, NothingWhenDisabledOrTypeUnknown) {
  StressPoint::stress_coord_type1 t1;
  const std::vector<double> d{2, 4, 1, 1, 1, 1};
  for (int type : {1, 0, 28, -3}) {  // type 1 with the flag clear
    Points p;
    p.fill(9.0);
    StressPoint::evaluate_stress_points(t1, p, type, d, 0, 0);
    EXPECT_EQ(p, Points{}) << type;
    t1.enabled = true;
  }
}

}  // namespace
}  // namespace bsp
