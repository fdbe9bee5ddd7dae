#include "solver/stress_point_location.h"

namespace bsp {

template <class Rule>
std::optional<NaturalPoint> locate_in_element(const T_ELEMENT<Rule>&, double, double) {
  return std::nullopt;
}

template std::optional<NaturalPoint> locate_in_element(const T_QUAD4&, double, double);
template std::optional<NaturalPoint> locate_in_element(const T_TRIA6&, double, double);

}  // namespace bsp
