#include "interface/meshed_parts_input.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace bsp {
namespace {

// One 3-node triangle, one part, one material, no bars, one stress point.
struct Args {
  std::int32_t n_nodes = 3, n_elements = 1, n_materials = 1, n_parts = 1, n_bars = 0, n_sp = 1;
  std::vector<double> y{0, 1, 0}, z{0, 0, 1};
  std::vector<std::int32_t> conn{1, 2, 3}, material{1}, part_nodes{3}, part_elements{1};
  double e_ref = 1, nu_ref = 0.3, w_ref = 2;
  std::vector<double> e{1}, nu{0.3}, w{1};
  std::vector<double> sp_y{0.2}, sp_z{0.2};
  std::int32_t level = 2, reference = 1, six = 0;

  MeshedPartsArgs raw() const {
    MeshedPartsArgs a;
    a.n_nodes = &n_nodes;
    a.n_elements = &n_elements;
    a.n_materials = &n_materials;
    a.n_parts = &n_parts;
    a.node_y = y.data();
    a.node_z = z.data();
    a.connectivity = conn.data();
    a.element_material = material.data();
    a.part_node_count = part_nodes.data();
    a.part_element_count = part_elements.data();
    a.ref_modulus = &e_ref;
    a.ref_poisson = &nu_ref;
    a.ref_area_weight = &w_ref;
    a.material_modulus = e.data();
    a.material_poisson = nu.data();
    a.material_area_weight = w.data();
    a.n_bars = &n_bars;
    a.n_stress_points = &n_sp;
    a.stress_y = sp_y.data();
    a.stress_z = sp_z.data();
    a.analysis_level = &level;
    a.stress_reference = &reference;
    a.six_node_elements = &six;
    return a;
  }
};

TEST(MeshedPartsInput, EachExportReadsOnlyItsOwnArguments) {
  Args a;
  MeshedPartsArgs detail = a.raw();
  detail.ref_area_weight = nullptr;
  detail.material_area_weight = nullptr;
  detail.analysis_level = nullptr;
  detail.stress_reference = nullptr;
  MeshedPartsInput in;
  ASSERT_EQ(read_meshed_parts(detail, MeshedPartsExport::detail, in), Status::ok);
  EXPECT_TRUE(in.material_area_weight.empty());
  EXPECT_EQ(in.stress_y.size(), 1u);

  MeshedPartsArgs part = a.raw();
  part.n_stress_points = nullptr;
  part.stress_y = nullptr;
  part.analysis_level = nullptr;
  MeshedPartsInput p;
  ASSERT_EQ(read_meshed_parts(part, MeshedPartsExport::part_main, p), Status::ok);
  EXPECT_TRUE(p.stress_y.empty());

  // The same omissions are errors for the export that has those arguments.
  MeshedPartsInput c;
  EXPECT_THROW(read_meshed_parts(detail, MeshedPartsExport::comb_main, c), CallError);
  EXPECT_THROW(read_meshed_parts(part, MeshedPartsExport::comb_main, c), CallError);
}

}  // namespace
}  // namespace bsp
