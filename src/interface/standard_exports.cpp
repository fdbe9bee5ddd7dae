// BSPMAIN, BSPMAIN_EXPAND and BSPPlasticModulus: the C boundary of the
// standard sections. The dimension array is in/out (the validation writes its
// corrections back); the result vector's slots 0-37 are written on every path
// that has a result array, and every path without properties says why in
// BSPLastError.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

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

// Why a call whose dimensions the validation changed or flagged gives no
// properties (the same wording as the general path's).
std::string validation_failure(std::int32_t type, std::int32_t status) {
  return "the dimensions of type " + std::to_string(type) + " failed validation (status " + std::to_string(status) +
         "); the corrected values are in the dimension array";
}

// Returns why the call gives no properties, or "" when it gives them. The
// stress points of corrected dimensions are still written, so a failure
// after the validation is reported by text, not by the firewall's zeroing.
std::string standard_main(double* result, double* dimensions, const std::int32_t* section_type,
                          const double* poisson, const std::int32_t* mode, Origin origin, PointOrder order) {
  const std::span<double> out(result, s::basic_count);
  std::fill(out.begin(), out.end(), 0.0);
  if (section_type == nullptr || poisson == nullptr) return "section_type or poisson is NULL";
  // The shear modulus ratio 1 / (2 (1 + nu)) needs a finite nu above -1;
  // without it there is no section to give points for.
  if (!std::isfinite(*poisson) || *poisson <= -1.0) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", *poisson);
    return std::string("Poisson's ratio ") + text + " is not a finite value above -1";
  }
  const std::int32_t type = *section_type;
  if (type < first_standard_type || type > last_standard_type)
    return "section type " + std::to_string(type) + " is outside 1..27";
  const std::int32_t n_dims = standard_dimension_count(type);
  if (n_dims > 0 && dimensions == nullptr) return "dimensions is NULL";
  const std::span<double> dims(dimensions, static_cast<std::size_t>(n_dims));

  const ThreadCountGuard threads;
  StressPoint::stress_coord_type1 type1;
  StressPoint::stress_coord_type2 type2;
  StressPoint::stress_coord_base& points_object =
      order == PointOrder::type1 ? static_cast<StressPoint::stress_coord_base&>(type1) : type2;

  const StandardSectionInput in{.section_type = type, .nu = *poisson, .mode = mode != nullptr ? *mode : 0,
                                .analysis_flag = 1, .thread_count = threads.threads()};
  const std::int32_t status = SOLVE_STANDARD_SECTION(in, dims, out);

  points_object.enabled = true;
  write_standard_points(points_object, type, dims, origin == Origin::shear_centre, out);
  if (status != dimension_status::ok) return validation_failure(type, status);
  if (!(out[s::area] > 0.0)) return "the section of type " + std::to_string(type) + " could not be solved";
  return {};
}

void guarded_standard_main(double* result, double* dimensions, const std::int32_t* section_type,
                           const double* poisson, const std::int32_t* mode, Origin origin, PointOrder order) noexcept {
  if (result == nullptr) return;
  std::string why;
  guarded_void_call([&] { why = standard_main(result, dimensions, section_type, poisson, mode, origin, order); },
                    [&] { std::fill_n(result, s::basic_count, 0.0); });
  if (!why.empty()) set_last_error(why);
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
        using bsp::CallError, bsp::Status;
        if (section_type == nullptr || plastic_modulus_1 == nullptr || plastic_modulus_2 == nullptr)
          throw CallError(Status::invalid_input, "section_type, plastic_modulus_1 or plastic_modulus_2 is NULL");
        const std::int32_t type = *section_type;
        const std::int32_t n = bsp::standard_dimension_count(type);
        if (n > 0 && dimensions == nullptr) throw CallError(Status::invalid_input, "dimensions is NULL");
        std::int32_t status = 0;
        double z1 = 0.0, z2 = 0.0;
        bsp::PLASTIC_MODULUS(type, std::span<double>(dimensions, static_cast<std::size_t>(n)), z1, z2, status);
        if (status == bsp::dimension_status::unknown_type)
          throw CallError(Status::invalid_input, "section type " + std::to_string(type) +
                                                     " has no plastic moduli (types 1..14 and 18..26 have)");
        if (status != 0) throw CallError(Status::invalid_input, bsp::validation_failure(type, status));
        *plastic_modulus_1 = z1;
        *plastic_modulus_2 = z2;
        return bsp::Status::ok;
      },
      zero);
}
