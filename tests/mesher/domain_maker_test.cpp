#include "mesher/domain_maker/domain_maker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "mesher/data_2d/mesh_error.h"
#include "mesher/data_2d/primitives.h"

namespace domain_maker {
namespace {

using data_2d::Point;

// An outline as a host draws it: points and straight segments between them,
// each segment its own edge, optionally divided into equal pieces as the
// drivers do before the domain maker runs.
struct Outline {
  std::vector<Point> points;
  std::vector<std::pair<int, int>> segments;  // 0-based point numbers
  std::vector<Point> seeds;
};

Domain_Data make_record(const Outline& outline, int pieces = 1) {
  Domain_Data record;
  for (const Point p : outline.points) record.nodes.push_back({1, 0, 0.0, p.x, p.y});
  for (std::size_t s = 0; s < outline.segments.size(); ++s) {
    const auto [a, b] = outline.segments[s];
    Wire_Record wire{static_cast<std::int32_t>(s + 1), 1, {a}};
    const Point pa = outline.points[static_cast<std::size_t>(a)];
    const Point pb = outline.points[static_cast<std::size_t>(b)];
    for (int k = 1; k < pieces; ++k) {
      const double t = static_cast<double>(k) / pieces;
      wire.nodes.push_back(static_cast<std::int32_t>(record.nodes.size()));
      record.nodes.push_back({1, 0, 0.0, pa.x + t * (pb.x - pa.x), pa.y + t * (pb.y - pa.y)});
    }
    wire.nodes.push_back(b);
    record.wires.push_back(std::move(wire));
  }
  for (const Point p : outline.seeds) record.nodes.push_back({0, 1, 0.0, p.x, p.y});
  return record;
}

// Closed polygon through points first .. first + count - 1, as segments.
void add_loop(Outline& outline, std::initializer_list<Point> corners) {
  const int first = static_cast<int>(outline.points.size());
  const int count = static_cast<int>(corners.size());
  outline.points.insert(outline.points.end(), corners);
  for (int k = 0; k < count; ++k) outline.segments.emplace_back(first + k, first + (k + 1) % count);
}

double signed_area(const Domain_Data& record, const Wire_Record& wire) {
  double twice = 0.0;
  for (std::size_t k = 1; k < wire.nodes.size(); ++k) {
    const Node_Record& a = record.nodes[static_cast<std::size_t>(wire.nodes[k - 1])];
    const Node_Record& b = record.nodes[static_cast<std::size_t>(wire.nodes[k])];
    twice += a.x * b.y - b.x * a.y;
  }
  return 0.5 * twice;
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

std::string failure_of(const Outline& outline, int pieces = 1) {
  try {
    run(outline, pieces);
  } catch (const data_2d::Mesh_Error& e) {
    return e.what();
  }
  return "no failure";
}

// Wire areas come from exact corner coordinates: a few ulps of the area.
constexpr double area_round_off = 1e-9;

TEST(DomainMaker, ClockwiseSquareBecomesOneCounterClockwiseDomain) {
  Outline square;
  add_loop(square, {{0, 0}, {0, 10}, {10, 10}, {10, 0}});  // clockwise
  for (const int pieces : {1, 4}) {
    const Result r = run(square, pieces);
    ASSERT_EQ(r.record.domains.size(), 1u);
    EXPECT_TRUE(r.loose.empty());
    const Wire_Record& outer = wire_of(r.record, 0, 0);
    EXPECT_EQ(outer.kind, 1);
    EXPECT_EQ(outer.nodes.front(), outer.nodes.back());
    EXPECT_EQ(outer.nodes.size(), 4u * pieces + 1);
    EXPECT_NEAR(signed_area(r.record, outer), 100.0, area_round_off);
    // The node list is untouched.
    EXPECT_EQ(r.record.nodes.size(), make_record(square, pieces).nodes.size());
  }
}

TEST(DomainMaker, TwoRectanglesSharingASideTraceTheSideOnceForEach) {
  Outline two;
  two.points = {{0, 0}, {10, 0}, {20, 0}, {20, 5}, {10, 5}, {0, 5}};
  two.segments = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}, {1, 4}};
  const Result r = run(two, 3);
  ASSERT_EQ(r.record.domains.size(), 2u);
  double total = 0.0;
  std::multiset<std::pair<int, int>> shared_passes;
  for (std::size_t d = 0; d < 2; ++d) {
    const Wire_Record& outer = wire_of(r.record, d, 0);
    EXPECT_NEAR(signed_area(r.record, outer), 50.0, area_round_off);
    total += signed_area(r.record, outer);
    for (std::size_t k = 1; k < outer.nodes.size(); ++k) {
      const Node_Record& a = r.record.nodes[static_cast<std::size_t>(outer.nodes[k - 1])];
      const Node_Record& b = r.record.nodes[static_cast<std::size_t>(outer.nodes[k])];
      if (a.x == 10.0 && b.x == 10.0) shared_passes.insert({a.y < b.y ? 1 : -1, static_cast<int>(d)});
    }
  }
  EXPECT_NEAR(total, 100.0, area_round_off);
  // Three pieces of the shared side, upward in one domain, downward in the other.
  EXPECT_EQ(shared_passes.size(), 6u);
  EXPECT_EQ(shared_passes.count({1, 0}) + shared_passes.count({1, 1}), 3u);
  EXPECT_EQ(shared_passes.count({-1, 0}) + shared_passes.count({-1, 1}), 3u);
}

TEST(DomainMaker, RegionsComeInTheOrderOfTheEdgeThatHasThemOnItsLeft) {
  // The shared side comes first; its left side is the region it starts.
  Outline two;
  two.points = {{0, 0}, {10, 0}, {20, 0}, {20, 5}, {10, 5}, {0, 5}};
  two.segments = {{1, 4}, {0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}};
  const auto first_area_centre_x = [](const Result& r) {
    const Wire_Record& outer = wire_of(r.record, 0, 0);
    double sum = 0.0;
    for (std::size_t k = 1; k < outer.nodes.size(); ++k) sum += r.record.nodes[static_cast<std::size_t>(outer.nodes[k])].x;
    return sum / static_cast<double>(outer.nodes.size() - 1);
  };
  const Result upward = run(two);  // (10,0) -> (10,5): the left region is x < 10
  EXPECT_LT(first_area_centre_x(upward), 10.0);
  two.segments[0] = {4, 1};  // downward: the left region is x > 10
  const Result downward = run(two);
  EXPECT_GT(first_area_centre_x(downward), 10.0);
  // An outside edge starts its own region whatever its direction.
  two.segments = {{2, 3}, {0, 1}, {1, 2}, {3, 4}, {4, 5}, {5, 0}, {1, 4}};
  EXPECT_GT(first_area_centre_x(run(two)), 10.0);
  two.segments[0] = {3, 2};
  EXPECT_GT(first_area_centre_x(run(two)), 10.0);
}

TEST(DomainMaker, LineHangingOutwardFromACornerIsRemoved) {
  Outline flag;
  add_loop(flag, {{0, 0}, {4, 0}, {4, 3}, {0, 3}});
  flag.points.push_back({7, 6});
  flag.points.push_back({9, 6});
  flag.segments.emplace_back(2, 4);  // off the corner (4, 3)
  flag.segments.emplace_back(4, 5);  // and on, a polyline of two edges
  const Result r = run(flag, 2);
  ASSERT_EQ(r.record.domains.size(), 1u);
  EXPECT_TRUE(r.loose.empty());
  EXPECT_EQ(r.record.wires.size(), 1u);
  EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 0, 0)), 12.0, area_round_off);
}

