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
    return {.n_nodes = &n_nodes, .n_elements = &n_elements, .n_materials = &n_materials, .n_parts = &n_parts,
            .node_y = y.data(), .node_z = z.data(), .connectivity = conn.data(), .element_material = material.data(),
            .part_node_count = part_nodes.data(), .part_element_count = part_elements.data(),
            .ref_modulus = &e_ref, .ref_poisson = &nu_ref, .ref_area_weight = &w_ref, .material_modulus = e.data(),
            .material_poisson = nu.data(), .material_area_weight = w.data(), .n_bars = &n_bars,
            .n_stress_points = &n_sp, .stress_y = sp_y.data(), .stress_z = sp_z.data(), .analysis_level = &level,
            .stress_reference = &reference, .six_node_elements = &six};
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
