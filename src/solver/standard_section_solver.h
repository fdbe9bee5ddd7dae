// The standard-section solver: the section result vector of one of the 27
// catalogue shapes from its type and dimensions. It validates (and corrects
// in place) the dimensions, meshes the shape with the block mesher into one
// domain of quadrilaterals and runs the section entry's analyses on it with a
// homogeneous material of the caller's Poisson's ratio, or takes closed forms
// (mode 2 for the types that have them, always for the circular types); then
// the classical shear maxima when nu <= 1e-10 and the plastic moduli.
//
// It leaves the stress points (slots 5-12) and the elastic section moduli
// (23, 24) to its caller, which knows the point convention.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "common/status.h"
#include "solver/block_mesher.h"
#include "solver/solver_entries.h"

namespace bsp {

// Mode of the standard-section solver that selects the closed forms.
inline constexpr std::int32_t standard_closed_form_mode = 2;

struct StandardSectionInput {
  std::int32_t section_type = 0;
  double nu = 0.0;                     // Poisson's ratio of the homogeneous material
  std::int32_t mode = 0;               // 2: closed forms where the type has them
  std::int32_t analysis_flag = 1;      // 0: basic slots only; otherwise also 22-31
  std::int32_t thread_count = 0;       // team of the call, 0: runtime default
};

// The solver input of a standard shape's block mesh: one domain of
// quadrilaterals and one material whose modulus is the reference modulus (1:
// only ratios enter), with Poisson's ratio nu. Owns the mesh and the arrays
// the input's spans view, so it is neither copied nor moved. dimensions must
// be validated (check_standard_dimensions).
struct StandardMeshInput {
  StandardMeshInput(std::int32_t section_type, std::span<const double> dimensions, double nu, int analysis_level,
                    std::int32_t thread_count);
  StandardMeshInput(const StandardMeshInput&) = delete;
  StandardMeshInput& operator=(const StandardMeshInput&) = delete;

  T_SECDATA mesh;
  std::array<std::int32_t, 1> domain_elements, domain_nodes;
  std::vector<std::int32_t> material;
  std::array<double, 1> E, nu, w;
  SolverInput input;
};

// Writes result[0 .. 38) (slots 0-37; 5-12 and 23, 24 are left 0) and returns
// the validation status of standard/section_catalogue.h, after the
// dimensions were corrected in place. On a non-zero status, a Poisson's ratio
// that is not finite or not above -1, or a section the analyses cannot
// complete, slots 0-37 are zero. result must hold 38 doubles and dimensions
// standard_dimension_count(section_type) values.
std::int32_t SOLVE_STANDARD_SECTION(const StandardSectionInput& in, std::span<double> dimensions,
                                    std::span<double> result);

}  // namespace bsp
