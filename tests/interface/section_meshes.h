// Meshes that the meshed-parts tests build, in the host's form: parts one after
// another, each with its own copies of its interface nodes, 1-based numbers.
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numbers>
#include <utility>
#include <vector>

namespace bsp::testing {

struct PartsMesh {
  std::vector<double> y, z;
  std::vector<std::int32_t> connectivity;
  std::vector<std::int32_t> element_material;
  std::vector<std::int32_t> part_node_count;
  std::vector<std::int32_t> part_element_count;
  int nodes_per_element = 3;

  std::int32_t n_nodes() const { return static_cast<std::int32_t>(y.size()); }
  std::int32_t n_elements() const { return static_cast<std::int32_t>(element_material.size()); }
  std::int32_t n_parts() const { return static_cast<std::int32_t>(part_node_count.size()); }

  // Appends another mesh as further parts.
  void append(const PartsMesh& other) {
    const auto offset = n_nodes();
    y.insert(y.end(), other.y.begin(), other.y.end());
    z.insert(z.end(), other.z.begin(), other.z.end());
    for (std::int32_t n : other.connectivity) connectivity.push_back(n + offset);
    element_material.insert(element_material.end(), other.element_material.begin(), other.element_material.end());
    part_node_count.insert(part_node_count.end(), other.part_node_count.begin(), other.part_node_count.end());
    part_element_count.insert(part_element_count.end(), other.part_element_count.begin(),
                              other.part_element_count.end());
  }

