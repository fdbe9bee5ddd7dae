#include "solver/detail_stresses.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace bsp {
namespace {

// The element a point lies in, or null for an unlocated point or one in an
// inverted element (which is not part of the section).
template <class Elem>
const Elem* containing(std::span<const Elem> elements, const T_DETAIL& p) {
  if (p.element < 0 || static_cast<std::size_t>(p.element) >= elements.size()) return nullptr;
  const Elem& el = elements[static_cast<std::size_t>(p.element)];
  return el.inverted ? nullptr : &el;
}

const ElementMaterial* point_material(const T_MULTI_DOMAIN& m, const T_DETAIL& p) {
  return with_elements(m, [&p](auto elements) -> const ElementMaterial* {
    const auto* el = containing(elements, p);
    return el ? &el->material : nullptr;
  });
}

}  // namespace

void detail_stresses(const T_MULTI_DOMAIN& m, const DetailForces& f, std::span<const double> E,
                     std::span<const double> nu, std::span<double> out) {
  const std::size_t n_sp = m.details.size(), n_mat = std::min(E.size(), nu.size());
  std::fill(out.begin(), out.end(), 0.0);
  // Plane sections: sigma_ref = N/A + a x' + b y' with
  // [Iyy Ixy; Ixy Ixx] (a, b) = (M_x, M_y).
  const double det = m.Iyy * m.Ixx - m.Ixy * m.Ixy;
  const double a = (f.Mx * m.Ixx - f.My * m.Ixy) / det;
  const double b = (f.My * m.Iyy - f.Mx * m.Ixy) / det;
  const double twist = f.T / m.J;  // stresses per unit twist times G_ref theta

  double s_max = -std::numeric_limits<double>::infinity(), s_min = -s_max, t_max = 0, vm_max = -1;
  std::size_t vm_point = 0, vm_material = 0;
  for (std::size_t i = 0; i < n_sp; ++i) {
    const T_DETAIL& p = m.details[i];
    const double sigma_ref = f.N / m.A + a * (p.x - m.xc) + b * (p.y - m.yc);
    const ElementMaterial* own = point_material(m, p);
    // Stresses of the containing element's material; strain is what the
    // materials share.
    const double tx = own ? f.Vx * p.shear.tx_psi + f.Vy * p.shear.tx_phi + twist * p.torsion.t_zx : 0.0;
    const double ty = own ? f.Vx * p.shear.ty_psi + f.Vy * p.shear.ty_phi + twist * p.torsion.t_zy : 0.0;
    for (std::size_t mat = 0; mat < n_mat; ++mat) {
      const double sigma = E[mat] / m.E_ref * sigma_ref;
      const double g_ratio = own ? shear_modulus(E[mat], nu[mat]) / own->G : 0.0;
      const double sx = tx * g_ratio, sy = ty * g_ratio;
      const double shear = std::hypot(sx, sy);
      const double vm = std::sqrt(sigma * sigma + 3.0 * shear * shear);
      const std::size_t at = 4 * (mat * n_sp + i);
      out[at] = sigma;
      out[at + 1] = sx;
      out[at + 2] = sy;
      out[at + 3] = vm;
      s_max = std::max(s_max, sigma);
      s_min = std::min(s_min, sigma);
      t_max = std::max(t_max, shear);
      if (vm > vm_max) {
        vm_max = vm;
        vm_point = i + 1;
        vm_material = mat + 1;
      }
    }
  }
  const std::size_t tail = 4 * n_sp * n_mat;
  if (vm_point == 0) return;  // no pairs: the summary stays 0
  out[tail] = s_max;
  out[tail + 1] = s_min;
  out[tail + 2] = t_max;
  out[tail + 3] = vm_max;
  out[tail + 4] = static_cast<double>(vm_point);
  out[tail + 5] = static_cast<double>(vm_material);
}

void detail_point_materials(const T_MULTI_DOMAIN& m, std::span<double> out) {
  for (std::size_t i = 0; i < m.details.size() && i < out.size(); ++i) {
    const T_DETAIL& p = m.details[i];
    const bool in_section = point_material(m, p) != nullptr;
    out[i] = in_section ? with_elements(m, [&p](auto elements) {
      return static_cast<double>(elements[static_cast<std::size_t>(p.element)].material_number);
    })
                        : 0.0;
  }
}

}  // namespace bsp
