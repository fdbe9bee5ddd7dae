#include "interface/thread_count.h"

#include <omp.h>

#include <algorithm>

namespace bsp {

// Share of the processors a call takes: rule of this library, pinned by
// tests/interface/thread_count_test.cpp.
inline constexpr double processor_share = 0.7;
inline constexpr std::int32_t minimum_team = 2;

std::int32_t worker_thread_count(std::int32_t processors) noexcept {
  const auto share = static_cast<std::int32_t>(processor_share * static_cast<double>(processors));
  return std::min(std::max(share, minimum_team), processors);
}

ThreadCountGuard::ThreadCountGuard() noexcept
    : previous_(omp_get_max_threads()), threads_(std::max(worker_thread_count(omp_get_num_procs()), 1)) {
  omp_set_num_threads(threads_);
}

ThreadCountGuard::~ThreadCountGuard() { omp_set_num_threads(previous_); }

}  // namespace bsp
