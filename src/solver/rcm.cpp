#include "solver/rcm.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "common/checked_size.h"
#include "common/large_allocator.h"

namespace bsp {
namespace {

using Node = std::int32_t;  // 0-based node index; node numbers are int32 at the boundary

// All work arrays of one renumbering live in one block, not cleared (each
// array is filled before it is read). As separate arrays, the adjacency and
// the element lists of a mesh of a few thousand nodes, a few hundred KiB
// each, would each be mapped in a huge page of their own (large_allocator.h:
// the system clears every 2 MiB it maps), and the smaller ones would grow
// and shrink the heap page by page on every call. A block below 1 MiB comes
// from operator new, whose heap keeps it from one call to the next; from
// 1 MiB on it is mapped like the other large arrays, one huge page per 2 MiB
// it fills. Rule of this library, measured with
// bench/solver/standard_section_bench.cpp on block meshes of 1 000 - 6 000
// nodes against separate arrays and against one mapped block.
inline constexpr std::size_t workspace_heap_limit = std::size_t{1} << 20;

class Workspace {
 public:
  explicit Workspace(std::size_t bytes) : size_(bytes) {
    if (bytes < workspace_heap_limit) {
      heap_.reset(new std::byte[bytes]);
      data_ = heap_.get();
    } else {
      mapped_.resize(bytes);
      data_ = mapped_.data();
    }
  }

  // The next `count` values of type T, aligned for T. The bytes of the block
  // provide storage for them (arrays of std::byte create such objects).
  template <class T>
  std::span<T> take(std::size_t count) {
    static_assert(std::is_trivial_v<T> && alignof(T) <= alignof(std::max_align_t));
    const std::size_t offset = aligned(used_, alignof(T));
    used_ = offset + count * sizeof(T);
    if (used_ > size_) throw std::bad_alloc();  // a sizing slip, never expected
    return {reinterpret_cast<T*>(data_ + offset), count};
  }
  // Position to return to when the arrays taken after it are no longer needed.
  std::size_t mark() const { return used_; }
  void release_to(std::size_t mark) { used_ = mark; }

  static constexpr std::size_t aligned(std::size_t bytes, std::size_t alignment) {
    return (bytes + alignment - 1) / alignment * alignment;
  }

 private:
  std::unique_ptr<std::byte[]> heap_;
  std::vector<std::byte, UninitialisedLargeAllocator<std::byte>> mapped_;
  std::byte* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t used_ = 0;
};

// Node adjacency in compressed rows: the neighbours of node v (itself
// excluded) are adj[start[v] .. start[v+1]), ascending. Built from every pair
// of one element, so a node keeps all its neighbours however many elements
// meet at it (a corner of a 6-node triangle mesh easily has more than 12).
struct Adjacency {
  std::span<std::int64_t> start;
  std::span<Node> adj;

