// BSPMAINGENERAL and BSPMAINGENCIVIL: the standard sections through the
// general meshed path (interface/template_section.h). Both return 0 or -1;
// the dimension array is in/out.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>

#include "bsp/bsp.h"
#include "common/status.h"
#include "interface/firewall.h"
#include "interface/template_section.h"
#include "standard/section_catalogue.h"

namespace bsp {
namespace {

std::int32_t guarded_template(double* result, double* dimensions, const std::int32_t* section_type,
                              const double* poisson, const std::int32_t* a6, const std::int32_t* a7,
                              std::int32_t offset_mode, std::int32_t point_order) noexcept {
  if (result == nullptr) return to_code(Status::invalid_input);
  bool touched = false;
  const std::int32_t code = guarded_call(
      [&] {
        if (section_type == nullptr || poisson == nullptr)
          throw CallError(Status::invalid_input, "section_type or poisson is NULL");
        const std::int32_t type = *section_type;
        if (type < 1 || type > 27)
          throw CallError(Status::invalid_input, "section type " + std::to_string(type) + " is outside 1..27");
        if (!(*poisson <= 0.5)) throw CallError(Status::invalid_input, "Poisson's ratio is above 0.5 or not finite");
        const auto n = static_cast<std::size_t>(standard_dimension_count(type));
        if (dimensions == nullptr) throw CallError(Status::invalid_input, "dimensions is NULL");
        touched = true;
        const TemplateArgs args{.section_type = type, .nu = *poisson, .a6 = a6 != nullptr ? *a6 : 0,
                                .a7 = a7 != nullptr ? *a7 : 0, .offset_mode = offset_mode,
                                .point_order = point_order};
        std::string why;
        if (template_section_general(std::span<double, 38>(result, 38), std::span<double>(dimensions, n), args,
                                     &why) != 0)
          throw CallError(Status::invalid_input, why);
        return Status::ok;
      },
      [&] {
        if (touched) std::fill_n(result, 38, 0.0);
      });
  return code == 0 ? 0 : -1;
}

}  // namespace
}  // namespace bsp

extern "C" BSP_API int32_t BSPMAINGENERAL(double* result, double* dimensions, const int32_t* section_type,
                                          const int32_t* /*a4*/, const double* poisson, const int32_t* a6,
                                          const int32_t* a7, const int32_t* offset_mode, const int32_t* /*a9*/) {
  return bsp::guarded_template(result, dimensions, section_type, poisson, a6, a7,
                               offset_mode != nullptr ? *offset_mode : 1, 1);
}

extern "C" BSP_API int32_t BSPMAINGENCIVIL(double* result, double* dimensions, const int32_t* section_type,
                                           const int32_t* /*a4*/, const double* poisson, const int32_t* a6,
                                           const int32_t* a7, const int32_t* /*a8*/) {
  return bsp::guarded_template(result, dimensions, section_type, poisson, a6, a7, 0, 0);
}
