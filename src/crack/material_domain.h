// Material groups of the cracked-section model. A domain is one material: its
// boundary edges, the bars that lie in it, its moduli and the z range of its
// edges. Domains weight their elements' geometric values by their modulus and
// answer the queries the section driver sums: whole (uncracked) and active
// (compressed part) stiffness moments, long-term values, cracking moments.
//
// Concrete record: p0 modulus E, p1 tensile strength, p2 free shrinkage
// strain, p3 ageing coefficient, p4 creep coefficient; the long-term
// (effective) modulus is E / (1 + p3 p4). Steel record: p0 modulus, the rest
// ignored; its long-term modulus is E.
#pragma once

#include <memory>
#include <vector>

#include "crack/crack_element.h"
#include "crack/rebar_element.h"

namespace bsp {

// Short-term sums weight by E, long-term sums by the effective modulus.
enum class Modulus : int { short_term = 0, long_term = 1 };

// The running pair of cracking moments: the smallest positive candidate and
// the negative candidate of smallest magnitude; 0 while there is none.
struct CrackingPair {
  double positive = 0.0;
  double negative = 0.0;
};

// Slots 0-27 of every domain, in this order. Stiffness values carry the
// modulus (F L^k); a composite (CrackDomain) divides its own by E_ref.
class DomainBase {
 public:
  virtual ~DomainBase() = default;
  virtual double effective_modulus() const { return modulus_; }                          // 0
  virtual double area_stiffness(Modulus m) const = 0;                                    // 1
  virtual double first_moment_stiffness(Modulus m, double axis) const = 0;               // 2
  virtual double second_moment_stiffness(Modulus m, double axis) const = 0;              // 3
  virtual void add_edge(const Edge& edge) = 0;                                           // 4
  virtual void add_rebar(double centre, double area, double modulus) = 0;                // 5
  virtual void set_axis(double a, Side side) = 0;                                        // 6
  virtual double active_area_stiffness(Side side) const = 0;                             // 7
  virtual double active_first_moment_stiffness(Side side) const = 0;                     // 8
  virtual double active_second_moment_stiffness(Side side) const = 0;                    // 9
  // Folds this domain's cracking moments into `pair` for the uncracked
  // centroid z_bar and the scale s = 1 / (E_ref I_g).
  virtual void apply_cracking(CrackingPair& pair, double z_bar, double s) const = 0;     // 10
  virtual void set_parameters(double modulus, double second) {                           // 11
    modulus_ = modulus;
    second_ = second;
  }
  virtual void set_long_term_parameters(double, double, double) {}                       // 12
  virtual double shrinkage_strain() const { return 0.0; }                                // 13
  virtual double ageing_coefficient() const { return 0.0; }                              // 14
  virtual double creep_coefficient() const { return 0.0; }                               // 15
  virtual double long_term_active_area_stiffness(Side side) const = 0;                   // 16
  virtual double long_term_active_first_moment_stiffness(Side side) const = 0;           // 17
  virtual double long_term_active_second_moment_stiffness(Side side) const = 0;          // 18
  // 19-24: concrete net of its bars, times the effective modulus; the active
  // ones count the compressed part for the axis last set. 0 for steel.
  virtual double net_long_term_area() const { return 0.0; }                              // 19
  virtual double net_long_term_first_moment(double) const { return 0.0; }                // 20
  virtual double net_long_term_second_moment(double) const { return 0.0; }               // 21
  virtual double net_long_term_active_area(Side) const { return 0.0; }                   // 22
  virtual double net_long_term_active_first_moment(Side, double) const { return 0.0; }   // 23
  virtual double net_long_term_active_second_moment(Side, double) const { return 0.0; }  // 24
  virtual double z_min() const = 0;                                                      // 25
  virtual double z_max() const = 0;                                                      // 26
  virtual bool has_edges() const = 0;                                                    // 27

  double modulus() const noexcept { return modulus_; }
  double second_value() const noexcept { return second_; }

