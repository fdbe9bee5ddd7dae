#include "mesher/grid_mesher/grid_mesher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

#include "mesher/data_2d/primitives.h"
#include "mesher_2d_support.h"

namespace {

using domain_maker::Mesh_Data;
using grid_mesher::Grid_Mesher;
using mesher_test::make_record;
using mesher_test::subdivide;
using mesher_test::Xy;

// Quadratic meshes of regions the grid covers well, barely or not at all (the front does all).
TEST(GridMesherRegion, MeshesWideSmallAndNarrowRegions) {
  const struct {
    const char* name;
    std::vector<Xy> ring;
    double size;
    std::size_t min_elements, max_elements;
  } cases[] = {
      {"10 x 4 at h = 1", {{0, 0}, {10, 0}, {10, 4}, {0, 4}}, 1.0, 33, 1000},  // the 16 grid cells make 32
      {"narrower than the step", {{0, 0}, {0.5, 0}, {0.5, 0.3}, {0, 0.3}}, 1.0, 2, 2},
      {"0.2 square at 0.05", subdivide({{0, 0}, {0.2, 0}, {0.2, 0.2}, {0, 0.2}}, 0.05), 0.05, 32, 1000},
      // Regression: a tolerance sqrt(2e-4)/100 above the 1e-4 half side collapsed elements.
      {"strip 2e-4 high", {{0, 0}, {1, 0}, {1, 2e-4}, {0, 2e-4}}, 0.0, 2, 1000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Mesh_Data record = make_record({c.ring}, c.size);
    record.quadratic = 1;
    const auto summary = mesher_test::expect_meshes_validly<Grid_Mesher>(record);
    EXPECT_GE(summary.elements, c.min_elements);
    EXPECT_LE(summary.elements, c.max_elements);
  }
}

std::vector<Xy> rotated(const std::vector<Xy>& points, double angle_deg) {
  const double a = angle_deg * std::acos(-1.0) / 180.0;
  std::vector<Xy> out;
  for (const Xy p : points) out.push_back({std::cos(a) * p.x - std::sin(a) * p.y, std::sin(a) * p.x + std::cos(a) * p.y});
  return out;
}

const std::vector<Xy> l_shape{{0, 0}, {6, 0}, {6, 1}, {1, 1}, {1, 8}, {0, 8}};

TEST(GridMesherAxes, RotatedOutlineGivesRotatedNodesOfTheAxisAlignedMesh) {
  // The turned copy is turned back by its first side's angle about the origin; the size keeps
  // every truncation and trimming decision clear of round-off.
  const double size = 0.45;
  Mesh_Data plain;
  Mesh_Data turned;
  mesher_test::expect_meshes_validly<Grid_Mesher>(make_record({subdivide(l_shape, size)}, size), &plain);
  mesher_test::expect_meshes_validly<Grid_Mesher>(make_record({rotated(subdivide(l_shape, size), 30.0)}, size), &turned);
  ASSERT_EQ(plain.nodes.size(), turned.nodes.size());
  std::vector<Xy> expected;
  for (const auto& n : plain.nodes) expected.push_back({n.x, n.y});
  expected = rotated(expected, 30.0);
  std::vector<bool> taken(expected.size(), false);
  for (const auto& n : turned.nodes) {
    bool found = false;
    for (std::size_t k = 0; k < expected.size() && !found; ++k) {
      found = !taken[k] && std::hypot(expected[k].x - n.x, expected[k].y - n.y) < 1e-12 * 8.0;  // 1e-12 of the outline's size
      taken[k] = taken[k] || found;
    }
    EXPECT_TRUE(found) << "node (" << n.x << ", " << n.y << ") has no rotated counterpart";
  }
}

// Sides within a degree of an axis leave the outline unturned (grid rows y = ymin + j H / ny).
TEST(GridMesherAxes, OnlyOutlinesMoreThanADegreeOffTheAxesAreTurned) {
  const struct {
    std::vector<Xy> ring;
    double angle;  // 0: not turned
    double tolerance;
  } cases[] = {
      // Sides at 0.57, 89.3, 179.7 and -90 degrees; ny = trunc(4.05 / 0.5) = 8.
      {subdivide({{0, 0}, {10, 0.1}, {10.05, 4.0}, {0, 4.05}}, 0.5), 0.0, 0.0},
      {rotated(subdivide({{0, 0}, {10, 0}, {10, 4}, {0, 4}}, 0.5), 2.0), 2.0, 1e-9},  // acos near 1 loses about half the digits
      {rotated(subdivide(l_shape, 0.45), 30.0), 30.0, 1e-12},                         // acos of a cosine near 0.866
  };
  for (const auto& c : cases) {
    Grid_Mesher mesher;
    mesher.load_input_data(make_record({c.ring}, 0.5));
    mesher.prepare_mesh();
    EXPECT_EQ(mesher.is_rotated(), c.angle != 0.0);
    if (c.angle != 0.0) {
      EXPECT_NEAR(mesher.get_rotation_angle(), c.angle, c.tolerance);
      continue;
    }
    mesher.generate_grid();
    std::set<double> rows;
    for (std::size_t i = c.ring.size(); i < mesher.get_nodes().size(); ++i) rows.insert(mesher.get_nodes()[i]->y);
    EXPECT_LE(rows.size(), 9u);
  }
}

// The trimming rule as written (every segment, winding sums) against the bucketed scanline.
std::set<std::pair<double, double>> literal_survivors(const Grid_Mesher& mesher, double h) {
  const auto& wires = mesher.get_wires();
  const data_2d::Wire* outer = std::find_if(wires.begin(), wires.end(), [](const auto& w) { return w->kind == 1; })->get();
  double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
  for (const auto* n : outer->nodes) {
    std::tie(x0, x1, y0, y1) = std::tuple(std::min(x0, n->x), std::max(x1, n->x), std::min(y0, n->y), std::max(y1, n->y));
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
  // Survivors and cells where known (-1: some): 10 x 4 keeps i in 1..9, j in 1..3 and 8 x 2 cells;
  // 0.5 x 0.3 at h = 1 truncates to one cell of wire corners (a zero count gave infinite steps).
  const std::vector<std::tuple<Mesh_Data, int, int>> cases{
      {make_record({subdivide(l_shape, 0.3)}, 0.3), -1, -1},
      {make_record({star}, 0.4), -1, -1},
      {make_record({ring, hole}, 0.35), -1, -1},
      {make_record({subdivide({{0, 0}, {10, 0}, {10, 6}, {0, 6}}, 0.5)}, 0.5, {{{3, 3}, {5, 3.2}, {7, 3}}}, {{5, 1.5}, {2, 5}}), -1, -1},
      {make_record({{{0, 0}, {10, 0}, {10, 4}, {0, 4}}}, 1.0), 27, 16},
      {make_record({{{0, 0}, {0.5, 0}, {0.5, 0.3}, {0, 0.3}}}, 1.0), 0, 0},
      {make_record({subdivide({{0, 0}, {0.2, 0}, {0.2, 0.2}, {0, 0.2}}, 0.05)}, 0.05), 9, 4},
  };
  for (const auto& [record, survivors, cells] : cases) {
    Grid_Mesher mesher;
    mesher.load_input_data(record);
    mesher.prepare_mesh();
    const std::size_t inputs = mesher.get_nodes().size();
    const auto expected = literal_survivors(mesher, mesher.get_element_size());
    mesher.generate_grid();
    std::set<std::pair<double, double>> kept;
    for (std::size_t i = inputs; i < mesher.get_nodes().size(); ++i) kept.emplace(mesher.get_nodes()[i]->x, mesher.get_nodes()[i]->y);
    EXPECT_EQ(kept, expected);
    EXPECT_EQ(mesher.get_nodes().size(), inputs + kept.size());  // no survivor twice
    EXPECT_TRUE(survivors < 0 ? !kept.empty() : kept.size() == static_cast<std::size_t>(survivors));
    EXPECT_TRUE(cells < 0 || mesher.get_elements().size() == static_cast<std::size_t>(cells));
  }
}

}  // namespace
