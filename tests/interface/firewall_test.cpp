#include "interface/firewall.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "interface/caller_arrays.h"

namespace bsp {
namespace {

TEST(Firewall, MapsEachFailureToItsCodeAndZeroesOnlyOnFailure) {
  int zeroed = 0;
  auto zero = [&] { ++zeroed; };
  EXPECT_EQ(guarded_call([] { return Status::ok; }, zero), BSP_OK);
  EXPECT_EQ(zeroed, 0);
  EXPECT_EQ(guarded_call([] { return Status::invalid_input; }, zero), BSP_E_INPUT);
  EXPECT_EQ(guarded_call([]() -> Status { throw CallError(Status::invalid_input, "x"); }, zero), BSP_E_INPUT);
  EXPECT_EQ(guarded_call([]() -> Status { throw std::bad_alloc(); }, zero), BSP_E_SOLVER);
  EXPECT_EQ(guarded_call([]() -> Status { throw 42; }, zero), BSP_E_SOLVER);
  EXPECT_EQ(zeroed, 4);

  // Each failure leaves its text; a success clears it.
  EXPECT_EQ(guarded_call([]() -> Status { throw data_2d::Mesh_Error("* no outer wire - Mesher_2D::check_input_data()"); },
                         zero),
            BSP_E_INPUT);
  EXPECT_STREQ(last_error(), "* no outer wire - Mesher_2D::check_input_data()");
  EXPECT_EQ(guarded_call([]() -> Status { throw std::bad_alloc(); }, zero), BSP_E_SOLVER);
  EXPECT_STREQ(last_error(), out_of_memory_message);
  EXPECT_EQ(guarded_call([] { return Status::invalid_input; }, zero), BSP_E_INPUT);
  EXPECT_STREQ(last_error(), unexplained_input_message);
  EXPECT_EQ(guarded_call([]() -> Status { throw CallError(Status::invalid_input, std::string(600, 'x')); }, zero),
            BSP_E_INPUT);
  EXPECT_EQ(std::string(last_error()).size(), last_error_capacity);
  EXPECT_EQ(guarded_call([] { return Status::ok; }, zero), BSP_OK);
  EXPECT_STREQ(last_error(), "");
  EXPECT_EQ(zeroed, 8);

  bool void_zeroed = false;
  guarded_void_call([] { throw std::runtime_error("x"); }, [&] { void_zeroed = true; });
  EXPECT_TRUE(void_zeroed);
}

TEST(CallerArrays, RejectsNegativeAndOverflowingCountsAndNullData) {
  EXPECT_FALSE(checked_size(-1));
  EXPECT_FALSE(checked_size(std::int64_t{1} << 62, 6));
  EXPECT_EQ(checked_size(7, 6).value(), 42u);
  EXPECT_FALSE(caller_input<double>(nullptr, 3));
  EXPECT_TRUE(caller_input<double>(nullptr, 0));
  const std::int32_t numbers[] = {1, 4, 2};
  EXPECT_TRUE(all_in_range(numbers, 4));
  EXPECT_FALSE(all_in_range(numbers, 3));
  const double values[] = {1.0, std::numeric_limits<double>::quiet_NaN()};
  EXPECT_FALSE(all_finite(values));
}

}  // namespace
}  // namespace bsp
