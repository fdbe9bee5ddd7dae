// Structured meshes and matrices for the solver benchmarks: rectangles of
// 6-node triangles glued into section shapes, quadrilateral grids, and the
// band matrices built from them. Only the sparsity and a well-posed SPD
// matrix matter for timing, so a graph Laplacian with a diagonal shift stands
// in for the element stiffness. Also the whole call's input: sections of the
// usual families (square, disc, I, channel, box, angle, tee) as a host sends
// them, 3-node triangles in two parts.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "solver/rcm.h"

namespace bsp::bench {

// CPU time of the calling thread: timing a single-threaded kernel this way
// leaves out time the thread spent descheduled on a shared machine.
inline double thread_cpu_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t h = v.size() / 2;
  return v.size() % 2 ? v[h] : 0.5 * (v[h - 1] + v[h]);
}

struct Mesh {
  int npe = 0;
  std::int64_t n_nodes = 0;
  std::vector<std::int32_t> conn;  // npe per element, 1-based
  std::int64_t n_elements() const { return static_cast<std::int64_t>(conn.size()) / npe; }
};

// Axis-aligned rectangle [x0, x0+w) x [y0, y0+h) in cells.
struct Rect {
  int x0, y0, w, h;
};

// Each cell is split along a diagonal into two 6-node triangles. Nodes live
// on the half-cell lattice, so rectangles that share an edge share its nodes.
inline Mesh tri6_mesh(const std::vector<Rect>& rects) {
  Mesh m;
  m.npe = 6;
  std::map<std::pair<int, int>, std::int32_t> id;
  const auto node = [&](int x, int y) {
    auto [it, inserted] = id.try_emplace({x, y}, static_cast<std::int32_t>(id.size() + 1));
    return it->second;
  };
  for (const Rect& r : rects)
    for (int j = 0; j < r.h; ++j)
      for (int i = 0; i < r.w; ++i) {
        const int x = 2 * (r.x0 + i), y = 2 * (r.y0 + j);
        const std::int32_t a = node(x, y), b = node(x + 2, y), c = node(x + 2, y + 2), d = node(x, y + 2);
        m.conn.insert(m.conn.end(), {a, b, c, node(x + 1, y), node(x + 2, y + 1), node(x + 1, y + 1)});
        m.conn.insert(m.conn.end(), {a, c, d, node(x + 1, y + 1), node(x + 1, y + 2), node(x, y + 1)});
      }
  m.n_nodes = static_cast<std::int64_t>(id.size());
  return m;
}

// Plate thickness t cells; node count ~ 176 t^2 for the I and the channel.
inline Mesh i_section(int t) {
  const int b = 12 * t, hw = 20 * t;
  return tri6_mesh({{0, 0, b, t}, {(b - t) / 2, t, t, hw}, {0, t + hw, b, t}});
}
inline Mesh channel(int t) {
  const int b = 12 * t, hw = 20 * t;
  return tri6_mesh({{0, 0, b, t}, {0, t, t, hw}, {0, t + hw, b, t}});
}
inline Mesh solid_square(int s) { return tri6_mesh({{0, 0, s, s}}); }

// m x m nodes of 4-node quadrilaterals, numbered row by row.
inline Mesh quad_grid(int m) {
  Mesh g;
  g.npe = 4;
  g.n_nodes = std::int64_t{m} * m;
  g.conn.reserve(static_cast<std::size_t>(4) * (m - 1) * (m - 1));
  for (int j = 0; j + 1 < m; ++j)
    for (int i = 0; i + 1 < m; ++i) {
      const std::int32_t v = j * m + i + 1;
      g.conn.insert(g.conn.end(), {v, v + 1, v + 1 + m, v + m});
    }
  return g;
}

struct BandMatrix {
  std::int64_t n = 0, kd = 0;
  std::vector<double> a;  // (kd+1)*n lower band
  double mean_profile = 0;  // mean over rows of (row - first non-zero column)
};

