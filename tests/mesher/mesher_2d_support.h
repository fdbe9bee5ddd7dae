// Mesher test helpers: hand-built records and a check of every finished-mesh invariant,
// written from the definitions (shoelace areas, edge counting), not from the mesher's code.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "mesher/data_2d/mesh_error.h"
#include "mesher/data_2d/point.h"
#include "mesher/domain_maker/mesh_data.h"

namespace mesher_test {

using domain_maker::Mesh_Data;
using Xy = data_2d::Point;

// As few pieces as keep each piece of a-b no longer than `size`, as the drivers cut.
inline int pieces_of(Xy a, Xy b, double size) {
  return std::max(1, static_cast<int>(std::ceil(std::hypot(b.x - a.x, b.y - a.y) / size - 1e-9)));
}

// One closed wire per ring (first outer; first point not repeated), open lines, seeds: in that order.
inline Mesh_Data make_record(const std::vector<std::vector<Xy>>& rings, double element_size,
                             const std::vector<std::vector<Xy>>& open_lines = {}, const std::vector<Xy>& seeds = {}) {
  Mesh_Data record;
  record.element_size = element_size;
  const auto add_wire = [&](const std::vector<Xy>& points, std::int32_t kind) {
    domain_maker::Wire_Record wire{0, kind, {}};
    for (const Xy p : points) {
      record.nodes.push_back({1, 0, 0.0, p.x, p.y});
      wire.nodes.push_back(static_cast<std::int32_t>(record.nodes.size() - 1));
    }
    if (kind != 3) wire.nodes.push_back(wire.nodes.front());
    record.wires.push_back(wire);
  };
  for (std::size_t k = 0; k < rings.size(); ++k) add_wire(rings[k], k == 0 ? 1 : 2);
  for (const auto& line : open_lines) add_wire(line, 3);
  for (const Xy p : seeds) record.nodes.push_back({0, 1, 0.0, p.x, p.y});
  return record;
}

// Points along a closed polygon, every side cut by pieces_of.
inline std::vector<Xy> subdivide(const std::vector<Xy>& corners, double size) {
  std::vector<Xy> out;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const Xy a = corners[i];
    const Xy b = corners[(i + 1) % corners.size()];
    const int n = pieces_of(a, b, size);
    for (int k = 0; k < n; ++k) out.push_back(a + (static_cast<double>(k) / n) * (b - a));
  }
  return out;
}

// Points, edges (0-based polylines) and seeds as a host draws them; corpus files add sizes and areas.
struct Outline {
  std::vector<Xy> points;
  std::vector<std::vector<int>> edges;
  std::vector<Xy> seeds;
  std::vector<double> sizes, areas;
};

// The drivers' section record: one wire per edge from 1, segments cut in `pieces` (or by size > 0).
inline domain_maker::Domain_Data section_record(const Outline& outline, double size, int pieces = 1) {
  domain_maker::Domain_Data record;
  record.element_size = size;
  for (const Xy p : outline.points) record.nodes.push_back({1, 0, 0.0, p.x, p.y});
  std::int32_t number = 0;
  for (const auto& edge : outline.edges) {
    domain_maker::Wire_Record wire{++number, 1, {edge[0]}};
    for (std::size_t k = 1; k < edge.size(); ++k) {
      const Xy a = outline.points[static_cast<std::size_t>(edge[k - 1])];
      const Xy b = outline.points[static_cast<std::size_t>(edge[k])];
      const int n = size > 0.0 ? pieces_of(a, b, size) : pieces;
      for (int j = 1; j < n; ++j) {
        const Xy p = a + (static_cast<double>(j) / n) * (b - a);
        record.nodes.push_back({1, 0, 0.0, p.x, p.y});
        wire.nodes.push_back(static_cast<std::int32_t>(record.nodes.size() - 1));
      }
      wire.nodes.push_back(edge[k]);
    }
    record.wires.push_back(wire);
  }
  for (const Xy p : outline.seeds) record.nodes.push_back({0, 1, 0.0, p.x, p.y});
  return record;
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
  return ring_area(m, {e[0], e[1], e[2], e[0]});
}

