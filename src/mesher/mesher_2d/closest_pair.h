// Smallest distance between two points of a set, by the sweep-line closest
// pair method: O(n log n), where comparing every pair is O(n^2) and dominates
// the input check of a large outline.
#pragma once

#include <span>

#include "mesher/data_2d/point.h"

namespace mesher_2d {

// The exact smallest Euclidean distance between two entries of `points`
// (0 when two entries coincide); +infinity for fewer than two points. The
// distance of each pair is the square root of its squared distance, the same
// value a scan over all pairs would find.
double smallest_distance(std::span<const data_2d::Point> points);

}  // namespace mesher_2d