// Graph Laplacian of the renumbered mesh plus the identity: SPD, with the
// sparsity of the element matrices.
inline BandMatrix laplace_band(Mesh mesh) {
  RCM_RENUMBER(mesh.n_nodes, mesh.npe, mesh.n_elements(), mesh.conn.data());
  BandMatrix m;
  m.n = mesh.n_nodes;
  m.kd = BANDWIDTH(mesh.npe, mesh.n_elements(), mesh.conn.data());
  const std::int64_t ld = m.kd + 1;
  m.a.assign(static_cast<std::size_t>(ld * m.n), 0.0);
  for (std::int64_t e = 0; e < mesh.n_elements(); ++e) {
    const std::int32_t* c = &mesh.conn[static_cast<std::size_t>(e * mesh.npe)];
    for (int p = 0; p < mesh.npe; ++p)
      for (int q = 0; q < mesh.npe; ++q) {
        const std::int64_t i = c[p] - 1, j = c[q] - 1;
        if (i > j) m.a[static_cast<std::size_t>(j * ld + i - j)] = -1.0;
      }
  }
  std::vector<double> degree(static_cast<std::size_t>(m.n), 0.0);
  std::vector<std::int64_t> first(static_cast<std::size_t>(m.n));
  for (std::int64_t i = 0; i < m.n; ++i) first[i] = i;
  for (std::int64_t j = 0; j < m.n; ++j)
    for (std::int64_t r = 1; r <= m.kd && j + r < m.n; ++r)
      if (m.a[static_cast<std::size_t>(j * ld + r)] != 0.0) {
        degree[j] += 1.0;
        degree[j + r] += 1.0;
        first[j + r] = std::min(first[j + r], j);
      }
  double sum = 0;
  for (std::int64_t j = 0; j < m.n; ++j) {
    m.a[static_cast<std::size_t>(j * ld)] = degree[j] + 1.0;
    sum += static_cast<double>(j - first[j]);
  }
  m.mean_profile = sum / static_cast<double>(m.n);
  return m;
}

// Dense random band, diagonally dominant so it is SPD.
inline BandMatrix random_band(std::int64_t n, std::int64_t kd, std::uint32_t seed = 1) {
  BandMatrix m;
  m.n = n;
  m.kd = kd;
  m.mean_profile = static_cast<double>(kd);
  const std::int64_t ld = kd + 1;
  m.a.assign(static_cast<std::size_t>(ld * n), 0.0);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> rowsum(static_cast<std::size_t>(n), 0.0);
  for (std::int64_t j = 0; j < n; ++j)
    for (std::int64_t r = 1; r <= kd && j + r < n; ++r) {
      const double x = u(rng);
      m.a[static_cast<std::size_t>(j * ld + r)] = x;
      rowsum[j] += std::abs(x);
      rowsum[j + r] += std::abs(x);
    }
  for (std::int64_t j = 0; j < n; ++j) m.a[static_cast<std::size_t>(j * ld)] = rowsum[j] + 1.0;
  return m;
}

// A section as a host hands it to BSPCombMain: 1-based 3-node triangles,
// part by part.
struct HostMesh {
  std::vector<double> y, z;
  std::vector<std::int32_t> connectivity, material, part_nodes, part_elements;
};

// ny cells across the depth, a ny along the length, split into two parts.
// Merged node count (2 a ny + 1)(2 ny + 1): a = 10 with ny = 5, 16, 50 gives
// 1111, 10593 and 101101 nodes; a = 2 with ny = 11, 35, 112 gives 1035, 10011
// and 101025.
inline HostMesh rectangle_in_two_parts(int ny, int aspect) {
  HostMesh m;
  const int nx = aspect * ny, half = nx / 2;
  for (int part = 0; part < 2; ++part) {
    const int i0 = part * half, i1 = part == 0 ? half : nx;
    const auto base = static_cast<std::int32_t>(m.y.size());
    const int cols = i1 - i0 + 1;
    for (int j = 0; j <= ny; ++j)
      for (int i = i0; i <= i1; ++i) {
        m.y.push_back(static_cast<double>(aspect) * i / nx);
        m.z.push_back(1.0 * j / ny);
      }
    auto id = [&](int i, int j) { return base + static_cast<std::int32_t>(j * cols + (i - i0)) + 1; };
    std::int32_t elements = 0;
    for (int j = 0; j < ny; ++j)
      for (int i = i0; i < i1; ++i) {
        for (std::int32_t n : {id(i, j), id(i + 1, j), id(i + 1, j + 1), id(i, j), id(i + 1, j + 1), id(i, j + 1)})
          m.connectivity.push_back(n);
        m.material.push_back(1);
        m.material.push_back(1);
        elements += 2;
      }
    m.part_nodes.push_back(static_cast<std::int32_t>(m.y.size()) - base);
    m.part_elements.push_back(elements);
  }
  return m;
}

