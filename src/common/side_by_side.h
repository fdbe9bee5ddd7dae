// Two independent pieces of work of one call, run on two threads when the
// work is large enough to pay for starting them, one after the other
// otherwise. The pieces must read shared data only and write disjoint data;
// then the result is the same either way, to the last bit.
#pragma once

#include <exception>

namespace bsp {

// Runs first() and second(), side by side when `parallel` holds. An
// exception leaves neither thread early: both pieces finish, then the first
// piece's exception (or else the second's) is rethrown on the caller's thread.
template <class First, class Second>
void side_by_side(bool parallel, First&& first, Second&& second) {
  if (!parallel) {
    first();
    second();
    return;
  }
  std::exception_ptr failure[2];
#pragma omp parallel sections num_threads(2)
  {
#pragma omp section
    {
      try {
        first();
      } catch (...) {
        failure[0] = std::current_exception();
      }
    }
#pragma omp section
    {
      try {
        second();
      } catch (...) {
        failure[1] = std::current_exception();
      }
    }
  }
  for (const std::exception_ptr& f : failure)
    if (f) std::rethrow_exception(f);
}

}  // namespace bsp