  std::int64_t degree(Node v) const { return start[v + 1] - start[v]; }
};

// Bytes of the workspace one renumbering takes: the adjacency (at its bound
// npe - 1 entries per appearance of a node), then either the scratch of its
// construction or the arrays of the ordering, which reuse that space; each
// array may need up to 7 bytes of alignment. Nothing when a size overflows.
std::optional<std::size_t> workspace_bytes(std::int64_t n, int npe, std::int64_t n_elements) {
  const auto appearances = checked_size(n_elements, npe);
  const auto bound = checked_size(n_elements, std::int64_t{npe} * (npe - 1));
  const auto nodes = checked_size(n + 1);
  if (!appearances || !bound || !nodes) return std::nullopt;
  const std::size_t limit = std::numeric_limits<std::size_t>::max() / 64;
  if (*appearances > limit || *bound > limit || *nodes > limit) return std::nullopt;
  const std::size_t pad = 8;
  const std::size_t adjacency = 8 * *nodes + 4 * *bound + 2 * pad;
  const std::size_t construction = 8 * *nodes + 8 * *nodes + 8 * *appearances + 4 * *nodes + 4 * pad;
  const std::size_t ordering = 8 * *nodes + 3 * 4 * *nodes + 4 * pad;
  return adjacency + std::max(construction, ordering);
}

// Two passes, no sorting. The first lists the elements of each node. The
// second walks the nodes u in ascending order and appends u to the row of
// every other node v of each of u's elements, unless u is already there
// (last[v] == u; all copies of the pair arrive while u is current). The
// relation is symmetric, so row v receives exactly v's neighbours, each
// once and in ascending order (u only grows). Rows are filled into the bound
// npe - 1 slots per appearance of the node, then compacted. The scratch of
// the construction is given back to the workspace before returning.
Adjacency build_adjacency(std::int64_t n, int npe, std::int64_t n_elements, const std::int32_t* conn,
                          Workspace& ws) {
  const auto un = static_cast<std::size_t>(n);
  const auto at = [](std::int64_t i) { return static_cast<std::size_t>(i); };
  Adjacency g;
  g.start = ws.take<std::int64_t>(un + 1);
  g.adj = ws.take<Node>(at(n_elements * npe * (npe - 1)));
  const std::size_t scratch = ws.mark();

  const std::span<std::int64_t> first = ws.take<std::int64_t>(un + 1);  // elements of v: of_node[first[v] ..)
  std::fill(first.begin(), first.end(), 0);
  for (std::int64_t k = 0; k < n_elements * npe; ++k) ++first[at(conn[k])];
  for (std::size_t v = 0; v < un; ++v) first[v + 1] += first[v];
  const std::span<std::int64_t> end = ws.take<std::int64_t>(un);
  std::copy(first.begin(), first.end() - 1, end.begin());
  const std::span<std::int64_t> of_node = ws.take<std::int64_t>(at(first[un]));
  for (std::int64_t e = 0; e < n_elements; ++e)
    for (int a = 0; a < npe; ++a) of_node[at(end[at(conn[e * npe + a] - 1)]++)] = e;

  for (std::size_t v = 0; v < un; ++v) end[v] = first[v] * (npe - 1);  // row v grows from its bound
  const std::span<Node> last = ws.take<Node>(un);
  std::fill(last.begin(), last.end(), Node{-1});
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
  std::int64_t out = 0;
  for (std::size_t v = 0; v < un; ++v) {
    g.start[v] = out;
    const std::int64_t bound = first[v] * (npe - 1);
    if (out != bound) std::copy(g.adj.begin() + bound, g.adj.begin() + end[v], g.adj.begin() + out);  // leftwards
    out += end[v] - bound;
  }
  g.start[un] = out;
  g.adj = g.adj.first(at(out));
  ws.release_to(scratch);
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
  LevelBuilder(const Adjacency& g, std::span<std::int64_t> mark, std::span<Node> order)
      : g_(g), mark_(mark), order_(order) {}

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

  std::span<const Node> order() const { return order_; }

 private:
  const Adjacency& g_;
  std::span<std::int64_t> mark_;
  std::int64_t current_ = 0;
  std::span<Node> order_;
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
    const std::span<const Node> order = levels.order();
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
std::int64_t cuthill_mckee(Node root, const Adjacency& g, std::span<std::int64_t> mark, std::span<Node> perm,
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
    const std::optional<std::size_t> bytes =
        n > std::numeric_limits<std::int32_t>::max() || npe < 1 || n_elements < 0 ||
                !checked_size(n_elements, std::int64_t{npe} * npe)
            ? std::nullopt
            : workspace_bytes(n, npe, n_elements);
    if (!bytes) throw std::bad_alloc();
    const auto un = static_cast<std::size_t>(n);
    Workspace ws(*bytes);
    const Adjacency g = build_adjacency(n, npe, n_elements, connectivity, ws);
    const std::span<std::int64_t> mark = ws.take<std::int64_t>(un);
    std::fill(mark.begin(), mark.end(), 0);
    const std::span<Node> perm = ws.take<Node>(un);
    LevelBuilder levels(g, mark, ws.take<Node>(un));
    std::int64_t filled = 0;
    for (Node i = 0; i < n && filled < n; ++i) {
      if (mark[static_cast<std::size_t>(i)] == numbered_mark) continue;
      const Node root = pseudo_peripheral_root(i, g, levels);
      filled = cuthill_mckee(root, g, mark, perm, filled);
    }
    const std::span<std::int32_t> new_number = ws.take<std::int32_t>(un);
    for (std::size_t k = 0; k < un; ++k)
      new_number[static_cast<std::size_t>(perm[k])] = static_cast<std::int32_t>(k + 1);
    for (std::int64_t k = 0; k < n_elements * npe; ++k)
      connectivity[k] = new_number[static_cast<std::size_t>(connectivity[k] - 1)];
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