// The union of non-overlapping cell rectangles (cells of side h, the lattice
// origin at y = z = 0), each cell cut along its rising diagonal into two
// 3-node triangles, counterclockwise. Cells in rows below split_row form the
// first part, the others the second; nodes on the line between them appear
// once in each part, as a host that meshes its parts separately sends them.
inline HostMesh cells_in_two_parts(const std::vector<Rect>& rects, double h, int split_row) {
  HostMesh m;
  for (int part = 0; part < 2; ++part) {
    const auto base = static_cast<std::int32_t>(m.y.size());
    std::map<std::pair<int, int>, std::int32_t> id;
    const auto node = [&](int x, int y) {
      auto [it, inserted] = id.try_emplace({x, y}, static_cast<std::int32_t>(m.y.size() + 1));
      if (inserted) {
        m.y.push_back(h * x);
        m.z.push_back(h * y);
      }
      return it->second;
    };
    std::int32_t elements = 0;
    for (const Rect& r : rects)
      for (int j = 0; j < r.h; ++j) {
        if ((r.y0 + j < split_row) != (part == 0)) continue;
        for (int i = 0; i < r.w; ++i) {
          const int x = r.x0 + i, y = r.y0 + j;
          const std::int32_t a = node(x, y), b = node(x + 1, y), c = node(x + 1, y + 1), d = node(x, y + 1);
          m.connectivity.insert(m.connectivity.end(), {a, b, c, a, c, d});
          m.material.insert(m.material.end(), {1, 1});
          elements += 2;
        }
      }
    m.part_nodes.push_back(static_cast<std::int32_t>(m.y.size()) - base);
    m.part_elements.push_back(elements);
  }
  return m;
}

// Nodes of the merged section the library builds from cells_in_two_parts:
// the lattice points the cells touch plus one mid-side node per triangle
// edge. Each cell has three edges of its own (two sides and the diagonal)
// and each boundary side of the union adds one more, so the count is
// V + 3 C + P / 2 for V lattice points, C cells and P boundary sides.
inline std::int64_t merged_cell_nodes(const std::vector<Rect>& rects) {
  int w = 0, h = 0;
  for (const Rect& r : rects) {
    w = std::max(w, r.x0 + r.w);
    h = std::max(h, r.y0 + r.h);
  }
  std::vector<char> filled(static_cast<std::size_t>(w) * h, 0);
  for (const Rect& r : rects)
    for (int j = r.y0; j < r.y0 + r.h; ++j)
      for (int i = r.x0; i < r.x0 + r.w; ++i) filled[static_cast<std::size_t>(j) * w + i] = 1;
  const auto at = [&](int i, int j) {
    return i >= 0 && j >= 0 && i < w && j < h && filled[static_cast<std::size_t>(j) * w + i];
  };
  std::int64_t cells = 0, sides = 0, points = 0;
  for (int j = 0; j <= h; ++j)
    for (int i = 0; i <= w; ++i) {
      if (at(i, j)) {
        ++cells;
        sides += !at(i - 1, j) + !at(i + 1, j) + !at(i, j - 1) + !at(i, j + 1);
      }
      points += at(i - 1, j - 1) || at(i, j - 1) || at(i - 1, j) || at(i, j);
    }
  return points + 3 * cells + sides / 2;
}

