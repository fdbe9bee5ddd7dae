#include "mesher/loop_mesher/loop_stamps.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>

#include "mesher/data_2d/primitives.h"

namespace loop_mesher {

using data_2d::Point;

namespace {

// The transition pattern's two interior points lie halfway between their
// corner and the loop's centroid. Rule of this library; smoothing moves them
// afterwards.
constexpr double transition_blend = 0.5;

// A triangle whose doubled area is below this fraction of its squared
// longest side (a quality below about 3e-10) is taken as flat. Rule of this
// library: far above the round-off of the area (1e-16 relative) and far
// below any element worth keeping.
constexpr double degenerate_area_fraction = 1e-10;

Point centroid(std::span<const Point> corners) noexcept {
  Point sum;
  for (const Point p : corners) sum = sum + p;
  return (1.0 / static_cast<double>(corners.size())) * sum;
}

std::vector<Point> cell_points(std::span<const Point> corners, const Loop_Fill& fill, const std::vector<int>& cell) {
  std::vector<Point> points;
  points.reserve(cell.size());
  const int n = static_cast<int>(corners.size());
  for (const int i : cell) points.push_back(i < n ? corners[static_cast<std::size_t>(i)] : fill.extra[static_cast<std::size_t>(i - n)]);
  return points;
}

double fill_quality(std::span<const Point> corners, const Loop_Fill& fill) {
  double worst = std::numeric_limits<double>::infinity();
  for (const auto& cell : fill.cells) worst = std::min(worst, cell_quality(cell_points(corners, fill, cell)));
  return worst;
}

// Flat corners that only one cell uses: each leaves a cell with a corner
// near 180 degrees.
int lone_flat_corners(std::span<const double> angles, const Loop_Fill& fill) {
  int count = 0;
  for (std::size_t m = 0; m < angles.size(); ++m) {
    if (angles[m] <= flat_corner_deg) continue;
    int uses = 0;
    for (const auto& cell : fill.cells) uses += static_cast<int>(std::count(cell.begin(), cell.end(), static_cast<int>(m)));
    count += uses < 2 ? 1 : 0;
  }
  return count;
}

// Builds a pattern given in local corner numbers (K0 = anchor) for a loop of
// n corners; local numbers >= n name the extra points.
Loop_Fill anchored(int n, int anchor, std::initializer_list<std::array<int, 4>> quads, std::vector<Point> extra) {
  Loop_Fill fill;
  fill.extra = std::move(extra);
  for (const auto& q : quads) {
    std::vector<int> cell;
    for (const int local : q) cell.push_back(local < n ? (local + anchor) % n : local);
    fill.cells.push_back(std::move(cell));
  }
  return fill;
}

Point corner(std::span<const Point> corners, int anchor, int local) {
  const auto n = static_cast<int>(corners.size());
  return corners[static_cast<std::size_t>((anchor + local) % n)];
}

enum class Pattern6 { split, centre, transition };

Loop_Fill pattern_6(std::span<const Point> corners, Pattern6 pattern, int k) {
  constexpr int c = 6;
  switch (pattern) {
    case Pattern6::split:
      return anchored(6, k, {{0, 1, 2, 3}, {0, 3, 4, 5}}, {});
    case Pattern6::centre:
      return anchored(6, k, {{0, 1, 2, c}, {2, 3, 4, c}, {4, 5, 0, c}}, {centroid(corners)});
    case Pattern6::transition: {
      // K5 K0 K1 K2 along one side, K3 K4 across: two interior points above
      // K0 and K1 take the three segments down to one.
      const Point g = centroid(corners);
      const Point c1 = corner(corners, k, 0) + transition_blend * (g - corner(corners, k, 0));
      const Point c2 = corner(corners, k, 1) + transition_blend * (g - corner(corners, k, 1));
      return anchored(6, k, {{5, 0, c, 4}, {0, 1, c + 1, c}, {1, 2, 3, c + 1}, {c, c + 1, 3, 4}}, {c1, c2});
    }
  }
  return {};
}

// Of the valid fillings, the one with the fewest lone flat corners, then the
// best worst-cell quality; the first of equals.
std::optional<Loop_Fill> best_of(std::span<const Point> corners, std::span<const double> angles, std::vector<Loop_Fill> candidates) {
  std::optional<Loop_Fill> best;
  int best_lone = 0;
  double best_quality = 0.0;
  for (auto& fill : candidates) {
    if (!fill_is_valid(corners, fill)) continue;
    const int lone = lone_flat_corners(angles, fill);
    const double quality = fill_quality(corners, fill);
    if (!best || lone < best_lone || (lone == best_lone && quality > best_quality)) {
      best_lone = lone;
      best_quality = quality;
      best = std::move(fill);
    }
  }
  return best;
}

struct Partial {
  std::vector<std::vector<int>> cells;
  int triangles = 0;
  double quality = -std::numeric_limits<double>::infinity();
};

bool better(const Partial& a, const Partial& b) {
  return a.triangles < b.triangles || (a.triangles == b.triangles && a.quality > b.quality);
}

// The diagonal from polygon corner a to corner b runs inside the polygon:
// it leaves each end strictly inside the corner and meets no side that does
// not touch its ends.
bool diagonal_inside(std::span<const Point> p, const std::vector<int>& poly, std::size_t a, std::size_t b) {
  const std::size_t n = poly.size();
  const auto at = [&](std::size_t i) { return p[static_cast<std::size_t>(poly[i % n])]; };
  for (const auto& [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
    const double corner_deg = data_2d::corner_angle(at(from), at(from + 1), at(from + n - 1));
    const double towards = data_2d::corner_angle(at(from), at(from + 1), at(to));
    if (!(towards > 0.0 && towards < corner_deg)) return false;
  }
  for (std::size_t s = 0; s < n; ++s) {
    const std::size_t t = (s + 1) % n;
    if (s == a || s == b || t == a || t == b) continue;
    if (data_2d::segment_intersection(at(a), at(b), at(s), at(t))) return false;
  }
  return true;
}

std::optional<Partial> best_partition(std::span<const Point> p, const std::vector<int>& poly) {
  const std::size_t n = poly.size();
  std::vector<Point> pts;
  for (const int i : poly) pts.push_back(p[static_cast<std::size_t>(i)]);
  if (n == 3) {
    if (!cell_is_valid(pts)) return std::nullopt;
    return Partial{{poly}, 1, cell_quality(pts)};
  }
  if (n == 4 && cell_is_valid(pts)) return Partial{{poly}, 0, cell_quality(pts)};
  std::optional<Partial> best;
  for (std::size_t a = 0; a < n; ++a) {
    for (std::size_t b = a + 2; b < n; ++b) {
      if (a == 0 && b == n - 1) continue;
      if (!diagonal_inside(p, poly, a, b)) continue;
      std::vector<int> left(poly.begin() + static_cast<std::ptrdiff_t>(a), poly.begin() + static_cast<std::ptrdiff_t>(b) + 1);
      std::vector<int> right(poly.begin() + static_cast<std::ptrdiff_t>(b), poly.end());
      right.insert(right.end(), poly.begin(), poly.begin() + static_cast<std::ptrdiff_t>(a) + 1);
      const auto l = best_partition(p, left);
      if (!l) continue;
      const auto r = best_partition(p, right);
      if (!r) continue;
      Partial joined{l->cells, l->triangles + r->triangles, std::min(l->quality, r->quality)};
      joined.cells.insert(joined.cells.end(), r->cells.begin(), r->cells.end());
      if (!best || better(joined, *best)) best = std::move(joined);
    }
  }
  return best;
}

}  // namespace

bool cell_is_valid(std::span<const Point> c) noexcept {
  if (c.size() != 3 && c.size() != 4) return false;
  // Positive beyond round-off: twice the area must exceed a tiny fraction
  // of the squared longest side, or three nodes on one line would pass.
  double scale = 0.0;
  for (std::size_t k = 0; k < c.size(); ++k) scale = std::max(scale, data_2d::squared_distance(c[k], c[(k + 1) % c.size()]));
  const double floor = degenerate_area_fraction * scale;
  const auto positive = [floor](Point a, Point b, Point d) { return data_2d::orientation(a, b, d) > floor; };
  if (c.size() == 3) return positive(c[0], c[1], c[2]);
  const bool ac = positive(c[0], c[1], c[2]) && positive(c[0], c[2], c[3]);
  const bool bd = positive(c[0], c[1], c[3]) && positive(c[1], c[2], c[3]);
  return ac || bd;
}

double cell_quality(std::span<const Point> c) noexcept {
  if (c.size() == 3) return data_2d::triangle_quality(c[0], c[1], c[2]);
  return data_2d::quadrilateral_quality(c[0], c[1], c[2], c[3]);
}

bool fill_is_valid(std::span<const Point> corners, const Loop_Fill& fill) {
  return !fill.cells.empty() &&
         std::all_of(fill.cells.begin(), fill.cells.end(), [&](const auto& cell) { return cell_is_valid(cell_points(corners, fill, cell)); });
}

std::optional<Loop_Fill> fill_small_polygon(std::span<const Point> corners) {
  std::vector<int> poly(corners.size());
  for (std::size_t i = 0; i < poly.size(); ++i) poly[i] = static_cast<int>(i);
  const auto best = best_partition(corners, poly);
  if (!best) return std::nullopt;
  return Loop_Fill{best->cells, {}};
}

std::optional<Loop_Fill> stamp_6(std::span<const Point> corners, std::span<const double> angles) {
  std::optional<Loop_Fill> chosen;
  int reflex = -1;
  for (int i = 0; i < 6 && reflex < 0; ++i) {
    if (angles[static_cast<std::size_t>(i)] > reflex_corner_deg) reflex = i;
  }
  std::vector<int> flats;
  for (int i = 0; i < 6; ++i) {
    if (angles[static_cast<std::size_t>(i)] > flat_corner_deg) flats.push_back(i);
  }
  while (flats.size() > 3) {
    const auto smallest = std::min_element(flats.begin(), flats.end(), [&](int a, int b) {
      return angles[static_cast<std::size_t>(a)] < angles[static_cast<std::size_t>(b)];
    });
    flats.erase(smallest);
  }
  if (reflex >= 0) {
    chosen = pattern_6(corners, Pattern6::split, reflex);
  } else if (flats.size() == 1) {
    chosen = pattern_6(corners, Pattern6::centre, flats[0]);
  } else if (flats.size() == 2) {
    const int first = flats[0];
    const int second = flats[1];
    switch (second - first) {
      case 3: chosen = pattern_6(corners, Pattern6::split, first); break;
      case 2: chosen = pattern_6(corners, Pattern6::centre, first); break;
      case 4: chosen = pattern_6(corners, Pattern6::centre, second); break;
      case 1: chosen = pattern_6(corners, Pattern6::transition, first); break;
      default: chosen = pattern_6(corners, Pattern6::transition, second); break;
    }
  } else if (flats.empty()) {
    // The corners that meet the centre point give up part of their angle:
    // the three largest alternate corners.
    const double even = angles[0] + angles[2] + angles[4];
    const double odd = angles[1] + angles[3] + angles[5];
    chosen = pattern_6(corners, Pattern6::centre, even >= odd ? 0 : 1);
  }
  // Three flat corners, or a chosen pattern that is not valid for this
  // shape: every pattern at every anchor competes.
  if (chosen && fill_is_valid(corners, *chosen)) return chosen;
  std::vector<Loop_Fill> all;
  for (const Pattern6 pattern : {Pattern6::centre, Pattern6::split, Pattern6::transition}) {
    for (int k = 0; k < 6; ++k) all.push_back(pattern_6(corners, pattern, k));
  }
  auto best = best_of(corners, angles, std::move(all));
  if (best) return best;
  return fill_small_polygon(corners);
}

std::optional<Loop_Fill> stamp_8(std::span<const Point> corners, std::span<const double> angles) {
  constexpr int c = 8;
  std::vector<Loop_Fill> all;
  for (int k = 0; k < 2; ++k) {
    all.push_back(anchored(8, k, {{0, 1, 2, c}, {2, 3, 4, c}, {4, 5, 6, c}, {6, 7, 0, c}}, {centroid(corners)}));
  }
  for (int k = 0; k < 4; ++k) all.push_back(anchored(8, k, {{0, 1, 2, 3}, {0, 3, 4, 7}, {4, 5, 6, 7}}, {}));
  for (int k = 0; k < 8; ++k) all.push_back(anchored(8, k, {{0, 1, 2, 3}, {3, 4, 5, 6}, {0, 3, 6, 7}}, {}));
  auto best = best_of(corners, angles, std::move(all));
  if (best) return best;
  return fill_small_polygon(corners);
}

}  // namespace loop_mesher
