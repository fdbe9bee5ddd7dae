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
                  std::vector<std::int32_t> part_node_count, std::vector<std::int32_t> part_element_count, int k = 3) {
  std::vector<std::int32_t> material(connectivity.size() / static_cast<std::size_t>(k), 1);
  return {std::move(y), std::move(z), std::move(connectivity), std::move(material), std::move(part_node_count),
          std::move(part_element_count), k};
}

// Two triangles (0,0),(1,0),(0,1) | (1,0),(1,1),(0,1), each its own part.
PartsMesh two_triangle_parts(double gap = 0.0) {
  return literal({0, 1, 0, 1 + gap, 1, gap}, {0, 0, 1, 0, 1, 1}, {1, 2, 3, 4, 5, 6}, {3, 3}, {1, 1});
}

// Every merge keeps: each component's contiguous node block, used entirely (the solver relies on
// it); input materials; the corner area; mid-side nodes at edge midpoints.
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
  PartsMesh diagonal = literal({0, 1, 1, 0}, {0, 0, 1, 1}, {1, 2, 3, 1, 3, 4}, {4}, {2});
  diagonal.element_material = {2, -2};
  // Parts A (unit square), B (far away), C (touching A along y = 1).
  PartsMesh far_between = test::rectangle_part(0, 0, 1, 1, 1, 1, 1);
  far_between.append(test::rectangle_part(5, 0, 1, 1, 1, 1, 2));
  far_between.append(test::rectangle_part(1, 0, 1, 1, 1, 1, 3));
  const struct {
    const char* name;
    PartsMesh mesh;
    std::int32_t nodes;
    std::vector<std::int32_t> component_elements;
  } cases[] = {
      {"parts share their interface", two_triangle_parts(), 9, {2}},
      {"kept apart above the tolerance", two_triangle_parts(1e-7), 12, {1, 1}},
      {"merged below the tolerance", two_triangle_parts(0.5e-8), 9, {2}},
      {"a part without elements has no component", with_empty_part, 9, {2}},
      {"no elements at all", empty, 0, {}},
      // Two triangles of one part with separate copies of the diagonal's nodes.
      {"coincident nodes inside one part", literal({0, 1, 1, 0, 1, 0}, {0, 0, 1, 0, 1, 1}, {1, 2, 3, 4, 5, 6}, {6}, {2}), 9, {2}},
      // Part 2 uses nodes 2 and 3 of part 1: one component, or it would leave its node block.
      {"parts sharing node numbers", literal({0, 1, 0, 1}, {0, 0, 1, 1}, {1, 2, 3, 2, 4, 3}, {3, 1}, {1, 1}), 9, {2}},
      {"disconnected pieces of one part", two_pieces, 18, {2, 2}},
      {"six-node parts share the interface mid-sides", six_node, 9 * 5, {16}},  // (2*4+1) x (2*2+1) lattice
      {"edge shared inside a part: one mid-side node", diagonal, 9, {2}},       // 4 corners + 5 edges
      // 6 x 4 cells in three strips: the lattice of a 6-node mesh, whatever the strips duplicated.
      {"striped rectangle", test::striped_rectangle(3.0, 2.0, 6, 4, 3, 1), 13 * 9, {48}},
      // A and C form the first component although B comes between them.
      {"components in order of their first element", far_between, 24, {4, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const MergedSection s = merge(c.mesh);
    EXPECT_EQ(s.node_count(), c.nodes);
    EXPECT_EQ(s.component_element_count, c.component_elements);
    const auto node = [&](std::size_t e, int i) { return static_cast<std::size_t>(s.connectivity[6 * e + static_cast<std::size_t>(i)] - 1); };
    const auto in = [&](std::size_t e, int i) {
      return static_cast<std::size_t>(c.mesh.connectivity[static_cast<std::size_t>(c.mesh.nodes_per_element) * e + static_cast<std::size_t>(i)] - 1);
    };
    std::size_t e = 0;
    std::int32_t first_node = 0;
    double area = 0.0, input_area = 0.0;
    for (std::int32_t component = 0; component < s.component_count(); ++component) {
      const std::int32_t last_node = first_node + s.component_node_count[static_cast<std::size_t>(component)];
      std::set<std::int32_t> used;
      for (std::int32_t k = 0; k < s.component_element_count[static_cast<std::size_t>(component)]; ++k, ++e) {
        const auto origin = static_cast<std::size_t>(s.element_origin[e]);
        EXPECT_EQ(s.element_material[e], c.mesh.element_material[origin]);
        area += 0.5 * ((s.x[node(e, 1)] - s.x[node(e, 0)]) * (s.y[node(e, 2)] - s.y[node(e, 0)]) - (s.x[node(e, 2)] - s.x[node(e, 0)]) * (s.y[node(e, 1)] - s.y[node(e, 0)]));
        input_area += 0.5 * ((c.mesh.y[in(origin, 1)] - c.mesh.y[in(origin, 0)]) * (c.mesh.z[in(origin, 2)] - c.mesh.z[in(origin, 0)]) -
                             (c.mesh.y[in(origin, 2)] - c.mesh.y[in(origin, 0)]) * (c.mesh.z[in(origin, 1)] - c.mesh.z[in(origin, 0)]));
        for (int i = 0; i < 6; ++i) {
          const std::int32_t n = s.connectivity[6 * e + static_cast<std::size_t>(i)];
          EXPECT_TRUE(n > first_node && n <= last_node) << "component " << component << " uses node " << n;
          used.insert(n);
        }
        for (int i = 0; i < 3; ++i) {
          // A merged node sits at its smallest input number's place: within the 1e-8 tolerance.
          EXPECT_NEAR(s.x[node(e, 3 + i)], 0.5 * (s.x[node(e, i)] + s.x[node(e, (i + 1) % 3)]), 1e-8);
          EXPECT_NEAR(s.y[node(e, 3 + i)], 0.5 * (s.y[node(e, i)] + s.y[node(e, (i + 1) % 3)]), 1e-8);
        }
      }
      EXPECT_EQ(used.size(), static_cast<std::size_t>(last_node - first_node)) << "component " << component;
      first_node = last_node;
    }
    EXPECT_EQ(e, s.element_material.size());
    EXPECT_EQ(first_node, s.node_count());
    EXPECT_NEAR(area, input_area, 1e-8);  // the same corners up to the merging tolerance
  }
}

// The numbering: corners and mid-sides by first use, element by element.
TEST(MergeSection, NodesAreNumberedByFirstUse) {
  const MergedSection s = merge(two_triangle_parts());
  EXPECT_THAT(s.x, ElementsAre(0, 1, 0, 0.5, 0.5, 0, 1, 1, 0.5));
  EXPECT_THAT(s.y, ElementsAre(0, 0, 1, 0, 0.5, 0.5, 1, 0.5, 1));
  EXPECT_THAT(s.connectivity, ElementsAre(1, 2, 3, 4, 5, 6, 2, 7, 3, 8, 9, 5));
  // Six-node input in scrambled node order; the element lists corners then mid-sides.
  const MergedSection six = merge(literal({0.5, 0, 0, 0.5, 1, 0}, {0, 1, 0, 0.5, 0, 0.5}, {3, 5, 2, 1, 4, 6}, {6}, {1}, 6));
  EXPECT_THAT(six.connectivity, ElementsAre(1, 2, 3, 4, 5, 6));
  EXPECT_THAT(six.x, ElementsAre(0, 1, 0, 0.5, 0.5, 0));
  EXPECT_THAT(six.y, ElementsAre(0, 0, 1, 0, 0.5, 0.5));
  // Parts A, B (far away), C (touching A): C's elements follow A's.
  PartsMesh m = test::rectangle_part(0, 0, 1, 1, 1, 1, 1);
  m.append(test::rectangle_part(5, 0, 1, 1, 1, 1, 2));
  m.append(test::rectangle_part(1, 0, 1, 1, 1, 1, 3));
  const MergedSection abc = merge(m);
  EXPECT_THAT(abc.element_origin, ElementsAre(0, 1, 4, 5, 2, 3));
  EXPECT_THAT(abc.component_node_count, ElementsAre(15, 9));  // 6 corners + 9 edges; 4 + 5
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
