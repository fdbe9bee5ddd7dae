// The worker thread count of a call. The meshed-parts, detail, combined and
// standard-section exports run their parallel loops on a team sized from the
// processor count, and put the calling thread's OpenMP setting back
// afterwards. omp_set_num_threads changes the nthreads-var of the calling
// thread's data environment only: other host threads keep theirs, so two
// calls on two threads do not see each other's setting (as bsp.h says:
// "Sets the calling thread's OpenMP thread count for the call").
#pragma once

#include <cstdint>

namespace bsp {

// T = min(max(trunc(0.7 * P), 2), P) for P processors. The product is formed
// in doubles, as documented: 0.7 * 90 is 62.99999999999999, so P = 90 gives 62.
std::int32_t worker_thread_count(std::int32_t processors) noexcept;

// Sets omp_set_num_threads(worker_thread_count(omp_get_num_procs())) for its
// lifetime and restores the omp_get_max_threads() value in force before, on
// every path out of the scope. threads() is the count the call should carry
// in its own context instead of asking the runtime again.
class ThreadCountGuard {
 public:
  ThreadCountGuard() noexcept;
  ~ThreadCountGuard();
  ThreadCountGuard(const ThreadCountGuard&) = delete;
  ThreadCountGuard& operator=(const ThreadCountGuard&) = delete;

  std::int32_t threads() const noexcept { return threads_; }

 private:
  int previous_;
  std::int32_t threads_;
};

}  // namespace bsp
