#include "mesher/loop_mesher/loop_mesher.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "mesher/data_2d/box.h"
#include "mesher/data_2d/mesh_error.h"
#include "mesher/data_2d/point_grid.h"
#include "mesher/data_2d/primitives.h"
#include "mesher/loop_mesher/smoothing.h"
#include "mesher/mesher_2d/advancing_front.h"
#include "mesher/mesher_2d/node_pair_map.h"

namespace loop_mesher {

using data_2d::Element;
using data_2d::Mesh_Error;
using data_2d::Node;
using data_2d::Point;
using data_2d::Wire;
namespace wire_kind = data_2d::wire_kind;

namespace {

// Loops with more segments than this are cut; eight when the wire segments
// differ in length by a factor of 2.1 or more, six when they are all about
// equal (then six-segment loops fill with regular quadrilaterals). Rules of
// this library.
constexpr std::size_t max_final_segments = 8;
constexpr std::size_t max_final_segments_uniform = 6;
constexpr double uniform_length_ratio = 2.1;

// Chord cost: squared length, balance of the two pieces and the four angles
// at the ends (judged against 180 strictly between 165 and 195 degrees,
// else against 90). An angle below 10 degrees rules the chord out with the
// cost 2; costs above 1.1 never win. Rules of this library.
constexpr double chord_length_weight = 0.35;
constexpr double chord_balance_weight = 0.1;
constexpr double chord_angle_weight = 0.55;
constexpr double chord_straight_low_deg = 165.0;
constexpr double chord_straight_high_deg = 195.0;
constexpr double chord_min_angle_deg = 10.0;
constexpr double chord_ruled_out = 2.0;
constexpr double chord_start_cost = 1.1;
// A reflex chord that would leave a three-segment piece with a straight wire
// corner inside gets this cost: it wins only when nothing else does.
constexpr double chord_poor_cost = 1.0;
// Wire corners within this of 180 degrees are straight for the skip rules.
constexpr double straight_low_deg = 179.0;
constexpr double straight_high_deg = 181.0;
// A loop with a corner above this is not convex, and chords must then be
// tested against the loop's segments.
constexpr double convex_limit_deg = 180.1;
// Each piece keeps at least this many segments of the cut loop.
constexpr std::size_t min_side_segments = 3;

// Chord ends whose local sizes differ by more than this fraction of the
// smaller get graded spacing along the chord. Rule of this library.
constexpr double graded_size_ratio = 0.01;

// Chord nodes stay at least this many merging distances apart.
constexpr double min_chord_spacing = 4.0;

// Splitting gives up after this many bisections per node of the loops it
// started with: a loop that keeps producing pieces too large to fill would
// otherwise never stop. Rule of this library.
constexpr std::size_t bisection_cap_per_node = 50;

// A quadrilateral with a corner above this (degrees) is split in the
// clean-up pass. Rule of this library (the flat-corner limit of
// Mesher_2D::split_flat_quadrilaterals).
constexpr double split_corner_deg = 165.0;

// A loop whose area is below this fraction of its squared perimeter
// encloses nothing (a bridge walked there and back). Rule of this library.
constexpr double degenerate_loop_fraction = 1e-12;

// Sweeps of the passes after the closure and after the insertion of seeds
// and open lines. Rule of this library.
constexpr int closure_laplacian_sweeps = 3;
constexpr int closure_angle_sweeps = 1;
constexpr int insertion_laplacian_sweeps = 2;
constexpr int insertion_improvement_passes = 2;

// A seed whose seed_size is below the zero length clears this many element
// sizes around it.
constexpr double default_seed_size_fraction = 0.25;
// The gap filling of the holes around seeds and open lines looks this many
// element sizes around a segment (as the grid mesher's gap filling does).
constexpr double front_search_radius_factor = 5.0;



const char* const bisect_failure = "* failed to bisect loop - Loop_mesher::bisect_loop()";

Point element_centroid(const Element& e) noexcept {
  Point sum;
  for (const Node* n : e.nodes) sum = sum + n->point();
  return (1.0 / static_cast<double>(e.nodes.size())) * sum;
}

}  // namespace

Loop_Mesher::Loop_Mesher() { loops.reserve(reserved_loops); }

void Loop_Mesher::clear() {
  loops.clear();
  open_lines.clear();
  Mesher_2D::clear();
}

void Loop_Mesher::prepare_mesh() {
  Mesher_2D::prepare_mesh();
  loops.clear();
  bisections_ = 0;
  for (auto& wire : wires) {
    if (wire->kind == wire_kind::open_line) open_lines.push_back(std::move(wire));
  }
  std::erase_if(wires, [](const std::unique_ptr<Wire>& w) { return !w; });
  double shortest = std::numeric_limits<double>::infinity();
  double longest = 0.0;
  for (const auto& wire : wires) {
    for (std::size_t i = 1; i < wire->nodes.size(); ++i) {
      const double length = std::sqrt(data_2d::squared_distance(wire->nodes[i - 1]->point(), wire->nodes[i]->point()));
      shortest = std::min(shortest, length);
      longest = std::max(longest, length);
    }
  }
  uniform = longest > 0.0 && longest / shortest < uniform_length_ratio;
  data_2d::Box box;
  for (const auto& node : nodes) box.add(node->point());
  span_squared = nodes.empty() ? 0.0 : box.width() * box.width() + box.height() * box.height();
}

double Loop_Mesher::chord_cost(const Loop& loop, std::size_t i, std::size_t j, double best) const {
  const std::size_t n = loop.segments();
  const Point pi = loop.point(i);
  const Point pj = loop.point(j);
  double cost = chord_length_weight * data_2d::squared_distance(pi, pj) / span_squared;
  if (cost > best) return cost;
  const std::size_t k = i < j ? j - i : i - j;
  cost += chord_balance_weight * std::abs(static_cast<double>(n) - 2.0 * static_cast<double>(k)) / static_cast<double>(n);
  if (cost > best) return cost;
  const double a1 = data_2d::corner_angle(pi, loop.point(i + 1), pj);
  const double a2 = loop.angle(i) - a1;
  const double b1 = data_2d::corner_angle(pj, loop.point(j + 1), pi);
  const double b2 = loop.angle(j) - b1;
  if (std::min({a1, a2, b1, b2}) < chord_min_angle_deg) return chord_ruled_out;
  cost += chord_angle_weight *
          (angle_deviation(a1, chord_straight_low_deg, chord_straight_high_deg) + angle_deviation(a2, chord_straight_low_deg, chord_straight_high_deg) +
           angle_deviation(b1, chord_straight_low_deg, chord_straight_high_deg) + angle_deviation(b2, chord_straight_low_deg, chord_straight_high_deg)) /
          360.0;
  return cost;
}

bool Loop_Mesher::chord_crosses_loop(const Loop& loop, std::size_t i, std::size_t j) const {
  // True when the chord meets a segment that does not touch its ends, or
  // lies outside the loop. End points count (primitive 8): a chord through
  // another node of the loop would leave a piece that touches itself.
  const Node* a = loop.node(i);
  const Node* b = loop.node(j);
  const Point p = a->point();
  const Point q = b->point();
  const double x0 = std::min(p.x, q.x);
  const double x1 = std::max(p.x, q.x);
  const double y0 = std::min(p.y, q.y);
  const double y1 = std::max(p.y, q.y);
  // A chord that passes a loop node closer than a chord node may lie to
  // another node would have that node found as one of its own nodes.
  const double near = min_chord_spacing * tolerance;
  for (std::size_t s = 0; s < loop.segments(); ++s) {
    const Node* u = loop.nodes[s];
    const Node* v = loop.nodes[s + 1];
    if (u != a && u != b) {
      const auto foot = data_2d::foot_on_segment(u->point(), p, q);
      if (foot && data_2d::squared_distance(*foot, u->point()) < near * near) return true;
    }
    if (u == a || u == b || v == a || v == b) continue;
    if (std::max(u->x, v->x) < x0 || std::min(u->x, v->x) > x1 || std::max(u->y, v->y) < y0 || std::min(u->y, v->y) > y1) continue;
    if (data_2d::segment_intersection(p, q, u->point(), v->point())) return true;
  }
  // A chord that meets no segment lies wholly inside or wholly outside; the
  // angle rules keep it inside, and its midpoint confirms it.
  return std::abs(data_2d::winding_sum(0.5 * (p + q), loop.nodes)) < data_2d::winding_inside;
}

std::optional<Loop_Mesher::Chord> Loop_Mesher::choose_chord(const Loop& loop) const {
  const std::size_t n = loop.segments();
  if (n < 2 * min_side_segments) return std::nullopt;
  const auto wire_node = [&](std::size_t i) { return loop.node(i)->on_boundary != 0; };
  const auto straight_wire_node = [&](std::size_t i) {
    return wire_node(i) && loop.angle(i) > straight_low_deg && loop.angle(i) < straight_high_deg;
  };

  // Reflex corner first: the chord starts at the largest corner above 215
  // degrees. Candidates are ranked by cost, the later of equal costs first,
  // and the first that crosses no loop segment wins.
  const std::size_t r = loop.largest_angle_index();
  if (loop.angle(r) > reflex_corner_deg) {
    struct Candidate {
      double cost;
      std::size_t j;
      std::size_t order;
    };
    std::vector<Candidate> candidates;
    for (std::size_t k = min_side_segments; k + min_side_segments <= n; ++k) {
      const std::size_t j = (r + k) % n;
      if (loop.node(j) == loop.node(r)) continue;
      double cost = chord_cost(loop, r, j, chord_start_cost);
      if (wire_node(r) && wire_node(j)) {
        const bool poor = (k == 3 && ((wire_node(r + 1) && loop.angle(r + 1) > straight_low_deg) ||
                                      (wire_node(r + 2) && loop.angle(r + 2) > straight_low_deg))) ||
                          (n - k == 3 && ((wire_node(j + 1) && loop.angle(j + 1) > straight_low_deg) ||
                                          (wire_node(j + 2) && loop.angle(j + 2) > straight_low_deg)));
        // Only a chord that lies inside both corners can be kept as a last
        // resort; one ruled out by its angles stays out.
        if (poor && cost <= chord_start_cost) cost = chord_poor_cost;
      }
      if (cost <= chord_start_cost) candidates.push_back({cost, j, k});
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& x, const Candidate& y) {
      return x.cost < y.cost || (x.cost == y.cost && x.order > y.order);
    });
    for (const Candidate& c : candidates) {
      if (!chord_crosses_loop(loop, r, c.j)) return Chord{std::min(r, c.j), std::max(r, c.j)};
    }
  }

