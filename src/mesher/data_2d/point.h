// A position in the plane of the section, in the outline's own length unit.
// The mesher's objects (nodes) carry more than a position; the geometric
// primitives take plain points so they can be called on midpoints, probes and
// rotated copies without creating nodes.
#pragma once

namespace data_2d {

struct Point {
  double x = 0.0;
  double y = 0.0;
};

constexpr Point operator+(Point a, Point b) noexcept { return {a.x + b.x, a.y + b.y}; }
constexpr Point operator-(Point a, Point b) noexcept { return {a.x - b.x, a.y - b.y}; }
constexpr Point operator*(double s, Point a) noexcept { return {s * a.x, s * a.y}; }
constexpr bool operator==(Point a, Point b) noexcept { return a.x == b.x && a.y == b.y; }

}  // namespace data_2d
