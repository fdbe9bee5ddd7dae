#include "solver/block_clip.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace bsp {
namespace {

// A clipped quadrilateral has at most five corners.
struct Polygon {
  std::array<double, 10> x{}, y{};
  int n = 0;
};

double u_of(double x, double y, CutAxis axis) { return axis == CutAxis::first ? x : y; }

// The part of block b with sign * (u - c) >= 0 (one Sutherland-Hodgman pass).
Polygon clip(const SectionBlocks& blocks, std::size_t b, CutAxis axis, double c, double sign) {
  Polygon out;
  const double* k = &blocks.corners[8 * b];
  for (int i = 0; i < 4; ++i) {
    const int j = (i + 1) % 4;
    const double xi = k[2 * i], yi = k[2 * i + 1], xj = k[2 * j], yj = k[2 * j + 1];
    const double di = sign * (u_of(xi, yi, axis) - c), dj = sign * (u_of(xj, yj, axis) - c);
    if (di >= 0.0) {
      out.x[out.n] = xi;
      out.y[out.n] = yi;
      ++out.n;
    }
    if ((di >= 0.0) != (dj >= 0.0)) {
      const double t = di / (di - dj);
      out.x[out.n] = xi + t * (xj - xi);
      out.y[out.n] = yi + t * (yj - yi);
      ++out.n;
    }
  }
  return out;
}

// Area and first moments of a simple polygon (Green's theorem), positive for
// counter-clockwise corners.
CutMoments polygon_moments(const Polygon& p) {
  CutMoments m;
  for (int i = 0; i < p.n; ++i) {
    const int j = (i + 1) % p.n;
    const double cross = p.x[i] * p.y[j] - p.x[j] * p.y[i];
    m.area += cross;
    m.first_x += (p.x[i] + p.x[j]) * cross;
    m.first_y += (p.y[i] + p.y[j]) * cross;
  }
  m.area /= 2.0;
  m.first_x /= 6.0;
  m.first_y /= 6.0;
  return m;
}

CutMoments side_moments(const SectionBlocks& blocks, CutAxis axis, double c, double sign) {
  CutMoments sum;
  for (std::size_t b = 0; b < blocks.count(); ++b) {
    const Polygon p = clip(blocks, b, axis, c, sign);
    if (p.n < 3) continue;
    const CutMoments m = polygon_moments(p);
    sum.area += m.area;
    sum.first_x += m.first_x;
    sum.first_y += m.first_y;
  }
  return sum;
}

}  // namespace

