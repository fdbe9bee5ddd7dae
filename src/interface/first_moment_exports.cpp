// BSPFirstMomentOfArea: weighted area and first moments of a host's mesh of
// 3-node triangles plus circular bars. A void export: on any rejected input
// the three outputs are 0.0 and the calling thread's last-error message names
// the check (BSPLastError). BSPFirstMomentOfAreaMesh: the same for an outline
// the library meshes (first_moment_mesh_driver.h); on failure the same
// zeros and a result code.
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "bsp/bsp.h"
#include "common/status.h"
#include "interface/caller_arrays.h"
#include "interface/firewall.h"
#include "interface/first_moment_mesh_driver.h"
#include "interface/outline_input.h"
#include "solver/first_moment.h"

namespace bsp {
namespace {

[[noreturn]] void reject(const std::string& what) { throw CallError(Status::invalid_input, what); }

std::int32_t count_of(const std::int32_t* p, const char* name) {
  if (p == nullptr) reject(std::string(name) + " is NULL");
  if (*p < 0) reject(std::string(name) + " is negative (" + std::to_string(*p) + ")");
  return *p;
}

double finite_scalar(const double* p, const char* name) {
  if (p == nullptr) reject(std::string(name) + " is NULL");
  if (!std::isfinite(*p)) reject(std::string(name) + " is not finite");
  return *p;
}

std::span<const double> finite_array(const double* p, std::int32_t n, const char* name) {
  const auto v = caller_input(p, static_cast<std::size_t>(n));
  if (!v) reject(std::string(name) + " is NULL");
  for (std::size_t i = 0; i < v->size(); ++i)
    if (!std::isfinite((*v)[i])) reject(std::string(name) + " " + std::to_string(i + 1) + " is not finite");
  return *v;
}

struct FirstMomentOutputs {
  double* area;
  double* moment_z;
  double* moment_y;
};

struct FirstMomentArgs {
  const double *y_ref, *z_ref;
  const std::int32_t *n_nodes, *n_elements;
  const double *node_y, *node_z;
  const std::int32_t* connectivity;
  const double *ref_modulus, *section_modulus;
  const std::int32_t* n_bars;
  const double *bar_radius, *bar_y, *bar_z, *bar_modulus;
};

void first_moment_of_area(const FirstMomentArgs& a, const FirstMomentOutputs& out) {
  const double y_ref = finite_scalar(a.y_ref, "y_ref");
  const double z_ref = finite_scalar(a.z_ref, "z_ref");
  const double e_ref = finite_scalar(a.ref_modulus, "ref_modulus");
  if (!(e_ref > 0.0)) reject("ref_modulus is not above 0");
  const double e = finite_scalar(a.section_modulus, "section_modulus");
  const std::int32_t n_nodes = count_of(a.n_nodes, "n_nodes");
  const std::int32_t n_elements = count_of(a.n_elements, "n_elements");
  const std::int32_t n_bars = count_of(a.n_bars, "n_bars");
  const auto y = finite_array(a.node_y, n_nodes, "node_y");
  const auto z = finite_array(a.node_z, n_nodes, "node_z");
  const auto size = checked_size(n_elements, 3);
  if (!size) reject("3 n_elements overflows");
  const auto conn = caller_input(a.connectivity, *size);
  if (!conn) reject("connectivity is NULL");

  // Counter-clockwise copy of the connectivity: a clockwise triangle is
  // integrated with its nodes 2 and 3 swapped, i.e. with |det J|.
  std::vector<std::int32_t> ccw(conn->begin(), conn->end());
  for (std::int32_t e_i = 0; e_i < n_elements; ++e_i) {
    std::int32_t* tri = ccw.data() + 3 * static_cast<std::size_t>(e_i);
    for (int k = 0; k < 3; ++k)
      if (tri[k] < 1 || tri[k] > n_nodes)
        reject("node " + std::to_string(tri[k]) + " of element " + std::to_string(e_i + 1) + " is out of range 1.." +
               std::to_string(n_nodes));
    const auto p = [&](int k) { return static_cast<std::size_t>(tri[k] - 1); };
    const double cross = (y[p(1)] - y[p(0)]) * (z[p(2)] - z[p(0)]) - (z[p(1)] - z[p(0)]) * (y[p(2)] - y[p(0)]);
    if (cross < 0.0) std::swap(tri[1], tri[2]);
  }

  const auto radius = finite_array(a.bar_radius, n_bars, "bar_radius");
  const auto bar_y = finite_array(a.bar_y, n_bars, "bar_y");
  const auto bar_z = finite_array(a.bar_z, n_bars, "bar_z");
  const auto bar_e = finite_array(a.bar_modulus, n_bars, "bar_modulus");
  for (std::int32_t i = 0; i < n_bars; ++i)
    if (radius[static_cast<std::size_t>(i)] < 0.0) reject("bar_radius " + std::to_string(i + 1) + " is negative");

  std::int32_t error = 0;  // a degenerate triangle contributes 0 and is not an error here
  const FirstMoments m = FIRST_MOMENT_OF_AREA(3, 3, ccw, y, z, n_elements, y_ref, z_ref, e_ref, e, error);
  double area = m.area, mz = m.qx, my = m.qy;
  // A bar replaces the matrix it occupies: only its excess stiffness counts.
  for (std::size_t i = 0; i < static_cast<std::size_t>(n_bars); ++i) {
    const double da = std::numbers::pi * radius[i] * radius[i] * (bar_e[i] / e_ref - 1.0);
    area += da;
    mz += (bar_z[i] - z_ref) * da;
    my += (bar_y[i] - y_ref) * da;
  }
  if (!std::isfinite(area) || !std::isfinite(mz) || !std::isfinite(my))
    throw CallError(Status::solver_error, "the first moments are not finite");
  *out.area = area;
  *out.moment_z = mz;
  *out.moment_y = my;
}

}  // namespace
}  // namespace bsp

