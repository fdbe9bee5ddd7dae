// The frame the exports with several output arrays share: each export sizes
// its outputs to their documented lengths and runs its driver through
// run_on_outputs, which holds the steps they all take: the firewall, the
// input error when an output's length cannot be computed, and the zeroing of
// every output on any failure.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <tuple>

#include "interface/caller_arrays.h"
#include "interface/firewall.h"

namespace bsp {

using Output = std::optional<std::span<double>>;

// An output of n doubles at p; none when its length could not be computed.
inline Output output(double* p, std::optional<std::size_t> n) {
  if (!n) return std::nullopt;
  return caller_output(p, *n);
}

// Runs body(span...) inside the firewall. A missing output (null or negative
// count, or a length that overflows) is an input error before anything is
// written; on any failure every output whose length is known is zeroed and
// nothing else is touched.
template <std::size_t N, class Body>
std::int32_t run_on_outputs(const std::array<Output, N>& outs, Body&& body) noexcept {
  return guarded_call(
      [&] {
        if (std::ranges::any_of(outs, [](const Output& o) { return !o; })) return Status::invalid_input;
        return std::apply([&](const auto&... o) { return body(*o...); }, outs);
      },
      [&] {
        for (const Output& o : outs)
          if (o) std::fill(o->begin(), o->end(), 0.0);
      });
}

}  // namespace bsp
