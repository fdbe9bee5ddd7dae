// Dense kernels of the supernodal factorisation: the symmetric rank-k update
// of a lower trapezoid and the triangular solve of a panel's rows below its
// diagonal block. Column-major storage throughout.
//
// Our own rather than the BLAS: the library runs inside a host's process, and
// a threaded BLAS keeps its worker threads spinning between calls; with the
// many small products of a sparse factorisation they took over a third of a
// two-core machine's time, and its thread count is process-wide state the
// library must not set. These run on the calling thread.
#pragma once

#include <cstdint>
#include <vector>

namespace bsp {

// C(i, j) -= sum_{q < k} X(i, q) X(j, q) for j < n and j <= i < m: the lower
// trapezoid of an m x n block (n <= m). X has m rows (leading dimension ldx),
// and its first n rows also give the columns; C has leading dimension ldc and
// nothing above its diagonal or below row m is written. `pack` is work
// storage the caller keeps between calls.
void subtract_lower_product(std::int64_t m, std::int64_t n, std::int64_t k, const double* x, std::int64_t ldx,
                            double* c, std::int64_t ldc, std::vector<double>& pack);

// B := B L^-T for B m x n (leading dimension ldb) and L the lower triangle of
// an n x n block (leading dimension ldl) with a non-zero diagonal.
void solve_right_lower_transposed(std::int64_t m, std::int64_t n, const double* l, std::int64_t ldl, double* b,
                                  std::int64_t ldb);

}  // namespace bsp
