#include "geometry/mesh_validity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <omp.h>
#include <vector>

namespace bsp {
namespace {

constexpr std::size_t k = merged_nodes_per_element;

// From this many elements the pair search runs on two threads: about a
// millisecond of work each, against about 0.1 ms to wake the team.
constexpr std::size_t parallel_check_elements = 4096;

struct Box {
  double x0, y0, x1, y1;
};

// Corners and, per edge i (corner i to corner i+1), its direction, squared
// length and unit outward normal, computed once per element.
struct Triangle {
  std::array<double, 3> x, y;
  std::array<double, 3> ex, ey, len2, nx, ny;
  double size;  // longest edge
};

class Checker {
 public:
  Checker(const MergedSection& mesh, bool created_mid, int threads)
      : mesh_(mesh), created_mid_(created_mid), threads_(threads) {}

  std::optional<MeshFault> run() {
    const std::size_t n = static_cast<std::size_t>(mesh_.element_count());
    if (n < 2) return std::nullopt;
    triangles_.resize(n);
    boxes_.resize(n);
    double mean_size = 0.0;
    Box all{mesh_.x[0], mesh_.y[0], mesh_.x[0], mesh_.y[0]};
    for (std::size_t e = 0; e < n; ++e) {
      Triangle& t = triangles_[e];
      Box& b = boxes_[e];
      for (std::size_t i = 0; i < 3; ++i) {
        const auto node = static_cast<std::size_t>(mesh_.connectivity[e * k + i] - 1);
        t.x[i] = mesh_.x[node];
        t.y[i] = mesh_.y[node];
      }
      b = {std::min({t.x[0], t.x[1], t.x[2]}), std::min({t.y[0], t.y[1], t.y[2]}),
           std::max({t.x[0], t.x[1], t.x[2]}), std::max({t.y[0], t.y[1], t.y[2]})};
      t.size = 0.0;
      for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t j = (i + 1) % 3;
        t.ex[i] = t.x[j] - t.x[i];
        t.ey[i] = t.y[j] - t.y[i];
        t.len2[i] = t.ex[i] * t.ex[i] + t.ey[i] * t.ey[i];
        const double len = std::sqrt(t.len2[i]);
        // Outward normal of a counter-clockwise triangle: (ey, -ex) / len.
        t.nx[i] = len > 0.0 ? t.ey[i] / len : 0.0;
        t.ny[i] = len > 0.0 ? -t.ex[i] / len : 0.0;
        t.size = std::max(t.size, len);
      }
      mean_size += t.size;
      all = {std::min(all.x0, b.x0), std::min(all.y0, b.y0), std::max(all.x1, b.x1), std::max(all.y1, b.y1)};
    }
    mean_size /= static_cast<double>(n);
    build_grid(all, mean_size, n);

    // Each pair whose boxes meet is tested once, by the element of the
    // smaller number. On a large mesh two threads search halves of the
    // element range; the first half's fault, if any, is the one a single
    // thread would have met first, so the report does not depend on the
    // thread count. The stamps are made here: nothing inside the parallel
    // region allocates.
    if (threads_ >= 2 && n >= parallel_check_elements) {
      std::vector<std::size_t> stamps[2] = {std::vector<std::size_t>(n, n), std::vector<std::size_t>(n, n)};
      std::optional<MeshFault> found[2];
      const std::size_t half = n / 2;
#pragma omp parallel num_threads(2)
      {
        // A team of one (nested in a host's region) searches both halves.
        const int t = omp_get_thread_num();
        if (omp_get_num_threads() < 2) {
          found[0] = search(0, half, stamps[0]);
          found[1] = search(half, n, stamps[1]);
        } else if (t < 2) {
          found[t] = t == 0 ? search(0, half, stamps[0]) : search(half, n, stamps[1]);
        }
      }
      return found[0] ? found[0] : found[1];
    }
    std::vector<std::size_t> stamp(n, n);
    return search(0, n, stamp);
  }

