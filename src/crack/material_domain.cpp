#include "crack/material_domain.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace bsp {

template <class Element>
void Domaintmpl<Element>::add_edge(const Edge& edge) {
  const double lo = std::min(edge.i.z, edge.j.z);
  const double hi = std::max(edge.i.z, edge.j.z);
  if (edges_.empty()) {
    z_min_ = lo;
    z_max_ = hi;
  } else {
    z_min_ = std::min(z_min_, lo);
    z_max_ = std::max(z_max_, hi);
  }
  edges_.push_back(std::make_shared<Element>(edge));
}

template <class Element>
void Domaintmpl<Element>::add_rebar(double centre, double area, double modulus) {
  constexpr bool host_cracks = std::is_same_v<Element, ConcreteElement>;
  bars_.push_back(std::make_shared<RebarElement>(centre, area, modulus, host_cracks));
}

template <class Element>
void Domaintmpl<Element>::set_axis(double a, Side side) {
  axis_ = a;
  for (const auto& e : edges_) e->set_axis(a, side);
  for (const auto& b : bars_) b->set_axis(a, side);
}

template <class Element>
AxisMoments Domaintmpl<Element>::stiffness_moments(Modulus m, double axis) const {
  const double e_host = modulus_for(m);
  AxisMoments geometric;
  for (const auto& e : edges_) geometric = geometric + edge_integrals(e->edge(), axis);
  AxisMoments sum = e_host * geometric;
  for (const auto& b : bars_) sum = sum + b->stiffness_moments(e_host, axis);
  return sum;
}

template <class Element>
AxisMoments Domaintmpl<Element>::active_stiffness_moments(Modulus m, Side side) const {
  const double e_host = modulus_for(m);
  AxisMoments geometric;
  for (const auto& e : edges_) geometric = geometric + e->active_moments();
  AxisMoments sum = e_host * geometric;
  for (const auto& b : bars_) sum = sum + b->active_stiffness_moments(side, e_host);
  return sum;
}

template class Domaintmpl<ConcreteElement>;
template class Domaintmpl<SteelElement>;

double ConcDomain::effective_modulus() const { return modulus_ / (1.0 + ageing_ * creep_); }

void ConcDomain::set_long_term_parameters(double shrinkage, double ageing, double creep) {
  shrinkage_ = shrinkage;
  ageing_ = ageing;
  creep_ = creep;
}

void ConcDomain::apply_cracking(CrackingPair& pair, double z_bar, double s) const {
  // The tensile strength reached at the domain's extreme fibre under a unit
  // moment scaled by s; the section cracks at the first domain that cracks,
  // so the smallest candidate of each sign wins. A fibre on the centroid or
  // on the compressed side gives no candidate of that sign.
  const double positive = second_ / (modulus_ * s * (z_bar - z_min_));
  const double negative = second_ / (modulus_ * s * (z_bar - z_max_));
  if (std::isfinite(positive) && positive > 0.0 && (pair.positive == 0.0 || positive < pair.positive))
    pair.positive = positive;
  if (std::isfinite(negative) && negative < 0.0 && (pair.negative == 0.0 || negative > pair.negative))
    pair.negative = negative;
}

AxisMoments ConcDomain::net_long_term(double axis) const {
  AxisMoments net;
  for (const auto& e : edges_) net = net + edge_integrals(e->edge(), axis);
  for (const auto& b : bars_) net = net + (-1.0) * b->own_moments(axis);
  return effective_modulus() * net;
}

AxisMoments ConcDomain::net_long_term_active(Side side, double axis) const {
  AxisMoments net;
  for (const auto& e : edges_) net = net + e->active_moments();
  for (const auto& b : bars_) net = net + (-1.0) * b->compressed_about_axis(side);
  return shift_axis(effective_modulus() * net, axis_, axis);
}

}  // namespace bsp
