#include "mesher/mesher_2d/mesher_2d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "mesher/data_2d/mesh_error.h"
#include "mesher/grid_mesher/grid_mesher.h"
#include "mesher/loop_mesher/loop_mesher.h"
#include "mesher/mesher_2d/run_mesher.h"
#include "mesher_2d_support.h"

namespace {

using data_2d::Element;
using data_2d::Node;
using domain_maker::Mesh_Data;
using mesher_test::make_record;
using mesher_test::Xy;

// The frame with a trivial generate_mesh, and its protected state opened for
// building elements by hand.
class Frame : public mesher_2d::Mesher_2D {
 public:
  void generate_mesh(Mesh_Data&, mesher_2d::Interrupt) override {}
  using Mesher_2D::elements;
  using Mesher_2D::nodes;
  using Mesher_2D::tolerance;
  Node* add(double x, double y, std::uint32_t id = 0) {
    nodes.push_back(std::make_unique<Node>(id, x, y));
    return nodes.back().get();
  }
  void add_element(std::vector<Node*> corners) { elements.push_back(std::make_unique<Element>(std::move(corners))); }
};

std::string failure_of(Mesh_Data record) {
  Frame frame;
  try {
    frame.load_input_data(record);
  } catch (const data_2d::Mesh_Error& e) {
    return e.what();
  }
  return "";
}

Mesh_Data unit_square() { return make_record({{{0, 0}, {1, 0}, {1, 1}, {0, 1}}}, 0.0); }

// Each broken record, made from the unit square by one change, with its text.
TEST(Mesher2DInputCheck, RejectsEachBrokenInputWithItsText) {
  const std::string check = " - Mesher_2D::check_input_data()";
  const std::string load = " - Mesher_2D::load_input_data()";
  const std::vector<std::pair<void (*)(Mesh_Data&), std::string>> cases = {
      {[](Mesh_Data& m) { m = Mesh_Data{}; }, "* no input node" + check},
      {[](Mesh_Data& m) { m.wires.clear(); }, "* no input wire" + check},
      {[](Mesh_Data& m) { m.wires[0].kind = 2; }, "* no outer wire" + check},
      {[](Mesh_Data& m) { m = make_record({{{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{2, 0}, {3, 0}, {3, 1}}}, 0.0);
                          m.wires[1].kind = 1; }, "* multiple outer wire" + check},
      // The close pair need not be on a wire.
      {[](Mesh_Data& m) { m.nodes.insert(m.nodes.end(), {{0, 0, 0.0, 0.5, 0.5}, {0, 0, 0.0, 0.5 + 1e-9, 0.5}}); },
       "* overlapped nodes exist" + check},
      {[](Mesh_Data& m) { m.wires[0].nodes.pop_back(); }, "* outer and inner wires should be closed" + check},
      {[](Mesh_Data& m) { m.wires[0].nodes.clear(); }, "* outer and inner wires should be closed" + check},
      {[](Mesh_Data& m) { m.wires[0].nodes.insert(m.wires[0].nodes.begin() + 1, m.wires[0].nodes[1]); },
       "* invalid wire node data" + check},
      {[](Mesh_Data& m) { m.wires[0].nodes[2] = 4; }, "* invalid wire node data" + load},  // outside the record
      {[](Mesh_Data& m) { m.wires[0].nodes[2] = -1; }, "* invalid wire node data" + load},
      {[](Mesh_Data& m) { m.wires[0].kind = 4; }, "* invalid wire node data" + load},  // unknown kind
  };
  for (std::size_t k = 0; k < cases.size(); ++k) {
    Mesh_Data record = unit_square();
    cases[k].first(record);
    EXPECT_EQ(failure_of(record), cases[k].second) << "case " << k;
  }
}

TEST(Mesher2DInputCheck, OrientsOuterCounterClockwiseAndInnerClockwise) {
  // Outer given clockwise, hole given counter-clockwise: both are reversed.
  Mesh_Data record = make_record({{{0, 0}, {0, 4}, {4, 4}, {4, 0}}, {{1, 1}, {2, 1}, {2, 2}, {1, 2}}}, 0.0);
  Frame frame;
  frame.load_input_data(record);
  const auto& outer = frame.get_wires()[0]->nodes;
  const auto& inner = frame.get_wires()[1]->nodes;
  EXPECT_EQ(outer[1]->id, 4u);  // 0 -> (4,0): the list reversed
  EXPECT_EQ(inner[1]->id, 8u);  // (1,1) -> (1,2)

  // Already counter-clockwise outer, clockwise hole: left in their order.
  Mesh_Data kept = make_record({{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{1, 1}, {1, 2}, {2, 2}, {2, 1}}}, 0.0);
  Frame frame2;
  frame2.load_input_data(kept);
  EXPECT_EQ(frame2.get_wires()[0]->nodes[1]->id, 2u);
  EXPECT_EQ(frame2.get_wires()[1]->nodes[1]->id, 6u);
}

TEST(Mesher2DInputCheck, KeepsOnlySeedsStrictlyInsideTheRegion) {
  Mesh_Data record = make_record({{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{1, 1}, {1, 2}, {2, 2}, {2, 1}}}, 0.0, {},
                                 {{3, 3}, {5, 5}, {1.5, 1.5}});
  record.nodes[0].seed = 1;  // a wire node flagged seed stays a node, not a seed
  Frame frame;
  frame.load_input_data(record);
  ASSERT_EQ(frame.get_seeds().size(), 1u);
  EXPECT_EQ(frame.get_seeds()[0]->x, 3.0);
  // Outside and in-hole seeds are deleted; the wire node stays.
  EXPECT_EQ(frame.get_nodes().size(), record.nodes.size() - 2);
}

TEST(Mesher2DTolerance, IsRootRuleCappedAtQuarterSpacing) {
  // Spacing 1: sqrt(1)/100 = 0.01. Spacing 1e-4: sqrt rule 1e-4 would merge
  // a midpoint 5e-5 away with a corner; the cap gives 2.5e-5. The two rules
  // meet at spacing 1.6e-3 (4e-4).
  for (const auto& [height, tolerance] : {std::pair{1.0, 0.01}, {1e-4, 2.5e-5}, {1.6e-3, 4e-4}}) {
    Frame frame;
    frame.load_input_data(make_record({{{0, 0}, {1, 0}, {1, height}, {0, height}}}, 0.0));
    EXPECT_NEAR(frame.get_tolerance(), tolerance, 1e-15) << height;  // round-off of sqrt
  }
}

TEST(Mesher2DTolerance, NarrowRegionKeepsMidSideNodesApartFromCorners) {
  // Spacing 2e-4: the unmended tolerance sqrt(2e-4)/100 = 1.4e-4 exceeds the
  // 1e-4 from a short side's midpoint to its corners, which would collapse
  // the quadratic elements.
  Mesh_Data record = make_record({{{0, 0}, {1, 0}, {1, 2e-4}, {0, 2e-4}}}, 0.0);
  record.quadratic = 1;
  const Mesh_Data input = record;
  grid_mesher::Grid_Mesher mesher;
  mesher.generate_mesh(record, nullptr);
  mesher_test::expect_valid_mesh(input, record, 5e-5);
}

TEST(Mesher2DPrepare, AutomaticSizeIsMeanSegmentLength) {
  // Unit square: 1; segments 3, 4 and 5: mean 4; an explicit size is kept.
  const std::vector<std::pair<Mesh_Data, double>> cases = {{unit_square(), 1.0},
                                                           {make_record({{{0, 0}, {4, 0}, {0, 3}}}, 0.0), 4.0},
                                                           {make_record({{{0, 0}, {4, 0}, {0, 3}}}, 0.7), 0.7}};
  for (const auto& [record, size] : cases) {
    Frame frame;
    frame.load_input_data(record);
    frame.prepare_mesh();
    EXPECT_DOUBLE_EQ(frame.get_element_size(), size);
  }
}

TEST(Mesher2DPrepare, ComputesMissingToleranceAndRejectsOverlap) {
  Frame frame;
  frame.add(0, 0, 1);
  frame.add(2, 0, 2);
  frame.prepare_mesh();
  EXPECT_DOUBLE_EQ(frame.get_tolerance(), std::sqrt(2.0) / 100.0);
  Frame overlap;
  overlap.add(0, 0, 1);
  overlap.add(1e-9, 0, 2);
  try {
    overlap.prepare_mesh();
    ADD_FAILURE() << "no exception";
  } catch (const data_2d::Mesh_Error& e) {
    EXPECT_STREQ(e.what(), "* overlapped nodes exist - Mesher_2D::prepare_mesh()");
  }
}

// Which node a lookup returns is checked against a scan below; here what it
// writes: the boundary mark only when asked, and a created node's contents.
TEST(Mesher2DNodeLookup, MarksOnlyWhenAskedAndCreatesAnUnnumberedNode) {
  Frame frame;
  frame.tolerance = 0.1;
  Node* first = frame.add(0.0, 0.0);
  Node* second = frame.add(0.12, 0.0);
  EXPECT_EQ(frame.find_or_create_node({0.09, 0.0}, true), first);  // nearer the second, first in order
  EXPECT_EQ(first->on_boundary, 1);
  EXPECT_EQ(frame.find_or_create_node({0.2, 0.0}, false), second);
  EXPECT_EQ(second->on_boundary, 0);
  Node* created = frame.find_or_create_node({0.5, 0.5}, false);
  EXPECT_EQ(frame.get_nodes().size(), 3u);
  EXPECT_EQ(created->id, 0u);
  EXPECT_EQ(created->x, 0.5);
}

TEST(Mesher2DNodeLookup, MatchesScanOverAllNodes) {
  // Random lookups against a scan in node order, with a tolerance large
  // enough that many points have several matches.
  Frame frame;
  frame.tolerance = 0.05;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> coordinate(-1.0, 3.0);
  for (int i = 0; i < 50; ++i) frame.add(coordinate(random), coordinate(random));
  for (int k = 0; k < 4000; ++k) {
    const data_2d::Point p{coordinate(random) * 0.5, coordinate(random) * 0.5};
    const Node* expected = nullptr;
    for (const auto& n : frame.get_nodes()) {
      if ((n->x - p.x) * (n->x - p.x) + (n->y - p.y) * (n->y - p.y) < 0.05 * 0.05) {
        expected = n.get();
        break;
      }
    }
    const std::size_t before = frame.get_nodes().size();
    const Node* found = frame.find_or_create_node(p, false);
    if (expected != nullptr) {
      EXPECT_EQ(found, expected);
    } else {
      EXPECT_EQ(frame.get_nodes().size(), before + 1);
      EXPECT_EQ(found, frame.get_nodes().back().get());
    }
  }
}

struct Split_Case {
  const char* name;
  std::vector<Xy> points;
  std::vector<std::vector<int>> before, after;  // elements as indices into points
  bool flat = false;                            // split_flat_quadrilaterals instead
};

TEST(Mesher2DSplit, QuadrilateralsSplitAlongTheRightDiagonal) {
  const std::vector<Split_Case> cases = {
      // Triangles stay first; the quadrilateral's two triangles follow.
      {"equal diagonals take the second", {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {2, 0}}, {{0, 1, 2, 3}, {1, 4, 2}},
       {{1, 4, 2}, {0, 1, 3}, {1, 2, 3}}},
      // |BD|^2 = 5.44 is not above |AC|^2 = 7.25: along BD.
      {"shorter diagonal BD", {{0, 0}, {2, 0}, {2.5, 1}, {0, 1.2}}, {{0, 1, 2, 3}}, {{0, 1, 3}, {1, 2, 3}}},
      {"shorter diagonal AC", {{0, 0}, {3, 0}, {1, 1}, {-2, 1}}, {{0, 1, 2, 3}}, {{0, 1, 2}, {0, 2, 3}}},  // |QS|^2 = 26 > |PR|^2 = 2
      // BD (length 2) is the shorter diagonal but runs outside; splitting
      // along it would give the clockwise (B, C, D).
      {"non-convex: the diagonal inside", {{0, 0}, {10, -1}, {9, 0}, {10, 1}}, {{0, 1, 2, 3}}, {{0, 1, 2}, {0, 2, 3}}},
      // B is a 180 degree corner between A and C; the collinear triangle
      // (quality 0) is removed.
      {"flat corner, sliver dropped", {{0, 0}, {1, 0}, {2, 0}, {1, 1}, {3, 0}}, {{0, 1, 2, 3}, {1, 2, 4}},
       {{1, 2, 3}, {1, 3, 0}}, true},
  };
  for (const Split_Case& c : cases) {
    SCOPED_TRACE(c.name);
    Frame frame;
    std::vector<Node*> n;
    for (const Xy p : c.points) n.push_back(frame.add(p.x, p.y));
    const auto nodes_of = [&](const std::vector<int>& e) {
      std::vector<Node*> out;
      for (const int i : e) out.push_back(n[static_cast<std::size_t>(i)]);
      return out;
    };
    for (const auto& e : c.before) frame.add_element(nodes_of(e));
    if (c.flat) {
      frame.split_flat_quadrilaterals();
    } else {
      frame.split_quadrilaterals();
    }
    ASSERT_EQ(frame.get_elements().size(), c.after.size());
    for (std::size_t k = 0; k < c.after.size(); ++k) EXPECT_EQ(frame.get_elements()[k]->nodes, nodes_of(c.after[k])) << k;
  }
}

TEST(Mesher2DWrite, NumbersInputNodesByTheirRecordEvenAfterDroppedSeed) {
  // The seed outside the square comes first in the record; the mesher drops
  // it, yet every wire node keeps its record number and no record is written
  // twice. An input node on no wire is not duplicated either.
  Mesh_Data record;
  record.nodes.push_back({0, 1, 0.0, 5.0, 5.0});  // seed, outside
  for (const Xy p : std::vector<Xy>{{0, 0}, {1, 0}, {1, 1}, {0, 1}}) record.nodes.push_back({1, 0, 0.0, p.x, p.y});
  record.wires.push_back({0, 1, {1, 2, 3, 4, 1}});
  const Mesh_Data input = record;
  grid_mesher::Grid_Mesher mesher;
  mesher.generate_mesh(record, nullptr);
  ASSERT_EQ(record.nodes.size(), 5u);  // corner-only square: no node created
  ASSERT_EQ(record.elements.size(), 2u);
  for (const auto& e : record.elements) {
    for (const auto i : e) EXPECT_GE(i, 1);  // the dropped seed is used by none
  }
  const double area = std::abs(mesher_test::corner_area(record, record.elements[0])) +
                      std::abs(mesher_test::corner_area(record, record.elements[1]));
  EXPECT_DOUBLE_EQ(area, 1.0);
  EXPECT_EQ(record.nodes[0].x, input.nodes[0].x);
}

// Both meshers: an interrupt ends the run with a textless exception.
TEST(Mesher2DRun, InterruptInBothMeshers) {
  const Mesh_Data input = make_record({mesher_test::subdivide({{0, 0}, {4, 0}, {4, 3}, {0, 3}}, 0.5)}, 0.5);
  grid_mesher::Grid_Mesher grid;
  loop_mesher::Loop_Mesher loop;
  for (mesher_2d::Mesher_2D* mesher : std::initializer_list<mesher_2d::Mesher_2D*>{&grid, &loop}) {
    Mesh_Data stopped = input;
    try {
      mesher->generate_mesh(stopped, [] { return true; });
      ADD_FAILURE() << "no exception";
    } catch (const mesher_2d::interrupt_exception& e) {
      EXPECT_STREQ(e.what(), "Unknown exception");
    }
  }
}

TEST(Mesher2DRun, FinishModeSelectsTheSplit) {
  const Mesh_Data base = make_record({mesher_test::subdivide({{0, 0}, {4, 0}, {4, 3}, {0, 3}}, 0.5)}, 0.5);
  const auto count_by_size = [](const Mesh_Data& m, std::size_t k) {
    return std::count_if(m.elements.begin(), m.elements.end(), [k](const auto& e) { return e.size() == k; });
  };
  Mesh_Data left = base;
  left.finish_mode = 0;  // quadrilaterals stay
  grid_mesher::Grid_Mesher a;
  a.generate_mesh(left, nullptr);
  EXPECT_GT(count_by_size(left, 4), 0);
  Mesh_Data mode_two = base;
  mode_two.finish_mode = 2;  // finishes like mode 1
  grid_mesher::Grid_Mesher b;
  b.generate_mesh(mode_two, nullptr);
  EXPECT_EQ(count_by_size(mode_two, 4), 0);
  EXPECT_EQ(static_cast<std::size_t>(count_by_size(mode_two, 3)), mode_two.elements.size());
}

// The drivers' entries overwrite the fields a caller may not choose; the
// flat arrays they fill are checked in the corpus and flat-mesh tests.
TEST(Mesher2DRun, EntriesSetTheCallerFieldsAndPassErrorsOn) {
  for (const auto entry : {&mesher_2d::run_grid_mesher, &mesher_2d::run_loop_mesher}) {
    Mesh_Data record = make_record({mesher_test::subdivide({{0, 0}, {3, 0}, {3, 2}, {0, 2}}, 0.5)}, 0.5);
    record.finish_mode = 0;
    record.size_factor = 2.0;
    domain_maker::Flat_Mesh flat;
    entry(record, flat);
    EXPECT_EQ(record.finish_mode, 1);
    EXPECT_EQ(record.size_factor, 1.0);
    EXPECT_EQ(static_cast<std::size_t>(flat.n_elements), record.elements.size());
    Mesh_Data broken = unit_square();
    broken.wires[0].kind = 2;
    domain_maker::Flat_Mesh untouched;
    try {
      entry(broken, untouched);
      ADD_FAILURE() << "no exception";
    } catch (const data_2d::Mesh_Error& e) {
      EXPECT_STREQ(e.what(), "* no outer wire - Mesher_2D::check_input_data()");
    }
    EXPECT_EQ(untouched.n_nodes, 0);
  }
}

}  // namespace
