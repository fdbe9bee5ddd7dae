#include "mesher/domain_maker/domain_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "mesher/data_2d/primitives.h"
#include "mesher_2d_support.h"

namespace domain_maker {
namespace {

using data_2d::Point;

using mesher_test::Outline;

// The record with every segment divided into `pieces` equal parts.
Domain_Data make_record(const Outline& outline, int pieces = 1) { return mesher_test::section_record(outline, 0.0, pieces); }

// Points and edges (polylines over 0-based point numbers) as a host draws them.
Outline drawing(std::vector<Point> points, std::vector<std::vector<int>> edges) { return {std::move(points), std::move(edges), {}, {}, {}}; }

// `o` with the points and edges of `more` appended; its edges number all points.
Outline plus(Outline o, const Outline& more) {
  o.points.insert(o.points.end(), more.points.begin(), more.points.end());
  o.edges.insert(o.edges.end(), more.edges.begin(), more.edges.end());
  return o;
}

// Closed polygons, one edge per side.
Outline loops(std::initializer_list<std::vector<Point>> rings) {
  Outline o;
  for (const auto& ring : rings) {
    const int first = static_cast<int>(o.points.size()), n = static_cast<int>(ring.size());
    o.points.insert(o.points.end(), ring.begin(), ring.end());
    for (int k = 0; k < n; ++k) o.edges.push_back({first + k, first + (k + 1) % n});
  }
  return o;
}

const Wire_Record& wire_of(const Domain_Data& record, std::size_t domain, std::size_t k) {
  return record.wires[static_cast<std::size_t>(record.domains[domain].wires[k])];
}

std::vector<std::int32_t> kinds_of(const Domain_Data& record, std::size_t domain) {
  std::vector<std::int32_t> kinds;
  for (const std::int32_t w : record.domains[domain].wires) kinds.push_back(record.wires[static_cast<std::size_t>(w)].kind);
  return kinds;
}

struct Result {
  Domain_Data record;
  std::vector<std::int32_t> loose;
};

Result run(const Outline& outline, int pieces = 1, bool check_inner = true) {
  Result r{make_record(outline, pieces), {}};
  Domain_Maker maker;
  maker.make_domain(r.record, r.loose, check_inner);
  return r;
}

// Wire areas come from exact corner coordinates: a few ulps of the area.
constexpr double area_round_off = 1e-9;
constexpr double open_line = std::numeric_limits<double>::quiet_NaN();

// Kind, signed area (holes negative; open lines unchecked) and, unless 0, the node entries.
struct Wire_Expectation {
  std::int32_t kind;
  double area;
  std::size_t nodes = 0;
};

struct Shape_Case {
  const char* name;
  Outline outline;
  int pieces;
  std::vector<std::vector<Wire_Expectation>> domains;
  bool check_inner = true;
};

// Also: no loose edge, nodes untouched, wires closed, each wire in one domain (none left behind).
TEST(DomainMaker, ShapesGiveTheirDomainsAndWires) {
  // A polyline hanging off the corner (4, 3).
  const Outline flag = plus(loops({{{0, 0}, {4, 0}, {4, 3}, {0, 3}}}), drawing({{7, 6}, {9, 6}}, {{2, 4}, {4, 5}}));
  const Outline nested = loops({{{0, 0}, {10, 0}, {10, 8}, {0, 8}}, {{2, 2}, {2, 5}, {6, 5}, {6, 2}}});  // the inner clockwise
  // A stick from the corner (0,0) to (4,4).
  const Outline lollipop = plus(loops({{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{4, 4}, {6, 4}, {6, 6}, {4, 6}}}), drawing({}, {{0, 4}}));
  const Outline two_rectangles = drawing({{0, 0}, {10, 0}, {20, 0}, {20, 5}, {10, 5}, {0, 5}}, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}, {1, 4}});
  const Outline slit = drawing({{0, 0}, {10, 0}, {10, 6}, {0, 6}, {0, 3}, {4, 3}}, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}, {4, 5}});
  // Two triangles meeting at one point.
  const Outline bow_tie = plus(loops({{{0, 0}, {2, 1}, {0, 2}}}), drawing({{4, 0}, {4, 2}}, {{1, 3}, {3, 4}, {4, 1}}));
  // An outside probe started at W^2 + H^2 = 0.08 would lie inside this 0.2 square.
  const Outline small = loops({{{0, 0}, {0.2, 0}, {0.2, 0.2}, {0, 0.2}}});
  // Two rectangles in a box: checked, one clockwise hole round their union, (15,3), (15,7) kept.
  const Outline box = plus(loops({{{0, 0}, {30, 0}, {30, 10}, {0, 10}}}),
                           drawing({{10, 3}, {15, 3}, {20, 3}, {20, 7}, {15, 7}, {10, 7}}, {{4, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 9}, {9, 4}, {5, 8}}));
  const Outline clockwise = loops({{{0, 0}, {0, 10}, {10, 10}, {10, 0}}});
  const std::vector<Shape_Case> cases = {
      {"clockwise square", clockwise, 1, {{{1, 100.0, 5}}}},
      {"clockwise square in pieces", clockwise, 4, {{{1, 100.0, 17}}}},
      {"line hanging outward from a corner", flag, 2, {{{1, 12.0}}}},
      {"rectangle inside another: hole and domain", nested, 2, {{{1, 80.0}, {2, -12.0}}, {{1, 12.0}}}},
      {"loop hanging on a line is a hole", lollipop, 1, {{{1, 100.0}, {2, -4.0}, {3, open_line}}, {{1, 4.0}}}},
      // The shared side's three pieces are traced once in each domain.
      {"two rectangles sharing a side", two_rectangles, 3, {{{1, 50.0, 13}}, {{1, 50.0, 13}}}},
      // Five sides of two pieces, closed: no detour along the line.
      {"line reaching in is an open line, not a slit", slit, 2, {{{1, 60.0, 11}, {3, open_line}}}},
      {"touching at a point is no crossing", bow_tie, 1, {{{1, 2.0}}, {{1, 2.0}}}},
      {"small outline finds its outside edge", small, 4, {{{1, 0.04}}}},
      {"adjacent regions in a domain merge into one hole", box, 1, {{{1, 300.0}, {2, -40.0, 7}}, {{1, 20.0}}, {{1, 20.0}}}},
      {"adjacent regions unchecked stay two holes", box, 1, {{{1, 300.0}, {2, -20.0}, {2, -20.0}}, {{1, 20.0}}, {{1, 20.0}}}, false},
  };
  for (const Shape_Case& c : cases) {
    SCOPED_TRACE(c.name);
    Result r;
    ASSERT_NO_THROW(r = run(c.outline, c.pieces, c.check_inner));
    ASSERT_EQ(r.record.domains.size(), c.domains.size());
    EXPECT_TRUE(r.loose.empty());
    EXPECT_EQ(r.record.nodes.size(), make_record(c.outline, c.pieces).nodes.size());
    std::multiset<std::int32_t> used;
    for (std::size_t d = 0; d < c.domains.size(); ++d) {
      used.insert(r.record.domains[d].wires.begin(), r.record.domains[d].wires.end());
      ASSERT_EQ(r.record.domains[d].wires.size(), c.domains[d].size()) << "domain " << d;
      for (std::size_t k = 0; k < c.domains[d].size(); ++k) {
        const Wire_Record& wire = wire_of(r.record, d, k);
        const Wire_Expectation& expected = c.domains[d][k];
        EXPECT_EQ(wire.kind, expected.kind);
        if (expected.kind == 3) continue;
        EXPECT_EQ(wire.nodes.front(), wire.nodes.back());
        EXPECT_NEAR(mesher_test::ring_area(r.record, wire.nodes), expected.area, area_round_off) << "domain " << d << " wire " << k;
        if (expected.nodes != 0) {
          EXPECT_EQ(wire.nodes.size(), expected.nodes);
        }
      }
    }
    EXPECT_EQ(used.size(), r.record.wires.size());
    EXPECT_EQ(std::set<std::int32_t>(used.begin(), used.end()).size(), used.size());
  }
  // The hole of the nested rectangles runs over the inner domain's nodes.
  const Result r = run(nested, 2);
  const auto node_set = [&](std::size_t d, std::size_t k) { return std::set<std::int32_t>(wire_of(r.record, d, k).nodes.begin(), wire_of(r.record, d, k).nodes.end()); };
  EXPECT_EQ(node_set(0, 1), node_set(1, 0));
}

