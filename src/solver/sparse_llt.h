// Sparse Cholesky factorisation A = L*L^T of a domain's symmetric positive
// (semi-)definite Laplace matrix, the second way (beside band_llt.h) to solve
// the field problems. The equations are eliminated in an approximate minimum
// degree order (AMD, SuiteSparse's libamd, BSD-3; on 6-node triangles the
// order of the corners, each mid-side node following its edge's first
// corner), which on a solid section keeps the factor to O(n log n) entries
// where the band holds n^1.5; columns
// with the same structure below the diagonal are grouped into supernodes, and
// each supernode is a dense panel factorised with the kernels of
// dense_kernels.h.
//
// Same pivot rule as the band: a pivot d <= 0 is factorised as
// band_pivot_floor and the factorisation always completes; nothing is
// reported. Not rank-revealing and no pivoting.
//
// Does not assemble, pin or choose: domain_solve.h assembles into it through
// at(), and linear_solver_choice.h decides which path a domain takes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "common/large_allocator.h"
#include "solver/band_llt.h"

namespace bsp {

// The structure of the factor, from the connectivity alone.
struct SparseSymbolic {
  std::int64_t n = 0;
  std::vector<std::int32_t> perm;         // perm[k]: equation (0-based) eliminated k-th
  std::vector<std::int32_t> iperm;        // iperm[perm[k]] = k
  std::vector<std::int32_t> super_first;  // first column of each supernode, then n
  std::vector<std::int32_t> super_of;     // supernode of each column
  std::vector<std::int64_t> row_ptr;      // per supernode: its rows in rows[row_ptr[s] ..)
  std::vector<std::int32_t> rows;         // its own columns first, then the rows below, ascending
  std::vector<std::int64_t> value_ptr;    // per supernode: nrows x ncols panel, column-major
  std::int64_t update_size = 0;           // doubles of the largest update block
  double flops = 0;                       // floating-point operations of the factorisation
  double bytes = 0;                       // memory of factor, structure and work arrays
  // How the factorisation and the substitutions split into two independent
  // tasks, then the rest: ranges [first, end) of supernodes (sparse_llt.cpp).
  std::vector<std::pair<std::int64_t, std::int64_t>> task[2], rest;

  std::int64_t n_super() const { return static_cast<std::int64_t>(super_first.size()) - 1; }
};

// Analyses the pattern of the matrix whose non-zeros are the pairs of
// equation numbers (npe 1-based numbers per element, 1..n) of one element.
// The equation `decoupled` (0-based, or -1 for none) has only its diagonal.
// Throws std::bad_alloc when memory is short.
SparseSymbolic sparse_analyse(std::int64_t n, int npe, std::int64_t n_elements, const std::int32_t* connectivity,
                              std::int64_t decoupled);

// One domain's system on the sparse path: the matrix is assembled into the
// factor's storage and factorised there on the first solve.
struct SparseSystem {
  SparseSymbolic sym;
  std::vector<double, UninitialisedLargeAllocator<double>> values;
  bool zeroed = false;
  bool factorised = false;

  // Sizes the values to the symbolic structure and zeroes them.
  void allocate();
  // Clears the values for a new assembly (a no-op right after allocate()).
  void clear();
  // Assembly access to A(i, j), equations 0-based, (i, j) a pair of one
  // element or i == j; not checked.
  double& at(std::int64_t i, std::int64_t j);

  // Where equation i (0-based) sits in the factor: its column and its
  // supernode's panel. An element looks its equations up once and then
  // finds each of its pairs with entry(), as at() would.
  struct Column {
    std::int64_t k;          // permuted position
    std::int64_t first;      // first column of its supernode
    std::int64_t own;        // columns of the supernode
    std::int64_t rows_count; // rows of the panel
    const std::int32_t* rows;
    double* panel;           // the panel, column-major
  };
  Column column(std::int64_t i) {
    const auto k = static_cast<std::int64_t>(sym.iperm[static_cast<std::size_t>(i)]);
    const auto s = static_cast<std::size_t>(sym.super_of[static_cast<std::size_t>(k)]);
    const std::int64_t first = sym.super_first[s], r0 = sym.row_ptr[s];
    return {k, first, sym.super_first[s + 1] - first, sym.row_ptr[s + 1] - r0, sym.rows.data() + r0,
            values.data() + sym.value_ptr[s]};
  }
  // A(i, j) for the columns of i and j, the same entry as at(i, j).
  static double& entry(const Column& a, const Column& b) {
    const Column& row = a.k >= b.k ? a : b;
    const Column& col = a.k >= b.k ? b : a;
    std::int64_t pos = row.k - col.first;
    if (pos >= col.own)
      pos = std::lower_bound(col.rows + col.own, col.rows + col.rows_count, static_cast<std::int32_t>(row.k)) -
            col.rows;
    return col.panel[(col.k - col.first) * col.rows_count + pos];
  }
};

// Factorises in place, on up to two threads: two independent subtrees of
// the elimination tree side by side, then the separators above them. The
// result is the same for any thread count. Reentrant.
void SPARSE_LLT_DECOMP(SparseSystem& sys, int threads = 1);

// Overwrites b (n rows by nrhs columns, column-major, equation order) with
// A^-1 * b, given the factor, on up to two threads as the factorisation
// splits its work. The result is the same for any thread count.
void SPARSE_LLT_SOLVE(const SparseSystem& sys, std::int64_t nrhs, double* b, int threads = 1);

// Factorises if not yet done (with `threads` threads), then solves.
void solve_sparse_system(SparseSystem& sys, double* rhs, std::int64_t nrhs, int threads = 1);

}  // namespace bsp
