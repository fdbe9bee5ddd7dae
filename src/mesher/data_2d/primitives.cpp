#include "mesher/data_2d/primitives.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>

namespace data_2d {

namespace {

constexpr double degrees_per_radian = 180.0 / std::numbers::pi;

}  // namespace

double subtended_angle(Point p, Point a, Point b) noexcept {
  const Point u = a - p;
  const Point v = b - p;
  const double uu = u.x * u.x + u.y * u.y;
  const double vv = v.x * v.x + v.y * v.y;
  const double denominator = 2.0 * std::sqrt(uu) * std::sqrt(vv);
  if (denominator < zero_tolerance) return 0.0;
  const Point w = u - v;
  const double cosine = (uu + vv - (w.x * w.x + w.y * w.y)) / denominator;
  double angle = 0.0;
  if (cosine > cosine_limit) {
    angle = 0.0;
  } else if (cosine < -cosine_limit) {
    angle = 180.0;
  } else {
    angle = std::acos(cosine) * degrees_per_radian;
  }
  const double cross = u.x * v.y - v.x * u.y;
  return cross >= 0.0 ? angle : -angle;
}

double winding_sum(Point p, std::span<Node* const> nodes) noexcept {
  double sum = 0.0;
  for (std::size_t i = 1; i < nodes.size(); ++i) sum += subtended_angle(p, nodes[i - 1]->point(), nodes[i]->point());
  return sum;
}

double winding_sum_cyclic(Point p, std::span<Node* const> nodes) noexcept {
  if (nodes.size() < 2) return 0.0;
  return winding_sum(p, nodes) + subtended_angle(p, nodes.back()->point(), nodes.front()->point());
}

double polygon_area(std::span<Node* const> nodes) noexcept {
  double twice = 0.0;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const Node* a = nodes[i];
    const Node* b = nodes[(i + 1) % nodes.size()];
    twice += a->x * b->y - b->x * a->y;
  }
  return 0.5 * twice;
}

double corner_angle(Point p, Point a, Point b) noexcept {
  const double angle = subtended_angle(p, a, b);
  return angle < 0.0 ? angle + 360.0 : angle;
}

double orientation(Point a, Point b, Point c) noexcept {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool segments_cross(Point p0, Point p1, Point p2, Point p3) noexcept {
  const double first = orientation(p0, p1, p2) * orientation(p0, p1, p3);
  if (!(first < 0.0 && std::abs(first) >= zero_tolerance)) return false;
  const double second = orientation(p2, p3, p0) * orientation(p2, p3, p1);
  return second < 0.0 && std::abs(second) > zero_tolerance;
}

Point rotate(Point p, Point centre, double angle_deg) noexcept {
  const double a = angle_deg / degrees_per_radian;
  const double c = std::cos(a);
  const double s = std::sin(a);
  const Point d = p - centre;
  return {centre.x + c * d.x - s * d.y, centre.y + s * d.x + c * d.y};
}

double squared_distance(Point a, Point b) noexcept {
  const Point d = a - b;
  return d.x * d.x + d.y * d.y;
}

std::optional<Point> foot_on_segment(Point p, Point a, Point b) noexcept {
  const Point d = b - a;
  const double dd = d.x * d.x + d.y * d.y;
  if (!(dd > zero_tolerance)) return std::nullopt;
  const Point ap = p - a;
  const double t = (ap.x * d.x + ap.y * d.y) / dd;
  if (!(t > -zero_tolerance && t < parameter_upper)) return std::nullopt;
  return a + t * d;
}

double triangle_quality(Point p1, Point p2, Point p3) noexcept {
  // 2 sqrt(3): the factor that makes an equilateral triangle score exactly 1
  // (its doubled area is sqrt(3)/2 s^2 against 3 s^2 of squared sides).
  constexpr double normaliser = 2.0 * std::numbers::sqrt3;
  const double cross = (p2.y - p3.y) * (p1.x - p3.x) - (p2.x - p3.x) * (p1.y - p3.y);
  const double squares = squared_distance(p1, p2) + squared_distance(p2, p3) + squared_distance(p3, p1);
  if (squares == 0.0) return 0.0;
  return normaliser * cross / squares;
}

double quadrilateral_quality(Point p1, Point p2, Point p3, Point p4) noexcept {
  std::array<double, 4> q = {triangle_quality(p1, p2, p3), triangle_quality(p1, p3, p4),
                             triangle_quality(p1, p2, p4), triangle_quality(p2, p3, p4)};
  std::sort(q.begin(), q.end(), std::greater<>());
  const double denominator = q[0] * q[1];
  if (denominator == 0.0) return 0.0;
  const double quality = q[2] * q[3] / denominator;
  return q[3] < 0.0 ? -std::abs(quality) : quality;
}

std::optional<Point> segment_intersection(Point p0, Point p1, Point p2, Point p3) noexcept {
  const Point d1 = p1 - p0;
  const Point d2 = p3 - p2;
  const double det = d1.x * d2.y - d1.y * d2.x;
  if (!(std::abs(det) >= zero_tolerance)) return std::nullopt;
  // Solve p0 + t d1 = p2 + u d2 by Cramer's rule.
  const Point r = p2 - p0;
  const double t = (r.x * d2.y - r.y * d2.x) / det;
  const double u = (r.x * d1.y - r.y * d1.x) / det;
  const auto on_segment = [](double s) { return s > -zero_tolerance && s < parameter_upper; };
  if (!on_segment(t) || !on_segment(u)) return std::nullopt;
  return p0 + t * d1;
}

}  // namespace data_2d