TEST(DomainMaker, RectangleInsideAnotherIsAHoleAndADomain) {
  Outline nested;
  add_loop(nested, {{0, 0}, {10, 0}, {10, 8}, {0, 8}});
  add_loop(nested, {{2, 2}, {2, 5}, {6, 5}, {6, 2}});  // clockwise on input
  const Result r = run(nested, 2);
  ASSERT_EQ(r.record.domains.size(), 2u);
  EXPECT_EQ(kinds_of(r.record, 0), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(kinds_of(r.record, 1), (std::vector<std::int32_t>{1}));
  EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 0, 0)), 80.0, area_round_off);
  EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 0, 1)), -12.0, area_round_off);  // clockwise hole
  EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 1, 0)), 12.0, area_round_off);
  // The hole runs over the inner domain's nodes.
  std::set<std::int32_t> hole(wire_of(r.record, 0, 1).nodes.begin(), wire_of(r.record, 0, 1).nodes.end());
  std::set<std::int32_t> inner(wire_of(r.record, 1, 0).nodes.begin(), wire_of(r.record, 1, 0).nodes.end());
  EXPECT_EQ(hole, inner);
}

TEST(DomainMaker, RegionInsideAHoleNestsThreeDeep) {
  Outline rings;
  add_loop(rings, {{0, 0}, {30, 0}, {30, 30}, {0, 30}});
  add_loop(rings, {{5, 5}, {25, 5}, {25, 25}, {5, 25}});
  add_loop(rings, {{10, 10}, {20, 10}, {20, 20}, {10, 20}});
  const Result r = run(rings);
  ASSERT_EQ(r.record.domains.size(), 3u);
  EXPECT_EQ(kinds_of(r.record, 0), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(kinds_of(r.record, 1), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(kinds_of(r.record, 2), (std::vector<std::int32_t>{1}));
  EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 0, 1)), -400.0, area_round_off);
  EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 1, 1)), -100.0, area_round_off);
}

