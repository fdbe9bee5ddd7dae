#include "interface/thread_count.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <stdexcept>

namespace bsp {
namespace {

TEST(ThreadCount, TakesSeventyPercentOfProcessorsAtLeastTwoAtMostAll) {
  const std::int32_t processors[] = {1, 2, 3, 4, 8, 10, 16, 64, 90};
  const std::int32_t expected[] = {1, 2, 2, 2, 5, 7, 11, 44, 62};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(worker_thread_count(processors[i]), expected[i]) << processors[i];
}

TEST(ThreadCount, GuardRestoresThePreviousSettingOnEveryPath) {
  omp_set_num_threads(3);
  {
    ThreadCountGuard guard;
    EXPECT_EQ(omp_get_max_threads(), guard.threads());
  }
  EXPECT_EQ(omp_get_max_threads(), 3);
  try {
    ThreadCountGuard guard;
    throw std::runtime_error("unwind");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(omp_get_max_threads(), 3);
}

}  // namespace
}  // namespace bsp
