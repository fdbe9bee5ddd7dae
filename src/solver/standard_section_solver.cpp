#include "solver/standard_section_solver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "solver/block_mesher.h"
#include "solver/classical_shear_stress.h"
#include "solver/plastic_modulus.h"
#include "solver/section_result_vector.h"
#include "solver/solver_entries.h"
#include "solver/standard_closed_form.h"
#include "standard/section_catalogue.h"

namespace bsp {
namespace {

namespace s = section_slot;

// Slots 30 and 31 of the standard path hold the plastic moduli (about the
// first axis first); the outline path keeps first moments there.
constexpr std::size_t plastic_modulus_first = 30;
constexpr std::size_t plastic_modulus_second = 31;

// The section entry on the block mesh.
Status solve_mesh(const StandardSectionInput& in, std::span<const double> dims, int level,
                  std::span<double> section) {
  const StandardMeshInput mesh(in.section_type, dims, in.nu, level, in.thread_count);
  return SOLVE_SECTION(mesh.input, section, {});
}

}  // namespace

StandardMeshInput::StandardMeshInput(std::int32_t section_type, std::span<const double> dimensions, double nu_,
                                     int analysis_level, std::int32_t thread_count)
    : mesh(standard_section_mesh(section_type, dimensions)),
      domain_elements{mesh.n_elements},
      domain_nodes{mesh.n_nodes},
      material(static_cast<std::size_t>(mesh.n_elements), 1),
      E{1.0},
      nu{nu_},
      w{1.0} {
  input.k = 4;
  input.domain_elements = domain_elements;
  input.domain_nodes = domain_nodes;
  input.node_x = mesh.x;
  input.node_y = mesh.y;
  input.connectivity = mesh.connectivity;
  input.material_numbers = material;
  input.n_materials = 1;
  input.materials = SolverMaterials{.E_ref = 1.0, .nu_ref = nu_, .w_ref = 1.0, .E = E, .nu = nu, .w = w};
  input.analysis_level = analysis_level;
  input.thread_count = thread_count;
}

std::int32_t SOLVE_STANDARD_SECTION(const StandardSectionInput& in, std::span<double> dimensions,
                                    std::span<double> result) {
  const std::span<double> out = result.first(s::basic_count);
  std::fill(out.begin(), out.end(), 0.0);
  std::int32_t status = dimension_status::ok;
  check_standard_dimensions(dimensions, in.section_type, status);
  if (status != dimension_status::ok) return status;
  // The shear modulus ratio 1 / (2 (1 + nu)) needs nu > -1.
  if (!std::isfinite(in.nu) || in.nu <= -1.0) return status;

  const std::int32_t type = in.section_type;
  const std::span<const double> dims = dimensions.first(static_cast<std::size_t>(standard_dimension_count(type)));
  const int level = in.analysis_flag != 0 ? 1 : 0;
  std::vector<double> section(s::size_for_level(level, 0), 0.0);
  const bool closed = type == 18 || type == 19 || (in.mode == standard_closed_form_mode && has_standard_closed_form(type));
  Status solved = Status::solver_error;
  if (closed) {
    if (const auto v = standard_closed_form(type, dims)) solved = fill_section_result(*v, {}, level, 0, section, {});
  } else {
    solved = solve_mesh(in, dims, level, section);
  }
  if (solved != Status::ok) return status;
  std::copy_n(section.begin(), s::basic_count, out.begin());

  // Without Poisson coupling a host expects the engineering maxima V Q / (I b).
  if (type != 18 && type != 19)
    classical_shear_maxima(type, dims, out[s::centroid_first], out[s::centroid_second], out[s::i1], out[s::i2], in.nu,
                           out.subspan<s::pair_first_psi, 4>());

  if (level == 0) return status;
  out[s::modulus_second] = 0.0;
  out[s::modulus_first] = 0.0;
  std::array<double, max_standard_dimensions> copy{};
  std::copy(dims.begin(), dims.end(), copy.begin());
  double z1 = 0.0, z2 = 0.0;
  std::int32_t plastic_status = 0;
  PLASTIC_MODULUS(type, std::span<double>(copy).first(dims.size()), z1, z2, plastic_status);
  out[plastic_modulus_first] = plastic_status == 0 ? z1 : 0.0;
  out[plastic_modulus_second] = plastic_status == 0 ? z2 : 0.0;
  return status;
}

}  // namespace bsp