  // Every pair, the cheapest (the later of equal costs) that crosses nothing.
  bool convex = true;
  for (std::size_t i = 0; i < n; ++i) convex = convex && loop.angle(i) <= convex_limit_deg;
  const auto skipped = [&](std::size_t i, std::size_t j) {
    if (loop.node(i) == loop.node(j)) return true;
    const std::size_t k = j - i;
    if (wire_node(i) && wire_node(j)) {
      // A short chord beside a straight run of the wire would leave a
      // piece with a corner of 180 degrees.
      const bool skip3 = (k == 3 && wire_node(i + 1) && wire_node(i + 2) && (straight_wire_node(i + 1) || straight_wire_node(i + 2))) ||
                         (n - k == 3 && wire_node(j + 1) && wire_node(j + 2) && (straight_wire_node(j + 1) || straight_wire_node(j + 2)));
      const bool skip4 = (k == 4 && wire_node(i + 1) && wire_node(i + 2) && wire_node(i + 3) &&
                          (straight_wire_node(i + 1) || straight_wire_node(i + 2) || straight_wire_node(i + 3))) ||
                         (n - k == 4 && wire_node(j + 1) && wire_node(j + 2) && wire_node(j + 3) &&
                          (straight_wire_node(j + 1) || straight_wire_node(j + 2) || straight_wire_node(j + 3)));
      if (skip3 || skip4) return true;
    }
    return false;
  };
  double best = chord_start_cost;
  // The scan keeps the last pair whose cost equals the least cost of any
  // valid pair, whatever bound it starts from, as long as the bound is not
  // below that least cost. Starting from the cost of a valid balanced chord
  // (one pass over the loop) lets the length and balance terms end most
  // evaluations before the angles are measured.
  for (std::size_t i = 0; i < n / 2; ++i) {
    const std::size_t j = i + n / 2;
    if (j - i < min_side_segments || n - (j - i) < min_side_segments || skipped(i, j)) continue;
    const double cost = chord_cost(loop, i, j, best);
    if (cost < best && (convex || !chord_crosses_loop(loop, i, j))) best = cost;
  }
  std::optional<Chord> chosen;
  const double nd = static_cast<double>(n);
  for (std::size_t i = 0; i < n; ++i) {
    // Pairs whose balance term alone exceeds the best cannot win: their
    // index distance k is too far from n / 2.
    const double spread = 0.5 * best * nd / chord_balance_weight + 1.0;
    const double k_low = std::max(static_cast<double>(min_side_segments), std::floor(0.5 * nd - spread));
    const double k_high = std::min(nd - static_cast<double>(min_side_segments), std::ceil(0.5 * nd + spread));
    for (auto k = static_cast<std::size_t>(k_low); static_cast<double>(k) <= k_high; ++k) {
      const std::size_t j = i + k;
      if (j >= n) break;
      if (skipped(i, j)) continue;
      const double cost = chord_cost(loop, i, j, best);
      if (cost > best) continue;
      if (!convex && chord_crosses_loop(loop, i, j)) continue;
      best = cost;
      chosen = Chord{i, j};
    }
  }
  return chosen;
}

