// Four doubles, one AVX register (two SSE2 ones on the baseline), for the
// kernels compiled once per instruction set (gnu::target_clones) and the
// quadrilateral's set-up. The values never cross a call that is not
// inlined, so the ABI note GCC gives for vector arguments of a non-AVX
// function never applies; including this header silences it for the
// including file.
#pragma once

#include <cstring>

#pragma GCC diagnostic ignored "-Wpsabi"

namespace bsp {

using v4d = double __attribute__((vector_size(32)));

[[gnu::always_inline]] inline v4d load4(const double* p) {
  v4d v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
[[gnu::always_inline]] inline void store4(double* p, const v4d& v) { std::memcpy(p, &v, sizeof v); }

}  // namespace bsp
