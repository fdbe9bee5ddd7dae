// Outlines of the standard sections from the catalogue's description of each shape, independent of
// the block lists the library meshes, and exact integrals over them (Green's theorem), whole or
// clipped by a line. Frame: (x, y) = the host's (y, z), origin where the stress points put it.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

namespace bsp::test {

struct Vertex {
  double x = 0, y = 0;
};

// Counter-clockwise rings; a ring listed with `hole` = true is subtracted.
struct Ring {
  std::vector<Vertex> v;
  bool hole = false;
};
using Outline = std::vector<Ring>;

struct OutlineMoments {
  double area = 0, sx = 0, sy = 0, xx = 0, yy = 0, xy = 0;  // about the origin
  double xc() const { return sx / area; }
  double yc() const { return sy / area; }
  double i_first() const { return xx - area * xc() * xc(); }   // integral (x - xc)^2
  double i_second() const { return yy - area * yc() * yc(); }  // integral (y - yc)^2
  double i_product() const { return xy - area * xc() * yc(); }
};

inline OutlineMoments ring_moments(const std::vector<Vertex>& p) {
  OutlineMoments m;
  const std::size_t n = p.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Vertex a = p[i], b = p[(i + 1) % n];
    const double c = a.x * b.y - b.x * a.y;
    m.area += c / 2;
    m.sx += (a.x + b.x) * c / 6;
    m.sy += (a.y + b.y) * c / 6;
    m.xx += (a.x * a.x + a.x * b.x + b.x * b.x) * c / 12;
    m.yy += (a.y * a.y + a.y * b.y + b.y * b.y) * c / 12;
    m.xy += (a.x * b.y + 2 * a.x * a.y + 2 * b.x * b.y + b.x * a.y) * c / 24;
  }
  return m;
}

inline OutlineMoments outline_moments(const Outline& o) {
  OutlineMoments sum;
  for (const Ring& r : o) {
    const OutlineMoments m = ring_moments(r.v);
    for (double OutlineMoments::*f : {&OutlineMoments::area, &OutlineMoments::sx, &OutlineMoments::sy,
                                      &OutlineMoments::xx, &OutlineMoments::yy, &OutlineMoments::xy})
      sum.*f += (r.hole ? -1.0 : 1.0) * m.*f;
  }
  return sum;
}

// The ring clipped to the side `sign * (u - c) >= 0` (u = x for axis 0, y for
// axis 1). For a non-convex ring the result may run along the cut line twice;
// those edges enclose no area, so the moments stay exact.
inline std::vector<Vertex> clip_ring(const std::vector<Vertex>& p, int axis, double c, double sign) {
  std::vector<Vertex> out;
  const auto u = [axis](Vertex v) { return axis == 0 ? v.x : v.y; };
  for (std::size_t i = 0; i < p.size(); ++i) {
    const Vertex a = p[i], b = p[(i + 1) % p.size()];
    const double da = sign * (u(a) - c), db = sign * (u(b) - c);
    if (da >= 0) out.push_back(a);
    if ((da >= 0) != (db >= 0)) {
      const double t = da / (da - db);
      out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
    }
  }
  return out;
}

inline OutlineMoments side_moments(const Outline& o, int axis, double c, double sign) {
  Outline clipped;
  for (const Ring& r : o) clipped.push_back({clip_ring(r.v, axis, c, sign), r.hole});
  return outline_moments(clipped);
}

// Plastic modulus about the line u = c that halves the area, found by
// bisection on the clipped area; integral |u - c| dA.
inline double outline_plastic_modulus(const Outline& o, int axis) {
  double lo = 1e300, hi = -1e300;
  for (const Ring& r : o)
    for (Vertex v : r.v) {
      lo = std::min(lo, axis == 0 ? v.x : v.y);
      hi = std::max(hi, axis == 0 ? v.x : v.y);
    }
  const double half = outline_moments(o).area / 2;
  for (int i = 0; i < 200 && hi - lo > 0; ++i) {
    const double mid = 0.5 * (lo + hi);
    if (side_moments(o, axis, mid, 1.0).area > half) lo = mid; else hi = mid;
  }
  const double c = 0.5 * (lo + hi);
  const OutlineMoments up = side_moments(o, axis, c, 1.0), down = side_moments(o, axis, c, -1.0);
  const double s_up = axis == 0 ? up.sx : up.sy, s_down = axis == 0 ? down.sx : down.sy;
  return (s_up - c * up.area) + (c * down.area - s_down);
}

