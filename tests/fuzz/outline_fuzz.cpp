// BSPMeshMain, BSPPartMeshMain, BSPDetailMesh and BSPFirstMomentOfAreaMesh on an outline from the
// bytes: a loop through the first points (so that many inputs enclose something), extra segments
// between any two point numbers, regions, bars and stress points with hostile counts and values.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "bsp/bsp.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  bsp::fuzz::Input in(data, size);
  const int which = in.byte() % 4;
  constexpr double units[] = {1.0, 1e-6, 1e6, 0.01};
  const double unit = units[in.byte() % 4];
  const std::int32_t n_points = in.in(0, 10);
  std::vector<double> py = in.reals(static_cast<std::size_t>(n_points), unit);
  std::vector<double> pz = in.reals(static_cast<std::size_t>(n_points), unit);
  std::vector<std::int32_t> seg;
  const std::int32_t loop = in.in(0, n_points);
  for (std::int32_t k = 0; k < loop; ++k) seg.insert(seg.end(), {k + 1, (k + 1) % loop + 1});
  for (std::int32_t k = in.in(0, 4); k > 0; --k)
    seg.insert(seg.end(), {in.wild_index(1, n_points), in.wild_index(1, n_points)});
  std::int32_t n_segments = static_cast<std::int32_t>(seg.size() / 2);
  if (in.byte() % 16 == 0) n_segments = in.in(-1, n_segments);  // fewer: more would read past seg
  const std::int32_t n_regions = in.index(0, 3);
  const std::size_t regions = static_cast<std::size_t>(n_regions > 0 ? n_regions : 0);
  std::vector<double> region_e(regions), region_nu(regions), region_w(regions);
  for (std::size_t r = 0; r < regions; ++r)
    region_e[r] = in.byte() % 4 == 0 ? 0.0 : in.mostly(1.0 + r), region_nu[r] = in.mostly(0.3),
    region_w[r] = in.mostly(1.0);
  const std::int32_t n_bars = in.index(0, 2);
  const std::size_t bars = static_cast<std::size_t>(n_bars > 0 ? n_bars : 0);
  std::vector<double> bar_r(bars), bar_y(bars), bar_z(bars), bar_e(bars), bar_w(bars);
  for (std::size_t b = 0; b < bars; ++b)
    bar_r[b] = in.mostly(0.1 * unit), bar_y[b] = in.real(unit), bar_z[b] = in.real(unit), bar_e[b] = in.mostly(5.0),
    bar_w[b] = in.mostly(1.0);
  const std::int32_t n_sp = in.index(0, 3);
  const std::size_t sp = static_cast<std::size_t>(n_sp > 0 ? n_sp : 0);
  std::vector<double> sy = in.reals(sp, unit), sz = in.reals(sp, unit);
  const double e_ref = in.mostly(1.0), nu_ref = in.mostly(0.25), w_ref = in.mostly(1.0);
  const double h = in.byte() % 2 ? unit * (1 + in.byte() % 8) : in.real(unit);
  const std::int32_t level = in.index(0, 3), reference = in.byte() % 2, linear = in.byte() % 2;
  const double forces[8] = {in.real(), in.real(), in.real(), in.real(), in.real(), in.real(), 0.0, 0.0};
  const auto solid = static_cast<std::size_t>(std::ranges::count_if(region_e, [](double e) { return e != 0.0; }));

  bsp::fuzz::Outputs out;
  std::int32_t code = 0;
  if (which == 0) {
    // A negative n_stress_points leaves the length unknown: nothing is written.
    const std::size_t r = n_sp < 0 ? 0 : level <= 0 ? 38 : (level < 3 ? 43 + 3 * sp : 73 + 3 * sp);
    code = BSPMeshMain(out.array(r), out.array(2 * sp), &n_regions, &n_bars, bar_r.data(), bar_y.data(),
                       bar_z.data(), &n_sp, sy.data(), sz.data(), &e_ref, &nu_ref, region_e.data(), region_nu.data(),
                       bar_e.data(), &w_ref, region_w.data(), bar_w.data(), &n_points, py.data(), pz.data(),
                       &n_segments, seg.data(), &h, &level, &reference, &linear);
  } else if (which == 1) {
    code = BSPPartMeshMain(out.array(10 * solid), &n_regions, &n_bars, bar_r.data(), bar_y.data(), bar_z.data(),
                           &e_ref, &nu_ref, region_e.data(), region_nu.data(), bar_e.data(), &w_ref,
                           region_w.data(), bar_w.data(), &n_points, py.data(), pz.data(), &n_segments, seg.data(),
                           &h, &linear);
  } else if (which == 2) {
    const bool sized = n_sp >= 0 && n_regions >= 0;
    code = BSPDetailMesh(out.array(sized ? 38 : 0), out.array(sized ? 4 * sp * solid + 6 : 0),
                         out.array(sized ? 2 * sp : 0), out.array(sized ? sp : 0), &n_regions,
                         &n_bars, bar_r.data(), bar_y.data(), bar_z.data(), &n_sp, sy.data(), sz.data(), &e_ref,
                         &nu_ref, region_e.data(), region_nu.data(), bar_e.data(), &n_points, py.data(), pz.data(),
                         &n_segments, seg.data(), &h, forces, forces + 2, forces + 4, forces + 6, &linear);
  } else {
    const double y_ref = in.real(unit), z_ref = in.real(unit);
    double* o = out.array(3);
    BSPFirstMomentOfAreaMesh(o, o + 1, o + 2, &y_ref, &z_ref, &n_regions, &n_bars, bar_r.data(), bar_y.data(),
                             bar_z.data(), &e_ref, region_e.data(), bar_e.data(), &n_points, py.data(), pz.data(),
                             &n_segments, seg.data(), &h);
    code = *BSPLastError() ? BSP_E_INPUT : BSP_OK;
  }
  out.expect(code == BSP_OK);
  return 0;
}
