#include "solver/solver_entries.h"

#include <omp.h>

#include <algorithm>
#include <cassert>
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
// detail entry's stress output: 4 n_sp n_detail + detail_header_count doubles.
constexpr std::size_t detail_header_count = 6;
constexpr std::size_t detail_values_per_point = 4;

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

// The call's input moved to a point of the section. Every integral and field
// problem runs in these local coordinates: a section far from the origin
// then keeps the digits its own size needs (a 2 x 1 rectangle at 1e8 would
// otherwise lose some eight of them in its second moments), and only the
// positions reported at the end are moved back.
//
// The point is the centre of the nodes' bounding box rounded to the nearest
// multiple of q, the power of two above the box's larger side (ties to the
// even multiple). Hence a section whose centre lies within q/2 of the origin
// is not moved at all and keeps its results bit for bit, and for a far
// section every subtraction x - x0 is exact (x and x0 are within a factor of
// two of each other, Sterbenz's lemma), so it gives the very numbers of the
// same section near the origin.
struct LocalFrame {
  double x0 = 0.0, y0 = 0.0;
  std::vector<double> node_x, node_y, bar_x, bar_y, stress_x, stress_y;
  SolverInput input;
};

std::vector<double> shifted(std::span<const double> v, double by) {
  std::vector<double> out(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) out[i] = v[i] - by;
  return out;
}