// Triangle quality by definition: 4 sqrt(3) area / sum of squared sides.
inline double corner_quality(const Mesh_Data& m, const std::vector<std::int32_t>& e) {
  double sides = 0.0;
  for (std::size_t k = 0; k < 3; ++k) {
    const auto& a = m.nodes[static_cast<std::size_t>(e[k])];
    const auto& b = m.nodes[static_cast<std::size_t>(e[(k + 1) % 3])];
    sides += (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
  }
  return 4.0 * std::sqrt(3.0) * corner_area(m, e) / sides;
}

struct Mesh_Summary {
  std::size_t elements = 0;
  double min_quality = 1.0;
  double area = 0.0;
};

// Mesh `out` of region `in`: input nodes first and unmoved; elements of 3 (6) in-range nodes,
// counter-clockwise; edges used once per direction, one-way exactly on closed wires, open lines
// both ways; areas add up; no nodes closer than `node_tolerance`; seeds are corners; mid-sides own.
inline Mesh_Summary expect_valid_mesh(const Mesh_Data& in, const Mesh_Data& out, double node_tolerance) {
  Mesh_Summary summary{out.elements.size()};
  EXPECT_GE(out.nodes.size(), in.nodes.size());
  for (std::size_t i = 0; i < in.nodes.size() && i < out.nodes.size(); ++i) {
    EXPECT_TRUE(out.nodes[i].x == in.nodes[i].x && out.nodes[i].y == in.nodes[i].y) << "input node " << i << " moved";
  }
  const std::size_t per_element = in.quadratic != 0 ? 6 : 3;
  double extent = 0.0;
  for (const auto& n : in.nodes) extent = std::max({extent, std::abs(n.x), std::abs(n.y)});
  const auto node = [&](std::int32_t i) -> const domain_maker::Node_Record& { return out.nodes[static_cast<std::size_t>(i)]; };

  std::map<std::pair<std::int32_t, std::int32_t>, int> directed;
  std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> mid_of_edge;
  std::set<std::int32_t> corners, mids;
  for (const auto& e : out.elements) {
    const bool in_range = e.size() == per_element && std::all_of(e.begin(), e.end(), [&](std::int32_t i) {
                            return i >= 0 && static_cast<std::size_t>(i) < out.nodes.size();
                          });
    EXPECT_TRUE(in_range) << "element of " << e.size() << " nodes or with a node out of range";
    if (!in_range) continue;
    const double a = corner_area(out, e);
    EXPECT_GT(a, 0.0) << "element not counter-clockwise";
    summary.area += a;
    summary.min_quality = std::min(summary.min_quality, corner_quality(out, e));
    for (std::size_t k = 0; k < 3; ++k) {
      const std::int32_t p = e[k], q = e[(k + 1) % 3];
      EXPECT_EQ(++directed[std::pair(p, q)], 1) << "edge " << p << "-" << q << " used twice in one direction";
      corners.insert(p);
      if (per_element == 3) continue;
      const std::int32_t mid = e[3 + k];
      EXPECT_EQ(mid_of_edge.emplace(std::minmax(p, q), mid).first->second, mid) << "edge with two mid-side nodes";
      // Rotating the mesh back moves a midpoint by round-off of the section's size only.
      EXPECT_NEAR(node(mid).x, 0.5 * (node(p).x + node(q).x), 1e-12 * (1.0 + extent));
      EXPECT_NEAR(node(mid).y, 0.5 * (node(p).y + node(q).y), 1e-12 * (1.0 + extent));
    }
  }
  for (const auto& [edge, mid] : mid_of_edge) mids.insert(mid);
  EXPECT_EQ(mids.size(), mid_of_edge.size()) << "two edges share a mid-side node";

  std::set<std::pair<std::int32_t, std::int32_t>> one_way, wire_segments;
  for (const auto& [edge, count] : directed) {
    if (directed.count({edge.second, edge.first}) == 0) one_way.insert(std::minmax(edge.first, edge.second));
  }
  double region = 0.0;
  for (const auto& w : in.wires) {
    if (w.kind != 3) region += std::abs(ring_area(in, w.nodes)) * (w.kind == 1 ? 1.0 : -1.0);
    for (std::size_t i = 1; i < w.nodes.size(); ++i) {
      const std::pair<std::int32_t, std::int32_t> s = std::minmax(w.nodes[i - 1], w.nodes[i]);
      if (w.kind != 3) {
        wire_segments.insert(s);
      } else {
        EXPECT_TRUE(directed.count(s) != 0 && directed.count({s.second, s.first}) != 0)
            << "open-line segment " << s.first << "-" << s.second << " not an interior edge";
      }
    }
  }
  EXPECT_TRUE(one_way == wire_segments) << "the mesh boundary is not the closed wires";
  EXPECT_NEAR(summary.area, region, 1e-9 * region);  // element areas round at about 1e-16 relative each

  std::vector<std::pair<double, double>> sorted;
  for (const auto& n : out.nodes) sorted.emplace_back(n.x, n.y);
  std::sort(sorted.begin(), sorted.end());
  std::size_t close_pairs = 0;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    for (std::size_t j = i + 1; j < sorted.size() && sorted[j].first - sorted[i].first < node_tolerance; ++j) {
      close_pairs += std::hypot(sorted[j].first - sorted[i].first, sorted[j].second - sorted[i].second) < node_tolerance ? 1 : 0;
    }
  }
  EXPECT_EQ(close_pairs, 0u) << "nodes closer than the tolerance";
  for (std::size_t i = 0; i < in.nodes.size(); ++i) {
    EXPECT_TRUE(in.nodes[i].seed == 0 || corners.count(static_cast<std::int32_t>(i)) != 0) << "seed " << i << " not in the mesh";
  }
  return summary;
}

// Meshes a copy of `in` with a fresh Mesher, checks it at its tolerance; the mesh goes to *out.
template <class Mesher>
Mesh_Summary expect_meshes_validly(const Mesh_Data& in, Mesh_Data* out = nullptr) {
  Mesh_Data mesh = in;
  Mesher mesher;
  EXPECT_NO_THROW(mesher.generate_mesh(mesh, nullptr));
  const Mesh_Summary summary = expect_valid_mesh(in, mesh, mesher.get_tolerance());
  if (out != nullptr) *out = std::move(mesh);
  return summary;
}

// The text of the E `f` throws, or "no failure".
template <class E = data_2d::Mesh_Error, class F>
std::string error_of(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  return "no failure";
}

}  // namespace mesher_test
