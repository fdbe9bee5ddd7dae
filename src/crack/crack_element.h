// Edge elements of the cracked-section model: straight boundary segments of a
// material group, integrated along the boundary (no mesh), and cut at a trial
// neutral axis z = a so that only the compressed part (concrete) or both parts
// (steel) count. Edges of one region must run counter-clockwise; a clockwise
// loop gives negative areas.
//
// Every value an element returns is geometric (lengths, areas, moments); the
// domain that owns it multiplies by its modulus. This file does not know about
// bars (rebar_element.h) or materials (material_domain.h).
#pragma once

#include <memory>

namespace bsp {

// A point of the section plane; z is the coordinate across the bending axis.
struct Node2D {
  double y = 0.0;
  double z = 0.0;
};

// A straight segment from i to j. Held by value inside the elements: copying
// four doubles is cheaper than a shared control block per edge.
struct Edge {
  Node2D i;
  Node2D j;
};

// Area, first and second moment of a piece of section about one axis z = a:
// integrals of 1, (z - a) and (z - a)^2 over the piece.
struct AxisMoments {
  double area = 0.0;
  double first = 0.0;
  double second = 0.0;
};

// The same piece about the axis z = to, when `m` is taken about z = from
// (parallel-axis theorem).
AxisMoments shift_axis(const AxisMoments& m, double from, double to) noexcept;
AxisMoments operator+(const AxisMoments& a, const AxisMoments& b) noexcept;
AxisMoments operator*(double s, const AxisMoments& m) noexcept;

// Which face is compressed: upper means the part with z >= a, lower z <= a.
enum class Side : int { lower = 0, upper = 1 };

// Boundary integrals of one counter-clockwise segment about the axis z = a,
// by the divergence theorem with the outward normal n = (dz, -dy) / L:
// area = int (z - a) n_z ds, first = int (z - a)^2 / 2 n_z ds,
// second = int (z - a)^3 / 3 n_z ds. Summed over a closed loop they are the
// area and moments of the enclosed region. All three vanish on a segment
// lying on the axis, so the closing cut along z = a never needs to be formed.
// A segment shorter than twice segment_length_floor contributes 0.
AxisMoments edge_integrals(const Edge& e, double a) noexcept;

// The part of e on one side of z = a: e is split where it crosses the axis
// and the piece on the far side, which would lie on the axis after clamping
// and integrate to zero, is dropped. Returns false when nothing of e lies
// strictly on that side.
bool clip_to_side(const Edge& e, double a, Side side, Edge& piece) noexcept;

// Slots 0-24 of every cracked-section element, in this order. Queries 4-9
// refer to the axis last set with set_axis and give moments about that axis.
// Queries 10-15 are stiffness-type: edges return their geometric values (the
// domain applies its modulus), bars return values already weighted by their
// modulus relative to the host's (host_modulus).
class ElementBase {
 public:
  virtual ~ElementBase() = default;
  virtual double area() const = 0;                                         // 0
  virtual double first_moment(double axis) const = 0;                      // 1
  virtual double second_moment(double axis) const = 0;                     // 2
  virtual void set_axis(double a, Side side) = 0;                          // 3
  virtual double upper_area() const = 0;                                   // 4
  virtual double upper_first_moment() const = 0;                           // 5
  virtual double upper_second_moment() const = 0;                          // 6
  virtual double lower_area() const = 0;                                   // 7
  virtual double lower_first_moment() const = 0;                           // 8
  virtual double lower_second_moment() const = 0;                          // 9
  virtual double area_stiffness(double host_modulus) const = 0;            // 10
  virtual double first_moment_stiffness(double host_modulus, double axis) const = 0;   // 11
  virtual double second_moment_stiffness(double host_modulus, double axis) const = 0;  // 12
  virtual double active_area(Side side, double host_modulus) const = 0;            // 13
  virtual double active_first_moment(Side side, double host_modulus) const = 0;    // 14
  virtual double active_second_moment(Side side, double host_modulus) const = 0;   // 15
  // 16-24: bar queries, 0 for edges. "Own" values are the bar's geometric
  // circle, which the long-term concrete quantities subtract from the net
  // concrete; the active ones are the part of the circle on the compressed
  // side of the axis last set, about that axis.
  virtual double bar_area() const { return 0.0; }                          // 16
  virtual double own_area() const { return 0.0; }                          // 17
  virtual double own_first_moment(double /*axis*/) const { return 0.0; }   // 18
  virtual double own_second_moment(double /*axis*/) const { return 0.0; }  // 19
  virtual double own_active_area(Side /*side*/) const { return 0.0; }      // 20
  virtual double own_active_first_moment(Side /*side*/) const { return 0.0; }   // 21
  virtual double own_active_second_moment(Side /*side*/) const { return 0.0; }  // 22
  virtual double bar_modulus() const { return 0.0; }                       // 23
  virtual double bar_centre() const { return 0.0; }                        // 24
};

// An edge: the full segment plus the pieces kept for the axis last set.
class CrackElementBase : public ElementBase {
 public:
  explicit CrackElementBase(const Edge& edge) noexcept : edge_(edge) {}

