// Banded Cholesky factorisation A = L*L^T of a symmetric positive (semi-)definite
// matrix and the substitution that solves A*x = b with the factor. Every field
// problem of the solver is one such system per domain.
//
// Storage: lower band, column-major, ld = kd + 1 rows by n columns. Entry (i, j)
// with i >= j, 0-based, lives at a[j*ld + (i - j)]; the diagonal is row 0 of each
// column. Only the band is stored, so memory is (kd+1)*n doubles and the work is
// O(n*kd^2): the renumbering (rcm.h) that makes kd small is what makes this cheap.
// The rows below n in the last kd columns exist but are never read as entries.
// The factor overwrites the matrix in the same layout.
//
// Not rank-revealing and no pivoting: a pivot that is not positive is replaced
// (see band_pivot_floor) and the factorisation always completes, so a singular
// system gives a finite but possibly meaningless solution, and nothing is
// reported (rule of this library: the callers pin one equation of every
// domain, which makes each field problem definite). Sizes and indices are 64-bit throughout; (kd+1)*n overflows
// 32 bits long before it overflows memory.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/large_allocator.h"

namespace bsp {

// A pivot d <= 0 is factorised as d = 1e-12, so L(j,j) = 1e-6. Rule of this
// library: it keeps a semi-definite Laplace system (free warping function,
// defined up to a constant) solvable without a separate constraint.
// Pinned by tests/solver/band_llt_test.cpp.
inline constexpr double band_pivot_floor = 1e-12;

// Serial factorisation in place. a holds (kd+1)*n doubles. n < 1 or kd < 0
// touches nothing.
void BAND_LLT_DECOMP(std::int64_t n, std::int64_t kd, double* a);

// Same factor on up to `threads` OpenMP threads; ld = kd + 1. The threads
// share each panel's trailing update while the next panel is factorised, and
// every entry gets the serial routine's arithmetic, so the factor is the
// serial one bit for bit. threads < 2, or a matrix whose profile leaves too
// little to share, runs the serial loop. Reentrant: no state outside the call.
void BAND_LLT_DECOMP_PARALLEL(std::int64_t n, std::int64_t ld, double* a, int threads);

// Overwrites b (n rows by nrhs columns, column-major) with A^-1 * b, given the
// factor l from one of the routines above. n < 1, nrhs < 1 or kd < 0 touches
// nothing. All right-hand sides share each pass over the factor (up to four
// at a time); the result equals a column-by-column solve bit for bit.
void BAND_LLT_SOLVE(std::int64_t n, std::int64_t nrhs, std::int64_t kd, const double* l, double* b);

// The same substitution restricted to the factor's profile: column j is read
// down to row reach[j] only (0-based, reach.size() == n, as band_factor_reach
// gives it; a span of another size means the whole band). On a renumbered
// thin-walled mesh the profile is a small part of the band, and the solve
// reads only that. Same result as the whole-band solve up to the sign of
// zero values.
void BAND_LLT_SOLVE(std::int64_t n, std::int64_t nrhs, std::int64_t kd, const double* l, double* b,
                    std::span<const std::int64_t> reach);

// Last row each column of the factor can reach, from the element
// connectivity (npe 1-based equation numbers per element): the largest row
// whose first non-zero lies at or left of the column. An upper bound of the
// exact zeros the factorisation leaves, computed without reading the band.
std::vector<std::int64_t> band_factor_reach(std::int64_t n, int npe, std::int64_t n_elements,
                                            const std::int32_t* connectivity);

// Floating-point operations of factorising inside that profile:
// sum over columns of h*(h+1), h = reach[j] - j.
double band_profile_flops(std::span<const std::int64_t> reach);

// One domain's system: the band is assembled, then factorised once on the first
// solve and reused for every later right-hand side of the domain.
struct BandSystem {
  std::int64_t n = 0, kd = 0;
  std::vector<double, UninitialisedLargeAllocator<double>> band;  // (kd+1)*n, zeroed by allocate()
  // Every entry of band is 0: set by allocate(), cleared by whoever writes
  // (assembly, factorisation), so that an assembly right after the
  // allocation does not clear the band a second time.
  bool zeroed = false;
  bool factorised = false;
  // Profile of the factor (band_factor_reach), used by the solve; empty
  // means the whole band.
  std::vector<std::int64_t> reach;

  // Sizes and zeroes the band, sets zeroed and clears the factorised flag. Throws
  // CallError(Status::solver_error) when n < 0, kd < 0 or (kd+1)*n does not fit
  // the address space, std::bad_alloc when memory is short.
  void allocate(std::int64_t n, std::int64_t kd);

  // Assembly access, 0-based, i >= j and i - j <= kd; not checked.
  double& at(std::int64_t i, std::int64_t j) { return band[static_cast<std::size_t>(j * (kd + 1) + (i - j))]; }
  double at(std::int64_t i, std::int64_t j) const {
    return band[static_cast<std::size_t>(j * (kd + 1) + (i - j))];
  }
};

// The domain solve step: factorises if not yet done (serial when threads < 2,
// parallel otherwise), then overwrites rhs (n by nrhs, column-major) with the
// solution.
void solve_band_system(BandSystem& sys, double* rhs, std::int64_t nrhs, int threads);

}  // namespace bsp
