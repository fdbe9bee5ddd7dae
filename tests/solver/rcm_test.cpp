#include "solver/rcm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace bsp {
namespace {

using Conn = std::vector<std::int32_t>;

// Quadrilaterals of a structured grid of nx by ny nodes, node (i, j) numbered
// label[j*nx + i], corners counter-clockwise.
Conn quad_grid(int nx, int ny, const std::vector<std::int32_t>& label) {
  Conn c;
  for (int j = 0; j + 1 < ny; ++j)
    for (int i = 0; i + 1 < nx; ++i)
      for (int v : {j * nx + i, j * nx + i + 1, (j + 1) * nx + i + 1, (j + 1) * nx + i}) c.push_back(label[v]);
  return c;
}

std::vector<std::int32_t> identity_labels(int n) {
  std::vector<std::int32_t> l(n);
  std::iota(l.begin(), l.end(), 1);
  return l;
}

// The old -> new map (index = old number) read off a renumbered connectivity;
// fails the test when one old node received two numbers or two nodes share one.
std::vector<std::int32_t> new_numbers(const Conn& before, const Conn& after, int n) {
  std::vector<std::int32_t> map(n + 1, 0);
  std::vector<int> used(n + 1, 0);
  for (std::size_t k = 0; k < before.size(); ++k) {
    if (map[before[k]] == 0) {
      map[before[k]] = after[k];
      EXPECT_EQ(used[after[k]]++, 0) << "new number " << after[k] << " given twice";
    }
    EXPECT_EQ(map[before[k]], after[k]) << "old node " << before[k] << " renumbered inconsistently";
  }
  return map;
}

TEST(RcmRenumber, SingleQuadrilateralStartsFromNewestRootCandidate) {
  // By hand: all degrees 3; from node 1 the last level {2,3,4} offers node 2,
  // whose structure is no deeper, so the search ends on 2. Cuthill-McKee from
  // 2 appends 1,3,4 and the equal-degree rule reverses them: 2,4,3,1; reversed
  // 1,3,4,2, i.e. 1->1, 2->4, 3->2, 4->3.
  Conn c = {1, 2, 3, 4};
  ASSERT_TRUE(RCM_RENUMBER(4, 4, 1, c.data()));
  EXPECT_EQ(c, (Conn{1, 4, 2, 3}));
  EXPECT_EQ(BANDWIDTH(4, 1, c.data()), 3);
}

TEST(RcmRenumber, LadderOfThreeQuadrilateralsMatchesHandOrdering) {
  // By hand: degrees 3 at the four ends, 5 inside. From node 1 there are four
  // levels ending in {4,8}; node 4 gives four levels again and the search ends
  // on it. Cuthill-McKee: 4; then 3,7,8 sorted by degree with equal degrees
  // reversed -> 8,7,3; 7 adds 2,6 -> 6,2; 6 adds 1,5 -> 5,1. Order
  // 4,8,7,3,6,2,5,1 reversed gives 1->1, 5->2, 2->3, 6->4, 3->5, 7->6, 8->7, 4->8.
  const Conn before = {1, 2, 6, 5, 2, 3, 7, 6, 3, 4, 8, 7};
  Conn c = before;
  ASSERT_TRUE(RCM_RENUMBER(8, 4, 3, c.data()));
  const auto map = new_numbers(before, c, 8);
  const std::vector<std::int32_t> expected = {0, 1, 3, 5, 8, 2, 4, 6, 7};
  EXPECT_EQ(map, expected);
  EXPECT_EQ(BANDWIDTH(4, 3, c.data()), 3);
}

TEST(RcmRenumber, DisconnectedGroupsAreNumberedOneAfterTheOther) {
  // Two ladders whose nodes interleave: group A uses odd numbers, B even ones.
  // Each group must take a contiguous block, A first (it holds node 1), and be
  // numbered exactly as it would be alone, i.e. from its own root.
  const Conn ladder = {1, 2, 6, 5, 2, 3, 7, 6, 3, 4, 8, 7};
  Conn alone = ladder;
  ASSERT_TRUE(RCM_RENUMBER(8, 4, 3, alone.data()));
  Conn both;
  for (auto v : ladder) both.push_back(2 * v - 1);
  for (auto v : ladder) both.push_back(2 * v);
  const Conn before = both;
  ASSERT_TRUE(RCM_RENUMBER(16, 4, 6, both.data()));
  new_numbers(before, both, 16);
  for (std::size_t k = 0; k < ladder.size(); ++k) {
    EXPECT_EQ(both[k], alone[k]);
    EXPECT_EQ(both[k + ladder.size()], alone[k] + 8);
  }
}

TEST(RcmRenumber, OrderingDependsOnlyOnTheNodeGraph) {
  // Shuffling the element order and rotating each element's local node list
  // leaves the node graph unchanged, so the new numbers must not move. A fan
  // of k 6-node triangles gives its centre 3*k neighbours, far past 12, so a
  // per-node neighbour cap would make the result depend on element order.
  const int k = 10;  // triangles around centre node 1; rim corners 2..k+1
  const int first_mid = 2 + k;  // spokes first_mid.., rim mid-sides first_mid+k..
  Conn fan;
  for (int t = 0; t < k; ++t) {
    const int a = 2 + t, b = 2 + (t + 1) % k;
    // corners 1,a,b; mid-sides on 1-a, a-b, b-1
    fan.insert(fan.end(), {1, a, b, first_mid + t, first_mid + k + t, first_mid + (t + 1) % k});
  }
  const int n = first_mid + 2 * k - 1;
  Conn reference = fan;
  ASSERT_TRUE(RCM_RENUMBER(n, 6, k, reference.data()));
  const auto reference_map = new_numbers(fan, reference, n);

  std::mt19937 rng(7);
  for (int trial = 0; trial < 5; ++trial) {
    std::vector<int> order(k);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), rng);
    Conn shuffled;
    for (int e : order) {
      // Rotate corners and mid-side nodes together, keeping the element valid.
      const int r = static_cast<int>(rng() % 3);
      for (int p = 0; p < 3; ++p) shuffled.push_back(fan[6 * e + (p + r) % 3]);
      for (int p = 0; p < 3; ++p) shuffled.push_back(fan[6 * e + 3 + (p + r) % 3]);
    }
    Conn renumbered = shuffled;
    ASSERT_TRUE(RCM_RENUMBER(n, 6, k, renumbered.data()));
    EXPECT_EQ(new_numbers(shuffled, renumbered, n), reference_map) << "trial " << trial;
  }
}