 protected:
  double modulus_ = 0.0;
  double second_ = 0.0;
};

// The element-type-specific domain. Its bars take this domain's modulus as
// host modulus (the effective one in long-term sums).
template <class Element>
class Domaintmpl : public DomainBase {
 public:
  double area_stiffness(Modulus m) const override { return stiffness_moments(m, 0.0).area; }
  double first_moment_stiffness(Modulus m, double axis) const override { return stiffness_moments(m, axis).first; }
  double second_moment_stiffness(Modulus m, double axis) const override {
    return stiffness_moments(m, axis).second;
  }
  void add_edge(const Edge& edge) override;
  void add_rebar(double centre, double area, double modulus) override;
  void set_axis(double a, Side side) override;
  double active_area_stiffness(Side side) const override { return active_stiffness_moments(Modulus::short_term, side).area; }
  double active_first_moment_stiffness(Side side) const override {
    return active_stiffness_moments(Modulus::short_term, side).first;
  }
  double active_second_moment_stiffness(Side side) const override {
    return active_stiffness_moments(Modulus::short_term, side).second;
  }
  double long_term_active_area_stiffness(Side side) const override {
    return active_stiffness_moments(Modulus::long_term, side).area;
  }
  double long_term_active_first_moment_stiffness(Side side) const override {
    return active_stiffness_moments(Modulus::long_term, side).first;
  }
  double long_term_active_second_moment_stiffness(Side side) const override {
    return active_stiffness_moments(Modulus::long_term, side).second;
  }
  double z_min() const override { return z_min_; }
  double z_max() const override { return z_max_; }
  bool has_edges() const override { return !edges_.empty(); }

  // All three whole-domain sums about `axis` in one pass.
  AxisMoments stiffness_moments(Modulus m, double axis) const;
  // All three active sums about the axis last set, in one pass.
  AxisMoments active_stiffness_moments(Modulus m, Side side) const;
  double axis() const noexcept { return axis_; }

 protected:
  double modulus_for(Modulus m) const { return m == Modulus::short_term ? modulus_ : effective_modulus(); }

  std::vector<std::shared_ptr<Element>> edges_;
  std::vector<std::shared_ptr<RebarElement>> bars_;
  double z_min_ = 0.0;
  double z_max_ = 0.0;
  double axis_ = 0.0;
};

extern template class Domaintmpl<ConcreteElement>;
extern template class Domaintmpl<SteelElement>;

class ConcDomain final : public Domaintmpl<ConcreteElement> {
 public:
  double effective_modulus() const override;
  void apply_cracking(CrackingPair& pair, double z_bar, double s) const override;
  void set_long_term_parameters(double shrinkage, double ageing, double creep) override;
  double shrinkage_strain() const override { return shrinkage_; }
  double ageing_coefficient() const override { return ageing_; }
  double creep_coefficient() const override { return creep_; }
  double net_long_term_area() const override { return net_long_term(0.0).area; }
  double net_long_term_first_moment(double axis) const override { return net_long_term(axis).first; }
  double net_long_term_second_moment(double axis) const override { return net_long_term(axis).second; }
  double net_long_term_active_area(Side side) const override { return net_long_term_active(side, axis_).area; }
  double net_long_term_active_first_moment(Side side, double axis) const override {
    return net_long_term_active(side, axis).first;
  }
  double net_long_term_active_second_moment(Side side, double axis) const override {
    return net_long_term_active(side, axis).second;
  }

  // Concrete net of its bars about `axis`, times the effective modulus.
  AxisMoments net_long_term(double axis) const;
  // The compressed part of it for the axis last set, about `axis`.
  AxisMoments net_long_term_active(Side side, double axis) const;

 private:
  double shrinkage_ = 0.0;
  double ageing_ = 0.0;
  double creep_ = 0.0;
};

class SteelDomain final : public Domaintmpl<SteelElement> {
 public:
  // Steel keeps no strength: its cracking query does nothing.
  void set_parameters(double modulus, double) override { DomainBase::set_parameters(modulus, 0.0); }
  void apply_cracking(CrackingPair&, double, double) const override {}
};

}  // namespace bsp