 private:
  // The first fault met by elements [begin, end) in order, each testing its
  // higher-numbered neighbours; stamp[f] == e skips f's repeats across the
  // cells of e.
  std::optional<MeshFault> search(std::size_t begin, std::size_t end, std::vector<std::size_t>& stamp) const {
    for (std::size_t e = begin; e < end; ++e) {
      const auto [i0, j0, i1, j1] = cell_range(boxes_[e]);
      for (std::size_t j = j0; j <= j1; ++j) {
        for (std::size_t i = i0; i <= i1; ++i) {
          const std::size_t c = j * nx_ + i;
          for (std::size_t s = cell_start_[c]; s < cell_start_[c + 1]; ++s) {
            const std::size_t f = cell_items_[s];
            if (f <= e || stamp[f] == e) continue;
            stamp[f] = e;
            if (!boxes_meet(boxes_[e], boxes_[f], e, f)) continue;
            if (auto fault = test_pair(e, f)) return fault;
          }
        }
      }
    }
    return std::nullopt;
  }

  struct CellRange {
    std::size_t i0, j0, i1, j1;
  };

  void build_grid(const Box& all, double mean_size, std::size_t n) {
    x0_ = all.x0;
    y0_ = all.y0;
    const double w = all.x1 - all.x0, h = all.y1 - all.y0;
    // About one cell per element, never cells much finer than an element,
    // and at most 4 n cells however sparse the mesh.
    const double max_cells = 4.0 * static_cast<double>(n) + 16.0;
    double side = std::max(mean_size, 1e-300);
    if ((w / side + 1.0) * (h / side + 1.0) > max_cells) side = std::sqrt(w * h / max_cells) + std::max(w, h) / max_cells;
    side_ = side;
    nx_ = static_cast<std::size_t>(w / side) + 1;
    ny_ = static_cast<std::size_t>(h / side) + 1;
    cell_start_.assign(nx_ * ny_ + 1, 0);
    for (std::size_t e = 0; e < n; ++e) {
      const auto r = cell_range(boxes_[e]);
      for (std::size_t j = r.j0; j <= r.j1; ++j)
        for (std::size_t i = r.i0; i <= r.i1; ++i) ++cell_start_[j * nx_ + i + 1];
    }
    for (std::size_t c = 0; c < nx_ * ny_; ++c) cell_start_[c + 1] += cell_start_[c];
    cell_items_.resize(cell_start_.back());
    std::vector<std::size_t> fill(cell_start_.begin(), cell_start_.end() - 1);
    for (std::size_t e = 0; e < n; ++e) {
      const auto r = cell_range(boxes_[e]);
      for (std::size_t j = r.j0; j <= r.j1; ++j)
        for (std::size_t i = r.i0; i <= r.i1; ++i) cell_items_[fill[j * nx_ + i]++] = e;
    }
  }

  std::size_t clamp_index(double v, std::size_t n) const {
    if (!(v > 0.0)) return 0;
    const double c = std::floor(v);
    return c >= static_cast<double>(n - 1) ? n - 1 : static_cast<std::size_t>(c);
  }
  CellRange cell_range(const Box& b) const {
    return {clamp_index((b.x0 - x0_) / side_, nx_), clamp_index((b.y0 - y0_) / side_, ny_),
            clamp_index((b.x1 - x0_) / side_, nx_), clamp_index((b.y1 - y0_) / side_, ny_)};
  }

  bool boxes_meet(const Box& a, const Box& b, std::size_t e, std::size_t f) const {
    const double tol = hanging_tolerance_ratio * std::max(triangles_[e].size, triangles_[f].size);
    return a.x0 <= b.x1 + tol && b.x0 <= a.x1 + tol && a.y0 <= b.y1 + tol && b.y0 <= a.y1 + tol;
  }

  // Gap between the two corner triangles along the outward normal of edge i
  // of `a`: positive when b lies wholly outside that edge's line.
  static double gap(const Triangle& a, std::size_t i, const Triangle& b) {
    double lowest = std::numeric_limits<double>::infinity();
    for (std::size_t m = 0; m < 3; ++m)
      lowest = std::min(lowest, (b.x[m] - a.x[i]) * a.nx[i] + (b.y[m] - a.y[i]) * a.ny[i]);
    return lowest;
  }

