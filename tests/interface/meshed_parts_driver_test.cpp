#include "interface/meshed_parts_driver.h"

#include <gtest/gtest.h>

namespace bsp {
namespace {

// Two straight-sided 6-node triangles: (0,0),(1,0),(0,1) and, as a second
// component, the same shifted by 3 in x.
MergedSection two_components() {
  MergedSection m;
  m.x = {0, 1, 0, 0.5, 0.5, 0, 3, 4, 3, 3.5, 3.5, 3};
  m.y = {0, 0, 1, 0, 0.5, 0.5, 0, 0, 1, 0, 0.5, 0.5};
  m.connectivity = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  m.element_material = {1, 1};
  m.element_origin = {0, 1};
  m.component_element_count = {1, 1};
  m.component_node_count = {6, 6};
  return m;
}

TEST(MeshedPartsDriver, NodeNumberOutsideItsComponentIsASolverError) {
  MergedSection m = two_components();
  EXPECT_EQ(check_domain_node_ranges(m), Status::ok);
  m.connectivity[6] = 3;  // the second component reaching into the first
  EXPECT_EQ(check_domain_node_ranges(m), Status::solver_error);
  m = two_components();
  m.connectivity[5] = 7;  // the first reaching into the second
  EXPECT_EQ(check_domain_node_ranges(m), Status::solver_error);
  m = two_components();
  m.component_element_count = {1, 2};  // counts claiming more elements than exist
  EXPECT_EQ(check_domain_node_ranges(m), Status::solver_error);
}

TEST(MeshedPartsDriver, OrientationAcceptsCounterClockwiseAndRejectsFoldedElements) {
  MergedSection m = two_components();
  EXPECT_FALSE(find_misshapen_element(m));

  // Corners still counter-clockwise, but the mid-side node of edge 2-3 pulled
  // far inside past the opposite corner folds the element: det J changes sign
  // near that edge.
  MergedSection folded = two_components();
  folded.x[4] = -0.6;
  folded.y[4] = -0.6;
  ASSERT_TRUE(find_misshapen_element(folded));
  EXPECT_EQ(find_misshapen_element(folded)->kind, ElementShapeFault::Kind::folded);

  // A gently curved edge is fine.
  MergedSection curved = two_components();
  curved.x[4] = 0.6;
  curved.y[4] = 0.6;
  EXPECT_FALSE(find_misshapen_element(curved));

  // Clockwise corner order.
  MergedSection clockwise = two_components();
  std::swap(clockwise.connectivity[7], clockwise.connectivity[8]);
  std::swap(clockwise.connectivity[9], clockwise.connectivity[11]);
  ASSERT_TRUE(find_misshapen_element(clockwise));
  EXPECT_EQ(find_misshapen_element(clockwise)->kind, ElementShapeFault::Kind::clockwise);
  EXPECT_EQ(find_misshapen_element(clockwise)->element, 1);
}

}  // namespace
}  // namespace bsp
