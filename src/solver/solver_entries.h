// The solver's three entry routines and their typed input. An entry builds
// the model of one call (model.h), runs the geometric integration and the
// field analyses, copies the results into the output spans it is given and
// releases the model. The drivers in interface/ validate the caller's arrays
// and convert them into a SolverInput; an entry writes only into its output
// spans and never keeps anything after it returns.
//
// Coordinates are x/y here (the boundary's y/z). Node, element and material
// numbers are 1-based as the caller gave them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/status.h"

namespace bsp {

// Reference material and per-material constants. Material number m (1-based) uses
// E[m-1], nu[m-1], w[m-1]. The detail entry takes E as the area weights:
// leave w empty there.
struct SolverMaterials {
  double E_ref = 0, nu_ref = 0, w_ref = 0;
  std::span<const double> E, nu, w;
};

// Circular bars, one entry per bar in each span (w may be empty for the
// detail entry, which then uses E).
struct SolverBars {
  std::span<const double> radius, x, y, E, w;
};

struct SolverInput {
  std::int32_t k = 6;  // nodes per element: 4 quadrilaterals, otherwise 6-node triangles
  // Per domain, its element count and node count; elements and nodes are
  // stored domain after domain.
  std::span<const std::int32_t> domain_elements, domain_nodes;
  std::span<const double> node_x, node_y;
  // k global 1-based node numbers per element; never modified (the model
  // renumbers its own copy).
  std::span<const std::int32_t> connectivity;
  // Per element: |value| is the material number, a negative value
  // marks the element inverted.
  std::span<const std::int32_t> material_numbers;
  std::int32_t n_materials = 0;
  SolverMaterials materials;
  SolverBars bars;
  std::span<const double> stress_x, stress_y;
  // 0 basic; 1 adds the derived slots 22-29; 2 or more also locates the
  // stress points and writes their block; 3 or more the further block.
  std::int32_t analysis_level = 0;
  std::int32_t stress_reference = 0;  // 0: offsets from the centroid, otherwise from the shear centre
  // Threads of the call's team (interface/thread_count.h); 0 or less takes
  // the threading runtime's default.
  std::int32_t thread_count = 0;
};

// Detail options and outputs: passed through from the detail exports.
struct DetailInput {
  std::array<double, 8> options{};  // four pairs of reals
  std::int32_t n_detail = 0;        // number of detail records
};
// In the order of the exports' detail_out_1 .. detail_out_4.
struct DetailOutputs {
  std::span<double> section;    // the basic slots of the section result vector
  std::span<double> stresses;   // at least 4 n_sp n_detail + 6 doubles, zeroed first
  std::span<double> offsets;    // 2 n_sp stress-point offsets
  std::span<double> materials;  // n_sp material numbers of the stress points
};

// The entries trust their input: the drivers size every output span (at
// least what the entry writes, asserted in debug builds) and build the
// SolverInput consistent (model.h). They return ok, or solver_error for a
// degenerate section (no positive area, a value not finite).

// Records the call's thread count for the band factorisation: the team size
// the call was given, or the runtime's default team when it gives none.
std::int32_t INIT_OMP(std::int32_t requested);

// Section result vector (section_slot::size_for_level in
// section_result_vector.h) and one offset pair per stress point
// (2 n_sp doubles): the point minus the centroid, or minus the shear centre
// when stress_reference is not 0.
Status SOLVE_SECTION(const SolverInput& in, std::span<double> result, std::span<double> stress_offsets);

// Ten doubles per material (10 n_materials), in material order; an
// empty material keeps zeros. (The export calls the materials "parts".)
Status SOLVE_PART_SECTION(const SolverInput& in, std::span<double> material_result);

// Stresses at the stress points for given section forces. The area weights
// are the moduli; no material records are built.
Status SOLVE_DETAIL_SECTION(const SolverInput& in, const DetailInput& detail, const DetailOutputs& out);

}  // namespace bsp
