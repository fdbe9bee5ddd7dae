#include "standard/section_catalogue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace bsp {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

struct Case {
  const char* what;
  int type;
  std::vector<double> given;
  std::vector<double> corrected;  // exact doubles: the rule's arithmetic is fixed
  int status;
};

// Values worked out by hand from the rules; f = 0.9999899864196777.
const Case cases[] = {
    {"valid rectangle", 1, {2, 4}, {2, 4}, 0},
    {"half rule: walls wider than half the trough", 2, {100, 50, 10, 30}, {100, 50, 10, 24.999749660491943}, 2},
    {"zero replaced, no relational rule after it", 2, {10, 20, 0, 15}, {10, 20, 9.999999747378752e-05, 15}, 1},
    {"first dimension zero: replacement floor", 1, {0, 4}, {1e-05, 4}, 1},
    {"replacement from the smallest positive", 1, {4, 0}, {4, 3.9999998989515007e-05}, 1},
    {"too large kept, relational rules still run", 2, {2e7, 50, 10, 30}, {2e7, 50, 10, 24.999749660491943}, 2},
    {"too large alone", 1, {2e7, 4}, {2e7, 4}, 99},
    {"simple rule: tube bore", 18, {1, 1}, {1, 0.9999899864196777}, 2},
    // One factor 10 f / 12 for both keeps the sum below 10 (sequential: 4.99995 + 5.45452).
    {"paired rule scales both alike", 3, {10, 8, 8, 1, 6, 6}, {10, 8, 8, 1, 4.999949932098389, 4.999949932098389}, 2},
    {"paired rule of the box, both pairs", 14, {10, 8, 5, 5, 6, 6},
     {10, 8, 3.999959945678711, 3.999959945678711, 4.999949932098389, 4.999949932098389}, 2},
    {"special rule of the plate with box", 16, {20, 10, 8, 3, 5}, {20, 10, 8, 2.727245417508212, 4.5454090291803535}, 2},
    {"NaN replaced like a missing value", 20, {10, nan, 1, 1}, {10, 1e-05, 1, 1}, 1},
    {"infinity replaced, not kept", 20, {10, 8, inf, 1}, {10, 8, 1e-05, 1}, 1},
    {"negative replaced", 19, {-3}, {1e-05}, 1},
    {"replacement outranks too large", 1, {2e7, 0}, {2e7, 199.99999494757503}, 1},
    {"rules run in order: web wider than both flanges", 24, {20, 12, 13, 1.5, 8, 2}, {20, 12, 7.9999198913574219, 1.5, 8, 2}, 2},
    {"channel web wider than its first flange only", 25, {20, 12, 13, 1.5, 16, 2}, {20, 12, 11.999879837036133, 1.5, 16, 2}, 2},
    {"channel web wider than its second flange only", 25, {20, 12, 10, 1.5, 8, 2}, {20, 12, 7.9999198913574219, 1.5, 8, 2}, 2},
};

TEST(SectionCatalogue, CorrectsDimensionsAsTheRulesSay) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<double> d = c.given;
    d.push_back(-7.0);  // guard: one past the type's count is never touched
    std::int32_t status = -42;
    check_standard_dimensions(d, c.type, status);
    EXPECT_EQ(status, c.status);
    for (std::size_t i = 0; i < c.corrected.size(); ++i) EXPECT_DOUBLE_EQ(d[i], c.corrected[i]) << "D" << i + 1;
    EXPECT_EQ(d.back(), -7.0);
  }
}

// Corrected dimensions pass the same rules: the shrunk values sit strictly inside their limits.
TEST(SectionCatalogue, CorrectedDimensionsPassAgain) {
  for (const Case& c : cases) {
    if (c.status != 2) continue;
    SCOPED_TRACE(c.what);
    std::vector<double> d = c.given;
    std::int32_t status = 0;
    for (int pass = 0; pass < 2; ++pass) check_standard_dimensions(d, c.type, status);
    EXPECT_TRUE(status == 0 || status == 99);
  }
}

// An unknown type has no dimensions (the exports refuse it before any check).
TEST(SectionCatalogue, DimensionCountsPerType) {
  const int counts[29] = {0, 2, 4, 6, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 6, 4, 5, 3, 2, 1, 4, 5, 4, 4, 6, 6, 4, 4, 0};
  for (int t = 0; t <= 28; ++t) EXPECT_EQ(standard_dimension_count(t), counts[t]) << t;
  EXPECT_EQ(standard_dimension_count(-1), 0);
}

}  // namespace
}  // namespace bsp
