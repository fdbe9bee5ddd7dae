// BSPMAIN, BSPMAIN_EXPAND and BSPPlasticModulus: the C boundary of the
// standard sections. The dimension array is in/out (the validation writes its
// corrections back); the result vector's slots 0-37 are written on every path
// that has a result array.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "bsp/bsp.h"
#include "interface/firewall.h"
#include "interface/standard_points.h"
#include "interface/thread_count.h"
#include "solver/plastic_modulus.h"
#include "solver/section_result_vector.h"
#include "solver/standard_section_solver.h"
#include "standard/section_catalogue.h"
#include "standard/stress_point.h"

namespace bsp {
namespace {

namespace s = section_slot;

static_assert(BSP_STD_SLOT_POINTS == 5 && BSP_STD_SLOT_PLASTIC_MODULUS_Y == 30 &&
              BSP_STD_SLOT_PLASTIC_MODULUS_Z == 31 && BSP_STD_RESULT_SIZE == s::basic_count);

enum class Origin { centroid, shear_centre };
enum class PointOrder { type1, type2 };

void standard_main(double* result, double* dimensions, const std::int32_t* section_type, const double* poisson,
                   const std::int32_t* mode, Origin origin, PointOrder order) {
  const std::span<double> out(result, s::basic_count);
  std::fill(out.begin(), out.end(), 0.0);
  if (section_type == nullptr || poisson == nullptr) return;
  // The shear modulus ratio 1 / (2 (1 + nu)) needs a finite nu above -1;
  // without it there is no section to give points for.
  if (!std::isfinite(*poisson) || *poisson <= -1.0) return;
  const std::int32_t type = *section_type;
  const std::int32_t n_dims = standard_dimension_count(type);
  if (n_dims > 0 && dimensions == nullptr) return;
  const std::span<double> dims(dimensions, static_cast<std::size_t>(n_dims));

  const ThreadCountGuard threads;
  StressPoint::stress_coord_type1 type1;
  StressPoint::stress_coord_type2 type2;
  StressPoint::stress_coord_base& points_object =
      order == PointOrder::type1 ? static_cast<StressPoint::stress_coord_base&>(type1) : type2;

  const StandardSectionInput in{.section_type = type, .nu = *poisson, .mode = mode != nullptr ? *mode : 0,
                                .analysis_flag = 1, .thread_count = threads.threads()};
  SOLVE_STANDARD_SECTION(in, dims, out);

  points_object.enabled = true;
  write_standard_points(points_object, type, dims, origin == Origin::shear_centre, out);
}

void guarded_standard_main(double* result, double* dimensions, const std::int32_t* section_type,
                           const double* poisson, const std::int32_t* mode, Origin origin, PointOrder order) noexcept {
  if (result == nullptr) return;
  guarded_void_call([&] { standard_main(result, dimensions, section_type, poisson, mode, origin, order); },
                    [&] { std::fill_n(result, s::basic_count, 0.0); });
}

}  // namespace
}  // namespace bsp

extern "C" BSP_API void BSPMAIN(double* result, double* dimensions, const int32_t* section_type,
                                const int32_t* /*a4*/, const double* poisson, const int32_t* a6,
                                const int32_t* /*a7*/) {
  bsp::guarded_standard_main(result, dimensions, section_type, poisson, a6, bsp::Origin::shear_centre,
                             bsp::PointOrder::type1);
}

extern "C" BSP_API void BSPMAIN_EXPAND(double* result, double* dimensions, const int32_t* section_type,
                                       const int32_t* /*a4*/, const double* poisson, const int32_t* a6,
                                       const int32_t* /*a7*/, const int32_t* offset_mode,
                                       const int32_t* point_order) {
  const bool centroid = offset_mode != nullptr && *offset_mode == 0;
  const bool type2 = point_order != nullptr && *point_order == 0;
  bsp::guarded_standard_main(result, dimensions, section_type, poisson, a6,
                             centroid ? bsp::Origin::centroid : bsp::Origin::shear_centre,
                             type2 ? bsp::PointOrder::type2 : bsp::PointOrder::type1);
}

extern "C" BSP_API int32_t BSPPlasticModulus(const int32_t* section_type, double* dimensions,
                                             double* plastic_modulus_1, double* plastic_modulus_2) {
  if (plastic_modulus_1 != nullptr) *plastic_modulus_1 = 0.0;
  if (plastic_modulus_2 != nullptr) *plastic_modulus_2 = 0.0;
  const auto zero = [&] {
    if (plastic_modulus_1 != nullptr) *plastic_modulus_1 = 0.0;
    if (plastic_modulus_2 != nullptr) *plastic_modulus_2 = 0.0;
  };
  return bsp::guarded_call(
      [&] {
        if (section_type == nullptr || plastic_modulus_1 == nullptr || plastic_modulus_2 == nullptr)
          return bsp::Status::invalid_input;
        const std::int32_t n = bsp::standard_dimension_count(*section_type);
        if (n > 0 && dimensions == nullptr) return bsp::Status::invalid_input;
        std::int32_t status = 0;
        double z1 = 0.0, z2 = 0.0;
        bsp::PLASTIC_MODULUS(*section_type, std::span<double>(dimensions, static_cast<std::size_t>(n)), z1, z2,
                             status);
        if (status != 0) return bsp::Status::invalid_input;
        *plastic_modulus_1 = z1;
        *plastic_modulus_2 = z2;
        return bsp::Status::ok;
      },
      zero);
}
