// Drivers of the outline exports (BSPMeshMain, BSPPartMeshMain,
// BSPDetailMesh): check the host's arrays, choose the element size and scale
// the outline, cut its segments, find its regions, mesh every solid region
// (grid mesher, loop mesher when the grid mesher throws), glue the region
// meshes into connected components, scale back and hand the mesh to one
// solver entry; BSPMeshMain then adds the first moments of area and the bars'
// weighted area.
//
// The mesh is always of 6-node triangles: the solver has no 3-node element,
// so linear_elements is read and has no effect.
//
// Host axes (y, z) become the solver's (x, y) in read_outline, and the result
// slots and offset pairs come back in host order without conversion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/status.h"
#include "geometry/element_sizing.h"
#include "geometry/merge_section.h"
#include "geometry/region_mesh_gluing.h"
#include "interface/meshed_parts_driver.h"
#include "interface/outline_input.h"
#include "mesher/domain_maker/domain_maker.h"

namespace bsp {

// An outline's glued mesh in the caller's units, with the constants of its
// solid regions (part m of the mesh is the m-th solid region in the order
// the regions are found).
struct OutlineMesh {
  MergedSection mesh;
  ElementSize size;                 // size and scale the regions were meshed at
  std::vector<double> E, nu, w;     // per solid region
};

// An outline scaled, its segments cut at the element size and its regions
// found (section.domains, in the caller's region order), with the size and
// scale it was cut at and the regions that are not holes.
struct OutlineDomain {
  domain_maker::Domain_Data section;
  ElementSize size;
  std::vector<std::size_t> solid;  // 0-based region numbers, region_modulus != 0.0
};

// Throws CallError (invalid_input) when the wires would get more than
// max_outline_triangles pieces, when the domain maker rejects the outline or
// finds a number of regions other than region_modulus.size(), or when the
// estimated triangle count of the solid regions exceeds max_outline_triangles.
OutlineDomain make_outline_domain(Outline outline, double element_size, SizeDivisors divisors,
                                  std::span<const double> region_modulus);

enum class RegionMesher { grid, loop };

// Meshes region d of `section` with one mesher, on a record built afresh
// from the section; 6-node triangles when `quadratic`, else 3-node. The
// mesher's exceptions pass on.
RegionMesh mesh_region_with(const domain_maker::Domain_Data& section, std::size_t d, bool quadratic,
                            RegionMesher mesher);

// Everything between the checked input and the solver: throws CallError
// (invalid_input) when the wires would get more than max_outline_triangles
// pieces, when the domain maker rejects the outline or finds a number of
// regions other than n_regions, when every region is a hole, when the
// estimated triangle count exceeds max_outline_triangles, or when a region
// cannot be meshed by either mesher.
OutlineMesh mesh_outline(const OutlineInput& in);

// Documented length of BSPMeshMain's result: 38 at level 0 (negative levels
// read as 0), 43 + 3n at levels 1 and 2, 73 + 3n from level 3.
std::optional<std::size_t> mesh_main_result_size(const std::int32_t* n_stress_points,
                                                 const std::int32_t* analysis_level);

// Lengths of BSPDetailMesh's outputs, as BSPDetail's with the solid regions
// in place of the materials.
std::optional<DetailSizes> detail_mesh_sizes(const std::int32_t* n_stress_points, const std::int32_t* n_regions,
                                             const double* region_modulus);

Status mesh_main(const OutlineArgs& args, std::span<double> result, std::span<double> stress_coords);
Status part_mesh_main(const OutlineArgs& args, std::span<double> part_result);
Status detail_mesh(const OutlineArgs& args, const DetailOptionArgs& options, const DetailOutputSpans& out);

}  // namespace bsp