TEST(DomainMaker, CrossingEdgesFailButTouchingEdgesDoNot) {
  Outline crossing;
  add_loop(crossing, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  crossing.points.push_back({5, 5});
  crossing.points.push_back({15, 5});
  crossing.segments.emplace_back(4, 5);  // leaves through the right side
  EXPECT_EQ(failure_of(crossing), "* two edges cross - Domain_Maker::check_input_data()");
  EXPECT_EQ(failure_of(crossing, 3), "* two edges cross - Domain_Maker::check_input_data()");

  Outline bow_tie;  // two triangles meeting at one point
  add_loop(bow_tie, {{0, 0}, {2, 1}, {0, 2}});
  bow_tie.points.push_back({4, 0});
  bow_tie.points.push_back({4, 2});
  bow_tie.segments.emplace_back(1, 3);
  bow_tie.segments.emplace_back(3, 4);
  bow_tie.segments.emplace_back(4, 1);
  const Result r = run(bow_tie);
  EXPECT_EQ(r.record.domains.size(), 2u);
}

// One closed polyline drawn as a figure eight is a single edge; it crosses
// itself and must fail like two crossing edges rather than become a wire
// that is not a simple polygon.
TEST(DomainMaker, EdgeCrossingItselfFails) {
  Domain_Data eight;
  for (const Point p : std::vector<Point>{{0, 0}, {4, 4}, {4, 0}, {0, 4}}) eight.nodes.push_back({1, 0, 0.0, p.x, p.y});
  eight.wires.push_back({1, 1, {0, 1, 2, 3, 0}});
  std::vector<std::int32_t> loose;
  Domain_Maker maker;
  try {
    maker.make_domain(eight, loose);
    FAIL() << "a self-crossing edge was accepted";
  } catch (const data_2d::Mesh_Error& e) {
    EXPECT_STREQ(e.what(), "* two edges cross - Domain_Maker::check_input_data()");
  }
  // A spike (out and straight back along the same edge) is a segment given twice.
  Domain_Data spike;
  for (const Point p : std::vector<Point>{{0, 0}, {4, 0}, {4, 4}, {6, 6}}) spike.nodes.push_back({1, 0, 0.0, p.x, p.y});
  spike.wires.push_back({1, 1, {0, 1, 2, 3, 2, 0}});
  try {
    maker.make_domain(spike, loose);
    FAIL() << "a spike was accepted";
  } catch (const data_2d::Mesh_Error& e) {
    EXPECT_STREQ(e.what(), "* duplicate seed segments exist - Domain_Maker::check_input_data()");
  }
}

TEST(DomainMaker, SegmentGivenTwiceInEitherDirectionIsADuplicate) {
  for (const bool reverse : {false, true}) {
    Outline twice;
    add_loop(twice, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    twice.segments.emplace_back(reverse ? std::pair{1, 0} : std::pair{0, 1});
    EXPECT_EQ(failure_of(twice), "* duplicate seed segments exist - Domain_Maker::check_input_data()");
  }
  // Distinct points at the same place are one node, so the repeat is still seen.
  Outline copied;
  add_loop(copied, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  copied.points.push_back({10, 0});
  copied.points.push_back({10, 10});
  copied.segments.emplace_back(5, 4);
  EXPECT_EQ(failure_of(copied), "* duplicate seed segments exist - Domain_Maker::check_input_data()");
}

// With several faults the message is the one an ordered scan over edge
// pairs (i < j) meets first, whatever order the grid buckets visit them in.
TEST(DomainMaker, FirstFaultyEdgePairDecidesTheMessage) {
  const auto outline = [](std::pair<int, int> repeated) {
    Outline o;
    add_loop(o, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    o.points.push_back({5, 5});
    o.points.push_back({15, 5});
    o.segments.emplace_back(4, 5);      // edge 4 crosses edge 1
    o.segments.emplace_back(repeated);  // edge 5 repeats edge 0 or edge 2
    return o;
  };
  EXPECT_EQ(failure_of(outline({1, 0})), "* duplicate seed segments exist - Domain_Maker::check_input_data()");
  EXPECT_EQ(failure_of(outline({2, 3})), "* two edges cross - Domain_Maker::check_input_data()");
}

TEST(DomainMaker, InputWithoutSubstanceFailsWithItsText) {
  Outline zero;
  add_loop(zero, {{0, 0}, {1, 0}, {1, 1}});
  zero.points.push_back({1, 1});
  zero.segments.emplace_back(2, 3);  // (1,1) to (1,1)
  EXPECT_EQ(failure_of(zero), "* zero length segment in edge - Domain_Maker::check_input_data()");

  EXPECT_EQ(failure_of(Outline{}), "* no input node - Domain_Maker::check_input_data()");

  Outline open;  // a polyline encloses nothing
  open.points = {{0, 0}, {1, 0}, {1, 1}};
  open.segments = {{0, 1}, {1, 2}};
  EXPECT_EQ(failure_of(open), "* cannot construct closed domain - Domain_Maker::make_domain()");
}

// Nodes merge when their distance, not their squared distance, is below a
// hundredth of the smallest spacing. With the smallest spacing 0.001 the
// squared test would merge nodes up to 0.0032 apart, join the two squares
// and report their touching sides as one segment given twice.
TEST(DomainMaker, SquaresAThousandthApartStayTwoRegions) {
  Outline pair;
  add_loop(pair, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  add_loop(pair, {{10.001, 0}, {20.001, 0}, {20.001, 10}, {10.001, 10}});
  for (const int pieces : {1, 5}) {
    Result r;
    ASSERT_NO_THROW(r = run(pair, pieces));
    ASSERT_EQ(r.record.domains.size(), 2u);
    EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 0, 0)), 100.0, area_round_off);
    EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 1, 0)), 100.0, area_round_off);
  }
}

