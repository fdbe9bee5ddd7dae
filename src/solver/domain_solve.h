// The domain solve pipeline that the shear and the torsion analysis share:
// assembly of a domain's Laplace matrix c_e * K_e into its band, the choice
// between reusing a factor and assembling again, and the solve of the
// domain's right-hand sides.
//
// Both field problems are pure Neumann problems: the solution is defined only
// up to a constant, and the assembled matrix is singular. Left alone, the
// factorisation's last pivot is rounding noise (or the replaced pivot floor)
// and the constant it produces is arbitrary and may be large enough to eat
// the digits of the solution. The pipeline therefore fixes the value at the
// domain's last equation to 0 (its row and column are decoupled, its
// right-hand side zeroed), which gives the same solution up to that constant
// when the loads balance, as every load of the analyses does. The analyses
// then remove the constant they need (the weighted mean, torsion_analysis.h).
// A domain must be one connected group of elements; a second group would stay
// singular.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "common/side_by_side.h"
#include "solver/model.h"

namespace bsp {

// Coefficient of an inverted element in both field problems: an inverted
// element is not part of the section (no area, no load, no stress), so it
// must not carry flux either. 1/G is not dimensionless: with moduli near 1 it
// would make the element stiffer than the material. The 1e-9 G cap keeps it a
// near-void at any scale of the moduli; for G >= 3.2e4 (moduli in MPa or Pa)
// 1/G is the smaller and is used. Rule of this library; pinned by
// tests/solver/torsion_analysis_test.cpp.
inline constexpr double inverted_stiffness_fraction = 1e-9;
inline double inverted_coefficient(double G) { return std::min(1.0 / G, inverted_stiffness_fraction * G); }

// The element's coefficient in either field problem: G, or the near-void
// coefficient when it is inverted.
template <class Elem>
double field_coefficient(const Elem& el) {
  return el.inverted ? inverted_coefficient(el.material.G) : el.material.G;
}

// Assembles sum c(e) K_e over the domain's elements into its band (or sparse
// factor storage), unless it already holds the factor of the same matrix (factorised and no
// re-assembly needed). Sets domain.reassemble as soon as an element is
// inverted: the torsion matrix then differs from the shear matrix.
template <class Elem, class Coefficient>
void assemble_domain_matrix(T_SINGLE_DOMAIN& d, std::span<Elem> elements, Coefficient&& coefficient);

// From this many elements a domain's passes over its elements (assembly,
// stresses, sums) run as two pieces on two threads: each is then a
// millisecond or more, against about 0.1 ms to wake the team.
inline constexpr std::int64_t parallel_pass_elements = 4096;

// Runs pass(begin, end, first) over the domain's elements (0-based within
// the domain): over all of them with first = true below
// parallel_pass_elements, else over the first half (first = true) and the
// second half (first = false), side by side when the model has two threads.
// The split depends on the element count alone. A pass that sums adds the
// first half to its running sums, as one pass over all elements would, and
// the second half to sums of its own that the caller adds afterwards: the
// result is then the same for any thread count, and a small domain's is the
// one of a single pass.
template <class Pass>
void over_element_halves(const T_MULTI_DOMAIN& m, const T_SINGLE_DOMAIN& d, Pass&& pass) {
  if (d.n_elements < parallel_pass_elements) {
    pass(std::int64_t{0}, d.n_elements, true);
    return;
  }
  const std::int64_t half = d.n_elements / 2;
  side_by_side(m.threads >= 2, [&] { pass(std::int64_t{0}, half, true); }, [&] { pass(half, d.n_elements, false); });
}

// Solves the domain's nrhs right-hand sides (d.rhs, n_nodes per column) in
// place on the domain's path (linear_solver_choice.h): factorises on first
// use, with `threads` threads.
void solve_domain(T_SINGLE_DOMAIN& d, std::int64_t nrhs, int threads);

// Decouples the last equation of an assembled, not yet factorised band.
void pin_last_equation(BandSystem& band);

// The equation whose value is fixed to 0: the last one (0-based), or -1 for
// a domain of fewer than two equations.
constexpr std::int64_t pinned_equation(std::int64_t n) { return n >= 2 ? n - 1 : -1; }

// The same for the sparse path: its pattern has no off-diagonal entry in
// the pinned row (sparse_analyse), so only the diagonal needs the rule.
void pin_last_equation(SparseSystem& sys);

// Forgets the factor so that the next solve assembles and factorises again.
inline void drop_factor(T_SINGLE_DOMAIN& d) {
  d.band.factorised = false;
  d.sparse.factorised = false;
}

template <class Elem, class Coefficient>
void assemble_domain_matrix(T_SINGLE_DOMAIN& d, std::span<Elem> elements, Coefficient&& coefficient) {
  for (std::int64_t e = 0; e < d.n_elements; ++e)
    if (elements[static_cast<std::size_t>(d.first_element + e)].inverted) d.reassemble = true;
  constexpr int n = Elem::n_nodes;
  if (d.path == LinearSolverPath::sparse) {
    if (d.sparse.factorised && !d.reassemble) return;
    d.sparse.clear();
    const std::int64_t pinned = pinned_equation(d.n_nodes);
    std::array<SparseSystem::Column, n> column;
    for (std::int64_t e = 0; e < d.n_elements; ++e) {
      const Elem& el = elements[static_cast<std::size_t>(d.first_element + e)];
      const auto eq = d.element_nodes(e);
      const double c = coefficient(el);
      for (int a = 0; a < n; ++a) column[static_cast<std::size_t>(a)] = d.sparse.column(eq[static_cast<std::size_t>(a)] - 1);
      for (int b = 0; b < n; ++b) {
        const std::int64_t q = eq[static_cast<std::size_t>(b)] - 1;
        for (int a = 0; a < n; ++a) {
          const std::int64_t p = eq[static_cast<std::size_t>(a)] - 1;
          if (p >= q && (p == q || (p != pinned && q != pinned)))
            SparseSystem::entry(column[static_cast<std::size_t>(a)], column[static_cast<std::size_t>(b)]) +=
                c * el.K_at(a, b);
        }
      }
    }
    pin_last_equation(d.sparse);
    return;
  }
  if (d.band.factorised && !d.reassemble) return;
  d.band.factorised = false;
  // A band fresh from its allocation is already zero; clearing it again would
  // touch (kd+1)*n doubles for nothing.
  if (!d.band.zeroed) std::fill(d.band.band.begin(), d.band.band.end(), 0.0);
  d.band.zeroed = false;
  for (std::int64_t e = 0; e < d.n_elements; ++e) {
    const Elem& el = elements[static_cast<std::size_t>(d.first_element + e)];
    const auto eq = d.element_nodes(e);
    const double c = coefficient(el);
    for (int b = 0; b < n; ++b) {
      const std::int64_t q = eq[static_cast<std::size_t>(b)] - 1;
      for (int a = 0; a < n; ++a) {
        const std::int64_t p = eq[static_cast<std::size_t>(a)] - 1;
        if (p >= q) d.band.at(p, q) += c * el.K_at(a, b);
      }
    }
  }
  pin_last_equation(d.band);
}

}  // namespace bsp
