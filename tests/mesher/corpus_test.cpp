// Every outline of tests/data/outlines through the domain maker and the grid or loop mesher, at
// the automatic size and its file's two: every invariant of a finished mesh and the exact areas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "mesher/domain_maker/domain_maker.h"
#include "mesher/grid_mesher/grid_mesher.h"
#include "mesher/loop_mesher/loop_mesher.h"
#include "mesher_2d_support.h"

namespace {

using domain_maker::Domain_Data;
using domain_maker::Mesh_Data;

using mesher_test::Outline;
using mesher_test::section_record;

Outline read_outline(const std::string& name) {
  std::ifstream file(std::string(BSP_TEST_DATA_DIR) + "/outlines/" + name + ".txt");
  EXPECT_TRUE(file.good()) << name;
  Outline outline;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#') continue;
    if (word == "sizes" || word == "areas") {
      for (double v; in >> v;) (word == "sizes" ? outline.sizes : outline.areas).push_back(v);
    } else if (word == "point" || word == "seed") {
      data_2d::Point p{};
      in >> p.x >> p.y;
      (word == "point" ? outline.points : outline.seeds).push_back(p);
    } else if (word == "edge") {
      outline.edges.emplace_back();
      for (int i; in >> i;) outline.edges.back().push_back(i);
    }
  }
  return outline;
}

enum class Mesher { grid, loop };

class Corpus : public testing::TestWithParam<std::tuple<const char*, Mesher>> {};

TEST_P(Corpus, MeshesEveryRegionWithAllInvariants) {
  const std::string name = std::get<0>(GetParam());
  const Outline outline = read_outline(name);
  ASSERT_EQ(outline.sizes.size(), 2u);
  for (const auto& [size, quadratic] : {std::pair{0.0, false}, {0.0, true}, {outline.sizes[0], true}, {outline.sizes[1], true}}) {
    SCOPED_TRACE(name + " at size " + std::to_string(size) + (quadratic ? " quadratic" : " linear"));
    Domain_Data section = section_record(outline, size);
    std::vector<std::int32_t> loose;
    domain_maker::Domain_Maker().make_domain(section, loose);
    ASSERT_EQ(section.domains.size(), outline.areas.size());
    std::vector<double> areas;
    for (std::size_t d = 0; d < section.domains.size(); ++d) {
      Mesh_Data region = domain_maker::make_domain_mesh_data(section, d);
      region.quadratic = quadratic ? 1 : 0;
      if (std::get<1>(GetParam()) == Mesher::grid) {
        areas.push_back(mesher_test::expect_meshes_validly<grid_mesher::Grid_Mesher>(region).area);
        continue;
      }
      const auto smoothed = mesher_test::expect_meshes_validly<loop_mesher::Loop_Mesher>(region);
      areas.push_back(smoothed.area);
      // Smoothing and improvement may only raise the worst quality.
      Mesh_Data raw = region;
      loop_mesher::Loop_Mesher unsmoothed;
      unsmoothed.set_smoothing(false);
      ASSERT_NO_THROW(unsmoothed.generate_mesh(raw, nullptr));
      EXPECT_GE(smoothed.min_quality, mesher_test::expect_valid_mesh(region, raw, unsmoothed.get_tolerance()).min_quality - 1e-12);  // the two quality formulas differ in round-off
    }
    std::vector<double> expected = outline.areas;
    std::sort(areas.begin(), areas.end());
    std::sort(expected.begin(), expected.end());
    for (std::size_t k = 0; k < areas.size(); ++k) EXPECT_NEAR(areas[k], expected[k], 1e-9 * expected[k]);  // sums round at 1e-15
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outlines, Corpus,
    testing::Combine(testing::Values("rectangle", "rotated_rectangle", "l_shape", "t_shape", "i_shape", "channel", "z_shape",
                                     "thin_plate", "triangle", "circle_64", "annulus", "box_with_hole", "two_regions",
                                     "region_in_hole", "star", "open_line_and_seed", "squares_apart"),
                     testing::Values(Mesher::grid, Mesher::loop)),
    [](const auto& info) { return std::string(std::get<0>(info.param)) + (std::get<1>(info.param) == Mesher::grid ? "_grid" : "_loop"); });

}  // namespace
