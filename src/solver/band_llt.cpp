#include "solver/band_llt.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "interface/caller_arrays.h"
#include "interface/status.h"

namespace bsp {

BandFactorReport BAND_LLT_DECOMP(std::int64_t n, std::int64_t kd, double* a) {
  BandFactorReport report;
  if (n < 1) return report;
  const std::int64_t ld = kd + 1;
  for (std::int64_t j = 0; j < n; ++j) {
    double* col = a + j * ld;
    double d = col[0];
    if (!(d > 0.0)) {
      if (report.replaced_pivots++ == 0) report.first_replaced_column = j;
      d = band_pivot_floor;
    }
    col[0] = std::sqrt(d);
    const double r = 1.0 / col[0];
    const std::int64_t m = std::min(kd, n - 1 - j);
    for (std::int64_t i = 1; i <= m; ++i) col[i] *= r;
    for (std::int64_t k = 1; k <= m; ++k) {
      const double tk = col[k];
      if (tk == 0.0) continue;
      double* ck = a + (j + k) * ld;
      for (std::int64_t i = k; i <= m; ++i) ck[i - k] -= col[i] * tk;
    }
  }
  return report;
}

BandFactorReport BAND_LLT_DECOMP_PARALLEL(std::int64_t n, std::int64_t ld, double* a, int /*threads*/) {
  return BAND_LLT_DECOMP(n, ld - 1, a);
}

void BAND_LLT_SOLVE(std::int64_t n, std::int64_t nrhs, std::int64_t kd, const double* l, double* b) {
  if (n < 1 || nrhs < 1) return;
  const std::int64_t ld = kd + 1;
  for (std::int64_t c = 0; c < nrhs; ++c) {
    double* x = b + c * n;
    for (std::int64_t j = 0; j < n; ++j) {
      const double* col = l + j * ld;
      x[j] /= col[0];
      const double xj = x[j];
      if (xj == 0.0) continue;
      const std::int64_t m = std::min(kd, n - 1 - j);
      for (std::int64_t i = 1; i <= m; ++i) x[j + i] -= col[i] * xj;
    }
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
  if (n_ < 0 || kd_ < 0 || kd_ == INT64_MAX) throw CallError(Status::solver_error, "band matrix size is invalid");
  const auto size = checked_size(n_, kd_ + 1);
  if (!size) throw CallError(Status::solver_error, "band matrix too large");
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