const std::string crossing = "* two edges cross - Domain_Maker::check_input_data()";
const std::string duplicate = "* duplicate seed segments exist - Domain_Maker::check_input_data()";
const std::string not_closed = "* cannot construct closed domain - Domain_Maker::make_domain()";

std::string failure_of(Domain_Data record) {
  std::vector<std::int32_t> loose;
  return mesher_test::error_of([&] { Domain_Maker().make_domain(record, loose); });
}

// One record of a single edge drawn as the polyline `path` through `points`.
Domain_Data one_edge(const std::vector<Point>& points, std::vector<std::int32_t> path) {
  Domain_Data d;
  for (const Point p : points) d.nodes.push_back({1, 0, 0.0, p.x, p.y});
  d.wires.push_back({1, 1, std::move(path)});
  return d;
}

TEST(DomainMaker, BrokenDrawingsFailWithTheirText) {
  // The square 0..10 (edges and points 0-3) with further points and edges.
  const auto square_with = [](std::vector<Point> points, std::vector<std::vector<int>> edges, int pieces = 1) {
    return make_record(plus(loops({{{0, 0}, {10, 0}, {10, 10}, {0, 10}}}), drawing(points, edges)), pieces);
  };
  const std::vector<Point> inside_out = {{5, 5}, {15, 5}};  // edge 4-5 leaves through the right side
  const std::vector<std::pair<Domain_Data, std::string>> cases = {
      {square_with(inside_out, {{4, 5}}), crossing},
      {square_with(inside_out, {{4, 5}}, 3), crossing},
      // Several faults: the first of an ordered scan over pairs (4 crosses 1, 5 repeats 0 or 2).
      {square_with(inside_out, {{4, 5}, {1, 0}}), duplicate},
      {square_with(inside_out, {{4, 5}, {2, 3}}), crossing},
      // One closed polyline drawn as a figure eight crosses itself.
      {one_edge({{0, 0}, {4, 4}, {4, 0}, {0, 4}}, {0, 1, 2, 3, 0}), crossing},
      // A spike (out and straight back along the same edge) is a segment given twice.
      {one_edge({{0, 0}, {4, 0}, {4, 4}, {6, 6}}, {0, 1, 2, 3, 2, 0}), duplicate},
      {square_with({}, {{0, 1}}), duplicate},
      {square_with({}, {{1, 0}}), duplicate},
      // Distinct points at the same place are one node, so the repeat is still seen.
      {square_with({{10, 0}, {10, 10}}, {{5, 4}}), duplicate},
      {square_with({{10, 10}}, {{2, 4}}), "* zero length segment in edge - Domain_Maker::check_input_data()"},
      {make_record(Outline{}), "* no input node - Domain_Maker::check_input_data()"},
      {make_record(Outline{{{0, 0}, {1, 0}, {1, 1}}, {{0, 1}, {1, 2}}, {}, {}, {}}), not_closed},  // a polyline encloses nothing
      // Collinear overlaps pass both checks but no walk closes: bounded walks report it.
      {square_with({{5, 0}}, {{0, 4}}), not_closed},
  };
  for (std::size_t k = 0; k < cases.size(); ++k) EXPECT_EQ(failure_of(cases[k].first), cases[k].second) << "case " << k;
}

