// Helpers shared by the mesher tests: records built by hand, and the check of
// every invariant a finished mesh must keep. The checks are written from the
// definitions (shoelace areas, edge counting), not from the mesher's code.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "mesher/data_2d/point.h"
#include "mesher/domain_maker/mesh_data.h"

namespace mesher_test {

using domain_maker::Mesh_Data;

using Xy = data_2d::Point;

// A record with one closed wire per ring (first ring outer, the others
// inner), each ring given without repeating its first point, plus open lines
// and seed points. Node records come in ring order.
inline Mesh_Data make_record(const std::vector<std::vector<Xy>>& rings, double element_size,
                             const std::vector<std::vector<Xy>>& open_lines = {}, const std::vector<Xy>& seeds = {}) {
  Mesh_Data record;
  record.element_size = element_size;
  const auto add_node = [&](Xy p, bool seed) {
    domain_maker::Node_Record r;
    r.on_boundary = seed ? 0 : 1;
    r.seed = seed ? 1 : 0;
    r.x = p.x;
    r.y = p.y;
    record.nodes.push_back(r);
    return static_cast<std::int32_t>(record.nodes.size() - 1);
  };
  for (std::size_t k = 0; k < rings.size(); ++k) {
    domain_maker::Wire_Record wire;
    wire.kind = k == 0 ? 1 : 2;
    for (const Xy p : rings[k]) wire.nodes.push_back(add_node(p, false));
    wire.nodes.push_back(wire.nodes.front());
    record.wires.push_back(wire);
  }
  for (const auto& line : open_lines) {
    domain_maker::Wire_Record wire;
    wire.kind = 3;
    for (const Xy p : line) wire.nodes.push_back(add_node(p, false));
    record.wires.push_back(wire);
  }
  for (const Xy p : seeds) add_node(p, true);
  return record;
}

// An outline as a host draws it: points, edges as polylines through them
// (0-based point numbers) and seed points. The corpus files add two element
// sizes and the areas of their regions.
struct Outline {
  std::vector<data_2d::Point> points;
  std::vector<std::vector<int>> edges;
  std::vector<data_2d::Point> seeds;
  std::vector<double> sizes, areas;
};

// The section record the drivers hand the domain maker: one wire per edge,
// numbered from 1, every segment cut into `pieces` equal parts or, with
// size > 0, into as few as keep each part no longer than size; seeds flagged.
inline domain_maker::Domain_Data section_record(const Outline& outline, double size, int pieces = 1) {
  domain_maker::Domain_Data record;
  record.element_size = size;
  for (const data_2d::Point p : outline.points) record.nodes.push_back({1, 0, 0.0, p.x, p.y});
  std::int32_t number = 0;
  for (const auto& edge : outline.edges) {
    domain_maker::Wire_Record wire{++number, 1, {edge[0]}};
    for (std::size_t k = 1; k < edge.size(); ++k) {
      const data_2d::Point a = outline.points[static_cast<std::size_t>(edge[k - 1])];
      const data_2d::Point b = outline.points[static_cast<std::size_t>(edge[k])];
      const double length = std::hypot(b.x - a.x, b.y - a.y);
      const int n = size > 0.0 ? std::max(1, static_cast<int>(std::ceil(length / size - 1e-9))) : pieces;
      for (int j = 1; j < n; ++j) {
        const double t = static_cast<double>(j) / n;
        record.nodes.push_back({1, 0, 0.0, a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        wire.nodes.push_back(static_cast<std::int32_t>(record.nodes.size() - 1));
      }
      wire.nodes.push_back(edge[k]);
    }
    record.wires.push_back(wire);
  }
  for (const data_2d::Point p : outline.seeds) record.nodes.push_back({0, 1, 0.0, p.x, p.y});
  return record;
}

// Points along a closed polygon, every side cut into pieces no longer than
// `size` (the drivers discretise outline segments the same way).
inline std::vector<Xy> subdivide(const std::vector<Xy>& corners, double size) {
  std::vector<Xy> out;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const Xy a = corners[i];
    const Xy b = corners[(i + 1) % corners.size()];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const int pieces = std::max(1, static_cast<int>(std::ceil(length / size - 1e-9)));
    for (int k = 0; k < pieces; ++k) {
      const double t = static_cast<double>(k) / pieces;
      out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
    }
  }
  return out;
}

inline double ring_area(const Mesh_Data& m, const std::vector<std::int32_t>& ring) {
  double twice = 0.0;
  for (std::size_t i = 1; i < ring.size(); ++i) {
    const auto& a = m.nodes[static_cast<std::size_t>(ring[i - 1])];
    const auto& b = m.nodes[static_cast<std::size_t>(ring[i])];
    twice += a.x * b.y - b.x * a.y;
  }
  return 0.5 * twice;
}

inline double corner_area(const Mesh_Data& m, const std::vector<std::int32_t>& e) {
  const auto& a = m.nodes[static_cast<std::size_t>(e[0])];
  const auto& b = m.nodes[static_cast<std::size_t>(e[1])];
  const auto& c = m.nodes[static_cast<std::size_t>(e[2])];
  return 0.5 * ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
}

// Quality of a triangle from its definition: 4 sqrt(3) area / sum of squared
// sides (1 for an equilateral triangle).
inline double corner_quality(const Mesh_Data& m, const std::vector<std::int32_t>& e) {
  double sides = 0.0;
  for (int k = 0; k < 3; ++k) {
    const auto& a = m.nodes[static_cast<std::size_t>(e[static_cast<std::size_t>(k)])];
    const auto& b = m.nodes[static_cast<std::size_t>(e[static_cast<std::size_t>((k + 1) % 3)])];
    sides += (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
  }
  return 4.0 * std::sqrt(3.0) * corner_area(m, e) / sides;
}

struct Mesh_Summary {
  std::size_t elements = 0;
  double min_quality = 1.0;
};

// Checks the finished mesh `out` of the region described by `in` (the record
// as it was handed to the mesher):
//  - the input node records come first, unchanged;
//  - every element has 3 corners (6 nodes with the quadratic flag), in range,
//    counter-clockwise with positive area;
//  - every corner edge is used once (then it is a segment of a closed wire,
//    run in the wire's direction of the element's side) or twice in opposite
//    directions; every closed-wire segment is used exactly once and every
//    open-line segment twice;
//  - the element areas add up to the area the closed wires enclose;
//  - no two nodes lie closer than `node_tolerance`;
//  - with 6 nodes, each mid-side node lies at its side's midpoint and each
//    edge has exactly one of them.
inline Mesh_Summary expect_valid_mesh(const Mesh_Data& in, const Mesh_Data& out, double node_tolerance) {
  Mesh_Summary summary;
  summary.elements = out.elements.size();
  EXPECT_GE(out.nodes.size(), in.nodes.size());
  for (std::size_t i = 0; i < in.nodes.size() && i < out.nodes.size(); ++i) {
    EXPECT_EQ(out.nodes[i].x, in.nodes[i].x) << "input node " << i << " moved";
    EXPECT_EQ(out.nodes[i].y, in.nodes[i].y) << "input node " << i << " moved";
  }
  const std::size_t per_element = in.quadratic != 0 ? 6 : 3;
  double extent = 0.0;
  for (const auto& n : in.nodes) extent = std::max({extent, std::abs(n.x), std::abs(n.y)});

  std::map<std::pair<std::int32_t, std::int32_t>, int> directed;
  std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> mid_of_edge;
  double area = 0.0;
  for (const auto& e : out.elements) {
    EXPECT_EQ(e.size(), per_element);
    if (e.size() != per_element) continue;
    bool in_range = true;
    for (const auto i : e) in_range = in_range && i >= 0 && static_cast<std::size_t>(i) < out.nodes.size();
    EXPECT_TRUE(in_range);
    if (!in_range) continue;
    const double a = corner_area(out, e);
    EXPECT_GT(a, 0.0) << "element not counter-clockwise";
    area += a;
    summary.min_quality = std::min(summary.min_quality, corner_quality(out, e));
    for (std::size_t k = 0; k < 3; ++k) {
      const std::int32_t p = e[k];
      const std::int32_t q2 = e[(k + 1) % 3];
      ++directed[{p, q2}];
      if (per_element == 6) {
        const std::int32_t mid = e[3 + k];
        const auto key = std::minmax(p, q2);
        const auto found = mid_of_edge.emplace(key, mid);
        EXPECT_EQ(found.first->second, mid) << "edge with two mid-side nodes";
        const auto& np = out.nodes[static_cast<std::size_t>(p)];
        const auto& nq = out.nodes[static_cast<std::size_t>(q2)];
        const auto& nm = out.nodes[static_cast<std::size_t>(mid)];
        // Rotating the mesh back moves a midpoint by round-off of the
        // section's size only.
        EXPECT_NEAR(nm.x, 0.5 * (np.x + nq.x), 1e-12 * (1.0 + extent));
        EXPECT_NEAR(nm.y, 0.5 * (np.y + nq.y), 1e-12 * (1.0 + extent));
      }
    }
  }
  if (per_element == 6) {
    std::set<std::int32_t> mids;
    for (const auto& [edge, mid] : mid_of_edge) mids.insert(mid);
    EXPECT_EQ(mids.size(), mid_of_edge.size()) << "two edges share a mid-side node";
  }

  std::set<std::pair<std::int32_t, std::int32_t>> closed_segments;
  std::set<std::pair<std::int32_t, std::int32_t>> open_segments;
  double region = 0.0;
  for (const auto& w : in.wires) {
    if (w.kind == 3) {
      for (std::size_t i = 1; i < w.nodes.size(); ++i) open_segments.insert(std::minmax(w.nodes[i - 1], w.nodes[i]));
    } else {
      region += std::abs(ring_area(in, w.nodes)) * (w.kind == 1 ? 1.0 : -1.0);
      for (std::size_t i = 1; i < w.nodes.size(); ++i) closed_segments.insert(std::minmax(w.nodes[i - 1], w.nodes[i]));
    }
  }
  for (const auto& [edge, count] : directed) {
    EXPECT_EQ(count, 1) << "edge " << edge.first << "-" << edge.second << " used twice in one direction";
    const bool reverse = directed.count({edge.second, edge.first}) != 0;
    const auto key = std::minmax(edge.first, edge.second);
    if (!reverse) {
      EXPECT_TRUE(closed_segments.count(key) != 0) << "boundary edge " << edge.first << "-" << edge.second << " is no wire segment";
    } else {
      EXPECT_TRUE(closed_segments.count(key) == 0) << "wire segment " << edge.first << "-" << edge.second << " inside the mesh";
    }
  }
  for (const auto& s : closed_segments) {
    const int uses = (directed.count(s) != 0 ? 1 : 0) + (directed.count({s.second, s.first}) != 0 ? 1 : 0);
    EXPECT_EQ(uses, 1) << "wire segment " << s.first << "-" << s.second << " not on the mesh boundary";
  }
  for (const auto& s : open_segments) {
    EXPECT_TRUE(directed.count(s) != 0 && directed.count({s.second, s.first}) != 0)
        << "open-line segment " << s.first << "-" << s.second << " not an interior edge";
  }
  // Summing element areas rounds at about 1e-16 relative per element.
  EXPECT_NEAR(area, region, 1e-9 * region);

  std::vector<std::pair<double, double>> sorted;
  for (const auto& n : out.nodes) sorted.emplace_back(n.x, n.y);
  std::sort(sorted.begin(), sorted.end());
  std::size_t close_pairs = 0;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    for (std::size_t j = i + 1; j < sorted.size() && sorted[j].first - sorted[i].first < node_tolerance; ++j) {
      if (std::hypot(sorted[j].first - sorted[i].first, sorted[j].second - sorted[i].second) < node_tolerance) ++close_pairs;
    }
  }
  EXPECT_EQ(close_pairs, 0u) << "nodes closer than the tolerance";

  // Seeds that the mesh must contain are corners of some element.
  for (std::size_t i = 0; i < in.nodes.size(); ++i) {
    if (in.nodes[i].seed == 0) continue;
    const bool used = std::any_of(out.elements.begin(), out.elements.end(), [&](const auto& e) {
      return std::find(e.begin(), e.begin() + 3, static_cast<std::int32_t>(i)) != e.begin() + 3;
    });
    EXPECT_TRUE(used) << "seed " << i << " not in the mesh";
  }
  return summary;
}

}  // namespace mesher_test
