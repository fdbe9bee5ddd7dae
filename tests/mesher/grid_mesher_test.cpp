#include "mesher/grid_mesher/grid_mesher.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "mesher/data_2d/mesh_error.h"
#include "mesher/data_2d/primitives.h"
#include "mesher_2d_support.h"

namespace {

using domain_maker::Mesh_Data;
using grid_mesher::Grid_Mesher;
using mesher_test::make_record;
using mesher_test::Xy;

TEST(GridMesherRectangle, KeepsInnerGridOfTenByFourAndMeshesTheRest) {
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
  // The finished mesh: 16 cells give 32 triangles, the strip to the 4 corners more.
  const Mesh_Data input = record;
  Grid_Mesher full;
  full.generate_mesh(record, nullptr);
  EXPECT_GT(mesher_test::expect_valid_mesh(input, record, full.get_tolerance()).elements, 32u);
}

TEST(GridMesherRegion, NarrowerThanStepStillMeshes) {
  // 0.5 x 0.3 with h = 1: W/h and H/h truncate to 0, the grid keeps one
  // column and one row (nx = ny = 1) and the front meshes the region.
  Mesh_Data record = make_record({{{0, 0}, {0.5, 0}, {0.5, 0.3}, {0, 0.3}}}, 1.0);
  record.quadratic = 1;
  const Mesh_Data input = record;
  Grid_Mesher grid_only;
  grid_only.load_input_data(record);
  grid_only.prepare_mesh();
  grid_only.generate_grid();
  // The 2 x 2 grid nodes are the box corners, i.e. the wire corners: all
  // removed, no cell left (a zero count would have given infinite steps).
  EXPECT_EQ(grid_only.get_nodes().size(), 4u);
  EXPECT_TRUE(grid_only.get_elements().empty());
  Grid_Mesher mesher;
  mesher.generate_mesh(record, nullptr);
  mesher_test::expect_valid_mesh(input, record, mesher.get_tolerance());
  EXPECT_EQ(record.elements.size(), 2u);
}

TEST(GridMesherRegion, SmallSquareAtFineSizeMeshes) {
  // 0.2 x 0.2 at element size 0.05: four pieces per side.
  Mesh_Data record = make_record({mesher_test::subdivide({{0, 0}, {0.2, 0}, {0.2, 0.2}, {0, 0.2}}, 0.05)}, 0.05);
  record.quadratic = 1;
  const Mesh_Data input = record;
  Grid_Mesher mesher;
  mesher.generate_mesh(record, nullptr);
  const auto summary = mesher_test::expect_valid_mesh(input, record, mesher.get_tolerance());
  EXPECT_GE(summary.elements, 32u);  // 16 cells' worth of area at h = 0.05
}

std::vector<Xy> rotated(const std::vector<Xy>& points, double angle_deg) {
  const double a = angle_deg * std::acos(-1.0) / 180.0;
  std::vector<Xy> out;
  for (const Xy p : points) out.push_back({std::cos(a) * p.x - std::sin(a) * p.y, std::sin(a) * p.x + std::cos(a) * p.y});
  return out;
}

const std::vector<Xy> l_shape{{0, 0}, {6, 0}, {6, 1}, {1, 1}, {1, 8}, {0, 8}};

TEST(GridMesherAxes, RotatedOutlineGivesRotatedNodesOfTheAxisAlignedMesh) {
  // The L's first side is its bottom, so the rotated copy is turned back by
  // exactly that side's angle about its first node, the origin. Sizes keep
  // W/h and H/h and every grid node's wire distance away from the
  // truncation and trimming thresholds, so round-off cannot flip them.
  const double size = 0.45;
  Mesh_Data plain = make_record({mesher_test::subdivide(l_shape, size)}, size);
  Mesh_Data turned = make_record({rotated(mesher_test::subdivide(l_shape, size), 30.0)}, size);
  const Mesh_Data plain_input = plain;
  const Mesh_Data turned_input = turned;
  Grid_Mesher a;
  a.generate_mesh(plain, nullptr);
  Grid_Mesher b;
  b.generate_mesh(turned, nullptr);
  EXPECT_FALSE(a.is_rotated());
  EXPECT_TRUE(b.is_rotated());
  EXPECT_NEAR(b.get_rotation_angle(), 30.0, 1e-12);  // acos of a cosine near 0.866
  mesher_test::expect_valid_mesh(turned_input, turned, b.get_tolerance());

  ASSERT_EQ(plain.nodes.size(), turned.nodes.size());
  std::vector<Xy> expected;
  for (const auto& n : plain.nodes) expected.push_back({n.x, n.y});
  expected = rotated(expected, 30.0);
  const double tolerance = 1e-12 * 8.0;  // 1e-12 of the outline's size
  std::vector<bool> taken(expected.size(), false);
  for (const auto& n : turned.nodes) {
    bool found = false;
    for (std::size_t k = 0; k < expected.size() && !found; ++k) {
      if (!taken[k] && std::hypot(expected[k].x - n.x, expected[k].y - n.y) < tolerance) {
        taken[k] = true;
        found = true;
      }
    }
    EXPECT_TRUE(found) << "node (" << n.x << ", " << n.y << ") has no rotated counterpart";
  }
}

TEST(GridMesherAxes, OutlineWithinADegreeOfTheAxesIsNotRotated) {
  // Sides at 0.57, 89.3, 179.7 and -90 degrees: all within a degree of an axis.
  Mesh_Data record = make_record({mesher_test::subdivide({{0, 0}, {10, 0.1}, {10.05, 4.0}, {0, 4.05}}, 0.5)}, 0.5);
  Grid_Mesher mesher;
  mesher.load_input_data(record);
  mesher.prepare_mesh();
  EXPECT_FALSE(mesher.is_rotated());
  const std::size_t inputs = mesher.get_nodes().size();
  mesher.generate_grid();
  // Unrotated grid nodes lie on the rows y = ymin + j H / ny.
  std::set<double> rows;
  for (std::size_t i = inputs; i < mesher.get_nodes().size(); ++i) rows.insert(mesher.get_nodes()[i]->y);
  EXPECT_LE(rows.size(), 9u);  // ny = trunc(4.05 / 0.5) = 8 rows of cells, 9 of nodes

  // Tilted by 2 degrees, the same outline is turned.
  Mesh_Data tilted = make_record({rotated(mesher_test::subdivide({{0, 0}, {10, 0}, {10, 4}, {0, 4}}, 0.5), 2.0)}, 0.5);
  Grid_Mesher turned;
  turned.load_input_data(tilted);
  turned.prepare_mesh();
  EXPECT_TRUE(turned.is_rotated());
  EXPECT_NEAR(turned.get_rotation_angle(), 2.0, 1e-9);  // acos near 1 loses about half the digits
}

// The trimming rule as written, over every wire segment and with winding
// sums, for comparison with the mesher's bucketed, scanline version.
std::set<std::pair<double, double>> literal_survivors(const Grid_Mesher& mesher, double h) {
  const auto& wires = mesher.get_wires();
  const data_2d::Wire* outer = nullptr;
  for (const auto& w : wires) {
    if (w->kind == 1) outer = w.get();
  }
  double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
  for (const auto* n : outer->nodes) {
    x0 = std::min(x0, n->x);
    x1 = std::max(x1, n->x);
    y0 = std::min(y0, n->y);
    y1 = std::max(y1, n->y);
  }
  const int nx = std::max(1, static_cast<int>((x1 - x0) / h));
  const int ny = std::max(1, static_cast<int>((y1 - y0) / h));
  const double r = 0.707 * h;
  std::set<std::pair<double, double>> out;
  for (int j = 0; j <= ny; ++j) {
    for (int i = 0; i <= nx; ++i) {
      const data_2d::Point p{x0 + i * (x1 - x0) / nx, y0 + j * (y1 - y0) / ny};
      bool removed = false;
      for (const auto* seed : mesher.get_seeds()) removed = removed || std::hypot(seed->x - p.x, seed->y - p.y) < r;
      for (const auto& w : wires) {
        if (w->kind == 3) continue;
        const double sum = std::abs(data_2d::winding_sum(p, w->nodes));
        removed = removed || (w->kind == 1 && sum < 10.0) || (w->kind == 2 && sum > 350.0);
      }
      for (const auto& w : wires) {
        for (std::size_t k = 0; k < w->nodes.size(); ++k) {
          const data_2d::Point a = w->nodes[k]->point();
          removed = removed || std::hypot(a.x - p.x, a.y - p.y) < r;
          if (k + 1 < w->nodes.size()) {
            const auto foot = data_2d::foot_on_segment(p, a, w->nodes[k + 1]->point());
            removed = removed || (foot && std::hypot(foot->x - p.x, foot->y - p.y) < r);
          }
        }
      }
      if (!removed) out.emplace(p.x, p.y);
    }
  }
  return out;
}

TEST(GridMesherTrimming, KeepsTheNodesTheLiteralWindingScanKeeps) {
  std::vector<Xy> star;
  for (int k = 0; k < 10; ++k) {
    const double radius = k % 2 != 0 ? 2.0 : 5.0;
    const double a = std::acos(-1.0) * (0.5 + k / 5.0);
    star.push_back({radius * std::cos(a), radius * std::sin(a)});
  }
  std::vector<Xy> ring;
  std::vector<Xy> hole;
  for (int k = 0; k < 64; ++k) {
    const double a = 2.0 * std::acos(-1.0) * k / 64;
    ring.push_back({5.0 * std::cos(a), 5.0 * std::sin(a)});
    hole.push_back({2.5 * std::cos(-a), 2.5 * std::sin(-a)});
  }
  const std::vector<Mesh_Data> cases{
      make_record({mesher_test::subdivide(l_shape, 0.3)}, 0.3),
      make_record({star}, 0.4),
      make_record({ring, hole}, 0.35),
      make_record({mesher_test::subdivide({{0, 0}, {10, 0}, {10, 6}, {0, 6}}, 0.5)}, 0.5, {{{3, 3}, {5, 3.2}, {7, 3}}},
                  {{5, 1.5}, {2, 5}}),
  };
  for (const Mesh_Data& record : cases) {
    Grid_Mesher mesher;
    mesher.load_input_data(record);
    mesher.prepare_mesh();
    const std::size_t inputs = mesher.get_nodes().size();
    const auto expected = literal_survivors(mesher, mesher.get_element_size());
    mesher.generate_grid();
    std::set<std::pair<double, double>> kept;
    for (std::size_t i = inputs; i < mesher.get_nodes().size(); ++i) kept.emplace(mesher.get_nodes()[i]->x, mesher.get_nodes()[i]->y);
    EXPECT_EQ(kept, expected);
    EXPECT_FALSE(kept.empty());
  }
}

}  // namespace
