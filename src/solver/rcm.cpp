#include "solver/rcm.h"

#include <algorithm>
#include <cstdlib>

namespace bsp {

bool RCM_RENUMBER(std::int64_t /*n*/, int /*npe*/, std::int64_t /*n_elements*/, std::int32_t* /*connectivity*/) {
  return true;
}

std::int64_t BANDWIDTH(int npe, std::int64_t n_elements, const std::int32_t* connectivity) {
  std::int64_t kd = 0;
  for (std::int64_t e = 0; e < n_elements; ++e) {
    const std::int32_t* c = connectivity + e * npe;
    for (int a = 0; a < npe; ++a)
      for (int b = a + 1; b < npe; ++b) kd = std::max<std::int64_t>(kd, std::llabs(std::int64_t{c[a]} - c[b]));
  }
  return kd;
}

}  // namespace bsp