// (10,0) -> (10,5) has x < 10 on its left, the reverse x > 10; an outside edge starts its own.
TEST(DomainMaker, RegionsComeInTheOrderOfTheEdgeThatHasThemOnItsLeft) {
  Outline two = drawing({{0, 0}, {10, 0}, {20, 0}, {20, 5}, {10, 5}, {0, 5}}, {});
  const std::vector<std::pair<std::vector<int>, bool>> first_edges = {{{1, 4}, false}, {{4, 1}, true}, {{2, 3}, true}, {{3, 2}, true}};
  for (const auto& [first, right] : first_edges) {
    two.edges = {first};
    for (const std::vector<int>& e : std::vector<std::vector<int>>{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}, {1, 4}}) {
      if (std::minmax(e[0], e[1]) != std::minmax(first[0], first[1])) two.edges.push_back(e);
    }
    const Result r = run(two);
    const Wire_Record& outer = wire_of(r.record, 0, 0);
    // Any node of the first region off the shared side tells its side.
    const bool on_right = std::any_of(outer.nodes.begin(), outer.nodes.end(), [&](std::int32_t n) { return two.points[static_cast<std::size_t>(n)].x > 10; });
    EXPECT_EQ(on_right, right) << first[0] << "-" << first[1];
  }
}

// Distance, not squared distance: at spacing 0.001 the squared test would join the squares.
TEST(DomainMaker, ToleranceIsAHundredthOfTheSmallestSpacing) {
  Domain_Data record = make_record(loops({{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{10.001, 0}, {20.001, 0}, {20.001, 10}, {10.001, 10}}}));
  std::vector<std::int32_t> loose;
  Domain_Maker maker;
  maker.make_domain(record, loose);
  EXPECT_NEAR(maker.tolerance(), 1e-5, 1e-15);  // 10.001 - 10 carries 6e-16 of representation error
  EXPECT_EQ(maker.domains().size(), 2u);
}

