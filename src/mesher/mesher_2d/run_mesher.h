// The two entry routines through which the calculation drivers mesh one
// region: run_grid_mesher first and, when it throws, run_loop_mesher on a
// freshly built record. Both fix the record's finishing fields to what every
// caller uses (finish_mode 1, no offset layer, size_factor 1; the quadratic
// flag is left as the caller set it), mesh, and append the result to `out`
// as the solver's flat arrays. Mesher exceptions pass to the caller.
#pragma once

#include "mesher/domain_maker/flat_mesh.h"
#include "mesher/domain_maker/mesh_data.h"

namespace mesher_2d {

void run_grid_mesher(domain_maker::Mesh_Data& record, domain_maker::Flat_Mesh& out);

// The fallback: the same with the loop mesher (loop_mesher/loop_mesher.h).
void run_loop_mesher(domain_maker::Mesh_Data& record, domain_maker::Flat_Mesh& out);

}  // namespace mesher_2d
