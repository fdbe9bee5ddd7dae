#include "interface/meshed_parts_driver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "bsp/bsp.h"
#include "geometry/mesh_validity.h"
#include "interface/caller_arrays.h"
#include "interface/message.h"
#include "interface/thread_count.h"
#include "solver/elements.h"
#include "solver/section_result_vector.h"
#include "solver/solver_entries.h"

namespace bsp {

// The header's slot names and the solver's are one layout.
static_assert(BSP_SLOT_AREA == section_slot::area && BSP_SLOT_I1 == section_slot::i1 &&
              BSP_SLOT_I2 == section_slot::i2 && BSP_SLOT_I12 == section_slot::i12 &&
              BSP_SLOT_TORSION_CONSTANT == section_slot::torsion_constant &&
              BSP_SLOT_ALPHA_Y == section_slot::alpha_first && BSP_SLOT_ALPHA_Z == section_slot::alpha_second &&
              BSP_SLOT_CENTROID_Y == section_slot::centroid_first &&
              BSP_SLOT_CENTROID_Z == section_slot::centroid_second &&
              BSP_SLOT_CENTROID_MINUS_SC_Y == section_slot::centroid_minus_shear_centre_first &&
              BSP_SLOT_CENTROID_MINUS_SC_Z == section_slot::centroid_minus_shear_centre_second &&
              BSP_SLOT_WARPING_CONSTANT == section_slot::warping_constant &&
              BSP_SLOT_PRINCIPAL_ANGLE_DEG == section_slot::principal_angle_deg &&
              BSP_SLOT_MODULUS_Z == section_slot::modulus_second && BSP_SLOT_MODULUS_Y == section_slot::modulus_first &&
              BSP_SLOT_RADIUS_Z == section_slot::radius_second && BSP_SLOT_RADIUS_Y == section_slot::radius_first &&
              BSP_SLOT_RADIUS_MAJOR == section_slot::radius_major &&
              BSP_SLOT_RADIUS_MINOR == section_slot::radius_minor &&
              BSP_SLOT_RADIUS_POLAR_SC == section_slot::radius_polar_shear_centre &&
              BSP_SLOT_WEIGHTED_AREA == section_slot::weighted_area &&
              BSP_SLOT_TORSION_STRESS_MAX == section_slot::torsion_stress_max &&
              BSP_SLOT_TAU_Y_OF_VY == section_slot::pair_first_psi &&
              BSP_SLOT_TAU_Z_OF_VY == section_slot::pair_second_psi &&
              BSP_SLOT_TAU_Y_OF_VZ == section_slot::pair_first_phi &&
              BSP_SLOT_TAU_Z_OF_VZ == section_slot::pair_second_phi &&
              BSP_SLOT_STRESS_POINTS == section_slot::stress_block &&
              BSP_SLOT_POLAR_MOMENT_SC(0) == section_slot::polar_moment_shear_centre(0) &&
              BSP_SLOT_POLAR_MOMENT_SC(5) == section_slot::polar_moment_shear_centre(5) &&
              BSP_SLOT_EXTREMES(5) == section_slot::extreme_block(5));

namespace {

// An element is folded or collapsed when det J at an integration point is not
// above this share of its squared size (longest corner-to-corner distance
// squared). det J of a triangle whose corners are collinear is rounding noise
// of order machine epsilon times that size; 64 epsilon keeps such elements out
// and is some 1e-14 of any element a mesher would make.
inline constexpr double collapsed_jacobian_ratio = 64.0 * std::numeric_limits<double>::epsilon();

// Level-0 promise of BSPCombMain: 39 + 3 n doubles, one more than slots 0..37
// plus three per stress point, all written (slots past 37 as 0).
inline constexpr std::size_t level0_result_base = 39;

// The merged mesh and the solver input that views it (and the checked host
// arrays). Built after the checks; the input's spans stay valid as long as
// this object and the host's arrays live.
struct PreparedSection {
  MergedSection mesh;
  SolverInput solver;
};

// The caller's numbers of a merged element: its 1-based element number, its
// part, and its corner node numbers as the caller wrote them.
struct CallerElement {
  std::size_t number = 0, part = 0;
  std::array<std::int32_t, 3> corners{};
};

CallerElement caller_element(const MeshedPartsInput& in, const MergedSection& mesh, std::int32_t merged) {
  const auto e = static_cast<std::size_t>(mesh.element_origin[static_cast<std::size_t>(merged)]);
  CallerElement c;
  c.number = e + 1;
  std::size_t first = 0;
  for (std::size_t p = 0; p < in.part_element_count.size(); ++p) {
    first += static_cast<std::size_t>(in.part_element_count[p]);
    if (e < first) {
      c.part = p + 1;
      break;
    }
  }
  const auto k = static_cast<std::size_t>(in.nodes_per_element);
  for (std::size_t i = 0; i < 3; ++i) c.corners[i] = in.connectivity[e * k + i];
  return c;
}

std::string element_text(const CallerElement& c) { return message("element ", c.number, " (part ", c.part, ")"); }

[[noreturn]] void reject_shape(const MeshedPartsInput& in, const MergedSection& mesh, const ElementShapeFault& f) {
  const CallerElement c = caller_element(in, mesh, f.element);
  const std::string corners = message(c.corners[0], ", ", c.corners[1], ", ", c.corners[2]);
  switch (f.kind) {
    case ElementShapeFault::Kind::clockwise:
      reject_input(element_text(c), " is clockwise (corners ", corners, ")");
    case ElementShapeFault::Kind::collapsed:
      reject_input(element_text(c), " is collapsed: corners ", corners, " are collinear or coincident");
    case ElementShapeFault::Kind::folded:
      reject_input(element_text(c), " is folded: its mid-side nodes make the Jacobian non-positive inside it");
  }
  reject_input(element_text(c), " is misshapen");
}

[[noreturn]] void reject_mesh(const MeshedPartsInput& in, const MergedSection& mesh, const MeshFault& f) {
  const CallerElement a = caller_element(in, mesh, f.element);
  const CallerElement b = caller_element(in, mesh, f.other_element);
  if (f.kind == MeshFault::Kind::overlap) {
    const CallerElement& first = a.number < b.number ? a : b;
    const CallerElement& second = a.number < b.number ? b : a;
    if (first.part != second.part)
      reject_input("parts ", std::min(a.part, b.part), " and ", std::max(a.part, b.part), " overlap at ",
                   element_text(second), ", which overlaps ", element_text(first));
    reject_input("elements ", first.number, " and ", second.number, " (part ", first.part, ") overlap");
  }
  const std::size_t start = static_cast<std::size_t>(f.edge), end = (start + 1) % 3;
  const std::string edge = message("edge ", a.corners[start], "-", a.corners[end], " of ", element_text(a));
  const std::int32_t origin = mesh.node_origin[static_cast<std::size_t>(f.node)];
  if (origin >= 0)
    reject_input("node ", origin + 1, " lies on ", edge, " without being one of its nodes (a hanging node: the parts' ",
                 "nodes do not line up there)");
  reject_input("a mid-side node of ", element_text(b), " lies on ", edge,
               " without being one of its nodes (a hanging node: the elements do not line up there)");
}

Status prepare(const MeshedPartsInput& in, MeshedPartsExport kind, std::int32_t threads, PreparedSection& p) {
  // Host (y, z) -> solver (x, y), here and nowhere else.
  p.mesh = merge_section(
      {in.node_y, in.node_z, in.connectivity, in.element_material, in.part_element_count, in.nodes_per_element});
  // Node ranges before the shape test, which indexes the nodes.
  if (check_domain_node_ranges(p.mesh) != Status::ok)
    throw CallError(Status::solver_error, "internal error: the merged mesh's domains are inconsistent");
  if (const auto f = find_misshapen_element(p.mesh)) reject_shape(in, p.mesh, *f);
  if (const auto f = find_mesh_fault(p.mesh, in.nodes_per_element == 3, threads)) reject_mesh(in, p.mesh, *f);

  p.solver = mesh_solver_input(p.mesh, in, in.material_modulus, in.material_poisson, in.material_area_weight,
                               kind != MeshedPartsExport::detail);
  SolverInput& si = p.solver;
  si.stress_x = in.stress_y;
  si.stress_y = in.stress_z;
  si.analysis_level = in.analysis_level;
  si.stress_reference = in.stress_reference;
  si.thread_count = threads;
  return Status::ok;
}

// The solver's degenerate outcomes, each with its message.
[[noreturn]] void reject_area(double area) {
  throw CallError(Status::solver_error,
                  message("the section has no positive area (A = ", area,
                          "): all its elements are inverted or their areas cancel"));
}
void check_finite_output(std::span<const double> v, const char* output) {
  for (std::size_t i = 0; i < v.size(); ++i)
    if (!std::isfinite(v[i]))
      throw CallError(Status::solver_error,
                      message(output, "[", i, "] came out ", v[i], ": the section is degenerate"));
}

}  // namespace

std::optional<std::size_t> comb_result_size(const std::int32_t* n_stress_points, const std::int32_t* analysis_level) {
  const auto n = caller_count(n_stress_points);
  const auto level = caller_scalar(analysis_level);
  if (!n || !level) return std::nullopt;
  const auto per_point = checked_size(*n, 3);
  if (!per_point) return std::nullopt;
  if (*level <= 0) return level0_result_base + *per_point;
  return section_slot::size_for_level(*level, static_cast<std::size_t>(*n));
}

std::optional<DetailSizes> detail_sizes(const std::int32_t* n_stress_points, const std::int32_t* n_materials) {
  const auto n = caller_count(n_stress_points);
  const auto m = caller_count(n_materials);
  if (!n || !m) return std::nullopt;
  const auto table = checked_size(std::int64_t{*n} * *m, 4);  // both below 2^31: the product fits
  const auto offsets = checked_size(*n, 2);
  if (!table || !offsets) return std::nullopt;
  return DetailSizes{section_slot::basic_count, *table + 6, *offsets, static_cast<std::size_t>(*n)};
}

Status check_domain_node_ranges(const MergedSection& mesh) {
  std::int64_t first_node = 0;
  std::size_t e = 0;
  const std::size_t n_elements = mesh.element_material.size();
  if (mesh.connectivity.size() != n_elements * merged_nodes_per_element) return Status::solver_error;
  for (std::size_t c = 0; c < mesh.component_element_count.size(); ++c) {
    const std::int64_t last_node = first_node + mesh.component_node_count[c];
    const auto count = static_cast<std::size_t>(mesh.component_element_count[c]);
    if (count > n_elements - e) return Status::solver_error;
    for (std::size_t j = 0; j < count * merged_nodes_per_element; ++j) {
      const std::int32_t n = mesh.connectivity[e * merged_nodes_per_element + j];
      if (n <= first_node || n > last_node) return Status::solver_error;
    }
    e += count;
    first_node = last_node;
  }
  if (e != n_elements || first_node != mesh.node_count()) return Status::solver_error;
  return Status::ok;
}

std::optional<ElementShapeFault> find_misshapen_element(const MergedSection& mesh) {
  constexpr int n = Tria6Rule::n_nodes;
  for (std::size_t e = 0; e < mesh.element_material.size(); ++e) {
    std::array<double, n> x{}, y{};
    for (int i = 0; i < n; ++i) {
      const auto node = static_cast<std::size_t>(mesh.connectivity[e * n + static_cast<std::size_t>(i)] - 1);
      x[static_cast<std::size_t>(i)] = mesh.x[node];
      y[static_cast<std::size_t>(i)] = mesh.y[node];
    }
    double size2 = 0.0;
    for (int i = 0; i < 3; ++i) {
      const int j = (i + 1) % 3;
      const double dx = x[static_cast<std::size_t>(j)] - x[static_cast<std::size_t>(i)];
      const double dy = y[static_cast<std::size_t>(j)] - y[static_cast<std::size_t>(i)];
      size2 = std::max(size2, dx * dx + dy * dy);
    }
    for (int g = 0; g < Tria6Rule::n_points; ++g) {
      const auto d = Tria6Rule::gradient(Tria6Rule::point[static_cast<std::size_t>(g)].s,
                                         Tria6Rule::point[static_cast<std::size_t>(g)].t);
      const double det = jacobian<Tria6Rule>(x, y, d).det();
      if (det > collapsed_jacobian_ratio * size2) continue;
      // Twice the corner triangle's signed area tells which fault it is.
      const double corner_det = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
      ElementShapeFault f{ElementShapeFault::Kind::folded, static_cast<std::int32_t>(e)};
      if (!(std::abs(corner_det) > collapsed_jacobian_ratio * size2))
        f.kind = ElementShapeFault::Kind::collapsed;
      else if (corner_det < 0.0)
        f.kind = ElementShapeFault::Kind::clockwise;
      return f;
    }
  }
  return std::nullopt;
}

Status part_main(const MeshedPartsArgs& args, std::span<double> part_result) {
  MeshedPartsInput in;
  if (Status s = read_meshed_parts(args, MeshedPartsExport::part_main, in); s != Status::ok) return s;
  ThreadCountGuard threads;
  PreparedSection p;
  if (Status s = prepare(in, MeshedPartsExport::part_main, threads.threads(), p); s != Status::ok) return s;
  if (Status s = SOLVE_PART_SECTION(p.solver, part_result); s != Status::ok) return s;

  // The parts' areas add up to the section's (bars attach to parts); a
  // section without area has no centroid, so its slots cannot be trusted.
  double area = 0.0;
  for (std::size_t m = 0; m < part_result.size(); m += part_slots) area += part_result[m];
  if (!(area > 0.0)) reject_area(area);
  check_finite_output(part_result, "part_result");
  return Status::ok;
}

Status comb_main(const MeshedPartsArgs& args, std::span<double> result, std::span<double> stress_coords) {
  MeshedPartsInput in;
  if (Status s = read_meshed_parts(args, MeshedPartsExport::comb_main, in); s != Status::ok) return s;
  ThreadCountGuard threads;
  PreparedSection p;
  if (Status s = prepare(in, MeshedPartsExport::comb_main, threads.threads(), p); s != Status::ok) return s;

  const std::size_t n_sp = in.stress_y.size();
  const std::size_t solver_size = section_slot::size_for_level(in.analysis_level, n_sp);
  if (solver_size > result.size() || stress_coords.size() != 2 * n_sp) return Status::solver_error;
  if (Status s = SOLVE_SECTION(p.solver, result.first(solver_size), stress_coords); s != Status::ok) return s;
  // Level 0 promises more doubles than the solver's slots: the rest is 0.
  std::fill(result.begin() + static_cast<std::ptrdiff_t>(solver_size), result.end(), 0.0);

  // The mesh still holds the material a bar displaces, hence weight - 1.
  double bar_weighted_area = 0.0;
  for (std::size_t b = 0; b < in.bar_radius.size(); ++b) {
    const double r = in.bar_radius[b];
    bar_weighted_area += std::numbers::pi * r * r * (in.bar_area_weight[b] / in.ref_area_weight - 1.0);
  }
  result[section_slot::weighted_area] += bar_weighted_area;

  if (!(result[section_slot::area] > 0.0)) reject_area(result[section_slot::area]);
  check_finite_output(result, "result");
  check_finite_output(stress_coords, "stress_coords");
  return Status::ok;
}

Status detail_main(const MeshedPartsArgs& args, const DetailOptionArgs& options, const DetailOutputSpans& out) {
  MeshedPartsInput in;
  if (Status s = read_meshed_parts(args, MeshedPartsExport::detail, in); s != Status::ok) return s;
  DetailInput detail;
  for (std::size_t i = 0; i < options.option.size(); ++i) {
    const auto pair = caller_input(options.option[i], 2);
    if (!pair) reject_input("detail_option_", i + 1, " is NULL");
    if (!all_finite(*pair)) reject_input("detail_option_", i + 1, " holds a value that is not finite");
    detail.options[2 * i] = (*pair)[0];
    detail.options[2 * i + 1] = (*pair)[1];
  }
  detail.n_detail = in.n_materials;

  ThreadCountGuard threads;
  PreparedSection p;
  if (Status s = prepare(in, MeshedPartsExport::detail, threads.threads(), p); s != Status::ok) return s;
  // The solver's first output is the stress table, whose length it knows from
  // the detail records; the section slots, offsets and materials follow.
  const DetailOutputs solver_out{out.section, out.stresses, out.offsets, out.materials};
  if (Status s = SOLVE_DETAIL_SECTION(p.solver, detail, solver_out); s != Status::ok) return s;

  if (out.section.empty() || !(out.section[section_slot::area] > 0.0))
    reject_area(out.section.empty() ? 0.0 : out.section[section_slot::area]);
  check_finite_output(out.section, "detail_out_1");
  check_finite_output(out.stresses, "detail_out_2");
  check_finite_output(out.offsets, "detail_out_3");
  check_finite_output(out.materials, "detail_out_4");
  return Status::ok;
}

}  // namespace bsp
