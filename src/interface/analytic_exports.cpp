// BSPAnalyticTorsionalConstant and BSPAnalyticShearArea: the C boundary of
// the closed forms. The outputs are zeroed first; a known code reads exactly
// the number of dimensions it needs, and only when the array is present.
#include <cstdint>
#include <optional>
#include <span>

#include "bsp/bsp.h"
#include "interface/caller_arrays.h"
#include "interface/firewall.h"
#include "standard/analytic_section.h"

namespace {

std::optional<std::span<const double>> shape_dimensions(const int32_t* section_type, const double* dimensions) {
  if (section_type == nullptr) return std::nullopt;
  const std::int32_t n = bsp::analytic_dimension_count(*section_type);
  if (n == 0) return std::nullopt;
  return bsp::caller_input(dimensions, static_cast<std::size_t>(n));
}

}  // namespace

extern "C" BSP_API void BSPAnalyticTorsionalConstant(const int32_t* section_type, const double* dimensions,
                                                     double* torsional_constant) {
  if (torsional_constant == nullptr) return;
  *torsional_constant = 0.0;
  bsp::guarded_void_call(
      [&] {
        if (const auto dims = shape_dimensions(section_type, dimensions))
          *torsional_constant = bsp::analytic_torsional_constant(*section_type, *dims);
      },
      [&] { *torsional_constant = 0.0; });
}

extern "C" BSP_API void BSPAnalyticShearArea(const int32_t* section_type, const double* dimensions,
                                             double* shear_area_1, double* shear_area_2) {
  if (shear_area_1 != nullptr) *shear_area_1 = 0.0;
  if (shear_area_2 != nullptr) *shear_area_2 = 0.0;
  bsp::guarded_void_call(
      [&] {
        const auto dims = shape_dimensions(section_type, dimensions);
        if (!dims) return;
        const bsp::ShearAreas s = bsp::analytic_shear_area(*section_type, *dims);
        if (shear_area_1 != nullptr) *shear_area_1 = s.first;
        if (shear_area_2 != nullptr) *shear_area_2 = s.second;
      },
      [&] {
        if (shear_area_1 != nullptr) *shear_area_1 = 0.0;
        if (shear_area_2 != nullptr) *shear_area_2 = 0.0;
      });
}
