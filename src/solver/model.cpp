#include "solver/model.h"

#include <cassert>
#include <cstdlib>

#include "common/side_by_side.h"
#include "solver/rcm.h"
#include "solver/section_properties.h"
#include "solver/solver_entries.h"
#include "solver/stress_point_location.h"

namespace bsp {
namespace {

std::size_t to_size(std::int64_t v) { return static_cast<std::size_t>(v); }

// From this many elements the two halves of the model build run on two
// threads: each is then at least a millisecond, against about 0.1 ms to wake
// the team.
constexpr std::size_t parallel_build_elements = 4096;

// The model reads every array of its input through an index computed from
// other values of it. The drivers check what the caller gave and build the
// input consistent; these are their promises, checked in debug builds only.
[[maybe_unused]] bool input_is_consistent(const SolverInput& in, ElementKind kind) {
  if (in.domain_elements.size() != in.domain_nodes.size()) return false;
  std::int64_t n_elements = 0, n_nodes = 0;
  for (std::size_t d = 0; d < in.domain_elements.size(); ++d) {
    if (in.domain_elements[d] < 0 || in.domain_nodes[d] < 0) return false;
    n_elements += in.domain_elements[d];
    n_nodes += in.domain_nodes[d];
  }
  const SolverMaterials& mat = in.materials;
  const SolverBars& bars = in.bars;
  const std::size_t n_bars = bars.radius.size();
  return to_size(n_elements) == in.material_numbers.size() && to_size(n_nodes) == in.node_x.size() &&
         in.node_x.size() == in.node_y.size() &&
         in.connectivity.size() >= to_size(n_elements) * to_size(nodes_per_element(kind)) &&
         mat.nu.size() == mat.E.size() && (mat.w.empty() || mat.w.size() == mat.E.size()) &&
         bars.x.size() == n_bars && bars.y.size() == n_bars && bars.E.size() == n_bars &&
         (bars.w.empty() || bars.w.size() == n_bars) && in.stress_x.size() == in.stress_y.size() &&
         in.n_materials >= 0;
}

void add_bars(T_MULTI_DOMAIN& m, const SolverInput& in, bool material_list) {
  const SolverBars& b = in.bars;
  m.bars.resize(b.radius.size());
  for (std::size_t i = 0; i < m.bars.size(); ++i) {
    T_NODE& bar = m.bars[i];
    bar.r = b.radius[i];
    bar.x = b.x[i];
    bar.y = b.y[i];
    bar.E = b.E[i];
    bar.w = b.w.empty() ? b.E[i] : b.w[i];
    // A bar without stiffness is a void: it removes the material it
    // displaces and adds nothing, k = -1 (a negative modulus is not taken
    // as a negative stiffness).
    bar.k = bar.E > 0.0 ? bar.E / m.E_ref - 1.0 : -1.0;
    bar.listed = material_list && bar.E > 0.0;
  }
}

template <class Rule, class Allocator>
void add_elements(T_MULTI_DOMAIN& m, const SolverInput& in, std::vector<T_ELEMENT<Rule>, Allocator>& table,
                  const ModelOptions& options) {
  constexpr int n = Rule::n_nodes;
  const auto k = static_cast<std::size_t>(n);
  const SolverMaterials& mat = in.materials;
  // Each element is constructed where it is set up, so its record is
  // cleared and filled while in cache rather than cleared in a pass of its
  // own over the whole table first.
  table.clear();
  table.reserve(in.material_numbers.size());
  std::int64_t e_global = 0, node_offset = 0;
  for (std::size_t d = 0; d < in.domain_elements.size(); ++d) {
    const std::int64_t n_d = in.domain_nodes[d];
    for (std::int32_t e_local = 0; e_local < in.domain_elements[d]; ++e_local, ++e_global) {
      T_ELEMENT<Rule>& e = table.emplace_back();
      std::array<double, n> x{}, y{};
      for (std::size_t i = 0; i < k; ++i) {
        const std::int64_t node = in.connectivity[to_size(e_global) * k + i];
        assert(node > node_offset && node <= node_offset + n_d);  // in its domain's block
        x[i] = in.node_x[to_size(node - 1)];
        y[i] = in.node_y[to_size(node - 1)];
      }
      set_up_element<Rule>(e, x, y);

      const std::int64_t number = in.material_numbers[to_size(e_global)];
      const std::int64_t material = std::llabs(number);
      assert(material >= 1 && to_size(material) <= mat.E.size());
      e.material_number = static_cast<std::int32_t>(material);
      e.inverted = number < 0;
      const auto im = to_size(material - 1);
      e.material = ElementMaterial{m.E_ref, m.nu_ref, m.w_ref, m.G_ref,
                                   mat.E[im], mat.nu[im], mat.w.empty() ? mat.E[im] : mat.w[im],
                                   shear_modulus(mat.E[im], mat.nu[im])};
      if (options.materials && !e.inverted) {
        assert(material <= in.n_materials);
        e.material_record = static_cast<std::int32_t>(material - 1);
      }

      for (std::size_t p = 0; p < m.details.size(); ++p) {
        T_DETAIL& sp = m.details[p];
        if (sp.element >= 0) continue;  // the first element found keeps the point
        if (const auto found = locate_in_element(e, sp.x, sp.y)) {
          sp.element = e_global;
          sp.natural = *found;
          e.stress_points.push_back(static_cast<std::int32_t>(p));
        }
      }
      attach_bars(m, e_global, e);
      m.A_w += first_moments(e).Aw;
    }
    node_offset += n_d;
  }
}

void add_domains(T_MULTI_DOMAIN& m, const SolverInput& in) {
  const auto k = static_cast<std::size_t>(nodes_per_element(m.kind));
  m.domains.resize(in.domain_elements.size());
  std::int64_t first = 0, node_offset = 0;
  for (std::size_t i = 0; i < m.domains.size(); ++i) {
    T_SINGLE_DOMAIN& d = m.domains[i];
    d.kind = m.kind;
    d.n_elements = in.domain_elements[i];
    d.n_nodes = in.domain_nodes[i];
    d.first_element = first;
    d.node_offset = node_offset;
    // The solver's own copy, turned into local numbers 1..n_nodes; the
    // caller's connectivity is never written.
    const auto global = in.connectivity.subspan(to_size(first) * k, to_size(d.n_elements) * k);
    d.connectivity.resize(global.size());
    for (std::size_t j = 0; j < global.size(); ++j)
      d.connectivity[j] = static_cast<std::int32_t>(global[j] - node_offset);
    d.renumbered = RCM_RENUMBER(d.n_nodes, static_cast<int>(k), d.n_elements, d.connectivity.data());
    prepare_domain_system(d);
    first += d.n_elements;
    node_offset += d.n_nodes;
  }
}

}  // namespace

T_MULTI_DOMAIN build_model(const SolverInput& in, const ModelOptions& options) {
  T_MULTI_DOMAIN m;
  m.kind = element_kind(in.k);
  assert(input_is_consistent(in, m.kind));
  m.threads = INIT_OMP(in.thread_count);
  m.E_ref = in.materials.E_ref;
  m.nu_ref = in.materials.nu_ref;
  m.w_ref = in.materials.w.empty() ? in.materials.E_ref : in.materials.w_ref;
  m.G_ref = shear_modulus(m.E_ref, m.nu_ref);

  add_bars(m, in, options.materials);
  if (options.materials) m.materials.resize(to_size(in.n_materials));
  if (options.stress_points) {
    m.details.resize(in.stress_x.size());
    for (std::size_t i = 0; i < m.details.size(); ++i) {
      m.details[i].x = in.stress_x[i];
      m.details[i].y = in.stress_y[i];
    }
  }
  // The element records and the domains' equation systems (renumbering,
  // the choice of solver and its analysis) read only the input and write
  // disjoint parts of the model, so on a large mesh they are built side by
  // side.
  const auto elements = [&] {
    if (m.kind == ElementKind::quad4)
      add_elements(m, in, m.quads, options);
    else
      add_elements(m, in, m.trias, options);
  };
  side_by_side(m.threads >= 2 && in.material_numbers.size() >= parallel_build_elements, elements,
               [&] { add_domains(m, in); });

  integrate_domain_properties(m);
  integrate_material_properties(m);
  integrate_section_properties(m);
  return m;
}

}  // namespace bsp