  void transform(double c, double s, double dy, double dz) {
    for (std::size_t i = 0; i < y.size(); ++i) {
      const double a = y[i], b = z[i];
      y[i] = c * a - s * b + dy;
      z[i] = s * a + c * b + dz;
    }
  }
};

// One part: the rectangle [y0, y0 + b] x [z0, z0 + h] in ny x nz cells, each
// cell split into two counter-clockwise triangles. With six_node the mid-side
// nodes are part of the grid (a (2ny+1) x (2nz+1) lattice).
inline PartsMesh rectangle_part(double y0, double z0, double b, double h, int ny, int nz, std::int32_t material,
                                bool six_node = false) {
  PartsMesh m;
  m.nodes_per_element = six_node ? 6 : 3;
  const int step = six_node ? 2 : 1;
  const int cy = ny * step + 1, cz = nz * step + 1;
  for (int j = 0; j < cz; ++j)
    for (int i = 0; i < cy; ++i) {
      m.y.push_back(y0 + b * i / (cy - 1));
      m.z.push_back(z0 + h * j / (cz - 1));
    }
  auto id = [&](int i, int j) { return static_cast<std::int32_t>(j * cy + i + 1); };
  for (int j = 0; j < nz; ++j)
    for (int i = 0; i < ny; ++i) {
      const int i0 = i * step, j0 = j * step, i1 = i0 + step, j1 = j0 + step;
      if (six_node) {
        const int im = i0 + 1, jm = j0 + 1;
        // (i0,j0) (i1,j0) (i1,j1), then (i0,j0) (i1,j1) (i0,j1)
        for (std::int32_t n : {id(i0, j0), id(i1, j0), id(i1, j1), id(im, j0), id(i1, jm), id(im, jm)})
          m.connectivity.push_back(n);
        for (std::int32_t n : {id(i0, j0), id(i1, j1), id(i0, j1), id(im, jm), id(im, j1), id(i0, jm)})
          m.connectivity.push_back(n);
      } else {
        for (std::int32_t n : {id(i0, j0), id(i1, j0), id(i1, j1)}) m.connectivity.push_back(n);
        for (std::int32_t n : {id(i0, j0), id(i1, j1), id(i0, j1)}) m.connectivity.push_back(n);
      }
      m.element_material.push_back(material);
      m.element_material.push_back(material);
    }
  m.part_node_count.push_back(m.n_nodes());
  m.part_element_count.push_back(m.n_elements());
  return m;
}

// A rectangle split into column strips, each strip its own part with its own
// copies of the nodes on the strip boundaries.
inline PartsMesh striped_rectangle(double b, double h, int ny, int nz, int strips, std::int32_t material) {
  PartsMesh all;
  for (int s = 0; s < strips; ++s) {
    const int c0 = ny * s / strips, c1 = ny * (s + 1) / strips;
    all.append(rectangle_part(b * c0 / ny, 0.0, b * (c1 - c0) / ny, h, c1 - c0, nz, material));
  }
  return all;
}

// One part: the disc of radius r about the origin, a structured polar mesh of
// 6-node triangles (rings x sectors cells, the innermost ring a fan). Nodes sit
// on a lattice of radii r*i/(2 rings) and angles 2 pi a/(2 sectors), so every
// mid-side node is the image of its edge's midpoint in (radius, angle) and the
// rim is curved quadratically.
inline PartsMesh disc_part(double r, int rings, int sectors, std::int32_t material) {
  PartsMesh m;
  m.nodes_per_element = 6;
  const int na = 2 * sectors;
  m.y.push_back(0.0);
  m.z.push_back(0.0);
  for (int i = 1; i <= 2 * rings; ++i)
    for (int a = 0; a < na; ++a) {
      const double t = 2.0 * std::numbers::pi * a / na;
      m.y.push_back(r * i / (2 * rings) * std::cos(t));
      m.z.push_back(r * i / (2 * rings) * std::sin(t));
    }
  auto at = [&](int i, int a) -> std::int32_t {
    if (i == 0) return 1;
    return static_cast<std::int32_t>(2 + (i - 1) * na + ((a % na) + na) % na);
  };
  auto push = [&](std::initializer_list<std::int32_t> nodes) {
    for (std::int32_t n : nodes) m.connectivity.push_back(n);
    m.element_material.push_back(material);
  };
  for (int p = 0; p < rings; ++p)
    for (int s = 0; s < sectors; ++s) {
      const int i0 = 2 * p, i1 = 2 * p + 2, a0 = 2 * s, a1 = 2 * s + 2;
      if (p == 0) {
        push({at(0, 0), at(i1, a0), at(i1, a1), at(1, a0), at(i1, a0 + 1), at(1, a1)});
        continue;
      }
      push({at(i0, a0), at(i1, a0), at(i1, a1), at(i0 + 1, a0), at(i1, a0 + 1), at(i0 + 1, a0 + 1)});
      push({at(i0, a0), at(i1, a1), at(i0, a1), at(i0 + 1, a0 + 1), at(i0 + 1, a1), at(i0, a0 + 1)});
    }
  m.part_node_count.push_back(m.n_nodes());
  m.part_element_count.push_back(m.n_elements());
  return m;
}

// Sections made of axis-aligned plates on one set of grid lines: every part
// is the block of grid cells between lines ys[i0..i1] and zs[j0..j1], meshed
// with the grid's own lines, so parts that touch share their interface
// nodes exactly (each part keeps its own copies, as a host sends them).
inline std::vector<double> grid_lines(std::initializer_list<std::pair<double, int>> stops, double start) {
  // stops: (next coordinate, cells up to it)
  std::vector<double> lines{start};
  double at = start;
  for (const auto& [next, cells] : stops) {
    for (int c = 1; c <= cells; ++c) lines.push_back(at + (next - at) * c / cells);
    at = next;
  }
  return lines;
}

inline PartsMesh grid_part(const std::vector<double>& ys, const std::vector<double>& zs, int i0, int i1, int j0, int j1,
                           std::int32_t material) {
  PartsMesh m;
  const int cy = i1 - i0 + 1;
  for (int j = j0; j <= j1; ++j)
    for (int i = i0; i <= i1; ++i) {
      m.y.push_back(ys[static_cast<std::size_t>(i)]);
      m.z.push_back(zs[static_cast<std::size_t>(j)]);
    }
  auto id = [&](int i, int j) { return static_cast<std::int32_t>((j - j0) * cy + (i - i0) + 1); };
  for (int j = j0; j < j1; ++j)
    for (int i = i0; i < i1; ++i) {
      for (std::int32_t n : {id(i, j), id(i + 1, j), id(i + 1, j + 1), id(i, j), id(i + 1, j + 1), id(i, j + 1)})
        m.connectivity.push_back(n);
      m.element_material.push_back(material);
      m.element_material.push_back(material);
    }
  m.part_node_count.push_back(m.n_nodes());
  m.part_element_count.push_back(m.n_elements());
  return m;
}

}  // namespace bsp::testing
