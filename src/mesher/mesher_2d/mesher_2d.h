// The frame every mesher runs in: loading one region from a Mesh_Data record,
// checking it, preparing the tolerance and element size, the finishing steps
// that turn quadrilaterals into the triangles the solver takes, and writing
// the mesh back into the record. Grid_Mesher and Loop_Mesher derive from it
// and supply generate_mesh; this class does no meshing of its own.
//
// A mesher owns its nodes, wires and elements; wires and elements point at
// nodes. Every failure is a data_2d::Mesh_Error with a one-line text, except
// a user interrupt, which is an interrupt_exception.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "mesher/data_2d/element.h"
#include "mesher/data_2d/node.h"
#include "mesher/data_2d/point.h"
#include "mesher/data_2d/point_grid.h"
#include "mesher/data_2d/wire.h"
#include "mesher/domain_maker/mesh_data.h"
#include "mesher/mesher_2d/interrupt_exception.h"

namespace mesher_2d {

// Lengths below this are zero, an element size below it means "automatic",
// and a size factor not above it means 1. Rule of this library (1e-8 in
// outline units; the outline preparation scales sections to keep this far
// below any feature).
inline constexpr double length_zero = 1e-8;

class Mesher_2D {
 public:
  Mesher_2D() = default;
  Mesher_2D(const Mesher_2D&) = delete;
  Mesher_2D& operator=(const Mesher_2D&) = delete;
  virtual ~Mesher_2D();

  // The virtual steps, in the order every mesher declares them.
  // Meshes the region in `record` and appends the result to it.
  virtual void generate_mesh(domain_maker::Mesh_Data& record, Interrupt interrupt) = 0;
  // Deletes every node, element and wire; empties seeds and initial_wires.
  virtual void clear();
  // Records the initial wires, makes sure a tolerance exists, fixes the
  // automatic element size.
  virtual void prepare_mesh();
  // Appends the created nodes and every element to `record`.
  virtual void write_mesh(domain_maker::Mesh_Data& record);
  // Splits each quadrilateral with a corner above 165 degrees at that corner,
  // then deletes every triangle of quality below 1e-8.
  virtual void split_flat_quadrilaterals();

  // Creates nodes and wires from `record`, then runs check_input_data.
  void load_input_data(const domain_maker::Mesh_Data& record);
  // Checks counts, closure, node spacing; sets the tolerance; orients the
  // wires (outer counter-clockwise, inner clockwise); keeps only the seeds
  // strictly inside the region.
  void check_input_data();
  // The first node (in node order) closer than the tolerance to `p`, marked
  // on_boundary when `mark`; without one, a new node at `p` (id 0). Cost is
  // proportional to the nodes near `p`.
  data_2d::Node* find_or_create_node(data_2d::Point p, bool mark);
  // Each quadrilateral A B C D becomes two counter-clockwise triangles.
  void split_quadrilaterals();
  // Appends a mid-side node per side to every element; shared sides share it.
  void make_quadratic();

  double get_tolerance() const noexcept { return tolerance; }
  double get_element_size() const noexcept { return element_size; }
  const std::vector<std::unique_ptr<data_2d::Node>>& get_nodes() const noexcept { return nodes; }
  const std::vector<std::unique_ptr<data_2d::Element>>& get_elements() const noexcept { return elements; }
  const std::vector<std::unique_ptr<data_2d::Wire>>& get_wires() const noexcept { return wires; }
  const std::vector<data_2d::Node*>& get_seeds() const noexcept { return seeds; }

 protected:
  // Throws interrupt_exception when the interrupt function says so.
  void poll_interrupt() const;
  // Area enclosed by the closed wires: outer minus holes, from the oriented
  // wires (so after check_input_data).
  double region_area() const;
  // True when the elements have positive area each and together cover the
  // region's area to 1e-9 relative: no gap and no overlap.
  bool elements_cover_region() const;
  // Drops the node-lookup index (after nodes were removed or moved).
  void reset_node_index() noexcept;

  std::vector<std::unique_ptr<data_2d::Node>> nodes;
  std::vector<std::unique_ptr<data_2d::Element>> elements;
  std::vector<std::unique_ptr<data_2d::Wire>> wires;
  std::vector<data_2d::Node*> seeds;
  std::map<const data_2d::Wire*, std::vector<data_2d::Node*>> initial_wires;
  std::int32_t finish_mode = domain_maker::finish_mode::split_quadrilaterals;
  double element_size = 0.0;
  double size_factor = 1.0;
  double tolerance = 0.0;
  Interrupt interrupt = nullptr;

 private:
  // Smallest distance between two nodes, checked against length_zero;
  // throws "* overlapped nodes exist - Mesher_2D::<where>()".
  double checked_node_spacing(const char* where) const;

  // Index over nodes_[0 .. indexed_nodes_) for find_or_create_node; built on
  // first use, extended as nodes are appended.
  std::unique_ptr<data_2d::Point_Grid> node_index_;
  std::size_t indexed_nodes_ = 0;
};

}  // namespace mesher_2d