TEST(DomainMaker, RepeatedPointsAreOneNodeNumberedByTheFirst) {
  // Three interleaved copies of each corner (round r: corner (k + r) % 4 at point 4 r + k,
  // shifted by r (3e-9, -2e-9)); a pairwise scan in node order keeps the first copy.
  const double e = 3e-9, f = -2e-9;
  const Outline copies = drawing({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {10 + e, f}, {10 + e, 10 + f}, {e, 10 + f}, {e, f},
                                  {10 + 2 * e, 10 + 2 * f}, {2 * e, 10 + 2 * f}, {2 * e, 2 * f}, {10 + 2 * e, 2 * f}},
                                 {{10, 4}, {1, 8}, {5, 3}, {9, 7}});
  const Result merged = run(copies);
  ASSERT_EQ(merged.record.domains.size(), 1u);
  const std::vector<std::int32_t>& wire = wire_of(merged.record, 0, 0).nodes;
  EXPECT_EQ(std::set<std::int32_t>(wire.begin(), wire.end()), (std::set<std::int32_t>{0, 1, 2, 3}));
  EXPECT_NEAR(mesher_test::ring_area(merged.record, wire), 100.0, area_round_off);
}

TEST(DomainMaker, OpenLinesAndSeedsJoinTheRegionHoldingThem) {
  // A second region inside; a floating polyline of two edges, and a line in the inner region.
  Outline plate = plus(loops({{{0, 0}, {10, 0}, {10, 6}, {0, 6}}, {{6, 2}, {9, 2}, {9, 5}, {6, 5}}}),
                       drawing({{1, 1}, {4, 1}, {4, 4}, {7, 3}, {8, 4}}, {{8, 9}, {9, 10}, {11, 12}}));
  plate.seeds = {{2, 5}, {7.5, 2.5}, {50, 50}, {7, 3.5}};
  const Result r = run(plate, 2);
  ASSERT_EQ(r.record.domains.size(), 2u);
  EXPECT_TRUE(r.loose.empty());
  EXPECT_EQ(kinds_of(r.record, 0), (std::vector<std::int32_t>{1, 2, 3, 3}));
  EXPECT_EQ(kinds_of(r.record, 1), (std::vector<std::int32_t>{1, 3}));
  // Open lines keep their edge numbers (segments 9 and 10 of the plate).
  EXPECT_EQ((std::vector<std::int32_t>{wire_of(r.record, 0, 2).number, wire_of(r.record, 0, 3).number, wire_of(r.record, 1, 1).number}),
            (std::vector<std::int32_t>{9, 10, 11}));
  const auto x_of = [&](const std::vector<std::int32_t>& nodes) {
    std::vector<double> xs;
    for (const std::int32_t n : nodes) xs.push_back(r.record.nodes[static_cast<std::size_t>(n)].x);
    return xs;
  };
  // As drawn: from (1, 1) over (2.5, 1) to (4, 1).
  EXPECT_EQ(x_of(wire_of(r.record, 0, 2).nodes), (std::vector<double>{1.0, 2.5, 4.0}));
  EXPECT_EQ(x_of(r.record.domains[0].seeds), (std::vector<double>{2.0}));
  EXPECT_EQ(x_of(r.record.domains[1].seeds), (std::vector<double>{7.5, 7.0}));
}

