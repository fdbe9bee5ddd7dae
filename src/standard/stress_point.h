// Stress-check points of the standard sections: four points of the outline
// per type (mostly extreme fibres), relative to an origin the caller chooses
// (the centroid, or the shear centre), from which a host checks bending
// stresses and the library forms the elastic section moduli.
//
// One virtual operation per section type (slot k - 1 for type k) in two
// variants that differ in the choice and order of the points:
// stress_coord_type1 and stress_coord_type2. evaluate_stress_points is the
// only caller of the slots. The classes hold no state but the enable flag.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace StressPoint {

// y1, z1, y2, z2, y3, z3, y4, z4.
using Points = std::array<double, 8>;

// X(name, type) for every slot, in slot order.
#define BSP_STRESS_POINT_SLOTS(X)                                                                               \
  X(points_type01, 1) X(points_type02, 2) X(points_type03, 3) X(points_type04, 4) X(points_type05, 5)          \
  X(points_type06, 6) X(points_type07, 7) X(points_type08, 8) X(points_type09, 9) X(points_type10, 10)         \
  X(points_type11, 11) X(points_type12, 12) X(points_type13, 13) X(points_type14, 14) X(points_type15, 15)     \
  X(points_type16, 16) X(points_type17, 17) X(points_type18, 18) X(points_type19, 19) X(points_type20, 20)     \
  X(points_type21, 21) X(points_type22, 22) X(points_type23, 23) X(points_type24, 24) X(points_type25, 25)     \
  X(points_type26, 26) X(points_type27, 27)

// Each operation writes the four points of its type into `out` from the
// dimensions (D1 = dimensions[0]) and the offsets cy, cz of the chosen
// origin from the dimension frame's origin. Axes along which a type is
// symmetric take their coordinate from the dimensions directly.
class stress_coord_base {
 public:
  virtual ~stress_coord_base() = default;
#define BSP_DECLARE_SLOT(name, type) \
  virtual void name(Points& out, std::span<const double> d, const double& cy, const double& cz) const = 0;
  BSP_STRESS_POINT_SLOTS(BSP_DECLARE_SLOT)
#undef BSP_DECLARE_SLOT

  bool enabled = false;  // while clear, evaluate_stress_points computes nothing
};

// Extreme fibres, counter-clockwise from the first quadrant for most types;
// the point on the axis of symmetry at the stem end for types 4 and 8.
class stress_coord_type1 : public stress_coord_base {
 public:
#define BSP_OVERRIDE_SLOT(name, type) \
  void name(Points& out, std::span<const double> d, const double& cy, const double& cz) const override;
  BSP_STRESS_POINT_SLOTS(BSP_OVERRIDE_SLOT)
};

// Mostly the type1 points rotated by one (P4, P1, P2, P3); the two corners of
// the stem end for types 4 and 8.
class stress_coord_type2 : public stress_coord_base {
 public:
  BSP_STRESS_POINT_SLOTS(BSP_OVERRIDE_SLOT)
#undef BSP_OVERRIDE_SLOT
};

// Sets out to zeros; then, when the object is enabled and 1 <= section_type
// <= 27, calls the operation of slot section_type - 1. dimensions must hold
// the type's dimension count.
void evaluate_stress_points(const stress_coord_base& object, Points& out, std::int32_t section_type,
                            std::span<const double> dimensions, double cy, double cz);

}  // namespace StressPoint
