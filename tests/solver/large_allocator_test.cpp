#include "common/large_allocator.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

namespace bsp {
namespace {

std::uintptr_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

TEST(LargeAllocator, AlignsLargeBlocksToHugePagesAndSmallOnesLikeNew) {
  for (const std::size_t bytes : {large_allocation_threshold, huge_page_size + 1, 3 * huge_page_size}) {
    auto* p = static_cast<unsigned char*>(allocate_large(bytes));
    EXPECT_EQ(address(p) % huge_page_size, 0u) << bytes;
    p[0] = p[bytes - 1] = 1;  // both ends writable; the sanitizer build also sees an unmapped end
    release_large(p, bytes);
  }
  for (const std::size_t bytes : {std::size_t{0}, std::size_t{1}, large_allocation_threshold - 1}) {
    void* p = allocate_large(bytes);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(address(p) % alignof(std::max_align_t), 0u) << bytes;
    release_large(p, bytes);
  }
  release_large(nullptr, huge_page_size);  // like delete of a null pointer
}

// Growth copies the contents from small blocks into mapped ones and from one
// mapping into the next; every value must survive each move.
// Mapping ahead changes nothing a caller sees: written values stay, the rest still reads zero.
TEST(LargeAllocator, MappingAheadKeepsTheContents) {
  const std::size_t bytes = 3 * huge_page_size + 8;
  auto* p = static_cast<unsigned char*>(allocate_large(bytes));
  p[5] = 7;
  p[bytes - 1] = 9;
  map_for_writing(p, bytes);
  EXPECT_EQ(p[5], 7);
  EXPECT_EQ(p[bytes - 1], 9);
  EXPECT_EQ(p[huge_page_size + 3], 0);
  release_large(p, bytes);
  std::vector<unsigned char> small(64, 3);
  map_for_writing(small.data(), small.size());  // below the threshold: left alone
  EXPECT_EQ(small[63], 3);
}

TEST(LargeAllocator, VectorKeepsItsValuesWhileGrowingAcrossTheThreshold) {
  LargeVector<std::int64_t> v;
  const std::int64_t n = static_cast<std::int64_t>(3 * huge_page_size / sizeof(std::int64_t));
  for (std::int64_t i = 0; i < n; ++i) v.push_back(i * 7 - 3);
  for (std::int64_t i = 0; i < n; ++i) ASSERT_EQ(v[static_cast<std::size_t>(i)], i * 7 - 3);
  LargeVector<std::int64_t> moved = std::move(v);  // any instance frees any block
  EXPECT_EQ(moved.back(), (n - 1) * 7 - 3);
  moved.assign(10, 5);  // back to a size below the threshold, capacity kept
  EXPECT_EQ(moved.size(), 10u);
}

TEST(LargeAllocator, ImpossibleSizesThrowBadAlloc) {
  const std::size_t most = std::numeric_limits<std::size_t>::max();
  EXPECT_THROW(allocate_large(most), std::bad_alloc);                     // rounding to whole pages wraps
  EXPECT_THROW(allocate_large(most - 3 * huge_page_size), std::bad_alloc);  // no address space that large
  EXPECT_THROW(LargeAllocator<double>().allocate(most / 4), std::bad_alloc);  // count times size wraps
}

}  // namespace
}  // namespace bsp
