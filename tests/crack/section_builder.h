// Builds cracked-section inputs from polygons and bars for the tests, so each
// test states its geometry, not index bookkeeping.
#pragma once

#include <utility>
#include <vector>

#include "crack/crack_section.h"

namespace bsp::test {

struct Material {
  bool steel = false;
  double modulus = 0.0;
  double tensile_strength = 0.0;
  double shrinkage = 0.0;
  double ageing = 0.0;
  double creep = 0.0;
};

class SectionBuilder {
 public:
  explicit SectionBuilder(double reference_modulus) { in_.reference_modulus = reference_modulus; }

  SectionBuilder& material(int key, const Material& m) {
    CrackMaterialRecord r;
    r.steel = m.steel;
    r.p = {m.modulus, m.tensile_strength, m.shrinkage, m.ageing, m.creep};
    in_.materials[key] = r;
    return *this;
  }
  // A closed loop through the points in the given (counter-clockwise) order.
  SectionBuilder& polygon(int key, const std::vector<Node2D>& pts) {
    for (std::size_t k = 0; k < pts.size(); ++k) in_.edges.push_back({key, {pts[k], pts[(k + 1) % pts.size()]}});
    return *this;
  }
  SectionBuilder& rectangle(int key, double y0, double z0, double y1, double z1) {
    return polygon(key, {{y0, z0}, {y1, z0}, {y1, z1}, {y0, z1}});
  }
  SectionBuilder& bar(int key, double centre, double area, double modulus) {
    in_.bars.push_back({key, centre, area, modulus});
    return *this;
  }
  const CrackSectionInput& input() const { return in_; }
  CrackSectionResult run() const { return crack_section_property(in_); }

 private:
  CrackSectionInput in_;
};

}  // namespace bsp::test
