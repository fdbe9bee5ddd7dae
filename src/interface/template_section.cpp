#include "interface/template_section.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

#include "interface/meshed_parts_driver.h"
#include "interface/meshed_parts_input.h"
#include "interface/standard_points.h"
#include "interface/thread_count.h"
#include "solver/classical_shear_stress.h"
#include "solver/first_moment.h"
#include "solver/plastic_modulus.h"
#include "solver/section_result_vector.h"
#include "solver/standard_section_solver.h"
#include "standard/section_catalogue.h"
#include "standard/stress_point.h"

namespace bsp {

namespace {

namespace s = section_slot;

constexpr std::size_t slot_plastic_first = 30;
constexpr std::size_t slot_plastic_second = 31;

// The meshed path into out (slots 0..37); false when the
// combined-section path fails. The stress points and the elastic moduli
// from them are written afterwards, from the catalogue.
bool meshed_path(std::span<double, 38> out, std::span<const double> dims, const TemplateArgs& a) {
  const std::int32_t type = a.section_type;
  const TriangleMesh mesh = split_quadrilaterals(standard_section_mesh(type, dims));
  const auto n_nodes = static_cast<std::int32_t>(mesh.x.size());
  const std::int32_t n_tri = mesh.n_triangles();
  if (n_nodes == 0 || n_tri == 0) return false;

  std::int32_t error = 0;
  const FirstMoments m =
      FIRST_MOMENT_OF_AREA(3, 3, mesh.connectivity, mesh.x, mesh.y, n_tri, 0.0, 0.0, 1.0, 1.0, error);
  if (error != 0 || !(m.area > 0.0)) return false;
  const double oy = m.qy / m.area, oz = m.qx / m.area;

  std::vector<double> y(mesh.x), z(mesh.y);
  for (std::size_t i = 0; i < y.size(); ++i) {
    y[i] -= oy;
    z[i] -= oz;
  }
  const std::vector<std::int32_t> material(static_cast<std::size_t>(n_tri), 1);

  const std::int32_t one = 1, zero = 0;
  const double unit = 1.0;
  const std::int32_t level = a.a7;
  MeshedPartsArgs args;
  args.n_nodes = &n_nodes;
  args.n_elements = &n_tri;
  args.n_materials = &one;
  args.n_parts = &one;
  args.node_y = y.data();
  args.node_z = z.data();
  args.connectivity = mesh.connectivity.data();
  args.element_material = material.data();
  args.part_node_count = &n_nodes;
  args.part_element_count = &n_tri;
  args.ref_modulus = &unit;
  args.ref_poisson = &a.nu;
  args.ref_area_weight = &unit;
  args.material_modulus = &unit;
  args.material_poisson = &a.nu;
  args.material_area_weight = &unit;
  args.n_bars = &zero;
  args.n_stress_points = &zero;
  args.analysis_level = &level;
  args.stress_reference = &a.offset_mode;
  args.six_node_elements = &zero;

  const auto size = comb_result_size(&zero, &level);
  if (!size) return false;
  std::vector<double> buffer(*size, 0.0);
  if (comb_main(args, buffer, {}) != Status::ok) return false;
  std::copy_n(buffer.begin(), s::basic_count, out.begin());

  out[s::centroid_first] = oy;
  out[s::centroid_second] = oz;
  std::array<double, max_standard_dimensions> copy{};
  std::copy(dims.begin(), dims.end(), copy.begin());
  double z1 = 0.0, z2 = 0.0;
  std::int32_t plastic_status = 0;
  PLASTIC_MODULUS(type, std::span<double>(copy).first(dims.size()), z1, z2, plastic_status);
  out[slot_plastic_first] = plastic_status == 0 ? z1 : 0.0;
  out[slot_plastic_second] = plastic_status == 0 ? z2 : 0.0;
  if (a.a7 > 0)
    classical_shear_maxima(type, dims, out[s::centroid_first], out[s::centroid_second], out[s::i1], out[s::i2], a.nu,
                           out.subspan<s::pair_first_psi, 4>());
  return true;
}

}  // namespace

TriangleMesh split_quadrilaterals(const T_SECDATA& quads) {
  TriangleMesh t;
  t.x = quads.x;
  t.y = quads.y;
  t.connectivity.reserve(static_cast<std::size_t>(quads.n_elements) * 6);
  for (std::int32_t e = 0; e < quads.n_elements; ++e) {
    const std::int32_t* q = quads.connectivity.data() + 4 * static_cast<std::size_t>(e);
    t.connectivity.insert(t.connectivity.end(), {q[0], q[1], q[3], q[1], q[2], q[3]});
  }
  return t;
}

std::int32_t template_section_general(std::span<double, 38> result, std::span<double> dimensions,
                                      const TemplateArgs& a, std::string* why) {
  const auto fail = [why](std::string text) {
    if (why != nullptr) *why = std::move(text);
    return -1;
  };
  if (!(a.nu <= 0.5)) return fail("Poisson's ratio is above 0.5 or not finite");  // also rejects NaN
  const std::int32_t type = a.section_type;
  if (type < 1 || type > 27) return fail("section type " + std::to_string(type) + " is outside 1..27");
  std::fill(result.begin(), result.end(), 0.0);

  // The dimensions are validated before anything is meshed: a corrected
  // array means the caller's shape was not what was asked for.
  std::int32_t status = 0;
  check_standard_dimensions(dimensions, type, status);
  if (status != 0)
    return fail("the dimensions of type " + std::to_string(type) + " failed validation (status " +
                std::to_string(status) + "); the corrected values are in the dimension array");
  const std::span<const double> dims = dimensions.first(static_cast<std::size_t>(standard_dimension_count(type)));

  StressPoint::stress_coord_type1 type1;
  StressPoint::stress_coord_type2 type2;
  StressPoint::stress_coord_base& points_object =
      a.point_order != 0 ? static_cast<StressPoint::stress_coord_base&>(type1) : type2;
  points_object.enabled = true;

  if (type == 18 || type == 19) {
    const ThreadCountGuard threads;
    const StandardSectionInput in{.section_type = type, .nu = a.nu, .mode = a.a6, .analysis_flag = a.a7,
                                  .thread_count = threads.threads()};
    std::array<double, max_standard_dimensions> copy{};
    std::copy(dims.begin(), dims.end(), copy.begin());
    if (SOLVE_STANDARD_SECTION(in, std::span<double>(copy).first(dims.size()), result) != 0 ||
        !(result[s::area] > 0.0)) {
      std::fill(result.begin(), result.end(), 0.0);
      return fail("the standard-section solver found no section for type " + std::to_string(type));
    }
  } else if (!meshed_path(result, dims, a)) {
    std::fill(result.begin(), result.end(), 0.0);
    return fail("the meshed section of type " + std::to_string(type) + " could not be solved");
  }

  // Final stress points about the chosen origin; the stress-point classes
  // already return them relative to that origin.
  write_standard_points(points_object, type, dims, a.offset_mode != 0, result);
  return 0;
}

}  // namespace bsp
