// Domain_Maker: turns the edges of a drawn section (polylines that meet at
// shared end nodes and cross nothing) into closed domains, each one
// counter-clockwise outer wire with the inner wires (holes) directly inside
// it, the open lines inside it and the seed nodes inside it. It does not mesh;
// make_domain_mesh_data cuts one domain out as the mesher's input record.
//
// Order of the domains (hosts give region materials in this order): the input
// edges are visited in input order and every edge that does not yet bound a
// reported domain starts the next one, namely the region to the LEFT of the
// edge as given. An edge on the outside of the drawing bounds one region only
// and starts that region whatever its direction. The region to the right of
// an edge shared by two regions is reached through the edge's reversed twin,
// which comes after all input edges; so a region all of whose edges are
// shared and all given with it on their right comes after every region that
// owns a left side of an input edge. Closed edges (first node = last node)
// are first turned counter-clockwise, so they start the region they enclose.
// A hole is a region of its own, reported like any other (the host marks it
// with its material). A line joined to a boundary at one end starts the
// region it lies in; a line touching nothing starts none.
//
// Failures are data_2d::Mesh_Error with the exact one-line texts below; the
// maker's partial state is left to its destructor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "mesher/data_2d/node.h"
#include "mesher/data_2d/point.h"
#include "mesher/data_2d/wire.h"
#include "mesher/domain_maker/edge.h"
#include "mesher/domain_maker/mesh_data.h"

namespace domain_maker {

class Domain_Maker {
 public:
  struct Domain {
    data_2d::Wire* outer = nullptr;  // kind 1, counter-clockwise
    std::vector<data_2d::Wire*> inner;       // kind 2, clockwise
    std::vector<data_2d::Wire*> open_lines;  // kind 3
    std::vector<data_2d::Node*> seeds;
  };

  Domain_Maker() = default;
  Domain_Maker(const Domain_Maker&) = delete;
  Domain_Maker& operator=(const Domain_Maker&) = delete;
  ~Domain_Maker();

  // Reads the nodes and the wires (the edges) of `record`, finds the domains
  // and writes them back: record.wires becomes the wires made (outer, inner,
  // open lines, in creation order) followed by the edges that belong to no
  // domain, whose indices in record.wires are also stored in `loose_wires`;
  // record.domains lists each domain's wires and seeds. record.nodes is not
  // changed: node indices written back refer to it, merged duplicates to the
  // first of their group. With `check_inner_wires` false the checks and the
  // merging of a domain's inner wires are skipped.
  void make_domain(Domain_Data& record, std::vector<std::int32_t>& loose_wires, bool check_inner_wires = true);

  // The node-merging distance found by check_input_data (0 before).
  double tolerance() const noexcept { return tolerance_; }
  const std::vector<Domain>& domains() const noexcept { return domains_; }

 private:
  // One pass over an edge during a walk, along or against its node order.
  struct Step {
    Edge* edge = nullptr;
    bool forward = true;
  };
  struct Owned_Wire {
    std::unique_ptr<data_2d::Wire> wire;
    std::int32_t number = 0;  // the edge number written as the leading field
  };
  struct Head {
    Edge* edge = nullptr;
    bool probe_on_left = false;
  };

  void clear();
  void load(const Domain_Data& record);
  void check_input_data();
  void compute_tolerance();
  void merge_nodes();
  void check_segments() const;
  void orient_closed_edges();
  void build_connections();
  void remove_dangling_edges();
  Head find_outermost_edge(const std::vector<Edge*>& candidates) const;
  void make_twins();
  void trace_domains();
  void make_domains_from_loop(const std::vector<Edge*>& chain, std::int32_t number);
  void set_inner_domain(bool check_inner_wires);
  void check_matryoshka_domain() const;
  void check_inner_wire_connection();
  void assign_open_lines_and_seeds();
  void write_back(Domain_Data& record, std::vector<std::int32_t>& loose_wires) const;

  Step next_step(Step current, bool allow_backward) const;
  data_2d::Wire* add_wire(std::int32_t kind, std::vector<data_2d::Node*> nodes, std::int32_t number);
  bool inside_domain(const Domain& domain, data_2d::Point p) const;

  std::vector<std::unique_ptr<data_2d::Node>> nodes_;
  std::vector<data_2d::Node*> seeds_;
  std::unordered_map<const data_2d::Node*, std::int32_t> node_index_;
  std::vector<std::unique_ptr<Edge>> edges_;
  std::vector<Owned_Wire> wires_;
  std::vector<Domain> domains_;
  double tolerance_ = 0.0;
};

// The mesher's input record for domain `domain` (0-based) of a section record
// that make_domain filled: the element size of the section, the nodes of the
// domain's wires and seeds renumbered 0, 1, ... in increasing order of their
// index in the section, and copies of the domain's wires on the new numbers.
// Wire nodes come as on_boundary = 1; seeds come as seed = 1, on_boundary = 0
// with their seed_size, so that the mesher keeps its grid clear of them.
// Throws std::out_of_range for a domain number that does not exist.
Mesh_Data make_domain_mesh_data(const Domain_Data& section, std::size_t domain);

}  // namespace domain_maker
