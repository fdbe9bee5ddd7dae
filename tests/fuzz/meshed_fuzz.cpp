// BSPCombMain, BSPPartMain, BSPDetail and BSPFirstMomentOfArea on a mesh from the bytes: mostly a
// valid 3 x 3-node patch of eight triangles (or free nodes) with a few entries spoiled, hostile
// counts, material numbers, part sums and values.
#include <cstdint>
#include <vector>

#include "bsp/bsp.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  bsp::fuzz::Input in(data, size);
  const int which = in.byte() % 4;
  constexpr double units[] = {1.0, 1e-6, 1e6, 0.01};
  const double unit = units[in.byte() % 4];
  const bool patch = in.byte() % 4 != 0;
  const std::int32_t k = in.byte() % 4 == 0 ? 6 : 3;
  std::int32_t n_nodes = patch ? 9 : in.in(0, 12), n_elements = patch ? 8 : in.in(0, 8);
  std::vector<double> y(static_cast<std::size_t>(n_nodes)), z(y.size());
  for (std::size_t i = 0; i < y.size(); ++i) {
    y[i] = patch ? unit * static_cast<double>(i % 3) : in.real(unit);
    z[i] = patch ? unit * static_cast<double>(i / 3) : in.real(unit);
  }
  std::vector<std::int32_t> conn(static_cast<std::size_t>(k * n_elements));
  constexpr std::int32_t cells[8][3] = {{1, 2, 5}, {1, 5, 4}, {2, 3, 6}, {2, 6, 5},
                                        {4, 5, 8}, {4, 8, 7}, {5, 6, 9}, {5, 9, 8}};
  for (std::size_t e = 0; e < static_cast<std::size_t>(n_elements); ++e)
    for (std::size_t c = 0; c < static_cast<std::size_t>(k); ++c)
      conn[e * k + c] = patch && c < 3 ? cells[e][c] : in.wild_index(1, n_nodes);
  for (std::int32_t spoil = in.in(0, 3); spoil > 0 && !conn.empty() && !y.empty(); --spoil) {
    conn[static_cast<std::size_t>(in.in(0, static_cast<std::int32_t>(conn.size()) - 1))] = in.wild_index(1, n_nodes);
    y[static_cast<std::size_t>(in.in(0, n_nodes - 1))] = in.real(unit);
  }
  const std::int32_t n_m = in.index(1, 2);
  const std::size_t m = static_cast<std::size_t>(n_m > 0 ? n_m : 0);
  std::vector<std::int32_t> mat(static_cast<std::size_t>(n_elements));
  const std::int32_t top = n_m > 0 ? n_m : 0;
  for (std::int32_t& v : mat) v = in.byte() % 4 ? 1 : in.wild_index(-top, top);
  std::vector<double> e(m), nu(m), w(m);
  for (std::size_t i = 0; i < m; ++i) e[i] = in.mostly(1.0 + i), nu[i] = in.mostly(0.3), w[i] = in.mostly(1.0);
  const std::int32_t n_parts = in.index(1, 2);
  std::vector<std::int32_t> pn(static_cast<std::size_t>(n_parts > 0 ? n_parts : 0)), pe(pn.size());
  if (!pn.empty()) pn[0] = n_nodes, pe[0] = n_elements;
  if (in.byte() % 8 == 0 && !pn.empty()) pn.back() += in.in(-2, 2), pe.back() += in.in(-2, 2);
  if (in.byte() % 16 == 0) n_nodes = in.in(-1, n_nodes);  // fewer: more would read past y, z
  if (in.byte() % 16 == 0) n_elements = in.in(-1, n_elements);
  const std::int32_t n_bars = in.index(0, 2);
  const std::size_t bars = static_cast<std::size_t>(n_bars > 0 ? n_bars : 0);
  std::vector<double> br(bars), by(bars), bz(bars), be(bars), bw(bars);
  for (std::size_t b = 0; b < bars; ++b)
    br[b] = in.mostly(0.1 * unit), by[b] = in.real(unit), bz[b] = in.real(unit), be[b] = in.mostly(5.0),
    bw[b] = in.mostly(1.0);
  const std::int32_t n_sp = in.index(0, 3);
  const std::size_t sp = static_cast<std::size_t>(n_sp > 0 ? n_sp : 0);
  std::vector<double> sy = in.reals(sp, unit), sz = in.reals(sp, unit);
  const double e_ref = in.mostly(1.0), nu_ref = in.mostly(0.25), w_ref = in.mostly(1.0);
  const std::int32_t level = in.index(0, 3), reference = in.byte() % 2, six = k == 6;
  const double forces[8] = {in.real(), in.real(), in.real(), in.real(), in.real(), in.real(), 0.0, 0.0};

  bsp::fuzz::Outputs out;
  std::int32_t code = 0;
  if (which == 0) {
    const std::size_t r = n_sp < 0 ? 0 : level <= 0 ? 39 + 3 * sp : (level < 3 ? 43 + 3 * sp : 73 + 3 * sp);
    code = BSPCombMain(out.array(r), out.array(2 * sp), &n_nodes, &n_sp, &n_elements, &n_m, &n_parts, y.data(),
                       z.data(), sy.data(), sz.data(), conn.data(), mat.data(), pn.data(), pe.data(), &e_ref,
                       &nu_ref, &w_ref, e.data(), nu.data(), w.data(), &n_bars, br.data(), by.data(), bz.data(),
                       be.data(), bw.data(), &level, &reference, &six);
  } else if (which == 1) {
    code = BSPPartMain(out.array(10 * m), &n_nodes, &n_elements, &n_m, &n_parts, y.data(), z.data(), conn.data(),
                       mat.data(), pn.data(), pe.data(), &e_ref, &nu_ref, &w_ref, e.data(), nu.data(), w.data(),
                       &n_bars, br.data(), by.data(), bz.data(), be.data(), bw.data(), &six);
  } else if (which == 2) {
    const bool sized = n_sp >= 0 && n_m >= 0;
    code = BSPDetail(out.array(sized ? 38 : 0), out.array(sized ? 4 * sp * m + 6 : 0), out.array(sized ? 2 * sp : 0),
                     out.array(sized ? sp : 0), &n_nodes, &n_sp, &n_elements, &n_m, &n_parts, y.data(), z.data(),
                     sy.data(), sz.data(), conn.data(), mat.data(), pn.data(), pe.data(), &e_ref, &nu_ref, e.data(),
                     nu.data(), &n_bars, br.data(), by.data(), bz.data(), be.data(), forces, forces + 2, forces + 4,
                     forces + 6, &six);
  } else {
    // First moments read three node numbers per element whatever k is.
    const double y_ref = in.real(unit), z_ref = in.real(unit);
    double* o = out.array(3);
    BSPFirstMomentOfArea(o, o + 1, o + 2, &y_ref, &z_ref, &n_nodes, &n_elements, y.data(), z.data(), conn.data(),
                         &e_ref, &w_ref, &n_bars, br.data(), by.data(), bz.data(), be.data());
    code = *BSPLastError() ? BSP_E_INPUT : BSP_OK;
  }
  out.expect(code == BSP_OK);
  return 0;
}
