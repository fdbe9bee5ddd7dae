// The mesher the drivers try first. It turns the region so that the dominant
// direction of its outer wire runs along x, covers it with a regular grid of
// quadrilaterals, cuts the grid back from the wires and seeds, and fills the
// strip between the trimmed grid and the wires with triangles made from the
// existing nodes (mesher_2d::Advancing_Front). Wire nodes stay the mesh's
// boundary nodes unchanged: it never adds a node on a wire.
//
// It does not promise success on every region: when the gap filling leaves a
// hole or an overlap, generate_mesh throws
// "* failed to fill gaps - Grid_Mesher::generate_mesh()" and the drivers go
// on to the loop mesher.
#pragma once

#include <vector>

#include "mesher/data_2d/element.h"
#include "mesher/data_2d/node.h"
#include "mesher/data_2d/point.h"
#include "mesher/domain_maker/mesh_data.h"
#include "mesher/mesher_2d/mesher_2d.h"

namespace grid_mesher {

class Grid_Mesher : public mesher_2d::Mesher_2D {
 public:
  // Load, check, prepare, grid, gap filling, finishing by finish_mode (1 and
  // 2 split the quadrilaterals, anything else leaves them), make_quadratic
  // when the record asks, write_mesh.
  void generate_mesh(domain_maker::Mesh_Data& record, mesher_2d::Interrupt interrupt) override;
  // Base preparation, then axis alignment: rotates every node so that the
  // dominant direction of the outer wire lies along x.
  void prepare_mesh() override;
  // Rotates every node back, then the base write_mesh.
  void write_mesh(domain_maker::Mesh_Data& record) override;

  // The grid over the outer wire's box with its nodes and cells trimmed back
  // from wires and seeds; survivors join the mesher's nodes and elements.
  void generate_grid();
  // Fills the gap between the trimmed grid and the wires with triangles.
  // Runs after generate_grid, whose lists of the cells along the gap it uses.
  void fill_gaps();

  bool is_rotated() const noexcept { return rotated; }
  double get_rotation_angle() const noexcept { return rotation_angle; }
  data_2d::Point get_rotation_centre() const noexcept { return rotation_centre; }

 private:
  bool rotated = false;
  data_2d::Point rotation_centre;
  double rotation_angle = 0.0;  // degrees

  // Working data handed from generate_grid to fill_gaps, in grid order: the
  // kept cells that are not surrounded by four whole cells (only they can
  // have a side on the gap), those cells with their kept neighbours (the only
  // cells such a side can be shared with), and the surviving grid nodes that
  // no kept cell uses.
  std::vector<const data_2d::Element*> gap_cells_;
  std::vector<const data_2d::Element*> gap_side_cells_;
  std::vector<data_2d::Node*> unused_grid_nodes_;
};

}  // namespace grid_mesher
