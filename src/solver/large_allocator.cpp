#include "solver/large_allocator.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace bsp {

static_assert(alignof(std::max_align_t) <= large_allocation_threshold);

void* allocate_large(std::size_t bytes) {
  if (bytes < large_allocation_threshold) return ::operator new(bytes);
  void* p = nullptr;
  // aligned_alloc needs a size that is a multiple of the alignment; rounding
  // up costs less than one huge page.
  const std::size_t rounded = (bytes + (large_allocation_threshold - 1)) & ~(large_allocation_threshold - 1);
  if (rounded < bytes) throw std::bad_alloc();
#if defined(_WIN32)
  p = _aligned_malloc(rounded, large_allocation_threshold);
#else
  p = std::aligned_alloc(large_allocation_threshold, rounded);
#endif
  if (p == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Advice only: where huge pages are off or unavailable the block stays
  // usable with ordinary pages, so the result is ignored.
  (void)::madvise(p, rounded, MADV_HUGEPAGE);
#endif
  return p;
}

void release_large(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes < large_allocation_threshold) {
    ::operator delete(p);
    return;
  }
#if defined(_WIN32)
  _aligned_free(p);
#else
  std::free(p);
#endif
}

}  // namespace bsp
