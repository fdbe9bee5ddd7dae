#include "geometry/merge_section.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <set>
#include <utility>

#include "support/section_meshes.h"

namespace bsp {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using test::PartsMesh;

MergedSection merge(const PartsMesh& m) {
  return merge_section({m.y, m.z, m.connectivity, m.element_material, m.part_element_count, m.nodes_per_element});
}

PartsMesh literal(std::vector<double> y, std::vector<double> z, std::vector<std::int32_t> connectivity,
                  std::vector<std::int32_t> part_node_count, std::vector<std::int32_t> part_element_count) {
  PartsMesh m;
  m.y = std::move(y);
  m.z = std::move(z);
  m.connectivity = std::move(connectivity);
  m.element_material.assign(m.connectivity.size() / 3, 1);
  m.part_node_count = std::move(part_node_count);
  m.part_element_count = std::move(part_element_count);
  return m;
}

// Two triangles (0,0),(1,0),(0,1) | (1,0),(1,1),(0,1), each its own part.
PartsMesh two_triangle_parts(double gap = 0.0) {
  return literal({0, 1, 0, 1 + gap, 1, gap}, {0, 0, 1, 0, 1, 1}, {1, 2, 3, 4, 5, 6}, {3, 3}, {1, 1});
}

// Every element of component c uses only node numbers of c's own block: the
// property the solver's per-domain numbering relies on.
void expect_components_contiguous(const MergedSection& s) {
  std::int32_t first_node = 0;
  std::size_t e = 0;
  for (std::int32_t c = 0; c < s.component_count(); ++c) {
    const std::int32_t last_node = first_node + s.component_node_count[static_cast<std::size_t>(c)];
    std::set<std::int32_t> used;
    for (std::int32_t k = 0; k < s.component_element_count[static_cast<std::size_t>(c)]; ++k, ++e)
      for (int i = 0; i < 6; ++i) {
        const std::int32_t n = s.connectivity[6 * e + static_cast<std::size_t>(i)];
        EXPECT_GT(n, first_node);
        EXPECT_LE(n, last_node);
        used.insert(n);
      }
    EXPECT_EQ(used.size(), static_cast<std::size_t>(last_node - first_node)) << "component " << c;
    first_node = last_node;
  }
  EXPECT_EQ(e, s.element_material.size());
  EXPECT_EQ(first_node, s.node_count());
}

double corner_area(const MergedSection& s) {
  double a = 0.0;
  for (std::size_t e = 0; e < s.element_material.size(); ++e) {
    const auto p = [&](int i) { return static_cast<std::size_t>(s.connectivity[6 * e + static_cast<std::size_t>(i)] - 1); };
    a += 0.5 * ((s.x[p(1)] - s.x[p(0)]) * (s.y[p(2)] - s.y[p(0)]) - (s.x[p(2)] - s.x[p(0)]) * (s.y[p(1)] - s.y[p(0)]));
  }
  return a;
}

struct MergeCase {
  const char* name;
  PartsMesh mesh;
  std::int32_t nodes;
  std::vector<std::int32_t> component_elements;
};

// Node count and components of each mesh; every component must own a
// contiguous block of node numbers that its elements use entirely.
TEST(MergeSection, NodesAndComponentsOfEachMesh) {
  PartsMesh with_empty_part = two_triangle_parts();
  with_empty_part.part_element_count = {0, 1, 1};
  with_empty_part.part_node_count = {0, 3, 3};
  PartsMesh empty;
  empty.part_element_count = {0, 0};
  PartsMesh two_pieces = test::rectangle_part(0, 0, 1, 1, 1, 1, 1);
  two_pieces.append(test::rectangle_part(3, 0, 1, 1, 1, 1, 1));
  two_pieces.part_node_count = {8};
  two_pieces.part_element_count = {4};
  PartsMesh six_node = test::rectangle_part(0, 0, 1, 1, 2, 2, 1, true);
  six_node.append(test::rectangle_part(1, 0, 1, 1, 2, 2, 1, true));
  const std::vector<MergeCase> cases = {
      {"parts share their interface", two_triangle_parts(), 9, {2}},
      {"kept apart above the tolerance", two_triangle_parts(1e-7), 12, {1, 1}},
      {"merged below the tolerance", two_triangle_parts(0.5e-8), 9, {2}},
      {"a part without elements has no component", with_empty_part, 9, {2}},
      {"no elements at all", empty, 0, {}},
      // Two triangles of one part with separate copies of the diagonal's nodes.
      {"coincident nodes inside one part", literal({0, 1, 1, 0, 1, 0}, {0, 0, 1, 0, 1, 1}, {1, 2, 3, 4, 5, 6}, {6}, {2}), 9, {2}},
      // The second part uses nodes 2 and 3 of the first directly: one
      // component, or the second would reach outside its node block.
      {"parts sharing node numbers", literal({0, 1, 0, 1}, {0, 0, 1, 1}, {1, 2, 3, 2, 4, 3}, {3, 1}, {1, 1}), 9, {2}},
      {"disconnected pieces of one part", two_pieces, 18, {2, 2}},
      {"six-node parts share the interface mid-sides", six_node, 9 * 5, {16}},  // (2*4+1) x (2*2+1) lattice
  };
  for (const MergeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const MergedSection s = merge(c.mesh);
    EXPECT_EQ(s.node_count(), c.nodes);
    EXPECT_EQ(s.component_element_count, c.component_elements);
    expect_components_contiguous(s);
  }
}

TEST(MergeSection, TwoTrianglePartsShareTheirInterfaceNodes) {
  const MergedSection s = merge(two_triangle_parts());
  EXPECT_THAT(s.x, ElementsAre(0, 1, 0, 0.5, 0.5, 0, 1, 1, 0.5));
  EXPECT_THAT(s.y, ElementsAre(0, 0, 1, 0, 0.5, 0.5, 1, 0.5, 1));
  EXPECT_THAT(s.connectivity, ElementsAre(1, 2, 3, 4, 5, 6, 2, 7, 3, 8, 9, 5));
  EXPECT_THAT(s.component_element_count, ElementsAre(2));
  EXPECT_THAT(s.component_node_count, ElementsAre(9));
}

TEST(MergeSection, EdgeSharedInsideAPartGetsOneMidSideNode) {
  PartsMesh m;
  m.y = {0, 1, 1, 0};
  m.z = {0, 0, 1, 1};
  m.connectivity = {1, 2, 3, 1, 3, 4};
  m.element_material = {2, -2};
  m.part_node_count = {4};
  m.part_element_count = {2};
  const MergedSection s = merge(m);
  EXPECT_EQ(s.node_count(), 9);  // 4 corners + 5 edges
  // The diagonal is edge 3-1 of the first element and edge 1-2 of the second.
  EXPECT_EQ(s.connectivity[5], s.connectivity[6 + 3]);
  EXPECT_DOUBLE_EQ(s.x[static_cast<std::size_t>(s.connectivity[4] - 1)], 1.0);  // mid of (1,0)-(1,1)
  EXPECT_DOUBLE_EQ(s.y[static_cast<std::size_t>(s.connectivity[4] - 1)], 0.5);
  EXPECT_THAT(s.element_material, ElementsAre(2, -2));
}

TEST(MergeSection, SixNodeInputKeepsItsNodeOrderAndIsNumberedByFirstUse) {
  PartsMesh m;
  // Nodes given in scrambled order; the element lists corners then mid-sides.
  m.y = {0.5, 0, 0, 0.5, 1, 0};
  m.z = {0, 1, 0, 0.5, 0, 0.5};
  m.connectivity = {3, 5, 2, 1, 4, 6};
  m.element_material = {1};
  m.part_node_count = {6};
  m.part_element_count = {1};
  m.nodes_per_element = 6;
  const MergedSection s = merge(m);
  EXPECT_THAT(s.connectivity, ElementsAre(1, 2, 3, 4, 5, 6));
  EXPECT_THAT(s.x, ElementsAre(0, 1, 0, 0.5, 0.5, 0));
  EXPECT_THAT(s.y, ElementsAre(0, 0, 1, 0, 0.5, 0.5));
}

TEST(MergeSection, StripedRectangleBecomesOneLatticeComponent) {
  // 6 x 4 cells in three strips: the merged mesh is the (2*6+1) x (2*4+1)
  // lattice of a 6-node mesh, whatever the strips duplicated.
  const PartsMesh m = test::striped_rectangle(3.0, 2.0, 6, 4, 3, 1);
  const MergedSection s = merge(m);
  EXPECT_EQ(s.node_count(), 13 * 9);
  EXPECT_THAT(s.component_element_count, ElementsAre(48));
  EXPECT_NEAR(corner_area(s), 6.0, 1e-14);  // round-off of 48 small sums
  // Every mid-side node of straight 3-node input is its edge's midpoint.
  for (std::size_t e = 0; e < 48; ++e)
    for (int i = 0; i < 3; ++i) {
      const auto c = [&](int j) { return static_cast<std::size_t>(s.connectivity[6 * e + static_cast<std::size_t>(j)] - 1); };
      EXPECT_EQ(s.x[c(3 + i)], 0.5 * (s.x[c(i)] + s.x[c((i + 1) % 3)]));
      EXPECT_EQ(s.y[c(3 + i)], 0.5 * (s.y[c(i)] + s.y[c((i + 1) % 3)]));
    }
}

TEST(MergeSection, ComponentsAreContiguousInOrderOfTheirFirstElement) {
  // Parts A (unit square), B (far away), C (touching A along y = 1): A and C
  // form the first component although B comes between them.
  PartsMesh m = test::rectangle_part(0, 0, 1, 1, 1, 1, 1);
  m.append(test::rectangle_part(5, 0, 1, 1, 1, 1, 2));
  m.append(test::rectangle_part(1, 0, 1, 1, 1, 1, 3));
  const MergedSection s = merge(m);
  EXPECT_THAT(s.component_element_count, ElementsAre(4, 2));
  EXPECT_THAT(s.component_node_count, ElementsAre(15, 9));  // 6 corners + 9 edges; 4 + 5
  EXPECT_THAT(s.element_origin, ElementsAre(0, 1, 4, 5, 2, 3));
  EXPECT_THAT(s.element_material, ElementsAre(1, 1, 3, 3, 2, 2));
  expect_components_contiguous(s);
}

TEST(MergeSection, ResultDoesNotDependOnTheHostsNodeNumbering) {
  const PartsMesh m = test::striped_rectangle(2.0, 1.0, 5, 3, 2, 1);
  PartsMesh shuffled = m;
  std::vector<std::int32_t> perm(static_cast<std::size_t>(m.n_nodes()));
  std::iota(perm.begin(), perm.end(), 0);
  std::shuffle(perm.begin(), perm.end(), std::mt19937(7));
  for (std::size_t i = 0; i < perm.size(); ++i) {
    shuffled.y[static_cast<std::size_t>(perm[i])] = m.y[i];
    shuffled.z[static_cast<std::size_t>(perm[i])] = m.z[i];
  }
  for (auto& n : shuffled.connectivity) n = perm[static_cast<std::size_t>(n - 1)] + 1;
  const MergedSection a = merge(m), b = merge(shuffled);
  EXPECT_THAT(b.connectivity, ElementsAreArray(a.connectivity));
  EXPECT_THAT(b.x, ElementsAreArray(a.x));
  EXPECT_THAT(b.y, ElementsAreArray(a.y));
  EXPECT_THAT(b.component_node_count, ElementsAreArray(a.component_node_count));
}

}  // namespace
}  // namespace bsp