// The axis-aligned rectangle [x0, x1] x [y0, y1], counter-clockwise.
inline std::vector<Vertex> rect(double x0, double y0, double x1, double y1) {
  return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

// The outline of a standard type from its dimensions (D1 = d[0]); empty for
// the circular types and unknown numbers.
inline Outline standard_outline(std::int32_t type, std::span<const double> d) {
  const auto D = [&](int i) { return d[static_cast<std::size_t>(i - 1)]; };
  switch (type) {
    case 1:  // rectangle D2 wide (y), D1 high (z), centred
      return {{rect(-D(2) / 2, -D(1) / 2, D(2) / 2, D(1) / 2)}};
    case 2:  // trough on the axis, floor at z = 0
      return {{{{-D(2) / 2, 0}, {D(2) / 2, 0}, {D(2) / 2, D(1)}, {D(2) / 2 - D(4), D(1)}, {D(2) / 2 - D(4), D(3)},
                {-D(2) / 2 + D(4), D(3)}, {-D(2) / 2 + D(4), D(1)}, {-D(2) / 2, D(1)}}}};
    case 3:  // I along y: flange D2 x D5 at y = 0, flange D3 x D6 at y = D1, web D4
      return {{{{0, -D(2) / 2}, {D(5), -D(2) / 2}, {D(5), -D(4) / 2}, {D(1) - D(6), -D(4) / 2},
                {D(1) - D(6), -D(3) / 2}, {D(1), -D(3) / 2}, {D(1), D(3) / 2}, {D(1) - D(6), D(3) / 2},
                {D(1) - D(6), D(4) / 2}, {D(5), D(4) / 2}, {D(5), D(2) / 2}, {0, D(2) / 2}}}};
    case 4:  // T along y: stem from y = 0, flange D1 wide, D3 thick at y = D2
      return {{{{0, -D(4) / 2}, {D(2) - D(3), -D(4) / 2}, {D(2) - D(3), -D(1) / 2}, {D(2), -D(1) / 2},
                {D(2), D(1) / 2}, {D(2) - D(3), D(1) / 2}, {D(2) - D(3), D(4) / 2}, {0, D(4) / 2}}}};
    case 5:  // box, centred
      return {{rect(-D(2) / 2, -D(1) / 2, D(2) / 2, D(1) / 2)},
              {rect(-D(2) / 2 + D(3), -D(1) / 2 + D(4), D(2) / 2 - D(3), D(1) / 2 - D(4)), true}};
    case 6: {  // cross: bar D4 wide, D1 + D2 high; bar D3 wide, D2 high
      const double a = D(4) / 2, h = (D(1) + D(2)) / 2, b = D(3) / 2, t = D(2) / 2;
      return {{{{-a, -h}, {a, -h}, {a, -t}, {b, -t}, {b, t}, {a, t}, {a, h}, {-a, h}, {-a, t}, {-b, t}, {-b, -t},
                {-a, -t}}}};
    }
    case 7: {  // I along z: flanges D3 wide, D2/2 thick, clear web height D1
      const double w = D(3) / 2, tw = D(4) / 2, c = D(1) / 2, h = D(1) / 2 + D(2) / 2;
      return {{{{-w, -h}, {w, -h}, {w, -c}, {tw, -c}, {tw, c}, {w, c}, {w, h}, {-w, h}, {-w, c}, {-tw, c}, {-tw, -c},
                {-w, -c}}}};
    }
    case 8:  // T: stem D4 wide, D2 long from z = 0; flange D1 x D3 on top
      return {{{{-D(4) / 2, 0}, {D(4) / 2, 0}, {D(4) / 2, D(2)}, {D(1) / 2, D(2)}, {D(1) / 2, D(2) + D(3)},
                {-D(1) / 2, D(2) + D(3)}, {-D(1) / 2, D(2)}, {-D(4) / 2, D(2)}}}};
    case 9: {  // Z: web D4 wide, D2 thick, centred; flange up on the left, down on the right
      const double w = D(4) / 2, c = D(3) / 2, t = D(2) / 2, f = D(1) + D(2) / 2;
      return {{{{-w, -t}, {c, -t}, {c, -f}, {w, -f}, {w, t}, {-c, t}, {-c, f}, {-w, f}}}};
    }
    case 10: {  // channel open at the top: floor D2 thick, legs D1 above it
      const double w = D(4) / 2, c = D(3) / 2, t = D(2), h = D(1) + D(2);
      return {{{{-w, 0}, {w, 0}, {w, h}, {c, h}, {c, t}, {-c, t}, {-c, h}, {-w, h}}}};
    }
    case 11: {  // H: legs at the sides, full height D1 + D2; web D2 at mid-height
      const double w = D(4) / 2, c = D(3) / 2, t = D(2) / 2, h = (D(1) + D(2)) / 2;
      return {{{{-w, -h}, {-c, -h}, {-c, -t}, {c, -t}, {c, -h}, {w, -h}, {w, h}, {c, h}, {c, t}, {-c, t}, {-c, h},
                {-w, h}}}};
    }
    case 12: {  // channel open towards +y: web D2 thick at y = 0, flanges D1 thick, depth D3
      const double h = D(4) / 2, f = D(4) / 2 - D(1);
      return {{{{0, -h}, {D(3), -h}, {D(3), -f}, {D(2), -f}, {D(2), f}, {D(3), f}, {D(3), h}, {0, h}}}};
    }
    case 13:  // T on its side: flange D1 x D3 at y = 0, stem D4 to y = D2
      return {{{{0, -D(1) / 2}, {D(3), -D(1) / 2}, {D(3), -D(4) / 2}, {D(2), -D(4) / 2}, {D(2), D(4) / 2},
                {D(3), D(4) / 2}, {D(3), D(1) / 2}, {0, D(1) / 2}}}};
    case 14:  // box with four walls, corner at the origin
      return {{rect(0, 0, D(2), D(1))}, {rect(D(4), D(6), D(2) - D(3), D(1) - D(5)), true}};
    case 15: {  // lipped channel: web at y in [0, D2], flanges to -D1 + 2 D2, lips outward
      const double t = D(2), h = D(3) / 2, l = D(3) / 2 + D(4), x0 = -D(1) + D(2), x1 = -D(1) + 2 * D(2);
      return {{{{t, -h}, {t, h}, {x1, h}, {x1, l}, {x0, l}, {x0, h - t}, {0, h - t}, {0, -(h - t)}, {x0, -(h - t)},
                {x0, -l}, {x1, -l}, {x1, -h}}}};
    }
    case 16: {  // plate D5 (D4 + D5 beyond the box) with a box D2 deep, D3 high
      const double p = D(1) / 2, b = D(3) / 2, t = D(4), s = D(5);
      return {{{{0, -p}, {s + t, -p}, {s + t, -b}, {D(2), -b}, {D(2), b}, {s + t, b}, {s + t, p}, {0, p}}},
              {rect(s, -b + t, D(2) - t, b - t), true}};
    }
    case 17: {  // hexagon D3 wide, D2 high, points rising D1
      const double w = D(3) / 2, h = D(2) / 2, e = D(2) / 2 - D(1);
      return {{{{0, -h}, {w, -e}, {w, e}, {0, h}, {-w, e}, {-w, -e}}}};
    }
    case 20:  // angle: vertical leg D3 at y = 0, horizontal leg D4 at the bottom
      return {{{{0, 0}, {D(2), 0}, {D(2), D(4)}, {D(3), D(4)}, {D(3), D(1)}, {0, D(1)}}}};
    case 21: {  // flange D4 thick at y = 0 from -(D1 + D5/2) to D2 + D5/2; stem D5 to y = D3
      const double s = D(5) / 2;
      return {{{{0, -D(1) - s}, {D(4), -D(1) - s}, {D(4), -s}, {D(3), -s}, {D(3), s}, {D(4), s}, {D(4), D(2) + s},
                {0, D(2) + s}}}};
    }
    case 22: {  // octagon D3 wide, D2 high, flats D4, chamfer rise D1
      const double w = D(3) / 2, h = D(2) / 2, f = D(4) / 2, e = D(2) / 2 - D(1);
      return {{{{-f, -h}, {f, -h}, {w, -e}, {w, e}, {f, h}, {-f, h}, {-w, e}, {-w, -e}}}};
    }
    case 23:  // angle: horizontal leg D3 at the bottom, vertical leg D4 at y = D2
      return {{{{0, 0}, {D(2), 0}, {D(2), D(1)}, {D(2) - D(4), D(1)}, {D(2) - D(4), D(3)}, {0, D(3)}}}};
    case 24: {  // I along z: bottom flange D5 x D6, top flange D2 x D4, web D3
      const double b = D(5) / 2, t = D(2) / 2, w = D(3) / 2;
      return {{{{-b, 0}, {b, 0}, {b, D(6)}, {w, D(6)}, {w, D(1) - D(4)}, {t, D(1) - D(4)}, {t, D(1)}, {-t, D(1)},
                {-t, D(1) - D(4)}, {-w, D(1) - D(4)}, {-w, D(6)}, {-b, D(6)}}}};
    }
    case 25:  // channel, web D3 at y = 0, bottom flange D5 x D6, top flange D2 x D4
      return {{{{0, 0}, {D(5), 0}, {D(5), D(6)}, {D(3), D(6)}, {D(3), D(1) - D(4)}, {D(2), D(1) - D(4)},
                {D(2), D(1)}, {0, D(1)}}}};
    case 26:  // web D3 at y = 0, leg D4 along the top, D2 wide
      return {{{{0, 0}, {D(3), 0}, {D(3), D(1) - D(4)}, {D(2), D(1) - D(4)}, {D(2), D(1)}, {0, D(1)}}}};
    case 27: {  // hat: crown D3 wide at z = D1, legs down to brims D2 wide at z = 0, plate D4
      const double c = D(3) / 2, t = D(4), b = D(3) / 2 + D(2);
      return {{{{b, 0}, {b, t}, {c, t}, {c, D(1)}, {-c, D(1)}, {-c, t}, {-b, t}, {-b, 0}, {-c + t, 0},
                {-c + t, D(1) - t}, {c - t, D(1) - t}, {c - t, 0}}}};
    }
    default:
      return {};
  }
}

// A typical valid dimension set per meshed standard type.
inline const std::map<int, std::vector<double>> typical_dimensions = {
    {1, {2, 4}},           {2, {10, 20, 2, 1.5}},   {3, {20, 12, 8, 1, 2, 1.5}}, {4, {12, 20, 2, 1}},
    {5, {10, 8, 1, 1.5}},  {6, {10, 2, 12, 1.5}},   {7, {20, 2, 10, 1}},         {8, {12, 15, 2, 1}},
    {9, {5, 1, 8, 10}},    {10, {8, 1, 6, 8}},      {11, {10, 1, 8, 10}},        {12, {1.5, 1, 10, 12}},
    {13, {12, 20, 2, 1}},  {14, {10, 8, 1, 1.5, 2, 1}}, {15, {10, 1, 12, 2}},    {16, {20, 10, 8, 1, 2}},
    {17, {2, 10, 6}},      {20, {10, 8, 1, 1}},     {21, {4, 6, 10, 1, 1.5}},    {22, {2, 10, 8, 4}},
    {23, {10, 8, 1, 1.5}}, {24, {20, 12, 1, 1.5, 8, 2}}, {25, {20, 12, 1, 1.5, 8, 2}}, {26, {10, 8, 1, 2}},
    {27, {10, 4, 12, 1}},
};

}  // namespace bsp::test
