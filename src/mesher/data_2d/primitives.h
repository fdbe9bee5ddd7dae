// The geometric primitives of the mesher, written once and used by every
// mesher step and by the domain maker. Angles are in degrees throughout.
//
// Every tolerance here is absolute, in the outline's length unit (or its
// square for areas and squared lengths). The outline preparation scales a
// section so that its smallest feature is far above these values, which is
// what makes absolute tolerances safe; a caller working on raw coordinates
// must do the same. None of these routines is exact: near-degenerate input
// (collinear points, points on a segment) is decided by the tolerances below,
// and each routine says which way such a case falls.
#pragma once

#include <optional>
#include <span>

#include "mesher/data_2d/node.h"
#include "mesher/data_2d/point.h"

namespace data_2d {

// Lengths, products of lengths and determinants below this count as zero.
// Rule of this library, 1e-8 in outline units (see the scaling note above);
// pinned by tests/mesher/primitives_test.cpp.
inline constexpr double zero_tolerance = 1e-8;

// A cosine beyond +-(1 - 1e-8) is taken as exactly 0 or 180 degrees, so that
// round-off in the law of cosines never sends acos outside its domain and a
// point on the line of a segment sees it under exactly 0 or 180 degrees.
inline constexpr double cosine_limit = 1.0 - 1e-8;

// Upper end of the parameter range in which a foot point or an intersection
// point counts as lying on a segment: 1 + 1e-8, mirroring the lower end -1e-8.
inline constexpr double parameter_upper = 1.0 + zero_tolerance;

// Winding sums (degrees) from which the callers decide containment: a point
// is inside a closed wire when |sum| is above winding_inside and outside when
// |sum| is below winding_outside. For a point off the wire the exact sum is
// 360 or 0; the wide margins absorb the per-segment cosine clamping.
inline constexpr double winding_inside = 350.0;
inline constexpr double winding_outside = 10.0;

// 1. Angle (degrees, in [-180, 180]) under which segment AB is seen from P,
// positive when A -> B turns counter-clockwise about P. 0 when P coincides
// with A or B (|PA| |PB| below the tolerance); 0 or 180 for P on the line AB.
double subtended_angle(Point p, Point a, Point b) noexcept;

// 2. Sum of the subtended angles of the consecutive segments of `nodes` seen
// from P: about 360 inside a counter-clockwise closed wire, -360 inside a
// clockwise one, about 0 outside. The list is taken as given; a closed wire
// repeats its first node at the end.
double winding_sum(Point p, std::span<Node* const> nodes) noexcept;

// Winding sum about the cycle of `nodes` (the last node joined back to the
// first), for element corner lists that do not repeat their first node.
double winding_sum_cyclic(Point p, std::span<Node* const> nodes) noexcept;

// Signed area of the polygon through `nodes` (shoelace formula), positive
// when counter-clockwise. The last node joins back to the first, so a closed
// wire that repeats its first node gives the same value as its corner list.
double polygon_area(std::span<Node* const> nodes) noexcept;

// 3. Angle at P swept counter-clockwise from the direction PA to the direction
// PB, in [0, 360).
double corner_angle(Point p, Point a, Point b) noexcept;

// Orientation determinant of c relative to the directed line ab: twice the
// signed area of the triangle (a, b, c), positive when c is to the left.
double orientation(Point a, Point b, Point c) noexcept;

// 4. True only when each segment strictly separates the end points of the
// other (both orientation products negative and of magnitude at least 1e-8
// for P2,P3 against P0P1 and above 1e-8 for P0,P1 against P2P3). Segments
// that touch, share an end point or are collinear never cross.
bool segments_cross(Point p0, Point p1, Point p2, Point p3) noexcept;

// 5. P rotated about `centre` by `angle_deg`, counter-clockwise positive.
Point rotate(Point p, Point centre, double angle_deg) noexcept;

// 6. Squared distance of two points.
double squared_distance(Point a, Point b) noexcept;

// Foot of the perpendicular from P on segment AB: the point A + t (B - A) with
// t = (P - A).(B - A) / |B - A|^2. Nothing when |B - A|^2 is not above 1e-8
// or when t lies outside (-1e-8, 1 + 1e-8).
std::optional<Point> foot_on_segment(Point p, Point a, Point b) noexcept;

// 7. Quality of the triangle p1 p2 p3: 2 sqrt(3) times twice its signed area
// over the sum of its squared side lengths. 1 for an equilateral triangle,
// positive counter-clockwise, 0 degenerate, negative inverted. A triangle
// with all three corners at one point gives 0.
double triangle_quality(Point p1, Point p2, Point p3) noexcept;

// Quality of the quadrilateral p1 p2 p3 p4 from its four corner triangles
// (p1p2p3, p1p3p4, p1p2p4, p2p3p4) sorted q1 >= q2 >= q3 >= q4: q3 q4 / (q1 q2),
// negative when q4 is negative. 1 for a square, 0 when a corner triangle is
// flat; a degenerate quadrilateral whose q1 q2 is 0 gives 0.
double quadrilateral_quality(Point p1, Point p2, Point p3, Point p4) noexcept;

// 8. Meeting point of segments P0P1 and P2P3, end points included: the point
// P0 + t (P1 - P0) when the direction determinant has magnitude at least 1e-8
// (parallel segments never meet) and both parameters lie in
// (-1e-8, 1 + 1e-8). Unlike segments_cross, touching counts.
std::optional<Point> segment_intersection(Point p0, Point p1, Point p2, Point p3) noexcept;

}  // namespace data_2d