bool Loop_Mesher::bisect_loop(std::size_t index, bool required) {
  poll_interrupt();
  const Loop& loop = *loops[index];
  const auto chord = choose_chord(loop);
  if (!chord) {
    if (required) throw Mesh_Error(bisect_failure);
    return false;
  }
  const std::size_t n = loop.segments();
  const std::size_t i = chord->i;
  const std::size_t j = chord->j;
  const std::size_t k = j - i;
  const Point pi = loop.point(i);
  const Point pj = loop.point(j);
  // The spacing grows linearly from the local size at Pi to that at Pj: a
  // chord from a small feature into a coarse part would otherwise fill the
  // coarse part with pieces at the small feature's size, which then need
  // ever more cuts. The piece count is the integral of 1 / spacing along the
  // chord, max(1, round(length / size)) when both sizes are equal.
  const double length = std::sqrt(data_2d::squared_distance(pi, pj));
  const double hi = loop.size(i);
  const double hj = loop.size(j);
  const double growth = (hj - hi) / length;  // spacing change per unit length
  const bool graded = std::abs(hj - hi) > graded_size_ratio * std::min(hi, hj);
  const double ideal = graded ? std::log(hj / hi) / growth : length / hi;
  // Chord nodes closer together than a few merging distances would be found
  // as one node; a chord too short for its pieces gets fewer.
  const auto max_pieces = static_cast<std::size_t>(std::max(1.0, std::floor(length / (min_chord_spacing * tolerance))));
  std::size_t pieces = std::min(max_pieces, static_cast<std::size_t>(std::max(1.0, std::round(ideal))));
  // Pieces of k + pieces and n - k + pieces segments. An even loop is cut so
  // that both are even: an odd pair could leave five or seven segments,
  // which no pattern fills with quadrilaterals. (A chord too short for one
  // more piece stays odd; the diagonal filling takes such loops.)
  if (n % 2 == 0 && (k + pieces) % 2 == 1) {
    const bool fewer = pieces > 1 && (pieces + 1 > max_pieces || ideal - static_cast<double>(pieces - 1) < static_cast<double>(pieces + 1) - ideal);
    if (fewer) {
      --pieces;
    } else if (pieces + 1 <= max_pieces) {
      ++pieces;
    }
  }
  std::vector<Node*> chord_nodes;
  std::vector<double> chord_sizes;
  for (std::size_t m = 1; m < pieces; ++m) {
    const double f = static_cast<double>(m) / static_cast<double>(pieces);
    // Position whose integral of 1 / spacing from Pi is the fraction f of
    // the whole: x = hi (exp(f ideal growth) - 1) / growth.
    const double t = graded ? hi * (std::exp(f * ideal * growth) - 1.0) / growth / length : f;
    Node* node = find_or_create_node(pi + t * (pj - pi), false);
    // A node found at an end or twice would make a loop visit it twice in a row.
    if (node == loop.node(i) || node == loop.node(j) || (!chord_nodes.empty() && node == chord_nodes.back())) continue;
    chord_nodes.push_back(node);
    chord_sizes.push_back(hi + (hj - hi) * t);
  }
  auto first = std::make_unique<Loop>();
  for (std::size_t s = i; s <= j; ++s) {
    first->nodes.push_back(loop.nodes[s]);
    first->angles.push_back(loop.angles[s]);
    first->sizes.push_back(loop.sizes[s]);
  }
  for (std::size_t m = chord_nodes.size(); m-- > 0;) {
    first->nodes.push_back(chord_nodes[m]);
    first->angles.push_back(180.0);
    first->sizes.push_back(chord_sizes[m]);
  }
  first->close();
  auto second = std::make_unique<Loop>();
  for (std::size_t s = j; s < n; ++s) {
    second->nodes.push_back(loop.nodes[s]);
    second->angles.push_back(loop.angles[s]);
    second->sizes.push_back(loop.sizes[s]);
  }
  for (std::size_t s = 0; s <= i; ++s) {
    second->nodes.push_back(loop.nodes[s]);
    second->angles.push_back(loop.angles[s]);
    second->sizes.push_back(loop.sizes[s]);
  }
  for (std::size_t m = 0; m < chord_nodes.size(); ++m) {
    second->nodes.push_back(chord_nodes[m]);
    second->angles.push_back(180.0);
    second->sizes.push_back(chord_sizes[m]);
  }
  second->close();
  // The corners at the chord's ends are divided between the two pieces.
  for (Loop* piece : {first.get(), second.get()}) {
    for (const std::size_t at : {std::size_t{0}, piece == first.get() ? k : n - k}) {
      piece->angles[at] = piece->corner_angle_at(at);
    }
    piece->angles.back() = piece->angles.front();
  }
  loops[index].reset();
  loops.push_back(std::move(first));
  loops.push_back(std::move(second));
  ++bisections_;
  return true;
}

