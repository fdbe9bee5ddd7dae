#include "solver/stress_extremes.h"

#include <cmath>

namespace bsp {
namespace {

void offer(FieldExtreme& e, double value, double x, double y) {
  if (std::abs(value) > std::abs(e.value)) e = {value, x, y};
}

template <class Elem>
void scan(std::span<const Elem> elements, std::array<FieldExtreme, n_extreme_fields>& ext) {
  using Rule = typename Elem::rule;
  for (const Elem& el : elements) {
    if (el.inverted) continue;
    std::array<std::array<double, Rule::n_points>, n_extreme_fields> at_point{};
    for (int g = 0; g < Rule::n_points; ++g) {
      const ShearStress& s = el.shear[static_cast<std::size_t>(g)];
      const TorsionStress& t = el.torsion[static_cast<std::size_t>(g)];
      const std::array<double, n_extreme_fields> v{s.tx_psi, s.ty_psi, s.tx_phi, s.ty_phi, t.t_zx, t.t_zy};
      for (std::size_t f = 0; f < n_extreme_fields; ++f) {
        at_point[f][static_cast<std::size_t>(g)] = v[f];
        offer(ext[f], v[f], el.xg[g], el.yg[g]);
      }
    }
    for (int i = 0; i < Rule::n_nodes; ++i) {
      const NaturalPoint p = Rule::node[static_cast<std::size_t>(i)];
      for (std::size_t f = 0; f < n_extreme_fields; ++f)
        offer(ext[f], Rule::extrapolate(at_point[f], p.s, p.t), el.x[i], el.y[i]);
    }
  }
}

}  // namespace

std::array<FieldExtreme, n_extreme_fields> stress_extremes(const T_MULTI_DOMAIN& m) {
  std::array<FieldExtreme, n_extreme_fields> ext{};
  with_elements(m, [&ext](auto elements) { scan(elements, ext); });
  return ext;
}

}  // namespace bsp
