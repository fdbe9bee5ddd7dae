#include "solver/sparse_llt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "solver/rcm.h"

namespace bsp {
namespace {

using Vec = std::vector<double>;

// A mesh pattern: npe equation numbers (1-based) per element.
struct Pattern {
  std::int64_t n = 0;
  int npe = 0;
  std::vector<std::int32_t> conn;
  std::int64_t elements() const { return static_cast<std::int64_t>(conn.size()) / npe; }
};

// m x m nodes of quadrilaterals, RCM-renumbered as the model does.
Pattern quad_grid(int m) {
  Pattern p{std::int64_t{m} * m, 4, {}};
  for (int j = 0; j + 1 < m; ++j)
    for (int i = 0; i + 1 < m; ++i) {
      const std::int32_t v = j * m + i + 1;
      p.conn.insert(p.conn.end(), {v, v + 1, v + 1 + m, v + m});
    }
  RCM_RENUMBER(p.n, p.npe, p.elements(), p.conn.data());
  return p;
}

// Random symmetric element matrices made diagonally dominant: the same SPD
// matrix assembled into the band and into the sparse storage.
struct Assembled {
  BandSystem band;
  SparseSystem sparse;
};

Assembled assemble(const Pattern& p, std::uint32_t seed, double shift) {
  Assembled a;
  a.band.allocate(p.n, BANDWIDTH(p.npe, p.elements(), p.conn.data()));
  a.sparse.sym = sparse_analyse(p.n, p.npe, p.elements(), p.conn.data(), -1);
  a.sparse.allocate();
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 0.0);
  for (std::int64_t e = 0; e < p.elements(); ++e)
    for (int x = 0; x < p.npe; ++x)
      for (int y = 0; y < x; ++y) {
        const std::int64_t i = p.conn[e * p.npe + x] - 1, j = p.conn[e * p.npe + y] - 1;
        const double v = u(rng);
        a.band.at(std::max(i, j), std::min(i, j)) += v;
        a.sparse.at(i, j) += v;
        for (const std::int64_t d : {i, j}) {
          a.band.at(d, d) -= v;
          a.sparse.at(d, d) -= v;
        }
      }
  for (std::int64_t d = 0; d < p.n; ++d) {
    a.band.at(d, d) += shift;
    a.sparse.at(d, d) += shift;
  }
  return a;
}

TEST(SparseLlt, SolvesLikeTheBandOnGridMeshes) {
  for (const int m : {2, 7, 40}) {
    const Pattern p = quad_grid(m);
    Assembled a = assemble(p, 3 + m, 1e-3);
    Vec b(static_cast<std::size_t>(2 * p.n));
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = std::cos(0.37 * static_cast<double>(i));
    Vec xb = b, xs = b;
    solve_band_system(a.band, xb.data(), 2, 1);
    solve_sparse_system(a.sparse, xs.data(), 2);
    double scale = 0;
    for (const double v : xb) scale = std::max(scale, std::abs(v));
    for (std::size_t i = 0; i < b.size(); ++i)
      EXPECT_NEAR(xs[i], xb[i], 1e-10 * scale) << m << " " << i;  // shift 1e-3 gives condition ~1e5: rounding ~1e-11
  }
}

TEST(SparseLlt, SecondSolveReusesTheFactor) {
  const Pattern p = quad_grid(12);
  Assembled a = assemble(p, 9, 1.0);
  Vec b(static_cast<std::size_t>(p.n), 1.0), b2 = b;
  solve_sparse_system(a.sparse, b.data(), 1);
  const Vec factor(a.sparse.values.begin(), a.sparse.values.end());
  solve_sparse_system(a.sparse, b2.data(), 1);
  EXPECT_EQ(Vec(a.sparse.values.begin(), a.sparse.values.end()), factor);  // not factorised again
  EXPECT_EQ(b2, b);                                                        // same factor, same operations
}

TEST(SparseLlt, FloorsTheZeroPivotOfEveryFreeComponentAsTheBandDoes) {
  // Five free pairs [1 -1; -1 1] as two-node elements: each pair's second
  // pivot is exactly 0 in any order, and both paths must floor it.
  Pattern p{10, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}};
  BandSystem band;
  band.allocate(p.n, 1);
  SparseSystem sp;
  sp.sym = sparse_analyse(p.n, p.npe, p.elements(), p.conn.data(), -1);
  sp.allocate();
  for (std::int64_t k = 0; k < 5; ++k) {
    band.at(2 * k, 2 * k) = band.at(2 * k + 1, 2 * k + 1) = 1.0;
    band.at(2 * k + 1, 2 * k) = -1.0;
    sp.at(2 * k, 2 * k) = sp.at(2 * k + 1, 2 * k + 1) = 1.0;
    sp.at(2 * k + 1, 2 * k) = -1.0;
  }
  BAND_LLT_DECOMP(band.n, band.kd, band.band.data());
  SPARSE_LLT_DECOMP(sp);
  int floored_band = 0, floored_sparse = 0;  // one floored diagonal (exactly sqrt of the floor) per pair
  for (std::int64_t i = 0; i < p.n; ++i) {
    floored_band += band.at(i, i) == std::sqrt(band_pivot_floor);
    floored_sparse += sp.at(i, i) == std::sqrt(band_pivot_floor);
  }
  EXPECT_EQ(floored_band, 5);
  EXPECT_EQ(floored_sparse, 5);
  sp.factorised = true;
  Vec x(10, 0.0);
  x[0] = 1.0;
  x[1] = -1.0;  // a balanced load: finite
  SPARSE_LLT_SOLVE(sp, 1, x.data());
  for (const double v : x) EXPECT_TRUE(std::isfinite(v));
}

TEST(SparseLlt, EmptySystemTouchesNothing) {
  SparseSystem sp;
  sp.sym = sparse_analyse(0, 4, 0, nullptr, -1);
  sp.allocate();
  SPARSE_LLT_DECOMP(sp);
  double guard = 7.0;
  SPARSE_LLT_SOLVE(sp, 1, &guard);
  EXPECT_EQ(guard, 7.0);
}

}  // namespace
}  // namespace bsp
