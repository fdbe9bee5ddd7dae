// The exchange records between the calculation drivers and the mesher.
//
// Mesh_Data describes one region: the drivers fill element_size, the flags,
// the nodes and the wires; the mesher appends its generated nodes after the
// input nodes (which keep their positions and contents) and fills elements.
// Domain_Data is the same record for a whole section, as the domain maker
// reads and rewrites it, with the list of domains it found.
//
// All indices inside these records are 0-based; the flat arrays for the
// solver (flat_mesh.h) are 1-based.
#pragma once

#include <cstdint>
#include <vector>

namespace domain_maker {

struct Node_Record {
  // The node lies on a wire; the drivers set it for every node they pass.
  std::uint8_t on_boundary = 1;
  // An interior hard point that must become a mesh node.
  std::uint8_t seed = 0;
  // For a seed, the radius the loop mesher clears around it; below 1e-8 it
  // means a quarter of the element size. Generated nodes carry 0.
  double seed_size = 0.0;
  double x = 0.0;
  double y = 0.0;
};

struct Wire_Record {
  // The producer's number (the domain maker keeps the edge number here); the
  // mesher does not read it.
  std::int32_t number = 0;
  // 1 outer wire, 2 inner wire (boundary of a hole), 3 open line
  // (data_2d::wire_kind).
  std::int32_t kind = 1;
  // 0-based node indices; a closed wire repeats its first index at the end.
  std::vector<std::int32_t> nodes;
};

// finish_mode values read by the grid mesher.
namespace finish_mode {
inline constexpr std::int32_t split_quadrilaterals = 1;  // what every caller passes
inline constexpr std::int32_t smooth_then_split = 2;     // the alternative sequence
}  // namespace finish_mode

struct Mesh_Data {
  // Target element size; below 1e-8 the mesher takes the mean wire segment
  // length.
  double element_size = 0.0;
  std::int32_t finish_mode = finish_mode::split_quadrilaterals;
  // Add a mid-side node on every element side (3-node -> 6-node triangles).
  std::uint8_t quadratic = 0;
  // Multiplier on the element size; not above 1e-8 means 1.0.
  double size_factor = 1.0;
  std::vector<Node_Record> nodes;
  std::vector<std::vector<std::int32_t>> elements;
  std::vector<Wire_Record> wires;
};

// One closed domain found by the domain maker.
struct Domain_Record {
  // Indices into Domain_Data::wires: the outer wire first, then the domain's
  // inner wires, then its open lines.
  std::vector<std::int32_t> wires;
  // Indices into Domain_Data::nodes of the seed nodes inside the domain.
  std::vector<std::int32_t> seeds;
};

struct Domain_Data : Mesh_Data {
  std::vector<Domain_Record> domains;
};

}  // namespace domain_maker
