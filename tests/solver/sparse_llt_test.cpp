#include "solver/sparse_llt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "solver/grid_system.h"

namespace bsp {
namespace {

using Vec = std::vector<double>;

// The largest grid's factorisation splits into two tasks (over 10^8 flops): one thread and two
// must give the same bits. Triangle grids take the corner order and hold a node of no element.
TEST(SparseLlt, SolvesLikeTheBandOnGridMeshesOnAnyThreadCount) {
  for (const int m : {2, 7, 40, 160, -2, -9, -60}) {
    const test::Pattern p = m > 0 ? test::quad_grid(m) : test::tria6_grid(-m);
    test::Assembled a = test::assemble(p, static_cast<std::uint32_t>(70 + m), 1e-3);
    SparseSystem two = a.sparse;
    if (m == 160) {
      ASSERT_GT(two.sym.flops, 1e8);
    }
    Vec b(static_cast<std::size_t>(2 * p.n));
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = std::cos(0.37 * static_cast<double>(i));
    Vec xb = b, xs = b, x2 = b;
    solve_band_system(a.band, xb.data(), 2, 1);
    solve_sparse_system(a.sparse, xs.data(), 2, 1);
    solve_sparse_system(two, x2.data(), 2, 2);
    EXPECT_EQ(x2, xs) << m;
    const double scale = std::abs(*std::max_element(xb.begin(), xb.end(), [](double a, double b) { return std::abs(a) < std::abs(b); }));
    for (std::size_t i = 0; i < b.size(); ++i)
      EXPECT_NEAR(xs[i], xb[i], 1e-10 * scale) << m << " " << i;  // shift 1e-3 gives condition ~1e5: rounding ~1e-11
  }
}

// A second solve takes the stored factor (refactorising would overwrite L), on both paths and
// the band's parallel routine: same factor, same bits.
TEST(SparseLlt, SecondSolveReusesTheFactorOnBothPaths) {
  const test::Pattern p = test::quad_grid(12);
  for (const int threads : {0, 1, 2}) {
    test::Assembled a = test::assemble(p, 9, 1.0);
    Vec b(static_cast<std::size_t>(p.n), 1.0), b2 = b;
    const auto solve = [&](Vec& x) {
      threads == 0 ? solve_sparse_system(a.sparse, x.data(), 1) : solve_band_system(a.band, x.data(), 1, threads);
    };
    const auto factor = [&] {
      return threads == 0 ? Vec(a.sparse.values.begin(), a.sparse.values.end()) : Vec(a.band.band.begin(), a.band.band.end());
    };
    solve(b);
    const Vec first = factor();
    solve(b2);
    EXPECT_EQ(factor(), first) << threads;
    EXPECT_EQ(b2, b) << threads;
  }
}

// Five free pairs [1 -1; -1 1]: each second pivot is exactly 0 and floored as the band does
// (sqrt of the floor on the diagonal); a balanced load stays finite.
TEST(SparseLlt, FloorsTheZeroPivotOfEveryFreeComponentAsTheBandDoes) {
  const test::Pattern p{10, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}};
  SparseSystem sp = test::assemble(p, 1, 0.0).sparse;
  for (std::int64_t k = 0; k < 10; ++k) {  // unit weights instead of random ones
    sp.at(k, k) = 1.0;
    if (k % 2 == 1) sp.at(k, k - 1) = -1.0;
  }
  SPARSE_LLT_DECOMP(sp);
  int floored = 0;
  for (std::int64_t i = 0; i < p.n; ++i) floored += sp.at(i, i) == std::sqrt(band_pivot_floor);
  EXPECT_EQ(floored, 5);
  sp.factorised = true;
  Vec x(10, 0.0);
  x[0] = 1.0;
  x[1] = -1.0;
  SPARSE_LLT_SOLVE(sp, 1, x.data());
  for (const double v : x) EXPECT_TRUE(std::isfinite(v));
}

}  // namespace
}  // namespace bsp
