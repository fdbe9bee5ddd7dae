// Calls of the exports that take a handful of arrays (cracked section, first
// moments, standard sections) as a host makes them, each output
// in a Guarded array (support/meshed_section_calls.h) so that a write before
// or past the documented range is caught.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bsp/bsp.h"
#include "support/meshed_section_calls.h"

namespace bsp::test {

// Reinforced concrete beam 300 x 500 (key 1, record 1, counter-clockwise),
// two bars (records 0 and 1), E_ref = 30000.
struct CrackInput {
  std::vector<int32_t> table{1, 0, 0, 1};
  std::vector<int32_t> edges{1, 0, 1, 1, 1, 2, 1, 2, 3, 1, 3, 0};
  std::vector<int32_t> bar_refs{1, 0, 1, 1};
  std::vector<double> parameters{30000.0, 0.0, 0.0, 0.0, 0.0, 30000.0, 3.0, 0.0, 0.0, 0.0};
  std::vector<double> bar_records{50.0, 1000.0, 200000.0, 450.0, 1000.0, 200000.0};
  std::vector<double> node_y{0.0, 300.0, 300.0, 0.0};
  std::vector<double> node_z{0.0, 0.0, 500.0, 500.0};
  int32_t n_edges = 4;
  int32_t n_bars = 2;
};

inline Guarded crack_call(const CrackInput& c) {
  Guarded out(BSP_CRACK_N_RESULTS);
  CrackSectionProperty(out.ptr(), c.n_bars, c.n_edges, c.table.data(), c.edges.data(), c.bar_refs.data(),
                       c.parameters.data(), c.bar_records.data(), c.node_y.data(), c.node_z.data());
  EXPECT_TRUE(out.guard_intact()) << "CrackSectionProperty wrote outside results";
  return out;
}

// One right triangle (0,0), (1,0), (0,1) of the reference modulus.
struct TriangleMoments {
  double y_ref = 0, z_ref = 0;
  std::int32_t n_nodes = 3, n_elements = 1;
  std::vector<double> y{0, 1, 0}, z{0, 0, 1};
  std::vector<std::int32_t> conn{1, 2, 3};
  double ref_modulus = 1, section_modulus = 1;
  Bars bars;
  std::int32_t n_bars = -2;  // -2: the bars' own count
};

// The three outputs of a first-moment export, each its own guarded double,
// and the code of the export that returns one.
struct MomentOutputs {
  std::int32_t code = 0;
  Guarded area{1}, about_z{1}, about_y{1};
  bool zero() const { return area.body_zero() && about_z.body_zero() && about_y.body_zero(); }
  bool guards() const { return area.guard_intact() && about_z.guard_intact() && about_y.guard_intact(); }
  std::vector<const Guarded*> outputs() const { return {&area, &about_z, &about_y}; }
};

inline MomentOutputs first_moment_call(const TriangleMoments& c) {
  MomentOutputs o;
  const std::int32_t n_bars = pick(c.n_bars, c.bars.n());
  BSPFirstMomentOfArea(o.area.ptr(), o.about_z.ptr(), o.about_y.ptr(), &c.y_ref, &c.z_ref, &c.n_nodes,
                       &c.n_elements, c.y.data(), c.z.data(), c.conn.data(), &c.ref_modulus, &c.section_modulus,
                       &n_bars, c.bars.radius.data(), c.bars.y.data(), c.bars.z.data(), c.bars.modulus.data());
  EXPECT_TRUE(o.guards()) << "BSPFirstMomentOfArea wrote outside an output";
  return o;
}

// The standard-section family. BSPMAIN and BSPMAIN_EXPAND return nothing
// (code 0); BSPPlasticModulus writes its pair into `plastic`.
enum class Std { main, expand, plastic, general, civil };

struct StdArgs {
  double nu = 0.3;
  std::int32_t a6 = 0, offset_mode = 1, level = 1, order = 1;
  bool null_dims = false;
};

struct StandardRun {
  std::int32_t code = 0;
  Guarded result{BSP_STD_RESULT_SIZE}, dims{0}, plastic{2};
  double operator[](std::size_t slot) const { return result[slot]; }
};

inline StandardRun standard_call(Std e, std::int32_t type, const std::vector<double>& dims, StdArgs a = {}) {
  StandardRun r;
  r.dims = Guarded(dims.size());
  std::copy(dims.begin(), dims.end(), r.dims.ptr());
  double* d = a.null_dims ? nullptr : r.dims.ptr();
  double* out = r.result.ptr();
  const std::int32_t reserved = 7;  // read by no export
  switch (e) {
    case Std::main: BSPMAIN(out, d, &type, &reserved, &a.nu, &a.a6, &reserved); break;
    case Std::expand:
      BSPMAIN_EXPAND(out, d, &type, &reserved, &a.nu, &a.a6, &reserved, &a.offset_mode, &a.order);
      break;
    case Std::plastic: r.code = BSPPlasticModulus(&type, d, r.plastic.ptr(), r.plastic.ptr() + 1); break;
    case Std::general:
      r.code = BSPMAINGENERAL(out, d, &type, &reserved, &a.nu, &a.a6, &a.level, &a.offset_mode, &reserved);
      break;
    case Std::civil: r.code = BSPMAINGENCIVIL(out, d, &type, &reserved, &a.nu, &a.a6, &a.level, &reserved); break;
  }
  EXPECT_TRUE(r.result.guard_intact() && r.dims.guard_intact() && r.plastic.guard_intact())
      << "a standard-section export wrote outside an output";
  return r;
}

}  // namespace bsp::test