// c rounded to the nearest multiple of q, ties to the even multiple; written
// out rather than left to the floating-point environment's rounding mode,
// which a host may have changed.
double nearest_multiple(double c, double q) {
  const double t = c / q;
  double r = std::floor(t);
  const double frac = t - r;
  if (frac > 0.5 || (frac == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
  return r * q;
}

LocalFrame local_frame(const SolverInput& in) {
  LocalFrame f;
  if (!in.node_x.empty() && in.node_y.size() == in.node_x.size()) {
    const auto [x_lo, x_hi] = std::minmax_element(in.node_x.begin(), in.node_x.end());
    const auto [y_lo, y_hi] = std::minmax_element(in.node_y.begin(), in.node_y.end());
    const double side = std::max(*x_hi - *x_lo, *y_hi - *y_lo);
    if (side > 0.0 && std::isfinite(side)) {
      int e = 0;
      std::frexp(side, &e);
      const double q = std::ldexp(1.0, e);  // a power of two above the side
      f.x0 = nearest_multiple(0.5 * *x_lo + 0.5 * *x_hi, q);
      f.y0 = nearest_multiple(0.5 * *y_lo + 0.5 * *y_hi, q);
    }
  }
  f.node_x = shifted(in.node_x, f.x0);
  f.node_y = shifted(in.node_y, f.y0);
  f.bar_x = shifted(in.bars.x, f.x0);
  f.bar_y = shifted(in.bars.y, f.y0);
  f.stress_x = shifted(in.stress_x, f.x0);
  f.stress_y = shifted(in.stress_y, f.y0);
  f.input = in;
  f.input.node_x = f.node_x;
  f.input.node_y = f.node_y;
  f.input.bars.x = f.bar_x;
  f.input.bars.y = f.bar_y;
  f.input.stress_x = f.stress_x;
  f.input.stress_y = f.stress_y;
  return f;
}

// The absolute positions of a section vector written in local coordinates:
// the centroid and, at level 3, the points where the fields peak. Offsets
// and differences need no move.
void move_back(std::span<double> result, int level, std::size_t n_sp, const LocalFrame& f) {
  result[section_slot::centroid_first] += f.x0;
  result[section_slot::centroid_second] += f.y0;
  if (level < 3) return;
  const std::size_t b = section_slot::extreme_block(n_sp);
  for (std::size_t k = 0; k < n_extreme_fields; ++k) {
    result[b + 2 * k] += f.x0;
    result[b + 2 * k + 1] += f.y0;
  }
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
  assert(result.size() >= n_write && stress_offsets.size() >= 2 * n_sp);  // sized by the driver
  std::fill_n(result.begin(), n_write, 0.0);
  std::fill_n(stress_offsets.begin(), 2 * n_sp, 0.0);

  const LocalFrame local = local_frame(in);
  T_MULTI_DOMAIN m = build_model(local.input, ModelOptions{.materials = false, .stress_points = level >= 2});

  // The torsion analysis takes the warping function about the shear centre
  // that the shear analysis finds.
  shear_analysis(m);
  torsion_analysis(m);
  SectionValues v = section_values(m);
  if (level >= 3) v.extremes = stress_extremes(m);
  const Status s = fill_section_result(v, StressPointsIn{local.stress_x, local.stress_y}, level, in.stress_reference,
                                       result, stress_offsets);
  if (s == Status::ok) move_back(result, level, n_sp, local);
  return s;
}

Status SOLVE_PART_SECTION(const SolverInput& in, std::span<double> material_result) {
  const std::size_t n_write = static_cast<std::size_t>(std::max(in.n_materials, 0)) * material_slot::count;
  assert(material_result.size() >= n_write);  // sized by the driver
  std::fill_n(material_result.begin(), n_write, 0.0);

  const LocalFrame local = local_frame(in);
  T_MULTI_DOMAIN m = build_model(local.input, ModelOptions{.materials = true, .stress_points = false});

  shear_analysis(m);
  torsion_analysis(m);
  shear_material_results(m);
  // A section without area has no properties to share out.
  if (!(m.A > 0.0)) {
    std::fill_n(material_result.begin(), n_write, 0.0);
    return Status::solver_error;
  }

  for (std::size_t p = 0; p < m.materials.size(); ++p) {
    if (m.materials[p].empty) continue;  // an empty material keeps ten zeros
    for (std::size_t s = 0; s < material_slot::count; ++s) {
      double v = m.materials[p].slot[s];
      if (s == material_slot::xc) v += local.x0;
      if (s == material_slot::yc) v += local.y0;
      if (!std::isfinite(v)) {
        std::fill_n(material_result.begin(), n_write, 0.0);
        return Status::solver_error;
      }
      material_result[p * material_slot::count + s] = v;
    }
  }
  return Status::ok;
}

Status SOLVE_DETAIL_SECTION(const SolverInput& in, const DetailInput& detail, const DetailOutputs& out) {
  const std::size_t n_sp = in.stress_x.size();
  const std::size_t n_detail = static_cast<std::size_t>(std::max(detail.n_detail, 0));
  const std::size_t n_stresses = detail_values_per_point * n_sp * n_detail + detail_header_count;
  assert(out.stresses.size() >= n_stresses);  // sized by the driver
  std::fill_n(out.stresses.begin(), n_stresses, 0.0);

  // Area weights are the moduli here: SolverInput carries no w for this entry.
  const LocalFrame local = local_frame(in);
  SolverInput weighted_by_modulus = local.input;
  weighted_by_modulus.materials.w = {};
  weighted_by_modulus.bars.w = {};
  T_MULTI_DOMAIN m = build_model(weighted_by_modulus, ModelOptions{.materials = false, .stress_points = true});

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
    std::fill_n(out.stresses.begin(), n_stresses, 0.0);
    std::fill_n(out.section.begin(), std::min(out.section.size(), section_slot::basic_count), 0.0);
    std::fill_n(out.offsets.begin(), std::min(out.offsets.size(), 2 * n_sp), 0.0);
    std::fill_n(out.materials.begin(), std::min(out.materials.size(), n_sp), 0.0);
    return Status::solver_error;
  };
  // Slots 0..37 as the section entry writes them at level 1 (derived slots
  // 22..29 included); the rest of that vector is not part of this output.
  std::vector<double> section(section_slot::size_for_level(1, n_sp)), offsets(2 * n_sp);
  if (fill_section_result(section_values(m), StressPointsIn{local.stress_x, local.stress_y}, 1, stress_reference,
                          section, offsets) != Status::ok)
    return fail();
  move_back(section, 1, n_sp, local);
  detail_stresses(m, forces, in.materials.E.first(n_mat), in.materials.nu.first(n_mat),
                  out.stresses.first(detail_stress_size(n_sp, n_mat)));
  if (!std::all_of(out.stresses.begin(), out.stresses.begin() + static_cast<std::ptrdiff_t>(n_stresses),
                   [](double x) { return std::isfinite(x); }))
    return fail();
  std::copy_n(section.begin(), std::min(out.section.size(), section_slot::basic_count), out.section.begin());
  std::copy_n(offsets.begin(), std::min(out.offsets.size(), offsets.size()), out.offsets.begin());
  detail_point_materials(m, out.materials.first(std::min(out.materials.size(), n_sp)));
  return Status::ok;
}

}  // namespace bsp
