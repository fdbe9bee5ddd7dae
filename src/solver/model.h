// The solver's model of one call: domains, elements, materials, bars, stress
// points, load records and every section result the analyses produce. A model
// is built by build_model from one SolverInput, owned by the entry routine
// that built it and released when that routine returns; nothing of it is
// shared between calls, so calls on different data may run concurrently.
//
// The model never refers to the caller's arrays after build_model: node
// coordinates live in the elements, connectivity in the domains (the solver's
// own copy, renumbered there), materials in the elements.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "common/large_allocator.h"
#include "solver/band_llt.h"
#include "solver/elements.h"
#include "solver/linear_solver_choice.h"
#include "solver/sparse_llt.h"

namespace bsp {

struct SolverInput;

// k = 4 selects quadrilaterals; any other value 6-node triangles (the
// callers pass 4 or 6).
enum class ElementKind { quad4, tria6 };

constexpr ElementKind element_kind(std::int32_t k) { return k == 4 ? ElementKind::quad4 : ElementKind::tria6; }
constexpr int nodes_per_element(ElementKind kind) { return kind == ElementKind::quad4 ? 4 : 6; }

// Per-domain results of the shear analysis and its accumulators.
struct DomainShear {
  double Ux = 0, Uy = 0;         // shear energies of the Psi and Phi fields
  double Sx = 0, Sy = 0;         // stress resultants
  double M_psi = 0, M_phi = 0;   // moments of the stresses about the origin
  double alpha_x = 0, alpha_y = 0;
  double xs = 0, ys = 0;         // shear centre of the domain
  std::array<double, 2> tau_x_pair{};  // (tx_psi, tx_phi) of largest |sum|
  std::array<double, 2> tau_y_pair{};  // (ty_psi, ty_phi) of largest |sum|
};

// One connected field problem: elements [first_element, first_element +
// n_elements) of the model's element table and nodes node_offset + 1 ..
// node_offset + n_nodes of the caller's numbering.
struct T_SINGLE_DOMAIN {
  ElementKind kind = ElementKind::tria6;
  std::int64_t n_elements = 0;
  std::int64_t n_nodes = 0;
  std::int64_t first_element = 0;
  std::int64_t node_offset = 0;

  // k entries per element, local 1-based node numbers; after the
  // renumbering these are the equation numbers (1..n_nodes).
  std::vector<std::int32_t> connectivity;
  bool renumbered = false;  // false when the renumbering could not run

  // Transformed geometric properties: area, centroid, Ixx = int (y-yc)^2,
  // Iyy = int (x-xc)^2, Ixy = int (x-xc)(y-yc) about the domain centroid.
  double A = 0, xc = 0, yc = 0, Ixx = 0, Iyy = 0, Ixy = 0;

  // The domain's band system, sized n_nodes by the domain's bandwidth and
  // zeroed by build_model when the domain takes the band path; the analyses
  // assemble, factorise once and solve.
  BandSystem band;
  // The path the domain's systems take and the sparse path's storage; only
  // the chosen path's storage is allocated (linear_solver_choice.h).
  LinearSolverPath path = LinearSolverPath::band;
  SparseSystem sparse;
  // Set during an assembly as soon as an element of the domain is inverted:
  // its torsion matrix then differs from its shear matrix.
  bool reassemble = false;
  // Right-hand sides of the current analysis, n_nodes per column.
  std::vector<double> rhs;
  // The warping function about the domain centroid, solved by the shear
  // analysis in the same sweep as its two load cases when the torsion matrix
  // is the shear matrix; empty otherwise (torsion_analysis.h).
  std::vector<double> warping_about_centroid;

  DomainShear shear;

