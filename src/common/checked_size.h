// Sizes formed from counts in 64 bits with overflow checks: used where a
// caller's count becomes an array size (interface) and where the solver sizes
// its band and element tables, so a count too large for the address space is
// a clean failure, never a short allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

namespace bsp {

// count * per_item as a size, or nothing when count is negative or the
// product does not fit the address space.
inline std::optional<std::size_t> checked_size(std::int64_t count, std::int64_t per_item = 1) noexcept {
  if (count < 0 || per_item < 0) return std::nullopt;
  if (per_item != 0 && count > std::numeric_limits<std::int64_t>::max() / per_item) return std::nullopt;
  const std::int64_t n = count * per_item;
  if (static_cast<std::uint64_t>(n) > std::numeric_limits<std::size_t>::max() / sizeof(double)) return std::nullopt;
  return static_cast<std::size_t>(n);
}

}  // namespace bsp
