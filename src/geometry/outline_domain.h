// The section record the domain maker reads, built from an outline: one node
// per outline point, in point order, and one wire per segment holding its two
// end nodes, in segment order (wire number = segment index + 1). It does not
// cut the wires (wire_discretisation.h does) and finds no regions
// (domain_maker::Domain_Maker does).
#pragma once

#include "geometry/outline.h"
#include "mesher/domain_maker/mesh_data.h"

namespace bsp {

domain_maker::Domain_Data build_outline_domain(const Outline& outline);

}  // namespace bsp
