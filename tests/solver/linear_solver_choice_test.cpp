#include "solver/linear_solver_choice.h"

#include <gtest/gtest.h>

#include <cmath>

#include "solver/domain_solve.h"
#include "solver/model.h"
#include "solver/shear_analysis.h"
#include "solver/torsion_analysis.h"
#include "support/section_meshes.h"

namespace bsp {
namespace {

using test::Section;

struct Results {
  double J, Iw, alpha_x, alpha_y, x_s, y_s;
};

// Shear and torsion of the section with every domain on the requested path.
Results analyse(const Section& sec, LinearSolverRequest request) {
  test::TestSection flat = sec.flatten();
  T_MULTI_DOMAIN m = build_model(flat.input(), ModelOptions{});
  for (T_SINGLE_DOMAIN& d : m.domains) prepare_domain_system(d, request);
  shear_analysis(m);
  torsion_analysis(m);
  return {m.J, m.Iw, m.alpha_x, m.alpha_y, m.x_s, m.y_s};
}

// An L-shaped domain and a separate plate as a second domain, without
// symmetry, so that every result is non-trivial.
Section two_domain_section(int k) {
  Section sec(k);
  sec.add_domain().add_box(0, 0, 3, 0.4, 15, 4, 1).add_box(0, 0.4, 0.6, 2, 3, 8, 1);
  sec.add_domain().add_box(4, 0, 5, 1.5, 5, 7, 1);
  return sec;
}

TEST(LinearSolverChoice, BothPathsGiveTheSameSectionResults) {
  for (const int k : {4, 6}) {
    const Section sec = two_domain_section(k);
    const Results band = analyse(sec, LinearSolverRequest::band);
    const Results sparse = analyse(sec, LinearSolverRequest::sparse);
    const auto close = [](double a, double b, double scale) { return std::abs(a - b) <= 1e-10 * scale; };
    EXPECT_TRUE(close(band.J, sparse.J, std::abs(band.J))) << k;  // same system, different elimination order: rounding only
    EXPECT_TRUE(close(band.Iw, sparse.Iw, std::abs(band.Iw))) << k;
    EXPECT_TRUE(close(band.alpha_x, sparse.alpha_x, 1.0)) << k;
    EXPECT_TRUE(close(band.alpha_y, sparse.alpha_y, 1.0)) << k;
    EXPECT_TRUE(close(band.x_s, sparse.x_s, 5.0)) << k;  // section size 5: relative to it
    EXPECT_TRUE(close(band.y_s, sparse.y_s, 5.0)) << k;
  }
}

TEST(LinearSolverChoice, PinnedNeumannDomainNeedsNoPivotFloorOnEitherPath) {
  // The pinned equation makes the singular Laplace matrix definite; a floored
  // pivot on one path only would mean the pin differs between them.
  for (const auto request : {LinearSolverRequest::band, LinearSolverRequest::sparse}) {
    test::TestSection flat = two_domain_section(6).flatten();
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

TEST(LinearSolverChoice, SmallDomainTakesTheBandWithoutAnalysis) {
  Section sec(4);
  sec.add_domain().add_box(0, 0, 1, 1, 10, 10, 1);
  test::TestSection flat = sec.flatten();
  T_MULTI_DOMAIN m = build_model(flat.input(), ModelOptions{});
  const LinearSolverEstimate e = prepare_domain_system(m.domains[0]);
  EXPECT_EQ(e.path, LinearSolverPath::band);
  EXPECT_FALSE(e.analysed);
  EXPECT_TRUE(m.domains[0].sparse.values.empty());  // only the chosen storage exists
}

TEST(LinearSolverChoice, LargeSolidDomainTakesTheSparsePathAndHoldsNoBand) {
  // 141 x 141 quadrilaterals: the RCM band does ~ n^2 work, AMD ~ n^1.5.
  Section sec(4);
  sec.add_domain().add_box(0, 0, 1, 1, 140, 140, 1);
  test::TestSection flat = sec.flatten();
  T_MULTI_DOMAIN m = build_model(flat.input(), ModelOptions{});
  const T_SINGLE_DOMAIN& d = m.domains[0];
  EXPECT_EQ(d.path, LinearSolverPath::sparse);
  EXPECT_TRUE(d.band.band.empty());
  EXPECT_LT(d.sparse.sym.flops, 0.2 * band_profile_flops(band_factor_reach(
                                          d.n_nodes, 4, d.n_elements, d.connectivity.data())));  // the margin that made the choice
}

}  // namespace
}  // namespace bsp
