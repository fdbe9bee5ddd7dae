// Driver of BSPFirstMomentOfAreaMesh: weighted area and first moments about
// a given point of an outline the library meshes in 3-node triangles, with
// a retry frame that tries smaller element sizes, then the automatic size,
// when an attempt fails. Meshing and input checks are those of the outline
// drivers (outline_driver.h, outline_input.h).
#pragma once

#include <vector>

#include "common/status.h"
#include "interface/outline_input.h"
#include "solver/first_moment.h"

namespace bsp {

// Element sizes the retry frame tries, in order: {0} (automatic) for a
// requested size of 0; otherwise h, then four more each h/5 below the one
// before (by repeated subtraction: h, 0.8h, 0.6h, 0.4h, 0.2h up to
// rounding), then 0 (automatic).
std::vector<double> first_moment_attempt_sizes(double element_size);

// Runs attempt(size) for each size of first_moment_attempt_sizes until one
// returns; an attempt fails by throwing CallError. When every attempt fails
// the last one's CallError passes on. Other exceptions pass on at once.
template <class Attempt>
FirstMoments run_first_moment_attempts(double element_size, Attempt&& attempt) {
  const std::vector<double> sizes = first_moment_attempt_sizes(element_size);
  for (std::size_t i = 0;; ++i) {
    try {
      return attempt(sizes[i]);
    } catch (const CallError&) {
      if (i + 1 == sizes.size()) throw;
    }
  }
}

// One attempt at one element size: meshes every solid region of `in` (grid
// mesher; loop mesher when the grid mesher throws or the integration meets a
// triangle with det J <= 0), integrates it about (y_ref, z_ref) in the scaled
// coordinates and sums the regions in the caller's units, then adds the bars
// (pi r^2 (E_b / E_ref - 1) at each centre). Throws CallError
// (invalid_input) when the outline cannot be turned into regions at this
// size or a region fails both meshers.
FirstMoments first_moments_at_size(const OutlineInput& in, double y_ref, double z_ref, double element_size);

}  // namespace bsp
