#include "standard/stress_point.h"

namespace StressPoint {
namespace {

Points pts(double y1, double z1, double y2, double z2, double y3, double z3, double y4, double z4) {
  return {y1, z1, y2, z2, y3, z3, y4, z4};
}

// The type1 points of every type (P1 .. P4).
Points type1_points(int type, std::span<const double> dims, double cy, double cz) {
  const auto D = [&](int i) { return dims[static_cast<std::size_t>(i - 1)]; };
  switch (type) {
    case 1:
    case 5:
      return pts(D(2) / 2, D(1) / 2, -D(2) / 2, D(1) / 2, -D(2) / 2, -D(1) / 2, D(2) / 2, -D(1) / 2);
    case 2:
      return pts(D(2) / 2, D(1) - cz, -D(2) / 2, D(1) - cz, -D(2) / 2, -cz, D(2) / 2, -cz);
    case 3:
      return pts(D(1) - cy, D(3) / 2, -cy, D(2) / 2, -cy, -D(2) / 2, D(1) - cy, -D(3) / 2);
    case 4:
      return pts(D(2) - cy, 0, D(2) - cy, D(1) / 2, -cy, 0, D(2) - cy, -D(1) / 2);
    case 6:
      return pts(D(3) / 2, 0, 0, (D(1) + D(2)) / 2, -D(3) / 2, 0, 0, -(D(1) + D(2)) / 2);
    case 7:
      return pts(D(3) / 2, (D(1) + D(2)) / 2, -D(3) / 2, (D(1) + D(2)) / 2, -D(3) / 2, -(D(1) + D(2)) / 2, D(3) / 2,
                 -(D(1) + D(2)) / 2);
    case 8:
      return pts(0, D(2) + D(3) - cz, -D(1) / 2, D(2) + D(3) - cz, 0, -cz, D(1) / 2, D(2) + D(3) - cz);
    case 9:
      return pts(D(4) / 2, D(2) / 2, -D(4) / 2, D(2) / 2 + D(1), -D(4) / 2, -D(2) / 2, D(4) / 2, -(D(2) / 2 + D(1)));
    case 10:
      return pts(D(4) / 2, D(1) + D(2) - cz, -D(4) / 2, D(1) + D(2) - cz, -D(4) / 2, -cz, D(4) / 2, -cz);
    case 11:
      return pts(D(4) / 2, (D(1) + D(2)) / 2, -D(4) / 2, (D(1) + D(2)) / 2, -D(4) / 2, -(D(1) + D(2)) / 2, D(4) / 2,
                 -(D(1) + D(2)) / 2);
    case 12:
      return pts(D(3) - cy, D(4) / 2, -cy, D(4) / 2, -cy, -D(4) / 2, D(3) - cy, -D(4) / 2);
    case 13:
      return pts(D(2) - cy, D(4) / 2, -cy, D(1) / 2, -cy, -D(1) / 2, D(2) - cy, -D(4) / 2);
    case 14:
      return pts(D(2) - cy, D(1) - cz, -cy, D(1) - cz, -cy, -cz, D(2) - cy, -cz);
    case 15:
      // The lips' points sit at 1.5 D2 - D1, as the established results of
      // this type have them.
      return pts(D(2) - cy, D(3) / 2, 1.5 * D(2) - D(1) - cy, D(3) / 2 + D(4), 1.5 * D(2) - D(1) - cy,
                 -(D(3) / 2 + D(4)), D(2) - cy, -D(3) / 2);
    case 16:
      return pts(-cy, -D(1) / 2, -cy, D(1) / 2, D(2) - cy, -D(3) / 2, D(2) - cy, D(3) / 2);
    case 17:
      return pts(D(3) / 2, 0, -D(3) / 2, 0, 0, D(2) / 2, 0, -D(2) / 2);
    case 18:
    case 19:
      return pts(D(1), 0, 0, D(1), -D(1), 0, 0, -D(1));
    case 20:
      return pts(D(2) - cy, D(4) - cz, -cy, D(1) - cz, -cy, -cz, D(2) - cy, -cz);
    case 21:
      return pts(D(3) - cy, D(5) / 2 - cz, -cy, D(5) / 2 + D(2) - cz, -cy, -(D(5) / 2 + D(1) + cz), D(3) - cy,
                 -(D(5) / 2 + cz));
    case 22:
      return pts(D(3) / 2, 0, 0, D(2) / 2, -D(3) / 2, 0, 0, -D(2) / 2);
    case 23:
      return pts(D(2) - cy, D(1) - cz, -cy, D(3) - cz, -cy, -cz, D(2) - cy, -cz);
    case 24:
      return pts(D(2) / 2 - cy, D(1) - cz, -D(2) / 2 - cy, D(1) - cz, -D(5) / 2 - cy, -cz, D(5) / 2 - cy, -cz);
    case 25:
      return pts(D(2) - cy, D(1) - cz, -cy, D(1) - cz, -cy, -cz, D(5) - cy, -cz);
    case 26:
      return pts(D(2) - cy, D(1) - cz, -cy, D(1) - cz, -cy, -cz, D(3) - cy, -cz);
    case 27:
      return pts(-D(3) / 2 - cy, D(1) - cz, -D(3) / 2 - D(2) - cy, D(4) / 2 - cz, D(3) / 2 + D(2) - cy, D(4) / 2 - cz,
                 D(3) / 2 - cy, D(1) - cz);
    default:
      return {};
  }
}

// The type2 points: written out for 4, 8 and 17, the type1 points for the
// types whose two orders agree, otherwise type1 rotated by one.
Points type2_points(int type, std::span<const double> dims, double cy, double cz) {
  const auto D = [&](int i) { return dims[static_cast<std::size_t>(i - 1)]; };
  switch (type) {
    case 4:
      return pts(D(2) - cy, -D(1) / 2, D(2) - cy, D(1) / 2, -cy, D(4) / 2, -cy, -D(4) / 2);
    case 8:
      return pts(D(4) / 2, -cz, D(1) / 2, D(2) + D(3) - cz, -D(1) / 2, D(2) + D(3) - cz, -D(4) / 2, -cz);
    case 17:
      return pts(D(3) / 2, 0, 0, D(2) / 2, -D(3) / 2, 0, 0, -D(2) / 2);
    case 6:
    case 15:
    case 18:
    case 19:
    case 22:
    case 24:
    case 25:
    case 26:
    case 27:
      return type1_points(type, dims, cy, cz);
    default: {
      const Points p = type1_points(type, dims, cy, cz);
      return pts(p[6], p[7], p[0], p[1], p[2], p[3], p[4], p[5]);
    }
  }
}

}  // namespace

#define BSP_DEFINE_SLOT(name, type)                                                                         \
  void stress_coord_type1::name(Points& out, std::span<const double> d, const double& cy, const double& cz) \
      const {                                                                                               \
    out = type1_points(type, d, cy, cz);                                                                    \
  }                                                                                                         \
  void stress_coord_type2::name(Points& out, std::span<const double> d, const double& cy, const double& cz) \
      const {                                                                                               \
    out = type2_points(type, d, cy, cz);                                                                    \
  }
BSP_STRESS_POINT_SLOTS(BSP_DEFINE_SLOT)
#undef BSP_DEFINE_SLOT

void evaluate_stress_points(const stress_coord_base& object, Points& out, std::int32_t section_type,
                            std::span<const double> dimensions, double cy, double cz) {
  out.fill(0.0);
  if (!object.enabled || section_type < 1 || section_type > 27) return;
  // The slot table, in type order.
  using Slot = void (stress_coord_base::*)(Points&, std::span<const double>, const double&, const double&) const;
#define BSP_SLOT_ENTRY(name, type) &stress_coord_base::name,
  static constexpr Slot slots[] = {BSP_STRESS_POINT_SLOTS(BSP_SLOT_ENTRY)};
#undef BSP_SLOT_ENTRY
  (object.*slots[section_type - 1])(out, dimensions, cy, cz);
}

}  // namespace StressPoint
