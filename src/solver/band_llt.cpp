// Blocked band Cholesky. The factor is the one of the column algorithm
//
//   for j: d = A(j,j) (d <= 0 -> band_pivot_floor); L(j,j) = sqrt(d);
//          L(j+1..j+kd, j) = A(..)/L(j,j); trailing triangle -= l*l^T
//
// with the same pivot rule; only the order in which the rank-1 updates are
// summed differs (to rounding). Columns are taken nb at a time:
//   1. the panel (nb columns, rows down to the last non-zero any of them holds)
//      is copied into a dense work array with the out-of-band corner zeroed,
//   2. factorised there, left-looking in groups of tile_cols columns,
//   3. copied back, and
//   4. its rank-nb update is applied to the trailing triangle with a
//      register-tiled kernel.
// A row's leading zeros stay zero in the factor, so every tile starts its sum
// at the first non-zero column of its rows and tiles with nothing to add are
// skipped; with the panel stopping at its last non-zero row, the work follows
// the narrow profile a renumbered mesh leaves inside its band, not kd. This
// generalises the column algorithm's skipping of zero multipliers. Inside
// the band storage, entry (i,j) is a[j*kd + i] for 0 <= i-j <= kd (a
// column-major matrix with leading dimension kd), which lets the kernel
// address band columns as plain dense columns. The kernel is compiled twice,
// for AVX2 with FMA and for the baseline instruction set, and the processor
// picks one at load time.
#include "solver/band_llt.h"

#include <omp.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "common/checked_size.h"
#include "common/status.h"
#include "solver/vector4.h"

