#include "mesher/mesher_2d/mesher_2d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

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

// The frame with a trivial generate_mesh and its state opened for hand-built elements.
class Frame : public mesher_2d::Mesher_2D {
 public:
  void generate_mesh(Mesh_Data&, mesher_2d::Interrupt) override {}
  using Mesher_2D::elements, Mesher_2D::nodes, Mesher_2D::tolerance;
  Node* add(double x, double y, std::uint32_t id = 0) {
    nodes.push_back(std::make_unique<Node>(id, x, y));
    return nodes.back().get();
  }
  void add_element(std::vector<Node*> corners) { elements.push_back(std::make_unique<Element>(std::move(corners))); }
};

std::string failure_of(const Mesh_Data& record) {
  Frame frame;
  return mesher_test::error_of([&] { frame.load_input_data(record); });
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
  // Ids count from 1 in record order: each wire's second node tells whether it was reversed.
  const struct {
    std::vector<std::vector<Xy>> rings;
    std::uint32_t outer_second, inner_second;
  } cases[] = {
      {{{{0, 0}, {0, 4}, {4, 4}, {4, 0}}, {{1, 1}, {2, 1}, {2, 2}, {1, 2}}}, 4, 8},  // both reversed
      {{{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{1, 1}, {1, 2}, {2, 2}, {2, 1}}}, 2, 6},  // both kept
  };
  for (const auto& c : cases) {
    Frame frame;
    frame.load_input_data(make_record(c.rings, 0.0));
    EXPECT_EQ(frame.get_wires()[0]->nodes[1]->id, c.outer_second);
    EXPECT_EQ(frame.get_wires()[1]->nodes[1]->id, c.inner_second);
  }
}

TEST(Mesher2DInputCheck, KeepsOnlySeedsStrictlyInsideTheRegion) {
  Mesh_Data record = make_record({{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{1, 1}, {1, 2}, {2, 2}, {2, 1}}}, 0.0, {},
                                 {{3, 3}, {5, 5}, {1.5, 1.5}});
  record.nodes[0].seed = 1;  // a wire node flagged seed stays a node, not a seed
  Frame frame;
  frame.load_input_data(record);
  ASSERT_EQ(frame.get_seeds().size(), 1u);
  EXPECT_EQ(frame.get_seeds()[0]->x, 3.0);
  EXPECT_EQ(frame.get_nodes().size(), record.nodes.size() - 2);  // outside and in-hole seeds deleted
}