void Loop_Mesher::split_loops() {
  const std::size_t limit = uniform ? max_final_segments_uniform : max_final_segments;
  std::size_t initial = 0;
  for (const auto& loop : loops) initial += loop->segments();
  const std::size_t cap = bisection_cap_per_node * std::max<std::size_t>(initial, 1);
  // One pass over the list visits the pieces too, since they are appended.
  for (std::size_t i = 0; i < loops.size(); ++i) {
    if (!loops[i]) continue;
    const Loop& loop = *loops[i];
    const std::size_t n = loop.segments();
    const bool too_long = n > limit;
    const bool reflex = n == max_final_segments && loop.angle(loop.largest_angle_index()) > reflex_corner_deg;
    if (!too_long && !reflex) continue;
    if (bisections_ >= cap) throw Mesh_Error(bisect_failure);
    // Only a loop longer than any pattern must be cut; the others are cut
    // for quality and stay whole when no chord qualifies.
    bisect_loop(i, n > max_final_segments);
  }
  std::erase_if(loops, [](const std::unique_ptr<Loop>& l) { return !l; });
}

void Loop_Mesher::add_cells(const std::vector<Node*>& corners, const Loop_Fill& fill) {
  std::vector<Node*> all = corners;
  for (const Point p : fill.extra) {
    nodes.push_back(std::make_unique<Node>(0u, p.x, p.y));
    all.push_back(nodes.back().get());
  }
  for (const auto& cell : fill.cells) {
    std::vector<Node*> list;
    for (const int i : cell) list.push_back(all[static_cast<std::size_t>(i)]);
    elements.push_back(std::make_unique<Element>(std::move(list)));
  }
}

