#include "mesher/loop_mesher/smoothing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "mesher/data_2d/primitives.h"
#include "mesher/loop_mesher/loop_stamps.h"
#include "mesher/mesher_2d/node_pair_map.h"

namespace loop_mesher {

using data_2d::Element;
using data_2d::Node;
using data_2d::Point;

namespace {

// Fractions of the way from a node to a trial point that the improvement
// pass also tries: a full step can overshoot where a half step helps. Rule
// of this library.
constexpr std::array<double, 3> improvement_steps{1.0, 0.5, 0.25};

std::vector<Point> points_of(const Element& e) {
  std::vector<Point> p;
  p.reserve(e.nodes.size());
  for (const Node* n : e.nodes) p.push_back(n->point());
  return p;
}

// The worst quality of the triangles the final split makes of a cell: for a
// quadrilateral, the pair along the shorter diagonal when both diagonals
// give counter-clockwise triangles, else the pair along the valid one (the
// rule of Mesher_2D::split_quadrilaterals). Guarding this value guards the
// elements the solver receives.
double split_quality(const std::vector<Point>& c) {
  if (c.size() == 3) return data_2d::triangle_quality(c[0], c[1], c[2]);
  const bool ac_valid = data_2d::orientation(c[0], c[1], c[2]) > 0.0 && data_2d::orientation(c[0], c[2], c[3]) > 0.0;
  const bool bd_valid = data_2d::orientation(c[0], c[1], c[3]) > 0.0 && data_2d::orientation(c[1], c[2], c[3]) > 0.0;
  const bool use_ac = ac_valid && bd_valid ? data_2d::squared_distance(c[1], c[3]) > data_2d::squared_distance(c[0], c[2]) : ac_valid;
  if (use_ac) return std::min(data_2d::triangle_quality(c[0], c[1], c[2]), data_2d::triangle_quality(c[0], c[2], c[3]));
  return std::min(data_2d::triangle_quality(c[0], c[1], c[3]), data_2d::triangle_quality(c[1], c[2], c[3]));
}

std::size_t position_in(const Element& e, const Node* node) {
  return static_cast<std::size_t>(std::find(e.nodes.begin(), e.nodes.end(), node) - e.nodes.begin());
}

}  // namespace

Smoother::Smoother(const std::vector<std::unique_ptr<Node>>& nodes, const std::vector<std::unique_ptr<Element>>& elements) {
  mesher_2d::Node_Pair_Map index(nodes.size());
  for (const auto& node : nodes) {
    if (node->id != 0 || node->on_boundary != 0) continue;
    index.insert(node.get(), nullptr, static_cast<std::uint32_t>(free_.size()));
    free_.push_back({node.get(), {}});
  }
  for (const auto& element : elements) {
    for (const Node* node : element->nodes) {
      if (const std::uint32_t* f = index.find(node, nullptr)) free_[*f].elements.push_back(element.get());
    }
  }
  std::erase_if(free_, [](const Free_Node& f) { return f.elements.empty(); });
}

double Smoother::local_quality(const Free_Node& f) {
  double worst = std::numeric_limits<double>::infinity();
  for (const Element* e : f.elements) {
    const std::vector<Point> p = points_of(*e);
    if (!cell_is_valid(p)) return -std::numeric_limits<double>::infinity();
    worst = std::min(worst, split_quality(p));
  }
  return worst;
}

bool Smoother::try_move(const Free_Node& f, Point target) {
  if (!std::isfinite(target.x) || !std::isfinite(target.y)) return false;
  const double before = local_quality(f);
  const Point old = f.node->point();
  f.node->x = target.x;
  f.node->y = target.y;
  if (local_quality(f) >= before) return true;
  f.node->x = old.x;
  f.node->y = old.y;
  return false;
}

bool Smoother::laplacian_target(const Free_Node& f, Point& target) {
  // Each side from the node counts once per element that has it; sides
  // shared by two elements weigh twice, as every interior side is.
  Point sum;
  int count = 0;
  for (const Element* e : f.elements) {
    const std::size_t k = e->nodes.size();
    const std::size_t i = position_in(*e, f.node);
    sum = sum + e->nodes[(i + 1) % k]->point() + e->nodes[(i + k - 1) % k]->point();
    count += 2;
  }
  if (count == 0) return false;
  target = (1.0 / count) * sum;
  return true;
}

bool Smoother::angle_target(const Free_Node& f, Point& target) {
  // In each element, the neighbours next to the node see the node under an
  // angle between the node and the element's next corner; rotating the node
  // about a neighbour so that this angle is half the neighbour's angle in the
  // node's star is the ideal position that neighbour proposes.
  Point sum;
  int count = 0;
  const Point p = f.node->point();
  for (const Element* e : f.elements) {
    const std::size_t k = e->nodes.size();
    const std::size_t i = position_in(*e, f.node);
    const Point next = e->nodes[(i + 1) % k]->point();
    const Point after_next = e->nodes[(i + 2) % k]->point();
    // Find the element across the side node -> next to get the neighbour's
    // other star corner.
    const Node* next_node = e->nodes[(i + 1) % k];
    const Element* across = nullptr;
    for (const Element* other : f.elements) {
      if (other == e) continue;
      const std::size_t ko = other->nodes.size();
      const std::size_t io = position_in(*other, f.node);
      if (other->nodes[(io + ko - 1) % ko] == next_node) across = other;
    }
    if (across == nullptr) continue;
    const std::size_t ko = across->nodes.size();
    const std::size_t io = position_in(*across, f.node);
    const Point before_next = across->nodes[(io + ko - 2) % ko]->point();
    // Star angle at `next` from after_next (inside e) round to before_next
    // (inside `across`), the node lying between them.
    const double star = data_2d::corner_angle(next, after_next, before_next);
    const double half = 0.5 * star * std::acos(-1.0) / 180.0;
    const double length = std::sqrt(data_2d::squared_distance(p, next));
    const Point d = after_next - next;
    const double dl = std::sqrt(d.x * d.x + d.y * d.y);
    if (!(dl > 0.0) || !(length > 0.0)) continue;
    const Point u = (1.0 / dl) * d;
    const Point rotated{u.x * std::cos(half) - u.y * std::sin(half), u.x * std::sin(half) + u.y * std::cos(half)};
    sum = sum + next + length * rotated;
    ++count;
  }
  if (count == 0) return false;
  target = (1.0 / count) * sum;
  return true;
}

void Smoother::laplacian(int sweeps, mesher_2d::Interrupt interrupt) {
  for (int s = 0; s < sweeps; ++s) {
    for (const Free_Node& f : free_) {
      mesher_2d::poll(interrupt);
      Point target;
      if (laplacian_target(f, target)) try_move(f, target);
    }
  }
}

void Smoother::angle_based(int sweeps, mesher_2d::Interrupt interrupt) {
  for (int s = 0; s < sweeps; ++s) {
    for (const Free_Node& f : free_) {
      mesher_2d::poll(interrupt);
      Point target;
      if (angle_target(f, target)) try_move(f, target);
    }
  }
}

void Smoother::improve(int passes, mesher_2d::Interrupt interrupt) {
  for (int s = 0; s < passes; ++s) {
    for (const Free_Node& f : free_) {
      mesher_2d::poll(interrupt);
      const Point start = f.node->point();
      std::vector<Point> trials;
      Point t;
      if (laplacian_target(f, t)) trials.push_back(t);
      if (angle_target(f, t)) trials.push_back(t);
      Point corner_sum;
      int corners = 0;
      for (const Element* e : f.elements) {
        for (const Node* n : e->nodes) {
          if (n == f.node) continue;
          corner_sum = corner_sum + n->point();
          ++corners;
        }
      }
      if (corners > 0) trials.push_back((1.0 / corners) * corner_sum);
      double best = local_quality(f);
      Point best_point = start;
      for (const Point trial : trials) {
        for (const double step : improvement_steps) {
          const Point q = start + step * (trial - start);
          f.node->x = q.x;
          f.node->y = q.y;
          const double quality = local_quality(f);
          if (quality > best) {
            best = quality;
            best_point = q;
          }
        }
      }
      f.node->x = best_point.x;
      f.node->y = best_point.y;
    }
  }
}

}  // namespace loop_mesher
