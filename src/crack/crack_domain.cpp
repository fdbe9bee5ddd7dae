#include "crack/crack_domain.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace bsp {
namespace {

template <class Query>
double sum_over(const std::vector<std::shared_ptr<DomainBase>>& domains, Query&& q) {
  double s = 0.0;
  for (const auto& d : domains) s += q(*d);
  return s;
}

}  // namespace

double CrackDomain::area_stiffness(Modulus m) const {
  return sum_over(domains_, [&](const DomainBase& d) { return d.area_stiffness(m); }) / modulus_;
}
double CrackDomain::first_moment_stiffness(Modulus m, double axis) const {
  return sum_over(domains_, [&](const DomainBase& d) { return d.first_moment_stiffness(m, axis); }) / modulus_;
}
double CrackDomain::second_moment_stiffness(Modulus m, double axis) const {
  return sum_over(domains_, [&](const DomainBase& d) { return d.second_moment_stiffness(m, axis); }) / modulus_;
}

void CrackDomain::add_edge(const Edge&) { throw std::logic_error("an edge belongs to a material domain"); }
void CrackDomain::add_rebar(double, double, double) { throw std::logic_error("a bar belongs to a material domain"); }

void CrackDomain::set_axis(double a, Side side) {
  for (const auto& d : domains_) d->set_axis(a, side);
}

double CrackDomain::active_area_stiffness(Side side) const {
  return sum_over(domains_, [&](const DomainBase& d) { return d.active_area_stiffness(side); }) / modulus_;
}
double CrackDomain::active_first_moment_stiffness(Side side) const {
  return sum_over(domains_, [&](const DomainBase& d) { return d.active_first_moment_stiffness(side); }) / modulus_;
}
double CrackDomain::active_second_moment_stiffness(Side side) const {
  return sum_over(domains_, [&](const DomainBase& d) { return d.active_second_moment_stiffness(side); }) / modulus_;
}

void CrackDomain::apply_cracking(CrackingPair& pair, double z_bar, double s) const {
  for (const auto& d : domains_) d->apply_cracking(pair, z_bar, s);
}

double CrackDomain::long_term_active_area_stiffness(Side side) const {
  return sum_over(domains_, [&](const DomainBase& d) { return d.long_term_active_area_stiffness(side); }) /
         modulus_;
}
double CrackDomain::long_term_active_first_moment_stiffness(Side side) const {
  return sum_over(domains_,
                  [&](const DomainBase& d) { return d.long_term_active_first_moment_stiffness(side); }) /
         modulus_;
}
double CrackDomain::long_term_active_second_moment_stiffness(Side side) const {
  return sum_over(domains_,
                  [&](const DomainBase& d) { return d.long_term_active_second_moment_stiffness(side); }) /
         modulus_;
}

double CrackDomain::net_long_term_area() const {
  return sum_over(domains_, [](const DomainBase& d) { return d.net_long_term_area(); }) / modulus_;
}
double CrackDomain::net_long_term_first_moment(double axis) const {
  return sum_over(domains_, [&](const DomainBase& d) { return d.net_long_term_first_moment(axis); }) / modulus_;
}
double CrackDomain::net_long_term_second_moment(double axis) const {
  return sum_over(domains_, [&](const DomainBase& d) { return d.net_long_term_second_moment(axis); }) / modulus_;
}
double CrackDomain::net_long_term_active_area(Side side) const {
  return sum_over(domains_, [&](const DomainBase& d) { return d.net_long_term_active_area(side); }) / modulus_;
}
double CrackDomain::net_long_term_active_first_moment(Side side, double axis) const {
  return sum_over(domains_, [&](const DomainBase& d) { return d.net_long_term_active_first_moment(side, axis); }) /
         modulus_;
}
double CrackDomain::net_long_term_active_second_moment(Side side, double axis) const {
  return sum_over(domains_,
                  [&](const DomainBase& d) { return d.net_long_term_active_second_moment(side, axis); }) /
         modulus_;
}

bool CrackDomain::has_edges() const {
  return std::any_of(domains_.begin(), domains_.end(), [](const auto& d) { return d->has_edges(); });
}

void CrackDomain::add_domain(std::shared_ptr<DomainBase> domain) { domains_.push_back(std::move(domain)); }

void CrackDomain::prepare() {
  bool first = true;
  for (const auto& d : domains_) {
    if (!d->has_edges()) continue;
    z_min_ = first ? d->z_min() : std::min(z_min_, d->z_min());
    z_max_ = first ? d->z_max() : std::max(z_max_, d->z_max());
    first = false;
  }
  area_ = area_stiffness(Modulus::short_term);
  first_moment_ = first_moment_stiffness(Modulus::short_term, 0.0);
  centroid_ = area_ != 0.0 ? first_moment_ / area_ : 0.5 * (z_min_ + z_max_);
  gross_second_moment_ = second_moment_stiffness(Modulus::short_term, centroid_);
}

}  // namespace bsp
