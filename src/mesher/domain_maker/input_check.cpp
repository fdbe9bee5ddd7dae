// The input check of Domain_Maker: zero-length segments, the merging
// tolerance, merging of coincident nodes, and segments given twice or
// crossing. Every scan that is literally over all pairs goes through grid
// buckets here, with the result an ordered scan over all pairs would give.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "mesher/data_2d/box.h"
#include "mesher/data_2d/mesh_error.h"
#include "mesher/data_2d/point_grid.h"
#include "mesher/data_2d/primitives.h"
#include "mesher/domain_maker/domain_maker.h"

namespace domain_maker {

namespace {

using data_2d::Mesh_Error;
using data_2d::Node;
using data_2d::Point;

constexpr char zero_length_text[] = "* zero length segment in edge - Domain_Maker::check_input_data()";
constexpr char no_node_text[] = "* no input node - Domain_Maker::check_input_data()";
constexpr char duplicate_text[] = "* duplicate seed segments exist - Domain_Maker::check_input_data()";
constexpr char cross_text[] = "* two edges cross - Domain_Maker::check_input_data()";

// The merging tolerance is the smallest distance between two distinct nodes
// (farther apart than data_2d::zero_tolerance) divided by this: two orders of
// magnitude below any feature of the drawing, so it merges only nodes that
// were meant to be one. Rule of this library.
constexpr double tolerance_divisor = 100.0;

// Segment buckets: at most this many cells per side of the box per square
// root of the segment count, so a long diagonal segment covers O(n) cells.
constexpr double segment_cells_per_sqrt_count = 2.0;

}  // namespace

void Domain_Maker::check_input_data() {
  constexpr double min_length2 = data_2d::zero_tolerance * data_2d::zero_tolerance;
  for (const auto& edge : edges_) {
    for (std::size_t k = 1; k < edge->nodes.size(); ++k) {
      if (data_2d::squared_distance(edge->nodes[k - 1]->point(), edge->nodes[k]->point()) < min_length2) {
        throw Mesh_Error(zero_length_text);
      }
    }
  }
  if (nodes_.empty()) throw Mesh_Error(no_node_text);
  compute_tolerance();
  merge_nodes();
  check_segments();
}

// Smallest distance above data_2d::zero_tolerance between two nodes, found
// through a grid whose cells start as long as the shortest segment (its two
// end points are a pair at most that far apart, so the first round already
// succeeds on any outline) and double until the closest pair found is no
// farther apart than a cell: every pair that close is then among the
// neighbours examined. Without segments the cells start at extent / n.
// Without a pair above 1e-8 (one node, or all nodes within 1e-8 of each
// other) the tolerance is the zero length itself.
void Domain_Maker::compute_tolerance() {
  constexpr double distinct2 = data_2d::zero_tolerance * data_2d::zero_tolerance;
  data_2d::Box box;
  for (const auto& node : nodes_) box.add(node->point());
  const double extent = std::max(box.width(), box.height());
  double best2 = std::numeric_limits<double>::infinity();
  if (nodes_.size() >= 2 && extent > data_2d::zero_tolerance) {
    double shortest2 = std::numeric_limits<double>::infinity();
    for (const auto& edge : edges_) {
      for (std::size_t k = 1; k < edge->nodes.size(); ++k) {
        shortest2 = std::min(shortest2, data_2d::squared_distance(edge->nodes[k - 1]->point(), edge->nodes[k]->point()));
      }
    }
    double cell = std::isfinite(shortest2) ? std::sqrt(shortest2) : extent / static_cast<double>(nodes_.size());
    cell = std::max(cell, data_2d::zero_tolerance);
    for (;;) {
      data_2d::Point_Grid grid(cell);
      grid.reserve(nodes_.size());
      for (std::size_t i = 0; i < nodes_.size(); ++i) grid.insert(static_cast<std::int32_t>(i), nodes_[i]->point());
      for (std::size_t i = 0; i < nodes_.size(); ++i) {
        const Point p = nodes_[i]->point();
        grid.for_each_near(p, cell, [&](std::int32_t j) {
          if (static_cast<std::size_t>(j) <= i) return;
          const double d2 = data_2d::squared_distance(p, nodes_[static_cast<std::size_t>(j)]->point());
          if (d2 > distinct2 && d2 < best2) best2 = d2;
        });
      }
      if (best2 <= cell * cell || cell >= extent) break;
      cell *= 2.0;
    }
  }
  tolerance_ = std::isfinite(best2) ? std::sqrt(best2) / tolerance_divisor : data_2d::zero_tolerance;
}

// Node j joins the first node i < j (input order) that is still its own
// representative and lies closer than the tolerance: the result of visiting
// every pair in order, found through a grid of tolerance-sized cells. The
// distance itself is compared with the tolerance (squared against squared),
// so nodes merge only when closer than a hundredth of the smallest spacing.
void Domain_Maker::merge_nodes() {
  const double tol2 = tolerance_ * tolerance_;
  const std::size_t n = nodes_.size();
  std::vector<std::size_t> target(n);
  data_2d::Point_Grid grid(tolerance_);
  grid.reserve(n);
  for (std::size_t j = 0; j < n; ++j) {
    target[j] = j;
    const Point p = nodes_[j]->point();
    grid.for_each_near(p, tolerance_, [&](std::int32_t i) {
      const auto candidate = static_cast<std::size_t>(i);
      if (candidate < target[j] && data_2d::squared_distance(p, nodes_[candidate]->point()) < tol2) target[j] = candidate;
    });
    if (target[j] == j) grid.insert(static_cast<std::int32_t>(j), p);
  }

  const auto survivor = [&](Node* node) {
    return nodes_[target[static_cast<std::size_t>(node_index_.at(node))]].get();
  };
  bool any_merged = false;
  for (std::size_t j = 0; j < n; ++j) any_merged = any_merged || target[j] != j;
  if (!any_merged) return;

  for (auto& edge : edges_) {
    std::vector<Node*> rewritten;
    rewritten.reserve(edge->nodes.size());
    for (Node* node : edge->nodes) {
      Node* s = survivor(node);
      if (rewritten.empty() || rewritten.back() != s) rewritten.push_back(s);
    }
    edge->nodes = std::move(rewritten);
  }
  std::vector<Node*> seeds;
  for (Node* seed : seeds_) {
    Node* s = survivor(seed);
    if (std::find(seeds.begin(), seeds.end(), s) == seeds.end()) seeds.push_back(s);
  }
  seeds_ = std::move(seeds);

  std::vector<std::unique_ptr<Node>> kept;
  kept.reserve(n);
  for (std::size_t j = 0; j < n; ++j) {
    if (target[j] == j) {
      kept.push_back(std::move(nodes_[j]));
    } else {
      node_index_.erase(nodes_[j].get());
    }
  }
  nodes_ = std::move(kept);
}

// Every pair of segments is tested for being the same segment (end points
// pairwise within the tolerance, either direction) and for crossing. Pairs
// within one edge are tested too: an edge that crosses itself or runs back
// over itself would otherwise pass and be traced into a wire that is not a
// simple polygon. Candidate pairs come from a grid of segment boxes; of all
// faulty pairs the one an ordered scan (edge i <= edge j, then their segments
// in order) meets first decides the message. With fewer than two edges the
// check still runs, on the pairs of the one edge.
void Domain_Maker::check_segments() const {
  struct Segment {
    std::size_t edge;
    std::size_t index;
    Point a;
    Point b;
    std::int64_t cx0, cy0, cx1, cy1;
  };
  std::vector<Segment> segments;
  data_2d::Box box;
  double total_length = 0.0;
  for (std::size_t i = 0; i < edges_.size(); ++i) {
    const auto& nodes = edges_[i]->nodes;
    for (std::size_t k = 1; k < nodes.size(); ++k) {
      const Point a = nodes[k - 1]->point();
      const Point b = nodes[k]->point();
      segments.push_back({i, k - 1, a, b, 0, 0, 0, 0});
      box.add(a);
      box.add(b);
      total_length += std::sqrt(data_2d::squared_distance(a, b));
    }
  }
  if (segments.size() < 2) return;
  const double count = static_cast<double>(segments.size());
  const double extent = std::max(box.width(), box.height());
  const double cell = std::max({total_length / count, extent / (segment_cells_per_sqrt_count * std::sqrt(count)),
                                tolerance_, data_2d::zero_tolerance});
  const auto cell_of = [&](double v, double origin) { return static_cast<std::int64_t>(std::floor((v - origin) / cell)); };
  // (cell x, cell y, segment) for every cell a segment box covers, sorted so
  // that each cell's segments form one run.
  struct Entry {
    std::int64_t ix;
    std::int64_t iy;
    std::size_t segment;
    bool operator<(const Entry& o) const { return ix != o.ix ? ix < o.ix : iy != o.iy ? iy < o.iy : segment < o.segment; }
  };
  std::vector<Entry> entries;
  entries.reserve(2 * segments.size());
  for (std::size_t s = 0; s < segments.size(); ++s) {
    Segment& g = segments[s];
    g.cx0 = cell_of(std::min(g.a.x, g.b.x) - tolerance_, box.x0);
    g.cx1 = cell_of(std::max(g.a.x, g.b.x) + tolerance_, box.x0);
    g.cy0 = cell_of(std::min(g.a.y, g.b.y) - tolerance_, box.y0);
    g.cy1 = cell_of(std::max(g.a.y, g.b.y) + tolerance_, box.y0);
    for (std::int64_t ix = g.cx0; ix <= g.cx1; ++ix) {
      for (std::int64_t iy = g.cy0; iy <= g.cy1; ++iy) entries.push_back({ix, iy, s});
    }
  }

  const double tol2 = tolerance_ * tolerance_;
  using Key = std::array<std::size_t, 4>;  // edge i <= edge j, segment of i, segment of j
  bool found = false;
  Key first{};
  bool first_is_duplicate = false;
  std::sort(entries.begin(), entries.end());
  for (std::size_t run = 0; run < entries.size();) {
    std::size_t end = run + 1;
    while (end < entries.size() && entries[end].ix == entries[run].ix && entries[end].iy == entries[run].iy) ++end;
    const std::int64_t cell_x = entries[run].ix;
    const std::int64_t cell_y = entries[run].iy;
    const std::size_t begin = run;
    run = end;
    for (std::size_t u = begin; u < end; ++u) {
      for (std::size_t v = u + 1; v < end; ++v) {
        const Segment* s = &segments[entries[u].segment];
        const Segment* t = &segments[entries[v].segment];
        // Test each pair once: in the first cell both boxes share.
        if (std::max(s->cx0, t->cx0) != cell_x || std::max(s->cy0, t->cy0) != cell_y) continue;
        if (s->edge > t->edge || (s->edge == t->edge && s->index > t->index)) std::swap(s, t);
        const Key key{s->edge, t->edge, s->index, t->index};
        if (found && !(key < first)) continue;
        const bool same = data_2d::squared_distance(s->a, t->a) < tol2 && data_2d::squared_distance(s->b, t->b) < tol2;
        const bool opposite =
            data_2d::squared_distance(s->a, t->b) < tol2 && data_2d::squared_distance(s->b, t->a) < tol2;
        if (same || opposite) {
          found = true;
          first = key;
          first_is_duplicate = true;
        } else if (data_2d::segments_cross(s->a, s->b, t->a, t->b)) {
          found = true;
          first = key;
          first_is_duplicate = false;
        }
      }
    }
  }
  if (found) throw Mesh_Error(first_is_duplicate ? duplicate_text : cross_text);
}

}  // namespace domain_maker
