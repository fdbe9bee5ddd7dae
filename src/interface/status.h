// Result status of a call, typed inside the library and turned into the
// header's int32_t result codes in exactly one place (to_code).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "bsp/bsp.h"

namespace bsp {

enum class Status : std::int32_t {
  ok = BSP_OK,
  invalid_input = BSP_E_INPUT,
  solver_error = BSP_E_SOLVER,
};

constexpr std::int32_t to_code(Status s) noexcept { return static_cast<std::int32_t>(s); }

// Thrown by a driver when a check fails below the export, where returning a
// status would thread through many frames. The firewall maps it to its code.
class CallError : public std::runtime_error {
 public:
  CallError(Status status, const std::string& what) : std::runtime_error(what), status_(status) {}
  Status status() const noexcept { return status_; }

 private:
  Status status_;
};

}  // namespace bsp