void Loop_Mesher::stamp_6_node_loop(const Loop& loop) {
  std::vector<Point> corners;
  for (std::size_t i = 0; i < 6; ++i) corners.push_back(loop.point(i));
  const auto fill = stamp_6(corners, std::span<const double>(loop.angles.data(), 6));
  if (!fill) throw Mesh_Error("* failed to stamp 6-node loop - Loop_Mesher::stamp_6_node_loop()");
  add_cells({loop.nodes.begin(), loop.nodes.end() - 1}, *fill);
}

void Loop_Mesher::stamp_8_node_loop(const Loop& loop) {
  std::vector<Point> corners;
  for (std::size_t i = 0; i < 8; ++i) corners.push_back(loop.point(i));
  const auto fill = stamp_8(corners, std::span<const double>(loop.angles.data(), 8));
  if (!fill) throw Mesh_Error("* failed to stamp 8-node loop - Loop_Mesher::stamp_8_node_loop()");
  add_cells({loop.nodes.begin(), loop.nodes.end() - 1}, *fill);
}

void Loop_Mesher::generate_loop_closure_mesh() {
  const char* const invalid = "* invalid number of segments in final loop - Loop_Mesher::generate_loop_closure_mesh()";
  for (const auto& loop : loops) {
    poll_interrupt();
    const std::vector<Node*> corners(loop->nodes.begin(), loop->nodes.end() - 1);
    std::vector<Point> points;
    double perimeter = 0.0;
    for (std::size_t i = 0; i < corners.size(); ++i) {
      points.push_back(corners[i]->point());
      perimeter += std::sqrt(data_2d::squared_distance(corners[i]->point(), corners[(i + 1) % corners.size()]->point()));
    }
    // A piece of a bridge cut off on its own, walked there and back,
    // encloses nothing: the loops on either side of it meet along it.
    if (std::abs(data_2d::polygon_area(corners)) <= degenerate_loop_fraction * perimeter * perimeter) continue;
    switch (loop->nodes.size()) {
      case 4:
      case 5:
        if (cell_is_valid(points)) {
          elements.push_back(std::make_unique<Element>(corners));
          break;
        }
        [[fallthrough]];
      case 6:
      case 8: {
        // Five and seven segments remain only of a loop with an odd number
        // of segments, which must keep one triangle somewhere.
        const auto fill = fill_small_polygon(points);
        if (!fill) throw Mesh_Error(invalid);
        add_cells(corners, *fill);
        break;
      }
      case 7:
        stamp_6_node_loop(*loop);
        break;
      case 9:
        stamp_8_node_loop(*loop);
        break;
      default:
        throw Mesh_Error(invalid);
    }
  }
}