  // Equation numbers (1-based) of the domain's element e (0-based within
  // the domain).
  std::span<const std::int32_t> element_nodes(std::int64_t e) const {
    const auto k = static_cast<std::size_t>(nodes_per_element(kind));
    return std::span<const std::int32_t>(connectivity).subspan(static_cast<std::size_t>(e) * k, k);
  }
};

// Offsets of the ten per-material results (0-based here; the caller's layout
// numbers them 1..10).
namespace material_slot {
inline constexpr std::size_t area = 0;           // transformed area, elements and attached bars
inline constexpr std::size_t xc = 1;             // material centroid x
inline constexpr std::size_t yc = 2;             // material centroid y
inline constexpr std::size_t Iyy = 3;            // int (x - xc_p)^2 dA
inline constexpr std::size_t Ixx = 4;            // int (y - yc_p)^2 dA
inline constexpr std::size_t J = 5;              // the material's share of J
inline constexpr std::size_t alpha_x = 6;        // material shear-area ratio, force along x
inline constexpr std::size_t alpha_y = 7;        // material shear-area ratio, force along y
inline constexpr std::size_t warping = 8;        // the material's warping integral
inline constexpr std::size_t weighted_area = 9;  // sum (w/w_ref) dA
inline constexpr std::size_t count = 10;
}  // namespace material_slot

// The results of one material number: the solver's "part" is every element
// (and attached bar) of one material, whatever mesh part it came from.
struct T_PART {
  std::array<double, material_slot::count> slot{};  // copied to the caller at the end
  bool empty = true;                            // no element has contributed yet
  double Sx = 0, Sy = 0;                        // first moments about the origin
  double Ux = 0, Uy = 0;                        // shear energies (shear analysis)
  double omega2 = 0;                            // sum of omega^2 (E/E_ref) dA (torsion)
};

// A circular bar (a node of the bar list, hence the record's name).
// k = E_b/E_ref - 1: the mesh still holds the material the bar displaces.
struct T_NODE {
  double r = 0, x = 0, y = 0, E = 0, w = 0;
  double k = 0;
  // Only bars with E > 0 are in the material list and can attach to an element.
  bool listed = false;
  // 1-based model element number of the attachment, 0 = none, and its
  // squared distance (to the nearest node of that element).
  std::int64_t element = 0;
  double distance2 = std::numeric_limits<double>::infinity();
};

// A stress point and where it lies. An unlocated point keeps element -1 and
// zero values.
struct T_DETAIL {
  double x = 0, y = 0;
  std::int64_t element = -1;  // 0-based index into the model's element table
  NaturalPoint natural;
  // Filled by the analyses.
  double omega = 0;
  TorsionStress torsion;
  ShearStress shear;
};

struct T_MULTI_DOMAIN {
  ElementKind kind = ElementKind::tria6;
  std::int32_t threads = 1;  // recorded by INIT_OMP, read by the band solver

  double E_ref = 0, nu_ref = 0, w_ref = 0, G_ref = 0;

  std::vector<T_SINGLE_DOMAIN> domains;
  // The element table of the model's kind; the other stays empty. About
  // 1.6 KiB per 6-node triangle, so a large mesh's table is as large as a
  // band and is allocated the same way. Records are default-initialised
  // and their geometry written once by set_up_element (elements.h).
  std::vector<T_QUAD4, UninitialisedLargeAllocator<T_QUAD4>> quads;
  std::vector<T_TRIA6, UninitialisedLargeAllocator<T_TRIA6>> trias;

  std::vector<T_DETAIL> details;  // stress points, in the caller's order
  std::vector<T_PART> materials;  // empty when the entry builds no material records
  std::vector<T_NODE> bars;       // every bar the caller gave

  // Section results.
  double A_w = 0;                      // sum (w/w_ref) dA over elements not inverted
  double A = 0, xc = 0, yc = 0;        // transformed area and centroid
  double Ixx = 0, Iyy = 0, Ixy = 0;    // about the centroid
  std::array<double, 2> tau_x_pair{};  // largest shear-stress pairs (tx_psi, tx_phi)
  std::array<double, 2> tau_y_pair{};  // and (ty_psi, ty_phi), per unit force
  double alpha_x = 0, alpha_y = 0;     // shear-area ratios
  double x_s = 0, y_s = 0;             // shear centre
  double J = 0, Iw = 0, omega_sum = 0, tau_max = 0;
  double Ip_s = 0;                     // polar moment about the shear centre
  double omega_mean = 0;

  std::int64_t n_elements() const {
    return static_cast<std::int64_t>(kind == ElementKind::quad4 ? quads.size() : trias.size());
  }
};

// Calls f with a span over the model's element table (T_QUAD4 or T_TRIA6),
// so an analysis is written once as a template over the element type.
template <class F>
decltype(auto) with_elements(T_MULTI_DOMAIN& m, F&& f) {
  if (m.kind == ElementKind::quad4) return f(std::span<T_QUAD4>(m.quads));
  return f(std::span<T_TRIA6>(m.trias));
}
template <class F>
decltype(auto) with_elements(const T_MULTI_DOMAIN& m, F&& f) {
  if (m.kind == ElementKind::quad4) return f(std::span<const T_QUAD4>(m.quads));
  return f(std::span<const T_TRIA6>(m.trias));
}

// What build_model does beyond the elements and domains.
struct ModelOptions {
  bool materials = false;     // build material records and the bar material list
  bool stress_points = false; // locate the stress points
};

// Builds the whole model of a call: elements with materials, stress points
// located, bars attached, domains renumbered with their band allocated, and
// the geometric properties of domains, materials and section integrated.
// Preconditions (the drivers' checks; asserted in debug builds): the counts
// add up, every node number lies in its domain's block, every material number
// in 1..materials, and in 1..n_materials when material records are built.
// Throws CallError(solver_error) when a band cannot be sized, std::bad_alloc
// when memory is short.
T_MULTI_DOMAIN build_model(const SolverInput& in, const ModelOptions& options);

}  // namespace bsp
