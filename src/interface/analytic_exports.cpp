// BSPAnalyticTorsionalConstant and BSPAnalyticShearArea: the C boundary of
// the closed forms. The outputs are zeroed first; a known code reads exactly
// the number of dimensions it needs, and only when the array is present.
//
// Every formula is homogeneous in the dimensions (J of degree 4, the shear
// areas of degree 2), so each is evaluated on the dimensions divided by the
// power of two nearest above the largest one and scaled back: dimensions near
// the ends of the double range then give the true value, or overflow or
// underflow cleanly, never 0/0. Scaling by a power of two is exact, so in the
// ordinary range the values are bit for bit those of the plain formulas.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "bsp/bsp.h"
#include "interface/caller_arrays.h"
#include "interface/firewall.h"
#include "interface/message.h"
#include "standard/analytic_section.h"

namespace {

// The dimensions of a known code, each finite and > 0, times 2^-scale, where
// 2^scale is the power of two just above the largest. Throws with the first
// fault.
std::vector<double> scaled_dimensions(const int32_t* section_type, const double* dimensions, int& scale) {
  if (section_type == nullptr) bsp::reject_input("section_type is NULL");
  const std::int32_t n = bsp::analytic_dimension_count(*section_type);
  if (n == 0) bsp::reject_input("shape code ", *section_type, " is not one of 1..10");
  const auto dims = bsp::caller_input(dimensions, static_cast<std::size_t>(n));
  if (!dims) bsp::reject_input("dimensions is NULL but shape code ", *section_type, " reads ", n, " values");
  for (std::size_t i = 0; i < dims->size(); ++i)
    if (!(std::isfinite((*dims)[i]) && (*dims)[i] > 0.0))
      bsp::reject_input("dimension D", i + 1, " of shape code ", *section_type, " is ", (*dims)[i],
                        ", not a finite value > 0");
  std::frexp(*std::max_element(dims->begin(), dims->end()), &scale);
  std::vector<double> scaled(dims->begin(), dims->end());
  for (double& d : scaled) d = std::ldexp(d, -scale);
  return scaled;
}

// value * 2^(scale degree); a result that is not finite and > 0 is refused
// with its reason.
double rescale(double value, int scale, int degree, std::int32_t code, const char* what) {
  if (!(value > 0.0))
    bsp::reject_input("the dimensions of shape code ", code, " describe no such shape: ", what, " comes out ",
                      value, ", not > 0");
  value = std::ldexp(value, scale * degree);
  if (!std::isfinite(value)) bsp::reject_input(what, " of shape code ", code, " overflows the double range");
  if (!(value > 0.0)) bsp::reject_input(what, " of shape code ", code, " underflows the double range");
  return value;
}

}  // namespace

extern "C" BSP_API void BSPAnalyticTorsionalConstant(const int32_t* section_type, const double* dimensions,
                                                     double* torsional_constant) {
  if (torsional_constant != nullptr) *torsional_constant = 0.0;
  bsp::guarded_void_call(
      [&] {
        if (torsional_constant == nullptr) bsp::reject_input("torsional_constant is NULL");
        int scale = 0;
        const auto dims = scaled_dimensions(section_type, dimensions, scale);
        const double j = bsp::analytic_torsional_constant(*section_type, dims);
        *torsional_constant = rescale(j, scale, 4, *section_type, "J");
      },
      [&] {
        if (torsional_constant != nullptr) *torsional_constant = 0.0;
      });
}

extern "C" BSP_API void BSPAnalyticShearArea(const int32_t* section_type, const double* dimensions,
                                             double* shear_area_1, double* shear_area_2) {
  if (shear_area_1 != nullptr) *shear_area_1 = 0.0;
  if (shear_area_2 != nullptr) *shear_area_2 = 0.0;
  bsp::guarded_void_call(
      [&] {
        int scale = 0;
        const auto dims = scaled_dimensions(section_type, dimensions, scale);
        const bsp::ShearAreas s = bsp::analytic_shear_area(*section_type, dims);
        const double a1 = rescale(s.first, scale, 2, *section_type, "shear area 1");
        const double a2 = rescale(s.second, scale, 2, *section_type, "shear area 2");
        if (shear_area_1 != nullptr) *shear_area_1 = a1;
        if (shear_area_2 != nullptr) *shear_area_2 = a2;
      },
      [&] {
        if (shear_area_1 != nullptr) *shear_area_1 = 0.0;
        if (shear_area_2 != nullptr) *shear_area_2 = 0.0;
      });
}
