// The block mesher of the standard sections. Every standard shape is a short
// list of quadrilateral blocks (its plates and the junction squares where the
// plates meet) with fixed divisions; the mesher maps a regular grid into each
// block, merges the nodes that neighbouring blocks share and returns one
// conforming mesh of counter-clockwise 4-node quadrilaterals. The mesh size is
// a property of the type, not of the dimensions.
//
// It does not validate dimensions (standard/section_catalogue.h does that
// first) and it builds nothing for the circular types 18 and 19, which the
// standard-section solver treats in closed form.
//
// Coordinates: x is the first section axis (the host's y), y the second (the
// host's z), in the frame the stress points of standard/stress_point.h use.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace bsp {

// The blocks of one shape. Block b has corners (x1, y1) .. (x4, y4)
// counter-clockwise at corners[8b .. 8b+7], first_divisions[b] along the
// edges 1-2 and 4-3, second_divisions[b] along the edges 1-4 and 2-3.
struct SectionBlocks {
  std::vector<double> corners;
  std::vector<std::int32_t> first_divisions, second_divisions;

  std::size_t count() const { return first_divisions.size(); }
  void add(std::span<const double, 8> c, std::int32_t k1, std::int32_t k2);
};

// A finished block mesh (the section block record). Node numbers are 1-based.
struct T_SECDATA {
  std::int32_t section_type = 0;
  std::int32_t n_nodes = 0;
  std::int32_t n_elements = 0;
  std::vector<double> x, y;                // n_nodes each
  std::vector<std::int32_t> connectivity;  // 4 per element, counter-clockwise
};

// Node capacity of a block mesh, before merging. The largest catalogue shape
// (type 16) has 6336 nodes before merging.
inline constexpr std::int32_t block_mesh_node_limit = 10000;

// Mirror codes of mirror_blocks.
inline constexpr int mirror_first = 1;   // negate the first coordinate
inline constexpr int mirror_second = 2;  // negate the second coordinate

// The blocks of section type `section_type` from its validated dimensions
// (standard_dimension_count values), mirrored where the shape is. Empty for
// the circular types 18 and 19 and for any type outside 1..27.
SectionBlocks section_blocks(std::int32_t section_type, std::span<const double> dimensions);

// Appends the mirror image of every block defined so far, corner order
// reversed so that each stays counter-clockwise, divisions unchanged; the
// block count doubles.
void mirror_blocks(int axis_code, SectionBlocks& blocks);

// Meshes the blocks: a bilinear grid per block, nodes numbered block by block
// (rows of the first direction), then the boundary nodes of each block merged
// into the equal nodes of earlier blocks (equal: both coordinate differences
// below 1e-7 of the blocks' extent in that direction) and the survivors
// renumbered in order of creation. Throws std::length_error when the blocks
// would make more than node_limit nodes before merging.
void mesh_blocks(const SectionBlocks& blocks, T_SECDATA& mesh, std::int32_t node_limit = block_mesh_node_limit);

// Fills record.n_nodes .. connectivity for record.section_type: the blocks
// of the type, meshed. A type without blocks leaves an empty mesh.
void build_section_blocks(T_SECDATA& record, std::span<const double> dimensions);

// The template mesher entry: the quadrilateral mesh of a standard type from
// its validated dimensions, as the template path (and the standard-section
// solver) takes it.
T_SECDATA standard_section_mesh(std::int32_t section_type, std::span<const double> dimensions);

}  // namespace bsp