  bool overlap(std::size_t e, std::size_t f) const {
    const Triangle& a = triangles_[e];
    const Triangle& b = triangles_[f];
    const double tol = overlap_tolerance_ratio * std::max(a.size, b.size);
    for (std::size_t i = 0; i < 3; ++i) {
      if (gap(a, i, b) > -tol) return false;
      if (gap(b, i, a) > -tol) return false;
    }
    return true;
  }

  // Whether `node` is one of the element's own nodes. A created mid-side
  // node is the element's own unless an input node sits there: an input node
  // at the midpoint of an edge of 3-node input is a finer neighbour's corner.
  bool uses(std::size_t element, std::int32_t node) const {
    const std::int32_t* own = &mesh_.connectivity[element * k];
    for (std::size_t i = 0; i < 3; ++i)
      if (own[i] == node) return true;
    for (std::size_t i = 3; i < k; ++i)
      if (own[i] == node) return !created_mid_ || mesh_.node_origin[static_cast<std::size_t>(node - 1)] < 0;
    return false;
  }

  // A node of `owner` that lies strictly inside an edge of `element` without
  // being one of its nodes; input nodes are preferred in the report.
  std::optional<MeshFault> hanging(std::size_t element, std::size_t owner) const {
    const Triangle& t = triangles_[element];
    const Box& b = boxes_[element];
    const double tol = hanging_tolerance_ratio * t.size;
    std::optional<MeshFault> found;
    for (std::size_t i = 0; i < k; ++i) {
      const std::int32_t node = mesh_.connectivity[owner * k + i];
      if (uses(element, node)) continue;
      const auto nd = static_cast<std::size_t>(node - 1);
      const double x = mesh_.x[nd], y = mesh_.y[nd];
      if (x < b.x0 - tol || x > b.x1 + tol || y < b.y0 - tol || y > b.y1 + tol) continue;
      for (std::size_t edge = 0; edge < 3; ++edge) {
        if (!(t.len2[edge] > 0.0)) continue;
        const double px = x - t.x[edge], py = y - t.y[edge];
        const double s = (px * t.ex[edge] + py * t.ey[edge]) / t.len2[edge];
        if (!(s > hanging_tolerance_ratio && s < 1.0 - hanging_tolerance_ratio)) continue;
        // Distance from the chord, against the tolerance times the edge length.
        const double cross = px * t.ey[edge] - py * t.ex[edge];
        if (!(cross * cross < hanging_tolerance_ratio * hanging_tolerance_ratio * t.len2[edge] * t.len2[edge])) continue;
        const bool input = mesh_.node_origin[nd] >= 0;
        if (found && !(input && mesh_.node_origin[static_cast<std::size_t>(found->node)] < 0)) continue;
        found = MeshFault{MeshFault::Kind::hanging_node, static_cast<std::int32_t>(element),
                          static_cast<std::int32_t>(owner), static_cast<std::int32_t>(nd), static_cast<int>(edge)};
        if (input) return found;
      }
    }
    return found;
  }

  std::optional<MeshFault> test_pair(std::size_t e, std::size_t f) const {
    if (overlap(e, f))
      return MeshFault{MeshFault::Kind::overlap, static_cast<std::int32_t>(e), static_cast<std::int32_t>(f), 0, 0};
    const auto on_e = hanging(e, f);
    if (on_e && mesh_.node_origin[static_cast<std::size_t>(on_e->node)] >= 0) return on_e;
    const auto on_f = hanging(f, e);
    if (on_f && (!on_e || mesh_.node_origin[static_cast<std::size_t>(on_f->node)] >= 0)) return on_f;
    return on_e;
  }

  const MergedSection& mesh_;
  bool created_mid_;
  int threads_;
  std::vector<Triangle> triangles_;
  std::vector<Box> boxes_;
  double x0_ = 0, y0_ = 0, side_ = 1;
  std::size_t nx_ = 1, ny_ = 1;
  std::vector<std::size_t> cell_start_, cell_items_;
};

}  // namespace

std::optional<MeshFault> find_mesh_fault(const MergedSection& mesh, bool created_mid_side_nodes, int threads) {
  return Checker(mesh, created_mid_side_nodes, threads).run();
}

}  // namespace bsp
