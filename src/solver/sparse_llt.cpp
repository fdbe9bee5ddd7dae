// Left-looking supernodal Cholesky. The analysis orders the equations by AMD,
// builds the elimination tree and puts it in postorder (so every subtree is a
// contiguous range of columns), counts the non-zeros of each factor column
// from the row subtrees, groups columns into supernodes and merges small
// supernodes into their parent where few explicit zeros result. The numeric
// phase takes supernodes in order: each gathers the updates of the earlier
// supernodes that reach its columns (one matrix product per such
// descendant, scattered through a row map), then factorises its dense panel:
// the diagonal block by a blocked Cholesky whose small kernel applies the
// pivot floor, the rows below by a triangular solve.
//
// Why our own supernodal code over AMD rather than a packaged solver: the
// library may link only permissive or LGPL code. Debian's CHOLMOD has its
// supernodal factorisation in a GPL module; MUMPS (CeCILL-C) is a
// multifrontal solver for far larger problems that brings a Fortran runtime
// and Scotch along. AMD (SuiteSparse's libamd, BSD-3, no dependency but its
// config library) gives the ordering; the dense kernels are our own
// (dense_kernels.h), run on the calling thread and one helper of the
// factorisation's two tasks. Measured with bench/solver/sparse_llt_bench.cpp
// (same matrices, same process, one run on a shared two-core machine, so only
// the ratios count), this code's factorisation + solve took 0.12 to 0.31
// times CHOLMOD's supernodal with the same AMD order (its BLAS threaded) on
// the 6-node meshes of 3 k to 213 k nodes, the 200 k-node square included;
// 0.29 to 0.54 times with both analyses counted.
#include "solver/sparse_llt.h"

#include <amd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "common/side_by_side.h"
#include "common/status.h"
#include "solver/dense_kernels.h"

