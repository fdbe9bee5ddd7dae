#include "solver/block_mesher.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "support/standard_outlines.h"

namespace bsp {
namespace {

const auto& typical = test::typical_dimensions;

struct Counts {
  int before, after, elements;
};
// Nodes before and after merging, quadrilaterals: fixed divisions make them independent of the
// dimensions. Type 16's second plate block at 10 x 50 conforms to its neighbours.
const std::map<int, Counts> expected_counts = {
    {1, {5112, 5041, 4900}},  {17, {5112, 5041, 4900}}, {2, {2486, 2431, 2200}},  {10, {2486, 2431, 2200}},
    {12, {2486, 2431, 2200}}, {4, {2486, 2381, 2200}},  {8, {2486, 2381, 2200}},  {13, {2486, 2381, 2200}},
    {3, {3850, 3691, 3400}},  {7, {3850, 3691, 3400}},  {11, {3850, 3691, 3400}}, {24, {3850, 3691, 3400}},
    {5, {3850, 3740, 3400}},  {15, {3850, 3751, 3400}}, {27, {3850, 3751, 3400}}, {6, {4848, 4641, 4400}},
    {9, {1925, 1881, 1700}},  {25, {1925, 1881, 1700}}, {14, {2728, 2640, 2400}}, {16, {6336, 6060, 5600}},
    {20, {1243, 1221, 1100}}, {23, {1243, 1221, 1100}}, {26, {1243, 1221, 1100}}, {21, {1804, 1771, 1600}},
    {22, {5304, 5151, 5000}},
};

// Conforming: an edge used twice runs once each way (twice the same way is a fold); a hanging
// node would add to the boundary length, which is the outline's; every node used; quadrilaterals
// of positive area cover the outline (1e-12: sums of thousands of exact lengths and areas).
TEST(BlockMesher, EveryTypeMeshesConformingWithItsCounts) {
  for (const auto& [type, c] : expected_counts) {
    SCOPED_TRACE(type);
    const std::vector<double>& dims = typical.at(type);
    const SectionBlocks blocks = section_blocks(type, dims);
    int before = 0;
    for (std::size_t b = 0; b < blocks.count(); ++b)
      before += (blocks.first_divisions[b] + 1) * (blocks.second_divisions[b] + 1);
    const T_SECDATA m = standard_section_mesh(type, dims);
    EXPECT_EQ(before, c.before);
    EXPECT_EQ(m.n_nodes, c.after);
    EXPECT_EQ(m.n_elements, c.elements);
    ASSERT_EQ(m.x.size(), static_cast<std::size_t>(m.n_nodes));
    ASSERT_EQ(m.connectivity.size(), 4u * static_cast<std::size_t>(m.n_elements));
    std::map<std::pair<int, int>, int> directed;
    std::vector<int> used(static_cast<std::size_t>(m.n_nodes) + 1, 0);
    double area = 0;
    const auto at = [&](int node) { return std::pair{m.x[static_cast<std::size_t>(node - 1)], m.y[static_cast<std::size_t>(node - 1)]}; };
    for (std::size_t e = 0; e < static_cast<std::size_t>(m.n_elements); ++e) {
      double a = 0;
      for (int i = 0; i < 4; ++i) {
        const int p = m.connectivity[4 * e + i], q = m.connectivity[4 * e + (i + 1) % 4];
        ASSERT_NE(p, q);
        a += (at(p).first * at(q).second - at(q).first * at(p).second) / 2;
        ++used[static_cast<std::size_t>(p)];
        ++directed[{p, q}];
      }
      ASSERT_GT(a, 0.0) << "element " << e + 1;
      area += a;
    }
    double perimeter_mesh = 0, perimeter = 0;
    for (const auto& [edge, n] : directed) {
      EXPECT_EQ(n, 1) << "edge " << edge.first << "-" << edge.second << " twice the same way";
      if (!directed.count({edge.second, edge.first}))
        perimeter_mesh += std::hypot(at(edge.second).first - at(edge.first).first, at(edge.second).second - at(edge.first).second);
    }
    const test::Outline outline = test::standard_outline(type, dims);
    for (const test::Ring& r : outline)
      for (std::size_t i = 0; i < r.v.size(); ++i)
        perimeter += std::hypot(r.v[(i + 1) % r.v.size()].x - r.v[i].x, r.v[(i + 1) % r.v.size()].y - r.v[i].y);
    EXPECT_NEAR(perimeter_mesh, perimeter, 1e-12 * perimeter);
    for (std::size_t n = 1; n < used.size(); ++n) EXPECT_GT(used[n], 0) << "node " << n;
    EXPECT_NEAR(area, test::outline_moments(outline).area, 1e-12 * area);
  }
}

// The merge test is relative: the same shape in metres and micrometres merges alike.
TEST(BlockMesher, MergeIsScaleFree) {
  for (double scale : {1e-6, 1e6}) {
    std::vector<double> d = typical.at(3);
    for (double& v : d) v *= scale;
    EXPECT_EQ(standard_section_mesh(3, d).n_nodes, 3691) << scale;
  }
}

TEST(BlockMesher, RefusesMoreNodesThanItsCapacity) {
  const SectionBlocks blocks = section_blocks(1, typical.at(1));
  T_SECDATA m;
  EXPECT_THROW(mesh_blocks(blocks, m, 5111), std::length_error);
  EXPECT_NO_THROW(mesh_blocks(blocks, m, 5112));
}

}  // namespace
}  // namespace bsp
