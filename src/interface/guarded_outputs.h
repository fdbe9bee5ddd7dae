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
#include "interface/message.h"

namespace bsp {

// An output of the caller: its pointer, its documented length (nothing when
// the length cannot be computed from the counts) and its name for messages.
struct Output {
  double* p = nullptr;
  std::optional<std::size_t> n;
  const char* name = "";
  const char* sized_by = "";  // the arguments its length is computed from
};

inline Output output(double* p, std::optional<std::size_t> n, const char* name, const char* sized_by) {
  return {p, n, name, sized_by};
}

// Runs body(span...) inside the firewall. An output whose length cannot be
// computed (a count behind it negative or NULL, or a length that overflows)
// is an input error before anything is written, and then nothing is written
// at all; a NULL output of known length is an input error whose siblings are
// zeroed. On any other failure every output is zeroed and nothing else is
// touched.
template <std::size_t N, class Body>
std::int32_t run_on_outputs(const std::array<Output, N>& outs, Body&& body) noexcept {
  const bool lengths_known = std::ranges::all_of(outs, [](const Output& o) { return o.n.has_value(); });
  return guarded_call(
      [&] {
        for (const Output& o : outs) {
          if (!o.n) reject_input("the length of ", o.name, " cannot be computed: ", o.sized_by,
                                 " is NULL, negative or too large");
          if (!caller_output(o.p, *o.n)) reject_input(o.name, " is NULL but ", *o.n, " values are to be written");
        }
        return std::apply([&](const auto&... o) { return body(*caller_output(o.p, *o.n)...); }, outs);
      },
      [&] {
        if (!lengths_known) return;
        for (const Output& o : outs)
          if (o.p != nullptr) std::fill_n(o.p, *o.n, 0.0);
      });
}

}  // namespace bsp
