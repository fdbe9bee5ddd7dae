// Every export against every fault that applies to it: bad counts, indices and values, degenerate
// geometry, extreme scales, runaway element sizes. One row per export and fault: the code, what
// the outputs must hold and a fragment of BSPLastError (the call helpers check the guards).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "bsp/bsp.h"
#include "support/export_calls.h"

namespace bsp::test {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

// What a call must leave in its documented outputs.
enum class Left {
  zeros,        // every documented double 0.0
  nothing,      // not one double written
  points_only,  // BSPMAIN after a correction: 0.0 but the stress points 5..12
  results,      // a success: code 0, empty message, outputs written
  empty,        // a success of nothing: code 0, empty message, outputs 0.0
};

struct Outcome {
  std::int32_t code = 0;
  bool zeros = false, untouched = false, points_only = false;
  std::string message;
};

Outcome outcome(std::int32_t code, const std::vector<const Guarded*>& outputs) {
  Outcome o{code, true, true, false, BSPLastError()};
  for (const Guarded* g : outputs) {
    o.zeros = o.zeros && g->body_zero();
    o.untouched = o.untouched && std::ranges::all_of(g->body(), [](double v) { return v == sentinel; });
  }
  return o;
}

// ---------------------------------------------------------------------------
// Families. A fault row names the members it applies to; each becomes a row.
enum Member : unsigned {
  m_comb = 1, m_part = 2, m_det = 4, meshed = m_comb | m_part | m_det,
  m_mesh = 8, m_part_mesh = 16, m_det_mesh = 32, m_fm_mesh = 64,
  outline = m_mesh | m_part_mesh | m_det_mesh | m_fm_mesh, with_poisson = m_mesh | m_part_mesh | m_det_mesh,
};

const char* name_of(Member m) {
  static const char* const names[] = {"BSPCombMain", "BSPPartMain", "BSPDetail", "BSPMeshMain", "BSPPartMeshMain",
                                      "BSPDetailMesh", "BSPFirstMomentOfAreaMesh"};
  return names[std::countr_zero(static_cast<unsigned>(m))];
}

// A 2 x 1 rectangle of 16 3-node elements, one material, one stress point.
MeshedSection base_meshed() {
  return {.mesh = rectangle_part(0.0, 0.0, 2.0, 1.0, 4, 2, 1), .stress_y = {1.0}, .stress_z = {0.5}};
}

void scale(std::vector<double>& v, double f) {
  for (double& x : v) x *= f;
}

template <class Result>
Outcome outcome_of(const Result& r) {
  return outcome(r.code, r.outputs());
}

Outcome call_meshed(Member m, const std::function<void(MeshedSection&, Counts&, Forces&)>& spoil) {
  MeshedSection s = base_meshed();
  Counts c;
  Forces f{.n = 1, .t = 1, .v_y = 1, .v_z = 1, .m_y = 1, .m_z = 1};
  spoil(s, c, f);
  if (m == m_comb) return outcome_of(comb(s, c));
  return m == m_part ? outcome_of(part_main(s, c)) : outcome_of(detail(s, f, c));
}

// 10 x 6 rectangle with a 2 x 2 hole (export_calls.h) at size 1, one stress point.
OutlineSection base_outline() {
  OutlineSection s = rectangle_with_hole();
  s.element_size = 1.0;
  s.stress_y = s.stress_z = {1.0};
  return s;
}

OutlineSection unit_square(double element_size) {
  OutlineSection s;
  s.add_loop({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  s.add_region(1.0);
  s.element_size = element_size;
  s.stress_y = s.stress_z = {0.5};
  return s;
}

Outcome call_outline(Member m, const std::function<void(OutlineSection&, OutlineCounts&, Forces&)>& spoil) {
  OutlineSection s = base_outline();
  OutlineCounts c;
  Forces f{.n = 1, .t = 1, .v_y = 1, .v_z = 1, .m_y = 1, .m_z = 1};
  spoil(s, c, f);
  if (m == m_mesh) return outcome_of(mesh_main(s, c));
  if (m == m_part_mesh) return outcome_of(part_mesh_main(s, c));
  return m == m_det_mesh ? outcome_of(detail_mesh(s, f, c)) : outcome_of(first_moment_mesh_call(s, c));
}

// Standard sections: the meshed path, stress points about the shear centre.
Outcome S(Std e, std::int32_t type, const std::vector<double>& dims, double nu = 0.3, bool null_dims = false) {
  const StandardRun r = standard_call(e, type, dims, {.nu = nu, .null_dims = null_dims});
  if (e == Std::plastic) return outcome(r.code, {&r.plastic});
  Outcome o = outcome(r.code, {&r.result});
  o.points_only = true;
  for (std::size_t k = 0; k < BSP_STD_RESULT_SIZE; ++k)
    if ((k < BSP_STD_SLOT_POINTS || k > BSP_STD_SLOT_POINTS + 7) && r[k] != 0.0) o.points_only = false;
  return o;
}

Outcome C(const std::function<void(CrackInput&)>& spoil) {
  CrackInput c;
  spoil(c);
  const Guarded out = crack_call(c);
  return outcome(0, {&out});
}

Outcome T(const std::function<void(TriangleMoments&)>& spoil) {
  TriangleMoments c;
  spoil(c);
  return outcome_of(first_moment_call(c));
}

// One closed form (the torsional constant, or the two shear areas) with one code and dimension set.
Outcome call_closed_form(bool torsion, std::int32_t code, std::vector<double> dims_in) {
  Guarded dims(6), j(1), a1(1), a2(1);
  dims_in.resize(6, 1.0);
  std::copy(dims_in.begin(), dims_in.end(), dims.ptr());
  if (torsion) BSPAnalyticTorsionalConstant(&code, dims.ptr(), j.ptr());
  if (!torsion) BSPAnalyticShearArea(&code, dims.ptr(), a1.ptr(), a2.ptr());
  EXPECT_TRUE(dims.guard_intact() && j.guard_intact() && a1.guard_intact() && a2.guard_intact());
  return torsion ? outcome(0, {&j}) : outcome(0, {&a1, &a2});
}

// ---------------------------------------------------------------------------
struct Row {
  std::string name;
  std::function<Outcome()> call;
  std::int32_t code;
  Left left;
  std::string message;  // a fragment of BSPLastError; "" on success
};

using MeshedSpoil = std::function<void(MeshedSection&, Counts&, Forces&)>;
using OutlineSpoil = std::function<void(OutlineSection&, OutlineCounts&, Forces&)>;

struct FamilyFault {
  unsigned members;
  const char* fault;
  std::function<Outcome(Member)> call;
  std::int32_t code;
  Left left;
  const char* message;
};

// Spoilers, written once.
MeshedSpoil ms(std::function<void(MeshedSection&)> f) {
  return [f](MeshedSection& s, Counts&, Forces&) { f(s); };
}
MeshedSpoil mc(std::function<void(Counts&)> f) {
  return [f](MeshedSection&, Counts& c, Forces&) { f(c); };
}
OutlineSpoil os(std::function<void(OutlineSection&)> f) {
  return [f](OutlineSection& s, OutlineCounts&, Forces&) { f(s); };
}
OutlineSpoil oc(std::function<void(OutlineCounts&)> f) {
  return [f](OutlineSection&, OutlineCounts& c, Forces&) { f(c); };
}
std::function<Outcome(Member)> M(MeshedSpoil s) {
  return [s](Member m) { return call_meshed(m, s); };
}
std::function<Outcome(Member)> O(OutlineSpoil s) {
  return [s](Member m) { return call_outline(m, s); };
}

// Appends a part of one 3-node triangle with the given corners.
void add_triangle(MeshedSection& s, double y0, double z0, double y1, double z1, double y2, double z2) {
  s.mesh.append({{y0, y1, y2}, {z0, z1, z2}, {1, 2, 3}, {1}, {3}, {1}});
}

const std::vector<FamilyFault> family_faults = {
    // Counts.
    {meshed, "n_nodes -1", M(mc([](Counts& c) { c.n_nodes = -1; })), BSP_E_INPUT, Left::zeros, "n_nodes is"},
    {meshed, "n_elements -1", M(mc([](Counts& c) { c.n_elements = -1; })), BSP_E_INPUT, Left::zeros, "n_elements is"},
    {meshed, "n_materials -1", M(mc([](Counts& c) { c.n_materials = -1; })), BSP_E_INPUT, Left::zeros, "n_materials is"},
    {meshed, "n_parts -1", M(mc([](Counts& c) { c.n_parts = -1; })), BSP_E_INPUT, Left::zeros, "n_parts is -1, negative"},
    {meshed, "n_bars -1", M(mc([](Counts& c) { c.n_bars = -1; })), BSP_E_INPUT, Left::zeros, "n_bars is"},
    {m_comb | m_det, "n_stress_points -1", M(mc([](Counts& c) { c.n_sp = -1; })), BSP_E_INPUT, Left::zeros, "cannot be computed: n_stress_points"},
    {m_comb | m_det, "n_stress_points NULL", M(mc([](Counts& c) { c.n_sp = null_count; })), BSP_E_INPUT, Left::nothing, "n_stress_points"},
    {m_comb, "n_materials NULL", M(mc([](Counts& c) { c.n_materials = null_count; })), BSP_E_INPUT, Left::zeros, "n_materials"},
    {m_part | m_det, "n_materials NULL", M(mc([](Counts& c) { c.n_materials = null_count; })), BSP_E_INPUT, Left::nothing, "n_materials"},
    {m_comb, "analysis_level NULL", M(mc([](Counts& c) { c.null_level = true; })), BSP_E_INPUT, Left::nothing, "analysis_level"},
    {meshed, "n_nodes 0", M(mc([](Counts& c) { c.n_nodes = 0; })), BSP_E_INPUT, Left::zeros, "node counts of the parts add up to 15, not n_nodes = 0"},
    {meshed, "n_nodes one past the arrays", M(mc([](Counts& c) { c.n_nodes = 16; })), BSP_E_INPUT, Left::zeros, "node counts of the parts add up to 15, not n_nodes = 16"},
    {meshed, "n_elements one past", M(mc([](Counts& c) { c.n_elements = 17; })), BSP_E_INPUT, Left::zeros, "element counts of the parts add up to 16, not n_elements = 17"},
    {meshed, "n_parts 0", M(mc([](Counts& c) { c.n_parts = 0; })), BSP_E_INPUT, Left::zeros, "node counts of the parts add up to 0, not n_nodes = 15"},
    {meshed, "n_materials 0", M(mc([](Counts& c) { c.n_materials = 0; })), BSP_E_INPUT, Left::zeros, "material 1 of element 1 is out of range +-1..+-0"},
    {meshed, "n_bars beyond the arrays", M(mc([](Counts& c) { c.n_bars = 2; })), BSP_E_INPUT, Left::zeros, "bar_radius is NULL but"},
    {meshed, "part node count -1", M(ms([](MeshedSection& s) { s.mesh.part_node_count[0] = -1; })), BSP_E_INPUT, Left::zeros, "node count of part 1 is -1, negative"},
    {meshed, "n_elements overflows the mid-side numbers", M(mc([](Counts& c) { c.n_elements = INT32_MAX / 3 + 1; })), BSP_E_INPUT, Left::zeros, "3 n_elements = 2147483664 exceeds 2^31 - 1"},
    // Indices.
    {meshed, "node 0", M(ms([](MeshedSection& s) { s.mesh.connectivity[4] = 0; })), BSP_E_INPUT, Left::zeros, "node 0 of element 2 is out of range 1..15 (node numbers are 1-based)"},
    {meshed, "node n_nodes + 1", M(ms([](MeshedSection& s) { s.mesh.connectivity[4] = 16; })), BSP_E_INPUT, Left::zeros, "node 16 of element 2 is out of range 1..15"},
    {meshed, "material 0", M(ms([](MeshedSection& s) { s.mesh.element_material[3] = 0; })), BSP_E_INPUT, Left::zeros, "material 0 of element 4 is out of range +-1..+-1 (material numbers"},
    {meshed, "material 2 of 1", M(ms([](MeshedSection& s) { s.mesh.element_material[3] = 2; })), BSP_E_INPUT, Left::zeros, "material 2 of element 4 is out of range +-1..+-1"},
    {meshed, "material -2 of 1", M(ms([](MeshedSection& s) { s.mesh.element_material[3] = -2; })), BSP_E_INPUT, Left::zeros, "material -2 of element 4 is out of range +-1..+-1"},
    {meshed, "material INT32_MIN", M(ms([](MeshedSection& s) { s.mesh.element_material[3] = INT32_MIN; })), BSP_E_INPUT, Left::zeros, "material -2147483648 of element 4 is out of range +-1..+-1"},
    {m_comb, "node 0 at level 0", M(ms([](MeshedSection& s) { s.level = 0; s.mesh.connectivity[4] = 0; })), BSP_E_INPUT, Left::zeros, "node 0 of element 2"},
    {m_comb, "node 0 at level 3", M(ms([](MeshedSection& s) { s.level = 3; s.mesh.connectivity[4] = 0; })), BSP_E_INPUT, Left::zeros, "node 0 of element 2"},
    // Values.
    {meshed, "node y NaN", M(ms([](MeshedSection& s) { s.mesh.y[5] = nan; })), BSP_E_INPUT, Left::zeros, "not finite"},
    {meshed, "node z inf", M(ms([](MeshedSection& s) { s.mesh.z[5] = -inf; })), BSP_E_INPUT, Left::zeros, "z of node 6 is -inf, not finite"},
    {meshed, "modulus NaN", M(ms([](MeshedSection& s) { s.modulus[0] = nan; })), BSP_E_INPUT, Left::zeros, "material 1 has modulus nan, not a finite value > 0"},
    {meshed, "modulus 0", M(ms([](MeshedSection& s) { s.modulus[0] = 0; })), BSP_E_INPUT, Left::zeros, "material 1 has modulus 0, not a finite value > 0"},
    {meshed, "modulus inf", M(ms([](MeshedSection& s) { s.modulus[0] = inf; })), BSP_E_INPUT, Left::zeros, "material 1 has modulus inf, not a finite value > 0"},
    {meshed, "Poisson inf", M(ms([](MeshedSection& s) { s.poisson[0] = inf; })), BSP_E_INPUT, Left::zeros, "material 1 has Poisson ratio inf, not finite"},
    {meshed, "Poisson 0.7", M(ms([](MeshedSection& s) { s.poisson[0] = 0.7; })), BSP_E_INPUT, Left::zeros, "material 1 has Poisson ratio 0.7, outside [0, 0.5]"},
    {meshed, "ref modulus 0", M(ms([](MeshedSection& s) { s.e_ref = 0; })), BSP_E_INPUT, Left::zeros, "ref_modulus is"},
    {meshed, "ref modulus NaN", M(ms([](MeshedSection& s) { s.e_ref = nan; })), BSP_E_INPUT, Left::zeros, "ref_modulus is nan, not a finite value > 0"},
    {meshed, "ref Poisson -0.1", M(ms([](MeshedSection& s) { s.nu_ref = -0.1; })), BSP_E_INPUT, Left::zeros, "the reference material has Poisson ratio -0.1, outside [0, 0.5]"},
    {meshed, "ref Poisson 0.5000001", M(ms([](MeshedSection& s) { s.nu_ref = 0.5000001; })), BSP_E_INPUT, Left::zeros, "the reference material has Poisson ratio 0.5000001, outside [0, 0.5]"},
    {m_comb | m_part, "the ends of the ranges: material -1, Poisson 0.5", M(ms([](MeshedSection& s) { s.mesh.element_material[0] = -1; s.nu_ref = 0.5; s.poisson[0] = 0.5; })), BSP_OK, Left::results, ""},
    {m_comb | m_part, "ref area weight 0", M(ms([](MeshedSection& s) { s.w_ref = 0; })), BSP_E_INPUT, Left::zeros, "ref_area_weight is 0"},
    {m_comb | m_part, "area weight NaN", M(ms([](MeshedSection& s) { s.weight[0] = nan; })), BSP_E_INPUT, Left::zeros, "area weight of material 1 is nan, not finite"},
    {meshed, "bar radius NaN", M(ms([](MeshedSection& s) { s.bars.add(nan, 1, 0.5, 2, 1); })), BSP_E_INPUT, Left::zeros, "radius of bar 1 is nan, not finite"},
    {meshed, "bar y inf", M(ms([](MeshedSection& s) { s.bars.add(0.1, inf, 0.5, 2, 1); })), BSP_E_INPUT, Left::zeros, "y of bar 1 is inf, not finite"},
    {meshed, "bar radius -0.1", M(ms([](MeshedSection& s) { s.bars.add(-0.1, 1, 0.5, 2, 1); })), BSP_E_INPUT, Left::zeros, "bar 1 has radius -0.1, negative"},
    {meshed, "bar z NaN", M(ms([](MeshedSection& s) { s.bars.add(0.1, 1, nan, 2, 1); })), BSP_E_INPUT, Left::zeros, "z of bar 1 is nan, not finite"},
    {meshed, "bar modulus -1", M(ms([](MeshedSection& s) { s.bars.add(0.1, 1, 0.5, -1, 1); })), BSP_E_INPUT, Left::zeros, "bar 1 has modulus -1, negative"},
    {m_comb | m_part, "bar weight NaN", M(ms([](MeshedSection& s) { s.bars.add(0.1, 1, 0.5, 2, nan); })), BSP_E_INPUT, Left::zeros, "area weight of bar 1 is nan, not finite"},
    {m_comb | m_det, "stress point NaN", M(ms([](MeshedSection& s) { s.stress_z[0] = nan; })), BSP_E_INPUT, Left::zeros, "z of stress point 1 is nan, not finite"},
    {m_det, "torque inf", M([](MeshedSection&, Counts&, Forces& f) { f.t = inf; }), BSP_E_INPUT, Left::zeros, "detail_option_1 holds a value that is not finite"},
    {m_det, "shear force NaN", M([](MeshedSection&, Counts&, Forces& f) { f.v_z = nan; }), BSP_E_INPUT, Left::zeros, "detail_option_2 holds a value that is not finite"},
    {m_det, "moment NaN", M([](MeshedSection&, Counts&, Forces& f) { f.m_z = nan; }), BSP_E_INPUT, Left::zeros, "detail_option_3 holds a value that is not finite"},
    // Geometry.
    {meshed, "collinear element", M(ms([](MeshedSection& s) { add_triangle(s, 5, 0, 6, 0, 7, 0); })), BSP_E_INPUT, Left::zeros, "element 17 (part 2) is collapsed: corners 16, 17, 18 are collinear or"},
    {meshed, "coincident corners", M(ms([](MeshedSection& s) { add_triangle(s, 5, 0, 5, 0, 6, 1); })), BSP_E_INPUT, Left::zeros, "element 17 (part 2) is collapsed: corners 16, 17, 18 are collinear or"},
    {meshed, "one element clockwise", M(ms([](MeshedSection& s) { std::swap(s.mesh.connectivity[13], s.mesh.connectivity[14]); })), BSP_E_INPUT, Left::zeros, "element 5 (part 1) is clockwise"},
    // Range first: the orientation test would read node 99.
    {meshed, "clockwise element with node 99", M(ms([](MeshedSection& s) { std::swap(s.mesh.connectivity[13], s.mesh.connectivity[14]); s.mesh.connectivity[13] = 99; })), BSP_E_INPUT, Left::zeros, "node 99 of element 5 is out of range 1..15"},
    {meshed, "parts overlap", M(ms([](MeshedSection& s) { add_triangle(s, 0.1, 0.1, 0.6, 0.1, 0.1, 0.6); })), BSP_E_INPUT, Left::zeros, "parts 1 and 2 overlap at element 17 (part 2), which overlaps element 1 (part 1)"},
    {meshed, "an element given twice", M(ms([](MeshedSection& s) { s.mesh.connectivity.insert(s.mesh.connectivity.begin(), {1, 2, 7}); s.mesh.element_material.push_back(1); ++s.mesh.part_element_count[0]; })), BSP_E_INPUT, Left::zeros, "elements 1 and 2 (part 1) overlap"},
    {meshed, "hanging node: part 2 at twice the spacing", M(ms([](MeshedSection& s) { s.mesh.append(rectangle_part(2.0, 0.0, 1.0, 1.0, 2, 4, 1)); })), BSP_E_INPUT, Left::zeros, "node 19 lies on edge 5-10 of element 7 (part 1) without being one of its nodes (a hanging node"},
    {meshed, "every element clockwise", M(ms([](MeshedSection& s) { scale(s.mesh.y, -1); })), BSP_E_INPUT, Left::zeros, "element 1 (part 1) is clockwise (corners 1, 2, 7)"},
    {meshed, "zero thickness", M(ms([](MeshedSection& s) { scale(s.mesh.z, 0); })), BSP_E_INPUT, Left::zeros, "element 1 (part 1) is collapsed: corners 1, 2, 7 are collinear or"},
    {meshed, "only inverted elements", M(ms([](MeshedSection& s) { for (auto& m : s.mesh.element_material) m = -1; })), BSP_E_SOLVER, Left::zeros, "the solver could not finish: the section has no positive area or a"},
    {m_comb, "only inverted elements at level 3", M(ms([](MeshedSection& s) { s.level = 3; for (auto& m : s.mesh.element_material) m = -1; })), BSP_E_SOLVER, Left::zeros, "no positive area"},
    {meshed, "no elements", M(ms([](MeshedSection& s) { s.mesh = PartsMesh{}; s.mesh.part_node_count = s.mesh.part_element_count = {0}; })), BSP_E_SOLVER, Left::zeros, "no positive area"},
    {meshed, "scale 1e-6", M(ms([](MeshedSection& s) { scale(s.mesh.y, 1e-6); scale(s.mesh.z, 1e-6); scale(s.stress_y, 1e-6); scale(s.stress_z, 1e-6); })), BSP_OK, Left::results, ""},
    {meshed, "scale 1e6", M(ms([](MeshedSection& s) { scale(s.mesh.y, 1e6); scale(s.mesh.z, 1e6); scale(s.stress_y, 1e6); scale(s.stress_z, 1e6); })), BSP_OK, Left::results, ""},

    // Outline counts.
    {m_mesh | m_fm_mesh, "n_regions -1", O(oc([](OutlineCounts& c) { c.n_regions = -1; })), BSP_E_INPUT, Left::zeros, "n_regions"},
    {m_part_mesh | m_det_mesh, "n_regions -1", O(oc([](OutlineCounts& c) { c.n_regions = -1; })), BSP_E_INPUT, Left::nothing, "n_regions"},
    {outline, "n_points -1", O(oc([](OutlineCounts& c) { c.n_points = -1; })), BSP_E_INPUT, Left::zeros, "n_points is -1; it must be >= 0"},
    {outline, "n_segments -1", O(oc([](OutlineCounts& c) { c.n_segments = -1; })), BSP_E_INPUT, Left::zeros, "n_segments is -1; it must be >= 0"},
    {outline, "n_segments 0", O(oc([](OutlineCounts& c) { c.n_segments = 0; })), BSP_E_INPUT, Left::zeros, "n_segments is 0; an outline needs at least one segment"},
    {outline, "n_bars -1", O(oc([](OutlineCounts& c) { c.n_bars = -1; })), BSP_E_INPUT, Left::zeros, "n_bars is"},
    {m_mesh | m_det_mesh, "n_stress_points -1", O(oc([](OutlineCounts& c) { c.n_sp = -1; })), BSP_E_INPUT, Left::zeros, "cannot be computed: n_stress_points"},
    {outline, "n_regions 1, two found", O(oc([](OutlineCounts& c) { c.n_regions = 1; })), BSP_E_INPUT, Left::zeros, "the segments enclose 2 regions but n_regions is 1"},
    {outline, "n_points short of the segments", O(oc([](OutlineCounts& c) { c.n_points = 7; })), BSP_E_INPUT, Left::zeros, "point 8 of segment 7 is out of range 1..7"},
    {outline, "n_regions 3, two found", O(os([](OutlineSection& s) { s.add_region(1.0); })), BSP_E_INPUT, Left::zeros, "the segments enclose 2 regions but n_regions is 3"},
    {outline, "n_segments drops a side", O(oc([](OutlineCounts& c) { c.n_segments = 7; })), BSP_E_INPUT, Left::zeros, "the segments enclose 1 regions but n_regions is 2"},
    {outline, "n_bars beyond the arrays", O(oc([](OutlineCounts& c) { c.n_bars = 1; })), BSP_E_INPUT, Left::zeros, "bar_radius is NULL but"},
    // Outline indices and values.
    {outline, "point 0", O(os([](OutlineSection& s) { s.segments[2] = 0; })), BSP_E_INPUT, Left::zeros, "point 0 of segment 2 is out of range 1..8"},
    {outline, "point n_points + 1", O(os([](OutlineSection& s) { s.segments[2] = 9; })), BSP_E_INPUT, Left::zeros, "point 9 of segment 2 is out of range 1..8"},
    {outline, "point y NaN", O(os([](OutlineSection& s) { s.point_y[1] = nan; })), BSP_E_INPUT, Left::zeros, "point 2 has a coordinate that is not finite"},
    {outline, "point z inf", O(os([](OutlineSection& s) { s.point_z[1] = inf; })), BSP_E_INPUT, Left::zeros, "point 2 has a coordinate that is not finite"},
    {outline, "region modulus NaN", O(os([](OutlineSection& s) { s.modulus[0] = nan; })), BSP_E_INPUT, Left::zeros, "region 1 has modulus nan; a solid region needs a finite modulus > 0"},
    {outline, "region modulus -1", O(os([](OutlineSection& s) { s.modulus[0] = -1; })), BSP_E_INPUT, Left::zeros, "region 1 has modulus -1; a solid region needs a finite modulus > 0"},
    {with_poisson, "region Poisson 0.6", O(os([](OutlineSection& s) { s.poisson[0] = 0.6; })), BSP_E_INPUT, Left::zeros, "region 1 has Poisson ratio 0.6; it must lie in 0 .. 0.5"},
    {m_mesh | m_part_mesh, "region weight inf", O(os([](OutlineSection& s) { s.weight[0] = inf; })), BSP_E_INPUT, Left::zeros, "region 1 has an area weight that is not finite"},
    {outline, "ref modulus 0", O(os([](OutlineSection& s) { s.e_ref = 0; })), BSP_E_SOLVER, Left::zeros, "ref_modulus is"},
    {outline, "ref modulus inf", O(os([](OutlineSection& s) { s.e_ref = inf; })), BSP_E_SOLVER, Left::zeros, "ref_modulus is inf; it must be a finite number > 0"},
    {with_poisson, "ref Poisson 0.5000001", O(os([](OutlineSection& s) { s.nu_ref = 0.5000001; })), BSP_E_SOLVER, Left::zeros, "ref_poisson is 0.5000001; it must lie in 0 .. 0.5"},
    {with_poisson, "ref Poisson 0.5, a hole's Poisson NaN (not read)", O(os([](OutlineSection& s) { s.nu_ref = 0.5; s.poisson[1] = nan; })), BSP_OK, Left::results, ""},
    {outline, "reference checked before the geometry", O(os([](OutlineSection& s) { s.e_ref = 0; s.segments[0] = 99; })), BSP_E_SOLVER, Left::zeros, "ref_modulus is 0; it must be a finite number > 0"},
    {with_poisson, "ref Poisson NaN", O(os([](OutlineSection& s) { s.nu_ref = nan; })), BSP_E_SOLVER, Left::zeros, "ref_poisson is nan; it must lie in 0 .. 0.5"},
    {m_mesh | m_part_mesh, "ref area weight 0", O(os([](OutlineSection& s) { s.w_ref = 0; })), BSP_E_SOLVER, Left::zeros, "ref_area_weight is 0"},
    {outline, "bar radius -1", O(os([](OutlineSection& s) { s.bars.add(-1, 1, 1, 2, 1); })), BSP_E_INPUT, Left::zeros, "radius"},
    {outline, "bar z NaN", O(os([](OutlineSection& s) { s.bars.add(0.1, 1, nan, 2, 1); })), BSP_E_INPUT, Left::zeros, "bar 1 has a centre that is not finite"},
    {outline, "second bar's modulus -1", O(os([](OutlineSection& s) { s.bars.add(0.1, 1, 1, 2, 1); s.bars.add(0.1, 1.5, 1, -1, 1); })), BSP_E_INPUT, Left::zeros, "bar 2 has modulus -1; it must be finite and >= 0"},
    {m_mesh | m_det_mesh, "stress point inf", O(os([](OutlineSection& s) { s.stress_y[0] = inf; })), BSP_E_INPUT, Left::zeros, "stress point 1 has a coordinate that is not finite"},
    {m_det_mesh, "shear force NaN", O([](OutlineSection&, OutlineCounts&, Forces& f) { f.v_y = nan; }), BSP_E_INPUT, Left::zeros, "detail_option_2 holds a value that is not finite"},
    {outline, "element size NaN", O(os([](OutlineSection& s) { s.element_size = nan; })), BSP_E_INPUT, Left::zeros, "element_size is nan; it must be finite"},
    {outline, "element size inf", O(os([](OutlineSection& s) { s.element_size = inf; })), BSP_E_INPUT, Left::zeros, "element_size is inf; it must be finite"},
    {outline & ~m_fm_mesh, "element size 1e-6", O(os([](OutlineSection& s) { s.element_size = 1e-6; })), BSP_E_INPUT, Left::zeros, "element size 1e-06 cuts the segments into about 4e+07 pieces, above"},
    {outline & ~m_fm_mesh, "element size 2e-3", O(os([](OutlineSection& s) { s.element_size = 2e-3; })), BSP_E_INPUT, Left::zeros, "element size 0.002 gives about 2.8e+07 triangles, above the cap of"},
    {outline & ~m_fm_mesh, "unit square at 0.0019: 5.5e5 triangles, just above the cap", O(os([](OutlineSection& s) { s = unit_square(0.0019); })), BSP_E_INPUT, Left::zeros, "triangles, above the cap of"},
    {outline, "unit square at 0.02: 5 000 triangles, well inside the cap", O(os([](OutlineSection& s) { s = unit_square(0.02); })), BSP_OK, Left::results, ""},
    {m_fm_mesh, "element size 1e-6 falls back", O(os([](OutlineSection& s) { s.element_size = 1e-6; })), BSP_OK, Left::results, ""},
    // Outline geometry.
    {outline, "zero-length segment", O(os([](OutlineSection& s) { s.point_y[4] = 6; s.point_z[4] = 2; s.point_y[5] = 6; })), BSP_E_INPUT, Left::zeros, "segment 5 (points 5 and 6) is shorter than 1e-08"},
    {outline, "segment of 1e-9", O(os([](OutlineSection& s) { s.point_y.push_back(10); s.point_z.push_back(6 + 1e-9); s.segments.insert(s.segments.end(), {3, 9}); })), BSP_E_INPUT, Left::zeros, "segment 9 (points 3 and 9) is shorter than 1e-08"},
    {outline, "segment given twice", O(os([](OutlineSection& s) { s.segments.insert(s.segments.end(), {2, 1}); })), BSP_E_INPUT, Left::zeros, "segment 9 repeats segment 1 (points 2 and 1)"},
    {outline, "self-crossing outline", O(os([](OutlineSection& s) { std::swap(s.point_y[0], s.point_y[1]); })), BSP_E_INPUT, Left::zeros, "the segments cannot be turned into regions: * two edges cross -"},
    {outline, "collinear points", O(os([](OutlineSection& s) { scale(s.point_z, 0); })), BSP_E_INPUT, Left::zeros, "segment 2 (points 2 and 3) is shorter than 1e-08"},
    {outline, "coincident points", O(os([](OutlineSection& s) { scale(s.point_z, 0); scale(s.point_y, 0); })), BSP_E_INPUT, Left::zeros, "segment 1 (points 1 and 2) is shorter than 1e-08"},
    {with_poisson, "every region a hole", O(os([](OutlineSection& s) { s.modulus[0] = 0; })), BSP_E_INPUT, Left::zeros, "every region is a hole (region_modulus 0.0): there is nothing to"},
    {m_fm_mesh, "every region a hole", O(os([](OutlineSection& s) { s.modulus[0] = 0; })), BSP_OK, Left::empty, ""},
    {outline, "chamfer of 1e-6", O(os([](OutlineSection& s) { s = OutlineSection(); s.add_loop({{0, 0}, {10, 0}, {10, 6 - 1e-6}, {10 - 1e-6, 6}, {0, 6}}); s.add_region(1.0); s.stress_y = s.stress_z = {1.0}; })), BSP_E_INPUT, Left::zeros, "e+07 pieces, above the cap of 500000; choose a larger element_size"},
    {outline, "scale 1e-6", O(os([](OutlineSection& s) { scale(s.point_y, 1e-6); scale(s.point_z, 1e-6); s.element_size = 1e-6; scale(s.stress_y, 1e-6); scale(s.stress_z, 1e-6); })), BSP_OK, Left::results, ""},
    {outline, "scale 1e6", O(os([](OutlineSection& s) { scale(s.point_y, 1e6); scale(s.point_z, 1e6); s.element_size = 1e6; scale(s.stress_y, 1e6); scale(s.stress_z, 1e6); })), BSP_OK, Left::results, ""},
};

Outcome J(std::int32_t code, std::vector<double> d) { return call_closed_form(true, code, d); }
Outcome A(std::int32_t code, std::vector<double> d) { return call_closed_form(false, code, d); }

const std::vector<double> rect{2, 1};

std::vector<Row> single_rows() {
  std::vector<Row> rows = {
      // Standard sections (type 8: T with flange on top).
      {"BSPMAIN: type 0", [] { return S(Std::main, 0, rect); }, 0, Left::zeros, "section type 0 is outside 1..27"},
      {"BSPMAIN: type 28", [] { return S(Std::main, 28, rect); }, 0, Left::zeros, "section type 28 is outside 1..27"},
      {"BSPMAIN: Poisson NaN", [] { return S(Std::main, 1, rect, nan); }, 0, Left::zeros, "Poisson's ratio nan is not a finite value above -1"},
      {"BSPMAIN: Poisson -1", [] { return S(Std::main, 1, rect, -1); }, 0, Left::zeros, "Poisson's ratio -1 is not a finite value above -1"},
      {"BSPMAIN: NULL dimensions", [] { return S(Std::main, 1, rect, 0.3, true); }, 0, Left::zeros, "dimensions is NULL"},
      {"BSPMAIN: dimension NaN", [] { return S(Std::main, 1, {nan, 1}); }, 0, Left::points_only, "the dimensions of type 1 failed validation (status 1); the corrected"},
      {"BSPMAIN: dimension -inf", [] { return S(Std::main, 8, {12, -inf, 2, 1}); }, 0, Left::points_only, "the dimensions of type 8 failed validation (status 1); the corrected"},
      {"BSPMAIN: dimension 0", [] { return S(Std::main, 8, {12, 20, 0, 1}); }, 0, Left::points_only, "the dimensions of type 8 failed validation (status 1); the corrected"},
      {"BSPMAIN: dimension 1e8", [] { return S(Std::main, 1, {1e8, 1}); }, 0, Left::points_only, "the dimensions of type 1 failed validation (status 99); the corrected"},
      {"BSPMAIN: stem thicker than the flange", [] { return S(Std::main, 8, {12, 20, 2, 30}); }, 0, Left::points_only, "the dimensions of type 8 failed validation (status 2); the corrected"},
      {"BSPMAIN: scale 1e-6", [] { return S(Std::main, 8, {12e-6, 20e-6, 2e-6, 1e-6}); }, 0, Left::results, ""},
      {"BSPMAIN: scale 1e6", [] { return S(Std::main, 8, {12e5, 20e5, 2e5, 1e5}); }, 0, Left::results, ""},
      {"BSPMAIN_EXPAND: type -1", [] { return S(Std::expand, -1, rect); }, 0, Left::zeros, "section type -1 is outside 1..27"},
      {"BSPMAIN_EXPAND: dimension NaN", [] { return S(Std::expand, 8, {12, 20, nan, 1}); }, 0, Left::points_only, "the dimensions of type 8 failed validation (status 1); the corrected"},
      {"BSPPlasticModulus: type 0", [] { return S(Std::plastic, 0, rect); }, BSP_E_INPUT, Left::zeros, "section type 0 has no plastic moduli (types 1..14 and 18..26 have)"},
      {"BSPPlasticModulus: type 17 has none", [] { return S(Std::plastic, 17, {1, 4, 3}); }, BSP_E_INPUT, Left::zeros, "section type 17 has no plastic moduli (types 1..14 and 18..26 have)"},
      {"BSPPlasticModulus: type 15 has none", [] { return S(Std::plastic, 15, {10, 1, 12, 2}); }, BSP_E_INPUT, Left::zeros, "section type 15 has no plastic moduli"},
      {"BSPPlasticModulus: type 16 has none", [] { return S(Std::plastic, 16, {20, 10, 8, 1, 2}); }, BSP_E_INPUT, Left::zeros, "section type 16 has no plastic moduli"},
      {"BSPPlasticModulus: type 27 has none", [] { return S(Std::plastic, 27, {10, 4, 12, 1}); }, BSP_E_INPUT, Left::zeros, "section type 27 has no plastic moduli"},
      {"BSPPlasticModulus: dimension inf", [] { return S(Std::plastic, 8, {12, 20, inf, 1}); }, BSP_E_INPUT, Left::zeros, "the dimensions of type 8 failed validation (status 1); the corrected"},
      {"BSPPlasticModulus: dimension -1", [] { return S(Std::plastic, 1, {-1, 1}); }, BSP_E_INPUT, Left::zeros, "the dimensions of type 1 failed validation (status 1); the corrected"},
      {"BSPPlasticModulus: NULL dimensions", [] { return S(Std::plastic, 1, rect, 0.3, true); }, BSP_E_INPUT, Left::zeros, "dimensions is NULL"},
      {"BSPPlasticModulus: scale 1e6", [] { return S(Std::plastic, 8, {12e5, 20e5, 2e5, 1e5}); }, BSP_OK, Left::results, ""},
      {"BSPMAINGENERAL: type 29", [] { return S(Std::general, 29, rect); }, BSP_E_INPUT, Left::nothing, "section type 29 is outside 1..27"},
      {"BSPMAINGENERAL: Poisson 0.6", [] { return S(Std::general, 1, rect, 0.6); }, BSP_E_INPUT, Left::nothing, "Poisson's ratio is above 0.5 or not finite"},
      {"BSPMAINGENERAL: Poisson NaN", [] { return S(Std::general, 1, rect, nan); }, BSP_E_INPUT, Left::nothing, "Poisson's ratio is above 0.5 or not finite"},
      {"BSPMAINGENERAL: Poisson -0.2 (the meshed path refuses nu < 0)", [] { return S(Std::general, 1, rect, -0.2); }, BSP_E_INPUT, Left::zeros, "the reference material has Poisson ratio -0.2, outside [0, 0.5]"},
      {"BSPMAINGENERAL: Poisson 0.5, the incompressible limit", [] { return S(Std::general, 1, rect, 0.5); }, BSP_OK, Left::results, ""},
      {"BSPMAINGENERAL: NULL dimensions", [] { return S(Std::general, 1, rect, 0.3, true); }, BSP_E_INPUT, Left::nothing, "dimensions is NULL"},
      {"BSPMAINGENERAL: dimension NaN", [] { return S(Std::general, 8, {12, nan, 2, 1}); }, BSP_E_INPUT, Left::zeros, "the dimensions of type 8 failed validation (status 1); the corrected"},
      {"BSPMAINGENERAL: dimension 1e8", [] { return S(Std::general, 8, {12, 1e8, 2, 1}); }, BSP_E_INPUT, Left::zeros, "the dimensions of type 8 failed validation (status 99); the corrected"},
      {"BSPMAINGENERAL: stem thicker than the flange", [] { return S(Std::general, 8, {12, 20, 2, 30}); }, BSP_E_INPUT, Left::zeros, "the dimensions of type 8 failed validation (status 2); the corrected"},
      {"BSPMAINGENERAL: scale 1e-6", [] { return S(Std::general, 8, {12e-6, 20e-6, 2e-6, 1e-6}); }, BSP_OK, Left::results, ""},
      {"BSPMAINGENCIVIL: type 0", [] { return S(Std::civil, 0, rect); }, BSP_E_INPUT, Left::nothing, "section type 0 is outside 1..27"},
      {"BSPMAINGENCIVIL: dimension -1", [] { return S(Std::civil, 8, {12, 20, 2, -1}); }, BSP_E_INPUT, Left::zeros, "the dimensions of type 8 failed validation (status 1); the corrected"},
      {"BSPMAINGENCIVIL: scale 1e6", [] { return S(Std::civil, 8, {12e5, 20e5, 2e5, 1e5}); }, BSP_OK, Left::results, ""},
      // Cracked section (keys, nodes and records 0-based).
      {"CrackSectionProperty: n_bars -1", [] { return C([](CrackInput& c) { c.n_bars = -1; }); }, 0, Left::zeros, "n_bars is -1, negative"},
      {"CrackSectionProperty: n_edges -1", [] { return C([](CrackInput& c) { c.n_edges = -1; }); }, 0, Left::zeros, "n_edges is -1, negative"},
      {"CrackSectionProperty: edge key -1", [] { return C([](CrackInput& c) { c.edges[3] = -1; }); }, 0, Left::zeros, "edge 1 has material key -1, negative (indices are 0-based)"},
      {"CrackSectionProperty: node -1", [] { return C([](CrackInput& c) { c.edges[5] = -1; }); }, 0, Left::zeros, "edge 1 has node j -1, negative (indices are 0-based)"},
      {"CrackSectionProperty: node i -1", [] { return C([](CrackInput& c) { c.edges[4] = -1; }); }, 0, Left::zeros, "edge 1 has node i -1, negative (indices are 0-based)"},
      {"CrackSectionProperty: record -1", [] { return C([](CrackInput& c) { c.table[3] = -1; }); }, 0, Left::zeros, "material key 1 has parameter record index -1, negative"},
      {"CrackSectionProperty: bar key -1", [] { return C([](CrackInput& c) { c.bar_refs[0] = -1; }); }, 0, Left::zeros, "bar 0 has material key -1, negative"},
      {"CrackSectionProperty: bar record -1", [] { return C([](CrackInput& c) { c.bar_refs[3] = -1; }); }, 0, Left::zeros, "bar 1 has bar record index -1, negative"},
      {"CrackSectionProperty: node z NaN", [] { return C([](CrackInput& c) { c.node_z[2] = nan; }); }, 0, Left::zeros, "z of node 2 (node_z[2]) is nan, not finite"},
      {"CrackSectionProperty: node y inf", [] { return C([](CrackInput& c) { c.node_y[1] = inf; }); }, 0, Left::zeros, "y of node 1 (node_y[1]) is inf, not finite"},
      {"CrackSectionProperty: E_ref 0", [] { return C([](CrackInput& c) { c.parameters[0] = 0; }); }, 0, Left::zeros, "the reference modulus E_ref is 0, not > 0"},
      {"CrackSectionProperty: E_ref NaN", [] { return C([](CrackInput& c) { c.parameters[0] = nan; }); }, 0, Left::zeros, "the reference modulus E_ref (parameters[0]) is nan, not finite"},
      {"CrackSectionProperty: tensile strength inf", [] { return C([](CrackInput& c) { c.parameters[6] = inf; }); }, 0, Left::zeros, "value 1 of parameter record 1 (material key 1) (parameters[6]) is"},
      {"CrackSectionProperty: concrete modulus 0", [] { return C([](CrackInput& c) { c.parameters[5] = 0; }); }, 0, Left::zeros, "material key 1 (concrete) has modulus 0, not > 0"},
      {"CrackSectionProperty: long-term modulus E/0", [] { return C([](CrackInput& c) { c.parameters[8] = 1; c.parameters[9] = -1; }); }, 0, Left::zeros, "material key 1 has ageing 1 and creep -1: its long-term modulus E / (1 + ageing creep) is inf"},
      {"CrackSectionProperty: E_ref 5e-324", [] { return C([](CrackInput& c) { c.parameters[0] = 5e-324; }); }, 0, Left::zeros, "the section's values overflow"},
      {"CrackSectionProperty: bar area 1e300", [] { return C([](CrackInput& c) { c.bar_records[1] = 1e300; }); }, 0, Left::zeros, "the section's values overflow"},
      {"CrackSectionProperty: coordinates 1e200", [] { return C([](CrackInput& c) { scale(c.node_y, 1e200); scale(c.node_z, 1e200); }); }, 0, Left::zeros, "the section's values overflow"},
      {"CrackSectionProperty: bar area -1", [] { return C([](CrackInput& c) { c.bar_records[1] = -1; }); }, 0, Left::zeros, "bar record 0 has area -1, negative"},
      {"CrackSectionProperty: bar modulus NaN", [] { return C([](CrackInput& c) { c.bar_records[2] = nan; }); }, 0, Left::zeros, "the modulus of bar record 0 (bar_records[2]) is nan, not finite"},
      {"CrackSectionProperty: open loop", [] { return C([](CrackInput& c) { c.n_edges = 3; }); }, 0, Left::zeros, "material key 1: its boundary loop is open at node 0 (edge 0), where"},
      {"CrackSectionProperty: clockwise loop", [] { return C([](CrackInput& c) { std::swap(c.node_z[0], c.node_z[3]); std::swap(c.node_z[1], c.node_z[2]); }); }, 0, Left::zeros, "material key 1: its boundary loops enclose the signed area -150000,"},
      {"CrackSectionProperty: zero area (collinear)", [] { return C([](CrackInput& c) { scale(c.node_z, 0); }); }, 0, Left::zeros, "material key 1: its boundary loops enclose the signed area 0, not > 0"},
      {"CrackSectionProperty: self-crossing loop", [] { return C([](CrackInput& c) { std::swap(c.node_y[2], c.node_y[3]); }); }, 0, Left::zeros, "material key 1: its boundary loops enclose the signed area 0, not > 0"},
      {"CrackSectionProperty: scale 1e-6", [] { return C([](CrackInput& c) { scale(c.node_y, 1e-6); scale(c.node_z, 1e-6); c.bar_records = {50e-6, 1e-9, 2e5, 450e-6, 1e-9, 2e5}; }); }, 0, Left::results, ""},
      {"CrackSectionProperty: scale 1e6", [] { return C([](CrackInput& c) { scale(c.node_y, 1e6); scale(c.node_z, 1e6); c.bar_records = {50e6, 1e15, 2e5, 450e6, 1e15, 2e5}; }); }, 0, Left::results, ""},
      {"BSPFirstMomentOfAreaMesh: y_ref NaN", [] { return outcome_of(first_moment_mesh_call(base_outline(), {}, nan)); }, BSP_E_INPUT, Left::zeros, "y_ref is not finite"},
      // First moments of triangles.
      {"BSPFirstMomentOfArea: n_nodes -1", [] { return T([](TriangleMoments& c) { c.n_nodes = -1; }); }, 0, Left::zeros, "n_nodes is negative (-1)"},
      {"BSPFirstMomentOfArea: n_elements -1", [] { return T([](TriangleMoments& c) { c.n_elements = -1; }); }, 0, Left::zeros, "n_elements is negative (-1)"},
      {"BSPFirstMomentOfArea: n_bars -1", [] { return T([](TriangleMoments& c) { c.n_bars = -1; }); }, 0, Left::zeros, "n_bars is negative (-1)"},
      {"BSPFirstMomentOfArea: n_bars beyond the arrays", [] { return T([](TriangleMoments& c) { c.n_bars = 2; }); }, 0, Left::zeros, "bar_radius is NULL"},
      {"BSPFirstMomentOfArea: n_elements beyond the array", [] { return T([](TriangleMoments& c) { c.n_elements = 2; c.conn.resize(6, 0); }); }, 0, Left::zeros, "node 0 of element 2 is out of range 1..3"},
      {"BSPFirstMomentOfArea: node 4 of 3", [] { return T([](TriangleMoments& c) { c.conn[2] = 4; }); }, 0, Left::zeros, "node 4 of element 1 is out of range 1..3"},
      {"BSPFirstMomentOfArea: node -1", [] { return T([](TriangleMoments& c) { c.conn[0] = -1; }); }, 0, Left::zeros, "node -1 of element 1 is out of range 1..3"},
      {"BSPFirstMomentOfArea: node y NaN", [] { return T([](TriangleMoments& c) { c.y[1] = nan; }); }, 0, Left::zeros, "node_y 2 is not finite"},
      {"BSPFirstMomentOfArea: y_ref inf", [] { return T([](TriangleMoments& c) { c.y_ref = inf; }); }, 0, Left::zeros, "y_ref is not finite"},
      {"BSPFirstMomentOfArea: ref modulus 0", [] { return T([](TriangleMoments& c) { c.ref_modulus = 0; }); }, 0, Left::zeros, "ref_modulus is not above 0"},
      {"BSPFirstMomentOfArea: section modulus NaN", [] { return T([](TriangleMoments& c) { c.section_modulus = nan; }); }, 0, Left::zeros, "section_modulus is not finite"},
      {"BSPFirstMomentOfArea: bar radius -1", [] { return T([](TriangleMoments& c) { c.bars.add(-1, 0, 0, 1, 1); }); }, 0, Left::zeros, "bar_radius 1 is negative"},
      {"BSPFirstMomentOfArea: bar modulus inf", [] { return T([](TriangleMoments& c) { c.bars.add(0.1, 0, 0, inf, 1); }); }, 0, Left::zeros, "bar_modulus 1 is not finite"},
      {"BSPFirstMomentOfArea: overflow", [] { return T([](TriangleMoments& c) { scale(c.y, 1e200); scale(c.z, 1e200); }); }, 0, Left::zeros, "the first moments are not finite"},
      {"BSPFirstMomentOfArea: collinear triangle", [] { return T([](TriangleMoments& c) { c.z = {0, 0, 0}; c.bars.add(1, 0, 0, 2, 1); }); }, 0, Left::results, ""},
      {"BSPFirstMomentOfArea: scale 1e-6", [] { return T([](TriangleMoments& c) { scale(c.y, 1e-6); scale(c.z, 1e-6); c.y_ref = -1e-6; }); }, 0, Left::results, ""},
  };
  // Closed forms: each fault through both exports.
  const char* range = "is not one of 1..10";
  const char* positive = "not a finite value > 0";
  const struct {
    const char* fault; std::int32_t code; std::vector<double> dims; Left left; const char* message;
  } closed[] = {
      {"code 0", 0, rect, Left::zeros, range},
      {"code 11", 11, rect, Left::zeros, range},
      {"code -7", -7, rect, Left::zeros, range},
      {"dimension NaN", 1, {nan, 1}, Left::zeros, positive},
      {"dimension inf", 7, {12, inf, 2, 1}, Left::zeros, positive},
      {"dimension -1", 2, {10, 8, 1, 1, 1, -1}, Left::zeros, positive},
      {"dimension 0", 9, {5, 5, 10, 0, 1}, Left::zeros, positive},
      {"overflow", 1, {1e200, 1e200}, Left::zeros, "overflows the double range"},
      {"underflow", 1, {1e-200, 1e-200}, Left::zeros, "underflows the double range"},
      {"scale 1e-6", 7, {12e-6, 20e-6, 2e-6, 1e-6}, Left::results, ""},
      {"scale 1e6", 5, {12e6, 20e6, 2e6, 1e6, 20e6, 2e6}, Left::results, ""},
  };
  for (const auto& c : closed) {
    rows.push_back({std::string("BSPAnalyticTorsionalConstant: ") + c.fault, [c] { return J(c.code, c.dims); }, 0,
                    c.left, c.message});
    rows.push_back({std::string("BSPAnalyticShearArea: ") + c.fault, [c] { return A(c.code, c.dims); }, 0, c.left,
                    c.message});
  }
  // Flanges thicker than the box is deep: Bredt's formula alone would give a positive J.
  rows.push_back({"BSPAnalyticTorsionalConstant: box without a cell", [] { return J(2, {1, 10, 1, 1, 1.5, 1.5}); }, 0,
                  Left::zeros, "describe no such shape"});
  return rows;
}

std::vector<Row> matrix() {
  std::vector<Row> rows;
  for (const FamilyFault& f : family_faults)
    for (unsigned bit = 1; bit <= m_fm_mesh; bit <<= 1)
      if (f.members & bit) {
        const auto m = static_cast<Member>(bit);
        rows.push_back({std::string(name_of(m)) + ": " + f.fault, [m, c = f.call] { return c(m); }, f.code, f.left,
                        f.message});
      }
  for (Row& r : single_rows()) rows.push_back(std::move(r));
  return rows;
}

TEST(BadInputMatrix, EveryExportRefusesEveryFaultCleanly) {
  const std::vector<Row> rows = matrix();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Outcome o = r.call();
    EXPECT_EQ(o.code, r.code);
    switch (r.left) {
      case Left::zeros: EXPECT_TRUE(o.zeros) << "outputs not zeroed"; break;
      case Left::nothing: EXPECT_TRUE(o.untouched) << "an output was written"; break;
      case Left::points_only: EXPECT_TRUE(o.points_only) << "slots beside the stress points not zero"; break;
      case Left::results: EXPECT_FALSE(o.untouched || o.zeros) << "no results written"; break;
      case Left::empty: EXPECT_TRUE(o.zeros); break;
    }
    if (r.left == Left::results || r.left == Left::empty) {
      EXPECT_EQ(o.message, "");
    } else {
      EXPECT_NE(o.message, "") << "no message";
      EXPECT_NE(o.message.find(r.message), std::string::npos) << "message: " << o.message;
    }
  }
  RecordProperty("cases", static_cast<int>(rows.size()));
}

}  // namespace
}  // namespace bsp::test

