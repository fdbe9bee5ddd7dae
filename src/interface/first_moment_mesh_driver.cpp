#include "interface/first_moment_mesh_driver.h"

#include <cmath>
#include <cstdint>
#include <exception>
#include <new>
#include <numbers>
#include <string>

#include "geometry/element_sizing.h"
#include "interface/outline_driver.h"

namespace bsp {
namespace {

// Weighted area and moments of one meshed region, in scaled units; throws
// CallError when a triangle has det J <= 0. The error flag starts at 0 on
// every call: FIRST_MOMENT_OF_AREA never clears it.
FirstMoments integrate(const RegionMesh& region, double y_ref, double z_ref, double e_ref, double e) {
  std::int32_t error = 0;
  const FirstMoments m = FIRST_MOMENT_OF_AREA(3, 3, region.mesh.connectivity, region.mesh.x, region.mesh.y,
                                              region.mesh.n_elements, y_ref, z_ref, e_ref, e, error);
  if (error != 0) throw CallError(Status::invalid_input, "a triangle has a Jacobian determinant <= 0");
  return m;
}

}  // namespace

std::vector<double> first_moment_attempt_sizes(double element_size) {
  if (element_size == 0.0) return {0.0};
  std::vector<double> sizes;
  const double step = element_size / 5.0;
  double s = element_size;
  for (int i = 0; i < 5; ++i, s -= step) sizes.push_back(s);
  sizes.push_back(0.0);
  return sizes;
}

FirstMoments first_moments_at_size(const OutlineInput& in, double y_ref, double z_ref, double element_size) {
  const OutlineDomain domain =
      make_outline_domain(in.outline, element_size, first_moment_size_divisors, in.region_modulus);
  const double f = domain.size.f;
  const double ys = f * y_ref, zs = f * z_ref;  // the reference point in the mesh's coordinates
  FirstMoments sum;
  for (const std::size_t r : domain.solid) {
    const double e = in.region_modulus[r];
    FirstMoments m;
    try {
      m = integrate(mesh_region_with(domain.section, r, false, RegionMesher::grid), ys, zs, in.ref_modulus, e);
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception&) {
      try {
        m = integrate(mesh_region_with(domain.section, r, false, RegionMesher::loop), ys, zs, in.ref_modulus, e);
      } catch (const std::bad_alloc&) {
        throw;
      } catch (const std::exception& err) {
        throw CallError(Status::invalid_input, "region " + std::to_string(r + 1) + " cannot be meshed: " + err.what());
      }
    }
    // Areas scale by f^2, moments by f^3 (a negative f turns by 180 degrees
    // and keeps the triangles counter-clockwise).
    sum.area += m.area / (f * f);
    sum.qx += m.qx / (f * f * f);
    sum.qy += m.qy / (f * f * f);
  }
  // A bar replaces the matrix it occupies: only its excess stiffness counts.
  for (std::size_t b = 0; b < in.bar_radius.size(); ++b) {
    const double r = in.bar_radius[b];
    const double da = std::numbers::pi * r * r * (in.bar_modulus[b] / in.ref_modulus - 1.0);
    sum.area += da;
    sum.qx += (in.bar_z[b] - z_ref) * da;
    sum.qy += (in.bar_y[b] - y_ref) * da;
  }
  return sum;
}

}  // namespace bsp
