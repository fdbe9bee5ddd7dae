// Geometric properties of the model: per domain, per material and for the whole
// section, bars included. Everything is integrated from the integration-point
// data of the elements (elements.h); inverted elements contribute nothing.
// A bar adds k = E_b/E_ref - 1 times its area (the mesh still holds the
// material it displaces) and k times its own inertia pi r^4 / 4.
#pragma once

#include <cstdint>

#include "solver/model.h"

namespace bsp {

// Offers element `element` (0-based model index) to every listed bar: a bar
// moves to this element when the element's nearest node is strictly closer
// than the bar's recorded distance, so each bar ends at the element owning
// its nearest node, the first in model order on ties. Inverted elements are
// never offered.
template <class Rule>
void attach_bars(T_MULTI_DOMAIN& m, std::int64_t element, const T_ELEMENT<Rule>& e);

// A_d, centroid and centroidal Ixx_d, Iyy_d, Ixy_d of every domain. A domain
// without contributing elements has A_d = 0 and a NaN centroid.
void integrate_domain_properties(T_MULTI_DOMAIN& m);

// Material slots 1-5 and 10 (area, centroid, centroidal moments, weighted area)
// from the elements and the bars attached to them. No-op without material records.
void integrate_material_properties(T_MULTI_DOMAIN& m);

// Section area, centroid and centroidal moments from the domains and every
// bar of the model. Domains with A_d = 0 add nothing (their NaN centroid
// would otherwise poison the sums). With neither area nor bars, A = 0 and the
// centroid is NaN.
void integrate_section_properties(T_MULTI_DOMAIN& m);

}  // namespace bsp
