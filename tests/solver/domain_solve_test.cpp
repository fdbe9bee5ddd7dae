#include "solver/domain_solve.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/section_meshes.h"

namespace bsp {
namespace {

// One domain of 3 x 2 cells (k = 4 or 6), the second row optionally inverted.
T_MULTI_DOMAIN model(int k, bool inverted_row, test::TestSection& flat) {
  test::Section sec(k);
  test::DomainMesh& d = sec.add_domain();
  d.add_box(0, 0, 3, 1, 3, 1, 1);
  d.add_box(0, 1, 3, 2, 3, 1, inverted_row ? -1 : 1);
  flat = sec.flatten();
  return build_model(flat.input(), ModelOptions{});
}

// Reassembly keeps the factor of an unchanged matrix; with inverted elements (coefficient may
// change) it clears the factor it overwrites: same sums, same bits as the first.
TEST(DomainSolve, ReassemblyKeepsTheFactorOrRebuildsTheFirstMatrixExactly) {
  for (const bool inverted : {false, true}) {
    test::TestSection flat;
    T_MULTI_DOMAIN m = model(6, inverted, flat);
    T_SINGLE_DOMAIN& d = m.domains[0];
    std::span<T_TRIA6> elements(m.trias);
    const auto coefficient = [](const T_TRIA6& el) { return field_coefficient(el); };
    const auto band = [&] { return std::vector<double>(d.band.band.begin(), d.band.band.end()); };
    assemble_domain_matrix(d, elements, coefficient);
    const std::vector<double> first = band();
    d.rhs.assign(static_cast<std::size_t>(d.n_nodes), 1.0);
    solve_domain(d, 1, 1);
    ASSERT_TRUE(d.band.factorised);
    const std::vector<double> factor = band();
    ASSERT_NE(factor, first);
    assemble_domain_matrix(d, elements, coefficient);
    EXPECT_EQ(d.band.factorised, !inverted);
    EXPECT_EQ(band(), inverted ? first : factor);
  }
}

// Patch test: the load K u of u = 2x - 3y + 5 balances; the solve returns u up to the constant
// the pin fixes (u = 0 at the last equation).
TEST(DomainSolve, NeumannProblemReproducesALinearFieldUpToItsConstant) {
  for (const int k : {4, 6}) {
    test::TestSection flat;
    T_MULTI_DOMAIN m = model(k, false, flat);
    T_SINGLE_DOMAIN& d = m.domains[0];
    with_elements(m, [&](auto elements) {
      using Elem = typename decltype(elements)::element_type;
      const auto n = static_cast<std::size_t>(d.n_nodes);
      std::vector<double> u(n, 0.0);
      const auto each = [&](auto f) {
        for (std::int64_t e = 0; e < d.n_elements; ++e) f(d.element_nodes(e), elements[static_cast<std::size_t>(e)]);
      };
      each([&](const auto& eq, const Elem& el) {
        for (int a = 0; a < Elem::n_nodes; ++a) u[static_cast<std::size_t>(eq[a] - 1)] = 2 * el.x[a] - 3 * el.y[a] + 5;
      });
      d.rhs.assign(n, 0.0);
      each([&](const auto& eq, const Elem& el) {
        for (int a = 0; a < Elem::n_nodes; ++a)
          for (int b = 0; b < Elem::n_nodes; ++b)
            d.rhs[static_cast<std::size_t>(eq[a] - 1)] += field_coefficient(el) * el.K_at(a, b) * u[static_cast<std::size_t>(eq[b] - 1)];
      });
      assemble_domain_matrix(d, elements, [](const Elem& el) { return field_coefficient(el); });
      solve_domain(d, 1, 1);
      for (std::size_t i = 0; i < n; ++i) EXPECT_NEAR(d.rhs[i], u[i] - u[n - 1], 1e-12) << k << " " << i;  // rounding
    });
  }
}

}  // namespace
}  // namespace bsp
