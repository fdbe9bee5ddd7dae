// The exception firewall every export body runs inside. Nothing escapes it:
// a driver's status, a CallError, an allocation failure or any other
// exception becomes a documented result code, and on every failure the
// export's own zeroing runs before the code is returned.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <utility>

#include "interface/status.h"

namespace bsp {

// body() returns Status; zero_outputs() writes the export's documented
// failure state and must not throw. Allocation failure and unexpected
// exceptions report solver_error: the input passed its checks, the library
// could not finish the work.
template <class Body, class ZeroOutputs>
std::int32_t guarded_call(Body&& body, ZeroOutputs&& zero_outputs) noexcept {
  Status status = Status::solver_error;
  try {
    status = std::forward<Body>(body)();
  } catch (const CallError& e) {
    status = e.status();
  } catch (const std::bad_alloc&) {
    status = Status::solver_error;
  } catch (...) {
    status = Status::solver_error;
  }
  if (status != Status::ok) std::forward<ZeroOutputs>(zero_outputs)();
  return to_code(status);
}

// For the exports that return nothing: their documented outputs are set to
// their failure values by zero_outputs when anything goes wrong.
template <class Body, class ZeroOutputs>
void guarded_void_call(Body&& body, ZeroOutputs&& zero_outputs) noexcept {
  guarded_call(
      [&]() {
        std::forward<Body>(body)();
        return Status::ok;
      },
      std::forward<ZeroOutputs>(zero_outputs));
}

}  // namespace bsp
