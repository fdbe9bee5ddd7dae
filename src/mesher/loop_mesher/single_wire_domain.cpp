// Loop_Mesher::make_single_wire_domain: the joining of a region's holes to
// its outer wire, one bridge per hole, which gives the loop mesher its
// single loop.
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "mesher/data_2d/mesh_error.h"
#include "mesher/data_2d/point_grid.h"
#include "mesher/data_2d/primitives.h"
#include "mesher/loop_mesher/loop_mesher.h"
#include "mesher/mesher_2d/segment_grid.h"
namespace loop_mesher {

using data_2d::Mesh_Error;
using data_2d::Node;
using data_2d::Point;
using data_2d::Wire;
namespace wire_kind = data_2d::wire_kind;

namespace {

// Bridge score: weight of the squared length (over the squared span of the
// region) and of the summed angle deviations (over 360 degrees); angles
// strictly between 170 and 190 degrees are judged against 180, the others
// against 90. Rules of this library.
constexpr double bridge_length_weight = 0.25;
constexpr double bridge_angle_weight = 0.75;
constexpr double bridge_straight_low_deg = 170.0;
constexpr double bridge_straight_high_deg = 190.0;

// Cells of the wire-segment grid per segment, bounding its memory, and the
// ring grid's cells: no smaller than 1/32 of the region's span.
constexpr double cells_per_segment = 4.0;
constexpr std::size_t min_grid_cells = 1024;
constexpr double ring_grid_divisions = 32.0;

}  // namespace

void Loop_Mesher::make_single_wire_domain() {
  const Wire* outer = nullptr;
  std::vector<const Wire*> inner;
  for (const auto& wire : wires) {
    if (wire->kind == wire_kind::outer && outer == nullptr) outer = wire.get();
    if (wire->kind == wire_kind::inner) inner.push_back(wire.get());
  }
  if (outer == nullptr) throw Mesh_Error("* no outer wire - Mesher_2D::check_input_data()");
  std::vector<Node*> ring(outer->nodes.begin(), outer->nodes.end() - 1);
  const double cell = std::max(element_size * size_factor, tolerance);

  if (!inner.empty()) {
    // Every segment of every closed wire, found by a bucket grid, and the
    // bridges made so far: a bridge may meet none of them but at its ends.
    std::vector<mesher_2d::Segment> segments;
    std::vector<std::pair<const Node*, const Node*>> segment_nodes;
    std::vector<Point> all_points;
    for (const auto& wire : wires) {
      for (std::size_t i = 1; i < wire->nodes.size(); ++i) {
        segments.push_back({wire->nodes[i - 1]->point(), wire->nodes[i]->point()});
        segment_nodes.emplace_back(wire->nodes[i - 1], wire->nodes[i]);
      }
    }
    for (const auto& node : nodes) all_points.push_back(node->point());
    const mesher_2d::Segment_Grid segment_grid(segments, mesher_2d::bounding_box(all_points), cell,
                                               static_cast<std::size_t>(cells_per_segment * static_cast<double>(segments.size())) + min_grid_cells);
    std::vector<std::pair<const Node*, const Node*>> bridges;
    std::vector<std::uint32_t> near;
    const auto blocked = [&](const Node* a, const Node* b) {
      const Point p = a->point();
      const Point q = b->point();
      segment_grid.collect({std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)}, near);
      for (const std::uint32_t s : near) {
        const auto [u, v] = segment_nodes[s];
        if (u == a || u == b || v == a || v == b) continue;
        if (data_2d::segment_intersection(p, q, segments[s].a, segments[s].b)) return true;
      }
      for (const auto& [u, v] : bridges) {
        if (u == a || u == b || v == a || v == b) continue;
        if (data_2d::segment_intersection(p, q, u->point(), v->point())) return true;
      }
      return false;
    };
    const auto local_size = [&](const std::vector<Node*>& list, std::size_t i) {
      const std::size_t n = list.size();
      const Point p = list[i]->point();
      return 0.5 * (std::sqrt(data_2d::squared_distance(p, list[(i + n - 1) % n]->point())) +
                    std::sqrt(data_2d::squared_distance(p, list[(i + 1) % n]->point()))) *
             size_factor;
    };

    for (const Wire* wire : inner) {
      poll_interrupt();
      const std::vector<Node*> hole(wire->nodes.begin(), wire->nodes.end() - 1);
      const std::size_t n = ring.size();
      const std::size_t m = hole.size();
      std::vector<double> ring_angle(n);
      std::vector<double> hole_angle(m);
      for (std::size_t i = 0; i < n; ++i) ring_angle[i] = data_2d::corner_angle(ring[i]->point(), ring[(i + 1) % n]->point(), ring[(i + n - 1) % n]->point());
      for (std::size_t i = 0; i < m; ++i) hole_angle[i] = data_2d::corner_angle(hole[i]->point(), hole[(i + 1) % m]->point(), hole[(i + m - 1) % m]->point());
      // Cells no smaller than 1/32 of the region's span: a query reaching
      // across the region then reads at most some thousand cells.
      data_2d::Point_Grid ring_index(std::max(cell, std::sqrt(span_squared) / ring_grid_divisions));
      ring_index.reserve(n);
      for (std::size_t i = 0; i < n; ++i) ring_index.insert(static_cast<std::int32_t>(i), ring[i]->point());

      double best = std::numeric_limits<double>::infinity();
      std::size_t best_a = 0;
      std::size_t best_b = 0;
      bool found = false;
      std::vector<std::int32_t> candidates;
      for (std::size_t a = 0; a < m; ++a) {
        const Point pa = hole[a]->point();
        // Only ring nodes near enough for the length term alone not to
        // exceed the best score can win; the grid gives them in ring order.
        const double reach2 = best / bridge_length_weight * span_squared;
        if (found && reach2 < span_squared) {
          candidates = ring_index.near(pa, std::sqrt(reach2));
        } else {
          candidates.resize(n);
          for (std::size_t i = 0; i < n; ++i) candidates[i] = static_cast<std::int32_t>(i);
        }
        for (const std::int32_t found_b : candidates) {
          const auto b = static_cast<std::size_t>(found_b);
          const Point pb = ring[b]->point();
          double score = bridge_length_weight * data_2d::squared_distance(pa, pb) / span_squared;
          if (score > best) continue;
          // At each end: the angle from the next node of that end's wire to
          // the bridge, and the rest of the corner. The bridge must leave
          // both ends inside their corners.
          const double b1 = data_2d::corner_angle(pb, ring[(b + 1) % n]->point(), pa);
          const double b2 = ring_angle[b] - b1;
          const double a1 = data_2d::corner_angle(pa, hole[(a + 1) % m]->point(), pb);
          const double a2 = hole_angle[a] - a1;
          if (!(b1 > 0.0 && b2 > 0.0 && a1 > 0.0 && a2 > 0.0)) continue;
          score += bridge_angle_weight *
                   (angle_deviation(b1, bridge_straight_low_deg, bridge_straight_high_deg) + angle_deviation(b2, bridge_straight_low_deg, bridge_straight_high_deg) +
                    angle_deviation(a1, bridge_straight_low_deg, bridge_straight_high_deg) + angle_deviation(a2, bridge_straight_low_deg, bridge_straight_high_deg)) /
                   360.0;
          if (score > best) continue;
          if (blocked(hole[a], ring[b])) continue;
          best = score;
          best_a = a;
          best_b = b;
          found = true;
        }
      }
      if (!found) throw Mesh_Error("* failed to make single wire domain - Loop_mesher::make_single_wire_domain()");

      Node* node_a = hole[best_a];
      Node* node_b = ring[best_b];
      const Point pa = node_a->point();
      const Point pb = node_b->point();
      const double spacing = 0.5 * (local_size(hole, best_a) + local_size(ring, best_b));
      const double length = std::sqrt(data_2d::squared_distance(pa, pb));
      const auto pieces = static_cast<std::size_t>(std::max(1.0, std::round(length / spacing)));
      std::vector<Node*> bridge;
      for (std::size_t k = 1; k < pieces; ++k) {
        const double t = static_cast<double>(k) / static_cast<double>(pieces);
        bridge.push_back(find_or_create_node(pb + t * (pa - pb), false));
      }
      std::vector<Node*> joined(ring.begin(), ring.begin() + static_cast<std::ptrdiff_t>(best_b) + 1);
      joined.insert(joined.end(), bridge.begin(), bridge.end());
      for (std::size_t k = 0; k <= m; ++k) joined.push_back(hole[(best_a + k) % m]);
      joined.insert(joined.end(), bridge.rbegin(), bridge.rend());
      joined.push_back(node_b);
      joined.insert(joined.end(), ring.begin() + static_cast<std::ptrdiff_t>(best_b) + 1, ring.end());
      ring = std::move(joined);
      bridges.emplace_back(node_a, node_b);
    }
  }
  loops.push_back(std::make_unique<Loop>(Loop::from_ring(ring, size_factor)));
}

}  // namespace loop_mesher
