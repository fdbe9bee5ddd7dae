// Conversions of a caller's pointer-and-count pairs into typed views, written
// once for every export. Sizes are formed in 64 bits with overflow checks
// (common/checked_size.h), so a hostile count is a clean error and never a
// short allocation or an out-of-range read.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/checked_size.h"

namespace bsp {

// A caller array of n items; nothing when n > 0 and the pointer is null.
template <class T>
std::optional<std::span<const T>> caller_input(const T* p, std::size_t n) noexcept {
  if (n == 0) return std::span<const T>{};
  if (p == nullptr) return std::nullopt;
  return std::span<const T>(p, n);
}

template <class T>
std::optional<std::span<T>> caller_output(T* p, std::size_t n) noexcept {
  if (n == 0) return std::span<T>{};
  if (p == nullptr) return std::nullopt;
  return std::span<T>(p, n);
}

// The value behind a by-address scalar; nothing when the pointer is null.
template <class T>
std::optional<T> caller_scalar(const T* p) noexcept {
  if (p == nullptr) return std::nullopt;
  return *p;
}

// A count read through its pointer: nothing when the pointer is null or the
// count is negative.
inline std::optional<std::int32_t> caller_count(const std::int32_t* p) noexcept {
  if (p == nullptr || *p < 0) return std::nullopt;
  return *p;
}

inline bool all_finite(std::span<const double> v) noexcept {
  for (double x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

// Every 1-based number in v lies in 1..n.
inline bool all_in_range(std::span<const std::int32_t> v, std::int64_t n) noexcept {
  for (std::int32_t x : v)
    if (x < 1 || x > n) return false;
  return true;
}

}  // namespace bsp