TEST(DomainMaker, ToleranceIsAHundredthOfTheSmallestSpacing) {
  Outline pair;
  add_loop(pair, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  add_loop(pair, {{10.001, 0}, {20.001, 0}, {20.001, 10}, {10.001, 10}});
  Domain_Data record = make_record(pair);
  std::vector<std::int32_t> loose;
  Domain_Maker maker;
  maker.make_domain(record, loose);
  EXPECT_NEAR(maker.tolerance(), 1e-5, 1e-15);  // 10.001 - 10 carries 6e-16 of representation error
  EXPECT_EQ(maker.domains().size(), 2u);
}

TEST(DomainMaker, RepeatedPointsAreOneNodeNumberedByTheFirst) {
  Outline square;
  square.points = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {10, 0}, {5e-9, -5e-9}};
  // Corner (10, 0) given twice exactly, corner (0, 0) again 7e-9 away.
  square.segments = {{0, 1}, {4, 2}, {2, 3}, {3, 5}};
  const Result r = run(square);
  ASSERT_EQ(r.record.domains.size(), 1u);
  const std::vector<std::int32_t>& nodes = wire_of(r.record, 0, 0).nodes;
  EXPECT_EQ(std::set<std::int32_t>(nodes.begin(), nodes.end()), (std::set<std::int32_t>{0, 1, 2, 3}));
  EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 0, 0)), 100.0, area_round_off);  // survivors carry the first coordinates
  EXPECT_EQ(r.record.nodes.size(), 6u);  // the record's node list itself is never changed

  // Three copies of every corner, interleaved; segments use any copy. Each
  // corner is numbered by its first copy, as a scan over all pairs in node
  // order would merge them.
  Outline copies;
  const std::vector<Point> corners = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  for (int round = 0; round < 3; ++round) {
    for (int c = 0; c < 4; ++c) {
      const Point p = corners[static_cast<std::size_t>((c + round) % 4)];
      copies.points.push_back({p.x + 3e-9 * round, p.y - 2e-9 * round});
    }
  }
  // Point 4 r + k holds corner (k + r) % 4, so corner c of round r is point 4 r + (c - r) mod 4.
  const auto copy_of = [](int corner, int round) { return 4 * round + (corner - round + 4) % 4; };
  copies.segments = {{copy_of(0, 2), copy_of(1, 1)}, {copy_of(1, 0), copy_of(2, 2)},
                     {copy_of(2, 1), copy_of(3, 0)}, {copy_of(3, 2), copy_of(0, 1)}};
  const Result merged = run(copies);
  ASSERT_EQ(merged.record.domains.size(), 1u);
  const std::vector<std::int32_t>& wire = wire_of(merged.record, 0, 0).nodes;
  EXPECT_EQ(std::set<std::int32_t>(wire.begin(), wire.end()),
            (std::set<std::int32_t>{copy_of(0, 0), copy_of(1, 0), copy_of(2, 0), copy_of(3, 0)}));
}

