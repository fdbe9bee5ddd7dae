// The mesh as the solver takes it: node coordinates in record order and a
// connectivity array of 1-based node numbers, k numbers per element with no
// count or separator (every element of one run has the same k: 3, or 6 with
// the quadratic flag).
#pragma once

#include <cstdint>
#include <vector>

#include "mesher/domain_maker/mesh_data.h"

namespace domain_maker {

struct Flat_Mesh {
  std::int32_t n_nodes = 0;
  std::int32_t n_elements = 0;
  std::vector<double> x;
  std::vector<double> y;
  std::vector<std::int32_t> connectivity;
};

// Sets the counts to those of `mesh` and appends its coordinates and its
// connectivity (each 0-based index plus 1) to `out`, which the entry routines
// of the meshers hand in from the drivers.
void append_flat_mesh(const Mesh_Data& mesh, Flat_Mesh& out);

}  // namespace domain_maker
