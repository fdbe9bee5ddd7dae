// Outline sections as an engineer draws them: polygons with holes, one
// material each. The outline exports take points, segments and one set of
// material constants per region in the order the library finds the regions;
// build_outline turns the polygons into exactly that, so a section file never
// needs to know the library's region order.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bsp_cli {

using Point = std::array<double, 2>;

struct Polygon {
  std::vector<Point> outline;
  std::vector<std::vector<Point>> holes;
};

struct OutlineGeometry {
  std::vector<double> point_y, point_z;
  std::vector<std::int32_t> segments;  // pairs of 1-based point numbers
  // One entry per region in the library's order: the 0-based polygon that
  // fills it, or -1 for a void (a hole, or an area the polygons enclose).
  std::vector<int> region_polygon;
};

// Where a drawing is wrong: polygon (0-based), loop (-1 its outline, k its
// hole k, 0-based) and what, for a message naming the place.
struct OutlineProblem {
  int polygon = 0;
  int loop = -1;
  std::string what;
};

// Points closer than 1e-9 of the drawing's extent are one point; a point on
// another polygon's side splits that side, so polygons may share sides or
// parts of sides. Polygons must not overlap and no loop may cross itself.
// Returns the geometry or the first problem found.
struct OutlineBuild {
  OutlineGeometry geometry;
  std::optional<OutlineProblem> problem;
};
OutlineBuild build_outline(const std::vector<Polygon>& polygons);

// Small predicates shared with the reinforced sections.
double signed_area(const std::vector<Point>& p);
bool segments_cross(const Point& a, const Point& b, const Point& c, const Point& d);
// First pair of edges of a closed loop that cross, 0-based edge numbers.
std::optional<std::pair<std::size_t, std::size_t>> self_crossing(const std::vector<Point>& p);
bool inside(const std::vector<Point>& p, double y, double z);

}  // namespace bsp_cli