Extent blocks_extent(const SectionBlocks& blocks, CutAxis axis) {
  if (blocks.count() == 0) return {};
  Extent e{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  for (std::size_t i = 0; i < 4 * blocks.count(); ++i) {
    const double u = u_of(blocks.corners[2 * i], blocks.corners[2 * i + 1], axis);
    e.lo = std::min(e.lo, u);
    e.hi = std::max(e.hi, u);
  }
  return e;
}

CutMoments moments_beyond(const SectionBlocks& blocks, CutAxis axis, double c) {
  return side_moments(blocks, axis, c, 1.0);
}

CutMoments moments_before(const SectionBlocks& blocks, CutAxis axis, double c) {
  return side_moments(blocks, axis, c, -1.0);
}

AreaBeyond::AreaBeyond(const SectionBlocks& blocks, CutAxis axis) : blocks_(&blocks), axis_(axis) {
  for (std::size_t b = 0; b < blocks.count(); ++b) {
    const double* k = &blocks.corners[8 * b];
    // Corners in the order (x0, y0), (x1, y0), (x1, y1), (x0, y1): the
    // rectangle form every plate and junction block has.
    const bool rectangle = k[1] == k[3] && k[2] == k[4] && k[5] == k[7] && k[6] == k[0];
    if (!rectangle) {
      others_.push_back(b);
      continue;
    }
    const double x_lo = std::min(k[0], k[2]), x_hi = std::max(k[0], k[2]);
    const double y_lo = std::min(k[1], k[5]), y_hi = std::max(k[1], k[5]);
    if (axis == CutAxis::first)
      strips_.push_back({x_lo, x_hi, y_hi - y_lo});
    else
      strips_.push_back({y_lo, y_hi, x_hi - x_lo});
  }
}

double AreaBeyond::operator()(double c) const {
  double a = 0.0;
  for (const Strip& s : strips_)
    if (c < s.u_hi) a += (s.u_hi - std::max(c, s.u_lo)) * s.width;
  for (std::size_t b : others_) {
    const Polygon p = clip(*blocks_, b, axis_, c, 1.0);
    if (p.n >= 3) a += polygon_moments(p).area;
  }
  return a;
}

double absolute_moment(const SectionBlocks& blocks, CutAxis axis, double c) {
  const CutMoments hi = moments_beyond(blocks, axis, c), lo = moments_before(blocks, axis, c);
  const auto first = [axis](const CutMoments& m) { return axis == CutAxis::first ? m.first_x : m.first_y; };
  return (first(hi) - c * hi.area) + (c * lo.area - first(lo));
}

double cut_width(const SectionBlocks& blocks, CutAxis axis, double c) {
  double width = 0.0;
  for (std::size_t b = 0; b < blocks.count(); ++b) {
    const double* k = &blocks.corners[8 * b];
    double u_lo = std::numeric_limits<double>::infinity(), u_hi = -u_lo;
    for (int i = 0; i < 4; ++i) {
      const double u = u_of(k[2 * i], k[2 * i + 1], axis);
      u_lo = std::min(u_lo, u);
      u_hi = std::max(u_hi, u);
    }
    if (!(c >= u_lo && c < u_hi)) continue;
    // The line meets the convex block in one chord: the range of v over the
    // points where it crosses the block's edges.
    double v_lo = std::numeric_limits<double>::infinity(), v_hi = -v_lo;
    for (int i = 0; i < 4; ++i) {
      const int j = (i + 1) % 4;
      const double ui = u_of(k[2 * i], k[2 * i + 1], axis), uj = u_of(k[2 * j], k[2 * j + 1], axis);
      const double vi = axis == CutAxis::first ? k[2 * i + 1] : k[2 * i];
      const double vj = axis == CutAxis::first ? k[2 * j + 1] : k[2 * j];
      if ((ui - c) * (uj - c) > 0.0) continue;
      if (ui == uj) {
        v_lo = std::min({v_lo, vi, vj});
        v_hi = std::max({v_hi, vi, vj});
        continue;
      }
      const double v = vi + (c - ui) / (uj - ui) * (vj - vi);
      v_lo = std::min(v_lo, v);
      v_hi = std::max(v_hi, v);
    }
    if (v_hi > v_lo) width += v_hi - v_lo;
  }
  return width;
}

BlockMoments blocks_moments(const SectionBlocks& blocks) {
  BlockMoments m;
  for (std::size_t b = 0; b < blocks.count(); ++b) {
    const double* k = &blocks.corners[8 * b];
    for (int i = 0; i < 4; ++i) {
      const int j = (i + 1) % 4;
      const double xi = k[2 * i], yi = k[2 * i + 1], xj = k[2 * j], yj = k[2 * j + 1];
      const double cross = xi * yj - xj * yi;
      m.area += cross / 2.0;
      m.first_x += (xi + xj) * cross / 6.0;
      m.first_y += (yi + yj) * cross / 6.0;
      m.xx += (xi * xi + xi * xj + xj * xj) * cross / 12.0;
      m.yy += (yi * yi + yi * yj + yj * yj) * cross / 12.0;
      m.xy += (xi * yj + 2.0 * xi * yi + 2.0 * xj * yj + xj * yi) * cross / 24.0;
    }
  }
  return m;
}

}  // namespace bsp
