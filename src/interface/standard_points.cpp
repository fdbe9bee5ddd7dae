#include "interface/standard_points.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "bsp/bsp.h"
#include "solver/section_result_vector.h"

namespace bsp {
namespace {

namespace s = section_slot;

// Of the values in order, the one of largest magnitude (the first on a tie),
// sign kept.
double extreme(std::array<double, 4> v) {
  double best = v[0];
  for (double x : v)
    if (std::abs(x) > std::abs(best)) best = x;
  return best;
}

}  // namespace

void write_standard_points(const StressPoint::stress_coord_base& points, std::int32_t type,
                           std::span<const double> dims, bool about_shear_centre, std::span<double> result) {
  const double yc = result[s::centroid_first], zc = result[s::centroid_second];
  double cy = yc, cz = zc;
  if (about_shear_centre) {
    cy -= result[s::centroid_minus_shear_centre_first];
    cz -= result[s::centroid_minus_shear_centre_second];
  }
  StressPoint::Points p{};
  StressPoint::evaluate_stress_points(points, p, type, dims, cy, cz);
  std::copy(p.begin(), p.end(), result.begin() + BSP_STD_SLOT_POINTS);

  const double dy = cy - yc, dz = cz - zc;
  const double y_max = extreme({p[0] + dy, p[2] + dy, p[4] + dy, p[6] + dy});
  const double z_max = extreme({p[1] + dz, p[3] + dz, p[5] + dz, p[7] + dz});
  result[s::modulus_second] = z_max != 0.0 ? result[s::i2] / z_max : 0.0;
  result[s::modulus_first] = y_max != 0.0 ? result[s::i1] / y_max : 0.0;
}

}  // namespace bsp
