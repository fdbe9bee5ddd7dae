// Drivers of the meshed-parts exports: check the host's arrays, set the call's
// thread count, merge the parts into one mesh of connected components, check
// element orientation, hand the mesh to one solver entry and finish its
// outputs. The exports (meshed_section_exports.cpp) only convert pointers into
// output spans and run a driver inside the firewall, which applies each
// export's zeroing whenever a driver returns anything but ok.
//
// This is the one place where the host's section axes (y, z) become the
// solver's (x, y): node, bar and stress-point arrays keep their order, y -> x
// and z -> y, so result slots and offset pairs need no conversion back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/status.h"
#include "geometry/merge_section.h"
#include "interface/meshed_parts_input.h"
#include "solver/solver_entries.h"

namespace bsp {

// Doubles of BSPPartMain's part_result: 10 per material.
inline constexpr std::size_t part_slots = 10;

// Documented length of BSPCombMain's result array for a level and stress-point
// count: 39 + 3n at level 0 (negative levels read as 0), 43 + 3n at levels 1
// and 2, 73 + 3n from level 3. Nothing when the count or level cannot be read.
std::optional<std::size_t> comb_result_size(const std::int32_t* n_stress_points, const std::int32_t* analysis_level);

// Lengths of BSPDetail's outputs: slots 0..37 of the section property vector,
// the stress table (4 n_sp n_materials + 6), the offsets (2 n_sp) and the
// containing material per point (n_sp).
struct DetailSizes {
  std::size_t section = 0, stresses = 0, offsets = 0, materials = 0;
};
std::optional<DetailSizes> detail_sizes(const std::int32_t* n_stress_points, const std::int32_t* n_materials);

// Section forces of BSPDetail: four by-address pairs of doubles,
// (N, T), (V_y, V_z), (M_y, M_z), (stress reference, unused).
struct DetailOptionArgs {
  std::array<const double*, 4> option{};
};

struct DetailOutputSpans {
  std::span<double> section, stresses, offsets, materials;
};

Status part_main(const MeshedPartsArgs& args, std::span<double> part_result);
// result holds comb_result_size doubles; all of them are written on success.
Status comb_main(const MeshedPartsArgs& args, std::span<double> result, std::span<double> stress_coords);
Status detail_main(const MeshedPartsArgs& args, const DetailOptionArgs& options, const DetailOutputSpans& out);

// The solver input both mesh drivers build: the glued mesh in 6-node
// elements, one material per entry of E / nu / w (the mesh's element
// materials number them from 1), and the reference material and bars of `in`
// (a MeshedPartsInput or an OutlineInput, which name them alike). Area
// weights only with `weights`: the detail entries take none. Host (y, z)
// becomes solver (x, y) here and in merge_section, nowhere else.
template <class Input>
SolverInput mesh_solver_input(const MergedSection& mesh, const Input& in, std::span<const double> E,
                              std::span<const double> nu, std::span<const double> w, bool weights) {
  SolverInput si;
  si.k = merged_nodes_per_element;
  si.domain_elements = mesh.component_element_count;
  si.domain_nodes = mesh.component_node_count;
  si.node_x = mesh.x;
  si.node_y = mesh.y;
  si.connectivity = mesh.connectivity;
  si.material_numbers = mesh.element_material;
  si.n_materials = static_cast<std::int32_t>(E.size());
  si.materials.E_ref = in.ref_modulus;
  si.materials.nu_ref = in.ref_poisson;
  si.materials.E = E;
  si.materials.nu = nu;
  if (weights) {
    si.materials.w_ref = in.ref_area_weight;
    si.materials.w = w;
    si.bars.w = in.bar_area_weight;
  }
  si.bars.radius = in.bar_radius;
  si.bars.x = in.bar_y;
  si.bars.y = in.bar_z;
  si.bars.E = in.bar_modulus;
  return si;
}

// ok when every element of every component uses only node numbers of that
// component's own block, solver_error otherwise: the solver numbers each
// domain's nodes locally, and a number outside the block would reach into
// another domain's equations.
Status check_domain_node_ranges(const MergedSection& mesh);

// Why an element cannot be integrated: its corners turn clockwise, its
// corners are collinear or coincident, or its mid-side nodes fold it (the
// corner triangle is fine but det J is not positive at an integration point).
struct ElementShapeFault {
  enum class Kind { clockwise, collapsed, folded };
  Kind kind = Kind::clockwise;
  std::int32_t element = 0;  // 0-based merged element
};

// The first merged element whose Jacobian determinant is not positive at
// every integration point of the 6-node rule, or nothing: such an element's
// area the integration would count negative or not at all.
std::optional<ElementShapeFault> find_misshapen_element(const MergedSection& mesh);

}  // namespace bsp
