#include "solver/solver_entries.h"

#include <omp.h>

#include <algorithm>
#include <cmath>

#include "solver/model.h"
#include "solver/section_result_vector.h"

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

  // FIELD ANALYSES go here: shear_analysis(m), then torsion_analysis(m),
  // which takes the warping function about the shear centre the shear
  // analysis found. Until they run, the model's shear and torsion results
  // keep their zero defaults.

  return fill_section_result(section_values(m), StressPointsIn{in.stress_x, in.stress_y}, level,
                             in.stress_reference, result, stress_offsets);
}

Status SOLVE_PART_SECTION(const SolverInput& in, std::span<double> part_result) {
  const std::size_t n_write = static_cast<std::size_t>(std::max(in.n_parts, 0)) * part_slot::count;
  if (part_result.size() < n_write) return Status::invalid_input;
  std::fill_n(part_result.begin(), n_write, 0.0);

  T_MULTI_DOMAIN m = build_model(in, ModelOptions{.parts = true, .stress_points = false});

  // FIELD ANALYSES go here: shear_analysis(m), torsion_analysis(m), then
  // shear_part_results(m) for the parts' slots 7 and 8 (slots 6 and 9 are
  // filled by the torsion analysis).

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

  // FIELD ANALYSES and DETAIL RESULTS go here: shear_analysis(m),
  // torsion_analysis(m), then the stresses at the located stress points
  // into out.first and the other detail outputs.

  return Status::ok;
}

}  // namespace bsp
