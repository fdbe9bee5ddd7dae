#include "mesher/loop_mesher/loop_mesher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "mesher/data_2d/primitives.h"
#include "mesher/domain_maker/flat_mesh.h"
#include "mesher/loop_mesher/loop_stamps.h"
#include "mesher/loop_mesher/smoothing.h"
#include "mesher/mesher_2d/run_mesher.h"
#include "mesher_2d_support.h"

namespace {

using data_2d::Point;
using domain_maker::Mesh_Data;
using loop_mesher::Loop_Mesher;
using mesher_test::make_record;
using mesher_test::subdivide;
using mesher_test::Xy;

std::vector<Xy> regular(int sides, double radius) {
  std::vector<Xy> out;
  for (int k = 0; k < sides; ++k) {
    const double a = 2.0 * k / sides * std::numbers::pi;
    out.push_back({radius * std::cos(a), radius * std::sin(a)});
  }
  return out;
}

double shoelace(const std::vector<Point>& p) {
  double twice = 0.0;
  for (std::size_t k = 0; k < p.size(); ++k) twice += p[k].x * p[(k + 1) % p.size()].y - p[(k + 1) % p.size()].x * p[k].y;
  return 0.5 * twice;
}

std::vector<double> corner_angles(const std::vector<Point>& c) {
  std::vector<double> angles;
  for (std::size_t k = 0; k < c.size(); ++k) angles.push_back(data_2d::corner_angle(c[k], c[(k + 1) % c.size()], c[(k + c.size() - 1) % c.size()]));
  return angles;
}

// The steps of the loop mesher up to the single wire, and on to the closure.
void run_to_single_wire(Loop_Mesher& mesher, const Mesh_Data& record) {
  mesher.load_input_data(record);
  mesher.prepare_mesh();
  mesher.make_single_wire_domain();
}
void run_to_closure(Loop_Mesher& mesher, const Mesh_Data& record) {
  run_to_single_wire(mesher, record);
  mesher.split_loops();
  mesher.generate_loop_closure_mesh();
}

double min_cell_quality(const Loop_Mesher& mesher) {
  double worst = 1.0;
  for (const auto& e : mesher.get_elements()) {
    std::vector<Point> p;
    for (const auto* n : e->nodes) p.push_back(n->point());
    worst = std::min(worst, loop_mesher::cell_quality(p));
  }
  return worst;
}

// Loops cut, quadrilaterals and created nodes before the final split; twice the cells after.
TEST(LoopMesherShapes, CutAndFillAsExpected) {
  const std::size_t any = static_cast<std::size_t>(-1);
  const struct {
    const char* name;
    std::vector<Xy> ring;
    std::size_t min_bisections, max_bisections;
    std::size_t cells_before_split;  // 0: not checked
    std::size_t created_nodes;       // any: not checked
  } cases[] = {
      {"square", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 0, 0, 1, 0},
      // All corners convex: the centre pattern's three quadrilaterals around one new node.
      {"convex hexagon", regular(6, 1.0), 0, 0, 3, 1},
      // Ten segments are more than a pattern takes.
      {"decagon", regular(10, 1.0), 1, 3, 0, any},
      {"strip of 2 x 12 segments", subdivide({{0, 0}, {12, 0}, {12, 1}, {0, 1}}, 1.0), 1, 12, 0, any},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Mesh_Data record = make_record({c.ring}, 1.0);
    Loop_Mesher mesher;
    run_to_closure(mesher, record);
    EXPECT_GE(mesher.get_bisection_count(), c.min_bisections);
    EXPECT_LE(mesher.get_bisection_count(), c.max_bisections);
    if (c.cells_before_split != 0) {
      EXPECT_EQ(mesher.get_elements().size(), c.cells_before_split);
      for (const auto& e : mesher.get_elements()) EXPECT_EQ(e->nodes.size(), 4u);
    }
    if (c.created_nodes != any) {
      EXPECT_EQ(mesher.get_nodes().size(), record.nodes.size() + c.created_nodes);
    }
    const auto summary = mesher_test::expect_meshes_validly<Loop_Mesher>(record);
    if (c.cells_before_split != 0) {
      EXPECT_EQ(summary.elements, 2 * c.cells_before_split);
    }
  }
}

TEST(LoopMesherSplitting, ReflexCornerOfTwoHundredFiftyDegreesIsCutFromThatCorner) {
  // An arrow head whose notch at (0, 0) is 110 degrees wide, sides cut into unit pieces.
  const double half = 55.0 * std::numbers::pi / 180.0;
  const std::vector<Xy> corners{{0, 0}, {-4 * std::cos(half), -4 * std::sin(half)}, {6, -6}, {6, 6}, {-4 * std::cos(half), 4 * std::sin(half)}};
  Loop_Mesher mesher;
  run_to_single_wire(mesher, make_record({subdivide(corners, 1.0)}, 1.0));
  ASSERT_EQ(mesher.get_loops().size(), 1u);
  const auto& loop = *mesher.get_loops()[0];
  const std::size_t reflex = loop.largest_angle_index();
  EXPECT_NEAR(loop.angles[reflex], 250.0, 1e-9);  // acos round-off only
  const auto* corner = loop.nodes[reflex];
  ASSERT_TRUE(mesher.bisect_loop(0, true));
  // Both pieces hold the corner: the chord starts there.
  std::size_t holding = 0;
  for (const auto& piece : mesher.get_loops()) {
    if (!piece) continue;
    holding += std::count(piece->nodes.begin(), piece->nodes.end() - 1, corner) == 1 ? 1 : 0;
    for (std::size_t i = 0; i < piece->segments(); ++i) EXPECT_LT(piece->angles[i], 215.0) << "the reflex corner was divided";
  }
  EXPECT_EQ(holding, 2u);
}

TEST(LoopMesherSingleWire, HoleIsJoinedByABridgeWalkedTwice) {
  const std::vector<Xy> outer = subdivide({{0, 0}, {6, 0}, {6, 4}, {0, 4}}, 1.0);
  const std::vector<Xy> hole = subdivide({{2, 1.5}, {2, 2.5}, {4, 2.5}, {4, 1.5}}, 1.0);
  const Mesh_Data record = make_record({outer, hole}, 1.0);
  Loop_Mesher mesher;
  run_to_single_wire(mesher, record);
  ASSERT_EQ(mesher.get_loops().size(), 1u);
  const auto& loop = *mesher.get_loops()[0];
  std::map<const data_2d::Node*, int> visits;
  for (std::size_t i = 0; i < loop.segments(); ++i) ++visits[loop.nodes[i]];
  // Every wire node is on the loop; the bridge's ends and inner nodes twice, the rest once.
  for (const auto& node : mesher.get_nodes()) {
    EXPECT_TRUE(node->on_boundary == 0 || visits[node.get()] >= 1);
  }
  std::size_t twice = 0;
  for (const auto& [node, count] : visits) {
    EXPECT_LE(count, 2);
    twice += count == 2 ? 1 : 0;
  }
  const std::size_t created = mesher.get_nodes().size() - record.nodes.size();
  EXPECT_EQ(twice, 2 + created);
  EXPECT_EQ(loop.segments(), outer.size() + hole.size() + 2 * (created + 1));
  // The bridge adds no area: the loop encloses the outer less the hole.
  EXPECT_NEAR(data_2d::polygon_area(loop.nodes), 24.0 - 2.0, 1e-12);  // round-off of ~30 products of order 10
}

// Random star-shaped loops: valid quadrilaterals whose areas add up to the loop's.
TEST(LoopMesherStamps, RandomSixAndEightCornerLoopsAreCoveredByValidCells) {
  std::mt19937 random(20261206);
  std::uniform_real_distribution<double> radius(0.3, 1.0);
  std::uniform_real_distribution<double> jitter(-0.35, 0.35);
  for (const int n : {6, 8}) {
    for (int trial = 0; trial < 400; ++trial) {
      std::vector<Point> corners;
      for (int k = 0; k < n; ++k) {
        const double a = 2.0 * std::numbers::pi * (k + jitter(random)) / n;
        const double r = radius(random);
        corners.push_back({r * std::cos(a), r * std::sin(a)});
      }
      const auto fill = n == 6 ? loop_mesher::stamp_6(corners, corner_angles(corners)) : loop_mesher::stamp_8(corners, corner_angles(corners));
      ASSERT_TRUE(fill.has_value()) << "trial " << trial;
      EXPECT_TRUE(loop_mesher::fill_is_valid(corners, *fill));
      double area = 0.0;
      for (const auto& cell : fill->cells) {
        std::vector<Point> p;
        for (const int i : cell) p.push_back(i < n ? corners[static_cast<std::size_t>(i)] : fill->extra[static_cast<std::size_t>(i - n)]);
        area += shoelace(p);
        EXPECT_EQ(cell.size(), 4u) << n << " corners, trial " << trial;
      }
      EXPECT_NEAR(area, shoelace(corners), 1e-14);  // round-off of a few products of order 1
    }
  }
}

TEST(LoopMesherStamps, SixCornerPatternsFollowTheFlatAndReflexCorners) {
  const struct {
    const char* name;
    std::vector<Point> corners;
    std::size_t cells, extra;
  } cases[] = {
      {"flat 1 and 4 (gap 3): split, two cells", {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}}, 2, 0},
      {"flat 0 and 1 (gap 1): transition", {{1, 0}, {2, 0}, {3, 0}, {3, 1}, {0, 1}, {0, 0}}, 4, 2},
      {"one reflex corner: split from it", {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, 2, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto fill = loop_mesher::stamp_6(c.corners, corner_angles(c.corners));
    ASSERT_TRUE(fill.has_value());
    EXPECT_EQ(fill->cells.size(), c.cells);
    EXPECT_EQ(fill->extra.size(), c.extra);
    EXPECT_TRUE(loop_mesher::fill_is_valid(c.corners, *fill));
  }
}

TEST(LoopMesherSplitting, EvenLoopsLeaveNoFiveOrSevenSegmentPiece) {
  // Wire segments of mixed length, so loops of up to eight segments stay.
  const std::vector<std::vector<Xy>> rings = {
      subdivide({{0, 0}, {9, 0}, {9, 2}, {0, 2}}, 0.7), subdivide({{0, 0}, {6, 0}, {6, 1}, {1, 1}, {1, 8}, {0, 8}}, 0.45),
      subdivide(regular(14, 3.0), 0.8), subdivide({{0, 0}, {5, 0}, {5, 5}, {3, 5}, {3, 1.5}, {0, 1.5}}, 0.33)};
  for (std::vector<Xy> ring : rings) {
    // An odd ring gets a node in the middle of its first segment.
    if (ring.size() % 2 == 1) ring.insert(ring.begin() + 1, 0.5 * (ring[0] + ring[1]));
    Loop_Mesher mesher;
    run_to_single_wire(mesher, make_record({ring}, 0.0));
    mesher.split_loops();
    EXPECT_GT(mesher.get_bisection_count(), 3u);
    for (const auto& loop : mesher.get_loops()) {
      EXPECT_TRUE(loop->segments() <= 8 && loop->segments() != 5 && loop->segments() != 7) << loop->segments();
    }
  }
}

TEST(LoopMesherSmoothing, MovesOnlyCreatedNodesAndNeverLowersTheWorstQuality) {
  const Mesh_Data record = make_record({subdivide({{0, 0}, {6, 0}, {6, 1}, {1, 1}, {1, 5}, {0, 5}}, 0.4),
                                        subdivide({{0.3, 0.3}, {0.3, 0.7}, {0.7, 0.7}, {0.7, 0.3}}, 0.2)},
                                       0.4);
  Loop_Mesher mesher;
  mesher.set_smoothing(false);
  run_to_closure(mesher, record);
  std::vector<Point> before;
  for (const auto& node : mesher.get_nodes()) before.push_back(node->point());
  const double worst_before = min_cell_quality(mesher);
  loop_mesher::Smoother smoother(mesher.get_nodes(), mesher.get_elements());
  smoother.laplacian(3, nullptr);
  smoother.angle_based(1, nullptr);
  smoother.improve(2, nullptr);
  EXPECT_GE(min_cell_quality(mesher), worst_before);
  std::size_t moved = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    const auto& node = *mesher.get_nodes()[i];
    const bool same = node.point() == before[i];
    EXPECT_TRUE(same || (node.id == 0 && node.on_boundary == 0)) << "wire node " << i << " moved";
    moved += same ? 0 : 1;
  }
  EXPECT_GT(moved, 0u);
}

// Linear and quadratic: grid_refuses outlines are the drivers' fallback from the grid mesher;
// the others random outlines that once failed. Rings are cut at the size unless whole.
struct Outline_Case {
  const char* name;
  std::vector<std::pair<bool, std::vector<Xy>>> rings;  // (whole, corners)
  double size;
  bool grid_refuses = false;
};

TEST(LoopMesherRobustness, MeshesFallbacksAndOutlinesThatOnceFailed) {
  const std::vector<Outline_Case> cases = {
      // The grid cell [1.3, 2.6]^2 keeps its corners (0.92 > r = 0.707 from the hole) and the
      // hole crosses none of its sides: only the area check stops the cell covering it.
      {"hole inside a grid cell", {{true, {{0, 0}, {3.9, 0}, {3.9, 3.9}, {0, 3.9}}}, {true, {{1.9, 1.9}, {1.9, 2.0}, {2.0, 2.0}, {2.0, 1.9}}}}, 1.0, true},
      {"strip as wide as the size", {{true, {{0, 0}, {10, 0}, {10, 1}, {0, 1}}}}, 1.0, true},
      {"strip narrower than the size", {{true, {{0, 0}, {10, 0}, {10, 0.5}, {0, 0.5}}}}, 0.6, true},
      {"thin angle", {{true, {{0, 0}, {10, 0}, {10, 0.3}, {0.3, 0.3}, {0.3, 10}, {0, 10}}}}, 0.5, true},
      {"1.1 degree sliver", {{true, {{0, 0}, {10, 0}, {10, 0.2}}}}, 1.0, true},
      {"slanted sliver", {{true, {{0, 0}, {10, 3}, {10, 3.3}}}}, 0.5, true},
      {"chord through a wire node",
       {{false, {{0.991435227, -0.068256848}, {0.491567582, 0.210461844}, {0.570875253, 0.618143695}, {0.180112220, 0.551025412},
                 {-0.116140468, 0.668990144}, {-0.437035342, 0.813332580}, {-0.777390386, 0.515170730}, {-0.623354968, 0.124901257},
                 {-0.712190947, -0.131404414}, {-0.663250816, -0.447802717}, {-0.530119838, -0.829152064}, {-0.102480242, -0.707868216},
                 {0.281047674, -0.700693955}, {0.591189312, -0.602474433}, {0.897207179, -0.397665851}}}},
       0.025230545595678572},
      {"flat quadrilateral next to a hole",
       {{true, {{0.638472544, -0.026819837}, {0.854896992, 0.412807828}, {0.419403715, 0.437882067}, {0.203026062, 0.551988109},
                {0.009347727, 0.747980343}, {-0.235620337, 0.549237689}, {-0.499206022, 0.521241304}, {-0.812854478, 0.390940522},
                {-0.690812200, -0.027071460}, {-0.553861104, -0.236242458}, {-0.336050341, -0.355250392}, {-0.173726562, -0.513698173},
                {-0.018009231, -0.995921966}, {0.145442940, -0.403279837}, {0.364590836, -0.366865937}, {0.473456317, -0.199980245}}},
        {false, {{0.261032938, 0.038120721}, {0.149576830, -0.154926922}, {-0.073335387, -0.154926922}, {-0.184791496, 0.038120721},
                 {-0.073335387, 0.231168364}, {0.149576830, 0.231168364}}}},
       0.044723883548829654},
      {"chord node merged into its end",
       {{false, {{0.794589391, -0.000069449}, {0.649308855, 0.118815576}, {0.727072724, 0.344624270}, {0.479818275, 0.320765616},
                 {0.442308140, 0.529632080}, {0.268006100, 0.467774029}, {0.152385182, 0.437908366}, {0.064868607, 0.819398452},
                 {-0.094889335, 0.711502749}, {-0.242781159, 0.700100492}, {-0.251592156, 0.477529797}, {-0.492651698, 0.520956334},
                 {-0.446626102, 0.314529962}, {-0.906765008, 0.368887427}, {-0.591171402, 0.147283939}, {-0.693982826, 0.000374374},
                 {-0.846844228, -0.167316229}, {-0.728615981, -0.340350639}, {-0.437361372, -0.297614889}, {-0.370799130, -0.442028700},
                 {-0.240804821, -0.443399209}, {-0.202538367, -0.641889771}, {-0.088193999, -0.979941570}, {0.063443857, -0.776654554},
                 {0.282158659, -0.782833285}, {0.348952575, -0.636591383}, {0.634816646, -0.744688262}, {0.521637213, -0.351673583},
                 {0.754927652, -0.329567243}, {0.776538785, -0.169517606}}}},
       0.20226466941678992},
      {"flat quadrilateral at a bridge",
       {{true, {{0.855840590, 0.016893254}, {0.455595751, 0.463673622}, {0.076293955, 0.540992963}, {-0.240406790, 0.450517419},
                {-0.921253134, 0.353457876}, {-0.434288854, -0.218522578}, {-0.364148510, -0.599894709}, {0.104095667, -0.804130607},
                {0.671011614, -0.551808832}}},
        {false, {{0.218943278, 0.065173566}, {0.161047413, -0.055048435}, {0.030956586, -0.084740818}, {-0.073368157, -0.001544611},
                 {-0.073368157, 0.131891743}, {0.030956586, 0.215087950}, {0.161047413, 0.185395568}}}},
       0.03167424631966495},
  };
  for (const Outline_Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::vector<Xy>> rings;
    for (const auto& [whole, corners] : c.rings) rings.push_back(whole ? corners : subdivide(corners, c.size));
    Mesh_Data record = make_record(rings, c.size);
    if (c.grid_refuses) {
      Mesh_Data grid_record = record;
      domain_maker::Flat_Mesh flat;
      EXPECT_EQ(mesher_test::error_of([&] { mesher_2d::run_grid_mesher(grid_record, flat); }),
                "* failed to fill gaps - Grid_Mesher::generate_mesh()");
    }
    for (const std::uint8_t quadratic : {0, 1}) {
      record.quadratic = quadratic;
      mesher_test::expect_meshes_validly<Loop_Mesher>(record);
    }
  }
}

// Random star-shaped outlines, half with a hole, wires cut or whole: they found empty bridge
// pieces, chords through wire nodes and chord nodes merged into chord ends.
TEST(LoopMesherRobustness, RandomOutlinesGiveValidMeshes) {
  const auto cross = [](Xy p0, Xy p1, Xy q0, Xy q1) {
    const auto o = [](Xy a, Xy b, Xy c) { return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x); };
    return o(p0, p1, q0) * o(p0, p1, q1) < 0.0 && o(q0, q1, p0) * o(q0, q1, p1) < 0.0;
  };
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 80; ++trial) {
    const int n = 5 + static_cast<int>(random() % 30);
    std::vector<Xy> outer;
    for (int k = 0; k < n; ++k) {
      const double a = 2.0 * std::numbers::pi * (k + 0.4 * (unit(random) - 0.5)) / n;
      const double r = 0.4 + 0.6 * unit(random);
      outer.push_back({r * std::cos(a), r * std::sin(a)});
    }
    const double size = 0.05 + 0.15 * unit(random);
    std::vector<std::vector<Xy>> rings{outer};
    if (random() % 2 == 0) {
      // Outer sides lie 0.25 (0.4 cos 0.88) or more out: a hole crossing none lies inside.
      const double c = 0.1 * unit(random);
      const double r = 0.05 + 0.2 * unit(random);
      const int m = 3 + static_cast<int>(random() % 8);
      std::vector<Xy> hole;
      for (int k = 0; k < m; ++k) hole.push_back({c + r * std::cos(-2.0 * std::numbers::pi * k / m), c + r * std::sin(-2.0 * std::numbers::pi * k / m)});
      bool valid = true;
      for (std::size_t i = 0; i < hole.size(); ++i) {
        for (std::size_t a = 0; a < outer.size(); ++a) {
          valid = valid && !cross(hole[i], hole[(i + 1) % hole.size()], outer[a], outer[(a + 1) % outer.size()]);
        }
      }
      if (valid) rings.push_back(hole);
    }
    const bool whole = random() % 4 == 0;
    for (auto& ring : rings) ring = whole ? ring : subdivide(ring, size);
    SCOPED_TRACE("trial " + std::to_string(trial));
    mesher_test::expect_meshes_validly<Loop_Mesher>(make_record(rings, size));
  }
}

}  // namespace