  double area() const override;
  double first_moment(double axis) const override;
  double second_moment(double axis) const override;
  double area_stiffness(double host_modulus) const override;
  double first_moment_stiffness(double host_modulus, double axis) const override;
  double second_moment_stiffness(double host_modulus, double axis) const override;
  double active_area(Side side, double host_modulus) const override;
  double active_first_moment(Side side, double host_modulus) const override;
  double active_second_moment(Side side, double host_modulus) const override;

  const Edge& edge() const noexcept { return edge_; }
  double z_low() const noexcept { return edge_.i.z < edge_.j.z ? edge_.i.z : edge_.j.z; }
  double z_high() const noexcept { return edge_.i.z > edge_.j.z ? edge_.i.z : edge_.j.z; }

  // Sum of slots 4-6 and 7-9 at once: what the domain needs per evaluation.
  virtual AxisMoments active_moments() const noexcept = 0;

 protected:
  Edge edge_;
  double axis_ = 0.0;
};

// Concrete carries no tension: only the piece on the compressed side is kept.
class ConcreteElement final : public CrackElementBase {
 public:
  using CrackElementBase::CrackElementBase;

  void set_axis(double a, Side side) override;
  double upper_area() const override { return side_ == Side::upper ? compressed_.area : 0.0; }
  double upper_first_moment() const override { return side_ == Side::upper ? compressed_.first : 0.0; }
  double upper_second_moment() const override { return side_ == Side::upper ? compressed_.second : 0.0; }
  double lower_area() const override { return side_ == Side::lower ? compressed_.area : 0.0; }
  double lower_first_moment() const override { return side_ == Side::lower ? compressed_.first : 0.0; }
  double lower_second_moment() const override { return side_ == Side::lower ? compressed_.second : 0.0; }
  AxisMoments active_moments() const noexcept override { return compressed_; }

 private:
  Side side_ = Side::upper;
  AxisMoments compressed_;
};

// Steel carries both signs of stress: both pieces count, whichever face is
// compressed, so the active values cover the whole edge.
class SteelElement final : public CrackElementBase {
 public:
  using CrackElementBase::CrackElementBase;

  void set_axis(double a, Side side) override;
  double upper_area() const override { return upper_.area; }
  double upper_first_moment() const override { return upper_.first; }
  double upper_second_moment() const override { return upper_.second; }
  double lower_area() const override { return lower_.area; }
  double lower_first_moment() const override { return lower_.first; }
  double lower_second_moment() const override { return lower_.second; }
  AxisMoments active_moments() const noexcept override { return upper_ + lower_; }

 private:
  AxisMoments upper_;
  AxisMoments lower_;
};

}  // namespace bsp