// Moved, scaled and turned: the same domains on the same node numbers.
TEST(DomainMaker, DomainsAreInvariantUnderTranslationScaleAndRotation) {
  const Outline l_with_hole = plus(loops({{{0, 0}, {8, 0}, {8, 3}, {3, 3}, {3, 8}, {0, 8}}, {{1, 1}, {2, 1}, {2, 2}, {1, 2}}}), drawing({{5, 1}, {7, 2}}, {{10, 11}}));
  const Result reference = run(l_with_hole, 3);
  for (const auto& [shift, scale, angle] : std::vector<std::tuple<Point, double, double>>{
           {{1e4, -3e4}, 1.0, 0.0}, {{0, 0}, 1e-3, 0.0}, {{0, 0}, 1e3, 0.0}, {{-2, 5}, 1.0, 30.0}, {{0, 0}, 1.0, 137.0}}) {
    Outline moved = l_with_hole;
    for (Point& p : moved.points) p = data_2d::rotate(shift + scale * p, shift, angle);
    const Result r = run(moved, 3);
    ASSERT_EQ(r.record.domains.size(), reference.record.domains.size());
    for (std::size_t d = 0; d < r.record.domains.size(); ++d) {
      EXPECT_EQ(r.record.domains[d].wires, reference.record.domains[d].wires);
      for (const std::int32_t w : r.record.domains[d].wires) {
        EXPECT_EQ(r.record.wires[static_cast<std::size_t>(w)].nodes,
                  reference.record.wires[static_cast<std::size_t>(w)].nodes);
      }
    }
  }
}

// A domain's record: wire nodes in section order, then seeds; wires keep their shape.
TEST(DomainMakerMeshData, CutsOneDomainOutRenumberedInSectionOrder) {
  Outline nested = loops({{{0, 0}, {10, 0}, {10, 8}, {0, 8}}, {{2, 2}, {6, 2}, {6, 5}, {2, 5}}});
  nested.seeds = {{8, 4}, {3, 3}};
  Result r = run(nested, 2);
  r.record.element_size = 0.75;
  r.record.nodes[static_cast<std::size_t>(r.record.domains[0].seeds.at(0))].seed_size = 0.3;
  for (const auto& [domain, nodes] : {std::pair<std::size_t, std::size_t>{0, 17}, {1, 9}}) {
    const Mesh_Data cut = make_domain_mesh_data(r.record, domain);
    EXPECT_EQ(cut.element_size, 0.75);
    ASSERT_EQ(cut.nodes.size(), nodes);  // 8 + 8 wire nodes and the seed at (8, 4); 8 and the seed at (3, 3)
    ASSERT_EQ(cut.wires.size(), r.record.domains[domain].wires.size());
    for (std::size_t w = 0; w < cut.wires.size(); ++w) {
      const Wire_Record& source = wire_of(r.record, domain, w);
      EXPECT_EQ(cut.wires[w].kind, source.kind);
      ASSERT_EQ(cut.wires[w].nodes.size(), source.nodes.size());
      for (std::size_t k = 0; k < source.nodes.size(); ++k) {
        const Node_Record& a = cut.nodes[static_cast<std::size_t>(cut.wires[w].nodes[k])];
        const Node_Record& b = r.record.nodes[static_cast<std::size_t>(source.nodes[k])];
        EXPECT_TRUE(a.x == b.x && a.y == b.y && a.on_boundary == 1);
      }
    }
  }
  const Mesh_Data outer = make_domain_mesh_data(r.record, 0);
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(outer.nodes[i].x, r.record.nodes[i].x);  // the corners first
  const Node_Record& seed = outer.nodes.back();
  EXPECT_EQ(std::make_tuple(seed.x, seed.seed, seed.on_boundary, seed.seed_size), std::make_tuple(8.0, 1, 0, 0.3));
  EXPECT_THROW(make_domain_mesh_data(r.record, 2), std::out_of_range);
}

}  // namespace
}  // namespace domain_maker
