#include "solver/section_properties.h"

namespace bsp {

void integrate_domain_properties(T_MULTI_DOMAIN&) {}
void integrate_part_properties(T_MULTI_DOMAIN&) {}
void integrate_section_properties(T_MULTI_DOMAIN&) {}

}  // namespace bsp
