// An SPD system on a renumbered grid of quadrilaterals or 6-node triangles, assembled alike into the
// band and the sparse storage, for the linear-solver tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "solver/band_llt.h"
#include "solver/rcm.h"
#include "solver/sparse_llt.h"

namespace bsp::test {

// npe equation numbers (1-based) per element.
struct Pattern {
  std::int64_t n = 0;
  int npe = 0;
  std::vector<std::int32_t> conn;
  std::int64_t elements() const { return static_cast<std::int64_t>(conn.size()) / npe; }
};

// Quadrilaterals of a grid of nx by ny nodes, corners counter-clockwise,
// node (i, j) numbered label[j*nx + i] (1-based, row by row when empty).
inline std::vector<std::int32_t> quad_connectivity(int nx, int ny, std::vector<std::int32_t> label = {}) {
  for (int v = static_cast<int>(label.size()); v < nx * ny; ++v) label.push_back(v + 1);
  std::vector<std::int32_t> c;
  for (int j = 0; j + 1 < ny; ++j)
    for (int i = 0; i + 1 < nx; ++i)
      for (int v : {j * nx + i, j * nx + i + 1, (j + 1) * nx + i + 1, (j + 1) * nx + i}) c.push_back(label[v]);
  return c;
}

// m x m nodes of quadrilaterals, RCM-renumbered as the model does.
inline Pattern quad_grid(int m) {
  Pattern p{std::int64_t{m} * m, 4, quad_connectivity(m, m)};
  RCM_RENUMBER(p.n, p.npe, p.elements(), p.conn.data());
  return p;
}

// m x m corners of 6-node triangles (two per cell, mid-side nodes on the
// half-way lattice), RCM-renumbered, then one equation in no element.
inline Pattern tria6_grid(int m) {
  const int w = 2 * m - 1;
  const auto at = [w](int i, int j) { return j * w + i + 1; };
  Pattern p{std::int64_t{w} * w, 6, {}};
  for (int j = 0; j + 2 < w; j += 2)
    for (int i = 0; i + 2 < w; i += 2) {
      for (int v : {at(i, j), at(i + 2, j), at(i + 2, j + 2), at(i + 1, j), at(i + 2, j + 1), at(i + 1, j + 1)}) p.conn.push_back(v);
      for (int v : {at(i, j), at(i + 2, j + 2), at(i, j + 2), at(i + 1, j + 1), at(i + 1, j + 2), at(i, j + 1)}) p.conn.push_back(v);
    }
  RCM_RENUMBER(p.n, p.npe, p.elements(), p.conn.data());
  ++p.n;
  return p;
}

struct Assembled {
  BandSystem band;
  SparseSystem sparse;
};

// Random negative couplings within each element, each balanced on the
// diagonal (a Laplacian with random weights), plus `shift` on the diagonal.
inline Assembled assemble(const Pattern& p, std::uint32_t seed, double shift) {
  Assembled a;
  a.band.allocate(p.n, BANDWIDTH(p.npe, p.elements(), p.conn.data()));
  a.sparse.sym = sparse_analyse(p.n, p.npe, p.elements(), p.conn.data(), -1);
  a.sparse.allocate();
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 0.0);
  const auto add = [&](std::int64_t i, std::int64_t j, double v) {
    a.band.at(std::max(i, j), std::min(i, j)) += v;
    a.sparse.at(i, j) += v;
  };
  for (std::int64_t e = 0; e < p.elements(); ++e)
    for (int x = 0; x < p.npe; ++x)
      for (int y = 0; y < x; ++y) {
        const std::int64_t i = p.conn[e * p.npe + x] - 1, j = p.conn[e * p.npe + y] - 1;
        const double v = u(rng);
        add(i, j, v);
        add(i, i, -v);
        add(j, j, -v);
      }
  for (std::int64_t d = 0; d < p.n; ++d) add(d, d, shift);
  return a;
}

}  // namespace bsp::test