namespace bsp {
namespace {

using i32 = std::int32_t;
using i64 = std::int64_t;

template <class T>
T& at(std::vector<T>& v, i64 i) {
  return v[static_cast<std::size_t>(i)];
}
template <class T>
const T& at(const std::vector<T>& v, i64 i) {
  return v[static_cast<std::size_t>(i)];
}

// Supernode amalgamation: a child merges into its parent when the merged
// panel has at most relax_cols[0] columns, or at most relax_cols[i] columns
// and a share of explicit zeros below relax_zeros[i]; any size merges below
// relax_zeros[3]. The common defaults of supernodal codes (CHOLMOD's nrelax
// and zrelax): few, larger panels let the dense kernels run near their peak,
// at the price of a few per cent more stored zeros.
constexpr i64 relax_cols[3] = {4, 16, 48};
constexpr double relax_zeros[4] = {1.0, 0.8, 0.1, 0.05};

bool merge_pays(i64 cols, double zero_share) {
  if (cols <= relax_cols[0]) return true;
  if (cols <= relax_cols[1]) return zero_share < relax_zeros[1];
  if (cols <= relax_cols[2]) return zero_share < relax_zeros[2];
  return zero_share < relax_zeros[3];
}

// Panel columns of the blocked dense Cholesky of a diagonal block.
constexpr int dense_block = 64;
// Below this many multiply-adds an update is done by plain loops: a BLAS call
// costs about a microsecond of set-up.
constexpr i64 small_update = 4096;
// From this many flops the factorisation runs as two tasks (plan_split)
// and the rest: a few milliseconds, against about 0.1 ms to wake a team.
constexpr double parallel_factor_flops = 2e7;

void plan_split(SparseSymbolic& sym);

// Full symmetric adjacency (no diagonal) of the equations, CSR with 32-bit
// indices as AMD takes them, each row ascending when `ascending` (AMD's
// input; the tree, counts and structure below take any order). Equation
// `decoupled` gets no neighbours. Built from each node's elements with one
// mark array.
void adjacency(i64 n, int npe, i64 n_elements, const i32* conn, i64 decoupled, bool ascending, std::vector<i32>& ptr,
               std::vector<i32>& adj) {
  std::vector<i64> first(static_cast<std::size_t>(n) + 1, 0);
  for (i64 e = 0; e < n_elements; ++e)
    for (int a = 0; a < npe; ++a) ++at(first, conn[e * npe + a]);
  for (i64 i = 0; i < n; ++i) at(first, i + 1) += at(first, i);
  std::vector<i32> elements(static_cast<std::size_t>(at(first, n)));
  {
    std::vector<i64> put(first.begin(), first.end() - 1);
    for (i64 e = 0; e < n_elements; ++e)
      for (int a = 0; a < npe; ++a) at(elements, at(put, conn[e * npe + a] - 1)++) = static_cast<i32>(e);
  }
  std::vector<i32> mark(static_cast<std::size_t>(n), -1);
  ptr.assign(static_cast<std::size_t>(n) + 1, 0);
  adj.clear();
  adj.reserve(static_cast<std::size_t>(at(first, n)) * static_cast<std::size_t>(npe - 1) / 2);
  for (i64 i = 0; i < n; ++i) {
    const std::size_t row = adj.size();
    if (i != decoupled) {
      at(mark, i) = static_cast<i32>(i);
      if (decoupled >= 0) at(mark, decoupled) = static_cast<i32>(i);
      for (i64 p = at(first, i); p < at(first, i + 1); ++p) {
        const i32* c = conn + static_cast<i64>(at(elements, p)) * npe;
        for (int b = 0; b < npe; ++b) {
          const i32 v = c[b] - 1;
          if (at(mark, v) != i) {
            at(mark, v) = static_cast<i32>(i);
            adj.push_back(v);
          }
        }
      }
      if (ascending) std::sort(adj.begin() + static_cast<std::ptrdiff_t>(row), adj.end());
    }
    at(ptr, i + 1) = static_cast<i32>(adj.size());
  }
}

// Postorder of a forest given by parent (-1 for roots): children before
// parents, each subtree contiguous.
std::vector<i32> postorder(const std::vector<i32>& parent) {
  const i64 n = static_cast<i64>(parent.size());
  std::vector<i32> head(static_cast<std::size_t>(n), -1), next(static_cast<std::size_t>(n), -1), post, stack;
  post.reserve(static_cast<std::size_t>(n));
  // Children are pushed in reverse so that they come out in ascending order.
  for (i64 j = n - 1; j >= 0; --j)
    if (at(parent, j) >= 0) {
      at(next, j) = at(head, at(parent, j));
      at(head, at(parent, j)) = static_cast<i32>(j);
    }
  for (i64 r = 0; r < n; ++r) {
    if (at(parent, r) >= 0) continue;
    stack.push_back(static_cast<i32>(r));
    while (!stack.empty()) {
      const i32 top = stack.back();
      const i32 child = at(head, top);
      if (child < 0) {
        stack.pop_back();
        post.push_back(top);
      } else {
        at(head, top) = at(next, child);
        stack.push_back(child);
      }
    }
  }
  return post;
}

// Minimum-degree order of the equations (AMD) from the adjacency `ptr, adj`.
std::vector<i32> amd_of(i64 n, std::vector<i32>& ptr, std::vector<i32>& adj) {
  std::vector<i32> order(static_cast<std::size_t>(n));
  double info[AMD_INFO];
  const int amd_status = amd_order(static_cast<i32>(n), ptr.data(), adj.data(), order.data(), nullptr, info);
  if (amd_status == AMD_OUT_OF_MEMORY) throw std::bad_alloc();
  if (amd_status != AMD_OK && amd_status != AMD_OK_BUT_JUMBLED)
    throw CallError(Status::solver_error, "the sparse ordering rejected the domain's pattern");
  return order;
}

// Fill-reducing order of a 6-node triangle mesh from its corners alone.
// The mid-side nodes add nothing to the order's quality: once the first
// corner of an edge is eliminated, every node of the two triangles on that
// edge is in one clique, so the edge's mid-side node eliminated right after
// it makes no fill and joins its supernode. Ordering the corner graph (a
// quarter of the equations, about a seventh of the adjacency) costs a
// fraction of ordering the whole. A node in a corner slot of any element counts as a
// corner; the decoupled equation goes first, nodes of no element last.
std::vector<i32> corner_order(i64 n, i64 n_elements, const i32* conn, i64 decoupled) {
  constexpr int npe = 6;
  std::vector<i32> corner(static_cast<std::size_t>(n), -1);
  i64 nc = 0;
  for (i64 e = 0; e < n_elements; ++e)
    for (int a = 0; a < 3; ++a) {
      const i32 v = conn[e * npe + a] - 1;
      if (at(corner, v) < 0) at(corner, v) = static_cast<i32>(nc++);
    }
  std::vector<i32> node_of(static_cast<std::size_t>(nc));
  for (i64 v = 0; v < n; ++v)
    if (at(corner, v) >= 0) at(node_of, at(corner, v)) = static_cast<i32>(v);
  // The corners as 3-node triangles, numbered 1..nc; a decoupled corner
  // stays in them without neighbours, as in the whole adjacency.
  std::vector<i32> corners(static_cast<std::size_t>(n_elements) * 3);
  for (i64 e = 0; e < n_elements; ++e)
    for (int a = 0; a < 3; ++a) at(corners, e * 3 + a) = at(corner, conn[e * npe + a] - 1) + 1;
  const i64 decoupled_corner = decoupled >= 0 && decoupled < n ? at(corner, decoupled) : -1;
  std::vector<i32> ptr, adj;
  adjacency(nc, 3, n_elements, corners.data(), decoupled_corner, true, ptr, adj);
  std::vector<i32>().swap(corners);
  const std::vector<i32> corner_seq = amd_of(nc, ptr, adj);
  std::vector<i32> rank(static_cast<std::size_t>(nc));
  for (i64 k = 0; k < nc; ++k) at(rank, at(corner_seq, k)) = static_cast<i32>(k);
  // Each other node follows the earliest corner of an edge it sits on.
  std::vector<i32> after(static_cast<std::size_t>(n), std::numeric_limits<i32>::max());
  for (i64 e = 0; e < n_elements; ++e) {
    const i32* c = conn + e * npe;
    for (int m = 0; m < 3; ++m) {
      const i32 v = c[3 + m] - 1;
      if (v == decoupled || at(corner, v) >= 0) continue;
      for (int end : {m, (m + 1) % 3}) {
        const i32 ce = at(corner, c[end] - 1);
        if (ce >= 0) at(after, v) = std::min(at(after, v), at(rank, ce));
      }
    }
  }
  std::vector<i32> start(static_cast<std::size_t>(nc) + 2, 0);
  for (i64 v = 0; v < n; ++v)
    if (v != decoupled && at(corner, v) < 0) ++at(start, std::min<i64>(at(after, v), nc) + 1);
  for (i64 k = 0; k <= nc; ++k) at(start, k + 1) += at(start, k);
  std::vector<i32> followers(static_cast<std::size_t>(at(start, nc + 1)));
  {
    std::vector<i32> put(start.begin(), start.end() - 1);
    for (i64 v = 0; v < n; ++v)
      if (v != decoupled && at(corner, v) < 0) at(followers, at(put, std::min<i64>(at(after, v), nc))++) = static_cast<i32>(v);
  }
  std::vector<i32> order;
  order.reserve(static_cast<std::size_t>(n));
  if (decoupled >= 0 && decoupled < n) order.push_back(static_cast<i32>(decoupled));
  for (i64 k = 0; k <= nc; ++k) {
    if (k < nc && at(node_of, at(corner_seq, k)) != decoupled) order.push_back(at(node_of, at(corner_seq, k)));
    for (i32 p = at(start, k); p < at(start, k + 1); ++p) order.push_back(at(followers, p));
  }
  return order;
}

}  // namespace

SparseSymbolic sparse_analyse(i64 n, int npe, i64 n_elements, const i32* conn, i64 decoupled) {
  SparseSymbolic sym;
  sym.n = n;
  if (n < 1) {
    sym.super_first = {0};
    sym.row_ptr = {0};
    sym.value_ptr = {0};
    return sym;
  }
  if (n > std::numeric_limits<i32>::max() / 2) throw CallError(Status::solver_error, "domain too large to order");
  std::vector<i32> ptr, adj;
  adjacency(n, npe, n_elements, conn, decoupled, npe != 6, ptr, adj);

  // 1. Fill-reducing order. On the 6-node triangle meshes measured (solid
  // squares and a disc 50 k to 200 k nodes, a channel, an I-section) the
  // corner order left 17 to 30 % fewer factorisation flops than AMD on all
  // equations and took a fifth of its time.
  std::vector<i32> order = npe == 6 ? corner_order(n, n_elements, conn, decoupled) : amd_of(n, ptr, adj);
  std::vector<i32> inv(static_cast<std::size_t>(n));
  for (i64 k = 0; k < n; ++k) at(inv, at(order, k)) = static_cast<i32>(k);

  // 2. Elimination tree in that order (Liu's algorithm with path compression).
  std::vector<i32> parent(static_cast<std::size_t>(n), -1), ancestor(static_cast<std::size_t>(n), -1);
  for (i64 k = 0; k < n; ++k) {
    const i32 node = at(order, k);
    for (i32 p = at(ptr, node); p < at(ptr, node + 1); ++p) {
      i32 i = at(inv, at(adj, p));
      while (i != -1 && i < k) {
        const i32 next = at(ancestor, i);
        at(ancestor, i) = static_cast<i32>(k);
        if (next == -1) at(parent, i) = static_cast<i32>(k);
        i = next;
      }
    }
  }

  // 3. Postorder: the final elimination order.
  const std::vector<i32> post = postorder(parent);
  std::vector<i32> ipost(static_cast<std::size_t>(n));
  for (i64 k = 0; k < n; ++k) at(ipost, at(post, k)) = static_cast<i32>(k);
  sym.perm.resize(static_cast<std::size_t>(n));
  sym.iperm.resize(static_cast<std::size_t>(n));
  std::vector<i32> tree(static_cast<std::size_t>(n));
  for (i64 k = 0; k < n; ++k) {
    at(sym.perm, k) = at(order, at(post, k));
    at(sym.iperm, at(sym.perm, k)) = static_cast<i32>(k);
    const i32 p = at(parent, at(post, k));
    at(tree, k) = p < 0 ? -1 : at(ipost, p);
  }
  { std::vector<i32>().swap(order); std::vector<i32>().swap(inv); std::vector<i32>().swap(ancestor); }

  // 4. Column counts (diagonal included), in time near linear in the
  // entries of A (Gilbert, Ng and Peyton 1994). Column j's count is the
  // number of row subtrees (row i of L: the union of the tree paths from
  // each A(i, k), k < i, up to i) that contain j. Each row subtree puts +1
  // on its leaves, -1 on the least common ancestor of consecutive leaves
  // and -1 above its root, so that summing over j's subtree counts the row
  // subtrees through j. A neighbour k of i is a leaf of row subtree i when
  // no earlier neighbour lies in k's subtree (first[k] beyond the last
  // leaf's); the common ancestors come from a union-find over the columns
  // done so far (Tarjan's offline ancestors).
  std::vector<i64> count(static_cast<std::size_t>(n), 0);
  {
    std::vector<i32> first(static_cast<std::size_t>(n), -1), max_first(static_cast<std::size_t>(n), -1),
        prev_leaf(static_cast<std::size_t>(n), -1), set(static_cast<std::size_t>(n));
    for (i64 j = 0; j < n; ++j)
      for (i64 k = j; k != -1 && at(first, k) == -1; k = at(tree, k)) at(first, k) = static_cast<i32>(j);
    for (i64 j = 0; j < n; ++j) {
      at(set, j) = static_cast<i32>(j);
      if (at(first, j) == j) at(count, j) += 1;  // a leaf of the tree: its own row subtree's leaf
      if (at(tree, j) != -1) at(count, at(tree, j)) -= 1;
    }
    const auto find = [&](i32 x) {
      i32 r = x;
      while (at(set, r) != r) r = at(set, r);
      while (at(set, x) != r) {
        const i32 up = at(set, x);
        at(set, x) = r;
        x = up;
      }
      return r;
    };
    for (i64 k = 0; k < n; ++k) {
      const i32 node = at(sym.perm, k);
      for (i32 p = at(ptr, node); p < at(ptr, node + 1); ++p) {
        const i32 i = at(sym.iperm, at(adj, p));
        if (i <= k || at(first, k) <= at(max_first, i)) continue;
        at(max_first, i) = at(first, k);
        at(count, k) += 1;
        if (at(prev_leaf, i) != -1) at(count, find(at(prev_leaf, i))) -= 1;
        at(prev_leaf, i) = static_cast<i32>(k);
      }
      if (at(tree, k) != -1) at(set, k) = at(tree, k);
    }
    for (i64 j = 0; j < n; ++j)
      if (at(tree, j) != -1) at(count, at(tree, j)) += at(count, j);
  }
  std::vector<i32> mark(static_cast<std::size_t>(n), -1);

  // 5. Fundamental supernodes, then amalgamation of an adjacent child
  // subtree's top supernode into its parent.
  struct Group {
    i64 first, last, rows;  // rows: of the panel, its own columns included
    double entries;         // true non-zeros of its columns
  };
  std::vector<Group> groups;
  for (i64 j = 0; j < n;) {
    i64 last = j;
    double entries = static_cast<double>(at(count, j));
    while (last + 1 < n && at(tree, last) == last + 1 && at(count, last) == at(count, last + 1) + 1) {
      ++last;
      entries += static_cast<double>(at(count, last));
    }
    Group g{j, last, at(count, j), entries};
    while (!groups.empty()) {
      const Group& c = groups.back();
      const i64 top = at(tree, c.last);
      if (c.last + 1 != g.first || top < g.first || top > g.last) break;
      const i64 cols = g.last - c.first + 1;
      const i64 rows = (g.first - c.first) + g.rows;
      const double stored = static_cast<double>(cols) * static_cast<double>(rows) -
                            0.5 * static_cast<double>(cols) * static_cast<double>(cols - 1);
      const double entries_merged = c.entries + g.entries;
      if (!merge_pays(cols, (stored - entries_merged) / stored)) break;
      g = Group{c.first, g.last, rows, entries_merged};
      groups.pop_back();
    }
    groups.push_back(g);
    j = last + 1;
  }
  const i64 ns = static_cast<i64>(groups.size());
  sym.super_first.resize(static_cast<std::size_t>(ns) + 1);
  sym.super_of.resize(static_cast<std::size_t>(n));
  for (i64 s = 0; s < ns; ++s) {
    at(sym.super_first, s) = static_cast<i32>(at(groups, s).first);
    for (i64 j = at(groups, s).first; j <= at(groups, s).last; ++j) at(sym.super_of, j) = static_cast<i32>(s);
  }
  at(sym.super_first, ns) = static_cast<i32>(n);

  // 6. Row structure of each supernode: its columns, then the union of the
  // rows below them in A and in its children's structures.
  std::vector<i32> child_head(static_cast<std::size_t>(ns), -1), child_next(static_cast<std::size_t>(ns), -1);
  for (i64 s = ns - 1; s >= 0; --s) {
    const i32 p = at(tree, at(groups, s).last);
    if (p < 0) continue;
    const i32 ps = at(sym.super_of, p);
    at(child_next, s) = at(child_head, ps);
    at(child_head, ps) = static_cast<i32>(s);
  }
  std::fill(mark.begin(), mark.end(), -1);
  sym.row_ptr.assign(static_cast<std::size_t>(ns) + 1, 0);
  sym.value_ptr.assign(static_cast<std::size_t>(ns) + 1, 0);
  sym.rows.reserve(static_cast<std::size_t>(n) * 4);
  double flops = 0;
  for (i64 s = 0; s < ns; ++s) {
    const i64 f = at(groups, s).first, l = at(groups, s).last;
    const std::size_t begin = sym.rows.size();
    for (i64 j = f; j <= l; ++j) sym.rows.push_back(static_cast<i32>(j));
    const std::size_t below = sym.rows.size();
    const auto take = [&](i32 r) {
      if (r > l && at(mark, r) != s) {
        at(mark, r) = static_cast<i32>(s);
        sym.rows.push_back(r);
      }
    };
    for (i64 j = f; j <= l; ++j) {
      const i32 node = at(sym.perm, j);
      for (i32 p = at(ptr, node); p < at(ptr, node + 1); ++p) take(at(sym.iperm, at(adj, p)));
    }
    for (i32 c = at(child_head, s); c >= 0; c = at(child_next, c))
      for (i64 p = at(sym.row_ptr, c) + (at(groups, c).last - at(groups, c).first + 1); p < at(sym.row_ptr, c + 1); ++p)
        take(at(sym.rows, p));
    std::sort(sym.rows.begin() + static_cast<std::ptrdiff_t>(below), sym.rows.end());
    const i64 nr = static_cast<i64>(sym.rows.size() - begin), nc = l - f + 1;
    at(sym.row_ptr, s + 1) = static_cast<i64>(sym.rows.size());
    at(sym.value_ptr, s + 1) = at(sym.value_ptr, s) + nr * nc;
    sym.update_size = std::max(sym.update_size, nr * nc);
    for (i64 t = 0; t < nc; ++t) {
      const double h = static_cast<double>(nr - t);
      flops += h * (h - 1.0) + 1.0;
    }
  }
  sym.flops = flops;
  sym.bytes = 8.0 * static_cast<double>(at(sym.value_ptr, ns) + sym.update_size) +
              4.0 * static_cast<double>(sym.rows.size() + 4 * static_cast<std::size_t>(n));
  plan_split(sym);
  return sym;
}

void SparseSystem::allocate() {
  decltype(values)().swap(values);
  values.resize(static_cast<std::size_t>(sym.value_ptr.back()));
  if (!large_allocation_arrives_zeroed(values.size() * sizeof(double))) std::fill(values.begin(), values.end(), 0.0);
  zeroed = true;
  factorised = false;
}

void SparseSystem::clear() {
  if (!zeroed) std::fill(values.begin(), values.end(), 0.0);
  zeroed = false;
  factorised = false;
}

double& SparseSystem::at(std::int64_t i, std::int64_t j) { return entry(column(i), column(j)); }

namespace {

void take_pivot(double& d) {
  if (!(d > 0.0)) d = band_pivot_floor;
  d = std::sqrt(d);
}

// Dense Cholesky of the panel a (nr rows, nc columns, ld = nr, nr >= nc),
// lower part: the diagonal block and the rows below it. Columns in blocks of
// dense_block: the block's diagonal part right-looking with the pivot floor,
// its rows below by a triangular solve, the trailing columns by a rank-k
// update. Inlined into factor_range's clones.
[[gnu::always_inline]] inline void factor_panel(double* a, i64 nr, i64 nc, std::vector<double>& pack) {
  for (i64 k0 = 0; k0 < nc; k0 += dense_block) {
    const i64 kb = std::min<i64>(dense_block, nc - k0);
    double* akk = a + k0 * nr + k0;
    for (i64 j = 0; j < kb; ++j) {
      double* cj = akk + j * nr;
      take_pivot(cj[j]);
      const double r = 1.0 / cj[j];
      for (i64 i = j + 1; i < kb; ++i) cj[i] *= r;
      for (i64 jj = j + 1; jj < kb; ++jj) {
        const double l = cj[jj];
        if (l == 0.0) continue;
        double* cjj = akk + jj * nr;
        for (i64 i = jj; i < kb; ++i) cjj[i] -= cj[i] * l;
      }
    }
    const i64 below = nr - k0 - kb;
    if (below == 0) continue;
    solve_right_lower_transposed(below, kb, akk, nr, akk + kb, nr);
    const i64 trailing = nc - k0 - kb;
    if (trailing == 0) continue;
    subtract_lower_product(below, trailing, kb, akk + kb, nr, a + (k0 + kb) * nr + (k0 + kb), nr, pack);
  }
}

}  // namespace

namespace {

// Work storage of one factorisation task, all of it made before any thread
// starts: nothing inside the parallel region allocates.
struct FactorWork {
  std::vector<i64> head;   // per target supernode: first descendant waiting to update it
  std::vector<i32> map;    // row -> position in the current supernode
  std::vector<double> work, pack;
};

// Supernodes [s0, s1) in order, left-looking: each gathers the updates of
// the descendants waiting in its list, is factorised, and waits in the list
// of the next supernode its rows reach. next and pos are per supernode and
// shared by the tasks, which own disjoint supernodes. Compiled once per
// instruction set, for the update loops and the diagonal blocks.
[[gnu::target_clones("arch=x86-64-v3", "default")]] void factor_range(SparseSystem& sys, i64 s0, i64 s1,
                                                                       FactorWork& fw, std::vector<i64>& next,
                                                                       std::vector<i64>& pos) {
  const SparseSymbolic& sym = sys.sym;
  std::vector<i64>& head = fw.head;
  std::vector<i32>& map = fw.map;
  std::vector<double>& work = fw.work;
  const auto link = [&](i64 d, i64 p) {
    at(pos, d) = p;
    const i64 t = at(sym.super_of, at(sym.rows, at(sym.row_ptr, d) + p));
    at(next, d) = at(head, t);
    at(head, t) = d;
  };
  for (i64 s = s0; s < s1; ++s) {
    const i64 f = at(sym.super_first, s), l = at(sym.super_first, s + 1) - 1;
    const i64 nc = l - f + 1;
    const i32* rows_s = sym.rows.data() + at(sym.row_ptr, s);
    const i64 nr = at(sym.row_ptr, s + 1) - at(sym.row_ptr, s);
    double* ls = sys.values.data() + at(sym.value_ptr, s);
    for (i64 r = 0; r < nr; ++r) at(map, rows_s[r]) = static_cast<i32>(r);
    for (i64 d = at(head, s); d >= 0;) {
      const i64 d_next = at(next, d);
      const i32* rows_d = sym.rows.data() + at(sym.row_ptr, d);
      const i64 nr_d = at(sym.row_ptr, d + 1) - at(sym.row_ptr, d);
      const i64 nc_d = at(sym.super_first, d + 1) - at(sym.super_first, d);
      const double* ld_ = sys.values.data() + at(sym.value_ptr, d);
      const i64 p = at(pos, d);
      i64 p2 = p;
      while (p2 < nr_d && rows_d[p2] <= l) ++p2;
      const i64 k1 = p2 - p, m = nr_d - p;
      // work (m x k1) = -L_d(p.., :) * L_d(p..p2, :)^T, lower trapezoid.
      for (i64 jj = 0; jj < k1; ++jj) std::fill(work.data() + jj * m + jj, work.data() + (jj + 1) * m, 0.0);
      if (m * k1 * nc_d < small_update) {
        for (i64 jj = 0; jj < k1; ++jj) {
          double* w = work.data() + jj * m;
          for (i64 k = 0; k < nc_d; ++k) {
            const double* col = ld_ + k * nr_d + p;
            const double y = col[jj];
            if (y == 0.0) continue;
            for (i64 ii = jj; ii < m; ++ii) w[ii] -= col[ii] * y;
          }
        }
      } else {
        subtract_lower_product(m, k1, nc_d, ld_ + p, nr_d, work.data(), m, fw.pack);
      }
      for (i64 jj = 0; jj < k1; ++jj) {
        double* target = ls + (rows_d[p + jj] - f) * nr;
        const double* w = work.data() + jj * m;
        for (i64 ii = jj; ii < m; ++ii) target[at(map, rows_d[p + ii])] += w[ii];
      }
      if (p2 < nr_d) link(d, p2);
      d = d_next;
    }
    factor_panel(ls, nr, nc, fw.pack);
    if (nc < nr) link(s, nc);
  }
}

using Ranges = std::vector<std::pair<i64, i64>>;

// How the factorisation splits into two independent tasks and the rest.
// From the roots of the supernodal elimination tree down, the subtree of the
// most work is replaced by its children while it holds more than half of
// the work left in subtrees; the subtrees are then dealt to the two tasks,
// largest first, each to the lighter one. Supernodes outside them (the top
// separators) follow, in order, once both tasks are done. Depends on the
// structure alone, never on the thread count, so one thread runs the same
// tasks one after the other and gets the same bits. Made once by the
// analysis (sym.task, sym.rest), for the factorisation and the
// substitutions alike.
void plan_split(SparseSymbolic& sym) {
  const i64 ns = sym.n_super();
  const auto all = [&] {
    sym.task[0].clear();
    sym.task[1].clear();
    sym.rest.assign(1, {0, ns});
  };
  for (Ranges* r : {&sym.task[0], &sym.task[1], &sym.rest}) r->clear();
  if (ns < 2 || sym.flops < parallel_factor_flops) return all();
  std::vector<i64> parent(static_cast<std::size_t>(ns), -1), first(static_cast<std::size_t>(ns)), size(static_cast<std::size_t>(ns), 1);
  std::vector<double> work(static_cast<std::size_t>(ns), 0.0);
  for (i64 s = 0; s < ns; ++s) {
    const i64 nc = at(sym.super_first, s + 1) - at(sym.super_first, s);
    const i64 nr = at(sym.row_ptr, s + 1) - at(sym.row_ptr, s);
    at(first, s) = s;
    at(work, s) += static_cast<double>(nc) * static_cast<double>(nr) * static_cast<double>(nr);
    if (nr > nc) {
      const i64 p = at(sym.super_of, at(sym.rows, at(sym.row_ptr, s) + nc));
      if (p <= s) return all();  // not a postorder: no split
      at(parent, s) = p;
    }
  }
  for (i64 s = 0; s < ns; ++s) {
    const i64 p = at(parent, s);
    if (p < 0) continue;
    at(first, p) = std::min(at(first, p), at(first, s));
    at(size, p) += at(size, s);
    at(work, p) += at(work, s);
  }
  for (i64 s = 0; s < ns; ++s)
    if (s - at(first, s) + 1 != at(size, s)) return all();  // a subtree not contiguous: no split
  std::vector<std::vector<i64>> children(static_cast<std::size_t>(ns));
  std::vector<i64> picked;
  for (i64 s = 0; s < ns; ++s) {
    if (at(parent, s) >= 0)
      at(children, at(parent, s)).push_back(s);
    else
      picked.push_back(s);
  }
  for (int step = 0; step < 64; ++step) {
    double total = 0;
    for (i64 c : picked) total += at(work, c);
    const auto big = std::max_element(picked.begin(), picked.end(), [&](i64 a, i64 b) { return at(work, a) < at(work, b); });
    const i64 c = *big;
    if (!(at(work, c) > 0.5 * total) || at(children, c).empty()) break;
    picked.erase(big);
    picked.insert(picked.end(), at(children, c).begin(), at(children, c).end());
  }
  std::sort(picked.begin(), picked.end(), [&](i64 a, i64 b) { return at(work, a) > at(work, b) || (at(work, a) == at(work, b) && a < b); });
  double load[2] = {0, 0};
  for (i64 c : picked) {
    const int t = load[1] < load[0] ? 1 : 0;
    load[t] += at(work, c);
    sym.task[t].push_back({at(first, c), c + 1});
  }
  Ranges taken = sym.task[0];
  taken.insert(taken.end(), sym.task[1].begin(), sym.task[1].end());
  std::sort(taken.begin(), taken.end());
  i64 from = 0;
  for (const auto& [b, e] : taken) {
    if (b > from) sym.rest.push_back({from, b});
    from = e;
  }
  if (from < ns) sym.rest.push_back({from, ns});
  for (Ranges& r : sym.task) std::sort(r.begin(), r.end());
}

FactorWork make_factor_work(const SparseSymbolic& sym, i64 max_rows) {
  FactorWork fw;
  fw.head.assign(static_cast<std::size_t>(sym.n_super()), -1);
  fw.map.assign(static_cast<std::size_t>(sym.n), 0);
  fw.work.resize(static_cast<std::size_t>(sym.update_size));
  // What subtract_lower_product needs at most: whole tiles of rows, by at
  // most its block of 256 terms.
  fw.pack.resize(static_cast<std::size_t>((max_rows + 12) * 256));
  return fw;
}

}  // namespace

void SPARSE_LLT_DECOMP(SparseSystem& sys, int threads) {
  const SparseSymbolic& sym = sys.sym;
  const i64 ns = sym.n_super();
  if (sym.n < 1) return;
  i64 max_rows = 0;
  for (i64 s = 0; s < ns; ++s) max_rows = std::max(max_rows, at(sym.row_ptr, s + 1) - at(sym.row_ptr, s));
  std::vector<i64> next(static_cast<std::size_t>(ns), -1), pos(static_cast<std::size_t>(ns), 0);
  FactorWork rest = make_factor_work(sym, max_rows);
  if (!sym.task[0].empty() || !sym.task[1].empty()) {
    FactorWork task[2] = {make_factor_work(sym, max_rows), make_factor_work(sym, max_rows)};
    const auto run = [&](int t) {
      for (const auto& [b, e] : sym.task[t]) factor_range(sys, b, e, task[t], next, pos);
    };
    side_by_side(threads >= 2, [&] { run(0); }, [&] { run(1); });
    // The rest's lists: the first task's waiting descendants, then the
    // second's, in that order whatever the thread count.
    for (const auto& [b, e] : sym.rest)
      for (i64 t = b; t < e; ++t) {
        i64 h = at(task[0].head, t);
        if (h < 0) {
          h = at(task[1].head, t);
        } else {
          i64 tail = h;
          while (at(next, tail) >= 0) tail = at(next, tail);
          at(next, tail) = at(task[1].head, t);
        }
        at(rest.head, t) = h;
      }
  }
  for (const auto& [b, e] : sym.rest) factor_range(sys, b, e, rest, next, pos);
}

namespace {

// Interleaved right-hand sides: row k of every column together, so that
// each factor entry serves all of them (one AVX register of four lanes).
constexpr i64 lanes = 4;

// Where a supernode's rows live during the forward substitution: rows below
// `own_end` (its subtree's columns) in the solution x, the others (the
// separators above a task's subtree) in the task's own sums, at slot[row].
struct ForwardTarget {
  double* x;
  double* sums;
  const i32* slot;
  i64 own_end;
  double* at(i32 row) const {
    return row < own_end ? x + static_cast<i64>(row) * lanes : sums + static_cast<i64>(slot[row]) * lanes;
  }
};

// The substitutions, compiled once per instruction set like the dense
// kernels. Per supernode the rows are gathered into a dense local block y,
// the panel works on y with unit stride, and y is scattered back.
[[gnu::target_clones("arch=x86-64-v3", "default")]] void forward_range(const SparseSystem& sys, i64 b, i64 e,
                                                                        const ForwardTarget& to, double* y) {
  const SparseSymbolic& sym = sys.sym;
  for (i64 s = b; s < e; ++s) {
    const i64 nc = sym.super_first[static_cast<std::size_t>(s) + 1] - sym.super_first[static_cast<std::size_t>(s)];
    const i32* rows = sym.rows.data() + sym.row_ptr[static_cast<std::size_t>(s)];
    const i64 nr = sym.row_ptr[static_cast<std::size_t>(s) + 1] - sym.row_ptr[static_cast<std::size_t>(s)];
    const double* ls = sys.values.data() + sym.value_ptr[static_cast<std::size_t>(s)];
    for (i64 i = 0; i < nr; ++i) {
      const double* xi = to.at(rows[i]);
      for (i64 c = 0; c < lanes; ++c) y[i * lanes + c] = xi[c];
    }
    for (i64 j = 0; j < nc; ++j) {
      const double* col = ls + j * nr;
      double* yj = y + j * lanes;
      for (i64 c = 0; c < lanes; ++c) yj[c] /= col[j];
      for (i64 i = j + 1; i < nr; ++i)
        for (i64 c = 0; c < lanes; ++c) y[i * lanes + c] -= col[i] * yj[c];
    }
    for (i64 i = 0; i < nr; ++i) {
      double* xi = to.at(rows[i]);
      for (i64 c = 0; c < lanes; ++c) xi[c] = y[i * lanes + c];
    }
  }
}

[[gnu::target_clones("arch=x86-64-v3", "default")]] void backward_range(const SparseSystem& sys, i64 b, i64 e,
                                                                         double* x, double* y) {
  const SparseSymbolic& sym = sys.sym;
  for (i64 s = e - 1; s >= b; --s) {
    const i64 f = sym.super_first[static_cast<std::size_t>(s)], nc = sym.super_first[static_cast<std::size_t>(s) + 1] - f;
    const i32* rows = sym.rows.data() + sym.row_ptr[static_cast<std::size_t>(s)];
    const i64 nr = sym.row_ptr[static_cast<std::size_t>(s) + 1] - sym.row_ptr[static_cast<std::size_t>(s)];
    const double* ls = sys.values.data() + sym.value_ptr[static_cast<std::size_t>(s)];
    for (i64 i = 0; i < nr; ++i)
      for (i64 c = 0; c < lanes; ++c) y[i * lanes + c] = x[static_cast<i64>(rows[i]) * lanes + c];
    for (i64 j = nc - 1; j >= 0; --j) {
      const double* col = ls + j * nr;
      double t[lanes];
      for (i64 c = 0; c < lanes; ++c) t[c] = y[j * lanes + c];
      for (i64 i = j + 1; i < nr; ++i)
        for (i64 c = 0; c < lanes; ++c) t[c] -= col[i] * y[i * lanes + c];
      for (i64 c = 0; c < lanes; ++c) y[j * lanes + c] = t[c] / col[j];
    }
    for (i64 j = 0; j < nc; ++j)
      for (i64 c = 0; c < lanes; ++c) x[(f + j) * lanes + c] = y[j * lanes + c];
  }
}

// Both substitutions follow the factorisation's plan: the two tasks'
// subtrees side by side, the separators above them alone. Forward, each task
// sums what it subtracts from separator rows in its own array, and the two
// sums are added to those rows afterwards, first task's first; backward, the
// separators are done first and the tasks only read them. The arithmetic is
// fixed by the plan alone, so the result is the same for any thread count.
void substitute(const SparseSystem& sys, std::int64_t nrhs, double* b, int threads) {
  const SparseSymbolic& sym = sys.sym;
  const i64 n = sym.n, ns = sym.n_super();
  const bool split = !sym.task[0].empty() || !sym.task[1].empty();
  i64 max_rows = 0;
  for (i64 s = 0; s < ns; ++s)
    max_rows = std::max(max_rows, sym.row_ptr[static_cast<std::size_t>(s) + 1] - sym.row_ptr[static_cast<std::size_t>(s)]);
  // Unused lanes carry zeros, so the loops run over whole blocks.
  std::vector<double> work(static_cast<std::size_t>(n * lanes));
  std::vector<double> local[2] = {std::vector<double>(static_cast<std::size_t>(max_rows * lanes)),
                                  std::vector<double>(split ? static_cast<std::size_t>(max_rows * lanes) : 0)};
  std::vector<i32> slot, rest_rows;
  if (split) {
    slot.assign(static_cast<std::size_t>(n), -1);
    for (const auto& [rb, re] : sym.rest)
      for (i64 k = sym.super_first[static_cast<std::size_t>(rb)]; k < sym.super_first[static_cast<std::size_t>(re)]; ++k) {
        slot[static_cast<std::size_t>(k)] = static_cast<i32>(rest_rows.size());
        rest_rows.push_back(static_cast<i32>(k));
      }
  }
  // Allocated here: nothing inside the team allocates (or could throw).
  std::vector<double> sums[2] = {std::vector<double>(rest_rows.size() * static_cast<std::size_t>(lanes)),
                                 std::vector<double>(rest_rows.size() * static_cast<std::size_t>(lanes))};
  const auto both = [&](const auto& task) { side_by_side(threads >= 2, [&] { task(0); }, [&] { task(1); }); };
  for (i64 c0 = 0; c0 < nrhs; c0 += lanes) {
    const i64 nb = std::min(lanes, nrhs - c0);
    double* x = work.data();
    for (i64 k = 0; k < n; ++k)
      for (i64 c = 0; c < lanes; ++c)
        x[k * lanes + c] = c < nb ? b[(c0 + c) * n + sym.perm[static_cast<std::size_t>(k)]] : 0.0;
    if (split) {
      both([&](int t) {
        std::fill(sums[t].begin(), sums[t].end(), 0.0);
        for (const auto& [rb, re] : sym.task[t]) {
          const ForwardTarget to{x, sums[t].data(), slot.data(), sym.super_first[static_cast<std::size_t>(re)]};
          forward_range(sys, rb, re, to, local[t].data());
        }
      });
      for (std::size_t r = 0; r < rest_rows.size(); ++r)
        for (i64 c = 0; c < lanes; ++c) {
          const std::size_t q = r * static_cast<std::size_t>(lanes) + static_cast<std::size_t>(c);
          x[static_cast<i64>(rest_rows[r]) * lanes + c] += sums[0][q] + sums[1][q];
        }
    }
    const ForwardTarget whole{x, nullptr, nullptr, n};
    for (const auto& [rb, re] : sym.rest) forward_range(sys, rb, re, whole, local[0].data());
    for (auto r = sym.rest.rbegin(); r != sym.rest.rend(); ++r) backward_range(sys, r->first, r->second, x, local[0].data());
    if (split)
      both([&](int t) {
        for (auto r = sym.task[t].rbegin(); r != sym.task[t].rend(); ++r)
          backward_range(sys, r->first, r->second, x, local[t].data());
      });
    for (i64 k = 0; k < n; ++k)
      for (i64 c = 0; c < nb; ++c) b[(c0 + c) * n + sym.perm[static_cast<std::size_t>(k)]] = x[k * lanes + c];
  }
}

}  // namespace

void SPARSE_LLT_SOLVE(const SparseSystem& sys, std::int64_t nrhs, double* b, int threads) {
  if (sys.sym.n < 1 || nrhs < 1) return;
  substitute(sys, nrhs, b, threads);
}

void solve_sparse_system(SparseSystem& sys, double* rhs, std::int64_t nrhs, int threads) {
  if (!sys.factorised) {
    SPARSE_LLT_DECOMP(sys, threads);
    sys.zeroed = false;
    sys.factorised = true;
  }
  SPARSE_LLT_SOLVE(sys, nrhs, rhs, threads);
}

}  // namespace bsp
