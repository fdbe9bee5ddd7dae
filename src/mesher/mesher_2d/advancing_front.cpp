#include "mesher/mesher_2d/advancing_front.h"

#include <algorithm>

#include "mesher/data_2d/primitives.h"

namespace mesher_2d {

using data_2d::Element;
using data_2d::Node;
using data_2d::Point;

namespace {

// A candidate must see the segment under more than this angle (degrees), so
// the triangle is not a sliver along the segment, and under less than the
// upper limit, so it does not lie on the segment's line. Rule of this library.
constexpr double min_candidate_angle_deg = 0.1;
constexpr double max_candidate_angle_deg = 179.0;

// Cells of the bucket grids are half the search radius: a query then reads
// 5 x 5 cells, a fair balance between cells visited and items filtered.
constexpr double cell_per_radius = 0.5;

Point centroid(const Element& element) noexcept {
  Point sum;
  for (const Node* n : element.nodes) sum = sum + n->point();
  return (1.0 / static_cast<double>(element.nodes.size())) * sum;
}

}  // namespace

Advancing_Front::Advancing_Front(double search_radius, std::size_t expected_size)
    : radius_(search_radius),
      lookup_(2 * expected_size),
      ends_(cell_per_radius * search_radius),
      midpoints_(cell_per_radius * search_radius),
      centroids_(cell_per_radius * search_radius) {}

void Advancing_Front::append(Node* a, Node* b, bool done) {
  const auto e = static_cast<std::uint32_t>(entries_.size());
  const Point mid = b != nullptr ? 0.5 * (a->point() + b->point()) : a->point();
  entries_.push_back({a, b, mid, done});
  lookup_.insert(a, b, e);
  ends_.insert(static_cast<std::int32_t>(2 * e), a->point());
  if (b != nullptr) {
    ends_.insert(static_cast<std::int32_t>(2 * e + 1), b->point());
    midpoints_.insert(static_cast<std::int32_t>(e), mid);
  }
}

void Advancing_Front::add_segment(Node* a, Node* b, bool done) {
  if (a == b || lookup_.contains(a, b)) return;
  append(a, b, done);
}

void Advancing_Front::add_node(Node* node) {
  if (lookup_.contains(node, nullptr)) return;
  append(node, nullptr, false);
}

void Advancing_Front::index_element(const Element& element) {
  const auto i = static_cast<std::uint32_t>(obstacles_.size());
  obstacles_.push_back(&element);
  centroids_.insert(static_cast<std::int32_t>(i), centroid(element));
}

std::size_t Advancing_Front::open_segments() const noexcept {
  return static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.second != nullptr && !e.done; }));
}

bool Advancing_Front::crosses_near(Point a, Point b, Point c, std::uint32_t e) {
  const double limit = radius_ * radius_;
  for (const std::int32_t item : midpoints_.near(c, radius_)) {
    const auto j = static_cast<std::uint32_t>(item);
    const Entry& other = entries_[j];
    if (j == e || data_2d::squared_distance(other.mid, c) > limit) continue;
    const Point p = other.first->point();
    const Point q = other.second->point();
    if (data_2d::segments_cross(a, c, p, q) || data_2d::segments_cross(b, c, p, q)) return true;
  }
  for (const std::int32_t i : centroids_.near(c, radius_)) {
    const Element& element = *obstacles_[static_cast<std::size_t>(i)];
    if (data_2d::squared_distance(centroid(element), c) > limit) continue;
    const std::size_t corners = element.nodes.size();
    for (std::size_t k = 0; k < corners; ++k) {
      const Point p = element.nodes[k]->point();
      const Point q = element.nodes[(k + 1) % corners]->point();
      if (data_2d::segments_cross(a, c, p, q) || data_2d::segments_cross(b, c, p, q)) return true;
    }
  }
  return false;
}

Node* Advancing_Front::choose(std::uint32_t e) {
  Node* a = entries_[e].first;
  Node* b = entries_[e].second;
  const Point mid = entries_[e].mid;
  const double limit = radius_ * radius_;
  struct Candidate {
    Node* node;
    double angle;
  };
  std::vector<Candidate> candidates;
  for (const std::int32_t found : ends_.near(mid, radius_)) {
    const auto item = static_cast<std::uint32_t>(found);
    const std::uint32_t j = item / 2;
    const Entry& other = entries_[j];
    if (j == e || other.done) continue;
    Node* node = item % 2 == 0 ? other.first : other.second;
    if (node == a || node == b || data_2d::squared_distance(node->point(), mid) > limit) continue;
    if (std::any_of(candidates.begin(), candidates.end(), [&](const Candidate& c) { return c.node == node; })) continue;
    const double angle = data_2d::subtended_angle(node->point(), a->point(), b->point());
    if (angle > min_candidate_angle_deg && angle < max_candidate_angle_deg) candidates.push_back({node, angle});
  }
  // Best angle first; of equal angles the one found first, which is the
  // order of a scan over the front list.
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& x, const Candidate& y) { return x.angle > y.angle; });
  for (const Candidate& candidate : candidates) {
    if (!crosses_near(a->point(), b->point(), candidate.node->point(), e)) return candidate.node;
  }
  return nullptr;
}

void Advancing_Front::advance(Node* a, Node* b) {
  const std::uint32_t* reverse = lookup_.find(b, a);
  if (reverse != nullptr) {
    entries_[*reverse].done = true;
  } else {
    append(a, b, false);
  }
}

void Advancing_Front::fill(std::vector<std::unique_ptr<Element>>& elements, Interrupt interrupt) {
  for (const auto& element : elements) index_element(*element);
  for (std::uint32_t e = 0; e < entries_.size(); ++e) {
    if (entries_[e].done || entries_[e].second == nullptr) continue;
    poll(interrupt);
    Node* c = choose(e);
    if (c == nullptr) continue;
    Node* a = entries_[e].first;
    Node* b = entries_[e].second;
    elements.push_back(std::make_unique<Element>(std::vector<Node*>{a, b, c}));
    index_element(*elements.back());
    entries_[e].done = true;
    const std::uint32_t* single = lookup_.find(c, nullptr);
    if (single != nullptr) entries_[*single].done = true;
    advance(a, c);
    advance(c, b);
  }
}

}  // namespace mesher_2d
