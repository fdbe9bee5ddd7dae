#include "mesher/domain_maker/domain_maker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "mesher/data_2d/box.h"
#include "mesher/data_2d/mesh_error.h"
#include "mesher/data_2d/primitives.h"

namespace domain_maker {

namespace {

using data_2d::Mesh_Error;
using data_2d::Node;
using data_2d::Point;
using data_2d::Wire;

constexpr char no_domain_text[] = "* cannot construct closed domain - Domain_Maker::make_domain()";
constexpr char head_edge_text[] = "* failed to pick head edge - Domain_Maker::find_outermost_edge()";
constexpr char inner_domain_text[] = "* failed to define inner domains - Domain_Maker::set_inner_domain()";
constexpr char matryoshka_text[] = "* matryoshka-type domains exist - Domain_Maker::check_matryoshka_domain()";
constexpr char merge_text[] = "* failed to merge inner domains - Domain_Maker::check_inner_wire_connection()";

// Step angles (degrees) of the probe sweep in find_outermost_edge, finest
// last. They are incommensurate with 90 degrees and with each other so that a
// sweep rarely lines up with junctions twice. Rule of this library.
constexpr std::array<double, 3> probe_step_deg = {12.3456789, 6.789012345, 3.456789012};

Node* first_node(const Edge& e) { return e.nodes.front(); }
Node* last_node(const Edge& e) { return e.nodes.back(); }

void reverse_edge(Edge& e) {
  std::reverse(e.nodes.begin(), e.nodes.end());
  std::swap(e.first_links, e.last_links);
}

Point midpoint(Point a, Point b) { return 0.5 * (a + b); }

bool inside_wire(Point p, const std::vector<Node*>& nodes) {
  return std::abs(data_2d::winding_sum(p, nodes)) > data_2d::winding_inside;
}

// Whether closed wire `a` lies inside closed wire `b`. Wires of one drawing
// never cross, so a's outline lies wholly inside or wholly outside b (up to
// shared nodes and sides), and one point of it off b's outline decides: its
// first node that is not a node of b, or else the midpoint of its first
// segment that is not a segment of b. A wire made only of b's own nodes and
// sides is b itself and not inside it.
//
// A single probe point per domain (say the centroid of a convex corner and
// its neighbours) can fall into a region nested in the domain, as it does
// for concentric squares, and would report the domain inside its own hole.
bool wire_inside(const std::vector<Node*>& a, const std::vector<Node*>& b,
                 const std::unordered_set<const Node*>& b_nodes) {
  for (const Node* node : a) {
    if (b_nodes.count(node) == 0) return inside_wire(node->point(), b);
  }
  std::set<std::pair<const Node*, const Node*>> b_sides;
  for (std::size_t k = 1; k < b.size(); ++k) {
    b_sides.insert({b[k - 1], b[k]});
    b_sides.insert({b[k], b[k - 1]});
  }
  for (std::size_t k = 1; k < a.size(); ++k) {
    if (b_sides.count({a[k - 1], a[k]}) == 0) return inside_wire(midpoint(a[k - 1]->point(), a[k]->point()), b);
  }
  return false;
}

std::vector<Node*> reversed(const std::vector<Node*>& nodes) { return {nodes.rbegin(), nodes.rend()}; }


}  // namespace

Domain_Maker::~Domain_Maker() = default;

void Domain_Maker::clear() {
  domains_.clear();
  wires_.clear();
  edges_.clear();
  node_index_.clear();
  seeds_.clear();
  nodes_.clear();
  tolerance_ = 0.0;
}

void Domain_Maker::make_domain(Domain_Data& record, std::vector<std::int32_t>& loose_wires, bool check_inner_wires) {
  clear();
  load(record);
  check_input_data();
  orient_closed_edges();
  build_connections();
  remove_dangling_edges();
  make_twins();
  trace_domains();
  if (domains_.empty()) throw Mesh_Error(no_domain_text);
  set_inner_domain(check_inner_wires);
  assign_open_lines_and_seeds();
  write_back(record, loose_wires);
}

void Domain_Maker::load(const Domain_Data& record) {
  nodes_.reserve(record.nodes.size());
  for (std::size_t i = 0; i < record.nodes.size(); ++i) {
    const Node_Record& r = record.nodes[i];
    auto node = std::make_unique<Node>(static_cast<std::uint32_t>(i + 1), r.x, r.y, r.on_boundary, r.seed_size);
    node_index_.emplace(node.get(), static_cast<std::int32_t>(i));
    if (r.seed != 0) seeds_.push_back(node.get());
    nodes_.push_back(std::move(node));
  }
  edges_.reserve(record.wires.size());
  for (const Wire_Record& w : record.wires) {
    std::vector<Node*> list;
    list.reserve(w.nodes.size());
    for (const std::int32_t index : w.nodes) {
      if (index < 0 || static_cast<std::size_t>(index) >= nodes_.size()) {
        throw std::out_of_range("Domain_Maker: wire node index outside the node list");
      }
      list.push_back(nodes_[static_cast<std::size_t>(index)].get());
    }
    auto edge = std::make_unique<Edge>(w.number, std::move(list));
    edges_.push_back(std::move(edge));
  }
}

// ------------------------------------------------------- edge structure --

void Domain_Maker::orient_closed_edges() {
  for (auto& edge : edges_) {
    auto& nodes = edge->nodes;
    if (nodes.size() < 4 || nodes.front() != nodes.back()) continue;
    const Point a = nodes[0]->point();
    const Point b = nodes[1]->point();
    const Point d = b - a;
    const double length = std::sqrt(d.x * d.x + d.y * d.y);
    const Point left{-d.y / length, d.x / length};
    const Point test = midpoint(a, b) + tolerance_ * left;
    if (std::abs(data_2d::winding_sum(test, nodes)) < data_2d::winding_inside) reverse_edge(*edge);
  }
}

void Domain_Maker::build_connections() {
  std::unordered_map<const Node*, std::vector<Edge*>> at;
  const auto active = [](const Edge& e) { return e.nodes.size() >= 2 && e.loose == 0; };
  for (auto& edge : edges_) {
    edge->first_links.clear();
    edge->last_links.clear();
    if (!active(*edge)) continue;
    at[first_node(*edge)].push_back(edge.get());
    if (last_node(*edge) != first_node(*edge)) at[last_node(*edge)].push_back(edge.get());
  }
  for (auto& edge : edges_) {
    if (!active(*edge)) continue;
    for (Edge* other : at[first_node(*edge)]) {
      if (other != edge.get()) edge->first_links.push_back(other);
    }
    for (Edge* other : at[last_node(*edge)]) {
      if (other != edge.get()) edge->last_links.push_back(other);
    }
  }
}

// The next pass of a walk that keeps a face on its left: at the end node P of
// the current pass (reached from Q), the pass leaving P whose next node R gives
// the smallest counter-clockwise corner angle from PR to PQ, i.e. the
// sharpest left turn. Passes against an edge's node order are considered only
// with allow_backward. Going straight back (the same edge reversed, or its
// twin) is taken only at a dead end, so a walk turns round at the free end of
// a line instead of stopping there.
Domain_Maker::Step Domain_Maker::next_step(Step current, bool allow_backward) const {
  Edge* e = current.edge;
  const std::size_t n = e->nodes.size();
  const Node* p = current.forward ? e->nodes[n - 1] : e->nodes[0];
  const Node* q = current.forward ? e->nodes[n - 2] : e->nodes[1];
  const std::vector<Edge*>& links = current.forward ? e->last_links : e->first_links;

  Step best;
  double best_angle = std::numeric_limits<double>::infinity();
  Step back;
  const auto consider = [&](Edge* c, bool forward) {
    if (c->used != 0 || c->loose != 0 || c->nodes.size() < 2) return;
    const std::size_t m = c->nodes.size();
    if ((forward ? c->nodes[0] : c->nodes[m - 1]) != p) return;
    const bool straight_back = (c == e && forward != current.forward) || (c == e->twin && forward);
    if (straight_back) {
      back = {c, forward};
      return;
    }
    const Node* r = forward ? c->nodes[1] : c->nodes[m - 2];
    const double angle = data_2d::corner_angle(p->point(), r->point(), q->point());
    if (angle < best_angle) {
      best_angle = angle;
      best = {c, forward};
    }
  };
  const auto consider_both = [&](Edge* c) {
    consider(c, true);
    if (allow_backward) consider(c, false);
  };
  consider_both(e);
  for (Edge* c : links) consider_both(c);
  return best.edge != nullptr ? best : back;
}

// Dangling edges. Each connected group of edges (joined at end nodes) has
// one outside: the face reached from far away. Its walk starts at the head
// edge that find_outermost_edge hits first, turned so that the probe, which
// lies outside, is on its left, and follows the sharpest left turn (turning
// round at free ends) until it comes back to the head edge; a walk is
// bounded by twice the edge count of its group, so it ends even on input
// that breaks the planar rules. An edge the walk passes in both directions
// has the outside on both sides and encloses nothing. Such an edge is deleted
// when it lies outside every other group; inside another group (a line
// hanging off a hole into the material, a line floating in a region) it is
// kept as a loose edge, to become an open line of the domain around it.
// Every other edge of the walk borders the outside on one side only: it is
// turned to have its region on the left and needs no twin. Edges no walk
// reaches lie inside their group and keep the interior flag.
void Domain_Maker::remove_dangling_edges() {
  std::unordered_map<const Edge*, std::size_t> input_order;
  for (std::size_t i = 0; i < edges_.size(); ++i) input_order.emplace(edges_[i].get(), i);
  std::unordered_map<const Edge*, std::size_t> group_of;
  std::vector<std::vector<Edge*>> groups;
  for (auto& edge : edges_) {
    if (edge->nodes.size() < 2 || edge->loose != 0 || group_of.count(edge.get()) != 0) continue;
    const std::size_t g = groups.size();
    groups.emplace_back();
    std::vector<Edge*> stack{edge.get()};
    group_of.emplace(edge.get(), g);
    while (!stack.empty()) {
      Edge* e = stack.back();
      stack.pop_back();
      groups[g].push_back(e);
      for (const auto* links : {&e->first_links, &e->last_links}) {
        for (Edge* other : *links) {
          if (group_of.emplace(other, g).second) stack.push_back(other);
        }
      }
    }
  }

  std::vector<std::vector<Node*>> outlines(groups.size());
  std::vector<std::vector<Edge*>> dangling(groups.size());
  for (std::size_t g = 0; g < groups.size(); ++g) {
    // Keep the input order inside the group, so the walk does not depend on
    // the order of the search above.
    std::sort(groups[g].begin(), groups[g].end(),
              [&](const Edge* a, const Edge* b) { return input_order.at(a) < input_order.at(b); });
    const Head head = find_outermost_edge(groups[g]);
    if (!head.probe_on_left) reverse_edge(*head.edge);

    std::unordered_map<const Edge*, std::pair<int, int>> passes;  // forward, backward
    const Step start{head.edge, true};
    Step current = start;
    std::vector<Node*>& outline = outlines[g];
    outline.push_back(first_node(*head.edge));
    const std::size_t bound = 2 * groups[g].size() + 1;
    for (std::size_t count = 0; count < bound; ++count) {
      auto& pass = passes[current.edge];
      (current.forward ? pass.first : pass.second) += 1;
      const auto& nodes = current.edge->nodes;
      if (current.forward) {
        outline.insert(outline.end(), nodes.begin() + 1, nodes.end());
      } else {
        outline.insert(outline.end(), nodes.rbegin() + 1, nodes.rend());
      }
      const Step next = next_step(current, true);
      if (next.edge == nullptr || (next.edge == start.edge && next.forward == start.forward)) break;
      current = next;
    }
    if (outline.back() != outline.front()) outline.push_back(outline.front());

    for (Edge* e : groups[g]) {
      const auto it = passes.find(e);
      if (it == passes.end()) continue;
      if (it->second.first > 0 && it->second.second > 0) {
        // A line keeps the direction it was drawn in.
        if (e == head.edge && !head.probe_on_left) reverse_edge(*e);
        dangling[g].push_back(e);
      } else {
        e->interior = 0;
        if (it->second.first > 0) reverse_edge(*e);
      }
    }
  }

  for (std::size_t g = 0; g < groups.size(); ++g) {
    for (Edge* e : dangling[g]) {
      e->interior = 0;
      const Point mid = midpoint(e->nodes[0]->point(), e->nodes[1]->point());
      bool enclosed = false;
      for (std::size_t h = 0; h < groups.size() && !enclosed; ++h) {
        enclosed = h != g && inside_wire(mid, outlines[h]);
      }
      if (enclosed) {
        e->loose = 1;
      } else {
        e->used = 1;
      }
    }
  }

  std::erase_if(edges_, [](const std::unique_ptr<Edge>& e) { return e->used != 0; });
  build_connections();
}

// The edge of `candidates` that a ray from far outside meets first, and on
// which side of it the ray came in. The ray runs from a probe point to the
// centre C of the candidates' bounding box; the probe starts at a distance
// max(W^2 + H^2, 2 sqrt(W^2 + H^2)) to the right of C, which is outside the box
// whatever the unit (the plain W^2 + H^2 falls inside a box smaller than 2),
// and is turned about C in steps until a ray's nearest hit is not at an end
// node of its edge (where the ray could slip between two edges).
Domain_Maker::Head Domain_Maker::find_outermost_edge(const std::vector<Edge*>& candidates) const {
  data_2d::Box box;
  for (const Edge* e : candidates) {
    if (e->nodes.size() < 2) continue;
    for (const Node* node : e->nodes) box.add(node->point());
  }
  const Point centre{0.5 * (box.x0 + box.x1), 0.5 * (box.y0 + box.y1)};
  const double diagonal2 = box.width() * box.width() + box.height() * box.height();
  const double reach = std::max(diagonal2, 2.0 * std::sqrt(diagonal2));
  Point probe{centre.x + reach, centre.y};
  const double tol2 = tolerance_ * tolerance_;

  for (const double step : probe_step_deg) {
    const int directions = static_cast<int>(360.0 / step) + 1;
    for (int k = 0; k < directions; ++k) {
      double nearest2 = std::numeric_limits<double>::infinity();
      Edge* hit_edge = nullptr;
      Point hit;
      Point hit_a;
      Point hit_b;
      for (Edge* e : candidates) {
        for (std::size_t s = 1; s < e->nodes.size(); ++s) {
          const Point a = e->nodes[s - 1]->point();
          const Point b = e->nodes[s]->point();
          const auto x = data_2d::segment_intersection(probe, centre, a, b);
          if (!x) continue;
          const double d2 = data_2d::squared_distance(*x, probe);
          if (d2 < nearest2) {
            nearest2 = d2;
            hit_edge = e;
            hit = *x;
            hit_a = a;
            hit_b = b;
          }
        }
      }
      if (hit_edge != nullptr && data_2d::squared_distance(hit, first_node(*hit_edge)->point()) >= tol2 &&
          data_2d::squared_distance(hit, last_node(*hit_edge)->point()) >= tol2) {
        return {hit_edge, data_2d::orientation(hit_a, hit_b, probe) > 0.0};
      }
      probe = data_2d::rotate(probe, centre, step);
    }
  }
  throw Mesh_Error(head_edge_text);
}

void Domain_Maker::make_twins() {
  const std::size_t count = edges_.size();
  for (std::size_t i = 0; i < count; ++i) {
    Edge* e = edges_[i].get();
    if (e->interior == 0 || e->loose != 0 || e->nodes.size() < 2) continue;
    auto twin = std::make_unique<Edge>(twin_edge_number, reversed(e->nodes));
    twin->first_links = e->last_links;
    twin->last_links = e->first_links;
    twin->interior = 0;
    twin->is_twin = 1;
    twin->twin = e;
    e->interior = 0;
    e->twin = twin.get();
    edges_.push_back(std::move(twin));
  }
  build_connections();
}

// ------------------------------------------------------------- tracing --

// Each walk starts at the first free edge (input edges in order, then the
// twins) and keeps the region on the left of that edge on its own left. A
// walk is bounded by the edge count: it ends when it meets an edge it already
// holds or finds no way on, and then its start edge leaves the free list as a
// loose edge (it cannot bound a region) instead of being tried forever.
void Domain_Maker::trace_domains() {
  for (std::size_t s = 0; s < edges_.size(); ++s) {
    Edge* start = edges_[s].get();
    if (start->used != 0 || start->loose != 0 || start->nodes.size() < 2) continue;
    std::vector<Edge*> chain{start};
    std::unordered_set<const Edge*> in_chain{start};
    bool closed = false;
    for (;;) {
      const Step next = next_step({chain.back(), true}, false);
      if (next.edge == nullptr) break;
      if (next.edge == start) {
        closed = true;
        break;
      }
      if (!in_chain.insert(next.edge).second) break;
      chain.push_back(next.edge);
    }
    if (!closed) {
      start->loose = 1;
      continue;
    }
    make_domains_from_loop(chain, start->number);
  }
}

// A closed walk is the whole boundary of one face: its outer loop
// (counter-clockwise) and, where the face holds a structure joined to that
// loop, excursions around it: a line into the face and back (an edge whose
// twin is in the same walk; the input edge stays as a loose edge) or the
// outside of a loop hanging on such a line (clockwise; that loop's own
// regions are traced from its other side and set_inner_domain makes them
// holes). The node sequence is split into simple loops at repeated nodes and
// every loop of positive area becomes a domain, in the order met.
void Domain_Maker::make_domains_from_loop(const std::vector<Edge*>& chain, std::int32_t number) {
  const std::unordered_set<const Edge*> members(chain.begin(), chain.end());
  for (Edge* e : chain) e->used = 1;
  for (Edge* e : chain) {
    if (e->twin != nullptr && members.count(e->twin) != 0 && e->is_twin == 0) {
      e->used = 0;
      e->loose = 1;
    }
  }

  std::vector<Node*> walk{first_node(*chain.front())};
  for (const Edge* e : chain) {
    for (std::size_t k = 1; k < e->nodes.size(); ++k) {
      if (e->nodes[k] != walk.back()) walk.push_back(e->nodes[k]);
    }
  }
  std::vector<Node*> stack;
  std::unordered_map<const Node*, std::size_t> position;
  std::vector<std::vector<Node*>> loops;
  for (Node* node : walk) {
    const auto it = position.find(node);
    if (it == position.end()) {
      position.emplace(node, stack.size());
      stack.push_back(node);
      continue;
    }
    const std::size_t from = it->second;
    std::vector<Node*> loop(stack.begin() + static_cast<std::ptrdiff_t>(from), stack.end());
    loop.push_back(node);
    for (std::size_t k = from + 1; k < stack.size(); ++k) position.erase(stack[k]);
    stack.resize(from + 1);
    loops.push_back(std::move(loop));
  }
  // The loop through the start node closes last; report it first so the
  // domain order follows the start edges.
  std::reverse(loops.begin(), loops.end());
  for (auto& loop : loops) {
    if (data_2d::polygon_area(loop) <= data_2d::zero_tolerance) continue;
    Wire* wire = add_wire(data_2d::wire_kind::outer, std::move(loop), number);
    domains_.push_back(Domain{wire, {}, {}, {}});
  }
}

data_2d::Wire* Domain_Maker::add_wire(std::int32_t kind, std::vector<Node*> nodes, std::int32_t number) {
  wires_.push_back({std::make_unique<Wire>(kind, std::move(nodes)), number});
  return wires_.back().wire.get();
}

// ------------------------------------------------------- inner domains --

void Domain_Maker::set_inner_domain(bool check_inner_wires) {
  const std::size_t count = domains_.size();
  std::vector<std::unordered_set<const Node*>> outer_nodes;
  outer_nodes.reserve(count);
  for (const Domain& d : domains_) outer_nodes.emplace_back(d.outer->nodes.begin(), d.outer->nodes.end());
  // inside[a][b]: domain a lies inside the outer wire of domain b.
  std::vector<std::vector<char>> inside(count, std::vector<char>(count, 0));
  for (std::size_t a = 0; a < count; ++a) {
    for (std::size_t b = 0; b < count; ++b) {
      inside[a][b] = a != b && wire_inside(domains_[a].outer->nodes, domains_[b].outer->nodes, outer_nodes[b]) ? 1 : 0;
    }
  }
  std::vector<std::ptrdiff_t> parent(count, -1);
  for (std::size_t a = 0; a < count; ++a) {
    int direct = 0;
    for (std::size_t b = 0; b < count; ++b) {
      if (inside[a][b] == 0) continue;
      bool innermost = true;
      for (std::size_t c = 0; c < count && innermost; ++c) innermost = !(c != b && inside[a][c] != 0 && inside[c][b] != 0);
      if (innermost) {
        ++direct;
        parent[a] = static_cast<std::ptrdiff_t>(b);
      }
    }
    if (direct > 1) throw Mesh_Error(inner_domain_text);
  }
  for (std::size_t b = 0; b < count; ++b) {
    for (std::size_t a = 0; a < count; ++a) {
      if (parent[a] != static_cast<std::ptrdiff_t>(b)) continue;
      const std::int32_t number = std::find_if(wires_.begin(), wires_.end(), [&](const Owned_Wire& w) {
                                    return w.wire.get() == domains_[a].outer;
                                  })->number;
      domains_[b].inner.push_back(add_wire(data_2d::wire_kind::inner, reversed(domains_[a].outer->nodes), number));
    }
  }
  if (check_inner_wires) {
    check_matryoshka_domain();
    check_inner_wire_connection();
  }
}

void Domain_Maker::check_matryoshka_domain() const {
  for (const Domain& d : domains_) {
    if (d.inner.size() < 2) continue;
    for (std::size_t i = 0; i < d.inner.size(); ++i) {
      for (std::size_t j = 0; j < d.inner.size(); ++j) {
        if (i == j) continue;
        const std::unordered_set<const Node*> j_nodes(d.inner[j]->nodes.begin(), d.inner[j]->nodes.end());
        if (wire_inside(d.inner[i]->nodes, d.inner[j]->nodes, j_nodes)) throw Mesh_Error(matryoshka_text);
      }
    }
  }
}

// Inner wires of one domain that share a node bound one hole together (two
// adjacent regions inside the domain, or two holes touching at a corner).
// They become one wire: segments the wires run in opposite directions cancel
// (a side the two regions share), and the rest is walked, keeping the
// domain's material on the left with the sharpest left turn, from the lowest
// numbered node of the group. The merged wire runs clockwise like every inner
// wire. It must use every remaining segment and come back to its start.
void Domain_Maker::check_inner_wire_connection() {
  std::unordered_set<const Wire*> replaced;
  for (Domain& d : domains_) {
    const std::size_t n = d.inner.size();
    if (n < 2) continue;
    std::vector<std::size_t> root(n);
    for (std::size_t i = 0; i < n; ++i) root[i] = i;
    const auto find = [&](std::size_t i) {
      while (root[i] != i) i = root[i] = root[root[i]];
      return i;
    };
    std::unordered_map<const Node*, std::size_t> owner;
    for (std::size_t i = 0; i < n; ++i) {
      for (const Node* node : d.inner[i]->nodes) {
        const auto [it, fresh] = owner.emplace(node, i);
        if (!fresh) root[find(i)] = find(it->second);
      }
    }
    std::vector<Wire*> merged_inner;
    std::vector<char> done(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
      if (done[i] != 0) continue;
      std::vector<const Wire*> group;
      for (std::size_t j = i; j < n; ++j) {
        if (find(j) == find(i)) {
          group.push_back(d.inner[j]);
          done[j] = 1;
        }
      }
      if (group.size() == 1) {
        merged_inner.push_back(d.inner[i]);
        continue;
      }

      using Segment = std::pair<Node*, Node*>;
      std::vector<Segment> segments;
      std::map<Segment, int> multiplicity;
      for (const Wire* w : group) {
        for (std::size_t k = 1; k < w->nodes.size(); ++k) {
          segments.emplace_back(w->nodes[k - 1], w->nodes[k]);
          ++multiplicity[segments.back()];
        }
      }
      for (const Segment& s : segments) {
        auto forward = multiplicity.find(s);
        auto backward = multiplicity.find({s.second, s.first});
        if (backward != multiplicity.end() && forward->second > 0 && backward->second > 0) {
          --forward->second;
          --backward->second;
        }
      }
      std::vector<Segment> remaining;
      for (const Segment& s : segments) {
        auto it = multiplicity.find(s);
        if (it->second > 0) {
          --it->second;
          remaining.push_back(s);
        }
      }
      if (remaining.empty()) throw Mesh_Error(merge_text);
      std::unordered_map<const Node*, std::vector<std::size_t>> leaving;
      std::size_t start = 0;
      for (std::size_t k = 0; k < remaining.size(); ++k) {
        leaving[remaining[k].first].push_back(k);
        if (node_index_.at(remaining[k].first) < node_index_.at(remaining[start].first)) start = k;
      }
      std::vector<char> taken(remaining.size(), 0);
      std::vector<Node*> nodes{remaining[start].first};
      std::size_t current = start;
      std::size_t used_count = 0;
      bool closed = false;
      while (used_count < remaining.size()) {
        taken[current] = 1;
        ++used_count;
        nodes.push_back(remaining[current].second);
        const Node* p = remaining[current].second;
        const Node* q = remaining[current].first;
        double best_angle = std::numeric_limits<double>::infinity();
        std::size_t best = remaining.size();
        for (const std::size_t k : leaving[p]) {
          if (taken[k] != 0 && k != start) continue;
          const double angle = data_2d::corner_angle(p->point(), remaining[k].second->point(), q->point());
          if (angle < best_angle) {
            best_angle = angle;
            best = k;
          }
        }
        if (best == remaining.size()) break;
        if (best == start) {
          closed = true;
          break;
        }
        current = best;
      }
      if (!closed || used_count != remaining.size()) throw Mesh_Error(merge_text);
      merged_inner.push_back(add_wire(data_2d::wire_kind::inner, std::move(nodes), 0));
      for (const Wire* w : group) replaced.insert(w);
    }
    d.inner = std::move(merged_inner);
  }
  std::erase_if(wires_, [&](const Owned_Wire& w) { return replaced.count(w.wire.get()) != 0; });
}

// ------------------------------------------------ open lines and seeds --

bool Domain_Maker::inside_domain(const Domain& domain, Point p) const {
  if (!inside_wire(p, domain.outer->nodes)) return false;
  for (const Wire* w : domain.inner) {
    if (inside_wire(p, w->nodes)) return false;
  }
  return true;
}

// An edge left over (a line inside a region, or an edge whose walk could not
// close) joins the first domain whose material holds the midpoint of its
// first segment: inside the outer wire and outside every hole, so that a line
// drawn in a hole goes to the region that fills the hole, not to the domain
// around it. Seeds follow the same rule; a seed in no domain is dropped.
void Domain_Maker::assign_open_lines_and_seeds() {
  for (auto& edge : edges_) {
    Edge* e = edge.get();
    if (e->used != 0 || e->is_twin != 0 || e->nodes.size() < 2) continue;
    const Point mid = midpoint(e->nodes[0]->point(), e->nodes[1]->point());
    for (Domain& d : domains_) {
      if (!inside_domain(d, mid)) continue;
      d.open_lines.push_back(add_wire(data_2d::wire_kind::open_line, e->nodes, e->number));
      e->used = 1;
      break;
    }
  }
  std::unordered_set<const Node*> seen;
  for (Node* seed : seeds_) {
    if (!seen.insert(seed).second) continue;
    for (Domain& d : domains_) {
      if (!inside_domain(d, seed->point())) continue;
      d.seeds.push_back(seed);
      break;
    }
  }
}

void Domain_Maker::write_back(Domain_Data& record, std::vector<std::int32_t>& loose_wires) const {
  const auto indices = [&](const std::vector<Node*>& nodes) {
    std::vector<std::int32_t> out;
    out.reserve(nodes.size());
    for (const Node* node : nodes) out.push_back(node_index_.at(node));
    return out;
  };
  record.wires.clear();
  record.domains.clear();
  loose_wires.clear();
  std::unordered_map<const Wire*, std::int32_t> wire_index;
  for (const Owned_Wire& w : wires_) {
    wire_index.emplace(w.wire.get(), static_cast<std::int32_t>(record.wires.size()));
    record.wires.push_back({w.number, w.wire->kind, indices(w.wire->nodes)});
  }
  for (const auto& edge : edges_) {
    if (edge->used != 0) continue;
    loose_wires.push_back(static_cast<std::int32_t>(record.wires.size()));
    record.wires.push_back({edge->number, data_2d::wire_kind::open_line, indices(edge->nodes)});
  }
  for (const Domain& d : domains_) {
    Domain_Record out;
    out.wires.push_back(wire_index.at(d.outer));
    for (const Wire* w : d.inner) out.wires.push_back(wire_index.at(w));
    for (const Wire* w : d.open_lines) out.wires.push_back(wire_index.at(w));
    for (const Node* seed : d.seeds) out.seeds.push_back(node_index_.at(seed));
    record.domains.push_back(std::move(out));
  }
}

// ------------------------------------------------------ mesher records --

Mesh_Data make_domain_mesh_data(const Domain_Data& section, std::size_t domain) {
  const Domain_Record& d = section.domains.at(domain);
  const std::size_t n = section.nodes.size();
  const auto checked = [n](std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= n) {
      throw std::out_of_range("make_domain_mesh_data: node index outside the node list");
    }
    return static_cast<std::size_t>(index);
  };
  // 0: not in the domain, 1: on one of its wires, 2: a seed only.
  std::vector<char> role(n, 0);
  for (const std::int32_t w : d.wires) {
    for (const std::int32_t index : section.wires.at(static_cast<std::size_t>(w)).nodes) role[checked(index)] = 1;
  }
  for (const std::int32_t index : d.seeds) {
    char& r = role[checked(index)];
    if (r == 0) r = 2;
  }
  Mesh_Data out;
  out.element_size = section.element_size;
  std::vector<std::int32_t> renumber(n, -1);
  for (std::size_t i = 0; i < n; ++i) {
    if (role[i] == 0) continue;
    renumber[i] = static_cast<std::int32_t>(out.nodes.size());
    Node_Record r;
    r.x = section.nodes[i].x;
    r.y = section.nodes[i].y;
    r.on_boundary = role[i] == 1 ? 1 : 0;
    r.seed = role[i] == 2 ? 1 : 0;
    r.seed_size = role[i] == 2 ? section.nodes[i].seed_size : 0.0;
    out.nodes.push_back(r);
  }
  for (const std::int32_t w : d.wires) {
    const Wire_Record& source = section.wires[static_cast<std::size_t>(w)];
    Wire_Record copy{source.number, source.kind, {}};
    copy.nodes.reserve(source.nodes.size());
    for (const std::int32_t index : source.nodes) copy.nodes.push_back(renumber[static_cast<std::size_t>(index)]);
    out.wires.push_back(std::move(copy));
  }
  return out;
}

}  // namespace domain_maker
