#include "mesher/domain_maker/flat_mesh.h"

#include <gtest/gtest.h>

#include <vector>

namespace domain_maker {
namespace {

TEST(FlatMesh, UnpacksRecordOrderWithOneBasedNumbersAfterWhatIsThere) {
  Mesh_Data mesh;
  mesh.nodes = {{1, 0, 0.0, 0.0, 0.0}, {1, 0, 0.0, 2.0, 0.0}, {1, 0, 0.0, 0.0, 3.0}, {0, 0, 0.0, 2.0, 3.0}};
  mesh.elements = {{0, 1, 2}, {1, 3, 2}};
  Flat_Mesh out;
  out.x = {-7.0};  // a previous region's data stays in front
  out.y = {-8.0};
  out.connectivity = {42};
  append_flat_mesh(mesh, out);
  EXPECT_EQ(out.n_nodes, 4);
  EXPECT_EQ(out.n_elements, 2);
  EXPECT_EQ(out.x, (std::vector<double>{-7.0, 0.0, 2.0, 0.0, 2.0}));
  EXPECT_EQ(out.y, (std::vector<double>{-8.0, 0.0, 0.0, 3.0, 3.0}));
  EXPECT_EQ(out.connectivity, (std::vector<std::int32_t>{42, 1, 2, 3, 2, 4, 3}));
  // The counts are the last record's, not running totals.
  append_flat_mesh(Mesh_Data{}, out);
  EXPECT_EQ(out.n_nodes, 0);
  EXPECT_EQ(out.n_elements, 0);
  EXPECT_EQ(out.connectivity.size(), 7u);
}

}  // namespace
}  // namespace domain_maker
