#include "geometry/element_sizing.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace bsp {
namespace {

double segment_length(const Outline& o, std::size_t s) {
  const auto a = static_cast<std::size_t>(o.segments[s][0]);
  const auto b = static_cast<std::size_t>(o.segments[s][1]);
  return std::hypot(o.x[b] - o.x[a], o.y[b] - o.y[a]);
}

void scale(Outline& o, double f) {
  for (double& v : o.x) v *= f;
  for (double& v : o.y) v *= f;
}

}  // namespace

ElementSize choose_element_size(Outline& outline, double requested, SizeDivisors d) {
  ElementSize r;
  if (requested != 0.0) {
    r.h = requested;
    if (r.h < smallest_unscaled_size) {
      r.f = scaled_element_size / r.h;
      r.h = scaled_element_size;
    }
  } else {
    double longest = 0.0;
    double shortest = HUGE_VAL;
    for (std::size_t s = 0; s < outline.segments.size(); ++s) {
      const double l = segment_length(outline, s);
      longest = std::max(longest, l);
      shortest = std::min(shortest, l);
    }
    const double a = longest / d.longest;
    const double b = shortest / d.shortest;
    if (a >= 1.0 && b >= 1.0) {
      r.h = std::min(a, b);
    } else {
      r.f = std::max(scaled_element_size / a, scaled_element_size / b);
      r.h = std::min(a * r.f, b * r.f);
    }
  }
  if (r.f != 1.0) scale(outline, r.f);
  return r;
}

double wire_piece_estimate(const Outline& outline, double h) {
  double pieces = 0.0;
  for (std::size_t s = 0; s < outline.segments.size(); ++s)
    pieces += std::max(1.0, std::round(segment_length(outline, s) / std::abs(h)));
  return pieces;
}

double triangle_estimate(double area, double h) { return 2.0 * std::abs(area) / (h * h); }

}  // namespace bsp
