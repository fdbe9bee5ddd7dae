// The fixed fillings of the small loops that loop splitting leaves: patterns
// of quadrilaterals for loops of six and eight segments, and a general
// filling of any small polygon by diagonals (quadrilaterals first, one
// triangle where the corner count is odd) for the loops no pattern covers.
//
// These routines work on positions only and create nothing: a filling lists
// its cells as indices into the loop's corners (0 .. n-1, in loop order)
// followed by the extra interior points it needs (n, n+1, ...). The loop
// mesher turns the extra points into nodes and the cells into elements.
//
// A filling is accepted only when every cell is valid: a triangle must be
// counter-clockwise with positive area, a quadrilateral must have a diagonal
// that splits it into two such triangles (which is what the final split of
// quadrilaterals needs). With every cell positive and the cells sharing
// sides, a filling covers its loop exactly once.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "mesher/data_2d/point.h"

namespace loop_mesher {

struct Loop_Fill {
  std::vector<std::vector<int>> cells;  // 3 or 4 indices each, counter-clockwise
  std::vector<data_2d::Point> extra;    // interior points, indices n, n+1, ...
};

// A corner above this angle (degrees) is flat: it should be shared by two
// cells, since as the corner of one quadrilateral it makes that cell nearly
// a triangle. Rule of this library.
inline constexpr double flat_corner_deg = 160.0;
// A corner above this angle (degrees) anchors the split pattern of a
// six-segment loop and makes an eight-segment loop be cut again. Rule of
// this library.
inline constexpr double reflex_corner_deg = 215.0;

// Six corners in loop order with their corner angles. The reflex corner, then
// the flat corners, choose the split, centre or transition pattern; when the
// chosen pattern is not valid, the valid pattern that leaves the fewest flat
// corners to a single cell (then the best quality) is taken; failing all,
// the general filling.
std::optional<Loop_Fill> stamp_6(std::span<const data_2d::Point> corners, std::span<const double> angles);

// Eight corners: the centre, strip and fan patterns, chosen like the
// fallback of stamp_6 (fewest flat corners left to a single cell, then the
// best quality); failing all, the general filling.
std::optional<Loop_Fill> stamp_8(std::span<const data_2d::Point> corners, std::span<const double> angles);

// Any simple counter-clockwise polygon of at most about ten corners, by
// diagonals only: the fewest triangles (one when the corner count is odd,
// none when even, as far as the shape allows), then the best worst-cell
// quality. Nothing when no filling with valid cells exists.
std::optional<Loop_Fill> fill_small_polygon(std::span<const data_2d::Point> corners);

// True when every cell of `fill` is valid (see above).
bool fill_is_valid(std::span<const data_2d::Point> corners, const Loop_Fill& fill);

// Quality of a cell given by its points: primitive 7 of the mesher (triangle
// or quadrilateral quality).
double cell_quality(std::span<const data_2d::Point> cell) noexcept;
// Whether a cell given by its points is valid (see above).
bool cell_is_valid(std::span<const data_2d::Point> cell) noexcept;

}  // namespace loop_mesher
