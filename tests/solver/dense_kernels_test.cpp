#include "solver/dense_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace bsp {
namespace {

using Vec = std::vector<double>;

double entry(std::int64_t i, std::int64_t j) { return std::sin(0.7 * static_cast<double>(i) + 1.3 * static_cast<double>(j)); }

// Against plain triple loops, on sizes that leave partial register tiles in
// every direction, cross the term and row blocks (256 terms, 120 rows), and
// a leading dimension with rows below the block that must stay untouched.
TEST(DenseKernels, LowerProductMatchesPlainLoops) {
  struct Case {
    std::int64_t m, n, k;
  };
  Vec pack;
  for (const Case c : {Case{1, 1, 1}, Case{5, 3, 2}, Case{12, 4, 7}, Case{13, 5, 300}, Case{250, 37, 64},
                       Case{130, 130, 513}}) {
    const std::int64_t ldx = c.m + 3, ldc = c.m + 2;
    Vec x(static_cast<std::size_t>(ldx * c.k)), got(static_cast<std::size_t>(ldc * c.n));
    for (std::int64_t q = 0; q < c.k; ++q)
      for (std::int64_t i = 0; i < ldx; ++i) x[static_cast<std::size_t>(q * ldx + i)] = entry(i, q);
    for (std::size_t i = 0; i < got.size(); ++i) got[i] = 0.25 * static_cast<double>(i % 7);
    const Vec before = got;
    subtract_lower_product(c.m, c.n, c.k, x.data(), ldx, got.data(), ldc, pack);
    for (std::int64_t j = 0; j < c.n; ++j)
      for (std::int64_t i = 0; i < ldc; ++i) {
        const auto at = static_cast<std::size_t>(j * ldc + i);
        if (i < j || i >= c.m) {
          EXPECT_EQ(got[at], before[at]) << "outside the trapezoid: " << i << "," << j;
          continue;
        }
        double want = before[at];
        for (std::int64_t q = 0; q < c.k; ++q) want -= entry(i, q) * entry(j, q);
        EXPECT_NEAR(got[at], want, 1e-12 * static_cast<double>(c.k)) << c.m << "x" << c.n << "x" << c.k;
      }
  }
}

// X L^T = B solved for X, checked by multiplying back.
TEST(DenseKernels, RightLowerSolveInvertsTheTriangle) {
  for (const std::int64_t m : {1, 7, 8, 21}) {
    for (const std::int64_t n : {1, 5, 64}) {
      const std::int64_t ldl = n + 1, ldb = m + 2;
      Vec l(static_cast<std::size_t>(ldl * n)), b(static_cast<std::size_t>(ldb * n));
      for (std::int64_t j = 0; j < n; ++j)
        for (std::int64_t i = j; i < n; ++i) l[static_cast<std::size_t>(j * ldl + i)] = i == j ? 2.0 + entry(i, j) : 0.3 * entry(i, j);
      for (std::size_t i = 0; i < b.size(); ++i) b[i] = entry(static_cast<std::int64_t>(i), 3);
      Vec x = b;
      solve_right_lower_transposed(m, n, l.data(), ldl, x.data(), ldb);
      for (std::int64_t i = 0; i < m; ++i)
        for (std::int64_t j = 0; j < n; ++j) {
          double sum = 0;  // (X L^T)(i, j) = sum_q X(i, q) L(j, q)
          for (std::int64_t q = 0; q <= j; ++q) sum += x[static_cast<std::size_t>(q * ldb + i)] * l[static_cast<std::size_t>(q * ldl + j)];
          EXPECT_NEAR(sum, b[static_cast<std::size_t>(j * ldb + i)], 1e-12) << m << "x" << n;
        }
      for (std::int64_t j = 0; j < n; ++j)  // the rows below m are not the solve's
        for (std::int64_t i = m; i < ldb; ++i) EXPECT_EQ(x[static_cast<std::size_t>(j * ldb + i)], b[static_cast<std::size_t>(j * ldb + i)]);
    }
  }
}

}  // namespace
}  // namespace bsp