// A polygonal disc of radius 1: a centre node and rings k = 1 .. rings of 6 k
// nodes at radius k / rings, node 0 of every ring on the positive y axis.
// Between rings k - 1 and k each sixth of the disc holds 2 k - 1 triangles,
// so ring nodes 0, k, 2k, ... lie on six straight spokes; the sixths above
// the y axis form the first part, those below the second. Merged node count
// 12 rings^2 + 6 rings + 1.
inline HostMesh disc_in_two_parts(int rings) {
  const double pi = std::acos(-1.0);
  HostMesh m;
  for (int part = 0; part < 2; ++part) {
    const auto base = static_cast<std::int32_t>(m.y.size());
    std::map<std::pair<int, int>, std::int32_t> id;  // (ring, index on the ring) -> host number
    const auto node = [&](int k, int i) {
      if (k > 0) i %= 6 * k;
      if (k == 0) i = 0;
      auto [it, inserted] = id.try_emplace({k, i}, static_cast<std::int32_t>(m.y.size() + 1));
      if (inserted) {
        const double r = static_cast<double>(k) / rings, phi = k == 0 ? 0.0 : 2.0 * pi * i / (6.0 * k);
        m.y.push_back(r * std::cos(phi));
        m.z.push_back(r * std::sin(phi));
      }
      return it->second;
    };
    std::int32_t elements = 0;
    for (int sixth = 3 * part; sixth < 3 * part + 3; ++sixth)
      for (int k = 1; k <= rings; ++k) {
        const int inner = (k - 1) * sixth, outer = k * sixth;
        for (int i = 0; i < k; ++i) {
          m.connectivity.insert(m.connectivity.end(),
                                {node(k - 1, inner + i), node(k, outer + i), node(k, outer + i + 1)});
          ++elements;
          if (i + 1 < k) {
            m.connectivity.insert(m.connectivity.end(),
                                  {node(k - 1, inner + i), node(k, outer + i + 1), node(k - 1, inner + i + 1)});
            ++elements;
          }
        }
      }
    m.material.resize(m.material.size() + static_cast<std::size_t>(elements), 1);
    m.part_nodes.push_back(static_cast<std::int32_t>(m.y.size()) - base);
    m.part_elements.push_back(elements);
  }
  return m;
}

// The usual section families, each of a fixed shape meshed ever finer.
enum class SectionFamily { rectangle, disc, i_section, channel, box, angle, tee };
inline constexpr int section_family_count = 7;

inline const char* section_family_name(SectionFamily f) {
  switch (f) {
    case SectionFamily::rectangle: return "rectangle";
    case SectionFamily::disc: return "disc";
    case SectionFamily::i_section: return "I";
    case SectionFamily::channel: return "channel";
    case SectionFamily::box: return "box";
    case SectionFamily::angle: return "angle";
    case SectionFamily::tee: return "tee";
  }
  return "?";
}

// The plate shapes with t cells across every wall, in cells: an I 11t wide
// and 22t deep, a channel 8t x 22t, a box 12t x 20t, an unequal angle
// 10t x 16t and a tee 11t x 16t; the rectangle is a solid square t x t.
inline std::vector<Rect> family_cells(SectionFamily f, int t) {
  switch (f) {
    case SectionFamily::i_section: return {{0, 0, 11 * t, t}, {5 * t, t, t, 20 * t}, {0, 21 * t, 11 * t, t}};
    case SectionFamily::channel: return {{0, 0, 8 * t, t}, {0, t, t, 20 * t}, {0, 21 * t, 8 * t, t}};
    case SectionFamily::box:
      return {{0, 0, 12 * t, t}, {0, t, t, 18 * t}, {11 * t, t, t, 18 * t}, {0, 19 * t, 12 * t, t}};
    case SectionFamily::angle: return {{0, 0, 10 * t, t}, {0, t, t, 15 * t}};
    case SectionFamily::tee: return {{5 * t, 0, t, 15 * t}, {0, 15 * t, 11 * t, t}};
    default: return {{0, 0, t, t}};
  }
}

// A section of the family whose merged node count is nearest to
// target_nodes, split into two parts across the middle of its depth (the
// disc along a diameter). Every plate shape's walls are 1 thick, the square's
// side is 1 and the disc's radius is 1.
inline HostMesh section_in_two_parts(SectionFamily f, double target_nodes) {
  if (f == SectionFamily::disc) {
    const auto nodes = [](int n) { return 12.0 * n * n + 6.0 * n + 1.0; };
    int n = 1;
    while (nodes(n + 1) <= target_nodes) ++n;
    if (target_nodes - nodes(n) > nodes(n + 1) - target_nodes) ++n;
    return disc_in_two_parts(n);
  }
  const auto nodes = [f](int t) { return static_cast<double>(merged_cell_nodes(family_cells(f, t))); };
  int t = 1;
  while (nodes(t + 1) <= target_nodes) ++t;
  if (target_nodes - nodes(t) > nodes(t + 1) - target_nodes) ++t;
  const std::vector<Rect> cells = family_cells(f, t);
  int depth = 0;
  for (const Rect& r : cells) depth = std::max(depth, r.y0 + r.h);
  return cells_in_two_parts(cells, 1.0 / t, depth / 2);
}

}  // namespace bsp::bench