void Loop_Mesher::smooth_passes(int laplacian, int angle, int improve) {
  if (!smoothing_) return;
  Smoother smoother(nodes, elements);
  smoother.laplacian(laplacian, interrupt);
  smoother.angle_based(angle, interrupt);
  smoother.improve(improve, interrupt);
  reset_node_index();
}

void Loop_Mesher::insert_seeds_and_open_lines() {
  if (seeds.empty() && open_lines.empty()) return;
  const double h = element_size * size_factor;
  const double cell = std::max(h, tolerance);

  // 1. Created nodes too close to a seed or an open line.
  mesher_2d::Node_Pair_Map removed(nodes.size());
  data_2d::Point_Grid created(cell);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i]->id == 0 && nodes[i]->on_boundary == 0) created.insert(static_cast<std::int32_t>(i), nodes[i]->point());
  }
  for (const Node* seed : seeds) {
    poll_interrupt();
    const double r = seed->seed_size < mesher_2d::length_zero ? default_seed_size_fraction * element_size : seed->seed_size;
    for (const std::int32_t i : created.near(seed->point(), r)) {
      const Node* node = nodes[static_cast<std::size_t>(i)].get();
      if (data_2d::squared_distance(node->point(), seed->point()) < r * r) removed.insert(node, nullptr, 0);
    }
  }
  std::vector<std::pair<Node*, Node*>> line_segments;
  for (const auto& line : open_lines) {
    for (std::size_t s = 1; s < line->nodes.size(); ++s) line_segments.emplace_back(line->nodes[s - 1], line->nodes[s]);
  }
  for (const auto& [a, b] : line_segments) {
    const Point pa = a->point();
    const Point pb = b->point();
    const double half = 0.5 * std::sqrt(data_2d::squared_distance(pa, pb));
    for (const std::int32_t i : created.near(0.5 * (pa + pb), 2.0 * half)) {
      poll_interrupt();
      const Node* node = nodes[static_cast<std::size_t>(i)].get();
      const Point p = node->point();
      const auto foot = data_2d::foot_on_segment(p, pa, pb);
      if (data_2d::squared_distance(p, pa) < half * half || data_2d::squared_distance(p, pb) < half * half ||
          (foot && data_2d::squared_distance(p, *foot) < half * half)) {
        removed.insert(node, nullptr, 0);
      }
    }
  }

  // 2. Elements on a removed node, around a seed or across an open line.
  double reach = 0.0;
  data_2d::Point_Grid centroids(cell);
  for (std::size_t e = 0; e < elements.size(); ++e) {
    const Point c = element_centroid(*elements[e]);
    centroids.insert(static_cast<std::int32_t>(e), c);
    for (const Node* n : elements[e]->nodes) reach = std::max(reach, std::sqrt(data_2d::squared_distance(c, n->point())));
  }
  std::vector<char> drop(elements.size(), 0);
  for (std::size_t e = 0; e < elements.size(); ++e) {
    poll_interrupt();
    for (const Node* n : elements[e]->nodes) drop[e] = static_cast<char>(drop[e] || removed.contains(n, nullptr));
  }
  for (const Node* seed : seeds) {
    const Point s = seed->point();
    for (const std::int32_t found : centroids.near(s, reach)) {
      const auto e = static_cast<std::size_t>(found);
      const std::vector<Node*>& c = elements[e]->nodes;
      bool inside = std::abs(data_2d::winding_sum_cyclic(s, c)) > data_2d::winding_inside;
      for (std::size_t k = 0; k < c.size() && !inside; ++k) {
        const Point a = c[k]->point();
        const Point b = c[(k + 1) % c.size()]->point();
        const auto foot = data_2d::foot_on_segment(s, a, b);
        inside = foot && data_2d::squared_distance(s, *foot) < 0.5 * data_2d::squared_distance(a, b);
      }
      if (inside) drop[e] = 1;
    }
  }
  for (const auto& [a, b] : line_segments) {
    const Point pa = a->point();
    const Point pb = b->point();
    const double half = 0.5 * std::sqrt(data_2d::squared_distance(pa, pb));
    for (const std::int32_t found : centroids.near(0.5 * (pa + pb), half + reach)) {
      const auto e = static_cast<std::size_t>(found);
      const std::vector<Node*>& c = elements[e]->nodes;
      for (std::size_t k = 0; k < c.size(); ++k) {
        if (data_2d::segments_cross(c[k]->point(), c[(k + 1) % c.size()]->point(), pa, pb)) drop[e] = 1;
      }
    }
  }
  std::vector<std::unique_ptr<Element>> kept;
  for (std::size_t e = 0; e < elements.size(); ++e) {
    if (drop[e] == 0) kept.push_back(std::move(elements[e]));
  }
  elements = std::move(kept);
  // Created nodes no remaining element uses go too: the front never reaches
  // a node that is neither on it nor given to it, and a node of no element
  // would be a free degree of freedom for the solver.
  mesher_2d::Node_Pair_Map used(nodes.size());
  for (const auto& e : elements) {
    for (const Node* n : e->nodes) used.insert(n, nullptr, 0);
  }
  std::erase_if(nodes, [&](const std::unique_ptr<Node>& n) {
    return n->id == 0 && n->on_boundary == 0 && (removed.contains(n.get(), nullptr) || !used.contains(n.get(), nullptr));
  });
  reset_node_index();

  // 3. The front around the hole.
  std::size_t side_count = 0;
  for (const auto& e : elements) side_count += e->nodes.size();
  mesher_2d::Advancing_Front front(front_search_radius_factor * element_size, side_count / 4 + 4 * line_segments.size() + seeds.size() + 16);
  for (const auto& [a, b] : line_segments) {
    front.add_segment(a, b, false);
    front.add_segment(b, a, false);
  }
  for (Node* seed : seeds) front.add_node(seed);
  mesher_2d::Node_Pair_Map sides(side_count);
  for (const auto& e : elements) {
    const std::size_t k = e->nodes.size();
    for (std::size_t i = 0; i < k; ++i) sides.insert(e->nodes[i], e->nodes[(i + 1) % k], 0);
  }
  mesher_2d::Node_Pair_Map initial_segments;
  for (const auto& [wire, list] : initial_wires) {
    for (std::size_t i = 1; i < list.size(); ++i) {
      initial_segments.insert(list[i - 1], list[i], 0);
      initial_segments.insert(list[i], list[i - 1], 0);
    }
  }
  // A wire segment whose element was cleared borders the hole as well.
  for (const auto& wire : wires) {
    for (std::size_t i = 1; i < wire->nodes.size(); ++i) {
      if (!sides.contains(wire->nodes[i - 1], wire->nodes[i])) front.add_segment(wire->nodes[i - 1], wire->nodes[i], false);
    }
  }
  for (const auto& e : elements) {
    const std::size_t k = e->nodes.size();
    for (std::size_t i = 0; i < k; ++i) {
      Node* a = e->nodes[i];
      Node* b = e->nodes[(i + 1) % k];
      if (!sides.contains(b, a) && !initial_segments.contains(a, b)) front.add_segment(b, a, false);
    }
  }
  for (auto& line : open_lines) wires.push_back(std::move(line));
  open_lines.clear();

  // 4. Fill, then even out the new elements with their neighbours.
  front.fill(elements, interrupt);
  smooth_passes(insertion_laplacian_sweeps, 0, insertion_improvement_passes);
  smooth_passes(insertion_laplacian_sweeps, 0, 0);
}

