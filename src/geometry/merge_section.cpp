#include "geometry/merge_section.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
#include <unordered_map>

#include "common/large_allocator.h"
#include "geometry/coincidence_grid.h"
#include "geometry/smallest_root_sets.h"

namespace bsp {
namespace {

using NodeId = std::int32_t;

struct EdgeUse {
  std::int32_t count;   // elements of the part that use the edge
  NodeId mid;           // its mid-side node
  NodeId start, end;    // the corner nodes of the first element that used it
};

// Corner pair of edge i of a triangle, in the solver's order 1-2, 2-3, 3-1.
constexpr int edge_start[3] = {0, 1, 2};
constexpr int edge_end[3] = {1, 2, 0};

class Merger {
 public:
  explicit Merger(const MergeInput& in)
      : in_(in),
        k_(in.nodes_per_element == 6 ? 6 : 3),
        n_input_nodes_(in.x.size()),
        n_elements_(in.element_material.size()),
        x_(in.x.begin(), in.x.end()),
        y_(in.y.begin(), in.y.end()),
        ids_(n_input_nodes_),
        refs_(n_elements_ * merged_nodes_per_element) {
    // Created mid-side nodes must stay representable as 1-based int32 numbers.
    const std::size_t worst = n_input_nodes_ + (k_ == 3 ? 3 * n_elements_ : 0);
    if (worst > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
      throw std::length_error("merge_section: too many nodes");
    // Created mid-side nodes: about 1.5 per triangle in a connected mesh,
    // at most 3.
    x_.reserve(worst);
    y_.reserve(worst);
    ids_.reserve(worst);
  }

  MergedSection run() {
    LargeVector<std::int32_t> last_part_of(n_input_nodes_, -1);
    std::size_t first = 0;
    const auto n_parts = static_cast<std::int32_t>(in_.part_element_count.size());
    for (std::int32_t p = 0; p < n_parts; ++p) {
      const auto count = static_cast<std::size_t>(in_.part_element_count[static_cast<std::size_t>(p)]);
      if (count > 0) merge_part(p, first, first + count, last_part_of);
      first += count;
    }
    return emit();
  }

 private:
  NodeId input_node(std::size_t element, int local) const {
    return in_.connectivity[element * static_cast<std::size_t>(k_) + static_cast<std::size_t>(local)] - 1;
  }
  NodeId& ref(std::size_t element, int local) {
    return refs_[element * merged_nodes_per_element + static_cast<std::size_t>(local)];
  }
  bool coincide(NodeId a, NodeId b) const {
    const double dx = x_[static_cast<std::size_t>(a)] - x_[static_cast<std::size_t>(b)];
    const double dy = y_[static_cast<std::size_t>(a)] - y_[static_cast<std::size_t>(b)];
    return dx * dx + dy * dy < node_coincidence_tolerance * node_coincidence_tolerance;
  }

  NodeId new_node(double x, double y) {
    x_.push_back(x);
    y_.push_back(y);
    ids_.grow(x_.size());
    return static_cast<NodeId>(x_.size() - 1);
  }

  void merge_part(std::int32_t part, std::size_t first, std::size_t last, LargeVector<std::int32_t>& last_part_of) {
    // Coincident nodes inside the part become one.
    grid_.clear();
    // A triangle mesh has about half a corner node per element, and two
    // nodes per element once mid-sides count: k/3 per element is an upper
    // estimate that a rehash corrects if ever exceeded.
    grid_.reserve((last - first) * static_cast<std::size_t>(k_) / 3);
    for (std::size_t e = first; e < last; ++e) {
      for (int i = 0; i < k_; ++i) {
        const NodeId n = input_node(e, i);
        if (last_part_of[static_cast<std::size_t>(n)] == part) continue;
        last_part_of[static_cast<std::size_t>(n)] = part;
        grid_.for_each_near(x_[static_cast<std::size_t>(n)], y_[static_cast<std::size_t>(n)], [&](NodeId m, std::int32_t) {
          if (coincide(n, m)) ids_.unite(n, m);
        });
        grid_.insert(n, part, x_[static_cast<std::size_t>(n)], y_[static_cast<std::size_t>(n)]);
      }
    }

    // Edge registry of the part, keyed by the identities of the two corners.
    edges_.clear();
    edges_.reserve(2 * (last - first));  // 1.5 edges per triangle in a mesh
    for (std::size_t e = first; e < last; ++e) {
      for (int i = 0; i < 3; ++i) ref(e, i) = input_node(e, i);
      for (int i = 0; i < 3; ++i) {
        const NodeId a = ref(e, edge_start[i]);
        const NodeId b = ref(e, edge_end[i]);
        const auto ra = static_cast<std::uint32_t>(ids_.find(a));
        const auto rb = static_cast<std::uint32_t>(ids_.find(b));
        const std::uint64_t key = ra < rb ? (std::uint64_t{ra} << 32) | rb : (std::uint64_t{rb} << 32) | ra;
        auto [it, inserted] = edges_.try_emplace(key, EdgeUse{0, -1, a, b});
        EdgeUse& use = it->second;
        ++use.count;
        if (k_ == 6) {
          ref(e, 3 + i) = input_node(e, 3 + i);
          if (inserted) use.mid = ref(e, 3 + i);
        } else {
          if (inserted) {
            const auto sa = static_cast<std::size_t>(a);
            const auto sb = static_cast<std::size_t>(b);
            use.mid = new_node(0.5 * (x_[sa] + x_[sb]), 0.5 * (y_[sa] + y_[sb]));
          }
          ref(e, 3 + i) = use.mid;
        }
      }
    }

    // Boundary nodes (edges one element of the part uses) meet the boundary
    // nodes of the earlier parts. Interior nodes never touch another part in a
    // conforming mesh, which keeps this step linear in the boundary size.
    for (const auto& [key, use] : edges_) {
      if (use.count != 1) continue;
      for (NodeId n : {use.start, use.end, use.mid}) {
        const double nx = x_[static_cast<std::size_t>(n)];
        const double ny = y_[static_cast<std::size_t>(n)];
        boundary_.for_each_near(nx, ny, [&](NodeId m, std::int32_t other_part) {
          if (other_part != part && coincide(n, m)) ids_.unite(n, m);
        });
      }
    }
    for (const auto& [key, use] : edges_) {
      if (use.count != 1) continue;
      for (NodeId n : {use.start, use.end, use.mid})
        boundary_.insert(n, part, x_[static_cast<std::size_t>(n)], y_[static_cast<std::size_t>(n)]);
    }
    merged_elements_.reserve(n_elements_);
    for (std::size_t e = first; e < last; ++e) merged_elements_.push_back(e);
  }

  MergedSection emit() {
    // Components: elements connected through shared node identities. Every
    // component becomes one solver domain, so each domain's field problems
    // are connected and its loads balance about its own centroid.
    SmallestRootSets components(x_.size());
    for (std::size_t e : merged_elements_) {
      const NodeId r0 = ids_.find(ref(e, 0));
      for (int i = 1; i < merged_nodes_per_element; ++i) components.unite(r0, ids_.find(ref(e, i)));
    }
    LargeVector<std::int32_t> component_of_root(x_.size(), -1);
    LargeVector<std::int32_t> component_of(merged_elements_.size());
    std::int32_t n_components = 0;
    for (std::size_t j = 0; j < merged_elements_.size(); ++j) {
      const NodeId root = components.find(ids_.find(ref(merged_elements_[j], 0)));
      std::int32_t& c = component_of_root[static_cast<std::size_t>(root)];
      if (c < 0) c = n_components++;
      component_of[j] = c;
    }

    MergedSection out;
    out.component_element_count.assign(static_cast<std::size_t>(n_components), 0);
    out.component_node_count.assign(static_cast<std::size_t>(n_components), 0);
    for (std::int32_t c : component_of) ++out.component_element_count[static_cast<std::size_t>(c)];

    // Stable bucket order: components in order of first element, input order inside.
    std::vector<std::size_t> start(static_cast<std::size_t>(n_components) + 1, 0);
    for (std::int32_t c = 0; c < n_components; ++c)
      start[static_cast<std::size_t>(c) + 1] =
          start[static_cast<std::size_t>(c)] + static_cast<std::size_t>(out.component_element_count[static_cast<std::size_t>(c)]);
    LargeVector<std::size_t> order(merged_elements_.size());
    for (std::size_t j = 0; j < merged_elements_.size(); ++j)
      order[start[static_cast<std::size_t>(component_of[j])]++] = merged_elements_[j];

    const std::size_t n_out = order.size();
    out.connectivity.reserve(n_out * merged_nodes_per_element);
    out.element_material.reserve(n_out);
    out.element_origin.reserve(n_out);
    LargeVector<std::int32_t> merged_number(x_.size(), 0);
    out.x.reserve(x_.size());
    out.y.reserve(x_.size());
    out.node_origin.reserve(x_.size());
    std::size_t j = 0;
    for (std::int32_t c = 0; c < n_components; ++c) {
      for (std::int32_t k = 0; k < out.component_element_count[static_cast<std::size_t>(c)]; ++k, ++j) {
        const std::size_t e = order[j];
        out.element_material.push_back(in_.element_material[e]);
        out.element_origin.push_back(static_cast<std::int32_t>(e));
        for (int i = 0; i < merged_nodes_per_element; ++i) {
          const NodeId n = ref(e, i);
          const NodeId root = ids_.find(n);
          std::int32_t& number = merged_number[static_cast<std::size_t>(root)];
          if (number == 0) {
            // The root is the smallest identified number: an input node
            // whenever one belongs to the point.
            out.node_origin.push_back(static_cast<std::size_t>(root) < n_input_nodes_ ? root : -1);
            // The first element to use a point fixes its coordinates; all its
            // copies lie within the coincidence tolerance of them.
            out.x.push_back(x_[static_cast<std::size_t>(n)]);
            out.y.push_back(y_[static_cast<std::size_t>(n)]);
            number = static_cast<std::int32_t>(out.x.size());
            ++out.component_node_count[static_cast<std::size_t>(c)];
          }
          out.connectivity.push_back(number);
        }
      }
    }
    return out;
  }

  const MergeInput& in_;
  int k_;
  std::size_t n_input_nodes_;
  std::size_t n_elements_;
  LargeVector<double> x_, y_;       // input nodes, then created mid-side nodes
  SmallestRootSets ids_;            // which node numbers denote one point
  LargeVector<NodeId> refs_;        // 6 node references per element, solver order
  LargeVector<std::size_t> merged_elements_;
  CoincidenceGrid grid_;            // nodes of the current part
  CoincidenceGrid boundary_;        // boundary nodes of all parts so far
  std::unordered_map<std::uint64_t, EdgeUse> edges_;
};

}  // namespace

MergedSection merge_section(const MergeInput& input) { return Merger(input).run(); }

}  // namespace bsp