// A 0.2 square divided at 0.05: W^2 + H^2 = 0.08 would start the probe at
// x = 0.18, inside the square, and no ray from there meets the outline.
TEST(DomainMaker, SmallOutlineFindsItsOutsideEdge) {
  Outline small;
  add_loop(small, {{0, 0}, {0.2, 0}, {0.2, 0.2}, {0, 0.2}});
  const Result r = run(small, 4);
  ASSERT_EQ(r.record.domains.size(), 1u);
  EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 0, 0)), 0.04, 1e-15);  // round-off of 0.2^2
}

TEST(DomainMaker, OpenLinesAndSeedsJoinTheRegionHoldingThem) {
  Outline plate;
  add_loop(plate, {{0, 0}, {10, 0}, {10, 6}, {0, 6}});
  add_loop(plate, {{6, 2}, {9, 2}, {9, 5}, {6, 5}});  // a second region inside
  plate.points.push_back({1, 1});
  plate.points.push_back({4, 1});
  plate.points.push_back({4, 4});
  plate.segments.emplace_back(8, 9);   // a floating polyline of two edges
  plate.segments.emplace_back(9, 10);
  plate.points.push_back({7, 3});
  plate.points.push_back({8, 4});
  plate.segments.emplace_back(11, 12);  // a line in the inner region
  plate.seeds = {{2, 5}, {7.5, 2.5}, {50, 50}, {7, 3.5}};
  const Result r = run(plate, 2);
  ASSERT_EQ(r.record.domains.size(), 2u);
  EXPECT_TRUE(r.loose.empty());
  EXPECT_EQ(kinds_of(r.record, 0), (std::vector<std::int32_t>{1, 2, 3, 3}));
  EXPECT_EQ(kinds_of(r.record, 1), (std::vector<std::int32_t>{1, 3}));
  // Open lines keep their edge numbers (segments 9 and 10 of the plate).
  EXPECT_EQ(wire_of(r.record, 0, 2).number, 9);
  EXPECT_EQ(wire_of(r.record, 0, 3).number, 10);
  EXPECT_EQ(wire_of(r.record, 1, 1).number, 11);
  // As drawn: from (1, 1) over (2.5, 1) to (4, 1).
  const std::vector<std::int32_t>& line = wire_of(r.record, 0, 2).nodes;
  ASSERT_EQ(line.size(), 3u);
  EXPECT_EQ(r.record.nodes[static_cast<std::size_t>(line[0])].x, 1.0);
  EXPECT_EQ(r.record.nodes[static_cast<std::size_t>(line[1])].x, 2.5);
  EXPECT_EQ(r.record.nodes[static_cast<std::size_t>(line[2])].x, 4.0);
  const auto seed_x = [&](std::size_t d) {
    std::vector<double> xs;
    for (const std::int32_t s : r.record.domains[d].seeds) xs.push_back(r.record.nodes[static_cast<std::size_t>(s)].x);
    return xs;
  };
  EXPECT_EQ(seed_x(0), (std::vector<double>{2.0}));
  EXPECT_EQ(seed_x(1), (std::vector<double>{7.5, 7.0}));
}

