#include "solver/elements.h"

namespace bsp {

// Both rules integrate a constant exactly: their weights add up to the area
// of the reference element.
static_assert(Quad4Rule::weight[0] + Quad4Rule::weight[1] + Quad4Rule::weight[2] + Quad4Rule::weight[3] == 4.0);
static_assert(3 * Tria6Rule::w_a + 3 * Tria6Rule::w_b > 0.5 - 1e-15 && 3 * Tria6Rule::w_a + 3 * Tria6Rule::w_b < 0.5 + 1e-15);

}  // namespace bsp
