// How a caller stops a long meshing run: an interrupt function the meshers
// poll in their long loops, and the exception they throw when it says stop.
#pragma once

#include <exception>

namespace mesher_2d {

// Returns true to stop the run. A plain function pointer, so the mesher holds
// no state of the caller's; the drivers pass none.
using Interrupt = bool (*)();

// Thrown when the interrupt function asks to stop. It carries no text.
class interrupt_exception : public std::exception {
 public:
  const char* what() const noexcept override { return "Unknown exception"; }
};

// Throws interrupt_exception when `interrupt` is given and returns true.
inline void poll(Interrupt interrupt) {
  if (interrupt != nullptr && interrupt()) throw interrupt_exception();
}

}  // namespace mesher_2d
