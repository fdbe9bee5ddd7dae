// template_section_general: a standard section (types 1..27) computed through
// the general meshed path. The shape's block mesh is split into 3-node
// triangles, moved to its centroid and handed to the combined-section driver
// (comb_main), so the standard solver and the general path check each other.
// The circular types 18 and 19 take the standard-section solver directly.
//
// It lives beside the drivers rather than in standard/ because it drives the
// combined-section path of the exports.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "solver/block_mesher.h"

namespace bsp {

struct TemplateArgs {
  std::int32_t section_type = 0;
  double nu = 0.0;
  std::int32_t a6 = 0;  // standard solver's closed-form mode (direct path only)
  std::int32_t a7 = 0;  // analysis level of the meshed path; > 0 adds the classical shear maxima
  std::int32_t offset_mode = 0;  // 0: stress points about the centroid, else about the shear centre
  std::int32_t point_order = 0;  // 0: type-2 points, else type-1
};

// The block mesh of a standard type as 3-node triangles: each quadrilateral
// (a, b, c, d) becomes (a, b, d) and (b, c, d), split along the diagonal from
// its second to its fourth node. Connectivity 1-based, 3 per triangle.
struct TriangleMesh {
  std::vector<double> x, y;
  std::vector<std::int32_t> connectivity;
  std::int32_t n_triangles() const { return static_cast<std::int32_t>(connectivity.size() / 3); }
};
TriangleMesh split_quadrilaterals(const T_SECDATA& quads);

// Writes result[0..38) and returns 0, or returns -1 with slots 0..37 zero:
// Poisson's ratio above 0.5 or not finite, a type outside 1..27 (results then
// untouched), dimensions the validation corrected (the corrected values are
// written back into `dimensions`), or a failure of the meshed path. The
// dimensions hold standard_dimension_count(type) values. On -1, `why` (when
// given) receives a sentence naming the reason. Checks of the combined-section
// path below throw CallError with their own message.
std::int32_t template_section_general(std::span<double, 38> result, std::span<double> dimensions,
                                      const TemplateArgs& args, std::string* why = nullptr);

}  // namespace bsp