TEST(RcmRenumber, GridBandwidthStaysWithinTwiceTheSideFromAnyStartingNumbering) {
  std::mt19937 rng(11);
  for (int m : {2, 3, 7, 20, 45}) {
    auto labels = identity_labels(m * m);
    std::shuffle(labels.begin(), labels.end(), rng);
    const Conn before = quad_grid(m, m, labels);
    Conn c = before;
    const std::int64_t n_el = (m - 1) * (m - 1);
    ASSERT_TRUE(RCM_RENUMBER(m * m, 4, n_el, c.data()));
    new_numbers(before, c, m * m);
    EXPECT_LE(BANDWIDTH(4, n_el, c.data()), 2 * m) << "m = " << m;
  }
}

TEST(RcmRenumber, RectangularGridIsNumberedAcrossItsShortSide) {
  // 4 x 30 nodes numbered along the long side have kd = 31; a level structure
  // from a far end sweeps along the long side, leaving a band of about the
  // short side (diagonal fronts of at most 4 nodes, so kd <= 2*4).
  const Conn before = quad_grid(30, 4, identity_labels(120));
  Conn c = before;
  ASSERT_TRUE(RCM_RENUMBER(120, 4, 29 * 3, c.data()));
  EXPECT_EQ(BANDWIDTH(4, 29 * 3, before.data()), 31);
  EXPECT_LE(BANDWIDTH(4, 29 * 3, c.data()), 8);
}

TEST(RcmRenumber, NodesOutsideEveryElementStillGetNumbers) {
  // n counts two nodes no element uses; the four used ones still get
  // distinct numbers in 1..6.
  Conn c = {1, 2, 3, 4};
  ASSERT_TRUE(RCM_RENUMBER(6, 4, 1, c.data()));
  for (auto v : c) {
    EXPECT_GE(v, 1);
    EXPECT_LE(v, 6);
  }
  Conn sorted = c;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
}

TEST(RcmRenumber, EmptyDomainTouchesNothing) {
  Conn c = {3, 1, 2, 4};
  EXPECT_FALSE(RCM_RENUMBER(0, 4, 1, c.data()));
  EXPECT_FALSE(RCM_RENUMBER(-5, 4, 1, c.data()));
  EXPECT_EQ(c, (Conn{3, 1, 2, 4}));
}

TEST(RcmRenumber, UnallocatableWorkReportsAndKeepsOldNumbering) {
  // More nodes than new numbers can express in the int32 connectivity: the
  // work arrays are never attempted, exactly as after a failed allocation.
  Conn c = {3, 1, 2, 4};
  testing::internal::CaptureStdout();
  const bool renumbered = RCM_RENUMBER(std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1, 4, 1, c.data());
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_FALSE(renumbered);
  EXPECT_EQ(printed, "ERROR DETECTED!\n");
  EXPECT_EQ(c, (Conn{3, 1, 2, 4}));
}

TEST(Bandwidth, IsTheLargestNumberGapInsideOneElement) {
  const Conn c = {1, 2, 6, 5, 9, 3, 4, 8};  // gaps 5 and 6
  EXPECT_EQ(BANDWIDTH(4, 2, c.data()), 6);
  EXPECT_EQ(BANDWIDTH(4, 1, c.data()), 5);
  EXPECT_EQ(BANDWIDTH(4, 0, c.data()), 0);
}

}  // namespace
}  // namespace bsp
