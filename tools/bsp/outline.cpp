#include "outline.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <map>

namespace bsp_cli {

// Orientation is the plain floating-point cross product: a configuration
// within round-off of degenerate may be judged either way, and the library's
// own checks remain the final word. Crossing means a proper crossing;
// touching ends do not count.
namespace {
double orientation(const Point& a, const Point& b, const Point& c) {
  return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}
}  // namespace

double signed_area(const std::vector<Point>& p) {
  double a = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const Point& u = p[i];
    const Point& w = p[(i + 1) % p.size()];
    a += u[0] * w[1] - w[0] * u[1];
  }
  return 0.5 * a;
}

bool segments_cross(const Point& a, const Point& b, const Point& c, const Point& d) {
  const double o1 = orientation(a, b, c), o2 = orientation(a, b, d), o3 = orientation(c, d, a),
               o4 = orientation(c, d, b);
  return ((o1 > 0 && o2 < 0) || (o1 < 0 && o2 > 0)) && ((o3 > 0 && o4 < 0) || (o3 < 0 && o4 > 0));
}

std::optional<std::pair<std::size_t, std::size_t>> self_crossing(const std::vector<Point>& p) {
  const std::size_t n = p.size();
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // neighbours through the closing edge
      if (segments_cross(p[i], p[(i + 1) % n], p[j], p[(j + 1) % n])) return std::make_pair(i, j);
    }
  return std::nullopt;
}

bool inside(const std::vector<Point>& p, double y, double z) {
  bool in = false;
  for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
    if ((p[i][1] > z) != (p[j][1] > z) && y < (p[j][0] - p[i][0]) * (z - p[i][1]) / (p[j][1] - p[i][1]) + p[i][0])
      in = !in;
  return in;
}

namespace {

std::string loop_name(int polygon, int loop) {
  return "polygons[" + std::to_string(polygon + 1) + "]" +
         (loop < 0 ? std::string(".outline") : ".holes[" + std::to_string(loop + 1) + "]");
}

int root(std::vector<int>& parent, int x) {
  while (parent[x] != x) x = parent[x] = parent[parent[x]];
  return x;
}

}  // namespace

