// BSPAnalyticTorsionalConstant and BSPAnalyticShearArea with any shape code and hostile dimensions:
// the outputs are 0.0 or finite and positive, and nothing around them is written.
#include <cmath>
#include <cstdint>

#include "bsp/bsp.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  bsp::fuzz::Input in(data, size);
  const std::int32_t code = in.index(1, 10);
  constexpr double units[] = {1.0, 1e-6, 1e6, 1e-150, 1e150};
  bsp::fuzz::Outputs out;
  double* dims = out.array(6);
  const double unit = units[in.byte() % 5];
  for (int i = 0; i < 6; ++i) dims[i] = in.byte() % 4 ? unit * (1 + in.byte() % 40) / 8.0 : in.real(unit);
  double *j = out.array(1), *areas = out.array(2);
  BSPAnalyticTorsionalConstant(&code, dims, j);
  const bool j_failed = *BSPLastError() != '\0';
  BSPAnalyticShearArea(&code, dims, areas, areas + 1);
  const bool a_failed = *BSPLastError() != '\0';
  out.check();
  if (!std::isfinite(*j) || *j < 0.0 || (j_failed && *j != 0.0) || (!j_failed && *j == 0.0)) __builtin_trap();
  for (int k = 0; k < 2; ++k)
    if (!std::isfinite(areas[k]) || areas[k] < 0.0 || (a_failed && areas[k] != 0.0)) __builtin_trap();
  return 0;
}
