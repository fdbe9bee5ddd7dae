#include "solver/dense_kernels.h"

#include <algorithm>
#include <cstring>

#include "solver/vector4.h"

namespace bsp {
namespace {

using i64 = std::int64_t;


// Register tile of the product: 12 rows (three vectors) by 4 columns, 12
// accumulators in the 16 vector registers of AVX2.
constexpr i64 tile_rows = 12;
constexpr i64 tile_cols = 4;
// Cache blocking: kc terms of the sum and mc rows of X at a time, so the
// packed rows a column tile sweeps (mc x kc doubles, 240 KiB) stay in a
// 512 KiB L2 cache.
constexpr i64 block_terms = 256;
constexpr i64 block_rows = 10 * tile_rows;

// Rows [r0, r0 + tile_rows) of X, terms [q0, q0 + kc), term by term: one
// tile's operand as a single unit-stride stream, zero past row m.
void pack_rows(const double* x, i64 ldx, i64 m, i64 r0, i64 q0, i64 kc, double* p) {
  const i64 rows = std::min(tile_rows, m - r0);
  for (i64 q = 0; q < kc; ++q) {
    const double* src = x + (q0 + q) * ldx + r0;
    double* dst = p + q * tile_rows;
    for (i64 r = 0; r < rows; ++r) dst[r] = src[r];
    for (i64 r = rows; r < tile_rows; ++r) dst[r] = 0.0;
  }
}

struct Tile {
  v4d acc[3][tile_cols];
};

// acc(r, j) = sum_q a[q*12 + r] * b[q*12 + j], r < 12, j < 4.
[[gnu::always_inline]] inline void tile_product(const double* a, const double* b, i64 kc, Tile& t) {
  Tile c{};
  for (i64 q = 0; q < kc; ++q) {
    const double* aq = a + q * tile_rows;
    const double* bq = b + q * tile_rows;
    const v4d a0 = load4(aq), a1 = load4(aq + 4), a2 = load4(aq + 8);
    for (i64 j = 0; j < tile_cols; ++j) {
      const v4d bj = v4d{} + bq[j];
      c.acc[0][j] += a0 * bj;
      c.acc[1][j] += a1 * bj;
      c.acc[2][j] += a2 * bj;
    }
  }
  t = c;
}

// C(r0 + r, c0 + j) -= acc(r, j) where the entry lies in the trapezoid:
// whole vectors for a tile entirely inside it, lanes otherwise.
[[gnu::always_inline]] inline void tile_subtract(const Tile& t, i64 r0, i64 c0, i64 m, i64 n, double* c, i64 ldc) {
  const i64 cols = std::min(tile_cols, n - c0);
  if (r0 >= c0 + tile_cols - 1 && r0 + tile_rows <= m && cols == tile_cols) {
    for (i64 j = 0; j < tile_cols; ++j) {
      double* cj = c + (c0 + j) * ldc + r0;
      for (int v = 0; v < 3; ++v) store4(cj + 4 * v, load4(cj + 4 * v) - t.acc[v][j]);
    }
    return;
  }
  for (i64 j = 0; j < cols; ++j) {
    double* cj = c + (c0 + j) * ldc;
    const i64 lo = std::max(r0, c0 + j), hi = std::min(r0 + tile_rows, m);
    for (i64 i = lo; i < hi; ++i) cj[i] -= t.acc[(i - r0) / 4][j][(i - r0) % 4];
  }
}

[[gnu::target_clones("arch=x86-64-v3", "default")]] void lower_product(i64 m, i64 n, i64 k, const double* x,
                                                                        i64 ldx, double* c, i64 ldc,
                                                                        double* packed) {
  const i64 tiles = (m + tile_rows - 1) / tile_rows;
  for (i64 q0 = 0; q0 < k; q0 += block_terms) {
    const i64 kc = std::min(block_terms, k - q0);
    for (i64 t = 0; t < tiles; ++t) pack_rows(x, ldx, m, t * tile_rows, q0, kc, packed + t * tile_rows * kc);
    for (i64 b0 = 0; b0 < m; b0 += block_rows) {
      const i64 b1 = std::min(m, b0 + block_rows);
      // Column tiles meeting the trapezoid in rows [b0, b1): c0 < n, c0 < b1.
      for (i64 c0 = 0; c0 < std::min(n, b1); c0 += tile_cols) {
        const i64 ct = c0 / tile_rows;
        const double* bcol = packed + ct * tile_rows * kc + (c0 - ct * tile_rows);
        // The first row tile holding a row at or below the tile's first column.
        const i64 first = std::max(b0, c0 / tile_rows * tile_rows);
        for (i64 r0 = first; r0 < b1; r0 += tile_rows) {
          Tile tile;
          tile_product(packed + (r0 / tile_rows) * tile_rows * kc, bcol, kc, tile);
          tile_subtract(tile, r0, c0, m, n, c, ldc);
        }
      }
    }
  }
}

// B := B L^-T. An always-inlined body called from the clones, like the
// product's tile helpers: clang accepts vector values only inside functions
// whose instruction set is fixed, or inlined into them.
[[gnu::always_inline]] inline void right_lower_solve_body(i64 m, i64 n, const double* l, i64 ldl, double* b,
                                                          i64 ldb) {
  // Row by row the solve is a forward substitution against L^T; eight rows
  // at a time (two vectors), whose columns so far stay in the L1 cache.
  i64 i = 0;
  for (; i + 8 <= m; i += 8) {
    for (i64 j = 0; j < n; ++j) {
      double* bj = b + j * ldb + i;
      v4d s0 = load4(bj), s1 = load4(bj + 4);
      const double* lj = l + j;  // L(j, q) = lj[q * ldl]
      for (i64 q = 0; q < j; ++q) {
        const v4d f = v4d{} + lj[q * ldl];
        s0 -= load4(b + q * ldb + i) * f;
        s1 -= load4(b + q * ldb + i + 4) * f;
      }
      const v4d d = v4d{} + l[j * ldl + j];
      store4(bj, s0 / d);
      store4(bj + 4, s1 / d);
    }
  }
  for (; i < m; ++i)
    for (i64 j = 0; j < n; ++j) {
      double s = b[j * ldb + i];
      for (i64 q = 0; q < j; ++q) s -= b[q * ldb + i] * l[q * ldl + j];
      b[j * ldb + i] = s / l[j * ldl + j];
    }
}

[[gnu::target_clones("arch=x86-64-v3", "default")]] void right_lower_solve(i64 m, i64 n, const double* l, i64 ldl,
                                                                            double* b, i64 ldb) {
  right_lower_solve_body(m, n, l, ldl, b, ldb);
}

}  // namespace

void subtract_lower_product(std::int64_t m, std::int64_t n, std::int64_t k, const double* x, std::int64_t ldx,
                            double* c, std::int64_t ldc, std::vector<double>& pack) {
  if (m <= 0 || n <= 0 || k <= 0) return;
  const i64 tiles = (m + tile_rows - 1) / tile_rows;
  const auto need = static_cast<std::size_t>(tiles * tile_rows * std::min(k, block_terms));
  if (pack.size() < need) pack.resize(need);
  lower_product(m, n, k, x, ldx, c, ldc, pack.data());
}

void solve_right_lower_transposed(std::int64_t m, std::int64_t n, const double* l, std::int64_t ldl, double* b,
                                  std::int64_t ldb) {
  if (m <= 0 || n <= 0) return;
  right_lower_solve(m, n, l, ldl, b, ldb);
}

}  // namespace bsp
