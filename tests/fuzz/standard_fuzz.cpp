// BSPMAIN, BSPMAIN_EXPAND, BSPPlasticModulus, BSPMAINGENERAL and BSPMAINGENCIVIL with any type
// number, hostile dimensions (any bit pattern, far-apart scales) and Poisson ratios.
#include <cmath>
#include <cstdint>

#include "bsp/bsp.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  bsp::fuzz::Input in(data, size);
  const int which = in.byte() % 5;
  const std::int32_t type = in.index(1, 27);
  constexpr double units[] = {1.0, 1e-6, 1e6, 0.01};
  bsp::fuzz::Outputs out;
  double* result = out.array(BSP_STD_RESULT_SIZE);
  double* dims = out.array(6);
  for (int i = 0; i < 6; ++i) dims[i] = in.byte() % 4 ? units[in.byte() % 4] * (1 + in.byte() % 40) : in.real();
  const double nu = in.mostly(0.3);
  const std::int32_t a6 = in.byte() % 2 ? 2 : 0, level = in.index(0, 3), mode = in.byte() % 2, order = in.byte() % 2;
  const std::int32_t* a6p = in.byte() % 8 ? &a6 : nullptr;
  std::int32_t code = 0;
  switch (which) {
    case 0: BSPMAIN(result, dims, &type, nullptr, &nu, a6p, nullptr); break;
    case 1: BSPMAIN_EXPAND(result, dims, &type, nullptr, &nu, a6p, nullptr, &mode, &order); break;
    case 2: code = BSPPlasticModulus(&type, dims, result, result + 1); break;
    case 3: code = BSPMAINGENERAL(result, dims, &type, nullptr, &nu, a6p, &level, &mode, nullptr); break;
    default: code = BSPMAINGENCIVIL(result, dims, &type, nullptr, &nu, a6p, &level, nullptr); break;
  }
  out.check();
  // Every slot finite; zero on failure, but for BSPMAIN's stress points of corrected dimensions.
  const std::size_t written = which == 2 ? 2 : BSP_STD_RESULT_SIZE;
  bool touched = false;
  for (std::size_t k = 0; k < written; ++k) {
    const double v = out.at(0, k);
    if (bsp::fuzz::Outputs::untouched(v)) continue;
    touched = true;
    if (!std::isfinite(v)) __builtin_trap();
    const bool point = k >= BSP_STD_SLOT_POINTS && k < BSP_STD_SLOT_POINTS + 8;
    if (code != BSP_OK && v != 0.0 && !(which < 2 && point)) __builtin_trap();
  }
  if (code == BSP_OK && !touched) __builtin_trap();  // success with nothing written
  if (code == BSP_OK && which >= 2 && !std::isfinite(dims[0])) __builtin_trap();  // accepted a non-finite D1
  return 0;
}
