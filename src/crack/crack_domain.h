// The whole cracked section: all material domains, the reference modulus
// E_ref, the section's z range and its uncracked transformed values. Its sums
// over the domains are divided by E_ref, so they are areas and moments of the
// section transformed to the reference material.
#pragma once

#include <memory>
#include <vector>

#include "crack/material_domain.h"

namespace bsp {

class CrackDomain final : public DomainBase {
 public:
  CrackDomain(double reference_modulus, double second_reference) noexcept {
    DomainBase::set_parameters(reference_modulus, second_reference);
  }

  double area_stiffness(Modulus m) const override;
  double first_moment_stiffness(Modulus m, double axis) const override;
  double second_moment_stiffness(Modulus m, double axis) const override;
  // A section is built from domains (add_domain); edges and bars belong to a
  // material, so these two refuse with std::logic_error.
  void add_edge(const Edge& edge) override;
  void add_rebar(double centre, double area, double modulus) override;
  void set_axis(double a, Side side) override;
  double active_area_stiffness(Side side) const override;
  double active_first_moment_stiffness(Side side) const override;
  double active_second_moment_stiffness(Side side) const override;
  void apply_cracking(CrackingPair& pair, double z_bar, double s) const override;
  double long_term_active_area_stiffness(Side side) const override;
  double long_term_active_first_moment_stiffness(Side side) const override;
  double long_term_active_second_moment_stiffness(Side side) const override;
  double net_long_term_area() const override;
  double net_long_term_first_moment(double axis) const override;
  double net_long_term_second_moment(double axis) const override;
  double net_long_term_active_area(Side side) const override;
  double net_long_term_active_first_moment(Side side, double axis) const override;
  double net_long_term_active_second_moment(Side side, double axis) const override;
  double z_min() const override { return z_min_; }
  double z_max() const override { return z_max_; }
  bool has_edges() const override;

  void add_domain(std::shared_ptr<DomainBase> domain);
  const std::vector<std::shared_ptr<DomainBase>>& domains() const noexcept { return domains_; }

  // Range over the domains that have edges, transformed area, first moment
  // about z = 0, uncracked centroid and second moment about it. A section of
  // zero transformed area has no centroid; it is put at the middle of the
  // range so that every later value stays finite.
  void prepare();
  double transformed_area() const noexcept { return area_; }
  double transformed_first_moment() const noexcept { return first_moment_; }
  double centroid() const noexcept { return centroid_; }
  double gross_second_moment() const noexcept { return gross_second_moment_; }

 private:
  std::vector<std::shared_ptr<DomainBase>> domains_;
  double z_min_ = 0.0;
  double z_max_ = 0.0;
  double area_ = 0.0;
  double first_moment_ = 0.0;
  double centroid_ = 0.0;
  double gross_second_moment_ = 0.0;
};

}  // namespace bsp
