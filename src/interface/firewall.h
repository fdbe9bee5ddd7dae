// The exception firewall every export body runs inside. Nothing escapes it:
// a driver's status, a CallError, a mesher failure, an allocation failure or
// any other exception becomes a documented result code, and on every failure
// the export's own zeroing runs before the code is returned. It also keeps
// the calling thread's last-error message (last_error.h): the failure's text
// on every failure, empty after a success.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "bsp/bsp.h"
#include "common/status.h"
#include "interface/last_error.h"
#include "mesher/data_2d/mesh_error.h"

namespace bsp {

// The library's status values are the header's result codes.
static_assert(to_code(Status::ok) == BSP_OK && to_code(Status::invalid_input) == BSP_E_INPUT &&
              to_code(Status::solver_error) == BSP_E_SOLVER);

// Messages for failures that carry no text of their own: a status returned
// without a CallError, an allocation failure, an exception of unknown type.
inline constexpr const char* unexplained_input_message = "an input check failed";
inline constexpr const char* unexplained_solver_message =
    "the solver could not finish: the section has no positive area or a result is not finite";
inline constexpr const char* out_of_memory_message = "out of memory";
inline constexpr const char* unknown_exception_message = "internal error of unknown kind";

// body() returns Status; zero_outputs() writes the export's documented
// failure state and must not throw. A mesher failure (data_2d::Mesh_Error)
// is an input error: the geometry could not be turned into regions or
// elements. Allocation failure and other exceptions report solver_error: the
// input passed its checks, the library could not finish the work.
template <class Body, class ZeroOutputs>
std::int32_t guarded_call(Body&& body, ZeroOutputs&& zero_outputs) noexcept {
  Status status = Status::solver_error;
  clear_last_error();
  try {
    status = std::forward<Body>(body)();
    if (status == Status::invalid_input) set_last_error(unexplained_input_message);
    if (status == Status::solver_error) set_last_error(unexplained_solver_message);
  } catch (const CallError& e) {
    status = e.status();
    set_last_error(e.what());
  } catch (const data_2d::Mesh_Error& e) {
    status = Status::invalid_input;
    set_last_error(e.what());
  } catch (const std::bad_alloc&) {
    status = Status::solver_error;
    set_last_error(out_of_memory_message);
  } catch (const std::exception& e) {
    status = Status::solver_error;
    set_last_error(e.what());
  } catch (...) {
    status = Status::solver_error;
    set_last_error(unknown_exception_message);
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