// The regions are the bounded faces of the drawing: the sides are split where
// points of other loops lie on them and joined where they coincide, then each
// face is traced with its material on the left of every side. The library
// numbers regions by walking the segments in the order given, each segment
// that bounds no region found so far starting the region on its left. So the
// faces are ordered outside-in (each reachable from the outside through a
// face found after it), and each face's first segment, one it shares with
// that later face or with the outside, is listed first, along its outline
// counter-clockwise: region k is then the k-th face of that list.
OutlineBuild build_outline(const std::vector<Polygon>& polygons) {
  OutlineBuild out;
  auto fail = [&](int polygon, int loop, std::string what) {
    out.problem = OutlineProblem{polygon, loop, std::move(what)};
    return out;
  };
  struct Loop {
    int polygon, loop;
    std::vector<Point> points;
  };
  std::vector<Loop> loops;
  double lo[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
  double hi[2] = {-lo[0], -lo[1]};
  for (std::size_t p = 0; p < polygons.size(); ++p)
    for (int l = -1; l < static_cast<int>(polygons[p].holes.size()); ++l) {
      std::vector<Point> pts = l < 0 ? polygons[p].outline : polygons[p].holes[l];
      const int pi = static_cast<int>(p);
      if (pts.size() < 3) return fail(pi, l, "a loop needs at least 3 points");
      if (const auto x = self_crossing(pts))
        return fail(pi, l,
                    "the loop crosses itself: side " + std::to_string(x->first + 1) + "-" +
                        std::to_string((x->first + 1) % pts.size() + 1) + " crosses side " +
                        std::to_string(x->second + 1) + "-" + std::to_string((x->second + 1) % pts.size() + 1));
      const double a = signed_area(pts);
      if (a == 0.0) return fail(pi, l, "the loop encloses no area");
      // Outlines counter-clockwise, holes clockwise: the material is left of every side.
      if ((a < 0) == (l < 0)) std::reverse(pts.begin(), pts.end());
      for (const Point& q : pts)
        for (int c = 0; c < 2; ++c) lo[c] = std::min(lo[c], q[c]), hi[c] = std::max(hi[c], q[c]);
      loops.push_back({pi, l, std::move(pts)});
    }
  const double tol = 1e-9 * std::max(hi[0] - lo[0], hi[1] - lo[1]);

  std::vector<Point> pts;
  std::vector<std::vector<int>> ids(loops.size());
  for (std::size_t l = 0; l < loops.size(); ++l)
    for (const Point& q : loops[l].points) {
      int id = -1;
      for (std::size_t j = 0; j < pts.size() && id < 0; ++j)
        if (std::abs(pts[j][0] - q[0]) + std::abs(pts[j][1] - q[1]) <= tol) id = static_cast<int>(j);
      if (id < 0) {
        id = static_cast<int>(pts.size());
        pts.push_back(q);
      }
      ids[l].push_back(id);
    }

  // Segments (first, second point) with, for each direction, the polygon on
  // its left (-1: none) and the loop that put it there.
  std::vector<std::array<int, 2>> seg, left, origin;
  std::map<std::pair<int, int>, int> seg_of;
  for (std::size_t l = 0; l < loops.size(); ++l) {
    const std::size_t n = ids[l].size();
    for (std::size_t e = 0; e < n; ++e) {
      const int a = ids[l][e], b = ids[l][(e + 1) % n];
      if (a == b) return fail(loops[l].polygon, loops[l].loop, "two neighbouring points coincide");
      const Point &pa = pts[a], &pb = pts[b];
      const double dy = pb[0] - pa[0], dz = pb[1] - pa[1], len2 = dy * dy + dz * dz;
      std::vector<std::pair<double, int>> chain{{0.0, a}, {1.0, b}};
      for (std::size_t q = 0; q < pts.size(); ++q) {
        if (static_cast<int>(q) == a || static_cast<int>(q) == b) continue;
        const double t = ((pts[q][0] - pa[0]) * dy + (pts[q][1] - pa[1]) * dz) / len2;
        if (t > 0 && t < 1 && std::abs(orientation(pa, pb, pts[q])) <= tol * std::sqrt(len2))
          chain.emplace_back(t, static_cast<int>(q));
      }
      std::sort(chain.begin(), chain.end());
      for (std::size_t c = 0; c + 1 < chain.size(); ++c) {
        const int u = chain[c].second, v = chain[c + 1].second;
        const auto key = std::make_pair(std::min(u, v), std::max(u, v));
        auto it = seg_of.find(key);
        if (it == seg_of.end()) {
          it = seg_of.emplace(key, static_cast<int>(seg.size())).first;
          seg.push_back({u, v});
          left.push_back({-1, -1});
          origin.push_back({-1, -1});
        }
        const int s = it->second, side = seg[s][0] == u ? 0 : 1;
        if (left[s][side] >= 0)
          return fail(loops[l].polygon, loops[l].loop,
                      "side " + std::to_string(e + 1) + " lies on a side of " +
                          (left[s][side] == loops[l].polygon ? std::string("another loop of this polygon")
                                                              : "polygons[" + std::to_string(left[s][side] + 1) + "]") +
                          " with material on the same side (they overlap)");
        left[s][side] = loops[l].polygon;
        origin[s][side] = static_cast<int>(l);
      }
    }
  }
  const int ns = static_cast<int>(seg.size());
  auto seg_loop = [&](int s) { return origin[s][0] >= 0 ? origin[s][0] : origin[s][1]; };
  for (int s = 0; s < ns; ++s)
    for (int t = s + 1; t < ns; ++t)
      if (segments_cross(pts[seg[s][0]], pts[seg[s][1]], pts[seg[t][0]], pts[seg[t][1]])) {
        const Loop &ls = loops[seg_loop(s)], &lt = loops[seg_loop(t)];
        return fail(lt.polygon, lt.loop,
                    ls.polygon == lt.polygon && ls.loop == lt.loop
                        ? std::string("the loop crosses itself")
                        : "crosses " + loop_name(ls.polygon, ls.loop) + " (polygons may share sides, not overlap)");
      }

  // Half-edges 2s (first to second point) and 2s + 1 (back); the next
  // half-edge of a face turns as far right as it can.
  auto from = [&](int h) { return seg[h / 2][h % 2]; };
  auto to = [&](int h) { return seg[h / 2][1 - h % 2]; };
  std::vector<std::vector<int>> leaving(pts.size());
  for (int h = 0; h < 2 * ns; ++h) leaving[from(h)].push_back(h);
  std::vector<int> position(2 * ns);
  for (auto& l : leaving) {
    std::sort(l.begin(), l.end(), [&](int g, int h) {
      const auto angle = [&](int k) {
        return std::atan2(pts[to(k)][1] - pts[from(k)][1], pts[to(k)][0] - pts[from(k)][0]);
      };
      return angle(g) < angle(h);
    });
    for (std::size_t i = 0; i < l.size(); ++i) position[l[i]] = static_cast<int>(i);
  }
  auto next = [&](int h) {
    const auto& l = leaving[to(h)];
    return l[(position[h ^ 1] + l.size() - 1) % l.size()];
  };
  std::vector<int> cycle_of(2 * ns, -1);
  std::vector<std::vector<int>> cycles;
  std::vector<double> cycle_area;
  for (int h = 0; h < 2 * ns; ++h) {
    if (cycle_of[h] >= 0) continue;
    std::vector<int> c;
    double a = 0;
    for (int g = h; cycle_of[g] < 0; g = next(g)) {
      cycle_of[g] = static_cast<int>(cycles.size());
      c.push_back(g);
      a += 0.5 * (pts[from(g)][0] * pts[to(g)][1] - pts[to(g)][0] * pts[from(g)][1]);
    }
    cycles.push_back(std::move(c));
    cycle_area.push_back(a);
  }
  std::vector<int> parent(pts.size());
  for (std::size_t i = 0; i < parent.size(); ++i) parent[i] = static_cast<int>(i);
  for (const auto& s : seg) parent[root(parent, s[0])] = root(parent, s[1]);

  // Faces are the counter-clockwise cycles; a clockwise cycle is the outside
  // of a connected piece, which lies in the smallest face of another piece
  // around it, or outside everything (-1).
  std::vector<int> faces, face_of(cycles.size(), -1);
  for (std::size_t c = 0; c < cycles.size(); ++c)
    if (cycle_area[c] > 0) {
      face_of[c] = static_cast<int>(faces.size());
      faces.push_back(static_cast<int>(c));
    }
  for (std::size_t c = 0; c < cycles.size(); ++c) {
    if (cycle_area[c] > 0) continue;
    const Point& probe = pts[from(cycles[c][0])];
    const int piece = root(parent, from(cycles[c][0]));
    for (std::size_t f = 0; f < faces.size(); ++f) {
      const auto& fc = cycles[faces[f]];
      if (root(parent, from(fc[0])) == piece) continue;
      std::vector<Point> ring;
      for (int h : fc) ring.push_back(pts[from(h)]);
      if (inside(ring, probe[0], probe[1]) &&
          (face_of[c] < 0 || cycle_area[faces[f]] < cycle_area[faces[face_of[c]]]))
        face_of[c] = static_cast<int>(f);
    }
  }
  auto face = [&](int h) { return face_of[cycle_of[h]]; };

  // Each face's material: the one polygon left of all its sides, or none.
  const int n_faces = static_cast<int>(faces.size());
  std::vector<int> face_polygon(n_faces, -2);
  for (int h = 0; h < 2 * ns; ++h) {
    const int f = face(h), p = left[h / 2][h % 2];
    const Loop* l = origin[h / 2][h % 2] >= 0 ? &loops[origin[h / 2][h % 2]] : nullptr;
    if (f < 0) {
      if (p >= 0) return fail(l->polygon, l->loop, "the hole is not inside the polygon's outline");
      continue;
    }
    if (face_polygon[f] == -2) face_polygon[f] = p;
    if (face_polygon[f] == p) continue;
    const int a = std::max(face_polygon[f], p), b = std::min(face_polygon[f], p);
    return fail(a, -1,
                b >= 0 ? "overlaps polygons[" + std::to_string(b + 1) + "] (polygons may share sides, not overlap)"
                       : std::string("another polygon lies inside it outside its holes (they overlap)"));
  }
  std::vector<int> pieces(polygons.size(), 0);
  for (int p : face_polygon)
    if (p >= 0 && ++pieces[p] > 1) return fail(p, -1, "its holes cut it into pieces; give each piece as a polygon");

  // Faces from the outside in; a face's starting half-edge is the one it
  // shares with the face (or the outside) it was reached from.
  std::vector<std::vector<std::pair<int, int>>> reach(n_faces + 1);  // by neighbour + 1: (face, its half-edge)
  for (int h = 0; h < 2 * ns; ++h)
    if (face(h) >= 0) reach[face(h ^ 1) + 1].emplace_back(face(h), h);
  std::vector<int> order, start(n_faces, -1);
  std::deque<int> queue{-1};
  while (!queue.empty()) {
    const int u = queue.front();
    queue.pop_front();
    for (const auto& [f, h] : reach[u + 1])
      if (start[f] < 0) {
        start[f] = h;
        order.push_back(f);
        queue.push_back(f);
      }
  }
  std::reverse(order.begin(), order.end());
  std::vector<bool> listed(ns, false);
  OutlineGeometry& g = out.geometry;
  for (const Point& q : pts) {
    g.point_y.push_back(q[0]);
    g.point_z.push_back(q[1]);
  }
  for (int f : order) {
    g.segments.insert(g.segments.end(), {from(start[f]) + 1, to(start[f]) + 1});
    listed[start[f] / 2] = true;
    g.region_polygon.push_back(face_polygon[f]);
  }
  for (int s = 0; s < ns; ++s)
    if (!listed[s]) g.segments.insert(g.segments.end(), {seg[s][0] + 1, seg[s][1] + 1});
  return out;
}

}  // namespace bsp_cli