TEST(Mesher2DTolerance, IsRootRuleCappedAtQuarterSpacing) {
  // Spacing 1: sqrt(1)/100. At 1e-4 the sqrt rule would merge a midpoint 5e-5 away with a
  // corner; the cap gives 2.5e-5. The rules meet at 1.6e-3 (4e-4).
  for (const auto& [height, tolerance] : {std::pair{1.0, 0.01}, {1e-4, 2.5e-5}, {1.6e-3, 4e-4}}) {
    Frame frame;
    frame.load_input_data(make_record({{{0, 0}, {1, 0}, {1, height}, {0, height}}}, 0.0));
    EXPECT_NEAR(frame.get_tolerance(), tolerance, 1e-15) << height;  // round-off of sqrt
  }
  // Without input data: sqrt of the spacing 2 over 100; a pair closer than it is refused.
  Frame frame;
  frame.add(0, 0, 1);
  frame.add(2, 0, 2);
  frame.prepare_mesh();
  EXPECT_DOUBLE_EQ(frame.get_tolerance(), std::sqrt(2.0) / 100.0);
  Frame overlap;
  overlap.add(0, 0, 1);
  overlap.add(1e-9, 0, 2);
  EXPECT_EQ(mesher_test::error_of([&] { overlap.prepare_mesh(); }), "* overlapped nodes exist - Mesher_2D::prepare_mesh()");
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

// Against a scan in node order with many multiple matches: the first match or a new unnumbered
// node; the boundary mark written only when asked.
TEST(Mesher2DNodeLookup, MatchesScanOverAllNodes) {
  Frame frame;
  frame.tolerance = 0.05;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> coordinate(-1.0, 3.0);
  for (int i = 0; i < 50; ++i) frame.add(coordinate(random), coordinate(random));
  for (int k = 0; k < 4000; ++k) {
    const data_2d::Point p{coordinate(random) * 0.5, coordinate(random) * 0.5};
    Node* expected = nullptr;
    for (const auto& n : frame.get_nodes()) {
      if ((n->x - p.x) * (n->x - p.x) + (n->y - p.y) * (n->y - p.y) < 0.05 * 0.05) {
        expected = n.get();
        break;
      }
    }
    const std::size_t before = frame.get_nodes().size();
    const bool mark = k % 2 == 0;
    const std::uint8_t was = expected != nullptr ? expected->on_boundary : 0;
    const Node* found = frame.find_or_create_node(p, mark);
    if (expected != nullptr) {
      EXPECT_EQ(found, expected);
      EXPECT_EQ(found->on_boundary, mark ? 1 : was);
    } else {
      ASSERT_EQ(frame.get_nodes().size(), before + 1);
      EXPECT_EQ(found, frame.get_nodes().back().get());
      EXPECT_TRUE(found->id == 0 && found->x == p.x && found->y == p.y);
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
      // The shorter BD runs outside: splitting along it would give the clockwise (B, C, D).
      {"non-convex: the diagonal inside", {{0, 0}, {10, -1}, {9, 0}, {10, 1}}, {{0, 1, 2, 3}}, {{0, 1, 2}, {0, 2, 3}}},
      // B is a 180 degree corner: the collinear triangle (quality 0) is removed.
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
  // The outside seed comes first and is dropped; wire nodes keep their record numbers.
  Mesh_Data record;
  record.nodes.push_back({0, 1, 0.0, 5.0, 5.0});
  for (const Xy p : std::vector<Xy>{{0, 0}, {1, 0}, {1, 1}, {0, 1}}) record.nodes.push_back({1, 0, 0.0, p.x, p.y});
  record.wires.push_back({0, 1, {1, 2, 3, 4, 1}});
  grid_mesher::Grid_Mesher mesher;
  mesher.generate_mesh(record, nullptr);
  ASSERT_EQ(record.nodes.size(), 5u);  // corner-only square: no node created
  ASSERT_EQ(record.elements.size(), 2u);
  for (const auto& e : record.elements) EXPECT_GE(*std::min_element(e.begin(), e.end()), 1);  // the seed's 0 unused
  EXPECT_EQ(mesher_test::corner_area(record, record.elements[0]) + mesher_test::corner_area(record, record.elements[1]), 1.0);
  EXPECT_EQ(record.nodes[0].x, 5.0);
}

// An interrupt ends either mesher with a textless exception; mode 0 leaves quadrilaterals, 2 none.
TEST(Mesher2DRun, InterruptAndFinishModes) {
  const Mesh_Data input = make_record({mesher_test::subdivide({{0, 0}, {4, 0}, {4, 3}, {0, 3}}, 0.5)}, 0.5);
  grid_mesher::Grid_Mesher grid;
  loop_mesher::Loop_Mesher loop;
  for (mesher_2d::Mesher_2D* mesher : std::initializer_list<mesher_2d::Mesher_2D*>{&grid, &loop}) {
    Mesh_Data stopped = input;
    EXPECT_EQ(mesher_test::error_of<mesher_2d::interrupt_exception>([&] { mesher->generate_mesh(stopped, [] { return true; }); }),
              "Unknown exception");
  }
  for (const std::int32_t mode : {0, 2}) {
    Mesh_Data record = input;
    record.finish_mode = mode;
    grid_mesher::Grid_Mesher mesher;
    mesher.generate_mesh(record, nullptr);
    const auto quadrilaterals = std::count_if(record.elements.begin(), record.elements.end(), [](const auto& e) { return e.size() == 4; });
    EXPECT_EQ(quadrilaterals > 0, mode == 0) << mode;
    if (mode == 2) {
      mesher_test::expect_valid_mesh(input, record, mesher.get_tolerance());
    }
  }
}

// The entries overwrite the fields a caller may not choose (flat arrays: corpus, flat-mesh tests).
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
    EXPECT_EQ(mesher_test::error_of([&] { entry(broken, untouched); }), "* no outer wire - Mesher_2D::check_input_data()");
    EXPECT_EQ(untouched.n_nodes, 0);
  }
}

}  // namespace
