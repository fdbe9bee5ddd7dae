#include "solver/linear_solver_choice.h"

#include <gtest/gtest.h>

#include <cmath>

#include "solver/domain_solve.h"
#include "solver/model.h"
#include "support/section_meshes.h"

namespace bsp {
namespace {

using test::Section;

TEST(LinearSolverChoice, PinnedNeumannDomainNeedsNoPivotFloorOnEitherPath) {
  // The pin makes the Laplace matrix definite; a floored pivot on one path: pins that differ.
  for (const auto request : {LinearSolverRequest::band, LinearSolverRequest::sparse}) {
    Section sec(6);  // an L-shaped domain, without symmetry
    sec.add_domain().add_box(0, 0, 3, 0.4, 15, 4, 1).add_box(0, 0.4, 0.6, 2, 3, 8, 1);
    test::TestSection flat = sec.flatten();
    T_MULTI_DOMAIN m = build_model(flat.input(), ModelOptions{});
    T_SINGLE_DOMAIN& d = m.domains[0];
    prepare_domain_system(d, request);
    with_elements(m, [&](auto elements) {
      assemble_domain_matrix(d, elements, [](const auto& el) { return field_coefficient(el); });
    });
    d.rhs.assign(static_cast<std::size_t>(d.n_nodes), 0.0);
    solve_domain(d, 1, 1);
    // A floored pivot leaves exactly sqrt(band_pivot_floor) on the factor's diagonal.
    for (std::int64_t j = 0; j < d.n_nodes; ++j)
      EXPECT_NE(request == LinearSolverRequest::sparse ? d.sparse.at(j, j) : d.band.at(j, j),
                std::sqrt(band_pivot_floor))
          << j;
  }
}

// 10 x 10 cells take the band without sparse analysis; 140 x 140 the sparse path (band ~ n^2
// work, AMD ~ n^1.5) by the rule's margin; only the chosen storage exists.
TEST(LinearSolverChoice, SmallDomainsTakeTheBandLargeSolidOnesTheSparsePath) {
  for (const int cells : {10, 140}) {
    Section sec(4);
    sec.add_domain().add_box(0, 0, 1, 1, cells, cells, 1);
    test::TestSection flat = sec.flatten();
    T_MULTI_DOMAIN m = build_model(flat.input(), ModelOptions{});
    const T_SINGLE_DOMAIN& d = m.domains[0];
    if (cells == 10) {
      const LinearSolverEstimate e = prepare_domain_system(m.domains[0]);
      EXPECT_EQ(e.path, LinearSolverPath::band);
      EXPECT_FALSE(e.analysed);
      EXPECT_TRUE(d.sparse.values.empty());
    } else {
      EXPECT_EQ(d.path, LinearSolverPath::sparse);
      EXPECT_TRUE(d.band.band.empty());
      EXPECT_LT(d.sparse.sym.flops,
                0.2 * band_profile_flops(band_factor_reach(d.n_nodes, 4, d.n_elements, d.connectivity.data())));
    }
  }
}

}  // namespace
}  // namespace bsp