TEST(DomainMaker, LineReachingInFromTheBoundaryIsAnOpenLineNotASlit) {
  Outline plate;
  plate.points = {{0, 0}, {10, 0}, {10, 6}, {0, 6}, {0, 3}, {4, 3}};
  plate.segments = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}, {4, 5}};
  const Result r = run(plate, 2);
  ASSERT_EQ(r.record.domains.size(), 1u);
  EXPECT_EQ(kinds_of(r.record, 0), (std::vector<std::int32_t>{1, 3}));
  const Wire_Record& outer = wire_of(r.record, 0, 0);
  EXPECT_EQ(outer.nodes.size(), 11u);  // five sides of two pieces, closed; no detour
  EXPECT_NEAR(signed_area(r.record, outer), 60.0, area_round_off);
}

// Collinear overlapping edges pass the crossing and duplicate checks but
// break the planar structure; every walk then fails to close. Each walk is
// bounded, so the maker reports the failure instead of walking forever.
TEST(DomainMaker, OverlappingEdgesEndInAFailureNotALoop) {
  Outline overlap;
  add_loop(overlap, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  overlap.points.push_back({5, 0});
  overlap.segments.emplace_back(0, 4);  // along half of the bottom side
  EXPECT_EQ(failure_of(overlap), "* cannot construct closed domain - Domain_Maker::make_domain()");
}

TEST(DomainMaker, LoopHangingOnALineIsAHoleOfTheRegionAround) {
  Outline lollipop;
  add_loop(lollipop, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  add_loop(lollipop, {{4, 4}, {6, 4}, {6, 6}, {4, 6}});
  lollipop.segments.emplace_back(0, 4);  // stick from the corner (0,0) to (4,4)
  const Result r = run(lollipop);
  ASSERT_EQ(r.record.domains.size(), 2u);
  EXPECT_EQ(kinds_of(r.record, 0), (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 0, 0)), 100.0, area_round_off);
  EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 0, 1)), -4.0, area_round_off);
  EXPECT_NEAR(signed_area(r.record, wire_of(r.record, 1, 0)), 4.0, area_round_off);
}

TEST(DomainMaker, AdjacentRegionsInsideADomainMergeIntoOneClockwiseHole) {
  Outline box;
  add_loop(box, {{0, 0}, {30, 0}, {30, 10}, {0, 10}});
  box.points.insert(box.points.end(), {{10, 3}, {15, 3}, {20, 3}, {20, 7}, {15, 7}, {10, 7}});
  box.segments.insert(box.segments.end(), {{4, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 9}, {9, 4}, {5, 8}});
  for (const bool check : {true, false}) {
    Result r;
    ASSERT_NO_THROW(r = run(box, 1, check));
    ASSERT_EQ(r.record.domains.size(), 3u);
    if (!check) {
      EXPECT_EQ(kinds_of(r.record, 0), (std::vector<std::int32_t>{1, 2, 2}));
      continue;
    }
    ASSERT_EQ(kinds_of(r.record, 0), (std::vector<std::int32_t>{1, 2}));
    const Wire_Record& hole = wire_of(r.record, 0, 1);
    EXPECT_NEAR(signed_area(r.record, hole), -40.0, area_round_off);
    // From its lowest-numbered node, around the union, (15,3) and (15,7) kept.
    EXPECT_EQ(hole.nodes.front(), 4);
    EXPECT_EQ(hole.nodes.back(), 4);
    EXPECT_EQ(hole.nodes.size(), 7u);
    // Every input wire of the record is accounted for exactly once.
    std::set<std::int32_t> referenced;
    for (const Domain_Record& d : r.record.domains) referenced.insert(d.wires.begin(), d.wires.end());
    EXPECT_EQ(referenced.size(), r.record.wires.size());
  }
}

