// Building blocks of the texts a failed check reports (BSPLastError): numbers
// written so that a host can find the item, doubles in their shortest
// round-trip form so that 0.5000001 never reads as 0.5.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/status.h"

namespace bsp {

inline std::string text(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}
inline std::string text(std::int64_t v) { return std::to_string(v); }
inline std::string text(std::int32_t v) { return std::to_string(v); }
inline std::string text(std::size_t v) { return std::to_string(v); }
inline std::string text(std::string_view v) { return std::string(v); }
inline std::string text(const char* v) { return std::string(v); }

// The pieces of a message joined without separators.
template <class... T>
std::string message(const T&... pieces) {
  std::string s;
  (s += ... += text(pieces));
  return s;
}

// Throws the input error whose message is the pieces joined.
template <class... T>
[[noreturn]] void reject_input(const T&... pieces) {
  throw CallError(Status::invalid_input, message(pieces...));
}

}  // namespace bsp
