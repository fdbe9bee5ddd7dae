#include "solver/rcm.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "common/checked_size.h"
#include "common/large_allocator.h"

namespace bsp {
namespace {

using Node = std::int32_t;  // 0-based node index; node numbers are int32 at the boundary

// Work arrays that are written whole before they are read need no clearing.
template <class T>
using WorkVector = std::vector<T, UninitialisedLargeAllocator<T>>;

// Node adjacency in compressed rows: the neighbours of node v (itself
// excluded) are adj[start[v] .. start[v+1]), ascending. Built from every pair
// of one element, so a node keeps all its neighbours however many elements
// meet at it (a corner of a 6-node triangle mesh easily has more than 12).
struct Adjacency {
  WorkVector<std::int64_t> start;
  WorkVector<Node> adj;

  std::int64_t degree(Node v) const { return start[v + 1] - start[v]; }
};

// Two passes, no sorting. The first lists the elements of each node. The
// second walks the nodes u in ascending order and appends u to the row of
// every other node v of each of u's elements, unless u is already there
// (last[v] == u; all copies of the pair arrive while u is current). The
// relation is symmetric, so row v receives exactly v's neighbours, each
// once and in ascending order (u only grows). Rows are filled into the bound
// npe - 1 slots per appearance of the node, then compacted.
Adjacency build_adjacency(std::int64_t n, int npe, std::int64_t n_elements, const std::int32_t* conn) {
  const auto un = static_cast<std::size_t>(n);
  const auto at = [](std::int64_t i) { return static_cast<std::size_t>(i); };
  LargeVector<std::int64_t> first(un + 1, 0);  // elements of node v: of_node[first[v] .. first[v+1])
  for (std::int64_t k = 0; k < n_elements * npe; ++k) ++first[at(conn[k])];
  for (std::size_t v = 0; v < un; ++v) first[v + 1] += first[v];
  WorkVector<std::int64_t> end(first.begin(), first.end() - 1);
  WorkVector<std::int64_t> of_node(at(first[un]));
  for (std::int64_t e = 0; e < n_elements; ++e)
    for (int a = 0; a < npe; ++a) of_node[at(end[at(conn[e * npe + a] - 1)]++)] = e;

  Adjacency g;
  g.adj.resize(at(first[un] * (npe - 1)));
  for (std::size_t v = 0; v < un; ++v) end[v] = first[v] * (npe - 1);  // row v grows from its bound
  LargeVector<Node> last(un, -1);
  // npe as a constant for the two element kinds, so the inner loop unrolls.
  const auto append = [&](auto k) {
    Node* adj = g.adj.data();
    for (std::size_t u = 0; u < un; ++u) {
      const Node nu = static_cast<Node>(u);
      last[u] = nu;  // a node is not its own neighbour
      for (std::int64_t p = first[u], p_end = first[u + 1]; p < p_end; ++p) {
        const std::int32_t* c = conn + of_node[at(p)] * k;
        for (int b = 0; b < k; ++b) {
          const auto v = at(c[b] - 1);
          if (last[v] == nu) continue;
          last[v] = nu;
          adj[end[v]++] = nu;
        }
      }
    }
  };
  if (npe == 4)
    append(std::integral_constant<int, 4>{});
  else if (npe == 6)
    append(std::integral_constant<int, 6>{});
  else
    append(npe);
  g.start.resize(un + 1);
  std::int64_t out = 0;
  for (std::size_t v = 0; v < un; ++v) {
    g.start[v] = out;
    const std::int64_t bound = first[v] * (npe - 1);
    if (out != bound) std::copy(g.adj.begin() + bound, g.adj.begin() + end[v], g.adj.begin() + out);  // to the left
    out += end[v] - bound;
  }
  g.start[un] = out;
  g.adj.resize(at(out));
  return g;
}

// Breadth-first level structure over the unnumbered nodes reachable from
// root. order receives the nodes level by level (each level in discovery
// order, neighbours taken ascending); returns the number of levels and sets
// last_level_begin to the index in order where the deepest level starts.
struct Levels {
  std::int64_t count = 0;
  std::int64_t size = 0;
  std::int64_t last_begin = 0;
};

// A node's mark: numbered_mark once it has its new number, otherwise the
// number of the last level structure that reached it (0: none yet). One
// array answers "numbered or already reached" with one comparison.
constexpr std::int64_t numbered_mark = std::numeric_limits<std::int64_t>::max();

class LevelBuilder {
 public:
  LevelBuilder(const Adjacency& g, LargeVector<std::int64_t>& mark, std::int64_t n)
      : g_(g), mark_(mark), order_(static_cast<std::size_t>(n)) {}

