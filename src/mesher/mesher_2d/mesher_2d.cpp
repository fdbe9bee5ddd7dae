#include "mesher/mesher_2d/mesher_2d.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_set>
#include <utility>

#include "mesher/data_2d/mesh_error.h"
#include "mesher/data_2d/primitives.h"
#include "mesher/mesher_2d/closest_pair.h"

namespace mesher_2d {

using data_2d::Element;
using data_2d::Mesh_Error;
using data_2d::Node;
using data_2d::Point;
using data_2d::Wire;
namespace wire_kind = data_2d::wire_kind;

namespace {

// Node-merging distance from the smallest node spacing d: sqrt(d)/100, a
// scale-aware fraction of the spacing for the outlines the drivers prepare
// (d of order 1 and more), but never above d/4. sqrt(d)/100 exceeds d/2 once
// d < 4e-4, and then mid-side points snap onto corners and distinct nodes
// merge; d/4 keeps two nodes d apart and the midpoint between them distinct.
// The two agree for d >= 1.6e-3. Pinned by tests/mesher/mesher_2d_test.cpp.
constexpr double tolerance_root_fraction = 1.0 / 100.0;
constexpr double tolerance_spacing_fraction = 0.25;

double merging_tolerance(double spacing) noexcept {
  return std::min(std::sqrt(spacing) * tolerance_root_fraction, spacing * tolerance_spacing_fraction);
}

// Winding sums (degrees) of the orientation and seed tests.
constexpr double winding_inside = data_2d::winding_inside;
constexpr double winding_outside = data_2d::winding_outside;

// A quadrilateral corner above this angle (degrees) is flat enough that the
// quadrilateral is split from it. Rule of this library.
constexpr double flat_corner_deg = 165.0;
// Triangles whose quality (primitive 7) is below this are dropped after the
// split of flat quadrilaterals. Rule of this library.
constexpr double degenerate_quality = 1e-8;

// Relative mismatch between the elements' total area and the region's area
// above which the mesh has a gap or an overlap. Summing 1e6 element areas
// rounds to about 1e-13 relative, so 1e-9 leaves room for round-off while a
// missing element of a 1e6-element mesh (1e-6 relative) is still seen.
constexpr double coverage_tolerance = 1e-9;

// Node-lookup index cells: twice the element size, about 16 nodes per cell
// in a quadratic mesh. Fewer, fuller cells keep the index small and its
// lookups in cache; a lookup reads one to four cells whatever the size.
constexpr double index_cell_fraction = 2.0;

std::string overlapped_message(const char* where) {
  return std::string("* overlapped nodes exist - Mesher_2D::") + where + "()";
}

}  // namespace

Mesher_2D::~Mesher_2D() = default;

void Mesher_2D::clear() {
  elements.clear();
  wires.clear();
  seeds.clear();
  initial_wires.clear();
  nodes.clear();
  reset_node_index();
}

void Mesher_2D::reset_node_index() noexcept {
  node_index_.reset();
  indexed_nodes_ = 0;
}

void Mesher_2D::poll_interrupt() const { poll(interrupt); }

void Mesher_2D::load_input_data(const domain_maker::Mesh_Data& record) {
  finish_mode = record.finish_mode;
  element_size = record.element_size;
  size_factor = record.size_factor > length_zero ? record.size_factor : 1.0;
  nodes.reserve(record.nodes.size());
  for (std::size_t i = 0; i < record.nodes.size(); ++i) {
    const domain_maker::Node_Record& r = record.nodes[i];
    nodes.push_back(std::make_unique<Node>(static_cast<std::uint32_t>(i + 1), r.x, r.y, r.on_boundary, r.seed_size));
    if (r.seed != 0) seeds.push_back(nodes.back().get());
  }
  for (const domain_maker::Wire_Record& r : record.wires) {
    // The record comes from inside the library, but an index outside the
    // node list or an unknown kind would be a read out of bounds or a wire
    // no step knows how to treat; refuse it instead.
    if (r.kind != wire_kind::outer && r.kind != wire_kind::inner && r.kind != wire_kind::open_line) {
      throw Mesh_Error("* invalid wire node data - Mesher_2D::load_input_data()");
    }
    auto wire = std::make_unique<Wire>(r.kind);
    wire->nodes.reserve(r.nodes.size());
    for (const std::int32_t index : r.nodes) {
      if (index < 0 || static_cast<std::size_t>(index) >= nodes.size()) {
        throw Mesh_Error("* invalid wire node data - Mesher_2D::load_input_data()");
      }
      Node* node = nodes[static_cast<std::size_t>(index)].get();
      node->on_boundary = 1;
      wire->nodes.push_back(node);
    }
    wires.push_back(std::move(wire));
  }
  check_input_data();
}

double Mesher_2D::checked_node_spacing(const char* where) const {
  std::vector<Point> points;
  points.reserve(nodes.size());
  for (const auto& node : nodes) points.push_back(node->point());
  const double spacing = smallest_distance(points);
  if (spacing < length_zero) throw Mesh_Error(overlapped_message(where));
  return spacing;
}

void Mesher_2D::check_input_data() {
  if (nodes.empty()) throw Mesh_Error("* no input node - Mesher_2D::check_input_data()");
  if (wires.empty()) throw Mesh_Error("* no input wire - Mesher_2D::check_input_data()");
  const auto outer_count = std::count_if(wires.begin(), wires.end(), [](const auto& w) { return w->kind == wire_kind::outer; });
  if (outer_count == 0) throw Mesh_Error("* no outer wire - Mesher_2D::check_input_data()");
  if (outer_count > 1) throw Mesh_Error("* multiple outer wire - Mesher_2D::check_input_data()");

  tolerance = merging_tolerance(checked_node_spacing("check_input_data"));

  for (const auto& wire : wires) {
    if (wire->kind == wire_kind::open_line) continue;
    if (!wire->is_closed()) throw Mesh_Error("* outer and inner wires should be closed - Mesher_2D::check_input_data()");
    for (std::size_t i = 1; i < wire->nodes.size(); ++i) {
      if (wire->nodes[i] == wire->nodes[i - 1]) throw Mesh_Error("* invalid wire node data - Mesher_2D::check_input_data()");
    }
  }

  for (const auto& wire : wires) {
    if (wire->kind == wire_kind::open_line) continue;
    const Point a = wire->nodes[0]->point();
    const Point b = wire->nodes[1]->point();
    const double length = std::sqrt(data_2d::squared_distance(a, b));
    const Point left{-(b.y - a.y) / length, (b.x - a.x) / length};
    const Point probe = 0.5 * (a + b) + tolerance * left;
    const double sum = std::abs(data_2d::winding_sum(probe, wire->nodes));
    const bool reverse = wire->kind == wire_kind::outer ? sum < winding_inside : sum > winding_outside;
    if (reverse) std::reverse(wire->nodes.begin(), wire->nodes.end());
  }

  std::vector<Node*> kept;
  std::unordered_set<const Node*> dropped;
  for (Node* seed : seeds) {
    bool keep = true;
    bool erase = false;
    for (const auto& wire : wires) {
      if (std::find(wire->nodes.begin(), wire->nodes.end(), seed) != wire->nodes.end()) {
        keep = false;
        break;
      }
      if (wire->kind == wire_kind::open_line) continue;
      const double sum = std::abs(data_2d::winding_sum(seed->point(), wire->nodes));
      if ((wire->kind == wire_kind::outer && sum < winding_inside) || (wire->kind == wire_kind::inner && sum > winding_outside)) {
        keep = false;
        erase = true;
        break;
      }
    }
    if (keep) kept.push_back(seed);
    if (erase) dropped.insert(seed);
  }
  seeds = std::move(kept);
  if (!dropped.empty()) {
    std::erase_if(nodes, [&](const std::unique_ptr<Node>& n) { return dropped.count(n.get()) != 0; });
    reset_node_index();
  }
}

void Mesher_2D::prepare_mesh() {
  for (const auto& wire : wires) initial_wires[wire.get()] = wire->nodes;
  if (tolerance < length_zero) tolerance = merging_tolerance(checked_node_spacing("prepare_mesh"));
  if (element_size < length_zero) {
    double total = 0.0;
    std::size_t segments = 0;
    for (const auto& wire : wires) {
      for (std::size_t i = 1; i < wire->nodes.size(); ++i) {
        total += std::sqrt(data_2d::squared_distance(wire->nodes[i - 1]->point(), wire->nodes[i]->point()));
        ++segments;
      }
    }
    if (segments > 0) element_size = total / static_cast<double>(segments);
  }
}

Node* Mesher_2D::find_or_create_node(Point p, bool mark) {
  if (!node_index_) {
    const double cell = std::max(element_size * size_factor * index_cell_fraction, tolerance);
    node_index_ = std::make_unique<data_2d::Point_Grid>(cell > 0.0 && std::isfinite(cell) ? cell : 1.0);
    indexed_nodes_ = 0;
  }
  for (; indexed_nodes_ < nodes.size(); ++indexed_nodes_) {
    node_index_->insert(static_cast<std::int32_t>(indexed_nodes_), nodes[indexed_nodes_]->point());
  }
  const double limit = tolerance * tolerance;
  for (const std::int32_t i : node_index_->near(p, tolerance)) {
    Node* node = nodes[static_cast<std::size_t>(i)].get();
    if (data_2d::squared_distance(node->point(), p) < limit) {
      if (mark) node->on_boundary = 1;
      return node;
    }
  }
  nodes.push_back(std::make_unique<Node>(0u, p.x, p.y, static_cast<std::uint8_t>(mark ? 1 : 0), 0.0));
  return nodes.back().get();
}

void Mesher_2D::split_quadrilaterals() {
  std::vector<std::unique_ptr<Element>> kept;
  std::vector<std::unique_ptr<Element>> quads;
  for (auto& element : elements) (element->nodes.size() == 4 ? quads : kept).push_back(std::move(element));
  kept.reserve(kept.size() + 2 * quads.size());
  for (const auto& quad : quads) {
    poll_interrupt();
    Node* a = quad->nodes[0];
    Node* b = quad->nodes[1];
    Node* c = quad->nodes[2];
    Node* d = quad->nodes[3];
    const double bd = data_2d::squared_distance(b->point(), d->point());
    const double ac = data_2d::squared_distance(a->point(), c->point());
    // The shorter diagonal gives the better pair only when both triangles it
    // makes are counter-clockwise; in a non-convex quadrilateral the shorter
    // diagonal can run outside, and then only the other one is valid.
    const bool ac_valid = data_2d::orientation(a->point(), b->point(), c->point()) > 0.0 &&
                          data_2d::orientation(a->point(), c->point(), d->point()) > 0.0;
    const bool bd_valid = data_2d::orientation(a->point(), b->point(), d->point()) > 0.0 &&
                          data_2d::orientation(b->point(), c->point(), d->point()) > 0.0;
    const bool use_ac = ac_valid && bd_valid ? bd > ac : ac_valid;
    if (use_ac) {
      kept.push_back(std::make_unique<Element>(std::vector<Node*>{a, b, c}));
      kept.push_back(std::make_unique<Element>(std::vector<Node*>{a, c, d}));
    } else {
      kept.push_back(std::make_unique<Element>(std::vector<Node*>{a, b, d}));
      kept.push_back(std::make_unique<Element>(std::vector<Node*>{b, c, d}));
    }
  }
  elements = std::move(kept);
}

void Mesher_2D::split_flat_quadrilaterals() {
  std::vector<std::unique_ptr<Element>> added;
  for (auto& element : elements) {
    if (element->nodes.size() != 4) continue;
    const std::vector<Node*>& n = element->nodes;
    for (std::size_t i = 0; i < 4; ++i) {
      const double angle = data_2d::corner_angle(n[i]->point(), n[(i + 1) % 4]->point(), n[(i + 3) % 4]->point());
      if (angle > flat_corner_deg) {
        added.push_back(std::make_unique<Element>(std::vector<Node*>{n[i], n[(i + 1) % 4], n[(i + 2) % 4]}));
        added.push_back(std::make_unique<Element>(std::vector<Node*>{n[i], n[(i + 2) % 4], n[(i + 3) % 4]}));
        element.reset();
        break;
      }
    }
  }
  std::erase_if(elements, [](const std::unique_ptr<Element>& e) { return !e; });
  for (auto& element : added) elements.push_back(std::move(element));
  std::erase_if(elements, [](const std::unique_ptr<Element>& e) {
    const std::vector<Node*>& n = e->nodes;
    return n.size() == 3 && data_2d::triangle_quality(n[0]->point(), n[1]->point(), n[2]->point()) < degenerate_quality;
  });
}

void Mesher_2D::make_quadratic() {
  for (const auto& element : elements) {
    const std::size_t corners = element->nodes.size();
    for (std::size_t i = 0; i < corners; ++i) {
      const Point mid = 0.5 * (element->nodes[i]->point() + element->nodes[(i + 1) % corners]->point());
      element->nodes.push_back(find_or_create_node(mid, false));
    }
  }
}

void Mesher_2D::write_mesh(domain_maker::Mesh_Data& record) {
  // Input nodes keep their record (index id - 1), whatever their marks; every
  // created node (id 0) is appended. Indexing by position in `nodes` instead
  // would shift every number after a dropped seed, and re-writing an input
  // node that is on no wire would duplicate its record. While the elements
  // are written, each created node carries its record position + 1 as its
  // id, which makes the lookup a field read; the ids return to 0 after.
  std::vector<Node*> created;
  for (const auto& node : nodes) {
    if (node->id == 0) created.push_back(node.get());
  }
  struct Restore_Ids {
    std::vector<Node*>& created;
    ~Restore_Ids() {
      for (Node* node : created) node->id = 0;
    }
  } restore{created};
  record.nodes.reserve(record.nodes.size() + created.size());
  for (Node* node : created) {
    record.nodes.push_back({0, 0, node->seed_size, node->x, node->y});
    node->id = static_cast<std::uint32_t>(record.nodes.size());
  }
  record.elements.reserve(record.elements.size() + elements.size());
  for (const auto& element : elements) {
    std::vector<std::int32_t> list;
    list.reserve(element->nodes.size());
    for (const Node* node : element->nodes) list.push_back(static_cast<std::int32_t>(node->id) - 1);
    record.elements.push_back(std::move(list));
  }
}

double Mesher_2D::region_area() const {
  double area = 0.0;
  for (const auto& wire : wires) {
    if (wire->kind == wire_kind::open_line || wire->nodes.size() < 2) continue;
    std::vector<Node*> ring(wire->nodes.begin(), wire->nodes.end() - 1);
    area += data_2d::polygon_area(ring);
  }
  return area;
}

bool Mesher_2D::elements_cover_region() const {
  const double expected = region_area();
  if (!(expected > 0.0)) return false;
  double total = 0.0;
  for (const auto& element : elements) {
    const double area = data_2d::polygon_area(element->nodes);
    if (!(area > 0.0)) return false;
    total += area;
  }
  return std::abs(total - expected) <= coverage_tolerance * expected;
}

}  // namespace mesher_2d