extern "C" BSP_API int32_t BSPFirstMomentOfAreaMesh(double* fm_area, double* fm_moment_z, double* fm_moment_y,
                                                    const double* y_ref, const double* z_ref,
                                                    const int32_t* n_regions, const int32_t* n_bars,
                                                    const double* bar_radius, const double* bar_y,
                                                    const double* bar_z, const double* ref_modulus,
                                                    const double* region_modulus, const double* bar_modulus,
                                                    const int32_t* n_points, const double* point_y,
                                                    const double* point_z, const int32_t* n_segments,
                                                    const int32_t* segments, const double* element_size) {
  const auto zero = [&] {
    for (double* p : {fm_area, fm_moment_z, fm_moment_y})
      if (p != nullptr) *p = 0.0;
  };
  zero();
  return bsp::guarded_call(
      [&] {
        using bsp::CallError, bsp::Status;
        if (fm_area == nullptr || fm_moment_z == nullptr || fm_moment_y == nullptr)
          throw CallError(Status::invalid_input, "an output pointer is NULL");
        const bsp::OutlineArgs a{.n_regions = n_regions, .n_bars = n_bars, .bar_radius = bar_radius, .bar_y = bar_y,
                                 .bar_z = bar_z, .ref_modulus = ref_modulus, .region_modulus = region_modulus,
                                 .bar_modulus = bar_modulus, .n_points = n_points, .point_y = point_y,
                                 .point_z = point_z, .n_segments = n_segments, .segments = segments,
                                 .element_size = element_size};
        bsp::OutlineInput in;
        bsp::read_outline(a, bsp::OutlineExport::first_moment_mesh, in);
        const double y0 = bsp::finite_scalar(y_ref, "y_ref");
        const double z0 = bsp::finite_scalar(z_ref, "z_ref");
        const bsp::FirstMoments m = bsp::run_first_moment_attempts(
            in.element_size, [&](double size) { return bsp::first_moments_at_size(in, y0, z0, size); });
        if (!std::isfinite(m.area) || !std::isfinite(m.qx) || !std::isfinite(m.qy))
          throw CallError(Status::solver_error, "the first moments are not finite");
        *fm_area = m.area;
        *fm_moment_z = m.qx;
        *fm_moment_y = m.qy;
        return Status::ok;
      },
      zero);
}

extern "C" BSP_API void BSPFirstMomentOfArea(double* fm_area, double* fm_moment_z, double* fm_moment_y,
                                             const double* y_ref, const double* z_ref, const int32_t* n_nodes,
                                             const int32_t* n_elements, const double* node_y, const double* node_z,
                                             const int32_t* connectivity, const double* ref_modulus,
                                             const double* section_modulus, const int32_t* n_bars,
                                             const double* bar_radius, const double* bar_y, const double* bar_z,
                                             const double* bar_modulus) {
  const auto zero = [&] {
    for (double* p : {fm_area, fm_moment_z, fm_moment_y})
      if (p != nullptr) *p = 0.0;
  };
  zero();
  bsp::guarded_void_call(
      [&] {
        if (fm_area == nullptr || fm_moment_z == nullptr || fm_moment_y == nullptr)
          throw bsp::CallError(bsp::Status::invalid_input, "an output pointer is NULL");
        bsp::first_moment_of_area({y_ref, z_ref, n_nodes, n_elements, node_y, node_z, connectivity, ref_modulus,
                                   section_modulus, n_bars, bar_radius, bar_y, bar_z, bar_modulus},
                                  {fm_area, fm_moment_z, fm_moment_y});
      },
      zero);
}