namespace bsp {
namespace {

// Columns per panel: 32, or 64 from a half-bandwidth of wide_panel_band on.
// A wider panel halves the passes over the trailing triangle (memory
// traffic per multiply-add) but makes the panel factorisation, which the
// parallel routine does on one thread, a larger share. Measured with
// bench/solver/band_llt_bench.cpp: at kd = 500, 64 columns were 10 % faster
// serially and 0.56 instead of 0.64 of serial on two threads; at kd = 250
// they were slower on two threads (0.91 instead of 0.76).
constexpr std::int64_t panel_columns = 32;
constexpr std::int64_t wide_panel_columns = 64;
constexpr std::int64_t wide_panel_band = 400;

constexpr std::int64_t panel_width(std::int64_t kd) { return kd >= wide_panel_band ? wide_panel_columns : panel_columns; }

// Register tile of the update kernel: mr rows (three 4-wide vectors) by nr
// columns, 12 accumulators, which fits the 16 vector registers of AVX2.
constexpr int tile_vectors = 3;
constexpr std::int64_t tile_rows = 4 * tile_vectors;
constexpr std::int64_t tile_cols = 4;
// Below this many trailing columns beyond the lookahead a panel's update is
// too small to share: handing it over costs about as much as ~10^5
// multiply-adds on a virtual machine. A matrix whose columns reach on
// average fewer than parallel_min_height rows below the diagonal (sampled on
// parallel_height_samples columns) has too few such panels to repay starting
// the team (~0.1 ms), so it takes the serial loop. All three measured with
// bench/solver/band_llt_bench.cpp: renumbered meshes with mean column heights
// of 97-103 ran 5-9 % slower on two threads, heights of 166 and more faster.
constexpr std::int64_t parallel_min_trailing = 96;
constexpr std::int64_t parallel_min_height = 128;
constexpr std::int64_t parallel_height_samples = 64;
// A waiting thread first spins this many pause instructions (tens of cycles
// each, so about one chunk of work), then yields the core this many times,
// then blocks. Spinning longer starves the other thread whenever the
// machine gives both only one core.
constexpr int parallel_spins = 500;
constexpr int parallel_yields = 50;
// Trailing columns a thread claims at a time: four tiles, small enough to
// balance two threads over a 500-column triangle.
constexpr std::int64_t parallel_chunk = 4 * tile_cols;


// acc(r, j) = sum_k x[r + k*ldx] * y[j + k*ldy], r < tile_rows, j < tile_cols.
struct Tile {
  v4d acc[tile_vectors][tile_cols];
};

[[gnu::always_inline]] inline void tile_dot(const double* x, std::int64_t ldx, const double* y, std::int64_t ldy,
                                           std::int64_t kcount, Tile& t) {
  Tile c{};
  for (std::int64_t k = 0; k < kcount; ++k) {
    const double* xk = x + k * ldx;
    const double* yk = y + k * ldy;
    v4d a[tile_vectors];
    for (int v = 0; v < tile_vectors; ++v) a[v] = load4(xk + 4 * v);
    for (std::int64_t j = 0; j < tile_cols; ++j) {
      const v4d b = v4d{} + yk[j];
      for (int v = 0; v < tile_vectors; ++v) c.acc[v][j] += a[v] * b;
    }
  }
  t = c;
}

[[gnu::always_inline]] inline void tile_subtract(double* c, std::int64_t ldc, const Tile& t) {
  for (std::int64_t j = 0; j < tile_cols; ++j)
    for (std::int64_t v = 0; v < tile_vectors; ++v)
      store4(c + j * ldc + 4 * v, load4(c + j * ldc + 4 * v) - t.acc[v][j]);
}

// Subtracts only rows [max(0, j - diagonal_offset), rows) of tile columns
// j < cols: a diagonal tile must not touch the entries above the diagonal,
// which alias other band columns, and a tile at the foot of the block must
// not run past its last row. Whole vectors where they fit, lanes otherwise.
[[gnu::always_inline]] inline void tile_subtract_masked(double* c, std::int64_t ldc, const Tile& t, std::int64_t rows,
                                                        std::int64_t cols, std::int64_t diagonal_offset) {
  for (std::int64_t j = 0; j < cols; ++j) {
    const std::int64_t lo = std::max<std::int64_t>(0, j - diagonal_offset);
    double* cj = c + j * ldc;
    for (std::int64_t v = 0; v < tile_vectors && 4 * v < rows; ++v) {
      const std::int64_t base = 4 * v;
      if (base >= lo && base + 4 <= rows) {
        store4(cj + base, load4(cj + base) - t.acc[v][j]);
      } else {
        for (std::int64_t r = std::max(lo, base); r < std::min(rows, base + 4); ++r) cj[r] -= t.acc[v][j][r - base];
      }
    }
  }
}

// C(r, j) -= sum_k X(r, k) * Y(j, k) for the lower triangle r >= j of an
// m x m block, Y = X: X is m rows of a column-major array (ldx) padded with
// at least tile_rows zero rows below row m. X(r, k) is zero for k < kfirst[r]
// (the row's profile), so each tile starts its sum at the largest first
// column of its rows and columns, and a tile with nothing to add is skipped;
// this is where a narrow profile inside a wide band saves its work. C has
// leading dimension ldc and its entries above the diagonal must not be written
// (they alias other band columns). Column tiles [c_begin, c_end) only, so
// threads can share a block.
[[gnu::always_inline]] inline void lower_update(const double* x, std::int64_t ldx, std::int64_t kcount,
                                                const std::int64_t* kfirst, double* c, std::int64_t ldc,
                                                std::int64_t m, std::int64_t c_begin, std::int64_t c_end) {
  Tile t;
  for (std::int64_t c0 = c_begin; c0 < c_end; c0 += tile_cols) {
    const std::int64_t cols = std::min(tile_cols, m - c0);
    const std::int64_t col_first = *std::min_element(kfirst + c0, kfirst + c0 + cols);
    for (std::int64_t r0 = c0; r0 < m; r0 += tile_rows) {
      const std::int64_t rows = std::min(tile_rows, m - r0);
      const std::int64_t k0 = std::max(col_first, *std::min_element(kfirst + r0, kfirst + r0 + rows));
      if (k0 >= kcount) continue;
      tile_dot(x + r0 + k0 * ldx, ldx, x + c0 + k0 * ldx, ldx, kcount - k0, t);
      double* cc = c + c0 * ldc + r0;
      if (rows == tile_rows && r0 >= c0 + tile_cols && cols == tile_cols)
        tile_subtract(cc, ldc, t);
      else
        tile_subtract_masked(cc, ldc, t, rows, cols, r0 - c0);
    }
  }
}

// Dense work copy of one panel: rows j0..j0+rows-1 of columns j0..j0+cols-1,
// column-major with ld = rows + tile_rows and the column count rounded up to
// whole tiles; the zero padding lets every kernel call run on full tiles.
struct Panel {
  std::int64_t j0 = 0, cols = 0, rows = 0, ld = 0;
  std::vector<double> p;
  std::vector<std::int64_t> kfirst;  // per row (ld entries): first non-zero column, cols if none
  double& operator()(std::int64_t i, std::int64_t k) { return p[static_cast<std::size_t>(k * ld + i)]; }
};

// Index of the last non-zero of x[0..len), or -1. Reads the whole column
// front to back: consecutive band columns are adjacent in memory, so the
// panel's columns form one stream the hardware prefetcher follows, where a
// backward search stopping at the first non-zero would start a new stream,
// and wait for memory, in every column.
[[gnu::always_inline]] inline std::int64_t last_nonzero(const double* x, std::int64_t len) {
  const v4d zero{};
  std::int64_t last_block = -1;
  std::int64_t i = 0;
  for (; i + 4 <= len; i += 4) {
    const auto nz = load4(x + i) != zero;
    last_block = (nz[0] | nz[1] | nz[2] | nz[3]) ? i : last_block;
  }
  for (std::int64_t r = len - 1; r >= i; --r)
    if (x[r] != 0.0) return r;
  if (last_block < 0) return -1;
  for (std::int64_t r = last_block + 3; r > last_block; --r)
    if (x[r] != 0.0) return r;
  return last_block;
}

[[gnu::always_inline]] inline void load_panel(std::int64_t n, std::int64_t kd, const double* a, std::int64_t j0,
                                              std::int64_t cols, Panel& pn) {
  const std::int64_t ld = kd + 1;
  // Local last non-zero row of each column; the panel reaches the largest.
  std::int64_t col_last[wide_panel_columns];
  std::int64_t rows = cols;
  for (std::int64_t k = 0; k < cols; ++k) {
    const std::int64_t len = std::min(kd, n - 1 - (j0 + k)) + 1;
    col_last[k] = k + std::max<std::int64_t>(0, last_nonzero(a + (j0 + k) * ld, len));
    rows = std::max(rows, col_last[k] + 1);
  }
  pn.j0 = j0;
  pn.cols = cols;
  pn.rows = rows;
  pn.ld = pn.rows + tile_rows;
  const std::int64_t cols_padded = (cols + tile_cols - 1) / tile_cols * tile_cols;
  pn.p.assign(static_cast<std::size_t>(pn.ld * cols_padded), 0.0);
  // A row's leading zeros stay zero in the factor (no fill left of the first
  // non-zero), so the first non-zero column of each loaded row bounds every
  // sum that row takes part in, here and in the trailing update.
  pn.kfirst.assign(static_cast<std::size_t>(pn.ld), cols);
  std::int64_t* kfirst = pn.kfirst.data();
  for (std::int64_t k = cols - 1; k >= 0; --k) {
    const double* src = a + (j0 + k) * ld;
    double* dst = &pn(k, k);
    for (std::int64_t i = 0; i <= col_last[k] - k; ++i) {
      dst[i] = src[i];
      if (src[i] != 0.0) kfirst[k + i] = k;
    }
  }
}

void store_panel(std::int64_t kd, double* a, Panel& pn) {
  const std::int64_t ld = kd + 1;
  for (std::int64_t k = 0; k < pn.cols; ++k) {
    const std::int64_t last = std::min(pn.rows - 1, k + kd);
    std::memcpy(a + (pn.j0 + k) * ld, &pn(k, k), static_cast<std::size_t>(last - k + 1) * sizeof(double));
  }
}

void take_pivot(double& d) {
  if (!(d > 0.0)) d = band_pivot_floor;
  d = std::sqrt(d);
}

// Factorises the panel in place: left-looking over groups of tile_cols
// columns (the group's update from all earlier panel columns is a kernel
// call), right-looking inside a group.
[[gnu::always_inline]] inline void factor_panel(Panel& pn) {
  const std::int64_t ld = pn.ld, rows = pn.rows;
  double* p = pn.p.data();
  const std::int64_t* kfirst = pn.kfirst.data();
  Tile t;
  for (std::int64_t g0 = 0; g0 < pn.cols; g0 += tile_cols) {
    const std::int64_t g = std::min(tile_cols, pn.cols - g0);
    const std::int64_t group_first = *std::min_element(kfirst + g0, kfirst + g0 + g);
    // Rows g0.. of the group; entries above the group's diagonal are scratch
    // in the work array, so whole tiles can be written.
    for (std::int64_t r0 = g0; r0 < rows && group_first < g0; r0 += tile_rows) {
      const std::int64_t k0 =
          std::max(group_first, *std::min_element(kfirst + r0, kfirst + std::min(rows, r0 + tile_rows)));
      if (k0 >= g0) continue;
      tile_dot(p + r0 + k0 * ld, ld, p + g0 + k0 * ld, ld, g0 - k0, t);
      tile_subtract(p + g0 * ld + r0, ld, t);
    }
    for (std::int64_t j = g0; j < g0 + g; ++j) {
      double* cj = p + j * ld;
      take_pivot(cj[j]);
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
  lower_update(pn.p.data() + pn.cols, pn.ld, pn.cols, pn.kfirst.data() + pn.cols, a + first * kd + first, kd, m, c_begin,
               c_end);
}

void factor_diagonal(std::int64_t n, double* a) {
  for (std::int64_t j = 0; j < n; ++j) take_pivot(a[j]);
}

[[gnu::always_inline]] inline void next_panel(std::int64_t n, std::int64_t kd, double* a, std::int64_t j0, Panel& pn) {
  load_panel(n, kd, a, j0, std::min(panel_width(kd), n - j0), pn);
  factor_panel(pn);
  store_panel(kd, a, pn);
}

// Mean distance from the diagonal to the last non-zero of evenly spaced
// columns: a cheap estimate of how much of the band the work follows.
[[gnu::always_inline]] inline std::int64_t mean_column_height(std::int64_t n, std::int64_t kd, const double* a) {
  if (kd < parallel_min_height) return kd;
  std::int64_t sum = 0;
  for (std::int64_t q = 0; q < parallel_height_samples; ++q) {
    const std::int64_t j = q * (n - 1) / (parallel_height_samples - 1);
    sum += std::max<std::int64_t>(0, last_nonzero(a + j * (kd + 1), std::min(kd, n - 1 - j) + 1));
  }
  return sum / parallel_height_samples;
}

// One step of the parallel factorisation as the threads see it.
struct Step {
  std::atomic<std::int64_t> claimed{0}, done{0};
  std::int64_t ahead = 0, chunks = 0;  // written before the step is published
};

// Claims and applies chunks of a step's trailing update until none is left.
// A plain function, not a lambda: a lambda's body is a function of its own,
// compiled for the default instruction set rather than the caller's clone.
[[gnu::always_inline]] inline void work_chunks(Step& st, std::int64_t kd, double* a, const Panel& pn) {
  for (;;) {
    const std::int64_t i = st.claimed.fetch_add(1, std::memory_order_relaxed);
    if (i >= st.chunks) return;
    const std::int64_t c0 = st.ahead + i * parallel_chunk;
    update_trailing(kd, a, pn, c0, std::min(pn.rows - pn.cols, c0 + parallel_chunk));
    if (st.done.fetch_add(1, std::memory_order_release) + 1 == st.chunks) st.done.notify_all();
  }
}

// The whole factorisation, compiled once per instruction set.
[[gnu::target_clones("arch=x86-64-v3", "default")]] void factor_blocked(std::int64_t n, std::int64_t kd, double* a,
                                                                           int threads) {
  if (kd == 0) return factor_diagonal(n, a);
  if (threads < 2 || mean_column_height(n, kd, a) < parallel_min_height) {
    Panel pn;
    for (std::int64_t j0 = 0; j0 < n; j0 += panel_width(kd)) {
      next_panel(n, kd, a, j0, pn);
      update_trailing(kd, a, pn, 0, pn.rows - pn.cols);
    }
    return;
  }
  // Right-looking with a lookahead of one panel. At step s the lead thread
  // first applies panel s's update to the columns of panel s+1 and factorises
  // that panel, while the other threads already work through the rest of
  // panel s's trailing update in chunks claimed from a counter; the lead then
  // claims chunks too and, before step s+1, waits until every chunk of step s
  // is finished (successive updates of one entry stay in order and never
  // overlap). Nobody waits for a thread that holds no chunk, so a helper the
  // machine has descheduled delays nothing: the lead simply takes its share.
  // Every entry sees the same tile arithmetic as in the serial loop, so the
  // factor is the serial one bit for bit.
  const std::int64_t nb = panel_width(kd);
  const std::int64_t steps = (n + nb - 1) / nb;
  std::vector<Step> step(static_cast<std::size_t>(steps));
  std::atomic<std::int64_t> published{0};  // steps whose chunks may be claimed
  Panel panels[2];
  next_panel(n, kd, a, 0, panels[0]);
  // Waits spin briefly first: the other side is usually a chunk (~10 us)
  // away, and waking a thread blocked in the kernel takes longer than that on
  // a virtual machine. Then they yield, which hands the core over at once
  // when both threads share one (a busy machine), and finally block.
  const auto await = [](const auto& done, const auto& block) {
    for (int i = 0; i < parallel_spins; ++i) {
      if (done()) return;
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
    }
    for (int i = 0; i < parallel_yields; ++i) {
      if (done()) return;
      std::this_thread::yield();
    }
    while (!done()) block();
  };
#pragma omp parallel num_threads(threads)
  {
    if (omp_get_thread_num() == 0) {
      for (std::int64_t s = 0; s < steps; ++s) {
        Step& st = step[static_cast<std::size_t>(s)];
        const Panel& pn = panels[s % 2];
        const std::int64_t m = pn.rows - pn.cols;
        const std::int64_t j_next = pn.j0 + nb;
        // Columns of the next panel, rounded to whole tiles; all of it when
        // the rest is too small to be worth sharing.
        std::int64_t ahead = std::min(m, (std::min(nb, n - j_next) + tile_cols - 1) / tile_cols * tile_cols);
        if (m - ahead < parallel_min_trailing) ahead = m;
        st.ahead = ahead;
        st.chunks = (m - ahead + parallel_chunk - 1) / parallel_chunk;
        // Only a step with chunks to share wakes a helper; a sleeping helper
        // skips the others when it next wakes.
        published.store(s + 1, std::memory_order_release);
        if (st.chunks > 0) published.notify_all();
        update_trailing(kd, a, pn, 0, ahead);
        if (j_next < n) next_panel(n, kd, a, j_next, panels[(s + 1) % 2]);
        work_chunks(st, kd, a, pn);
        await([&] { return st.done.load(std::memory_order_acquire) == st.chunks; },
              [&] {
                const std::int64_t d = st.done.load(std::memory_order_acquire);
                if (d != st.chunks) st.done.wait(d, std::memory_order_acquire);
              });
      }
      published.notify_all();  // lets sleeping helpers run out of steps
    } else {
      for (std::int64_t s = 0; s < steps;) {
        await([&] { return published.load(std::memory_order_acquire) > s; },
              [&] {
                const std::int64_t p = published.load(std::memory_order_acquire);
                if (p <= s) published.wait(p, std::memory_order_acquire);
              });
        // A claim succeeds only while its step is unfinished, and the lead
        // keeps that step's panel until then.
        for (const std::int64_t upto = published.load(std::memory_order_acquire); s < upto; ++s)
          work_chunks(step[static_cast<std::size_t>(s)], kd, a, panels[s % 2]);
      }
    }
  }
}

}  // namespace

void BAND_LLT_DECOMP(std::int64_t n, std::int64_t kd, double* a) {
  if (n < 1 || kd < 0) return;
  factor_blocked(n, kd, a, 1);
}

void BAND_LLT_DECOMP_PARALLEL(std::int64_t n, std::int64_t ld, double* a, int threads) {
  if (n < 1 || ld < 1) return;
  factor_blocked(n, ld - 1, a, std::max(threads, 1));
}

namespace {

// Right-hand sides a sweep carries at once: each band column read serves all
// of them from the first level cache.
constexpr std::int64_t solve_block = 4;

// Partial sums of the backward sweep's dot products: term i goes to sum
// (i - 1) % dot_lanes, so that the additions of one column form independent
// chains (in vector registers) instead of one chain of latency-bound steps.
constexpr std::int64_t dot_lanes = 4;

// sum over i = 1 .. m of col[i] * x[i], with term i in lane (i - 1) % dot_lanes
// and the lanes added pairwise at the end. A term with col[i] = 0 adds a zero
// to its lane and changes no bit (apart from the sign of a zero sum), so a
// sum over a longer run of exact zeros beyond m gives the same value.
inline double lane_dot(const double* col, const double* x, std::int64_t m) {
  double lane[dot_lanes] = {0.0, 0.0, 0.0, 0.0};
  std::int64_t i = 1;
  for (; i + dot_lanes - 1 <= m; i += dot_lanes)
    for (std::int64_t k = 0; k < dot_lanes; ++k) lane[k] += col[i + k] * x[i + k];
  for (std::int64_t k = 0; i <= m; ++i, ++k) lane[k] += col[i] * x[i];
  return (lane[0] + lane[1]) + (lane[2] + lane[3]);
}

// Forward and backward substitution of up to solve_block right-hand sides in
// one pass over the factor each. Column j is used down to row reach(j) only;
// below it the factor holds exact zeros (no fill left of a row's first
// non-zero), so leaving them out changes no bit of the result (apart from
// the sign of a zero). Per right-hand side the operations and their order
// are the same whatever the block holds, zero skipping of the forward sweep
// included, so a block gives the column-by-column results bit for bit. The
// forward updates are independent element by element; the backward dot
// products are summed in lanes (lane_dot), which rounds differently from one
// running sum, by a few units in the last place.
template <class Reach>
void solve_block_sweep(std::int64_t n, std::int64_t cols, std::int64_t kd, const double* l, double* b, Reach reach) {
  const std::int64_t ld = kd + 1;
  double* x[solve_block];
  for (std::int64_t c = 0; c < cols; ++c) x[c] = b + c * n;
  for (std::int64_t j = 0; j < n; ++j) {
    const double* col = l + j * ld;
    const std::int64_t m = reach(j) - j;
    for (std::int64_t c = 0; c < cols; ++c) {
      double* xc = x[c];
      xc[j] /= col[0];
      const double v = xc[j];
      if (v == 0.0) continue;
      for (std::int64_t i = 1; i <= m; ++i) xc[j + i] -= col[i] * v;
    }
  }
  for (std::int64_t j = n - 1; j >= 0; --j) {
    const double* col = l + j * ld;
    const std::int64_t m = reach(j) - j;
    for (std::int64_t c = 0; c < cols; ++c) x[c][j] = (x[c][j] - lane_dot(col, x[c] + j, m)) / col[0];
  }
}

template <class Reach>
void solve_all(std::int64_t n, std::int64_t nrhs, std::int64_t kd, const double* l, double* b, Reach reach) {
  for (std::int64_t c0 = 0; c0 < nrhs; c0 += solve_block)
    solve_block_sweep(n, std::min(solve_block, nrhs - c0), kd, l, b + c0 * n, reach);
}

}  // namespace

void BAND_LLT_SOLVE(std::int64_t n, std::int64_t nrhs, std::int64_t kd, const double* l, double* b) {
  if (n < 1 || nrhs < 1 || kd < 0) return;
  solve_all(n, nrhs, kd, l, b, [n, kd](std::int64_t j) { return std::min(j + kd, n - 1); });
}

void BAND_LLT_SOLVE(std::int64_t n, std::int64_t nrhs, std::int64_t kd, const double* l, double* b,
                    std::span<const std::int64_t> reach) {
  if (n < 1 || nrhs < 1 || kd < 0) return;
  if (static_cast<std::int64_t>(reach.size()) != n) return BAND_LLT_SOLVE(n, nrhs, kd, l, b);
  const std::int64_t* r = reach.data();
  solve_all(n, nrhs, kd, l, b, [r, n, kd](std::int64_t j) { return std::min({r[j], j + kd, n - 1}); });
}

std::vector<std::int64_t> band_factor_reach(std::int64_t n, int npe, std::int64_t n_elements,
                                            const std::int32_t* connectivity) {
  std::vector<std::int64_t> reach(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)));
  for (std::int64_t j = 0; j < n; ++j) reach[static_cast<std::size_t>(j)] = j;
  for (std::int64_t e = 0; e < n_elements; ++e) {
    const std::int32_t* c = connectivity + e * npe;
    const std::int64_t hi = *std::max_element(c, c + npe) - 1;
    for (int a = 0; a < npe; ++a) {
      std::int64_t& r = reach[static_cast<std::size_t>(c[a] - 1)];
      r = std::max(r, hi);
    }
  }
  // Row i of the factor starts at its first non-zero in A, so column j
  // reaches every row whose first non-zero is at j or before.
  for (std::int64_t j = 1; j < n; ++j)
    reach[static_cast<std::size_t>(j)] = std::max(reach[static_cast<std::size_t>(j)], reach[static_cast<std::size_t>(j - 1)]);
  return reach;
}

double band_profile_flops(std::span<const std::int64_t> reach) {
  double f = 0;
  for (std::size_t j = 0; j < reach.size(); ++j) {
    const double h = static_cast<double>(reach[j] - static_cast<std::int64_t>(j));
    f += h * (h + 1.0);
  }
  return f;
}

void BandSystem::allocate(std::int64_t n_, std::int64_t kd_) {
  if (n_ < 0 || kd_ < 0) throw CallError(Status::solver_error, "band matrix with a negative size");
  const auto size = kd_ < INT64_MAX ? checked_size(n_, kd_ + 1) : std::nullopt;
  if (!size) throw CallError(Status::solver_error, "band matrix larger than the address space");
  // The old band goes first, so that a large one comes as a fresh mapping,
  // which is zero already; only a small one from the heap is cleared here.
  decltype(band)().swap(band);
  band.resize(*size);
  if (!large_allocation_arrives_zeroed(*size * sizeof(double))) std::fill(band.begin(), band.end(), 0.0);
  n = n_;
  kd = kd_;
  zeroed = true;
  factorised = false;
  reach.clear();
}

void solve_band_system(BandSystem& sys, double* rhs, std::int64_t nrhs, int threads) {
  if (!sys.factorised) {
    if (threads < 2)
      BAND_LLT_DECOMP(sys.n, sys.kd, sys.band.data());
    else
      BAND_LLT_DECOMP_PARALLEL(sys.n, sys.kd + 1, sys.band.data(), threads);
    sys.zeroed = false;
    sys.factorised = true;
  }
  BAND_LLT_SOLVE(sys.n, nrhs, sys.kd, sys.band.data(), rhs, sys.reach);
}

}  // namespace bsp
