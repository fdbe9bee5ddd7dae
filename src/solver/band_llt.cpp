// Blocked band Cholesky. The factor is the one of the column algorithm
//
//   for j: d = A(j,j) (d <= 0 -> band_pivot_floor); L(j,j) = sqrt(d);
//          L(j+1..j+kd, j) = A(..)/L(j,j); trailing triangle -= l*l^T
//
// with the same pivot rule; only the order in which the rank-1 updates are
// summed differs (to rounding). Columns are taken nb at a time:
//   1. the panel (nb columns, rows down to the last non-zero any of them holds)
//      is copied into a dense work array with the out-of-band corner zeroed,
//   2. factorised there, left-looking in groups of nr columns,
//   3. copied back, and
//   4. its rank-nb update is applied to the trailing triangle with a
//      register-tiled kernel.
// Stopping each panel at its last non-zero row is what exploits the narrow
// profile a renumbered mesh leaves inside its band: the work then follows the
// profile, not kd. Inside the band storage, entry (i,j) is a[j*kd + i] for
// 0 <= i-j <= kd (a column-major matrix with leading dimension kd), which lets
// the kernel address band columns as plain dense columns.
#include "solver/band_llt.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "interface/caller_arrays.h"
#include "interface/status.h"

namespace bsp {
namespace {

// Columns per panel. 32 keeps a panel of a kd = 500 band (532 x 32 doubles,
// 136 KB) in L2 and makes the panel factorisation ~6 % of the work at
// kd = 500; tuned with bench/solver/band_llt_bench.cpp.
constexpr std::int64_t panel_columns = 32;
// Register tile of the update kernel: mr rows (three 4-wide vectors) by nr
// columns, 12 accumulators, which fits the 16 vector registers of AVX2.
constexpr std::int64_t tile_rows = 12;
constexpr std::int64_t tile_cols = 4;
// Below this many trailing columns a panel's update is too small to share
// between threads (a barrier costs about as much as ~10^4 multiply-adds).
constexpr std::int64_t parallel_min_trailing = 48;

// Four doubles, one AVX register. The helpers below are always inlined into
// factor_blocked, whose clones fix the instruction set, so the ABI note GCC
// gives for vector arguments of a non-AVX function never applies.
#pragma GCC diagnostic ignored "-Wpsabi"
using v4d = double __attribute__((vector_size(32)));

[[gnu::always_inline]] inline v4d load4(const double* p) {
  v4d v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
[[gnu::always_inline]] inline void store4(double* p, v4d v) { std::memcpy(p, &v, sizeof v); }

// acc(r, j) = sum_k x[r + k*ldx] * y[j + k*ldy], r < tile_rows, j < tile_cols.
struct Tile {
  v4d acc[3][tile_cols];
};

[[gnu::always_inline]] inline void tile_dot(const double* x, std::int64_t ldx, const double* y, std::int64_t ldy,
                                           std::int64_t kcount, Tile& t) {
  v4d c00{}, c01{}, c02{}, c03{}, c10{}, c11{}, c12{}, c13{}, c20{}, c21{}, c22{}, c23{};
  for (std::int64_t k = 0; k < kcount; ++k) {
    const double* xk = x + k * ldx;
    const double* yk = y + k * ldy;
    const v4d a0 = load4(xk), a1 = load4(xk + 4), a2 = load4(xk + 8);
    v4d b = v4d{} + yk[0];
    c00 += a0 * b, c10 += a1 * b, c20 += a2 * b;
    b = v4d{} + yk[1];
    c01 += a0 * b, c11 += a1 * b, c21 += a2 * b;
    b = v4d{} + yk[2];
    c02 += a0 * b, c12 += a1 * b, c22 += a2 * b;
    b = v4d{} + yk[3];
    c03 += a0 * b, c13 += a1 * b, c23 += a2 * b;
  }
  t.acc[0][0] = c00, t.acc[0][1] = c01, t.acc[0][2] = c02, t.acc[0][3] = c03;
  t.acc[1][0] = c10, t.acc[1][1] = c11, t.acc[1][2] = c12, t.acc[1][3] = c13;
  t.acc[2][0] = c20, t.acc[2][1] = c21, t.acc[2][2] = c22, t.acc[2][3] = c23;
}

[[gnu::always_inline]] inline void tile_subtract(double* c, std::int64_t ldc, const Tile& t) {
  for (std::int64_t j = 0; j < tile_cols; ++j)
    for (std::int64_t v = 0; v < 3; ++v) store4(c + j * ldc + 4 * v, load4(c + j * ldc + 4 * v) - t.acc[v][j]);
}

// Subtracts only the entries with row >= row_min(j) and row < rows, col < cols.
[[gnu::always_inline]] inline void tile_subtract_masked(double* c, std::int64_t ldc, const Tile& t, std::int64_t rows,
                                                        std::int64_t cols, std::int64_t diagonal_offset) {
  alignas(32) double buf[tile_cols][tile_rows];
  for (std::int64_t j = 0; j < tile_cols; ++j)
    for (std::int64_t v = 0; v < 3; ++v) store4(&buf[j][4 * v], t.acc[v][j]);
  for (std::int64_t j = 0; j < cols; ++j)
    for (std::int64_t r = std::max<std::int64_t>(0, j - diagonal_offset); r < rows; ++r) c[j * ldc + r] -= buf[j][r];
}

// C(r, j) -= sum_k X(r, k) * Y(j, k) for the lower triangle r >= j of an
// m x m block: X is m rows of a column-major array (ldx) padded with at least
// tile_rows zero rows below row m, Y = X. C has leading dimension ldc and its
// entries above the diagonal must not be written (they alias other band
// columns). Column tiles [c_begin, c_end) only, so threads can share a block.
[[gnu::always_inline]] inline void lower_update(const double* x, std::int64_t ldx, std::int64_t kcount, double* c,
                                                std::int64_t ldc, std::int64_t m, std::int64_t c_begin,
                                                std::int64_t c_end) {
  Tile t;
  for (std::int64_t c0 = c_begin; c0 < c_end; c0 += tile_cols) {
    const std::int64_t cols = std::min(tile_cols, m - c0);
    for (std::int64_t r0 = c0; r0 < m; r0 += tile_rows) {
      tile_dot(x + r0, ldx, x + c0, ldx, kcount, t);
      double* cc = c + c0 * ldc + r0;
      if (r0 + tile_rows <= m && r0 >= c0 + tile_cols && cols == tile_cols)
        tile_subtract(cc, ldc, t);
      else
        tile_subtract_masked(cc, ldc, t, std::min(tile_rows, m - r0), cols, r0 - c0);
    }
  }
}

// Dense work copy of one panel: rows j0..j0+rows-1 of columns j0..j0+cols-1,
// column-major with ld = rows + tile_rows and the column count rounded up to
// whole tiles; the zero padding lets every kernel call run on full tiles.
struct Panel {
  std::int64_t j0 = 0, cols = 0, rows = 0, ld = 0;
  std::vector<double> p;
  double& operator()(std::int64_t i, std::int64_t k) { return p[static_cast<std::size_t>(k * ld + i)]; }
};

// Last row (global) holding a non-zero in columns j0..j0+cols-1, at least the
// panel's own last column.
std::int64_t panel_extent(std::int64_t n, std::int64_t kd, const double* a, std::int64_t j0, std::int64_t cols) {
  const std::int64_t ld = kd + 1;
  std::int64_t last = j0 + cols - 1;
  for (std::int64_t k = j0; k < j0 + cols; ++k) {
    const double* col = a + k * ld;
    for (std::int64_t i = std::min(n - 1, k + kd); i > last; --i)
      if (col[i - k] != 0.0) {
        last = i;
        break;
      }
  }
  return last;
}

void load_panel(std::int64_t n, std::int64_t kd, const double* a, std::int64_t j0, std::int64_t cols, Panel& pn) {
  const std::int64_t ld = kd + 1;
  pn.j0 = j0;
  pn.cols = cols;
  pn.rows = panel_extent(n, kd, a, j0, cols) - j0 + 1;
  pn.ld = pn.rows + tile_rows;
  const std::int64_t cols_padded = (cols + tile_cols - 1) / tile_cols * tile_cols;
  pn.p.assign(static_cast<std::size_t>(pn.ld * cols_padded), 0.0);
  for (std::int64_t k = 0; k < cols; ++k) {
    const std::int64_t last = std::min(pn.rows - 1, k + kd);  // band ends at row k + kd
    std::memcpy(&pn(k, k), a + (j0 + k) * ld, static_cast<std::size_t>(last - k + 1) * sizeof(double));
  }
}

void store_panel(std::int64_t kd, double* a, Panel& pn) {
  const std::int64_t ld = kd + 1;
  for (std::int64_t k = 0; k < pn.cols; ++k) {
    const std::int64_t last = std::min(pn.rows - 1, k + kd);
    std::memcpy(a + (pn.j0 + k) * ld, &pn(k, k), static_cast<std::size_t>(last - k + 1) * sizeof(double));
  }
}

void take_pivot(double& d, std::int64_t column, BandFactorReport& report) {
  if (!(d > 0.0)) {
    if (report.replaced_pivots++ == 0) report.first_replaced_column = column;
    d = band_pivot_floor;
  }
  d = std::sqrt(d);
}

// Factorises the panel in place: left-looking over groups of tile_cols
// columns (the group's update from all earlier panel columns is a kernel
// call), right-looking inside a group.
[[gnu::always_inline]] inline void factor_panel(Panel& pn, BandFactorReport& report) {
  const std::int64_t ld = pn.ld, rows = pn.rows;
  double* p = pn.p.data();
  Tile t;
  for (std::int64_t g0 = 0; g0 < pn.cols; g0 += tile_cols) {
    const std::int64_t g = std::min(tile_cols, pn.cols - g0);
    if (g0 > 0) {
      // Rows g0.. of the group; entries above the group's diagonal are scratch
      // in the work array, so whole tiles can be written.
      for (std::int64_t r0 = g0; r0 < rows; r0 += tile_rows) {
        tile_dot(p + r0, ld, p + g0, ld, g0, t);
        tile_subtract(p + g0 * ld + r0, ld, t);
      }
    }
    for (std::int64_t j = g0; j < g0 + g; ++j) {
      double* cj = p + j * ld;
      take_pivot(cj[j], pn.j0 + j, report);
      const double r = 1.0 / cj[j];
      for (std::int64_t i = j + 1; i < rows; ++i) cj[i] *= r;
      for (std::int64_t jj = j + 1; jj < g0 + g; ++jj) {
        const double l = cj[jj];
        if (l == 0.0) continue;
        double* cjj = p + jj * ld;
        for (std::int64_t i = jj; i < rows; ++i) cjj[i] -= cj[i] * l;
      }
    }
  }
}

// Rank-cols update of the trailing triangle below and right of the panel,
// column tiles [c_begin, c_end) of it.
[[gnu::always_inline]] inline void update_trailing(std::int64_t kd, double* a, const Panel& pn, std::int64_t c_begin,
                                                   std::int64_t c_end) {
  const std::int64_t m = pn.rows - pn.cols;
  if (m <= 0) return;
  const std::int64_t first = pn.j0 + pn.cols;
  lower_update(pn.p.data() + pn.cols, pn.ld, pn.cols, a + first * kd + first, kd, m, c_begin, c_end);
}

BandFactorReport factor_diagonal(std::int64_t n, double* a) {
  BandFactorReport report;
  for (std::int64_t j = 0; j < n; ++j) take_pivot(a[j], j, report);
  return report;
}

// The whole factorisation, compiled once per instruction set; threads == 1
// is the serial routine.
[[gnu::target_clones("arch=x86-64-v3", "default")]] BandFactorReport factor_blocked(std::int64_t n, std::int64_t kd,
                                                                                       double* a, int threads) {
  if (kd == 0) return factor_diagonal(n, a);
  BandFactorReport report;
  Panel pn;
  if (threads < 2) {
    for (std::int64_t j0 = 0; j0 < n; j0 += panel_columns) {
      load_panel(n, kd, a, j0, std::min(panel_columns, n - j0), pn);
      factor_panel(pn, report);
      store_panel(kd, a, pn);
      const std::int64_t m = pn.rows - pn.cols;
      update_trailing(kd, a, pn, 0, m);
    }
    return report;
  }
  // One team for the whole factorisation. The panel is factorised by one
  // thread; the trailing update is split by column tiles with equal shares of
  // the triangle's area (column c costs m - c), then a barrier.
#pragma omp parallel num_threads(threads)
  {
    const int team = omp_get_num_threads();
    const int me = omp_get_thread_num();
    for (std::int64_t j0 = 0; j0 < n; j0 += panel_columns) {
#pragma omp single
      {
        load_panel(n, kd, a, j0, std::min(panel_columns, n - j0), pn);
        factor_panel(pn, report);
        store_panel(kd, a, pn);
      }  // implicit barrier: the panel is visible to all
      const std::int64_t m = pn.rows - pn.cols;
      if (m < parallel_min_trailing || team < 2) {
        if (me == 0) update_trailing(kd, a, pn, 0, m);
      } else {
        // Tile boundaries where the remaining area m^2/2 is cut in team equal
        // parts: sum_{c<b} (m - c) = share * m^2 / 2.
        const double total = 0.5 * static_cast<double>(m) * static_cast<double>(m);
        const auto boundary = [&](int t) -> std::int64_t {
          if (t <= 0) return 0;
          if (t >= team) return m;
          const double area = total * t / team;
          const double b = m - std::sqrt(std::max(0.0, static_cast<double>(m) * m - 2.0 * area));
          return std::min(m, (static_cast<std::int64_t>(b) + tile_cols - 1) / tile_cols * tile_cols);
        };
        update_trailing(kd, a, pn, boundary(me), boundary(me + 1));
      }
#pragma omp barrier
    }
  }
  return report;
}

}  // namespace

BandFactorReport BAND_LLT_DECOMP(std::int64_t n, std::int64_t kd, double* a) {
  if (n < 1) return {};
  return factor_blocked(n, kd, a, 1);
}

BandFactorReport BAND_LLT_DECOMP_PARALLEL(std::int64_t n, std::int64_t ld, double* a, int threads) {
  if (n < 1) return {};
  return factor_blocked(n, ld - 1, a, std::max(threads, 1));
}

void BAND_LLT_SOLVE(std::int64_t n, std::int64_t nrhs, std::int64_t kd, const double* l, double* b) {
  if (n < 1 || nrhs < 1) return;
  const std::int64_t ld = kd + 1;
  for (std::int64_t c = 0; c < nrhs; ++c) {
    double* x = b + c * n;
    // Forward, column-oriented: a zero x(j) has nothing to spread, which is
    // common for load vectors that live on part of a section only.
    for (std::int64_t j = 0; j < n; ++j) {
      const double* col = l + j * ld;
      x[j] /= col[0];
      const double xj = x[j];
      if (xj == 0.0) continue;
      const std::int64_t m = std::min(kd, n - 1 - j);
      for (std::int64_t i = 1; i <= m; ++i) x[j + i] -= col[i] * xj;
    }
    // Backward with L^T: a dot product down each column.
    for (std::int64_t j = n - 1; j >= 0; --j) {
      const double* col = l + j * ld;
      const std::int64_t m = std::min(kd, n - 1 - j);
      double s = x[j];
      for (std::int64_t i = 1; i <= m; ++i) s -= col[i] * x[j + i];
      x[j] = s / col[0];
    }
  }
}

void BandSystem::allocate(std::int64_t n_, std::int64_t kd_) {
  if (n_ < 0 || kd_ < 0) throw CallError(Status::solver_error, "band matrix with a negative size");
  const auto size = kd_ < INT64_MAX ? checked_size(n_, kd_ + 1) : std::nullopt;
  if (!size) throw CallError(Status::solver_error, "band matrix larger than the address space");
  band.assign(*size, 0.0);
  n = n_;
  kd = kd_;
  factorised = false;
  report = {};
}

void solve_band_system(BandSystem& sys, double* rhs, std::int64_t nrhs, int threads) {
  if (!sys.factorised) {
    sys.report = threads < 2 ? BAND_LLT_DECOMP(sys.n, sys.kd, sys.band.data())
                             : BAND_LLT_DECOMP_PARALLEL(sys.n, sys.kd + 1, sys.band.data(), threads);
    sys.factorised = true;
  }
  BAND_LLT_SOLVE(sys.n, nrhs, sys.kd, sys.band.data(), rhs);
}

}  // namespace bsp
