#include "solver/detail_stresses.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/section_meshes.h"

namespace bsp {
namespace {

using test::Section;
namespace s = section_slot;

// Value c (0 normal, 1 shear along x, 2 along y, 3 von Mises) of material m
// at point i, n_sp points.
double at(const test::DetailOutput& o, std::size_t n_sp, std::size_t m, std::size_t i, std::size_t c) {
  return o.stresses[4 * (m * n_sp + i) + c];
}

TEST(DetailStresses, EachMaterialSeesItsOwnModuli) {
  // Lower half material 1 (E = 1, nu = 0), upper half material 2 (E = 3,
  // nu = 0.5): one point in each half.
  Section sec(6);
  sec.E = {1.0, 3.0};
  sec.nu = {0.0, 0.5};
  test::DomainMesh& d = sec.add_domain();
  d.add_box(0, 0, 2, 0.5, 16, 4, 1);
  d.add_box(0, 0.5, 2, 1, 16, 4, 2);
  sec.sp_x = {1.0, 1.3};
  sec.sp_y = {0.25, 0.8};
  const auto out = sec.solve_detail({8.0, 0.0, 0.0, 2.0, 0.0, 0.0, 0.0, 0.0});
  ASSERT_EQ(out.status, Status::ok);
  // Axial force alone strains the section uniformly: sigma_m = E_m N / A_t
  // with A_t = 1 + 3 = 4.
  EXPECT_NEAR(at(out, 2, 0, 0, 0), 8.0 / 4, 1e-12);
  EXPECT_NEAR(at(out, 2, 1, 0, 0), 3 * 8.0 / 4, 1e-12);
  // Shear in material 2 at a point of material 1: the strain of material 1
  // times G_2 = 1; G_1 = 0.5.
  EXPECT_NEAR(at(out, 2, 1, 0, 2), at(out, 2, 0, 0, 2) * 1.0 / 0.5, 1e-12);
  EXPECT_EQ(out.materials[0], 1.0);
  EXPECT_EQ(out.materials[1], 2.0);
}

}  // namespace
}  // namespace bsp
