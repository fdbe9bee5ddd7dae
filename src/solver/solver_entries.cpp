#include "solver/solver_entries.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "solver/detail_stresses.h"
#include "solver/model.h"
#include "solver/section_result_vector.h"
#include "solver/shear_analysis.h"
#include "solver/stress_extremes.h"
#include "solver/torsion_analysis.h"

namespace bsp {
namespace {

// Number of section values ahead of the per-point detail block in the
// detail entry's first output: 4 n_sp n_detail + detail_header_count doubles.
constexpr std::size_t detail_header_count = 6;
constexpr std::size_t detail_values_per_point = 4;
constexpr std::size_t load_values = 6;  // N, Vx, Vy, Mx, My, Mt

SectionValues section_values(const T_MULTI_DOMAIN& m) {
  SectionValues v;
  v.area = m.A;
  v.weighted_area = m.A_w;
  v.xc = m.xc;
  v.yc = m.yc;
  v.ixx = m.Ixx;
  v.iyy = m.Iyy;
  v.ixy = m.Ixy;
  v.torsion_constant = m.J;
  v.warping_constant = m.Iw;
  v.alpha_x = m.alpha_x;
  v.alpha_y = m.alpha_y;
  v.x_s = m.x_s;
  v.y_s = m.y_s;
  v.tau_max = m.tau_max;
  v.pair_x = m.tau_x_pair;
  v.pair_y = m.tau_y_pair;
  v.polar_moment_shear_centre = m.Ip_s;
  v.point_omega.resize(m.details.size());
  v.point_tau_zx.resize(m.details.size());
  v.point_tau_zy.resize(m.details.size());
  for (std::size_t i = 0; i < m.details.size(); ++i) {
    v.point_omega[i] = m.details[i].omega;
    v.point_tau_zx[i] = m.details[i].torsion.t_zx;
    v.point_tau_zy[i] = m.details[i].torsion.t_zy;
  }
  return v;
}

}  // namespace

std::int32_t INIT_OMP(std::int32_t requested) {
  if (requested > 0) return requested;
  // The team a parallel region would get by default, read without forking.
  return std::max(omp_get_max_threads(), 1);
}

Status SOLVE_SECTION(const SolverInput& in, std::span<double> result, std::span<double> stress_offsets) {
  const int level = std::max(in.analysis_level, 0);
  const std::size_t n_sp = in.stress_x.size();
  const std::size_t n_write = section_slot::size_for_level(level, n_sp);
  if (result.size() < n_write || stress_offsets.size() < 2 * n_sp) return Status::invalid_input;
  std::fill_n(result.begin(), n_write, 0.0);
  std::fill_n(stress_offsets.begin(), 2 * n_sp, 0.0);

  T_MULTI_DOMAIN m = build_model(in, ModelOptions{.parts = false, .stress_points = level >= 2});

  // The torsion analysis takes the warping function about the shear centre
  // that the shear analysis finds.
  shear_analysis(m);
  torsion_analysis(m);
  SectionValues v = section_values(m);
  if (level >= 3) v.extremes = stress_extremes(m);
  return fill_section_result(v, StressPointsIn{in.stress_x, in.stress_y}, level, in.stress_reference, result,
                             stress_offsets);
}

Status SOLVE_PART_SECTION(const SolverInput& in, std::span<double> part_result) {
  const std::size_t n_write = static_cast<std::size_t>(std::max(in.n_parts, 0)) * part_slot::count;
  if (part_result.size() < n_write) return Status::invalid_input;
  std::fill_n(part_result.begin(), n_write, 0.0);

  T_MULTI_DOMAIN m = build_model(in, ModelOptions{.parts = true, .stress_points = false});

  shear_analysis(m);
  torsion_analysis(m);
  shear_part_results(m);
  // A section without area has no properties to share out.
  if (!(m.A > 0.0)) {
    std::fill_n(part_result.begin(), n_write, 0.0);
    return Status::solver_error;
  }

  for (std::size_t p = 0; p < m.parts.size(); ++p) {
    if (m.parts[p].empty) continue;  // an empty part keeps ten zeros
    for (std::size_t s = 0; s < part_slot::count; ++s) {
      const double v = m.parts[p].slot[s];
      if (!std::isfinite(v)) {
        std::fill_n(part_result.begin(), n_write, 0.0);
        return Status::solver_error;
      }
      part_result[p * part_slot::count + s] = v;
    }
  }
  return Status::ok;
}

Status SOLVE_DETAIL_SECTION(const SolverInput& in, const DetailInput& detail, const DetailOutputs& out) {
  const std::size_t n_sp = in.stress_x.size();
  const std::size_t n_detail = static_cast<std::size_t>(std::max(detail.n_detail, 0));
  const std::size_t n_first = detail_values_per_point * n_sp * n_detail + detail_header_count;
  if (out.first.size() < n_first || detail.loads.size() % load_values != 0) return Status::invalid_input;
  std::fill_n(out.first.begin(), n_first, 0.0);

  // Area weights are the moduli here: SolverInput carries no w for this entry.
  SolverInput weighted_by_modulus = in;
  weighted_by_modulus.materials.w = {};
  weighted_by_modulus.bars.w = {};
  T_MULTI_DOMAIN m = build_model(weighted_by_modulus, ModelOptions{.parts = false, .stress_points = true});
  m.loads.resize(detail.loads.size() / load_values);
  for (std::size_t i = 0; i < m.loads.size(); ++i) {
    const auto f = detail.loads.subspan(i * load_values, load_values);
    m.loads[i] = T_LOAD{f[0], f[1], f[2], f[3], f[4], f[5]};
  }

  shear_analysis(m);
  torsion_analysis(m);

  // Host pairs (N, T), (V_y, V_z), (M_y, M_z), (stress reference, unused);
  // the host's y axis is the solver's x. M_y = int sigma z' dA pairs with the
  // second solver coordinate, M_z = int sigma y' dA with the first.
  const auto& o = detail.options;
  DetailForces forces;
  forces.N = o[0];
  forces.T = o[1];
  forces.Vx = o[2];
  forces.Vy = o[3];
  forces.My = o[4];
  forces.Mx = o[5];
  const int stress_reference = o[6] != 0.0 ? 1 : 0;

  const std::size_t n_mat = std::min({n_detail, in.materials.E.size(), in.materials.nu.size()});
  auto fail = [&] {
    std::fill_n(out.first.begin(), n_first, 0.0);
    std::fill_n(out.second.begin(), std::min(out.second.size(), section_slot::basic_count), 0.0);
    std::fill_n(out.third.begin(), std::min(out.third.size(), 2 * n_sp), 0.0);
    std::fill_n(out.fourth.begin(), std::min(out.fourth.size(), n_sp), 0.0);
    return Status::solver_error;
  };
  // Slots 0..37 as the section entry writes them at level 1 (derived slots
  // 22..29 included); the rest of that vector is not part of this output.
  std::vector<double> section(section_slot::size_for_level(1, n_sp)), offsets(2 * n_sp);
  if (fill_section_result(section_values(m), StressPointsIn{in.stress_x, in.stress_y}, 1, stress_reference, section,
                          offsets) != Status::ok)
    return fail();
  detail_stresses(m, forces, in.materials.E.first(n_mat), in.materials.nu.first(n_mat),
                  out.first.first(detail_stress_size(n_sp, n_mat)));
  if (!std::all_of(out.first.begin(), out.first.begin() + static_cast<std::ptrdiff_t>(n_first),
                   [](double x) { return std::isfinite(x); }))
    return fail();
  std::copy_n(section.begin(), std::min(out.second.size(), section_slot::basic_count), out.second.begin());
  std::copy_n(offsets.begin(), std::min(out.third.size(), offsets.size()), out.third.begin());
  detail_point_materials(m, out.fourth.first(std::min(out.fourth.size(), n_sp)));
  return Status::ok;
}

}  // namespace bsp