  Levels build(Node root) {
    ++current_;
    Levels lv;
    const std::int64_t* start = g_.start.data();
    const Node* adj = g_.adj.data();
    std::int64_t* mark = mark_.data();
    Node* order = order_.data();
    std::int64_t head = 0, tail = 0;
    order[tail++] = root;
    mark[root] = current_;
    while (head < tail) {
      const std::int64_t level_end = tail;
      lv.last_begin = head;
      ++lv.count;
      for (; head < level_end; ++head) {
        const Node v = order[head];
        for (std::int64_t p = start[v], p_end = start[v + 1]; p < p_end; ++p) {
          const Node w = adj[p];
          if (mark[w] >= current_) continue;  // numbered, or reached in this search
          mark[w] = current_;
          order[tail++] = w;
        }
      }
    }
    lv.size = tail;
    return lv;
  }

  const WorkVector<Node>& order() const { return order_; }

 private:
  const Adjacency& g_;
  LargeVector<std::int64_t>& mark_;
  std::int64_t current_ = 0;
  WorkVector<Node> order_;
};

// Pseudo-peripheral root of the component of start: repeatedly jump to a
// minimum-degree node of the deepest level while that deepens the structure.
// The search ends on the newest candidate tried, even when it did not deepen.
Node pseudo_peripheral_root(Node start, const Adjacency& g, LevelBuilder& levels) {
  Node root = start;
  Levels lv = levels.build(root);
  if (lv.count < 2) return root;
  for (;;) {
    if (lv.count == lv.size) return root;
    const auto& order = levels.order();
    Node candidate = order[lv.last_begin];
    for (std::int64_t k = lv.last_begin + 1; k < lv.size; ++k)
      if (g.degree(order[k]) < g.degree(candidate)) candidate = order[k];
    const Levels next = levels.build(candidate);
    root = candidate;
    if (next.count <= lv.count) return root;
    lv = next;
  }
}

// Cuthill-McKee order of root's component appended to perm from position
// first; returns the position after it. The component is then reversed.
std::int64_t cuthill_mckee(Node root, const Adjacency& g, LargeVector<std::int64_t>& mark, WorkVector<Node>& perm,
                           std::int64_t first) {
  std::int64_t tail = first;
  perm[tail++] = root;
  mark[root] = numbered_mark;
  for (std::int64_t head = first; head < tail; ++head) {
    const Node v = perm[head];
    const std::int64_t appended = tail;
    for (std::int64_t p = g.start[v], p_end = g.start[v + 1]; p < p_end; ++p) {
      const Node w = g.adj[p];
      if (mark[w] == numbered_mark) continue;
      mark[w] = numbered_mark;
      perm[tail++] = w;
    }
    // Insertion sort by ascending degree; an equal degree is passed over, so
    // nodes of equal degree end in the reverse of their appended order.
    for (std::int64_t k = appended + 1; k < tail; ++k) {
      const Node w = perm[k];
      std::int64_t m = k;
      while (m > appended && g.degree(perm[m - 1]) >= g.degree(w)) {
        perm[m] = perm[m - 1];
        --m;
      }
      perm[m] = w;
    }
  }
  std::reverse(perm.begin() + first, perm.begin() + tail);
  return tail;
}

}  // namespace

bool RCM_RENUMBER(std::int64_t n, int npe, std::int64_t n_elements, std::int32_t* connectivity) {
  if (n < 1) return false;
  try {
    // New numbers must fit the int32 connectivity; past that no work array is
    // worth attempting, which is the same outcome as a failed allocation.
    if (n > std::numeric_limits<std::int32_t>::max() || npe < 1 || n_elements < 0 ||
        !checked_size(n_elements, std::int64_t{npe} * npe))
      throw std::bad_alloc();
    const Adjacency g = build_adjacency(n, npe, n_elements, connectivity);
    LargeVector<std::int64_t> mark(static_cast<std::size_t>(n), 0);
    WorkVector<Node> perm(static_cast<std::size_t>(n));
    LevelBuilder levels(g, mark, n);
    std::int64_t filled = 0;
    for (Node i = 0; i < n && filled < n; ++i) {
      if (mark[i] == numbered_mark) continue;
      const Node root = pseudo_peripheral_root(i, g, levels);
      filled = cuthill_mckee(root, g, mark, perm, filled);
    }
    WorkVector<std::int32_t> new_number(static_cast<std::size_t>(n));
    for (std::int64_t k = 0; k < n; ++k) new_number[perm[k]] = static_cast<std::int32_t>(k + 1);
    for (std::int64_t k = 0; k < n_elements * npe; ++k) connectivity[k] = new_number[connectivity[k] - 1];
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  std::fputs("ERROR DETECTED!\n", stdout);
  std::fflush(stdout);
  return false;
}

std::int64_t BANDWIDTH(int npe, std::int64_t n_elements, const std::int32_t* connectivity) {
  std::int64_t kd = 0;
  for (std::int64_t e = 0; e < n_elements; ++e) {
    const std::int32_t* c = connectivity + e * npe;
    const auto [lo, hi] = std::minmax_element(c, c + npe);
    kd = std::max<std::int64_t>(kd, std::int64_t{*hi} - *lo);
  }
  return kd;
}

}  // namespace bsp
