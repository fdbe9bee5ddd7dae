#include "interface/outline_driver.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <new>
#include <numbers>
#include <string>

#include "bsp/bsp.h"
#include "geometry/outline_domain.h"
#include "geometry/region_mesh_gluing.h"
#include "geometry/split_first_moments.h"
#include "geometry/wire_discretisation.h"
#include "interface/caller_arrays.h"
#include "mesher/domain_maker/domain_maker.h"
#include "mesher/mesher_2d/run_mesher.h"
#include "solver/section_result_vector.h"
#include "solver/solver_entries.h"

namespace bsp {
namespace {

using domain_maker::Domain_Data;
using domain_maker::Flat_Mesh;
using domain_maker::Mesh_Data;

[[noreturn]] void bad(const std::string& message) { throw CallError(Status::invalid_input, message); }

std::string num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

// Signed area of a closed wire of the section record (counter-clockwise
// positive); open lines enclose nothing.
double wire_area(const Domain_Data& s, const domain_maker::Wire_Record& w) {
  double twice = 0.0;
  for (std::size_t k = 1; k < w.nodes.size(); ++k) {
    const auto& a = s.nodes[static_cast<std::size_t>(w.nodes[k - 1])];
    const auto& b = s.nodes[static_cast<std::size_t>(w.nodes[k])];
    twice += a.x * b.y - b.x * a.y;
  }
  return 0.5 * twice;
}

// Area of domain d: its outer wire less its holes.
double region_area(const Domain_Data& s, std::size_t d) {
  double area = 0.0;
  for (const std::int32_t index : s.domains[d].wires) {
    const auto& w = s.wires[static_cast<std::size_t>(index)];
    if (w.kind == 1) area += std::abs(wire_area(s, w));
    if (w.kind == 2) area -= std::abs(wire_area(s, w));
  }
  return area;
}

// Meshes domain d with the grid mesher and, when that throws, with the loop
// mesher on a record built afresh (the grid mesher may have changed the
// first). Memory exhaustion is not a meshing failure and passes on. The
// record's nodes (the domain's wire nodes) stay first in the mesh.
RegionMesh mesh_region(const Domain_Data& section, std::size_t d) {
  try {
    return mesh_region_with(section, d, true, RegionMesher::grid);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
  }
  try {
    return mesh_region_with(section, d, true, RegionMesher::loop);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    bad("region " + std::to_string(d + 1) + " cannot be meshed: " + e.what());
  }
}

SolverInput solver_input(const OutlineMesh& m, const OutlineInput& in, bool weights) {
  SolverInput si = mesh_solver_input(m.mesh, in, m.E, m.nu, m.w, weights);
  // The outline exports leave the thread count alone: the band
  // factorisation takes the calling thread's current team size.
  si.thread_count = 0;
  return si;
}

bool all_finite_values(std::span<const double> v) { return all_finite(v); }

// Slots 30 and 31: for each centroidal axis, the magnitudes of the moments
// of the two parts it cuts the mesh into, plus the magnitudes of the bars'
// moments summed separately by sign (a bar displaces meshed material, hence
// E_b / E_ref - 1).
void add_first_moments(const OutlineMesh& m, const OutlineInput& in, std::span<double> result) {
  const double yc = result[section_slot::centroid_first];
  const double zc = result[section_slot::centroid_second];
  std::vector<double> weight(m.E.size());
  for (std::size_t r = 0; r < weight.size(); ++r) weight[r] = m.E[r] / in.ref_modulus;
  const SplitFirstMoments q = split_first_moments(m.mesh.x, m.mesh.y, m.mesh.connectivity, merged_nodes_per_element,
                                                  m.mesh.element_material, weight, yc, zc);
  SideMoments bars_y, bars_z;
  for (std::size_t b = 0; b < in.bar_radius.size(); ++b) {
    const double r = in.bar_radius[b];
    const double da = std::numbers::pi * r * r * (in.bar_modulus[b] / in.ref_modulus - 1.0);
    const double my = (in.bar_y[b] - yc) * da;
    const double mz = (in.bar_z[b] - zc) * da;
    (my >= 0.0 ? bars_y.positive : bars_y.negative) += my;
    (mz >= 0.0 ? bars_z.positive : bars_z.negative) += mz;
  }
  result[BSP_SLOT_FIRST_MOMENT_Y] = std::abs(q.about_x.positive) + std::abs(q.about_x.negative) +
                                    std::abs(bars_y.positive) + std::abs(bars_y.negative);
  result[BSP_SLOT_FIRST_MOMENT_Z] = std::abs(q.about_y.positive) + std::abs(q.about_y.negative) +
                                    std::abs(bars_z.positive) + std::abs(bars_z.negative);
}

}  // namespace

RegionMesh mesh_region_with(const Domain_Data& section, std::size_t d, bool quadratic, RegionMesher mesher) {
  Mesh_Data record = domain_maker::make_domain_mesh_data(section, d);
  record.quadratic = quadratic ? 1 : 0;
  RegionMesh region;
  region.wire_nodes = static_cast<std::int32_t>(record.nodes.size());
  if (mesher == RegionMesher::grid)
    mesher_2d::run_grid_mesher(record, region.mesh);
  else
    mesher_2d::run_loop_mesher(record, region.mesh);
  return region;
}

OutlineDomain make_outline_domain(Outline outline, double element_size, SizeDivisors divisors,
                                  std::span<const double> region_modulus) {
  OutlineDomain out;
  out.size = choose_element_size(outline, element_size, divisors);
  const double h = out.size.h;
  const double caller_h = h / std::abs(out.size.f);

  const double pieces = wire_piece_estimate(outline, h);
  if (pieces > max_outline_triangles)
    bad("element size " + num(caller_h) + " cuts the segments into about " + num(pieces) +
        " pieces, above the cap of " + num(max_outline_triangles) + "; choose a larger element_size");

  Domain_Data& section = out.section;
  const auto make_regions = [](Domain_Data& record) {
    try {
      std::vector<std::int32_t> loose;
      domain_maker::Domain_Maker maker;
      maker.make_domain(record, loose);
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception& e) {
      bad(std::string("the segments cannot be turned into regions: ") + e.what());
    }
  };
  // Segments may meet at their points only, and that is checked on the
  // segments as given: once cut into pieces, two crossing segments can each
  // get a node at the crossing point, and the two nodes merge into a
  // junction the caller never drew (a bow tie would pass as two triangles).
  Domain_Data as_given = build_outline_domain(outline);
  as_given.element_size = h;
  make_regions(as_given);
  section = build_outline_domain(outline);
  section.element_size = h;
  discretise_wires(section, h);
  make_regions(section);
  const std::size_t n_regions = region_modulus.size();
  if (section.domains.size() != n_regions)
    bad("the segments enclose " + std::to_string(section.domains.size()) + " regions but n_regions is " +
        std::to_string(n_regions));

  double triangles = 0.0;
  for (std::size_t r = 0; r < n_regions; ++r) {
    if (region_modulus[r] == 0.0) continue;
    out.solid.push_back(r);
    triangles += triangle_estimate(region_area(section, r), h);
  }
  if (triangles > max_outline_triangles)
    bad("element size " + num(caller_h) + " gives about " + num(triangles) + " triangles, above the cap of " +
        num(max_outline_triangles) + "; choose a larger element_size");
  return out;
}

OutlineMesh mesh_outline(const OutlineInput& in) {
  OutlineDomain domain = make_outline_domain(in.outline, in.element_size, section_size_divisors, in.region_modulus);
  OutlineMesh out;
  out.size = domain.size;
  Domain_Data& section = domain.section;
  const std::vector<std::size_t>& solid = domain.solid;
  if (solid.empty()) bad("every region is a hole (region_modulus 0.0): there is nothing to analyse");

  std::vector<RegionMesh> regions(solid.size());
  for (std::size_t j = 0; j < solid.size(); ++j) {
    regions[j] = mesh_region(section, solid[j]);
    regions[j].part = static_cast<std::int32_t>(j + 1);
    out.E.push_back(in.region_modulus[solid[j]]);
    out.nu.push_back(in.region_poisson[solid[j]]);
    out.w.push_back(in.region_area_weight.empty() ? in.region_modulus[solid[j]] : in.region_area_weight[solid[j]]);
  }
  section = Domain_Data{};

  out.mesh = glue_region_meshes(regions);
  regions.clear();
  if (out.size.f != 1.0) {
    for (double& v : out.mesh.x) v /= out.size.f;
    for (double& v : out.mesh.y) v /= out.size.f;
  }
  // The meshers make counter-clockwise triangles and the gluing keeps every
  // component's numbers in its own block; a failure here is a mesher fault,
  // reported as a section that could not be meshed. Node ranges come first:
  // the shape test indexes the nodes.
  if (check_domain_node_ranges(out.mesh) != Status::ok) bad("the glued mesh has a component that is not contiguous");
  if (find_misshapen_element(out.mesh)) bad("the mesh has a folded or clockwise element");
  return out;
}

std::optional<std::size_t> mesh_main_result_size(const std::int32_t* n_stress_points,
                                                 const std::int32_t* analysis_level) {
  const auto n = caller_count(n_stress_points);
  const auto level = caller_scalar(analysis_level);
  if (!n || !level || !checked_size(*n, 3)) return std::nullopt;
  return section_slot::size_for_level(*level, static_cast<std::size_t>(*n));
}

std::optional<DetailSizes> detail_mesh_sizes(const std::int32_t* n_stress_points, const std::int32_t* n_regions,
                                             const double* region_modulus) {
  const auto solid = solid_region_count(n_regions, region_modulus);
  if (!solid) return std::nullopt;
  const auto m = static_cast<std::int32_t>(*solid);  // at most n_regions
  return detail_sizes(n_stress_points, &m);
}

Status mesh_main(const OutlineArgs& args, std::span<double> result, std::span<double> stress_coords) {
  OutlineInput in;
  read_outline(args, OutlineExport::mesh_main, in);
  const OutlineMesh m = mesh_outline(in);
  SolverInput si = solver_input(m, in, true);
  si.stress_x = in.stress_y;
  si.stress_y = in.stress_z;
  si.analysis_level = in.analysis_level;
  si.stress_reference = in.stress_reference;

  const std::size_t n_sp = in.stress_y.size();
  const std::size_t n_write = section_slot::size_for_level(in.analysis_level, n_sp);
  if (n_write != result.size() || stress_coords.size() != 2 * n_sp) return Status::solver_error;
  if (SOLVE_SECTION(si, result, stress_coords) != Status::ok) return Status::solver_error;
  if (!(result[section_slot::area] > 0.0)) return Status::solver_error;

  if (in.analysis_level > 0) add_first_moments(m, in, result);
  // The mesh still holds the material a bar displaces, hence weight - 1; at
  // every level, as the meshed-section exports do.
  double bar_weighted_area = 0.0;
  for (std::size_t b = 0; b < in.bar_radius.size(); ++b) {
    const double r = in.bar_radius[b];
    bar_weighted_area += std::numbers::pi * r * r * (in.bar_area_weight[b] / in.ref_area_weight - 1.0);
  }
  result[section_slot::weighted_area] += bar_weighted_area;
  if (!all_finite_values(result) || !all_finite_values(stress_coords)) return Status::solver_error;
  return Status::ok;
}

Status part_mesh_main(const OutlineArgs& args, std::span<double> part_result) {
  OutlineInput in;
  read_outline(args, OutlineExport::part_mesh_main, in);
  const OutlineMesh m = mesh_outline(in);
  const SolverInput si = solver_input(m, in, true);
  if (part_result.size() != m.E.size() * part_slots) return Status::solver_error;
  if (SOLVE_PART_SECTION(si, part_result) != Status::ok) return Status::solver_error;
  double area = 0.0;
  for (std::size_t p = 0; p < part_result.size(); p += part_slots) area += part_result[p];
  if (!(area > 0.0) || !all_finite_values(part_result)) return Status::solver_error;
  return Status::ok;
}

Status detail_mesh(const OutlineArgs& args, const DetailOptionArgs& options, const DetailOutputSpans& out) {
  OutlineInput in;
  read_outline(args, OutlineExport::detail_mesh, in);
  DetailInput detail;
  for (std::size_t i = 0; i < options.option.size(); ++i) {
    const auto pair = caller_input(options.option[i], 2);
    if (!pair) bad("detail_option_" + std::to_string(i + 1) + " is NULL");
    if (!all_finite(*pair)) bad("detail_option_" + std::to_string(i + 1) + " holds a value that is not finite");
    detail.options[2 * i] = (*pair)[0];
    detail.options[2 * i + 1] = (*pair)[1];
  }
  const OutlineMesh m = mesh_outline(in);
  SolverInput si = solver_input(m, in, false);
  si.stress_x = in.stress_y;
  si.stress_y = in.stress_z;
  detail.n_detail = static_cast<std::int32_t>(m.E.size());

  const DetailOutputs solver_out{out.section, out.stresses, out.offsets, out.materials};
  if (SOLVE_DETAIL_SECTION(si, detail, solver_out) != Status::ok) return Status::solver_error;
  if (out.section.empty() || !(out.section[section_slot::area] > 0.0)) return Status::solver_error;
  for (std::span<const double> v : {out.section, out.stresses, out.offsets, out.materials})
    if (!all_finite_values(v)) return Status::solver_error;
  return Status::ok;
}

}  // namespace bsp
