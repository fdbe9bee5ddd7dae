// Result status of a call, typed inside the library and turned into the
// header's int32_t result codes in exactly one place (to_code). The values
// are the header's codes BSP_OK, BSP_E_INPUT and BSP_E_SOLVER; the layers
// below the interface never see the header, so the interface ties the two
// by a static_assert (interface/firewall.h).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace bsp {

enum class Status : std::int32_t {
  ok = 0,
  invalid_input = -1,
  solver_error = -3,
};

constexpr std::int32_t to_code(Status s) noexcept { return static_cast<std::int32_t>(s); }

// Thrown by a driver when a check fails below the export, where returning a
// status would thread through many frames, and by a solver step that cannot
// finish (solver_error). The firewall maps it to its code.
class CallError : public std::runtime_error {
 public:
  CallError(Status status, const std::string& what) : std::runtime_error(what), status_(status) {}
  Status status() const noexcept { return status_; }

 private:
  Status status_;
};

}  // namespace bsp