void Loop_Mesher::split_flat_quadrilaterals() {
  std::vector<std::unique_ptr<Element>> added;
  for (auto& element : elements) {
    if (element->nodes.size() != 4) continue;
    const std::vector<Node*>& n = element->nodes;
    bool flat = false;
    for (std::size_t i = 0; i < 4 && !flat; ++i) {
      flat = data_2d::corner_angle(n[i]->point(), n[(i + 1) % 4]->point(), n[(i + 3) % 4]->point()) > split_corner_deg;
    }
    if (!flat) continue;
    // Of the two diagonals, the one whose worse triangle is better: at a
    // corner near 180 degrees the other diagonal would give a triangle of
    // no area, and at a reflex corner one with negative area.
    const auto worst = [&](std::size_t s) {
      return std::min(data_2d::triangle_quality(n[s]->point(), n[(s + 1) % 4]->point(), n[(s + 2) % 4]->point()),
                      data_2d::triangle_quality(n[s]->point(), n[(s + 2) % 4]->point(), n[(s + 3) % 4]->point()));
    };
    const std::size_t s = worst(0) >= worst(1) ? 0 : 1;
    added.push_back(std::make_unique<Element>(std::vector<Node*>{n[s], n[(s + 1) % 4], n[(s + 2) % 4]}));
    added.push_back(std::make_unique<Element>(std::vector<Node*>{n[s], n[(s + 2) % 4], n[(s + 3) % 4]}));
    element.reset();
  }
  std::erase_if(elements, [](const std::unique_ptr<Element>& e) { return !e; });
  for (auto& element : added) elements.push_back(std::move(element));
}

void Loop_Mesher::generate_mesh(domain_maker::Mesh_Data& record, mesher_2d::Interrupt interrupt_function) {
  interrupt = interrupt_function;
  clear();
  load_input_data(record);
  prepare_mesh();
  make_single_wire_domain();
  split_loops();
  generate_loop_closure_mesh();
  smooth_passes(closure_laplacian_sweeps, closure_angle_sweeps, 0);
  // Clean-up: quadrilaterals that kept a corner near 180 degrees (or above)
  // are split along their better diagonal now; the final split's shorter-
  // diagonal rule could otherwise make a triangle of no area there.
  split_flat_quadrilaterals();
  insert_seeds_and_open_lines();
  split_quadrilaterals();
  // A mesh that does not cover the region exactly would give wrong section
  // properties without any sign; it is refused instead.
  if (!elements_cover_region()) throw Mesh_Error("* failed to fill gaps - Loop_Mesher::generate_mesh()");
  if (record.quadratic != 0) make_quadratic();
  write_mesh(record);
}

}  // namespace loop_mesher
