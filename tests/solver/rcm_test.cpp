#include "solver/rcm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "solver/grid_system.h"

namespace bsp {
namespace {

using Conn = std::vector<std::int32_t>;

// Renumbers a copy and returns the old -> new map (index = old number);
// fails the test when an old node receives two numbers or two share one.
std::vector<std::int32_t> renumber(const Conn& before, int n, int npe, Conn* after = nullptr) {
  Conn c = before;
  EXPECT_TRUE(RCM_RENUMBER(n, npe, static_cast<std::int64_t>(before.size()) / npe, c.data()));
  std::vector<std::int32_t> map(n + 1, 0);
  std::vector<int> used(n + 1, 0);
  for (std::size_t k = 0; k < before.size(); ++k) {
    if (map[before[k]] == 0) {
      EXPECT_EQ(used[map[before[k]] = c[k]]++, 0) << "new number " << c[k] << " given twice";
    }
    EXPECT_EQ(map[before[k]], c[k]) << "old node " << before[k] << " renumbered inconsistently";
  }
  if (after) *after = c;
  return map;
}

const Conn ladder = {1, 2, 6, 5, 2, 3, 7, 6, 3, 4, 8, 7};  // three quadrilaterals in a row

// By hand. One quadrilateral: the search ends on 2, Cuthill-McKee 2,4,3,1 (equal degrees
// reversed), reversed 1,3,4,2. The ladder (degrees 3 at the ends, 5 inside): the search ends on
// 4; Cuthill-McKee 4; 8,7,3; 6,2; 5,1, reversed.
TEST(RcmRenumber, SmallMeshesMatchHandOrderings) {
  const struct {
    Conn conn;
    int n;
    std::vector<std::int32_t> map;
    std::int64_t bandwidth;
  } cases[] = {{{1, 2, 3, 4}, 4, {0, 1, 4, 2, 3}, 3}, {ladder, 8, {0, 1, 3, 5, 8, 2, 4, 6, 7}, 3}};
  for (const auto& c : cases) {
    Conn after;
    EXPECT_EQ(renumber(c.conn, c.n, 4, &after), c.map);
    EXPECT_EQ(BANDWIDTH(4, static_cast<std::int64_t>(after.size()) / 4, after.data()), c.bandwidth);
  }
  // Two nodes no element uses: the four used ones still get distinct numbers in 1..6.
  Conn c;
  renumber({1, 2, 3, 4}, 6, 4, &c);
  for (auto v : c) EXPECT_TRUE(v >= 1 && v <= 6) << v;
}

// Two ladders whose nodes interleave (odd and even numbers): each takes a
// contiguous block, the one holding node 1 first, numbered as it is alone.
TEST(RcmRenumber, DisconnectedGroupsAreNumberedOneAfterTheOther) {
  const auto alone = renumber(ladder, 8, 4);
  Conn both;
  for (auto v : ladder) both.push_back(2 * v - 1);
  for (auto v : ladder) both.push_back(2 * v);
  const auto map = renumber(both, 16, 4);
  for (int v = 1; v <= 8; ++v) {
    EXPECT_EQ(map[2 * v - 1], alone[v]);
    EXPECT_EQ(map[2 * v], alone[v] + 8);
  }
}

// Shuffled elements with rotated node lists keep the node graph, hence the numbers. The fan's
// centre has 3k neighbours, far past 12: a neighbour cap would depend on element order.
TEST(RcmRenumber, OrderingDependsOnlyOnTheNodeGraph) {
  const int k = 10, first_mid = 2 + k;  // centre 1, rim 2..k+1, spokes' then rim mid-sides from first_mid
  Conn fan;
  for (int t = 0; t < k; ++t)
    fan.insert(fan.end(), {1, 2 + t, 2 + (t + 1) % k, first_mid + t, first_mid + k + t, first_mid + (t + 1) % k});
  const int n = first_mid + 2 * k - 1;
  const auto reference = renumber(fan, n, 6);
  std::mt19937 rng(7);
  for (int trial = 0; trial < 5; ++trial) {
    std::vector<int> order(k);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), rng);
    Conn shuffled;
    for (int e : order) {
      const int r = static_cast<int>(rng() % 3);  // corners and mid-sides rotate together
      for (int p = 0; p < 3; ++p) shuffled.push_back(fan[6 * e + (p + r) % 3]);
      for (int p = 0; p < 3; ++p) shuffled.push_back(fan[6 * e + 3 + (p + r) % 3]);
    }
    EXPECT_EQ(renumber(shuffled, n, 6), reference) << "trial " << trial;
  }
}

// From any numbering an m x m grid ends with kd <= 2m; a 30 x 4 grid numbered along its long
// side (kd = 31) is swept in diagonal fronts of at most 4 nodes: kd <= 8.
TEST(RcmRenumber, GridBandwidthIsOfTheShortSide) {
  std::mt19937 rng(11);
  const struct {
    int nx, ny;
    bool shuffle;
    std::int64_t bound;
  } cases[] = {{2, 2, true, 4}, {3, 3, true, 6}, {7, 7, true, 14}, {20, 20, true, 40}, {45, 45, true, 90}, {30, 4, false, 8}};
  for (const auto& c : cases) {
    std::vector<std::int32_t> labels(static_cast<std::size_t>(c.nx * c.ny));
    std::iota(labels.begin(), labels.end(), 1);
    if (c.shuffle) std::shuffle(labels.begin(), labels.end(), rng);
    Conn after;
    renumber(test::quad_connectivity(c.nx, c.ny, labels), c.nx * c.ny, 4, &after);
    EXPECT_LE(BANDWIDTH(4, static_cast<std::int64_t>(after.size()) / 4, after.data()), c.bound) << c.nx << "x" << c.ny;
  }
}

// No nodes, or more than int32 numbers can express (as after a failed allocation): false, the
// message, the old numbering kept.
TEST(RcmRenumber, EmptyOrUnallocatableDomainKeepsTheOldNumbering) {
  Conn c = {3, 1, 2, 4};
  EXPECT_FALSE(RCM_RENUMBER(0, 4, 1, c.data()));
  EXPECT_FALSE(RCM_RENUMBER(-5, 4, 1, c.data()));
  testing::internal::CaptureStdout();
  EXPECT_FALSE(RCM_RENUMBER(std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1, 4, 1, c.data()));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR DETECTED!\n");
  EXPECT_EQ(c, (Conn{3, 1, 2, 4}));
}

TEST(Bandwidth, IsTheLargestNumberGapInsideOneElement) {
  const Conn c = {1, 2, 6, 5, 9, 3, 4, 8};  // gaps 5 and 6
  EXPECT_EQ(BANDWIDTH(4, 2, c.data()), 6);
  EXPECT_EQ(BANDWIDTH(4, 1, c.data()), 5);
  EXPECT_EQ(BANDWIDTH(4, 0, c.data()), 0);
  EXPECT_EQ(BANDWIDTH(4, 87, test::quad_connectivity(30, 4).data()), 31);
}

}  // namespace
}  // namespace bsp
