#include "mesher/grid_mesher/grid_mesher.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "mesher/data_2d/mesh_error.h"
#include "mesher_2d_support.h"

namespace {

using domain_maker::Mesh_Data;
using grid_mesher::Grid_Mesher;
using mesher_test::make_record;
using mesher_test::Xy;

TEST(GridMesherRectangle, KeepsInnerGridOfTenByFour) {
  // 10 x 4 with h = 1: grid nodes at integer points; those at distance < 0.707
  // from the sides are the border ones, so i in 1..9, j in 1..3 survive
  // (27 nodes) and the cells between them, i in 1..8, j in 1..2 (16 cells).
  Mesh_Data record = make_record({{{0, 0}, {10, 0}, {10, 4}, {0, 4}}}, 1.0);
  Grid_Mesher mesher;
  mesher.load_input_data(record);
  mesher.prepare_mesh();
  mesher.generate_grid();
  EXPECT_EQ(mesher.get_nodes().size(), 4u + 27u);
  EXPECT_EQ(mesher.get_elements().size(), 16u);
  std::set<std::pair<int, int>> kept;
  for (std::size_t i = 4; i < mesher.get_nodes().size(); ++i) {
    const auto& n = *mesher.get_nodes()[i];
    kept.emplace(static_cast<int>(std::lround(n.x)), static_cast<int>(std::lround(n.y)));
    EXPECT_EQ(n.x, std::round(n.x));  // grid steps of exactly 1 (10/10, 4/4)
  }
  EXPECT_EQ(kept.begin()->first, 1);
  EXPECT_EQ(kept.rbegin()->first, 9);
}

TEST(GridMesherRectangle, MeshCoversAreaCounterClockwise) {
  Mesh_Data record = make_record({{{0, 0}, {10, 0}, {10, 4}, {0, 4}}}, 1.0);
  const Mesh_Data input = record;
  Grid_Mesher mesher;
  mesher.generate_mesh(record, nullptr);
  const auto summary = mesher_test::expect_valid_mesh(input, record, mesher.get_tolerance());
  EXPECT_GT(summary.elements, 32u);
}

}  // namespace