// The same drawing moved, scaled and turned gives the same domains on the
// same node numbers: every decision works on relative geometry.
TEST(DomainMaker, DomainsAreInvariantUnderTranslationScaleAndRotation) {
  Outline l_with_hole;
  add_loop(l_with_hole, {{0, 0}, {8, 0}, {8, 3}, {3, 3}, {3, 8}, {0, 8}});
  add_loop(l_with_hole, {{1, 1}, {2, 1}, {2, 2}, {1, 2}});
  l_with_hole.points.push_back({5, 1});
  l_with_hole.points.push_back({7, 2});
  l_with_hole.segments.emplace_back(10, 11);
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

TEST(DomainMakerMeshData, CutsOneDomainOutRenumberedInSectionOrder) {
  Outline nested;
  add_loop(nested, {{0, 0}, {10, 0}, {10, 8}, {0, 8}});
  add_loop(nested, {{2, 2}, {6, 2}, {6, 5}, {2, 5}});
  nested.seeds = {{8, 4}, {3, 3}};
  Result r = run(nested, 2);
  r.record.element_size = 0.75;
  r.record.nodes[static_cast<std::size_t>(r.record.domains[0].seeds.at(0))].seed_size = 0.3;
  const Mesh_Data outer = make_domain_mesh_data(r.record, 0);
  EXPECT_EQ(outer.element_size, 0.75);
  // 8 + 8 wire nodes and the seed at (8, 4).
  ASSERT_EQ(outer.nodes.size(), 17u);
  ASSERT_EQ(outer.wires.size(), 2u);
  EXPECT_EQ(outer.wires[0].kind, 1);
  EXPECT_EQ(outer.wires[1].kind, 2);
  // Section order is kept: the corners (section nodes 0..7) come first.
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(outer.nodes[i].x, r.record.nodes[i].x);
    EXPECT_EQ(outer.nodes[i].y, r.record.nodes[i].y);
  }
  const Node_Record& seed = outer.nodes.back();
  EXPECT_EQ(seed.x, 8.0);
  EXPECT_EQ(seed.seed, 1);
  EXPECT_EQ(seed.on_boundary, 0);
  EXPECT_EQ(seed.seed_size, 0.3);
  for (std::size_t i = 0; i + 1 < outer.nodes.size(); ++i) EXPECT_EQ(outer.nodes[i].on_boundary, 1);
  // Every wire keeps its shape on the new numbers.
  for (std::size_t w = 0; w < 2; ++w) {
    const Wire_Record& source = wire_of(r.record, 0, w);
    ASSERT_EQ(outer.wires[w].nodes.size(), source.nodes.size());
    for (std::size_t k = 0; k < source.nodes.size(); ++k) {
      const Node_Record& a = outer.nodes[static_cast<std::size_t>(outer.wires[w].nodes[k])];
      const Node_Record& b = r.record.nodes[static_cast<std::size_t>(source.nodes[k])];
      EXPECT_EQ(a.x, b.x);
      EXPECT_EQ(a.y, b.y);
    }
  }
  const Mesh_Data inner = make_domain_mesh_data(r.record, 1);
  EXPECT_EQ(inner.nodes.size(), 9u);  // its 8 wire nodes and the seed at (3, 3)
  EXPECT_THROW(make_domain_mesh_data(r.record, 2), std::out_of_range);
}

}  // namespace
}  // namespace domain_maker
